// WorldSaveRivalsTest -- the shipped game's computer-run rivals in the world save: saved and read back as they stood, their houses once, and made anew when a file brings none or a broken block.
#include "server/WorldSaveWorld.h"

#include "core/DatabaseEntry.h"
#include "covenants/ActorCovenant.h"
#include "covenants/PlayerCovenant.h"
#include "covenants/Recruit.h"
#include "entities/Inventory.h"
#include "entities/Item.h"
#include "server/WorldSaveVersion.h"
#include "support/LogLines.h"
#include "support/ShippedGame.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <cmath>
#include <cstring>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr int32_t kRivals = 3;
constexpr int32_t kStartingLevel = 6;
constexpr const char* kTorchModel = "models/test/torch.mdl";

class WorldSaveRivals : public WorldSaveWorld {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(LoadShippedRecords());
        RemakeGameWithRivals();
        StartSpawnSystem();
        // One model names the shipped torch's record, as its model file's "ObjectType" line does.
        spawn.GetLevelFiller().SetModelObjectTypeLookup(
            [](std::string_view model) { return model == kTorchModel ? std::string("Torch") : std::string(); });
        host->SetUpServer(false, kStartingLevel, 1, 1, kRivals, "Ada");
        player = new Player();
        ASSERT_NE(game->AddEntity(player), -1);
        ASSERT_EQ(CountRivals(), kRivals) << "the shipped rules run computer rivals";
    }

    Game::WorldLoadResult LoadBytes(const std::string& bytes)
    {
        return LoadBytesWithRivals(bytes, kStartingLevel, kRivals);
    }

    ActorCovenant* Rival(int32_t i) const { return dynamic_cast<ActorCovenant*>(game->GetCovenant(i)); }

    // A player's covenant joining the game as the world host adds one, led by the player given.
    PlayerCovenant& JoinPlayerCovenant(Player* leader)
    {
        auto covenant = std::make_unique<PlayerCovenant>();
        PlayerCovenant& joined = *covenant;
        game->AddCovenant(std::move(covenant));
        if (leader)
            joined.SetPlayer(leader);
        return joined;
    }

    int32_t CountRivals() const
    {
        int32_t count = 0;
        while (Rival(count))
            ++count;
        return count;
    }

    int32_t CountEntitiesOf(const char* record) const
    {
        int32_t count = 0;
        for (int32_t number = 0; number < Game::kMaxEntities; ++number)
            if (const Entity* entity = game->GetEntity(number); entity && entity->GetEntry() &&
                                                                 entity->GetEntry()->GetName() == record)
                ++count;
        return count;
    }

    // Everything a rival keeps in the file, one line each.
    std::vector<std::string> RivalFacts() const
    {
        std::vector<std::string> facts;
        for (int32_t i = 0; Rival(i); ++i) {
            const ActorCovenant& rival = *Rival(i);
            std::ostringstream line;
            line << rival.GetDefinitionName() << " '" << rival.GetName() << "' fallen " << rival.eliminated
                 << " difficulty " << rival.difficultyLevel << " home " << rival.homeLevel << "," << rival.homeX << ","
                 << rival.homeY << " health " << rival.GetHomeHealth() << "/" << rival.GetHomeMaxHealth()
                 << " recruits";
            // From the records: a fallen covenant's dead stay dead, so its creatures do not come back.
            for (int32_t slot = 0; slot < rival.GetRecruitSlots(); ++slot)
                if (const Recruit* recruit = rival.GetRecruitRecord(slot))
                    line << " " << slot << (recruit->isHero ? "*" : "") << ":" << recruit->GetStat(CharacterStat::Level)
                         << "/" << recruit->GetStat(CharacterStat::Money) << "/" << recruit->extraValue;
            line << " spawned " << (rival.eliminated || rival.GetLeader() != nullptr) << " traits";
            for (int32_t id : rival.traitIds.GetValues())
                line << " " << id;
            line << " stats";
            for (int32_t value : rival.statistics.GetValues())
                line << " " << value;
            line << " relations";
            for (int32_t other = 0; other <= kRivals; ++other)
                line << " " << rival.GetRelation(other) << "/" << rival.GetTreatyState(other) << "/"
                     << rival.GetTradeRouteKind(other);
            line << " hate " << rival.naturalHate[1] << " visited " << rival.visitedLevels.size();
            facts.push_back(line.str());
        }
        return facts;
    }

    // The rivals' block as the writer ends the file with it, written again.
    std::string RivalBlock() const
    {
        MessageBuffer block;
        block.WriteInt(CountRivals());
        for (int32_t i = 0; Rival(i); ++i)
            Rival(i)->WriteSaved(block);
        return std::string(reinterpret_cast<const char*>(block.Data()), block.Size());
    }

    // Each rival with a house of its own, and none beside.
    void ExpectRivalsMadeAnew(const std::string& context)
    {
        EXPECT_EQ(CountRivals(), kRivals) << context;
        EXPECT_EQ(CountEntitiesOf("ObjectLifestone"), kRivals) << context;
        for (int32_t i = 0; Rival(i); ++i)
            EXPECT_NE(Rival(i)->GetLeader(), nullptr) << context << " rival " << i;
    }

    // A saved world with the rivals moved from where they began, and its rival block's offset.
    std::string SaveChangedWorld(size_t& blockStart)
    {
        EXPECT_NE(spawn.GetLevelFiller().RestoreLevelObject(At(200, 300, 0), 2, kTorchModel), nullptr);
        ActorCovenant* first = Rival(0);
        first->SetRelation(kRivals, 17.25f);
        first->SetTreatyState(2, CovenantTreaty::War);
        first->SetHomeHealth(first->GetHomeMaxHealth() / 2);
        Rival(1)->Eliminate(nullptr, true, false);
        EXPECT_TRUE(game->SaveWorld("Ada"));
        std::string bytes = SavedBytes();
        std::string block = RivalBlock();
        // The rivals, then the word that says no player's covenant follows, end the file.
        EXPECT_GE(bytes.size(), block.size() + 4);
        blockStart = bytes.size() - block.size() - 4;
        EXPECT_EQ(bytes.substr(blockStart, block.size()), block) << "the file ends with its rivals";
        EXPECT_EQ(bytes.substr(bytes.size() - 4), std::string(4, '\0'));
        return bytes;
    }
};

} // namespace

TEST_F(WorldSaveRivals, TheRivalsComeBackAsTheyWereSavedWithOneHouseEachAndSaveToTheSameBytes)
{
    size_t blockStart = 0;
    std::string bytes = SaveChangedWorld(blockStart);
    std::vector<std::string> saved = RivalFacts();
    int32_t lifestones = CountEntitiesOf("ObjectLifestone");
    int32_t pedestals = CountEntitiesOf("ObjectPedestal");
    ASSERT_EQ(lifestones, kRivals);

    ASSERT_EQ(LoadBytes(bytes), Game::WorldLoadResult::Loaded);
    std::vector<std::string> loaded = RivalFacts();
    ASSERT_EQ(loaded.size(), saved.size());
    for (size_t i = 0; i < saved.size(); ++i)
        EXPECT_EQ(loaded[i], saved[i]) << "rival " << i;
    EXPECT_TRUE(Rival(1)->eliminated);
    EXPECT_EQ(Rival(0)->GetRelation(kRivals), 17.25f);
    EXPECT_EQ(Rival(0)->GetTreatyState(2), CovenantTreaty::War);
    EXPECT_EQ(CountEntitiesOf("ObjectLifestone"), lifestones) << "each house once, none read back as a loose object";
    EXPECT_EQ(CountEntitiesOf("ObjectPedestal"), pedestals);
    EXPECT_FALSE(game->IsWorldWon()) << "the living rivals stand";
    EXPECT_EQ(CountLinesHolding(debug, "World save"), 0);

    player = new Player();
    ASSERT_NE(game->AddEntity(player), -1);
    game->SetWorldRunning();
    ASSERT_TRUE(game->SaveWorld("Ada"));
    std::string resaved = SavedBytes().substr(blockStart);
    std::string block = bytes.substr(blockStart);
    auto differ = std::mismatch(block.begin(), block.end(), resaved.begin(), resaved.end());
    size_t at = static_cast<size_t>(differ.first - block.begin());
    EXPECT_TRUE(differ.first == block.end() && differ.second == resaved.end())
        << "the rivals save to the same bytes; they part at byte " << at << " of " << block.size() << ": "
        << ::testing::PrintToString(block.substr(at > 24 ? at - 24 : 0, 48)) << " against "
        << ::testing::PrintToString(resaved.substr(at > 24 ? at - 24 : 0, 48));
}

TEST_F(WorldSaveRivals, AFileWithoutItsRivalsHasThemMadeAnewFromTheStartArguments)
{
    size_t blockStart = 0;
    std::string bytes = SaveChangedWorld(blockStart);
    std::vector<std::string> saved = RivalFacts();

    // The file as the version before the rivals wrote it, with the saved torch and without
    // the levels' filled words and the rivals: its fields load, the rivals are new.
    MessageBuffer olderBuffer;
    WorldSaveOldWriter olderWriter(olderBuffer, WorldSaveVersion::kCovenants - 1);
    for (int32_t number = 0; number < Game::kMaxEntities; ++number)
        if (const Entity* entity = game->GetEntity(number); entity && entity->modelName == kTorchModel)
            olderWriter.entities.push_back(entity);
    ASSERT_EQ(olderWriter.entities.size(), 1u);
    olderWriter.Write(*game);
    std::string older(reinterpret_cast<const char*>(olderBuffer.Data()), olderBuffer.Size());
    ASSERT_EQ(LoadBytes(older), Game::WorldLoadResult::Loaded);
    ExpectRivalsMadeAnew("older file");
    EXPECT_FALSE(Rival(1)->eliminated);
    EXPECT_EQ(CountLinesHolding(debug, "World save"), 0) << "an older file is not at fault";

    // A measured entity record passed over leaves the rivals after it in step, read as saved.
    std::string passed = bytes;
    size_t model = passed.find(kTorchModel);
    ASSERT_NE(model, std::string::npos) << "the world holds saved objects";
    passed.replace(model, 6, "nodels");
    ASSERT_EQ(LoadBytes(passed), Game::WorldLoadResult::PartlyRead);
    EXPECT_EQ(RivalFacts(), saved);
    EXPECT_EQ(CountLinesHolding(debug, "the rivals are made anew"), 0);
}

TEST_F(WorldSaveRivals, ABrokenRivalBlockLeavesNoneOfItsRivalsAndHasThemMadeAnew)
{
    size_t blockStart = 0;
    std::string bytes = SaveChangedWorld(blockStart);
    std::string name = Rival(0)->name;
    size_t first = blockStart + 4;
    size_t afterName = first + 4 + name.size() + 1;
    auto withWord = [&](size_t at, uint32_t word) {
        std::string changed = bytes;
        std::memcpy(changed.data() + at, &word, 4);
        return changed;
    };
    float nan = std::numeric_limits<float>::quiet_NaN();
    uint32_t nanWord = 0;
    std::memcpy(&nanWord, &nan, 4);
    std::vector<std::pair<std::string, std::string>> broken = {
        {"count -1", withWord(blockStart, 0xFFFFFFFFu)},
        {"count 2^31", withWord(blockStart, 0x80000000u)},
        {"count 33", withWord(blockStart, 33)},
        {"count one more", withWord(blockStart, kRivals + 1)},
        {"definition -1", withWord(first, 0xFFFFFFFFu)},
        {"definition 9999", withWord(first, 9999)},
        {"difficulty 4", withWord(afterName + 4, 4)},
        {"home x NaN", withWord(afterName + 16, nanWord)},
        {"cut in the middle", bytes.substr(0, blockStart + (bytes.size() - blockStart) / 2)},
        {"cut before the last word", bytes.substr(0, bytes.size() - 4 - 1)},
    };
    for (const auto& [what, file] : broken) {
        int said = CountLinesHolding(debug, "the rivals are made anew");
        ASSERT_EQ(LoadBytes(file), Game::WorldLoadResult::PartlyRead) << what;
        ExpectRivalsMadeAnew(what);
        EXPECT_EQ(CountLinesHolding(debug, "the rivals are made anew"), said + 1) << what;
    }
    // Every cut inside the block, a stride apart: never a crash, never a rival twice.
    for (size_t cut = blockStart; cut < bytes.size() - 4; cut += 61) {
        ASSERT_EQ(LoadBytes(bytes.substr(0, cut)), Game::WorldLoadResult::PartlyRead) << cut;
        ExpectRivalsMadeAnew("cut at " + std::to_string(cut));
    }
}

// ---- The rivals at work ------------------------------------------------------------------------

namespace {

// What a rival was doing, one line: activity, timers, raid, partners, each recruit's party,
// level, streaks and place, and each offer it waits on with the goods it names.
std::string RivalWork(const ActorCovenant& rival)
{
    std::ostringstream line;
    line << "activity " << rival.activity << "/" << rival.cachedActivity << " timers";
    for (const RandomTimer& timer : rival.timerSet)
        line << " " << int{timer.running} << ":" << timer.minimum << ":" << timer.maximum << ":" << timer.total << ":"
             << timer.remaining;
    line << " alert " << rival.alertUntil.days << ":" << rival.alertUntil.hours << ":" << rival.alertUntil.minutes << ":"
         << rival.alertUntil.seconds << " think " << rival.nextThinkTime.minutes << ":" << rival.nextThinkTime.seconds
         << " damage " << rival.recentDamage << " from";
    for (float damage : rival.damageFrom)
        line << " " << damage;
    line << " rally " << rival.hasRallyPoint << "@" << rival.rallyPoint.level << "," << rival.rallyPoint.x << ","
         << rival.rallyPoint.y << " raid " << rival.raidUnderWay << "->" << rival.targetCovenant << " since "
         << rival.raidStart.minutes << ":" << rival.raidStart.seconds << " last " << rival.lastRaidEnd.hours
         << " shared " << rival.sharedRaidPartner << "/" << rival.sharedRaidTargetDamage << "/"
         << rival.sharedRaidPartnerDamage << " partner " << rival.adventurePartner << " xp";
    for (int32_t xp : rival.sharedAdventureXp)
        line << " " << xp;
    line << " walk " << rival.buyWalkBag << "/" << rival.buyWalkSlot << " recruits";
    for (int32_t slot = 0; slot < rival.GetRecruitSlots(); ++slot) {
        const Recruit* recruit = rival.GetRecruitRecord(slot);
        if (!recruit)
            continue;
        line << " " << slot << ":" << recruit->outWithParty << "/" << recruit->assignedLevel << "/"
             << recruit->winStreak << "/" << recruit->lossStreak;
        if (const Actor* actor = recruit->GetActor())
            line << "@" << actor->position.level << "," << actor->position.x << "," << actor->position.y;
    }
    line << " offers";
    for (int32_t other = 0; other < kMaxCovenants; ++other) {
        const PendingOffer* pending = rival.GetPendingOfferRecord(other);
        if (pending->offer.entries.empty())
            continue;
        line << " to " << other << " type " << pending->offer.type << " resend " << pending->interval << "/"
             << pending->running << "/" << pending->remaining << "/" << pending->resendsLeft << " entries";
        for (const OfferEntry& entry : pending->offer.entries)
            line << " " << entry.side << ":" << entry.kind << ":" << entry.value;
        line << " goods held " << rival.HoldsOfferedGoods(other);
    }
    return line.str();
}

// The first filled cell of a rival's goods.
int32_t FirstGoodsSlot(const ActorCovenant& rival)
{
    for (int32_t slot = 0; slot < ActorCovenant::kGoodsSlots; ++slot)
        if (rival.GetStoredItem(ActorCovenant::kGoodsBag, slot))
            return slot;
    return -1;
}

} // namespace

TEST_F(WorldSaveRivals, RivalsAtWorkComeBackAtTheirWorkAndSaveToTheSameBytes)
{
    // The first leads a raid on the third through its own gate.
    ActorCovenant& raider = *Rival(0);
    raider.StartRaid(2);
    ASSERT_EQ(raider.targetCovenant, 2);
    ASSERT_NE(raider.raidGate.Get(), nullptr);
    raider.timerSet[ActorCovenant::StopRaidTimer].running = 1;
    raider.timerSet[ActorCovenant::StopRaidTimer].total = 40.0f;
    raider.timerSet[ActorCovenant::StopRaidTimer].remaining = 13.25f;
    raider.damageFrom[2] = 40.5f;
    raider.recentDamage = 12.5f;
    raider.sharedAdventureXp[1] = 77;
    raider.buyWalkBag = 3;
    raider.buyWalkSlot = 5;
    raider.alertUntil = TimeStamp{0, 1, 2, 3.5f};
    // The second is out adventuring on level 2 with a companion, and waits on a trade with the third.
    ActorCovenant& adventurer = *Rival(1);
    adventurer.activity = ActorCovenant::Adventuring;
    adventurer.cachedActivity = ActorCovenant::WishAdventure;
    adventurer.hasRallyPoint = true;
    adventurer.rallyPoint = At(320, 410, 0);
    adventurer.timerSet[ActorCovenant::AdventureTimer].running = 1;
    adventurer.timerSet[ActorCovenant::AdventureTimer].remaining = 21.75f;
    // The leader and the first other recruit with a creature.
    Recruit* leaderRecord = adventurer.FindRecruitByActor(adventurer.GetLeader());
    ASSERT_NE(leaderRecord, nullptr);
    std::vector<Recruit*> party = {leaderRecord};
    for (int32_t slot = 0; slot < adventurer.GetRecruitSlots() && party.size() < 2; ++slot)
        if (Recruit* recruit = adventurer.GetRecruitRecord(slot); recruit && recruit != leaderRecord && recruit->GetActor())
            party.push_back(recruit);
    int32_t out = 0;
    for (Recruit* recruit : party) {
        recruit->outWithParty = true;
        recruit->assignedLevel = 2;
        recruit->winStreak = 2;
        recruit->GetActor()->SetPosition(At(500.0f + 40.0f * static_cast<float>(out), 600, 2));
        ++out;
    }
    ASSERT_EQ(out, 2) << "the rival has a leader and a companion";
    int32_t goods = FirstGoodsSlot(adventurer);
    ASSERT_GE(goods, 0) << "a rival of the starting level holds goods";
    Offer trade;
    trade.type = ActorCovenant::kTradeOffer;
    trade.entries.push_back({0, TradeOfferKind::Item, TradeOfferEntry::PackItemPlace(ActorCovenant::kGoodsBag, goods)});
    trade.entries.push_back({1, TradeOfferKind::LeaderMoney, 250});
    adventurer.StorePendingOffer(trade, 2, ActorCovenant::kOfferResendSeconds);
    // Part of its wait gone, the offer not yet resent.
    adventurer.UpdatePendingOffers(ActorCovenant::kOfferResendSeconds - 12.5f);
    ASSERT_EQ(adventurer.GetPendingOfferRecord(2)->remaining, 12.5f);
    ASSERT_TRUE(adventurer.HoldsOfferedGoods(2));
    // An offer to the player's covenant, which is not in the game yet: money only.
    Offer gift;
    gift.type = ActorCovenant::kGiftOffer;
    gift.entries.push_back({0, TradeOfferKind::LeaderMoney, 90});
    Rival(2)->StorePendingOffer(gift, kRivals, ActorCovenant::kOfferResendSeconds);
    std::vector<std::string> work;
    for (int32_t i = 0; i < kRivals; ++i)
        work.push_back(RivalWork(*Rival(i)));
    ASSERT_TRUE(game->SaveWorld("Ada"));
    std::string bytes = SavedBytes();
    std::string block = RivalBlock();

    ASSERT_EQ(LoadBytes(bytes), Game::WorldLoadResult::Loaded);
    for (int32_t i = 0; i < kRivals; ++i)
        EXPECT_EQ(RivalWork(*Rival(i)), work[static_cast<size_t>(i)]) << "rival " << i;
    EXPECT_EQ(CountLinesHolding(debug, "World save"), 0);
    EXPECT_EQ(CountLinesHolding(debug, "is dropped"), 0);
    const auto* gate = Rival(0)->raidGate.GetAs<Entity>();
    ASSERT_NE(gate, nullptr) << "the raid goes on through a gate of its own";
    EXPECT_EQ(gate->covenantIndex, 0);
    EXPECT_EQ(CountEntitiesOf("ObjectRaidGate"), 1);
    EXPECT_TRUE(Rival(0)->IsRaiding());
    // The companion follows its leader again, out on the level it was sent to.
    const Entity* leader = Rival(1)->GetLeader();
    ASSERT_NE(leader, nullptr);
    EXPECT_EQ(leader->position.level, 2);
    int32_t following = 0;
    for (int32_t slot = 0; slot < Rival(1)->GetRecruitSlots(); ++slot)
        if (const Actor* actor = Rival(1)->GetRecruitActor(slot); actor && actor != leader && actor->GetLeader() == leader)
            ++following;
    EXPECT_EQ(following, 1);

    player = new Player();
    ASSERT_NE(game->AddEntity(player), -1);
    game->SetWorldRunning();
    ASSERT_TRUE(game->SaveWorld("Ada"));
    EXPECT_EQ(RivalBlock(), block) << "the rivals save to the same bytes";
}

TEST_F(WorldSaveRivals, ARivalWhoseWorkIsOutsideItsTablesIsRefusedWholeAndTheRivalsAreMadeAnew)
{
    float nan = std::numeric_limits<float>::quiet_NaN();
    std::vector<std::pair<std::string, std::function<void(ActorCovenant&)>>> broken = {
        {"activity 7", [](ActorCovenant& rival) { rival.activity = 7; }},
        {"wish -1", [](ActorCovenant& rival) { rival.cachedActivity = -1; }},
        {"timer NaN", [nan](ActorCovenant& rival) { rival.timerSet[ActorCovenant::BattleTimer].remaining = nan; }},
        {"timer below 0", [](ActorCovenant& rival) { rival.timerSet[ActorCovenant::RestTimer].remaining = -1.0f; }},
        {"raid target 32", [](ActorCovenant& rival) { rival.targetCovenant = kMaxCovenants; }},
        {"partner -2", [](ActorCovenant& rival) { rival.adventurePartner = -2; }},
        {"damage NaN", [nan](ActorCovenant& rival) { rival.damageFrom[3] = nan; }},
        {"rally NaN", [nan](ActorCovenant& rival) { rival.rallyPoint.x = nan; }},
        {"streak -1", [](ActorCovenant& rival) { rival.GetRecruitRecord(0)->lossStreak = -1; }},
        {"offer kind 12",
         [](ActorCovenant& rival) {
             Offer offer;
             offer.entries = {{0, TradeOfferKind::kLast + 1, 0}};
             rival.StorePendingOffer(offer, 2, ActorCovenant::kOfferResendSeconds);
         }},
        {"offer of 33 entries",
         [](ActorCovenant& rival) {
             Offer offer;
             offer.entries.assign(TradeOfferEntry::kMaxEntries + 1, {0, TradeOfferKind::LeaderMoney, 1});
             rival.StorePendingOffer(offer, 2, ActorCovenant::kOfferResendSeconds);
         }},
        {"offer resent after -5 seconds",
         [](ActorCovenant& rival) {
             Offer offer;
             offer.entries = {{0, TradeOfferKind::LeaderMoney, 1}};
             rival.StorePendingOffer(offer, 2, -5.0f);
         }},
    };
    ASSERT_NE(Rival(0)->GetRecruitRecord(0), nullptr);
    ASSERT_TRUE(game->SaveWorld("Ada"));
    std::string clean = SavedBytes();
    for (const auto& [what, breakIt] : broken) {
        ASSERT_EQ(LoadBytes(clean), Game::WorldLoadResult::Loaded) << what;
        player = new Player();
        ASSERT_NE(game->AddEntity(player), -1);
        game->SetWorldRunning();
        breakIt(*Rival(0));
        ASSERT_TRUE(game->SaveWorld("Ada")) << what;
        std::string file = SavedBytes();
        int said = CountLinesHolding(debug, "the rivals are made anew");
        ASSERT_EQ(LoadBytes(file), Game::WorldLoadResult::PartlyRead) << what;
        ExpectRivalsMadeAnew(what);
        EXPECT_EQ(CountLinesHolding(debug, "the rivals are made anew"), said + 1) << what;
    }
}

// Goods of the player's covenant, which a resumed world does not hold until it joins: found then,
// at the rival's next step, or the offer dropped when the cell it names is empty.
TEST_F(WorldSaveRivals, AnOfferOnThePlayersGoodsFindsThemOnceItJoinsOrIsDroppedAndTheRestStand)
{
    Offer buy;
    buy.type = ActorCovenant::kTradeOffer;
    buy.entries.push_back({1, TradeOfferKind::Item, TradeOfferEntry::PackItemPlace(InventoryGroupIndex::Bag1, 0)});
    buy.entries.push_back({0, TradeOfferKind::LeaderMoney, 40});
    Rival(0)->StorePendingOffer(buy, kRivals, ActorCovenant::kOfferResendSeconds);
    Offer peace;
    peace.type = ActorCovenant::kTradeOffer;
    peace.entries.push_back({2, TradeOfferKind::Peace, 0});
    Rival(0)->StorePendingOffer(peace, 1, ActorCovenant::kOfferResendSeconds);
    ASSERT_TRUE(game->SaveWorld("Ada"));
    std::string bytes = SavedBytes();

    for (bool holding : {true, false}) {
        ASSERT_EQ(LoadBytes(bytes), Game::WorldLoadResult::Loaded);
        ASSERT_NE(Rival(0)->GetPendingOffer(kRivals), nullptr) << "it waits for the player's covenant";
        EXPECT_FALSE(Rival(0)->HoldsOfferedGoods(kRivals)) << "no deal on goods not yet found";
        player = new Player();
        ASSERT_NE(game->AddEntity(player), -1);
        if (holding) {
            std::unique_ptr<ItemBase> bread = std::make_unique<Item>();
            bread->SetEntry(database.FindEntryByName("TravelBread"));
            player->inventory->ResizeBag(InventoryGroupIndex::Bag1, 4);
            ASSERT_TRUE(player->inventory->AddItem(bread, InventoryGroupIndex::Bag1));
        }
        JoinPlayerCovenant(player);
        int said = CountLinesHolding(debug, "its saved offer to covenant 3 names what is not there");
        Rival(0)->UpdatePendingOffers(0.0f);
        EXPECT_EQ(Rival(0)->GetPendingOffer(kRivals) != nullptr, holding);
        if (holding) {
            EXPECT_TRUE(Rival(0)->HoldsOfferedGoods(kRivals)) << "the very item in the cell it names";
        }
        EXPECT_EQ(CountLinesHolding(debug, "its saved offer to covenant 3 names what is not there"), said + (holding ? 0 : 1));
        ASSERT_NE(Rival(0)->GetPendingOffer(1), nullptr);
        EXPECT_TRUE(Rival(0)->GetPendingOffer(1)->HasSameTerms(peace));
        EXPECT_EQ(CountRivals(), kRivals) << "one offer does not cost the rivals";
    }
}

// ---- The player's covenant -----------------------------------------------------------------------

TEST_F(WorldSaveRivals, ThePlayersCovenantTakesBackItsOwnSideOnceWhenItJoinsTheResumedWorld)
{
    PlayerCovenant& own = JoinPlayerCovenant(player);
    ASSERT_EQ(own.index, kRivals);
    own.SetRelation(0, 33.5f);
    own.SetRelation(2, 71.25f);
    own.targetCovenant = 2;
    own.raidUnderway = true;
    own.adventurePartner = 1;
    ASSERT_TRUE(game->SaveWorld("Ada"));
    std::string bytes = SavedBytes();

    ASSERT_EQ(LoadBytes(bytes), Game::WorldLoadResult::Loaded);
    EXPECT_EQ(CountLinesHolding(debug, "World save"), 0);
    player = new Player();
    ASSERT_NE(game->AddEntity(player), -1);
    PlayerCovenant& back = JoinPlayerCovenant(player);
    EXPECT_EQ(back.GetRelation(0), 33.5f);
    EXPECT_EQ(back.GetRelation(1), 0.0f);
    EXPECT_EQ(back.GetRelation(2), 71.25f);
    EXPECT_EQ(back.targetCovenant, 2);
    EXPECT_TRUE(back.raidUnderway);
    EXPECT_EQ(back.adventurePartner, 1);
    PlayerCovenant& another = JoinPlayerCovenant(nullptr);
    EXPECT_EQ(another.GetRelation(0), 0.0f) << "the kept side is given once, to its own index";
    EXPECT_EQ(another.targetCovenant, -1);

    // A cut record: the rivals stand as read, the covenant joins as new, and the load says so.
    ASSERT_EQ(LoadBytes(bytes.substr(0, bytes.size() - 3)), Game::WorldLoadResult::PartlyRead);
    EXPECT_EQ(CountLinesHolding(debug, "its player covenant at byte"), 1);
    EXPECT_EQ(CountRivals(), kRivals);
    EXPECT_EQ(CountLinesHolding(debug, "the rivals are made anew"), 0);
    PlayerCovenant& fresh = JoinPlayerCovenant(nullptr);
    EXPECT_EQ(fresh.GetRelation(0), 0.0f);
    EXPECT_EQ(fresh.targetCovenant, -1);
}
