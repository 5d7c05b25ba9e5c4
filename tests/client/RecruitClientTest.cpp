// RecruitClientTest -- a recruit's blocks both ways against the host's recruit: the join settings' block read back by the host's reader, the update's block of a recruit standing nowhere, and cut or hostile blocks refused without a trace.
#include "client/PlayerClientWorld.h"
#include "client/RecruitClient.h"

#include "covenants/Recruit.h"

#include <climits>

namespace {

constexpr const char* kRecruitClientRecords = R"(
ClassRecruitClient
{
    Type Class
    BaseSpeed 140
}
ArchetypeRecruitClient
{
    Type MonsterArchetype
}
ActorRecruitClient
{
    Type Actor
    Class ClassRecruitClient
}
MonsterRecruitClient
{
    Type MonsterType
    Archetype ArchetypeRecruitClient
    Definition ActorRecruitClient
    MinLevel 1
    MaxLevel 30
}
EnhancementRecruitClient
{
    Type MonsterEnhancement
}
SkillRecruitClient
{
    Type Skill
}
)";

class RecruitClientBlocks : public PlayerClientWorld {
protected:
    void SetUp() override { StartWorldOnly("", kRecruitClientRecords); }

    int32_t Id(const char* record) const { return database.FindEntryByName(record)->GetId(); }

    void Fill(RecruitClient& recruit) const
    {
        recruit.definitionEntry = Id("MonsterRecruitClient");
        for (int32_t stat = 0; stat < RecruitBase::kStatCount; ++stat)
            recruit.stats.Set(stat, 3 * stat + 1);
        recruit.entryList = {Id("EnhancementRecruitClient")};
        recruit.extraValue = 0xC0FFEEu;
        recruit.idList = {Id("SkillRecruitClient"), -1};
    }

    // An update block with list counts n and m, naming entity 42.
    MessageBuffer UpdateBlock(int32_t n, int32_t m) const
    {
        MessageBuffer buffer;
        buffer.WriteInt(Id("MonsterRecruitClient"));
        IntArray(RecruitBase::kStatCount).WriteValues(buffer);
        InventoryClient().Write(buffer, false);
        buffer.WriteInt(42);
        buffer.WriteInt(n);
        for (int32_t i = 0; i < std::min(n, 2); ++i)
            buffer.WriteInt(Id("EnhancementRecruitClient"));
        buffer.WriteUInt(7);
        buffer.WriteInt(m);
        for (int32_t i = 0; i < std::min(m, 2); ++i)
            buffer.WriteInt(Id("SkillRecruitClient"));
        buffer.SetReadPos(0);
        return buffer;
    }
};

TEST_F(RecruitClientBlocks, TheSettingsBlockIsReadWholeByTheHostsRecruit)
{
    RecruitClient recruit;
    Fill(recruit);
    MessageBuffer buffer;
    recruit.WriteSettings(buffer);
    buffer.SetReadPos(0);
    Recruit host;
    bool whole = false;
    ASSERT_TRUE(host.ReadSettings(buffer, whole));
    EXPECT_TRUE(whole);
    EXPECT_EQ(buffer.BytesLeft(), 0u);
    EXPECT_EQ(host.definitionEntry, recruit.definitionEntry);
    EXPECT_EQ(host.stats.GetValues(), recruit.stats.GetValues());
    EXPECT_EQ(host.entryList, recruit.entryList);
    EXPECT_EQ(host.extraValue, 0xC0FFEEu);
    EXPECT_EQ(host.idList, recruit.idList);
}

TEST_F(RecruitClientBlocks, ARecruitStandingNowhereArrivesWithNoEntityAndEmptyLists)
{
    Recruit host;
    host.definitionEntry = Id("MonsterRecruitClient");
    host.stats.Set(CharacterStat::Level, 9);
    host.entryList = {Id("EnhancementRecruitClient")};
    host.extraValue = 5;
    MessageBuffer buffer;
    host.WriteUpdate(buffer);
    buffer.SetReadPos(0);
    RecruitClient recruit;
    recruit.entityNumber = 12;
    ASSERT_TRUE(recruit.ReadUpdate(buffer));
    EXPECT_EQ(buffer.BytesLeft(), 0u);
    EXPECT_EQ(recruit.definitionEntry, Id("MonsterRecruitClient"));
    EXPECT_EQ(recruit.stats.Get(CharacterStat::Level), 9);
    EXPECT_EQ(recruit.entityNumber, -1);
    EXPECT_TRUE(recruit.entryList.empty());
    EXPECT_EQ(recruit.extraValue, 0u);
    EXPECT_TRUE(recruit.idList.empty());
}

TEST_F(RecruitClientBlocks, CutBlocksAndHostileListCountsChangeNothing)
{
    MessageBuffer whole = UpdateBlock(2, 1);
    RecruitClient recruit;
    ASSERT_TRUE(recruit.ReadUpdate(whole));
    EXPECT_EQ(recruit.entityNumber, 42);
    EXPECT_EQ(recruit.entryList.size(), 2u);
    EXPECT_EQ(recruit.extraValue, 7u);
    ASSERT_EQ(recruit.idList.size(), 1u);

    RecruitClient fresh;
    for (size_t cut = 0; cut < whole.Size(); ++cut) {
        MessageBuffer part;
        part.WriteBytes(whole.Data(), cut);
        part.SetReadPos(0);
        EXPECT_FALSE(fresh.ReadUpdate(part)) << cut;
    }
    for (int32_t count : {-1, RecruitBase::kMaxListEntries + 1, INT_MAX}) {
        MessageBuffer badN = UpdateBlock(count, 0);
        EXPECT_FALSE(fresh.ReadUpdate(badN)) << count;
        MessageBuffer badM = UpdateBlock(0, count);
        EXPECT_FALSE(fresh.ReadUpdate(badM)) << count;
    }
    EXPECT_EQ(fresh.definitionEntry, -1);
    EXPECT_EQ(fresh.entityNumber, -1);
    EXPECT_TRUE(fresh.entryList.empty());
}

// The records of one slot, update after update, are read into the same recruit: each leaves it
// as a recruit reading that record fresh would be, whatever the one before held, and a cut one
// between them changes nothing.
TEST_F(RecruitClientBlocks, ARecordReadOverAnEarlierOneTakesOnlyItsOwnFields)
{
    const std::pair<int32_t, int32_t> lists[] = {{2, 2}, {0, 1}, {1, 0}, {0, 0}, {2, 1}};
    auto settings = [](const RecruitClient& recruit) {
        MessageBuffer buffer;
        recruit.WriteSettings(buffer);
        return std::string(reinterpret_cast<const char*>(buffer.Data()), buffer.Size());
    };
    RecruitClient kept;
    for (const auto& [n, m] : lists) {
        MessageBuffer block = UpdateBlock(n, m);
        ASSERT_TRUE(kept.ReadUpdate(block)) << n << " " << m;
        RecruitClient fresh;
        MessageBuffer again = UpdateBlock(n, m);
        ASSERT_TRUE(fresh.ReadUpdate(again));
        EXPECT_EQ(settings(kept), settings(fresh)) << n << " " << m;
        EXPECT_EQ(kept.entryList.size(), static_cast<size_t>(n));
        EXPECT_EQ(kept.idList.size(), static_cast<size_t>(m));
        EXPECT_EQ(kept.entityNumber, 42);
        std::string before = settings(kept);
        MessageBuffer cut;
        cut.WriteBytes(block.Data(), block.Size() - 6);
        cut.SetReadPos(0);
        EXPECT_FALSE(kept.ReadUpdate(cut));
        EXPECT_EQ(settings(kept), before) << n << " " << m;
    }
}

TEST_F(RecruitClientBlocks, TheNameFollowsTheEntityTheRecruitStandsAs)
{
    MakePlayer();
    Join();
    RecruitClient recruit;
    recruit.entityNumber = hostPlayer->entityNumber;
    EntityClient* shown = gameClient->GetEntity(recruit.entityNumber);
    ASSERT_NE(shown, nullptr);
    shown->personalName = "Bram";
    recruit.RefreshName();
    EXPECT_EQ(recruit.displayName, "Bram");
    // The same name seed keeps the name taken; a new one takes the entity's again.
    shown->personalName = "Other";
    recruit.RefreshName();
    EXPECT_EQ(recruit.displayName, "Bram");
    shown->nameSeedKnown = true;
    shown->nameSeed = 99;
    recruit.RefreshName();
    EXPECT_EQ(recruit.displayName, "Other");
    EXPECT_EQ(recruit.nameStamp, 99);
}

} // namespace
