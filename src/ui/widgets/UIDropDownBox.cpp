// UIDropDownBox -- a one-line box showing which provider choice a user var holds; clicked, it opens into a scrolling list of the choices and writes the one taken to the var.
#include "ui/widgets/UIDropDownBox.h"

#include "core/ColorSystem.h"
#include "core/StringUtil.h"
#include "core/TextParser.h"
#include "core/UserVarSystem.h"
#include "core/system/InputSystem.h"
#include "resources/ResourceManager.h"
#include "resources/fonts/ScreenText.h"
#include "resources/shaders/ShaderLookup.h"
#include "rules/GameData.h"
#include "ui/UIMenu.h"
#include "ui/UISystem.h"
#include "ui/widgets/UIScrollBar.h"

#include <algorithm>

namespace {

Color DropDownBoxPlainColor()
{
    Color color{1.0f, 1.0f, 1.0f};
    ColorSystem::GetColorByIndex(color.r, color.g, color.b, 0);
    return color;
}

// Whole rows in a span; a layout's huge size stays within what a choice index can hold.
int32_t DropDownBoxWholeRows(float rows)
{
    constexpr float kDropDownBoxMaxRows = 1 << 24;
    return rows > 0.0f ? static_cast<int32_t>(std::min(rows, kDropDownBoxMaxRows)) : 0;
}

} // namespace

UIDropDownBox::UIDropDownBox()
{
    canClick = true;
    if (!gResourceManager)
        return;
    LoadTextureByName("Textures/UI/scrollbar_downarrow.tga", arrowTexture, TextureUsage::Overlay);
    LoadTextureByName("Textures/UI/dropdown_bg.tga", boxTexture, TextureUsage::Overlay);
    LoadTextureByName("Textures/UI/dropdown_menu.tga", openTexture, TextureUsage::Overlay);
    std::string soundName = gGameData ? gGameData->GetNameById("SoundNameUISelect") : std::string();
    if (!soundName.empty())
        gResourceManager->Load(soundName, selectSound);
}

UIDropDownBox::~UIDropDownBox()
{
    // The client must not keep pointing at a destroyed widget.
    if (gClientApp && gClientApp->GetOpenDropDown() == this)
        gClientApp->SetOpenDropDown(nullptr);
}

// ---- Choices ----

void UIDropDownBox::Fill()
{
    choices.clear();
    if (!infoProc.empty() && gCommandSystem)
        gCommandSystem->CallInfoProc(infoProc, choices);
    for (ListEntry& choice : choices)
        if (choice.value.empty())
            choice.value = choice.name;
    if (scrollBar)
        scrollBar->SetRange(static_cast<int32_t>(choices.size()), GetVisibleRows());
}

int32_t UIDropDownBox::GetVisibleRows() const
{
    if (baseSize[1] <= 0.0f)
        return 0;
    // A "maxSize" lower than "baseSize" shows no rows rather than a negative count.
    return DropDownBoxWholeRows((maxSize[1] - baseSize[1]) / baseSize[1]);
}

int32_t UIDropDownBox::GetFirstVisible() const
{
    return scrollBar ? scrollBar->position : 0;
}

int32_t UIDropDownBox::GetLastVisible() const
{
    int32_t last = GetFirstVisible() + GetVisibleRows() - 1;
    return std::min(last, static_cast<int32_t>(choices.size()) - 1);
}

int32_t UIDropDownBox::GetChoiceAt(float x, float y) const
{
    if (baseSize[1] <= 0.0f)
        return -1;
    float left = GetScreenPosition().x;
    float rowsTop = GetScreenPosition().y + baseSize[1];
    if (x < left || x > left + baseSize[0] || y < rowsTop || y > rowsTop + maxSize[1])
        return -1;
    int32_t choice = GetFirstVisible() + DropDownBoxWholeRows((y - rowsTop) / baseSize[1]);
    return choice <= GetLastVisible() ? choice : -1;
}

std::string UIDropDownBox::GetShownText() const
{
    if (!userVar.IsValid() || !gUserVarSystem || !gUserVarSystem->IsReady())
        return {};
    std::string value = userVar.GetString();
    for (const ListEntry& choice : choices)
        if (StringEqualsNoCase(choice.value, value))
            return choice.name;
    return {};
}

// ---- Opening, taking and closing ----

void UIDropDownBox::Open()
{
    size[0] = maxSize[0];
    size[1] = maxSize[1];
    isOpen = true;
    selected = true;
    if (scrollBar)
        scrollBar->SetVisible(true);
    if (gClientApp && gClientApp->GetOpenDropDown() != this)
        gClientApp->SetOpenDropDown(this);
}

void UIDropDownBox::Close()
{
    size[0] = baseSize[0];
    size[1] = baseSize[1];
    isOpen = false;
    selected = false;
    if (scrollBar)
        scrollBar->SetVisible(false);
    if (gClientApp && gClientApp->GetOpenDropDown() == this)
        gClientApp->SetOpenDropDown(nullptr);
}

void UIDropDownBox::Take(int32_t choice)
{
    if (userVar.IsValid() && gUserVarSystem && gUserVarSystem->IsReady())
        userVar.SetString(choices[static_cast<size_t>(choice)].value);
    RunCommandList(selectCommands);
    PlayUiSound(selectSound);
}

void UIDropDownBox::OnClick(int32_t button, bool down, int32_t /*x*/, int32_t /*y*/)
{
    if (button != 0 || !down)
        return;
    if (!isOpen) {
        Open();
        return;
    }
    if (scrollBar && scrollBar->IsVisible() && gInputSystem &&
        scrollBar->HandleMouseButton(button, down, gInputSystem->GetCursorX(), gInputSystem->GetCursorY()))
        return;
    int32_t choice = gInputSystem ? GetChoiceAt(static_cast<float>(gInputSystem->GetCursorX()),
                                                static_cast<float>(gInputSystem->GetCursorY()))
                                  : -1;
    // Closed first: a select line may reload the menus and destroy this box.
    Close();
    if (choice >= 0)
        Take(choice);
}

bool UIDropDownBox::OnDropDownPress(int32_t button, bool down)
{
    int32_t x = gInputSystem ? gInputSystem->GetCursorX() : 0;
    int32_t y = gInputSystem ? gInputSystem->GetCursorY() : 0;
    if (!down) {
        // A drag of the scroll bar's thumb ends with the release.
        if (scrollBar && scrollBar->IsVisible())
            scrollBar->HandleMouseButton(button, down, x, y);
        return true;
    }
    OnClick(button, down, x, y);
    return true;
}

// ---- Frames and drawing ----

void UIDropDownBox::Update(float seconds)
{
    UIWidget::Update(seconds);
    if (refreshEachFrame)
        Fill();
}

void UIDropDownBox::Draw()
{
    if (!IsVisible() || !gScreenText)
        return;
    float x = GetScreenPosition().x;
    float y = GetScreenPosition().y;
    Color plain = DropDownBoxPlainColor();
    const ResourceHandle& background = isOpen ? openTexture : boxTexture;
    gScreenText->DrawShaderRect(background, plain, x, y, x + size[0], y + size[1], 1.0f, false, false, 0);
    gScreenText->DrawTextNarrow(font, GetShownText(), static_cast<int32_t>(x), static_cast<int32_t>(y), plain,
                                useTextBackdrop, 1.0f);
    float arrowLeft = x + baseSize[0] - arrowSize;
    gScreenText->DrawShaderRect(arrowTexture, plain, arrowLeft, y, arrowLeft + arrowSize, y + arrowSize, 1.0f, false,
                                false, 0);
    if (!isOpen)
        return;
    int32_t hovered = -1;
    if (gInputSystem && gUISystem && gUISystem->hoverWidget == this)
        hovered = GetChoiceAt(static_cast<float>(gInputSystem->GetCursorX()),
                              static_cast<float>(gInputSystem->GetCursorY()));
    float rowY = y + baseSize[1];
    for (int32_t choice = GetFirstVisible(); choice >= 0 && choice <= GetLastVisible(); ++choice) {
        gScreenText->DrawTextNarrow(font, choices[static_cast<size_t>(choice)].name, static_cast<int32_t>(x),
                                    static_cast<int32_t>(rowY), choice == hovered ? hoverColor : plain,
                                    useTextBackdrop, 1.0f);
        rowY += baseSize[1];
    }
}

// ---- Attaching, layout and copies ----

void UIDropDownBox::OnAttach()
{
    if (!menu)
        return;
    size[0] = baseSize[0];
    size[1] = baseSize[1];
    arrowSize = baseSize[1];
    float place[2] = {position[0] + maxSize[0] - kScrollBarWidth, position[1] + baseSize[1]};
    float extent[2] = {kScrollBarWidth, std::max(0.0f, maxSize[1] - baseSize[1])};
    scrollBar = UIScrollBar::MakeFor(*this, place, extent);
    scrollBar->SetVisible(false);
    // Filled now as well: a menu read with "visible 1" was shown before its widgets existed.
    Fill();
}

bool UIDropDownBox::ReadProperty(const std::string& key, TextParser& parser)
{
    const std::string& file = gUISystem ? gUISystem->loadingFile : std::string();
    if (StringEqualsNoCase(key, "baseSize")) {
        baseSize[0] = ReadLayoutFloat(parser, file);
        baseSize[1] = ReadLayoutFloat(parser, file);
    } else if (StringEqualsNoCase(key, "maxSize")) {
        maxSize[0] = ReadLayoutFloat(parser, file);
        maxSize[1] = ReadLayoutFloat(parser, file);
    } else if (StringEqualsNoCase(key, "infoProc")) {
        infoProc = parser.ReadString(false);
    } else if (StringEqualsNoCase(key, "refreshEachFrame")) {
        refreshEachFrame = parser.GetBool(false);
    } else if (StringEqualsNoCase(key, "addSelectCommand")) {
        selectCommands.push_back(parser.ReadString(false));
    } else {
        return UIWidget::ReadProperty(key, parser);
    }
    return false;
}

void UIDropDownBox::CopyFrom(const UIWidget& source)
{
    UIWidget::CopyFrom(source);
    const auto* other = dynamic_cast<const UIDropDownBox*>(&source);
    if (!other || other == this)
        return;
    arrowTexture = other->arrowTexture;
    boxTexture = other->boxTexture;
    openTexture = other->openTexture;
    std::copy(std::begin(other->baseSize), std::end(other->baseSize), baseSize);
    std::copy(std::begin(other->maxSize), std::end(other->maxSize), maxSize);
    arrowSize = other->arrowSize;
    infoProc = other->infoProc;
    choices.clear();
    for (const ListEntry& choice : other->choices)
        choices.push_back(choice);
    // The copy makes its own scroll bar when it joins a menu, and starts closed with no claim.
    scrollBar = nullptr;
    refreshEachFrame = other->refreshEachFrame;
    isOpen = false;
    selected = false;
    size[0] = baseSize[0];
    size[1] = baseSize[1];
    selectCommands = other->selectCommands;
    selectSound = other->selectSound;
}
