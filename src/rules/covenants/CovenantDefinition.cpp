// CovenantDefinition -- a "Covenant" record: how a kind of covenant looks, starts and judges relations, treaties and trades.
#include "rules/covenants/CovenantDefinition.h"

#include "core/ColorSystem.h"
#include "core/DatabaseEntry.h"
#include "core/DebugSystem.h"
#include "core/EnumTable.h"
#include "core/RandomSystem.h"
#include "core/StringUtil.h"

#include <cmath>

namespace {

constexpr float kNeutralRelation = 50.0f;
// Peace, War, BreakTreaty and BreakTradeRoute: the third-covenant actions that carry a weight.
constexpr int32_t kWeightedActions[] = {CovenantTreaty::Peace, CovenantTreaty::War, CovenantTreaty::BreakTreaty,
                                        CovenantTreaty::BreakTradeRoute};

std::string DifficultyKey(std::string_view key, int32_t difficulty)
{
    return std::string(key) + EnumTable::Find("DifficultyLevel")->GetName(difficulty);
}

template <size_t N>
void ReadByDifficulty(const DatabaseEntry& entry, std::string_view key, std::array<float, N>& out)
{
    for (size_t i = 0; i < N; ++i)
        out[i] = entry.GetFloat(DifficultyKey(key, static_cast<int32_t>(i)), 0.0f);
}

template <size_t N>
void ReadByTable(const DatabaseEntry& entry, std::string_view prefix, const char* tableName, std::array<float, N>& out)
{
    const EnumTable* table = EnumTable::Find(tableName);
    for (size_t i = 0; i < N; ++i)
        out[i] = entry.GetFloat(std::string(prefix) + table->GetName(static_cast<int32_t>(i)), 0.0f);
}

CovenantDefinition::ChanceLine ReadLine(const DatabaseEntry& entry, const std::string& key)
{
    float startX = entry.GetFloat(key + "StartX", 0.0f);
    float startY = entry.GetFloat(key + "StartY", 0.0f);
    float endX = entry.GetFloat(key + "EndX", 0.0f);
    float endY = entry.GetFloat(key + "EndY", 0.0f);
    CovenantDefinition::ChanceLine line;
    if (endX != startX)
        line.slope = (endY - startY) / (endX - startX);
    line.intercept = startY - line.slope * startX;
    return line;
}

int32_t ReadCovenantColor(const DatabaseEntry& entry)
{
    std::string text = entry.GetString("Color");
    if (text.empty())
        return 0;
    int32_t index = IsIntegerText(text) ? ParseInt(text) : EnumTable::LookupIn("ColorType", text);
    if (index >= 0 && index < ColorType::kCount)
        return index;
    DebugSystem::Print(kPrintError, "Covenant %s: colour %s is outside the colour table\n",
                       std::string(entry.GetName()).c_str(), text.c_str());
    return 0;
}

// The lists are read by an index that comes from a treaty or route value; one the record does
// not reach is a content fault, not a reason to read past the list.
template <class List>
float CovenantAt(const List& list, int32_t index, const CovenantDefinition& definition, const char* what)
{
    if (index >= 0 && static_cast<size_t>(index) < list.size())
        return list[static_cast<size_t>(index)];
    DebugSystem::Print(kPrintError, "Covenant %s: %s has no entry %d\n", definition.name.c_str(), what, index);
    return 0.0f;
}

} // namespace

void CovenantDefinition::Load(const DatabaseEntry* newEntry)
{
    *this = CovenantDefinition();
    entry = newEntry;
    if (!entry)
        return;
    RegisterRulesEnumTables();
    const DatabaseEntry& e = *entry;
    auto f = [&e](const char* key) { return e.GetFloat(key, 0.0f); };
    name = e.GetName();
    displayName = e.GetString("Name");
    secondName = e.GetString("SecondName");
    color = ReadCovenantColor(e);
    smallCrestName = e.GetString("SmallCrestName");
    std::string difficulty = e.GetString("MinWorldDifficulty");
    minWorldDifficulty = difficulty.empty() ? 0 : GetWorldDifficultyLevelByName(difficulty);
    e.GetStringList("Trait", traitNames, true, true);
    numTraits = e.GetInt("NumTraits");
    e.GetStringList("StartingItem", startingItems, true, true);
    std::vector<std::string> lines;
    e.GetStringList("StartingRelation", lines, true, false);
    for (const std::string& line : lines) {
        std::pair<std::string, float> relation;
        if (ParseNameValue(line, relation.first, relation.second))
            startingRelations.push_back(std::move(relation));
        else
            DebugSystem::Print(kPrintError, "Covenant %s: bad StartingRelation line \"%s\"\n", name.c_str(),
                               line.c_str());
    }

    lifestoneRegenMult = f("LifestoneRegenMult");
    lifestoneHealthMult = f("LifestoneHealthMult");
    minRezTime = f("MinRezTime");
    maxRezTime = f("MaxRezTime");
    heroRezTimeMult = f("HeroRezTimeMult");
    destroyBonusIfRaiding = f("DestroyBonusIfRaiding");

    genericValueChunkPercent = f("GenericValueChunkPercent");
    relationChangeInfluenceMaxPerTrade = f("RelationChangeInfluenceMaxPerTrade");
    relationChangeMultMyInfluence = f("RelationChangeMultMyInfluence");
    relationChangeMultTheirInfluence = f("RelationChangeMultTheirInfluence");
    relationChangeCrystalsMaxPerTrade = f("RelationChangeCrystalsMaxPerTrade");
    relationChangeMultMyCrystals = f("RelationChangeMultMyCrystals");
    relationChangeMultTheirCrystals = f("RelationChangeMultTheirCrystals");
    relationForAgreementWar = f("RelationForAgreementWar");
    relationForAgreementPeace = f("RelationForAgreementPeace");
    relationForAgreementBreakTreaty = f("RelationForAgreementBreakTreaty");
    relationForAgreementBreakTrade = f("RelationForAgreementBreakTrade");
    agreementWarMult = f("AgreementWarMult");
    agreementPeaceMult = f("AgreementPeaceMult");
    agreementBonusMinRelation = f("AgreementBonusMinRelation");
    agreementBonusMult = f("AgreementBonusMult");
    crystalsPercentNeededForTradeRoute = f("CrystalsPercentNeededForTradeRoute");
    minComparisionInfluenceNumKills = e.GetInt("MinComparisionInfluenceNumKills");
    minComparisionCrystals = e.GetInt("MinComparisionCrystals");
    adventure.relation = f("RelationForAdventure");
    adventure.changeHigherLevel = f("RelationForAdventureChangeHigherLevel");
    adventure.changeLowerLevel = f("RelationForAdventureChangeLowerLevel");
    adventure.minimum = f("RelationForAdventureMin");

    demandChance = ReadLine(e, "DemandChance");
    tradeChance = ReadLine(e, "TradeChance");
    giftChance = ReadLine(e, "GiftChance");
    rumorChance = ReadLine(e, "RumorChance");

    e.GetFloatList("RelationChangeCancelledTreaty", relationChangeCancelledTreaty, true, true);
    e.GetFloatList("RelationChangeCancelledTradeRoute", relationChangeCancelledTradeRoute, true, true);
    e.GetFloatList("RelationForTradeRoute", relationForTradeRoute, true, true);
    e.GetFloatList("RelationChangeTradeRouteStart", relationChangeTradeRouteStart, true, true);
    ReadByTable(e, "AgreementBreakTreatyMult", "CovenantTreaty", agreementBreakTreatyMult);
    ReadByTable(e, "AgreementBreakTradeMult", "TradeRouteType", agreementBreakTradeMult);
    ReadByDifficulty(e, "RelationForPeaceTreaty", relationForPeaceTreaty);
    ReadByDifficulty(e, "RelationStartRaid", relationStartRaid);
    ReadByDifficulty(e, "PositiveRelationMult", positiveRelationMult);
    ReadByDifficulty(e, "NegativeRelationMult", negativeRelationMult);

    demandChanceCrystals = f("DemandChanceCrystals");
    giftChanceCrystals = f("GiftChanceCrystals");
    demandChanceInfluence = f("DemandChanceInfluence");
    giftChanceInfluence = f("GiftChanceInfluence");
    tradeChanceItem = f("TradeChanceItem");
    for (size_t i = 0; i < std::size(kWeightedActions); ++i) {
        const std::string& action = EnumTable::Find("CovenantTreaty")->GetName(kWeightedActions[i]);
        demandChanceAction[i] = e.GetFloat("DemandChance" + action, 0.0f);
        tradeChanceAction[i] = e.GetFloat("TradeChance" + action, 0.0f);
    }
}

float CovenantDefinition::GetDifficultyFloat(std::string_view key, int32_t difficulty) const
{
    if (difficulty < 0 || difficulty >= DifficultyLevel::kCount) {
        DebugSystem::Print(kPrintError, "Covenant %s: difficulty %d is outside the table\n", name.c_str(), difficulty);
        return 0.0f;
    }
    return entry ? entry->GetFloat(DifficultyKey(key, difficulty), 0.0f) : 0.0f;
}

float CovenantDefinition::Roll(std::string_view minKey, std::string_view maxKey) const
{
    float low = GetFloat(minKey);
    float high = GetFloat(maxKey);
    return DrawRandomRange(RandomStream::GameData, low, high);
}

float CovenantDefinition::GetStartingRelation(std::string_view definitionName) const
{
    for (const auto& [otherName, value] : startingRelations)
        if (StringEqualsNoCase(otherName, definitionName))
            return value;
    return kNeutralRelation;
}

float CovenantDefinition::GetRelationChangeCancelledTreaty(int32_t treaty) const
{
    return CovenantAt(relationChangeCancelledTreaty, treaty, *this, "RelationChangeCancelledTreaty");
}

float CovenantDefinition::GetRelationChangeCancelledTradeRoute(int32_t kind) const
{
    return CovenantAt(relationChangeCancelledTradeRoute, kind, *this, "RelationChangeCancelledTradeRoute");
}

float CovenantDefinition::GetRelationForTradeRoute(int32_t kind) const
{
    return CovenantAt(relationForTradeRoute, kind, *this, "RelationForTradeRoute");
}

float CovenantDefinition::GetRelationChangeTradeRouteStart(int32_t kind) const
{
    return CovenantAt(relationChangeTradeRouteStart, kind, *this, "RelationChangeTradeRouteStart");
}

float CovenantDefinition::GetAgreementBreakTreatyMult(int32_t treaty) const
{
    return CovenantAt(agreementBreakTreatyMult, treaty, *this, "AgreementBreakTreatyMult");
}

float CovenantDefinition::GetAgreementBreakTradeMult(int32_t kind) const
{
    return CovenantAt(agreementBreakTradeMult, kind, *this, "AgreementBreakTradeMult");
}

float CovenantDefinition::GetRelationForPeaceTreaty(int32_t difficulty) const
{
    return CovenantAt(relationForPeaceTreaty, difficulty, *this, "RelationForPeaceTreaty");
}

float CovenantDefinition::GetRelationStartRaid(int32_t difficulty) const
{
    return CovenantAt(relationStartRaid, difficulty, *this, "RelationStartRaid");
}

float CovenantDefinition::GetPositiveRelationMult(int32_t difficulty) const
{
    return CovenantAt(positiveRelationMult, difficulty, *this, "PositiveRelationMult");
}

float CovenantDefinition::GetNegativeRelationMult(int32_t difficulty) const
{
    return CovenantAt(negativeRelationMult, difficulty, *this, "NegativeRelationMult");
}

float CovenantDefinition::GetOfferChance(OfferCandidate candidate, bool demand, bool gift, int32_t action) const
{
    switch (candidate) {
    case OfferCandidate::Crystals: return demand ? demandChanceCrystals : gift ? giftChanceCrystals : 0.0f;
    case OfferCandidate::Influence: return demand ? demandChanceInfluence : gift ? giftChanceInfluence : 0.0f;
    case OfferCandidate::StoredItem: return tradeChanceItem;
    case OfferCandidate::ThirdCovenant: break;
    }
    for (size_t i = 0; i < std::size(kWeightedActions); ++i)
        if (kWeightedActions[i] == action)
            return demand ? demandChanceAction[i] : gift ? 0.0f : tradeChanceAction[i];
    return 0.0f;
}

int32_t CovenantDefinition::GetMinComparisonInfluence(const GameSystemTuning& tuning, int32_t leaderLevel) const
{
    return ::GetMinComparisonInfluence(tuning, leaderLevel, minComparisionInfluenceNumKills);
}

float CovenantDefinition::GetAdventureThreshold(int32_t otherLeaderLevel, int32_t ownLeaderLevel) const
{
    return ::GetAdventureThreshold(adventure, otherLeaderLevel, ownLeaderLevel);
}

bool CovenantDefinition::ParseNameValue(std::string_view line, std::string& name, float& value)
{
    while (!line.empty() && line.back() == ' ')
        line.remove_suffix(1);
    size_t blank = line.rfind(' ');
    if (blank == std::string_view::npos || !IsNumberText(line.substr(blank + 1)))
        return false;
    std::string_view head = line.substr(0, blank);
    while (!head.empty() && head.back() == ' ')
        head.remove_suffix(1);
    float number = ParseFloat(line.substr(blank + 1));
    if (head.empty() || !std::isfinite(number))
        return false;
    name.assign(head);
    value = number;
    return true;
}
