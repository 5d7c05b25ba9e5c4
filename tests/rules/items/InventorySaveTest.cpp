// InventorySaveTest -- inventories and item lists written and read by name and by index, and read back from damaged bytes.
#include "core/MessageBuffer.h"
#include "rules/items/ItemPtrList.h"
#include "ItemWorld.h"

#include <cstring>
#include <functional>

namespace {

using G = InventoryGroupIndex::Value;
using L = EquipedLocation::Value;

class InventorySave : public ItemWorld {
protected:
    InventorySave()
    {
        ItemBase* sword = Plant(source, "Sword", G::Equipment, L::HandPrimary);
        sword->SetQuality(ItemRarity::Uncommon);
        sword->AddAffix(Affix("Keen"), 0.75f);
        sword->AddAffix(Affix("Bear"), 0.25f);
        Plant(source, "Tonic", G::Bag1, 3, 4);
        Plant(source, "Ward", G::House, 1)->SetGuardHealth(77);
        Plant(source, "Idol", G::House, 5)->SetLevel(12);
        ItemBase* crown = Plant(source, "Crown", G::Bag4, 7);
        crown->SetIdentified(true);
        source.ResizeBag(G::Backup, 0);
    }

    static std::string Bytes(const MessageBuffer& buffer)
    {
        return std::string(reinterpret_cast<const char*>(buffer.Data()), buffer.Size());
    }

    std::string Written(const InventoryBase& inventory, bool byName)
    {
        MessageBuffer buffer;
        inventory.Write(buffer, byName);
        return Bytes(buffer);
    }

    static MessageBuffer BufferOf(const std::string& bytes)
    {
        MessageBuffer buffer;
        buffer.WriteBytes(bytes.data(), bytes.size());
        return buffer;
    }

    TestInventory source;
};

TEST_F(InventorySave, RoundTripsByNameAndByIndex)
{
    for (bool byName : {true, false}) {
        std::string bytes = Written(source, byName);
        TestInventory copy;
        MessageBuffer buffer = BufferOf(bytes);
        ASSERT_TRUE(copy.Read(buffer, byName, 51)) << byName;
        EXPECT_EQ(buffer.BytesLeft(), 0u);
        EXPECT_EQ(Written(copy, byName), bytes) << byName;
        const ItemBase* sword = copy.GetItem(G::Equipment, L::HandPrimary);
        ASSERT_NE(sword, nullptr);
        EXPECT_EQ(sword->GetAffixes().size(), 2u);
        EXPECT_EQ(sword->GetIntAt(CharacterStat::Strength), 5);
        EXPECT_EQ(sword->GetRequiredLevel(), 5);
        EXPECT_EQ(sword->GetGroup(), G::Equipment);
        EXPECT_EQ(copy.GetItem(G::House, 1)->GetGuardHealth(), 77);
        EXPECT_EQ(copy.GetItem(G::House, 1)->GetGuardRecord(), database.FindEntryByName("Warden"));
        EXPECT_EQ(copy.GetItem(G::House, 5)->GetLevel(), 12);
        EXPECT_EQ(copy.GetItem(G::Bag1, 3)->GetStackCount(), 4);
        EXPECT_EQ(copy.GetSlotCount(G::Backup), 0);
    }
}

// Every quality, with and without affixes, reads back as it was written: stats, value and
// name included.
TEST_F(InventorySave, EveryQualityRoundTripsWithAndWithoutAffixes)
{
    for (int32_t quality = 0; quality < ItemRarity::kCount; ++quality) {
        for (int32_t affixCount : {0, 1, 2}) {
            auto sword = Make("Sword");
            sword->SetQuality(quality);
            sword->SetIdentified(true);
            for (const char* name : {"Keen", "Bear"}) {
                if (static_cast<int32_t>(sword->GetAffixes().size()) < affixCount)
                    sword->AddAffix(Affix(name), 0.5f);
            }
            for (bool byName : {true, false}) {
                MessageBuffer buffer;
                sword->Write(buffer, byName);
                ItemBase copy;
                ASSERT_TRUE(copy.Read(buffer, byName)) << quality;
                EXPECT_EQ(copy.GetQuality(), sword->GetQuality()) << quality << " " << affixCount;
                EXPECT_EQ(copy.GetAffixes().size(), sword->GetAffixes().size()) << quality << " " << affixCount;
                EXPECT_EQ(copy.GetIntAt(CharacterStat::Strength), sword->GetIntAt(CharacterStat::Strength));
                EXPECT_EQ(copy.GetValue(false), sword->GetValue(false)) << quality << " " << affixCount;
                EXPECT_EQ(copy.GetDisplayName(), sword->GetDisplayName());
            }
        }
    }
}

TEST_F(InventorySave, RecordLayoutIsFixed)
{
    TestInventory one;
    for (int32_t bag = 0; bag < InventoryBase::kBagCount; ++bag)
        one.ResizeBag(bag, 0);
    one.ResizeBag(G::Bag1, 1);
    Plant(one, "Tonic", G::Bag1, 0, 2);
    MessageBuffer buffer;
    one.Write(buffer, true);
    buffer.SetReadPos(0);
    EXPECT_EQ(buffer.ReadInt(), 27);
    EXPECT_EQ(buffer.ReadInt(), 0);  // Main
    EXPECT_EQ(buffer.ReadInt(), 0);  // Equipment
    EXPECT_EQ(buffer.ReadInt(), 1);  // Bag1: one slot
    EXPECT_EQ(buffer.ReadRaw32(), 1u);
    EXPECT_EQ(buffer.ReadString(), "Tonic");
    EXPECT_EQ(buffer.ReadRaw32(), 0u);  // not identified
    EXPECT_EQ(buffer.ReadInt(), 0);     // no affixes
    for (int32_t word : {0, 1, 0, 2, 0})  // quality Normal, level 1, no requirement, 2 stacked, no guard health
        EXPECT_EQ(buffer.ReadInt(), word);
    EXPECT_EQ(buffer.ReadString(), "");  // no guard
    EXPECT_EQ(buffer.ReadRaw32(), 0u);
    EXPECT_EQ(buffer.BytesLeft(), 24u * 4u);  // the 24 empty bags after it
}

TEST_F(InventorySave, UnknownDefinitionsAreDroppedAndTheRestReads)
{
    std::string bytes = Written(source, true);
    size_t at = bytes.find("Tonic");
    ASSERT_NE(at, std::string::npos);
    bytes.replace(at, 5, "Tunic");
    at = bytes.find("Bear");
    bytes.replace(at, 4, "Boar");
    TestInventory copy;
    MessageBuffer buffer = BufferOf(bytes);
    ASSERT_TRUE(copy.Read(buffer, true, 51));
    EXPECT_EQ(copy.GetItem(G::Bag1, 3), nullptr);
    EXPECT_EQ(copy.GetItem(G::Equipment, L::HandPrimary)->GetAffixes().size(), 1u);
    EXPECT_NE(copy.GetItem(G::Bag4, 7), nullptr);
}

// A record cut anywhere is refused and changes nothing; one with a flipped bit may read, but
// never past its bytes.
TEST_F(InventorySave, CutAndFlippedRecordsAreSurvived)
{
    for (bool byName : {true, false}) {
        std::string bytes = Written(source, byName);
        TestInventory target;
        Plant(target, "Helm", G::Bag2, 0);
        std::string before = Written(target, true);
        for (size_t cut = 0; cut < bytes.size(); ++cut) {
            MessageBuffer buffer = BufferOf(bytes.substr(0, cut));
            ASSERT_FALSE(target.Read(buffer, byName, 51)) << cut;
        }
        EXPECT_EQ(Written(target, true), before);
        for (size_t bit = 0; bit < bytes.size() * 8; bit += 3) {
            std::string flipped = bytes;
            flipped[bit / 8] = static_cast<char>(flipped[bit / 8] ^ (1 << (bit % 8)));
            TestInventory other;
            MessageBuffer buffer = BufferOf(flipped);
            if (other.Read(buffer, byName, 51))
                Written(other, true);
        }
    }
}

TEST_F(InventorySave, HostileCountsAndWordsAreRefused)
{
    std::string bytes = Written(source, false);
    auto withWord = [&](size_t offset, int32_t word) {
        std::string changed = bytes;
        std::memcpy(changed.data() + offset, &word, 4);
        return changed;
    };
    // Offsets: 0 the bag count, 4 Main's slot count; Equipment's first cell word follows its
    // slot count at 12 + 4 x 8 (Main's eight empty cells).
    size_t equipment = 4 + 4 + 8 * 4;
    size_t firstCell = equipment + 4 + 14 * 4;  // HandPrimary, the sword
    const std::pair<size_t, int32_t> faults[] = {
        {0, 28}, {0, -1}, {0, INT32_MAX}, {4, -5}, {4, InventoryBase::kMaxBagSlots + 1}, {4, INT32_MAX},
        {equipment, 1 << 20}, {firstCell, 2}, {firstCell + 4 + 4 + 4, 9}, {firstCell + 4 + 4 + 4, -1},
        {firstCell + 4 + 4 + 4, 1 << 28},
    };
    for (const auto& [offset, word] : faults) {
        TestInventory target;
        MessageBuffer buffer = BufferOf(withWord(offset, word));
        EXPECT_FALSE(target.Read(buffer, false, 51)) << offset << " " << word;
        EXPECT_EQ(target.CountItems(G::Bag1), 0);
    }
}

TEST_F(InventorySave, ItemListsRoundTripAndReadOldFiles)
{
    ItemPtrList list;
    list.Add(3, 0);
    list.Add(7, 2);
    list.Find(7, 2)->flag = true;
    MessageBuffer buffer;
    list.Write(buffer);
    ItemPtrList copy;
    ASSERT_TRUE(copy.Read(buffer, 51));
    EXPECT_EQ(copy.GetCount(), 2);
    EXPECT_TRUE(copy.Find(7, 2)->flag);
    EXPECT_EQ(copy.Find(7, 0), nullptr);
    // What was read is the list: making it ready from the definitions later keeps it.
    EXPECT_TRUE(copy.IsLoaded());
    ItemPtrList definitions;
    definitions.Add(5, 0);
    copy.EnsureLoaded(definitions);
    EXPECT_EQ(copy.GetCount(), 2);
    EXPECT_TRUE(copy.Find(7, 2)->flag);

    MessageBuffer old;  // before version 14 an entry is a number and a flag
    old.WriteInt(1);
    old.WriteInt(9);
    old.WriteRaw32(1);
    ItemPtrList oldCopy;
    ASSERT_TRUE(oldCopy.Read(old, 13));
    EXPECT_TRUE(oldCopy.Find(9, 0)->flag);

    std::string bytes = Bytes(buffer);
    for (size_t cut = 0; cut < bytes.size(); ++cut) {
        MessageBuffer cutBuffer = BufferOf(bytes.substr(0, cut));
        ASSERT_FALSE(copy.Read(cutBuffer, 51)) << cut;
    }
    for (int32_t count : {-1, ItemPtrList::kMaxEntries + 1, INT32_MAX}) {
        MessageBuffer hostile;
        hostile.WriteInt(count);
        hostile.WriteBytes(std::string(64, '\0').data(), 64);
        EXPECT_FALSE(copy.Read(hostile, 51)) << count;
    }
    EXPECT_EQ(copy.GetCount(), 2);
}

TEST_F(InventorySave, ReadyListsTakeOnlyFlagsByPositionOrByNumber)
{
    ItemPtrList gates;
    for (int32_t level : {1, 2, 3})
        gates.Add(level, 0);
    MessageBuffer saved;  // one entry: level 3, flagged
    for (int32_t word : {1, 3, 0})
        saved.WriteInt(word);
    saved.WriteRaw32(1);

    ItemPtrList plain, flags(true);
    plain.EnsureLoaded(gates);
    flags.EnsureLoaded(gates);
    ASSERT_TRUE(plain.Read(saved, 51));
    saved.SetReadPos(0);
    ASSERT_TRUE(flags.Read(saved, 51));
    EXPECT_EQ(plain.GetCount(), 3);
    EXPECT_TRUE(plain.Get(2)->flag);
    EXPECT_TRUE(flags.Get(0)->flag);
    EXPECT_FALSE(flags.Get(2)->flag);

    MessageBuffer words;
    flags.WriteFlags(words);
    EXPECT_EQ(words.Size(), 12u);
    ASSERT_TRUE(plain.ReadFlags(words));
    EXPECT_TRUE(plain.Get(0)->flag);
    MessageBuffer shortWords;
    shortWords.WriteInt(0);
    EXPECT_FALSE(plain.ReadFlags(shortWords));
    EXPECT_TRUE(plain.Get(0)->flag);
}

// What the source becomes in each case: an inventory read into the items of an earlier read must
// come out as one read fresh, with nothing of the earlier items left in it.
struct InventorySaveChange {
    const char* name;
    std::function<void(TestInventory&)> change;
};

TEST_F(InventorySave, ReadingAgainKeepsOnlyTheItemsWrittenAsTheyAre)
{
    const InventorySaveChange changes[] = {
        {"the same again", [](TestInventory&) {}},
        {"the sword plain: no affixes, normal",
         [this](TestInventory& inventory) {
             inventory.DeleteAt(G::Equipment, L::HandPrimary);
             Plant(inventory, "Sword", G::Equipment, L::HandPrimary);
         }},
        {"another item in the tonic's cell",
         [this](TestInventory& inventory) {
             inventory.DeleteAt(G::Bag1, 3);
             Plant(inventory, "Crown", G::Bag1, 3);
         }},
        {"the ward's guard fallen, the idol gone, the crown unidentified",
         [this](TestInventory& inventory) {
             inventory.DeleteAt(G::House, 1);
             Plant(inventory, "Ward", G::House, 1);
             inventory.DeleteAt(G::House, 5);
             inventory.DeleteAt(G::Bag4, 7);
             Plant(inventory, "Crown", G::Bag4, 7);
         }},
        {"bags grown and shrunk",
         [this](TestInventory& inventory) {
             inventory.DeleteAt(G::Bag4, 7);
             inventory.ResizeBag(G::Bag4, 2);
             inventory.ResizeBag(G::Bag1, 20);
             Plant(inventory, "Tonic", G::Bag1, 19, 9);
         }},
        {"everything gone", [](TestInventory& inventory) { inventory.DeleteAll(); }},
    };
    for (bool byName : {true, false}) {
        std::string first = Written(source, byName);
        for (const InventorySaveChange& change : changes) {
            TestInventory changed;
            changed.CopyFrom(source);
            change.change(changed);
            std::string second = Written(changed, byName);
            TestInventory target;
            // Twice, so that the items the next read takes are those of the first read.
            const ItemBase* sword = nullptr;
            for (int read = 0; read < 2; ++read) {
                MessageBuffer buffer = BufferOf(first);
                ASSERT_TRUE(target.Read(buffer, byName, 51)) << change.name;
                if (read == 0)
                    sword = target.GetItem(G::Equipment, L::HandPrimary);
            }
            MessageBuffer buffer = BufferOf(second);
            ASSERT_TRUE(target.Read(buffer, byName, 51)) << change.name;
            EXPECT_EQ(Written(target, byName), second) << change.name << " " << byName;
            TestInventory fresh;
            MessageBuffer again = BufferOf(second);
            ASSERT_TRUE(fresh.Read(again, byName, 51));
            EXPECT_EQ(Written(fresh, byName), second) << change.name;
            if (const ItemBase* read = target.GetItem(G::Equipment, L::HandPrimary)) {
                EXPECT_EQ(read->GetAffixes().size(), fresh.GetItem(G::Equipment, L::HandPrimary)->GetAffixes().size());
                EXPECT_EQ(read->GetIntAt(CharacterStat::Strength),
                          fresh.GetItem(G::Equipment, L::HandPrimary)->GetIntAt(CharacterStat::Strength))
                    << change.name;
                // The sword read two reads ago is the one this read filled: no new item was made.
                EXPECT_EQ(read, sword) << change.name;
            }
            // And back: the first inventory again, whole.
            MessageBuffer back = BufferOf(first);
            ASSERT_TRUE(target.Read(back, byName, 51));
            EXPECT_EQ(Written(target, byName), first) << change.name;
        }
    }
}

// A cut update read over a held inventory is refused: the items stay where they were, the same
// items (what the screens point at), and the next whole read takes them as usual.
TEST_F(InventorySave, ACutReadAgainLeavesTheHeldItemsInPlace)
{
    TestInventory changed;
    changed.CopyFrom(source);
    changed.DeleteAt(G::Bag1, 3);
    Plant(changed, "Helm", G::Bag1, 3);
    Plant(changed, "Tonic", G::Bag2, 0, 3);
    for (bool byName : {true, false}) {
        std::string first = Written(source, byName);
        std::string second = Written(changed, byName);
        TestInventory target;
        for (int read = 0; read < 2; ++read) {
            MessageBuffer buffer = BufferOf(first);
            ASSERT_TRUE(target.Read(buffer, byName, 51));
        }
        const ItemBase* sword = target.GetItem(G::Equipment, L::HandPrimary);
        const ItemBase* tonic = target.GetItem(G::Bag1, 3);
        for (size_t cut = 0; cut < second.size(); ++cut) {
            MessageBuffer buffer = BufferOf(second.substr(0, cut));
            ASSERT_FALSE(target.Read(buffer, byName, 51)) << cut;
            ASSERT_EQ(target.GetItem(G::Equipment, L::HandPrimary), sword) << cut;
            ASSERT_EQ(target.GetItem(G::Bag1, 3), tonic) << cut;
        }
        EXPECT_EQ(Written(target, byName), first);
        MessageBuffer buffer = BufferOf(second);
        ASSERT_TRUE(target.Read(buffer, byName, 51));
        EXPECT_EQ(Written(target, byName), second);
        EXPECT_EQ(target.GetItem(G::Bag1, 3)->GetDefinition(), changed.GetItem(G::Bag1, 3)->GetDefinition());
    }
}

} // namespace
