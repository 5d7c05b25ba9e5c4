// GridWorld -- a test world of levels on a grid, joined open on every side, whose cells the test carves by hand.
#pragma once

#include "world/AreaDefinition.h"
#include "world/Level.h"
#include "world/LevelData.h"
#include "world/LevelGenerator.h"
#include "world/WorldDatabase.h"

#include <memory>
#include <vector>

// Levels (column, row) of a columns x rows grid have index row x columns + column; each knows
// its eight neighbours. A carved level is generated, every block reachable and every cell free
// until the test blocks some: no area file is needed.
class GridWorld : public WorldDatabase {
protected:
    GridWorld() { LoadRecords(""); }

    void BuildGrid(int32_t columns, int32_t rows)
    {
        gridColumns = columns;
        area = std::make_unique<AreaDefinition>();
        area->name = "Field";
        for (int32_t row = 0; row < rows; ++row) {
            for (int32_t column = 0; column < columns; ++column) {
                auto level = std::make_unique<Level>();
                level->area = area.get();
                level->column = column;
                level->row = row;
                area->levels.push_back(world.AddLevel(std::move(level)));
            }
        }
        for (int32_t a = 0; a < world.GetLevelCount(); ++a) {
            for (int32_t b = a + 1; b < world.GetLevelCount(); ++b)
                world.ConnectLevels(world.GetLevel(a), world.GetLevel(b), LevelJoin::Open);
        }
    }

    int32_t At(int32_t column, int32_t row) const { return row * gridColumns + column; }

    // Generated, held by the test (kind 0), all cells free.
    LevelData& Carve(int32_t index)
    {
        Level& level = *world.GetLevel(index);
        LevelGenerator::AddReference(level, 0);
        LevelGenerator::EnsureGenerated(level);
        LevelData& data = *level.data;
        std::fill(data.visited.begin(), data.visited.end(), true);
        std::fill(data.blockBuilt.begin(), data.blockBuilt.end(), true);
        std::fill(data.movementBits.begin(), data.movementBits.end(), false);
        std::fill(data.sightBits.begin(), data.sightBits.end(), false);
        return data;
    }

    void SetBlocked(int32_t index, int32_t cellX, int32_t cellY, bool blocked = true)
    {
        LevelData& data = *world.GetLevel(index)->data;
        data.movementBits[static_cast<size_t>(cellY * data.geometry.CellsAcross() + cellX)] = blocked;
    }

    int32_t Holders(int32_t index) const
    {
        const Level* level = world.GetLevel(index);
        return level && level->data ? level->data->holders : 0;
    }

    std::unique_ptr<AreaDefinition> area;
    int32_t gridColumns = 0;
};
