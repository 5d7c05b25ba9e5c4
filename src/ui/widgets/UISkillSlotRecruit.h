// UISkillSlotRecruit -- one skill of the recruit the player has selected, read-only: its icon, outline and level.
#pragma once

#include "resources/ResourceHandle.h"
#include "ui/UIWidget.h"

#include <cstdint>
#include <string>

class RecruitClient;
class SkillDefinition;

// Main thread. Finds the skill again every update; keeps nothing else between frames.
class UISkillSlotRecruit : public UIWidget {
public:
    // The recruit's level of the skill at list place i sits at this place + i of its values.
    static constexpr int32_t kLevelOffset = 11;

    UISkillSlotRecruit();

    void Draw() override;
    void Update(float seconds) override;
    bool GetHelpText(int32_t x, int32_t y, std::string& text, std::string& title) override;
    bool ReadProperty(const std::string& key, TextParser& parser) override;
    UIWidget* NewOfSameKind() const override { return new UISkillSlotRecruit(); }
    void CopyFrom(const UIWidget& source) override;

    // The covenant's record of the NPC the local player has selected; null for none.
    static const RecruitClient* GetSelectedRecruit();

    int32_t skillIndex = -1;
    const SkillDefinition* definition = nullptr;
    int32_t level = -1;
    ResourceHandle outline;
};
