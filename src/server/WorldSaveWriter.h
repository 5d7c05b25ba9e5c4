// WorldSaveWriter -- builds the world save in memory: the world's identity, the level records, the clock, the world quests, the faction and weather blocks, the unlock list, the town's people, the gates opened during play, the entities kept with the world, the rivals and the player covenant's own side.
#pragma once

#include <cstdint>

class Entity;
class Game;
class MessageBuffer;

// Each block is written by its owner; this fixes their order. Only the town's people and the
// entity records carry their lengths: the reader holds every other count to the bytes left.
class WorldSaveWriter {
public:
    explicit WorldSaveWriter(MessageBuffer& buffer) : buffer(buffer) {}

    // The whole file, at the current version, appended to the buffer.
    void Write(const Game& game);

private:
    void WriteWorld();
    // One record per level of the world, sized to the grid even where nothing was explored.
    void WriteLevels(const Game& game);
    void WriteQuests(const Game& game);
    // Per town NPC slot: a presence word, then the slot's NPC type name, the byte length of its
    // state, its level and its saved state (a trader's stock and buy-back among it).
    void WriteTown(const Game& game);
    // The last secret level handed out, then each pair of gates opened during play: its record,
    // kind, and per end its place, facing and travelled flag.
    void WriteOpenedGates(const Game& game);
    // Each entity that stays with the world, in slot order, each after its presence word and
    // byte length, then the end word.
    void WriteEntities(const Game& game);
    // The computer-run rivals, which stand first in the game's list, each written by itself.
    void WriteRivals(const Game& game);
    // The first player's covenant's own side, after a presence word.
    void WritePlayerCovenant(const Game& game);
    // A pair a secret or a chest opened: kept as a pair in its own block.
    static bool IsOpenedGate(const Entity& entity);
    // A covenant's house and members: its covenant places them again.
    static bool IsRemadeByCovenant(const Entity& entity);
    // The world's own gates, made again by the world at load rather than read back.
    static bool IsRemadeByWorld(const Entity& entity);
    // Whether loading can make the entity again: an object record shows its model.
    static bool IsRebuiltOnLoad(const Entity& entity);

    MessageBuffer& buffer;
};
