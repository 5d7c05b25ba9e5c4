// SoundBankResourceTest -- ".snd" banks, ".lsb" level banks and the sound files behind them, through the resource manager.
#include "audio/AudioWorld.h"
#include "audio/LevelSoundBankResource.h"
#include "audio/MusicResource.h"
#include "audio/SoundBankResource.h"

#include <cmath>
#include <gtest/gtest.h>
#include <memory>
#include <random>

namespace {

class BankWorld : public AudioWorld {
protected:
    BankWorld() { WriteSounds(); }

    template <class T>
    T* LoadAs(const std::string& name, ResourceHandle& handle)
    {
        Load(name, handle);
        return dynamic_cast<T*>(manager->Get(handle));
    }

    // A bank parsed straight from text, outside the manager.
    static std::unique_ptr<SoundBankResource> ParsedBank(const std::string& text)
    {
        auto bank = std::make_unique<SoundBankResource>();
        bank->Parse(reinterpret_cast<const uint8_t*>(text.data()), static_cast<uint32_t>(text.size()));
        return bank;
    }
};

} // namespace

TEST_F(BankWorld, AWavBecomesADriverBufferWhileSoundIsOn)
{
    ASSERT_TRUE(Start());
    ResourceHandle handle;
    auto* sound = LoadAs<SoundResource>("Sounds/stereo.wav", handle);
    ASSERT_NE(sound, nullptr);
    EXPECT_FALSE(sound->IsFailed());
    EXPECT_TRUE(sound->IsStereo());
    EXPECT_EQ(sound->GetSampleCount(), 200);
    EXPECT_EQ(sound->GetBitsPerSample(), 16);
    EXPECT_EQ(sound->GetSampleRate(), 22050);
    EXPECT_EQ(sound->GetBuffer(), 101u);
    EXPECT_EQ(driver->buffersMade, (std::vector<int32_t>{200}));
    // Freed with the resources, while the driver is still there.
    handle.Reset();
    manager->Shutdown();
    EXPECT_EQ(driver->CountCalls("DeleteBuffer 101"), 1);
}

TEST_F(BankWorld, AnOggFileKeepsItsBytesAndGetsAStream)
{
    ASSERT_TRUE(Start());
    ResourceHandle handle;
    auto* music = LoadAs<MusicResource>("Music/first.ogg", handle);
    ASSERT_NE(music, nullptr);
    EXPECT_TRUE(music->IsStream());
    EXPECT_TRUE(music->KeepsBytes());
    EXPECT_GT(music->GetByteCount(), 0u);
    EXPECT_EQ(music->GetStream(), 501);
    EXPECT_EQ(driver->streamsMade, (std::vector<uint32_t>{music->GetByteCount()}));
    handle.Reset();
    manager->Shutdown();
    EXPECT_EQ(driver->CountCalls("DeleteStream 501"), 1);
}

TEST_F(BankWorld, MissingFilesBecomeFailedPlaceholdersThatPlayNothing)
{
    ASSERT_TRUE(Start());
    ResourceHandle wav;
    ResourceHandle ogg;
    ResourceHandle bank;
    EXPECT_TRUE(LoadAs<SoundResource>("Sounds/none.wav", wav)->IsFailed());
    auto* music = LoadAs<MusicResource>("Sounds/none.ogg", ogg);
    EXPECT_TRUE(music->IsFailed());
    EXPECT_EQ(music->GetStream(), 0);
    EXPECT_TRUE(LoadAs<SoundBankResource>("Sounds/none.snd", bank)->IsFailed());
    for (int32_t handle : {wav.GetValue(), ogg.GetValue(), bank.GetValue()})
        sound->PlayOwnedSound(handle, {}, -1, 0, false, 0.0f, 0.0f);
    sound->PlayMusic(ogg, 0.0f, 1.0f);
    EXPECT_EQ(driver->CountCalls("Play"), 0);
    EXPECT_EQ(driver->CountCalls("Start"), 0);
    EXPECT_EQ(sound->GetMusicChannel(), -1);
}

TEST_F(BankWorld, ABankReadsEveryKeyInAnyCaseAndPassesOverOtherWords)
{
    WriteAsset("Sounds/bank.snd", "// a comment\nSound Sounds/mono.wav\nsound Sounds/voice.ogg\nMINDIST 12.5\n"
                                  "MaxDist 900 Volume 0.8 VolumeVariation 0.2 stray words Pitch 1.5\n"
                                  "PitchVariation 0.25 PlayDuringPause 1\n");
    ResourceHandle handle;
    auto* bank = LoadAs<SoundBankResource>("Sounds/bank.snd", handle);
    ASSERT_NE(bank, nullptr);
    EXPECT_FALSE(bank->IsFailed());
    ASSERT_EQ(bank->GetSounds().size(), 2u);
    EXPECT_EQ(bank->GetSounds()[0].GetName(), "Sounds/mono.wav");
    EXPECT_EQ(bank->GetSounds()[1].GetName(), "Sounds/voice.ogg");
    EXPECT_EQ(bank->GetMinDistance(), 12.5f);
    EXPECT_EQ(bank->GetMaxDistance(), 900.0f);
    EXPECT_FLOAT_EQ(bank->GetVolume(), 0.8f);
    EXPECT_FLOAT_EQ(bank->GetVolumeVariation(), 0.2f);
    EXPECT_EQ(bank->GetPitch(), 1.5f);
    EXPECT_EQ(bank->GetPitchVariation(), 0.25f);
    EXPECT_TRUE(bank->PlaysDuringPause());
}

TEST_F(BankWorld, AKeyWithoutItsValueReadsZeroNotTheDefault)
{
    auto bank = ParsedBank("MinDist\nMaxDist nan\nVolume\nPitch inf\nPlayDuringPause\n");
    EXPECT_EQ(bank->GetMinDistance(), 0.0f);
    EXPECT_EQ(bank->GetMaxDistance(), 0.0f);
    EXPECT_EQ(bank->GetVolume(), 0.0f);
    EXPECT_EQ(bank->GetPitch(), 0.0f);
    EXPECT_FALSE(bank->PlaysDuringPause());
    auto empty = ParsedBank("");
    EXPECT_EQ(empty->GetMinDistance(), SoundBankResource::kDefaultMinDistance);
    EXPECT_EQ(empty->GetMaxDistance(), SoundBankResource::kDefaultMaxDistance);
    EXPECT_EQ(empty->GetVolume(), 1.0f);
}

TEST_F(BankWorld, DrawsStayWithinTheVariationAndNeverPickPastTheLastSound)
{
    ASSERT_TRUE(Start());
    WriteAsset("Sounds/three.snd", "Sound Sounds/mono.wav Sound Sounds/other.wav Sound Sounds/stereo.wav\n"
                                   "Volume 0.8 VolumeVariation 0.2\n");
    ResourceHandle handle;
    auto* bank = LoadAs<SoundBankResource>("Sounds/three.snd", handle);
    ASSERT_NE(bank, nullptr);
    int picks[3] = {};
    for (int draw = 0; draw < 3000; ++draw) {
        float volume = bank->GetRandomVolume();
        ASSERT_GE(volume, 0.6f - 1e-6f);
        ASSERT_LT(volume, 1.0f);
        SoundResource* picked = bank->PickSound();
        ASSERT_NE(picked, nullptr);
        for (int i = 0; i < 3; ++i)
            picks[i] += manager->Get(bank->GetSounds()[i]) == picked ? 1 : 0;
    }
    for (int count : picks)
        EXPECT_GT(count, 800);
    // The largest draw the stream can make still picks the last sound.
    random.SetState(RandomStream::GameData, 0);
    for (int draw = 0; draw < 70000; ++draw) {
        uint32_t before = random.GetState(RandomStream::GameData);
        if (random.RandomFloat(RandomStream::GameData) >= 32767.0f / 32768.0f) {
            random.SetState(RandomStream::GameData, before);
            EXPECT_EQ(bank->PickSound(), manager->Get(bank->GetSounds()[2]));
            break;
        }
    }
    EXPECT_EQ(bank->GetPitch(), 1.0f);
    EXPECT_EQ(bank->GetRandomPitch(), 1.0f);
}

TEST_F(BankWorld, PlayingABankDrawsVolumeThenPitchThenTheSoundFromStreamZero)
{
    ASSERT_TRUE(Start());
    WriteAsset("Sounds/drawn.snd", "Sound Sounds/mono.wav Sound Sounds/other.wav\nMinDist 5 MaxDist 50\n"
                                   "Volume 0.5 VolumeVariation 0.5 Pitch 1 PitchVariation 0.5\n");
    ResourceHandle handle;
    Load("Sounds/drawn.snd", handle);
    RandomSystem copy;
    copy.SetState(RandomStream::GameData, random.GetState(RandomStream::GameData));
    float volume = 0.5f + (copy.RandomFloat(RandomStream::GameData) - 0.5f);
    float pitch = 1.0f + (copy.RandomFloat(RandomStream::GameData) - 0.5f);
    int pick = static_cast<int>(copy.RandomFloat(RandomStream::GameData) * 2.0f);
    SoundInstance* channel = sound->FindFreeChannel();
    channel->Play(handle, {}, -1, 0, false, 0.0f, 0.0f);
    ASSERT_TRUE(channel->IsActive());
    EXPECT_FLOAT_EQ(channel->GetVolume(), volume);
    EXPECT_FLOAT_EQ(channel->GetPitch(), pitch);
    EXPECT_FLOAT_EQ(driver->pitches.at(channel->GetSourceHandle()), pitch);
    EXPECT_EQ(channel->GetMinDistance(), 5.0f);
    EXPECT_EQ(channel->GetResource(), handle.GetValue());
    EXPECT_EQ(driver->CountCalls("PlayBuffer 2 " + std::to_string(101 + pick)), 1);
    // A minimum distance given to Play replaces the bank's.
    SoundInstance* near = sound->FindFreeChannel();
    near->Play(handle, {}, -1, 0, false, 9.0f, 0.0f);
    EXPECT_EQ(near->GetMinDistance(), 9.0f);
}

TEST_F(BankWorld, ABankWithoutSoundsPlaysNothing)
{
    ASSERT_TRUE(Start());
    WriteAsset("Sounds/quiet.snd", "Volume 0.5\n");
    ResourceHandle handle;
    Load("Sounds/quiet.snd", handle);
    SoundInstance* channel = sound->FindFreeChannel();
    channel->Play(handle, {}, -1, 0, false, 0.0f, 0.0f);
    EXPECT_FALSE(channel->IsActive());
    EXPECT_EQ(channel->GetResource(), -1);
}

TEST_F(BankWorld, BankTextCutAtEveryOffsetParsesWithoutHarm)
{
    const std::string text = "Sound Sounds/mono.wav\nMinDist 12\nMaxDist 90\nVolume 0.7\nVolumeVariation 0.1\n"
                             "Pitch 1.1\nPitchVariation 0.05\nPlayDuringPause 1\n";
    for (size_t size = 0; size <= text.size(); ++size) {
        std::unique_ptr<uint8_t[]> cut(new uint8_t[size + 1]);
        std::copy_n(text.data(), size, cut.get());
        SoundBankResource bank;
        bank.Parse(cut.get(), static_cast<uint32_t>(size));
        ASSERT_LE(bank.GetSounds().size(), 1u) << size;
        ASSERT_TRUE(std::isfinite(bank.GetVolume())) << size;
    }
}

TEST_F(BankWorld, ALevelBankReadsItsRandomSoundsAndItsBaseSound)
{
    WriteAsset("Sounds/cave.lsb", "randomSound Sounds/mono.wav 20 5 0.5 10 30\nRANDOMSOUND Sounds/other.wav 1\n"
                                  "baseSound Sounds/voice.ogg\n");
    ResourceHandle handle;
    auto* bank = LoadAs<LevelSoundBankResource>("Sounds/cave.lsb", handle);
    ASSERT_NE(bank, nullptr);
    ASSERT_EQ(bank->GetRandomSounds().size(), 2u);
    const RandomSoundEntry& first = bank->GetRandomSounds()[0];
    EXPECT_EQ(first.sound.GetName(), "Sounds/mono.wav");
    EXPECT_EQ(first.restTime, 20.0f);
    EXPECT_EQ(first.checkInterval, 5.0f);
    EXPECT_EQ(first.chance, 0.5f);
    EXPECT_EQ(first.minDistance, 10.0f);
    EXPECT_EQ(first.maxDistance, 30.0f);
    const RandomSoundEntry& second = bank->GetRandomSounds()[1];
    EXPECT_EQ(second.restTime, 1.0f);
    EXPECT_EQ(second.checkInterval, 0.0f);
    EXPECT_EQ(second.maxDistance, 0.0f);
    EXPECT_EQ(bank->GetBaseSoundName(), "Sounds/voice.ogg");
    EXPECT_NE(bank->GetBaseSound(), -1);
}

TEST_F(BankWorld, RandomSoundsCheckOnTheirIntervalRestAfterPlayingAndLandBetweenTheirDistances)
{
    ASSERT_TRUE(Start());
    world.reference = {0, 100.0f, 100.0f, 0.0f};
    WriteAsset("Sounds/field.lsb", "randomSound Sounds/mono.wav 20 5 0.5 10 30\n");
    ResourceHandle handle;
    auto* bank = LoadAs<LevelSoundBankResource>("Sounds/field.lsb", handle);
    ASSERT_NE(bank, nullptr);
    float lastCheck = -1.0f;
    bool lastPlayed = false;
    int plays = 0;
    int checks = 0;
    for (int tick = 1; tick <= 2000; ++tick) {
        uint32_t before = random.GetState(RandomStream::GameData);
        int played = driver->CountCalls("PlayBuffer");
        bank->Update(0.5f);
        if (random.GetState(RandomStream::GameData) == before)
            continue;
        // A check draws; the next comes an interval later, or a rest later after a play.
        float time = static_cast<float>(tick) * 0.5f;
        if (lastCheck >= 0.0f) {
            EXPECT_FLOAT_EQ(time - lastCheck, lastPlayed ? 20.0f : 5.0f) << tick;
        }
        lastCheck = time;
        ++checks;
        lastPlayed = driver->CountCalls("PlayBuffer") != played;
        if (!lastPlayed)
            continue;
        ++plays;
        SoundInstance* channel = sound->FindOwnerChannel(-1, 0);
        ASSERT_NE(channel, nullptr);
        float dx = channel->GetPosition().x - 100.0f;
        float dy = channel->GetPosition().y - 100.0f;
        float distance = std::sqrt(dx * dx + dy * dy);
        EXPECT_GE(distance, 10.0f - 1e-3f);
        EXPECT_LE(distance, 30.0f + 1e-3f);
        channel->Stop();
    }
    // Even odds.
    EXPECT_GT(plays, checks / 3);
    EXPECT_LT(plays, checks * 2 / 3);
}

TEST_F(BankWorld, TheBaseSoundFadesInAsTheLocalPlayersLoopAndFadesOutOnStop)
{
    ASSERT_TRUE(Start());
    world.player = 42;
    world.entities[42] = {0, 3.0f, 4.0f, 0.0f};
    WriteAsset("Sounds/hall.lsb", "baseSound Sounds/mono.wav\n");
    ResourceHandle handle;
    auto* bank = LoadAs<LevelSoundBankResource>("Sounds/hall.lsb", handle);
    bank->StartBaseSound();
    SoundInstance* base = sound->FindOwnerChannel(42, kSoundSlotLevelBase);
    ASSERT_NE(base, nullptr);
    EXPECT_TRUE(base->IsLooping());
    EXPECT_TRUE(base->IsFading());
    EXPECT_EQ(base->GetVolume(), 0.0f);
    EXPECT_EQ(base->GetPosition().x, 3.0f);
    Advance(5.0f);
    sound->Update();
    EXPECT_EQ(base->GetVolume(), 1.0f);
    bank->StopBaseSound();
    EXPECT_TRUE(base->IsFadingOut());
    EXPECT_EQ(sound->FindOwnerChannel(42, kSoundSlotLevelBase), nullptr);
    Advance(5.0f);
    sound->Update();
    EXPECT_FALSE(base->IsActive());
}

TEST_F(BankWorld, LevelBankTextCutOrFlippedParsesWithoutHarm)
{
    const std::string text = "randomSound Sounds/mono.wav 20 5 0.5 10 30\nbaseSound Sounds/voice.ogg\n";
    std::mt19937 random(99);
    for (size_t size = 0; size <= text.size() + 60; ++size) {
        std::string cut = text.substr(0, std::min(size, text.size()));
        if (size > text.size()) {
            for (int flip = 0; flip < 3; ++flip)
                cut[random() % cut.size()] ^= static_cast<char>(1u << (random() % 8));
        }
        std::unique_ptr<uint8_t[]> bytes(new uint8_t[cut.size() + 1]);
        std::copy_n(cut.data(), cut.size(), bytes.get());
        LevelSoundBankResource bank;
        bank.Parse(bytes.get(), static_cast<uint32_t>(cut.size()));
        ASSERT_LE(bank.GetRandomSounds().size(), 2u) << size;
        for (const RandomSoundEntry& entry : bank.GetRandomSounds()) {
            ASSERT_TRUE(std::isfinite(entry.chance)) << size;
            ASSERT_TRUE(std::isfinite(entry.maxDistance)) << size;
        }
        bank.Update(1.0f);
    }
}
