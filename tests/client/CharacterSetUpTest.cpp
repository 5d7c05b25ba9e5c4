// CharacterSetUpTest -- the character screens' commands through the command system: the name check's three refusals, a character deleted with its four files, the parsed level and beaten difficulties (a story chain that loops still ends), the saved characters' rows and the covenant counts.
#include "client/CharacterSetUp.h"
#include "client/PlayerClientWorld.h"

#include "core/NameGenerator.h"
#include "rules/CharacterFlags.h"

#include <algorithm>
#include <filesystem>

namespace {

constexpr const char* kCharacterSetUpRecords = R"(
StoryOne
{
    Type Quest
    QuestType Kill
    NextQuest StoryTwo
}
StoryTwo
{
    Type Quest
    QuestType Kill
    NextQuest StoryThree
}
StoryThree
{
    Type Quest
    QuestType Kill
    QuestSolvedBit 10
    NextQuest StoryTwo
}
)";

class CharacterSetUpCommands : public PlayerClientWorld {
protected:
    CharacterSetUpCommands()
    {
        StartWorldOnly("BeginningQuest StoryOne\nMinAiCovenants 3\nMaxAiCovenants 5\n", kCharacterSetUpRecords);
        CharacterSetUp::Register(commands);
        gNameGenerator = &names;
    }
    ~CharacterSetUpCommands() override { gNameGenerator = nullptr; }

    // A character file written by a player of that name, level and flags.
    void SaveCharacter(const std::string& name, int32_t level, std::vector<int32_t> flags = {})
    {
        PlayerClient character;
        character.characterName = name;
        character.stats.Set(CharacterStat::Level, level);
        character.stats.Set(CharacterStat::Class, 0);
        for (int32_t flag : flags)
            character.SetCharacterFlag(flag, true);
        MessageBuffer file;
        character.WriteCharacter(file);
        std::string bytes(reinterpret_cast<const char*>(file.Data()), file.Size());
        folder.Write("User/chars/" + CharacterFileBase(name) + ".chr", bytes);
    }

    std::string Var(const char* name) const { return vars.GetStringByName(name); }

    NameGenerator names;
};

TEST_F(CharacterSetUpCommands, TheNameCheckRefusesEmptyNamesAndANameInUse)
{
    vars.SetStringByName("CovenantName", "");
    vars.SetStringByName("PlayerName", "");
    EXPECT_FALSE(commands.CallVerifyProc("verifyCharName"));
    EXPECT_EQ(Var("LastError"), "$$ErrorCovenantNameEmpty$$");
    vars.SetStringByName("CovenantName", "House Ember");
    EXPECT_FALSE(commands.CallVerifyProc("verifyCharName"));
    EXPECT_EQ(Var("LastError"), "$$ErrorCharacterNameEmpty$$");
    // A name with nothing a file could be named by is as good as empty.
    vars.SetStringByName("PlayerName", "../..");
    EXPECT_FALSE(commands.CallVerifyProc("verifyCharName"));
    EXPECT_EQ(Var("LastError"), "$$ErrorCharacterNameEmpty$$");

    SaveCharacter("bob", 3);
    vars.SetStringByName("LastError", "");
    vars.SetStringByName("PlayerName", "Bob");
    EXPECT_FALSE(commands.CallVerifyProc("verifyCharName"));
    EXPECT_EQ(Var("LastError"), "$$ErrorCharacterNameUsed$$");
    vars.SetStringByName("PlayerName", "Heroes/Bob.old");
    EXPECT_TRUE(commands.CallVerifyProc("verifyCharName"));
}

TEST_F(CharacterSetUpCommands, DeletingACharacterTakesItsFourFilesAndForgetsItAsTheResumedOne)
{
    for (const char* ending : {"chr", "his", "map", "wld"})
        folder.Write(std::string("User/chars/bob.") + ending, "x");
    folder.Write("User/chars/bobby.chr", "x");
    vars.SetStringByName("resumeGameChar", "BOB");
    vars.SetStringByName("PlayerName", "Bob");
    ASSERT_TRUE(commands.Execute("deleteCharacter"));
    for (const char* ending : {"chr", "his", "map", "wld"})
        EXPECT_FALSE(std::filesystem::exists(folder.Path() / "User" / "chars" / (std::string("bob.") + ending)));
    EXPECT_TRUE(std::filesystem::exists(folder.Path() / "User" / "chars" / "bobby.chr"));
    EXPECT_EQ(Var("resumeGameChar"), "");

    // Another character's deletion leaves the resumed one alone; missing files are no error.
    vars.SetStringByName("resumeGameChar", "Bobby");
    ASSERT_TRUE(commands.Execute("deleteCharacter"));
    EXPECT_EQ(Var("resumeGameChar"), "Bobby");
}

TEST_F(CharacterSetUpCommands, AParsedCharacterShowsItsLevelAndTheDifficultiesItBeat)
{
    // The story chain loops back from its third record; its last record is still found.
    SaveCharacter("Cora", 17, {10 + 1, 10 + 3});
    vars.SetStringByName("PlayerName", "Cora");
    ASSERT_TRUE(commands.Execute("parseCharacter"));
    EXPECT_EQ(Var("ParsedCharacterLevel"), "17");
    EXPECT_EQ(Var("ParsedCharacterBeatNormal"), "0");
    EXPECT_EQ(Var("ParsedCharacterBeatChampion"), "1");
    EXPECT_EQ(Var("ParsedCharacterBeatElite"), "0");
    EXPECT_EQ(Var("ParsedCharacterBeatLegendary"), "1");
}

TEST_F(CharacterSetUpCommands, TheListsShowEverySavedCharacterAndEveryCovenantCount)
{
    // None saved: one row that says so and cannot be picked.
    std::vector<ListEntry> none;
    commands.CallInfoProc("getAvailableCharacters", none);
    ASSERT_EQ(none.size(), 1u);
    EXPECT_EQ(none[0].name, "$$LoadCharNone$$");
    EXPECT_EQ(none[0].enabled, 0);
    EXPECT_EQ(none[0].value, "");

    SaveCharacter("Ada", 2);
    SaveCharacter("Hale", 9, {CharacterFlag::kStaysDead, CharacterFlag::kLoner});
    folder.Write("User/chars/broken.chr", "no");
    std::vector<ListEntry> rows;
    commands.CallInfoProc("getAvailableCharacters", rows);
    ASSERT_EQ(rows.size(), 3u);
    std::vector<std::string> values;
    for (const ListEntry& row : rows)
        values.push_back(row.value);
    std::sort(values.begin(), values.end());
    // The value is the name as written (the delete question shows it), the file's for a file
    // that cannot be read; either finds its file.
    EXPECT_EQ(values, (std::vector<std::string>{"Ada", "Hale", "broken"}));
    for (const ListEntry& row : rows) {
        if (row.value == "Hale") {
            EXPECT_NE(row.name.find("level 9"), std::string::npos) << row.name;
            EXPECT_NE(row.name.find(" ($$HardcoreMode$$) ($$LonerChallengeMode$$)"), std::string::npos) << row.name;
        }
        if (row.value == "Ada") {
            EXPECT_EQ(row.name.find("$$HardcoreMode$$"), std::string::npos) << row.name;
            EXPECT_EQ(row.name.rfind("Ada\n", 0), 0u) << "the name as the player wrote it: " << row.name;
        }
        if (row.value == "broken") {
            EXPECT_EQ(row.name.rfind("broken\n", 0), 0u) << "a file that cannot be read shows its own name";
        }
    }
    // A file whose character calls itself by another name keeps the file's.
    SaveCharacter("Mara", 3);
    std::filesystem::rename(folder.Path() / "User/chars/mara.chr", folder.Path() / "User/chars/tess.chr");
    commands.CallInfoProc("getAvailableCharacters", rows);
    auto tess = std::find_if(rows.begin(), rows.end(), [](const ListEntry& row) { return row.value == "tess"; });
    ASSERT_NE(tess, rows.end());
    EXPECT_EQ(tess->name.rfind("tess\n", 0), 0u) << tess->name;

    commands.CallInfoProc("getNumCovenantOptions", rows);
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0].name, "$$NumCovenantsRandom$$");
    EXPECT_EQ(rows[0].value, "0");
    EXPECT_EQ(rows[1].name, "3 $$NumCovenantsCovenants$$");
    EXPECT_EQ(rows[3].value, "5");
}

TEST_F(CharacterSetUpCommands, ARandomNameNeedsAKnownClass)
{
    vars.SetStringByName("PlayerName", "Unchanged");
    vars.SetStringByName("PlayerClass", "ClassNobody");
    ASSERT_TRUE(commands.Execute("randomPlayerName"));
    EXPECT_EQ(Var("PlayerName"), "Unchanged");
    vars.SetStringByName("PlayerClass", "ClassWanderer");
    ASSERT_TRUE(commands.Execute("randomPlayerName"));
    EXPECT_NE(Var("PlayerName"), "Unchanged");
    EXPECT_FALSE(Var("PlayerName").empty());
}

} // namespace

TEST_F(CharacterSetUpCommands, TheConsolesHelpForEachCommandIsTheCommandTables)
{
    commands.RegisterCommands();
    const std::pair<const char*, const char*> helps[] = {
        {"randomPlayerName", "Generates a random player name"},
        {"parseCharacter", "parses character to get some info"},
        {"deleteCharacter", "Deletes the current character"},
        {"updateParsedCharacter", "Updates the parsed character"},
    };
    for (const auto& [name, help] : helps) {
        size_t before = gDebugSystem->GetConsoleLines().size();
        ASSERT_TRUE(commands.Execute(std::string("help ") + name));
        std::vector<std::string> lines = gDebugSystem->GetConsoleLines();
        ASSERT_EQ(lines.size(), before + 1) << name;
        EXPECT_EQ(lines.back(), std::string(name) + "  - " + help + "\n") << name;
    }
}
