// CovenantTrait -- a "CovenantTrait" record: a covenant's character, with its status effect and covenant multipliers.
#pragma once

#include "core/SimpleData.h"

#include <array>
#include <cstdint>
#include <string>

// A covenant's float stats are fourteen multipliers (1 influence from experience, 2 crystal
// income, 4 lifestone health, ...), numbered as the covenant code uses them.
constexpr int32_t kCovenantMultiplierCount = 14;

// Keys: "Name", "Desc" and "TextureName" (texts for the interface), "StatusEffect" (the effect
// each member carries), "NoRandom" (never drawn at random, only given by name) and one line
//
//   Multiplier <index 0..13> <factor>
//
// per multiplier that is not 1. A line with an index outside the table or no number is logged
// and left out.
class CovenantTrait : public SimpleData {
public:
    void Load(const DatabaseEntry* entry) override;

    // 1 for an index outside the table.
    float GetMultiplier(int32_t index) const;

    std::string name;
    std::string description;
    std::string textureName;
    std::string statusEffectName;
    const DatabaseEntry* statusEffect = nullptr;
    bool noRandom = false;
    std::array<float, kCovenantMultiplierCount> multipliers{};
};
