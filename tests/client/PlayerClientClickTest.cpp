// PlayerClientClickTest -- the local player's world click through the client's button handling: open ground becomes the move target and the held button's hook until the release, and the attack mode refused while a skill that stops attacking is switched on.
#include "client/PlayerClientWorld.h"

#include "client/ClientInput.h"
#include "client/ScreenConversion.h"
#include "client/SkillListClient.h"
#include "rules/GameData.h"

namespace {

constexpr const char* kPlayerClientClickRecords = R"(
SkillStillness
{
    Type Skill
    BasicSkill 1
    StopAttacking 1
}
)";

class PlayerClientClick : public PlayerClientWorld {
protected:
    void SetUp() override
    {
        StartWorldOnly("", kPlayerClientClickRecords);
        MakePlayer();
        Join();
    }
};

TEST_F(PlayerClientClick, OpenGroundBecomesTheMoveTargetAndTheHeldButtonsHookUntilTheRelease)
{
    ASSERT_TRUE(Client::OnButtonPress(0, true, 420, 200));
    WorldPos ground = Client::ScreenToWorld(420, 200, true);
    EXPECT_EQ(player->GetMoveTarget().level, ground.level);
    EXPECT_FLOAT_EQ(player->GetMoveTarget().x, ground.x);
    EXPECT_FLOAT_EQ(player->GetMoveTarget().y, ground.y);
    EXPECT_EQ(player->interactionMode, 0);
    EXPECT_TRUE(player->aiming);
    ASSERT_TRUE(app->GetClickHook()) << "the held button's clicks go to the player first";
    // The release, wherever it happens, ends the hold and keeps the walk to the last point.
    EXPECT_FALSE(Client::OnButtonPress(0, false, 10, 10));
    EXPECT_FALSE(player->aiming);
    EXPECT_FALSE(app->GetClickHook());
    EXPECT_FLOAT_EQ(player->GetMoveTarget().x, ground.x);
    // Another button only ends a hold; alone it is not taken.
    EXPECT_FALSE(Client::OnButtonPress(2, true, 420, 200));
}

TEST_F(PlayerClientClick, ASwitchedOnSkillThatStopsAttackingRefusesTheAttackMode)
{
    const SkillDefinition* stillness = gameData.FindSkillDefinition("SkillStillness");
    ASSERT_NE(stillness, nullptr);
    auto* skill = dynamic_cast<SkillClient*>(player->GetSkillList().AddSkill(stillness, nullptr, 0, 0));
    ASSERT_NE(skill, nullptr);
    EXPECT_TRUE(player->CanAttackNow());
    skill->switchedOn = true;
    EXPECT_FALSE(player->CanAttackNow());
    EXPECT_FALSE(player->SetInteractionMode(true, PlayerClient::kModeAttack, true));
    skill->switchedOn = false;
    EXPECT_TRUE(player->SetInteractionMode(true, PlayerClient::kModeAttack, true));
}

} // namespace
