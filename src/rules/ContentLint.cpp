// ContentLint -- checks the game content as shipped: broken links, unknown names, records that fail to load, missing texts.
#include "rules/ContentLint.h"

#include "core/ColorCode.h"
#include "core/Database.h"
#include "core/DebugSystem.h"
#include "core/FileSystem.h"
#include "core/LocSystem.h"
#include "core/StringUtil.h"
#include "core/TextParser.h"
#include "rules/GameData.h"
#include "rules/RulesEnums.h"
#include "rules/covenants/CovenantLint.h"
#include "rules/monsters/MonsterLint.h"
#include "rules/quests/QuestLint.h"
#include "rules/items/ItemLint.h"
#include "rules/skills/SkillLint.h"

namespace {

// The debug system marks warning lines with colour 5 and error lines with colour 1.
const std::string kWarningPrefix = MakeColorCode(5);
const std::string kErrorPrefix = MakeColorCode(1);

// ---- Per-kind checks: a record kind adds a function and a line to kKindChecks. ----

// A model path as the entities load it: under "Models" unless it lies there already.
bool ContentLintModelExists(std::string_view name)
{
    std::string path(name);
    FileSystem::PrefixPath(path, PathBase("Models"));
    return gFileSystem && gFileSystem->FileExists(path);
}

void CheckCombatTuning(ContentLint& lint, const DatabaseEntry& entry);

void CheckGameSystem(ContentLint& lint, const DatabaseEntry& entry)
{
    for (const char* key : {"GameName", "Version"}) {
        if (entry.GetString(key).empty())
            lint.Report(entry, StringFormat("%s is empty", key));
    }
    std::string levelUp = entry.GetString("LevelUpEffect");
    if (!levelUp.empty() && !ContentLintModelExists(levelUp))
        lint.Report(entry, StringFormat("LevelUpEffect names the missing model %s", levelUp.c_str()));
    CheckCombatTuning(lint, entry);
}

#define EMBERLODE_CONTENT_LINT_NAME(name) #name,
constexpr const char* kContentLintAttackSoundNames[] = {EMBERLODE_ATTACK_SOUND_TYPE(EMBERLODE_CONTENT_LINT_NAME)};
#undef EMBERLODE_CONTENT_LINT_NAME

// Every damage type that leaves damage over time names its effect by the type's name, and the
// shown combat effects are models.
void CheckCombatTuning(ContentLint& lint, const DatabaseEntry& entry)
{
    for (int32_t type = 0; type < DamageType::kCount; ++type) {
        std::string typeName = GetDamageTypeName(type);
        if (entry.GetFloat("DamageOverTimePercent" + typeName, 0.0f) <= 0.0f)
            continue;
        const DatabaseEntry* effect = lint.GetDatabase().FindEntryByName("StatusEffectBasic" + typeName);
        if (!effect || effect->GetType() != DatabaseEntryType::StatusEffect)
            lint.Report(entry, StringFormat("DamageOverTimePercent%s has no status effect StatusEffectBasic%s",
                                            typeName.c_str(), typeName.c_str()));
    }
    for (int32_t code = 0; code < AttackSoundType::kCount; ++code) {
        std::string key = std::string("CombatEffect") + kContentLintAttackSoundNames[code];
        std::string model = entry.GetString(key);
        if (!model.empty() && !ContentLintModelExists(model))
            lint.Report(entry, StringFormat("%s names the missing model %s", key.c_str(), model.c_str()));
    }
}

void CheckCombatSystem(ContentLint& lint, const DatabaseEntry& entry)
{
    if (entry.GetFloat("CombatEventTime", 0.0f) <= 0.0f)
        lint.Report(entry, "CombatEventTime is not above 0");
}

// Whatever an entity is loaded from may name attachments and the effect it gives its users
// (an actor's attachments are checked with the actor).
void CheckEntityLinks(ContentLint& lint, const DatabaseEntry& entry)
{
    const Database& database = lint.GetDatabase();
    std::vector<std::string> names;
    if (entry.GetType() != DatabaseEntryType::Actor)
        entry.GetStringList("Attachment", names, true, false);
    for (const std::string& name : names) {
        const DatabaseEntry* attachment = database.FindEntryByName(name);
        if (!attachment || attachment->GetType() != DatabaseEntryType::Attachment)
            lint.Report(entry, StringFormat("Attachment names no attachment record %s", name.c_str()));
    }
    std::string effect = entry.GetString("UseStatusEffect");
    const DatabaseEntry* record = effect.empty() ? nullptr : database.FindEntryByName(effect);
    if (!effect.empty() && (!record || record->GetType() != DatabaseEntryType::StatusEffect))
        lint.Report(entry, StringFormat("UseStatusEffect names no status effect %s", effect.c_str()));
}

struct KindCheck {
    // Every entry of this type, "BaseOnly" ones left out...
    int32_t entryType;
    // ...or, when set, the one record of this name, which must exist.
    const char* recordName;
    void (*check)(ContentLint& lint, const DatabaseEntry& entry);
};

constexpr KindCheck kKindChecks[] = {
    {DatabaseEntryType::None, "GameSystem", CheckGameSystem},
    {DatabaseEntryType::None, "CombatSystem", CheckCombatSystem},
    {DatabaseEntryType::Item, nullptr, CheckItemRecord},
    {DatabaseEntryType::QuestItem, nullptr, CheckItemRecord},
    {DatabaseEntryType::MagicModifier, nullptr, CheckMagicModifierRecord},
    {DatabaseEntryType::Skill, nullptr, CheckSkillRecord},
    {DatabaseEntryType::SkillTree, nullptr, CheckSkillTreeRecord},
    {DatabaseEntryType::Class, nullptr, CheckClassRecord},
    {DatabaseEntryType::StatusEffect, nullptr, CheckStatusEffectRecord},
    {DatabaseEntryType::MonsterType, nullptr, CheckMonsterTypeRecord},
    {DatabaseEntryType::Actor, nullptr, CheckActorRecord},
    {DatabaseEntryType::Attachment, nullptr, CheckAttachmentRecord},
    {DatabaseEntryType::MonsterEnhancement, nullptr, CheckMonsterEnhancementRecord},
    {DatabaseEntryType::NpcChat, nullptr, CheckNpcChatRecord},
    {DatabaseEntryType::Covenant, nullptr, CheckCovenantRecord},
    {DatabaseEntryType::None, "Human", CheckHumanCovenant},
    {DatabaseEntryType::CovenantTrait, nullptr, CheckCovenantTraitRecord},
    {DatabaseEntryType::Quest, nullptr, CheckQuestRecord},
};

bool IsKeyChar(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}

// The text without its "//" and "/* */" comments; quoted values keep what they hold.
std::string StripComments(std::string_view text)
{
    std::string out;
    bool quoted = false;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '"')
            quoted = !quoted;
        if (!quoted && text.compare(i, 2, "//") == 0) {
            i = std::min(text.find('\n', i), text.size()) - 1;
            continue;
        }
        if (!quoted && text.compare(i, 2, "/*") == 0) {
            size_t end = text.find("*/", i + 2);
            i = end == std::string_view::npos ? text.size() : end + 1;
            continue;
        }
        if (text[i] == '\n')
            quoted = false;
        out += text[i];
    }
    return out;
}

} // namespace

ContentLint::ContentLint(const Database& database, const LocSystem& loc) : database(database), loc(loc)
{
}

std::vector<std::string> ContentLint::CheckGameContent(DebugSystem& debug, std::string_view language,
                                                       const std::vector<ExtraKindCheck>& extraChecks)
{
    LocSystem loc;
    Database database;
    GameData gameData;
    // Record loaders reach the systems through their singletons.
    LocSystem* oldLoc = gLocSystem;
    Database* oldDatabase = gDatabase;
    GameData* oldGameData = gGameData;
    gLocSystem = &loc;
    gDatabase = &database;
    gGameData = &gameData;
    loc.Load(language);
    database.Load();
    gameData.Load(database);

    ContentLint lint(database, loc);
    lint.Run(extraChecks);
    // Lines the checks themselves logged count as well.
    lint.AddLoggedProblems(debug.GetConsoleLines());
    gLocSystem = oldLoc;
    gDatabase = oldDatabase;
    gGameData = oldGameData;
    return lint.GetProblems();
}

void ContentLint::AddLoggedProblems(const std::vector<std::string>& consoleLines)
{
    for (const std::string& line : consoleLines) {
        if (StringStartsWithNoCase(line, kWarningPrefix) || StringStartsWithNoCase(line, kErrorPrefix))
            problems.push_back(line.substr(kColorCodeLength));
    }
}

void ContentLint::Run(const std::vector<ExtraKindCheck>& extraChecks)
{
    // The files the database lists, read as the database reads the list; a file it could not
    // read has been reported by the load.
    FileBuffer list = gFileSystem->LoadWholeFile("Database/database.dbl");
    TextParser parser(list.Data(), list.Size());
    std::string file;
    std::string normal;
    while (list.IsValid() && parser.NextToken(file, true)) {
        if (NormalizeGamePath(file, normal))
            CheckTokens(file, gFileSystem->LoadWholeFile("Database/" + normal).Text());
    }
    RunKindChecks(extraChecks);
}

void ContentLint::Report(const DatabaseEntry& entry, std::string_view problem)
{
    problems.push_back(StringFormat("%.*s: %.*s", static_cast<int>(entry.GetName().size()), entry.GetName().data(),
                                    static_cast<int>(problem.size()), problem.data()));
}

void ContentLint::ReportText(std::string_view problem)
{
    problems.emplace_back(problem);
}

void ContentLint::CheckLocKey(const DatabaseEntry& entry, std::string_view key)
{
    std::string text = entry.GetString(key);
    if (!loc.HasText(text))
        Report(entry, StringFormat("%.*s names the missing text %s", static_cast<int>(key.size()), key.data(),
                                   text.c_str()));
}

void ContentLint::CheckEntryName(const DatabaseEntry& entry, std::string_view key)
{
    std::string text = entry.GetString(key);
    if (!database.FindEntryByName(text))
        Report(entry, StringFormat("%.*s names the missing entry %s", static_cast<int>(key.size()), key.data(),
                                   text.c_str()));
}

void ContentLint::CheckRecordOfType(const DatabaseEntry& entry, std::string_view key, int32_t entryType,
                                    const char* what)
{
    std::string text = entry.GetString(key);
    const DatabaseEntry* found = text.empty() ? nullptr : database.FindEntryByName(text);
    if (!text.empty() && (!found || found->GetType() != entryType || found->IsBaseOnly()))
        Report(entry, StringFormat("%.*s names no %s %s", static_cast<int>(key.size()), key.data(), what,
                                   text.c_str()));
}

void ContentLint::CheckTexture(const DatabaseEntry& entry, std::string_view key)
{
    std::string text = entry.GetString(key);
    if (text.empty())
        Report(entry, StringFormat("%.*s is empty", static_cast<int>(key.size()), key.data()));
    else if (!gFileSystem || !gFileSystem->FileExists(text))
        Report(entry, StringFormat("%.*s names the missing file %s", static_cast<int>(key.size()), key.data(),
                                   text.c_str()));
}

// A token is "$$", a key, then "$$" or the "~<" of an argument list; tokens nested in an
// argument list are found the same way.
void ContentLint::CheckTokens(std::string_view fileName, std::string_view text)
{
    std::string content = StripComments(text);
    std::string_view rest = content;
    for (size_t start = rest.find("$$"); start != std::string_view::npos; start = rest.find("$$", start)) {
        size_t end = start + 2;
        while (end < rest.size() && IsKeyChar(rest[end]))
            ++end;
        std::string_view key = rest.substr(start + 2, end - start - 2);
        std::string_view after = rest.substr(end);
        bool closed = after.starts_with("$$");
        if (key.empty() || !(closed || after.starts_with("~<"))) {
            start += 2;
            continue;
        }
        if (!loc.HasText(key))
            problems.push_back(StringFormat("%.*s: $$%.*s$$ has no text", static_cast<int>(fileName.size()),
                                            fileName.data(), static_cast<int>(key.size()), key.data()));
        start = closed ? end + 2 : end;
    }
}

void ContentLint::RunKindChecks(const std::vector<ExtraKindCheck>& extraChecks)
{
    for (const KindCheck& kind : kKindChecks) {
        if (kind.recordName) {
            if (const DatabaseEntry* entry = database.FindEntryByName(kind.recordName))
                kind.check(*this, *entry);
            else
                problems.push_back(StringFormat("The record %s is missing", kind.recordName));
            continue;
        }
        for (const DatabaseEntry* entry = database.GetNextEntryOfType(kind.entryType); entry;
             entry = database.GetNextEntryOfType(kind.entryType, entry))
            kind.check(*this, *entry);
    }
    for (int32_t type = 0; type < DatabaseEntryType::kCount; ++type) {
        for (const DatabaseEntry* entry = database.GetNextEntryOfType(type); entry;
             entry = database.GetNextEntryOfType(type, entry))
            CheckEntityLinks(*this, *entry);
    }
    for (const ExtraKindCheck& kind : extraChecks) {
        for (const DatabaseEntry* entry = database.GetNextEntryOfType(kind.entryType); entry;
             entry = database.GetNextEntryOfType(kind.entryType, entry))
            kind.check(*this, *entry);
    }
}
