// OpenAlStreamer -- plays Ogg Vorbis streams on OpenAL sources: decodes chunks into a short queue of recycled buffers.
#include "audio/OpenAlStreamer.h"

#include "audio/OpenAlErrorReport.h"
#include "core/DebugSystem.h"

#include <bit>

namespace {

// ov_read's word layout: 16-bit signed samples in the machine's own byte order.
constexpr int kOggBigEndian = std::endian::native == std::endian::big ? 1 : 0;
constexpr int kOggWordBytes = 2;
constexpr int kOggSigned = 1;

} // namespace

OpenAlStreamer::OpenAlStreamer() : decodeBuffer(kChunkBytes) {}

void OpenAlStreamer::Start(OpenAlSource& source, const OggMemoryData* stream)
{
    if (source.decoderOpen)
        Stop(source);
    source.reader.Open(stream);
    source.format = 0;
    source.decodedLastPass = false;
    if (ov_open_callbacks(&source.reader, &source.decoder, nullptr, 0, OggMemoryReader::GetCallbacks()) != 0) {
        DebugSystem::Print(kPrintDeveloper, "Couldn't decode %s: not an Ogg Vorbis stream\n", stream->name.c_str());
        return;
    }
    source.decoderOpen = true;
    ++openDecoders;
    vorbis_info* info = ov_info(&source.decoder, -1);
    if (!info || (info->channels != 1 && info->channels != 2))
        return;
    source.format = info->channels == 1 ? AL_FORMAT_MONO16 : AL_FORMAT_STEREO16;
    source.sampleRate = static_cast<ALsizei>(info->rate);
    for (ALuint& slot : source.streamBuffers) {
        slot = TakeBuffer();
        int32_t bytes = DecodeChunk(source);
        if (bytes > 0)
            QueueChunk(source, slot, bytes);
        source.decodedLastPass = source.decodedLastPass || bytes > 0;
    }
    alSourcePlay(source.name);
    ReportOpenAlError();
    source.streaming = true;
}

void OpenAlStreamer::Refill(OpenAlSource& source)
{
    ALint processed = 0;
    alGetSourcei(source.name, AL_BUFFERS_PROCESSED, &processed);
    ReportOpenAlError();
    if (processed > 0)
        source.decodedLastPass = false;
    for (ALint i = 0; i < processed; ++i) {
        ALuint buffer = 0;
        alSourceUnqueueBuffers(source.name, 1, &buffer);
        ReportOpenAlError();
        int32_t bytes = DecodeChunk(source);
        if (bytes == 0 && source.streamLoops) {
            ov_pcm_seek(&source.decoder, 0);
            bytes = DecodeChunk(source);
        }
        // A buffer that got nothing stays out of the queue; its name stays in its slot.
        if (bytes > 0)
            QueueChunk(source, buffer, bytes);
        source.decodedLastPass = source.decodedLastPass || bytes > 0;
    }
    ALint state = 0;
    ALint queued = 0;
    alGetSourcei(source.name, AL_SOURCE_STATE, &state);
    ReportOpenAlError();
    alGetSourcei(source.name, AL_BUFFERS_QUEUED, &queued);
    ReportOpenAlError();
    if (state != AL_PLAYING && queued > 0) {
        alSourcePlay(source.name);
        ReportOpenAlError();
    }
}

void OpenAlStreamer::Stop(OpenAlSource& source)
{
    alSourceStop(source.name);
    ReportOpenAlError();
    ALint processed = 0;
    alGetSourcei(source.name, AL_BUFFERS_PROCESSED, &processed);
    for (ALint i = 0; i < processed; ++i) {
        ALuint buffer = 0;
        alSourceUnqueueBuffers(source.name, 1, &buffer);
        ReportOpenAlError();
    }
    alSourcei(source.name, AL_BUFFER, 0);
    ReportOpenAlError();
    for (ALuint& slot : source.streamBuffers) {
        if (slot != 0)
            freeBuffers.push_back(slot);
        slot = 0;
    }
    if (source.decoderOpen) {
        ov_clear(&source.decoder);
        --openDecoders;
    }
    source.decoderOpen = false;
    source.streaming = false;
    source.streamLoops = false;
    source.reader.Close();
}

void OpenAlStreamer::DeleteFreeBuffers()
{
    for (ALuint buffer : freeBuffers) {
        alDeleteBuffers(1, &buffer);
        ReportOpenAlError();
    }
    freeBuffers.clear();
}

int32_t OpenAlStreamer::DecodeChunk(OpenAlSource& source)
{
    int32_t total = 0;
    while (total < static_cast<int32_t>(kChunkBytes)) {
        int bitstream = 0;
        long got = ov_read(&source.decoder, decodeBuffer.data() + total, static_cast<int>(kChunkBytes) - total,
                           kOggBigEndian, kOggWordBytes, kOggSigned, &bitstream);
        // 0 is the end of the stream; below 0 a damaged stretch, which ends the chunk early.
        if (got <= 0)
            break;
        total += static_cast<int32_t>(got);
    }
    return total;
}

ALuint OpenAlStreamer::TakeBuffer()
{
    if (!freeBuffers.empty()) {
        ALuint buffer = freeBuffers.front();
        freeBuffers.pop_front();
        return buffer;
    }
    ALuint buffer = 0;
    alGenBuffers(1, &buffer);
    ReportOpenAlError();
    return buffer;
}

void OpenAlStreamer::QueueChunk(OpenAlSource& source, ALuint buffer, int32_t bytes)
{
    alBufferData(buffer, source.format, decodeBuffer.data(), bytes, source.sampleRate);
    ReportOpenAlError();
    alSourceQueueBuffers(source.name, 1, &buffer);
    ReportOpenAlError();
}
