// StatBarDrawTest -- health bars from a menu file drawn by the shipped game in an offscreen window over a fake game view, read back in a screenshot: half health fills half the bar, a reversed bar from its right edge.
#include "app/OffscreenShots.h"
#include "ui/UiWorld.h"

namespace {

const char kStatBarDrawMenu[] = "MenuType Menu\nname Bars\nposition 0 0\nsize 640 480\n"
                                "StatBar { internalName Left entityType PlayerServer\n"
                                "stat Other Health MaxHealth\n"
                                "texture \"Textures/white.tga\" color \"1 0 0\" position 100 100 size 200 40 }\n"
                                "StatBar { internalName Right entityType PlayerServer\n"
                                "stat Other Health MaxHealth\n"
                                "texture \"Textures/white.tga\" color \"0 1 0\" position 100 200 size 200 40 "
                                "reversed 1 }\n";

class StatBarDraw : public OffscreenShotGame {
protected:
    void SetUp() override
    {
        if (!std::getenv("EMBERLODE_GAME_DIR"))
            GTEST_SKIP() << "EMBERLODE_GAME_DIR not set";
        folder.Write("Assets/UI/bars.mnu", kStatBarDrawMenu);
        folder.Write("User/user.cfg", "r_width 640\nr_height 480\n");
        ASSERT_TRUE(app.StartUp());
        view.player = true;
        view.playerEntity = 7;
        view.entities[7].health = 50;
        view.entities[7].maxHealth = 100;
        gUISystem->SetGameView(&view);
        app.RunFrame();
    }
    void TearDown() override
    {
        if (gUISystem)
            gUISystem->SetGameView(nullptr);
    }

    FakeGameView view;
};

TEST_F(StatBarDraw, HalfHealthFillsHalfTheBarFromItsStartingEdge)
{
    TypeOnConsole("showMenu Bars");
    gUserVarSystem->SetStringByName("r_screenshotType", "2");
    TargaImage shot = Screenshot();
    // The left bar is red over x 100 .. 200, the reversed one green over x 200 .. 300.
    for (int x : {104, 150, 196})
        EXPECT_GT(PixelAt(shot, x, 120)[0], 200) << "red at " << x;
    for (int x : {204, 250, 296})
        EXPECT_LT(PixelAt(shot, x, 120)[0], 40) << "no red at " << x;
    for (int x : {104, 150, 196})
        EXPECT_LT(PixelAt(shot, x, 220)[1], 40) << "no green at " << x;
    for (int x : {204, 250, 296})
        EXPECT_GT(PixelAt(shot, x, 220)[1], 200) << "green at " << x;
    KeepFailedFrame("StatBarDraw");

    view.entities[7].maxHealth = 0;
    TargaImage empty = Screenshot();
    EXPECT_LT(PixelAt(empty, 150, 120)[0], 40) << "a bar with no maximum draws nothing";
    KeepFailedFrame("StatBarDraw");
}

} // namespace
