// ShippedSoundsTest -- every sound the game ships loads and plays on OpenAL, and every sound its files name is shipped.
#include "audio/AudioWorld.h"
#include "audio/LevelSoundBankResource.h"
#include "audio/LoopbackDevice.h"
#include "audio/MusicResource.h"
#include "audio/OpenAlSoundDriver.h"
#include "audio/SoundBankResource.h"
#include "support/ShippedGame.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <set>
#include <sstream>

namespace {

class ShippedSounds : public AudioWorld {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(LinkShippedGame(folder.Path())) << "EMBERLODE_GAME_DIR not set";
        ASSERT_TRUE(files.MountArchive("assets001.zip")) << "the build writes game/assets001.zip";
        auto made = std::make_unique<OpenAlSoundDriver>(world, std::make_unique<LoopbackDeviceFactory>());
        openAl = made.get();
        ASSERT_TRUE(sound->Init(std::move(made)));
    }

    std::vector<std::string> Shipped(const std::string& folderName, const std::string& extension)
    {
        std::vector<std::string> names;
        files.ListFiles(folderName, extension, names, kLocationAssets, true, true, true);
        return names;
    }

    // Plays the resource on a free channel: true when the driver has it playing.
    bool Plays(int32_t handle)
    {
        SoundInstance* channel = sound->FindFreeChannel();
        channel->Play(handle, {}, -1, 0, false, 0.0f, 0.0f);
        bool playing = channel->IsActive() && openAl->IsSourcePlaying(channel->GetSourceHandle());
        channel->Stop();
        return playing;
    }

    OpenAlSoundDriver* openAl = nullptr;
};

bool IsSoundFileName(std::string word)
{
    for (char& c : word)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (const char* extension : {".wav", ".ogg", ".snd", ".lsb"}) {
        if (word.size() > 4 && word.compare(word.size() - 4, 4, extension) == 0)
            return true;
    }
    return false;
}

// The words of a text file, comments left out, that end in a sound file's extension; quotes taken off.
std::vector<std::string> SoundNamesIn(const std::filesystem::path& path)
{
    std::ifstream in(path);
    std::vector<std::string> names;
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream words(line.substr(0, line.find("//")));
        std::string word;
        while (words >> word) {
            word.erase(std::remove(word.begin(), word.end(), '"'), word.end());
            if (IsSoundFileName(word))
                names.push_back(word);
        }
    }
    return names;
}

} // namespace

TEST_F(ShippedSounds, EveryWavBecomesABufferAndEveryOggDecodesAndPlays)
{
    std::vector<std::string> wavs = Shipped("Sounds", "wav");
    std::vector<std::string> oggs = Shipped("Sounds", "ogg");
    std::vector<std::string> music = Shipped("Music", "ogg");
    oggs.insert(oggs.end(), music.begin(), music.end());
    EXPECT_GE(wavs.size(), 30u);
    EXPECT_GE(oggs.size(), 15u);
    for (const std::string& name : wavs) {
        ResourceHandle handle;
        Load(name, handle);
        auto* wav = dynamic_cast<SoundResource*>(manager->Get(handle));
        ASSERT_NE(wav, nullptr) << name;
        EXPECT_NE(wav->GetBuffer(), 0u) << name;
        EXPECT_GT(wav->GetSampleCount(), 0) << name;
        EXPECT_TRUE(Plays(handle)) << name;
    }
    for (const std::string& name : oggs) {
        ResourceHandle handle;
        Load(name, handle);
        auto* ogg = dynamic_cast<MusicResource*>(manager->Get(handle));
        ASSERT_NE(ogg, nullptr) << name;
        EXPECT_NE(ogg->GetStream(), 0) << name;
        EXPECT_TRUE(Plays(handle)) << name;
    }
    EXPECT_EQ(debug.GetConsoleLines().size(), 3u) << "only the device's start-up lines";
}

TEST_F(ShippedSounds, EverySoundTheDatabaseTheModelsAndTheBanksNameIsShipped)
{
    std::filesystem::path assets = folder.Path() / "Assets";
    std::set<std::string> named;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(assets)) {
        std::string extension = entry.path().extension().string();
        bool model = extension == ".mdl";
        if (!model && extension != ".dbr" && extension != ".snd" && extension != ".lsb")
            continue;
        for (std::string name : SoundNamesIn(entry.path())) {
            // A model's animation events name their sounds inside the "Sounds" folder.
            if (model && name.find('/') == std::string::npos)
                name = "Sounds/" + name;
            named.insert(name);
        }
    }
    EXPECT_GE(named.size(), 30u);
    for (const std::string& name : named)
        EXPECT_TRUE(files.FileExists(name)) << name;
    // The theme and the pick-up sound are named by the "GameSystem" record.
    EXPECT_EQ(named.count("Music/theme.ogg"), 1u);
    EXPECT_EQ(named.count("Sounds/UI/pickup.wav"), 1u);
}

TEST_F(ShippedSounds, TheGamesOwnSoundNamesAreShipped)
{
    // The sounds the game's code plays by these names.
    for (const char* name :
         {"sounds/levelUp.ogg", "Sounds/secretFound.ogg", "Sounds/Objects/doorLocked.ogg", "Sounds/Player/resurrect.ogg",
          "Sounds/Items/uniqueSpawn.ogg", "Sounds/gamblingSuccess.ogg", "Sounds/gamblingFailure.ogg",
          "Sounds/newRecruit.ogg", "Sounds/startedRaid.ogg", "Sounds/declaredWar.ogg", "Sounds/covenantEliminated.ogg",
          "Sounds/alarm.ogg", "Sounds/town_being_attacked.ogg", "Sounds/treatyRequest.ogg",
          "Sounds/Magic/lifesteal.wav", "Sounds/Magic/powerburn.wav", "Sounds/UI/menuloop.ogg"})
        EXPECT_TRUE(files.FileExists(name)) << name;
}

TEST_F(ShippedSounds, TheHitBankAndTheForestBankHoldPlayableSounds)
{
    ResourceHandle hits;
    Load("Sounds/Combat/hit.snd", hits);
    auto* bank = dynamic_cast<SoundBankResource*>(manager->Get(hits));
    ASSERT_NE(bank, nullptr);
    ASSERT_EQ(bank->GetSounds().size(), 3u);
    EXPECT_EQ(bank->GetMinDistance(), 32.0f);
    for (int draw = 0; draw < 10; ++draw)
        EXPECT_TRUE(Plays(hits)) << draw;
    ResourceHandle forest;
    Load("Sounds/Levels/forest.lsb", forest);
    auto* level = dynamic_cast<LevelSoundBankResource*>(manager->Get(forest));
    ASSERT_NE(level, nullptr);
    EXPECT_EQ(level->GetRandomSounds().size(), 2u);
    for (const RandomSoundEntry& entry : level->GetRandomSounds())
        EXPECT_TRUE(Plays(entry.sound)) << entry.sound.GetName();
    level->StartBaseSound();
    SoundInstance* wind = sound->FindOwnerChannel(-1, kSoundSlotLevelBase);
    ASSERT_NE(wind, nullptr);
    EXPECT_EQ(wind->GetKind(), kSoundStream);
    EXPECT_TRUE(wind->IsLooping());
}
