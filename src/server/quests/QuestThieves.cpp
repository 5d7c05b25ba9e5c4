// Quest -- thieves, rival covenants' kills, quest items on a level, the reward item and the plague's saved victims.
#include "server/quests/Quest.h"

#include "core/DatabaseEntry.h"
#include "core/DebugSystem.h"
#include "core/LocSystem.h"
#include "core/MessageBuffer.h"
#include "core/RandomSystem.h"
#include "entities/Actor.h"
#include "entities/EntityCovenant.h"
#include "entities/GameServices.h"
#include "entities/Item.h"
#include "entities/ItemGround.h"
#include "entities/Player.h"
#include "entities/Vendor.h"
#include "rules/Formulas.h"
#include "rules/GameData.h"
#include "rules/GameSystemTuning.h"
#include "rules/RulesEnums.h"
#include "rules/monsters/MonsterType.h"
#include "rules/quests/QuestDefinition.h"
#include "rules/quests/QuestWorld.h"
#include "server/quests/QuestHost.h"
#include "server/spawn/SpawnSystem.h"
#include "world/AreaDefinition.h"
#include "world/LevelQueries.h"
#include "world/World.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float kQuestThievesEffectSeconds = 5.0f;

// The kinds are an item's requirement: armour from cloth to plate, shields and capes; the
// weapons from daggers to staves.
bool QuestThievesIsArmorKind(int32_t kind)
{
    return (kind >= ItemRequirement::ArmorCloth && kind <= ItemRequirement::ArmorPlate) ||
           kind == ItemRequirement::Shield || kind == ItemRequirement::Cape;
}

bool QuestThievesIsWeaponKind(int32_t kind)
{
    return kind >= ItemRequirement::WeaponDagger && kind <= ItemRequirement::WeaponStaff;
}

} // namespace

// ---- Thief ----------------------------------------------------------------------------------------------

Entity* Quest::GetVendorOfType(int32_t npcType) const
{
    auto* vendor = host ? dynamic_cast<Vendor*>(host->GetTownNpcOfType(npcType)) : nullptr;
    return vendor && vendor->HasRandomStock() ? vendor : nullptr;
}

std::vector<int32_t> Quest::CollectThiefVendors() const
{
    std::vector<int32_t> candidates;
    for (int32_t npcType : {NpcType::VendorBasic, NpcType::VendorWeapon, NpcType::VendorArmor, NpcType::Gambler})
        if (GetVendorOfType(npcType))
            candidates.push_back(npcType);
    return candidates;
}

bool Quest::ShowThief(bool mayWin)
{
    auto* thief = target.GetAs<Entity>();
    if (!thief)
        return false;
    std::vector<int32_t> candidates = CollectThiefVendors();
    if (candidates.empty()) {
        if (mayWin) {
            ThiefWins();
            return true;
        }
        hidden = true;
        return false;
    }
    npcId = candidates[static_cast<size_t>(DrawIndex(static_cast<int32_t>(candidates.size())))];
    WorldPos spot;
    int32_t facing = 0;
    if (host->GetTownSpot(npcId, spot, facing))
        thief->SetPosition(spot);
    Entity* vendor = host->GetTownNpcOfType(npcId);
    if (vendor && vendor != thief)
        thief->FaceEntity(vendor, false);
    thief->flags &= ~EntityFlag::Hidden;
    hidden = false;
    return false;
}

void Quest::ThiefStealsItems()
{
    auto* vendor = host && target ? dynamic_cast<Vendor*>(host->GetTownNpcOfType(npcId)) : nullptr;
    if (!vendor)
        return;
    int32_t low = definition->minItemsStolen;
    // Mended: a maximum below the minimum takes the minimum.
    int32_t high = std::max(low, definition->maxItemsStolen);
    int32_t wanted = RandomSystem::IndexFromFraction(Roll(), low, high);
    int32_t value = 0;
    int32_t stolen = vendor->StealItems(wanted, value);
    if (stolen <= 0 || value <= 0)
        return;
    const char* plural = gLocSystem ? gLocSystem->GetPluralEnding(stolen) : "";
    SendNews(MakeLocToken("QuestThiefItemsStolen", "%d %s %s %s", stolen, plural, FormatMoney(value).c_str(),
                          host->GetEntityDisplayName(*vendor).c_str()),
             kNewsKind);
    success += stolen;
}

void Quest::ThiefDisappears()
{
    auto* thief = target.GetAs<Entity>();
    if (!thief)
        return;
    if (gGameServices && !definition->effectModelName.empty())
        gGameServices->SpawnModelEntity(definition->effectModelName, thief->position, kQuestThievesEffectSeconds);
    thief->SetPosition(WorldPos{-1, 0.0f, 0.0f});
    SendNews("$$QuestThiefDisappeared$$", kNewsKind);
    hidden = true;
}

void Quest::ThiefWins()
{
    SetFailed();
    bool plural = success >= 2 && gLocSystem && gLocSystem->GetPluralEnding(2)[0] != '\0';
    SendNews(MakeLocToken("QuestThiefWins", "%d %s", success, plural ? "s" : ""), kNewsKind);
    EndForPlayersAndDrop();
}

// ---- Rival covenants ---------------------------------------------------------------------------------

bool Quest::OnKilledByOtherCovenant(Entity* killer)
{
    EntityCovenant* theirs = killer ? killer->GetCovenant() : nullptr;
    Player* first = host->GetFirstPlayer();
    EntityCovenant* ours = first ? first->GetCovenant() : nullptr;
    if (!theirs || !ours || theirs == ours || killer->covenantIndex == first->covenantIndex)
        return false;
    std::string line = host->GetCovenantText(killer->covenantIndex);
    std::string news;
    using namespace QuestType;
    if (IsOfType({Renegade, RenegadeAttack}))
        news = MakeLocToken("QuestCovKillRenegade", "%s %s", line.c_str(), GetNpcText().c_str());
    else if (type == Thief)
        news = MakeLocToken("QuestCovKillThief", "%s", line.c_str());
    else if (type == MonsterScout)
        news = MakeLocToken("QuestCovKillMonsterScout", "%s %s", line.c_str(),
                            GetTarget(0) ? GetTarget(0)->name.c_str() : "");
    else
        news = MakeLocToken("QuestCovKillMonster", "%s %s", line.c_str(), GoalText(0).c_str());
    SendNews(news, kNewsKind);
    if (auto* sentient = dynamic_cast<Sentient*>(killer))
        sentient->GainExperience(level, 2, 1.0f);
    EndEverywhere();
    return true;
}

// ---- Quest items on a level -------------------------------------------------------------------------------

void Quest::OnLevelLoaded()
{
    if (!levelItemsPending) {
        if (pendingBlock != -1)
            SpawnPendingBlock();
        return;
    }
    Player* first = host->GetFirstPlayer();
    if (first && first->HasQuest(questId))
        SpawnLevelItems();
}

Level* Quest::BuiltTargetLevel()
{
    if (targetLevel == -1)
        AssignTargetLevels();
    Level* found = gWorld ? gWorld->GetLevel(targetLevel) : nullptr;
    const QuestWorld* world = GetWorld();
    return found && world && !world->GetLevelName(targetLevel).empty() ? found : nullptr;
}

void Quest::SpawnLevelItems()
{
    if (!levelItemsPending)
        return;
    Level* found = BuiltTargetLevel();
    if (!found)
        return;
    if (IsItemFetchKind() && gSpawnSystem && gGameData) {
        const DatabaseEntry* item = definition->defaultItem;
        if (!item && found->area)
            item = found->area->questItem;
        int32_t laid = static_cast<int32_t>(std::ceil(static_cast<float>(count) * (1.25f + 0.75f * Roll())));
        const GameSystemTuning& tuning = gGameData->GetTuning();
        int32_t width = std::max(1, tuning.blocksPerRow);
        int32_t blocks = std::max(1, tuning.blocksPerRow * tuning.blocksPerColumn);
        for (int32_t i = 0; i < laid && item; ++i) {
            int32_t block = DrawIndex(blocks);
            WorldPos where = LevelQueries::RandomPointInBlock(*found, block % width, block / width);
            if (Entity* laidItem = where.level >= 0 ? gSpawnSystem->PlaceQuestItem(item, where, 0, 0, questId) : nullptr)
                AddGroupMember(laidItem);
        }
    }
    levelItemsPending = false;
}

void Quest::SpawnPendingBlock()
{
    if (pendingBlock == -1 || !BuiltTargetLevel() || !host)
        return;
    host->SpawnLevelBlock(targetLevel, pendingBlock);
    pendingBlock = -1;
}

int32_t Quest::FindSpawnedIndex(const Entity* entity) const
{
    if (!entity)
        return -1;
    for (size_t i = 0; i < spawned.size(); ++i)
        if (spawned[i].Get() == entity)
            return static_cast<int32_t>(i);
    return -1;
}

bool Quest::RemoveFromSpawnedList(const Entity* entity)
{
    int32_t index = FindSpawnedIndex(entity);
    if (index == -1)
        return false;
    spawned[static_cast<size_t>(index)].Clear();
    --spawnedCount;
    return true;
}

// ---- The reward item -------------------------------------------------------------------------------------

bool Quest::TryRewardItems(Player& player, float classSkewChance) const
{
    SpawnSystem::ItemRequest request;
    request.baseLevel = level;
    request.minSpread = definition->minSpread;
    request.maxSpread = definition->maxSpread;
    request.aboveChance = definition->aboveLevelChance;
    for (int32_t attempt = 0; attempt < definition->maxItemGenerationTries; ++attempt) {
        std::unique_ptr<Item> item = gSpawnSystem->GenerateItem(request);
        if (!item)
            continue;
        // Mended: the kind is the item's requirement, not its slot; by slot a weapon reward
        // took boots and rings and refused two-handed swords.
        const ItemDefinition* itemDefinition = item->GetDefinition();
        int32_t kind = itemDefinition ? itemDefinition->itemRequirement : ItemRequirement::None;
        bool fits = (!definition->armorReward || QuestThievesIsArmorKind(kind)) &&
                    (!definition->weaponReward || QuestThievesIsWeaponKind(kind));
        if (fits && (Item::MeetsItemRequirement(player, *item) || Roll() >= classSkewChance)) {
            ItemGround::Drop(player.position, item, true, true, true);
            return true;
        }
    }
    return false;
}

void Quest::GenerateRewardItem(Player& player, float classSkewChance) const
{
    if (!gSpawnSystem || !definition)
        return;
    if (!TryRewardItems(player, classSkewChance) && classSkewChance > 0.0f)
        TryRewardItems(player, 0.0f);
}

// ---- The plague's victims ---------------------------------------------------------------------------------

void Quest::WriteMemberList(MessageBuffer& buffer) const
{
    if (type != QuestType::Plague)
        return;
    int32_t held = static_cast<int32_t>(
        std::count_if(members.begin(), members.end(), [](const QuestVictim& victim) { return victim.victim; }));
    buffer.WriteInt(held);
    for (const QuestVictim& victim : members) {
        if (!victim.victim)
            continue;
        buffer.WriteInt(victim.covenantIndex);
        buffer.WriteInt(victim.memberIndex);
    }
}

bool Quest::ReadMemberList(MessageBuffer& buffer, std::vector<QuestVictim>& read) const
{
    read.clear();
    if (type != QuestType::Plague)
        return true;
    int32_t held = 0;
    // Mended: the count is held to the bytes left, so a hostile count allocates nothing.
    if (!buffer.ReadCount(held, 2 * sizeof(int32_t)))
        return false;
    read.resize(static_cast<size_t>(held));
    for (QuestVictim& victim : read) {
        victim.covenantIndex = buffer.ReadInt();
        victim.memberIndex = buffer.ReadInt();
    }
    return !buffer.Overrun();
}

void Quest::TakeMemberList(std::vector<QuestVictim>&& read)
{
    if (type != QuestType::Plague)
        return;
    members = std::move(read);
    eventFlag = true;
}
