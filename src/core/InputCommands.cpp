// InputCommands -- "keyPress" and "buttonPress": the input's command lines offered to the console, then to the key bindings.
#include "core/InputCommands.h"

#include "core/CommandSystem.h"
#include "core/DebugSystem.h"
#include "core/VirtualKeys.h"

#include "core/StringUtil.h"

#include <string>
#include <utility>
#include <vector>

InputCommands::KeyHook InputCommands::uiKeyHook;
InputCommands::ButtonHook InputCommands::uiButtonHook;

void InputCommands::SetUiHooks(KeyHook key, ButtonHook button)
{
    uiKeyHook = std::move(key);
    uiButtonHook = std::move(button);
}

void InputCommands::RegisterCommands()
{
    if (!gCommandSystem)
        return;
    gCommandSystem->RegisterCommand(
        "keyPress",
        [](const std::vector<std::string>& args) {
            OnKeyPress(ParseInt(args[0]), ParseInt(args[1]) != 0,
                       ParseInt(args[2]) != 0);
        },
        "Tells the client about a key press event", "key down repeat", "ibb");
    gCommandSystem->RegisterCommand(
        "buttonPress",
        [](const std::vector<std::string>& args) {
            OnButtonPress(ParseInt(args[0]), ParseInt(args[1]) != 0,
                          ParseInt(args[2]), ParseInt(args[3]));
        },
        "Tells the client about a key press event", "button down posX posY", "ibii");
}

bool InputCommands::OnKeyPress(int key, bool down, bool repeat)
{
    if (gDebugSystem && gDebugSystem->GetConsole().OnKey(key, down, repeat))
        return true;
    if (uiKeyHook && uiKeyHook(key, down, repeat))
        return true;
    return !repeat && gVirtualKeys && gVirtualKeys->RunBoundCommand(key, down, repeat);
}

bool InputCommands::OnButtonPress(int button, bool down, int x, int y)
{
    if (gDebugSystem && gDebugSystem->ConsoleTakesClick(button, down, x, y))
        return true;
    return uiButtonHook && uiButtonHook(button, down, x, y);
}
