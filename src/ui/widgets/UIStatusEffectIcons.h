// UIStatusEffectIcons -- a row of up to ten icons of the status effects on an entity, each with the effect's name and description as its tooltip.
#pragma once

#include "resources/ResourceHandle.h"
#include "ui/UIWidget.h"
#include "ui/UiGameView.h"

#include <array>
#include <cstdint>
#include <string>

// One icon slot: the effect shown and its definition's icon, loaded again only when the
// definition changes.
class StatusEffectData {
public:
    // No effect empties the slot and releases its icon.
    void SetEffect(const UiStatusEffectFacts* shown);
    bool HasEffect() const { return hasEffect; }
    const UiStatusEffectFacts& GetEffect() const { return effect; }
    int32_t GetRecord() const { return record; }
    const ResourceHandle& GetIcon() const { return icon; }

private:
    void Load();

    // The definition's database entry; -1 for none.
    int32_t record = -1;
    bool hasEffect = false;
    UiStatusEffectFacts effect;
    ResourceHandle icon;
};

// Main thread. Shows the effects of the widget's entity; the base's own picture and text are not drawn.
class UIStatusEffectIcons : public UIWidget {
public:
    static constexpr int32_t kMaxIcons = 10;

    UIStatusEffectIcons() = default;
    ~UIStatusEffectIcons() override;

    void Draw() override;
    bool GetHelpText(int32_t x, int32_t y, std::string& text, std::string& title) override;
    bool ReadProperty(const std::string& key, TextParser& parser) override;
    UIWidget* NewOfSameKind() const override { return new UIStatusEffectIcons(); }
    void CopyFrom(const UIWidget& source) override;

    // The icons from the entity's effects, at the start of every draw and tooltip; the texts
    // only for a tooltip.
    void Refresh(bool withTexts);
    const StatusEffectData& GetIcon(int32_t slot) const { return icons[static_cast<size_t>(slot)]; }

    int32_t count = 0;
    float offset[2] = {18.0f, 0.0f};
    float iconSize[2] = {16.0f, 16.0f};
    bool enhancementsOnly = false;

private:
    std::array<StatusEffectData, kMaxIcons> icons;
    std::vector<UiStatusEffectFacts> effects;
};
