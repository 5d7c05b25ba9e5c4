// MonsterLint -- the content checks of monster types, actor records and NPC chat sets.
#include "rules/monsters/MonsterLint.h"

#include "core/Database.h"
#include "core/DatabaseEntry.h"
#include "core/FileSystem.h"
#include "core/LocSystem.h"
#include "core/StringUtil.h"
#include "rules/ContentLint.h"

#include <string>
#include <vector>

namespace {

// Chat lines and intros are bare keys, which the token scan of the files does not see.
void CheckTextKey(ContentLint& lint, const DatabaseEntry& entry, const char* key, const std::string& text)
{
    if (gLocSystem && !gLocSystem->HasText(text))
        lint.Report(entry, StringFormat("%s names the missing text %s", key, text.c_str()));
}

} // namespace

void CheckMonsterTypeRecord(ContentLint& lint, const DatabaseEntry& entry)
{
    for (const char* key : {"Name", "Archetype"})
        if (entry.GetString(key).empty())
            lint.Report(entry, StringFormat("%s is empty", key));
    int32_t minLevel = entry.GetInt("MinLevel");
    int32_t maxLevel = entry.GetInt("MaxLevel");
    if (minLevel < 1 || maxLevel < minLevel)
        lint.Report(entry, StringFormat("level window %d..%d is empty or below 1", minLevel, maxLevel));
}

void CheckActorRecord(ContentLint& lint, const DatabaseEntry& entry)
{
    std::string intro = entry.GetString("ChatIntro");
    if (!intro.empty())
        CheckTextKey(lint, entry, "ChatIntro", intro);
    std::vector<std::string> attachments;
    entry.GetStringList("Attachment", attachments, true, false);
    for (const std::string& name : attachments) {
        const DatabaseEntry* found = lint.GetDatabase().FindEntryByName(name);
        if (!found || found->GetType() != DatabaseEntryType::Attachment)
            lint.Report(entry, StringFormat("Attachment names no attachment record %s", name.c_str()));
    }
}

void CheckAttachmentRecord(ContentLint& lint, const DatabaseEntry& entry)
{
    std::vector<std::string> lines;
    entry.GetStringList("Alternative", lines, true, true);
    if (lines.empty())
        lint.Report(entry, "has no Alternative");
    for (const std::string& line : lines) {
        std::string model = line.substr(0, line.find(' '));
        if (!gFileSystem || !gFileSystem->FileExists(model))
            lint.Report(entry, StringFormat("Alternative names the missing model %s", model.c_str()));
    }
}

void CheckMonsterEnhancementRecord(ContentLint& lint, const DatabaseEntry& entry)
{
    if (entry.GetString("Name").empty())
        lint.Report(entry, "Name is empty");
    lint.CheckTexture(entry, "TextureName");
}

void CheckNpcChatRecord(ContentLint& lint, const DatabaseEntry& entry)
{
    std::vector<std::string> lines;
    entry.GetStringList("ChatText", lines, true, true);
    if (lines.empty())
        lint.Report(entry, "has no ChatText");
    for (const std::string& line : lines)
        CheckTextKey(lint, entry, "ChatText", line);
    if (entry.GetFloat("MaxLevel", 0.0f) < entry.GetFloat("MinLevel", 0.0f))
        lint.Report(entry, "MaxLevel is below MinLevel");
}
