// SkillListClientTest -- the skill trees laid out by tier, the maximum level and the next level's cost, and the refusals the client adds to the shared use test, with its own range test.
#include "client/SkillListClient.h"

#include "rules/IntArray.h"
#include "rules/RulesWorld.h"
#include "rules/SkillUser.h"
#include "rules/skills/SkillDefinition.h"

#include <gtest/gtest.h>

#include <utility>

namespace {

constexpr const char* kSkillListClientRecords = R"(
GameSystem
{
}
SkillRowA1
{
    Type Skill
    Tier 2
}
SkillRowA2
{
    Type Skill
    Tier 2
}
SkillRowA3
{
    Type Skill
    Tier 2
}
SkillRowB
{
    Type Skill
    Tier 5
}
SkillBasic
{
    Type Skill
    BasicSkill 1
    MaxSkillLevel 5
}
SkillCostStep
{
    Type Skill
    BaseCost 3
    Power 4
}
SkillCosted
{
    Type Skill
    BaseCost 2
    Power 5
    PerLevel SkillCostStep
    MaxSkillLevel 4
}
SkillPassive
{
    Type Skill
    Passive 1
}
SkillQuiet
{
    Type Skill
    NoAttackers 1
    Power 5
}
SkillRanged
{
    Type Skill
    NeedsEnemy 1
    MinRange 2
    MaxRange 10
    LineOfSightDegrees 90
}
)";

// Stats only: the client's player as the shared rules ask it.
class SkillListClientUser : public SkillUser {
public:
    int32_t GetStat(int32_t stat) const override { return stats.Get(stat); }
    int32_t GetItemRequirementAt(int32_t, int32_t) const override { return kNoItem; }
    bool IsEnemy(const SkillUser&) const override { return enemy; }
    float GetDistance2D(const SkillUser&, bool) const override { return distance; }
    Vector2 GetDeltaTo(const SkillUser&) const override { return delta; }
    int32_t GetDirectionIndex() const override { return 0; }

    IntArray stats{CharacterStat::kCount};
    // Toward every other entity alike.
    bool enemy = false;
    float distance = 0.0f;
    Vector2 delta;
};

class SkillListClientRules : public RulesWorld {
protected:
    SkillListClientRules()
    {
        Load({{"rules.dbr", kSkillListClientRecords}});
        gameData.Load(database);
    }

    SkillClient& Add(const char* name, int32_t tree, int32_t index)
    {
        SkillBase* skill = list.AddSkill(gameData.FindSkillDefinition(name), &user, tree, index);
        EXPECT_NE(skill, nullptr) << name;
        return static_cast<SkillClient&>(*skill);
    }

    SkillListClientUser user;
    SkillListClient list;
};

TEST_F(SkillListClientRules, ThreeSkillsShareARowAndTheFourthSitsAloneInTheNext)
{
    SkillClient& a1 = Add("SkillRowA1", 1, 0);
    SkillClient& b = Add("SkillRowB", 1, 1);
    SkillClient& a2 = Add("SkillRowA2", 1, 2);
    SkillClient& a3 = Add("SkillRowA3", 1, 3);
    // Alone in its own tree.
    SkillClient& other = Add("SkillBasic", 2, 0);
    list.Layout();
    EXPECT_FLOAT_EQ(a1.layoutX, 0.25f);
    EXPECT_FLOAT_EQ(a2.layoutX, 0.5f);
    EXPECT_FLOAT_EQ(a3.layoutX, 0.75f);
    EXPECT_FLOAT_EQ(b.layoutX, 0.5f);
    for (const SkillClient* skill : {&a1, &a2, &a3})
        EXPECT_FLOAT_EQ(skill->layoutY, 1.0f / 3.0f);
    EXPECT_FLOAT_EQ(b.layoutY, 2.0f / 3.0f);
    EXPECT_FLOAT_EQ(other.layoutX, 0.5f);
    EXPECT_FLOAT_EQ(other.layoutY, 0.5f);
}

TEST_F(SkillListClientRules, ABasicSkillStopsAtOneAndAUseCostsAStepMoreEachLevel)
{
    EXPECT_EQ(Add("SkillBasic", 0, 0).GetMaxLevel(), 1);
    SkillClient& costed = Add("SkillCosted", 0, 1);
    EXPECT_EQ(costed.GetMaxLevel(), 4);
    int32_t stat = costed.GetSlotNumber();
    ASSERT_NE(stat, 0);
    // The use cost in power: the base alone up to the first level, then a step a level.
    EXPECT_EQ(costed.GetLevelCost(), 5);
    user.stats.Set(stat, 1);
    EXPECT_EQ(costed.GetLevelCost(), 5);
    user.stats.Set(stat, 3);
    EXPECT_EQ(costed.GetLevelCost(), 5 + 2 * 4);
    EXPECT_EQ(SkillClient().GetLevelCost(), 0);
}

TEST_F(SkillListClientRules, APassiveSkillIsRefusedAndAQuietOneWhileEnemiesAreNear)
{
    const uint32_t enemiesNear = 1u << EntityState::HasEnemies;
    EXPECT_EQ(Add("SkillPassive", 0, 0).GetUseRefusal(user.stats, nullptr, 0), SkillClient::kRefusedNotUsable);
    EXPECT_EQ(SkillClient().GetUseRefusal(user.stats, nullptr, 0), SkillClient::kRefusedNotUsable);
    SkillClient& quiet = Add("SkillQuiet", 0, 1);
    // The shared test's answer comes first.
    EXPECT_EQ(quiet.GetUseRefusal(user.stats, nullptr, enemiesNear), SkillUse::NotEnoughPower);
    user.stats.Set(CharacterStat::Power, 10);
    EXPECT_EQ(quiet.GetUseRefusal(user.stats, nullptr, 0), SkillUse::Usable);
    EXPECT_EQ(quiet.GetUseRefusal(user.stats, nullptr, enemiesNear), SkillClient::kRefusedEnemiesNear);
    EXPECT_EQ(Add("SkillRowB", 0, 2).GetUseRefusal(user.stats, nullptr, enemiesNear), SkillUse::Usable);
}

TEST_F(SkillListClientRules, RangeIsJudgedWellInsideTheLimitsAndWithoutTheHostsSightCone)
{
    SkillClient& ranged = Add("SkillRanged", 0, 3);
    SkillListClientUser foe;
    user.enemy = true;
    // Behind the user, who faces +y: the host's cone of 90 degrees would refuse at any distance.
    user.delta = Vector2{0.0f, -1.0f};
    const std::pair<float, int32_t> cases[] = {{1.9f, SkillUse::OutOfRangeOrSight}, {2.2f, SkillUse::OutOfRangeOrSight},
                                               {2.5f, SkillUse::Usable},            {7.5f, SkillUse::Usable},
                                               {7.6f, SkillUse::OutOfRangeOrSight}, {9.9f, SkillUse::OutOfRangeOrSight}};
    for (auto [distance, expected] : cases) {
        user.distance = distance;
        EXPECT_EQ(ranged.GetUseRefusal(user.stats, &foe, 0), expected) << distance;
    }
    // The checks before the range keep their answers.
    EXPECT_EQ(ranged.GetUseRefusal(user.stats, nullptr, 0), SkillUse::NoEnemyTarget);
    user.enemy = false;
    user.distance = 5.0f;
    EXPECT_EQ(ranged.GetUseRefusal(user.stats, &foe, 0), SkillUse::NoEnemyTarget);
}

} // namespace
