// ClientProfiles -- the game client's current user profile and the unlock definitions judged against it: choosing, creating and deleting users, counting kills and deaths, recording wins and granting unlocks.
#include "client/ClientProfiles.h"

#include "client/ClientApp.h"
#include "client/ClientCommandTable.h"
#include "client/GameClient.h"
#include "client/PlayerClient.h"
#include "core/CommandSystem.h"
#include "core/Database.h"
#include "core/DatabaseEntry.h"
#include "core/FileSystem.h"
#include "core/StringUtil.h"
#include "core/UserVarSystem.h"
#include "world/World.h"

namespace {

constexpr size_t kClientProfilesMaxClassRows = 6;

ClientProfiles* ClientProfilesCurrent()
{
    return gGameClient ? &gGameClient->GetProfiles() : nullptr;
}

UserProfile* ClientProfilesUser()
{
    ClientProfiles* profiles = ClientProfilesCurrent();
    return profiles ? profiles->GetCurrent() : nullptr;
}

bool ClientProfilesUnlocked(const DatabaseEntry& record)
{
    const UserProfile* profile = ClientProfilesUser();
    return record.GetInt("Unlocks") == 0 || (profile && profile->HasUnlock(record.GetName()));
}

ListEntry ClientProfilesRow(const DatabaseEntry& record)
{
    ListEntry row;
    row.name = record.GetString("Name");
    row.value = std::string(record.GetName());
    return row;
}

void ClientProfilesDeleteFile(std::string_view name, std::string_view extension)
{
    if (gFileSystem)
        gFileSystem->DeleteUserFile(MakeFilePath("chars", name, extension));
}

} // namespace

UnlockMenuLists ClientProfiles::GetMenuLists()
{
    UnlockMenuLists lists;
    if (!gDatabase)
        return lists;
    for (const DatabaseEntry* e = gDatabase->GetNextEntryOfType(DatabaseEntryType::Adventure); e;
         e = gDatabase->GetNextEntryOfType(DatabaseEntryType::Adventure, e))
        lists.officialAdventures += e->GetInt("OfficialAdventure") != 0 ? 1 : 0;
    for (const DatabaseEntry* e = gDatabase->GetNextEntryOfType(DatabaseEntryType::Class); e;
         e = gDatabase->GetNextEntryOfType(DatabaseEntryType::Class, e))
        if (e->GetInt("OfficialClass") != 0 && e->GetInt("PlayerClass") != 0 && e->GetInt("SpecialClass") == 0)
            lists.officialClasses.emplace_back(e->GetName());
    return lists;
}

std::string ClientProfiles::GetUserName() const
{
    return current ? current->GetName() : std::string();
}

// ---- Unlocks ----------------------------------------------------------------------------------------

void ClientProfiles::BuildUnlockList()
{
    unlocks.clear();
    if (!gDatabase)
        return;
    for (const DatabaseEntry* e = gDatabase->GetNextEntryOfType(DatabaseEntryType::Unlock); e;
         e = gDatabase->GetNextEntryOfType(DatabaseEntryType::Unlock, e)) {
        auto unlock = std::make_unique<UnlockClient>();
        unlock->SetEntry(e);
        unlocks.push_back(std::move(unlock));
    }
}

const UnlockClient* ClientProfiles::FindUnlock(std::string_view name) const
{
    for (const auto& unlock : unlocks)
        if (StringEqualsNoCase(unlock->GetName(), name))
            return unlock.get();
    return nullptr;
}

void ClientProfiles::RecordWin()
{
    PlayerClient* player = gClientApp ? gClientApp->GetLocalPlayer() : nullptr;
    if (current && player && gWorld)
        current->RecordAdventureWin(*player, gWorld->GetAdventureName());
}

void ClientProfiles::Count(int32_t monsterId, bool death)
{
    if (!current)
        return;
    if (death)
        current->RecordDeath(monsterId);
    else
        current->RecordKill(monsterId);
}

// ---- Choosing the user ------------------------------------------------------------------------------

void ClientProfiles::SetCurrent(std::unique_ptr<UserProfile> profile)
{
    current = std::move(profile);
    PublishUserName();
    if (gGameClient)
        ApplyUpgrades(gGameClient->characterSetUp);
}

void ClientProfiles::ApplyUpgrades(IntArray& setUp) const
{
    for (int32_t stat = CharacterStat::Skill1; stat <= CharacterStat::Skill60; ++stat)
        setUp.Set(stat, current ? current->GetUpgrade(stat) : 0);
    setUp.Set(CharacterStat::SkillPointsLeft, current ? current->GetUpgrade(CharacterStat::SkillPointsLeft) : 0);
}

void ClientProfiles::PublishUserName() const
{
    // What loads the profile again: a copy kept under another file name is that file's.
    if (gUserVarSystem)
        gUserVarSystem->SetStringByName("UserName", current ? current->GetFileName() : std::string());
}

void ClientProfiles::DropCurrent(bool save)
{
    if (current && save)
        current->Save();
    SetCurrent(nullptr);
}

void ClientProfiles::SaveCurrent() const
{
    if (current)
        current->Save();
}

void ClientProfiles::LoadRemembered()
{
    std::string remembered = gUserVarSystem ? gUserVarSystem->GetStringByName("UserName") : std::string();
    if (!remembered.empty())
        LoadUser();
}

void ClientProfiles::Close()
{
    SaveCurrent();
    PublishUserName();
}

void ClientProfiles::NewUser()
{
    auto profile = std::make_unique<UserProfile>();
    profile->InitFromUserVars();
    // A damaged file that could not be moved aside is the only copy: no new profile takes its place,
    // and the profile in use stays.
    if (!UserProfile::KeepDamagedFileAside(profile->GetFileBase()))
        return;
    DropCurrent(true);
    profile->Save();
    SetCurrent(std::move(profile));
}

void ClientProfiles::LoadUser()
{
    std::string wanted = gUserVarSystem ? gUserVarSystem->GetStringByName("UserName") : std::string();
    DropCurrent(true);
    auto profile = std::make_unique<UserProfile>();
    bool loaded = profile->Load(wanted);
    SetCurrent(loaded ? std::move(profile) : nullptr);
    if (gGameClient)
        gGameClient->ApplyProfileUnlocks();
}

void ClientProfiles::DeleteUser()
{
    std::string name = gUserVarSystem ? gUserVarSystem->GetStringByName("UserName") : std::string();
    if (UserProfile::IsValidUserName(name)) {
        ClientProfilesDeleteFile(name, "usr");
        // The current profile goes unsaved when its own file went, whatever name it holds.
        if (current && CharacterFileBase(name) == current->GetFileBase())
            SetCurrent(nullptr);
    }
    PublishUserName();
}

void ClientProfiles::DeleteUserSaveAdventure()
{
    std::string name = current ? current->GetFileName() : std::string();
    if (!UserProfile::IsValidUserName(name))
        return;
    for (const char* extension : {"map", "chr", "wld"})
        ClientProfilesDeleteFile(name, extension);
}

// ---- Commands and lists -----------------------------------------------------------------------------

void ClientProfiles::GetAvailableUsers(std::vector<ListEntry>& rows)
{
    if (!gFileSystem)
        return;
    std::vector<std::string> files;
    gFileSystem->ListFiles("chars", "usr", files, kLocationUser, false, false, true);
    for (std::string base : files) {
        StripDirectories(base);
        RemoveExtension(base);
        UserProfile profile;
        ListEntry row;
        // A damaged file is listed by its file name, so that it can be deleted (its load has said
        // why it is damaged).
        row.name = profile.Load(base) ? profile.GetName() : base + " $$ProfileDamaged$$";
        row.value = base;
        rows.push_back(std::move(row));
    }
}

void ClientProfiles::GetWorldNames(std::vector<ListEntry>& rows, bool official, bool other, bool unlockTest)
{
    if (!gDatabase)
        return;
    for (const DatabaseEntry* e = gDatabase->GetNextEntryOfType(DatabaseEntryType::Adventure); e;
         e = gDatabase->GetNextEntryOfType(DatabaseEntryType::Adventure, e)) {
        bool isOfficial = e->GetInt("OfficialAdventure") != 0;
        if (!(isOfficial ? official : other))
            continue;
        if (unlockTest && !ClientProfilesUnlocked(*e))
            continue;
        rows.push_back(ClientProfilesRow(*e));
    }
}

void ClientProfiles::GetClassNames(std::vector<ListEntry>& rows, bool official)
{
    if (!gDatabase)
        return;
    for (const DatabaseEntry* e = gDatabase->GetNextEntryOfType(DatabaseEntryType::Class); e;
         e = gDatabase->GetNextEntryOfType(DatabaseEntryType::Class, e)) {
        if (official && rows.size() >= kClientProfilesMaxClassRows)
            return;
        if (e->GetInt("PlayerClass") == 0 || (e->GetInt("OfficialClass") != 0) != official)
            continue;
        // The players' own classes: special ones left out, locked ones only once unlocked.
        if (!official && (e->GetInt("SpecialClass") != 0 || !ClientProfilesUnlocked(*e)))
            continue;
        rows.push_back(ClientProfilesRow(*e));
    }
}

void ClientProfiles::RegisterCommands(ClientApp& app)
{
    using Args = std::vector<std::string>;
    auto attach = [&app](const char* name, void (ClientProfiles::*action)()) {
        ClientCommandTable::Attach(app, name, [action](const Args&) {
            if (ClientProfiles* profiles = ClientProfilesCurrent())
                (profiles->*action)();
        });
    };
    attach("newUser", &ClientProfiles::NewUser);
    attach("loadUser", &ClientProfiles::LoadUser);
    attach("deleteUser", &ClientProfiles::DeleteUser);
    attach("deleteUserSaveAdventure", &ClientProfiles::DeleteUserSaveAdventure);
    ClientCommandTable::Attach(app, "unlock", [](const Args& args) {
        if (UserProfile* profile = ClientProfilesUser())
            profile->AddUnlock(args[0]);
    });
    ClientCommandTable::Attach(app, "cheat_lock", [](const Args& args) {
        if (UserProfile* profile = ClientProfilesUser())
            profile->RemoveUnlock(args[0]);
    });
    // Won with or without a profile (only the win's record needs one): a won world ends every
    // covenant, the player's too, and a win not shown would leave its fall to show as a loss.
    ClientCommandTable::Attach(app, "adventureWon", [](const Args&) {
        if (gGameClient) {
            gGameClient->victoryPending = true;
            gGameClient->victoryHeld = true;
        }
    });
    ClientCommandTable::Attach(app, "selectBestAdventure", [](const Args& args) {
        const UserProfile* profile = ClientProfilesUser();
        std::string best = profile ? profile->FindUnlockByPrefix(args[1]) : std::string();
        if (gUserVarSystem)
            gUserVarSystem->SetStringByName(args[0], best.empty() ? args[2] : best);
    });
    ClientCommandTable::Attach(app, "updateStory", [](const Args& args) {
        if (!gUserVarSystem || !gDatabase)
            return;
        if (const DatabaseEntry* record = gDatabase->FindEntryByName(gUserVarSystem->GetStringByName(args[0])))
            gUserVarSystem->SetStringByName(args[1], record->GetString("TextFile"));
    });
    if (!gCommandSystem)
        return;
    gCommandSystem->RegisterVerifyProc("verifyUserName", &UserProfile::ValidateNewUserName);
    gCommandSystem->RegisterInfoProc("getAvailableUsers", &ClientProfiles::GetAvailableUsers);
    gCommandSystem->RegisterInfoProc("getWorldNames",
                                     [](std::vector<ListEntry>& rows) { GetWorldNames(rows, true, true, false); });
    gCommandSystem->RegisterInfoProc("getUserWorldNames",
                                     [](std::vector<ListEntry>& rows) { GetWorldNames(rows, false, true, true); });
    gCommandSystem->RegisterInfoProc("getClassNames", [](std::vector<ListEntry>& rows) { GetClassNames(rows, true); });
    gCommandSystem->RegisterInfoProc("getUserClassNames",
                                     [](std::vector<ListEntry>& rows) { GetClassNames(rows, false); });
}
