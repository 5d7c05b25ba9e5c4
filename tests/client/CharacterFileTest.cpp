// CharacterFileTest -- the character file: every version's layout read into the same character, the current one written back byte for byte, a cut or hostile file refused with the player untouched, the covenant's block in its own count, and file names that never leave "User/chars".
#include "client/CharacterCovenantBlock.h"
#include "client/PlayerClientWorld.h"
#include "core/FileSystem.h"
#include "rules/CharacterFlags.h"
#include "rules/CharacterRecordLimits.h"
#include "rules/quests/QuestBase.h"
#include "support/LogLines.h"

#include <cstring>
#include <filesystem>

namespace {

constexpr const char* kCharacterFileRecords = R"(
Blade
{
    Type Item
    ItemType Weapon
}
)";

// The bare stat and fun-stat runs of the versions before the counted arrays.
int32_t BareStats(int32_t version)
{
    return version >= 43 ? 114 : version >= 41 ? 113 : version >= 13 ? 112 : 111;
}

int32_t BareFunStats(int32_t version)
{
    return version >= 46 ? 28 : version >= 34 ? 25 : version >= 29 ? 24 : version >= 23 ? 19 : 17;
}

// Bob's stat i: i * 3, but for a level and a class (the world's first) the world host takes.
int32_t BobStat(int32_t i)
{
    return i == CharacterStat::Level ? 7 : i == CharacterStat::Class ? 0 : i * 3;
}

std::string FileText(const MessageBuffer& file)
{
    return std::string(reinterpret_cast<const char*>(file.Data()), file.Size());
}

// A covenant block of two words, kept aside until applied.
class FakeCovenantBlock : public CharacterCovenantBlock {
public:
    void WriteBlock(MessageBuffer& buffer) const override
    {
        buffer.WriteInt(first);
        buffer.WriteInt(second);
    }
    bool ParseBlock(MessageBuffer& buffer, int32_t) override
    {
        parsed[0] = buffer.ReadInt();
        parsed[1] = buffer.ReadInt();
        return !buffer.Overrun();
    }
    void ApplyBlock() override
    {
        first = parsed[0];
        second = parsed[1];
        ++applied;
    }

    int32_t first = 0;
    int32_t second = 0;
    int32_t parsed[2] = {};
    int32_t applied = 0;
};

class CharacterFile : public PlayerClientWorld {
protected:
    CharacterFile() { StartWorldOnly("", kCharacterFileRecords); }

    // A character file of the version as that version laid it out: "Bob" with stats BobStat(i),
    // fun stats 100 + i, an empty inventory, two quick-use records, empty quests, two one-entry
    // item lists, a party of recruit 2, one message and the skill gift record given.
    static MessageBuffer FileOfVersion(int32_t version, int32_t blockBytes = 0,
                                       const std::vector<int32_t>& gifts = {12, 3})
    {
        MessageBuffer file;
        file.WriteInt(version);
        file.WriteString("Bob");
        file.WriteInt(50);
        file.WriteInt(40);
        file.WriteInt(1);
        file.WriteUInt(777u);
        WriteWorldPos(file, WorldPos{1, 10.0f, 20.0f, true});
        WriteWorldPos(file, WorldPos{-1, 0.0f, 0.0f, true});
        int32_t stats = version >= 50 ? CharacterStat::kCount : BareStats(version);
        int32_t fun = version >= 50 ? CharacterFunStat::kCount : BareFunStats(version);
        if (version >= 50)
            file.WriteInt(stats);
        for (int32_t i = 0; i < stats; ++i)
            file.WriteInt(BobStat(i));
        if (version >= 50)
            file.WriteInt(fun);
        for (int32_t i = 0; i < fun; ++i)
            file.WriteInt(100 + i);
        file.WriteInt(InventoryBase::kBagCount);
        for (int32_t bag = 0; bag < InventoryBase::kBagCount; ++bag)
            file.WriteInt(0);
        if (version >= 25)
            file.WriteInt(1);
        file.WriteInt(2);
        for (int32_t record = 0; record < 2; ++record)
            for (int32_t word = 0; word < (version >= 20 ? 4 : 3); ++word)
                file.WriteInt(record * 10 + word);
        for (int32_t slot = 0; slot < PlayerClient::kQuestSlots; ++slot)
            QuestBase::WriteEmpty(file);
        file.WriteBoolVector({true, false, true});
        for (int32_t list = 0; list < 2; ++list) {
            file.WriteInt(1);
            file.WriteInt(0);
            if (version >= 14)
                file.WriteInt(2);
            file.WriteInt(list == 0 ? 1 : 0);
        }
        file.WriteBoolVector({false, true});
        if (version >= 26) {
            std::vector<bool> flags(CharacterFlag::kCount, false);
            flags[CharacterFlag::kLoner] = true;
            file.WriteBoolVector(flags);
        }
        if (version >= 3)
            file.WriteIntVector({2});
        if (version >= 52) {
            file.WriteInt(blockBytes);
            for (int32_t i = 0; i < blockBytes / 4; ++i)
                file.WriteInt(900 + i);
        }
        if (version >= 53) {
            // "hello" counted: the count word, five letters and the end.
            file.WriteInt(10);
            file.WriteStringList({"hello"});
        } else if (version >= 17) {
            file.WriteStringList({"hello"});
        }
        WriteWorldPos(file, WorldPos{1, 30.0f, 40.0f, true});
        file.WriteInt(5);
        if (version >= 54)
            file.WriteIntVector(gifts);
        return file;
    }

    bool Load(PlayerClient& into, MessageBuffer file, CharacterCovenantBlock* block = nullptr)
    {
        file.SetReadPos(0);
        return into.LoadCharacterFrom(file, "Bob", block);
    }

    // What the file of the version holds, as the player took it.
    static void ExpectBob(const PlayerClient& bob, int32_t version)
    {
        EXPECT_EQ(bob.characterName, "Bob");
        EXPECT_EQ(bob.maxHealth, 50);
        EXPECT_EQ(bob.health, 40);
        EXPECT_EQ(bob.worldDifficulty, 1);
        EXPECT_EQ(bob.worldWord, 777u);
        EXPECT_EQ(bob.returnPoint.level, 1);
        EXPECT_FLOAT_EQ(bob.returnPoint.y, 20.0f);
        int32_t stats = version >= 50 ? CharacterStat::kCount : BareStats(version);
        for (int32_t i = 0; i < CharacterStat::kCount; ++i)
            EXPECT_EQ(bob.stats.Get(i), i < stats ? BobStat(i) : 0) << "stat " << i << " of version " << version;
        int32_t fun = version >= 50 ? CharacterFunStat::kCount : BareFunStats(version);
        for (int32_t i = 0; i < CharacterFunStat::kCount; ++i)
            EXPECT_EQ(bob.funStats.Get(i), i < fun ? 100 + i : 0) << "fun stat " << i << " of version " << version;
        EXPECT_EQ(bob.itemSet, version >= 25 ? 1 : 0);
        EXPECT_EQ(bob.hintsSeen, (std::vector<bool>{true, false, true}));
        EXPECT_EQ(bob.discoveredLevels, (std::vector<bool>{false, true}));
        EXPECT_EQ(bob.GetCharacterFlag(CharacterFlag::kLoner), version >= 26);
        EXPECT_EQ(bob.partyRecruitIndices, version >= 3 ? std::vector<int32_t>{2} : std::vector<int32_t>{});
        EXPECT_EQ(LinesOf(bob.messageLog), version >= 17 ? std::vector<std::string>{"hello"} : std::vector<std::string>{});
        EXPECT_EQ(bob.GetPosition().level, 1);
        EXPECT_FLOAT_EQ(bob.GetPosition().x, 30.0f);
        EXPECT_EQ(bob.facing, 5);
        EXPECT_EQ(bob.skillGiftLevels, version >= 54 ? (std::vector<int32_t>{12, 3}) : std::vector<int32_t>{});
        EXPECT_TRUE(bob.IsLoadedCharacter());
        // Saved lists go to the restored lists; the current ones stay as they were.
        EXPECT_EQ(bob.GetItemList(0).GetCount(), 0);
        ASSERT_EQ(bob.GetItemList(2).GetCount(), 1);
        EXPECT_TRUE(const_cast<PlayerClient&>(bob).GetItemList(2).Get(0)->flag);
    }

    // A player with values of its own, to see that a refused file changes none of them.
    static void Preset(PlayerClient& keeper)
    {
        keeper.characterName = "Keeper";
        keeper.stats.Set(CharacterStat::Money, 5);
        keeper.facing = 2;
        keeper.messageLog = LogOf({"mine"});
    }

    static void ExpectPreset(const PlayerClient& keeper)
    {
        EXPECT_EQ(keeper.characterName, "Keeper");
        EXPECT_EQ(keeper.stats.Get(CharacterStat::Money), 5);
        EXPECT_EQ(keeper.facing, 2);
        EXPECT_EQ(LinesOf(keeper.messageLog), std::vector<std::string>{"mine"});
        EXPECT_FALSE(keeper.IsLoadedCharacter());
    }
};

TEST_F(CharacterFile, EveryVersionReadsItsOwnLayoutAndIsWrittenBackAsTheCurrentOne)
{
    for (int32_t version : {1, 2, 3, 12, 13, 14, 16, 17, 19, 20, 22, 23, 25, 26, 28, 29, 33, 34, 40, 41, 42, 43, 45,
                            46, 49, 50, 51, 52, 53, 54}) {
        SCOPED_TRACE(version);
        PlayerClient old;
        ASSERT_TRUE(Load(old, FileOfVersion(version)));
        ExpectBob(old, version);
        // The fourth quick-use word came later: older records get -1.
        EXPECT_EQ(old.GetQuickUse(1)[3], version >= 20 ? 13 : -1);

        MessageBuffer current;
        old.WriteCharacter(current);
        current.SetReadPos(0);
        EXPECT_EQ(current.ReadInt(), PlayerClient::kFileVersion);
        PlayerClient resumed;
        ASSERT_TRUE(Load(resumed, current));
        ExpectBob(resumed, version);
        MessageBuffer again;
        resumed.WriteCharacter(again);
        ASSERT_EQ(again.Size(), current.Size());
        EXPECT_TRUE(std::equal(again.Data(), again.Data() + again.Size(), current.Data()));
    }
}

TEST_F(CharacterFile, TheCurrentVersionIsTheWritersLayoutWordForWord)
{
    // The file of this version written by hand above is what the player writes back.
    PlayerClient bob;
    MessageBuffer golden = FileOfVersion(PlayerClient::kFileVersion);
    ASSERT_TRUE(Load(bob, golden));
    MessageBuffer written;
    bob.WriteCharacter(written);
    ASSERT_EQ(written.Size(), golden.Size());
    EXPECT_TRUE(std::equal(written.Data(), written.Data() + written.Size(), golden.Data()));
}

TEST_F(CharacterFile, TheCovenantBlockTravelsInItsOwnCountAndMustBeReadWhole)
{
    FakeCovenantBlock block;
    block.first = 41;
    block.second = 42;
    PlayerClient bob;
    ASSERT_TRUE(Load(bob, FileOfVersion(PlayerClient::kFileVersion)));
    bob.SetCovenantBlock(&block);
    MessageBuffer saved;
    bob.WriteCharacter(saved);

    FakeCovenantBlock reader;
    PlayerClient resumed;
    ASSERT_TRUE(Load(resumed, saved, &reader));
    EXPECT_EQ(reader.applied, 1);
    EXPECT_EQ(reader.first, 41);
    EXPECT_EQ(reader.second, 42);
    resumed.SetCovenantBlock(&reader);
    MessageBuffer again;
    resumed.WriteCharacter(again);
    EXPECT_TRUE(again.Size() == saved.Size() && std::equal(again.Data(), again.Data() + again.Size(), saved.Data()));

    // Without a reader the block is passed over.
    PlayerClient plain;
    EXPECT_TRUE(Load(plain, saved));
    ExpectBob(plain, PlayerClient::kFileVersion);
    // A block the reader does not use whole is refused, and nothing is applied.
    FakeCovenantBlock leftOver;
    PlayerClient refused;
    Preset(refused);
    EXPECT_FALSE(Load(refused, FileOfVersion(PlayerClient::kFileVersion, 12), &leftOver));
    EXPECT_EQ(leftOver.applied, 0);
    ExpectPreset(refused);
}

TEST_F(CharacterFile, AFileCutAnywhereIsRefusedAndThePlayerIsUntouched)
{
    for (int32_t version : {12, PlayerClient::kFileVersion}) {
        MessageBuffer whole = FileOfVersion(version);
        for (size_t cut = 0; cut < whole.Size(); ++cut) {
            MessageBuffer part;
            part.WriteBytes(whole.Data(), cut);
            PlayerClient keeper;
            Preset(keeper);
            ASSERT_FALSE(Load(keeper, part)) << "version " << version << " cut at " << cut;
            ExpectPreset(keeper);
        }
    }
    EXPECT_GT(CountLinesHolding(debug, "Character file Bob is damaged"), 0);
}

TEST_F(CharacterFile, HostileCountsAndUnknownVersionsAreRefused)
{
    MessageBuffer whole = FileOfVersion(PlayerClient::kFileVersion);
    // The stats' count follows the version, the name, four words and two positions.
    const size_t statsCountAt = 4 + 4 + 4 * 4 + 12 * 2;
    for (int32_t count : {-1, 0x7FFFFFFF, static_cast<int32_t>(whole.Size() / 4)}) {
        std::vector<uint8_t> bytes(whole.Data(), whole.Data() + whole.Size());
        std::memcpy(bytes.data() + statsCountAt, &count, sizeof(count));
        MessageBuffer hostile;
        hostile.WriteBytes(bytes.data(), bytes.size());
        PlayerClient keeper;
        Preset(keeper);
        EXPECT_FALSE(Load(keeper, hostile)) << count;
        ExpectPreset(keeper);
    }
    for (int32_t version : {0, -3, PlayerClient::kFileVersion + 1}) {
        PlayerClient keeper;
        Preset(keeper);
        EXPECT_FALSE(Load(keeper, FileOfVersion(version))) << version;
        ExpectPreset(keeper);
    }
    EXPECT_GT(CountLinesHolding(debug, "is damaged (unknown version)"), 0);
}

// The log's lines lie in a block of their own count: lines that do not fill it drop the log and
// nothing else, while a block count the file cannot hold is a damaged file.
TEST_F(CharacterFile, ADamagedMessageLogIsDroppedAndTheRestOfTheCharacterLoads)
{
    MessageBuffer whole = FileOfVersion(PlayerClient::kFileVersion);
    // From the end: the skill gift record (12 bytes), the place and facing (16 bytes), "hello"
    // and its end, the line count, the block's count.
    const size_t tailAt = whole.Size() - 12 - 16;
    const size_t helloAt = tailAt - 6;
    const size_t linesAt = helloAt - 4;
    const size_t blockAt = linesAt - 4;
    auto patched = [&whole](size_t at, const void* bytes, size_t length) {
        std::vector<uint8_t> copy(whole.Data(), whole.Data() + whole.Size());
        std::memcpy(copy.data() + at, bytes, length);
        MessageBuffer file;
        file.WriteBytes(copy.data(), copy.size());
        return file;
    };
    const char unended = 'x';
    std::vector<MessageBuffer> damaged;
    for (int32_t lines : {-1, 0, 2, 0x7FFFFFFF})
        damaged.push_back(patched(linesAt, &lines, sizeof(lines)));
    damaged.push_back(patched(helloAt + 5, &unended, 1));
    for (size_t i = 0; i < damaged.size(); ++i) {
        SCOPED_TRACE(i);
        PlayerClient bob;
        bob.messageLog = LogOf({"before"});
        ASSERT_TRUE(Load(bob, damaged[i]));
        EXPECT_TRUE(LinesOf(bob.messageLog).empty());
        EXPECT_EQ(bob.GetPosition().level, 1);
        EXPECT_FLOAT_EQ(bob.GetPosition().y, 40.0f);
        EXPECT_EQ(bob.facing, 5);
        EXPECT_EQ(bob.stats.Get(7), 21);
    }
    EXPECT_EQ(CountLinesHolding(debug, "Character file Bob: its message log is damaged"),
              static_cast<int>(damaged.size()));

    for (int32_t blockBytes : {-1, 11 + 16 + 12, 0x7FFFFFFF}) {
        PlayerClient keeper;
        Preset(keeper);
        EXPECT_FALSE(Load(keeper, patched(blockAt, &blockBytes, sizeof(blockBytes)))) << blockBytes;
        ExpectPreset(keeper);
    }
}

// What the world host would refuse of a character (its skill gift record, its class, its stats)
// the file's loader refuses at once, naming the part: a join waited a minute for the host's
// silence. The file is read from the user folder, as the character list and the resume read it.
TEST_F(CharacterFile, WhatTheHostWouldRefuseIsADamagedFileAtLoad)
{
    const size_t statsAt = 4 + 4 + 4 * 4 + 12 * 2 + 4;
    auto withStat = [](int32_t stat, int32_t value) {
        MessageBuffer file = FileOfVersion(PlayerClient::kFileVersion);
        std::vector<uint8_t> bytes(file.Data(), file.Data() + file.Size());
        std::memcpy(bytes.data() + statsAt + 4 * static_cast<size_t>(stat), &value, sizeof(value));
        MessageBuffer patched;
        patched.WriteBytes(bytes.data(), bytes.size());
        return patched;
    };
    auto withGifts = [](const std::vector<int32_t>& gifts) {
        return FileOfVersion(PlayerClient::kFileVersion, 0, gifts);
    };
    struct Case {
        const char* what;
        MessageBuffer file;
        const char* reason;
    };
    const Case cases[] = {
        {"a gift record of an odd count", withGifts({12, 3, 14}), "skill gift count"},
        {"a gift to a stat that is no skill", withGifts({CharacterStat::Strength, 3}), "skill gift outside the skills"},
        {"a gift past the last skill", withGifts({CharacterStat::Skill60 + 1, 3}), "skill gift outside the skills"},
        {"a gift above the cap", withGifts({12, CharacterRecordLimits::kMaxTrainedValue + 1}),
         "skill gift outside the skills"},
        {"a negative gift", withGifts({12, -1}), "skill gift outside the skills"},
        {"a class the game has not", withStat(CharacterStat::Class, 7), "unknown class"},
        {"level 0", withStat(CharacterStat::Level, 0), "level"},
        {"a level above the cap", withStat(CharacterStat::Level, CharacterRecordLimits::kMaxLevel + 1), "level"},
        {"a negative skill", withStat(CharacterStat::Skill3, -1), "attribute or skill outside its range"},
        {"a negative base attribute", withStat(CharacterStat::BaseSpirit, -1), "attribute or skill outside its range"},
        {"debt", withStat(CharacterStat::Money, -1), "money"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        folder.Write("User/chars/bob.chr", FileText(c.file));
        const std::string told = std::string("Character file Bob is damaged (") + c.reason + ")";
        int before = CountLinesHolding(debug, told);
        PlayerClient keeper;
        Preset(keeper);
        EXPECT_FALSE(keeper.LoadCharacter("Bob", nullptr));
        ExpectPreset(keeper);
        EXPECT_EQ(CountLinesHolding(debug, told), before + 1);
    }
    // At their bounds they load: the top level, a gift to the last skill at the cap.
    MessageBuffer bounds = FileOfVersion(PlayerClient::kFileVersion, 0,
                                         {CharacterStat::Skill60, CharacterRecordLimits::kMaxTrainedValue});
    folder.Write("User/chars/bob.chr", FileText(bounds));
    PlayerClient bob;
    ASSERT_TRUE(bob.LoadCharacter("Bob", nullptr));
    EXPECT_EQ(bob.skillGiftLevels,
              (std::vector<int32_t>{CharacterStat::Skill60, CharacterRecordLimits::kMaxTrainedValue}));
    folder.Write("User/chars/bob.chr", FileText(withStat(CharacterStat::Level, CharacterRecordLimits::kMaxLevel)));
    EXPECT_TRUE(PlayerClient().LoadCharacter("Bob", nullptr));
    // Saved while a weakening held an attribute below 0: the host gives it back from the base.
    folder.Write("User/chars/bob.chr", FileText(withStat(CharacterStat::Dexterity, -5)));
    ASSERT_TRUE(player->LoadCharacter("Bob", nullptr));
    Join();
    EXPECT_EQ(hostPlayer->playerName, "Bob");
    EXPECT_EQ(hostPlayer->stats.Get(CharacterStat::Dexterity), BobStat(CharacterStat::BaseDexterity));
    ClientFrame(0);
    EXPECT_EQ(player->stats.Get(CharacterStat::Dexterity), BobStat(CharacterStat::BaseDexterity));
}

// ---- File names ------------------------------------------------------------------------------

using CharacterFileName = CharacterFile;

TEST_F(CharacterFileName, ANameIsOneFileInTheCharsFolderWhateverItHolds)
{
    EXPECT_EQ(CharacterFileBase("../x"), "x");
    EXPECT_EQ(CharacterFileBase("a/b"), "ab");
    EXPECT_EQ(CharacterFileBase("Heroes/Bob.old"), "heroesbobold");
    EXPECT_EQ(CharacterFileBase(".."), "");
    EXPECT_EQ(CharacterFileBase(""), "");
    EXPECT_EQ(CharacterFileBase("con"), "con");
    EXPECT_EQ(CharacterFileBase(std::string(300, 'q')).size(), 63u);
    EXPECT_EQ(CharacterFileBase(std::string("a\x01\nb\x7f") + "\\c"), "abc");

    Join();
    ClientFrame(0);
    for (const char* name : {"../x", "a/b", "Heroes/Bob.old", "con", "tab\there"}) {
        // Each a new character of that name: a character once saved keeps its own file.
        player->fileBase.clear();
        player->characterName = name;
        ASSERT_TRUE(player->SaveCharacter()) << name;
        EXPECT_TRUE(std::filesystem::exists(folder.Path() / "User" / "chars" / (CharacterFileBase(name) + ".chr")))
            << name;
    }
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder.Path() / "User")) {
        if (entry.is_regular_file()) {
            EXPECT_EQ(entry.path().parent_path(), folder.Path() / "User" / "chars") << entry.path();
        }
    }
    // A name with nothing left is refused, and says so.
    player->fileBase.clear();
    player->characterName = "..";
    EXPECT_FALSE(player->SaveCharacter());
    EXPECT_EQ(CountLinesHolding(debug, "Couldn't save the character .."), 1);

    // "Bob" finds the file "bob" wrote.
    player->fileBase.clear();
    player->characterName = "bob";
    player->stats.Set(CharacterStat::Money, 321);
    ASSERT_TRUE(player->SaveCharacter());
    PlayerClient reader;
    ASSERT_TRUE(reader.LoadCharacter("Bob", nullptr));
    EXPECT_EQ(reader.stats.Get(CharacterStat::Money), 321);
}

TEST_F(CharacterFileName, NoBodyNoSaveAndAWriteThatCannotLandIsReported)
{
    PlayerClient bodiless;
    bodiless.characterName = "Ghost";
    EXPECT_FALSE(bodiless.SaveCharacter());
    EXPECT_FALSE(std::filesystem::exists(folder.Path() / "User" / "chars" / "ghost.chr"));

    Join();
    // A folder stands where the file would go: the write cannot land over it.
    folder.Write("User/chars/blocked.chr/inside", "kept");
    player->characterName = "Blocked";
    EXPECT_FALSE(player->SaveCharacter());
    EXPECT_EQ(CountLinesHolding(debug, "Couldn't save the character Blocked"), 1);
    EXPECT_EQ(folder.Read("User/chars/blocked.chr/inside"), "kept");
}

} // namespace
