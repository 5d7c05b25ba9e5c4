// RecruitBaseTest -- Recruit records: the byte layout, round trips, every older version's form, renamed records and damaged records.
#include "core/MessageBuffer.h"
#include "rules/items/InventoryBase.h"
#include "rules/monsters/RecordWorld.h"
#include "rules/recruits/RecruitBase.h"

#include <memory>

namespace {

const std::string kRecruitBaseRecords = RecordWorld::Records({"Wolf: Type Object", "Fangs: Type Object", "Bite: Type Object"});

class RecruitRecords : public RecordWorld {
protected:
    RecruitRecords() { LoadRecords("", kRecruitBaseRecords); }

    int32_t Id(const char* name) { return database.FindEntryByName(name)->GetId(); }

    std::unique_ptr<RecruitBase> MakeRecruit()
    {
        auto recruit = std::make_unique<RecruitBase>();
        recruit->inventory = std::make_unique<InventoryBase>();
        return recruit;
    }

    // A recruit with every field set; the unknown id and the -1 are written as empty names.
    std::unique_ptr<RecruitBase> Filled()
    {
        auto recruit = MakeRecruit();
        recruit->inventory->ResizeBag(InventoryGroupIndex::Bag1, 4);
        recruit->definitionEntry = Id("Wolf");
        for (int32_t i = 0; i < RecruitBase::kStatCount; ++i)
            recruit->stats.Set(i, 1000 + i);
        recruit->entryList = {Id("Fangs"), -1, 0x7FFF1234};
        recruit->idList = {Id("Bite"), -1};
        recruit->extraValue = 0xDEADBEEF;
        return recruit;
    }

    // Every stat 7, so that a short record shows which stats it left alone.
    void Preset(RecruitBase& recruit)
    {
        for (int32_t i = 0; i < RecruitBase::kStatCount; ++i)
            recruit.stats.Set(i, 7);
    }

    // A record as a writer of that version made it: the definition by id or name, n stat
    // values with or without their count, an inventory with one four-slot bag, two enhancement
    // names, the seed and one skill name.
    MessageBuffer OldRecord(int32_t version, int32_t statCount)
    {
        MessageBuffer buffer;
        if (version >= RecruitBase::kVersionNamedDefinition)
            buffer.WriteString("Wolf");
        else
            buffer.WriteInt(Id("Wolf"));
        if (version >= RecruitBase::kVersionCountedStats)
            buffer.WriteInt(statCount);
        for (int32_t i = 0; i < statCount; ++i)
            buffer.WriteInt(500 + i);
        InventoryBase inventory;
        inventory.ResizeBag(InventoryGroupIndex::Bag1, 4);
        inventory.Write(buffer, version >= RecruitBase::kVersionNamedDefinition);
        buffer.WriteUInt(2);
        buffer.WriteString("Fangs");
        buffer.WriteString("");
        buffer.WriteUInt(42);
        buffer.WriteUInt(1);
        buffer.WriteString("Bite");
        return buffer;
    }

    void ExpectUnchanged(const RecruitBase& recruit)
    {
        EXPECT_EQ(recruit.definitionEntry, -1);
        EXPECT_EQ(recruit.stats.Get(0), 7);
        EXPECT_TRUE(recruit.entryList.empty());
        EXPECT_TRUE(recruit.idList.empty());
        EXPECT_EQ(recruit.extraValue, 0u);
    }
};

} // namespace

TEST_F(RecruitRecords, WritesItsFieldsInOrderByName)
{
    MessageBuffer buffer;
    Filled()->Write(buffer);

    MessageBuffer expected;
    expected.WriteString("Wolf");
    expected.WriteInt(RecruitBase::kStatCount);
    for (int32_t i = 0; i < RecruitBase::kStatCount; ++i)
        expected.WriteInt(1000 + i);
    InventoryBase inventory;
    inventory.ResizeBag(InventoryGroupIndex::Bag1, 4);
    inventory.Write(expected, true);
    expected.WriteUInt(3);
    expected.WriteString("Fangs");
    expected.WriteString("");
    expected.WriteString("");
    expected.WriteUInt(0xDEADBEEF);
    expected.WriteUInt(2);
    expected.WriteString("Bite");
    expected.WriteString("");
    ASSERT_EQ(buffer.Size(), expected.Size());
    EXPECT_TRUE(std::equal(buffer.Data(), buffer.Data() + buffer.Size(), expected.Data()));
}

TEST_F(RecruitRecords, RoundTripKeepsEveryFieldAndDropsUnknownIds)
{
    MessageBuffer buffer;
    Filled()->Write(buffer);
    auto read = MakeRecruit();
    ASSERT_TRUE(read->Read(RecruitBase::kVersionCountedStats, buffer));
    EXPECT_EQ(buffer.BytesLeft(), 0u);
    EXPECT_EQ(read->definitionEntry, Id("Wolf"));
    EXPECT_EQ(read->stats.Get(113), 1113);
    EXPECT_EQ(read->entryList, (std::vector<int32_t>{Id("Fangs"), -1, -1}));
    EXPECT_EQ(read->GetNumIds(), 2);
    EXPECT_EQ(read->GetId(0), Id("Bite"));
    EXPECT_EQ(read->GetId(-1), -1);
    EXPECT_EQ(read->GetId(2), -1);
    EXPECT_EQ(read->extraValue, 0xDEADBEEFu);
    EXPECT_EQ(read->inventory->GetSlotCount(InventoryGroupIndex::Bag1), 4);

    // A recruit without an inventory still writes a readable record, and reads one.
    RecruitBase bare;
    MessageBuffer bareBuffer;
    bare.Write(bareBuffer);
    RecruitBase other;
    EXPECT_TRUE(other.Read(RecruitBase::kVersionCountedStats, bareBuffer));
    EXPECT_EQ(bareBuffer.BytesLeft(), 0u);
}

TEST_F(RecruitRecords, EveryOlderVersionReadsIntoTheFullStatArray)
{
    struct Case {
        int32_t version;
        int32_t storedStats;
    };
    for (Case test : {Case{1, 111}, Case{12, 111}, Case{13, 112}, Case{37, 112}, Case{38, 112}, Case{40, 112},
                      Case{41, 113}, Case{42, 113}, Case{43, 114}, Case{49, 114}, Case{50, 100}, Case{51, 120}}) {
        SCOPED_TRACE(test.version);
        MessageBuffer buffer = OldRecord(test.version, test.storedStats);
        auto recruit = MakeRecruit();
        Preset(*recruit);
        ASSERT_TRUE(recruit->Read(test.version, buffer));
        EXPECT_EQ(buffer.BytesLeft(), 0u);
        EXPECT_EQ(recruit->definitionEntry, Id("Wolf"));
        for (int32_t i = 0; i < RecruitBase::kStatCount; ++i)
            ASSERT_EQ(recruit->stats.Get(i), i < test.storedStats ? 500 + i : 7) << i;
        EXPECT_EQ(recruit->entryList, (std::vector<int32_t>{Id("Fangs"), -1}));
        EXPECT_EQ(recruit->extraValue, 42u);
        EXPECT_EQ(recruit->idList, std::vector<int32_t>{Id("Bite")});
        EXPECT_EQ(recruit->inventory->GetSlotCount(InventoryGroupIndex::Bag1), 4);
    }
    EXPECT_EQ(RecruitBase::GetStoredStatCount(12), 111);
    EXPECT_EQ(RecruitBase::GetStoredStatCount(43), 114);
}

TEST_F(RecruitRecords, RenamedRecordsReadBackAsMissing)
{
    MessageBuffer buffer;
    Filled()->Write(buffer);
    // The same records in another order, with the wolf renamed.
    Load({{"records.dbr", Records({"Bite: Type Object", "Fangs: Type Object", "Wolfling: Type Object"})}});
    auto read = MakeRecruit();
    ASSERT_TRUE(read->Read(RecruitBase::kVersionCountedStats, buffer));
    EXPECT_EQ(read->definitionEntry, -1);
    EXPECT_EQ(read->entryList[0], Id("Fangs"));
    EXPECT_EQ(read->idList[0], Id("Bite"));
}

TEST_F(RecruitRecords, DamagedRecordsAreRefusedAndChangeNothing)
{
    MessageBuffer whole;
    Filled()->Write(whole);
    std::vector<uint8_t> bytes(whole.Data(), whole.Data() + whole.Size());
    // Cut anywhere: refused. A flipped bit: any answer, but no crash and no read past the record.
    for (size_t cut = 0; cut < bytes.size(); ++cut) {
        MessageBuffer buffer;
        buffer.WriteBytes(bytes.data(), cut);
        auto recruit = MakeRecruit();
        Preset(*recruit);
        ASSERT_FALSE(recruit->Read(RecruitBase::kVersionCountedStats, buffer)) << cut;
        ExpectUnchanged(*recruit);
        std::vector<uint8_t> flipped = bytes;
        flipped[cut] ^= static_cast<uint8_t>(1u << (cut % 8));
        MessageBuffer flippedBuffer;
        flippedBuffer.WriteBytes(flipped.data(), flipped.size());
        recruit->Read(RecruitBase::kVersionCountedStats, flippedBuffer);
    }

    // Hostile counts in place of the enhancement count (just after the inventory).
    // The tail: count, "Fangs", "", "", seed, count, "Bite", "".
    size_t countAt = bytes.size() - (4 + 6 + 1 + 1 + 4 + 4 + 5 + 1);
    for (uint32_t count : {0xFFFFFFFFu, 0x80000000u, 0x7FFFFFFFu, 2000u}) {
        std::vector<uint8_t> hostile = bytes;
        for (int i = 0; i < 4; ++i)
            hostile[countAt + static_cast<size_t>(i)] = static_cast<uint8_t>(count >> (8 * i));
        if (count == 2000u)
            hostile.resize(hostile.size() + 4000, 0);  // enough bytes: only the maximum refuses it
        MessageBuffer buffer;
        buffer.WriteBytes(hostile.data(), hostile.size());
        auto recruit = MakeRecruit();
        Preset(*recruit);
        EXPECT_FALSE(recruit->Read(RecruitBase::kVersionCountedStats, buffer)) << count;
        ExpectUnchanged(*recruit);
    }
}
