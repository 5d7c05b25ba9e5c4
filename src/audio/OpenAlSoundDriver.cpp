// OpenAlSoundDriver -- the sound driver over OpenAL: device start-up, sources, buffers, positions and Ogg streams.
#include "audio/OpenAlSoundDriver.h"

#include "audio/OpenAlErrorReport.h"
#include "audio/SoundWorld.h"
#include "audio/WavInfo.h"
#include "core/DebugSystem.h"
#include "core/UserVarSystem.h"

#include <algorithm>
#include <cmath>

namespace {

using AlGuard = std::lock_guard<std::recursive_mutex>;

// Music takes the first two sources; every other kind the rest.
constexpr int32_t kOpenAlMusicSources = 2;

// The device names tried for each choice of "s_soundDevice", in order; null is the default
// device. Only the default device need exist here: the other names are tried and fail.
const std::vector<const char*>& OpenAlDeviceOrder(int32_t choice)
{
    static const std::vector<const char*> orders[] = {
        {nullptr, "DirectSound", "MMSYSTEM", nullptr},
        {"DirectSound", "MMSYSTEM", nullptr},
        {"MMSYSTEM", nullptr},
    };
    return orders[choice >= 0 && choice <= 2 ? choice : 0];
}

ALenum OpenAlBufferFormat(const WavInfo& wav)
{
    if (wav.channelCount == 1 && wav.bitsPerSample == 8)
        return AL_FORMAT_MONO8;
    if (wav.channelCount == 1 && wav.bitsPerSample == 16)
        return AL_FORMAT_MONO16;
    if (wav.channelCount == 2 && wav.bitsPerSample == 8)
        return AL_FORMAT_STEREO8;
    if (wav.channelCount == 2 && wav.bitsPerSample == 16)
        return AL_FORMAT_STEREO16;
    return 0;
}

} // namespace

OpenAlSoundDriver::OpenAlSoundDriver(const SoundWorld& world, std::unique_ptr<OpenAlDeviceFactory> factory)
    : world(world), factory(std::move(factory))
{
}

OpenAlSoundDriver::~OpenAlSoundDriver()
{
    Shutdown();
}

// ---- Start-up and shut-down ----------------------------------------------------------------

bool OpenAlSoundDriver::Init()
{
    AlGuard guard(lock);
    if (!OpenDevice())
        return false;
    int32_t count = ProbeSourceCount();
    if (count < 1) {
        DebugSystem::Print(kPrintError, "No sound sources available!\n");
        CloseDevice();
        return false;
    }
    if (!MakeSources(count)) {
        DebugSystem::Print(kPrintError, "Failed to make sound sources!\n");
        CloseDevice();
        return false;
    }
    DebugSystem::Print(kPrintPlain, "Using %d sound sources\n", count);
    return true;
}

bool OpenAlSoundDriver::OpenDevice()
{
    int32_t choice = gUserVarSystem ? gUserVarSystem->GetIntByName("s_soundDevice") : 0;
    for (const char* name : OpenAlDeviceOrder(choice)) {
        device = factory->Open(name);
        if (device)
            break;
    }
    if (!device) {
        DebugSystem::Print(kPrintError, "Failed to open sound device!\n");
        return false;
    }
    const ALCchar* specifier = alcGetString(device, ALC_DEVICE_SPECIFIER);
    deviceName = specifier ? specifier : "";
    DebugSystem::Print(kPrintPlain, "Opened %s Device\n", deviceName.c_str());
    context = alcCreateContext(device, factory->GetContextAttributes());
    if (!context) {
        DebugSystem::Print(kPrintError, "Failed to create sound context!\n");
        CloseDevice();
        return false;
    }
    if (!alcMakeContextCurrent(context)) {
        DebugSystem::Print(kPrintError, "Failed to make sound context current!\n");
        CloseDevice();
        return false;
    }
    return true;
}

// Makes sources until OpenAL refuses, then deletes them again: the count is what this
// device can mix at once.
int32_t OpenAlSoundDriver::ProbeSourceCount()
{
    ALuint names[kMaxSources] = {};
    alGetError();
    int32_t made = 0;
    while (made < kMaxSources) {
        alGenSources(1, &names[made]);
        if (alGetError() != AL_NO_ERROR)
            break;
        ++made;
    }
    alDeleteSources(made, names);
    if (alGetError() != AL_NO_ERROR) {
        for (ALuint& name : names)
            alDeleteSources(1, &name);
    }
    ReportOpenAlError();
    return made;
}

bool OpenAlSoundDriver::MakeSources(int32_t count)
{
    alGetError();
    sources = std::vector<OpenAlSource>(static_cast<size_t>(count));
    for (OpenAlSource& source : sources) {
        alGenSources(1, &source.name);
        if (alGetError() != AL_NO_ERROR)
            return false;
    }
    return true;
}

void OpenAlSoundDriver::Shutdown()
{
    AlGuard guard(lock);
    if (!device)
        return;
    // Streams the front end left running would keep their decoders open.
    for (OpenAlSource& source : sources) {
        if (source.decoderOpen || source.streaming)
            streamer.Stop(source);
    }
    streamer.DeleteFreeBuffers();
    CloseDevice();
    streams.clear();
}

void OpenAlSoundDriver::CloseDevice()
{
    for (OpenAlSource& source : sources) {
        if (source.name != 0)
            alDeleteSources(1, &source.name);
    }
    sources.clear();
    alcMakeContextCurrent(nullptr);
    if (context)
        alcDestroyContext(context);
    if (device)
        alcCloseDevice(device);
    context = nullptr;
    device = nullptr;
    deviceName.clear();
}

int32_t OpenAlSoundDriver::GetSourceCount()
{
    AlGuard guard(lock);
    return static_cast<int32_t>(sources.size());
}

void OpenAlSoundDriver::ReservedHook() {}

void OpenAlSoundDriver::PostInit() {}

// OpenAL mixes for the speakers the system is set up with; there is nothing to choose.
void OpenAlSoundDriver::SetSpeakerType(int32_t) {}

double OpenAlSoundDriver::GetCpuUsage()
{
    return 0.0;
}

std::string OpenAlSoundDriver::GetDeviceName()
{
    AlGuard guard(lock);
    return deviceName;
}

// ---- Sources -------------------------------------------------------------------------------

OpenAlSource* OpenAlSoundDriver::FindSource(int32_t source)
{
    return source >= 0 && source < static_cast<int32_t>(sources.size()) ? &sources[source] : nullptr;
}

int32_t OpenAlSoundDriver::CountPlaying()
{
    AlGuard guard(lock);
    int32_t playing = 0;
    for (int32_t i = 0; i < static_cast<int32_t>(sources.size()); ++i)
        playing += IsSourcePlaying(i) ? 1 : 0;
    return playing;
}

void OpenAlSoundDriver::SetListenerGain(float gain)
{
    AlGuard guard(lock);
    alListenerf(AL_GAIN, gain);
    ReportOpenAlError();
}

// The listener is the reference itself: it stands at the origin, and the depth floor that
// keeps sounds in front of it does not apply to it.
void OpenAlSoundDriver::SetListenerPosition(const SoundPos& position)
{
    AlGuard guard(lock);
    float at[3];
    ToOpenAl(position, false, at);
    alListenerfv(AL_POSITION, at);
    ReportOpenAlError();
    const ALfloat orientation[6] = {0.0f, 0.0f, -1.0f, 0.0f, 1.0f, 0.0f};
    alListenerfv(AL_ORIENTATION, orientation);
    ReportOpenAlError();
}

void OpenAlSoundDriver::ToOpenAl(const SoundPos& position, bool floorDepth, float out[3]) const
{
    SoundDelta delta = world.DeltaTo(world.GetListenerReference(), position);
    float depth = -std::fabs(delta.y);
    if (floorDepth && depth > -kMinimumDepth)
        depth = -kMinimumDepth;
    out[0] = delta.x;
    out[1] = delta.z;
    out[2] = depth;
}

void OpenAlSoundDriver::StopSource(int32_t source)
{
    AlGuard guard(lock);
    OpenAlSource* record = FindSource(source);
    if (!record)
        return;
    alSourceStop(record->name);
    ReportOpenAlError();
    alSourcei(record->name, AL_BUFFER, 0);
    ReportOpenAlError();
}

void OpenAlSoundDriver::SetSourceGain(int32_t source, float gain)
{
    AlGuard guard(lock);
    OpenAlSource* record = FindSource(source);
    if (!record)
        return;
    alSourcef(record->name, AL_GAIN, std::max(gain, 0.0f));
    ReportOpenAlError();
}

void OpenAlSoundDriver::SetSourcePosition(int32_t source, const SoundPos& position)
{
    AlGuard guard(lock);
    OpenAlSource* record = FindSource(source);
    if (!record)
        return;
    float at[3];
    ToOpenAl(position, true, at);
    alSourcefv(record->name, AL_POSITION, at);
    ReportOpenAlError();
}

// Only the reference distance is set: OpenAL's own distance model, roll-off and maximum
// distance apply.
void OpenAlSoundDriver::SetSourceDistances(int32_t source, float minimum, float)
{
    AlGuard guard(lock);
    OpenAlSource* record = FindSource(source);
    if (!record)
        return;
    alSourcef(record->name, AL_REFERENCE_DISTANCE, 2.0f * minimum);
    ReportOpenAlError();
}

void OpenAlSoundDriver::SetSourcePitch(int32_t source, int32_t, float pitch)
{
    AlGuard guard(lock);
    if (OpenAlSource* record = FindSource(source))
        alSourcef(record->name, AL_PITCH, pitch);
}

bool OpenAlSoundDriver::IsSourcePlaying(int32_t source)
{
    AlGuard guard(lock);
    OpenAlSource* record = FindSource(source);
    if (!record)
        return false;
    ALint state = 0;
    alGetSourcei(record->name, AL_SOURCE_STATE, &state);
    if (state == AL_PLAYING)
        return true;
    return record->streaming && IsStreamPlaying(*record);
}

// A stream between refills still counts as playing while it has data queued, or loops over a
// file its decoder still gets sound from: one that yields none would hold its channel and
// source for ever.
bool OpenAlSoundDriver::IsStreamPlaying(const OpenAlSource& source) const
{
    if (source.streamLoops && source.decodedLastPass)
        return true;
    ALint queued = 0;
    alGetSourcei(source.name, AL_BUFFERS_QUEUED, &queued);
    return queued >= 1;
}

void OpenAlSoundDriver::SetSourceLooping(int32_t source, bool loop)
{
    AlGuard guard(lock);
    OpenAlSource* record = FindSource(source);
    if (!record)
        return;
    alSourcei(record->name, AL_LOOPING, loop ? 1 : 0);
    ReportOpenAlError();
}

// A stream loops in the decoder, which seeks back to its start; the source itself never loops.
void OpenAlSoundDriver::SetStreamLooping(int32_t source, int32_t, bool loop)
{
    AlGuard guard(lock);
    OpenAlSource* record = FindSource(source);
    if (!record)
        return;
    alSourcei(record->name, AL_LOOPING, 0);
    ReportOpenAlError();
    record->streamLoops = loop;
}

int32_t OpenAlSoundDriver::AttachBuffer(int32_t sourceIndex, uint32_t)
{
    AlGuard guard(lock);
    return FindSource(sourceIndex) ? sourceIndex : -1;
}

void OpenAlSoundDriver::PlayBuffer(int32_t source, uint32_t buffer)
{
    AlGuard guard(lock);
    OpenAlSource* record = FindSource(source);
    if (!record)
        return;
    alSourcei(record->name, AL_BUFFER, static_cast<ALint>(buffer));
    ReportOpenAlError();
    alSourcePlay(record->name);
    ReportOpenAlError();
    record->streaming = false;
}

int32_t OpenAlSoundDriver::AttachStream(int32_t sourceIndex, int32_t)
{
    AlGuard guard(lock);
    return FindSource(sourceIndex) ? sourceIndex : -1;
}

bool OpenAlSoundDriver::PauseSource(int32_t source)
{
    AlGuard guard(lock);
    if (OpenAlSource* record = FindSource(source))
        alSourcePause(record->name);
    return true;
}

bool OpenAlSoundDriver::ResumeSource(int32_t source)
{
    AlGuard guard(lock);
    if (OpenAlSource* record = FindSource(source))
        alSourcePlay(record->name);
    return true;
}

void OpenAlSoundDriver::GetSourceRange(int32_t kind, int32_t& first, int32_t& count)
{
    AlGuard guard(lock);
    int32_t total = static_cast<int32_t>(sources.size());
    first = 0;
    count = 0;
    if (kind >= kSoundMono && kind <= kSoundDialog) {
        first = kOpenAlMusicSources;
        count = std::max(total - kOpenAlMusicSources, 0);
    } else if (kind == kSoundMusic) {
        count = std::min(total, kOpenAlMusicSources);
    }
}

bool OpenAlSoundDriver::CanShareStreams()
{
    return true;
}

bool OpenAlSoundDriver::IsPositional(int32_t kind)
{
    return kind == kSoundMono || kind == kSoundStream || kind == kSoundDialog;
}

// ---- Buffers -------------------------------------------------------------------------------

uint32_t OpenAlSoundDriver::CreateBuffer(const uint8_t*, uint32_t, const WavInfo& wav)
{
    ALenum format = OpenAlBufferFormat(wav);
    if (format == 0 || wav.sampleRate <= 0 || !wav.samples)
        return 0;
    // OpenAL takes whole frames only: a data chunk cut by the end of its file may end inside one.
    size_t frameBytes = static_cast<size_t>(wav.channelCount * (wav.bitsPerSample / 8));
    size_t bytes = wav.GetDataBytes() / frameBytes * frameBytes;
    AlGuard guard(lock);
    if (!device)
        return 0;
    ALuint buffer = 0;
    alGenBuffers(1, &buffer);
    ReportOpenAlError();
    alBufferData(buffer, format, wav.samples, static_cast<ALsizei>(bytes), wav.sampleRate);
    ReportOpenAlError();
    return buffer;
}

void OpenAlSoundDriver::DeleteBuffer(uint32_t buffer)
{
    AlGuard guard(lock);
    if (!device || buffer == 0)
        return;
    ALuint name = buffer;
    alDeleteBuffers(1, &name);
    ReportOpenAlError();
}

// ---- Streams -------------------------------------------------------------------------------

int32_t OpenAlSoundDriver::CreateStream(const uint8_t* bytes, uint32_t byteCount, const std::string& name)
{
    AlGuard guard(lock);
    auto record = std::make_unique<OggMemoryData>(OggMemoryData{bytes, byteCount, name});
    auto empty = std::find(streams.begin(), streams.end(), nullptr);
    if (empty == streams.end())
        empty = streams.insert(streams.end(), nullptr);
    *empty = std::move(record);
    return static_cast<int32_t>(empty - streams.begin()) + 1;
}

void OpenAlSoundDriver::DeleteStream(int32_t stream)
{
    AlGuard guard(lock);
    if (stream >= 1 && stream <= static_cast<int32_t>(streams.size()))
        streams[stream - 1].reset();
}

const OggMemoryData* OpenAlSoundDriver::FindStream(int32_t stream) const
{
    return stream >= 1 && stream <= static_cast<int32_t>(streams.size()) ? streams[stream - 1].get() : nullptr;
}

void OpenAlSoundDriver::StartStream(int32_t source, int32_t stream)
{
    AlGuard guard(lock);
    OpenAlSource* record = FindSource(source);
    const OggMemoryData* data = FindStream(stream);
    if (record && data)
        streamer.Start(*record, data);
}

void OpenAlSoundDriver::UpdateStreams()
{
    AlGuard guard(lock);
    for (OpenAlSource& source : sources) {
        if (source.streaming)
            streamer.Refill(source);
    }
}

void OpenAlSoundDriver::StopStream(int32_t source, int32_t)
{
    AlGuard guard(lock);
    if (OpenAlSource* record = FindSource(source))
        streamer.Stop(*record);
}

int32_t OpenAlSoundDriver::GetOpenDecoderCount() const
{
    AlGuard guard(lock);
    return streamer.GetOpenDecoderCount();
}
