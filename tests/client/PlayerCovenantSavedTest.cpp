// PlayerCovenantSavedTest -- the player covenant's block of every character file version read back: recruits by slot, lifestone, money, name, the stored indices and the two lists, each in the form its version wrote.
#include "client/PlayerCovenantClient.h"
#include "client/InventoryClient.h"
#include "client/RecruitClient.h"
#include "core/MessageBuffer.h"

#include "entities/EntityRulesWorld.h"
#include "rules/covenants/CovenantBase.h"

#include <gtest/gtest.h>

namespace {

constexpr const char* kPlayerCovenantSavedRecords = R"(
GameSystem
{
    MaxRecruits 4
}
ClassSavedRecruit
{
    Type Class
}
ArchetypeSavedRecruit
{
    Type MonsterArchetype
}
ActorSavedRecruit
{
    Type Actor
    Class ClassSavedRecruit
}
MonsterSavedRecruit
{
    Type MonsterType
    Archetype ArchetypeSavedRecruit
    Definition ActorSavedRecruit
}
)";

class PlayerCovenantSaved : public EntityRulesWorld {
protected:
    PlayerCovenantSaved() { LoadRecords(kPlayerCovenantSavedRecords); }

    // A recruit's saved record as a file of that version held it.
    void WriteRecruit(MessageBuffer& buffer, int32_t version, int32_t level) const
    {
        const DatabaseEntry* monster = database.FindEntryByName("MonsterSavedRecruit");
        if (version < RecruitBase::kVersionNamedDefinition)
            buffer.WriteInt(monster->GetId());
        else
            buffer.WriteString("MonsterSavedRecruit");
        IntArray stats(RecruitBase::kStatCount);
        stats.Set(CharacterStat::Level, level);
        if (version < RecruitBase::kVersionCountedStats) {
            for (int32_t stat = 0; stat < RecruitBase::GetStoredStatCount(version); ++stat)
                buffer.WriteInt(stats.Get(stat));
        } else {
            stats.Write(buffer);
        }
        InventoryClient().Write(buffer, version >= RecruitBase::kVersionNamedDefinition);
        buffer.WriteUInt(0);
        buffer.WriteUInt(0);
        buffer.WriteUInt(0);
    }

    // Levels 6 and 7 in the first two records; files of versions 2 to 46 hold five slots, the
    // second record in slot 4, past this game's four.
    MessageBuffer Block(int32_t version) const
    {
        MessageBuffer buffer;
        if (version < PlayerCovenantClient::kSavedSlotsVersion || version >= PlayerCovenantClient::kSavedSlotCountVersion) {
            buffer.WriteInt(2);
            WriteRecruit(buffer, version, 6);
            WriteRecruit(buffer, version, 7);
        } else {
            for (int32_t slot = 0; slot < PlayerCovenantClient::kOldSavedSlots; ++slot) {
                bool present = slot == 0 || slot == 4;
                buffer.WriteBool(present);
                if (present)
                    WriteRecruit(buffer, version, slot == 0 ? 6 : 7);
            }
        }
        buffer.WriteInt(30);
        buffer.WriteInt(60);
        buffer.WriteInt(77);
        if (version >= PlayerCovenantClient::kSavedNameVersion)
            buffer.WriteString("Old Hall");
        if (version >= PlayerCovenantClient::kSavedIndicesVersion) {
            buffer.WriteInt(2);
            buffer.WriteInt(5);
        }
        if (version >= PlayerCovenantClient::kSavedNameVersion) {
            IntArray totals(PlayerCovenantClient::kTrackedValues);
            totals.Set(0, 9);
            IntArray statistics(CovenantStat::kCount);
            for (int32_t stat = 0; stat < CovenantStat::kCount; ++stat)
                statistics.Set(stat, 200 + stat);
            if (version >= PlayerCovenantClient::kSavedCountedListsVersion) {
                totals.Write(buffer);
                statistics.Write(buffer);
            } else {
                totals.WriteValues(buffer);
                statistics.WriteValues(buffer);
            }
        }
        buffer.SetReadPos(0);
        return buffer;
    }
};

TEST_F(PlayerCovenantSaved, EveryVersionsBlockReadsInItsOwnForm)
{
    for (int32_t version : {1, 2, 18, 19, 29, 30, 46, 47, 49, 50, 52}) {
        PlayerCovenantClient covenant;
        ASSERT_EQ(covenant.GetRecruitSlots(), 4);
        MessageBuffer block = Block(version);
        ASSERT_TRUE(covenant.ReadSaved(block, version)) << version;
        EXPECT_EQ(block.BytesLeft(), 0u) << version;
        EXPECT_TRUE(covenant.IsLoaded());
        ASSERT_NE(covenant.GetRecruit(0), nullptr) << version;
        EXPECT_EQ(covenant.GetRecruit(0)->stats.Get(CharacterStat::Level), 6) << version;
        bool slotCounted = version < PlayerCovenantClient::kSavedSlotsVersion ||
                           version >= PlayerCovenantClient::kSavedSlotCountVersion;
        EXPECT_EQ(covenant.GetRecruit(1) != nullptr, slotCounted) << version;
        EXPECT_EQ(covenant.GetHomeHealth(), 30) << version;
        EXPECT_EQ(covenant.GetHomeMaxHealth(), 60) << version;
        bool named = version >= PlayerCovenantClient::kSavedNameVersion;
        EXPECT_EQ(covenant.name, named ? "Old Hall" : "Test") << version;
        // The statistics list, where there is one, holds the money as it stood.
        EXPECT_EQ(covenant.statistics.Get(CovenantStat::Money), named ? 210 : 77) << version;
        EXPECT_EQ(covenant.GetTrackedTotal(0), named ? 9 : 0) << version;
        bool indexed = version >= PlayerCovenantClient::kSavedIndicesVersion;
        EXPECT_EQ(covenant.GetStoredIndex(0), indexed ? 2 : -1) << version;
        EXPECT_EQ(covenant.GetStoredIndex(1), indexed ? 5 : -1) << version;
    }
}

TEST_F(PlayerCovenantSaved, EveryCutOfAnOldBlockIsRefused)
{
    for (int32_t version : {1, 30, 46}) {
        MessageBuffer whole = Block(version);
        PlayerCovenantClient covenant;
        for (size_t cut = 0; cut < whole.Size(); ++cut) {
            MessageBuffer part;
            part.WriteBytes(whole.Data(), cut);
            part.SetReadPos(0);
            EXPECT_FALSE(covenant.ReadSaved(part, version)) << version << " " << cut;
        }
        EXPECT_FALSE(covenant.IsLoaded());
        EXPECT_EQ(covenant.GetRecruit(0), nullptr);
        EXPECT_EQ(covenant.name, "");
    }
}

} // namespace
