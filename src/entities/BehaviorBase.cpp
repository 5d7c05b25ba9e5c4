// BehaviorBase -- the shared debug line and the timer list of every behaviour.
#include "entities/BehaviorBase.h"

#include "core/DebugSystem.h"
#include "entities/ai/BehaviorFactory.h"

void BehaviorBase::DebugPrint() const
{
    DebugSystem::Print(kPrintPlain, "Current behavior: %s\n", GetBehaviorName(GetType()).c_str());
}

void BehaviorBase::RegisterTimer(RandomTimer& timer)
{
    timer.listed = 1;
    timers.push_back(&timer);
}
