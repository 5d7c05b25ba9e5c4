// ActorCovenantRecruitingTest -- a rival house taking on wandering recruits: its quest's would-be recruit by the arrival chance and delay, a wanderer its party meets, and the room a full house makes.
#include "covenants/ActorCovenantWorld.h"
#include "entities/ScriptedQuest.h"
#include "rules/RulesEnums.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <ostream>
#include <utility>

namespace {

constexpr const char* kWanderers = R"(
ActorWanderer
{
    Type Actor
    Base ActorTestBase
    Npc 1
    NpcType Recruit
}
MonsterWanderer
{
    Type MonsterType
    Archetype ArchetypeTest
    Definition ActorWanderer
    MinLevel 1
    MaxLevel 30
}
)";

constexpr float kArriveSeconds = 600.0f;
constexpr int32_t kQuestNumber = 7;

} // namespace

class RecruitingWorld : public ActorCovenantWorld {
protected:
    // The records with the chance and a ten-minute arrival, and a rival of five levels (three
    // members of four places) at home.
    void Open(float chance)
    {
        char tuning[96];
        std::snprintf(tuning, sizeof(tuning), "PotentialRecruitArriveChance %g\nPotentialRecruitArriveTime %g\n",
                      static_cast<double>(chance), static_cast<double>(kArriveSeconds));
        LoadRivalRecords(kWanderers, tuning);
        host.homePosition = At(1000.0f, 1000.0f);
        rival = &AddRival();
        rival->Start(5, 1);
    }

    // A wanderer of the level, made as the spawn system makes a monster: in no table yet.
    Actor* MakeWanderer(int32_t level)
    {
        auto* wanderer = new Actor();
        wanderer->SetUpFromMonsterType(Type("MonsterWanderer"), level, false);
        return wanderer;
    }

    bool IsMember(const Actor* actor) const
    {
        for (int32_t slot = 0; slot < rival->GetRecruitSlots(); ++slot)
            if (Recruit* recruit = rival->GetRecruitRecord(slot); recruit && recruit->GetActor() == actor)
                return true;
        return false;
    }

    Recruit* Leader() const
    {
        for (int32_t slot = 0; slot < rival->GetRecruitSlots(); ++slot)
            if (Recruit* recruit = rival->GetRecruitRecord(slot); recruit && recruit->isHero)
                return recruit;
        return nullptr;
    }

    size_t CountNews() const
    {
        return static_cast<size_t>(std::count_if(game.lines.begin(), game.lines.end(), [](const std::string& line) {
            return line.rfind("msg 3 ", 0) == 0 && line.find("RecruitedWanderingRecruit") != std::string::npos;
        }));
    }

    ActorCovenant* rival = nullptr;
};

struct RecruitCase {
    const char* what;
    float chance;    // "PotentialRecruitArriveChance"
    bool questDone;
    float waited;    // game seconds after the house first saw its candidate
    bool wanted;
    bool joins;
};

void PrintTo(const RecruitCase& c, std::ostream* out)
{
    *out << c.what;
}

class CovenantQuestRecruit : public RecruitingWorld, public testing::WithParamInterface<RecruitCase> {
protected:
    CovenantQuestRecruit() { Open(GetParam().chance); }
};

TEST_P(CovenantQuestRecruit, TheWouldBeRecruitComesByTheChanceOnceTheQuestIsDoneAndItsTimeHasCome)
{
    const RecruitCase& c = GetParam();
    Actor* candidate = MakeWanderer(3);
    candidate->SetPosition(At(1500.0f, 1500.0f, 3));
    ASSERT_NE(game.AddEntity(candidate), -1);
    auto made = std::make_unique<ScriptedQuest>();
    ScriptedQuest* record = made.get();
    record->level = 3;
    record->targetLevel = 3;
    record->questId = kQuestNumber;
    record->count = 1;
    record->targetEntity = candidate;
    rival->SetQuest(std::move(made));
    int32_t members = rival->CountRecruits();

    // The first step sends the party out and names the candidate; the second, while it is
    // wanted, takes the party to the quest's level.
    rival->Update(1.0f);
    rival->Update(1.0f);
    EXPECT_EQ(rival->GetAdventureInfo(), c.wanted ? kQuestNumber : 0);
    EXPECT_EQ(rival->AllowsTarget(nullptr, 3), !c.wanted) << "a recruit's own pick never lands on the quest's level";
    EXPECT_TRUE(rival->AllowsTarget(nullptr, 2));
    if (c.wanted) {
        ASSERT_NE(Leader(), nullptr);
        EXPECT_EQ(Leader()->assignedLevel, 3);
        EXPECT_EQ(Leader()->GetActor()->position.level, 3);
    }

    record->progress = c.questDone ? 1 : 0;
    host.clock.seconds += c.waited;
    host.clock.Normalize();
    rival->Update(1.0f);
    EXPECT_EQ(IsMember(candidate), c.joins);
    EXPECT_EQ(candidate->covenantIndex, c.joins ? rival->index : -1);
    EXPECT_EQ(rival->CountRecruits(), members + (c.joins ? 1 : 0));
    std::string solved = "quest solved " + std::to_string(kQuestNumber) + " " + std::to_string(rival->index);
    EXPECT_EQ(std::count(host.calls.begin(), host.calls.end(), solved), c.joins ? 1 : 0);
    EXPECT_EQ(CountNews(), c.joins ? 1u : 0u);
    if (c.joins) {
        EXPECT_EQ(candidate->position.level, 0) << "it comes to the house";
        EXPECT_LT(std::abs(candidate->position.x - 1000.0f) + std::abs(candidate->position.y - 1000.0f), 400.0f);
        EXPECT_EQ(rival->GetAdventureInfo(), 0) << "a candidate that came is wanted no more";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CovenantQuestRecruit,
    testing::Values(RecruitCase{"NeverWanted", 0.0f, true, kArriveSeconds, false, false},
                    RecruitCase{"WantedQuestNotDone", 1.0f, false, kArriveSeconds, true, false},
                    RecruitCase{"WantedBeforeArrival", 1.0f, true, kArriveSeconds - 1.0f, true, false},
                    RecruitCase{"WantedAtArrival", 1.0f, true, kArriveSeconds, true, true}),
    [](const testing::TestParamInfo<RecruitCase>& info) { return std::string(info.param.what); });

class CovenantMetRecruit : public RecruitingWorld {
protected:
    CovenantMetRecruit()
    {
        Open(1.0f);
        fighter = rival->GetRecruitRecord(0);
        fighter->outWithParty = true;
        fighter->SetAssignedLevel(2);
        host.monsterMaker = [this](int32_t) { return std::exchange(nextMonster, nullptr); };
    }

    // The wanderer the party meets in a rolled fight; null once the fight deleted it.
    Actor* Meet(int32_t level)
    {
        nextMonster = MakeWanderer(level);
        Actor* met = nextMonster;
        rival->FightMonster(*fighter);
        delete std::exchange(nextMonster, nullptr);
        return IsMember(met) ? met : nullptr;
    }

    Recruit* fighter = nullptr;
    Actor* nextMonster = nullptr;
};

TEST_F(CovenantMetRecruit, AWandererMetJoinsAtOnceAndAFullHouseLetsItsWeakestGoForABetterOne)
{
    ASSERT_EQ(rival->CountRecruits(), 3);
    Actor* first = Meet(1);
    ASSERT_NE(first, nullptr);
    EXPECT_GE(first->entityNumber, 0) << "a met wanderer enters the game's table";
    EXPECT_EQ(rival->CountRecruits(), 4);
    EXPECT_EQ(CountNews(), 1u);

    // Full: one weaker than every member is fought, not taken.
    EXPECT_EQ(Meet(1), nullptr);
    EXPECT_EQ(rival->CountRecruits(), 4);
    EXPECT_EQ(CountNews(), 1u);

    // A stronger one takes the weakest member's place; the leader always stays.
    Actor* second = Meet(30);
    ASSERT_NE(second, nullptr);
    EXPECT_FALSE(IsMember(first));
    EXPECT_EQ(rival->CountRecruits(), 4);
    EXPECT_NE(Leader(), nullptr);
    EXPECT_EQ(CountNews(), 2u);
}
