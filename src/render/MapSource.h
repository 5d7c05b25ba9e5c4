// MapSource, MapPin -- what the world map and the mini-map ask of the running game on the client side beyond the frame's scene: the player, the entities and places shown on maps, sight, the map shaders and the world host's request lines.
#pragma once

#include "resources/ResourceHandle.h"
#include "world/WorldPos.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// One mark on a map. Kinds: 0 a creature or object, 1 a gate, 2 a covenant, 3 a level
// connection, 4 a town gate.
struct MapPin {
    WorldPos position;
    std::array<float, 3> colour{};
    int32_t kind = 0;
    float size = 4.0f;
    std::string text;
    // What a click on it refers to (a gate's index, a covenant's index); -1 for nothing.
    int32_t id = -1;
    // The local player's own pin, which the world map marks out above the others.
    bool player = false;
};

// One covenant of the game, for the world map's legend.
struct MapCovenant {
    // In the game's covenant list.
    int32_t index = -1;
    std::string name;
    std::array<float, 3> colour{};
    bool eliminated = false;
};

// The client fills it; the maps keep their state without one and draw no pins.
class MapSource {
public:
    using ClickHook = std::function<bool(int32_t button, bool down, int32_t x, int32_t y)>;

    virtual ~MapSource() = default;

    // The local player's place; false without a player.
    virtual bool GetPlayerPosition(WorldPos& out) const = 0;
    // The local player's interaction mode is the one that travels by map.
    virtual bool IsTeleportMode() const = 0;
    // The client's own sight test of a ground point.
    virtual bool IsVisibleToPlayer(const WorldPos& position) const = 0;
    // The map shader of an entity drawn on the explored map near the tile's centre; empty for none.
    virtual ResourceHandle GetEntityMapShader(int32_t level, int32_t tileX, int32_t tileY) = 0;
    // The local player, then every entity shown on maps, as kind 0 pins (id the entity's
    // number, -1 the player); their hover texts only when asked for, as building them is dear.
    virtual void AddEntityPins(std::vector<MapPin>& pins, bool withText) = 0;
    // The hover text of one entity pin.
    virtual std::string GetEntityPinText(int32_t id) const = 0;
    // Covenants, the player's own gate and known gates, town gates, in that order; sizes and
    // click texts for the mode given.
    virtual void AddTravelPins(std::vector<MapPin>& pins, bool teleportMode) = 0;
    // Every covenant of the game in index order, the fallen ones too.
    virtual void GetCovenants(std::vector<MapCovenant>& out) const = 0;
    // The local player knows a gate on the level.
    virtual bool KnowsLevel(int32_t level) const = 0;
    // One of the player's quests aims at the level.
    virtual bool IsQuestLevel(int32_t level) const = 0;
    virtual void QueueServerCommand(const std::string& line) = 0;
    // Tells the player why a click did nothing (a localisable text).
    virtual void ShowRefusal(const std::string& text) = 0;
    // The hook that sees every mouse button first; empty clears it.
    virtual void SetClickHook(ClickHook hook) = 0;
};
