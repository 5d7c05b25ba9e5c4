// FolderCache -- finds folder entries without regard to case, keeping each folder's listing until the folder changes.
#include "core/FolderCache.h"

#include "core/StringUtil.h"

namespace fs = std::filesystem;

std::string FolderCache::Resolve(const std::string& base, std::string_view relative)
{
    std::string exact = base + "/" + std::string(relative);
    std::error_code error;
    if (fs::exists(exact, error))
        return exact;
    std::string path = base;
    size_t start = 0;
    while (start <= relative.size()) {
        size_t end = relative.find('/', start);
        if (end == std::string_view::npos)
            end = relative.size();
        std::string name = FindEntry(path, relative.substr(start, end - start));
        if (name.empty())
            return {};
        path += "/" + name;
        start = end + 1;
    }
    return path;
}

std::string FolderCache::FindEntry(const std::string& folder, std::string_view name)
{
    if (name.empty())
        return {};
    std::error_code error;
    if (fs::exists(folder + "/" + std::string(name), error))
        return std::string(name);
    const Listing* listing = GetListing(folder);
    if (!listing)
        return {};
    auto found = listing->names.find(StringToLower(name));
    return found == listing->names.end() ? std::string() : found->second;
}

void FolderCache::Forget(const std::string& folder)
{
    listings.erase(folder);
}

const FolderCache::Listing* FolderCache::GetListing(const std::string& folder)
{
    std::error_code error;
    // Read the time before the entries: a change made while listing leaves a newer time behind.
    fs::file_time_type stamp = fs::last_write_time(folder, error);
    if (error) {
        listings.erase(folder);
        return nullptr;
    }
    auto cached = listings.find(folder);
    if (cached != listings.end() && cached->second.stamp == stamp)
        return &cached->second;
    Listing listing;
    listing.stamp = stamp;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        std::string name = it->path().filename().string();
        auto [slot, added] = listing.names.emplace(StringToLower(name), name);
        if (!added && name < slot->second)
            slot->second = name;
    }
    if (error) {
        listings.erase(folder);
        return nullptr;
    }
    return &(listings[folder] = std::move(listing));
}
