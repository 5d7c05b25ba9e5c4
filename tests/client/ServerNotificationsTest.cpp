// ServerNotificationsTest -- the world host's notification lines as the client runs them: damage texts, kill and death counts, entity timers and the death screen, warps, skill cooldowns, item timers, NPC chat and the powerup key.
#include "client/ItemClient.h"
#include "client/PlayerClientWorld.h"
#include "client/SkillListClient.h"
#include "core/DebugSystem.h"
#include "rules/GameData.h"
#include "rules/skills/SkillDefinition.h"
#include "server/Game.h"
#include "world/World.h"

#include <algorithm>

namespace {

// Slash's reuse time grows by 1 a level from 3.
const char* const kServerNotificationsSkills = R"(
SlashStep
{
    Type Skill
    ReuseTime 1
}
Slash
{
    Type Skill
    BasicSkill 1
    ReuseTime 3
    PerLevel SlashStep
}
FirstTree
{
    Type SkillTree
    Skill Slash
}
Fighter
{
    Type Class
    SkillTree FirstTree
}
)";

class ServerNotificationsLines : public PlayerClientWorld {
protected:
    void SetUp() override
    {
        StartWorldOnly("DamageEventMaxTime 60\n", kServerNotificationsSkills);
        Join();
    }

    // The host sends the line; it arrives with the next update.
    void HostSays(const std::string& line)
    {
        gGame->QueueClientCommand(line);
        ClientFrame(0);
        ClientFrame(0);
    }

    // A host entity beside the player, mirrored by the client.
    EntityClient* MirroredNeighbour(float dx)
    {
        Entity* neighbour = Spawn<Entity>(hostPlayer->position.x + dx, hostPlayer->position.y, hostPlayer->position.level);
        ClientFrame(50);
        ClientFrame(50);
        return gameClient->GetEntity(neighbour->entityNumber);
    }
};

TEST_F(ServerNotificationsLines, DamageTextsGoToTheNamedEntityAndNowhereElse)
{
    EntityClient* other = MirroredNeighbour(40.0f);
    ASSERT_NE(other, nullptr);
    HostSays("dmg " + std::to_string(other->entityNumber) + " +12");
    HostSays("dmg " + std::to_string(other->entityNumber) + " $$Miss$$");
    ASSERT_EQ(other->damageTexts.size(), 2u);
    EXPECT_EQ(other->damageTexts[0].second, "+12");
    EXPECT_EQ(other->damageTexts[1].second, "$$Miss$$");
    // Past the table, an empty slot, and a negative number: nothing anywhere.
    HostSays("dmg 1600 +5");
    HostSays("dmg 1499 +5");
    HostSays("dmg -1 +5");
    EXPECT_EQ(gameClient->GetEntity(1499), nullptr);
    EXPECT_EQ(other->damageTexts.size(), 2u);
    EXPECT_TRUE(player->GetBody()->damageTexts.empty());
}

TEST_F(ServerNotificationsLines, KillsAndDeathsAreCountedOnlyWhenSomeoneCounts)
{
    HostSays("kill 12");  // no profile: nothing, and no crash
    std::vector<std::pair<int32_t, bool>> counted;
    gameClient->profileCountHook = [&](int32_t kind, bool death) { counted.push_back({kind, death}); };
    HostSays("kill 12");
    HostSays("death 7");
    EXPECT_EQ(counted, (std::vector<std::pair<int32_t, bool>>{{12, false}, {7, true}}));
}

TEST_F(ServerNotificationsLines, ADeathTimerBringsUpTheDeathScreenOnlyForTheLocalPlayer)
{
    EntityClient* other = MirroredNeighbour(40.0f);
    ASSERT_NE(other, nullptr);
    HostSays("timer " + std::to_string(other->entityNumber) + " 4.5 7");
    EXPECT_FLOAT_EQ(other->timerDuration, 4.5f);
    EXPECT_EQ(other->timerType, 7);
    EXPECT_TRUE(ui.refreshedMenus.empty());
    EntityClient* body = player->GetBody();
    body->timerElapsed = 1.0f;
    HostSays("timer " + std::to_string(player->GetEntityNumber()) + " 10.0 7");
    EXPECT_FLOAT_EQ(body->timerDuration, 10.0f);
    EXPECT_EQ(body->timerType, 7);
    EXPECT_EQ(ui.refreshedMenus, std::vector<std::string>{"PlayerDead"});
    // Another kind on the player shows nothing.
    HostSays("timer " + std::to_string(player->GetEntityNumber()) + " 2.0 3");
    EXPECT_EQ(ui.refreshedMenus.size(), 1u);
    EXPECT_EQ(body->timerType, 3);
}

TEST_F(ServerNotificationsLines, AWarpMovesThePlayerAndConfirmsTheSamePlaceToTheHost)
{
    int32_t level = player->GetPosition().level;
    app->GetServerLineCommands().Execute("warp " + std::to_string(level) + " 123.44 456.06");
    EXPECT_EQ(player->GetPosition().level, level);
    EXPECT_FLOAT_EQ(player->GetPosition().x, 123.44f);
    EXPECT_FLOAT_EQ(player->GetPosition().y, 456.06f);
    EXPECT_FALSE(player->IsMoving());
    ASSERT_EQ(app->GetQueuedLines().size(), 1u);
    EXPECT_EQ(app->GetQueuedLines().back(), "warpConfirm " + std::to_string(level) + " 123.4 456.1");
    // A level the world lacks, and coordinates that are no numbers, move nothing.
    app->GetServerLineCommands().Execute("warp 999 1 1");
    app->GetServerLineCommands().Execute("warp 0 nan 1");
    EXPECT_FLOAT_EQ(player->GetPosition().x, 123.44f);
    EXPECT_EQ(app->GetQueuedLines().size(), 1u);
}

TEST_F(ServerNotificationsLines, AWarpBeforeAGameQueuesNothing)
{
    app->EndGame();
    MakePlayer();
    app->GetServerLineCommands().Execute("warp 0 10 10");
    EXPECT_TRUE(app->GetQueuedLines().empty());
}

TEST_F(ServerNotificationsLines, AWarpDirectionTurnsThePlayerAtOnce)
{
    HostSays("warpDir 2");
    EXPECT_EQ(player->facing, 2);
    HostSays("warpDir 8");
    HostSays("warpDir -1");
    EXPECT_EQ(player->facing, 2);
}

TEST_F(ServerNotificationsLines, AUsedSkillClearsThePendingUseAndStartsTheCooldownOfItsLevel)
{
    SkillListClient& skills = player->GetSkillList();
    skills.Rebuild(nullptr, gGameData->FindCharacterClass("Fighter"));
    // The player's own class would rebuild the list on the next frame.
    skills.fixed = true;
    auto* slash = dynamic_cast<SkillClient*>(skills.FindSkillByName("Slash"));
    ASSERT_NE(slash, nullptr);
    int32_t id = slash->definition->GetEntry()->GetId();
    slash->pending = true;
    HostSays("usedSkill " + std::to_string(id) + " 0");
    EXPECT_FALSE(slash->pending);
    EXPECT_FALSE(slash->reuseTimer.running);
    slash->pending = true;
    HostSays("usedSkill " + std::to_string(id) + " 1");
    EXPECT_FALSE(slash->pending);
    EXPECT_TRUE(slash->reuseTimer.running);
    float expected = slash->definition->GetReuseTimeAtLevel(slash->GetLevel());
    EXPECT_FLOAT_EQ(slash->reuseTimer.total, expected);
    EXPECT_FLOAT_EQ(slash->reuseTimer.remaining, expected);
    EXPECT_GE(expected, 3.0f);
    // A skill the player lacks changes nothing.
    HostSays("usedSkill 99999 1");
    HostSays("usedSkill -1 1");
}

TEST_F(ServerNotificationsLines, ItemTimersStartOnlyForTheFourGroups)
{
    HostSays("itemTimer 0 9.0");
    HostSays("itemTimer 5 9.0");
    HostSays("itemTimer -1 9.0");
    HostSays("itemTimer 2147483647 9.0");
    for (int32_t group = 1; group < 5; ++group)
        EXPECT_FALSE(player->GetItemTimer(group)->running) << group;
    app->GetServerLineCommands().Execute("itemTimer 3 5.0");
    const RandomTimer* timer = player->GetItemTimer(3);
    ASSERT_NE(timer, nullptr);
    EXPECT_TRUE(timer->running);
    EXPECT_FLOAT_EQ(timer->total, 5.0f);
    EXPECT_FLOAT_EQ(timer->remaining, 5.0f);
    EXPECT_EQ(player->GetItemTimer(0), nullptr);
    EXPECT_EQ(player->GetItemTimer(5), nullptr);
}

TEST_F(ServerNotificationsLines, NpcChatShowsTheTextAndPlaysItsVoiceUntilCleared)
{
    std::vector<std::string> voiced;
    gameClient->npcChatVoiceHook = [&](const std::vector<std::string>& args) { voiced = args; };
    HostSays("npcChat \"Greetings, traveller\"");
    EXPECT_EQ(gameClient->npcChatText, "Greetings, traveller");
    EXPECT_EQ(voiced, std::vector<std::string>{"Greetings, traveller"});
    HostSays("clearNpcChat");
    EXPECT_TRUE(gameClient->npcChatText.empty());
}

TEST_F(ServerNotificationsLines, ThePowerupKeyUsesTheFirstPowerupOnly)
{
    EXPECT_TRUE(ExecuteCommandLine("useCurrentPowerup"));
    EXPECT_TRUE(app->GetQueuedLines().empty());
    std::unique_ptr<ItemBase> powerup = std::make_unique<ItemClient>();
    ASSERT_TRUE(player->GetInventory().ResizeBag(0, 4));
    ASSERT_TRUE(player->GetInventory().PlaceItem(powerup, 0, 0, kPlaceAnyGroup));
    EXPECT_TRUE(ExecuteCommandLine("useCurrentPowerup"));
    EXPECT_TRUE(app->GetQueuedLines().empty()) << "the bag row holds no powerups";
    powerup = std::make_unique<ItemClient>();
    ASSERT_TRUE(player->GetInventory().ResizeBag(InventoryBase::kPowerupBag, 4));
    ASSERT_TRUE(player->GetInventory().PlaceItem(powerup, InventoryBase::kPowerupBag, 0, kPlaceAnyGroup));
    EXPECT_TRUE(ExecuteCommandLine("useCurrentPowerup"));
    EXPECT_EQ(app->GetQueuedLines(), (std::deque<std::string>{"useItem 2 0"}));
}

} // namespace
