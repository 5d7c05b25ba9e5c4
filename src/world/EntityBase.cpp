// EntityBase -- what host and client entities share: place, facing, model with its priority-driven animation player, light, health pair.
#include "world/EntityBase.h"

#include "core/FileSystem.h"
#include "core/MathUtil.h"
#include "core/StringUtil.h"
#include "core/Vector.h"
#include "resources/ResourceManager.h"
#include "resources/models/Animation.h"
#include "resources/models/MeshResource.h"
#include "resources/models/ModelResource.h"
#include "resources/models/SkeletonResource.h"
#include "rules/GameData.h"
#include "rules/monsters/MonsterType.h"

#include <algorithm>
#include <cmath>

EntityBase::EntityBase() = default;

// The model handle releases its reference itself, and only while the manager exists.
EntityBase::~EntityBase() = default;

void EntityBase::SetPosition(const WorldPos& newPosition)
{
    position.level = newPosition.level;
    position.x = newPosition.x;
    position.y = newPosition.y;
}

void EntityBase::SetGridPosition(const WorldPos& newPosition)
{
    gridPosition.level = newPosition.level;
    GridFrame grid;
    if (gGameData) {
        const GameSystemTuning& tuning = gGameData->GetTuning();
        grid.origin = {tuning.gridOffset.x, tuning.gridOffset.y};
        grid.cellSize = {tuning.gridSize.x, tuning.gridSize.y};
    } else {
        grid.cellSize = {1.0f, 1.0f};
    }
    Vector2 snapped = SnapToGrid({newPosition.x, newPosition.y}, grid);
    gridPosition.x = snapped.x;
    gridPosition.y = snapped.y;
    gridPosition.Normalize();
}

void EntityBase::ResolveModel(const std::string&, ResourceHandle&) {}

void EntityBase::Update(float seconds)
{
    RandomTimer::UpdateList(timers, seconds);
    if (anim == -1 && IsModelLoaded())
        PlayIdle();
    AdvanceAnimation(seconds);
}

int32_t EntityBase::GetStat(int32_t) const
{
    return 0;
}

void EntityBase::OnAnimationEvent(int32_t, int32_t, int32_t) {}

void EntityBase::PlayIdle()
{
    PlayAnimation("idle", AnimationPriority::kIdle, AnimationMode::Loop, false);
}

void EntityBase::LoadModels(std::string_view name)
{
    if (name.empty())
        return;
    // Without a model there is no name to compare with: the new one is built where it is kept,
    // so a fresh or renewed entity's model costs no new string once the room is there.
    std::string path;
    std::string& built = model.IsValid() ? path : modelName;
    built.assign(name);
    FileSystem::PrefixPath(built, PathBase("Models"));
    if (model.IsValid() && StringEqualsNoCase(modelName, path))
        return;
    ResourceHandle resolved;
    ResolveModel(built, resolved);
    SetModel(resolved);
    if (&built == &path)
        modelName = path;
}

void EntityBase::HideTypeSurfaces(const MonsterType& type)
{
    for (std::span<const int32_t> list : type.GetHiddenSurfaces())
        for (int32_t surface : list)
            SetSurfaceShown(surface, false);
}

void EntityBase::SetModel(const ResourceHandle& handle)
{
    if (handle.GetValue() == model.GetValue())
        return;
    if (lastAnim != -1)
        OnAnimationEvent(lastAnim, AnimationSignal::Ended, -1);
    model = handle;
    blendAnim = -1;
    blendFrame = 0.0f;
    anim = -1;
    frame = 0.0f;
    lastAnim = -1;
}

bool EntityBase::PlayAnimation(std::string_view name, int32_t newPriority, int32_t newMode, bool restart)
{
    if (name.empty() || !model.IsValid())
        return false;
    int32_t index = GetAnimationIndex(name);
    return index >= 0 && SetAnimationIndex(index, newPriority, newMode, restart, false);
}

bool EntityBase::SetAnimationIndex(int32_t index, int32_t newPriority, int32_t newMode, bool restart, bool interruptible)
{
    // A missing model or an index outside its list leaves the player as it was.
    const Animation* record = GetAnimationRecord(index);
    if (!record)
        return false;
    if (index == anim && !restart) {
        if (newPriority > priority && newPriority != AnimationPriority::kAlwaysWins)
            priority = newPriority;
        mode = newMode;
        return false;
    }
    if (interruptible && (priority < AnimationPriority::kGuardedLow || priority > AnimationPriority::kGuardedHigh))
        restart = true;
    bool accepted = newPriority > priority || priority == AnimationPriority::kGivesWay || restart ||
                    newPriority == AnimationPriority::kAlwaysWins || anim == -1;
    if (!accepted)
        return false;
    priority = newPriority;
    if (index != anim || restart || newPriority == AnimationPriority::kAlwaysWins)
        StartAnimation(index, *record);
    ++playCount;
    mode = newMode;
    finished = false;
    holding = false;
    return true;
}

void EntityBase::StartAnimation(int32_t index, const Animation& record)
{
    if (anim != -1 && !justStarted) {
        blendAnim = anim;
        blendFrame = frame;
    }
    frame = 0.0f;
    anim = index;
    frameCount = record.GetFrameCount();
    speed = record.frameRate;
    scalesWithMovement = record.matchMoveSpeed;
    if (record.matchAttackSpeed) {
        // Stretched so that the whole animation lasts one attack (AttackSpeed is in milliseconds).
        float t = static_cast<float>(GetStat(CharacterStat::AttackSpeed)) * 0.001f * speed;
        if (t > 0.0f)
            speed = static_cast<float>(frameCount) / t * speed;
    }
    if (scalesWithMovement)
        referenceSpeed = record.GetMoveSpeed();
    justStarted = true;
}

void EntityBase::ReturnToIdle()
{
    if (anim != -1 && !justStarted) {
        blendAnim = anim;
        blendFrame = frame;
    }
    anim = -1;
    priority = 0;
    PlayAnimation("idle", AnimationPriority::kIdle, AnimationMode::Loop, false);
}

void EntityBase::StopAnimation(std::string_view name)
{
    int32_t index = GetAnimationIndex(name);
    if (index != -1 && index == anim)
        ReturnToIdle();
}

bool EntityBase::IsPlayingAnimation(std::string_view name) const
{
    if (name.empty())
        return false;
    const Animation* record = GetAnimationRecord(anim);
    return record && StringEqualsNoCase(record->name, name);
}

int32_t EntityBase::GetAnimationIndex(std::string_view name) const
{
    ModelResource* loaded = GetLoadedModel();
    return loaded ? loaded->PickAnimation(name) : -1;
}

// ---- Model surfaces ------------------------------------------------------------------------

int32_t EntityBase::GetSurfaceLimit() const
{
    ModelResource* loaded = GetLoadedModel();
    auto* mesh = loaded && gResourceManager ? dynamic_cast<const MeshResource*>(gResourceManager->Get(loaded->mesh)) : nullptr;
    return mesh ? std::min(mesh->GetSurfaceCount(), kMaxSwitchedSurfaces) : kMaxSwitchedSurfaces;
}

bool EntityBase::SetSurfaceShown(int32_t surface, bool shown)
{
    if (surface < 0 || surface >= GetSurfaceLimit())
        return false;
    if (static_cast<size_t>(surface) >= shownSurfaces.size())
        shownSurfaces.resize(static_cast<size_t>(surface) + 1, true);
    shownSurfaces[static_cast<size_t>(surface)] = shown;
    return true;
}

const Animation* EntityBase::GetAnimationRecord(int32_t index) const
{
    ModelResource* loaded = GetLoadedModel();
    return loaded ? loaded->GetAnimation(index) : nullptr;
}

const Animation* EntityBase::FindAnimationRecord(std::string_view name) const
{
    return GetAnimationRecord(GetAnimationIndex(name));
}

int32_t EntityBase::FindJoint(std::string_view name) const
{
    ModelResource* loaded = GetLoadedModel();
    const SkeletonResource* skeleton = loaded ? loaded->GetSkeleton() : nullptr;
    return skeleton ? skeleton->FindBone(name) : -1;
}

int32_t EntityBase::GetTagIndex(std::string_view name) const
{
    ModelResource* loaded = GetLoadedModel();
    return loaded ? loaded->FindTag(name) : -1;
}

void EntityBase::GetLight(Color& color, float& falloff) const
{
    color = lightColor;
    falloff = lightFalloff;
}

void EntityBase::FaceTowards(const WorldPos& target, bool away)
{
    int32_t direction = AngleToDirection(Vector2Angle(position.DeltaTo(target)));
    if (away)
        direction = (direction + 4) % 8;
    facing = direction;
}

void EntityBase::FaceEntity(const EntityBase* other, bool away)
{
    if (other && other != this)
        FaceTowards(other->position, away);
}

ModelResource* EntityBase::GetLoadedModel() const
{
    if (!IsModelLoaded())
        return nullptr;
    return dynamic_cast<ModelResource*>(gResourceManager->Get(model));
}

bool EntityBase::IsModelLoaded() const
{
    // The loader thread sets the flag; the manager reads it under its lock.
    return model.IsValid() && gResourceManager && gResourceManager->IsLoaded(model);
}

void EntityBase::AdvanceAnimation(float seconds)
{
    finished = false;
    if (!model.IsValid() || frozen)
        return;
    // A held animation stays put: advancing it again would report it finished every update.
    if (CanAdvanceAnimation() && anim != -1 && frameCount > 0 && !holding) {
        float step = speed * seconds;
        float movement = GetMovementSpeed();
        if (scalesWithMovement && referenceSpeed > 0.0f && movement > 0.0f)
            step *= movement / referenceSpeed;
        frame += step;
        float length = static_cast<float>(frameCount);
        if (frame >= length) {
            blendAnim = anim;
            blendFrame = length - 0.01f;
            if (mode == AnimationMode::Loop) {
                frame = std::fmod(frame, length);
            } else if (mode == AnimationMode::Hold) {
                frame = length - 0.01f;
                holding = true;
            } else {
                ReturnToIdle();
            }
            finished = true;
        }
    }
    justStarted = false;
    FireAnimationEvents();
    lastFrame = frame;
    lastAnim = anim;
    if (blendAnim == -1)
        blendAnim = anim;
}

void EntityBase::FireAnimationEvents()
{
    int32_t now = static_cast<int32_t>(std::floor(frame));
    if (anim == lastAnim) {
        if (anim == -1)
            return;
        int32_t first = static_cast<int32_t>(std::floor(lastFrame + 1.0f));
        if (lastFrame <= frame) {
            RaiseFrames(anim, first, now);
        } else {
            RaiseFrames(anim, first, frameCount - 1);
            RaiseFrames(anim, 0, now);
        }
        return;
    }
    if (lastAnim != -1)
        OnAnimationEvent(lastAnim, AnimationSignal::Ended, -1);
    if (anim != -1)
        OnAnimationEvent(anim, AnimationSignal::Started, -1);
    // A first animation reaches its frames too: else the frames of its first advance were lost,
    // more of them the longer that frame was.
    if (anim != -1)
        RaiseFrames(anim, 0, now);
}

void EntityBase::RaiseFrames(int32_t animation, int32_t first, int32_t last)
{
    for (int32_t f = first; f <= last; ++f)
        OnAnimationEvent(animation, AnimationSignal::FrameReached, f);
}

float EntityDistance2D(const EntityBase* a, const EntityBase* b, bool subtractRadii)
{
    if (!a || !b)
        return EntityBase::kNoEntityDistance;
    float distance = Vector2Length(a->position.DeltaTo(b->position));
    return subtractRadii ? distance - a->radius - b->radius : distance;
}

bool IsWithinMeleeReach(const EntityBase* attacker, const EntityBase* target)
{
    if (!attacker || !target)
        return false;
    float cell = gGameData ? gGameData->GetTuning().gridSize.x : GameSystemTuning().gridSize.x;
    return EntityDistance2D(attacker, target, true) < cell * 1.9f;
}

void EntityBase::RegisterPathBlockers(PathFinder&, const Vector2&, int32_t) const
{
}
