// ActorCovenant -- wandering recruits: the quest's candidate wanted or not, the party sent to the quest's level, and a recruit taken on at the home.
#include "covenants/ActorCovenant.h"

#include "core/LocSystem.h"
#include "core/RandomSystem.h"
#include "covenants/CovenantHost.h"
#include "covenants/Recruit.h"
#include "entities/Actor.h"
#include "entities/EntityQuest.h"
#include "entities/GameServices.h"
#include "rules/CharacterClass.h"
#include "rules/GameData.h"
#include "rules/RulesEnums.h"

#include <cmath>
#include <string>

namespace {

// The recruiting chance, none when unset or no number.
float ActorCovenantRecruitingChance()
{
    float chance = gGameData ? gGameData->GetTuning().potentialRecruitArriveChance : 0.0f;
    return std::isfinite(chance) ? chance : 0.0f;
}

// Seconds of the game clock a wanted candidate takes to come; a value below 0 or no number is none.
float ActorCovenantRecruitingArriveTime()
{
    float seconds = gGameData ? gGameData->GetTuning().potentialRecruitArriveTime : 0.0f;
    return std::isfinite(seconds) && seconds > 0.0f ? seconds : 0.0f;
}

// Level first, then experience.
bool ActorCovenantRecruitingOutranks(int32_t level, int32_t xp, const Recruit& other)
{
    int32_t otherLevel = other.GetStat(CharacterStat::Level);
    return level > otherLevel || (level == otherLevel && xp > other.GetStat(CharacterStat::Xp));
}

} // namespace

bool ActorCovenant::OfferRecruit(Actor& actor, bool questDriven)
{
    if (!questDriven)
        return DrawRandomFloat() < ActorCovenantRecruitingChance() && TakeRecruit(actor);
    if (questCandidate.Get() != &actor) {
        questCandidate.Set(&actor);
        candidateAccepted = DrawRandomFloat() < ActorCovenantRecruitingChance() &&
                            (HasRoomForRecruit() || FindRecruitToDismiss(actor));
        candidateArrives = GetGameTime();
        candidateArrives.seconds += ActorCovenantRecruitingArriveTime();
        candidateArrives.Normalize();
    }
    EntityQuest* record = GetActiveQuest();
    if (!candidateAccepted || !record || !record->IsComplete() || TimeLess(GetGameTime(), candidateArrives))
        return false;
    // Taken or turned away (the house filled with its betters meanwhile), it is wanted no more.
    candidateAccepted = false;
    if (!TakeRecruit(actor))
        return false;
    if (gCovenantHost)
        gCovenantHost->QuestSolvedByOtherCovenant(record->questId, index);
    return true;
}

void ActorCovenant::OfferQuestCandidate()
{
    EntityQuest* record = GetActiveQuest();
    auto* candidate = record ? dynamic_cast<Actor*>(record->GetTargetEntity()) : nullptr;
    if (candidate) {
        OfferRecruit(*candidate, true);
        return;
    }
    // Solved, failed or dropped: a candidate wanted before must not join later on its own.
    questCandidate.Clear();
    candidateAccepted = false;
}

bool ActorCovenant::HasAcceptedCandidate() const
{
    EntityQuest* record = GetActiveQuest();
    return candidateAccepted && questCandidate && record && record->GetTargetEntity() == questCandidate.Get();
}

bool ActorCovenant::AllowsTarget(const Entity*, int32_t level) const
{
    return !HasAcceptedCandidate() || GetActiveQuest()->targetLevel != level;
}

int32_t ActorCovenant::GetAdventureInfo() const
{
    return HasAcceptedCandidate() ? GetActiveQuest()->questId : 0;
}

void ActorCovenant::GoToCandidateQuestLevel()
{
    if (!HasAcceptedCandidate())
        return;
    EntityQuest* record = GetActiveQuest();
    if (record->targetLevel == -1)
        record->AssignTargetLevels();
    int32_t level = record->targetLevel;
    if (level < 0 || !gGameServices || !gGameServices->IsKnownLevel(level))
        return;
    Recruit* leader = FindLeaderRecruit();
    for (const auto& recruit : recruits) {
        if (!recruit || !recruit->outWithParty || recruit->assignedLevel == level)
            continue;
        recruit->SetAssignedLevel(level);
        if (recruit.get() == leader)
            SendToAdventureLevel(*recruit);
    }
}

Recruit* ActorCovenant::FindRecruitToDismiss(const Actor& newcomer) const
{
    Recruit* weakest = FindWeakestRecruit(false);
    int32_t level = newcomer.stats.Get(CharacterStat::Level);
    int32_t xp = newcomer.stats.Get(CharacterStat::Xp);
    return weakest && ActorCovenantRecruitingOutranks(level, xp, *weakest) ? weakest : nullptr;
}

bool ActorCovenant::TakeRecruit(Sentient& npc)
{
    auto* actor = dynamic_cast<Actor*>(&npc);
    if (!actor || actor->IsDead() || actor->covenantIndex != -1 || !gGameServices)
        return false;
    Recruit* dismissed = HasRoomForRecruit() ? nullptr : FindRecruitToDismiss(*actor);
    if (!HasRoomForRecruit() && !dismissed)
        return false;
    WorldPos spot = FindSpotNearHome(actor);
    bool outside = actor->entityNumber < 0;
    if (outside) {
        actor->SetPosition(spot);
        if (gGameServices->AddEntity(actor) == -1)
            return false;
    }
    // The one let go leaves the house as a disbanded member does: it fades away.
    for (int32_t slot = 0; dismissed && slot < GetRecruitSlots(); ++slot) {
        if (GetRecruitRecord(slot) != dismissed)
            continue;
        if (Actor* leaving = dismissed->GetActor()) {
            LeaveParty(*leaving);
            leaving->FadeOutAndDelete(kGuardFadeSeconds);
        }
        RemoveRecruit(slot);
        break;
    }
    AddRecruit(*actor);
    if (!outside)
        actor->Warp(spot);
    actor->homePosition = actor->position;
    actor->homeSet = true;
    int32_t level = actor->stats.Get(CharacterStat::Level);
    const char* ending = gLocSystem && gLocSystem->AddsRankEndings() ? gLocSystem->GetRankEnding(level) : "";
    std::string className = actor->GetClass() ? actor->GetClass()->name : std::string();
    std::string covenant = gCovenantHost ? gCovenantHost->GetCovenantText(index) : GetName();
    gGameServices->SendMessage(MakeLocToken("RecruitedWanderingRecruit", "%s %s %d %s %s", covenant.c_str(),
                                            actor->GetName().c_str(), level, ending, className.c_str()),
                               kNewsMessageKind);
    return true;
}
