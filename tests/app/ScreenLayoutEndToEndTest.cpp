// ScreenLayoutEndToEndTest -- the shipped screens' words measured where they are drawn and read back from the screen: no window's words run off the screen, out of their boxes, over each other or down onto its frame, the covenant cards keep their words apart and on the screen, a bag place's fill stays in its cell, and over a larger window the words are drawn where their boxes scale to.
#include "app/OffscreenShots.h"

#include "client/ClientApp.h"
#include "client/GameClient.h"
#include "core/LocSystem.h"
#include "core/UserVarSystem.h"
#include "render/TextMeasure.h"
#include "ui/UIMenu.h"
#include "ui/UISystem.h"
#include "ui/UIWidget.h"
#include "ui/widgets/UIItemSlot.h"
#include "ui/widgets/UIRelationsMenu.h"
#include "ui/widgets/UIStatValue.h"
#include "ui/widgets/UIStatWidget.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <typeinfo>
#include <vector>

namespace {

// Where one widget's words are drawn, in the 640 x 480 units of the screen.
struct WordBox {
    std::string where;
    float x0 = 0.0f;
    float y0 = 0.0f;
    float x1 = 0.0f;
    float y1 = 0.0f;
    // The widget's own box.
    float boxX0 = 0.0f;
    float boxX1 = 0.0f;
};

bool Overlap(const WordBox& a, const WordBox& b)
{
    return a.x0 < b.x1 && b.x0 < a.x1 && a.y0 < b.y1 && b.y0 < a.y1;
}

std::string Describe(const WordBox& box)
{
    char text[160];
    std::snprintf(text, sizeof text, "%s (%.0f,%.0f)-(%.0f,%.0f)", box.where.c_str(), box.x0, box.y0, box.x1, box.y1);
    return text;
}

// The kinds that draw their words as a plain widget does, the stat values after filling them in.
bool DrawsPlainWords(const UIWidget& widget)
{
    const std::type_info& kind = typeid(widget);
    return kind == typeid(UIWidget) || kind == typeid(UIStatValue) || kind == typeid(UIStatWidget);
}

// The box a widget's words take, measured and placed as the widget's drawing does; false for a
// widget drawing no words. Other kinds (lists, slots, bars) draw their words their own way.
bool DrawnWords(const UIWidget& widget, WordBox& box)
{
    if (!DrawsPlainWords(widget) || !widget.IsVisible() || !widget.draw)
        return false;
    // The display text is drawn as it stands; the text translated first.
    WString shown = widget.displayText.empty() ? gLocSystem->TranslateToWide(widget.text) : widget.displayText;
    if (shown.empty())
        return false;
    TextSize size = MeasureTextW(widget.font, shown);
    if (size.width <= 0.0f)
        return false;
    float x = 0.0f;
    float y = 0.0f;
    widget.GetTextPosition(size.width, size.height, x, y);
    box.where = widget.GetMenuName() + "::" + (widget.internalName.empty() ? WideToNarrow(shown) : widget.internalName);
    box.x0 = x;
    box.y0 = y;
    box.x1 = x + size.width;
    box.y1 = y + size.height;
    box.boxX0 = widget.GetScreenPosition().x;
    box.boxX1 = widget.GetScreenPosition().x + widget.size[0];
    return true;
}

std::vector<WordBox> MenuWords(const UIMenu& menu)
{
    std::vector<WordBox> words;
    for (const UIWidget* widget : menu.GetWidgets()) {
        WordBox box;
        if (DrawnWords(*widget, box))
            words.push_back(box);
    }
    return words;
}

// Two words of one row closer than this read as one ("DifficultyEasy"): about half a letter of
// the game's medium font.
constexpr float kLeastGapInARow = 8.0f;

// What is wrong with a window's words: off the screen, wider than their box (a pixel's slack for
// the glyphs' own spacing), over another word of the same window, or run together with the next
// word of their row.
std::vector<std::string> WordFaults(const std::vector<WordBox>& words)
{
    std::vector<std::string> faults;
    for (size_t i = 0; i < words.size(); ++i) {
        const WordBox& a = words[i];
        if (a.x0 < 0.0f || a.y0 < 0.0f || a.x1 > 640.0f || a.y1 > 480.0f)
            faults.push_back("off the screen: " + Describe(a));
        if (a.x0 < a.boxX0 - 1.0f || a.x1 > a.boxX1 + 1.0f)
            faults.push_back("wider than its box: " + Describe(a));
        for (size_t j = i + 1; j < words.size(); ++j) {
            const WordBox& b = words[j];
            if (Overlap(a, b)) {
                faults.push_back("over each other: " + Describe(a) + " and " + Describe(b));
                continue;
            }
            float gap = std::max(b.x0 - a.x1, a.x0 - b.x1);
            if (a.y0 < b.y1 && b.y0 < a.y1 && gap < kLeastGapInARow)
                faults.push_back("run together: " + Describe(a) + " and " + Describe(b));
        }
    }
    return faults;
}

// What of a window's words runs onto its frame: the frame picture is stretched over the window, so
// its metal border is the same share of the window's height and width at any size. A word below
// the face's lower edge, or halfway across a side band, stands on the metal. (The heading and the
// close button sit on the upper band, and labels may touch the inner edge of a side band, by
// design.)
std::vector<std::string> FrameFaults(const UIMenu& menu, const std::vector<WordBox>& words)
{
    // The outline and the rings of metal, of the picture's 256 rows and columns.
    constexpr float kMetalShare = 5.0f / 256.0f;
    std::vector<std::string> faults;
    for (const UIWidget* panel : menu.GetWidgets()) {
        if (!panel->IsVisible() || panel->textureName != "Textures/UI/frame_window.tga")
            continue;
        float x0 = panel->GetScreenPosition().x;
        float x1 = x0 + panel->size[0];
        float top = panel->GetScreenPosition().y;
        float face = top + panel->size[1] * (1.0f - kMetalShare);
        float halfBand = panel->size[0] * kMetalShare / 2.0f;
        for (const WordBox& word : words) {
            if (!(word.x1 > x0 && word.x0 < x1 && word.y0 < top + panel->size[1] && word.y1 > top))
                continue;
            // A pixel's slack for the glyphs' own spacing.
            if (word.y1 > face + 1.0f)
                faults.push_back("down on the frame: " + Describe(word));
            else if (word.y0 > top + panel->size[1] * kMetalShare &&
                     (word.x0 < x0 + halfBand || word.x1 > x1 - halfBand))
                faults.push_back("across the frame's side: " + Describe(word));
        }
    }
    return faults;
}

std::string Joined(const std::vector<std::string>& lines)
{
    std::string all;
    for (const std::string& line : lines)
        all += "\n  " + line;
    return all;
}

class ScreenLayoutEndToEnd : public OffscreenShotGame {
protected:
    void SetUp() override
    {
        if (!std::getenv("EMBERLODE_GAME_DIR"))
            GTEST_SKIP() << "EMBERLODE_GAME_DIR not set";
        StartShippedGame();
    }

    void TearDown() override { KeepFailedFrame("ScreenLayoutEndToEnd"); }

    // Every shown window's faults, each window's words alone: a window may lie over another.
    static std::vector<std::string> ShownWindowFaults()
    {
        std::vector<std::string> found;
        for (const UIMenu* menu : gUISystem->GetMenus()) {
            if (!menu->IsShown())
                continue;
            std::vector<WordBox> words = MenuWords(*menu);
            std::vector<std::string> more = WordFaults(words);
            found.insert(found.end(), more.begin(), more.end());
            more = FrameFaults(*menu, words);
            found.insert(found.end(), more.begin(), more.end());
        }
        return found;
    }

    // The faults of every window shown with this screen, each told once for the test.
    void CheckWindow(const std::string& screen)
    {
        Frames(2);
        for (const std::string& fault : ShownWindowFaults())
            if (std::find(faults.begin(), faults.end(), fault) == faults.end())
                faults.push_back(fault);
        KeepScreen(screen);
    }

    void Console(const std::string& line)
    {
        TypeOnConsole(line);
        Frames(1);
    }

    // The screen as a person sees it, kept beside the staged game folder.
    void KeepScreen(const std::string& screen)
    {
        Screenshot();
        if (lastShot.empty())
            return;
        std::filesystem::path kept =
            std::filesystem::path(std::getenv("EMBERLODE_GAME_DIR")).parent_path() / ("ScreenLayout-" + screen + ".tga");
        std::filesystem::copy_file(lastShot, kept, std::filesystem::copy_options::overwrite_existing);
    }

    // Pixels of the box as white as the cards' lines, which the ring's red-to-green lines never
    // are; with anyColour, pixels bright in any colour, as the covenants' coloured names are.
    static int WhitePixels(const TargaImage& image, const WordBox& box, bool anyColour = false)
    {
        return CountPixels(image, static_cast<int>(box.x0), static_cast<int>(box.y0), static_cast<int>(box.x1),
                           static_cast<int>(box.y1), [anyColour](const std::array<int, 3>& p) {
                               return anyColour ? std::max({p[0], p[1], p[2]}) > 150
                                                : std::min({p[0], p[1], p[2]}) > 170;
                           });
    }

    std::vector<std::string> faults;
};

TEST_F(ScreenLayoutEndToEnd, TheScreensOutOfTheGameKeepTheirWordsInTheirBoxes)
{
    CheckWindow("title");
    for (const char* menu : {"NewCharacter", "Options", "OptionsInterface", "KeyBindings", "HelpScreen",
                             "LoadCharacter", "Profiles", "NewProfile"}) {
        Console(std::string("showMenu ") + menu);
        ASSERT_TRUE(Shown(menu)) << menu;
        CheckWindow(menu);
        Console(std::string("hideMenu ") + menu);
    }
    EXPECT_EQ(Joined(faults), "");
}

// The keys that open the windows of a game, and the windows.
constexpr std::array<std::pair<SDL_Scancode, const char*>, 9> kGameWindows = {{
    {SDL_SCANCODE_I, "Inventory"},
    {SDL_SCANCODE_C, "Character"},
    {SDL_SCANCODE_S, "Skills"},
    {SDL_SCANCODE_Q, "Quests"},
    {SDL_SCANCODE_P, "NpcList"},
    {SDL_SCANCODE_M, "WorldMap"},
    {SDL_SCANCODE_T, "Trade"},
    {SDL_SCANCODE_R, "CovenantRelations"},
    {SDL_SCANCODE_ESCAPE, "GameMenu"},
}};

TEST_F(ScreenLayoutEndToEnd, TheWindowsOfTheGameKeepTheirWordsInTheirBoxes)
{
    EnterTheWorld();
    ASSERT_TRUE(gClientApp->IsActive());
    // Long enough for the words the world shows on entering to fade.
    Frames(200);
    CheckWindow("ingame");
    for (const auto& [key, menu] : kGameWindows) {
        Tap(key);
        Frames(1);
        EXPECT_TRUE(Shown(menu)) << menu;
        CheckWindow(menu);
        Tap(key);
        Frames(1);
    }
    for (const char* menu : {"CharacterExport", "ConfirmExit", "ConfirmSaveExit", "VendorMenu"}) {
        Console(std::string("showMenu ") + menu);
        ASSERT_TRUE(Shown(menu)) << menu;
        CheckWindow(menu);
        Console(std::string("hideMenu ") + menu);
    }
    EXPECT_EQ(Joined(faults), "");
}

// The same layout over the largest window the offscreen display gives, 1024 x 768: each window's
// words are drawn where their boxes scale to. (A window resized later keeps the offscreen surface
// of its first size, so a wider one cannot be tried here.)
class ScreenLayoutLarge : public ScreenLayoutEndToEnd {
protected:
    void SetUp() override
    {
        if (!std::getenv("EMBERLODE_GAME_DIR"))
            GTEST_SKIP() << "EMBERLODE_GAME_DIR not set";
        StartShippedGameAt(1024, 768);
    }
};

TEST_F(ScreenLayoutLarge, EachWindowDrawsItsWordsWhereItsBoxesScaleTo)
{
    ASSERT_NO_FATAL_FAILURE(StartBoth());
    Frames(200);
    for (const auto& [key, menu] : kGameWindows) {
        Tap(key);
        Frames(2);
        ASSERT_TRUE(Shown(menu)) << menu;
        TargaImage screen = Screenshot();
        // The picture may be a pixel or two short of the window; its own size gives the scale.
        ASSERT_GT(screen.GetWidth(), 1000);
        float sx = static_cast<float>(screen.GetWidth()) / 640.0f;
        float sy = static_cast<float>(screen.GetHeight()) / 480.0f;
        KeepScreen(std::string(menu) + "-1024x768");
        UIMenu* shown = gUISystem->FindMenu(key == SDL_SCANCODE_R ? "RelationsMain" : menu);
        std::vector<WordBox> words = MenuWords(*shown);
        EXPECT_FALSE(words.empty()) << menu;
        for (const WordBox& word : words) {
            WordBox scaled = word;
            scaled.x0 *= sx;
            scaled.x1 *= sx;
            scaled.y0 *= sy;
            scaled.y1 *= sy;
            EXPECT_GT(WhitePixels(screen, scaled, true), 4) << menu << ": " << Describe(word);
        }
        Tap(key);
        Frames(1);
    }
}

// The words of one covenant card, and its other widgets (the lifestone bar, the trait icons), with
// the card's top-left corner as origin.
struct CardLayout {
    std::vector<WordBox> words;
    std::vector<WordBox> others;
};

WordBox Moved(WordBox box, float dx, float dy)
{
    box.x0 += dx;
    box.x1 += dx;
    box.y0 += dy;
    box.y1 += dy;
    return box;
}

CardLayout CardAtOrigin(const UIMenu& card)
{
    CardLayout layout;
    for (const UIWidget* widget : card.GetWidgets()) {
        WordBox box;
        if (DrawnWords(*widget, box)) {
            layout.words.push_back(Moved(box, -card.position[0], -card.position[1]));
        } else if (widget->IsVisible() && typeid(*widget) != typeid(UIWidget)) {
            box.where = card.name + "::widget";
            box.x0 = widget->position[0];
            box.y0 = widget->position[1];
            box.x1 = box.x0 + widget->size[0];
            box.y1 = box.y0 + widget->size[1];
            layout.others.push_back(box);
        }
    }
    return layout;
}

// A card's words against the screen's edges, the page's own words and another card's words and
// widgets; each card placed with its top-left corner at the given point.
std::vector<std::string> CardFaults(const CardLayout& a, std::array<float, 2> at, const CardLayout& b,
                                    std::array<float, 2> bAt, const std::vector<WordBox>& page)
{
    std::vector<std::string> faults;
    for (const WordBox& word : a.words) {
        WordBox placed = Moved(word, at[0], at[1]);
        if (placed.x0 < 0.0f || placed.y0 < 0.0f || placed.x1 > 640.0f || placed.y1 > 480.0f)
            faults.push_back("off the screen: " + Describe(placed));
        for (const WordBox& other : page)
            if (Overlap(placed, other))
                faults.push_back("over the page: " + Describe(placed) + " and " + Describe(other));
        for (const std::vector<WordBox>* list : {&b.words, &b.others})
            for (const WordBox& other : *list)
                if (Overlap(placed, Moved(other, bAt[0], bAt[1])))
                    faults.push_back("over another card: " + Describe(placed) + " and " +
                                     Describe(Moved(other, bAt[0], bAt[1])));
    }
    return faults;
}

} // namespace

TEST_F(ScreenLayoutEndToEnd, TheCovenantCardsKeepTheirWordsApartAndOnTheScreenForTwoToSevenCovenants)
{
    EnterTheWorld();
    ASSERT_TRUE(gClientApp->IsActive());
    Tap(SDL_SCANCODE_R);
    auto* relations = dynamic_cast<UIRelationsMenu*>(gUISystem->FindMenu("CovenantRelations"));
    ASSERT_TRUE(relations && relations->IsShown());
    // Long enough for the words the world shows on entering to fade.
    Frames(200);
    TargaImage screen = Screenshot();
    KeepScreen("relations");
    UIMenu* page = gUISystem->FindMenu("RelationsMain");
    ASSERT_NE(page, nullptr);
    std::vector<WordBox> pageWords = MenuWords(*page);
    ASSERT_FALSE(pageWords.empty());

    int32_t count = gGameClient->GetCovenantCount();
    ASSERT_GE(count, 3) << "a new game has rival covenants";
    std::vector<CardLayout> cards;
    std::vector<std::array<float, 2>> corners;
    for (int32_t i = 0; i < count; ++i) {
        const UIMenu& card = *relations->covenantCards[static_cast<size_t>(i)].card;
        cards.push_back(CardAtOrigin(card));
        corners.push_back({card.position[0], card.position[1]});
        ASSERT_GE(cards.back().words.size(), 5u) << "name, label and three lines of card " << i;
    }

    // The shipped count as drawn: each card's words are where they were measured, and the
    // three lines' words end where their measure ends.
    for (int32_t i = 0; i < count; ++i)
        for (int32_t j = 0; j < count; ++j) {
            if (i == j)
                continue;
            std::vector<std::string> found = CardFaults(cards[i], corners[i], cards[j], corners[j], pageWords);
            faults.insert(faults.end(), found.begin(), found.end());
        }
    EXPECT_EQ(Joined(faults), "");
    for (int32_t i = 0; i < count; ++i)
        for (const WordBox& word : cards[i].words) {
            WordBox placed = Moved(word, corners[i][0], corners[i][1]);
            EXPECT_GT(WhitePixels(screen, placed, true), 10) << Describe(placed);
            if (word.x0 < 64.0f)
                continue;
            WordBox beyond = placed;
            beyond.x0 = placed.x1 + 1.0f;
            beyond.x1 = placed.x1 + 8.0f;
            EXPECT_EQ(WhitePixels(screen, beyond), 0) << "a line's words run past their measure: " << Describe(placed);
        }

    // Any two of these cards in any two places of a ring of two to seven, as the ring's settings
    // place them: a covenant's card may take any place, and the player's is always at the top.
    faults.clear();
    for (int32_t n = 2; n <= 7; ++n)
        for (int32_t a = 0; a < n; ++a)
            for (int32_t b = 0; b < n; ++b) {
                if (a == b)
                    continue;
                std::array<float, 2> at{};
                std::array<float, 2> bAt{};
                UIRelationsMenu::RingPosition(a, n, at[0], at[1]);
                UIRelationsMenu::RingPosition(b, n, bAt[0], bAt[1]);
                for (auto* point : {&at, &bAt})
                    *point = {(*point)[0] - 32.0f, (*point)[1] - 32.0f};
                for (int32_t i = 0; i < count; ++i)
                    for (int32_t j = 0; j < count; ++j)
                        if (i != j) {
                            std::vector<std::string> found = CardFaults(cards[i], at, cards[j], bAt, pageWords);
                            for (const std::string& fault : found)
                                faults.push_back(std::to_string(n) + " covenants: " + fault);
                        }
            }
    std::sort(faults.begin(), faults.end());
    faults.erase(std::unique(faults.begin(), faults.end()), faults.end());
    EXPECT_EQ(Joined(faults), "");
}

// A bag place shows how full its bag is under its icon: the widest fill a shipped bag can show fits
// the cell, and nothing is drawn in the gaps beside it.
TEST_F(ScreenLayoutEndToEnd, TheBagPlacesShowTheirBagsFillInsideTheirCells)
{
    EnterTheWorld();
    ASSERT_TRUE(gClientApp->IsActive());
    Tap(SDL_SCANCODE_I);
    ASSERT_TRUE(Shown("Inventory"));
    Frames(200);
    TargaImage screen = Screenshot();
    KeepScreen("inventory");
    auto* place = dynamic_cast<UIItemSlot*>(gUISystem->FindWidgetByPath("Inventory::BagPlace0"));
    auto* next = dynamic_cast<UIItemSlot*>(gUISystem->FindWidgetByPath("Inventory::BagPlace1"));
    ASSERT_TRUE(place && next);
    ASSERT_NE(place->GetItem(), nullptr) << "a new character carries a bag";
    // The measure counts a pixel of spacing after the last glyph, which draws nothing.
    EXPECT_LE(MeasureTextA("10/10", place->font).width - 1.0f, place->size[0]);

    // The cell's own pixels hold the fill's white figures; the gap to the next place holds none.
    WordBox cell;
    cell.where = "Inventory::BagPlace0";
    cell.x0 = place->GetScreenPosition().x;
    cell.x1 = cell.x0 + place->size[0];
    cell.y1 = place->GetScreenPosition().y + place->size[1];
    cell.y0 = cell.y1 - 12.0f;
    EXPECT_GT(WhitePixels(screen, cell), 10) << "the fill is drawn";
    WordBox gap = cell;
    gap.x0 = cell.x1 + 1.0f;
    gap.x1 = next->GetScreenPosition().x - 1.0f;
    EXPECT_EQ(WhitePixels(screen, gap), 0) << "the fill runs out of its cell";
}
