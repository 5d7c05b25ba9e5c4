// PlayerClientClickTest -- the local player's world click through the client's button handling: open ground becomes the move target and the held button's hook until the release, the attack mode refused while a skill that stops attacking is switched on, and what the hover looks through by the chosen entity's pick-through flag.
#include "client/PlayerClientWorld.h"

#include "client/ClientInput.h"
#include "client/ScreenConversion.h"
#include "client/SkillListClient.h"
#include "entities/Entity.h"
#include "rules/GameData.h"

namespace {

constexpr const char* kPlayerClientClickRecords = R"(
SkillStillness
{
    Type Skill
    BasicSkill 1
    StopAttacking 1
}
ClickPost
{
    Type Object
    Radius 30
    ToggleUsableObject 1
}
ClickDummy
{
    Type Object
    Radius 30
    CanAttack 1
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

TEST_F(PlayerClientClick, TheHoverLooksThroughNothingOnlyWhileAPickThroughChoiceWouldNotBeStruck)
{
    // A post a click would switch and a dummy a click would strike, both beside the player.
    EntityClient* shown[2] = {};
    const char* names[2] = {"ClickPost", "ClickDummy"};
    for (int i = 0; i < 2; ++i) {
        auto* entity = new Entity();
        entity->SetEntry(database.FindEntryByName(names[i]));
        entity->SetPosition(hostPlayer->position.Offset(Vector2{40.0f, 40.0f * static_cast<float>(i)}));
        ASSERT_NE(game->AddEntity(entity), -1);
        for (int frame = 0; frame < 3; ++frame)
            ClientFrame(50);
        shown[i] = gameClient->GetEntity(entity->entityNumber);
        ASSERT_NE(shown[i], nullptr) << names[i];
        EXPECT_FALSE(shown[i]->pickThrough) << "nothing the host sends sets the flag";
    }
    EXPECT_EQ(Client::GetHoverIgnoredEntity(), player) << "with nothing chosen the player is looked through";
    struct HoverCase {
        int chosen;
        bool flag;
        bool struck;
        bool playerIgnored;
    };
    const HoverCase cases[] = {
        {0, false, false, true},
        {0, true, false, false},
        {1, false, true, true},
        {1, true, true, true},
    };
    for (const HoverCase& c : cases) {
        EntityClient* chosen = shown[c.chosen];
        ASSERT_EQ(chosen->GetClickAction(true, true) == PlayerClient::kModeAttack, c.struck) << names[c.chosen];
        chosen->pickThrough = c.flag;
        player->SetTarget(chosen, false);
        ASSERT_EQ(player->GetInteractionTarget(), chosen);
        EXPECT_EQ(Client::GetHoverIgnoredEntity(), c.playerIgnored ? player : nullptr)
            << names[c.chosen] << " flag " << c.flag;
        // The flag on an entity the player has not chosen changes nothing.
        shown[1 - c.chosen]->pickThrough = true;
        EXPECT_EQ(Client::GetHoverIgnoredEntity(), c.playerIgnored ? player : nullptr);
        shown[1 - c.chosen]->pickThrough = false;
    }
}

} // namespace
