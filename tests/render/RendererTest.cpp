// RendererTest -- the renderer's settings and commands, and its display start-up, frames and resize on a real offscreen window.
#include "render/GLWorld.h"

#include "core/Console.h"
#include "core/Profiler.h"
#include "core/system/SystemInfo.h"
#include "core/system/TimerSystem.h"
#include "core/StringUtil.h"
#include "render/FrameTools.h"
#include "render/LightingSystem.h"
#include "render/Renderer.h"
#include "render/RenderVarLimits.h"
#include "resources/ResourceManager.h"
#include "resources/textures/TextureResource.h"
#include "resources/textures/TextureTools.h"

#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

namespace {

class RendererTest : public GLWorld {
protected:
    RendererTest()
    {
        renderer = std::make_unique<Renderer>(*display, *device);
        renderer->RegisterCommands();
    }
    ~RendererTest() override { renderer.reset(); }

    bool Logged(const std::string& prefix) const
    {
        std::vector<std::string> lines = debug.GetConsoleLines();
        return std::any_of(lines.begin(), lines.end(),
                           [&](const std::string& line) { return line.rfind(prefix, 0) == 0; });
    }

    // A warning line holding both parts.
    bool LoggedWithin(const std::string& first, const std::string& second) const
    {
        std::vector<std::string> lines = debug.GetConsoleLines();
        return std::any_of(lines.begin(), lines.end(), [&](const std::string& line) {
            return line.rfind("^c005" + first, 0) == 0 && line.find(second) != std::string::npos;
        });
    }

    // A 32-bit Targa of one colour, rows from the bottom as the file stores them.
    void WriteCursor(const std::string& name, int width, int height)
    {
        std::string bytes(18, '\0');
        bytes[2] = 2;
        bytes[12] = static_cast<char>(width & 0xFF);
        bytes[13] = static_cast<char>(width >> 8);
        bytes[14] = static_cast<char>(height & 0xFF);
        bytes[15] = static_cast<char>(height >> 8);
        bytes[16] = 32;
        for (int i = 0; i < width * height; ++i)
            bytes += std::string{'\x10', '\x20', '\x30', '\xFF'};
        folder.Write("Assets/Textures/cursors/" + name, bytes);
    }

    std::unique_ptr<Renderer> renderer;
};

TEST_F(RendererTest, SettingsStartAtTheirDefaultsAndVidRestartHasItsHelp)
{
    const std::pair<const char*, const char*> defaults[] = {
        {"r_fullscreen", "0"}, {"r_width", "800"},   {"r_height", "600"},      {"r_freq", "0"},
        {"r_mode", "-1"},      {"maxFps", "0"},      {"monitorSync", "1"},     {"r_shadows", "1"},
        {"zoom", "1.0"},       {"zoomMax", "1.4"},   {"r_maxLights", "16"},    {"r_gamma", "1.0"},
        {"r_bloomIntensity", "1.4"}, {"r_bloomTextureSize", "256"}, {"ui_textEventsTime", "30.0"},
        {"r_antiAliasingSamples", "0"}, {"r_topWindow", "1"}, {"r_groundDetail", "2"},
    };
    for (const auto& [name, text] : defaults)
        EXPECT_EQ(vars.GetStringByName(name), text) << name;
    // The graphics commands with their help texts, the texture tools' among them as the
    // program registers them beside the renderer's.
    TextureTools::RegisterCommands();
    const char* const helpLines[] = {
        "convertTexture fileName newWidth newHeight - Converts a texture",
        "convertTextureDirectory directory textureName numTextures newWidth newHeight - Converts a full texture directory",
        "generateTextures  - Generates a bunch of general textures",
        "vidRestart  - Restarts the graphics system",
        "buildRtxs  - Builds all of the rtx files",
        "buildCtxs  - Builds all of the ctx files",
        "buildTgas  - Builds all of the tga files",
        "compressTexture  - Builds all of the rtx files",
        "uncompressTexture  - Builds all of the rtx files",
    };
    for (const char* line : helpLines) {
        std::string name(line, std::strchr(line, ' '));
        ExecuteCommandLine("help " + name);
        EXPECT_TRUE(Logged(line)) << line;
    }
}

TEST_F(RendererTest, StartOpensTheDisplayAndFramesClearAndFollowTheWindowSize)
{
    vars.SetStringByName("r_width", "96");
    vars.SetStringByName("r_height", "64");
    vars.SetStringByName("r_shadows", "7");
    WriteCursor("normalCursor.tga", 32, 32);
    WriteCursor("busyCursor.tga", 48, 48);
    folder.Write("Assets/Textures/cursors/talkCursor.tga", "not a picture");
    renderer->Start();
    // The offscreen driver makes no cursors at all; a desktop's makes the one that fits.
    uint8_t pixel[4] = {};
    SDL_Surface* probe = SDL_CreateRGBSurfaceWithFormatFrom(pixel, 1, 1, 32, 4, SDL_PIXELFORMAT_RGBA32);
    SDL_Cursor* probeCursor = SDL_CreateColorCursor(probe, 0, 0);
    EXPECT_EQ(display->HasCursor(1), probeCursor != nullptr);
    if (probeCursor)
        SDL_FreeCursor(probeCursor);
    SDL_FreeSurface(probe);
    EXPECT_FALSE(display->HasCursor(6));
    EXPECT_FALSE(display->HasCursor(7));
    EXPECT_FALSE(display->HasCursor(2));
    EXPECT_TRUE(Logged("OpenGL: "));
    EXPECT_EQ(renderer->GetShadowMode(), 2);
    EXPECT_EQ(display->GetViewWidth(), 96);

    device->AcquireContext();
    device->Clear(kClearColorBuffer, Color{1.0f, 1.0f, 1.0f}, 1.0f);
    device->ReleaseContext();
    renderer->RenderFrame(0.016f);
    renderer->RenderFrame(0.016f);
    EXPECT_EQ(renderer->GetFramesDrawn(), 2);
    // Minimised, the window shows nothing: no frame is drawn.
    struct MinimisedInfo : SystemInfo {
        void LogSystemInfo() override {}
    } info;
    info.minimised = true;
    gSystemInfo = &info;
    renderer->RenderFrame(0.016f);
    gSystemInfo = nullptr;
    EXPECT_EQ(renderer->GetFramesDrawn(), 2);
    std::vector<uint8_t> rgba;
    ASSERT_TRUE(device->ReadPixels({1, 1, 1, 1}, rgba));
    EXPECT_EQ(rgba, (std::vector<uint8_t>{0, 0, 0, 255}));

    // The window's new size becomes the viewport; a zero size leaves it.
    display->PumpEvents();
    for (auto [width, height] : {std::pair{50, 40}, std::pair{0, 0}}) {
        SDL_Event event{};
        event.type = SDL_WINDOWEVENT;
        event.window.event = SDL_WINDOWEVENT_SIZE_CHANGED;
        event.window.data1 = width;
        event.window.data2 = height;
        SDL_PushEvent(&event);
    }
    display->PumpEvents();
    GLint viewport[4] = {};
    device->AcquireContext();
    glGetIntegerv(GL_VIEWPORT, viewport);
    device->ReleaseContext();
    EXPECT_EQ((std::vector<GLint>(viewport, viewport + 4)), (std::vector<GLint>{0, 0, 50, 40}));

    vars.SetStringByName("r_trisRendered", "1");
    renderer->RenderFrame(0.016f);
    EXPECT_TRUE(Logged("Tris: 0 - tri passes: 0"));
    renderer->Stop();
    EXPECT_TRUE(Logged("Display closed after 3 frames"));
}

// While "profile" is on, every frame drawn is timed in the profiler's "Renderer" section, from
// before the context is taken to after it is given back; a minimised window's frame is not.
TEST_F(RendererTest, EachFrameDrawnIsTimedInTheRenderersProfileSection)
{
    // Each reading a step of 3 ms later: a section read twice takes 3 ms.
    struct SteppingClock : TimerSystem {
        uint32_t GetTime() override { return now += 3; }
        uint32_t now = 0;
    } clock;
    Profiler profiler(&clock);
    profiler.RegisterCommands();
    gProfiler = &profiler;
    vars.SetStringByName("profile", "1");
    renderer->Start();
    struct MinimisedInfo : SystemInfo {
        void LogSystemInfo() override {}
    } info;
    for (bool minimised : {false, true, false}) {
        info.minimised = minimised;
        gSystemInfo = &info;
        profiler.FrameStart();
        renderer->RenderFrame(0.016f);
        profiler.FrameEnd();
        gSystemInfo = nullptr;
    }
    profiler.PrintStatistics();
    gProfiler = nullptr;
    EXPECT_EQ(renderer->GetFramesDrawn(), 2);
    std::vector<std::string> lines = debug.GetConsoleLines();
    auto row = std::find_if(lines.begin(), lines.end(),
                            [](const std::string& line) { return line.rfind("  Renderer ", 0) == 0; });
    ASSERT_NE(row, lines.end()) << "the section reported";
    EXPECT_NE(row->find(" 2 calls "), std::string::npos) << *row << ": the two frames drawn, each once";
    EXPECT_NE(row->find(" 3.000 ms average "), std::string::npos) << *row;
    renderer->Stop();
}

TEST_F(RendererTest, ViewportsRoundToPixelsAndAWidgetViewportCentresOnItsPoint)
{
    vars.SetStringByName("r_width", "128");
    vars.SetStringByName("r_height", "96");
    renderer->Start();
    auto viewport = [this] {
        GLint values[4] = {};
        device->AcquireContext();
        glGetIntegerv(GL_VIEWPORT, values);
        device->ReleaseContext();
        return std::vector<GLint>(values, values + 4);
    };
    EXPECT_EQ(viewport(), (std::vector<GLint>{0, 0, 128, 96}));
    renderer->SetViewport(1.5f, 2.49f, 100.5f, 60.4f, false);
    EXPECT_EQ(viewport(), (std::vector<GLint>{2, 2, 101, 60}));
    EXPECT_EQ(renderer->GetView()[2], 128.0f) << "not remembered";

    // k = 128 / 640 = 0.2; the point (320, 240) is the screen's centre: no offset.
    renderer->SetUiViewport(320.0f, 240.0f);
    EXPECT_EQ(viewport(), (std::vector<GLint>{0, 0, 128, 96}));
    // (420, 140): X = 0.2 x 420 - 64 = 20, Y = 48 - 0.2 x 140 = 20.
    renderer->SetUiViewport(420.0f, 140.0f);
    EXPECT_EQ(viewport(), (std::vector<GLint>{20, 20, 128, 96}));
    // Against a remembered half-size view at (10, 0): the offsets scale with the view.
    renderer->SetViewport(10.0f, 0.0f, 64.0f, 48.0f, true);
    renderer->SetUiViewport(420.0f, 140.0f);
    EXPECT_EQ(viewport(), (std::vector<GLint>{20, 10, 64, 48}));
}

TEST(RendererTextureUsage, SizesCountDepthMipmapsAndCompression)
{
    EXPECT_EQ(Renderer::TextureUsageBytes(64, 32, 24, false, false), 6144);
    EXPECT_EQ(Renderer::TextureUsageBytes(64, 32, 32, false, false), 8192);
    // 8192 x 1.33 = 10895.36, truncated.
    EXPECT_EQ(Renderer::TextureUsageBytes(64, 32, 32, true, false), 10895);
    EXPECT_EQ(Renderer::TextureUsageBytes(64, 32, 32, true, true), 10895 / 4);
    EXPECT_EQ(Renderer::TextureUsageBytes(64, 32, 24, true, true), 8171 / 6);
    EXPECT_EQ(Renderer::TextureUsageBytes(-64, 32, 24, true, true), 0);
}

TEST_F(RendererTest, TextureUsageCountsLoadedTexturesAndThoseDrawnThisFrame)
{
    renderer->Start();
    auto targa = [](int width, int height) {
        std::string bytes(18, '\0');
        bytes[2] = 2;
        bytes[12] = static_cast<char>(width & 0xFF);
        bytes[13] = static_cast<char>(width >> 8);
        bytes[14] = static_cast<char>(height & 0xFF);
        bytes[15] = static_cast<char>(height >> 8);
        bytes[16] = 32;
        return bytes + std::string(static_cast<size_t>(width * height * 4), '\x40');
    };
    folder.Write("Assets/big.tga", targa(512, 512));
    folder.Write("Assets/small.tga", targa(512, 256));
    ResourceManager manager;
    gResourceManager = &manager;
    manager.Init();
    TextureResource::RegisterTypes(manager);
    {
        ResourceHandle big;
        ResourceHandle small;
        manager.Load("big.tga", big);
        manager.Load("small.tga", small);
        dynamic_cast<TextureResource*>(manager.Get(small))->MarkUsed(device->GetFrameNumber());
        ASSERT_NE(manager.Get(big), nullptr);
        vars.SetStringByName("r_textureUsage", "1");
        renderer->PrintFrameStatistics();
        // 512 x 512 x 4 + 512 x 256 x 4 bytes in memory, the second drawn this frame.
        EXPECT_TRUE(Logged("Texture usage: 1.5MB in memory, 0.5MB this frame"));
        // The next frame has drawn nothing yet.
        device->AdvanceFrame();
        renderer->PrintFrameStatistics();
        EXPECT_TRUE(Logged("Texture usage: 1.5MB in memory, 0.0MB this frame"));
        renderer->Stop();
    }
    manager.Shutdown();
    gResourceManager = nullptr;
}

TEST_F(RendererTest, StockLookupsFallBackToTheWhiteOutline)
{
    for (int32_t kind : {0, 4, 5, 7, 9, -1})
        EXPECT_EQ(&renderer->GetOutlineTexture(kind), &renderer->GetOutlineTexture(0)) << kind;
    for (int32_t kind : {1, 2, 3, 6, 8})
        EXPECT_NE(&renderer->GetOutlineTexture(kind), &renderer->GetOutlineTexture(0)) << kind;
    EXPECT_EQ(&renderer->GetGlowTexture(4), &renderer->GetOutlineTexture(0));
    EXPECT_NE(&renderer->GetGlowTexture(5), &renderer->GetGlowTexture(6));
    EXPECT_NE(&renderer->GetGlowTexture(6), &renderer->GetGlowTexture(7));
    EXPECT_EQ(&renderer->GetStandardHandle(2), &renderer->GetFont(1));
}

} // namespace

TEST_F(RendererTest, EveryRangedSettingIsHeldToItsRangeWithAWarningNamingItAndTheValueUsed)
{
    vars.SetStringByName("r_width", "96");
    vars.SetStringByName("r_height", "64");
    renderer->Start();
    const char* const names[] = {
        "r_shadows",    "r_maxLights",       "r_bloomTextureSize", "r_bloomDarkenPasses", "r_bloomBlur",
        "r_bloomBlurDistance", "r_bloomIntensity", "r_screenshotType", "r_groundDetail",  "filteringQuality",
        "r_anisotropicValue",  "r_antiAliasingSamples", "r_gamma", "r_freq", "monitorSync", "maxFps",
        "maxFpsUnsynced", "zoom", "smoothFps", "showNormals", "showTris", "miniMapAlpha", "miniMapSize",
        "ui_maxTextEventsSaved", "ui_maxTextEventsShown", "ui_textEventsTime",
    };
    const char* const hostile[] = {"2147483647", "-2147483648", "-1", "1e30", "nan"};
    int32_t largestSide = std::min(device->GetMaxTextureSize(), RenderVarLimits::kMaxBloomSide);
    for (const char* name : names) {
        for (const char* value : hostile) {
            vars.SetStringByName(name, value);
            renderer->RenderFrame(0.016f);
            std::string used = vars.GetStringByName(name);
            float number = ParseFloat(used);
            EXPECT_TRUE(std::isfinite(number) && number >= -1.0f && number <= 10000.0f) << name << " " << value;
            if (used != value) {
                EXPECT_TRUE(LoggedWithin(std::string(name) + " is held to ", ": using " + used))
                    << name << " " << value << " used " << used;
            }
            // Once in range the value stays: no warning a frame.
            size_t lines = debug.GetConsoleLines().size();
            renderer->RenderFrame(0.016f);
            EXPECT_EQ(debug.GetConsoleLines().size(), lines) << name << " " << value;
        }
    }
    // The two that crashed: the lights to a small fixed cap, the bloom side to the driver's.
    vars.SetStringByName("r_maxLights", "2000000000");
    vars.SetStringByName("r_bloomTextureSize", "2147483647");
    renderer->RenderFrame(0.016f);
    EXPECT_EQ(vars.GetStringByName("r_maxLights"), std::to_string(LightingSystem::kMaxLightsCap));
    EXPECT_EQ(vars.GetStringByName("r_bloomTextureSize"), std::to_string(largestSide));
    EXPECT_TRUE(Logged("^c005r_bloomTextureSize is held to 1 .. " + std::to_string(largestSide) + ": using " +
                       std::to_string(largestSide)));
    // Within its range a setting is left as typed.
    vars.SetStringByName("r_gamma", "1.5");
    renderer->RenderFrame(0.016f);
    EXPECT_EQ(vars.GetStringByName("r_gamma"), "1.5");
}

TEST_F(RendererTest, ACountTypedOnTheConsoleIsUsedAsTheNumberItsRangeWasCheckedOn)
{
    vars.SetStringByName("r_width", "96");
    vars.SetStringByName("r_height", "64");
    renderer->Start();
    display->SetSwapWaitsForDisplay(true);
    Console console(debug);
    console.SetShown(true);
    struct Case {
        const char* name;
        const char* typed;
        const char* used;
        bool warned;
    } cases[] = {
        {"maxFps", "5e2", "500", true},   {"maxFps", "0x19", "25", true},         {"maxFps", "40", "40", false},
        {"maxFps", " +50", " +50", false}, {"r_bloomTextureSize", "0x10", "16", true},
        {"r_shadows", "1.9", "1", true},
    };
    for (const Case& c : cases) {
        console.OnText(std::string("setUserVar ") + c.name + " \"" + c.typed + "\"");
        console.Submit();
        size_t lines = debug.GetConsoleLines().size();
        renderer->RenderFrame(0.016f);
        EXPECT_EQ(vars.GetStringByName(c.name), c.used) << c.name << " " << c.typed;
        EXPECT_EQ(debug.GetConsoleLines().size() > lines, c.warned) << c.name << " " << c.typed;
        const UserVar* var = vars.FindVar(c.name);
        ASSERT_NE(var, nullptr);
        // The whole-number reading the game uses is the number that passed the range.
        EXPECT_FLOAT_EQ(static_cast<float>(var->GetInt()), std::trunc(var->GetFloat())) << c.name << " " << c.typed;
    }
    // The frame cap the loop sleeps for: 500 frames a second, not 5.
    vars.SetStringByName("maxFps", "5e2");
    renderer->RenderFrame(0.016f);
    EXPECT_EQ(display->FrameRateCapDelay(0), 2u);
}

TEST_F(RendererTest, TheShadowModeFollowsItsSettingAtTheNextFrameAndIsNoneUnderTheModelViewer)
{
    struct ViewerTools : FrameTools {
        bool IsAreaEditorOpen() const override { return false; }
        bool IsModelEditorActive() const override { return viewer; }
        void DrawViews() override {}
        void RefreshGroundDetail() override {}
        bool viewer = false;
    };
    auto owned = std::make_unique<ViewerTools>();
    ViewerTools& tools = *owned;
    vars.SetStringByName("r_width", "96");
    vars.SetStringByName("r_height", "64");
    renderer->Start();
    renderer->SetFrameTools(owned.get());
    const std::pair<const char*, int32_t> steps[] = {{"0", 0}, {"2", 2}, {"1", 1}, {"5", 2}};
    for (const auto& [setting, mode] : steps) {
        vars.SetStringByName("r_shadows", setting);
        renderer->RenderFrame(0.016f);
        EXPECT_EQ(renderer->GetShadowMode(), mode) << setting;
        tools.viewer = true;
        EXPECT_EQ(renderer->GetShadowMode(), 0) << setting;
        tools.viewer = false;
    }
    renderer->SetFrameTools(nullptr);
}
