// UIWidget -- the base of every menu element: a textured rectangle with text, looks driven by conditions, command lists run on clicks and hot keys, a user var and a tooltip.
#include "ui/UIWidget.h"

#include "audio/SoundInstance.h"
#include "audio/SoundSystem.h"
#include "core/ColorSystem.h"
#include "core/CommandSystem.h"
#include "core/DebugSystem.h"
#include "core/LocSystem.h"
#include "core/StringUtil.h"
#include "core/UserVarSystem.h"
#include "core/VirtualKeys.h"
#include "core/system/TimerSystem.h"
#include "render/TextMeasure.h"
#include "resources/ResourceManager.h"
#include "resources/fonts/ScreenText.h"
#include "resources/shaders/ShaderLookup.h"
#include "resources/shaders/ShaderTextures.h"
#include "resources/textures/TextureResource.h"
#include "rules/GameData.h"
#include "ui/UIMenu.h"
#include "ui/UISystem.h"
#include "ui/UiGameView.h"

#include <cmath>

namespace {

// The white of the hot-key label and the selected colour's table entry.
constexpr int32_t kUIWidgetSelectedColor = 1;
constexpr int32_t kUIWidgetHelpColor = 8;
constexpr int32_t kUIWidgetPopColor = 145;
// Opaque: a line under the words, however bright, does not show through them.
constexpr float kTextBackdropAlpha = 1.0f;
// Units of the backdrop round the words.
constexpr float kTextBackdropMargin = 2.0f;

Color UIWidgetTableColor(int32_t index)
{
    Color color{1.0f, 1.0f, 1.0f};
    ColorSystem::GetColorByIndex(color.r, color.g, color.b, index);
    return color;
}

Color UIWidgetScaled(const Color& color, float factor)
{
    return Color{color.r * factor, color.g * factor, color.b * factor};
}

void UIWidgetPlaySound(const ResourceHandle& sound)
{
    if (!sound.IsValid() || !gSoundSystem || !gSoundSystem->IsInitialised())
        return;
    SoundInstance* channel = gSoundSystem->FindFreeChannel();
    if (!channel)
        return;
    int32_t owner = gUISystem ? gUISystem->GetGameView().GetPlayerEntityNumber() : -1;
    channel->Play(sound, SoundPos{}, owner, -1, false, 0.0f, 0.0f);
}

} // namespace

UIWidget::UIWidget()
{
    color = UIWidgetTableColor(0);
    hoverColor = UIWidgetTableColor(0);
    // The second font of the game's list when it has more than one, else the first.
    if (gGameData && gResourceManager) {
        const std::string& fontName = gGameData->GetTextFontName(1);
        if (!fontName.empty())
            gResourceManager->Load(fontName, font);
    }
}

UIWidget::~UIWidget() = default;

Vector2 UIWidget::GetScreenPosition() const
{
    if (!menu)
        return {position[0], position[1]};
    return {position[0] + menu->position[0], position[1] + menu->position[1]};
}

bool UIWidget::HitTest(float x, float y) const
{
    Vector2 corner = GetScreenPosition();
    float left = corner.x;
    float top = corner.y;
    return left <= x && x <= left + size[0] && top <= y && y <= top + size[1];
}

void UIWidget::GetTextPosition(float textWidth, float textHeight, float& x, float& y) const
{
    Vector2 corner = GetScreenPosition();
    x = corner.x + textOffset[0];
    y = corner.y + textOffset[1];
    if (textAlignment < TextOrientation::Center || textAlignment > TextOrientation::CenterRight)
        return;
    if (size[0] <= 0.0f || size[1] <= 0.0f)
        return;
    y = corner.y + size[1] / 2.0f - textHeight / 2.0f;
    if (textAlignment == TextOrientation::Center)
        x = corner.x + size[0] / 2.0f - textWidth / 2.0f;
    else if (textAlignment == TextOrientation::CenterLeft)
        x = corner.x;
    else
        x = corner.x + size[0] - textWidth;
}

std::string UIWidget::GetMenuName() const
{
    return menu ? menu->name : std::string();
}

void UIWidget::SetTexture(const std::string& newName)
{
    if (newName == textureName && (texture.IsValid() || newName.empty()))
        return;
    texture.Reset();
    textureName = newName;
    if (!newName.empty() && gResourceManager)
        LoadTextureByName(newName, texture,
                          (tiled || tiledToFit) ? TextureUsage::OverlayRepeat : TextureUsage::Overlay);
}

void UIWidget::SetHoverTexture(const std::string& newName)
{
    if (newName == hoverTextureName && (hoverTexture.IsValid() || newName.empty()))
        return;
    hoverTexture.Reset();
    hoverTextureName = newName;
    if (!newName.empty())
        LoadTextureByName(newName, hoverTexture, TextureUsage::Overlay);
}

void UIWidget::SetText(const std::string& newText)
{
    text = newText;
    StringExpandNewlines(text);
}

void UIWidget::RunCommandList(const std::vector<std::string>& lines)
{
    if (menu)
        menu->RunCommandList(lines);
    else
        UISystem::RunCommandList(lines);
}

void UIWidget::HandleWidgetCommand(const std::string& line)
{
    if (menu)
        menu->HandleMenuCommand(line);
    else
        ExecuteCommandLine(line);
}

void UIWidget::PlayHoverSound() const
{
    UIWidgetPlaySound(hoverSound);
}

void UIWidget::PlayClickSound() const
{
    UIWidgetPlaySound(clickSound);
}

void UIWidget::PlayUiSound(const ResourceHandle& sound)
{
    UIWidgetPlaySound(sound);
}

std::string UIWidget::GetUserVarString() const
{
    if (!userVar.IsValid() || !gUserVarSystem || !gUserVarSystem->IsReady())
        return {};
    return userVar.GetString();
}

bool UIWidget::HasKeyFocus() const
{
    return gUISystem && gUISystem->focusWidget == this;
}

// ---- Entities and covenants ----

int32_t UIWidget::GetEntityNumber() const
{
    if (!gUISystem)
        return -1;
    const UiGameView& view = gUISystem->GetGameView();
    if (!view.HasLocalPlayer())
        return -1;
    switch (entityType) {
    case UIEntity::PlayerServer:
    case UIEntity::PlayerClient:
        return view.GetPlayerEntityNumber();
    case UIEntity::Selected:
    case UIEntity::SelectedRecruit:
        return view.GetSelectedEntityNumber();
    case UIEntity::PartyMember:
        return entityIndex < 0 ? -1 : view.GetPartyMember(entityIndex);
    default:
        return -1;
    }
}

bool UIWidget::GetEntity(UiEntityFacts& out) const
{
    int32_t number = GetEntityNumber();
    return number >= 0 && gUISystem->GetGameView().GetEntity(number, out);
}

int32_t UIWidget::GetCovenantIndex() const
{
    if (!gUISystem)
        return -1;
    const UiGameView& view = gUISystem->GetGameView();
    switch (entityType) {
    case UIEntity::PlayerCovenant:
    case UIEntity::PlayerCovenantServer:
        return view.GetPlayerCovenantIndex();
    case UIEntity::EnemyCovenant:
        return entityIndex;
    case UIEntity::SortedCovenantByPower:
        return view.GetCovenantByPower(entityIndex);
    default:
        return -1;
    }
}

bool UIWidget::GetCovenant(UiCovenantFacts& out) const
{
    if (!gUISystem)
        return false;
    int32_t index = GetCovenantIndex();
    if (entityType < UIEntity::PlayerCovenant) {
        UiEntityFacts entity;
        if (!GetEntity(entity))
            return false;
        index = entity.covenant;
    }
    return index >= 0 && gUISystem->GetGameView().GetCovenant(index, out);
}

int32_t UIWidget::GetEntityLevelDifference() const
{
    if (!gUISystem)
        return 0;
    const UiGameView& view = gUISystem->GetGameView();
    UiEntityFacts player;
    if (!view.HasLocalPlayer() || !view.GetEntity(view.GetPlayerEntityNumber(), player))
        return 0;
    UiEntityFacts entity;
    return (GetEntity(entity) ? entity.level : 0) - player.level;
}

std::string UIWidget::GetLocationText() const
{
    constexpr int32_t kLocationAreaNameSource = 19;
    if (GetTextSourceType() != kLocationAreaNameSource || !gUISystem)
        return {};
    const UiGameView& view = gUISystem->GetGameView();
    return view.HasLocalPlayer() ? view.GetPlayerLevelName() : std::string();
}

// ---- Text sources ----

void UIWidget::AddTextSource(int32_t type, const std::string& argument, bool toHighlight)
{
    (toHighlight ? highlightTextSource : textSource).push_back(TextSourceElement{type, -1, argument});
}

bool UIWidget::HasHighlightTextSource() const
{
    return !highlightTextSource.empty() && highlightTextSource.front().type != 0;
}

void UIWidget::RefreshText()
{
    if (textSource.empty() || textSource.front().type == 0)
        return;
    builtText.clear();
    AppendText(textSource, builtText);
    StringExpandNewlines(builtText);
    text.swap(builtText);
}

void UIWidget::ApplyUserVar()
{
    if (userVarApplied)
        return;
    if (userVar.IsValid() && gUserVarSystem && gUserVarSystem->IsReady())
        userVar.SetString(userVarValue);
    userVarApplied = true;
}

// ---- Update, visibility, drawing ----

void UIWidget::Update(float /*seconds*/)
{
    if (colorSource == 1) {
        UiEntityFacts entity;
        if (GetEntity(entity) && entity.hasClass)
            color = entity.classColor;
    } else if (colorSource == 2) {
        UiCovenantFacts covenant;
        if (GetCovenant(covenant))
            color = UIWidgetTableColor(covenant.colorIndex);
    }
    if (parentLinked && parentWidget) {
        position[0] = parentWidget->position[0] + parentLinkOffset[0];
        position[1] = parentWidget->position[1] + parentLinkOffset[1];
    }
}

bool UIWidget::IsVisible() const
{
    if (!visible)
        return false;
    // A loop written in the layout files (parents, or conditions on each other's visibility)
    // ends at its repeat, hidden, instead of recursing forever.
    if (visibilityBusy) {
        if (!loopLogged) {
            loopLogged = true;
            DebugSystem::Print(kPrintWarning, "Widget %s::%s: its visibility depends on itself\n",
                               GetMenuName().c_str(), internalName.c_str());
        }
        return false;
    }
    visibilityBusy = true;
    bool shown = !(parentLinked && parentWidget && !parentWidget->IsVisible());
    if (shown && hideCondition != 0 && EvaluateCondition(hideCondition))
        shown = false;
    if (shown && showCondition != 0)
        shown = EvaluateCondition(showCondition);
    visibilityBusy = false;
    return shown;
}

void UIWidget::FitSizeToTexture()
{
    if (size[0] != 0.0f || size[1] != 0.0f)
        return;
    if (const TextureResource* picture = ShaderTextures::GetShaderTexture(texture)) {
        size[0] = static_cast<float>(picture->GetWidth());
        size[1] = static_cast<float>(picture->GetHeight());
    }
}

bool UIWidget::BlinkAllowsDraw(float& multiplier) const
{
    multiplier = 1.0f;
    if (blinkCondition == 0 || !EvaluateCondition(blinkCondition) || UISystem::IsBlinkOn(0.5f))
        return true;
    multiplier = blinkIntensity;
    return multiplier > 0.0f;
}

void UIWidget::Draw()
{
    if (!IsVisible() || !draw)
        return;
    RefreshText();
    if (!texture.IsValid() && text.empty() && displayText.empty())
        return;
    float multiplier = 1.0f;
    if (!BlinkAllowsDraw(multiplier) || !gScreenText)
        return;
    bool hovered = gUISystem && gUISystem->hoverWidget == this;
    if (!displayText.empty() || !text.empty()) {
        Color shade = color;
        if (hasHoverColor && hovered)
            shade = hoverColor;
        else if ((selectable && selected) || (selectedCondition != 0 && EvaluateCondition(selectedCondition)))
            shade = UIWidgetTableColor(kUIWidgetSelectedColor);
        if (displayText.empty())
            PrepareDrawnText(text);
        else
            PrepareDrawnText(displayText);
        DrawText(GetScreenPosition(), drawnText, UIWidgetScaled(shade, multiplier), useTextBackdrop);
        return;
    }
    DrawTextured(multiplier);
    DrawHotKeyLabel();
}

void UIWidget::PrepareDrawnText(const std::string& source)
{
    if (source == drawnSource && DrawnTextFits())
        return;
    drawnSource = source;
    drawnDisplay.clear();
    FitDrawnText(gLocSystem ? gLocSystem->TranslateToWide(source) : NarrowToWide(source));
}

void UIWidget::PrepareDrawnText(const WString& shown)
{
    if (shown == drawnDisplay && DrawnTextFits())
        return;
    drawnDisplay = shown;
    drawnSource.clear();
    FitDrawnText(shown);
}

bool UIWidget::DrawnTextFits() const
{
    return font == drawnFont && drawnFont != -1 && size[0] == drawnBoxWidth;
}

void UIWidget::FitDrawnText(WString shown)
{
    drawnFont = font;
    drawnBoxWidth = size[0];
    drawnText = std::move(shown);
    // Words longer than the box break into lines inside it rather than run over its frame.
    float room = TextRoom();
    if (wrapText || (room > 0.0f && MeasureTextW(font, drawnText).width > room + 0.5f))
        drawnText = WrapTextW(font.GetValue(), drawnText, wrapText ? size[0] - 2.0f * kTextBackdropMargin : room);
    // A font still loading measures nothing, and would wrap nothing: prepared again next time.
    if (!drawnText.empty() && MeasureTextW(font, drawnText).width <= 0.0f)
        drawnFont = -1;
}

void UIWidget::MeasureShownText(const WString& shown)
{
    if (font == measuredFont && measuredFont != -1 && shown == measuredText)
        return;
    measuredText = shown;
    measuredFont = font;
    TextSize measured = MeasureTextW(font, shown);
    measuredSize[0] = measured.width;
    measuredSize[1] = measured.height;
    // A font still loading measures nothing: measured again next time.
    if (measured.width <= 0.0f && !shown.empty())
        measuredFont = -1;
}

void UIWidget::DrawText(const Vector2& at, const WString& shown, const Color& shade, bool backdrop)
{
    if (!gScreenText)
        return;
    MeasureShownText(shown);
    float x = 0.0f;
    float y = 0.0f;
    GetTextPosition(measuredSize[0], measuredSize[1], x, y);
    Vector2 corner = GetScreenPosition();
    auto left = static_cast<int32_t>(x - corner.x + at.x);
    auto top = static_cast<int32_t>(y - corner.y + at.y);
    if (backdrop)
        DrawTextBackdrop(static_cast<float>(left), static_cast<float>(top));
    gScreenText->DrawText(font, shown, left, top, shade, backdrop, 1.0f);
}

void UIWidget::DrawText(const Vector2& at, const std::string& shown, const Color& shade, bool backdrop)
{
    NarrowToWide(shown, widenedText);
    DrawText(at, widenedText, shade, backdrop);
}

void UIWidget::DrawPlainText(const Vector2& at)
{
    bool hovered = gUISystem && gUISystem->hoverWidget == this;
    DrawText(at, text, hasHoverColor && hovered ? hoverColor : color, useTextBackdrop);
}

float UIWidget::TextRoom() const
{
    if (size[0] <= 0.0f)
        return 0.0f;
    bool centred = textAlignment >= TextOrientation::Center && textAlignment <= TextOrientation::CenterRight &&
                   size[1] > 0.0f;
    return centred ? size[0] : size[0] - textOffset[0];
}

// The dark ground the words are written on: what lies under the widget (a line of the relations
// graph) does not run through them. The glyphs reach a pixel past their measured box.
void UIWidget::DrawTextBackdrop(float x, float y) const
{
    if (!gUISystem || measuredSize[0] <= 0.0f)
        return;
    gScreenText->DrawShaderRect(gUISystem->GetHighlightShader(), UIWidgetTableColor(0), x - kTextBackdropMargin,
                                y - kTextBackdropMargin, x + measuredSize[0] + kTextBackdropMargin,
                                y + measuredSize[1] + kTextBackdropMargin, kTextBackdropAlpha, false, false, 0);
}

void UIWidget::DrawTextured(float multiplier)
{
    FitSizeToTexture();
    Vector2 corner = GetScreenPosition();
    float x0 = corner.x;
    float y0 = corner.y;
    float x1 = x0 + size[0];
    float y1 = y0 + size[1];
    Color tint = UIWidgetScaled(color, multiplier);
    if (hoverTexture.IsValid() && gUISystem && gUISystem->hoverWidget == this)
        gScreenText->DrawShaderRect(hoverTexture, tint, x0, y0, x1, y1, 1.0f, false, false, 0);
    else
        gScreenText->DrawShaderRect(texture, tint, x0, y0, x1, y1, alpha, tiled, tiledToFit, 0);
    if (!gUISystem)
        return;
    if (DrawsHighlightBox())
        gScreenText->DrawShaderRect(gUISystem->GetHighlightShader(), UIWidgetTableColor(0), x0, y0, x1, y1, 0.75f,
                                    false, false, 0);
    if (glowCondition != 0 && EvaluateCondition(glowCondition)) {
        float seconds = gTimerSystem ? static_cast<float>(gTimerSystem->GetTime()) / 1000.0f : 0.0f;
        float glow = std::max(0.0f, std::sin(2.0f * seconds));
        gScreenText->DrawShaderRect(gUISystem->GetGlowShader(), UIWidgetTableColor(0), x0, y0, x1, y1, glow, false,
                                    false, 0);
    }
}

void UIWidget::DrawHotKeyLabel() const
{
    if (!showHotKey || hotKey == -1 || !gScreenText)
        return;
    gScreenText->DrawTextNarrow(font, GetKeyDisplayName(hotKey), static_cast<int32_t>(GetScreenPosition().x + 2.0f),
                                static_cast<int32_t>(GetScreenPosition().y), Color{1.0f, 1.0f, 1.0f}, false, 1.0f);
}

// ---- Mouse ----

namespace {

bool UIWidgetMouseBound(int32_t code, int32_t button)
{
    return code >= VirtualKeys::kFirstCode && gVirtualKeys && gVirtualKeys->IsBoundTo(code, button, VirtualKeys::kMouse);
}

bool UIWidgetKeyBound(int32_t code, int32_t key)
{
    return code >= VirtualKeys::kFirstCode && gVirtualKeys &&
           gVirtualKeys->IsBoundTo(code, key, VirtualKeys::kKeyboard);
}

} // namespace

bool UIWidget::HandleMouseButton(int32_t button, bool down, int32_t x, int32_t y)
{
    if (!IsVisible())
        return false;
    // A mouse button fires a hot key only through the bindings, never by its number.
    if ((hotKey != -1 || altHotKey != -1) && down &&
        (UIWidgetMouseBound(hotKey, button) || UIWidgetMouseBound(altHotKey, button))) {
        RunClickCommands();
        return true;
    }
    if (!canClick)
        return false;
    if (!down) {
        if (button == clickButton && mouseCanRepeat && repeatArmed) {
            EndMouseRepeat();
            if (gUISystem)
                gUISystem->ClearWidgetPress(this);
        }
        return false;
    }
    if (!HitTest(static_cast<float>(x), static_cast<float>(y)))
        return false;
    if (button == clickButton) {
        if (!verifyProc.empty() && !(gCommandSystem && gCommandSystem->CallVerifyProc(verifyProc))) {
            RunCommandList(failCommands);
            return true;
        }
        RunClickCommands();
        OnActivate();
        if (selectable)
            selected = !selected;
        PlayClickSound();
        if (mouseCanRepeat) {
            if (!repeatArmed)
                BeginMouseRepeat();
            if (gUISystem)
                gUISystem->RecordWidgetPress(this, button);
        }
    } else if (button == 1) {
        RunCommandList(rightClickCommands);
    }
    if (button != 0 && button != 1)
        return false;
    OnClick(button, down, x, y);
    return true;
}

void UIWidget::PressAtCentre(int32_t button, bool down)
{
    HandleMouseButton(button, down, static_cast<int32_t>(GetScreenPosition().x + size[0] * 0.5f),
                      static_cast<int32_t>(GetScreenPosition().y + size[1] * 0.5f));
}

void UIWidget::OnClick(int32_t button, bool down, int32_t /*x*/, int32_t /*y*/)
{
    if (button != 0 || !down || !setVarOnButtonPress || text.empty())
        return;
    if (userVar.IsValid() && gUserVarSystem && gUserVarSystem->IsReady()) {
        std::string value = text;
        StringReplaceAll(value, "$$", "");
        userVar.SetString(value);
    }
}

// ---- Keys ----

bool UIWidget::HandleHotKey(int32_t key, bool down, bool repeat)
{
    if (ignoreRepeatedKeys && repeat)
        return false;
    if (!IsVisible())
        return false;
    if ((hotKey != -1 || altHotKey != -1) && down &&
        (key == hotKey || key == altHotKey || UIWidgetKeyBound(hotKey, key) || UIWidgetKeyBound(altHotKey, key))) {
        RunClickCommands();
        OnActivate();
        return true;
    }
    if (HasKeyFocus())
        return HandleKey(key, down);
    return false;
}

int32_t UIWidget::FindKeyCode(const std::string& keyName)
{
    if (keyName.empty())
        return 2;
    if (gVirtualKeys) {
        int32_t code = gVirtualKeys->FindByName(keyName, true);
        if (code >= 0)
            return code;
    }
    return gLocSystem ? gLocSystem->FindKeyName(keyName, true) : 2;
}

std::string UIWidget::GetKeyDisplayName(int32_t code)
{
    std::string shown = gVirtualKeys ? gVirtualKeys->GetBoundKeyName(code) : std::string();
    if (shown.empty() && gLocSystem && code >= 0 && code < VirtualKeys::kKeyCount)
        shown = gLocSystem->GetKeyName(code);
    return shown;
}

const std::string& UIWidget::GetHotKeyHelp(const std::string& action) const
{
    hotKeyHelp.clear();
    if (hotKey == -1)
        return hotKeyHelp;
    std::string keyName = GetKeyDisplayName(hotKey);
    // "$$", the key and "$$" round a list as long as every token's work buffer takes.
    constexpr auto room = [](std::string_view key) { return key.size() + 4 + kLocWorkBufferBytes; };
    char token[room("PressHotKeyAction")];
    size_t length = action.empty()
                        ? WriteLocToken(token, room("PressHotKey"), "PressHotKey", "%s", keyName.c_str())
                        : WriteLocToken(token, sizeof token, "PressHotKeyAction", "%s %s", keyName.c_str(), action.c_str());
    hotKeyHelp += ColorSystem::MakeColorCode(kUIWidgetHelpColor);
    hotKeyHelp.append(token, length);
    hotKeyHelp += ColorSystem::MakeColorCode(kUIWidgetPopColor);
    return hotKeyHelp;
}

// ---- Tooltip ----

bool UIWidget::GetHelpText(int32_t x, int32_t y, std::string& out, std::string& title)
{
    if (helpBusy) {
        if (!loopLogged) {
            loopLogged = true;
            DebugSystem::Print(kPrintWarning, "Widget %s::%s: its tooltip redirection leads back to it\n",
                               GetMenuName().c_str(), internalName.c_str());
        }
        return false;
    }
    if (!highlightRedirect.empty() && gUISystem) {
        UIWidget* target = gUISystem->FindWidgetByPath(highlightRedirect);
        if (target) {
            helpBusy = true;
            bool answered = target->GetHelpText(x, y, out, title);
            helpBusy = false;
            if (answered)
                return true;
        }
    }
    bool answered = false;
    if (GetTextSourceType() == 12) {
        int32_t difference = GetEntityLevelDifference();
        if (difference <= -5)
            out = "Very easy";
        else if (difference <= -2)
            out = "Easy";
        else if (difference <= 2)
            out = "Average";
        else if (difference <= 4)
            out = "Hard";
        else if (difference == 5)
            out = "Very hard";
        else
            out = "Impossible";
    } else if (!name.empty()) {
        // Written into the caller's room: the tooltip of a button under a still cursor is asked
        // for every frame.
        out = name;
        out += '\n';
        out += GetHotKeyHelp("$$open$$");
        return true;
    }
    if (!highlightText.empty()) {
        out = highlightText;
        answered = true;
    }
    if (HasHighlightTextSource()) {
        if (answered)
            out += "\n";
        AppendText(highlightTextSource, out);
        answered = true;
    }
    return answered || blocksMouse;
}

void UIWidget::GetProtectedZonePosition(float& x, float& y) const
{
    x = protectedZone[0] + (menu ? menu->position[0] : 0.0f);
    y = protectedZone[1] + (menu ? menu->position[1] : 0.0f);
}

// ---- Copies ----

void UIWidget::CopyFrom(const UIWidget& source)
{
    if (&source == this)
        return;
    std::copy(std::begin(source.position), std::end(source.position), position);
    std::copy(std::begin(source.size), std::end(source.size), size);
    texture = source.texture;
    textureName = source.textureName;
    hoverTexture = source.hoverTexture;
    hoverTextureName = source.hoverTextureName;
    glowTexture = source.glowTexture;
    color = source.color;
    colorSource = source.colorSource;
    hoverColor = source.hoverColor;
    hasHoverColor = source.hasHoverColor;
    visible = source.visible;
    draw = source.draw;
    canClick = source.canClick;
    mouseCanRepeat = source.mouseCanRepeat;
    hotKey = source.hotKey;
    altHotKey = source.altHotKey;
    showHotKey = source.showHotKey;
    menu = source.menu;
    parentWidget = source.parentWidget;
    parentWidgetPath = source.parentWidgetPath;
    text = source.text;
    displayText = source.displayText;
    std::copy(std::begin(source.textOffset), std::end(source.textOffset), textOffset);
    textSource = source.textSource;
    highlightTextSource = source.highlightTextSource;
    userVar = source.userVar;
    setVarOnButtonPress = source.setVarOnButtonPress;
    userVarValue = source.userVarValue;
    userVarApplied = source.userVarApplied;
    name = source.name;
    internalName = source.internalName;
    showCondition = source.showCondition;
    hideCondition = source.hideCondition;
    glowCondition = source.glowCondition;
    blinkCondition = source.blinkCondition;
    selectedCondition = source.selectedCondition;
    conditionText = source.conditionText;
    blinkIntensity = source.blinkIntensity;
    entityType = source.entityType;
    entityIndex = source.entityIndex;
    selectable = source.selectable;
    selected = source.selected;
    drawOrder = source.drawOrder;
    clickButton = source.clickButton;
    ignoreRepeatedKeys = source.ignoreRepeatedKeys;
    highlightBackgroundAlpha = source.highlightBackgroundAlpha;
    highlightText = source.highlightText;
    textAlignment = source.textAlignment;
    clickSound = source.clickSound;
    hoverSound = source.hoverSound;
    commands = source.commands;
    rightClickCommands = source.rightClickCommands;
    failCommands = source.failCommands;
    subMenuIndex = source.subMenuIndex;
    showHighlightInfo = source.showHighlightInfo;
    font = source.font;
    useTextBackdrop = source.useTextBackdrop;
    wrapText = source.wrapText;
    tiled = source.tiled;
    tiledToFit = source.tiledToFit;
    verifyProc = source.verifyProc;
    blocksMouse = source.blocksMouse;
    alpha = source.alpha;
    subMenuTab = source.subMenuTab;
    highlightRedirect = source.highlightRedirect;
    hasProtectedZone = source.hasProtectedZone;
    std::copy(std::begin(source.protectedZone), std::end(source.protectedZone), protectedZone);
    repeatArmed = source.repeatArmed;
    parentLinked = source.parentLinked;
    std::copy(std::begin(source.parentLinkOffset), std::end(source.parentLinkOffset), parentLinkOffset);
    unlockName = source.unlockName;
}
