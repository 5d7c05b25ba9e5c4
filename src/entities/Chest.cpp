// Chest -- the level object that holds loot: opened through a timed action or broken, locked by a key, trapped, or the way into a secret level.
#include "entities/Chest.h"

#include "core/Database.h"
#include "core/DatabaseEntry.h"
#include "core/EventSystem.h"
#include "core/LocSystem.h"
#include "core/MessageBuffer.h"
#include "core/RandomSystem.h"
#include "entities/Gate.h"
#include "entities/GameServices.h"
#include "entities/Item.h"
#include "entities/ItemGround.h"
#include "entities/Sentient.h"
#include "entities/Trap.h"
#include "world/AreaDefinition.h"
#include "world/Level.h"
#include "world/World.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int32_t kChestOpeningPriority = 9;
constexpr int32_t kChestBreakPriority = 13;
constexpr int32_t kChestBrokenPriority = 12;
constexpr int32_t kChestStillPriority = 2;

bool ChestIsSecretLevel(int32_t levelIndex)
{
    const Level* level = gWorld ? gWorld->GetLevel(levelIndex) : nullptr;
    return level && level->area && level->area->secretLevel;
}

} // namespace

Chest::Chest() = default;

// The trap goes with the chest.
Chest::~Chest() = default;

void Chest::Load(const DatabaseEntry* record)
{
    Entity::Load(record);
    if (!record)
        return;
    itemChance = record->GetFloat("ItemChance", 0.0f);
    trapChance = record->GetFloat("TrapChance", 0.0f);
    minItems = record->GetInt("MinItems");
    maxItems = record->GetInt("MaxItems");
    increasedMagicChance = record->GetInt("IncreasedMagicChance");
    secretLevelChance = record->GetFloat("SecretLevelChance", 0.0f);
    anyDirection = record->GetInt("AnyDirection") != 0;
    alwaysBlocks = record->GetInt("Solid") != 0;
    if (record->GetInt("CanAttack") != 0)
        breakable = true;
    timedAction = GetTimedActionByName(record->GetString("TimedAction"));
    fadeTime = record->GetFloat("FadeTime", 0.0f);
    collectDistance = record->GetFloat("CollectDist", 0.0f);
    requiredKey = record->GetString("RequiresKey");
    healthLow = record->GetInt("MinHealth");
    healthHigh = record->GetInt("MaxHealth");
}

// ---- Placement ---------------------------------------------------------------------------------

void Chest::Randomize(int32_t levelIndex)
{
    if (trapChance > DrawRandomFloat(RandomStream::GameData, 1.0f) && gWorld && gWorld->AreTrapsAllowed(levelIndex))
        ArmTrap();
    if (!ChestIsSecretLevel(levelIndex) && secretLevelChance > DrawRandomFloat(RandomStream::GameData, 1.0f))
        secretLink = true;
    RollFacing();
    if (breakable)
        RollHealth();
}

void Chest::ArmTrap()
{
    trap = std::make_unique<Trap>();
    trap->SetOwner(this);
    if (const DatabaseEntry* record = gGameServices ? gGameServices->PickTrapRecord(level) : nullptr)
        trap->Load(record);
}

void Chest::RollFacing()
{
    if (anyDirection) {
        facing = std::min(7, static_cast<int32_t>(std::floor(DrawRandomScaled(RandomStream::GameData, 8.0f, 1.0f))));
        return;
    }
    // South mostly, else south-west or west: the chest faces the viewer.
    if (DrawRandomFloat(RandomStream::GameData, 1.0f) < 0.33f)
        facing = 4;
    else
        facing = DrawRandomFloat(RandomStream::GameData, 1.0f) < 0.5f ? 5 : 6;
}

void Chest::RollHealth()
{
    float draw = DrawRandomFloat(RandomStream::GameData, 1.0f);
    int32_t rolled = RandomSystem::IndexFromFraction(draw, healthLow, healthHigh);
    health = EntityBase::maxHealth = std::max(1, rolled);
}

bool Chest::TryStoreRecord(const DatabaseEntry* record, const WorldPos& where)
{
    if (!record || (record->GetType() != DatabaseEntryType::Item && record->GetType() != DatabaseEntryType::QuestItem))
        return false;
    Vector2 delta = position.DeltaTo(where);
    if (!(std::fabs(delta.x) <= collectDistance && std::fabs(delta.y) <= collectDistance))
        return false;
    stored.push_back(record);
    return true;
}

void Chest::CollectNearbyItems()
{
    if (collectDistance <= 0.0f || !gGameServices)
        return;
    std::vector<int32_t> numbers;
    gGameServices->CollectEntitiesNear(position, collectDistance, false, numbers);
    for (int32_t number : numbers) {
        auto* ground = dynamic_cast<ItemGround*>(gGameServices->GetEntity(number));
        const Item* item = ground ? ground->GetItem() : nullptr;
        if (!item || !TryStoreRecord(item->GetEntry(), ground->position))
            continue;
        gGameServices->RemoveEntity(ground);
        delete ground;
    }
}

// ---- Opening --------------------------------------------------------------------------------------

void Chest::OnUsedBy(Entity* user)
{
    auto* sentient = dynamic_cast<Sentient*>(user);
    if (!sentient || !gGameServices)
        return;
    float duration = gGameServices->ChestOpenTime(level, sentient->GetStat(CharacterStat::Level));
    sentient->StartTimedEvent(Sentient::GetEventId(SentientEvent::UseEntity), timedAction, duration);
    if (trap)
        trap->TryTrigger(user, duration);
}

void Chest::Use(Entity* user)
{
    if (!closed || !user || !gGameServices)
        return;
    auto* sentient = dynamic_cast<Sentient*>(user);
    if (!requiredKey.empty() && !(sentient && sentient->HasItemMatching(requiredKey))) {
        // The one who tried hears it, no other client.
        if (sentient)
            sentient->SendMessage(MakeLocToken("RequiresKeyXChest", "$$%s$$", requiredKey.c_str()), 2);
        QueueWorldEvent(kLockedSound, kSoundRadius, 0.0f);
        return;
    }
    Open(sentient);
    if (closed)
        return;
    if (!PlayAnimation("opening", kChestOpeningPriority, AnimationMode::ReturnToIdle, false))
        FadeOutAndDelete(fadeTime);
    if (questNotify)
        gGameServices->OfferChestToQuests(*this, sentient);
}

void Chest::Open(Sentient* opener)
{
    if (!stored.empty())
        DropStoredItems();
    else if (secretLink) {
        if (!OpenSecretLevel())
            return;
    } else if (gGameServices)
        gGameServices->GenerateChestLoot(*this, opener ? static_cast<float>(opener->GetStat(CharacterStat::ItemsChance)) : 0.0f,
                                         opener ? static_cast<float>(opener->GetStat(CharacterStat::MagicChance)) : 0.0f);
    closed = false;
    alwaysBlocks = false;
}

void Chest::DropStoredItems()
{
    if (!gGameServices)
        return;
    for (const DatabaseEntry* record : stored) {
        std::unique_ptr<Item> item = gGameServices->GenerateItem(record, -1);
        // An item no spot takes is lost with the unique pointer.
        if (item)
            ItemGround::Drop(position, item, false, false, true);
    }
}

bool Chest::OpenSecretLevel()
{
    if (!gWorld || !gGameServices)
        return true;
    const Level* here = gWorld->GetLevel(position.level);
    int32_t secretIndex = gGameServices->PeekSecretLevel();
    Level* secret = gWorld->GetLevel(secretIndex);
    // With every secret level taken the chest opens quietly.
    if (!here || !secret)
        return true;
    WorldPos point = gWorld->RandomPointInLevel(secretIndex);
    if (!gGameServices->CreateLinkedGates(nullptr, position, point, kSecretGateKind).first)
        return false;
    gGameServices->NextSecretLevel();
    secret->monsterLevel = here->monsterLevel + 1;
    QueueWorldEvent(kSecretSound, kSoundRadius, 0.0f);
    return true;
}

void Chest::OnAttackedBy(Entity* attacker)
{
    if (EntityBase::maxHealth < 1 || health >= 1 || broken)
        return;
    Open(dynamic_cast<Sentient*>(attacker));
    // Gates that could not be made leave it whole for another blow.
    if (closed)
        return;
    PlayAnimation("break", kChestBreakPriority, AnimationMode::ReturnToIdle, false);
    broken = true;
}

void Chest::OnUseEnded(Entity* user)
{
    if (auto* sentient = dynamic_cast<Sentient*>(user))
        sentient->CancelUseEntity();
    if (trap && user && trap->GetVictim() == user && gGameServices && gEventSystem)
        gGameServices->CancelTimedActions(gEventSystem->FindEvent(Trap::kTriggerEvent), trap.get());
}

// ---- Each step and the states ----------------------------------------------------------------------

void Chest::Update(float seconds)
{
    Entity::Update(seconds);
    const char* name = nullptr;
    int32_t animationPriority = kChestStillPriority;
    if (breakable) {
        name = broken ? "broken" : "idle";
        animationPriority = broken ? kChestBrokenPriority : kChestStillPriority;
    } else {
        name = closed ? "closed" : "open";
    }
    bool started = PlayAnimation(name, animationPriority, AnimationMode::Loop, false);
    bool opened = (breakable && broken) || (!breakable && !closed);
    if (started && opened && fadeTime > 0.0f)
        FadeOutAndDelete(fadeTime);
}

int32_t Chest::GetStat(int32_t stat) const
{
    return stat == kLevelStat ? level : 0;
}

void Chest::WriteNetState(MessageBuffer& buffer) const
{
    buffer.WriteInt(closed ? 1 : 0);
}

void Chest::WriteSaved(MessageBuffer& buffer) const
{
    buffer.WriteInt(static_cast<int32_t>(stored.size()));
    for (const DatabaseEntry* record : stored)
        buffer.WriteString(record->GetName());
    buffer.WriteInt(secretLink ? 1 : 0);
}

bool Chest::ReadSaved(MessageBuffer& buffer, int32_t version)
{
    int32_t count = buffer.ReadInt();
    // Each name takes at least its NUL.
    if (buffer.Overrun() || count < 0 || count > kMaxSavedRecords || static_cast<size_t>(count) > buffer.BytesLeft())
        return false;
    std::vector<std::string> names;
    for (int32_t i = 0; i < count; ++i)
        names.push_back(buffer.ReadString());
    // An older file kept no link: the one drawn as the chest was placed again stands.
    int32_t link = version >= kSavedLinkVersion ? buffer.ReadInt() : (secretLink ? 1 : 0);
    if (buffer.Overrun() || (link != 0 && link != 1))
        return false;
    secretLink = link == 1;
    for (const std::string& name : names)
        if (const DatabaseEntry* record = gDatabase ? gDatabase->FindEntryByName(name) : nullptr)
            stored.push_back(record);
    return true;
}

bool Chest::IsFree() const
{
    return closed;
}
