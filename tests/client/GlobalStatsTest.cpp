// GlobalStatsTest -- the all-time records: "chars/global.sts" in every version's layout, a byte-stable round trip, cut and hostile files, and the holder of each best value by its four rules with its label.
#include "client/GlobalStats.h"
#include "client/ProfileWorld.h"
#include "core/EngineEnums.h"
#include "rules/GameData.h"
#include "rules/monsters/MonsterType.h"
#include "support/LogLines.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

class GlobalStats : public ProfileWorld {
protected:
    // A record in the layout of the version: counted from 50 on, else the fixed counts given.
    static void PutRecord(MessageBuffer& buffer, uint32_t version, const std::string& player,
                          const std::string& covenant, int32_t stats, int32_t funStats, int32_t first)
    {
        buffer.WriteString(player);
        buffer.WriteString(covenant);
        for (int32_t count : {stats, funStats}) {
            if (version >= ::GlobalStats::kVersion)
                buffer.WriteInt(count);
            for (int32_t i = 0; i < count; ++i)
                buffer.WriteInt(first + i);
        }
    }

    static MessageBuffer File(uint32_t version, int32_t count)
    {
        MessageBuffer buffer;
        buffer.WriteUInt(version);
        buffer.WriteInt(count);
        return buffer;
    }

    ::GlobalStats::Record& Add(::GlobalStats& stats, const std::string& player, const std::string& covenant)
    {
        IntArray none(::GlobalStats::kCharacterStats);
        IntArray noFun(::GlobalStats::kFunStats);
        return stats.FindOrAddRecord(player, covenant, none, noFun);
    }

    // A remembered monster in the pair: the goblin at the level, with the further level beside it.
    void Remember(::GlobalStats::Record& record, int32_t pair, int32_t level, int32_t furtherLevel = 0)
    {
        record.funStats.Set(pair, gGameData->FindMonsterType("MonsterGoblin")->index);
        record.funStats.Set(pair + 1, PackMonsterKillInfo(level, 0, furtherLevel));
    }
};

TEST_F(GlobalStats, EachVersionReadsItsOwnCountsAndTheCountedFormKeepsWhatFits)
{
    // Counted: 120 character stats fill 114 and skip 6 before the fun stats; 10 fun stats leave 19 at 0.
    MessageBuffer counted = File(50, 1);
    PutRecord(counted, 50, "Ada", "Ashguard", 120, 10, 1);
    ::GlobalStats stats;
    ASSERT_TRUE(stats.Read(counted, "test"));
    ASSERT_EQ(stats.GetRecords().size(), 1u);
    const ::GlobalStats::Record& record = *stats.GetRecords()[0];
    EXPECT_EQ(record.player, "Ada");
    EXPECT_EQ(record.covenant, "Ashguard");
    EXPECT_EQ(record.stats.Get(113), 114);
    EXPECT_EQ(record.funStats.Get(0), 1) << "the fun stats start after the 6 skipped words";
    EXPECT_EQ(record.funStats.Get(9), 10);
    EXPECT_EQ(record.funStats.Get(10), 0);

    // Fixed counts, no count words: each range of versions its own.
    struct Old {
        uint32_t version;
        int32_t stats;
        int32_t fun;
    };
    for (Old old : {Old{49, 114, 28}, Old{44, 114, 25}, Old{42, 113, 25}, Old{40, 112, 25}, Old{33, 112, 24},
                    Old{28, 112, 19}, Old{22, 112, 17}, Old{12, 111, 17}}) {
        MessageBuffer buffer = File(old.version, 2);
        PutRecord(buffer, old.version, "A", "x", old.stats, old.fun, 1);
        PutRecord(buffer, old.version, "B", "y", old.stats, old.fun, 1000);
        ::GlobalStats read;
        ASSERT_TRUE(read.Read(buffer, "test")) << old.version;
        ASSERT_EQ(read.GetRecords().size(), 2u) << old.version;
        const ::GlobalStats::Record& second = *read.GetRecords()[1];
        EXPECT_EQ(second.player, "B") << old.version;
        EXPECT_EQ(second.stats.Get(old.stats - 1), 1000 + old.stats - 1) << old.version;
        EXPECT_EQ(second.funStats.Get(old.fun - 1), 1000 + old.fun - 1) << old.version;
        EXPECT_EQ(buffer.BytesLeft(), 0u) << old.version;
    }
}

TEST_F(GlobalStats, TheWrittenFileReadsBackToTheSameBytesAndTheProgramKeepsIt)
{
    ::GlobalStats stats;
    ::GlobalStats::Record& ada = Add(stats, "Ada", "Ashguard");
    ada.stats.Set(CharacterStat::Level, 7);
    ada.funStats.Set(3, -5);
    Add(stats, "Ada", "Emberhold").stats.Set(CharacterStat::Level, 2);
    EXPECT_EQ(stats.GetRecords().size(), 2u) << "one name in two covenants is two records";
    EXPECT_EQ(&Add(stats, "Ada", "Ashguard"), &ada) << "found again, not added";
    EXPECT_EQ(stats.GetRecords().size(), 2u);
    MessageBuffer written;
    stats.Write(written);

    ASSERT_TRUE(stats.Save());
    std::string bytes = folder.Read("User/chars/global.sts");
    EXPECT_EQ(bytes, Bytes(written));
    ::GlobalStats loaded;
    loaded.Load();
    ASSERT_EQ(loaded.GetRecords().size(), 2u);
    EXPECT_EQ(loaded.GetRecords()[0]->stats.Get(CharacterStat::Level), 7);
    EXPECT_EQ(loaded.GetRecords()[0]->funStats.Get(3), -5);
    MessageBuffer again;
    loaded.Write(again);
    EXPECT_EQ(Bytes(again), bytes);
}

TEST_F(GlobalStats, ACutOrHostileFileKeepsItsWholeRecordsAndNamesWhereItBroke)
{
    MessageBuffer whole = File(50, 2);
    PutRecord(whole, 50, "Ada", "Ashguard", 114, 29, 1);
    size_t firstEnds = whole.Size();
    PutRecord(whole, 50, "Bo", "Emberhold", 114, 29, 1);
    std::string bytes = Bytes(whole);
    for (size_t cut = 0; cut < bytes.size(); ++cut) {
        MessageBuffer buffer;
        buffer.WriteBytes(bytes.data(), cut);
        ::GlobalStats stats;
        EXPECT_FALSE(stats.Read(buffer, "test")) << cut;
        EXPECT_EQ(stats.GetRecords().size(), cut >= firstEnds ? 1u : 0u) << cut;
    }
    // Counts that no file of that size could hold: refused, nothing read past them.
    for (int32_t hostile : {-1, 0x7FFFFFFF}) {
        MessageBuffer buffer = File(50, 1);
        buffer.WriteString("Ada");
        buffer.WriteString("Ashguard");
        buffer.WriteInt(hostile);
        ::GlobalStats stats;
        EXPECT_FALSE(stats.Read(buffer, "test")) << hostile;
        EXPECT_TRUE(stats.GetRecords().empty()) << hostile;
    }
    MessageBuffer many = File(50, 0x7FFFFFFF);
    PutRecord(many, 50, "Ada", "Ashguard", 1, 1, 1);
    ::GlobalStats stats;
    EXPECT_FALSE(stats.Read(many, "test"));
    EXPECT_EQ(stats.GetRecords().size(), 1u);
    EXPECT_GE(CountLinesHolding(debug, "is not whole"), 1);

    // The program's own load: a cut file keeps the whole record, with the file and offset named.
    folder.Write("User/chars/global.sts", bytes.substr(0, firstEnds + 6));
    ::GlobalStats loaded;
    loaded.Load();
    EXPECT_EQ(loaded.GetRecords().size(), 1u);
    EXPECT_GE(CountLinesHolding(debug, "chars/global.sts: record 1 at offset " + std::to_string(firstEnds)), 1);
}

TEST_F(GlobalStats, TheHolderIsTheFirstBestByEachStatsRuleAndItsLabelNamesClassAndCovenant)
{
    ::GlobalStats stats;
    EXPECT_EQ(stats.GetRecordHolder(::GlobalStats::kGroupCharacter, CharacterStat::Level).label, "");
    ::GlobalStats::Record& ada = Add(stats, "Ada", "Ashguard");
    ::GlobalStats::Record& bo = Add(stats, "Bo", "Emberhold");
    ::GlobalStats::Record& cy = Add(stats, "Cy", "Ashguard");

    // A plain stat: strictly greater wins, the earliest holds a tie.
    ada.stats.Set(CharacterStat::Money, 50);
    bo.stats.Set(CharacterStat::Money, 70);
    cy.stats.Set(CharacterStat::Money, 70);
    ::GlobalStats::Holder money = stats.GetRecordHolder(::GlobalStats::kGroupCharacter, CharacterStat::Money);
    EXPECT_EQ(money.label, "Bo (Emberhold)") << "no class: the covenant alone";
    EXPECT_EQ(money.value, 70);

    // The level: on equal levels the experience decides.
    for (::GlobalStats::Record* record : {&ada, &bo, &cy})
        record->stats.Set(CharacterStat::Level, 9);
    ada.stats.Set(CharacterStat::Xp, 300);
    cy.stats.Set(CharacterStat::Xp, 400);
    int32_t knight = gGameData->FindCharacterClassIndex("ClassKnight");
    ASSERT_GE(knight, 0);
    cy.stats.Set(CharacterStat::Class, knight);
    ::GlobalStats::Holder level = stats.GetRecordHolder(::GlobalStats::kGroupCharacter, CharacterStat::Level);
    EXPECT_EQ(level.label, "Cy (Knight $$JournalFrom$$ Ashguard)");
    EXPECT_EQ(level.value, 9);

    // Fun stat 4 is judged by fun stat 5 first.
    ada.funStats.Set(4, 100);
    ada.funStats.Set(5, 1);
    bo.funStats.Set(4, 1);
    bo.funStats.Set(5, 2);
    EXPECT_EQ(stats.GetRecordHolder(::GlobalStats::kGroupFun, 4).label, "Bo (Emberhold)");
    bo.funStats.Set(5, 1);
    EXPECT_EQ(stats.GetRecordHolder(::GlobalStats::kGroupFun, 4).label, "Ada (Ashguard)");

    // The other stats, only set in play; an index outside the list reads 0.
    bo.otherStats.Set(3, 8);
    EXPECT_EQ(stats.GetRecordHolder(7, 3).label, "Bo (Emberhold)");
    EXPECT_EQ(stats.GetRecordHolder(7, 99).value, 0);
}

TEST_F(GlobalStats, RememberedMonstersAreJudgedByTheirKillScores)
{
    ::GlobalStats stats;
    ::GlobalStats::Record& ada = Add(stats, "Ada", "Ashguard");
    ::GlobalStats::Record& bo = Add(stats, "Bo", "Emberhold");
    ::GlobalStats::Record& cy = Add(stats, "Cy", "Ashguard");
    for (::GlobalStats::Record* record : {&ada, &bo, &cy})
        for (int32_t pair : {8, 10, 12, 14})
            record->funStats.Set(pair, -1);

    // 8: the greatest score, the odd stat judged as its pair.
    Remember(ada, 8, 4);
    Remember(bo, 8, 9);
    Remember(cy, 8, 6);
    EXPECT_EQ(stats.GetRecordHolder(::GlobalStats::kGroupFun, 8).label, "Bo (Emberhold)");
    EXPECT_EQ(stats.GetRecordHolder(::GlobalStats::kGroupFun, 9).label, "Bo (Emberhold)");

    // 10: scored from the further level the packed word remembers.
    Remember(ada, 10, 12, 11);
    Remember(bo, 10, 5, 1);
    EXPECT_EQ(stats.GetRecordHolder(::GlobalStats::kGroupFun, 10).label, "Bo (Emberhold)");

    // 12: a record without a monster never takes it from one with a score.
    Remember(ada, 12, 3);
    EXPECT_EQ(stats.GetRecordHolder(::GlobalStats::kGroupFun, 12).label, "Ada (Ashguard)");

    // 14: the smallest score above 0 holds; a first record without a monster gives way.
    Remember(bo, 14, 8);
    Remember(cy, 14, 2);
    EXPECT_EQ(stats.GetRecordHolder(::GlobalStats::kGroupFun, 14).label, "Cy (Ashguard)");
    EXPECT_EQ(stats.GetRecordHolder(::GlobalStats::kGroupFun, 15).label, "Cy (Ashguard)");
}

// A damaged file is set aside whole as ".bad" with a warning, and the next damaged one beside it
// as ".bad2", the first kept as it was; the save after each begins a new file and never writes
// over them. A file of a newer version is read in the counted form and left where it is: no save
// writes over it and nothing is set aside.
TEST_F(GlobalStats, ADamagedFileIsSetAsideBesideEarlierOnesAndANewerOneIsNeverWrittenOver)
{
    MessageBuffer whole = File(50, 2);
    PutRecord(whole, 50, "Ada", "Ashguard", 114, 29, 1);
    size_t firstEnds = whole.Size();
    PutRecord(whole, 50, "Bo", "Emberhold", 114, 29, 1);
    struct Case {
        const char* what;
        std::string bytes;
        size_t recordsKept;
        const char* aside;
    };
    const Case cases[] = {{"cut in a record", Bytes(whole).substr(0, firstEnds + 6), 1, "chars/global.sts.bad"},
                          {"cut before the count", Bytes(whole).substr(0, 6), 0, "chars/global.sts.bad2"}};
    for (const Case& damaged : cases) {
        folder.Write("User/chars/global.sts", damaged.bytes);
        int warnings = CountLinesHolding(debug, std::string("kept aside as ") + damaged.aside + ";");
        ::GlobalStats loaded;
        loaded.Load();
        EXPECT_EQ(loaded.GetRecords().size(), damaged.recordsKept) << damaged.what;
        EXPECT_EQ(CountLinesHolding(debug, std::string("kept aside as ") + damaged.aside + ";"), warnings + 1)
            << damaged.what;
        ASSERT_TRUE(loaded.Save()) << damaged.what;
        MessageBuffer written;
        loaded.Write(written);
        EXPECT_EQ(folder.Read("User/chars/global.sts"), Bytes(written)) << damaged.what;
        // Every file set aside so far is as it was.
        for (const Case& earlier : cases) {
            EXPECT_EQ(folder.Read(std::string("User/") + earlier.aside), earlier.bytes) << damaged.what;
            if (&earlier == &damaged)
                break;
        }
    }
    // The file the last save wrote is sound: it stays where it is.
    ::GlobalStats sound;
    sound.Load();
    EXPECT_FALSE(std::filesystem::exists(folder.Path() / "User/chars/global.sts.bad3"));

    MessageBuffer newer = File(51, 1);
    PutRecord(newer, 51, "Ada", "Ashguard", 114, 29, 1);
    folder.Write("User/chars/global.sts", Bytes(newer));
    ::GlobalStats later;
    later.Load();
    ASSERT_EQ(later.GetRecords().size(), 1u);
    EXPECT_EQ(later.GetRecords()[0]->player, "Ada");
    EXPECT_EQ(later.GetRecords()[0]->stats.Get(CharacterStat::Level), 1 + CharacterStat::Level);
    Add(later, "Bo", "Emberhold");
    EXPECT_FALSE(later.Save());
    EXPECT_EQ(folder.Read("User/chars/global.sts"), Bytes(newer)) << "a newer program's file is never written over";
    EXPECT_FALSE(std::filesystem::exists(folder.Path() / "User/chars/global.sts.bad3"));
}

} // namespace
