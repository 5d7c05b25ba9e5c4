// UIWidgetProperties -- the layout keywords every widget reads from its block of a menu file.
#include "ui/UIWidget.h"

#include "core/ColorSystem.h"
#include "core/DebugSystem.h"
#include "core/EnumTable.h"
#include "core/LocSystem.h"
#include "core/StringUtil.h"
#include "core/TextParser.h"
#include "core/UserVarSystem.h"
#include "core/VirtualKeys.h"
#include "resources/ResourceManager.h"
#include "resources/shaders/ShaderLookup.h"
#include "rules/GameData.h"
#include "ui/UIMenu.h"
#include "ui/UISystem.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <iterator>

namespace {

// Tested in this order; the position is the keyword's number below.
constexpr const char* kWidgetKeywords[] = {
    "texture", "hoverTexture", "glowTexture", "position", "size", "text", "color", "hoverColor",
    "useDefaultHoverColor", "canClick", "mouseCanRepeat", "addCommand", "addRightClickCommand", "addFailCommand",
    "hotKey", "altHotKey", "name", "showCondition", "hideCondition", "blinkCondition", "blinkIntensity",
    "glowCondition", "selectedCondition", "conditionText", "textSource", "entityType", "entityIndex", "colorSource",
    "selectable", "startsSelected", "internalName", "userVar", "parentWidget", "setVarOnButtonPress", "drawOrder",
    "highlightBackgroundAlpha", "highlightText", "highlightTextSource", "textAlignment", "subMenuIndex",
    "textOffset", "clickSound", "hoverSound", "showHighlightInfo", "font", "useTextBackdrop", "draw", "tiled",
    "tiledToFit", "verifyProc", "blocksMouse", "alpha", "subMenuTab", "highlightRedirect",
    "highlightProtectedZone", "parentLinked", "unlockName", "ignoreRepeatedKeys", "showHotKey", "}",
};
static_assert(std::size(kWidgetKeywords) == 60, "59 keywords and the closing brace");

enum WidgetKeyword : int32_t {
    kKeyTexture, kKeyHoverTexture, kKeyGlowTexture, kKeyPosition, kKeySize, kKeyText, kKeyColor, kKeyHoverColor,
    kKeyUseDefaultHoverColor, kKeyCanClick, kKeyMouseCanRepeat, kKeyAddCommand, kKeyAddRightClickCommand,
    kKeyAddFailCommand, kKeyHotKey, kKeyAltHotKey, kKeyName, kKeyShowCondition, kKeyHideCondition,
    kKeyBlinkCondition, kKeyBlinkIntensity, kKeyGlowCondition, kKeySelectedCondition, kKeyConditionText,
    kKeyTextSource, kKeyEntityType, kKeyEntityIndex, kKeyColorSource, kKeySelectable, kKeyStartsSelected,
    kKeyInternalName, kKeyUserVar, kKeyParentWidget, kKeySetVarOnButtonPress, kKeyDrawOrder,
    kKeyHighlightBackgroundAlpha, kKeyHighlightText, kKeyHighlightTextSource, kKeyTextAlignment, kKeySubMenuIndex,
    kKeyTextOffset, kKeyClickSound, kKeyHoverSound, kKeyShowHighlightInfo, kKeyFont, kKeyUseTextBackdrop, kKeyDraw,
    kKeyTiled, kKeyTiledToFit, kKeyVerifyProc, kKeyBlocksMouse, kKeyAlpha, kKeySubMenuTab, kKeyHighlightRedirect,
    kKeyHighlightProtectedZone, kKeyParentLinked, kKeyUnlockName, kKeyIgnoreRepeatedKeys, kKeyShowHotKey,
    kKeyCloseBrace,
};

const std::string& WidgetLoadingFile()
{
    static const std::string kWidgetNoFile;
    return gUISystem ? gUISystem->loadingFile : kWidgetNoFile;
}

float WidgetReadFloat(TextParser& parser)
{
    return UIWidget::ReadLayoutFloat(parser, WidgetLoadingFile());
}

void WidgetReadVector(TextParser& parser, float (&out)[2])
{
    UIWidget::ReadLayoutVector(parser, WidgetLoadingFile(), out);
}

bool WidgetReadBool(TextParser& parser)
{
    return parser.GetBool(false);
}

int32_t WidgetReadEnum(TextParser& parser, const char* table)
{
    return EnumTable::LookupIn(table, parser.ReadString(false));
}

Color WidgetDefaultHoverColor()
{
    return gUISystem ? gUISystem->settings.defaultHoverColor : Color{};
}

int32_t WidgetReadKey(TextParser& parser)
{
    std::string keyName = parser.ReadString(false);
    bool known = (gVirtualKeys && gVirtualKeys->FindByName(keyName, true) >= 0) ||
                 (gLocSystem && gLocSystem->FindKeyName(keyName, false) >= 0);
    if (!known)
        DebugSystem::Print(kPrintWarning, "%s line %d: unknown hot key name \"%s\" stands for key 2\n",
                           WidgetLoadingFile().c_str(), parser.GetLineNumber(), keyName.c_str());
    return UIWidget::FindKeyCode(keyName);
}

// A "Fonts" position names a game font, used as it stands; any other name becomes a path in the
// folder the game keeps its fonts in.
std::string WidgetFontPath(const std::string& token)
{
    int32_t fontType = EnumTable::Find("FontType") ? EnumTable::Find("FontType")->IndexOf(token) : -1;
    if (fontType > 0)
        return gGameData ? gGameData->GetTextFontName(fontType) : std::string();
    std::string path = StringToLower(token);
    if (path.empty())
        return path;
    if (!StringStartsWithNoCase(path, "textures/fonts/"))
        path = "textures/fonts/" + path;
    EnsureExtension(path, "fnt");
    return path;
}

// The sources whose following word is their text argument, never a number.
bool WidgetSourceTakesArgument(int32_t type)
{
    static constexpr int32_t kWidgetArgumentSources[] = {14, 42, 52, 54, 57, 58, 73, 74, 75,
                                                         76, 80, 87, 88, 89, 90, 91, 95, 96};
    return std::find(std::begin(kWidgetArgumentSources), std::end(kWidgetArgumentSources), type) !=
           std::end(kWidgetArgumentSources);
}

// The next value of the line as narrow text; empty when the line has no more. A bare "}" is
// no value: it is left for the widget's block to end on, so a closing brace written on the
// line cannot take the next widget into this one.
std::string WidgetNextValue(TextParser& parser)
{
    ParsedToken token;
    if (!parser.NextToken(token, false))
        return {};
    if (!token.quoted && token.text == "}") {
        DebugSystem::Print(kPrintWarning, "%s line %d: the text source line ends at \"}\"\n",
                           WidgetLoadingFile().c_str(), parser.GetLineNumber());
        parser.PutBack(token);
        return {};
    }
    return std::string(token.text);
}

} // namespace

void UIWidget::ParseTextSource(TextParser& parser, std::vector<TextSourceElement>& list)
{
    std::string word = WidgetNextValue(parser);
    while (!word.empty()) {
        TextSourceElement element;
        element.type = EnumTable::LookupIn("UITextSource", word);
        word = WidgetNextValue(parser);
        if (!word.empty()) {
            if (WidgetSourceTakesArgument(element.type)) {
                element.argument = word;
                word = WidgetNextValue(parser);
            } else if (StringIsNumber(word)) {
                element.param = static_cast<int32_t>(std::strtol(word.c_str(), nullptr, 10));
                word = WidgetNextValue(parser);
            }
        }
        list.push_back(std::move(element));
    }
}

namespace {

float WidgetFiniteOrZero(float value, TextParser& parser, const std::string& path)
{
    if (std::isfinite(value))
        return value;
    DebugSystem::Print(kPrintWarning, "%s line %d: a layout number that is not finite reads as 0\n", path.c_str(),
                       parser.GetLineNumber());
    return 0.0f;
}

} // namespace

float UIWidget::ReadLayoutFloat(TextParser& parser, const std::string& path)
{
    float value = 0.0f;
    parser.ReadFloat(value, false);
    return WidgetFiniteOrZero(value, parser, path);
}

void UIWidget::ReadLayoutVector(TextParser& parser, const std::string& path, float (&out)[2])
{
    float x = 0.0f;
    float y = 0.0f;
    parser.GetVector2(x, y, false);
    out[0] = WidgetFiniteOrZero(x, parser, path);
    out[1] = WidgetFiniteOrZero(y, parser, path);
}

bool UIWidget::ReadProperties(TextParser& parser)
{
    std::string token;
    while (parser.NextToken(token)) {
        if (ReadProperty(token, parser))
            return true;
    }
    return false;
}

bool UIWidget::ReadProperty(const std::string& key, TextParser& parser)
{
    int32_t index = -1;
    for (int32_t i = 0; i < static_cast<int32_t>(std::size(kWidgetKeywords)); ++i) {
        if (StringEqualsNoCase(key, kWidgetKeywords[i])) {
            index = i;
            break;
        }
    }
    if (index == kKeyCloseBrace)
        return true;
    if (index < 0) {
        DebugSystem::Print(kPrintDeveloper, "Unknown widget parm %s\n", key.c_str());
        return false;
    }
    if (!ReadLookKeyword(index, parser) && !ReadBehaviourKeyword(index, parser))
        ReadLayoutKeyword(index, parser);
    return false;
}

// Pictures, colours, text and placement.
bool UIWidget::ReadLookKeyword(int32_t index, TextParser& parser)
{
    switch (index) {
    case kKeyTexture: SetTexture(parser.ReadString(false)); return true;
    case kKeyHoverTexture: SetHoverTexture(parser.ReadString(false)); return true;
    case kKeyGlowTexture: {
        std::string glowName = parser.ReadString(false);
        glowTexture.Reset();
        LoadTextureByName(glowName, glowTexture, 6);
        return true;
    }
    case kKeyPosition: WidgetReadVector(parser, position); return true;
    case kKeySize: WidgetReadVector(parser, size); return true;
    case kKeyText:
        SetText(parser.ReadString(false));
        hoverColor = WidgetDefaultHoverColor();
        hasHoverColor = true;
        return true;
    case kKeyColor: color = ParseColor(parser.ReadString(false)); return true;
    case kKeyHoverColor:
        hoverColor = ParseColor(parser.ReadString(false));
        hasHoverColor = true;
        return true;
    case kKeyUseDefaultHoverColor:
        hoverColor = WidgetDefaultHoverColor();
        hasHoverColor = true;
        return true;
    case kKeyBlinkIntensity: blinkIntensity = WidgetReadFloat(parser); return true;
    case kKeyTextSource: ParseTextSource(parser, textSource); return true;
    case kKeyHighlightTextSource: ParseTextSource(parser, highlightTextSource); return true;
    case kKeyColorSource: colorSource = WidgetReadEnum(parser, "UIColorSource"); return true;
    case kKeyHighlightBackgroundAlpha: highlightBackgroundAlpha = WidgetReadFloat(parser); return true;
    case kKeyHighlightText:
        highlightText = parser.ReadString(false);
        StringExpandNewlines(highlightText);
        return true;
    case kKeyTextAlignment: textAlignment = WidgetReadEnum(parser, "TextOrientation"); return true;
    case kKeyTextOffset: WidgetReadVector(parser, textOffset); return true;
    case kKeyFont: SetFont(parser.ReadString(false)); return true;
    case kKeyUseTextBackdrop: useTextBackdrop = WidgetReadBool(parser); return true;
    case kKeyDraw: draw = WidgetReadBool(parser); return true;
    case kKeyTiled: tiled = WidgetReadBool(parser); return true;
    case kKeyTiledToFit: tiledToFit = WidgetReadBool(parser); return true;
    case kKeyAlpha: alpha = WidgetReadFloat(parser); return true;
    case kKeyShowHotKey: showHotKey = WidgetReadBool(parser); return true;
    default: return false;
    }
}

// Clicks, keys, commands, conditions and the user var.
bool UIWidget::ReadBehaviourKeyword(int32_t index, TextParser& parser)
{
    switch (index) {
    case kKeyCanClick: canClick = WidgetReadBool(parser); return true;
    case kKeyMouseCanRepeat: mouseCanRepeat = WidgetReadBool(parser); return true;
    case kKeyAddCommand: commands.push_back(parser.ReadString(false)); return true;
    case kKeyAddRightClickCommand: rightClickCommands.push_back(parser.ReadString(false)); return true;
    case kKeyAddFailCommand: failCommands.push_back(parser.ReadString(false)); return true;
    case kKeyHotKey: hotKey = WidgetReadKey(parser); return true;
    case kKeyAltHotKey: altHotKey = WidgetReadKey(parser); return true;
    case kKeyShowCondition: showCondition = WidgetReadEnum(parser, "UICondition"); return true;
    case kKeyHideCondition: hideCondition = WidgetReadEnum(parser, "UICondition"); return true;
    case kKeyBlinkCondition: blinkCondition = WidgetReadEnum(parser, "UICondition"); return true;
    case kKeyGlowCondition: glowCondition = WidgetReadEnum(parser, "UICondition"); return true;
    case kKeySelectedCondition: selectedCondition = WidgetReadEnum(parser, "UICondition"); return true;
    case kKeyConditionText: conditionText = parser.ReadString(false); return true;
    case kKeySelectable: selectable = WidgetReadBool(parser); return true;
    case kKeyStartsSelected: selected = true; return true;
    case kKeyUserVar: {
        std::string varName = parser.ReadString(false);
        userVarValue = parser.ReadString(false);
        if (!varName.empty() && gUserVarSystem)
            userVar = gUserVarSystem->RegisterVar(varName, "", true);
        if (!userVarValue.empty())
            userVarApplied = false;
        return true;
    }
    case kKeySetVarOnButtonPress: setVarOnButtonPress = WidgetReadBool(parser); return true;
    case kKeyVerifyProc: verifyProc = parser.ReadString(false); return true;
    case kKeyBlocksMouse: blocksMouse = WidgetReadBool(parser); return true;
    case kKeyIgnoreRepeatedKeys: ignoreRepeatedKeys = WidgetReadBool(parser); return true;
    case kKeyClickSound: {
        std::string soundName = parser.ReadString(false);
        clickSound.Reset();
        if (!soundName.empty() && gResourceManager)
            gResourceManager->Load(soundName, clickSound);
        return true;
    }
    case kKeyHoverSound: {
        std::string soundName = parser.ReadString(false);
        hoverSound.Reset();
        if (!soundName.empty() && gResourceManager)
            gResourceManager->Load(soundName, hoverSound);
        return true;
    }
    default: return false;
    }
}

// Names, entities, links and the order in the menu.
bool UIWidget::ReadLayoutKeyword(int32_t index, TextParser& parser)
{
    switch (index) {
    case kKeyName: name = parser.ReadString(false); return true;
    case kKeyEntityType: entityType = WidgetReadEnum(parser, "UIEntity"); return true;
    case kKeyEntityIndex: entityIndex = parser.GetInt(false); return true;
    case kKeyInternalName: internalName = parser.ReadString(false); return true;
    case kKeyParentWidget: {
        parentWidgetPath = parser.ReadString(false);
        parentWidget = gUISystem ? gUISystem->FindWidgetByPath(parentWidgetPath) : nullptr;
        return true;
    }
    case kKeyDrawOrder:
        drawOrder = WidgetReadFloat(parser);
        if (menu)
            menu->ResortWidget(this);
        return true;
    case kKeySubMenuIndex: subMenuIndex = parser.GetInt(false); return true;
    case kKeyShowHighlightInfo: showHighlightInfo = WidgetReadBool(parser); return true;
    case kKeySubMenuTab: subMenuTab = WidgetReadBool(parser); return true;
    case kKeyHighlightRedirect: highlightRedirect = parser.ReadString(false); return true;
    case kKeyHighlightProtectedZone:
        for (float& value : protectedZone)
            value = WidgetReadFloat(parser);
        hasProtectedZone = true;
        return true;
    case kKeyParentLinked:
        WidgetReadVector(parser, parentLinkOffset);
        parentLinked = true;
        return true;
    case kKeyUnlockName: unlockName = parser.ReadString(false); return true;
    default: return false;
    }
}

void UIWidget::SetFont(const std::string& token)
{
    std::string path = WidgetFontPath(token);
    if (path.empty() || !gResourceManager)
        return;
    font.Reset();
    gResourceManager->Load(path, font);
}
