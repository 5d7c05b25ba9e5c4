// BehaviorPray -- uses the prayer skill to win back power once the pray timer has run out.
#include "entities/ai/BehaviorPray.h"

#include "core/DatabaseEntry.h"
#include "core/RandomSystem.h"
#include "entities/Actor.h"
#include "entities/Skill.h"
#include "entities/SkillList.h"

BehaviorPray::BehaviorPray()
{
    RegisterTimer(prayTimer);
}

void BehaviorPray::InitFromData(const BehaviorBase& prototype)
{
    BehaviorKind::InitFromData(prototype);
    RestartTimer();
}

void BehaviorPray::LoadData(const DatabaseEntry& entry)
{
    tuning.minPrayTime = entry.GetFloat("MinPrayTime", 0.0f);
    tuning.maxPrayTime = entry.GetFloat("MaxPrayTime", 0.0f);
    RestartTimer();
}

void BehaviorPray::RestartTimer()
{
    prayTimer.minimum = tuning.minPrayTime;
    prayTimer.maximum = tuning.maxPrayTime;
    if (gRandomSystem)
        prayTimer.Restart(*gRandomSystem);
}

bool BehaviorPray::IsShortOfPower() const
{
    return actor->GetStat(CharacterStat::Power) < actor->GetStat(CharacterStat::MaxPower);
}

Skill* BehaviorPray::Prayer() const
{
    return actor->skillList ? dynamic_cast<Skill*>(actor->skillList->FindSkillByName(kPrayerSkill)) : nullptr;
}

bool BehaviorPray::WantsToRun()
{
    return IsShortOfPower() && prayTimer.IsExpired() && Prayer();
}

bool BehaviorPray::ContinueRunning()
{
    return actor->GetCurrentEnemy() && IsShortOfPower();
}

void BehaviorPray::Start()
{
    if (Skill* prayer = Prayer())
        prayer->Use(actor, nullptr, SkillStage::Request, false);
}
