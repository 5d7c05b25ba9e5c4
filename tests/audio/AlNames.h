// AlNames -- finds the OpenAL objects behind a sound driver's handles by what the driver did to them.
#pragma once

#include "audio/SoundDriver.h"
#include "audio/WavInfo.h"

#include <AL/al.h>
#include <cstdint>
#include <vector>

// OpenAL hands out small names; a search this far finds every one a test's context holds.
constexpr ALuint kAlNameSearchEnd = 1 << 16;

// The OpenAL source of the driver's source handle: the one that holds a marker buffer the driver
// was told to play on it. The source is left stopped with no buffer; its gains, places and
// distances are as they were. 0 when none holds it.
inline ALuint FindAlSource(SoundDriver& driver, int32_t source)
{
    std::vector<uint8_t> samples(64, 0);
    WavInfo wav;
    wav.channelCount = 1;
    wav.bitsPerSample = 16;
    wav.sampleRate = 22050;
    wav.sampleCount = 32;
    wav.samples = samples.data();
    uint32_t marker = driver.CreateBuffer(nullptr, 0, wav);
    driver.PlayBuffer(source, marker);
    ALuint found = 0;
    for (ALuint name = 1; name < kAlNameSearchEnd && found == 0; ++name) {
        ALint held = 0;
        if (alIsSource(name)) {
            alGetSourcei(name, AL_BUFFER, &held);
            found = static_cast<ALuint>(held) == marker ? name : 0;
        }
    }
    driver.StopSource(source);
    driver.DeleteBuffer(marker);
    return found;
}

// How many buffer names the context holds, generated and not yet deleted.
inline int CountLiveAlBuffers()
{
    int live = 0;
    for (ALuint name = 1; name < kAlNameSearchEnd; ++name)
        live += alIsBuffer(name) ? 1 : 0;
    return live;
}
