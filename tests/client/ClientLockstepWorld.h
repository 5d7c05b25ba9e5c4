// ClientLockstepWorld -- a joined client beside a world host whose game holds every kind of entity that writes a state: creatures, items, money, a quest item, a chest, a gate and projectiles.
#pragma once

#include "client/ClientWorld.h"

#include "entities/Actor.h"
#include "entities/Chest.h"
#include "entities/Gate.h"
#include "entities/Item.h"
#include "entities/ItemGround.h"
#include "entities/Projectile.h"

#include <cmath>

class ClientLockstepWorld : public ClientWorld {
protected:
    static constexpr const char* kLockstepRecords = R"(
ArchetypeGoblin
{
    Type MonsterArchetype
    FactionName "Monsters"
    QuestItemName "Totem"
    RandomSize 1
    MinSize 0.8
    MaxSize 1.2
}
ActorGoblin
{
    Type Actor
    CanMove 1
    BaseSpeed 100
}
MonsterGoblin
{
    Type MonsterType
    Archetype ArchetypeGoblin
    Definition ActorGoblin
    Name "Goblin"
    MinLevel 1
    MaxLevel 30
}
Dagger
{
    Type Item
    ItemType Other
}
Coins
{
    Type Money
    ItemType Other
}
Scroll
{
    Type QuestItem
    ItemType Other
}
ChestPlain
{
    Type Object
    ObjectType Chest
    Radius 20
}
GatePlain
{
    Type Object
    ObjectType Gate
    Gate 1
}
Dart
{
    Type Projectile
    ProjectileType Normal
    Speed 200
}
Ray
{
    Type Projectile
    ProjectileType Beam
}
Arc
{
    Type Projectile
    ProjectileType Lob
    Speed 100
    LobSpeed 50
}
)";

    ClientLockstepWorld() { Actor::RegisterEventClass(events, types); }

    // The world with the records above beside the adventure's, and the client joined.
    void StartLockstep()
    {
        StartAndJoin(kLockstepRecords);
        player = link->player;
        ExtendEast(2);
    }

    // More levels east of the start level, in a row, so that a walk crosses their edges.
    void ExtendEast(int32_t count)
    {
        int32_t first = gWorld->GetLevelCount();
        const Level* start = gWorld->GetLevel(0);
        for (int32_t i = 0; i < count; ++i) {
            auto level = std::make_unique<Level>();
            level->column = start->column + 1 + i;
            level->row = start->row;
            gWorld->AddLevel(std::move(level));
        }
        std::vector<int32_t> row{0};
        for (int32_t i = 0; i < count; ++i)
            row.push_back(first + i);
        for (size_t i = 0; i < row.size(); ++i) {
            Level* level = gWorld->GetLevel(row[i]);
            for (int32_t direction = 0; direction < kWorldDirectionCount; ++direction) {
                LevelStep step = LevelStepOfDirection(direction);
                auto column = static_cast<int32_t>(i) + step.dx;
                if (step.dy == 0 && column >= 0 && column < static_cast<int32_t>(row.size()))
                    level->neighbours[static_cast<size_t>(direction)] = row[static_cast<size_t>(column)];
            }
        }
        game->ResetLevels();
    }

    Actor* AddGoblin(const WorldPos& where)
    {
        auto* goblin = new Actor();
        goblin->SetUpFromMonsterType(gameData.FindMonsterType("MonsterGoblin"), 3, false);
        goblin->SetPosition(where);
        return Keep(goblin);
    }

    ItemGround* DropItem(const char* name, const WorldPos& where)
    {
        auto item = std::make_unique<Item>();
        item->SetEntry(database.FindEntryByName(name));
        return ItemGround::Drop(where, item, true, true, false);
    }

    Chest* AddChest(const WorldPos& where)
    {
        auto* chest = new Chest();
        chest->SetEntry(database.FindEntryByName("ChestPlain"));
        chest->SetPosition(where);
        return Keep(chest);
    }

    Gate* AddGate(const WorldPos& where)
    {
        auto* gate = new Gate();
        gate->SetEntry(database.FindEntryByName("GatePlain"));
        gate->SetPosition(where);
        return Keep(gate);
    }

    Projectile* Fire(const char* name, Entity* source, Entity* target)
    {
        ProjectileLaunch launch;
        launch.source = source;
        launch.target = target;
        launch.targetPosition = target ? target->position : source->position;
        return Entity::FireProjectile(name, launch);
    }

    // Near the player, dx and dy away.
    WorldPos Near(float dx, float dy) const
    {
        WorldPos where = player->position;
        where.x += dx;
        where.y += dy;
        where.Normalize();
        return where;
    }

    // A frame in which the client reads the update the host wrote in it.
    void LockstepFrame(uint32_t elapsedMs)
    {
        host->Tick(elapsedMs, false);
        host->ServerFrame();
        host->ServerFrameEnd();
        Client::Receive();
    }

    // The update the host would send the player now, as bytes.
    MessageBuffer WriteUpdate()
    {
        MessageBuffer buffer;
        host->WriteGameUpdate(buffer, *host->GetClients().front());
        buffer.SetReadPos(0);
        return buffer;
    }

    Player* player = nullptr;

private:
    template <class T>
    T* Keep(T* entity)
    {
        if (game->AddEntity(entity) == -1) {
            delete entity;
            return nullptr;
        }
        return entity;
    }
};
