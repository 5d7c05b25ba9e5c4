// WorldObjectLint -- the content lint's checks of traps: the skills they fire and the effect models they show.
#include "entities/WorldObjectLint.h"

#include "core/DatabaseEntry.h"
#include "core/FileSystem.h"
#include "core/StringUtil.h"

#include <string>

namespace {

void WorldObjectLintTrap(ContentLint& lint, const DatabaseEntry& entry)
{
    lint.CheckRecordOfType(entry, "Skill", DatabaseEntryType::Skill, "skill");
    std::string effect = entry.GetString("TrapEffect");
    if (effect.empty())
        return;
    std::string path = effect;
    FileSystem::PrefixPath(path, PathBase("Models"));
    if (!gFileSystem || !gFileSystem->FileExists(path))
        lint.Report(entry, StringFormat("TrapEffect names the missing model %s", effect.c_str()));
}

} // namespace

std::vector<ContentLint::ExtraKindCheck> WorldObjectLintChecks()
{
    return {{DatabaseEntryType::Trap, WorldObjectLintTrap}};
}
