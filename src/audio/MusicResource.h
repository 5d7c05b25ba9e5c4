// MusicResource -- an Ogg Vorbis file kept encoded in memory and streamed while it plays.
#pragma once

#include "audio/SoundResource.h"

#include <cstdint>
#include <string>

class ResourceManager;

// Music, story voices and many effects: the encoded bytes stay with the resource and the
// driver's decoder reads them in place.
class MusicResource : public SoundResource {
public:
    // Frees the driver's stream record; the bytes go with the resource.
    ~MusicResource() override;

    // "ogg", charged to the music memory category.
    static void RegisterType(ResourceManager& manager);
    // Keeps the bytes and, while sound is on, makes the driver's stream over them.
    static Resource* Create(const std::string& name, uint8_t* bytes, uint32_t byteCount, int32_t loadArgument);
    static Resource* CreatePlaceholder(const std::string& name);

    // 0 while sound is off and for a placeholder.
    int32_t GetStream() const { return stream; }

private:
    int32_t stream = 0;
};
