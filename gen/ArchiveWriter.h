// ArchiveWriter -- collects the generated files and writes them as one zip archive, the same bytes on every run.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

class ArchiveWriter {
public:
    // Paths use "/" and are stored as given; adding a path twice is a generator bug and
    // fails the run.
    bool Add(const std::string& path, std::vector<uint8_t> bytes);
    // Entries in path order, one fixed time stamp, fixed compression: the archive depends on
    // nothing but the entries. Written beside the target and renamed over it, so a build
    // running at the same time never reads half an archive.
    bool Write(const std::string& path) const;
    size_t GetEntryCount() const { return entries.size(); }

private:
    std::map<std::string, std::vector<uint8_t>> entries;
};
