// Database -- the game database: records read from the sub-database files that "Database/database.dbl" lists.
#include "core/Database.h"

#include "core/DebugSystem.h"
#include "core/FileSystem.h"
#include "core/StringUtil.h"
#include "core/TextParser.h"
#include "core/system/PlatformSystem.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

Database* gDatabase = nullptr;

namespace {

constexpr const char* kListPath = "Database/database.dbl";
constexpr const char* kFolder = "Database/";
// Ids keep the sub-database in the high word and must never read as -1 ("none").
constexpr uint32_t kMaxFiles = 0x7FFF;
constexpr uint32_t kMaxEntriesPerFile = 0x10000;
// Far beyond any real hierarchy; bounds the chain store when a file chains thousands of entries.
constexpr uint32_t kMaxChainLength = 64;
// Past this many syntax faults a file is taken to be no record file at all.
constexpr int kMaxErrorsPerFile = 20;
constexpr size_t kTextChunkBytes = 64 * 1024;

enum ResolveState : uint8_t { kUnvisited, kVisiting, kDone };

[[noreturn]] void Fatal(const std::string& message)
{
    if (gPlatformSystem)
        gPlatformSystem->CriticalError(message);
    // Without a platform layer (tools, tests) the message still reaches the user.
    DebugSystem::PrintText(kPrintError, message);
    std::fputs(message.c_str(), stderr);
    std::exit(1);
}

} // namespace

// Reads one sub-database's records into the database.
class Database::Parser {
public:
    Parser(Database& database, const FileBuffer& buffer, std::string fileName, uint32_t fileIndex)
        : database(database), parser(buffer.Data(), buffer.Size()), fileName(std::move(fileName)),
          fileIndex(fileIndex)
    {
    }

    void Run()
    {
        // token holds the next record's name when pending: a word that came where a { should.
        bool pending = false;
        while (errors < kMaxErrorsPerFile && (pending || parser.NextToken(token, true))) {
            pending = false;
            if (IsBrace(token, "{") || IsBrace(token, "}")) {
                Error("unexpected %.*s", static_cast<int>(token.text.size()), token.text.data());
                if (IsBrace(token, "{"))
                    SkipBlock();
                continue;
            }
            name.assign(token.text);
            if (!parser.NextToken(token, true)) {
                Error("%s has no {", name.c_str());
                break;
            }
            if (!IsBrace(token, "{")) {
                // The word may be the next record's name: a name without a block is dropped.
                Error("expected { after %s", name.c_str());
                pending = true;
                continue;
            }
            ReadRecord();
        }
        if (errors >= kMaxErrorsPerFile)
            DebugSystem::Print(kPrintError, "Database file %s: too many errors, the rest is skipped\n", fileName.c_str());
    }

    uint32_t GetEntryCount() const { return entryCount; }

private:
    // A quoted "{" or "}" is a value like any other, never a brace.
    static bool IsBrace(const ParsedToken& read, std::string_view brace)
    {
        return !read.quoted && read.text == brace;
    }

    [[gnu::format(printf, 2, 3)]] void Error(const char* format, ...)
    {
        ++errors;
        char text[512];
        va_list args;
        va_start(args, format);
        vsnprintf(text, sizeof text, format, args);
        va_end(args);
        DebugSystem::Print(kPrintError, "Database file %s: %s\n", fileName.c_str(), text);
    }

    void SkipBlock()
    {
        while (parser.NextToken(token, true) && !IsBrace(token, "}")) {
        }
    }

    void ReadRecord()
    {
        uint32_t firstField = static_cast<uint32_t>(database.fields.size());
        bool closed = false;
        while (parser.NextToken(token, true)) {
            if (IsBrace(token, "}")) {
                closed = true;
                break;
            }
            if (IsBrace(token, "{")) {
                Error("%s holds an unexpected {; a } may be missing", name.c_str());
                continue;
            }
            // Taken before the value is read: the key's text holds only until the next read.
            uint32_t key = database.InternKey(token.text);
            closed = ReadValue();
            database.fields.push_back(DatabaseField{database.StoreText(value), key});
            if (closed)
                break;
        }
        if (!closed)
            Error("%s is missing its }", name.c_str());
        AddRecord(firstField);
    }

    // The rest of the line with its blanks as written between its words (a quoted word
    // exactly as quoted); true when a "}" word ends the record on the same line
    // ("Torch { Lit 1 }").
    bool ReadValue()
    {
        value.clear();
        bool first = true;
        while (parser.NextToken(token, false)) {
            if (IsBrace(token, "}"))
                return true;
            if (!first)
                value += parser.BlanksBefore(token);
            value += token.text;
            first = false;
        }
        return false;
    }

    void AddRecord(uint32_t firstField)
    {
        if (name.empty()) {
            Error("a record has no name");
        } else if (entryCount >= kMaxEntriesPerFile) {
            Error("more than %u records; %s is dropped", kMaxEntriesPerFile, name.c_str());
        } else {
            int32_t id = static_cast<int32_t>((fileIndex << 16) | entryCount);
            if (database.AddEntry(name, id, firstField, fileName)) {
                ++entryCount;
                return;
            }
        }
        database.fields.resize(firstField);
    }

    Database& database;
    TextParser parser;
    std::string fileName;
    uint32_t fileIndex;
    std::string name;
    ParsedToken token;
    std::string value;
    int errors = 0;
    uint32_t entryCount = 0;
};

Database::Database()
{
    Clear();
}

Database::~Database()
{
    if (gDatabase == this)
        gDatabase = nullptr;
}

void Database::Clear()
{
    entries.clear();
    fields.clear();
    chains.clear();
    fileFirstEntry.clear();
    fileEntryCount.clear();
    entriesByName.clear();
    keys.clear();
    for (auto& list : entriesByType)
        list.clear();
    textChunks.clear();
    chunkUsed = chunkSize = 0;
    baseKey = InternKey("Base");
    typeKey = InternKey("Type");
    baseOnlyKey = InternKey("BaseOnly");
}

void Database::Load()
{
    Clear();
    FileBuffer list = gFileSystem ? gFileSystem->LoadWholeFile(kListPath) : FileBuffer();
    if (!list.IsValid())
        Fatal("Couldn't find Database/database.dbl!\n");
    TextParser parser(list.Data(), list.Size());
    std::string listedName;
    while (parser.NextToken(listedName, true))
        LoadSubDatabase(listedName);
    ResolveInheritance();
}

void Database::LoadSubDatabase(std::string_view listedName)
{
    std::string normal;
    // A listed name is data: it must not reach outside the database folder.
    if (!NormalizeGamePath(listedName, normal)) {
        DebugSystem::Print(kPrintError, "Refused database file name %s\n", std::string(listedName).c_str());
        return;
    }
    std::string path = kFolder + normal;
    if (fileFirstEntry.size() >= kMaxFiles) {
        DebugSystem::Print(kPrintError, "Too many database files; %s is skipped\n", path.c_str());
        return;
    }
    FileBuffer buffer = gFileSystem->LoadWholeFile(path);
    if (!buffer.IsValid()) {
        DebugSystem::Print(kPrintError, "Couldn't find %s\n", path.c_str());
        return;
    }
    uint32_t fileIndex = static_cast<uint32_t>(fileFirstEntry.size());
    fileFirstEntry.push_back(static_cast<uint32_t>(entries.size()));
    Parser parser(*this, buffer, path, fileIndex);
    parser.Run();
    fileEntryCount.push_back(parser.GetEntryCount());
}

bool Database::AddEntry(std::string_view name, int32_t id, uint32_t firstField, const std::string& fileName)
{
    if (entriesByName.find(name) != entriesByName.end()) {
        DebugSystem::Print(kPrintWarning, "Duplicate database entry %s in %s; the first is kept\n",
                           std::string(name).c_str(), fileName.c_str());
        return false;
    }
    DatabaseEntry& entry = entries.emplace_back();
    entry.database = this;
    entry.name = StoreText(name);
    entry.id = id;
    entry.position = static_cast<uint32_t>(entries.size() - 1);
    entry.firstField = firstField;
    entry.fieldCount = static_cast<uint32_t>(fields.size()) - firstField;
    ReadSpecialFields(entry);
    entriesByName.emplace(entry.name, &entry);
    return true;
}

// "Base", "Type" and "BaseOnly" are read from the entry's own fields, the first of each.
void Database::ReadSpecialFields(DatabaseEntry& entry)
{
    bool seenBase = false, seenType = false, seenBaseOnly = false;
    for (uint32_t i = entry.firstField; i < entry.firstField + entry.fieldCount; ++i) {
        const DatabaseField& field = fields[i];
        if (field.key == baseKey && !seenBase) {
            seenBase = true;
            entry.baseName = field.value;
        } else if (field.key == typeKey && !seenType) {
            seenType = true;
            static const EnumTable* types = EnumTable::Find("DatabaseEntryType");
            int32_t type = types->IndexOf(field.value);
            if (type >= 0)
                entry.ownType = static_cast<DatabaseEntryType::Value>(type);
            else
                entry.typeEntryName = field.value;
        } else if (field.key == baseOnlyKey && !seenBaseOnly) {
            seenBaseOnly = true;
            entry.baseOnly = ParseInt(field.value) != 0;
        }
    }
}

void Database::ResolveInheritance()
{
    size_t count = entries.size();
    parents.assign(count, {nullptr, nullptr});
    for (DatabaseEntry& entry : entries) {
        std::string_view names[2] = {entry.baseName, entry.typeEntryName};
        const char* roles[2] = {"base", "type"};
        for (int i = 0; i < 2; ++i) {
            if (names[i].empty())
                continue;
            parents[entry.position][i] = FindEntryByName(names[i]);
            if (!parents[entry.position][i])
                DebugSystem::Print(kPrintError, "Database entry %s: %s %s not found\n", std::string(entry.name).c_str(),
                                   roles[i], std::string(names[i]).c_str());
        }
    }

    // Depth-first, parents before children, with an explicit stack: a file may chain
    // thousands of entries, deeper than the call stack should go.
    std::vector<uint8_t> state(count, kUnvisited);
    chainStamp.assign(count, 0);
    std::vector<std::pair<uint32_t, bool>> stack;
    for (uint32_t root = 0; root < count; ++root) {
        stack.emplace_back(root, false);
        while (!stack.empty()) {
            auto [position, expanded] = stack.back();
            stack.pop_back();
            if (expanded) {
                BuildChain(position, state);
                state[position] = kDone;
                continue;
            }
            if (state[position] != kUnvisited)
                continue;
            state[position] = kVisiting;
            stack.emplace_back(position, true);
            for (int i = 1; i >= 0; --i) {
                const DatabaseEntry* parent = parents[position][i];
                if (parent && state[parent->position] == kUnvisited)
                    stack.emplace_back(parent->position, false);
            }
        }
    }

    for (const DatabaseEntry& entry : entries) {
        if (!entry.baseOnly)
            entriesByType[entry.type].push_back(&entry);
    }
    parents.clear();
    parents.shrink_to_fit();
    chainStamp.clear();
    chainStamp.shrink_to_fit();
}

// The entry, then its base's chain, then its type entry's chain, each entry once. A parent
// still being resolved is an ancestor: inheriting from it would loop, so that link is cut.
void Database::BuildChain(uint32_t position, const std::vector<uint8_t>& state)
{
    DatabaseEntry& entry = entries[position];
    uint32_t stamp = position + 1;
    entry.firstChain = static_cast<uint32_t>(chains.size());
    chains.push_back(&entry);
    chainStamp[position] = stamp;
    bool truncated = false;
    for (const DatabaseEntry* parent : parents[position]) {
        if (!parent)
            continue;
        if (state[parent->position] == kVisiting) {
            DebugSystem::Print(kPrintError, "Database entry %s: inheriting from %s would loop; that link is cut\n",
                               std::string(entry.name).c_str(), std::string(parent->name).c_str());
            continue;
        }
        for (uint32_t i = parent->firstChain; i < parent->firstChain + parent->chainCount; ++i) {
            const DatabaseEntry* inherited = chains[i];
            if (chainStamp[inherited->position] == stamp)
                continue;
            if (chains.size() - entry.firstChain >= kMaxChainLength) {
                truncated = true;
                break;
            }
            chainStamp[inherited->position] = stamp;
            chains.push_back(inherited);
        }
    }
    if (truncated)
        DebugSystem::Print(kPrintError, "Database entry %s inherits from more than %u entries; the rest are cut\n",
                           std::string(entry.name).c_str(), kMaxChainLength - 1);
    entry.chainCount = static_cast<uint32_t>(chains.size()) - entry.firstChain;
    entry.type = entry.ownType;
    for (uint32_t i = entry.firstChain; i < entry.firstChain + entry.chainCount && entry.type == DatabaseEntryType::None; ++i)
        entry.type = chains[i]->ownType;
}

const DatabaseEntry* Database::FindEntryByName(std::string_view name, std::string_view prefix) const
{
    if (name.empty())
        return nullptr;
    auto found = prefix.empty() ? entriesByName.find(name) : entriesByName.find(std::string(prefix) + std::string(name));
    return found == entriesByName.end() ? nullptr : found->second;
}

const DatabaseEntry* Database::GetEntryByIndex(int32_t id) const
{
    if (id < 0)
        return nullptr;
    uint32_t file = static_cast<uint32_t>(id) >> 16;
    uint32_t index = static_cast<uint32_t>(id) & 0xFFFF;
    if (file >= fileFirstEntry.size() || index >= fileEntryCount[file])
        return nullptr;
    return &entries[fileFirstEntry[file] + index];
}

const DatabaseEntry* Database::GetNextEntryOfType(int32_t type, const DatabaseEntry* after) const
{
    if (type < 0 || type >= DatabaseEntryType::kCount)
        return nullptr;
    const auto& list = entriesByType[type];
    auto next = list.begin();
    if (after) {
        // Ids grow in database order, so the walk may go on from an entry of any type.
        next = std::upper_bound(list.begin(), list.end(), after->id,
                                [](int32_t id, const DatabaseEntry* entry) { return id < entry->id; });
    }
    return next == list.end() ? nullptr : *next;
}

std::string Database::GetEntryFieldString(std::string_view entryName, std::string_view key) const
{
    const DatabaseEntry* entry = FindEntryByName(entryName);
    return entry ? entry->GetString(key) : std::string();
}

uint32_t Database::InternKey(std::string_view key)
{
    auto found = keys.find(key);
    if (found != keys.end())
        return found->second;
    uint32_t id = static_cast<uint32_t>(keys.size());
    keys.emplace(std::string(key), id);
    return id;
}

int64_t Database::FindKey(std::string_view key) const
{
    auto found = keys.find(key);
    return found == keys.end() ? -1 : found->second;
}

std::string_view Database::StoreText(std::string_view text)
{
    if (text.empty())
        return {};
    if (chunkSize - chunkUsed < text.size()) {
        chunkSize = std::max(kTextChunkBytes, text.size());
        textChunks.push_back(std::make_unique<char[]>(chunkSize));
        chunkUsed = 0;
    }
    char* place = textChunks.back().get() + chunkUsed;
    std::memcpy(place, text.data(), text.size());
    chunkUsed += text.size();
    return {place, text.size()};
}
