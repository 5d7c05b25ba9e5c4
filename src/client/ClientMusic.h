// ClientMusic -- the client's tuning of the "GameSystem" record: the interface sounds, the music chosen each frame and its cross-fades, the levels' ambient sound banks and the NPCs' recorded voices.
#pragma once

#include "audio/SoundWorld.h"
#include "resources/ResourceHandle.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

class Database;

// The interface sounds, in the order of their "SoundName..." keys.
enum class InterfaceSound : int32_t {
    ItemPickup,
    QuestComplete,
    QuestFailed,
    MessageAlert,
    InvalidAction,
    LostEffect,
    BuyItem,
    SellItem,
    UseSlot,
    SkillIncrease,
    AttributeIncrease,
    WonGame,
    LostGame,
    kCount
};

// The local player's own sounds, in the order of their "SoundName..." keys: the five timed
// actions it can be busy with (2 to 6 of the host's timers, with the end of identifying), the
// quest clock's tick and the low-health warning.
enum class PlayerSound : int32_t {
    Identifying,
    DoneIdentifying,
    OpeningChest,
    SearchingSecretStash,
    SearchingDeadBody,
    CreatingGate,
    TimeTick,
    LowHealth,
    kCount
};

// Main thread only. Owned by the game client; every operation does nothing while the sound
// system is missing or switched off, except the bookkeeping of names and handles.
class ClientMusic {
public:
    static constexpr int32_t kSoundCount = static_cast<int32_t>(InterfaceSound::kCount);
    static constexpr int32_t kPlayerSoundCount = static_cast<int32_t>(PlayerSound::kCount);

    // Reads the record once; without it, one error line and every field as it was.
    void LoadGameSystem(const Database& database);
    // "stopNpcChatSound".
    void RegisterCommands();

    // Once a client frame, in a game and outside it: the menus' music, else the theme outside a
    // game, else the player's level's music or the override.
    void UpdateMusic();
    // A database record whose "Music" replaces the level's music; the volume is taken always.
    void SetMusicOverride(int32_t recordId, float volume);
    // The world's client-side level callbacks.
    void OnLevelLoaded(int32_t level);
    void OnLevelUnloaded(int32_t level);
    // Once a frame while a game is shown: the player's level's sound bank.
    void UpdateLevelSounds(float dt);
    // The recorded line of an NPC chat text ("... $$Key$$ ..."), at the NPC the player talks to.
    void PlayNpcChatVoice(const std::string& text);
    void StopNpcChatSound();
    // The "VoiceFile" of the record the user var names, spoken for the local player (owner -1
    // before a game) in the dialog slot after the voice already speaking for it is stopped;
    // "s_muteVoice" keeps it silent unless forced.
    void PlayStoryVoice(const std::string& userVar, bool force);
    // The story voice of that owner stopped.
    void StopStoryVoice(int32_t owner);

    // Plays the named sound once at the local player's entity; nothing for an empty name.
    void PlayNamedSound(const std::string& name) const;
    // Plays the interface sound at the local player's entity, when it is loaded.
    void PlayInterfaceSound(InterfaceSound which) const;
    void PlayInterfaceSoundAt(InterfaceSound which, int32_t owner, const SoundPos& where) const;
    // The local player's entity number and place (-1 and the origin without a player).
    static void FindLocalPlayerSpot(int32_t& owner, SoundPos& where);
    int32_t GetSound(InterfaceSound which) const { return sounds[static_cast<size_t>(which)]; }
    // The loaded sound, -1 when its key names none or it did not load.
    int32_t GetPlayerSound(PlayerSound which) const { return playerSounds[static_cast<size_t>(which)]; }

    // A new game: no level sound, no override.
    void Reset();
    // Lets go of every handle before the resources are flushed.
    void Release();

    const std::string& GetThemeMusicName() const { return themeMusicName; }
    const std::string& GetMusicName() const { return musicName; }
    const std::string& GetMusicOverrideName() const { return musicOverrideName; }
    const std::string& GetLevelSoundName() const { return levelSoundName; }
    int32_t GetLevelSoundBank(int32_t level) const;
    int32_t GetLevelSoundBankCount() const { return static_cast<int32_t>(levelSoundBanks.size()); }
    int32_t GetNpcChatSound() const { return npcChatSound; }

private:
    // The track wanted now, written over out, and its volume; empty for none.
    void ChooseTrack(float& volume, std::string& out) const;
    static std::string VoiceKey(const std::string& text);

    // The track UpdateMusic last chose.
    std::string wantedTrack;

    std::array<ResourceHandle, kSoundCount> sounds;
    // Loaded once with the record: the player mirror is made for every saved-character row too.
    std::array<ResourceHandle, kPlayerSoundCount> playerSounds;
    std::string themeMusicName;
    float musicFadeTime = 0.0f;
    std::vector<ResourceHandle> precached;
    std::string musicName;
    ResourceHandle musicHandle;
    int32_t musicOverrideId = -1;
    float musicOverrideVolume = 1.0f;
    std::string musicOverrideName;
    std::vector<ResourceHandle> levelSoundBanks;
    std::string levelSoundName;
    // The resource the voice channel plays; the channel holds it.
    int32_t npcChatSound = -1;
};
