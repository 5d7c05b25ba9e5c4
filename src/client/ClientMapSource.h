// ClientMapSource -- the client's answers to the maps: the local player and its mode, sight, the map shaders, the entities, covenants and gates shown on maps, the quests' levels, the screen mapping, the request queue and the click hook.
#pragma once

#include "render/MapSource.h"

class EntityClient;

// Main thread. Reads gClientApp and gGameClient as they are when asked; answers as an empty
// game without them.
class ClientMapSource : public MapSource {
public:
    // The local player's interaction mode that travels by map.
    static constexpr int32_t kTeleportMode = 14;
    // Pin sides in map units: a travel pin grows in teleport mode; gates wear colour 8.
    static constexpr float kPinSize = 4.0f;
    static constexpr float kTravelPinSize = 12.0f;
    static constexpr float kCovenantPinSize = 8.0f;
    static constexpr int32_t kGateColour = 8;

    bool GetPlayerPosition(WorldPos& out) const override;
    bool IsTeleportMode() const override;
    bool IsVisibleToPlayer(const WorldPos& position) const override;
    ResourceHandle GetEntityMapShader(int32_t level, int32_t tileX, int32_t tileY) override;
    void AddEntityPins(std::vector<MapPin>& pins, bool withText) override;
    std::string GetEntityPinText(int32_t id) const override;
    void AddTravelPins(std::vector<MapPin>& pins, bool teleportMode) override;
    void GetCovenants(std::vector<MapCovenant>& out) const override;
    bool KnowsLevel(int32_t level) const override;
    bool IsQuestLevel(int32_t level) const override;
    void QueueServerCommand(const std::string& line) override;
    void ShowRefusal(const std::string& text) override;
    void SetClickHook(ClickHook hook) override;

private:
    static const EntityClient* LocalPlayerBody();
};
