// EntityLooksEndToEndTest -- the shipped game offscreen after "start both": how a monster the world host makes looks to the player: the line the interface shows while the mouse, moved through SDL, rests on it, and where that line stands: above a monster, at the help box's own place for a covenant's home.
#include "app/OffscreenShots.h"
#include "client/ClientApp.h"
#include "client/GameClient.h"
#include "client/PlayerClient.h"
#include "client/ScreenConversion.h"
#include "core/Database.h"
#include "covenants/Covenant.h"
#include "core/system/GraphicsSystem.h"
#include "entities/Actor.h"
#include "entities/Player.h"
#include "server/Game.h"
#include "server/WorldHost.h"
#include "ui/UISystem.h"
#include "ui/widgets/UIHelp.h"

#include <gtest/gtest.h>

namespace {

class EntityLooksEndToEnd : public OffscreenShotGame {};

TEST_F(EntityLooksEndToEnd, TheMouseRestingOnAMonsterShowsItsNameAndTheAttackHintAboveIt)
{
    if (!std::getenv("EMBERLODE_GAME_DIR"))
        GTEST_SKIP() << "EMBERLODE_GAME_DIR not set";
    Player* hostPlayer = JoinByConsole();
    ASSERT_NE(hostPlayer, nullptr);
    Actor* goblin = AddGoblin(Vector2{110.0f, 0.0f});
    ASSERT_NE(goblin, nullptr);
    EntityClient* monster = MirrorOf(*goblin);
    ASSERT_NE(monster, nullptr);
    int32_t uiX = 0;
    int32_t uiY = 0;
    ASSERT_TRUE(FindPickPoint(*monster, uiX, uiY));
    PushMouse(SDL_MOUSEMOTION, uiX, uiY);
    Frame();
    Frame();
    ASSERT_EQ(gClientApp->GetHoverEntity(), monster);
    ShownTooltip tip = ReadTooltip();
    const std::string& text = tip.text;
    EXPECT_NE(text.find("$$MonsterGoblin"), std::string::npos) << text;
    EXPECT_NE(text.find("$$LevelAbrev$$ 1"), std::string::npos) << text;
    EXPECT_NE(text.find("\n$$LeftClickToAttack$$"), std::string::npos) << text;
    // Placed over the monster's screen box.
    ScreenBox box = Client::GetEntityScreenBox(*monster);
    EXPECT_NEAR(tip.position[0], (box.x1 + box.x2) * 0.5f, 1.0f);
    EXPECT_LT(tip.position[1], box.y1);

    // The mouse moved off onto bare ground: the monster's line goes.
    PushMouse(SDL_MOUSEMOTION, 160, 240);
    Frame();
    Frame();
    ASSERT_EQ(gClientApp->GetHoverEntity(), nullptr);
    EXPECT_EQ(ReadTooltip().text.find("$$MonsterGoblin"), std::string::npos);
}

// The host's placement flag travels with the entity: a monster's tooltip is framed above a square
// 64 pixels over its feet on the screen, a covenant's home (whose flag the covenant cleared) has
// no square and is framed at the help box's own place; either way the frame stands wholly on the
// screen, and with the world's labels.
TEST_F(EntityLooksEndToEnd, AWorldTooltipStandsAboveWhatIsPlacedAndAHomesAtTheHelpBoxsPlace)
{
    if (!std::getenv("EMBERLODE_GAME_DIR"))
        GTEST_SKIP() << "EMBERLODE_GAME_DIR not set";
    ASSERT_NO_FATAL_FAILURE(StartInANewWorld());
    struct Case {
        const char* what;
        std::function<Entity*()> make;
        bool placed;
    };
    const Case cases[] = {
        {"a goblin", [] { return AddGoblin(Vector2{110.0f, 0.0f}); }, true},
        {"a rival covenant's lifestone",
         [] {
             Covenant* rival = gGame->GetCovenant(0);
             auto* stone = rival ? const_cast<Entity*>(rival->GetHomeEntity()) : nullptr;
             if (stone)
                 HostPlayer()->Warp(stone->position.Offset(Vector2{-60.0f, 0.0f}));
             return stone;
         },
         false},
    };
    auto* under = dynamic_cast<UIHelp*>(gUISystem->helpBottomBox);
    ASSERT_NE(under, nullptr);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Entity* host = c.make();
        ASSERT_NE(host, nullptr);
        FramesUntil([host] { return Local() && Local()->GetPosition().Distance2D(host->position) < 200.0f; }, 60);
        Frames(4);
        EntityClient* shown = MirrorOf(*host);
        ASSERT_NE(shown, nullptr);
        int32_t x = 0;
        int32_t y = 0;
        ASSERT_TRUE(FindPickPoint(*shown, x, y));
        PushMouse(SDL_MOUSEMOTION, x, y);
        Frames(3);
        ASSERT_EQ(gClientApp->GetHoverEntity(), shown);
        float position[2] = {-1.0f, -1.0f};
        float extent[2] = {-1.0f, -1.0f};
        std::string text;
        std::string title;
        float flag = 0.0f;
        gUISystem->GetTooltip(text, title, position, extent, flag);
        EXPECT_FALSE(text.empty());
        EXPECT_TRUE(gUISystem->IsWorldTooltip());
        Vector2 feet = Client::GetTargetScreenInfo(shown->position);
        EXPECT_NEAR(position[0], c.placed ? feet.x : 0.0f, 0.5f);
        EXPECT_NEAR(position[1], c.placed ? feet.y - 64.0f : 0.0f, 0.5f);
        EXPECT_EQ(extent[0], c.placed ? 32.0f : 0.0f);
        EXPECT_EQ(extent[1], c.placed ? 32.0f : 0.0f);

        ASSERT_EQ(under->GetPlacedBoxes().size(), 1u) << "framed with the world's labels";
        UIHelp::PlacedBox frame = under->GetPlacedBoxes().front();
        EXPECT_GE(frame.left, 0.0f);
        EXPECT_GE(frame.top, 0.0f);
        EXPECT_LE(frame.right, 640.0f);
        EXPECT_LE(frame.bottom, 480.0f);
        if (c.placed) {
            EXPECT_LT(frame.bottom, feet.y - 64.0f) << "above the square over the feet";
            EXPECT_NEAR((frame.left + frame.right) * 0.5f, feet.x + 16.0f, 1.0f) << "centred on the square";
        } else {
            EXPECT_NEAR(frame.left, 5.0f, 0.5f) << "at the help box's own place";
            EXPECT_NEAR(frame.top, 35.0f, 0.5f);
        }
    }
    KeepFailedFrame("entitylooks-tooltipplace");
}

} // namespace
