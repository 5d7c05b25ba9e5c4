// ClientAttackEndToEndTest -- the shipped game offscreen after "start both": left clicks pushed through SDL on a monster's screen place walk the player up to it and strike it through the world host until it is hurt and dies; a click on loot lying under a corpse takes the loot.
#include "app/OffscreenShots.h"
#include "client/ClientApp.h"
#include "client/GameClient.h"
#include "client/PlayerClient.h"
#include "client/ScreenConversion.h"
#include "core/Database.h"
#include "core/DebugSystem.h"
#include "core/SafePointer.h"
#include "core/system/GraphicsSystem.h"
#include "entities/Actor.h"
#include "entities/Inventory.h"
#include "entities/Item.h"
#include "entities/ItemGround.h"
#include "entities/Player.h"
#include "server/Game.h"
#include "server/WorldHost.h"

#include <gtest/gtest.h>

namespace {

class ClientAttackEndToEnd : public OffscreenShotGame {
protected:
};

TEST_F(ClientAttackEndToEnd, ClicksOnAMonsterWalkUpToItAndStrikeItThroughTheHostUntilItDies)
{
    if (!std::getenv("EMBERLODE_GAME_DIR"))
        GTEST_SKIP() << "EMBERLODE_GAME_DIR not set";
    Player* hostPlayer = JoinByConsole();
    ASSERT_NE(hostPlayer, nullptr);
    ASSERT_FALSE(gDebugSystem->GetConsole().IsShown());
    Actor* monster = AddGoblin(Vector2{110.0f, 0.0f});
    ASSERT_NE(monster, nullptr);
    int32_t number = monster->entityNumber;
    // The host may take a dead monster away: it is watched through a safe pointer.
    SafePointer watched;
    watched.Set(monster);
    auto alive = [&watched] {
        const auto* still = watched.GetAs<Actor>();
        return still && !still->IsDead();
    };
    int32_t fullHealth = monster->health;
    ASSERT_GT(fullHealth, 0);
    // The mirror learns of it in the next updates.
    for (int i = 0; i < 10 && !gGameClient->GetEntity(number); ++i)
        Frame();
    ASSERT_NE(gGameClient->GetEntity(number), nullptr);
    PlayerClient* player = gClientApp->GetLocalPlayer();
    EXPECT_EQ(gGameClient->GetEntity(number)->GetClickAction(false, false), PlayerClient::kModeApproach)
        << "a monster out of reach is walked up to first";

    bool hurt = false;
    bool approached = false;
    for (int click = 0; click < 120 && alive(); ++click) {
        const EntityClient* shown = gGameClient->GetEntity(number);
        if (!shown)
            break;
        // A point of the monster's screen box that the client's own pick answers with it.
        int32_t uiX = 0;
        int32_t uiY = 0;
        if (!FindPickPoint(*shown, uiX, uiY)) {
            Frame();
            continue;
        }
        PushMouse(SDL_MOUSEMOTION, uiX, uiY);
        Frame();
        PushMouse(SDL_MOUSEBUTTONDOWN, uiX, uiY);
        Frame();
        PushMouse(SDL_MOUSEBUTTONUP, uiX, uiY);
        approached = approached || player->GetInteractionTarget() == shown;
        for (int i = 0; i < 8; ++i)
            Frame();
        const auto* still = watched.GetAs<Actor>();
        hurt = hurt || !still || still->health < fullHealth;
    }
    EXPECT_TRUE(approached) << "no click picked the monster";
    EXPECT_TRUE(hurt) << "the host's monster never took damage";
    EXPECT_FALSE(alive()) << "the monster outlived 120 clicks";
}

TEST_F(ClientAttackEndToEnd, AClickOnLootLyingUnderACorpseWalksUpAndTakesTheLoot)
{
    if (!std::getenv("EMBERLODE_GAME_DIR"))
        GTEST_SKIP() << "EMBERLODE_GAME_DIR not set";
    Player* hostPlayer = JoinByConsole();
    ASSERT_NE(hostPlayer, nullptr);
    Actor* monster = AddGoblin(Vector2{110.0f, 0.0f});
    ASSERT_NE(monster, nullptr);
    int32_t corpseNumber = monster->entityNumber;
    monster->TakeDamage(monster->health + 1000, nullptr, false, true);
    auto knife = std::make_unique<Item>();
    knife->SetEntry(gDatabase->FindEntryByName("EmberKnife"));
    const Item* loot = knife.get();
    ItemGround* ground = ItemGround::Drop(monster->position, knife, true, false, false);
    ASSERT_NE(ground, nullptr);
    int32_t lootNumber = ground->entityNumber;
    SafePointer lying;
    lying.Set(ground);
    // Both mirrored: the corpse dead, the knife ready to be taken.
    auto mirrored = [&] {
        const EntityClient* corpse = gGameClient->GetEntity(corpseNumber);
        const EntityClient* item = gGameClient->GetEntity(lootNumber);
        return corpse && corpse->IsDead() && item && item->GetClickAction(true, false) != 0;
    };
    for (int i = 0; i < 40 && !mirrored(); ++i)
        Frame();
    ASSERT_TRUE(mirrored());
    const EntityClient* corpse = gGameClient->GetEntity(corpseNumber);
    ScreenBox lootBox = Client::GetEntityScreenBox(*gGameClient->GetEntity(lootNumber));
    auto uiX = static_cast<int32_t>((lootBox.x1 + lootBox.x2) * 0.5f);
    auto uiY = static_cast<int32_t>((lootBox.y1 + lootBox.y2) * 0.5f);
    ScreenBox corpseBox = Client::GetEntityScreenBox(*corpse);
    ASSERT_TRUE(uiX >= corpseBox.x1 && uiX <= corpseBox.x2 && uiY >= corpseBox.y2 && uiY <= corpseBox.y1)
        << "the knife lies inside the corpse's box";

    PushMouse(SDL_MOUSEMOTION, uiX, uiY);
    Frame();
    PushMouse(SDL_MOUSEBUTTONDOWN, uiX, uiY);
    Frame();
    PushMouse(SDL_MOUSEBUTTONUP, uiX, uiY);
    Frame();
    EXPECT_EQ(gClientApp->GetLocalPlayer()->GetInteractionTarget(), gGameClient->GetEntity(lootNumber))
        << "the click chose the knife, not the corpse";
    for (int i = 0; i < 100 && lying.GetAs<ItemGround>(); ++i)
        Frame();
    EXPECT_EQ(lying.GetAs<ItemGround>(), nullptr) << "the knife still lies on the ground";
    bool carried = false;
    for (int32_t bag = 0; bag < InventoryGroupIndex::kCount; ++bag)
        for (int32_t slot = 0; slot < hostPlayer->inventory->GetSlotCount(bag); ++slot)
            carried = carried || hostPlayer->inventory->GetItem(bag, slot) == loot;
    EXPECT_TRUE(carried) << "the host's player does not carry the knife";
}

} // namespace
