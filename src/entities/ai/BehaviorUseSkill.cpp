// BehaviorUseSkill -- uses the skill the actor's skill choice picked, holding control until its action and animations are over.
#include "entities/ai/BehaviorUseSkill.h"

#include "entities/Actor.h"
#include "entities/Skill.h"
#include "entities/SkillList.h"
#include "rules/monsters/MonsterArchetype.h"
#include "rules/monsters/MonsterType.h"
#include "rules/skills/SkillDefinition.h"

namespace {

// The notice a skill gives its user when it was performed or called off.
constexpr int32_t kUseSkillOverNotice = SentientNotice::kActionCancelled;
// "idle" as a pose that replaces whatever the skill left playing.
constexpr int32_t kUseSkillIdlePriority = 1;

} // namespace

BehaviorUseSkill::BehaviorUseSkill()
{
    RegisterTimer(skillTimer);
}

bool BehaviorUseSkill::WantsToRun()
{
    Skill* chosen = actor->skillList ? actor->skillList->GetChosenSkill() : nullptr;
    if (!chosen || (skillTimer.running && skillTimer.remaining > 0.0f))
        return false;
    return chosen->CheckUse(actor, actor->GetCurrentEnemy(), SkillStage::Request, false) == SkillUseResult::Ok;
}

void BehaviorUseSkill::Start()
{
    castAnimation = useAnimation = nullptr;
    Skill* chosen = actor->skillList ? actor->skillList->GetChosenSkill() : nullptr;
    if (!chosen || !chosen->definition ||
        chosen->CheckUse(actor, actor->GetCurrentEnemy(), SkillStage::Request, false) != SkillUseResult::Ok) {
        done = true;
        return;
    }
    Entity* target = chosen->ChooseTarget(*actor);
    chosen->Use(actor, target, SkillStage::Request, false);
    if (target && target != actor && actor->CanTurn())
        actor->FaceEntity(target, false);
    const MonsterType* type = actor->GetMonsterType();
    float delay = type && type->archetype ? type->archetype->GetSkillDelay(actor->GetHealthFraction()) : 0.0f;
    if (delay > 0.0f) {
        skillTimer.minimum = skillTimer.maximum = skillTimer.total = skillTimer.remaining = delay;
        skillTimer.running = 1;
    }
    castAnimation = &chosen->definition->castingAnimation;
    useAnimation = &chosen->definition->animation;
}

bool BehaviorUseSkill::IsPlayingRecorded() const
{
    for (const std::string* name : {castAnimation, useAnimation})
        if (name && !name->empty() && actor->IsPlayingAnimation(*name))
            return true;
    return false;
}

bool BehaviorUseSkill::IsBusy() const
{
    int useSkill = Sentient::GetEventId(SentientEvent::UseSkill);
    bool pending = useSkill >= 0 && gGameServices && gGameServices->FindTimedAction(useSkill, actor);
    return (!done && pending) || IsPlayingRecorded();
}

void BehaviorUseSkill::OnNotifyCurrent(int32_t code, Entity*)
{
    if (code == kUseSkillOverNotice)
        done = true;
}

void BehaviorUseSkill::Stop()
{
    castAnimation = useAnimation = nullptr;
    actor->PlayAnimation("idle", kUseSkillIdlePriority, AnimationMode::Loop, false);
}
