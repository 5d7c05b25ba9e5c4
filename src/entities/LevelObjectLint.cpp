// LevelObjectLint -- the content lint's checks of chests and doors: a lock must name a key some item opens, and have its text.
#include "entities/LevelObjectLint.h"

#include "core/Database.h"
#include "core/DatabaseEntry.h"
#include "core/StringUtil.h"

#include <algorithm>
#include <string>

namespace {

bool LevelObjectLintAnyItemOpens(const Database& database, std::string_view lock)
{
    std::vector<std::string> keys;
    for (int32_t type : {DatabaseEntryType::Item, DatabaseEntryType::QuestItem}) {
        for (const DatabaseEntry* item = database.GetNextEntryOfType(type); item;
             item = database.GetNextEntryOfType(type, item)) {
            item->GetStringList("KeyName", keys, true, false);
            if (std::any_of(keys.begin(), keys.end(), [lock](const std::string& key) { return StringEqualsNoCase(key, lock); }))
                return true;
        }
    }
    return false;
}

void LevelObjectLintLock(ContentLint& lint, const DatabaseEntry& entry)
{
    std::string lock = entry.GetString("RequiresKey");
    if (lock.empty())
        return;
    if (!LevelObjectLintAnyItemOpens(lint.GetDatabase(), lock))
        lint.Report(entry, StringFormat("RequiresKey %s is no item's KeyName", lock.c_str()));
    lint.CheckLocKey(entry, "RequiresKey");
}

} // namespace

std::vector<ContentLint::ExtraKindCheck> LevelObjectLintChecks()
{
    return {{DatabaseEntryType::Object, LevelObjectLintLock}};
}
