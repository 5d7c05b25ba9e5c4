// QuestDefinitionTest -- Quest definitions: keys read into kinds, lists and links, unknown kinds, the game data's look-ups and weighted picks, the lint.
#include "QuestTestWorld.h"

#include "core/RandomSystem.h"
#include "rules/ContentLint.h"
#include "rules/RulesEnums.h"

#include <algorithm>

namespace {

class QuestDefinitions : public QuestTestWorld {
protected:
    const QuestDefinition& Definition(const char* name)
    {
        const QuestDefinition* definition = gameData.FindQuestDefinition(QuestEntry(name));
        EXPECT_NE(definition, nullptr) << name;
        static const QuestDefinition kMissing;
        return definition ? *definition : kMissing;
    }
};

} // namespace

// Only the keys a reader could get wrong: names of kinds read case-blind, lists, links by name,
// the event chances by their index, a bit that defaults to none.
TEST_F(QuestDefinitions, KeysReadIntoTheirKindsListsAndLinks)
{
    LoadQuests(Records({
        "Bare: Type Quest",
        "Full: Type Quest; QuestType killmonsters; ItemReward Page; StatusEffect Nothing; UprisingChance 0.25; "
            "TownAttackChance 0.75; TextList A; TextList B; ReturnNpcType apothecary; NeedNpcType Gambler; "
            "DefaultArea Cave; QuestSolvedBit 0; MaxTime 90.5",
    }));
    EXPECT_EQ(Definition("Bare").questSolvedBit, -1);
    EXPECT_EQ(Definition("Bare").defaultItem, nullptr);
    const QuestDefinition& full = Definition("Full");
    EXPECT_EQ(full.questType, QuestType::KillMonsters);
    EXPECT_EQ(full.itemReward, QuestEntry("Page"));
    EXPECT_EQ(full.statusEffect, nullptr);  // names no record, without a message
    EXPECT_EQ(full.eventChances[QuestEventChance::Uprising], 0.25f);
    EXPECT_EQ(full.eventChances[QuestEventChance::TownAttack], 0.75f);
    EXPECT_EQ(full.textList, (std::vector<std::string>{"A", "B"}));
    EXPECT_EQ(full.returnNpcType, NpcType::Apothecary);
    EXPECT_EQ(full.needNpcType, NpcType::Gambler);
    EXPECT_EQ(full.defaultArea, QuestEntry("Cave"));
    EXPECT_EQ(full.questSolvedBit, 0);
    EXPECT_EQ(full.maxTime, 90.5f);
    EXPECT_EQ(CountErrors(), 3);  // Bare's missing QuestType, ReturnNpcType and NeedNpcType
}

// A missing kind logs as an unknown one does, with the empty name.
TEST_F(QuestDefinitions, UnknownAndMissingKindsLogAndReadAsNone)
{
    LoadQuests(Records({"Odd: Type Quest; QuestType Picnic; ReturnNpcType Baker",
                        "Blank: Type Quest; ReturnNpcType Steward; NeedNpcType None"}));
    EXPECT_EQ(Definition("Odd").questType, QuestType::None);
    EXPECT_EQ(Definition("Odd").returnNpcType, NpcType::None);
    EXPECT_EQ(Definition("Blank").questType, QuestType::None);
    EXPECT_EQ(CountLogged("^c001Unknown QuestType name Picnic\n"), 1);
    EXPECT_EQ(CountLogged("^c001Unknown NpcType name Baker\n"), 1);
    EXPECT_EQ(CountLogged("^c001Unknown QuestType name \n"), 1);
    EXPECT_EQ(CountLogged("^c001Unknown NpcType name \n"), 1);
}

TEST_F(QuestDefinitions, LookUpsByEntryAndByTypeTakeTheFirstInDatabaseOrder)
{
    LoadQuests(Records({"First: Type Quest; QuestType Delivery", "Second: Type Quest; QuestType Delivery",
                        "Template: Type Quest; BaseOnly 1; QuestType Siege"}));
    EXPECT_NE(&Definition("First"), &Definition("Second"));
    EXPECT_EQ(gameData.FindQuestDefinitionByType(QuestType::Delivery), &Definition("First"));
    EXPECT_EQ(gameData.FindQuestDefinitionByType(QuestType::Siege), nullptr) << "a template is no quest";
    EXPECT_EQ(gameData.FindQuestDefinitionByType(-1), nullptr);
    EXPECT_EQ(gameData.FindQuestDefinition(QuestEntry("Template")), nullptr);
    EXPECT_EQ(gameData.FindQuestDefinition(QuestEntry("Page")), nullptr);
    EXPECT_EQ(gameData.FindQuestDefinition(nullptr), nullptr);
    EXPECT_EQ(gameData.GetQuestDefinitions().GetCount(), 2);
}

TEST_F(QuestDefinitions, RandomPicksFollowTheWeightsAndNeverDrawAWeightOfZero)
{
    LoadQuests(Records({"Never: Type Quest; RandomQuestChance 0; RandomEventChance 1",
                        "Light: Type Quest; RandomQuestChance 1", "Heavy: Type Quest; RandomQuestChance 3"}));
    // The draw times the total of 4: below 1 picks Light, from 1 on Heavy.
    for (int i = 0; i < 50; ++i) {
        RandomSystem next = Copy();
        float target = next.RandomFloat(RandomStream::GameData) * 4.0f;
        EXPECT_EQ(gameData.PickRandomQuest(), QuestEntry(target < 1.0f ? "Light" : "Heavy"));
    }
    EXPECT_EQ(gameData.PickRandomEvent(), QuestEntry("Never"));

    LoadQuests(Records({"Idle: Type Quest"}));
    EXPECT_EQ(gameData.PickRandomQuest(), nullptr);
    EXPECT_EQ(gameData.PickRandomEvent(), nullptr);
}

TEST_F(QuestDefinitions, TheLintReportsWhatLoadingCannotSee)
{
    LoadQuests(Records({"Untyped: Type Quest", "Bare: Type Quest; QuestType KillMonsters",
                        "Join: Type Quest; QuestType Recruit; TextList A",
                        "Broken: Type Quest; QuestType Delivery; TextList Nowhere; NextQuest Page; DefaultItem Gone; "
                            "MonsterType Yeti; MinCount 5; MaxCount 2"}));
    ContentLint lint(database, loc);
    lint.Run();
    const std::vector<std::string>& problems = lint.GetProblems();
    for (const char* problem :
         {"Untyped: QuestType names no quest kind", "Bare: has no TextList, which its kind's body text is",
          "Broken: TextList names the missing text Nowhere", "Broken: NextQuest names no quest record Page",
          "Broken: DefaultItem names the missing entry Gone", "Broken: MonsterType names no monster type Yeti",
          "Broken: MaxCount is below MinCount",
          "Join: recruit quest has no monster types in ArchetypeNpcPotentialRecruitWarden"})
        EXPECT_NE(std::find(problems.begin(), problems.end(), problem), problems.end()) << problem;
}
