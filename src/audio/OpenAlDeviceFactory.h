// OpenAlDeviceFactory -- how the OpenAL driver opens its output device; tests hand it a loopback device instead.
#pragma once

#include <AL/alc.h>

class OpenAlDeviceFactory {
public:
    virtual ~OpenAlDeviceFactory() = default;
    // The named device, or the default one for null; null when it cannot be opened.
    virtual ALCdevice* Open(const char* name);
    // The attribute list for the device's context; null for none.
    virtual const ALCint* GetContextAttributes() const;
};
