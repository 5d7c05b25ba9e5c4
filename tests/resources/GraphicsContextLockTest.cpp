// GraphicsContextLockTest -- depth and owner across nesting, hooks only at the outermost level, full hand-over.
#include "platform/PosixPlatformSystem.h"
#include "resources/GraphicsContextLock.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>
#include <string>
#include <thread>

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

TEST_F(GraphicsContextLockTest, AFullHandOverLetsAnotherThreadInAndRestoresTheSameDepth)
{
    context->AcquireContext();
    context->AcquireContext();
    int32_t levels = context->ReleaseContextFully();
    EXPECT_EQ(levels, 2);
    int32_t otherDepth = -1;
    bool otherOwned = false;
    std::thread other([&] {
        context->AcquireContext();
        otherOwned = context->IsHeldByCurrentThread();
        otherDepth = context->GetDepth();
        context->ReleaseContext();
    });
    other.join();
    EXPECT_TRUE(otherOwned);
    EXPECT_EQ(otherDepth, 1);
    EXPECT_FALSE(context->IsHeldByCurrentThread());
    context->RestoreContext(levels);
    EXPECT_EQ(context->GetDepth(), 2);
    EXPECT_TRUE(context->IsHeldByCurrentThread());
    context->ReleaseContextFully();
    EXPECT_EQ(events, "current;released;current;released;current;released;");
}

TEST_F(GraphicsContextLockTest, AHandOverByAThreadThatHoldsNothingDoesNothing)
{
    {
        ContextHandOver handOver(context.get());
        EXPECT_EQ(context->GetDepth(), 0);
    }
    EXPECT_EQ(context->GetOwner(), -1);
    EXPECT_EQ(events, "");
}

} // namespace
