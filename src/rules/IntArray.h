// IntArray -- a fixed-length array of 32-bit counted values with bounds-checked access and two saved forms.
#pragma once

#include "core/BaseClass.h"

#include <cstdint>
#include <vector>

class MessageBuffer;

// Stats, skill and status-effect stat tables, covenant and player statistics. The count is set
// by the owner and never changed by reading, so a file written with a longer or shorter array
// still reads. An index outside the array logs at level 3 and reads as 0 / changes nothing.
// Sums saturate at the 32-bit limits instead of wrapping.
class IntArray : public BaseClass {
public:
    IntArray() = default;
    explicit IntArray(int32_t count);

    // Sizes the array; new elements are 0. A negative count is taken as 0.
    void SetCount(int32_t count);
    int32_t GetCount() const { return static_cast<int32_t>(values.size()); }

    int32_t Get(int32_t index) const;
    void Set(int32_t index, int32_t value);
    void Add(int32_t index, int32_t amount);
    // A cap of 1 or more limits the sum; the amount may be negative and nothing floors it.
    void AddCapped(int32_t index, int32_t amount, int32_t cap);
    // A negative difference is stored as 0.
    void SubtractFloored(int32_t index, int32_t amount);
    void Clear();
    // Copies this array's count of elements; when the source is shorter, the rest keep theirs.
    void CopyFrom(const IntArray& source);

    // The count word, then the elements.
    void Write(MessageBuffer& buffer) const;
    // A stored count n: min(n, count) elements are kept, the rest read and dropped; a smaller n
    // leaves the tail as it was. A count that is negative or longer than the bytes left is
    // refused: false, nothing changed.
    bool Read(MessageBuffer& buffer);
    // The elements only; the reader must know how many.
    void WriteValues(MessageBuffer& buffer) const;
    // n elements (the count when n is 0) into elements 0..; past the count they are read and
    // dropped. False, nothing changed, when n is negative or the bytes are not all there.
    bool ReadValues(MessageBuffer& buffer, int32_t n = 0);

    const std::vector<int32_t>& GetValues() const { return values; }

private:
    bool IsValidIndex(int32_t index) const;
    // Reads n words, keeping the first GetCount(); the bytes are known to be there.
    void ReadWords(MessageBuffer& buffer, int32_t n);

    std::vector<int32_t> values;
};
