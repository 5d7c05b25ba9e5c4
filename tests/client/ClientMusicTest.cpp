// ClientMusicTest -- the client's music choice (menus first, the theme outside a game, the level's track or the override in one), the same track only changing its volume, the levels' sound banks and the NPC voices, on the real sound system over a recording driver.
#include "client/ClientServicesWorld.h"

#include "client/WeatherClient.h"

#include "core/Database.h"
#include "core/DatabaseEntry.h"
#include "entities/Actor.h"
#include "support/LogLines.h"
#include "support/ShippedGame.h"
#include "world/AreaDefinition.h"
#include "world/Level.h"
#include "world/World.h"

namespace {

class ClientMusicChoice : public ClientServicesWorld {
protected:
    void SetUp() override
    {
        for (const char* track : {"Music/theme.ogg", "Music/meadow.ogg", "Music/menu.ogg", "Music/battle.ogg"})
            WriteTrack(track);
    }

    void JoinWithMusic(const std::string& records = "")
    {
        JoinWithTuning("ThemeMusicName \"Music/theme.ogg\"\nMusicFadeTime 2", records);
        Level* level = gWorld->GetLevel(link->position.level);
        ASSERT_NE(level, nullptr);
        level->area->musicName = "Music/meadow.ogg";
    }

    ClientMusic& Music() { return gameClient->GetMusic(); }
};

TEST_F(ClientMusicChoice, TheThemePlaysOutsideAGameAndTheLevelsTrackInOne)
{
    LoadRecords("GameSystem\n{\n    ThemeMusicName \"Music/theme.ogg\"\n    MusicFadeTime 2\n}\n");
    Music().LoadGameSystem(database);
    Music().UpdateMusic();
    EXPECT_EQ(PlayingTrack(), "Music/theme.ogg");
    EXPECT_EQ(Music().GetMusicName(), "Music/theme.ogg");
    // The cross-fade takes the record's two seconds.
    EXPECT_TRUE(sound->GetChannel(sound->GetMusicChannel())->IsFading());

    JoinWithMusic();
    Music().UpdateMusic();
    EXPECT_EQ(PlayingTrack(), "Music/meadow.ogg");
}

TEST_F(ClientMusicChoice, TheMenusMusicComesFirstEvenInAGame)
{
    JoinWithMusic();
    ui.menuMusic = "Music/menu.ogg";
    Music().UpdateMusic();
    EXPECT_EQ(PlayingTrack(), "Music/menu.ogg");
    ui.menuMusic.clear();
    Music().UpdateMusic();
    EXPECT_EQ(PlayingTrack(), "Music/meadow.ogg");
}

TEST_F(ClientMusicChoice, TheSameTrackInAnotherCaseOnlyChangesTheVolume)
{
    JoinWithMusic();
    Music().UpdateMusic();
    int32_t channel = sound->GetMusicChannel();
    gWorld->GetLevel(link->position.level)->area->musicName = "MUSIC/Meadow.OGG";
    for (int frame = 0; frame < 3; ++frame)
        Music().UpdateMusic();
    // PlayMusic would have moved the track to the other music channel.
    EXPECT_EQ(sound->GetMusicChannel(), channel);
    EXPECT_EQ(Music().GetMusicName(), "Music/meadow.ogg");
}

TEST_F(ClientMusicChoice, AnOverrideReplacesTheLevelsTrackAtItsVolumeUntilItsRecordIsGone)
{
    JoinWithMusic("MusicBattle\n{\n    Music \"Music/battle.ogg\"\n}\n");
    const DatabaseEntry* record = database.FindEntryByName("MusicBattle");
    ASSERT_NE(record, nullptr);
    Music().SetMusicOverride(record->GetId(), 0.5f);
    Music().UpdateMusic();
    EXPECT_EQ(PlayingTrack(), "Music/battle.ogg");
    // At the end of the two seconds' fade-in.
    Advance(2.0f);
    sound->Update();
    EXPECT_FLOAT_EQ(sound->GetChannel(sound->GetMusicChannel())->GetVolume(), 0.5f);
    // The same record again only takes the new volume.
    Music().SetMusicOverride(record->GetId(), 0.25f);
    EXPECT_EQ(Music().GetMusicOverrideName(), "Music/battle.ogg");
    // An id without a record is no override: the level's track returns.
    Music().SetMusicOverride(-1, 1.0f);
    EXPECT_EQ(Music().GetMusicOverrideName(), "");
    Music().UpdateMusic();
    EXPECT_EQ(PlayingTrack(), "Music/meadow.ogg");
}

TEST_F(ClientMusicChoice, AtMusicVolumeZeroTheTrackFadesOutOnceAndReturnsWithTheVolume)
{
    JoinWithMusic();
    Music().UpdateMusic();
    int32_t first = sound->GetMusicChannel();
    vars.SetStringByName("s_volumeMusic", "0");
    sound->Update();
    Music().UpdateMusic();
    EXPECT_EQ(Music().GetMusicName(), "");
    EXPECT_TRUE(sound->GetChannel(first)->IsFadingOut());
    for (int frame = 0; frame < 3; ++frame) {
        Advance(1.0f);
        sound->Update();
        Music().UpdateMusic();
    }
    EXPECT_EQ(PlayingTrack(), "");
    vars.SetStringByName("s_volumeMusic", "1");
    sound->Update();
    Music().UpdateMusic();
    EXPECT_EQ(PlayingTrack(), "Music/meadow.ogg");
}

TEST_F(ClientMusicChoice, WithoutTheGameSystemRecordOneErrorAndNoTheme)
{
    LoadRecords("Other\n{\n}\n");
    int before = CountLinesHolding(debug, "GameSystem database entry not found!");
    Music().LoadGameSystem(database);
    EXPECT_EQ(CountLinesHolding(debug, "^c001GameSystem database entry not found!"), before + 1);
    Music().UpdateMusic();
    EXPECT_EQ(PlayingTrack(), "");
    EXPECT_EQ(Music().GetSound(InterfaceSound::ItemPickup), -1);
}

TEST_F(ClientMusicChoice, TheInterfaceSoundsTakeTheirSlotsInTheKeysOrder)
{
    WriteSound("Sounds/pickup.wav");
    WriteSound("Sounds/lost.wav");
    JoinWithTuning("SoundNameItemPickup \"Sounds/pickup.wav\"\nSoundNameLostGame \"Sounds/lost.wav\"");
    EXPECT_EQ(manager->GetName(Music().GetSound(InterfaceSound::ItemPickup)), "Sounds/pickup.wav");
    EXPECT_EQ(manager->GetName(Music().GetSound(InterfaceSound::LostGame)), "Sounds/lost.wav");
    EXPECT_EQ(Music().GetSound(InterfaceSound::MessageAlert), -1);
    Music().PlayInterfaceSound(InterfaceSound::ItemPickup);
    EXPECT_EQ(PlayingSounds(), std::vector<std::string>{"Sounds/pickup.wav"});
}

// ---- Level sound banks ----

class ClientMusicLevels : public ClientServicesWorld {
protected:
    void SetUp() override
    {
        WriteSound("Sounds/wind.wav");
        folder.Write("Assets/Sounds/meadow.lsb", "baseSound \"Sounds/wind.wav\"\n");
    }
};

TEST_F(ClientMusicLevels, EveryLoadedLevelOfTheWorldHasItsBankAndNoneBeyondIt)
{
    StartAndJoin();
    for (int32_t i = 0; i < gWorld->GetLevelCount(); ++i)
        gWorld->GetLevel(i)->area->soundFileName = "Sounds/meadow.lsb";
    ClientMusic& music = gameClient->GetMusic();
    music.OnLevelLoaded(1);
    EXPECT_EQ(music.GetLevelSoundBankCount(), 2);
    EXPECT_EQ(music.GetLevelSoundBank(0), -1);
    EXPECT_EQ(manager->GetName(music.GetLevelSoundBank(1)), "Sounds/meadow.lsb");
    // An index past the world's list would size the list: it is left out.
    music.OnLevelLoaded(gWorld->GetLevelCount());
    music.OnLevelLoaded(1 << 30);
    music.OnLevelLoaded(-1);
    EXPECT_EQ(music.GetLevelSoundBankCount(), 2);
    music.OnLevelUnloaded(1);
    EXPECT_EQ(music.GetLevelSoundBank(1), -1);
    music.OnLevelUnloaded(7);
}

TEST_F(ClientMusicLevels, TheBankOfThePlayersLevelStartsItsBaseSoundOnce)
{
    StartAndJoin();
    int32_t here = link->position.level;
    gWorld->GetLevel(here)->area->soundFileName = "Sounds/meadow.lsb";
    ClientMusic& music = gameClient->GetMusic();
    music.UpdateLevelSounds(0.1f);
    EXPECT_EQ(music.GetLevelSoundName(), "");
    music.OnLevelLoaded(here);
    // The level's sounds wait while the area editor is open.
    bool editorOpen = true;
    app->GetHooks().editorOpen = [&editorOpen] { return editorOpen; };
    music.UpdateLevelSounds(0.1f);
    EXPECT_EQ(music.GetLevelSoundName(), "");
    EXPECT_TRUE(PlayingSounds().empty());
    editorOpen = false;
    music.UpdateLevelSounds(0.1f);
    music.UpdateLevelSounds(0.1f);
    EXPECT_EQ(music.GetLevelSoundName(), "Sounds/wind.wav");
    EXPECT_EQ(PlayingSounds(), std::vector<std::string>{"Sounds/wind.wav"});
    // A new game forgets the level sound.
    gameClient->Reset();
    EXPECT_EQ(music.GetLevelSoundName(), "");
}

TEST_F(ClientMusicLevels, TheWorldsLevelCallbacksLoadAndReleaseTheBanks)
{
    gWorld->Create();
    GameClient::RegisterLevelCallbacks();
    StartAndJoin();
    for (int32_t i = 0; i < gWorld->GetLevelCount(); ++i)
        gWorld->GetLevel(i)->area->soundFileName = "Sounds/meadow.lsb";
    gWorld->NotifyLevelGenerated(0, true);
    EXPECT_EQ(manager->GetName(gameClient->GetMusic().GetLevelSoundBank(0)), "Sounds/meadow.lsb");
    gWorld->NotifyLevelReleased(0, true);
    EXPECT_EQ(gameClient->GetMusic().GetLevelSoundBank(0), -1);
}

// ---- NPC voices ----

class ClientMusicVoice : public ClientServicesWorld {
protected:
    void SetUp() override
    {
        WriteSound("Sounds/Voices/greeting.wav");
        StartAndJoin("DialogSoundSystem\n{\n    ChatGreeting \"Sounds/Voices/greeting.wav\"\n}\n");
        ClientFrame(0);
        link->chatPartner = link->GetEntityNumber();
    }

    // The channel that plays the voice; null when none does.
    SoundInstance* VoiceChannel()
    {
        for (int32_t i = 0; i < SoundSystem::kChannelCount; ++i) {
            SoundInstance* channel = sound->GetChannel(i);
            if (channel->IsActive() && channel->GetSlot() == kSoundSlotDialog)
                return channel;
        }
        return nullptr;
    }
};

TEST_F(ClientMusicVoice, TheVoiceKeyIsCutAfterTheMarkerAndBeforeTheTilde)
{
    ASSERT_NE(gameClient->GetEntity(link->chatPartner), nullptr);
    for (const char* text : {"Elder: $$ChatGreeting~2", "$$ChatGreeting", "ChatGreeting~anything"}) {
        gameClient->GetMusic().PlayNpcChatVoice(text);
        SoundInstance* voice = VoiceChannel();
        ASSERT_NE(voice, nullptr) << text;
        EXPECT_EQ(voice->GetOwner(), link->chatPartner);
        EXPECT_EQ(manager->GetName(voice->GetResource()), "Sounds/Voices/greeting.wav");
        ExecuteCommandLine("stopNpcChatSound");
        EXPECT_EQ(VoiceChannel(), nullptr) << text;
        EXPECT_EQ(gameClient->GetMusic().GetNpcChatSound(), -1);
    }
}

TEST_F(ClientMusicVoice, AnUnknownKeyOrNoPartnerPlaysNothingAndANewLineReplacesTheOld)
{
    gameClient->GetMusic().PlayNpcChatVoice("$$ChatFarewell~1");
    EXPECT_EQ(VoiceChannel(), nullptr);
    gameClient->GetMusic().PlayNpcChatVoice("$$ChatGreeting");
    gameClient->GetMusic().PlayNpcChatVoice("$$ChatGreeting");
    EXPECT_EQ(PlayingSounds().size(), 1u);
    ExecuteCommandLine("stopNpcChatSound");
    link->chatPartner = -1;
    gameClient->GetMusic().PlayNpcChatVoice("$$ChatGreeting");
    EXPECT_EQ(VoiceChannel(), nullptr);
}

} // namespace

namespace {

// ---- The player's pick-up ----

class ClientMusicPickup : public ClientServices<PlayerClientWorld> {
protected:
    void SetUp() override
    {
        WriteSound("Sounds/UI/pebble.wav");
        StartWorldOnly("", "ItemPebble\n{\n    Type Item\n    PickupSoundName \"Sounds/UI/pebble.wav\"\n}\n"
                           "MusicBrawl\n{\n    Type Music\n    Music \"Music/brawl.ogg\"\n    IntensityMult 1\n"
                           "    PainIntensity 5\n    MaxIntensity 10\n    MinVolumeIntensity 1\n"
                           "    MaxVolumeIntensity 10\n}\n"
                           "ArchetypeBrute\n{\n    Type MonsterArchetype\n    InitChance 1\n    SpawnChance 1\n}\n"
                           "ActorBrute\n{\n    Type Actor\n}\n"
                           "MonsterBrute\n{\n    Type MonsterType\n    Archetype ArchetypeBrute\n"
                           "    Definition ActorBrute\n    MinLevel 1\n    MaxLevel 1\n    Music MusicBrawl\n}\n");
        MakePlayer();
        Join();
    }
};

TEST_F(ClientMusicPickup, TheFightMusicTheHostChoosesBecomesTheClientsOverride)
{
    auto* brute = Spawn<Actor>(hostPlayer->position.x + 20.0f, hostPlayer->position.y, hostPlayer->position.level);
    brute->SetUpFromMonsterType(gameData.FindMonsterType("MonsterBrute"), 1, false);
    ASSERT_NE(brute->GetMusic(), nullptr);
    hostPlayer->intensity.Add(brute, IntensityEvent::Pain);
    for (int frame = 0; frame < 3; ++frame)
        ClientFrame(50);
    EXPECT_EQ(gameClient->GetMusic().GetMusicOverrideName(), "Music/brawl.ogg");
}

TEST_F(ClientMusicPickup, ReachingForAnItemPlaysItsPickupSoundAtThePlayerOnce)
{
    Entity* pebble = Spawn<Entity>(hostPlayer->position.x + 20.0f, hostPlayer->position.y, hostPlayer->position.level);
    ClientFrame(50);
    ClientFrame(50);
    EntityClient* mirror = gameClient->GetEntity(pebble->entityNumber);
    ASSERT_NE(mirror, nullptr);
    mirror->record = database.FindEntryByName("ItemPebble");
    player->SetTarget(mirror, true);
    ASSERT_TRUE(player->SetInteractionMode(false, 23, false));
    EXPECT_EQ(PlayingSounds(), std::vector<std::string>{"Sounds/UI/pebble.wav"});
    SoundInstance* played = nullptr;
    for (int32_t i = SoundSystem::kMusicChannels; i < SoundSystem::kChannelCount && !played; ++i)
        if (sound->GetChannel(i)->IsActive())
            played = sound->GetChannel(i);
    ASSERT_NE(played, nullptr);
    EXPECT_EQ(played->GetOwner(), player->GetEntityNumber());
    // Without a sound named nothing plays.
    mirror->record = nullptr;
    sound->ReleaseChannels();
    ASSERT_TRUE(player->SetInteractionMode(false, 23, false));
    EXPECT_TRUE(PlayingSounds().empty());
}

} // namespace

namespace {

// ---- What the game ships ----

class ClientMusicShipped : public ClientServicesWorld {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(LinkShippedGame(folder.Path()));
        ASSERT_TRUE(DatabaseWorld::game.files.MountArchive("assets001.zip"));
        database.Load();
        gameData.Load(database);
    }
};

TEST_F(ClientMusicShipped, EveryInterfaceSoundTheWeatherAndTheVoicedLinePlay)
{
    ClientMusic& music = gameClient->GetMusic();
    music.LoadGameSystem(database);
    for (int32_t i = 0; i < ClientMusic::kSoundCount; ++i) {
        auto which = static_cast<InterfaceSound>(i);
        ASSERT_NE(music.GetSound(which), -1) << i;
        sound->ReleaseChannels();
        music.PlayInterfaceSound(which);
        EXPECT_EQ(PlayingSounds().size(), 1u) << i;
    }
    EXPECT_EQ(music.GetThemeMusicName(), "Music/theme.ogg");

    WeatherClient weather;
    weather.Init(database);
    EXPECT_NE(weather.GetThunderSound(), -1);
    EXPECT_GT(weather.lowestSunlightMult, 0.0f);
    EXPECT_EQ(CountLinesHolding(debug, "outside a to z"), 0);

    const DatabaseEntry* voices = database.FindEntryByName("DialogSoundSystem");
    ASSERT_NE(voices, nullptr);
    EXPECT_NE(voices->GetString("ChatVendorTrade1"), "");
}

} // namespace
