// NameGenerator -- made-up personal names from the letter statistics of sample lists ("Names/<table>.txt").
#include "core/NameGenerator.h"

#include "core/DebugSystem.h"
#include "core/FileSystem.h"
#include "core/RandomSystem.h"
#include "core/StringUtil.h"

#include <algorithm>
#include <cctype>
#include <optional>
#include <unordered_map>
#include <utility>
#include <vector>

NameGenerator* gNameGenerator = nullptr;

namespace {

// Longer samples are cut: a name has to fit a name plate.
constexpr size_t kMaxNameLength = 16;
constexpr size_t kMinNameLength = 2;
constexpr size_t kMaxTableNameLength = 64;
// Walks that end too early are tried again from where the stream stands.
constexpr int kMaxWalks = 8;

bool IsValidTableName(std::string_view name)
{
    if (name.empty() || name.size() > kMaxTableNameLength)
        return false;
    return std::all_of(name.begin(), name.end(), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '-';
    });
}

uint8_t LowerAscii(uint8_t c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<uint8_t>(c - 'A' + 'a') : c;
}

// The first letter of each word upper-cased.
std::string Capitalize(std::string name)
{
    bool wordStart = true;
    for (char& c : name) {
        if (wordStart && c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
        wordStart = c == ' ' || c == '-';
    }
    return name;
}

// The file's text, one byte a character; a UTF-16 file (FF FE) is narrowed.
std::string FileText(const FileBuffer& file)
{
    if (file.Size() < 2 || file.Data()[0] != 0xFF || file.Data()[1] != 0xFE)
        return std::string(file.Text());
    WString wide;
    for (size_t i = 2; i + 1 < file.Size(); i += 2)
        wide.push_back(static_cast<char16_t>(file.Data()[i] | (file.Data()[i + 1] << 8)));
    return WideToNarrow(wide);
}

// None (and a log line) when the table cannot be read. The name is checked because it
// becomes part of a path.
std::optional<std::string> ReadTableText(std::string_view table, const std::string& path)
{
    if (!IsValidTableName(table)) {
        DebugSystem::Print(kPrintWarning, "Invalid name table %s\n", std::string(table).c_str());
        return std::nullopt;
    }
    FileBuffer file = gFileSystem ? gFileSystem->LoadWholeFile(path) : FileBuffer();
    if (!file.IsValid()) {
        DebugSystem::Print(kPrintWarning, "Couldn't find %s\n", path.c_str());
        return std::nullopt;
    }
    return FileText(file);
}

// A line freed of control characters and the blanks at its ends, letters lower-cased.
std::string CleanSample(std::string_view line)
{
    std::string sample;
    for (char c : line) {
        auto byte = static_cast<uint8_t>(c);
        if (byte >= ' ' && byte != 0x7F)
            sample.push_back(static_cast<char>(LowerAscii(byte)));
    }
    size_t first = sample.find_first_not_of(' ');
    if (first == std::string::npos || sample.compare(first, 2, "//") == 0)
        return {};
    sample.erase(0, first);
    sample.erase(sample.find_last_not_of(' ') + 1);
    if (sample.size() > kMaxNameLength)
        sample.resize(kMaxNameLength);
    return sample;
}

} // namespace

// Order 2: for each pair of letters, how often each letter follows it in the samples.
// Byte 0 stands for "before the first letter" and "after the last".
struct NameGenerator::Chain {
    struct Choices {
        std::vector<std::pair<uint8_t, int32_t>> counts;
        int32_t total = 0;

        void Add(uint8_t letter)
        {
            ++total;
            for (auto& [known, count] : counts) {
                if (known == letter) {
                    ++count;
                    return;
                }
            }
            counts.emplace_back(letter, 1);
        }

        uint8_t Pick(int32_t roll) const
        {
            for (const auto& [letter, count] : counts) {
                if (roll < count)
                    return letter;
                roll -= count;
            }
            return 0;
        }
    };

    static uint16_t Key(uint8_t a, uint8_t b) { return static_cast<uint16_t>(a << 8 | b); }

    void Add(const std::string& sample)
    {
        uint8_t a = 0;
        uint8_t b = 0;
        for (char c : sample) {
            auto letter = static_cast<uint8_t>(c);
            next[Key(a, b)].Add(letter);
            a = b;
            b = letter;
        }
        next[Key(a, b)].Add(0);
        minLength = samples.empty() ? sample.size() : std::min(minLength, sample.size());
        maxLength = std::max(maxLength, sample.size());
        samples.push_back(sample);
    }

    // Empty when the walk keeps ending before the shortest sample's length.
    std::string Walk(RandomSystem& random) const
    {
        size_t shortest = std::max(minLength, kMinNameLength);
        size_t longest = std::max(maxLength, shortest);
        std::string name;
        uint8_t a = 0;
        uint8_t b = 0;
        for (size_t step = 0; step < 2 * longest + 8; ++step) {
            auto found = next.find(Key(a, b));
            if (found == next.end())
                break;
            uint8_t letter = found->second.Pick(random.RandomInt(RandomStream::Names, found->second.total));
            if (letter == 0) {
                if (name.size() >= shortest)
                    return name;
                continue;
            }
            name.push_back(static_cast<char>(letter));
            if (name.size() >= longest)
                return name;
            a = b;
            b = letter;
        }
        return {};
    }

    std::unordered_map<uint16_t, Choices> next;
    std::vector<std::string> samples;
    size_t minLength = 0;
    size_t maxLength = 0;
};

NameGenerator::NameGenerator() = default;

NameGenerator::~NameGenerator()
{
    if (gNameGenerator == this)
        gNameGenerator = nullptr;
}

const NameGenerator::Chain& NameGenerator::GetChain(std::string_view table)
{
    auto found = chains.find(table);
    if (found != chains.end())
        return *found->second;
    auto chain = std::make_unique<Chain>();
    std::string path = "Names/" + std::string(table) + ".txt";
    std::optional<std::string> text = ReadTableText(table, path);
    for (size_t start = 0; text && start < text->size();) {
        size_t end = std::min(text->find('\n', start), text->size());
        std::string sample = CleanSample(std::string_view(*text).substr(start, end - start));
        if (!sample.empty())
            chain->Add(sample);
        start = end + 1;
    }
    if (text && chain->samples.empty())
        DebugSystem::Print(kPrintWarning, "No names in %s\n", path.c_str());
    return *chains.emplace(std::string(table), std::move(chain)).first->second;
}

std::string NameGenerator::Generate(std::string_view table, uint32_t seed)
{
    const Chain& chain = GetChain(table);
    if (chain.samples.empty())
        return kFallbackName;
    if (!gRandomSystem) {
        DebugSystem::Print(kPrintError, "Can't make a name before the random system exists\n");
        return kFallbackName;
    }
    gRandomSystem->SetState(RandomStream::Names, seed);
    // Nearby seeds give nearly equal first draws of the linear step; that draw is let go.
    gRandomSystem->Next(RandomStream::Names);
    for (int walk = 0; walk < kMaxWalks; ++walk) {
        std::string name = chain.Walk(*gRandomSystem);
        if (!name.empty())
            return Capitalize(std::move(name));
    }
    // A chain that keeps ending early still gives a name: one of its samples.
    int32_t count = static_cast<int32_t>(chain.samples.size());
    return Capitalize(chain.samples[gRandomSystem->RandomInt(RandomStream::Names, count)]);
}
