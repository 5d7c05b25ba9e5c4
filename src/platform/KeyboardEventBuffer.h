// KeyboardEventBuffer -- the keyboard's buffered events between two reads: at most 100, in arrival order, with the overflow kept.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

// One key event: the scan code before the keyboard type's remapping, and whether it went down.
struct KeyboardRecord {
    int32_t scanCode = 0;
    bool down = false;
};

class KeyboardEventBuffer {
public:
    static constexpr size_t kCapacity = 100;

    // False when the buffer is full: the record is lost and the overflow remembered.
    bool Push(const KeyboardRecord& record);
    // The records since the last take, oldest first, and whether any were lost since; the
    // buffer is left empty.
    std::vector<KeyboardRecord> Take(bool& lostSome);
    size_t GetCount() const { return count; }
    void Clear();

private:
    std::array<KeyboardRecord, kCapacity> records{};
    size_t count = 0;
    bool overflowed = false;
};
