// Game -- the list of rule systems the game tells of every kill.
#include "server/Game.h"

#include "entities/GameSystem.h"

#include <algorithm>

void Game::AddRuleSystem(GameSystem* system)
{
    if (system && std::find(ruleSystems.begin(), ruleSystems.end(), system) == ruleSystems.end())
        ruleSystems.push_back(system);
}

void Game::RemoveRuleSystem(GameSystem* system)
{
    ruleSystems.erase(std::remove(ruleSystems.begin(), ruleSystems.end(), system), ruleSystems.end());
}

void Game::NotifyRuleSystemsOfKill(Entity* killer, Entity* victim, int32_t flag)
{
    for (GameSystem* system : ruleSystems)
        system->OnKill(killer, victim, flag);
}
