// OpenDescriptors -- the descriptors this process holds open on a file, read from /proc, and whether each closes when a program is started.
#pragma once

#include <fcntl.h>

#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

// One entry per descriptor whose file's path holds the text: true when it closes on exec.
inline std::vector<bool> DescriptorsClosingOnExec(const std::string& pathPart)
{
    std::vector<bool> closing;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
        std::error_code error;
        std::string target = std::filesystem::read_symlink(entry.path(), error).string();
        if (error || target.find(pathPart) == std::string::npos)
            continue;
        int flags = fcntl(std::stoi(entry.path().filename().string()), F_GETFD);
        closing.push_back(flags >= 0 && (flags & FD_CLOEXEC) != 0);
    }
    return closing;
}
