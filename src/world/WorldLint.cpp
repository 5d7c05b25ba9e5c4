// WorldLint -- the content lint's checks of the world's records: adventures, areas and the area files they name.
#include "world/WorldLint.h"

#include "core/Database.h"
#include "core/DatabaseEntry.h"
#include "core/EnumTable.h"
#include "core/FileBuffer.h"
#include "core/FileSystem.h"
#include "core/StringUtil.h"
#include "core/TextParser.h"
#include "rules/GameData.h"
#include "rules/monsters/MonsterArchetype.h"
#include "world/AreaResource.h"
#include "world/World.h"

#include <set>
#include <string>
#include <vector>

namespace {

std::vector<std::string> WorldLintList(const DatabaseEntry& entry, const char* key)
{
    std::vector<std::string> values;
    entry.GetStringList(key, values, true, false);
    return values;
}

// Each value of the key must name an entry, of the type when one is given.
void WorldLintNames(ContentLint& lint, const DatabaseEntry& entry, const char* key, int32_t type)
{
    for (const std::string& name : WorldLintList(entry, key)) {
        const DatabaseEntry* found = lint.GetDatabase().FindEntryByName(name);
        if (!found)
            lint.Report(entry, StringFormat("%s names the missing entry %s", key, name.c_str()));
        else if (type != DatabaseEntryType::None && found->GetType() != type)
            lint.Report(entry, StringFormat("%s names %s, which is not of type %s", key, name.c_str(),
                                            EnumTable::Find("DatabaseEntryType")->GetName(type).c_str()));
    }
}

void WorldLintOptionalArea(ContentLint& lint, const DatabaseEntry& entry, const char* key)
{
    std::string name = entry.GetString(key);
    if (name.empty())
        return;
    const DatabaseEntry* found = lint.GetDatabase().FindEntryByName(name);
    if (!found || found->GetType() != DatabaseEntryType::Area)
        lint.Report(entry, StringFormat("%s names %s, which is no Area record", key, name.c_str()));
}

void WorldLintSection(ContentLint& lint, const DatabaseEntry& adventure, const DatabaseEntry& section)
{
    WorldLintOptionalArea(lint, section, "StartArea");
    WorldLintOptionalArea(lint, section, "EndArea");
    WorldLintNames(lint, section, "Area", DatabaseEntryType::Area);
    WorldLintNames(lint, section, "Dungeon", DatabaseEntryType::Area);
    if (section.GetString("StartArea").empty() && WorldLintList(section, "Area").empty())
        lint.Report(adventure, StringFormat("section %.*s has no areas", static_cast<int>(section.GetName().size()),
                                            section.GetName().data()));
}

void WorldLintAdventure(ContentLint& lint, const DatabaseEntry& adventure)
{
    const Database& database = lint.GetDatabase();
    bool standard = false;
    std::vector<std::string> sizes = WorldLintList(adventure, "WorldSize");
    for (const std::string& name : sizes) {
        const DatabaseEntry* size = database.FindEntryByName(name);
        if (!size) {
            lint.Report(adventure, "WorldSize names the missing entry " + name);
            continue;
        }
        standard = standard || size->GetString("Name") == "Standard";
        if (size->GetInt("Width") < 1 || size->GetInt("Height") < 1 || size->GetInt("SectionLevelDepth") < 1)
            lint.Report(*size, "Width, Height and SectionLevelDepth must be 1 or more");
    }
    if (!standard)
        lint.Report(adventure, "no WorldSize is named Standard");
    std::vector<std::string> sections = WorldLintList(adventure, "Section");
    if (sections.empty())
        lint.Report(adventure, "has no Section");
    for (const std::string& name : sections) {
        if (const DatabaseEntry* section = database.FindEntryByName(name))
            WorldLintSection(lint, adventure, *section);
        else
            lint.Report(adventure, "Section names the missing entry " + name);
    }
    WorldLintNames(lint, adventure, "Secret", DatabaseEntryType::Area);
    WorldLintNames(lint, adventure, "BeginningQuest", DatabaseEntryType::None);
}

void WorldLintAreaFile(ContentLint& lint, const DatabaseEntry& area, const std::string& fileName)
{
    FileBuffer file = gFileSystem->LoadWholeFile(fileName);
    if (!file.IsValid()) {
        lint.Report(area, "AreaFileName names the missing file " + fileName);
        return;
    }
    const GameSystemTuning& tuning = gGameData->GetTuning();
    AreaResource parsed(tuning.blockTileWidth, tuning.blockTileHeight);
    TextParser parser(file.Data(), file.Size());
    parsed.Parse(parser);
    if (parsed.GetParseFaults() > 0)
        lint.ReportText(StringFormat("%s: %d values out of range or missing", fileName.c_str(), parsed.GetParseFaults()));
    if (parsed.GetBlockCount() == 0)
        lint.ReportText(fileName + ": no blocks");
    for (const AreaTileTexture& tile : parsed.GetTileTextures()) {
        if (!gFileSystem->FileExists(tile.name))
            lint.ReportText(fileName + ": missing texture " + tile.name);
    }
    for (const AreaObjectType& object : parsed.GetObjectTypes()) {
        if (!gFileSystem->FileExists(object.name))
            lint.ReportText(fileName + ": missing model " + object.name);
    }
    int32_t edgeTypes = static_cast<int32_t>(parsed.GetEdgeTypeNames().size());
    for (int32_t number = 0; number < parsed.GetBlockCount(); ++number) {
        for (int32_t edge : parsed.GetBlock(number)->edges) {
            if (edge < 0 || edge >= edgeTypes)
                lint.ReportText(StringFormat("%s: block %d has the edge %d outside its %d edge types", fileName.c_str(),
                                             number, edge, edgeTypes));
        }
    }
}

void WorldLintArea(ContentLint& lint, const DatabaseEntry& area)
{
    const EnumTable* generators = EnumTable::Find("RandomGenerator");
    std::string generator = area.GetString("RandomLevelGenerator");
    if (!generators || generators->IndexOf(generator) < 0)
        lint.Report(area, "RandomLevelGenerator names no level generator: " + generator);
    for (const char* key : {"MonsterSpawn", "DesiredMonsterSpawn"}) {
        for (const std::string& name : WorldLintList(area, key)) {
            const DatabaseEntry* entry = lint.GetDatabase().FindEntryByName(name);
            const MonsterArchetype* archetype = entry ? gGameData->FindArchetype(entry) : nullptr;
            if (!archetype || !(archetype->initChance > 0.0f))
                lint.Report(area, StringFormat("%s names %s, no monster archetype that can start a pool", key, name.c_str()));
        }
    }
    WorldLintNames(lint, area, "ChestSpawn", DatabaseEntryType::Chest);
    // A chest record without the level objects' chest keys is placed unseen and opens empty.
    for (const std::string& name : WorldLintList(area, "ChestSpawn")) {
        const DatabaseEntry* chest = lint.GetDatabase().FindEntryByName(name);
        if (chest && chest->GetType() == DatabaseEntryType::Chest && chest->GetString("ModelName").empty())
            lint.Report(area, StringFormat("ChestSpawn names %s, a chest without a model", name.c_str()));
    }
    WorldLintNames(lint, area, "TrapSpawn", DatabaseEntryType::Trap);
    for (const char* key : {"AreaDown", "AreaNorth", "AreaSouth", "AreaWest", "AreaEast"})
        WorldLintOptionalArea(lint, area, key);
    std::string fileName = area.GetString("AreaFileName");
    if (fileName.empty())
        lint.Report(area, "AreaFileName is empty");
    else
        WorldLintAreaFile(lint, area, fileName);
}

} // namespace

std::vector<ContentLint::ExtraKindCheck> WorldLintChecks()
{
    // The generator names are the world's own table: a world made and let go fills it.
    World().Reset();
    return {
        {DatabaseEntryType::Adventure, WorldLintAdventure},
        {DatabaseEntryType::Area, WorldLintArea},
    };
}
