// RelationsCardTextsTest -- the covenant cards' texts and the covenant flags as the world host sets them and the game update carries them to the client: coloured names, influence rank, taxes and trade routes, the relations toward the player's covenant, raids, alerts, offers waiting on the player and the NPC that could join.
#include "ui/RelationsWorld.h"

#include "client/TradeWindow.h"
#include "core/ColorCode.h"
#include "core/LocSystem.h"
#include "core/CommandSystem.h"
#include "core/EnumTable.h"
#include "entities/Actor.h"
#include "entities/Player.h"
#include "rules/Formulas.h"
#include "rules/GameData.h"
#include "rules/RulesEnums.h"

#include <tuple>

namespace {

class RelationsMenuCards : public RelationsWorld {
protected:
    // The card's widget whose text shows that source.
    UIWidget& CardWidget(int32_t covenant, const char* source) const
    {
        int32_t type = EnumTable::LookupIn("UITextSource", source, true);
        for (UIWidget* widget : menu->covenantCards[static_cast<size_t>(covenant)].card->GetWidgets())
            if (widget->GetTextSourceType() == type)
                return *widget;
        ADD_FAILURE() << "no card widget shows " << source;
        return *menu->covenantCards[static_cast<size_t>(covenant)].nameWidget;
    }
    std::string Tooltip(const UIWidget& shown) const { return shown.BuildText(shown.highlightTextSource); }
    std::string NameTooltip(int32_t covenant) const
    {
        return Tooltip(*menu->covenantCards[static_cast<size_t>(covenant)].nameWidget);
    }
    // The name a covenant is shown by: its own, else its definition's words (never the record's
    // name the host sends in place of none), in its colour.
    std::string Shown(int32_t covenant) const
    {
        return covenant == 0 ? "$$CovenantHuman$$" : "Rival " + std::to_string(covenant);
    }
    std::string Colored(int32_t covenant) const
    {
        const CovenantClient* mirror = gameClient->GetCovenant(covenant, false);
        return MakeColorCode(mirror->GetColor()) + Shown(covenant) + MakeColorCode(kNormalTextColor);
    }
    UiCovenantFacts Facts(int32_t covenant) const
    {
        UiCovenantFacts facts;
        EXPECT_TRUE(view.GetCovenant(covenant, facts));
        // The widgets' conditions read the lighter look-up every frame: the same standing, and
        // none of the texts built.
        UiCovenantFacts state;
        EXPECT_TRUE(view.GetCovenantState(covenant, state));
        EXPECT_EQ(std::tuple(state.beingRaided, state.beingAttacked, state.raiding, state.defeated,
                             state.hasPendingDiplomacy, state.potentialRecruit, state.homeHealth, state.targetCovenant),
                  std::tuple(facts.beingRaided, facts.beingAttacked, facts.raiding, facts.defeated,
                             facts.hasPendingDiplomacy, facts.potentialRecruit, facts.homeHealth, facts.targetCovenant))
            << covenant;
        EXPECT_TRUE(state.name.empty() && state.description.empty() && state.traits.empty()) << covenant;
        return facts;
    }
    Covenant& Host(int32_t covenant) const { return *game->GetCovenant(covenant); }
};

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
        EXPECT_EQ(CardWidget(i, "ColoredCovenantName").text, Colored(i)) << i;
    EXPECT_EQ(menu->covenantCards[0].nameWidget->text, "$$CovenantHuman$$");
    Host(3).name.clear();
    Sync();
    Draw();
    EXPECT_EQ(CardWidget(3, "ColoredCovenantName").text,
              MakeColorCode(gameClient->GetCovenant(3, false)->GetColor()) + "$$CovenantElves$$" +
                  MakeColorCode(kNormalTextColor));
    EXPECT_EQ(menu->covenantCards[3].nameWidget->text, "$$CovenantElves$$");
    EXPECT_EQ(CardWidget(2, "CovenantInfluenceRank").text, "$$InfluenceAbrev$$: #1");
    EXPECT_EQ(CardWidget(1, "CovenantInfluenceRank").text, "$$InfluenceAbrev$$: #2");

    // The tax line and its tooltip: the routes by partner, none, and the guards' upkeep.
    const CovenantClient& one = *gameClient->GetCovenant(1, false);
    EXPECT_EQ(CardWidget(1, "CovenantTaxes").text, "$$TaxesAbrev$$: " + std::to_string(one.GetTotalTaxes()));
    std::string routes = Tooltip(CardWidget(1, "CovenantTaxes"));
    EXPECT_EQ(routes.rfind("$$BaseTaxes$$: " + std::to_string(one.GetBaseIncome()) + "\n", 0), 0u) << routes;
    EXPECT_NE(routes.find("$$TradeWith$$ " + Colored(2) + ": "), std::string::npos) << routes;
    EXPECT_EQ(routes.find("$$NoTradeRoutes$$"), std::string::npos) << routes;
    EXPECT_EQ(Tooltip(CardWidget(3, "CovenantTaxes")), "$$BaseTaxes$$: 0\n$$NoTradeRoutes$$\n$$GuardCosts$$: 0\n");
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
    std::string expected = Colored(1) + "\n" + "$$RelationWith$$ " + Shown(0) + " 30.0 (max 100.0)\n" +
                           "  $$ShortRelationWith$$ " + Colored(2) + " 70.0\n" +
                           MakeLocToken("RaidingCovenant", "%s", Colored(2).c_str());
    EXPECT_EQ(NameTooltip(1).rfind(expected, 0), 0u) << NameTooltip(1);
    // The player's own card and a fallen covenant's tell no relations; no raid, no raid line.
    EXPECT_EQ(NameTooltip(0).find("$$RelationWith$$"), std::string::npos);
    EXPECT_EQ(NameTooltip(3).find("$$RelationWith$$"), std::string::npos);
    EXPECT_EQ(NameTooltip(2).find("Raiding"), std::string::npos);
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
    gameClient->GetTrade().RegisterCommands();
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
    villager->RecalculateStats(true);
    villager->SetPosition(hostPlayer->position);
    ASSERT_NE(game->AddEntity(villager), -1);
    hostPlayer->SetSelectedTarget(villager);
    // The host picks the candidate as its covenants step: two frames make one step.
    ClientFrame(50);
    ClientFrame(50);
    Sync();
    EXPECT_EQ(Facts(0).potentialRecruit, villager->entityNumber);
    EXPECT_EQ(Facts(1).potentialRecruit, -1) << "only the player's covenant has one";
    hostPlayer->SetSelectedTarget(nullptr);
    ClientFrame(50);
    ClientFrame(50);
    Sync();
    EXPECT_EQ(Facts(0).potentialRecruit, -1);
}
