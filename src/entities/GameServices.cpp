// GameServices -- what the entities ask of the game that runs them: the entity table, searches, timed actions, lines for the clients, covenants.
#include "entities/GameServices.h"

#include "core/Event.h"
#include "core/EventSystem.h"
#include "core/ScratchList.h"
#include "core/StringUtil.h"
#include "core/Vector.h"
#include "entities/Entity.h"
#include "entities/EntityQuest.h"
#include "entities/Item.h"
#include "entities/Sentient.h"
#include "entities/StatusEffect.h"
#include "rules/GameData.h"
#include "rules/items/ItemPtrList.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <typeinfo>

GameServices* gGameServices = nullptr;

namespace {

constexpr uint32_t kGameServicesDefaultSolidMask = 5;

float GameServicesDistance(const WorldPos& from, const WorldPos& to)
{
    return Vector2Length(from.DeltaTo(to));
}

// The distance from the point to the segment from the origin to the end.
float GameServicesDistanceToSegment(const Vector2& point, const Vector2& end)
{
    float lengthSquared = end.x * end.x + end.y * end.y;
    float t = lengthSquared > 0.0f ? (point.x * end.x + point.y * end.y) / lengthSquared : 0.0f;
    t = std::clamp(t, 0.0f, 1.0f);
    return Vector2Length(point - end * t);
}

bool GameServicesIsBlocker(const Entity& other, uint32_t solidMask)
{
    return other.netFlag && other.solidType >= 0 && other.solidType < 32 && (solidMask & (1u << other.solidType));
}

} // namespace

Sentient* GameServices::FindNearestPlayer(const WorldPos& position) const
{
    Sentient* nearest = nullptr;
    float best = std::numeric_limits<float>::max();
    for (Sentient* player : GetPlayers()) {
        if (!player)
            continue;
        float distance = GameServicesDistance(position, player->position);
        if (distance < best) {
            best = distance;
            nearest = player;
        }
    }
    return nearest;
}

void GameServices::FindEntitiesInRadius(const WorldPos& centre, const Entity* source, float radius, uint32_t filter,
                                        std::vector<Entity*>& out, bool addSourceRadius) const
{
    out.clear();
    if (addSourceRadius && source)
        radius += source->radius;
    // Kept between calls: a search in every actor's step allocates nothing once warm. No game's
    // CollectEntitiesNear searches again, so one list serves.
    static thread_local std::vector<int32_t> numbers;
    numbers.clear();
    CollectEntitiesNear(centre, radius, true, numbers);
    for (int32_t number : numbers) {
        Entity* entity = GetEntity(number);
        if (entity && PassesFilter(*entity, source, filter))
            out.push_back(entity);
    }
}

Entity* GameServices::FindNearestEntity(const WorldPos& centre, const Entity* source, float radius, uint32_t filter,
                                        bool addSourceRadius, bool (*accept)(const Entity&)) const
{
    ScratchList<Entity*> kept;
    FindEntitiesInRadius(centre, source, radius, filter, *kept, addSourceRadius);
    Entity* nearest = nullptr;
    float best = 0.0f;
    for (Entity* entity : *kept) {
        if (accept && !accept(*entity))
            continue;
        float distance = GameServicesDistance(centre, entity->position);
        if (!nearest || distance < best) {
            nearest = entity;
            best = distance;
        }
    }
    return nearest;
}

bool GameServices::PassesFilter(const Entity& entity, const Entity* source, uint32_t filter) const
{
    if ((filter & RadiusFilter::NotSource) && &entity == source)
        return false;
    if ((filter & RadiusFilter::Living) && (entity.maxHealth < 1 || entity.health < 1))
        return false;
    if ((filter & RadiusFilter::NotFriendly) && source && source->IsFriendly(&entity))
        return false;
    if ((filter & RadiusFilter::NoCovenant) && entity.covenantIndex >= 0)
        return false;
    if ((filter & RadiusFilter::Related) && !(source && source->IsRelatedTo(&entity)))
        return false;
    if ((filter & RadiusFilter::Creatures) && !entity.IsCreature())
        return false;
    if (filter & RadiusFilter::Every)
        return true;
    if ((filter & RadiusFilter::Friendly) && source && source->IsFriendly(&entity))
        return true;
    if ((filter & RadiusFilter::Hostile) && source && source->IsHostile(&entity))
        return true;
    bool bothSentients = dynamic_cast<const Sentient*>(&entity) && dynamic_cast<const Sentient*>(source);
    if (bothSentients && (filter & (RadiusFilter::FactionAlly | RadiusFilter::FactionNeutral))) {
        int32_t relationship = GetRelationship(source, &entity);
        if (((filter & RadiusFilter::FactionAlly) && relationship >= 3) ||
            ((filter & RadiusFilter::FactionNeutral) && relationship >= 2))
            return true;
    }
    if ((filter & RadiusFilter::Dead) && entity.maxHealth >= 1 && entity.health <= 0)
        return true;
    if ((filter & RadiusFilter::Projectiles) && entity.IsProjectile())
        return true;
    return (filter & RadiusFilter::Chests) && entity.IsChest();
}

bool GameServices::HasClearLine(const WorldPos& from, const Entity* entity, uint32_t solidMask) const
{
    if (!entity)
        return false;
    if (entity->flags & EntityFlag::IgnoresObstacles)
        return true;
    if (solidMask == 0)
        solidMask = kGameServicesDefaultSolidMask;
    float fraction = 1.0f;
    if (TraceLine(from, entity->position, nullptr, entity, fraction))
        return false;
    Vector2 way = from.DeltaTo(entity->position);
    FindEntitiesInRadius(from, nullptr, Vector2Length(way), RadiusFilter::Every, clearLineScratch, false);
    for (const Entity* other : clearLineScratch) {
        if (other == entity || !GameServicesIsBlocker(*other, solidMask))
            continue;
        if (GameServicesDistanceToSegment(from.DeltaTo(other->position), way) < other->radius)
            return false;
    }
    return true;
}

bool GameServices::IsSpotFree(const WorldPos& position) const
{
    if (IsCellBlocked(position))
        return false;
    std::vector<int32_t> numbers;
    CollectEntitiesNear(position, kSpotClearance, false, numbers);
    return std::none_of(numbers.begin(), numbers.end(), [this](int32_t number) {
        const Entity* entity = GetEntity(number);
        return entity && (entity->IsGroundItem() || entity->IsChest());
    });
}

bool GameServices::IsSpotFreeForBody(const WorldPos& position, const Entity* entity, uint32_t solidMask,
                                     const Entity* ignored) const
{
    if (!entity)
        return false;
    if (entity->flags & EntityFlag::IgnoresObstacles)
        return true;
    return !IsBodyBlocked(position, entity->radius) && IsSpotClearOfBlockers(position, entity, solidMask, ignored);
}

bool GameServices::IsSpotClearOfBlockers(const WorldPos& position, const Entity* entity, uint32_t solidMask,
                                         const Entity* ignored) const
{
    if (!entity)
        return false;
    if (solidMask == 0)
        solidMask = kGameServicesDefaultSolidMask;
    std::vector<int32_t>& numbers = spotScratch;
    numbers.clear();
    CollectEntitiesNear(position, entity->radius, false, numbers);
    return std::none_of(numbers.begin(), numbers.end(), [this, entity, ignored, solidMask](int32_t number) {
        const Entity* other = GetEntity(number);
        return other && other != entity && other != ignored && GameServicesIsBlocker(*other, solidMask);
    });
}

bool GameServices::FindSpawnPositionInRing(const WorldPos& centre, int32_t r, const SpawnSearch& search,
                                           WorldPos& out) const
{
    if (r < 0)
        return false;
    FloatPair cell = gGameData ? gGameData->GetTuning().gridSize : FloatPair{32.0f, 32.0f};
    for (int32_t row = r; row >= -r; --row) {
        bool edgeRow = row == r || row == -r;
        for (int32_t column = -r; column <= r; column += edgeRow ? 1 : 2 * r) {
            WorldPos candidate = centre;
            candidate.wrap = true;
            candidate.x += static_cast<float>(column) * cell.x;
            candidate.y += static_cast<float>(row) * cell.y;
            candidate.Normalize();
            if (candidate.level == -1 || (!search.otherLevels && candidate.level != centre.level))
                continue;
            bool free = search.freeSpot ? IsSpotFree(candidate)
                                        : IsSpotFreeForBody(candidate, search.entity, search.solidMask);
            if (free) {
                out = candidate;
                return true;
            }
        }
    }
    return false;
}

bool GameServices::FindSpawnPosition(const WorldPos& centre, int32_t rings, const SpawnSearch& search, bool useCentre,
                                     WorldPos& out) const
{
    for (int32_t r = 0; r <= rings; ++r)
        if (FindSpawnPositionInRing(centre, r, search, out))
            return true;
    if (!useCentre)
        return false;
    out = centre;
    return true;
}

// The spares' list is made whole at once: keeping an effect never grows it.
GameServices::GameServices()
{
    constexpr size_t kModelNameRoom = 64;
    // The entities a body's spot can hold at once (a pile of loot on it); more grow the list at
    // their peak.
    constexpr size_t kSpotRoom = 16;
    spotScratch.reserve(kSpotRoom);
    spareEffects.reserve(kMaxSpareEffects);
    spareModelEntities.reserve(kMaxSpareModelEntities);
    for (size_t i = 0; i < kPreparedModelEntities; ++i) {
        auto entity = std::make_unique<Entity>();
        entity->modelName.reserve(kModelNameRoom);
        spareModelEntities.push_back(std::move(entity));
    }
}

GameServices::~GameServices() = default;

std::unique_ptr<StatusEffect> GameServices::TakeSpareEffect()
{
    // A take that finds no spare has reached a new peak of effects (auras that overlap where
    // they did not before): a few more are made with it, so that the steps near that peak find
    // spares rather than each making its own.
    constexpr size_t kSpareEffectBatch = 16;
    if (spareEffects.empty())
        for (size_t i = 0; i < kSpareEffectBatch; ++i)
            spareEffects.push_back(std::make_unique<StatusEffect>());
    std::unique_ptr<StatusEffect> effect = std::move(spareEffects.back());
    spareEffects.pop_back();
    return effect;
}

void GameServices::KeepSpareEffect(std::unique_ptr<StatusEffect> effect)
{
    if (!effect)
        return;
    effect->Recycle();
    if (spareEffects.size() < kMaxSpareEffects)
        spareEffects.push_back(std::move(effect));
}

void GameServices::KeepSpareModelEntity(Entity* entity)
{
    if (!entity)
        return;
    if (typeid(*entity) != typeid(Entity) || spareModelEntities.size() >= kMaxSpareModelEntities) {
        delete entity;
        return;
    }
    entity->Renew();
    spareModelEntities.emplace_back(entity);
}

// Every hit shows one: the entity comes from the spares once they hold any.
Entity* GameServices::SpawnModelEntity(std::string_view modelName, const WorldPos& position, float seconds)
{
    Entity* entity = nullptr;
    if (spareModelEntities.empty()) {
        entity = new Entity();
    } else {
        entity = spareModelEntities.back().release();
        spareModelEntities.pop_back();
    }
    entity->spareAfterDelete = true;
    entity->LoadModels(modelName);
    entity->SetPosition(position);
    if (AddEntity(entity) == -1) {
        KeepSpareModelEntity(entity);
        return nullptr;
    }
    entity->ScheduleDelete(seconds);
    return entity;
}

void GameServices::BroadcastEventInRadius(Event* event, Entity* source, float radius, uint32_t filter)
{
    if (!event)
        return;
    if (source) {
        ScratchList<Entity*> hearers;
        FindEntitiesInRadius(source->position, source, radius, filter, *hearers, false);
        // A handler may delete others: each is looked up again by number before it hears.
        ScratchList<int32_t> numbers;
        for (Entity* hearer : *hearers)
            numbers->push_back(hearer->entityNumber);
        for (int32_t number : *numbers) {
            Entity* hearer = GetEntity(number);
            if (!hearer)
                continue;
            if (const EventHandler* handler = hearer->FindEventHandler(*event)) {
                event->params.SetReadPos(0);
                (*handler)(*hearer, *event);
            }
        }
    }
    if (gEventSystem)
        gEventSystem->FreeEvent(event);
}

void GameServices::BroadcastNewEvent(Entity* entity, Entity* source, float radius)
{
    // The living around the source, the source itself and projectiles left out.
    constexpr uint32_t kNoiseHearers = RadiusFilter::Every | RadiusFilter::NotSource | RadiusFilter::Living;
    int id = gEventSystem ? gEventSystem->FindEvent(kHeardSoundEvent) : -1;
    if (!source || id < 0)
        return;
    Event* event = gEventSystem->MakeEvent(id);
    event->WriteEntity(entity);
    BroadcastEventInRadius(event, source, radius, kNoiseHearers);
}

namespace {

std::string GameServicesMessageLine(std::string_view text, int32_t kind)
{
    std::string mended(text);
    for (char& c : mended) {
        if (c == '"')
            c = '\'';
        else if (c == '\n' || c == '\r')
            c = ' ';
    }
    return StringFormat("msg %d \"%s\"", kind, mended.c_str());
}

} // namespace

void GameServices::SendMessage(std::string_view text, int32_t kind)
{
    QueueClientCommand(GameServicesMessageLine(text, kind));
}

void GameServices::SendMessageTo(int32_t playerNumber, std::string_view text, int32_t kind)
{
    QueueClientCommandFor(playerNumber, GameServicesMessageLine(text, kind));
}

std::unique_ptr<EntityQuest> GameServices::CreatePlayerQuest()
{
    return nullptr;
}

const ItemPtrList& GameServices::GetGateRecords() const
{
    static const ItemPtrList kGameServicesNoGates;
    return kGameServicesNoGates;
}

// Until the game's quests, tutorial, soul stones and chat exist, a player's calls into them
// change nothing and find nothing.
const QuestBase* GameServices::GetGameQuest(int32_t) const
{
    return nullptr;
}

void GameServices::OnQuestAccepted(int32_t, Sentient&) {}
void GameServices::OnQuestTurnedIn(int32_t, Sentient&) {}
void GameServices::RefreshQuestsOf(Sentient&) {}

int32_t GameServices::FindTalkQuestFor(const Entity&) const
{
    return -1;
}

void GameServices::OfferRescueToQuests(Entity&) {}
void GameServices::OfferNpcQuest(Entity&, Entity*) {}
void GameServices::OnPlayerLevelUp(Sentient&) {}
void GameServices::EndTutorial(bool) {}
void GameServices::StartTutorial() {}
void GameServices::AddUnlock(std::string_view) {}

const std::vector<std::string>& GameServices::GetUnlocks() const
{
    static const std::vector<std::string> kGameServicesNoUnlocks;
    return kGameServicesNoUnlocks;
}

bool GameServices::AreAllMonstersDead() const
{
    return false;
}

void GameServices::SpawnSoulStone(Sentient&, int32_t) {}
void GameServices::AddDynamicNpcChat(int32_t, std::string_view, int32_t) {}

const BehaviorStackList& GameServices::GetBehaviorStacks() const
{
    static const BehaviorStackList kGameServicesNoStacks;
    return kGameServicesNoStacks;
}

// ---- Spawning ------------------------------------------------------------------------------

std::unique_ptr<Item> GameServices::GenerateShopItem(const ShopItemRequest&)
{
    return nullptr;
}

const MonsterType* GameServices::PickGuardType(int32_t) const
{
    return nullptr;
}

std::unique_ptr<Item> GameServices::DrawRandomItem(int32_t)
{
    return nullptr;
}

void GameServices::MakeNoise(Entity* entity, Entity* source, float radius)
{
    BroadcastNewEvent(entity, source, radius);
}
