// ClassChoice -- the random class a new character gets when its chosen class entry asks for one: a player class the profile may use, drawn from the game's general stream.
#include "client/ClassChoice.h"

#include "core/Database.h"
#include "core/DatabaseEntry.h"
#include "core/EngineEnums.h"
#include "core/RandomSystem.h"

#include <algorithm>
#include <vector>

namespace ClassChoice {

const DatabaseEntry* PickRandomOfficialClass(const Database& database, const UnlockedTest& unlocked)
{
    std::vector<const DatabaseEntry*> candidates;
    for (const DatabaseEntry* entry = database.GetNextEntryOfType(DatabaseEntryType::Class); entry;
         entry = database.GetNextEntryOfType(DatabaseEntryType::Class, entry)) {
        bool open = entry->GetInt("Unlocks") == 0 || (unlocked && unlocked(std::string(entry->GetName())));
        if (open && entry->GetInt("PlayerClass") != 0)
            candidates.push_back(entry);
    }
    if (candidates.empty())
        return nullptr;
    auto count = static_cast<int32_t>(candidates.size());
    float r = DrawRandomFloat();
    int32_t pick = std::min(static_cast<int32_t>(r * static_cast<float>(count)), count - 1);
    return candidates[static_cast<size_t>(pick)];
}

} // namespace ClassChoice
