// ProjectileLint -- the content lint's checks of projectiles: their kind names, the records and models they lead to, and the skills that fire them.
#include "entities/ProjectileLint.h"

#include "core/Database.h"
#include "core/DatabaseEntry.h"
#include "core/EnumTable.h"
#include "core/FileSystem.h"
#include "core/StringUtil.h"
#include "entities/Projectile.h"

#include <algorithm>
#include <string>
#include <vector>

namespace {

void ProjectileLintModel(ContentLint& lint, const DatabaseEntry& entry, const char* key)
{
    std::string name = entry.GetString(key);
    if (name.empty())
        return;
    std::string path = name;
    FileSystem::PrefixPath(path, PathBase("Models"));
    if (!gFileSystem || !gFileSystem->FileExists(path))
        lint.Report(entry, StringFormat("%s names the missing model %s", key, name.c_str()));
}

// True when the records the entry fires ("ExplosionProjectile") or draws ("Beam"), and theirs in
// turn, lead back to the entry: each impact would make another without end.
bool ProjectileLintLeadsBack(const DatabaseEntry& entry)
{
    if (!gDatabase)
        return false;
    std::vector<const DatabaseEntry*> seen;
    std::vector<const DatabaseEntry*> open = {&entry};
    while (!open.empty()) {
        const DatabaseEntry* record = open.back();
        open.pop_back();
        for (const char* key : {"ExplosionProjectile", "Beam"}) {
            std::string name = record->GetString(key);
            const DatabaseEntry* next = name.empty() ? nullptr : gDatabase->FindEntryByName(name);
            if (next == &entry)
                return true;
            if (next && std::find(seen.begin(), seen.end(), next) == seen.end()) {
                seen.push_back(next);
                open.push_back(next);
            }
        }
    }
    return false;
}

void ProjectileLintRecord(ContentLint& lint, const DatabaseEntry& entry)
{
    std::string type = entry.GetString("ProjectileType");
    const EnumTable* table = EnumTable::Find("ProjectileType");
    if (table && !type.empty() && table->IndexOf(type) < 0)
        lint.Report(entry, StringFormat("ProjectileType names no projectile kind %s", type.c_str()));
    lint.CheckRecordOfType(entry, "Beam", DatabaseEntryType::Projectile, "projectile");
    lint.CheckRecordOfType(entry, "ExplosionProjectile", DatabaseEntryType::Projectile, "projectile");
    if (ProjectileLintLeadsBack(entry))
        lint.Report(entry, "ExplosionProjectile or Beam leads back to this projectile");
    ProjectileLintModel(lint, entry, "ModelName");
    ProjectileLintModel(lint, entry, "Explosion");
}

void ProjectileLintSkill(ContentLint& lint, const DatabaseEntry& entry)
{
    lint.CheckRecordOfType(entry, "Projectile", DatabaseEntryType::Projectile, "projectile");
}

} // namespace

std::vector<ContentLint::ExtraKindCheck> ProjectileLintChecks()
{
    Projectile::RegisterTypeNames();
    return {
        {DatabaseEntryType::Projectile, ProjectileLintRecord},
        {DatabaseEntryType::Skill, ProjectileLintSkill},
    };
}
