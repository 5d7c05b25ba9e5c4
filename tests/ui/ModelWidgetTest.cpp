// ModelWidgetTest -- the model widget's scene on a recording device: its layout keywords and user vars, the model and its attachments reloaded and placed at their tags, the clears it asks for, its private lights, and the display factor of showing and hiding.
#include "render/ModelDrawWorld.h"

#include "client/EntityClient.h"
#include "core/TextParser.h"
#include "core/UserVar.h"
#include "render/LightingSystem.h"
#include "ui/widgets/UIModelWidget.h"

namespace {

BonePose WidgetRestPose(int32_t, int32_t bone)
{
    // The second bone stands 10 units above the first.
    return {{0, 0, 0, 1}, {0, 0, bone == 1 ? 10.0f : 0.0f}};
}

class ModelWidget : public ModelDrawWorld {
protected:
    ModelWidget()
    {
        vars.LoadConfigFiles();
        lighting.SetMaxLights(8);
        gLightingSystem = &lighting;
        WriteDoll("doll");
        WriteDoll("hat");
    }
    ~ModelWidget() override { gLightingSystem = nullptr; }

    void TearDown() override
    {
        widget.reset();
        ModelDrawWorld::TearDown();
    }

    void WriteDoll(const std::string& name)
    {
        WriteAsset("Models/" + name + ".mds", MakeDrawSkeleton({-1, 0}));
        WriteAsset("Models/" + name + ".mdm", MakeDrawMesh({DrawTriangleOn(1, 0)}));
        WriteAsset("Models/" + name + ".skn", "dir Skins\nsurface 1 solid\n");
        WriteAsset("Models/" + name + "_idle.mda", MakeDrawAnimation(1, 2, WidgetRestPose));
        WriteAsset("Models/" + name + ".mdl", "type 3d\ndir Models\nskeleton " + name + ".mds\nmesh " + name +
                                                 ".mdm\nskin " + name + ".skn\nanimations\n{\n idle " + name +
                                                 "_idle\n {\n }\n}\n");
    }

    // A widget read from the layout text and attached as its menu would attach it.
    UIModelWidget& Make(const std::string& keywords)
    {
        widget = std::make_unique<UIModelWidget>();
        std::string text = keywords + " }";
        TextParser parser(text.data(), text.size());
        widget->ReadProperties(parser);
        widget->OnAttach();
        widget->OnMenuShown(true);
        return *widget;
    }

    // Updates until every model the widget asked for has loaded and its tags are looked up.
    void Settle()
    {
        widget->Update(0.0f);
        manager->WaitForLoadQueue();
        widget->Update(0.0f);
    }

    uint32_t QueuedModelSurfaces()
    {
        device.Clear();
        ShaderBatch batch(&device);
        view->SetViewSize(640, 480);
        widget->DrawScene(*view, batch);
        return view->GetModelPool().GetUsed();
    }

    const ModelRenderSurface& Surface(size_t index) const { return *view->GetModelPool().At(index); }


    LightingSystem lighting;
    std::unique_ptr<UIModelWidget> widget;
};

TEST_F(ModelWidget, KeywordsRegisterMissingVarsAsSavedAndIgnoreSlotsOutsideZeroToSeven)
{
    vars.SetStringByName("widgetKept", "kept");
    UIModelWidget& w = Make("modelUserVar widgetModel doll.mdl skinUserVar widgetKept x zoom 2 "
                            "attachmentTag 8 b1 attachmentTag -1 b1 attachmentTag 7 b1 "
                            "attachmentUserVar 9 widgetNine hat.mdl attachmentScale 3 0.5 attachmentScale 8 4");
    const UserVar* made = vars.FindVar("widgetModel");
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made->GetString(), "doll.mdl");
    EXPECT_TRUE(made->IsSaved()) << "registered with flags 1";
    EXPECT_EQ(vars.GetStringByName("widgetKept"), "kept") << "an existing var keeps its value";
    EXPECT_FALSE(vars.FindVar("widgetKept")->IsSaved()) << "and its flags";
    EXPECT_FLOAT_EQ(w.zoom, 2.0f);
    for (int32_t slot = 0; slot < UIModelWidget::kAttachmentCount; ++slot) {
        EXPECT_EQ(w.GetAttachment(slot).tag, slot == 7 ? "b1" : "") << slot;
        EXPECT_FLOAT_EQ(w.GetAttachment(slot).scale, slot == 3 ? 0.5f : 1.0f) << slot;
        EXPECT_FALSE(w.GetAttachment(slot).var.IsValid()) << slot;
    }
    EXPECT_EQ(vars.FindVar("widgetNine"), nullptr) << "no var for a slot the widget ignores";
}

TEST_F(ModelWidget, TheModelVarLoadsAndClearsTheModelAndTheTagsAreLookedUpAgain)
{
    UIModelWidget& w = Make("modelUserVar widgetModel doll.mdl attachmentTag 2 b1 attachmentUserVar 2 widgetHat hat.mdl "
                            "attachmentTag 3 nothing");
    Settle();
    EntityClient* doll = w.GetModelEntity();
    ASSERT_NE(doll, nullptr);
    EXPECT_TRUE(doll->model.IsValid());
    EXPECT_EQ(w.GetAttachment(2).tagIndex, 1) << "the bone named b1";
    EXPECT_EQ(w.GetAttachment(3).tagIndex, -1) << "a tag the model lacks";
    EXPECT_EQ(QueuedModelSurfaces(), 2u) << "the doll and the hat at its tag";
    EXPECT_FLOAT_EQ(Surface(1).position.z, 10.0f) << "the hat stands at the bone 10 above the feet";
    EXPECT_FLOAT_EQ(Surface(0).position.x, UIModelWidget::kSceneX);
    EXPECT_EQ(Surface(0).position.level, -1);

    vars.SetStringByName("widgetModel", "");
    Settle();
    EXPECT_FALSE(doll->model.IsValid());
    EXPECT_EQ(w.GetAttachment(2).tagIndex, -1);
    EXPECT_EQ(QueuedModelSurfaces(), 0u) << "no model, nothing hangs on it";

    vars.SetStringByName("widgetModel", "Models/doll.mdl");
    Settle();
    EXPECT_EQ(w.GetAttachment(2).tagIndex, 1) << "looked up again on the reloaded model";
    EXPECT_EQ(QueuedModelSurfaces(), 2u);
}

TEST_F(ModelWidget, ScaleMultipliesEachAttachmentsOwnScaleAndTheAngleTurnsTheModel)
{
    UIModelWidget& w = Make("modelUserVar widgetModel doll.mdl scaleUserVar widgetScale 1 angleUserVar widgetAngle 90 "
                            "attachmentScale 0 0.5 attachmentScale 1 2");
    Settle();
    vars.SetStringByName("widgetScale", "3");
    Settle();
    EXPECT_FLOAT_EQ(w.GetModelEntity()->scale, 3.0f);
    EXPECT_FLOAT_EQ(w.GetAttachment(0).entity->scale, 1.5f);
    EXPECT_FLOAT_EQ(w.GetAttachment(1).entity->scale, 6.0f);
    vars.SetStringByName("widgetScale", "nan");
    Settle();
    EXPECT_FLOAT_EQ(w.GetModelEntity()->scale, 3.0f) << "a scale that is not a number changes nothing";
    ASSERT_EQ(QueuedModelSurfaces(), 1u);
    EXPECT_NEAR(Surface(0).rotation.m[0][0], 0.0f, 1e-5f) << "turned 90 degrees";
    EXPECT_NEAR(Surface(0).rotation.m[0][1], 1.0f, 1e-5f);
    EXPECT_FLOAT_EQ(Surface(0).scale, 3.0f);
}

TEST_F(ModelWidget, TheClearsAreColourDepthAndStencilOrDepthAloneOrNone)
{
    const std::pair<std::string, uint32_t> cases[] = {
        {"clearBackground 1 clearDepth 1", kClearColorBuffer | kClearDepthBuffer | kClearStencilBuffer},
        {"clearDepth 1", kClearDepthBuffer},
        {"", 0u},
    };
    for (const auto& [keywords, buffers] : cases) {
        Make("modelUserVar widgetModel doll.mdl " + keywords);
        Settle();
        device.Clear();
        size_t projectionsBefore = device.GetFrameState().projections.size();
        ShaderBatch batch(&device);
        widget->DrawScene(*view, batch);
        RecordedFrameState state = device.GetFrameState();
        EXPECT_GT(state.projections.size(), projectionsBefore) << "the scene's own camera, " << keywords;
        if (buffers == 0) {
            EXPECT_TRUE(state.clears.empty()) << "the menu behind stays";
        } else {
            ASSERT_EQ(state.clears.size(), 1u) << keywords;
            EXPECT_EQ(state.clears[0].buffers, buffers) << keywords;
        }
    }
}

TEST_F(ModelWidget, WithoutLightsTheModelIsUnlitAndWithThemOnlyItsOwnLightsShine)
{
    UIModelWidget& w = Make("modelUserVar widgetModel doll.mdl");
    Settle();
    lighting.AddLight(0, 1.0f, 1.0f, Color{1.0f, 1.0f, 1.0f}, 50.0f, LightingSystem::kPointLight);
    ASSERT_EQ(QueuedModelSurfaces(), 1u);
    EXPECT_TRUE(Surface(0).fullBright);
    ASSERT_NE(Surface(0).entity, nullptr) << "a light subject for the batch, not the last model's";
    EXPECT_EQ(&Surface(0).entity->GetEntityBase(), w.GetModelEntity());
    EXPECT_EQ(lighting.GetLightCount(), 1) << "a widget without lights leaves the frame's lights alone";

    Make("modelUserVar widgetModel doll.mdl addLight 10 -20 \"1 0.5 0\" 80 addLight 0 0 white 40");
    Settle();
    ASSERT_EQ(QueuedModelSurfaces(), 1u);
    EXPECT_FALSE(Surface(0).fullBright);
    ASSERT_EQ(lighting.GetLightCount(), 2) << "the frame's lights gave way to the widget's two";
    EXPECT_EQ(lighting.GetLight(0).level, -1);
    EXPECT_FLOAT_EQ(lighting.GetLight(0).x, UIModelWidget::kSceneX + 10.0f);
    EXPECT_FLOAT_EQ(lighting.GetLight(0).y, UIModelWidget::kSceneY - 20.0f);
    EXPECT_FLOAT_EQ(lighting.GetLight(0).color.g, 0.5f);
    EXPECT_FLOAT_EQ(lighting.GetLight(0).radius, 80.0f);
}

TEST_F(ModelWidget, HidingTheMenuHidesTheModelAndShowingItBringsItBack)
{
    UIModelWidget& w = Make("modelUserVar widgetModel doll.mdl offset 5 7 drawEffects 1");
    Settle();
    EXPECT_TRUE(w.ShowsModel()) << "visible with effects on";
    w.OnMenuHidden();
    EXPECT_EQ(QueuedModelSurfaces(), 0u);
    w.OnMenuShown(false);
    ASSERT_EQ(QueuedModelSurfaces(), 1u);
    EXPECT_FLOAT_EQ(Surface(0).position.x, UIModelWidget::kSceneX + 5.0f) << "the offset moves the model";
    EXPECT_FLOAT_EQ(Surface(0).position.y, UIModelWidget::kSceneY + 7.0f);
    w.visible = false;
    EXPECT_FALSE(w.ShowsModel());
}

} // namespace
