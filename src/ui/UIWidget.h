// UIWidget -- the base of every menu element: a textured rectangle with text, looks driven by conditions, command lists run on clicks and hot keys, a user var and a tooltip.
#pragma once

#include "core/BaseClass.h"
#include "core/Color.h"
#include "core/StringUtil.h"
#include "core/UserVarRef.h"
#include "core/Vector.h"
#include "resources/ResourceHandle.h"
#include "ui/UiNameTables.h"

#include <cstdint>
#include <string>
#include <vector>

class TextParser;
class UIMenu;
struct UiEntityFacts;
struct UiCovenantFacts;

// One piece of a text-source list: a source, its whole-number parameter (-1 when none) and its text argument.
struct TextSourceElement {
    int32_t type = 0;
    int32_t param = -1;
    std::string argument;
};

// Main thread. Made by the UI system's factory, filled by ReadProperties, owned by its menu.
class UIWidget : public BaseClass {
public:
    UIWidget();
    ~UIWidget() override;
    UIWidget(const UIWidget&) = delete;
    UIWidget& operator=(const UIWidget&) = delete;

    // ---- Overridable operations ----
    virtual void Draw();
    // The colour source and the parent link.
    virtual void Update(float seconds);
    // After the click list or the hot key ran.
    virtual void OnActivate() {}
    // Each time the widget's menu is shown (firstTime: the menu's first show).
    virtual void OnMenuShown(bool /*firstTime*/) {}
    virtual void SetVisible(bool on) { visible = on; }
    virtual bool HandleMouseButton(int32_t button, bool down, int32_t x, int32_t y);
    virtual bool HandleMouseWheel(bool /*up*/) { return false; }
    // HandleMouseButton at the widget's centre.
    virtual void PressAtCentre(int32_t button, bool down);
    // Keys for the focused widget.
    virtual bool HandleKey(int32_t /*key*/, bool /*down*/) { return false; }
    virtual void OnClick(int32_t button, bool down, int32_t x, int32_t y);
    virtual bool DrawsHighlightBox() const { return false; }
    virtual bool HasKeyFocus() const;
    virtual void RefreshText();
    virtual void ApplyUserVar();
    virtual void OnMenuHidden() {}
    virtual bool GetHelpText(int32_t x, int32_t y, std::string& text, std::string& title);
    // The local player's notification; the base does nothing with it.
    virtual void Notify(int32_t /*value*/) {}
    virtual void OnPlayerChanged() {}
    // Refreshes the widget's content ("refreshWidget", the menu's refresh); slot widgets fill it.
    virtual void Reload() {}
    virtual bool IsVisible() const;
    // Once in its menu.
    virtual void OnAttach() {}
    // The drag of this widget ended over no menu.
    virtual void OnDropOutside() {}
    // One layout keyword; true for the block's "}".
    virtual bool ReadProperty(const std::string& key, TextParser& parser);
    virtual bool IsMaxed() const { return false; }
    // The area the local player stands in when the first text source is "AreaName"; a slot's
    // item answers with its history ("showHistory").
    virtual std::string GetLocationText() const;
    virtual bool AcceptDrop(UIWidget* /*dropped*/) { return false; }
    virtual void HandleWidgetCommand(const std::string& line);
    virtual bool ShowsModel() const { return false; }
    // Hot keys, then the focused widget's HandleKey.
    virtual bool HandleHotKey(int32_t key, bool down, bool repeat);
    // The tooltip box kind answers true, so a search that skips help boxes passes it.
    virtual bool IsHelpBox() const { return false; }
    // A widget another widget made for itself (a text's scroll bar): a copy of the menu leaves it
    // out, as the copied owner makes its own.
    virtual bool IsMadeByOwner() const { return false; }
    // A default-made widget of the same kind, for cloning; kinds that clone as a plain widget keep this.
    virtual UIWidget* NewOfSameKind() const { return new UIWidget(); }
    // Every base field in declaration order; handles counted.
    virtual void CopyFrom(const UIWidget& source);
    // True keeps the live effects running while the game is paused (a widget that shows them).
    virtual bool WantsEffects() const { return false; }

    // ---- Layout reading ----
    // The keywords of a block whose "{" the caller has read, until "}" or the end of the text.
    // False when the text ended before "}".
    bool ReadProperties(TextParser& parser);

    // ---- Plain operations ----
    void SetTexture(const std::string& name);
    void SetHoverTexture(const std::string& name);
    void SetText(const std::string& newText);
    void SetSelected(bool on) { selected = on; }
    // The widget's corner on the screen: its position plus its menu's, when it is in one.
    Vector2 GetScreenPosition() const;
    // Both edges inclusive.
    bool HitTest(float x, float y) const;
    // Where text of that size starts by the alignment.
    void GetTextPosition(float textWidth, float textHeight, float& x, float& y) const;
    void RunCommandList(const std::vector<std::string>& lines);
    void RunClickCommands() { RunCommandList(commands); }
    std::string GetMenuName() const;
    void PlayHoverSound() const;
    void PlayClickSound() const;
    // Once, tied to the local player, when sound is on.
    static void PlayUiSound(const ResourceHandle& sound);
    std::string GetUserVarString() const;
    // The entity the widget refers to by its entity type; false for none.
    bool GetEntity(UiEntityFacts& out) const;
    bool GetCovenant(UiCovenantFacts& out) const;
    int32_t GetEntityNumber() const;
    int32_t GetCovenantIndex() const;
    int32_t GetEntityLevelDifference() const;
    bool HasHighlightTextSource() const;
    // One piece, with no number, at the end of the widget's text list, or of its tooltip's.
    void AddTextSource(int32_t type, const std::string& argument, bool toHighlight = false);
    int32_t GetTextSourceType() const { return textSource.empty() ? 0 : textSource.front().type; }
    std::string GetTextSourceText() const { return textSource.empty() ? std::string() : textSource.front().argument; }
    // The pieces' texts joined with nothing between; nothing is cached, every build reads the game.
    std::string BuildText(const std::vector<TextSourceElement>& list) const;
    // The same, added to the end of the text.
    void AppendText(const std::vector<TextSourceElement>& list, std::string& out) const;
    // One piece added to the end of the text: nothing when what it reads is missing, or its fixed text.
    void BuildSourceText(int32_t type, int32_t param, const std::string& argument, std::string& out) const;
    void BeginMouseRepeat() { repeatArmed = true; }
    void EndMouseRepeat() { repeatArmed = false; }
    void GetProtectedZonePosition(float& x, float& y) const;
    void DrawHotKeyLabel() const;
    // The text measured with the widget's font and placed by the alignment as though the widget's
    // corner stood at `at`, then drawn at whole units with the font at scale 1; the backdrop
    // under it when asked. The narrow form is widened byte by byte.
    void DrawText(const Vector2& at, const WString& shown, const Color& shade, bool backdrop);
    void DrawText(const Vector2& at, const std::string& shown, const Color& shade, bool backdrop);
    // `text` at `at` in the hover colour while the widget is hovered (when it has one), else in
    // its colour; the backdrop when the widget uses one.
    void DrawPlainText(const Vector2& at);
    // Built in the widget's own room, which the next call reuses: a tooltip resting on a button
    // asks for it every frame.
    const std::string& GetHotKeyHelp(const std::string& action) const;
    // The value of one "UICondition" for this widget.
    bool EvaluateCondition(int32_t condition) const;
    // The widget's width and height as drawn (a 0 x 0 widget takes its texture's size at its first draw).
    void FitSizeToTexture();

    // A key name: a bindable action's code (index + 256), else a key of "keyNames.loc", else 2.
    static int32_t FindKeyCode(const std::string& name);
    static std::string GetKeyDisplayName(int32_t code);
    // One layout number from a menu file's line; a missing one is 0, and so is one that is not
    // finite (logged with the file's path).
    static float ReadLayoutFloat(TextParser& parser, const std::string& path);
    // Two layout numbers from the same line, read and checked as ReadLayoutFloat reads one.
    static void ReadLayoutVector(TextParser& parser, const std::string& path, float (&out)[2]);
    // The rest of a "textSource" line appended to the list: source names, each with its number or
    // text argument.
    static void ParseTextSource(TextParser& parser, std::vector<TextSourceElement>& list);

    // ---- Fields, in declaration order ----
    float position[2] = {0.0f, 0.0f};
    float size[2] = {0.0f, 0.0f};
    ResourceHandle texture;
    std::string textureName;
    ResourceHandle hoverTexture;
    std::string hoverTextureName;
    ResourceHandle glowTexture;
    Color color;
    int32_t colorSource = 0;
    Color hoverColor;
    bool hasHoverColor = false;
    bool visible = true;
    bool draw = true;
    bool canClick = false;
    bool mouseCanRepeat = false;
    int32_t hotKey = -1;
    int32_t altHotKey = -1;
    bool showHotKey = false;
    UIMenu* menu = nullptr;
    UIWidget* parentWidget = nullptr;
    // The "menu::widget" path the parent was named by, to find it again after a reload.
    std::string parentWidgetPath;
    std::string text;
    // The text as drawn, translated already (a subclass's lines in view, a help box's wrapped
    // words): drawn in place of `text` when not empty.
    WString displayText;
    float textOffset[2] = {0.0f, 0.0f};
    std::vector<TextSourceElement> textSource;
    std::vector<TextSourceElement> highlightTextSource;
    UserVarRef userVar;
    bool setVarOnButtonPress = false;
    std::string userVarValue;
    bool userVarApplied = true;
    std::string name;
    std::string internalName;
    int32_t showCondition = 0;
    int32_t hideCondition = 0;
    int32_t glowCondition = 0;
    int32_t blinkCondition = 0;
    int32_t selectedCondition = 0;
    std::string conditionText;
    float blinkIntensity = 0.0f;
    int32_t entityType = 0;
    int32_t entityIndex = -1;
    bool selectable = false;
    bool selected = false;
    float drawOrder = 0.0f;
    // When its menu last placed it (a count kept by the menu): among equal draw orders the
    // widget placed last comes first.
    uint64_t placement = 0;
    int32_t clickButton = 0;
    bool ignoreRepeatedKeys = true;
    float highlightBackgroundAlpha = 0.75f;
    std::string highlightText;
    int32_t textAlignment = 0;
    ResourceHandle clickSound;
    ResourceHandle hoverSound;
    std::vector<std::string> commands;
    std::vector<std::string> rightClickCommands;
    std::vector<std::string> failCommands;
    int32_t subMenuIndex = -1;
    bool showHighlightInfo = true;
    ResourceHandle font;
    bool useTextBackdrop = false;
    // The words broken into lines no wider than the widget (less the backdrop's margins), so
    // that a long text stays in its box; a word wider than that breaks where it overflows.
    bool wrapText = false;
    bool tiled = false;
    bool tiledToFit = false;
    std::string verifyProc;
    bool blocksMouse = true;
    float alpha = 1.0f;
    bool subMenuTab = false;
    std::string highlightRedirect;
    bool hasProtectedZone = false;
    float protectedZone[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    bool repeatArmed = false;
    bool parentLinked = false;
    float parentLinkOffset[2] = {0.0f, 0.0f};
    std::string unlockName;
    // Set while the UI system draws the dragged widget at the cursor.
    bool drawnAtCursor = false;

    // The width the text has from where it starts to the box's right edge; 0 or less for a
    // widget of no size.
    float TextRoom() const;

protected:
    // The text as last drawn: translated and measured again only when its source changes, so a
    // steady menu draws without allocating.
    std::string drawnSource;
    // Or the display text it was prepared from, when that was drawn.
    WString drawnDisplay;
    // The text the last refresh built, kept with its room: a text rebuilt every frame is built
    // here and changes places with the widget's text, and the heap is not touched.
    std::string builtText;
    WString drawnText;
    int32_t drawnFont = -1;
    // The text last measured, with its font and size: a steady text is measured once.
    WString measuredText;
    float measuredSize[2] = {0.0f, 0.0f};
    int32_t measuredFont = -1;
    // Where a narrow text is widened to be drawn, kept so that drawing it does not allocate.
    WString widenedText;
    float drawnBoxWidth = 0.0f;
    // Loop guards for parents, conditions and tooltip redirections that lead back to the widget.
    mutable bool visibilityBusy = false;
    mutable bool helpBusy = false;
    // GetHotKeyHelp's answer, kept with its room.
    mutable std::string hotKeyHelp;
    mutable bool loopLogged = false;

private:
    bool ReadLayoutKeyword(int32_t index, TextParser& parser);
    bool ReadLookKeyword(int32_t index, TextParser& parser);
    bool ReadBehaviourKeyword(int32_t index, TextParser& parser);
    void SetFont(const std::string& token);
    bool BlinkAllowsDraw(float& multiplier) const;
    void DrawTextured(float multiplier);
    void DrawTextBackdrop(float x, float y) const;
    void MeasureShownText(const WString& shown);
    // The text translated (a narrow source) or as it stands (the display text), wrapped to the box.
    void PrepareDrawnText(const std::string& source);
    void PrepareDrawnText(const WString& shown);
    bool DrawnTextFits() const;
    void FitDrawnText(WString shown);
    bool EvaluateGameCondition(int32_t condition) const;
    bool EvaluatePlayerCondition(int32_t condition) const;
    bool EvaluateCovenantCondition(int32_t condition) const;
    bool EvaluateProfileCondition(int32_t condition) const;
    bool EvaluateWidgetCondition(int32_t condition) const;
    bool EvaluateSelectedCondition(int32_t condition) const;
    bool EvaluateDataCondition(int32_t condition) const;
    std::string GetNameValue() const;
    void BuildEntityLevelText(std::string& out) const;
    void BuildCovenantRankText(std::string& out) const;
    // The covenant pieces (UIWidgetCovenantSources.cpp); the covenant of a widget that names an
    // entity is the entity's.
    int32_t GetSourceCovenantIndex() const;
    void BuildCovenantSourceText(int32_t type, std::string& out) const;
    // The game pieces (UIWidgetGameSources.cpp).
    std::string BuildGameSourceText(int32_t type, int32_t param) const;
    // The player's pieces (UIWidgetPlayerSources.cpp): hover names, the timed action, the version,
    // the level, a skill's name and the tomes on the shelf.
    std::string BuildPlayerSourceText(int32_t type, int32_t param) const;
    // The profile's pieces (UIWidgetProfileSources.cpp).
    std::string BuildProfileText(int32_t type, const std::string& argument) const;
    // The quest and NPC talk sources: slot titles and texts, the offered and solved quests, the
    // NPC's line and the quest with the least time left.
    std::string BuildQuestText(int32_t type, int32_t param) const;
    std::string BuildPotentialQuestText() const;
};
