// CharacterFlags -- the character flags both halves read from a character's flag list.
#pragma once

#include <cstdint>

namespace CharacterFlag {
constexpr int32_t kTutorialOver = 0;
constexpr int32_t kStaysDead = 65;
constexpr int32_t kLoner = 66;
constexpr int32_t kCount = 67;
} // namespace CharacterFlag
