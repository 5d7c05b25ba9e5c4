// BehaviorAdventure -- travels the world towards a far goal in steps of a set length, choosing new goals when it arrives or keeps failing.
#include "entities/ai/BehaviorAdventure.h"

#include "core/DatabaseEntry.h"
#include "core/MathUtil.h"
#include "core/RandomSystem.h"
#include "core/Vector.h"
#include "entities/Actor.h"
#include "entities/EntityCovenant.h"
#include "rules/monsters/MonsterArchetype.h"
#include "rules/monsters/MonsterType.h"

#include <cmath>

BehaviorAdventure::BehaviorAdventure()
{
    finalGoal.level = -1;
    stepGoal.level = -1;
    lastPosition.level = -1;
}

void BehaviorAdventure::LoadData(const DatabaseEntry& entry)
{
    tuning.stepDistance = entry.GetFloat("StepDistance", 0.0f);
    tuning.maxRandomOffset = entry.GetFloat("MaxRandomOffset", 0.0f);
    tuning.maxFailuresToChangeFinalGoal = entry.GetInt("MaxFailuresToChangeFinalGoal");
}

bool BehaviorAdventure::WantsToRun()
{
    const MonsterType* type = actor->GetMonsterType();
    if (actor->adventurer || (type && type->archetype && type->archetype->adventurer))
        return true;
    // A covenant's party leader on its covenant's adventure travels too.
    const EntityCovenant* covenant = actor->GetCovenant();
    return covenant && covenant->GetLeader() == actor && !actor->GetLeader() && covenant->HasActiveAdventure();
}

void BehaviorAdventure::CheckStuck()
{
    if (!actor->position.IsWithinRange(lastPosition, kStuckReach) || lastPosition.level != actor->position.level) {
        lastPosition = actor->position;
        return;
    }
    if (++stuckCount > kMaxStuckSteps) {
        hasStepGoal = hasFinalGoal = false;
        stuckCount = 0;
    }
}

void BehaviorAdventure::ChooseFinalGoal()
{
    const EntityCovenant* covenant = actor->GetCovenant();
    WorldPos goal;
    if (covenant && covenant->GetTravelDestination(goal)) {
        finalGoal = goal;
    } else if (gGameServices && gGameServices->PickPointInLevel(actor->position.level, goal)) {
        finalGoal = goal;
    } else {
        return;
    }
    hasFinalGoal = true;
    hasStepGoal = false;
    moveWanted = true;
}

void BehaviorAdventure::ChooseStepGoal()
{
    Vector2 toGoal = actor->position.DeltaTo(finalGoal);
    float length = Vector2Length(toGoal);
    if (length < tuning.stepDistance || length <= 0.0f)
        return;
    float r = DrawRandomFloat();
    float angle = DrawRandomScaled(RandomStream::GameData, 360.0f);
    float stray = tuning.maxRandomOffset * r;
    WorldPos goal = actor->position;
    goal.x += tuning.stepDistance * toGoal.x / length + stray * std::cos(angle * kDegreesToRadians);
    goal.y += tuning.stepDistance * toGoal.y / length + stray * std::sin(angle * kDegreesToRadians);
    Actor::SnapToWorldGrid(goal);
    stepGoal = goal;
    hasStepGoal = true;
    moveWanted = true;
}

void BehaviorAdventure::Think(float)
{
    CheckStuck();
    if (!hasFinalGoal || finalGoal.level != actor->position.level)
        ChooseFinalGoal();
    if (!hasStepGoal && hasFinalGoal)
        ChooseStepGoal();
    if (!moveWanted)
        return;
    moveWanted = false;
    // The last stretch, shorter than a leg, goes straight to the final goal.
    if (hasStepGoal)
        actor->MoveTo(stepGoal);
    else if (hasFinalGoal)
        actor->MoveTo(finalGoal);
}

void BehaviorAdventure::OnNotifyCurrent(int32_t code, Entity*)
{
    if (code == ActorNotice::kArrived) {
        failures = 0;
        if (hasStepGoal)
            hasStepGoal = false;
        else
            hasFinalGoal = false;
        moveWanted = true;
    } else if (code == ActorNotice::kPathFailed) {
        if (++failures > tuning.maxFailuresToChangeFinalGoal) {
            failures = 0;
            hasFinalGoal = false;
        } else {
            hasStepGoal = false;
        }
        moveWanted = true;
    }
}

void BehaviorAdventure::Stop()
{
    actor->StopMoving();
    hasStepGoal = false;
    moveWanted = true;
    WorldPos destination;
    const EntityCovenant* covenant = actor->GetCovenant();
    if (covenant && covenant->GetTravelDestination(destination))
        hasFinalGoal = false;
}
