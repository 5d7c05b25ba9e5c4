// QuestTextSourceTest -- the quest and NPC talk text sources built over a fake game: the quest window's slot text by its user var, the quest an NPC offers, the quest it takes in, the quest with the least time left, and the NPC's line.
#include "ui/UiWorld.h"

#include "core/EnumTable.h"
#include "core/UserVarSystem.h"
#include "ui/UIMenu.h"

namespace {

const char kQuestSourceMenu[] = "name Q\nvisible 1\nsize 640 480\n"
                                "Widget { internalName Body userVar SelectedActiveQuest \"0\"\n}\n"
                                "Widget { internalName Offer entityType Selected\n}\n";

class QuestTextSources : public UiWorld {
protected:
    void SetUp() override
    {
        WriteMenu("q.mnu", kQuestSourceMenu);
        ui->RegisterCommands();
        view.player = true;
        view.playerEntity = 1;
        view.running = true;
        vars.SetStringByName("SelectedActiveQuest", "0");
    }
    std::string Build(const char* widget, const char* source, int32_t param = -1) const
    {
        return ui->FindWidgetByPath(std::string("Q::") + widget)
            ->BuildText({{EnumTable::LookupIn("UITextSource", source, true), param, ""}});
    }
};

TEST_F(QuestTextSources, TheQuestWindowsTextFollowsTheSlotItsUserVarNames)
{
    EXPECT_EQ(Build("Body", "QuestText"), "$$NoActiveQuests$$");
    view.questSlots = {0, 3};
    view.questTexts = {{0, "hunt"}, {3, "fetch"}};
    EXPECT_EQ(Build("Body", "QuestText"), "hunt");
    vars.SetStringByName("SelectedActiveQuest", "3");
    EXPECT_EQ(Build("Body", "QuestText"), "fetch");
    // A slot that is no whole number names none.
    for (const char* hostile : {"", "3x", "abc"}) {
        vars.SetStringByName("SelectedActiveQuest", hostile);
        EXPECT_EQ(Build("Body", "QuestText"), "") << hostile;
    }
    // Without a player there is nothing to tell, not even that it holds no quest.
    view.player = false;
    vars.SetStringByName("SelectedActiveQuest", "0");
    EXPECT_EQ(Build("Body", "QuestText"), "");
}

TEST_F(QuestTextSources, AnOfferShowsOnlyForAKnownQuestTheSelectedNpcStillGives)
{
    const std::string none = "$$NoNewQuestsAvailable$$";
    view.selectedEntity = 7;
    view.offeredTexts[{7, 2}] = "wolves";
    EXPECT_EQ(Build("Offer", "PotentialQuestText"), none);
    vars.SetStringByName("SelectedQuest", "2");
    EXPECT_EQ(Build("Offer", "PotentialQuestText"), none) << "a quest the client does not know";
    view.knownQuests = {2, 4};
    EXPECT_EQ(Build("Offer", "PotentialQuestText"), "wolves");
    vars.SetStringByName("SelectedQuest", "4");
    EXPECT_EQ(Build("Offer", "PotentialQuestText"), none) << "a quest this NPC does not give";
    vars.SetStringByName("SelectedQuest", "2 ");
    EXPECT_EQ(Build("Offer", "PotentialQuestText"), none);
    // Nobody selected: nothing at all.
    vars.SetStringByName("SelectedQuest", "2");
    view.selectedEntity = -1;
    EXPECT_EQ(Build("Offer", "PotentialQuestText"), "");
}

TEST_F(QuestTextSources, TheQuestToHandInAndTheTimedQuestAreTheirSlots)
{
    view.questTitles = {{1, "Hunt"}, {4, "Race"}};
    view.questTexts = {{1, "hunt body"}, {4, "race body"}};
    view.selectedEntity = 9;
    EXPECT_EQ(Build("Offer", "SolvedQuestText"), "");
    EXPECT_EQ(Build("Offer", "ShortestTimeQuestTitle"), "");
    EXPECT_EQ(Build("Offer", "ShortestTimeQuestTime"), "");
    view.solvingEntity = 9;
    view.solvedSlot = 1;
    EXPECT_EQ(Build("Offer", "SolvedQuestText"), "hunt body");
    EXPECT_EQ(Build("Offer", "SolvedQuestTitle"), "Hunt");
    view.selectedEntity = 8;
    EXPECT_EQ(Build("Offer", "SolvedQuestTitle"), "");
    view.shortestSlot = 4;
    view.shortestSeconds = 65.0f;
    EXPECT_EQ(Build("Offer", "ShortestTimeQuestTitle"), "Race");
    EXPECT_EQ(Build("Offer", "ShortestTimeQuestTime"), " 1:05");
    EXPECT_EQ(Build("Offer", "QuestTitle", 4), "Race");
    view.npcChat = "Mind the wolves.";
    EXPECT_EQ(Build("Offer", "NpcChatText"), "Mind the wolves.");
}

} // namespace

namespace {

const char kQuestWindowMenu[] = "name Quests\nsize 320 240\n"
                                "Widget { internalName Quest0 selectable 1 startsSelected 1\n}\n"
                                "Widget { internalName Quest1 selectable 1\n}\n"
                                "Widget { internalName Quest2 selectable 1\n}\n"
                                "Widget { internalName Body userVar SelectedActiveQuest \"0\"\n}\n";

class QuestWindowSlot : public UiWorld {};

TEST_F(QuestWindowSlot, ANewQuestOpensTheWindowWithOnlyItsSlotSelected)
{
    WriteMenu("quests.mnu", kQuestWindowMenu);
    ui->RegisterCommands();
    UIMenu* quests = ui->FindMenu("Quests");
    ASSERT_NE(quests, nullptr);
    ASSERT_FALSE(quests->IsShown());
    ui->ShowQuestSlot(2);
    EXPECT_TRUE(quests->IsShown());
    EXPECT_FALSE(ui->FindWidgetByPath("Quests::Quest0")->selected) << "the slot selected before is let go";
    EXPECT_TRUE(ui->FindWidgetByPath("Quests::Quest2")->selected);
    // Its text tells the slot's quest, though the window's first showing sets the text's var.
    EXPECT_EQ(vars.GetStringByName("SelectedActiveQuest"), "2");
    // Shown already, it stays shown and the selection moves; a slot without a row selects none.
    ui->ShowQuestSlot(1);
    EXPECT_TRUE(quests->IsShown());
    EXPECT_FALSE(ui->FindWidgetByPath("Quests::Quest2")->selected);
    EXPECT_TRUE(ui->FindWidgetByPath("Quests::Quest1")->selected);
    EXPECT_EQ(vars.GetStringByName("SelectedActiveQuest"), "1");
    ui->ShowQuestSlot(9);
    EXPECT_FALSE(ui->FindWidgetByPath("Quests::Quest1")->selected);
}

TEST_F(QuestWindowSlot, WithoutAQuestWindowNothingOpens)
{
    WriteMenu("other.mnu", "name Other\nsize 10 10\n");
    ui->RegisterCommands();
    ui->ShowQuestSlot(0);
    EXPECT_FALSE(ui->FindMenu("Other")->IsShown());
}

} // namespace
