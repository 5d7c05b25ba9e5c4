// GameLifeTest -- the game's end at shut-down and what a death leaves behind: entities and their attachments deleted once while the services stand, slain wild creatures queued to come back.
#include "server/GameWorld.h"

#include "entities/Actor.h"
#include "entities/CombatSystem.h"
#include "entities/Player.h"

namespace {

class GameLife : public GameWorld {
protected:
    GameLife()
    {
        Sentient::RegisterEventClass(events, types);
        Actor::RegisterEventClass(events, types);
        Player::RegisterEventClass(events, types);
        LoadRecords("GameSystem\n{\n    MonsterRespawnTime 300\n}\n");
    }

    Actor* MakeMonster(float x, int32_t level = 0)
    {
        auto* monster = Spawn<Actor>(x, 100, level);
        monster->maxHealth = monster->health = 10;
        return monster;
    }

    static void Kill(Entity& victim, Entity* killer)
    {
        victim.health = 0;
        HandleKill(&victim, killer);
    }

    size_t Respawns(int32_t level) const
    {
        const std::vector<RespawnEntry>* queue = game->GetRespawnQueue(level);
        return queue ? queue->size() : 0;
    }
};

TEST_F(GameLife, ShutDownDeletesEveryEntityAndAttachmentOnceWhileTheServicesStand)
{
    // The process's own game, as the program makes and ends it.
    gGame = nullptr;
    Game::Create();
    Game* made = gGame;
    ASSERT_NE(made, game.get());
    auto* parent = new Actor();
    ASSERT_NE(made->AddEntity(parent), -1);
    SafePointer watched;
    Entity* attachment = Entity::CreateAttachment(nullptr, parent, "", "", 1.0f);
    ASSERT_NE(attachment, nullptr);
    watched.Set(attachment);
    // An attachment of the attachment: the chain goes from the top down.
    ASSERT_NE(Entity::CreateAttachment(nullptr, attachment, "", "", 1.0f), nullptr);
    Game::Shutdown();
    EXPECT_EQ(gGame, nullptr);
    EXPECT_EQ(gGameServices, nullptr);
    EXPECT_EQ(watched.Get(), nullptr);
    gGame = game.get();
    gGameServices = game.get();
}

TEST_F(GameLife, ASlainWildCreatureIsQueuedToComeBackAtItsHome)
{
    auto* player = Spawn<Player>(100, 100);
    Actor* wild = MakeMonster(300, 1);
    WorldPos home = wild->homePosition;
    wild->SetPosition(At(500, 500, 1));
    Kill(*wild, player);
    ASSERT_EQ(Respawns(1), 1u);
    const RespawnEntry& entry = game->GetRespawnQueue(1)->front();
    EXPECT_EQ(entry.position.x, home.x);
    EXPECT_EQ(entry.position.y, home.y);
    // "MonsterRespawnTime" varied by up to five percent either way.
    EXPECT_GE(entry.remaining, 285.0f);
    EXPECT_LE(entry.remaining, 315.0f);
}

TEST_F(GameLife, CovenantSummonedTownAndQuestCreaturesAndOthersDoNotComeBack)
{
    std::vector<Actor*> kept;
    for (int i = 0; i < 5; ++i)
        kept.push_back(MakeMonster(100.0f + 50.0f * static_cast<float>(i)));
    kept[0]->covenantIndex = 0;
    kept[1]->summoned = true;
    kept[2]->npc = true;
    kept[3]->questFigure = true;
    kept[4]->guard = true;
    for (Actor* actor : kept)
        Kill(*actor, nullptr);
    Kill(*Spawn<Sentient>(400, 100), nullptr);
    // Never placed: no home to come back to.
    auto* unplaced = new Actor();
    unplaced->maxHealth = 10;
    ASSERT_NE(game->AddEntity(unplaced), -1);
    Kill(*unplaced, nullptr);
    EXPECT_EQ(Respawns(0), 0u);
}

} // namespace
