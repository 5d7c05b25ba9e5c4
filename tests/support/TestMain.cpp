// TestMain -- every test program's entry: no datagram may leave for an address outside 127.0.0.0/8, then the tests run.
#include "core/system/NetworkSystem.h"

#include <gtest/gtest.h>
#include <string>

int main(int argc, char** argv)
{
    NetworkSystem::SetLoopbackOnly([](const std::string& destination) {
        ADD_FAILURE() << "a test tried to send a datagram to " << destination;
    });
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
