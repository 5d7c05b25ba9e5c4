// CharacterSheet -- the local character as its exports show it: name and title, then the stats, attributes, resistances, skills, worn equipment and the character's statistics, section by section, each line localised.
#include "client/CharacterSheet.h"

#include "client/PlayerClient.h"
#include "client/PlayerCovenantClient.h"
#include "client/SavedMonsterText.h"
#include "core/EngineEnums.h"
#include "core/EnumTable.h"
#include "core/LocSystem.h"
#include "core/StringUtil.h"
#include "core/TimeStamp.h"
#include "rules/CharacterClass.h"
#include "rules/Formulas.h"
#include "rules/GameData.h"
#include "rules/items/ItemBase.h"
#include "rules/skills/SkillDefinition.h"

namespace {

constexpr int32_t kCharacterSheetSkillsPerTree = 15;
constexpr int32_t kCharacterSheetEquipmentSlots = 18;

// A stat's label is its own name as a localisation key.
std::string CharacterSheetStatLine(const PlayerClient& player, int32_t stat)
{
    return StringFormat("%s: %d", GetCharacterStatName(stat, true).c_str(), player.GetStat(stat));
}

std::string CharacterSheetFunLabel(int32_t stat)
{
    static const EnumTable* table = EnumTable::Find("CharacterFunStat");
    return table ? MakeLocToken(table->GetName(stat), nullptr) : std::string();
}

std::string CharacterSheetFunLine(const IntArray& fun, int32_t stat)
{
    return StringFormat("%s: %d", CharacterSheetFunLabel(stat).c_str(), fun.Get(stat));
}

void CharacterSheetStats(const PlayerClient& player, const CharacterClass& characterClass, CharacterSheetSection& out)
{
    const EntityClient& body = *player.GetBody();
    out.heading = "$$Stats$$";
    out.lines = {
        StringFormat("$$Health$$: %d / %d", body.health, body.maxHealth),
        StringFormat("%s: %d / %d", characterClass.powerName.c_str(), player.GetStat(CharacterStat::Power),
                     player.GetStat(CharacterStat::MaxPower)),
        "",
        CharacterSheetStatLine(player, CharacterStat::Attack),
        CharacterSheetStatLine(player, CharacterStat::Defense),
        CharacterSheetStatLine(player, CharacterStat::Armor),
        "",
        StringFormat("$$Damage$$: %d - %d", player.GetStat(CharacterStat::MinDamage),
                     player.GetStat(CharacterStat::MaxDamage)),
        StringFormat("$$Dps$$: %.1f", static_cast<double>(player.GetDamagePerSecond())),
        "",
        "$$Money$$: " + FormatMoney(player.GetStat(CharacterStat::Money)),
    };
}

void CharacterSheetAttributes(const PlayerClient& player, CharacterSheetSection& out)
{
    out.heading = "$$Attributes$$";
    for (int32_t stat = CharacterStat::Strength; stat <= CharacterStat::Spirit; ++stat)
        out.lines.push_back(CharacterSheetStatLine(player, stat));
    out.lines.push_back("");
    out.lines.push_back(
        StringFormat("$$AttributePointsLeft$$: %d", player.GetStat(CharacterStat::AttributePointsLeft)));
}

// The physical resistance is left out: armour stands for it.
void CharacterSheetResistances(const PlayerClient& player, CharacterSheetSection& out)
{
    out.heading = "$$Resistances$$";
    for (int32_t stat = CharacterStat::ResistanceFire; stat <= CharacterStat::ResistanceMagic; ++stat)
        out.lines.push_back(CharacterSheetStatLine(player, stat));
}

// A skill shows once it can be used: a basic skill always, any other from level 1.
void CharacterSheetSkills(const PlayerClient& player, CharacterSheetSection& out)
{
    out.heading = "$$Skills$$";
    const SkillListBase& list = player.GetSkillList();
    for (int32_t tree = 0; tree < 4; ++tree) {
        for (int32_t index = 0; index < kCharacterSheetSkillsPerTree; ++index) {
            const SkillBase* skill = list.FindSkill(tree, index);
            if (!skill || !skill->definition)
                continue;
            int32_t level = skill->GetLevel();
            if (skill->definition->basicSkill || level > 0)
                out.lines.push_back(StringFormat("%s lvl %d", skill->definition->name.c_str(), level));
        }
    }
    out.lines.push_back("");
    out.lines.push_back(StringFormat("$$SkillPointsLeft$$: %d", player.GetStat(CharacterStat::SkillPointsLeft)));
}

void CharacterSheetEquipment(const PlayerClient& player, CharacterSheetSection& out)
{
    out.heading = "$$Equipment$$";
    ItemTooltipOptions options;
    options.viewerStats = &player.stats;
    for (int32_t slot = 0; slot < kCharacterSheetEquipmentSlots; ++slot) {
        const ItemBase* item = player.GetInventory().GetItem(InventoryGroupIndex::Equipment, slot);
        if (!item)
            continue;
        std::string text;
        item->BuildTooltip(options, text);
        out.lines.push_back(text);
        out.lines.push_back("");
    }
}

void CharacterSheetMonsters(const IntArray& fun, std::vector<std::string>& lines)
{
    using namespace CharacterFunStat;
    for (int32_t stat : {StrongestMonsterDefeated, ToughestBattleWon, StrongestMonsterKilledBy, WeakestMonsterKilledBy})
        lines.push_back(CharacterSheetFunLabel(stat) + ": " +
                        SavedMonsterText(fun.Get(stat), fun.Get(stat + 1), stat == ToughestBattleWon));
}

// The character's worlds are counted by its covenant: won, won as an ally, abandoned, lost.
void CharacterSheetWorlds(const PlayerCovenantClient& covenant, std::vector<std::string>& lines)
{
    static const EnumTable* table = EnumTable::Find("CovenantFunStat");
    using namespace CovenantFunStat;
    for (int32_t stat : {WorldsConquered, WorldsAllyWin, WorldsAbandoned, WorldsLost})
        lines.push_back(StringFormat("%s: %d", table ? MakeLocToken(table->GetName(stat), nullptr).c_str() : "",
                                     covenant.GetTrackedTotal(stat)));
}

void CharacterSheetFunStats(const PlayerClient& player, const PlayerCovenantClient& covenant,
                            CharacterSheetSection& out)
{
    using namespace CharacterFunStat;
    const IntArray& fun = player.funStats;
    std::vector<std::string>& lines = out.lines;
    out.heading = "$$FunStats$$";
    lines = {CharacterSheetFunLine(fun, Kills), CharacterSheetFunLine(fun, Deaths),
             CharacterSheetFunLine(fun, KillsPerDeath), ""};
    lines.push_back(CharacterSheetFunLabel(GoldFound) + ": " + FormatMoney(fun.Get(GoldFound)));
    lines.push_back(CharacterSheetFunLabel(TimePlayedMilliSeconds) + ": " +
                    FormatDurationShort(fun.Get(TimePlayedDays), fun.Get(TimePlayedMilliSeconds)));
    for (int32_t stat : {MaxDamageDealt, MaxDamageTaken, MaxDamageDealtAtOnce, MaxHealthHealed})
        lines.push_back(CharacterSheetFunLine(fun, stat));
    lines.push_back("");
    lines.push_back(StringFormat("%s: lvl %d", CharacterSheetFunLabel(BestTrapDisarmed).c_str(),
                                 fun.Get(BestTrapDisarmed)));
    lines.push_back("");
    CharacterSheetMonsters(fun, lines);
    lines.push_back("");
    lines.push_back(CharacterSheetFunLine(fun, QuestsSolved));
    for (int32_t stat : {RaidsOffensiveWon, RaidsDefensiveWon})
        lines.push_back(StringFormat("%s: %d of %d", CharacterSheetFunLabel(stat).c_str(), fun.Get(stat),
                                     fun.Get(stat + 1)));
    lines.push_back(CharacterSheetFunLine(fun, DestroyedByMonsters));
    lines.push_back("");
    lines.push_back("$$EquipmentWorth$$: " + FormatMoney(player.GetBagValue(InventoryGroupIndex::Equipment)));
    lines.push_back("$$InventoryWorth$$: " + FormatMoney(player.GetCarriedValue()));
    lines.push_back("");
    lines.push_back(CharacterSheetStatLine(player, CharacterStat::SecretsFound));
    lines.push_back("");
    CharacterSheetWorlds(covenant, lines);
}

std::string CharacterSheetLocalise(const std::string& text)
{
    return gLocSystem ? gLocSystem->Translate(text) : text;
}

} // namespace

bool BuildCharacterSheet(const PlayerClient& player, CharacterSheet& out)
{
    const CharacterClass* characterClass =
        gGameData ? gGameData->GetCharacterClass(player.GetStat(CharacterStat::Class)) : nullptr;
    const PlayerCovenantClient* covenant = player.GetCovenant();
    if (!player.GetBody() || !characterClass || !covenant)
        return false;
    CharacterSheet sheet;
    sheet.name = player.characterName;
    sheet.title = CharacterSheetLocalise(player.GetTitle());
    sheet.sections.resize(6);
    CharacterSheetStats(player, *characterClass, sheet.sections[0]);
    CharacterSheetAttributes(player, sheet.sections[1]);
    CharacterSheetResistances(player, sheet.sections[2]);
    CharacterSheetSkills(player, sheet.sections[3]);
    CharacterSheetEquipment(player, sheet.sections[4]);
    CharacterSheetFunStats(player, *covenant, sheet.sections[5]);
    for (CharacterSheetSection& section : sheet.sections) {
        section.heading = CharacterSheetLocalise(section.heading);
        for (std::string& line : section.lines)
            line = CharacterSheetLocalise(line);
    }
    out = std::move(sheet);
    return true;
}
