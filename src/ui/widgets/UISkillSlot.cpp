// UISkillSlot -- one skill of the local player on screen: its icon, cool-down sweep, level and next price, used by a right click or the hot key, dragged to quick-use slots, raised in the "IncreaseSkill" mode.
#include "ui/widgets/UISkillSlot.h"

#include "client/ClientApp.h"
#include "client/ClientMessages.h"
#include "client/GameClient.h"
#include "client/PlayerClient.h"
#include "core/ColorSystem.h"
#include "core/DatabaseEntry.h"
#include "core/EngineEnums.h"
#include "core/LocSystem.h"
#include "core/StringUtil.h"
#include "core/TextParser.h"
#include "render/Renderer.h"
#include "resources/ResourceManager.h"
#include "resources/fonts/ScreenText.h"
#include "resources/shaders/ScreenPrimitives.h"
#include "resources/shaders/ShaderBatch.h"
#include "resources/shaders/ShaderLookup.h"
#include "rules/CharacterClass.h"
#include "rules/GameData.h"
#include "rules/skills/SkillDefinition.h"
#include "rules/skills/SkillText.h"
#include "rules/statuseffects/StatusEffectBase.h"
#include "ui/UIMenu.h"
#include "ui/UISystem.h"
#include "ui/UiNameTables.h"

#include <cmath>

namespace {

constexpr int32_t kSkillSlotWhite = 0;
constexpr int32_t kSkillSlotUnaffordable = 1;
constexpr int32_t kSkillSlotAffordable = 2;
constexpr int32_t kSkillSlotOutline = 61;
constexpr int32_t kSkillSlotDim = 148;
constexpr int32_t kSkillSlotRed = 1;
constexpr int32_t kSkillSlotPop = 145;
// The enemy's three distraction states a skill may require.
constexpr uint32_t kSkillSlotEnemyDistracted = (1u << EntityState::EnemyMinorDistraction) |
                                               (1u << EntityState::EnemyDecentDistraction) |
                                               (1u << EntityState::EnemyMajorDistraction);
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
    return UISlotBase::GetPlayer();
}

// A player of a game: the set-up's preview player asks the world host for nothing.
PlayerClient* SkillSlotPlayerInGame()
{
    PlayerClient* player = UISlotBase::GetPlayer();
    return player && !player->displayOnly ? player : nullptr;
}

const CharacterClass* SkillSlotClass(const PlayerClient& player)
{
    return gGameData ? gGameData->GetCharacterClass(player.GetStat(CharacterStat::Class)) : nullptr;
}

// A segment one pixel wide as a thin quad across the two points.
void SkillSlotAppendLine(ShaderBatch& batch, float x0, float y0, float x1, float y1, const Color& color)
{
    float dx = x1 - x0;
    float dy = y1 - y0;
    float length = std::sqrt(dx * dx + dy * dy);
    if (!batch.IsActive() || !(length > 0.0f))
        return;
    float nx = -dy / length * 0.5f;
    float ny = dx / length * 0.5f;
    // The writer's triangles are 0 2 1 and 0 3 2: the corners go in reversed after the first, so
    // that the quad keeps its winding.
    const ScreenVertex corners[4] = {
        {x0 + nx, y0 + ny, 0.0f, 0.0f, 0.0f, color, 1.0f},
        {x0 - nx, y0 - ny, 0.0f, 0.0f, 0.0f, color, 1.0f},
        {x1 - nx, y1 - ny, 0.0f, 0.0f, 0.0f, color, 1.0f},
        {x1 + nx, y1 + ny, 0.0f, 0.0f, 0.0f, color, 1.0f},
    };
    ScreenPrimitives::AppendVertexQuad(batch, corners);
}

} // namespace

UISkillSlot::UISkillSlot()
{
    canClick = true;
    showHotKey = true;
    // No button runs the click list: presses reach the slot only through OnClick.
    clickButton = 6;
    // A skill's description is read over the skill page under it: its box hides that wholly.
    highlightBackgroundAlpha = 1.0f;
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
    readyHintShown = slot->readyHintShown;
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

int32_t UISkillSlot::SkillEntryId() const
{
    const DatabaseEntry* entry = skill && skill->definition ? skill->definition->GetEntry() : nullptr;
    return entry ? entry->GetId() : -1;
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
    bool usable = cachedLevel > 0 && skill->IsReady() &&
                  skill->GetUseRefusal(player->stats, player->GetInteractionTarget(), player->statusFlags) ==
                      SkillUse::Usable;
    bool dim = fullDisplay && !IsDragged() ? manaHint && !player->CanPayForSkill(SkillEntryId()) : !usable;
    color = SkillSlotColor(dim ? kSkillSlotDim : kSkillSlotWhite);
    UpdateReadyHint(*player);
}

void UISkillSlot::UpdateReadyHint(PlayerClient& player)
{
    if (!skill->definition->showSkillHint || cachedLevel <= 0)
        return;
    if (!skill->definition->MatchesEntityStates(player.statusFlags)) {
        readyHintShown = false;
        return;
    }
    bool ready = skill->GetRemainingReuseTime() <= 0.0f && player.CanPayForSkill(SkillEntryId());
    if (ready && !readyHintShown) {
        player.QueueUseHint(this, texture.GetValue());
    }
    readyHintShown = ready;
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
    float x = GetScreenPosition().x;
    float y = GetScreenPosition().y;
    float share = skill->IsReady() ? 0.0f : skill->GetReuseFraction();
    if (share > 0.0f) {
        Color black = SkillSlotColor(10);
        Renderer::DrawPieQuad(sweep, black, x, y, size[0], size[1], 0.75f, share);
    }
    if (level > 0) {
        gScreenText->DrawShaderRect(outline, SkillSlotColor(kSkillSlotOutline), x, y, x + size[0], y + size[1], 1.0f,
                                    false, false, 0);
        DrawLevel();
    }
    // The price of the next level shows for a skill not learned yet too.
    DrawPrice();
}

void UISkillSlot::DrawLevel()
{
    if (!fullDisplay || IsDragged() || hideNumbers || !skill->definition || skill->definition->basicSkill)
        return;
    // Centred under the icon on its dark ground, as the slot's own words are placed.
    textAlignment = TextOrientation::Center;
    Vector2 corner = GetScreenPosition();
    DrawText(Vector2{corner.x, corner.y + size[1] - 7.0f}, StringFormat("%d", skill->GetLevel()),
             SkillSlotColor(kSkillSlotWhite), true);
}

void UISkillSlot::DrawPrice()
{
    if (!fullDisplay || IsDragged() || hideNumbers || !skill->definition)
        return;
    int32_t level = skill->GetLevel();
    int32_t maximum = skill->GetMaxLevel();
    int32_t price = maximum == 0 || level < maximum ? skill->GetCostForLevel(level) : 0;
    PlayerClient* player = SkillSlotPlayer();
    if (price > 0 && player && !skill->definition->basicSkill) {
        bool short_ = player->GetStat(CharacterStat::SkillPointsLeft) < price;
        textAlignment = TextOrientation::BottomLeft;
        Vector2 corner = GetScreenPosition();
        DrawText(Vector2{corner.x + size[0] + 6.0f, corner.y + size[1] / 2.0f}, StringFormat("%d", price),
                 SkillSlotColor(short_ ? kSkillSlotUnaffordable : kSkillSlotAffordable), true);
    }
    DrawLinkLine();
}

// From the parent skill's place in the tree to this slot's centre.
void UISkillSlot::DrawLinkLine()
{
    const auto* parent = dynamic_cast<const SkillClient*>(skill->parent);
    if (!skill->definition->linkedEnd || !parent || !menu)
        return;
    float width = 0.0f;
    float height = 0.0f;
    menu->GetSize(width, height);
    float fromX = menu->position[0] + parent->layoutX * width;
    float fromY = menu->position[1] + parent->layoutY * height;
    float toX = GetScreenPosition().x + size[0] / 2.0f;
    float toY = GetScreenPosition().y + size[1] / 2.0f;
    Color white = SkillSlotColor(kSkillSlotWhite);
    gScreenText->DrawShaderWith(
        sweep, [&](ShaderBatch& batch) { SkillSlotAppendLine(batch, fromX, fromY, toX, toY, white); }, 0);
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
        if (SkillSlotPlayer() && !SkillSlotPlayerInGame())
            return;
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
    PlayerClient* player = SkillSlotPlayerInGame();
    if (player && skillTree >= 0 && skillIndex >= 0)
        player->UseSkill(skillTree, skillIndex, nullptr);
}

// ---- Tooltip ----

bool UISkillSlot::GetHelpText(int32_t x, int32_t y, std::string& text, std::string& title)
{
    PlayerClient* player = SkillSlotPlayer();
    SkillClient* shown = FindSkill();
    if (!player || !shown || !shown->definition || iconOnly)
        return false;
    skill = shown;
    text.clear();
    GetDescription(*skill->definition, player->stats, SkillSlotClass(*player), skill->GetSlotNumber(), false, text);
    text += "\n" + GetHotKeyHelp("$$use$$");
    if (!fullDisplay || IsDragged())
        AppendUseRefusals(*player, text);
    OfferHelpTopics();
    std::string own;
    if (UIWidget::GetHelpText(x, y, own, title))
        text += own;
    return true;
}

void UISkillSlot::AppendUseRefusals(const PlayerClient& player, std::string& text) const
{
    text += ColorSystem::MakeColorCode(kSkillSlotRed);
    int32_t seconds = static_cast<int32_t>(std::ceil(skill->GetRemainingReuseTime()));
    if (seconds == 1)
        text += "\n$$CantUseForAnotherSecond$$";
    else if (seconds > 1)
        text += "\n" + MakeLocToken("CantUseForAnotherXSeconds", "%d", seconds);
    if (!player.CanPayForSkill(SkillEntryId())) {
        const CharacterClass* characterClass = SkillSlotClass(player);
        std::string powerName = characterClass && !characterClass->powerName.empty() ? characterClass->powerName
                                                                                     : std::string("$$Power$$");
        text += "\n" + MakeLocToken("NotEnoughPower", "%s", powerName.c_str());
    }
    const EntityClient* target = player.GetInteractionTarget();
    if (skill->definition->needsEnemy && (!target || !player.IsEnemy(*target)))
        text += "\n$$NeedAnEnemy$$";
    text += ColorSystem::MakeColorCode(kSkillSlotPop);
}

// Each topic shows its button once; a topic already read does nothing.
void UISkillSlot::OfferHelpTopics() const
{
    if (!gUISystem)
        return;
    const SkillDefinition& definition = *skill->definition;
    if (skill->ShowsCombatPercents())
        gUISystem->AddHelpTopic("FindCombatPercents");
    const StatusEffectBase* effect = definition.GetStatusEffect();
    bool distracts = effect && effect->statusType == StatusType::Distracted;
    if (distracts || (definition.requiredStatesOne & kSkillSlotEnemyDistracted) != 0)
        gUISystem->AddHelpTopic("Distractions");
    if (definition.requiredStatesOne != 0)
        gUISystem->AddHelpTopic("StateRequirements");
}

void UISkillSlot::ReportUnavailable()
{
    SkillClient* shown = FindSkill();
    if (!shown || !shown->definition || shown->GetLevel() >= 1 || !gGameClient)
        return;
    gGameClient->GetMessages().ShowMessage(MakeLocToken("DontHaveXSkill", "%s", shown->definition->baseName.c_str()),
                                           false);
}
