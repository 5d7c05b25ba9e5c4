// TextRegistry -- a small settings store in one text file, with the read and write rules of a system registry.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// One value a line: key path, value name, "sz" or "dword", data; tab-separated, with
// backslash, tab, CR and LF escaped. Keys and value names match without regard to case.
// A key exists only while it holds a value: the operations offered cannot see an empty key,
// so reads never write the file.
class TextRegistry {
public:
    explicit TextRegistry(std::string filePath);

    // Results are the kRegistry* codes of core/system/PlatformSystem.h.
    int32_t WriteString(const std::string& keyPath, const std::string& valueName, const std::string& text);
    int32_t ReadString(const std::string& keyPath, const std::string& valueName, std::string& text) const;
    int32_t ReadDword(const std::string& keyPath, const std::string& valueName, uint32_t& value) const;

private:
    struct Value {
        std::string keyPath;
        std::string valueName;
        bool isDword = false;
        std::string text;
        uint32_t number = 0;
    };

    std::vector<Value> Load() const;
    bool Save(const std::vector<Value>& values) const;
    // Index of the value, -1 when missing.
    static int Find(const std::vector<Value>& values, const std::string& keyPath, const std::string& valueName);
    static bool ParseLine(const std::string& line, Value& value);

    std::string filePath;
};
