// ClientEffectContext -- what live effects ask of the game client: its entities by number and by owner, and sounds at a place.
#include "client/ClientEffectContext.h"

#include "audio/SoundSystem.h"
#include "client/ClientApp.h"
#include "client/ClientUi.h"
#include "client/EntityClient.h"
#include "client/GameClient.h"

bool ClientEffectContext::IsPaused()
{
    return Client::IsPaused();
}

bool ClientEffectContext::WantsAnimationWhilePaused()
{
    return gClientApp && gClientApp->GetUi() && gClientApp->GetUi()->WantsEffectsWhilePaused();
}

EffectHost* ClientEffectContext::GetEntity(int32_t number)
{
    EntityClient* entity = gGameClient ? gGameClient->GetEntity(number) : nullptr;
    return entity ? &entity->GetEffectHost() : nullptr;
}

EffectHost* ClientEffectContext::FindEntityByOwner(EffectHost* owner, int32_t subId)
{
    // Every host the client hands out is an entity's own.
    auto* ownerHost = dynamic_cast<EntityEffectHost*>(owner);
    EntityClient* found =
        ownerHost && gGameClient ? gGameClient->FindEntityByOwner(&ownerHost->GetEntity(), subId) : nullptr;
    return found ? &found->GetEffectHost() : nullptr;
}

void ClientEffectContext::PlaySound(int32_t sound, const EffectPos& position)
{
    if (sound == -1 || !gSoundSystem || !gSoundSystem->IsInitialised())
        return;
    SoundPos where{position.level, position.point.x, position.point.y, position.point.z};
    gSoundSystem->PlayOwnedSound(sound, where, -1, 0, false, 0.0f, 0.0f);
}
