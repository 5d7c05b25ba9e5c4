// FileSystem -- finds game files in the user, override and asset folders and the zip archives, case-blind.
#include "core/FileSystem.h"

#include "core/DebugSystem.h"
#include "core/Memory.h"
#include "core/MessageBuffer.h"
#include "core/NoCaseLess.h"
#include "core/StringUtil.h"
#include "core/ZipArchive.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

FileSystem* gFileSystem = nullptr;

namespace {

constexpr size_t kSlackBytes = 2;
constexpr size_t kReadChunk = 64 * 1024;
// Damaged files set aside, each under a name of its own, before a further one stays where it is.
constexpr int32_t kSetAsideNames = 9;

// The whole file plus two zero bytes, through the engine allocator; null when it refuses.
uint8_t* AllocFileBytes(size_t size)
{
    auto* bytes = static_cast<uint8_t*>(MemAllocArray(size + kSlackBytes, kMemGeneral));
    if (bytes)
        memset(bytes + size, 0, kSlackBytes);
    return bytes;
}

std::string CleanFolder(std::string_view folder)
{
    std::string clean(folder);
    StringBackslashesToSlashes(clean);
    while (clean.size() > 1 && clean.back() == '/')
        clean.pop_back();
    return clean;
}

std::string_view BaseName(std::string_view path)
{
    size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

// Year, month, day, hour, minute and second packed so that comparing the numbers compares the times.
int64_t PackTime(int64_t year, int64_t month, int64_t day, int64_t hour, int64_t minute, int64_t second)
{
    return ((((year * 100 + month) * 100 + day) * 100 + hour) * 100 + minute) * 100 + second;
}

int64_t PackDosTime(uint32_t dos)
{
    return PackTime((dos >> 25) + 1980, (dos >> 21) & 0xF, (dos >> 16) & 0x1F, (dos >> 11) & 0x1F, (dos >> 5) & 0x3F,
                    (dos & 0x1F) * 2);
}

bool PackDiskTime(const std::string& path, int64_t& packed)
{
    struct stat info;
    struct tm local;
    if (stat(path.c_str(), &info) != 0 || !localtime_r(&info.st_mtime, &local))
        return false;
    packed = PackTime(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
    return true;
}

bool IsAssetKind(FileLocation location)
{
    return location == kLocationAssets || location == kLocationOverride1 || location == kLocationOverride2;
}

// Sorts the names from first on without regard to case and keeps the first of each
// case-blind group: the stable sort keeps folder names (appended first) ahead of archive names.
void SortUnique(std::vector<std::string>& names, size_t first)
{
    auto begin = names.begin() + static_cast<std::ptrdiff_t>(first);
    std::stable_sort(begin, names.end(), NoCaseLess());
    names.erase(std::unique(begin, names.end(),
                            [](const std::string& a, const std::string& b) { return StringEqualsNoCase(a, b); }),
                names.end());
}

// The root of a location may be named "" or "."; anything else must be a game path.
bool NormalizeListFolder(std::string_view folder, std::string& normal)
{
    if (NormalizeGamePath(folder, normal))
        return true;
    std::string clean = CleanFolder(folder);
    return clean.empty() || clean == ".";
}

bool IsDriveName(std::string_view component)
{
    return component.size() >= 2 && component[1] == ':' && isalpha(static_cast<unsigned char>(component[0]));
}

} // namespace

// ---------------------------------------------------------------------------------------
// Open files

class FileSystem::DiskReadFile : public File {
public:
    DiskReadFile(FILE* stream, size_t size, std::atomic<uint64_t>& counter)
        : stream(stream), size(size), counter(counter) {}
    ~DiskReadFile() override { fclose(stream); }
    size_t GetSize() const override { return size; }
    size_t Read(size_t count, void* buffer) override
    {
        size_t got = fread(buffer, 1, count, stream);
        counter += got;
        return got;
    }
    size_t Write(const void*, size_t) override { return 0; }
    FILE* GetStream() override { return nullptr; }

private:
    FILE* stream;
    size_t size;
    std::atomic<uint64_t>& counter;
};

class FileSystem::MemoryFile : public File {
public:
    MemoryFile(std::vector<uint8_t> bytes, std::atomic<uint64_t>& counter) : bytes(std::move(bytes)), counter(counter) {}
    size_t GetSize() const override { return bytes.size(); }
    size_t Read(size_t count, void* buffer) override
    {
        size_t got = std::min(count, bytes.size() - position);
        // An empty entry has no bytes at all: copying nothing from its null data is still undefined.
        if (got == 0)
            return 0;
        memcpy(buffer, bytes.data() + position, got);
        position += got;
        counter += got;
        return got;
    }
    size_t Write(const void*, size_t) override { return 0; }
    FILE* GetStream() override { return nullptr; }

private:
    std::vector<uint8_t> bytes;
    size_t position = 0;
    std::atomic<uint64_t>& counter;
};

// Writes go to a temporary file beside the target; only Commit puts it in the target's place,
// so a crash or an abandoned write leaves the old file whole.
class FileSystem::DiskWriteFile : public File {
public:
    DiskWriteFile(FILE* stream, std::string tempPath, std::string targetPath)
        : stream(stream), tempPath(std::move(tempPath)), targetPath(std::move(targetPath)) {}
    ~DiskWriteFile() override { Discard(); }
    size_t GetSize() const override
    {
        off_t at = stream ? ftello(stream) : -1;
        return at < 0 ? 0 : static_cast<size_t>(at);
    }
    size_t Read(size_t, void*) override { return 0; }
    size_t Write(const void* data, size_t count) override
    {
        size_t put = stream ? fwrite(data, 1, count, stream) : 0;
        failed = failed || put != count;
        return put;
    }
    FILE* GetStream() override { return stream; }
    const std::string& GetTargetPath() const { return targetPath; }

    bool Commit()
    {
        bool ok = !failed && fflush(stream) == 0 && !ferror(stream) && fsync(fileno(stream)) == 0;
        ok = fclose(stream) == 0 && ok;
        stream = nullptr;
        ok = ok && rename(tempPath.c_str(), targetPath.c_str()) == 0;
        if (!ok) {
            unlink(tempPath.c_str());
            return false;
        }
        SyncFolder();
        return true;
    }

    void Discard()
    {
        if (!stream)
            return;
        fclose(stream);
        stream = nullptr;
        unlink(tempPath.c_str());
    }

private:
    // Makes the rename itself durable.
    void SyncFolder() const
    {
        std::string folder = targetPath.substr(0, targetPath.rfind('/'));
        int descriptor = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (descriptor >= 0) {
            fsync(descriptor);
            close(descriptor);
        }
    }

    FILE* stream;
    std::string tempPath;
    std::string targetPath;
    bool failed = false;
};

// ---------------------------------------------------------------------------------------
// Paths

bool NormalizeGamePath(std::string_view path, std::string& out)
{
    out.clear();
    if (path.empty() || path.front() == '/' || path.front() == '\\' || path.find('\0') != std::string_view::npos)
        return false;
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find_first_of("/\\", start);
        if (end == std::string_view::npos)
            end = path.size();
        std::string_view component = path.substr(start, end - start);
        start = end + 1;
        if (component.empty() || component == ".")
            continue;
        if (component == ".." || (out.empty() && IsDriveName(component))) {
            out.clear();
            return false;
        }
        if (!out.empty())
            out += '/';
        out += component;
    }
    return !out.empty();
}

std::string MakeFilePath(std::string_view folder, std::string_view name, std::string_view extension)
{
    std::string path(folder);
    if (!path.empty() && path.back() != '/')
        path += '/';
    for (char c : name)
        if (c != '.' && c != '/' && c != '\\')
            path += c;
    path += '.';
    path += extension;
    return path;
}

std::string CharacterFileBase(std::string_view name)
{
    constexpr size_t kMaxBaseBytes = 63;
    std::string base;
    for (char c : name) {
        auto byte = static_cast<unsigned char>(c);
        if (c == '.' || c == '/' || c == '\\' || byte < 0x20 || byte == 0x7F)
            continue;
        base += static_cast<char>(std::tolower(byte));
        if (base.size() == kMaxBaseBytes)
            break;
    }
    return base;
}

bool FileSystem::MatchesExtension(std::string_view name, std::string_view extension)
{
    if (extension.empty() || extension == "*")
        return true;
    return name.size() > extension.size() && name[name.size() - extension.size() - 1] == '.' &&
           StringEndsWithNoCase(name, extension);
}

bool WriteStringToFile(std::string_view path, std::string_view text)
{
    if (!gFileSystem)
        return false;
    File* file = gFileSystem->Open(path, kFileWrite | kFileBinary);
    if (!file)
        return false;
    if (!file->WriteString(text)) {
        gFileSystem->Abandon(file);
        return false;
    }
    // Mended: a write that never replaced the file (a full disk, a failed rename) was reported done.
    return gFileSystem->Close(file);
}

bool WriteBufferToFile(std::string_view path, const MessageBuffer& buffer)
{
    if (!gFileSystem)
        return false;
    File* file = gFileSystem->Open(path, kFileWrite | kFileBinary, kLocationUser);
    if (!file)
        return false;
    if (!gFileSystem->WriteBuffer(file, buffer)) {
        gFileSystem->Abandon(file);
        return false;
    }
    return gFileSystem->Close(file);
}

void FileSystem::PrefixPath(std::string& path, PathBase base)
{
    StringToLowerInPlace(path);
    if (base.folder.empty())
        return;
    // The folder must be a whole component: "Models" does not already hold "modelsx/a".
    bool inside = StringEqualsNoCase(path, base.folder) ||
                  (StringStartsWithNoCase(path, base.folder) && path.size() > base.folder.size() &&
                   path[base.folder.size()] == '/');
    // In place: a path with room to spare takes its folder without a new string.
    if (!inside)
        path.insert(0, "/").insert(0, base.folder);
}

// ---------------------------------------------------------------------------------------
// The system

struct FileSystem::Found {
    std::string diskPath;
    ZipArchive* archive = nullptr;
    const ZipArchive::Entry* entry = nullptr;

    bool IsFound() const { return !diskPath.empty() || entry; }
};

FileSystem::FileSystem(std::string_view workingFolder)
{
    std::error_code error;
    this->workingFolder = CleanFolder(workingFolder.empty() ? fs::current_path(error).string() : workingFolder);
}

FileSystem::~FileSystem()
{
    if (gFileSystem == this)
        gFileSystem = nullptr;
}

const std::string& FileSystem::GetFolder(FileLocation location) const
{
    switch (location) {
    case kLocationAssets:
        return assetFolder;
    case kLocationOverride1:
        return overrideFolder1.empty() ? assetFolder : overrideFolder1;
    case kLocationOverride2:
        if (!overrideFolder2.empty())
            return overrideFolder2;
        return overrideFolder1.empty() ? assetFolder : overrideFolder1;
    case kLocationUser:
        return userFolder;
    case kLocationWorking:
        return workingFolder;
    default:
        return userFolderCopy;
    }
}

std::vector<const std::string*> FileSystem::ReadFolders(FileLocation location) const
{
    if (!IsAssetKind(location))
        return {&GetFolder(location)};
    return {&userFolder, &overrideFolder2, &overrideFolder1, &assetFolder};
}

FileSystem::Found FileSystem::Find(std::string_view path, FileLocation location, bool disksOnly)
{
    Found found;
    std::string relative;
    if (!NormalizeGamePath(path, relative))
        return found;
    std::lock_guard<std::recursive_mutex> guard(lock);
    auto onDisk = [&](const std::string& folder) {
        std::error_code error;
        std::string resolved = folder.empty() ? std::string() : folderCache.Resolve(folder, relative);
        if (!resolved.empty() && fs::is_regular_file(resolved, error))
            found.diskPath = std::move(resolved);
        return found.IsFound();
    };
    for (const std::string* folder : ReadFolders(location))
        if (onDisk(*folder))
            return found;
    if (!IsAssetKind(location))
        return found;
    std::string key = StringToLower(relative);
    for (auto archive = archives.rbegin(); !disksOnly && archive != archives.rend(); ++archive) {
        if (const ZipArchive::Entry* entry = (*archive)->Find(key)) {
            found.archive = archive->get();
            found.entry = entry;
            return found;
        }
    }
    onDisk(workingFolder);
    return found;
}

File* FileSystem::Open(std::string_view path, int modeFlags, FileLocation location)
{
    if (modeFlags & kFileWrite)
        return OpenForWriting(path);
    Found found = Find(path, location, false);
    if (found.entry) {
        std::vector<uint8_t> bytes;
        {
            std::lock_guard<std::recursive_mutex> guard(lock);
            bytes.resize(found.entry->size);
            if (!found.archive->Read(*found.entry, bytes.data()))
                return nullptr;
        }
        ++filesOpened;
        return new MemoryFile(std::move(bytes), bytesRead);
    }
    if (found.diskPath.empty())
        return nullptr;
    FILE* stream = fopen(found.diskPath.c_str(), "rbe");
    struct stat info;
    if (!stream || fstat(fileno(stream), &info) != 0 || !S_ISREG(info.st_mode)) {
        if (stream)
            fclose(stream);
        return nullptr;
    }
    ++filesOpened;
    return new DiskReadFile(stream, static_cast<size_t>(info.st_size), bytesRead);
}

File* FileSystem::OpenForWriting(std::string_view path)
{
    std::string relative;
    if (!NormalizeGamePath(path, relative) || userFolder.empty()) {
        DebugSystem::Print(kPrintWarning, "Refused to write %.*s: not a path inside the user folder\n",
                           static_cast<int>(path.size()), path.data());
        return nullptr;
    }
    std::string target = WriteTarget(relative);
    if (target.empty())
        return nullptr;
    size_t slash = target.rfind('/');
    std::string temp = target.substr(0, slash + 1) + "." + target.substr(slash + 1) + ".XXXXXX";
    // Close-on-exec, as every file the game opens: a program it starts meanwhile holds none.
    int descriptor = mkostemp(temp.data(), O_CLOEXEC);
    if (descriptor < 0)
        return nullptr;
    fchmod(descriptor, 0644);
    FILE* stream = fdopen(descriptor, "wb");
    if (!stream) {
        close(descriptor);
        unlink(temp.c_str());
        return nullptr;
    }
    ++filesOpened;
    return new DiskWriteFile(stream, std::move(temp), std::move(target));
}

std::string FileSystem::WriteTarget(const std::string& relative)
{
    std::lock_guard<std::recursive_mutex> guard(lock);
    std::error_code error;
    fs::create_directories(userFolder, error);
    std::string folder = userFolder;
    std::string_view rest = relative;
    // Existing folders and files are reused whatever their case ("Chars" and "chars" are one folder).
    for (size_t slash = rest.find('/'); slash != std::string_view::npos; slash = rest.find('/')) {
        std::string_view component = rest.substr(0, slash);
        rest.remove_prefix(slash + 1);
        std::string name = folderCache.FindEntry(folder, component);
        if (name.empty()) {
            name = std::string(component);
            fs::create_directory(folder + "/" + name, error);
            folderCache.Forget(folder);
        }
        folder += "/" + name;
        if (!fs::is_directory(folder, error))
            return {};
    }
    std::string name = folderCache.FindEntry(folder, rest);
    std::string target = folder + "/" + (name.empty() ? std::string(rest) : name);
    return fs::is_directory(target, error) ? std::string() : target;
}

bool FileSystem::EndWrite(File* file, bool commit)
{
    auto* writer = dynamic_cast<DiskWriteFile*>(file);
    if (!writer)
        return true;
    if (!commit) {
        writer->Discard();
        return true;
    }
    size_t written = writer->GetSize();
    bool ok = writer->Commit();
    std::lock_guard<std::recursive_mutex> guard(lock);
    const std::string& target = writer->GetTargetPath();
    folderCache.Forget(target.substr(0, target.rfind('/')));
    if (!ok) {
        DebugSystem::Print(kPrintError, "Couldn't write %s\n", target.c_str());
        return false;
    }
    bytesWritten += written;
    return true;
}

bool FileSystem::Close(File* file)
{
    if (!file)
        return false;
    bool landed = EndWrite(file, true);
    delete file;
    return landed;
}

void FileSystem::Abandon(File* file)
{
    if (!file)
        return;
    EndWrite(file, false);
    delete file;
}

FileBuffer FileSystem::LoadWholeFile(std::string_view path, FileLocation location)
{
    return LoadFound(Find(path, location, false));
}

FileBuffer FileSystem::LoadFound(const Found& found)
{
    if (found.entry) {
        std::lock_guard<std::recursive_mutex> guard(lock);
        uint8_t* bytes = AllocFileBytes(found.entry->size);
        if (!bytes)
            return {};
        if (!found.archive->Read(*found.entry, bytes)) {
            MemFreeArray(bytes);
            return {};
        }
        bytesRead += found.entry->size;
        ++filesOpened;
        return FileBuffer(bytes, found.entry->size);
    }
    if (found.diskPath.empty())
        return {};
    FILE* stream = fopen(found.diskPath.c_str(), "rbe");
    if (!stream)
        return {};
    ++filesOpened;
    struct stat info;
    uint8_t* bytes = nullptr;
    size_t size = 0;
    if (fstat(fileno(stream), &info) == 0 && S_ISREG(info.st_mode)) {
        bytes = AllocFileBytes(static_cast<size_t>(info.st_size));
        // A file that shrank since the size was taken keeps only what could be read.
        size = bytes ? fread(bytes, 1, static_cast<size_t>(info.st_size), stream) : 0;
        if (bytes)
            memset(bytes + size, 0, kSlackBytes);
    }
    fclose(stream);
    bytesRead += size;
    return FileBuffer(bytes, size);
}

bool FileSystem::ReadIntoBuffer(File* file, MessageBuffer& buffer)
{
    buffer.Clear();
    if (!file)
        return false;
    buffer.Reserve(file->GetSize());
    std::vector<uint8_t> chunk(kReadChunk);
    for (size_t got; (got = file->Read(chunk.size(), chunk.data())) > 0;)
        buffer.WriteBytes(chunk.data(), got);
    buffer.SetReadPos(0);
    return true;
}

bool FileSystem::WriteBuffer(File* file, const MessageBuffer& buffer)
{
    return file && file->Write(buffer.Data(), buffer.Size()) == buffer.Size();
}

bool FileSystem::FileExists(std::string_view path, FileLocation location)
{
    return Find(path, location, false).IsFound();
}

FileBuffer FileSystem::ReadDiskFile(std::string_view path)
{
    FileBuffer buffer = LoadFound(Find(path, kLocationAssets, true));
    return buffer.Size() == 0 ? FileBuffer() : std::move(buffer);
}

bool FileSystem::IsNewerThan(std::string_view first, std::string_view second)
{
    auto stamp = [this](std::string_view path, int64_t& packed) {
        Found found = Find(path, kLocationAssets, false);
        if (found.entry) {
            packed = PackDosTime(found.entry->dosDate);
            return true;
        }
        return !found.diskPath.empty() && PackDiskTime(found.diskPath, packed);
    };
    int64_t firstTime = 0;
    int64_t secondTime = 0;
    if (!stamp(first, firstTime))
        return false;
    return !stamp(second, secondTime) || secondTime < firstTime;
}

std::string FileSystem::MakeNumberedFileName(std::string_view prefix, std::string_view extension, int digits)
{
    digits = std::clamp(digits, 1, 9);
    int limit = 1;
    for (int i = 0; i < digits; ++i)
        limit *= 10;
    for (int number = 0; number < limit; ++number) {
        std::string name = StringFormat("%.*s%0*d.%.*s", static_cast<int>(prefix.size()), prefix.data(), digits,
                                        number, static_cast<int>(extension.size()), extension.data());
        if (!FileExists(name))
            return name;
    }
    return {};
}

bool FileSystem::DeleteUserFile(std::string_view path)
{
    std::string relative;
    if (!NormalizeGamePath(path, relative) || userFolder.empty())
        return false;
    std::lock_guard<std::recursive_mutex> guard(lock);
    std::string resolved = folderCache.Resolve(userFolder, relative);
    std::error_code error;
    if (resolved.empty() || !fs::is_regular_file(resolved, error))
        return true;
    folderCache.Forget(resolved.substr(0, resolved.rfind('/')));
    return fs::remove(resolved, error) && !error;
}

bool FileSystem::RenameUserFile(std::string_view from, std::string_view to)
{
    std::string source;
    std::string destination;
    if (!NormalizeGamePath(from, source) || !NormalizeGamePath(to, destination) || userFolder.empty())
        return false;
    std::lock_guard<std::recursive_mutex> guard(lock);
    std::string resolved = folderCache.Resolve(userFolder, source);
    std::error_code error;
    if (resolved.empty() || !fs::is_regular_file(resolved, error))
        return false;
    std::string target = WriteTarget(destination);
    if (target.empty())
        return false;
    bool moved = rename(resolved.c_str(), target.c_str()) == 0;
    folderCache.Forget(resolved.substr(0, resolved.rfind('/')));
    folderCache.Forget(target.substr(0, target.rfind('/')));
    return moved;
}

std::string FileSystem::FindAsideName(std::string_view path)
{
    std::string normal;
    if (!NormalizeGamePath(path, normal) || userFolder.empty())
        return std::string();
    std::lock_guard<std::recursive_mutex> guard(lock);
    for (int32_t number = 1; number <= kSetAsideNames; ++number) {
        std::string ending = ".bad" + (number == 1 ? std::string() : std::to_string(number));
        // A name taken by a folder is no more free than one taken by a file, in any case.
        if (folderCache.Resolve(userFolder, normal + ending).empty())
            return std::string(path) + ending;
    }
    return std::string();
}

std::string FileSystem::SetAsideUserFile(std::string_view path)
{
    std::string aside = FindAsideName(path);
    return !aside.empty() && RenameUserFile(path, aside) ? aside : std::string();
}

// ---------------------------------------------------------------------------------------
// Listings

bool FileSystem::ResolveListFolder(const std::string& normal, FileLocation location, std::string& actual)
{
    actual.clear();
    const std::string& base = GetFolder(location);
    if (normal.empty())
        return !base.empty();
    std::lock_guard<std::recursive_mutex> guard(lock);
    std::string resolved = base.empty() ? std::string() : folderCache.Resolve(base, normal);
    std::error_code error;
    if (resolved.empty() || !fs::is_directory(resolved, error))
        return false;
    actual = resolved.substr(base.size() + 1);
    return true;
}

void FileSystem::ListFiles(std::string_view folder, std::string_view extension, std::vector<std::string>& out,
                           FileLocation location, bool recurse, bool keepPath, bool finish)
{
    size_t first = out.size();
    std::string normal;
    std::string actual;
    if (!NormalizeListFolder(folder, normal))
        return;
    if (ResolveListFolder(normal, location, actual))
        ListDiskFiles(actual, extension, out, location, recurse, keepPath, finish);
    // A folder that holds no loose files may still be in an archive.
    if (IsAssetKind(location))
        AddArchiveNames(normal, extension, out, recurse, keepPath, false);
    SortUnique(out, first);
}

void FileSystem::ListFolders(std::string_view folder, std::vector<std::string>& out, FileLocation location)
{
    out.clear();
    std::string normal;
    std::string actual;
    if (!NormalizeListFolder(folder, normal))
        return;
    if (ResolveListFolder(normal, location, actual))
        ListDiskFolders(actual, out, location);
    if (IsAssetKind(location))
        AddArchiveNames(normal, "", out, false, false, true);
    SortUnique(out, 0);
}

void FileSystem::AddArchiveNames(const std::string& normal, std::string_view extension, std::vector<std::string>& out,
                                 bool recurse, bool keepPath, bool wantFolders)
{
    // Names under the folder, relative to it; "" when the name lies elsewhere.
    auto relativeTo = [&normal](std::string_view name) -> std::string_view {
        if (normal.empty())
            return name;
        if (name.size() <= normal.size() || name[normal.size()] != '/' || !StringStartsWithNoCase(name, normal))
            return {};
        return name.substr(normal.size() + 1);
    };
    std::lock_guard<std::recursive_mutex> guard(lock);
    for (auto archive = archives.rbegin(); archive != archives.rend(); ++archive) {
        if (wantFolders) {
            for (const std::string& path : (*archive)->GetFolders()) {
                std::string_view name = relativeTo(path);
                if (!name.empty() && name.find('/') == std::string_view::npos)
                    out.emplace_back(name);
            }
            continue;
        }
        for (const ZipArchive::Entry& entry : (*archive)->GetEntries()) {
            std::string_view name = relativeTo(entry.name);
            if (name.empty() || (!recurse && name.find('/') != std::string_view::npos) ||
                !MatchesExtension(name, extension))
                continue;
            if (!keepPath)
                out.emplace_back(BaseName(name));
            else
                out.push_back(normal.empty() ? std::string(name) : normal + "/" + std::string(name));
        }
    }
}

// ---------------------------------------------------------------------------------------
// Archives and statistics

bool FileSystem::MountArchive(std::string_view fileName)
{
    std::string relative;
    if (!NormalizeGamePath(fileName, relative))
        return false;
    std::lock_guard<std::recursive_mutex> guard(lock);
    std::string resolved = folderCache.Resolve(workingFolder, relative);
    std::error_code error;
    if (resolved.empty() || !fs::is_regular_file(resolved, error)) {
        DebugSystem::Print(kPrintDeveloper, "Archive %s not present\n", relative.c_str());
        return false;
    }
    std::unique_ptr<ZipArchive> archive = ZipArchive::Open(resolved);
    if (!archive)
        return false;
    DebugSystem::Print(kPrintDeveloper, "Mounted %s: %zu files\n", relative.c_str(), archive->GetEntries().size());
    archives.push_back(std::move(archive));
    return true;
}

void FileSystem::MountAssetArchives()
{
    MountArchive("assets001.zip");
    MountArchive("assets002.zip");
}

std::string FileSystem::DescribeMounts() const
{
    std::lock_guard<std::recursive_mutex> guard(lock);
    std::string text = "Mounted ";
    const char* separator = "";
    for (const std::string* folder : {&assetFolder, &overrideFolder1, &overrideFolder2, &userFolder}) {
        if (folder->empty())
            continue;
        text += separator;
        text += BaseName(*folder);
        separator = ", ";
    }
    if (archives.empty())
        return text + ", no archives";
    StringAppendFormat(text, " and %zu archive%s: ", archives.size(), archives.size() == 1 ? "" : "s");
    for (size_t i = 0; i < archives.size(); ++i) {
        text += i == 0 ? "" : ", ";
        text += BaseName(archives[i]->GetPath());
    }
    return text;
}

void FileSystem::PrintStatistics() const
{
    DebugSystem::Print(kPrintPlain, "File system: %u files opened, %llu bytes read, %llu bytes written\n",
                       filesOpened.load(), static_cast<unsigned long long>(bytesRead.load()),
                       static_cast<unsigned long long>(bytesWritten.load()));
}
