// ClientServicesWorld -- a joined game (the test link or the real player mirror) with the client's services live: a resource manager over the test folder, the sound system on a recording driver, and the world view's text events.
#pragma once

#include "audio/RecordingSoundDriver.h"
#include "audio/SoundSystem.h"
#include "audio/WavBytes.h"
#include "client/ClientMessages.h"
#include "client/ClientMusic.h"
#include "client/ClientWorld.h"
#include "client/PlayerClientWorld.h"
#include "gen/OggEncoder.h"
#include "platform/PosixPlatformSystem.h"
#include "render/TextEvents.h"
#include "resources/ResourceManager.h"

#include <memory>
#include <string>

// Over either client world: the test link's or the real player mirror's.
template <class World>
class ClientServices : public World {
protected:
    ClientServices() : platform((this->folder.Path() / "User").string())
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
        this->gameClient->GetMusic().RegisterCommands();
        this->gameClient->GetMessages().RegisterCommands();
    }

    ~ClientServices() override
    {
        gTextEvents = nullptr;
        // The client lets go of its sounds and pictures before the manager's final flush, which
        // frees only what nobody holds: let go after it, they would never be freed.
        this->ReleaseClient();
        // The world host holds every sound it named to the client, for the same reason.
        if (this->host)
            this->host->ReleaseResources();
        sound->ReleaseChannels();
        manager->Shutdown();
        sound.reset();
        gSoundSystem = nullptr;
        manager.reset();
        gResourceManager = nullptr;
        gPlatformSystem = nullptr;
    }

    // A short WAV sound and a short Ogg track under the asset folder.
    void WriteSound(const std::string& path)
    {
        this->folder.Write("Assets/" + path, AsText(BuildWav(std::vector<uint8_t>(400, 1))));
    }
    void WriteTrack(const std::string& path)
    {
        std::vector<int16_t> samples(4000, 100);
        this->folder.Write("Assets/" + path, AsText(EncodeOggVorbis(samples, 2, 22050, 0.1f)));
    }

    // The game's "GameSystem" lines and the records, a joined game, then the client's tuning read.
    void JoinWithTuning(const std::string& tuning, const std::string& records = "")
    {
        this->StartAndJoin(records, tuning);
        this->gameClient->GetMusic().LoadGameSystem(this->database);
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

using ClientServicesWorld = ClientServices<ClientWorld>;
