// CovenantDefinition -- a "Covenant" record: how a kind of covenant looks, starts and judges relations, treaties and trades.
#pragma once

#include "core/EngineEnums.h"
#include "core/SimpleData.h"
#include "rules/Formulas.h"
#include "rules/RulesEnums.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// The values every covenant reads are loaded here. The computer-run covenant's many further
// tuning keys are read through the entry (SimpleData's getters, GetDifficultyFloat, Roll), so a
// new key needs no field.
//
// Keys of our own form:
//   StartingRelation <definitionName> <value>   one line per other definition ("Human" for the
//                                               player's covenant)
//   <Line>StartX, <Line>StartY, <Line>EndX, <Line>EndY
//                                               the chance lines "DemandChance", "TradeChance",
//                                               "GiftChance" and "RumorChance"
//   MinWorldDifficulty                          a "WorldDifficultyLevel" name
//   SecondName                                  a display name that replaces every other
class CovenantDefinition : public SimpleData {
public:
    // slope x x + intercept, through (StartX, StartY) and (EndX, EndY); flat at StartY when
    // the two x are equal.
    struct ChanceLine {
        float slope = 0.0f;
        float intercept = 0.0f;
        float At(float x) const { return slope * x + intercept; }
    };

    // What an offer entry is made of, for the weight lookup.
    enum class OfferCandidate { Crystals, Influence, StoredItem, ThirdCovenant };

    void Load(const DatabaseEntry* entry) override;

    // key + "Easy", "Average", "Hard" or "VeryHard"; 0 (logged) for a difficulty outside the table.
    float GetDifficultyFloat(std::string_view key, int32_t difficulty) const;
    // A uniform draw between the values of the two keys, from random stream 0.
    float Roll(std::string_view minKey, std::string_view maxKey) const;
    // The "StartingRelation" value toward a covenant of that definition; 50, neither friend nor
    // foe, for a definition it does not name.
    float GetStartingRelation(std::string_view definitionName) const;

    // By treaty state or trade-route kind; 0 (logged) for an index outside the list, which the
    // lists of a record may well be shorter than.
    float GetRelationChangeCancelledTreaty(int32_t treaty) const;
    float GetRelationChangeCancelledTradeRoute(int32_t kind) const;
    float GetRelationForTradeRoute(int32_t kind) const;
    float GetRelationChangeTradeRouteStart(int32_t kind) const;
    float GetAgreementBreakTreatyMult(int32_t treaty) const;
    float GetAgreementBreakTradeMult(int32_t kind) const;
    float GetRelationForPeaceTreaty(int32_t difficulty) const;
    float GetRelationStartRaid(int32_t difficulty) const;
    float GetPositiveRelationMult(int32_t difficulty) const;
    float GetNegativeRelationMult(int32_t difficulty) const;

    // The weight of an offer candidate: crystals and influence by the demand flag, else the
    // gift flag, else 0; a stored item "TradeChanceItem"; a third-covenant action (Peace, War,
    // BreakTreaty, BreakTradeRoute) its "DemandChance" key with the demand flag, 0 with only the
    // gift flag, else its "TradeChance" key; 0 for any other action.
    float GetOfferChance(OfferCandidate candidate, bool demand, bool gift, int32_t action) const;
    int32_t GetMinComparisonInfluence(const GameSystemTuning& tuning, int32_t leaderLevel) const;
    float GetAdventureThreshold(int32_t otherLeaderLevel, int32_t ownLeaderLevel) const;

    // "<name> <number>": the name is every word before the last. False without both.
    static bool ParseNameValue(std::string_view line, std::string& name, float& value);

    std::string name;          // the record's name
    std::string displayName;   // "Name", a localisation key
    std::string secondName;
    int32_t color = 0;         // colour-table index
    std::string smallCrestName;
    int32_t minWorldDifficulty = 0;
    std::vector<std::string> traitNames;
    int32_t numTraits = 0;
    std::vector<std::string> startingItems;
    std::vector<std::pair<std::string, float>> startingRelations;

    float lifestoneRegenMult = 0.0f;
    float lifestoneHealthMult = 0.0f;
    float minRezTime = 0.0f;
    float maxRezTime = 0.0f;
    float heroRezTimeMult = 0.0f;
    float destroyBonusIfRaiding = 0.0f;

    // Trade and agreement valuation.
    float genericValueChunkPercent = 0.0f;
    float relationChangeInfluenceMaxPerTrade = 0.0f;
    float relationChangeMultMyInfluence = 0.0f;
    float relationChangeMultTheirInfluence = 0.0f;
    float relationChangeCrystalsMaxPerTrade = 0.0f;
    float relationChangeMultMyCrystals = 0.0f;
    float relationChangeMultTheirCrystals = 0.0f;
    float relationForAgreementWar = 0.0f;
    float relationForAgreementPeace = 0.0f;
    float relationForAgreementBreakTreaty = 0.0f;
    float relationForAgreementBreakTrade = 0.0f;
    float agreementWarMult = 0.0f;
    float agreementPeaceMult = 0.0f;
    float agreementBonusMinRelation = 0.0f;
    float agreementBonusMult = 0.0f;
    float crystalsPercentNeededForTradeRoute = 0.0f;
    int32_t minComparisionInfluenceNumKills = 0;
    int32_t minComparisionCrystals = 0;
    AdventureThresholdValues adventure;

    ChanceLine demandChance;
    ChanceLine tradeChance;
    ChanceLine giftChance;
    ChanceLine rumorChance;

    std::vector<float> relationChangeCancelledTreaty;      // by treaty state
    std::vector<float> relationChangeCancelledTradeRoute;  // by trade-route kind
    std::vector<float> relationForTradeRoute;              // by trade-route kind
    std::vector<float> relationChangeTradeRouteStart;      // by trade-route kind
    std::array<float, CovenantTreaty::kCount> agreementBreakTreatyMult{};
    std::array<float, TradeRouteType::kCount> agreementBreakTradeMult{};
    std::array<float, DifficultyLevel::kCount> relationForPeaceTreaty{};
    std::array<float, DifficultyLevel::kCount> relationStartRaid{};
    std::array<float, DifficultyLevel::kCount> positiveRelationMult{};
    std::array<float, DifficultyLevel::kCount> negativeRelationMult{};

private:
    // Offer weights: crystals and influence as demand and as gift, the stored item, and per
    // third-covenant action (Peace, War, BreakTreaty, BreakTradeRoute) as demand and as trade.
    float demandChanceCrystals = 0.0f;
    float giftChanceCrystals = 0.0f;
    float demandChanceInfluence = 0.0f;
    float giftChanceInfluence = 0.0f;
    float tradeChanceItem = 0.0f;
    std::array<float, 4> demandChanceAction{};
    std::array<float, 4> tradeChanceAction{};
};
