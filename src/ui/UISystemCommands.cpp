// UISystemCommands -- the menu console commands and the interface's user vars.
#include "ui/UISystem.h"

#include "core/CommandSystem.h"
#include "core/DebugSystem.h"
#include "core/EnumTable.h"
#include "core/StringUtil.h"
#include "core/UserVarSystem.h"
#include "ui/UIMenu.h"
#include "ui/UIWidget.h"
#include "ui/widgets/UIItemSlot.h"
#include "ui/widgets/UIUseSlot.h"

#include <iterator>

namespace {

using CommandArgs = std::vector<std::string>;

std::string CommandsArg(const CommandArgs& args, size_t index)
{
    return index < args.size() ? args[index] : std::string();
}

struct CommandsVar {
    const char* name;
    const char* defaultText;
};

constexpr CommandsVar kCommandsVars[] = {
    {"ui_inGameHealthBars", "1"},   {"ui_playerHealthBar", "0"},   {"ui_hardwareCursor", "1"},
    {"drawUI", "1"},                {"ui_showSimpleTips", "1"},    {"ui_constrainMouse", "0"},
    {"ui_showDamageNumbers", "1"},  {"ui_showXpNumbers", "1"},     {"ui_hideNumbersDuringRaids", "0"},
    {"ui_showUseHints", "1"},       {"ui_maxTextEventsShown", "10"}, {"ui_autoAttack", "1"},
    {"ui_disablePartyMemberDialog", "0"}, {"ui_useShowItemsToggle", "0"},
};
static_assert(std::size(kCommandsVars) == UISystem::kUserVarCount);

} // namespace

void UISystem::RegisterUserVars()
{
    userVars.clear();
    if (!gUserVarSystem)
        return;
    for (const CommandsVar& var : kCommandsVars)
        userVars.push_back(gUserVarSystem->RegisterVar(var.name, var.defaultText, true));
}

void UISystem::RegisterMenuCommands()
{
    if (!gCommandSystem)
        return;
    CommandSystem& commands = *gCommandSystem;
    auto byName = [this](void (UISystem::*operation)(const std::string&)) {
        return [this, operation](const CommandArgs& args) { (this->*operation)(CommandsArg(args, 0)); };
    };
    commands.RegisterCommand("showMenu", byName(&UISystem::ShowMenu), "Shows a menu", "menuName", "s");
    commands.RegisterCommand("hideMenu", byName(&UISystem::HideMenu), "Hides a menu", "menuName", "s");
    commands.RegisterCommand("pushMenu", byName(&UISystem::PushMenuByName), "Pushes the menu on to the menu stack",
                             "menuName", "s");
    commands.RegisterCommand(
        "popMenu",
        [this](const CommandArgs& args) {
            if (CommandsArg(args, 0).empty())
                PopMenu();
            else
                RemoveMenuByName(args[0]);
        },
        "Pops off the top menu on to the menu stack", "menuName", "S");
    commands.RegisterCommand("toggleMenu", byName(&UISystem::ToggleMenu), "toggles a menus visibility", "menuName",
                             "s");
    commands.RegisterCommand("pushPopMenu", byName(&UISystem::PushPopMenu), "toggles a menus visibility using push/pop",
                             "menuName", "s");
    commands.RegisterCommand(
        "refreshWidget",
        [this](const CommandArgs& args) {
            if (UIWidget* widget = FindWidgetByPath(CommandsArg(args, 0)))
                widget->Reload();
        },
        "Refreshes a widget", "widgetName", "s");
    commands.RegisterCommand(
        "selectWidget",
        [this](const CommandArgs& args) {
            if (UIWidget* widget = FindWidgetByPath(CommandsArg(args, 0)))
                widget->SetSelected(ParseInt(CommandsArg(args, 1)) != 0);
        },
        "Selects or widget (or deselects)", "widgetName selected", "sb");
    commands.RegisterCommand("setCovenantDir", [this](const CommandArgs&) { SetCovenantDir(); },
                             "Sets up the covenant directory", "", "");
    commands.RegisterCommand("widgetCommand", [this](const CommandArgs& args) { SendWidgetCommand(args); },
                             "Sends a command to a widget",
                             "widgetName widgetCommand parm1 parm2 parm3 parm4 parm5 parm6", "ssSSSSSS");
    commands.RegisterCommand("sendCommandToMenu", [this](const CommandArgs& args) { SendMenuCommand(args); },
                             "Sends a command to a menu", "menuName command parm1 parm2 parm3 parm4 parm5 parm6",
                             "sSSSSSS");
    commands.RegisterCommand("reloadMenus", [this](const CommandArgs&) { LoadMenus(true); },
                             "Reloads all of the menus", "", "");
    commands.RegisterCommand(
        "setUIMode",
        [this](const CommandArgs& args) { uiMode = EnumTable::LookupIn("UIMode", CommandsArg(args, 0)); },
        "Sets the UI mode", "modeName", "s");
    commands.RegisterCommand(
        "sellHighlightedItem",
        [this](const CommandArgs&) {
            // Each refuses with its own message where it does not apply: a vendor's offer is bought.
            if (auto* slot = dynamic_cast<UIItemSlot*>(GetWidgetUnderCursor(false))) {
                slot->Sell();
                slot->Buy();
            }
        },
        "Sells the highlighted item", "", "");
    commands.RegisterCommand(
        "clearUseSlot",
        [this](const CommandArgs&) {
            if (auto* slot = dynamic_cast<UIUseSlot*>(GetWidgetUnderCursor(false)))
                slot->Clear();
        },
        "Clears the highlighted use slot", "", "");
    RegisterStoryCommands();
    commands.RegisterCommand(
        "setFocus",
        [this](const CommandArgs& args) {
            if (UIWidget* widget = FindWidgetByPath(CommandsArg(args, 0)))
                focusWidget = widget;
        },
        "Sets the focus to the specified widget", "widgetName", "s");
    RegisterHelpTopicCommands();
    commands.RegisterCommand(
        "uiBusy",
        [this](const CommandArgs&) {
            busyFrames = 0;
            SetCursor(kCursorBusy);
        },
        "Tells the ui that the system is busy", "", "");
}

void UISystem::SetCovenantDir()
{
    if (!gUserVarSystem)
        return;
    std::string covenant = gUserVarSystem->GetStringByName("CovenantName");
    // The name becomes a folder under "chars/": anything that could leave it changes nothing.
    bool unsafe = covenant.find('/') != std::string::npos || covenant.find('\\') != std::string::npos ||
                  covenant.find("..") != std::string::npos;
    for (char c : covenant)
        unsafe = unsafe || static_cast<unsigned char>(c) < 0x20 || c == 0x7F;
    if (unsafe) {
        DebugSystem::Print(kPrintWarning, "setCovenantDir: the covenant name \"%s\" cannot name a folder\n",
                           covenant.c_str());
        return;
    }
    gUserVarSystem->RegisterVar("CovenantDir", "", true).SetString("chars/" + covenant);
}

void UISystem::SendWidgetCommand(const std::vector<std::string>& args)
{
    UIWidget* widget = FindWidgetByPath(CommandsArg(args, 0));
    if (!widget)
        return;
    std::string line = "widgetCommand";
    for (size_t i = 1; i < args.size(); ++i)
        line += " " + args[i];
    widget->HandleWidgetCommand(line);
}

void UISystem::SendMenuCommand(const std::vector<std::string>& args)
{
    UIMenu* menu = FindMenu(CommandsArg(args, 0));
    if (!menu || args.size() < 2)
        return;
    std::string line = args[1];
    for (size_t i = 2; i < args.size(); ++i)
        line += " " + args[i];
    menu->HandleMenuCommand(line);
}
