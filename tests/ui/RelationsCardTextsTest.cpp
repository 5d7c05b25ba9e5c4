// RelationsCardTextsTest -- the covenant cards' texts and the covenant flags as the world host sets them and the game update carries them to the client: coloured names, influence rank, taxes and trade routes, the relations toward the player's covenant, raids, alerts, offers waiting on the player and the NPC that could join.
#include "ui/RelationsWorld.h"

#include "core/ColorCode.h"
#include "core/LocSystem.h"
#include "core/CommandSystem.h"
#include "entities/Actor.h"
#include "entities/Player.h"
#include "rules/Formulas.h"
#include "rules/GameData.h"
#include "rules/RulesEnums.h"

namespace {

class RelationsMenuCards : public RelationsWorld {
protected:
    // The card's widgets in the order the menu made them: name, label, fallen sign, the three lines.
    UIWidget& CardWidget(int32_t covenant, size_t widget) const
    {
        return *menu->covenantCards[static_cast<size_t>(covenant)].card->GetWidgets().at(widget);
    }
    std::string Tooltip(int32_t covenant, size_t widget) const
    {
        const UIWidget& shown = CardWidget(covenant, widget);
        return shown.BuildText(shown.highlightTextSource);
    }
    std::string Colored(int32_t covenant) const
    {
        const CovenantClient* mirror = gameClient->GetCovenant(covenant, false);
        return MakeColorCode(mirror->GetColor()) + mirror->GetDisplayName() + MakeColorCode(kNormalTextColor);
    }
    UiCovenantFacts Facts(int32_t covenant) const
    {
        UiCovenantFacts facts;
        EXPECT_TRUE(view.GetCovenant(covenant, facts));
        return facts;
    }
    Covenant& Host(int32_t covenant) const { return *game->GetGameCovenant(covenant); }
};

constexpr size_t kLabel = 1;
constexpr size_t kInfluenceLine = 3;
constexpr size_t kTaxLine = 5;

} // namespace

TEST_F(RelationsMenuCards, CardsShowColouredNamesInfluenceRanksAndTaxesFromTheHost)
{
    Start(3);
    Host(2).statistics.Set(CovenantStat::InfluenceWorld, 900);
    Host(1).statistics.Set(CovenantStat::InfluenceWorld, 400);
    Host(1).SetTradeRouteKind(2, TradeRouteType::Small);
    Sync();
    Open();
    Draw();
    for (int32_t i = 0; i < 4; ++i)
        EXPECT_EQ(CardWidget(i, kLabel).text, Colored(i)) << i;
    EXPECT_NE(Colored(1), Colored(0)) << "the rival's colour and name, not the player's";
    EXPECT_EQ(CardWidget(2, kInfluenceLine).text, "$$InfluenceAbrev$$: #1");
    EXPECT_EQ(CardWidget(1, kInfluenceLine).text, "$$InfluenceAbrev$$: #2");

    // The tax line and its tooltip: the routes by partner, none, and the guards' upkeep.
    const CovenantClient& one = *gameClient->GetCovenant(1, false);
    EXPECT_EQ(CardWidget(1, kTaxLine).text, "$$TaxesAbrev$$: " + std::to_string(one.GetTotalTaxes()));
    std::string routes = Tooltip(1, kTaxLine);
    EXPECT_EQ(routes.rfind("$$BaseTaxes$$: " + std::to_string(one.GetBaseIncome()) + "\n", 0), 0u) << routes;
    EXPECT_NE(routes.find("$$TradeWith$$ " + Colored(2) + ": "), std::string::npos) << routes;
    EXPECT_EQ(routes.find("$$NoTradeRoutes$$"), std::string::npos) << routes;
    EXPECT_EQ(Tooltip(3, kTaxLine), "$$BaseTaxes$$: 0\n$$NoTradeRoutes$$\n$$GuardCosts$$: 0\n");
}

TEST_F(RelationsMenuCards, TheNameTooltipTellsHowTheRivalStandsAndWhomItRaids)
{
    Start(3);
    Host(1).SetRelation(0, 30.0f);
    Host(1).SetRelation(2, 70.0f);
    Host(3).eliminated = true;
    Host(1).targetCovenant = 2;
    Sync();
    Open();
    Draw();
    std::string own = gameClient->GetCovenant(0, false)->GetName();
    std::string expected = Colored(1) + "\n" + "$$RelationWith$$ " + own + " 30.0 (max 100.0)\n" +
                           "  $$ShortRelationWith$$ " + Colored(2) + " 70.0\n" +
                           MakeLocToken("RaidingCovenant", "%s", Colored(2).c_str());
    EXPECT_EQ(Tooltip(1, 0).rfind(expected, 0), 0u) << Tooltip(1, 0);
    // The player's own card and a fallen covenant's tell no relations; no raid, no raid line.
    EXPECT_EQ(Tooltip(0, 0).find("$$RelationWith$$"), std::string::npos);
    EXPECT_EQ(Tooltip(3, 0).find("$$RelationWith$$"), std::string::npos);
    EXPECT_EQ(Tooltip(2, 0).find("Raiding"), std::string::npos);
}

TEST_F(RelationsMenuCards, RaidsAndAlarmsRaisedOnTheHostReachTheCovenantFlags)
{
    Start(2);
    EXPECT_FALSE(Facts(0).beingRaided);
    EXPECT_FALSE(Facts(0).beingAttacked);
    EXPECT_FALSE(Facts(1).beingRaided);

    // Rival 2 raids the player's covenant; rival 1 is raided by the player's.
    Host(2).targetCovenant = 0;
    Host(0).SetTreatyState(2, CovenantTreaty::Raid);
    Host(0).targetCovenant = 1;
    Host(1).SetTreatyState(0, CovenantTreaty::Raid);
    Host(0).ResetThinkTimer();
    Sync();
    UiCovenantFacts own = Facts(0);
    EXPECT_TRUE(own.beingRaided);
    EXPECT_TRUE(own.beingAttacked) << "disturbed at home within the last seconds";
    EXPECT_TRUE(own.raiding);
    EXPECT_TRUE(Facts(1).beingRaided) << "a rival's flag comes with its own record";
    EXPECT_FALSE(Facts(2).beingRaided);

    Host(2).targetCovenant = -1;
    Sync();
    EXPECT_FALSE(Facts(0).beingRaided);
}

TEST_F(RelationsMenuCards, AnOfferFromTheHostWaitsOnThePlayerUntilAnsweredOrExpired)
{
    Start(3);
    EXPECT_FALSE(Facts(0).hasPendingDiplomacy);
    app->GetServerLineCommands().Execute("offerToPlayer 1 2 1 6 5");
    EXPECT_TRUE(Facts(0).hasPendingDiplomacy);
    EXPECT_FALSE(Facts(2).hasPendingDiplomacy) << "the flag is the player's covenant's";
    EXPECT_EQ(view.GetDiplomacyRecordKind(2), PlayerCovenantClient::kOfferRecordKind);
    Open();
    EXPECT_EQ(menu->GetCurrentPage(), ui->FindMenu("RelationsTradeRequest"));
    EXPECT_EQ(menu->selectedCovenant, 2);
    EXPECT_NE(gameClient->GetMessages().GetDiplomacyResponse().find("$$DiplomacyResponse7$$"), std::string::npos);
    ui->RemoveMenuByName("CovenantRelations");

    // Answered, it no longer asks; a new one asks again until it expires; an ignored one never.
    gameClient->selectedCovenant = 2;
    ExecuteCommandLine("rejectTrade");
    EXPECT_FALSE(Facts(0).hasPendingDiplomacy);
    app->GetServerLineCommands().Execute("offerToPlayer 0 2 0 1 7");
    EXPECT_TRUE(Facts(0).hasPendingDiplomacy);
    app->GetServerLineCommands().Execute("offerExpired 2");
    EXPECT_FALSE(Facts(0).hasPendingDiplomacy);
    app->GetServerLineCommands().Execute("offerToPlayer 0 1 0 1 7");
    ExecuteCommandLine("ignoreTrade");
    EXPECT_TRUE(Facts(0).hasPendingDiplomacy) << "the window deals with covenant 2, not 1";
    gameClient->selectedCovenant = 1;
    ExecuteCommandLine("ignoreTrade");
    EXPECT_FALSE(Facts(0).hasPendingDiplomacy);
    app->GetServerLineCommands().Execute("offerToPlayer 0 1 0 1 8");
    EXPECT_FALSE(Facts(0).hasPendingDiplomacy);
}

TEST_F(RelationsMenuCards, TheNpcThePlayerTargetsIsThePotentialRecruitWhileTargeted)
{
    Start(1);
    EXPECT_EQ(Facts(0).potentialRecruit, -1);
    auto* villager = new Actor();
    villager->SetUpFromMonsterType(gGameData->FindMonsterType("MonsterVillager"), 2, false);
    villager->SetPosition(hostPlayer->position);
    ASSERT_NE(game->AddEntity(villager), -1);
    hostPlayer->SetSelectedTarget(villager);
    Sync();
    EXPECT_EQ(Facts(0).potentialRecruit, villager->entityNumber);
    EXPECT_EQ(Facts(1).potentialRecruit, -1) << "only the player's covenant has one";
    hostPlayer->SetSelectedTarget(nullptr);
    Sync();
    EXPECT_EQ(Facts(0).potentialRecruit, -1);
}
