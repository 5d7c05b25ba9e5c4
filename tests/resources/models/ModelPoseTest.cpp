// ModelPoseTest -- attach-point numbering, bone poses and tag transforms against hand-computed values, animation picks, speeds and events.
#include "core/RandomSystem.h"
#include "resources/models/ModelWorld.h"

#include <cmath>

namespace {

constexpr float kHalfRoot2 = 0.70710678f;

// Frame f's root stands 10 f along x, turned f x 10 degrees about z; every other bone at rest.
BonePose MovingRoot(int32_t frame, int32_t bone)
{
    if (bone != 0)
        return RestPose(frame, bone);
    float half = static_cast<float>(frame) * 5.0f * 3.14159265f / 180.0f;
    return {{0, 0, std::sin(half), std::cos(half)}, {10.0f * static_cast<float>(frame), 0, 0}};
}

class ModelPose : public ModelWorld {
protected:
    ModelPose()
    {
        gRandomSystem = &random;
        WriteAsset("Models/chain.mds", MakeChainSkeleton(3));
        WriteAsset("Models/move.mda", MakeAnimation(5, 3, MovingRoot));
        WriteAsset("Models/far.mda", MakeAnimation(2, 3, [](int32_t f, int32_t b) {
                       return b == 0 ? BonePose{{0, 0, 0, 1}, {100.0f * static_cast<float>(f), 0, 0}} : RestPose(f, b);
                   }));
        WriteAsset("Models/other.mda", MakeAnimation(5, 4, RestPose));
        WriteAsset("Models/empty.mda", MakeAnimation(0, 3, RestPose));
        WriteAsset("Models/chain.tag", "grip b0 0 0 1 1 0 0 0\n");
    }
    ~ModelPose() override { gRandomSystem = nullptr; }

    ModelResource* ChainModel()
    {
        return LoadModel("Models/chain.mdl", "dir Models\nskeleton chain.mds\ntags chain.tag\nanimations\n{\n"
                                             " move move\n {\n }\n far far\n {\n }\n other other\n {\n }\n"
                                             " empty empty\n {\n }\n}\n");
    }

    RandomSystem random{12345};
};

TEST_F(ModelPose, AttachPointsNumberBonesThenTags)
{
    WriteAsset("Models/big.mds", MakeChainSkeleton(30));
    WriteAsset("Models/big.tag", "t0 b1\nt1 b7 1 2 3 0 1 0 0\nt2 nobone\nt3 b2\n");
    ModelResource* model = LoadModel("Models/big.mdl", "dir Models\nskeleton big.mds\ntags big.tag\n");
    EXPECT_EQ(model->GetTagCount(), 34);
    EXPECT_EQ(model->GetFirstTagIndex(), 30);
    AttachPoint bone = model->GetTag(5);
    EXPECT_EQ(bone.parent, 5);
    EXPECT_FLOAT_EQ(bone.rotation.w, 1.0f);
    AttachPoint tag = model->GetTag(31);
    EXPECT_EQ(tag.parent, 7);
    EXPECT_FLOAT_EQ(tag.offset.z, 3.0f);
    EXPECT_EQ(model->GetTag(32).parent, -1);
    EXPECT_EQ(model->GetTagName(33), "t3");
    EXPECT_EQ(model->FindTag("B3"), 3);
    EXPECT_EQ(model->FindTag("T2"), 32);
    EXPECT_EQ(model->FindTag("none"), -1);

    ModelResource* untagged = LoadModel("Models/bare.mdl", "skeleton Models/big.mds\n");
    EXPECT_EQ(untagged->GetTagCount(), 30);
    EXPECT_EQ(untagged->GetFirstTagIndex(), -1);
    ModelResource* boneless = LoadModel("Models/none.mdl", "tags Models/big.tag\n");
    EXPECT_EQ(boneless->GetTagCount(), 0);
    EXPECT_EQ(boneless->FindTag("t1"), -1);
}

// Root turned 90 degrees about z at (1, 2, 3); b1 one unit along x; b2 two along y, turned 90
// degrees about x. Rows of a z quarter turn: (0, -1, 0), (1, 0, 0), (0, 0, 1).
TEST_F(ModelPose, BonePosesFollowTheParentChain)
{
    ModelResource* model = ChainModel();
    BonePose records[3] = {{{0, 0, kHalfRoot2, kHalfRoot2}, {1, 2, 3}},
                           {{0, 0, 0, 1}, {1, 0, 0}},
                           {{kHalfRoot2, 0, 0, kHalfRoot2}, {0, 2, 0}}};
    ModelBonePose pose;
    ASSERT_TRUE(model->ComputeBonePose(records, 3, 2, pose));
    EXPECT_NEAR(pose.position.x, 3.0f, 1e-5f);
    EXPECT_NEAR(pose.position.y, 1.0f, 1e-5f);
    EXPECT_NEAR(pose.position.z, 3.0f, 1e-5f);
    for (float component : {pose.rotation.x, pose.rotation.y, pose.rotation.z, pose.rotation.w})
        EXPECT_NEAR(component, 0.5f, 1e-5f);
    const float expected[3][3] = {{0, 0, 1}, {1, 0, 0}, {0, 1, 0}};
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 3; ++column)
            EXPECT_NEAR(pose.matrix.m[row][column], expected[row][column], 1e-5f);
    }
    EXPECT_FALSE(model->ComputeBonePose(records, 3, 3, pose));
    EXPECT_FALSE(model->ComputeBonePose(records, 2, 1, pose));
}

// At t = 3.25 frame 3 weighs 0.25 and frame 2 0.75: the root at x 22.5 turned 22.5 degrees;
// the grip tag one unit above it.
TEST_F(ModelPose, TagTransformsBlendTheFrameBeforeAndTurnIntoTheWorld)
{
    ModelResource* model = ChainModel();
    TagPoseQuery query;
    query.animation = model->PickAnimation("move");
    query.attachPoint = model->FindTag("grip");
    query.time = 3.25f;
    TagTransform at;
    ASSERT_TRUE(model->ComputeTagTransform(query, at));
    EXPECT_NEAR(at.offset.x, 22.5f, 1e-4f);
    EXPECT_NEAR(at.offset.z, 1.0f, 1e-5f);
    EXPECT_NEAR(at.matrix.m[0][0], std::cos(22.5f * 3.14159265f / 180.0f), 1e-5f);
    EXPECT_NEAR(at.matrix.m[0][1], -std::sin(22.5f * 3.14159265f / 180.0f), 1e-5f);

    // Facing +y (x turns into y) at twice the size.
    query.entityMatrix = Matrix3{{{0, 1, 0}, {-1, 0, 0}, {0, 0, 1}}};
    query.scale = 2.0f;
    ASSERT_TRUE(model->ComputeTagTransform(query, at));
    EXPECT_NEAR(at.offset.x, 0.0f, 1e-4f);
    EXPECT_NEAR(at.offset.y, 45.0f, 1e-4f);
    EXPECT_NEAR(at.offset.z, 2.0f, 1e-5f);
}

TEST_F(ModelPose, EarlyTimesBlendWithTheSecondAnimationOrStandAlone)
{
    ModelResource* model = ChainModel();
    TagPoseQuery query;
    query.animation = model->PickAnimation("move");
    query.attachPoint = 0;
    query.time = 0.5f;
    TagTransform at;
    ASSERT_TRUE(model->ComputeTagTransform(query, at));
    EXPECT_NEAR(at.offset.x, 0.0f, 1e-5f);
    // The second animation's time is held at its last frame: x 100, weighing 0.5.
    query.secondAnimation = model->PickAnimation("far");
    query.secondTime = 7.0f;
    ASSERT_TRUE(model->ComputeTagTransform(query, at));
    EXPECT_NEAR(at.offset.x, 50.0f, 1e-4f);
}

TEST_F(ModelPose, NothingIsPosedFromAMismatchedOrEmptyAnimationOrAFreeTag)
{
    WriteAsset("Models/chain.tag", "grip b0 0 0 1 1 0 0 0\nloose nobone\n");
    ModelResource* model = ChainModel();
    TagPoseQuery query;
    query.attachPoint = 0;
    TagTransform at;
    at.offset.x = 7.0f;
    for (const char* name : {"other", "empty", "none"}) {
        query.animation = model->PickAnimation(name);
        EXPECT_FALSE(model->ComputeTagTransform(query, at)) << name;
    }
    query.animation = model->PickAnimation("move");
    query.attachPoint = model->FindTag("loose");
    EXPECT_FALSE(model->ComputeTagTransform(query, at));
    EXPECT_FLOAT_EQ(at.offset.x, 7.0f);
    const Animation* empty = model->GetAnimation(model->PickAnimation("empty"));
    EXPECT_FLOAT_EQ(empty->GetMoveSpeed(), 0.0f);
    EXPECT_FLOAT_EQ(empty->GetDuration(), 0.0f);
}

TEST_F(ModelPose, PicksDrawOneSameNamedEntryFromStreamZero)
{
    ModelResource* model = LoadModel("Models/v.mdl", "animations\n{\n idle a\n {\n }\n walk b\n {\n }\n idle c\n {\n }\n}\n");
    EXPECT_EQ(model->PickAnimation("run"), -1);
    bool seen[3] = {};
    for (uint32_t seed = 0; seed < 40; ++seed) {
        random.SetState(RandomStream::GameData, seed * 7919u);
        uint32_t x = seed * 7919u * 0x8B1D5u + 0x8B1D3Fu;
        int32_t expected = ((x >> 16) & 0x7FFF) >= 0x4000 ? 2 : 0;
        int32_t picked = model->PickAnimation("IDLE");
        EXPECT_EQ(picked, expected) << seed;
        EXPECT_EQ(random.GetState(RandomStream::GameData), x);
        seen[picked] = true;
    }
    EXPECT_TRUE(seen[0] && seen[2]);
}

// Ten frames at 20 per second, each moving 0.5 along x.
TEST_F(ModelPose, SpeedsDurationsAndEventTimesComeFromFramesAndRate)
{
    WriteAsset("Models/ten.mda", MakeAnimation(10, 3, RestPose, std::vector<float>(10, 0.5f)));
    ModelResource* model = LoadModel("Models/e.mdl", "dir Models\nanimations\n{\n ten ten\n {\n"
                                                     "  server\n  {\n   last attackMarker\n   first start\n   5 hit\n   entry open\n  }\n"
                                                     "  client\n  {\n   last a\n   every b\n   entry c\n   exit d\n   3 e\n  }\n }\n"
                                                     " still ten fps 0\n {\n }\n}\n");
    const Animation* ten = model->GetAnimation(0);
    EXPECT_FLOAT_EQ(ten->GetMoveSpeed(), 10.0f);
    EXPECT_FLOAT_EQ(ten->GetDuration(), 0.5f);
    EXPECT_FLOAT_EQ(ten->GetServerEventTime("AttackMarker", 20.0f), 0.5f);
    EXPECT_FLOAT_EQ(ten->GetServerEventTime("attackMarker", 0.0f), 0.5f);
    EXPECT_FLOAT_EQ(ten->GetServerEventTime("unknown", 20.0f), 0.0f);
    EXPECT_EQ(ten->GetServerEventFrame("start"), 0);
    EXPECT_EQ(ten->GetServerEventFrame("hit"), 5);
    EXPECT_EQ(ten->GetServerEventFrame("open"), -1);
    EXPECT_FLOAT_EQ(model->GetAnimation(1)->GetServerEventTime("attackMarker", 0.0f), 0.0f);

    // The frame's events are walked from -1 on.
    EXPECT_EQ(ten->FindNextClientEvent(-1, 9, AnimationTrigger::FrameReached), 0);
    EXPECT_EQ(ten->FindNextClientEvent(0, 9, AnimationTrigger::FrameReached), 1);
    EXPECT_EQ(ten->FindNextClientEvent(1, 9, AnimationTrigger::FrameReached), -1);
    EXPECT_EQ(ten->FindNextClientEvent(-1, 8, AnimationTrigger::FrameReached), 1);
    EXPECT_EQ(ten->FindNextClientEvent(1, 3, AnimationTrigger::FrameReached), 4);
    EXPECT_EQ(ten->FindNextClientEvent(-1, 0, AnimationTrigger::Started), 2);
    EXPECT_EQ(ten->FindNextClientEvent(-1, 0, AnimationTrigger::Ended), 3);
    EXPECT_EQ(ten->FindNextClientEvent(-1, 0, 7), -1);
}

TEST_F(ModelPose, SpriteFramesSitDirectionAfterDirection)
{
    Animation sprite;
    sprite.kind = Animation::kSprite;
    sprite.frameCount = 3;
    sprite.directions = 2;
    sprite.frameTextures.resize(6);
    ResourceHandle texture;
    manager->Load("x.sync", texture);
    ResourceHandle other;
    manager->Load("y.sync", other);
    sprite.SetFrameTexture(1, 1, texture);
    EXPECT_EQ(sprite.frameTextures[4].GetValue(), texture.GetValue());
    EXPECT_EQ(manager->GetReferenceCount(texture), 2);
    EXPECT_EQ(sprite.GetFrameTexture(1, 1), texture.GetValue());
    EXPECT_EQ(sprite.GetFrameTexture(1, 2), -1);
    // A frame outside the animation is slot 0; a direction past the entry's has no slot.
    sprite.SetFrameTexture(7, 1, texture);
    sprite.SetFrameTexture(0, 2, other);
    EXPECT_EQ(sprite.frameTextures[0].GetValue(), texture.GetValue());
    EXPECT_EQ(manager->GetReferenceCount(other), 1);
    // Replacing a slot lets go of the texture it held.
    sprite.SetFrameTexture(1, 1, other);
    EXPECT_EQ(sprite.GetFrameTexture(1, 1), other.GetValue());
    EXPECT_EQ(manager->GetReferenceCount(texture), 2);
    EXPECT_EQ(manager->GetReferenceCount(other), 2);
    sprite.directions = 0;
    sprite.frameTextures.clear();
    EXPECT_EQ(sprite.GetFrameTexture(0, 0), -1);
    EXPECT_EQ(manager->GetReferenceCount(texture), 1);
    EXPECT_EQ(manager->GetReferenceCount(other), 1);
}

} // namespace
