// OpenAlDeviceFactory -- how the OpenAL driver opens its output device; tests hand it a loopback device instead.
#include "audio/OpenAlDeviceFactory.h"

ALCdevice* OpenAlDeviceFactory::Open(const char* name)
{
    return alcOpenDevice(name);
}

const ALCint* OpenAlDeviceFactory::GetContextAttributes() const
{
    return nullptr;
}
