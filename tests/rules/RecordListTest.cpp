// RecordListTest -- records made from the entries of one type: database order, BaseOnly left out, one load each, case-blind names.
#include "core/DatabaseWorld.h"
#include "core/SimpleData.h"
#include "rules/RecordList.h"

#include <gtest/gtest.h>

namespace {

class CountingRecord : public SimpleData {
public:
    void Load(const DatabaseEntry* loaded) override
    {
        ++loads;
        power = loaded->GetInt("Power");
    }

    int loads = 0;
    int32_t power = 0;
};

using RecordListLoad = DatabaseWorld;

TEST_F(RecordListLoad, OneRecordPerEntryInDatabaseOrder)
{
    Load({{"a.dbr", "Template { Type Skill\n BaseOnly 1\n Power 1 }\n"
                    "Fireball { Base Template }\n"
                    "Sword { Type Item }\n"},
          {"b.dbr", "Heal { Type Skill }\n"}});
    RecordList<CountingRecord> list;
    list.Load(database, DatabaseEntryType::Skill);
    ASSERT_EQ(list.GetCount(), 2);
    EXPECT_EQ(list.Get(0)->GetEntry(), &Entry("Fireball"));
    EXPECT_EQ(list.Get(1)->GetEntry(), &Entry("Heal"));
    EXPECT_EQ(list.Get(0)->loads, 1);
    EXPECT_EQ(list.Get(0)->power, 1);  // the entry was set before Load read it, chain and all
    EXPECT_EQ(list.Get(1)->power, 0);
}

TEST_F(RecordListLoad, LookupsByNameEntryAndIndex)
{
    Load({{"a.dbr", "Fireball { Type Skill }\nHeal { Type Skill }\nTemplate { Type Skill\n BaseOnly 1 }\n"}});
    RecordList<CountingRecord> list;
    list.Load(database, DatabaseEntryType::Skill);
    EXPECT_EQ(list.FindByName("FIREBALL"), list.Get(0));
    EXPECT_EQ(list.FindIndex("heal"), 1);
    EXPECT_EQ(list.FindIndex("Template"), -1);
    EXPECT_EQ(list.FindIndex(""), -1);
    EXPECT_EQ(list.FindByEntry(&Entry("Heal")), list.Get(1));
    EXPECT_EQ(list.FindByEntry(nullptr), nullptr);
    EXPECT_EQ(list.Get(2), nullptr);
    EXPECT_EQ(list.Get(-1), nullptr);

    // Loading again replaces the list and its names.
    Load({{"a.dbr", "Frost { Type Skill }\n"}});
    list.Load(database, DatabaseEntryType::Skill);
    EXPECT_EQ(list.GetCount(), 1);
    EXPECT_EQ(list.FindIndex("Fireball"), -1);
    EXPECT_EQ(list.FindIndex("frost"), 0);
    int visited = 0;
    for (const auto& record : list)
        visited += record->loads;
    EXPECT_EQ(visited, 1);
}

} // namespace
