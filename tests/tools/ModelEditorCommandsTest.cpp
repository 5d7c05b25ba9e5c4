// ModelEditorCommandsTest -- the model viewer in the shipped game: zoom, turn and attachment scale, animations and frames, the tag range, tags renamed, moved, turned, added, deleted and saved.
#include "tools/AreaEditorFixture.h"

#include "client/EntityClient.h"
#include "render/Renderer.h"
#include "render/WorldView.h"
#include "resources/GraphicsDevice.h"
#include "resources/ResourceManager.h"
#include "resources/models/Animation.h"
#include "resources/models/ModelResource.h"
#include "resources/models/SkeletonResource.h"
#include "resources/models/TagsResource.h"
#include "tools/ModelEditor.h"
#include "ui/widgets/UIDropDownBox.h"

#include <cmath>
#include <utility>

namespace {

class ModelEditorCommands : public AreaEditorGame {
protected:
    static constexpr const char* kWarden = "Models/warden.mdl";

    // A figure whose idle animation is not its first, and a boulder that has none.
    void BeforeStart() override
    {
        folder.Write("Assets/Models/idlesecond.mdl", "type 3d\ndir Models/Humanoid\nskeleton humanoid.mds\n"
                                                     "mesh humanoid.mdm\ntags humanoid.tag\nskin goblin.skn\n"
                                                     "animations\n{\n    walk humanoid_walk\n    {\n    }\n"
                                                     "    idle humanoid_idle\n    {\n    }\n}\n");
    }

    static ModelEditor& Viewer() { return *gModelEditor; }
    static ModelResource& Shown() { return *gModelEditor->GetModel(); }

    // The warden shown in the open viewer.
    void ShowWarden()
    {
        Run("modelEditor 1");
        SetVar("ModelEditorModel", kWarden);
        app.RunFrame();
        ASSERT_NE(gModelEditor->GetModel(), nullptr);
    }

    // The current tag's place relative to the model's feet, as the shown entity places it.
    static Vector3 TagPlace()
    {
        const EntityClient& shown = *gModelEditor->GetShownEntity();
        EXPECT_GE(gModelEditor->GetCurrentTag(), 0);
        WorldPos3 where;
        Matrix3 matrix;
        shown.SetModelTransform(gModelEditor->GetCurrentTag(), where, matrix);
        return {where.x - shown.position.x, where.y - shown.position.y, where.z};
    }

    // The pose (animation, time in frames) the viewer draws the hung model in, read from the
    // world view's model surfaces of one drawing; animation -2 when it is not drawn.
    static std::pair<int32_t, float> HungPose(const ModelResource* hung)
    {
        gGraphicsDevice->AcquireContext();
        gModelEditor->Draw();
        gGraphicsDevice->ReleaseContext();
        const auto& pool = gRenderer->GetWorldView().GetModelPool();
        for (uint32_t i = 0; i < pool.GetUsed(); ++i)
            if (pool.At(i)->model.Get() == hung)
                return {pool.At(i)->animation, pool.At(i)->time};
        return {-2, 0.0f};
    }
    static const ModelResource* Loaded(const char* name)
    {
        ResourceHandle handle;
        gResourceManager->Load(name, handle);
        gResourceManager->WaitForLoadQueue();
        return dynamic_cast<const ModelResource*>(gResourceManager->Get(handle));
    }
};

TEST_F(ModelEditorCommands, ZoomIsHeldInItsRangeAndTheAttachmentScaleIsNot)
{
    for (int i = 0; i < 30; ++i)
        Run("ModelEditorZoomIn");
    EXPECT_FLOAT_EQ(Viewer().GetZoom(), ModelEditor::kMinZoom);
    for (int i = 0; i < 60; ++i)
        Run("ModelEditorZoomOut");
    EXPECT_FLOAT_EQ(Viewer().GetZoom(), ModelEditor::kMaxZoom);
    for (int i = 0; i < 25; ++i)
        Run("ModelEditorScaleDown");
    EXPECT_NEAR(Viewer().GetAttachmentScale(), -0.25f, 1e-4f);
    EXPECT_EQ(Var("ModelEditorAttachmentScale"), "-0.25");
    // Turning keeps the model upright: the facing row stays on the ground.
    Run("ModelEditorRotateRight");
    Run("ModelEditorRotateRight");
    const Matrix3& turned = Viewer().GetOrientation();
    EXPECT_NEAR(turned.m[0][2], 0.0f, 1e-4f);
    float heading = std::atan2(turned.m[0][1], turned.m[0][0]) * 57.29578f;
    EXPECT_NEAR(std::fmod(heading + 360.0f, 360.0f), 200.0f, 0.01f) << "from direction 6, 180 degrees, two steps on";
    // The lists swap with the model mode.
    Run("modelEditor 1");
    Run("ModelEditorModelMode 0");
    EXPECT_FALSE(gUISystem->FindWidgetByPath("ModelEditor::ModelList")->IsVisible());
    EXPECT_TRUE(gUISystem->FindWidgetByPath("ModelEditor::AttachmentModelList")->IsVisible());
    Run("ModelEditorModelMode 3");
    EXPECT_TRUE(gUISystem->FindWidgetByPath("ModelEditor::ModelList")->IsVisible());
    EXPECT_FALSE(gUISystem->FindWidgetByPath("ModelEditor::AttachmentModelList")->IsVisible());
}

TEST_F(ModelEditorCommands, TheAttachmentPlaysItsIdleAnimationLooped)
{
    ShowWarden();
    SetVar("ModelEditorShowAttachment", "1");
    SetVar("ModelEditorAttachmentModel", "Models/idlesecond.mdl");
    app.RunFrame();
    const ModelResource* model = Loaded("Models/idlesecond.mdl");
    ASSERT_NE(model, nullptr);
    EXPECT_EQ(HungPose(model).first, 1) << "idle, the second of its animations";
    float start = HungPose(model).second;
    Frames(4);
    float later = HungPose(model).second;
    EXPECT_GT(later, start) << "the idle runs with the frame";
    ASSERT_NE(model->GetAnimation(1), nullptr);
    auto frames = static_cast<float>(model->GetAnimation(1)->GetFrameCount());
    ASSERT_GT(frames, 1.0f);
    // Twenty seconds: many times round a short idle.
    Frames(400);
    EXPECT_GE(HungPose(model).second, 0.0f);
    EXPECT_LT(HungPose(model).second, frames) << "and loops within its frames";
    SetVar("ModelEditorAttachmentModel", "Models/Props/door.mdl");
    const ModelResource* door = Loaded("Models/Props/door.mdl");
    Frames(2);
    std::pair<int32_t, float> still = HungPose(door);
    EXPECT_EQ(still.first, -1) << "a model without an idle stands as it is";
    EXPECT_FLOAT_EQ(still.second, 0.0f);
}

TEST_F(ModelEditorCommands, AnimationsAndFramesWrapAndTheFrameIsPublished)
{
    ShowWarden();
    EXPECT_EQ(Var("modelEditorAnim"), Shown().GetAnimation(0)->name);
    int32_t frames = Viewer().GetFrameCount();
    ASSERT_GT(frames, 1);
    Run("ModelEditorPrevFrame");
    EXPECT_EQ(Var("modelEditorFrame"), std::to_string(frames - 1));
    Run("ModelEditorNextFrame");
    EXPECT_EQ(Var("modelEditorFrame"), "0");
    Run("ModelEditorNextFrame");
    EXPECT_EQ(Var("modelEditorFrame"), "1");
    // Playing runs the clock with the frames; stopping holds it.
    Run("ModelEditorPlay");
    now += 200;
    app.RunFrame();
    now += 200;
    app.RunFrame();
    EXPECT_GT(Viewer().GetTime(), 1.0f);
    Run("ModelEditorStop");
    std::string held = Var("modelEditorFrame");
    now += 500;
    app.RunFrame();
    EXPECT_EQ(Var("modelEditorFrame"), held);
    // The animations wrap both ways.
    Run("ModelEditorPrevAnim");
    EXPECT_EQ(Viewer().GetAnimation(), Shown().GetAnimationCount() - 1);
    EXPECT_EQ(Var("modelEditorAnim"), Shown().GetAnimation(Shown().GetAnimationCount() - 1)->name);
    Run("ModelEditorNextAnim");
    EXPECT_EQ(Viewer().GetAnimation(), 0);
}

TEST_F(ModelEditorCommands, AModelWithoutAnimationsStepsNowhere)
{
    // The shipped boulder's files, without its one animation.
    folder.Write("Assets/Models/Props/stillboulder.mdl", "type 3d\ndir Models/Props\nskeleton boulder.mds\n"
                                                         "mesh boulder.mdm\nskin boulder.skn\n");
    Run("modelEditor 1");
    SetVar("ModelEditorModel", "Models/Props/stillboulder.mdl");
    app.RunFrame();
    ASSERT_NE(gModelEditor->GetModel(), nullptr);
    ASSERT_EQ(Shown().GetAnimationCount(), 0);
    Run("ModelEditorPrevAnim");
    EXPECT_EQ(Viewer().GetAnimation(), -1);
    EXPECT_EQ(Var("modelEditorAnim"), "");
    Run("ModelEditorNextFrame");
    Run("ModelEditorPrevFrame");
    EXPECT_EQ(Var("modelEditorFrame"), "0") << "no frame -1 and no frame past the end";
}

TEST_F(ModelEditorCommands, TheTagRangeWrapsAndTagsAreAddedDeletedAndRenamed)
{
    ShowWarden();
    int32_t bones = Shown().GetSkeleton()->GetBoneCount();
    ASSERT_EQ(Viewer().GetFirstTag(), bones);
    ASSERT_GE(Viewer().GetLastTag(), bones);
    int32_t last = Viewer().GetLastTag();
    EXPECT_EQ(Viewer().GetCurrentTag(), bones);
    EXPECT_EQ(Var("ModelEditorTagName"), Shown().GetTagName(bones));
    Run("ModelEditorPrevTag");
    EXPECT_EQ(Viewer().GetCurrentTag(), last);
    Run("ModelEditorNextTag");
    EXPECT_EQ(Viewer().GetCurrentTag(), bones);

    Run("ModelEditorAddTag");
    EXPECT_EQ(Viewer().GetLastTag(), last + 1);
    EXPECT_EQ(Viewer().GetCurrentTag(), last + 1);
    SetVar("ModelEditorTagName", "new grip");
    SetVar("ModelEditorBoneName", Shown().GetBoneName(1));
    app.RunFrame();
    EXPECT_EQ(Shown().GetTagName(last + 1), "new grip");
    EXPECT_EQ(Shown().GetTag(last + 1).parent, 1);
    Run("ModelEditorDeleteTag");
    EXPECT_EQ(Viewer().GetLastTag(), last);
    EXPECT_EQ(Viewer().GetCurrentTag(), bones);
    EXPECT_EQ(Shown().FindTag("new grip"), -1);
}

TEST_F(ModelEditorCommands, TagMovesAreInTheWorldAndTurnsUndoEachOther)
{
    ShowWarden();
    Vector3 before = TagPlace();
    Run("ModelEditorTagUp");
    Vector3 up = TagPlace();
    EXPECT_NEAR(up.x - before.x, 0.0f, 1e-3f);
    EXPECT_NEAR(up.y - before.y, 0.0f, 1e-3f);
    EXPECT_NEAR(up.z - before.z, 1.0f, 1e-3f);
    // Sideways moves stay on the ground plane, a unit long, and left undoes right.
    Run("ModelEditorTagRight");
    Vector3 right = TagPlace();
    EXPECT_NEAR(right.z, up.z, 1e-3f);
    EXPECT_NEAR(std::hypot(right.x - up.x, right.y - up.y), 1.0f, 1e-3f);
    Run("ModelEditorTagForward");
    Vector3 forward = TagPlace();
    EXPECT_NEAR((forward.x - right.x) * (right.x - up.x) + (forward.y - right.y) * (right.y - up.y), 0.0f, 1e-3f)
        << "forward is square to right";
    Run("ModelEditorTagBackwards");
    Run("ModelEditorTagLeft");
    Vector3 back = TagPlace();
    EXPECT_NEAR(back.x, up.x, 1e-3f);
    EXPECT_NEAR(back.y, up.y, 1e-3f);

    Quaternion turn = Shown().GetTag(Viewer().GetCurrentTag()).rotation;
    Run("ModelEditorYawLeft");
    Quaternion turned = Shown().GetTag(Viewer().GetCurrentTag()).rotation;
    EXPECT_GT(std::fabs(turned.z - turn.z) + std::fabs(turned.w - turn.w), 1e-3f);
    Run("ModelEditorYawRight");
    Quaternion back2 = Shown().GetTag(Viewer().GetCurrentTag()).rotation;
    EXPECT_NEAR(back2.x, turn.x, 1e-4f);
    EXPECT_NEAR(back2.y, turn.y, 1e-4f);
    EXPECT_NEAR(back2.z, turn.z, 1e-4f);
    EXPECT_NEAR(back2.w, turn.w, 1e-4f);
}

TEST_F(ModelEditorCommands, SavedTagsReadBackAsTheyWereSet)
{
    ShowWarden();
    Run("ModelEditorTagUp");
    SetVar("ModelEditorTagName", "left hand grip");
    app.RunFrame();
    Run("ModelEditorSaveTags");
    std::string saved = folder.Read("User/" + Shown().tagsFileName);
    ASSERT_FALSE(saved.empty()) << Shown().tagsFileName;
    TagsResource reread;
    reread.Parse(reinterpret_cast<const uint8_t*>(saved.data()), static_cast<uint32_t>(saved.size()));
    int32_t first = Viewer().GetFirstTag();
    ASSERT_EQ(reread.GetCount(), Viewer().GetLastTag() - first + 1);
    for (int32_t i = 0; i < reread.GetCount(); ++i) {
        AttachPoint shown = Shown().GetTag(first + i);
        AttachPoint read;
        reread.GetTag(i, read);
        EXPECT_EQ(reread.GetName(i), Shown().GetTagName(first + i));
        EXPECT_NEAR(read.offset.z, shown.offset.z, 1e-3f);
    }
}

TEST_F(ModelEditorCommands, TheModelIsAClientEntityThatTheClientsFrameRunsOnceOrLooped)
{
    ShowWarden();
    EntityClient* body = Viewer().GetShownEntity();
    ASSERT_NE(body, nullptr);
    EXPECT_EQ(body->GetLoadedModel(), &Shown()) << "the entity shows the viewer's model";
    EXPECT_EQ(body->anim, Viewer().GetAnimation());
    int32_t frames = Viewer().GetFrameCount();
    float rate = Shown().GetAnimation(Viewer().GetAnimation())->frameRate;
    ASSERT_GT(frames, 1);
    ASSERT_GT(rate, 0.0f);
    // Long enough to run the whole animation twice at 20 frames a second.
    int32_t whole = static_cast<int32_t>(2.0f * 20.0f * static_cast<float>(frames) / rate) + 2;
    Run("ModelEditorPlayOnce");
    Frames(whole);
    EXPECT_EQ(Var("modelEditorFrame"), std::to_string(frames - 1)) << "played once, it holds its last frame";
    EXPECT_EQ(body->anim, Viewer().GetAnimation()) << "and does not fall back to another animation";
    Run("ModelEditorPlay");
    Frame();
    EXPECT_LT(body->frame, static_cast<float>(frames - 1)) << "playing again starts it over";
    float before = body->frame;
    Frames(whole);
    EXPECT_NE(body->frame, before);
    EXPECT_LT(body->frame, static_cast<float>(frames)) << "and loops within its frames";
    EXPECT_EQ(Var("modelEditorFrame"), std::to_string(static_cast<int32_t>(body->frame)));
    // An empty name takes the model away rather than leaving the last one standing.
    SetVar("ModelEditorModel", "");
    app.RunFrame();
    EXPECT_FALSE(body->model.IsValid());
    EXPECT_EQ(Viewer().GetModel(), nullptr);
    EXPECT_EQ(Var("ModelEditorTagName"), "");
    EXPECT_EQ(Var("modelEditorAnim"), "");
}

TEST_F(ModelEditorCommands, TheBoneBoxListsTheBonesOfTheModelJustChosen)
{
    Run("modelEditor 1");
    auto* box = dynamic_cast<UIDropDownBox*>(gUISystem->FindWidgetByPath("ModelEditor::BoneNameDropDownBox"));
    ASSERT_NE(box, nullptr);
    // The viewer opens on the first model of its list; taken away, it leaves no bones.
    SetVar("ModelEditorModel", "");
    app.RunFrame();
    EXPECT_TRUE(box->choices.empty()) << "no model, no bones";
    SetVar("ModelEditorModel", kWarden);
    app.RunFrame();
    ASSERT_NE(Viewer().GetModel(), nullptr);
    int32_t bones = Shown().GetSkeleton()->GetBoneCount();
    ASSERT_EQ(static_cast<int32_t>(box->choices.size()), bones);
    for (int32_t bone = 0; bone < bones; ++bone)
        EXPECT_EQ(box->choices[static_cast<size_t>(bone)].name, Shown().GetBoneName(bone));
    EXPECT_FALSE(Var("ModelEditorBoneName").empty());
    EXPECT_EQ(box->GetShownText(), Var("ModelEditorBoneName")) << "the box shows the current tag's bone";
    SetVar("ModelEditorModel", kBoulder);
    app.RunFrame();
    ASSERT_NE(Viewer().GetModel(), nullptr);
    const SkeletonResource* rock = Shown().GetSkeleton();
    EXPECT_EQ(static_cast<int32_t>(box->choices.size()), rock ? rock->GetBoneCount() : 0);
}

} // namespace
