// ItemLabelsEndToEndTest -- the shipped game joined in local mode, offscreen: holding Alt frames a label over an item lying beside the player, and a left click on that label has the player pick the item up; at every zoom a label stands over its thing where the world draws it.
#include "app/OffscreenShots.h"

#include "client/ScreenConversion.h"
#include "client/EntityClient.h"
#include "client/GameClient.h"
#include "core/Database.h"
#include "entities/Chest.h"
#include "entities/Inventory.h"
#include "entities/Item.h"
#include "entities/ItemGround.h"
#include "entities/Player.h"
#include "server/Game.h"
#include "ui/UISystem.h"
#include "ui/widgets/UIHelp.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <memory>

namespace {

class ItemLabelsEndToEnd : public OffscreenShotGame {
protected:
    void SetUp() override
    {
        if (!std::getenv("EMBERLODE_GAME_DIR"))
            GTEST_SKIP() << "EMBERLODE_GAME_DIR not set";
        StartInANewWorld();
    }
    void TearDown() override { KeepFailedFrame("ItemLabelsEndToEnd"); }

    static UIHelp* Labels() { return dynamic_cast<UIHelp*>(gUISystem->FindWidgetByPath("HelpBottom::Help")); }

    // Pixels of the box that differ by more than a little between two pictures.
    static int Changed(const TargaImage& a, const TargaImage& b, int x0, int y0, int x1, int y1)
    {
        return ChangedPixels(a, b, x0, y0, x1, y1, 40);
    }
};

TEST_F(ItemLabelsEndToEnd, AltShowsTheLabelOfAnItemOnTheGroundAndAClickOnItPicksItUp)
{
    auto knife = std::make_unique<Item>();
    knife->Load(gDatabase->FindEntryByName("EmberKnife"));
    Item* dropped = knife.get();
    ItemGround* ground = ItemGround::Drop(HostPlayer()->position, knife, true, false, false);
    ASSERT_NE(ground, nullptr) << "a free spot beside the player";
    int32_t number = ground->entityNumber;
    for (int i = 0; i < 20 && !gGameClient->GetEntity(number); ++i)
        Frame();
    const EntityClient* mirrored = gGameClient->GetEntity(number);
    ASSERT_NE(mirrored, nullptr) << "the client sees the knife";
    // Only read, to know where to look and click.
    Vector2 anchor = Client::WorldToScreen(mirrored->position, false);
    ASSERT_GE(anchor.x, 0.0f);
    ASSERT_LT(anchor.x, 640.0f);

    TargaImage plain = Screenshot();
    Push(SDL_SCANCODE_LALT, true);
    Frame();
    TargaImage labelled = Screenshot();
    UIHelp* labels = Labels();
    ASSERT_NE(labels, nullptr);
    // The knife's box is centred over its 32-unit anchor square; other things may have labels too.
    const UIHelp::PlacedBox* box = nullptr;
    float middle = anchor.x + UIHelp::kLabelAnchorSide / 2.0f;
    for (const UIHelp::PlacedBox& placed : labels->GetPlacedBoxes()) {
        if (std::fabs((placed.left + placed.right) / 2.0f - middle) < 1.0f &&
            (!box || std::fabs(placed.top - anchor.y) < std::fabs(box->top - anchor.y)))
            box = &placed;
    }
    ASSERT_NE(box, nullptr) << "a label over the knife";
    UIHelp::PlacedBox knifeBox = *box;
    int x0 = static_cast<int>(knifeBox.left) + 2;
    int x1 = static_cast<int>(knifeBox.right) - 2;
    int y0 = static_cast<int>(knifeBox.top) + 2;
    int y1 = static_cast<int>(knifeBox.bottom) - 2;
    EXPECT_GT(Changed(plain, labelled, x0, y0, x1, y1), (x1 - x0) * (y1 - y0) / 3)
        << "the framed label darkens its box";
    Push(SDL_SCANCODE_LALT, false);
    Frame();
    EXPECT_LT(Changed(plain, Screenshot(), x0, y0, x1, y1), (x1 - x0) * (y1 - y0) / 10)
        << "letting go of Alt takes the label away";

    // Clicked with Alt held: the player walks to the knife and takes it.
    Push(SDL_SCANCODE_LALT, true);
    Frame();
    ClickAt(static_cast<int32_t>((knifeBox.left + knifeBox.right) / 2.0f),
            static_cast<int32_t>((knifeBox.top + knifeBox.bottom) / 2.0f));
    Push(SDL_SCANCODE_LALT, false);
    int32_t bag = -1;
    int32_t slot = -1;
    for (int i = 0; i < 80 && !HostPlayer()->inventory->FindItem(dropped, bag, slot); ++i)
        Frame();
    EXPECT_TRUE(HostPlayer()->inventory->FindItem(dropped, bag, slot)) << "the knife is carried";
}

// A chest set down a step to the player's left, or an item dropped there, at the zooms the wheel
// sets, found by its drawn pixels: its label stands over it as drawn, also when it is drawn near
// the screen's edge.
TEST_F(ItemLabelsEndToEnd, ALabelStandsOverItsThingAsDrawnAtEveryZoom)
{
    ClearTheStage();
    struct Case {
        float zoom;
        float step;
        const char* record;
    };
    const Case cases[] = {{0.6f, 80.0f, "Chest"}, {1.4f, 110.0f, "Chest"}, {1.4f, 250.0f, "Chest"}, {1.0f, 110.0f, "QuiltedTunic"}};
    for (const Case& c : cases) {
        auto [zoom, step, record] = c;
        SCOPED_TRACE(testing::Message() << zoom << " " << step << " " << record);
        for (int i = 0; i < 8 && std::fabs(ScreenConversion::CurrentView().zoom - zoom) > 0.05f; ++i)
            ASSERT_NO_FATAL_FAILURE(WheelAt(320, 200, ScreenConversion::CurrentView().zoom > zoom));
        ASSERT_NEAR(ScreenConversion::CurrentView().zoom, zoom, 0.01f) << "the wheel zooms";
        TargaImage bare = Screenshot();
        WorldPos at = HostPlayer()->position.Offset(Vector2{-step, -step});
        Entity* thing = nullptr;
        if (std::string_view(record) == "Chest") {
            auto* chest = new Chest();
            chest->SetEntry(gDatabase->FindEntryByName(record));
            chest->SetPosition(at);
            ASSERT_NE(gGame->AddEntity(chest), -1);
            thing = chest;
        } else {
            // Dropped as the pack drops it, its fall over before the picture.
            auto item = std::make_unique<Item>();
            item->Load(gDatabase->FindEntryByName(record));
            thing = ItemGround::Drop(at, item, true, false, true);
            ASSERT_NE(thing, nullptr) << "a free spot there";
        }
        Frames(12);
        TargaImage shown = Screenshot();
        // The middle of what changed left of the player's gate, clear of the message lines.
        int found = 0;
        float drawnX = 0.0f;
        for (int y = 100; y < 340; ++y)
            for (int x = 0; x < 230; ++x)
                if (Changed(bare, shown, x, y, x + 1, y + 1) > 0) {
                    ++found;
                    drawnX += static_cast<float>(x);
                }
        ASSERT_GT(found, 100) << "the " << record << " is drawn";
        drawnX /= static_cast<float>(found);

        Push(SDL_SCANCODE_LALT, true);
        Frame();
        UIHelp* labels = Labels();
        ASSERT_NE(labels, nullptr);
        // Centred over the 32-unit square anchored at the thing's place, held 5 units inside the
        // screen's sides; the nearest of all labels.
        float middle = drawnX + UIHelp::kLabelAnchorSide / 2.0f;
        float nearest = 640.0f;
        for (const UIHelp::PlacedBox& placed : labels->GetPlacedBoxes()) {
            float width = placed.right - placed.left;
            float left = std::clamp(middle - width / 2.0f, 5.0f, 635.0f - width);
            nearest = std::min(nearest, std::fabs(placed.left - left));
        }
        EXPECT_LT(nearest, 8.0f) << "a label over the " << record << " drawn about x = " << drawnX;
        Push(SDL_SCANCODE_LALT, false);
        gGame->RemoveEntity(thing);
        delete thing;
        Frames(2);
    }
}

} // namespace
