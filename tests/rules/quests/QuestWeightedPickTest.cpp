// QuestWeightedPickTest -- the weighted pick of a quest definition of one type: no draw for a single one, the first for all-zero weights, the weights over many draws, -1 for none.
#include "QuestTestWorld.h"

#include "core/RandomSystem.h"
#include "rules/RulesEnums.h"

#include <array>

namespace {

class QuestWeightedPick : public QuestTestWorld {
protected:
    const QuestDefinition* At(int32_t index) const { return gameData.GetQuestDefinitions().Get(index); }
    int32_t IndexOf(const char* name) const { return gameData.GetQuestDefinitions().FindIndex(name); }

    // Whether the game data's stream still stands where the copy taken before does.
    bool StreamUntouched(RandomSystem before)
    {
        return before.RandomFloat(RandomStream::GameData) == random.RandomFloat(RandomStream::GameData);
    }
};

} // namespace

// The only definition of a type is given without a draw, whatever its weight and whatever
// the other types hold.
TEST_F(QuestWeightedPick, ASingleDefinitionIsGivenWithoutADraw)
{
    LoadQuests(Records({"Other: Type Quest; QuestType Siege; RandomQuestChance 5",
                        "Lone: Type Quest; QuestType Delivery; RandomQuestChance 2",
                        "Idle: Type Quest; QuestType Escort"}));
    for (const char* name : {"Lone", "Idle"}) {
        RandomSystem before = Copy();
        int32_t index = gameData.FindWeightedEntry(At(IndexOf(name))->questType);
        EXPECT_EQ(index, IndexOf(name));
        EXPECT_TRUE(StreamUntouched(before)) << name;
    }
}

// All weights 0: the first of the type in list order, not the first record of the list.
TEST_F(QuestWeightedPick, WeightsOfZeroGiveTheFirstOfTheType)
{
    LoadQuests(Records({"Before: Type Quest; QuestType Siege; RandomQuestChance 4",
                        "First: Type Quest; QuestType Delivery; RandomQuestChance 0",
                        "Second: Type Quest; QuestType Delivery; RandomEventChance -3",
                        "Third: Type Quest; QuestType Delivery"}));
    ASSERT_EQ(IndexOf("First"), 1);
    for (int i = 0; i < 20; ++i)
        EXPECT_EQ(gameData.FindWeightedEntry(QuestType::Delivery), 1);
}

// The weight is the sum of both chances; a weight of 0 is never drawn, and the other types'
// weights neither count nor get drawn.
TEST_F(QuestWeightedPick, TenThousandSeededDrawsFollowTheWeights)
{
    LoadQuests(Records({"Light: Type Quest; QuestType Delivery; RandomQuestChance 1",
                        "Zero: Type Quest; QuestType Delivery; RandomQuestChance 0; RandomEventChance 0",
                        "Elsewhere: Type Quest; QuestType Siege; RandomQuestChance 50",
                        "Heavy: Type Quest; QuestType Delivery; RandomQuestChance 1; RandomEventChance 2"}));
    const int32_t light = IndexOf("Light");
    const int32_t heavy = IndexOf("Heavy");
    // The first draws, one by one: below a quarter of the stream's range is Light.
    for (int i = 0; i < 50; ++i) {
        RandomSystem next = Copy();
        float target = next.RandomFloat(RandomStream::GameData) * 4.0f;
        EXPECT_EQ(gameData.FindWeightedEntry(QuestType::Delivery), target < 1.0f ? light : heavy);
    }
    std::array<int, 2> counts{};
    for (int i = 0; i < 10000; ++i) {
        int32_t index = gameData.FindWeightedEntry(QuestType::Delivery);
        ASSERT_TRUE(index == light || index == heavy) << index;
        ++counts[index == light ? 0 : 1];
    }
    // Expected 2,500 and 7,500; the spread of the count is about 43.
    EXPECT_NEAR(counts[0], 2500, 200);
    EXPECT_NEAR(counts[1], 7500, 200);
}

TEST_F(QuestWeightedPick, ATypeWithoutDefinitionsGivesMinusOne)
{
    LoadQuests(Records({"Template: Type Quest; BaseOnly 1; QuestType Delivery; RandomQuestChance 3",
                        "Other: Type Quest; QuestType Siege; RandomQuestChance 3"}));
    RandomSystem before = Copy();
    EXPECT_EQ(gameData.FindWeightedEntry(QuestType::Delivery), -1);
    EXPECT_EQ(gameData.FindWeightedEntry(-1), -1);
    EXPECT_EQ(gameData.FindWeightedEntry(1000), -1);
    EXPECT_TRUE(StreamUntouched(before));

    LoadQuests("");
    EXPECT_EQ(gameData.FindWeightedEntry(QuestType::Siege), -1);
}
