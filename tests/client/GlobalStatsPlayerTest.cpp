// GlobalStatsPlayerTest -- the local player's all-time record as the game updates fill it: its worn and carried worth from the items the host gave, its damage per second, and one other stat set by index.
#include "client/GlobalStats.h"
#include "client/PlayerClientWorld.h"
#include "client/PlayerCovenantClient.h"

#include "core/EngineEnums.h"
#include "entities/Inventory.h"
#include "entities/Item.h"

#include <climits>

namespace {

constexpr const char* kGlobalStatsPlayerRecords = R"(
ItemEmberGem
{
    Type Item
    ItemType Other
    MaxStack 10
    Value 25
}
ItemCopperRing
{
    Type Item
    ItemType Ring
    Value 40
}
)";

class GlobalStatsPlayer : public PlayerClientWorld {
protected:
    void SetUp() override
    {
        StartWorldOnly("", kGlobalStatsPlayerRecords);
        gGlobalStats = &stats;
        // The player and its covenant mirror as a new game makes them.
        vars.SetStringByName("CovenantName", "House Cinder");
        ASSERT_TRUE(app->StartClient(false, ""));
        player = app->GetLocalPlayer();
        Join();
    }
    void TearDown() override { gGlobalStats = nullptr; }

    void Give(const char* record, int32_t count, int32_t bag, int32_t slot)
    {
        std::unique_ptr<ItemBase> item = std::make_unique<Item>();
        item->SetEntryByName(record);
        item->SetStackCount(count);
        ASSERT_TRUE(hostPlayer->inventory->PlaceItem(item, bag, slot, kPlaceAnyGroup | kPlaceIgnoreOffHand)) << record;
    }

    const ::GlobalStats::Record* Own() const
    {
        for (const auto& record : stats.GetRecords())
            if (record->player == "Ada" && record->covenant == "House Cinder")
                return record.get();
        return nullptr;
    }

    ::GlobalStats stats;
};

TEST_F(GlobalStatsPlayer, TheUpdatesFillTheWornAndCarriedWorthOfTheItemsTheHostGave)
{
    hostPlayer->inventory->ResizeBag(InventoryGroupIndex::Bag1, 4);
    Give("ItemEmberGem", 3, InventoryGroupIndex::Bag1, 0);
    Give("ItemCopperRing", 1, InventoryGroupIndex::Equipment, EquipedLocation::Ring1);
    Give("ItemEmberGem", 2, InventoryGroupIndex::Bag1, 1);
    ClientFrame(50);
    ClientFrame(50);

    EXPECT_EQ(player->GetBagValue(InventoryGroupIndex::Bag1), 75 + 50) << "a stack counts whole";
    EXPECT_EQ(player->GetBagValue(InventoryGroupIndex::Equipment), 40);
    EXPECT_EQ(player->GetCarriedValue(), 75 + 40 + 50);
    EXPECT_EQ(player->GetBagValue(-1), 0);
    EXPECT_EQ(player->GetBagValue(99), 0);
    const ::GlobalStats::Record* own = Own();
    ASSERT_NE(own, nullptr) << "the player's record is added by its first update";
    EXPECT_EQ(stats.GetRecords().size(), 1u);
    EXPECT_EQ(own->otherStats.Get(StatOtherIndex::EquipmentWorth), 40);
    EXPECT_EQ(own->otherStats.Get(StatOtherIndex::InventoryWorth), 165);
    EXPECT_EQ(own->otherStats.Get(StatOtherIndex::MaxHealth), player->GetBody()->maxHealth);

    // The ring taken off and sold: the next update lowers both.
    hostPlayer->inventory->DeleteAt(InventoryGroupIndex::Equipment, EquipedLocation::Ring1);
    ClientFrame(50);
    ClientFrame(50);
    EXPECT_EQ(Own()->otherStats.Get(StatOtherIndex::EquipmentWorth), 0);
    EXPECT_EQ(Own()->otherStats.Get(StatOtherIndex::InventoryWorth), 125);
    EXPECT_EQ(stats.GetRecordHolder(7, StatOtherIndex::InventoryWorth).value, 125);
}

TEST_F(GlobalStatsPlayer, DamagePerSecondIsKeptInHundredthsAndNeverRunsPastTheIntegers)
{
    struct Case {
        int32_t low, high, speed, hundredths;
    };
    // (10 + 30) / 2 per 0.5 s = 40 a second; 7 a hit every 1.5 s = 4.67.
    for (Case c : {Case{10, 30, 500, 4000}, Case{7, 7, 1500, 466}, Case{0, 30, 500, 0}, Case{10, 30, 0, 0},
                   Case{10, 30, -5, 0}, Case{INT_MAX, INT_MAX, 1, 2000000000}}) {
        player->stats.Set(CharacterStat::MinDamage, c.low);
        player->stats.Set(CharacterStat::MaxDamage, c.high);
        player->stats.Set(CharacterStat::AttackSpeed, c.speed);
        stats.TakeLocalPlayer();
        ASSERT_NE(Own(), nullptr);
        EXPECT_EQ(Own()->otherStats.Get(StatOtherIndex::Dps), c.hundredths) << c.low << " " << c.high << " " << c.speed;
        EXPECT_EQ(player->GetDpsHundredths(), c.hundredths);
    }
}

TEST_F(GlobalStatsPlayer, AnOtherStatIsSetOnTheLocalRecordOnlyWithPlayerAndCovenant)
{
    stats.SetOtherStat(12, 77);
    ASSERT_NE(Own(), nullptr);
    EXPECT_EQ(Own()->otherStats.Get(12), 77);
    stats.SetOtherStat(13, 5);
    stats.SetOtherStat(-1, 5);
    EXPECT_EQ(Own()->otherStats.GetCount(), ::GlobalStats::kOtherStats) << "an index outside the list changes nothing";

    // Once the game has ended there is no local player: nothing is added.
    app->EndGame();
    ::GlobalStats fresh;
    fresh.SetOtherStat(3, 9);
    EXPECT_TRUE(fresh.GetRecords().empty());
}

} // namespace
