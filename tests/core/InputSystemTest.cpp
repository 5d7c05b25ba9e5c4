// InputSystemTest -- key lines with auto-repeat on a hand-stepped clock, typed text, mouse flags, the wheel, the cursor mapping and the keyboard-type list.
#include "InputWorld.h"
#include "support/LogLines.h"

#include <vector>

namespace {

constexpr int kKeyA = 30;
constexpr int kKeyB = 48;
constexpr int kKeyF1 = 59;

class InputLines : public InputWorld {
protected:
    void SetUp() override
    {
        InputWorld::SetUp();
        RecordInputLines();
        info.keyRepeatDelay = SystemInfo::KeyRepeatDelay(0);
        info.keyRepeatInterval = SystemInfo::KeyRepeatInterval(31);
    }
};

using Lines = std::vector<std::string>;

TEST_F(InputLines, PressHoldRepeatAndReleaseGiveTheirLinesAtMostOneRepeatAFrame)
{
    input.Press(kKeyA);
    Frame(0);
    EXPECT_EQ(TakeLines(), Lines{"keyPress 30 1 0"});
    EXPECT_TRUE(input.IsKeyDown(kKeyA));
    EXPECT_TRUE(input.WasKeyPressed(kKeyA));
    // The first repeat waits a quarter of a second.
    Frame(100);
    Frame(100);
    EXPECT_TRUE(TakeLines().empty());
    Frame(100);
    EXPECT_EQ(TakeLines(), Lines{"keyPress 30 1 1"});
    // Then one every thirtieth of a second, counted from the frame that repeated.
    Frame(20);
    EXPECT_TRUE(TakeLines().empty());
    Frame(20);
    EXPECT_EQ(TakeLines(), Lines{"keyPress 30 1 1"});
    // A long frame owes many repeats and gives one.
    Frame(500);
    EXPECT_EQ(TakeLines(), Lines{"keyPress 30 1 1"});
    Frame(10);
    EXPECT_TRUE(TakeLines().empty());

    input.Release(kKeyA);
    Frame(100);
    EXPECT_EQ(TakeLines(), Lines{"keyPress 30 0 0"});
    EXPECT_FALSE(input.IsKeyDown(kKeyA));
    EXPECT_EQ(input.GetRepeatKey(), -1);
    Frame(1000);
    EXPECT_TRUE(TakeLines().empty());
}

TEST_F(InputLines, TheDelayAndIntervalAreTheSystemReports)
{
    info.keyRepeatDelay = SystemInfo::KeyRepeatDelay(3);
    info.keyRepeatInterval = SystemInfo::KeyRepeatInterval(0);
    input.Press(kKeyA);
    Frame(0);
    Frame(900);
    EXPECT_EQ(TakeLines(), Lines{"keyPress 30 1 0"});
    Frame(200);
    EXPECT_EQ(TakeLines(), Lines{"keyPress 30 1 1"});
    Frame(300);
    EXPECT_TRUE(TakeLines().empty());
    Frame(200);
    EXPECT_EQ(TakeLines(), Lines{"keyPress 30 1 1"});
}

TEST_F(InputLines, OnlyTheLatestKeyRepeatsAndOnlyItsReleaseStopsIt)
{
    input.Press(kKeyA);
    Frame(0);
    input.Press(kKeyB);
    Frame(100);
    EXPECT_EQ(TakeLines(), (Lines{"keyPress 30 1 0", "keyPress 48 1 0"}));
    input.Release(kKeyA);
    Frame(300);
    EXPECT_EQ(TakeLines(), (Lines{"keyPress 30 0 0", "keyPress 48 1 1"}));
    Frame(50);
    EXPECT_EQ(TakeLines(), Lines{"keyPress 48 1 1"});
    input.Release(kKeyB);
    Frame(50);
    Frame(500);
    EXPECT_EQ(TakeLines(), Lines{"keyPress 48 0 0"});
    // The held state is per key; the pressed table stays until the client clears it.
    EXPECT_TRUE(input.WasKeyPressed(kKeyA));
    input.ClearPressed();
    EXPECT_FALSE(input.WasKeyPressed(kKeyA));
}

TEST_F(InputLines, TypedTextTakesShiftedLettersLineFeedAndBackspaceButNoRepeats)
{
    input.Press(InputSystem::kKeyLeftShift);
    input.Press(kKeyA);
    input.Release(InputSystem::kKeyLeftShift);
    input.Press(kKeyB);
    input.Press(InputSystem::kKeyRightShift);
    input.Press(InputSystem::kKeyEnter);
    input.Press(InputSystem::kKeyBackspace);
    input.Press(kKeyF1);
    input.Press(57);
    input.Press(2);
    Frame(0);
    EXPECT_EQ(input.GetTypedText(), "Ab\n\b !");
    EXPECT_EQ(input.GetCharForKey(kKeyA), 'A');
    // The text is the frame's: the next update empties it, and a repeat types nothing.
    Frame(400);
    EXPECT_EQ(input.GetTypedText(), "");
    EXPECT_EQ(TakeLines().back(), "keyPress 2 1 1");
}

TEST_F(InputLines, TheKeyboardTypeChoosesTheCharacterAndCodePageLettersAreTyped)
{
    vars.SetStringByName("loc_keyboardType", "2");
    // The German keyboard: the key right of 0 types the sharp s, the Y position types z.
    input.Press(12);
    input.Press(loc.MapScanCode(21));
    Frame(0);
    EXPECT_EQ(input.GetTypedText(), "\xDF" "z");
}

TEST_F(InputLines, KeyCodesOutsideTheTablesAreRefused)
{
    input.Press(256);
    input.Press(-1);
    input.Release(1000);
    Frame(0);
    EXPECT_TRUE(TakeLines().empty());
    EXPECT_EQ(input.GetRepeatKey(), -1);
    EXPECT_FALSE(input.IsKeyDown(256));
    EXPECT_FALSE(input.WasKeyPressed(-1));
    input.Press(255);
    input.Press(0);
    Frame(0);
    EXPECT_EQ(TakeLines(), (Lines{"keyPress 255 1 0", "keyPress 0 1 0"}));
}

TEST_F(InputLines, ResetForgetsWhatIsHeldButTheRepeatGoesOn)
{
    input.Press(kKeyA);
    Frame(0);
    input.OnMouseMessage(InputSystem::kMouseButtonFlags[0]);
    input.ResetState();
    EXPECT_FALSE(input.IsKeyDown(kKeyA));
    EXPECT_FALSE(input.WasKeyPressed(kKeyA));
    EXPECT_FALSE(input.IsMouseDown(0));
    TakeLines();
    Frame(300);
    EXPECT_EQ(TakeLines(), Lines{"keyPress 30 1 1"});
    // A key newly bound to an action is let go of.
    input.Press(kKeyB);
    Frame(0);
    input.ReleaseKey(kKeyB);
    EXPECT_FALSE(input.IsKeyDown(kKeyB));
}

TEST_F(InputLines, RestartReopensTheDevicesWithNothingHeldAndTheCursorHome)
{
    input.Press(kKeyA);
    input.cursor = {100, 200};
    Frame(0);
    ASSERT_EQ(input.GetCursorX(), 100);
    input.Restart();
    EXPECT_EQ(input.shutdowns, 1);
    EXPECT_EQ(input.inits, 1);
    EXPECT_TRUE(input.IsStarted());
    EXPECT_EQ(input.GetRepeatKey(), -1);
    EXPECT_FALSE(input.IsKeyDown(kKeyA));
    EXPECT_EQ(input.GetCursorX(), 0);
    EXPECT_EQ(input.GetCursorY(), 0);
}

TEST_F(InputLines, EachButtonFollowsItsOwnFlagAndHeldState)
{
    input.cursor = {100, 50};
    Frame(0);
    const uint32_t left = InputSystem::kMouseButtonFlags[0];
    const uint32_t extra1 = InputSystem::kMouseButtonFlags[3];
    const uint32_t extra2 = InputSystem::kMouseButtonFlags[4];
    input.OnMouseMessage(left);
    // A move with the left flag while it is down says nothing.
    input.OnMouseMessage(left);
    input.OnMouseMessage(0);
    input.OnMouseMessage(left);
    EXPECT_EQ(TakeLines(), (Lines{"buttonPress 0 1 100 50", "buttonPress 0 0 100 50", "buttonPress 0 1 100 50"}));
    input.OnMouseMessage(left | extra2);
    input.OnMouseMessage(left | extra1 | extra2);
    input.OnMouseMessage(left | extra1);
    EXPECT_EQ(TakeLines(), (Lines{"buttonPress 4 1 100 50", "buttonPress 3 1 100 50", "buttonPress 4 0 100 50"}));
    EXPECT_TRUE(input.IsMouseDown(3));
    EXPECT_FALSE(input.IsMouseDown(4));
    input.ClearPressed();
    EXPECT_TRUE(input.IsMouseDown(3));
    EXPECT_FALSE(input.IsMouseDown(5));
    EXPECT_FALSE(input.IsMouseDown(-1));
    // Right is bit 1 and middle bit 4; other bits are no button.
    input.OnMouseMessage(0x0002 | 0x0010 | 0x0100 | 0x0004);
    EXPECT_EQ(TakeLines(), (Lines{"buttonPress 0 0 100 50", "buttonPress 1 1 100 50", "buttonPress 2 1 100 50",
                                  "buttonPress 3 0 100 50"}));
}

TEST_F(InputLines, TheWheelScrollsByItsSignAndASidewaysTurnNotAtAll)
{
    input.OnMouseWheel(120);
    input.OnMouseWheel(-120);
    input.OnMouseWheel(1);
    input.OnMouseWheel(-1);
    input.OnMouseWheel(0);
    EXPECT_EQ(TakeLines(), (Lines{"mouseScrollUp", "mouseScrollDown", "mouseScrollUp", "mouseScrollDown"}));
}

class InputCursor : public InputWorld {
protected:
    std::pair<int32_t, int32_t> MapAt(int32_t x, int32_t y)
    {
        input.cursor = {x, y};
        input.UpdateCursor();
        return {input.GetCursorX(), input.GetCursorY()};
    }
    using Point = std::pair<int32_t, int32_t>;
};

TEST_F(InputCursor, PixelsRoundToTheNearestUnitAndClampToTheScreen)
{
    input.SetScreenSize(800, 600);
    EXPECT_EQ(MapAt(399, 299), (Point{319, 239}));
    EXPECT_EQ(MapAt(0, 0), (Point{0, 0}));
    EXPECT_EQ(MapAt(-10, 700), (Point{0, 479}));
    EXPECT_EQ(MapAt(800, -1), (Point{639, 0}));
    EXPECT_EQ(MapAt(799, 599), (Point{639, 479}));
    // Halves round up: 1280 pixels are two per unit.
    input.SetScreenSize(1280, 960);
    EXPECT_EQ(MapAt(1, 1), (Point{1, 1}));
    EXPECT_EQ(MapAt(3, 2), (Point{2, 1}));
    EXPECT_EQ(MapAt(-1, -1), (Point{0, 0}));
    // A minimised window's zero size keeps the last one.
    input.SetScreenSize(0, 0);
    EXPECT_EQ(MapAt(640, 480), (Point{320, 240}));
    input.SetScreenSize(320, 0);
    EXPECT_EQ(MapAt(160, 480), (Point{320, 240}));
}

TEST_F(InputCursor, AnUnreadableCursorStaysWhereItWas)
{
    input.SetScreenSize(640, 480);
    MapAt(10, 20);
    input.cursorReadable = false;
    EXPECT_EQ(MapAt(300, 300), (Point{10, 20}));
}

TEST_F(InputCursor, ACursorOutsideTheWindowIsPutBackOnlyWhenAskedWindowedAndActive)
{
    input.SetScreenSize(800, 600);
    MapAt(-10, 100);
    EXPECT_TRUE(input.warps.empty()) << "ui_constrainMouse is off";
    vars.SetStringByName("ui_constrainMouse", "1");
    EXPECT_EQ(MapAt(-10, 100), (Point{0, 80}));
    MapAt(900, 650);
    MapAt(400, 300);
    info.applicationActive = false;
    MapAt(-10, 100);
    EXPECT_EQ(input.warps, (std::vector<Point>{{0, 100}, {798, 598}}));
}

TEST_F(InputWorld, KeyboardTypesAreListedWithTheirIndexAsValue)
{
    std::vector<ListEntry> rows;
    commands.CallInfoProc("getKeyboardTypes", rows);
    ASSERT_EQ(rows.size(), 3u);
    const char* names[] = {"US", "UK", "German"};
    for (size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i].name, names[i]);
        EXPECT_EQ(rows[i].value, std::to_string(i));
        EXPECT_EQ(rows[i].helpText, "");
        EXPECT_EQ(rows[i].extra, "");
    }
    EXPECT_EQ(vars.GetStringByName("i_debug"), "0");
    EXPECT_EQ(vars.GetStringByName("loc_keyboardType"), "0");
}

TEST_F(InputWorld, StartedSaysSoOnce)
{
    EXPECT_FALSE(input.IsStarted());
    EXPECT_TRUE(input.OnStarted());
    EXPECT_TRUE(input.IsStarted());
    EXPECT_EQ(CountLinesHolding(game.debug, "Input initialized"), 1);
}

} // namespace
