// Renderer -- the renderer's share of the graphics system: its settings and commands, the display start-up, the standard textures and fonts, the frame's clear and swap, statistics and stock lookups.
#pragma once

#include "core/BaseClass.h"
#include "core/UserVarRef.h"
#include "core/TimeStamp.h"
#include "core/system/GraphicsSystem.h"
#include "render/ConsoleView.h"
#include "render/DebugGrids.h"
#include "render/FrameRenderer.h"
#include "render/ImmediateDraw.h"
#include "render/RenderVarLimits.h"
#include "render/VideoOptions.h"
#include "render/WorldView.h"
#include "render/WorldViewOverlays.h"
#include "resources/ResourceHandle.h"
#include "resources/shaders/ShaderBatch.h"

#include <array>
#include <cstdint>
#include <string>

class FrameScene;
class FrameTools;
class FrameUi;
class MiniMap;
class WorldMap;
class OpenGLDevice;

// Main thread. Made with the window's display and its OpenGL device; a process without a window
// has no renderer and keeps the null device.
class Renderer : public BaseClass {
public:
    static constexpr int32_t kStandardTextureCount = 20;
    static constexpr int32_t kFontCount = 4;
    // The standard handles GetStandardHandle gives: 0 .. kStandardHandleCount - 1; among them
    // the pictures the menus draw with.
    static constexpr int32_t kStandardHandleCount = 11;
    static constexpr int32_t kHandleWhite = 0;
    static constexpr int32_t kHandleUiBlack = 1;
    static constexpr int32_t kHandleCircle = 3;
    // A sprite's quad: half its width and its height, in world units.
    static constexpr float kSpriteHalfWidth = 11.3f;
    static constexpr float kSpriteHeight = 64.0f;
    // Where a widget's model stands, on no level.
    static constexpr float kWidgetSceneX = 1000.0f;
    static constexpr float kWidgetSceneY = 1000.0f;

    Renderer(GraphicsSystem& display, OpenGLDevice& device);
    ~Renderer() override;
    Renderer(const Renderer&) = delete;
    Renderer& operator=(const Renderer&) = delete;

    // The display vars and every render setting with its default, "vidRestart", and the
    // "VirtualTakeScreenshot" key.
    void RegisterCommands();
    // Brings the display up: mode, window and context, initial state, two cleared frames, swap
    // interval, gamma, fonts and standard textures, shadow mode, tile radius, cursors.
    void Start();
    // Gamma and cursors back, the handles let go and the window closed; before the device goes.
    void Stop();

    // One frame, seconds after the last: the settings, the world (while the scene has a game),
    // the two-dimensional layer from the entity overlays to the cursor, and the swap. When the
    // key bound to "VirtualTakeScreenshot" was pressed this frame the picture is read before the
    // swap, while the back buffer still holds it. Nothing while the window is minimised.
    void RenderFrame(float seconds);
    // "%.1f fps" at (10, 10) while "fps" is set: over the last "smoothFps" seconds or more, or
    // from the last frame's length when that is 0.
    void DrawFps();
    // The user-interface projection, an identity model view and the depth, cull, alpha and
    // stencil tests off, for drawing in the 640 x 480 space.
    void Begin2D();
    // The model (its first animation at time 0) drawn at once through the world view's queue,
    // which it empties first; false when the model is not loaded or has nothing to draw.
    bool DrawModelImmediate(int32_t model, const WorldPos3& position, const Matrix3& rotation, float scale);
    // A model in a widget's rectangle (user-interface units), turned to the direction index,
    // under the world view's usual camera aimed lookHeight above its feet; the screen's 2D state
    // is restored after it. False when the model has nothing to draw.
    struct WidgetModel {
        int32_t model = -1;
        int32_t direction = 0;
        float scale = 1.0f;
        float lookHeight = 0.0f;
    };
    bool DrawModelInWidget(const WidgetModel& shown, float x, float y, float width, float height);
    // Frame `frame` of the model's sprite animation seen from the facing, as an upright quad
    // 22.6 wide and 64 high at the position, turned to the camera; false (nothing drawn) for a
    // frame outside the animation or without a texture for the facing.
    bool DrawSprite(const WorldPos3& position, int32_t frame, int32_t facing, int32_t model, int32_t animation);
    // The camera's view (its rotation rows as stored, translation -R p) followed by the axis
    // conversion, kept as the camera's model view for the callers to load; row vectors, so a
    // point goes v x View.
    static void SetViewMatrix(WorldViewCamera& camera);
    // The model's rotation and position, then the model view (the camera's, or one a shadow
    // flattened); loaded by the caller.
    static Matrix4 SetModelMatrix(const Matrix4& modelView, const Matrix3& rotation, const Vector3& position);
    // The view device's orthographic world projection: a 640 x 480 window of world units scaled
    // by the zoom, widened past 1.4 : 1 but never taller, near 2, far 2048.
    static void SetWorldProjection(WorldView& view, float zoom);
    static Matrix4 WorldProjection(const WorldView& view, float zoom);
    // The position's x, y, z taken into the frame of the level the view's camera looks at.
    // Levels that do not meet are set far apart: nothing of another level is drawn by chance.
    static Vector3 ToCameraLevel(const WorldView& view, const WorldPos3& position);
    // The cooldown sweep of item and skill slots through the screen text's batch: the part of
    // the rectangle swept by the fraction in the texture's shader, then flushed. Nothing for
    // the handle -1 or one that holds no texture.
    static void DrawPieQuad(int32_t texture, const Color& color, float x, float y, float width, float height,
                            float alpha, float fraction);
    // The planar projection onto the plane (a, b, c, d) as cast from the light, with both z
    // turned over first: dot x identity - light (w 1) x plane, column by column.
    static Matrix4 ShadowMatrix(const Vector3& light, const PlaneEquation& plane);
    // The model view made to flatten what is drawn after it onto the plane through the three
    // points, as cast from the light (render space, z up): the projection first, then the view.
    static void SetShadowProjection(Matrix4& modelView, const Vector3& p0, const Vector3& p1, const Vector3& p2,
                                    const Vector3& light);
    // The frame as drawn into "Screenshots/" by "r_screenshotType"; the name written or empty.
    std::string TakeScreenshot();
    // The "r_textureUsage" and "r_trisRendered" lines, then the triangle counters start again.
    void PrintFrameStatistics();
    // What a loaded texture is counted as taking: width x height x 4 (32-bit) or 3, x 1.33
    // (truncated) when mipmapped, then / 4 (32-bit) or / 6 when counted as compressed.
    static int64_t TextureUsageBytes(int32_t width, int32_t height, int32_t pixelDepth, bool mipmapped,
                                     bool compressed);
    int64_t GetFramesDrawn() const { return framesDrawn; }

    // Each value rounded to the nearest pixel (floor of value + 0.5); remembered as the view
    // when asked (the window's size does so).
    void SetViewport(float x, float y, float width, float height, bool remember);
    // A viewport of the view's size whose centre is the point of the 640-wide user-interface
    // space (both axes scaled by the width's factor); not remembered.
    void SetUiViewport(float x, float y);
    // x, y, width, height of the remembered view, in pixels.
    const std::array<float, 4>& GetView() const { return view; }

    // 0 .. 2 from "r_shadows", taken each frame; 0 while the model viewer is open.
    int32_t GetShadowMode() const;
    // Kind 1 red, 2 green, 3 blue, 6 orange, 8 cyan, anything else white.
    const ResourceHandle& GetOutlineTexture(int32_t kind) const;
    // Quality 5 set, 6 unique, 7 artifact, anything else the white outline.
    const ResourceHandle& GetGlowTexture(int32_t quality) const;
    // What a complex shadow is drawn with ("TextureNameProjectedShadow").
    const ResourceHandle& GetProjectedShadowTexture() const;
    // A shader of a standard picture (handle 2 is the second font); the index is trusted:
    // 0 .. kStandardHandleCount - 1.
    const ResourceHandle& GetStandardHandle(int32_t index) const;
    const ResourceHandle& GetFont(int32_t index) const { return fonts[static_cast<size_t>(index)]; }
    float GetTileRadius() const { return tileRadius; }
    int32_t GetScreenshotKey() const { return screenshotKey; }
    // Lines, rectangles and the wire box, drawn at once with the context held.
    ImmediateDraw& GetImmediateDraw() { return immediate; }

    // Set by the composition root; null (the default) leaves that layer out of the frame: no
    // world without a scene, no menus without the interface, no editor views without the tools.
    // Each must outlive the renderer or be set back to null first.
    void SetFrameScene(FrameScene* newScene);
    void SetFrameUi(FrameUi* newUi) { frame.SetUi(newUi); }
    void SetFrameTools(FrameTools* newTools)
    {
        tools = newTools;
        frame.SetTools(newTools);
    }
    // The world view: its camera (with the ratio and widening the client's screen conversion
    // reads), culling and the frame's surfaces.
    WorldView& GetWorldView() { return worldView; }
    // The batch the world's surfaces are drawn through; a menu's model scene draws through it too.
    ShaderBatch& GetWorldBatch() { return worldBatch; }
    // The bloom and the explored-area overlay laid over the world.
    WorldViewOverlays& GetOverlays() { return overlays; }
    // The maps drawn in the world pass: the exploration before it, the world map in its place
    // while open, the mini-map last; they are given what they draw with. Null leaves them out.
    void SetMaps(WorldMap* newWorldMap, MiniMap* newMiniMap);
    VideoOptions& GetVideoOptions() { return videoOptions; }

private:
    void BuildMissingTextureCaches();
    void LoadFontsAndTextures();
    void LoadCursors();
    void ApplyChangedVars();
    void ApplySettings();
    bool ScreenshotKeyPressed() const;
    // The turn of a sprite's quad: towards the camera across the ground, the facing's axis for a
    // camera looking straight down.
    Matrix3 SpriteFacingCamera(int32_t facing) const;
    void PrintTextureUsage();
    // The view rectangle in whole pixels.
    PixelRect ViewPixels() const;

    GraphicsSystem& display;
    OpenGLDevice& device;
    FrameScene* scene = nullptr;
    std::array<ResourceHandle, kFontCount> fonts;
    // The cursor pictures drawn when no hardware cursor shows them, lent out by the display.
    std::array<ResourceHandle, GraphicsSystem::kCursorCount> cursorTextures;
    // In the order of the game data keys of kStandardTextureKeys.
    std::array<ResourceHandle, kStandardTextureCount> standardTextures;
    // The stock black as an overlay shader: the box under the message log and under notices.
    ResourceHandle textBackground;
    int32_t shadowMode = 1;
    float tileRadius = 0.0f;
    std::array<float, 4> view{};
    int32_t screenshotKey = -1;
    int64_t framesDrawn = 0;
    bool started = false;
    UserVarRef shadowsVar;
    RenderVarLimits limits;
    UserVarRef trisRenderedVar;
    UserVarRef textureUsageVar;
    UserVarRef gammaVar;
    UserVarRef monitorSyncVar;
    UserVarRef screenshotTypeVar;
    UserVarRef maxLightsVar;
    // Read every frame, through handles rather than by name.
    UserVarRef filteringQualityVar;
    UserVarRef betterLightingVar;
    UserVarRef showNormalsVar;
    UserVarRef showTrisVar;
    ConsoleView consoleView;
    ImmediateDraw immediate;
    FrameTools* tools = nullptr;
    float appliedGamma = 1.0f;
    int32_t appliedMonitorSync = 1;
    UserVarRef fpsVar;
    UserVarRef smoothFpsVar;
    TimeStamp fpsSampleTime;
    int32_t fpsFrames = 0;
    float fpsSmoothed = 0.0f;
    float lastFrameSeconds = 0.0f;
    WorldView worldView;
    ShaderBatch worldBatch;
    FrameRenderer frame{worldView, worldBatch};
    WorldViewOverlays overlays;
    DebugGrids grids;
    VideoOptions videoOptions;
    WorldMap* worldMap = nullptr;
    MiniMap* miniMap = nullptr;
};

extern Renderer* gRenderer;
