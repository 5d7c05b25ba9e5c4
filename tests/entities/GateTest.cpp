// GateTest -- gates by kind with a player: linked pairs and their ring search, secret passages, quest trips, world-gate activation, home, depth and named gates, the network state and a refused pair.
#include "core/MessageBuffer.h"
#include "entities/Gate.h"
#include "entities/Inventory.h"
#include "entities/Item.h"
#include "entities/LevelObjectWorld.h"
#include "rules/items/InventoryBase.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace {

constexpr const char* kGateSystem = "GameSystem\n{\nInventorySize 10\nGridSize 32\nBaseXpNeededEachLevel 1000\n";

constexpr const char* kGateRecords = R"(
ObjectTownGate
{
    Type Object
    ObjectType Gate
}
ObjectNamedGate
{
    Type Object
    ObjectType Gate
    GateName "North"
}
SkeletonKey
{
    Type Item
    ItemType Other
    KeyName "Crypt"
    KeyName "Cellar"
}
Bread
{
    Type Item
    ItemType Other
}
)";

class Gates : public LevelObjectWorld {
protected:
    void SetUp() override { LoadWorld(std::string(kGateSystem) + SystemExtra() + "}\n" + kGateRecords); }
    virtual const char* SystemExtra() const { return ""; }

    Gate* MakeGate(int32_t kind, float x, float y, int32_t level = 0, const char* record = "ObjectGate")
    {
        auto* gate = new Gate();
        gate->Load(database.FindEntryByName(record));
        gate->kind = kind;
        gate->SetPosition(At(x, y, level));
        EXPECT_NE(game.AddEntity(gate), -1);
        return gate;
    }

    LinkedGates MakePair(int32_t kind)
    {
        LinkedGates pair = game.CreateLinkedGates(nullptr, At(1000.0f, 1000.0f, 0), At(2000.0f, 3000.0f, 3), kind);
        EXPECT_NE(pair.first, nullptr);
        return pair;
    }

    // Into the next cell of bag 0, whatever the group usually holds.
    // Into a carried bag, as a player's finds go.
    void GiveItem(Player& player, const char* name, int32_t bag = InventoryGroupIndex::Bag1)
    {
        auto item = std::make_unique<Item>();
        item->SetEntry(database.FindEntryByName(name));
        item->SetStackCount(1);
        std::unique_ptr<ItemBase> owned(item.release());
        player.inventory->ResizeBag(bag, std::max(player.inventory->GetSlotCount(bag), 4));
        ASSERT_EQ(player.GiveItem(owned, bag), Sentient::kGiveAdded) << name;
    }

    int32_t CountCarried(const Player& player) const
    {
        int32_t count = 0;
        for (int32_t bag = InventoryGroupIndex::Bag1; bag <= InventoryGroupIndex::Bag4; ++bag)
            count += player.inventory->CountItems(bag);
        return count;
    }

    static bool Near(const WorldPos& a, const WorldPos& b, float reach)
    {
        return a.level == b.level && std::fabs(a.x - b.x) <= reach && std::fabs(a.y - b.y) <= reach;
    }
};

} // namespace

// ---- Linked pairs -----------------------------------------------------------------------------------

TEST_F(Gates, APairIsTwoLinkedGatesOfTheKindAndTheDefaultRecord)
{
    LinkedGates pair = MakePair(GateKind::Linked);
    ASSERT_NE(pair.second, nullptr);
    EXPECT_EQ(pair.first->GetLinked(), pair.second);
    EXPECT_EQ(pair.second->GetLinked(), pair.first);
    EXPECT_EQ(pair.first->kind, GateKind::Linked);
    EXPECT_EQ(pair.second->kind, GateKind::Linked);
    EXPECT_EQ(pair.first->soundName, "Sounds/gate.ogg") << "no record given: ObjectGate";
    EXPECT_EQ(pair.second->position.level, 3);
    EXPECT_EQ(game.GetEntity(pair.first->entityNumber), pair.first);
    EXPECT_EQ(game.GetEntity(pair.second->entityNumber), pair.second);
}

TEST_F(Gates, ARefusedSecondGateTakesTheFirstWithIt)
{
    int32_t filled = 0;
    while (filled < GameServices::kMaxEntities - 1) {
        ASSERT_NE(game.AddEntity(new Entity()), -1);
        ++filled;
    }
    LinkedGates pair = game.CreateLinkedGates(nullptr, At(10.0f, 10.0f), At(20.0f, 20.0f), GateKind::Linked);
    EXPECT_EQ(pair.first, nullptr);
    EXPECT_EQ(pair.second, nullptr);
    int32_t gates = 0;
    for (int32_t i = 0; i < GameServices::kMaxEntities; ++i)
        gates += dynamic_cast<Gate*>(game.GetEntity(i)) != nullptr;
    EXPECT_EQ(gates, 0);
}

TEST_F(Gates, APairWithAnEndOnNoLevelOfTheWorldIsNotMade)
{
    for (int32_t level : {-1, kLevelCount}) {
        LinkedGates pair = game.CreateLinkedGates(nullptr, At(10.0f, 10.0f), At(20.0f, 20.0f, level), GateKind::Secret);
        EXPECT_EQ(pair.first, nullptr) << level;
        EXPECT_EQ(pair.second, nullptr) << level;
        pair = game.CreateLinkedGates(nullptr, At(10.0f, 10.0f, level), At(20.0f, 20.0f), GateKind::Secret);
        EXPECT_EQ(pair.first, nullptr) << level;
    }
    int32_t gates = 0;
    for (int32_t i = 0; i < GameServices::kMaxEntities; ++i)
        gates += dynamic_cast<Gate*>(game.GetEntity(i)) != nullptr;
    EXPECT_EQ(gates, 0);
}

TEST_F(Gates, ALinkedGateSetsThePlayerBesideItsPartnerWithSoundAndEffect)
{
    LinkedGates pair = MakePair(GateKind::Linked);
    Player* player = MakePlayer();
    game.worldEvents.clear();
    pair.first->OnUsedBy(player);
    EXPECT_TRUE(Near(player->position, pair.second->position, 4 * 32.0f + 1.0f));
    ASSERT_EQ(game.worldEvents.size(), 2u);
    const WorldEventRequest& sound = game.worldEvents[0];
    EXPECT_EQ(sound.name, "Sounds/gate.ogg");
    EXPECT_EQ(sound.entityNumber, player->entityNumber);
    EXPECT_FLOAT_EQ(sound.radius, Gate::kSoundRadius);
    EXPECT_EQ(sound.position.level, 3);
    // The effect goes to the clients by its file's name, where the player landed; no model of
    // that name is hung on the player.
    const WorldEventRequest& effect = game.worldEvents[1];
    EXPECT_EQ(effect.name, "Effects/warp.eff");
    EXPECT_EQ(effect.entityNumber, player->entityNumber);
    EXPECT_EQ(effect.position.level, 3);
    for (int32_t i = 0; i < GameServices::kMaxEntities; ++i) {
        const Entity* entity = game.GetEntity(i);
        EXPECT_TRUE(!entity || entity->GetParent() != player) << "an attachment on the player";
    }
}

TEST_F(Gates, WithEveryRingBlockedTheTravellerLandsOnThePartnerItself)
{
    LinkedGates pair = MakePair(GateKind::Linked);
    Player* player = MakePlayer();
    game.bodyBlocked = [](const WorldPos&) { return true; };
    pair.first->OnUsedBy(player);
    EXPECT_EQ(player->position.level, 3);
    EXPECT_FLOAT_EQ(player->position.x, pair.second->position.x);
    EXPECT_FLOAT_EQ(player->position.y, pair.second->position.y);
}

TEST_F(Gates, AGateWhosePartnerIsGoneDoesNothing)
{
    LinkedGates pair = MakePair(GateKind::Linked);
    Player* player = MakePlayer();
    game.RemoveEntity(pair.second);
    delete pair.second;
    EXPECT_EQ(pair.first->GetLinked(), nullptr);
    pair.first->OnUsedBy(player);
    EXPECT_EQ(player->position.level, 0);
    EXPECT_FLOAT_EQ(player->position.x, 500.0f);
}

TEST_F(Gates, OnlyPlayersTravel)
{
    LinkedGates pair = MakePair(GateKind::Linked);
    auto* monster = new Sentient();
    monster->SetPosition(At(600.0f, 600.0f));
    ASSERT_NE(game.AddEntity(monster), -1);
    pair.first->OnUsedBy(monster);
    pair.first->OnUsedBy(nullptr);
    EXPECT_EQ(monster->position.level, 0);
    EXPECT_FLOAT_EQ(monster->position.x, 600.0f);
}

TEST_F(Gates, ASecretPairReportsItsSecretOnceWhicheverWayItIsPassed)
{
    LinkedGates pair = MakePair(GateKind::Secret);
    Player* player = MakePlayer();
    pair.first->OnUsedBy(player);
    EXPECT_EQ(player->position.level, 3);
    pair.second->OnUsedBy(player);
    pair.first->OnUsedBy(player);
    EXPECT_EQ(CountNotices("secret "), 1);
    EXPECT_EQ(game.notices.back(), "secret " + std::to_string(player->entityNumber) + " 0") << "the level of the gate used";
    EXPECT_TRUE(pair.first->travelled);
    EXPECT_TRUE(pair.second->travelled);
}

TEST_F(Gates, AnExactGateLandsOnThePartnerAndOffersTheTrip)
{
    LinkedGates pair = MakePair(GateKind::LinkedExact);
    Player* player = MakePlayer(500.0f, 700.0f);
    pair.first->OnUsedBy(player);
    EXPECT_FLOAT_EQ(player->position.x, pair.second->position.x);
    EXPECT_FLOAT_EQ(player->position.y, pair.second->position.y);
    char expected[128];
    std::snprintf(expected, sizeof(expected), "trip %d 0 500.0 700.0 3 %.1f %.1f", player->entityNumber,
                  pair.second->position.x, pair.second->position.y);
    EXPECT_EQ(game.notices.back(), expected);
}

// ---- World gates and home ---------------------------------------------------------------------------

TEST_F(Gates, AWorldGateFirstActivatesInBothListsThenTakesThePlayerHome)
{
    world.SetDifficulty(2);
    Gate* gate = MakeGate(GateKind::World, 800.0f, 800.0f, 0, "ObjectTownGate");
    Player* player = MakePlayer();
    JoinCovenant(*player);
    covenant.houseGate = At(1500.0f, 1600.0f, 1);
    for (ItemPtrList& list : player->gateLists) {
        list.Add(0, 1);
        list.Add(0, 2);
    }
    gate->OnUsedBy(player);
    EXPECT_TRUE(HasLine("msg 2 \"Meadow lvl 10 $$GateActivated$$\""));
    EXPECT_EQ(player->position.level, 0) << "activation only";
    for (ItemPtrList& list : player->gateLists) {
        EXPECT_TRUE(list.Find(0, 2)->flag);
        EXPECT_FALSE(list.Find(0, 1)->flag) << "another difficulty's record";
    }
    gate->OnUsedBy(player);
    EXPECT_EQ(player->position.level, 1);
    EXPECT_FLOAT_EQ(player->position.x, 1500.0f);
}

TEST_F(Gates, AWorldGateWithoutACovenantDoesNothing)
{
    Gate* gate = MakeGate(GateKind::World, 800.0f, 800.0f);
    Player* player = MakePlayer();
    player->gateLists[0].Add(0, 0);
    gate->OnUsedBy(player);
    EXPECT_TRUE(game.lines.empty() || !HasLine("msg 2 \"Meadow lvl 10 $$GateActivated$$\""));
    EXPECT_FALSE(player->gateLists[0].Find(0, 0)->flag);
}

TEST_F(Gates, HomeGatesAndActivatedWorldGatesNeverLeadToLevelMinusOne)
{
    Gate* home = MakeGate(GateKind::Home, 800.0f, 800.0f);
    Gate* worldGate = MakeGate(GateKind::World, 900.0f, 800.0f);
    Player* player = MakePlayer();
    JoinCovenant(*player);
    player->gateLists[0].Add(0, 0);
    player->gateLists[0].Get(0)->flag = true;
    game.worldEvents.clear();
    home->OnUsedBy(player);
    worldGate->OnUsedBy(player);
    EXPECT_EQ(player->position.level, 0);
    EXPECT_FLOAT_EQ(player->position.x, 500.0f);
    EXPECT_TRUE(game.worldEvents.empty()) << "no arrival sound without a journey";
    covenant.houseGate = At(1200.0f, 1300.0f, 2);
    home->OnUsedBy(player);
    EXPECT_EQ(player->position.level, 2);
}

// ---- Depth gates ---------------------------------------------------------------------------------------

TEST_F(Gates, ADepthGateLeadsToTheNamedStartOfTheLevelBelow)
{
    LevelGate down;
    down.targetLevel = 3;
    down.leadsDown = true;
    world.GetLevel(0)->gates.push_back(down);
    Gate* plain = MakeGate(GateKind::Depth, 800.0f, 800.0f);
    Gate* named = MakeGate(GateKind::Depth, 900.0f, 800.0f, 0, "ObjectNamedGate");
    Player* player = MakePlayer();
    plain->OnUsedBy(player);
    EXPECT_EQ(player->position.level, 3);
    EXPECT_FLOAT_EQ(player->position.x, 100.0f);
    EXPECT_FLOAT_EQ(player->position.y, 200.0f);
    player->SetPosition(At(500.0f, 500.0f, 0));
    named->OnUsedBy(player);
    EXPECT_FLOAT_EQ(player->position.x, 300.0f);
    EXPECT_FLOAT_EQ(player->position.y, 400.0f);
}

// The dungeon-depth flags set.
class DeepGates : public Gates {
protected:
    const char* SystemExtra() const override { return "LevelUpOnDungeonDepth 1\nClearKeysOnDungeonDepth 1\n"; }
};

TEST_F(DeepGates, ALevelWithoutAWayDownKeepsThePlayerItsLevelAndItsKeys)
{
    Gate* gate = MakeGate(GateKind::Depth, 800.0f, 800.0f);
    Player* player = MakePlayer();
    GiveItem(*player, "SkeletonKey");
    int32_t level = player->stats.Get(CharacterStat::Level);
    gate->OnUsedBy(player);
    EXPECT_EQ(player->position.level, 0);
    EXPECT_EQ(player->stats.Get(CharacterStat::Level), level);
    EXPECT_EQ(CountCarried(*player), 1);
}

TEST_F(DeepGates, GoingDeeperCanRaiseTheLevelAndTakeOnlyTheKeys)
{
    LevelGate down;
    down.targetLevel = 2;
    down.leadsDown = true;
    world.GetLevel(0)->gates.push_back(down);
    Gate* gate = MakeGate(GateKind::Depth, 800.0f, 800.0f);
    Player* player = MakePlayer();
    // Keys lie wherever the carried bags took them. Before: only bag 0, which holds bags, was
    // searched, and no key was ever taken.
    GiveItem(*player, "Bread");
    GiveItem(*player, "SkeletonKey");
    GiveItem(*player, "Bread", InventoryGroupIndex::Bag3);
    GiveItem(*player, "SkeletonKey", InventoryGroupIndex::Bag4);
    ASSERT_TRUE(player->HasItemMatching("Crypt"));
    int32_t level = player->stats.Get(CharacterStat::Level);
    gate->OnUsedBy(player);
    EXPECT_EQ(player->position.level, 2);
    EXPECT_EQ(player->stats.Get(CharacterStat::Level), level + 1);
    EXPECT_EQ(CountCarried(*player), 2) << "the bread stays";
    EXPECT_FALSE(player->HasItemMatching("Crypt"));
}

// ---- Named gates ---------------------------------------------------------------------------------------

TEST_F(Gates, ANamedGatePrefersATargetOnItsOwnLevelThenTheNearer)
{
    Gate* start = MakeGate(GateKind::Named, 1000.0f, 1000.0f, 1, "ObjectNamedGate");
    Gate* elsewhere = MakeGate(GateKind::NamedTarget, 1000.0f, 1010.0f, 2, "ObjectNamedGate");
    Gate* far = MakeGate(GateKind::NamedTarget, 3000.0f, 3000.0f, 1, "ObjectNamedGate");
    Gate* nearer = MakeGate(GateKind::NamedTarget, 1500.0f, 1000.0f, 1, "ObjectNamedGate");
    Gate* otherName = MakeGate(GateKind::NamedTarget, 1001.0f, 1000.0f, 1);
    nearer->gateName = "NORTH";
    (void)elsewhere;
    (void)far;
    (void)otherName;
    Player* player = MakePlayer(1000.0f, 1000.0f, 1);
    start->OnUsedBy(player);
    EXPECT_EQ(player->position.level, 1);
    EXPECT_FLOAT_EQ(player->position.x, 1500.0f) << "same level, nearer, name compared case-blind";
}

TEST_F(Gates, OnEqualDistanceTheTargetInTheLowerSlotWins)
{
    Gate* start = MakeGate(GateKind::Named, 1000.0f, 1000.0f, 1, "ObjectNamedGate");
    Gate* first = MakeGate(GateKind::NamedTarget, 1000.0f, 1400.0f, 1, "ObjectNamedGate");
    Gate* second = MakeGate(GateKind::NamedTarget, 1000.0f, 600.0f, 1, "ObjectNamedGate");
    ASSERT_LT(first->entityNumber, second->entityNumber);
    Player* player = MakePlayer(1000.0f, 1000.0f, 1);
    start->OnUsedBy(player);
    EXPECT_FLOAT_EQ(player->position.y, 1400.0f);
}

TEST_F(Gates, ANamedGateWithoutTargetAndATargetGateDoNothing)
{
    Gate* start = MakeGate(GateKind::Named, 1000.0f, 1000.0f, 1, "ObjectNamedGate");
    Gate* target = MakeGate(GateKind::NamedTarget, 1200.0f, 1000.0f, 1);
    Player* player = MakePlayer(1000.0f, 1000.0f, 1);
    start->OnUsedBy(player);
    target->OnUsedBy(player);
    EXPECT_FLOAT_EQ(player->position.x, 1000.0f);
}

// ---- Network state -------------------------------------------------------------------------------------

TEST_F(Gates, TheNetworkStateIsThePartnersPlaceOrMinusOne)
{
    LinkedGates pair = MakePair(GateKind::Linked);
    MessageBuffer buffer;
    pair.first->WriteNetState(buffer);
    ASSERT_EQ(buffer.Size(), 12u);
    EXPECT_EQ(buffer.ReadInt(), 3);
    EXPECT_FLOAT_EQ(buffer.ReadFloat(), pair.second->position.x);
    EXPECT_FLOAT_EQ(buffer.ReadFloat(), pair.second->position.y);
    Gate* single = MakeGate(GateKind::Home, 10.0f, 10.0f);
    MessageBuffer alone;
    single->WriteNetState(alone);
    EXPECT_EQ(alone.ReadInt(), -1);
    EXPECT_EQ(alone.ReadFloat(), 0.0f);
    EXPECT_EQ(alone.ReadFloat(), 0.0f);
    EXPECT_FALSE(alone.Overrun());
    EXPECT_EQ(alone.BytesLeft(), 0u);
}
