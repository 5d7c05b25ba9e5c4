// Game -- deals between covenants, identify and chest timing, and the end of a world as the players confirm it.
#include "server/Game.h"

#include "core/EngineEnums.h"
#include "covenants/Covenant.h"
#include "entities/Actor.h"
#include "entities/Item.h"
#include "rules/GameData.h"
#include "rules/RulesEnums.h"
#include "rules/covenants/CovenantDefinition.h"
#include "rules/items/InventoryBase.h"
#include "rules/items/ItemBase.h"
#include "server/quests/GameQuests.h"
#include "server/quests/Quest.h"

#include <algorithm>

namespace {

// Influence moves through the transferred counter, the fourth of the four a covenant's total
// influence is the sum of. Mended: it moved through the total itself, which every covenant step
// sums afresh, so an accepted influence deal changed nothing.
constexpr int32_t kGameOffersInfluenceStat = CovenantStat::InfluenceTransferred;
constexpr int32_t kGameOffersMoneyStat = CovenantStat::Money;

const GameSystemTuning& GameOffersTuning()
{
    static const GameSystemTuning kDefaults;
    return gGameData ? gGameData->GetTuning() : kDefaults;
}

Covenant* GameOffersGiver(const TradeOfferEntry& entry, Covenant* first, Covenant* second)
{
    return entry.side == 0 ? first : second;
}

Covenant* GameOffersTaker(const TradeOfferEntry& entry, Covenant* first, Covenant* second)
{
    return entry.side == 0 ? second : first;
}

Sentient* GameOffersLeader(const Covenant* covenant)
{
    return covenant ? dynamic_cast<Sentient*>(covenant->GetLeader()) : nullptr;
}

// The bag and slot an item entry names; both halves are read unsigned.
int32_t GameOffersItemBag(int32_t value)
{
    return static_cast<int32_t>(static_cast<uint32_t>(value) & 0xFFFFu);
}

int32_t GameOffersItemSlot(int32_t value)
{
    return static_cast<int32_t>(static_cast<uint32_t>(value) >> 16);
}

bool GameOffersHasMoneyStat(const Covenant* covenant)
{
    return covenant && covenant->statistics.GetCount() > kGameOffersMoneyStat;
}

bool GameOffersAffords(const TradeOfferEntry& entry, const Covenant* giver)
{
    switch (entry.kind) {
    case TradeOfferKind::Influence: return giver && giver->GetTotalInfluence() >= entry.value;
    case TradeOfferKind::LeaderMoney: {
        const Sentient* leader = GameOffersLeader(giver);
        return leader ? leader->stats.Get(CharacterStat::Money) >= entry.value : entry.value <= 0;
    }
    case TradeOfferKind::Item:
        return giver && giver->GetStoredItem(GameOffersItemBag(entry.value), GameOffersItemSlot(entry.value));
    case TradeOfferKind::CovenantMoney:
        return GameOffersHasMoneyStat(giver) && giver->statistics.Get(kGameOffersMoneyStat) >= entry.value;
    default: return true;
    }
}

// The goods leave the giver as it keeps them for the taker as it keeps them; goods the taker
// refuses go back where they were, so a deal never loses an item.
void GameOffersMoveItem(Covenant& giver, Covenant& taker, int32_t value)
{
    int32_t bag = GameOffersItemBag(value);
    int32_t slot = GameOffersItemSlot(value);
    std::unique_ptr<ItemBase> item = giver.RemoveStoredItem(bag, slot);
    if (item && !taker.GiveStoredItem(item, bag) && item && giver.inventory)
        giver.inventory->PlaceItem(item, bag, slot, kPlaceAnyGroup);
}

void GameOffersMoveLeaderMoney(const Covenant* giver, const Covenant* taker, int32_t value)
{
    if (Sentient* leader = GameOffersLeader(giver))
        leader->stats.SubtractFloored(CharacterStat::Money, value);
    if (Sentient* leader = GameOffersLeader(taker))
        leader->AddMoney(value);
}

void GameOffersMoveCovenantMoney(Covenant& giver, Covenant& taker, int32_t value)
{
    if (!GameOffersHasMoneyStat(&giver) || !GameOffersHasMoneyStat(&taker))
        return;
    giver.statistics.SubtractFloored(kGameOffersMoneyStat, value);
    taker.statistics.Add(kGameOffersMoneyStat, value);
}

void GameOffersRaiseRelation(Covenant& covenant, int32_t other, float floor)
{
    if (covenant.GetRelation(other) < floor)
        covenant.SetRelation(other, floor);
}

void GameOffersLowerRelation(Covenant& covenant, int32_t other, float ceiling)
{
    if (covenant.GetRelation(other) > ceiling)
        covenant.SetRelation(other, ceiling);
}

// Levels of difference, with the time growing for a lower player and shrinking, not below the
// floor, for a higher one.
float GameOffersLevelTime(int32_t level, int32_t playerLevel, float base, float increase, float decrease,
                          float minimum)
{
    float difference = static_cast<float>(int64_t{level} - playerLevel);
    if (difference > 0.0f)
        return base + difference * increase;
    if (difference < 0.0f)
        return std::max(minimum, base + difference * decrease);
    return base;
}

} // namespace

// ---- Deals ------------------------------------------------------------------------------------

bool Game::CanAffordOffer(const Covenant* first, const Covenant* second, const TradeOffer& offer) const
{
    for (const TradeOfferEntry& entry : offer.entries) {
        const Covenant* giver = entry.side == 0 ? first : second;
        if (!GameOffersAffords(entry, giver))
            return false;
    }
    return true;
}

bool Game::IsItemsOnlyOffer(const TradeOffer& offer)
{
    return offer.HoldsOnlyGoods();
}

void Game::ExecuteOffer(const TradeOffer& offer, Covenant* first, Covenant* second)
{
    if (!first || !second)
        return;
    first->OnOfferExecuted(offer, 0, second);
    second->OnOfferExecuted(offer, 1, first);
    // The tutorial's trade step is a deal the first player's covenant made.
    if (const Entity* leader = first->GetLeader(); leader && IsFirstPlayer(*leader))
        CompleteTutorialTrades();
    for (const TradeOfferEntry& entry : offer.entries) {
        Covenant* giver = GameOffersGiver(entry, first, second);
        Covenant* taker = GameOffersTaker(entry, first, second);
        switch (entry.kind) {
        case TradeOfferKind::Influence:
            // Taken without a floor: the affordability check counts all four counters.
            giver->statistics.Add(kGameOffersInfluenceStat, -entry.value);
            taker->AddToCappedStat(kGameOffersInfluenceStat, entry.value);
            break;
        case TradeOfferKind::Peace: AnnounceDiplomacy(second->index, first->index, CovenantTreaty::Peace, false); break;
        case TradeOfferKind::NonAggressionPact:
            AnnounceDiplomacy(second->index, first->index, CovenantTreaty::NonAggressionPact, false);
            break;
        case TradeOfferKind::MutualProtectionPact:
            AnnounceDiplomacy(second->index, first->index, CovenantTreaty::MutualProtectionPact, false);
            break;
        case TradeOfferKind::Alliance:
            AnnounceDiplomacy(second->index, first->index, CovenantTreaty::Alliance, false);
            break;
        case TradeOfferKind::LeaderMoney: GameOffersMoveLeaderMoney(giver, taker, entry.value); break;
        case TradeOfferKind::Item: GameOffersMoveItem(*giver, *taker, entry.value); break;
        case TradeOfferKind::CovenantMoney: GameOffersMoveCovenantMoney(*giver, *taker, entry.value); break;
        case TradeOfferKind::TradeRoute: SetTradeRoute(first, second, entry.value, false); break;
        // Both partners hear of it, whichever made the deal.
        case TradeOfferKind::SharedAdventure: first->StartAdventuringWith(*second); break;
        case TradeOfferKind::JointAction: ExecuteJointAction(entry.value, *giver, *first, *second); break;
        default: break;
        }
    }
    for (int32_t i = 0; i < GetCovenantCount(); ++i)
        if (Covenant* onlooker = FindLivingCovenant(i); onlooker && onlooker != first && onlooker != second)
            onlooker->OnKillReport(offer, *first, *second);
}

void Game::CompleteTutorialTrades()
{
    // By number: a turn-in may start the tutorial's next step, which the list takes in.
    for (size_t i = 0; i < quests->GetList().size(); ++i) {
        Quest* quest = quests->GetList()[i].get();
        if (!quest || quest->type != QuestType::TutorialCovenantTrade)
            continue;
        quest->SetComplete();
        quests->CompletePlayerQuests(static_cast<int32_t>(i));
    }
}

void Game::ExecuteJointAction(int32_t value, Covenant& giver, Covenant& first, Covenant& second)
{
    int32_t action = GameOffersItemBag(value);
    Covenant* third = GetCovenant(GameOffersItemSlot(value));
    if (!third)
        return;
    switch (action) {
    case TradeOfferAction::ProposePeace: {
        if (const CovenantDefinition* definition = giver.GetDefinition())
            GameOffersRaiseRelation(giver, third->index, definition->relationForAgreementPeace);
        TradeOffer peace;
        peace.entries.push_back({2, TradeOfferKind::Peace, 0});
        giver.ReceiveOffer(*third, peace);
        break;
    }
    case TradeOfferAction::JointWar:
        for (Covenant* partner : {&first, &second}) {
            if (const CovenantDefinition* definition = partner->GetDefinition())
                GameOffersLowerRelation(*partner, third->index, definition->relationForAgreementWar);
        }
        AnnounceDiplomacy(first.index, third->index, CovenantTreaty::War, false);
        AnnounceDiplomacy(second.index, third->index, CovenantTreaty::War, false);
        break;
    case TradeOfferAction::JointRaid:
        first.JoinSharedRaid(second, *third);
        second.JoinSharedRaid(first, *third);
        break;
    case TradeOfferAction::MakePeace: AnnounceDiplomacy(giver.index, third->index, CovenantTreaty::Peace, false); break;
    case TradeOfferAction::CancelRoute: SetTradeRoute(&giver, third, 0, false); break;
    default: break;
    }
}

// ---- Timing of the players' requests ------------------------------------------------------------

float Game::GetIdentifyTime(int32_t itemLevel, int32_t playerLevel) const
{
    const GameSystemTuning& tuning = GameOffersTuning();
    return GameOffersLevelTime(itemLevel, playerLevel, tuning.baseIdentifyTime, tuning.identifyTimeIncreasePerLevel,
                               tuning.identifyTimeDecreasePerLevel, tuning.minIdentifyTime);
}

int32_t Game::GetIdentifyCost(const Item& item, const Sentient&) const
{
    return item.GetIdentifyCost();
}

float Game::GetChestOpenTime(int32_t chestLevel, int32_t playerLevel) const
{
    const GameSystemTuning& tuning = GameOffersTuning();
    return GameOffersLevelTime(chestLevel, playerLevel, tuning.baseChestOpenTime,
                               tuning.chestOpenTimeIncreasePerLevel, tuning.chestOpenTimeDecreasePerLevel,
                               tuning.minChestOpenTime);
}

// ---- The end of a world ---------------------------------------------------------------------------

void Game::ConfirmWin()
{
    if (!winAwaitsConfirm)
        return;
    winAwaitsConfirm = false;
    winConfirmed = true;
    // Both answers may come in one update: the world the first one ended is not won again.
    if (!gameOver)
        WinWorld(true);
}

void Game::AcceptAlliedVictory()
{
    if (!alliedVictoryPending)
        return;
    alliedVictoryPending = false;
    if (!gameOver)
        WinWorld(false);
}

void Game::RejectAlliedVictory(Covenant& playerCovenant)
{
    if (!alliedVictoryPending)
        return;
    alliedVictoryPending = false;
    alliedVictoryRefused = true;
    for (const std::unique_ptr<Covenant>& covenant : covenants) {
        if (!covenant || covenant->eliminated || covenant.get() == &playerCovenant)
            continue;
        AnnounceDiplomacy(covenant->index, playerCovenant.index, CovenantTreaty::War, false);
        if (const CovenantDefinition* definition = covenant->GetDefinition())
            covenant->SetRelation(playerCovenant.index, definition->relationForAgreementWar);
    }
}
