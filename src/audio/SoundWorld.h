// SoundWorld -- what the sound system asks of the game around it: positions, the listener, pause and window state.
#pragma once

#include <cstdint>

// A place in the game world: a level index and coordinates in that level's frame. The world
// library's own position type converts to and from it where the client meets the sound system.
struct SoundPos {
    int32_t level = -1;
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
};

struct SoundDelta {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
};

// The sound system reaches the world, the client and the window only through this view; the
// client overrides it once a game exists. The base answers for a program with no client: the
// listener at the origin of level -1, one flat frame for every level, no entities, never paused.
class SoundWorld {
public:
    virtual ~SoundWorld() = default;

    // The local player's level, x and y (z 0) while the client shows a game and the level
    // editor is closed; otherwise level -1 at the origin.
    virtual SoundPos GetListenerReference() const;
    // The vector from one place to another, the second re-expressed in the first's level frame.
    virtual SoundDelta DeltaTo(const SoundPos& from, const SoundPos& to) const;
    // Carries a place whose x or y left its level into the neighbouring level.
    virtual void Normalize(SoundPos& position) const;
    // The current position of the client's entity with that network number; false when the
    // client has no such entity.
    virtual bool FindEntityPosition(int32_t entity, SoundPos& out) const;
    // The local player's network entity number, -1 without one.
    virtual int32_t GetLocalPlayerEntity() const;
    virtual bool IsPaused() const;
    // The window's active flag (the system information's, when it exists): sound is muted
    // while another window has the focus.
    virtual bool IsApplicationActive() const;
    // True while the game is being set up (the busy cursor is shown): streams are not
    // refilled meanwhile.
    virtual bool AreStreamsHeld() const;
};
