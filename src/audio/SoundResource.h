// SoundResource -- a WAV file decoded once into a driver buffer.
#pragma once

#include "audio/BaseSoundResource.h"

#include <cstdint>
#include <string>

class SoundResource : public BaseSoundResource {
public:
    // Deletes the buffer while the sound system still has its driver.
    ~SoundResource() override;

    // The "wav" factory: reads the file and, while sound is on, makes its buffer. A file that
    // is not a WAV the driver takes gives buffer 0, which plays nothing.
    static Resource* Create(const std::string& name, uint8_t* bytes, uint32_t byteCount, int32_t loadArgument);
    static Resource* CreatePlaceholder(const std::string& name);

    int32_t GetSampleCount() const { return sampleCount; }
    int32_t GetBitsPerSample() const { return bitsPerSample; }
    int32_t GetSampleRate() const { return sampleRate; }
    bool IsStereo() const { return stereo; }
    bool IsStream() const { return isStream; }
    uint32_t GetBuffer() const { return buffer; }

protected:
    bool isStream = false;

private:
    int32_t sampleCount = 0;
    int32_t bitsPerSample = 0;
    int32_t sampleRate = 0;
    bool stereo = false;
    uint32_t buffer = 0;
};
