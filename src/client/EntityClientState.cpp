// EntityClient -- the state record taken from each game update and the entity's own frame: light, damage texts, timer, gate animation and turning.
#include "client/EntityClient.h"

#include "client/ClientApp.h"
#include "client/ClientResourceTable.h"
#include "client/GameClient.h"
#include "client/LocalPlayerLink.h"
#include "client/StatusEffectClient.h"
#include "core/Database.h"
#include "core/DatabaseEntry.h"
#include "core/NameGenerator.h"
#include "core/RandomSystem.h"
#include "render/LightingSystem.h"
#include "render/WorldMap.h"
#include "rules/GameData.h"
#include "rules/monsters/MonsterArchetype.h"
#include "world/Level.h"
#include "world/LevelQueries.h"
#include "world/NetMessages.h"
#include "world/World.h"

#include <algorithm>
#include <cmath>

namespace {

// The unit direction of each of the eight facings, clockwise from north.
constexpr float kEntityClientFacings[8][2] = {{0, 1}, {1, 1}, {1, 0}, {1, -1}, {0, -1}, {-1, -1}, {-1, 0}, {-1, 1}};
// A gate's animations: played while it is open, and while it is not.
constexpr int32_t kEntityClientGateOpenPriority = 7;
constexpr int32_t kEntityClientGateIdlePriority = 6;
constexpr float kEntityClientRadiansToDegrees = 57.29577951308232f;

bool EntityClientFinite(const WorldPos& where)
{
    return std::isfinite(where.x) && std::isfinite(where.y);
}

const DatabaseEntry* EntityClientRecord(int32_t id)
{
    return gDatabase ? gDatabase->GetEntryByIndex(id) : nullptr;
}

bool EntityClientNear(const WorldPos& a, const WorldPos& b, float reach)
{
    return a.level == b.level && std::fabs(a.x - b.x) <= reach && std::fabs(a.y - b.y) <= reach;
}

// A gate standing at a connection of its level's layout is that connection's gate (its index),
// one at the level's own gate is the level's (-1); any other gate (a player's portal, a secret
// level's way out) is none of the map's and gives -2.
int32_t EntityClientGateId(const WorldPos& where)
{
    const Level* level = gWorld ? gWorld->GetLevel(where.level) : nullptr;
    if (!level || !gGameData)
        return -2;
    float reach = 0.5f * gGameData->GetTuning().tileSize;
    int32_t count = LevelQueries::GetGateCount(*level);
    for (int32_t j = 0; j < count; ++j)
        if (EntityClientNear(LevelQueries::GetGate(*level, j).position, where, reach))
            return j;
    return level->hasGate && EntityClientNear(level->gatePosition, where, reach) ? -1 : -2;
}

float EntityClientWrapDegrees(float angle)
{
    angle = std::fmod(angle, 360.0f);
    return angle < 0.0f ? angle + 360.0f : angle;
}

} // namespace

void EntityClient::ApplyState(const NetEntityHeader& header, const NetEntityState& state,
                              const ClientResourceTable* resources)
{
    if (!EntityClientFinite(header.position) || !EntityClientFinite(header.moveTarget) ||
        !std::isfinite(header.scale) || !std::isfinite(header.alpha))
        return;
    ApplyHeader(header, resources);
    ApplyClassState(state);
}

void EntityClient::ApplyHeader(const NetEntityHeader& header, const ClientResourceTable* resources)
{
    if (header.definition != recordId) {
        recordId = header.definition;
        Load(EntityClientRecord(header.definition));
    }
    flags = header.flags;
    if (header.netFlag != netSolid) {
        netSolid = header.netFlag;
        // The sight grids ask whether it blocks sight (its byte or its model's flag).
        solidChanged = true;
    }
    covenantIndex = header.covenant;
    SetPosition(header.position);
    SetMoveTarget(header.moveTarget);
    serverMoveTarget = header.moveTarget;
    parentNumber = header.parentNumber < 0 ? -1 : header.parentNumber;
    parentTag = header.parentTag;
    lightColor = Color{header.light[0], header.light[1], header.light[2]};
    lightFalloff = header.light[3];
    lightOffset[0] = header.light[4];
    lightOffset[1] = header.light[5];
    // A model index the table does not hold leaves the models as they are.
    const ClientResourceTable::Slot* slot = resources ? resources->Find(header.model) : nullptr;
    if (slot) {
        modelIndex = header.model;
        if (slot->name != modelName) {
            SetModel(slot->handle);
            modelName = slot->name;
        }
    }
    maxHealth = header.maxHealth;
    health = std::min(header.health, header.maxHealth);
    ApplyAnimation(header);
    facing = header.facing;
    scale = header.scale;
    entityAlpha = header.alpha;
    visualFlags = header.visualFlags;
    alwaysOnMap = header.alwaysBlocks;
    ApplyEffects(header);
}

void EntityClient::ApplyAnimation(const NetEntityHeader& header)
{
    // The same animation restarts only when the host started it again.
    bool restart = header.animation == serverAnimation && header.playCount != serverPlayCount;
    serverAnimation = header.animation;
    serverPlayCount = header.playCount;
    if (header.animation < 0)
        return;
    int32_t statePriority = isGate ? kGatePriority : kStatePriority;
    SetAnimationIndex(header.animation, statePriority, header.animationMode, restart, false);
}

void EntityClient::ApplyEffects(const NetEntityHeader& header)
{
    for (auto& effect : statusEffects)
        effect->seen = false;
    for (const auto& [recordIndex, instanceId] : header.shownEffects) {
        auto found = std::find_if(statusEffects.begin(), statusEffects.end(),
                                  [id = instanceId](const auto& effect) { return effect->GetInstanceId() == id; });
        if (found != statusEffects.end()) {
            (*found)->seen = true;
            continue;
        }
        // Only a status effect's record makes an effect: anything else is left out.
        const DatabaseEntry* effectRecord = EntityClientRecord(recordIndex);
        if (!effectRecord || effectRecord->GetType() != DatabaseEntryType::StatusEffect)
            continue;
        statusEffects.push_back(std::make_unique<StatusEffectClient>(effectRecord, instanceId));
        statusEffects.back()->arrived = gGameClient ? gGameClient->clock : TimeStamp{};
    }
    for (auto it = statusEffects.begin(); it != statusEffects.end();) {
        if ((*it)->seen) {
            ++it;
            continue;
        }
        OnStatusEffectLost(**it);
        it = statusEffects.erase(it);
    }
}

void EntityClient::ApplyClassState(const NetEntityState& state)
{
    switch (state.kind) {
    case NetStateKind::Creature:
        power = state.power;
        maxPower = state.maxPower;
        serverFloat = static_cast<float>(state.movement);
        summoned = state.summoned;
        rank = state.rank;
        questOffers = state.questOffers;
        ApplyNameSeed(state.nameSeed);
        level = state.level;
        [[fallthrough]];
    case NetStateKind::Equipment: ShowEquipment(state); break;
    case NetStateKind::Item:
        itemQuality = state.value;
        ShowOwnRecord();
        break;
    case NetStateKind::Money:
        moneyAmount = state.value;
        ShowOwnRecord();
        break;
    case NetStateKind::QuestItem:
        questNumber = state.value;
        ShowOwnRecord();
        break;
    case NetStateKind::Chest: isUsableObject = state.chestClosed; break;
    case NetStateKind::Projectile:
        projectileTrail = state.beam;
        std::copy(std::begin(state.beamWords), std::end(state.beamWords), projectileWords);
        projectileHeight = state.lobbed ? state.height : 0.0f;
        break;
    case NetStateKind::Gate:
        gateDestination = state.gateDestination;
        gateDestinationKnown = state.gateDestination.level != -1;
        if (int32_t gateId = EntityClientGateId(position); gWorldMap && gateId != -2)
            gWorldMap->RecordGate(position, gateId);
        break;
    default: break;
    }
}

void EntityClient::SetQuestRecord(const DatabaseEntry* named)
{
    questRecord = named;
    if (!named || named->GetType() == DatabaseEntryType::Area)
        questTarget = named;
    else
        questTarget = gDatabase ? gDatabase->FindEntryByName(named->GetString("Archetype")) : nullptr;
}

void EntityClient::ShowOwnRecord()
{
    groundRecord = record;
    ShowItemOnBody(kLocationHandPrimary, record ? record->GetId() : -1, true);
}

void EntityClient::ShowEquipment(const NetEntityState& state)
{
    // The locations the ten shown records stand for, in the record's order.
    static constexpr int32_t kShownLocations[NetEntityState::kShownEquipment] = {0, 2, 4, 5, 6, 7, 8, 9, 14, 15};
    std::copy(std::begin(state.equipment), std::end(state.equipment), shownEquipment);
    for (int32_t i = 0; i < NetEntityState::kShownEquipment; ++i)
        ShowItemOnBody(kShownLocations[i], state.equipment[i], false);
}

void EntityClient::ApplyNameSeed(uint32_t seed)
{
    if (nameSeedKnown && seed == nameSeed)
        return;
    nameSeed = seed;
    nameSeedKnown = true;
    if (!nameListName.empty() && gNameGenerator)
        personalName = gNameGenerator->Generate(nameListName, seed);
    if (!gRandomSystem || !archetype)
        return;
    gRandomSystem->SetState(RandomStream::Quest, seed);
    if (archetype->skinSurface >= 0 && !archetype->skinTextures.empty()) {
        skinTexturePick =
            gRandomSystem->RandomInt(RandomStream::Quest, static_cast<int32_t>(archetype->skinTextures.size()));
        SetSkinSurfaceTexture(archetype->skinSurface, archetype->skinTextures[static_cast<size_t>(skinTexturePick)]);
    }
    if (archetype->randomSize)
        attachScale = gRandomSystem->RandomRange(RandomStream::Quest, archetype->minSize, archetype->maxSize);
}

// ---- The frame -----------------------------------------------------------------------------------

void EntityClient::Update(float seconds)
{
    EntityBase::Update(seconds);
    UpdateLight();
    ExpireDamageTexts();
    UpdateTimer(seconds);
    UpdateGate();
    Turn(seconds, false);
}

void EntityClient::UpdateLight() const
{
    if (!gLightingSystem || isPlayerBody || IsHidden())
        return;
    if (!ownsPriorityLight) {
        gLightingSystem->AddEntityLight(*this);
        return;
    }
    // The player's own light shines from where the player stands.
    Color color;
    float radius = 0.0f;
    GetLight(color, radius);
    gLightingSystem->AddLight(position.level, position.x, position.y, color, radius, LightingSystem::kPriorityLight);
}

void EntityClient::ExpireDamageTexts()
{
    float maxSeconds = gGameData ? gGameData->GetTuning().damageEventMaxTime : 0.0f;
    auto live = std::find_if(damageTexts.begin(), damageTexts.end(), [&](const auto& entry) {
        TimeStamp end = entry.first;
        end.seconds += maxSeconds;
        end.Normalize();
        return !(gGameClient && end <= gGameClient->clock);
    });
    damageTexts.erase(damageTexts.begin(), live);
}

void EntityClient::UpdateTimer(float seconds)
{
    if (timerDuration <= 0.0f)
        return;
    timerElapsed += seconds;
    // A dead entity's timers stop, all but the kind that outlives it.
    constexpr int32_t kTimerSurvivesDeath = 7;
    if (timerElapsed >= timerDuration || (maxHealth > 0 && health < 1 && timerType != kTimerSurvivesDeath)) {
        timerElapsed = 0.0f;
        timerDuration = 0.0f;
        timerType = 0;
    }
}

bool EntityClient::IsGateOpen() const
{
    return position.level == 0 || gateDestination.level != -1 || (gClientApp && gClientApp->GetLink() && gClientApp->GetLink()->GetCurrentLevelGateFlag(position.level));
}

void EntityClient::UpdateGate()
{
    if (!isGate)
        return;
    if (IsGateOpen())
        PlayAnimation("active", kEntityClientGateOpenPriority, AnimationMode::Loop, false);
    else
        PlayAnimation("idle", kEntityClientGateIdlePriority, AnimationMode::Loop, false);
}

void EntityClient::Turn(float seconds, bool snap)
{
    if (turnSpeed <= 0.0f)
        return;
    float x = 0.0f;
    float y = 0.0f;
    if (facing >= 0 && facing < 8) {
        x = kEntityClientFacings[facing][0];
        y = kEntityClientFacings[facing][1];
    }
    // A facing of no direction points along +x, as an angle of a zero vector does.
    float targetYaw = EntityClientWrapDegrees(std::atan2(y, x) * kEntityClientRadiansToDegrees);
    modelPitch = 0.0f;
    if (snap) {
        modelYaw = targetYaw;
        SetModelRotation(MatrixFromEulerDegrees(modelYaw, modelPitch, 0.0f));
        return;
    }
    float step = seconds * kTurnRate;
    float delta = EntityClientWrapDegrees(targetYaw - modelYaw);
    if (delta > 180.0f)
        delta -= 360.0f;
    if (std::fabs(delta) <= step)
        modelYaw = targetYaw;
    else
        modelYaw = EntityClientWrapDegrees(modelYaw + (delta > 0.0f ? step : -step));
    SetModelRotation(MatrixFromEulerDegrees(modelYaw, modelPitch, 0.0f));
}

Matrix3 EntityClient::GetModelRotation() const
{
    if (hasModelRotation)
        return modelRotation;
    float x = 1.0f;
    float y = 0.0f;
    if (facing >= 0 && facing < 8) {
        x = kEntityClientFacings[facing][0];
        y = kEntityClientFacings[facing][1];
    }
    HeadingPitch angles = DirectionToAngles(Vector3{x, y, 0.0f});
    return MatrixFromEulerDegrees(angles.heading, angles.pitch, 0.0f);
}
