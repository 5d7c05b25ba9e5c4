// QuestProgressTest -- the per-player step and expiry through the game's update and the players' slots: scouting, escorts, the tutorial's tours, rescue, delivery and late quests.
#include "server/quests/QuestKindWorld.h"

#include "core/CommandSystem.h"
#include "entities/Gate.h"
#include "server/ServerCommands.h"

#include <cmath>

namespace {

constexpr const char* kQuestProgressRecords = R"(
Scout
{
    Type Quest
    QuestType ScoutLocation
    HasWorldLevel 1
    DuplicatesAllowed 1
}
Walk
{
    Type Quest
    QuestType Escort
    HasWorldLevel 1
    DuplicatesAllowed 1
}
Letter
{
    Type Quest
    QuestType Delivery
    DuplicatesAllowed 1
}
Taken
{
    Type Quest
    QuestType Kidnapping
    SafeRange 200
    DuplicatesAllowed 1
}
Lost
{
    Type Quest
    QuestType RescueNpc
    SafeRange 200
    UnlockClass 1
    DuplicatesAllowed 1
}
Join
{
    Type Quest
    QuestType Recruit
    MaxTime 10
    DuplicatesAllowed 1
}
Endless
{
    Type Quest
    QuestType Recruit
    DuplicatesAllowed 1
}
House
{
    Type Quest
    QuestType TutorialInvestigateHouse
    DuplicatesAllowed 1
}
Givers
{
    Type Quest
    QuestType TutorialTalkToQuestGivers
    DuplicatesAllowed 1
}
ObjectGate
{
    Type Object
}
ActorWarmaster
{
    Type Actor
    NpcType Warmaster
}
ActorGambler
{
    Type Actor
    NpcType Gambler
}
TownWarmaster
{
    Type MonsterType
    Archetype ArchetypeWild
    Definition ActorWarmaster
    MinLevel 1
    MaxLevel 60
    Excluded 1
}
TownGambler
{
    Type MonsterType
    Archetype ArchetypeWild
    Definition ActorGambler
    MinLevel 1
    MaxLevel 60
    Excluded 1
}
)";

class QuestProgress : public QuestKindWorld {
protected:
    QuestProgress() { Load(kQuestProgressRecords); }

    // One step of the game: the world quests, then the players' slots.
    void Advance() { Step(1); }

    void Goals(Quest& quest, int32_t count)
    {
        quest.goals.assign(static_cast<size_t>(count), QuestGoal{});
        for (QuestGoal& goal : quest.goals)
            goal.required = 1;
    }
};

} // namespace

TEST_F(QuestProgress, AScoutCountsOnItsLevelAndNeverPastItsCount)
{
    Quest* scout = Make("Scout");
    ASSERT_NE(scout, nullptr);
    scout->targetLevel = 1;
    EntityQuest* copy = player->AcceptQuest(scout->questId);
    ASSERT_NE(copy, nullptr);
    copy->targetLevel = 1;
    Advance();
    EXPECT_EQ(copy->progress, 0) << "still in town";
    player->SetPosition(At(300.0f, 100.0f, 1));
    Advance();
    Advance();
    EXPECT_EQ(copy->progress, 1) << "counted once, held at the count";
}

TEST_F(QuestProgress, AnEscortReachingItsDestinationCompletesWithoutAPlayerNearby)
{
    Quest* walk = Make("Walk");
    ASSERT_NE(walk, nullptr);
    walk->targetLevel = 0;
    walk->destLevel = 2;
    Actor* traveller = Creature("MonsterBear", 500.0f);
    walk->target.Set(traveller);
    ASSERT_NE(player->AcceptQuest(walk->questId), nullptr);
    Advance();
    EXPECT_EQ(Completed(), 0);
    traveller->SetPosition(At(500.0f, 100.0f, 2));
    Advance();
    EXPECT_EQ(Completed(), 1);
    EXPECT_EQ(walk->target.Get(), nullptr) << "the escorted NPC goes";
}

TEST_F(QuestProgress, AnEscortedNpcFollowsTheHolderWhoEscortsIt)
{
    Quest* walk = Make("Walk");
    ASSERT_NE(walk, nullptr);
    Actor* traveller = Creature("MonsterBear", 700.0f);
    walk->target.Set(traveller);
    ASSERT_NE(player->AcceptQuest(walk->questId), nullptr);
    player->Escort(*traveller);
    EXPECT_TRUE(traveller->following);
    EXPECT_EQ(traveller->GetLeader(), player);
}

// The step keeps an escort beside the player who holds it while it stands at most 400 units off;
// one farther off, or one whose quest the player does not hold, stays where it is.
TEST_F(QuestProgress, AnEscortKeepsUpWithItsHolderFromUpToFourHundredAway)
{
    struct Case {
        float x;  // the player stands at 300
        bool held;
        bool follows;
    };
    const Case cases[] = {{700.0f, false, false}, {700.0f, true, true}, {701.0f, true, false}, {500.0f, true, true}};
    for (const Case& c : cases) {
        Quest* walk = Make("Walk");
        ASSERT_NE(walk, nullptr);
        walk->targetLevel = 0;
        walk->destLevel = 2;
        Actor* traveller = Creature("MonsterBear", c.x);
        walk->target.Set(traveller);
        if (c.held) {
            ASSERT_NE(player->AcceptQuest(walk->questId), nullptr);
        }
        Advance();
        float gap = traveller->position.Distance2D(player->position);
        EXPECT_EQ(gap < 100.0f, c.follows) << c.x << (c.held ? " held" : " not held") << ": " << gap;
        if (!c.follows) {
            EXPECT_FLOAT_EQ(traveller->position.x, c.x);
        }
        walk->SetFailed();
        player->AbandonQuest(walk->questId);
        traveller->SetPosition(At(2000.0f, 100.0f, 1));
    }
}

TEST_F(QuestProgress, AnNpcIsBusyWhileAQuestOfTheListHasItAsItsFigure)
{
    Actor* npc = Creature("MonsterBear", 500.0f);
    EXPECT_TRUE(quests().IsNpcBusyWithQuest(nullptr)) << "no NPC gives nothing";
    EXPECT_FALSE(quests().IsNpcBusyWithQuest(npc));
    Quest* walk = Make("Walk");
    ASSERT_NE(walk, nullptr);
    walk->target.Set(npc);
    EXPECT_TRUE(quests().IsNpcBusyWithQuest(npc));
    EXPECT_FALSE(quests().IsNpcBusyWithQuest(player));
    quests().DeleteQuest(walk->questId);
    EXPECT_FALSE(quests().IsNpcBusyWithQuest(npc));
}

// A trip through a linked gate takes the escort that stood within reach of where the player set out.
TEST_F(QuestProgress, AnEscortComesThroughTheGateWithItsHolder)
{
    Quest* walk = Make("Walk");
    ASSERT_NE(walk, nullptr);
    walk->targetLevel = 0;
    walk->destLevel = 1;
    Actor* traveller = Creature("MonsterBear", 650.0f);
    walk->target.Set(traveller);
    ASSERT_NE(player->AcceptQuest(walk->questId), nullptr);
    LinkedGates gates = game->CreateLinkedGates(nullptr, At(320.0f, 100.0f), At(300.0f, 300.0f, 2), GateKind::LinkedExact);
    ASSERT_TRUE(gates.first && gates.second);
    gates.first->OnUsedBy(player);
    ASSERT_EQ(player->position.level, 2);
    EXPECT_EQ(traveller->position.level, 2);
    EXPECT_LT(traveller->position.Distance2D(player->position), 100.0f);
}

TEST_F(QuestProgress, ADeliveryNeedsTheHoldersSlotAndItsOwnNpc)
{
    Quest* letter = Make("Letter");
    ASSERT_NE(letter, nullptr);
    Actor* keeper = Creature("MonsterBear", 500.0f);
    Actor* stranger = Creature("MonsterBear", 600.0f);
    letter->target.Set(keeper);
    EXPECT_FALSE(game->OfferQuestDelivery(*keeper, *player)) << "not held";
    ASSERT_NE(player->AcceptQuest(letter->questId), nullptr);
    EXPECT_FALSE(game->OfferQuestDelivery(*stranger, *player));
    EXPECT_TRUE(game->OfferQuestDelivery(*keeper, *player));
    EXPECT_EQ(Completed(), 1);
    EXPECT_FALSE(game->OfferQuestDelivery(*keeper, *player)) << "delivered once";
}

TEST_F(QuestProgress, ARescueWaitsForSafetyAndAKidnappedNpcGoesHome)
{
    Quest* taken = Make("Taken");
    ASSERT_NE(taken, nullptr);
    Actor* npc = Creature("MonsterBear", 1000.0f, 1);
    npc->homePosition = At(900.0f, 900.0f);
    npc->kidnapped = true;
    taken->target.Set(npc);
    Actor* kidnapper = Creature("MonsterWolf", 1100.0f, 1);
    npc->AddHate(kidnapper, 10.0f, 0);
    game->GetClientLines().clear();
    game->GetPlayerLines().clear();
    taken->Rescue(npc, true);
    EXPECT_EQ(CountLinesWith("msg 4 \"$$QuestResceNotSafe$$\""), 1);
    EXPECT_FALSE(taken->IsComplete());

    kidnapper->SetPosition(At(3000.0f, 100.0f, 1));
    taken->Rescue(npc, true);
    EXPECT_TRUE(taken->IsComplete());
    EXPECT_EQ(npc->position.level, 0) << "home again";
    EXPECT_FALSE(npc->kidnapped);
    EXPECT_EQ(game->GetEntity(npc->entityNumber), npc) << "sent home, not removed";

    Quest* lost = Make("Lost");
    Actor* traveller = Creature("MonsterBear", 2000.0f, 2);
    lost->target.Set(traveller);
    lost->Rescue(traveller, true);
    EXPECT_TRUE(lost->IsComplete());
    EXPECT_EQ(game->GetUnlocks().size(), 1u) << "the class is unlocked";
}

// The client's "rescue" and "escort" lines reach the world's quests through the server's command
// table, with the sending player: a rescue completes only its own quest, an escort is taken up
// and followed, and a sixth quest finds no slot.
TEST_F(QuestProgress, RescueAndEscortRequestsReachTheQuestsThroughTheCommandTable)
{
    CommandSystem commands;
    ServerCommands::Register(commands);
    // Each request is made standing beside the NPC; from further off it is no request.
    auto request = [&](const char* command, const Entity& npc) {
        return commands.Execute(std::string(command) + " " + std::to_string(npc.entityNumber), player);
    };
    auto run = [&](const char* command, const Entity& npc) {
        player->SetPosition(At(npc.position.x - 20.0f, npc.position.y, npc.position.level));
        return request(command, npc);
    };
    Quest* lost = Make("Lost");
    Actor* missing = Creature("MonsterBear", 2000.0f, 2);
    Actor* bystander = Creature("MonsterBear", 1500.0f, 2);
    lost->target.Set(missing);
    ASSERT_NE(player->AcceptQuest(lost->questId), nullptr);
    EXPECT_TRUE(run("rescue", *bystander));
    EXPECT_FALSE(lost->IsComplete()) << "not the quest's NPC";
    EXPECT_TRUE(request("rescue", *missing));
    EXPECT_FALSE(lost->IsComplete()) << "500 units away";
    EXPECT_TRUE(run("rescue", *missing));
    EXPECT_TRUE(lost->IsComplete());
    EXPECT_EQ(Completed(), 1) << "the holder hands it in";
    EXPECT_EQ(game->GetUnlocks().size(), 1u);

    Quest* walk = Make("Walk");
    Actor* traveller = Creature("MonsterBear", 500.0f);
    walk->target.Set(traveller);
    EXPECT_TRUE(run("escort", *traveller));
    EXPECT_TRUE(player->HasQuest(walk->questId)) << "taken up by the request";
    EXPECT_TRUE(traveller->following);
    EXPECT_EQ(traveller->GetLeader(), player);

    while (player->HasFreeQuestSlot())
        ASSERT_NE(player->AcceptQuest(Make("Scout")->questId), nullptr);
    Quest* second = Make("Walk");
    Actor* wanderer = Creature("MonsterBear", 600.0f);
    second->target.Set(wanderer);
    game->GetClientLines().clear();
    game->GetPlayerLines().clear();
    run("escort", *wanderer);
    EXPECT_EQ(CountLinesWith("$$NoFreeQuestSlots$$"), 1);
    EXPECT_FALSE(wanderer->following);
    EXPECT_FALSE(player->HasQuest(second->questId));
}

TEST_F(QuestProgress, ALateQuestFailsEverywhereOnceWithItsNews)
{
    Quest* join = Make("Join");
    Quest* endless = Make("Endless");
    ASSERT_TRUE(join && endless);
    join->deadline = TimeStamp{};
    Actor* recruit = Creature("MonsterBear", 500.0f);
    join->target.Set(recruit);
    EntityQuest* copy = player->AcceptQuest(join->questId);
    ASSERT_NE(copy, nullptr);
    int32_t number = join->questId;
    game->GetClientLines().clear();
    game->GetPlayerLines().clear();
    Step(40);
    EXPECT_EQ(CountLinesWith("QuestRecruitLate"), 1);
    EXPECT_TRUE(copy->failed);
    EXPECT_EQ(quests().GetQuest(number), join) << "held: it stays";
    EXPECT_FALSE(endless->failed) << "no MaxTime, no end";
}

TEST_F(QuestProgress, TheTutorialToursReachTheirGoalsByInteraction)
{
    Quest* house = Make("House");
    Quest* givers = Make("Givers");
    ASSERT_TRUE(house && givers);
    Goals(*house, 6);
    Goals(*givers, 3);
    EntityQuest* houseCopy = player->AcceptQuest(house->questId);
    EntityQuest* giversCopy = player->AcceptQuest(givers->questId);
    ASSERT_TRUE(houseCopy && giversCopy);
    Goals(*static_cast<Quest*>(houseCopy), 6);
    Goals(*static_cast<Quest*>(giversCopy), 3);

    // The goals in the order of the tour's text: gate, lifestone, pedestal, stash, bookshelf,
    // covenant stash.
    player->interactionMode = 16;
    Advance();
    EXPECT_EQ(houseCopy->goals[2].progress, 1) << "a pedestal";
    EXPECT_EQ(houseCopy->goals[0].progress, 0);
    Actor* chair = Creature("MonsterBear", 350.0f);
    chair->covenantIndex = 2;
    player->interactionMode = 19;
    player->SetInteractionTarget(chair);
    Advance();
    EXPECT_EQ(houseCopy->goals[1].progress, 0) << "another house's object";
    chair->covenantIndex = player->covenantIndex;
    Advance();
    EXPECT_EQ(houseCopy->goals[1].progress, 1) << "the house's own object used";
    player->interactionMode = 10;
    Advance();
    EXPECT_EQ(houseCopy->goals[3].progress + houseCopy->goals[5].progress, 0) << "no stash";

    Actor* warmaster = Creature("TownWarmaster", 400.0f);
    Actor* gambler = Creature("TownGambler", 450.0f);
    player->interactionMode = 24;
    player->SetInteractionTarget(gambler);
    Advance();
    EXPECT_EQ(giversCopy->progress + giversCopy->goals[0].progress + giversCopy->goals[2].progress, 0);
    player->SetInteractionTarget(warmaster);
    Advance();
    EXPECT_EQ(giversCopy->goals[0].progress, 1) << "the warmaster is the first giver";
}
