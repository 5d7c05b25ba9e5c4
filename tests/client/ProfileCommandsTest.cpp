// ProfileCommandsTest -- the menus' user commands and lists through the console: new, load and delete users in the user folder, "UserName" following the current profile, unlocks surviving a reload, and the adventure and class lists with their unlock tests.
#include "client/ProfileWorld.h"

#include "core/CommandSystem.h"
#include "support/LogLines.h"
#include "support/ProfileFileBytes.h"

#include <filesystem>

namespace {

class ProfileCommands : public ProfileWorld {
protected:
    explicit ProfileCommands(const std::string& moreRecords = "") : ProfileWorld(moreRecords) {}

    bool Exists(const std::string& relative) const { return std::filesystem::exists(folder.Path() / relative); }

    std::vector<std::string> Rows(const char* provider, bool values = true)
    {
        std::vector<ListEntry> rows;
        commands.CallInfoProc(provider, rows);
        std::vector<std::string> out;
        for (const ListEntry& row : rows)
            out.push_back(values ? row.value : row.name);
        return out;
    }

    void NewUser(const std::string& name)
    {
        vars.SetStringByName("NewUserName", name);
        ASSERT_TRUE(commands.CallVerifyProc("verifyUserName")) << name;
        commands.Execute("newUser");
    }

    const UserProfile* Current() const { return gameClient->GetProfiles().GetCurrent(); }
};

TEST_F(ProfileCommands, NewLoadAndDeleteUsersKeepTheFilesAndUserNameInStep)
{
    NewUser("Ann");
    EXPECT_TRUE(Exists("User/chars/ann.usr"));
    EXPECT_EQ(vars.GetStringByName("UserName"), "Ann");
    commands.Execute("unlock AwardFirst");
    NewUser("Bob");
    EXPECT_EQ(vars.GetStringByName("UserName"), "Bob");
    // The profile left behind was saved with its unlock.
    vars.SetStringByName("UserName", "ann");
    commands.Execute("loadUser");
    ASSERT_NE(Current(), nullptr);
    EXPECT_EQ(Current()->GetName(), "Ann");
    EXPECT_EQ(vars.GetStringByName("UserName"), "Ann");
    EXPECT_TRUE(Current()->HasUnlock("AwardFirst"));
    commands.Execute("cheat_lock AwardFirst");
    EXPECT_FALSE(Current()->HasUnlock("AwardFirst"));

    // Deleting another user keeps the current one.
    vars.SetStringByName("UserName", "Bob");
    commands.Execute("deleteUser");
    EXPECT_FALSE(Exists("User/chars/bob.usr"));
    EXPECT_EQ(Current()->GetName(), "Ann");
    EXPECT_EQ(vars.GetStringByName("UserName"), "Ann");
    // Deleting the current one drops it without saving it again.
    folder.Write("User/chars/ann.map", "m");
    folder.Write("User/chars/ann.chr", "c");
    folder.Write("User/chars/ann.wld", "w");
    commands.Execute("deleteUserSaveAdventure");
    EXPECT_FALSE(Exists("User/chars/ann.map") || Exists("User/chars/ann.chr") || Exists("User/chars/ann.wld"));
    commands.Execute("deleteUser");
    EXPECT_EQ(Current(), nullptr);
    EXPECT_EQ(vars.GetStringByName("UserName"), "");
    EXPECT_FALSE(Exists("User/chars/ann.usr"));
    // A user that cannot be loaded leaves none current.
    vars.SetStringByName("UserName", "Ann");
    commands.Execute("loadUser");
    EXPECT_EQ(Current(), nullptr);
    EXPECT_EQ(vars.GetStringByName("UserName"), "");
}

TEST_F(ProfileCommands, HostileNamesNeverReachTheFileSystem)
{
    folder.Write("User/x.usr", "keep");
    folder.Write("User/chars/bob.usr", ProfileFileBytes("Bob", 0));
    for (const char* name : {"../x", "a.b", "", "Bob"}) {
        vars.SetStringByName("NewUserName", name);
        EXPECT_FALSE(commands.CallVerifyProc("verifyUserName")) << name;
    }
    vars.SetStringByName("UserName", "../x");
    commands.Execute("deleteUser");
    commands.Execute("loadUser");
    EXPECT_EQ(folder.Read("User/x.usr"), "keep");
    EXPECT_EQ(folder.Read("User/chars/bob.usr"), ProfileFileBytes("Bob", 0));
    EXPECT_EQ(Current(), nullptr);
}

// A damaged profile is listed by its file name, so that the menus can delete it, and it does not
// keep its name from a new profile: the new one takes it and the damaged file is kept aside.
TEST_F(ProfileCommands, ADamagedProfileIsListedDeletableAndLeavesItsNameFree)
{
    NewUser("Bob");
    NewUser("Ann Lee");
    const std::string damaged("\x33\x00\x00\x00Br", 6);
    folder.Write("User/chars/broken.usr", damaged);
    EXPECT_EQ(Rows("getAvailableUsers"), (std::vector<std::string>{"ann lee", "bob", "broken"}));
    EXPECT_EQ(Rows("getAvailableUsers", false),
              (std::vector<std::string>{"Ann Lee", "Bob", "broken $$ProfileDamaged$$"}));
    vars.SetStringByName("UserName", "broken");
    commands.Execute("deleteUser");
    EXPECT_FALSE(Exists("User/chars/broken.usr"));
    ASSERT_NE(Current(), nullptr);
    EXPECT_EQ(Current()->GetName(), "Ann Lee") << "the profile in use stays";

    folder.Write("User/chars/broken.usr", damaged);
    NewUser("Broken");
    EXPECT_EQ(folder.Read("User/chars/broken.usr.bad"), damaged) << "the damaged file is kept, not written over";
    UserProfile reloaded;
    ASSERT_TRUE(reloaded.Load("broken"));
    EXPECT_EQ(reloaded.GetName(), "Broken");
    // With no name free beside it, the damaged file stays whole and so does the profile in use;
    // the name is refused, and the console's "newUser" says why too.
    folder.Write("User/chars/worn.usr", damaged);
    for (int number = 1; number <= 9; ++number)
        folder.Write("User/chars/worn.usr.bad" + (number == 1 ? std::string() : std::to_string(number)), "older");
    vars.SetStringByName("NewUserName", "Worn");
    EXPECT_FALSE(commands.CallVerifyProc("verifyUserName"));
    vars.SetStringByName("LastError", "");
    commands.Execute("newUser");
    EXPECT_EQ(vars.GetStringByName("LastError"), "$$ErrorUserNameDamaged$$");
    EXPECT_EQ(folder.Read("User/chars/worn.usr"), damaged);
    ASSERT_NE(Current(), nullptr);
    EXPECT_EQ(Current()->GetName(), "Broken");
    // A sound profile still keeps its name.
    vars.SetStringByName("NewUserName", "bob");
    EXPECT_FALSE(commands.CallVerifyProc("verifyUserName"));
    EXPECT_EQ(vars.GetStringByName("LastError"), "$$ErrorUserNameUsed$$");
}

// A profile is saved to the file it was loaded from, whatever name it holds: a copy kept under
// another file name, or one whose name is no file name, never writes over another profile.
TEST_F(ProfileCommands, AProfileIsSavedToTheFileItWasLoadedFrom)
{
    struct Case {
        const char* file;
        const char* stored;
        bool warned;
    };
    for (const Case& c : {Case{"annbackup", "Ann", false}, Case{"odd", "../Ann", true}, Case{"ann", "Ann", false}}) {
        folder.Write("User/chars/ann.usr", ProfileFileBytes("Ann", 9));
        if (std::string(c.file) != "ann")
            folder.Write(std::string("User/chars/") + c.file + ".usr", ProfileFileBytes(c.stored, 2));
        int warnings = CountLinesHolding(debug, "which is no file name");
        vars.SetStringByName("UserName", c.file);
        commands.Execute("loadUser");
        ASSERT_NE(Current(), nullptr) << c.file;
        EXPECT_EQ(Current()->GetName(), c.stored);
        EXPECT_EQ(CountLinesHolding(debug, "which is no file name"), warnings + (c.warned ? 1 : 0)) << c.file;
        EXPECT_EQ(vars.GetStringByName("UserName"), std::string(c.file) == "ann" ? "Ann" : c.file)
            << "the next start loads the same file";
        commands.Execute("unlock AwardFirst");
        gameClient->GetProfiles().Close();
        UserProfile saved;
        ASSERT_TRUE(saved.Load(c.file)) << c.file;
        EXPECT_TRUE(saved.HasUnlock("AwardFirst")) << c.file << ": saved to the file it came from";
        if (std::string(c.file) != "ann") {
            EXPECT_EQ(folder.Read("User/chars/ann.usr"), ProfileFileBytes("Ann", 9))
                << c.file << ": the profile it was copied from keeps its trophy points";
        }
        commands.Execute("deleteUser");
        EXPECT_EQ(Current(), nullptr) << c.file << ": its own file went";
    }
}

TEST_F(ProfileCommands, AdventureAndClassListsFollowTheUnlocks)
{
    EXPECT_EQ(Rows("getWorldNames"), (std::vector<std::string>{"World", "AdvCaves", "AdvPeaks", "AdvHomebrew"}));
    EXPECT_EQ(Rows("getWorldNames", false), (std::vector<std::string>{"", "The Caves", "The Peaks", "Homebrew"}));
    EXPECT_EQ(Rows("getUserWorldNames"), std::vector<std::string>{"World"});
    EXPECT_EQ(Rows("getClassNames"), std::vector<std::string>{"ClassKnight"});
    EXPECT_TRUE(Rows("getUserClassNames").empty());
    NewUser("Bob");
    commands.Execute("unlock AdvHomebrew");
    commands.Execute("unlock ClassSeer");
    EXPECT_EQ(Rows("getUserWorldNames"), (std::vector<std::string>{"World", "AdvHomebrew"}));
    EXPECT_EQ(Rows("getUserClassNames"), std::vector<std::string>{"ClassSeer"}) << "the special class stays out";
    EXPECT_EQ(Rows("getUserClassNames", false), std::vector<std::string>{"Seer"});
}

TEST_F(ProfileCommands, WinsStoryAndTheBestAdventure)
{
    commands.Execute("adventureWon");
    EXPECT_TRUE(gameClient->victoryPending) << "a win needs no profile";
    EXPECT_TRUE(gameClient->victoryHeld);
    gameClient->victoryPending = gameClient->victoryHeld = false;
    commands.Execute("selectBestAdventure Chosen Adv AdvCaves");
    EXPECT_EQ(vars.GetStringByName("Chosen"), "AdvCaves");
    NewUser("Bob");
    commands.Execute("adventureWon");
    EXPECT_TRUE(gameClient->victoryPending);
    EXPECT_TRUE(gameClient->victoryHeld);
    commands.Execute("unlock AdvPeaks");
    commands.Execute("unlock ClassSeer");
    commands.Execute("selectBestAdventure Chosen adv AdvCaves");
    EXPECT_EQ(vars.GetStringByName("Chosen"), "AdvPeaks");
    vars.SetStringByName("Picked", "advcaves");
    commands.Execute("updateStory Picked Story");
    EXPECT_EQ(vars.GetStringByName("Story"), "story/caves.txt");
}

std::string ProfileCommandsMoreClasses()
{
    std::string records;
    for (int i = 0; i < 8; ++i)
        records += "ClassMore" + std::to_string(i) + "\n{\n    Type Class\n    OfficialClass 1\n    PlayerClass 1\n}\n";
    return records;
}

class ProfileCommandsClassRows : public ProfileCommands {
protected:
    ProfileCommandsClassRows() : ProfileCommands(ProfileCommandsMoreClasses()) {}
};

TEST_F(ProfileCommandsClassRows, TheClassListStopsAtSixRows)
{
    std::vector<std::string> rows = Rows("getClassNames");
    ASSERT_EQ(rows.size(), 6u);
    EXPECT_EQ(rows.front(), "ClassKnight");
    EXPECT_EQ(rows.back(), "ClassMore4");
}

} // namespace
