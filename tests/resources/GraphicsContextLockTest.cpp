// GraphicsContextLockTest -- depth and owner across nesting, and the hooks only at the outermost level.
#include "platform/PosixPlatformSystem.h"
#include "resources/GraphicsContextLock.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>
#include <string>

namespace {

class GraphicsContextLockTest : public ::testing::Test {
protected:
    GraphicsContextLockTest() : platform((folder.Path() / "User").string())
    {
        gPlatformSystem = &platform;
        context = std::make_unique<GraphicsContextLock>();
        context->SetContextHooks([this] { events += "current;"; }, [this] { events += "released;"; });
    }
    ~GraphicsContextLockTest() override
    {
        context.reset();
        gPlatformSystem = nullptr;
    }

    TempFolder folder;
    PosixPlatformSystem platform;
    std::unique_ptr<GraphicsContextLock> context;
    std::string events;
};

TEST_F(GraphicsContextLockTest, NestingCountsDepthAndSwitchesTheContextOnlyAtTheOutermostLevel)
{
    EXPECT_EQ(context->GetOwner(), -1);
    context->AcquireContext();
    context->AcquireContext();
    context->AcquireContext();
    EXPECT_EQ(context->GetDepth(), 3);
    EXPECT_EQ(context->GetOwner(), static_cast<int64_t>(platform.GetCurrentThreadId()));
    context->ReleaseContext();
    context->ReleaseContext();
    EXPECT_EQ(events, "current;");
    context->ReleaseContext();
    EXPECT_EQ(events, "current;released;");
    EXPECT_EQ(context->GetOwner(), -1);
    EXPECT_EQ(context->GetDepth(), 0);
}

} // namespace
