// WorldMap -- the explored-map file "chars/<name>.map": the world's identity, then each explored level's image and gates, written whole and atomically, read as far as it is sound.
#include "render/WorldMap.h"

#include "core/DebugSystem.h"
#include "core/File.h"
#include "core/FileSystem.h"
#include "core/MessageBuffer.h"
#include "world/LevelData.h"
#include "world/World.h"

#include <string>

namespace {

constexpr const char* kWorldMapFolder = "chars";
// Without a world to check them against, level indexes are held below this.
constexpr int32_t kWorldMapMaxLevels = 4096;
// A level gate or a connection gate: level, x, y.
constexpr size_t kWorldMapPositionBytes = 12;

void WorldMapWritePosition(MessageBuffer& buffer, const WorldPos& position)
{
    buffer.WriteInt(position.level);
    buffer.WriteFloat(position.x);
    buffer.WriteFloat(position.y);
}

// Within a level's breadth of its level, where every gate lies (a number that is none is not).
bool WorldMapCoordinateInReach(float value, float breadth)
{
    return value >= -breadth && value <= 2.0f * breadth;
}

// A position whose coordinates are not numbers, or lie far outside their level, reads as unknown:
// the map's tile of such a gate overflowed a whole number when the map was drawn.
WorldPos WorldMapReadPosition(MessageBuffer& buffer)
{
    WorldPos position;
    position.level = buffer.ReadInt();
    position.x = buffer.ReadFloat();
    position.y = buffer.ReadFloat();
    LevelGeometry geometry = LevelGeometry::Current();
    if (!WorldMapCoordinateInReach(position.x, static_cast<float>(geometry.levelTileWidth) * geometry.tileSize) ||
        !WorldMapCoordinateInReach(position.y, static_cast<float>(geometry.levelTileHeight) * geometry.tileSize))
        return WorldPos{-1, 0.0f, 0.0f, true};
    return position;
}

size_t WorldMapBytesLeft(const MessageBuffer& buffer)
{
    return buffer.Size() - buffer.GetReadPos();
}

bool WorldMapLevelInWorld(int32_t level)
{
    return level >= 0 && level < (gWorld && gWorld->GetLevelCount() > 0 ? gWorld->GetLevelCount() : kWorldMapMaxLevels);
}

} // namespace

// One builder for save and load, the character file's own: "J.R." and "j.r" find the same file.
std::string WorldMap::ExploredFilePath(std::string_view characterName)
{
    std::string base = CharacterFileBase(characterName);
    return base.empty() ? std::string() : MakeFilePath(kWorldMapFolder, base, "map");
}

void WorldMap::WriteExplored(MessageBuffer& buffer) const
{
    buffer.WriteInt(kFileVersion);
    buffer.WriteInt(identityDifficulty);
    buffer.WriteUInt(identitySeed);
    for (size_t index = 0; index < levels.size(); ++index) {
        const ExploredLevel* record = FindLevel(static_cast<int32_t>(index));
        if (!record)
            continue;
        buffer.WriteInt(1);
        buffer.WriteInt(static_cast<int32_t>(index));
        buffer.WriteBytes(record->image.data(), record->image.size());
        WorldMapWritePosition(buffer, record->levelGate);
        buffer.WriteInt(static_cast<int32_t>(record->connectionGates.size()));
        for (const WorldPos& gate : record->connectionGates)
            WorldMapWritePosition(buffer, gate);
    }
    buffer.WriteInt(0);
}

bool WorldMap::SaveExplored(std::string_view characterName) const
{
    std::string path = ExploredFilePath(characterName);
    if (path.empty() || !gFileSystem)
        return false;
    MessageBuffer buffer;
    WriteExplored(buffer);
    bool landed = WriteBufferToFile(path, buffer);
    if (!landed)
        DebugSystem::Print(kPrintWarning, "Couldn't save the explored map %s\n", path.c_str());
    return landed;
}

bool WorldMap::LoadExplored(std::string_view characterName)
{
    std::string path = ExploredFilePath(characterName);
    if (path.empty() || !gFileSystem)
        return false;
    File* file = gFileSystem->Open(path, kFileRead | kFileBinary, kLocationUser);
    if (!file)
        return false;
    MessageBuffer buffer;
    bool read = gFileSystem->ReadIntoBuffer(file, buffer);
    gFileSystem->Close(file);
    if (!read) {
        DebugSystem::Print(kPrintWarning, "Couldn't read the explored map %s\n", path.c_str());
        return false;
    }
    ReadExplored(buffer, path);
    return true;
}

void WorldMap::ReadExplored(MessageBuffer& buffer, std::string_view fileName)
{
    std::string name(fileName);
    if (WorldMapBytesLeft(buffer) < 12) {
        DebugSystem::Print(kPrintWarning, "The explored map %s is too short: not read\n", name.c_str());
        return;
    }
    uint32_t first = buffer.ReadUInt();
    int32_t version = 0;
    int32_t difficulty = static_cast<int32_t>(first);
    if (first <= kOldFormWord) {
        version = static_cast<int32_t>(first);
        difficulty = buffer.ReadInt();
    }
    if (WorldMapBytesLeft(buffer) < 4) {
        DebugSystem::Print(kPrintWarning, "The explored map %s is too short: not read\n", name.c_str());
        return;
    }
    ResetForWorld(difficulty, buffer.ReadUInt());
    while (true) {
        size_t recordStart = buffer.GetReadPos();
        if (WorldMapBytesLeft(buffer) < 4) {
            DebugSystem::Print(kPrintWarning, "The explored map %s ends without its terminator at offset %zu\n",
                               name.c_str(), recordStart);
            return;
        }
        if (buffer.ReadInt() == 0)
            return;
        if (!ReadLevelRecord(buffer, version)) {
            DebugSystem::Print(kPrintWarning, "The explored map %s is damaged at offset %zu: the rest dropped\n",
                               name.c_str(), recordStart);
            return;
        }
    }
}

// The whole record is checked against the bytes left before anything is kept; a level outside
// the world is read past and dropped.
bool WorldMap::ReadLevelRecord(MessageBuffer& buffer, int32_t version)
{
    size_t imageBytes = static_cast<size_t>(side) * static_cast<size_t>(side) * 4;
    if (WorldMapBytesLeft(buffer) < 4 + imageBytes)
        return false;
    int32_t level = buffer.ReadInt();
    std::vector<uint8_t> image(imageBytes);
    buffer.ReadBytes(image.data(), imageBytes);
    WorldPos levelGate{-1, 0.0f, 0.0f, true};
    std::vector<WorldPos> connectionGates;
    if (version >= kGateSectionVersion) {
        if (WorldMapBytesLeft(buffer) < kWorldMapPositionBytes + 4)
            return false;
        levelGate = WorldMapReadPosition(buffer);
        int32_t count = buffer.ReadInt();
        if (count < 0 || static_cast<size_t>(count) > WorldMapBytesLeft(buffer) / kWorldMapPositionBytes)
            return false;
        connectionGates.reserve(static_cast<size_t>(count));
        for (int32_t i = 0; i < count; ++i)
            connectionGates.push_back(WorldMapReadPosition(buffer));
    }
    if (!WorldMapLevelInWorld(level))
        return true;
    ExploredLevel& record = GetOrCreate(level);
    record.image = std::move(image);
    record.changed = true;
    record.levelGate = levelGate;
    record.connectionGates = std::move(connectionGates);
    return true;
}
