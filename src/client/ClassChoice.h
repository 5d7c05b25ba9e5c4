// ClassChoice -- the random class a new character gets when its chosen class entry asks for one: a player class the profile may use, drawn from the game's general stream.
#pragma once

#include <functional>
#include <string>

class Database;
class DatabaseEntry;

namespace ClassChoice {

// Whether the current profile has unlocked the named class; without a profile nothing is.
using UnlockedTest = std::function<bool(const std::string& className)>;

// A class entry whose "PlayerClass" is set and that needs no unlock ("Unlocks" 0) or is
// unlocked; null when there is none. One draw of random stream 0 when there is a candidate.
const DatabaseEntry* PickRandomOfficialClass(const Database& database, const UnlockedTest& unlocked);

} // namespace ClassChoice
