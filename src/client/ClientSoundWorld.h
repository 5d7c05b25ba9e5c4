// ClientSoundWorld -- the sound system's view of the client's game: the listener at the local player, entities' places from their mirrors, level frames from the world, the game's pause.
#pragma once

#include "audio/SoundWorld.h"
#include "world/WorldPos.h"

// A ground point of the game as the sound system places it: on the ground, height 0.
inline SoundPos ClientSoundPos(const WorldPos& position)
{
    return SoundPos{position.level, position.x, position.y, 0.0f};
}

// Answers as the base world (no client) while no game is joined.
class ClientSoundWorld : public SoundWorld {
public:
    SoundPos GetListenerReference() const override;
    SoundDelta DeltaTo(const SoundPos& from, const SoundPos& to) const override;
    void Normalize(SoundPos& position) const override;
    bool FindEntityPosition(int32_t entity, SoundPos& out) const override;
    int32_t GetLocalPlayerEntity() const override;
    bool IsPaused() const override;
};
