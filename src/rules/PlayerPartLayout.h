// PlayerPartLayout -- the order of the character stats in the player's part of each game update, shared by the host that writes it and the client that reads it.
#pragma once

#include "core/EngineEnums.h"

#include <cstdint>

namespace PlayerPartLayout {
// Stats 0.. in order (the base and current attributes) open the stats of the part.
constexpr int32_t kAttributes = 10;
// Then these, between the attributes and the two gate positions.
inline constexpr int32_t kStats[] = {
    CharacterStat::Power,           CharacterStat::MaxPower,            CharacterStat::PowerRising,
    CharacterStat::Xp,              CharacterStat::XpNeeded,            CharacterStat::XpDebt,
    CharacterStat::Attack,          CharacterStat::Defense,             CharacterStat::Armor,
    CharacterStat::Level,           CharacterStat::MinDamage,           CharacterStat::MaxDamage,
    CharacterStat::AttackSpeed,     CharacterStat::AttributePointsLeft, CharacterStat::SkillPointsLeft,
    CharacterStat::Movement,        CharacterStat::Class,               CharacterStat::Money,
    CharacterStat::Score,           CharacterStat::Lives,               CharacterStat::ResistanceFire,
    CharacterStat::ResistanceCold,  CharacterStat::ResistancePoison,    CharacterStat::ResistanceLightning,
    CharacterStat::ResistanceMagic, CharacterStat::SecretsFound,        CharacterStat::SpecificSecrets,
};
// After the gate positions: the skill levels Skill1..Skill60.
} // namespace PlayerPartLayout
