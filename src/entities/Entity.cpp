// Entity -- the host's base of every simulated object: record loading, hit points, attachments, fading and deletion, warps and its header in the game update.
#include "entities/Entity.h"

#include "core/ColorSystem.h"
#include "core/Database.h"
#include "core/DatabaseEntry.h"
#include "core/DebugSystem.h"
#include "core/Event.h"
#include "core/FileSystem.h"
#include "core/EventSystem.h"
#include "core/MathUtil.h"
#include "core/MessageBuffer.h"
#include "core/ScratchList.h"
#include "core/StringUtil.h"
#include "core/TypeRegistry.h"
#include "entities/EntityCovenant.h"
#include "entities/GameServices.h"
#include "resources/ResourceManager.h"
#include "resources/models/Animation.h"
#include "rules/GameData.h"
#include "rules/RulesEnums.h"
#include "rules/monsters/Attachment.h"

#include <algorithm>
#include <cmath>
#include <memory>

int Entity::deleteEventId = -1;
int Entity::fadeToEventId = -1;
EventClass* Entity::eventClass = nullptr;

Entity::Entity() = default;

Entity::~Entity()
{
    Entity::FreeModel();
    DetachFromParent();
    DeleteChildren();
}

void Entity::RegisterEventClass(EventSystem& events, TypeRegistry& types)
{
    deleteEventId = events.RegisterEvent(kDeleteEvent);
    fadeToEventId = events.RegisterEvent(kFadeToEvent);
    eventClass = types.RegisterType("Entity", "Listener", nullptr, nullptr);
    Listener::Subscribe(eventClass, deleteEventId, &Entity::OnDeleteEvent);
    Listener::Subscribe(eventClass, fadeToEventId, &Entity::OnFadeToEvent);
}

EventClass* Entity::GetEventClass() const
{
    return eventClass ? eventClass : Listener::GetEventClass();
}

// ---- Loading ---------------------------------------------------------------------------------

void Entity::Load(const DatabaseEntry* record)
{
    if (!record)
        return;
    LoadLooks(record);
    std::string useEffect = record->GetString("UseStatusEffect");
    useStatusEffect = useEffect.empty() || !gDatabase ? nullptr : gDatabase->FindEntryByName(useEffect);
    radius = record->GetFloat("Radius", 0.0f);
    solidType = GetSolidTypeByName(record->GetString("SolidType"));
    lightColor = ParseColor(record->GetString("LightColor"));
    lightFalloff = record->GetFloat("LightFalloff", 0.0f);
    LoadFlags(record);
}

void Entity::LoadLooks(const DatabaseEntry* record)
{
    if (!modelPreset)
        LoadModels(record->GetString("ModelName"));
    std::string direction = record->GetString("InitDirection");
    if (!direction.empty())
        facing = GetDirectionByName(direction);
    float recordScale = record->GetFloat("Scale", 0.0f);
    if (recordScale != 0.0f)
        scale = recordScale;
}

void Entity::LoadFlags(const DatabaseEntry* record)
{
    blocksSight = record->GetInt("BlocksSight") != 0;
    if (record->GetInt("Hidden") != 0)
        flags |= EntityFlag::Hidden;
    if (record->GetInt("HideModel") != 0)
        flags |= EntityFlag::HideModel;
}

// ---- Base behaviour of the replaceable operations ------------------------------------------

void Entity::SetPosition(const WorldPos& newPosition)
{
    if (gGameServices)
        gGameServices->MoveInGrid(this, position, newPosition);
    EntityBase::SetPosition(newPosition);
}

void Entity::FreeModel()
{
    model.Reset();
    modelName.clear();
}

void Entity::ResolveModel(const std::string& path, ResourceHandle& out)
{
    LoadResource(path, out);
}

void Entity::LoadResource(const std::string& path, ResourceHandle& out)
{
    if (!gResourceManager)
        return;
    gResourceManager->Load(path, out);
    if (out.IsValid() && gGameServices)
        gGameServices->RegisterResourceName(out, path);
}

void Entity::Update(float seconds)
{
    EntityBase::Update(seconds);
    entityState = 0;
}

int32_t Entity::GetStat(int32_t stat) const
{
    // A covenant's home answers its defences with the covenant's values.
    EntityCovenant* covenant = GetCovenant();
    if (!covenant || covenant->GetHomeEntity() != this)
        return 0;
    bool defence = stat == CharacterStat::Defense || stat == CharacterStat::Armor ||
                   (stat >= CharacterStat::ResistancePhysical && stat <= CharacterStat::ResistanceMagic);
    return defence ? covenant->GetHomeStat(stat) : 0;
}

void Entity::TakeDamage(int32_t amount, Entity*, bool, bool)
{
    if ((maxHealth > 0 && health <= 0) || (flags & EntityFlag::Invulnerable))
        return;
    int64_t left = std::max<int64_t>(0, static_cast<int64_t>(health) - amount);
    // A negative amount heals, but never past the maximum.
    if (amount < 0)
        left = std::min<int64_t>(left, std::max(maxHealth, health));
    if ((flags & EntityFlag::DeathPrevented) && left <= 0) {
        left = maxHealth;
        if (gDebugSystem)
            gDebugSystem->PlayBeep();
    }
    health = static_cast<int32_t>(left);
}

int32_t Entity::Heal(int32_t amount, Entity*, bool show)
{
    if (maxHealth > 0 && health <= 0)
        return 0;
    int64_t raised = std::max<int64_t>(0, static_cast<int64_t>(health) + amount);
    int64_t gained = amount;
    if (raised > maxHealth) {
        gained = static_cast<int64_t>(maxHealth) - health;
        raised = maxHealth;
    }
    health = static_cast<int32_t>(raised);
    // The line shows the amount asked for, not the amount gained: kept as the clients expect it.
    if (show && gained >= 1 && gGameServices)
        gGameServices->QueueClientCommand(StringFormat("dmg %d +%d", entityNumber, amount));
    return static_cast<int32_t>(gained);
}

void Entity::OnUsedBy(Entity* user)
{
    if (useStatusEffect && user)
        user->AddStatusEffect(useStatusEffect, nullptr, 1);
}

void Entity::OnUseEnded(Entity* user)
{
    if (useStatusEffect && user)
        user->RemoveStatusEffect(useStatusEffect);
}

void Entity::PrintInfo() const
{
    DebugSystem::Print(0, "Health %d/%d\n", health, maxHealth);
    const Animation* record = GetAnimationRecord(anim);
    if (record)
        DebugSystem::Print(0, "Anim name: %s\n", record->name.c_str());
}

bool Entity::BlocksEntity(const Entity*) const
{
    if (alwaysBlocks)
        return true;
    Entity* parent = GetParent();
    return parent && parent->alwaysBlocks;
}

void Entity::GetAnchorPosition(WorldPos& out) const
{
    out = WorldPos();
}

void Entity::Warp(const WorldPos& target)
{
    // A target on no level, on a level the world does not know, or not a number leaves the
    // entity where it is: a warp must never strand it on level -1.
    if (target.level < 0 || !std::isfinite(target.x) || !std::isfinite(target.y) || !(gGameServices && gGameServices->IsKnownLevel(target.level)))
        return;
    WorldPos landing = target;
    if (gGameServices && gGameData) {
        SpawnSearch search;
        search.entity = this;
        search.solidMask = 7;
        WorldPos found;
        if (gGameServices->FindSpawnPosition(target, gGameData->GetTuning().warpRings, search, false, found))
            landing = found;
    }
    SetPosition(landing);
    SetMoveTarget(landing);
}

void Entity::OnAddedToGame()
{
    for (SafePointer& child : children)
        if (Entity* attached = child.GetAs<Entity>())
            attached->parentNumber = entityNumber;
}

// ---- Shared operations -------------------------------------------------------------------

EntityCovenant* Entity::GetCovenant() const
{
    return gGameServices ? gGameServices->GetCovenant(covenantIndex) : nullptr;
}

float Entity::GetHealthFraction() const
{
    return maxHealth < 1 ? 1.0f : static_cast<float>(health) / static_cast<float>(maxHealth);
}

Entity* Entity::GetParent() const
{
    return gGameServices ? gGameServices->GetEntity(parentNumber) : nullptr;
}

int32_t Entity::RelativeDirectionTo(const Entity& other) const
{
    float angle = Vector2Angle(position.DeltaTo(other.position)) - DirectionToAngle(facing);
    return AngleToDirection(angle);
}

void Entity::QueueWorldEvent(std::string_view name, float eventRadius, float value) const
{
    if (!gGameServices)
        return;
    WorldEventRequest& request = gGameServices->worldEventScratch;
    request.name.assign(name);
    request.entityNumber = entityNumber;
    request.position = position;
    request.radius = eventRadius;
    request.value = value;
    gGameServices->QueueWorldEvent(request);
}

float Entity::AnimationDuration(std::string_view name) const
{
    const Animation* record = FindAnimationRecord(name);
    return record ? record->GetDuration() : 0.0f;
}

bool Entity::ReadEntityPlacement(MessageBuffer& buffer, WorldPos& where, int32_t& number, std::string& name)
{
    WorldPos read;
    read.level = buffer.ReadInt();
    read.x = buffer.ReadFloat();
    read.y = buffer.ReadFloat();
    int32_t readNumber = buffer.ReadInt();
    std::string readName = buffer.ReadString();
    if (buffer.Overrun() || !std::isfinite(read.x) || !std::isfinite(read.y))
        return false;
    where = read;
    number = readNumber;
    name = std::move(readName);
    return true;
}

// ---- Fading and deletion -------------------------------------------------------------------

void Entity::FadeTo(float targetAlpha, float seconds)
{
    if (gGameServices)
        gGameServices->CancelTimedActions(fadeToEventId, this);
    if (seconds <= 0.0f) {
        alpha = targetAlpha;
        return;
    }
    float difference = targetAlpha - alpha;
    if (difference == 0.0f)
        return;
    // A step lost to rounding would never arrive: the fade also ends after its count of steps.
    int32_t steps = std::max(1, CeilToInt(seconds / kFadeStep));
    ScheduleFadeStep(targetAlpha, difference * kFadeStep / seconds, steps);
}

void Entity::FadeOutAndDelete(float seconds)
{
    FadeTo(0.0f, seconds);
    ScheduleDelete(seconds);
}

void Entity::ScheduleDelete(float seconds)
{
    if (!gGameServices || !gEventSystem || deleteEventId < 0)
        return;
    gGameServices->ScheduleTimedAction(this, gEventSystem->MakeEvent(deleteEventId), std::max(0.0f, seconds));
}

void Entity::ScheduleFadeStep(float target, float step, int32_t stepsLeft)
{
    if (!gGameServices || !gEventSystem || fadeToEventId < 0)
        return;
    Event* event = gEventSystem->MakeEvent(fadeToEventId);
    event->params.WriteFloat(target);
    event->params.WriteFloat(step);
    event->params.WriteInt(stepsLeft);
    gGameServices->ScheduleTimedAction(this, event, kFadeStep);
}

void Entity::OnFadeToEvent(Event& event)
{
    event.params.SetReadPos(0);
    float target = event.params.ReadFloat();
    float step = event.params.ReadFloat();
    int32_t stepsLeft = event.params.ReadInt() - 1;
    float next = alpha + step;
    bool arrived = (step < 0.0f && next <= target) || (step > 0.0f && next >= target) || stepsLeft <= 0 ||
                   !std::isfinite(next);
    if (arrived) {
        alpha = target;
        return;
    }
    ScheduleFadeStep(target, step, stepsLeft);
    alpha = std::clamp(next, 0.0f, 1.0f);
}

void Entity::OnDeleteEvent(Event&)
{
    if (gGameServices)
        gGameServices->RemoveEntity(this);
    // A shown effect's entity goes back to the game's spares, ready for the next effect.
    if (spareAfterDelete && gGameServices)
        gGameServices->KeepSpareModelEntity(this);
    else
        delete this;
}

void Entity::Renew()
{
    std::string keptName = std::move(modelName);
    keptName.clear();
    std::destroy_at(this);
    Entity* fresh = std::construct_at(this);
    fresh->modelName = std::move(keptName);
}

// ---- Attachments ---------------------------------------------------------------------------

Entity* Entity::CreateAttachment(const DatabaseEntry* record, Entity* parent, std::string_view modelName,
                                 std::string_view tagName, float newScale)
{
    if (!gGameServices)
        return nullptr;
    auto* child = new Entity();
    child->LoadModels(modelName);
    child->scale = newScale;
    if (record && record != child->GetEntry())
        child->SetEntry(record);
    if (gGameServices->AddEntity(child) == -1) {
        delete child;
        return nullptr;
    }
    child->AttachTo(parent, tagName);
    return child;
}

void Entity::AttachTo(Entity* parent, std::string_view tagName)
{
    DetachFromParent();
    if (!parent)
        return;
    parentNumber = parent->entityNumber;
    parentTag = parent->GetTagIndex(tagName);
    parent->children.emplace_back(this);
}

void Entity::AttachTemporary(Entity* parent, std::string_view modelName, std::string_view tagName, float seconds)
{
    if (modelName.empty())
        return;
    Entity* child = CreateAttachment(nullptr, parent, modelName, tagName, 1.0f);
    if (!child)
        return;
    // Mended: the child was flagged HideModel, which no client draws, so no use, level-up or
    // heal effect was ever seen.
    child->ScheduleDelete(seconds);
}

bool Entity::RemoveAttachment(std::string_view tagName, std::string_view modelName)
{
    int32_t tag = GetTagIndex(tagName);
    std::string path(modelName);
    if (!path.empty())
        FileSystem::PrefixPath(path, PathBase("Models"));
    for (auto it = children.begin(); it != children.end(); ++it) {
        Entity* child = it->GetAs<Entity>();
        if (!child || child->parentTag != tag || !StringEqualsNoCase(child->modelName, path))
            continue;
        children.erase(it);
        child->ScheduleDelete(0.0f);
        return true;
    }
    return false;
}

void Entity::AddAttachmentsFromRecord(const DatabaseEntry* record)
{
    if (!record || !gGameData)
        return;
    std::vector<std::string> names;
    record->GetStringList("Attachment", names, true, false);
    std::vector<const Attachment*> list;
    for (const std::string& name : names)
        list.push_back(gGameData->FindAttachment(name));
    AddAttachments(list);
}

void Entity::AddAttachments(const std::vector<const Attachment*>& list)
{
    for (const Attachment* attachment : list)
        if (const Attachment::Alternative* pick = attachment ? attachment->PickRandom() : nullptr)
            CreateAttachment(pick->record, this, pick->modelName, pick->tagName, pick->scale);
}

void Entity::RemoveAttachmentsFromRecord(const DatabaseEntry* record)
{
    if (!record || !gGameData)
        return;
    std::vector<std::string> names;
    record->GetStringList("Attachment", names, true, false);
    for (const std::string& name : names) {
        const Attachment* attachment = gGameData->FindAttachment(name);
        if (!attachment)
            continue;
        // The alternative that was picked is not remembered: the first one still hanging goes.
        for (const Attachment::Alternative& alternative : attachment->alternatives)
            if (RemoveAttachment(alternative.tagName, alternative.modelName))
                break;
    }
}

void Entity::DetachFromParent()
{
    // Hung on nothing: the services are not asked (a spare goes as the services themselves end).
    if (parentNumber < 0)
        return;
    if (Entity* parent = GetParent()) {
        auto& siblings = parent->children;
        auto it = std::find_if(siblings.begin(), siblings.end(),
                               [this](const SafePointer& child) { return child.Get() == this; });
        if (it != siblings.end())
            siblings.erase(it);
    }
    parentNumber = -1;
    parentTag = -1;
}

void Entity::DeleteChildren()
{
    std::vector<Entity*> doomed;
    for (SafePointer& child : children) {
        Entity* attached = child.GetAs<Entity>();
        if (!attached)
            continue;
        attached->parentNumber = -1;
        attached->parentTag = -1;
        if (gGameServices)
            gGameServices->RemoveEntity(attached);
        doomed.push_back(attached);
    }
    children.clear();
    for (Entity* attached : doomed)
        delete attached;
}

// ---- Warps and the game update -------------------------------------------------------------

void Entity::WarpEntityNear(Entity& entity, const WorldPos& target)
{
    WorldPos landing = target;
    if (gGameServices) {
        SpawnSearch search;
        search.entity = &entity;
        gGameServices->FindSpawnPosition(target, kWarpNearRings, search, true, landing);
    }
    entity.Warp(landing);
}

void Entity::WriteNetHeader(MessageBuffer& buffer) const
{
    buffer.WriteInt(entityNumber);
    const DatabaseEntry* shown = GetNetRecord();
    buffer.WriteInt(shown ? shown->GetId() : -1);
    buffer.WriteUInt(flags);
    buffer.WriteBool(netFlag);
    buffer.WriteInt(covenantIndex);
    for (const WorldPos* where : {&position, &moveTarget}) {
        buffer.WriteInt(where->level);
        buffer.WriteFloat(where->x);
        buffer.WriteFloat(where->y);
    }
    buffer.WriteInt(parentNumber);
    buffer.WriteInt(parentTag);
    for (float value : {lightColor.r, lightColor.g, lightColor.b, lightFalloff, lightOffset[0], lightOffset[1]})
        buffer.WriteFloat(value);
    buffer.WriteInt(model.GetValue());
    for (int32_t value : {health, maxHealth, anim, mode, playCount, facing})
        buffer.WriteInt(value);
    buffer.WriteFloat(GetScale());
    buffer.WriteFloat(GetAlpha());
    buffer.WriteUInt(static_cast<uint32_t>(visualFlags.size()));
    for (bool flag : visualFlags)
        buffer.WriteBool(flag);
    buffer.WriteBool(alwaysBlocks);
    ScratchList<NetObject> objects;
    CollectNetObjects(*objects);
    buffer.WriteInt(static_cast<int32_t>(objects->size()));
    for (const NetObject& object : *objects) {
        buffer.WriteInt(object.recordId);
        buffer.WriteInt(object.instanceId);
    }
}

void Entity::OnDamagePart(int32_t, int32_t) {}

void Entity::OnNamedSignal(Entity*, std::string_view) {}

bool Entity::IsFree() const
{
    return parentNumber == -1;
}

void Entity::WriteSaved(MessageBuffer&) const {}

bool Entity::ReadSaved(MessageBuffer&, int32_t)
{
    return true;
}
