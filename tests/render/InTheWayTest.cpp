// InTheWayTest -- which placed models fade for the player: the box under a "Below" model, the sides of "South" and "East", the screen overlap of "Normal", and "Never".
#include "render/ModelDrawWorld.h"

#include "render/FakeFrameScene.h"
#include "render/InTheWay.h"

namespace {

BonePose InTheWayPose(int32_t, int32_t)
{
    return {{0, 0, 0, 1}, {0, 0, 0}};
}

class InTheWay : public ModelDrawWorld {
protected:
    ModelResource* Prop(int32_t type)
    {
        int32_t handle = LoadDrawModel("prop" + std::to_string(++props), MakeDrawSkeleton({-1}),
                                       MakeDrawMesh({DrawTriangleOn(1, 0)}), "dir Skins\nsurface 1 solid\n",
                                       {MakeDrawAnimation(1, 1, InTheWayPose)},
                                       "InWayMinOffset -1 -1\nInWayMaxOffset 1 1\n");
        auto* model = dynamic_cast<ModelResource*>(manager->Get(handle));
        model->inWayAlphaType = type;
        return model;
    }

    bool Faded(const ModelResource* model, float dx, float dy, int32_t direction, const Rect& rect,
               int32_t level = 0)
    {
        WorldPos player = cell;
        player.level = level;
        player.x += dx;
        player.y += dy;
        return InWay::IsModelInTheWay(model, cell, direction, 0.0f, &player, rect, scene);
    }

    WorldPos cell{0, 100.0f, 100.0f};
    FakeFrameScene scene;
    int props = 0;
};

// Far from every model's screen rectangle, and over all of them.
const Rect kAway{1000.0f, 1000.0f, 1010.0f, 1010.0f};
const Rect kOver{-1000.0f, -1000.0f, 1000.0f, 1000.0f};

} // namespace

TEST_F(InTheWay, ABelowModelCoversItsBoxEdgesIncludedOnItsOwnLevel)
{
    const ModelResource* below = Prop(InWay::kBelow);
    EXPECT_TRUE(Faded(below, 1.0f, 1.0f, 0, kAway));
    EXPECT_TRUE(Faded(below, -1.0f, 0.0f, 0, kAway));
    EXPECT_FALSE(Faded(below, 1.5f, 1.0f, 0, kOver));
    EXPECT_FALSE(Faded(below, 0.0f, 0.0f, 0, kOver, 1));
}

TEST_F(InTheWay, SouthAndEastModelsHideOneSideByTheirFacing)
{
    const ModelResource* south = Prop(InWay::kSouth);
    EXPECT_TRUE(Faded(south, -0.5f, 4.0f, 0, kAway));
    EXPECT_FALSE(Faded(south, -4.0f, 0.0f, 0, kOver));
    EXPECT_TRUE(Faded(south, -4.0f, 0.0f, 2, kAway));
    const ModelResource* east = Prop(InWay::kEast);
    EXPECT_TRUE(Faded(east, -4.0f, 0.0f, 4, kAway));
    EXPECT_FALSE(Faded(east, 0.5f, 4.0f, 0, kOver));
    EXPECT_TRUE(Faded(east, 0.5f, 4.0f, 6, kAway));
    // Another facing falls back to the screen test.
    EXPECT_TRUE(Faded(south, -4.0f, 4.0f, 1, kOver));
    EXPECT_FALSE(Faded(south, -4.0f, 4.0f, 1, kAway));
}

TEST_F(InTheWay, ANormalModelFadesOnlyForAPlayerBehindItOnTheScreen)
{
    const ModelResource* normal = Prop(InWay::kNormal);
    // The sides are those of the model seen from the player: the camera stands off to +x, -y.
    // A player at +x, -y of the model stands in front of it, lower on the screen: never, however
    // the rectangles lie.
    EXPECT_FALSE(Faded(normal, 3.0f, -3.0f, 0, kOver));
    EXPECT_FALSE(Faded(normal, -2.0f, -5.0f, 0, kOver));
    EXPECT_FALSE(Faded(normal, 2.0f, 1.0f, 0, kOver));
    // Behind it, higher on the screen: by the rectangles. The bounds span (-8, -8, 0) .. (8, 8, 16)
    // round the cell, which this scene maps round (0, -100).
    EXPECT_TRUE(Faded(normal, -3.0f, 3.0f, 0, Rect{-5.0f, -120.0f, 5.0f, -110.0f}));
    EXPECT_FALSE(Faded(normal, -3.0f, 3.0f, 0, Rect{-5.0f, -60.0f, 5.0f, -50.0f}));
    Rect rect = InWay::GetModelScreenRect(*normal, cell, 0.0f, scene);
    EXPECT_FLOAT_EQ(rect.x0, -16.0f);
    EXPECT_FLOAT_EQ(rect.x1, 16.0f);
    EXPECT_FLOAT_EQ(rect.y0, -124.0f);
    EXPECT_FLOAT_EQ(rect.y1, -92.0f);
}

TEST_F(InTheWay, NeverMeansNeverAndNoPlayerOrModelIsNeverInTheWay)
{
    const ModelResource* never = Prop(InWay::kNever);
    EXPECT_FALSE(Faded(never, -3.0f, 3.0f, 0, kOver));
    EXPECT_FALSE(InWay::IsModelInTheWay(Prop(InWay::kNormal), cell, 0, 0.0f, nullptr, kOver, scene));
    WorldPos player = cell;
    EXPECT_FALSE(InWay::IsModelInTheWay(nullptr, cell, 0, 0.0f, &player, kOver, scene));
}
