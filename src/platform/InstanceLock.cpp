// InstanceLock -- one running copy of the game per game folder: a lock file in the user folder, held while the program runs.
#include "platform/InstanceLock.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <sys/file.h>
#include <unistd.h>

namespace {

// The process id written in the file, 0 when it holds none (empty, cut or garbage).
long ReadInstanceHolder(int descriptor)
{
    char text[32] = {};
    ssize_t got = pread(descriptor, text, sizeof text - 1, 0);
    if (got <= 0)
        return 0;
    char* end = nullptr;
    errno = 0;
    long id = std::strtol(text, &end, 10);
    bool whole = end != text && (*end == '\n' || *end == '\0') && errno == 0;
    // A process id is a positive int.
    return whole && id > 0 && id <= INT_MAX ? id : 0;
}

} // namespace

InstanceLock::~InstanceLock()
{
    Release();
}

InstanceLock::Result InstanceLock::Take(const std::string& userFolder)
{
    Release();
    holder = 0;
    path = userFolder + "/" + kFileName;
    std::error_code ignored;
    std::filesystem::create_directories(userFolder, ignored);
    descriptor = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
    if (descriptor < 0)
        return Result::kFailed;
    bool held = flock(descriptor, LOCK_EX | LOCK_NB) != 0;
    bool heldByAnother = held && errno == EWOULDBLOCK;
    holder = ReadInstanceHolder(descriptor);
    if (held) {
        Result result = heldByAnother ? Result::kHeldByAnother : Result::kFailed;
        close(descriptor);
        descriptor = -1;
        return result;
    }
    std::string id = std::to_string(static_cast<long>(getpid())) + "\n";
    if (ftruncate(descriptor, 0) != 0 || pwrite(descriptor, id.data(), id.size(), 0) != static_cast<ssize_t>(id.size())) {
        Release();
        return Result::kFailed;
    }
    return Result::kTaken;
}

bool InstanceLock::Release()
{
    if (descriptor < 0)
        return true;
    // Emptied while still held, so a copy starting now never reads the id of a finished run.
    bool emptied = ftruncate(descriptor, 0) == 0;
    close(descriptor);
    descriptor = -1;
    return emptied;
}
