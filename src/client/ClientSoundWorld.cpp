// ClientSoundWorld -- the sound system's view of the client's game: the listener at the local player, entities' places from their mirrors, level frames from the world, the game's pause.
#include "client/ClientSoundWorld.h"

#include "client/ClientApp.h"
#include "client/EntityClient.h"
#include "client/GameClient.h"
#include "client/LocalPlayerLink.h"
#include "world/World.h"

namespace {

LocalPlayerLink* ClientSoundWorldLink()
{
    return gClientApp && gClientApp->IsActive() ? gClientApp->GetLink() : nullptr;
}

// Level frames need the world and a level of its list.
bool ClientSoundWorldKnows(const SoundPos& position)
{
    return gWorld && position.level >= 0 && position.level < gWorld->GetLevelCount();
}

} // namespace

SoundPos ClientSoundWorld::GetListenerReference() const
{
    LocalPlayerLink* link = ClientSoundWorldLink();
    if (!link)
        return SoundWorld::GetListenerReference();
    return ClientSoundPos(link->GetPosition());
}

SoundDelta ClientSoundWorld::DeltaTo(const SoundPos& from, const SoundPos& to) const
{
    if (!ClientSoundWorldKnows(from) || !ClientSoundWorldKnows(to))
        return SoundWorld::DeltaTo(from, to);
    Vector2 delta = WorldPos{from.level, from.x, from.y, true}.DeltaTo(WorldPos{to.level, to.x, to.y, true});
    return {delta.x, delta.y, to.z - from.z};
}

void ClientSoundWorld::Normalize(SoundPos& position) const
{
    if (!ClientSoundWorldKnows(position))
        return;
    WorldPos at{position.level, position.x, position.y, true};
    at.Normalize();
    position.level = at.level;
    position.x = at.x;
    position.y = at.y;
}

bool ClientSoundWorld::FindEntityPosition(int32_t entity, SoundPos& out) const
{
    const EntityClient* mirror = gGameClient ? gGameClient->GetEntity(entity) : nullptr;
    if (!mirror)
        return false;
    out = SoundPos{mirror->position.level, mirror->position.x, mirror->position.y, out.z};
    return true;
}

int32_t ClientSoundWorld::GetLocalPlayerEntity() const
{
    LocalPlayerLink* link = ClientSoundWorldLink();
    return link ? link->GetEntityNumber() : -1;
}

bool ClientSoundWorld::IsPaused() const
{
    return gClientApp && gClientApp->IsActive() && gClientApp->IsPaused();
}
