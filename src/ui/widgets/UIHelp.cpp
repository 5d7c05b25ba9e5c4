// UIHelp -- the framed help boxes: the tooltip of whatever the cursor rests on, and the labels of the things lying in the world while the player asks for them, a click on a label acting on its thing.
#include "ui/widgets/UIHelp.h"

#include "core/ColorSystem.h"
#include "core/LocSystem.h"
#include "core/StringUtil.h"
#include "core/TextParser.h"
#include "core/UserVarSystem.h"
#include "core/system/InputSystem.h"
#include "render/Renderer.h"
#include "render/TextMeasure.h"
#include "resources/ResourceManager.h"
#include "resources/fonts/ScreenText.h"
#include "resources/shaders/ShaderLookup.h"
#include "ui/UIMenu.h"
#include "ui/UISystem.h"
#include "ui/UiGameView.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr const char* kHelpBorderNames[UIHelp::kBorderTextureCount] = {
    "Textures/helpBorderUpperLeft.tga",  "Textures/helpBorderTop.tga",    "Textures/helpBorderUpperRight.tga",
    "Textures/helpBorderRight.tga",      "Textures/helpBorderLowerRight.tga", "Textures/helpBorderBottom.tga",
    "Textures/helpBorderLowerLeft.tga",  "Textures/helpBorderLeft.tga",
};
enum HelpBorder : int32_t { kUpperLeft, kTop, kUpperRight, kRight, kLowerRight, kBottom, kLowerLeft, kLeft };

// The interface space, and the margin boxes keep from its left and right edges.
constexpr float kHelpScreenWidth = 640.0f;
constexpr float kHelpScreenHeight = 480.0f;
constexpr float kHelpRightLimit = 635.0f;
constexpr float kHelpLeftLimit = 5.0f;
// A box's words wrap at this width, well inside the screen: a line across all of it reads badly.
constexpr float kHelpMaxTextWidth = 400.0f;
// The frame's edges are 7 units thick; corners 8 x 7, drawn only around a text above 8 x 8.
constexpr float kHelpEdge = 7.0f;
constexpr float kHelpCornerWidth = 8.0f;
constexpr float kHelpCornerMinText = 8.0f;
// The second box starts this far below the first box's text corner.
constexpr float kHelpSecondDrop = 32.0f;
constexpr int32_t kHelpBackgroundColor = 10;
constexpr float kHelpHighlightGrey = 0.2f;

Color HelpTableColor(int32_t index)
{
    Color color{1.0f, 1.0f, 1.0f};
    ColorSystem::GetColorByIndex(color.r, color.g, color.b, index);
    return color;
}

bool HelpAltHeld()
{
    return gInputSystem &&
           (gInputSystem->IsKeyDown(UIHelp::kKeyLeftAlt) || gInputSystem->IsKeyDown(UIHelp::kKeyRightAlt));
}

bool HelpAltPressed()
{
    return gInputSystem &&
           (gInputSystem->WasKeyPressed(UIHelp::kKeyLeftAlt) || gInputSystem->WasKeyPressed(UIHelp::kKeyRightAlt));
}

bool HelpToggleVarOn()
{
    return gUserVarSystem && gUserVarSystem->GetBoolByName("ui_useShowItemsToggle");
}

} // namespace

UIHelp::UIHelp()
{
    if (!gResourceManager)
        return;
    for (int32_t i = 0; i < kBorderTextureCount; ++i)
        LoadTextureByName(kHelpBorderNames[i], borderTextures[static_cast<size_t>(i)], TextureUsage::Overlay);
    if (gRenderer)
        whiteTexture = gRenderer->GetStandardHandle(Renderer::kHandleWhite);
}

UIHelp::~UIHelp() = default;

// ---- Layout keywords and copies ----

bool UIHelp::ReadProperty(const std::string& key, TextParser& parser)
{
    const std::string& file = gUISystem ? gUISystem->loadingFile : std::string();
    if (StringEqualsNoCase(key, "basePosition")) {
        basePosition[0] = ReadLayoutFloat(parser, file);
        basePosition[1] = ReadLayoutFloat(parser, file);
    } else if (StringEqualsNoCase(key, "baseSize")) {
        baseSize[0] = ReadLayoutFloat(parser, file);
        baseSize[1] = ReadLayoutFloat(parser, file);
    } else if (StringEqualsNoCase(key, "showPopupHelp")) {
        showPopupHelp = parser.GetBool(false);
    } else if (StringEqualsNoCase(key, "showItemsHelp")) {
        showItemsHelp = parser.GetBool(false);
    } else {
        return UIWidget::ReadProperty(key, parser);
    }
    return false;
}

void UIHelp::CopyFrom(const UIWidget& source)
{
    UIWidget::CopyFrom(source);
    const auto* other = dynamic_cast<const UIHelp*>(&source);
    if (!other || other == this)
        return;
    std::copy(std::begin(other->basePosition), std::end(other->basePosition), basePosition);
    std::copy(std::begin(other->baseSize), std::end(other->baseSize), baseSize);
    std::copy(std::begin(other->border), std::end(other->border), border);
    std::copy(std::begin(other->gap), std::end(other->gap), gap);
    borderTextures = other->borderTextures;
    whiteTexture = other->whiteTexture;
    itemsHelpToggled = other->itemsHelpToggled;
    showPopupHelp = other->showPopupHelp;
    showItemsHelp = other->showItemsHelp;
    // The placed boxes live for one frame: the copy starts with none, and prepares its texts anew
    // by its own frame's border.
    placedBoxes.clear();
    preparedFont = -1;
}

// ---- Frame ----

void UIHelp::Update(float seconds)
{
    UIWidget::Update(seconds);
    if (HelpToggleVarOn() && HelpAltPressed())
        itemsHelpToggled = !itemsHelpToggled;
}

bool UIHelp::ShouldShowItemsHelp() const
{
    if (!showItemsHelp)
        return false;
    if (HelpToggleVarOn())
        return itemsHelpToggled && !(gUISystem && gUISystem->IsBlockingMenuShown());
    return HelpAltHeld();
}

template <typename Visit>
void UIHelp::ForEachLabel(Visit visit)
{
    if (!gUISystem)
        return;
    const UiGameView& view = gUISystem->GetGameView();
    view.GetHelpEntities(labelled);
    for (int32_t entity : labelled) {
        bool placed = false;
        float hoverX = 0.0f;
        float hoverY = 0.0f;
        float anchor[2] = {0.0f, 0.0f};
        if (!view.GetHoverText(entity, labelText, placed, hoverX, hoverY) ||
            !view.GetEntityScreenPoint(entity, anchor[0], anchor[1]))
            continue;
        if (!(anchor[0] >= 0.0f && anchor[0] < kHelpScreenWidth && anchor[1] >= 0.0f && anchor[1] < kHelpScreenHeight))
            continue;
        if (!visit(entity, anchor))
            return;
    }
}

void UIHelp::Draw()
{
    if (!IsVisible())
        return;
    const float labelAnchor[2] = {kLabelAnchorSide, kLabelAnchorSide};
    ClearPlacedBoxes();
    if (ShouldShowItemsHelp()) {
        ForEachLabel([&](int32_t, const float anchor[2]) {
            ShowBox(labelText, std::string(), anchor, labelAnchor, kLabelAlpha, true, true);
            return true;
        });
    }
    if (!(showPopupHelp || showItemsHelp) || !gUISystem)
        return;
    float anchor[2] = {0.0f, 0.0f};
    float anchorSize[2] = {0.0f, 0.0f};
    float popupAlpha = highlightBackgroundAlpha;
    gUISystem->GetTooltip(popup, popupSecond, anchor, anchorSize, popupAlpha);
    // A thing of the world has its tooltip drawn with the world's labels, under every window and
    // the in-game screen, so it keeps clear of the screen's bars and buttons; a window's widget
    // has it drawn over all.
    bool world = gUISystem->IsWorldTooltip();
    if (!(world ? showItemsHelp : showPopupHelp))
        return;
    keepClear.clear();
    if (world) {
        gUISystem->GetScreenFaces(screenFaces);
        for (const std::array<float, 4>& face : screenFaces)
            keepClear.push_back(PlacedBox{face[0], face[1], face[2], face[3]});
    }
    ShowBox(popup, popupSecond, anchor, anchorSize, popupAlpha, false, false);
    keepClear.clear();
}

void UIHelp::PrepareText(const std::string& boxText, float maxWidth, WString& shown, float& w, float& h)
{
    // The widget's text is the room the source is prepared in, reused box after box.
    text = boxText;
    StringReplaceAll(text, "\\n", "\n");
    shown = gLocSystem ? gLocSystem->TranslateToWide(text) : NarrowToWide(text);
    TextSize measured = MeasureTextW(font, shown);
    // Wrapped before it is framed, so the frame fits the screen; the words stand translated, and
    // stay wide: a narrow copy would turn every letter past U+00FF into "?".
    if (measured.width > maxWidth) {
        shown = WrapTextW(font.GetValue(), shown, maxWidth);
        measured = MeasureTextW(font, shown);
    }
    w = measured.width;
    h = measured.height;
}

void UIHelp::PlaceTextAt(float screenX, float screenY, float w, float h)
{
    position[0] = screenX - (menu ? menu->position[0] : 0.0f);
    position[1] = screenY - (menu ? menu->position[1] : 0.0f);
    size[0] = w;
    size[1] = h;
}

void UIHelp::PreparePair(const std::string& firstText, const std::string& secondText, BoxTexts& boxes)
{
    float frame = 2.0f * border[0];
    float screen = kHelpRightLimit - kHelpLeftLimit;
    PrepareText(firstText, kHelpMaxTextWidth, boxes.first, boxes.w, boxes.h);
    boxes.second.clear();
    boxes.w2 = 0.0f;
    boxes.h2 = 0.0f;
    if (secondText.empty())
        return;
    PrepareText(secondText, kHelpMaxTextWidth, boxes.second, boxes.w2, boxes.h2);
    if (boxes.w + boxes.w2 + 2.0f * frame <= screen)
        return;
    // Too wide to stand side by side: a box narrower than half the screen keeps its width and
    // the other wraps to the rest; else each takes half.
    float half = screen / 2.0f - frame;
    float firstMax = boxes.w2 <= half ? screen - boxes.w2 - 2.0f * frame : half;
    float secondMax = boxes.w <= half ? screen - boxes.w - 2.0f * frame : half;
    if (boxes.w > firstMax) {
        PrepareText(firstText, firstMax, boxes.first, boxes.w, boxes.h);
    }
    if (boxes.w2 > secondMax) {
        PrepareText(secondText, secondMax, boxes.second, boxes.w2, boxes.h2);
    }
}

void UIHelp::ShowBox(const std::string& boxText, const std::string& secondText, const float anchor[2],
                     const float anchorSize[2], float boxAlpha, bool avoidOverlaps, bool highlight)
{
    if (boxText.empty())
        return;
    // The texts shown again as last prepared (a tooltip under a still cursor) are not translated,
    // wrapped and measured again: that would allocate every frame. The measure takes its widths
    // from a larger font under "r_higherResFonts", so a change of it prepares them again.
    bool higherRes = gScreenText && gScreenText->UsesHigherResFonts();
    if (boxText != preparedFirst || secondText != preparedSecond || font != preparedFont || preparedFont == -1 ||
        higherRes != preparedHigherRes) {
        PreparePair(boxText, secondText, preparedBoxes);
        preparedFirst = boxText;
        preparedSecond = secondText;
        preparedHigherRes = higherRes;
        // A font still loading measures nothing: the texts are prepared again next time.
        preparedFont = preparedBoxes.w > 0.0f ? font.GetValue() : -1;
    }
    const BoxTexts& boxes = preparedBoxes;
    float w = boxes.w;
    float h = boxes.h;
    // The two boxes are placed as one, so that the second stands beside the first on screen.
    float pairWidth = boxes.second.empty() ? w : w + boxes.w2 + 2.0f * border[0];
    Layout(pairWidth, h, anchor, anchorSize, avoidOverlaps);
    size[0] = w;
    text = boxText;
    displayText = boxes.first;
    Color background = HelpTableColor(kHelpBackgroundColor);
    if (highlight && gInputSystem &&
        FrameAround(w, h).Contains(static_cast<float>(gInputSystem->GetCursorX()),
                                   static_cast<float>(gInputSystem->GetCursorY())))
        background = Color{kHelpHighlightGrey, kHelpHighlightGrey, kHelpHighlightGrey};
    // A tooltip's frames are kept with the frame's labels: they stand where it was drawn. A
    // label's frame was kept as it was laid out.
    DrawPlacedBox(w, h, boxAlpha, background, !avoidOverlaps);
    if (boxes.second.empty())
        return;
    text = secondText;
    displayText = boxes.second;
    LayoutSecond(w, boxes.w2, boxes.h2);
    DrawPlacedBox(boxes.w2, boxes.h2, boxAlpha, HelpTableColor(kHelpBackgroundColor), !avoidOverlaps);
}

UIHelp::PlacedBox UIHelp::FrameAround(float w, float h) const
{
    Vector2 corner = GetScreenPosition();
    return PlacedBox{corner.x - border[0], corner.y - border[1], corner.x + w + border[0], corner.y + h + border[1]};
}

void UIHelp::DrawPlacedBox(float w, float h, float boxAlpha, const Color& background, bool keep)
{
    Vector2 corner = GetScreenPosition();
    DrawFrame(corner.x, corner.y, w, h, boxAlpha, background);
    UIWidget::Draw();
    if (keep)
        placedBoxes.push_back(FrameAround(w, h));
}

// ---- Placing ----

void UIHelp::Layout(float w, float h, const float anchor[2], const float anchorSize[2], bool avoidOverlaps)
{
    float fw = w + 2.0f * border[0];
    float fh = h + 2.0f * border[1];
    anchorBox = PlacedBox{anchor[0], anchor[1], anchor[0] + anchorSize[0], anchor[1] + anchorSize[1]};
    if (anchorSize[0] == 0.0f && anchorSize[1] == 0.0f) {
        float x = basePosition[0] + fw > kHelpRightLimit ? kHelpRightLimit - fw : basePosition[0];
        PlaceTextAt(x, basePosition[1], w, h);
        return;
    }
    bool sideways = false;
    float y = anchor[1] - (fh + gap[1]);
    if (y < 0.0f) {
        y = anchor[1] + anchorSize[1] + gap[1];
        if (fh + y >= kHelpScreenHeight) {
            y = kHelpScreenHeight / 2.0f - fh / 2.0f;
            sideways = true;
        }
    }
    float centred = anchor[0] + anchorSize[0] / 2.0f - fw / 2.0f;
    float x = centred;
    bool isCentred = true;
    if (sideways) {
        float left = anchor[0] - (gap[0] + fw);
        float right = anchor[0] + anchorSize[0] + gap[0];
        if (left >= 0.0f) {
            x = left;
            isCentred = false;
        } else if (fw + right < kHelpScreenWidth) {
            x = right;
            isCentred = false;
        }
    }
    if (isCentred)
        x = std::max(kHelpLeftLimit, std::min(x, kHelpRightLimit - fw));
    if (!keepClear.empty()) {
        // The thing told of stands from its anchor square down to its feet, a square below.
        PlacedBox thing{anchor[0], anchor[1], anchor[0] + anchorSize[0], anchor[1] + 2.0f * anchorSize[1] + gap[1]};
        KeepClearOf(keepClear, thing, fw, fh, x, y);
    }
    if (avoidOverlaps) {
        y = AvoidOverlap(fw, fh, x, y, false, false);
        placedBoxes.push_back(PlacedBox{x, y, x + fw, y + fh});
    }
    PlaceTextAt(x + border[0], y + border[1], w, h);
}

float UIHelp::AvoidOverlap(float fw, float fh, float x, float y, bool upwardOnly, bool downwardOnly) const
{
    const PlacedBox* other = nullptr;
    for (const PlacedBox& box : placedBoxes) {
        if (x <= box.right && x + fw >= box.left && y <= box.bottom && y + fh >= box.top) {
            other = &box;
            break;
        }
    }
    if (!other)
        return y;
    // Each move puts the box wholly past the one it met, so the searches end: upward once the
    // box is above the screen, downward once it is below.
    float upward = y;
    if (!downwardOnly) {
        float candidate = other->top - fh - 1.0f;
        if (candidate + fh < 0.0f)
            return candidate;
        upward = AvoidOverlap(fw, fh, x, candidate, true, false);
        if (upwardOnly)
            return upward;
    }
    float candidate = other->bottom + 1.0f;
    if (candidate >= kHelpScreenHeight)
        return candidate;
    float downward = AvoidOverlap(fw, fh, x, candidate, false, true);
    if (downwardOnly)
        return downward;
    bool downNoFarther = std::fabs(downward - y) <= std::fabs(upward - y);
    return downNoFarther && downward + fh < kHelpScreenHeight ? downward : upward;
}

void UIHelp::KeepClearOf(const std::vector<PlacedBox>& rectangles, const PlacedBox& thing, float fw, float fh,
                         float& x, float& y)
{
    auto meets = [fw, fh](const PlacedBox& r, float bx, float by) {
        return bx < r.right && r.left < bx + fw && by < r.bottom && r.top < by + fh;
    };
    auto clear = [&](float bx, float by) {
        if (bx < kHelpLeftLimit || bx + fw > kHelpRightLimit || by < 0.0f || by + fh > kHelpScreenHeight ||
            meets(thing, bx, by))
            return false;
        return std::none_of(rectangles.begin(), rectangles.end(),
                            [&](const PlacedBox& r) { return meets(r, bx, by); });
    };
    // Each rectangle the box meets offers four ways off it; the nearest clear one is taken.
    float bestX = x;
    float bestY = y;
    float best = -1.0f;
    for (const PlacedBox& r : rectangles) {
        if (!meets(r, x, y))
            continue;
        const std::array<std::array<float, 2>, 4> ways = {
            {{r.left - fw, y}, {r.right, y}, {x, r.top - fh}, {x, r.bottom}}};
        for (const std::array<float, 2>& way : ways) {
            float distance = std::fabs(way[0] - x) + std::fabs(way[1] - y);
            if (clear(way[0], way[1]) && (best < 0.0f || distance < best)) {
                best = distance;
                bestX = way[0];
                bestY = way[1];
            }
        }
    }
    x = bestX;
    y = bestY;
}

void UIHelp::LayoutSecond(float firstWidth, float w2, float h2)
{
    float fw2 = w2 + 2.0f * border[0];
    float fh2 = h2 + 2.0f * border[1];
    float edge = GetScreenPosition().x + border[0] + firstWidth;
    float x = edge;
    if (x + fw2 > kHelpRightLimit)
        x = edge - (firstWidth + fw2 + 2.0f * border[0]);
    x = std::max(x, kHelpLeftLimit);
    float y = GetScreenPosition().y + kHelpSecondDrop;
    if (fh2 + y > kHelpScreenHeight)
        y = kHelpScreenHeight / 2.0f - fh2 / 2.0f;
    // Dropped below the first box, the second one reached down over the thing hovered (an item
    // beside the one it is compared with): it stands above that thing, or else below it.
    const PlacedBox& a = anchorBox;
    bool meets = x < a.right && a.left < x + fw2 && y < a.bottom && a.top < y + fh2;
    if (meets && a.top - fh2 - 1.0f >= 0.0f)
        y = a.top - fh2 - 1.0f;
    else if (meets && a.bottom + 1.0f + fh2 <= kHelpScreenHeight)
        y = a.bottom + 1.0f;
    PlaceTextAt(x + border[0], y + border[1], w2, h2);
}

// ---- Drawing the frame ----

void UIHelp::DrawFrame(float x, float y, float w, float h, float boxAlpha, const Color& background) const
{
    if (!gScreenText)
        return;
    float left = x - border[0];
    float top = y - border[1];
    float right = x + w + border[0];
    float bottom = y + h + border[1];
    gScreenText->DrawShaderRect(whiteTexture.GetValue(), background, left, top, right, bottom, boxAlpha, false, false, 0);
    Color edges = HelpTableColor(0);
    auto piece = [&](int32_t which, float x0, float y0, float x1, float y1) {
        gScreenText->DrawShaderRect(borderTextures[static_cast<size_t>(which)].GetValue(), edges, x0, y0, x1, y1,
                                    boxAlpha, false, false, 0);
    };
    piece(kTop, left, top, right, top + kHelpEdge);
    piece(kBottom, left, bottom - kHelpEdge, right, bottom);
    piece(kLeft, left, top, left + kHelpEdge, bottom);
    piece(kRight, right - kHelpEdge, top, right, bottom);
    if (!(w > kHelpCornerMinText && h > kHelpCornerMinText))
        return;
    piece(kUpperLeft, left, top, left + kHelpCornerWidth, top + kHelpEdge);
    piece(kUpperRight, right - kHelpCornerWidth, top, right, top + kHelpEdge);
    piece(kLowerLeft, left, bottom - kHelpEdge, left + kHelpCornerWidth, bottom);
    piece(kLowerRight, right - kHelpCornerWidth, bottom - kHelpEdge, right, bottom);
}

// ---- Clicking a label ----

int32_t UIHelp::LabelUnderCursor()
{
    if (!ShouldShowItemsHelp() || !gInputSystem)
        return -1;
    auto cursorX = static_cast<float>(gInputSystem->GetCursorX());
    auto cursorY = static_cast<float>(gInputSystem->GetCursorY());
    const float labelAnchor[2] = {kLabelAnchorSide, kLabelAnchorSide};
    ClearPlacedBoxes();
    int32_t found = -1;
    ForEachLabel([&](int32_t entity, const float anchor[2]) {
        float w = 0.0f;
        float h = 0.0f;
        PrepareText(labelText, kHelpMaxTextWidth, labelShown, w, h);
        Layout(w, h, anchor, labelAnchor, true);
        if (placedBoxes.back().Contains(cursorX, cursorY))
            found = entity;
        return found < 0;
    });
    return found;
}

bool UIHelp::HandleMouseButton(int32_t button, bool down, int32_t /*x*/, int32_t /*y*/)
{
    if (!IsVisible() || button != 0 || !down || !gUISystem)
        return false;
    UiGameView& view = gUISystem->GetGameView();
    if (!view.HasLocalPlayer())
        return false;
    int32_t entity = LabelUnderCursor();
    // A press beside every label goes on to the world.
    return entity >= 0 && view.UseLeftButtonActionOn(entity);
}
