// CovenantAttacksTest -- attacks on a covenant's members and home: war on the attacker's covenant, the defenders roused, the think timer near the house and elimination step by step.
#include "covenants/CovenantWorld.h"
#include "rules/RulesEnums.h"

#include <gtest/gtest.h>

namespace {

// A covenant that writes what elimination asks of it into the host's log.
class FallingCovenant : public PlainCovenant {
public:
    void KillAllMembers() override { Log("kill members"); }
    void DisbandMembers() override { Log("disband"); }
    void ReceiveOffer(Covenant& from, const Offer& offer) override
    {
        if (offer.entries.empty() && from.index != index)
            Log("offer withdrawn by " + std::to_string(from.index));
    }

    std::vector<std::string>* log = nullptr;

private:
    void Log(const std::string& line)
    {
        if (log)
            log->push_back(line);
    }
};

} // namespace

class CovenantHouseAttacks : public CovenantWorld {
protected:
    FallingCovenant& AddFalling()
    {
        FallingCovenant& made = AddCovenantOf<FallingCovenant>();
        made.log = &host.calls;
        return made;
    }
};

TEST_F(CovenantHouseAttacks, AnAttackBringsWarAndRousesTheDefenders)
{
    FallingCovenant& house = AddFalling();
    FallingCovenant& raiders = AddFalling();
    GiveHome(house, 100, 100, 500.0f, 500.0f);
    Actor* recruit = SpawnActor("MonsterTester", 5, 400.0f, 400.0f);
    house.AddRecruit(*recruit);
    Item* writ = PutInHouse(house, "GuardWrit", 0);
    house.SpawnGuard(writ, 0);
    auto* guard = dynamic_cast<Actor*>(house.GetGuard(0));
    ASSERT_NE(guard, nullptr);
    house.SetTreatyState(raiders.index, CovenantTreaty::Raid);
    Actor* attacker = SpawnActor("MonsterTester", 5, 420.0f, 400.0f);
    attacker->covenantIndex = raiders.index;
    host.calls.clear();

    house.OnMemberDamaged(*recruit, attacker, 10);
    EXPECT_EQ(host.calls, (std::vector<std::string>{"treaty 0 1 2"}));
    EXPECT_EQ(house.GetTreatyState(raiders.index), CovenantTreaty::War);
    EXPECT_NE(recruit->FindHateEntry(attacker), nullptr);
    EXPECT_NE(guard->FindHateEntry(attacker), nullptr);

    // A member's splash on another member: no war, no hate.
    Actor* clumsy = SpawnActor("MonsterTester", 5, 410.0f, 400.0f);
    clumsy->covenantIndex = house.index;
    host.calls.clear();
    house.OnMemberAttacked(*recruit, clumsy, 10, false);
    EXPECT_TRUE(host.calls.empty());
    EXPECT_EQ(recruit->FindHateEntry(clumsy), nullptr);
    EXPECT_FALSE(house.eliminated);
}

TEST_F(CovenantHouseAttacks, OnlyHitsWithinTwoHundredOfTheHouseResetTheThinkTimer)
{
    PlainCovenant& house = AddCovenant();
    house.homeLevel = 0;
    house.homeX = 4000.0f;
    house.homeY = 100.0f;
    Actor* attacker = SpawnActor();
    Entity* near = Spawn<Entity>(4199.0f, 100.0f);
    Entity* far = Spawn<Entity>(4200.0f, 100.0f);
    host.clock = TimeStamp{0, 1, 0, 0.0f};
    house.OnMemberAttacked(*far, attacker, 1, false);
    EXPECT_FALSE(house.IsThinkDelayed());
    house.OnMemberAttacked(*near, attacker, 1, true);
    EXPECT_FALSE(house.IsThinkDelayed());
    house.OnMemberAttacked(*near, attacker, 1, false);
    EXPECT_TRUE(house.IsThinkDelayed());
}

TEST_F(CovenantHouseAttacks, AHomeBroughtToNothingEliminatesTheCovenant)
{
    FallingCovenant& house = AddFalling();
    FallingCovenant& other = AddFalling();
    Entity* lifestone = GiveHome(house, 0, 300);
    Item* writ = PutInHouse(house, "GuardWrit", 2);
    house.SpawnGuard(writ, 2);
    Entity* guard = house.GetGuard(2);
    house.statistics.Set(CovenantStat::InfluenceWorld, 40);
    house.statistics.Set(CovenantStat::House, 900);
    house.StorePendingOffer(Offer{{{0, 8, 5}}, 1, false}, other.index, 60.0f);
    house.SetTreatyState(other.index, CovenantTreaty::War);
    other.SetTreatyState(house.index, CovenantTreaty::War);
    house.SetTradeRouteKind(other.index, 3);
    other.SetTradeRouteKind(house.index, 3);
    Actor* attacker = SpawnActor();
    host.calls.clear();

    house.OnMemberAttacked(*lifestone, attacker, 50, false);
    EXPECT_TRUE(house.eliminated);
    EXPECT_EQ(host.calls, (std::vector<std::string>{"destroyed 0 by -1", "peace with all 0", "routes cleared 0",
                                                    "kill members", "offer withdrawn by 0"}));
    // The game's clean-ups leave no war with the fallen house and no route to it, either way.
    EXPECT_EQ(other.GetTreatyState(house.index), CovenantTreaty::Peace);
    EXPECT_EQ(house.GetTreatyState(other.index), CovenantTreaty::Peace);
    EXPECT_EQ(other.GetTradeRouteKind(house.index), 0);
    EXPECT_EQ(house.GetTradeRouteKind(other.index), 0);
    EXPECT_EQ(house.GetTotalInfluence(), 0);
    EXPECT_EQ(house.statistics.Get(CovenantStat::House), 0);
    EXPECT_EQ(house.GetGuard(2), nullptr);
    EXPECT_EQ(house.inventory->GetItem(InventoryGroupIndex::House, 2), nullptr);
    EXPECT_NE(game.FindTimedAction(Entity::GetDeleteEventId(), guard), nullptr);
    EXPECT_FLOAT_EQ(lifestone->lightFalloff, 0.0f);
    EXPECT_FALSE(house.GetPendingOfferRecord(other.index)->running);
    // Once is all: a second fall changes nothing.
    host.calls.clear();
    house.Eliminate(attacker, false, true);
    EXPECT_TRUE(host.calls.empty());

    // Without killing, the members are disbanded; without credit the game hears nothing; the
    // fallen house still hears the (empty) offer withdrawn.
    other.Eliminate(nullptr, false, false);
    EXPECT_EQ(host.calls,
              (std::vector<std::string>{"peace with all 1", "routes cleared 1", "disband", "offer withdrawn by 1"}));
}
