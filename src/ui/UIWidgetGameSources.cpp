// UIWidgetGameSources -- the game pieces of the widgets' text sources: the power a class spends and where it comes from, the world's name, secrets and closing text, the chosen class's description, the game clock against the adventure's times, the bags' fill and what identifying them costs, a recruit's list, the rumours' prices, the end of game's bonuses and the won and lost texts, read from the game view at every build.
#include "ui/UIWidget.h"

#include "core/ColorSystem.h"
#include "core/Database.h"
#include "core/DatabaseEntry.h"
#include "core/EngineEnums.h"
#include "core/LocSystem.h"
#include "core/StringUtil.h"
#include "core/TimeStamp.h"
#include "rules/Formulas.h"
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
constexpr int32_t kGameSourceRecruitSkills = 44;
constexpr int32_t kGameSourceColoredGameTime = 51;
constexpr int32_t kGameSourceIdentifyAll = 56;
constexpr int32_t kGameSourceRumorText = 66;
constexpr int32_t kGameSourceWorldTimes = 82;

// The carried bags "Bag1" to "Bag4".
constexpr int32_t kGameSourceFirstBag = 2;
constexpr int32_t kGameSourceLastBag = 5;
// The single-precision 0.9, compared in double precision: exactly nine in ten is already full.
constexpr double kGameSourceFullBags = 0.8999999761581421;
constexpr int32_t kGameSourceRed = 1;
constexpr int32_t kGameSourceGreen = 2;
constexpr int32_t kGameSourceYellow = 5;
constexpr int32_t kGameSourceOrange = 6;
// The three kinds of rumour, quick to well crafted.
constexpr int32_t kGameSourceRumorKinds = 3;

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
    std::string secrets = gDatabase ? gDatabase->GetEntryFieldString(adventure, "NumSecrets") : "";
    if (!secrets.empty() || !view.IsGameRunning())
        return secrets;
    return StringFormat("%d", view.GetWorldSecretCount());
}

// The clock green while the adventure's great time may still be made, yellow while its good
// time may, orange after.
std::string GameSourceColoredTime(const UiGameView& view)
{
    TimeStamp clock;
    bool great = false;
    bool good = false;
    if (!view.GetGameClock(clock) || !view.GetAdventureTimeTests(great, good))
        return {};
    int32_t color = great ? kGameSourceGreen : (good ? kGameSourceYellow : kGameSourceOrange);
    return ColorSystem::MakeColorCode(color) + FormatDuration(clock, DurationStyle::Words, 0.05f);
}

std::string GameSourceIdentifyAll(const UiGameView& view)
{
    int32_t cost = 0;
    if (!view.GetIdentifyAllCost(cost))
        return {};
    // "for 0cp" read as a free service; the button says there is nothing to pay for instead.
    if (cost <= 0)
        return "$$NothingToIdentifyLabel$$";
    return "$$IdentifyAllYourItemsFor$$ " + FormatMoney(cost);
}

// Rumour kind n about the trade partner, its price red when the player's covenant cannot pay it.
std::string GameSourceRumor(const UiGameView& view, int32_t kind)
{
    int32_t own = view.GetPlayerCovenantIndex();
    int32_t partner = view.GetTradePartner();
    int32_t cost = 0;
    int32_t purse = 0;
    if (kind < 0 || kind >= kGameSourceRumorKinds || own < 0 || partner < 0 ||
        !view.GetRumorCost(partner, kind, cost) || !view.GetCovenantStat(own, CovenantStat::Money, purse))
        return {};
    std::string price = cost > purse ? ColorSystem::MakeColorCode(kGameSourceRed) : std::string();
    return StringFormat("$$RumorText%d$$", kind + 1) + MakeLocToken("RumorCost", "%s%d", price.c_str(), cost);
}

// One line per entry of the recruit's list; an index with no entry is left out.
std::string GameSourceRecruitList(const UiGameView& view)
{
    std::vector<int32_t> entries;
    if (!gDatabase || !view.GetSelectedRecruitList(entries))
        return {};
    std::string text;
    for (int32_t index : entries) {
        const DatabaseEntry* entry = gDatabase->GetEntryByIndex(index);
        if (entry)
            text += entry->GetString("BaseName") + "\n";
    }
    return text;
}

} // namespace

std::string UIWidget::BuildGameSourceText(int32_t type, int32_t param) const
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
    case kGameSourceRecruitSkills:
        return entityType == UIEntity::SelectedRecruit ? GameSourceRecruitList(view) : std::string();
    case kGameSourceColoredGameTime: return GameSourceColoredTime(view);
    case kGameSourceIdentifyAll: return GameSourceIdentifyAll(view);
    case kGameSourceRumorText: return GameSourceRumor(view, param);
    case kGameSourceWorldTimes: return view.GetWorldTimesText();
    default: return view.GetWorldEpilogue();
    }
}
