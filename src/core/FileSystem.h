// FileSystem -- finds game files in the user, override and asset folders and the zip archives, case-blind.
#pragma once

#include "core/BaseClass.h"
#include "core/File.h"
#include "core/FileBuffer.h"
#include "core/FolderCache.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

class MessageBuffer;
class ZipArchive;

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

// The folder PrefixPath puts a path under. A type of its own: callers have passed the
// folder and the path in both orders, and two plain strings would let that compile.
struct PathBase {
    explicit PathBase(std::string_view folder) : folder(folder) {}
    std::string_view folder;
};

// The folder, "/" unless it already ends in one, the name with every '.' and every
// separator removed (a player's name can neither climb folders nor make new ones), '.', extension.
std::string MakeFilePath(std::string_view folder, std::string_view name, std::string_view extension);
// The base name of every file named after a character (".chr" and the files beside it): the name
// lower-cased, so that lookups are blind to case, with '.', '/', '\\' and control bytes dropped,
// cut to 63 bytes; empty (refused) when nothing is left.
std::string CharacterFileBase(std::string_view name);
// The path's backslashes read as "/", empty and "." components dropped; false (out empty) for
// a path that could leave the folder it is taken under: absolute, a drive, "..", a NUL.
bool NormalizeGamePath(std::string_view path, std::string& out);
// Creates or replaces the file in the user folder with the text; false when it cannot be written.
bool WriteStringToFile(std::string_view path, std::string_view text);
// The same with a message buffer's bytes: opened, written and closed, or abandoned so the old file
// stays whole; false when the new file did not land.
bool WriteBufferToFile(std::string_view path, const MessageBuffer& buffer);

class FileSystem : public BaseClass {
public:
    // The working folder holds "Assets", "User" and the archives; empty means the process's
    // current folder.
    explicit FileSystem(std::string_view workingFolder);
    ~FileSystem() override;

    // Reading looks in the user folder, the second and first override, the asset folder, the
    // archives (the newest mounted first), then the working folder, where the configuration
    // files sit; the user kinds (3, 4) read only the user folder and kind 5 only the working
    // folder. Writing goes to the user folder only, atomically on Close.
    // Null when the file cannot be found or opened; no log line.
    virtual File* Open(std::string_view path, int modeFlags, FileLocation location = kLocationAssets);
    // A file opened for writing replaces the old file here, never earlier; false when that
    // write did not land (the old file is kept).
    virtual bool Close(File* file);
    // Closes a file opened for writing and leaves the old file as it was.
    void Abandon(File* file);
    virtual FileBuffer LoadWholeFile(std::string_view path, FileLocation location = kLocationAssets);
    // Replaces the buffer's contents with the rest of the file and rewinds its read position.
    virtual bool ReadIntoBuffer(File* file, MessageBuffer& buffer);
    virtual bool WriteBuffer(File* file, const MessageBuffer& buffer);

    bool FileExists(std::string_view path, FileLocation location = kLocationAssets);
    // The whole file from the asset folders only, never the archives; an empty file gives no buffer.
    FileBuffer ReadDiskFile(std::string_view path);
    // True when the first file exists and the second is missing or strictly older, to the second.
    bool IsNewerThan(std::string_view first, std::string_view second);
    // The first of prefix + zero-padded number + "." + extension that cannot be opened; "" when all can.
    std::string MakeNumberedFileName(std::string_view prefix, std::string_view extension, int digits = 4);
    // A missing file is no error; false only when a file exists and cannot be removed.
    bool DeleteUserFile(std::string_view path);
    // Moves a user file to another name in the user folder in one step, replacing a file of
    // that name; a crash leaves it under one name or the other. False when it is missing or
    // cannot be moved (nothing changes).
    bool RenameUserFile(std::string_view from, std::string_view to);
    // The first of "<path>.bad", "<path>.bad2" .. "<path>.bad9" in the user folder that no file
    // or folder holds; "" when every one is taken.
    std::string FindAsideName(std::string_view path);
    // A damaged user file moved out of the way beside those set aside before, never over one:
    // to FindAsideName's name. The name it took; "" when it is missing, cannot be moved or every
    // name is taken (nothing changes).
    std::string SetAsideUserFile(std::string_view path);
    // Lower-cases the path and puts the folder and "/" in front unless it already lies in that folder.
    static void PrefixPath(std::string& path, PathBase base);
    // The name ends in "." + extension, without regard to case; "" and "*" match every name.
    static bool MatchesExtension(std::string_view name, std::string_view extension);

    // Appends the names of the files with the extension (case-blind; "" or "*" for all) in the
    // folder of the location kind; the asset kinds (0, 1, 2) add the archives' entries. The
    // appended names are sorted and freed of duplicates without regard to case, a folder's name
    // winning over an archive's. recurse: sub-folders too; keepPath: names keep the folder
    // they were found in; finish: names lose a leading copy of the full folder path.
    void ListFiles(std::string_view folder, std::string_view extension, std::vector<std::string>& out,
                   FileLocation location, bool recurse, bool keepPath, bool finish);
    // Replaces the list with the sub-folder names of the folder, sorted the same way.
    void ListFolders(std::string_view folder, std::vector<std::string>& out, FileLocation location);
    // Asset folder = working folder + "/" + name; user folder = working folder + "/User".
    virtual void SetRootFolders(std::string_view assetFolderName) = 0;

    // Archives sit in the working folder, beside "Assets" and "User": they are the shipped
    // whole, and inside the asset folder they would show up in its listings. A later mount
    // shadows an earlier one. A missing archive is skipped quietly, a damaged one with a line.
    bool MountArchive(std::string_view fileName);
    // "assets001.zip", then "assets002.zip", so that the second's entries win.
    void MountAssetArchives();
    // One line for the start-up log: the folders searched and the archives mounted, e.g.
    // "Mounted Assets, User and 1 archive: assets001.zip" (no newline).
    std::string DescribeMounts() const;

    const std::string& GetFolder(FileLocation location) const;
    // The separator the file picker puts between a folder and a name.
    const std::string& GetSeparator() const { return separator; }
    uint64_t GetBytesRead() const { return bytesRead; }
    uint64_t GetBytesWritten() const { return bytesWritten; }
    // Every open, whole-file loads included.
    uint32_t GetFilesOpened() const { return filesOpened; }
    void PrintStatistics() const;

protected:
    // The platform's side: plain folder listings, no archives. Names as the folder holds them.
    virtual void ListDiskFiles(std::string_view folder, std::string_view extension, std::vector<std::string>& out,
                               FileLocation location, bool recurse, bool keepPath, bool finish) = 0;
    virtual void ListDiskFolders(std::string_view folder, std::vector<std::string>& out, FileLocation location) = 0;

    // In their order in the object: working, asset, first and second override, user, user copy.
    std::string workingFolder;
    std::string assetFolder;
    std::string overrideFolder1;
    std::string overrideFolder2;
    std::string userFolder;
    std::string userFolderCopy;
    std::string separator = "/";

private:
    class DiskReadFile;
    class DiskWriteFile;
    class MemoryFile;
    struct Found;

    std::vector<const std::string*> ReadFolders(FileLocation location) const;
    // disksOnly: the folders alone, never the archives.
    Found Find(std::string_view path, FileLocation location, bool disksOnly);
    FileBuffer LoadFound(const Found& found);
    // The normalised folder as it is spelled below the location's folder ("" for the root);
    // false when it is missing there.
    bool ResolveListFolder(const std::string& normal, FileLocation location, std::string& actual);
    File* OpenForWriting(std::string_view path);
    // The full path a normalised user-folder path is written to, its folders made; "" when it
    // cannot be (a file stands where a folder must go, or a folder where the file must).
    std::string WriteTarget(const std::string& relative);
    void AddArchiveNames(const std::string& folder, std::string_view extension, std::vector<std::string>& out,
                         bool recurse, bool keepPath, bool wantFolders);
    bool EndWrite(File* file, bool commit);

    mutable std::recursive_mutex lock;
    FolderCache folderCache;
    // Mount order; searched from the back so that the newest archive wins.
    std::vector<std::unique_ptr<ZipArchive>> archives;
    std::atomic<uint64_t> bytesRead{0};
    std::atomic<uint64_t> bytesWritten{0};
    std::atomic<uint32_t> filesOpened{0};
};

extern FileSystem* gFileSystem;
