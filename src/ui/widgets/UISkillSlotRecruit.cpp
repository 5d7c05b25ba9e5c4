// UISkillSlotRecruit -- one skill of the recruit the player has selected, read-only: its icon, outline and level.
#include "ui/widgets/UISkillSlotRecruit.h"

#include "client/GameClient.h"
#include "client/PlayerClient.h"
#include "client/PlayerCovenantClient.h"
#include "client/RecruitClient.h"
#include "core/ColorSystem.h"
#include "core/Database.h"
#include "core/DatabaseEntry.h"
#include "core/StringUtil.h"
#include "core/TextParser.h"
#include "resources/ResourceManager.h"
#include "resources/fonts/ScreenText.h"
#include "resources/shaders/ShaderLookup.h"
#include "rules/GameData.h"
#include "rules/skills/SkillDefinition.h"
#include "rules/skills/SkillText.h"
#include "ui/widgets/UISlotBase.h"

namespace {

constexpr int32_t kRecruitSlotOutline = 61;
constexpr int32_t kRecruitSlotWhite = 0;

Color RecruitSlotColor(int32_t index)
{
    Color color{1.0f, 1.0f, 1.0f};
    ColorSystem::GetColorByIndex(color.r, color.g, color.b, index);
    return color;
}

} // namespace

UISkillSlotRecruit::UISkillSlotRecruit()
{
    if (gResourceManager)
        LoadTextureByName("Textures/outline.tga", outline, 6);
}

bool UISkillSlotRecruit::ReadProperty(const std::string& key, TextParser& parser)
{
    if (StringEqualsNoCase(key, "skillIndex")) {
        skillIndex = parser.GetInt(false);
        return false;
    }
    return UIWidget::ReadProperty(key, parser);
}

void UISkillSlotRecruit::CopyFrom(const UIWidget& source)
{
    UIWidget::CopyFrom(source);
    const auto* slot = dynamic_cast<const UISkillSlotRecruit*>(&source);
    if (!slot || slot == this)
        return;
    skillIndex = slot->skillIndex;
    definition = slot->definition;
    level = slot->level;
    outline = slot->outline;
}

const RecruitClient* UISkillSlotRecruit::GetSelectedRecruit()
{
    return UISlotBase::GetPlayer() && gGameClient ? gGameClient->GetSelectedNpcRecord() : nullptr;
}

void UISkillSlotRecruit::Update(float seconds)
{
    UIWidget::Update(seconds);
    definition = nullptr;
    level = -1;
    const RecruitClient* recruit = GetSelectedRecruit();
    int32_t id = recruit ? recruit->GetId(skillIndex) : -1;
    const DatabaseEntry* entry = id >= 0 && gDatabase ? gDatabase->GetEntryByIndex(id) : nullptr;
    definition = entry && gGameData ? gGameData->FindSkillDefinition(entry->GetName()) : nullptr;
    if (definition)
        level = recruit->stats.Get(skillIndex + kLevelOffset);
    SetTexture(definition ? definition->textureName : std::string("Textures/black.tga"));
}

void UISkillSlotRecruit::Draw()
{
    if (!definition)
        return;
    UIWidget::Draw();
    if (!gScreenText)
        return;
    float x = GetScreenPosition().x;
    float y = GetScreenPosition().y;
    if (level > 0)
        gScreenText->DrawShaderRect(outline, RecruitSlotColor(kRecruitSlotOutline), x, y, x + size[0], y + size[1],
                                    1.0f, false, false, 0);
    // Levels of -1 and 0 are printed too.
    gScreenText->DrawTextNarrow(font, StringFormat("%d", level), static_cast<int32_t>(x + size[0] / 2.0f),
                                static_cast<int32_t>(y + size[1]), RecruitSlotColor(kRecruitSlotWhite), true, 1.0f);
}

bool UISkillSlotRecruit::GetHelpText(int32_t /*x*/, int32_t /*y*/, std::string& text, std::string& /*title*/)
{
    const RecruitClient* recruit = GetSelectedRecruit();
    if (!recruit || !definition || !gGameClient || !gGameClient->GetEntity(recruit->entityNumber))
        return false;
    text.clear();
    GetDescription(*definition, recruit->stats, nullptr, skillIndex + kLevelOffset, false, text);
    return true;
}
