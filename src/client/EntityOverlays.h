// EntityOverlays -- what the client draws over each entity it sees: rising damage and experience texts, the health bar and the timer bar.
#pragma once

#include "core/StringUtil.h"
#include "core/TimeStamp.h"
#include "core/UserVarRef.h"
#include "core/Vector.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class EntityClient;

// Where the overlays land: the screen, or a recording in tests. Units are the 640 x 480
// user-interface space; colours are colour-table indices.
class OverlayCanvas {
public:
    virtual ~OverlayCanvas() = default;
    // The screen point straight above the entity's top, and the zoom that scales fixed sizes.
    virtual Vector2 GetEntityTop(const EntityClient& entity) const = 0;
    virtual float GetScale() const = 0;
    virtual float MeasureTextHeight(const std::string& text) const = 0;
    virtual void FillRect(float left, float top, float right, float bottom, int32_t colour, float alpha) = 0;
    // Centred on x, its top at y.
    virtual void DrawText(const std::string& text, float x, float y, int32_t colour, float alpha) = 0;
};

// The player's facts the overlays need, gathered once a frame rather than per entity.
struct OverlayFrame {
    int32_t playerNumber = -1;
    int32_t playerCovenant = -1;
    TimeStamp now;
    bool showDamage = true;
    bool showExperience = true;
    bool bars = true;
    bool playerBar = false;
    float riseSpeed = 0.0f;
    float lifeSeconds = 0.0f;
    float fadeSeconds = 0.0f;
};

class EntityOverlays {
public:
    // Bar sizes before the zoom, and how far above the entity's top the texts start.
    static constexpr float kBarWidth = 30.0f;
    static constexpr float kBarHeight = 4.0f;
    static constexpr float kTextLift = 32.0f;
    static constexpr float kBarLift = 22.0f;
    static constexpr float kTimerGap = 5.0f;
    static constexpr float kTextGap = 2.0f;
    static constexpr float kMinBarAlpha = 0.4f;
    static constexpr int32_t kBarBackgroundColour = 10;
    static constexpr int32_t kTimerColour = 8;
    static constexpr uint32_t kFlagNoBar = 0x2;
    static constexpr uint32_t kFlagQuestTarget = 0x200;

    // Creates the user vars it reads when missing, with the interface's defaults.
    void RegisterVars();
    // The frame's facts: the local player, the clock, the tuning and the switches (the
    // numbers' from the interface).
    OverlayFrame GatherFrame() const;

    // The texts, then the bars, of one entity.
    static void Draw(const EntityClient& entity, const OverlayFrame& frame, OverlayCanvas& canvas);
    static void DrawTexts(const EntityClient& entity, const OverlayFrame& frame, OverlayCanvas& canvas);
    static void DrawBars(const EntityClient& entity, const OverlayFrame& frame, OverlayCanvas& canvas);

    // Longer than two characters and ending in "xp".
    static bool IsExperienceText(std::string_view text);
    // "+" and more, or a colour code followed by "+".
    static bool IsGainText(std::string_view text);
    static bool ShowsHealthBar(const EntityClient& entity, const OverlayFrame& frame);
    static int32_t GetHealthBarColour(const EntityClient& entity, const OverlayFrame& frame);
    // 0..1 whatever health and maximum say; full when the maximum is below 1.
    static float GetHealthFill(const EntityClient& entity);
    // The share of the timer already run, 0..1.
    static float GetTimerFill(const EntityClient& entity);
    // 0 until the fade starts, 1 at the end of the life.
    static float GetFade(float age, const OverlayFrame& frame);

private:
    UserVarRef barsVar;
    UserVarRef playerBarVar;
};

// The overlays on the real screen: the renderer's immediate quads and the screen text.
class ScreenOverlayCanvas : public OverlayCanvas {
public:
    Vector2 GetEntityTop(const EntityClient& entity) const override;
    float GetScale() const override;
    float MeasureTextHeight(const std::string& text) const override;
    void FillRect(float left, float top, float right, float bottom, int32_t colour, float alpha) override;
    void DrawText(const std::string& text, float x, float y, int32_t colour, float alpha) override;
    // Forgets the texts not drawn since the last call: called once a frame, before the drawing.
    void BeginFrame();

private:
    // A text as the screen shows it, translated and widened.
    struct ShownText {
        std::string source;
        WString shown;
        bool drawn = false;
    };
    // The text's entry, made at its first use: a rising text is drawn for seconds, and translating
    // it anew for each measure and draw of each frame would allocate every time.
    const WString& Shown(const std::string& text) const;

    mutable std::vector<ShownText> shownTexts;
};
