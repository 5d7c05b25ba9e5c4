// GameChatTest -- what town NPCs say: names in announcements, the introduction first, weighted chat sets by the player's level, and dynamic lines said once, the longest-lived first.
#include "server/GameWorld.h"

#include "core/LocSystem.h"
#include "entities/Actor.h"
#include "entities/Player.h"
#include "server/ServerCommands.h"
#include "server/SpyCovenant.h"
#include "server/TownSpawn.h"
#include "server/Weather.h"
#include "world/AreaDefinition.h"

#include "core/CommandSystem.h"

#include <map>
#include <string>

namespace {

constexpr const char* kGameChatRecords = R"(
GameSystem
{
    DynamicChatChance 1
    NpcType Steward
    NpcType OneShot
    TownSpotSteward "0 120 100"
    TownSpotOneShot "0 200 100"
}
SpawnSystem
{
}
ClassWanderer
{
    Type Class
}
ArchetypeTown
{
    Type MonsterArchetype
    FactionName "Townsfolk"
}
ChatLow
{
    Type NpcChat
    DialogType None
    MinLevel 1
    MaxLevel 10
    ChanceEachChat 1
    ChatText LowA
    ChatText LowB
}
ChatHigh
{
    Type NpcChat
    DialogType None
    MinLevel 11
    MaxLevel 100
    ChanceEachChat 3
    ChatText High
}
ChatRain
{
    Type NpcChat
    DialogType Rain
    MinLevel 1
    MaxLevel 100
    ChanceEachChat 1
    Dynamic 1
    DynamicChance 1
    DynamicTimeLimit 30
    ChatText ChatRainTalk
}
ChatAny
{
    Type NpcChat
    DialogType Any
    MinLevel 1
    MaxLevel 100
    ChanceEachChat 50
    ChatText NeverForTalk
}
ActorSmith
{
    Type Actor
    Npc 1
    NpcType Steward
    ChatIntro SmithIntro
    NpcChat ChatLow
    NpcChat ChatHigh
    NpcChat ChatRain
    NpcChat ChatAny
}
ActorMute
{
    Type Actor
    Npc 1
    NpcType OneShot
}
MonsterSmith
{
    Type MonsterType
    Archetype ArchetypeTown
    Definition ActorSmith
    Name "Hild"
    MinLevel 1
    MaxLevel 30
}
WeatherHeavy
{
    MinFrontStartTime 1
    MaxFrontStartTime 1
    MaxFronts 1
    MinFrontIntensity 0.9
    MaxFrontIntensity 0.9
    MaxTotalIntensity 1
    MinFrontTime 600
    MaxFrontTime 600
    MinFrontMinDistance 100000
    MaxFrontMinDistance 100000
    MinFrontMaxDistance 200000
    MaxFrontMaxDistance 200000
}
WeatherLight
{
    Base WeatherHeavy
    MinFrontIntensity 0.2
    MaxFrontIntensity 0.2
}
MonsterMute
{
    Type MonsterType
    Archetype ArchetypeTown
    Definition ActorMute
    Name "Quiet Tam"
    MinLevel 1
    MaxLevel 30
}
)";

class GameChat : public GameWorld {
protected:
    GameChat()
    {
        Actor::RegisterEventClass(events, types);
        Player::RegisterEventClass(events, types);
        LoadRecords(kGameChatRecords);
        game->LoadTuning();
        player = new Player();
        player->playerName = "Ash";
        player->SetPosition(At(100.0f, 100.0f));
        EXPECT_NE(game->AddEntity(player), -1);
        player->SetUpNew(0);
        game->SetPlayers({player});
        player->stats.Set(CharacterStat::Level, 5);
    }

    // The town of the records: the smith (a steward) in slot 0, the mute (a one-shot) in slot 1.
    Actor* TownSmith()
    {
        town.Fill(*game);
        EXPECT_EQ(game->CountNamedActors(), 2);
        Actor* smith = game->GetNamedActor(0);
        EXPECT_NE(smith, nullptr);
        EXPECT_NE(game->GetNamedActor(1), nullptr);
        return smith;
    }

    Actor* Npc(const char* type)
    {
        auto* actor = new Actor();
        actor->SetUpFromMonsterType(gameData.FindMonsterType(type), 3, false);
        actor->SetPosition(At(120.0f, 100.0f));
        EXPECT_NE(game->AddEntity(actor), -1);
        return actor;
    }

    // The town's area goes before the world that points to it.
    ~GameChat() override { row.world.GetLevel(0)->area = nullptr; }

    // The town's level is the one outdoor level, where every front starts.
    void OutdoorTown()
    {
        townArea.weatherIntensityMult = 1.0f;
        row.world.GetLevel(0)->area = &townArea;
    }

    static std::string Said(const char* key) { return MakeLocToken(key, "%s", FormatLiteralToken("%s", "Ash").c_str()); }

    Player* player = nullptr;
    AreaDefinition townArea;
    TownSpawn town;
};

} // namespace

// ---- Names ------------------------------------------------------------------------------------------

TEST_F(GameChat, DisplayNamesCarryTheCovenantOrTheNpcType)
{
    Actor* smith = Npc("MonsterSmith");
    Actor* mute = Npc("MonsterMute");
    EXPECT_EQ(game->GetEntityDisplayName(*smith), "Hild ($$NpcTypeSteward$$)");
    EXPECT_EQ(game->GetEntityDisplayName(*mute), "Quiet Tam");
    EXPECT_EQ(game->GetEntityDisplayName(*player), "Ash");
    auto covenant = std::make_unique<SpyCovenant>();
    covenant->name = "Reds";
    SpyCovenant* reds = covenant.get();
    game->AddCovenant(std::move(covenant));
    smith->covenantIndex = reds->index;
    EXPECT_EQ(game->GetEntityDisplayName(*smith), "Hild (" + game->GetCovenantText(reds->index) + ")");
    EXPECT_EQ(game->GetCovenantText(reds->index).find("Reds") != std::string::npos, true);
    EXPECT_EQ(game->GetCovenantText(7), "");
}

// ---- What an NPC says -------------------------------------------------------------------------------

TEST_F(GameChat, TheIntroductionComesFirstAndOnce)
{
    Actor* smith = Npc("MonsterSmith");
    EXPECT_EQ(game->GetNpcChat(*player, *smith), Said("SmithIntro"));
    EXPECT_TRUE(smith->introShown);
    std::string next = game->GetNpcChat(*player, *smith);
    EXPECT_TRUE(next == Said("LowA") || next == Said("LowB")) << next;
    smith->introShown = false;
    EXPECT_EQ(game->GetNpcChat(*player, *smith), Said("SmithIntro"));
}

TEST_F(GameChat, AnNpcWithoutChatSaysNothing)
{
    Actor* mute = Npc("MonsterMute");
    EXPECT_EQ(game->GetNpcChat(*player, *mute), "");
    EXPECT_FALSE(mute->introShown);
}

TEST_F(GameChat, TalkDrawsTheGeneralSetsOfThePlayersLevelByLinesTimesWeight)
{
    Actor* smith = Npc("MonsterSmith");
    smith->introShown = true;
    std::map<std::string, int> counts;
    for (int i = 0; i < 400; ++i)
        ++counts[game->GetNpcChat(*player, *smith)];
    // Level 5: only the two lines of the low set, never the set asking for talk itself.
    EXPECT_EQ(counts.size(), 2u);
    EXPECT_GT(counts[Said("LowA")], 150);
    EXPECT_GT(counts[Said("LowB")], 150);
    player->stats.Set(CharacterStat::Level, 11);
    counts.clear();
    for (int i = 0; i < 50; ++i)
        ++counts[game->GetNpcChat(*player, *smith)];
    EXPECT_EQ(counts, (std::map<std::string, int>{{Said("High"), 50}}));
}

// ---- Dynamic chat -----------------------------------------------------------------------------------

TEST_F(GameChat, DynamicLinesAreSaidOnceTheLongestLivedFirst)
{
    game->AddDynamicChatLine(NpcType::Steward, "short", 5.0f);
    game->AddDynamicChatLine(NpcType::Steward, "long", 9.0f);
    game->AddDynamicChatLine(NpcType::Steward, "tie", 9.0f);
    game->AddDynamicChatLine(NpcType::Gambler, "other", 50.0f);
    std::string line;
    ASSERT_TRUE(game->TakeDynamicChat(NpcType::Steward, line));
    EXPECT_EQ(line, "long");
    ASSERT_TRUE(game->TakeDynamicChat(NpcType::Steward, line));
    EXPECT_EQ(line, "tie");
    game->UpdateDynamicChat(4.5f);
    EXPECT_TRUE(game->HasDynamicChat(NpcType::Steward));
    game->UpdateDynamicChat(0.5f);  // the short line runs out exactly
    EXPECT_FALSE(game->HasDynamicChat(NpcType::Steward));
    EXPECT_FALSE(game->TakeDynamicChat(NpcType::Steward, line));
    EXPECT_TRUE(game->HasDynamicChat(NpcType::Gambler));
}

TEST_F(GameChat, AFreedRecordIsReusedBeforeTheStoreGrows)
{
    game->AddDynamicChatLine(NpcType::Steward, "a", 1.0f);
    std::string line;
    game->TakeDynamicChat(NpcType::Steward, line);
    game->AddDynamicChatLine(NpcType::Gambler, "b", 2.0f);
    EXPECT_EQ(game->CountDynamicChatRecords(), 1);
    game->AddDynamicChatLine(NpcType::Gambler, "c", 2.0f);
    EXPECT_EQ(game->CountDynamicChatRecords(), 2);
}

TEST_F(GameChat, TownNpcsPickUpAnEventAndSayItOnTalk)
{
    Actor* smith = TownSmith();
    ASSERT_NE(smith, nullptr);
    smith->introShown = true;
    game->AddDynamicNpcChat(ChatDialogType::Rain, "", NpcType::Gambler);
    EXPECT_FALSE(game->HasDynamicChat(NpcType::Steward));
    game->AddDynamicNpcChat(ChatDialogType::Rain, "", 0);
    ASSERT_TRUE(game->HasDynamicChat(NpcType::Steward));
    EXPECT_FALSE(game->HasDynamicChat(NpcType::OneShot));
    EXPECT_EQ(game->GetNpcChat(*player, *smith), "$$ChatRainTalk$$");
    std::string next = game->GetNpcChat(*player, *smith);
    EXPECT_NE(next, "$$ChatRainTalk$$");
}

TEST_F(GameChat, ANewFrontOfRainOverTheTownGetsTheTownTalking)
{
    TownSmith();
    OutdoorTown();
    game->GetWeather().LoadTuning(database.FindEntryByName("WeatherHeavy"));
    Step(19);
    EXPECT_FALSE(game->HasDynamicChat(NpcType::Steward));
    Step(2);
    ASSERT_EQ(game->GetWeather().GetLiveFrontCount(), 1);
    EXPECT_TRUE(game->HasDynamicChat(NpcType::Steward));
}

TEST_F(GameChat, LightRainOverTheTownIsNoTalk)
{
    TownSmith();
    OutdoorTown();
    game->GetWeather().LoadTuning(database.FindEntryByName("WeatherLight"));
    Step(21);
    ASSERT_EQ(game->GetWeather().GetLiveFrontCount(), 1);
    EXPECT_FALSE(game->HasDynamicChat(NpcType::Steward));
}

// ---- The talk commands ------------------------------------------------------------------------------

TEST_F(GameChat, TheTalkCommandsAnswerWithTheNpcsOwnLines)
{
    CommandSystem commands;
    ServerCommands::Register(commands);
    Actor* smith = Npc("MonsterSmith");
    player->SetInteractionTarget(smith);
    game->GetClientLines().clear();
    game->GetPlayerLines().clear();
    EXPECT_TRUE(commands.Execute("getNpcChat", player));
    EXPECT_TRUE(smith->introShown);
    EXPECT_TRUE(commands.Execute("resetNpcIntro", player));
    EXPECT_FALSE(smith->introShown);
    EXPECT_TRUE(commands.Execute("getNpcChat", player));
    // The command's line keeps the name's quotes inside its own.
    std::string said = Said("SmithIntro");
    std::string escaped;
    for (char c : said)
        escaped += c == '"' ? std::string("\\\"") : std::string(1, c);
    std::string intro = "npcChat \"" + escaped + "\"";
    // Said to the asker alone.
    EXPECT_TRUE(game->GetClientLines().empty());
    using PlayerLine = std::pair<int32_t, std::string>;
    EXPECT_EQ(game->GetPlayerLines(),
              (std::vector<PlayerLine>{{player->entityNumber, intro}, {player->entityNumber, intro}}));
}
