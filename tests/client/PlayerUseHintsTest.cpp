// PlayerUseHintsTest -- the use hints beside the player: one place per "UseHintOffset", a hint queued while every place is busy dropped, the fade rising to exactly 1.0 and holding a frame before it falls, falling to exactly 0.0 and holding a frame before the place is free, nothing queued while "ui_showUseHints" is off, and the places freed when their widgets go.
#include "client/PlayerClientWorld.h"

#include "core/UserVarSystem.h"

namespace {

class PlayerUseHints : public PlayerClientWorld {
protected:
    void SetUp() override
    {
        StartWorldOnly("UseHintOffset \"0 -48\"\nUseHintOffset \"10 -72\"\nUseHintFadeInSpeed 4\n"
                       "UseHintFadeOutSpeed 2\nUseHintSize 32\n");
        // The mirror was made before the game's tuning was read: it lays out its places again.
        player->InitUseHints();
        gameClient->RegisterVars();
    }

    const std::vector<PlayerClient::UseHint>& Hints() const { return player->GetUseHints(); }

    // Three widgets, told apart only by where they are.
    int skillSlot = 0;
    int itemSlot = 0;
    int thirdSlot = 0;
};

} // namespace

TEST_F(PlayerUseHints, EachOffsetIsAPlaceAndAHintFindingNoneFreeIsDropped)
{
    ASSERT_EQ(Hints().size(), 2u);
    EXPECT_FLOAT_EQ(Hints()[1].x, 10.0f);
    EXPECT_FLOAT_EQ(Hints()[1].y, -72.0f);
    player->QueueUseHint(&skillSlot, 7);
    player->QueueUseHint(&itemSlot, 8);
    player->QueueUseHint(&thirdSlot, 9);
    EXPECT_EQ(Hints()[0].object, &skillSlot);
    EXPECT_EQ(Hints()[0].icon, 7);
    EXPECT_TRUE(Hints()[0].rising);
    EXPECT_EQ(Hints()[1].object, &itemSlot);

    // A widget gone takes its hint with it; menus read again take them all.
    player->RemoveUseHint(&skillSlot);
    EXPECT_EQ(Hints()[0].object, nullptr);
    EXPECT_EQ(Hints()[1].object, &itemSlot);
    player->QueueUseHint(&thirdSlot, 9);
    EXPECT_EQ(Hints()[0].object, &thirdSlot) << "the first free place";
    player->ClearUseHints();
    EXPECT_EQ(Hints()[0].object, nullptr);
    EXPECT_EQ(Hints()[1].object, nullptr);

    vars.SetStringByName("ui_showUseHints", "0");
    player->QueueUseHint(&skillSlot, 7);
    EXPECT_EQ(Hints()[0].object, nullptr) << "switched off";
}

TEST_F(PlayerUseHints, TheFadeHoldsAFrameAtExactlyOneAndAtExactlyZero)
{
    player->QueueUseHint(&skillSlot, 7);
    player->UpdateUseHints(0.25f);
    EXPECT_FLOAT_EQ(Hints()[0].fade, 1.0f);
    EXPECT_TRUE(Hints()[0].rising) << "exactly 1.0 is not above it";
    player->UpdateUseHints(0.25f);
    EXPECT_FLOAT_EQ(Hints()[0].fade, 1.0f);
    EXPECT_FALSE(Hints()[0].rising);
    player->UpdateUseHints(0.25f);
    EXPECT_FLOAT_EQ(Hints()[0].fade, 0.5f);
    player->UpdateUseHints(0.25f);
    EXPECT_FLOAT_EQ(Hints()[0].fade, 0.0f);
    EXPECT_EQ(Hints()[0].object, &skillSlot) << "exactly 0.0 is not below it";
    player->UpdateUseHints(0.25f);
    EXPECT_EQ(Hints()[0].object, nullptr);
    EXPECT_FLOAT_EQ(Hints()[0].fade, 0.0f);
    // An empty place is left alone.
    player->UpdateUseHints(1.0f);
    EXPECT_FLOAT_EQ(Hints()[0].fade, 0.0f);
}
