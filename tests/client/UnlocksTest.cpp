// UnlocksTest -- unlock records judged against the current profile through the game client: each condition on its own, in order, a chain granted on the next pass, the requirement texts and the report of new unlocks, and the win that records the adventure and grants.
#include "client/ClientMessages.h"
#include "client/ProfileWorld.h"
#include "support/LogLines.h"
#include "world/World.h"

#include <algorithm>

namespace {

constexpr const char* kUnlocksRecords = R"(
UnlockNeedsAnyone
{
    Type Unlock
    UnlockName "NeedsAnyone"
    UnlockDesc "NeedsAnyoneDesc"
    RequiresUnlock AwardAnyone
}
UnlockAwardAnyone
{
    Type Unlock
    UnlockName "AwardAnyone"
}
UnlockScore
{
    Type Unlock
    UnlockName "Score"
    UnlockDesc "ScoreDesc"
    TotalScore 10000
}
UnlockTwoWins
{
    Type Unlock
    UnlockName "TwoWins"
    UnlockDesc "TwoWinsDesc"
    AdventuresWon 2
    StatName Kills
    StatValue 99
}
UnlockAllWon
{
    Type Unlock
    UnlockName "AllWon"
    WonAllAdventures 1
}
UnlockSilver
{
    Type Unlock
    UnlockName "Silver"
    AtLeastSilverTrophies 1
}
UnlockGold
{
    Type Unlock
    UnlockName "Gold"
    AllGoldTrophies 1
}
UnlockKnights
{
    Type Unlock
    UnlockName "Knights"
    WonAdventureWithAllChars 1
}
UnlockKnightsSomewhere
{
    Type Unlock
    UnlockName "KnightsSomewhere"
    WonWithAllChars 1
}
UnlockKills
{
    Type Unlock
    UnlockName "Kills"
    StatName Kills
    StatValue 5
    StatCompareFunction ">="
    StatUseMax 1
}
UnlockLowLevel
{
    Type Unlock
    UnlockName "LowLevel"
    StatName Level
    StatNormal 1
    StatValue 5
    StatCompareFunction "<"
}
UnlockOddCompare
{
    Type Unlock
    UnlockName "OddCompare"
    StatName Kills
    StatCompareFunction "~"
}
UnlockOneOf
{
    Type Unlock
    UnlockName "OneOf"
    AtLeastOneUnlock Nowhere
    AtLeastOneUnlock Score
}
)";

class Unlocks : public ProfileWorld {
protected:
    Unlocks() : ProfileWorld(kUnlocksRecords)
    {
        vars.SetStringByName("NewUserName", "Bob");
        commands.Execute("newUser");
        profile = gameClient->GetProfiles().GetCurrent();
    }

    // The names the next evaluation grants.
    std::vector<std::string> Grant()
    {
        size_t before = profile->GetNewUnlocks().size();
        gameClient->ApplyProfileUnlocks();
        const std::vector<std::string>& all = profile->GetNewUnlocks();
        return std::vector<std::string>(all.begin() + static_cast<std::ptrdiff_t>(before), all.end());
    }

    void Win(const char* adventure, int32_t score, int32_t level, int32_t kills)
    {
        player->stats.Set(CharacterStat::Class, gameData.FindCharacterClassIndex("ClassKnight"));
        player->stats.Set(CharacterStat::Score, score);
        player->stats.Set(CharacterStat::Level, level);
        player->funStats.Set(CharacterFunStat::Kills, kills);
        profile->RecordAdventureWin(*player, adventure);
    }

    UserProfile* profile = nullptr;
};

TEST_F(Unlocks, ConditionsAreJudgedInOrderAndAChainWaitsForTheNextPass)
{
    ASSERT_NE(profile, nullptr);
    EXPECT_EQ(gameClient->GetProfiles().GetUnlocks().size(), 13u);
    // No records: the record tests hold for none, the stat tests fail, the band tests pass.
    EXPECT_EQ(Grant(), (std::vector<std::string>{"AwardAnyone", "Silver", "Gold"}));
    EXPECT_EQ(Grant(), std::vector<std::string>{"NeedsAnyone"}) << "granted on the next pass";
    EXPECT_TRUE(Grant().empty());

    Win("AdvCaves", 6000, 3, 4);
    // One win: the score, count and all-won tests fail alone; kills 4 is not 5 or more.
    EXPECT_EQ(Grant(), (std::vector<std::string>{"Knights", "KnightsSomewhere", "LowLevel"}));
    Win("AdvPeaks", 5000, 8, 5);
    // 6,000 and 5,000 reach 10,000; two of two official adventures won. "TwoWins" still fails on
    // its stat, and the unknown comparison never holds.
    EXPECT_EQ(Grant(), (std::vector<std::string>{"Score", "AllWon", "Kills", "OneOf"}));
    EXPECT_FALSE(profile->HasUnlock("TwoWins"));
    EXPECT_FALSE(profile->HasUnlock("OddCompare"));
    EXPECT_EQ(CountLinesHolding(debug, "Unknown CompareFunction name ~"), 1);
    // The Peaks sit in the Bronze band now; what was granted stays.
    EXPECT_TRUE(profile->HasUnlock("Silver"));
    EXPECT_EQ(std::count(profile->GetUnlocks().begin(), profile->GetUnlocks().end(), "Silver"), 1);
}

// The menus' unlock texts come through the game client: any letter case finds the unlock, and a
// name no unlock has leaves the text as it was.
TEST_F(Unlocks, TheMenusAskTheGameClientForAnUnlocksTextByItsNameInAnyCase)
{
    struct Case {
        const char* name;
        bool descriptionOnly;
        const char* expected;
    };
    const Case cases[] = {
        {"twowins", false, "$$TwoWins$$\n$$TwoWinsDesc~<2@@>~$$"},
        {"SCORE", true, "$$ScoreDesc~<10,000@@>~$$"},
        {"Nowhere", false, "as it was"},
    };
    for (const Case& c : cases) {
        std::string text = "as it was";
        gameClient->GetUnlockText(c.name, text, c.descriptionOnly);
        EXPECT_EQ(text, c.expected) << c.name;
    }
}

TEST_F(Unlocks, RequirementTextsAndTheReportOfNewUnlocks)
{
    std::string text;
    gameClient->GetProfiles().FindUnlock("twowins")->BuildDescription(text, false);
    EXPECT_EQ(text, "$$TwoWins$$\n$$TwoWinsDesc~<2@@>~$$") << "the win count comes before the stat";
    text.clear();
    gameClient->GetProfiles().FindUnlock("Score")->BuildDescription(text, true);
    EXPECT_EQ(text, "$$ScoreDesc~<10,000@@>~$$");
    EXPECT_EQ(gameClient->GetProfiles().FindUnlock("Nowhere"), nullptr);

    text.clear();
    UserProfile::BuildUnlockReport(text, *profile);
    EXPECT_EQ(text, "$$NoNewUnlocks$$\n");
    for (const char* unlock : {"AdvPeaks", "ClassSeer", "AwardAnyone", "NeedsAnyone", "NoSuchThing", "ArchetypeGoblin"})
        commands.Execute(std::string("unlock ") + unlock);
    text.clear();
    UserProfile::BuildUnlockReport(text, *profile);
    EXPECT_EQ(text, "$$NextAdventureUnlock~<The Peaks@@>~$$\n"
                    "$$ClassUnlock~<@@Seer@@>~$$\n"
                    "$$AwardUnlock~<AwardAnyone@@>~$$\n"
                    "\n"
                    "$$BeastiaryEntryUnlock~<Goblins@@>~$$\n");
}

TEST_F(Unlocks, AWinRecordsTheRunningAdventureThenGrants)
{
    gWorld->SetAdventureName("AdvCaves");
    player->stats.Set(CharacterStat::Score, 700);
    gameClient->GetMessages().WinGame();
    ASSERT_EQ(profile->GetRecordCount(), 1);
    EXPECT_EQ(profile->GetRecordStat(0, CharacterStat::Score, true, true), 700);
    EXPECT_EQ(profile->GetUpgrade(CharacterStat::SkillPointsLeft), 3);
    EXPECT_TRUE(profile->HasUnlock("AwardAnyone"));
    UserProfile saved;
    ASSERT_TRUE(saved.Load("Bob"));
    EXPECT_EQ(saved.GetRecordCount(), 1) << "the win was saved";
}

} // namespace
