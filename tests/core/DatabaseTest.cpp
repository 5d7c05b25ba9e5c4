// DatabaseTest -- inheritance order, list getters, BaseOnly, cycles, faults in the data, ids and the shipped files.
#include "core/Database.h"
#include "core/SimpleData.h"
#include "core/TextParser.h"
#include "platform/PosixPlatformSystem.h"
#include "DatabaseWorld.h"
#include "support/GameFolderFiles.h"
#include "support/ShippedGame.h"
#include "support/TempFolder.h"
#include "support/ThrowingCriticalError.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <stdexcept>

namespace {

using Strings = std::vector<std::string>;

const char* const kFamily = R"(
// Defined before its bases: bases resolve once every file has loaded.
Child
{
    Base Parent
    Type TypeRoot
    Key child
    ListKey c1
    ListKey c2
}
Parent
{
    Base Grand
    Key parent
    ListKey p1
    Numbers 3
}
Grand
{
    Type Item
    Key grand
    Only grand
    ListKey g1
    Numbers -7
    Numbers x
}
TypeRoot
{
    Base TypeBase
    Key typeRoot
    ListKey t1
}
)";

const char* const kTypeBase = R"(
TypeBase
{
    Type Skill
    Deep typeBase
    ListKey tb1
}
)";

class DatabaseInheritance : public DatabaseWorld {
protected:
    DatabaseInheritance() { Load({{"family.dbr", kFamily}, {"types.dbr", kTypeBase}}); }
};

TEST_F(DatabaseInheritance, ChainIsOwnThenBaseChainThenTypeChain)
{
    EXPECT_EQ(ChainNames("Child"), (Strings{"Parent", "Grand", "TypeRoot", "TypeBase"}));
    const DatabaseEntry& child = Entry("Child");
    EXPECT_EQ(child.GetString("Key"), "child");
    EXPECT_EQ(child.GetString("Only"), "grand");
    EXPECT_EQ(child.GetString("Deep"), "typeBase");
    EXPECT_EQ(database.GetEntryFieldString("Child", "Deep"), "typeBase");
    EXPECT_EQ(Entry("Parent").GetString("Key"), "parent");
    // The nearest entry with a type decides: Grand (Item) comes before TypeBase (Skill).
    EXPECT_EQ(child.GetType(), DatabaseEntryType::Item);
    EXPECT_EQ(Entry("TypeRoot").GetType(), DatabaseEntryType::Skill);
    EXPECT_TRUE(child.IsDerivedFrom("typebase"));
    EXPECT_FALSE(Entry("Parent").IsDerivedFrom("TypeBase"));
    EXPECT_FALSE(child.IsDerivedFrom("Child"));
    EXPECT_EQ(CountErrors(), 0);
}

TEST_F(DatabaseInheritance, ListsFollowTheChainWithBothFlags)
{
    const DatabaseEntry& child = Entry("Child");
    Strings list = {"kept"};
    child.GetStringList("ListKey", list, false, false);
    EXPECT_EQ(list, (Strings{"kept", "c1", "c2", "p1", "g1", "t1", "tb1"}));
    child.GetStringList("listkey", list, true, true);
    EXPECT_EQ(list, (Strings{"c1", "c2"}));
    Entry("Parent").GetStringList("ListKey", list, true, true);
    EXPECT_EQ(list, (Strings{"p1"}));

    list = {"kept"};
    child.GetStringList("NoSuchKey", list, false, false);
    EXPECT_EQ(list, Strings{"kept"});
    child.GetStringList("NoSuchKey", list, true, false);
    EXPECT_TRUE(list.empty());

    std::vector<int32_t> numbers = {99};
    child.GetIntList("Numbers", numbers, false, false);
    EXPECT_EQ(numbers, (std::vector<int32_t>{99, 3, -7, 0}));
    child.GetIntList("Numbers", numbers, true, true);
    EXPECT_EQ(numbers, std::vector<int32_t>{3});
}

class DatabaseValues : public DatabaseWorld {};

TEST_F(DatabaseValues, NumbersTextsAndDefaults)
{
    Load({{"values.dbr", R"(
Values /* a block comment
    spanning lines */
{
    Count 12abc          // trailing comment
    Word abc
    Empty
    Ratio 2.5x
    Bad nan
    Quoted "two  words"
    Words a   b	c
}
)"}});
    const DatabaseEntry& values = Entry("values");
    EXPECT_EQ(values.GetInt("Count"), 12);
    EXPECT_EQ(values.GetInt("count", 5), 12);
    EXPECT_EQ(values.GetInt("Word", 5), 0);
    EXPECT_EQ(values.GetInt("Empty", 5), 5);
    EXPECT_EQ(values.GetInt("Missing", 5), 5);
    EXPECT_EQ(values.GetInt("Missing"), 0);
    EXPECT_FLOAT_EQ(values.GetFloat("Ratio", 1.0f), 2.5f);
    EXPECT_FLOAT_EQ(values.GetFloat("Empty", 1.0f), 1.0f);
    EXPECT_FLOAT_EQ(values.GetFloat("Bad", 1.0f), 0.0f);
    EXPECT_EQ(values.GetString("Empty", "default"), "");
    EXPECT_EQ(values.GetString("Missing", "default"), "default");
    EXPECT_EQ(values.GetString("Quoted"), "two  words");
    EXPECT_EQ(values.GetString("Words"), "a   b\tc");
    ASSERT_NE(values.FindField("EMPTY"), nullptr);
    EXPECT_EQ(values.FindField("Missing"), nullptr);
    EXPECT_EQ(database.GetEntryFieldString("VALUES", "Word"), "abc");
    EXPECT_EQ(database.GetEntryFieldString("Values", "Missing"), "");
    EXPECT_EQ(database.GetEntryFieldString("Nobody", "Word"), "");
    EXPECT_EQ(CountErrors(), 0);
}

TEST_F(DatabaseValues, QuotedBracesAreValuesAndBlanksStayAsWritten)
{
    Load({{"braces.dbr", R"(
Braces
{
    Close "}"
    Open "{"
    Spaced    "  lead and trail  "
    Mixed x  "y  z"	w   // the comment is no part of it
    Commented a /* gone */ b
    After 1
}
OneLine { Key "}" }
Last { Key v }
)"}});
    const DatabaseEntry& braces = Entry("Braces");
    EXPECT_EQ(braces.GetString("Close"), "}");
    EXPECT_EQ(braces.GetString("Open"), "{");
    EXPECT_EQ(braces.GetString("Spaced"), "  lead and trail  ");
    EXPECT_EQ(braces.GetString("Mixed"), "x  y  z\tw");
    EXPECT_EQ(braces.GetString("Commented"), "a  b");
    // The quoted braces ended nothing: the record runs on to its own brace.
    EXPECT_EQ(braces.GetInt("After"), 1);
    EXPECT_EQ(Entry("OneLine").GetString("Key"), "}");
    EXPECT_EQ(Entry("Last").GetString("Key"), "v");
    EXPECT_EQ(database.GetEntryCount(), 3);
    EXPECT_EQ(CountErrors(), 0);
}

class DatabaseWalk : public DatabaseWorld {};

TEST_F(DatabaseWalk, BaseOnlyIsOwnAndLeftOutOfTheTypeWalk)
{
    Load({{"a.dbr", R"(
ClassTemplate { 
    Type Class
    BaseOnly 1
}
Warrior
{
    Base ClassTemplate
}
Sword
{
    Type Item
}
)"},
          {"b.dbr", R"(
Rogue
{
    Base ClassTemplate
    BaseOnly 0
}
Mage
{
    Type ClassTemplate
}
)"}});
    EXPECT_TRUE(Entry("ClassTemplate").IsBaseOnly());
    EXPECT_FALSE(Entry("Warrior").IsBaseOnly());
    EXPECT_EQ(Entry("Warrior").GetInt("BaseOnly"), 1);
    Strings walked;
    for (const DatabaseEntry* entry = database.GetNextEntryOfType(DatabaseEntryType::Class); entry;
         entry = database.GetNextEntryOfType(DatabaseEntryType::Class, entry))
        walked.emplace_back(entry->GetName());
    EXPECT_EQ(walked, (Strings{"Warrior", "Rogue", "Mage"}));
    // A walk may go on from an entry of another type.
    EXPECT_EQ(database.GetNextEntryOfType(DatabaseEntryType::Class, &Entry("Sword")), &Entry("Rogue"));
    EXPECT_EQ(database.GetNextEntryOfType(DatabaseEntryType::Music), nullptr);
    EXPECT_EQ(database.GetNextEntryOfType(DatabaseEntryType::kCount), nullptr);
    EXPECT_EQ(database.GetNextEntryOfType(-1), nullptr);
}

TEST_F(DatabaseWalk, IdsPackFileAndIndex)
{
    Load({{"a.dbr", "A1 { }\nA2 { }\n"}, {"empty.dbr", ""}, {"b.dbr", "B1 { }\n"}});
    // An empty sub-database still takes its index; only one that cannot be read takes none.
    EXPECT_EQ(Entry("A2").GetId(), 1);
    EXPECT_EQ(Entry("B1").GetId(), 2 << 16);
    for (std::string_view name : {"A1", "A2", "B1"})
        EXPECT_EQ(database.GetEntryByIndex(Entry(name).GetId()), &Entry(name));
    EXPECT_EQ(database.GetEntryByIndex(-1), nullptr);
    EXPECT_EQ(database.GetEntryByIndex(2), nullptr);
    EXPECT_EQ(database.GetEntryByIndex(3 << 16), nullptr);
    EXPECT_EQ(database.GetEntryByIndex(INT32_MIN), nullptr);
    EXPECT_EQ(database.FindEntryByName("1", "a"), &Entry("A1"));
    EXPECT_EQ(database.FindEntryByName(""), nullptr);
    EXPECT_EQ(database.GetSubDatabaseCount(), 3);
}

class DatabaseFaults : public DatabaseWorld {};

TEST_F(DatabaseFaults, CyclesAreCutAndLogged)
{
    Load({{"loops.dbr", R"(
A { Base B
    KeyA a }
B { Base A
    KeyB b }
Self { Type Self }
Mixed { Base Other }
Other { Type Mixed }
Leaf { Base A
    Type Item }
)"}});
    EXPECT_EQ(ChainNames("A"), Strings{"B"});
    EXPECT_EQ(ChainNames("B"), Strings{});
    EXPECT_EQ(ChainNames("Self"), Strings{});
    EXPECT_EQ(ChainNames("Leaf"), (Strings{"A", "B"}));
    EXPECT_EQ(Entry("Leaf").GetString("KeyB"), "b");
    EXPECT_EQ(Entry("Mixed").GetString("Nothing", "none"), "none");
    EXPECT_EQ(CountLogged("^c001Database entry B: inheriting from A would loop; that link is cut\n"), 1);
    EXPECT_EQ(CountLogged("^c001Database entry Self: inheriting from Self would loop; that link is cut\n"), 1);
    EXPECT_EQ(CountErrors(), 3);
}

TEST_F(DatabaseFaults, MissingBaseAndTypeAreLoggedAndTheEntryKept)
{
    Load({{"orphans.dbr", "Orphan {\n Base Nowhere\n Type Elsewhere\n Key 1\n}\n"}});
    EXPECT_EQ(CountLogged("^c001Database entry Orphan: base Nowhere not found\n"), 1);
    EXPECT_EQ(CountLogged("^c001Database entry Orphan: type Elsewhere not found\n"), 1);
    EXPECT_EQ(Entry("Orphan").GetInt("Key"), 1);
    EXPECT_EQ(Entry("Orphan").GetType(), DatabaseEntryType::None);
    EXPECT_TRUE(ChainNames("Orphan").empty());
}

TEST_F(DatabaseFaults, DuplicateNameKeepsTheFirstAndTakesNoIndex)
{
    Load({{"first.dbr", "Hero { Level 1 }\n"}, {"second.dbr", "HERO { Level 2 }\nNext { }\n"}});
    EXPECT_EQ(Entry("hero").GetInt("Level"), 1);
    EXPECT_EQ(Entry("Next").GetId(), 1 << 16);
    EXPECT_EQ(CountLogged("^c005Duplicate database entry HERO in Database/second.dbr; the first is kept\n"), 1);
    EXPECT_EQ(database.GetEntryCount(), 2);
}

TEST_F(DatabaseFaults, SyntaxFaultsAreLoggedAndTheRestStillReads)
{
    Load({{"broken.dbr", "Stray\nGood\n{\n Key 1\n}\n}\nUnclosed\n{\n Key 2\n"}});
    EXPECT_EQ(Entry("Good").GetInt("Key"), 1);
    EXPECT_EQ(Entry("Unclosed").GetInt("Key"), 2);
    EXPECT_EQ(database.FindEntryByName("Stray"), nullptr);
    EXPECT_EQ(CountLogged("^c001Database file Database/broken.dbr: expected { after Stray\n"), 1);
    EXPECT_EQ(CountLogged("^c001Database file Database/broken.dbr: unexpected }\n"), 1);
    EXPECT_EQ(CountLogged("^c001Database file Database/broken.dbr: Unclosed is missing its }\n"), 1);
}

TEST_F(DatabaseFaults, ListedNamesNeverLeaveTheDatabaseFolder)
{
    folder.Write("Assets/secret.dbr", "Secret { }\n");
    folder.Write("Assets/Database/sub/inner.dbr", "Inner { }\n");
    LoadWithList("../secret.dbr\n/etc/passwd\nsub/../../secret.dbr\nC:/secret.dbr\nsub\\inner.dbr\nmissing.dbr\n");
    EXPECT_EQ(database.FindEntryByName("Secret"), nullptr);
    EXPECT_NE(database.FindEntryByName("Inner"), nullptr);
    for (const char* name : {"../secret.dbr", "/etc/passwd", "sub/../../secret.dbr", "C:/secret.dbr"})
        EXPECT_EQ(CountLogged(std::string("^c001Refused database file name ") + name + "\n"), 1) << name;
    EXPECT_EQ(CountLogged("^c001Couldn't find Database/missing.dbr\n"), 1);
    EXPECT_EQ(database.GetSubDatabaseCount(), 1);
}

TEST_F(DatabaseFaults, MissingListIsFatalThroughThePlatform)
{
    ThrowingCriticalError<> platform(folder.Path().string() + "/User");
    gPlatformSystem = &platform;
    try {
        database.Load();
        ADD_FAILURE() << "Load returned without the list";
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), "Couldn't find Database/database.dbl!\n");
    }
    gPlatformSystem = nullptr;
}

TEST_F(DatabaseFaults, MissingListExitsWithoutAPlatform)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    gPlatformSystem = nullptr;
    EXPECT_EXIT(database.Load(), ::testing::ExitedWithCode(1), "Couldn't find Database/database.dbl!");
}

class RecordingData : public SimpleData {
public:
    void Load(const DatabaseEntry* loaded) override { loads.push_back(loaded); }
    std::vector<const DatabaseEntry*> loads;
};

TEST_F(DatabaseWalk, SimpleDataLoadsOnlyWhenItsEntryChanges)
{
    Load({{"data.dbr", "Torch { Type Object\n Radius 2.5\n Lit 3 }\n"}});
    RecordingData data;
    EXPECT_EQ(data.GetInt("Lit"), 0);
    EXPECT_FALSE(data.GetBool("Lit"));
    EXPECT_EQ(data.GetEntryType(), DatabaseEntryType::None);
    data.SetEntryByName("torch");
    data.SetEntry(&Entry("Torch"));
    ASSERT_EQ(data.loads, std::vector<const DatabaseEntry*>{&Entry("Torch")});
    EXPECT_TRUE(data.GetBool("Lit"));
    EXPECT_FLOAT_EQ(data.GetFloat("Radius"), 2.5f);
    EXPECT_EQ(data.GetEntryType(), DatabaseEntryType::Object);
    data.SetEntryByName("NoSuchRecord");
    EXPECT_EQ(data.loads.size(), 2u);
    EXPECT_EQ(data.loads.back(), nullptr);
    EXPECT_EQ(data.GetEntry(), nullptr);
}

TEST(DatabaseShipped, GameFolderLoadsCleanly)
{
    ASSERT_FALSE(ShippedGameFolder().empty()) << "EMBERLODE_GAME_DIR not set";
    GameFolderFiles game(ShippedGameFolder());
    Database database;
    database.Load();
    const DatabaseEntry* gameSystem = database.FindEntryByName("GameSystem");
    ASSERT_NE(gameSystem, nullptr);
    EXPECT_EQ(gameSystem->GetType(), DatabaseEntryType::Info);
    EXPECT_EQ(gameSystem->GetString("Name"), "Game system");
    EXPECT_EQ(database.GetNextEntryOfType(DatabaseEntryType::Info), gameSystem);
    const DatabaseEntry* combatSystem = database.FindEntryByName("CombatSystem");
    ASSERT_NE(combatSystem, nullptr);
    EXPECT_EQ(database.GetNextEntryOfType(DatabaseEntryType::Info, gameSystem), combatSystem);
    const DatabaseEntry* weather = database.FindEntryByName("Weather");
    ASSERT_NE(weather, nullptr);
    EXPECT_EQ(database.GetNextEntryOfType(DatabaseEntryType::Info, combatSystem), weather);
    EXPECT_EQ(database.GetNextEntryOfType(DatabaseEntryType::Info, weather), nullptr);
    for (const std::string& line : game.debug.GetConsoleLines())
        EXPECT_NE(line.rfind("^c00", 0), 0u) << line;
}

// The text with every run of blanks and tabs outside quotes made one blank: how records
// read when a value's words were joined by one blank.
std::string CollapseBlanks(const std::string& text)
{
    std::string out;
    bool quoted = false;
    for (char c : text) {
        bool blank = c == ' ' || c == '\t';
        if (blank && !quoted && !out.empty() && out.back() == ' ')
            continue;
        quoted = c == '\n' ? false : quoted != (c == '"');
        out += blank && !quoted ? ' ' : c;
    }
    return out;
}

TEST(DatabaseShipped, EveryRecordReadsAsWithItsBlankRunsCollapsed)
{
    ASSERT_FALSE(ShippedGameFolder().empty()) << "EMBERLODE_GAME_DIR not set";
    std::filesystem::path shipped = std::filesystem::path(ShippedGameFolder()) / "Assets/Database";
    TempFolder asWritten;
    TempFolder collapsed;
    std::set<std::string> keys;
    for (const auto& file : std::filesystem::directory_iterator(shipped)) {
        std::ifstream stream(file.path(), std::ios::binary);
        std::string text((std::istreambuf_iterator<char>(stream)), std::istreambuf_iterator<char>());
        std::string name = "Assets/Database/" + file.path().filename().string();
        asWritten.Write(name, text);
        collapsed.Write(name, CollapseBlanks(text));
        // Every line's first word: the keys, with names and braces that match no field.
        TextParser parser(text.data(), text.size());
        std::string word;
        while (parser.NextToken(word, true)) {
            keys.insert(word);
            parser.SkipLine();
        }
    }
    Database first;
    Database second;
    {
        GameFolderFiles game(asWritten.Path().string());
        first.Load();
    }
    {
        GameFolderFiles game(collapsed.Path().string());
        second.Load();
    }
    ASSERT_GT(first.GetEntryCount(), 100);
    ASSERT_EQ(first.GetEntryCount(), second.GetEntryCount());
    ASSERT_EQ(first.GetSubDatabaseCount(), second.GetSubDatabaseCount());
    int compared = 0;
    for (int32_t file = 0; file < first.GetSubDatabaseCount(); ++file) {
        for (int32_t index = 0; const DatabaseEntry* entry = first.GetEntryByIndex((file << 16) | index); ++index) {
            const DatabaseEntry* other = second.GetEntryByIndex((file << 16) | index);
            ASSERT_NE(other, nullptr);
            ASSERT_EQ(entry->GetName(), other->GetName());
            for (const std::string& key : keys) {
                Strings values;
                Strings otherValues;
                entry->GetStringList(key, values, true, false);
                other->GetStringList(key, otherValues, true, false);
                ASSERT_EQ(values, otherValues) << entry->GetName() << " " << key;
                compared += static_cast<int>(values.size());
            }
        }
    }
    EXPECT_GT(compared, 1000);
}

} // namespace
