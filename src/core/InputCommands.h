// InputCommands -- "keyPress" and "buttonPress": the input's command lines offered to the console, then to the key bindings.
#pragma once

// Until the game client registers its own handlers for these lines (a name registered again
// replaces the command), the console and the key bindings are the only takers.
class InputCommands {
public:
    static void RegisterCommands();

    // The console first, while it is shown (it takes every key then); else, on a key-down that
    // is no repeat, the command bound to the key. True when something took the key.
    static bool OnKeyPress(int key, bool down, bool repeat);
    // True when the console, while shown, takes the click.
    static bool OnButtonPress(int button, bool down, int x, int y);
};
