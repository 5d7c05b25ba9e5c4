// UIWidgetGameSources -- the game pieces of the widgets' text sources: the power a class spends and where it comes from, the world's name, secrets and closing text, the chosen class's description, the game clock, the bags' fill, the end of game's bonuses and the won and lost texts, read from the game view at every build.
#include "ui/UIWidget.h"

#include "core/ColorSystem.h"
#include "core/Database.h"
#include "core/DatabaseEntry.h"
#include "core/EngineEnums.h"
#include "core/LocSystem.h"
#include "core/StringUtil.h"
#include "core/TimeStamp.h"
#include "rules/CharacterClass.h"
#include "rules/GameData.h"
#include "rules/GameSystemTuning.h"
#include "ui/UISystem.h"
#include "ui/UiGameView.h"

#include <array>

namespace {

constexpr int32_t kGameSourcePowerName = 5;
constexpr int32_t kGameSourcePowerSources = 6;
constexpr int32_t kGameSourceWorldName = 20;
constexpr int32_t kGameSourceClassDescription = 32;
constexpr int32_t kGameSourceGameTime = 50;
constexpr int32_t kGameSourceBagCapacity = 55;
constexpr int32_t kGameSourceWonGameText = 67;
constexpr int32_t kGameSourceLostGameText = 68;
constexpr int32_t kGameSourceDeathsBonus = 84;
constexpr int32_t kGameSourceKillAllBonus = 85;
constexpr int32_t kGameSourceSecretsBonus = 86;
constexpr int32_t kGameSourceNumSecrets = 92;

// The carried bags "Bag1" to "Bag4".
constexpr int32_t kGameSourceFirstBag = 2;
constexpr int32_t kGameSourceLastBag = 5;
// The single-precision 0.9, compared in double precision: exactly nine in ten is already full.
constexpr double kGameSourceFullBags = 0.8999999761581421;
constexpr int32_t kGameSourceRed = 1;

// In the order of the class's power gains.
constexpr std::array<const char*, PowerGain::kCount> kGameSourcePowerKeys = {
    "PowerSourceOnHit",         "PowerSourceOnDamage",   "PowerSourceOnBlockOrParry", "PowerSourceOnCriticalHit",
    "PowerSourceOnCrushingBlow", "PowerSourceOnDeepWounds", "PowerSourceOnKill"};

std::string GameSourcePowerSources(const CharacterClass& characterClass)
{
    std::string text;
    for (int32_t gain = 0; gain < PowerGain::kCount; ++gain) {
        float value = characterClass.powerGainOn[static_cast<size_t>(gain)];
        if (value > 0.0f)
            text += MakeLocToken(kGameSourcePowerKeys[static_cast<size_t>(gain)], "%s %.1f",
                                 characterClass.powerName.c_str(), static_cast<double>(value));
    }
    return text;
}

std::string GameSourceBagCapacity(const UiGameView& view)
{
    int32_t used = 0;
    int32_t total = 0;
    for (int32_t bag = kGameSourceFirstBag; bag <= kGameSourceLastBag; ++bag) {
        int32_t items = 0;
        int32_t slots = 0;
        if (view.GetBagFill(bag, items, slots)) {
            used += items;
            total += slots;
        }
    }
    bool full = total > 0 && static_cast<double>(used) / static_cast<double>(total) > kGameSourceFullBags;
    return (full ? ColorSystem::MakeColorCode(kGameSourceRed) : std::string()) + StringFormat("%d/%d", used, total);
}

// "+25%" of a multiplier 1.25, "-5%" of 0.95 (the sign written once); none when the bonus does
// not apply.
std::string GameSourceBonus(bool applies, float multiplier)
{
    if (!applies)
        return "$$NoScoreBonus$$";
    return StringFormat("%+.0f%%", (static_cast<double>(multiplier) - 1.0) * 100.0);
}

// The three bonuses of a game's end by the player's statistics; empty without a player or game data.
std::string GameSourceScoreBonus(const UiGameView& view, int32_t type)
{
    int32_t value = 0;
    if (!gGameData || !view.HasLocalPlayer())
        return {};
    const GameSystemTuning& tuning = gGameData->GetTuning();
    if (type == kGameSourceDeathsBonus) {
        float multiplier = gGameData->GetDeathScoreMult(view.GetPlayerFunStat(CharacterFunStat::Deaths, value) ? value : 0);
        return GameSourceBonus(multiplier != 1.0f, multiplier);
    }
    if (type == kGameSourceKillAllBonus) {
        bool applies = view.GetPlayerFunStat(CharacterFunStat::DestroyedByMonsters, value) && value != 0;
        return GameSourceBonus(applies, tuning.killAllMonstersScoreMult);
    }
    bool applies = view.GetPlayerStat(CharacterStat::SecretsFound, value) && value >= view.GetWorldSecretCount();
    return GameSourceBonus(applies, tuning.foundAllSecretsScoreMult);
}

// The adventure named by the widget's user var tells its secrets; without the field, the world's
// in a game.
std::string GameSourceNumSecrets(const UiGameView& view, const std::string& adventure)
{
    const DatabaseEntry* record = gDatabase && !adventure.empty() ? gDatabase->FindEntryByName(adventure) : nullptr;
    std::string secrets = record ? record->GetString("NumSecrets") : std::string();
    if (!secrets.empty() || !view.IsGameRunning())
        return secrets;
    return StringFormat("%d", view.GetWorldSecretCount());
}

} // namespace

std::string UIWidget::BuildGameSourceText(int32_t type) const
{
    const UiGameView& view = gUISystem->GetGameView();
    switch (type) {
    case kGameSourcePowerName:
    case kGameSourcePowerSources: {
        const CharacterClass* characterClass = view.GetEntityClass(GetEntityNumber());
        if (!characterClass)
            return {};
        return type == kGameSourcePowerName ? characterClass->powerName : GameSourcePowerSources(*characterClass);
    }
    case kGameSourceWorldName: return view.GetWorldName();
    case kGameSourceClassDescription: {
        const CharacterClass* chosen = gGameData ? gGameData->FindCharacterClass(GetUserVarString()) : nullptr;
        return chosen ? chosen->desc : std::string();
    }
    case kGameSourceGameTime: {
        TimeStamp clock;
        return view.GetGameClock(clock) ? FormatDuration(clock, DurationStyle::Words, 0.05f) : std::string();
    }
    case kGameSourceBagCapacity: return view.HasLocalPlayer() ? GameSourceBagCapacity(view) : std::string();
    case kGameSourceWonGameText: return view.GetWonGameText();
    case kGameSourceLostGameText: return view.GetLostGameText();
    case kGameSourceDeathsBonus:
    case kGameSourceKillAllBonus:
    case kGameSourceSecretsBonus: return GameSourceScoreBonus(view, type);
    case kGameSourceNumSecrets: return GameSourceNumSecrets(view, GetUserVarString());
    default: return view.GetWorldEpilogue();
    }
}
