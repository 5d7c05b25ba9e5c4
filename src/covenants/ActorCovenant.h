// ActorCovenant -- a rival covenant the computer runs: its set-up, timers, step, adventures and simulated battles, goods and traits.
#pragma once

#include "core/EngineEnums.h"
#include "core/RandomTimer.h"
#include "core/SafePointer.h"
#include "core/TimeStamp.h"
#include "covenants/Covenant.h"
#include "rules/covenants/OfferAnswers.h"
#include "world/WorldPos.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

class CovenantDefinition;
class DatabaseEntry;
class EntityQuest;

// The game makes one per rival house with a new world and calls Start at once; it then steps it
// every fixed step. It keeps its party busy on timers: adventures on far levels (battles there
// are rolled, not fought, unless the recruit stands on a loaded level), rests in the town and the
// town's defence.
//
// Its quest record, a copy of the game's recruit quest, is made and reset by the game; its
// members' kills count there. The quest's would-be recruit is its candidate: the covenant wants it
// with the chance "PotentialRecruitArriveChance" (drawn once a candidate, and only with room for
// it or a weaker member to let go), sends its party to the quest's level while it adventures, and
// once the quest is done and "PotentialRecruitArriveTime" seconds of the game clock have passed
// since it wanted the candidate, the candidate joins at the home and the game's quest is solved
// for the covenant. A wanderer the party meets in a rolled fight may join at once with the same
// chance.
class ActorCovenant : public Covenant {
public:
    enum Activity : int32_t {
        Ready = 0,
        DefendTownAttack = 1,
        DefendSiege = 2,
        Adventuring = 3,
        Home = 4,
        Resting = 5,
        AdventuringWithCovenant = 6,
    };
    // What ChooseActivity wants.
    enum Wish : int32_t { WishStay = 0, WishAdventure = 1, WishTownAttack = 2, WishSiege = 3 };
    enum TimerId : int32_t {
        BattleTimer = 0,
        AdventureTimer,
        RestTimer,
        RelationsTimer,
        ActivityTimer,
        StopRaidTimer,
        GuardTimer,
        kTimerCount,
    };
    // The stored goods (bag 6) and the house (bag 24: guards, then relics).
    static constexpr int32_t kGoodsBag = InventoryGroupIndex::Stash;
    static constexpr int32_t kGoodsSlots = 10;
    // A monster's loot group, whose items a won battle brings home.
    static constexpr int32_t kLootGroup = InventoryGroupIndex::Loot;
    static constexpr int32_t kMaxStartingRelics = 4;
    static constexpr float kTeleportSeconds = 5.0f;
    static constexpr const char* kTeleportModel = "Models/Effects/teleport.mdl";
    static constexpr const char* kHomeRecord = "ObjectLifestone";
    // Covenant multipliers read here.
    static constexpr int32_t kBattleTimeMultiplier = 3;
    static constexpr int32_t kMonsterRollMultiplier = 7;
    // Quest types the covenant watches.
    static constexpr int32_t kPlagueQuest = 32;
    static constexpr int32_t kTownAttackQuest = 35;
    static constexpr int32_t kKidnappingQuest = 44;
    static constexpr int32_t kSiegeQuest = 45;
    // Items of these qualities are announced when found.
    static constexpr int32_t kFirstUniqueQuality = 5;
    static constexpr int32_t kLastUniqueQuality = 7;
    // News for every client: a unique item found, a wandering recruit taken on.
    static constexpr int32_t kNewsMessageKind = 3;
    // Easy, Average, Hard and VeryHard.
    static constexpr int32_t kDifficultyCount = 4;

    // One trait the covenant carries.
    struct Trait {
        int32_t id = -1;  // its index in the game data's trait list
        const DatabaseEntry* statusEffect = nullptr;
        std::array<float, kMultiplierCount> multipliers{};
    };

    ActorCovenant();
    ~ActorCovenant() override;

    // ---- Covenant ------------------------------------------------------------------------------
    // SetUp at the home position the game hands out.
    void Start(int32_t startingLevel, int32_t difficulty) override;
    // The starting relations, once every rival of the world exists.
    void SetUpFirstWorld() override;
    bool IsActorCovenant() const override { return true; }
    // A unique item (quality 5 to 7) is news: every client hears the covenant found it.
    void AnnounceFoundItem(const ItemBase& item) const override;
    // The quest record the game made for it (none before the first recruit quest); the game
    // copies the recruit quest into it and resets it when that quest is solved.
    EntityQuest* GetQuest() const { return quest.get(); }
    void SetQuest(std::unique_ptr<EntityQuest> record);
    // Its record while that holds a quest.
    EntityQuest* GetActiveQuest() const override;
    // A member's kill: the unique items its victim left are news.
    void OnVictimLooted(Sentient& member, Entity& victim) override;
    // The actor of the first recruit flagged as the leader.
    Entity* GetLeader() const override;
    void Update(float seconds) override;
    int32_t GetDifficultyLevel() const override { return difficultyLevel; }
    // Covenant's multiplier times every trait's.
    float GetFloatStat(int32_t m) const override;
    void ApplyTraitEffects(Entity& entity) override;
    // Thinking waits; the covenant is alerted for "AlertTime" seconds.
    void ResetThinkTimer() override;
    bool IsAlerted() const;
    bool HasRallyPoint() const override { return hasRallyPoint; }
    WorldPos GetRallyPoint() const override { return rallyPoint; }
    // The leader that rises while the party adventures goes back to its adventure level (picked
    // first when it has none), between two teleports; anyone else stays where it rose.
    void TeleportMember(Entity& entity) override;
    // The number of the game's quest whose candidate the covenant wants; 0 while it wants none.
    int32_t GetAdventureInfo() const override;
    // A rival changes no member's stats flatly: its relics and traits work through effects.
    void ModifyMemberStat(int32_t, int32_t&, int32_t) const override {}
    // A member's experience (its source level and kind noted first) becomes influence.
    void RecordMemberExperience(int32_t sourceLevel, int32_t kind, float multiplier) override;
    void OnMemberGainedExperience(Sentient& member, int32_t amount) override;
    void UpdatePeopleStatistic() override;
    void UpdateItemsStatistic() override;

    // ---- Members, goods and levels (ActorCovenantMembers.cpp) -----------------------------------
    // While raiding, raided, or out with the party.
    bool IsRecruitEngaged(const Actor& actor) const override;
    // While raiding (at Raid): the recruits out with the party.
    bool IsRecruitRaiding(const Actor& actor) const override;
    // While raided: the recruits at home.
    bool IsRecruitDefending(const Actor& actor) const override;
    // While raiding (at Raid): the recruits out with the party, standing or fallen.
    void CountRaidParty(int32_t& alive, int32_t& fallen) const override;
    // The recruits' creatures and the guards fall.
    void KillAllMembers() override;
    // The recruits' creatures fade away; the guards are taken down.
    void DisbandMembers() override;
    // The covenant that hurt it most lately (a raider's damage weighted), when that outweighs the
    // damage from no covenant; the first on a tie.
    Covenant* PickMostHatedCovenant() const override;
    // The first arrival on a level marks it; any but the town pays the arriver exploration
    // experience for its depth.
    void OnLevelReached(int32_t level, Entity* entity) override;
    // Only the goods bag's items are offered: they are named by that bag, as the game moves them.
    ItemBase* GetStoredItem(int32_t bag, int32_t slot) const override;
    // Takes goods out of the goods bag (the slot left empty, so the other goods keep their names)
    // and withdraws the pending offers that named them.
    std::unique_ptr<ItemBase> RemoveStoredItem(int32_t bag, int32_t slot) override;
    // Stored as StoreItem stores (sold when there is no place): always taken.
    bool GiveStoredItem(std::unique_ptr<ItemBase>& item, int32_t bag) override;

    // ---- Wandering recruits (ActorCovenantRecruiting.cpp) ---------------------------------------
    // The recruiting step. Quest-driven, the actor is the quest's candidate: a new one is wanted
    // or not by one draw, the same one again changes nothing, and it joins (TakeRecruit) once the
    // quest is done and its arrival time has come. Otherwise one draw decides and it joins at
    // once. True when it joined.
    bool OfferRecruit(Actor& actor, bool questDriven);
    // A living creature of no covenant joins: a weaker member is let go when the covenant is
    // full (none weaker: refused), the creature enters the game's table when it stands outside,
    // takes its place near the home and the clients hear of it.
    bool TakeRecruit(Sentient& npc) override;
    // The recruit that goes to make room for the newcomer: the weakest but the leader (level,
    // then experience), when the newcomer ranks above it; null otherwise.
    Recruit* FindRecruitToDismiss(const Actor& newcomer) const;
    // Whether the covenant wants a candidate that is still its quest's.
    bool HasAcceptedCandidate() const;
    // A recruit's own choice never lands on the level of the wanted candidate's quest: the party
    // goes there with the quest.
    bool AllowsTarget(const Entity* actor, int32_t level) const override;

    // ---- Set-up ------------------------------------------------------------------------------
    // The home at the position, the recruits with their leader, money, items, relics, the
    // starting relations and the timers. An index outside the difficulty table is Average.
    void SetUp(int32_t startingLevel, int32_t difficulty, const WorldPos& homePosition);
    // The definition's named traits, then random ones up to its count.
    void ChooseTraits();
    // Toward every covenant index up to the list's size (the player's covenant comes after the
    // rivals): the definition's starting relation and Peace, and the natural hate.
    void SetUpStartingRelations();

    // ---- The world save (ActorCovenantSave.cpp) ------------------------------------------------------
    // Definition, name, standing, difficulty, home and its health, statistics, traits, every
    // relation record, the four pulls, the levels visited, the recruits (their creatures' state
    // captured first) and the goods and house items.
    // Then its work: activity, timers, alert and think times, damage taken, rally point, the raid
    // it leads, partners, the item-buy walk, each recruit's party, level, streaks and place, and
    // the offers it waits on with their resend timers.
    void WriteSaved(MessageBuffer& buffer);
    // What WriteSaved wrote, into a covenant made for it and not yet in the world: nothing in the
    // world is touched. Without atWork the record ends before the work (an older file). False for
    // a cut record, a refused count, an unknown definition or trait, a value that is no number or
    // a state or index outside its table; the covenant is then dropped.
    bool ReadSaved(MessageBuffer& buffer, bool atWork);
    // Once the covenant holds its index: the home, pedestals and relics where they stood, the
    // standing guards, the recruits where they stood (near the home when the record has no place,
    // none for a fallen covenant) with their parties, the lifestone's health as saved within its
    // maximum, the timers as saved (drawn anew without the work) and a raid's gate.
    void PlaceSaved();
    // Once every rival stands: each offer read waits again on the very goods it names; one whose
    // goods are not where it says is dropped, logged. An offer to a covenant not yet in the game
    // finds its goods at the first step after that covenant joins (UpdatePendingOffers).
    void TakeBackPendingOffers();

    // ---- Adventuring -------------------------------------------------------------------------
    // A Wish, kept while the activity timer runs.
    int32_t ChooseActivity();
    void UpdateActivity();
    void SimulateBattle();
    void ReturnHome(bool teleport);
    void SendOutParty();
    // One rolled fight of the recruit against a monster of its level: streaks, experience, loot.
    void FightMonster(Recruit& recruit);
    // The chance a recruit of the level beats a monster of the other.
    static float WinChance(int32_t recruitLevel, int32_t monsterLevel);
    // The relic record a starting draw in [0, 1) names.
    static const char* RelicRecordFor(float draw);

    // ---- Goods -------------------------------------------------------------------------------
    // A relic goes to the house's relic slots, anything else to the stored goods, displacing the
    // cheapest when full (the displaced item sold into the leader's money and freed). False when
    // there is no place: the item was sold and is freed here.
    bool StoreItem(std::unique_ptr<ItemBase> item);
    // The leader's money (character stat 96), 0 without a leader.
    int32_t GetMoney() const;
    // Adds to the leader's money by the leader's own rule; nothing without a leader in the world.
    void AddMoney(int32_t amount);

    // ---- Guards --------------------------------------------------------------------------------
    // Once the guard timer runs out: the spawn system's guard item bought when it beats the one
    // it would replace and the covenant can afford it and its upkeep.
    void ChangeGuard();

    // ---- Offers (ActorCovenantOffers.cpp) ---------------------------------------------------------
    static constexpr int32_t kTradeOffer = 0;
    static constexpr int32_t kDemandOffer = 1;
    static constexpr int32_t kGiftOffer = 2;
    static constexpr int32_t kCounterOffer = 3;
    static constexpr float kOfferResendSeconds = 60.0f;
    static constexpr float kCounterOfferFactor = 1.2f;

    // Update step: each pending offer's resend timer; a resend, or with none left the offer
    // withdrawn as ignored.
    void UpdatePendingOffers(float seconds);
    // Withdraws the pending offer toward the covenant (a demand, and an ignored offer, cost
    // relation) and tells it the offer ended.
    void WithdrawOffer(int32_t other, bool ignored);
    // The diplomacy pass's offer: a demand, a gift or a trade, as the draws and relations say.
    void MakeOffer(int32_t other);
    // One entry drawn by weight from the candidates for a demand, a gift or (neither flag) a
    // trade; false when there is none or every weight is 0.
    bool ComposeOffer(const Covenant& other, bool demand, bool gift, OfferEntry& entry) const;
    // Evens the offer from this covenant's side (what it gives weighted by the factor) with
    // money, goods, crystals or influence; an answer code (kAnswerBalanced when sendable).
    int32_t BalanceOffer(const Covenant& other, Offer& offer, float factor) const;
    void ReceiveOffer(Covenant& from, const Offer& offer) override;
    // The answer to this covenant's offer: only the offer still pending, on the terms it holds.
    void OnOfferAnswered(Covenant& to, const Offer& offer, bool accepted, int32_t response) override;
    void OnOfferExecuted(const Offer& offer, int32_t side, Covenant* other) override;
    void OnKillReport(const Offer& offer, Covenant& maker, Covenant& accepter) override;
    // Kept as the pending offer (resent every kOfferResendSeconds, four times), then received.
    void SendOffer(Covenant& to, const Offer& offer) override;
    const Offer* GetPendingOffer(int32_t other) const override;
    // The item-buy walk over the other leader's carried bags: one offer of money for the next
    // notable item.
    void UpdateAdventureParty(Covenant& other) override;
    void SuggestTrade(Covenant& other) override { UpdateAdventureParty(other); }
    // The item's price with a share for how well it would sit among the stored goods.
    float GetItemTradeValue(const ItemBase& item, bool own) const override;
    // Maybe a rumour against the covenant, paid from the crystals.
    void MaybeStartRumor(int32_t other);

    // ---- Reactions (ActorCovenantReactions.cpp) ------------------------------------------------------
    void OnTreatyCancelled(Covenant& by, Covenant& with) override;
    void OnTradeRouteCancelled(Covenant& by, Covenant& with, int32_t kind) override;
    void OnSharedAdventureXp(Entity& entity, int32_t amount) override;
    void OnCovenantsMeet(Covenant& first, Covenant& second) override;
    void OnRumorStartedBy(Covenant& source, int32_t amount) override;
    // Raids the target beside the partner, lowering the relation toward it until the raid is wanted.
    void JoinSharedRaid(Covenant& partner, Covenant& target) override;
    bool IsSharedRaidPartner(int32_t other) const override { return other != -1 && other == sharedRaidPartner; }
    void OnMemberKilled(Entity& victim, Entity* killer) override;
    // A monster near the home killed by another covenant's member warms the relation toward it.
    void OnThreateningMonsterKilled(Entity* killer, const Entity& monster);
    void StartAdventuringWith(Covenant& other) override;
    void StopAdventuringWith(Covenant& by) override;
    void ForgetCovenant(const Covenant& other) override;

    // ---- Relations, fear, war and raids (ActorCovenantDiplomacy.cpp) -----------------------------
    // Adds the amount, weighted by both covenants' relation multipliers (5 for a loss, 6 for a
    // gain) and the other's per-difficulty relation factor, to the relation toward it; the wishes
    // toward it follow. The change applied (0 when the other does not exist).
    float ChangeRelation(int32_t other, float amount, bool gain);
    // The relation wanted for peace at the covenant's difficulty, times multiplier 8, less the fear.
    float GetRelationForPeaceTreaty(const Covenant& other) const override;
    // The relation wanted for peace less the relation: war is declared above 0.
    float WarPressure(int32_t other) const;
    void RecomputeFear(int32_t other);
    void RecomputeWishes(int32_t other);
    // Once the relations timer runs out: drift, fear, pacts left, routes cancelled, war, raids.
    void DiplomacyPass();
    void DriftRelation(int32_t other);
    bool WantsToRaid(int32_t other, bool ignoreSlowStart, float factor) const;
    void StartRaid(int32_t other);
    bool ShouldStopRaid();
    // Ends the raid this covenant leads, through the game's announcement.
    void EndRaid();
    // The game ended the raid: the gate goes, the party comes home.
    void StopRaid() override;
    void GiveUpRaid() override { EndRaid(); }
    void OnWarStarted(int32_t other) override;
    void OnRaidStarted(Covenant& raider) override;
    void OnWarDeclaredOn(Covenant& declarer) override;
    float GetDamageFrom(const Covenant* other) const override;
    // The definition's cancelled-treaty change times multiplier 10.
    float GetTreatyCancelChange(int32_t treaty) const override;
    void OnMemberAttacked(Entity& victim, Entity* attacker, int32_t damage, bool flag) override;

    int32_t activity = Ready;
    int32_t cachedActivity = WishAdventure;
    int32_t difficultyLevel = kAverageDifficulty;
    float difficultyModifier = 1.0f;
    std::array<RandomTimer, kTimerCount> timerSet{};
    std::vector<Trait> traits;
    // While the game clock is before it, the covenant is alerted.
    TimeStamp alertUntil;
    // The steady pull of each relation, by covenant index.
    std::array<float, kMaxCovenants> naturalHate{};
    // Per covenant index: fear, the wishes to trade and to demand, damage taken lately.
    std::array<float, kMaxCovenants> fear{};
    std::array<float, kMaxCovenants> tradeWish{};
    std::array<float, kMaxCovenants> demandWish{};
    std::array<float, kMaxCovenants> damageFrom{};
    // Damage taken lately from no covenant.
    float recentDamage = 0.0f;
    // A bit per level index, set at a recruit's first arrival.
    std::vector<bool> visitedLevels;
    // Set while this covenant leads a raid, until its party is home.
    bool raidUnderWay = false;
    // Where the covenant gathers while it rests: set and cleared with its activity and kept
    // with the world save; nothing walks to it.
    bool hasRallyPoint = false;
    WorldPos rallyPoint;
    SafePointer raidGate;
    TimeStamp raidStart;
    TimeStamp lastRaidEnd;
    // A raid shared with an ally: the partner, and the target's damage taken in all and from the
    // partner as the raid began.
    int32_t sharedRaidPartner = -1;
    float sharedRaidTargetDamage = 0.0f;
    float sharedRaidPartnerDamage = 0.0f;
    // Per covenant index: the leader's experience earned beside that partner, not yet counted.
    std::array<int32_t, kMaxCovenants> sharedAdventureXp{};
    // Where the item-buy walk goes on: a bag (-1 before the first) and the last slot looked at.
    int32_t buyWalkBag = -1;
    int32_t buyWalkSlot = -1;

private:
    const CovenantDefinition* Definition() const { return GetDefinition(); }
    // A key of the definition through its record chain; 0 without one.
    float DefinitionFloat(std::string_view key) const;
    RandomTimer& Timer(int32_t id) { return timerSet[static_cast<size_t>(id)]; }
    // Minimum and maximum at base x low and base x high; a base of 0 or less (or no number)
    // leaves the timer stopped for good, so it can never fire every step.
    void SetUpTimer(int32_t id, std::string_view key, float base, float low, float high);
    void SetUpTimers();
    // Restarts the timer; false (and stopped) for one set up without a length.
    bool StartTimer(int32_t id);
    void MakeHome(const WorldPos& where);
    void MakeStartingRecruits(int32_t startingLevel);
    // A recruit of the level in the next slot, placed near the home and in the game's table;
    // false when none could be made.
    bool AddStartingRecruit(int32_t level, bool leader);
    void GiveStartingMoney(int32_t startingLevel);
    void GiveStartingItems(int32_t startingLevel);
    void GiveStartingRelics(int32_t startingLevel);

    bool ReadTraits(MessageBuffer& buffer);
    bool ReadRelations(MessageBuffer& buffer);
    bool ReadRecruits(MessageBuffer& buffer);
    bool ReadGoods(MessageBuffer& buffer);
    void WriteWork(MessageBuffer& buffer) const;
    bool ReadWork(MessageBuffer& buffer);
    bool ReadRaid(MessageBuffer& buffer);
    bool ReadWorkRecruits(MessageBuffer& buffer);
    void WritePendingOffers(MessageBuffer& buffer) const;
    bool ReadPendingOffers(MessageBuffer& buffer);
    void PlaceSavedRecruit(Recruit& recruit, const WorldPos& place);
    // The goods each entry of the offer toward the covenant names, as they stand now; false when
    // an item entry names an empty cell.
    bool FindOfferedGoodsAgain(int32_t other);
    void DropSavedOffer(int32_t other);
    // The raid's own gate beside the home, replacing the last one.
    void MakeRaidGate();

    bool HasOpenQuest(int32_t type) const;
    void StartAdventure();
    void Defend(int32_t newActivity);
    // The town's defence the wish calls for, if any; false when it calls for none.
    bool DefendIfCalled(int32_t wish);
    void Rest();
    void SendAllToLevel(int32_t level);
    void ForgetAdventureLevels();
    // A teleport effect at the place, seen by the clients.
    static void ShowTeleport(const WorldPos& where);
    // Out of its leader's party, when it has one.
    static void LeaveParty(Actor& actor);
    // Moves the actor to a random point of its recruit's adventure level between two teleports.
    void SendToAdventureLevel(Recruit& recruit);
    Recruit* FindLeaderRecruit() const;
    // The recruit of the lowest level (then the least experience) but the leader, among those at
    // home alone when idleOnly; null when none.
    Recruit* FindWeakestRecruit(bool idleOnly) const;
    // Update step: the quest's candidate offered to the recruiting step, or forgotten once the
    // quest holds none.
    void OfferQuestCandidate();
    // While adventuring for a wanted candidate: the party's levels become the quest's level and
    // the leader is taken there.
    void GoToCandidateQuestLevel();
    void OpenChests(Recruit& recruit);
    // Stored unless this is the first player's covenant; announced when unique.
    void TakeFoundItem(std::unique_ptr<ItemBase> item);
    bool IsFirstPlayersCovenantHere() const;
    // The slot a new item of that kind goes to (relics to the house): -1 when none.
    int32_t ChooseStoreSlot(const ItemBase& item, int32_t& bag) const;
    // Sells the item into the leader's money.
    void SellItem(const ItemBase& item);

    // How hurt a home at that share of its health counts ("LifeStoneDanger", "LifeStoneThreatened",
    // "LifeStoneDamaged": the ends of the definition's keys that weigh it); null when unhurt.
    const char* LifeStoneHarm(float healthFraction) const;
    // A uniform draw between the definition's two keys.
    float Roll(std::string_view minKey, std::string_view maxKey) const;
    // Judges a raid shared with an ally, as it ends: the relation toward the partner moves.
    void JudgeSharedRaid();
    // The damage the covenant took from everyone.
    static float TotalDamageTaken(const Covenant& covenant);
    void ChooseRaidParty();
    std::vector<RandomTimer*> timerList;
    int32_t experienceLevel = 1;
    int32_t experienceKind = 0;
    // The lifestone's health and maximum read from a save, given to it once placed.
    int32_t savedHomeHealth = 0;
    int32_t savedHomeMaxHealth = 0;
    // The work read from a save, given back once placed: the timers and, per recruit slot, where
    // its creature stood (level -1 for none).
    bool workRead = false;
    std::array<RandomTimer, kTimerCount> savedTimers{};
    std::vector<WorldPos> savedPlaces;
    std::unique_ptr<EntityQuest> quest;
    // The would-be recruit of the quest, whether the covenant wants it and when it would arrive.
    // Not kept by the world save: after a load the candidate is drawn for anew.
    SafePointer questCandidate;
    bool candidateAccepted = false;
    TimeStamp candidateArrives;
};
