// SkillText -- the skill tooltip and the texts of the cost of raising and lowering a skill, as localisation tokens and colour codes.
#pragma once

#include <cstdint>
#include <string>

class CharacterClass;
class IntArray;
class SkillDefinition;

// Each appends to text. stats are the character's (CharacterStat-indexed); skillStat holds the
// level of a skill without StatReq; the class's "PowerName" is the power word ("$$Power$$"
// without a class); noMoney leaves the money out of the cost.
void GetDescription(const SkillDefinition& definition, const IntArray& stats, const CharacterClass* characterClass,
                    int32_t skillStat, bool noMoney, std::string& text);
// The effect lines at one level.
void AppendEffectText(const SkillDefinition& definition, int32_t level, const IntArray& stats,
                      const CharacterClass* characterClass, std::string& text);
void AppendCostForNextPoint(const SkillDefinition& definition, const IntArray& stats, int32_t skillStat, bool noMoney,
                            std::string& text);
// Taking a point back costs three times the money value of the points regained.
void AppendCostToDecrease(const SkillDefinition& definition, const IntArray& stats, int32_t skillStat,
                          std::string& text);
