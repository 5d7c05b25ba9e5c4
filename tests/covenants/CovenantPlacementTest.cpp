// CovenantPlacementTest -- a stored offer replacing the last one unannounced, the members' stats recomputed, spots beside the home and where a member rises.
#include "covenants/CovenantWorld.h"
#include "entities/Player.h"
#include "rules/RulesEnums.h"

#include <gtest/gtest.h>

namespace {

// A covenant that counts the offers it hears and says which of its recruits raid.
class ListeningCovenant : public PlainCovenant {
public:
    void ReceiveOffer(Covenant&, const Offer& offer) override { heard.push_back(offer); }
    bool IsRecruitRaiding(const Actor& actor) const override { return &actor == raider; }

    std::vector<Offer> heard;
    const Actor* raider = nullptr;
};

Offer OneEntry(int32_t value)
{
    Offer offer;
    offer.type = 1;
    offer.entries.push_back({0, 8, value});
    return offer;
}

} // namespace

class CovenantPlacement : public CovenantWorld {
protected:
    ListeningCovenant& AddListening() { return AddCovenantOf<ListeningCovenant>(); }
};

TEST_F(CovenantPlacement, AStoredOfferReplacesTheLastWithoutTellingTheOther)
{
    ListeningCovenant& maker = AddListening();
    ListeningCovenant& other = AddListening();
    maker.StorePendingOffer(OneEntry(5), other.index, 60.0f);
    maker.StorePendingOffer(OneEntry(9), other.index, 30.0f);
    const PendingOffer* pending = maker.GetPendingOfferRecord(other.index);
    ASSERT_NE(pending, nullptr);
    EXPECT_EQ(pending->offer, OneEntry(9));
    EXPECT_TRUE(pending->running);
    EXPECT_FLOAT_EQ(pending->remaining, 30.0f);
    EXPECT_EQ(pending->resendsLeft, 4);
    EXPECT_TRUE(other.heard.empty());
    // Cleared with notice, the other hears an empty offer.
    maker.ClearOfferTo(other.index, true);
    ASSERT_EQ(other.heard.size(), 1u);
    EXPECT_TRUE(other.heard[0].entries.empty());
    EXPECT_FALSE(maker.GetPendingOfferRecord(other.index)->running);
    // Outside the records: logged, nothing stored.
    maker.StorePendingOffer(OneEntry(1), 32, 60.0f);
    maker.StorePendingOffer(OneEntry(1), -1, 60.0f);
    EXPECT_EQ(maker.GetPendingOfferRecord(31)->offer.entries.size(), 0u);
}

TEST_F(CovenantPlacement, SpotsBesideTheHomeFallBackToTheHomeItself)
{
    PlainCovenant& covenant = AddCovenant();
    GiveHome(covenant, 10, 10, 800.0f, 800.0f);
    Actor* recruit = SpawnActor();
    game.bodyBlocked = [](const WorldPos& at) { return at.x == 800.0f && at.y == 800.0f; };
    WorldPos spot = covenant.FindSpotNearHome(recruit);
    EXPECT_FALSE(spot.x == 800.0f && spot.y == 800.0f);
    EXPECT_LE(std::abs(spot.x - 800.0f), 32.0f);
    game.bodyBlocked = [](const WorldPos&) { return true; };
    spot = covenant.FindSpotNearHome(recruit);
    EXPECT_FLOAT_EQ(spot.x, 800.0f);
    EXPECT_FLOAT_EQ(spot.y, 800.0f);
}

TEST_F(CovenantPlacement, RaidersRiseAtTheirHomesSpawnPointAndCompanionsByTheirLeader)
{
    ListeningCovenant& raiders = AddListening();
    ListeningCovenant& target = AddListening();
    GiveHome(raiders, 10, 10, 600.0f, 600.0f);
    GiveHome(target, 10, 10, 2000.0f, 2000.0f);
    Actor* raider = SpawnActor("MonsterTester", 5, 1990.0f, 1990.0f);
    raiders.raider = raider;
    raiders.targetCovenant = target.index;
    raiders.SetTreatyState(target.index, CovenantTreaty::Raid);
    WorldPos risen = raiders.GetRespawnPosition(*raider);
    EXPECT_FLOAT_EQ(risen.x, 800.0f);
    EXPECT_FLOAT_EQ(risen.y, 600.0f);

    auto* player = Spawn<Player>(0.0f, 0.0f);
    player->maxHealth = player->health = 50;
    raiders.leader = player;
    raiders.raider = nullptr;
    Actor* companion = SpawnActor();
    companion->homePosition = At(1200.0f, 400.0f);
    player->AddCompanion(companion, 4);
    ASSERT_TRUE(player->IsInParty(companion));
    risen = raiders.GetRespawnPosition(*companion);
    EXPECT_FLOAT_EQ(risen.x, 1200.0f);
    // A dead leader: beside the home (whose stone takes the middle cell).
    player->health = 0;
    risen = raiders.GetRespawnPosition(*companion);
    EXPECT_LE(std::abs(risen.x - 600.0f), 64.0f);
    EXPECT_LE(std::abs(risen.y - 600.0f), 64.0f);
}

TEST_F(CovenantPlacement, ARaiderThatRisesStandsAtItsHomesSpawnPoint)
{
    LoadRecords(std::string(kActorRecords) + kCovenantRecords +
                "ActorRaisable\n{\n Type Actor\n Class ClassMonsterGeneric\n CanBeAttacked 1\n CanBeHurt 1\n"
                " CanBeRaised 1\n}\nMonsterRaisable\n{\n Type MonsterType\n Archetype ArchetypeTest\n"
                " Definition ActorRaisable\n MinLevel 1\n MaxLevel 30\n}\n");
    ListeningCovenant& raiders = AddListening();
    ListeningCovenant& target = AddListening();
    GiveHome(raiders, 10, 10, 600.0f, 600.0f);
    GiveHome(target, 10, 10, 2000.0f, 2000.0f);
    Actor* raider = SpawnActor("MonsterRaisable", 5, 1990.0f, 1990.0f);
    raider->covenantIndex = raiders.index;
    raiders.raider = raider;
    raiders.targetCovenant = target.index;
    raiders.SetTreatyState(target.index, CovenantTreaty::Raid);
    raider->TakeDamage(raider->maxHealth, nullptr, false, false);
    for (int step = 0; step < 3 && raider->GetDeathState() != ActorDeathState::kDead; ++step) {
        raider->Update(FakeGameServices::kStep);
        game.Step();
    }
    ASSERT_TRUE(raider->Resurrect());
    EXPECT_FLOAT_EQ(raider->position.x, 800.0f);
    EXPECT_FLOAT_EQ(raider->position.y, 600.0f);
    raider->covenantIndex = -1;
}

TEST_F(CovenantPlacement, MembersRecomputeTheirStatsSaveTheOneLeftOut)
{
    PlainCovenant& covenant = AddCovenant();
    Actor* first = SpawnActor();
    Actor* second = SpawnActor();
    covenant.AddRecruit(*first);
    covenant.AddRecruit(*second);
    first->maxHealth = second->maxHealth = 1;
    covenant.RecalculateMemberStats(second);
    EXPECT_GT(first->maxHealth, 1);
    EXPECT_EQ(second->maxHealth, 1);
}
