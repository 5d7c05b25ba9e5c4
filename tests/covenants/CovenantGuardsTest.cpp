// CovenantGuardsTest -- a house's guards, slots for new guards and relics, the pedestals and the relics shown on them.
#include "covenants/CovenantWorld.h"
#include "entities/ItemGround.h"

#include <gtest/gtest.h>

class CovenantGuards : public CovenantWorld {
protected:
    // A guard of maximum health 100 spawned from an item in slot 0 whose mirror holds health.
    Entity* SpawnWithMirror(PlainCovenant& covenant, int32_t mirror)
    {
        Item* writ = PutInHouse(covenant, "GuardWrit", 0);
        writ->SetGuardHealth(mirror);
        host.guardMaxHealth = 100;
        covenant.SpawnGuard(writ, 0);
        return covenant.GetGuard(0);
    }

    bool HasDeleteAction(const Entity* entity) const
    {
        return game.FindTimedAction(Entity::GetDeleteEventId(), entity) != nullptr;
    }
};

TEST_F(CovenantGuards, AHurtGuardComesBackHurtAndAnUnhurtOneWhole)
{
    PlainCovenant& covenant = AddCovenant();
    Entity* hurt = SpawnWithMirror(covenant, 40);
    ASSERT_NE(hurt, nullptr);
    EXPECT_EQ(hurt->health, 40);
    EXPECT_EQ(hurt->covenantIndex, covenant.index);
    EXPECT_TRUE(dynamic_cast<Actor*>(hurt)->guard);
    EXPECT_EQ(host.calls.back(), "guard MonsterTester 1");

    PlainCovenant& second = AddCovenant();
    EXPECT_EQ(SpawnWithMirror(second, 150)->health, 100);
    // A mirror of 0 is a guard never hurt, not a dead one.
    PlainCovenant& third = AddCovenant();
    Entity* fresh = SpawnWithMirror(third, 0);
    EXPECT_EQ(fresh->health, 100);
    EXPECT_TRUE(fresh->IsAlive());
}

TEST_F(CovenantGuards, GuardsStandAroundTheHomeAndRefusalsLeaveNothing)
{
    PlainCovenant& covenant = AddCovenant();
    GiveHome(covenant, 10, 10, 1000.0f, 1000.0f);
    const float expected[4][2] = {{936.0f, 1096.0f}, {1096.0f, 1096.0f}, {936.0f, 904.0f}, {1096.0f, 904.0f}};
    for (int32_t slot = 0; slot < 4; ++slot) {
        WorldPos post = covenant.GetGuardPosition(slot);
        EXPECT_FLOAT_EQ(post.x, expected[slot][0]);
        EXPECT_FLOAT_EQ(post.y, expected[slot][1]);
    }
    EXPECT_FLOAT_EQ(covenant.GetGuardPosition(4).x, 1000.0f);

    Item* writ = PutInHouse(covenant, "GuardWrit", 2);
    // Not a guard item, outside the slots, an eliminated covenant: nothing spawns.
    Item* relic = PutInHouse(covenant, "RelicHalf", 4);
    covenant.SpawnGuard(relic, 2);
    covenant.SpawnGuard(writ, 4);
    covenant.SpawnGuard(nullptr, 2);
    covenant.eliminated = true;
    covenant.SpawnGuard(writ, 2);
    covenant.eliminated = false;
    EXPECT_TRUE(host.calls.empty());

    covenant.SpawnGuard(writ, 2);
    Entity* guard = covenant.GetGuard(2);
    ASSERT_NE(guard, nullptr);
    EXPECT_FLOAT_EQ(guard->position.x, 936.0f);
    EXPECT_FLOAT_EQ(dynamic_cast<Actor*>(guard)->homePosition.y, 904.0f);
}

TEST_F(CovenantGuards, AFullTableDeletesTheRefusedGuard)
{
    PlainCovenant& covenant = AddCovenant();
    Item* writ = PutInHouse(covenant, "GuardWrit", 1);
    for (int32_t i = 0; i < GameServices::kMaxEntities; ++i)
        game.AddEntity(new Entity());
    covenant.SpawnGuard(writ, 1);
    EXPECT_EQ(host.calls.size(), 1u);
    EXPECT_EQ(covenant.GetGuard(1), nullptr);
    EXPECT_EQ(CountLogged("Couldn't add entity, too many entities\n"), 1);
}

TEST_F(CovenantGuards, RemovedDismissedAndReleasedGuardsLeaveTheirSlots)
{
    PlainCovenant& covenant = AddCovenant();
    std::array<Item*, 3> writs{};
    for (int32_t slot = 0; slot < 3; ++slot) {
        writs[static_cast<size_t>(slot)] = PutInHouse(covenant, "GuardWrit", slot);
        covenant.SpawnGuard(writs[static_cast<size_t>(slot)], slot);
    }
    Entity* removed = covenant.GetGuard(0);
    Entity* dismissed = covenant.GetGuard(1);
    auto* released = dynamic_cast<Actor*>(covenant.GetGuard(2));
    ASSERT_TRUE(removed && dismissed && released);
    covenant.RemoveGuard(0);
    covenant.DismissGuard(1);
    covenant.ReleaseGuard(2);
    for (int32_t slot = 0; slot < 3; ++slot)
        EXPECT_EQ(covenant.GetGuard(slot), nullptr);
    EXPECT_TRUE(HasDeleteAction(removed));
    // The dismissed guard fades out before it goes, and its item stands.
    EXPECT_NE(game.FindTimedAction(Entity::GetFadeToEventId(), dismissed), nullptr);
    EXPECT_FALSE(writs[1]->IsGuardFallen());
    // The released guard stays in the world as a free monster; its item has fallen.
    EXPECT_EQ(released->covenantIndex, -1);
    EXPECT_FALSE(released->guard);
    EXPECT_FALSE(HasDeleteAction(released));
    EXPECT_TRUE(writs[2]->IsGuardFallen());
    EXPECT_FALSE(writs[0]->IsGuardFallen());
    // Empty slots and slots outside the range change nothing.
    covenant.RemoveGuard(0);
    covenant.RemoveGuard(7);
    covenant.DismissGuard(1);
    covenant.DismissGuard(-3);
    covenant.ReleaseGuard(-1);
}

TEST_F(CovenantGuards, NewGuardsAndRelicsTakeAFreeOrTheCheapestSlot)
{
    PlainCovenant& covenant = AddCovenant();
    EXPECT_EQ(covenant.FindGuardSlotForNew(), 0);
    EXPECT_EQ(covenant.FindRelicSlotForNew(), 4);
    PutInHouse(covenant, "GuardWritDear", 0);
    PutInHouse(covenant, "GuardWrit", 1);
    PutInHouse(covenant, "GuardWrit", 2);
    EXPECT_EQ(covenant.FindGuardSlotForNew(), 3);
    PutInHouse(covenant, "GuardWritMiddling", 3);
    // 300, 100, 100, 200: the first of the cheapest.
    EXPECT_EQ(covenant.FindGuardSlotForNew(), 1);
    // A fallen guard's slot is free for a new one.
    dynamic_cast<Item*>(covenant.inventory->GetItem(InventoryGroupIndex::House, 3))->SetGuardFallen(true);
    EXPECT_EQ(covenant.FindGuardSlotForNew(), 3);

    PutInHouse(covenant, "RelicHalf", 4);
    PutInHouse(covenant, "RelicWhole", 6);
    EXPECT_EQ(covenant.FindRelicSlotForNew(), 5);
    PutInHouse(covenant, "RelicHalf", 5);
    PutInHouse(covenant, "RelicHalf", 7);
    EXPECT_EQ(covenant.FindRelicSlotForNew(), 6);
}

TEST_F(CovenantGuards, RelicsShowOnThePedestalsOnceTheyStand)
{
    PlainCovenant& covenant = AddCovenant();
    GiveHome(covenant, 10, 10, 500.0f, 500.0f);
    Item* relic = PutInHouse(covenant, "RelicHalf", 5);
    // No pedestals: no display.
    covenant.PlaceRelic(relic, 5);
    EXPECT_EQ(covenant.GetRelicDisplay(5), nullptr);

    covenant.CreatePedestals();
    for (int32_t i = 0; i < 4; ++i) {
        Entity* pedestal = covenant.GetPedestal(i);
        ASSERT_NE(pedestal, nullptr);
        EXPECT_EQ(std::string(pedestal->GetEntry()->GetName()), "ObjectPedestal");
        EXPECT_EQ(pedestal->covenantIndex, covenant.index);
    }
    EXPECT_FLOAT_EQ(covenant.GetPedestal(0)->position.x, 460.0f);
    EXPECT_FLOAT_EQ(covenant.GetPedestal(2)->position.y, 540.0f);

    covenant.PlaceRelic(relic, 5);
    auto* display = dynamic_cast<ItemGround*>(covenant.GetRelicDisplay(5));
    ASSERT_NE(display, nullptr);
    EXPECT_EQ(display->parentNumber, covenant.GetPedestal(1)->entityNumber);
    EXPECT_FALSE(display->CanBePickedUp());
    ASSERT_NE(display->GetItem(), nullptr);
    EXPECT_NE(display->GetItem(), relic);
    EXPECT_EQ(display->GetItem()->GetEntry(), relic->GetEntry());
    // A second relic in the slot replaces the display; the old one goes at once.
    covenant.PlaceRelic(relic, 5);
    EXPECT_NE(covenant.GetRelicDisplay(5), display);
    EXPECT_TRUE(HasDeleteAction(display));
    covenant.RemoveRelicDisplay(5);
    EXPECT_EQ(covenant.GetRelicDisplay(5), nullptr);
    // Guard slots are no relic slots.
    covenant.PlaceRelic(relic, 3);
    EXPECT_EQ(covenant.GetRelicDisplay(3), nullptr);
}

TEST_F(CovenantGuards, TheHouseRelicsStrengthenEachNewGuardAndRecruit)
{
    PlainCovenant& plain = AddCovenant();
    PlainCovenant& blessed = AddCovenant();
    PutInHouse(blessed, "RelicMight", 5);
    PutInHouse(blessed, "RelicHalf", 6);
    // The strength a guard and a recruit of each covenant end with; only the relic with an effect counts.
    auto strengths = [this](PlainCovenant& covenant) {
        covenant.SpawnGuard(PutInHouse(covenant, "GuardWrit", 0), 0);
        auto* guard = dynamic_cast<Sentient*>(covenant.GetGuard(0));
        Actor* recruit = SpawnActor();
        covenant.AddRecruit(*recruit);
        return std::pair{guard ? guard->GetStat(CharacterStat::Strength) : -1, recruit->GetStat(CharacterStat::Strength)};
    };
    auto [plainGuard, plainRecruit] = strengths(plain);
    auto [blessedGuard, blessedRecruit] = strengths(blessed);
    ASSERT_GE(plainGuard, 0);
    EXPECT_EQ(blessedGuard, plainGuard + 7);
    EXPECT_EQ(blessedRecruit, plainRecruit + 7);
}
