// FolderCache -- finds folder entries without regard to case, keeping each folder's listing until the folder changes.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <unordered_map>

// Not thread-safe: the file system calls it under its lock.
class FolderCache {
public:
    // The full path of the entry below base whose components equal those of the relative
    // path without regard to case, an exact spelling preferred; "" when a component is
    // missing. The relative path must be normalised (no "..", no empty components).
    std::string Resolve(const std::string& base, std::string_view relative);
    // The name of folder's entry that equals name without regard to case; "" when none.
    std::string FindEntry(const std::string& folder, std::string_view name);
    // Drops a folder's listing after this program changed the folder: a folder's time may
    // not tick between two changes made within its resolution.
    void Forget(const std::string& folder);

private:
    struct Listing {
        std::filesystem::file_time_type stamp;
        // Lower-cased name -> the name on disk (the smallest spelling when several match).
        std::unordered_map<std::string, std::string> names;
    };

    const Listing* GetListing(const std::string& folder);

    std::unordered_map<std::string, Listing> listings;
};
