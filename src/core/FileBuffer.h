// FileBuffer -- a whole file in memory from the engine allocator, with zero bytes after it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

// A whole file in memory, allocated through the engine allocator, with two zero bytes of
// slack after the data so text parsers may read one wide terminator past the end.
class FileBuffer {
public:
    FileBuffer() = default;
    FileBuffer(uint8_t* bytes, size_t size) : bytes(bytes), size(size) {}
    ~FileBuffer();
    FileBuffer(FileBuffer&& other) noexcept;
    FileBuffer& operator=(FileBuffer&& other) noexcept;
    FileBuffer(const FileBuffer&) = delete;
    FileBuffer& operator=(const FileBuffer&) = delete;

    bool IsValid() const { return bytes != nullptr; }
    const uint8_t* Data() const { return bytes; }
    size_t Size() const { return size; }
    std::string_view Text() const { return {reinterpret_cast<const char*>(bytes), size}; }

private:
    uint8_t* bytes = nullptr;
    size_t size = 0;
};
