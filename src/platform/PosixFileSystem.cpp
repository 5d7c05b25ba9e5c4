// PosixFileSystem -- the file system's folder listings and root folders over POSIX directories.
#include "platform/PosixFileSystem.h"

#include "core/StringUtil.h"

#include <dirent.h>
#include <sys/stat.h>

namespace {

std::string JoinSubPath(std::string_view subPath, std::string_view name)
{
    if (subPath.empty())
        return std::string(name);
    std::string joined(subPath);
    if (joined.back() != '/')
        joined += '/';
    return joined + std::string(name);
}

} // namespace

void PosixFileSystem::SetRootFolders(std::string_view assetFolderName)
{
    assetFolder = workingFolder + "/" + std::string(assetFolderName);
    StringBackslashesToSlashes(assetFolder);
    userFolder = workingFolder + "/" + "User";
    StringBackslashesToSlashes(userFolder);
    userFolderCopy = userFolder;
}

void PosixFileSystem::ReadEntries(const std::string& folder, EntryKind kind, std::vector<std::string>& out)
{
    DIR* directory = opendir(folder.c_str());
    if (!directory)
        return;
    while (const dirent* entry = readdir(directory)) {
        // Only the folder itself and its parent are left out: a dot-file is a file like any other.
        std::string_view name = entry->d_name;
        if (name == "." || name == "..")
            continue;
        bool isFolder = entry->d_type == DT_DIR;
        if (entry->d_type == DT_UNKNOWN || entry->d_type == DT_LNK) {
            struct stat info;
            std::string path = folder + "/" + entry->d_name;
            if (stat(path.c_str(), &info) != 0)
                continue;
            isFolder = S_ISDIR(info.st_mode);
        }
        if (isFolder == (kind == EntryKind::kFolder))
            out.emplace_back(entry->d_name);
    }
    closedir(directory);
}

void PosixFileSystem::ListDiskFolders(std::string_view subPath, std::vector<std::string>& out, FileLocation location)
{
    std::vector<std::string> names;
    ReadEntries(GetFolder(location) + "/" + std::string(subPath), EntryKind::kFolder, names);
    out = std::move(names);
}

void PosixFileSystem::ListDiskFiles(std::string_view subPath, std::string_view extension,
                                    std::vector<std::string>& out, FileLocation location, bool recurse, bool keepPath,
                                    bool finish)
{
    std::string folder = GetFolder(location) + "/" + (subPath.empty() ? std::string() : std::string(subPath) + "/");
    std::vector<std::string> names;
    ReadEntries(folder, EntryKind::kFile, names);
    for (const std::string& name : names)
        if (MatchesExtension(name, extension))
            out.push_back(keepPath ? JoinSubPath(subPath, name) : name);
    if (recurse) {
        std::vector<std::string> folders;
        ListDiskFolders(subPath, folders, location);
        for (const std::string& child : folders)
            ListDiskFiles(JoinSubPath(subPath, child), extension, out, location, true, keepPath, false);
    }
    if (!finish)
        return;
    std::string prefix = GetFolder(location) + "/" + JoinSubPath(subPath, "");
    for (std::string& name : out) {
        StringBackslashesToSlashes(name);
        if (StringStartsWithNoCase(name, prefix))
            name.erase(0, prefix.size());
    }
}
