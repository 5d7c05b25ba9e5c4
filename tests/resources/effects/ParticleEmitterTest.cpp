// ParticleEmitterTest -- particle effects on a fake entity: spawn timing, placement, motion, bounce, fading and the hand-over to the renderer.
#include "resources/effects/EffectWorld.h"

#include "resources/effects/EffectDefinition.h"

#include <cmath>

namespace {

class ParticleEmitterTest : public EffectWorld {
protected:
    // A live effect of the file's text on the host, emitting when asked.
    // Each text gets a file of its own: the manager keeps a loaded file's definition.
    EffectInstance& Start(const std::string& text, bool emit = true)
    {
        std::string name = "test" + std::to_string(files++) + ".eff";
        WriteEffect(name, text);
        if (emit)
            system->StartEffect(&host, name, "");
        else
            system->SpawnEffect(&host, name, "");
        EXPECT_EQ(system->GetLiveEffects().size(), 1u);
        return *system->GetLiveEffects().front();
    }

    // Runs whole updates of dt seconds.
    void Run(int frames, float dt)
    {
        for (int i = 0; i < frames; ++i)
            system->UpdateAll(dt);
    }

    int files = 0;
};

TEST_F(ParticleEmitterTest, ContinuousEmissionNeedsTheTimerStrictlyAboveTheInterval)
{
    EffectInstance& effect = Start("spawnRate 10\nmaxAge 5\n");
    system->UpdateAll(0.25f);
    EXPECT_EQ(effect.particles.size(), 2u);
    EXPECT_NEAR(effect.spawnTimer, 0.05f, 1e-5f);

    Rebuild(limits);
    EffectInstance& exact = Start("spawnRate 10\nmaxAge 5\n");
    system->UpdateAll(0.1f);
    EXPECT_TRUE(exact.particles.empty());

    // The weather scales a weather-bound rate.
    Rebuild(limits);
    client.weatherStrength = 0.0f;
    EffectInstance& dry = Start("spawnRate 10\nmaxAge 5\nspawnRateMultWeather 1\n");
    system->UpdateAll(0.25f);
    EXPECT_TRUE(dry.particles.empty());
    EXPECT_EQ(dry.spawnTimer, 0.0f);
    client.weatherStrength = 2.0f;
    system->UpdateAll(0.22f);
    EXPECT_EQ(dry.particles.size(), 4u);
}

TEST_F(ParticleEmitterTest, ANewParticleStandsStillAndIsDrawnWithNoSizeInItsFirstFrame)
{
    EffectInstance& effect = Start("texture spark.tga\nspawnCount 1\nvelocity 0 0 2\nsize 0.5\nmaxAge 5\n", false);
    ASSERT_EQ(effect.particles.size(), 1u);
    const Particle& particle = *effect.particles[0];
    system->UpdateAll(0.25f);
    EXPECT_FLOAT_EQ(particle.position.point.z, 0.0f);
    ASSERT_EQ(DrawPass().size(), 1u);
    EXPECT_TRUE(queue->GetFrameSurfaces()[0]->IsHidden());

    system->UpdateAll(0.25f);
    EXPECT_FLOAT_EQ(particle.position.point.z, 0.5f);
    EXPECT_FLOAT_EQ(particle.size, 0.5f);
    DrawPass();
    auto* sprite = static_cast<ParticleRenderSurface*>(queue->GetFrameSurfaces()[0]);
    EXPECT_FALSE(sprite->IsHidden());
    device.Clear();
    ShaderBatch batch(&device);
    queue->DrawQueuedSurfaces(batch);
    std::vector<DeviceBatch> batches = device.GetBatches();
    ASSERT_EQ(batches.size(), 1u);
    const DeviceBatch& drawn = batches[0];
    ASSERT_EQ(drawn.vertices.size(), 4u);
    // A square of side 2 x size facing the camera (+x right, +z up by default), its first and
    // third corners opposite; the picture upright on it: u along x, v along z.
    EXPECT_FLOAT_EQ(drawn.vertices[0].position[0], 9.5f);
    EXPECT_FLOAT_EQ(drawn.vertices[0].position[2], 1.0f);
    EXPECT_FLOAT_EQ(drawn.vertices[2].position[0], 10.5f);
    EXPECT_FLOAT_EQ(drawn.vertices[2].position[2], 0.0f);
    for (const DeviceVertex& corner : drawn.vertices) {
        EXPECT_FLOAT_EQ(corner.texCoord[0], corner.position[0] - 9.5f);
        EXPECT_FLOAT_EQ(corner.texCoord[1], corner.position[2]);
    }
    EXPECT_TRUE(drawn.hasColors);
}

TEST_F(ParticleEmitterTest, BouncesReflectAndTheOneAfterTheLastEndsTheParticle)
{
    host.Place(-1, {0, 0, 0.5f});
    EffectInstance& effect =
        Start("spawnCount 1\nvelocity 0 0 -4\nbounce\nbounceFactor 0.5\nmaxBounces 2\nmaxAge 100\nbounceSound hit.wav\n",
              false);
    Particle& particle = *effect.particles[0];
    Run(2, 0.25f);
    // 0.5 - 1.0 = -0.5, reflected to 0.25; the velocity turns up and halves.
    EXPECT_FLOAT_EQ(particle.position.point.z, 0.25f);
    EXPECT_FLOAT_EQ(particle.velocity.z, 2.0f);
    EXPECT_EQ(particle.bounces, 1);
    particle.position.point.z = -1.0f;
    particle.velocity.z = -1.0f;
    system->UpdateAll(0.0f);
    EXPECT_EQ(particle.bounces, 2);
    EXPECT_EQ(client.sounds.size(), 2u);
    particle.position.point.z = -1.0f;
    system->UpdateAll(0.0f);
    EXPECT_TRUE(effect.particles.empty());
    EXPECT_EQ(client.sounds.size(), 2u);

    // Touching the ground on the way down ends a particle at once.
    Rebuild(limits);
    EffectInstance& touching = Start("spawnCount 1\nvelocity 0 0 -4\ndieTouch\nmaxAge 100\n", false);
    Run(2, 0.25f);
    EXPECT_TRUE(touching.particles.empty());
}

TEST_F(ParticleEmitterTest, FadingRisesOverTheFirstHalfAndFallsOverTheSecond)
{
    EffectInstance& effect = Start("spawnCount 1\nfade\nmaxAge 2\nalpha 0.8\n", false);
    const Particle& particle = *effect.particles[0];
    system->UpdateAll(0.25f);
    Run(2, 0.25f);
    EXPECT_FLOAT_EQ(particle.alpha, 0.4f);
    Run(2, 0.25f);
    EXPECT_FLOAT_EQ(particle.alpha, 0.8f);
    Run(2, 0.25f);
    EXPECT_FLOAT_EQ(particle.alpha, 0.4f);

    // Additive particles carry their fading in the colour; an owner's owner dims them.
    FakeHost wielder;
    wielder.opacity = 0.5f;
    host.owner = &wielder;
    Rebuild(limits);
    EffectInstance& additive = Start("spawnCount 1\nadditive\nfadeIn\nfadeTime 1\ncolor 1 0.5 0\nmaxAge 5\n", false);
    Run(3, 0.25f);
    EXPECT_FLOAT_EQ(additive.particles[0]->alpha, 0.25f);
    EXPECT_FLOAT_EQ(additive.particles[0]->color.r, 0.25f);
    EXPECT_FLOAT_EQ(additive.particles[0]->color.g, 0.125f);
}

TEST_F(ParticleEmitterTest, AngularVelocityTurnsParticlesAroundThePoint)
{
    EffectInstance& effect = Start("spawnCount 2\noffset 1 0 0\navelocity 0 0 90\nmaxAge 5\n", false);
    system->UpdateAll(0.25f);
    Run(4, 0.25f);
    const Vector3& turned = effect.particles[0]->position.point;
    EXPECT_NEAR(turned.x, 10.0f, 1e-4f);
    EXPECT_NEAR(turned.y, 21.0f, 1e-4f);

    // The y component is read and does nothing.
    Rebuild(limits);
    EffectInstance& still = Start("spawnCount 1\noffset 1 0 0\navelocity 0 90 0\nmaxAge 5\n", false);
    Run(5, 0.25f);
    EXPECT_FLOAT_EQ(still.particles[0]->position.point.x, 11.0f);
    EXPECT_FLOAT_EQ(still.particles[0]->position.point.y, 20.0f);

    // A speed without a direction pushes particles straight away from the point.
    Rebuild(limits);
    EffectInstance& radial = Start("spawnCount 1\noffset 0 3 4\nspeed 2\nmaxAge 5\n", false);
    Run(3, 0.25f);
    EXPECT_NEAR(radial.particles[0]->position.point.y, 20.0f + 3.0f * 6.0f / 5.0f, 1e-4f);
    EXPECT_NEAR(radial.particles[0]->position.point.z, 4.0f * 6.0f / 5.0f, 1e-4f);
}

TEST_F(ParticleEmitterTest, ShapesPlaceParticlesOnOrInsideThem)
{
    auto distances = [this](const std::string& text) {
        Rebuild(limits);
        std::vector<Vector3> offsets;
        for (const Particle* particle : Start(text, false).particles)
            offsets.push_back(particle->position.point - Vector3{10, 20, 0});
        return offsets;
    };
    for (const Vector3& offset : distances("spawnCount 50\nsphere 3\n"))
        EXPECT_NEAR(Vector3Length(offset), 3.0f, 1e-4f);
    for (const Vector3& offset : distances("spawnCount 50\nsphere 3 0\n"))
        EXPECT_LE(Vector3Length(offset), 3.0f + 1e-4f);
    for (const Vector3& offset : distances("spawnCount 50\nsphere 0\ncircle 2\n")) {
        EXPECT_NEAR(Vector3Length(offset), 2.0f, 1e-4f);
        EXPECT_EQ(offset.z, 0.0f);
    }
    // A line to another attach point puts particles between the two.
    host.points["Hand"] = 4;
    host.Place(4, {14, 20, 0});
    for (const Vector3& offset : distances("spawnCount 20\nline Hand\n")) {
        EXPECT_GE(offset.x, 0.0f);
        EXPECT_LT(offset.x, 4.0f);
        EXPECT_EQ(offset.y, 0.0f);
    }
}

TEST_F(ParticleEmitterTest, LinkedParticlesFollowTheirTagAndOrientedOnesTurnWithIt)
{
    EffectInstance& effect = Start("spawnCount 1\nlinked\noffset 1 0 0\nmaxAge 5\n", false);
    system->UpdateAll(0.25f);
    host.Place(-1, {10, 25, 0});
    system->UpdateAll(0.25f);
    EXPECT_TRUE(effect.tagMoved);
    EXPECT_FLOAT_EQ(effect.particles[0]->position.point.y, 25.0f);
    EXPECT_FLOAT_EQ(effect.particles[0]->position.point.x, 11.0f);

    // A quarter turn of the tag about z takes an x offset to y, placement and velocity alike.
    Rebuild(limits);
    host.Place(-1, {10, 20, 0});
    host.transforms[-1].orientation = Matrix3{{{0, 1, 0}, {-1, 0, 0}, {0, 0, 1}}};
    EffectInstance& oriented = Start("spawnCount 1\ntagOriented\noffset 2 0 0\nvelocity 4 0 0\nmaxAge 5\n", false);
    EXPECT_FLOAT_EQ(oriented.particles[0]->position.point.y, 22.0f);
    EXPECT_FLOAT_EQ(oriented.particles[0]->velocity.y, 4.0f);
}

TEST_F(ParticleEmitterTest, AHiddenOrDeadParentHoldsEmissionBack)
{
    FakeHost wielder;
    host.owner = &wielder;
    wielder.hidden = true;
    EffectInstance& effect = Start("spawnRate 10\nmaxAge 5\n");
    system->UpdateAll(0.22f);
    EXPECT_TRUE(effect.particles.empty());
    EXPECT_EQ(effect.spawnTimer, 0.0f);
    wielder.hidden = false;
    system->UpdateAll(0.22f);
    EXPECT_EQ(effect.particles.size(), 2u);
    // The dead parent keeps the time owed; the particles already out go on.
    WriteEffect("dead.eff", "spawnRate 10\nmaxAge 5\nhideWhenParentDead 1\n");
    system->StartEffect(&host, "dead.eff", "");
    EffectInstance& held = *system->GetLiveEffects().back();
    wielder.dead = true;
    system->UpdateAll(0.22f);
    EXPECT_TRUE(held.particles.empty());
    EXPECT_NEAR(held.spawnTimer, 0.22f, 1e-6f);
    EXPECT_EQ(effect.particles.size(), 4u);
}

TEST_F(ParticleEmitterTest, ColoursComeFromTheOwnerWhenAsked)
{
    host.itemColor = 3;
    Color expected;
    ColorSystem::GetColorByIndex(expected.r, expected.g, expected.b, 3);
    EffectInstance& effect = Start("spawnCount 1\ncolorFromItemType 1\nmaxAge 5\n", false);
    Run(2, 0.25f);
    EXPECT_EQ(effect.particles[0]->color.b, expected.b);
}

} // namespace
