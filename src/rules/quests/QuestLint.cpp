// QuestLint -- the content checks of quest records: type, texts, references and ranges the loader does not check.
#include "rules/quests/QuestLint.h"

#include "core/Database.h"
#include "core/DatabaseEntry.h"
#include "core/LocSystem.h"
#include "core/StringUtil.h"
#include "rules/ContentLint.h"
#include "rules/GameData.h"
#include "rules/RulesEnums.h"
#include "rules/monsters/MonsterArchetype.h"

#include <algorithm>
#include <string>
#include <vector>

namespace {

// The kinds whose body text is the TextList entry the quest draws.
constexpr int32_t kTextListBodies[] = {
    QuestType::KillMonsters, QuestType::UniqueMonsterSpotted, QuestType::Assassin, QuestType::MonsterQuestItem,
    QuestType::LevelQuestItem, QuestType::KillMonsterGroup, QuestType::RescueNpc, QuestType::ClearLevel,
    QuestType::ScoutLocation, QuestType::Delivery, QuestType::Uprising, QuestType::Renegade,
    QuestType::RenegadeAttack, QuestType::GhostRevenge, QuestType::Escort, QuestType::TreasureMap,
    QuestType::MonsterQuest, QuestType::Plague, QuestType::Thief, QuestType::Kidnapping, QuestType::Siege,
    QuestType::MonsterScout, QuestType::ArmorsmithMonsterQuestItem, QuestType::WeaponsmithMonsterQuestItem,
    QuestType::ArmorsmithLevelQuestItem, QuestType::WeaponsmithLevelQuestItem, QuestType::WarAgainstBarbarians,
    QuestType::Meeting, QuestType::Trigger};

// The kinds whose title and text fill a place with the TextList line the quest draws (a
// tainted supply's news names the TitleList line of the same draw).
constexpr int32_t kTextListPlaces[] = {QuestType::PoisonedSupply, QuestType::Revenge};

// List lines are bare keys, which the token scan of the files does not see.
void CheckTextList(ContentLint& lint, const DatabaseEntry& entry, const char* key, std::vector<std::string>& lines)
{
    entry.GetStringList(key, lines, true, true);
    for (const std::string& line : lines)
        if (gLocSystem && !gLocSystem->HasText(line))
            lint.Report(entry, StringFormat("%s names the missing text %s", key, line.c_str()));
}

void CheckOrder(ContentLint& lint, const DatabaseEntry& entry, const char* minKey, const char* maxKey)
{
    if (entry.GetFloat(maxKey, 0.0f) < entry.GetFloat(minKey, 0.0f))
        lint.Report(entry, StringFormat("%s is below %s", maxKey, minKey));
}

} // namespace

void CheckQuestRecord(ContentLint& lint, const DatabaseEntry& entry)
{
    int32_t questType = GetQuestTypeByName(entry.GetString("QuestType"));
    if (questType == QuestType::None)
        lint.Report(entry, "QuestType names no quest kind");
    std::vector<std::string> lines;
    CheckTextList(lint, entry, "TitleList", lines);
    size_t titles = lines.size();
    CheckTextList(lint, entry, "TextList", lines);
    auto among = [questType](const auto& kinds) {
        return std::find(std::begin(kinds), std::end(kinds), questType) != std::end(kinds);
    };
    if (lines.empty() && among(kTextListBodies))
        lint.Report(entry, "has no TextList, which its kind's body text is");
    if (lines.empty() && among(kTextListPlaces))
        lint.Report(entry, "has no TextList, whose line its kind's title and text name");
    if (questType == QuestType::PoisonedSupply && titles != lines.size())
        lint.Report(entry, "has a TitleList and a TextList of different lengths, which one draw reads both");
    std::string next = entry.GetString("NextQuest");
    const DatabaseEntry* nextEntry = lint.GetDatabase().FindEntryByName(next);
    if (!next.empty() && (!nextEntry || nextEntry->GetType() != DatabaseEntryType::Quest))
        lint.Report(entry, StringFormat("NextQuest names no quest record %s", next.c_str()));
    for (const char* key : {"DefaultItem", "ItemReward", "DefaultArea", "StatusEffect"})
        if (!entry.GetString(key).empty())
            lint.CheckEntryName(entry, key);
    for (const char* key : {"MonsterType", "DefaultMonster"}) {
        std::string name = entry.GetString(key);
        if (!name.empty() && gGameData && !gGameData->FindMonsterType(name))
            lint.Report(entry, StringFormat("%s names no monster type %s", key, name.c_str()));
    }
    // The recruit a recruit quest sends the player to is drawn from the archetype of the first
    // class's would-be recruits.
    if (questType == QuestType::Recruit && gGameData) {
        std::string archetype = "ArchetypeNpcPotentialRecruit" + gGameData->GetCharacterClassName(0);
        const MonsterArchetype* found = gGameData->FindArchetype(archetype);
        if (!found || found->types.empty())
            lint.Report(entry, StringFormat("recruit quest has no monster types in %s", archetype.c_str()));
    }
    CheckOrder(lint, entry, "MinCount", "MaxCount");
    CheckOrder(lint, entry, "MinCountMult", "MaxCountMult");
    CheckOrder(lint, entry, "MinTime", "MaxTime");
    CheckOrder(lint, entry, "XpMinRewardPerMonster", "XpMaxRewardPerMonster");
    CheckOrder(lint, entry, "MoneyRewardMinMultiplier", "MoneyRewardMaxMultiplier");
    CheckOrder(lint, entry, "MinLevelChange", "MaxLevelChange");
}
