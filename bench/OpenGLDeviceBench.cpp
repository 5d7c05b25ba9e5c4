// OpenGLDeviceBench -- texture uploads (RGBA and DXT5 mip chains) and the cleared, swapped frame on an offscreen OpenGL window.
#include "core/CommandSystem.h"
#include "core/DebugSystem.h"
#include "core/UserVarSystem.h"
#include "platform/PosixPlatformSystem.h"
#include "platform/SdlGraphicsSystem.h"
#include "render/OpenGLDevice.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <vector>

namespace {

// One window for the run on Mesa's software renderer, whose own threads do much of the work:
// the figures are wall-clock time.
class OffscreenWindow {
public:
    OffscreenWindow() : platform((std::filesystem::temp_directory_path() / "emberlode_gl_bench").string())
    {
        setenv("SDL_VIDEODRIVER", "offscreen", 1);
        gDebugSystem = &debug;
        gPlatformSystem = &platform;
        gCommandSystem = &commands;
        gUserVarSystem = &vars;
        display = std::make_unique<SdlGraphicsSystem>();
        device = std::make_unique<OpenGLDevice>(*display);
        display->RegisterDisplayVars();
        device->RegisterVars();
        vars.SetStringByName("r_width", "640");
        vars.SetStringByName("r_height", "480");
        vars.SetStringByName("monitorSync", "0");
        display->ChooseStartMode();
        display->SetupDisplay();
        device->StartDisplay();
    }

    DebugSystem debug;
    PosixPlatformSystem platform;
    CommandSystem commands;
    UserVarSystem vars;
    std::unique_ptr<SdlGraphicsSystem> display;
    std::unique_ptr<OpenGLDevice> device;
};

OffscreenWindow& Window()
{
    static OffscreenWindow window;
    return window;
}

void UploadChain(benchmark::State& state, PixelFormat format)
{
    OpenGLDevice& device = *Window().device;
    std::vector<uint8_t> chain(TextureChainBytes(format, 256, 256, 9), 0x5A);
    for (auto _ : state) {
        int32_t id = device.UploadTexture(chain.data(), 256, 256, format, 9);
        device.DeleteTexture(id);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * chain.size()));
}

void BM_UploadRgba256MipChain(benchmark::State& state)
{
    UploadChain(state, PixelFormat::kRgba);
}
BENCHMARK(BM_UploadRgba256MipChain)->UseRealTime();

void BM_UploadDxt5256MipChain(benchmark::State& state)
{
    UploadChain(state, PixelFormat::kDxt5);
}
BENCHMARK(BM_UploadDxt5256MipChain)->UseRealTime();

void BM_ClearAndPresent640x480(benchmark::State& state)
{
    OpenGLDevice& device = *Window().device;
    for (auto _ : state) {
        device.AcquireContext();
        device.Clear(kClearColorBuffer | kClearDepthBuffer, Color{0.0f, 0.0f, 0.0f}, 1.0f);
        device.Present();
        device.ReleaseContext();
    }
}
BENCHMARK(BM_ClearAndPresent640x480)->UseRealTime();

} // namespace
