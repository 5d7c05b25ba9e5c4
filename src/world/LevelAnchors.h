// LevelAnchors -- the holds on blocks of nine levels, one per key, that keep the levels near each player generated.
#pragma once

#include "world/WorldPos.h"

#include <cstdint>
#include <map>

class World;

// A hold on one level and its eight neighbours, and on the levels their gates lead to.
struct LevelAnchor {
    // The level last asked for.
    int32_t requestedLevel = -1;
    // The level whose block of nine is held; -1 = none.
    int32_t anchoredLevel = -1;
    // The player's entity number on the world host, -1 for the client's own anchor, a free
    // negative key for the start anchor. It is the kind of every reference the anchor takes.
    int32_t key = 0;
};

// Every reference goes through the level generator with the anchor's key as its kind. Main
// thread only.
class LevelAnchors {
public:
    explicit LevelAnchors(World& world) : world(world) {}

    // A key that already has an anchor keeps it and moves it, so no reference is taken twice.
    LevelAnchor& Create(int32_t key, int32_t level);
    // For keys -1, -2, ... the first key without an anchor gets one on level 0; nothing when an
    // anchor already asks for level 0 or the world is not active.
    void CreateStart();
    // New references are taken before the old ones are dropped, so a level both blocks of nine
    // share is never released in between.
    void Move(LevelAnchor& anchor, int32_t level);
    // Moves the anchor only once the position is a full level width or height from the
    // anchored level's centre. outLevel (when given) is the anchored level, -1 for a key
    // without anchor; untouched for a position on no level.
    void Update(int32_t key, const WorldPos& position, int32_t* outLevel);
    // Null for a key without anchor.
    LevelAnchor* Find(int32_t key);
    // Forgets every anchor without releasing: the levels themselves are being dropped.
    void Clear() { anchors.clear(); }
    const std::map<int32_t, LevelAnchor>& GetAll() const { return anchors; }

    // The level (and with followGates each level one of its gates leads to) for the key.
    void RefLevel(int32_t level, int32_t key, bool followGates);
    void UnrefLevel(int32_t level, int32_t key, bool followGates);

private:
    void RefBlock(int32_t level, int32_t key, bool take);

    World& world;
    std::map<int32_t, LevelAnchor> anchors;
};
