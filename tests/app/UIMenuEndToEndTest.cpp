// UIMenuEndToEndTest -- the shipped game offscreen: an options menu pushed by "pushMenu" saves its vars on show, a drop-down box over the sound devices and a check box are changed by left presses pushed as SDL events (the open box and the tick read back in screenshots), and a Cancel button restores both vars and closes the menu.
#include "app/OffscreenShots.h"

#include "client/ClientApp.h"
#include "core/UserVarSystem.h"
#include "ui/UIMenu.h"
#include "ui/UISystem.h"

namespace {

const char kUIMenuEndToEndMenu[] =
    "MenuType Menu\nname TestOptions\nposition 0 0\nsize 640 480\n"
    "addShowCommand \"menuCommand saveUserVars\"\n"
    "DropDownBox { internalName Device position 100 100 baseSize 200 20 maxSize 200 100 "
    "infoProc getSoundDevices userVar testDevice \"\" }\n"
    "CheckBox { internalName Tick position 100 300 size 16 16 userVar testTick \"\" }\n"
    "Widget { internalName Cancel position 400 400 size 80 20 canClick 1 "
    "addCommand \"menuCommand restoreUserVars\" addCommand \"menuCommand hide\" }\n";

const char kUIMenuEndToEndPauseMenu[] = "MenuType Menu\nname TestPause\nsize 640 480\npausesGame 1\n";

class UIMenuEndToEnd : public OffscreenShotGame {
protected:
    void SetUp() override
    {
        if (!std::getenv("EMBERLODE_GAME_DIR"))
            GTEST_SKIP() << "EMBERLODE_GAME_DIR not set";
        folder.Write("Assets/UI/testoptions.mnu", kUIMenuEndToEndMenu);
        folder.Write("Assets/UI/testpause.mnu", kUIMenuEndToEndPauseMenu);
        folder.Write("User/user.cfg", "r_width 640\nr_height 480\ntestDevice 0\ntestTick 0\n");
        ASSERT_TRUE(app.StartUp());
        app.RunFrame();
    }

    // The tick is the only bright green inside the box's square.
    static int CountTickPixels(const TargaImage& shot)
    {
        int count = 0;
        for (int y = 300; y < 316; ++y)
            for (int x = 100; x < 116; ++x)
                count += PixelAt(shot, x, y)[1] > 200 && PixelAt(shot, x, y)[0] < 160 ? 1 : 0;
        return count;
    }

    // Pixels that are not black where the open box's choice rows lie.
    static int CountLitRowPixels(const TargaImage& shot)
    {
        int count = 0;
        for (int y = 125; y < 195; y += 2)
            for (int x = 105; x < 280; x += 2) {
                std::array<int, 3> pixel = PixelAt(shot, x, y);
                count += pixel[0] + pixel[1] + pixel[2] > 40 ? 1 : 0;
            }
        return count;
    }

    static std::string Var(const char* name) { return gUserVarSystem->GetStringByName(name); }
};

TEST_F(UIMenuEndToEnd, PickTickAndCancelPutBothVarsBack)
{
    TypeOnConsole("pushMenu TestOptions");
    UIMenu* menu = gUISystem->FindMenu("TestOptions");
    ASSERT_NE(menu, nullptr) << "the menu file was read";
    ASSERT_TRUE(menu->pushed);
    EXPECT_EQ(menu->savedUserVarNames.size(), 2u) << "the show line saved the bound vars";
    gUserVarSystem->SetStringByName("r_screenshotType", "2");
    TargaImage shot = Screenshot();
    int closedRows = CountLitRowPixels(shot);
    EXPECT_EQ(CountTickPixels(shot), 0);

    ClickAt(110, 110);
    shot = Screenshot();
    int openRows = CountLitRowPixels(shot);
    EXPECT_GT(openRows, closedRows + 100) << "the open box draws its rows";
    KeepFailedFrame("UIMenuEndToEnd");
    ClickAt(110, 145);
    EXPECT_EQ(Var("testDevice"), "1") << "the second row's value";

    ClickAt(108, 308);
    EXPECT_EQ(Var("testTick"), "1");
    shot = Screenshot();
    EXPECT_GT(CountTickPixels(shot), 8) << "the tick is drawn over the box";
    EXPECT_LT(CountLitRowPixels(shot), openRows) << "the box closed after the pick";
    KeepFailedFrame("UIMenuEndToEnd");

    ClickAt(440, 410);
    EXPECT_EQ(Var("testDevice"), "0");
    EXPECT_EQ(Var("testTick"), "0");
    EXPECT_FALSE(menu->pushed) << "Cancel closed the menu";
    EXPECT_FALSE(menu->IsShown());
}

TEST_F(UIMenuEndToEnd, AMenuThatPausesTheGameHoldsThePauseEveryFrameUntilHidden)
{
    Tap(SDL_SCANCODE_GRAVE);
    TypeLine("start both");
    for (int i = 0; i < 40 && !gClientApp->IsActive(); ++i)
        app.RunFrame();
    Tap(SDL_SCANCODE_GRAVE);
    ASSERT_TRUE(gClientApp->IsActive()) << "the client joined the world";
    EXPECT_EQ(Var("pausedAuto"), "0");
    EXPECT_FALSE(Client::IsPaused());
    TypeOnConsole("pushMenu TestPause");
    EXPECT_EQ(Var("pausedAuto"), "1");
    EXPECT_TRUE(Client::IsPaused());
    gUserVarSystem->SetStringByName("pausedAuto", "0");
    app.RunFrame();
    EXPECT_EQ(Var("pausedAuto"), "1") << "set again every frame the menu is shown";
    TypeOnConsole("popMenu");
    EXPECT_EQ(Var("pausedAuto"), "0") << "hiding the menu ends its pause";
    app.RunFrame();
    EXPECT_EQ(Var("pausedAuto"), "0");
    EXPECT_FALSE(Client::IsPaused());
}

} // namespace
