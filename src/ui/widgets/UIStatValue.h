// UIStatValue -- one number of the game state (a character, fun or covenant stat, a record, health or power) shown as text with a detailed tooltip.
#pragma once

#include "core/EngineEnums.h"
#include "ui/UIWidget.h"

#include <cstdint>
#include <string>

class CharacterClass;

// Main thread. Keeps no state besides its layout: every value and text is read again each frame.
class UIStatValue : public UIWidget {
public:
    // The stat type of a widget given no "stat" line.
    static constexpr int32_t kNoStatType = 9;

    UIStatValue() = default;
    ~UIStatValue() override;

    void Draw() override;
    bool GetHelpText(int32_t x, int32_t y, std::string& text, std::string& title) override;
    bool ReadProperty(const std::string& key, TextParser& parser) override;
    bool IsMaxed() const override;
    UIWidget* NewOfSameKind() const override { return new UIStatValue(); }
    void CopyFrom(const UIWidget& source) override;

    // The stat at `statIndex` + offset; 0 when the stat or its owner is missing.
    int32_t GetValue(int32_t offset = 0) const;
    int32_t GetSecondValue() const;
    // The colour code first, " (maxed)" when asked and maxed, the colour's end last.
    std::string BuildValueText(bool withMaxedSuffix) const;
    std::string BuildBaseValueText() const;
    std::string FormatConvertedValue() const;
    // The name of the global record's holder; empty for the other stat types.
    std::string GetRecordHolderText() const;
    // The player's attribute tests: above or below its base plus the skills' bonus, or its base at
    // the class's cap; false for any other stat.
    bool IsIncreased() const;
    bool IsDecreased() const;
    bool IsBaseMaxed() const;

    std::string statName;
    std::string divider;
    bool showName = false;
    bool showStringValue = false;
    int32_t statType = kNoStatType;
    int32_t statIndex = -1;
    int32_t secondStatIndex = -1;
    // Set by code; no layout keyword names a covenant.
    int32_t covenantNumber = -1;
    int32_t conversionType = StatConversionType::None;
    bool showStat = true;
    int32_t maxedColor = 0;
    int32_t increasedColor = 0;
    int32_t decreasedColor = 0;

protected:
    // The keywords of this class; false for one it does not know.
    bool ReadStatKeyword(const std::string& key, TextParser& parser);
    std::string BuildTooltip() const;
    std::string BuildAttributeLines(const CharacterClass& rates, int32_t value) const;
    // The figures measured against a monster of the player's level, the money in coins and the
    // damage rate (UIStatValueTooltips.cpp); false, the tooltip untouched, for any other stat.
    bool BuildFigureTooltip(std::string& tooltip) const;
    // The skill the attribute's next points give a level; empty for none.
    std::string BuildBonusSkillLine() const;

private:
    int32_t ReadStat(int32_t index) const;
    int32_t ReadPlayerStat(int32_t index) const;
    int32_t ReadEntityStat(int32_t index) const;
    bool IsPlayerAttribute() const;
    int32_t GetBaseAttribute() const;
    int32_t GetAttributeTarget() const;
};
