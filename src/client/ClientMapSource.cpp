// ClientMapSource -- the client's answers to the maps: the local player and its mode, sight, the map shaders, the entities shown on maps, the screen mapping, the request queue and the click hook.
#include "client/ClientMapSource.h"

#include "client/ClientApp.h"
#include "client/ClientSight.h"
#include "client/EntityClient.h"
#include "client/GameClient.h"
#include "client/PlayerClient.h"
#include "client/ScreenConversion.h"
#include "core/system/GraphicsSystem.h"

namespace {

// Its blip's colour by its top owner (black without one), its hover text.
MapPin ClientMapSourcePin(const EntityClient& entity)
{
    MapPin pin;
    pin.position = entity.position;
    pin.kind = 0;
    pin.size = 4.0f;
    entity.GetMapColor(pin.colour[0], pin.colour[1], pin.colour[2]);
    pin.text = entity.GetHoverText(false, true, false);
    return pin;
}

} // namespace

bool ClientMapSource::GetPlayerPosition(WorldPos& out) const
{
    return gClientApp && gClientApp->HasLocalPlayer() && gClientApp->GetCameraTarget(out);
}

bool ClientMapSource::IsTeleportMode() const
{
    PlayerClient* player = gClientApp ? gClientApp->GetLocalPlayer() : nullptr;
    return player && player->GetInteractionMode() == kTeleportMode;
}

bool ClientMapSource::IsVisibleToPlayer(const WorldPos& position) const
{
    return !gGameClient || gGameClient->GetSight().IsVisibleToPlayer(position);
}

ResourceHandle ClientMapSource::GetEntityMapShader(int32_t level, int32_t tileX, int32_t tileY)
{
    return gGameClient ? gGameClient->GetSight().GetMapShaderAt(level, tileX, tileY) : ResourceHandle{};
}

// The player first, then every entity shown on the maps.
void ClientMapSource::AddEntityPins(std::vector<MapPin>& pins)
{
    WorldPos player;
    if (GetPlayerPosition(player)) {
        MapPin pin;
        pin.position = player;
        pin.colour = {1.0f, 1.0f, 1.0f};
        pins.push_back(pin);
    }
    if (!gGameClient)
        return;
    for (int32_t number = 0; number < GameClient::kMaxEntities; ++number) {
        const EntityClient* entity = gGameClient->GetEntity(number);
        if (!entity || !entity->IsShownOnMap(false))
            continue;
        MapPin pin = ClientMapSourcePin(*entity);
        pin.id = number;
        pins.push_back(pin);
    }
}

void ClientMapSource::AddTravelPins(std::vector<MapPin>&, bool) {}

bool ClientMapSource::KnowsLevel(int32_t) const
{
    return false;
}

bool ClientMapSource::IsQuestLevel(int32_t) const
{
    return false;
}

// The conversion gives 640 x 480 interface units; the maps hover in window pixels.
Vector2 ClientMapSource::WorldToScreen(const WorldPos& position) const
{
    Vector2 point = Client::WorldToScreen(position, true);
    if (!gGraphicsSystem)
        return point;
    return {point.x * static_cast<float>(gGraphicsSystem->GetViewWidth()) / 640.0f,
            point.y * static_cast<float>(gGraphicsSystem->GetViewHeight()) / 480.0f};
}

void ClientMapSource::QueueServerCommand(const std::string& line)
{
    if (gClientApp)
        gClientApp->QueueServerCommand(line);
}

void ClientMapSource::SetClickHook(ClickHook hook)
{
    if (gClientApp)
        gClientApp->SetClickHook(std::move(hook));
}
