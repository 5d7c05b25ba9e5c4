// OggMemoryReader -- the decoder's read, seek, close and tell over an encoded file held in memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vorbis/vorbisfile.h>

// An encoded file as its resource keeps it; the reader never copies or frees the bytes.
struct OggMemoryData {
    const uint8_t* bytes = nullptr;
    uint32_t size = 0;
    // The file's name, for the log.
    std::string name;
};

// One per source: the stream it plays and the decoder's read position in it.
class OggMemoryReader {
public:
    void Open(const OggMemoryData* stream);
    void Close();
    const OggMemoryData* GetStream() const { return stream; }
    int64_t GetPosition() const { return position; }

    // The four callbacks, each given the reader as the decoder's data source.
    static ov_callbacks GetCallbacks();
    // Copies up to size x count bytes from the position; 0 at the end or without a stream.
    static size_t Read(void* destination, size_t size, size_t count, void* reader);
    // Whence 0 from the start, 1 from the position, 2 from the end; another whence leaves the
    // position. A place before the start is refused (-1) and the position does not move.
    static int Seek(void* reader, ogg_int64_t offset, int whence);
    // Frees nothing: the bytes belong to the resource. -1 without a stream.
    static int CloseStream(void* reader);
    static long Tell(void* reader);

private:
    const OggMemoryData* stream = nullptr;
    int64_t position = 0;
};
