// Covenant -- a covenant of the world host as the game runs it: its house, guards, relics, recruits, bonuses, step and record in the game update.
#pragma once

#include "core/SafePointer.h"
#include "core/TimeStamp.h"
#include "covenants/PendingOffer.h"
#include "covenants/TradeOffer.h"
#include "entities/Actor.h"
#include "entities/EntityCovenant.h"
#include "rules/covenants/CovenantBase.h"

#include <array>
#include <functional>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class Entity;
class InventoryBag;
class Item;
class ItemBase;
class MessageBuffer;
class Recruit;
class Sentient;

// The computer-run and the player's covenants derive from this one; it is never made alone.
// The game calls, in its own order: Start and RecalculateMemberStats while a world is made, then
// SetUpFirstWorld once every covenant exists; Update every step and PayUpkeep every "TaxPeriod".
//
// The home (the lifestone), the guards, the pedestals and the relic displays are entities of the
// game's table held by safe pointers: the game may delete any of them and the covenant then
// reads an empty slot. Without a home, the home's getters answer 0 and its setters do nothing.
class Covenant : public CovenantBase, public EntityCovenant {
public:
    static constexpr int32_t kGuardSlots = 4;
    static constexpr int32_t kRelicSlots = 4;
    // The house group's slots: guards 0..3, relics 4..7.
    static constexpr int32_t kFirstRelicSlot = kGuardSlots;
    static constexpr int32_t kHouseSlots = kGuardSlots + kRelicSlots;
    static constexpr int32_t kMultiplierCount = 14;
    // The one multiplier no other rule reads scales the influence won by destroying a covenant.
    static constexpr int32_t kInfluenceDestroyingMultiplier = 0;
    static constexpr int32_t kInfluenceExperienceMultiplier = 1;
    static constexpr int32_t kCrystalIncomeMultiplier = 2;
    static constexpr int32_t kLifestoneHealthMultiplier = 4;
    static constexpr float kThinkDelaySeconds = 10.0f;
    static constexpr float kGuardFadeSeconds = 5.0f;
    // The lifestone's warnings, and the ratios a rising lifestone must pass to arm them again.
    static constexpr float kDangerRatio = 0.25f;
    static constexpr float kThreatRatio = 0.5f;
    static constexpr float kDangerRearmRatio = 0.3f;
    static constexpr float kThreatRearmRatio = 0.55f;
    static constexpr float kGlowBase = 10.0f;
    static constexpr float kGlowPerRatio = 40.0f;
    // Guards stand this many grid cells from the home.
    static constexpr float kGuardNearCells = 2.0f;
    static constexpr float kGuardFarCells = 3.0f;
    static constexpr const char* kRelicTag = "tag_relic";
    static constexpr const char* kPedestalRecord = "ObjectPedestal";

    // The best-member values RecomputeBonuses keeps, by place.
    enum BestMember : int32_t {
        kBestRegeneration = 0,  // lifestone regeneration per minute
        kBestArmor,
        kBestDefense,           // x 0.75
        kBestResistance,        // six: ResistancePhysical .. ResistanceMagic
        kBestMemberCount = kBestResistance + 6,
    };

    Covenant();
    // Recruits attached to actors schedule their actors' removal.
    ~Covenant() override;

    // ---- What the game's world set-up calls (the covenant kinds) --------------------------------
    virtual void Start(int32_t startingLevel, int32_t difficulty) = 0;
    virtual void SetUpFirstWorld() = 0;
    // Once per "TaxPeriod": the income added; a loss the crystals cannot cover sells guards, then
    // the leader's guard items, then cancels trade routes (CovenantEconomy.cpp).
    virtual void PayUpkeep();
    // Beaten for good: the game is lost when the first player's covenant is.
    virtual bool IsDefeated() const { return eliminated; }

    // ---- CovenantBase: the home entity and the partners ----------------------------------------
    void SetHomeHealth(int32_t health) override;
    int32_t GetHomeHealth() const override;
    void SetHomeMaxHealth(int32_t maxHealth) override;
    int32_t GetHomeMaxHealth() const override;
    // The taxes less the guard upkeep, times multiplier 2.
    int32_t GetCrystalIncome() const override;

    // ---- The covenant's own virtual operations, in slot order -----------------------------------
    // Does nothing for an eliminated covenant; the kinds run it first in their own step.
    virtual void Update(float seconds);
    // The other covenant (the player's) offers a deal; an empty offer withdraws the last one.
    virtual void ReceiveOffer(Covenant&, const Offer&) {}
    // The other covenant accepted (true) or rejected this one's offer; on acceptance the
    // covenant carries the deal out through Game::ExecuteOffer.
    virtual void OnOfferAnswered(Covenant&, const Offer&, bool, int32_t) {}
    // A deal is being carried out (its goods still where they were): party 0 is the first
    // covenant of the deal, 1 the second; other is the other party.
    virtual void OnOfferExecuted(const Offer&, int32_t, Covenant*) {}
    // A deal between two other covenants was carried out: the maker's offer, the accepter's yes.
    virtual void OnKillReport(const Offer&, Covenant&, Covenant&) {}
    // The sum of the recruits' weights, and of their worn items' values; 0 here.
    virtual void UpdatePeopleStatistic();
    virtual void UpdateItemsStatistic();
    virtual bool IsAvailable() const { return true; }
    virtual Entity* GetPlayer() const { return nullptr; }
    Entity* GetLeader() const override = 0;
    virtual int32_t GetAdventureInfo() const { return 0; }
    // The covenant inventory's item, bag and deletion; none outside its bags.
    virtual Item* GetInventoryItem(int32_t bag, int32_t slot) const;
    virtual void DeleteInventoryItem(int32_t bag, int32_t slot);
    InventoryBag* GetInventoryBag(int32_t bag) const override;
    // The covenant's traits give the entity their status effects.
    virtual void ApplyTraitEffects(Entity&) {}
    // Whether the recruit's actor is busy with its covenant (a raid either way, the party).
    virtual bool IsRecruitEngaged(const Actor&) const { return false; }
    virtual bool IsRecruitRaiding(const Actor&) const { return false; }
    virtual bool IsRecruitDefending(const Actor&) const { return false; }
    // The raid party's members standing and fallen; both 0 while not raiding.
    virtual void CountRaidParty(int32_t& alive, int32_t& fallen) const;
    // Multiplier m (0..13); 1.0 for an index outside.
    virtual float GetFloatStat(int32_t m) const;
    // Elimination's ends for the members: killed, or sent their ways.
    virtual void KillAllMembers() {}
    virtual void DisbandMembers() {}
    // The definition's "RelationForPeaceTreaty" at the covenant's difficulty; 0 without one.
    virtual float GetRelationForPeaceTreaty(const Covenant& other) const;
    // The definition's "RelationChangeCancelledTreaty" of the treaty kind.
    virtual float GetTreatyCancelChange(int32_t treaty) const;
    // Hands an offer holding at least one entry to the other covenant.
    virtual void SendOffer(Covenant& to, const Offer& offer);
    virtual void OnSharedAdventureXp(Entity&, int32_t) {}
    // A recruit's actor was sent to the level.
    virtual void OnLevelReached(int32_t, Entity*) {}
    // Every spawned recruit forgets the other covenant's entities.
    virtual void ForgetCovenant(const Covenant& other);
    virtual int32_t GetDifficultyLevel() const { return kAverageDifficulty; }
    virtual void UpdateAdventureParty(Covenant&) {}
    virtual Covenant* PickMostHatedCovenant() const { return nullptr; }
    // nextThinkTime = the game clock + kThinkDelaySeconds.
    virtual void ResetThinkTimer();
    void TeleportMember(Entity&) override {}
    // Where the covenant gathers while it rests; level -1 without a rally point.
    virtual bool HasRallyPoint() const { return false; }
    virtual WorldPos GetRallyPoint() const;
    virtual bool CanBeVisited() const { return true; }
    virtual int32_t GetRecruitCount() const { return CountRecruits(); }
    virtual void OnCovenantsMeet(Covenant&, Covenant&) {}
    virtual float GetDamageFrom(const Covenant*) const { return 0.0f; }
    // Whether the recruit's actor may be sent to the level.
    virtual bool AllowsTarget(const Entity*, int32_t) const { return true; }
    // The item's value with its stack at the sell share of that value; own is set when this
    // covenant would give the item (the kinds weigh their own goods differently).
    virtual float GetItemTradeValue(const ItemBase& item, bool own) const;
    // The goods an item entry of an offer names: its value's low 16 bits the bag (inventory
    // group), the high 16 bits the slot, as the game moves them; here the covenant inventory's.
    virtual ItemBase* GetStoredItem(int32_t bag, int32_t slot) const;
    // Takes those goods out for a deal; null when there are none.
    virtual std::unique_ptr<ItemBase> RemoveStoredItem(int32_t bag, int32_t slot);
    // Takes goods a deal brought (bag: where the giver kept them). False leaves the item with the
    // caller, which puts it back; here it goes to that bag of the covenant inventory.
    virtual bool GiveStoredItem(std::unique_ptr<ItemBase>& item, int32_t bag);
    // Whether the covenant of the index raids beside this one.
    virtual bool IsSharedRaidPartner(int32_t) const { return false; }
    // A guard of this covenant fell.
    virtual void OnMemberKilled(Entity& victim, Entity* killer);
    // A member, a guard or the home was hit (CovenantAttacks.cpp): war on the attacker's covenant
    // and the defenders roused; near the house the covenant thinks again at once (unless flag);
    // a home brought to nothing eliminates the covenant.
    virtual void OnMemberAttacked(Entity& victim, Entity* attacker, int32_t damage, bool flag);
    // Once: the game hears of the fall (with credit), the statistics and influence go, the members
    // are killed (with their guards) or disbanded, every offer is withdrawn, the lifestone goes dark.
    virtual void Eliminate(Entity* destroyer, bool killMembers, bool credit);

    // ---- The game's diplomacy hooks (the kinds answer as they see fit; by default nothing) -----
    // The offer this covenant put to the covenant of the index and still waits on; null when none.
    virtual const Offer* GetPendingOffer(int32_t) const { return nullptr; }
    // Asked to suggest a trade to the other covenant.
    virtual void SuggestTrade(Covenant&) {}
    // Adds to a statistic within whatever cap the covenant keeps for it.
    virtual void AddToCappedStat(int32_t stat, int32_t amount) { statistics.Add(stat, amount); }
    // The other covenant answered this one's offer with the response.
    virtual void OnOfferResult(Covenant&, int32_t) {}
    // The other covenant's offer to this one ended unanswered.
    virtual void OnOfferExpired(Covenant&) {}
    // This covenant's relation toward the other moved by the amount.
    virtual void DescribeRelationChange(const Covenant*, float) {}
    // A raid on this covenant was beaten off: the raider that fell last.
    virtual void CountDeath(Entity*) {}
    // Its raid party has fallen: a kind that sends its party on its own calls the raid off.
    virtual void GiveUpRaid() {}
    // Adventuring together with the other covenant begins; it ends when the one given stops it
    // (this covenant itself: its partner is told too).
    virtual void StartAdventuringWith(Covenant&) {}
    virtual void StopAdventuringWith(Covenant&) {}
    // Raids the target together with the partner.
    virtual void JoinSharedRaid(Covenant&, Covenant&) {}
    // A pact between the two ended, the first leaving it (the treaty still stands as it stood);
    // told to every living covenant.
    virtual void OnTreatyCancelled(Covenant&, Covenant&) {}
    // The trade route of the kind between the two was cancelled by the first; told to every
    // living covenant.
    virtual void OnTradeRouteCancelled(Covenant&, Covenant&, int32_t) {}
    // Peace was made with the other covenant.
    virtual void MakePeace(Covenant&) {}
    // The other covenant declared war on this one.
    virtual void OnWarDeclaredOn(Covenant&) {}
    // The other covenant began raiding this one.
    virtual void OnRaidStarted(Covenant&) {}
    // The other covenant's rumour about this one moved the amount of its resources.
    virtual void OnRumorStartedBy(Covenant&, int32_t) {}
    // This covenant's reward of the fallen covenant's chest level.
    virtual void TakeReward(Covenant&, int32_t) {}
    // The world ended for this covenant (its three values are the kind's).
    virtual void EndWorld(int32_t, int32_t, int32_t) {}

    // ---- The player's covenant ---------------------------------------------------------------
    virtual bool IsRecruit(const Sentient&) const { return false; }
    virtual void KickOut(int32_t) {}
    virtual void StopRaid() {}

    // ---- EntityCovenant ------------------------------------------------------------------------
    // The recruits' actors and the player.
    bool IsMember(const Sentient& sentient) const override;
    WorldPos GetHomePosition() const override;
    Entity* GetHomeEntity() const override;
    // The best member's Armor, Defense x 0.75 and resistances; 0 for any other stat.
    int32_t GetHomeStat(int32_t stat) const override;
    void RecomputeTotals() override { RecomputeBonuses(); }
    // No flat change of a member's stats, and no influence from experience, until a kind says.
    void ModifyMemberStat(int32_t, int32_t&, int32_t) const override {}
    void RecordMemberExperience(int32_t, int32_t, float) override {}
    void OnMemberGainedExperience(Sentient&, int32_t) override {}
    // A risen member stands at the respawn spot and is handed on to be moved where it is wanted.
    WorldPos GetResurrectPosition(const Sentient& member) const override;
    // A raider's fall may beat its covenant's raid off.
    void OnMemberDied(Sentient& member) override;
    // A recruit busy with the covenant stays awake far from every player.
    bool KeepsMemberActive(const Sentient& member) const override;
    void OnMemberDamaged(Entity& victim, Entity* attacker, int32_t damage) override;
    // Its targetCovenant, at Raid.
    bool IsRaiding() const override;
    // Some other covenant targets this one while this one's treaty toward it is Raid.
    bool IsBeingRaided() const override { return IsBeingRaidedExcept(nullptr); }
    int32_t GetPartnerIndex() const override { return adventurePartner; }
    bool IsBeingRaidedExcept(const Covenant* except) const;
    int32_t CountRecruits() const override;

    // ---- Record and offers (Covenant.cpp) -------------------------------------------------------
    // The covenant's record of the game update.
    void Write(MessageBuffer& buffer) const;
    // Empties the offer pending toward the covenant of the index; with notify, that covenant
    // hears an empty offer.
    void ClearOfferTo(int32_t other, bool notify);
    const PendingOffer* GetPendingOfferRecord(int32_t other) const;
    // Whether each item the offer pending toward the index names is still the very item it
    // named when stored, in the cell its entry names: a deal never hands over another.
    bool HoldsOfferedGoods(int32_t other) const;
    // The item an entry names in the giver's goods (side 0: this covenant, else the one of the
    // index); null for an entry of another kind or an empty cell.
    ItemBase* FindOfferedItem(const OfferEntry& entry, int32_t other) const;

    // ---- Crystals and influence (CovenantEconomy.cpp) -------------------------------------------
    // The living guard of the highest value (the lowest slot on a tie); -1 when none.
    int32_t PickGuardToSell() const;
    // The first guard item in the leader's carried bags; false without one or without a leader.
    bool FindLeaderItemToSell(int32_t& bag, int32_t& slot) const;
    // The partner of the route of the highest income (the first on a tie); -1 when none.
    int32_t PickTradeRouteToCancel() const;
    // Counter 0 adventure, 1 competition, 2 world, 3 transferred; the four stay within "MaxInfluence".
    void AddInfluence(int32_t counter, int32_t amount);
    // A member's experience of the kind (0 combat, 1 secret, 2 quest, 3 exploration) at the level.
    void GainInfluenceFromXp(int32_t level, int32_t kind, int32_t xp);
    // The influence this covenant gains for bringing the victim down (before the cap).
    int32_t GainInfluenceForDestroying(const Covenant& victim, float factor);

    // ---- Home, members and relation queries (CovenantHome.cpp) ------------------------------------
    // The home takes the covenant's index; the house stands where it stands.
    void SetHome(Entity* entity);
    // 0 without a home or with a maximum below 1.
    float GetHomeHealthRatio() const;
    // Seconds before the member rises: -1 for an eliminated covenant, 0 for no entity and for a
    // guard, the leader's by the hero multiplier, the others' longer the weaker the lifestone.
    float GetResurrectionTime(const Entity* entity) const override;
    // Deletes every guard item of the house and removes its guard.
    void RemoveAllGuards();
    // 4 for the covenant's own, 0 for a covenant it fights, 2 otherwise and without an entity.
    int32_t GetRelationshipCode(const Entity* entity) const;
    int32_t CountCovenantsTargeting(const Covenant* except) const;
    int32_t CountWars(const Covenant* except) const;
    // The living covenants x protects (or is allied with) that this one is not allied with.
    int32_t CountProtectionPartnersOf(const Covenant& x) const;
    int32_t CountAlliesOf(const Covenant& x) const;
    // x, living, fights one of this covenant's pact partners.
    bool IsAtWarWithPartnerOf(const Covenant& x) const;
    // The game clock is before nextThinkTime.
    bool IsThinkDelayed() const;
    // The game's first player leads this covenant.
    bool IsFirstPlayersCovenant() const;

    // ---- Treaty and route measures (CovenantMeasures.cpp) -----------------------------------------
    // Each toward the other covenant, on the relation scale. Mode 0: how far the relation falls
    // short of the treaty (0 when it is enough); 1: the relation change rolled for signing it;
    // 2: what giving it up is worth. Any other mode: 0 (the relation less the threshold for peace).
    float PeaceMeasure(const Covenant& other, int32_t mode) const;
    float NonAggressionMeasure(const Covenant& other, int32_t mode) const;
    float MutualProtectionMeasure(const Covenant& other, int32_t mode) const;
    float AllianceMeasure(const Covenant& other, int32_t mode) const;
    // The mode-2 measure of the treaty state in force (Peace and the three pacts); 0 for others.
    float TreatyGiveUpValue(int32_t treaty, const Covenant& other) const;
    // As the treaties for a route of the kind; mode 0 is -100 for a route not worth having.
    float TradeRouteMeasure(const Covenant& other, int32_t mode, int32_t kind) const;

    // ---- Pending offers and placement (CovenantPlacement.cpp) -------------------------------------
    // The offer waits for its answer toward the covenant of the index, replacing the last one
    // unannounced; resent after the interval at most four times. An index outside 0..31 stores nothing.
    void StorePendingOffer(const Offer& offer, int32_t other, float interval);
    // Every spawned recruit, then the player, but the one left out.
    virtual void RecalculateMemberStats(const Entity* except);
    // A free spot for the entity within four rings of the home position; the home position when none.
    virtual WorldPos FindSpotNearHome(const Entity* entity) const;
    // Where a risen member stands: beside its own home's spawn point when it raids, by its own
    // spot when its player leader lives and it is in the party, else near the home.
    WorldPos GetRespawnPosition(const Actor& actor) const;

    // ---- Step and bonuses (CovenantStep.cpp) ----------------------------------------------------
    void UpdateStatistics();
    // House, AbsoluteInfluence, People, Items and LifeStone to 0.
    void ClearStatistics();
    void SetLifestoneGlow(float ratio);
    // The house items' values with their stacks; only the guards' with the flag.
    int32_t HouseValue(bool guardsOnly) const;
    void RecomputeBonuses();
    // The upkeep of the guard items standing, in the leader's carried bags and in the house.
    void GuardCosts();
    int32_t GetBestMemberValue(int32_t place) const;
    // (Xp / XpNeeded + Level)^2, or Level^2 without XpNeeded, truncated.
    static int32_t RecruitPower(int32_t level, int32_t xp, int32_t xpNeeded);

    // ---- Guards, relics and pedestals (CovenantGuards.cpp) --------------------------------------
    void SpawnGuard(Item* item, int32_t slot);
    WorldPos GetGuardPosition(int32_t slot) const;
    Entity* GetGuard(int32_t slot) const;
    // At once, through the game's timed actions.
    void RemoveGuard(int32_t slot);
    // Fades out over kGuardFadeSeconds.
    void DismissGuard(int32_t slot);
    // The guard breaks free: it stays in the world as a free monster and its item has fallen.
    void ReleaseGuard(int32_t slot);
    int32_t FindGuardSlotForNew() const;
    int32_t FindRelicSlotForNew() const;
    void CreatePedestals();
    Entity* GetPedestal(int32_t i) const;
    void PlaceRelic(Item* relic, int32_t slot);
    Entity* GetRelicDisplay(int32_t slot) const;
    void RemoveRelicDisplay(int32_t slot);
    // The relics in the house give a member (a guard, a recruit) their status effects as its
    // stats are built.
    void ApplyRelicEffects(Entity& entity) const;

    // ---- Recruit list (CovenantRecruits.cpp) ----------------------------------------------------
    void AddRecruit(Actor& actor);
    int32_t FindFreeRecruitSlot() const;
    bool HasRoomForRecruit() const override;
    // The player's covenant also releases the recruit's actor.
    virtual void RemoveRecruit(int32_t slot);
    Recruit* FindRecruitByActor(const Entity* actor) const;
    Actor* GetRecruitActor(int32_t slot) const override;
    Recruit* GetRecruitRecord(int32_t slot) const;
    // The slots of the recruit list; the kinds size it.
    void SetRecruitSlots(int32_t count);
    int32_t GetRecruitSlots() const { return static_cast<int32_t>(recruits.size()); }

    // ---- The ends of worlds ------------------------------------------------------------------
    // Worlds ended, by kind: 0 won, 1 lost, 3 won as an ally; counted without a cap.
    static constexpr int32_t kWorldsWon = 0;
    static constexpr int32_t kWorldsLost = 1;
    static constexpr int32_t kWorldsWonAllied = 3;
    static constexpr int32_t kWorldResultCount = 4;
    void CountWorldResult(int32_t kind)
    {
        if (worldResults.GetCount() < kWorldResultCount)
            worldResults.SetCount(kWorldResultCount);
        worldResults.Add(kind, 1);
    }
    IntArray worldResults;

    int32_t adventurePartner = -1;
    float lastHealthRatio = 1.0f;
    TimeStamp nextThinkTime;

protected:
    static constexpr int32_t kAverageDifficulty = 1;

    const CovenantBase* GetPartner(int32_t other) const override;
    TimeStamp GetGameTime() const override;
    // Slot i of the house group, whatever item class it holds.
    ItemBase* GetHouseItem(int32_t slot) const;
    // A guard died or its health changed: the item's prices are computed again.
    static void ResetGuardPrices(const ItemBase& item);

    std::vector<std::unique_ptr<Recruit>> recruits;
    SafePointer home;
    std::array<SafePointer, kRelicSlots> pedestals;  // one per relic slot
    std::array<int32_t, kBestMemberCount> bestMember{};
    std::vector<SafePointer> guards;
    std::vector<SafePointer> relicDisplays;
    std::array<PendingOffer, kMaxCovenants> pendingOffers;
    std::vector<float> multipliers;

private:
    void WatchGuards();
    void CheckRaidBeatenOff(Sentient& fallen);
    // A line to the clients, for the first player's covenant only.
    void SendCovenantMessage(const std::string& text) const;
    // The pay step's three ways out; false when there is nothing of the kind.
    bool SellGuard(int32_t& crystals);
    bool SellLeaderItem(int32_t& crystals);
    bool CancelRouteForUpkeep();
    int32_t CountPartnersOf(const Covenant& x, int32_t treaty) const;
    // A pact measure: the signing roll's key ends in signedKey, threshold is the definition key of
    // the relation the pact needs.
    float PactMeasure(const Covenant& other, int32_t mode, const char* signedKey, const char* threshold,
                      int32_t treaty) const;
    // The first slot of first..end-1 free for a new item (empty, or for guards one without a
    // living guard item); when none is, the slot of the cheapest item (the first on a tie).
    int32_t FindHouseSlotForNew(int32_t first, int32_t end, bool guards) const;
    // Each spawned recruit, then each guard.
    void ForEachDefender(const std::function<void(Actor&)>& order) const;
    void MirrorGuardHealth();
};
