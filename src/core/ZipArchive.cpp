// ZipArchive -- one mounted zip archive: its central directory indexed once by lower-cased path, entries read whole.
#include "core/ZipArchive.h"

#include "core/DebugSystem.h"
#include "core/FileSystem.h"
#include "core/StringUtil.h"

#include <algorithm>
#include <filesystem>
#include <minizip/unzip.h>

namespace {

constexpr int kMethodStored = 0;
constexpr int kMethodDeflated = 8;
// Deflate cannot expand data by more than about 1032 to 1; a larger claim is a damaged
// header, and believing it would allocate gigabytes.
constexpr uint64_t kMaxDeflateRatio = 1032;
constexpr uint64_t kSmallestDirectoryRecord = 46;
constexpr uint32_t kMaxReadChunk = 1u << 30;

unzFile Handle(void* handle)
{
    return static_cast<unzFile>(handle);
}

bool PlausibleSizes(const unz_file_info64& info, uint64_t archiveBytes)
{
    if (info.compressed_size > archiveBytes)
        return false;
    if (info.compression_method == kMethodStored)
        return info.uncompressed_size == info.compressed_size;
    return info.uncompressed_size <= info.compressed_size * kMaxDeflateRatio + 1024;
}

} // namespace

ZipArchive::~ZipArchive()
{
    if (handle)
        unzClose(Handle(handle));
}

std::unique_ptr<ZipArchive> ZipArchive::Open(const std::string& path)
{
    std::error_code error;
    uint64_t archiveBytes = std::filesystem::file_size(path, error);
    std::unique_ptr<ZipArchive> archive(new ZipArchive(path));
    if (!error)
        archive->handle = unzOpen64(path.c_str());
    if (!archive->handle || !archive->Index(archiveBytes)) {
        DebugSystem::Print(kPrintWarning, "Archive %s is damaged or unreadable; skipped\n", path.c_str());
        return nullptr;
    }
    return archive;
}

bool ZipArchive::Index(uint64_t archiveBytes)
{
    unzFile zip = Handle(handle);
    unz_global_info64 global;
    if (unzGetGlobalInfo64(zip, &global) != UNZ_OK || global.number_entry > archiveBytes / kSmallestDirectoryRecord)
        return false;
    entries.reserve(global.number_entry);
    int result = unzGoToFirstFile(zip);
    for (; result == UNZ_OK; result = unzGoToNextFile(zip)) {
        unz_file_info64 info;
        char name[1024];
        if (unzGetCurrentFileInfo64(zip, &info, name, sizeof name, nullptr, 0, nullptr, 0) != UNZ_OK)
            return false;
        if (info.size_filename >= sizeof name || !PlausibleSizes(info, archiveBytes))
            return false;
        std::string_view rawName(name, info.size_filename);
        if (!rawName.empty() && (rawName.back() == '/' || rawName.back() == '\\')) {
            std::string folder;
            if (NormalizeGamePath(rawName, folder))
                AddFolders(folder + "/");
            continue;
        }
        Entry entry;
        bool encrypted = (info.flag & 1) != 0;
        bool known = info.compression_method == kMethodStored || info.compression_method == kMethodDeflated;
        // An entry we could never read, or never address, is left out rather than failing later.
        if (encrypted || !known || !NormalizeGamePath(rawName, entry.name))
            continue;
        unz64_file_pos position;
        if (unzGetFilePos64(zip, &position) != UNZ_OK)
            return false;
        entry.size = info.uncompressed_size;
        entry.directoryPos = position.pos_in_zip_directory;
        entry.fileNumber = position.num_of_file;
        entry.dosDate = static_cast<uint32_t>(info.dosDate);
        // The first of two entries with one name wins, as a directory walk would find it.
        if (!index.emplace(StringToLower(entry.name), entries.size()).second)
            continue;
        AddFolders(entry.name);
        entries.push_back(std::move(entry));
    }
    return result == UNZ_END_OF_LIST_OF_FILE;
}

void ZipArchive::AddFolders(std::string_view name)
{
    for (size_t slash = name.find('/'); slash != std::string_view::npos; slash = name.find('/', slash + 1)) {
        std::string folder(name.substr(0, slash));
        if (folderIndex.emplace(StringToLower(folder), folders.size()).second)
            folders.push_back(std::move(folder));
    }
}

const ZipArchive::Entry* ZipArchive::Find(std::string_view lowerName) const
{
    auto found = index.find(std::string(lowerName));
    return found == index.end() ? nullptr : &entries[found->second];
}

bool ZipArchive::Read(const Entry& entry, uint8_t* out)
{
    unzFile zip = Handle(handle);
    unz64_file_pos position{entry.directoryPos, entry.fileNumber};
    bool ok = unzGoToFilePos64(zip, &position) == UNZ_OK && unzOpenCurrentFile(zip) == UNZ_OK;
    if (ok) {
        uint64_t done = 0;
        while (ok && done < entry.size) {
            uint32_t chunk = static_cast<uint32_t>(std::min<uint64_t>(entry.size - done, kMaxReadChunk));
            int got = unzReadCurrentFile(zip, out + done, chunk);
            ok = got > 0;
            done += ok ? static_cast<uint64_t>(got) : 0;
        }
        // The CRC is only checked when every byte has been read, so a short read cannot pass.
        ok = unzCloseCurrentFile(zip) == UNZ_OK && ok;
    }
    if (!ok)
        DebugSystem::Print(kPrintWarning, "Archive %s: entry %s is damaged\n", path.c_str(), entry.name.c_str());
    return ok;
}
