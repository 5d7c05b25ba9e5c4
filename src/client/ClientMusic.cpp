// ClientMusic -- the client's tuning of the "GameSystem" record: the interface sounds, the music chosen each frame and its cross-fades, the levels' ambient sound banks and the NPCs' recorded voices.
#include "client/ClientMusic.h"

#include "audio/LevelSoundBankResource.h"
#include "audio/SoundSystem.h"
#include "client/ClientApp.h"
#include "client/ClientCommandTable.h"
#include "client/ClientSoundWorld.h"
#include "client/ClientUi.h"
#include "client/EntityClient.h"
#include "client/GameClient.h"
#include "client/LocalPlayerLink.h"
#include "core/Database.h"
#include "core/DatabaseEntry.h"
#include "core/DebugSystem.h"
#include "core/StringUtil.h"
#include "core/UserVarSystem.h"
#include "resources/ResourceManager.h"
#include "world/World.h"

#include <cstdlib>

namespace {

constexpr const char* kClientMusicSoundKeys[ClientMusic::kSoundCount] = {
    "SoundNameItemPickup",    "SoundNameQuestComplete", "SoundNameQuestFailed",      "SoundNameMessageAlert",
    "SoundNameInvalidAction", "SoundNameLostEffect",    "SoundNameBuyItem",          "SoundNameSellItem",
    "SoundNameUseSlot",       "SoundNameSkillIncrease", "SoundNameAttributeIncrease", "SoundNameWonGame",
    "SoundNameLostGame",
};

constexpr const char* kClientMusicPlayerSoundKeys[ClientMusic::kPlayerSoundCount] = {
    "SoundNameIdentifying",      "SoundNameDoneIdentifying", "SoundNameOpeningChest", "SoundNameSearchingSecretStash",
    "SoundNameSearchingDeadBody", "SoundNameCreatingGate",   "SoundNameTimeTick",     "SoundNameLowHealth",
};

void ClientMusicLoadSounds(const DatabaseEntry& entry, const char* const* keys, ResourceHandle* handles, int32_t count)
{
    for (int32_t i = 0; i < count; ++i) {
        std::string name = entry.GetString(keys[i]);
        handles[i].Reset();
        if (!name.empty() && gResourceManager)
            gResourceManager->Load(name, handles[i]);
    }
}

bool ClientMusicSoundOn()
{
    return gSoundSystem && gSoundSystem->IsInitialised();
}

LocalPlayerLink* ClientMusicLink()
{
    return gClientApp ? gClientApp->GetLink() : nullptr;
}

bool ClientMusicInGame()
{
    return gClientApp && gClientApp->IsActive();
}

} // namespace

void ClientMusic::LoadGameSystem(const Database& database)
{
    const DatabaseEntry* entry = database.FindEntryByName("GameSystem");
    if (!entry) {
        DebugSystem::Print(kPrintError, "GameSystem database entry not found!\n");
        return;
    }
    ClientMusicLoadSounds(*entry, kClientMusicSoundKeys, sounds.data(), kSoundCount);
    ClientMusicLoadSounds(*entry, kClientMusicPlayerSoundKeys, playerSounds.data(), kPlayerSoundCount);
    themeMusicName = entry->GetString("ThemeMusicName");
    musicFadeTime = entry->GetFloat("MusicFadeTime", 0.0f);
    std::vector<std::string> names;
    entry->GetStringList("precache", names, true, false);
    for (const std::string& name : names) {
        if (!gResourceManager)
            break;
        // Held for the whole run, so that the first use never waits for the loader.
        ResourceHandle held;
        gResourceManager->Load(name, held);
        precached.push_back(std::move(held));
    }
}

void ClientMusic::RegisterCommands()
{
    if (!gClientApp)
        return;
    ClientCommandTable::Attach(*gClientApp, "stopNpcChatSound", [](const std::vector<std::string>&) {
        if (gGameClient)
            gGameClient->GetMusic().StopNpcChatSound();
    });
    ClientCommandTable::Attach(*gClientApp, "playStoryVoice", [](const std::vector<std::string>& args) {
        if (gGameClient && !args.empty())
            gGameClient->GetMusic().PlayStoryVoice(args[0], args.size() > 1 && std::atoi(args[1].c_str()) != 0);
    });
    // The menus' story voice, spoken before a game for no entity.
    ClientCommandTable::Attach(*gClientApp, "stopStoryVoice", [](const std::vector<std::string>&) {
        if (gGameClient)
            gGameClient->GetMusic().StopStoryVoice(-1);
    });
}

// ---- Music ---------------------------------------------------------------------------------------

void ClientMusic::ChooseTrack(float& volume, std::string& out) const
{
    volume = 1.0f;
    ClientUi* ui = gClientApp ? gClientApp->GetUi() : nullptr;
    std::string menuMusic = ui ? ui->GetMenuMusic() : std::string();
    if (!menuMusic.empty()) {
        out = menuMusic;
        return;
    }
    if (!ClientMusicInGame()) {
        out = themeMusicName;
        return;
    }
    if (!musicOverrideName.empty()) {
        volume = musicOverrideVolume;
        out = musicOverrideName;
        return;
    }
    LocalPlayerLink* link = ClientMusicLink();
    if (link && gWorld)
        out = gWorld->GetLevelMusicName(link->GetPosition().level);
    else
        out.clear();
}

void ClientMusic::UpdateMusic()
{
    if (!ClientMusicSoundOn())
        return;
    // Chosen every frame into the kept name: copied over its own room, never a new string.
    std::string& wanted = wantedTrack;
    wanted.clear();
    float volume = 1.0f;
    if (gSoundSystem->GetMusicVolume() > 0.0f)
        ChooseTrack(volume, wanted);
    if (!wanted.empty() && StringEqualsNoCase(wanted, musicName)) {
        gSoundSystem->SetMusicVolume(musicFadeTime, volume);
        return;
    }
    if (!wanted.empty()) {
        if (gResourceManager)
            gResourceManager->Load(wanted, musicHandle);
        musicName = wanted;
        if (musicHandle.IsValid())
            gSoundSystem->PlayMusic(musicHandle, musicFadeTime, volume);
        return;
    }
    if (!musicName.empty()) {
        gSoundSystem->StopMusic(musicFadeTime);
        musicName.clear();
    }
}

void ClientMusic::SetMusicOverride(int32_t recordId, float volume)
{
    if (recordId != musicOverrideId) {
        musicOverrideId = recordId;
        const DatabaseEntry* record = gDatabase ? gDatabase->GetEntryByIndex(recordId) : nullptr;
        musicOverrideName = record ? record->GetString("Music") : std::string();
    }
    musicOverrideVolume = volume;
}

// ---- Level sounds --------------------------------------------------------------------------------

int32_t ClientMusic::GetLevelSoundBank(int32_t level) const
{
    if (level < 0 || level >= GetLevelSoundBankCount())
        return -1;
    return levelSoundBanks[static_cast<size_t>(level)];
}

void ClientMusic::OnLevelLoaded(int32_t level)
{
    // Only levels of the world's list: the index sizes the bank list, and a stray one would grow
    // it without bound.
    if (!gWorld || level < 0 || level >= gWorld->GetLevelCount())
        return;
    std::string bankName = gWorld->GetLevelSoundFileName(level);
    if (bankName.empty() || !gResourceManager)
        return;
    if (level >= GetLevelSoundBankCount())
        levelSoundBanks.resize(static_cast<size_t>(level) + 1);
    gResourceManager->Load(bankName, levelSoundBanks[static_cast<size_t>(level)]);
}

void ClientMusic::OnLevelUnloaded(int32_t level)
{
    if (level >= 0 && level < GetLevelSoundBankCount())
        levelSoundBanks[static_cast<size_t>(level)].Reset();
}

void ClientMusic::UpdateLevelSounds(float dt)
{
    LocalPlayerLink* link = ClientMusicLink();
    // While the area editor is open the level's own sounds wait.
    if (!ClientMusicInGame() || gClientApp->IsAreaEditorOpen() || !link || link->GetEntityNumber() == -1 ||
        !gResourceManager)
        return;
    int32_t handle = GetLevelSoundBank(link->GetPosition().level);
    if (handle == -1)
        return;
    auto* bank = dynamic_cast<LevelSoundBankResource*>(gResourceManager->Get(handle));
    if (!bank)
        return;
    bank->Update(dt);
    if (bank->GetBaseSoundName() == levelSoundName)
        return;
    bank->StopBaseSound();
    bank->StartBaseSound();
    levelSoundName = bank->GetBaseSoundName();
}

// ---- Voices and interface sounds -----------------------------------------------------------------

std::string ClientMusic::VoiceKey(const std::string& text)
{
    std::string key = text;
    size_t marker = key.find("$$");
    if (marker != std::string::npos)
        key.erase(0, marker + 2);
    size_t cut = key.find('~');
    if (cut != std::string::npos)
        key.resize(cut);
    return key;
}

void ClientMusic::PlayNpcChatVoice(const std::string& text)
{
    LocalPlayerLink* link = ClientMusicLink();
    EntityClient* speaker = link && gGameClient ? gGameClient->GetEntity(link->GetChatPartner()) : nullptr;
    if (!speaker)
        return;
    std::string soundName = gDatabase ? gDatabase->GetEntryFieldString("DialogSoundSystem", VoiceKey(text)) : "";
    if (soundName.empty() || !gResourceManager)
        return;
    ResourceHandle voice;
    gResourceManager->Load(soundName, voice);
    StopNpcChatSound();
    if (!ClientMusicSoundOn() || !voice.IsValid())
        return;
    gSoundSystem->PlayOwnedSound(voice, ClientSoundPos(speaker->position), speaker->entityNumber,
                                 kSoundSlotDialog, false, 0.0f, 0.0f);
    npcChatSound = voice;
}

void ClientMusic::PlayStoryVoice(const std::string& userVar, bool force)
{
    LocalPlayerLink* link = ClientMusicLink();
    int32_t owner = link ? link->GetEntityNumber() : -1;
    StopStoryVoice(owner);
    if (!force && gUserVarSystem && gUserVarSystem->GetBoolByName("s_muteVoice"))
        return;
    std::string voiceFile = gDatabase && gUserVarSystem
                                ? gDatabase->GetEntryFieldString(gUserVarSystem->GetStringByName(userVar), "VoiceFile")
                                : "";
    if (voiceFile.empty() || !gResourceManager || !ClientMusicSoundOn())
        return;
    // The channel holds the sound while it plays; this handle lets go at the end.
    ResourceHandle voice;
    gResourceManager->Load(voiceFile, voice);
    if (voice.IsValid())
        gSoundSystem->PlayOwnedSound(voice, SoundPos{}, owner, kSoundSlotDialog, false, 0.0f, 0.0f);
}

void ClientMusic::StopStoryVoice(int32_t owner)
{
    if (!ClientMusicSoundOn())
        return;
    if (SoundInstance* channel = gSoundSystem->FindOwnerChannel(owner, kSoundSlotDialog))
        channel->Stop();
}

void ClientMusic::StopNpcChatSound()
{
    if (npcChatSound != -1 && ClientMusicSoundOn()) {
        for (int32_t i = 0; i < SoundSystem::kChannelCount; ++i) {
            SoundInstance* channel = gSoundSystem->GetChannel(i);
            if (channel && channel->IsActive() && channel->GetSlot() == kSoundSlotDialog &&
                channel->GetResource() == npcChatSound) {
                channel->Stop();
                break;
            }
        }
    }
    npcChatSound = -1;
}

void ClientMusic::FindLocalPlayerSpot(int32_t& owner, SoundPos& where)
{
    LocalPlayerLink* link = ClientMusicLink();
    owner = link ? link->GetEntityNumber() : -1;
    EntityClient* body = gGameClient ? gGameClient->GetEntity(owner) : nullptr;
    if (body)
        where = ClientSoundPos(body->position);
    else if (link)
        where = ClientSoundPos(link->GetPosition());
}

void ClientMusic::PlayInterfaceSound(InterfaceSound which) const
{
    int32_t owner = -1;
    SoundPos where;
    FindLocalPlayerSpot(owner, where);
    PlayInterfaceSoundAt(which, owner, where);
}

void ClientMusic::PlayNamedSound(const std::string& name) const
{
    if (name.empty() || !gResourceManager || !ClientMusicSoundOn())
        return;
    ResourceHandle sound;
    gResourceManager->Load(name, sound);
    int32_t owner = -1;
    SoundPos where;
    FindLocalPlayerSpot(owner, where);
    if (sound.IsValid())
        gSoundSystem->PlayOwnedSound(sound, where, owner, 0, false, 0.0f, 0.0f);
}

void ClientMusic::PlayInterfaceSoundAt(InterfaceSound which, int32_t owner, const SoundPos& where) const
{
    int32_t handle = GetSound(which);
    if (ClientMusicSoundOn() && handle != -1)
        gSoundSystem->PlayOwnedSound(handle, where, owner, 0, false, 0.0f, 0.0f);
}

// ---- Life ----------------------------------------------------------------------------------------

void ClientMusic::Reset()
{
    levelSoundName.clear();
    musicOverrideName.clear();
    musicOverrideId = -1;
}

void ClientMusic::Release()
{
    for (ResourceHandle& sound : sounds)
        sound.Reset();
    for (ResourceHandle& sound : playerSounds)
        sound.Reset();
    precached.clear();
    musicHandle.Reset();
    musicName.clear();
    levelSoundBanks.clear();
}
