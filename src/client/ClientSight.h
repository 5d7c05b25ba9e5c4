// ClientSight -- what the player's character can see: the shadow grids around its destination, the fade while it walks and the maps' shader at a map cell.
#pragma once

#include "resources/ResourceHandle.h"
#include "world/WorldPos.h"

#include <cstdint>
#include <vector>

class EntityClient;
class GameClient;

// Main thread only. Owned by the game client.
class ClientSight {
public:
    // A grid is 41 x 41 cells of the game data's grid size around its centre cell (20, 20); a
    // set bit is a cell in shadow. A grid never computed is empty and sees nothing.
    static constexpr int32_t kGridSide = 41;
    static constexpr int32_t kGridCentre = 20;
    static constexpr int32_t kGridCells = kGridSide * kGridSide;
    // A map cell takes the shader of an entity closer than this to it.
    static constexpr float kMapShaderRange = 4.0f;

    using Grid = std::vector<bool>;

    // A sight blocker in the frame of the centre's level.
    struct Blocker {
        float x = 0.0f;
        float y = 0.0f;
        float radius = 0.0f;
    };

    explicit ClientSight(GameClient& client) : client(client) {}

    // Once a frame: the grids follow the player's destination, and a changed blocker.
    void UpdateLineOfSight();
    // The solid entities that block sight, in slot order, in the centre's level frame; with
    // narrow only those that can reach a cell of the window around it.
    std::vector<Blocker> CollectBlockers(const WorldPos& centre, bool narrow) const;
    // Only the blockers that can reach a cell of the window around the centre.
    static std::vector<Blocker> NarrowBlockers(const WorldPos& centre, const std::vector<Blocker>& blockers);
    // Both grids at the centre, over the blockers given.
    static void TraceGrids(const WorldPos& centre, const std::vector<Blocker>& blockers, Grid& full, Grid& soft);
    void ComputeSightGrid(const WorldPos& centre, Grid& full, Grid& soft) const;
    // An entity's solid flag changed: the grids are computed again when it blocks sight.
    void OnSightBlockerChanged(const EntityClient& entity);
    static bool BlocksSight(const EntityClient& entity);

    bool IsPositionInSight(const WorldPos& position, const Grid& grid, const WorldPos& centre) const;
    bool IsVisibleToPlayer(const WorldPos& position) const;
    // 0 hidden to 1 seen, blended between the previous and the current grids while walking.
    float GetSightFade(const WorldPos& position, bool soft) const;

    // The shader the maps draw at a map cell, counted for the caller; empty for none.
    ResourceHandle GetMapShaderAt(int32_t level, int32_t mapX, int32_t mapY);

    void Reset();
    void SetFogOff(bool off) { fogOff = off; }
    bool IsFogOff() const { return fogOff; }
    const WorldPos& GetCurrentCentre() const { return currentCentre; }
    const WorldPos& GetPreviousCentre() const { return previousCentre; }
    const Grid& GetGrid(bool current, bool soft) const;

private:
    bool IsShown() const;

    GameClient& client;
    WorldPos currentCentre;
    WorldPos previousCentre;
    bool centresValid = false;
    Grid currentFull;
    Grid currentSoft;
    Grid previousFull;
    Grid previousSoft;
    bool fogOff = false;
    std::vector<int32_t> pickableEntities;
    int32_t pickableStamp = -1;
};
