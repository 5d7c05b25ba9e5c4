// UIStatValueTooltips -- the stat value's tooltips of the combat figures, measured against a monster of the player's own level (the chance to hit it and to be hit by it, the share of its blow the armour and each resistance take), of the money in coins and of the damage rate.
#include "ui/widgets/UIStatValue.h"

#include "core/ColorSystem.h"
#include "core/EngineEnums.h"
#include "core/EnumTable.h"
#include "core/LocSystem.h"
#include "core/StringUtil.h"
#include "rules/CharacterClass.h"
#include "rules/Formulas.h"
#include "rules/GameData.h"
#include "rules/GameSystemTuning.h"
#include "ui/UISystem.h"
#include "ui/UiGameView.h"

#include <cmath>

namespace {

constexpr int32_t kFigureDefense = 70;
constexpr int32_t kFigureAttack = 76;
constexpr int32_t kFigureArmor = 78;
constexpr int32_t kFigureMoney = 96;
// ResistanceFire .. ResistanceMagic: their damage types follow Physical in the same order.
constexpr int32_t kFigurePhysicalResistance = 97;
constexpr int32_t kFigureLastResistance = 102;
constexpr int32_t kFigureDexterity = 1;
constexpr int32_t kFigurePopColor = 145;

// The monster every creature's class starts from, at the player's level.
struct FigureMonster {
    int32_t level = 0;
    int32_t attack = 0;
    int32_t defense = 0;
    float averageDamage = 0.0f;
};

bool FigureMonsterAtPlayerLevel(FigureMonster& out)
{
    const CharacterClass* generic = gGameData ? gGameData->GetGenericMonsterClass() : nullptr;
    if (!generic || !gUISystem || !gUISystem->GetGameView().GetPlayerStat(CharacterStat::Level, out.level))
        return false;
    auto dexterity = static_cast<float>(generic->GetAttributeAtLevel(kFigureDexterity, out.level));
    out.attack = static_cast<int32_t>(std::floor(generic->attackPerDex * dexterity));
    out.defense = static_cast<int32_t>(std::floor(generic->defensePerDex * dexterity));
    out.averageDamage =
        static_cast<float>(generic->minDamage.At(out.level) + generic->maxDamage.At(out.level)) * 0.5f;
    return true;
}

// What armour of value k takes off the monster's average blow: all of it once it reaches it.
float FigureArmorShare(int32_t k, float averageDamage)
{
    const GameSystemTuning& tuning = gGameData->GetTuning();
    float absorb = static_cast<float>(k) * tuning.armorAbsorbMultiplier * (tuning.armorMinAbsorbPercent + 1.0f) * 0.5f;
    if (averageDamage <= absorb || averageDamage <= 0.0f)
        return 1.0f;
    return absorb / averageDamage;
}

std::string FigureCoinLine(int32_t color, int32_t count, const char* key)
{
    return ColorSystem::MakeColorCode(color) + StringFormat("%d $$%s$$", count, key) +
           ColorSystem::MakeColorCode(kFigurePopColor) + "\n";
}

// The copper amount as its gold, silver and copper pieces, then how the coins change.
std::string FigureMoney(int32_t copper)
{
    int32_t amount = std::max(copper, 0);
    return "$$Money$$\n\n" + FigureCoinLine(kGoldColor, amount / 10000, "GoldPiece") +
           FigureCoinLine(kSilverColor, (amount / 100) % 100, "SilverPiece") +
           FigureCoinLine(kCopperColor, amount % 100, "CopperPiece") + "\n\n$$CoinExchange$$";
}

} // namespace

std::string UIStatValue::BuildBonusSkillLine() const
{
    std::string skill;
    int32_t nextLevel = 0;
    int32_t needed = 0;
    if (!gUISystem || !gUISystem->GetGameView().GetBonusSkill(statIndex - CharacterStat::Strength, skill, nextLevel,
                                                              needed))
        return {};
    return "$$NextBonusSkill$$:\n" + MakeLocToken("SkillLevelXAtYAttribute", "%s %d %d $$%s$$", skill.c_str(),
                                                  nextLevel, needed, statName.c_str());
}

bool UIStatValue::BuildFigureTooltip(std::string& tooltip) const
{
    if (statType == StatType::Other && statIndex == StatOtherIndex::Dps) {
        UiEntityFacts entity;
        if (!GetEntity(entity))
            return false;
        tooltip = "$$DPS$$\n\n" + StringFormat("%.1f $$DamagePerSecond$$", GetValue() / 100.0);
        return true;
    }
    if (statType != StatType::Normal)
        return false;
    int32_t k = GetValue();
    if (statIndex == kFigureMoney) {
        tooltip = FigureMoney(k);
        return true;
    }
    bool resistance = statIndex > kFigurePhysicalResistance && statIndex <= kFigureLastResistance;
    FigureMonster monster;
    if ((statIndex != kFigureAttack && statIndex != kFigureDefense && statIndex != kFigureArmor && !resistance) ||
        !FigureMonsterAtPlayerLevel(monster))
        return false;
    tooltip = "$$" + statName + "$$\n\n" + "$$CurrentAmount$$: " + BuildValueText(true) + "\n";
    switch (statIndex) {
    case kFigureAttack: {
        float chance = k == 0 ? 0.0f : LevelDifferenceFactor(k, monster.defense);
        tooltip += MakeLocToken("XChanceToHitLevelYMonster", "%.0f%% %d", static_cast<double>(chance) * 100.0,
                                monster.level);
        break;
    }
    case kFigureDefense:
        tooltip += MakeLocToken("XChanceLevelYMonsterWillHitYou", "%.0f%% %d",
                                static_cast<double>(LevelDifferenceFactor(monster.attack, k)) * 100.0, monster.level);
        break;
    case kFigureArmor:
        tooltip += MakeLocToken("AbsorbXDamageFromLevelYMonster", "%.0f%% %d",
                                static_cast<double>(FigureArmorShare(k, monster.averageDamage)) * 100.0, monster.level);
        break;
    default: {
        const EnumTable* types = EnumTable::Find("DamageType");
        std::string type = types ? types->GetName(statIndex - kFigurePhysicalResistance) : std::string();
        float share = ResistanceAbsorbFraction(gGameData->GetTuning(), k, monster.level);
        tooltip += MakeLocToken("AbsorbXYDamageFromLevelZMonster", "%.1f%% $$%s$$ %d",
                                static_cast<double>(share) * 100.0, type.c_str(), monster.level);
        break;
    }
    }
    return true;
}
