// QuestKindWorld -- the quest kinds' test world: a player in town, monster and quest-figure types, quests made directly or started through the game's quest list, and the news they send.
#pragma once

#include "server/quests/QuestTestWorld.h"

#include "core/DatabaseEntry.h"
#include "entities/Actor.h"
#include "entities/Player.h"
#include "rules/RulesEnums.h"
#include "rules/monsters/MonsterType.h"
#include "server/quests/GameQuests.h"
#include "server/quests/Quest.h"

#include <algorithm>
#include <memory>
#include <string>

class QuestKindWorld : public QuestTestWorld {
protected:
    // The monsters every kind's tests share; the quest figures' types are named for the one
    // class ("NpcGhostClassBeast").
    static constexpr const char* kQuestKindRecords = R"(
ClassBeast
{
    Type Class
    MinDamage 2
    MaxDamage 5
}
ArchetypeWild
{
    Type MonsterArchetype
    FactionName "Wilds"
}
ActorBeast
{
    Type Actor
    Class ClassBeast
    CanBeAttacked 1
    CanBeHurt 1
}
MonsterWolf
{
    Type MonsterType
    Archetype ArchetypeWild
    Definition ActorBeast
    Name "$$Wolf$$"
    MinLevel 1
    MaxLevel 60
    Version MonsterWolfAlpha
}
MonsterWolfAlpha
{
    Type MonsterType
    Archetype ArchetypeWild
    Definition ActorBeast
    Name "$$WolfAlpha$$"
    Rarity Unique
    MinLevel 1
    MaxLevel 60
    Excluded 1
}
MonsterBear
{
    Type MonsterType
    Archetype ArchetypeWild
    Definition ActorBeast
    Name "$$Bear$$"
    MinLevel 1
    MaxLevel 60
}
NpcGhostClassBeast
{
    Type MonsterType
    Archetype ArchetypeWild
    Definition ActorBeast
    MinLevel 1
    MaxLevel 60
    Excluded 1
}
NpcRevengeClassBeast
{
    Type MonsterType
    Archetype ArchetypeWild
    Definition ActorBeast
    MinLevel 1
    MaxLevel 60
    Excluded 1
}
NpcRescueClassBeast
{
    Type MonsterType
    Archetype ArchetypeWild
    Definition ActorBeast
    MinLevel 1
    MaxLevel 60
    Excluded 1
}
NpcEscortClassBeast
{
    Type MonsterType
    Archetype ArchetypeWild
    Definition ActorBeast
    MinLevel 1
    MaxLevel 60
    Excluded 1
}
NpcDeliveryClassBeast
{
    Type MonsterType
    Archetype ArchetypeWild
    Definition ActorBeast
    MinLevel 1
    MaxLevel 60
    Excluded 1
}
NpcRenegadeClassBeast
{
    Type MonsterType
    Archetype ArchetypeWild
    Definition ActorBeast
    MinLevel 1
    MaxLevel 60
    Excluded 1
}
NpcThief
{
    Type MonsterType
    Archetype ArchetypeWild
    Definition ActorBeast
    MinLevel 1
    MaxLevel 60
    Excluded 1
    Thief 1
}
MonsterTownAttackGate
{
    Type MonsterType
    Archetype ArchetypeWild
    Definition ActorBeast
    MinLevel 1
    MaxLevel 60
    Excluded 1
}
MonsterEngine
{
    Type MonsterType
    Archetype ArchetypeWild
    Definition ActorBeast
    MinLevel 1
    MaxLevel 60
    Excluded 1
}
)";

    void Load(const std::string& records)
    {
        Player::RegisterEventClass(events, types);
        Actor::RegisterEventClass(events, types);
        LoadRecords(std::string(kQuestKindRecords) + records);
        GiveQuestAreas("");
        player = Spawn<Player>(300.0f, 100.0f);
        player->stats.Set(CharacterStat::Level, 4);
        player->maxHealth = player->health = 50;
    }

    GameQuests& quests() { return game->GetQuests(); }

    // A quest of the definition put straight into the game's list, without generation: the
    // tests set what generation would have chosen.
    Quest* Make(const char* name, int32_t questLevel = 4)
    {
        auto quest = std::make_unique<Quest>(&quests());
        EXPECT_TRUE(quest->Setup(database.FindEntryByName(name), questLevel, 77u, 0, {})) << name;
        quest->count = 1;
        return quests().GetQuest(quests().AddQuest(std::move(quest)));
    }

    // Started through the game's list: generation and set-up by kind.
    Quest* Start(const char* name)
    {
        return quests().StartQuest(gameData.GetQuestDefinitions().FindIndex(name), nullptr, 4);
    }

    Actor* Creature(const char* type, float x, int32_t level = 0)
    {
        auto* actor = new Actor();
        actor->SetUpFromMonsterType(gameData.FindMonsterType(type), 3, false);
        actor->maxHealth = actor->health = 20;
        actor->SetPosition(At(x, 100.0f, level));
        EXPECT_NE(game->AddEntity(actor), -1);
        return actor;
    }

    void Kill(Entity& victim, Entity* killer)
    {
        victim.health = 0;
        game->OnEntityKilled(victim, killer);
    }

    // Lines for every client and those for one player alone.
    int32_t CountLinesWith(const std::string& text) const
    {
        const std::vector<std::string>& lines = game->GetClientLines();
        const auto& own = game->GetPlayerLines();
        return static_cast<int32_t>(std::count_if(lines.begin(), lines.end(), [&text](const std::string& line) {
                   return line.find(text) != std::string::npos;
               }) + std::count_if(own.begin(), own.end(), [&text](const auto& line) {
                   return line.second.find(text) != std::string::npos;
               }));
    }

    int32_t CountActorsOfType(const char* type) const
    {
        int32_t found = 0;
        for (int32_t number = 0; number < GameServices::kMaxEntities; ++number) {
            auto* actor = dynamic_cast<Actor*>(game->GetEntity(number));
            found += actor && actor->GetMonsterType() && actor->GetMonsterType()->GetEntry() &&
                     actor->GetMonsterType()->GetEntry()->GetName() == type;
        }
        return found;
    }

    int32_t Completed() const { return player->statistics.Get(PlayerStatistic::QuestsCompleted); }

    Player* player = nullptr;
};
