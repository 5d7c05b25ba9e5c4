// MusicResource -- an Ogg Vorbis file kept encoded in memory and streamed while it plays.
#include "audio/MusicResource.h"

#include "audio/SoundSystem.h"
#include "resources/ResourceManager.h"

MusicResource::~MusicResource()
{
    SoundDriver* driver = gSoundSystem ? gSoundSystem->GetDriver() : nullptr;
    if (stream != 0 && driver)
        driver->DeleteStream(stream);
}

void MusicResource::RegisterType(ResourceManager& manager)
{
    // Not reloadable: a reload would free the bytes a playing decoder reads.
    manager.RegisterType("ogg", kMemMusic, true, "", false, &MusicResource::Create, &MusicResource::CreatePlaceholder);
}

Resource* MusicResource::Create(const std::string& name, uint8_t* bytes, uint32_t byteCount, int32_t)
{
    auto* music = new MusicResource();
    music->KeepBytes(bytes, byteCount);
    music->isStream = true;
    if (SoundDriver* driver = gSoundSystem ? gSoundSystem->GetDriver() : nullptr)
        music->stream = driver->CreateStream(music->GetBytes(), music->GetByteCount(), name);
    return music;
}

Resource* MusicResource::CreatePlaceholder(const std::string&)
{
    auto* music = new MusicResource();
    music->isStream = true;
    music->SetFailed();
    return music;
}
