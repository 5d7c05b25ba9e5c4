// TextRegistry -- a small settings store in one text file, with the read and write rules of a system registry.
#include "platform/TextRegistry.h"

#include "core/DebugSystem.h"
#include "core/StringUtil.h"
#include "core/system/PlatformSystem.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <unistd.h>
#include <utility>

namespace {

// Readers take a value through a 512-byte buffer that also holds the terminating NUL.
constexpr size_t kMaxTextBytes = 511;

std::string Escape(const std::string& text)
{
    std::string out;
    for (char c : text) {
        if (c == '\\')
            out += "\\\\";
        else if (c == '\t')
            out += "\\t";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\r')
            out += "\\r";
        else
            out += c;
    }
    return out;
}

bool Unescape(const std::string& text, std::string& out)
{
    out.clear();
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            out += text[i];
            continue;
        }
        if (++i == text.size())
            return false;
        switch (text[i]) {
        case '\\': out += '\\'; break;
        case 't': out += '\t'; break;
        case 'n': out += '\n'; break;
        case 'r': out += '\r'; break;
        default: return false;
        }
    }
    return true;
}

std::vector<std::string> SplitTabs(const std::string& line)
{
    std::vector<std::string> fields(1);
    for (char c : line) {
        if (c == '\t')
            fields.emplace_back();
        else
            fields.back() += c;
    }
    return fields;
}

bool ParseDword(const std::string& text, uint32_t& value)
{
    if (text.empty() || text[0] == '-' || text[0] == '+' || text[0] == ' ')
        return false;
    errno = 0;
    char* end = nullptr;
    unsigned long long parsed = strtoull(text.c_str(), &end, 0);
    if (errno != 0 || *end != '\0' || parsed > 0xFFFFFFFFull)
        return false;
    value = static_cast<uint32_t>(parsed);
    return true;
}

void SyncFolder(const std::string& folder)
{
    int descriptor = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor >= 0) {
        fsync(descriptor);
        close(descriptor);
    }
}

} // namespace

TextRegistry::TextRegistry(std::string filePath) : filePath(std::move(filePath))
{
}

int32_t TextRegistry::WriteString(const std::string& keyPath, const std::string& valueName, const std::string& text)
{
    std::vector<Value> values = Load();
    int index = Find(values, keyPath, valueName);
    if (index < 0) {
        index = static_cast<int>(values.size());
        values.push_back({keyPath, valueName, false, "", 0});
    }
    Value& target = values[index];
    target.isDword = false;
    // The stored form ends at the first NUL, as a C string would.
    target.text = text.substr(0, text.find('\0'));
    return Save(values) ? kRegistrySuccess : kRegistryWriteFault;
}

int32_t TextRegistry::ReadString(const std::string& keyPath, const std::string& valueName, std::string& text) const
{
    text.clear();
    std::vector<Value> values = Load();
    int index = Find(values, keyPath, valueName);
    if (index < 0)
        return kRegistryNotFound;
    const Value* found = &values[index];
    if (found->isDword)
        return kRegistryInvalidData;
    if (found->text.size() > kMaxTextBytes)
        return kRegistryMoreData;
    text = found->text;
    return kRegistrySuccess;
}

int32_t TextRegistry::ReadDword(const std::string& keyPath, const std::string& valueName, uint32_t& value) const
{
    value = 0;
    std::vector<Value> values = Load();
    int index = Find(values, keyPath, valueName);
    if (index < 0)
        return kRegistryNotFound;
    const Value* found = &values[index];
    if (!found->isDword)
        return kRegistryInvalidData;
    value = found->number;
    return kRegistrySuccess;
}

int TextRegistry::Find(const std::vector<Value>& values, const std::string& keyPath, const std::string& valueName)
{
    for (size_t i = 0; i < values.size(); ++i) {
        if (StringEqualsNoCase(values[i].keyPath, keyPath) && StringEqualsNoCase(values[i].valueName, valueName))
            return static_cast<int>(i);
    }
    return -1;
}

std::vector<TextRegistry::Value> TextRegistry::Load() const
{
    std::vector<Value> values;
    std::ifstream in(filePath, std::ios::binary);
    std::string line;
    for (int lineNumber = 1; std::getline(in, line); ++lineNumber) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty())
            continue;
        Value value;
        if (!ParseLine(line, value)) {
            DebugSystem::Print(kPrintWarning, "Skipping malformed line %d of %s\n", lineNumber, filePath.c_str());
            continue;
        }
        // A repeated value keeps its first line, which is the one lookups find.
        if (Find(values, value.keyPath, value.valueName) < 0)
            values.push_back(std::move(value));
    }
    return values;
}

bool TextRegistry::ParseLine(const std::string& line, Value& value)
{
    std::vector<std::string> fields = SplitTabs(line);
    if (fields.size() != 4)
        return false;
    if (!Unescape(fields[0], value.keyPath) || !Unescape(fields[1], value.valueName))
        return false;
    if (fields[2] == "sz")
        return Unescape(fields[3], value.text);
    if (fields[2] != "dword")
        return false;
    value.isDword = true;
    return ParseDword(fields[3], value.number);
}

bool TextRegistry::Save(const std::vector<Value>& values) const
{
    std::filesystem::path path(filePath);
    std::error_code error;
    std::filesystem::create_directories(path.parent_path(), error);
    std::string temporary = filePath + ".tmp";
    FILE* file = fopen(temporary.c_str(), "wbe");
    if (!file) {
        DebugSystem::Print(kPrintWarning, "Couldn't write %s\n", temporary.c_str());
        return false;
    }
    bool written = true;
    for (const Value& value : values) {
        std::string line = Escape(value.keyPath) + "\t" + Escape(value.valueName) + "\t";
        line += value.isDword ? "dword\t" + std::to_string(value.number) : "sz\t" + Escape(value.text);
        line += "\n";
        written = written && fwrite(line.data(), 1, line.size(), file) == line.size();
    }
    // The data must be on disk before the rename makes it the registry, or a crash could leave it empty.
    written = fflush(file) == 0 && fsync(fileno(file)) == 0 && written;
    written = fclose(file) == 0 && written;
    if (!written || rename(temporary.c_str(), filePath.c_str()) != 0) {
        DebugSystem::Print(kPrintWarning, "Couldn't write %s\n", filePath.c_str());
        remove(temporary.c_str());
        return false;
    }
    SyncFolder(path.parent_path().string());
    return true;
}
