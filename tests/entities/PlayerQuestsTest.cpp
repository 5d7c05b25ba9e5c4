// PlayerQuestsTest -- the six quest slots with scripted quests: accepting, the full slots, handing in, talk-to quests, recruits, and what the quests see first.
#include "core/Database.h"
#include "core/Event.h"
#include "entities/Actor.h"
#include "entities/EntityWorld.h"
#include "entities/NeutralCovenant.h"
#include "entities/Player.h"
#include "entities/ScriptedQuest.h"
#include "rules/GameData.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr const char* kQuestRecords = R"(
GameSystem
{
    MaxRecruits 1
    MaxAdventureGroupSize 3
}
ClassWanderer
{
    Type Class
    HealthPerVit 5
    StartVitality 10
}
Slay
{
    Type Quest
    QuestType KillMonsters
    Count 3
}
Chat
{
    Type Quest
    QuestType Escort
    Count 2
}
Hire
{
    Type Quest
    QuestType Recruit
    Count 1
}
)";

class QuestCovenant : public NeutralCovenant {
public:
    int32_t CountRecruits() const override { return static_cast<int32_t>(recruits.size()); }
    bool HasRoomForRecruit() const override { return CountRecruits() < gGameData->GetTuning().maxRecruits; }
    bool TakeRecruit(Sentient& npc) override
    {
        recruits.push_back(&npc);
        return true;
    }
    std::vector<Sentient*> recruits;
};

class PlayerQuestWorld : public EntityWorld {
protected:
    PlayerQuestWorld()
    {
        Player::RegisterEventClass(events, types);
        game.questMaker = [] { return std::make_unique<ScriptedQuest>(); };
        LoadRecords(kQuestRecords);
    }

    // A game quest of the definition at number; the list grows to hold it.
    ScriptedQuest& Offer(int32_t number, const char* definition)
    {
        auto quest = std::make_unique<ScriptedQuest>();
        EXPECT_TRUE(quest->Setup(database.FindEntryByName(definition), 4, 11u + static_cast<uint32_t>(number), 0, {}));
        quest->RollParameters(false);
        quest->Generate();
        quest->questId = number;
        offered.push_back(std::move(quest));
        if (static_cast<int32_t>(game.gameQuests.size()) <= number)
            game.gameQuests.resize(static_cast<size_t>(number) + 1, nullptr);
        game.gameQuests[static_cast<size_t>(number)] = offered.back().get();
        return *offered.back();
    }

    Player* MakePlayer()
    {
        auto* player = Spawn<Player>(100.0f, 100.0f);
        player->SetUpNew(0);
        game.lines.clear();
        return player;
    }

    static ScriptedQuest& Slot(Player& player, int32_t slot) { return *static_cast<ScriptedQuest*>(player.GetQuestSlot(slot)); }

    bool Sent(const std::string& text) const
    {
        return std::any_of(game.lines.begin(), game.lines.end(),
                           [&](const std::string& line) { return line.find(text) != std::string::npos; });
    }

    std::vector<std::unique_ptr<ScriptedQuest>> offered;
    QuestCovenant covenant;
};

} // namespace

TEST_F(PlayerQuestWorld, AcceptingCopiesTheGameQuestIntoTheFirstFreeSlot)
{
    Player* player = MakePlayer();
    Offer(3, "Slay");
    EXPECT_EQ(player->FindFreeQuestSlot(), 0);
    EntityQuest* quest = player->AcceptQuest(3);
    ASSERT_EQ(quest, player->GetQuestSlot(0));
    EXPECT_EQ(quest->questId, 3);
    EXPECT_EQ(quest->count, offered.back()->count);
    EXPECT_TRUE(player->HasQuest(3));
    EXPECT_EQ(player->CountActiveQuests(), 1);
    EXPECT_EQ(game.playerHooks, std::vector<std::string>{"accepted 3"});
}

TEST_F(PlayerQuestWorld, AcceptingAHeldQuestGivesNoneAndSendsNothing)
{
    Player* player = MakePlayer();
    Offer(0, "Slay");
    ASSERT_NE(player->AcceptQuest(0), nullptr);
    game.lines.clear();
    EXPECT_EQ(player->AcceptQuest(0), nullptr);
    EXPECT_EQ(player->AcceptQuest(5), nullptr);  // no such game quest
    EXPECT_TRUE(game.lines.empty());
    EXPECT_EQ(player->CountActiveQuests(), 1);
}

TEST_F(PlayerQuestWorld, SixHeldQuestsFillTheSlotsForAcceptingAndTalking)
{
    Player* player = MakePlayer();
    for (int32_t i = 0; i < 7; ++i)
        Offer(i, "Slay");
    for (int32_t i = 0; i < 6; ++i)
        ASSERT_NE(player->AcceptQuest(i), nullptr);
    EXPECT_FALSE(player->HasFreeQuestSlot());
    EXPECT_EQ(player->AcceptQuest(6), nullptr);
    EXPECT_TRUE(Sent("$$FullQuestSlots$$"));
    auto* npc = Spawn<Sentient>(110.0f, 100.0f);
    game.talkQuests[npc->entityNumber] = 6;
    player->Escort(*npc);
    EXPECT_TRUE(Sent("$$NoFreeQuestSlots$$"));
}

TEST_F(PlayerQuestWorld, HandingInPaysCountsAndEmptiesTheSlot)
{
    Player* player = MakePlayer();
    Offer(2, "Slay");
    EntityQuest* quest = player->AcceptQuest(2);
    quest->SetComplete();
    EXPECT_TRUE(player->IsQuestComplete(2));
    player->CompleteQuest(2);
    EXPECT_EQ(Slot(*player, 0).calls, (std::vector<std::string>{"reward"}));
    EXPECT_EQ(game.playerHooks.back(), "turnedIn 2");
    EXPECT_EQ(player->statistics.Get(PlayerStatistic::QuestsCompleted), 1);
    EXPECT_TRUE(quest->IsEmpty());
}

TEST_F(PlayerQuestWorld, ATurnedInQuestIsLeftAlone)
{
    Player* player = MakePlayer();
    Offer(2, "Slay");
    EntityQuest* quest = player->AcceptQuest(2);
    quest->turnedIn = true;
    player->CompleteQuest(2);
    EXPECT_TRUE(Slot(*player, 0).calls.empty());
    EXPECT_FALSE(quest->IsEmpty());
    EXPECT_EQ(player->statistics.Get(PlayerStatistic::QuestsCompleted), 0);
}

TEST_F(PlayerQuestWorld, ANegativeNumberHandsInWhatTheNpcTalkedToTakesBack)
{
    Player* player = MakePlayer();
    Offer(0, "Slay");
    Offer(1, "Slay");
    player->AcceptQuest(0)->SetComplete();
    EntityQuest* second = player->AcceptQuest(1);
    second->SetComplete();
    auto* npc = Spawn<Actor>(110.0f, 100.0f);
    Slot(*player, 1).forNpc = npc->entityNumber;
    player->SetInteraction(2, npc->entityNumber);
    EXPECT_EQ(player->FindCompletedQuestFor(*npc), 1);
    player->CompleteQuest(-1);
    EXPECT_TRUE(second->IsEmpty());
    EXPECT_FALSE(player->GetQuestSlot(0)->IsEmpty());
}

TEST_F(PlayerQuestWorld, ARecruitQuestIsRefusedToALonerAndToAFullCovenant)
{
    Player* player = MakePlayer();
    game.covenants = {&covenant};
    player->covenantIndex = 0;
    Offer(0, "Hire");
    EntityQuest* quest = player->AcceptQuest(0);
    quest->SetComplete();
    auto* npc = Spawn<Actor>(110.0f, 100.0f);
    player->SetInteraction(2, npc->entityNumber);
    player->SetCharacterFlag(CharacterFlag::kLoner, true);
    player->CompleteQuest(0);
    EXPECT_TRUE(Sent("$$LonerChallengeWarning$$"));
    EXPECT_FALSE(quest->IsEmpty());
    player->SetCharacterFlag(CharacterFlag::kLoner, false);
    covenant.recruits.push_back(player);  // the one place "MaxRecruits" allows is taken
    player->CompleteQuest(0);
    EXPECT_TRUE(Sent("$$AlreadyHaveMaxCovenantRecruits$$"));
    EXPECT_TRUE(Slot(*player, 0).calls.empty());
    covenant.recruits.clear();
    player->CompleteQuest(0);
    ASSERT_EQ(covenant.recruits.size(), 1u);
    EXPECT_EQ(covenant.recruits[0], npc);
    EXPECT_EQ(npc->GetLeader(), player);
    EXPECT_TRUE(quest->IsEmpty());
}

TEST_F(PlayerQuestWorld, TalkingToAnNpcStepsItsQuestOrTakesTheGamesOne)
{
    Player* player = MakePlayer();
    auto* npc = Spawn<Sentient>(110.0f, 100.0f);
    Offer(4, "Chat");
    game.talkQuests[npc->entityNumber] = 4;
    player->Escort(*npc);
    ASSERT_TRUE(player->HasQuest(4));
    std::string talk = "talk " + std::to_string(npc->entityNumber);
    EXPECT_EQ(Slot(*player, 0).calls, std::vector<std::string>{talk});
    Slot(*player, 0).targetEntity = npc;
    player->Escort(*npc);
    EXPECT_EQ(Slot(*player, 0).calls, (std::vector<std::string>{talk, talk}));
    EXPECT_EQ(player->CountActiveQuests(), 1);
}

TEST_F(PlayerQuestWorld, AbandoningEmptiesTheSlotAndRefreshes)
{
    Player* player = MakePlayer();
    Offer(1, "Slay");
    player->AcceptQuest(1);
    player->AbandonQuest(1);
    EXPECT_FALSE(player->HasQuest(1));
    EXPECT_EQ(game.playerHooks.back(), "refresh");
}

TEST_F(PlayerQuestWorld, EventsAndStepsReachTheQuestsButNotAHandedInEmptySlot)
{
    Player* player = MakePlayer();
    Offer(1, "Slay");
    player->AcceptQuest(1);
    Slot(*player, 1).turnedIn = true;  // empty and handed in: nothing left to follow
    game.Step();
    player->Update(0.05f);
    Event* event = events.MakeEvent(events.RegisterEvent("QuestTestPing"));
    ASSERT_NE(event, nullptr);
    player->ReceiveEvent(*event, false);
    events.FreeEvent(event);
    EXPECT_EQ(Slot(*player, 0).calls, (std::vector<std::string>{"advance", "event"}));
    EXPECT_EQ(Slot(*player, 1).calls, std::vector<std::string>{"event"});
}
