// UIListButton -- a button that runs its command with the value selected in a list.
#include "ui/widgets/UIListButton.h"

#include "core/StringUtil.h"
#include "core/TextParser.h"
#include "ui/UIMenu.h"
#include "ui/UISystem.h"
#include "ui/widgets/UIList.h"

UIListButton::UIListButton()
{
    canClick = true;
}

UIListButton::~UIListButton() = default;

UIList* UIListButton::GetList() const
{
    if (listPath.empty())
        return nullptr;
    UIWidget* found = nullptr;
    if (listPath.find("::") == std::string::npos)
        found = menu ? menu->FindWidget(listPath) : nullptr;
    else if (gUISystem)
        found = gUISystem->FindWidgetByPath(listPath);
    return dynamic_cast<UIList*>(found);
}

void UIListButton::OnClick(int32_t button, bool /*down*/, int32_t /*x*/, int32_t /*y*/)
{
    if (button != 0)
        return;
    UIList* list = GetList();
    std::string value;
    if (!list || !list->GetSelectedValue(value))
        return;
    // The value goes unquoted: a value with blanks reaches the command as several words.
    HandleWidgetCommand(listCommand + " " + value);
}

bool UIListButton::ReadProperty(const std::string& key, TextParser& parser)
{
    if (StringEqualsNoCase(key, "listCommand")) {
        listCommand = parser.ReadString(false);
        return false;
    }
    if (StringEqualsNoCase(key, "list")) {
        listPath = parser.ReadString(false);
        return false;
    }
    return UIWidget::ReadProperty(key, parser);
}

void UIListButton::CopyFrom(const UIWidget& source)
{
    UIWidget::CopyFrom(source);
    const auto* other = dynamic_cast<const UIListButton*>(&source);
    if (!other || other == this)
        return;
    listPath = other->listPath;
    listCommand = other->listCommand;
}
