// ProfileWorld -- a game with two official adventures and one of the players' own, official and non-official classes, monsters with archetypes and unlock records, for the user profile, the unlocks and the profile commands.
#pragma once

#include "client/ClientProfiles.h"
#include "client/PlayerClientWorld.h"
#include "client/UserProfile.h"
#include "core/DatabaseEntry.h"
#include "core/MessageBuffer.h"
#include "core/StringUtil.h"

#include <string>
#include <vector>

class ProfileWorld : public PlayerClientWorld {
protected:
    static constexpr const char* kProfileRecords = R"(
AdvCaves
{
    Type Adventure
    OfficialAdventure 1
    Name "The Caves"
    TextFile "story/caves.txt"
    BronzeTrophyMinScore 100
    SilverTrophyMinScore 500
    GoldTrophyMinScore 1000
    UnlockOnWin AdvPeaks
    UnlockOnWin ClassSeer
}
AdvPeaks
{
    Type Adventure
    OfficialAdventure 1
    Unlocks 1
    Name "The Peaks"
    BronzeTrophyMinScore 200
    SilverTrophyMinScore 1
}
AdvHomebrew
{
    Type Adventure
    Unlocks 1
    Name "Homebrew"
}
ClassKnight
{
    Type Class
    OfficialClass 1
    PlayerClass 1
    Name "Knight"
    PlayerName "Sir"
}
ClassSeer
{
    Type Class
    PlayerClass 1
    Unlocks 1
    Name "Seer"
}
ClassOddity
{
    Type Class
    PlayerClass 1
    SpecialClass 1
    Name "Oddity"
}
ArchetypeGoblin
{
    Type MonsterArchetype
    ArchetypeName "Goblins"
}
MonsterGoblin
{
    Type MonsterType
    Archetype ArchetypeGoblin
}
MonsterGoblinChief
{
    Type MonsterType
    BaseMonsterType MonsterGoblin
}
MonsterStray
{
    Type MonsterType
}
)";

    explicit ProfileWorld(const std::string& moreRecords = "")
    {
        StartWorldOnly("BronzeTrophyPoints 1\nSilverTrophyPoints 3\nGoldTrophyPoints 7\n",
                       std::string(kProfileRecords) + moreRecords);
        player->NewGame();
        gameClient->GetProfiles().BuildUnlockList();
        gameClient->GetProfiles().RegisterCommands(*app);
    }

    int32_t Id(const char* name) const { return database.FindEntryByName(name)->GetId(); }

    // A profile named and saved, without the commands.
    UserProfile Saved(const std::string& name)
    {
        vars.SetStringByName("NewUserName", name);
        UserProfile profile;
        profile.InitFromUserVars();
        EXPECT_TRUE(profile.Save());
        return profile;
    }

    // Profile files are named in lower case.
    std::string FileBytes(const std::string& name) const
    {
        return folder.Read("User/chars/" + StringToLower(name) + ".usr");
    }

    static std::string Bytes(const MessageBuffer& buffer)
    {
        return std::string(reinterpret_cast<const char*>(buffer.Data()), buffer.Size());
    }
};
