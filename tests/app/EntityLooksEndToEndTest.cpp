// EntityLooksEndToEndTest -- the shipped game offscreen after "start both": how a monster the world host makes looks to the player: the line the interface shows while the mouse, moved through SDL, rests on it.
#include "app/OffscreenShots.h"
#include "client/ClientApp.h"
#include "client/GameClient.h"
#include "client/PlayerClient.h"
#include "client/ScreenConversion.h"
#include "core/Database.h"
#include "core/system/GraphicsSystem.h"
#include "entities/Actor.h"
#include "entities/Player.h"
#include "server/Game.h"
#include "server/WorldHost.h"
#include "ui/UISystem.h"

#include <gtest/gtest.h>

namespace {

class EntityLooksEndToEnd : public OffscreenShotGame {
protected:
    std::string Tooltip(float position[2])
    {
        std::string text;
        std::string title;
        float extent[2] = {};
        float flag = 0.0f;
        gUISystem->GetTooltip(text, title, position, extent, flag);
        return text;
    }
};

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
    float position[2] = {-1.0f, -1.0f};
    int32_t uiX = 0;
    int32_t uiY = 0;
    ASSERT_TRUE(FindPickPoint(*monster, uiX, uiY));
    PushMouse(SDL_MOUSEMOTION, uiX, uiY);
    Frame();
    Frame();
    ASSERT_EQ(gClientApp->GetHoverEntity(), monster);
    std::string text = Tooltip(position);
    EXPECT_NE(text.find("$$MonsterGoblin"), std::string::npos) << text;
    EXPECT_NE(text.find("$$LevelAbrev$$ 1"), std::string::npos) << text;
    EXPECT_NE(text.find("\n$$LeftClickToAttack$$"), std::string::npos) << text;
    // Placed over the monster's screen box.
    ScreenBox box = Client::GetEntityScreenBox(*monster);
    EXPECT_NEAR(position[0], (box.x1 + box.x2) * 0.5f, 1.0f);
    EXPECT_LT(position[1], box.y1);

    // The mouse moved off onto bare ground: the monster's line goes.
    PushMouse(SDL_MOUSEMOTION, 160, 240);
    Frame();
    Frame();
    ASSERT_EQ(gClientApp->GetHoverEntity(), nullptr);
    EXPECT_EQ(Tooltip(position).find("$$MonsterGoblin"), std::string::npos);
}

} // namespace
