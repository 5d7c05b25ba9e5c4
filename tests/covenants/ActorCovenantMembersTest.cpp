// ActorCovenantMembersTest -- a rival's members as others ask about them: raid parties, defenders, the most hated covenant, levels first reached, members killed or disbanded, goods named in offers.
#include "covenants/ActorCovenantWorld.h"
#include "rules/RulesEnums.h"

#include <gtest/gtest.h>

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

TEST_F(CovenantMembers, RaidersAndDefenders)
{
    Actor* out = rival->GetRecruitActor(0);
    Actor* home = rival->GetRecruitActor(1);
    rival->GetRecruitRecord(0)->outWithParty = true;
    rival->GetRecruitRecord(2)->outWithParty = true;
    EXPECT_FALSE(rival->IsRecruitRaiding(*out));

    rival->targetCovenant = third->index;
    rival->SetTreatyState(third->index, CovenantTreaty::War);
    EXPECT_FALSE(rival->IsRecruitRaiding(*out));
    rival->SetTreatyState(third->index, CovenantTreaty::Raid);
    EXPECT_TRUE(rival->IsRecruitRaiding(*out));
    EXPECT_FALSE(rival->IsRecruitRaiding(*home));
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
