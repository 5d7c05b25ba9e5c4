// RestBehaviorsTest -- prayer: short of power, its timer run out and the skill known; a timer restarted on every load and copy.
#include "entities/ai/BehaviorPray.h"
#include "entities/ai/BehaviorWorld.h"

#include <gtest/gtest.h>

namespace {

class RestBehaviors : public BehaviorWorld {
protected:
    RestBehaviors()
    {
        LoadBehaviorRecords("SkillPrayer\n{\n Type Skill\n}\n"
                            "PrayData\n{\n Type BehaviorData\n MinPrayTime 4\n MaxPrayTime 6\n}\n");
        actor = SpawnActor();
        pray->actor = actor;
        actor->stats.Set(CharacterStat::MaxPower, 10);
        actor->stats.Set(CharacterStat::Power, 4);
    }

    Actor* actor = nullptr;
    std::unique_ptr<BehaviorPray> pray = std::make_unique<BehaviorPray>();
};

} // namespace

TEST_F(RestBehaviors, LoadingStartsThePrayTimerInsideItsBounds)
{
    pray->LoadData(*database.FindEntryByName("PrayData"));
    EXPECT_TRUE(pray->prayTimer.running);
    EXPECT_GE(pray->prayTimer.remaining, 4.0f);
    EXPECT_LT(pray->prayTimer.remaining, 6.0f);
    BehaviorPray clone;
    clone.InitFromData(*pray);
    EXPECT_TRUE(clone.prayTimer.running);
    EXPECT_GE(clone.prayTimer.remaining, 4.0f);
}

TEST_F(RestBehaviors, PrayingNeedsTheSkillTheTimerAndAPowerShortfall)
{
    pray->LoadData(*database.FindEntryByName("PrayData"));
    pray->prayTimer.Update(6.0f);
    EXPECT_FALSE(pray->WantsToRun()) << "no SkillPrayer known";
    ASSERT_NE(actor->LearnSkill(gameData.FindSkillDefinition("SkillPrayer")), nullptr);
    EXPECT_TRUE(pray->WantsToRun());
    actor->stats.Set(CharacterStat::Power, 10);
    EXPECT_FALSE(pray->WantsToRun()) << "power full";
    actor->stats.Set(CharacterStat::Power, 4);
    pray->Stop();
    EXPECT_FALSE(pray->WantsToRun()) << "the timer runs again";
}
