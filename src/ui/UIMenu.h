// UIMenu -- one named screen or panel: its widgets in draw order, its layout keys, its show and hide command lists, its pages, and the routing of drawing and input to its widgets.
#pragma once

#include "core/BaseClass.h"
#include "resources/ResourceHandle.h"

#include <array>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

class TextParser;
class UIWidget;

// Main thread. Owned by the UI system; owns its widgets.
class UIMenu : public BaseClass {
public:
    UIMenu() = default;
    ~UIMenu() override;
    UIMenu(const UIMenu&) = delete;
    UIMenu& operator=(const UIMenu&) = delete;

    // ---- Overridable operations ----
    virtual void Draw();
    virtual void Update(float seconds);
    virtual void GetSize(float& width, float& height) const;
    virtual bool HandleKey(int32_t key, bool down, bool repeat);
    virtual bool HandleMouseButton(int32_t button, bool down, int32_t x, int32_t y);
    virtual void OnShow(bool /*firstTime*/) {}
    virtual void OnHide() {}
    // The tooltip of the first visible widget at the point that answers; false when none.
    virtual bool GetHighlightInfo(int32_t x, int32_t y, std::string& text, std::string& title, float position[2],
                                  float extent[2], float& backgroundAlpha);
    virtual bool ReadProperty(const std::string& key, TextParser& parser);
    virtual void RunCommandList(const std::vector<std::string>& lines);
    virtual void HandleMenuCommand(const std::string& line);
    // The last-drawn visible clickable widget holding the point; none unless eligible and shown.
    virtual UIWidget* WidgetAt(int32_t x, int32_t y, bool skipHelpBoxes);
    // Whether a visible widget of the shown menu (or its page) paints a picture at the point: a
    // window's panel, a button's face, a slot.
    bool HasFaceAt(int32_t x, int32_t y) const;
    // The rectangles (left, top, right, bottom) of the shown pictures that HasFaceAt answers for.
    void GetFaces(std::vector<std::array<float, 4>>& out) const;
    // Appends the widgets the menu draws that stand in no list of its own (the relations screen's
    // cards, its chosen covenant's name and words): a notice keeps clear of them as of the list's.
    virtual void GetDrawnExtras(std::vector<const UIWidget*>& /*out*/) const {}

    // ---- Tests and flags ----
    // Not "inGameOnly" without a running game, not "hideWhenPaused" while paused.
    bool IsEligible() const;
    // Eligible, and visible or on the menu stack.
    bool IsActive() const { return IsEligible() && (visible || pushed); }
    // The same test under the name the UI system asks it by.
    bool IsShown() const { return IsActive(); }
    // Shown, or offered input though not shown.
    bool TakesInput() const { return IsActive() || alwaysHandleInput; }

    // ---- Plain operations ----
    // Runs the show lists and OnShow; the caller sets the flag.
    void Show();
    void Hide();
    void SetVisible(bool on, bool quiet);
    // Off the stack when pushed, else hidden (the "hide" menu command).
    void HideOrPop();
    // The UI system's name for HideOrPop.
    void Close() { HideOrPop(); }
    bool HandleMouseWheel(bool up);
    // Inserted before the first widget of a greater or equal draw order; takes ownership.
    void AddWidget(UIWidget* widget);
    // Sorts a widget whose draw order changed to its place again.
    void ResortWidget(UIWidget* widget);
    UIWidget* FindWidget(const std::string& widgetName) const;
    // The items of a layout file after its header: widgets and menu keys. Broken widget blocks
    // are dropped with the file and line logged; the rest of the file still loads.
    void LoadBody(TextParser& parser);
    // The loader's name for LoadBody.
    void ParseLayout(TextParser& parser) { LoadBody(parser); }
    // The widgets flagged "subMenuTab", in list order; the first page selected when there is one.
    void CollectSubMenuTabs();
    // What a loaded menu still needs before it is used: its tabs.
    void FinishLoading() { CollectSubMenuTabs(); }
    // Refused with a warning when the page would close a ring of pages or parents.
    void AddSubMenu(UIMenu* page);
    // Refused with a warning (parent left as it was) when the menu would become its own ancestor.
    bool SetParent(UIMenu* candidate);
    void SelectSubMenu(int32_t index);
    // Null for an index outside the pages.
    UIMenu* GetSubMenu(int32_t index) const;
    UIMenu* GetSelectedSubMenu() const { return GetSubMenu(selectedSubMenu); }
    void OnPlayerChanged();
    void RefreshContents();
    // Each widget's Notify with the value, in list order.
    void NotifyWidgets(int32_t value);
    // Active, and a widget wants the live effects kept running while the game is paused.
    bool WantsEffects() const;
    const std::deque<UIWidget*>& GetWidgets() const { return widgets; }
    void DeleteWidgets();
    // This menu's widgets replaced by clones of the template's; nothing for a null template.
    void AddWidgetsFrom(const UIMenu* source);
    // The bag menu's name for AddWidgetsFrom.
    void CopyWidgetsFrom(const UIMenu* source) { AddWidgetsFrom(source); }
    // Drops every link to the menu (parents and pages), which is about to go.
    void ForgetMenu(const UIMenu* gone);

    // ---- Fields ----
    std::string name;
    // Where the layout text was read from; the loader's log lines name it.
    std::string filePath;
    std::string externalName;
    float position[2] = {0.0f, 0.0f};
    float size[2] = {0.0f, 0.0f};
    bool visible = false;
    bool pushed = false;
    bool hasBeenShown = false;
    bool fullScreen = false;
    bool alwaysOnTop = false;
    bool alwaysOnBottom = false;
    bool subMenu = false;
    bool allowedToReload = true;
    bool inGameOnly = false;
    bool alwaysHandleInput = false;
    bool pausesGame = false;
    bool hideWhenPaused = false;
    std::string music;
    // Played looping while the menu is shown.
    ResourceHandle loopSound;
    UIMenu* parent = nullptr;
    // Pages by name, found again after a reload replaces them.
    std::vector<std::string> subMenuNames;
    std::string parentName;
    int32_t selectedSubMenu = -1;
    std::vector<UIWidget*> subMenuTabs;
    std::vector<std::string> showStartCommands;
    std::vector<std::string> showEndCommands;
    std::vector<std::string> hideCommands;
    std::vector<std::string> playerChangedCommands;
    std::vector<std::string> savedUserVarNames;
    std::vector<std::string> savedUserVarValues;

protected:
    // A deque, so that a widget placed at the front of its draw order moves the shorter side of
    // the list and not everything behind it.
    std::deque<UIWidget*> widgets;
    std::vector<UIMenu*> subMenus;

private:
    // The four user-var commands of option screens: save, apply, cancel and defaults.
    void SaveUserVars();
    void ApplyUserVars();
    void RestoreUserVars();
    void ResetToDefaultUserVars();
    void StartLoopSound() const;
    void StopLoopSound() const;
    // This menu, or a menu up its chain of parents.
    bool HasAncestor(const UIMenu* menu) const;
    // The menu is a page of this one, or of a page down the tree.
    bool HoldsPage(const UIMenu* menu) const;

    // Puts the widgets where placing them one after another would have: by draw order, the
    // latest placed first. A layout's widgets are appended while it is read and sorted once here,
    // so a file of many widgets loads in n log n whatever its draw orders.
    void SortWidgets();

    // Guards against a show or hide list that shows or hides this menu again.
    bool inShowOrHide = false;
    bool readingLayout = false;
    uint64_t placements = 0;
};
