// CovenantRecruitListTest -- a covenant's recruits: adding with the lifestone's rise, slots reused, removal against destruction, look-ups and the room rule.
#include "covenants/CovenantWorld.h"

#include <gtest/gtest.h>

class CovenantRecruitList : public CovenantWorld {
protected:
    Actor* Npc(int32_t maxHealth)
    {
        Actor* actor = SpawnActor();
        actor->maxHealth = actor->health = maxHealth;
        return actor;
    }

    bool HasDeleteAction(const Entity* entity) const
    {
        return game.FindTimedAction(Entity::GetDeleteEventId(), entity) != nullptr;
    }
};

TEST_F(CovenantRecruitList, ANewMemberStrengthensTheLifestoneAtOnce)
{
    PlainCovenant& covenant = AddCovenant();
    Entity* lifestone = GiveHome(covenant, 300, 0);
    auto* player = Spawn<Sentient>(0.0f, 0.0f);
    player->maxHealth = player->health = 250;
    covenant.player = player;
    covenant.RecomputeBonuses();
    ASSERT_EQ(lifestone->maxHealth, 500);
    lifestone->health = 300;
    Actor* recruit = Npc(60);
    covenant.AddRecruit(*recruit);
    // 2 x (250 + 60) = 620; the 120 more go onto the health too.
    EXPECT_EQ(lifestone->maxHealth, 620);
    EXPECT_EQ(lifestone->health, 420);
    EXPECT_EQ(recruit->covenantIndex, covenant.index);
    EXPECT_EQ(covenant.traitTargets, (std::vector<Entity*>{recruit}));
    EXPECT_TRUE(covenant.IsMember(*recruit));
    EXPECT_TRUE(covenant.IsMember(*player));
    EXPECT_FALSE(covenant.IsMember(*Npc(10)));
}

TEST_F(CovenantRecruitList, RemovalEmptiesTheSlotAndTheNextRecruitFillsItFirst)
{
    PlainCovenant& covenant = AddCovenant("CovenantTest", 3);
    std::array<Actor*, 4> actors{Npc(10), Npc(10), Npc(10), Npc(10)};
    for (size_t i = 0; i < 3; ++i)
        covenant.AddRecruit(*actors[i]);
    EXPECT_EQ(covenant.CountRecruits(), 3);
    EXPECT_EQ(covenant.FindFreeRecruitSlot(), -1);
    // A full list takes no one.
    covenant.AddRecruit(*actors[3]);
    EXPECT_EQ(covenant.FindRecruitByActor(actors[3]), nullptr);

    covenant.RemoveRecruit(1);
    EXPECT_EQ(covenant.GetRecruitActor(1), nullptr);
    EXPECT_EQ(covenant.GetRecruitCount(), 2);
    // The actor lives on: nothing schedules its removal.
    EXPECT_FALSE(HasDeleteAction(actors[1]));
    EXPECT_EQ(game.GetEntity(actors[1]->entityNumber), actors[1]);
    covenant.AddRecruit(*actors[3]);
    EXPECT_EQ(covenant.GetRecruitActor(1), actors[3]);
    EXPECT_EQ(static_cast<const EntityCovenant&>(covenant).GetRecruitActor(2), actors[2]);
    EXPECT_EQ(covenant.FindRecruitByActor(actors[0]), covenant.GetRecruitRecord(0));
    covenant.RemoveRecruit(7);
    covenant.RemoveRecruit(-1);
    EXPECT_EQ(covenant.CountRecruits(), 3);
}

TEST_F(CovenantRecruitList, ARecordDestroyedWhileAttachedSchedulesItsActor)
{
    Actor* actor = Npc(10);
    {
        PlainCovenant covenant;
        covenant.AddRecruit(*actor);
    }
    EXPECT_TRUE(HasDeleteAction(actor));
}

TEST_F(CovenantRecruitList, EmptyAndUnspawnedSlotsHaveNoActor)
{
    PlainCovenant& covenant = AddCovenant();
    Actor* actor = Npc(10);
    covenant.AddRecruit(*actor);
    covenant.GetRecruitRecord(0)->SetActor(nullptr, true);
    EXPECT_EQ(covenant.GetRecruitActor(0), nullptr);
    EXPECT_EQ(covenant.GetRecruitActor(1), nullptr);
    EXPECT_EQ(covenant.GetRecruitActor(4), nullptr);
    EXPECT_EQ(covenant.CountRecruits(), 1);
    EXPECT_EQ(covenant.FindRecruitByActor(nullptr), nullptr);
}

TEST_F(CovenantRecruitList, RoomFollowsTheGamesLimitNotTheSlots)
{
    std::string records = kActorRecords;
    const std::string head = "GameSystem\n{\n";
    records.insert(records.find(head) + head.size(), "    MaxRecruits 2\n");
    LoadRecords(records + kCovenantRecords);
    PlainCovenant& covenant = AddCovenant("CovenantTest", 6);
    EXPECT_TRUE(covenant.HasRoomForRecruit());
    covenant.AddRecruit(*Npc(10));
    EXPECT_TRUE(covenant.HasRoomForRecruit());
    covenant.AddRecruit(*Npc(10));
    EXPECT_FALSE(covenant.HasRoomForRecruit());
    EXPECT_EQ(covenant.FindFreeRecruitSlot(), 2);
}
