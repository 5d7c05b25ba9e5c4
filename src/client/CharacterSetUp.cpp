// CharacterSetUp -- the new-character and load-character screens' side of the client: random names, the name check, deleting a character with its files, reading a saved character's level and beaten difficulties, and the lists of saved characters and covenant counts.
#include "client/CharacterSetUp.h"

#include "client/ClientApp.h"
#include "client/ClientCommandTable.h"
#include "client/PlayerClient.h"
#include "client/PlayerCovenantClient.h"
#include "core/Database.h"
#include "core/DatabaseEntry.h"
#include "core/FileSystem.h"
#include "core/NameGenerator.h"
#include "core/RandomSystem.h"
#include "core/StringUtil.h"
#include "core/UserVarSystem.h"
#include "rules/CharacterClass.h"
#include "rules/GameData.h"
#include "rules/GameSystemTuning.h"
#include "rules/quests/QuestDefinition.h"

#include <cstdio>

namespace {

// The files that carry a character's name, deleted together.
constexpr const char* kCharacterSetUpEndings[] = {"chr", "his", "map", "wld"};

std::string CharacterSetUpVar(const char* name)
{
    return gUserVarSystem ? gUserVarSystem->GetStringByName(name) : std::string();
}

void CharacterSetUpSetVar(const std::string& name, const std::string& value)
{
    if (gUserVarSystem)
        gUserVarSystem->SetStringByName(name, value);
}

// The refusal, and the field (its user var) it is about: typing there takes it away.
bool CharacterSetUpRefuse(const char* error, const char* field)
{
    if (gUserVarSystem)
        gUserVarSystem->SetLastError(error, field);
    return false;
}

// The last quest record of the story chain from the "BeginningQuest" of "GameSystem"; a chain
// that comes back on itself ends after as many steps as there are records.
const QuestDefinition* CharacterSetUpLastStoryQuest()
{
    const DatabaseEntry* gameSystem = gDatabase ? gDatabase->FindEntryByName("GameSystem") : nullptr;
    if (!gameSystem || !gGameData)
        return nullptr;
    std::string name = gameSystem->GetString("BeginningQuest");
    const QuestDefinition* last = nullptr;
    for (int32_t steps = 0; !name.empty() && steps <= gDatabase->GetEntryCount(); ++steps) {
        const DatabaseEntry* entry = gDatabase->FindEntryByName(name);
        const QuestDefinition* definition = entry ? gGameData->FindQuestDefinition(entry) : nullptr;
        if (!definition)
            break;
        last = definition;
        name = definition->nextQuest;
    }
    return last;
}

// The help text is the client command table's, so the console says what the table says.
void CharacterSetUpCommand(CommandSystem& commands, const char* name, void (*run)())
{
    const ClientCommandRow* row = ClientCommandTable::FindRow(name);
    commands.RegisterCommand(name, [run](const std::vector<std::string>&) { run(); }, row ? row->help : "", "", "");
}

void CharacterSetUpUpdateParsed()
{
    PlayerClient* player = gClientApp ? dynamic_cast<PlayerClient*>(gClientApp->GetLink()) : nullptr;
    if (player)
        CharacterSetUp::WriteParsedValues(*player);
}

} // namespace

void CharacterSetUp::Register(CommandSystem& commands)
{
    CharacterSetUpCommand(commands, "randomPlayerName", RandomPlayerName);
    CharacterSetUpCommand(commands, "deleteCharacter", DeleteCharacter);
    CharacterSetUpCommand(commands, "parseCharacter", ParseCharacter);
    CharacterSetUpCommand(commands, "updateParsedCharacter", CharacterSetUpUpdateParsed);
    commands.RegisterVerifyProc("verifyCharName", [] { return VerifyCharacterName(); });
    commands.RegisterInfoProc("getAvailableCharacters", [](std::vector<ListEntry>& rows) { ListAvailableCharacters(rows); });
    commands.RegisterInfoProc("getNumCovenantOptions", [](std::vector<ListEntry>& rows) { ListCovenantOptions(rows); });
}

bool CharacterSetUp::VerifyCharacterName()
{
    if (CharacterSetUpVar("CovenantName").empty())
        return CharacterSetUpRefuse("$$ErrorCovenantNameEmpty$$", "CovenantName");
    std::string base = CharacterFileBase(CharacterSetUpVar("PlayerName"));
    if (base.empty())
        return CharacterSetUpRefuse("$$ErrorCharacterNameEmpty$$", "PlayerName");
    if (gFileSystem && gFileSystem->FileExists(PlayerClient::CharacterFilePath(base), kLocationUser))
        return CharacterSetUpRefuse("$$ErrorCharacterNameUsed$$", "PlayerName");
    return true;
}

void CharacterSetUp::RandomPlayerName()
{
    const CharacterClass* chosen = gGameData ? gGameData->FindCharacterClass(CharacterSetUpVar("PlayerClass")) : nullptr;
    if (!chosen || !gNameGenerator || !gRandomSystem)
        return;
    uint32_t seed = gRandomSystem->Next(RandomStream::GameData);
    CharacterSetUpSetVar("PlayerName", gNameGenerator->Generate(chosen->male ? "npcsMale" : "npcsFemale", seed));
}

void CharacterSetUp::DeleteCharacter()
{
    DeleteCharacterFiles(CharacterFileBase(CharacterSetUpVar("PlayerName")));
}

void CharacterSetUp::DeleteCharacterFiles(const std::string& base)
{
    if (base.empty() || !gFileSystem)
        return;
    for (const char* ending : kCharacterSetUpEndings)
        gFileSystem->DeleteUserFile(PlayerClient::CharacterFilePath(base, ending));
    if (CharacterFileBase(CharacterSetUpVar("resumeGameChar")) == base)
        CharacterSetUpSetVar("resumeGameChar", "");
}

void CharacterSetUp::ParseCharacter()
{
    PlayerClient character;
    std::unique_ptr<PlayerCovenantClient> covenant = LoadCharacter(CharacterSetUpVar("PlayerName"), character);
    WriteParsedValues(character);
}

std::unique_ptr<PlayerCovenantClient> CharacterSetUp::LoadCharacter(const std::string& name, PlayerClient& character)
{
    // A game with covenants keeps the player covenant's block in the file: it is read with it.
    std::unique_ptr<PlayerCovenantClient> covenant;
    if (gGameData && gGameData->GetTuning().usingCovenants)
        covenant = std::make_unique<PlayerCovenantClient>();
    character.LoadCharacter(name, covenant.get());
    return covenant;
}

void CharacterSetUp::WriteParsedValues(const PlayerClient& character)
{
    if (character.stats.GetCount() > CharacterStat::Level)
        CharacterSetUpSetVar("ParsedCharacterLevel", std::to_string(character.stats.Get(CharacterStat::Level)));
    const QuestDefinition* last = CharacterSetUpLastStoryQuest();
    if (!last || last->questSolvedBit < 0)
        return;
    for (int32_t i = 0; i < static_cast<int32_t>(std::size(kDifficultyNames)); ++i)
        CharacterSetUpSetVar(std::string("ParsedCharacterBeat") + kDifficultyNames[i],
                             character.GetCharacterFlag(last->questSolvedBit + i) ? "1" : "0");
}

void CharacterSetUp::ListAvailableCharacters(std::vector<ListEntry>& rows)
{
    rows.clear();
    if (!gFileSystem)
        return;
    std::vector<std::string> files;
    gFileSystem->ListFiles(PlayerClient::kCharacterFolder, "chr", files, kLocationUser, false, false, true);
    for (const std::string& file : files) {
        std::string base = file.substr(0, file.find('.'));
        // A file that cannot be read still gets its row, with what the load left.
        PlayerClient character;
        std::unique_ptr<PlayerCovenantClient> covenant = LoadCharacter(base, character);
        std::string className =
            gGameData ? gGameData->GetCharacterClassDisplayName(character.stats.Get(CharacterStat::Class)) : "";
        char levelText[64];
        std::snprintf(levelText, sizeof(levelText), "\n  level %d ", character.stats.Get(CharacterStat::Level));
        ListEntry row;
        // The file keeps the name in lower case; the character's own name, when it is that
        // name, shows as the player wrote it ("Brannoc", not "brannoc"), in the row and in what
        // the row chooses (the delete question names it so); the file is found from it all the same.
        row.value = StringEqualsNoCase(character.characterName, base) ? character.characterName : base;
        row.name = row.value;
        if (covenant && !covenant->GetName().empty())
            row.name += " (" + covenant->GetName() + ")";
        row.name += levelText + className;
        if (character.HasHardcoreMode())
            row.name += " ($$HardcoreMode$$)";
        if (character.HasLonerChallengeMode())
            row.name += " ($$LonerChallengeMode$$)";
        rows.push_back(std::move(row));
    }
    // An empty list says so in its own place, in a row that cannot be picked.
    if (rows.empty()) {
        ListEntry none;
        none.name = "$$LoadCharNone$$";
        none.enabled = 0;
        rows.push_back(std::move(none));
    }
}

void CharacterSetUp::ListCovenantOptions(std::vector<ListEntry>& rows)
{
    rows.clear();
    ListEntry random;
    random.name = "$$NumCovenantsRandom$$";
    random.value = "0";
    rows.push_back(random);
    if (!gGameData)
        return;
    const GameSystemTuning& tuning = gGameData->GetTuning();
    for (int32_t count = tuning.minAiCovenants; count <= tuning.maxAiCovenants; ++count) {
        ListEntry row;
        row.name = std::to_string(count) + " $$NumCovenantsCovenants$$";
        row.value = std::to_string(count);
        rows.push_back(std::move(row));
    }
}
