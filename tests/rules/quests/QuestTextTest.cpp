// QuestTextTest -- Quest texts as tokens: the pieces, each family of title and body rows, the text's tail, and empty pieces where data is missing.
#include "QuestTestWorld.h"

#include "core/ColorCode.h"
#include "core/MessageBuffer.h"
#include "rules/Formulas.h"
#include "rules/RulesEnums.h"

#include <cstring>
#include <vector>

namespace {

const std::string kQuestTextQuests = RecordWorld::Records({
    "Kill: Type Quest; QuestType KillMonsters; NeedsMonsterType 1; HasWorldLevel 1; Count 5; TextList K1; "
        "XpMinRewardPerMonster 24; XpMaxRewardPerMonster 24; MoneyRewardMinMultiplier 0.05; "
        "MoneyRewardMaxMultiplier 0.05",
    "Survey: Type Quest; QuestType ScoutLocation; HasWorldLevel 1; DefaultArea Cave; TextList S1; TitleList T1",
    "Meet: Type Quest; QuestType Meeting; TextList M1",
    "Blank: Type Quest; QuestType Delivery",
    "Recruit: Type Quest; QuestType Recruit; NeedsMonsterType 1; Count 2",
    "Scouting: Type Quest; QuestType StoryKillBemmelScout; NeedsMonsterType 1",
    "Army: Type Quest; QuestType StoryBemmelArmy; NeedsMonsterType 1; Count 4",
    "Vendors: Type Quest; QuestType TutorialTalkToVendors",
});

class QuestTexts : public QuestTestWorld {
protected:
    QuestTexts()
    {
        LoadQuests(kQuestTextQuests);
        world.levels = {{"Town", 1}, {"Barrows", 5}, {"Deep Cave", 6, true, 1, QuestEntry("Cave")}};
    }

    std::string Unique() const { return gameData.GetMonsterRarityColorCode(MonsterRarity::Unique); }

    FakeQuest quest{&world};
};

const std::string kEnd = MakeColorCode(145);

} // namespace

TEST_F(QuestTexts, PiecesNameTheTargetGoalLevelAndNpc)
{
    Start(quest, "Kill", 5, 1u, "Ashfang");
    EXPECT_EQ(quest.GetGoalText(0, true, true, false, 1), Unique() + "$$Ashfang$$" + kEnd + ", a $$Terror$$,");
    EXPECT_EQ(quest.GetGoalText(0, false, false, true, 2), "$$Ashfang$$s");
    Start(quest, "Kill", 5, 1u, "Scout");
    EXPECT_EQ(quest.GetGoalText(0, false, false, true, 1), "$$Scout$$");
    EXPECT_EQ(quest.GetGoalText(0, false, false, true, 2), "$$Scouts$$");

    Start(quest, "Survey", 5, 1u);
    EXPECT_EQ(quest.GetLocationText(false, false), "^c002$$LevelUnderLevel~<Deep Cave@@Barrows@@>~$$" + kEnd);
    EXPECT_EQ(quest.GetLocationText(true, false), "^c002Deep Cave" + kEnd);
    EXPECT_EQ(quest.GetLocationText(false, true), "^c002" + kEnd);  // no second level
    EXPECT_EQ(quest.GetTargetName(2), "$$Shards$$");
    EXPECT_EQ(quest.GetTargetName(1), "$$Shard$$");

    quest.npcs = {{"Hild", NpcType::Apothecary}};
    quest.type = QuestType::Petrify;
    quest.npcId = 0;
    EXPECT_EQ(quest.GetNpcText(), "Hild ($$NpcTypeApothecary$$)");
}

TEST_F(QuestTexts, KillLinesAndProgressLines)
{
    Start(quest, "Meet", 5, 1u, nullptr, {"Scout", "Ashfang"});
    EXPECT_EQ(quest.GetKillLine(QuestGoal{1, 1, Monster("Scout"), 0}),
              "$$Kill$$ $$Scout$$$$QuestTextTutorialPartCompleted$$\n");
    EXPECT_EQ(quest.GetKillLine(QuestGoal{2, 5, Monster("Ashfang"), 0}),
              "$$Kill$$ 5 " + Unique() + "$$Ashfang$$" + kEnd + "s ($$Terror$$)(2 $$killed$$)\n");
    quest.goals[0].progress = 1;
    EXPECT_EQ(quest.GetProgressText(true), "$$QuestProgressMonsterGroupFull~<1@@@@>~$$");

    Start(quest, "Kill", 5, 1u, "Scout");
    quest.progress = 2;
    EXPECT_EQ(quest.GetProgressText(true), "$$QuestProgressKillMonsterFull~<3@@$$Scouts$$@@>~$$");
    EXPECT_EQ(quest.GetProgressText(false), "$$QuestProgressKillMonsterPartial~<3@@>~$$");
    quest.SetFailed();
    EXPECT_EQ(quest.GetProgressText(false), "$$QuestProgressFailed$$");
}

// A saved progress of INT_MIN once overflowed the count left; it is read as no progress.
TEST_F(QuestTexts, ProgressFromAHostileRecordCountsEveryKillLeft)
{
    Start(quest, "Kill", 5, 1u, "Scout");
    MessageBuffer buffer;
    quest.Write(buffer, true);
    std::vector<uint8_t> bytes(buffer.Data(), buffer.Data() + buffer.Size());
    const int32_t hostile = INT32_MIN;
    std::memcpy(bytes.data() + 8, &hostile, 4);
    MessageBuffer changed;
    changed.WriteBytes(bytes.data(), bytes.size());
    FakeQuest copy{&world};
    ASSERT_TRUE(copy.Read(changed, true, true, QuestBase::kNamedReferencesVersion));
    EXPECT_EQ(copy.GetProgressText(false), "$$QuestProgressKillMonsterPartial~<5@@>~$$");
}

TEST_F(QuestTexts, TitlesOfTheKillFamilyAndTheirState)
{
    Start(quest, "Kill", 5, 1u, "Scout");
    quest.AssignTargetLevels();
    ASSERT_NE(quest.targetLevel, -1);
    const std::string title = "$$QuestTitleKillMonsters~<5@@$$Scouts$$@@>~$$";
    EXPECT_EQ(quest.BuildTitle(-1, false), title);
    EXPECT_EQ(quest.BuildTitle(quest.targetLevel, false), "$$QuestTitlePlayerInQuestLevel$$" + title);
    EXPECT_EQ(quest.BuildTitle(quest.targetLevel, true), title);
    quest.SetComplete();
    EXPECT_EQ(quest.BuildTitle(quest.targetLevel, false), title + " $$QuestCompleted$$");

    Start(quest, "Kill", 5, 1u, "Ashfang");
    EXPECT_EQ(quest.BuildTitle(-1, false),
              "$$QuestTitleKillUniqueMonster~<" + Unique() + "$$Ashfang$$" + kEnd + "@@>~$$");
    quest.target = nullptr;
    EXPECT_EQ(quest.BuildTitle(-1, false), "$$QuestSlotEmpty$$");
    EXPECT_EQ(quest.BuildText(5, TimeStamp{}, "Ada"), "");
    quest.Reset();
    EXPECT_EQ(quest.BuildTitle(-1, false), "$$QuestSlotEmpty$$");

    Start(quest, "Survey", 5, 1u);
    EXPECT_EQ(quest.BuildTitle(-1, true), "$$T1~<@@>~$$");
    quest.textIndex = 3;
    EXPECT_EQ(quest.BuildTitle(-1, true), "$$QuestTitleScoutLocation~<Deep Cave@@>~$$");
}

// Mended: a body keyed by a TextList the definition lacks, and a goal the quest lacks, are
// empty pieces rather than reads past their lists.
TEST_F(QuestTexts, MissingListEntriesAndGoalsGiveEmptyPieces)
{
    Start(quest, "Blank", 0, 1u);
    quest.npcName = "Wenna";
    EXPECT_EQ(quest.textIndex, -1);
    EXPECT_EQ(quest.BuildText(0, TimeStamp{}, "Ada"),
              "$$QuestTitleDeliverySimple$$\n\n\n\n$$FailConditionsDelivery$$");
    EXPECT_EQ(quest.BuildTitle(-1, false), "$$QuestTitleDelivery~<Wenna@@>~$$");

    Start(quest, "Meet", 5, 1u, nullptr, {"Scout"});
    EXPECT_EQ(quest.GetGoalText(1, true, false, false, 1), "");
    EXPECT_EQ(quest.GetGoalText(-1, true, false, false, 1), "");
    EXPECT_EQ(quest.BuildTitle(-1, true), "$$QuestTitleMeeting~<$$Scout$$@@@@>~$$");
}

// The story's bodies name their goal (with and without its title), the count and the player; the
// tutorial's lists each trader to talk to, a finished step marked.
TEST_F(QuestTexts, StoryAndTutorialBodiesNameTheirGoalsThePlayerAndEachStep)
{
    Start(quest, "Scouting", 5, 1u, "Ashfang", {"Ashfang"});
    std::string text = quest.BuildText(0, TimeStamp{}, "Ada");
    std::string scout = "$$QuestTextKillBemmelScout~<" + quest.GetGoalText(0, true, true, false, 1) + "@@" +
                        quest.GetGoalText(0, true, false, false, 1) + "@@Ada@@>~$$";
    EXPECT_NE(text.find(scout), std::string::npos) << text;

    Start(quest, "Army", 5, 1u, "Scout", {"Scout"});
    text = quest.BuildText(0, TimeStamp{}, "Ada");
    std::string army = "$$QuestTextBemmelArmy~<" + quest.GetGoalText(0, true, false, false, 1) + "@@" +
                       std::to_string(quest.count) + "@@" + quest.GetGoalText(0, true, false, true, quest.count) +
                       "@@>~$$";
    EXPECT_NE(text.find(army), std::string::npos) << text;

    Start(quest, "Vendors", 0, 1u, "Scout");
    ASSERT_GE(quest.goals.size(), 2u) << "a goal for each trader";
    quest.goals.resize(2);
    quest.goals[1].progress = 1;
    text = quest.BuildText(0, TimeStamp{}, "Ada");
    EXPECT_NE(text.find("$$QuestTextTutorialTalkToVendors$$$$QuestTextTutorialTalkTo~<$$NpcTypeVendorBasic$$@@>~$$\n"
                        "$$QuestTextTutorialTalkTo~<$$NpcTypeVendorWeapon$$@@>~$$ $$QuestTextTutorialPartCompleted$$\n"),
              std::string::npos)
        << text;
    EXPECT_EQ(text.find("NpcTypeVendorArmor"), std::string::npos) << "a step past the quest's goals";
}
