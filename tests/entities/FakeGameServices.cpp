// FakeGameServices -- the game as the entity tests see it: a real 1500-slot table, a manual clock, brute-force searches, recorded lines and scripted answers.
#include "entities/FakeGameServices.h"

#include "core/DebugSystem.h"
#include "core/Event.h"
#include "core/EventSystem.h"
#include "core/Vector.h"
#include "entities/Chest.h"
#include "entities/Entity.h"
#include "entities/Gate.h"
#include "entities/Inventory.h"
#include "entities/Sentient.h"
#include "entities/Torch.h"
#include "world/PathFinder.h"

#include <algorithm>
#include <cstdio>

namespace {
// Step sums in floats drift; an action within this of its time is due.
constexpr float kFakeDueTolerance = 1e-4f;
constexpr double kFakeReuseSeconds = 1.0;
} // namespace

FakeGameServices::FakeGameServices()
{
    freedAt.fill(-1e9);
}

FakeGameServices::~FakeGameServices()
{
    DestroyAll();
}

void FakeGameServices::DestroyAll()
{
    for (Entity*& slot : slots) {
        if (!slot)
            continue;
        Entity* entity = slot;
        RemoveEntity(entity);
        delete entity;
    }
    for (auto& action : actions)
        FreeAction(*action);
    actions.clear();
}

void FakeGameServices::Step()
{
    now += kStep;
    size_t count = actions.size();
    for (size_t i = 0; i < count; ++i) {
        TimedAction& action = *actions[i];
        if (action.done)
            continue;
        action.remaining -= kStep;
        if (action.remaining <= kFakeDueTolerance)
            Deliver(*actions[i]);
    }
    for (auto& action : actions)
        if (action->done)
            FreeAction(*action);
    std::erase_if(actions, [](const std::unique_ptr<TimedAction>& action) { return action->done; });
}

void FakeGameServices::StepFor(float seconds)
{
    int32_t steps = static_cast<int32_t>(seconds / kStep + 0.5f);
    for (int32_t i = 0; i < steps; ++i)
        Step();
}

void FakeGameServices::Deliver(TimedAction& action)
{
    action.done = true;
    Listener* target = action.target.Get() ? action.listener : nullptr;
    if (!target)
        return;
    const EventHandler* handler = target->FindEventHandler(*action.event);
    action.event->params.SetReadPos(0);
    if (handler)
        (*handler)(*target, *action.event);
}

void FakeGameServices::FreeAction(TimedAction& action)
{
    if (action.event && gEventSystem)
        gEventSystem->FreeEvent(action.event);
    action.event = nullptr;
}

Entity* FakeGameServices::GetEntity(int32_t number) const
{
    return number >= 0 && number < kMaxEntities ? slots[static_cast<size_t>(number)] : nullptr;
}

int32_t FakeGameServices::AddEntity(Entity* entity)
{
    int32_t chosen = -1;
    for (int32_t i = 0; i < kMaxEntities; ++i) {
        if (slots[static_cast<size_t>(i)])
            continue;
        if (freedAt[static_cast<size_t>(i)] <= now - kFakeReuseSeconds) {
            chosen = i;
            break;
        }
        if (chosen == -1 || freedAt[static_cast<size_t>(i)] < freedAt[static_cast<size_t>(chosen)])
            chosen = i;
    }
    if (chosen == -1) {
        DebugSystem::Print(0, "Couldn't add entity, too many entities\n");
        return -1;
    }
    slots[static_cast<size_t>(chosen)] = entity;
    entity->entityNumber = chosen;
    entity->OnAddedToGame();
    if (entity->entityNumber == -1) {
        slots[static_cast<size_t>(chosen)] = nullptr;
        return -1;
    }
    return chosen;
}

void FakeGameServices::RemoveEntity(Entity* entity)
{
    if (!entity)
        return;
    int32_t number = entity->entityNumber;
    if (number >= 0 && number < kMaxEntities && slots[static_cast<size_t>(number)] == entity) {
        slots[static_cast<size_t>(number)] = nullptr;
        freedAt[static_cast<size_t>(number)] = now;
    }
    for (auto& action : actions)
        if (IsFor(*action, entity))
            action->done = true;
}

bool FakeGameServices::IsFor(const TimedAction& action, const Listener* target)
{
    return action.target.Get() && action.listener == target;
}

void FakeGameServices::ScheduleTimedAction(Listener* target, Event* event, float delay)
{
    auto* watched = dynamic_cast<SafeClass*>(target);
    if (target && !watched) {
        if (gEventSystem)
            gEventSystem->FreeEvent(event);
        return;
    }
    auto action = std::make_unique<TimedAction>();
    action->target.Set(watched);
    action->listener = target;
    action->event = event;
    action->remaining = delay;
    actions.push_back(std::move(action));
}

bool FakeGameServices::CancelTimedActions(int eventId, const Listener* target)
{
    bool any = false;
    for (auto& action : actions) {
        if (!action->done && IsFor(*action, target) && action->event->id == eventId) {
            action->done = true;
            any = true;
        }
    }
    return any;
}

Event* FakeGameServices::FindTimedAction(int eventId, const Listener* target) const
{
    for (const auto& action : actions)
        if (!action->done && IsFor(*action, target) && action->event->id == eventId)
            return action->event;
    return nullptr;
}

// ---- World objects: torches, traps, triggers ------------------------------------------------

void FakeGameServices::ExtinguishTorchesNear(const WorldPos& position, float radius, float windStrength)
{
    char line[96];
    std::snprintf(line, sizeof line, "wind %g %g %g %g", position.x, position.y, radius, windStrength);
    hooks.emplace_back(line);
    std::vector<int32_t> near;
    CollectEntitiesNear(position, radius, false, near);
    for (int32_t number : near)
        if (auto* torch = dynamic_cast<Torch*>(GetEntity(number)))
            torch->BlowOut(windStrength);
}

void FakeGameServices::ScanEntitySlots(std::string_view name, Entity* activator)
{
    hooks.push_back("signal " + std::string(name) + " " + std::to_string(activator ? activator->entityNumber : -1));
    for (int32_t i = 0; i < kMaxEntities; ++i)
        if (Entity* entity = slots[static_cast<size_t>(i)])
            entity->OnNamedSignal(activator, name);
}

int32_t FakeGameServices::CountPendingActions() const
{
    return static_cast<int32_t>(std::count_if(actions.begin(), actions.end(),
                                              [](const std::unique_ptr<TimedAction>& a) { return !a->done; }));
}

void FakeGameServices::CollectEntitiesNear(const WorldPos& position, float radius, bool useRadii,
                                           std::vector<int32_t>& out) const
{
    for (int32_t i = 0; i < kMaxEntities; ++i) {
        const Entity* entity = slots[static_cast<size_t>(i)];
        if (!entity)
            continue;
        float distance = Vector2Length(position.DeltaTo(entity->position));
        if (useRadii)
            distance -= entity->radius;
        if (distance <= radius)
            out.push_back(i);
    }
}

bool FakeGameServices::TraceLine(const WorldPos& from, const WorldPos& to, const Entity*, const Entity*,
                                 float& fraction) const
{
    bool blocked = lineBlocked && lineBlocked(from, to);
    fraction = blocked ? 0.0f : 1.0f;
    return blocked;
}

void FakeGameServices::QueueWorldEvent(const WorldEventRequest& request)
{
    if (!request.name.empty())
        worldEvents.push_back(request);
}

EntityCovenant* FakeGameServices::GetCovenant(int32_t index) const
{
    return index >= 0 && index < static_cast<int32_t>(covenants.size()) ? covenants[static_cast<size_t>(index)] : nullptr;
}

int32_t FakeGameServices::GetRelationship(const Entity* a, const Entity* b) const
{
    return a && b ? relationship : 2;
}

void FakeGameServices::OnKillCredit(Sentient& credited, Entity&)
{
    Notice("credit " + std::to_string(credited.entityNumber));
}

void FakeGameServices::OnEntityDied(Entity& victim, Entity*)
{
    Notice("died " + std::to_string(victim.entityNumber));
}

bool FakeGameServices::UseMapItem(Item&, Sentient& user)
{
    Notice("map " + std::to_string(user.entityNumber));
    return mapUsedUp;
}

// ---- Weather: scripted rain and wind ----------------------------------------------------------

void FakeGameServices::GetWeatherAt(const WorldPos& position, float& intensity, Vector2& wind) const
{
    ++weatherQuestions;
    intensity = weatherIntensity;
    wind = weatherWind;
    if (weatherAt)
        weatherAt(position, intensity, wind);
}

void FakeGameServices::Notice(const std::string& text)
{
    notices.push_back(text);
    if (onNotice)
        onNotice(text);
}

bool FakeGameServices::FindPath(const Entity& mover, const WorldPos& from, const WorldPos& target, const Entity* targetEntity, PathRecord* path)
{
    ++pathSearches;
    bool found = !pathAnswer || pathAnswer(mover, from, target, targetEntity);
    if (found && pathFinder)
        return pathFinder->FindPath(&mover, from, target, targetEntity, path, nullptr);
    if (found && path) {
        path->count = static_cast<int32_t>(std::min<size_t>(pathSteps.size(), PathRecord::kMaxSteps));
        path->cursor = 0;
        std::copy_n(pathSteps.begin(), path->count, path->steps.begin());
    }
    return found;
}

int32_t FakeGameServices::GetOrAddFaction(std::string_view name)
{
    if (name.empty())
        return -1;
    auto found = std::find(factions.begin(), factions.end(), name);
    if (found == factions.end())
        found = factions.insert(factions.end(), std::string(name));
    return static_cast<int32_t>(found - factions.begin());
}

void FakeGameServices::Hook(const char* name, const Entity& entity)
{
    hooks.push_back(std::string(name) + " " + std::to_string(entity.entityNumber));
}

void FakeGameServices::CallForHelp(Entity& actor, Entity*, float range)
{
    hooks.push_back("help " + std::to_string(actor.entityNumber) + " " + std::to_string(static_cast<int32_t>(range)));
}

void FakeGameServices::DropMonsterLoot(Sentient& victim, float moneyFactor, float itemsChance, float magicChance)
{
    char line[96];
    std::snprintf(line, sizeof line, "loot %d %.2f %.0f %.0f", victim.entityNumber, moneyFactor, itemsChance,
                  magicChance);
    hooks.emplace_back(line);
    if (!lootRecord || !victim.inventory)
        return;
    std::unique_ptr<ItemBase> item = std::make_unique<Item>();
    item->SetEntry(lootRecord);
    item->SetQuality(lootQuality);
    victim.inventory->AddItem(item, InventoryGroupIndex::Loot);
}

// ---- Level objects ---------------------------------------------------------------------------

LinkedGates FakeGameServices::CreateLinkedGates(const DatabaseEntry* record, const WorldPos& a, const WorldPos& b,
                                                int32_t kind)
{
    LinkedGates made = Gate::CreateLinkedPair(record, a, b, kind);
    Notice("gates " + std::to_string(kind) + (made.first ? " made" : " refused"));
    return made;
}

int32_t FakeGameServices::NextSecretLevel()
{
    if (secretLevels.empty())
        return -1;
    int32_t level = secretLevels.front();
    secretLevels.erase(secretLevels.begin());
    return level;
}

void FakeGameServices::OnSecretFound(Sentient& player, int32_t level)
{
    Notice("secret " + std::to_string(player.entityNumber) + " " + std::to_string(level));
}

void FakeGameServices::OfferChestToQuests(Chest& chest, Sentient* opener)
{
    Notice("chest " + std::to_string(chest.entityNumber) + " " + std::to_string(opener ? opener->entityNumber : -1));
}

void FakeGameServices::OfferGateTripToQuests(Sentient& player, const WorldPos& from, const WorldPos& to)
{
    char text[160];
    std::snprintf(text, sizeof(text), "trip %d %d %.1f %.1f %d %.1f %.1f", player.entityNumber, from.level, from.x,
                  from.y, to.level, to.x, to.y);
    Notice(text);
}

void FakeGameServices::GenerateChestLoot(Chest& chest, float itemsChance, float magicChance)
{
    char text[96];
    std::snprintf(text, sizeof(text), "loot %d %.1f %.1f", chest.entityNumber, itemsChance, magicChance);
    Notice(text);
}

std::unique_ptr<Item> FakeGameServices::DrawRandomItem(int32_t level)
{
    itemLevels.push_back(level);
    if (randomItems.empty())
        return nullptr;
    auto item = std::make_unique<Item>();
    item->SetEntry(randomItems[nextRandomItem++ % randomItems.size()]);
    item->SetStackCount(1);
    item->ComputeStats();
    item->ResolveDefinition();
    return item;
}

std::unique_ptr<Item> FakeGameServices::GenerateItem(const DatabaseEntry* record, int32_t level)
{
    itemLevels.push_back(level);
    if (!makesItems || !record)
        return nullptr;
    auto item = std::make_unique<Item>();
    item->SetEntry(record);
    item->SetStackCount(1);
    return item;
}
