// ActorCovenantGuardsTest -- a rival's guard change: each refusal, a purchase into a free slot and one that sells the guard it replaces.
#include "covenants/ActorCovenantWorld.h"
#include "rules/RulesEnums.h"

#include <gtest/gtest.h>

class CovenantGuardChange : public ActorCovenantWorld {
protected:
    CovenantGuardChange()
    {
        host.homePosition = At(1000.0f, 1000.0f);
        rival = &AddRival();
        rival->Start(5, 1);
        rival->statistics.Set(CovenantStat::Money, 1000);
        host.guardItem = "GuardWrit";
    }

    // The guard timer spent, then one change.
    void Change()
    {
        rival->timerSet[ActorCovenant::GuardTimer].running = 1;
        rival->timerSet[ActorCovenant::GuardTimer].remaining = 0.0f;
        rival->ChangeGuard();
    }

    std::string SlotRecord(int32_t slot) const
    {
        const ItemBase* item = rival->inventory->GetItem(InventoryGroupIndex::House, slot);
        return item && item->GetEntry() ? std::string(item->GetEntry()->GetName()) : std::string();
    }

    ActorCovenant* rival = nullptr;
};

TEST_F(CovenantGuardChange, AGuardIsBoughtIntoTheFirstFreeSlotOnlyWhenTheTimerIsSpent)
{
    rival->timerSet[ActorCovenant::GuardTimer].running = 1;
    rival->timerSet[ActorCovenant::GuardTimer].remaining = 5.0f;
    rival->ChangeGuard();
    EXPECT_EQ(SlotRecord(0), "");

    Change();
    EXPECT_EQ(SlotRecord(0), "GuardWrit");
    EXPECT_NE(rival->GetGuard(0), nullptr);
    EXPECT_EQ(rival->statistics.Get(CovenantStat::Money), 900);
    EXPECT_TRUE(rival->timerSet[ActorCovenant::GuardTimer].running);
    EXPECT_GT(rival->timerSet[ActorCovenant::GuardTimer].remaining, 0.0f);
}

TEST_F(CovenantGuardChange, EachRefusalLeavesTheHouseAsItWas)
{
    // Too dear for the crystals.
    rival->statistics.Set(CovenantStat::Money, 50);
    Change();
    EXPECT_EQ(SlotRecord(0), "");
    // Thinking delayed, the lifestone fallen, no leader, nothing offered: nothing bought.
    rival->statistics.Set(CovenantStat::Money, 1000);
    rival->nextThinkTime.minutes = 5;
    Change();
    rival->nextThinkTime = {};
    Entity* home = const_cast<Entity*>(rival->GetHomeEntity());
    int32_t health = home->health;
    home->health = 0;
    Change();
    home->health = health;
    host.guardItem = nullptr;
    Change();
    EXPECT_EQ(SlotRecord(0), "");
    EXPECT_EQ(rival->statistics.Get(CovenantStat::Money), 1000);

    // Every slot holds a dearer guard: the offered one is worse.
    for (int32_t slot = 0; slot < Covenant::kGuardSlots; ++slot)
        PutInHouse(*rival, "GuardWritDear", slot);
    host.guardItem = "GuardWrit";
    Change();
    for (int32_t slot = 0; slot < Covenant::kGuardSlots; ++slot)
        EXPECT_EQ(SlotRecord(slot), "GuardWritDear");
    EXPECT_EQ(rival->statistics.Get(CovenantStat::Money), 1000);
}

TEST_F(CovenantGuardChange, ABetterGuardReplacesTheCheapestAndItsGuardGoes)
{
    for (int32_t slot = 0; slot < Covenant::kGuardSlots; ++slot)
        PutInHouse(*rival, slot == 2 ? "GuardWrit" : "GuardWritMiddling", slot);
    host.guardMaxHealth = 40;
    rival->SpawnGuard(static_cast<Item*>(rival->inventory->GetItem(InventoryGroupIndex::House, 2)), 2);
    Entity* oldGuard = rival->GetGuard(2);
    ASSERT_NE(oldGuard, nullptr);
    host.guardItem = "GuardWritDear";
    Change();
    EXPECT_EQ(SlotRecord(2), "GuardWritDear");
    EXPECT_NE(game.FindTimedAction(Entity::GetDeleteEventId(), oldGuard), nullptr);
    EXPECT_NE(rival->GetGuard(2), oldGuard);
    // Paid 300, less whatever the old guard sold for.
    int32_t money = rival->statistics.Get(CovenantStat::Money);
    EXPECT_LE(money, 1000 - 300 + 100);
    EXPECT_GE(money, 700);
}
