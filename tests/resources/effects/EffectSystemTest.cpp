// EffectSystemTest -- starting, stopping, finding, limiting, updating and reaping live effects through the client entity's events.
#include "resources/effects/EffectWorld.h"

#include <cmath>

namespace {

class EffectSystemTest : public EffectWorld {
protected:
    EffectSystemTest()
    {
        WriteEffect("glow.eff", "spawnRate 10\nmaxAge 1\n");
        WriteEffect("burst.eff", "spawnCount 10\nmaxAge 1\n");
        WriteEffect("rain.eff", "spawnRate 5\n");
        host.points["Hand"] = 3;
        host.points["Head"] = 4;
    }
};

TEST_F(EffectSystemTest, EffectsAreFoundAgainByOwnerNameAndAttachPoint)
{
    system->StartEffect(&host, "glow.eff", "Hand");
    system->StartEffect(&host, "glow.eff", "Hand");
    ASSERT_EQ(system->GetLiveEffects().size(), 1u);
    EffectInstance* hand = system->GetLiveEffects()[0];
    EXPECT_TRUE(hand->emitting);
    system->StartEffect(&host, "glow.eff", "Head");
    // Names are compared as given: another case is another effect.
    system->StartEffect(&host, "GLOW.eff", "Hand");
    EXPECT_EQ(system->GetLiveEffects().size(), 3u);

    // An entity's stop event stops it emitting; one whose owner lives stays live and is found by
    // the next start.
    hand->emitting = false;
    // A stopped effect whose owner lives stays live and is found by the next start.
    system->UpdateAll(0.1f);
    system->StartEffect(&host, "glow.eff", "Hand");
    EXPECT_EQ(system->GetLiveEffects()[0], hand);
    EXPECT_TRUE(hand->emitting);
}

TEST_F(EffectSystemTest, EntitiesThatDoNotShowGetNoEffects)
{
    client.hiddenEntity = &host;
    system->StartEffect(&host, "glow.eff", "");
    system->SpawnEffect(&host, "burst.eff", "");
    system->EnterWorld(&host);
    EXPECT_TRUE(system->GetLiveEffects().empty());

    client.hiddenEntity = nullptr;
    FakeHost wielder;
    wielder.opacity = 0.0f;
    host.owner = &wielder;
    system->StartEffect(&host, "glow.eff", "");
    EXPECT_TRUE(system->GetLiveEffects().empty());
    // Visible without an owner, but not drawable while it does not show itself: it is kept
    // and emits nothing.
    host.owner = nullptr;
    host.opacity = 0.0f;
    system->StartEffect(&host, "glow.eff", "");
    ASSERT_EQ(system->GetLiveEffects().size(), 1u);
    system->UpdateAll(0.25f);
    EXPECT_TRUE(system->GetLiveEffects()[0]->particles.empty());

    system->EnterWorld(&wielder);
    ASSERT_EQ(system->GetLiveEffects().size(), 2u);
    EXPECT_EQ(system->GetLiveEffects()[1]->definitionName, "rain.eff");
    EXPECT_TRUE(system->GetLiveEffects()[1]->emitting);
}

TEST_F(EffectSystemTest, FramesAreCappedAndPausesStandStill)
{
    system->SpawnEffect(&host, "burst.eff", "");
    EffectInstance& effect = *system->GetLiveEffects()[0];
    system->UpdateAll(0.1f);
    system->UpdateAll(1.0f);
    EXPECT_FLOAT_EQ(effect.particles[0]->age, 0.25f);
    client.paused = true;
    system->UpdateAll(0.2f);
    EXPECT_FLOAT_EQ(effect.particles[0]->age, 0.25f);
    client.animateWhilePaused = true;
    system->UpdateAll(0.2f);
    EXPECT_FLOAT_EQ(effect.particles[0]->age, 0.45f);
    // Time that runs backwards or is no number moves nothing.
    system->UpdateAll(-1.0f);
    system->UpdateAll(std::nanf(""));
    EXPECT_FLOAT_EQ(effect.particles[0]->age, 0.45f);
}

TEST_F(EffectSystemTest, EffectsOfADeadOwnerLiveOutTheirParticlesAndAreReused)
{
    {
        FakeHost doomed;
        doomed.Place(-1, {1, 2, 3});
        system->StartEffect(&doomed, "glow.eff", "");
        system->UpdateAll(0.25f);
        ASSERT_EQ(system->GetLiveEffects()[0]->particles.size(), 2u);
    }
    EffectInstance* effect = system->GetLiveEffects()[0];
    EXPECT_EQ(effect->GetOwner(), nullptr);
    system->UpdateAll(0.25f);
    EXPECT_FALSE(effect->emitting);
    EXPECT_EQ(effect->particles.size(), 2u);
    for (int frame = 0; frame < 4; ++frame)
        system->UpdateAll(0.25f);
    EXPECT_TRUE(system->GetLiveEffects().empty());
    EXPECT_EQ(system->GetFreeParticleCount(), 2u);

    system->StartEffect(&host, "glow.eff", "Hand");
    ASSERT_EQ(system->GetLiveEffects().size(), 1u);
    EXPECT_EQ(system->GetLiveEffects()[0], effect);
    EXPECT_EQ(effect->GetOwner(), &host);
}

TEST_F(EffectSystemTest, PoolsStopAtTheirLimitsWithOneWarningEach)
{
    EffectLimits small;
    small.effects = 2;
    small.particles = 4;
    Rebuild(small);
    system->StartEffect(&host, "glow.eff", "");
    system->SpawnEffect(&host, "burst.eff", "Hand");
    system->StartEffect(&host, "glow.eff", "Head");
    system->StartEffect(&host, "glow.eff", "Foot");
    EXPECT_EQ(system->GetLiveEffects().size(), 2u);
    EXPECT_EQ(CountLogged("More than 2 live effects: new ones are dropped"), 1);

    // A burst and a flood of owed time both stop at the particle limit.
    system->SpawnEffect(&host, "burst.eff", "Hand");
    EXPECT_EQ(CountLogged("More than 4 live particles"), 1);
    system->UpdateAll(0.25f);
    size_t alive = 0;
    for (const EffectInstance* effect : system->GetLiveEffects())
        alive += effect->particles.size();
    EXPECT_EQ(alive, 4u);
    EXPECT_EQ(system->GetLiveEffects()[0]->spawnTimer, 0.0f);
}

TEST_F(EffectSystemTest, NamesOfNoEffectKindAreRefusedWithoutALoad)
{
    system->StartEffect(&host, "", "");
    system->StartEffect(&host, "glow.txt", "");
    // The instance stays, nameless, and does nothing; a second start takes another one.
    ASSERT_EQ(system->GetLiveEffects().size(), 2u);
    EXPECT_TRUE(system->GetLiveEffects()[1]->definitionName.empty());
    EXPECT_EQ(CountLogged("glow.txt is no effect, beam or swipe file"), 1);
    system->UpdateAll(0.25f);
    DrawPass();
    EXPECT_TRUE(queue->GetFrameSurfaces().empty());
}

} // namespace
