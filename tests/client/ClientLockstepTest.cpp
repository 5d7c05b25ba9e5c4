// ClientLockstepTest -- the client's mirror against the world host's view, frame by frame through the real datagrams: creatures moving, dying and coming back, items dropped and taken, a chest opened, projectiles and a level edge crossed.
#include "client/ClientLockstepWorld.h"

#include "core/RandomSystem.h"
#include "core/SafePointer.h"

#include <algorithm>
#include <sstream>

namespace {

class ClientLockstep : public ClientLockstepWorld {
protected:
    // Every difference between the mirror and what the host's update names, as text.
    std::string Differences()
    {
        std::ostringstream out;
        const std::vector<Entity*>& visible = host->CollectVisible(*player);
        std::vector<bool> named(GameClient::kMaxEntities);
        for (const Entity* entity : visible) {
            named[static_cast<size_t>(entity->entityNumber)] = true;
            const EntityClient* mirror = gameClient->GetEntity(entity->entityNumber);
            if (!mirror) {
                out << "missing " << entity->entityNumber << "\n";
                continue;
            }
            auto differ = [&](const char* what, auto mine, auto theirs) {
                if (mine != theirs)
                    out << entity->entityNumber << " " << what << " " << mine << " != " << theirs << "\n";
            };
            differ("record", mirror->GetRecord(), entity->GetNetRecord());
            differ("level", mirror->position.level, entity->position.level);
            differ("x", mirror->position.x, entity->position.x);
            differ("y", mirror->position.y, entity->position.y);
            differ("health", mirror->health, std::min(entity->health, entity->maxHealth));
            differ("maximum", mirror->maxHealth, entity->maxHealth);
            differ("animation", mirror->serverAnimation, entity->anim);
            differ("covenant", mirror->covenantIndex, entity->covenantIndex);
            if (const auto* actor = dynamic_cast<const Actor*>(entity)) {
                differ("seed", mirror->nameSeed, actor->GetNameSeed());
                differ("creature level", mirror->level, actor->stats.Get(CharacterStat::Level));
            }
            if (const auto* chest = dynamic_cast<const Chest*>(entity))
                differ("chest", mirror->isUsableObject, chest->IsClosed());
        }
        for (int32_t i = 0; i < GameClient::kMaxEntities; ++i)
            if (gameClient->GetEntity(i) && !named[static_cast<size_t>(i)])
                out << "extra " << i << "\n";
        return out.str();
    }

    float Draw(float spread) { return (steps.RandomFloat(RandomStream::GameData) - 0.5f) * spread; }

    RandomSystem steps{4242};
};

TEST_F(ClientLockstep, SixHundredStepsKeepTheMirrorEqualToTheHostsView)
{
    StartLockstep();
    std::vector<Actor*> goblins;
    for (int32_t i = 0; i < 6; ++i)
        goblins.push_back(AddGoblin(Near(100.0f + 40.0f * static_cast<float>(i), 80.0f)));
    Chest* chest = AddChest(Near(-120.0f, -60.0f));
    ASSERT_NE(AddGate(Near(-200.0f, 150.0f)), nullptr);
    ASSERT_NE(chest, nullptr);
    // An opened chest may fade and delete itself before the run ends.
    SafePointer chestRef(chest);
    bool chestOpened = false;
    int32_t startLevel = player->position.level;
    int32_t projectilesSeen = 0;
    int32_t itemsSeen = 0;

    for (int32_t step = 0; step < 600; ++step) {
        for (Actor*& goblin : goblins) {
            if (!goblin)
                continue;
            goblin->SetPosition(Near(goblin->position.DeltaTo(player->position).x * -1.0f + Draw(6.0f),
                                     goblin->position.DeltaTo(player->position).y * -1.0f + Draw(6.0f)));
        }
        if (step % 50 == 25) {
            Actor* victim = goblins[static_cast<size_t>(step / 50) % goblins.size()];
            if (victim)
                victim->TakeDamage(victim->health + 100, nullptr, false, true);
        }
        if (step % 50 == 45) {
            // The dead come back: the fallen one goes and a new one stands in its place.
            auto fallen = std::find_if(goblins.begin(), goblins.end(), [](Actor* a) { return a && a->IsDead(); });
            if (fallen != goblins.end()) {
                game->RemoveEntity(*fallen);
                delete *fallen;
                *fallen = AddGoblin(Near(Draw(300.0f), Draw(300.0f)));
            }
        }
        if (step % 30 == 10)
            DropItem(step % 90 == 10 ? "Dagger" : step % 90 == 40 ? "Coins" : "Scroll", Near(Draw(200.0f), 40.0f));
        if (step % 30 == 20) {
            for (int32_t i = 0; i < GameServices::kMaxEntities; ++i) {
                Entity* entity = game->GetEntity(i);
                if (entity && entity->IsGroundItem()) {
                    game->RemoveEntity(entity);
                    delete entity;
                    break;
                }
            }
        }
        if (step == 120)
            chest->Use(player);
        if (Chest* standing = chestRef.GetAs<Chest>())
            chestOpened = chestOpened || !standing->IsClosed();
        if (step % 20 == 5 && goblins.front())
            Fire(step % 60 == 5 ? "Dart" : step % 60 == 25 ? "Ray" : "Arc", goblins.front(), player);

        LockstepFrame(50);
        for (const Entity* entity : host->CollectVisible(*player)) {
            projectilesSeen += entity->IsProjectile();
            itemsSeen += entity->IsGroundItem();
        }
        std::string differences = Differences();
        ASSERT_TRUE(differences.empty()) << "step " << step << ":\n" << differences;
        gameClient->Update(0.05f);
        // The player walks east as its client says: it crosses into the next level on the way.
        link->position = Near(12.0f, 0.0f);
        Client::SendUpdate();
    }
    EXPECT_NE(player->position.level, startLevel);
    EXPECT_GT(projectilesSeen, 0);
    EXPECT_GT(itemsSeen, 0);
    EXPECT_TRUE(chestOpened);
}

} // namespace
