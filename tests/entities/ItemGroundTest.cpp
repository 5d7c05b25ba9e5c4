// ItemGroundTest -- items dropped on the ground: where they land, how long they lie, their disappearing sound, their state for the clients, and a refused drop handing the item back.
#include "entities/CombatWorld.h"
#include "entities/Item.h"
#include "entities/ItemGround.h"

#include "core/MessageBuffer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace {

constexpr const char* kGroundRecords = R"(
Pebble
{
    Type Item
    ItemType Other
    DisappearSoundName "sounds/fade.wav"
}
Heirloom
{
    Type Item
    ItemType Other
    Quality Unique
}
Keepsake
{
    Type Item
    ItemType Other
    TimeOnGround 7
    RandomDirection 1
}
Coins
{
    Type Money
    ItemType Other
}
Scroll
{
    Type QuestItem
    ItemType Other
}
)";

class ItemGrounds : public CombatWorld {
protected:
    void SetUp() override { LoadCombat(kGroundRecords); }

    std::unique_ptr<Item> Make(const char* name)
    {
        auto item = std::make_unique<Item>();
        item->SetEntry(database.FindEntryByName(name));
        return item;
    }

    int32_t CountGroundItems() const
    {
        int32_t count = 0;
        for (int32_t i = 0; i < GameServices::kMaxEntities; ++i)
            count += game.GetEntity(i) && game.GetEntity(i)->IsGroundItem() ? 1 : 0;
        return count;
    }
};

} // namespace

TEST_F(ItemGrounds, ADropOnNoLevelLeavesTheItemWithTheCaller)
{
    auto item = Make("Pebble");
    WorldPos nowhere;
    EXPECT_EQ(ItemGround::Drop(nowhere, item, false, false, false), nullptr);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(CountGroundItems(), 0);
}

TEST_F(ItemGrounds, ANearDropTriesFiveRingsAndAWideOneTheWholeLevel)
{
    // Every cell of rings 0 to 4 around the spot is blocked.
    game.cellBlocked = [](const WorldPos& where) {
        return std::fabs(where.x - 1000.0f) < 4.5f * 32.0f && std::fabs(where.y - 1000.0f) < 4.5f * 32.0f;
    };
    auto item = Make("Pebble");
    Item* raw = item.get();
    EXPECT_EQ(ItemGround::Drop(At(1000, 1000), item, false, false, false), nullptr);
    ASSERT_NE(item, nullptr);
    ItemGround* ground = ItemGround::Drop(At(1000, 1000), item, false, true, false);
    ASSERT_NE(ground, nullptr);
    EXPECT_EQ(item, nullptr);
    EXPECT_FLOAT_EQ(std::fmax(std::fabs(ground->position.x - 1000.0f), std::fabs(ground->position.y - 1000.0f)), 5 * 32.0f);
    EXPECT_EQ(ground->GetItem(), raw);
    EXPECT_EQ(game.GetEntity(ground->entityNumber), ground);
}

TEST_F(ItemGrounds, TimeOnGroundComesFromTheRecordOrTheQuality)
{
    auto heirloom = Make("Heirloom");
    ItemGround* lasting = ItemGround::Drop(At(100, 100), heirloom, false, false, false);
    ASSERT_NE(lasting, nullptr);
    EXPECT_FLOAT_EQ(lasting->timeOnGround, 30.0f);
    EXPECT_FALSE(lasting->IsFree());
    auto keepsake = Make("Keepsake");
    ItemGround* brief = ItemGround::Drop(At(300, 100), keepsake, false, false, false);
    ASSERT_NE(brief, nullptr);
    EXPECT_FLOAT_EQ(brief->timeOnGround, 7.0f);
    auto kept = Make("Keepsake");
    ItemGround* forever = ItemGround::Drop(At(500, 100), kept, true, false, false);
    ASSERT_NE(forever, nullptr);
    EXPECT_FLOAT_EQ(forever->timeOnGround, 0.0f);
    EXPECT_TRUE(forever->IsFree());
    EXPECT_EQ(forever->GetEntry(), database.FindEntryByName("Keepsake"));
    int32_t briefNumber = brief->entityNumber;
    game.StepFor(7.1f);
    EXPECT_EQ(game.GetEntity(briefNumber), nullptr);
    EXPECT_EQ(CountGroundItems(), 2);
}

TEST_F(ItemGrounds, AnExpiringItemSoundsButOneBeingPickedUpDoesNot)
{
    auto first = Make("Pebble");
    auto second = Make("Pebble");
    ItemGround* fading = ItemGround::Drop(At(100, 100), first, false, false, false);
    ItemGround* taken = ItemGround::Drop(At(300, 100), second, false, false, false);
    ASSERT_NE(fading, nullptr);
    ASSERT_NE(taken, nullptr);
    EXPECT_TRUE(taken->CanBePickedUp());
    taken->beingPickedUp = true;
    EXPECT_FALSE(taken->CanBePickedUp());
    int32_t fadingNumber = fading->entityNumber;
    game.StepFor(10.1f);
    ASSERT_EQ(game.worldEvents.size(), 1u);
    EXPECT_EQ(game.worldEvents[0].name, "sounds/fade.wav");
    EXPECT_EQ(game.worldEvents[0].entityNumber, fadingNumber);
    EXPECT_FLOAT_EQ(game.worldEvents[0].radius, 300.0f);
}

TEST_F(ItemGrounds, TheStateWordFollowsTheRecordsType)
{
    auto words = [&](const char* name, auto setUp) {
        auto item = Make(name);
        setUp(*item);
        ItemGround* ground = ItemGround::Drop(At(100, 100), item, true, true, false);
        MessageBuffer buffer;
        ground->WriteNetState(buffer);
        std::vector<int32_t> read;
        while (buffer.Size() - buffer.GetReadPos() >= 4)
            read.push_back(buffer.ReadInt());
        return read;
    };
    EXPECT_EQ(words("Heirloom", [](Item&) {}), (std::vector<int32_t>{ItemRarity::Unique}));
    EXPECT_EQ(words("Coins", [](Item& item) { item.money = 250; }), (std::vector<int32_t>{250}));
    EXPECT_EQ(words("Scroll", [](Item&) {}), (std::vector<int32_t>{-1}));
    EXPECT_EQ(words("Scroll", [](Item& item) { item.questNumber = 12; }), (std::vector<int32_t>{12}));
    ItemGround bare;
    MessageBuffer empty;
    bare.WriteNetState(empty);
    EXPECT_EQ(empty.Size(), 0u);
}

TEST_F(ItemGrounds, AFullTableRefusesTheDropAndHandsTheItemBack)
{
    for (;;) {
        auto* filler = new Entity();
        if (game.AddEntity(filler) == -1) {
            delete filler;
            break;
        }
    }
    auto item = Make("Pebble");
    Item* raw = item.get();
    EXPECT_EQ(ItemGround::Drop(At(100, 100), item, false, false, true), nullptr);
    EXPECT_EQ(item.get(), raw);
    EXPECT_EQ(CountGroundItems(), 0);
    EXPECT_EQ(game.CountPendingActions(), 0);
}
