// UITextInput -- a one-line edit field: takes the key focus when clicked, appends typed characters under its rules, mirrors them into its user var and hands Enter and Tab on.
#include "ui/widgets/UITextInput.h"

#include "core/StringUtil.h"
#include "core/TextParser.h"
#include "core/UserVarSystem.h"
#include "core/VirtualKeys.h"
#include "core/system/InputSystem.h"
#include "ui/UISystem.h"

namespace {

constexpr int32_t kTextInputEscape = 1;
constexpr int32_t kTextInputBackspace = 14;
constexpr int32_t kTextInputTab = 15;
constexpr int32_t kTextInputEnter = 28;
constexpr int32_t kTextInputPadEnter = 156;

// The console's key is the console's whichever field holds the focus: a player who has filled in
// a form opens the console over it (to join another's game), and no field takes the key as text.
bool UITextInputIsConsoleKey(int32_t key)
{
    return gVirtualKeys && gVirtualKeys->IsBoundTo(gVirtualKeys->FindByName("VirtualToggleConsole", true), key,
                                                   VirtualKeys::kKeyboard);
}

} // namespace

UITextInput::UITextInput()
{
    canClick = true;
    // Held keys repeat.
    ignoreRepeatedKeys = false;
}

UITextInput::~UITextInput() = default;

bool UITextInput::HasValue() const
{
    return userVar.IsValid() && gUserVarSystem && gUserVarSystem->IsReady();
}

void UITextInput::Update(float seconds)
{
    UIWidget::Update(seconds);
    // The field shows changes made to its user var elsewhere (a name drawn at random).
    if (HasValue()) {
        std::string value = userVar.GetString();
        if (value != inputText)
            ForgetRefusal();
        inputText = std::move(value);
    }
    text = inputText;
    if (HasKeyFocus())
        text += UISystem::GetBlinkCursor();
    StringExpandNewlines(text);
}

void UITextInput::OnClick(int32_t button, bool down, int32_t /*x*/, int32_t /*y*/)
{
    if (button == 0 && down && gUISystem)
        gUISystem->focusWidget = this;
}

bool UITextInput::Accepts(char c) const
{
    if (c == '\t' && !allowTabs)
        return false;
    if (onlyAllowNumbers && (c < '0' || c > '9'))
        return false;
    return maxCharacters <= 0 || static_cast<int32_t>(inputText.size()) < maxCharacters;
}

bool UITextInput::HandleKey(int32_t key, bool down)
{
    if (UITextInputIsConsoleKey(key))
        return false;
    if (!down)
        return true;
    // The keyboard layout's character, shifted while a Shift key is held.
    char c = gInputSystem ? gInputSystem->GetCharForKey(key) : 0;
    if (key == kTextInputEscape)
        return false;
    if (key == kTextInputBackspace) {
        if (!inputText.empty())
            inputText.pop_back();
    } else if (key == kTextInputEnter || key == kTextInputPadEnter) {
        UIWidget* target = enterRedirect.empty() || !gUISystem ? nullptr : gUISystem->FindWidgetByPath(enterRedirect);
        if (target)
            target->PressAtCentre(0, true);
    } else if (key == kTextInputTab && !tabRedirect.empty()) {
        UIWidget* target = gUISystem ? gUISystem->FindWidgetByPath(tabRedirect) : nullptr;
        if (target)
            gUISystem->focusWidget = target;
    } else if (c != 0) {
        if (!Accepts(c))
            return true;
        inputText += c;
    }
    if (HasValue() && userVar.GetString() != inputText) {
        userVar.SetString(inputText);
        ForgetRefusal();
    }
    return true;
}

void UITextInput::ForgetRefusal() const
{
    if (!gUserVarSystem || !gUserVarSystem->IsReady() || gUserVarSystem->GetStringByName("LastError").empty())
        return;
    // Mended: a letter typed in any field took away a refusal about another ("your covenant needs
    // a name" went as the character's name was typed); the refusal names the field it is about.
    if (!StringEqualsNoCase(gUserVarSystem->GetStringByName("LastErrorField"), userVar.GetName()))
        return;
    gUserVarSystem->SetStringByName("LastError", "");
}

bool UITextInput::ReadProperty(const std::string& key, TextParser& parser)
{
    if (StringEqualsNoCase(key, "onlyAllowNumbers")) {
        onlyAllowNumbers = parser.GetBool(false);
        return false;
    }
    if (StringEqualsNoCase(key, "allowTabs")) {
        allowTabs = parser.GetBool(false);
        return false;
    }
    if (StringEqualsNoCase(key, "enterRedirect")) {
        enterRedirect = parser.ReadString(false);
        return false;
    }
    if (StringEqualsNoCase(key, "tabRedirect")) {
        tabRedirect = parser.ReadString(false);
        return false;
    }
    if (StringEqualsNoCase(key, "maxCharacters")) {
        maxCharacters = parser.GetInt(false);
        return false;
    }
    return UIWidget::ReadProperty(key, parser);
}

void UITextInput::CopyFrom(const UIWidget& source)
{
    UIWidget::CopyFrom(source);
    const auto* field = dynamic_cast<const UITextInput*>(&source);
    if (!field || field == this)
        return;
    inputText = field->inputText;
    onlyAllowNumbers = field->onlyAllowNumbers;
    allowTabs = field->allowTabs;
    enterRedirect = field->enterRedirect;
    tabRedirect = field->tabRedirect;
    maxCharacters = field->maxCharacters;
}
