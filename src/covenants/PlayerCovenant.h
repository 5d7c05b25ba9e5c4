// PlayerCovenant -- the covenant a human player leads: its house on the start level, its recruits, the settings its client sends at joining and its record in the game update.
#pragma once

#include "core/SafePointer.h"
#include "covenants/Covenant.h"
#include "entities/Player.h"
#include "rules/IntArray.h"

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class Gate;
class Inventory;
class MessageBuffer;
class Recruit;

// The player covenant's own side that its client does not send: the world save keeps it, and the
// game gives it back to the covenant joining at the same index.
struct PlayerCovenantKept {
    int32_t index = -1;
    // Toward each covenant index.
    std::vector<float> relations;
    int32_t raidTarget = -1;
    bool raidUnderway = false;
    int32_t adventurePartner = -1;

    void Write(MessageBuffer& buffer) const;
    // False, unchanged, for a cut record, a count past kMaxCovenants, an index outside its table
    // or a relation that is no number.
    bool Read(MessageBuffer& buffer);
};

// The world host makes one for each joining client. Joining reads the client's settings whole
// first (ReadSettings, which touches no world) and only then, once the character has been read
// too, places the house and the recruits (PlaceInWorld). The game binds the player.
class PlayerCovenant : public Covenant {
public:
    // The covenant stash's bag and its slots.
    static constexpr int32_t kStashSlots = 8;
    static constexpr const char* kDefinitionName = "Human";
    static constexpr const char* kFirstBagRecord = "Bag1";
    static constexpr const char* kCovenantStashRecord = "ObjectCovenantStash";
    static constexpr const char* kBookshelfRecord = "ObjectBookshelf";
    static constexpr const char* kPlayerStashRecord = "ObjectPlayerStash";
    static constexpr const char* kLifestoneRecord = "ObjectLifestone";
    static constexpr const char* kHouseGateRecord = "ObjectGate";
    // The raid begins once the player comes this near the target's home.
    static constexpr float kRaidArrivalRange = 300.0f;
    // Rings searched around the lifestone or the house gate for a free spot.
    static constexpr int32_t kSpotRings = 5;

    PlayerCovenant();
    ~PlayerCovenant() override;

    // ---- Joining and new worlds ----------------------------------------------------------------
    // The covenant block of the client's settings, read whole. False, the covenant unchanged, for
    // a cut block, a recruit count outside 0.."MaxRecruits" or a malformed inventory. A recruit
    // whose number is outside the slots, already taken, or whose record names no creature is
    // read and dropped with a warning.
    bool ReadSettings(MessageBuffer& buffer);
    // Takes its side of each treaty and trade route from the others, builds the house, spawns
    // the recruits read (none for an eliminated covenant) near the home and gives the lifestone
    // the health read.
    void PlaceInWorld();
    // The player leads the covenant: it takes the covenant's index.
    void SetPlayer(Player* player);
    // The covenant stash, bookshelf, player stash, lifestone and house gate around the start
    // position's tile of the start level, then the pedestals.
    void BuildHouse();
    // Where the house gate stands: the house's tiles are the same in every world of the rules.
    static WorldPos GetHouseGateSpot();
    // After "newWorld": the house again, the recruits back near it, the money, influence and
    // guards gone, the lifestone whole.
    void ResetForNewWorld();
    // The house gate, the raid, the relations and the think time forgotten.
    void Reset();
    // Its own side, for the world save; given back (relations within 0..100) to the covenant of
    // the same index as it joins, before it takes its treaties from the others.
    PlayerCovenantKept Keep() const;
    void TakeKept(const PlayerCovenantKept& kept);

    // ---- Recruits ------------------------------------------------------------------------------
    using Covenant::GetRecruitActor;
    // The actor of recruit i; null for a number outside the slots, an empty slot or no requester.
    Actor* GetRecruitActor(int32_t i, const Entity* requester) const;
    // The actor's state into its record; the actor is deleted and let go.
    void ReleaseRecruitActor(Actor& actor);
    // The recruit leaves: out of its leader's party, its actor released, its record gone.
    void RemoveRecruit(int32_t i) override;
    // A free spot near the lifestone, respectively the house gate; level -1 without one.
    WorldPos FindSpotNearHome(const Entity* entity) const override;
    WorldPos FindSpotNearHouseGate(const Entity* entity) const;
    // A recruit's actor goes home and stays there.
    void SendRecruitHome(Actor& actor);
    // Every spawned recruit's state into its record.
    void CaptureRecruits();
    Recruit* GetCandidate() const { return candidate.get(); }
    Gate* GetHouseGate() const;

    // ---- Raids (PlayerCovenantDiplomacy.cpp) ------------------------------------------------------
    // The player goes to the target's house and the recruits of the party numbers join it
    // (numbers outside the slots are skipped, a repeated one joins once), up to "MaxRaidGroupSize"
    // with the player; the raid begins when the player comes near the target's home. Nothing for
    // an index naming no covenant.
    void StartRaid(int32_t target, Player& leader, const std::vector<int32_t>& party);
    // The raid ends: its statistics, the game told, the party and the raid gates gone, everyone
    // home.
    void EndRaid(Player& leader);

    // ---- The record of the game update ---------------------------------------------------------
    virtual void NotifyHook(int32_t) {}
    // The covenant's part of its own client's game update.
    virtual void WriteUpdate(MessageBuffer& buffer);

    // ---- Covenant ------------------------------------------------------------------------------
    // The world's set-up makes the computer-run covenants only: these have nothing to do.
    void Start(int32_t, int32_t) override {}
    void SetUpFirstWorld() override {}
    // The covenant's step, then the raid's arrival and the NPC the player targets as candidate.
    void Update(float seconds) override;
    void UpdatePeopleStatistic() override;
    void UpdateItemsStatistic() override;
    bool IsAvailable() const override { return !busy; }
    // The player the covenant is bound to, as both its player and its leader; null until bound.
    Player* GetPlayer() const override;
    Player* GetLeader() const override;
    // Bag 24 is the player's house bag; the others are the covenant's.
    Item* GetInventoryItem(int32_t bag, int32_t slot) const override;
    void DeleteInventoryItem(int32_t bag, int32_t slot) override;
    // The goods a deal names are the player's own: its inventory's (bag, slot) in the carried
    // bags (Bag1 to Bag4) only; none without it.
    ItemBase* GetStoredItem(int32_t bag, int32_t slot) const override;
    std::unique_ptr<ItemBase> RemoveStoredItem(int32_t bag, int32_t slot) override;
    // Into the player's carried bags (their stacks first), else onto the ground at its feet;
    // false (kept by the caller) without a player or for goods that are no item.
    bool GiveStoredItem(std::unique_ptr<ItemBase>& item, int32_t bag) override;
    bool CanBeVisited() const override { return raidUnderway; }
    // The player counts.
    int32_t GetRecruitCount() const override { return CountRecruits() + 1; }
    bool IsPlayerCovenant() const override { return true; }

    // ---- Diplomacy: the player decides, so the events become its client's lines ------------------
    void ReceiveOffer(Covenant& from, const Offer& offer) override;
    // An accepted offer is carried out; a counter-offer answered 2 is offered again. A person's
    // answer settles the offer this covenant left waiting for them.
    void OnOfferAnswered(Covenant& from, const Offer& offer, bool accepted, int32_t response) override;
    // The offer this covenant's player put to another player's covenant, until it is answered.
    const Offer* GetPendingOffer(int32_t other) const override;
    void OnOfferResult(Covenant& from, int32_t response) override;
    void OnOfferExpired(Covenant& from) override;
    // "+0.05 $$relation$$ (<covenant>)": a message with one, two or three decimals.
    void DescribeRelationChange(const Covenant* other, float change) override;
    void StartAdventuringWith(Covenant& other) override;
    void StopAdventuringWith(Covenant& by) override;
    // The partner ended the shared adventure from its side.
    bool IsRecruitRaiding(const Actor& actor) const override;
    // The recruits in the player's party while the raid is under way.
    void CountRaidParty(int32_t& alive, int32_t& fallen) const override;
    void ForgetCovenant(const Covenant& other) override;
    // A defence won, unless the covenant has fallen.
    void CountDeath(Entity*) override;
    // The whole party fell: the raid ends as EndRaid ends it, so that it is beaten off once.
    void GiveUpRaid() override;
    void Eliminate(Entity* destroyer, bool killMembers, bool credit) override;
    bool IsRecruit(const Sentient& sentient) const override;
    // The recruit whose actor has the entity number leaves.
    void KickOut(int32_t entityNumber) override;

    // ---- EntityCovenant -------------------------------------------------------------------------
    bool FindSpotNearHouseGate(const Sentient& entity, WorldPos& out) const override;
    void SendRecruitToHouse(Sentient& recruit) override;
    // The NPC joins the roster while a slot is free.
    bool TakeRecruit(Sentient& npc) override;
    // Only the covenant's own recruits leave the house.
    bool ReleaseFromHouse(Sentient& recruit) override;
    // The covenant's crystals.
    void AddCurrency(int32_t amount) override;
    int32_t GetCurrency() const override;
    // The covenant stash's bags.
    InventoryBag* GetStorageBag(int32_t bag) const override;
    InventoryBase* GetStorage() const override { return inventory.get(); }
    // A guard item in a guard slot stands as its guard, a relic in a relic slot on its pedestal
    // (not for an eliminated covenant); taken out, they go. The bonuses follow either way.
    void OnHouseItemPlaced(int32_t slot, Item& item) override;
    void OnHouseItemRemoved(int32_t slot) override;

    bool busy = false;
    bool raidUnderway = false;

private:
    // The snapped place of the house's tile so far from the start position's tile.
    static WorldPos HouseTile(int32_t tilesRight, int32_t tilesDown);
    // One house object of the record at the place, in the table with the covenant's index.
    template <class Kind>
    Kind* PlaceHouseObject(const char* record, const WorldPos& where);
    // Each treaty and trade route is held on both sides alike; this side is set to the other's.
    void TakeTreatiesFromOthers();
    // Binds every recruit record to the covenant and, unless it is eliminated, spawns each.
    void SpawnRecruits();
    // Spawns the record's creature near the home and anchors it there.
    void SpawnRecruit(Recruit& recruit);
    WorldPos FindSpotNear(const Entity* centre, const Entity* entity) const;
    // The lifestone stands without health until the client's settings give it some.
    void SetLifestoneHealth(int32_t health, int32_t maxHealth);
    // A line for this covenant's own client; none without a player.
    void TellClient(const std::string& line) const;
    // The names of the goods the offering covenant puts into its offer, a line each, appended.
    void ListOfferedGoods(const Covenant& from, const Offer& offer, std::vector<std::string>& lines) const;
    // The player's statistic goes up by one.
    void CountStatistic(int32_t stat) const;
    // The covenant raids its target: the target exists and the treaty toward it is Raid.
    bool IsRaidUnderWay() const;

    // The game may delete the player (its client gone) while the covenant stays.
    SafePointer player;
    SafePointer houseGate;
    std::unique_ptr<Recruit> candidate;
    // Read by ReadSettings, placed by PlaceInWorld.
    bool settingsLoaded = false;
    int32_t readHealth = -1;
    int32_t readMaxHealth = -1;
};
