// PlayerPowerTest -- the power test before a skill request: the base cost at level 0, the "PerLevel" record's cost added for each level above the first, a basic skill at its one level, and a skill the player does not hold.
#include "client/PlayerClientWorld.h"
#include "client/SkillListClient.h"

namespace {

constexpr const char* kPlayerPowerRecords = R"(
SkillTapPerLevel
{
    Type Skill
    Power 3
}
SkillTap
{
    Type Skill
    PerLevel SkillTapPerLevel
    Power 10
    MaxSkillLevel 5
}
SkillNudge
{
    Type Skill
    BasicSkill 1
    Power 4
}
SkillElsewhere
{
    Type Skill
    Power 1
}
SkillTreeTap
{
    Type SkillTree
    Skill SkillNudge
    Skill SkillTap
}
ClassTapper
{
    Type Class
    BaseSpeed 150
    HealthPerVit 5
    StartVitality 10
    SkillTree SkillTreeTap
}
)";

class PlayerOperationsPower : public PlayerClientWorld {
protected:
    void SetUp() override
    {
        vars.SetStringByName("PlayerClass", "ClassTapper");
        StartWorldOnly("", kPlayerPowerRecords);
        MakePlayer();
        Join();
        ClientFrame(50);
    }

    int32_t Entry(const char* record) const { return database.FindEntryByName(record)->GetId(); }

    bool PaysWith(int32_t power, const char* record)
    {
        player->stats.Set(CharacterStat::Power, power);
        return player->CanPayForSkill(Entry(record));
    }
};

} // namespace

TEST_F(PlayerOperationsPower, TheCostGrowsByThePerLevelRecordForEachLevelAboveTheFirst)
{
    const SkillBase* tap = player->GetSkillList().FindSkill(0, 1);
    ASSERT_NE(tap, nullptr);
    // Level 0 (no points yet) costs the base.
    EXPECT_TRUE(PaysWith(10, "SkillTap"));
    EXPECT_FALSE(PaysWith(9, "SkillTap"));
    player->stats.Set(tap->GetSlotNumber(), 1);
    EXPECT_TRUE(PaysWith(10, "SkillTap"));
    player->stats.Set(tap->GetSlotNumber(), 3);
    EXPECT_TRUE(PaysWith(16, "SkillTap"));
    EXPECT_FALSE(PaysWith(15, "SkillTap"));
    // A basic skill stands at level 1.
    EXPECT_TRUE(PaysWith(4, "SkillNudge"));
    EXPECT_FALSE(PaysWith(3, "SkillNudge"));
    // One the player does not hold is never paid for.
    EXPECT_FALSE(PaysWith(1000, "SkillElsewhere"));
}
