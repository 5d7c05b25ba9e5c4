// InstanceLock -- one running copy of the game per game folder: a lock file in the user folder, held while the program runs.
#pragma once

#include <string>

// The lock is an flock on "<user folder>/instance.lock", which also holds the holder's process
// id. The kernel lets go of it when the holder ends in any way, so the file of a run that
// crashed is simply taken over; a clean exit also empties it, which tells the two apart.
class InstanceLock {
public:
    static constexpr const char* kFileName = "instance.lock";

    enum class Result {
        kTaken,
        kHeldByAnother,  // another copy runs on this folder: GetHolder names it
        kFailed,         // the folder or the file could not be made
    };

    InstanceLock() = default;
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // Creates the user folder when it is missing.
    Result Take(const std::string& userFolder);
    // Empties the file and lets go of the lock; nothing when it is not held. False when the
    // file could not be emptied: the lock is let go all the same, and the next run only
    // takes the id left in it for a run that crashed.
    bool Release();

    // The process id the file named: the running holder after kHeldByAnother, the run that
    // ended without letting go after kTaken; 0 when the file named none.
    long GetHolder() const { return holder; }
    const std::string& GetPath() const { return path; }

private:
    int descriptor = -1;
    long holder = 0;
    std::string path;
};
