// ToolsStartUp -- where the in-game editors join the program: their system slots, the frame's editor views and the client's editor hooks.
#include "app/ToolsStartUp.h"

#include "client/ClientApp.h"
#include "core/Application.h"
#include "render/Renderer.h"
#include "tools/EditorViews.h"
#include "tools/LevelEditor.h"
#include "tools/ModelEditor.h"

#include <memory>

void InstallTools(Application& app)
{
    auto views = std::make_shared<EditorViews>();
    app.SetSystem(SystemSlot::ModelEditor, {
        [] { gModelEditor = new ModelEditor(); },
        nullptr,
        [] {
            delete gModelEditor;
            gModelEditor = nullptr;
        },
    });
    app.SetSystem(SystemSlot::AreaEditor, {
        [] { gLevelEditor = new LevelEditor(); },
        nullptr,
        [] {
            delete gLevelEditor;
            gLevelEditor = nullptr;
        },
    });
    // The editors find their menus, so they register once the menus are loaded.
    app.AddStartUpHook(StartUpStep::World, [views] {
        gLevelEditor->Register();
        gModelEditor->Register();
        if (gRenderer)
            gRenderer->SetFrameTools(views.get());
        if (gClientApp) {
            ClientAppHooks& hooks = gClientApp->GetHooks();
            hooks.editorKey = [](int32_t key, bool down) { return gLevelEditor->OnKey(key, down, false); };
            hooks.editorClick = [](int32_t button, bool down, int32_t x, int32_t y) {
                return gLevelEditor->OnButton(button, down, x, y);
            };
            hooks.editorOpen = [] { return gLevelEditor->IsActive(); };
        }
        return true;
    });
    // The area and the brushes are let go before the resource manager's flush.
    app.AddShutDownHook(ShutDownStep::ReleaseResources, [] {
        if (gRenderer)
            gRenderer->SetFrameTools(nullptr);
        if (gClientApp) {
            ClientAppHooks& hooks = gClientApp->GetHooks();
            hooks.editorKey = nullptr;
            hooks.editorClick = nullptr;
            hooks.editorOpen = nullptr;
        }
        gLevelEditor->ShutDown();
        gModelEditor->ShutDown();
    });
    // The model viewer's clock runs with the client's frame.
    app.AddFrameHook(FrameStep::ClientUpdate,
                     [](uint32_t frameMs) { gModelEditor->Update(static_cast<float>(frameMs) * 0.001f); });
}
