// UIDropDownMenu -- a head line that opens a list of fixed choices below it; taking a choice runs its command line.
#include "ui/widgets/UIDropDownMenu.h"

#include "core/StringUtil.h"
#include "core/TextParser.h"
#include "core/system/InputSystem.h"
#include "render/Renderer.h"
#include "render/TextMeasure.h"
#include "resources/ResourceManager.h"
#include "resources/fonts/ScreenText.h"
#include "rules/GameData.h"
#include "ui/UISystem.h"

#include <algorithm>

UIDropDownMenu::UIDropDownMenu()
{
    canClick = true;
    if (gRenderer)
        listTexture = gRenderer->GetStandardHandle(Renderer::kHandleUiBlack);
    if (!gResourceManager || !gGameData)
        return;
    std::string soundName = gGameData->GetNameById("SoundNameUISelect");
    if (!soundName.empty())
        gResourceManager->Load(soundName, selectSound);
}

UIDropDownMenu::~UIDropDownMenu()
{
    // The client must not keep pointing at a destroyed widget.
    if (gClientApp && gClientApp->GetOpenDropDown() == this)
        gClientApp->SetOpenDropDown(nullptr);
}

int32_t UIDropDownMenu::GetChoiceAt(float y) const
{
    float h = choiceSize[1];
    if (h <= 0.0f)
        return -1;
    float top = GetScreenPosition().y;
    for (int32_t i = 0; i < static_cast<int32_t>(choices.size()); ++i) {
        if (top + static_cast<float>(i + 1) * h < y && y <= top + static_cast<float>(i + 2) * h)
            return i;
    }
    return -1;
}

void UIDropDownMenu::Open()
{
    selected = true;
    size[0] = baseSize[0];
    size[1] = baseSize[1] + static_cast<float>(choices.size()) * choiceSize[1];
    if (gClientApp && gClientApp->GetOpenDropDown() != this)
        gClientApp->SetOpenDropDown(this);
}

void UIDropDownMenu::Close()
{
    selected = false;
    size[0] = baseSize[0];
    size[1] = baseSize[1];
    if (gClientApp && gClientApp->GetOpenDropDown() == this)
        gClientApp->SetOpenDropDown(nullptr);
}

void UIDropDownMenu::OnClick(int32_t button, bool /*down*/, int32_t /*x*/, int32_t /*y*/)
{
    if (button != 0)
        return;
    if (!IsOpen()) {
        Open();
        return;
    }
    float cursorY = gInputSystem ? static_cast<float>(gInputSystem->GetCursorY()) : -1.0f;
    int32_t choice = GetChoiceAt(cursorY);
    if (choice >= 0) {
        // Copied: the command may reload the menus and destroy this widget's choices.
        std::string line = choices[static_cast<size_t>(choice)].command;
        PlayUiSound(selectSound);
        Close();
        HandleWidgetCommand(line);
        return;
    }
    Close();
}

bool UIDropDownMenu::OnDropDownPress(int32_t button, bool down)
{
    if (down && button == 0)
        OnClick(button, down, gInputSystem ? gInputSystem->GetCursorX() : 0,
                gInputSystem ? gInputSystem->GetCursorY() : 0);
    return true;
}

void UIDropDownMenu::Draw()
{
    if (!IsVisible() || !gScreenText)
        return;
    RefreshText();
    Vector2 corner = GetScreenPosition();
    float left = corner.x;
    float top = corner.y;
    float cursorY = -1.0f;
    bool inside = false;
    if (gInputSystem) {
        cursorY = static_cast<float>(gInputSystem->GetCursorY());
        inside = HitTest(static_cast<float>(gInputSystem->GetCursorX()), cursorY);
    }
    if (!IsOpen()) {
        DrawPlainText(corner);
        return;
    }
    float h = choiceSize[1];
    float listWidth = 0.0f;
    for (const DropDownChoice& choice : choices)
        listWidth = std::max(listWidth, MeasureTextA(choice.label, font).width);
    if (listTexture.IsValid() && !choices.empty())
        gScreenText->DrawShaderRect(listTexture, color, left, top + h, left + listWidth,
                                    top + h + static_cast<float>(choices.size()) * h, 1.0f, false, false, 0);
    DrawText(corner, text, color, useTextBackdrop);
    int32_t hovered = inside ? GetChoiceAt(cursorY) : -1;
    for (int32_t i = 0; i < static_cast<int32_t>(choices.size()); ++i) {
        Color shade = i == hovered && hasHoverColor ? hoverColor : color;
        DrawText({left, top + static_cast<float>(i + 1) * h}, choices[static_cast<size_t>(i)].label, shade,
                 useTextBackdrop);
    }
}

bool UIDropDownMenu::ReadProperty(const std::string& key, TextParser& parser)
{
    const std::string& file = gUISystem ? gUISystem->loadingFile : std::string();
    if (StringEqualsNoCase(key, "baseSize")) {
        ReadLayoutVector(parser, file, baseSize);
        size[0] = baseSize[0];
        size[1] = baseSize[1];
        return false;
    }
    if (StringEqualsNoCase(key, "choiceSize")) {
        ReadLayoutVector(parser, file, choiceSize);
        return false;
    }
    if (StringEqualsNoCase(key, "addChoice")) {
        DropDownChoice choice;
        choice.label = parser.ReadString(false);
        choice.command = parser.ReadString(false);
        choices.push_back(std::move(choice));
        return false;
    }
    return UIWidget::ReadProperty(key, parser);
}

void UIDropDownMenu::CopyFrom(const UIWidget& source)
{
    UIWidget::CopyFrom(source);
    const auto* menuSource = dynamic_cast<const UIDropDownMenu*>(&source);
    if (!menuSource || menuSource == this)
        return;
    std::copy(std::begin(menuSource->baseSize), std::end(menuSource->baseSize), baseSize);
    std::copy(std::begin(menuSource->choiceSize), std::end(menuSource->choiceSize), choiceSize);
    choices.clear();
    for (const DropDownChoice& choice : menuSource->choices)
        choices.push_back(choice);
    listTexture = menuSource->listTexture;
    selectSound = menuSource->selectSound;
    // A copy starts closed and holds no claim.
    selected = false;
    size[0] = baseSize[0];
    size[1] = baseSize[1];
}
