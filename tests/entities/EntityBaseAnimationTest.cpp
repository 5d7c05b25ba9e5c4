// EntityBaseAnimationTest -- the entity base's animation player over real model files: priorities, modes, frame events, attack-speed stretch and idle after load.
#include "entities/Entity.h"
#include "entities/FakeGameServices.h"
#include "resources/models/ModelWorld.h"
#include "world/EntityBase.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

namespace {

using Signal = std::tuple<int32_t, int32_t, int32_t>;  // animation, signal, frame

// An entity base that loads its model through the manager and records what the player tells it.
class AnimatedProbe : public EntityBase {
public:
    void ResolveModel(const std::string& path, ResourceHandle& out) override { gResourceManager->Load(path, out); }
    void OnAnimationEvent(int32_t animation, int32_t signal, int32_t frame) override
    {
        signals.emplace_back(animation, signal, frame);
    }
    int32_t GetStat(int32_t stat) const override { return stat == CharacterStat::AttackSpeed ? attackSpeed : 0; }

    std::vector<Signal> signals;
    int32_t attackSpeed = 0;
};

class EntityBaseAnimation : public ModelWorld {
protected:
    // Sprite animations: idle 0 (4 frames at 10 fps), walk 1 (5 at 10), swing 2 (10 at 20); and
    // a skeletal "strike" 3 that stretches to the attack speed.
    void SetUp() override
    {
        WriteAsset("strike.mda", MakeAnimation(8, 1, RestPose));
        WriteAsset("Models/probe.mdl", "type 2d\nanimations\n{\n"
                                       " idle {\n  baseTexture p.tga\n  frames 4\n  fps 10\n  directions 1\n }\n"
                                       " walk {\n  baseTexture p.tga\n  frames 5\n  fps 10\n  directions 1\n }\n"
                                       " swing {\n  baseTexture p.tga\n  frames 10\n  fps 20\n  directions 1\n }\n"
                                       "}\n");
        probe.LoadModels("probe.mdl");
        manager->Get(probe.model);
    }

    void TearDown() override
    {
        probe.model.Reset();
        ModelWorld::TearDown();
    }

    AnimatedProbe probe;
};

} // namespace

TEST_F(EntityBaseAnimation, ModelPathGoesUnderModelsAndIsNotLoadedTwice)
{
    EXPECT_EQ(probe.modelName, "Models/probe.mdl");
    int32_t handle = probe.model;
    probe.LoadModels("Models/PROBE.mdl");
    EXPECT_EQ(static_cast<int32_t>(probe.model), handle);
}

TEST_F(EntityBaseAnimation, FirstUpdateAfterLoadPlaysIdleLooping)
{
    probe.Update(0.0f);
    EXPECT_TRUE(probe.IsPlayingAnimation("IDLE"));
    EXPECT_EQ(probe.priority, AnimationPriority::kIdle);
    EXPECT_EQ(probe.mode, AnimationMode::Loop);
    EXPECT_EQ(probe.playCount, 1);
}

TEST_F(EntityBaseAnimation, RequestingTheRunningAnimationKeepsItsFrame)
{
    ASSERT_TRUE(probe.PlayAnimation("walk", 5, AnimationMode::Loop, false));
    probe.Update(0.25f);
    EXPECT_FALSE(probe.PlayAnimation("walk", 7, AnimationMode::Hold, false));
    EXPECT_FLOAT_EQ(probe.frame, 2.5f);
    EXPECT_EQ(probe.priority, 7);
    EXPECT_EQ(probe.mode, AnimationMode::Hold);
    EXPECT_FALSE(probe.PlayAnimation("walk", 1, AnimationMode::Loop, false));
    EXPECT_EQ(probe.priority, 7) << "priority 1 never raises a running animation";
    EXPECT_FALSE(probe.PlayAnimation("walk", 3, AnimationMode::Loop, false));
    EXPECT_EQ(probe.priority, 7);
}

TEST_F(EntityBaseAnimation, PriorityOneReplacesAnythingAndRestarts)
{
    ASSERT_TRUE(probe.PlayAnimation("walk", 9, AnimationMode::Loop, false));
    probe.Update(0.25f);
    EXPECT_FALSE(probe.PlayAnimation("swing", 3, AnimationMode::Loop, false));
    EXPECT_TRUE(probe.PlayAnimation("walk", AnimationPriority::kAlwaysWins, AnimationMode::Loop, true));
    EXPECT_FLOAT_EQ(probe.frame, 0.0f);
    EXPECT_TRUE(probe.PlayAnimation("swing", AnimationPriority::kAlwaysWins, AnimationMode::Loop, false));
    EXPECT_TRUE(probe.IsPlayingAnimation("swing"));
}

TEST_F(EntityBaseAnimation, PriorityFourteenGivesWayToAnyRequest)
{
    ASSERT_TRUE(probe.PlayAnimation("walk", AnimationPriority::kGivesWay, AnimationMode::Loop, false));
    EXPECT_TRUE(probe.PlayAnimation("swing", 3, AnimationMode::Loop, false));
}

TEST_F(EntityBaseAnimation, InterruptibleRequestsRespectOnlyTheSixToEightBand)
{
    int32_t swing = probe.GetAnimationIndex("swing");
    for (int32_t running : {5, 6, 7, 8, 9}) {
        ASSERT_TRUE(probe.PlayAnimation("walk", AnimationPriority::kAlwaysWins, AnimationMode::Loop, true));
        probe.priority = running;
        bool taken = probe.SetAnimationIndex(swing, 3, AnimationMode::Loop, false, true);
        EXPECT_EQ(taken, running < 6 || running > 8) << running;
    }
}

TEST_F(EntityBaseAnimation, UnknownNamesAndIndicesChangeNothing)
{
    probe.Update(0.0f);
    int32_t before = probe.playCount;
    EXPECT_FALSE(probe.PlayAnimation("dance", AnimationPriority::kAlwaysWins, AnimationMode::Hold, true));
    EXPECT_FALSE(probe.SetAnimationIndex(17, AnimationPriority::kAlwaysWins, AnimationMode::Hold, true, false));
    EXPECT_FALSE(probe.PlayAnimation("", AnimationPriority::kAlwaysWins, AnimationMode::Hold, true));
    EXPECT_EQ(probe.playCount, before);
    EXPECT_EQ(probe.mode, AnimationMode::Loop);
}

TEST_F(EntityBaseAnimation, LoopWrapsOverSeveralLengthsFiringTailThenHead)
{
    ASSERT_TRUE(probe.PlayAnimation("walk", 5, AnimationMode::Loop, false));
    int32_t walk = probe.anim;
    probe.Update(0.35f);  // frame 3.5
    probe.signals.clear();
    probe.Update(1.27f);  // 3.5 + 12.7 = 16.2, three lengths of 5 later: 1.2
    EXPECT_NEAR(probe.frame, 1.2f, 1e-4f);
    EXPECT_TRUE(probe.finished);
    std::vector<Signal> expected = {{walk, 0, 4}, {walk, 0, 0}, {walk, 0, 1}};
    EXPECT_EQ(probe.signals, expected);
}

TEST_F(EntityBaseAnimation, ChangingAnimationEndsTheOldAndStartsTheNew)
{
    probe.Update(0.0f);
    int32_t idle = probe.anim;
    probe.Update(0.1f);
    probe.signals.clear();
    ASSERT_TRUE(probe.PlayAnimation("swing", 5, AnimationMode::ReturnToIdle, false));
    int32_t swing = probe.anim;
    probe.Update(0.1f);  // two frames of swing
    std::vector<Signal> expected = {{idle, 2, -1}, {swing, 1, -1}, {swing, 0, 0}, {swing, 0, 1}, {swing, 0, 2}};
    EXPECT_EQ(probe.signals, expected);
    EXPECT_EQ(probe.blendAnim, idle);
}

TEST_F(EntityBaseAnimation, HoldStopsAtTheLastFrameAndFinishesOnce)
{
    ASSERT_TRUE(probe.PlayAnimation("walk", 5, AnimationMode::Hold, false));
    probe.Update(0.7f);
    EXPECT_TRUE(probe.finished);
    EXPECT_TRUE(probe.holding);
    EXPECT_FLOAT_EQ(probe.frame, 4.99f);
    probe.signals.clear();
    probe.Update(0.7f);
    EXPECT_FALSE(probe.finished) << "a held animation does not finish again";
    EXPECT_FLOAT_EQ(probe.frame, 4.99f);
    EXPECT_TRUE(probe.signals.empty());
}

TEST_F(EntityBaseAnimation, PlayOnceFallsBackToIdle)
{
    ASSERT_TRUE(probe.PlayAnimation("swing", 5, AnimationMode::ReturnToIdle, false));
    probe.Update(0.6f);
    EXPECT_TRUE(probe.finished);
    EXPECT_TRUE(probe.IsPlayingAnimation("idle"));
    EXPECT_EQ(probe.priority, AnimationPriority::kIdle);
}

TEST_F(EntityBaseAnimation, FrozenPlayerDoesNotAdvance)
{
    ASSERT_TRUE(probe.PlayAnimation("walk", 5, AnimationMode::Loop, false));
    probe.frozen = true;
    probe.Update(0.3f);
    EXPECT_FLOAT_EQ(probe.frame, 0.0f);
    EXPECT_EQ(probe.GetBlendAnimation(), probe.anim);
}

TEST_F(EntityBaseAnimation, ChangingTheModelEndsTheRunningAnimation)
{
    WriteAsset("Models/other.mdl", "type 2d\nanimations\n{\n idle {\n  baseTexture q.tga\n  frames 2\n }\n}\n");
    probe.Update(0.0f);
    probe.Update(0.1f);
    int32_t idle = probe.anim;
    probe.signals.clear();
    probe.LoadModels("other.mdl");
    EXPECT_EQ(probe.signals, (std::vector<Signal>{{idle, 2, -1}}));
    EXPECT_EQ(probe.anim, -1);
    EXPECT_EQ(probe.lastAnim, -1);
}

TEST_F(EntityBaseAnimation, AttackAnimationLastsOneAttack)
{
    WriteAsset("Models/fighter.mdl", "animations\n{\n strike strike matchAttackSpeed fps 10\n {\n }\n}\n");
    probe.LoadModels("fighter.mdl");
    manager->Get(probe.model);
    probe.attackSpeed = 400;
    ASSERT_TRUE(probe.PlayAnimation("strike", 5, AnimationMode::ReturnToIdle, false));
    EXPECT_EQ(probe.frameCount, 8);
    EXPECT_FLOAT_EQ(probe.speed, 20.0f) << "eight frames in 0.4 seconds";
    probe.attackSpeed = 0;
    ASSERT_TRUE(probe.PlayAnimation("strike", AnimationPriority::kAlwaysWins, AnimationMode::Loop, true));
    EXPECT_FLOAT_EQ(probe.speed, 10.0f) << "no attack speed, the file's own rate";
}

TEST_F(EntityBaseAnimation, JointsAreFoundByNameInTheModelsSkeletonOnly)
{
    EXPECT_EQ(probe.FindJoint("b1"), -1) << "a sprite model has no skeleton";
    WriteAsset("Models/chain.mds", MakeChainSkeleton(3));
    WriteAsset("Models/jointed.mdl", "dir Models\nskeleton chain.mds\n");
    probe.LoadModels("jointed.mdl");
    manager->Get(probe.model);
    const std::pair<const char*, int32_t> joints[] = {{"b0", 0}, {"B2", 2}, {"b3", -1}, {"", -1}};
    for (auto [name, joint] : joints)
        EXPECT_EQ(probe.FindJoint(name), joint) << name;
    EXPECT_EQ(AnimatedProbe().FindJoint("b0"), -1) << "no model at all";
}

TEST_F(EntityBaseAnimation, DistanceWithoutAnOtherIsHuge)
{
    AnimatedProbe other;
    other.position.level = 0;
    other.position.x = 3.0f;
    other.position.y = 4.0f;
    probe.position.level = 0;
    probe.radius = 2.0f;
    other.radius = 4.0f;
    EXPECT_FLOAT_EQ(EntityDistance2D(&probe, nullptr, false), EntityBase::kNoEntityDistance);
    EXPECT_FLOAT_EQ(EntityDistance2D(&probe, &other, false), 5.0f);
    EXPECT_FLOAT_EQ(EntityDistance2D(&probe, &other, true), -1.0f);
}

TEST_F(EntityBaseAnimation, FacingTurnsTowardsAndAway)
{
    probe.position.level = 0;
    WorldPos east;
    east.level = 0;
    east.x = 10.0f;
    probe.FaceTowards(east, false);
    EXPECT_EQ(probe.facing, 2);
    probe.FaceTowards(east, true);
    EXPECT_EQ(probe.facing, 6);
}

TEST_F(EntityBaseAnimation, HostEntityAnnouncesTheNameOfTheModelItLoads)
{
    FakeGameServices services;
    gGameServices = &services;
    {
        Entity entity;
        entity.LoadModels("probe.mdl");
        ASSERT_TRUE(entity.model.IsValid());
        EXPECT_EQ(services.resourceNames[entity.model], "Models/probe.mdl");
        entity.FreeModel();
        EXPECT_FALSE(entity.model.IsValid());
        EXPECT_TRUE(entity.modelName.empty());
    }
    gGameServices = nullptr;
}
