// RelationsMenuEndToEndTest -- the shipped covenant relations screen in an offscreen window over a game with covenants: opened by its key, the lines between the cards on screen, the longest covenant name kept on its card and off every other card's words, every card deselected by right clicks, a raid with two ticked recruits ordered from its page and carried out by the world host, and a rumour about a rival priced on its page, refused while the store is short and paid for and told once it is not.
#include "app/OffscreenShots.h"

#include "client/ClientApp.h"
#include "client/GameClient.h"
#include "client/PlayerCovenantClient.h"
#include "core/ColorSystem.h"
#include "core/LocSystem.h"
#include "core/StringUtil.h"
#include "core/UserVarSystem.h"
#include "covenants/Covenant.h"
#include "covenants/PlayerCovenant.h"
#include "entities/Actor.h"
#include "entities/Player.h"
#include "render/TextEvents.h"
#include "render/TextMeasure.h"
#include "rules/GameData.h"
#include "rules/GameSystemTuning.h"
#include "rules/covenants/DiplomacyText.h"
#include "server/Game.h"
#include "server/WorldHost.h"
#include "ui/UISystem.h"
#include "ui/widgets/UIList.h"
#include "ui/UIWidget.h"
#include "ui/widgets/UIRelationsMenu.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

class RelationsMenuEndToEnd : public OffscreenShotGame {
protected:
    void SetUp() override
    {
        if (!std::getenv("EMBERLODE_GAME_DIR"))
            GTEST_SKIP() << "EMBERLODE_GAME_DIR not set";
        StartShippedGame();
    }

    void TearDown() override { KeepFailedFrame("RelationsMenuEndToEnd"); }

    void PressAt(int32_t x, int32_t y, uint8_t button)
    {
        PushMotion(x, y);
        app.RunFrame();
        for (bool down : {true, false}) {
            SDL_Event event{};
            event.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
            event.button.button = button;
            event.button.x = x;
            event.button.y = y;
            ASSERT_EQ(SDL_PushEvent(&event), 1);
            app.RunFrame();
        }
    }

    static UIRelationsMenu* Relations()
    {
        return dynamic_cast<UIRelationsMenu*>(gUISystem->FindMenu("CovenantRelations"));
    }

    // Where covenant i's card stands, read from the screen as laid out.
    static std::array<int32_t, 2> CardCentre(int32_t i)
    {
        const UIMenu& card = *Relations()->covenantCards[static_cast<size_t>(i)].card;
        return {static_cast<int32_t>(std::lround(card.position[0] + 32.0f)),
                static_cast<int32_t>(std::lround(card.position[1] + 32.0f))};
    }

    // Pixels of a line's colours (red to green, no blue) in the 9 x 9 box round the point.
    static int LinePixels(const TargaImage& image, int32_t x, int32_t y)
    {
        int count = 0;
        for (int dy = -4; dy <= 4; ++dy)
            for (int dx = -4; dx <= 4; ++dx) {
                std::array<int, 3> p = PixelAt(image, x + dx, y + dy);
                count += std::max(p[0], p[1]) > 110 && p[2] < 60;
            }
        return count;
    }

    // The box the widget's words are drawn in, read from the screen: the pixels that change by
    // much when the widget is hidden for a picture (the words; their dark ground changes them
    // little), [x0, x1) x [y0, y1) in the window's units; all zero when none do.
    std::array<int32_t, 4> WordsBox(UIWidget& widget)
    {
        TargaImage shown = Screenshot();
        widget.SetVisible(false);
        TargaImage hidden = Screenshot();
        widget.SetVisible(true);
        std::array<int32_t, 4> box = {640, 480, 0, 0};
        for (int y = 0; y < shown.GetHeight(); ++y)
            for (int x = 0; x < shown.GetWidth(); ++x) {
                std::array<int, 3> a = PixelAt(shown, x, y);
                std::array<int, 3> b = PixelAt(hidden, x, y);
                if (std::abs(a[0] - b[0]) + std::abs(a[1] - b[1]) + std::abs(a[2] - b[2]) <= kWordsChange)
                    continue;
                // The picture starts two rows down the window.
                box = {std::min(box[0], x), std::min(box[1], y + 2), std::max(box[2], x + 1), std::max(box[3], y + 3)};
            }
        if (box[2] <= box[0])
            return {0, 0, 0, 0};
        // The glyphs reach a pixel past the box the words are measured in.
        return {box[0] + 1, box[1] + 1, box[2] - 1, box[3] - 1};
    }
    static constexpr int kWordsChange = 150;

    // Every card's visible words: the card's number, the widget and the box they are drawn in.
    struct CardWords {
        int32_t card;
        const UIWidget* widget;
        std::array<int32_t, 4> box;
    };
    std::vector<CardWords> AllCardWords(int32_t count)
    {
        std::vector<CardWords> all;
        for (int32_t i = 0; i < count; ++i)
            for (UIWidget* words : Relations()->covenantCards[static_cast<size_t>(i)].card->GetWidgets())
                if (words->IsVisible() && (!words->text.empty() || !words->displayText.empty()))
                    all.push_back({i, words, WordsBox(*words)});
        return all;
    }

    // Whether the words of one box, or the dark backdrop 2 units round them, cover the other's.
    static bool Covers(const std::array<int32_t, 4>& a, const std::array<int32_t, 4>& b)
    {
        constexpr int32_t margin = 2;
        return a[0] - margin < b[2] && b[0] < a[2] + margin && a[1] - margin < b[3] && b[1] < a[3] + margin;
    }

    // Lit pixels of the legend's first line, x 90 to 150 about y 136 (the picture may be a few
    // pixels short of the window).
    static int LegendPixels(const TargaImage& image)
    {
        int best = 0;
        for (int y = 128; y <= 140; ++y) {
            int count = 0;
            for (int x = 90; x < 150; ++x) {
                std::array<int, 3> p = PixelAt(image, x, y);
                count += p[0] + p[1] + p[2] > 450;
            }
            best = std::max(best, count);
        }
        return best;
    }

    // Red pixels of the quick rumour's row on the diplomacy page.
    static int RedRumorPixels(const TargaImage& image)
    {
        return CountPixels(image, 102, 270, 538, 296, [](const std::array<int, 3>& p) {
            return p[0] > 150 && p[0] > p[1] + 70 && p[0] > p[2] + 70;
        });
    }

    // The world host's words about a rumour on that covenant, as the screen's texts hold them.
    static int RumorLines(const Covenant& target)
    {
        int count = 0;
        for (const TextEvents::Record& record : gTextEvents->GetRecords())
            count += record.text.rfind("$$Rumor", 0) == 0 &&
                     record.text.find(DiplomacyText::CovenantLine(target)) != std::string::npos;
        return count;
    }

    // Two of the world's creatures join the player's covenant on the host, as recruiting them would.
    static void GiveTwoRecruits(PlayerCovenant& covenant)
    {
        int32_t given = 0;
        for (int32_t number = 0; number < 1500 && given < 2; ++number) {
            auto* actor = dynamic_cast<Actor*>(gGame->GetEntity(number));
            // A rival's member at its home is not the world's to give.
            if (!actor || dynamic_cast<Player*>(actor) || actor->IsDead() || covenant.IsMember(*actor) ||
                actor->covenantIndex != -1)
                continue;
            covenant.AddRecruit(*actor);
            given += covenant.IsMember(*actor) ? 1 : 0;
        }
        ASSERT_EQ(given, 2);
    }
};

} // namespace

TEST_F(RelationsMenuEndToEnd, TheKeyOpensTheRingWhoseLinesRightClicksClearAndTheRaidPageOrdersARaid)
{
    EnterTheWorld();
    ASSERT_TRUE(gClientApp->IsActive());
    int32_t count = gGameClient->GetCovenantCount();
    ASSERT_GE(count, 3) << "a new game has rival covenants";
    Tap(SDL_SCANCODE_R);
    ASSERT_NE(Relations(), nullptr);
    ASSERT_TRUE(Relations()->IsShown());
    Frames(2);

    // Each chord between neighbouring cards shows a line at its middle.
    TargaImage lines = Screenshot();
    for (int32_t i = 0; i < count; ++i) {
        std::array<int32_t, 2> a = CardCentre(i);
        std::array<int32_t, 2> b = CardCentre((i + 1) % count);
        EXPECT_GT(LinePixels(lines, (a[0] + b[0]) / 2, (a[1] + b[1]) / 2), 6) << i;
    }
    EXPECT_GT(LegendPixels(lines), 40);
    // The key that opened the ring closes it, and opens it again.
    Tap(SDL_SCANCODE_R);
    EXPECT_FALSE(Relations()->IsShown());
    Tap(SDL_SCANCODE_R);
    ASSERT_TRUE(Relations()->IsShown());
    Frames(2);

    for (int32_t i = 0; i < count; ++i)
        PressAt(CardCentre(i)[0], CardCentre(i)[1], SDL_BUTTON_RIGHT);
    TargaImage none = Screenshot();
    for (int32_t i = 0; i < count; ++i) {
        EXPECT_FALSE(Relations()->covenantCards[static_cast<size_t>(i)].selected) << i;
        std::array<int32_t, 2> a = CardCentre(i);
        std::array<int32_t, 2> b = CardCentre((i + 1) % count);
        EXPECT_EQ(LinePixels(none, (a[0] + b[0]) / 2, (a[1] + b[1]) / 2), 0) << i;
    }
    EXPECT_GT(LegendPixels(none), 40) << "the legend's first line stays";

    // A rival's card, its raid page, two recruits ticked and the raid started.
    int32_t own = gClientApp->GetLocalPlayer()->GetCovenant()->index;
    int32_t rival = own == 1 ? 2 : 1;
    auto* covenant = dynamic_cast<PlayerCovenant*>(gGame->GetCovenant(own));
    ASSERT_NE(covenant, nullptr);
    GiveTwoRecruits(*covenant);
    Frames(3);
    PressAt(CardCentre(rival)[0], CardCentre(rival)[1], SDL_BUTTON_LEFT);
    EXPECT_EQ(Relations()->GetCurrentPage(), gUISystem->FindMenu("RelationsDiplomacy"));
    ClickAt(86, 451);
    ASSERT_EQ(Relations()->GetCurrentPage(), gUISystem->FindMenu("RelationsRaid"));
    ASSERT_GE(gClientApp->GetLocalPlayer()->GetCovenant()->GetRecruitCount(), 2);
    ClickAt(320, 150);
    ClickAt(320, 170);
    ClickAt(86, 451);
    Frames(4);
    Player* host = HostPlayer();
    ASSERT_NE(host, nullptr);
    EXPECT_EQ(covenant->targetCovenant, rival);
    EXPECT_EQ(host->CountCompanions(), 2);
}

// With nobody in the covenant to take along, the raid page says so where the list would be,
// instead of an empty box under "Tick who rides with you".
TEST_F(RelationsMenuEndToEnd, TheRaidPageSaysSoWhenNobodyCanRideAlong)
{
    EnterTheWorld();
    ASSERT_TRUE(gClientApp->IsActive());
    ASSERT_EQ(gClientApp->GetLocalPlayer()->GetCovenant()->GetRecruitCount(), 0);
    Tap(SDL_SCANCODE_R);
    ASSERT_NE(Relations(), nullptr);
    Frames(2);
    int32_t own = gClientApp->GetLocalPlayer()->GetCovenant()->index;
    int32_t rival = own == 1 ? 2 : 1;
    PressAt(CardCentre(rival)[0], CardCentre(rival)[1], SDL_BUTTON_LEFT);
    ClickAt(86, 451);
    ASSERT_EQ(Relations()->GetCurrentPage(), gUISystem->FindMenu("RelationsRaid"));
    Frames(2);
    auto* list = dynamic_cast<UIList*>(gUISystem->FindWidgetByPath("RelationsRaid::RaidNpcList"));
    ASSERT_NE(list, nullptr);
    ASSERT_TRUE(list->rows.empty());
    TargaImage page = Screenshot();
    int32_t x = static_cast<int32_t>(list->GetScreenPosition().x);
    int32_t y = static_cast<int32_t>(list->GetScreenPosition().y);
    int32_t right = x + static_cast<int32_t>(list->size[0]);
    EXPECT_GT(BrightPixels(page, x, y, right, y + 40, 150), 40) << "the list's place says why it is empty";
    EXPECT_EQ(BrightPixels(page, right, y, 638, y + 60, 150), 0) << "the words run out of the list";
}

// Both charts stand on drawn axes, with the covenants' legend above them.
TEST_F(RelationsMenuEndToEnd, TheChartsHaveAxesAndALegend)
{
    EnterTheWorld();
    ASSERT_TRUE(gClientApp->IsActive());
    Tap(SDL_SCANCODE_R);
    ASSERT_NE(Relations(), nullptr);
    Frames(2);
    for (int32_t button : {394, 426}) {
        SCOPED_TRACE(button);
        ClickAt(86, button);
        Frames(2);
        TargaImage chart = Screenshot();
        EXPECT_GT(BrightPixels(chart, 98, 110, 102, 370, 120), 400) << "the value axis";
        EXPECT_GT(BrightPixels(chart, 110, 378, 530, 382, 120), 350) << "the time axis";
        EXPECT_GT(CountPixels(chart, 100, 42, 540, 74, [](const auto& p) { return std::max({p[0], p[1], p[2]}) > 120; }),
                  100)
            << "the legend";
        Tap(SDL_SCANCODE_ESCAPE);
        Frames(1);
        if (!Relations()->IsShown())
            Tap(SDL_SCANCODE_R);
        Frames(2);
    }
}

// The lines join the cards' centres, where each card writes its covenant's names: the words stay
// as they are whether the lines are drawn under them or not.
TEST_F(RelationsMenuEndToEnd, TheLinesBetweenTheCardsRunUnderTheCovenantsNamesNotOverThem)
{
    EnterTheWorld();
    int32_t count = gGameClient->GetCovenantCount();
    ASSERT_GE(count, 3) << "a new game has rival covenants";
    Tap(SDL_SCANCODE_R);
    ASSERT_TRUE(Relations() && Relations()->IsShown());
    Frames(2);
    // The notices over the screen (the level's name on arrival) are not the cards' to keep.
    gTextEvents->RemoveAll();
    TargaImage lined = Screenshot();
    for (const char* var : {"rel_showRelations", "rel_showTreaties", "rel_showTradeRoutes"})
        gUserVarSystem->SetStringByName(var, "0");
    TargaImage bare = Screenshot();
    for (int32_t i = 0; i < count; ++i) {
        const UIMenu& card = *Relations()->covenantCards[static_cast<size_t>(i)].card;
        // The name in the middle of the card, the coloured name over it and the lines beside it.
        int32_t written = 0;
        for (UIWidget* words : card.GetWidgets()) {
            if (!words->IsVisible() || (words->text.empty() && words->displayText.empty()))
                continue;
            std::array<int32_t, 4> box = WordsBox(*words);
            written += box[2] > box[0] ? 1 : 0;
            EXPECT_LE(ChangedPixels(lined, bare, box[0], box[1], box[2], box[3], 60), 2)
                << "a line crosses the words \"" << WideToNarrow(words->displayText) << words->text << "\" on card " << i;
        }
        EXPECT_GE(written, 5) << "card " << i << " writes its two names and three lines";
    }
    // Drawn at all: the lines between neighbours still show between the cards.
    std::array<int32_t, 2> a = CardCentre(0);
    std::array<int32_t, 2> b = CardCentre(1);
    EXPECT_GT(LinePixels(lined, (a[0] + b[0]) / 2, (a[1] + b[1]) / 2), 6);
    EXPECT_EQ(LinePixels(bare, (a[0] + b[0]) / 2, (a[1] + b[1]) / 2), 0);
}

// The longest covenant name the new-character screen takes, of its widest letter: on the ring the
// player's card keeps it within the card, and no card's words (or their backdrops) cover another's.
TEST_F(RelationsMenuEndToEnd, TheLongestCovenantNameStaysOnItsCardAndCoversNoOtherWords)
{
    // As many rivals as the screen offers, so the ring is as tight as it gets.
    ClickAt(320, 196);
    ClickAt(346, 275);
    ASSERT_EQ(gUserVarSystem->GetStringByName("NumCovenants"), "6");
    EnterTheWorld(std::string(30, 'W'));
    ASSERT_EQ(gUserVarSystem->GetStringByName("CovenantName"), std::string(24, 'W')) << "the field takes 24 letters";
    int32_t count = gGameClient->GetCovenantCount();
    ASSERT_GE(count, 4) << "every rival the shipped world takes, and the player's own";
    Tap(SDL_SCANCODE_R);
    ASSERT_TRUE(Relations() && Relations()->IsShown());
    Frames(2);
    int32_t own = gClientApp->GetLocalPlayer()->GetCovenant()->index;
    const UIMenu& card = *Relations()->covenantCards[static_cast<size_t>(own)].card;
    std::array<int32_t, 4> name = WordsBox(*Relations()->covenantCards[static_cast<size_t>(own)].nameWidget);
    ASSERT_GT(name[2], name[0]) << "the name is written";
    EXPECT_GE(name[0], static_cast<int32_t>(card.position[0]));
    EXPECT_LE(name[2], static_cast<int32_t>(card.position[0] + 64.0f)) << "the name keeps to the card's width";
    EXPECT_GE(name[1], static_cast<int32_t>(card.position[1]));
    EXPECT_LE(name[3], static_cast<int32_t>(card.position[1] + 64.0f));

    std::vector<CardWords> all = AllCardWords(count);
    EXPECT_GE(all.size(), static_cast<size_t>(5 * count)) << "each card its two names and three lines";
    for (size_t a = 0; a < all.size(); ++a)
        for (size_t b = a + 1; b < all.size(); ++b)
            EXPECT_FALSE(Covers(all[a].box, all[b].box))
                << "card " << all[a].card << " \"" << WideToNarrow(all[a].widget->displayText) << all[a].widget->text
                << "\" and card " << all[b].card << " \"" << WideToNarrow(all[b].widget->displayText) << all[b].widget->text << "\"";
}

TEST_F(RelationsMenuEndToEnd, ARumourAboutARivalIsPricedOnItsPageRefusedWhileTheStoreIsShortAndPaidOnceItIsNot)
{
    EnterTheWorld();
    int32_t own = gClientApp->GetLocalPlayer()->GetCovenant()->index;
    int32_t rival = own == 1 ? 2 : 1;
    Covenant* store = gGame->GetCovenant(own);
    const Covenant* target = gGame->GetCovenant(rival);
    ASSERT_NE(store, nullptr);
    ASSERT_NE(target, nullptr);
    int32_t cost = static_cast<int32_t>(std::ceil(gGameData->GetTuning().rumorCostPerLevel[0] * target->leaderLevel));
    ASSERT_GT(cost, 0);
    store->statistics.Set(CovenantStat::Money, cost - 1);
    Tap(SDL_SCANCODE_R);
    ASSERT_TRUE(Relations()->IsShown());
    Frames(3);
    PressAt(CardCentre(rival)[0], CardCentre(rival)[1], SDL_BUTTON_LEFT);
    ASSERT_EQ(Relations()->GetCurrentPage(), gUISystem->FindMenu("RelationsDiplomacy"));
    ASSERT_EQ(gGameClient->selectedCovenant, rival) << "the rumour is about the covenant whose card was clicked";
    Frames(2);

    // Each of the three kinds with its price; the store one crystal short shows the quick one red.
    for (int32_t kind = 0; kind < 3; ++kind) {
        const char* rows[] = {"RumorQuickLabel", "RumorPlannedLabel", "RumorCraftedLabel"};
        const UIWidget* row = gUISystem->FindWidgetByPath(std::string("RelationsDiplomacy::") + rows[kind]);
        ASSERT_NE(row, nullptr) << kind;
        int32_t price = static_cast<int32_t>(
            std::ceil(gGameData->GetTuning().rumorCostPerLevel[static_cast<size_t>(kind)] * target->leaderLevel));
        EXPECT_EQ(row->text, StringFormat("$$RumorText%d$$", kind + 1) +
                                 MakeLocToken("RumorCost", "%s%d", ColorSystem::MakeColorCode(1).c_str(), price))
            << kind;
    }
    EXPECT_GT(RedRumorPixels(Screenshot()), 20);
    const UIWidget* purse = gUISystem->FindWidgetByPath("RelationsDiplomacy::RumorPurse");
    ASSERT_NE(purse, nullptr);
    EXPECT_EQ(purse->text, StringFormat("%d $$Crystals$$", cost - 1)) << "the store the prices are measured against";
    int32_t before = RumorLines(*target);
    ClickAt(320, 283);
    Frames(4);
    EXPECT_EQ(store->statistics.Get(CovenantStat::Money), cost - 1) << "a store short of the price pays nothing";
    EXPECT_EQ(RumorLines(*target), before) << "and nothing is told";

    store->statistics.Set(CovenantStat::Money, cost * 3);
    Frames(4);
    EXPECT_EQ(RedRumorPixels(Screenshot()), 0) << "the price is within the store now";
    ClickAt(320, 283);
    Frames(4);
    EXPECT_EQ(store->statistics.Get(CovenantStat::Money), cost * 2) << "the world host took the price";
    EXPECT_GT(RumorLines(*target), before) << "and told how the rumour about the rival went";
    EXPECT_EQ(Relations()->GetCurrentPage(), gUISystem->FindMenu("RelationsDiplomacy")) << "the page stays";
}
