// CovenantClient -- the client's mirror of one covenant: its record of each game update, read whole and then taken.
#include "client/CovenantClient.h"

#include "client/ClientApp.h"
#include "client/GameClient.h"
#include "client/InventoryClient.h"
#include "client/LocalPlayerLink.h"
#include "client/MirrorSound.h"
#include "core/EngineEnums.h"
#include "core/MessageBuffer.h"
#include "resources/ResourceManager.h"
#include "resources/shaders/ShaderLookup.h"
#include "rules/GameData.h"
#include "rules/covenants/CovenantDefinition.h"

#include <algorithm>
#include <cmath>

namespace {

// Relation value, treaty, route kind and the route's time stamp.
constexpr size_t kCovenantClientRelationBytes = 28;

} // namespace

CovenantClient::CovenantClient()
{
    inventory = std::make_unique<InventoryClient>();
    if (gResourceManager)
        gResourceManager->Load(kEliminatedSoundPath, eliminatedSound);
}

bool CovenantClient::ReadRecord(MessageBuffer& buffer, int32_t covenantCount, Record& out)
{
    out.definitionIndex = buffer.ReadInt();
    buffer.ReadString(out.name);
    out.homeLevel = buffer.ReadInt();
    out.homeX = buffer.ReadFloat();
    out.homeY = buffer.ReadFloat();
    out.eliminated = buffer.ReadBool();
    for (int32_t& value : out.influence)
        value = buffer.ReadInt();
    out.guardCosts = buffer.ReadInt();
    for (int32_t& value : out.holdings)
        value = buffer.ReadInt();
    out.leaderLevel = buffer.ReadInt();
    out.homeHealth = buffer.ReadInt();
    out.homeMaxHealth = buffer.ReadInt();
    if (buffer.Overrun() || covenantCount < 0 ||
        static_cast<uint64_t>(covenantCount) * kCovenantClientRelationBytes > buffer.BytesLeft())
        return false;
    out.relations.resize(static_cast<size_t>(covenantCount));
    for (Record::Relation& relation : out.relations) {
        relation.value = buffer.ReadFloat();
        relation.treaty = buffer.ReadInt();
        relation.routeKind = buffer.ReadInt();
        buffer.ReadTimeStamp(relation.routeSince);
    }
    out.recordWord1 = buffer.ReadInt();
    int32_t traitCount = 0;
    if (buffer.Overrun() || !buffer.ReadCount(traitCount, sizeof(int32_t)) || traitCount > kMaxCovenantTraits)
        return false;
    out.traits.resize(static_cast<size_t>(traitCount));
    for (int32_t& trait : out.traits)
        trait = buffer.ReadInt();
    out.recordWord2 = buffer.ReadInt();
    out.recordFlag = buffer.ReadBool();
    out.targetCovenant = buffer.ReadInt();
    return !buffer.Overrun();
}

void CovenantClient::Apply(const Record& record)
{
    SetDefinitionIndex(record.definitionIndex);
    name = record.name;
    homeLevel = record.homeLevel;
    homeX = record.homeX;
    homeY = record.homeY;
    if (received && record.eliminated && !eliminated)
        PlayMirrorSound(eliminatedSound);
    eliminated = record.eliminated;
    statistics.SetCount(CovenantStat::kCount);
    int32_t influenceStats[] = {CovenantStat::InfluenceAdventure, CovenantStat::InfluenceCompetition,
                                CovenantStat::InfluenceWorld, CovenantStat::InfluenceTransferred};
    int64_t total = 0;
    for (size_t i = 0; i < std::size(influenceStats); ++i) {
        statistics.Set(influenceStats[i], record.influence[i]);
        total += record.influence[i];
    }
    statistics.Set(CovenantStat::AbsoluteInfluence,
                   static_cast<int32_t>(std::clamp<int64_t>(total, INT32_MIN, INT32_MAX)));
    statistics.Set(CovenantStat::GuardCosts, record.guardCosts);
    int32_t holdingStats[] = {CovenantStat::People, CovenantStat::Items, CovenantStat::LifeStone, CovenantStat::House,
                              CovenantStat::Money};
    for (size_t i = 0; i < std::size(holdingStats); ++i)
        statistics.Set(holdingStats[i], record.holdings[i]);
    leaderLevel = record.leaderLevel;
    SetHomeMaxHealth(record.homeMaxHealth);
    SetHomeHealth(std::min(record.homeHealth, record.homeMaxHealth));
    ApplyRelations(record);
    recordWord1 = record.recordWord1;
    traitIds.SetCount(kMaxCovenantTraits);
    int32_t position = 0;
    for (int32_t trait : record.traits) {
        if (position >= kMaxCovenantTraits)
            break;
        if (trait >= 0 && gGameData && trait < gGameData->GetCovenantTraitCount())
            traitIds.Set(position++, trait);
    }
    for (; position < kMaxCovenantTraits; ++position)
        traitIds.Set(position, -1);
    recordWord2 = record.recordWord2;
    recordFlag = record.recordFlag;
    targetCovenant = record.targetCovenant;
    received = true;
}

void CovenantClient::ApplyRelations(const Record& record)
{
    int32_t last = static_cast<int32_t>(record.relations.size()) - 1;
    int32_t count = std::min<int32_t>(last + 1, kMaxCovenants);
    for (int32_t j = 0; j < count; ++j) {
        const Record::Relation& relation = record.relations[static_cast<size_t>(j)];
        float value = std::isfinite(relation.value) ? std::clamp(relation.value, 0.0f, 100.0f) : 0.0f;
        bool fell = GetRelation(j) > kLowRelation && value <= kLowRelation;
        SetRelation(j, value);
        SetRelationWord(j, static_cast<uint32_t>(relation.treaty));
        SetTradeRoute(j, relation.routeKind, relation.routeSince);
        LocalPlayerLink* player = gClientApp ? gClientApp->GetLink() : nullptr;
        if (fell && j == last && j != index && player)
            player->OfferHelpTopic("LowRelation");
    }
}

const ResourceHandle& CovenantClient::GetSmallCrest()
{
    if (!crestAsked && gResourceManager && GetDefinition() && !GetDefinition()->smallCrestName.empty()) {
        crestAsked = true;
        // The banner is drawn as a sprite over a head, which takes the texture's shader.
        LoadTextureByName(GetDefinition()->smallCrestName, smallCrest, TextureUsage::AlphaBlended);
    }
    return smallCrest;
}

const CovenantBase* CovenantClient::GetPartner(int32_t other) const
{
    if (!gGameClient || other < 0 || other >= gGameClient->GetCovenantCount())
        return nullptr;
    return gGameClient->GetCovenant(other, false);
}

TimeStamp CovenantClient::GetGameTime() const
{
    return gGameClient ? gGameClient->clock : TimeStamp();
}
