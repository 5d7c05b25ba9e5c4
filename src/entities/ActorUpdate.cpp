// Actor -- the step: waking near players, sensing by sight and sound, choosing behaviours, walking paths, idling and the event handlers.
#include "entities/Actor.h"

#include "core/Event.h"
#include "core/EventSystem.h"
#include "core/MathUtil.h"
#include "core/RandomSystem.h"
#include "core/Vector.h"
#include "entities/BehaviorBase.h"
#include "entities/EntityCovenant.h"
#include "entities/Skill.h"
#include "entities/SkillList.h"
#include "rules/skills/SkillDefinition.h"
#include "rules/GameData.h"
#include "world/PathFinder.h"

#include <algorithm>
#include <cmath>

namespace {

// The path finder's direction codes as cell steps: 0 north (+y), then clockwise.
constexpr int32_t kActorStepX[8] = {0, 1, 1, 1, 0, -1, -1, -1};
constexpr int32_t kActorStepY[8] = {1, 1, 0, -1, -1, -1, 0, 1};

constexpr float kActorMovedRange = 0.01f;
constexpr float kActorSenseReach = 1.5f;
constexpr float kActorSenseJitter = 0.25f;
constexpr uint32_t kActorStealthedBit = 0x400;

GridFrame ActorGrid()
{
    GridFrame grid;
    if (gGameData) {
        const GameSystemTuning& tuning = gGameData->GetTuning();
        grid.origin = {tuning.gridOffset.x, tuning.gridOffset.y};
        grid.cellSize = {tuning.gridSize.x, tuning.gridSize.y};
    } else {
        grid.cellSize = {1.0f, 1.0f};
    }
    return grid;
}

void ActorSnap(WorldPos& where)
{
    Vector2 snapped = SnapToGrid({where.x, where.y}, ActorGrid());
    where.x = snapped.x;
    where.y = snapped.y;
    where.Normalize();
}

// Two grid-snapped positions name the same cell.
bool ActorSameCell(const WorldPos& a, const WorldPos& b)
{
    Vector2 half = ActorGrid().cellSize * 0.5f;
    return a.level == b.level && std::fabs(a.x - b.x) < half.x && std::fabs(a.y - b.y) < half.y;
}

bool ActorIsStealthed(const Entity* entity)
{
    return (entity->entityState & kActorStealthedBit) != 0;
}

void ActorRestartSenses(RandomTimer& timer, float sensesTime)
{
    float jitter = 0.0f;
    if (gRandomSystem)
        jitter = (gRandomSystem->RandomFloat(RandomStream::GameData) * 2.0f - 1.0f) * kActorSenseJitter * sensesTime;
    timer.minimum = timer.maximum = timer.total = timer.remaining = std::max(0.0f, sensesTime + jitter);
    timer.running = 1;
}

// The hate a buff raises. The event carries the skill as its definition's entry id.
float ActorBuffHate(uint32_t skillWord, const Sentient& buffer)
{
    const auto* skill =
        dynamic_cast<const Skill*>(buffer.skillList->FindSkillByEntryIndex(static_cast<int32_t>(skillWord)));
    return skill && skill->definition ? skill->GetHateChange(buffer) : 0.0f;
}

int ActorUseEntityEventId()
{
    return gEventSystem ? gEventSystem->FindEvent("UseEntity") : -1;
}

float ActorLevelOf(const Entity* entity)
{
    return static_cast<float>(entity->GetStat(CharacterStat::Level));
}

} // namespace

// ---- The step --------------------------------------------------------------------------------

void Actor::Update(float seconds)
{
    Sentient::Update(seconds);
    if (IsDead()) {
        UpdateDeath();
        return;
    }
    UpdateActivity();
    if (!active)
        return;
    SenseEnemies();
    UpdateHateTarget(seconds);
    skillList->ChooseSkill(*this);
    UpdateBehaviors(seconds);
    if (gGameServices && gGameServices->IsLevelGenerated(position.level))
        Walk();
    Greet();
    FaceHome();
    Idle(false);
    FarFade();
}

void Actor::UpdateActivity()
{
    if (!activityTimer.running || activityTimer.remaining > 0.0f)
        return;
    if (gRandomSystem)
        activityTimer.Restart(*gRandomSystem);
    const EntityCovenant* covenant = GetCovenant();
    const Sentient* leader = GetLeader();
    bool leaderIsPlayer = false;
    if (leader && gGameServices) {
        const auto& players = gGameServices->GetPlayers();
        leaderIsPlayer = std::find(players.begin(), players.end(), leader) != players.end();
    }
    if (!mayGoInactive || (covenant && covenant->KeepsMemberActive(*this)) || leaderIsPlayer) {
        active = true;
        return;
    }
    const Sentient* nearest = gGameServices ? gGameServices->FindNearestPlayer(position) : nullptr;
    float distance = EntityDistance2D(this, nearest, false);
    if (!active) {
        active = distance < idleDistance;
        return;
    }
    bool idleBehaviour = !currentBehavior || currentBehavior->GetType() == BehaviorType::kSleep;
    if (idleBehaviour && distance > idleDistance) {
        active = false;
        ClearHateList();
    }
}

void Actor::SenseEnemies()
{
    if (GetCurrentTarget() || !CanAttack() || !gGameServices)
        return;
    if (sensingTimer.running && sensingTimer.remaining > 0.0f)
        return;
    ActorRestartSenses(sensingTimer, DefFloat("SensesTime"));
    gGameServices->FindEntitiesInRadius(position, this, kActorSenseReach * DefFloat("BaseAggressionRange"),
                                        RadiusFilter::Every | RadiusFilter::NotSource, gGameServices->senseScratch,
                                        false);
    for (Entity* entity : gGameServices->senseScratch)
        if (!IsSkippedBySight(entity))
            AddToHateList(entity);
}

bool Actor::IsSkippedBySight(Entity* entity) const
{
    if (!entity || entity->maxHealth < 1 || entity->health < 1)
        return true;
    if (entity->flags & (EntityFlag::Unnoticed | EntityFlag::Hidden))
        return true;
    const auto* sentient = dynamic_cast<const Sentient*>(entity);
    if (sentient && sentient->GetLeader() && (sentient->GetLeader()->flags & EntityFlag::Unnoticed))
        return true;
    int32_t relation = gGameServices->GetRelationship(entity, this);
    if (relation != 0 && relation != 1)
        return true;
    float distance = Vector2Length(position.DeltaTo(entity->position));
    float range = GetAggressionRange(entity);
    if (distance > range)
        return true;
    if (ActorIsStealthed(entity)) {
        float near = std::max(distance, 0.5f * range);
        float chance = (1.0f - near / range) * DefFloat("EnemyStealthedAggressionChance");
        if (!gRandomSystem || chance < gRandomSystem->RandomFloat(RandomStream::GameData))
            return true;
    }
    return !CanSee(entity);
}

float Actor::GetAggressionRange(const Entity* entity) const
{
    if (!entity)
        return 0.0f;
    float base = (flags & EntityFlag::Hidden) ? DefFloat("BaseHidingAggressionRange") : DefFloat("BaseAggressionRange");
    float factor = 1.0f;
    if (covenantIndex >= 0 && GetCovenant())
        factor = entity->GetCovenant() ? 1.25f : 1.0f;
    else
        factor = std::clamp(1.0f + (ActorLevelOf(this) - ActorLevelOf(entity)) / 10.0f, 0.25f, 2.0f);
    if (ActorIsStealthed(entity))
        factor *= DefFloat("EnemyStealthedAggressionMultiplier");
    if (const auto* sentient = dynamic_cast<const Sentient*>(entity)) {
        float escape = 1.0f;
        sentient->ApplyDynamicStat(DynamicStat::EscapeNotice, nullptr, escape);
        factor *= escape;
    }
    float range = base * factor;
    if (gGameServices) {
        int useEntity = ActorUseEntityEventId();
        if (useEntity >= 0 && gGameServices->FindTimedAction(useEntity, entity))
            range *= 1.5f;
        if (gGameServices->GetRelationship(this, entity) == 0)
            range *= 1.25f;
    }
    return range;
}

void Actor::AddBehavior(std::unique_ptr<BehaviorBase> behavior)
{
    if (behavior)
        behaviors.push_back(std::move(behavior));
}

void Actor::UpdateBehaviors(float seconds)
{
    for (const auto& behavior : behaviors)
        RandomTimer::UpdateList(behavior->timers, seconds);
    SelectBehavior();
    if (currentBehavior)
        currentBehavior->Think(seconds);
}

void Actor::SelectBehavior()
{
    if (currentBehavior && currentBehavior->IsLocked())
        return;
    if (currentBehavior && !currentBehavior->ContinueRunning()) {
        currentBehavior->Stop();
        currentBehavior = nullptr;
    }
    // The walk ends at the current behaviour: those below it are not asked while it goes on.
    for (const auto& behavior : behaviors) {
        if (behavior.get() == currentBehavior)
            return;
        if (!behavior->WantsToRun())
            continue;
        if (currentBehavior)
            currentBehavior->Stop();
        currentBehavior = behavior.get();
        currentBehavior->done = false;
        currentBehavior->Start();
        return;
    }
}

// ---- Movement --------------------------------------------------------------------------------

void Actor::MoveTo(const WorldPos& where)
{
    Order(where, nullptr);
}

void Actor::MoveToEntity(Entity* entity)
{
    if (!entity)
        return;
    Order(entity->position, entity);
}

void Actor::Order(const WorldPos& where, Entity* entity)
{
    WorldPos destination = where;
    ActorSnap(destination);
    // Behaviours repeat their order every step: a path still being walked to the same goal is
    // kept rather than searched again.
    bool keep = KeepsPathFor(destination, entity) || ResumesPathFor(entity);
    moveDestination = destination;
    moving = true;
    repathNeeded = repathNeeded || !keep;
    moveTargetEntity.Set(entity);
}

bool Actor::KeepsPathFor(const WorldPos& destination, const Entity* entity) const
{
    // A path walked to its end is kept too: the walk gives the arrival.
    if (!moving || repathNeeded || !pathMemo.valid || entity != moveTargetEntity.GetAs<Entity>())
        return false;
    if (ActorSameCell(destination, pathMemo.goal))
        return true;
    if (!entity)
        return false;
    // A target on the move is followed along the path made for where it was, for a while, and
    // from afar until it has moved a good part of the way: the first steps would be the same.
    double now = gGameServices ? gGameServices->GetGameTime() : 0.0;
    if (now - pathMemo.time < kRepathSeconds)
        return true;
    float moved = Vector2Length(pathMemo.goal.DeltaTo(destination));
    return moved < kRepathShare * Vector2Length(position.DeltaTo(destination));
}

bool Actor::ResumesPathFor(const Entity* entity)
{
    // Behaviours that take turns stop a chase and order it again at once: the stopped path
    // is taken up again rather than searched anew.
    double now = gGameServices ? gGameServices->GetGameTime() : 0.0;
    if (moving || repathNeeded || !entity || !pathMemo.valid || !pathMemo.hadSteps || pathMemo.arrived ||
        entity != pathMemo.entity.GetAs<Entity>() || now - pathMemo.time >= kRepathSeconds)
        return false;
    path = stoppedPath;
    stoppedPath.count = 0;
    return true;
}

void Actor::StopMoving()
{
    stoppedPath = path;
    moving = false;
    repathNeeded = false;
    path.count = 0;
    moveTargetEntity.Clear();
}

bool Actor::CanReach(const Entity* target)
{
    double now = gGameServices ? gGameServices->GetGameTime() : 0.0;
    // The reach answer is itself kept about a second, so a move search as recent answers too.
    if (pathMemo.valid && pathMemo.found && target == pathMemo.entity.GetAs<Entity>() && now - pathMemo.time < kReachMaxSeconds)
        return true;
    if (gPathFinder && gPathFinder->EndsAtStart(this, position, target->position, target))
        return true;
    ++pathSearches;
    return gGameServices && gGameServices->FindPath(*this, position, target->position, target, nullptr);
}

bool Actor::ReplaySearch(const WorldPos& from, const WorldPos& goal, const Entity* toward)
{
    double now = gGameServices ? gGameServices->GetGameTime() : 0.0;
    if (!pathMemo.valid || now - pathMemo.time >= kRepathSeconds || toward != pathMemo.entity.GetAs<Entity>())
        return false;
    // A target on the move is searched for at most every kRepathSeconds: until then the last
    // answer stands, a path walked to its end standing for an arrival.
    if (toward)
        return !pathMemo.found || !pathMemo.hadSteps || pathMemo.arrived;
    // Only an answer without steps is replayed: a path with steps is walked, not asked again.
    return !pathMemo.hadSteps && ActorSameCell(from, pathMemo.from) && ActorSameCell(goal, pathMemo.goal);
}

bool Actor::SearchPath(const WorldPos& from)
{
    repathNeeded = false;
    const Entity* toward = moveTargetEntity.GetAs<Entity>();
    const WorldPos& target = toward ? toward->position : moveDestination;
    WorldPos start = from;
    WorldPos goal = target;
    ActorSnap(start);
    ActorSnap(goal);
    bool found = pathMemo.found;
    if (ReplaySearch(start, goal, toward)) {
        path.count = 0;
    } else {
        // Standing within reach needs no search.
        found = gPathFinder && gPathFinder->EndsAtStart(this, from, target, toward);
        if (found)
            path.count = 0;
        else
            ++pathSearches;
        found = found || (gGameServices && gGameServices->FindPath(*this, from, target, toward, &path));
        pathMemo.from = start;
        pathMemo.goal = goal;
        pathMemo.entity.Set(toward ? moveTargetEntity.Get() : nullptr);
        pathMemo.time = gGameServices ? gGameServices->GetGameTime() : 0.0;
        pathMemo.valid = true;
        pathMemo.found = found;
        pathMemo.hadSteps = found && path.count > 0;
        pathMemo.arrived = false;
        pathFresh = true;
    }
    if (!found) {
        path.count = 0;
        moving = false;
        Notify(ActorNotice::kPathFailed, nullptr);
    }
    return found;
}

bool Actor::TakeNextWaypoint(const WorldPos& from)
{
    int32_t code = path.steps[static_cast<size_t>(std::clamp(path.cursor, 0, PathRecord::kMaxSteps - 1))] & 7;
    GridFrame grid = ActorGrid();
    currentWaypoint = from;
    currentWaypoint.x += static_cast<float>(kActorStepX[code]) * grid.cellSize.x;
    currentWaypoint.y += static_cast<float>(kActorStepY[code]) * grid.cellSize.y;
    currentWaypoint.Normalize();
    currentPathCell = code;
    if (++path.cursor >= path.count)
        path.count = 0;
    if (!HasClearLineFrom(currentWaypoint)) {
        // A kept path may have been crossed since it was made: a new one goes round (a failed
        // search has given its own notice).
        if (!pathFresh && moving)
            return SearchPath(from) && path.count > 0 && TakeNextWaypoint(from);
        moving = false;
        Notify(ActorNotice::kPathFailed, nullptr);
        return false;
    }
    FaceTowards(currentWaypoint, false);
    headingToWaypoint = true;
    return true;
}

void Actor::Walk()
{
    float step = (gGameServices ? gGameServices->GetStepLength() : 0.0f) * GetMovementSpeed();
    WorldPos where = position;
    pathFresh = false;
    if (waypointReached && repathNeeded)
        SearchPath(where);
    bool moved = false;
    while (step > 0.0f) {
        if (!headingToWaypoint) {
            if (path.count < 1) {
                pathMemo.arrived = true;
                if (moving)
                    Notify(ActorNotice::kArrived, nullptr);
                moving = false;
                repathNeeded = false;
                path.count = 0;
                moveTargetEntity.Clear();
                break;
            }
            if (!waypointReached || !TakeNextWaypoint(where))
                break;
        }
        WorldPos target = currentWaypoint;
        target.ToLevelFrame(where.level);
        Vector2 delta{target.x - where.x, target.y - where.y};
        float length = Vector2Length(delta);
        float travelled = std::min(length, step);
        if (length > 0.0f) {
            where.x += delta.x / length * travelled;
            where.y += delta.y / length * travelled;
        }
        where.Normalize();
        moved = moved || travelled > 0.0f;
        if (length <= step) {
            headingToWaypoint = false;
            waypointReached = true;
            step -= length;
            ActorSnap(where);
            if (repathNeeded)
                SearchPath(where);
        } else {
            waypointReached = false;
            step = 0.0f;
        }
    }
    SetPosition(where);
    if (moved) {
        PlayAnimation("walk", 5, AnimationMode::Loop, false);
        return;
    }
    if (stanceWord == 3) {
        stanceWord = 1;
        RecalculateStats(false);
    }
    if (IsPlayingAnimation("walk"))
        StopAnimation("walk");
}

void Actor::SetPosition(const WorldPos& newPosition)
{
    if (!position.IsWithinRange(newPosition, kActorMovedRange))
        Notify(ActorNotice::kMoved, nullptr);
    Sentient::SetPosition(newPosition);
    if (!positioned) {
        positioned = true;
        if (!homeSet)
            homePosition = newPosition;
    }
}

void Actor::Warp(const WorldPos& target)
{
    Sentient::Warp(target);
    StopMoving();
    stoppedPath.count = 0;
    headingToWaypoint = false;
    waypointReached = true;
}

void Actor::RegisterPathBlockers(PathFinder& finder, const Vector2& halfSizes, int32_t solidTypeMask) const
{
    if (!gGameServices)
        return;
    // Kept between searches, one list for every actor: a search allocates nothing once warm.
    static thread_local std::vector<int32_t> numbers;
    numbers.clear();
    gGameServices->CollectEntitiesNear(position, Vector2Length(halfSizes), false, numbers);
    for (int32_t number : numbers) {
        const Entity* other = gGameServices->GetEntity(number);
        if (!other || other == this || !other->netFlag || other->solidType < 0 || other->solidType > 30)
            continue;
        if ((solidTypeMask & (1 << other->solidType)) == 0)
            continue;
        if (position.IsWithinExtents(other->position, halfSizes.x, halfSizes.y))
            finder.AddNearbyEntity(other);
    }
}

bool Actor::IsNearestPlayerWithin(float range) const
{
    const Sentient* nearest = gGameServices ? gGameServices->FindNearestPlayer(position) : nullptr;
    if (!nearest)
        return false;
    WorldPos there = nearest->position;
    there.ToLevelFrame(position.level);
    return std::hypot(there.x - position.x, there.y - position.y) <= range;
}

void Actor::SnapToWorldGrid(WorldPos& where)
{
    ActorSnap(where);
}

// ---- Looks -----------------------------------------------------------------------------------

void Actor::Idle(bool flag)
{
    if (flags & EntityFlag::Hidden)
        PlayAnimation("idleHiding", flag ? 1 : 3, AnimationMode::Loop, false);
    else
        PlayAnimation("idle", flag ? 1 : 2, AnimationMode::Loop, false);
}

void Actor::Greet()
{
    if (!FacesPlayer() || !gGameServices || gGameServices->GetPlayers().empty())
        return;
    const Sentient* player = gGameServices->GetPlayers().front();
    if (!player || player->GetSelectedEntity() != this)
        return;
    if (EntityDistance2D(this, player, false) >= DefFloat("MaxLookAtDistance") || !CanTurn())
        return;
    if (currentBehavior && currentBehavior->GetType() > BehaviorType::kIdle)
        return;
    FaceEntity(player, false);
}

void Actor::FaceHome()
{
    const EntityCovenant* covenant = GetCovenant();
    if (!covenant)
        return;
    bool alone = npc && !GetLeader() && !FirstCompanion();
    if (!guard && !alone)
        return;
    if (currentBehavior && currentBehavior->GetType() > BehaviorType::kIdle)
        return;
    if (const Entity* home = covenant->GetHomeEntity())
        FaceEntity(home, !guard);
}

void Actor::FarFade()
{
    float invisible = DefFloat("InvisibleDistance");
    if (invisible <= 0.0f)
        return;
    Entity* nearest = FindNearestHated();
    if (!nearest)
        return;
    float wanted = EntityDistance2D(this, nearest, false) <= invisible ? DefFloat("Alpha", 1.0f) : 0.0f;
    if (alpha != wanted)
        FadeTo(wanted, kFarFadeSeconds);
}

void Actor::PlayActorSound(const std::string& name) const
{
    if (name.empty() || !gGameServices)
        return;
    WorldEventRequest request;
    request.name = name;
    request.entityNumber = entityNumber;
    request.position = position;
    request.radius = kActorSoundRadius;
    gGameServices->QueueWorldEvent(request);
}

// ---- Being attacked and the event handlers ---------------------------------------------------

void Actor::OnAttackedBy(Entity* attacker)
{
    if (attacker == this)
        return;
    Sentient* leader = GetLeader();
    (leader ? leader : this)->AlertParty(attacker);
    Notify(SentientNotice::kAttacked, attacker);
    AddToHateList(attacker);
    if (!gGameServices)
        return;
    gGameServices->CallForHelp(*this, attacker, GetAggressionRange(attacker));
    if (questFigure)
        gGameServices->OnQuestFigureAttacked(*this, attacker);
}

void Actor::OnEnemyHealed(Event& event)
{
    event.params.SetReadPos(0);
    auto* healed = dynamic_cast<Sentient*>(event.ReadEntity());
    auto* healer = dynamic_cast<Sentient*>(event.ReadEntity());
    int32_t amount = event.params.ReadInt();
    if (healed && healer && healed != healer && IsHostile(healed))
        AddHate(healer, static_cast<float>(amount), 2);
}

void Actor::OnEnemyBuffed(Event& event)
{
    event.params.SetReadPos(0);
    auto* buffed = dynamic_cast<Sentient*>(event.ReadEntity());
    auto* buffer = dynamic_cast<Sentient*>(event.ReadEntity());
    uint32_t skillWord = event.params.ReadUInt();
    if (!buffed || !buffer || !IsHostile(buffed))
        return;
    float hate = ActorBuffHate(skillWord, *buffer);
    if (hate > 0.0f)
        AddHate(buffer, hate, 4);
}

void Actor::OnPassToBehavior(Event& event)
{
    if (!currentBehavior)
        return;
    event.params.SetReadPos(0);
    currentBehavior->HandleEvent(event);
}

void Actor::OnHeardSound(Event& event)
{
    event.params.SetReadPos(0);
    auto* source = dynamic_cast<Sentient*>(event.ReadEntity());
    if (!source || !CanAttack() || !gGameServices)
        return;
    int32_t relation = gGameServices->GetRelationship(source, this);
    if (relation != 0 && relation != 1)
        return;
    if (hearingTimer.running && hearingTimer.remaining > 0.0f)
        return;
    ActorRestartSenses(hearingTimer, DefFloat("SensesTime"));
    if (!IsHostile(source) && CanReach(source))
        AddToHateList(source);
}

void Actor::OnEnemyKilled(Event& event)
{
    event.params.SetReadPos(0);
    RemoveFromHateList(dynamic_cast<Entity*>(event.ReadEntity()));
}

void Actor::OnOfferQuest(Event&)
{
    if (gGameServices)
        gGameServices->OfferNpcQuest(*this, nullptr);
}
