// TextWidgetTest -- the text widget's wrap in a fixed-width font, its scrolling by the wheel and the cursor keys through the input path, and the text input's typing rules, redirects and user var, keys given as the keyboard gives them.
#include "ui/UiWorld.h"

#include "core/InputCommands.h"
#include "render/TextMeasure.h"
#include "ui/widgets/UIScrollBar.h"
#include "ui/widgets/UIText.h"
#include "ui/widgets/UITextInput.h"

#include <cctype>

namespace {

// Every character is 6 units wide.
float FixedWidth(int32_t /*font*/, std::u16string_view text)
{
    return 6.0f * static_cast<float>(text.size());
}

std::vector<std::string> Wrapped(const std::string& text, float maxWidth)
{
    std::vector<WString> lines;
    WrapTextLines(NarrowToWide(text), maxWidth, -1, FixedWidth, lines);
    std::vector<std::string> narrow;
    for (const WString& line : lines)
        narrow.push_back(WideToNarrow(line));
    return narrow;
}

using Lines = std::vector<std::string>;

TEST(TextWrap, LineFeedsEndLinesAndCarriageReturnsVanish)
{
    EXPECT_EQ(Wrapped("", 100), Lines{});
    EXPECT_EQ(Wrapped("a\n", 100), Lines{"a"}) << "a trailing line feed adds no empty line";
    EXPECT_EQ(Wrapped("a\n\nb", 100), (Lines{"a", "", "b"}));
    EXPECT_EQ(Wrapped("ab\r\ncd\r\n", 100), (Lines{"ab", "cd"}));
}

TEST(TextWrap, TheWordThatOverflowsStartsTheNextLineAndBlanksStayBehind)
{
    // Three characters fit in 18 units.
    EXPECT_EQ(Wrapped("ab cd", 18), (Lines{"ab ", "cd"}));
    EXPECT_EQ(Wrapped("ab cd", 30), (Lines{"ab cd"}));
    EXPECT_EQ(Wrapped("a   b", 18), (Lines{"a   ", "b"})) << "blanks are never measured";
    EXPECT_EQ(Wrapped("ab\tc", 18), (Lines{"ab\t", "c"}));
}

TEST(TextWrap, AWordWiderThanALineBreaksWhereItOverflows)
{
    EXPECT_EQ(Wrapped("abcdefgh", 18), (Lines{"abc", "def", "gh"}));
    EXPECT_EQ(Wrapped("x abcdefg", 18), (Lines{"x ", "abc", "def", "g"}));
    // Nothing fits a line of no width: one character a line, never an endless loop.
    EXPECT_EQ(Wrapped("ab", 0), (Lines{"a", "b"}));
}

// Six units a character, as the text drawer measures: a colour or font code ("^c145") takes none.
float CodeBlindWidth(int32_t /*font*/, std::u16string_view text)
{
    float width = 0.0f;
    for (size_t i = 0; i < text.size(); ++i) {
        bool code = text[i] == u'^' && i + 4 < text.size() && std::isalpha(text[i + 1]) && std::isdigit(text[i + 2]) &&
                    std::isdigit(text[i + 3]) && std::isdigit(text[i + 4]);
        if (code)
            i += 4;
        else
            width += 6.0f;
    }
    return width;
}

TEST(TextWrap, AColourCodeIsNeverSplitBetweenTwoLines)
{
    std::vector<WString> lines;
    WrapTextLines(u"ab^c145cdef", 18.0f, -1, CodeBlindWidth, lines);
    EXPECT_EQ(lines, (std::vector<WString>{u"ab^c145c", u"def"}));
    WrapTextLines(u"Circle^c145", 24.0f, -1, CodeBlindWidth, lines);
    EXPECT_EQ(lines, (std::vector<WString>{u"Circ", u"le^c145"})) << "the code stays with the letters before it";
}

TEST(TextWrap, VisibleLinesCountWholeLinesWithTheirSpacing)
{
    EXPECT_EQ(UIText::CountVisibleLines(100.0f, 10.0f, 2.0f), 8);
    EXPECT_EQ(UIText::CountVisibleLines(96.0f, 10.0f, 2.0f), 8);
    EXPECT_EQ(UIText::CountVisibleLines(95.9f, 10.0f, 2.0f), 7);
    EXPECT_EQ(UIText::CountVisibleLines(100.0f, 0.0f, 2.0f), 0) << "a font not loaded shows nothing";
    EXPECT_EQ(UIText::CountVisibleLines(5.0f, 10.0f, 0.0f), 0);
}

// Forty numbered lines in a text widget with its own scroll bar; a one-line text and an empty one.
std::string FortyLines()
{
    std::string text;
    for (int i = 0; i < 40; ++i)
        text += "line" + std::to_string(i) + "\\n";
    return text;
}

class TextScroll : public UiWorld {
protected:
    void SetUp() override
    {
        WriteMenu("t.mnu", "name T\nvisible 1\nsize 640 480\n"
                           "Text { internalName Long position 100 100 size 200 120 keyboardControl 1 text \"" +
                               FortyLines() + "\" }\n"
                               "Text { internalName One position 400 100 size 200 120 keyboardControl 1 text "
                               "\"only\" }\n"
                               "Text { internalName None position 400 300 size 200 120 keyboardControl 1 }\n"
                               "Text { internalName Still position 100 300 size 200 120 text \"a\\nb\\nc\" }\n");
        ui->RegisterCommands();
        InputCommands::SetUiHooks([this](int key, bool down, bool repeat) { return ui->HandleKey(key, down, repeat); },
                                  {});
        text = Find("T::Long");
        ui->UpdateAndDraw(0.0f);
    }
    void TearDown() override { InputCommands::SetUiHooks({}, {}); }

    UIText* Find(const std::string& path) const { return dynamic_cast<UIText*>(ui->FindWidgetByPath(path)); }
    bool Key(int key) { return InputCommands::OnKeyPress(key, true, false); }
    int32_t First(const UIText* widget) const { return widget->GetScrollBar()->position; }

    UIText* text = nullptr;
};

constexpr int kTextKeyUp = 200;
constexpr int kTextKeyDown = 208;
constexpr int kTextKeyHome = 199;
constexpr int kTextKeyEnd = 207;
constexpr int kTextKeyPageUp = 201;
constexpr int kTextKeyPageDown = 209;

TEST_F(TextScroll, EachTextHasItsScrollBarOneDrawOrderAbove)
{
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->lines.size(), 40u);
    EXPECT_EQ(WideToNarrow(text->lines[39]), "line39");
    UIScrollBar* bar = text->GetScrollBar();
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->menu, &Menu("T"));
    EXPECT_EQ(bar->parentWidget, text);
    EXPECT_FLOAT_EQ(bar->drawOrder, text->drawOrder + 1.0f);
    EXPECT_FLOAT_EQ(bar->UIWidget::position[0], 100.0f + 200.0f - 16.0f);
    EXPECT_FLOAT_EQ(bar->size[1], 120.0f);
    EXPECT_TRUE(bar->hideIfNotNeeded);
    EXPECT_EQ(bar->count, 40) << "the frame tells the bar how many lines there are";
    // Hiding the text hides its bar.
    text->SetVisible(false);
    EXPECT_FALSE(bar->visible);
}

TEST_F(TextScroll, TheWheelScrollsOnlyTheTextUnderTheCursor)
{
    MoveCursor(150, 150);
    EXPECT_TRUE(ui->AnyMenuHandlesInput(false));
    EXPECT_TRUE(ui->AnyMenuHandlesInput(false));
    EXPECT_EQ(First(text), 2);
    EXPECT_TRUE(ui->AnyMenuHandlesInput(true));
    EXPECT_EQ(First(text), 1);
    MoveCursor(10, 10);
    EXPECT_FALSE(ui->AnyMenuHandlesInput(false));
    EXPECT_EQ(First(text), 1);
    // The empty text's wheel never leaves the first line.
    MoveCursor(450, 350);
    EXPECT_TRUE(ui->AnyMenuHandlesInput(true));
    EXPECT_TRUE(ui->AnyMenuHandlesInput(false));
    EXPECT_EQ(First(Find("T::None")), 0);
}

TEST_F(TextScroll, CursorKeysMoveTheFocusedTextWithinItsLines)
{
    EXPECT_FALSE(Key(kTextKeyDown)) << "keys reach only the focused text";
    ui->focusWidget = text;
    EXPECT_TRUE(Key(kTextKeyUp));
    EXPECT_EQ(First(text), 0);
    EXPECT_TRUE(Key(kTextKeyDown));
    EXPECT_EQ(First(text), 1);
    EXPECT_TRUE(Key(kTextKeyEnd));
    EXPECT_EQ(First(text), 39);
    EXPECT_TRUE(Key(kTextKeyDown));
    EXPECT_EQ(First(text), 39);
    EXPECT_TRUE(Key(kTextKeyHome));
    EXPECT_EQ(First(text), 0);
    EXPECT_FALSE(Key(30)) << "other keys are left to others";
}

TEST_F(TextScroll, PagesMoveOneLineLessThanTheyShowAndAlwaysForward)
{
    ui->focusWidget = text;
    text->visibleLines = 10;
    EXPECT_TRUE(Key(kTextKeyPageDown));
    EXPECT_EQ(First(text), 9);
    EXPECT_TRUE(Key(kTextKeyPageDown));
    EXPECT_TRUE(Key(kTextKeyPageDown));
    EXPECT_TRUE(Key(kTextKeyPageDown));
    EXPECT_TRUE(Key(kTextKeyPageDown));
    EXPECT_EQ(First(text), 39);
    EXPECT_TRUE(Key(kTextKeyPageUp));
    EXPECT_EQ(First(text), 30);
    // A page of one line, or none, still moves by a line.
    text->visibleLines = 1;
    EXPECT_TRUE(Key(kTextKeyPageUp));
    EXPECT_EQ(First(text), 29);
    text->visibleLines = 0;
    EXPECT_TRUE(Key(kTextKeyPageDown));
    EXPECT_EQ(First(text), 30);
}

TEST_F(TextScroll, OneLineAndNoLinesStayAtTheFirst)
{
    for (const char* path : {"T::One", "T::None"}) {
        UIText* widget = Find(path);
        ASSERT_NE(widget, nullptr);
        ui->focusWidget = widget;
        for (int key : {kTextKeyDown, kTextKeyEnd, kTextKeyPageDown, kTextKeyUp, kTextKeyPageUp})
            EXPECT_TRUE(Key(key));
        EXPECT_EQ(First(widget), 0) << path;
        EXPECT_TRUE(Key(kTextKeyEnd));
        EXPECT_EQ(First(widget), 0) << path;
    }
}

TEST_F(TextScroll, WithoutKeyboardControlKeysPassBy)
{
    UIText* still = Find("T::Still");
    ui->focusWidget = still;
    EXPECT_FALSE(Key(kTextKeyDown));
    EXPECT_EQ(First(still), 0);
}

TEST_F(TextScroll, ACopiedMenuMakesOneScrollBarPerText)
{
    UIMenu copy;
    copy.CopyWidgetsFrom(&Menu("T"));
    int bars = 0;
    for (UIWidget* widget : copy.GetWidgets())
        bars += dynamic_cast<UIScrollBar*>(widget) ? 1 : 0;
    EXPECT_EQ(bars, 4);
    auto* copied = dynamic_cast<UIText*>(copy.FindWidget("Long"));
    ASSERT_NE(copied, nullptr);
    ASSERT_NE(copied->GetScrollBar(), nullptr);
    EXPECT_EQ(copied->GetScrollBar()->menu, &copy);
    EXPECT_EQ(copied->lines.size(), 40u);
}

// Keys as the keyboard gives them: down and up through the input system, with the shipped key map.
class TextInput : public UiWorld {
protected:
    void SetUp() override
    {
        if (!UseShippedLocalisation())
            GTEST_SKIP() << "EMBERLODE_GAME_DIR not set";
        WriteMenu("i.mnu", "name I\nvisible 1\nsize 640 480\n"
                           "TextInput { internalName Name position 10 10 size 200 20 userVar typedName \"\" "
                           "maxCharacters 8 tabRedirect I::Count enterRedirect I::Go }\n"
                           "TextInput { internalName Count position 10 50 size 200 20 userVar typedCount \"\" "
                           "onlyAllowNumbers 1 tabRedirect I::Nowhere }\n"
                           "TextInput { internalName Free position 10 90 size 200 20 userVar typedFree \"\" "
                           "allowTabs 1 }\n"
                           "Widget { internalName Go position 300 10 size 40 20 canClick 1 "
                           "addCommand \"record go\" }\n");
        InputCommands::RegisterCommands();
        InputCommands::SetUiHooks([this](int key, bool down, bool repeat) { return ui->HandleKey(key, down, repeat); },
                                  {});
        ui->RegisterCommands();
    }
    void TearDown() override { InputCommands::SetUiHooks({}, {}); }

    void Press(int key)
    {
        input.OnKeyDown(key);
        input.OnKeyUp(key);
    }
    void Type(std::initializer_list<int> keys)
    {
        for (int key : keys)
            Press(key);
    }
    std::string Var(const std::string& name) const { return vars.GetStringByName(name); }
};

constexpr int kTextKey1 = 2;
constexpr int kTextKey2 = 3;
constexpr int kTextKeyMinus = 12;
constexpr int kTextKeyBackspace = 14;
constexpr int kTextKeyTab = 15;
constexpr int kTextKeyEnter = 28;
constexpr int kTextKeyA = 30;
constexpr int kTextKeyB = 48;
constexpr int kTextKeyShift = 42;
constexpr int kTextKeyPeriod = 52;
constexpr int kTextKeyPadEnter = 156;

TEST_F(TextInput, AClickTakesTheFocusAndTypedCharactersReachTheUserVar)
{
    Type({kTextKeyA});
    EXPECT_EQ(Var("typedName"), "") << "keys reach no field before a click";
    Click(20, 20);
    EXPECT_EQ(ui->focusWidget, ui->FindWidgetByPath("I::Name"));
    Type({kTextKeyA, kTextKeyB, kTextKey1});
    EXPECT_EQ(Var("typedName"), "ab1");
    input.OnKeyDown(kTextKeyShift);
    Type({kTextKeyA});
    input.OnKeyUp(kTextKeyShift);
    EXPECT_EQ(Var("typedName"), "ab1A");
    Type({kTextKeyBackspace});
    EXPECT_EQ(Var("typedName"), "ab1");
}

TEST_F(TextInput, TheLimitRefusesOnlyNewCharacters)
{
    Click(20, 20);
    Type({kTextKeyA, kTextKeyA, kTextKeyA, kTextKeyA, kTextKeyA, kTextKeyA, kTextKeyA, kTextKeyA, kTextKeyB});
    EXPECT_EQ(Var("typedName"), "aaaaaaaa");
    Type({kTextKeyBackspace, kTextKeyB});
    EXPECT_EQ(Var("typedName"), "aaaaaaab");
}

TEST_F(TextInput, ANumbersOnlyFieldRefusesSignsAndPoints)
{
    Click(20, 60);
    Type({kTextKey1, kTextKey2, kTextKeyA, kTextKeyMinus, kTextKeyPeriod});
    EXPECT_EQ(Var("typedCount"), "12");
    // A refused key is still used: it reaches nothing behind the field.
    EXPECT_TRUE(ui->HandleKey(kTextKeyA, true, false));
}

TEST_F(TextInput, EnterPressesItsRedirectAndTabMovesTheFocus)
{
    Click(20, 20);
    TakeRan();
    Type({kTextKeyA, kTextKeyEnter});
    EXPECT_EQ(TakeRan(), std::vector<std::string>{"go"});
    Type({kTextKeyPadEnter});
    EXPECT_EQ(TakeRan(), std::vector<std::string>{"go"});
    EXPECT_EQ(Var("typedName"), "a");
    Type({kTextKeyTab});
    EXPECT_EQ(ui->focusWidget, ui->FindWidgetByPath("I::Count"));
    // A redirect naming no widget keeps the focus, and a Tab is never typed without leave.
    Type({kTextKeyTab, kTextKey1});
    EXPECT_EQ(ui->focusWidget, ui->FindWidgetByPath("I::Count"));
    EXPECT_EQ(Var("typedCount"), "1");
    Click(20, 100);
    Type({kTextKeyA, kTextKeyTab, kTextKeyB});
    EXPECT_EQ(Var("typedFree"), "a\tb");
    // Enter without a redirect changes nothing but still writes the user var.
    vars.SetStringByName("typedFree", "");
    ui->Update(0.0f);
    Type({kTextKeyEnter});
    EXPECT_EQ(Var("typedFree"), "");
    EXPECT_TRUE(TakeRan().empty());
}

TEST_F(TextInput, EscapeIsLeftToOthersAndReleasesAreUsed)
{
    Click(20, 20);
    UIWidget* name = ui->FindWidgetByPath("I::Name");
    EXPECT_FALSE(name->HandleKey(1, true));
    EXPECT_TRUE(name->HandleKey(kTextKeyA, false));
    EXPECT_EQ(Var("typedName"), "");
}

TEST_F(TextInput, TheFieldShowsItsUserVarWithTheBlinkingCursorWhileFocused)
{
    vars.SetStringByName("typedName", "Set");
    ui->Update(0.0f);
    UIWidget* name = ui->FindWidgetByPath("I::Name");
    EXPECT_EQ(name->text, "Set");
    Click(20, 20);
    ui->Update(0.0f);
    EXPECT_EQ(name->text, "Set_");
    Advance(500);
    ui->Update(0.0f);
    EXPECT_EQ(name->text, "Set");
    // Typing goes on from the value set elsewhere.
    Type({kTextKeyA});
    EXPECT_EQ(Var("typedName"), "Seta");
}

} // namespace
