// ZipWriter -- builds zip archives for tests through minizip's writer.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct ZipWriterEntry {
    std::string name;
    std::string bytes;
    bool stored = false;
    // MS-DOS packed local date and time; 0 leaves 1980-01-01 00:00:00.
    uint32_t dosDate = 0;
};

// Writes the archive, replacing any file at the path; false when minizip refuses.
bool WriteZip(const std::string& path, const std::vector<ZipWriterEntry>& entries);
// Packs a local date and time the way zip headers store it.
uint32_t MakeDosDate(int year, int month, int day, int hour, int minute, int second);
