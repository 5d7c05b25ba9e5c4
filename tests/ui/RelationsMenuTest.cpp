// RelationsMenuTest -- the covenant relations screen over real covenant mirrors: its pages and commands, the trade flag, the default page from the diplomacy records, clicks on the cards, the raid order as the world host receives it, and covenants the list no longer has or never had room for.
#include "ui/RelationsWorld.h"

#include "client/TradeWindow.h"
#include "entities/Actor.h"
#include "rules/GameData.h"
#include "rules/covenants/CovenantTrait.h"
#include "support/LogLines.h"
#include "ui/UiNameTables.h"
#include "ui/widgets/UIStatBar.h"

#include "rules/covenants/DiplomacyText.h"
#include "ui/widgets/UICovenantTraitIcon.h"
#include "ui/widgets/UIList.h"

namespace {

class RelationsMenu : public RelationsWorld {
protected:
    UIMenu* Current() { return menu->GetCurrentPage(); }
    UIMenu* Page(const char* name) const { return ui->FindMenu(name); }

    // Ticks the first rows of the raid page's list by clicking them.
    void Tick(int32_t rows)
    {
        for (int32_t row = 0; row < rows; ++row)
            Press(110, 100 + 20 * row + 10);
    }
};

} // namespace

TEST_F(RelationsMenu, PagesAreFoundByNameAndEachCommandSwitchesToItsOwnWithTheTradeFlagOnlyForTrading)
{
    Start(2);
    EXPECT_EQ(menu->name, "CovenantRelations");
    EXPECT_TRUE(menu->fullScreen);
    Open();
    EXPECT_EQ(Current(), Page("RelationsMain"));
    EXPECT_EQ(Page("RelationsRaid")->parent, menu);
    const std::pair<const char*, const char*> switches[] = {
        {"ShowPowerCompare", "RelationsPowerCompare"}, {"ShowInfluenceCompare", "RelationsInfluenceCompare"},
        {"ShowWinProgress", "RelationsWinProgress"},   {"RaidMenu", "RelationsRaid"},
        {"TradeMenu", "RelationsTrade"},               {"TradeItemsMenu", "RelationsTradeItems"},
        {"TreatiesMenu", "RelationsTreaties"},         {"ShowTradeResponse", "RelationsTradeResponse"},
        {"ShowRelations", "RelationsMain"},
    };
    for (const auto& [command, page] : switches) {
        menu->HandleMenuCommand(command);
        EXPECT_EQ(Current(), Page(page)) << command;
        EXPECT_EQ(player->tradeFlag, std::string(page) == "RelationsTradeItems") << command;
    }
    // A page's button runs its line through the relations menu.
    menu->HandleMenuCommand("ShowPowerCompare");
    Press(10, 450);
    EXPECT_EQ(Current(), Page("RelationsMain"));

    // The trade response goes back to the trade page it came from, and to the default otherwise.
    menu->HandleMenuCommand("TradeMenu");
    menu->HandleMenuCommand("ShowTradeResponse");
    menu->HandleMenuCommand("DoneWithTradeResponse");
    EXPECT_EQ(Current(), Page("RelationsTrade"));
    menu->HandleMenuCommand("ShowRelations");
    menu->HandleMenuCommand("ShowTradeResponse");
    menu->HandleMenuCommand("DoneWithTradeResponse");
    EXPECT_EQ(Current(), Page("RelationsMain"));

    // Hiding clears the flag the traded-items page set.
    menu->HandleMenuCommand("TradeItemsMenu");
    EXPECT_TRUE(player->tradeFlag);
    ui->RemoveMenuByName("CovenantRelations");
    EXPECT_FALSE(player->tradeFlag);
}

TEST_F(RelationsMenu, CommandsAreComparedExactlyAndTheRestGoToTheConsole)
{
    Start(2);
    Open();
    menu->HandleMenuCommand("ShowPowerCompare");
    int before = CountLinesHolding(*gDebugSystem, "showrelations");
    // Not "ShowRelations": the console gets it, knows no such command, and the page stays.
    menu->HandleMenuCommand("showrelations");
    EXPECT_EQ(Current(), Page("RelationsPowerCompare"));
    EXPECT_GT(CountLinesHolding(*gDebugSystem, "showrelations"), before);
    menu->HandleMenuCommand("OnlyShowPower 2");
    for (int32_t k = 0; k < UIRelationsMenu::kPowerSeries; ++k)
        EXPECT_EQ(menu->powerSeries[static_cast<size_t>(k)].shown, k == 2) << k;
    menu->HandleMenuCommand("TogglePower 2");
    menu->HandleMenuCommand("ShowPower 4");
    menu->HandleMenuCommand("ToggleInfluence 3");
    menu->HandleMenuCommand("ShowPower 9");
    menu->HandleMenuCommand("TogglePower -1");
    EXPECT_FALSE(menu->powerSeries[2].shown);
    EXPECT_TRUE(menu->powerSeries[4].shown);
    EXPECT_FALSE(menu->influenceSeries[3].shown);
    EXPECT_TRUE(menu->influenceSeries[0].shown);
}

TEST_F(RelationsMenu, AMissingPageLeavesNothingDrawnOrClickedUntilAnotherIsChosen)
{
    Start(2, {"RelationsTreaties"});
    Open();
    menu->HandleMenuCommand("TreatiesMenu");
    EXPECT_EQ(Current(), nullptr);
    Draw();
    EXPECT_TRUE(canvas.lines.empty());
    EXPECT_FALSE(Press(CardCentre(1)[0], CardCentre(1)[1], 1));
    menu->HandleMenuCommand("ShowRelations");
    EXPECT_EQ(Current(), Page("RelationsMain"));
    EXPECT_TRUE(Press(CardCentre(1)[0], CardCentre(1)[1], 1));
}

TEST_F(RelationsMenu, TheDefaultPageIsTheTradeRequestOfTheFirstCovenantWithARecordAndItsKindPicksTheAnswer)
{
    Start(3);
    Open();
    EXPECT_EQ(Current(), Page("RelationsMain")) << "no record: the main page";
    ui->RemoveMenuByName("CovenantRelations");

    // The record's kind picks the opening words: 1 gives 7, 2 gives 6, any other 5.
    const std::pair<int32_t, int32_t> kinds[] = {{1, 7}, {2, 6}, {3, 5}};
    for (const auto& [kind, text] : kinds) {
        own.ClearCovenantRecord(1);
        own.ClearCovenantRecord(2);
        own.GetCovenantRecord(2)->push_back({kind, 0, 0});
        Open();
        EXPECT_EQ(Current(), Page("RelationsTradeRequest")) << kind;
        EXPECT_EQ(menu->selectedCovenant, 2) << kind;
        EXPECT_TRUE(player->tradeFlag) << kind;
        std::string words = gameClient->GetMessages().GetDiplomacyResponse();
        std::string expected = DiplomacyText::MoodDescription(*gameClient->GetCovenant(2, false), own.index) +
                               " $$DiplomacyResponse" + std::to_string(text) + "$$";
        EXPECT_EQ(words, expected) << kind;
        ui->RemoveMenuByName("CovenantRelations");
    }
}

TEST_F(RelationsMenu, RightClicksToggleCardsAndLeftClicksTalkToAnyCovenantButTheOwnOrAFallenOne)
{
    Start(3);
    game->GetCovenant(3)->eliminated = true;
    Sync();
    Open();
    for (const UIRelationsMenu::Card& card : menu->covenantCards)
        EXPECT_TRUE(card.selected) << "every card is selected on the first show";
    auto [ox, oy] = CardCentre(0);
    EXPECT_TRUE(Press(ox, oy, 1)) << "the own card toggles";
    EXPECT_FALSE(menu->covenantCards[0].selected);
    EXPECT_FALSE(Press(ox, oy, 0));
    EXPECT_EQ(Current(), Page("RelationsMain")) << "a left click on the own card does nothing";
    auto [fx, fy] = CardCentre(3);
    EXPECT_FALSE(Press(fx, fy, 1));
    EXPECT_TRUE(menu->covenantCards[3].selected) << "a fallen covenant's card is not toggled";

    auto [x, y] = CardCentre(2);
    EXPECT_FALSE(Press(x, y, 0));
    ui->Update(0.0f);
    EXPECT_EQ(Current(), Page("RelationsDiplomacy"));
    EXPECT_EQ(menu->selectedCovenant, 2);
    EXPECT_EQ(menu->selectedNameWidget->text, "Rival 2");
    EXPECT_EQ(menu->selectedNameWidget->entityIndex, 2);

    // Selection survives hiding and is not reset on a later show.
    ui->RemoveMenuByName("CovenantRelations");
    Open();
    EXPECT_FALSE(menu->covenantCards[0].selected);
}

// The trade window's key deals with the game client's chosen covenant: a rival talked to on
// its card becomes that covenant, so the player can trade with a rival none of whose creatures
// stands near.
TEST_F(RelationsMenu, ARivalTalkedToOnItsCardIsTheOneTheTradeWindowDealsWith)
{
    Start(3);
    gameClient->GetTrade().RegisterCommands();
    Sync();
    Open();
    ASSERT_EQ(gameClient->selectedCovenant, -1);
    auto [x, y] = CardCentre(2);
    EXPECT_FALSE(Press(x, y, 0));
    EXPECT_EQ(Current(), Page("RelationsDiplomacy"));
    EXPECT_EQ(gameClient->selectedCovenant, 2);

    // Back on the ring, the own card changes nothing and another rival takes over.
    menu->HandleMenuCommand("ShowRelations");
    auto [ox, oy] = CardCentre(0);
    Press(ox, oy, 0);
    EXPECT_EQ(gameClient->selectedCovenant, 2);
    auto [rx, ry] = CardCentre(1);
    Press(rx, ry, 0);
    EXPECT_EQ(gameClient->selectedCovenant, 1);
    EXPECT_EQ(menu->selectedCovenant, 1);
    // The last covenant of the list is a rival here, the player's own coming first.
    menu->HandleMenuCommand("ShowRelations");
    auto [lx, ly] = CardCentre(3);
    Press(lx, ly, 0);
    EXPECT_EQ(gameClient->selectedCovenant, 3);
    EXPECT_EQ(menu->selectedCovenant, 3);
    ExecuteCommandLine("TalkToCovenant 0");
    EXPECT_EQ(gameClient->selectedCovenant, 3) << "never toward the player's own covenant";
}

TEST_F(RelationsMenu, CardsShowTheirCovenantsNameTraitsAndLifestoneFromTheMirrors)
{
    Start(2);
    Covenant* rival = game->GetCovenant(1);
    rival->traitIds.SetCount(kMaxCovenantTraits);
    rival->traitIds.Set(0, 1);
    rival->traitIds.Set(1, 0);
    Sync();
    // The host keeps the lifestone's health itself; the mirror is given its own between updates.
    CovenantClient* mirror = gameClient->GetCovenant(1, false);
    mirror->SetHomeMaxHealth(300);
    mirror->SetHomeHealth(120);
    Open();
    Draw();
    const UIMenu& card = *menu->covenantCards[1].card;
    EXPECT_EQ(menu->covenantCards[1].nameWidget->text, "Rival 1");
    std::vector<std::string> traits;
    std::vector<std::string> expected;
    for (UIWidget* widget : card.GetWidgets()) {
        if (auto* icon = dynamic_cast<UICovenantTraitIcon*>(widget)) {
            traits.push_back(icon->GetTrait() ? icon->GetTrait()->name : "");
            expected.push_back(gGameData->GetCovenantTrait(mirror->GetTraitId(icon->traitSlot))->name);
        }
        if (auto* bar = dynamic_cast<UIStatBar*>(widget)) {
            EXPECT_EQ(bar->GetValue(), 120);
            EXPECT_EQ(bar->GetSecondValue(), 300);
        }
    }
    ASSERT_EQ(traits.size(), 2u);
    EXPECT_NE(traits[0], traits[1]);
    EXPECT_EQ(traits, expected);
}

TEST_F(RelationsMenu, TheRaidOrderCarriesTheCovenantAndAtMostTenPickedRowsAndHidesAShownScreen)
{
    // A raid group large enough for every row, so that only the order's own ten bound it.
    Start(3, {}, "MaxRaidGroupSize 20\n");
    const std::pair<int32_t, std::vector<std::string>> raids[] = {
        {0, {"Raid 2"}}, {2, {"Raid 2 100 101"}}, {12, {"Raid 2 100 101 102 103 104 105 106 107 108 109"}}};
    for (const auto& [rows, expected] : raids) {
        ClientFrame(0);
        ui->ShowMenu("CovenantRelations");
        ui->Update(0.0f);
        menu->TalkTo(2);
        menu->HandleMenuCommand("RaidMenu");
        Tick(rows);
        Press(410, 450);
        EXPECT_EQ(Queued(), expected) << rows;
        // Nobody ticked, the hero rides alone: the screen gives way all the same.
        EXPECT_FALSE(menu->visible) << rows;
    }
    // The host runs the order it was sent.
    ClientFrame(0);
    ClientFrame(0);
    EXPECT_EQ(game->GetCovenant(0)->targetCovenant, 2);
}

TEST_F(RelationsMenu, ACovenantTheListNoLongerHasShowsNothingAndIsNotRaided)
{
    Start(3);
    Open();
    menu->TalkTo(7);
    ui->Update(0.0f);
    EXPECT_EQ(Current(), Page("RelationsDiplomacy"));
    EXPECT_TRUE(menu->selectedNameWidget->text.empty());
    EXPECT_TRUE(menu->selectedTextWidget->text.empty());
    ClientFrame(0);
    menu->HandleMenuCommand("StartRaid");
    EXPECT_TRUE(Queued().empty());
    // "TalkToCovenant" without a target changes nothing.
    menu->HandleMenuCommand("TalkToCovenant");
    EXPECT_EQ(menu->selectedCovenant, 7);
}

TEST_F(RelationsMenu, MoreCovenantsThanCardsStopAtTheThirtySecond)
{
    Start(1);
    FakeGameView many;
    many.running = true;
    many.playerCovenant = 0;
    many.covenants.resize(33);
    for (size_t i = 0; i < many.covenants.size(); ++i)
        many.covenants[i].name = "C" + std::to_string(i);
    ui->SetGameView(&many);
    Open();
    Draw();
    EXPECT_EQ(menu->covenantCount, 33);
    EXPECT_EQ(menu->covenantCards[31].nameWidget->text, "C31");
    EXPECT_EQ(canvas.OfWidth(3.0f).size(), 32u * 31u / 2u) << "the pairs among the 32 cards";
    ui->SetGameView(&view);
}

// The pages of a trade hold the world still while they show, as a pausing menu does: the world
// host takes no step for the frames between, and the game goes on once they are left.
TEST_F(RelationsMenu, TheTradePagesPauseTheGameUntilTheyAreLeft)
{
    Start(2);
    Open();
    ASSERT_TRUE(app->IsActive());
    EXPECT_FALSE(Client::IsPaused());
    const std::pair<const char*, bool> pages[] = {
        {"TradeItemsMenu", true}, {"ShowRelations", false}, {"TradeItemsMenu", true}, {"RaidMenu", false}};
    for (const auto& [command, paused] : pages) {
        menu->HandleMenuCommand(command);
        EXPECT_EQ(Client::IsPaused(), paused) << command;
        uint32_t steps = host->GetStepCount();
        host->Tick(500, Client::IsPaused());
        host->ServerFrame();
        EXPECT_EQ(host->GetStepCount() == steps, paused) << command;
    }
}

// "TalkToCovenant" asks the client which entity the player targets: the menu command and the
// console command alike talk to that entity's covenant.
TEST_F(RelationsMenu, TalkToCovenantTalksToTheCovenantOfThePlayersTarget)
{
    Start(2);
    gameClient->GetTrade().RegisterCommands();
    Open();
    auto* villager = Spawn<Actor>(hostPlayer->position.x + 40.0f, hostPlayer->position.y, hostPlayer->position.level);
    villager->SetUpFromMonsterType(gameData.FindMonsterType("MonsterVillager"), 2, false);
    villager->covenantIndex = 2;
    Sync();
    EntityClient* shown = gameClient->GetEntity(villager->entityNumber);
    ASSERT_NE(shown, nullptr);
    ASSERT_EQ(shown->covenantIndex, 2);
    player->SetTarget(shown, false);

    menu->HandleMenuCommand("TalkToCovenant");
    EXPECT_EQ(menu->selectedCovenant, 2);
    EXPECT_EQ(Current(), Page("RelationsDiplomacy"));
    EXPECT_EQ(gameClient->selectedCovenant, 2);

    gameClient->selectedCovenant = -1;
    ExecuteCommandLine("TalkToCovenant");
    EXPECT_EQ(gameClient->selectedCovenant, 2) << "the console command without a covenant takes the target's";
}

// A widget naming party member n shows the entity of entry n of the player's party list, and
// nothing for an entry that holds none, lies past the list or is negative.
TEST_F(RelationsMenu, APartyMemberWidgetShowsTheEntityOfItsEntryInTheParty)
{
    Start(1);
    auto* villager = Spawn<Actor>(hostPlayer->position.x + 40.0f, hostPlayer->position.y, hostPlayer->position.level);
    villager->SetUpFromMonsterType(gameData.FindMonsterType("MonsterVillager"), 3, false);
    villager->covenantIndex = 1;
    Sync();
    ASSERT_NE(gameClient->GetEntity(villager->entityNumber), nullptr);
    player->party = {villager->entityNumber, -1};
    struct Case {
        int32_t index;
        bool shown;
    };
    const Case cases[] = {{0, true}, {1, false}, {2, false}, {-1, false}};
    for (const Case& c : cases) {
        UIWidget widget;
        widget.entityType = UIEntity::PartyMember;
        widget.entityIndex = c.index;
        UiEntityFacts facts;
        EXPECT_EQ(widget.GetEntityNumber(), c.shown ? villager->entityNumber : -1) << c.index;
        ASSERT_EQ(widget.GetEntity(facts), c.shown) << c.index;
        if (c.shown) {
            EXPECT_EQ(facts.covenant, 1) << c.index;
        }
    }
}
