// CovenantDefinitionTest -- Covenant definitions and traits: starting relations, per-difficulty keys, lists read by index, chance lines, offer weights.
#include "rules/RulesEnums.h"
#include "rules/covenants/CovenantDefinition.h"
#include "rules/covenants/CovenantTrait.h"
#include "rules/monsters/RecordWorld.h"

namespace {

const std::string kCovenantDefinitionRecords = RecordWorld::Records({
    "Shared: Type Covenant; BaseOnly 1; RelationForPeaceTreatyEasy 10; RelationForPeaceTreatyVeryHard 40; "
        "RelationChangeCancelledTreaty 0; RelationChangeCancelledTreaty -5; RelationChangeCancelledTradeRoute -1; "
        "AgreementBreakTreatyMultAlliance 3; AgreementBreakTradeMultHuge 2; DemandChanceStartX 0; "
        "DemandChanceStartY 40; DemandChanceEndX 100; DemandChanceEndY 0; GiftChanceStartX 50; GiftChanceStartY 7; "
        "GiftChanceEndX 50; GiftChanceEndY 99; MinCrystals 10; MaxCrystals 20; DemandChanceCrystals 3; "
        "GiftChanceInfluence 1; TradeChanceItem 4; DemandChanceWar 6; TradeChanceWar 2; TradeChanceBreakTradeRoute 5; "
        "MinComparisionInfluenceNumKills 5",
    "Rival: Base Shared; Trait Brave; Trait Nobody; NumTraits 2; StartingRelation Other 35; "
        "StartingRelation Human 60.5; StartingRelation Broken; StartingRelation Also Broken; "
        "StartingRelation Nowhere 10",
    "Other: Base Shared",
    "Brave: Type CovenantTrait; Name \"$$Brave$$\"; Desc \"$$BraveDesc$$\"; "
        "TextureName \"textures/traits/brave.tga\"; StatusEffect Rival; NoRandom 1; Multiplier 2 1.5; Multiplier 14 3; "
        "Multiplier -1 3; Multiplier 4",
});

class CovenantDefinitions : public RecordWorld {
protected:
    CovenantDefinitions() { LoadRecords("HardGoalEachLevel 2", kCovenantDefinitionRecords); }

    const CovenantDefinition& Rival() { return *gameData.GetCovenantDefinition(0); }
};

} // namespace

TEST_F(CovenantDefinitions, ListsAndLinksLoadInDatabaseOrder)
{
    EXPECT_EQ(gameData.GetCovenantDefinitionCount(), 2);  // the BaseOnly record is no definition
    EXPECT_EQ(gameData.FindCovenantDefinitionIndex("other"), 1);
    EXPECT_EQ(gameData.FindCovenantDefinitionIndex("Shared"), -1);
    EXPECT_EQ(gameData.GetCovenantDefinition(2), nullptr);
    EXPECT_EQ(Rival().traitNames, (std::vector<std::string>{"Brave", "Nobody"}));
    // The two bad StartingRelation lines, the trait and the definition that do not exist, and
    // the trait's two bad Multiplier indices and its line without a number.
    EXPECT_EQ(CountLogged("^c005Covenant Rival: no CovenantTrait record Nobody\n"), 1);
    EXPECT_EQ(CountLogged("^c005Covenant Rival: StartingRelation names no definition Nowhere\n"), 1);
    EXPECT_EQ(CountProblems(), 7);
}

TEST_F(CovenantDefinitions, StartingRelationsByDefinitionName)
{
    EXPECT_FLOAT_EQ(Rival().GetStartingRelation("other"), 35.0f);
    EXPECT_FLOAT_EQ(Rival().GetStartingRelation("Human"), 60.5f);
    EXPECT_FLOAT_EQ(Rival().GetStartingRelation("Stranger"), 50.0f);
    EXPECT_EQ(Rival().startingRelations.size(), 3u);
}

TEST_F(CovenantDefinitions, PerDifficultyKeysAndIndexedLists)
{
    EXPECT_FLOAT_EQ(Rival().GetRelationForPeaceTreaty(DifficultyLevel::Easy), 10.0f);
    EXPECT_FLOAT_EQ(Rival().GetRelationForPeaceTreaty(DifficultyLevel::Average), 0.0f);
    EXPECT_FLOAT_EQ(Rival().GetRelationForPeaceTreaty(DifficultyLevel::VeryHard), 40.0f);
    EXPECT_FLOAT_EQ(Rival().GetDifficultyFloat("RelationForPeaceTreaty", DifficultyLevel::VeryHard), 40.0f);
    EXPECT_FLOAT_EQ(Rival().GetRelationChangeCancelledTreaty(CovenantTreaty::Peace), -5.0f);
    EXPECT_FLOAT_EQ(Rival().GetRelationChangeCancelledTradeRoute(0), -1.0f);
    EXPECT_FLOAT_EQ(Rival().GetAgreementBreakTreatyMult(CovenantTreaty::Alliance), 3.0f);
    EXPECT_FLOAT_EQ(Rival().GetAgreementBreakTradeMult(TradeRouteType::Huge), 2.0f);

    int before = CountErrors();
    // Indices the record's lists do not reach read as 0 and are logged, never read past.
    EXPECT_FLOAT_EQ(Rival().GetRelationChangeCancelledTreaty(CovenantTreaty::War), 0.0f);
    EXPECT_FLOAT_EQ(Rival().GetRelationChangeCancelledTreaty(-1), 0.0f);
    EXPECT_FLOAT_EQ(Rival().GetRelationChangeCancelledTradeRoute(TradeRouteType::Tiny), 0.0f);
    EXPECT_FLOAT_EQ(Rival().GetRelationForTradeRoute(0), 0.0f);
    EXPECT_FLOAT_EQ(Rival().GetAgreementBreakTreatyMult(CovenantTreaty::kCount), 0.0f);
    EXPECT_FLOAT_EQ(Rival().GetRelationForPeaceTreaty(-1), 0.0f);
    EXPECT_FLOAT_EQ(Rival().GetDifficultyFloat("RelationForPeaceTreaty", DifficultyLevel::kCount), 0.0f);
    EXPECT_EQ(CountErrors() - before, 7);
}

TEST_F(CovenantDefinitions, ChanceLinesRollsAndOfferWeights)
{
    EXPECT_FLOAT_EQ(Rival().demandChance.At(0.0f), 40.0f);
    EXPECT_FLOAT_EQ(Rival().demandChance.At(25.0f), 30.0f);
    EXPECT_FLOAT_EQ(Rival().giftChance.At(80.0f), 7.0f);  // both ends at one x: flat
    EXPECT_FLOAT_EQ(Rival().tradeChance.At(50.0f), 0.0f);

    RandomSystem expected = Copy();
    float roll = expected.RandomRange(RandomStream::GameData, 10.0f, 20.0f);
    EXPECT_FLOAT_EQ(Rival().Roll("MinCrystals", "MaxCrystals"), roll);

    using Candidate = CovenantDefinition::OfferCandidate;
    EXPECT_FLOAT_EQ(Rival().GetOfferChance(Candidate::Crystals, true, true, 0), 3.0f);
    EXPECT_FLOAT_EQ(Rival().GetOfferChance(Candidate::Crystals, false, false, 0), 0.0f);
    EXPECT_FLOAT_EQ(Rival().GetOfferChance(Candidate::Influence, false, true, 0), 1.0f);
    EXPECT_FLOAT_EQ(Rival().GetOfferChance(Candidate::StoredItem, true, false, 0), 4.0f);
    EXPECT_FLOAT_EQ(Rival().GetOfferChance(Candidate::ThirdCovenant, true, false, CovenantTreaty::War), 6.0f);
    EXPECT_FLOAT_EQ(Rival().GetOfferChance(Candidate::ThirdCovenant, false, true, CovenantTreaty::War), 0.0f);
    EXPECT_FLOAT_EQ(Rival().GetOfferChance(Candidate::ThirdCovenant, false, false, CovenantTreaty::War), 2.0f);
    EXPECT_FLOAT_EQ(
        Rival().GetOfferChance(Candidate::ThirdCovenant, false, false, CovenantTreaty::BreakTradeRoute), 5.0f);
    EXPECT_FLOAT_EQ(Rival().GetOfferChance(Candidate::ThirdCovenant, true, false, CovenantTreaty::Raid), 0.0f);

    EXPECT_EQ(Rival().GetMinComparisonInfluence(gameData.GetTuning(), 3), 2000);  // 100 x 2 x 2 x 5
}

TEST_F(CovenantDefinitions, TraitsLinkTheirEffectAndReadMultipliersByIndex)
{
    ASSERT_EQ(gameData.GetCovenantTraitCount(), 1);
    const CovenantTrait& brave = *gameData.GetCovenantTrait(gameData.FindCovenantTraitIndex("brave"));
    EXPECT_EQ(brave.statusEffect, database.FindEntryByName("Rival"));
    EXPECT_TRUE(brave.noRandom);
    EXPECT_FLOAT_EQ(brave.GetMultiplier(2), 1.5f);
    EXPECT_FLOAT_EQ(brave.GetMultiplier(4), 1.0f);
    EXPECT_FLOAT_EQ(brave.GetMultiplier(13), 1.0f);
    EXPECT_FLOAT_EQ(brave.GetMultiplier(14), 1.0f);
}
