// ModelViewerInGameEndToEndTest -- the model viewer opened on the console of a running game: a model chosen with a click in its list is drawn in the view, pixels read back.
#include "app/OffscreenShots.h"

#include "tools/ModelEditor.h"

#include <cstdlib>

namespace {

class ModelViewerInGame : public OffscreenShotGame {
protected:
    // The viewer's panel stands at x 430 and over; its model list's first cell, 32 wide, at
    // (436, 364) in the panel's own layout.
    static constexpr int32_t kPanelLeft = 430;
    static constexpr int32_t kFirstModelX = 452;
    static constexpr int32_t kFirstModelY = 380;
    // Its "Models" button, which shows the list of models to show.
    static constexpr int32_t kModelsX = 485;
    static constexpr int32_t kModelsY = 331;

    void SetUp() override
    {
        if (!std::getenv("EMBERLODE_GAME_DIR"))
            GTEST_SKIP() << "EMBERLODE_GAME_DIR not set";
        StartInANewWorld();
    }
    void TearDown() override { KeepFailedFrame("ModelViewerInGame"); }

    // Pixels round the view's middle, left of the panel and above the game's bar, that are not
    // near black: the viewer clears to black.
    static int LitPixels(const TargaImage& image)
    {
        return CountPixels(image, 120, 110, kPanelLeft, 370,
                           [](const auto& p) { return std::max({p[0], p[1], p[2]}) > 24; });
    }
};

} // namespace

TEST_F(ModelViewerInGame, AModelClickedInTheListIsDrawnInPlaceOfTheWorld)
{
    TargaImage world = Screenshot();
    ASSERT_GT(LitPixels(world), 20000) << "the world fills the view";
    TypeOnConsole("modelEditor 1");
    ASSERT_TRUE(gModelEditor->IsActive());
    Frames(1);
    EXPECT_NE(gModelEditor->GetModel(), nullptr) << "the viewer opens on the first model of its list";
    EXPECT_GT(LitPixels(Screenshot()), 300) << "and draws it";
    // Taken away, the view is cleared.
    gUserVarSystem->SetStringByName("ModelEditorModel", "");
    Frames(1);
    TargaImage empty = Screenshot();
    // Only the game's overlays (the player's bar, a notice) stay lit.
    EXPECT_LT(LitPixels(empty), 400) << "without a model the view is cleared";

    ClickAt(kModelsX, kModelsY);
    ClickAt(kFirstModelX, kFirstModelY);
    ClickAt(kFirstModelX, kFirstModelY);
    ASSERT_NE(gModelEditor->GetModel(), nullptr) << "the click chose a model";
    TargaImage shown = Screenshot();
    EXPECT_GT(LitPixels(shown), LitPixels(empty) + 300) << "the chosen model is drawn";
    EXPECT_LT(LitPixels(shown), 60000) << "over a cleared view, not over the world";
    for (int i = 0; i < 3; ++i)
        TypeOnConsole("ModelEditorZoomIn");
    EXPECT_GT(LitPixels(Screenshot()), LitPixels(shown)) << "nearer, it is larger";

    TypeOnConsole("modelEditor 0");
    EXPECT_GT(LitPixels(Screenshot()), 20000) << "closed, the world is back";
}
