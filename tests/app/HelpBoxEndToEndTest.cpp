// HelpBoxEndToEndTest -- the shipped game in a 640 x 480 offscreen window, driven by SDL events: a widget's tooltip framed where the help box places it, a file picker over a folder of the user folder entered, answered and refused, and a model widget drawing a shipped model inside its rectangle and nowhere else.
#include "app/OffscreenShots.h"

#include "core/CommandSystem.h"
#include "core/LocSystem.h"
#include "core/UserVarSystem.h"
#include "render/TextMeasure.h"
#include "render/TextEvents.h"
#include "ui/UIMenu.h"
#include "ui/UISystem.h"
#include "ui/widgets/UIFilePicker.h"
#include "ui/widgets/UIList.h"

#include <cstdlib>
#include <string>

namespace {

const char kHelpProbeMenu[] = "MenuType Menu\nname HelpProbe\nposition 0 0\nsize 640 480\nalwaysOnTop 1\n"
                              "Widget { internalName Probe position 200 200 size 120 24 "
                              "texture \"Textures/UI/frame_button.tga\" highlightText \"A tooltip for the probe\" }\n"
                              "List { internalName Pair position 200 300 size 200 20 itemHeight 10 "
                              "infoProc helpProbeRows }\n";

// Rows from y 90, 15 apart; the name box at (180, 230); Back, Cancel and Ok at y 245 from x 110.
const char kPickProbeMenu[] = "MenuType Menu\nname PickProbe\nposition 0 0\nsize 640 480\nalwaysOnTop 1\n"
                              "FilePicker { internalName Picker position 100 60 size 300 200 baseDirectory User/picks "
                              "addExtension txt textBox 1 tempUserVar pickTyped userVar pickAnswer \"\" "
                              "successCommand \"setUserVar pickDone 1\" }\n";

// Words whose letters the code page maps past U+00FF (0x8A Š, 0x9C œ, 0x80 €, 0x8C Œ), long enough
// to wrap both in the help box and in the text widget's 200 units.
const char kLettersProbeWords[] = "\x8A\x9C\x80 north, \x8C\x9C\x80 south, \x8A\x9C\x80 east, \x8C\x9C\x80 west, "
                                  "\x8A\x9C\x80 again and \x8C\x9C\x80 once more, \x8A\x9C\x80 for the road, "
                                  "\x8C\x9C\x80 for the way home";

const char kModelProbeMenu[] = "MenuType Menu\nname ModelProbe\nposition 0 0\nsize 640 480\nalwaysOnTop 1\n"
                               "ModelWidget { internalName Model position 420 280 size 160 140 zoom 0.5 offset 30 -30 "
                               "clearDepth 1 modelUserVar probeModel \"\" angleUserVar probeAngle -30 }\n";

class HelpBoxEndToEnd : public OffscreenShotGame {
protected:
    void SetUp() override
    {
        if (!std::getenv("EMBERLODE_GAME_DIR"))
            GTEST_SKIP() << "EMBERLODE_GAME_DIR not set";
        folder.Write("Assets/UI/helpprobe.mnu", kHelpProbeMenu);
        folder.Write("Assets/UI/pickprobe.mnu", kPickProbeMenu);
        folder.Write("Assets/UI/modelprobe.mnu", kModelProbeMenu);
        folder.Write("Assets/UI/lettersprobe.mnu",
                     std::string("MenuType Menu\nname LettersProbe\nposition 0 0\nsize 640 480\nalwaysOnTop 1\n"
                                 "Widget { internalName Probe position 200 200 size 120 24 "
                                 "texture \"Textures/UI/frame_button.tga\" highlightText \"") +
                         kLettersProbeWords + "\" }\nText { internalName Lines position 20 300 size 200 120 text \"" +
                         kLettersProbeWords + "\" }\n");
        folder.Write("User/user.cfg", "r_width 640\nr_height 480\n");
        folder.Write("User/picks/sub/inner.txt", "inner");
        folder.Write("User/picks/top.txt", "top");
        ASSERT_TRUE(app.StartUp());
        gUserVarSystem->SetStringByName("r_screenshotType", "2");
        app.RunFrame();
    }
    void TearDown() override { KeepFailedFrame("HelpBoxEndToEnd"); }

    // The frame with the cursor left where it is.
    TargaImage ShotHere()
    {
        char name[64];
        std::snprintf(name, sizeof name, "User/Screenshots/ss%04d.tga", shots++);
        Tap(SDL_SCANCODE_F12);
        TargaImage image;
        std::string bytes = folder.Read(name);
        std::vector<uint8_t>& kept = shotBytes.emplace_back(bytes.begin(), bytes.end());
        lastShot = folder.Path() / name;
        EXPECT_TRUE(image.Parse(kept.data(), kept.size(), name));
        return image;
    }

    void TypeText(const std::string& text)
    {
        for (char c : text) {
            if (c == '/')
                Tap(SDL_SCANCODE_SLASH);
            else
                Tap(ScancodeOf(c));
        }
    }

    // The name box holds the name of the row clicked last.
    void ClearTextBox()
    {
        for (int i = 0; i < 16; ++i)
            Tap(SDL_SCANCODE_BACKSPACE);
    }

    static bool Differs(const TargaImage& a, const TargaImage& b, int x, int y)
    {
        std::array<int, 3> p = PixelAt(a, x, y);
        std::array<int, 3> q = PixelAt(b, x, y);
        return std::abs(p[0] - q[0]) + std::abs(p[1] - q[1]) + std::abs(p[2] - q[2]) > 24;
    }

    static bool Shown(const char* menuName)
    {
        UIMenu* menu = gUISystem->FindMenu(menuName);
        return menu && menu->IsShown();
    }
};

TEST_F(HelpBoxEndToEnd, TheTooltipOfTheWidgetUnderTheCursorIsFramedAboveIt)
{
    TypeOnConsole("showMenu HelpProbe");
    TargaImage plain = Screenshot();
    PushMotion(260, 212);
    app.RunFrame();
    app.RunFrame();
    TargaImage shown = ShotHere();
    UIWidget* box = gUISystem->helpTopBox;
    ASSERT_NE(box, nullptr) << "the shipped HelpTop menu holds the help box";
    ASSERT_EQ(box->text, "A tooltip for the probe");
    int left = static_cast<int>(box->position[0] - 5.0f);
    int top = static_cast<int>(box->position[1] - 5.0f);
    int right = static_cast<int>(box->position[0] + box->size[0] + 5.0f);
    int bottom = static_cast<int>(box->position[1] + box->size[1] + 5.0f);
    EXPECT_NEAR(bottom, 180, 1) << "above the widget, 20 units clear of it";
    EXPECT_NEAR((left + right) / 2, 260, 1) << "centred on the widget";

    // Down the frame's middle column from above it: the first changed row is its top edge, then
    // bronze, then the dark background below the edge.
    int column = (left + right) / 2;
    int firstChanged = -1;
    for (int y = top - 8; y < bottom && firstChanged < 0; ++y)
        if (Differs(plain, shown, column, y))
            firstChanged = y;
    EXPECT_NEAR(firstChanged, top, 2) << "the frame's top where the help box placed it";
    int bronze = 0;
    for (int y = top - 2; y < top + 5; ++y) {
        std::array<int, 3> edge = PixelAt(shown, column, y);
        bronze += edge[0] > 120 && edge[0] > edge[2] + 40;
    }
    EXPECT_GE(bronze, 1) << "the bronze of the top edge";
    int darkened = 0;
    for (int x = left + 10; x < right - 10; ++x) {
        std::array<int, 3> inside = PixelAt(shown, x, top + 9);
        std::array<int, 3> before = PixelAt(plain, x, top + 9);
        darkened += inside[0] + inside[1] + inside[2] < before[0] + before[1] + before[2] ||
                    inside[0] + inside[1] + inside[2] > 300;
    }
    EXPECT_GT(darkened, (right - left - 20) * 3 / 4) << "the black background, or the text over it";
    for (int x = left - 6; x < right + 6; ++x) {
        EXPECT_FALSE(Differs(plain, shown, x, top - 5)) << "above the frame at " << x;
        EXPECT_FALSE(Differs(plain, shown, x, bottom + 4)) << "below the frame at " << x;
    }
}

// A help box's wrapped words and a text widget's lines keep their letters past U+00FF as they are
// drawn: none turns into "?".
TEST_F(HelpBoxEndToEnd, WrappedLinesKeepTheirLettersBeyondLatinOne)
{
    TypeOnConsole("showMenu LettersProbe");
    PushMotion(260, 212);
    app.RunFrame();
    app.RunFrame();
    ShotHere();
    struct Case {
        const char* what;
        const UIWidget* widget;
    };
    const Case cases[] = {
        {"the help box", gUISystem->helpTopBox},
        {"the text widget", gUISystem->FindWidgetByPath("LettersProbe::Lines")},
    };
    for (const Case& c : cases) {
        ASSERT_NE(c.widget, nullptr) << c.what;
        const WString& shown = c.widget->displayText;
        EXPECT_NE(shown.find(u'\n'), WString::npos) << c.what << ": the words wrap";
        for (char16_t letter : {u'\u0160', u'\u0153', u'\u20AC', u'\u0152'})
            EXPECT_NE(shown.find(letter), WString::npos) << c.what << " lost U+" << std::hex << int(letter);
        EXPECT_EQ(shown.find(u'?'), WString::npos) << c.what << ": " << WideToNarrow(shown);
    }
}

// The words of the tooltip under a still cursor change from one frame to the next (a value it
// names goes up): each frame shows the words it has then, translated, wrapped and framed anew, and
// words shown before come back as they were. So does a second box beside the first (a list row's
// extra words, as an item's comparison) when only its words change.
TEST_F(HelpBoxEndToEnd, ATooltipWhoseWordsChangeUnderAStillCursorIsFramedAnewEachFrame)
{
    gCommandSystem->RegisterInfoProc("helpProbeRows", [](std::vector<ListEntry>& rows) { rows.emplace_back(); });
    TypeOnConsole("showMenu HelpProbe");
    UIWidget* probe = gUISystem->FindWidgetByPath("HelpProbe::Probe");
    auto* pair = dynamic_cast<UIList*>(gUISystem->FindWidgetByPath("HelpProbe::Pair"));
    UIWidget* box = gUISystem->helpTopBox;
    ASSERT_NE(probe, nullptr);
    ASSERT_NE(pair, nullptr);
    ASSERT_EQ(pair->rows.size(), 1u);
    ASSERT_NE(box, nullptr);
    struct Case {
        const char* words;
        const char* second; // empty: the probe's tooltip, one box; else the list row's two
        bool wraps;
    };
    const Case cases[] = {
        {"A tooltip for the probe", "", false},
        {"$$TradeWindow$$", "", false},
        {kLettersProbeWords, "", true},
        {"A tooltip for the probe", "", false},
        {"A tooltip for the probe", "$$TradeWindow$$", false},
        {"A tooltip for the probe", "A second box", false},
    };
    bool onThePair = false;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.words) + " | " + c.second);
        bool two = c.second[0] != '\0';
        probe->highlightText = c.words;
        pair->rows[0]->helpText = c.words;
        pair->rows[0]->extra = c.second;
        if (two != onThePair || &c == cases)
            PushMotion(260, two ? 304 : 212);
        onThePair = two;
        app.RunFrame();
        app.RunFrame();
        // The help box holds the last box it drew: the second when there are two.
        const char* shownWords = two ? c.second : c.words;
        EXPECT_EQ(box->text, shownWords);
        WString translated = gLocSystem->TranslateToWide(shownWords);
        if (c.wraps) {
            EXPECT_NE(box->displayText.find(u'\n'), WString::npos) << "the long words wrap";
            EXPECT_NE(box->displayText.find(u'\u0160'), WString::npos);
        } else {
            EXPECT_EQ(WideToNarrow(box->displayText), WideToNarrow(translated));
        }
        TextSize measured = MeasureTextW(box->font, box->displayText);
        EXPECT_GT(measured.width, 0.0f);
        EXPECT_FLOAT_EQ(box->size[0], measured.width) << "the frame fits the words shown";
    }
}

TEST_F(HelpBoxEndToEnd, APickerOverAUserFolderEntersItAnswersATypedNameAndRefusesAnEscape)
{
    TypeOnConsole("showMenu PickProbe");
    auto* picker = dynamic_cast<UIFilePicker*>(gUISystem->FindWidgetByPath("PickProbe::Picker"));
    ASSERT_NE(picker, nullptr);
    ASSERT_EQ(picker->GetEntries().size(), 2u) << "the folder sub, then top.txt";
    ClickAt(150, 97);
    ClickAt(150, 97);
    EXPECT_EQ(picker->currentPath, "/sub") << "a double click enters the folder";
    ASSERT_EQ(picker->GetEntries().size(), 1u);

    ClickAt(200, 238);
    ClearTextBox();
    TypeText("saved.txt");
    ClickAt(270, 250);
    EXPECT_EQ(gUserVarSystem->GetStringByName("pickAnswer"), "/sub/saved.txt");
    EXPECT_EQ(gUserVarSystem->GetStringByName("pickDone"), "1") << "the success command ran";
    EXPECT_FALSE(Shown("PickProbe"));

    TypeOnConsole("showMenu PickProbe");
    gUserVarSystem->SetStringByName("pickDone", "0");
    ClickAt(200, 238);
    ClearTextBox();
    TypeText("../escape");
    ASSERT_EQ(gUserVarSystem->GetStringByName("pickTyped"), "../escape");
    ClickAt(270, 250);
    ASSERT_NE(gTextEvents, nullptr);
    const TextEvents::Record* refusal = gTextEvents->FindTextEvent(8);
    ASSERT_NE(refusal, nullptr) << "the refusal line is shown";
    EXPECT_EQ(refusal->text, "$$InvalidFileName$$");
    EXPECT_EQ(gUserVarSystem->GetStringByName("pickAnswer"), "/sub/saved.txt") << "nothing answered";
    EXPECT_EQ(gUserVarSystem->GetStringByName("pickDone"), "0");
    EXPECT_TRUE(Shown("PickProbe"));
}

TEST_F(HelpBoxEndToEnd, AModelWidgetDrawsAShippedModelInsideItsRectangleOnly)
{
    TypeOnConsole("showMenu ModelProbe");
    TargaImage empty = Screenshot();
    gUserVarSystem->SetStringByName("probeModel", "models/warden.mdl");
    for (int i = 0; i < 20; ++i)
        app.RunFrame();
    TargaImage drawn = Screenshot();
    int inside = 0;
    for (int y = 280; y < 420; ++y)
        for (int x = 420; x < 580; ++x)
            inside += Differs(empty, drawn, x, y);
    EXPECT_GT(inside, 300) << "the warden's pixels inside the widget";
    int lit = 0;
    for (int y = 280; y < 420; ++y)
        for (int x = 420; x < 580; ++x) {
            std::array<int, 3> p = PixelAt(drawn, x, y);
            lit += Differs(empty, drawn, x, y) && p[0] + p[1] + p[2] > 240;
        }
    EXPECT_GT(lit, 150) << "unlit by any light, the model is drawn in its skin's colours, not black";
    int outside = 0;
    for (int y = 240; y < 460; ++y)
        for (int x = 380; x < 620; ++x)
            if (x < 420 || x >= 580 || y < 280 || y >= 420)
                outside += Differs(empty, drawn, x, y);
    EXPECT_EQ(outside, 0) << "nothing around it";
}

} // namespace
