// MessageBuffer -- the little-endian byte stream that saves and datagrams are built from.
#pragma once

#include "core/BaseClass.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct TimeStamp;

// Reads past the end return 0 / 0.0 / false / empty, leave the cursor at the end and set a
// sticky overrun flag: a truncated save or datagram can be detected after the whole read.
class MessageBuffer : public BaseClass {
public:
    void Reserve(size_t bytes);
    void Clear();

    void WriteInt(int32_t value);
    void WriteUInt(uint32_t value);
    void WriteFloat(float value);
    void WriteBool(bool value);
    void WriteByte(uint8_t value);
    void WriteString(std::string_view text);
    void WriteBytes(const void* data, size_t count);

    int32_t ReadInt();
    uint32_t ReadUInt();
    float ReadFloat();
    bool ReadBool();
    uint8_t ReadByte();
    std::string ReadString();
    bool ReadBytes(void* out, size_t count);
    void ReadTimeStamp(TimeStamp& out);
    void WriteTimeStamp(const TimeStamp& value);

    // A stored count is refused (returns false) when it is negative or could not fit in
    // the bytes left at elementBytes each; nothing is allocated for a refused count.
    bool ReadCount(int32_t& count, size_t elementBytes);

    bool Overrun() const;
    size_t BytesLeft() const;
    size_t Size() const;
    const uint8_t* Data() const;
    size_t GetReadPos() const;
    void SetReadPos(size_t position);
};
