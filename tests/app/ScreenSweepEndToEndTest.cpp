// ScreenSweepEndToEndTest -- every shipped screen opened in one sweep, at 800 x 600 and at 1024 x 768, with the screen text watched while each is drawn: no text lies on the metal of a frame or a button's border, runs out of a frame's face, is cut by a window drawn over it or lies under another widget's picture, lies over another text, runs off the screen or is broken inside a word, and no scrolling text hides lines it has room for; the world map is watched with the levels of the town's depth known and dragged under what the interface draws over it; and every menu file the game ships is opened on the way.
#include "app/OffscreenShots.h"

#include "core/CommandSystem.h"
#include "core/LocSystem.h"
#include "rules/RulesEnums.h"
#include "render/TextEvents.h"
#include "render/TextMeasure.h"
#include "render/WorldMap.h"
#include "resources/fonts/ScreenText.h"
#include "resources/shaders/ShaderTextures.h"
#include "resources/textures/TextureResource.h"
#include "client/ItemClient.h"
#include "ui/widgets/UIItemSlot.h"
#include "ui/widgets/UIRelationsMenu.h"
#include "ui/widgets/UIText.h"

#include <algorithm>
#include <cctype>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

using Box = ScreenTextWatcher::Box;

// The pictures the screens frame their windows, buttons and fields with, and how many of their
// outer pixel rings are metal (an outline, the bevel, the inner line): stretched over a widget,
// that share of its width and height is the frame's band. The generator draws them so.
struct FramePicture {
    const char* name;
    int32_t ring;
};
constexpr FramePicture kFramePictures[] = {
    {"Textures/UI/frame_window", 5},
    {"Textures/UI/frame_button", 4},
    {"Textures/UI/frame_button_pressed", 4},
    {"Textures/UI/frame_slot", 3},
};
// The tooltip's frame: eight pieces, each edge's outer half metal.
constexpr const char* kTooltipEdges[] = {"Textures/helpBorderTop", "Textures/helpBorderBottom",
                                         "Textures/helpBorderLeft", "Textures/helpBorderRight"};
// Pictures that hide what lies under them: the frames' faces, the full-screen backdrop, the
// tooltip's ground, and the mini-map's ring (its opaque ring only: from 0.875 of its half side out).
constexpr const char* kBackdrop = "Textures/UI/backdrop";
constexpr const char* kMiniMapRing = "Textures/UI/minimapframe";
constexpr float kRingInside = 0.875f;
// A glyph's edge may touch a frame or another glyph; less than this much overlap is not a crossing.
constexpr float kSlack = 0.5f;
// A button's word stands this far inside the button's metal at either end: its shadow falls one
// unit to the right, and at 1024 x 768 a pixel's rounding moves a letter by most of a unit, so a
// word that only just clears the band is drawn on it.
constexpr float kButtonClearance = 1.0f;
// A picture drawn fainter than this over a text lets it be read (a glow, a hover's tint).
constexpr float kSeeThrough = 0.5f;

bool SweepMeet(const Box& a, const Box& b)
{
    return a.x0 + kSlack < b.x1 && b.x0 + kSlack < a.x1 && a.y0 + kSlack < b.y1 && b.y0 + kSlack < a.y1;
}

bool SweepWithin(const Box& inner, const Box& outer)
{
    return inner.x0 + kSlack >= outer.x0 && inner.x1 - kSlack <= outer.x1 && inner.y0 + kSlack >= outer.y0 &&
           inner.y1 - kSlack <= outer.y1;
}

// Whether the box reaches into the ring between the two radii round the centre.
bool MeetsRing(const Box& box, float cx, float cy, float inside, float outside)
{
    float nx = std::clamp(cx, box.x0 + kSlack, box.x1 - kSlack) - cx;
    float ny = std::clamp(cy, box.y0 + kSlack, box.y1 - kSlack) - cy;
    float fx = std::max(std::abs(box.x0 - cx), std::abs(box.x1 - cx));
    float fy = std::max(std::abs(box.y0 - cy), std::abs(box.y1 - cy));
    return nx * nx + ny * ny < outside * outside && fx * fx + fy * fy > inside * inside;
}

std::string SweepDescribe(const Box& box)
{
    char text[80];
    std::snprintf(text, sizeof text, "(%.0f,%.0f)-(%.0f,%.0f)", box.x0, box.y0, box.x1, box.y1);
    return text;
}

// What drew: "menu::widget", the menu alone between its widgets.
std::string DrawerName(const UiDrawing& drawing)
{
    if (!drawing.menu)
        return {};
    std::string name = drawing.menu->name;
    if (drawing.widget)
        name += "::" + (drawing.widget->internalName.empty() ? std::string("(unnamed)") : drawing.widget->internalName);
    return name;
}

// One thing drawn while the sweep watched, in drawing order.
struct Drawn {
    std::string drawer;
    // A text: its words and its lines' boxes; the drawing widget's own words in one line, its
    // width and font.
    std::string words;
    std::string source;
    float room = 0.0f;
    int32_t font = -1;
    std::vector<Box> lines;
    // A picture: its name and rectangle.
    std::string picture;
    int32_t shader = -1;
    Box rect;
    float alpha = 1.0f;
    // The widget that drew (null for the map's own drawing), and whether its menu is a window: a
    // screen of a menu file that the in-game screen does not hold under every other.
    const UIWidget* widget = nullptr;
    bool window = false;
    // A scrolling text box: how many lines its words make, and its height.
    int32_t heldLines = -1;
    float height = 0.0f;
};

// Records one frame of the screen text, naming each drawer; the world map's own names (drawn
// before the interface, by no menu) are the map's, and the world's other words are not watched.
class SweepWatcher : public ScreenTextWatcher {
public:
    void OnText(std::u16string_view shown, const std::vector<Box>& lines) override
    {
        Drawn drawn;
        drawn.drawer = Drawer();
        if (drawn.drawer.empty())
            return;
        drawn.words = WideToNarrow(WString(shown));
        Mark(drawn);
        if (const UIWidget* widget = gUISystem->drawing.widget) {
            drawn.source = gLocSystem->Translate(widget->displayText.empty() ? widget->text : WideToNarrow(widget->displayText));
            std::replace(drawn.source.begin(), drawn.source.end(), '\n', ' ');
            drawn.room = widget->size[0];
            drawn.font = widget->font.GetValue();
            if (const auto* box = dynamic_cast<const UIText*>(widget)) {
                drawn.heldLines = static_cast<int32_t>(box->lines.size());
                drawn.height = widget->size[1];
            }
        }
        for (const Box& line : lines)
            if (!line.IsEmpty())
                drawn.lines.push_back(line);
        if (!drawn.lines.empty())
            all.push_back(std::move(drawn));
    }

    void OnRect(int32_t shader, float x0, float y0, float x1, float y1, float alpha) override
    {
        Drawn drawn;
        drawn.drawer = Drawer();
        if (drawn.drawer.empty())
            return;
        Mark(drawn);
        drawn.picture = PictureName(shader);
        // The cursor is drawn over all, on purpose.
        if (drawn.picture.rfind("Textures/cursors/", 0) == 0)
            return;
        drawn.shader = shader;
        drawn.rect = {x0, y0, x1, y1};
        drawn.alpha = alpha;
        all.push_back(std::move(drawn));
    }

    std::vector<Drawn> all;
    bool mapOpen = false;

private:
    static void Mark(Drawn& drawn)
    {
        const UIMenu* menu = gUISystem->drawing.menu;
        drawn.widget = gUISystem->drawing.widget;
        drawn.window = menu && !menu->filePath.empty() && !menu->alwaysOnBottom;
    }

    std::string Drawer() const
    {
        std::string name = DrawerName(gUISystem->drawing);
        return name.empty() && mapOpen ? "WorldMap::(map)" : name;
    }

    // A picture is drawn through the shader made for it, named as the picture but for the ending.
    static std::string Stem(const std::string& name) { return name.substr(0, name.rfind('.')); }

    std::string PictureName(int32_t shader)
    {
        auto found = names.find(shader);
        if (found == names.end())
            found = names.emplace(shader, Stem(gResourceManager->GetName(shader))).first;
        return found->second;
    }

    std::map<int32_t, std::string> names;
};

// A frame as drawn: its outer rectangle and its face inside the band.
struct SweepFrame {
    std::string drawer;
    Box outer;
    Box face;
    size_t order = 0;
    bool button = false;
};

bool FrameOf(const Drawn& drawn, SweepFrame& frame)
{
    for (const FramePicture& picture : kFramePictures) {
        if (drawn.picture != picture.name)
            continue;
        const TextureResource* texture = ShaderTextures::GetShaderTexture(drawn.shader);
        if (!texture || texture->GetWidth() <= 0 || texture->GetHeight() <= 0)
            return false;
        float bandX = (drawn.rect.x1 - drawn.rect.x0) * static_cast<float>(picture.ring) / texture->GetWidth();
        float bandY = (drawn.rect.y1 - drawn.rect.y0) * static_cast<float>(picture.ring) / texture->GetHeight();
        frame.outer = drawn.rect;
        frame.face = {drawn.rect.x0 + bandX, drawn.rect.y0 + bandY, drawn.rect.x1 - bandX, drawn.rect.y1 - bandY};
        frame.button = drawn.picture.rfind("Textures/UI/frame_button", 0) == 0;
        return true;
    }
    for (size_t side = 0; side < std::size(kTooltipEdges); ++side) {
        if (drawn.picture != kTooltipEdges[side])
            continue;
        // The band is the edge's outer half; the face is the rest of the box, far beyond it.
        Box r = drawn.rect;
        float halfX = (r.x1 - r.x0) / 2.0f;
        float halfY = (r.y1 - r.y0) / 2.0f;
        frame.outer = r;
        frame.face = side == 0   ? Box{r.x0, r.y0 + halfY, r.x1, r.y1 + 1000.0f}
                     : side == 1 ? Box{r.x0, r.y0 - 1000.0f, r.x1, r.y1 - halfY}
                     : side == 2 ? Box{r.x0 + halfX, r.y0, r.x1 + 1000.0f, r.y1}
                                 : Box{r.x0 - 1000.0f, r.y0, r.x1 - halfX, r.y1};
        return true;
    }
    return false;
}

// The faults of one watched frame: each text against the frames drawn under it, the faces drawn
// over it and the texts beside it.
class SweepJudge {
public:
    explicit SweepJudge(const std::vector<Drawn>& all) : all(all) {}

    std::vector<std::string> Faults()
    {
        for (size_t i = 0; i < all.size(); ++i) {
            if (all[i].lines.empty())
                Picture(i);
            else
                Text(i);
        }
        return faults;
    }

private:
    struct Shown {
        size_t index;
        Box line;
    };

    static std::string Named(const Drawn& drawn) { return drawn.drawer + " \"" + Flat(drawn.words) + "\""; }

    static std::string Flat(std::string words)
    {
        std::replace(words.begin(), words.end(), '\n', '|');
        return words;
    }

    void Fault(const std::string& line)
    {
        if (std::find(faults.begin(), faults.end(), line) == faults.end())
            faults.push_back(line);
    }

    // A face hides the texts wholly under it; a window's face over part of a text cuts it. The
    // tooltip's ground lies over whatever it lies over, and the windows over the world's
    // tooltips, by design; the in-game screen's pictures are no window, and cut them.
    void Picture(size_t i)
    {
        const Drawn& drawn = all[i];
        SweepFrame frame;
        bool framed = FrameOf(drawn, frame);
        if (framed) {
            frame.drawer = drawn.drawer;
            frame.order = i;
            frames.push_back(frame);
        }
        bool ring = drawn.picture == kMiniMapRing;
        bool tooltip = drawn.drawer.rfind("HelpTop::", 0) == 0;
        bool face = ring || drawn.picture == kBackdrop || (framed && drawn.alpha > 0.5f) || tooltip;
        if (!face) {
            Covering(i);
            return;
        }
        faces.push_back(i);
        for (auto it = shown.begin(); it != shown.end();) {
            const Box& line = it->line;
            bool meets = ring ? RingMeets(drawn.rect, line) : SweepMeet(line, drawn.rect);
            if (!meets || (!ring && SweepWithin(line, drawn.rect)) || tooltip || WorldUnderWindow(all[it->index], drawn)) {
                it = meets ? shown.erase(it) : it + 1;
                continue;
            }
            Fault("cut by " + drawn.drawer + ": " + Named(all[it->index]) + " " + SweepDescribe(line));
            it = shown.erase(it);
        }
    }

    // The tooltip of a thing of the world is drawn with the world, under the windows.
    static bool WorldUnderWindow(const Drawn& text, const Drawn& picture)
    {
        return text.drawer.rfind("HelpBottom::", 0) == 0 && picture.window;
    }

    // Any other picture (an icon, a scroll bar, a text's backdrop, a help topic's button) drawn
    // over letters of another widget's words hides them: the words lie under it.
    void Covering(size_t i)
    {
        const Drawn& drawn = all[i];
        if (drawn.alpha <= kSeeThrough || drawn.drawer.rfind("HelpTop::", 0) == 0)
            return;
        for (auto it = shown.begin(); it != shown.end();) {
            const Drawn& text = all[it->index];
            if ((text.widget && text.widget == drawn.widget) || !SweepMeet(it->line, drawn.rect) ||
                WorldUnderWindow(text, drawn)) {
                ++it;
                continue;
            }
            Fault("under the picture of " + drawn.drawer + " (" + drawn.picture + "): " + Named(text) + " " +
                  SweepDescribe(it->line));
            it = shown.erase(it);
        }
    }

    static bool RingMeets(const Box& ring, const Box& line)
    {
        float half = (ring.x1 - ring.x0) / 2.0f;
        return MeetsRing(line, ring.x0 + half, ring.y0 + half, half * kRingInside, half);
    }

    // A face drawn after the frame and under the whole line: the line lies on that face.
    bool OnLaterFace(const SweepFrame& frame, const Box& line, size_t text) const
    {
        for (size_t face : faces)
            if (face > frame.order && face < text && SweepWithin(line, all[face].rect))
                return true;
        return false;
    }

    void Text(size_t i)
    {
        const Drawn& drawn = all[i];
        const std::string name = Named(drawn);
        BrokenWord(drawn);
        for (const Box& line : drawn.lines) {
            if (line.x0 < -kSlack || line.y0 < -kSlack || line.x1 > 640.0f + kSlack || line.y1 > 480.0f + kSlack)
                Fault("off the screen: " + name + " " + SweepDescribe(line));
            for (const SweepFrame& frame : frames) {
                if (!SweepMeet(line, frame.outer) || OnLaterFace(frame, line, i))
                    continue;
                if (!SweepWithin(line, frame.face))
                    Fault("on the frame of " + frame.drawer + ": " + name + " " + SweepDescribe(line));
                else if (frame.button && (line.x0 - kButtonClearance < frame.face.x0 ||
                                          line.x1 + kButtonClearance > frame.face.x1))
                    Fault("on the border of the button " + frame.drawer + ": " + name + " " + SweepDescribe(line));
            }
            for (const Shown& other : shown)
                if (other.index != i && SweepMeet(line, other.line))
                    Fault("over " + Named(all[other.index]) + ": " + name + " " + SweepDescribe(line));
        }
        for (const Box& line : drawn.lines)
            shown.push_back({i, line});
        HiddenLines(drawn);
    }

    // A scrolling text box that shows fewer of its lines than its height holds, measured by the
    // drawn lines' own pitch: the reader scrolls for lines the box had room for.
    void HiddenLines(const Drawn& drawn)
    {
        if (drawn.heldLines < 0)
            return;
        std::string words = drawn.words;
        if (!words.empty() && words.back() == '\n')
            words.pop_back();
        auto showing = static_cast<int32_t>(std::count(words.begin(), words.end(), '\n')) + 1;
        float pitch = MeasureTextA("A\nA", drawn.font).height - MeasureTextA("A", drawn.font).height;
        if (drawn.heldLines > showing && pitch > 0.0f && static_cast<float>(showing + 1) * pitch <= drawn.height)
            Fault("hides lines it has room for: " + Named(drawn) + StringFormat(" shows %d of %d lines of %.0f units in %.0f",
                                                                                  showing, drawn.heldLines, pitch, drawn.height));
    }

    // A line break between two letters where the widget's own words have one word, which a line
    // of the widget's width would hold whole: a word broken in two for no need.
    void BrokenWord(const Drawn& drawn)
    {
        const std::string& w = drawn.words;
        auto letter = [&w](size_t at) { return std::isalnum(static_cast<unsigned char>(w[at])) != 0; };
        for (size_t at = w.find('\n'); at != std::string::npos; at = w.find('\n', at + 1)) {
            if (at == 0 || at + 1 >= w.size() || !letter(at - 1) || !letter(at + 1))
                continue;
            size_t start = at;
            while (start > 0 && letter(start - 1))
                --start;
            size_t end = at + 1;
            while (end < w.size() && letter(end))
                ++end;
            std::string joined = w.substr(start, at - start) + w.substr(at + 1, end - at - 1);
            if (drawn.source.find(joined) != std::string::npos &&
                MeasureTextA(joined, drawn.font).width <= drawn.room)
                Fault("broken inside a word that fits its line: " + Named(drawn));
        }
    }

    const std::vector<Drawn>& all;
    std::vector<SweepFrame> frames;
    std::vector<size_t> faces;
    std::vector<Shown> shown;
    std::vector<std::string> faults;
};

struct SweepSize {
    int width;
    int height;
};

class ScreenSweep : public OffscreenShotGame, public ::testing::WithParamInterface<SweepSize> {
protected:
    void SetUp() override
    {
        if (!std::getenv("EMBERLODE_GAME_DIR"))
            GTEST_SKIP() << "EMBERLODE_GAME_DIR not set";
        ASSERT_NO_FATAL_FAILURE(StartShippedGameAt(GetParam().width, GetParam().height));
    }

    void TearDown() override
    {
        if (gScreenText)
            gScreenText->SetWatcher(nullptr);
        KeepFailedFrame("ScreenSweep");
    }

    // Frames until the screen settles with the cursor at the point of the 640 x 480 screen given,
    // then one frame watched.
    // The passing messages are cleared first, unless the screen's own message is to be seen.
    const std::vector<Drawn>& WatchFrame(int32_t cursorX, int32_t cursorY, bool keepMessages = false)
    {
        PushMotion(cursorX * gGraphicsSystem->GetViewWidth() / 640, cursorY * gGraphicsSystem->GetViewHeight() / 480);
        Frames(3);
        SettleLoads();
        if (gTextEvents && !keepMessages)
            gTextEvents->RemoveAll();
        watcher.all.clear();
        watcher.mapOpen = gWorldMap && gWorldMap->IsOpen();
        gScreenText->SetWatcher(&watcher);
        Frame();
        gScreenText->SetWatcher(nullptr);
        return watcher.all;
    }

    // One watched frame with the cursor off every window (or at the point given, to show its
    // tooltip). Each fault is kept once, under the first screen it was seen on; every menu shown
    // or drawing counts as opened.
    void Measure(const std::string& screen, int32_t cursorX = 639, int32_t cursorY = 479, bool keepMessages = false)
    {
        WatchFrame(cursorX, cursorY, keepMessages);
        Judge(screen);
    }

    // The last watched frame judged: each fault kept once, under the first screen it was seen on.
    void Judge(const std::string& screen)
    {
        const std::vector<Drawn>& drawn = watcher.all;
        for (const std::string& fault : SweepJudge(drawn).Faults())
            if (seen.insert(fault).second)
                faults.push_back(screen + ": " + fault);
        for (const UIMenu* menu : gUISystem->GetMenus())
            if (menu->IsShown())
                opened.insert(menu->name);
        for (const Drawn& one : drawn)
            opened.insert(one.drawer.substr(0, one.drawer.find("::")));
    }

    // Whether a tooltip box drawn in the last watched frame lies over the rectangle.
    bool TooltipMeets(const Box& rectangle, const std::string& box = "HelpTop::") const
    {
        for (const Drawn& drawn : watcher.all)
            if (drawn.drawer.rfind(box, 0) == 0 && drawn.lines.empty() && SweepMeet(drawn.rect, rectangle))
                return true;
        return false;
    }

    // The words the tooltip box drew in the last watched frame; empty when it drew none.
    std::string TooltipWords() const
    {
        std::string words;
        for (const Drawn& drawn : watcher.all)
            if (drawn.drawer.rfind("HelpTop::", 0) == 0 && !drawn.lines.empty())
                words += drawn.words;
        return words;
    }

    static void Run(const std::string& line) { ExecuteCommandLine(line); }

    // The menu shown by its name, measured, and hidden again.
    void ShowAndMeasure(const std::string& menu)
    {
        gUISystem->ShowMenu(menu);
        Measure(menu);
        gUISystem->HideMenu(menu);
    }

    // Every shipped menu file's menu not yet opened.
    std::vector<std::string> NeverOpened() const
    {
        std::vector<std::string> left;
        for (const UIMenu* menu : gUISystem->GetMenus())
            if (!menu->filePath.empty() && !opened.count(menu->name))
                left.push_back(menu->name + " (" + menu->filePath + ")");
        return left;
    }

    // Every window but the in-game screen closed.
    static void CloseWindows()
    {
        for (UIMenu* menu : gUISystem->GetMenus())
            if (menu->IsShown() && !menu->subMenu && !menu->alwaysOnBottom)
                menu->Close();
    }

    // The menus of the files not opened yet, each alone, in the game or out of it.
    void SweepTheRest(bool inGame)
    {
        for (const UIMenu* menu : std::vector<UIMenu*>(gUISystem->GetMenus())) {
            if (menu->filePath.empty() || menu->inGameOnly != inGame || menu->subMenu || opened.count(menu->name) ||
                menu == gUISystem->helpTopMenu || menu == gUISystem->helpBottomMenu)
                continue;
            CloseWindows();
            ShowAndMeasure(menu->name);
        }
        CloseWindows();
    }

    // A key's window, as the player opens it.
    void ByKey(SDL_Scancode key, const std::string& screen)
    {
        CloseWindows();
        Tap(key);
        Measure(screen);
        CloseWindows();
    }

    // A left click on the town's trader of that kind, once it stands beside the player, repeated
    // until the player has walked up and its window is open; then the trader's window measured,
    // and the trader sent back where it stood. With goodsTooltips, each of its goods is hovered
    // too, and a good whose tooltip the screen does not draw is told.
    void SweepTrader(int32_t npcType, bool goodsTooltips = false)
    {
        CloseWindows();
        auto* trader = dynamic_cast<Actor*>(gGame->GetTownNpc(npcType));
        ASSERT_NE(trader, nullptr) << npcType;
        WorldPos stood = trader->position;
        EXPECT_TRUE(OpenTrader(*trader)) << "trader " << npcType;
        Measure("trader " + std::to_string(npcType));
        if (goodsTooltips)
            HoverEveryGood(npcType);
        CloseWindows();
        trader->SetPosition(stood);
        Frames(4);
    }

    void HoverEveryGood(int32_t npcType)
    {
        const char* menu = Shown("VendorMenu") ? "VendorMenu" : "VendorMenuWithQuests";
        for (int32_t cell = 0; cell < 22; ++cell) {
            auto* good = dynamic_cast<UIItemSlot*>(gUISystem->FindWidgetByPath(StringFormat("%s::Goods%d", menu, cell)));
            if (!good || !good->GetItem())
                continue;
            ++goodsHovered;
            auto [x, y] = CentreOf(*good);
            WatchFrame(x, y);
            std::string name = StringFormat("trader %d's good %d, ", npcType, cell) +
                               gLocSystem->Translate(good->GetItem()->GetDisplayName());
            if (TooltipWords().empty())
                untold.push_back(name);
            Vector2 corner = good->GetScreenPosition();
            if (TooltipMeets(Box{corner.x, corner.y, corner.x + good->size[0], corner.y + good->size[1]}))
                untold.push_back(name + ", its tooltip over it");
        }
    }

    bool OpenTrader(Actor& trader)
    {
        auto open = [] { return Shown("VendorMenu") || Shown("VendorMenuWithQuests"); };
        EntityClient* shown = BesideThePlayer(trader);
        for (int click = 0; shown && click < 6 && !open(); ++click) {
            int32_t x = 0;
            int32_t y = 0;
            if (!FindPickPoint(*shown, x, y))
                return false;
            ClickAt(x * gGraphicsSystem->GetViewWidth() / 640, y * gGraphicsSystem->GetViewHeight() / 480);
            FramesUntil(open, 40);
        }
        return open();
    }

    // The title's screens that show what the player has: the stories, the trophy upgrades of the
    // profile's stand-in, and (once a character is saved) the saved characters.
    void SweepTheTitle()
    {
        CloseWindows();
        Run("toggleWorldHistory");
        Measure("the world's story");
        CloseWindows();
        Run("updateStory PlayerClass StoryCharacterFile");
        Run("pushMenu StoryCharacter");
        Measure("the class's story");
        CloseWindows();
        Run("buildFakePlayer");
        Run("updateFakePlayer");
        gUISystem->ShowMenu("TrophySkills");
        Measure("TrophySkills");
        CloseWindows();
        gUISystem->ShowMenu("Main");
    }

    // A townsperson at the right edge of the view, under the in-game screen's map buttons, with
    // the cursor on it: its tooltip.
    void SweepAWorldTooltip()
    {
        CloseWindows();
        auto* person = dynamic_cast<Actor*>(gGame->GetTownNpc(NpcType::Apothecary));
        ASSERT_NE(person, nullptr);
        WorldPos stood = person->position;
        // The ground point that the screen shows under the map's buttons, a townsperson's height
        // below the recruits' button.
        WorldPos spot = GroundUnder(590.0f, 250.0f);
        person->SetPosition(spot);
        Frames(4);
        const EntityClient* shown = gGameClient->GetEntity(person->entityNumber);
        int32_t px = 0;
        int32_t py = 0;
        bool placed = shown && FindPickPoint(*shown, px, py);
        if (placed)
            Measure("a townsperson's tooltip at the right edge", px, py);
        EXPECT_TRUE(placed) << "a townsperson stood at the right edge";
        person->SetPosition(stood);
        Frames(3);
    }

    // The ground point that the screen shows nearest the point of the 640 x 480 screen given.
    static WorldPos GroundUnder(float x, float y)
    {
        WorldPos spot = HostPlayer()->position;
        float best = 1e9f;
        for (float dx = -900.0f; dx <= 900.0f; dx += 10.0f)
            for (float dy = -900.0f; dy <= 900.0f; dy += 10.0f) {
                WorldPos at = HostPlayer()->position.Offset(Vector2{dx, dy});
                Vector2 screen = Client::WorldToScreen(at, true);
                float miss = std::abs(screen.x - x) + std::abs(screen.y - y);
                if (miss < best) {
                    best = miss;
                    spot = at;
                }
            }
        return spot;
    }

    // A help topic's button shown, and a townsperson set down below it, lower step by step until
    // the tooltip of the person under the cursor lies over the button, the button drawn in that
    // frame (it blinks): the tooltip stands over the button.
    void SweepATooltipOverAHelpButton()
    {
        CloseWindows();
        Run("addHelpTopic Welcome");
        UIMenu* buttonMenu = gUISystem->FindMenu("WelcomeButton");
        ASSERT_TRUE(buttonMenu && buttonMenu->IsShown() && !buttonMenu->GetWidgets().empty());
        const UIWidget& button = *buttonMenu->GetWidgets().front();
        Vector2 corner = button.GetScreenPosition();
        Box place{corner.x, corner.y, corner.x + button.size[0], corner.y + button.size[1]};
        auto* person = dynamic_cast<Actor*>(gGame->GetTownNpc(NpcType::Apothecary));
        ASSERT_NE(person, nullptr);
        WorldPos stood = person->position;
        bool over = false;
        for (float y = place.y1 + 40.0f; y < 300.0f && !over; y += 20.0f) {
            person->SetPosition(GroundUnder((place.x0 + place.x1) / 2.0f, y));
            Frames(4);
            const EntityClient* shown = gGameClient->GetEntity(person->entityNumber);
            int32_t px = 0;
            int32_t py = 0;
            if (!shown || !FindPickPoint(*shown, px, py))
                continue;
            for (int tries = 0; tries < 8 && !over; ++tries) {
                WatchFrame(px, py);
                over = TooltipMeets(place, "HelpBottom::") && Drew(buttonMenu->name);
            }
        }
        EXPECT_TRUE(over) << "a townsperson's tooltip lay over the help topic's button";
        if (over)
            Judge("a townsperson's tooltip over a help topic's button");
        person->SetPosition(stood);
        Frames(3);
    }

    // Whether the menu drew anything in the last watched frame.
    bool Drew(const std::string& menu) const
    {
        return std::any_of(watcher.all.begin(), watcher.all.end(),
                           [&menu](const Drawn& drawn) { return drawn.drawer.rfind(menu + "::", 0) == 0; });
    }

    // The middle of the level's square on the open map, in the 640 x 480 units of the screen.
    static Vector2 SquareMiddle(int32_t level)
    {
        Vector2 at = gWorldMap->MapPosition(level, Vector2{0.0f, 0.0f}, true, true);
        return {at.x * 640.0f / static_cast<float>(gGraphicsSystem->GetViewWidth()),
                at.y * 480.0f / static_cast<float>(gGraphicsSystem->GetViewHeight())};
    }

    // The open map dragged with the mouse until the middle of one of the levels it knows lies at
    // the point of the 640 x 480 screen given: a small drag along each axis measures how the map
    // follows (it moves only as far as its scroll bars go), each further drag is aimed by that.
    // The level brought there; -1 when no known level can be.
    int32_t DragALevelTo(const Vector2& target)
    {
        std::vector<int32_t> known;
        for (int32_t level = 0; level < gWorld->GetLevelCount(); ++level)
            if (gWorldMap->FindLevel(level) && gWorldMap->IsLevelShown(level))
                known.push_back(level);
        // Measured once: the map follows a drag alike each time it opens.
        constexpr float kProbe = 8.0f;
        std::array<Vector2, 2>& follows = mapFollows;
        for (int axis = 0; axis < 2; ++axis)
            for (float sign : {1.0f, -1.0f}) {
                if (std::abs(follows[static_cast<size_t>(axis)].x) + std::abs(follows[static_cast<size_t>(axis)].y) > 0.0f)
                    break;
                Vector2 before = SquareMiddle(0);
                DragMap(axis == 0 ? sign * kProbe : 0.0f, axis == 1 ? sign * kProbe : 0.0f);
                Vector2 moved = SquareMiddle(0) - before;
                if (std::abs(moved.x) + std::abs(moved.y) > 0.5f) {
                    follows[static_cast<size_t>(axis)] = {moved.x * sign / kProbe, moved.y * sign / kProbe};
                    break;
                }
            }
        float det = follows[0].x * follows[1].y - follows[0].y * follows[1].x;
        if (std::abs(det) < 1e-3f)
            return -1;
        // The map scrolls by whole steps of several units.
        auto near = [&target](int32_t level) {
            Vector2 miss = target - SquareMiddle(level);
            return std::max(std::abs(miss.x), std::abs(miss.y)) < 8.0f;
        };
        for (int32_t level : known) {
            for (int step = 0; step < 6; ++step) {
                if (near(level))
                    return level;
                Vector2 miss = target - SquareMiddle(level);
                float dx = (miss.x * follows[1].y - miss.y * follows[1].x) / det;
                float dy = (follows[0].x * miss.y - follows[0].y * miss.x) / det;
                DragMap(std::clamp(dx, -250.0f, 250.0f), std::clamp(dy, -180.0f, 180.0f));
            }
            if (near(level))
                return level;
        }
        return -1;
    }

    // A left press on the open map at its middle, the cursor moved by the distance given while
    // held, and let go.
    void DragMap(float dx, float dy)
    {
        int32_t x0 = 320 * gGraphicsSystem->GetViewWidth() / 640;
        int32_t y0 = 260 * gGraphicsSystem->GetViewHeight() / 480;
        int32_t x1 = static_cast<int32_t>((320.0f + dx) * static_cast<float>(gGraphicsSystem->GetViewWidth()) / 640.0f);
        int32_t y1 = static_cast<int32_t>((260.0f + dy) * static_cast<float>(gGraphicsSystem->GetViewHeight()) / 480.0f);
        PushMotion(x0, y0);
        Frame();
        PushButton(true, x0, y0);
        Frame();
        PushMotion(x1, y1);
        Frames(2);
        PushButton(false, x1, y1);
        Frames(2);
    }

    // The world map as the M key opens it with the levels of the town's depth known, and with a
    // level dragged under each thing of the interface that stays over the map (its scroll bars,
    // heading and Close button, the in-game screen's bar); then the map the covenant gate opens for
    // travel, with a level dragged under its hint.
    void SweepTheWorldMap()
    {
        CloseWindows();
        // The levels of the town's depth known, as after a journey through them: each is named on
        // the map, and the map scrolls over all of them.
        int32_t middle = gWorldMap->GetMapSide() / 2;
        for (int32_t level = 1; level < gWorld->GetLevelCount(); ++level)
            if (gWorldMap->IsLevelShown(level))
                gWorldMap->SetExploredPixel(level, middle, middle, 255);
        Tap(SDL_SCANCODE_M);
        ASSERT_TRUE(gWorldMap->IsOpen());
        Measure("the world map, the levels of the town's depth known");
        const std::pair<Vector2, const char*> spots[] = {
            {{628.0f, 290.0f}, "under the map's scroll bar"},
            {{586.0f, 457.0f}, "under the map's Close button"},
            {{320.0f, 40.0f}, "under the map's heading"},
            {{320.0f, 452.0f}, "on the in-game screen's bar"},
            {{16.0f, 316.0f}, "under the legend, by the screen's edge"}};
        for (const auto& [spot, where] : spots) {
            int32_t level = DragALevelTo(spot);
            EXPECT_GE(level, 0) << "a level dragged " << where;
            if (level < 0)
                continue;
            Measure(std::string("the world map, a level's name ") + where);
            // Moved clear, not dropped.
            std::string name = gLocSystem->Translate(gWorld->GetLevelName(level));
            EXPECT_TRUE(std::any_of(watcher.all.begin(), watcher.all.end(), [&name](const Drawn& drawn) {
                return drawn.drawer == "WorldMap::(map)" && drawn.words == name;
            })) << name << " named with its middle " << where;
        }
        CloseWindows();
        Frames(2);
        // The hint the travel map opens with, a level's middle dragged under it while it shows.
        bool hinted = false;
        for (int attempt = 0; attempt < 2 && !hinted; ++attempt) {
            ASSERT_NO_FATAL_FAILURE(OpenTheMapAtTheGate());
            Frames(1);
            const TextEvents::Record* hint = nullptr;
            for (const TextEvents::Record& record : gTextEvents->GetRecords())
                if (record.text == "$$WorldMapChooseGate$$")
                    hint = &record;
            ASSERT_NE(hint, nullptr);
            DragALevelTo({hint->x + hint->width / 2.0f, hint->y + hint->height / 2.0f});
            WatchFrame(639, 479, true);
            // Its first words, however the lines break.
            std::string words = gLocSystem->Translate("$$WorldMapChooseGate$$").substr(0, 10);
            hinted = std::any_of(watcher.all.begin(), watcher.all.end(),
                                 [&words](const Drawn& drawn) { return drawn.words.rfind(words, 0) == 0; });
            if (hinted)
                Judge("the world map at the covenant gate, a level under its hint");
            CloseWindows();
            Frames(2);
        }
        EXPECT_TRUE(hinted) << "the travel map's hint seen with a level under it";
    }

    // The relations screen's pages, each by the command its buttons run; a rival of great
    // influence, whose tax runs to three figures.
    void SweepRelations()
    {
        CloseWindows();
        gGame->GetCovenant(1)->statistics.Set(CovenantStat::InfluenceWorld, 1000000);
        Frames(4);
        Tap(SDL_SCANCODE_R);
        auto* relations = dynamic_cast<UIRelationsMenu*>(gUISystem->FindMenu("CovenantRelations"));
        ASSERT_TRUE(relations && relations->IsShown());
        Measure("CovenantRelations");
        for (const char* page : {"ShowPowerCompare", "ShowInfluenceCompare", "ShowWinProgress", "ShowTradeResponse"}) {
            relations->HandleMenuCommand(page);
            Measure(std::string("CovenantRelations ") + page);
        }
        relations->HandleMenuCommand("ShowRelations");
        relations->TalkTo(gGameClient->GetCovenantCount() - 1);
        Measure("CovenantRelations TalkTo");
        for (const char* page : {"TradeMenu", "TradeItemsMenu", "TreatiesMenu", "RaidMenu"}) {
            relations->HandleMenuCommand(page);
            Measure(std::string("CovenantRelations ") + page);
        }
        relations->SwitchTo(UIRelationsMenu::kTradeRequestPage);
        Measure("CovenantRelations trade request");
        CloseWindows();
    }

    // The screens of a game: the in-game screen, the windows of its keys, the traders, the
    // relations pages, the death screen, the editors, and every other window of the game.
    // A new game started as the new character's Start starts it, a covenant named with one long
    // word; then frames until the world has settled.
    void EnterTheGame()
    {
        CloseWindows();
        gUISystem->ShowMenu("NewCharacter");
        Run("setUserVar CovenantName Swiftfeather");
        Run("start both");
        FramesUntil([] { return HostPlayer() && gClientApp->IsActive() && Local() && Shown("InGame"); }, 120);
        ASSERT_TRUE(gClientApp->IsActive());
        Frames(100);
    }

    void SweepTheGame()
    {
        ASSERT_NO_FATAL_FAILURE(EnterTheGame());
        Measure("InGame");
        const std::pair<SDL_Scancode, const char*> keys[] = {
            {SDL_SCANCODE_I, "Inventory"}, {SDL_SCANCODE_C, "Character"}, {SDL_SCANCODE_S, "Skills"},
            {SDL_SCANCODE_Q, "Quests"},    {SDL_SCANCODE_P, "NpcList"},   {SDL_SCANCODE_M, "WorldMap"},
            {SDL_SCANCODE_T, "Trade"},     {SDL_SCANCODE_ESCAPE, "GameMenu"}};
        for (const auto& [key, screen] : keys)
            ByKey(key, screen);
        ASSERT_NO_FATAL_FAILURE(SweepRelations());
        gGame->GetQuests().StartQuest(gGameData->GetQuestDefinitions().FindIndex("QuestWeaponsmithLevelQuestItem"),
                                      nullptr, -1);
        for (int32_t trader : {NpcType::VendorBasic, NpcType::Gambler, NpcType::VendorWeapon, NpcType::VendorArmor})
            ASSERT_NO_FATAL_FAILURE(SweepTrader(trader));
        Run("editor 1");
        Measure("area editor");
        Run("editor 0");
        Run("modelEditor 1");
        Measure("model viewer");
        Run("modelEditor 0");
        ASSERT_NO_FATAL_FAILURE(SweepAWorldTooltip());
        ASSERT_NO_FATAL_FAILURE(SweepTheWorldMap());
        ASSERT_NO_FATAL_FAILURE(SweepATooltipOverAHelpButton());
        SweepTheRest(true);
        CloseWindows();
        Run("addHelpTopic Welcome");
        ASSERT_NE(gUISystem->FindMenu("WelcomeButton"), nullptr);
        Run("setUserVar helpTopic Welcome");
        Run("pushMenu helpTopic");
        Measure("helpTopic Welcome");
        CloseWindows();
        HostPlayer()->TakeDamage(HostPlayer()->health + 100, nullptr, false, true);
        FramesUntil([] { return Shown("PlayerDead") && gUISystem->FindWidgetByPath("PlayerDead::Resurrect")->IsVisible(); }, 40);
        Measure("PlayerDead");
        Run("saveAndExit");
        FramesUntil([] { return Shown("Main"); }, 60);
        CloseWindows();
        gUISystem->ShowMenu("LoadCharacter");
        Measure("LoadCharacter, a character saved");
    }

    SweepWatcher watcher;
    // How far the open map's middle moves for a unit's drag across and down.
    std::array<Vector2, 2> mapFollows{};
    std::vector<std::string> faults;
    int32_t goodsHovered = 0;
    std::vector<std::string> untold;
    std::set<std::string> seen;
    std::set<std::string> opened;
};

std::string SweepJoined(const std::vector<std::string>& lines)
{
    std::string all;
    for (const std::string& line : lines)
        all += "\n  " + line;
    return all;
}

} // namespace

TEST_P(ScreenSweep, NoTextCrossesAFrameOrAnotherTextOnAnyShippedScreen)
{
    Measure("Main");
    gUISystem->HideMenu("Main");
    gUISystem->ShowMenu("NewCharacter");
    UIWidget* warden = gUISystem->FindWidgetByPath("NewCharacter::ClassWarden");
    ASSERT_NE(warden, nullptr);
    auto [x, y] = CentreOf(*warden);
    Measure("NewCharacter, a class's tooltip", x, y);
    ASSERT_NO_FATAL_FAILURE(SweepTheTitle());
    SweepTheRest(false);
    gUISystem->ShowMenu("Main");
    ASSERT_NO_FATAL_FAILURE(SweepTheGame());
    EXPECT_EQ(SweepJoined(faults), "") << faults.size() << " crossings";
    EXPECT_EQ(SweepJoined(NeverOpened()), "");
}

// Tooltips stand clear of what they tell of and of their window's neighbours, say what the hovered
// thing's name does not, and a press puts them away until the cursor moves: a table of the
// screens where they lay wrong, each hovered where it is drawn.
TEST_P(ScreenSweep, TooltipsStandClearOfWhatTheyTellOf)
{
    struct Case {
        const char* name;
        std::function<void()> open;
        const char* hovered;
        std::vector<const char*> clearOf;
        const char* says;
        bool pressed;
        // Whether the tooltip is looked at again once the cursor has moved on the hovered thing: a
        // help topic's button then tells of itself again, whatever page it opened.
        bool toldAfter;
    };
    const std::vector<Case> cases = {
        {"a class of the new character", [] { gUISystem->ShowMenu("NewCharacter"); }, "NewCharacter::ClassWarden",
         {"NewCharacter::ClassWarden", "NewCharacter::NameField", "NewCharacter::CovenantField"}, "$$ClassWardenDesc$$",
         false, true},
        {"a quest's row", [this] { Tap(SDL_SCANCODE_Q); }, "Quests::Quest0",
         {"Quests::Quest0", "Quests::Quest1", "Quests::Quest2", "Quests::Quest3", "Quests::Quest4", "Quests::Quest5"},
         "", false, true},
        {"the export button, pressed", [this] { Tap(SDL_SCANCODE_C); }, "Character::Export",
         {"Character::Export", "CharacterExport::Sheet", "CharacterExport::Forum", "CharacterExport::Mail"}, "", true, true},
        {"a help topic's button, pressed", [] { Run("addHelpTopic Welcome"); }, "WelcomeButton",
         {"helpTopic::Title", "helpTopic::Panel"}, "", true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.name == cases[1].name) {
            ASSERT_NO_FATAL_FAILURE(EnterTheGame());
        }
        CloseWindows();
        c.open();
        // A help topic's button is a menu of one widget, made when the topic comes.
        UIMenu* buttonMenu = std::string(c.hovered).find("::") == std::string::npos ? gUISystem->FindMenu(c.hovered) : nullptr;
        UIWidget* hovered = buttonMenu ? buttonMenu->GetWidgets().front() : gUISystem->FindWidgetByPath(c.hovered);
        ASSERT_NE(hovered, nullptr) << c.hovered;
        auto [x, y] = CentreOf(*hovered);
        WatchFrame(x, y);
        if (c.pressed) {
            ClickAt(x * gGraphicsSystem->GetViewWidth() / 640, y * gGraphicsSystem->GetViewHeight() / 480);
            WatchFrame(x, y);
            EXPECT_EQ(TooltipWords(), "") << "the press put the tooltip away while the cursor stays";
            if (!c.toldAfter)
                continue;
            WatchFrame(x + 2, y + 2);
        }
        std::string words = TooltipWords();
        EXPECT_NE(words, "") << "moved over " << c.hovered << ", its tooltip";
        // The words as one line, however the box wrapped them.
        std::replace(words.begin(), words.end(), '\n', ' ');
        if (*c.says) {
            EXPECT_NE(words.find(gLocSystem->Translate(c.says)), std::string::npos) << words;
        }
        for (const char* path : c.clearOf) {
            const UIWidget* widget = gUISystem->FindWidgetByPath(path);
            if (!widget || !widget->IsVisible() || (widget->menu && !widget->menu->IsShown()))
                continue;
            Vector2 corner = widget->GetScreenPosition();
            EXPECT_FALSE(TooltipMeets(Box{corner.x, corner.y, corner.x + widget->size[0], corner.y + widget->size[1]}))
                << "the tooltip of " << c.hovered << " over " << path;
        }
    }
}

// Each good of the town's traders (the general trader, the gambler, the weaponsmith with work on
// offer, the armourer), hovered where it is drawn: the screen draws its tooltip.
TEST_P(ScreenSweep, EveryGoodOfTheTownsTradersShowsItsTooltip)
{
    ASSERT_NO_FATAL_FAILURE(EnterTheGame());
    gGame->GetQuests().StartQuest(gGameData->GetQuestDefinitions().FindIndex("QuestWeaponsmithLevelQuestItem"),
                                  nullptr, -1);
    for (int32_t trader : {NpcType::VendorBasic, NpcType::Gambler, NpcType::VendorWeapon, NpcType::VendorArmor})
        ASSERT_NO_FATAL_FAILURE(SweepTrader(trader, true));
    EXPECT_GT(goodsHovered, 30);
    EXPECT_EQ(SweepJoined(untold), "") << untold.size() << " of " << goodsHovered << " goods without a tooltip";
}

INSTANTIATE_TEST_SUITE_P(Sizes, ScreenSweep, ::testing::Values(SweepSize{800, 600}, SweepSize{1024, 768}),
                         [](const ::testing::TestParamInfo<SweepSize>& info) {
                             return std::to_string(info.param.width) + "x" + std::to_string(info.param.height);
                         });
