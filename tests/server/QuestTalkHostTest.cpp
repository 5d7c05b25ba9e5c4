// QuestTalkHostTest -- talking to a town quest giver through the world host: a client's update names the NPC as its target and its lines ask for the NPC's line, take the quest it offers and give it up; hostile quest lines change nothing.
#include "server/TownSpawn.h"
#include "server/WorldHostWorld.h"

#include "entities/Actor.h"
#include "server/ServerCommands.h"
#include "server/quests/GameQuests.h"
#include "server/quests/Quest.h"

#include <string>

namespace {

const std::string kQuestTalkRecords = kTownArchetypeRecord +
                                      TownNpcRecords("Steward", "Steward", "Hild",
                                                     "    GivesQuests 1\n    ChatIntro StewardIntro\n") +
                                      R"(
QuestTalkHunt
{
    Type Quest
    QuestType KillMonsters
    Count 3
    ReturnNpcType Steward
}
QuestTalkErrand
{
    Type Quest
    QuestType KillMonsters
    Count 2
    ReturnNpcType Warmaster
}
)";

class QuestTalkHost : public WorldHostWorld {
protected:
    void SetUp() override
    {
        ServerCommands::Register(host->GetClientCommands());
        StartWorld("", kQuestTalkRecords);
        player = Join(client);
        ASSERT_NE(player, nullptr);
        steward = new Actor();
        steward->SetUpFromMonsterType(gameData.FindMonsterType("MonsterSteward"), 3, false);
        steward->SetPosition(player->position.Offset(Vector2{40.0f, 0.0f}));
        ASSERT_NE(game->AddEntity(steward), -1);
        auto quest = std::make_unique<Quest>(&game->GetQuests());
        quest->Setup(database.FindEntryByName("QuestTalkHunt"), 2, 77, 0, TimeStamp{});
        hunt = game->GetQuests().AddQuest(std::move(quest));
        ASSERT_GE(hunt, 0);
    }

    // One update that stands the player where it is, talking to the target, with the lines.
    void Talk(int32_t target, std::vector<std::string> lines) { TalkFrom(player->position, target, std::move(lines)); }

    // The same from the place given.
    void TalkFrom(const WorldPos& where, int32_t target, std::vector<std::string> lines)
    {
        NetClientUpdate update = UpdateAt(where, std::move(lines));
        update.interactionMode = 24;
        update.target = target;
        SendUpdate(client, update);
        Frame(0);
    }

    // What the host sent the client as one text.
    std::string Received()
    {
        std::string text;
        for (MessageBuffer& buffer : client.ReceiveAll())
            text.append(reinterpret_cast<const char*>(buffer.Data()), buffer.Size());
        return text;
    }

    int32_t CountHeld() const
    {
        int32_t held = 0;
        for (int32_t slot = 0; slot < 6; ++slot)
            held += player->GetQuestSlot(slot) && !player->GetQuestSlot(slot)->IsEmpty() ? 1 : 0;
        return held;
    }

    TestClient client{6301};
    Player* player = nullptr;
    Actor* steward = nullptr;
    int32_t hunt = -1;
};

TEST_F(QuestTalkHost, TheTalkedToNpcAnswersAndItsQuestIsTakenAndGivenUp)
{
    std::vector<int32_t> offers;
    game->GetQuestsOfferedBy(*steward, offers);
    ASSERT_EQ(offers, std::vector<int32_t>{hunt});
    client.ReceiveAll();
    Talk(steward->entityNumber, {"getNpcChat", "acceptQuest " + std::to_string(hunt)});
    EXPECT_NE(Received().find("npcChat \"$$StewardIntro"), std::string::npos) << "the NPC's introduction reaches the client";
    ASSERT_TRUE(player->HasQuest(hunt));
    EXPECT_EQ(CountHeld(), 1);
    // Taken twice is held once.
    Talk(steward->entityNumber, {"acceptQuest " + std::to_string(hunt)});
    EXPECT_EQ(CountHeld(), 1);
    int32_t slot = 0;
    while (slot < 6 && !(player->GetQuestSlot(slot) && player->GetQuestSlot(slot)->questId == hunt))
        ++slot;
    ASSERT_LT(slot, 6);
    Talk(steward->entityNumber, {"declineQuest " + std::to_string(slot)});
    EXPECT_FALSE(player->HasQuest(hunt));
    EXPECT_EQ(CountHeld(), 0);
}

TEST_F(QuestTalkHost, HostileQuestLinesTakeNothingAndTalkWithoutATargetSaysNothing)
{
    // The hunt is world quest 0, so a word read as the number 0 would take it.
    ASSERT_EQ(hunt, 0);
    client.ReceiveAll();
    Talk(-1, {"getNpcChat", "acceptQuest -1", "acceptQuest 2147483647", "acceptQuest 99999999999", "acceptQuest x",
              "acceptQuest", "acceptQuest " + std::to_string(hunt + 1), "declineQuest -1", "declineQuest 6",
              "declineQuest 2147483647", "skipQuest -5"});
    EXPECT_EQ(Received().find("npcChat"), std::string::npos);
    EXPECT_EQ(CountHeld(), 0);
    // A target that is no NPC is not talked to either.
    Talk(player->entityNumber, {"getNpcChat"});
    EXPECT_EQ(Received().find("npcChat"), std::string::npos);
    // The player's own quest is left alone by a slot it does not hold and by words that are no
    // number (once read as slot 0).
    Talk(steward->entityNumber, {"acceptQuest " + std::to_string(hunt), "declineQuest 5", "declineQuest x",
                                 "skipQuest first", "completeQuest y"});
    EXPECT_TRUE(player->HasQuest(hunt));
}

TEST_F(QuestTalkHost, AQuestIsTakenOnlyFromTheNpcThatOffersItAndWithinItsReach)
{
    // A quest for another kind of giver: the steward does not offer it.
    auto made = std::make_unique<Quest>(&game->GetQuests());
    made->Setup(database.FindEntryByName("QuestTalkErrand"), 2, 78, 0, TimeStamp{});
    int32_t errand = game->GetQuests().AddQuest(std::move(made));
    ASSERT_GE(errand, 0);
    std::vector<int32_t> offers;
    game->GetQuestsOfferedBy(*steward, offers);
    ASSERT_EQ(offers, std::vector<int32_t>{hunt});
    WorldPos beside = player->position;
    Talk(steward->entityNumber, {"acceptQuest " + std::to_string(errand)});
    // Talking to the player's own body offers nothing either.
    Talk(player->entityNumber, {"acceptQuest " + std::to_string(hunt)});
    EXPECT_EQ(CountHeld(), 0);
    // The steward's own quest, asked from across the level and from another level.
    for (WorldPos away : {beside.Offset(Vector2{600.0f, 0.0f}), WorldPos{2, beside.x, beside.y, true}}) {
        TalkFrom(away, steward->entityNumber, {"acceptQuest " + std::to_string(hunt)});
        ASSERT_EQ(player->position.level, away.level) << "the client's place is taken";
        ASSERT_LT(player->position.Distance2D(away), 1.0f);
        EXPECT_EQ(CountHeld(), 0);
    }
    // Walked back to the steward, it is taken.
    TalkFrom(beside, steward->entityNumber, {"acceptQuest " + std::to_string(hunt)});
    EXPECT_TRUE(player->HasQuest(hunt));
    EXPECT_FALSE(player->HasQuest(errand));
}

} // namespace
