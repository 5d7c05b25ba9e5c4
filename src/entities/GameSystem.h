// GameSystem -- the base of the game-wide rule systems the game tells of every kill.
#pragma once

#include <cstdint>

class Entity;

class GameSystem {
public:
    virtual ~GameSystem() = default;
    // Every kill the game handles; the flag is 0 for an ordinary death. Either entity may be
    // missing.
    virtual void OnKill(Entity* killer, Entity* victim, int32_t flag) = 0;
};
