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
#include <limits>
#include <numeric>

namespace {

// Its companions and what it deals with follow the player's client wherever they stand.
bool WorldHostIsTiedToPlayer(const Player& player, const Entity& entity)
{
    if (player.GetInteractionTarget() == &entity)
        return true;
    const auto* sentient = dynamic_cast<const Sentient*>(&entity);
    return sentient && sentient->GetLeader() == &player;
}

// True when a cut begins: a crowd or a flood of sounds lasts many frames, and is told once, when
// it starts, rather than every frame it lasts.
bool WorldHostCutBegins(bool cut, bool& told)
{
    bool begins = cut && !told;
    told = cut;
    return begins;
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

size_t WorldHost::WriteSounds(MessageBuffer& buffer, const Player* player, size_t room) const
{
    static const std::vector<GameSoundRecord> kNoSounds;
    const std::vector<GameSoundRecord>& sounds = player && gGame ? gGame->GetSounds() : kNoSounds;
    auto concerns = [player](const GameSoundRecord& record) {
        if (record.entityNumber == player->entityNumber)
            return true;
        Vector2 delta = record.position.DeltaTo(player->position);
        return std::sqrt(delta.x * delta.x + delta.y * delta.y) < record.radius;
    };
    auto heard = static_cast<size_t>(std::count_if(sounds.begin(), sounds.end(), concerns));
    size_t sent = std::min(heard, room / NetMessages::kSoundRecordBytes);
    buffer.WriteInt(static_cast<int32_t>(sent));
    size_t written = 0;
    for (size_t i = 0; i < sounds.size() && written < sent; ++i) {
        const GameSoundRecord& record = sounds[i];
        if (!concerns(record))
            continue;
        NetMessages::WriteSoundRecord(buffer, {record.sound, record.entityNumber, record.position, record.value});
        ++written;
    }
    return heard - sent;
}

size_t WorldHost::WriteEntities(MessageBuffer& buffer, const Player& player, size_t room, size_t& leftOut)
{
    const std::vector<Entity*>& seen = CollectVisible(player);
    entityBuffer.Clear();
    entityEnds.clear();
    for (const Entity* entity : seen) {
        entity->WriteNetHeader(entityBuffer);
        // The client picks the reader by the record: without one there is nothing to pick by.
        if (entity->GetEntry())
            entity->WriteNetState(entityBuffer);
        entityEnds.push_back(entityBuffer.Size());
    }
    leftOut = 0;
    if (entityBuffer.Size() <= room) {
        buffer.WriteBytes(entityBuffer.Data(), entityBuffer.Size());
        return entityBuffer.Size();
    }
    // Too many to send: its own player first, whatever the room (the client's view hangs on it),
    // then what is tied to it, then the nearest; the client lets the others go until an update
    // names them again. Mended: a companion or the target past the box went first, and the
    // client, which deletes what an update does not name, lost its target for good.
    entityDistances.clear();
    for (const Entity* entity : seen) {
        Vector2 delta = entity->position.DeltaTo(player.position);
        float distance = delta.x * delta.x + delta.y * delta.y;
        entityDistances.push_back(entity == &player                          ? -2.0f
                                  : WorldHostIsTiedToPlayer(player, *entity) ? -1.0f
                                  : std::isfinite(distance)                  ? distance
                                                                             : std::numeric_limits<float>::max());
    }
    entityOrder.resize(seen.size());
    std::iota(entityOrder.begin(), entityOrder.end(), size_t{0});
    // Equal distances keep the order seen; a plain sort with that tie takes no scratch memory.
    std::sort(entityOrder.begin(), entityOrder.end(), [this](size_t a, size_t b) {
        return entityDistances[a] < entityDistances[b] || (entityDistances[a] == entityDistances[b] && a < b);
    });
    entityKept.assign(seen.size(), 0);
    size_t used = 0;
    size_t kept = 0;
    for (size_t i : entityOrder) {
        size_t bytes = entityEnds[i] - (i == 0 ? 0 : entityEnds[i - 1]);
        if (seen[i] != &player && used + bytes > room)
            continue;
        entityKept[i] = 1;
        used += bytes;
        ++kept;
    }
    for (size_t i = 0; i < seen.size(); ++i) {
        size_t begin = i == 0 ? 0 : entityEnds[i - 1];
        if (entityKept[i])
            buffer.WriteBytes(entityBuffer.Data() + begin, entityEnds[i] - begin);
    }
    leftOut = seen.size() - kept;
    return used;
}

bool WorldHost::WriteGameUpdate(MessageBuffer& buffer, const ClientRecord& client)
{
    Player* player = GetRecordPlayer(client);
    if (!player)
        return false;
    NetMessages::WriteGameUpdateHead(buffer, client.currentLevel, gGame->GetResourceNames(),
                                     gGame->GetChangedResourceNames(), CollectLines(*player));
    // The parts every update carries are measured first: the entities and then the sounds take
    // what is left of a datagram. Mended: a flood of sounds, or a crowd, made an update longer
    // than a socket sends, so a client in another process heard nothing of that frame.
    tailBuffer.Clear();
    gGame->WriteNetPart(tailBuffer, player);
    // No player covenant exists in a game without covenants: its part is left out then.
    if (auto* own = dynamic_cast<PlayerCovenant*>(gGame->GetCovenant(player->covenantIndex));
        own && own->GetPlayer() == player)
        own->WriteUpdate(tailBuffer);
    player->WritePlayerPart(tailBuffer);
    // Over a socket an update is one datagram; the in-process queue takes any length.
    size_t limit = gNetworkSystem && !gNetworkSystem->IsLocalMode() ? kMaxUpdateBytes
                                                                     : std::numeric_limits<size_t>::max();
    // The end of the entity list and the count of the sounds.
    size_t fixed = buffer.Size() + tailBuffer.Size() + 2 * sizeof(int32_t);
    size_t room = fixed < limit ? limit - fixed : 0;
    if (WorldHostCutBegins(fixed > limit, client.toldFixedPartsOver))
        DebugSystem::Print(kPrintWarning,
                           "The update of player %d takes %zu bytes before its entities, past the %zu a datagram "
                           "holds\n",
                           player->entityNumber, fixed, limit);
    size_t entitiesLeftOut = 0;
    room -= std::min(room, WriteEntities(buffer, *player, room, entitiesLeftOut));
    if (WorldHostCutBegins(entitiesLeftOut > 0, client.toldEntitiesCut))
        DebugSystem::Print(kPrintWarning,
                           "Left the %zu farthest of %zu entities out of the update of player %d: it had no room for "
                           "them\n",
                           entitiesLeftOut, visible.size(), player->entityNumber);
    buffer.WriteInt(NetMessages::kListEnd);
    buffer.WriteBytes(tailBuffer.Data(), tailBuffer.Size());
    size_t soundsLeftOut = WriteSounds(buffer, player, room);
    if (WorldHostCutBegins(soundsLeftOut > 0, client.toldSoundsCut))
        DebugSystem::Print(kPrintWarning,
                           "Left the %zu newest sounds out of the update of player %d: it had no room for them\n",
                           soundsLeftOut, player->entityNumber);
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
    gGame->ClearPlayerLines();
    // Every client of the frame hears the frame's sounds: the list goes after the last one.
    gGame->ClearSounds();
}
