// UIVirtualKeyInput -- captures the next key or mouse button pressed while it is shown and binds it to the game action its user var names.
#include "ui/widgets/UIVirtualKeyInput.h"

#include "core/StringUtil.h"
#include "core/TextParser.h"
#include "core/UserVarSystem.h"
#include "core/VirtualKeys.h"
#include "ui/UIMenu.h"
#include "ui/UISystem.h"

#include <algorithm>
#include <deque>

namespace {

constexpr int32_t kVirtualKeyEscape = 1;
// The key left of 1 opens the console, never a binding.
constexpr int32_t kVirtualKeyConsole = 41;

UserVarRef VirtualKeyRegister(const std::string& name)
{
    if (name.empty() || !gUserVarSystem)
        return {};
    return gUserVarSystem->RegisterVar(name, "", true);
}

} // namespace

UIVirtualKeyInput::UIVirtualKeyInput()
{
    canClick = true;
}

UIVirtualKeyInput::~UIVirtualKeyInput() = default;

void UIVirtualKeyInput::HidePrompt() const
{
    if (showUserVar.IsValid() && gUserVarSystem && gUserVarSystem->IsReady())
        showUserVar.SetString("0");
}

void UIVirtualKeyInput::Capture(int32_t code, bool isMouse)
{
    std::string action;
    if (virtualKeyUserVar.IsValid() && gUserVarSystem && gUserVarSystem->IsReady())
        action = virtualKeyUserVar.GetString();
    // A key another action held is not left to both: that action takes this one's old key,
    // and the warning says so.
    std::string swapped;
    bool bound = gVirtualKeys && gVirtualKeys->BindSwapping(code, isMouse, action, swapped);
    if (bound && swapped.empty())
        return;
    // Written only with the warning it fills: a plain binding made while an earlier warning still
    // stands left that warning naming nobody.
    if (gUserVarSystem && gUserVarSystem->IsReady())
        gUserVarSystem->SetStringByName("KeySwappedAction", swapped.empty() ? std::string() : ActionLabel(swapped));
    if (!duplicateMenuName.empty() && gUISystem)
        gUISystem->PushMenu(gUISystem->FindMenu(duplicateMenuName));
}

// The words the keys screen shows for the action: the "<row>Label" beside the "<row>Key" button
// that rebinds it; the action's own name when the screen has no such row.
std::string UIVirtualKeyInput::ActionLabel(const std::string& actionName) const
{
    const std::string line = "setUserVar KeyAction " + actionName;
    for (const UIWidget* widget : menu ? menu->GetWidgets() : std::deque<UIWidget*>{}) {
        const std::string& name = widget->internalName;
        bool rebinds = std::find(widget->commands.begin(), widget->commands.end(), line) != widget->commands.end();
        if (!rebinds || name.size() < 3 || name.compare(name.size() - 3, 3, "Key") != 0)
            continue;
        if (const UIWidget* label = menu->FindWidget(name.substr(0, name.size() - 3) + "Label"))
            return label->text;
    }
    return actionName;
}

bool UIVirtualKeyInput::HandleKey(int32_t key, bool down)
{
    if (!down || key == kVirtualKeyConsole)
        return false;
    if (key != kVirtualKeyEscape)
        Capture(key, false);
    HidePrompt();
    return true;
}

bool UIVirtualKeyInput::HandleMouseButton(int32_t button, bool down, int32_t /*x*/, int32_t /*y*/)
{
    // The press is taken wherever the cursor is.
    if (!down || !IsVisible())
        return false;
    Capture(button, true);
    HidePrompt();
    return true;
}

bool UIVirtualKeyInput::ReadProperty(const std::string& key, TextParser& parser)
{
    if (StringEqualsNoCase(key, "ShowUserVar")) {
        showUserVar = VirtualKeyRegister(parser.ReadString(false));
        return false;
    }
    if (StringEqualsNoCase(key, "VirtualKeyUserVar")) {
        virtualKeyUserVar = VirtualKeyRegister(parser.ReadString(false));
        return false;
    }
    if (StringEqualsNoCase(key, "DuplicateMenuName")) {
        duplicateMenuName = parser.ReadString(false);
        return false;
    }
    return UIWidget::ReadProperty(key, parser);
}

void UIVirtualKeyInput::CopyFrom(const UIWidget& source)
{
    UIWidget::CopyFrom(source);
    const auto* other = dynamic_cast<const UIVirtualKeyInput*>(&source);
    if (!other || other == this)
        return;
    showUserVar = other->showUserVar;
    virtualKeyUserVar = other->virtualKeyUserVar;
    duplicateMenuName = other->duplicateMenuName;
}
