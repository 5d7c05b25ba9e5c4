// ShippedPlayerTest -- a new character of the shipped class joins the fake game from its record, takes its starting items, levels twice and reads its player part back field by field.
#include "core/EventSystem.h"
#include "core/MessageBuffer.h"
#include "core/RandomSystem.h"
#include "core/TypeRegistry.h"
#include "entities/FakeGameServices.h"
#include "entities/Inventory.h"
#include "entities/Player.h"
#include "rules/ShippedRulesWorld.h"
#include "support/LogLines.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class ShippedPlayer : public ShippedRulesWorld {
protected:
    ShippedPlayer() : random(0x5eed)
    {
        gEventSystem = &events;
        gTypeRegistry = &types;
        gRandomSystem = &random;
        gGameServices = &fake;
        Entity::RegisterEventClass(events, types);
        Player::RegisterEventClass(events, types);
        fake.levelCount = 2;
    }
    ~ShippedPlayer() override
    {
        fake.DestroyAll();
        gGameServices = nullptr;
        gRandomSystem = nullptr;
        gTypeRegistry = nullptr;
        gEventSystem = nullptr;
    }

    std::vector<std::string> ItemNames(const Player& player, int32_t bag) const
    {
        std::vector<std::string> names;
        for (int32_t slot = 0; slot < player.inventory->GetSlotCount(bag); ++slot)
            if (const ItemBase* item = player.inventory->GetItem(bag, slot))
                names.push_back(std::string(item->GetEntry()->GetName()) + " x" + std::to_string(item->GetStackCount()));
        return names;
    }

    EventSystem events;
    TypeRegistry types;
    RandomSystem random;
    FakeGameServices fake;
};

} // namespace

TEST_F(ShippedPlayer, ANewWardenJoinsWithItsStartingItemsLevelsTwiceAndSendsItsPart)
{
    int32_t warden = gameData.FindCharacterClassIndex("ClassWarden");
    ASSERT_GE(warden, 0);
    int warningsBefore = CountLinesHolding(game.debug, "arning");
    auto* player = new Player();
    WorldPos start;
    start.level = 0;
    start.x = 300.0f;
    start.y = 300.0f;
    player->SetPosition(start);
    ASSERT_NE(fake.AddEntity(player), -1);

    MessageBuffer record;
    record.WriteInt(0);
    record.WriteString("Ayla");
    record.WriteInt(warden);
    if (gameData.GetTuning().useNewCharSkillBonuses)
        record.WriteInt(0);
    record.WriteInt(0);
    record.WriteInt(0);
    ASSERT_TRUE(player->ReadCharacter(record, "127.0.0.2"));
    EXPECT_EQ(CountLinesHolding(game.debug, "arning"), warningsBefore);

    EXPECT_EQ(player->stats.Get(CharacterStat::Money), 40);
    EXPECT_EQ(ItemNames(*player, InventoryGroupIndex::Main), std::vector<std::string>{"LeatherSatchel x1"});
    EXPECT_EQ(ItemNames(*player, InventoryGroupIndex::Bag1),
              (std::vector<std::string>{"HealingDraught x2", "TravelBread x1"}));
    EXPECT_EQ(ItemNames(*player, InventoryGroupIndex::Equipment),
              (std::vector<std::string>{"QuiltedTunic x1", "EmberKnife x1"}));

    player->LevelUp();
    player->LevelUp();
    ASSERT_EQ(player->stats.Get(CharacterStat::Level), 3);

    MessageBuffer part;
    player->WritePlayerPart(part);
    EXPECT_EQ(part.ReadInt(), player->entityNumber);
    EXPECT_EQ(part.ReadInt(), player->anim);
    part.ReadInt();
    EXPECT_EQ(part.ReadInt(), player->mode);
    for (int32_t stat = 0; stat < 10; ++stat)
        EXPECT_EQ(part.ReadInt(), player->stats.Get(stat)) << "attribute " << stat;
    const int32_t middle[] = {80, 81, 83, 85, 86, 87, 76, 70, 78, 84, 88, 89, 77, 93, 94, 95, 92, 96, 112, 113, 98, 99,
                              100, 101, 102, 110, 111};
    for (int32_t stat : middle)
        EXPECT_EQ(part.ReadInt(), player->stats.Get(stat)) << "stat " << stat;
    for (int32_t gate = 0; gate < 2; ++gate) {
        EXPECT_EQ(part.ReadInt(), -1);
        part.ReadFloat();
        part.ReadFloat();
    }
    for (int32_t stat = 10; stat < 70; ++stat)
        EXPECT_EQ(part.ReadInt(), player->stats.Get(stat)) << "skill " << stat;
    EXPECT_EQ(part.ReadUInt(), player->flags);
    Inventory mirror;
    ASSERT_TRUE(mirror.Read(part, false, 51));
    EXPECT_NE(mirror.GetItem(InventoryGroupIndex::Main, 0), nullptr);
    EXPECT_EQ(part.ReadString(), "Ayla");
    EXPECT_EQ(part.ReadInt(), 0);  // no party
    for (int32_t i = 0; i < PlayerStatistic::kCount; ++i)
        EXPECT_EQ(part.ReadInt(), player->statistics.Get(i)) << "statistic " << i;
    EXPECT_EQ(part.ReadUInt(), player->entityState);
    for (int32_t slot = 0; slot < Player::kQuestSlotCount; ++slot)
        EXPECT_TRUE(QuestBase::Skip(part, false, 51)) << "quest " << slot;
    for (int32_t i = 0; i < fake.GetGateRecords().GetCount(); ++i)
        EXPECT_EQ(part.ReadInt(), 0);
    EXPECT_EQ(part.ReadInt(), -1);  // no automatic target
    std::vector<bool> explored;
    ASSERT_TRUE(part.ReadBoolVector(explored));
    EXPECT_EQ(explored, player->exploredLevels);
    std::vector<bool> flags;
    ASSERT_TRUE(part.ReadBoolVector(flags));
    EXPECT_EQ(flags, player->characterFlags);
    EXPECT_EQ(part.ReadInt(), -1);
    EXPECT_FLOAT_EQ(part.ReadFloat(), 0.0f);
    EXPECT_FALSE(part.Overrun());
    EXPECT_EQ(part.BytesLeft(), 0u);
}
