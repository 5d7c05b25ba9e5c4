// MenuBench -- a menu of 150 widgets (pictures and texts) updated and drawn each frame by the UI system over a graphics device that counts its draw calls.
#include "BenchAllocations.h"
#include "BenchGameFolder.h"
#include "core/ColorSystem.h"
#include "core/CommandSystem.h"
#include "core/DebugSystem.h"
#include "core/TextParser.h"
#include "core/UserVarSystem.h"
#include "platform/PosixFileSystem.h"
#include "platform/PosixPlatformSystem.h"
#include "resources/ResourceManager.h"
#include "resources/device/NullGraphicsDevice.h"
#include "resources/fonts/FontResource.h"
#include "resources/fonts/ScreenText.h"
#include "resources/shaders/ShaderSystem.h"
#include "resources/textures/TextureResource.h"
#include "ui/UIMenu.h"
#include "ui/UISystem.h"

#include <benchmark/benchmark.h>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

namespace {

namespace fs = std::filesystem;

constexpr int kMenuBenchWidgets = 150;
// One widget in five is a text, the rest are tinted pictures.
constexpr int kMenuBenchTextEvery = 5;

// The null device, counting the batches it is asked to draw.
class MenuBenchDevice : public NullGraphicsDevice {
public:
    void DrawBatch(const DeviceBatch&) override { ++drawCalls; }
    int64_t drawCalls = 0;
};

std::string MenuBenchLayout()
{
    std::string text = "MenuType Menu\nname Main\nposition 10 10\nsize 620 460\n";
    for (int i = 0; i < kMenuBenchWidgets; ++i) {
        std::string place = "position " + std::to_string((i % 15) * 40) + " " + std::to_string((i / 15) * 44) +
                            "\nsize 36 40\n";
        if (i % kMenuBenchTextEvery == 0)
            text += "Widget {\n" + place + "text \"Item " + std::to_string(i) + "\"\nfont font_small\n}\n";
        else
            text += "Widget {\n" + place + "texture \"Textures/white.tga\"\ncolor \"" +
                    std::to_string((i % 7) / 7.0f) + " 0.5 0.5\"\ncanClick 1\n}\n";
    }
    return text;
}

// The engine under the menus, over a folder that links the staged game's assets and holds the menu.
class MenuBenchWorld {
public:
    MenuBenchWorld()
    {
        std::string pattern = (fs::temp_directory_path() / "emberlode-menubench-XXXXXX").string();
        root = mkdtemp(pattern.data()) ? pattern : std::string();
        fs::path game = BenchGameFolder();
        BenchLinkFolderEntries(game / "Assets", fs::path(root) / "Assets", "UI");
        fs::create_symlink(fs::canonical(game / "assets001.zip"), fs::path(root) / "assets001.zip");
        std::ofstream(fs::path(root) / "Assets/UI/bench.mnu") << MenuBenchLayout();
        gDebugSystem = &debug;
        platform = std::make_unique<PosixPlatformSystem>(root + "/User");
        gPlatformSystem = platform.get();
        files = std::make_unique<PosixFileSystem>(root);
        files->SetRootFolders("Assets");
        gFileSystem = files.get();
        gCommandSystem = &commands;
        gUserVarSystem = &vars;
        gColorSystem = &colors;
        // The device's context lock comes from the platform.
        device = std::make_unique<MenuBenchDevice>();
        gGraphicsDevice = device.get();
        device->RegisterVars();
        manager = std::make_unique<ResourceManager>();
        gResourceManager = manager.get();
        manager->Init();
        TextureResource::RegisterTypes(*manager);
        FontResource::RegisterType(*manager);
        shaders = std::make_unique<ShaderSystem>();
        gShaderSystem = shaders.get();
        shaders->Start();
        text = std::make_unique<ScreenText>(device.get());
        gScreenText = text.get();
        text->RegisterVars();
        ui = std::make_unique<UISystem>();
        gUISystem = ui.get();
        ui->RegisterCommands();
        manager->WaitForLoadQueue();
    }
    ~MenuBenchWorld()
    {
        ui.reset();
        gUISystem = nullptr;
        text.reset();
        gScreenText = nullptr;
        manager->Shutdown();
        gShaderSystem = nullptr;
        shaders.reset();
        gResourceManager = nullptr;
        manager.reset();
        gGraphicsDevice = nullptr;
        device.reset();
        gColorSystem = nullptr;
        gUserVarSystem = nullptr;
        gCommandSystem = nullptr;
        gFileSystem = nullptr;
        gPlatformSystem = nullptr;
        gDebugSystem = nullptr;
        std::error_code ignored;
        fs::remove_all(root, ignored);
    }

    std::string root;
    DebugSystem debug;
    std::unique_ptr<PosixPlatformSystem> platform;
    std::unique_ptr<PosixFileSystem> files;
    CommandSystem commands;
    UserVarSystem vars;
    ColorSystem colors;
    std::unique_ptr<MenuBenchDevice> device;
    std::unique_ptr<ResourceManager> manager;
    std::unique_ptr<ShaderSystem> shaders;
    std::unique_ptr<ScreenText> text;
    std::unique_ptr<UISystem> ui;
};

void BM_MenuOf150WidgetsUpdatedAndDrawn(benchmark::State& state)
{
    MenuBenchWorld world;
    UIMenu* menu = world.ui->FindMenu("Main");
    if (!menu || static_cast<int>(menu->GetWidgets().size()) != kMenuBenchWidgets || !menu->visible) {
        state.SkipWithError("the benchmark menu did not load whole");
        return;
    }
    // Warm-up: textures and fonts loaded, texts measured, kept vectors grown.
    for (int frame = 0; frame < 10; ++frame)
        world.ui->UpdateAndDraw(1.0f / 60.0f);
    world.device->drawCalls = 0;
    BenchAllocations::Reset();
    int64_t frames = 0;
    for (auto _ : state) {
        BenchAllocations::SetCounting(true);
        world.ui->UpdateAndDraw(1.0f / 60.0f);
        BenchAllocations::SetCounting(false);
        ++frames;
    }
    state.counters["drawCallsPerFrame"] =
        benchmark::Counter(static_cast<double>(world.device->drawCalls) / static_cast<double>(frames));
    state.counters["allocationsPerFrame"] =
        benchmark::Counter(static_cast<double>(BenchAllocations::Count()) / static_cast<double>(frames));
}
BENCHMARK(BM_MenuOf150WidgetsUpdatedAndDrawn)->Unit(benchmark::kMicrosecond);

// A hostile layout file of 400,000 widgets, each of which goes before all the others of its draw
// order already read: with one order every widget goes to the front; with two alternating ones
// every other widget goes to the middle of the list. The parse is held to a time that grows with
// the file, not its square.
void BM_MenuFileOf400000WidgetsParsed(benchmark::State& state)
{
    MenuBenchWorld world;
    constexpr int kMenuFileWidgets = 400000;
    const int orders = static_cast<int>(state.range(0));
    std::string text;
    text.reserve(static_cast<size_t>(kMenuFileWidgets) * 24);
    for (int i = 0; i < kMenuFileWidgets; ++i)
        text += "Widget { drawOrder " + std::to_string((orders - 1) - i % orders) + " }\n";
    for (auto _ : state) {
        UIMenu menu;
        TextParser parser(text.data(), text.size());
        menu.ParseLayout(parser);
        if (static_cast<int>(menu.GetWidgets().size()) != kMenuFileWidgets) {
            state.SkipWithError("the widgets did not all load");
            return;
        }
    }
}
BENCHMARK(BM_MenuFileOf400000WidgetsParsed)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace
