// ScriptedGame -- the real game with the world's cell answers scripted, over a small in-memory world of levels in a row.
#pragma once

#include "server/Game.h"
#include "world/Level.h"
#include "world/World.h"

#include <functional>
#include <memory>
#include <set>
#include <vector>

// Open ground everywhere unless a test scripts walls; everything else is the real game.
class ScriptedGame : public Game {
public:
    using Game::TraceLine;
    using Game::SetVictoryPending;

    bool IsCellBlocked(const WorldPos& position) const override
    {
        ++cellQuestions;
        return cellBlocked ? cellBlocked(position) : !IsKnownLevel(position.level);
    }
    bool IsCellSightBlocked(const WorldPos& position) const override
    {
        return sightBlocked ? sightBlocked(position) : !IsKnownLevel(position.level);
    }
    bool IsBodyBlocked(const WorldPos& position, float) const override
    {
        return bodyBlocked && bodyBlocked(position);
    }
    bool TraceLine(const WorldPos& from, const WorldPos& to, const Entity* shooter, const Entity* ignored,
                   float& fraction) const override
    {
        if (lineBlocked && lineBlocked(from, to)) {
            fraction = 0.0f;
            return true;
        }
        return Game::TraceLine(from, to, shooter, ignored, fraction);
    }
    int32_t GetRelationship(const Entity* a, const Entity* b) const override { return a && b ? relationship : 2; }
    bool IsLevelGenerated(int32_t level) const override { return generated.count(level) > 0; }
    bool IsLevelPurgeable(int32_t level) const override { return purgeable.count(level) > 0; }

    void SetPlayers(std::vector<Sentient*> list) { MutablePlayers() = std::move(list); }
    void LoadLevel(int32_t level) { OnLevelLoaded(level); }
    void UnloadLevel(int32_t level) { OnLevelUnloaded(level); }

    std::function<bool(const WorldPos&)> cellBlocked;
    std::function<bool(const WorldPos&)> sightBlocked;
    std::function<bool(const WorldPos&)> bodyBlocked;
    std::function<bool(const WorldPos&, const WorldPos&)> lineBlocked;
    int32_t relationship = 2;
    std::set<int32_t> generated;
    std::set<int32_t> purgeable;
    mutable int32_t cellQuestions = 0;
};

// Levels 0..count-1 side by side from west to east, each the neighbour of the next.
class RowWorld {
public:
    static constexpr float kLevelSize = 4096.0f;

    explicit RowWorld(int32_t count)
    {
        world.SetLevelSize(kLevelSize, kLevelSize);
        for (int32_t i = 0; i < count; ++i) {
            auto level = std::make_unique<Level>();
            level->column = i;
            level->row = 0;
            world.AddLevel(std::move(level));
        }
        for (int32_t i = 0; i < count; ++i) {
            Level* level = world.GetLevel(i);
            for (int32_t direction = 0; direction < kWorldDirectionCount; ++direction) {
                LevelStep step = LevelStepOfDirection(direction);
                int32_t column = i + step.dx;
                if (step.dy == 0 && column >= 0 && column < count)
                    level->neighbours[static_cast<size_t>(direction)] = column;
            }
        }
        gWorld = &world;
    }
    ~RowWorld() { gWorld = nullptr; }

    World world;
};
