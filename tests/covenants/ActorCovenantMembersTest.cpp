// ActorCovenantMembersTest -- a rival's members as others ask about them: raid parties, defenders, the most hated covenant, levels first reached, members killed or disbanded, goods named in offers.
#include "covenants/ActorCovenantWorld.h"
#include "rules/RulesEnums.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>

class CovenantMembers : public ActorCovenantWorld {
protected:
    CovenantMembers()
    {
        host.homePosition = At(1000.0f, 1000.0f);
        rival = &AddRival();
        rival->Start(5, 1);
        host.homePosition = At(3000.0f, 1000.0f);
        raider = &AddRival();
        raider->Start(1, 1);
        third = &AddRival();
    }

    ActorCovenant* rival = nullptr;
    ActorCovenant* raider = nullptr;
    ActorCovenant* third = nullptr;
};

// What each question answers for the recruit out with the party and the one at home, as the
// rival goes from rest to war, to its raid (its party counted as it falls), to being raided.
TEST_F(CovenantMembers, RaidersDefendersTheEngagedAndTheRaidParty)
{
    Actor* out = rival->GetRecruitActor(0);
    Actor* home = rival->GetRecruitActor(1);
    ASSERT_TRUE(out && home && rival->GetRecruitActor(2));
    rival->GetRecruitRecord(0)->outWithParty = true;
    rival->GetRecruitRecord(2)->outWithParty = true;
    // Engaged, raiding, defending: one letter each, "-" for no.
    auto answers = [this](const Actor& actor) {
        return std::string(rival->IsRecruitEngaged(actor) ? "E" : "-") + (rival->IsRecruitRaiding(actor) ? "R" : "-") +
               (rival->IsRecruitDefending(actor) ? "D" : "-");
    };
    auto party = [this]() {
        int32_t alive = -1;
        int32_t fallen = -1;
        rival->CountRaidParty(alive, fallen);
        return std::pair{alive, fallen};
    };
    struct Step {
        const char* state;
        std::function<void()> enter;
        std::string out;
        std::string home;
        std::pair<int32_t, int32_t> party;
    };
    const Step steps[] = {
        {"at rest", [] {}, "E--", "---", {0, 0}},
        {"at war with its target", [this] {
             rival->targetCovenant = third->index;
             rival->SetTreatyState(third->index, CovenantTreaty::War);
         }, "E--", "E--", {0, 0}},
        {"raiding", [this] { rival->SetTreatyState(third->index, CovenantTreaty::Raid); }, "ER-", "E--", {2, 0}},
        {"raiding, one fallen", [out] { out->health = 0; }, "ER-", "E--", {1, 1}},
        {"raided as well", [this] {
             raider->targetCovenant = rival->index;
             rival->SetTreatyState(raider->index, CovenantTreaty::Raid);
         }, "ER-", "E-D", {1, 1}},
        {"only raided", [this] { rival->targetCovenant = -1; }, "E--", "E-D", {0, 0}},
    };
    for (const Step& step : steps) {
        step.enter();
        EXPECT_EQ(answers(*out), step.out) << step.state;
        EXPECT_EQ(answers(*home), step.home) << step.state;
        EXPECT_EQ(party(), step.party) << step.state;
    }
}

TEST_F(CovenantMembers, TheMostHatedIsTheFirstOfTheGreatestAndOutweighsTheNameless)
{
    EXPECT_EQ(rival->PickMostHatedCovenant(), nullptr);
    Actor* member = rival->GetRecruitActor(0);
    Actor* raiding = raider->GetRecruitActor(0);
    ASSERT_NE(raiding, nullptr);
    Entity* nameless = SpawnActor();
    nameless->covenantIndex = -1;
    rival->OnMemberAttacked(*member, raiding, 30, true);
    rival->OnMemberAttacked(*member, nameless, 10, true);
    EXPECT_FLOAT_EQ(rival->GetDamageFrom(raider), 30.0f);
    EXPECT_FLOAT_EQ(rival->GetDamageFrom(nullptr), 10.0f);
    EXPECT_EQ(rival->PickMostHatedCovenant(), raider);
    // A tie keeps the first; the nameless outweighing every covenant leaves none.
    rival->damageFrom[static_cast<size_t>(third->index)] = 30.0f;
    EXPECT_EQ(rival->PickMostHatedCovenant(), raider);
    rival->recentDamage = 30.0f;
    EXPECT_EQ(rival->PickMostHatedCovenant(), nullptr);
}

TEST_F(CovenantMembers, AFirstArrivalPaysOnceAndTheTownNever)
{
    Actor* member = rival->GetRecruitActor(0);
    rival->visitedLevels.clear();
    rival->OnLevelReached(0, member);
    ASSERT_EQ(rival->visitedLevels.size(), static_cast<size_t>(kLevels));
    EXPECT_TRUE(rival->visitedLevels[0]);
    rival->OnLevelReached(3, member);
    EXPECT_TRUE(rival->visitedLevels[3]);
    EXPECT_FALSE(rival->visitedLevels[2]);
    // Levels outside the world leave the marks alone.
    rival->OnLevelReached(kLevels, member);
    rival->OnLevelReached(-1, member);
    EXPECT_EQ(rival->visitedLevels.size(), static_cast<size_t>(kLevels));
}

TEST_F(CovenantMembers, KilledMembersFallAndDisbandedOnesFadeWithTheGuards)
{
    Item* writ = PutInHouse(*rival, "GuardWrit", 0);
    host.guardMaxHealth = 50;
    rival->SpawnGuard(writ, 0);
    Entity* guard = rival->GetGuard(0);
    ASSERT_NE(guard, nullptr);
    rival->KillAllMembers();
    EXPECT_EQ(guard->health, 0);
    for (int32_t slot = 0; slot < rival->CountRecruits(); ++slot)
        EXPECT_EQ(rival->GetRecruitActor(slot)->health, 0);

    raider->DisbandMembers();
    Actor* leaving = raider->GetRecruitActor(0);
    EXPECT_NE(game.FindTimedAction(Entity::GetDeleteEventId(), leaving), nullptr);
}

TEST_F(CovenantMembers, OnlyTheGoodsBagIsOffered)
{
    ASSERT_TRUE(rival->StoreItem(FakeCovenantHost::MakeItem("Trinket")));
    EXPECT_NE(rival->GetStoredItem(ActorCovenant::kGoodsBag, 0), nullptr);
    EXPECT_EQ(rival->GetStoredItem(InventoryGroupIndex::House, 4), nullptr);
    EXPECT_EQ(rival->GetStoredItem(ActorCovenant::kGoodsBag, 99), nullptr);
    EXPECT_EQ(rival->GetStoredItem(-1, 0), nullptr);
}
