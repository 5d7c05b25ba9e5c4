// TestMain -- every test program's entry: no datagram may leave for an address outside 127.0.0.0/8 and no browser or mail program is started, then the tests run.
#include "core/system/NetworkSystem.h"
#include "core/system/PlatformSystem.h"

#include <gtest/gtest.h>
#include <string>

int main(int argc, char** argv)
{
    NetworkSystem::SetLoopbackOnly([](const std::string& destination) {
        ADD_FAILURE() << "a test tried to send a datagram to " << destination;
    });
    // A test that opens a link installs its own recording launcher; any other start is a fault.
    PlatformSystem::SetLinkLauncher([](const std::vector<std::string>& argv) {
        ADD_FAILURE() << "a test tried to start " << argv.front() << " " << argv.back();
        return 0;
    });
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
