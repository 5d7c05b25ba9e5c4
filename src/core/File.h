// File -- one open file of the file system: a real file on disk or an archive entry held in memory.
#pragma once

#include "core/BaseClass.h"

#include <cstddef>
#include <cstdio>
#include <string_view>

class File : public BaseClass {
public:
    virtual size_t GetSize() const = 0;
    // Returns the number of bytes read.
    virtual size_t Read(size_t count, void* buffer) = 0;
    virtual size_t Write(const void* data, size_t count) = 0;
    bool WriteString(std::string_view text) { return Write(text.data(), text.size()) == text.size(); }
    // The C stream of a file opened for writing (image writers use it); null otherwise.
    virtual FILE* GetStream() = 0;
};
