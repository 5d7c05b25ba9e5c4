// PlayerPartyTest -- recruits and the party, the two gate pairs, the teleports and the other side's containers, in the level-object world.
#include "entities/Actor.h"
#include "entities/CharacterSettings.h"
#include "entities/Gate.h"
#include "entities/Inventory.h"
#include "entities/LevelObjectWorld.h"
#include "rules/GameData.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

constexpr const char* kPartyRecords = R"(
GameSystem
{
    MaxRecruits 2
    MaxAdventureGroupSize 3
    GridSize 32
}
ObjectPlayerGate
{
    Type Object
    ObjectType Gate
}
ObjectRaidGate
{
    Type Object
    ObjectType Gate
}
)";

// A player's covenant that keeps its recruits in a list and says what it did with them.
class RecruitingCovenant : public GateTestCovenant {
public:
    int32_t CountRecruits() const override { return static_cast<int32_t>(recruits.size()); }
    bool HasRoomForRecruit() const override { return CountRecruits() < gGameData->GetTuning().maxRecruits; }
    Sentient* GetRecruitActor(int32_t index) const override
    {
        return index >= 0 && index < CountRecruits() ? recruits[static_cast<size_t>(index)] : nullptr;
    }
    bool TakeRecruit(Sentient& npc) override
    {
        recruits.push_back(&npc);
        return true;
    }
    void SendRecruitToHouse(Sentient& recruit) override { log.push_back("house " + std::to_string(recruit.entityNumber)); }
    bool ReleaseFromHouse(Sentient& recruit) override
    {
        log.push_back("release " + std::to_string(recruit.entityNumber));
        return true;
    }

    std::vector<Sentient*> recruits;
    std::vector<std::string> log;
};

class PlayerPartyWorld : public LevelObjectWorld {
protected:
    Player* Ready()
    {
        LoadWorld(kPartyRecords);
        Player* player = MakePlayer();
        game.covenants = {&recruiting};
        player->covenantIndex = 0;
        recruiting.houseGate = At(50.0f, 50.0f, 1);
        game.lines.clear();
        return player;
    }

    Sentient* Npc()
    {
        auto* npc = Spawn<Sentient>(520.0f, 500.0f);
        npc->maxHealth = npc->health = 20;
        return npc;
    }

    int32_t CountEntities() const
    {
        int32_t count = 0;
        for (int32_t i = 0; i < GameServices::kMaxEntities; ++i)
            count += game.GetEntity(i) != nullptr;
        return count;
    }

    int32_t CountGates() const
    {
        int32_t gates = 0;
        for (int32_t i = 0; i < GameServices::kMaxEntities; ++i)
            gates += dynamic_cast<Gate*>(game.GetEntity(i)) != nullptr;
        return gates;
    }

    // A gate of the player's standing in the table: of the raid record or the ordinary one, on
    // the house side (within the search rings of the house gate) or the far side.
    Gate* FindGate(bool raid, bool home) const
    {
        const std::string record = raid ? "ObjectRaidGate" : "ObjectPlayerGate";
        for (int32_t i = 0; i < GameServices::kMaxEntities; ++i) {
            auto* gate = dynamic_cast<Gate*>(game.GetEntity(i));
            if (!gate || !gate->GetEntry() || gate->GetEntry()->GetName() != record)
                continue;
            bool besideHouse = gate->position.level == recruiting.houseGate.level &&
                               gate->position.Distance2D(recruiting.houseGate) < 400.0f;
            if (besideHouse == home)
                return gate;
        }
        return nullptr;
    }

    bool Sent(const std::string& text) const
    {
        return std::any_of(game.lines.begin(), game.lines.end(),
                           [&](const std::string& line) { return line.find(text) != std::string::npos; });
    }

    RecruitingCovenant recruiting;
};

} // namespace

// ---- Recruits and the party -----------------------------------------------------------------------

TEST_F(PlayerPartyWorld, MaxRecruitsRefusesARecruitEvenWithRoomInTheParty)
{
    Player* player = Ready();
    player->AddRecruit(Npc(), false);
    player->AddRecruit(Npc(), false);
    game.lines.clear();
    Sentient* third = Npc();
    player->AddRecruit(third, true);
    EXPECT_TRUE(Sent("$$AlreadyHaveMaxCovenantRecruits$$"));
    EXPECT_EQ(recruiting.CountRecruits(), 2);
    EXPECT_EQ(third->GetLeader(), nullptr);
}

TEST_F(PlayerPartyWorld, TheLonerChallengeTakesNoRecruit)
{
    Player* player = Ready();
    player->SetCharacterFlag(CharacterFlag::kLoner, true);
    player->AddRecruit(Npc(), false);
    EXPECT_TRUE(Sent("$$LonerChallengeWarning$$"));
    EXPECT_EQ(recruiting.CountRecruits(), 0);
}

TEST_F(PlayerPartyWorld, ARecruitJoinsThePartyUntilItIsFullThenGoesNowhere)
{
    Player* player = Ready();
    Sentient* first = Npc();
    player->AddRecruit(first, true);
    EXPECT_EQ(first->GetLeader(), player);
    EXPECT_EQ(game.worldEvents.back().name, "Sounds/newRecruit.ogg");
    Sentient* second = Npc();
    player->AddRecruit(second, true);
    EXPECT_EQ(player->CountCompanions(), 2);
    // Group size 3: the player and two companions. A third recruit may still join the house.
    recruiting.recruits.clear();
    Sentient* third = Npc();
    player->AddRecruit(third, true);
    EXPECT_TRUE(Sent("$$AlreadyHaveMaxPartySize$$"));
    EXPECT_EQ(recruiting.CountRecruits(), 0);
    player->AddRecruit(third, false);
    EXPECT_EQ(recruiting.log.back(), "house " + std::to_string(third->entityNumber));
}

TEST_F(PlayerPartyWorld, AddToPartyTakesARecruitFromTheHouseBelowTheLimit)
{
    Player* player = Ready();
    Sentient* recruit = Npc();
    player->AddToParty(recruit, 2);
    EXPECT_EQ(recruit->GetLeader(), player);
    EXPECT_EQ(recruiting.log.back(), "release " + std::to_string(recruit->entityNumber));
    Sentient* another = Npc();
    player->AddToParty(another, 2);
    EXPECT_TRUE(Sent("$$AlreadyHaveMaxPartySize$$"));
    EXPECT_EQ(another->GetLeader(), nullptr);
}

TEST_F(PlayerPartyWorld, DismissedCompanionsGoBackToTheHouse)
{
    Player* player = Ready();
    Sentient* first = Npc();
    Sentient* second = Npc();
    player->AddRecruit(first, true);
    player->AddRecruit(second, true);
    player->DismissCompanions();
    EXPECT_EQ(player->CountCompanions(), 0);
    EXPECT_EQ(first->GetLeader(), nullptr);
    EXPECT_EQ(second->GetLeader(), nullptr);
    EXPECT_EQ(std::count_if(recruiting.log.begin(), recruiting.log.end(),
                            [](const std::string& entry) { return entry.rfind("house", 0) == 0; }),
              2);
}

// ---- Gates --------------------------------------------------------------------------------------

TEST_F(PlayerPartyWorld, AnOrdinaryGateNeedsALevelThatAllowsGatesARaidGateDoesNot)
{
    Player* player = Ready();
    EXPECT_FALSE(player->CreateGate(At(500.0f, 500.0f, 1), false, false));
    EXPECT_TRUE(Sent("$$CantCreateGateHere$$"));
    EXPECT_EQ(CountGates(), 0);
    EXPECT_TRUE(player->CreateGate(At(500.0f, 500.0f, 1), true, false));
    ASSERT_NE(FindGate(true, false), nullptr);
    ASSERT_NE(FindGate(true, true), nullptr);
    EXPECT_EQ(FindGate(true, false)->GetLinked(), FindGate(true, true));
    EXPECT_EQ(player->raidGatePosition.level, 1);
}

TEST_F(PlayerPartyWorld, ASecondPairReplacesTheFirstAndLeavesTheRaidPair)
{
    Player* player = Ready();
    areas[0]->playerCanCreateGate = true;
    ASSERT_TRUE(player->CreateGate(At(500.0f, 500.0f, 0), false, false));
    ASSERT_TRUE(player->CreateGate(At(800.0f, 800.0f, 0), true, false));
    Entity* raid = FindGate(true, false);
    ASSERT_TRUE(player->CreateGate(At(900.0f, 900.0f, 0), false, false));
    EXPECT_FLOAT_EQ(player->playerGatePosition.x, 900.0f);
    game.Step();
    // The old pair left the table; the new pair and the raid pair stand.
    EXPECT_EQ(CountGates(), 4);
    ASSERT_NE(FindGate(false, false), nullptr);
    EXPECT_FLOAT_EQ(FindGate(false, false)->position.x, 900.0f);
    EXPECT_EQ(FindGate(true, false), raid);
    // The player names each end of its two pairs as the table holds them.
    for (bool isRaid : {false, true})
        for (bool home : {false, true})
            EXPECT_EQ(player->GetGate(isRaid, home), FindGate(isRaid, home)) << isRaid << home;
    player->RemoveGates(true);
    EXPECT_EQ(player->GetGate(true, false), nullptr);
    EXPECT_EQ(player->GetGate(true, true), nullptr);
}

TEST_F(PlayerPartyWorld, RepeatedRaidsLeaveOneRaidPair)
{
    Player* player = Ready();
    for (int32_t i = 0; i < 5; ++i) {
        ASSERT_TRUE(player->CreateGate(At(500.0f + 40.0f * static_cast<float>(i), 500.0f, 2), true, false));
        game.Step();
    }
    EXPECT_EQ(CountGates(), 2);
}

TEST_F(PlayerPartyWorld, NoHouseGateMakesNoPairAndLeaksNothing)
{
    Player* player = Ready();
    recruiting.houseGate = At(0.0f, 0.0f, -1);
    int32_t before = CountEntities();
    EXPECT_FALSE(player->CreateGate(At(500.0f, 500.0f, 2), true, false));
    EXPECT_EQ(CountEntities(), before);
    EXPECT_EQ(player->raidGatePosition.level, -1);
}

TEST_F(PlayerPartyWorld, WithoutForceACrowdedSideMakesNoPairAndKeepsTheOldOne)
{
    Player* player = Ready();
    ASSERT_TRUE(player->CreateGate(At(500.0f, 500.0f, 2), true, false));
    Entity* raid = FindGate(true, false);
    int32_t before = CountEntities();
    // Every spot around the house gate is taken; the far side is open.
    game.cellBlocked = [](const WorldPos& where) { return where.level == 1; };
    EXPECT_FALSE(player->CreateGate(At(700.0f, 500.0f, 2), true, false));
    EXPECT_EQ(CountEntities(), before);
    EXPECT_EQ(FindGate(true, false), raid);
    EXPECT_FLOAT_EQ(player->raidGatePosition.x, 500.0f);
    // Every spot is taken: only force places the pair, on the asked-for spots.
    game.cellBlocked = [](const WorldPos&) { return true; };
    EXPECT_FALSE(player->CreateGate(At(700.0f, 500.0f, 2), true, false));
    ASSERT_TRUE(player->CreateGate(At(700.0f, 500.0f, 2), true, true));
    game.Step();
    ASSERT_EQ(CountGates(), 2) << "the forced pair replaced the old one";
    ASSERT_NE(FindGate(true, false), nullptr);
    EXPECT_FLOAT_EQ(FindGate(true, false)->position.x, 700.0f);
    EXPECT_NE(FindGate(true, true), nullptr);
}

TEST_F(PlayerPartyWorld, ACharacterBackInItsWorldReopensBothPairsAndTakesItsPartyBack)
{
    Player* player = Ready();
    areas[0]->playerCanCreateGate = true;
    Sentient* stays = Npc();
    Sentient* joins = Npc();
    recruiting.recruits = {stays, joins};
    CharacterSettings saved;
    saved.loaded = true;
    saved.classIndex = 0;
    saved.stats.assign(CharacterStat::Num, 1);
    saved.inventory = std::make_unique<Inventory>();
    saved.gatesKept = true;
    saved.playerGate = At(300.0f, 300.0f, 0);
    saved.raidGate = At(600.0f, 600.0f, 2);
    saved.partyKept = true;
    saved.recruitIndices = {1};
    player->ApplyCharacter(saved);
    ASSERT_NE(FindGate(false, false), nullptr);
    ASSERT_NE(FindGate(true, false), nullptr);
    EXPECT_EQ(FindGate(false, false)->position.level, 0);
    EXPECT_EQ(FindGate(true, false)->position.level, 2);
    EXPECT_NE(FindGate(false, true), nullptr);
    EXPECT_NE(FindGate(true, true), nullptr);
    EXPECT_EQ(CountGates(), 4);
    EXPECT_FLOAT_EQ(player->raidGatePosition.x, 600.0f);
    EXPECT_EQ(joins->GetLeader(), player);
    EXPECT_EQ(stays->GetLeader(), nullptr);
}

TEST_F(PlayerPartyWorld, TheCreateGateEventOpensAPairWhereThePlayerStands)
{
    Player* player = Ready();
    areas[0]->playerCanCreateGate = true;
    ASSERT_TRUE(player->StartTimedEvent(Sentient::GetEventId(SentientEvent::CreateGate), 6, 0.0f));
    game.Step();
    game.Step();
    ASSERT_NE(FindGate(false, false), nullptr);
    EXPECT_EQ(FindGate(false, false)->position.level, 0);
    EXPECT_EQ(player->playerGatePosition.level, 0);
}

// ---- Warps and teleports ------------------------------------------------------------------------

TEST_F(PlayerPartyWorld, AWarpTellsTheClientsAndHoldsTheLandingAsTheMoveTarget)
{
    Player* player = Ready();
    player->Warp(At(1000.0f, 1200.0f, 3));
    EXPECT_TRUE(Sent("warp 3 1000.0 1200.0"));
    EXPECT_TRUE(player->moveTargetValid);
    EXPECT_EQ(player->moveTarget.level, 3);
    game.lines.clear();
    player->Warp(At(10.0f, 10.0f, 9));
    EXPECT_FALSE(Sent("warp"));
    EXPECT_EQ(player->position.level, 3);
}

TEST_F(PlayerPartyWorld, ATeleportToACovenantLandsBesideItsHome)
{
    Player* player = Ready();
    auto* house = Spawn<Entity>(300.0f, 300.0f);
    house->SetPosition(At(300.0f, 300.0f, 2));
    struct HomeCovenant : NeutralCovenant {
        Entity* GetHomeEntity() const override { return homeEntity; }
        Entity* homeEntity = nullptr;
    } other;
    other.homeEntity = house;
    game.covenants = {&recruiting, &other};
    player->GateToCovenant(1);
    EXPECT_EQ(player->position.level, 2);
    EXPECT_NEAR(player->position.x, 500.0f, 40.0f);
    player->GateToCovenant(7);
    EXPECT_EQ(player->position.level, 2);
}

// ---- Containers -----------------------------------------------------------------------------------

TEST_F(PlayerPartyWorld, TheOtherSidesBagsFollowTheInteractionMode)
{
    Player* player = Ready();
    Sentient* trader = Npc();
    trader->inventory->ResizeBag(InventoryGroupIndex::Loot, 5);
    player->SetInteraction(22, trader->entityNumber);
    EXPECT_EQ(player->GetBag(15), trader->GetBag(15));
    player->SetInteraction(3, trader->entityNumber);
    EXPECT_EQ(player->GetBag(15), player->Sentient::GetBag(15));
    EXPECT_EQ(player->GetBag(0), player->Sentient::GetBag(0));
    player->SetInteraction(10, trader->entityNumber);
    EXPECT_EQ(player->GetBag(17), trader->GetBag(17));
    player->SetInteraction(22, trader->entityNumber);
    EXPECT_EQ(player->GetBag(17), player->Sentient::GetBag(17));
}

// ---- Relations -----------------------------------------------------------------------------------

TEST_F(PlayerPartyWorld, TownNpcsAreFairGameOnlyAtWarMonstersAlways)
{
    Player* player = Ready();
    auto* monster = Spawn<Actor>(600.0f, 500.0f);
    monster->maxHealth = monster->health = 10;
    auto* townsman = Spawn<Actor>(620.0f, 500.0f);
    townsman->maxHealth = townsman->health = 10;
    townsman->npc = true;
    game.relationship = 2;
    EXPECT_TRUE(player->IsRelatedTo(monster));
    EXPECT_FALSE(player->IsRelatedTo(townsman));
    EXPECT_TRUE(player->IsNeverHostileTo(townsman));
    game.relationship = 0;
    EXPECT_TRUE(player->IsRelatedTo(townsman));
    EXPECT_FALSE(player->IsNeverHostileTo(townsman));
    EXPECT_FALSE(player->IsRelatedTo(player));
    EXPECT_FALSE(player->IsRelatedTo(nullptr));
}

TEST_F(PlayerPartyWorld, ACovenantMemberIsNoTargetAndWithoutACovenantNobodyIsSpared)
{
    Player* player = Ready();
    Sentient* ally = Npc();
    ally->covenantIndex = 0;
    EXPECT_FALSE(player->IsRelatedTo(ally));
    game.relationship = 3;
    EXPECT_TRUE(player->IsNeverHostileTo(ally));
    player->covenantIndex = -1;
    EXPECT_FALSE(player->IsNeverHostileTo(ally));
    Sentient* stranger = Npc();
    EXPECT_TRUE(player->IsRelatedTo(stranger));
    stranger->health = 0;
    EXPECT_FALSE(player->IsRelatedTo(stranger));
}
