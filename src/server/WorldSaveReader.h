// WorldSaveReader -- reads a world save back into a game with no running world: all of it up to the entity records or none of it, then each entity record (passed over alone when measured and bad), then the rivals.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class Actor;
struct GameLevelRecord;
struct WorldPos;
class Game;
class MessageBuffer;
class Quest;

// Every count is held to the bytes left, every index to its table and every float to finite
// values. The format gives no length to a block, so nothing after a bad field can be trusted and
// it refuses the file. Entity records carry their length from kEntityLengths: one that does not
// read is passed over alone; before that version a bad record refuses the file.
class WorldSaveReader {
public:
    enum class EntitiesRead { Whole, PartlyRead, Damaged };

    // fileName names the file in the warnings.
    WorldSaveReader(Game& game, MessageBuffer& buffer, std::string fileName);

    // Everything before the entity records. False, logged with the field and its byte offset,
    // when any of it does not read: the game and the world are then as constructed, and
    // random stream 0 as it was.
    bool ReadWorld();
    // The entity records up to the end word. A measured record that makes no entity or whose
    // state does not read as long as it was written is passed over, logged with its model and
    // byte offset (PartlyRead). Damaged, the game rolled back as for a refused file, when the
    // end word is never reached, a length runs past the end, or an unmeasured record is bad.
    EntitiesRead ReadEntities();
    // The rivals after the end word, all of them or none; without them they are made anew.
    // False (logged) when the file has the block and it does not read.
    bool ReadRivals(int32_t startingLevel, int32_t numAiCovenants);
    int32_t GetVersion() const { return version; }

private:
    void Mark(const char* name);
    bool Refuse();
    void RollBack();
    bool ReadHeader();
    bool ReadLevels();
    // False only when the flags overrun the file; flags of another count are dropped, logged.
    bool ReadUsedBlocks(int32_t level, GameLevelRecord& record);
    // False only when the word overruns the file; a level outside the spawn tables is logged and
    // the world's own stays.
    bool ReadMonsterLevel(int32_t level);
    bool ReadClock();
    bool ReadQuests();
    bool ReadQuest(int32_t slot);
    bool ReadBlocks();
    // Each slot's state has its length: one that does not read leaves that NPC as new, logged.
    bool ReadTown();
    bool ReadTownNpc(int32_t slot, const std::string& npcType, MessageBuffer& state);
    // The last secret level and the gate pairs opened during play, each made again as a pair
    // where it stood; a pair the world cannot make again is logged and passed over.
    bool ReadOpenedGates();
    // The recruit's candidate back in the town as the quest places it, the quest's target again.
    void PlaceCandidate(Quest& quest, std::unique_ptr<Actor> candidate);
    // One record: its place, facing and model, the entity made again and its state read.
    // False leaves no entity behind; modelName holds what was read of the model.
    bool ReadEntity(MessageBuffer& record, std::string& modelName);
    // A covenant house object in a file older than the rivals' block, which the covenants build again.
    bool IsOldCovenantHouse(const std::string& modelName, const WorldPos& position);
    // The model path an entity of the database record keeps; empty without one.
    static std::string ModelOfRecord(const char* record);
    bool ReadRivalBlock();
    // The player covenant's own side, kept by the game until its covenant joins; one that does
    // not read is logged, false, and the covenant joins as new.
    bool ReadPlayerCovenant();
    bool RefuseRivals();

    Game& game;
    MessageBuffer& buffer;
    std::string fileName;
    int32_t version = 0;
    // The field being read and where it began, for the warnings.
    const char* field = "";
    size_t fieldOffset = 0;
    // What a refused file puts back.
    uint32_t savedStream = 0;
    uint32_t savedLayoutSeed = 0;
    uint32_t savedSecretSeed = 0;
    int32_t savedWorldDifficulty = 0;
    int32_t savedGameDifficulty = 0;
    std::string savedAdventure;
    // The model paths of the covenants' house objects, the house gate's first, found at the
    // first record of an old file.
    std::vector<std::string> houseModels;
};
