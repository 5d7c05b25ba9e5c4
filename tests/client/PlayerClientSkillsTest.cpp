// PlayerClientSkillsTest -- skills used from the client: a targeted skill held back while its target is out of range and sent in the first frame it is in range, the click's skill on an enemy and on a friend, and the skill list owned by the player so that levels and cool-downs read the character's stats.
#include "client/PlayerClientWorld.h"

#include "client/ServerNotifications.h"
#include "client/SkillListClient.h"
#include "rules/GameData.h"
#include "rules/skills/SkillDefinition.h"

#include <algorithm>

namespace {

constexpr const char* kPlayerClientSkillsRecords = R"(
SkillJab
{
    Type Skill
    BasicSkill 1
    Attack 1
    NeedsEnemy 1
    MaxRange 40
}
SkillSelfCalm
{
    Type Skill
    BasicSkill 1
    Self 1
}
SkillLungePerLevel
{
    Type Skill
    ReuseTime 1
}
SkillLunge
{
    Type Skill
    PerLevel SkillLungePerLevel
    NeedsEnemy 1
    ReuseTime 4
    MaxSkillLevel 5
}
SkillTreeBlade
{
    Type SkillTree
    Skill SkillJab
    Skill SkillLunge
}
ClassBlade
{
    Type Class
    BaseSpeed 150
    HealthPerVit 5
    StartVitality 10
    SkillTree SkillTreeBlade
}
)";

class PlayerClientSkills : public PlayerClientWorld {
protected:
    void SetUp() override
    {
        vars.SetStringByName("PlayerClass", "ClassBlade");
        StartWorldOnly("GridSize 32 32\n", kPlayerClientSkillsRecords);
        MakePlayer();
        Join();
        ClientFrame(50);
    }

    // A host entity at that distance east of the player, mirrored and marked attackable.
    EntityClient* Enemy(float dx)
    {
        hostEnemy = Spawn<Entity>(hostPlayer->position.x + dx, hostPlayer->position.y, hostPlayer->position.level);
        ClientFrame(50);
        ClientFrame(50);
        EntityClient* mirror = gameClient->GetEntity(hostEnemy->entityNumber);
        if (mirror)
            mirror->canAttack = true;
        return mirror;
    }

    int32_t CountUseLines() const
    {
        const auto& lines = app->GetQueuedLines();
        return static_cast<int32_t>(
            std::count_if(lines.begin(), lines.end(), [](const std::string& line) { return line.rfind("useSkill ", 0) == 0; }));
    }

    // ClientFrame up to the client's send: the lines the frame queued are still there.
    void FrameBeforeTheSend(uint32_t elapsedMs)
    {
        host->Tick(elapsedMs, false);
        Client::Receive();
        host->ServerFrame();
        host->ServerFrameEnd();
        gameClient->Update(static_cast<float>(elapsedMs) * 0.001f);
        if (gClientApp && gClientApp->IsActive() && gClientApp->GetLink())
            gClientApp->GetLink()->UpdateFrame(static_cast<float>(elapsedMs) * 0.001f);
    }

    Entity* hostEnemy = nullptr;
};

TEST_F(PlayerClientSkills, TheSkillListBelongsToThePlayerSoLevelsAndCooldownsReadItsStats)
{
    const SkillBase* lunge = player->GetSkillList().FindSkill(0, 1);
    ASSERT_NE(lunge, nullptr) << "the class's tree was not built";
    EXPECT_EQ(lunge->owner, static_cast<SkillUser*>(player));
    player->stats.Set(lunge->GetSlotNumber(), 3);
    EXPECT_EQ(lunge->GetLevel(), 3);
    // The host's answer starts the cool-down of the level the player has: 4 + 2 x 1 seconds.
    app->GetServerLineCommands().Execute("usedSkill " + std::to_string(lunge->definition->GetEntry()->GetId()) + " 1");
    EXPECT_FLOAT_EQ(lunge->reuseTimer.remaining, 6.0f);
}

TEST_F(PlayerClientSkills, ATargetOutOfRangeHoldsTheUseUntilTheFirstFrameInRange)
{
    EntityClient* enemy = Enemy(200.0f);
    ASSERT_NE(enemy, nullptr);
    player->SetTarget(enemy, true);
    EXPECT_FALSE(player->UseSkill(0, 0, enemy));
    EXPECT_EQ(CountUseLines(), 0);
    EXPECT_EQ(player->interactionMode, PlayerClient::kModeAttack) << "the player walks up to attack";
    EXPECT_EQ(player->pendingTree, 0);
    EXPECT_EQ(player->pendingSkill, 0);
    ClientFrame(50);
    EXPECT_EQ(CountUseLines(), 0);
    // The enemy comes close: the held use leaves with its target's number in the first frame
    // whose update shows it near, before that frame's send.
    hostEnemy->SetPosition(hostPlayer->position.Offset(Vector2{30.0f, 0.0f}));
    ClientFrame(50);
    EXPECT_EQ(player->pendingSkill, 0);
    FrameBeforeTheSend(50);
    EXPECT_EQ(player->pendingSkill, -1);
    const auto& lines = app->GetQueuedLines();
    std::string prefix = "useSkill 0 0 " + std::to_string(enemy->entityNumber) + " ";
    EXPECT_EQ(CountUseLines(), 1);
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [&](const std::string& l) { return l.rfind(prefix, 0) == 0; }))
        << (lines.empty() ? std::string("no lines") : lines.back());
}

TEST_F(PlayerClientSkills, TheClicksSkillAttacksAnEnemyInRangeAndOnlySelectsAFriend)
{
    EntityClient* enemy = Enemy(30.0f);
    ASSERT_NE(enemy, nullptr);
    EXPECT_TRUE(player->TrySkill(0, enemy));
    EXPECT_EQ(player->GetInteractionTarget(), enemy);
    EXPECT_EQ(player->interactionMode, PlayerClient::kModeAttack);
    EXPECT_EQ(CountUseLines(), 1);
    EXPECT_EQ(player->TrySkill(7, enemy), false) << "no skill of that index";
    // A friend is selected, never attacked.
    enemy->canAttack = false;
    enemy->isNpc = true;
    player->SetTarget(nullptr, true);
    EXPECT_FALSE(player->TrySkill(0, enemy));
    EXPECT_EQ(player->GetInteractionTarget(), enemy);
    EXPECT_EQ(player->interactionMode, 5) << "in reach, the NPC is talked to";
    EXPECT_EQ(CountUseLines(), 1);
}

TEST_F(PlayerClientSkills, ASkillOnTheUserItselfIsUsedAtOnceWithoutAHold)
{
    const SkillDefinition* calm = gameData.FindSkillDefinition("SkillSelfCalm");
    ASSERT_NE(calm, nullptr);
    player->GetSkillList().AddSkill(calm, player, 0, 5);
    EXPECT_FALSE(player->TrySkill(5, nullptr));
    const auto& lines = app->GetQueuedLines();
    ASSERT_EQ(CountUseLines(), 1);
    EXPECT_EQ(lines.back().rfind("useSkill 0 5 -1 ", 0), 0u) << lines.back();
    EXPECT_FALSE(player->aiming);
}

} // namespace
