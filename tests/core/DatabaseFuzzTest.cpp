// DatabaseFuzzTest -- truncated and randomly linked record files: every load ends, nothing
// is read outside its bytes, and every chain stays well formed.
#include "DatabaseWorld.h"

#include <random>
#include <set>

namespace {

const char* const kRecords = R"(// A small database with every construct in it.
Template
{
    Type Item
    BaseOnly 1
    Damage 4
    Tag "sharp edge"
}
Sword { Base Template
    Damage 7
    Tag heavy
}
Axe
{
    Type Sword
    Base Template /* comment */
    Ratio 0.5
}
"Quoted Name"
{
    Tag "say \"x\""
}
)";

class DatabaseFuzz : public DatabaseWorld {
protected:
    // The invariants every loaded database keeps, however damaged its files were.
    void CheckWellFormed(size_t maxEntries)
    {
        ASSERT_LE(static_cast<size_t>(database.GetEntryCount()), maxEntries);
        for (int32_t file = 0; file < database.GetSubDatabaseCount(); ++file) {
            for (int32_t index = 0;; ++index) {
                const DatabaseEntry* entry = database.GetEntryByIndex((file << 16) | index);
                if (!entry)
                    break;
                CheckEntry(*entry);
            }
        }
        int32_t walked = 0;
        for (int32_t type = 0; type < DatabaseEntryType::kCount; ++type)
            for (const DatabaseEntry* entry = database.GetNextEntryOfType(type); entry;
                 entry = database.GetNextEntryOfType(type, entry))
                ASSERT_LE(++walked, database.GetEntryCount());
    }

    void CheckEntry(const DatabaseEntry& entry)
    {
        ASSERT_EQ(database.FindEntryByName(entry.GetName()), &entry);
        std::set<const DatabaseEntry*> seen = {&entry};
        for (const DatabaseEntry* base : entry.GetBaseChain()) {
            ASSERT_TRUE(seen.insert(base).second) << "an entry appears twice in the chain of " << entry.GetName();
            ASSERT_TRUE(entry.IsDerivedFrom(base));
        }
        ASSERT_LE(seen.size(), 64u);
        std::vector<std::string> values;
        entry.GetStringList("Tag", values, true, false);
        entry.GetString("Damage");
        entry.GetFloat("Ratio", 1.0f);
    }
};

TEST_F(DatabaseFuzz, CutAtEveryOffsetLoadsAPrefix)
{
    const std::string text = kRecords;
    for (size_t cut = 0; cut <= text.size(); ++cut) {
        Load({{"cut.dbr", text.substr(0, cut)}});
        ASSERT_NO_FATAL_FAILURE(CheckWellFormed(4)) << "cut at " << cut;
    }
    // Axe's base chain comes before its type entry's, so Template's damage wins over Sword's.
    EXPECT_EQ(Entry("Axe").GetType(), DatabaseEntryType::Item);
    EXPECT_EQ(Entry("Axe").GetInt("Damage"), 4);
    EXPECT_FLOAT_EQ(Entry("Axe").GetFloat("Ratio", 0.0f), 0.5f);
    EXPECT_EQ(Entry("Quoted Name").GetString("Tag"), "say \"x\"");
}

// Records whose Base and Type name one another at random: loops, chains through many
// records, links to names that do not exist, duplicate names.
TEST_F(DatabaseFuzz, RandomInheritanceGraphsResolve)
{
    std::mt19937 random(7);
    for (int round = 0; round < 60; ++round) {
        const int count = 2 + static_cast<int>(random() % 120);
        std::string text;
        for (int i = 0; i < count; ++i) {
            text += "R" + std::to_string(random() % count) + "\n{\n";
            if (random() % 4)
                text += " Base R" + std::to_string(random() % (count + 2)) + "\n";
            if (random() % 3 == 0)
                text += " Type R" + std::to_string(random() % count) + "\n";
            if (random() % 5 == 0)
                text += " Type Item\n";
            text += " Tag " + std::to_string(i) + "\n}\n";
        }
        Load({{"graph.dbr", text}});
        ASSERT_NO_FATAL_FAILURE(CheckWellFormed(static_cast<size_t>(count))) << "round " << round;
    }
}

TEST_F(DatabaseFuzz, LongChainsAreBoundedNotRecursed)
{
    // Each record's base is the next one: far deeper than the call stack would allow.
    const int count = 20000;
    std::string text;
    for (int i = 0; i < count; ++i)
        text += "L" + std::to_string(i) + " { Base L" + std::to_string(i + 1) + " }\n";
    text += "L" + std::to_string(count) + " { Deep 1 }\n";
    Load({{"long.dbr", text}});
    EXPECT_EQ(Entry("L0").GetBaseChain().size(), 63u);
    EXPECT_EQ(Entry("L0").GetInt("Deep", -1), -1);
    EXPECT_EQ(Entry(std::string("L") + std::to_string(count - 5)).GetInt("Deep"), 1);
}

} // namespace
