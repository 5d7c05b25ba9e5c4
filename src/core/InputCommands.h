// InputCommands -- "keyPress" and "buttonPress": the input's command lines offered to the console, then to the key bindings.
#pragma once

#include <functional>

// Until the game client registers its own handlers for these lines (a name registered again
// replaces the command), the console and the key bindings are the only takers.
class InputCommands {
public:
    using KeyHook = std::function<bool(int key, bool down, bool repeat)>;
    using ButtonHook = std::function<bool(int button, bool down, int x, int y)>;

    static void RegisterCommands();
    // The user interface's turn, after the console and before the key bindings; empty hooks
    // take nothing. The composition root fills them.
    static void SetUiHooks(KeyHook key, ButtonHook button);

    // The console first, while it is shown (it takes every key then); then the menus; else, on
    // a key-down that is no repeat, the command bound to the key. True when something took the key.
    static bool OnKeyPress(int key, bool down, bool repeat);
    // True when the console, while shown, or the menus take the click.
    static bool OnButtonPress(int button, bool down, int x, int y);

private:
    static KeyHook uiKeyHook;
    static ButtonHook uiButtonHook;
};
