// ClientInput -- the client's input commands: keys and mouse buttons offered to their takers in a fixed order, the world host's forwarded lines, the wheel's zoom, the web links, the menus' display-only player and the entity under the cursor.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class EntityClient;

namespace ClientInput {
// The eleven commands; "keyPress" and "buttonPress" replace any rows of the names before them.
void RegisterCommands();
} // namespace ClientInput

namespace Client {
// DirectInput scan codes the key press filters on.
constexpr int32_t kKeyEscape = 1;
constexpr int32_t kKeyTab = 15;
constexpr int32_t kKeyEnter = 28;
constexpr int32_t kKeyLeftCtrl = 29;
constexpr int32_t kKeyLeftAlt = 56;
constexpr int32_t kKeyRightCtrl = 157;
constexpr int32_t kKeyRightAlt = 184;
// A click above this line of the screen belongs to the console while it is shown.
constexpr int32_t kConsoleBand = 240;
constexpr float kZoomStep = 0.1f;

// The key hook (the console while shown), the interface, the area editor, then the bindings;
// true when one took it.
bool OnKeyPress(int32_t key, bool down, bool repeat);
// The click hook, the open drop-down, the console, the interface, the world map, the area
// editor, then (unless a blocking menu stands) the local player.
bool OnButtonPress(int32_t button, bool down, int32_t x, int32_t y);
// The words joined by single blanks, queued for the world host.
void OnServerCommand(const std::vector<std::string>& args);
void OnMouseScrollUp();
void OnMouseScrollDown();
void OnOpenBrowser(const std::string& address);
void OnVisitWebsite(const std::string& userVarName);
void OnOrderGame();
void BuildFakePlayer();
void UpdateFakePlayer();
void DeleteFakePlayer();
// What the hover looks through: the local player, or nothing while the entity the player has
// chosen carries the pick-through flag and a click would not strike it.
const EntityClient* GetHoverIgnoredEntity();
// The hover entity becomes the pick at the input's cursor, looking through what the above names.
void UpdateHoverEntity();
} // namespace Client
