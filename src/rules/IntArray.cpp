// IntArray -- a fixed-length array of 32-bit counted values with bounds-checked access and two saved forms.
#include "rules/IntArray.h"

#include "core/DebugSystem.h"
#include "core/MessageBuffer.h"

#include <algorithm>
#include <limits>

namespace {

int32_t IntArraySaturate(int64_t value)
{
    return static_cast<int32_t>(std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

} // namespace

IntArray::IntArray(int32_t count)
{
    SetCount(count);
}

void IntArray::SetCount(int32_t count)
{
    values.resize(static_cast<size_t>(std::max(count, 0)), 0);
}

bool IntArray::IsValidIndex(int32_t index) const
{
    if (index >= 0 && index < GetCount())
        return true;
    DebugSystem::Print(kPrintError, "IntArray index %d outside 0..%d\n", index, GetCount() - 1);
    return false;
}

int32_t IntArray::Get(int32_t index) const
{
    return IsValidIndex(index) ? values[static_cast<size_t>(index)] : 0;
}

void IntArray::Set(int32_t index, int32_t value)
{
    if (IsValidIndex(index))
        values[static_cast<size_t>(index)] = value;
}

void IntArray::Add(int32_t index, int32_t amount)
{
    if (IsValidIndex(index))
        values[static_cast<size_t>(index)] = IntArraySaturate(int64_t{values[static_cast<size_t>(index)]} + amount);
}

void IntArray::AddCapped(int32_t index, int32_t amount, int32_t cap)
{
    if (!IsValidIndex(index))
        return;
    int32_t sum = IntArraySaturate(int64_t{values[static_cast<size_t>(index)]} + amount);
    values[static_cast<size_t>(index)] = (cap >= 1 && sum > cap) ? cap : sum;
}

void IntArray::SubtractFloored(int32_t index, int32_t amount)
{
    if (IsValidIndex(index))
        values[static_cast<size_t>(index)] = std::max(IntArraySaturate(int64_t{values[static_cast<size_t>(index)]} - amount), 0);
}

void IntArray::Clear()
{
    std::fill(values.begin(), values.end(), 0);
}

void IntArray::CopyFrom(const IntArray& source)
{
    if (source.GetCount() < GetCount())
        DebugSystem::Print(kPrintError, "IntArray copy of %d elements from an array of %d\n", GetCount(),
                           source.GetCount());
    size_t shared = std::min(values.size(), source.values.size());
    std::copy_n(source.values.begin(), shared, values.begin());
}

void IntArray::Write(MessageBuffer& buffer) const
{
    buffer.WriteInt(GetCount());
    WriteValues(buffer);
}

bool IntArray::Read(MessageBuffer& buffer)
{
    int32_t stored = 0;
    if (!buffer.ReadCount(stored, sizeof(int32_t))) {
        DebugSystem::Print(kPrintError, "IntArray: refused a stored count that the data cannot hold\n");
        return false;
    }
    ReadWords(buffer, stored);
    return true;
}

void IntArray::WriteValues(MessageBuffer& buffer) const
{
    for (int32_t value : values)
        buffer.WriteInt(value);
}

bool IntArray::ReadValues(MessageBuffer& buffer, int32_t n)
{
    if (n == 0)
        n = GetCount();
    if (n < 0 || static_cast<uint64_t>(n) * sizeof(int32_t) > buffer.BytesLeft()) {
        DebugSystem::Print(kPrintError, "IntArray: %d values asked for, %zu bytes left\n", n, buffer.BytesLeft());
        // Like a refused count: the stream ends in the overrun state, so the caller sees the fault.
        buffer.SetReadPos(buffer.Size());
        buffer.ReadInt();
        return false;
    }
    ReadWords(buffer, n);
    return true;
}

void IntArray::ReadWords(MessageBuffer& buffer, int32_t n)
{
    for (int32_t i = 0; i < n; ++i) {
        int32_t value = buffer.ReadInt();
        if (i < GetCount())
            values[static_cast<size_t>(i)] = value;
    }
}
