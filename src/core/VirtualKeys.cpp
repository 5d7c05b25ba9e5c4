// VirtualKeys -- the named bindable actions: the key or mouse button bound to each and its command line.
#include "core/VirtualKeys.h"

#include "core/CommandSystem.h"
#include "core/DebugSystem.h"
#include "core/LocSystem.h"
#include "core/StringUtil.h"
#include "core/TextParser.h"
#include "core/UserVarSystem.h"

VirtualKeys* gVirtualKeys = nullptr;

namespace {

constexpr const char* kMouseButtonNames[VirtualKeys::kMouseButtonCount] = {
    "LeftMouseButton", "RightMouseButton", "MouseButton3", "MouseButton4", "MouseButton5",
};

} // namespace

VirtualKeys::VirtualKeys() = default;

VirtualKeys::~VirtualKeys()
{
    if (gVirtualKeys == this)
        gVirtualKeys = nullptr;
}

std::string VirtualKeys::GetMouseButtonName(int button)
{
    if (button < 0 || button >= kMouseButtonCount)
        return std::string();
    return kMouseButtonNames[button];
}

int VirtualKeys::GetMouseButtonIndex(std::string_view name)
{
    for (int button = 0; button < kMouseButtonCount; ++button) {
        if (StringEqualsNoCase(name, kMouseButtonNames[button]))
            return button;
    }
    return -1;
}

void VirtualKeys::SetKeyNames(CodeForName newCodeForName, NameForCode newNameForCode)
{
    codeForName = std::move(newCodeForName);
    nameForCode = std::move(newNameForCode);
    for (Action& action : actions)
        Resolve(action);
}

bool VirtualKeys::LookUpKey(std::string_view keyName, int& key, bool& isMouse) const
{
    int button = GetMouseButtonIndex(keyName);
    if (button >= 0) {
        key = button;
        isMouse = true;
        return true;
    }
    int code = codeForName && !keyName.empty() ? codeForName(keyName) : -1;
    if (code < 0 || code >= kKeyCount)
        return false;
    key = code;
    isMouse = false;
    return true;
}

// A key name that cannot be looked up yet stays in the action, unbound, so that writing
// "user.cfg" before the key names are known does not lose the player's binding.
void VirtualKeys::Resolve(Action& action) const
{
    action.key = -1;
    action.isMouse = false;
    if (action.keyName.empty() || LookUpKey(action.keyName, action.key, action.isMouse))
        return;
    if (codeForName)
        DebugSystem::Print(kPrintWarning, "Unknown key %s for %s\n", action.keyName.c_str(), action.name.c_str());
}

int VirtualKeys::FindByName(std::string_view name, bool asCode) const
{
    for (size_t i = 0; i < actions.size(); ++i) {
        if (StringEqualsNoCase(actions[i].name, name))
            return static_cast<int>(i) + (asCode ? kFirstCode : 0);
    }
    return -1;
}

const VirtualKeys::Action* VirtualKeys::FindAction(int code) const
{
    if (code < kFirstCode || code - kFirstCode >= static_cast<int>(actions.size()))
        return nullptr;
    return &actions[code - kFirstCode];
}

int VirtualKeys::GetEntryValue(int code) const
{
    const Action* action = FindAction(code);
    return action && !action->isMouse ? action->key : -1;
}

std::string VirtualKeys::GetBoundKeyName(int code) const
{
    if (code >= 0 && code < kKeyCount)
        return DisplayKeyName(nameForCode ? nameForCode(code) : std::string());
    const Action* action = FindAction(code);
    return action && action->key >= 0 ? DisplayKeyName(action->keyName) : std::string();
}

// Key names are the ones ".cfg" files use ("LeftBracket"); the language may hold a form to
// show ("Left Bracket"). Without one the name is shown as it stands.
std::string VirtualKeys::DisplayKeyName(const std::string& keyName)
{
    if (keyName.empty() || !gLocSystem || !gLocSystem->HasText(keyName))
        return keyName;
    return gLocSystem->Translate(MakeLocKey("", keyName));
}

bool VirtualKeys::IsBoundTo(int code, int key, int device) const
{
    const Action* action = FindAction(code);
    return action && action->key >= 0 && action->key == key && action->isMouse == (device == kMouse);
}

bool VirtualKeys::Bind(int key, bool isMouse, std::string_view name)
{
    int index = FindByName(name, false);
    if (index < 0)
        return false;
    std::string keyName;
    if (isMouse)
        keyName = GetMouseButtonName(key);
    else if (nameForCode && key >= 0 && key < kKeyCount)
        keyName = nameForCode(key);
    if (keyName.empty())
        return false;
    Action& action = actions[index];
    action.key = key;
    action.isMouse = isMouse;
    action.keyName = keyName;
    if (gUserVarSystem)
        gUserVarSystem->SaveUserConfig();
    if (!isMouse && releaseKeyHook)
        releaseKeyHook(key);
    for (size_t i = 0; i < actions.size(); ++i) {
        if (static_cast<int>(i) != index && actions[i].key == key && actions[i].isMouse == isMouse)
            return false;
    }
    return true;
}

bool VirtualKeys::BindSwapping(int key, bool isMouse, std::string_view name, std::string& tookOldKey)
{
    tookOldKey.clear();
    int index = FindByName(name, false);
    if (index < 0)
        return false;
    const Action before = actions[static_cast<size_t>(index)];
    bool hadIt = before.key == key && before.isMouse == isMouse;
    if (Bind(key, isMouse, name))
        return true;
    if (actions[static_cast<size_t>(index)].key != key || hadIt)
        return false;
    for (size_t i = 0; i < actions.size(); ++i) {
        Action& other = actions[i];
        if (static_cast<int>(i) == index || other.key != key || other.isMouse != isMouse)
            continue;
        other.key = before.key;
        other.isMouse = before.isMouse;
        other.keyName = before.key >= 0 ? before.keyName : std::string();
        if (tookOldKey.empty())
            tookOldKey = other.name;
    }
    if (gUserVarSystem)
        gUserVarSystem->SaveUserConfig();
    return true;
}

bool VirtualKeys::RunBoundCommand(int key, bool down, bool repeat)
{
    if (!down || repeat || key < 0)
        return false;
    for (const Action& action : actions) {
        if (action.isMouse || action.key != key || action.command.empty())
            continue;
        // A copy: the command may bind keys or read more bindings.
        std::string command = action.command;
        if (gCommandSystem)
            gCommandSystem->Execute(command);
        return true;
    }
    return false;
}

void VirtualKeys::ReadBinding(TextParser& parser, std::string_view path)
{
    std::string pathText(path);
    std::string name;
    if (!parser.NextToken(name, false) || name.empty()) {
        DebugSystem::Print(kPrintWarning, "VirtualKey without a name in %s\n", pathText.c_str());
        parser.SkipLine();
        return;
    }
    std::string keyName;
    parser.NextToken(keyName, false);
    int index = FindByName(name, false);
    if (index < 0) {
        index = static_cast<int>(actions.size());
        actions.push_back(Action{name, std::string(), std::string(), -1, false});
    }
    Action& action = actions[index];
    action.keyName = keyName;
    Resolve(action);
    std::string word;
    if (parser.NextToken(word, false))
        action.command = word;
    while (parser.NextToken(word, false))
        DebugSystem::Print(kPrintWarning, "Unexpected %s after VirtualKey %s in %s\n", word.c_str(), name.c_str(),
                           pathText.c_str());
}

void VirtualKeys::WriteBindings(std::string& out) const
{
    for (const Action& action : actions) {
        // A name that would need quotes cannot be written so that it reads back the same.
        if (UserVarSystem::FormatConfigValue(action.name) != action.name)
            continue;
        out += "VirtualKey " + action.name + " " + UserVarSystem::FormatConfigValue(action.keyName) + "\n";
    }
}

void VirtualKeys::RegisterCommands()
{
    if (!gCommandSystem)
        return;
    gCommandSystem->RegisterCommand(
        "bind", [this](const std::vector<std::string>& args) { BindCommand(args); },
        "Binds a key or mouse button to a virtual key", "key virtualKey", "ss");
}

void VirtualKeys::BindCommand(const std::vector<std::string>& args)
{
    int key = -1;
    bool isMouse = false;
    if (!LookUpKey(args[0], key, isMouse)) {
        DebugSystem::Print(kPrintPlain, "Unknown key %s\n", args[0].c_str());
        return;
    }
    if (FindByName(args[1], false) < 0) {
        DebugSystem::Print(kPrintPlain, "Unknown virtual key %s\n", args[1].c_str());
        return;
    }
    if (!Bind(key, isMouse, args[1]))
        DebugSystem::Print(kPrintPlain, "%s is bound to another virtual key too\n", args[0].c_str());
}
