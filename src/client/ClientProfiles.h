// ClientProfiles -- the game client's current user profile and the unlock definitions judged against it: choosing, creating and deleting users, counting kills and deaths, recording wins and granting unlocks.
#pragma once

#include "client/UnlockClient.h"
#include "client/UserProfile.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

class ClientApp;
struct ListEntry;

// Main thread only. At most one profile is current; none at start.
class ClientProfiles {
public:
    UserProfile* GetCurrent() const { return current.get(); }
    // The current profile's name; empty without one.
    std::string GetUserName() const;

    // One definition per "Unlock" record, in database order.
    void BuildUnlockList();
    const std::vector<std::unique_ptr<UnlockClient>>& GetUnlocks() const { return unlocks; }
    // Null for a name no unlock has (compared without regard to case).
    const UnlockClient* FindUnlock(std::string_view name) const;
    // The lists the unlock conditions count, unfiltered by unlocks.
    static UnlockMenuLists GetMenuLists();

    // The running adventure won by the local player; nothing without a profile or player.
    void RecordWin();
    // One kill of (false) or one death by (true) the monster of that database id.
    void Count(int32_t monsterId, bool death);
    bool IsUnlocked(const std::string& name) const { return current && current->HasUnlock(name); }
    // The skill levels every new character of the user starts with, and the trophy points left to
    // buy more, written into a character set-up record (all 0 without a current profile).
    void ApplyUpgrades(IntArray& setUp) const;

    // ---- Choosing the user ---------------------------------------------------------------------------
    // The current profile saved and dropped, a new one from the menus' vars saved and made current.
    void NewUser();
    // The current profile saved and dropped, the one "UserName" names loaded; none when that fails.
    void LoadUser();
    // Removes the files of the user "UserName" names; drops the current profile unsaved when it is
    // that user.
    void DeleteUser();
    void DeleteUserSaveAdventure();
    // At start-up: the profile "UserName" kept from the last run is loaded again, when it names one.
    void LoadRemembered();
    // At shut-down: the current profile saved, and "UserName" left naming it (a list row chosen
    // but never loaded is not what the next start loads).
    void Close();

    // The console commands and the list providers of the menus.
    void RegisterCommands(ClientApp& app);
    static void GetAvailableUsers(std::vector<ListEntry>& rows);
    static void GetWorldNames(std::vector<ListEntry>& rows, bool official, bool other, bool unlockTest);
    static void GetClassNames(std::vector<ListEntry>& rows, bool official);

private:
    // The user var "UserName" follows the current profile.
    void SetCurrent(std::unique_ptr<UserProfile> profile);
    void PublishUserName() const;
    void DropCurrent(bool save);
    void SaveCurrent() const;

    std::unique_ptr<UserProfile> current;
    std::vector<std::unique_ptr<UnlockClient>> unlocks;
};
