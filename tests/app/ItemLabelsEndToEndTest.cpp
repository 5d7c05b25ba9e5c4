// ItemLabelsEndToEndTest -- the shipped game joined in local mode, offscreen: holding Alt frames a label over an item lying beside the player, and a left click on that label has the player pick the item up.
#include "app/OffscreenShots.h"

#include "client/ScreenConversion.h"
#include "client/EntityClient.h"
#include "client/GameClient.h"
#include "core/Database.h"
#include "entities/Inventory.h"
#include "entities/Item.h"
#include "entities/ItemGround.h"
#include "entities/Player.h"
#include "ui/UISystem.h"
#include "ui/widgets/UIHelp.h"

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

} // namespace
