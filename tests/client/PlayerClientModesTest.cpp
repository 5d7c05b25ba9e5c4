// PlayerClientModesTest -- the player's interaction modes, their menus and refusals, the NPC equipment screen by the NPC's kind, the pick-up request, the reported auto-attack, windows closed when the target is left behind or gone, the frame's hints, and walking to a move target over the real path finder until the world host stands the player there.
#include "client/PlayerClientWorld.h"

#include "client/ClientInput.h"
#include "core/CommandSystem.h"
#include "core/UserVarSystem.h"
#include "world/LevelData.h"
#include "world/World.h"

#include <algorithm>
#include <cmath>
#include <tuple>

namespace {

class PlayerClientModes : public PlayerClientWorld {
protected:
    void SetUp() override
    {
        StartWorldOnly("GridSize 32 32\n");
        ui.hintChain = {{"LowHealth", ""}, {"Death", ""}, {"CovenantGate", ""}};
        MakePlayer();
        Join();
        // The frame's level generation: the player's level gets its cells (this adventure has
        // no area files, so every cell is a wall).
        gWorld->UpdateLevelGeneration();
        ASSERT_TRUE(gWorld->IsLevelGenerated(player->GetPosition().level));
    }

    // A host entity beside the player, mirrored by the client.
    EntityClient* MirroredNeighbour(float dx)
    {
        Entity* neighbour = Spawn<Entity>(hostPlayer->position.x + dx, hostPlayer->position.y, hostPlayer->position.level);
        ClientFrame(50);
        ClientFrame(50);
        return gameClient->GetEntity(neighbour->entityNumber);
    }

    int32_t CountLines(const std::string& line) const
    {
        return static_cast<int32_t>(std::count(ui.lines.begin(), ui.lines.end(), line));
    }
};

TEST_F(PlayerClientModes, PickingUpQueuesOneRequestAndReturnsToNoMode)
{
    EntityClient* item = MirroredNeighbour(20.0f);
    ASSERT_NE(item, nullptr);
    player->SetTarget(item, true);
    ASSERT_TRUE(player->SetInteractionMode(false, 23, false));
    EXPECT_EQ(player->interactionMode, 0);
    const auto& lines = app->GetQueuedLines();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "pickupEntity " + std::to_string(item->entityNumber)), 1);
    EXPECT_EQ(lines.size(), 1u);
}

TEST_F(PlayerClientModes, TradeOpensTheWindowOfItsPartnerWithItsHintAndLeavingClosesIt)
{
    ui.hintChain = {{"Vendors", ""}, {"Gambler", ""}, {"GuardVendor", ""}};
    EntityClient* trader = MirroredNeighbour(20.0f);
    ASSERT_NE(trader, nullptr);
    trader->isVendor = true;
    trader->isNpc = true;
    trader->npcType = 6;
    player->SetTarget(trader, true);
    ASSERT_TRUE(player->SetInteractionMode(false, 22, false));
    EXPECT_EQ(CountLines("showMenu VendorMenu"), 1);
    EXPECT_EQ(CountLines("showMenu VendorMenuWithQuests"), 0);
    ASSERT_TRUE(player->SetInteractionMode(false, 0, false));
    for (const char* menu : {"VendorMenu", "VendorMenuWithQuests", "Buy-sell", "BagControl"})
        EXPECT_EQ(CountLines(std::string("hideMenu ") + menu), 1) << menu;

    trader->givesQuests = true;
    trader->npcType = 10;
    ASSERT_TRUE(player->SetInteractionMode(false, 22, false));
    EXPECT_EQ(CountLines("showMenu VendorMenuWithQuests"), 1);
    trader->isVendor = false;
    trader->npcType = 9;
    ASSERT_TRUE(player->SetInteractionMode(true, 22, false));
    EXPECT_EQ(CountLines("showMenu Buy-sell"), 1);
    EXPECT_EQ(CountLines("showMenu BagControl"), 1);
    // A trader who is no townsperson keeps no shop: the plain trade, whatever it offers.
    ASSERT_TRUE(player->SetInteractionMode(true, 0, false));
    trader->isVendor = true;
    trader->isNpc = false;
    ASSERT_TRUE(player->SetInteractionMode(true, 22, false));
    EXPECT_EQ(CountLines("showMenu Buy-sell"), 2);
    EXPECT_EQ(CountLines("showMenu VendorMenu"), 1);
    EXPECT_EQ(CountLines("showMenu VendorMenuWithQuests"), 1);
    EXPECT_EQ(ui.shownHints, (std::vector<std::string>{"Vendors", "Gambler", "GuardVendor", "GuardVendor"}));
}

TEST_F(PlayerClientModes, TheNpcEquipmentCommandOpensTheScreenOfTheNpcsKindAndLeavingClosesIt)
{
    EntityClient* npc = MirroredNeighbour(20.0f);
    ASSERT_NE(npc, nullptr);
    npc->isNpc = true;
    ExecuteCommandLine("npcEquipment");
    EXPECT_EQ(player->interactionMode, 0) << "nothing chosen, no screen";
    player->SetTarget(npc, true);
    // A hired townsperson, a creature of no kind, a trader: each its own screen.
    const std::pair<int32_t, const char*> kinds[] = {{4, "NpcEquipmentFull"}, {0, "NpcEquipmentOnly"}, {6, "NpcEquipment"}};
    for (const auto& [kind, menu] : kinds) {
        npc->npcType = kind;
        ExecuteCommandLine("npcEquipment");
        EXPECT_EQ(player->interactionMode, 15);
        EXPECT_EQ(CountLines(std::string("showMenu ") + menu), 1) << menu;
        ASSERT_TRUE(player->SetInteractionMode(false, 0, false));
    }
    for (const char* menu : {"NpcEquipment", "NpcEquipmentFull", "NpcEquipmentOnly"})
        EXPECT_EQ(CountLines(std::string("hideMenu ") + menu), 3) << "each leaving closes all three: " << menu;
}

// Targets are let go beyond a few cells.
class PlayerClientModesReach : public PlayerClientModes {
protected:
    void SetUp() override
    {
        StartWorldOnly("GridSize 32 32\nMaxSelectedEntityDistance 300\n");
        MakePlayer();
        Join();
    }
};

TEST_F(PlayerClientModesReach, ATraderLeftBehindOrGoneClosesTheWindowsItsModeOpened)
{
    EntityClient* trader = MirroredNeighbour(20.0f);
    ASSERT_NE(trader, nullptr);
    trader->isVendor = true;
    trader->isNpc = true;
    player->SetTarget(trader, true);
    ASSERT_TRUE(player->SetInteractionMode(false, 22, false));
    ASSERT_EQ(CountLines("showMenu VendorMenu"), 1);
    player->Update(0.05f);
    EXPECT_EQ(player->interactionMode, 22) << "near enough to go on trading";
    trader->position = player->GetPosition().Offset(Vector2{301.0f, 0.0f});
    player->Update(0.05f);
    EXPECT_EQ(player->interactionMode, 0);
    EXPECT_EQ(player->GetInteractionTarget(), nullptr);
    EXPECT_EQ(CountLines("hideMenu VendorMenu"), 1);

    // A stash the host takes away while it is open.
    Entity* chest = Spawn<Entity>(hostPlayer->position.x + 20.0f, hostPlayer->position.y, hostPlayer->position.level);
    ClientFrame(50);
    ClientFrame(50);
    int32_t chestNumber = chest->entityNumber;
    EntityClient* shownChest = gameClient->GetEntity(chestNumber);
    ASSERT_NE(shownChest, nullptr);
    player->SetTarget(shownChest, true);
    ASSERT_TRUE(player->SetInteractionMode(false, 10, false));
    game->RemoveEntity(chest);
    delete chest;
    for (int i = 0; i < 3 && gameClient->GetEntity(chestNumber); ++i)
        ClientFrame(50);
    ASSERT_EQ(player->GetInteractionTarget(), nullptr);
    player->Update(0.05f);
    EXPECT_EQ(player->interactionMode, 0);
    EXPECT_EQ(CountLines("hideMenu Stash"), 1);
    EXPECT_EQ(CountLines("hideMenu stashBag7"), 1);
}

TEST_F(PlayerClientModesReach, AStandingPlayerFacesWhatItTalksToTradesWithOrUsesAndKeepsAFarQuestTargetOfItsOwn)
{
    EntityClient* trader = MirroredNeighbour(20.0f);  // due east: facing 2
    ASSERT_NE(trader, nullptr);
    constexpr int32_t kWest = 6;
    constexpr int32_t kEast = 2;
    // The mode entered, and whether the player turns to the target in it.
    for (auto [mode, turns] : {std::pair{5, true}, {10, true}, {22, true}, {24, true}, {12, false},
                               {13, false}, {25, false}}) {
        player->facing = kWest;
        player->SetTarget(trader, true);
        ASSERT_TRUE(player->SetInteractionMode(false, mode, false)) << mode;
        player->Update(0.05f);
        EXPECT_EQ(player->facing, turns ? kEast : kWest) << "mode " << mode;
        player->SetInteractionMode(true, 0, true);
    }
    // The body the world draws takes the player's facing.
    player->facing = kWest;
    ClientFrame(50);
    EXPECT_EQ(player->GetBody()->facing, kWest);

    // Walked out of reach: dropped, unless it is a quest's target standing in the player's covenant.
    int32_t own = player->covenantIndex;
    for (auto [flags, covenant, kept] : {std::tuple{0x200u, own, true}, {0x200u, own + 1, false}, {0u, own, false}}) {
        trader->position = player->GetPosition().Offset(Vector2{20.0f, 0.0f});
        trader->flags = flags;
        trader->covenantIndex = covenant;
        player->SetTarget(trader, true);
        ASSERT_TRUE(player->SetInteractionMode(false, 22, false));
        trader->position = player->GetPosition().Offset(Vector2{301.0f, 0.0f});
        player->Update(0.05f);
        EXPECT_EQ(player->GetInteractionTarget() == trader, kept) << flags << " " << covenant;
        EXPECT_EQ(player->interactionMode, kept ? 22 : 0) << flags << " " << covenant;
        player->SetInteractionMode(true, 0, true);
    }
}

TEST_F(PlayerClientModes, ModesOpenAndCloseTheirMenusAndRefuseWhatTheyMust)
{
    EntityClient* npc = MirroredNeighbour(20.0f);
    ASSERT_NE(npc, nullptr);
    player->SetTarget(npc, true);
    ASSERT_TRUE(player->SetInteractionMode(false, 5, false));
    EXPECT_EQ(CountLines("showMenu NpcMenu"), 1);
    // The same mode again is refused unless forced.
    EXPECT_FALSE(player->SetInteractionMode(false, 5, false));
    EXPECT_EQ(CountLines("showMenu NpcMenu"), 1);
    ASSERT_TRUE(player->SetInteractionMode(false, 14, false));
    EXPECT_EQ(CountLines("hideMenu NpcMenu"), 1);
    EXPECT_EQ(vars.GetStringByName("drawWorldMap"), "1");
    EXPECT_EQ(ui.shownHints, std::vector<std::string>{"CovenantGate"});
    ASSERT_TRUE(player->SetInteractionMode(false, 10, false));
    EXPECT_EQ(vars.GetStringByName("drawWorldMap"), "0");
    ASSERT_TRUE(player->SetInteractionMode(false, 0, false));
    EXPECT_EQ(CountLines("hideMenu Stash"), 1);
    EXPECT_EQ(CountLines("hideMenu stashBag7"), 1);

    // Attacking while stealthed only when allowed; approaching while a button is held on an entity never.
    player->statusFlags = PlayerClient::kStatusStealthed;
    EXPECT_FALSE(player->SetInteractionMode(false, 2, false));
    EXPECT_TRUE(player->SetInteractionMode(false, 2, true));
    player->aiming = true;
    player->aimKind = 0;
    EXPECT_FALSE(player->SetInteractionMode(false, 4, false));
    EXPECT_EQ(player->interactionMode, 2);
}

TEST_F(PlayerClientModes, ClicksWhileDeadKeepTheDeathScreenUntilTheBodyRises)
{
    EntityClient* npc = MirroredNeighbour(20.0f);
    ASSERT_NE(npc, nullptr);
    EntityClient* body = player->GetBody();
    body->health = 0;
    player->Update(0.05f);
    ASSERT_EQ(player->interactionMode, PlayerClient::kModeDead);
    // A click on open ground and one on a creature, as the world's clicks make them.
    EXPECT_TRUE(Client::OnButtonPress(0, true, 420, 200));
    Client::OnButtonPress(0, false, 420, 200);
    player->SetTarget(npc, true);
    EXPECT_FALSE(player->SetInteractionMode(true, 5, false));
    player->Update(0.05f);
    EXPECT_EQ(player->interactionMode, PlayerClient::kModeDead);
    EXPECT_EQ(CountLines("hideMenu PlayerDead"), 0) << "the death screen and its rise button stay";
    EXPECT_EQ(CountLines("showMenu NpcMenu"), 0);

    // Risen, the player acts again.
    body->health = body->maxHealth;
    player->Update(0.05f);
    EXPECT_EQ(player->interactionMode, 0);
    EXPECT_TRUE(player->SetInteractionMode(true, 5, false));
    EXPECT_EQ(CountLines("showMenu NpcMenu"), 1);
}

TEST_F(PlayerClientModes, AQuestGiverShowsItsScreenWithTheFirstOfferNotHeldAndAsksForItsLine)
{
    EntityClient* giver = MirroredNeighbour(20.0f);
    ASSERT_NE(giver, nullptr);
    giver->isNpc = true;
    giver->npcType = 1;
    giver->questOffers = {4, 9};
    gameClient->npcChatText = "an old line";
    ui.hintChain.push_back({"QuestGivers", ""});
    player->SetTarget(giver, true);
    ASSERT_TRUE(player->SetInteractionMode(true, 24, false));
    EXPECT_EQ(CountLines("showMenu QuestNpcMenu"), 1);
    EXPECT_EQ(vars.GetStringByName("SelectedQuest"), "4");
    EXPECT_EQ(gameClient->npcChatText, "") << "the last NPC's line is not shown for this one";
    const auto& queued = app->GetQueuedLines();
    EXPECT_EQ(std::count(queued.begin(), queued.end(), "getNpcChat"), 1);
    EXPECT_EQ(ui.shownHints, std::vector<std::string>{"QuestGivers"});
    // Leaving hides whichever giver's screen was shown.
    ASSERT_TRUE(player->SetInteractionMode(false, 0, false));
    EXPECT_EQ(CountLines("hideMenu QuestNpcMenu"), 1);
    EXPECT_EQ(CountLines("hideMenu NpcPotentialRecruitMenu"), 1);
    EXPECT_EQ(CountLines("hideMenu GetQuest"), 1);
}

TEST_F(PlayerClientModes, AGiverWithNothingNewChoosesNoQuestAndOtherKindsShowTheirOwnScreens)
{
    EntityClient* giver = MirroredNeighbour(20.0f);
    ASSERT_NE(giver, nullptr);
    giver->isNpc = true;
    giver->npcType = 4;
    giver->questOffers = {};
    vars.SetStringByName("SelectedQuest", "7");
    ui.hintChain.push_back({"QuestGivers", ""});
    player->SetTarget(giver, true);
    ASSERT_TRUE(player->SetInteractionMode(true, 24, false));
    EXPECT_EQ(CountLines("showMenu NpcPotentialRecruitMenu"), 1);
    EXPECT_EQ(vars.GetStringByName("SelectedQuest"), "") << "an earlier giver's quest is not taken here";
    EXPECT_TRUE(ui.shownHints.empty()) << "a recruit is no quest giver to be told about";
    // Something that is no NPC at all.
    giver->isNpc = false;
    ASSERT_TRUE(player->SetInteractionMode(true, 24, false));
    EXPECT_EQ(CountLines("showMenu GetQuest"), 1);
}

TEST_F(PlayerClientModes, AutoAttackIsReportedNeverStored)
{
    player->opponentNumber = 7;
    vars.SetStringByName("ui_autoAttack", "1");
    EXPECT_EQ(player->GetInteractionMode(), 3);
    EXPECT_EQ(player->interactionMode, 0);
    EXPECT_EQ(player->GetTargetNumber(true), 7);
    EXPECT_EQ(player->GetTargetNumber(false), -1);
    vars.SetStringByName("ui_autoAttack", "0");
    EXPECT_EQ(player->GetInteractionMode(), 0);
}

TEST_F(PlayerClientModes, TheFrameWaitsForABodyAndHalvesHealthAsWholeNumbers)
{
    PlayerClient bodiless;
    bodiless.interactionMode = 5;
    bodiless.Update(0.1f);
    EXPECT_EQ(bodiless.interactionMode, 5) << "no body, no frame";

    EntityClient* body = player->GetBody();
    ASSERT_NE(body, nullptr);
    body->maxHealth = 7;
    body->health = 3;
    player->Update(0.05f);
    EXPECT_TRUE(ui.shownHints.empty());
    body->health = 2;
    player->Update(0.05f);
    EXPECT_EQ(ui.shownHints, std::vector<std::string>{"LowHealth"});
    body->health = 0;
    player->Update(0.05f);
    EXPECT_EQ(player->interactionMode, 1);
    EXPECT_EQ(CountLines("showMenu PlayerDead"), 0) << "the frame's own death mode opens no menu";
    EXPECT_EQ(ui.shownHints.back(), "Death");
}

TEST_F(PlayerClientModes, WallsAndEntitiesBlockUnlessTheNoCollisionFlagIsSet)
{
    EntityClient* rock = MirroredNeighbour(100.0f);
    ASSERT_NE(rock, nullptr);
    rock->solidType = 0;
    rock->radius = 10.0f;
    EXPECT_FALSE(player->CanMoveTo(player->GetPosition(), 5)) << "a walled cell";
    EXPECT_FALSE(player->CanMoveTo(rock->position, 5));
    player->movementFlags = PlayerClient::kMoveNoCollision;
    EXPECT_TRUE(player->CanMoveTo(rock->position, 5));
    EXPECT_TRUE(player->CanMoveTo(player->GetPosition(), 5));
}

// A door's leaf blocks the cells of its own tile: a player beside it, with open ground between,
// is within reach of it (else the approach walks on into the doorway, where the door cannot
// shut), while a wall between the two still keeps it out of reach.
TEST_F(PlayerClientModes, AnObjectOnItsOwnBlockedCellsIsInReachOverOpenGroundButNotThroughAWall)
{
    EntityClient* door = MirroredNeighbour(80.0f);
    ASSERT_NE(door, nullptr);
    door->radius = 32.0f;
    const WorldPos from = player->GetPosition();
    auto setCell = [](const WorldPos& at, bool blocked) {
        LevelData& data = *gWorld->GetLevel(at.level)->data;
        const LevelGeometry& g = data.geometry;
        auto cx = static_cast<int32_t>(std::floor(at.x / 32.0f + 0.5f));
        auto cy = static_cast<int32_t>(std::floor(at.y / 32.0f + 0.5f));
        // The cell's block counts as walked into, and is built, before its bit is set.
        data.visited[static_cast<size_t>(cy / g.CellsPerBlockY() * g.blocksPerRow + cx / g.CellsPerBlockX())] = true;
        gWorld->IsCellBlocked(at);
        data.movementBits[static_cast<size_t>(cy * g.CellsAcross() + cx)] = blocked;
    };
    // This adventure's cells are all walls: the ground up to the door's tile is opened; the
    // two cells of its tile stay blocked under its leaf.
    for (float dx = 0.0f; dx + door->radius < 80.0f; dx += 8.0f)
        setCell(from.Offset(Vector2{dx, 0.0f}), false);
    ASSERT_TRUE(gWorld->IsCellBlocked(door->position.Offset(Vector2{-door->radius, 0.0f})))
        << "the door's tile is blocked to its edge";
    player->SetTarget(door, true);
    EXPECT_TRUE(player->TargetWithinReach());

    setCell(from.Offset(Vector2{32.0f, 0.0f}), true);
    EXPECT_FALSE(player->TargetWithinReach()) << "a wall between";
}

TEST_F(PlayerClientModes, AMoveTargetIsWalkedAtTheCharactersSpeedAndTheHostFollows)
{
    // Nothing stops this player (the host's flag reaches the mirror): it walks straight,
    // without a path search.
    hostPlayer->flags |= PlayerClient::kMoveNoCollision;
    ClientFrame(0);
    ClientFrame(0);
    ASSERT_EQ(player->movementFlags & PlayerClient::kMoveNoCollision, PlayerClient::kMoveNoCollision);
    ASSERT_GT(player->stats.Get(CharacterStat::Movement), 0);
    float speed = static_cast<float>(player->stats.Get(CharacterStat::Movement));
    WorldPos start = player->GetPosition();
    WorldPos goal = start;
    goal.x += 64.0f;
    player->SetMoveTarget(goal);
    ClientFrame(100);
    float walked = start.Distance2D(player->GetPosition());
    EXPECT_NEAR(walked, speed * 0.1f, 0.5f);
    EXPECT_TRUE(player->walkedThisFrame);
    for (int i = 0; i < 100 && player->IsMoving(); ++i)
        ClientFrame(100);
    EXPECT_NEAR(player->GetPosition().x, goal.x, 0.01f);
    EXPECT_NEAR(player->GetPosition().y, goal.y, 0.01f);
    ClientFrame(100);
    EXPECT_NEAR(hostPlayer->position.x, goal.x, 0.01f);
    EXPECT_FALSE(player->walkedThisFrame);

    // With walls in the way and no path finder, a move is dropped at once.
    hostPlayer->flags &= ~PlayerClient::kMoveNoCollision;
    ClientFrame(0);
    ClientFrame(0);
    WorldPos back = start;
    player->SetMoveTarget(back);
    ClientFrame(100);
    EXPECT_FALSE(player->IsMoving());
    EXPECT_NEAR(player->GetPosition().x, goal.x, 0.01f);
}

TEST_F(PlayerClientModes, AHintChainShowsItsFirstUnseenHintAndALoopEnds)
{
    ui.hintChain = {{"A", "B"}, {"B", "A"}, {"Alone", ""}};
    player->hintsSeen.assign(ui.hintChain.size(), false);
    // Seeing a hint leads on to the next of its chain.
    player->SetHintSeen(0);
    EXPECT_EQ(ui.shownHints, std::vector<std::string>{"B"});
    player->SetHintSeen(1);
    ui.shownHints.clear();
    // Every hint of the loop seen: the walk ends and shows nothing.
    player->TriggerHint("A");
    player->TriggerHint("Nobody");
    EXPECT_TRUE(ui.shownHints.empty());
    player->TriggerHint("Alone");
    EXPECT_EQ(ui.shownHints, std::vector<std::string>{"Alone"});
}

} // namespace
