// OpenAlErrorReport -- names OpenAL's error codes and logs the one pending after a call.
#include "audio/OpenAlErrorReport.h"

#include "core/DebugSystem.h"

#include <AL/al.h>

const char* OpenAlErrorName(int code)
{
    switch (code) {
    case AL_INVALID_NAME:
        return "AL_INVALID_NAME";
    case AL_INVALID_ENUM:
        return "AL_INVALID_ENUM";
    case AL_INVALID_VALUE:
        return "AL_INVALID_VALUE";
    case AL_INVALID_OPERATION:
        return "AL_INVALID_OPERATION";
    case AL_OUT_OF_MEMORY:
        return "AL_OUT_OF_MEMORY";
    default:
        return nullptr;
    }
}

void ReportOpenAlError()
{
    if (const char* name = OpenAlErrorName(alGetError()))
        DebugSystem::Print(kPrintDeveloper, "%s\n", name);
}
