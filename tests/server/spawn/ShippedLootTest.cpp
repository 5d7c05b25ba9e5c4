// ShippedLootTest -- what the shipped creatures of the first levels drop when a player kills them (often enough that a newcomer finds loot in the first few fights), and the charms a warden's draw of fortune deals.
#include "server/WorldSaveWorld.h"

#include "entities/Actor.h"
#include "entities/Inventory.h"
#include "entities/Item.h"
#include "entities/ItemGround.h"
#include "entities/Player.h"
#include "entities/Skill.h"
#include "rules/skills/SkillDefinition.h"

#include <gtest/gtest.h>

namespace {

constexpr int32_t kShippedLootKillsPerLevel = 150;
constexpr int32_t kShippedLootFirstLevel = 1;
constexpr int32_t kShippedLootLastLevel = 3;
constexpr float kShippedLootStep = 0.05f;

class ShippedLoot : public WorldSaveWorld {
protected:
    void SetUp() override
    {
        int32_t firstSecret = -1;
        ASSERT_NO_FATAL_FAILURE(StartShippedWorldWithAPlayer(firstSecret));
    }

    int32_t CountGroundItems() const
    {
        int32_t count = 0;
        for (int32_t i = 0; i < Game::kMaxEntities; ++i)
            if (Entity* entity = game->GetEntity(i); entity && entity->IsGroundItem())
                ++count;
        return count;
    }

    // A creature the level's areas spawn, struck down by the player where it stands; answers how
    // many items it left on the ground (-1 when the level spawned none this time).
    int32_t KillOne(int32_t level)
    {
        WorldPos spot = spawn.GetLevelFiller().RandomPointInLevel(level);
        if (spot.level != level)
            return -1;
        Actor* monster = spawn.PlaceSpawnedMonster(spawn.TrySpawnMonster(level, 1.0f, 0, 0), spot);
        if (!monster)
            return -1;
        player->SetPosition(monster->position);
        int32_t before = CountGroundItems();
        monster->TakeDamage(monster->maxHealth + 1000, player, false, false);
        // The loot falls as the dying starts, on the corpse's next step.
        monster->Update(kShippedLootStep);
        int32_t dropped = CountGroundItems() - before;
        // The corpse and its loot go, so the table never fills over many kills.
        for (int32_t i = 0; i < Game::kMaxEntities; ++i) {
            Entity* entity = game->GetEntity(i);
            if (entity && (entity->IsGroundItem() || entity == monster)) {
                game->RemoveEntity(entity);
                delete entity;
            }
        }
        return dropped;
    }
};

} // namespace

// Before: a normal creature dropped an item one kill in eight, so six kills often left nothing.
TEST_F(ShippedLoot, TheFirstLevelsCreaturesDropAnItemAtLeastOneKillInThree)
{
    for (int32_t level = kShippedLootFirstLevel; level <= kShippedLootLastLevel; ++level) {
        int32_t kills = 0;
        int32_t withLoot = 0;
        int32_t items = 0;
        for (int32_t attempt = 0; attempt < kShippedLootKillsPerLevel * 4 && kills < kShippedLootKillsPerLevel; ++attempt) {
            int32_t dropped = KillOne(level);
            if (dropped < 0)
                continue;
            ++kills;
            withLoot += dropped > 0 ? 1 : 0;
            items += dropped;
        }
        ASSERT_EQ(kills, kShippedLootKillsPerLevel) << "level " << level << " spawns its creatures";
        EXPECT_GE(withLoot * 3, kills) << "level " << level << ": " << withLoot << " of " << kills
                                       << " kills left loot, " << items << " items in all";
    }
}

// The warden's draw of fortune through the game's own item draws: the charm in the first bag's
// front cell is dealt again from the shipped charms, the potion beside it never touched.
TEST_F(ShippedLoot, TheDrawOfFortuneDealsTheShippedCharmsAndLeavesAPotionAlone)
{
    player->stats.Set(CharacterStat::Level, 4);
    ASSERT_TRUE(player->inventory->ResizeBag(InventoryGroupIndex::Bag1, 10));
    for (auto [name, cell] : {std::pair{"EmberCharmSpirit", 0}, std::pair{"HealingDraught", 1}}) {
        auto item = std::make_unique<Item>();
        item->SetEntry(database.FindEntryByName(name));
        item->SetStackCount(1);
        item->ComputeStats();
        item->ResolveDefinition();
        std::unique_ptr<ItemBase> owned(item.release());
        ASSERT_TRUE(player->inventory->PlaceItem(owned, InventoryGroupIndex::Bag1, cell, 0)) << name;
    }
    Skill draw;
    draw.definition = gameData.FindSkillDefinition("SkillWardenFortunesDraw");
    ASSERT_NE(draw.definition, nullptr);
    auto nameIn = [this](int32_t cell) {
        const ItemBase* item = player->inventory->GetItem(InventoryGroupIndex::Bag1, cell);
        return item && item->GetEntry() ? std::string(item->GetEntry()->GetName()) : std::string("-");
    };
    int32_t changed = 0;
    for (int use = 0; use < 20; ++use) {
        std::string before = nameIn(0);
        draw.ApplyFurtherEffects(*player, nullptr);
        EXPECT_TRUE(nameIn(0).starts_with("EmberCharm")) << nameIn(0);
        EXPECT_EQ(nameIn(1), "HealingDraught");
        changed += nameIn(0) != before ? 1 : 0;
    }
    EXPECT_EQ(nameIn(0), "EmberCharmMending") << "the cheaper charm, once drawn, stays the cheapest";
    EXPECT_GE(changed, 1);
}
