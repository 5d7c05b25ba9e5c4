// Covenant -- storing an offer that waits for its answer, the members' stats recomputed, and where members stand and rise.
#include "covenants/Covenant.h"

#include "core/DebugSystem.h"
#include "covenants/CovenantHost.h"
#include "entities/Actor.h"
#include "entities/GameServices.h"
#include "entities/Player.h"
#include "rules/RulesEnums.h"
#include "rules/items/ItemBase.h"

namespace {

constexpr int32_t kCovenantPlacementHomeRings = 4;
constexpr int32_t kCovenantPlacementRespawnRings = 5;
constexpr int32_t kCovenantPlacementResends = 4;

// A free spot for the entity on the first ring around the centre that has one, neighbouring
// levels allowed; the centre itself when none does.
WorldPos CovenantPlacementSpotNear(const WorldPos& centre, const Entity* entity, int32_t rings)
{
    WorldPos spot = centre;
    SpawnSearch search;
    search.entity = entity;
    search.otherLevels = true;
    if (gGameServices)
        gGameServices->FindSpawnPosition(centre, rings, search, true, spot);
    return spot;
}

} // namespace

void Covenant::StorePendingOffer(const Offer& offer, int32_t other, float interval)
{
    if (other < 0 || other >= kMaxCovenants) {
        DebugSystem::Print(kPrintWarning, "Covenant %d: no pending offer toward covenant %d\n", index, other);
        return;
    }
    ClearOfferTo(other, false);
    PendingOffer& pending = pendingOffers[static_cast<size_t>(other)];
    pending.offer = offer;
    for (const OfferEntry& entry : offer.entries)
        pending.goods.emplace_back(FindOfferedItem(entry, other));
    pending.interval = pending.total = pending.remaining = interval;
    pending.running = true;
    pending.resendsLeft = kCovenantPlacementResends;
}

void Covenant::RecalculateMemberStats(const Entity* except)
{
    for (int32_t slot = 0; slot < GetRecruitSlots(); ++slot)
        if (Actor* actor = GetRecruitActor(slot); actor && actor != except)
            actor->RecalculateStats(false);
    if (auto* player = dynamic_cast<Sentient*>(GetPlayer()); player && player != except)
        player->RecalculateStats(false);
}

WorldPos Covenant::FindSpotNearHome(const Entity* entity) const
{
    return CovenantPlacementSpotNear(GetHomePosition(), entity, kCovenantPlacementHomeRings);
}

WorldPos Covenant::GetResurrectPosition(const Sentient& member) const
{
    const auto* actor = dynamic_cast<const Actor*>(&member);
    return actor ? GetRespawnPosition(*actor) : GetHomePosition();
}

WorldPos Covenant::GetRespawnPosition(const Actor& actor) const
{
    WorldPos base;
    const auto* player = dynamic_cast<const Player*>(GetLeader());
    if (targetCovenant != -1 && HasRelation(targetCovenant) &&
        GetTreatyState(targetCovenant) == CovenantTreaty::Raid && IsRecruitRaiding(actor))
        base = GetSpawnPointNearHome();
    else if (player && player->IsInParty(&actor) && (player->maxHealth <= 0 || player->health > 0))
        base = actor.homePosition;
    else
        base = FindSpotNearHome(&actor);
    return CovenantPlacementSpotNear(base, &actor, kCovenantPlacementRespawnRings);
}
