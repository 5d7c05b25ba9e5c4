// ProfileCommandsTest -- the menus' user commands and lists through the console: new, load and delete users in the user folder, "UserName" following the current profile, unlocks surviving a reload, and the adventure and class lists with their unlock tests.
#include "client/ProfileWorld.h"

#include "core/CommandSystem.h"

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
    folder.Write("User/chars/bob.usr", "keep");
    for (const char* name : {"../x", "a.b", "", "Bob"}) {
        vars.SetStringByName("NewUserName", name);
        EXPECT_FALSE(commands.CallVerifyProc("verifyUserName")) << name;
    }
    vars.SetStringByName("UserName", "../x");
    commands.Execute("deleteUser");
    commands.Execute("loadUser");
    EXPECT_EQ(folder.Read("User/x.usr"), "keep");
    EXPECT_EQ(Current(), nullptr);
}

TEST_F(ProfileCommands, TheUserListSkipsDamagedFiles)
{
    NewUser("Bob");
    NewUser("Ann Lee");
    folder.Write("User/chars/broken.usr", std::string("\x33\x00\x00\x00Br", 6));
    EXPECT_EQ(Rows("getAvailableUsers"), (std::vector<std::string>{"ann lee", "bob"}));
    EXPECT_EQ(Rows("getAvailableUsers", false), (std::vector<std::string>{"Ann Lee", "Bob"}));
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
