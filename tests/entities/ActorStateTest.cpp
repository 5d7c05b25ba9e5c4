// ActorStateTest -- the actor's bytes: the client state's order, the saved state and the quests' record round trips, corpses read back, and every form cut and damaged.
#include "entities/ActorWorld.h"

#include "core/MessageBuffer.h"
#include "support/LogLines.h"
#include "entities/SkillList.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

class ActorState : public ActorWorld {
protected:
    static MessageBuffer Cut(const MessageBuffer& whole, size_t length)
    {
        MessageBuffer cut;
        cut.WriteBytes(whole.Data(), length);
        return cut;
    }
};

} // namespace

TEST_F(ActorState, NetStateFollowsTheSentientPartInOrder)
{
    Actor* actor = SpawnActor("MonsterTester", 7);
    actor->summoned = true;
    actor->spawnCategory = 2;
    actor->SetNameSeed(0xabcdu);
    MessageBuffer buffer;
    actor->WriteNetState(buffer);
    buffer.SetReadPos(10 * 4);  // the ten shown equipment slots
    EXPECT_EQ(buffer.ReadInt(), actor->GetStat(CharacterStat::Power));
    EXPECT_EQ(buffer.ReadInt(), actor->GetStat(CharacterStat::MaxPower));
    EXPECT_EQ(buffer.ReadInt(), 100);
    EXPECT_TRUE(buffer.ReadBool());
    EXPECT_EQ(buffer.ReadInt(), 2);
    std::vector<int32_t> quests;
    EXPECT_TRUE(buffer.ReadIntVector(quests));
    EXPECT_TRUE(quests.empty());
    EXPECT_EQ(buffer.ReadUInt(), 0xabcdu);
    EXPECT_EQ(buffer.ReadInt(), 7);
    EXPECT_EQ(buffer.BytesLeft(), 0u);
}

TEST_F(ActorState, SavedStateRoundTripsAndADeadActorReturnsAsACorpse)
{
    Actor* actor = SpawnActor();
    actor->health = 17;
    MessageBuffer buffer;
    actor->WriteSaved(buffer);
    Actor* copy = SpawnActor();
    ASSERT_TRUE(copy->ReadSaved(buffer, 1));
    EXPECT_EQ(copy->health, 17);
    EXPECT_EQ(copy->GetDeathState(), ActorDeathState::kAlive);

    actor->health = 0;
    MessageBuffer dead;
    actor->WriteSaved(dead);
    Actor* corpse = SpawnActor();
    ASSERT_TRUE(corpse->ReadSaved(dead, 1));
    EXPECT_EQ(corpse->GetDeathState(), ActorDeathState::kDead);
    EXPECT_TRUE(corpse->deathTimer.running);
    EXPECT_FLOAT_EQ(corpse->deathTimer.remaining, 4.0f);
    EXPECT_FALSE(corpse->netFlag);
}

TEST_F(ActorState, ExtraStateVersionsReadWhatTheyHold)
{
    Actor* actor = SpawnActor();
    actor->SetNameSeed(77);
    actor->health = actor->maxHealth / 2;
    actor->gameFlag = true;
    MessageBuffer buffer;
    actor->WriteExtraState(buffer);
    for (int32_t version : {7, 8, 31}) {
        Actor* copy = SpawnActor();
        int32_t before = copy->health;
        buffer.SetReadPos(0);
        ASSERT_TRUE(copy->ReadExtraState(buffer, version)) << version;
        EXPECT_EQ(copy->GetNameSeed(), 77u);
        EXPECT_EQ(copy->health, version > 7 ? actor->maxHealth / 2 : before) << version;
        EXPECT_EQ(copy->gameFlag, version > 30) << version;
    }
}

TEST_F(ActorState, AnUnusableRatioIsClamped)
{
    for (float ratio : {std::numeric_limits<float>::quiet_NaN(), 5.0f, -3.0f, std::numeric_limits<float>::infinity()}) {
        MessageBuffer buffer;
        buffer.WriteUInt(1);
        buffer.WriteFloat(ratio);
        buffer.WriteBool(false);
        Actor* actor = SpawnActor();
        ASSERT_TRUE(actor->ReadExtraState(buffer, 31));
        EXPECT_GE(actor->health, 0);
        EXPECT_LE(actor->health, actor->maxHealth);
        EXPECT_EQ(actor->health, ratio == 5.0f ? actor->maxHealth : 0) << ratio;
    }
}

TEST_F(ActorState, RecordsRoundTripWithSkillsFromVersionForty)
{
    Actor* actor = SpawnActor("MonsterSpender", 6);
    actor->spawnCategory = 3;
    actor->SetNameSeed(4242);
    MessageBuffer buffer;
    Actor::WriteRecord(*actor, buffer);
    for (int32_t version : {39, 40}) {
        buffer.SetReadPos(0);
        Actor copy;
        ASSERT_TRUE(Actor::ReadRecord(copy, buffer, version)) << version;
        EXPECT_EQ(copy.GetMonsterType(), actor->GetMonsterType());
        EXPECT_EQ(copy.GetStat(CharacterStat::Level), 6);
        EXPECT_EQ(copy.spawnCategory, 3);
        EXPECT_EQ(copy.GetNameSeed(), 4242u);
        EXPECT_EQ(copy.skillList->GetSkills().size(), actor->skillList->GetSkills().size());
        EXPECT_EQ(buffer.BytesLeft() == 0, version >= 40) << version;
    }
}

TEST_F(ActorState, ARecordOfAnUnknownTypeIsRefused)
{
    MessageBuffer buffer;
    buffer.WriteString("MonsterNobody");
    buffer.WriteInt(3);
    buffer.WriteInt(0);
    buffer.WriteInt(0);
    buffer.WriteUInt(1);
    Actor copy;
    EXPECT_FALSE(Actor::ReadRecord(copy, buffer, 39));
    EXPECT_EQ(copy.GetMonsterType(), nullptr);
    EXPECT_EQ(CountLinesHolding(debug, "MonsterNobody"), 1);
}

TEST_F(ActorState, EveryFormCutAtEveryOffsetIsRefusedUnchanged)
{
    Actor* actor = SpawnActor("MonsterSpender", 4);
    MessageBuffer saved, extra, record;
    actor->WriteSaved(saved);
    actor->WriteExtraState(extra);
    Actor::WriteRecord(*actor, record);
    for (size_t length = 0; length < saved.Size(); ++length) {
        MessageBuffer cut = Cut(saved, length);
        EXPECT_FALSE(actor->ReadSaved(cut, 1)) << length;
    }
    for (size_t length = 0; length < extra.Size(); ++length) {
        MessageBuffer cut = Cut(extra, length);
        EXPECT_FALSE(actor->ReadExtraState(cut, 31)) << length;
    }
    for (size_t length = 0; length < record.Size(); ++length) {
        MessageBuffer cut = Cut(record, length);
        Actor copy;
        EXPECT_FALSE(Actor::ReadRecord(copy, cut, 40)) << length;
        EXPECT_EQ(copy.GetMonsterType(), nullptr) << length;
    }
}

TEST_F(ActorState, HostileCountsAreRefused)
{
    for (int32_t count : {-1, 1 << 30, std::numeric_limits<int32_t>::max()}) {
        MessageBuffer buffer;
        buffer.WriteString("MonsterTester");
        buffer.WriteInt(3);
        buffer.WriteInt(0);
        buffer.WriteInt(count);
        buffer.WriteUInt(1);
        Actor copy;
        EXPECT_FALSE(Actor::ReadRecord(copy, buffer, 40)) << count;
        EXPECT_EQ(copy.GetMonsterType(), nullptr);
    }
}

TEST_F(ActorState, NamesComeFromTheSeedOrTheMonsterType)
{
    Actor* plain = SpawnActor("MonsterTester");
    EXPECT_EQ(plain->GetName(), "$$MonsterTester$$");
    Actor* named = SpawnActor("MonsterNamed");
    named->SetNameSeed(5);
    // No name generator in this world: the type's name stands in.
    EXPECT_EQ(named->GetName(), "$$MonsterNamed$$");
}
