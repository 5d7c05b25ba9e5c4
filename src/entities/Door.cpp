// Door -- the level object that opens and closes, blocking while closed: one or two halves, locked by a key or worked by a named trigger, trapped, breakable, secret or an illusion.
#include "entities/Door.h"

#include "core/DatabaseEntry.h"
#include "core/LocSystem.h"
#include "core/MessageBuffer.h"
#include "core/RandomSystem.h"
#include "core/StringUtil.h"
#include "entities/GameServices.h"
#include "entities/Sentient.h"
#include "entities/Trap.h"
#include "rules/GameData.h"
#include "world/World.h"

#include <algorithm>

namespace {

constexpr int32_t kDoorMovePriority = 5;
constexpr int32_t kDoorStillPriority = 2;
// The solid kinds that keep a door from closing on them: Normal, Gate and Transparent.
constexpr uint32_t kDoorwayMask = 7;

} // namespace

Door::Door()
{
    alwaysBlocks = true;
}

// The trap goes with the door.
Door::~Door() = default;

void Door::Load(const DatabaseEntry* entry)
{
    Entity::Load(entry);
    if (!entry)
        return;
    record = entry;
    doubleWide = entry->GetInt("DoubleWide") != 0;
    trapChance = entry->GetFloat("TrapChance", 0.0f);
    requiredKey = entry->GetString("RequiresKey");
    secret = entry->GetInt("Secret") != 0;
    illusion = entry->GetInt("Illusion") != 0;
    if (entry->GetInt("CanAttack") != 0)
        breakable = true;
    fadeTime = entry->GetFloat("FadeTime", 0.0f);
    healthLow = entry->GetInt("MinHealth");
    healthHigh = entry->GetInt("MaxHealth");
}

// ---- Placement ---------------------------------------------------------------------------------------

void Door::OnPlaced()
{
    if (doubleWide && primary)
        MakeSecondHalf();
    if (primary && trapChance > DrawRandomFloat(RandomStream::GameData, 1.0f) && gWorld &&
        gWorld->AreTrapsAllowed(position.level))
        ArmTrap();
    if (breakable)
        RollHealth();
}

void Door::MakeSecondHalf()
{
    if (!gGameServices)
        return;
    auto* half = new Door();
    half->primary = false;
    // SetEntry, not Load: the entry is what the game update names the half by.
    half->SetEntry(record);
    float tile = gGameData ? gGameData->GetTuning().tileSize : 64.0f;
    WorldPos where = position;
    // Across the way the door faces: along x for a door facing north or south.
    if (facing == 0 || facing == 4)
        where.x += tile;
    else
        where.y += tile;
    where.Normalize();
    half->facing = facing;
    half->SetPosition(where);
    half->SetMoveTarget(where);
    half->flags |= EntityFlag::HideModel;
    half->partner.Set(this);
    half->OnPlaced();
    if (gGameServices->AddEntity(half) == -1) {
        // The table refused it: the door stays a single one.
        delete half;
        return;
    }
    partner.Set(half);
    parentNumber = half->entityNumber;
    parentTag = -1;
}

void Door::ArmTrap()
{
    trap = std::make_unique<Trap>();
    trap->SetOwner(this);
    int32_t level = gWorld ? gWorld->GetLevelMonsterLevel(position.level) : 1;
    if (const DatabaseEntry* picked = gGameServices ? gGameServices->PickTrapRecord(level) : nullptr)
        trap->Load(picked);
}

void Door::RollHealth()
{
    float draw = DrawRandomFloat(RandomStream::GameData, 1.0f);
    int32_t rolled = RandomSystem::IndexFromFraction(draw, healthLow, healthHigh);
    health = maxHealth = std::max(1, rolled);
}

// ---- Use and toggling -----------------------------------------------------------------------------------

Door* Door::GetPrimary()
{
    Door* other = GetPartner();
    return primary || !other ? this : other;
}

void Door::Use(Entity* user)
{
    Door* first = GetPrimary();
    if (first != this) {
        first->Use(user);
        return;
    }
    auto* sentient = dynamic_cast<Sentient*>(user);
    if (!requiredKey.empty() && !(sentient && sentient->HasItemMatching(requiredKey))) {
        // The one who tried hears it, no other client.
        if (sentient)
            sentient->SendMessage(MakeLocToken("RequiresKeyXDoor", "$$%sSimple$$", requiredKey.c_str()), 2);
        QueueWorldEvent(kLockedSound, kSoundRadius, 0.0f);
        return;
    }
    Toggle(user);
}

void Door::OnNamedSignal(Entity* user, std::string_view name)
{
    if (primary && !requiredKey.empty() && StringEqualsNoCase(requiredKey, name))
        Toggle(user);
}

void Door::Toggle(Entity* user)
{
    if (state == DoorState::Closed)
        StartOpening(user);
    else if (state == DoorState::Open)
        StartClosing();
}

void Door::StartOpening(Entity* user)
{
    PlayAnimation("opening", kDoorMovePriority, AnimationMode::ReturnToIdle, true);
    state = DoorState::Opening;
    auto* finder = dynamic_cast<Sentient*>(user);
    if (secret && !found && finder && gGameServices) {
        found = true;
        gGameServices->OnSecretFound(*finder, position.level);
    }
    if (illusion)
        DissolveIllusion();
    if (trap) {
        float delay = AnimationDuration("opening");
        trap->TryTrigger(user, delay > 0.0f ? delay : kDefaultTrapDelay);
    }
}

void Door::DissolveIllusion()
{
    if (gGameServices)
        gGameServices->SendMessage(secret ? "$$FoundSecretIllusion$$" : "$$FoundIllusion$$", 2);
    alwaysBlocks = false;
    FadeOutAndDelete(fadeTime);
    if (Door* other = GetPartner()) {
        other->ScheduleDelete(0.0f);
        partner.Set(nullptr);
    }
}

void Door::StartClosing()
{
    if (!IsDoorwayClear())
        return;
    PlayAnimation("closing", kDoorMovePriority, AnimationMode::ReturnToIdle, true);
    state = DoorState::Closing;
    SetSolid(true);
}

// Only what stands in the doorway keeps a door open: its own cell and the bodies within its
// radius. The walls it is built into lie within that radius on either side of a one-tile gap,
// and a body test of the level would find them and never let the door shut.
bool Door::IsDoorwayClear() const
{
    if (!gGameServices)
        return true;
    const Door* other = GetPartner();
    auto clear = [this, other](const WorldPos& spot) {
        return !gGameServices->IsCellBlocked(spot) && gGameServices->IsSpotClearOfBlockers(spot, this, kDoorwayMask, other);
    };
    return clear(position) && (!other || clear(other->position));
}

void Door::SetSolid(bool solid)
{
    alwaysBlocks = solid;
    if (Door* other = GetPartner())
        other->alwaysBlocks = solid;
}

// ---- Breaking -------------------------------------------------------------------------------------------

void Door::OnAttackedBy(Entity* attacker)
{
    Door* first = GetPrimary();
    if (first != this) {
        first->OnAttackedBy(attacker);
        return;
    }
    Door* other = GetPartner();
    bool beaten = (maxHealth > 0 && health <= 0) || (other && other->maxHealth > 0 && other->health <= 0);
    if (!beaten || broken)
        return;
    // Broken means open: a closed (or closing) door swings open, an open one stays open.
    if (state == DoorState::Closed || state == DoorState::Closing)
        StartOpening(dynamic_cast<Sentient*>(attacker));
    broken = true;
    health = 0;
    if (other)
        other->health = 0;
}

// ---- Each step and the states -----------------------------------------------------------------------------

bool Door::PlayStateAnimation(const char* name)
{
    if (PlayAnimation(name, kDoorStillPriority, AnimationMode::Loop, false))
        return true;
    // Without the animation the move would never end and the door would stay solid for good.
    return !FindAnimationRecord(name);
}

void Door::Update(float seconds)
{
    Entity::Update(seconds);
    switch (state) {
    case DoorState::Closed:
        PlayStateAnimation("closed");
        break;
    case DoorState::Open:
        PlayStateAnimation("open");
        break;
    case DoorState::Opening:
        if (PlayStateAnimation("open")) {
            state = DoorState::Open;
            SetSolid(false);
        }
        break;
    case DoorState::Closing:
        if (PlayStateAnimation("closed")) {
            state = DoorState::Closed;
            SetSolid(true);
        }
        break;
    default:
        break;
    }
}

int32_t Door::GetStat(int32_t stat) const
{
    if (stat != kLevelStat)
        return 0;
    return gWorld ? gWorld->GetLevelMonsterLevel(position.level) : 1;
}

bool Door::IsFree() const
{
    if (broken || !primary)
        return false;
    return (!secret && !illusion) || state == DoorState::Closed;
}

void Door::WriteSaved(MessageBuffer& buffer) const
{
    buffer.WriteInt(state | (found ? kFoundFlag : 0));
}

bool Door::ReadSaved(MessageBuffer& buffer, int32_t)
{
    int32_t read = buffer.ReadInt();
    if (buffer.Overrun())
        return false;
    int32_t word = read & ~kFoundFlag;
    bool known = word >= DoorState::Closed && word <= DoorState::Closing;
    state = known ? word : DoorState::Closed;
    found = known && (read & kFoundFlag) != 0;
    SetSolid(state != DoorState::Open);
    return true;
}
