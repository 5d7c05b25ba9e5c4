// AudioWorld -- a sound system over a recording driver, a resource manager on a temporary game folder, a hand-set clock and world.
#pragma once

#include "audio/RecordingSoundDriver.h"
#include "audio/WavBytes.h"
#include "audio/SoundSystem.h"
#include "core/RandomSystem.h"
#include "gen/OggEncoder.h"
#include "resources/AssetFolderWorld.h"
#include "resources/ResourceManager.h"

#include <map>
#include <memory>
#include <stdexcept>
#include <string>

// The client's side as the test sets it: entities by number, pause, the window's focus.
class ScriptedSoundWorld : public SoundWorld {
public:
    SoundPos GetListenerReference() const override { return reference; }
    bool FindEntityPosition(int32_t entity, SoundPos& out) const override
    {
        auto found = entities.find(entity);
        if (found == entities.end())
            return false;
        out = found->second;
        return true;
    }
    int32_t GetLocalPlayerEntity() const override { return player; }
    bool IsPaused() const override { return paused; }
    bool IsApplicationActive() const override { return active; }
    bool AreStreamsHeld() const override { return held; }

    SoundPos reference;
    std::map<int32_t, SoundPos> entities;
    int32_t player = -1;
    bool paused = false;
    bool active = true;
    bool held = false;
};

class AudioWorld : public AssetFolderWorld {
protected:
    AudioWorld()
    {
        random.Seed(20261207);
        gRandomSystem = &random;
        manager = std::make_unique<ResourceManager>();
        gResourceManager = manager.get();
        manager->Init();
        sound = std::make_unique<SoundSystem>(world, [this] { return now; });
        gSoundSystem = sound.get();
        sound->RegisterCommands(*manager);
    }

    ~AudioWorld() override
    {
        // The channels let go, then the resources are freed while the driver is there to
        // delete their buffers, as the program's shut-down does.
        sound->ReleaseChannels();
        manager->Shutdown();
        sound.reset();
        manager.reset();
        gResourceManager = nullptr;
        gRandomSystem = nullptr;
    }

    // Starts the system on a recording driver of that many sources.
    bool Start(int32_t sources = 8, bool starts = true)
    {
        auto made = std::make_unique<RecordingSoundDriver>(sources, starts);
        driver = made.get();
        return sound->Init(std::move(made));
    }

    void Advance(float seconds)
    {
        now.seconds += seconds;
        now.Normalize();
    }

    // A mono 16-bit WAV, a stereo one, an Ogg file: what the front-end tests play.
    void WriteSounds()
    {
        WriteAsset("Sounds/mono.wav", AsText(BuildWav(std::vector<uint8_t>(400, 1))));
        WriteAsset("Sounds/stereo.wav", AsText(BuildWav(std::vector<uint8_t>(400, 1), {2, 16})));
        WriteAsset("Sounds/other.wav", AsText(BuildWav(std::vector<uint8_t>(40, 1))));
        std::vector<int16_t> samples(4000, 100);
        WriteAsset("Sounds/voice.ogg", AsText(EncodeOggVorbis(samples, 1, 22050, 0.1f)));
        WriteAsset("Music/first.ogg", AsText(EncodeOggVorbis(samples, 2, 22050, 0.1f)));
        WriteAsset("Music/second.ogg", AsText(EncodeOggVorbis(samples, 2, 22050, 0.1f)));
    }

    int32_t Load(const std::string& name, ResourceHandle& handle)
    {
        manager->Load(name, handle);
        manager->Get(handle);
        return handle;
    }

    RandomSystem random;
    ScriptedSoundWorld world;
    TimeStamp now;
    std::unique_ptr<ResourceManager> manager;
    std::unique_ptr<SoundSystem> sound;
    RecordingSoundDriver* driver = nullptr;
};
