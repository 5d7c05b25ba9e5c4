// AreaBlock -- one hand-made piece of an area file: tiles, placed objects, four edge types and how often it is chosen.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

// Block sides: 0 up (larger y), 1 left, 2 right, 3 down.
constexpr int32_t kAreaBlockSideCount = 4;
// Facings are the eight world directions; a cell without a valid one faces 4.
constexpr int32_t kAreaDefaultFacing = 4;
constexpr int32_t kAreaAllSidesOpen = 15;

inline int32_t OppositeBlockSide(int32_t side)
{
    return 3 - side;
}

struct AreaCell {
    int32_t objectIndex = -1;
    int32_t objectValue = kAreaDefaultFacing;
};

// Tiles and cells are stored top row first: tile (x, y), y counted from the bottom, is
// element (height - y - 1) x width + x.
struct AreaBlock {
    AreaBlock(int32_t width, int32_t height)
        : tiles(static_cast<size_t>(width) * static_cast<size_t>(height), -1),
          cells(static_cast<size_t>(width) * static_cast<size_t>(height))
    {
    }

    std::vector<int32_t> tiles;
    std::vector<AreaCell> cells;
    std::array<int32_t, kAreaBlockSideCount> edges{};
    std::string name;
    float weight = 1.0f;
    // 0 or less: no limit per level.
    int32_t maxUses = 0;
    bool forceMonsters = false;
    bool forceChests = false;
    // Bit s set: side s can be walked through.
    int32_t edgeMask = kAreaAllSidesOpen;
};
