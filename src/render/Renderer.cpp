// Renderer -- the renderer's share of the graphics system: its settings and commands, the display start-up, the standard textures and fonts, the frame's clear and swap, statistics and stock lookups.
#include "render/Renderer.h"

#include "core/ColorSystem.h"
#include "core/CommandSystem.h"
#include "core/DebugSystem.h"
#include "core/FileSystem.h"
#include "core/Profiler.h"
#include "core/UserVarSystem.h"
#include "core/VirtualKeys.h"
#include "core/system/GraphicsSystem.h"
#include "core/system/InputSystem.h"
#include "core/system/SystemInfo.h"
#include "core/system/TimerSystem.h"
#include "render/Camera.h"
#include "render/FrameScene.h"
#include "render/FrameTools.h"
#include "render/GeneratedTextures.h"
#include "render/LightingSystem.h"
#include "render/MiniMap.h"
#include "render/OpenGLDevice.h"
#include "resources/shaders/ScreenPrimitives.h"
#include "render/Screenshot.h"
#include "render/TextEvents.h"
#include "resources/ResourceManager.h"
#include "resources/shaders/ShaderLookup.h"
#include "resources/shaders/ShaderTextures.h"
#include "resources/fonts/ScreenText.h"
#include "resources/models/Animation.h"
#include "resources/models/ModelResource.h"
#include "resources/textures/TargaImage.h"
#include "resources/textures/TextureResource.h"
#include "resources/textures/TextureTools.h"
#include "rules/GameData.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

Renderer* gRenderer = nullptr;

namespace {

struct RendererVar {
    const char* name;
    const char* defaultText;
};

// Every render setting with its default; the display's own are registered by the display.
constexpr RendererVar kRendererVars[] = {
    {"fps", "0"},
    {"smoothFps", "0.0"},
    {"showCollisionGrid", "0"},
    {"showSightCollisionGrid", "0"},
    {"showSightGrid", "0"},
    {"r_shadows", "1"},
    {"showSkel", "0"},
    {"showTags", "0"},
    {"showNormals", "0"},
    {"showTris", "0"},
    {"drawModel", "1"},
    {"zoom", "1.0"},
    {"zoomMin", "0.6"},
    {"zoomMax", "1.4"},
    {"blendedTiles", "1"},
    {"autoBuildTextures", "1"},
    {"compressedTextures", "1"},
    {"filteringQuality", "1"},
    {"r_maxLights", "16"},
    {"r_textureUsage", "0"},
    {"r_trisRendered", "0"},
    {"r_CullModels", "1"},
    {"r_CullTiles", "1"},
    {"r_anisotropic", "0"},
    {"r_anisotropicValue", "0"},
    {"r_groundDetail", "2"},
    {"r_screenshotType", "0"},
    {"fullUseSlots", "0"},
    {"r_betterLighting", "0"},
    {"r_overheadView", "0"},
    {"r_bloom", "0"},
    {"r_bloomDarkenPasses", "1"},
    {"r_bloomBlur", "2"},
    {"r_bloomBlurDistance", "1.0"},
    {"r_bloomIntensity", "1.4"},
    {"r_bloomTextureSize", "256"},
    {"r_detailModels", "1"},
    {"r_higherResFonts", "1"},
    {"ui_maxTextEventsSaved", "100"},
    {"ui_textEventsTime", "30.0"},
};

constexpr const char* kRendererStandardTextureKeys[Renderer::kStandardTextureCount] = {
    "TextureNameUIBlack",       "TextureNameWhite",          "TextureNameCircle",
    "TextureNameX",             "TextureNamePlus",           "TextureNameMinus",
    "TextureNameMissingTile",   "TextureNameEmptyTile",      "TextureNameGradiantWhite",
    "TextureNameShadow",        "TextureNameProjectedShadow", "TextureNameOutlineCyan",
    "TextureNameOutlineGreen",  "TextureNameOutlineWhite",   "TextureNameOutlineOrange",
    "TextureNameOutlineBlue",   "TextureNameOutlineRed",     "TextureNameEffectGlowSet",
    "TextureNameEffectGlowUnique", "TextureNameEffectGlowArtifact",
};

// Positions in kRendererStandardTextureKeys.
enum RendererStandardTexture : int32_t {
    kStandardUiBlack = 0, kStandardWhite, kStandardCircle, kStandardCross, kStandardPlus, kStandardMinus, kStandardMissingTile, kStandardEmptyTile, kStandardGradientWhite, kStandardShadow,
    kStandardProjectedShadow, kStandardOutlineCyan, kStandardOutlineGreen, kStandardOutlineWhite, kStandardOutlineOrange, kStandardOutlineBlue, kStandardOutlineRed,
    kStandardGlowSet, kStandardGlowUnique, kStandardGlowArtifact,
};

// Standard handle index -> texture position; the font at index 2 is marked -1.
constexpr int32_t kRendererStandardHandles[Renderer::kStandardHandleCount] = {
    kStandardWhite, kStandardUiBlack, -1, kStandardCircle, kStandardShadow, kStandardCross, kStandardPlus, kStandardMinus, kStandardMissingTile, kStandardEmptyTile, kStandardGradientWhite,
};

struct RendererCursor {
    const char* path;
    int32_t hotX;
    int32_t hotY;
};

// Entries 1 to 7 of the cursor table.
constexpr RendererCursor kRendererCursors[] = {
    {"Textures/cursors/normalCursor.tga", 0, 0}, {"Textures/cursors/attackCursor.tga", 0, 0},
    {"Textures/cursors/lootCursor.tga", 0, 0},   {"Textures/cursors/useCursor.tga", 0, 0},
    {"Textures/cursors/grabbedCursor.tga", 0, 0}, {"Textures/cursors/talkCursor.tga", 16, 16},
    {"Textures/cursors/busyCursor.tga", 16, 16},
};

} // namespace

Renderer::Renderer(GraphicsSystem& display, OpenGLDevice& device)
    : display(display), device(device), immediate(device.GetApi(), device.GetStateCache()), worldView(device),
      worldBatch(&device), overlays(device, device.GetApi(), device.GetStateCache(), immediate, worldView),
      grids(device.GetStateCache(), immediate, worldView), videoOptions(display)
{
    worldView.SetLineDrawer(&immediate);
    worldView.SetSpriteDrawer([this](const SpriteDesc& sprite) {
        DrawSprite(sprite.position, sprite.frame, sprite.facing, sprite.model, sprite.animation);
    });
    videoOptions.SetRestartDevice(&device, [this] { overlays.FreeTextures(); });
    frame.SetHooks({[this] { Begin2D(); },
                    [] {
                        if (gDebugSystem)
                            gDebugSystem->DrawConsole();
                    },
                    [this] { DrawFps(); },
                    [this] {
                        overlays.ApplyBloom(ViewPixels());
                        overlays.DrawExploredOverlay(frame.GetZoom());
                        grids.Draw(frame.GetZoom());
                        if (miniMap)
                            miniMap->Draw();
                    }});
    frame.SetMapPasses(
        [this] {
            if (worldMap)
                worldMap->UpdateExploration();
        },
        [this] {
            if (!worldMap || !worldMap->IsOpen())
                return false;
            worldMap->Draw();
            return true;
        });
}

void Renderer::SetMaps(WorldMap* newWorldMap, MiniMap* newMiniMap)
{
    worldMap = newWorldMap;
    miniMap = newMiniMap;
    MapGraphics graphics{&device, &device.GetApi(), &device.GetStateCache(), &immediate, &worldView,
                         [this](int32_t index) {
                             const TextureResource* texture =
                                 ShaderTextures::GetShaderTexture(GetStandardHandle(index).GetValue());
                             return texture ? texture->GetTextureId() : -1;
                         },
                         [this](int32_t index) { return GetStandardHandle(index).GetValue(); },
                         [this] { return std::array<int32_t, 2>{display.GetViewWidth(), display.GetViewHeight()}; }};
    if (worldMap) {
        worldMap->SetGraphics(graphics);
        worldMap->SetScene(scene);
    }
    if (miniMap) {
        miniMap->SetGraphics(graphics);
        miniMap->SetScene(scene);
    }
}

void Renderer::SetFrameScene(FrameScene* newScene)
{
    scene = newScene;
    frame.SetScene(newScene);
    overlays.SetScene(newScene);
    if (worldMap)
        worldMap->SetScene(newScene);
    if (miniMap)
        miniMap->SetScene(newScene);
    grids.SetScene(newScene);
    if (!gLightingSystem)
        return;
    // The lights of a paused game stay as they were; LightAtPoint lights the player's level.
    gLightingSystem->SetPausedQuery([this] { return scene && scene->IsPaused(); });
    // A torch across a level's edge lights the ground on this side of it.
    gLightingSystem->SetLevelOffset(&LightingSystem::OffsetThroughWorld);
    gLightingSystem->SetCurrentLevelQuery([this] {
        WorldPos target;
        return scene && scene->IsGameRunning() && scene->GetCameraTarget(target) ? target.level : -1;
    });
}

Renderer::~Renderer()
{
    Stop();
}

void Renderer::RegisterCommands()
{
    display.RegisterDisplayVars();
    for (const RendererVar& var : kRendererVars)
        gUserVarSystem->RegisterVar(var.name, var.defaultText);
    shadowsVar = gUserVarSystem->RegisterVar("r_shadows", "1");
    trisRenderedVar = gUserVarSystem->RegisterVar("r_trisRendered", "0");
    textureUsageVar = gUserVarSystem->RegisterVar("r_textureUsage", "0");
    gammaVar = gUserVarSystem->RegisterVar("r_gamma", "1.0");
    monitorSyncVar = gUserVarSystem->RegisterVar("monitorSync", "1");
    screenshotTypeVar = gUserVarSystem->RegisterVar("r_screenshotType", "0");
    maxLightsVar = gUserVarSystem->RegisterVar("r_maxLights", "16");
    filteringQualityVar = gUserVarSystem->RegisterVar("filteringQuality", "1");
    betterLightingVar = gUserVarSystem->RegisterVar("r_betterLighting", "0");
    showNormalsVar = gUserVarSystem->RegisterVar("showNormals", "0");
    showTrisVar = gUserVarSystem->RegisterVar("showTris", "0");
    fpsVar = gUserVarSystem->RegisterVar("fps", "0");
    smoothFpsVar = gUserVarSystem->RegisterVar("smoothFps", "0.0");
    limits.FindVars();
    worldView.RegisterVars();
    frame.RegisterVars();
    overlays.FindVars();
    grids.FindVars();
    GeneratedTextures::RegisterCommands();
    videoOptions.RegisterCommands();
    gCommandSystem->RegisterCommand(
        "vidRestart", [this](const std::vector<std::string>&) { videoOptions.RestartGraphics(); },
        "Restarts the graphics system", "", "");
    screenshotKey = gVirtualKeys ? gVirtualKeys->FindByName("VirtualTakeScreenshot", false) : -1;
}

void Renderer::Start()
{
    display.ChooseStartMode();
    display.SetupDisplay();
    display.SetViewResizedHook([this](int32_t width, int32_t height) {
        SetViewport(0.0f, 0.0f, static_cast<float>(width), static_cast<float>(height), true);
    });
    display.SetToggleFullScreenHook([this] { videoOptions.ToggleFullScreen(); });
    device.StartDisplay();
    DebugSystem::Print(kPrintPlain, "OpenGL: %s\n", device.GetDriverName().c_str());
    limits.SetMaxTextureSize(device.GetMaxTextureSize());
    limits.Apply();
    videoOptions.InitAnisotropy(device.SupportsAnisotropy(), device.GetMaxAnisotropy());
    videoOptions.TakeAppliedSettings();
    SetViewport(0.0f, 0.0f, static_cast<float>(display.GetViewWidth()), static_cast<float>(display.GetViewHeight()),
                true);
    device.AcquireContext();
    // Both buffers start black, whichever the first frame shows.
    for (int i = 0; i < 2; ++i) {
        device.Clear(kClearColorBuffer, Color{0.0f, 0.0f, 0.0f}, 1.0f);
        device.Present();
    }
    display.ApplySwapInterval();
    device.ReleaseContext();
    display.SaveGammaRamp();
    appliedGamma = gammaVar.GetFloat();
    appliedMonitorSync = monitorSyncVar.GetInt();
    display.SetGamma(gammaVar.GetFloat());
    BuildMissingTextureCaches();
    LoadFontsAndTextures();
    shadowMode = std::clamp(shadowsVar.GetInt(), 0, 2);
    float cell = gGameData ? gGameData->GetTuning().tileSize : 0.0f;
    tileRadius = std::sqrt(2.0f * (cell / 2.0f) * (cell / 2.0f)) * 1.1f;
    worldView.SetTileRadius(tileRadius);
    LoadCursors();
    if (gLightingSystem)
        gLightingSystem->SetMaxLights(maxLightsVar.GetInt());
    if (gGameData)
        consoleView.Load(gGameData->GetNameById("TextureNameWhite"));
    if (gDebugSystem)
        gDebugSystem->GetConsole().SetDrawHook([this](const Console& console) { consoleView.Draw(console); });
    started = true;
}

// The caches the texture loads prefer (compressed ones when they are wanted and the driver takes
// them) are built by the loader as each is first asked for: only the missing or outdated, and
// never all of them before the first frame.
void Renderer::BuildMissingTextureCaches()
{
    if (gResourceManager)
        TextureTools::SetBuildOnLoad(*gResourceManager, gUserVarSystem->GetIntByName("autoBuildTextures") != 0);
}

void Renderer::LoadFontsAndTextures()
{
    if (!gGameData)
        return;
    // The first handle is font 2 of the list, the second font 1, then 3 and 4; the game data
    // gives entry 0 for a list too short.
    constexpr int32_t kFontNumbers[kFontCount] = {2, 1, 3, 4};
    for (int32_t i = 0; i < kFontCount; ++i) {
        const std::string& name = gGameData->GetTextFontName(kFontNumbers[i]);
        if (!name.empty())
            gResourceManager->Load(name, fonts[static_cast<size_t>(i)]);
    }
    for (int32_t i = 0; i < kStandardTextureCount; ++i) {
        std::string name = gGameData->GetNameById(kRendererStandardTextureKeys[i]);
        // The shadow, tints and glows are laid on the ground and on models; the others are the
        // menus' pictures, whose files the maps also bind as they are (a soft pin shrunk to a few
        // pixels would not survive a compressed cache).
        int32_t usage = i >= kStandardShadow ? TextureUsage::AlphaBlended : TextureUsage::OverlayUncompressed;
        if (!name.empty())
            LoadTextureByName(name, standardTextures[static_cast<size_t>(i)], usage);
    }
    // The log's box had no texture to be drawn with, so the log's lines lay bare over the world.
    LoadTextureByName(gGameData->GetNameById(kRendererStandardTextureKeys[kStandardUiBlack]), textBackground,
                      TextureUsage::Overlay);
    if (gTextEvents)
        gTextEvents->SetBackgroundShader(textBackground.GetValue());
}

// A cursor picture is a 32-bit Targa; a missing or unreadable one gives no hardware cursor.
void Renderer::LoadCursors()
{
    display.SetTextureReferenceHook([](int32_t texture) {
        if (gResourceManager)
            gResourceManager->AddRef(texture);
    });
    for (int32_t entry = 1; entry <= 7; ++entry) {
        const RendererCursor& cursor = kRendererCursors[entry - 1];
        if (!gFileSystem->FileExists(cursor.path))
            continue;
        if (gResourceManager) {
            ResourceHandle& picture = cursorTextures[static_cast<size_t>(entry)];
            LoadTextureByName(cursor.path, picture, TextureUsage::OverlayUncompressed);
            display.SetCursorTexture(entry, picture.GetValue());
        }
        FileBuffer file = gFileSystem->LoadWholeFile(cursor.path);
        std::vector<uint8_t> bytes(file.Data(), file.Data() + file.Size());
        TargaImage image;
        if (!image.Parse(bytes.data(), bytes.size(), cursor.path) || image.GetBytesPerPixel() != 4)
            continue;
        int32_t width = image.GetWidth();
        int32_t height = image.GetHeight();
        bool topFirst = (image.GetHeader().descriptor & 0x20) != 0;
        std::vector<uint8_t> rgba(static_cast<size_t>(width) * static_cast<size_t>(height) * 4);
        for (int32_t y = 0; y < height; ++y) {
            const uint8_t* row = image.GetPixels() + static_cast<size_t>(topFirst ? y : height - 1 - y) * width * 4;
            for (int32_t x = 0; x < width; ++x) {
                const uint8_t* bgra = row + static_cast<size_t>(x) * 4;
                uint8_t* out = rgba.data() + (static_cast<size_t>(y) * width + x) * 4;
                out[0] = bgra[2];
                out[1] = bgra[1];
                out[2] = bgra[0];
                out[3] = bgra[3];
            }
        }
        display.LoadCursor(entry, {rgba.data(), width, height, cursor.hotX, cursor.hotY});
    }
}

void Renderer::Stop()
{
    if (!started)
        return;
    started = false;
    display.SetViewResizedHook({});
    display.SetToggleFullScreenHook({});
    display.RestoreGamma();
    display.FreeCursors();
    for (int32_t entry = 0; entry < GraphicsSystem::kCursorCount; ++entry) {
        display.SetCursorTexture(entry, -1);
        cursorTextures[static_cast<size_t>(entry)].Reset();
    }
    display.SetTextureReferenceHook({});
    if (gDebugSystem)
        gDebugSystem->GetConsole().SetDrawHook({});
    consoleView.Release();
    for (ResourceHandle& handle : fonts)
        handle.Reset();
    for (ResourceHandle& handle : standardTextures)
        handle.Reset();
    if (gTextEvents)
        gTextEvents->SetBackgroundShader(-1);
    textBackground.Reset();
    DebugSystem::Print(kPrintPlain, "Display closed after %lld frames\n", static_cast<long long>(framesDrawn));
}

void Renderer::ApplyChangedVars()
{
    shadowMode = std::clamp(shadowsVar.GetInt(), 0, 2);
    if (gLightingSystem)
        gLightingSystem->SetMaxLights(maxLightsVar.GetInt());
    StageDrawSettings settings;
    settings.filteringQuality = filteringQualityVar.GetInt();
    settings.betterLighting = betterLightingVar.GetInt() != 0;
    settings.showNormals = showNormalsVar.GetInt();
    settings.showTris = showTrisVar.GetInt();
    settings.runningTime = gTimerSystem ? gTimerSystem->GetRunningTime() : 0.0f;
    const TextureResource* white = ShaderTextures::GetShaderTexture(standardTextures[kStandardWhite].GetValue());
    settings.whiteTextureId = white ? white->GetTextureId() : -1;
    settings.lighting = gLightingSystem;
    device.SetDrawSettings(settings);
    immediate.SetLineTexture(settings.whiteTextureId);
    // Compared as numbers: a copy of each text every frame would go to the heap.
    float gamma = gammaVar.GetFloat();
    if (gamma != appliedGamma) {
        appliedGamma = gamma;
        display.SetGamma(gamma);
    }
    int32_t monitorSync = monitorSyncVar.GetInt();
    if (monitorSync != appliedMonitorSync) {
        appliedMonitorSync = monitorSync;
        display.ApplySwapInterval();
    }
    videoOptions.ApplyChangedSettings(device, tools);
}

void Renderer::ApplySettings()
{
    limits.Apply();
    ApplyChangedVars();
    worldView.SetViewSize(static_cast<int32_t>(view[2]), static_cast<int32_t>(view[3]));
    if (gTextEvents)
        gTextEvents->ExpireTextEvents();
}

PixelRect Renderer::ViewPixels() const
{
    auto pixels = [](float value) { return static_cast<int32_t>(std::lround(value)); };
    return PixelRect{pixels(view[0]), pixels(view[1]), pixels(view[2]), pixels(view[3])};
}

void Renderer::RenderFrame(float seconds)
{
    // A minimised window shows nothing: no frame is drawn or swapped, and no screenshot taken.
    if (!started || (gSystemInfo && gSystemInfo->minimised))
        return;
    if (gProfiler)
        gProfiler->Begin(kProfileRenderer);
    lastFrameSeconds = seconds;
    device.AcquireContext();
    ApplySettings();
    frame.SetTextEvents(gTextEvents);
    frame.DrawPasses(seconds);
    device.GetStateCache().BindTexture(0);
    // Read before the swap: afterwards the back buffer's contents are undefined.
    if (ScreenshotKeyPressed())
        TakeScreenshot();
    device.Present();
    device.ReleaseContext();
    if (gProfiler)
        gProfiler->Mark(kProfileRenderer);
    ++framesDrawn;
    PrintFrameStatistics();
    device.AdvanceFrame();
}

void Renderer::DrawFps()
{
    if (!fpsVar.GetBool() || !gTimerSystem || !gScreenText)
        return;
    ++fpsFrames;
    const TimeStamp& now = gTimerSystem->GetClock();
    float smooth = smoothFpsVar.GetFloat();
    TimeStamp due = fpsSampleTime;
    due.seconds += smooth;
    due.Normalize();
    if (due <= now) {
        float elapsed = TimeStamp::Difference(fpsSampleTime, now).GetTotalSeconds();
        fpsSmoothed = elapsed > 0.0f ? static_cast<float>(fpsFrames) / elapsed : 0.0f;
        fpsSampleTime = now;
        fpsFrames = 0;
    }
    if (!(lastFrameSeconds > 0.0f))
        return;
    float shown = smooth > 0.0f ? fpsSmoothed : 1.0f / lastFrameSeconds;
    char text[32];
    std::snprintf(text, sizeof(text), "%.1f fps", static_cast<double>(shown));
    gScreenText->DrawTextNarrow(gScreenText->GetLadderFont(0), text, 10, 10, Color{1.0f, 1.0f, 1.0f}, false, 1.0f);
}

void Renderer::Begin2D()
{
    device.AcquireContext();
    device.SetProjectionMatrix(ScreenPrimitives::UiProjection());
    device.SetModelViewMatrix(ScreenPrimitives::Identity());
    device.GetStateCache().ResetState();
    device.ReleaseContext();
}

// A model drawn apart from the world is not lit by the world's lights.
bool Renderer::DrawModelImmediate(int32_t model, const WorldPos3& position, const Matrix3& rotation, float scale)
{
    if (model == -1 || !gResourceManager)
        return false;
    worldView.BeginFrame();
    ModelSurfacesDesc desc;
    desc.model = model;
    desc.animation = 0;
    desc.position = position;
    desc.rotation = rotation;
    desc.scale = scale;
    desc.fullBright = true;
    worldView.AddModelSurfaces(desc);
    if (worldView.GetQueue().GetFrameSurfaces().empty())
        return false;
    worldView.DrawSurfaces(worldBatch);
    return true;
}

// The model stands far from any level, so no level's ground reaches it.
bool Renderer::DrawModelInWidget(const WidgetModel& shown, float x, float y, float width, float height)
{
    WorldPos3 feet{-1, kWidgetSceneX, kWidgetSceneY, 0.0f, false};
    WorldPos3 middle = feet;
    middle.z = shown.lookHeight;
    WorldPos3 eye = middle;
    eye.x += WorldView::kNormalEyeOffset.x;
    eye.y += WorldView::kNormalEyeOffset.y;
    eye.z += WorldView::kNormalEyeOffset.z;
    SetUiViewport(x + width / 2.0f, y + height / 2.0f);
    Camera::SetProjection(eye, middle, worldView, 1.0f);
    device.Clear(kClearDepthBuffer, Color{0.0f, 0.0f, 0.0f}, 1.0f);
    bool drawn = DrawModelImmediate(shown.model, feet, MatrixFromAxisIndex(shown.direction), shown.scale);
    SetViewport(view[0], view[1], view[2], view[3], false);
    Begin2D();
    return drawn;
}

// A sprite's frames are drawn as the camera sees each facing, so the quad always turns to the
// camera; the facing only picks the frame. Mended: turned to the facing's own axis, the quad
// stood edge-on to the camera (nothing seen) for facings 1 and 5, and mirrored for those turned away.
Matrix3 Renderer::SpriteFacingCamera(int32_t facing) const
{
    const Matrix3& view = worldView.GetCamera().rotation;
    Vector3 towardsCamera{-view.m[0][0], -view.m[0][1], 0.0f};
    if (!(Vector3Normalize(towardsCamera) > 0.0f))
        return MatrixFromAxisIndex(facing);
    return MatrixFromEulerDegrees(DirectionToAngles(towardsCamera).heading, 0.0f, 0.0f);
}

bool Renderer::DrawSprite(const WorldPos3& position, int32_t frame, int32_t facing, int32_t model, int32_t animation)
{
    auto* resource = gResourceManager && model != -1 ? dynamic_cast<const ModelResource*>(gResourceManager->Get(model))
                                                     : nullptr;
    const Animation* entry = resource ? resource->GetAnimation(animation) : nullptr;
    if (!entry || entry->kind != Animation::kSprite || frame < 0 || frame >= entry->frameCount)
        return false;
    auto* texture = dynamic_cast<TextureResource*>(gResourceManager->Get(entry->GetFrameTexture(frame, facing)));
    if (!texture || texture->GetTextureId() < 0)
        return false;
    // The quad's own axes (across, up) become the model's left and up; the model then faces
    // the camera across the ground.
    const Matrix3 upright{{{0.0f, 1.0f, 0.0f}, {0.0f, 0.0f, 1.0f}, {1.0f, 0.0f, 0.0f}}};
    // Mended: the two were taken the other way round, which laid the quad on its side or sank it
    // under the ground for most facings.
    Matrix3 turn = Matrix3Multiply(SpriteFacingCamera(facing), upright);
    device.SetModelViewMatrix(
        SetModelMatrix(worldView.GetCamera().modelView, turn, ToCameraLevel(worldView, position)));
    GLStateCache& cache = device.GetStateCache();
    // Whatever the last shader stage left (culling, an equal depth test, colour writes off, a
    // stencil or alpha test) would hide the quad.
    cache.SetEnabled(GL_DEPTH_TEST, true);
    cache.DepthFunc(GL_LEQUAL);
    cache.DepthMask(true);
    cache.ColorMask(true);
    cache.SetCull(false, GL_BACK);
    cache.SetStencil(false, GL_ALWAYS, 0);
    cache.SetAlphaTest(false, GL_ALWAYS, 0.0f);
    Color white;
    ColorSystem::GetColorByIndex(white.r, white.g, white.b, 0);
    immediate.DrawScreenQuad(texture->GetTextureId(), -kSpriteHalfWidth, 0.0f, kSpriteHalfWidth, kSpriteHeight, white,
                             1.0f, {0.0f, 0.0f, 1.0f, 1.0f}, GL_CLAMP_TO_EDGE, GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    cache.BindTexture(0);
    device.SetModelViewMatrix(worldView.GetCamera().modelView);
    return true;
}

void Renderer::SetViewMatrix(WorldViewCamera& camera)
{
    const Matrix3& rotation = camera.rotation;
    Matrix4 view;
    const float p[3] = {camera.position.x, camera.position.y, camera.position.z};
    for (int row = 0; row < 3; ++row) {
        float translation = 0.0f;
        for (int column = 0; column < 3; ++column) {
            // Row vectors: the rotation's row becomes the view's column.
            view.m[column][row] = rotation.m[row][column];
            translation -= rotation.m[row][column] * p[column];
        }
        view.m[3][row] = translation;
    }
    view.m[3][3] = 1.0f;
    camera.modelView = Matrix4Multiply(view, ImmediateDraw::AxisConversion());
}

Matrix4 Renderer::SetModelMatrix(const Matrix4& modelView, const Matrix3& rotation, const Vector3& position)
{
    Matrix4 model;
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 3; ++column)
            model.m[row][column] = rotation.m[row][column];
    }
    model.m[3][0] = position.x;
    model.m[3][1] = position.y;
    model.m[3][2] = position.z;
    model.m[3][3] = 1.0f;
    return Matrix4Multiply(model, modelView);
}

void Renderer::SetWorldProjection(WorldView& view, float zoom)
{
    view.GetDevice().SetProjectionMatrix(WorldProjection(view, zoom));
}

Matrix4 Renderer::WorldProjection(const WorldView& view, float zoom)
{
    float w = view.GetWidening();
    return WorldView::OrthoProjection(-320.0f * w * zoom, 320.0f * w * zoom, -240.0f * zoom, 240.0f * zoom,
                                      WorldView::kNear, WorldView::kFar);
}

Vector3 Renderer::ToCameraLevel(const WorldView& view, const WorldPos3& position)
{
    WorldPos3 here = position;
    int32_t cameraLevel = view.GetCamera().lookAt.level;
    if (here.level != cameraLevel)
        here.ToLevelFrame(cameraLevel);
    return {here.x, here.y, here.z};
}

void Renderer::DrawPieQuad(int32_t texture, const Color& color, float x, float y, float width, float height,
                           float alpha, float fraction)
{
    if (!gScreenText)
        return;
    gScreenText->DrawShaderWith(
        texture,
        [&](ShaderBatch& batch) { ImmediateDraw::AppendPieQuad(batch, x, y, width, height, color, alpha, fraction); },
        0);
}

void Renderer::SetShadowProjection(Matrix4& modelView, const Vector3& p0, const Vector3& p1, const Vector3& p2,
                                   const Vector3& light)
{
    Plane ground = ImmediateDraw::PlaneFromPoints(p0, p1, p2);
    // The matrix turns the z of its light and plane over; given them turned over already, it
    // projects in the world view's own frame. n . p = d is the equation n . p - d = 0.
    const Vector3 turned{light.x, light.y, -light.z};
    const PlaneEquation equation{ground.normal.x, ground.normal.y, -ground.normal.z, -ground.distance};
    modelView = Matrix4Multiply(ShadowMatrix(turned, equation), modelView);
}

Matrix4 Renderer::ShadowMatrix(const Vector3& light, const PlaneEquation& plane)
{
    return ImmediateDraw::ShadowMatrix(light, plane);
}

// Only a keyboard key (0 to 255) takes a screenshot; a mouse binding never does.
bool Renderer::ScreenshotKeyPressed() const
{
    if (!gVirtualKeys || !gInputSystem)
        return false;
    int key = gVirtualKeys->GetEntryValue(gVirtualKeys->FindByName("VirtualTakeScreenshot", true));
    return key >= 0 && key < 256 && gInputSystem->WasKeyPressed(key);
}

std::string Renderer::TakeScreenshot()
{
    PixelRect rect = Screenshot::ChooseRect(view, display.IsFullScreen(), display.GetModeWidth(),
                                            display.GetModeHeight());
    std::string name = Screenshot::Take(device, rect, screenshotTypeVar.GetInt());
    if (!name.empty())
        DebugSystem::Print(kPrintDeveloper, "Wrote %s\n", name.c_str());
    return name;
}

int64_t Renderer::TextureUsageBytes(int32_t width, int32_t height, int32_t pixelDepth, bool mipmapped,
                                    bool compressed)
{
    bool wide = pixelDepth == 32;
    int64_t bytes = int64_t{std::max(width, 0)} * std::max(height, 0) * (wide ? 4 : 3);
    if (mipmapped)
        bytes = static_cast<int64_t>(static_cast<double>(bytes) * 1.33);
    if (compressed)
        bytes /= wide ? 4 : 6;
    return bytes;
}

// Three passes over the loaded resources: compressed caches, uncompressed caches, Targa files.
void Renderer::PrintTextureUsage()
{
    struct UsagePass {
        const char* extension;
        bool mipmapped;
        bool compressed;
    };
    bool compressedOn = gUserVarSystem->GetIntByName("compressedTextures") != 0 && device.SupportsCompressedTextures();
    const UsagePass passes[] = {{"ctx", true, compressedOn}, {"rtx", true, false}, {"tga", false, false}};
    int64_t frame = device.GetFrameNumber();
    int64_t inMemory = 0;
    int64_t thisFrame = 0;
    int32_t rows = gResourceManager->GetResourceCount();
    for (const UsagePass& pass : passes) {
        for (int32_t row = 0; row < rows; ++row) {
            if (!gResourceManager->IsLoaded(row) || !gResourceManager->IsOfExtension(row, pass.extension))
                continue;
            ResourceRef<Resource> object = gResourceManager->GetRef(row);
            auto* texture = dynamic_cast<TextureResource*>(object.Get());
            if (!texture)
                continue;
            int64_t bytes = TextureUsageBytes(texture->GetWidth(), texture->GetHeight(), texture->GetPixelDepth(),
                                              pass.mipmapped, pass.compressed);
            inMemory += bytes;
            if (texture->GetLastUsedFrame() == frame)
                thisFrame += bytes;
        }
    }
    DebugSystem::Print(kPrintPlain, "Texture usage: %.1fMB in memory, %.1fMB this frame\n", inMemory / 1048576.0,
                       thisFrame / 1048576.0);
}

void Renderer::PrintFrameStatistics()
{
    if (textureUsageVar.GetInt() != 0 && gResourceManager)
        PrintTextureUsage();
    if (trisRenderedVar.GetInt() != 0)
        DebugSystem::Print(kPrintPlain, "Tris: %d - tri passes: %d\n", static_cast<int>(device.GetTrianglesDrawn()),
                           static_cast<int>(device.GetTrianglePasses()));
    device.ResetFrameCounters();
}

void Renderer::SetViewport(float x, float y, float width, float height, bool remember)
{
    auto pixels = [](float value) { return static_cast<int32_t>(std::floor(value + 0.5f)); };
    device.AcquireContext();
    device.SetViewport({pixels(x), pixels(y), pixels(width), pixels(height)});
    device.ReleaseContext();
    if (remember)
        view = {x, y, width, height};
}

void Renderer::SetUiViewport(float x, float y)
{
    float screenWidth = static_cast<float>(display.GetModeWidth());
    float screenHeight = static_cast<float>(display.GetModeHeight());
    if (screenWidth <= 0.0f || screenHeight <= 0.0f)
        return;
    float scale = screenWidth / 640.0f;
    float offsetX = scale * x - screenWidth / 2.0f;
    float offsetY = screenHeight / 2.0f - scale * y;
    SetViewport(view[0] + offsetX * view[2] / screenWidth, view[1] + offsetY * view[3] / screenHeight, view[2],
                view[3], false);
}

int32_t Renderer::GetShadowMode() const
{
    return tools && tools->IsModelEditorActive() ? 0 : shadowMode;
}

const ResourceHandle& Renderer::GetOutlineTexture(int32_t kind) const
{
    switch (kind) {
    case 1:
        return standardTextures[kStandardOutlineRed];
    case 2:
        return standardTextures[kStandardOutlineGreen];
    case 3:
        return standardTextures[kStandardOutlineBlue];
    case 6:
        return standardTextures[kStandardOutlineOrange];
    case 8:
        return standardTextures[kStandardOutlineCyan];
    default:
        return standardTextures[kStandardOutlineWhite];
    }
}

const ResourceHandle& Renderer::GetGlowTexture(int32_t quality) const
{
    switch (quality) {
    case 5:
        return standardTextures[kStandardGlowSet];
    case 6:
        return standardTextures[kStandardGlowUnique];
    case 7:
        return standardTextures[kStandardGlowArtifact];
    default:
        return standardTextures[kStandardOutlineWhite];
    }
}

const ResourceHandle& Renderer::GetProjectedShadowTexture() const
{
    return standardTextures[kStandardProjectedShadow];
}

const ResourceHandle& Renderer::GetStandardHandle(int32_t index) const
{
    int32_t texture = kRendererStandardHandles[index];
    return texture < 0 ? fonts[1] : standardTextures[static_cast<size_t>(texture)];
}
