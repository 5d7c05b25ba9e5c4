// Game -- the world save: the path it lives at, writing it whole through a temporary file, and reading it back into a game with no running world.
#include "server/Game.h"

#include "core/DebugSystem.h"
#include "core/File.h"
#include "core/FileSystem.h"
#include "core/MessageBuffer.h"
#include "server/WorldSaveReader.h"
#include "server/WorldSaveWriter.h"

namespace {

constexpr const char* kGameSaveFolder = "chars";
constexpr const char* kGameSaveEnding = "wld";
// A longer name would be cut, and two characters could share one world.
constexpr size_t kGameSaveMaxNameBytes = 63;

} // namespace

bool Game::MakeWorldSavePath(std::string_view characterName, std::string& out)
{
    out.clear();
    std::string base = CharacterFileBase(characterName);
    if (characterName.size() > kGameSaveMaxNameBytes || base.empty()) {
        DebugSystem::Print(kPrintWarning, "A character name of %zu bytes names no world save\n", characterName.size());
        return false;
    }
    out = MakeFilePath(kGameSaveFolder, base, kGameSaveEnding);
    return true;
}

bool Game::SaveWorld(std::string_view characterName)
{
    std::string path;
    if (!worldRunning || players.empty() || !players.front() || !gFileSystem ||
        !MakeWorldSavePath(characterName, path))
        return false;
    // Only while the damaged file is still there: deleted with its character, or set aside on a later
    // resume, it no longer stands in the way of a world of that name.
    if (path == damagedSaveKept) {
        if (gFileSystem->FileExists(path, kLocationUser)) {
            DebugSystem::Print(kPrintWarning,
                               "%s is damaged and could not be set aside; the world is not saved over it\n",
                               path.c_str());
            return false;
        }
        damagedSaveKept.clear();
    }
    MessageBuffer buffer;
    WorldSaveWriter(buffer).Write(*this);
    File* file = gFileSystem->Open(path, kFileWrite | kFileBinary, kLocationUser);
    if (!file) {
        DebugSystem::Print(kPrintWarning, "Couldn't open %s for writing; the world is not saved\n", path.c_str());
        return false;
    }
    if (!gFileSystem->WriteBuffer(file, buffer)) {
        gFileSystem->Abandon(file);
        DebugSystem::Print(kPrintWarning, "Couldn't write %s; the old world save is kept\n", path.c_str());
        return false;
    }
    if (!gFileSystem->Close(file)) {
        DebugSystem::Print(kPrintWarning, "Couldn't replace %s; the old world save is kept\n", path.c_str());
        return false;
    }
    return true;
}

Game::WorldLoadResult Game::LoadWorld(std::string_view characterName, int32_t startingLevel, int32_t numAiCovenants)
{
    std::string path;
    if (!MakeWorldSavePath(characterName, path))
        return WorldLoadResult::Refused;
    File* file = gFileSystem ? gFileSystem->Open(path, kFileRead | kFileBinary, kLocationUser) : nullptr;
    if (!file)
        return WorldLoadResult::Missing;
    if (worldRunning) {
        gFileSystem->Close(file);
        DebugSystem::Print(kPrintWarning, "A world runs already; %s is not loaded\n", path.c_str());
        return WorldLoadResult::Refused;
    }
    MessageBuffer buffer;
    bool read = gFileSystem->ReadIntoBuffer(file, buffer);
    gFileSystem->Close(file);
    if (!read) {
        DebugSystem::Print(kPrintWarning, "Couldn't read %s\n", path.c_str());
        return WorldLoadResult::Refused;
    }
    WorldSaveReader reader(*this, buffer, path);
    if (!reader.ReadWorld())
        return WorldLoadResult::Refused;
    WorldSaveReader::EntitiesRead entities = reader.ReadEntities();
    if (entities == WorldSaveReader::EntitiesRead::Damaged)
        return WorldLoadResult::Refused;
    bool rivalsWhole = reader.ReadRivals(startingLevel, numAiCovenants);
    return entities == WorldSaveReader::EntitiesRead::Whole && rivalsWhole ? WorldLoadResult::Loaded
                                                                           : WorldLoadResult::PartlyRead;
}

bool Game::SetAsideWorldSave(std::string_view characterName)
{
    std::string path;
    if (!gFileSystem || !MakeWorldSavePath(characterName, path))
        return false;
    // Mended: a copy then a delete could lose the save, or leave it twice, to a crash between;
    // and a second damaged save was moved over the first.
    if (gFileSystem->SetAsideUserFile(path).empty()) {
        DebugSystem::Print(kPrintWarning, "Couldn't set %s aside\n", path.c_str());
        if (gFileSystem->FileExists(path, kLocationUser))
            damagedSaveKept = path;
        return false;
    }
    return true;
}
