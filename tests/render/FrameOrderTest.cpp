// FrameOrderTest -- the frame's passes in their order on a recording device, and what switches them: a running game, menus that block or cover the screen, the area editor.
#include "render/ModelDrawWorld.h"

#include "render/FrameRenderer.h"
#include "render/FakeFrameScene.h"
#include "render/FrameTools.h"
#include "render/FrameUi.h"

namespace {

using FrameLog = std::vector<std::string>;

class OrderUi : public FrameUi {
public:
    explicit OrderUi(FrameLog& log) : log(log) {}
    bool IsFullScreenMenuShown() const override { return fullScreen; }
    bool IsBlockingMenuShown() const override { return blocking; }
    void DrawHelpBottom(float) override { log.push_back("helpBottom"); }
    void UpdateAndDraw(float seconds) override { log.push_back("menus " + std::to_string(seconds)); }
    void DrawHelpTop(float) override { log.push_back("helpTop"); }
    void DrawCursor() override { log.push_back("cursor"); }
    Vector2 GetLogPosition() const override { return {}; }
    Vector2 GetAlternateLogOffset() const override { return {}; }
    FrameLog& log;
    bool fullScreen = false;
    bool blocking = false;
};

class OrderTools : public FrameTools {
public:
    explicit OrderTools(FrameLog& log) : log(log) {}
    bool IsAreaEditorOpen() const override { return editor; }
    bool IsModelEditorActive() const override { return false; }
    void DrawViews() override { log.push_back("editorViews"); }
    void RefreshGroundDetail() override { log.push_back("groundDetail"); }
    FrameLog& log;
    bool editor = false;
};

class FrameOrder : public ModelDrawWorld {
protected:
    FrameOrder()
    {
        view->SetViewSize(800, 600);
        frame.RegisterVars();
        frame.SetHooks({[this] { log.push_back("begin2D"); }, [this] { log.push_back("console"); },
                        [this] { log.push_back("fps"); }, [this] { log.push_back("afterWorld"); }});
        scene.log = &log;
        scene.target = WorldPos{-1, 300.0f, 200.0f};
        frame.SetScene(&scene);
        frame.SetUi(&ui);
        frame.SetTools(&tools);
    }

    FrameLog Draw()
    {
        log.clear();
        device.Clear();
        frame.DrawPasses(0.5f);
        return log;
    }

    FrameLog log;
    FakeFrameScene scene;
    OrderUi ui{log};
    OrderTools tools{log};
    ShaderBatch batch{&device};
    FrameRenderer frame{*view, batch};
};

const FrameLog k2DLayer = {"begin2D", "overlays", "helpBottom", "menus 0.500000", "console", "helpTop", "fps", "cursor"};

// What may take the screen: a game, a full-screen menu, the area editor, or nothing at all.
struct ScreenCase {
    const char* what;
    bool fullScreen;
    bool editor;
    bool running;
};
const ScreenCase kScreenCases[] = {
    {"a running game", false, false, true},
    {"a full-screen menu", true, false, true},
    {"the area editor", false, true, true},
    {"no game", false, false, false},
};

FrameLog Joined(FrameLog first, const FrameLog& second)
{
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

} // namespace

TEST_F(FrameOrder, ARunningGameDrawsTheWorldThenTheEditorsThenTheLayerInOrder)
{
    EXPECT_EQ(Draw(), Joined({"entities", "afterWorld", "editorViews"}, k2DLayer));
    // The camera looks at the scene's target and the world is cleared first, the stencil with
    // it: the complex shadows mark it where they darken.
    EXPECT_FLOAT_EQ(view->GetCamera().lookAt.x, 300.0f);
    RecordedFrameState state = device.GetFrameState();
    ASSERT_EQ(state.clears.size(), 1u);
    EXPECT_EQ(state.clears[0].buffers, kClearColorBuffer | kClearDepthBuffer | kClearStencilBuffer);
}

TEST_F(FrameOrder, ABlockingMenuHidesTheOverlaysAndNoGameDrawsNoWorld)
{
    ui.blocking = true;
    FrameLog expected = Joined({"entities", "afterWorld", "editorViews"}, k2DLayer);
    expected.erase(std::find(expected.begin(), expected.end(), "overlays"));
    EXPECT_EQ(Draw(), expected);

    ui.blocking = false;
    scene.running = false;
    EXPECT_EQ(Draw(), Joined({"editorViews"}, k2DLayer));
    EXPECT_FLOAT_EQ(view->GetCamera().lookAt.x, 0.0f);
}

TEST_F(FrameOrder, AFullScreenMenuOrTheAreaEditorLeavesTheScreenClearedBehindIt)
{
    ui.fullScreen = true;
    EXPECT_EQ(Draw(), Joined({"editorViews"}, k2DLayer));
    RecordedFrameState state = device.GetFrameState();
    ASSERT_EQ(state.clears.size(), 2u);
    EXPECT_EQ(state.clears[1].buffers, kClearColorBuffer | kClearDepthBuffer | kClearStencilBuffer);

    ui.fullScreen = false;
    tools.editor = true;
    EXPECT_EQ(Draw(), Joined({"editorViews"}, k2DLayer));
    EXPECT_FLOAT_EQ(view->GetCamera().lookAt.x, 0.0f);
    EXPECT_EQ(view->GetCamera().lookAt.level, -1);
}

TEST_F(FrameOrder, WithoutSceneInterfaceOrToolsOnlyTheRenderersOwnPassesRun)
{
    frame.SetScene(nullptr);
    frame.SetUi(nullptr);
    frame.SetTools(nullptr);
    EXPECT_EQ(Draw(), (FrameLog{"begin2D", "console", "fps"}));
    // Each frame starts the queue afresh.
    EXPECT_TRUE(view->GetQueue().GetFrameSurfaces().empty());
}

TEST_F(FrameOrder, ExplorationRunsFirstInEveryFrameWhateverTakesTheScreen)
{
    frame.SetMapPasses([this] { log.push_back("explore"); }, [] { return false; });
    for (const ScreenCase& c : kScreenCases) {
        ui.fullScreen = c.fullScreen;
        tools.editor = c.editor;
        scene.running = c.running;
        FrameLog drawn = Draw();
        ASSERT_FALSE(drawn.empty()) << c.what;
        EXPECT_EQ(drawn.front(), "explore") << c.what;
        EXPECT_EQ(std::count(drawn.begin(), drawn.end(), "explore"), 1) << c.what;
    }
}

// The open world map stands in the world's place before anything else is asked: behind a
// full-screen menu, under the editor or with no game it is still what the frame draws, with no
// world and no clearing of the frame's own, and no overlays over it.
TEST_F(FrameOrder, TheOpenWorldMapTakesTheWorldsPlaceWhateverElseIsUp)
{
    frame.SetMapPasses([this] { log.push_back("explore"); },
                       [this] {
                           log.push_back("worldMap");
                           return true;
                       });
    FrameLog onTheMap = Joined({"explore", "worldMap", "editorViews"}, k2DLayer);
    onTheMap.erase(std::find(onTheMap.begin(), onTheMap.end(), "overlays"));
    for (const ScreenCase& c : kScreenCases) {
        ui.fullScreen = c.fullScreen;
        tools.editor = c.editor;
        scene.running = c.running;
        EXPECT_EQ(Draw(), onTheMap) << c.what;
        EXPECT_TRUE(device.GetFrameState().clears.empty()) << c.what << ": the map clears for itself";
    }
}
