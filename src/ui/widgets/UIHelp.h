// UIHelp -- the framed help boxes: the tooltip of whatever the cursor rests on, and the labels of the things lying in the world while the player asks for them, a click on a label acting on its thing.
#pragma once

#include "core/Color.h"
#include "resources/ResourceHandle.h"
#include "ui/UIWidget.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

// Main thread. Lives in the "HelpBottom" and "HelpTop" menus, which the UI system shows only for
// their own draw; all places are in the 640 x 480 interface space.
class UIHelp : public UIWidget {
public:
    static constexpr int32_t kBorderTextureCount = 8;
    // A label's anchor: the square of this side at the thing's screen point.
    static constexpr float kLabelAnchorSide = 32.0f;
    static constexpr float kLabelAlpha = 0.75f;
    // Left and right Alt, as the input system numbers keys.
    static constexpr int32_t kKeyLeftAlt = 0x38;
    static constexpr int32_t kKeyRightAlt = 0xB8;

    // The outer corners of a box placed this frame: a label's, or a tooltip's and the one beside it.
    struct PlacedBox {
        float left = 0.0f;
        float top = 0.0f;
        float right = 0.0f;
        float bottom = 0.0f;
        // Every edge inclusive.
        bool Contains(float x, float y) const { return left <= x && x <= right && top <= y && y <= bottom; }
    };

    // Loads the eight border pictures and the white one.
    UIHelp();
    ~UIHelp() override;

    void Draw() override;
    // The Alt toggle.
    void Update(float seconds) override;
    // A left press on a label gives its thing to the player's left-button action.
    bool HandleMouseButton(int32_t button, bool down, int32_t x, int32_t y) override;
    bool ReadProperty(const std::string& key, TextParser& parser) override;
    bool IsHelpBox() const override { return true; }
    UIWidget* NewOfSameKind() const override { return new UIHelp(); }
    void CopyFrom(const UIWidget& source) override;

    // Whether the labels of things in the world show now.
    bool ShouldShowItemsHelp() const;
    // Frames and draws the text (and the second text beside it) by the anchor; an empty text
    // shows nothing.
    void ShowBox(const std::string& boxText, const std::string& secondText, const float anchor[2],
                 const float anchorSize[2], float boxAlpha, bool avoidOverlaps, bool highlight);
    // Places a text of w x h by the anchor (none when its size is 0 x 0): the widget's position
    // becomes the text's corner. With avoidOverlaps the box is moved clear of this frame's boxes
    // and recorded.
    void Layout(float w, float h, const float anchor[2], const float anchorSize[2], bool avoidOverlaps);
    // The top of a box fw x fh at (x, y) moved clear of this frame's boxes; x never changes.
    float AvoidOverlap(float fw, float fh, float x, float y, bool upwardOnly, bool downwardOnly) const;
    // The box fw x fh at (x, y) moved the least way (left, right, up or down) off each rectangle it
    // meets, staying on the screen and off the thing it tells of; where no way is clear it stays.
    static void KeepClearOf(const std::vector<PlacedBox>& rectangles, const PlacedBox& thing, float fw, float fh,
                            float& x, float& y);
    // Places the second text of w2 x h2 beside the first box, whose text is firstWidth wide, and
    // off the anchor the first box was placed by.
    void LayoutSecond(float firstWidth, float w2, float h2);
    // The frame around the text rectangle (x, y, w, h): its background in the colour, its edges,
    // and its corners when the text is more than 8 units each way.
    void DrawFrame(float x, float y, float w, float h, float boxAlpha, const Color& background) const;
    // The thing whose label holds the cursor, the labels laid out again; -1 for none.
    int32_t LabelUnderCursor();
    void ClearPlacedBoxes() { placedBoxes.clear(); }
    const std::vector<PlacedBox>& GetPlacedBoxes() const { return placedBoxes; }

    float basePosition[2] = {0.0f, 0.0f};
    // Read from the layout; nothing places by it.
    float baseSize[2] = {0.0f, 0.0f};
    float border[2] = {5.0f, 5.0f};
    float gap[2] = {20.0f, 20.0f};
    std::array<ResourceHandle, kBorderTextureCount> borderTextures;
    // The game's plain white picture, under the frame's background colour.
    ResourceHandle whiteTexture;
    bool itemsHelpToggled = true;
    bool showPopupHelp = true;
    bool showItemsHelp = true;

private:
    // The texts of a box and the one beside it, as drawn, with their sizes.
    struct BoxTexts {
        WString first;
        WString second;
        float w = 0.0f;
        float h = 0.0f;
        float w2 = 0.0f;
        float h2 = 0.0f;
    };

    // The text the next box shows as drawn (translated, "\n" pairs made line breaks, wrapped at
    // maxWidth), and its measured size.
    void PrepareText(const std::string& boxText, float maxWidth, WString& shown, float& w, float& h);
    // Both texts wrapped so that their frames fit the screen's width side by side.
    void PreparePair(const std::string& firstText, const std::string& secondText, BoxTexts& boxes);
    // The base widget draws the text at the widget's position, which is relative to the menu.
    void PlaceTextAt(float screenX, float screenY, float w, float h);
    // The outer corners of the frame round a text of w x h placed where the widget stands.
    PlacedBox FrameAround(float w, float h) const;
    // The frame and the text where the widget stands; the frame kept with the labels' when asked.
    void DrawPlacedBox(float w, float h, float boxAlpha, const Color& background, bool keep);
    // Each labelled thing with its text and anchor point, in entity-number order; false stops.
    template <typename Visit>
    void ForEachLabel(Visit visit);

    // The tooltip's two texts, and the texts of the last box as prepared with what they were
    // prepared from, kept with their room so that a steady tooltip allocates nothing.
    std::string popup;
    std::string popupSecond;
    BoxTexts preparedBoxes;
    std::string preparedFirst;
    std::string preparedSecond;
    int32_t preparedFont = -1;
    bool preparedHigherRes = false;
    std::vector<PlacedBox> placedBoxes;
    // The anchor the last box was placed by; empty (all 0) for a box at the base position.
    PlacedBox anchorBox;
    // What the box being placed keeps clear of (the in-game screen's pictures, for a tooltip of a
    // thing in the world, which is drawn under them); empty for any other box.
    std::vector<PlacedBox> keepClear;
    std::vector<std::array<float, 4>> screenFaces;
    // Reused each frame, so that a steady screen of labels allocates nothing.
    std::vector<int32_t> labelled;
    std::string labelText;
    WString labelShown;
};
