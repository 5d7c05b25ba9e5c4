// Player -- how a character starts, what a new level brings, the tutorial's end and winning the adventure.
#include "entities/Player.h"

#include "core/Database.h"
#include "core/DatabaseEntry.h"
#include "core/DebugSystem.h"
#include "core/LocSystem.h"
#include "core/StringUtil.h"
#include "core/TimeStamp.h"
#include "entities/EntityQuest.h"
#include "entities/GameServices.h"
#include "entities/Inventory.h"
#include "entities/Item.h"
#include "entities/SkillList.h"
#include "rules/CharacterClass.h"
#include "rules/GameData.h"
#include "rules/GameSystemTuning.h"
#include "rules/items/ItemDefinition.h"
#include "rules/skills/SkillBase.h"
#include "rules/skills/SkillDefinition.h"
#include "world/World.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr const char* kPlayerLevelUpSound = "sounds/levelUp.ogg";
constexpr float kPlayerLevelUpVolume = 100.0f;
constexpr int32_t kPlayerLevelUpKind = 3;
constexpr int32_t kPlayerNoticeKind = 2;
// The bag a new character's own stash starts with, the record a new covenant's stash starts with.
constexpr const char* kPlayerFirstStashBag = "Bag1";

const GameSystemTuning* PlayerProgressTuning()
{
    return gGameData ? &gGameData->GetTuning() : nullptr;
}

// The game clock as the adventure's par times are given.
TimeStamp PlayerProgressClock()
{
    TimeStamp clock;
    clock.seconds = gGameServices ? static_cast<float>(gGameServices->GetGameTime()) : 0.0f;
    clock.Normalize();
    return clock;
}

} // namespace

void Player::GiveStartingEquipment()
{
    const DatabaseEntry* record = GetClass() ? GetClass()->GetEntry() : nullptr;
    if (!record)
        return;
    AddMoney(record->GetInt("StartingMoney"));
    GiveStartingItems("StartingItem", InventoryGroupIndex::Bag1);
    GiveStartingItems("AutoStartItem", InventoryGroupIndex::Equipment);
    GiveFirstStashBag();
}

// Without a bag in its first place the house's own stash had no cell to store anything in, and a
// new character had no spare bag to set there.
void Player::GiveFirstStashBag()
{
    if (inventory->CountItems(InventoryGroupIndex::Stash) > 0)
        return;
    std::unique_ptr<ItemBase> bag = std::make_unique<Item>();
    bag->SetEntryByName(kPlayerFirstStashBag);
    if (!bag->GetEntry() || !inventory->PlaceItem(bag, InventoryGroupIndex::Stash, 0, 0))
        DebugSystem::Print(2, "No first bag for the stash\n");
}

// A starting bag goes to the bag row, where its contents group takes the bag's size: that is how
// a new character comes by the backpack (the first bag) its other starting items go into.
bool Player::PlaceStartingItem(std::unique_ptr<ItemBase>& item, int32_t bag)
{
    if (bag != InventoryGroupIndex::Bag1 || item->GetItemType() != ItemType::Bag)
        return inventory->AddItem(item, bag);
    ItemBase* placed = item.get();
    int32_t bagSize = item->GetDefinition()->bagSize;
    if (!inventory->AddItem(item, InventoryGroupIndex::Main))
        return false;
    int32_t row = -1;
    int32_t slot = -1;
    inventory->FindItem(placed, row, slot);
    inventory->ResizeBag(InventoryBase::GetContentGroup(row, slot), bagSize);
    return true;
}

void Player::GiveStartingItems(std::string_view key, int32_t bag)
{
    std::vector<std::string> names;
    GetClass()->GetEntry()->GetStringList(key, names, true, false);
    for (const std::string& name : names) {
        const DatabaseEntry* itemRecord = gDatabase ? gDatabase->FindEntryByName(name) : nullptr;
        if (!itemRecord)
            continue;
        std::unique_ptr<ItemBase> item = std::make_unique<Item>();
        item->SetEntry(itemRecord);
        item->ComputeStats();
        if (!PlaceStartingItem(item, bag))
            DebugSystem::Print(2, "No room for the starting item %s\n", name.c_str());
    }
}

// ---- Levels ---------------------------------------------------------------------------------------

void Player::LevelUp()
{
    if (stats.Get(CharacterStat::Level) >= kMaxLevel)
        return;
    CheckBonusSkill(CharacterStat::Level);
    Sentient::LevelUp();
    int32_t level = stats.Get(CharacterStat::Level);
    if (const GameSystemTuning* tuning = PlayerProgressTuning()) {
        stats.Add(CharacterStat::AttributePointsLeft, tuning->attributePointsPerLevel);
        int32_t points = tuning->baseSkillPointsPerLevel;
        if (tuning->levelsBetweenSkillPointRaises >= 1)
            points += level / tuning->levelsBetweenSkillPointRaises * tuning->skillPointRaise;
        stats.Add(CharacterStat::SkillPointsLeft, points);
    }
    QueueWorldEvent(kPlayerLevelUpSound, 0.0f, kPlayerLevelUpVolume);
    SendMessage(MakeLocToken("NowLevelX", "%d", level), kPlayerLevelUpKind);
    if (gGameServices)
        gGameServices->OnPlayerLevelUp(*this);
}

// Only the first skill that still misses points for its next level speaks, and only when this
// raise is the last point it misses. A skill may take its level from an attribute's total rather
// than its base: raising the base raises the total by the same point, so both are asked about.
void Player::CheckBonusSkill(int32_t stat)
{
    if (!skillList)
        return;
    bool base = stat >= CharacterStat::BaseStrength && stat <= CharacterStat::BaseSpirit;
    int32_t total = base ? stat - CharacterStat::BaseStrength + CharacterStat::Strength : stat;
    // A skill may ask for the attribute with its bonuses: raising the base one raises that too.
    SkillBase* skill = skillList->FindSkillWantingStat(stats, stat);
    if (!skill && total != stat)
        skill = skillList->FindSkillWantingStat(stats, total);
    if (!skill)
        return;
    const SkillDefinition* definition = skill->definition;
    int32_t level = skill->GetLevel();
    if (definition->GetMissingRequirementPoints(level, stats) != 1)
        return;
    // The record's name is already the localised text's key.
    const char* name = definition->name.c_str();
    if (definition->GetMaxLevel() == 1)
        SendMessage(MakeLocToken("HaveReceivedBonusSkillX", "%s", name), kPlayerNoticeKind);
    else
        SendMessage(MakeLocToken("HaveReceivedBonusSkillXLevelY", "%s %d", name, level + 1), kPlayerNoticeKind);
}

// ---- The tutorial -----------------------------------------------------------------------------------

void Player::EndTutorial(bool skipped)
{
    if (skipped) {
        SendMessage("$$TutorialSkipped$$", kPlayerNoticeKind);
        ResetRecruitQuests();
    } else {
        SendMessage("$$TutorialFinished$$", kPlayerNoticeKind);
    }
    if (gGameServices)
        gGameServices->EndTutorial(skipped);
    SetCharacterFlag(CharacterFlag::kTutorialOver, true);
}

void Player::StartTutorial()
{
    ResetRecruitQuests();
    if (gGameServices)
        gGameServices->EndTutorial(false);
    SetCharacterFlag(CharacterFlag::kTutorialOver, false);
    if (gGameServices)
        gGameServices->StartTutorial();
}

// ---- Winning ----------------------------------------------------------------------------------------

void Player::AddUnlock(std::string_view name)
{
    if (gGameServices)
        gGameServices->AddUnlock(name);
}

void Player::WinAdventure()
{
    for (const auto& quest : questSlots)
        if (quest && !quest->IsEmpty() && quest->IsComplete())
            CompleteQuest(quest->questId);
    if (gWorld)
        for (const std::string& name : gWorld->GetUnlocksOnWin())
            AddUnlock(name);
    if (gGameServices)
        for (const std::string& name : gGameServices->GetUnlocks())
            QueueLine(StringFormat("unlock %s", name.c_str()));
    if (gWorld && gGameServices)
        ApplyScoreFactor(gWorld->GetTimeScoreMult(PlayerProgressClock()));
    const GameSystemTuning* tuning = PlayerProgressTuning();
    int32_t deaths = statistics.Get(PlayerStatistic::Deaths);
    if (tuning && deaths >= 0 && deaths < static_cast<int32_t>(tuning->deathScoreMult.size()))
        ApplyScoreFactor(tuning->deathScoreMult[static_cast<size_t>(deaths)]);
    bool allDead = gGameServices && gGameServices->AreAllMonstersDead();
    if (allDead && tuning)
        ApplyScoreFactor(tuning->killAllMonstersScoreMult);
    statistics.Set(PlayerStatistic::AllMonstersKilled, allDead ? 1 : 0);
    bool hasSecrets = gWorld && gWorld->GetSecretCount() > 0;
    if (hasSecrets && tuning && stats.Get(CharacterStat::SecretsFound) >= gWorld->GetSecretCount())
        ApplyScoreFactor(tuning->foundAllSecretsScoreMult);
    QueueLine("adventureWon");
}

// A factor of 0 or less stands for a missing key and a factor of 1 changes nothing; the score
// stays within the int range.
void Player::ApplyScoreFactor(float factor)
{
    if (!(factor > 0.0f) || factor == 1.0f)
        return;
    double scaled = std::floor(static_cast<double>(stats.Get(CharacterStat::Score)) * factor);
    double limit = static_cast<double>(std::numeric_limits<int32_t>::max());
    stats.Set(CharacterStat::Score, static_cast<int32_t>(std::clamp(scaled, -limit - 1.0, limit)));
}
