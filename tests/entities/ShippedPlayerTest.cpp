// ShippedPlayerTest -- a new character of the shipped class joins the fake game from its record, takes its starting items, levels twice and reads its player part back field by field.
#include "core/EventSystem.h"
#include "core/MessageBuffer.h"
#include "core/RandomSystem.h"
#include "core/TypeRegistry.h"
#include "entities/FakeGameServices.h"
#include "entities/Inventory.h"
#include "entities/JoiningCharacter.h"
#include "entities/Player.h"
#include "entities/SkillList.h"
#include "rules/CharacterClass.h"
#include "rules/skills/SkillBase.h"
#include "rules/skills/SkillDefinition.h"
#include "rules/skills/SkillTree.h"
#include "rules/ShippedRulesWorld.h"
#include "support/NewCharacterRecord.h"
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

    // A new character of the class, read from the settings a joining client sends.
    Player* JoinNew(int32_t classIndex, const std::string& name)
    {
        auto* player = new Player();
        WorldPos start;
        start.level = 0;
        start.x = 300.0f;
        start.y = 300.0f;
        player->SetPosition(start);
        EXPECT_NE(fake.AddEntity(player), -1);
        MessageBuffer record = NewCharacterRecord(gameData, name, classIndex);
        EXPECT_TRUE(ReadJoiningCharacter(*player, record));
        return player;
    }

    // The skills of the class's trees that the player holds at a level bought with points.
    std::vector<std::string> KnownPointSkills(const Player& player, const CharacterClass& playerClass) const
    {
        std::vector<std::string> names;
        for (int32_t tree = 0; tree < kMaxSkillTrees; ++tree) {
            const SkillTree* skills = playerClass.GetSkillTree(tree);
            for (int32_t index = 0; skills && index < static_cast<int32_t>(skills->skills.size()); ++index) {
                const SkillBase* skill = player.skillList->FindSkill(tree, index);
                if (skill && skill->definition && !skill->definition->basicSkill &&
                    skill->definition->statReq == CharacterStat::None && skill->GetLevel() > 0)
                    names.emplace_back(skill->definition->GetEntry()->GetName());
            }
        }
        return names;
    }

    // The first "StartingSkills" point-bought skills of each of the class's trees.
    std::vector<std::string> TreeStarts(const CharacterClass& playerClass) const
    {
        std::vector<std::string> names;
        for (int32_t tree = 0; tree < kMaxSkillTrees; ++tree)
            if (const SkillTree* skills = playerClass.GetSkillTree(tree))
                for (int32_t index = 0; index < skills->startingSkills; ++index)
                    if (const SkillDefinition* skill = skills->GetSkill(index);
                        skill && !skill->basicSkill && skill->statReq == CharacterStat::None)
                        names.emplace_back(skill->GetEntry()->GetName());
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

    MessageBuffer record = NewCharacterRecord(gameData, "Ayla", warden);
    ASSERT_TRUE(ReadJoiningCharacter(*player, record));
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
    std::vector<int32_t> gifts;
    ASSERT_TRUE(part.ReadIntVector(gifts));
    EXPECT_TRUE(gifts.empty()) << "no skill level's gift had yet";
    EXPECT_FALSE(part.Overrun());
    EXPECT_EQ(part.BytesLeft(), 0u);
}

TEST_F(ShippedPlayer, ANewCharacterOfEachClassKnowsExactlyItsTreesStartingSkills)
{
    int32_t classesWithTrees = 0;
    for (int32_t index = 0; const CharacterClass* playerClass = gameData.GetCharacterClass(index); ++index) {
        if (playerClass->GetSkillTreeCount() == 0)
            continue;
        ++classesWithTrees;
        Player* player = JoinNew(index, "Starter" + std::to_string(index));
        EXPECT_EQ(KnownPointSkills(*player, *playerClass), TreeStarts(*playerClass)) << playerClass->name;
    }
    EXPECT_GE(classesWithTrees, 1);

    // A new warden fights with a blade and a bow and can mend its wounds, and learns the rest.
    const CharacterClass* warden = gameData.FindCharacterClass("ClassWarden");
    ASSERT_NE(warden, nullptr);
    Player* player = JoinNew(gameData.FindCharacterClassIndex("ClassWarden"), "Ayla");
    EXPECT_EQ(KnownPointSkills(*player, *warden),
              (std::vector<std::string>{"SkillWardenCleave", "SkillWardenAimedShot", "SkillWardenMend"}));
    EXPECT_EQ(player->skillList->FindSkillByName("SkillWardenStrike")->GetLevel(), 1);
}

TEST_F(ShippedPlayer, AWardenLowersABoughtSkillButNeverAStartingOne)
{
    Player* player = JoinNew(gameData.FindCharacterClassIndex("ClassWarden"), "Ayla");
    player->stats.Set(CharacterStat::SkillPointsLeft, 3);
    player->stats.Set(CharacterStat::Money, 1000);
    const SkillBase* cleave = player->skillList->FindSkillByName("SkillWardenCleave");
    const SkillBase* hamstring = player->skillList->FindSkillByName("SkillWardenHamstring");
    ASSERT_TRUE(cleave && hamstring);
    ASSERT_EQ(hamstring->GetLevel(), 0);
    player->RaiseSkill(hamstring->treeIndex, hamstring->indexInTree);
    EXPECT_EQ(hamstring->GetLevel(), 1);
    int32_t points = player->stats.Get(CharacterStat::SkillPointsLeft);
    player->LowerSkill(hamstring->treeIndex, hamstring->indexInTree);
    EXPECT_EQ(hamstring->GetLevel(), 0);
    EXPECT_GT(player->stats.Get(CharacterStat::SkillPointsLeft), points) << "a bought level gives its points back";
    points = player->stats.Get(CharacterStat::SkillPointsLeft);
    player->LowerSkill(cleave->treeIndex, cleave->indexInTree);
    EXPECT_EQ(cleave->GetLevel(), 1);
    EXPECT_EQ(player->stats.Get(CharacterStat::SkillPointsLeft), points) << "no free points from a starting skill";
}

// The first skill point a new warden earns buys a skill with the money it started with: neither
// the point nor the purse is wasted on a price no new character can pay.
TEST_F(ShippedPlayer, ANewWardensFirstSkillPointBuysASkillWithTheMoneyItStartedWith)
{
    Player* player = JoinNew(gameData.FindCharacterClassIndex("ClassWarden"), "Ayla");
    player->LevelUp();
    int32_t money = player->stats.Get(CharacterStat::Money);
    int32_t points = player->stats.Get(CharacterStat::SkillPointsLeft);
    ASSERT_GE(points, 1) << "the new level brings a skill point";
    const SkillBase* hamstring = player->skillList->FindSkillByName("SkillWardenHamstring");
    ASSERT_NE(hamstring, nullptr);
    ASSERT_EQ(hamstring->GetLevel(), 0);
    player->RaiseSkill(hamstring->treeIndex, hamstring->indexInTree);
    EXPECT_EQ(hamstring->GetLevel(), 1) << "a price of " << gameData.GetTuning().moneyPerSkillPoint
                                        << " a point is beyond the " << money << " a new warden holds";
    EXPECT_EQ(player->stats.Get(CharacterStat::SkillPointsLeft), points - 1);
    EXPECT_LT(player->stats.Get(CharacterStat::Money), money) << "the skill is paid for";
    EXPECT_GT(player->stats.Get(CharacterStat::Money), 0) << "and the purse is not emptied by it";
}

// The warden's toughness takes its level from total vitality: the base point that completes the
// next level names the skill once, by its own text, and a point short of that says nothing.
TEST_F(ShippedPlayer, TheVitalityPointThatBringsToughnessALevelNamesTheSkill)
{
    Player* player = JoinNew(gameData.FindCharacterClassIndex("ClassWarden"), "Ayla");
    ASSERT_NE(player->skillList, nullptr);
    const SkillBase* toughness = player->skillList->FindSkillByName("SkillWardenToughness");
    ASSERT_NE(toughness, nullptr);
    ASSERT_EQ(toughness->definition->statReq, CharacterStat::Vitality);
    int32_t missing = toughness->definition->GetMissingRequirementPoints(toughness->GetLevel(), player->stats);
    ASSERT_GT(missing, 0);
    int32_t level = toughness->GetLevel();
    player->stats.Add(CharacterStat::BaseVitality, missing - 2);
    player->RecalculateStats(false);
    player->stats.Set(CharacterStat::AttributePointsLeft, 2);
    auto notices = [this] {
        std::vector<std::string> found;
        for (const std::string& line : fake.lines)
            if (line.find("HaveReceivedBonusSkill") != std::string::npos)
                found.push_back(line);
        return found;
    };
    fake.lines.clear();
    player->RaiseAttribute("Vitality");
    EXPECT_TRUE(notices().empty()) << "two points were missing";
    player->RaiseAttribute("Vitality");
    std::vector<std::string> told = notices();
    ASSERT_EQ(told.size(), 1u);
    std::string expected = "$$SkillWardenToughness$$@@" + std::to_string(level + 1) + "@@";
    EXPECT_NE(told[0].find("HaveReceivedBonusSkillXLevelY"), std::string::npos) << told[0];
    EXPECT_NE(told[0].find(expected), std::string::npos) << told[0];
    EXPECT_EQ(told[0].find("$$$$"), std::string::npos) << told[0];
}
