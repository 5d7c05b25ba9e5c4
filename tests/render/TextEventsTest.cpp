// TextEventsTest -- notices and the message log on a fake clock: slots, expiry and the saved cap, browsing through the console, holding and fading as drawn, the save round trip and hostile saves.
#include "resources/shaders/ShaderWorld.h"

#include "core/CommandSystem.h"
#include "core/MessageBuffer.h"
#include "core/UserVarSystem.h"
#include "core/system/TimerSystem.h"
#include "render/FakeFrameScene.h"
#include "render/FrameUi.h"
#include "render/TextEvents.h"
#include "resources/fonts/ScreenText.h"
#include "support/LogLines.h"

#include <sstream>

namespace text_events_test {

class TextEventsClock : public TimerSystem {
public:
    uint32_t GetTime() override { return now; }
    uint32_t now = 1000;
};

class TextEventsUi : public FrameUi {
public:
    bool IsFullScreenMenuShown() const override { return fullScreen; }
    bool IsBlockingMenuShown() const override { return blocking; }
    void DrawHelpBottom(float) override {}
    void UpdateAndDraw(float) override {}
    void DrawHelpTop(float) override {}
    void DrawCursor() override {}
    Vector2 GetLogPosition() const override { return {20.0f, 300.0f}; }
    Vector2 GetAlternateLogOffset() const override { return {0.0f, -40.0f}; }
    void GetWindowBoxes(std::vector<WidgetBox>& out) const override { out = boxes; }
    std::vector<WidgetBox> boxes;
    bool blocking = false;
    bool fullScreen = false;
};

// Every byte is a glyph 6 wide and 10 high.
std::string MakeTextEventsFont()
{
    std::ostringstream text;
    text << "size 8\ncharIndexes {\n";
    for (int byte = 0; byte < 256; ++byte)
        text << byte << ' ';
    text << "}\ncharData {\n";
    for (int glyph = 0; glyph < 256; ++glyph)
        text << "0 0 0.1 0.1 6 10\n";
    text << "}\n";
    return text.str();
}

class TextEvents : public ShaderWorld {
protected:
    TextEvents()
    {
        gTimerSystem = &clock;
        clock.UpdateClock();
        events.RegisterCommands();
    }
    ~TextEvents() override
    {
        gScreenText = nullptr;
        gTimerSystem = nullptr;
    }
    void TearDown() override
    {
        if (gScreenText)
            text.LoadFontLadder({"", "", "", ""});
        ShaderWorld::TearDown();
    }

    void LoadFonts()
    {
        StartShaders();
        text.RegisterVars();
        gUserVarSystem->SetStringByName("r_higherResFonts", "0");
        gScreenText = &text;
        WriteAsset("Fonts/f.fnt", MakeTextEventsFont());
        WriteTarga("Textures/Fonts/f.tga", 8, 8);
        text.LoadFontLadder({"Fonts/f.fnt", "Fonts/f.fnt", "Fonts/f.fnt", "Fonts/f.fnt"});
    }

    void Advance(float seconds)
    {
        clock.now += static_cast<uint32_t>(seconds * 1000.0f);
        clock.UpdateClock();
    }

    void AddLog(const std::string& line, float duration = 5.0f)
    {
        events.AddTextEvent(line, 20.0f, 300.0f, duration, ::TextEvents::kLogKind, false, true);
    }

    // The alpha bytes and top y of each text batch drawn, in order.
    std::vector<std::pair<int, float>> DrawnTexts(bool logPass, float seconds, bool mapShown = false)
    {
        device.Clear();
        events.DrawTextEvents(logPass, seconds, &ui, &scene, mapShown);
        std::vector<std::pair<int, float>> out;
        for (const DeviceBatch& batch : device.GetBatches())
            if (!batch.vertices.empty())
                out.emplace_back(batch.vertices[0].color[3], batch.vertices[0].position[1]);
        return out;
    }

    TextEventsClock clock;
    ::TextEvents events;
    ScreenText text{&device};
    TextEventsUi ui;
    FakeFrameScene scene;
};


TEST_F(TextEvents, SlotKindsReuseTheirRecordAndIndependentOnesPileUp)
{
    events.AddTextEvent("first", 10.0f, 10.0f, 2.0f, 2, false, false);
    Advance(1.0f);
    events.AddTextEvent("second", 30.0f, 40.0f, 2.0f, 2, false, false);
    events.AddTextEvent("a", 0.0f, 0.0f, 2.0f, 0, false, false);
    events.AddTextEvent("b", 0.0f, 0.0f, 2.0f, 0, false, false);
    events.AddTextEvent("again", 0.0f, 0.0f, 2.0f, 2, false, true);
    ASSERT_EQ(events.GetRecords().size(), 4u);
    const ::TextEvents::Record* slot = events.FindTextEvent(2);
    ASSERT_NE(slot, nullptr);
    EXPECT_EQ(slot->text, "second");
    EXPECT_EQ(slot->x, 30.0f);
    EXPECT_EQ(slot->expiry.seconds, 3.0f);
    EXPECT_EQ(slot->fadeEnd.seconds, 4.0f);
    EXPECT_EQ(events.GetRecords().front().text, "second");
    EXPECT_EQ(events.FindTextEvent(0), nullptr);
}

TEST_F(TextEvents, NoticesGoAfterTheirFadeWhileLogLinesStayInactive)
{
    events.AddTextEvent("notice", 0.0f, 0.0f, 1.0f, 3, false, false);
    AddLog("line", 1.0f);
    Advance(1.9f);
    events.ExpireTextEvents();
    EXPECT_EQ(events.GetRecords().size(), 2u);
    EXPECT_EQ(events.GetLogActive(), 1);
    Advance(0.1f);
    events.ExpireTextEvents();
    ASSERT_EQ(events.GetRecords().size(), 1u);
    EXPECT_FALSE(events.GetRecords().front().active);
    EXPECT_EQ(events.GetLogTotal(), 1);
    EXPECT_EQ(events.GetLogActive(), 0);
}

TEST_F(TextEvents, TheLinePastTheSavedCapDropsTheOldestAtTheNextFrame)
{
    for (int i = 0; i < 101; ++i)
        AddLog("line " + std::to_string(i));
    EXPECT_EQ(events.GetLogTotal(), 101);
    events.ExpireTextEvents();
    EXPECT_EQ(events.GetLogTotal(), 100);
    // The dropped line was still shown: the active count follows it out.
    EXPECT_EQ(events.GetLogActive(), 100);
    EXPECT_EQ(events.GetRecords().front().text, "line 1");
}

TEST_F(TextEvents, BrowsingThroughTheConsoleScrollsWithinTheSavedLines)
{
    for (int i = 0; i < 5; ++i)
        AddLog("line " + std::to_string(i));
    ASSERT_TRUE(commands.Execute("prevTextEvent"));
    EXPECT_EQ(events.GetBrowseOffset(), 0);

    // nextTextEvent at offset 0 hides the oldest shown line at once.
    ASSERT_TRUE(commands.Execute("nextTextEvent"));
    EXPECT_EQ(events.GetLogActive(), 4);
    EXPECT_EQ(events.GetBrowseOffset(), 0);
    ASSERT_TRUE(commands.Execute("prevTextEvent"));
    ASSERT_TRUE(commands.Execute("prevTextEvent"));
    EXPECT_EQ(events.GetBrowseOffset(), 1);
    EXPECT_EQ(events.VisibleLogLines(), 5);

    // A line fading while scrolled back keeps the view on the same lines.
    Advance(6.5f);
    events.ExpireTextEvents();
    EXPECT_EQ(events.GetLogActive(), 0);
    EXPECT_EQ(events.GetBrowseOffset(), 5);
    ASSERT_TRUE(commands.Execute("resetTextEvent"));
    EXPECT_EQ(events.GetBrowseOffset(), 0);
}

TEST_F(TextEvents, InnerNewLinesLeaveTheTrailingOnesOut)
{
    EXPECT_EQ(::TextEvents::CountInnerNewLines(u"one\ntwo\n\n"), 1);
    EXPECT_EQ(::TextEvents::CountInnerNewLines(u"one\n\ntwo \t"), 2);
    EXPECT_EQ(::TextEvents::CountInnerNewLines(u"\n\n"), 0);
    EXPECT_EQ(::TextEvents::CountInnerNewLines(u""), 0);
}

TEST_F(TextEvents, ANoticeFadesOverTheSecondAfterItsExpiry)
{
    LoadFonts();
    events.AddTextEvent("x", 100.0f, 100.0f, 1.0f, 3, false, false);
    auto drawn = DrawnTexts(false, 0.0f);
    ASSERT_EQ(drawn.size(), 1u);
    EXPECT_EQ(drawn[0].first, 255);
    Advance(1.5f);
    drawn = DrawnTexts(false, 0.0f);
    ASSERT_EQ(drawn.size(), 1u);
    EXPECT_NEAR(drawn[0].first, 127, 2);
    Advance(0.6f);
    EXPECT_TRUE(DrawnTexts(false, 0.0f).empty());
}

// The level's name belongs to the world: it is drawn with the log, before the menus, so an open
// window covers it; a full-screen menu, a menu holding the game (the escape menu stands where the
// name is written) and the map hide it, while a notice the player asked for from a menu stays
// over the menus. A slot reused by another sender is an ordinary notice again.
TEST_F(TextEvents, TheWorldsNoticeLiesUnderTheMenusAndAMenuInFrontOfTheWorldHidesIt)
{
    LoadFonts();
    events.AddWorldNotice("Entering Town", 320.0f, 100.0f, 5.0f, 2);
    events.AddTextEvent("Exported", 320.0f, 240.0f, 5.0f, 0, true, false);
    auto under = DrawnTexts(true, 0.0f);
    auto over = DrawnTexts(false, 0.0f);
    ASSERT_EQ(under.size(), 1u);
    ASSERT_EQ(over.size(), 1u);
    EXPECT_LT(under[0].second, 150.0f) << "the level's name goes under the menus";
    EXPECT_GT(over[0].second, 200.0f) << "the notice a menu asked for goes over them";
    struct Case {
        const char* what;
        bool fullScreen;
        bool blocking;
        bool map;
    };
    for (const Case& c : {Case{"full-screen menu", true, false, false}, Case{"escape menu", false, true, false},
                          Case{"world map", false, false, true}}) {
        SCOPED_TRACE(c.what);
        ui.fullScreen = c.fullScreen;
        ui.blocking = c.blocking;
        EXPECT_TRUE(DrawnTexts(true, 0.0f, c.map).empty());
        EXPECT_EQ(DrawnTexts(false, 0.0f, c.map).size(), 1u) << "the notice the menu asked for stays";
    }
    ui.fullScreen = false;
    ui.blocking = false;
    EXPECT_EQ(DrawnTexts(true, 0.0f).size(), 1u) << "the menu gone, the level's name is back";
    events.AddTextEvent("A message", 320.0f, 100.0f, 5.0f, 2, true, false);
    EXPECT_TRUE(DrawnTexts(true, 0.0f).empty());
    EXPECT_EQ(DrawnTexts(false, 0.0f).size(), 2u);
}

TEST_F(TextEvents, LogLinesHoldBehindAMenuAndWhilePausedAndStackUpwards)
{
    LoadFonts();
    AddLog("old", 1.0f);
    AddLog("new", 1.0f);
    ui.blocking = true;
    // Behind the menu: not drawn, and the lines age no further.
    EXPECT_TRUE(DrawnTexts(true, 10.0f).empty());
    ui.blocking = false;
    Advance(10.0f);
    scene.paused = true;
    auto drawn = DrawnTexts(true, 0.5f);
    ASSERT_EQ(drawn.size(), 2u);
    EXPECT_EQ(drawn[0].first, 255);
    // The second line of the kind sits one line height above the first.
    EXPECT_GT(drawn[0].second, drawn[1].second);
    scene.paused = false;
    // Expiry: 1 + 10 (menu) + 0.5 (paused) seconds after the start; half a second past it.
    Advance(2.0f);
    drawn = DrawnTexts(true, 0.0f);
    ASSERT_EQ(drawn.size(), 2u);
    EXPECT_NEAR(drawn[0].first, 127, 2);
    // The other pass leaves the log alone.
    EXPECT_TRUE(DrawnTexts(false, 0.0f).empty());
}

// The log is drawn under the windows: while one stands over it, its lines wait unread as behind a
// menu; the window gone, they are fresh.
TEST_F(TextEvents, LogLinesHoldWhileAWindowStandsOverTheLog)
{
    LoadFonts();
    AddLog("under the trader", 1.0f);
    ui.boxes = {{{0.0f, 200.0f, 300.0f, 480.0f}, true}};
    DrawnTexts(true, 10.0f);
    Advance(10.0f);
    ui.boxes = {{{0.0f, 200.0f, 300.0f, 480.0f}, false}};
    auto drawn = DrawnTexts(true, 0.0f);
    ASSERT_EQ(drawn.size(), 1u) << "a widget of the screen is no window: the log stands beside it";
    EXPECT_EQ(drawn[0].first, 255);
    Advance(2.5f);
    EXPECT_TRUE(DrawnTexts(true, 0.0f).empty()) << "uncovered, the line ages again";
}

// Said over open windows, a notice stands clear of them; where they leave no clear place, on as
// little of them as it can (never on a word or picture of the screen behind them); where even
// that is nowhere, on the log, the same words said again logged again.
TEST_F(TextEvents, ANoticeOverWindowsStandsClearOfThemOverTheLeastOfThemOrOnTheLog)
{
    LoadFonts();
    using Box = FrameUi::WidgetBox;
    enum Where { kClear, kInTheGap, kOnTheLog };
    struct Case {
        const char* what;
        std::vector<Box> boxes;
        Where where;
    };
    const Case cases[] = {
        {"a window on the left", {{{0.0f, 0.0f, 330.0f, 480.0f}, true}}, kClear},
        {"two windows with a gap narrower than the line between them, the screen's bar below",
         {{{0.0f, 0.0f, 400.0f, 440.0f}, true}, {{440.0f, 0.0f, 640.0f, 440.0f}, true},
          {{0.0f, 440.0f, 640.0f, 480.0f}, false}},
         kInTheGap},
        {"the screen's words everywhere", {{{0.0f, 0.0f, 640.0f, 480.0f}, false}}, kOnTheLog},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        events.RemoveAll();
        ui.boxes = c.boxes;
        for (int said = 1; said <= 2; ++said) {
            events.AddTextEvent("You cannot afford it.", 320.0f, 240.0f, 3.0f, 2, true, false);
            auto drawn = DrawnTexts(false, 0.0f);
            const auto& records = events.GetRecords();
            auto logged = std::count_if(records.begin(), records.end(), [](const ::TextEvents::Record& r) {
                return r.kind == ::TextEvents::kLogKind;
            });
            const ::TextEvents::Record* notice = events.FindTextEvent(2);
            ASSERT_NE(notice, nullptr);
            if (c.where == kOnTheLog) {
                EXPECT_TRUE(drawn.empty()) << "said over the screen's words";
                EXPECT_EQ(logged, said) << "each saying is logged";
                continue;
            }
            EXPECT_EQ(logged, 0);
            ASSERT_EQ(drawn.size(), 1u);
            float left = notice->x;
            float right = notice->x + notice->width;
            if (c.where == kClear)
                EXPECT_GE(left, 330.0f);
            else
                EXPECT_TRUE(left <= 400.0f && right >= 440.0f) << "astride the gap: " << left << " .. " << right;
            EXPECT_LT(notice->y + notice->height, 440.0f) << "off the screen's bar";
        }
    }
}

// A burst of news about others shares the view with the player's own fresh lines instead of
// pushing them out: each side keeps half the rows it can fill and the rest goes to the other.
// Scrolled back, the log shows its lines in order, the news hidden from the fresh view among them.
TEST_F(TextEvents, NewsLinesYieldHalfTheViewToThePlayersOwnFreshLines)
{
    LoadFonts();
    struct Case {
        std::string arrivals; // 'o' the player's own line, 'n' news, oldest first
        std::string drawn;    // the lines drawn, oldest first
    };
    const std::vector<Case> cases = {
        {"ooonnnnnnnnnnnn", "ooonnnnnnn"},
        {"onononononononono", "nonononono"},
        {"oooooooooooonnn", "ooooooonnn"},
        {"nnnnnnnnnnnnooooooooooooo", "nnnnnooooo"},
        {"nnnnnnnnnnnn", "nnnnnnnnnn"},
        {"onnn", "onnn"},
    };
    auto arrive = [this](const std::string& arrivals) {
        events.RemoveAll();
        for (char line : arrivals) {
            if (line == 'n')
                events.AddNewsLine("nn", 20.0f, 300.0f, 5.0f);
            else
                AddLog("o");
        }
    };
    // Each line is one batch; a news line has twice the glyphs of an own line.
    auto drawn = [this](size_t glyph) {
        device.Clear();
        events.DrawTextEvents(true, 0.0f, &ui, &scene);
        std::string lines;
        for (const DeviceBatch& batch : device.GetBatches())
            if (!batch.vertices.empty())
                lines += batch.vertices.size() == glyph ? 'o' : batch.vertices.size() == 2 * glyph ? 'n' : '?';
        return lines;
    };
    arrive("o");
    device.Clear();
    events.DrawTextEvents(true, 0.0f, &ui, &scene);
    ASSERT_EQ(device.GetBatches().size(), 1u);
    size_t glyph = device.GetBatches()[0].vertices.size();
    ASSERT_GT(glyph, 0u);

    for (const Case& c : cases) {
        arrive(c.arrivals);
        EXPECT_EQ(drawn(glyph), c.drawn) << c.arrivals;
        EXPECT_EQ(events.GetLogTotal(), static_cast<int32_t>(c.arrivals.size())) << "no line is lost";
    }

    // Faded and scrolled back to the start: every line, in order, news and all.
    arrive("ooonnnnnnnnnnnn");
    Advance(7.0f);
    events.ExpireTextEvents();
    for (int i = 0; i < 15; ++i)
        ASSERT_TRUE(commands.Execute("prevTextEvent"));
    EXPECT_EQ(drawn(glyph), "ooonnnnnnnnnnnn");
}

// The world map stands in place of the world: the log is held there as behind a menu, while the
// notices of the other pass still show.
TEST_F(TextEvents, LogLinesHoldWhileTheWorldMapIsShown)
{
    LoadFonts();
    AddLog("seen later", 1.0f);
    events.AddTextEvent("a notice", 320.0f, 190.0f, 1.0f, 7, true, false);
    EXPECT_TRUE(DrawnTexts(true, 10.0f, true).empty());
    EXPECT_EQ(DrawnTexts(false, 0.0f, true).size(), 1u);
    Advance(1.5f);
    auto drawn = DrawnTexts(true, 0.0f);
    ASSERT_EQ(drawn.size(), 1u);
    EXPECT_EQ(drawn[0].first, 255) << "the line aged while the map hid it";
}

TEST_F(TextEvents, TheLogRoundTripsThroughASaveAsExpiredLines)
{
    AddLog("alpha");
    AddLog("beta");
    events.AddTextEvent("notice", 0.0f, 0.0f, 5.0f, 2, false, false);
    MessageBuffer buffer;
    events.SaveTextEvents(buffer);

    ::TextEvents loaded;
    ASSERT_TRUE(loaded.LoadTextEvents(buffer, 17, {20.0f, 300.0f}));
    ASSERT_EQ(loaded.GetRecords().size(), 2u);
    EXPECT_EQ(loaded.GetRecords().front().text, "alpha");
    EXPECT_EQ(loaded.GetRecords().back().text, "beta");
    EXPECT_EQ(loaded.GetLogTotal(), 2);
    // Duration 0: faded at the next frame, seen only when scrolled back.
    Advance(1.0f);
    loaded.ExpireTextEvents();
    EXPECT_EQ(loaded.GetLogActive(), 0);

    MessageBuffer old;
    events.SaveTextEvents(old);
    EXPECT_TRUE(loaded.LoadTextEvents(old, 16, {}));
    EXPECT_TRUE(loaded.GetRecords().empty());
}

// A log line added in place of another counts in the log total twice; the save counts the lines
// it writes, so it reads back whole. Restoring a log replaces the lines and leaves the notices.
TEST_F(TextEvents, ALogLineAddedInPlaceStillSavesAReadableLogAndARestoredLogKeepsTheNotices)
{
    AddLog("alpha");
    events.AddTextEvent("beta", 20.0f, 300.0f, 5.0f, 4, false, false);
    events.AddTextEvent("notice", 0.0f, 0.0f, 5.0f, 2, false, false);
    ASSERT_EQ(events.GetLogTotal(), 2);
    MessageBuffer buffer;
    events.SaveTextEvents(buffer);
    ::TextEvents loaded;
    ASSERT_TRUE(loaded.LoadTextEvents(buffer, 17, {}));
    ASSERT_EQ(loaded.GetRecords().size(), 1u);
    EXPECT_EQ(loaded.GetRecords().front().text, "beta");

    events.RestoreLog({"one", "two", "three"}, {20.0f, 300.0f});
    EXPECT_EQ(events.GetLogTotal(), 3);
    std::vector<std::string> texts;
    for (const ::TextEvents::Record& record : events.GetRecords())
        texts.push_back(record.text);
    EXPECT_EQ(texts, (std::vector<std::string>{"notice", "one", "two", "three"}));
}

TEST_F(TextEvents, ACutOrLyingSaveLeavesTheLogEmptyAndSaysSo)
{
    AddLog("alpha");
    AddLog("beta");
    MessageBuffer saved;
    events.SaveTextEvents(saved);
    std::vector<uint8_t> bytes(saved.Data(), saved.Data() + saved.Size());
    for (size_t cut = 0; cut < bytes.size(); ++cut) {
        MessageBuffer buffer;
        buffer.WriteBytes(bytes.data(), cut);
        ::TextEvents loaded;
        loaded.AddTextEvent("kept?", 0.0f, 0.0f, 1.0f, 4, false, true);
        EXPECT_FALSE(loaded.LoadTextEvents(buffer, 17, {})) << cut;
        EXPECT_TRUE(loaded.GetRecords().empty()) << cut;
        EXPECT_EQ(loaded.GetLogTotal(), 0) << cut;
    }
    for (int32_t count : {-1, INT32_MIN, INT32_MAX}) {
        MessageBuffer buffer;
        buffer.WriteInt(count);
        buffer.WriteString("alpha");
        ::TextEvents loaded;
        EXPECT_FALSE(loaded.LoadTextEvents(buffer, 17, {})) << count;
        EXPECT_TRUE(loaded.GetRecords().empty());
    }
    EXPECT_GE(CountLinesHolding(debug, "Text event log refused"), 1);
}

} // namespace text_events_test
