// KeyboardEventBuffer -- the keyboard's buffered events between two reads: at most 100, in arrival order, with the overflow kept.
#include "platform/KeyboardEventBuffer.h"

bool KeyboardEventBuffer::Push(const KeyboardRecord& record)
{
    if (count == kCapacity) {
        overflowed = true;
        return false;
    }
    records[count++] = record;
    return true;
}

void KeyboardEventBuffer::Clear()
{
    records.fill(KeyboardRecord{});
    count = 0;
    overflowed = false;
}

std::vector<KeyboardRecord> KeyboardEventBuffer::Take(bool& lostSome)
{
    std::vector<KeyboardRecord> taken(records.begin(), records.begin() + static_cast<std::ptrdiff_t>(count));
    lostSome = overflowed;
    Clear();
    return taken;
}
