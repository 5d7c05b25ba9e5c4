// ProjectileTest -- projectiles of every kind on scripted worlds: flights, hits and ends, rings that strike once per damage time, beams that chain a bounded number of times, and the state the clients read.
#include "entities/CombatWorld.h"
#include "entities/Projectile.h"

#include "core/DebugSystem.h"
#include "core/MessageBuffer.h"
#include "support/LogLines.h"

#include "BenchAllocations.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

constexpr const char* kProjectileRecords = R"(
Dart
{
    Type Projectile
    ProjectileType Normal
    Speed 200
}
Still
{
    Type Projectile
    ProjectileType Normal
}
Arc
{
    Type Projectile
    ProjectileType Lob
    Speed 100
    LobSpeed 50
}
Mortar
{
    Type Projectile
    ProjectileType StraightLob
    Speed 100
    LobSpeed 1
    LobVerticalAccel 20
}
Bolt
{
    Type Projectile
    ProjectileType Straight
    Speed 200
}
Wanderer
{
    Type Projectile
    ProjectileType Straight
    Speed 100
    Life 2
}
Pulse
{
    Type Projectile
    ProjectileType Ring
    StartDistance 50
    Life 3.5
    ConstantDamage 1
    DamageTime 1
}
Flash
{
    Type Projectile
    ProjectileType Ring
    StartDistance 50
    Life 3.5
}
Spark
{
    Type Projectile
    ProjectileType Beam
    Life 2
    ChainTime 0.2
    MaxChains 3
    ChainDistance 500
}
SparkSingle
{
    Type Projectile
    ProjectileType Beam
    Life 2
    ChainTime 0.2
    MaxChains 1
    ChainDistance 500
}
Oddity
{
    Type Projectile
    ProjectileType Wobbly
}
LivedDart
{
    Type Projectile
    ProjectileType Normal
    Speed 1
    Life 2
}
LivedRing
{
    Type Projectile
    ProjectileType Ring
    Life 2
}
LivedBeam
{
    Type Projectile
    ProjectileType Beam
    Life 2
}
LivedArc
{
    Type Projectile
    ProjectileType Lob
    Speed 1
    LobSpeed 1
    Life 2
}
LivedMortar
{
    Type Projectile
    ProjectileType StraightLob
    Speed 1
    Life 2
}
Cascade
{
    Type Projectile
    ProjectileType Straight
    Speed 100
    ExplosionProjectile Cascade
}
)";

class Projectiles : public CombatWorld {
protected:
    void SetUp() override
    {
        Projectile::RegisterTypeNames();
        LoadCombat(kProjectileRecords);
    }

    Projectile* Fire(const char* name, Entity* source, Entity* target, float damage)
    {
        StatPairList list;
        list.Add(DamageType::Physical, damage, damage);
        ProjectileLaunch launch;
        launch.damage = &list;
        launch.source = source;
        launch.target = target;
        if (target)
            launch.targetPosition = target->position;
        return Entity::FireProjectile(name, launch);
    }

    int32_t CountProjectiles() const
    {
        int32_t count = 0;
        for (int32_t i = 0; i < GameServices::kMaxEntities; ++i)
            count += game.GetEntity(i) && game.GetEntity(i)->IsProjectile() ? 1 : 0;
        return count;
    }

    // Steps of the game: every entity's update, then the timed actions, as the game runs them.
    void Run(float seconds)
    {
        auto steps = static_cast<int32_t>(seconds / FakeGameServices::kStep + 0.5f);
        for (int32_t step = 0; step < steps; ++step) {
            for (int32_t i = 0; i < GameServices::kMaxEntities; ++i)
                if (Entity* entity = game.GetEntity(i))
                    entity->Update(FakeGameServices::kStep);
            game.Step();
        }
    }

    bool Alive(const Projectile* projectile, int32_t number) const { return game.GetEntity(number) == projectile; }
};

} // namespace

TEST_F(Projectiles, TheTypeNamesAreRegisteredInOrder)
{
    const char* names[] = {"Normal", "Ring", "Beam", "Lob", "Straight", "StraightLob"};
    for (int32_t i = 0; i < ProjectileType::kCount; ++i)
        EXPECT_EQ(Projectile::GetTypeByName(names[i]), i);
    Projectile* odd = Fire("Oddity", Dummy(0, 0, 10), Dummy(50, 0, 10), 1);
    ASSERT_NE(odd, nullptr);
    EXPECT_EQ(odd->projectileType, ProjectileType::Normal);
    EXPECT_EQ(Fire("NoSuchRecord", Dummy(0, 0, 10), nullptr, 1), nullptr);
}

TEST_F(Projectiles, AHomingShotHitsItsTargetAndEnds)
{
    CombatDummy* source = Dummy(0, 0, 100);
    CombatDummy* target = Dummy(100, 0, 100);
    Projectile* dart = Fire("Dart", source, target, 5);
    int32_t number = dart->entityNumber;
    Run(0.3f);
    EXPECT_TRUE(Alive(dart, number));
    EXPECT_GT(dart->position.x, 0.0f);
    Run(0.4f);
    EXPECT_FALSE(Alive(dart, number));
    EXPECT_EQ(target->health, 95);
    EXPECT_EQ(source->told.back(), "dealt 5");
}

TEST_F(Projectiles, AHomingShotWhoseTargetIsGoneEndsWithoutAHit)
{
    CombatDummy* source = Dummy(0, 0, 100);
    CombatDummy* target = Dummy(400, 0, 100);
    Projectile* dart = Fire("Dart", source, target, 5);
    int32_t number = dart->entityNumber;
    target->ScheduleDelete(0.0f);
    Run(0.15f);
    EXPECT_FALSE(Alive(dart, number));
    EXPECT_TRUE(source->told.empty());
}

TEST_F(Projectiles, AStandingShotEndsAtTheSafetyLife)
{
    Projectile* still = Fire("Still", Dummy(0, 0, 100), Dummy(400, 0, 100), 5);
    int32_t number = still->entityNumber;
    Run(29.8f);
    EXPECT_TRUE(Alive(still, number));
    Run(0.4f);
    EXPECT_FALSE(Alive(still, number));
}

TEST_F(Projectiles, ALobRisesThenFallsAndReportsItsHeight)
{
    CombatDummy* target = Dummy(200, 0, 100);
    Projectile* arc = Fire("Arc", Dummy(0, 0, 100), target, 5);
    int32_t number = arc->entityNumber;
    float highest = 0.0f;
    for (int32_t i = 0; i < 50 && Alive(arc, number); ++i) {
        highest = std::max(highest, arc->height);
        MessageBuffer buffer;
        arc->WriteNetState(buffer);
        buffer.SetReadPos(0);
        EXPECT_FALSE(buffer.ReadBool());
        EXPECT_TRUE(buffer.ReadBool());
        EXPECT_FLOAT_EQ(buffer.ReadFloat(), arc->height);
        Run(FakeGameServices::kStep);
    }
    EXPECT_FALSE(Alive(arc, number));
    EXPECT_NEAR(highest, 50.0f, 3.0f);
    EXPECT_EQ(target->health, 95);
}

TEST_F(Projectiles, AStraightLobFliesToWhereTheTargetStood)
{
    CombatDummy* target = Dummy(100, 0, 100);
    Projectile* mortar = Fire("Mortar", Dummy(0, 0, 100), target, 5);
    int32_t number = mortar->entityNumber;
    EXPECT_EQ(mortar->GetCurrentTarget(), nullptr);
    target->SetPosition(At(100, 300));
    Run(1.1f);
    EXPECT_FALSE(Alive(mortar, number));
    EXPECT_EQ(target->health, 100);
}

TEST_F(Projectiles, AStraightShotFliesUntilSomethingStopsIt)
{
    CombatDummy* source = Dummy(0, 0, 100);
    source->facing = 2;
    game.lineBlocked = [](const WorldPos&, const WorldPos& to) { return to.x > 300.0f; };
    Projectile* bolt = Fire("Bolt", source, nullptr, 5);
    int32_t number = bolt->entityNumber;
    Run(1.4f);
    EXPECT_TRUE(Alive(bolt, number));
    Run(0.2f);
    EXPECT_FALSE(Alive(bolt, number));
    CombatDummy* inTheWay = Dummy(150, 0, 100);
    inTheWay->radius = 10.0f;
    Projectile* second = Fire("Bolt", source, nullptr, 5);
    int32_t secondNumber = second->entityNumber;
    Run(1.0f);
    EXPECT_FALSE(Alive(second, secondNumber));
    EXPECT_EQ(inTheWay->health, 95);
}

TEST_F(Projectiles, EveryTypeHonoursItsLife)
{
    CombatDummy* source = Dummy(0, 0, 100);
    Projectile* wanderer = Fire("Wanderer", source, nullptr, 5);
    int32_t number = wanderer->entityNumber;
    Run(1.9f);
    EXPECT_TRUE(Alive(wanderer, number));
    Run(0.2f);
    EXPECT_FALSE(Alive(wanderer, number));
    // The others, each far from its target so that only its life can end it.
    for (const char* name : {"LivedDart", "LivedRing", "LivedBeam", "LivedArc", "LivedMortar"}) {
        CombatDummy* shooter = Dummy(-1000, 0, 100);
        CombatDummy* far = Dummy(1000, 0, 1000000);
        Projectile* shot = Fire(name, shooter, far, 1);
        ASSERT_NE(shot, nullptr) << name;
        int32_t slot = shot->entityNumber;
        Run(1.9f);
        EXPECT_TRUE(Alive(shot, slot)) << name;
        Run(0.2f);
        EXPECT_FALSE(Alive(shot, slot)) << name;
    }
}

TEST_F(Projectiles, AShotThatFiresItselfAtEveryImpactEndsAfterFourExplosions)
{
    CombatDummy* source = Dummy(0, 0, 100);
    source->facing = 2;
    game.lineBlocked = [](const WorldPos&, const WorldPos&) { return true; };
    ASSERT_NE(Fire("Cascade", source, nullptr, 1), nullptr);
    Run(1.0f);
    EXPECT_EQ(CountProjectiles(), 0);
    // Each impact reports to the source: the first shot and the four it led to.
    EXPECT_EQ(std::count(source->told.begin(), source->told.end(), "dealt 0"), 5);
}

TEST_F(Projectiles, FlyingShotsAndRingsAllocateNothingOnceWarm)
{
    CombatDummy* source = Dummy(0, 0, 100);
    source->facing = 2;
    // Beside a straight shot's way, and inside a ring that struck it already.
    Dummy(20, 60, 100)->radius = 5.0f;
    Projectile* bolt = Fire("Bolt", source, nullptr, 1);
    Projectile* flash = Fire("Flash", source, nullptr, 1);
    ASSERT_TRUE(bolt && flash);
    for (int32_t step = 0; step < 2; ++step)
        for (Projectile* shot : {bolt, flash})
            shot->Update(FakeGameServices::kStep);
    BenchAllocations::Reset();
    BenchAllocations::SetCounting(true);
    for (int32_t step = 0; step < 10; ++step)
        for (Projectile* shot : {bolt, flash})
            shot->Update(FakeGameServices::kStep);
    BenchAllocations::SetCounting(false);
    EXPECT_EQ(BenchAllocations::Count(), 0);
}

TEST_F(Projectiles, TheSafetyLifeIsReportedOncePerRecord)
{
    DebugSystem debug;
    gDebugSystem = &debug;
    CombatDummy* source = Dummy(0, 0, 100);
    for (int32_t i = 0; i < 3; ++i)
        Fire("Still", source, Dummy(400, 100.0f * static_cast<float>(i), 100), 5);
    Fire("Flash", source, nullptr, 1)->lifeTimer.running = 0;
    Run(30.2f);
    EXPECT_EQ(CountProjectiles(), 0);
    EXPECT_EQ(CountLinesHolding(debug, "Projectile Still reached its safety life"), 1);
    EXPECT_EQ(CountLinesHolding(debug, "Projectile Flash reached its safety life"), 1);
    gDebugSystem = nullptr;
}

TEST_F(Projectiles, AConstantRingStrikesOncePerDamageTime)
{
    CombatDummy* source = Dummy(0, 0, 100);
    CombatDummy* steady = Dummy(30, 0, 100);
    CombatDummy* outside = Dummy(90, 0, 100);
    Projectile* pulse = Fire("Pulse", source, nullptr, 10);
    int32_t number = pulse->entityNumber;
    Run(3.6f);
    EXPECT_FALSE(Alive(pulse, number));
    // Ten points spread over a life of 3.5 seconds: two a strike, four strikes.
    EXPECT_EQ(steady->health, 92);
    EXPECT_EQ(outside->health, 100);
    EXPECT_EQ(source->health, 100);
    CombatDummy* once = Dummy(-30, 0, 100);
    Fire("Flash", source, nullptr, 10);
    Run(3.6f);
    EXPECT_EQ(once->health, 90);
}

TEST_F(Projectiles, BeamsChainNoMoreThanTheirMaximumAllows)
{
    for (const char* name : {"SparkSingle", "Spark"}) {
        CombatDummy* source = Dummy(0, 0, 1000);
        std::vector<CombatDummy*> foes;
        for (int32_t i = 0; i < 5; ++i)
            foes.push_back(Dummy(50.0f + 40.0f * i, 0, 1000));
        Projectile* beam = Fire(name, source, foes[0], 5);
        ASSERT_NE(beam, nullptr);
        EXPECT_EQ(foes[0]->health, 995);
        int32_t most = 0;
        for (int32_t i = 0; i < 30; ++i) {
            Run(FakeGameServices::kStep);
            most = std::max(most, CountProjectiles());
        }
        EXPECT_EQ(most, std::string(name) == "Spark" ? 3 : 1) << name;
        int32_t struck = 0;
        for (CombatDummy* foe : foes)
            struck += foe->health < 1000 ? 1 : 0;
        EXPECT_EQ(struck, most) << name;
        Run(2.5f);
        EXPECT_EQ(CountProjectiles(), 0) << name;
        game.DestroyAll();
    }
}

TEST_F(Projectiles, ABeamTellsTheClientsItsEnds)
{
    CombatDummy* source = Dummy(0, 0, 100);
    CombatDummy* target = Dummy(60, 0, 100);
    Projectile* beam = Fire("SparkSingle", source, target, 1);
    MessageBuffer buffer;
    beam->WriteNetState(buffer);
    buffer.SetReadPos(0);
    EXPECT_TRUE(buffer.ReadBool());
    EXPECT_EQ(buffer.ReadInt(), source->entityNumber);
    EXPECT_EQ(buffer.ReadInt(), -1);
    EXPECT_EQ(buffer.ReadInt(), target->entityNumber);
    EXPECT_EQ(buffer.ReadInt(), -1);
    EXPECT_EQ(buffer.GetReadPos(), buffer.Size());
    std::vector<Entity*> linked;
    beam->CollectLinkedEntities(linked);
    EXPECT_EQ(linked, (std::vector<Entity*>{target, source}));
    EXPECT_FALSE(beam->IsFree());
}
