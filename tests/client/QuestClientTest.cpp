// QuestClientTest -- the quick-slot tutorial quest completed on the client once a skill and an item sit in quick slots, with its request to the host; completion and failure announced once.
#include "client/PlayerClientWorld.h"

#include "render/TextEvents.h"
#include "rules/RulesEnums.h"

#include <memory>

namespace {

constexpr const char* kQuestClientTownQuests = R"(
QuestPoison
{
    Type Quest
    QuestType DeadlyPoison
}
QuestStone
{
    Type Quest
    QuestType Petrify
}
QuestTaken
{
    Type Quest
    QuestType Kidnapping
}
QuestHunt
{
    Type Quest
    QuestType KillMonsters
}
)";

class QuestClientNews : public PlayerClientWorld {
protected:
    QuestClientNews()
    {
        gTextEvents = events.get();
        quest.level = 1;
        quest.count = 1;
        quest.questId = 17;
        quest.type = QuestType::TutorialUseSlot;
    }

    ~QuestClientNews() override { gTextEvents = nullptr; }

    // The quest news shown since the last call.
    std::string News()
    {
        const TextEvents::Record* record = events->FindTextEvent(QuestClient::kNewsKind);
        std::string text = record ? record->text : std::string();
        events = std::make_unique<TextEvents>();
        gTextEvents = events.get();
        return text;
    }

    std::unique_ptr<TextEvents> events = std::make_unique<TextEvents>();
    QuestClient quest;
};

TEST_F(QuestClientNews, TheSlotTutorialWaitsForASkillAndAnItemInQuickSlots)
{
    // Item entries only, and the first record's untouched skill entry, are not enough.
    player->SetQuickUse(0, {1, 0, 0, 0});
    player->SetQuickUse(1, {0, 4, 2, 0});
    quest.CheckProgress(*player);
    EXPECT_FALSE(quest.IsComplete());
    EXPECT_TRUE(app->GetQueuedLines().empty());
    EXPECT_EQ(News(), "");

    player->SetQuickUse(2, {1, 0, 0, 0});
    quest.CheckProgress(*player);
    EXPECT_TRUE(quest.IsComplete());
    ASSERT_EQ(app->GetQueuedLines().size(), 1u);
    EXPECT_EQ(app->GetQueuedLines().back(), "completeQuest 17");
    EXPECT_EQ(News(), "$$AnnounceQuestCompleted$$");

    // Read again as complete, it is not told again, nor asked for again.
    quest.progress = quest.count;
    quest.CheckProgress(*player);
    EXPECT_EQ(News(), "");
    EXPECT_EQ(app->GetQueuedLines().size(), 1u);
}

TEST_F(QuestClientNews, AFailureIsToldOnceAndAResetQuestMayTellAgain)
{
    quest.type = QuestType::KillMonsters;
    quest.failed = true;
    quest.CheckProgress(*player);
    EXPECT_NE(News().find("$$AnnounceQuestFailed$$"), std::string::npos);
    quest.CheckProgress(*player);
    EXPECT_EQ(News(), "");
    EXPECT_TRUE(quest.announced);
    quest.Reset();
    EXPECT_FALSE(quest.announced);
    EXPECT_EQ(quest.lastShownProgress, -1);
}

// Progress acknowledged (a saved character's quests coming back) is no news; the next step is.
TEST_F(QuestClientNews, AcknowledgedProgressIsNotToldAgainButTheNextStepIs)
{
    quest.type = QuestType::KillMonsters;
    quest.count = 5;
    quest.progress = 2;
    quest.Acknowledge();
    EXPECT_EQ(quest.lastShownProgress, 2);
    quest.CheckProgress(*player);
    EXPECT_EQ(News(), "");
    EXPECT_FALSE(quest.announced);
    quest.progress = 3;
    quest.CheckProgress(*player);
    EXPECT_EQ(quest.lastShownProgress, 3) << "the next step is shown";
}

// A poisoning, petrifying or kidnapping quest read while the update named no townsfolk has no
// townsperson yet: its check goes no further (its progress is not shown) until the townsfolk are
// known; then it draws its townsperson from its own seed and goes on. A quest of another kind
// needs none.
TEST_F(QuestClientNews, ATownspersonsQuestWaitsForTheTownsfolkBeforeItsCheckGoesOn)
{
    LoadRecords(kQuestClientTownQuests);
    for (auto [name, checkedAtOnce] : {std::pair{"QuestPoison", false}, {"QuestStone", false},
                                       {"QuestTaken", false}, {"QuestHunt", true}}) {
        gameClient->questActorValues.clear();
        gameClient->questActorNames.clear();
        QuestClient town;
        ASSERT_TRUE(town.Setup(database.FindEntryByName(name), 2, 99, 0, TimeStamp{})) << name;
        town.RollParameters(false);
        town.CheckProgress(*player);
        EXPECT_EQ(town.lastShownProgress, checkedAtOnce ? 0 : -1) << name;
        gameClient->questActorValues = {0, 0, 0};
        gameClient->questActorNames = {"Tam", "Ule", "Vin"};
        town.CheckProgress(*player);
        EXPECT_EQ(town.lastShownProgress, 0) << name << ": checked once its townsperson is known";
        if (!checkedAtOnce) {
            EXPECT_GE(town.npcId, 0) << name;
            EXPECT_LT(town.npcId, 3) << name;
        }
    }
    News();
}

} // namespace
