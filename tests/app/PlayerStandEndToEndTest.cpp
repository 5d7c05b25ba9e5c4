// PlayerStandEndToEndTest -- the shipped game offscreen after "start both": loot and a corpse at the player's feet leave it standing where it is, and so does a living creature against it; a chest the world host sets down on it moves it one step to a free cell, and the host's player follows.
#include "app/OffscreenShots.h"
#include "client/ClientApp.h"
#include "client/GameClient.h"
#include "client/PlayerClient.h"
#include "core/Database.h"
#include "core/SafePointer.h"
#include "entities/Actor.h"
#include "entities/Chest.h"
#include "entities/CombatSystem.h"
#include "entities/Item.h"
#include "entities/ItemGround.h"
#include "entities/Player.h"
#include "server/Game.h"
#include "server/WorldHost.h"
#include "world/World.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

class PlayerStandEndToEnd : public OffscreenShotGame {
protected:
    // A goblin of the host's own making at the spot.
    static Actor* PlaceGoblin(const WorldPos& where)
    {
        auto* goblin = dynamic_cast<Actor*>(gGame->MakeMonster(nullptr, gDatabase->FindEntryByName("MonsterGoblinScout"), 1, 0));
        if (!goblin)
            return nullptr;
        goblin->SetPosition(where);
        return gGame->AddEntity(goblin) == -1 ? nullptr : goblin;
    }

    static float Apart(const WorldPos& a, const WorldPos& b) { return a.Distance2D(b); }
};

} // namespace

TEST_F(PlayerStandEndToEnd, ThingsAtThePlayersFeetLeaveItStandingAndAChestSetDownOnItStepsItAside)
{
    if (!std::getenv("EMBERLODE_GAME_DIR"))
        GTEST_SKIP() << "EMBERLODE_GAME_DIR not set";
    Player* hostPlayer = JoinByConsole();
    ASSERT_NE(hostPlayer, nullptr);
    PlayerClient* player = gClientApp->GetLocalPlayer();
    Frames(10);
    const WorldPos start = player->GetPosition();
    ASSERT_FALSE(gWorld->IsCellBlocked(start)) << "the player joins on open ground";

    // A corpse and a knife lying where the player stands.
    Actor* corpse = PlaceGoblin(hostPlayer->position);
    ASSERT_NE(corpse, nullptr);
    int32_t corpseNumber = corpse->entityNumber;
    ApplyHit(corpse, hostPlayer, corpse->health + 1000, 0, false, false, false, false, false, true);
    auto knife = std::make_unique<Item>();
    knife->SetEntry(gDatabase->FindEntryByName("EmberKnife"));
    ItemGround* ground = ItemGround::Drop(hostPlayer->position, knife, true, false, false);
    ASSERT_NE(ground, nullptr);
    ground->SetPosition(hostPlayer->position);
    int32_t knifeNumber = ground->entityNumber;
    Frames(20);
    const EntityClient* shownCorpse = gGameClient->GetEntity(corpseNumber);
    const EntityClient* shownKnife = gGameClient->GetEntity(knifeNumber);
    ASSERT_NE(shownCorpse, nullptr);
    ASSERT_NE(shownKnife, nullptr);
    ASSERT_TRUE(shownCorpse->IsDead());
    ASSERT_LT(Apart(shownKnife->position, start), 1.0f);
    EXPECT_TRUE(player->CanMoveTo(start, 5)) << "loot and the dead are stood on, not walked around";
    EXPECT_LT(Apart(player->GetPosition(), start), 0.5f) << "nothing at its feet moved the player";

    // A living creature against it: the player keeps its place for the fight.
    Actor* goblin = PlaceGoblin(hostPlayer->position);
    ASSERT_NE(goblin, nullptr);
    Frames(10);
    EXPECT_LT(Apart(player->GetPosition(), start), 0.5f) << "a creature does not push the player";
    ApplyHit(goblin, hostPlayer, goblin->health + 1000, 0, false, false, false, false, false, true);
    Frames(5);

    // A chest set down on the player: one step to the nearest free cell, and the host follows.
    auto* chest = new Chest();
    chest->SetEntry(gDatabase->FindEntryByName("Chest"));
    chest->SetPosition(hostPlayer->position);
    ASSERT_NE(gGame->AddEntity(chest), -1);
    int32_t chestNumber = chest->entityNumber;
    for (int i = 0; i < 20 && Apart(player->GetPosition(), start) < 0.5f; ++i)
        Frame();
    const EntityClient* shownChest = gGameClient->GetEntity(chestNumber);
    ASSERT_NE(shownChest, nullptr);
    ASSERT_GT(shownChest->radius, 0.0f);
    WorldPos stepped = player->GetPosition();
    EXPECT_GE(Apart(stepped, start), 0.5f) << "the player stayed inside the chest";
    EXPECT_LE(Apart(stepped, start), 32.0f * std::sqrt(2.0f) + 1.0f) << "more than one cell away";
    EXPECT_GT(Apart(stepped, shownChest->position) - shownChest->radius - player->radius, 0.0f);
    EXPECT_FALSE(gWorld->IsCellBlocked(stepped));
    Frames(20);
    EXPECT_LT(Apart(player->GetPosition(), stepped), 0.5f) << "one step, then it stands";
    EXPECT_LT(Apart(hostPlayer->position, stepped), 1.0f) << "the host's player stands where the client put it";
}
