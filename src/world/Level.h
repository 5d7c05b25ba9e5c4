// Level -- one level of the world: its place on the layout grid, its neighbours and sides, its seed, monster level and gates.
#pragma once

#include "world/WorldPos.h"

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

class AreaDefinition;
class WorldSection;
struct LevelData;

// A gate of a level and the gate it leads to.
struct LevelGate {
    WorldPos position;
    int32_t targetLevel = -1;
    // Index of the partner gate in the target level's gate list.
    int32_t partnerGate = -1;
    bool leadsDown = false;
};

// Side kinds: how a side meets its neighbour.
enum LevelSideKind : int32_t {
    kLevelSidePassage = 0,
    kLevelSideWall = 1,
    kLevelSideOpen = 2,
    kLevelSideUndecided = 3,
};

// Sides: 0 towards direction 1, 1 towards 7, 2 towards 3, 3 towards 5.
constexpr int32_t kLevelSideCount = 4;

struct Level {
    Level();
    ~Level();
    Level(const Level&) = delete;
    Level& operator=(const Level&) = delete;

    bool generationWanted = false;
    // Made by the first reference, freed with the last (LevelGenerator).
    std::unique_ptr<LevelData> data;
    // Level index in each direction 0-7; -1 = none.
    std::array<int32_t, 8> neighbours{-1, -1, -1, -1, -1, -1, -1, -1};
    std::array<int32_t, kLevelSideCount> sideKinds{kLevelSideWall, kLevelSideWall, kLevelSideWall, kLevelSideWall};
    // Block index along the side where a passage opens; -1 = none.
    std::array<int32_t, kLevelSideCount> sideOpenings{-1, -1, -1, -1};
    uint32_t seed = 0;
    AreaDefinition* area = nullptr;
    // Null for secret and treasure levels.
    WorldSection* section = nullptr;
    int32_t index = -1;
    // Cell on the layout grid; -1, -1 for a detached level.
    int32_t column = -1;
    int32_t row = -1;
    // 0 on the layout grid; one more than the parent for a level hanging below another.
    int32_t depth = 0;
    int32_t monsterLevel = 1;
    bool hasGate = false;
    WorldPos gatePosition;
    std::vector<LevelGate> gates;
    bool hasParent = false;
    Level* parent = nullptr;
};
