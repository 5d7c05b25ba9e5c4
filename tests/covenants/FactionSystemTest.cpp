// FactionSystemTest -- factions read from the database, reputations, wars, the kill rule, relationship codes and the world save's faction block.
#include "BenchAllocations.h"
#include "core/MessageBuffer.h"
#include "covenants/CovenantWorld.h"
#include "covenants/FactionSystem.h"
#include "rules/RulesEnums.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <tuple>

class FactionSystemTest : public CovenantWorld {
protected:
    static constexpr const char* kFactionRecords = R"(
FactionSystem
{
    ChangePerKill -10
    MaxHateReputation 10
    MaxDislikeReputation 30
    MinLikeReputation 70
    MinLoveReputation 90
    PlayerFactionName "Wardens"
    NpcFactionName "Villagers"
}
FactionWardens
{
    Type Faction
    Name "Wardens"
    CanGoToWar 1
    DefaultReputation 50
    ReputationWith FactionVillagers
    ReputationFactionVillagers 80
}
FactionVillagers
{
    Type Faction
    Name "Villagers"
    DefaultReputation 60
    ReputationWith FactionWardens
    ReputationFactionWardens 85
    ReputationWith FactionNowhere
    ReputationFactionNowhere 5
}
FactionWolves
{
    Type Faction
    Name "Wolves"
    CanGoToWar 1
    DefaultReputation 20
    ReputationWith FactionCrows
    ReputationFactionCrows 75
}
FactionCrows
{
    Type Faction
    Name "Crows"
    CanGoToWar 1
    DefaultReputation 40
}
)";

    FactionSystemTest()
    {
        LoadRecords(std::string(kActorRecords) + kCovenantRecords + kFactionRecords);
        factions = std::make_unique<FactionSystem>();
    }

    Actor* ActorOf(const char* faction)
    {
        Actor* actor = SpawnActor();
        actor->factionIndex = factions->GetFactionIndex(faction);
        return actor;
    }

    int32_t Index(const char* name) const { return factions->GetFactionIndex(name); }

    // An actor of no faction.
    Actor* Faceless()
    {
        Actor* actor = SpawnActor();
        actor->factionIndex = -1;
        return actor;
    }

    // Every faction's reputation toward every other, a war counted as 1000 more, for "nothing
    // changed" checks.
    static std::vector<float> Snapshot(const FactionSystem& system)
    {
        std::vector<float> all;
        for (int32_t a = 0; a < system.GetFactionCount(); ++a)
            for (int32_t b = 0; b < system.GetFactionCount(); ++b)
                all.push_back(system.GetReputation(a, b) + (system.IsAtWar(a, b) ? 1000.0f : 0.0f));
        return all;
    }

    std::unique_ptr<FactionSystem> factions;
};

TEST_F(FactionSystemTest, EntriesAreReadWithTheirReputationsAndSpecialFactions)
{
    ASSERT_EQ(factions->GetFactionCount(), 4);
    EXPECT_EQ(factions->playerFaction, Index("Wardens"));
    EXPECT_EQ(factions->npcFaction, Index("Villagers"));
    EXPECT_FLOAT_EQ(factions->changePerKill, -10.0f);
    EXPECT_FLOAT_EQ(factions->GetReputation(Index("Wardens"), Index("Villagers")), 80.0f);
    EXPECT_FLOAT_EQ(factions->GetReputation(Index("Villagers"), Index("Wardens")), 85.0f);
    // A name no entry has is skipped; an unknown pair takes the default; itself 100.
    EXPECT_EQ(factions->FindFactionByName("Nowhere"), nullptr);
    EXPECT_FLOAT_EQ(factions->GetReputation(Index("Villagers"), Index("Wolves")), 60.0f);
    EXPECT_FLOAT_EQ(factions->GetReputation(Index("Crows"), Index("Crows")), 100.0f);
    EXPECT_FLOAT_EQ(factions->GetReputation(-1, Index("Crows")), 50.0f);
    EXPECT_FLOAT_EQ(factions->GetReputation(Index("Crows"), -1), 50.0f);
    EXPECT_FALSE(factions->GetFaction(Index("Villagers"))->canGoToWar);
    // Case matters.
    EXPECT_EQ(factions->GetFactionIndex("wolves"), -1);
    EXPECT_EQ(factions->FindFactionByName("wolves"), nullptr);
    EXPECT_EQ(factions->FindFactionByName("Wolves"), factions->GetFaction(Index("Wolves")));
}

TEST_F(FactionSystemTest, AFactionNamedBeforeItsEntryKeepsFreshDefaultsUntilRead)
{
    LoadRecords(std::string(kActorRecords) + kCovenantRecords +
                "FactionAhead\n{\n Type Faction\n Name \"Ahead\"\n ReputationWith FactionLater\n ReputationFactionLater 12\n}\n"
                "FactionLater\n{\n Type Faction\n Name \"Later\"\n CanGoToWar 0\n DefaultReputation 33\n}\n");
    FactionSystem system;
    // A faction made on the fly by another's reference.
    int32_t later = system.GetOrAddFaction("Brand new");
    EXPECT_TRUE(system.GetFaction(later)->canGoToWar);
    EXPECT_FLOAT_EQ(system.GetFaction(later)->defaultReputation, 50.0f);
    // Once its own entry is read, it takes that entry's values.
    EXPECT_FALSE(system.FindFactionByName("Later")->canGoToWar);
    EXPECT_FLOAT_EQ(system.FindFactionByName("Later")->defaultReputation, 33.0f);
    EXPECT_FLOAT_EQ(system.GetReputation(system.GetFactionIndex("Ahead"), system.GetFactionIndex("Later")), 12.0f);
}

TEST_F(FactionSystemTest, ChangesWarsAndPeace)
{
    int32_t wolves = Index("Wolves");
    int32_t crows = Index("Crows");
    factions->ChangeReputation(wolves, crows, 40.0f);
    EXPECT_FLOAT_EQ(factions->GetReputation(wolves, crows), 115.0f);
    factions->ChangeReputationClamped(wolves, crows, 1.0f);
    EXPECT_FLOAT_EQ(factions->GetReputation(wolves, crows), 100.0f);
    factions->ChangeReputationClamped(crows, wolves, -70.0f);
    EXPECT_FLOAT_EQ(factions->GetReputation(crows, wolves), 0.0f);

    int32_t wardens = Index("Wardens");
    // Both must exist and both be free to go to war.
    const std::tuple<int32_t, int32_t, bool> pairs[] = {
        {wolves, wardens, true}, {wolves, Index("Villagers"), false}, {Index("Villagers"), wolves, false},
        {wolves, -1, false}, {-1, wolves, false}, {wolves, 99, false}};
    for (auto [a, b, both] : pairs)
        EXPECT_EQ(factions->CanBothGoToWar(a, b), both) << a << " " << b;
    factions->DeclareWar(wolves, wardens);
    EXPECT_TRUE(factions->IsAtWar(wolves, wardens));
    EXPECT_TRUE(factions->IsAtWar(wardens, wolves));
    // The entries made for the war start neutral.
    EXPECT_FLOAT_EQ(factions->GetReputation(wardens, wolves), 50.0f);
    factions->MakePeace(wardens, wolves);
    EXPECT_FALSE(factions->IsAtWar(wolves, wardens));
    EXPECT_FALSE(factions->IsAtWar(-1, wolves));
}

TEST_F(FactionSystemTest, RelationshipBandsAndWar)
{
    Actor* wolf = ActorOf("Wolves");
    Actor* crow = ActorOf("Crows");
    int32_t wolves = Index("Wolves");
    int32_t crows = Index("Crows");
    const std::pair<float, int32_t> bands[] = {{9.9f, 0}, {10.0f, 1}, {29.9f, 1}, {30.0f, 2},
                                               {69.9f, 2}, {70.0f, 3}, {90.0f, 4}};
    for (auto [reputation, code] : bands) {
        factions->SetReputation(wolves, crows, reputation);
        EXPECT_EQ(factions->GetRelationship(wolf, crow), code) << reputation;
    }
    // The quests' question between two figures reads their factions' reputation as it stands.
    EXPECT_FLOAT_EQ(factions->GetReputationOfNamed(*wolf, *crow), 90.0f);
    EXPECT_FLOAT_EQ(factions->GetReputationOfNamed(*crow, *wolf), factions->GetReputation(crows, wolves));
    EXPECT_FLOAT_EQ(factions->GetReputationOfNamed(*wolf, *Spawn<Entity>(0.0f, 0.0f)), 50.0f) << "no faction";
    factions->DeclareWar(wolves, crows);
    EXPECT_EQ(factions->GetRelationship(wolf, crow), 0);
    // Same faction, no entry: 100, a friend.
    EXPECT_EQ(factions->GetRelationship(wolf, ActorOf("Wolves")), 4);
    // A missing side or a side without a faction is neutral.
    EXPECT_EQ(factions->GetRelationship(wolf, nullptr), 2);
    EXPECT_EQ(factions->GetRelationship(wolf, Spawn<Entity>(0.0f, 0.0f)), 2);
    EXPECT_EQ(factions->GetRelationship(Faceless(), crow), 2);
}

TEST_F(FactionSystemTest, CovenantMembersStandByTheirCovenantsAndCountAsThePlayersFaction)
{
    PlainCovenant& first = AddCovenant();
    PlainCovenant& second = AddCovenant();
    Actor* member = Faceless();
    member->covenantIndex = first.index;
    Actor* rival = ActorOf("Wolves");
    rival->covenantIndex = second.index;
    EXPECT_EQ(factions->GetRelationship(member, rival), 2);
    first.SetTreatyState(second.index, CovenantTreaty::War);
    EXPECT_EQ(factions->GetRelationship(member, rival), 0);
    Actor* fellow = Faceless();
    fellow->covenantIndex = first.index;
    EXPECT_EQ(factions->GetRelationship(member, fellow), 4);

    // A villager or a warden faces a member as a friend; anyone else by the players' faction.
    EXPECT_EQ(factions->GetRelationship(member, ActorOf("Villagers")), 3);
    EXPECT_EQ(factions->GetRelationship(member, ActorOf("Wardens")), 3);
    factions->SetReputation(Index("Wardens"), Index("Wolves"), 5.0f);
    EXPECT_EQ(factions->GetRelationship(member, ActorOf("Wolves")), 0);
    // And the other way round: the wolves judge the member as a warden.
    factions->SetReputation(Index("Wolves"), Index("Wardens"), 75.0f);
    EXPECT_EQ(factions->GetRelationship(ActorOf("Wolves"), member), 3);
}

TEST_F(FactionSystemTest, AKillSpreadsToTheVictimsFriends)
{
    int32_t wolves = Index("Wolves");
    int32_t crows = Index("Crows");
    int32_t wardens = Index("Wardens");
    int32_t villagers = Index("Villagers");
    Actor* wolf = ActorOf("Wolves");
    Actor* crow = ActorOf("Crows");
    // By hand: the crows lose 10 toward the wolves (their default 40 -> 30). The wardens (50)
    // and the villagers (60) like the crows less than "MinLikeReputation". The wolves like the
    // crows (75) but themselves more (100): no change.
    factions->OnKill(wolf, crow, 0);
    EXPECT_FLOAT_EQ(factions->GetReputation(crows, wolves), 30.0f);
    EXPECT_FLOAT_EQ(factions->GetReputation(wolves, wolves), 100.0f);
    EXPECT_FLOAT_EQ(factions->GetReputation(wardens, wolves), 50.0f);

    // A warden kills a villager: the villagers lose 10 toward the wardens (85 -> 75); the
    // wardens like the villagers at 80 but themselves at 100: unchanged. The wolves like the
    // villagers (80) more than the wardens (60): they follow by 80 x -10 x 0.01 = -8.
    factions->SetReputation(wolves, villagers, 80.0f);
    factions->SetReputation(wolves, wardens, 60.0f);
    factions->OnKill(ActorOf("Wardens"), ActorOf("Villagers"), 0);
    EXPECT_FLOAT_EQ(factions->GetReputation(villagers, wardens), 75.0f);
    EXPECT_FLOAT_EQ(factions->GetReputation(wolves, wardens), 52.0f);
    EXPECT_FLOAT_EQ(factions->GetReputation(wardens, wardens), 100.0f);

    // Not an ordinary kill, a missing side, a side without faction, two covenant members:
    // nothing.
    std::vector<float> before = Snapshot(*factions);
    factions->OnKill(wolf, crow, 1);
    factions->OnKill(nullptr, crow, 0);
    factions->OnKill(Faceless(), crow, 0);
    PlainCovenant& covenant = AddCovenant();
    wolf->covenantIndex = crow->covenantIndex = covenant.index;
    factions->OnKill(wolf, crow, 0);
    EXPECT_EQ(Snapshot(*factions), before);
    // A covenant member killed by a monster still counts.
    wolf->covenantIndex = -1;
    factions->OnKill(wolf, crow, 0);
    EXPECT_FLOAT_EQ(factions->GetReputation(crows, wolves), 20.0f);
}

TEST_F(FactionSystemTest, TheSavedBlockRoundTripsAndDropsUnknownNames)
{
    int32_t wolves = Index("Wolves");
    int32_t crows = Index("Crows");
    factions->SetReputation(wolves, crows, 12.5f);
    factions->DeclareWar(wolves, Index("Wardens"));
    MessageBuffer saved;
    factions->WriteFactions(saved);

    FactionSystem fresh;
    EXPECT_FLOAT_EQ(fresh.GetReputation(wolves, crows), 75.0f);
    ASSERT_TRUE(fresh.ReadFactionsState(saved));
    EXPECT_FLOAT_EQ(fresh.GetReputation(wolves, crows), 12.5f);
    EXPECT_TRUE(fresh.IsAtWar(Index("Wardens"), wolves));
    EXPECT_FALSE(fresh.IsAtWar(wolves, crows));
    EXPECT_EQ(saved.BytesLeft(), 0u);

    // A faction this world lacks and an entry naming one are read past and dropped.
    MessageBuffer foreign;
    foreign.WriteUInt(2);
    foreign.WriteString("Ghosts");
    foreign.WriteUInt(1);
    foreign.WriteString("Crows");
    foreign.WriteFloat(1.0f);
    foreign.WriteInt(1);
    foreign.WriteString("Crows");
    foreign.WriteUInt(2);
    foreign.WriteString("Ghosts");
    foreign.WriteFloat(2.0f);
    foreign.WriteInt(0);
    foreign.WriteString("Wolves");
    foreign.WriteFloat(3.0f);
    foreign.WriteInt(0);
    ASSERT_TRUE(fresh.ReadFactionsState(foreign));
    EXPECT_FLOAT_EQ(fresh.GetReputation(crows, wolves), 3.0f);
    EXPECT_EQ(fresh.GetFactionCount(), 4);
    EXPECT_FALSE(fresh.IsAtWar(crows, wolves));
}

TEST_F(FactionSystemTest, ACutOrOversizedBlockChangesNothing)
{
    factions->SetReputation(Index("Wolves"), Index("Crows"), 12.5f);
    factions->DeclareWar(Index("Wolves"), Index("Wardens"));
    factions->SetReputation(Index("Crows"), Index("Villagers"), 99.0f);
    MessageBuffer saved;
    factions->WriteFactions(saved);
    std::vector<uint8_t> bytes(saved.Data(), saved.Data() + saved.Size());

    FactionSystem target;
    std::vector<float> before = Snapshot(target);
    for (size_t cut = 0; cut < bytes.size(); ++cut) {
        MessageBuffer part;
        part.WriteBytes(bytes.data(), cut);
        EXPECT_FALSE(target.ReadFactionsState(part)) << "cut at " << cut;
        ASSERT_EQ(Snapshot(target), before) << "cut at " << cut;
    }

    // Huge counts, at the front and at a faction's entries, are refused without growing.
    for (size_t at : {size_t{0}, size_t{4} + std::string("Wardens").size() + 1}) {
        std::vector<uint8_t> hostile = bytes;
        for (size_t i = 0; i < 4; ++i)
            hostile[at + i] = 0xff;
        MessageBuffer part;
        part.WriteBytes(hostile.data(), hostile.size());
        BenchAllocations::Reset();
        BenchAllocations::SetCounting(true);
        bool read = target.ReadFactionsState(part);
        BenchAllocations::SetCounting(false);
        EXPECT_FALSE(read);
        EXPECT_LT(BenchAllocations::Count(), 16);
        EXPECT_EQ(Snapshot(target), before);
    }
    // A count of 2^31 - 1 too.
    MessageBuffer large;
    large.WriteUInt(std::numeric_limits<int32_t>::max());
    large.WriteString("Wolves");
    EXPECT_FALSE(target.ReadFactionsState(large));
    EXPECT_EQ(Snapshot(target), before);
}
