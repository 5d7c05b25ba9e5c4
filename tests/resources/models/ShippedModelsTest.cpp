// ShippedModelsTest -- every shipped model loads with all its files, without a message and without a graphics context, and answers the game's queries.
#include "core/EnumTable.h"
#include "resources/models/AnimationResource.h"
#include "resources/models/MeshResource.h"
#include "resources/models/ModelResourceTypes.h"
#include "resources/models/SkeletonResource.h"
#include "resources/models/Skin.h"
#include "resources/shaders/ShippedShaderWorld.h"

namespace {

class ShippedModels : public ShippedShaderWorld {
protected:
    void SetUp() override
    {
        ShippedShaderWorld::SetUp();
        if (!IsSkipped() && !HasFatalFailure())
            RegisterModelResourceTypes(*manager);
        // The game rules register this table at start-up; the props name its values.
        EnumTable* inWay = EnumTable::Register("InWayAlphaType", 5, 0);
        const char* const names[] = {"Never", "Normal", "South", "East", "Below"};
        for (int32_t i = 0; i < 5; ++i)
            inWay->SetName(i, names[i]);
    }

    template <class T>
    T* Get(int32_t handle)
    {
        return dynamic_cast<T*>(manager->Get(handle));
    }

    ModelResource* Load(const std::string& name)
    {
        ResourceHandle& handle = Hold();
        manager->Load(name, handle);
        return Get<ModelResource>(handle);
    }

    // Every surface's shader draws real textures.
    void ExpectSkinDrawn(const ModelResource& model, const std::string& name)
    {
        const Skin* skin = model.GetSkin();
        ASSERT_NE(skin, nullptr) << name;
        for (const Skin::Entry& entry : skin->GetEntries()) {
            auto* shader = Get<Shader>(entry.shader);
            ASSERT_NE(shader, nullptr) << name;
            for (const auto& stage : shader->stages)
                EXPECT_NE(RealTexture(stage->texture), nullptr) << name;
        }
    }

    void ExpectSkeletalFilesFit(const ModelResource& model, const std::string& name)
    {
        const SkeletonResource* bones = model.GetSkeleton();
        auto* mesh = Get<MeshResource>(model.mesh);
        ASSERT_NE(bones, nullptr) << name;
        ASSERT_NE(mesh, nullptr) << name;
        EXPECT_LE(mesh->GetBoneSpan(), bones->GetBoneCount()) << name;
        ExpectSkinDrawn(model, name);
        for (int32_t i = 0; i < model.GetAnimationCount(); ++i) {
            const AnimationResource* file = model.GetAnimation(i)->GetResource();
            ASSERT_NE(file, nullptr) << name << " " << model.GetAnimation(i)->name;
            EXPECT_EQ(file->GetBoneCount(), bones->GetBoneCount()) << name;
            EXPECT_GT(file->GetFrameCount(), 0) << name;
        }
    }

    std::vector<std::string> AnimationNames(const ModelResource& model)
    {
        std::vector<std::string> names;
        for (const auto& entry : model.animations)
            names.push_back(entry->name);
        return names;
    }
};

TEST_F(ShippedModels, EveryModelLoadsWithAllItsFilesAndNoMessage)
{
    std::vector<ResourceHandle> models;
    PreloadModels(models);
    ASSERT_GE(models.size(), 18u);
    for (const ResourceHandle& handle : models) {
        std::string name = handle.GetName();
        auto* model = Get<ModelResource>(handle);
        ASSERT_NE(model, nullptr) << name;
        ASSERT_GT(model->GetAnimationCount(), 0) << name;
        if (model->type == ModelResource::kSkeletal) {
            ExpectSkeletalFilesFit(*model, name);
            continue;
        }
        for (const auto& entry : model->animations) {
            for (const ResourceHandle& frame : entry->frameTextures)
                EXPECT_NE(RealTexture(frame), nullptr) << name;
        }
    }
    std::vector<std::string> printed = NewLines();
    ASSERT_EQ(printed.size(), 1u) << printed.front();
    EXPECT_EQ(printed[0], StringFormat("Loaded %zu models\n", models.size()));
}

// The names the database and the entities ask for.
TEST_F(ShippedModels, CreaturesAndPropsHaveTheAnimationsAndMarkersTheGameAsksFor)
{
    using Names = std::vector<std::string>;
    for (const char* creature : {"goblin", "goblinshaman", "skeleton", "townsfolk", "wolf"}) {
        ModelResource* model = Load(std::string("models/") + creature + ".mdl");
        ASSERT_NE(model, nullptr) << creature;
        for (const char* name : {"idle", "walk", "run", "attack", "dying", "dead"})
            EXPECT_NE(model->PickAnimation(name), -1) << creature << " " << name;
        EXPECT_GT(model->GetAnimation(model->PickAnimation("attack"))->GetServerEventFrame("attackMarker"), 0);
        EXPECT_GT(model->GetAnimation(model->PickAnimation("walk"))->GetMoveSpeed(), 0.0f);
    }
    ModelResource* goblin = Load("Models/goblin.mdl");
    const Animation* jump = goblin->GetAnimation(goblin->PickAnimation("jump"));
    EXPECT_EQ(jump->GetServerEventFrame("startMarker"), 4);
    EXPECT_EQ(jump->GetServerEventFrame("endMarker"), 16);
    EXPECT_EQ(goblin->GetAnimation(goblin->PickAnimation("cast"))->GetServerEventFrame("skillMarker"), 10);
    for (const char* attack : {"attackOneHand", "attackTwoHand", "attackOneHandWithShield"})
        EXPECT_GT(goblin->GetAnimation(goblin->PickAnimation(attack))->GetServerEventFrame("attackMarker"), 0);
    // 16 frames at 20 per second, 2.5 units each.
    EXPECT_FLOAT_EQ(goblin->GetAnimation(goblin->PickAnimation("walk"))->GetMoveSpeed(), 50.0f);

    EXPECT_EQ(AnimationNames(*Load("Models/Props/door.mdl")), (Names{"closed", "opening", "open", "closing"}));
    EXPECT_EQ(AnimationNames(*Load("Models/Props/chest.mdl")),
              (Names{"idle", "closed", "opening", "open", "break", "broken"}));
    EXPECT_EQ(AnimationNames(*Load("Models/Props/torch.mdl")), (Names{"idle", "off"}));
    EXPECT_EQ(AnimationNames(*Load("Models/Props/gate.mdl")), (Names{"idle", "active"}));
    EXPECT_EQ(Load("Models/Effects/teleport.mdl")->type, ModelResource::kSprite);
}

TEST_F(ShippedModels, HumanoidTagsHangWhereTheyShould)
{
    ModelResource* goblin = Load("Models/goblin.mdl");
    int32_t first = goblin->GetFirstTagIndex();
    EXPECT_EQ(first, 12);
    for (const char* tag : {"weapon", "shield", "helmet", "weapon_tip"})
        EXPECT_GE(goblin->FindTag(tag), first) << tag;
    // Standing still, the helmet sits on the head: pelvis 22, spine 3, chest 8, head 11, tag 4.
    TagPoseQuery query;
    query.animation = goblin->PickAnimation("idle");
    query.attachPoint = goblin->FindTag("helmet");
    TagTransform at;
    ASSERT_TRUE(goblin->ComputeTagTransform(query, at));
    EXPECT_NEAR(at.offset.z, 48.0f, 0.5f);
    EXPECT_NEAR(at.offset.x, 0.0f, 0.5f);
}

TEST_F(ShippedModels, PropFootprintsBlockTheirCells)
{
    ModelResource* chest = Load("Models/Props/chest.mdl");
    EXPECT_TRUE(chest->IsCollisionCellBlocked(0, 0, 0));
    EXPECT_FALSE(chest->IsCollisionCellBlocked(1, 1, 0));
    // Facing 4 turns the grid half round: the blocked cell is the far corner.
    EXPECT_TRUE(chest->IsCollisionCellBlocked(1, 1, 4));
    EXPECT_FALSE(chest->IsCollisionCellBlocked(0, 0, 4));
    // A door blocks as an entity while shut: cells under its leaf would never clear its doorway.
    ModelResource* door = Load("Models/Props/door.mdl");
    EXPECT_EQ(door->collisionWidth, 0);
    EXPECT_FALSE(door->IsCollisionCellBlocked(0, 0, 0));
    ModelResource* torch = Load("Models/Props/torch.mdl");
    EXPECT_TRUE(torch->IsCollisionCellBlocked(1, 1, 0));
    EXPECT_FALSE(torch->IsCollisionCellBlocked(0, 0, 0));
}

} // namespace
