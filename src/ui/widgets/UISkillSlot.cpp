// UISkillSlot -- one skill of the local player on screen: its icon, cool-down sweep, level and next price, used by a right click or the hot key, dragged to quick-use slots, raised in the "IncreaseSkill" mode.
#include "ui/widgets/UISkillSlot.h"

#include "client/ClientApp.h"
#include "client/PlayerClient.h"
#include "core/ColorSystem.h"
#include "core/EngineEnums.h"
#include "core/StringUtil.h"
#include "core/TextParser.h"
#include "render/ImmediateDraw.h"
#include "resources/ResourceManager.h"
#include "resources/fonts/ScreenText.h"
#include "resources/shaders/ShaderLookup.h"
#include "rules/skills/SkillDefinition.h"
#include "ui/UIMenu.h"
#include "ui/UISystem.h"
#include "ui/UiNameTables.h"

namespace {

constexpr int32_t kSkillSlotWhite = 0;
constexpr int32_t kSkillSlotUnaffordable = 1;
constexpr int32_t kSkillSlotAffordable = 2;
constexpr int32_t kSkillSlotOutline = 61;
constexpr int32_t kSkillSlotDim = 148;
// Textures of the slot load with these flags.
constexpr int32_t kSkillSlotTextureUsage = 6;

Color SkillSlotColor(int32_t index)
{
    Color color{1.0f, 1.0f, 1.0f};
    ColorSystem::GetColorByIndex(color.r, color.g, color.b, index);
    return color;
}

PlayerClient* SkillSlotPlayer()
{
    auto* player = gClientApp ? dynamic_cast<PlayerClient*>(gClientApp->GetLink()) : nullptr;
    return player && player->GetEntityNumber() >= 0 ? player : nullptr;
}

} // namespace

UISkillSlot::UISkillSlot()
{
    canClick = true;
    showHotKey = true;
    // No button runs the click list: presses reach the slot only through OnClick.
    clickButton = 6;
    if (!gResourceManager)
        return;
    LoadTextureByName("Textures/outline.tga", outline, kSkillSlotTextureUsage);
    LoadTextureByName("Textures/white.tga", sweep, TextureUsage::Overlay);
}

UISkillSlot::~UISkillSlot() = default;

bool UISkillSlot::ReadProperty(const std::string& key, TextParser& parser)
{
    if (StringEqualsNoCase(key, "skillIndex")) {
        skillTree = parser.GetInt(false);
        skillIndex = parser.GetInt(false);
        return false;
    }
    int32_t* numbers[] = {&minPointsToShow, &maxPointsToShow};
    const char* numberKeys[] = {"minPointsToShow", "maxPointsToShow"};
    for (size_t i = 0; i < std::size(numbers); ++i)
        if (StringEqualsNoCase(key, numberKeys[i])) {
            *numbers[i] = parser.GetInt(false);
            return false;
        }
    bool* flags[] = {&canPickup, &iconOnly, &hideNumbers, &manaHint, &fullDisplay};
    const char* flagKeys[] = {"canPickup", "iconOnly", "hideNumbers", "manaHint", "fullDisplay"};
    for (size_t i = 0; i < std::size(flags); ++i)
        if (StringEqualsNoCase(key, flagKeys[i])) {
            *flags[i] = parser.GetBool(false);
            return false;
        }
    if (StringEqualsNoCase(key, "outlineShader")) {
        outline.Reset();
        if (gResourceManager)
            LoadTextureByName(parser.ReadString(false), outline, kSkillSlotTextureUsage);
        return false;
    }
    return UIWidget::ReadProperty(key, parser);
}

void UISkillSlot::CopyFrom(const UIWidget& source)
{
    UISlotBase::CopyFrom(source);
    const auto* slot = dynamic_cast<const UISkillSlot*>(&source);
    if (!slot || slot == this)
        return;
    skillTree = slot->skillTree;
    skillIndex = slot->skillIndex;
    skill = slot->skill;
    cachedLevel = slot->cachedLevel;
    canPickup = slot->canPickup;
    minPointsToShow = slot->minPointsToShow;
    maxPointsToShow = slot->maxPointsToShow;
    iconOnly = slot->iconOnly;
    hideNumbers = slot->hideNumbers;
    manaHint = slot->manaHint;
    outline = slot->outline;
    sweep = slot->sweep;
}

// ---- The skill ----

SkillClient* UISkillSlot::FindSkill() const
{
    PlayerClient* player = SkillSlotPlayer();
    if (!player || skillTree < 0 || skillIndex < 0)
        return nullptr;
    return dynamic_cast<SkillClient*>(player->GetSkillList().FindSkill(skillTree, skillIndex));
}

void UISkillSlot::GetSlotRef(int32_t& kind, int32_t& a, int32_t& b) const
{
    kind = 1;
    a = skillTree;
    b = skillIndex;
}

void UISkillSlot::SetSlotRef(int32_t tree, int32_t skillIndexInTree)
{
    skillTree = tree;
    skillIndex = skillIndexInTree;
}

void UISkillSlot::Update(float seconds)
{
    UIWidget::Update(seconds);
    PlayerClient* player = SkillSlotPlayer();
    if (!player)
        return;
    skill = FindSkill();
    cachedLevel = skill ? skill->GetLevel() : -1;
    if (!skill || !skill->definition) {
        SetTexture("Textures/black.tga");
        return;
    }
    PlaceInTree();
    SetTexture(skill->definition->textureName);
    int32_t cost = skill->definition->GetPowerAtLevel(cachedLevel);
    bool dim = fullDisplay && !IsDragged() ? manaHint && player->GetStat(CharacterStat::Power) < cost
                                           : !(cachedLevel > 0 && skill->IsReady());
    color = SkillSlotColor(dim ? kSkillSlotDim : kSkillSlotWhite);
}

void UISkillSlot::PlaceInTree()
{
    if (!fullDisplay || drawnAtCursor || skill->definition->hardCodedLocation || !menu)
        return;
    float width = 0.0f;
    float height = 0.0f;
    menu->GetSize(width, height);
    position[0] = skill->layoutX * width - size[0] / 2.0f;
    position[1] = skill->layoutY * height - size[1] / 2.0f;
}

bool UISkillSlot::IsVisible() const
{
    return UIWidget::IsVisible() && FindSkill() != nullptr;
}

// ---- Drawing ----

void UISkillSlot::Draw()
{
    if (!IsVisible() || !SkillSlotPlayer() || !skill || !gScreenText)
        return;
    int32_t level = skill->GetLevel();
    if ((minPointsToShow != -1 && level < minPointsToShow) || (maxPointsToShow != -1 && level > maxPointsToShow))
        return;
    UIWidget::Draw();
    if (iconOnly)
        return;
    float x = GetScreenX();
    float y = GetScreenY();
    float share = skill->IsReady() ? 0.0f : skill->GetReuseFraction();
    if (share > 0.0f) {
        Color black = SkillSlotColor(10);
        gScreenText->DrawShaderWith(
            sweep,
            [&](ShaderBatch& batch) { ImmediateDraw::AppendPieQuad(batch, x, y, size[0], size[1], black, 0.75f, share); },
            0);
    }
    if (level <= 0)
        return;
    gScreenText->DrawShaderRect(outline, SkillSlotColor(kSkillSlotOutline), x, y, x + size[0], y + size[1], 1.0f,
                                false, false, 0);
    DrawNumbers();
}

void UISkillSlot::DrawNumbers()
{
    if (!fullDisplay || IsDragged() || hideNumbers || !skill->definition || skill->definition->basicSkill)
        return;
    float x = GetScreenX();
    float y = GetScreenY();
    int32_t level = skill->GetLevel();
    gScreenText->DrawTextNarrow(font, StringFormat("%d", level), static_cast<int32_t>(x),
                                static_cast<int32_t>(y + size[1] - 7.0f), SkillSlotColor(kSkillSlotWhite), true, 1.0f);
    int32_t maximum = skill->GetMaxLevel();
    int32_t price = maximum == 0 || level < maximum ? skill->GetCostForLevel(level) : 0;
    PlayerClient* player = SkillSlotPlayer();
    if (price <= 0 || !player)
        return;
    bool short_ = player->GetStat(CharacterStat::SkillPointsLeft) < price;
    gScreenText->DrawTextNarrow(font, StringFormat("%d", price), static_cast<int32_t>(x + size[0] + 6.0f),
                                static_cast<int32_t>(y + size[1] / 2.0f),
                                SkillSlotColor(short_ ? kSkillSlotUnaffordable : kSkillSlotAffordable), true, 1.0f);
}

// ---- Clicks ----

void UISkillSlot::OnClick(int32_t button, bool down, int32_t /*x*/, int32_t /*y*/)
{
    if (!down)
        return;
    if (button == 1) {
        OnActivate();
        return;
    }
    if (button != 0 || !gUISystem)
        return;
    if (gUISystem->uiMode == UIMode::IncreaseSkill) {
        Client::QueueServerCommand(StringFormat("increaseSkill %d %d ", skillTree, skillIndex));
        return;
    }
    if (dynamic_cast<UISkillSlot*>(gUISystem->dragWidget)) {
        gUISystem->dragWidget = nullptr;
        return;
    }
    if (FindSkill() && canPickup)
        gUISystem->dragWidget = this;
}

void UISkillSlot::OnActivate()
{
    PlayerClient* player = SkillSlotPlayer();
    if (player && skillTree >= 0 && skillIndex >= 0)
        player->UseSkill(skillTree, skillIndex, nullptr);
}
