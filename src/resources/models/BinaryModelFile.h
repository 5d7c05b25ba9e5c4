// BinaryModelFile -- the checked view of a skeleton, mesh or animation file: every table proved to lie inside the bytes.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>

// The files are little-endian with 4-byte fields and are used in place, so a host of the other
// order would need a conversion pass that no build here has.
static_assert(std::endian::native == std::endian::little, "model binaries are read in place on little-endian hosts");

// The files come from outside the program: each offset, count and size is checked against the
// length before anything points into the bytes, and a file that fails any check is refused
// whole with one log line naming it.
class BinaryModelFile {
public:
    BinaryModelFile(const std::string& name, const uint8_t* bytes, uint32_t byteCount)
        : name(name), bytes(bytes), byteCount(bytes ? byteCount : 0)
    {
    }

    // count records at offset, 4-byte aligned and wholly inside the file; null (logged, naming
    // what) otherwise. An empty table at an offset inside the file is fine.
    template <class Record>
    const Record* Table(int64_t offset, int64_t count, const char* what) const
    {
        static_assert(alignof(Record) <= 4 && sizeof(Record) % 4 == 0, "records are made of 4-byte fields");
        return static_cast<const Record*>(Span(offset, count, sizeof(Record), what));
    }
    // The NUL-terminated text at offset; null (logged) unless it starts and ends inside the file.
    const char* Text(int64_t offset, const char* what) const;
    // Logs the refusal; returns false so that a check can end with it.
    bool Refuse(const char* what) const;

    uint32_t GetByteCount() const { return byteCount; }

private:
    const void* Span(int64_t offset, int64_t count, size_t recordBytes, const char* what) const;

    std::string name;
    const uint8_t* bytes;
    uint32_t byteCount;
};

// False when any of the values is NaN or infinite: poses and weights feed every later product.
bool AllFinite(std::initializer_list<float> values);
