// UISystemMenus -- the menu and widget factories and the loading of every layout file of "UI", at start-up and again by "reloadMenus".
#include "ui/UISystem.h"

#include "client/PlayerClient.h"
#include "core/DebugSystem.h"
#include "core/FileSystem.h"
#include "core/StringUtil.h"
#include "core/TextParser.h"
#include "ui/UIMenu.h"
#include "ui/UIWidget.h"
#include "ui/widgets/UIBagMenu.h"
#include "ui/widgets/UICheckBox.h"
#include "ui/widgets/UIDropDownBox.h"
#include "ui/widgets/UIDropDownMenu.h"
#include "ui/widgets/UIFilePicker.h"
#include "ui/widgets/UIHelp.h"
#include "ui/widgets/UIItemSlot.h"
#include "ui/widgets/UIList.h"
#include "ui/widgets/UIModelWidget.h"
#include "ui/widgets/UIListButton.h"
#include "ui/widgets/UIRelationsMenu.h"
#include "ui/widgets/UIScrollBar.h"
#include "ui/widgets/UISkillSlot.h"
#include "ui/widgets/UISkillSlotButtons.h"
#include "ui/widgets/UISkillSlotRecruit.h"
#include "ui/widgets/UIStatBar.h"
#include "ui/widgets/UIStatValue.h"
#include "ui/widgets/UIStatWidget.h"
#include "ui/widgets/UIStatusEffectIcons.h"
#include "ui/widgets/UISlider.h"
#include "ui/widgets/UIText.h"
#include "ui/widgets/UITextInput.h"
#include "ui/widgets/UITextureList.h"
#include "ui/widgets/UIUseSlot.h"
#include "ui/widgets/UIVirtualKeyInput.h"

#include <algorithm>
#include <iterator>

namespace {

using MenusWidgetMaker = UIWidget* (*)();
using MenusMenuMaker = UIMenu* (*)();

UIWidget* MenusMakePlainWidget()
{
    return new UIWidget();
}

template <typename Kind>
UIWidget* MenusMake()
{
    return new Kind();
}

template <typename Kind>
UIMenu* MenusMakeMenu()
{
    return new Kind();
}

UIMenu* MenusMakePlainMenu()
{
    return new UIMenu();
}

struct MenusWidgetKind {
    const char* typeName;
    // Null while the kind's class is not built: a plain widget stands in for it.
    MenusWidgetMaker make;
};

// Names compared case-blind in this order; the first that matches makes the widget.
constexpr MenusWidgetKind kMenusWidgetKinds[] = {
    {"Widget", MenusMakePlainWidget},  {"UseSlot", MenusMake<UIUseSlot>},
    {"ItemSlot", MenusMake<UIItemSlot>}, {"Help", MenusMake<UIHelp>},
    {"StatBar", MenusMake<UIStatBar>},              {"StatusEffectIcons", MenusMake<UIStatusEffectIcons>},
    {"StatWidget", MenusMake<UIStatWidget>},           {"StatValue", MenusMake<UIStatValue>},
    {"TextInput", MenusMake<UITextInput>},            {"List", MenusMake<UIList>},
    {"ListButton", MenusMake<UIListButton>},           {"SkillSlot", MenusMake<UISkillSlot>},
    {"SkillSlotRecruit", MenusMake<UISkillSlotRecruit>}, {"SkillSlotIncrease", MenusMake<UISkillSlotIncrease>},
    {"SkillSlotDecrease", MenusMake<UISkillSlotDecrease>}, {"DropDownMenu", MenusMake<UIDropDownMenu>},
    {"DropDownBox", MenusMake<UIDropDownBox>},          {"TextureList", MenusMake<UITextureList>},
    {"FilePicker", MenusMake<UIFilePicker>},           {"ScrollBar", MenusMake<UIScrollBar>},
    {"Text", MenusMake<UIText>},                 {"CheckBox", MenusMake<UICheckBox>},
    {"Slider", MenusMake<UISlider>},               {"VirtualKeyInput", MenusMake<UIVirtualKeyInput>},
    {"ModelWidget", MenusMake<UIModelWidget>},
};
constexpr int32_t kMenusWidgetKindCount = static_cast<int32_t>(std::size(kMenusWidgetKinds));

struct MenusMenuKind {
    const char* typeName;
    MenusMenuMaker make;
};

constexpr MenusMenuKind kMenusMenuKinds[] = {
    {"Menu", MenusMakePlainMenu},
    {"RelationsMenu", MenusMakeMenu<UIRelationsMenu>},
    {"BagMenu", MenusMakeMenu<UIBagMenu>},
};

} // namespace

UIMenu* UISystem::CreateMenu(const std::string& typeName)
{
    for (int32_t i = 0; i < static_cast<int32_t>(std::size(kMenusMenuKinds)); ++i) {
        const MenusMenuKind& kind = kMenusMenuKinds[i];
        if (!StringEqualsNoCase(typeName, kind.typeName))
            continue;
        if (kind.make)
            return kind.make();
        bool& logged = unbuiltKindLogged[kMenusWidgetKindCount + i];
        if (!logged) {
            logged = true;
            DebugSystem::Print(kPrintDeveloper, "Menu type %s is made as a plain menu\n", kind.typeName);
        }
        return new UIMenu();
    }
    return nullptr;
}

UIWidget* UISystem::CreateWidget(const std::string& typeName)
{
    for (int32_t i = 0; i < kMenusWidgetKindCount; ++i) {
        const MenusWidgetKind& kind = kMenusWidgetKinds[i];
        if (!StringEqualsNoCase(typeName, kind.typeName))
            continue;
        if (kind.make)
            return kind.make();
        bool& logged = unbuiltKindLogged[i];
        if (!logged) {
            logged = true;
            DebugSystem::Print(kPrintDeveloper, "Widget type %s is made as a plain widget\n", kind.typeName);
        }
        return new UIWidget();
    }
    return nullptr;
}

UIWidget* UISystem::CloneWidget(const UIWidget* source)
{
    if (!source)
        return nullptr;
    UIWidget* copy = source->NewOfSameKind();
    copy->CopyFrom(*source);
    return copy;
}

// ---- Loading ----

void UISystem::LoadMenus(bool reload)
{
    // A reload asked for by a click or a key while the menus are walked waits until the walk ends.
    if (reload && dispatchDepth > 0) {
        reloadPending = true;
        return;
    }
    std::vector<std::string> remembered;
    if (reload) {
        openBagMenus.clear();
        while (!menuStack.empty()) {
            UIMenu* menu = menuStack.back();
            menuStack.pop_back();
            if (menu->pushed) {
                menu->Hide();
                menu->pushed = false;
                RecomputeHover();
            }
            remembered.push_back(menu->name);
        }
    }
    std::vector<std::string> files;
    if (gFileSystem)
        gFileSystem->ListFiles("UI", "mnu", files, kLocationAssets, false, false, true);
    for (const std::string& file : files)
        ReadMenuFile("UI/" + file, reload);
    FindHelpBoxes();
    LoadHelpTopics();
    if (!reload)
        return;
    RelinkMenus();
    // The ready notices may name widgets of the menus just replaced.
    if (PlayerClient* player = UISlotBase::GetPlayer())
        player->ClearUseHints();
    for (auto it = remembered.rbegin(); it != remembered.rend(); ++it)
        PushMenu(FindMenu(*it));
}

void UISystem::ReadMenuFile(const std::string& path, bool reload)
{
    UIMenu* old = reload ? FindMenuByFile(path) : nullptr;
    if (old && !old->allowedToReload)
        return;
    FileBuffer file = gFileSystem->LoadWholeFile(path);
    if (!file.IsValid()) {
        DebugSystem::Print(kPrintDeveloper, "Couldn't load menu %s\n", path.c_str());
        return;
    }
    TextParser header(file.Data(), file.Size());
    std::string token;
    bool hasHeader = header.NextToken(token) && StringEqualsNoCase(token, "MenuType");
    std::string typeName = hasHeader ? header.ReadString() : std::string("Menu");
    UIMenu* menu = CreateMenu(typeName);
    if (!menu) {
        DebugSystem::Print(kPrintDeveloper, "Unknown menu type %s\n", typeName.c_str());
        return;
    }
    bool replacing = old != nullptr;
    bool replacesShown = old && old->IsShown();
    if (old)
        DeleteReplacedMenu(old);
    menus.push_back(menu);
    menu->filePath = path;
    // The old menu's shown state comes first, as the flag alone, so that the file's own "visible"
    // key has the last word; the show itself waits for the widgets (below).
    if (replacing)
        menu->visible = replacesShown;
    loadingFile = path;
    // A file without the header is read from its first token, which is its first item.
    TextParser body(file.Data(), file.Size());
    if (hasHeader) {
        body.NextToken(token);
        body.ReadString();
    }
    menu->ParseLayout(body);
    menu->FinishLoading();
    loadingFile.clear();
    // Shown once its widgets exist, so that lists and boxes fill as on any other show. A "visible"
    // key that changed the flag has shown or hidden the menu itself while it was read.
    if (replacing && replacesShown && menu->visible) {
        menu->Show();
        RecomputeHover();
    }
}

// Every pointer into the old menu is cleared before it goes: the hovered, focused, dragged and
// pressed widgets, the help boxes, the open bags, other menus' parents and pages, and widgets'
// parents (found again by name once the reload is done).
void UISystem::DeleteReplacedMenu(UIMenu* old)
{
    ForgetPointersInto(old);
    menus.erase(std::remove(menus.begin(), menus.end(), old), menus.end());
    delete old;
}

void UISystem::ForgetWidgetsOf(const UIMenu* menu)
{
    auto inMenu = [menu](const UIWidget* widget) { return widget && widget->menu == menu; };
    if (inMenu(hoverWidget))
        hoverWidget = nullptr;
    if (inMenu(focusWidget))
        focusWidget = nullptr;
    if (inMenu(dragWidget))
        CancelDrag();
    if (inMenu(pressedWidget))
        pressedWidget = nullptr;
    for (UIMenu* other : menus)
        for (UIWidget* widget : other->GetWidgets())
            if (inMenu(widget->parentWidget))
                widget->parentWidget = nullptr;
}

void UISystem::ForgetPointersInto(const UIMenu* menu)
{
    auto inMenu = [menu](const UIWidget* widget) { return widget && widget->menu == menu; };
    ForgetWidgetsOf(menu);
    if (helpBottomMenu == menu || inMenu(helpBottomBox)) {
        helpBottomMenu = nullptr;
        helpBottomBox = nullptr;
    }
    if (helpTopMenu == menu || inMenu(helpTopBox)) {
        helpTopMenu = nullptr;
        helpTopBox = nullptr;
    }
    openBagMenus.erase(std::remove(openBagMenus.begin(), openBagMenus.end(), menu), openBagMenus.end());
    menuStack.erase(std::remove(menuStack.begin(), menuStack.end(), menu), menuStack.end());
    for (UIMenu* other : menus)
        if (other != menu)
            other->ForgetMenu(menu);
}

void UISystem::FindHelpBoxes()
{
    // Menus that do not exist are not named in the log; a help menu without its box is.
    helpBottomMenu = FindMenu("HelpBottom");
    helpTopMenu = FindMenu("HelpTop");
    helpBottomBox = helpBottomMenu ? FindWidgetByPath("HelpBottom::Help") : nullptr;
    helpTopBox = helpTopMenu ? FindWidgetByPath("HelpTop::Help") : nullptr;
    if (helpBottomBox && !helpBottomBox->IsHelpBox())
        helpBottomBox = nullptr;
    if (helpTopBox && !helpTopBox->IsHelpBox())
        helpTopBox = nullptr;
}

// Links that other menus held into replaced menus, found again by the names they were written with.
void UISystem::RelinkMenus()
{
    for (UIMenu* menu : menus) {
        if (!menu->parent && !menu->parentName.empty()) {
            menu->SetParent(FindMenu(menu->parentName));
        }
        for (const std::string& pageName : menu->subMenuNames) {
            UIMenu* page = FindMenu(pageName);
            if (page && page->parent != menu)
                menu->AddSubMenu(page);
        }
        for (UIWidget* widget : menu->GetWidgets())
            if (!widget->parentWidget && !widget->parentWidgetPath.empty())
                widget->parentWidget = FindWidgetByPath(widget->parentWidgetPath);
    }
}
