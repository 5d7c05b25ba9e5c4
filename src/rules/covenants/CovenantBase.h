// CovenantBase -- what the server's and the client's covenants share: definition, statistics, home and relations.
#pragma once

#include "core/BaseClass.h"
#include "core/TimeStamp.h"
#include "rules/IntArray.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class CovenantDefinition;
class InventoryBase;

// A game holds at most this many covenants; a covenant is named by its index among them.
constexpr int32_t kMaxCovenants = 32;
// A covenant carries at most this many traits.
constexpr int32_t kMaxCovenantTraits = 4;

// One covenant's standing toward another. A covenant without a record toward another (or one
// that can have none) reads as a fresh record: relation 0, Peace, no route, zero stamps.
struct RelationRecord {
    float relation = 0.0f;  // kept within 0..100
    int32_t treaty = 1;     // CovenantTreaty 0..6, Peace by default
    TimeStamp treatyStamp;  // when the treaty was set
    int32_t tradeRoute = 0; // TradeRouteType 0..5, 0 for none
    TimeStamp routeStamp;   // for a route in force, its start
};

// Every operation taking another covenant's index tests it against 0..31: an index outside
// reads as no record and a write to it changes nothing.
class CovenantBase : public BaseClass {
public:
    CovenantBase();
    // Frees the inventory.
    ~CovenantBase() override;
    CovenantBase(const CovenantBase&) = delete;
    CovenantBase& operator=(const CovenantBase&) = delete;

    // An index outside the game data's list is logged and leaves the covenant without one.
    virtual void SetDefinitionIndex(int32_t index);
    virtual void SetDefinitionByName(std::string_view definitionName);
    // Told when the treaty state toward a covenant changes.
    virtual void OnWarStarted(int32_t other);
    // Told when the trade-route kind toward a covenant changes.
    virtual void OnCovenantHook(int32_t other);
    virtual void SetHomeHealth(int32_t health);
    virtual int32_t GetHomeHealth() const;
    // A health above the new maximum is lowered to it.
    virtual void SetHomeMaxHealth(int32_t maxHealth);
    virtual int32_t GetHomeMaxHealth() const;
    // The four influence statistics summed, kept within the 32-bit range.
    virtual int32_t GetTotalInfluence() const;
    // GetTotalTaxes - "GuardCosts", before any multiplier.
    virtual int32_t GetCrystalIncome() const;
    // One route: the kind's income after the time since its start, capped at its share of the
    // smaller of the two base incomes; 0 without the partner.
    virtual int32_t GetTradeRouteIncome(int32_t base, int32_t partner, int32_t kind, const TimeStamp& start) const;
    virtual bool IsPlayerCovenant() const;

    int32_t GetDefinitionIndex() const { return definitionIndex; }
    const CovenantDefinition* GetDefinition() const { return definition; }
    // The definition's record name; empty without one.
    const std::string& GetDefinitionName() const;
    // Its own name, else the definition's.
    const std::string& GetName() const;
    // The definition's second name when it has one, else GetShownName: what messages and lists
    // name the covenant by, never the record's name.
    std::string GetDisplayName() const;
    // The name the screens show: its own, or for a covenant without one of its own (the host
    // sends the record's name in place of an empty one) the definition's words.
    const std::string& GetShownName() const;
    // The definition's colour-table index; 0 without a definition.
    int32_t GetColor() const;
    // max(0, floor((covenant level of the total influence - 1) x "TaxMult")): the base taxes.
    int32_t GetBaseIncome() const;
    // The base taxes and every trade route's income, kept within the 32-bit range.
    int32_t GetTotalTaxes() const;
    // The five "PowerWeight" statistics weighted and summed, rounded half up.
    int32_t ComputeStrength() const;

    // Makes the records up to the index; false for an index outside 0..31.
    bool EnsureRelationSlots(int32_t other);
    // Every record goes; they are made again on demand.
    void ClearRelations() { relations.clear(); }
    bool HasRelation(int32_t other) const;
    float GetRelation(int32_t other) const;
    // Kept within 0..100; a value that is no number changes nothing.
    void SetRelation(int32_t other, float value);
    // The treaty word of the relation record as a mirror receives it: stored as it stands, its
    // stamp kept and nobody notified; a word naming no treaty changes nothing.
    void SetRelationWord(int32_t other, uint32_t word);
    void AddRelation(int32_t other, float amount);
    int32_t GetTreatyState(int32_t other) const;
    const TimeStamp& GetTreatyTimeStamp(int32_t other) const;
    // State and stamp together, as the game's treaty change sets them; no notification.
    void SetTreaty(int32_t other, int32_t state, const TimeStamp& stamp);
    // A change of state clears the stamp and calls OnWarStarted.
    void SetTreatyState(int32_t other, int32_t state);
    int32_t GetTradeRouteKind(int32_t other) const;
    // The route's start.
    const TimeStamp& GetRelationTimeStamp(int32_t other) const;
    void SetTradeRoute(int32_t other, int32_t kind, const TimeStamp& stamp);
    // A change of kind clears the stamp and calls OnCovenantHook.
    void SetTradeRouteKind(int32_t other, int32_t kind);
    // Treaty War or Raid toward another covenant, this one not eliminated.
    bool IsAtWarWith(int32_t other) const;
    // NonAggressionPact, MutualProtectionPact or Alliance.
    bool HasPactWith(int32_t other) const;
    // The whole crystals a rumour of the kind about this covenant costs (its price per level times
    // the leader's level, rounded up; a purse short of the fraction cannot pay it either); false
    // for a kind outside the table.
    bool GetRumorCost(int32_t kind, int32_t& cost) const;

    // The positions holding a trait, and the game data's trait index at a position (-1 for an
    // empty position and one outside 0..kMaxCovenantTraits-1).
    int32_t GetTraitCount() const;
    int32_t GetTraitId(int32_t position) const;

    std::string name;
    int32_t index = -1;  // in the game's covenant list
    int32_t homeLevel = -1;
    float homeX = 0.0f;
    float homeY = 0.0f;
    bool eliminated = false;
    IntArray statistics;  // by CovenantStat
    std::unique_ptr<InventoryBase> inventory;  // made by the derived class
    int32_t leaderLevel = 1;
    int32_t targetCovenant = -1;  // raid target, -1 for none
    // The traits' indices in the game data's list, -1 for an empty position; sent to the
    // clients with IntArray::WriteValues.
    IntArray traitIds;

protected:
    // The route income needs the partner and the game clock, which the derived classes know.
    virtual const CovenantBase* GetPartner(int32_t other) const;
    virtual TimeStamp GetGameTime() const;

private:
    const RelationRecord* FindRelation(int32_t other) const;
    // Null (logged) for an index outside 0..31 or a state outside its table.
    RelationRecord* RelationForWrite(int32_t other);

    int32_t definitionIndex = -1;
    const CovenantDefinition* definition = nullptr;
    int32_t homeHealth = 0;
    int32_t homeMaxHealth = 0;
    std::vector<RelationRecord> relations;
};
