// SoundSystemTest -- the sound front end over a recording driver: start-up, channels, owned slots, pause, mute, fades and music.
#include "audio/AudioWorld.h"
#include "audio/MusicResource.h"
#include "core/CommandSystem.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

class FrontEnd : public AudioWorld {
protected:
    FrontEnd() { WriteSounds(); }

    // Plays the named sound on a free channel; the channel, or null when there was none.
    SoundInstance* Play(const std::string& name, int32_t owner = -1, int32_t slot = 0, bool loop = false,
                        float fadeIn = 0.0f, SoundPos where = {})
    {
        ResourceHandle handle;
        Load(name, handle);
        SoundInstance* channel = sound->FindFreeChannel();
        if (channel)
            channel->Play(handle, where, owner, slot, loop, 0.0f, fadeIn);
        return channel;
    }

    int CountActive() const
    {
        int count = 0;
        for (int32_t i = 0; i < SoundSystem::kChannelCount; ++i)
            count += sound->GetChannel(i)->IsActive() ? 1 : 0;
        return count;
    }
};

} // namespace

TEST_F(FrontEnd, StartUpRegistersTheVarsAndBuildsTheChannelsOverTheDriversSources)
{
    ASSERT_TRUE(Start(12));
    EXPECT_TRUE(sound->IsInitialised());
    EXPECT_EQ(sound->GetSourceCount(), 12);
    EXPECT_NE(sound->GetChannel(255), nullptr);
    EXPECT_EQ(sound->GetChannel(256), nullptr);
    EXPECT_EQ(driver->Calls(), (std::vector<std::string>{"Init", "PostInit", "Speakers 4"}));
    EXPECT_EQ(CountLogged("Sound system initialized"), 1);
    for (const char* name : {"s_cpuUsage", "s_soundsPlaying", "s_initSound", "s_moveOffListener", "s_volumeMaster",
                             "s_volumeSfx", "s_volumeMusic", "s_volumeDialog", "s_soundDevice", "s_speakerType"})
        EXPECT_NE(vars.FindVar(name), nullptr) << name;
    EXPECT_EQ(vars.GetStringByName("s_speakerType"), "Stereo");
    // "Stereo" reads as the integer 0: the first update passes 0.
    sound->Update();
    EXPECT_EQ(driver->CountCalls("Speakers 0"), 1);
    EXPECT_EQ(sound->GetSpeakerType(), 0);
    vars.SetStringByName("s_speakerType", "7");
    sound->Update();
    EXPECT_EQ(driver->CountCalls("Speakers 7"), 1);
    EXPECT_EQ(sound->GetDeviceName(), "Recording");
}

TEST_F(FrontEnd, WithSoundSwitchedOffNothingReachesTheDriverAndEveryCallIsANoOp)
{
    vars.SetStringByName("s_initSound", "0");
    ASSERT_TRUE(Start());
    EXPECT_FALSE(sound->IsInitialised());
    EXPECT_EQ(CountLogged("Skipped sound system initialization"), 1);
    EXPECT_EQ(sound->FindFreeChannel(), nullptr);
    ResourceHandle music;
    Load("Music/first.ogg", music);
    sound->PlayMusic(music, 0.0f, 1.0f);
    ResourceHandle wav;
    Load("Sounds/mono.wav", wav);
    sound->PlayOwnedSound(wav, {}, 3, 1, false, 0.0f, 0.0f);
    EXPECT_TRUE(sound->Update());
    EXPECT_EQ(sound->GetMusicChannel(), -1);
    EXPECT_EQ(dynamic_cast<MusicResource*>(manager->Get(music))->GetStream(), 0);
    EXPECT_EQ(dynamic_cast<SoundResource*>(manager->Get(wav))->GetBuffer(), 0u);
    EXPECT_EQ(sound->GetDeviceName(), "");
}

TEST_F(FrontEnd, ANullDriverOrOneThatFailsToStartFailsTheStartUp)
{
    EXPECT_FALSE(sound->Init(nullptr));
    EXPECT_FALSE(Start(8, false));
    EXPECT_FALSE(sound->IsInitialised());
    EXPECT_EQ(sound->FindFreeChannel(), nullptr);
}

TEST_F(FrontEnd, SoundsTakeChannelsFromTwoUpwardAndSourcesFromTheirKindsRange)
{
    ASSERT_TRUE(Start());
    EXPECT_EQ(sound->FindFreeChannel()->GetIndex(), 2);
    SoundInstance* first = Play("Sounds/mono.wav");
    ASSERT_TRUE(first->IsActive());
    EXPECT_EQ(first->GetIndex(), 2);
    EXPECT_EQ(first->GetSourceIndex(), 2);
    EXPECT_EQ(sound->GetSourceChannel(2), 2);
    EXPECT_EQ(first->GetKind(), kSoundMono);
    SoundInstance* second = Play("Sounds/stereo.wav");
    EXPECT_EQ(second->GetIndex(), 3);
    EXPECT_EQ(second->GetKind(), kSoundStereo);
    SoundInstance* voice = Play("Sounds/voice.ogg", 4, kSoundSlotDialog);
    EXPECT_EQ(voice->GetKind(), kSoundDialog);
    SoundInstance* effect = Play("Sounds/voice.ogg");
    EXPECT_EQ(effect->GetKind(), kSoundStream);
    // Only mono buffers get a pitch, only positional kinds distances.
    EXPECT_EQ(driver->pitches.count(first->GetSourceHandle()), 1u);
    EXPECT_EQ(driver->pitches.count(second->GetSourceHandle()), 0u);
    EXPECT_EQ(driver->minimums.count(second->GetSourceHandle()), 0u);
    EXPECT_EQ(driver->minimums.at(voice->GetSourceHandle()), SoundInstance::kDefaultMinDistance);
}

TEST_F(FrontEnd, WhenEverySourceIsBusyANewSoundIsDroppedAndNoneIsCutOff)
{
    ASSERT_TRUE(Start(6));
    for (int i = 0; i < 4; ++i)
        ASSERT_TRUE(Play("Sounds/mono.wav")->IsActive()) << i;
    SoundInstance* dropped = Play("Sounds/mono.wav");
    ASSERT_NE(dropped, nullptr);
    EXPECT_FALSE(dropped->IsActive());
    EXPECT_EQ(CountActive(), 4);
    EXPECT_EQ(driver->CountCalls("StopSource"), 0);
    // The dropped channel is free again for the next sound.
    EXPECT_EQ(sound->FindFreeChannel(), dropped);
}

TEST_F(FrontEnd, ANumberedSlotReplacesTheOwnersOldSoundAndSlotZeroReplacesNothing)
{
    ASSERT_TRUE(Start());
    ResourceHandle wav;
    Load("Sounds/mono.wav", wav);
    sound->PlayOwnedSound(wav, {}, 12, 3, false, 0.0f, 0.0f);
    ASSERT_NE(sound->FindOwnerChannel(12, 3), nullptr);
    sound->PlayOwnedSound(wav, {}, 12, 3, false, 0.0f, 0.0f);
    EXPECT_EQ(CountActive(), 1);
    EXPECT_EQ(driver->CountCalls("StopSource 2"), 1);
    EXPECT_EQ(driver->CountCalls("PlayBuffer 2"), 2);
    sound->PlayOwnedSound(wav, {}, 12, 0, false, 0.0f, 0.0f);
    sound->PlayOwnedSound(wav, {}, 12, 0, false, 0.0f, 0.0f);
    EXPECT_EQ(CountActive(), 3);
    // Without an owner a numbered slot replaces nothing either.
    sound->PlayOwnedSound(wav, {}, -1, 3, false, 0.0f, 0.0f);
    sound->PlayOwnedSound(wav, {}, -1, 3, false, 0.0f, 0.0f);
    EXPECT_EQ(CountActive(), 5);
    sound->PlayOwnedSound(-1, {}, 12, 3, false, 0.0f, 0.0f);
    EXPECT_EQ(CountActive(), 5);
}

TEST_F(FrontEnd, AChannelHoldsAReferenceOnWhatItPlayed)
{
    ASSERT_TRUE(Start());
    int32_t row = -1;
    {
        ResourceHandle wav;
        row = Load("Sounds/mono.wav", wav);
        sound->FindFreeChannel()->Play(wav, {}, -1, 0, false, 0.0f, 0.0f);
        EXPECT_EQ(manager->GetReferenceCount(row), 2);
    }
    EXPECT_EQ(manager->GetReferenceCount(row), 1);
    sound->StopResource(row);
    EXPECT_EQ(CountActive(), 0);
}

TEST_F(FrontEnd, ASoundThatEndsFreesItsChannelAndSourceAtTheNextUpdate)
{
    ASSERT_TRUE(Start());
    SoundInstance* channel = Play("Sounds/mono.wav");
    sound->Update();
    EXPECT_TRUE(channel->IsActive());
    driver->End(channel->GetSourceHandle());
    sound->Update();
    EXPECT_FALSE(channel->IsActive());
    EXPECT_EQ(sound->GetSourceChannel(2), -1);
}

TEST_F(FrontEnd, ALoopWithoutAnOwnerPlaysOnAndOneWhoseOwnerIsGoneStops)
{
    ASSERT_TRUE(Start());
    world.entities[7] = {0, 10.0f, 20.0f, 0.0f};
    SoundInstance* menuLoop = Play("Sounds/mono.wav", -1, 0, true);
    SoundInstance* torch = Play("Sounds/mono.wav", 7, 0, true);
    for (int frame = 0; frame < 3; ++frame)
        sound->Update();
    EXPECT_TRUE(menuLoop->IsActive());
    EXPECT_TRUE(torch->IsActive());
    // The owner's sound follows it.
    EXPECT_EQ(torch->GetPosition().x, 10.0f);
    EXPECT_EQ(driver->positions.at(torch->GetSourceHandle()).y, 20.0f);
    world.entities.erase(7);
    sound->Update();
    EXPECT_FALSE(torch->IsActive());
    EXPECT_TRUE(menuLoop->IsActive());
}

TEST_F(FrontEnd, LoopsFallSilentDuringThePauseAndComeBackAfterIt)
{
    ASSERT_TRUE(Start());
    sound->Update();
    world.paused = true;
    sound->Update();
    SoundInstance* loop = Play("Sounds/mono.wav", -1, 0, true);
    SoundInstance* once = Play("Sounds/mono.wav");
    EXPECT_EQ(driver->Gain(loop->GetSourceHandle()), 0.0f);
    EXPECT_EQ(driver->Gain(once->GetSourceHandle()), 1.0f);
    world.paused = false;
    sound->Update();
    EXPECT_EQ(driver->Gain(loop->GetSourceHandle()), 1.0f);
}

TEST_F(FrontEnd, TheListenerIsMutedWhileTheWindowIsInactiveAndGetsTheMasterVolumeBack)
{
    ASSERT_TRUE(Start());
    vars.SetStringByName("s_volumeMaster", "0.6");
    sound->Update();
    EXPECT_FLOAT_EQ(driver->listenerGain, 0.6f);
    world.active = false;
    sound->Update();
    EXPECT_TRUE(sound->IsMuted());
    EXPECT_EQ(driver->listenerGain, 0.0f);
    world.active = true;
    sound->Update();
    EXPECT_FALSE(sound->IsMuted());
    EXPECT_FLOAT_EQ(driver->listenerGain, 0.6f);
}

TEST_F(FrontEnd, CategoryVolumesScaleTheirKindsWhenTheyChange)
{
    ASSERT_TRUE(Start());
    SoundInstance* effect = Play("Sounds/mono.wav");
    SoundInstance* voice = Play("Sounds/voice.ogg", 4, kSoundSlotDialog);
    vars.SetStringByName("s_volumeSfx", "0.5");
    vars.SetStringByName("s_volumeDialog", "0.25");
    sound->Update();
    EXPECT_EQ(driver->Gain(effect->GetSourceHandle()), 0.5f);
    EXPECT_EQ(driver->Gain(voice->GetSourceHandle()), 0.25f);
}

TEST_F(FrontEnd, AFadeInRisesWithTheClockToItsLevel)
{
    ASSERT_TRUE(Start());
    SoundInstance* channel = Play("Sounds/mono.wav", -1, 0, true, 2.0f);
    EXPECT_EQ(driver->Gain(channel->GetSourceHandle()), 0.0f);
    Advance(1.0f);
    sound->Update();
    EXPECT_FLOAT_EQ(driver->Gain(channel->GetSourceHandle()), 0.5f);
    Advance(1.5f);
    sound->Update();
    EXPECT_EQ(driver->Gain(channel->GetSourceHandle()), 1.0f);
    EXPECT_FALSE(channel->IsFading());
}

TEST_F(FrontEnd, AFadeCountsWholeMinutesBetweenTwoSteps)
{
    ASSERT_TRUE(Start());
    SoundInstance* channel = Play("Sounds/mono.wav", -1, 0, true, 200.0f);
    Advance(70.0f);
    sound->Update();
    EXPECT_FLOAT_EQ(channel->GetVolume(), 0.35f);
}

TEST_F(FrontEnd, AFadeOutStopsTheChannelWhenItReachesZero)
{
    ASSERT_TRUE(Start());
    SoundInstance* channel = Play("Sounds/mono.wav", -1, 0, true);
    channel->FadeOut(2.0f);
    EXPECT_EQ(sound->FindOwnerChannel(-1, 0), nullptr);
    Advance(1.0f);
    sound->Update();
    EXPECT_FLOAT_EQ(driver->Gain(channel->GetSourceHandle()), 0.5f);
    Advance(1.0f);
    sound->Update();
    EXPECT_FALSE(channel->IsActive());
    EXPECT_EQ(driver->CountCalls("StopSource"), 1);
}

TEST_F(FrontEnd, SettingAVolumeAtOnceEndsAFadeStillRunning)
{
    ASSERT_TRUE(Start());
    SoundInstance* channel = Play("Sounds/mono.wav", -1, 0, true, 10.0f);
    channel->SetVolumeFaded(0.0f, 0.3f);
    Advance(5.0f);
    sound->Update();
    EXPECT_FLOAT_EQ(channel->GetVolume(), 0.3f);
    EXPECT_FALSE(channel->IsFading());
    channel->SetVolumeFaded(2.0f, 0.1f);
    Advance(1.0f);
    sound->Update();
    EXPECT_FLOAT_EQ(channel->GetVolume(), 0.1f);
}

TEST_F(FrontEnd, MusicAlternatesBetweenChannelsZeroAndOneAndHoldsItsTrack)
{
    ASSERT_TRUE(Start());
    ResourceHandle first;
    ResourceHandle second;
    int32_t firstRow = Load("Music/first.ogg", first);
    Load("Music/second.ogg", second);
    sound->PlayMusic(first, 0.0f, 0.8f);
    EXPECT_EQ(sound->GetMusicChannel(), 0);
    SoundInstance* zero = sound->GetChannel(0);
    EXPECT_TRUE(zero->IsActive());
    EXPECT_EQ(zero->GetKind(), kSoundMusic);
    EXPECT_EQ(zero->GetSourceHandle(), 0);
    EXPECT_TRUE(driver->loops.at(0));
    EXPECT_FLOAT_EQ(driver->Gain(0), 0.8f);
    // The caller lets go; the playing channel keeps the track whose bytes it decodes.
    first.Reset();
    EXPECT_EQ(manager->GetReferenceCount(firstRow), 1);
    sound->PlayMusic(second, 0.0f, 1.0f);
    EXPECT_EQ(sound->GetMusicChannel(), 1);
    EXPECT_FALSE(zero->IsActive());
    EXPECT_TRUE(sound->GetChannel(1)->IsActive());
    EXPECT_EQ(sound->GetChannel(1)->GetSourceHandle(), 1);
    sound->PlayMusic(second, 0.0f, 1.0f);
    EXPECT_EQ(sound->GetMusicChannel(), 0);
    EXPECT_FALSE(sound->GetChannel(1)->IsActive());
    // A sound that is not music does not start music.
    ResourceHandle wav;
    Load("Sounds/mono.wav", wav);
    sound->PlayMusic(wav, 0.0f, 1.0f);
    EXPECT_EQ(sound->GetMusicChannel(), 0);
}

TEST_F(FrontEnd, MusicFollowsTheMusicVolumeAndStopsWithAFade)
{
    ASSERT_TRUE(Start());
    ResourceHandle track;
    Load("Music/first.ogg", track);
    sound->PlayMusic(track, 4.0f, 1.0f);
    vars.SetStringByName("s_volumeMusic", "0.5");
    Advance(2.0f);
    sound->Update();
    EXPECT_FLOAT_EQ(driver->Gain(0), 0.25f);
    sound->SetMusicVolume(0.0f, 0.2f);
    sound->RefreshKind(kSoundMusic);
    EXPECT_FLOAT_EQ(driver->Gain(0), 0.1f);
    sound->StopMusic(1.0f);
    Advance(1.0f);
    sound->Update();
    EXPECT_FALSE(sound->GetChannel(0)->IsActive());
    EXPECT_EQ(driver->CountCalls("StopStream 0"), 1);
}

TEST_F(FrontEnd, AMusicVolumeAskedForDuringAFadeOutTakesOverAndNeverOvershoots)
{
    ASSERT_TRUE(Start());
    ResourceHandle track;
    Load("Music/first.ogg", track);
    sound->PlayMusic(track, 0.0f, 0.9f);
    sound->StopMusic(2.0f);
    Advance(1.0f);
    sound->Update();
    EXPECT_FLOAT_EQ(driver->Gain(0), 0.45f);
    // Fade-out, then a fade back in: the music rises to the level and stays there.
    sound->SetMusicVolume(2.0f, 0.9f);
    float loudest = 0.0f;
    for (int second = 0; second < 6; ++second) {
        Advance(1.0f);
        sound->Update();
        loudest = std::max(loudest, driver->Gain(0));
    }
    SoundInstance* music = sound->GetChannel(0);
    EXPECT_TRUE(music->IsActive());
    EXPECT_FALSE(music->IsFading());
    EXPECT_FLOAT_EQ(loudest, 0.9f);
    EXPECT_FLOAT_EQ(driver->Gain(0), 0.9f);
    // An instant change reaches the driver at once, with no fade or volume change to carry it.
    sound->SetMusicVolume(0.0f, 0.3f);
    EXPECT_FLOAT_EQ(driver->Gain(0), 0.3f);
    // Back to the old level.
    sound->SetMusicVolume(1.0f, 0.9f);
    Advance(1.0f);
    sound->Update();
    EXPECT_FLOAT_EQ(driver->Gain(0), 0.9f);
    EXPECT_EQ(driver->CountCalls("StopStream 0"), 0);
}

TEST_F(FrontEnd, TheMusicAskedBackDuringAFadeOutKeepsPlaying)
{
    ASSERT_TRUE(Start());
    ResourceHandle track;
    Load("Music/first.ogg", track);
    // At once, to the level it had before the fade-out.
    sound->PlayMusic(track, 0.0f, 0.9f);
    sound->StopMusic(2.0f);
    Advance(0.5f);
    sound->Update();
    sound->SetMusicVolume(0.0f, 0.9f);
    EXPECT_FLOAT_EQ(driver->Gain(0), 0.9f);
    Advance(3.0f);
    sound->Update();
    EXPECT_TRUE(sound->GetChannel(0)->IsActive());
    EXPECT_FLOAT_EQ(driver->Gain(0), 0.9f);
    // Faded down to a lower level: it settles there rather than running on to silence.
    sound->StopMusic(2.0f);
    sound->SetMusicVolume(1.0f, 0.2f);
    for (int step = 0; step < 4; ++step) {
        Advance(0.5f);
        sound->Update();
    }
    EXPECT_TRUE(sound->GetChannel(0)->IsActive());
    EXPECT_FLOAT_EQ(driver->Gain(0), 0.2f);
    // A fade-out asked for again still ends the music.
    sound->StopMusic(1.0f);
    Advance(1.0f);
    sound->Update();
    EXPECT_FALSE(sound->GetChannel(0)->IsActive());
    EXPECT_EQ(driver->CountCalls("StopStream 0"), 1);
}

TEST_F(FrontEnd, ASoundOnTheListenersAxisIsMovedToOneSideAndStaysThere)
{
    ASSERT_TRUE(Start());
    vars.SetStringByName("s_moveOffListener", "1");
    world.reference = {1, 50.0f, 50.0f, 0.0f};
    sound->Update();
    SoundInstance* channel = Play("Sounds/mono.wav", -1, 0, true, 0.0f, {1, 50.0f, 51.0f, 0.0f});
    float x = channel->GetPosition().x;
    EXPECT_TRUE(x == 52.0f || x == 48.0f) << x;
    EXPECT_EQ(channel->GetPosition().y, 52.0f);
    for (int frame = 0; frame < 4; ++frame)
        sound->Update();
    EXPECT_EQ(channel->GetPosition().x, x);
    EXPECT_EQ(channel->GetPosition().y, 52.0f);
    // A sound on the far side of the near band is moved out to two units.
    SoundInstance* left = Play("Sounds/mono.wav", -1, 0, false, 0.0f, {1, 49.5f, 40.0f, 0.0f});
    EXPECT_EQ(left->GetPosition().x, 48.0f);
    EXPECT_EQ(left->GetPosition().y, 40.0f);
}

TEST_F(FrontEnd, ShutdownStopsEveryChannelBeforeTheDriver)
{
    ASSERT_TRUE(Start());
    Play("Sounds/mono.wav");
    sound->Shutdown();
    std::vector<std::string> calls = driver->Calls();
    ASSERT_GE(calls.size(), 2u);
    EXPECT_EQ(calls[calls.size() - 2], "StopSource 2");
    EXPECT_EQ(calls.back(), "Shutdown");
    EXPECT_FALSE(sound->IsInitialised());
}

TEST_F(FrontEnd, ListProvidersGiveTheSpeakerTypesAndTheDevices)
{
    std::vector<ListEntry> rows;
    commands.CallInfoProc("getSpeakerTypes", rows);
    ASSERT_EQ(rows.size(), 9u);
    EXPECT_EQ(rows[0].name, "Dolby");
    EXPECT_EQ(rows[4].name, "Stereo");
    EXPECT_EQ(rows[8].name, "Prologic2Interior");
    EXPECT_EQ(rows[8].value, "8");
    commands.CallInfoProc("getSoundDevices", rows);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].name, "DirectSound3D");
    EXPECT_EQ(rows[2].name, "MMSYSTEM");
    EXPECT_EQ(rows[2].value, "2");
}

TEST_F(FrontEnd, StreamsAreNotRefilledWhileTheGameIsBeingSetUp)
{
    ASSERT_TRUE(Start());
    sound->Update();
    world.held = true;
    sound->Update();
    EXPECT_EQ(driver->CountCalls("UpdateStreams"), 1);
}

TEST_F(FrontEnd, TheStatisticsVarsPrintALineEachFrame)
{
    ASSERT_TRUE(Start());
    Play("Sounds/mono.wav");
    Play("Sounds/voice.ogg");
    vars.SetStringByName("s_soundsPlaying", "1");
    vars.SetStringByName("s_cpuUsage", "1");
    sound->Update();
    sound->Update();
    EXPECT_EQ(CountLogged("# sound playing = 2"), 2);
    EXPECT_EQ(CountLogged("Sound CPU percent = 12.5%"), 2);
}
