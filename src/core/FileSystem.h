// FileSystem -- finds game files in the user, override and asset folders and the zip archives, case-blind.
#pragma once

#include "core/BaseClass.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

class MessageBuffer;

// Which of the six folders a path is taken relative to.
enum FileLocation : int {
    kLocationAssets = 0,
    kLocationOverride1 = 1,
    kLocationOverride2 = 2,
    kLocationUser = 3,
    kLocationUserCopy = 4,
    kLocationWorking = 5,
};

enum FileMode : int {
    kFileRead = 1,
    kFileWrite = 2,
    kFileBinary = 4,
};

// An open file: a real file on disk or an archive entry read whole into memory.
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

class FileSystem : public BaseClass {
public:
    // Reading looks in the user folder, the second and first override, the asset folder,
    // then the archives. Writing goes to the user folder only, atomically on Close.
    // Null when the file cannot be found or opened; no log line.
    virtual File* Open(std::string_view path, int modeFlags, FileLocation location = kLocationAssets) = 0;
    virtual void Close(File* file) = 0;
    virtual FileBuffer LoadWholeFile(std::string_view path, FileLocation location = kLocationAssets) = 0;
    virtual bool ReadIntoBuffer(File* file, MessageBuffer& buffer) = 0;
    virtual bool WriteBuffer(File* file, const MessageBuffer& buffer) = 0;

    virtual void ListFiles(std::string_view folder, std::string_view extension, std::vector<std::string>& out,
                           FileLocation location, bool recurse, bool keepPath, bool finish) = 0;
    virtual void ListFolders(std::string_view folder, std::vector<std::string>& out, FileLocation location) = 0;
    virtual void SetRootFolders(std::string_view assetFolderName) = 0;
};

extern FileSystem* gFileSystem;
