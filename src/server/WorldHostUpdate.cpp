// WorldHost -- each client's game update: what its player sees, the frame's lines and names, the game's and the player's parts and the sounds near it.
#include "server/WorldHost.h"

#include "core/DebugSystem.h"
#include "covenants/PlayerCovenant.h"
#include "entities/Player.h"
#include "server/Game.h"
#include "world/NetMessages.h"
#include "world/World.h"

#include <algorithm>
#include <cmath>

namespace {

// Its companions and what it deals with follow the player's client wherever they stand.
bool WorldHostIsTiedToPlayer(const Player& player, const Entity& entity)
{
    if (player.GetInteractionTarget() == &entity)
        return true;
    const auto* sentient = dynamic_cast<const Sentient*>(&entity);
    return sentient && sentient->GetLeader() == &player;
}

} // namespace

bool WorldHost::IsVisibleTo(const Player& player, const Entity& entity, int32_t depth) const
{
    // The box first: it decides for nearly every entity without a virtual call.
    Vector2 delta = entity.position.DeltaTo(player.position);
    if (delta.x > -kVisibleRange && delta.x < kVisibleRange && delta.y > -kVisibleRange && delta.y < kVisibleRange)
        return true;
    const Entity* parent = entity.GetParent();
    if (parent && parent != &entity && depth < kMaxRelevanceDepth && IsVisibleTo(player, *parent, depth + 1))
        return true;
    return WorldHostIsTiedToPlayer(player, entity);
}

void WorldHost::MarkVisible(Entity* entity)
{
    visibleMarks[static_cast<size_t>(entity->entityNumber)] = 1;
    visible.push_back(entity);
}

const std::vector<Entity*>& WorldHost::CollectVisible(const Player& player)
{
    visible.clear();
    std::fill(visibleMarks.begin(), visibleMarks.end(), uint8_t{0});
    if (!gGame)
        return visible;
    for (int32_t i = 0; i < GameServices::kMaxEntities; ++i) {
        Entity* entity = gGame->GetEntity(i);
        if (!entity || visibleMarks[static_cast<size_t>(i)] || !IsVisibleTo(player, *entity))
            continue;
        MarkVisible(entity);
        linked.clear();
        entity->CollectLinkedEntities(linked);
        // Only what the table holds can be named to a client.
        for (Entity* other : linked)
            if (other && gGame->GetEntity(other->entityNumber) == other &&
                !visibleMarks[static_cast<size_t>(other->entityNumber)])
                MarkVisible(other);
    }
    return visible;
}

void WorldHost::WriteSounds(MessageBuffer& buffer, const Player* player) const
{
    static const std::vector<GameSoundRecord> kNoSounds;
    const std::vector<GameSoundRecord>& sounds = player && gGame ? gGame->GetSounds() : kNoSounds;
    auto concerns = [player](const GameSoundRecord& record) {
        if (record.entityNumber == player->entityNumber)
            return true;
        Vector2 delta = record.position.DeltaTo(player->position);
        return std::sqrt(delta.x * delta.x + delta.y * delta.y) < record.radius;
    };
    buffer.WriteInt(static_cast<int32_t>(std::count_if(sounds.begin(), sounds.end(), concerns)));
    for (const GameSoundRecord& record : sounds)
        if (concerns(record))
            NetMessages::WriteSoundRecord(buffer, {record.sound, record.entityNumber, record.position, record.value});
}

bool WorldHost::WriteGameUpdate(MessageBuffer& buffer, const ClientRecord& client)
{
    Player* player = GetRecordPlayer(client);
    if (!player)
        return false;
    NetMessages::WriteGameUpdateHead(buffer, client.currentLevel, gGame->GetResourceNames(),
                                     gGame->GetChangedResourceNames(), CollectLines(*player));
    for (const Entity* entity : CollectVisible(*player)) {
        entity->WriteNetHeader(buffer);
        // The client picks the reader by the record: without one there is nothing to pick by.
        if (entity->GetEntry())
            entity->WriteNetState(buffer);
    }
    buffer.WriteInt(NetMessages::kListEnd);
    gGame->WriteNetPart(buffer, player);
    // No player covenant exists in a game without covenants: its part is left out then.
    if (auto* own = dynamic_cast<PlayerCovenant*>(gGame->GetCovenant(player->covenantIndex));
        own && own->GetPlayer() == player)
        own->WriteUpdate(buffer);
    player->WritePlayerPart(buffer);
    WriteSounds(buffer, player);
    return true;
}

const std::vector<std::string>& WorldHost::CollectLines(const Player& player)
{
    updateLines.clear();
    const std::vector<std::string>& shared = gGame->GetClientLines();
    const auto& own = gGame->GetPlayerLines();
    // Mended: the newest lines of all were kept, so one client's flood of refusals pushed the
    // others' kills and damage out. The player's own lines have the budget first, the newest of
    // them; then the newest lines for every client fill what is left.
    size_t bytes = 0;
    size_t ownCount = 0;
    size_t ownFrom = own.size();
    bool ownFull = false;
    for (size_t i = own.size(); i > 0; --i) {
        if (own[i - 1].first != player.entityNumber)
            continue;
        ++ownCount;
        if (ownFull || bytes + own[i - 1].second.size() + 1 > kMaxUpdateLineBytes) {
            ownFull = true;
            continue;
        }
        bytes += own[i - 1].second.size() + 1;
        ownFrom = i - 1;
    }
    size_t sharedFrom = shared.size();
    while (sharedFrom > 0 && bytes + shared[sharedFrom - 1].size() + 1 <= kMaxUpdateLineBytes) {
        --sharedFrom;
        bytes += shared[sharedFrom].size() + 1;
    }
    updateLines.assign(shared.begin() + static_cast<std::ptrdiff_t>(sharedFrom), shared.end());
    for (size_t i = ownFrom; i < own.size(); ++i)
        if (own[i].first == player.entityNumber)
            updateLines.push_back(own[i].second);
    size_t total = shared.size() + ownCount;
    if (updateLines.size() < total)
        DebugSystem::Print(kPrintWarning,
                           "Left the %zu oldest of %zu lines out of the update of player %d: an update carries at "
                           "most %zu bytes of lines\n",
                           total - updateLines.size(), total, player.entityNumber, kMaxUpdateLineBytes);
    return updateLines;
}

void WorldHost::DropGoneClients()
{
    clients.erase(std::remove_if(clients.begin(), clients.end(),
                                 [](const std::unique_ptr<ClientRecord>& client) { return !GetRecordPlayer(*client); }),
                  clients.end());
}

void WorldHost::SendGameUpdates()
{
    DropGoneClients();
    for (const auto& client : clients) {
        updateBuffer.Clear();
        if (WriteGameUpdate(updateBuffer, *client))
            Send(updateBuffer, client->address);
    }
    if (!gGame)
        return;
    gGame->GetChangedResourceNames().clear();
    gGame->ClearClientLines();
    gGame->GetPlayerLines().clear();
    // Every client of the frame hears the frame's sounds: the list goes after the last one.
    gGame->ClearSounds();
}
