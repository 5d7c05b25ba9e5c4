// SavedMonsterText -- the words for a monster a character's statistics remember (the strongest defeated, the toughest battle, the strongest and weakest killers): its kind, rank and level.
#pragma once

#include <cstdint>
#include <string>

// kind: the monster type's index in the game data, -1 for none. packed: the word
// PackMonsterKillInfo made (level, rank 0..4, a further level). withFurtherLevel adds the further
// level, the character's own at the time. A text of localisation keys and colour codes.
std::string SavedMonsterText(int32_t kind, int32_t packed, bool withFurtherLevel);
