// GameActorsTest -- what the game does for its actors: the actors it names for its quests (entries, gone actors, the game's part of the update), calls for help and random points of a level.
#include "server/GameWorld.h"
#include "server/TownSpawn.h"

#include "core/MessageBuffer.h"
#include "entities/Actor.h"
#include "entities/Sentient.h"

#include <string>

namespace {

const std::string kNamedActorRecords = R"(
GameSystem
{
    NpcType Steward
    NpcType Gambler
    TownSpotSteward "0 100 100"
    TownSpotGambler "0 200 100"
}
SpawnSystem
{
}
)" + TownNpcRecords("Dicer", "Gambler", "Odo the Dicer") + kTownArchetypeRecord +
                                      TownNpcRecords("Smith", "Steward", "Hild the Smith", "    CanMove 1\n");

class GameActors : public GameWorld {
protected:
    GameActors()
    {
        Actor::RegisterEventClass(events, types);
        LoadRecords(kNamedActorRecords);
    }

    Actor* Smith(float x)
    {
        auto* smith = new Actor();
        smith->SetUpFromMonsterType(gameData.FindMonsterType("MonsterSmith"), 3, false);
        smith->SetPosition(At(x, 100.0f));
        EXPECT_NE(game->AddEntity(smith), -1);
        return smith;
    }

    // The town of the records: the smith (a steward) in slot 0, the dicer (a gambler) in slot 1.
    void FillTown()
    {
        town.Fill(*game);
        ASSERT_EQ(game->CountNamedActors(), 2);
        ASSERT_NE(game->GetNamedActor(0), nullptr);
        ASSERT_NE(game->GetNamedActor(1), nullptr);
    }

    // The game's part of the update, read up to its named actors.
    static MessageBuffer PartUpToNamedActors(const Game& game)
    {
        MessageBuffer buffer;
        game.WriteNetPart(buffer, nullptr);
        buffer.SetReadPos(5 * 4);  // the elapsed time and the difficulty
        int32_t covenants = buffer.ReadInt();
        EXPECT_EQ(covenants, 0);
        buffer.ReadFloat();  // the time of day
        return buffer;
    }

    TownSpawn town;
};

} // namespace

TEST_F(GameActors, EntriesNameTheirActorsAndStayEmptyOnceTheActorHasGone)
{
    FillTown();
    Actor* other = game->GetNamedActor(1);
    std::string name;
    game->GetNamedEntry(0, name);
    EXPECT_EQ(name, "Hild the Smith");
    game->GetNamedEntry(1, name);
    EXPECT_EQ(name, "Odo the Dicer");
    game->RemoveEntity(other);
    delete other;
    EXPECT_EQ(game->CountNamedActors(), 2);
    EXPECT_EQ(game->GetNamedActor(1), nullptr);
    game->GetNamedEntry(1, name);
    EXPECT_EQ(name, "");
    for (int32_t outside : {-1, 2, 1000000}) {
        EXPECT_EQ(game->GetNamedActor(outside), nullptr) << outside;
        game->GetNamedEntry(outside, name);
        EXPECT_EQ(name, "") << outside;
    }
}

TEST_F(GameActors, TheGamesPartCarriesEachEntryAsItsTypeAndName)
{
    FillTown();
    Actor* gone = game->GetNamedActor(1);
    game->RemoveEntity(gone);
    delete gone;
    MessageBuffer buffer = PartUpToNamedActors(*game);
    ASSERT_EQ(buffer.ReadUInt(), 2u);
    EXPECT_EQ(buffer.ReadInt(), 3) << "a steward";
    EXPECT_EQ(buffer.ReadString(), "Hild the Smith");
    EXPECT_EQ(buffer.ReadInt(), 0);
    EXPECT_EQ(buffer.ReadString(), "");
    EXPECT_EQ(buffer.ReadUInt(), 0u) << "then the world quests";
    EXPECT_FALSE(buffer.Overrun());
}

TEST_F(GameActors, OneLivingAwakeActorIsEnoughToBreakThePeace)
{
    EXPECT_TRUE(game->AreAllActorsPassive()) << "no actors at all";
    Actor* smith = Smith(100.0f);
    smith->maxHealth = smith->health = 10;
    smith->SetActive(false);
    EXPECT_TRUE(game->AreAllActorsPassive()) << "asleep";
    smith->SetActive(true);
    EXPECT_FALSE(game->AreAllActorsPassive());
    smith->health = 0;
    EXPECT_TRUE(game->AreAllActorsPassive()) << "dead";
    smith->health = 10;
    smith->maxHealth = 0;
    EXPECT_TRUE(game->AreAllActorsPassive()) << "nothing that lives";
}

TEST_F(GameActors, AResetForgetsTheNames)
{
    FillTown();
    game->Reset();
    EXPECT_EQ(game->CountNamedActors(), 0);
}

TEST_F(GameActors, ACallForHelpReachesTheAlliesInRangeAndNoOneElse)
{
    Actor* attacked = Smith(100.0f);
    Actor* ally = Smith(300.0f);
    Actor* far = Smith(400.0f);
    auto* attacker = Spawn<Sentient>(150.0f, 100.0f);
    attacker->maxHealth = attacker->health = 50;
    for (Actor* actor : {attacked, ally, far})
        actor->maxHealth = actor->health = 20;
    game->relationship = 3;
    game->CallForHelp(*attacked, attacker, 250.0f);
    EXPECT_NE(ally->FindHateEntry(attacker), nullptr);
    EXPECT_EQ(far->FindHateEntry(attacker), nullptr) << "300 away";
    EXPECT_EQ(attacked->FindHateEntry(attacker), nullptr) << "the caller is not called";
    ally->ClearHateList();
    game->relationship = 2;
    game->CallForHelp(*attacked, attacker, 250.0f);
    EXPECT_EQ(ally->FindHateEntry(attacker), nullptr) << "not allied";
    game->relationship = 3;
    ally->health = 0;
    game->CallForHelp(*attacked, attacker, 250.0f);
    EXPECT_EQ(ally->FindHateEntry(attacker), nullptr) << "dead";
}

TEST_F(GameActors, ARandomPointLiesOnTheLevelAskedForAndNoLevelGivesNone)
{
    WorldPos point;
    for (int32_t level = 0; level < 3; ++level) {
        ASSERT_TRUE(game->PickPointInLevel(level, point)) << level;
        EXPECT_EQ(point.level, level);
    }
    point = At(1.0f, 2.0f);
    for (int32_t level : {-1, 3, 1000000})
        EXPECT_FALSE(game->PickPointInLevel(level, point)) << level;
    EXPECT_EQ(point.level, 0) << "left as it was";
    EXPECT_FLOAT_EQ(point.x, 1.0f);
}
