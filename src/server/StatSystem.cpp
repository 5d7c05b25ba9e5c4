// StatSystem -- the rule system that counts the players' kills and deaths in their character statistics.
#include "server/StatSystem.h"

#include "entities/Player.h"
#include "server/Game.h"

StatSystem* gStatSystem = nullptr;

void StatSystem::Create()
{
    if (!gStatSystem)
        gStatSystem = new StatSystem();
    if (gGame)
        gGame->AddRuleSystem(gStatSystem);
}

void StatSystem::Destroy()
{
    if (!gStatSystem)
        return;
    if (gGame)
        gGame->RemoveRuleSystem(gStatSystem);
    delete gStatSystem;
    gStatSystem = nullptr;
}

void StatSystem::OnKill(Entity* killer, Entity* victim, int32_t flag)
{
    // Only sentients count: a broken chest or a sprung trap is nobody's kill.
    if (flag != 0 || !dynamic_cast<Sentient*>(victim))
        return;
    if (auto* player = dynamic_cast<Player*>(killer))
        player->statistics.Add(PlayerStatistic::Kills, 1);
    if (auto* player = dynamic_cast<Player*>(victim))
        player->statistics.Add(PlayerStatistic::Deaths, 1);
}
