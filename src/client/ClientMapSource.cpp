// ClientMapSource -- the client's answers to the maps: the local player and its mode, sight, the map shaders, the entities shown on maps, the screen mapping, the request queue and the click hook.
#include "client/ClientMapSource.h"

#include "client/ClientApp.h"
#include "client/ClientMessages.h"
#include "client/ClientSight.h"
#include "client/EntityClient.h"
#include "client/GameClient.h"
#include "client/PlayerClient.h"
#include "client/CovenantClient.h"
#include "core/ColorSystem.h"
#include "core/StringUtil.h"
#include "render/WorldMap.h"
#include "rules/GameData.h"
#include "world/World.h"

namespace {

// Its blip's colour by its top owner (black without one), its hover text when asked for.
MapPin ClientMapSourcePin(const EntityClient& entity, bool withText)
{
    MapPin pin;
    pin.position = entity.position;
    pin.kind = 0;
    pin.size = 4.0f;
    entity.GetMapColor(pin.colour[0], pin.colour[1], pin.colour[2]);
    if (withText)
        pin.text = entity.GetHoverText(false, true, false);
    return pin;
}

std::array<float, 3> ClientMapSourceColour(int32_t index)
{
    std::array<float, 3> colour{};
    ColorSystem::GetColorByIndex(colour[0], colour[1], colour[2], index);
    return colour;
}

// A gate pin; its text gains the travel hint in teleport mode.
MapPin ClientMapSourceGatePin(const WorldPos& position, int32_t kind, float size, std::string text, int32_t id)
{
    MapPin pin;
    pin.position = position;
    pin.kind = kind;
    pin.size = size;
    pin.colour = ClientMapSourceColour(ClientMapSource::kGateColour);
    pin.text = std::move(text);
    pin.id = id;
    return pin;
}

// The level's own gate as the map recorded it, else the world's.
WorldPos ClientMapSourceLevelGate(int32_t level)
{
    const ExploredLevel* record = gWorldMap ? gWorldMap->FindLevel(level) : nullptr;
    if (record && record->levelGate.level >= 0)
        return record->levelGate;
    return gWorld ? gWorld->GetLevelGatePos(level) : WorldPos{-1, 0.0f, 0.0f, true};
}

} // namespace

// The local player's entity as the maps show it: its map colour and its hover text.
const EntityClient* ClientMapSource::LocalPlayerBody()
{
    PlayerClient* player = gClientApp && gClientApp->HasLocalPlayer() ? gClientApp->GetLocalPlayer() : nullptr;
    return player ? player->GetBody() : nullptr;
}

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
void ClientMapSource::AddEntityPins(std::vector<MapPin>& pins, bool withText)
{
    WorldPos player;
    const EntityClient* body = LocalPlayerBody();
    if (GetPlayerPosition(player) && body) {
        MapPin pin = ClientMapSourcePin(*body, withText);
        pin.position = player;
        pin.player = true;
        pins.push_back(std::move(pin));
    }
    if (!gGameClient)
        return;
    for (int32_t number = 0; number < GameClient::kMaxEntities; ++number) {
        const EntityClient* entity = gGameClient->GetEntity(number);
        if (!entity || !entity->IsShownOnMap(false))
            continue;
        pins.push_back(ClientMapSourcePin(*entity, withText));
        pins.back().id = number;
    }
}

std::string ClientMapSource::GetEntityPinText(int32_t id) const
{
    const EntityClient* entity = id == -1 ? LocalPlayerBody() : gGameClient ? gGameClient->GetEntity(id) : nullptr;
    return entity ? entity->GetHoverText(false, true, false) : std::string();
}

// Covenants that stand, the player's own gate, the gates the player knows, then the town's gate.
void ClientMapSource::AddTravelPins(std::vector<MapPin>& pins, bool teleportMode)
{
    const char* travelHint = teleportMode ? "\n^c008$$WorldMapTeleportToGate$$" : "";
    float travelSize = teleportMode ? kTravelPinSize : kPinSize;
    for (int32_t index = 0; gGameClient && index < gGameClient->GetCovenantCount(); ++index) {
        const CovenantClient* covenant = gGameClient->GetCovenant(index, false);
        if (!covenant || covenant->eliminated || covenant->homeLevel < 0)
            continue;
        MapPin pin;
        pin.position = WorldPos{covenant->homeLevel, covenant->homeX, covenant->homeY, true};
        pin.kind = 2;
        pin.size = kCovenantPinSize;
        pin.colour = ClientMapSourceColour(covenant->GetColor());
        pin.text = StringFormat("%s $$WorldMapCovenantLocation$$%s", covenant->GetShownName().c_str(),
                                teleportMode ? "\n^c008$$WorldMapTeleportToCovenant$$" : "");
        pin.id = index;
        pins.push_back(std::move(pin));
    }
    PlayerClient* player = gClientApp ? gClientApp->GetLocalPlayer() : nullptr;
    if (player && player->returnPoint.level >= 0)
        pins.push_back(ClientMapSourceGatePin(player->returnPoint, 1, kPinSize, "$$WorldMapPlayersGate$$", -1));
    for (int32_t i = 0; player && i < player->GetKnownGateCount(); ++i) {
        const ItemPtrEntry* entry = player->GetItemList(0).Get(i);
        WorldPos gate = entry && entry->flag ? ClientMapSourceLevelGate(entry->number) : WorldPos{-1, 0.0f, 0.0f, true};
        if (gate.level < 0)
            continue;
        std::string name = gWorld ? gWorld->GetLevelName(entry->number) : std::string();
        pins.push_back(ClientMapSourceGatePin(gate, 1, travelSize,
                                              StringFormat("%s $$Gate$$%s", name.c_str(), travelHint), i));
    }
    if (gWorld && gWorld->GetLevel(0) && gGameData) {
        const FloatPair& place = gGameData->GetTuning().townGatePosition;
        pins.push_back(ClientMapSourceGatePin(WorldPos{0, place.x, place.y, true}, 4, travelSize,
                                              std::string("$$WorldMapTownGate$$") + travelHint, 0));
    }
}

void ClientMapSource::GetCovenants(std::vector<MapCovenant>& out) const
{
    out.clear();
    for (int32_t index = 0; gGameClient && index < gGameClient->GetCovenantCount(); ++index) {
        const CovenantClient* covenant = gGameClient->GetCovenant(index, false);
        if (!covenant)
            continue;
        out.push_back({index, covenant->GetShownName(), ClientMapSourceColour(covenant->GetColor()), covenant->eliminated});
    }
}

bool ClientMapSource::KnowsLevel(int32_t level) const
{
    PlayerClient* player = gClientApp ? gClientApp->GetLocalPlayer() : nullptr;
    return player && player->GetCurrentLevelGateFlag(level);
}

bool ClientMapSource::IsQuestLevel(int32_t level) const
{
    PlayerClient* player = gClientApp ? gClientApp->GetLocalPlayer() : nullptr;
    for (int32_t slot = 0; player && level >= 0 && slot < PlayerClient::kQuestSlots; ++slot) {
        const QuestClient* quest = player->GetQuestSlot(slot);
        if (quest && (quest->targetLevel == level || quest->destLevel == level))
            return true;
    }
    return false;
}

void ClientMapSource::QueueServerCommand(const std::string& line)
{
    if (gClientApp)
        gClientApp->QueueServerCommand(line);
}

void ClientMapSource::ShowRefusal(const std::string& text)
{
    if (gGameClient)
        gGameClient->GetMessages().ShowMessage(text, false);
}

void ClientMapSource::SetClickHook(ClickHook hook)
{
    if (gClientApp)
        gClientApp->SetClickHook(std::move(hook));
}
