// WorldSaveReader -- reads a world save back into a game with no running world: all of it up to the entity records or none of it, then the entities until one cannot be made.
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
// values. The format gives no length to a block, so nothing after a bad field can be trusted:
// before the entity records a bad field refuses the file; among them it ends the records.
class WorldSaveReader {
public:
    // fileName names the file in the warnings.
    WorldSaveReader(Game& game, MessageBuffer& buffer, std::string fileName);

    // Everything before the entity records. False, logged with the field and its byte offset,
    // when any of it does not read: the game and the world are then as constructed, and
    // random stream 0 as it was.
    bool ReadWorld();
    // The entity records up to the end word. A record that makes no entity or whose state does
    // not read ends them, logged; that entity goes, those before it stay. False when the end
    // word was never reached.
    bool ReadEntities();
    // The rivals after the end word, all of them or none (logged); without them, as in a file
    // older than the block or one whose entity records ended early, they are made anew.
    void ReadRivals(bool entitiesWhole, int32_t startingLevel, int32_t numAiCovenants);
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
    bool StopEntities();
    // A covenant house object in a file older than the rivals' block, which the covenants build again.
    bool IsOldCovenantHouse(const std::string& modelName, const WorldPos& position);
    // The model path an entity of the database record keeps; empty without one.
    static std::string ModelOfRecord(const char* record);
    bool ReadRivalBlock();
    // The player covenant's own side, kept by the game until its covenant joins; one that does
    // not read is logged and the covenant joins as new.
    void ReadPlayerCovenant();
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
