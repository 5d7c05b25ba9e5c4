// UserProfileTest -- the profile file (the current layout byte for byte, every older version, hostile and cut files refused with nothing changed, a failed save keeping the old file) and the profile's rules (the name rule, trophy bands and points, wins, bestiary counts).
#include "client/ProfileWorld.h"

#include "client/ServerNotifications.h"
#include "core/Database.h"
#include "core/StringUtil.h"
#include "platform/PosixFileSystem.h"
#include "rules/GameData.h"
#include "support/GameFolderFiles.h"
#include "support/LogLines.h"
#include "support/ShippedGame.h"

#include <cstring>
#include <filesystem>
#include <set>

namespace {

// Every write is abandoned at its commit, as a full disk or a failed rename would leave it.
class UserProfileFailingFiles : public PosixFileSystem {
public:
    using PosixFileSystem::PosixFileSystem;
    bool Close(File* file) override
    {
        if (!file || !(lastMode & kFileWrite))
            return PosixFileSystem::Close(file);
        Abandon(file);
        return false;
    }
    File* Open(std::string_view path, int modeFlags, FileLocation location) override
    {
        lastMode = modeFlags;
        return PosixFileSystem::Open(path, modeFlags, location);
    }
    int lastMode = 0;
};

class UserProfileFile : public ProfileWorld {
protected:
    // A file of the version with one record of "AdvCaves" (and one of a removed adventure),
    // written the way that version laid it out: stats i + 1 at the minimum and i + 2 at the
    // maximum, fun stats 50 + i and 60 + i, the class "ClassKnight", two kills of goblins.
    static MessageBuffer FileOfVersion(int32_t version)
    {
        MessageBuffer file;
        file.WriteInt(version);
        file.WriteString("Bob");
        if (version >= 49)
            file.WriteInt(3);
        file.WriteStringList({"AdvPeaks"});
        if (version >= 50)
            file.WriteInt(114);
        if (version >= 48)
            for (int32_t i = 0; i < 114; ++i)
                file.WriteInt(i == CharacterStat::SkillPointsLeft ? 9 : 0);
        if (version < 42)
            return file;
        file.WriteInt(2);
        for (const char* adventure : {"AdvGone", "AdvCaves"}) {
            file.WriteString(adventure);
            if (version <= 43)
                file.WriteInt(77);
            if (version >= 44) {
                int32_t fun = version >= 50 ? 29 : version >= 46 ? 28 : 25;
                for (int32_t base : {1, 2}) {
                    if (version >= 50)
                        file.WriteInt(114);
                    for (int32_t i = 0; i < 114; ++i)
                        file.WriteInt(i + base);
                }
                for (int32_t base : {50, 60}) {
                    if (version >= 50)
                        file.WriteInt(fun);
                    for (int32_t i = 0; i < fun; ++i)
                        file.WriteInt(base + i);
                }
            }
            if (version >= 45)
                file.WriteStringList({"ClassKnight"});
        }
        if (version < 51)
            return file;
        for (int32_t list = 0; list < 2; ++list) {
            file.WriteInt(2);
            file.WriteString("ArchetypeGoblin");
            file.WriteInt(list == 0 ? 2 : 1);
            file.WriteString("ArchetypeUnknown");
            file.WriteInt(40);
        }
        return file;
    }

    void Put(const std::string& name, const MessageBuffer& file) { folder.Write("User/chars/" + name + ".usr", Bytes(file)); }
};

TEST_F(UserProfileFile, TheCurrentLayoutIsWrittenByteForByteAndReadsBackTheSame)
{
    vars.SetStringByName("NewUserName", "Bob");
    vars.SetStringByName("UserDifficultyLevel", "Elite");
    UserProfile profile;
    profile.InitFromUserVars();
    profile.AddUnlock("AdvPeaks");
    player->stats.Set(CharacterStat::Score, 600);
    player->stats.Set(CharacterStat::Class, gameData.FindCharacterClassIndex("ClassKnight"));
    player->funStats.Set(3, 8);
    profile.RecordAdventureWin(*player, "AdvCaves");
    profile.RecordKill(Id("MonsterGoblinChief"));
    profile.RecordDeath(Id("MonsterGoblin"));
    profile.RecordDeath(Id("MonsterGoblin"));

    MessageBuffer expected;
    expected.WriteInt(51);
    expected.WriteString("Bob");
    expected.WriteInt(WorldDifficultyLevel::Elite);
    expected.WriteInt(2);
    expected.WriteString("AdvPeaks");
    expected.WriteString("ClassSeer");
    expected.WriteInt(114);
    for (int32_t i = 0; i < 114; ++i)
        expected.WriteInt(i == CharacterStat::SkillPointsLeft ? 3 : 0);
    expected.WriteInt(1);
    expected.WriteString("AdvCaves");
    for (int copy = 0; copy < 2; ++copy) {
        expected.WriteInt(114);
        for (int32_t i = 0; i < 114; ++i)
            expected.WriteInt(player->stats.Get(i));
    }
    for (int copy = 0; copy < 2; ++copy) {
        expected.WriteInt(29);
        for (int32_t i = 0; i < 29; ++i)
            expected.WriteInt(player->funStats.Get(i));
    }
    expected.WriteStringList({"ClassKnight"});
    for (int32_t count : {1, 2}) {
        expected.WriteInt(1);
        expected.WriteString("ArchetypeGoblin");
        expected.WriteInt(count);
    }
    // The Silver band's points reached the unspent points; the adventure's "UnlockOnWin" names
    // come with the grant.
    EXPECT_EQ(profile.GetUpgrade(CharacterStat::SkillPointsLeft), 3);
    profile.GrantUnlocksForWins();
    ASSERT_TRUE(profile.Save());
    EXPECT_EQ(FileBytes("Bob"), Bytes(expected));

    UserProfile loaded;
    ASSERT_TRUE(loaded.Load("bob"));
    EXPECT_EQ(loaded.GetName(), "Bob");
    EXPECT_EQ(loaded.GetDifficulty(), WorldDifficultyLevel::Elite);
    EXPECT_EQ(loaded.GetKillCount("ArchetypeGoblin"), 1);
    EXPECT_EQ(loaded.GetDeathCount("ArchetypeGoblin"), 2);
    EXPECT_TRUE(loaded.GetNewUnlocks().empty()) << "everything the wins give was held already";
    std::string before = FileBytes("Bob");
    ASSERT_TRUE(loaded.Save());
    EXPECT_EQ(FileBytes("Bob"), before);
}

TEST_F(UserProfileFile, EveryVersionReadsTheFieldsItHas)
{
    for (int32_t version : {41, 43, 44, 46, 48, 50, 52}) {
        SCOPED_TRACE(version);
        Put("Bob", FileOfVersion(version));
        UserProfile profile;
        ASSERT_TRUE(profile.Load("Bob"));
        EXPECT_EQ(profile.GetName(), "Bob");
        EXPECT_EQ(profile.GetDifficulty(), version >= 49 ? 3 : 1);
        EXPECT_EQ(profile.GetUpgrade(CharacterStat::SkillPointsLeft), version >= 48 ? 9 : 0);
        // The removed adventure is dropped; the other is read.
        EXPECT_EQ(profile.GetRecordCount(), version >= 42 ? 1 : 0);
        int32_t fun = version >= 50 ? 29 : version >= 46 ? 28 : 25;
        if (version >= 44) {
            EXPECT_EQ(profile.GetRecordStat(0, 113, false, true), 114);
            EXPECT_EQ(profile.GetRecordStat(0, 113, true, true), 115);
            EXPECT_EQ(profile.GetRecordStat(0, fun - 1, true, false), 60 + fun - 1);
            EXPECT_EQ(profile.GetRecordStat(0, 28, false, false), version >= 50 ? 78 : 0);
        } else if (version >= 42) {
            EXPECT_EQ(profile.GetRecordStat(0, CharacterStat::Score, true, true), 0);
        }
        EXPECT_EQ(profile.RecordHasClass(0, "classknight"), version >= 45);
        EXPECT_EQ(profile.GetKillCount("ArchetypeGoblin"), version >= 51 ? 2 : 0);
        EXPECT_EQ(profile.GetDeathCount("ArchetypeGoblin"), version >= 51 ? 1 : 0);
        // The won adventure's unlocks arrive with the load.
        EXPECT_EQ(profile.HasUnlock("ClassSeer"), version >= 42);
        EXPECT_EQ(profile.IsNewUnlock("ClassSeer"), version >= 42);
        EXPECT_FALSE(profile.IsNewUnlock("AdvPeaks")) << "held already in the file";
    }
}

TEST_F(UserProfileFile, CountedArraysLongerAreCutAndShorterLeaveTheRest)
{
    MessageBuffer file;
    file.WriteInt(51);
    file.WriteString("Bob");
    file.WriteInt(1);
    file.WriteStringList({});
    file.WriteInt(0);
    file.WriteInt(1);
    file.WriteString("AdvCaves");
    file.WriteInt(0);
    file.WriteInt(0);
    file.WriteInt(30);
    for (int32_t i = 0; i < 30; ++i)
        file.WriteInt(i + 1);
    file.WriteInt(20);
    for (int32_t i = 0; i < 20; ++i)
        file.WriteInt(i + 1);
    file.WriteStringList({});
    file.WriteInt(0);
    file.WriteInt(0);
    Put("Bob", file);
    UserProfile profile;
    ASSERT_TRUE(profile.Load("Bob"));
    EXPECT_EQ(profile.GetRecordStat(0, 28, false, false), 29);
    EXPECT_EQ(profile.GetRecordStat(0, 19, true, false), 20);
    EXPECT_EQ(profile.GetRecordStat(0, 20, true, false), 0);
    // The 30th value was dropped, not read as the next count.
    EXPECT_EQ(profile.GetRecordStat(0, 28, true, false), 0);
}

TEST_F(UserProfileFile, ACutOrHostileFileIsRefusedAndChangesNothing)
{
    UserProfile current = Saved("Ann");
    current.AddUnlock("AdvPeaks");
    MessageBuffer whole = FileOfVersion(51);
    std::string bytes = Bytes(whole);
    for (size_t cut = 0; cut < bytes.size(); ++cut) {
        folder.Write("User/chars/bob.usr", bytes.substr(0, cut));
        ASSERT_FALSE(current.Load("Bob")) << cut;
        ASSERT_EQ(current.GetName(), "Ann");
        ASSERT_EQ(current.GetUnlocks(), std::vector<std::string>{"AdvPeaks"});
        ASSERT_EQ(folder.Read("User/chars/bob.usr"), bytes.substr(0, cut)) << "the file is left as it was";
    }
    EXPECT_GE(CountLinesHolding(debug, "Profile chars/bob.usr is damaged at byte"), 1);
    // Counts that the bytes cannot hold: the unlock list's, the record count's, the kill count's.
    size_t unlockCount = 4 + 4 + 4;
    size_t recordCount = unlockCount + 4 + 9 + 4 + 114 * 4;
    size_t killCount = bytes.size() - 2 * (4 + 16 + 4 + 17 + 4);
    std::string atKills = "Profile chars/bob.usr is damaged at byte " + std::to_string(killCount) + ";";
    int cutLines = CountLinesHolding(debug, atKills);
    for (size_t at : {unlockCount, recordCount, killCount}) {
        for (int32_t hostile : {-1, 0x7FFFFFFF}) {
            std::string bad = bytes;
            std::memcpy(bad.data() + at, &hostile, 4);
            folder.Write("User/chars/bob.usr", bad);
            EXPECT_FALSE(current.Load("Bob")) << at << " " << hostile;
            EXPECT_EQ(current.GetName(), "Ann");
        }
    }
    EXPECT_EQ(CountLinesHolding(debug, atKills), cutLines + 2);
}

TEST_F(UserProfileFile, AFailedSaveWarnsAndKeepsTheOldFile)
{
    UserProfile profile = Saved("Bob");
    std::string before = FileBytes("Bob");
    profile.AddUnlock("AdvPeaks");
    UserProfileFailingFiles failing(folder.Path().string());
    failing.SetRootFolders("Assets");
    FileSystem* kept = gFileSystem;
    gFileSystem = &failing;
    EXPECT_FALSE(profile.Save());
    gFileSystem = kept;
    EXPECT_EQ(FileBytes("Bob"), before);
    EXPECT_EQ(CountLinesHolding(debug, "Couldn't save the profile Bob; the old file is kept"), 1);
    std::set<std::string> left;
    for (const auto& entry : std::filesystem::directory_iterator(folder.Path() / "User/chars"))
        left.insert(entry.path().filename().string());
    EXPECT_EQ(left, std::set<std::string>{"bob.usr"});
}

// ---- Rules ------------------------------------------------------------------------------------------

using UserProfileRules = ProfileWorld;

TEST_F(UserProfileRules, OneNameRuleRefusesPathsAndFindsTakenNamesBlindToCase)
{
    Saved("bob");
    // A damaged profile with every name beside it taken cannot be kept aside for a new one.
    const std::string damaged("\x33\x00\x00\x00Wo", 6);
    folder.Write("User/chars/worn.usr", damaged);
    for (const char* ending : {"", "2", "3", "4", "5", "6", "7", "8", "9"})
        folder.Write(std::string("User/chars/worn.usr.bad") + ending, "older");
    struct Case {
        std::string name;
        const char* error;
    };
    for (const Case& c : std::vector<Case>{{"", "$$ErrorUserNameEmpty$$"},
                                           {"../x", "$$ErrorUserNameInvalid$$"},
                                           {"a.b", "$$ErrorUserNameInvalid$$"},
                                           {"a\\b", "$$ErrorUserNameInvalid$$"},
                                           {" lead", "$$ErrorUserNameInvalid$$"},
                                           {"tab\tbed", "$$ErrorUserNameInvalid$$"},
                                           {std::string(64, 'a'), "$$ErrorUserNameInvalid$$"},
                                           {"Bob", "$$ErrorUserNameUsed$$"},
                                           {"Worn", "$$ErrorUserNameDamaged$$"}}) {
        vars.SetStringByName("LastError", "");
        vars.SetStringByName("NewUserName", c.name);
        EXPECT_FALSE(UserProfile::ValidateNewUserName()) << c.name;
        EXPECT_EQ(vars.GetStringByName("LastError"), c.error) << c.name;
        EXPECT_EQ(vars.GetStringByName("LastErrorField"), "NewUserName") << c.name;
    }
    EXPECT_EQ(folder.Read("User/chars/worn.usr"), damaged);
    // With a name free beside it, a damaged file's name is fine, and the check leaves the file be.
    folder.Write("User/chars/torn.usr", damaged);
    for (const std::string& fine :
         {std::string("Bobby"), std::string(63, 'a'), std::string("Ann Lee"), std::string("Torn")}) {
        vars.SetStringByName("NewUserName", fine);
        EXPECT_TRUE(UserProfile::ValidateNewUserName()) << fine;
    }
    EXPECT_EQ(folder.Read("User/chars/torn.usr"), damaged);
    UserProfile profile;
    EXPECT_FALSE(profile.Load("../bob"));
}

TEST_F(UserProfileRules, WinsWidenTheRecordNoteOfficialClassesAndPayTheTrophyDifference)
{
    UserProfile profile = Saved("Bob");
    player->stats.Set(CharacterStat::Class, gameData.FindCharacterClassIndex("ClassKnight"));
    player->stats.Set(CharacterStat::Score, 150);
    player->stats.Set(CharacterStat::Level, 9);
    profile.RecordAdventureWin(*player, "AdvCaves");
    EXPECT_EQ(profile.GetUpgrade(CharacterStat::SkillPointsLeft), 1) << "Bronze";
    player->stats.Set(CharacterStat::Score, 1200);
    player->stats.Set(CharacterStat::Level, 4);
    player->stats.Set(CharacterStat::Class, gameData.FindCharacterClassIndex("ClassSeer"));
    profile.RecordAdventureWin(*player, "AdvCaves");
    // Bronze to Gold pays Gold's points less Bronze's.
    EXPECT_EQ(profile.GetUpgrade(CharacterStat::SkillPointsLeft), 1 + 7 - 1);
    EXPECT_EQ(profile.GetRecordCount(), 1);
    EXPECT_EQ(profile.GetRecordStat(0, CharacterStat::Level, false, true), 4);
    EXPECT_EQ(profile.GetRecordStat(0, CharacterStat::Level, true, true), 9);
    EXPECT_EQ(profile.GetRecordStat(0, CharacterStat::Score, false, true), 150);
    EXPECT_TRUE(profile.RecordHasClass(0, "CLASSKNIGHT"));
    EXPECT_FALSE(profile.RecordHasClass(0, "ClassSeer")) << "not an official class";
    EXPECT_TRUE(profile.IsInTrophyBand(0, "Gold", ""));
    EXPECT_FALSE(profile.IsInTrophyBand(0, "Silver", "Gold"));
    // A win of an adventure that is not official records nothing.
    profile.RecordAdventureWin(*player, "AdvHomebrew");
    EXPECT_EQ(profile.GetRecordCount(), 1);
    // Each win was saved.
    UserProfile loaded;
    ASSERT_TRUE(loaded.Load("Bob"));
    EXPECT_EQ(loaded.GetUpgrade(CharacterStat::SkillPointsLeft), 7);
    EXPECT_EQ(loaded.GetTrophyPoints("AdvCaves"), 7);
}

TEST_F(UserProfileRules, TrophyBandsWithoutAnUpperLimitAndTheRecordStatsOfNoRecords)
{
    UserProfile profile = Saved("Bob");
    EXPECT_EQ(profile.BestRecordStat(CharacterStat::Score, true, true), -1);
    EXPECT_EQ(profile.SumRecordStat(CharacterStat::Score, true, true), 0);
    EXPECT_EQ(profile.GetTrophyPoints("AdvPeaks"), 0);
    player->stats.Set(CharacterStat::Score, 50000);
    profile.RecordAdventureWin(*player, "AdvPeaks");
    // The Peaks' Silver minimum of 1 leaves Bronze without an upper limit.
    EXPECT_TRUE(profile.IsInTrophyBand(0, "Bronze", "Silver"));
    EXPECT_EQ(profile.GetTrophyPoints("AdvPeaks"), 1);
    player->stats.Set(CharacterStat::Score, 120);
    profile.RecordAdventureWin(*player, "AdvCaves");
    EXPECT_EQ(profile.SumRecordStat(CharacterStat::Score, true, true), 50120);
    EXPECT_EQ(profile.BestRecordStat(CharacterStat::Score, false, true), 120);
    EXPECT_EQ(profile.BestRecordStat(CharacterStat::Score, true, true), 50000);
    EXPECT_FALSE(profile.IsInTrophyBand(5, "Bronze", ""));
    EXPECT_EQ(profile.GetRecordStat(-1, CharacterStat::Score, true, true), 0);
}

TEST_F(UserProfileRules, KillsAndDeathsFromTheHostCountUnderTheArchetype)
{
    vars.SetStringByName("NewUserName", "Bob");
    commands.Execute("newUser");
    app->GetServerLineCommands().Execute(StringFormat("kill %d", Id("MonsterGoblin")));
    app->GetServerLineCommands().Execute(StringFormat("kill %d", Id("MonsterGoblinChief")));
    app->GetServerLineCommands().Execute(StringFormat("death %d", Id("MonsterGoblinChief")));
    app->GetServerLineCommands().Execute(StringFormat("kill %d", Id("MonsterStray")));
    app->GetServerLineCommands().Execute("kill 99999999");
    const UserProfile* profile = gameClient->GetProfiles().GetCurrent();
    ASSERT_NE(profile, nullptr);
    EXPECT_EQ(profile->GetKillCount("ArchetypeGoblin"), 2);
    EXPECT_EQ(profile->GetDeathCount("ArchetypeGoblin"), 1);
    EXPECT_EQ(profile->GetKillCount("MonsterStray"), 0);
    EXPECT_EQ(CountLinesHolding(debug, "has no archetype; not counted in the profile"), 2);
}

TEST_F(UserProfileRules, UnlockQueriesByCasePrefixAndNewness)
{
    UserProfile profile = Saved("Bob");
    EXPECT_TRUE(profile.AddUnlock("AdventurePeaks"));
    EXPECT_TRUE(profile.AddUnlock("AwardFirstWin"));
    EXPECT_TRUE(profile.AddUnlock("AdventureCaves"));
    EXPECT_FALSE(profile.AddUnlock("AwardFirstWin"));
    EXPECT_EQ(profile.GetUnlocks().size(), 3u);
    EXPECT_TRUE(profile.HasUnlock("awardfirstwin"));
    EXPECT_EQ(profile.FindUnlockByPrefix("adventure"), "AdventureCaves");
    EXPECT_EQ(profile.FindUnlockByPrefix("Class"), "");
    EXPECT_TRUE(profile.IsNewUnlock("adventurepeaks"));
    EXPECT_TRUE(profile.NewUnlockContains("First"));
    EXPECT_FALSE(profile.NewUnlockContains("first"));
    profile.RemoveUnlock("awardfirstwin");
    EXPECT_TRUE(profile.HasUnlock("AwardFirstWin")) << "removal compares exactly";
    profile.RemoveUnlock("AwardFirstWin");
    EXPECT_FALSE(profile.HasUnlock("AwardFirstWin"));
}

// ---- Skill upgrades ----------------------------------------------------------------------------------

constexpr const char* kUserProfileSkillRecords = R"(
SkillRally
{
    Type Skill
    MaxSkillLevel 5
    BaseCost 2
    CostIncreasePerLevel 3
}
SkillBrace
{
    Type Skill
    StatReq Strength
    BaseCost 4
}
SkillTreeWarden
{
    Type SkillTree
    Skill SkillRally
    Skill SkillBrace
}
ClassWarden
{
    Type Class
    SkillTree SkillTreeWarden
}
)";

// The menus' display-only player of a class with two skills, and a count of its refreshes.
class UserProfileSkillUpgrades : public ProfileWorld {
protected:
    UserProfileSkillUpgrades() : ProfileWorld(kUserProfileSkillRecords)
    {
        commands.RegisterCommand(
            "updateFakePlayer", [this](const std::vector<std::string>&) { ++fakeUpdates; }, "", "", "");
        fake.displayOnly = true;
        int32_t warden = gGameData->FindCharacterClassIndex("ClassWarden");
        fake.stats.Set(CharacterStat::Class, warden);
        fake.GetSkillList().Rebuild(&fake, gGameData->GetCharacterClass(warden));
    }

    PlayerClient fake;
    int fakeUpdates = 0;
};

TEST_F(UserProfileSkillUpgrades, TrophyPointsBuyUpgradesAtRisingPricesForTheFakePlayerAndEachIsSaved)
{
    UserProfile profile = Saved("Bob");
    player->stats.Set(CharacterStat::Score, 1000);
    profile.RecordAdventureWin(*player, "AdvCaves");
    ASSERT_EQ(profile.GetUpgrade(CharacterStat::SkillPointsLeft), 7) << "a gold trophy";
    const int32_t rally = CharacterStat::Skill1;
    const int32_t brace = CharacterStat::Skill1 + 1;
    // 2, then 1 x 3 + 2 = 5; the third at 2 x 3 + 2 = 8 is more than is left.
    for (int i = 0; i < 3; ++i)
        profile.IncreaseSkill(fake, 0, 0);
    EXPECT_EQ(profile.GetUpgrade(rally), 2);
    EXPECT_EQ(profile.GetUpgrade(CharacterStat::SkillPointsLeft), 0);
    EXPECT_EQ(fakeUpdates, 2);
    profile.IncreaseSkill(fake, 0, 1);
    EXPECT_EQ(profile.GetUpgrade(brace), 0) << "a skill whose level follows a stat has no upgrade to buy";
    EXPECT_EQ(profile.GetUpgradeCost(fake, 0, 1), -1) << "so its button offers none";
    profile.IncreaseSkill(fake, 0, 2);
    profile.IncreaseSkill(*player, 0, 0);
    EXPECT_EQ(fakeUpdates, 2) << "no skill there, and the player in the game buys nothing";

    UserProfile loaded;
    ASSERT_TRUE(loaded.Load("Bob"));
    EXPECT_EQ(loaded.GetUpgrade(rally), 2);
    EXPECT_EQ(loaded.GetUpgrade(brace), 0);
    EXPECT_EQ(loaded.GetUpgrade(CharacterStat::SkillPointsLeft), 0);
}

// The host names a slain monster by its monster type: each one the shipped game has is counted in
// the bestiary, under its archetype.
TEST(UserProfileShipped, EveryShippedMonsterTypeCountsUnderAnArchetype)
{
    ASSERT_FALSE(ShippedGameFolder().empty());
    GameFolderFiles shipped(ShippedGameFolder());
    Database database;
    gDatabase = &database;
    database.Load();
    UserProfile profile;
    int32_t monsters = 0;
    for (const DatabaseEntry* e = database.GetNextEntryOfType(DatabaseEntryType::MonsterType); e;
         e = database.GetNextEntryOfType(DatabaseEntryType::MonsterType, e), ++monsters)
        profile.RecordKill(e->GetId());
    int32_t counted = 0;
    for (const DatabaseEntry* e = database.GetNextEntryOfType(DatabaseEntryType::MonsterArchetype); e;
         e = database.GetNextEntryOfType(DatabaseEntryType::MonsterArchetype, e))
        counted += profile.GetKillCount(e->GetName());
    gDatabase = nullptr;
    EXPECT_GT(monsters, 20);
    EXPECT_EQ(counted, monsters);
}

} // namespace
