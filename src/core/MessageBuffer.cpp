// MessageBuffer -- the little-endian byte stream that saves and datagrams are built from.
#include "core/MessageBuffer.h"

#include "core/TimeStamp.h"
#include "core/system/PlatformSystem.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

// Before the platform system exists (start-up, tests) the conversion is done here, so the
// stored form is little-endian either way.
uint32_t LocalToLittle(uint32_t value)
{
    uint8_t out[4] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
                      static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 24)};
    uint32_t bits;
    std::memcpy(&bits, out, 4);
    return bits;
}

uint32_t LocalFromLittle(const uint8_t* in)
{
    return in[0] | (in[1] << 8) | (in[2] << 16) | (static_cast<uint32_t>(in[3]) << 24);
}

uint32_t ToLittleBits(uint32_t value)
{
    return gPlatformSystem ? gPlatformSystem->ToLittleU32(value) : LocalToLittle(value);
}

uint32_t FromLittleBits(const uint8_t* in)
{
    if (!gPlatformSystem)
        return LocalFromLittle(in);
    uint32_t bits;
    std::memcpy(&bits, in, 4);
    return gPlatformSystem->FromLittleU32(bits);
}

uint32_t FloatBits(float value)
{
    uint32_t bits;
    std::memcpy(&bits, &value, 4);
    return bits;
}

} // namespace

void MessageBuffer::Reserve(size_t count)
{
    bytes.reserve(bytes.size() + count);
}

void MessageBuffer::Clear()
{
    bytes.clear();
    readPos = 0;
    overrun = false;
}

void MessageBuffer::Put32(uint32_t littleEndianBits)
{
    const uint8_t* raw = reinterpret_cast<const uint8_t*>(&littleEndianBits);
    bytes.insert(bytes.end(), raw, raw + 4);
}

void MessageBuffer::WriteInt(int32_t value)
{
    Put32(gPlatformSystem ? static_cast<uint32_t>(gPlatformSystem->ToLittle32(value))
                          : LocalToLittle(static_cast<uint32_t>(value)));
}

void MessageBuffer::WriteUInt(uint32_t value)
{
    Put32(ToLittleBits(value));
}

void MessageBuffer::WriteFloat(float value)
{
    Put32(gPlatformSystem ? gPlatformSystem->ToLittleFloat(value) : LocalToLittle(FloatBits(value)));
}

void MessageBuffer::WriteDouble(double value)
{
    uint64_t bits;
    std::memcpy(&bits, &value, 8);
    if (gPlatformSystem) {
        uint64_t little = gPlatformSystem->ToLittle64(bits);
        WriteBytes(&little, 8);
        return;
    }
    Put32(LocalToLittle(static_cast<uint32_t>(bits)));
    Put32(LocalToLittle(static_cast<uint32_t>(bits >> 32)));
}

void MessageBuffer::WriteBool(bool value)
{
    WriteUInt(value ? 1 : 0);
}

void MessageBuffer::WriteRaw32(uint32_t value)
{
    Put32(value);
}

void MessageBuffer::WriteString(std::string_view text)
{
    size_t nul = text.find('\0');
    if (nul != std::string_view::npos)
        text = text.substr(0, nul);
    bytes.insert(bytes.end(), text.begin(), text.end());
    bytes.push_back(0);
}

void MessageBuffer::WriteStringList(const std::vector<std::string>& list)
{
    WriteUInt(static_cast<uint32_t>(list.size()));
    for (const std::string& text : list)
        WriteString(text);
}

void MessageBuffer::WriteIntVector(const std::vector<int32_t>& values)
{
    WriteUInt(static_cast<uint32_t>(values.size()));
    for (int32_t value : values)
        WriteInt(value);
}

void MessageBuffer::WriteBoolVector(const std::vector<bool>& values)
{
    WriteUInt(static_cast<uint32_t>(values.size()));
    for (bool value : values)
        WriteBool(value);
}

void MessageBuffer::SwapBytes(std::vector<uint8_t>& other)
{
    bytes.swap(other);
    readPos = 0;
    overrun = false;
}

void MessageBuffer::WriteBytes(const void* data, size_t count)
{
    if (count == 0)
        return;
    const uint8_t* raw = static_cast<const uint8_t*>(data);
    bytes.insert(bytes.end(), raw, raw + count);
}

void MessageBuffer::MarkOverrun()
{
    readPos = bytes.size();
    overrun = true;
}

bool MessageBuffer::Take(void* out, size_t count)
{
    if (count > BytesLeft()) {
        std::memset(out, 0, count);
        MarkOverrun();
        return false;
    }
    std::memcpy(out, bytes.data() + readPos, count);
    readPos += count;
    return true;
}

uint32_t MessageBuffer::ReadUInt()
{
    uint8_t raw[4];
    return Take(raw, 4) ? FromLittleBits(raw) : 0;
}

int32_t MessageBuffer::ReadInt()
{
    uint8_t raw[4];
    if (!Take(raw, 4))
        return 0;
    if (!gPlatformSystem)
        return static_cast<int32_t>(LocalFromLittle(raw));
    int32_t stored;
    std::memcpy(&stored, raw, 4);
    return gPlatformSystem->FromLittle32(stored);
}

float MessageBuffer::ReadFloat()
{
    uint8_t raw[4];
    if (!Take(raw, 4))
        return 0.0f;
    if (gPlatformSystem)
        return gPlatformSystem->FromLittleFloat(raw);
    uint32_t bits = LocalFromLittle(raw);
    float value;
    std::memcpy(&value, &bits, 4);
    return value;
}

double MessageBuffer::ReadDouble()
{
    uint8_t raw[8];
    if (!Take(raw, 8))
        return 0.0;
    if (gPlatformSystem)
        return gPlatformSystem->FromLittleDouble(raw);
    uint64_t bits = LocalFromLittle(raw) | (static_cast<uint64_t>(LocalFromLittle(raw + 4)) << 32);
    double value;
    std::memcpy(&value, &bits, 8);
    return value;
}

bool MessageBuffer::ReadBool()
{
    return ReadUInt() != 0;
}

uint32_t MessageBuffer::ReadRaw32()
{
    uint32_t value = 0;
    Take(&value, 4);
    return value;
}

std::string MessageBuffer::ReadString()
{
    std::string text;
    ReadString(text);
    return text;
}

void MessageBuffer::ReadString(std::string& out)
{
    const void* nul = BytesLeft() ? std::memchr(bytes.data() + readPos, 0, BytesLeft()) : nullptr;
    if (!nul) {
        MarkOverrun();
        out.clear();
        return;
    }
    const uint8_t* start = bytes.data() + readPos;
    size_t length = static_cast<const uint8_t*>(nul) - start;
    readPos += length + 1;
    out.assign(reinterpret_cast<const char*>(start), length);
}

void MessageBuffer::ReadVector2(float& x, float& y)
{
    x = ReadFloat();
    y = ReadFloat();
}

void MessageBuffer::ReadVector3(float& x, float& y, float& z)
{
    x = ReadFloat();
    y = ReadFloat();
    z = ReadFloat();
}

bool MessageBuffer::ReadStringList(std::vector<std::string>& out)
{
    int32_t count = 0;
    if (!ReadCount(count, 1))
        return false;
    std::vector<std::string> list;
    list.reserve(count);
    for (int32_t i = 0; i < count; ++i) {
        list.push_back(ReadString());
        if (overrun)
            return false;
    }
    out.swap(list);
    return true;
}

bool MessageBuffer::ReadIntVector(std::vector<int32_t>& out)
{
    int32_t count = 0;
    if (!ReadCount(count, 4))
        return false;
    // The count was checked against the bytes left, so nothing below can fail: the list is read
    // into the kept one, whose room an update of the same length reuses.
    out.resize(static_cast<size_t>(count));
    for (int32_t& value : out)
        value = ReadInt();
    return true;
}

bool MessageBuffer::ReadBoolVector(std::vector<bool>& out)
{
    int32_t count = 0;
    if (!ReadCount(count, 4))
        return false;
    out.resize(static_cast<size_t>(count));
    for (int32_t i = 0; i < count; ++i)
        out[static_cast<size_t>(i)] = ReadBool();
    return true;
}

bool MessageBuffer::ReadBytes(void* out, size_t count)
{
    return count == 0 || Take(out, count);
}

void MessageBuffer::WriteTimeStamp(const TimeStamp& value)
{
    WriteInt(value.days);
    WriteInt(value.hours);
    WriteInt(value.minutes);
    WriteFloat(value.seconds);
}

void MessageBuffer::ReadTimeStamp(TimeStamp& out)
{
    out.days = ReadInt();
    out.hours = ReadInt();
    out.minutes = ReadInt();
    out.seconds = ReadFloat();
}

bool MessageBuffer::ReadFiniteTimeStamp(TimeStamp& out)
{
    ReadTimeStamp(out);
    if (!std::isfinite(out.seconds))
        return false;
    out.Normalize();
    return true;
}

bool MessageBuffer::ReadFiniteFloats(std::span<float> out)
{
    for (float& value : out)
        value = ReadFloat();
    if (Overrun())
        return false;
    return std::all_of(out.begin(), out.end(), [](float value) { return std::isfinite(value); });
}

bool MessageBuffer::ReadCount(int32_t& count, size_t elementBytes)
{
    count = 0;
    if (BytesLeft() < 4) {
        MarkOverrun();
        return false;
    }
    int32_t stored = ReadInt();
    if (stored < 0 || static_cast<uint64_t>(stored) * elementBytes > BytesLeft()) {
        MarkOverrun();
        return false;
    }
    count = stored;
    return true;
}

bool MessageBuffer::Overrun() const
{
    return overrun;
}

size_t MessageBuffer::BytesLeft() const
{
    return bytes.size() - readPos;
}

size_t MessageBuffer::Size() const
{
    return bytes.size();
}

const uint8_t* MessageBuffer::Data() const
{
    return bytes.data();
}

size_t MessageBuffer::GetReadPos() const
{
    return readPos;
}

void MessageBuffer::SetReadPos(size_t position)
{
    readPos = position < bytes.size() ? position : bytes.size();
    overrun = false;
}
