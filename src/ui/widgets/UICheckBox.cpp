// UICheckBox -- a 16 x 16 box that shows and flips the boolean in its user var, with its text to the right.
#include "ui/widgets/UICheckBox.h"

#include "core/ColorSystem.h"
#include "core/UserVarSystem.h"
#include "rules/GameData.h"
#include "resources/ResourceManager.h"
#include "resources/fonts/ScreenText.h"
#include "resources/shaders/ShaderLookup.h"
#include "ui/UISystem.h"

namespace {

constexpr float kCheckBoxSide = 16.0f;
// The text starts this far right of the box's corner.
constexpr float kCheckBoxTextIndent = 20.0f;

Color CheckBoxTableColor(int32_t index)
{
    Color color{1.0f, 1.0f, 1.0f};
    ColorSystem::GetColorByIndex(color.r, color.g, color.b, index);
    return color;
}

} // namespace

UICheckBox::UICheckBox()
{
    canClick = true;
    if (gUISystem) {
        hoverColor = gUISystem->settings.defaultHoverColor;
        hasHoverColor = true;
    }
    if (!gResourceManager)
        return;
    LoadTextureByName("Textures/UI/checkbox_uncheck.tga", boxTexture, TextureUsage::Overlay);
    LoadTextureByName("Textures/UI/checkbox.tga", tickTexture, TextureUsage::Overlay);
    std::string soundName = gGameData ? gGameData->GetNameById("SoundNameUISelect") : std::string();
    if (!soundName.empty())
        gResourceManager->Load(soundName, clickSound);
}

UICheckBox::~UICheckBox() = default;

bool UICheckBox::IsTicked() const
{
    return userVar.IsValid() && gUserVarSystem && gUserVarSystem->IsReady() && userVar.GetInt() != 0;
}

void UICheckBox::Draw()
{
    if (!IsVisible() || !gScreenText)
        return;
    Vector2 corner = GetScreenPosition();
    float x = corner.x;
    float y = corner.y;
    Color plain = CheckBoxTableColor(0);
    gScreenText->DrawShaderRect(boxTexture, plain, x, y, x + kCheckBoxSide, y + kCheckBoxSide, 1.0f, false, false, 0);
    if (IsTicked())
        gScreenText->DrawShaderRect(tickTexture, plain, x, y, x + kCheckBoxSide, y + kCheckBoxSide, 1.0f, false, false,
                                    0);
    RefreshText();
    if (!text.empty())
        DrawPlainText({x + kCheckBoxTextIndent, y});
}

void UICheckBox::OnClick(int32_t button, bool down, int32_t /*x*/, int32_t /*y*/)
{
    if (!IsVisible() || button != 0 || !down || !userVar.IsValid() || !gUserVarSystem || !gUserVarSystem->IsReady())
        return;
    userVar.SetString(userVar.GetBool() ? "0" : "1");
}

void UICheckBox::CopyFrom(const UIWidget& source)
{
    UIWidget::CopyFrom(source);
    const auto* box = dynamic_cast<const UICheckBox*>(&source);
    if (!box || box == this)
        return;
    boxTexture = box->boxTexture;
    tickTexture = box->tickTexture;
}
