// IntensityTrackerTest -- combat intensity per music record: the cap, the hysteresis of the choice, the volume edge and enemies without music.
#include "entities/ActorWorld.h"
#include "entities/IntensityTracker.h"
#include "entities/Player.h"
#include "core/MessageBuffer.h"

#include <gtest/gtest.h>

namespace {

class IntensityWorld : public ActorWorld {
protected:
    IntensityWorld()
    {
        LoadRecords(std::string(kActorRecords) + R"(
MusicLoud
{
    Type Music
    IntensityMult 2
    HitIntensity 5
    PainIntensity 10
    IntensityDecreasePerSecond 1
    IntensityDiffToChange 4
    MaxIntensity 100
    MinVolumeIntensity 10
    MaxVolumeIntensity 30
}
MusicCapped
{
    Type Music
    Base MusicLoud
    MaxIntensity 0
}
ActorLoud
{
    Type Actor
    Base ActorTestBase
    Music MusicLoud
}
ActorCapped
{
    Type Actor
    Base ActorTestBase
    Music MusicCapped
}
MonsterLoud
{
    Type MonsterType
    Archetype ArchetypeTest
    Definition ActorLoud
}
MonsterCapped
{
    Type MonsterType
    Archetype ArchetypeTest
    Definition ActorCapped
}
)");
    }

    IntensityTracker tracker;
};

} // namespace

TEST_F(IntensityWorld, AZeroMaximumKeepsTheIntensityAtZero)
{
    Actor* capped = SpawnActor("MonsterCapped");
    tracker.Add(capped, IntensityEvent::Pain);
    ASSERT_NE(tracker.GetRecord(capped), nullptr);
    EXPECT_EQ(tracker.GetRecord(capped)->intensity, 0.0f);
}

TEST_F(IntensityWorld, TheMusicChangesOnlyByAClearLead)
{
    Actor* loud = SpawnActor("MonsterLoud");
    Actor* capped = SpawnActor("MonsterCapped");
    tracker.GetRecord(capped)->maximum = 100.0f;
    tracker.Add(loud, IntensityEvent::Pain);  // 20
    tracker.Update(0.0f);
    EXPECT_EQ(tracker.GetMusicId(), tracker.GetRecord(loud)->record->GetId());
    tracker.Add(capped, IntensityEvent::Pain);
    tracker.Add(capped, IntensityEvent::Hit);  // 30: leads by 10 - 4 is not enough? 20 + 4 < 30
    tracker.Update(0.0f);
    EXPECT_EQ(tracker.GetCurrent(), tracker.GetRecord(capped));
    tracker.Add(loud, IntensityEvent::Hit);  // 30 against 30: no change
    tracker.Update(0.0f);
    EXPECT_EQ(tracker.GetCurrent(), tracker.GetRecord(capped));
}

TEST_F(IntensityWorld, AnIntensityAtTheVolumeFloorHasMusicButNoVolume)
{
    Actor* loud = SpawnActor("MonsterLoud");
    tracker.Add(loud, IntensityEvent::Hit);  // exactly 10
    tracker.Update(0.0f);
    EXPECT_NE(tracker.GetMusicId(), -1);
    EXPECT_EQ(tracker.GetVolume(), 0.0f);
    tracker.Add(loud, IntensityEvent::Hit);  // 20: half way to 30
    EXPECT_FLOAT_EQ(tracker.GetVolume(), 0.5f);
    tracker.Update(15.0f);  // decays below 10
    EXPECT_EQ(tracker.GetMusicId(), -1);
}

TEST_F(IntensityWorld, EntitiesWithoutMusicContributeNothing)
{
    Sentient* player = SpawnTarget(0, 0, true);
    tracker.Add(player, IntensityEvent::Kill);
    tracker.Add(SpawnActor("MonsterTester"), IntensityEvent::Kill);
    tracker.Update(0.05f);
    EXPECT_EQ(tracker.GetCurrent(), nullptr);
    EXPECT_EQ(tracker.GetMusicId(), -1);
}

TEST_F(IntensityWorld, APlayersFightFeedsItsTrackerAndItsPartNamesTheMusic)
{
    Player::RegisterEventClass(events, types);
    auto* player = Spawn<Player>(0.0f, 0.0f);
    player->maxHealth = player->health = 100;
    Actor* loud = SpawnActor("MonsterLoud");
    player->OnDamageTaken(5, loud, false, false);  // 20
    player->OnMissedBy(loud, 0);
    player->OnSuccessfulHit(3, loud, true, false, false, false, false);  // 30
    EXPECT_FLOAT_EQ(player->intensity.GetRecord(loud)->intensity, 30.0f);
    player->Update(0.0f);
    MessageBuffer part;
    player->WritePlayerPart(part);
    // The music and its volume, before the skill gift record (its count alone: no gifts).
    part.SetReadPos(part.Size() - 12);
    EXPECT_EQ(part.ReadInt(), player->intensity.GetRecord(loud)->record->GetId());
    EXPECT_FLOAT_EQ(part.ReadFloat(), 1.0f);
}
