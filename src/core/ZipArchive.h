// ZipArchive -- one mounted zip archive: its central directory indexed once by lower-cased path, entries read whole.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// Not thread-safe (one minizip handle): the file system reads entries under its lock.
class ZipArchive {
public:
    struct Entry {
        // Normalised ("/" separators, no "." or empty components), spelled as in the archive.
        std::string name;
        uint64_t size = 0;
        // Where the entry's header sits, so that reading it skips the directory walk.
        uint64_t directoryPos = 0;
        uint64_t fileNumber = 0;
        // MS-DOS packed local date and time, as the archive stores it.
        uint32_t dosDate = 0;
    };

    ~ZipArchive();
    ZipArchive(const ZipArchive&) = delete;
    ZipArchive& operator=(const ZipArchive&) = delete;

    // Null, with one warning line, when the archive cannot be read or its directory is damaged.
    static std::unique_ptr<ZipArchive> Open(const std::string& path);

    // The entry whose lower-cased name is lowerName; null when there is none.
    const Entry* Find(std::string_view lowerName) const;
    // Reads the whole entry (exactly entry.size bytes) into out and checks its CRC; false,
    // with one warning line, when its data is damaged.
    bool Read(const Entry& entry, uint8_t* out);

    const std::string& GetPath() const { return path; }
    const std::vector<Entry>& GetEntries() const { return entries; }
    // Every folder that holds an entry or is stored as one, spelled as first met, each once.
    const std::vector<std::string>& GetFolders() const { return folders; }

private:
    explicit ZipArchive(std::string path) : path(std::move(path)) {}
    bool Index(uint64_t archiveBytes);
    void AddFolders(std::string_view name);

    std::string path;
    void* handle = nullptr;
    std::vector<Entry> entries;
    std::unordered_map<std::string, size_t> index;
    std::vector<std::string> folders;
    std::unordered_map<std::string, size_t> folderIndex;
};
