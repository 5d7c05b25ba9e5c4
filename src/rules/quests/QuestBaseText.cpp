// QuestBase -- the quest's texts: target, goal, location, NPC, kill and progress pieces, and the title and body built from them.
#include "rules/quests/QuestBase.h"

#include "core/ColorCode.h"
#include "core/LocSystem.h"
#include "core/StringUtil.h"
#include "rules/Formulas.h"
#include "rules/GameData.h"
#include "rules/RulesEnums.h"
#include "rules/monsters/MonsterArchetype.h"
#include "rules/monsters/MonsterType.h"
#include "rules/quests/QuestDefinition.h"
#include "rules/quests/QuestWorld.h"

#include <algorithm>
#include <iterator>
#include <utility>
#include <vector>

// Every text is made of localisation tokens; a piece that lacks its data (no target, no level,
// an index outside its list) is empty, and the tokens around it stay.

namespace {

constexpr int32_t kLevelNameColor = 2;
const std::string kQuestNoText;

std::string KeyToken(std::string_view key)
{
    return "$$" + std::string(key) + "$$";
}

// A list line (a bare key) as the text it stands for, where it fills a place of another text;
// nothing for no line.
std::string ListedKey(const std::string& line)
{
    return line.empty() ? std::string() : KeyToken(line);
}

// The key with an argument list that holds nothing: "$$Key~<@@>~$$".
std::string EmptyListToken(std::string_view key)
{
    return MakeLocToken(key, "%s", "");
}

const char* PluralSuffix(int32_t units)
{
    return gLocSystem ? gLocSystem->GetPluralEnding(units) : "";
}

const char* Article(const std::string& word)
{
    return gLocSystem ? gLocSystem->GetArticle(word) : "";
}

const char* NameOf(const MonsterType* monsterType)
{
    return monsterType ? monsterType->name.c_str() : "";
}

const char* TitleOf(const MonsterType* monsterType)
{
    return monsterType ? monsterType->title.c_str() : "";
}

const char* ItemNameOf(const MonsterType* monsterType)
{
    return monsterType && monsterType->archetype ? monsterType->archetype->questItemName.c_str() : "";
}

bool IsSpecial(const MonsterType* monsterType)
{
    return monsterType && monsterType->IsUniqueOrLegend();
}

std::string RarityColor(int32_t rarity)
{
    return gGameData ? gGameData->GetMonsterRarityColorCode(rarity) : std::string();
}

std::string NpcTypeToken(int32_t npcType)
{
    return KeyToken("NpcType" + GetNameByIndex(npcType));
}

std::string CompletionNote(const std::vector<QuestGoal>& goals, size_t i)
{
    return i < goals.size() && goals[i].progress > 0 ? " $$QuestTextTutorialPartCompleted$$" : "";
}

} // namespace

const std::string& QuestBase::GetTextListEntry(int32_t index) const
{
    // Mended: an empty list or an index past it was read anyway; it gives an empty piece.
    if (!definition || index < 0 || static_cast<size_t>(index) >= definition->textList.size())
        return kQuestNoText;
    return definition->textList[static_cast<size_t>(index)];
}

std::string QuestBase::GetTargetName(int32_t units)
{
    if (const DatabaseEntry* item = definition ? definition->defaultItem : nullptr) {
        std::string plural = units > 1 ? item->GetString("NamePlural") : std::string();
        return plural.empty() ? item->GetString("Name") + PluralSuffix(units) : plural;
    }
    EnsureTargetLevels();
    const QuestWorld* world = GetWorld();
    const DatabaseEntry* area = world ? world->GetLevelAreaEntry(targetLevel) : nullptr;
    if (!area)
        return std::string();
    if (units <= 1)
        return area->GetString("QuestItemName");
    std::string plural = area->GetString("QuestItemNamePlural");
    return plural.empty() ? area->GetString("QuestItemName") + PluralSuffix(units) : plural;
}

std::string QuestBase::GetGoalText(int32_t i, bool colour, bool withTitle, bool plural, int32_t units) const
{
    const MonsterType* goalTarget = GetTarget(i);
    if (!goalTarget)
        return std::string();
    bool boss = definition && definition->boss;
    bool special = IsSpecial(goalTarget);
    std::string text;
    if (colour && (boss || special))
        text += RarityColor(boss ? MonsterRarity::Boss : goalTarget->rarity);
    if (plural && units > 1 && !goalTarget->pluralName.empty())
        text += goalTarget->pluralName;
    else
        text += goalTarget->name + (plural ? PluralSuffix(units) : "");
    if (colour && (boss || special))
        text += MakeColorCode(kNormalTextColor);
    if (withTitle && !boss && special && !goalTarget->title.empty())
        text += StringFormat(", %s %s,", Article(goalTarget->title), goalTarget->title.c_str());
    return text;
}

std::string QuestBase::GetLocationText(bool plainName, bool secondLevel)
{
    EnsureTargetLevels();
    int32_t shown = secondLevel ? destLevel : targetLevel;
    const QuestWorld* world = GetWorld();
    std::string text = MakeColorCode(kLevelNameColor);
    if (world && shown >= 0 && shown < world->GetLevelCount()) {
        // The level above is the last one reached through the links; the walk is bounded by the
        // level count, so a loop in the links cannot hold it.
        int32_t above = shown;
        for (int32_t steps = 0, next = world->GetLinkedLevel(shown); next != -1 && steps < world->GetLevelCount();
             ++steps, next = world->GetLinkedLevel(next))
            above = next;
        if (!plainName && above != shown)
            text += MakeLocToken("LevelUnderLevel", "%s %s", world->GetLevelName(shown).c_str(),
                                 world->GetLevelName(above).c_str());
        else
            text += world->GetLevelName(shown);
    }
    return text + MakeColorCode(kNormalTextColor);
}

const std::string& QuestBase::GetNpcText()
{
    using namespace QuestType;
    if (npcName.empty() && (type == DeadlyPoison || type == Petrify || type == Kidnapping)) {
        npcName = GetTownNpcName(npcId);
        int32_t npcType = GetTownNpcType(npcId);
        if (npcType != NpcType::None)
            npcName += " (" + NpcTypeToken(npcType) + ")";
    }
    return npcName;
}

std::string QuestBase::GetKillLine(const QuestGoal& goal) const
{
    std::string text = "$$Kill$$ ";
    if (goal.required > 1)
        text += StringFormat("%d ", goal.required);
    bool special = IsSpecial(goal.target);
    if (special)
        text += RarityColor(goal.target->rarity);
    text += NameOf(goal.target);
    if (special)
        text += MakeColorCode(kNormalTextColor);
    text += PluralSuffix(goal.required);
    if (special)
        text += StringFormat(" (%s)", goal.target->title.c_str());
    if (!goals.empty() && goal.progress > 0)
        text += goal.progress < goal.required ? StringFormat("(%d $$killed$$)", goal.progress)
                                              : "$$QuestTextTutorialPartCompleted$$";
    return text + "\n";
}

std::string QuestBase::GetProgressText(bool longForm)
{
    if (!definition)
        return std::string();
    using namespace QuestType;
    const MonsterType* subject = GetTarget(0);
    if (type == Siege)
        subject = gGameData ? gGameData->FindMonsterType(definition->monsterType) : nullptr;
    if (!subject && definition->needsMonsterType)
        return std::string();
    int32_t left = type == MonsterQuest && !goals.empty() ? goals[0].required - progress : count - progress;
    if (failed && !longForm)
        return KeyToken("QuestProgressFailed");
    switch (type) {
    case MonsterQuestItem: case DeadlyPoison: case Petrify: case Plague: case ArmorsmithMonsterQuestItem:
    case WeaponsmithMonsterQuestItem: case StoryOskithNullifier:
        return longForm ? MakeLocToken("QuestProgressMonsterItemFull", "%d %s %s%s", left, NameOf(subject),
                                       ItemNameOf(subject), PluralSuffix(left))
                        : MakeLocToken("QuestProgressMonsterItemPartial", "%d", left);
    case LevelQuestItem: case PoisonedSupply: case ArmorsmithLevelQuestItem: case WeaponsmithLevelQuestItem:
    case StoryBemmelGraves: case StoryVarrowFindItem:
        return longForm ? MakeLocToken("QuestProgressLevelItemFull", "%d %s", left, GetTargetName(left).c_str())
                        : MakeLocToken("QuestProgressLevelItemPartial", "%d", left);
    case KillMonsterGroup: case StoryQuorrinPellDallet: case Meeting: {
        auto open = std::count_if(goals.begin(), goals.end(),
                                  [](const QuestGoal& goal) { return goal.progress < goal.required; });
        int32_t n = static_cast<int32_t>(open);
        return MakeLocToken(longForm ? "QuestProgressMonsterGroupFull" : "QuestProgressMonsterGroupPartial", "%d %s",
                            n, PluralSuffix(n));
    }
    case ClearLevel:
        return MakeLocToken("QuestProgressClearLevel", "%d %s", left, PluralSuffix(left));
    case ScoutLocation: case Renegade: case RenegadeAttack: case GhostRevenge: case Revenge: case Escort:
    case TreasureMap:
        return std::string();
    default:
        break;
    }
    if (definition->boss || !definition->needsMonsterType ||
        IsType({UniqueMonsterSpotted, Assassin, Kidnapping, MonsterScout, StoryKillBemmelScout,
                       StoryKillQuorrinPartner, StoryKillVarrowGuard, StoryKillOskithMage, WarAgainstBarbarians,
                       Trigger}))
        return std::string();
    return longForm ? MakeLocToken("QuestProgressKillMonsterFull", "%d %s", left,
                                   GetGoalText(0, true, false, true, left).c_str())
                    : MakeLocToken("QuestProgressKillMonsterPartial", "%d", left);
}

std::string QuestBase::GetTitlePart(bool heading)
{
    const QuestDefinition& rules = *definition;
    const MonsterType* subject = GetTarget(0);
    const char* npc = npcName.c_str();
    // A TitleList entry at the text index, checked against the list, with an empty argument list.
    const std::string* listed = textIndex >= 0 && static_cast<size_t>(textIndex) < rules.titleList.size()
                                    ? &rules.titleList[static_cast<size_t>(textIndex)]
                                    : nullptr;
    auto listedOr = [&](const char* key, const std::string& argument) {
        return listed ? EmptyListToken(*listed) : MakeLocToken(key, "%s", argument.c_str());
    };
    auto levelName = [&] {
        EnsureTargetLevels();
        const QuestWorld* world = GetWorld();
        return world ? world->GetLevelName(targetLevel) : std::string();
    };
    using namespace QuestType;
    switch (type) {
    case MonsterQuestItem: case ArmorsmithMonsterQuestItem: case WeaponsmithMonsterQuestItem:
        return MakeLocToken("QuestTitleMonsterQuestItem", "%d %s %s%s", count, NameOf(subject), ItemNameOf(subject),
                            PluralSuffix(count));
    case StoryOskithNullifier:
        return MakeLocToken("QuestTitleOskithNullifier", "%s %s", GetGoalText(0, true, false, false, 1).c_str(),
                            ItemNameOf(subject));
    case DeadlyPoison:
        return MakeLocToken("QuestTitleDeadlyPoison", "%s", heading ? GetTownNpcName(npcId).c_str() : GetNpcText().c_str());
    case Petrify:
        return MakeLocToken("QuestTitlePetrify", "%s", GetNpcText().c_str());
    case Plague:
        return KeyToken("QuestTitlePlague");
    case LevelQuestItem: case ArmorsmithLevelQuestItem: case WeaponsmithLevelQuestItem:
        return MakeLocToken("QuestTitleLevelQuestItem", "%d %s", count, GetTargetName(count).c_str());
    case StoryBemmelGraves:
        return MakeLocToken("QuestTitleBemmelGraves", "%d %s", count, GetTargetName(count).c_str());
    case StoryVarrowFindItem:
        return MakeLocToken("QuestTitleVarrowFindItem", "%d %s", count, GetTargetName(count).c_str());
    case PoisonedSupply:
        return MakeLocToken("QuestTitlePoisonedSupply", "%s", ListedKey(GetTextListEntry(npcId)).c_str());
    case KillMonsterGroup:
        return MakeLocToken("QuestTitleMonsterGroup", "%s", GetGoalText(0, true, false, false, 1).c_str());
    case Meeting:
        return MakeLocToken("QuestTitleMeeting", "%s %s", GetGoalText(0, true, false, false, 1).c_str(),
                            GetGoalText(1, true, false, false, 1).c_str());
    case StoryQuorrinPellDallet:
        return KeyToken("QuestTitleQuorrinPellDallet");
    case ClearLevel:
        return MakeLocToken("QuestTitleClearLevel", "%d %s", count, levelName().c_str());
    case ScoutLocation:
        return listedOr("QuestTitleScoutLocation", levelName());
    case RescueNpc:
        return listedOr("QuestTitleRescueNpc", npcName);
    case StoryQuorrinRescue:
        return MakeLocToken("QuestTitleQuorrinRescue", "%s", npc);
    case Kidnapping:
        return failed ? KeyToken("QuestTitleKindappingFailed")
                      : MakeLocToken("QuestTitleKindapping", "%s", GetNpcText().c_str());
    case Siege:
        return KeyToken("QuestTitleSiege");
    case Escort:
        return MakeLocToken("QuestTitleEscort", "%s", npc);
    case Trigger:
        return listedOr("QuestTitleTrigger", npcName);
    case Delivery:
        return heading ? KeyToken("QuestTitleDeliverySimple") : MakeLocToken("QuestTitleDelivery", "%s", npc);
    case Uprising:
        return MakeLocToken("QuestTitleUprising", "%s", NameOf(subject));
    case WarAgainstBarbarians:
        return MakeLocToken("QuestTitleWarAgainstBarbarians", "%s", GetGoalText(0, true, false, true, 2).c_str());
    case StoryBemmelArmy:
        return MakeLocToken("QuestTitleBemmelArmy", "%s", NameOf(subject));
    case StoryVarrowHorde:
        return MakeLocToken("QuestTitleVarrowHorde", "%s", NameOf(subject));
    case StoryOskithArmy:
        return MakeLocToken("QuestTitleOskithArmy", "%s", NameOf(subject));
    case Renegade: case RenegadeAttack:
        return MakeLocToken("QuestTitleRenegade", "%s", npc);
    case GhostRevenge:
        return MakeLocToken("QuestTitleGhostRevenge", "%s", npc);
    case Revenge:
        return MakeLocToken("QuestTitleRevenge", "%s %s", npc, ListedKey(GetTextListEntry(npcId)).c_str());
    case TreasureMap: return KeyToken("QuestTitleTreasureMap");
    case TutorialEquipWeapon: return KeyToken("QuestTitleTutorialEquipWeapon");
    case TutorialGetQuest: return KeyToken("QuestTitleTutorialGetQuest");
    case TutorialUseSlot: return KeyToken("QuestTitleTutorialUseSlot");
    case TutorialInvestigateHouse: return KeyToken("QuestTitleTutorialInvestigateHouse");
    case TutorialTalkToQuestGivers: return KeyToken("QuestTitleTutorialTalkToQuestGivers");
    case TutorialTalkToVendors: return KeyToken("QuestTitleTutorialTalkToVendors");
    case TutorialCovenantTrade: return KeyToken("QuestTitleTutorialCovenantTrade");
    case Thief: return KeyToken("QuestTitleThief");
    // Mended: with nothing to kill these took the kill title, "Kill 3 " of no one.
    case TownTraps: return KeyToken("QuestTitleTownTraps");
    case WanderingVendor: return KeyToken("QuestTitleWanderingVendor");
    case MonsterScout:
        return MakeLocToken("QuestTitleMonsterScout", "%s", NameOf(subject));
    case StoryKillBemmelScout:
        return MakeLocToken("QuestTitleKillBemmelScout", "%s", GetGoalText(0, true, false, false, 1).c_str());
    case StoryKillQuorrinPartner:
        return MakeLocToken("QuestTitleKillQuorrinPartner", "%s", GetGoalText(0, true, false, false, 1).c_str());
    case StoryKillVarrowGuard: case StoryKillOskithMage:
        return MakeLocToken(type == StoryKillVarrowGuard ? "QuestTitleKillVarrowGuard" : "QuestTitleKillOskithMage",
                            "%s %s", GetGoalText(0, true, true, false, 1).c_str(),
                            GetGoalText(0, true, false, false, 1).c_str());
    default:
        break;
    }
    if (rules.boss) {
        constexpr const char* kBossKeys[] = {"QuestTitleBemmel", "QuestTitleQuorrin", "QuestTitleVarrow",
                                             "QuestTitleOskith"};
        if (type < BossKnight || type > BossKing)
            return std::string();
        return MakeLocToken(kBossKeys[type - BossKnight], "%s", GetGoalText(0, true, false, false, 1).c_str());
    }
    if (IsSpecial(subject))
        return MakeLocToken("QuestTitleKillUniqueMonster", "%s", GetGoalText(0, true, false, false, 1).c_str());
    int32_t n = type == MonsterQuest ? (goals.empty() ? 0 : goals[0].required) : count;
    return MakeLocToken(listed ? *listed : std::string("QuestTitleKillMonsters"), "%d %s", n,
                        GetGoalText(0, true, false, true, n).c_str());
}

std::string QuestBase::BuildTitle(int32_t viewerLevel, bool heading)
{
    if (level == -1 || !definition || (!GetTarget(0) && definition->needsMonsterType))
        return KeyToken("QuestSlotEmpty");
    std::string text;
    if (!heading && viewerLevel != -1 && !failed && !IsComplete()) {
        EnsureTargetLevels();
        if (viewerLevel == targetLevel || viewerLevel == destLevel)
            text += KeyToken("QuestTitlePlayerInQuestLevel");
    }
    if (type == QuestType::Recruit) {
        if (heading)
            return KeyToken("QuestTitleRecruitSimple");
        text += KeyToken("QuestTitleRecruit");
    }
    text += GetTitlePart(heading);
    if (!heading && IsComplete())
        text += " " + KeyToken("QuestCompleted");
    else if (!heading && failed)
        text += " " + KeyToken("QuestFailed");
    return text;
}

void QuestBase::AppendKillParagraph(std::string& text, const std::string& playerName) const
{
    const MonsterType* subject = GetTarget(0);
    // Mended: a kind with nothing to kill (traps in the town, a wandering trader) was told to
    // "Kill 3 ." of no one.
    if (!subject)
        return;
    bool boss = definition->boss;
    text += "$$Kill$$ ";
    if (!boss)
        text += StringFormat("%d ", count);
    text += GetGoalText(0, true, false, true, count);
    if (IsSpecial(subject))
        text += StringFormat(" (%s)", subject->title.c_str());
    text += ".";
    if (boss && type >= QuestType::BossKnight && type <= QuestType::BossKing) {
        // A boss quest's body is its one story text; the heading and kill line give way to it.
        std::string name = GetGoalText(0, true, false, false, 1);
        if (type == QuestType::BossLord)
            text = MakeLocToken("QuestTextQuorrin", "%s %s", name.c_str(), playerName.c_str());
        else
            text = MakeLocToken(type == QuestType::BossKnight   ? "QuestTextBemmel"
                                : type == QuestType::BossPrince ? "QuestTextVarrow"
                                                                : "QuestTextOskith",
                                "%s", name.c_str());
    }
    text += "\n";
}

// The story quests' own lines; false for a quest of another kind.
bool QuestBase::AppendStoryBody(std::string& text, const std::string& playerName)
{
    using namespace QuestType;
    switch (type) {
    case StoryOskithNullifier:
        text += MakeLocToken("QuestTextOskithNullifier", "%s %s %s", GetGoalText(0, true, false, false, 1).c_str(),
                             ItemNameOf(GetTarget(0)), playerName.c_str());
        break;
    case StoryBemmelGraves: case StoryVarrowFindItem:
        text += MakeLocToken(type == StoryBemmelGraves ? "QuestTextBemmelGraves" : "QuestTextVarrowFindItem", "%d %s",
                             count, GetTargetName(count).c_str());
        break;
    case StoryQuorrinRescue:
        text += MakeLocToken("QuestTextQuorrinRescue", "%s", npcName.c_str());
        break;
    case StoryKillBemmelScout:
        text += MakeLocToken("QuestTextKillBemmelScout", "%s %s %s", GetGoalText(0, true, true, false, 1).c_str(),
                             GetGoalText(0, true, false, false, 1).c_str(), playerName.c_str());
        break;
    case StoryKillQuorrinPartner:
        text += MakeLocToken("QuestTextKillQuorrinPartner", "%s", GetGoalText(0, true, false, false, 1).c_str());
        break;
    case StoryKillVarrowGuard: case StoryKillOskithMage:
        text += MakeLocToken(type == StoryKillVarrowGuard ? "QuestTextKillVarrowGuard" : "QuestTextKillOskithMage",
                             "%s %s", GetGoalText(0, true, true, false, 1).c_str(),
                             GetGoalText(0, true, false, false, 1).c_str());
        break;
    case StoryBemmelArmy: case StoryVarrowHorde:
        text += MakeLocToken(type == StoryBemmelArmy ? "QuestTextBemmelArmy" : "QuestTextVarrowHorde", "%s %d %s",
                             GetGoalText(0, true, false, false, 1).c_str(), count,
                             GetGoalText(0, true, false, true, count).c_str());
        break;
    case StoryOskithArmy:
        text += MakeLocToken("QuestTextOskithArmy", "%s %d", GetGoalText(0, true, false, false, 1).c_str(), count);
        break;
    default:
        return false;
    }
    return true;
}

// The tutorial's lines, each step with its completion note; false for a quest of another kind.
bool QuestBase::AppendTutorialBody(std::string& text) const
{
    using namespace QuestType;
    switch (type) {
    case TutorialEquipWeapon: text += KeyToken("QuestTextTutorialEquipWeapon"); break;
    case TutorialGetQuest: text += KeyToken("QuestTextTutorialGetQuest"); break;
    case TutorialUseSlot: text += KeyToken("QuestTextTutorialUseSlot"); break;
    case TutorialCovenantTrade: text += KeyToken("QuestTextTutorialCovenantTrade"); break;
    case TutorialInvestigateHouse: {
        static const char* kHouseKeys[] = {"QuestTextHouseGate", "QuestTextHouseLifestone", "QuestTextHousePedestal",
                                           "QuestTextHouseStash", "QuestTextHouseBookshelf", "QuestTextHouseCovStash"};
        text += KeyToken("QuestTextTutorialInvestigateHouse");
        for (size_t i = 0; i < std::size(kHouseKeys) && i < goals.size(); ++i)
            text += KeyToken(kHouseKeys[i]) + CompletionNote(goals, i) + "\n";
        break;
    }
    case TutorialTalkToQuestGivers: case TutorialTalkToVendors: {
        static const std::vector<int32_t> kGivers = {NpcType::Warmaster, NpcType::Apothecary, NpcType::Steward};
        static const std::vector<int32_t> kVendors = {NpcType::VendorBasic, NpcType::VendorWeapon, NpcType::VendorArmor,
                                                      NpcType::VendorGuard, NpcType::Gambler};
        bool givers = type == TutorialTalkToQuestGivers;
        const std::vector<int32_t>& npcTypes = givers ? kGivers : kVendors;
        text += KeyToken(givers ? "QuestTextTutorialTalkToQuestGivers" : "QuestTextTutorialTalkToVendors");
        for (size_t i = 0; i < npcTypes.size() && i < goals.size(); ++i)
            text += MakeLocToken("QuestTextTutorialTalkTo", "%s", NpcTypeToken(npcTypes[i]).c_str()) +
                    CompletionNote(goals, i) + "\n";
        break;
    }
    default:
        return false;
    }
    return true;
}

void QuestBase::AppendBodyPart(std::string& text, const std::string& playerName)
{
    if (AppendStoryBody(text, playerName) || AppendTutorialBody(text))
        return;
    const MonsterType* subject = GetTarget(0);
    const std::string& listed = GetTextListEntry(textIndex);
    // A row keyed by the TextList entry shows nothing when the quest has no entry.
    auto fromList = [&](const std::string& token) { return listed.empty() ? std::string() : token; };
    auto goal = [this](int32_t i, bool withTitle, bool plural, int32_t units) {
        return GetGoalText(i, true, withTitle, plural, units);
    };
    auto pronouns = [this](const char* maleKeys[2], const char* femaleKeys[2]) {
        const char** keys = IsNpcMale() ? maleKeys : femaleKeys;
        return std::make_pair(KeyToken(keys[0]), KeyToken(keys[1]));
    };
    using namespace QuestType;
    switch (type) {
    case MonsterQuestItem: case ArmorsmithMonsterQuestItem: case WeaponsmithMonsterQuestItem: case Plague:
        text += fromList(MakeLocToken(listed, "%d %s %s%s", count, NameOf(subject), ItemNameOf(subject),
                                      PluralSuffix(count)));
        break;
    case DeadlyPoison: case Petrify:
        text += MakeLocToken(type == DeadlyPoison ? "QuestTextDeadlyPoison" : "QuestTextPetrify", "%s %d %s %s%s",
                             GetNpcText().c_str(), count, NameOf(subject), ItemNameOf(subject), PluralSuffix(count));
        break;
    case Kidnapping:
        if (failed) {
            text += KeyToken("QuestTextKidnappingFailed");
            break;
        }
        text += fromList(MakeLocToken(listed, "%s %s %s", goal(0, true, false, 1).c_str(), GetNpcText().c_str(),
                                      KeyToken(IsNpcMale() ? "QuestMalePronounKidnapping"
                                                           : "QuestFemalePronounKidnapping").c_str()));
        break;
    case Siege:
        text += fromList(MakeLocToken(listed, "%d", count));
        break;
    case LevelQuestItem: case ArmorsmithLevelQuestItem: case WeaponsmithLevelQuestItem:
        text += fromList(MakeLocToken(listed, "%d %s", count, GetTargetName(count).c_str()));
        break;
    case PoisonedSupply:
        text += MakeLocToken("QuestTextPoisonedSupply", "%s %d %s", ListedKey(GetTextListEntry(npcId)).c_str(), count,
                             GetTargetName(count).c_str());
        break;
    case KillMonsterGroup: case Meeting: case StoryQuorrinPellDallet:
        if (type == KillMonsterGroup)
            text += fromList(MakeLocToken(listed, "%s", goal(0, false, false, 1).c_str()));
        else if (type == Meeting)
            text += fromList(MakeLocToken(listed, "%s %s %s", goal(0, true, false, 1).c_str(),
                                          goal(1, true, false, 1).c_str(), GetLocationText(false, false).c_str()));
        else
            text += KeyToken("QuestTextQuorrinPellDallet");
        for (const QuestGoal& entry : goals)
            text += GetKillLine(entry);
        break;
    case RescueNpc: case Delivery:
        text += fromList(MakeLocToken(listed, "%s", npcName.c_str()));
        break;
    case Escort:
        text += fromList(MakeLocToken(listed, "%s %s %s", npcName.c_str(), GetLocationText(false, false).c_str(),
                                      GetLocationText(false, true).c_str()));
        break;
    case Trigger:
        text += fromList(EmptyListToken(listed));
        break;
    case ClearLevel:
        text += fromList(MakeLocToken(listed, "%s %d", GetLocationText(true, false).c_str(), count));
        break;
    case ScoutLocation:
        text += fromList(MakeLocToken(listed, "%s", GetLocationText(true, false).c_str()));
        break;
    case UniqueMonsterSpotted: case Assassin:
        text += fromList(MakeLocToken(listed, "%s", goal(0, true, false, 1).c_str()));
        break;
    case MonsterScout:
        text += fromList(MakeLocToken(listed, "%s", NameOf(subject)));
        break;
    case Renegade: case RenegadeAttack: {
        static const char* kRenegadeMale[2] = {"QuestMalePronounRenegade1", "QuestMalePronounRenegade2"};
        static const char* kRenegadeFemale[2] = {"QuestFemalePronounRenegade1", "QuestFemalePronounRenegade2"};
        static const char* kAttackMale[2] = {"QuestMalePronounRenegadeAttack1", "QuestMalePronounRenegadeAttack2"};
        static const char* kAttackFemale[2] = {"QuestFemalePronounRenegadeAttack1",
                                               "QuestFemalePronounRenegadeAttack2"};
        auto [first, second] = type == Renegade ? pronouns(kRenegadeMale, kRenegadeFemale)
                                                : pronouns(kAttackMale, kAttackFemale);
        text += fromList(MakeLocToken(listed, "%s %s %s", GetNpcText().c_str(), first.c_str(), second.c_str()));
        break;
    }
    case GhostRevenge:
        text += fromList(MakeLocToken(listed, "%s %s %s %s", GetNpcText().c_str(), goal(0, false, false, 1).c_str(),
                                      Article(TitleOf(subject)), TitleOf(subject)));
        break;
    case Revenge:
        text += MakeLocToken("QuestTextRevenge", "%s %s %s %s", goal(0, false, false, 1).c_str(),
                             ListedKey(GetTextListEntry(npcId)).c_str(), Article(TitleOf(subject)), TitleOf(subject));
        break;
    case TreasureMap: case Thief:
        text += fromList(KeyToken(listed));
        break;
    case WarAgainstBarbarians:
        text += fromList(MakeLocToken(listed, "%s", goal(0, false, true, 2).c_str()));
        break;
    case MonsterQuest: {
        int32_t n = goals.empty() ? 0 : goals[0].required;
        text += fromList(MakeLocToken(listed, "%s %d", goal(0, false, true, n).c_str(), n));
        break;
    }
    case KillMonsters:
        text += fromList(MakeLocToken(listed, "%s %d", goal(0, false, true, 2).c_str(), count));
        break;
    case Uprising:
        text += fromList(MakeLocToken(listed, "%s", goal(0, false, true, 2).c_str()));
        AppendKillParagraph(text, playerName);
        break;
    default:
        AppendKillParagraph(text, playerName);
        break;
    }
}

void QuestBase::AppendTail(std::string& text, int32_t rememberedLevel, int32_t viewerCharacterLevel,
                           const TimeStamp& now)
{
    const QuestDefinition& rules = *definition;
    using namespace QuestType;
    if (rules.maxTime > 0.0f && !IsComplete())
        text += "$$TimeLeft$$: " + FormatSeconds(GetTimeRemaining(now), DurationStyle::Clock, 0.05f) + "\n";
    if (rememberedLevel != -1) {
        if (rules.boss)
            text += "$$Location$$: ";
        else if (!IsType({ClearLevel, ScoutLocation, LevelQuestItem, ArmorsmithLevelQuestItem,
                          WeaponsmithLevelQuestItem, StoryBemmelGraves, StoryVarrowFindItem}))
            text += "$$KnownLocation$$: ";
        text += GetLocationText(false, false) + "\n";
    }
    if (level > 0 && !rules.hideLevel)
        text += StringFormat("$$QuestLevel$$: %d\n", level);
    if (rules.optional)
        text += "\n$$QuestOptional$$\n";
    if (HasProgress())
        text += IsComplete() ? "$$ProgressCompleted$$\n" : GetProgressText(false);
    text += "\n";
    if (rules.returnForReward) {
        if (rules.returnToMonster)
            text += MakeLocToken("TalkToMonster", "%s %s", GetGoalText(1, false, false, false, 1).c_str(),
                                 GetLocationText(false, false).c_str());
        else if (rules.returnToSpecificNpc && type == Revenge)
            text += MakeLocToken("TalkToRevenge", "%s", npcName.c_str());
        else if (rules.returnToSpecificNpc)
            text += MakeLocToken("TalkToSpecificNpc", "%s %s", npcName.c_str(), GetLocationText(false, false).c_str());
        else
            text += MakeLocToken("TalkToNpcType", "%s", NpcTypeToken(rules.returnNpcType).c_str());
    }
    AppendRewardLine(text, viewerCharacterLevel);
    if (type == Recruit)
        text += "$$FailConditionsRecruit$$";
    else if (IsType({RescueNpc, Escort, Kidnapping}))
        text += "$$FailConditionsRescue$$";
    else if (type == Delivery)
        text += "$$FailConditionsDelivery$$";
}

void QuestBase::AppendRewardLine(std::string& text, int32_t viewerCharacterLevel) const
{
    const QuestDefinition& rules = *definition;
    float factor = gGameData ? LevelDifferenceXpFactor(gGameData->GetTuning(), level, viewerCharacterLevel) : 1.0f;
    int32_t xp = TruncToInt(static_cast<double>(factor) * xpReward);
    int32_t score = TruncToInt(static_cast<double>(rules.scoreBase) + static_cast<double>(rules.scorePerCount) * count);
    std::vector<std::string> parts;
    if (xp != 0)
        parts.push_back(StringFormat("%d $$XP$$", xp));
    if (score != 0)
        parts.push_back(FormatThousands(score) + " $$Score$$");
    if (moneyReward != 0)
        parts.push_back(FormatMoney(moneyReward));
    if (rules.armorReward)
        parts.push_back("$$RandomArmorReward$$");
    if (rules.weaponReward)
        parts.push_back("$$RandomWeaponReward$$");
    if (xp <= 0 && moneyReward <= 0 && score <= 0 && !rules.armorReward && !rules.weaponReward)
        return;
    text += "$$Reward$$: ";
    for (size_t i = 0; i < parts.size(); ++i)
        text += (i ? " & " : "") + parts[i];
    text += "\n";
}

std::string QuestBase::BuildText(int32_t viewerCharacterLevel, const TimeStamp& now, const std::string& playerName)
{
    if (level == -1 || !definition || (!GetTarget(0) && definition->needsMonsterType))
        return std::string();
    std::string text = BuildTitle(-1, true) + "\n\n";
    EnsureTargetLevels();
    int32_t rememberedLevel = targetLevel;
    if (type == QuestType::Recruit) {
        bool ranks = gLocSystem && gLocSystem->AddsRankEndings();
        std::string className = gGameData ? gGameData->GetCharacterClassDisplayName(SeedNameStream()) : std::string();
        text += MakeLocToken("QuestTextRecruit", "%s %d%s %s", npcName.c_str(), recruitLevel,
                             ranks ? gLocSystem->GetRankEnding(recruitLevel) : "", className.c_str());
    }
    AppendBodyPart(text, playerName);
    text += "\n";
    AppendTail(text, rememberedLevel, viewerCharacterLevel, now);
    return text;
}
