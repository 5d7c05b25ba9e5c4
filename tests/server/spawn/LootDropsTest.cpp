// LootDropsTest -- item counts, the loot bag and its stacks, the ground, trophies that only kills give, quest items.
#include "SpawnWorld.h"

#include "core/Database.h"
#include "entities/Chest.h"
#include "entities/ItemGround.h"
#include "rules/items/InventoryBag.h"

namespace {

// Only the trophy can drop: every other record's weight is gone.
constexpr const char* kLootTrophyRecords = R"(
Trophy
{
    Base ItemBaseRecord
    ItemType Other
    OnlySpawnFromKills 1
    SpawnChance 100000000
    MinLevel 1
    MaxLevel 105
}
)";

} // namespace

class LootDrops : public SpawnWorld {
protected:
    Actor* Monster(int32_t rarity = MonsterRarity::Normal, float x = 500.0f, float y = 500.0f)
    {
        Actor* actor = spawn.SpawnMonster(Type("MonsterGrunt"), rarity, 6, 0, true);
        return spawn.PlaceSpawnedMonster(actor, At(x, y));
    }

    InventoryBag& LootBag(Sentient& sentient) { return *sentient.GetBag(InventoryGroupIndex::Loot); }

    int32_t CountGroundItems() const
    {
        int32_t count = 0;
        for (int32_t i = 0; i < GameServices::kMaxEntities; ++i)
            if (Entity* entity = game->GetEntity(i); entity && entity->IsGroundItem())
                ++count;
        return count;
    }

    std::unique_ptr<Item> MakeItem(const char* name, int32_t stack = 1)
    {
        auto item = std::make_unique<Item>();
        item->SetEntry(database.FindEntryByName(name));
        item->SetStackCount(stack);
        return item;
    }
};

TEST_F(LootDrops, CountsRunFromTheMinimumUpByTheBonus)
{
    LoadSpawn();
    Actor* monster = Monster();
    // A bonus of 100 makes every further slot certain; -100 makes none.
    EXPECT_EQ(spawn.DropItems(monster->position, 1.0f, 1, 4, 5, 100.0f, 0.0f, monster, monster, 0), 4);
    EXPECT_EQ(LootBag(*monster).CountItems(), 4);
    Actor* other = Monster(MonsterRarity::Normal, 1500.0f, 500.0f);
    EXPECT_EQ(spawn.DropItems(other->position, 1.0f, 2, 6, 5, -100.0f, 0.0f, other, other, 0), 2);
    EXPECT_EQ(spawn.DropItems(other->position, -1.0f, 2, 6, 5, 100.0f, 0.0f, other, other, 0), 0);
    EXPECT_EQ(LootBag(*other).CountItems(), 2);
}

TEST_F(LootDrops, CertainGroundChanceSendsEverythingToTheGround)
{
    LoadSpawn();
    Actor* monster = Monster();
    EXPECT_EQ(spawn.DropItems(monster->position, 1.0f, 3, 3, 5, 0.0f, 1.0f, monster, monster, 0), 3);
    EXPECT_EQ(LootBag(*monster).CountItems(), 0);
    EXPECT_EQ(CountGroundItems(), 3);
}

TEST_F(LootDrops, MonsterLootFollowsItsRarity)
{
    LoadSpawn();
    Actor* rare = Monster(MonsterRarity::Rare);
    game->DropMonsterLoot(*rare, 0.0f, 0.0f, 0.0f);
    EXPECT_EQ(LootBag(*rare).CountItems(), 2);
    // Uncommon monsters have no loot keys in the record: no chance, no items.
    Actor* plain = Monster(MonsterRarity::Uncommon, 1500.0f, 500.0f);
    game->DropMonsterLoot(*plain, 0.0f, 0.0f, 0.0f);
    EXPECT_EQ(LootBag(*plain).CountItems(), 0);
}

TEST_F(LootDrops, ChestsNeverGiveWhatOnlyKillsGive)
{
    LoadSpawn(kLootTrophyRecords);
    Entity* chest = Spawn(700.0f, 700.0f);
    for (int i = 0; i < 20; ++i)
        spawn.DropChestLoot(*chest, 1.0f, 2, 2, 5, 0, 0.0f, 0);
    EXPECT_EQ(CountGroundItems(), 0);
    Actor* monster = Monster();
    EXPECT_TRUE(spawn.GenerateAndDropItem(monster->position, monster, 0, 5, monster));
    EXPECT_EQ(LootBag(*monster).GetItem(0)->GetEntry()->GetName(), "Trophy");
}

TEST_F(LootDrops, ChestLootAlwaysFallsToTheGround)
{
    LoadSpawn();
    Entity* chest = Spawn(700.0f, 700.0f);
    spawn.DropChestLoot(*chest, 1.0f, 2, 2, 5, 0, 0.0f, 0);
    EXPECT_EQ(CountGroundItems(), 2);
}

TEST_F(LootDrops, LootBagStacksAKindBeforeTakingASlot)
{
    LoadSpawn();
    Actor* monster = Monster();
    ASSERT_TRUE(SpawnSystem::PutIntoLootBag(*monster, MakeItem("SmallPotion", 3)));
    ASSERT_TRUE(SpawnSystem::PutIntoLootBag(*monster, MakeItem("SmallPotion", 4)));
    EXPECT_EQ(LootBag(*monster).CountItems(), 1);
    EXPECT_EQ(LootBag(*monster).GetItem(0)->GetStackCount(), 7);
    // A stack over its limit is kept at the limit; a full stack sends the next to a slot.
    ASSERT_TRUE(SpawnSystem::PutIntoLootBag(*monster, MakeItem("SmallPotion", 9)));
    EXPECT_EQ(LootBag(*monster).GetItem(0)->GetStackCount(), 10);
    ASSERT_TRUE(SpawnSystem::PutIntoLootBag(*monster, MakeItem("SmallPotion", 2)));
    EXPECT_EQ(LootBag(*monster).GetItem(1)->GetStackCount(), 2);
    ASSERT_TRUE(SpawnSystem::PutIntoLootBag(*monster, MakeItem("LargePotion", 1)));
    EXPECT_EQ(LootBag(*monster).CountItems(), 3);
}

TEST_F(LootDrops, AFullBagDeletesTheNewItem)
{
    LoadSpawn();
    Actor* monster = Monster();
    for (int32_t slot = 0; slot < LootBag(*monster).GetSlotCount(); ++slot)
        ASSERT_TRUE(SpawnSystem::PutIntoLootBag(*monster, MakeItem("RustySword")));
    EXPECT_FALSE(SpawnSystem::PutIntoLootBag(*monster, MakeItem("SteelSword")));
    EXPECT_FALSE(spawn.GenerateAndDropItem(monster->position, monster, 0, 5, monster));
    EXPECT_EQ(LootBag(*monster).CountItems(), LootBag(*monster).GetSlotCount());
}

TEST_F(LootDrops, QuestItemsAndGeneratedDropsNeedAPlace)
{
    LoadSpawn();
    const DatabaseEntry* potion = database.FindEntryByName("SmallPotion");
    EXPECT_TRUE(spawn.PlaceQuestItem(potion, At(800.0f, 800.0f), 6, 0));
    ASSERT_EQ(CountGroundItems(), 1);
    WorldPos nowhere = At(10.0f, 10.0f, -1);
    EXPECT_FALSE(spawn.PlaceQuestItem(potion, nowhere, 6, 0));
    EXPECT_FALSE(spawn.PlaceQuestItem(nullptr, At(800.0f, 800.0f), 6, 0));
    EXPECT_TRUE(spawn.GenerateItemAndDrop(database.FindEntryByName("RustySword"), At(1600.0f, 800.0f)));
    EXPECT_FALSE(spawn.GenerateItemAndDrop(database.FindEntryByName("RustySword"), nowhere));
    EXPECT_EQ(CountGroundItems(), 2);
    for (int32_t i = 0; i < GameServices::kMaxEntities; ++i) {
        auto* ground = dynamic_cast<ItemGround*>(game->GetEntity(i));
        if (ground && ground->GetItem() && ground->GetItem()->GetEntry() == potion) {
            EXPECT_EQ(ground->GetItem()->GetStackCount(), 6);
        }
    }
}

TEST_F(LootDrops, TheGameLaysAChestsLootAroundIt)
{
    LoadSpawn();
    auto* chest = Spawn<Chest>(700.0f, 700.0f);
    chest->itemChance = 1.0f;
    chest->minItems = chest->maxItems = 3;
    chest->level = 5;
    game->GenerateChestLoot(*chest, 0.0f, 0.0f);
    EXPECT_EQ(CountGroundItems(), 3);
    chest->itemChance = -1.0f;
    game->GenerateChestLoot(*chest, 0.0f, 0.0f);
    EXPECT_EQ(CountGroundItems(), 3);
}
