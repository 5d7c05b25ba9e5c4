// WorldHostStateKindsTest -- every entity class the world host sends writes exactly the state its record's kind names, so that a reader that knows only the record reads each record to its end.
#include "server/WorldHostWorld.h"

#include "entities/Actor.h"
#include "entities/Chest.h"
#include "entities/Gate.h"
#include "entities/Item.h"
#include "entities/ItemGround.h"
#include "entities/Projectile.h"
#include "entities/Vendor.h"
#include "world/Level.h"
#include "world/NetEntityState.h"

#include <set>

namespace {

constexpr const char* kStateKindRecords = R"(
ArchetypeKin
{
    Type MonsterArchetype
}
ActorKin
{
    Type Actor
}
ActorTrader
{
    Type Actor
    Vendor 1
}
MonsterKin
{
    Type MonsterType
    Archetype ArchetypeKin
    Definition ActorKin
}
MonsterTrader
{
    Type MonsterType
    Archetype ArchetypeKin
    Definition ActorTrader
}
Knife
{
    Type Item
    ItemType Other
}
Purse
{
    Type Money
    ItemType Other
}
Letter
{
    Type QuestItem
    ItemType Other
}
Coffer
{
    Type Object
    ObjectType Chest
}
LootChest
{
    Type Chest
    SpawnChance 1
}
Portal
{
    Type Object
    ObjectType Gate
}
Arch
{
    Type Object
    Gate 1
}
Statue
{
    Type Object
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

class WorldHostStateKinds : public WorldHostWorld {
protected:
    WorldHostStateKinds()
    {
        Actor::RegisterEventClass(events, types);
        StartWorld("UsingCovenants 0\n", kStateKindRecords);
        ExtendFlatLevel();
    }

    // Open ground beside the start level, where anything can stand.
    void ExtendFlatLevel()
    {
        auto level = std::make_unique<Level>();
        level->column = gWorld->GetLevel(0)->column + 1;
        level->row = gWorld->GetLevel(0)->row;
        gWorld->AddLevel(std::move(level));
        game->ResetLevels();
    }

    template <class T>
    T* Place(T* entity, const char* record, float x)
    {
        if (record)
            entity->SetEntry(database.FindEntryByName(record));
        entity->SetPosition(At(x, 1000.0f, 1));
        EXPECT_NE(game->AddEntity(entity), -1);
        return entity;
    }

    Actor* PlaceActor(Actor* actor, const char* monsterType, float x)
    {
        actor->SetUpFromMonsterType(gameData.FindMonsterType(monsterType), 2, false);
        return Place(actor, nullptr, x);
    }
};

TEST_F(WorldHostStateKinds, EveryClassWritesTheStateItsRecordNames)
{
    TestClient client(5200);
    Player* player = Join(client);
    ASSERT_NE(player, nullptr);
    player->SetPosition(At(1000.0f, 1000.0f, 1));
    Actor* kin = PlaceActor(new Actor(), "MonsterKin", 900.0f);
    PlaceActor(new Vendor(), "MonsterTrader", 920.0f);
    float x = 1000.0f;
    for (const char* name : {"Knife", "Purse", "Letter"}) {
        auto item = std::make_unique<Item>();
        item->SetEntry(database.FindEntryByName(name));
        ASSERT_NE(ItemGround::Drop(At(x += 40.0f, 1100.0f, 1), item, true, true, false), nullptr) << name;
    }
    Place(new Chest(), "Coffer", 1200.0f);
    // The spawn system's chests are records of the chest type, naming no object kind.
    Place(new Chest(), "LootChest", 1220.0f);
    Place(new Gate(), "Portal", 1240.0f);
    Place(new Gate(), "Arch", 1280.0f);
    Place(new Entity(), "Statue", 1320.0f);
    Place(new Entity(), nullptr, 1360.0f);
    // A class with a state of its own but no record to name its kind: it sends none.
    Place(new Sentient(), nullptr, 1400.0f);
    for (const char* name : {"Dart", "Ray", "Arc"}) {
        ProjectileLaunch launch;
        launch.source = kin;
        launch.target = player;
        launch.targetPosition = player->position;
        ASSERT_NE(Entity::FireProjectile(name, launch), nullptr) << name;
    }

    MessageBuffer buffer;
    ASSERT_TRUE(host->WriteGameUpdate(buffer, *host->GetClients().front()));
    buffer.SetReadPos(4);
    NetGameUpdateHead head;
    ASSERT_TRUE(NetMessages::ReadGameUpdateHead(buffer, head));
    std::set<int32_t> kinds;
    int32_t records = 0;
    NetEntityHeader header;
    NetEntityState state;
    while (true) {
        size_t at = buffer.GetReadPos();
        if (buffer.ReadInt() == NetMessages::kListEnd)
            break;
        buffer.SetReadPos(at);
        ASSERT_TRUE(NetMessages::ReadEntityHeader(buffer, header));
        const DatabaseEntry* record = database.GetEntryByIndex(header.definition);
        int32_t kind = NetEntityStates::KindOf(record);
        ASSERT_TRUE(NetEntityStates::ReadState(buffer, kind, state)) << header.number;
        kinds.insert(kind);
        ++records;
        // The next word is another entity's number or the end: a state read short or long
        // would land inside a record.
        size_t next = buffer.GetReadPos();
        int32_t word = buffer.ReadInt();
        buffer.SetReadPos(next);
        const Entity* following = game->GetEntity(word);
        ASSERT_TRUE(word == NetMessages::kListEnd || (following && following->entityNumber == word))
            << "after " << header.number << " (" << (record ? record->GetName() : "no record") << ")";
    }
    EXPECT_EQ(records, game->CountEntities());
    EXPECT_EQ(kinds, (std::set<int32_t>{NetStateKind::None, NetStateKind::Equipment, NetStateKind::Creature,
                                        NetStateKind::Item, NetStateKind::Money, NetStateKind::QuestItem,
                                        NetStateKind::Chest, NetStateKind::Projectile, NetStateKind::Gate}));
}

} // namespace
