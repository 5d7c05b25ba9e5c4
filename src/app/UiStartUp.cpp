// UiStartUp -- where the user interface joins the program: its system, its menus at start-up, the game view it reads, the input it is offered and the frame that draws it.
#include "app/UiStartUp.h"

#include "client/ClientApp.h"
#include "core/Application.h"
#include "core/InputCommands.h"
#include "render/Renderer.h"
#include "ui/ClientUiGameView.h"
#include "ui/UISystem.h"

#include <memory>

void InstallUserInterface(Application& app)
{
    auto view = std::make_shared<ClientUiGameView>();
    app.SetSystem(SystemSlot::UserInterface, {
        [] { gUISystem = new UISystem(); },
        nullptr,
        [] {
            delete gUISystem;
            gUISystem = nullptr;
        },
    });
    // The menus read the game data and its fonts, so they load once the rules and the world are up.
    app.AddStartUpHook(StartUpStep::World, [view] {
        gUISystem->SetGameView(view.get());
        gUISystem->RegisterCommands();
        if (gRenderer)
            gRenderer->SetFrameUi(gUISystem);
        if (gClientApp)
            gClientApp->SetUi(gUISystem);
        InputCommands::SetUiHooks(
            [](int key, bool down, bool repeat) { return gUISystem && gUISystem->HandleKey(key, down, repeat); },
            [](int button, bool down, int x, int y) {
                return gUISystem && gUISystem->HandleMouseButton(button, down, x, y);
            });
        return true;
    });
    // The menus let go of their textures and sounds before the resource manager's flush.
    app.AddShutDownHook(ShutDownStep::ReleaseResources, [] {
        InputCommands::SetUiHooks({}, {});
        if (gRenderer)
            gRenderer->SetFrameUi(nullptr);
        if (gClientApp)
            gClientApp->SetUi(nullptr);
        delete gUISystem;
        gUISystem = nullptr;
    });
}
