// LootDrops -- the spawn system's loot: how many items a killed creature or an opened chest leaves, and where they go.
#include "server/spawn/SpawnSystem.h"

#include "core/DatabaseEntry.h"
#include "core/RandomSystem.h"
#include "entities/Actor.h"
#include "entities/GameServices.h"
#include "entities/Inventory.h"
#include "entities/Item.h"
#include "entities/ItemGround.h"
#include "entities/EntityQuest.h"
#include "entities/Player.h"
#include "entities/Sentient.h"
#include "rules/RulesEnums.h"
#include "rules/monsters/MonsterArchetype.h"
#include "rules/monsters/MonsterType.h"
#include "rules/items/InventoryBag.h"

#include <algorithm>

namespace {

constexpr const char* kLootUniqueSound = "Sounds/Items/uniqueSpawn.ogg";
constexpr float kLootUniqueSoundRadius = 150.0f;

// The quest kinds whose items a slain monster of their target type drops.
bool LootIsItemQuestAbout(const EntityQuest& quest, const MonsterType* record)
{
    using namespace QuestType;
    bool kind = quest.type == MonsterQuestItem || quest.type == DeadlyPoison || quest.type == Petrify ||
                quest.type == Plague || quest.type == ArmorsmithMonsterQuestItem ||
                quest.type == WeaponsmithMonsterQuestItem || quest.type == StoryOskithNullifier;
    return kind && !quest.IsEmpty() && quest.progress < quest.count && quest.target == record;
}

} // namespace

int32_t SpawnSystem::DropItems(const WorldPos& position, float chance, int32_t minItems, int32_t maxItems,
                               int32_t level, float countBonus, float groundChance, Sentient* container,
                               Entity* source, int32_t magicBonus) const
{
    if (chance < DrawRandomFloat())
        return 0;
    int32_t count = RollItemCount(minItems, maxItems, countBonus);
    int32_t made = 0;
    for (int32_t i = 0; i < count; ++i) {
        bool toGround = groundChance > 0.0f && groundChance > DrawRandomFloat();
        if (GenerateAndDropItem(position, toGround ? nullptr : container, magicBonus, level, source))
            ++made;
    }
    return made;
}

int32_t SpawnSystem::RollItemCount(int32_t minItems, int32_t maxItems, float countBonus) const
{
    int32_t count = std::max(minItems, 0);
    float extraChance = 0.5f + countBonus * 0.005f;
    for (int32_t slot = minItems; slot < maxItems; ++slot)
        if (DrawRandomFloat() < extraChance)
            ++count;
    return count;
}

bool SpawnSystem::GenerateAndDropItem(const WorldPos& position, Sentient* container, int32_t magicBonus,
                                      int32_t level, Entity* source) const
{
    ItemRequest request;
    request.baseLevel = level;
    request.magicBonus = magicBonus;
    std::unique_ptr<Item> item = GenerateItem(request);
    if (!item)
        return false;
    // Such an item is a trophy: only a killed creature gives it, never a chest.
    if (item->GetEntry() && item->GetEntry()->GetInt("OnlySpawnFromKills") != 0 &&
        !dynamic_cast<Sentient*>(source))
        return false;
    if (container)
        return PutIntoLootBag(*container, std::move(item));
    bool notable = item->GetQuality() >= ItemRarity::Set;
    if (!ItemGround::Drop(position, item, false, true, true))
        return false;
    if (notable && gGameServices)
        gGameServices->QueueWorldEvent({kLootUniqueSound, -1, position, kLootUniqueSoundRadius, 1.0f});
    return true;
}

bool SpawnSystem::PutIntoLootBag(Sentient& container, std::unique_ptr<Item> item)
{
    InventoryBag* bag = container.GetBag(InventoryGroupIndex::Loot);
    if (!item || !bag || !container.inventory)
        return false;
    for (int32_t slot = 0; slot < bag->GetSlotCount(); ++slot) {
        ItemBase* held = bag->GetItem(slot);
        if (held && held->GetDefinition() == item->GetDefinition() && held->GetMaxStack() > 1 &&
            held->GetStackCount() < held->GetMaxStack()) {
            held->SetStackCount(held->GetStackCount() + item->GetStackCount());
            return true;
        }
    }
    int32_t empty = bag->FindEmptySlot();
    if (empty < 0)
        return false;  // no room: the item is deleted here
    std::unique_ptr<ItemBase> placed = std::move(item);
    return container.inventory->PlaceItem(placed, InventoryGroupIndex::Loot, empty, kPlaceAnyGroup);
}

void SpawnSystem::DropMonsterLoot(Sentient& monster, float groundChance, float countBonus, int32_t magicBonus) const
{
    const auto* actor = dynamic_cast<const Actor*>(&monster);
    int32_t rarity = actor ? actor->monsterRarity : MonsterRarity::Normal;
    const MonsterLoot& loot = GetMonsterLoot(rarity);
    DropItems(monster.position, loot.itemChance, loot.minItems, loot.maxItems,
              GetLevelIncrease(rarity) + monster.stats.Get(CharacterStat::Level), countBonus, groundChance, &monster,
              &monster, magicBonus + loot.increasedMagicChance);
    if (groundChance > 0.0f && actor)
        DropQuestItem(*actor, monster.position);
}

void SpawnSystem::DropChestLoot(Entity& chest, float itemChance, int32_t minItems, int32_t maxItems, int32_t level,
                                int32_t magicBonus, float countBonus, int32_t extraMagicBonus) const
{
    DropItems(chest.position, itemChance, minItems, maxItems, level, countBonus, 1.0f, nullptr, &chest,
              magicBonus + extraMagicBonus);
}

Entity* SpawnSystem::DropQuestItem(const Actor& victim, const WorldPos& position) const
{
    const MonsterType* record = victim.GetMonsterType();
    const MonsterArchetype* definition = record ? record->archetype : nullptr;
    if (!definition || !definition->questItem || position.level < 0 || !gGameServices)
        return nullptr;
    const std::vector<Sentient*>& players = gGameServices->GetPlayers();
    auto* first = players.empty() ? nullptr : dynamic_cast<Player*>(players.front());
    const EntityQuest* wanting = nullptr;
    for (int32_t slot = 0; first && slot < Player::kQuestSlotCount && !wanting; ++slot)
        if (const EntityQuest* quest = first->GetQuestSlot(slot); quest && LootIsItemQuestAbout(*quest, record))
            wanting = quest;
    if (!wanting || !(definition->questItemDropChance > DrawRandomFloat()))
        return nullptr;
    return PlaceQuestItem(definition->questItem, position, record->questItemAmount, 0, wanting->questId);
}

Entity* SpawnSystem::PlaceQuestItem(const DatabaseEntry* definition, const WorldPos& position, int32_t amount,
                                    int32_t flags, int32_t questNumber) const
{
    if (!definition)
        return nullptr;
    auto item = std::make_unique<Item>();
    item->SetEntry(definition);
    item->questNumber = questNumber;
    if (amount != 0)
        item->SetStackCount(amount);
    item->ResolveDefinition();
    return ItemGround::Drop(position, item, true, flags != 0, true);
}

bool SpawnSystem::GenerateItemAndDrop(const DatabaseEntry* definition, const WorldPos& position) const
{
    ItemRequest request;
    request.baseLevel = 0;
    request.definition = definition;
    std::unique_ptr<Item> item = GenerateItem(request);
    return item && ItemGround::Drop(position, item, false, false, true) != nullptr;
}
