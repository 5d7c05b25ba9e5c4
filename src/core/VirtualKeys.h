// VirtualKeys -- the named bindable actions: the key or mouse button bound to each and its command line.
#pragma once

#include "core/BaseClass.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

class TextParser;

// An action is named by its code, its position in the list + 256, so that one key-code space
// holds the keyboard's keys (0 to 255) and the actions. Actions come from the ".cfg" lines
//   VirtualKey <action> <key or mouse button name> [<command line>]
// where an empty key name ("") leaves the action unbound. "user.cfg" keeps the bindings only;
// the command lines come from the shipped files.
class VirtualKeys : public BaseClass {
public:
    static constexpr int kFirstCode = 256;
    static constexpr int kKeyCount = 256;
    static constexpr int kMouseButtonCount = 5;
    enum Device : int { kKeyboard = 0, kMouse = 1 };

    // Keyboard key names belong to the localisation's key-name table; these reach it.
    // CodeForName gives -1 for a name it does not know, NameForCode "" for a code without one.
    using CodeForName = std::function<int(std::string_view name)>;
    using NameForCode = std::function<std::string(int key)>;

    VirtualKeys();
    ~VirtualKeys() override;

    // Bindings read before the names were known are looked up again now.
    void SetKeyNames(CodeForName codeForName, NameForCode nameForCode);
    // Binding a keyboard key clears the input system's held state for it through this hook.
    void SetReleaseKeyHook(std::function<void(int key)> hook) { releaseKeyHook = std::move(hook); }

    // The position of the action named so (ASCII case ignored), + 256 with asCode; -1 when
    // none (nothing is created).
    int FindByName(std::string_view name, bool asCode) const;
    int GetCount() const { return static_cast<int>(actions.size()); }
    // The keyboard key bound to the action of that code; -1 when the code names no action or
    // the action is unbound or bound to a mouse button (a button number must never read as a key).
    int GetEntryValue(int code) const;
    // The display name of the key bound to the action of that code ("" when unbound); for a
    // code below 256 the key's own; "" for any other code. The display name is the language's
    // text for the key name when it has one ("Left Bracket"), else the key name ("Q").
    std::string GetBoundKeyName(int code) const;
    // Whether the action of that code is bound to that key or button on that device.
    bool IsBoundTo(int code, int key, int device) const;

    // Binds the action to a keyboard key or mouse button that has a name and rewrites "user.cfg".
    // False when no action has that name or the key has no name (nothing changes then), and
    // false too when another action has the same key on the same device (the binding stays).
    bool Bind(int key, bool isMouse, std::string_view name);
    // Binds as Bind does, and every other action that held that key on that device takes the
    // key the named action gave up (none when it had none), so no two actions are left sharing
    // it. The name of the action that took the old key ("" when none did), through tookOldKey.
    // False when no action has that name or the key has no name (nothing changes then), and
    // when the action already had the key another shares (nothing moves then).
    bool BindSwapping(int key, bool isMouse, std::string_view name, std::string& tookOldKey);
    // On a key-down that is no repeat, runs the command line of the first action bound to that
    // keyboard key, with no context; false when nothing ran.
    bool RunBoundCommand(int key, bool down, bool repeat);

    // The rest of a "VirtualKey" line; creates the action when it is new.
    void ReadBinding(TextParser& parser, std::string_view path);
    // Appends one "VirtualKey" line per action.
    void WriteBindings(std::string& out) const;
    // "bind".
    void RegisterCommands();

    // "LeftMouseButton", "RightMouseButton", "MouseButton3" to "MouseButton5"; "" otherwise.
    static std::string GetMouseButtonName(int button);
    // ASCII case ignored; -1 for a name of no button.
    static int GetMouseButtonIndex(std::string_view name);

private:
    struct Action {
        std::string name;
        std::string command;
        std::string keyName; // as written or bound; kept even while it cannot be looked up
        int key = -1;
        bool isMouse = false;
    };

    const Action* FindAction(int code) const;
    static std::string DisplayKeyName(const std::string& keyName);
    // Key or button of a name; false for a name of neither.
    bool LookUpKey(std::string_view keyName, int& key, bool& isMouse) const;
    void Resolve(Action& action) const;
    void BindCommand(const std::vector<std::string>& args);

    std::vector<Action> actions;
    CodeForName codeForName;
    NameForCode nameForCode;
    std::function<void(int key)> releaseKeyHook;
};

extern VirtualKeys* gVirtualKeys;
