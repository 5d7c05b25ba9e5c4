// ScreenConversionTest -- screen points and world positions: the two conversions undo each other on the 4:3 and the wide screen at every zoom, an entity's box on the screen, and the pick under the cursor by weight, then nearness, then table order, looking through corpses and scenery, through entities the real world host sent.
#include "client/ClientWorld.h"

#include "client/ScreenConversion.h"
#include "entities/Item.h"
#include "entities/ItemGround.h"
#include "render/WorldView.h"

#include <cmath>
#include <tuple>

namespace {

constexpr const char* kScreenConversionRecords = R"(
PickPost
{
    Type Object
    Radius 30
    ToggleUsableObject 1
}
PickProp
{
    Type Object
    Radius 30
}
PickKnife
{
    Type Item
    ItemType Other
    Radius 30
}
)";

TEST(ScreenConversionMath, ScreenToWorldAfterWorldToScreenIsTheIdentityOnBothScreensAtEveryZoom)
{
    // A screen a little wider than 4:3 is not widened; past 1.4 : 1 the world seen widens with it.
    EXPECT_FLOAT_EQ(WorldView::Widening(800, 600), 1.0f);
    EXPECT_FLOAT_EQ(WorldView::Widening(1400, 1000), 1.0f);
    EXPECT_FLOAT_EQ(WorldView::Widening(1280, 720), (1280.0f / 720.0f) / 1.3333334f);
    EXPECT_FLOAT_EQ(WorldView::Widening(640, 0), 1.0f) << "no height is no screen to widen";
    // A click is turned back by the renderer's own factor.
    for (auto [width, height] : {std::pair{800, 600}, std::pair{1280, 720}, std::pair{640, 0}})
        EXPECT_FLOAT_EQ(ScreenConversion::Widening(width, height), WorldView::Widening(width, height));
    // Not carried across level edges: the sums alone are under test.
    WorldPos viewer{0, 900.0f, 700.0f, false};
    for (auto [width, height] : {std::pair{800, 600}, std::pair{1280, 720}})
        for (float zoom : {0.6f, 1.0f, 1.4f}) {
            float widening = WorldView::Widening(width, height);
            ScreenView view;
            view.zoom = zoom;
            view.widening = widening;
            for (int32_t px = 0; px <= 640; px += 80)
                for (int32_t py = 0; py <= 480; py += 60) {
                    WorldPos ground = ScreenConversion::ScreenToWorldFrom(static_cast<float>(px), static_cast<float>(py),
                                                                          viewer, false, view);
                    Vector2 back = ScreenConversion::WorldToScreen(ground, viewer, true, view);
                    EXPECT_NEAR(back.x, static_cast<float>(px), 0.01f) << widening << " " << zoom << " " << px << "," << py;
                    EXPECT_NEAR(back.y, static_cast<float>(py), 0.01f) << widening << " " << zoom << " " << px << "," << py;
                }
        }
    // The centre of the screen is the viewer's own place; along both axes at once is straight
    // across to the right, and straight up the screen is along y and back along x.
    ScreenView plain;
    Vector2 centre = ScreenConversion::WorldToScreen(viewer, viewer, true, plain);
    EXPECT_FLOAT_EQ(centre.x, 320.0f);
    EXPECT_FLOAT_EQ(centre.y, 240.0f);
    Vector2 right = ScreenConversion::WorldToScreen(viewer.Offset(Vector2{10.0f, 10.0f}), viewer, true, plain);
    EXPECT_NEAR(right.y, 240.0f, 0.001f);
    EXPECT_GT(right.x, 320.0f);
    Vector2 up = ScreenConversion::ScreenToWorldOffset(320.0f, 140.0f, plain);
    EXPECT_LT(up.x, 0.0f);
    EXPECT_NEAR(up.x, -up.y, 0.001f);
    // The world is drawn orthographically: seen along (-1, 1, -1), 100 units up the screen are
    // 100 * 3^0.5 units of ground and a height of 100 shows (2 / 3)^0.5 * 100 long; looking
    // straight down the ground shows whole and heights not at all.
    for (auto [ratio, along, raised] : {std::tuple{ScreenView::kDefaultRatio, 122.474f, 81.650f}, {0.0f, 70.711f, 0.0f}}) {
        ScreenView view;
        view.ratio = ratio;
        Vector2 ground = ScreenConversion::ScreenToWorldOffset(320.0f, 140.0f, view);
        EXPECT_NEAR(ground.x, -along, 0.01f) << ratio;
        EXPECT_NEAR(ground.y, along, 0.01f) << ratio;
        Vector2 back = ScreenConversion::WorldToScreen(viewer.Offset(Vector2{-along, along}), viewer, true, view);
        EXPECT_NEAR(back.y, 140.0f, 0.01f) << ratio;
        Vector2 high = ScreenConversion::WorldToScreenRaised(viewer, viewer, 100.0f, view);
        EXPECT_NEAR(high.y, 240.0f - raised, 0.01f) << ratio;
    }
}

TEST(ScreenConversionMath, AnEntitysBoxSpansItsRadiusAcrossAndAtLeastTheLeastHeightUp)
{
    EntityClient entity;
    WorldPos viewer{0, 500.0f, 500.0f, true};
    entity.position = WorldPos{0, 560.0f, 520.0f, true};
    entity.radius = 12.0f;
    entity.selectRadius = 20.0f;
    ScreenView view;
    view.zoom = 1.25f;
    Vector2 p = ScreenConversion::WorldToScreen(entity.position, viewer, true, view);
    ScreenBox box = ScreenConversion::GetEntityScreenBox(entity, viewer, view);
    EXPECT_FLOAT_EQ(box.x1, p.x - 20.0f);
    EXPECT_FLOAT_EQ(box.x2, p.x + 20.0f);
    // The radius below the feet lies along the ground: 20 / 3^0.5 down the screen.
    EXPECT_NEAR(box.y1, p.y + 11.547f, 0.001f);
    EXPECT_FLOAT_EQ(box.y2, p.y - ScreenConversion::kMinBoxHeight / 1.25f);
}

class ScreenConversionPick : public ClientWorld {
protected:
    void Join()
    {
        StartAndJoin(kScreenConversionRecords);
        link->position = link->player->position;
    }

    Entity* Post(float dx, float dy)
    {
        auto* post = new Entity();
        post->SetEntry(database.FindEntryByName("PickPost"));
        post->SetPosition(link->player->position.Offset(Vector2{dx, dy}));
        EXPECT_NE(game->AddEntity(post), -1);
        return post;
    }

    // The host's next updates carry what was placed.
    void Mirror()
    {
        for (int i = 0; i < 3; ++i)
            ClientFrame(50);
    }

    Vector2 ScreenOf(const Entity* entity) const
    {
        const EntityClient* mirrored = gameClient->GetEntity(entity->entityNumber);
        EXPECT_NE(mirrored, nullptr);
        return mirrored ? Client::WorldToScreen(mirrored->position, true) : Vector2{};
    }

    EntityClient* PickAt(Vector2 point)
    {
        return Client::PickEntityAt(static_cast<int32_t>(std::lround(point.x)),
                                    static_cast<int32_t>(std::lround(point.y)), nullptr);
    }
};

TEST_F(ScreenConversionPick, TheNearerBoxCentreWinsAndAnEqualDistanceKeepsTheEarlierEntity)
{
    Join();
    // Along both axes at once lies straight across the screen: the two boxes overlap side by side.
    Entity* near = Post(40.0f, 40.0f);
    Entity* far = Post(52.0f, 52.0f);
    Entity* twin = Post(52.0f, 52.0f);
    Mirror();
    Vector2 a = ScreenOf(near);
    Vector2 b = ScreenOf(far);
    ASSERT_NEAR(a.y, b.y, 0.5f);
    ASSERT_GT(b.x - a.x, 10.0f);
    float y = a.y - 20.0f;
    EXPECT_EQ(PickAt(Vector2{a.x + 2.0f, y})->entityNumber, near->entityNumber);
    // Nearer the far pair: of the two at one place, the first in the table.
    EntityClient* picked = PickAt(Vector2{b.x - 2.0f, y});
    ASSERT_NE(picked, nullptr);
    EXPECT_EQ(picked->entityNumber, std::min(far->entityNumber, twin->entityNumber));
    // Nothing is picked where no box reaches, nor while the client is not in a game.
    EXPECT_EQ(PickAt(Vector2{a.x - 200.0f, a.y + 150.0f}), nullptr);
    app->EndGame();
    EXPECT_EQ(PickAt(a), nullptr);
}

TEST_F(ScreenConversionPick, AThingOnTheGroundGivesWayToAnythingElseUnderTheCursor)
{
    Join();
    auto knife = std::make_unique<Item>();
    knife->SetEntry(database.FindEntryByName("PickKnife"));
    ItemGround* ground =
        ItemGround::Drop(link->player->position.Offset(Vector2{60.0f, 0.0f}), knife, true, false, false);
    ASSERT_NE(ground, nullptr);
    Entity* post = Post(70.0f, 5.0f);
    Mirror();
    // The cursor right on the item, the post's box still holding it.
    Vector2 onItem = ScreenOf(ground);
    onItem.y -= 5.0f;
    EntityClient* picked = PickAt(onItem);
    ASSERT_NE(picked, nullptr);
    EXPECT_EQ(picked->entityNumber, post->entityNumber);
    EXPECT_FLOAT_EQ(ScreenConversion::GetPickWeight(*gameClient->GetEntity(ground->entityNumber)), 0.75f);
}

TEST_F(ScreenConversionPick, ACorpseOrSceneryNoClickActsOnIsLookedThroughToTheLootBehindIt)
{
    Join();
    auto knife = std::make_unique<Item>();
    knife->SetEntry(database.FindEntryByName("PickKnife"));
    ItemGround* ground =
        ItemGround::Drop(link->player->position.Offset(Vector2{60.0f, 0.0f}), knife, true, false, false);
    ASSERT_NE(ground, nullptr);
    Entity* body = Post(62.0f, 2.0f);
    Mirror();
    Vector2 onItem = ScreenOf(ground);
    onItem.y -= 5.0f;
    EntityClient* shownBody = gameClient->GetEntity(body->entityNumber);
    ASSERT_NE(shownBody, nullptr);
    ASSERT_EQ(PickAt(onItem), shownBody) << "alive, it stands before the knife";
    // Dead where it stood: the knife under it is what the click reaches.
    shownBody->maxHealth = 20;
    shownBody->health = 0;
    EXPECT_EQ(PickAt(onItem)->entityNumber, ground->entityNumber);

    // Scenery a click cannot act on is passed over too; over bare ground nothing is picked, so
    // the click walks.
    auto* prop = new Entity();
    prop->SetEntry(database.FindEntryByName("PickProp"));
    prop->SetPosition(link->player->position.Offset(Vector2{40.0f, 120.0f}));
    ASSERT_NE(game->AddEntity(prop), -1);
    Mirror();
    ASSERT_NE(gameClient->GetEntity(prop->entityNumber), nullptr);
    ASSERT_EQ(gameClient->GetEntity(prop->entityNumber)->GetClickAction(true, false), 0);
    EXPECT_EQ(PickAt(ScreenOf(prop) + Vector2{0.0f, -5.0f}), nullptr);
}


TEST_F(ScreenConversionPick, TheTargetsScreenPlaceLeadsBackToItsWorldPlace)
{
    Join();
    const Vector2 offsets[] = {{40.0f, 40.0f}, {52.0f, 30.0f}, {30.0f, 60.0f}};
    std::vector<Entity*> posts;
    for (const Vector2& offset : offsets)
        posts.push_back(Post(offset.x, offset.y));
    Mirror();
    for (const Entity* post : posts) {
        const EntityClient* mirrored = gameClient->GetEntity(post->entityNumber);
        ASSERT_NE(mirrored, nullptr);
        Vector2 at = Client::GetTargetScreenInfo(mirrored->position);
        EXPECT_EQ(at.x, ScreenOf(post).x);
        WorldPos back = Client::ScreenToWorld(static_cast<int32_t>(std::lround(at.x)),
                                              static_cast<int32_t>(std::lround(at.y)), false);
        EXPECT_LT(back.Distance2D(mirrored->position), 1.5f) << post->entityNumber;
    }
    // The player's own place, the use hints' origin, leads back to it too.
    WorldPos target = Client::GetCameraTarget();
    Vector2 self = Client::GetTargetScreenInfo(target);
    WorldPos back = Client::ScreenToWorld(static_cast<int32_t>(std::lround(self.x)),
                                          static_cast<int32_t>(std::lround(self.y)), false);
    EXPECT_LT(back.Distance2D(target), 1.5f);
}

} // namespace
