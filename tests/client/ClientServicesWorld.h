// ClientServicesWorld -- a joined game with the client's services live: a resource manager over the test folder, the sound system on a recording driver, and the world view's text events.
#pragma once

#include "audio/RecordingSoundDriver.h"
#include "audio/SoundSystem.h"
#include "audio/WavBytes.h"
#include "client/ClientMessages.h"
#include "client/ClientMusic.h"
#include "client/ClientWorld.h"
#include "gen/OggEncoder.h"
#include "platform/PosixPlatformSystem.h"
#include "render/TextEvents.h"
#include "resources/ResourceManager.h"

#include <memory>
#include <string>

class ClientServicesWorld : public ClientWorld {
protected:
    ClientServicesWorld() : platform((folder.Path() / "User").string())
    {
        gPlatformSystem = &platform;
        manager = std::make_unique<ResourceManager>();
        gResourceManager = manager.get();
        manager->Init();
        sound = std::make_unique<SoundSystem>(soundWorld, [this] { return now; });
        gSoundSystem = sound.get();
        sound->RegisterCommands(*manager);
        auto made = std::make_unique<RecordingSoundDriver>(16);
        driver = made.get();
        sound->Init(std::move(made));
        gTextEvents = &textEvents;
        gameClient->GetMusic().RegisterCommands();
        gameClient->GetMessages().RegisterCommands();
    }

    ~ClientServicesWorld() override
    {
        gTextEvents = nullptr;
        gameClient->ClearEntities();
        gameClient->GetMusic().Release();
        sound->ReleaseChannels();
        manager->Shutdown();
        sound.reset();
        gSoundSystem = nullptr;
        manager.reset();
        gResourceManager = nullptr;
        gPlatformSystem = nullptr;
    }

    // A short WAV sound and a short Ogg track under the asset folder.
    void WriteSound(const std::string& path) { folder.Write("Assets/" + path, AsText(BuildWav(std::vector<uint8_t>(400, 1)))); }
    void WriteTrack(const std::string& path)
    {
        std::vector<int16_t> samples(4000, 100);
        folder.Write("Assets/" + path, AsText(EncodeOggVorbis(samples, 2, 22050, 0.1f)));
    }

    // The game's "GameSystem" lines and the records, a joined game, then the client's tuning read.
    void JoinWithTuning(const std::string& tuning, const std::string& records = "")
    {
        StartAndJoin(records, tuning);
        gameClient->GetMusic().LoadGameSystem(database);
    }

    // The name of the track on the music channel; empty when none plays.
    std::string PlayingTrack()
    {
        SoundInstance* channel = sound->GetChannel(sound->GetMusicChannel());
        return channel && channel->IsActive() ? manager->GetName(channel->GetResource()) : std::string();
    }

    // The names of the sounds playing on the channels past the music's, by channel.
    std::vector<std::string> PlayingSounds()
    {
        std::vector<std::string> names;
        for (int32_t i = SoundSystem::kMusicChannels; i < SoundSystem::kChannelCount; ++i) {
            SoundInstance* channel = sound->GetChannel(i);
            if (channel->IsActive() && !channel->IsFadingOut())
                names.push_back(manager->GetName(channel->GetResource()));
        }
        return names;
    }

    void Advance(float seconds)
    {
        now.seconds += seconds;
        now.Normalize();
    }

    PosixPlatformSystem platform;
    std::unique_ptr<ResourceManager> manager;
    SoundWorld soundWorld;
    TimeStamp now;
    std::unique_ptr<SoundSystem> sound;
    RecordingSoundDriver* driver = nullptr;
    TextEvents textEvents;
};
