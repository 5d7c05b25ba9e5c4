// Game -- what the actors ask of the game: walks through the path finder, generated levels and the faction list.
#include "server/Game.h"

#include "covenants/FactionSystem.h"

#include "entities/Actor.h"
#include "entities/Entity.h"
#include "world/PathFinder.h"
#include "world/World.h"

#include <algorithm>

bool Game::FindPath(const Entity& mover, const WorldPos& from, const WorldPos& target, const Entity* targetEntity,
                    PathRecord* path)
{
    return gPathFinder && gPathFinder->FindPath(&mover, from, target, targetEntity, path, nullptr);
}

bool Game::IsLevelGenerated(int32_t level) const
{
    return gWorld && gWorld->IsLevelGenerated(level);
}

bool Game::PickPointInLevel(int32_t level, WorldPos& out)
{
    if (!gWorld)
        return false;
    WorldPos point = gWorld->RandomPointInLevel(level);
    if (point.level < 0)
        return false;
    out = point;
    return true;
}

void Game::CallForHelp(Entity& actor, Entity* attacker, float range)
{
    if (!attacker)
        return;
    std::vector<Entity*> allies;
    FindEntitiesInRadius(actor.position, &actor, range, RadiusFilter::FactionAlly | RadiusFilter::NotSource, allies,
                         false);
    for (Entity* ally : allies)
        if (auto* helper = dynamic_cast<Actor*>(ally); helper && helper != attacker && helper->IsAlive())
            helper->AlertCompanion(attacker);
}

bool Game::AreAllActorsPassive() const
{
    for (int32_t number = 0; number < kMaxEntities; ++number) {
        const auto* actor = dynamic_cast<const Actor*>(GetEntity(number));
        if (actor && actor->health > 0 && actor->maxHealth > 0 && actor->IsActive())
            return false;
    }
    return true;
}

Actor* Game::GetNamedActor(int32_t index) const
{
    if (index < 0 || index >= CountNamedActors())
        return nullptr;
    return namedActors[static_cast<size_t>(index)].GetAs<Actor>();
}

void Game::GetNamedEntry(int32_t index, std::string& out) const
{
    Actor* named = GetNamedActor(index);
    out = named ? named->GetName() : std::string();
}

int32_t Game::GetOrAddFaction(std::string_view name)
{
    return factionSystem->GetOrAddFaction(name);
}
