// NetMessagesTest -- the datagrams' exact bytes, round trips through the shared readers, the client update's caps, and cut or corrupt input refused whole.
#include "core/MessageBuffer.h"
#include "world/NetMessages.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

namespace {

// The expected bytes, built field by field the way the wire lays them out.
class WireBytes {
public:
    WireBytes& Int(int32_t value) { return Word(static_cast<uint32_t>(value)); }
    WireBytes& Word(uint32_t value)
    {
        for (int shift = 0; shift < 32; shift += 8)
            bytes.push_back(static_cast<uint8_t>(value >> shift));
        return *this;
    }
    WireBytes& Float(float value)
    {
        uint32_t bits = 0;
        std::memcpy(&bits, &value, sizeof bits);
        return Word(bits);
    }
    WireBytes& Text(const std::string& text)
    {
        bytes.insert(bytes.end(), text.begin(), text.end());
        bytes.push_back(0);
        return *this;
    }
    WireBytes& Position(int32_t level, float x, float y) { return Int(level).Float(x).Float(y); }

    std::vector<uint8_t> bytes;
};

std::vector<uint8_t> BytesOf(const MessageBuffer& buffer)
{
    return std::vector<uint8_t>(buffer.Data(), buffer.Data() + buffer.Size());
}

MessageBuffer BufferOf(const std::vector<uint8_t>& bytes)
{
    MessageBuffer buffer;
    buffer.WriteBytes(bytes.data(), bytes.size());
    buffer.SetReadPos(0);
    return buffer;
}

// The reader sees what the dispatcher leaves: the bytes after the type word.
MessageBuffer AfterType(const MessageBuffer& written)
{
    MessageBuffer buffer = BufferOf(BytesOf(written));
    buffer.ReadInt();
    return buffer;
}

WorldPos Pos(int32_t level, float x, float y)
{
    WorldPos where;
    where.level = level;
    where.x = x;
    where.y = y;
    return where;
}

NetWelcome SampleWelcome()
{
    NetWelcome welcome;
    welcome.level = 2;
    welcome.difficulty = 3;
    welcome.worldSeed = 0xDEADBEEFu;
    welcome.worldName = "World";
    welcome.subSeed = 77u;
    welcome.resources = {{1, "Models/a.mdl"}, {4, "Sounds/b.wav"}};
    return welcome;
}

NetClientUpdate SampleUpdate()
{
    NetClientUpdate update;
    update.position = Pos(1, 10.5f, -2.0f);
    update.moveTarget = Pos(2, 0.25f, 4000.0f);
    update.interactionMode = 29;
    update.target = 7;
    update.lines = {"useSkill 1 2 -1 0 1.5 2.5", "msg 2 \"two words\""};
    return update;
}

// Every cut of a valid body is refused by its reader, and the output keeps what it held.
template <class Record, class Reader>
void ExpectEveryCutRefused(const MessageBuffer& written, Reader read, const Record& sentinel,
                           bool (*same)(const Record&, const Record&))
{
    std::vector<uint8_t> bytes = BytesOf(written);
    for (size_t cut = 4; cut < bytes.size(); ++cut) {
        MessageBuffer buffer = BufferOf(std::vector<uint8_t>(bytes.begin(), bytes.begin() + cut));
        buffer.ReadInt();
        Record out = sentinel;
        EXPECT_FALSE(read(buffer, out)) << "cut at " << cut;
        EXPECT_TRUE(same(out, sentinel)) << "cut at " << cut;
    }
}

bool SameWelcome(const NetWelcome& a, const NetWelcome& b)
{
    return a.level == b.level && a.worldName == b.worldName && a.resources.size() == b.resources.size();
}

bool SameUpdate(const NetClientUpdate& a, const NetClientUpdate& b)
{
    return a.target == b.target && a.lines == b.lines && a.interactionMode == b.interactionMode;
}

} // namespace

TEST(NetMessagesBytes, JoinRequestIsTheTypeWordAlone)
{
    MessageBuffer buffer;
    NetMessages::WriteJoinRequest(buffer);
    EXPECT_EQ(BytesOf(buffer), WireBytes().Int(0).bytes);
    MessageBuffer settings;
    NetMessages::WriteClientSettingsType(settings);
    EXPECT_EQ(BytesOf(settings), WireBytes().Int(4).bytes);
}

TEST(NetMessagesBytes, HelloCarriesDifficultyAndSeed)
{
    MessageBuffer buffer;
    NetMessages::WriteHello(buffer, {-1, 0x80000001u});
    EXPECT_EQ(BytesOf(buffer), WireBytes().Int(2).Int(-1).Word(0x80000001u).bytes);
}

TEST(NetMessagesBytes, WelcomeListsItsEntriesAndEndsThemWithMinusOne)
{
    MessageBuffer buffer;
    NetMessages::WriteWelcome(buffer, SampleWelcome());
    WireBytes expected;
    expected.Int(5).Int(2).Int(3).Word(0xDEADBEEFu).Text("World").Word(77u);
    expected.Int(1).Text("Models/a.mdl").Int(4).Text("Sounds/b.wav").Int(-1);
    EXPECT_EQ(BytesOf(buffer), expected.bytes);
}

TEST(NetMessagesBytes, NewWorldCarriesDifficultyAndBothSeeds)
{
    MessageBuffer buffer;
    NetMessages::WriteNewWorld(buffer, {4, 9u, 0xFFFFFFFFu});
    EXPECT_EQ(BytesOf(buffer), WireBytes().Int(6).Int(4).Word(9u).Word(0xFFFFFFFFu).bytes);
}

TEST(NetMessagesBytes, ClientUpdateKeepsAQuotedArgumentWithItsBlanks)
{
    MessageBuffer buffer;
    NetMessages::WriteClientUpdate(buffer, SampleUpdate());
    WireBytes expected;
    expected.Int(1).Position(1, 10.5f, -2.0f).Position(2, 0.25f, 4000.0f).Int(29).Int(7).Int(2);
    expected.Text("useSkill 1 2 -1 0 1.5 2.5").Text("msg 2 \"two words\"");
    EXPECT_EQ(BytesOf(buffer), expected.bytes);
}

TEST(NetMessagesBytes, AnEmptyGameUpdateHeadStillEndsItsEntriesWithMinusOne)
{
    MessageBuffer buffer;
    NetMessages::WriteGameUpdateHead(buffer, -1, {}, {}, {});
    EXPECT_EQ(BytesOf(buffer), WireBytes().Int(3).Int(-1).Int(-1).Int(0).bytes);
}

TEST(NetMessagesBytes, GameUpdateHeadWritesEachChangeInOrderRepeatsIncluded)
{
    std::vector<std::string> names = {"", "Models/a.mdl", "Sounds/b.wav"};
    MessageBuffer buffer;
    NetMessages::WriteGameUpdateHead(buffer, 1, names, {2, 1, 2}, {"kill 4"});
    WireBytes expected;
    expected.Int(3).Int(1).Int(2).Text("Sounds/b.wav").Int(1).Text("Models/a.mdl").Int(2).Text("Sounds/b.wav");
    expected.Int(-1).Int(1).Text("kill 4");
    EXPECT_EQ(BytesOf(buffer), expected.bytes);
}

TEST(NetMessagesBytes, SoundRecordIsTwentyFourBytes)
{
    MessageBuffer buffer;
    NetMessages::WriteSoundRecord(buffer, {3, 12, Pos(1, 2.0f, 3.0f), 0.5f});
    EXPECT_EQ(BytesOf(buffer), WireBytes().Int(3).Int(12).Position(1, 2.0f, 3.0f).Float(0.5f).bytes);
}

TEST(NetMessagesRoundTrip, EveryHostMessageReadsBackAsWritten)
{
    MessageBuffer hello;
    NetMessages::WriteHello(hello, {2, 123u});
    NetHello readHello;
    MessageBuffer helloBody = AfterType(hello);
    ASSERT_TRUE(NetMessages::ReadHello(helloBody, readHello));
    EXPECT_EQ(readHello.difficulty, 2);
    EXPECT_EQ(readHello.worldSeed, 123u);

    MessageBuffer welcome;
    NetMessages::WriteWelcome(welcome, SampleWelcome());
    NetWelcome readWelcome;
    MessageBuffer welcomeBody = AfterType(welcome);
    ASSERT_TRUE(NetMessages::ReadWelcome(welcomeBody, readWelcome));
    EXPECT_EQ(readWelcome.worldName, "World");
    EXPECT_EQ(readWelcome.subSeed, 77u);
    ASSERT_EQ(readWelcome.resources.size(), 2u);
    EXPECT_EQ(readWelcome.resources[1].index, 4);
    EXPECT_EQ(readWelcome.resources[1].name, "Sounds/b.wav");
    EXPECT_EQ(welcomeBody.BytesLeft(), 0u);

    MessageBuffer newWorld;
    NetMessages::WriteNewWorld(newWorld, {1, 2u, 3u});
    NetNewWorld readNewWorld;
    MessageBuffer newWorldBody = AfterType(newWorld);
    ASSERT_TRUE(NetMessages::ReadNewWorld(newWorldBody, readNewWorld));
    EXPECT_EQ(readNewWorld.subSeed, 3u);
}

TEST(NetMessagesRoundTrip, ClientUpdateReadsBackWithItsQuotes)
{
    MessageBuffer written;
    NetMessages::WriteClientUpdate(written, SampleUpdate());
    MessageBuffer body = AfterType(written);
    NetClientUpdate read;
    ASSERT_TRUE(NetMessages::ReadClientUpdate(body, read));
    EXPECT_EQ(read.position.level, 1);
    EXPECT_FLOAT_EQ(read.position.x, 10.5f);
    EXPECT_FLOAT_EQ(read.moveTarget.y, 4000.0f);
    EXPECT_EQ(read.interactionMode, 29);
    EXPECT_EQ(read.target, 7);
    EXPECT_EQ(read.lines, SampleUpdate().lines);
    EXPECT_EQ(read.refusedLines, 0);
}

TEST(NetMessagesRoundTrip, RawPositionsKeepWhatTheHostMustJudge)
{
    NetClientUpdate update;
    update.position = Pos(-1, std::numeric_limits<float>::quiet_NaN(), 1e30f);
    update.moveTarget = Pos(1000000, std::numeric_limits<float>::infinity(), 0.0f);
    MessageBuffer written;
    NetMessages::WriteClientUpdate(written, update);
    MessageBuffer body = AfterType(written);
    NetClientUpdate read;
    ASSERT_TRUE(NetMessages::ReadClientUpdate(body, read));
    EXPECT_EQ(read.position.level, -1);
    EXPECT_TRUE(std::isnan(read.position.x));
    EXPECT_EQ(read.moveTarget.level, 1000000);
    EXPECT_TRUE(std::isinf(read.moveTarget.x));
}

TEST(NetMessagesCaps, LinesPastSixtyFourAndOverlongLinesAreReadButLeftOut)
{
    NetClientUpdate update;
    for (int i = 0; i < 70; ++i)
        update.lines.push_back("line " + std::to_string(i));
    update.lines[3] = std::string(1024, 'x');
    update.lines[4] = std::string(1023, 'y');
    MessageBuffer written;
    NetMessages::WriteClientUpdate(written, update);
    MessageBuffer body = AfterType(written);
    NetClientUpdate read;
    ASSERT_TRUE(NetMessages::ReadClientUpdate(body, read));
    ASSERT_EQ(read.lines.size(), 63u) << "64 kept less the one too long";
    EXPECT_EQ(read.lines[3], std::string(1023, 'y')) << "1,023 bytes is the longest a line may be";
    EXPECT_EQ(read.lines.back(), "line 63");
    EXPECT_EQ(read.refusedLines, 7);
    EXPECT_EQ(body.BytesLeft(), 0u);
}

TEST(NetMessagesHostile, EveryCutOfAWelcomeOrUpdateIsRefusedWithTheOutputUntouched)
{
    MessageBuffer welcome;
    NetMessages::WriteWelcome(welcome, SampleWelcome());
    NetWelcome sentinel;
    sentinel.worldName = "untouched";
    ExpectEveryCutRefused<NetWelcome>(welcome, &NetMessages::ReadWelcome, sentinel, &SameWelcome);

    MessageBuffer update;
    NetMessages::WriteClientUpdate(update, SampleUpdate());
    NetClientUpdate untouched;
    untouched.lines = {"keep"};
    ExpectEveryCutRefused<NetClientUpdate>(update, &NetMessages::ReadClientUpdate, untouched, &SameUpdate);
}

TEST(NetMessagesHostile, HugeAndNegativeLineCountsAreRefusedWithoutAllocating)
{
    for (int32_t count : {std::numeric_limits<int32_t>::max(), -1, std::numeric_limits<int32_t>::min()}) {
        WireBytes bytes;
        bytes.Position(0, 1.0f, 1.0f).Position(0, 1.0f, 1.0f).Int(0).Int(-1).Int(count).Text("a");
        MessageBuffer body = BufferOf(bytes.bytes);
        NetClientUpdate read;
        EXPECT_FALSE(NetMessages::ReadClientUpdate(body, read)) << count;
    }
}

TEST(NetMessagesHostile, AStringWithoutItsNulRefusesTheWholeList)
{
    WireBytes bytes;
    bytes.Int(1);
    bytes.bytes.push_back('a');  // "a" never ends
    MessageBuffer body = BufferOf(bytes.bytes);
    std::vector<std::string> lines = {"kept"};
    EXPECT_FALSE(NetMessages::ReadLineList(body, lines));
    EXPECT_EQ(lines, std::vector<std::string>{"kept"});

    WireBytes entries;
    entries.Int(3);
    entries.bytes.push_back('b');
    MessageBuffer entryBody = BufferOf(entries.bytes);
    std::vector<NetResourceEntry> read;
    EXPECT_FALSE(NetMessages::ReadResourceEntries(entryBody, read));
}

TEST(NetMessagesHostile, ResourceEntriesRefuseAnIndexBelowTheEndMark)
{
    MessageBuffer body = BufferOf(WireBytes().Int(2).Text("a").Int(-2).Text("b").Int(-1).bytes);
    std::vector<NetResourceEntry> read;
    EXPECT_FALSE(NetMessages::ReadResourceEntries(body, read));
    MessageBuffer good = BufferOf(WireBytes().Int(2).Text("").Int(-1).bytes);
    ASSERT_TRUE(NetMessages::ReadResourceEntries(good, read));
    ASSERT_EQ(read.size(), 1u);
    EXPECT_EQ(read[0].name, "");
}

TEST(NetMessagesHostile, SoundAndEffectCountsAreBoundedByTheBytesLeft)
{
    MessageBuffer oneRecord = BufferOf(WireBytes().Int(1).Int(3).Int(4).Position(0, 1.0f, 2.0f).Float(1.0f).bytes);
    std::vector<NetSoundRecord> sounds;
    ASSERT_TRUE(NetMessages::ReadSounds(oneRecord, sounds));
    ASSERT_EQ(sounds.size(), 1u);
    EXPECT_EQ(sounds[0].entityNumber, 4);
    for (int32_t count : {2, std::numeric_limits<int32_t>::max(), -1}) {
        MessageBuffer body = BufferOf(WireBytes().Int(count).Int(3).Int(4).Position(0, 1.0f, 2.0f).Float(1.0f).bytes);
        EXPECT_FALSE(NetMessages::ReadSounds(body, sounds)) << count;
        EXPECT_EQ(sounds.size(), 1u);
    }
}
