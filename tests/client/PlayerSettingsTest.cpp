// PlayerSettingsTest -- the settings a joining client writes, read by the host's own reader field by field: a new character with and without skill bonuses, a loaded one in the same world and in another, the place that is and is not sent, and an unknown class.
#include "client/PlayerClientWorld.h"

#include "client/GlobalStats.h"
#include "core/UserVarSystem.h"
#include "entities/CharacterSettings.h"
#include "entities/Inventory.h"
#include "render/TextEvents.h"
#include "rules/CharacterFlags.h"
#include "support/LogLines.h"
#include "world/World.h"

namespace {

class PlayerSettings : public PlayerClientWorld {
protected:
    void Start(const std::string& tuning = "")
    {
        StartWorldOnly(tuning);
        MakePlayer();
        player->NewGame();
    }

    // Written for a hello of the world's own words unless told otherwise, then read by the host.
    bool WriteAndRead(CharacterSettings& settings, int32_t difficulty, uint32_t worldWord)
    {
        written.Clear();
        player->WriteSettings(written, difficulty, worldWord);
        written.SetReadPos(0);
        bool read = settings.Read(written, gameData.GetTuning().useNewCharSkillBonuses,
                                  game->GetGateRecords());
        EXPECT_EQ(written.BytesLeft(), 0u) << "the reader takes every byte";
        return read;
    }

    // A character as a file would have left it.
    void MakeLoaded()
    {
        MessageBuffer file;
        player->characterName = "Bea";
        player->maxHealth = 80;
        player->health = 61;
        player->stats.Set(CharacterStat::Level, 4);
        player->stats.Set(CharacterStat::Money, 250);
        player->stats.Set(CharacterStat::Class, 0);
        player->funStats.Set(CharacterFunStat::Kills, 9);
        player->worldDifficulty = gWorld->GetDifficulty();
        player->worldWord = gWorld->GetLayoutSeed();
        player->returnPoint = WorldPos{1, 5.0f, 6.0f, true};
        player->discoveredLevels = {true, true};
        player->SetCharacterFlag(CharacterFlag::kLoner, true);
        player->partyRecruitIndices = {3};
        player->messageLog = LogOf({"old news"});
        player->SetPosition(WorldPos{1, 300.0f, 200.0f, true});
        player->WriteCharacter(file);
        file.SetReadPos(0);
        MakePlayer();
        ASSERT_TRUE(player->LoadCharacterFrom(file, "Bea", nullptr));
    }

    MessageBuffer written;
};

// The hardcore word follows the var only once a character of the profile has reached the level
// the challenge opens at: a choice left in the var before then makes no hardcore character.
TEST_F(PlayerSettings, ANewCharacterWithoutBonusesIsItsMarkerNameClassAndTwoFlags)
{
    for (int32_t best : {0, GlobalStats::kChallengeLevel - 1, GlobalStats::kChallengeLevel}) {
        Start();
        GlobalStats stats;
        IntArray levels(GlobalStats::kCharacterStats);
        levels.Set(CharacterStat::Level, best);
        stats.FindOrAddRecord("Old", "Guard", levels, IntArray(GlobalStats::kFunStats));
        gGlobalStats = &stats;
        vars.SetStringByName("PlayerHardcore", "1");
        bool hardcore = best >= GlobalStats::kChallengeLevel;
        written.Clear();
        player->WriteSettings(written, 0, 0);
        MessageBuffer golden;
        golden.WriteInt(0);
        golden.WriteString("Ada");
        golden.WriteInt(0);
        golden.WriteInt(hardcore ? 1 : 0);
        golden.WriteInt(0);
        ASSERT_EQ(written.Size(), golden.Size());
        EXPECT_TRUE(std::equal(written.Data(), written.Data() + written.Size(), golden.Data())) << best;

        CharacterSettings settings;
        ASSERT_TRUE(WriteAndRead(settings, 0, 0));
        gGlobalStats = nullptr;
        EXPECT_FALSE(settings.loaded);
        EXPECT_EQ(settings.name, "Ada");
        EXPECT_EQ(settings.classIndex, 0);
        EXPECT_EQ(settings.hardcore, hardcore) << best;
        EXPECT_FALSE(settings.loner);
    }
}

TEST_F(PlayerSettings, ANewCharacterCarriesTheSkillsItWasSetUpWithAndALongNameIsCut)
{
    Start("UseNewCharSkillBonuses 1\n");
    gameClient->characterSetUp.Set(CharacterStat::Skill1 + 2, 3);
    gameClient->characterSetUp.Set(CharacterStat::Skill60, 1);
    vars.SetStringByName("PlayerName", std::string(80, 'n'));
    CharacterSettings settings;
    ASSERT_TRUE(WriteAndRead(settings, 0, 0));
    EXPECT_EQ(settings.name, std::string(63, 'n'));
    EXPECT_EQ(settings.skillBonuses, (std::vector<std::pair<int32_t, int32_t>>{{CharacterStat::Skill1 + 2, 3},
                                                                              {CharacterStat::Skill60, 1}}));
}

TEST_F(PlayerSettings, AnUnknownClassSendsNothingAndSaysSo)
{
    Start();
    vars.SetStringByName("PlayerClass", "ClassNobody");
    written.Clear();
    player->WriteSettings(written, 0, 0);
    EXPECT_EQ(written.Size(), 0u);
    EXPECT_EQ(CountLinesHolding(debug, "Unknown character class ClassNobody"), 1);
}

TEST_F(PlayerSettings, ALoadedCharacterInItsOwnWorldSendsItsPlacesGatesAndParty)
{
    Start();
    MakeLoaded();
    CharacterSettings settings;
    ASSERT_TRUE(WriteAndRead(settings, gWorld->GetDifficulty(), gWorld->GetLayoutSeed()));
    EXPECT_TRUE(settings.loaded);
    EXPECT_EQ(settings.name, "Bea");
    EXPECT_EQ(settings.health, 61);
    EXPECT_EQ(settings.classIndex, 0);
    ASSERT_EQ(settings.stats.size(), static_cast<size_t>(CharacterStat::kCount));
    EXPECT_EQ(settings.stats[CharacterStat::Level], 4);
    EXPECT_EQ(settings.stats[CharacterStat::Money], 250);
    EXPECT_EQ(settings.statistics[CharacterFunStat::Kills], 9);
    EXPECT_TRUE(settings.characterFlags[CharacterFlag::kLoner]);
    EXPECT_TRUE(settings.gatesKept);
    EXPECT_EQ(settings.playerGate.level, 1);
    EXPECT_FLOAT_EQ(settings.playerGate.y, 6.0f);
    EXPECT_EQ(settings.exploredLevels, (std::vector<bool>{true, true}));
    EXPECT_TRUE(settings.partyKept);
    EXPECT_EQ(settings.recruitIndices, std::vector<int32_t>{3});
    EXPECT_EQ(settings.firstGates.GetCount(), game->GetGateRecords().GetCount());
    ASSERT_TRUE(settings.hasPosition);
    EXPECT_EQ(settings.position.level, 1);
    EXPECT_FLOAT_EQ(settings.position.x, 300.0f);
    EXPECT_EQ(LinesOf(player->messageLog), std::vector<std::string>{"old news"});
}

TEST_F(PlayerSettings, ALoadedCharacterInAnotherWorldSendsNoPlaceAndForgetsItsMessages)
{
    Start();
    MakeLoaded();
    // The saved log on the screen, as the start of the game put it there, beside a notice.
    TextEvents screen;
    gTextEvents = &screen;
    MessageBuffer saved = player->messageLog;
    saved.SetReadPos(0);
    ASSERT_TRUE(screen.LoadTextEvents(saved, PlayerClient::kFileVersion, Vector2{}));
    screen.AddTextEvent("a notice", 0.0f, 0.0f, 5.0f, 2, false, false);
    CharacterSettings settings;
    bool read = WriteAndRead(settings, gWorld->GetDifficulty(), gWorld->GetLayoutSeed() + 1);
    gTextEvents = nullptr;
    ASSERT_TRUE(read);
    EXPECT_FALSE(settings.gatesKept);
    EXPECT_FALSE(settings.partyKept);
    EXPECT_FALSE(settings.hasPosition);
    EXPECT_TRUE(settings.exploredLevels.empty());
    EXPECT_TRUE(LinesOf(player->messageLog).empty());
    EXPECT_EQ(screen.GetLogTotal(), 0) << "the other world's log leaves the screen too";
    ASSERT_EQ(screen.GetRecords().size(), 1u);
    EXPECT_EQ(screen.GetRecords().front().text, "a notice");
}

TEST_F(PlayerSettings, NoPlaceIsSentForTheTownsOriginOrForNoLevel)
{
    Start();
    MakeLoaded();
    for (const WorldPos& where : {WorldPos{0, 0.0f, 0.0f, true}, WorldPos{-1, 70.0f, 70.0f, true}}) {
        player->SetPosition(where);
        CharacterSettings settings;
        ASSERT_TRUE(WriteAndRead(settings, gWorld->GetDifficulty(), gWorld->GetLayoutSeed())) << where.level;
        EXPECT_FALSE(settings.hasPosition) << where.level;
    }
}

} // namespace
