// UISystem -- owns and runs every menu: loading from the layout files, the menu stack and active menus, hover, focus, drag and held-button repeat, the cursor, tooltips, bag windows and the menu commands.
#pragma once

#include "client/ClientUi.h"
#include "core/BaseClass.h"
#include "core/Color.h"
#include "core/TimeStamp.h"
#include "core/UserVarRef.h"
#include "core/Vector.h"
#include "render/FrameUi.h"
#include "resources/ResourceHandle.h"
#include "ui/UiGameView.h"

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

class UIMenu;
class UIWidget;

// The "UISystem" record's settings this system reads; they keep these values until the settings
// reader fills them.
// What the interface is drawing now: the menu, and the widget of it (none between widgets). A
// watcher of the screen text names what drew each text by it.
struct UiDrawing {
    const UIMenu* menu = nullptr;
    const UIWidget* widget = nullptr;
};

struct UiSettings {
    std::vector<std::string> gameMenus;
    std::vector<std::string> gameStartLines;
    int32_t minBusyFrames = 0;
    float firstRepeatTime = 0.0f;
    float otherRepeatTime = 0.0f;
    float sideStackStart[2] = {0.0f, 0.0f};
    float sideStackSpace[2] = {0.0f, 0.0f};
    Color defaultHoverColor;
    // Where the frame draws the message log, and the offset added to it with the full use slots.
    Vector2 logPosition;
    Vector2 logAlternateOffset;
    float centerTextPosition[2] = {0.0f, 0.0f};
    float relationChangeTextPosition[2] = {0.0f, 0.0f};
    float helpTopicBasePosition[2] = {0.0f, 0.0f};
    float helpTopicButtonOffset = 0.0f;
    float helpTopicButtonSize = 0.0f;
    float miniMapMaskPosition[2] = {0.0f, 0.0f};
    float miniMapMaskSize[2] = {0.0f, 0.0f};
    float minRelationForColoring = 0.0f;
    float maxRelationForColoring = 0.0f;
    float worldMapKeyPosition[2] = {0.0f, 0.0f};
    float worldMapKeyLineSpace = 0.0f;
    float worldMapKeyMarkerSize = 0.0f;
    float worldMapKeyTextOffset = 0.0f;
    // A font path: "fonts/<name>.fnt".
    std::string worldMapKeyFontName;
    float relationsCenter[2] = {0.0f, 0.0f};
    float relationsRadius = 0.0f;
    float relationPicturePos[2] = {0.0f, 0.0f};
    float relationNamePos[2] = {0.0f, 0.0f};
    bool showItemRarityOutlines = false;
    // The default pictures of the scroll bars: up, down, left, right, the vertical thumb and track,
    // the horizontal thumb and track.
    std::string scrollbarUp;
    std::string scrollbarDown;
    std::string scrollbarLeft;
    std::string scrollbarRight;
    std::string scrollbarBar;
    std::string scrollbarBackground;
    std::string scrollbarBarHoriz;
    std::string scrollbarBackgroundHoriz;
    // Added to a text line's height by the text widgets.
    float spaceBetweenTextLines = 0.0f;
};

// Main thread. The one object behind gUISystem; the renderer's frame draws it through FrameUi and
// the client reaches it through ClientUi.
class UISystem : public BaseClass, public FrameUi, public ClientUi {
public:
    static constexpr int32_t kCursorBusy = 7;
    static constexpr int32_t kCursorDragging = 8;
    static constexpr int32_t kUserVarCount = 14;

    // Registers the UI name tables.
    UISystem();
    ~UISystem() override;
    UISystem(const UISystem&) = delete;
    UISystem& operator=(const UISystem&) = delete;

    // Loads every menu, shows "Main", registers the 29 menu commands and 14 user vars.
    void RegisterCommands();
    // The "UISystem" record of the game database into the settings; without the record the
    // settings keep what they hold.
    void LoadSettings();
    bool IsSetUp() const { return setUp; }

    // ---- Menus and widgets by name ----
    UIMenu* FindMenu(const std::string& menuName) const;
    UIMenu* FindMenuByFile(const std::string& path) const;
    // Logs "Could not find menu %s\n" or "Could not find widget %s\n" at level 3.
    UIWidget* FindWidget(const std::string& widgetName, const std::string& menuName) const;
    // "menu::widget"; without "::" the whole path is the menu's name.
    UIWidget* FindWidgetByPath(const std::string& path) const;
    const std::vector<UIMenu*>& GetMenus() const { return menus; }

    // Clears every reference the system and other widgets hold to the menu's widgets (hover,
    // focus, drag, the held button, parent links), before those widgets are destroyed.
    void ForgetWidgetsOf(const UIMenu* menu);

    // ---- The factory ----
    // Null for a name not in the tables (names compared case-blind, in table order).
    // A kind whose class is not built yet makes a plain menu or widget, logged once a kind.
    UIMenu* CreateMenu(const std::string& typeName);
    UIWidget* CreateWidget(const std::string& typeName);
    static UIWidget* CloneWidget(const UIWidget* source);
    // Reads every "mnu" file of "UI"; reload replaces the menus that allow it and keeps the stack.
    void LoadMenus(bool reload);

    // ---- Showing and hiding ----
    void SetMenuVisible(const std::string& menuName, bool on);
    void ShowMenu(const std::string& menuName);
    void HideMenu(const std::string& menuName);
    void ToggleMenu(const std::string& menuName);
    void PushPopMenu(const std::string& menuName);
    void PushMenu(UIMenu* menu);
    void PopMenu();
    void RemoveMenu(UIMenu* menu);
    void PushMenuByName(const std::string& menuName) { PushMenu(FindMenu(menuName)); }
    void RemoveMenuByName(const std::string& menuName) { RemoveMenu(FindMenu(menuName)); }
    void ShowGameMenus();
    void CloseAllMenus();
    // The menu's show or hide with its flag, then the hover widget again.
    void ShowWithFlag(UIMenu* menu);
    void HideWithFlag(UIMenu* menu);
    void RecomputeHover();
    const std::deque<UIMenu*>& GetMenuStack() const { return menuStack; }

    // ---- Active menus ----
    void BuildActiveMenuList(bool includeInputMenus, std::vector<UIMenu*>& out) const;
    const std::vector<UIMenu*>& GetActiveMenus() const { return activeMenus; }
    UIWidget* GetWidgetUnderCursor(bool skipHelpBoxes);
    bool IsFullScreenMenuShown() const override;
    bool IsFullScreenMenuActive() const;
    // An eligible menu on the stack, or a full-screen menu active: the world waits behind it.
    bool IsBlockingMenuShown() const override;
    bool AnyActiveMenuShowsModel();
    // A shown menu holds a widget that wants the live effects kept running.
    bool AnyWidgetWantsEffects();
    bool WantsEffectsWhilePaused() override;
    std::string GetActiveMenuMusic();

    // ---- The frame ----
    void Update(float seconds);
    void UpdateAndDraw(float seconds) override;
    // The help topics' buttons, then the world's labels and tooltips over them.
    void DrawHelpBottom(float seconds) override;
    void DrawHelpTop(float seconds) override { DrawHelpMenu(helpTopMenu, seconds); }
    void DrawCursor() override;
    const UiSettings& GetSettings() const { return settings; }
    Vector2 GetLogPosition() const override { return settings.logPosition; }
    Vector2 GetAlternateLogOffset() const override { return settings.logAlternateOffset; }
    void GetWindowBoxes(std::vector<WidgetBox>& out) const override;
    int32_t ChooseCursorShape();
    void UpdateCursorShape();
    int32_t GetCurrentCursor() const { return currentCursor; }
    int32_t GetBusyFrames() const { return busyFrames; }

    // ---- Input ----
    bool HandleMouseButton(int32_t button, bool down, int32_t x, int32_t y) override;
    // One press or release offered to the carried thing and the active menus, front first.
    bool HandleButton(int32_t button, bool down, int32_t x, int32_t y);
    // The keys the console leaves: the active menus, front first.
    bool HandleKey(int32_t key, bool down, bool repeat) override;
    // The wheel; false when no menu took it.
    bool AnyMenuHandlesInput(bool up);
    bool HandleWheel(bool up) override { return AnyMenuHandlesInput(up); }
    void RecordWidgetPress(UIWidget* widget, int32_t button);
    // A release of the pressed widget's button ends its repeat.
    void ClearWidgetPress(UIWidget* widget);
    // Whatever the cursor carries goes back: nothing moved on the host while it was carried.
    void CancelDrag();

    // ---- Services ----
    void GetTooltip(std::string& text, std::string& title, float position[2], float extent[2], float& flag);
    // The in-game screen's pictures (its bars, buttons and the mini-map's ring), which a tooltip of
    // a thing in the world keeps clear of: it is drawn under them.
    void GetScreenFaces(std::vector<std::array<float, 4>>& out) const;
    // The last tooltip GetTooltip gave was of a thing in the world, not of a window's widget: the
    // help box of the world's labels draws it, under every window.
    bool IsWorldTooltip() const { return tooltipOfWorld; }
    // While the world map is open: the pin under the cursor, else the map menu's widget there.
    void GetWorldMapTooltip(int32_t x, int32_t y, std::string& text, std::string& title, float position[2],
                            float extent[2], float& flag);
    bool IsDoubleClick(const TimeStamp& first, const TimeStamp& second) const;
    static bool IsBlinkOn(float period);
    static std::string GetBlinkCursor();
    void ArrangeOpenBagMenus();
    // Every menu's widgets, menus in load order.
    void NotifyAllWidgets(int32_t value) override;
    // Every menu's player-changed lines and widgets, menus in load order.
    void OnPlayerChanged();
    // The client's name for it.
    void NotifyPlayerChanged() override { OnPlayerChanged(); }
    static void RunCommandList(const std::vector<std::string>& lines);
    bool ShowDamageNumbers() const override;
    bool ShowXpNumbers() const override;

    // The shaders of the highlight box and the glow widgets draw over themselves.
    int32_t GetHighlightShader() const { return highlightShader; }
    int32_t GetGlowShader() const { return glowShader; }

    // ---- Help topics ----
    // The "HelpTopics" record's topics, their followers and the start topic; run after every
    // load of the menus.
    void LoadHelpTopics();
    // -1 for a name not in the table (letter case ignored).
    int32_t IndexOfHelpTopic(const std::string& topic) const;
    std::string GetNextHelpTopic(int32_t index) const;
    bool IsHelpTopicRead(int32_t index) const;
    // The topic's button, or that of the first unread topic down its chain.
    void AddHelpTopic(const std::string& topic);
    void ShowHelpTopicButton(int32_t index);
    // The shown buttons in a row centred on the base position, in the order they first came.
    void RepositionHelpButtons();

    // ---- Story screens ----
    // Sets the text file the story texts show and pushes the menu when one is named.
    void ShowTextFile(const std::string& textFile, const std::string& menuName);
    // Sets the text file and toggles the "Story" menu.
    void ShowStoryText(const std::string& textFile);

    // ---- What the client asks ----
    // A "showMenu" or "hideMenu" line, run as the console runs it.
    void RunMenuLine(const std::string& line) override;
    void RefreshMenu(const std::string& menuName) override;
    // The "HelpTopics" record's start topic and the settings' game-start lines.
    std::string GetStartTopic() const override { return startHelpTopic; }
    std::vector<std::string> GetGameStartLines() const override { return settings.gameStartLines; }
    // Every menu closed, then the game's menus shown.
    void OnNewWorld() override;
    // The client's tutorial hints are the help topics.
    int32_t GetHintCount() const override { return static_cast<int32_t>(helpTopicNames.size()); }
    int32_t FindHint(const std::string& topic) const override { return IndexOfHelpTopic(topic); }
    std::string GetNextHintName(int32_t index) const override { return GetNextHelpTopic(index); }
    void ShowHint(int32_t index) override { ShowHelpTopicButton(index); }
    std::string GetMenuMusic() override { return GetActiveMenuMusic(); }
    Vector2 GetTextPosition(TextPosition which) const override;
    void HideMenus() override { CloseAllMenus(); }
    // "Quests" opened with the slot's widget "Quest<slot>" alone selected (UISystemQuests.cpp).
    void ShowQuestSlot(int32_t slot) override;

    // ---- Game view ----
    // Not owned; null puts back the view with no game.
    void SetGameView(UiGameView* view) { gameView = view; }
    const UiGameView& GetGameView() const { return gameView ? *gameView : noGame; }
    // The view that also acts: the player's actions and the client's messages.
    UiGameView& GetGameView() { return gameView ? *gameView : noGame; }

    // ---- State other systems and widgets read and set ----
    UiSettings settings;
    UIWidget* dragWidget = nullptr;
    // The widget the last left press picked up, so that its release elsewhere drops it there.
    UIWidget* pickedOnPress = nullptr;
    UIMenu* helpBottomMenu = nullptr;
    UIWidget* helpBottomBox = nullptr;
    UIMenu* helpTopMenu = nullptr;
    UIWidget* helpTopBox = nullptr;
    UIWidget* focusWidget = nullptr;
    std::vector<UIMenu*> openBagMenus;
    int32_t uiMode = 0;
    UIWidget* hoverWidget = nullptr;
    UiDrawing drawing;
    // Where the cursor stood at the last button press; no tooltip is given while it stays there.
    int32_t tooltipHiddenAt[2] = {-1, -1};
    ResourceHandle newHelpTopicSound;
    UIWidget* pressedWidget = nullptr;
    int32_t pressedButton = -1;
    float pressedTime = 0.0f;
    int32_t pressedRepeats = 0;
    TimeStamp doubleClickTime;
    // The layout file being read, for log lines.
    std::string loadingFile;
    // The text file the "TextFile" text widgets show; they load it again whenever it changes.
    std::string currentTextFile;

private:
    // Input and the frame walk the menus; a reload asked for meanwhile waits until the walk ends.
    class DispatchScope {
    public:
        explicit DispatchScope(UISystem& owner) : owner(owner) { ++owner.dispatchDepth; }
        ~DispatchScope();
        DispatchScope(const DispatchScope&) = delete;
        DispatchScope& operator=(const DispatchScope&) = delete;

    private:
        UISystem& owner;
    };

    void RegisterMenuCommands();
    void RegisterHelpTopicCommands();
    void RegisterStoryCommands();
    void ShowHistory();
    void ShowRescueText();
    UIMenu* MakeHelpButtonMenu(const std::string& topic);
    void HideHelpButton(UIMenu* button);
    void MoveWidgetY(const std::vector<std::string>& args);
    void CalculateUserVar(const std::vector<std::string>& args);
    void RegisterUserVars();
    void ReadMenuFile(const std::string& path, bool reload);
    void DeleteReplacedMenu(UIMenu* old);
    void ForgetPointersInto(const UIMenu* menu);
    void FindHelpBoxes();
    void RelinkMenus();
    void SetCovenantDir();
    void SendWidgetCommand(const std::vector<std::string>& args);
    void SendMenuCommand(const std::vector<std::string>& args);
    static bool AnyShownFullScreen(const std::vector<UIMenu*>& list);
    void LoadLookShaders();
    bool NumbersHiddenForRaid() const;
    void SetCursor(int32_t cursor);
    void DrawHelpMenu(UIMenu* menu, float seconds);
    bool IsHelpButton(const UIMenu* menu) const;
    // The shown window, other than the in-game screen and the help boxes' menus, shows a picture
    // or words at the point, or hides all.
    bool WindowHides(const UIMenu& menu, float x, float y) const;
    bool IsVarOn(int32_t index) const;

    std::vector<UIMenu*> menus;
    std::vector<std::string> helpTopicNames;
    std::vector<std::string> nextHelpTopics;
    std::string startHelpTopic;
    // Made once a topic, kept in `menus` too, never deleted before the system.
    std::vector<UIMenu*> helpButtonMenus;
    std::deque<UIMenu*> menuStack;
    // The entries above the one RemoveMenu takes out; empty between operations.
    std::deque<UIMenu*> stackScratch;
    std::vector<UIMenu*> activeMenus;
    mutable std::vector<UIMenu*> fullScreenTestMenus;
    // The menus drawn, whose boxes a notice keeps clear of; kept for its room.
    mutable std::vector<UIMenu*> boxMenus;
    // What the frame walks, so that a command run meanwhile may rebuild the active list.
    std::vector<UIMenu*> frameMenus;
    ResourceHandle highlightShader;
    bool tooltipOfWorld = false;
    ResourceHandle glowShader;
    int32_t dispatchDepth = 0;
    bool reloadPending = false;
    bool unbuiltKindLogged[32] = {};
    std::vector<UserVarRef> userVars;
    UiGameView noGame;
    UiGameView* gameView = nullptr;
    int32_t currentCursor = 1;
    int32_t busyFrames = 0;
    bool setUp = false;
};

extern UISystem* gUISystem;
