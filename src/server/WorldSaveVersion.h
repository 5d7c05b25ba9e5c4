// WorldSaveVersion -- the world save's format version and the versions from which each optional field is in the file.
#pragma once

#include "entities/Chest.h"
#include "rules/quests/QuestBase.h"

#include <cstdint>

// Every reader of a world save block asks these, never a bare number.
namespace WorldSaveVersion {
// What the writer writes; a file claims 1 up to this.
inline constexpr int32_t kCurrent = 57;
inline constexpr int32_t kOldest = 1;
// The faction block follows the quests.
inline constexpr int32_t kFactions = 5;
// A quest record carries its running multiplier.
inline constexpr int32_t kQuestMultiplier = 6;
// The weather block follows the factions.
inline constexpr int32_t kWeather = 10;
// A quest record ends with the meeting's met flag.
inline constexpr int32_t kQuestMet = 24;
// A recruit quest's candidate is preceded by a presence word.
inline constexpr int32_t kCandidatePresence = 28;
// Monster types are named, no longer given by index.
inline constexpr int32_t kNamedMonsterTypes = QuestBase::kNamedReferencesVersion;
// A level record ends with a word of what the level was given once a world: bit 0 its filling by
// the level filler, bit 1 its bonus chest.
inline constexpr int32_t kLevelPopulated = 52;
inline constexpr int32_t kLevelFilledBit = 1;
inline constexpr int32_t kLevelBonusChestBit = 2;
// The rival covenants follow the entity records' end word. Older files hold the covenants'
// houses as loose objects, which the reader leaves out.
inline constexpr int32_t kCovenants = 52;
// A level record ends with its used-block flags.
inline constexpr int32_t kLevelUsedBlocks = 53;
// The town's people follow the string list: per NPC slot its level and saved state.
inline constexpr int32_t kTownPeople = 53;
// A rival's record goes on with its work: activity, timers, the raid it leads, where its
// recruits stood and the offers it waits on.
inline constexpr int32_t kRivalsAtWork = 54;
// The first player's covenant's own side (relations, raid, partner) follows the rivals.
inline constexpr int32_t kPlayerCovenant = 54;
// A level record ends with its monster level, and the gate pairs opened during play (with the
// last secret level handed out) follow the town's people.
inline constexpr int32_t kOpenedGates = 54;
// A town NPC's record ends with its name seed.
inline constexpr int32_t kTownNames = 55;
// Each entity record carries the byte length of what follows its presence word, so one that
// cannot be made again is passed over alone.
inline constexpr int32_t kEntityLengths = 56;
// An entity record names its object record after its model, and a chest's state ends with its
// secret-link word: the chests share one model, and each came back as the plain chest.
inline constexpr int32_t kEntityRecordNames = Chest::kSavedLinkVersion;
} // namespace WorldSaveVersion
