// PosixFileSystem -- the file system's folder listings and root folders over POSIX directories.
#pragma once

#include "core/FileSystem.h"

class PosixFileSystem : public FileSystem {
public:
    // The working folder is where "Assets", "User" and the archives lie; empty: the current folder.
    explicit PosixFileSystem(std::string_view workingFolder = {}) : FileSystem(workingFolder) {}

    void SetRootFolders(std::string_view assetFolderName) override;

protected:
    void ListDiskFiles(std::string_view subPath, std::string_view extension, std::vector<std::string>& out,
                       FileLocation location, bool recurse, bool keepPath, bool finish) override;
    void ListDiskFolders(std::string_view subPath, std::vector<std::string>& out, FileLocation location) override;

private:
    enum class EntryKind { kFile, kFolder };
    // Appends the names of one kind in the folder; hidden entries (unfinished writes among them) are left out.
    static void ReadEntries(const std::string& folder, EntryKind kind, std::vector<std::string>& out);
};
