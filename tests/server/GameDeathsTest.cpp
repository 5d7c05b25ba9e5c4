// GameDeathsTest -- a character's death as news and town talk by victim and killer, and the order in which the game hears of a kill.
#include "server/GameWorld.h"

#include "entities/Actor.h"
#include "entities/CombatSystem.h"
#include "entities/GameSystem.h"
#include "entities/Player.h"
#include "server/SpyCovenant.h"
#include "server/TownSpawn.h"

#include <string>
#include <vector>

namespace {

constexpr const char* kGameDeathsRecords = R"(
GameSystem
{
    NpcType Steward
    TownSpotSteward "0 150 200"
}
SpawnSystem
{
}
ClassWanderer
{
    Type Class
}
ArchetypeDeaths
{
    Type MonsterArchetype
    FactionName "Wilds"
}
ChatDeathUnique
{
    Type NpcChat
    DialogType NpcKilledByUniqueMonster
    MinLevel 1
    MaxLevel 100
    ChanceEachChat 1
    Dynamic 1
    DynamicChance 1
    DynamicTimeLimit 60
    ChatText TalkUnique
}
ChatDeathNormal
{
    Type NpcChat
    DialogType NpcKilledByNormalMonster
    MinLevel 1
    MaxLevel 100
    ChanceEachChat 1
    Dynamic 1
    DynamicChance 1
    DynamicTimeLimit 60
    ChatText TalkNormal
}
ActorTownsman
{
    Type Actor
    Class ClassWanderer
    Npc 1
    NpcType Steward
    NpcChat ChatDeathUnique
    NpcChat ChatDeathNormal
}
ActorBeast
{
    Type Actor
    Class ClassWanderer
}
ActorShade
{
    Type Actor
    Class ClassWanderer
    HideKills 1
}
MonsterTownsman
{
    Type MonsterType
    Archetype ArchetypeDeaths
    Definition ActorTownsman
    Name "Hild"
    MinLevel 1
    MaxLevel 30
}
MonsterBeast
{
    Type MonsterType
    Archetype ArchetypeDeaths
    Definition ActorBeast
    Name "Grey"
    MinLevel 1
    MaxLevel 30
}
MonsterShade
{
    Type MonsterType
    Archetype ArchetypeDeaths
    Definition ActorShade
    Name "Murk"
    MinLevel 1
    MaxLevel 30
}
)";

// A computer-run covenant that notes each kill it hears of and what the game had done by then.
class GameDeathsCovenant : public SpyCovenant {
public:
    GameDeathsCovenant(std::vector<std::string>& log, bool actorRun) : log(log), actorRun(actorRun) {}
    bool IsActorCovenant() const override { return actorRun; }
    void OnMemberKilled(Entity& victim, Entity* killer) override;

    std::vector<std::string>& log;
    bool actorRun;
};

class GameDeathsRules : public GameSystem {
public:
    explicit GameDeathsRules(std::vector<std::string>& log) : log(log) {}
    void OnKill(Entity* killer, Entity* victim, int32_t flag) override;
    std::vector<std::string>& log;
};

// The message lines among the lines queued for the clients.
std::vector<std::string> GameDeathsMessages()
{
    std::vector<std::string> messages;
    for (const std::string& line : gGame->GetClientLines())
        if (line.rfind("msg ", 0) == 0)
            messages.push_back(line);
    return messages;
}

// What the game had done when a listener was told: its message lines, its respawns and
// whether the victim still held its slot.
std::string GameDeathsState(const Entity& victim)
{
    const auto* queue = gGame->GetRespawnQueue(0);
    return "lines " + std::to_string(GameDeathsMessages().size()) + " respawns " +
           std::to_string(queue ? queue->size() : 0) + " in slot " +
           std::to_string(gGame->GetEntity(victim.entityNumber) == &victim);
}

void GameDeathsCovenant::OnMemberKilled(Entity& victim, Entity* killer)
{
    log.push_back("covenant " + std::to_string(index) + " killer " + std::to_string(killer ? killer->entityNumber : -1) +
                  " " + GameDeathsState(victim));
}

void GameDeathsRules::OnKill(Entity* killer, Entity* victim, int32_t flag)
{
    log.push_back("rules killer " + std::to_string(killer ? killer->entityNumber : -1) + " flag " +
                  std::to_string(flag) + " " + GameDeathsState(*victim));
}

using DeathLines = std::vector<std::string>;

class GameDeaths : public GameWorld {
protected:
    GameDeaths()
    {
        Actor::RegisterEventClass(events, types);
        Player::RegisterEventClass(events, types);
        LoadRecords(kGameDeathsRecords);
        player = Spawn<Player>(100.0f, 100.0f);
        player->playerName = "Ash";
        game->SetPlayers({player});
        // The town's one steward hears the news.
        town.Fill(*game);
        listener = game->GetNamedActor(0);
        EXPECT_NE(listener, nullptr);
        if (listener)
            listener->introShown = true;
        game->GetClientLines().clear();
    }

    Actor* Make(const char* type, float x, int32_t rarity = MonsterRarity::Normal)
    {
        auto* actor = new Actor();
        actor->SetUpFromMonsterType(gameData.FindMonsterType(type), 3, false);
        actor->monsterRarity = rarity;
        actor->SetPosition(At(x, 200.0f));
        EXPECT_NE(game->AddEntity(actor), -1);
        return actor;
    }

    std::string Talk()
    {
        std::string line;
        game->TakeDynamicChat(NpcType::Steward, line);
        return line;
    }

    static DeathLines Sent() { return GameDeathsMessages(); }

    Player* player = nullptr;
    Actor* listener = nullptr;
    TownSpawn town;
};

} // namespace

TEST_F(GameDeaths, TheNewsNamesTheKillerByItsKindAndTheTownTalksOfIt)
{
    Actor* victim = Make("MonsterTownsman", 300.0f);
    Actor* beast = Make("MonsterBeast", 320.0f);
    game->AnnounceDeath(victim, beast, false);
    EXPECT_EQ(Sent(), (DeathLines{"msg 3 \"$$XWaskilledByAY~<Hild ($$NpcTypeSteward$$)@@Grey@@>~$$\""}));
    EXPECT_EQ(Talk(), "$$TalkNormal~<Grey@@Hild ($$NpcTypeSteward$$)@@>~$$");

    game->GetClientLines().clear();
    Actor* boss = Make("MonsterBeast", 340.0f, MonsterRarity::Boss);
    game->AnnounceDeath(victim, boss, false);
    EXPECT_EQ(Sent(), (DeathLines{"msg 3 \"$$XWasKilledByY~<Hild ($$NpcTypeSteward$$)@@"
                                  "$$EnhancementRarityBoss$$ ^c145Grey@@>~$$\""}));
    EXPECT_EQ(Talk(), "$$TalkUnique~<$$EnhancementRarityBoss$$ ^c145Grey@@Hild ($$NpcTypeSteward$$)@@>~$$");

    // Rare is not among the titled kinds; unique and legend are.
    game->GetClientLines().clear();
    game->AnnounceDeath(victim, Make("MonsterBeast", 360.0f, MonsterRarity::Rare), false);
    game->AnnounceDeath(victim, Make("MonsterBeast", 380.0f, MonsterRarity::Unique), false);
    game->AnnounceDeath(victim, Make("MonsterBeast", 400.0f, MonsterRarity::Legend), false);
    ASSERT_EQ(Sent().size(), 3u);
    EXPECT_NE(Sent()[0].find("$$XWaskilledByAY~<"), std::string::npos);
    EXPECT_NE(Sent()[1].find("$$EnhancementRarityUnique$$ ^c145Grey"), std::string::npos);
    EXPECT_NE(Sent()[2].find("$$EnhancementRarityLegend$$ ^c145Grey"), std::string::npos);
}

TEST_F(GameDeaths, AnUnnamedKillerAWanderingRecruitAndASilentDeath)
{
    Actor* victim = Make("MonsterTownsman", 300.0f);
    game->AnnounceDeath(victim, nullptr, false);
    game->AnnounceDeath(victim, player, false);
    game->AnnounceDeath(victim, Make("MonsterShade", 320.0f), false);
    const std::string died = "msg 3 \"$$XHasDied~<Hild ($$NpcTypeSteward$$)@@>~$$\"";
    EXPECT_EQ(Sent(), (DeathLines{died, died, died}));
    // Only a creature's kill is talked of: the shade's, though it goes unnamed in the news.
    EXPECT_EQ(Talk(), "$$TalkNormal~<Murk@@Hild ($$NpcTypeSteward$$)@@>~$$");
    EXPECT_EQ(Talk(), "");

    // Neither an NPC nor in a covenant: a wanderer looking for one, whoever killed it.
    game->GetClientLines().clear();
    Actor* wanderer = Make("MonsterBeast", 340.0f);
    game->AnnounceDeath(wanderer, Make("MonsterBeast", 360.0f, MonsterRarity::Boss), false);
    EXPECT_EQ(Sent(), (DeathLines{"msg 3 \"$$XWanderingRecruitHasDied~<Grey@@>~$$\""}));
    Talk();

    // Silent: no news, but the town still talks.
    game->GetClientLines().clear();
    game->AnnounceDeath(victim, Make("MonsterBeast", 380.0f), true);
    game->AnnounceDeath(nullptr, Make("MonsterBeast", 400.0f), false);
    EXPECT_TRUE(Sent().empty());
    EXPECT_EQ(Talk(), "$$TalkNormal~<Grey@@Hild ($$NpcTypeSteward$$)@@>~$$");
    EXPECT_EQ(Talk(), "");
}

TEST_F(GameDeaths, AKillIsHeardByTheRulesThenTheNewsThenTheComputerRunCovenantsThenTheRespawnQueue)
{
    std::vector<std::string> log;
    GameDeathsRules rules(log);
    game->AddRuleSystem(&rules);
    auto own = std::make_unique<GameDeathsCovenant>(log, false);
    auto rival = std::make_unique<GameDeathsCovenant>(log, true);
    game->AddCovenant(std::move(own));
    game->AddCovenant(std::move(rival));
    // A hero outside every covenant, first placed on level 0: news, and it comes back.
    Actor* wanderer = Make("MonsterBeast", 300.0f);
    wanderer->hero = true;
    wanderer->homeSet = true;
    wanderer->homePosition = wanderer->position;
    Actor* beast = Make("MonsterBeast", 320.0f);
    wanderer->health = 0;
    HandleKill(wanderer, beast);
    std::string killer = std::to_string(beast->entityNumber);
    EXPECT_EQ(log, (DeathLines{"rules killer " + killer + " flag 0 lines 0 respawns 0 in slot 1",
                               "covenant 1 killer " + killer + " lines 1 respawns 0 in slot 1"}));
    ASSERT_EQ(Sent().size(), 1u);
    EXPECT_NE(Sent()[0].find("$$XWanderingRecruitHasDied~<Grey@@>~$$"), std::string::npos);
    ASSERT_NE(game->GetRespawnQueue(0), nullptr);
    EXPECT_EQ(game->GetRespawnQueue(0)->size(), 1u);
    game->RemoveRuleSystem(&rules);
}

TEST_F(GameDeaths, TheWildsOwnCreaturesDieWithoutNews)
{
    Actor* beast = Make("MonsterBeast", 300.0f);
    beast->health = 0;
    HandleKill(beast, Make("MonsterBeast", 320.0f, MonsterRarity::Boss));
    EXPECT_TRUE(Sent().empty());
    EXPECT_EQ(Talk(), "");
    // A town NPC is news through the same path.
    Actor* townsman = Make("MonsterTownsman", 340.0f);
    townsman->health = 0;
    HandleKill(townsman, nullptr);
    EXPECT_EQ(Sent(), (DeathLines{"msg 3 \"$$XHasDied~<Hild ($$NpcTypeSteward$$)@@>~$$\""}));
}
