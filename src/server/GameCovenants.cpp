// Game -- the game as its covenants' host: the first player, the pedestals' places, the guards, the quests, town, monsters, items and chests the rivals ask for, and a covenant that leaves with its player.
#include "server/Game.h"

#include "core/Database.h"
#include "core/RandomSystem.h"
#include "covenants/Covenant.h"
#include "entities/Actor.h"
#include "entities/Chest.h"
#include "entities/Item.h"
#include "entities/Sentient.h"
#include "rules/RulesEnums.h"
#include "rules/monsters/MonsterType.h"
#include "server/quests/GameQuests.h"
#include "server/quests/Quest.h"
#include "server/spawn/LevelFiller.h"
#include "server/spawn/SpawnSystem.h"

#include <algorithm>

bool Game::IsFirstPlayer(const Entity& entity) const
{
    auto first = std::find_if(players.begin(), players.end(), [](const Sentient* player) { return player; });
    return first != players.end() && *first == &entity;
}

Vector2 Game::GetPedestalOffset(int32_t i) const
{
    return i >= 0 && static_cast<size_t>(i) < pedestalOffsets.size() ? pedestalOffsets[static_cast<size_t>(i)]
                                                                     : Vector2{};
}

// A covenant's guard comes without the enchantments of a rarity: it is the house's, not the wild's.
Actor* Game::MakeGuard(const MonsterType& type, int32_t level)
{
    return gSpawnSystem ? gSpawnSystem->SpawnMonster(&type, 0, level, 0, true) : nullptr;
}

// ---- A covenant that leaves the world -----------------------------------------------------------------

void Game::ReplaceCovenant(int32_t index, std::unique_ptr<Covenant> covenant)
{
    Covenant* leaving = GetCovenant(index);
    if (!leaving || !covenant) {
        AddCovenant(std::move(covenant));
        return;
    }
    ClearCovenantFromWorld(*leaving);
    covenant->index = index;
    covenants[static_cast<size_t>(index)] = std::move(covenant);
}

void Game::ClearCovenantFromWorld(Covenant& leaving)
{
    int32_t index = leaving.index;
    // The others let it go while it still stands at its index: their raids on it end, their
    // offers to it are dropped, and so is a shared adventure with it.
    for (const auto& other : covenants) {
        if (!other || other.get() == &leaving)
            continue;
        other->ForgetCovenant(leaving);
        other->ClearOfferTo(index, false);
    }
    leaving.StopAdventuringWith(leaving);
    SetPeaceWithAll(index);
    ClearTradeRoutesOfAll(index);
    // Its house, guards, relic displays and recruits' creatures go: whatever still carried its
    // index would belong to the covenant that takes the index next.
    for (int32_t slot = Covenant::kFirstRelicSlot; slot < Covenant::kHouseSlots; ++slot)
        leaving.RemoveRelicDisplay(slot);
    for (const Slot& slot : slots) {
        if (slot.entity && slot.entity->covenantIndex == index && !slot.entity->IsPlayer()) {
            slot.entity->covenantIndex = -1;
            slot.entity->ScheduleDelete(0.0f);
        }
    }
}

bool Game::HasOpenQuest(int32_t type, const Entity* target) const
{
    for (const auto& quest : quests->GetList())
        if (quest && quest->type == type && !quest->IsComplete() && (!target || quest->GetTargetEntity() == target))
            return true;
    return false;
}

void Game::QuestSolvedByOtherCovenant(int32_t quest, int32_t covenant)
{
    quests->QuestSolvedByOtherCovenant(quest, covenant);
}

Actor* Game::RollMonster(int32_t level, float factor)
{
    return gSpawnSystem ? gSpawnSystem->TrySpawnMonster(level, factor, 0, 0) : nullptr;
}

// A rival's recruits are fighters of the kinds houses hire as guards; any monster of the level
// when no such kind exists.
Actor* Game::MakeRecruitActor(int32_t level)
{
    if (!gSpawnSystem)
        return nullptr;
    const MonsterType* type = gSpawnSystem->PickGuardType(level);
    if (!type)
        type = gSpawnSystem->PickRandomMonsterType(level);
    return type ? gSpawnSystem->SpawnMonster(type, 0, level, 0, true) : nullptr;
}

std::unique_ptr<Item> Game::PickGuardItem(int32_t level)
{
    const MonsterType* type = gSpawnSystem ? gSpawnSystem->PickGuardType(level) : nullptr;
    const DatabaseEntry* record =
        type && type->GetEntry() && gDatabase ? gDatabase->FindEntryByName(type->GetEntry()->GetString("GuardItem")) : nullptr;
    return record ? GenerateItem(record, level) : nullptr;
}

std::unique_ptr<Item> Game::MakeRandomItem(int32_t level, int32_t minSpread, int32_t maxSpread)
{
    if (!gSpawnSystem)
        return nullptr;
    SpawnSystem::ItemRequest request;
    request.baseLevel = level;
    request.minSpread = minSpread;
    request.maxSpread = maxSpread;
    return gSpawnSystem->GenerateItem(request);
}

int32_t Game::GetLevelChestCount(int32_t level) const
{
    return gSpawnSystem && IsKnownLevel(level) ? gSpawnSystem->GetLevelFiller().CountLevelChests(level) : 0;
}

std::unique_ptr<Chest> Game::MakeLevelChest(int32_t level)
{
    if (!gSpawnSystem || !IsKnownLevel(level))
        return nullptr;
    return std::unique_ptr<Chest>(gSpawnSystem->GetLevelFiller().CreateChest(nullptr, level, 0));
}

void Game::GenerateChestItems(const Chest& chest, const Entity& opener, std::vector<std::unique_ptr<Item>>& out)
{
    if (!gSpawnSystem || !gRandomSystem)
        return;
    if (!(gRandomSystem->RandomFloat(RandomStream::GameData) < chest.itemChance))
        return;
    int32_t count = gSpawnSystem->RollItemCount(chest.minItems, chest.maxItems,
                                                static_cast<float>(opener.GetStat(CharacterStat::ItemsChance)));
    SpawnSystem::ItemRequest request;
    request.baseLevel = chest.level;
    request.magicBonus = chest.increasedMagicChance + opener.GetStat(CharacterStat::MagicChance) +
                         opener.GetStat(CharacterStat::ExtraMoney);
    for (int32_t i = 0; i < count; ++i)
        if (std::unique_ptr<Item> item = gSpawnSystem->GenerateItem(request))
            out.push_back(std::move(item));
}

