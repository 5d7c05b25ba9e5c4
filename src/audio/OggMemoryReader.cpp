// OggMemoryReader -- the decoder's read, seek, close and tell over an encoded file held in memory.
#include "audio/OggMemoryReader.h"

#include <cstdio>
#include <cstring>

void OggMemoryReader::Open(const OggMemoryData* data)
{
    stream = data;
    position = 0;
}

void OggMemoryReader::Close()
{
    stream = nullptr;
    position = 0;
}

ov_callbacks OggMemoryReader::GetCallbacks()
{
    ov_callbacks callbacks;
    callbacks.read_func = &OggMemoryReader::Read;
    callbacks.seek_func = &OggMemoryReader::Seek;
    callbacks.close_func = &OggMemoryReader::CloseStream;
    callbacks.tell_func = &OggMemoryReader::Tell;
    return callbacks;
}

size_t OggMemoryReader::Read(void* destination, size_t size, size_t count, void* data)
{
    auto* reader = static_cast<OggMemoryReader*>(data);
    if (!reader || !reader->stream || reader->position >= reader->stream->size || size == 0)
        return 0;
    size_t left = static_cast<size_t>(reader->stream->size - reader->position);
    // size x count may not fit a size_t; the bytes left always do.
    size_t wanted = count > left / size ? left : size * count;
    std::memcpy(destination, reader->stream->bytes + reader->position, wanted);
    reader->position += static_cast<int64_t>(wanted);
    return wanted;
}

int OggMemoryReader::Seek(void* data, ogg_int64_t offset, int whence)
{
    auto* reader = static_cast<OggMemoryReader*>(data);
    if (!reader || !reader->stream)
        return -1;
    // The file is below 4 GB, so an offset beyond 32 bits lands outside it either way; cut
    // there, the sums below cannot overflow.
    int64_t step = offset > INT32_MAX ? INT64_C(1) << 32 : offset < INT32_MIN ? -(INT64_C(1) << 32) : offset;
    int64_t target = reader->position;
    if (whence == SEEK_SET)
        target = step;
    else if (whence == SEEK_CUR)
        target = reader->position + step;
    else if (whence == SEEK_END)
        target = reader->stream->size + step;
    // A position before the start would make the next read copy from before the bytes.
    if (target < 0)
        return -1;
    reader->position = target;
    return 0;
}

int OggMemoryReader::CloseStream(void* data)
{
    auto* reader = static_cast<OggMemoryReader*>(data);
    return reader && reader->stream ? 0 : -1;
}

long OggMemoryReader::Tell(void* data)
{
    auto* reader = static_cast<OggMemoryReader*>(data);
    return reader && reader->stream ? static_cast<long>(reader->position) : 0;
}
