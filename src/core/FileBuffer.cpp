// FileBuffer -- a whole file in memory from the engine allocator, with zero bytes after it.
#include "core/FileBuffer.h"

#include "core/Memory.h"

FileBuffer::~FileBuffer()
{
    if (bytes)
        MemFreeArray(bytes);
}

FileBuffer::FileBuffer(FileBuffer&& other) noexcept : bytes(other.bytes), size(other.size)
{
    other.bytes = nullptr;
    other.size = 0;
}

FileBuffer& FileBuffer::operator=(FileBuffer&& other) noexcept
{
    if (this != &other) {
        if (bytes)
            MemFreeArray(bytes);
        bytes = other.bytes;
        size = other.size;
        other.bytes = nullptr;
        other.size = 0;
    }
    return *this;
}
