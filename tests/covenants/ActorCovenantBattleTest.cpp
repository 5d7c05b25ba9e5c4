// ActorCovenantBattleTest -- simulated battles (odds, streaks, loot, chests, the town attack) how a rival stores what it finds, and what its members' kills tell it.
#include "covenants/ActorCovenantWorld.h"
#include "core/Event.h"
#include "entities/ItemGround.h"
#include "entities/ScriptedQuest.h"
#include "rules/RulesEnums.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <utility>

class CovenantBattle : public ActorCovenantWorld {
protected:
    CovenantBattle()
    {
        host.homePosition = At(1000.0f, 1000.0f);
        rival = &AddRival();
        rival->Start(5, 1);
        recruit = rival->GetRecruitRecord(0);
        recruit->GetActor()->stats.Set(CharacterStat::Level, 4);
        recruit->outWithParty = true;
        recruit->SetAssignedLevel(2);
        host.monsterMaker = [this](int32_t) { return std::exchange(nextMonster, nullptr); };
    }

    // One fight at the draw; the monster is made first, for its set-up draws too.
    void Fight(float draw)
    {
        nextMonster = new Actor();
        nextMonster->SetUpFromMonsterType(Type("MonsterTester"), monsterLevel, false);
        ScriptDraw(draw);
        rival->FightMonster(*recruit);
        delete std::exchange(nextMonster, nullptr);
    }

    Actor* nextMonster = nullptr;

    ActorCovenant* rival = nullptr;
    Recruit* recruit = nullptr;
    int32_t monsterLevel = 4;
};

TEST_F(CovenantBattle, OddsByHowFarTheMonsterStandsAbove)
{
    const std::pair<int32_t, float> odds[] = {{-5, 0.99f}, {-1, 0.99f}, {0, 0.98f}, {1, 0.75f},
                                              {2, 0.5f},   {3, 0.25f},  {4, 0.0f},  {9, 0.0f}};
    for (auto [above, chance] : odds)
        EXPECT_FLOAT_EQ(ActorCovenant::WinChance(10, 10 + above), chance) << above;

    // Scripted draws against a monster two levels up: just below a half wins, a half loses.
    monsterLevel = 6;
    Fight(0.49f);
    EXPECT_EQ(recruit->winStreak, 1);
    Fight(0.5f);
    EXPECT_EQ(recruit->winStreak, 0);
    EXPECT_EQ(recruit->lossStreak, 1);
    // Four above never wins.
    monsterLevel = 8;
    Fight(0.0f);
    EXPECT_EQ(recruit->lossStreak, 2);
}

TEST_F(CovenantBattle, TenWinsGoDeeperAndThreeLossesGoBack)
{
    monsterLevel = 3;
    for (int32_t i = 0; i < 9; ++i)
        Fight(0.1f);
    EXPECT_EQ(recruit->winStreak, 9);
    EXPECT_EQ(recruit->assignedLevel, 2);
    // The tenth resets both and sends it to the level of depth 3 + 1.
    Fight(0.1f);
    EXPECT_EQ(recruit->winStreak, 0);
    EXPECT_EQ(recruit->lossStreak, 0);
    EXPECT_EQ(recruit->assignedLevel, 3);

    monsterLevel = 20;
    Fight(0.0f);
    Fight(0.0f);
    EXPECT_EQ(recruit->lossStreak, 2);
    EXPECT_EQ(recruit->assignedLevel, 3);
    Fight(0.0f);
    EXPECT_EQ(recruit->lossStreak, 0);
    EXPECT_EQ(recruit->assignedLevel, 2);
}

TEST_F(CovenantBattle, AWinPaysExperienceAndBringsTheLootHome)
{
    monsterLevel = 4;
    Actor* actor = recruit->GetActor();
    int32_t xp = actor->stats.Get(CharacterStat::Xp);
    int32_t level = actor->stats.Get(CharacterStat::Level);
    int32_t goods = CountItems(*rival, ActorCovenant::kGoodsBag);
    // The loot: the fake drops one trinket into the monster's loot bag.
    game.lootRecord = gDatabase->FindEntryByName("Trinket");
    int32_t tableBefore = 0;
    for (int32_t i = 0; i < GameServices::kMaxEntities; ++i)
        tableBefore += game.GetEntity(i) ? 1 : 0;
    Fight(0.1f);
    EXPECT_TRUE(actor->stats.Get(CharacterStat::Xp) > xp || actor->stats.Get(CharacterStat::Level) > level);
    EXPECT_EQ(CountItems(*rival, ActorCovenant::kGoodsBag), goods + 1);
    // The monster never entered the table.
    int32_t tableAfter = 0;
    for (int32_t i = 0; i < GameServices::kMaxEntities; ++i)
        tableAfter += game.GetEntity(i) ? 1 : 0;
    EXPECT_EQ(tableAfter, tableBefore);
    // A loss brings nothing.
    monsterLevel = 20;
    Fight(0.0f);
    EXPECT_EQ(CountItems(*rival, ActorCovenant::kGoodsBag), goods + 1);
}

TEST_F(CovenantBattle, AUniqueFindIsAnnouncedToEveryone)
{
    game.lootRecord = gDatabase->FindEntryByName("Trinket");
    game.lootQuality = 6;
    Fight(0.1f);
    ASSERT_FALSE(game.lines.empty());
    EXPECT_NE(game.lines.back().find("CovenantFoundUniqueItem"), std::string::npos);
    EXPECT_EQ(game.lines.back().rfind("msg 3 ", 0), 0u);
    // A plain find is not.
    size_t said = game.lines.size();
    game.lootQuality = 0;
    Fight(0.1f);
    EXPECT_EQ(game.lines.size(), said);
}

TEST_F(CovenantBattle, AnOpenTownAttackTurnsABattleIntoTheWayHome)
{
    rival->activity = ActorCovenant::Adventuring;
    host.openQuests.emplace_back(ActorCovenant::kTownAttackQuest, nullptr);
    rival->SimulateBattle();
    EXPECT_EQ(rival->activity, ActorCovenant::Home);
    EXPECT_FALSE(recruit->outWithParty);
    EXPECT_EQ(std::count_if(host.calls.begin(), host.calls.end(), [](const std::string& c) { return c.rfind("monster", 0) == 0; }), 0);
}

TEST_F(CovenantBattle, ABattleSkipsRecruitsInRealFightsAndRestartsItsTimer)
{
    Actor* actor = recruit->GetActor();
    actor->SetPosition(At(100.0f, 100.0f, 2));
    actor->SetActive(true);
    host.activeLevel = 2;
    rival->SimulateBattle();
    EXPECT_TRUE(std::none_of(host.calls.begin(), host.calls.end(), [](const std::string& c) { return c.rfind("monster 2", 0) == 0; }));
    EXPECT_TRUE(rival->timerSet[ActorCovenant::BattleTimer].running);
    EXPECT_GT(rival->timerSet[ActorCovenant::BattleTimer].remaining, 0.0f);
    host.activeLevel = -1;
    rival->SimulateBattle();
    EXPECT_NE(std::find(host.calls.begin(), host.calls.end(), "monster 2 1.00"), host.calls.end());
}

TEST_F(CovenantBattle, ChestsGiveExperienceOrItems)
{
    LoadRivalRecords("CovenantLucky\n{\n Type Covenant\n MinDifficultyModifier 1\n MaxDifficultyModifier 1\n"
                " ChestChancePerBattle 1\n QuestChancePerBattle 0\n}\n"
                "ChestTeaching\n{\n Type Chest\n GivesExperience 1\n}\nChestPlain\n{\n Type Chest\n}\n");
    ActorCovenant& lucky = AddRival("CovenantLucky");
    lucky.Start(5, 1);
    Recruit* finder = lucky.GetRecruitRecord(0);
    finder->outWithParty = true;
    finder->SetAssignedLevel(3);
    host.monsterMaker = nullptr;
    host.chestCount = 2;
    host.chestRecord = gDatabase->FindEntryByName("ChestTeaching");
    Actor* actor = finder->GetActor();
    // Experience in points, each level counted as the 1000 it needs.
    auto points = [actor] { return actor->stats.Get(CharacterStat::Xp) + 1000 * actor->stats.Get(CharacterStat::Level); };
    int32_t before = points();
    lucky.SimulateBattle();
    EXPECT_GT(points(), before);
    EXPECT_EQ(std::count_if(host.calls.begin(), host.calls.end(), [](const std::string& c) { return c.rfind("chest", 0) == 0; }), 0);

    host.chestRecord = gDatabase->FindEntryByName("ChestPlain");
    host.randomItem = "Trinket";
    host.chestItems = 2;
    int32_t goods = CountItems(lucky, ActorCovenant::kGoodsBag);
    lucky.SimulateBattle();
    EXPECT_EQ(std::count_if(host.calls.begin(), host.calls.end(), [](const std::string& c) { return c.rfind("chest", 0) == 0; }), 2);
    EXPECT_EQ(CountItems(lucky, ActorCovenant::kGoodsBag), goods + 4);
}

class CovenantStore : public CovenantBattle {};

TEST_F(CovenantStore, AFifthRelicDisplacesTheCheapestAndFreesIt)
{
    ActorCovenant& keeper = AddRival();
    keeper.Start(0, 1);
    for (const char* name : {"Relic2", "Relic1", "Relic3", "Relic2"})
        EXPECT_TRUE(keeper.StoreItem(FakeCovenantHost::MakeItem(name)));
    EXPECT_EQ(CountItems(keeper, InventoryGroupIndex::House), 4);
    Entity* cheapDisplay = keeper.GetRelicDisplay(Covenant::kFirstRelicSlot + 1);
    ASSERT_NE(cheapDisplay, nullptr);
    int32_t money = keeper.GetMoney();
    int32_t price = FakeCovenantHost::MakeItem("Relic1")->GetSellPrice();

    EXPECT_TRUE(keeper.StoreItem(FakeCovenantHost::MakeItem("Relic3")));
    // The cheapest (slot 5) was sold and went; its display goes with it.
    const ItemBase* now = keeper.inventory->GetItem(InventoryGroupIndex::House, Covenant::kFirstRelicSlot + 1);
    ASSERT_NE(now, nullptr);
    EXPECT_EQ(now->GetEntry()->GetName(), "Relic3");
    EXPECT_EQ(keeper.GetMoney(), money + price);
    EXPECT_TRUE(game.FindTimedAction(Entity::GetDeleteEventId(), cheapDisplay) != nullptr);
    EXPECT_NE(keeper.GetRelicDisplay(Covenant::kFirstRelicSlot + 1), cheapDisplay);
}

TEST_F(CovenantStore, AFullBagSellsTheNewItemAndSaysSo)
{
    ActorCovenant& keeper = AddRival();
    keeper.Start(0, 1);
    for (int32_t i = 0; i < ActorCovenant::kGoodsSlots; ++i)
        ASSERT_TRUE(keeper.StoreItem(FakeCovenantHost::MakeItem("Trinket")));
    int32_t money = keeper.GetMoney();
    std::unique_ptr<Item> extra = FakeCovenantHost::MakeItem("Trinket");
    int32_t price = extra->GetSellPrice();
    EXPECT_FALSE(keeper.StoreItem(std::move(extra)));
    EXPECT_EQ(keeper.GetMoney(), money + price);
    EXPECT_EQ(CountItems(keeper, ActorCovenant::kGoodsBag), ActorCovenant::kGoodsSlots);
    // Money stops at "MaxMoney".
    keeper.AddMoney(1000000);
    EXPECT_EQ(keeper.GetMoney(), 100000);
    EXPECT_FALSE(keeper.StoreItem(nullptr));
}

TEST_F(CovenantBattle, AMembersKillAnnouncesOnlyTheUniqueItemsItsVictimLeft)
{
    Actor* member = recruit->GetActor();
    ASSERT_EQ(member->GetCovenant(), rival);
    auto* victim = Spawn<Sentient>(1200.0f, 1000.0f);
    victim->inventory->ResizeBag(InventoryGroupIndex::Loot, 4);
    const std::pair<int32_t, int32_t> loot[] = {{0, 0}, {1, 5}, {3, 7}};  // slot, quality
    for (auto [slot, quality] : loot) {
        std::unique_ptr<ItemBase> item = std::make_unique<Item>();
        item->SetEntry(gDatabase->FindEntryByName("Trinket"));
        item->SetQuality(quality);
        ASSERT_TRUE(victim->inventory->PlaceItem(item, InventoryGroupIndex::Loot, slot, kPlaceAnyGroup));
    }
    size_t said = game.lines.size();
    member->OnVictimLooted(victim);
    ASSERT_EQ(game.lines.size(), said + 2) << "the set and the artifact, not the plain item";
    for (size_t i = said; i < game.lines.size(); ++i)
        EXPECT_NE(game.lines[i].find("CovenantFoundUniqueItem"), std::string::npos) << game.lines[i];
    // A victim that is no sentient leaves no loot bag to look through.
    auto* plain = Spawn<Entity>(1200.0f, 1000.0f);
    member->OnVictimLooted(plain);
    EXPECT_EQ(game.lines.size(), said + 2);
}

TEST_F(CovenantBattle, AMembersEventsPassTheHousesQuestRecordWhileItHoldsAQuest)
{
    class CountingQuest : public ScriptedQuest {
    public:
        void CountKill(Event&) override { ++kills; }
        int32_t kills = 0;
    };
    Actor* member = recruit->GetActor();
    auto* stranger = new Actor();
    stranger->SetUpFromMonsterType(Type("MonsterTester"), 3, false);
    ASSERT_NE(game.AddEntity(stranger), -1);
    EXPECT_EQ(rival->GetActiveQuest(), nullptr) << "no record before the game makes one";
    auto made = std::make_unique<CountingQuest>();
    CountingQuest* record = made.get();
    rival->SetQuest(std::move(made));
    Event* event = events.MakeEvent(events.RegisterEvent("CovenantQuestPing"));
    ASSERT_NE(event, nullptr);
    struct Case {
        Actor* receiver;
        int32_t level;  // the record's level: -1 is an empty record
        int32_t kills;
    };
    const Case cases[] = {
        {member, -1, 0},   // an empty record counts nothing
        {member, 3, 1},    // a member's event reaches the record
        {stranger, 3, 1},  // an actor of no house reaches no record
    };
    for (const Case& c : cases) {
        record->level = c.level;
        c.receiver->ReceiveEvent(*event, false);
        EXPECT_EQ(record->kills, c.kills) << c.level;
    }
    events.FreeEvent(event);
}
