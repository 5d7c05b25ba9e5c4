// SoundResource -- a WAV file decoded once into a driver buffer.
#include "audio/SoundResource.h"

#include "audio/SoundSystem.h"
#include "audio/WavInfo.h"

SoundResource::~SoundResource()
{
    SoundDriver* driver = gSoundSystem ? gSoundSystem->GetDriver() : nullptr;
    if (buffer != 0 && driver)
        driver->DeleteBuffer(buffer);
}

Resource* SoundResource::Create(const std::string&, uint8_t* bytes, uint32_t byteCount, int32_t)
{
    auto* sound = new SoundResource();
    WavInfo wav;
    ReadWav(bytes, byteCount, wav);
    sound->sampleCount = wav.sampleCount;
    sound->bitsPerSample = wav.bitsPerSample;
    sound->sampleRate = wav.sampleRate;
    sound->stereo = wav.channelCount == 2;
    if (SoundDriver* driver = gSoundSystem ? gSoundSystem->GetDriver() : nullptr)
        sound->buffer = driver->CreateBuffer(bytes, byteCount, wav);
    return sound;
}

Resource* SoundResource::CreatePlaceholder(const std::string&)
{
    auto* sound = new SoundResource();
    sound->SetFailed();
    return sound;
}
