// TownWindowsEndToEndTest -- the shipped game offscreen, the town's people clicked through SDL: the window each one opens keeps every row of its lists inside the list, in the list's own font, so a quest's title is never cut off before its place.
#include "app/OffscreenShots.h"

#include "client/EntityClient.h"
#include "client/GameClient.h"
#include "core/LocSystem.h"
#include "entities/Actor.h"
#include "entities/Player.h"
#include "render/TextEvents.h"
#include "render/TextMeasure.h"
#include "rules/RulesEnums.h"
#include "server/Game.h"
#include "server/quests/GameQuests.h"
#include "server/quests/Quest.h"
#include "ui/UISystem.h"
#include "ui/UIWidget.h"
#include "ui/widgets/UIList.h"
#include "ui/widgets/UIText.h"

#include <cstdlib>
#include <string>
#include <vector>

namespace {

class TownWindowsEndToEnd : public OffscreenShotGame {
protected:
    void SetUp() override
    {
        if (!std::getenv("EMBERLODE_GAME_DIR"))
            GTEST_SKIP() << "EMBERLODE_GAME_DIR not set";
        StartInANewWorld();
    }

    void TearDown() override { KeepFailedFrame("TownWindowsEndToEnd"); }

    // Left clicks where the client's own pick finds the entity until the window shows.
    bool ClickUntilShown(const EntityClient& entity, const char* menu)
    {
        for (int click = 0; click < 6 && !Shown(menu); ++click) {
            int32_t x = 0;
            int32_t y = 0;
            if (!FindPickPoint(entity, x, y))
                return false;
            ClickAt(x, y);
            for (int i = 0; i < 40 && !Shown(menu); ++i)
                Frame();
        }
        return Shown(menu);
    }

    // The window closed by Escape (a second one, with nothing left to close, opens the game menu,
    // which a third closes), and the townsperson sent off so the next one clicked stands alone.
    void LeaveAndSendAway(Actor& npc)
    {
        Tap(SDL_SCANCODE_ESCAPE);
        Tap(SDL_SCANCODE_ESCAPE);
        Frames(2);
        if (Shown("GameMenu"))
            Tap(SDL_SCANCODE_ESCAPE);
        npc.SetPosition(npc.position.Offset(Vector2{0.0f, 400.0f}));
        Frames(2);
    }

    // Every row of every list of the shown windows that is wider than its list; counts the rows.
    static std::vector<std::string> RowsPastTheirList(int32_t& rows)
    {
        std::vector<std::string> faults;
        for (const UIMenu* menu : gUISystem->GetMenus()) {
            if (!menu->IsShown())
                continue;
            for (const UIWidget* widget : menu->GetWidgets()) {
                const auto* list = dynamic_cast<const UIList*>(widget);
                if (!list || !list->IsVisible())
                    continue;
                for (int32_t row = 0; row < static_cast<int32_t>(list->rows.size()); ++row) {
                    std::string text = list->RowText(row);
                    TextSize size = MeasureTextW(list->font, gLocSystem->TranslateToWide(text));
                    ++rows;
                    if (size.width > list->size[0] + 1.0f)
                        faults.push_back(menu->name + "::" + list->internalName + " row \"" +
                                         gLocSystem->Translate(text) + "\" is " + std::to_string(size.width) +
                                         " wide in a list of " + std::to_string(list->size[0]));
                }
            }
        }
        return faults;
    }
};

// The titles of the work the town's people offer, as the host's quests title them for the player.
std::vector<std::string> HostTitles(const UIList& list, int32_t level)
{
    std::vector<std::string> titles;
    for (const auto& row : list.rows) {
        Quest* quest = gGame->GetQuests().GetQuest(std::atoi(row->value.c_str()));
        titles.push_back(quest ? gLocSystem->Translate(quest->BuildTitle(level, false)) : std::string());
    }
    return titles;
}

// The warmaster's work, the weaponsmith's work beside its goods and the steward's: each title of
// work on offer names its place as the host's quest does ("Clear 13 Foes from" named none) and is
// read whole in its row.
TEST_F(TownWindowsEndToEnd, TheWorkOnOfferInATownspersonsWindowFitsItsRows)
{
    // Work for a player of some standing names far places: the longest titles.
    HostPlayer()->stats.Set(CharacterStat::Level, 8);
    const std::pair<int32_t, const char*> people[] = {
        {NpcType::Warmaster, "QuestNpcMenu"}, {NpcType::VendorWeapon, "VendorMenuWithQuests"}, {NpcType::Steward, "QuestNpcMenu"}};
    int32_t rows = 0;
    for (const auto& [type, menu] : people) {
        auto* npc = dynamic_cast<Actor*>(gGame->GetTownNpc(type));
        ASSERT_NE(npc, nullptr) << type;
        EntityClient* shown = BesideThePlayer(*npc);
        ASSERT_NE(shown, nullptr) << type;
        ASSERT_TRUE(ClickUntilShown(*shown, menu)) << menu;
        Frames(10);
        Screenshot();
        std::vector<std::string> faults = RowsPastTheirList(rows);
        for (const std::string& fault : faults)
            ADD_FAILURE() << fault;
        const auto* offers = dynamic_cast<const UIList*>(
            gUISystem->FindWidgetByPath((std::string(menu) + "::Offers").c_str()));
        ASSERT_NE(offers, nullptr) << menu;
        std::vector<std::string> titles = HostTitles(*offers, HostPlayer()->stats.Get(CharacterStat::Level));
        for (size_t row = 0; row < offers->rows.size(); ++row)
            EXPECT_EQ(gLocSystem->Translate(offers->rows[row]->name), titles[row]) << menu << " row " << row;
        LeaveAndSendAway(*npc);
    }
    EXPECT_GE(rows, 3) << "the windows list their work";
}

// Every townsperson's talk offered to join, and the tutor then said it had no wish to, while
// nothing a player could click started the tutorial. The recruit's window offers to join; the
// tutor's offers its lessons and its leave, each drawn and fitting its button, below a line read
// whole, and the lessons start the tutorial's first step for the player through the world host.
// A lesson done went back to nobody, so the tutorial stalled after its first: the tutor clicked
// with it done shows its hand-in window, whose button hands it in and brings the next lesson.
TEST_F(TownWindowsEndToEnd, TheRecruitOffersToJoinAndTheTutorItsLessons)
{
    auto* tutor = dynamic_cast<Actor*>(gGame->GetTutor());
    ASSERT_NE(tutor, nullptr) << "a newcomer's town has its tutor";
    auto* recruit = dynamic_cast<Actor*>(gGame->GetTownNpc(NpcType::Recruit));
    ASSERT_NE(recruit, nullptr);
    for (Actor* npc : {recruit, tutor}) {
        bool joins = npc == recruit;
        SCOPED_TRACE(joins ? "the recruit" : "the tutor");
        EntityClient* shown = BesideThePlayer(*npc);
        ASSERT_NE(shown, nullptr);
        ASSERT_TRUE(ClickUntilShown(*shown, "NpcMenu"));
        FramesUntil([] { return !gGameClient->npcChatText.empty(); });
        Frames(2);
        const auto* chat = dynamic_cast<const UIText*>(gUISystem->FindWidgetByPath("NpcMenu::Chat"));
        ASSERT_NE(chat, nullptr);
        EXPECT_FALSE(chat->lines.empty()) << "its line is not shown";
        EXPECT_LE(static_cast<int32_t>(chat->lines.size()), chat->visibleLines)
            << "its line is read whole, unscrolled: " << chat->lines.size() << " lines in " << chat->visibleLines;
        for (const std::string name : {"JoinHouse", "JoinParty", "TutorLessons", "TutorSkip"}) {
            const UIWidget* button = gUISystem->FindWidgetByPath(("NpcMenu::" + name).c_str());
            const UIWidget* label = gUISystem->FindWidgetByPath(("NpcMenu::" + name + "Label").c_str());
            ASSERT_NE(button, nullptr) << name;
            ASSERT_NE(label, nullptr) << name;
            bool offered = (name.rfind("Join", 0) == 0) == joins;
            EXPECT_EQ(button->IsVisible(), offered) << name;
            EXPECT_EQ(label->IsVisible(), offered) << name;
            TextSize words = MeasureTextW(label->font, gLocSystem->TranslateToWide(label->text));
            EXPECT_LE(words.width, button->size[0] - 8.0f) << name << " reads past its button";
        }
        TargaImage talk = Screenshot();
        EXPECT_GT(BrightPixels(talk, 180, 258, 460, 284), 40) << "the first offer's words are not drawn";
        EXPECT_GT(BrightPixels(talk, 180, 288, 460, 314), 40) << "the second offer's words are not drawn";
        if (npc == tutor)
            break;
        LeaveAndSendAway(*npc);
    }

    auto firstStep = [] {
        for (const auto& quest : gGame->GetQuests().GetList())
            if (quest && quest->type == QuestType::TutorialEquipWeapon && HostPlayer()->HasQuest(quest->questId))
                return quest.get();
        return static_cast<Quest*>(nullptr);
    };
    ASSERT_EQ(firstStep(), nullptr) << "no lesson before the tutor is asked";
    ClickOn(*gUISystem->FindWidgetByPath("NpcMenu::TutorLessons"));
    FramesUntil([&] { return firstStep() != nullptr; });
    EXPECT_NE(firstStep(), nullptr) << "the lessons start with their first step, the player's";
    EXPECT_FALSE(Shown("NpcMenu"));
    // A restart ends the tutorial that was before it, tutor and all; the lessons have one again.
    FramesUntil([] { return gGame->GetTutor() != nullptr; });
    EXPECT_NE(gGame->GetTutor(), nullptr) << "a tutor stands in town for the lessons";

    // The first lesson shows itself, and is done already: a newcomer holds a weapon.
    Quest* arm = firstStep();
    ASSERT_NE(arm, nullptr);
    int32_t armNumber = arm->questId;
    EXPECT_TRUE(Shown("Quests")) << "the new lesson opens the quest window";
    Tap(SDL_SCANCODE_ESCAPE);
    ASSERT_TRUE(HostPlayer()->IsQuestComplete(armNumber));
    std::string titleToken = arm->BuildTitle(HostPlayer()->position.level, false);
    std::string title = gLocSystem->Translate(titleToken);
    std::string news = gLocSystem->Translate(MakeLocToken("QuestSolved", "%s", titleToken.c_str()));
    // The new tutor set down west of the player: the one sent away still fades out to the east.
    tutor = dynamic_cast<Actor*>(gGame->GetTutor());
    ASSERT_NE(tutor, nullptr);
    tutor->SetPosition(HostPlayer()->position.Offset(Vector2{-60.0f, 0.0f}));
    Frames(4);
    EntityClient* shown = gGameClient->GetEntity(tutor->entityNumber);
    ASSERT_NE(shown, nullptr);
    ASSERT_TRUE(ClickUntilShown(*shown, "SolveQuest")) << "the tutor takes back its lesson";
    Frames(2);
    const UIWidget* quest = gUISystem->FindWidgetByPath("SolveQuest::Quest");
    ASSERT_NE(quest, nullptr);
    EXPECT_EQ(gLocSystem->Translate(quest->BuildText(quest->textSource)).rfind(title, 0), 0u)
        << "its title heads the window";
    TargaImage handIn = Screenshot();
    EXPECT_GT(BrightPixels(handIn, 152, 96, 488, 118), 40) << "the lesson's title is not drawn";
    ClickOn(*gUISystem->FindWidgetByPath("SolveQuest::HandIn"));
    auto nextStep = [] {
        for (const auto& step : gGame->GetQuests().GetList())
            if (step && step->type == QuestType::TutorialGetQuest && HostPlayer()->HasQuest(step->questId))
                return true;
        return false;
    };
    FramesUntil(nextStep);
    EXPECT_FALSE(HostPlayer()->HasQuest(armNumber)) << "handed in";
    EXPECT_TRUE(nextStep()) << "the next lesson follows";
    // The player is told: the news of the lesson solved, and the next one in its window.
    auto toldSolved = [&news] {
        for (const TextEvents::Record& record : gTextEvents->GetRecords())
            if (gLocSystem->Translate(record.text) == news)
                return true;
        return false;
    };
    FramesUntil([&] { return Shown("Quests") && toldSolved(); });
    EXPECT_TRUE(toldSolved()) << "no news of the lesson handed in";
    EXPECT_FALSE(Shown("SolveQuest"));
    EXPECT_TRUE(Shown("Quests")) << "the next lesson opens the quest window";
    const UIWidget* body = gUISystem->FindWidgetByPath("Quests::Body");
    ASSERT_NE(body, nullptr);
    EXPECT_NE(body->BuildText(body->textSource).find("QuestTextTutorialGetQuest"), std::string::npos)
        << "the window tells the next lesson: " << body->BuildText(body->textSource);
    Screenshot();

    // The lessons started the tutorial over mid-lesson, the recruit quests gone with it: with the
    // next lesson running (work is held already, the story's), the tutor offers only its leave.
    auto givers = [] {
        for (const auto& step : gGame->GetQuests().GetList())
            if (step && step->type == QuestType::TutorialTalkToQuestGivers && HostPlayer()->HasQuest(step->questId))
                return true;
        return false;
    };
    Tap(SDL_SCANCODE_ESCAPE);
    ASSERT_TRUE(ClickUntilShown(*shown, "SolveQuest"));
    ClickOn(*gUISystem->FindWidgetByPath("SolveQuest::HandIn"));
    FramesUntil([&] { return givers() && Shown("Quests"); });
    ASSERT_TRUE(givers());
    Tap(SDL_SCANCODE_ESCAPE);
    ASSERT_TRUE(ClickUntilShown(*shown, "NpcMenu")) << "the tutor talks during a lesson";
    Frames(2);
    EXPECT_FALSE(gUISystem->FindWidgetByPath("NpcMenu::TutorLessons")->IsVisible()) << "offered during a lesson";
    EXPECT_TRUE(gUISystem->FindWidgetByPath("NpcMenu::TutorSkip")->IsVisible());
    TargaImage during = Screenshot();
    EXPECT_LT(BrightPixels(during, 180, 258, 460, 284), 10) << "the lessons' words are drawn";
    ClickOn(*gUISystem->FindWidgetByPath("NpcMenu::TutorLessons"));
    FramesUntil([&] { return !givers(); });
    EXPECT_TRUE(givers()) << "the lesson running was dropped";
    EXPECT_EQ(gGame->GetTutor(), tutor) << "the tutor was sent away";
}

// A would-be recruit's trial and a creature's work are offered in lists of their own windows,
// whose rows ran out of the window over the buttons beside it.
TEST_F(TownWindowsEndToEnd, TheWorkAWouldBeRecruitOrACreatureOffersFitsItsRows)
{
    HostPlayer()->stats.Set(CharacterStat::Level, 6);
    const std::pair<const char*, const char*> offers[] = {{"QuestRecruit", "NpcPotentialRecruitMenu"},
                                                          {"QuestMonsterQuest", "GetQuest"}};
    int32_t rows = 0;
    for (const auto& [record, menu] : offers) {
        Quest* quest = nullptr;
        Actor* figure = StartQuestWithFigure(record, quest);
        ASSERT_NE(figure, nullptr) << record;
        EntityClient* shown = BesideThePlayer(*figure);
        ASSERT_NE(shown, nullptr) << record;
        for (int i = 0; i < 40 && shown->questOffers.empty(); ++i)
            Frame();
        ASSERT_TRUE(ClickUntilShown(*shown, menu)) << menu;
        Frames(10);
        Screenshot();
        int32_t before = rows;
        for (const std::string& fault : RowsPastTheirList(rows))
            ADD_FAILURE() << fault;
        EXPECT_GT(rows, before) << menu << " lists the work";
        Tap(SDL_SCANCODE_ESCAPE);
        Frames(2);
        if (Shown("GameMenu"))
            Tap(SDL_SCANCODE_ESCAPE);
        gGame->RemoveEntity(figure);
        delete figure;
        Frames(2);
    }
}

} // namespace
