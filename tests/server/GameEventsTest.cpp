// GameEventsTest -- what the game tells the players: message lines and their kinds by a covenant's tie to the player, super secrets, and a lost world.
#include "server/CommandWorld.h"

#include "core/LocSystem.h"

namespace {

class GameEvents : public CommandWorld {
protected:
    GameEvents()
    {
        other = AddCovenant();
        game->GetClientLines().clear();
    }

    std::vector<std::string> Sent() const { return game->GetClientLines(); }
    // The lines for the player's own client alone.
    std::vector<std::string> SentToPlayer() const
    {
        std::vector<std::string> lines;
        for (const auto& [number, line] : game->GetPlayerLines())
            if (number == player->entityNumber)
                lines.push_back(line);
        return lines;
    }

    DealCovenant* other = nullptr;
};

using EventLines = std::vector<std::string>;

} // namespace

// ---- Message lines --------------------------------------------------------------------------------

TEST_F(GameEvents, AMessageIsOneQuotedLineWhateverTheNameHolds)
{
    game->SendMessage("$$Hello$$", 4);
    game->SendMessage("Brom \"the Red\"\nsays\r hi", 3);
    game->SendMessage("", 2);
    EXPECT_EQ(Sent(), (EventLines{"msg 4 \"$$Hello$$\"", "msg 3 \"Brom 'the Red' says  hi\"", "msg 2 \"\""}));
}

TEST_F(GameEvents, LinesQueuedAfterAClearCarryNothingOfTheLinesBefore)
{
    const std::string longLine(200, 'x');
    game->QueueClientCommand(longLine);
    game->QueueClientCommand("dmg 7 $$CritHitPrint~<12@@>~$$");
    game->QueueClientCommand("dmg 7 3");
    game->ClearClientLines();
    EXPECT_TRUE(Sent().empty());
    // Fewer, shorter and longer lines than the frame before, in their own order.
    game->QueueClientCommand("a");
    game->QueueClientCommand(longLine + "y");
    EXPECT_EQ(Sent(), (EventLines{"a", longLine + "y"}));
    game->ClearClientLines();
    for (int i = 0; i < 5; ++i)
        game->QueueClientCommand(std::to_string(i));
    EXPECT_EQ(Sent(), (EventLines{"0", "1", "2", "3", "4"}));
}

TEST_F(GameEvents, ModeZeroTellsTheOwnCovenantFromTheOthers)
{
    game->AnnounceForCovenant(mine, 0, "own");
    game->AnnounceForCovenant(other, 0, "theirs");
    game->AnnounceForCovenant(nullptr, 0, "nobody");
    EXPECT_EQ(Sent(), (EventLines{"msg 2 \"own\"", "msg 3 \"theirs\"", "msg 3 \"nobody\""}));
}

TEST_F(GameEvents, ModeOneCountsProtectedAlliesAsOwn)
{
    const std::pair<int32_t, int32_t> cases[] = {
        {CovenantTreaty::Alliance, 2},  {CovenantTreaty::MutualProtectionPact, 2},
        {CovenantTreaty::NonAggressionPact, 3}, {CovenantTreaty::War, 3},
        {CovenantTreaty::Peace, 3},
    };
    for (auto [treaty, kind] : cases) {
        game->GetClientLines().clear();
        mine->SetTreatyState(other->index, treaty);
        game->AnnounceForCovenant(other, 1, "x");
        game->AnnounceForCovenant(mine, 1, "y");
        EXPECT_EQ(Sent(), (EventLines{"msg " + std::to_string(kind) + " \"x\"", "msg 2 \"y\""})) << treaty;
    }
}

TEST_F(GameEvents, OtherModesAreTheKindItself)
{
    game->AnnounceForCovenant(mine, 4, "a");
    game->AnnounceForCovenant(other, 7, "b");
    EXPECT_EQ(Sent(), (EventLines{"msg 4 \"a\"", "msg 7 \"b\""}));
}

TEST_F(GameEvents, NothingIsAnnouncedWithoutAPlayerCovenant)
{
    player->covenantIndex = -1;
    game->AnnounceForCovenant(other, 0, "a");
    game->AnnounceForCovenant(other, 4, "b");
    EXPECT_TRUE(Sent().empty());
}

// ---- Super secrets --------------------------------------------------------------------------------

TEST_F(GameEvents, ASuperSecretTellsThePlayerAndScores)
{
    LoadRecords("GameSystem\n{\n    ScoreForSuperSecret 250\n    ScoreForSecret 7\n}\n");
    int32_t score = player->stats.Get(CharacterStat::Score);
    int32_t secrets = player->stats.Get(CharacterStat::SecretsFound);
    game->OnSuperSecretFound(*player);
    EXPECT_EQ(player->stats.Get(CharacterStat::Score), score + 250);
    EXPECT_EQ(player->stats.Get(CharacterStat::SecretsFound), secrets);
    EXPECT_EQ(SentToPlayer(), EventLines{"msg 2 \"$$SuperSecretFound$$\""});
    EXPECT_EQ(Sent(), EventLines{"dmg 0 ^f006+250$$ScorePrint$$"});
}

TEST_F(GameEvents, ASuperSecretWithoutAScoreGivesOnlyTheMessage)
{
    LoadRecords("GameSystem\n{\n    ScoreForSuperSecret 0\n}\n");
    int32_t score = player->stats.Get(CharacterStat::Score);
    game->OnSuperSecretFound(*player);
    EXPECT_EQ(player->stats.Get(CharacterStat::Score), score);
    EXPECT_EQ(SentToPlayer(), EventLines{"msg 2 \"$$SuperSecretFound$$\""});
    EXPECT_TRUE(Sent().empty());
}

// ---- Defeat ---------------------------------------------------------------------------------------

TEST_F(GameEvents, ThePlayersCovenantIsDefeatedOnlyWhenEliminated)
{
    EXPECT_FALSE(game->IsPlayerCovenantDefeated());
    other->eliminated = true;
    EXPECT_FALSE(game->IsPlayerCovenantDefeated());
    mine->eliminated = true;
    EXPECT_TRUE(game->IsPlayerCovenantDefeated());
    player->covenantIndex = -1;
    EXPECT_FALSE(game->IsPlayerCovenantDefeated());
}

TEST_F(GameEvents, EachLostWorldCountsOnce)
{
    game->LoseWorld();
    EXPECT_TRUE(game->IsGameOver());
    game->LoseWorld();
    EXPECT_EQ(mine->worldResults.Get(Covenant::kWorldsLost), 2);
    EXPECT_EQ(mine->worldResults.Get(Covenant::kWorldsWon), 0);
    EXPECT_EQ(other->worldResults.GetCount(), 0);
}

// ---- Covenants fallen, peace refused and allied victories ---------------------------------------------

TEST_F(GameEvents, TheStrongestOfEqualsIsTheEarlierAndOnlyTheLivingCount)
{
    EXPECT_EQ(game->GetStrongestCovenant(), mine);
    mine->eliminated = true;
    EXPECT_EQ(game->GetStrongestCovenant(), other);
    other->eliminated = true;
    EXPECT_EQ(game->GetStrongestCovenant(), nullptr);
}

TEST_F(GameEvents, AnAlliedVictoryNeedsEveryLivingCovenantAllied)
{
    EXPECT_FALSE(game->IsAlliedVictoryPossible());  // the strongest is the player's own
    mine->SetTreaty(other->index, CovenantTreaty::Alliance, TimeStamp());
    EXPECT_TRUE(game->IsAlliedVictoryPossible());
    mine->SetTreaty(other->index, CovenantTreaty::Peace, TimeStamp());
    other->eliminated = true;
    EXPECT_TRUE(game->IsAlliedVictoryPossible());  // nobody else lives
    mine->eliminated = true;
    EXPECT_FALSE(game->IsAlliedVictoryPossible());
}

// What the first player's client set: the interaction mode and the entity it deals with.
TEST_F(GameEvents, TheFirstPlayerIsUnassignedUntilItDealsWithSomeoneWhoseCovenantItTargets)
{
    auto* envoy = Spawn<Actor>(120.0f, 100.0f);
    envoy->maxHealth = envoy->health = 10;
    envoy->covenantIndex = other->index;
    EXPECT_TRUE(game->IsFirstPlayerUnassigned());
    EXPECT_FALSE(game->IsFirstPlayerTargetCovenant(*other));
    player->SetInteraction(18, envoy->entityNumber);
    ASSERT_EQ(player->GetInteractionTarget(), envoy);
    EXPECT_FALSE(game->IsFirstPlayerUnassigned());
    EXPECT_TRUE(game->IsFirstPlayerTargetCovenant(*other));
    EXPECT_FALSE(game->IsFirstPlayerTargetCovenant(*mine));
    envoy->covenantIndex = -1;
    EXPECT_FALSE(game->IsFirstPlayerTargetCovenant(*other)) << "an envoy of no covenant";
    envoy->covenantIndex = other->index;
    game->RemovePlayer(player);
    EXPECT_FALSE(game->IsFirstPlayerUnassigned()) << "an empty first entry";
    EXPECT_FALSE(game->IsFirstPlayerTargetCovenant(*other));
}

// Every covenant hears the value once either entity belongs to a covenant; nobody otherwise.
TEST_F(GameEvents, ACovenantEventReachesEveryCovenantWhenEitherEntityHasOne)
{
    auto* member = Spawn<Actor>(120.0f, 100.0f);
    member->covenantIndex = other->index;
    auto* loner = Spawn<Actor>(140.0f, 100.0f);
    struct Case {
        Entity* first;
        Entity* second;
        bool heard;
    };
    const Case cases[] = {{member, loner, true},  {loner, member, true},   {nullptr, member, true},
                          {loner, loner, false},  {loner, nullptr, false}, {nullptr, nullptr, false}};
    int32_t value = 0;
    for (const Case& c : cases) {
        mine->hooks.clear();
        other->hooks.clear();
        game->OnCovenantEvent(c.first, c.second, ++value);
        std::vector<int32_t> expected = c.heard ? std::vector<int32_t>{value} : std::vector<int32_t>{};
        EXPECT_EQ(mine->hooks, expected) << value;
        EXPECT_EQ(other->hooks, expected) << value;
    }
}

TEST_F(GameEvents, OnlyARefusedPeaceIsAnnounced)
{
    game->AnnouncePeaceResponse(*other, *mine, true);
    EXPECT_TRUE(Sent().empty());
    game->AnnouncePeaceResponse(*other, *mine, false);
    EXPECT_EQ(Sent(), (EventLines{"msg 3 \"" +
                                  MakeLocToken("XRejectsPeaceTreatyFromY", "%s %s",
                                               game->GetCovenantText(other->index).c_str(),
                                               game->GetCovenantText(mine->index).c_str()) +
                                  "\""}));
}

TEST_F(GameEvents, ACovenantOverrunByMonstersGetsOneLineAndNoChest)
{
    int32_t before = game->CountEntities();
    game->OnCovenantDestroyed(*other, nullptr);
    EXPECT_EQ(Sent(), (EventLines{"msg 3 \"" +
                                  MakeLocToken("XDestroyedByMonsters", "%s",
                                               game->GetCovenantText(other->index).c_str()) +
                                  "\""}));
    EXPECT_EQ(game->CountEntities(), before);
}

TEST_F(GameEvents, TheDestroyerGainsInfluenceByTheFallensAndTheNewsSaysHowMuch)
{
    LoadRecords("GameSystem\n{\n    MaxInfluence 100000\n    InfluenceMultDestroyedCovenant 0.5\n}\n");
    DealCovenant* third = AddCovenant();
    third->statistics.Set(CovenantStat::InfluenceCompetition, 10);
    other->statistics.Set(CovenantStat::InfluenceAdventure, 3000);
    other->statistics.Set(CovenantStat::InfluenceCompetition, 1);
    other->statistics.Set(CovenantStat::InfluenceWorld, 1000);
    // The transferred counter is not the fallen's own: it counts for nothing.
    other->statistics.Set(CovenantStat::InfluenceTransferred, 500);
    game->GetClientLines().clear();
    game->OnCovenantDestroyed(*other, third);
    // ceil(4001 x 0.5) = 2001.
    EXPECT_EQ(third->statistics.Get(CovenantStat::InfluenceCompetition), 2011);
    ASSERT_FALSE(Sent().empty());
    EXPECT_NE(Sent()[0].find("2,001"), std::string::npos) << Sent()[0];
}

TEST_F(GameEvents, AnotherCovenantsSpoilsLeaveNoChestInTheWorld)
{
    DealCovenant* third = AddCovenant();
    auto* leader = Spawn<Sentient>(300.0f, 300.0f);
    leader->stats.Set(CharacterStat::Level, 8);
    other->leader = leader;
    game->GetClientLines().clear();
    int32_t before = game->CountEntities();
    game->OnCovenantDestroyed(*other, third);
    ASSERT_EQ(Sent().size(), 1u);
    EXPECT_NE(Sent()[0].find("$$XDestroysYGainsZInfluence~<"), std::string::npos);
    EXPECT_EQ(game->CountEntities(), before);
}
