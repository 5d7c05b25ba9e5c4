// BehaviorAvoidLeader -- steps out of the leader's way when it comes too near.
#include "entities/ai/BehaviorAvoidLeader.h"

#include "core/DatabaseEntry.h"
#include "core/MathUtil.h"
#include "core/RandomSystem.h"
#include "core/Vector.h"
#include "entities/Actor.h"

#include <array>

namespace {

constexpr uint32_t kAvoidLeaderSolidMask = 5;

} // namespace

void BehaviorAvoidLeader::LoadData(const DatabaseEntry& entry)
{
    tuning.minRange = entry.GetFloat("MinRange", 0.0f);
}

bool BehaviorAvoidLeader::WantsToRun()
{
    Sentient* leader = actor->GetLeader();
    if (!leader || EntityDistance2D(actor, leader, false) > tuning.minRange)
        return false;
    // A player talking to this actor keeps it where it stands.
    return !(leader->IsPlayer() && leader->GetUseTarget() == actor);
}

void BehaviorAvoidLeader::Start()
{
    Sentient* leader = actor->GetLeader();
    if (!leader || !gGameServices) {
        done = true;
        return;
    }
    int32_t away = AngleToDirection(Vector2Angle(leader->position.DeltaTo(actor->position)));
    std::array<WorldPos, 3> accepted;
    size_t count = 0;
    for (int32_t turn = -1; turn <= 1; ++turn) {
        WorldPos spot = BehaviorCellStep(actor->position, away + turn);
        if (gGameServices->IsSpotFreeForBody(spot, actor, kAvoidLeaderSolidMask))
            accepted[count++] = spot;
    }
    if (count == 0) {
        done = true;
        return;
    }
    size_t pick = gRandomSystem ? static_cast<size_t>(gRandomSystem->RandomIndex(RandomStream::GameData, 0,
                                                                                   static_cast<int32_t>(count) - 1))
                                : 0;
    actor->MoveTo(accepted[std::min(pick, count - 1)]);
}

void BehaviorAvoidLeader::OnNotifyCurrent(int32_t code, Entity*)
{
    if (code == ActorNotice::kPathFailed || code == ActorNotice::kArrived)
        done = true;
}

void BehaviorAvoidLeader::Stop()
{
    actor->StopMoving();
}
