// BeamSwipeTest -- live beams and trails: following their points, segments, fading, sampling, reaping and the particle hand-back.
#include "resources/effects/EffectWorld.h"

#include "resources/effects/BeamDefinition.h"

#include <cmath>

namespace {

class BeamSwipeTest : public EffectWorld {
protected:
    BeamSwipeTest()
    {
        host.points["Staff"] = 2;
        host.points["Tip"] = 5;
        host.points["Hilt"] = 6;
        host.Place(2, {0, 0, 1});
        host.Place(5, {0, 0, 3});
        host.Place(6, {0, 0, 2});
    }

    BeamInstance& StartBeam(const std::string& name, const std::string& text, const std::string& tag = "Staff")
    {
        WriteEffect(name, text);
        system->StartBeam(&host, name, tag);
        return *system->GetLiveBeams().back();
    }

    SwipeInstance& StartSwipe(const std::string& name, const std::string& text)
    {
        WriteEffect(name, text);
        system->StartSwipe(&host, "", name, "Tip", "Hilt");
        return *system->GetLiveSwipes().back();
    }
};

TEST_F(BeamSwipeTest, BeamsRunAlongTheirTagAndCountTheirSegments)
{
    BeamInstance& beam = StartBeam("bolt.bem", "texture bolt.tga\nlength 12\nsegmentLength 10\n");
    system->UpdateAll(0.1f);
    EXPECT_FLOAT_EQ(beam.start.point.z, 1.0f);
    EXPECT_FLOAT_EQ(beam.end.point.x, 12.0f);
    const BeamDefinition& def = *beam.GetDefinition();
    EXPECT_EQ(beam.CountSegments(def), 1);
    beam.end.point = {35, 0, 1};
    EXPECT_EQ(beam.CountSegments(def), 4);
    beam.end.point = {1e9f, 0, 1};
    EXPECT_EQ(beam.CountSegments(def), BeamRenderSurface::kMaxSegments);

    // Between two entities' points, when the owner names them; a missing one ends the update.
    FakeHost target;
    target.Place(7, {40, 0, 0});
    client.entities[9] = &target;
    host.beamEnds = {{{9, 7}, {9, 7}}};
    BeamInstance& linked = StartBeam("link.bem", "texture bolt.tga\nendPointsFromEntity 1\n", "Nowhere");
    system->UpdateAll(0.1f);
    EXPECT_FLOAT_EQ(linked.end.point.x, 40.0f);
    host.beamEnds[1][0] = 3;
    uint32_t seed = linked.seed;
    system->UpdateAll(0.1f);
    EXPECT_EQ(linked.seed, seed);
}

TEST_F(BeamSwipeTest, StoppedBeamsFadeOverTheirMaxAgeThenGoBackToThePool)
{
    BeamInstance& lasting = StartBeam("slow.bem", "maxAge 2\nadditive\ncolor 1 0.5 0\n");
    BeamInstance& plain = StartBeam("plain.bem", "maxAge 2\ncolor 1 0.5 0\n", "Tip");
    StartBeam("quick.bem", "maxAge 0\n", "Hilt");
    system->UpdateAll(0.1f);
    system->StopBeam(&host, "slow.bem", "Staff");
    system->StopBeam(&host, "plain.bem", "Tip");
    system->StopBeam(&host, "quick.bem", "Hilt");
    system->UpdateAll(0.25f);
    // Gone in the same update that takes its life to 0.
    EXPECT_EQ(system->GetLiveBeams().size(), 2u);
    EXPECT_FLOAT_EQ(lasting.life, 0.875f);
    EXPECT_FLOAT_EQ(lasting.color.g, 0.4375f);
    EXPECT_FLOAT_EQ(plain.color.g, 0.5f);
    // Without an owner its ends no longer move.
    EXPECT_FLOAT_EQ(lasting.start.point.z, 1.0f);
    for (int frame = 0; frame < 6; ++frame)
        system->UpdateAll(0.25f);
    EXPECT_EQ(system->GetLiveBeams().size(), 2u);
    system->UpdateAll(0.25f);
    EXPECT_TRUE(system->GetLiveBeams().empty());
}

TEST_F(BeamSwipeTest, BeamsDrawTheSameJitterUntilTheirSeedChanges)
{
    StartBeam("self.bem", "texture bolt.tga\nlength 12\n", "Nowhere");
    BeamInstance& beam = StartBeam("zap.bem", "texture bolt.tga\nlength 12\nnumSegments 3\nminOffset 1\nmaxOffset 2\n"
                                              "startSize 2\nendSize 0\nchangeTime 10\n");
    system->UpdateAll(0.1f);
    // The beam on the entity itself (no such tag) is not drawn.
    ASSERT_EQ(DrawPass().size(), 1u);
    auto draw = [this] {
        device.Clear();
        ShaderBatch batch(&device);
        DrawPass();
        queue->DrawQueuedSurfaces(batch);
        return device.GetBatches().at(0).vertices;
    };
    std::vector<DeviceVertex> first = draw();
    ASSERT_EQ(first.size(), 12u);
    // The first segment starts at the beam's start, two wide across the view (+x of the start
    // point's axis runs along the beam, so the width runs along z).
    EXPECT_FLOAT_EQ(first[0].position[0], 0.0f);
    EXPECT_FLOAT_EQ(std::fabs(first[3].position[2] - first[0].position[2]), 2.0f);
    // Inner joints lie 1 to 2 units from their place on the line (the first a third of the way),
    // in a random direction; the far end is on it with no width.
    float offX = (first[1].position[0] + first[2].position[0]) / 2.0f - 4.0f;
    float offY =
        (first[1].position[1] + first[2].position[1]) / 2.0f - (first[0].position[1] + first[3].position[1]) / 2.0f;
    float offZ = (first[1].position[2] + first[2].position[2]) / 2.0f - 1.0f;
    float off = std::sqrt(offX * offX + offY * offY + offZ * offZ);
    EXPECT_GE(off, 1.0f - 1e-4f);
    EXPECT_LE(off, 2.0f + 1e-4f);
    EXPECT_FLOAT_EQ(first[9].position[0], 12.0f);
    EXPECT_FLOAT_EQ(first[9].position[2], 1.0f);
    std::vector<DeviceVertex> again = draw();
    EXPECT_FLOAT_EQ(again[5].position[2], first[5].position[2]);
    beam.seed += 1;
    std::vector<DeviceVertex> changed = draw();
    EXPECT_NE(changed[5].position[2], first[5].position[2]);
}

TEST_F(BeamSwipeTest, TrailsTakeOneSampleAFrameAndFadeThemOut)
{
    SwipeInstance& swipe = StartSwipe("cut.swp", "texture blade.tga\nmaxAge 0.5\nalpha 0.8\n");
    system->UpdateAll(0.2f);
    ASSERT_EQ(swipe.samples.size(), 1u);
    EXPECT_NEAR(swipe.sampleTimer, 0.15f, 1e-6f);
    EXPECT_FLOAT_EQ(swipe.samples[0]->point1.point.z, 3.0f);
    EXPECT_FLOAT_EQ(swipe.samples[0]->alpha, 0.8f - 0.4f);
    host.Place(5, {1, 0, 3});
    system->UpdateAll(0.1f);
    ASSERT_EQ(swipe.samples.size(), 2u);
    EXPECT_FLOAT_EQ(swipe.samples[0]->point1.point.x, 1.0f);

    // The strip runs from the newest sample to the oldest, each pair with its own alpha.
    device.Clear();
    ShaderBatch batch(&device);
    DrawPass();
    queue->DrawQueuedSurfaces(batch);
    std::vector<DeviceVertex> strip = device.GetBatches().at(0).vertices;
    ASSERT_EQ(strip.size(), 4u);
    EXPECT_EQ(strip[0].color[3], 153);
    EXPECT_EQ(strip[1].color[3], 51);

    system->StopSwipe(&host, "", "cut.swp", "Tip", "Hilt");
    EXPECT_FALSE(swipe.active);
    system->UpdateAll(0.25f);
    EXPECT_EQ(swipe.samples.size(), 1u);
    system->UpdateAll(0.25f);
    EXPECT_TRUE(system->GetLiveSwipes().empty());
}

TEST_F(BeamSwipeTest, AttachedAndClientModelTrailsSampleTheirOwnModels)
{
    host.equippedLocation = 0;
    host.Place(105, {7, 0, 0});
    host.Place(106, {8, 0, 0});
    WriteEffect("cut.swp", "updateTime 0\n");
    system->StartSwipe(&host, "Head", "cut.swp", "Tip", "Hilt");
    ASSERT_EQ(system->GetLiveSwipes().size(), 1u);
    SwipeInstance& attached = *system->GetLiveSwipes()[0];
    system->UpdateAll(0.1f);
    EXPECT_FLOAT_EQ(attached.samples.at(0)->point1.point.x, 7.0f);

    FakeHost sword;
    sword.points["Tip"] = 1;
    sword.points["Hilt"] = 2;
    sword.Place(1, {0, 9, 0});
    host.points["RightHand"] = 8;
    client.modelSubId = 8;
    client.modelEntity = &sword;
    system->StartClientModelSwipe(&host, "cut.swp", "Tip", "Hilt", "RightHand");
    system->StartClientModelSwipe(&host, "cut.swp", "Tip", "Hilt", "LeftHand");
    ASSERT_EQ(system->GetLiveSwipes().size(), 2u);
    SwipeInstance& held = *system->GetLiveSwipes()[1];
    system->UpdateAll(0.1f);
    EXPECT_FLOAT_EQ(held.samples.at(0)->point1.point.y, 9.0f);
    // Without its model entity the trail neither samples nor fades.
    client.modelEntity = nullptr;
    float alpha = held.samples[0]->alpha;
    system->UpdateAll(0.1f);
    EXPECT_EQ(held.samples.size(), 1u);
    EXPECT_EQ(held.samples[0]->alpha, alpha);
    client.modelEntity = &sword;
    system->StopClientModelSwipe(&host, "cut.swp", "Tip", "Hilt", "RightHand");
    EXPECT_FALSE(held.active);
}

// A particle that goes back to its pool takes its trail's pointer with it: the trail stops
// sampling and fades instead of following whatever the particle becomes next.
TEST_F(BeamSwipeTest, ATrailLetsGoOfItsParticleWhenTheParticleIsReleased)
{
    WriteEffect("trail.swp", "texture blade.tga\nupdateTime 0\nmaxAge 1\n");
    WriteEffect("sparks.eff", "spawnCount 1\nsize 0.5\nmaxAge 0.3\nswipe trail.swp\nvelocity 0 0 1\n");
    WriteEffect("other.eff", "spawnCount 1\nmaxAge 10\n");
    system->SpawnEffect(&host, "sparks.eff", "");
    ASSERT_EQ(system->GetLiveSwipes().size(), 1u);
    SwipeInstance& trail = *system->GetLiveSwipes()[0];
    Particle* particle = system->GetLiveEffects()[0]->particles.at(0);
    system->UpdateAll(0.1f);
    system->UpdateAll(0.1f);
    ASSERT_FALSE(trail.samples.empty());

    system->UpdateAll(0.25f);
    EXPECT_EQ(trail.particle, nullptr);
    EXPECT_EQ(particle->swipe, nullptr);
    size_t samples = trail.samples.size();
    // The particle is reused by another effect; the fading trail never samples it.
    system->SpawnEffect(&host, "other.eff", "");
    EXPECT_EQ(system->GetLiveEffects()[1]->particles.at(0), particle);
    system->UpdateAll(0.1f);
    EXPECT_LE(trail.samples.size(), samples);

    // An effect reaped or reset with particles out unlinks their trails too.
    system->SpawnEffect(&host, "sparks.eff", "");
    SwipeInstance* second = system->GetLiveSwipes().back();
    ASSERT_NE(second, &trail);
    system->GetLiveEffects()[0]->Reset();
    EXPECT_EQ(second->particle, nullptr);
}

TEST_F(BeamSwipeTest, BeamsAndTrailsStopAtTheirLimitsAndReuseReapedOnes)
{
    EffectLimits small;
    small.beams = 1;
    small.swipes = 1;
    Rebuild(small);
    WriteEffect("bolt.bem", "maxAge 0\n");
    WriteEffect("cut.swp", "maxAge 0.5\n");

    system->StartBeam(&host, "bolt.bem", "Staff");
    system->StartBeam(&host, "bolt.bem", "Tip");
    system->StartBeam(&host, "bolt.bem", "Hilt");
    ASSERT_EQ(system->GetLiveBeams().size(), 1u);
    EXPECT_EQ(CountLogged("More than 1 live beams: new ones are dropped"), 1);
    system->StartSwipe(&host, "", "cut.swp", "Tip", "Hilt");
    system->StartSwipe(&host, "", "cut.swp", "Hilt", "Tip");
    system->StartSwipe(&host, "", "cut.swp", "Staff", "Tip");
    ASSERT_EQ(system->GetLiveSwipes().size(), 1u);
    EXPECT_EQ(CountLogged("More than 1 live swipes: new ones are dropped"), 1);

    BeamInstance* beam = system->GetLiveBeams()[0];
    SwipeInstance* swipe = system->GetLiveSwipes()[0];
    system->StopBeam(&host, "bolt.bem", "Staff");
    system->StopSwipe(&host, "", "cut.swp", "Tip", "Hilt");
    for (int frame = 0; frame < 4; ++frame)
        system->UpdateAll(0.25f);
    ASSERT_TRUE(system->GetLiveBeams().empty());
    ASSERT_TRUE(system->GetLiveSwipes().empty());

    // The reaped objects come back for the next start, set up for their new points.
    system->StartBeam(&host, "bolt.bem", "Tip");
    system->StartSwipe(&host, "", "cut.swp", "Hilt", "Tip");
    ASSERT_EQ(system->GetLiveBeams().size(), 1u);
    ASSERT_EQ(system->GetLiveSwipes().size(), 1u);
    EXPECT_EQ(system->GetLiveBeams()[0], beam);
    EXPECT_EQ(beam->tagIndex, 5);
    EXPECT_TRUE(beam->active);
    EXPECT_EQ(system->GetLiveSwipes()[0], swipe);
    EXPECT_EQ(swipe->tagIndex1, 6);
    EXPECT_EQ(swipe->tagIndex2, 5);
    EXPECT_EQ(CountLogged("More than 1 live beams: new ones are dropped"), 1);
}

} // namespace
