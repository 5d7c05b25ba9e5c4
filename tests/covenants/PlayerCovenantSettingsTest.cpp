// PlayerCovenantSettingsTest -- the covenant block of a joining client's settings: read whole before anything is placed, the house and recruits placed after, and hostile blocks refused without a trace.
#include "covenants/PlayerCovenantWorld.h"
#include "covenants/Recruit.h"
#include "entities/Inventory.h"
#include "entities/Item.h"

#include <gtest/gtest.h>

#include <climits>

class PlayerCovenantSettings : public PlayerCovenantWorld {
protected:
    CovenantSettingsBlock LoadedBlock()
    {
        CovenantSettingsBlock block;
        block.loaded = true;
        block.recruits = {{0, Id("MonsterTester"), 3}, {3, Id("MonsterTester"), 7}};
        for (int32_t stat = 0; stat < CovenantStat::kCount; ++stat)
            block.statistics[static_cast<size_t>(stat)] = 100 + stat;
        block.health = 40;
        block.maxHealth = 90;
        return block;
    }

    // Every entity in the fake game's table.
    int32_t CountEntities() const
    {
        int32_t count = 0;
        for (int32_t number = 0; number < 1500; ++number)
            count += game.GetEntity(number) ? 1 : 0;
        return count;
    }

    static std::string Describe(const PlayerCovenant& covenant)
    {
        std::string text = covenant.name + " r" + std::to_string(covenant.CountRecruits()) + " s";
        for (int32_t value : covenant.statistics.GetValues())
            text += " " + std::to_string(value);
        text += " i" + std::to_string(covenant.inventory->CountItems(InventoryGroupIndex::Stash));
        return text;
    }
};

TEST_F(PlayerCovenantSettings, ALoadedCovenantComesBackWithItsRecruitsStatisticsAndLifestone)
{
    Inventory stock;
    stock.ResizeBag(InventoryGroupIndex::Stash, 8);
    std::unique_ptr<ItemBase> bag = std::make_unique<Item>();
    bag->SetEntryByName("Bag1");
    ASSERT_TRUE(stock.PlaceItem(bag, InventoryGroupIndex::Stash, 5, 0));
    CovenantSettingsBlock block = LoadedBlock();
    block.hasInventory = true;
    block.inventory = &stock;
    PlayerCovenant& covenant = AddPlayerCovenant();
    MessageBuffer buffer = Written(block);
    ASSERT_TRUE(covenant.ReadSettings(buffer));
    // Read, but nothing stands in the world yet.
    EXPECT_EQ(CountEntities(), 0);
    EXPECT_EQ(covenant.name, "Ember Hall");
    ASSERT_NE(covenant.GetInventoryItem(InventoryGroupIndex::Stash, 5), nullptr);
    // The client's bags are all it has: no new one is added.
    EXPECT_EQ(covenant.inventory->CountItems(InventoryGroupIndex::Stash), 1);
    EXPECT_EQ(covenant.statistics.Get(CovenantStat::Money), 110);
    EXPECT_EQ(covenant.statistics.Get(CovenantStat::InfluenceTransferred), 114);
    ASSERT_NE(covenant.GetRecruitRecord(0), nullptr);
    ASSERT_NE(covenant.GetRecruitRecord(3), nullptr);
    EXPECT_EQ(covenant.GetRecruitRecord(3)->stats.Get(CharacterStat::Level), 7);
    EXPECT_EQ(covenant.GetRecruitRecord(1), nullptr);

    covenant.PlaceInWorld();
    EXPECT_EQ(covenant.GetHomeHealth(), 40);
    EXPECT_EQ(covenant.GetHomeMaxHealth(), 90);
    for (int32_t slot : {0, 3}) {
        Actor* actor = covenant.GetRecruitActor(slot);
        ASSERT_NE(actor, nullptr) << slot;
        EXPECT_EQ(actor->covenantIndex, covenant.index);
        EXPECT_TRUE(actor->homeSet);
        EXPECT_EQ(actor->homePosition.level, 0);
        EXPECT_LT(actor->position.Distance2D(covenant.GetHomePosition()), 6.0f * 32.0f);
        EXPECT_NE(actor->entityNumber, -1);
    }
    EXPECT_EQ(covenant.GetRecruitCount(), 3);
}

TEST_F(PlayerCovenantSettings, ANewCovenantGetsOneBagAndALifestoneWithoutHealth)
{
    PlayerCovenant& covenant = AddPlayerCovenant();
    CovenantSettingsBlock block;
    MessageBuffer buffer = Written(block);
    ASSERT_TRUE(covenant.ReadSettings(buffer));
    EXPECT_EQ(covenant.inventory->CountItems(InventoryGroupIndex::Stash), 1);
    ASSERT_NE(covenant.GetInventoryItem(InventoryGroupIndex::Stash, 0), nullptr);
    EXPECT_EQ(covenant.GetInventoryItem(InventoryGroupIndex::Stash, 0)->GetEntry()->GetName(), "Bag1");
    covenant.PlaceInWorld();
    EXPECT_EQ(covenant.GetHomeMaxHealth(), -1);
    EXPECT_LE(covenant.GetHomeHealth(), -1);
    EXPECT_EQ(covenant.CountRecruits(), 0);
    EXPECT_EQ(covenant.GetRecruitCount(), 1);
}

TEST_F(PlayerCovenantSettings, AnEliminatedCovenantReadsItsRecruitsButSpawnsNone)
{
    PlayerCovenant& covenant = AddPlayerCovenant();
    MessageBuffer buffer = Written(LoadedBlock());
    ASSERT_TRUE(covenant.ReadSettings(buffer));
    covenant.eliminated = true;
    covenant.PlaceInWorld();
    EXPECT_EQ(covenant.CountRecruits(), 2);
    EXPECT_EQ(covenant.GetRecruitActor(0), nullptr);
    EXPECT_EQ(covenant.GetRecruitActor(3), nullptr);
}

TEST_F(PlayerCovenantSettings, RecruitNumbersOutsideTheSlotsOrRepeatedAreDroppedAndTheRestRead)
{
    CovenantSettingsBlock block = LoadedBlock();
    block.recruits = {{-1, Id("MonsterTester"), 2},
                      {kMaxRecruits, Id("MonsterTester"), 2},
                      {1, Id("MonsterTester"), 5},
                      {1, Id("MonsterTester"), 6},
                      {2, Id("RelicWhole"), 2}};
    // Five records for four slots is one too many.
    PlayerCovenant& tooMany = AddPlayerCovenant();
    MessageBuffer refused = Written(block);
    EXPECT_FALSE(tooMany.ReadSettings(refused));
    block.recruits.pop_back();
    PlayerCovenant& covenant = AddPlayerCovenant();
    MessageBuffer buffer = Written(block);
    ASSERT_TRUE(covenant.ReadSettings(buffer));
    EXPECT_EQ(covenant.CountRecruits(), 1);
    ASSERT_NE(covenant.GetRecruitRecord(1), nullptr);
    EXPECT_EQ(covenant.GetRecruitRecord(1)->stats.Get(CharacterStat::Level), 5);
    // The statistics after the dropped records are still read in their place.
    EXPECT_EQ(covenant.statistics.Get(CovenantStat::Money), 110);
    std::vector<std::string> lines = Logged();
    for (const char* number : {"-1", "4", "1"})
        EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [&](const std::string& line) {
            return line.find(std::string("recruit number ") + number + " is dropped") != std::string::npos;
        })) << number;

    // A record naming no creature is read and dropped too.
    block.recruits = {{2, Id("RelicWhole"), 2}, {0, Id("MonsterTester"), 4}};
    PlayerCovenant& withItem = AddPlayerCovenant();
    MessageBuffer named = Written(block);
    ASSERT_TRUE(withItem.ReadSettings(named));
    EXPECT_EQ(withItem.GetRecruitRecord(2), nullptr);
    ASSERT_NE(withItem.GetRecruitRecord(0), nullptr);
}

TEST_F(PlayerCovenantSettings, RefusedRecruitCountsRefuseTheBlock)
{
    PlayerCovenant& covenant = AddPlayerCovenant();
    const std::string kept = Describe(covenant);
    for (int32_t count : {-1, kMaxRecruits + 1, INT_MAX}) {
        CovenantSettingsBlock block = LoadedBlock();
        block.countWord = count;
        MessageBuffer buffer = Written(block);
        EXPECT_FALSE(covenant.ReadSettings(buffer)) << count;
        EXPECT_EQ(Describe(covenant), kept) << count;
    }
    // Up to the slot count is taken.
    CovenantSettingsBlock full = LoadedBlock();
    full.recruits = {{0, Id("MonsterTester"), 1}, {1, Id("MonsterTester"), 1}, {2, Id("MonsterTester"), 1},
                     {3, Id("MonsterTester"), 1}};
    MessageBuffer buffer = Written(full);
    EXPECT_TRUE(covenant.ReadSettings(buffer));
    EXPECT_EQ(covenant.CountRecruits(), kMaxRecruits);
}

TEST_F(PlayerCovenantSettings, CutOrFlippedBlocksChangeNothingAndPlaceNothing)
{
    Inventory stock;
    stock.ResizeBag(InventoryGroupIndex::Stash, 8);
    std::unique_ptr<ItemBase> bag = std::make_unique<Item>();
    bag->SetEntryByName("Bag1");
    ASSERT_TRUE(stock.PlaceItem(bag, InventoryGroupIndex::Stash, 2, 0));
    CovenantSettingsBlock block = LoadedBlock();
    block.hasInventory = true;
    block.inventory = &stock;
    MessageBuffer whole = Written(block);
    std::vector<uint8_t> bytes(whole.Data(), whole.Data() + whole.Size());
    PlayerCovenant& covenant = AddPlayerCovenant();
    const std::string kept = Describe(covenant);
    for (size_t cut = 0; cut < bytes.size(); ++cut) {
        MessageBuffer part;
        part.WriteBytes(bytes.data(), cut);
        part.SetReadPos(0);
        ASSERT_FALSE(covenant.ReadSettings(part)) << "cut at " << cut;
        ASSERT_EQ(Describe(covenant), kept) << "cut at " << cut;
    }
    EXPECT_EQ(CountEntities(), 0);
    // Flipped bits: the block reads whole or changes nothing; either way nothing is placed.
    for (size_t bit = 0; bit < bytes.size() * 8; bit += 5) {
        std::vector<uint8_t> flipped = bytes;
        flipped[bit / 8] ^= static_cast<uint8_t>(1u << (bit % 8));
        MessageBuffer part;
        part.WriteBytes(flipped.data(), flipped.size());
        part.SetReadPos(0);
        PlayerCovenant target;
        std::string before = Describe(target);
        if (!target.ReadSettings(part)) {
            ASSERT_EQ(Describe(target), before) << "bit " << bit;
        }
        ASSERT_LE(target.CountRecruits(), kMaxRecruits);
    }
    EXPECT_EQ(CountEntities(), 0);
}
