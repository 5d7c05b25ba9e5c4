// KeyboardEndToEndTest -- the shipped game in an offscreen window: key events pushed through SDL open the console with the console key, and a typed line runs.
#include "app/OffscreenGame.h"
#include "core/DebugSystem.h"
#include "core/UserVarSystem.h"
#include "core/system/InputSystem.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

class KeyboardGame : public OffscreenGame {};

TEST_F(KeyboardGame, TheConsoleKeyOpensTheConsoleAndATypedLineRuns)
{
    if (!std::getenv("EMBERLODE_GAME_DIR"))
        GTEST_SKIP() << "EMBERLODE_GAME_DIR not set";
    ASSERT_TRUE(app.StartUp());
    ASSERT_NE(gInputSystem, nullptr);
    EXPECT_TRUE(gInputSystem->IsStarted());
    app.RunFrame();
    Console& console = gDebugSystem->GetConsole();
    ASSERT_FALSE(console.IsShown());

    Tap(SDL_SCANCODE_GRAVE);
    ASSERT_TRUE(console.IsShown());
    TypeLine("setUserVar zoom 1.2");
    EXPECT_EQ(gUserVarSystem->GetStringByName("zoom"), "1.2");
    EXPECT_EQ(console.GetHistory(), std::vector<std::string>{"setUserVar zoom 1.2"});

    // Closed again, the console key's binding opens it, and "quit" typed there ends the run.
    Tap(SDL_SCANCODE_GRAVE);
    EXPECT_FALSE(console.IsShown());
    Tap(SDL_SCANCODE_GRAVE);
    TypeLine("quit");
    EXPECT_FALSE(app.IsRunning());
    gDebugSystem->Flush();
    std::string log = folder.Read("User/log.txt");
    EXPECT_NE(log.find("Input initialized\n"), std::string::npos) << log;
    EXPECT_NE(log.find("]setUserVar zoom 1.2\n"), std::string::npos) << log;
}

} // namespace
