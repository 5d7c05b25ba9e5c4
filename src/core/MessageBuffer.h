// MessageBuffer -- the little-endian byte stream that saves and datagrams are built from.
#pragma once

#include "core/BaseClass.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

struct TimeStamp;

// Reads past the end return 0 / 0.0 / false / empty, leave the cursor at the end and set a
// sticky overrun flag: a truncated save or datagram can be detected after the whole read.
// Numbers are stored little-endian whatever the host; a text is its bytes and a NUL.
class MessageBuffer : public BaseClass {
public:
    void Reserve(size_t bytes);
    // Keeps the storage; the read starts afresh.
    void Clear();

    void WriteInt(int32_t value);
    void WriteUInt(uint32_t value);
    void WriteFloat(float value);
    void WriteDouble(double value);
    void WriteBool(bool value);
    // The four bytes exactly as the host holds them, with no byte-order conversion.
    void WriteRaw32(uint32_t value);
    // Stops at an embedded NUL: the reader could not find the rest.
    void WriteString(std::string_view text);
    void WriteStringList(const std::vector<std::string>& list);
    void WriteIntVector(const std::vector<int32_t>& values);
    void WriteBoolVector(const std::vector<bool>& values);
    void WriteBytes(const void* data, size_t count);
    // Exchanges the held bytes with the vector's, without copying them; reading starts afresh.
    void SwapBytes(std::vector<uint8_t>& other);

    int32_t ReadInt();
    uint32_t ReadUInt();
    float ReadFloat();
    double ReadDouble();
    // Any non-zero word is true.
    bool ReadBool();
    uint32_t ReadRaw32();
    std::string ReadString();
    // The same read into a kept string: its room is reused, so a steady update allocates nothing.
    void ReadString(std::string& out);
    void ReadVector2(float& x, float& y);
    void ReadVector3(float& x, float& y, float& z);
    // The list and vector reads replace the contents only when the whole value was there.
    bool ReadStringList(std::vector<std::string>& out);
    bool ReadIntVector(std::vector<int32_t>& out);
    bool ReadBoolVector(std::vector<bool>& out);
    // Fills out with zeros and returns false when fewer than count bytes are left.
    bool ReadBytes(void* out, size_t count);
    void ReadTimeStamp(TimeStamp& out);
    // A stamp whose seconds are a number, normalised; false, the stamp as read, when they are not.
    bool ReadFiniteTimeStamp(TimeStamp& out);
    // Fills out; false when the buffer ran short or a value is not a number or infinite.
    bool ReadFiniteFloats(std::span<float> out);
    void WriteTimeStamp(const TimeStamp& value);

    // A stored count is refused (returns false) when it is negative or could not fit in
    // the bytes left at elementBytes each; nothing is allocated for a refused count, and the
    // refusal counts as an overrun.
    bool ReadCount(int32_t& count, size_t elementBytes);

    bool Overrun() const;
    size_t BytesLeft() const;
    size_t Size() const;
    // The bytes held without a new allocation.
    size_t Capacity() const { return bytes.capacity(); }
    const uint8_t* Data() const;
    size_t GetReadPos() const;
    // Clamped to the size; starts a fresh read, so the overrun flag is cleared.
    void SetReadPos(size_t position);

private:
    void Put32(uint32_t littleEndianBits);
    bool Take(void* out, size_t count);
    void MarkOverrun();

    std::vector<uint8_t> bytes;
    size_t readPos = 0;
    bool overrun = false;
};
