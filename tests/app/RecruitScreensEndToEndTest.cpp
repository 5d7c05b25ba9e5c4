// RecruitScreensEndToEndTest -- the shipped game offscreen, driven by SDL events: the town's recruit clicked, its screen takes it into the covenant and the party through the world host, and the recruits window (its key and its button) lists it and dismisses it from the covenant.
#include "app/OffscreenShots.h"

#include "client/ClientApp.h"
#include "client/EntityClient.h"
#include "client/GameClient.h"
#include "client/PlayerClient.h"
#include "client/PlayerCovenantClient.h"
#include "client/ScreenConversion.h"
#include "core/UserVarSystem.h"
#include "core/Database.h"
#include "core/EngineEnums.h"
#include "covenants/PlayerCovenant.h"
#include "entities/Actor.h"
#include "entities/Inventory.h"
#include "entities/Item.h"
#include "entities/Player.h"
#include "rules/RulesEnums.h"
#include "server/Game.h"
#include "ui/UISystem.h"
#include "ui/UIWidget.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <memory>
#include <string>

namespace {

class RecruitScreensEndToEnd : public OffscreenShotGame {
protected:
    void SetUp() override
    {
        if (!std::getenv("EMBERLODE_GAME_DIR"))
            GTEST_SKIP() << "EMBERLODE_GAME_DIR not set";
        StartShippedGame();
    }

    void TearDown() override { KeepFailedFrame("RecruitScreensEndToEnd"); }

};

// The town's recruit, clicked, says its line and offers to join; its button has the world host
// take it into the covenant and the party. The recruits window lists it, and its dismiss button
// has the host send it away from the covenant.
TEST_F(RecruitScreensEndToEnd, TheTownsRecruitJoinsByItsScreenAndTheRecruitsWindowDismissesIt)
{
    EnterTheWorld();
    Player* hostPlayer = HostPlayer();
    ASSERT_NE(hostPlayer, nullptr);
    PlayerClient* player = gClientApp->GetLocalPlayer();
    PlayerCovenant* covenant = HostCovenant();
    ASSERT_NE(covenant, nullptr);
    Actor* recruit = FindActorOfKind(NpcType::Recruit);
    ASSERT_NE(recruit, nullptr) << "the town's recruit stands in town";
    EntityClient* shown = BesideThePlayer(*recruit);
    ASSERT_NE(shown, nullptr);

    ClickOn(*shown);
    EXPECT_EQ(player->interactionMode, 5);
    ASSERT_TRUE(Shown("NpcMenu"));
    FramesUntil([] { return !gGameClient->npcChatText.empty(); });
    EXPECT_FALSE(gGameClient->npcChatText.empty()) << "the host never answered getNpcChat";
    TargaImage talk = Screenshot();
    EXPECT_GT(BrightPixels(talk, 180, 150, 460, 208), 200) << "the recruit's line is not drawn";
    EXPECT_GT(BrightPixels(talk, 180, 288, 460, 314), 40) << "the party button's label is not drawn";

    // "Join my covenant and walk with me".
    ClickAt(320, 301);
    FramesUntil([&] { return hostPlayer->IsInParty(recruit); });
    ASSERT_TRUE(covenant->IsMember(*recruit));
    EXPECT_TRUE(hostPlayer->IsInParty(recruit));
    EXPECT_FALSE(Shown("NpcMenu"));
    FramesUntil([&] { return player->GetCovenant()->FindRecruitSlot(recruit->entityNumber) >= 0; });
    int32_t slot = player->GetCovenant()->FindRecruitSlot(recruit->entityNumber);
    ASSERT_GE(slot, 0) << "the client's covenant mirror lists the recruit";

    // The recruits window by its key, closed by it, opened again by its button.
    Tap(SDL_SCANCODE_P);
    ASSERT_TRUE(Shown("NpcList"));
    Tap(SDL_SCANCODE_P);
    EXPECT_FALSE(Shown("NpcList"));
    ClickAt(576, 188);
    ASSERT_TRUE(Shown("NpcList"));
    UIWidget* dismiss = gUISystem->FindWidgetByPath("NpcList::Dismiss");
    ASSERT_NE(dismiss, nullptr);
    EXPECT_FALSE(dismiss->IsVisible()) << "no button before a recruit is chosen";
    ClickAt(100, 78);
    EXPECT_EQ(gUserVarSystem->GetStringByName("ChosenRecruit"), std::to_string(slot));
    Frames(1);
    EXPECT_TRUE(dismiss->IsVisible());
    TargaImage list = Screenshot();
    EXPECT_GT(BrightPixels(list, 34, 68, 290, 88), 40) << "the recruit's row is not drawn";
    EXPECT_GT(BrightPixels(list, 170, 258, 304, 286), 20) << "the dismiss button's label is not drawn";

    ClickAt(237, 272);
    FramesUntil([&] { return !covenant->IsMember(*recruit); });
    EXPECT_FALSE(covenant->IsMember(*recruit));
    EXPECT_FALSE(hostPlayer->IsInParty(recruit));
    FramesUntil([&] { return player->GetCovenant()->GetRecruit(slot) == nullptr; });
    EXPECT_EQ(player->GetCovenant()->GetRecruit(slot), nullptr) << "the mirror lets it go";
    Tap(SDL_SCANCODE_ESCAPE);
    EXPECT_FALSE(Shown("NpcList"));
    EXPECT_FALSE(Shown("GameMenu"));
}

// A recruit of the covenant, clicked, opens its gear from its screen: what it carries, as the host
// shows it, is drawn in the gear window's cells, and the inventory opens beside it.
TEST_F(RecruitScreensEndToEnd, ARecruitsGearOpensFromItsScreenWithWhatItCarries)
{
    EnterTheWorld();
    Player* hostPlayer = HostPlayer();
    ASSERT_NE(hostPlayer, nullptr);
    PlayerClient* player = gClientApp->GetLocalPlayer();
    PlayerCovenant* covenant = HostCovenant();
    ASSERT_NE(covenant, nullptr);
    Actor* recruit = FindActorOfKind(NpcType::Recruit);
    ASSERT_NE(recruit, nullptr);
    covenant->AddRecruit(*recruit);
    auto draught = std::make_unique<Item>();
    draught->SetEntry(gDatabase->FindEntryByName("HealingDraught"));
    std::unique_ptr<ItemBase> carried = std::move(draught);
    ASSERT_TRUE(recruit->inventory->AddItem(carried, InventoryGroupIndex::Loot));
    EntityClient* shown = BesideThePlayer(*recruit);
    ASSERT_NE(shown, nullptr);

    ClickOn(*shown);
    ASSERT_TRUE(Shown("NpcInCovenantMenu"));
    TargaImage screen = Screenshot();
    EXPECT_GT(BrightPixels(screen, 220, 256, 420, 284), 20) << "the gear button's label is not drawn";
    ClickAt(320, 270);
    EXPECT_EQ(player->interactionMode, 15);
    ASSERT_TRUE(Shown("NpcEquipmentFull"));
    EXPECT_TRUE(Shown("Inventory"));
    EXPECT_FALSE(Shown("NpcInCovenantMenu"));
    FramesUntil([&] { return player->GetInventory().GetItem(InventoryGroupIndex::Loot, 0) != nullptr; });
    ASSERT_NE(player->GetInventory().GetItem(InventoryGroupIndex::Loot, 0), nullptr) << "the host shows the recruit's bag";
    TargaImage gear = Screenshot();
    // The first cell holds the draught's icon; the last stands empty.
    int filled = BrightPixels(gear, 16 + 18, 24 + 198, 16 + 56, 24 + 236);
    int empty = BrightPixels(gear, 16 + 248, 24 + 244, 16 + 286, 24 + 282);
    EXPECT_GT(filled, empty + 20) << filled << " lit in the first cell, " << empty << " in the last";
    EXPECT_GT(BrightPixels(gear, 34, 62, 302, 82), 40) << "the recruit's name is not drawn";
    // Escape closes the inventory beside it first, then the gear window.
    Tap(SDL_SCANCODE_ESCAPE);
    Tap(SDL_SCANCODE_ESCAPE);
    EXPECT_FALSE(Shown("NpcEquipmentFull"));
    EXPECT_FALSE(Shown("GameMenu"));
}

// A townsperson of the recruit's kind with work to offer opens the would-be recruit's screen, with
// its line from the host; a trader with work opens the trader's window that lists the work too.
TEST_F(RecruitScreensEndToEnd, AWouldBeRecruitAndATraderWithWorkOpenTheirOwnScreensByAClick)
{
    EnterTheWorld();
    PlayerClient* player = gClientApp->GetLocalPlayer();
    Actor* recruit = FindActorOfKind(NpcType::Recruit);
    ASSERT_NE(recruit, nullptr);
    EntityClient* shown = BesideThePlayer(*recruit);
    ASSERT_NE(shown, nullptr);
    // No shipped townsperson of these kinds offers work: the client is told this one does.
    shown->givesQuests = true;
    ClickOn(*shown);
    EXPECT_EQ(player->interactionMode, 24);
    ASSERT_TRUE(Shown("NpcPotentialRecruitMenu"));
    FramesUntil([] { return !gGameClient->npcChatText.empty(); });
    EXPECT_FALSE(gGameClient->npcChatText.empty()) << "the host never answered getNpcChat";
    TargaImage talk = Screenshot();
    EXPECT_GT(BrightPixels(talk, 136, 96, 504, 146), 100) << "the line is not drawn";
    EXPECT_GT(BrightPixels(talk, 176, 362, 306, 390), 20) << "the trial button's label is not drawn";
    // The selected NPC's record is the covenant's candidate, which is no recruit yet.
    const PlayerCovenantClient* mirror = player->GetCovenant();
    ASSERT_NE(mirror, nullptr);
    ASSERT_TRUE(mirror->IsHero(shown->entityNumber)) << "the would-be recruit is the covenant's candidate";
    EXPECT_EQ(mirror->FindRecruitSlot(shown->entityNumber), -1);
    EXPECT_EQ(gGameClient->GetSelectedNpcRecord(), &mirror->GetHero());
    Tap(SDL_SCANCODE_ESCAPE);
    EXPECT_FALSE(Shown("NpcPotentialRecruitMenu"));
    EXPECT_FALSE(Shown("GameMenu"));

    Actor* trader = FindActorOfKind(NpcType::VendorBasic);
    ASSERT_NE(trader, nullptr);
    recruit->SetPosition(HostPlayer()->position.Offset(Vector2{-200.0f, 0.0f}));
    EntityClient* counter = BesideThePlayer(*trader);
    ASSERT_NE(counter, nullptr);
    counter->givesQuests = true;
    ClickOn(*counter);
    EXPECT_EQ(player->interactionMode, 22);
    ASSERT_TRUE(Shown("VendorMenuWithQuests"));
    EXPECT_FALSE(Shown("VendorMenu"));
    EXPECT_TRUE(Shown("Inventory"));
    FramesUntil([&] { return player->GetInventory().GetItem(InventoryGroupIndex::Loot, 0) != nullptr; });
    TargaImage goods = Screenshot();
    EXPECT_GT(BrightPixels(goods, 16 + 18, 24 + 58, 16 + 56, 24 + 96), 20) << "the first of the goods is not drawn";
    EXPECT_GT(BrightPixels(goods, 16 + 18, 24 + 342, 16 + 286, 24 + 360), 20) << "the work on offer's heading";
    EXPECT_GT(BrightPixels(goods, 16 + 82, 24 + 406, 16 + 222, 24 + 434), 20) << "the take-it button's label";
    // Escape closes the inventory beside it first, then the trader's window.
    Tap(SDL_SCANCODE_ESCAPE);
    Tap(SDL_SCANCODE_ESCAPE);
    EXPECT_FALSE(Shown("VendorMenuWithQuests"));
    EXPECT_FALSE(Shown("GameMenu"));
}

// No shipped target leads to these screens: a trade with someone who keeps no shop, and work
// offered by something that is no townsperson. Entered as the click would enter them, each shows
// its own screen: the goods with the bag places, whose right click opens a bag; the work with its
// giver's name.
TEST_F(RecruitScreensEndToEnd, ATradeWithoutAShopAndWorkFromAThingShowTheirOwnScreens)
{
    EnterTheWorld();
    PlayerClient* player = Local();
    ASSERT_NE(player, nullptr);
    Actor* warmaster = FindActorOfKind(NpcType::Warmaster);
    ASSERT_NE(warmaster, nullptr);
    EntityClient* shown = BesideThePlayer(*warmaster);
    ASSERT_NE(shown, nullptr);
    player->SetTarget(shown, false);
    ASSERT_TRUE(player->SetInteractionMode(true, 22, true));
    ASSERT_TRUE(Shown("Buy-sell"));
    ASSERT_TRUE(Shown("BagControl"));
    EXPECT_FALSE(Shown("VendorMenu"));
    TargaImage trade = Screenshot();
    // The starting satchel sits in the first bag place; the fourth stands empty.
    int satchel = BrightPixels(trade, 336 + 12, 210 + 34, 336 + 50, 210 + 72);
    int none = BrightPixels(trade, 336 + 162, 210 + 34, 336 + 200, 210 + 72);
    EXPECT_GT(satchel, none + 20) << satchel << " lit in the first place, " << none << " in the last";
    ClickAt(336 + 31, 210 + 53, SDL_BUTTON_RIGHT);
    EXPECT_TRUE(Shown("bag0")) << "a right click on the place opens the bag";
    TypeOnConsole("hideMenu bag0");
    ClickAt(16 + 284, 24 + 16);
    EXPECT_FALSE(Shown("Buy-sell"));
    EXPECT_FALSE(Shown("BagControl"));

    ASSERT_TRUE(player->SetInteractionMode(true, 0, true));
    Actor* creature = FindActorOfKind(NpcType::None);
    ASSERT_NE(creature, nullptr) << "a creature of the world";
    EntityClient* thing = BesideThePlayer(*creature);
    ASSERT_NE(thing, nullptr);
    ASSERT_FALSE(thing->isNpc);
    player->SetTarget(thing, false);
    ASSERT_TRUE(player->SetInteractionMode(true, 24, true));
    ASSERT_TRUE(Shown("GetQuest"));
    EXPECT_FALSE(Shown("QuestNpcMenu"));
    UIWidget* heading = gUISystem->FindWidgetByPath("GetQuest::Name");
    ASSERT_NE(heading, nullptr);
    EXPECT_FALSE(heading->BuildText(heading->textSource).empty()) << "the giver's name";
    Tap(SDL_SCANCODE_ESCAPE);
    EXPECT_FALSE(Shown("GetQuest"));
}

// A line naming a trader is refused by the world host, which says so; the trader stays its own.
TEST_F(RecruitScreensEndToEnd, ARecruitLineTypedForATraderIsRefusedByTheHost)
{
    EnterTheWorld();
    Player* hostPlayer = HostPlayer();
    ASSERT_NE(hostPlayer, nullptr);
    Actor* trader = FindActorOfKind(NpcType::VendorBasic);
    ASSERT_NE(trader, nullptr);
    trader->SetPosition(hostPlayer->position.Offset(Vector2{40.0f, 0.0f}));
    Frames(2);
    TypeOnConsole("recruit " + std::to_string(trader->entityNumber) + " 1");
    Frames(6);
    EXPECT_EQ(trader->covenantIndex, -1);
    EXPECT_FALSE(hostPlayer->IsInParty(trader));
}

} // namespace
