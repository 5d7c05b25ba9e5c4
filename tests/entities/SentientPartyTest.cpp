// SentientPartyTest -- leaders and companions: party size, shares, friend and foe, the party in range, and leader loops.
#include "entities/SentientWorld.h"

#include <gtest/gtest.h>

namespace {

class SentientParty : public SentientWorld {
protected:
    Sentient* Living(float x = 500.0f, float y = 500.0f)
    {
        auto* sentient = Spawn<Sentient>(x, y);
        sentient->maxHealth = 10;
        sentient->health = 10;
        return sentient;
    }
};

} // namespace

TEST_F(SentientParty, MaximumFourTakesThreeCompanions)
{
    Sentient* leader = Living();
    std::vector<Sentient*> followers;
    for (int i = 0; i < 4; ++i) {
        followers.push_back(Living());
        leader->AddCompanion(followers.back(), 4);
    }
    std::vector<int32_t> numbers;
    leader->CollectCompanionNumbers(numbers);
    EXPECT_EQ(numbers.size(), 3u);
    EXPECT_EQ(followers[3]->GetLeader(), nullptr);
    EXPECT_FLOAT_EQ(leader->GetPartyShare(), 0.625f);
    EXPECT_FLOAT_EQ(followers[0]->GetPartyShare(), 0.625f);
}

TEST_F(SentientParty, SharesFollowThePartySize)
{
    Sentient* leader = Living();
    EXPECT_FLOAT_EQ(leader->GetPartyShare(), 1.0f);
    Sentient* first = Living();
    leader->AddCompanion(first, 8);
    EXPECT_FLOAT_EQ(leader->GetPartyShare(), 0.75f);
    leader->AddCompanion(Living(), 8);
    EXPECT_NEAR(leader->GetPartyShare(), 2.0f / 3.0f, 1e-6f);
    first->RemoveCompanion();
    EXPECT_FLOAT_EQ(leader->GetPartyShare(), 0.75f);
}

TEST_F(SentientParty, ACompanionJoiningAnotherLeaderLeavesTheFirst)
{
    Sentient* first = Living();
    Sentient* second = Living();
    Sentient* follower = Living();
    first->AddCompanion(follower, 4);
    second->AddCompanion(follower, 4);
    EXPECT_EQ(follower->GetLeader(), second);
    EXPECT_EQ(first->FirstCompanion(), nullptr);
    EXPECT_FLOAT_EQ(first->GetPartyShare(), 1.0f);
}

TEST_F(SentientParty, FriendshipRunsThroughLeaderLinksAndCovenants)
{
    Sentient* leader = Living();
    Sentient* a = Living();
    Sentient* b = Living();
    leader->AddCompanion(a, 4);
    leader->AddCompanion(b, 4);
    EXPECT_TRUE(leader->IsFriendly(a));
    EXPECT_TRUE(a->IsFriendly(leader));
    EXPECT_FALSE(a->IsFriendly(b)) << "fellow companions are friends only through a covenant";
    a->covenantIndex = 1;
    b->covenantIndex = 1;
    EXPECT_TRUE(a->IsFriendly(b));
    EXPECT_FALSE(a->IsFriendly(nullptr));
}

TEST_F(SentientParty, HostilityNeedsHealthAndNoFriendship)
{
    Sentient* me = Living();
    Sentient* stranger = Living();
    EXPECT_TRUE(me->IsHostile(stranger));
    EXPECT_FALSE(me->IsHostile(me));
    stranger->maxHealth = 0;
    EXPECT_FALSE(me->IsHostile(stranger));
    stranger->maxHealth = 10;
    me->AddCompanion(stranger, 4);
    EXPECT_FALSE(me->IsHostile(stranger));
}

TEST_F(SentientParty, PartyInRangeOfTheLeaderItselfIsEmpty)
{
    Sentient* leader = Living(0, 0);
    Sentient* near = Living(50, 0);
    Sentient* far = Living(500, 0);
    leader->AddCompanion(near, 4);
    leader->AddCompanion(far, 4);
    std::vector<Sentient*> party;
    leader->CollectPartyInRange(party, 100.0f);
    EXPECT_TRUE(party.empty());
    near->CollectPartyInRange(party, 100.0f);
    EXPECT_EQ(party, (std::vector<Sentient*>{near, leader}));
}

TEST_F(SentientParty, LeaderLoopsAreRefused)
{
    Sentient* a = Living();
    Sentient* b = Living();
    Sentient* c = Living();
    a->AddCompanion(b, 4);
    b->AddCompanion(c, 4);
    c->AddCompanion(a, 4);
    EXPECT_EQ(a->GetLeader(), nullptr);
    a->SetLeader(a);
    EXPECT_EQ(a->GetLeader(), nullptr);
    EXPECT_EQ(c->GetPartyTop(), a);
}

TEST_F(SentientParty, ADestroyedMemberLeavesItsParty)
{
    Sentient* leader = Living();
    Sentient* follower = Living();
    leader->AddCompanion(follower, 4);
    game.RemoveEntity(follower);
    delete follower;
    EXPECT_EQ(leader->FirstCompanion(), nullptr);
    EXPECT_FLOAT_EQ(leader->GetPartyShare(), 1.0f);
    Sentient* orphan = Living();
    leader->AddCompanion(orphan, 4);
    game.RemoveEntity(leader);
    delete leader;
    EXPECT_EQ(orphan->GetLeader(), nullptr);
}

TEST_F(SentientParty, AttackAlertsTheWholePartyAndItsEffects)
{
    struct Alerted : Sentient {
        void Alert(Entity* attacker) override { alerts.push_back(attacker); }
        std::vector<Entity*> alerts;
    };
    auto* leader = Spawn<Alerted>();
    auto* follower = Spawn<Alerted>();
    Sentient* attacker = Living();
    leader->AddCompanion(follower, 4);
    follower->OnAttackedBy(attacker);
    EXPECT_EQ(leader->alerts, (std::vector<Entity*>{attacker}));
    EXPECT_EQ(follower->alerts, (std::vector<Entity*>{attacker}));
    follower->OnAttackedBy(follower);
    EXPECT_EQ(follower->alerts.size(), 1u);
}

TEST_F(SentientParty, CompanionsAloneAreCalledAndReleasedTheLeaderStaysOut)
{
    struct Called : Sentient {
        void Alert(Entity* attacker) override { alerts.push_back(attacker); }
        void AlertCompanion(Entity* attacker) override { calls.push_back(attacker); }
        std::vector<Entity*> alerts;
        std::vector<Entity*> calls;
    };
    auto* leader = Spawn<Called>();
    auto* first = Spawn<Called>();
    auto* second = Spawn<Called>();
    Sentient* attacker = Living();
    leader->AddCompanion(first, 4);
    leader->AddCompanion(second, 4);
    leader->AlertCompanions(attacker);
    EXPECT_EQ(first->calls, (std::vector<Entity*>{attacker}));
    EXPECT_EQ(second->calls, (std::vector<Entity*>{attacker}));
    EXPECT_TRUE(leader->calls.empty());
    EXPECT_TRUE(first->alerts.empty()) << "a call for help is no alert";
    EXPECT_FLOAT_EQ(leader->GetPartyShare(), 2.0f / 3.0f);
    leader->ReleaseCompanions();
    EXPECT_EQ(leader->FirstCompanion(), nullptr);
    EXPECT_EQ(first->GetLeader(), nullptr);
    EXPECT_EQ(second->GetLeader(), nullptr);
    EXPECT_FLOAT_EQ(leader->GetPartyShare(), 1.0f);
    leader->AlertCompanions(attacker);
    EXPECT_EQ(first->calls.size(), 1u) << "a released companion is no longer called";
}
