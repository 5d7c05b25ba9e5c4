// ByteText -- a file's bytes as a string, for tests that write built files through the file system.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

inline std::string AsText(const std::vector<uint8_t>& bytes)
{
    return std::string(bytes.begin(), bytes.end());
}
