// ActorCovenant -- the rival's record in the world save: what it is and holds, written whole and read whole into a covenant not yet in the world.
#include "covenants/ActorCovenant.h"

#include "core/MessageBuffer.h"
#include "covenants/Recruit.h"
#include "entities/Actor.h"
#include "entities/GameServices.h"
#include "entities/Inventory.h"
#include "entities/Item.h"
#include "rules/GameData.h"
#include "rules/RulesEnums.h"
#include "rules/covenants/CovenantTrait.h"

#include <algorithm>
#include <cmath>

namespace {

// The recruits' records are in the form their own records have at this version.
constexpr int32_t kActorCovenantRecruitForm = RecruitBase::kVersionCountedStats;

void WritePulls(MessageBuffer& buffer, const std::array<float, kMaxCovenants>& pulls)
{
    buffer.WriteInt(kMaxCovenants);
    for (float pull : pulls)
        buffer.WriteFloat(pull);
}

// At most kMaxCovenants finite values; those past the count stay 0.
bool ReadPulls(MessageBuffer& buffer, std::array<float, kMaxCovenants>& pulls)
{
    int32_t count = 0;
    if (!buffer.ReadCount(count, sizeof(float)) || count > kMaxCovenants)
        return false;
    pulls.fill(0.0f);
    for (int32_t i = 0; i < count; ++i) {
        float pull = buffer.ReadFloat();
        if (!std::isfinite(pull))
            return false;
        pulls[static_cast<size_t>(i)] = pull;
    }
    return !buffer.Overrun();
}

} // namespace

void ActorCovenant::WriteSaved(MessageBuffer& buffer)
{
    buffer.WriteInt(GetDefinitionIndex());
    buffer.WriteString(name);
    buffer.WriteBool(eliminated);
    buffer.WriteInt(difficultyLevel);
    buffer.WriteFloat(difficultyModifier);
    buffer.WriteInt(homeLevel);
    buffer.WriteFloat(homeX);
    buffer.WriteFloat(homeY);
    buffer.WriteInt(GetHomeHealth());
    buffer.WriteInt(GetHomeMaxHealth());
    statistics.Write(buffer);
    buffer.WriteInt(static_cast<int32_t>(traits.size()));
    for (const Trait& trait : traits)
        buffer.WriteInt(trait.id);
    buffer.WriteInt(kMaxCovenants);
    for (int32_t other = 0; other < kMaxCovenants; ++other) {
        buffer.WriteFloat(GetRelation(other));
        buffer.WriteInt(GetTreatyState(other));
        buffer.WriteTimeStamp(GetTreatyTimeStamp(other));
        buffer.WriteInt(GetTradeRouteKind(other));
        buffer.WriteTimeStamp(GetRelationTimeStamp(other));
    }
    for (const auto* pulls : {&naturalHate, &fear, &tradeWish, &demandWish})
        WritePulls(buffer, *pulls);
    buffer.WriteBoolVector(visitedLevels);
    buffer.WriteInt(GetRecruitSlots());
    for (const auto& recruit : recruits) {
        buffer.WriteBool(recruit != nullptr);
        if (recruit)
            recruit->Write(buffer);
    }
    inventory->Write(buffer, true);
    WriteWork(buffer);
}

bool ActorCovenant::ReadSaved(MessageBuffer& buffer, bool atWork)
{
    SetDefinitionIndex(buffer.ReadInt());
    name = buffer.ReadString();
    eliminated = buffer.ReadBool();
    int32_t difficulty = buffer.ReadInt();
    difficultyModifier = buffer.ReadFloat();
    homeLevel = buffer.ReadInt();
    homeX = buffer.ReadFloat();
    homeY = buffer.ReadFloat();
    savedHomeHealth = buffer.ReadInt();
    savedHomeMaxHealth = buffer.ReadInt();
    if (buffer.Overrun() || !GetDefinition() || difficulty < 0 || difficulty >= kDifficultyCount ||
        !std::isfinite(difficultyModifier) || !std::isfinite(homeX) || !std::isfinite(homeY))
        return false;
    difficultyLevel = difficulty;
    return statistics.Read(buffer) && ReadTraits(buffer) && ReadRelations(buffer) && ReadPulls(buffer, naturalHate) &&
           ReadPulls(buffer, fear) && ReadPulls(buffer, tradeWish) && ReadPulls(buffer, demandWish) &&
           buffer.ReadBoolVector(visitedLevels) && ReadRecruits(buffer) && ReadGoods(buffer) &&
           (!atWork || ReadWork(buffer));
}

bool ActorCovenant::ReadTraits(MessageBuffer& buffer)
{
    int32_t count = 0;
    if (!buffer.ReadCount(count, sizeof(int32_t)) || count > kMaxCovenantTraits || !gGameData)
        return false;
    traits.clear();
    for (int32_t position = 0; position < count; ++position) {
        int32_t id = buffer.ReadInt();
        const CovenantTrait* trait = gGameData->GetCovenantTrait(id);
        if (buffer.Overrun() || !trait)
            return false;
        Trait record;
        record.id = id;
        record.statusEffect = trait->statusEffect;
        for (int32_t m = 0; m < kMultiplierCount; ++m)
            record.multipliers[static_cast<size_t>(m)] = trait->GetMultiplier(m);
        traitIds.Set(position, id);
        traits.push_back(record);
    }
    return true;
}

bool ActorCovenant::ReadRelations(MessageBuffer& buffer)
{
    // A relation record is a float, two words and two stamps of four words each.
    constexpr size_t kRecordBytes = 4 * 11;
    int32_t count = 0;
    if (!buffer.ReadCount(count, kRecordBytes) || count > kMaxCovenants)
        return false;
    ClearRelations();
    for (int32_t other = 0; other < count; ++other) {
        float relation = buffer.ReadFloat();
        int32_t treaty = buffer.ReadInt();
        TimeStamp treatyStamp;
        bool stamped = buffer.ReadFiniteTimeStamp(treatyStamp);
        int32_t route = buffer.ReadInt();
        TimeStamp routeStamp;
        stamped = buffer.ReadFiniteTimeStamp(routeStamp) && stamped;
        if (buffer.Overrun() || !stamped || !std::isfinite(relation) || treaty < 0 || treaty >= CovenantTreaty::kCount ||
            route < 0 || route >= TradeRouteType::kCount)
            return false;
        SetRelation(other, relation);
        SetTreaty(other, treaty, treatyStamp);
        SetTradeRoute(other, route, routeStamp);
    }
    return true;
}

bool ActorCovenant::ReadRecruits(MessageBuffer& buffer)
{
    int32_t count = 0;
    if (!buffer.ReadCount(count, sizeof(int32_t)) || count > GetRecruitSlots())
        return false;
    for (int32_t slot = 0; slot < count; ++slot) {
        bool present = buffer.ReadBool();
        if (buffer.Overrun())
            return false;
        if (!present)
            continue;
        auto recruit = std::make_unique<Recruit>();
        if (!recruit->Read(kActorCovenantRecruitForm, buffer))
            return false;
        recruit->covenantIndex = index;
        recruits[static_cast<size_t>(slot)] = std::move(recruit);
    }
    return true;
}

bool ActorCovenant::ReadGoods(MessageBuffer& buffer)
{
    if (!inventory->Read(buffer, true, kActorCovenantRecruitForm))
        return false;
    // The goods and the house keep their shape whatever the file sized them to.
    inventory->ResizeBag(kGoodsBag, kGoodsSlots);
    inventory->ResizeBag(InventoryGroupIndex::House, kHouseSlots);
    return true;
}
