// SoakClientsTest -- the soak's own tools where a failure depends on them: the stack a crashed soak process prints.
#include "play/SoakClients.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>

namespace {

// A heap glibc finds corrupted ends the process through abort, a wild pointer through a
// segmentation fault: either way the soak's output must say where.
TEST(SoakCrashStack, ACrashPrintsItsSignalAndStackBeforeTheProcessDies)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(
        {
            SoakCrashStack::Install();
            std::abort();
        },
        "The soak process crashed: Aborted\n.*play_tests");
    EXPECT_EXIT(
        {
            SoakCrashStack::Install();
            std::raise(SIGSEGV);
        },
        ::testing::KilledBySignal(SIGSEGV), "The soak process crashed: Segmentation fault\n.*play_tests");
}

} // namespace
