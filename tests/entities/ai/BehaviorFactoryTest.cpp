// BehaviorFactoryTest -- kind names, the factory's answer to every id, and where a prototype's tuning comes from.
#include "entities/ai/BehaviorApproach.h"
#include "entities/ai/BehaviorFactory.h"
#include "entities/ai/BehaviorSleep.h"
#include "entities/ai/BehaviorSuicide.h"
#include "entities/ai/BehaviorWorld.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cctype>

namespace {

class BehaviorFactory : public BehaviorWorld {
protected:
    bool LoggedLine(const std::string& text) const
    {
        auto lines = Logged();
        return std::any_of(lines.begin(), lines.end(),
                           [&](const std::string& line) { return line.find(text) != std::string::npos; });
    }

    template <class T>
    std::unique_ptr<T> Loaded(const char* archetypeName)
    {
        auto behavior = std::make_unique<T>();
        InitBehaviorFromArchetype(*behavior, gameData.FindArchetype(archetypeName)->GetEntry());
        return behavior;
    }
};

constexpr std::array<const char*, 22> kFactoryTestNames = {
    "Sleep",     "Idle",         "Melee",       "ReturnHome",       "Ranged",       "Approach", "Retreat", "Suicide",
    "Teleport",  "Spawner",      "RaiseDead",   "DestroyCorpse",    "EatCorpse",    "FollowLeader",
    "AvoidLeader", "TeleportToLeader", "TeleportRaid", "UseSkill", "Pray", "LifestoneRegen", "Adventure", "Jump",
};

std::string FactoryTestUpper(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::toupper(c); });
    return text;
}

} // namespace

TEST_F(BehaviorFactory, TheTableHoldsTheTwentyTwoKindsInTheirFixedOrderWhateverTheCase)
{
    for (int32_t id = 0; id < 22; ++id) {
        const char* name = kFactoryTestNames[static_cast<size_t>(id)];
        EXPECT_EQ(GetBehaviorName(id), name);
        EXPECT_EQ(LookupBehaviorType(name), id);
        EXPECT_EQ(LookupBehaviorType(FactoryTestUpper(name)), id);
    }
    EXPECT_FALSE(LoggedLine("Unknown"));
}

TEST_F(BehaviorFactory, AnUnknownNameIsASleepWithItsLine)
{
    EXPECT_EQ(LookupBehaviorType("Dance"), BehaviorType::kSleep);
    EXPECT_TRUE(LoggedLine("Unknown ActorBehavior name Dance"));
}

TEST_F(BehaviorFactory, IdsOutsideTheTableGiveASleepAndNameTheIdInDecimal)
{
    for (int32_t id : {-1, 22, 1000000}) {
        std::unique_ptr<BehaviorBase> behavior = CreateBehavior(id);
        ASSERT_NE(dynamic_cast<BehaviorSleep*>(behavior.get()), nullptr);
        EXPECT_TRUE(LoggedLine("Could not create behavior " + std::to_string(id)));
        EXPECT_EQ(behavior->actor, nullptr);
    }
}

TEST_F(BehaviorFactory, EveryKindIsMadeAsItsOwnClassWithNoLine)
{
    for (int32_t id : {0, 2, 3, 4, 5, 6, 7, 8, 9, 10, 13, 14, 18}) {
        std::unique_ptr<BehaviorBase> behavior = CreateBehavior(id);
        ASSERT_NE(behavior, nullptr);
        EXPECT_EQ(behavior->GetType(), id);
        EXPECT_FALSE(behavior->done);
    }
    EXPECT_FALSE(LoggedLine("Could not create"));
}

TEST_F(BehaviorFactory, TheArchetypesOwnDataEntryWinsOverTheDefault)
{
    auto approach = Loaded<BehaviorApproach>("ArchetypeCloseFighter");
    EXPECT_FLOAT_EQ(approach->tuning.maxOptimalRange, 10.0f);
    EXPECT_FLOAT_EQ(approach->tuning.maxRange, 20.0f);
}

TEST_F(BehaviorFactory, WithoutADataKeyTheDefaultEntryIsRead)
{
    auto approach = Loaded<BehaviorApproach>("ArchetypeFighter");
    EXPECT_FLOAT_EQ(approach->tuning.maxOptimalRange, 40.0f);
    EXPECT_FLOAT_EQ(approach->tuning.maxRange, 100.0f);
    EXPECT_FALSE(LoggedLine("Couldn't find behavior data"));
}

TEST_F(BehaviorFactory, AMissingDataEntryIsLoggedThenTheDefaultIsRead)
{
    LoadBehaviorRecords("ArchetypeMisled\n{\n    Type MonsterArchetype\n    ApproachData ApproachGone\n}\n");
    auto approach = Loaded<BehaviorApproach>("ArchetypeMisled");
    EXPECT_TRUE(LoggedLine("Couldn't find behavior data ApproachGone"));
    EXPECT_FLOAT_EQ(approach->tuning.maxRange, 100.0f);
}

TEST_F(BehaviorFactory, WithNoEntryAtAllTheArchetypesOwnKeysAreStillRead)
{
    auto suicide = Loaded<BehaviorSuicide>("ArchetypeFighter");
    EXPECT_FLOAT_EQ(suicide->tuning.maxSuicideRange, 30.0f);
    auto plain = Loaded<BehaviorSuicide>("ArchetypeCloseFighter");
    EXPECT_FLOAT_EQ(plain->tuning.maxSuicideRange, 0.0f);
}

TEST_F(BehaviorFactory, ACloneTakesTheTuningOfItsOwnClassOnly)
{
    auto prototype = Loaded<BehaviorApproach>("ArchetypeCloseFighter");
    prototype->done = true;
    BehaviorApproach clone;
    clone.InitFromData(*prototype);
    EXPECT_FLOAT_EQ(clone.tuning.maxRange, 20.0f);
    EXPECT_FALSE(clone.done);
    BehaviorApproach stranger;
    stranger.InitFromData(*Loaded<BehaviorSuicide>("ArchetypeFighter"));
    EXPECT_FLOAT_EQ(stranger.tuning.maxRange, 0.0f);
    EXPECT_FLOAT_EQ(stranger.tuning.maxOptimalRange, 0.0f);
}
