// MapsStartUp -- where the world map and the mini-map join the program: their slot, the renderer's passes, the client's answers and hooks, and the interface's menu and frame.
#include "app/MapsStartUp.h"

#include "client/ClientApp.h"
#include "client/ClientMapSource.h"
#include "core/Application.h"
#include "render/MiniMap.h"
#include "render/Renderer.h"
#include "render/WorldMap.h"
#include "ui/UIMapPanel.h"

#include <memory>

namespace {

struct MapsStartUpParts {
    ClientMapSource source;
    UIMapPanel panel;
};

} // namespace

void InstallMaps(Application& app)
{
    auto parts = std::make_shared<MapsStartUpParts>();
    app.SetSystem(SystemSlot::Maps, {
        [parts] {
            gWorldMap = new WorldMap();
            gMiniMap = new MiniMap(*gWorldMap);
            gWorldMap->SetSource(&parts->source);
            gMiniMap->SetSource(&parts->source);
            gWorldMap->SetPanel(&parts->panel);
            gMiniMap->SetPanel(&parts->panel);
        },
        [] {
            gWorldMap->RegisterCommands();
            gMiniMap->RegisterCommands();
        },
        [] {
            if (gRenderer)
                gRenderer->SetMaps(nullptr, nullptr);
            delete gMiniMap;
            gMiniMap = nullptr;
            delete gWorldMap;
            gWorldMap = nullptr;
        },
    });
    // The renderer is up and the client made by now; the menus are loaded just before.
    app.AddStartUpHook(StartUpStep::World, [] {
        gMiniMap->Setup();
        if (gRenderer) {
            gRenderer->SetMaps(gWorldMap, gMiniMap);
            // A restarted display has lost every texture, the maps' own among them.
            gRenderer->GetVideoOptions().SetRestartHook([] {
                gMiniMap->Invalidate();
                gWorldMap->RecreateTextures();
            });
        }
        if (gClientApp) {
            ClientAppHooks& hooks = gClientApp->GetHooks();
            hooks.worldMapClick = [](int32_t button, bool down, int32_t x, int32_t y) {
                return gWorldMap && gWorldMap->HandleMouseButton(button, down, x, y);
            };
            hooks.saveExplored = [](const std::string& name) { gWorldMap->SaveExplored(name); };
            hooks.loadExplored = [](const std::string& name) { gWorldMap->LoadExplored(name); };
            hooks.newWorld = [] { gMiniMap->Invalidate(); };
        }
        return true;
    });
    // The mask and the legend's font go back before the resource flush that follows, so they are freed with the rest.
    app.AddShutDownHook(ShutDownStep::ReleaseResources, [] {
        if (gMiniMap)
            gMiniMap->ReleaseMask();
        if (gWorldMap)
            gWorldMap->ReleaseHandles();
        if (gRenderer)
            gRenderer->SetMaps(nullptr, nullptr);
        if (gClientApp) {
            ClientAppHooks& hooks = gClientApp->GetHooks();
            hooks.worldMapClick = nullptr;
            hooks.saveExplored = nullptr;
            hooks.loadExplored = nullptr;
            hooks.newWorld = nullptr;
        }
    });
}
