// ContentLint -- checks the game content as shipped: broken links, unknown names, records that fail to load, missing texts.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

class Database;
class DatabaseEntry;
class DebugSystem;
class LocSystem;

// Most faults show as the warnings and errors the loading logs: a Base or Type that names no
// entry, an unknown enum name, a record that fails to load. On top of those the lint finds
// every "$$Key$$" token in the listed database files whose key the language lacks, and runs the
// per-kind checks of ContentLint.cpp, where a record kind adds its own with one table line.
class ContentLint {
public:
    // A later subsystem's check of every entry of one type ("BaseOnly" ones left out): the
    // rules cannot name the world's records, so the world hands its checks in.
    struct ExtraKindCheck {
        int32_t entryType;
        std::function<void(ContentLint& lint, const DatabaseEntry& entry)> check;
    };

    ContentLint(const Database& database, const LocSystem& loc);

    // Loads the language, the database and the game data through the file system, keeping what
    // they log, and runs every check. The debug system must be fresh: each warning and error
    // line it holds counts as a problem.
    static std::vector<std::string> CheckGameContent(DebugSystem& debug, std::string_view language,
                                                     const std::vector<ExtraKindCheck>& extraChecks = {});

    // Every warning and error line among the console lines.
    void AddLoggedProblems(const std::vector<std::string>& consoleLines);
    // The token scan of the database files, the per-kind checks and the extra ones.
    void Run(const std::vector<ExtraKindCheck>& extraChecks = {});

    // For the per-kind checks.
    void Report(const DatabaseEntry& entry, std::string_view problem);
    // The field's text must be a localisation key of the language.
    void CheckLocKey(const DatabaseEntry& entry, std::string_view key);
    // The field's text must name a database entry.
    void CheckEntryName(const DatabaseEntry& entry, std::string_view key);
    // A problem that belongs to no record (a file, say).
    void ReportText(std::string_view problem);
    // The field, when given, must name a listed record of the entry type.
    void CheckRecordOfType(const DatabaseEntry& entry, std::string_view key, int32_t entryType, const char* what);
    // The field must name a file of the game: loose under the assets or in an archive.
    void CheckTexture(const DatabaseEntry& entry, std::string_view key);

    const std::vector<std::string>& GetProblems() const { return problems; }
    const Database& GetDatabase() const { return database; }

private:
    void CheckTokens(std::string_view fileName, std::string_view text);
    void RunKindChecks(const std::vector<ExtraKindCheck>& extraChecks);

    const Database& database;
    const LocSystem& loc;
    std::vector<std::string> problems;
};
