// Actor -- the bytes it writes for clients, the world save and the quests' copy of actors, and its generated name.
#include "entities/Actor.h"

#include "core/Database.h"
#include "core/DatabaseEntry.h"
#include "core/DebugSystem.h"
#include "core/MessageBuffer.h"
#include "core/NameGenerator.h"
#include "entities/Inventory.h"
#include "entities/SkillList.h"
#include "entities/StatusEffect.h"
#include "rules/GameData.h"
#include "rules/monsters/MonsterDefinition.h"
#include "rules/monsters/MonsterType.h"
#include "rules/skills/SkillBase.h"
#include "rules/skills/SkillDefinition.h"

#include <algorithm>
#include <cmath>

namespace {

// The status-effect kind the quests' copy of an actor keeps.
constexpr int32_t kActorRecordEffectKind = 6;
constexpr int32_t kActorExtraRatioVersion = 7;
constexpr int32_t kActorExtraFlagVersion = 30;
constexpr int32_t kActorRecordFullVersion = 40;
constexpr int32_t kActorStateDeadPriority = 12;
// A name is at least its NUL.
constexpr size_t kActorMinStringBytes = 1;

std::string ActorEntryName(const SimpleData* data)
{
    const DatabaseEntry* entry = data ? data->GetEntry() : nullptr;
    return entry ? std::string(entry->GetName()) : std::string();
}

} // namespace

void Actor::WriteNetState(MessageBuffer& buffer) const
{
    Sentient::WriteNetState(buffer);
    buffer.WriteInt(stats.Get(CharacterStat::Power));
    buffer.WriteInt(stats.Get(CharacterStat::MaxPower));
    buffer.WriteInt(stats.Get(CharacterStat::Movement));
    buffer.WriteBool(summoned);
    buffer.WriteInt(spawnCategory);
    GetOfferedQuests(offeredQuestsScratch);
    buffer.WriteIntVector(offeredQuestsScratch);
    buffer.WriteUInt(nameSeed);
    buffer.WriteInt(stats.Get(CharacterStat::Level));
}

void Actor::GetOfferedQuests(std::vector<int32_t>& out) const
{
    out.clear();
    if ((DefBool("GivesQuests") || questFigure) && gGameServices)
        gGameServices->GetQuestsOfferedBy(*this, out);
}

const DatabaseEntry* Actor::GetNetRecord() const
{
    const DatabaseEntry* typeRecord = monsterType ? monsterType->GetEntry() : nullptr;
    return typeRecord ? typeRecord : GetEntry();
}

// ---- The world save ------------------------------------------------------------------------

void Actor::WriteSaved(MessageBuffer& buffer) const
{
    buffer.WriteInt(health);
    buffer.WriteInt(stats.Get(CharacterStat::Power));
}

bool Actor::ReadSaved(MessageBuffer& buffer, int32_t)
{
    int32_t savedHealth = buffer.ReadInt();
    int32_t savedPower = buffer.ReadInt();
    if (buffer.Overrun())
        return false;
    health = std::min(savedHealth, std::max(maxHealth, 0));
    stats.Set(CharacterStat::Power, savedPower);
    if (maxHealth > 0 && health < 1) {
        deathState = ActorDeathState::kDead;
        deathHandled = true;
        netFlag = false;
        PlayAnimation("dead", kActorStateDeadPriority, AnimationMode::Loop, false);
        StartDeathTimer();
    }
    return true;
}

void Actor::WriteExtraState(MessageBuffer& buffer) const
{
    buffer.WriteUInt(nameSeed);
    buffer.WriteFloat(maxHealth > 0 ? static_cast<float>(health) / static_cast<float>(maxHealth) : 0.0f);
    buffer.WriteBool(gameFlag);
}

bool Actor::ReadExtraState(MessageBuffer& buffer, int32_t version)
{
    uint32_t seed = buffer.ReadUInt();
    float ratio = version > kActorExtraRatioVersion ? buffer.ReadFloat() : 0.0f;
    bool flag = version > kActorExtraFlagVersion ? buffer.ReadBool() : gameFlag;
    if (buffer.Overrun())
        return false;
    SetNameSeed(seed);
    if (version > kActorExtraRatioVersion) {
        // A damaged ratio must not make a health above the maximum or a NaN.
        float kept = std::isfinite(ratio) ? std::clamp(ratio, 0.0f, 1.0f) : 0.0f;
        health = static_cast<int32_t>(std::floor(static_cast<float>(maxHealth) * kept));
    }
    gameFlag = flag;
    return true;
}

// ---- The quests' copy of an actor ------------------------------------------------------------

void Actor::WriteRecord(const Actor& actor, MessageBuffer& buffer)
{
    buffer.WriteString(ActorEntryName(actor.monsterType));
    buffer.WriteInt(actor.stats.Get(CharacterStat::Level));
    buffer.WriteInt(actor.spawnCategory);
    std::vector<std::string> effects;
    for (const auto& effect : actor.GetStatusEffects())
        if (effect->effectType == kActorRecordEffectKind)
            effects.push_back(ActorEntryName(effect.get()));
    buffer.WriteInt(static_cast<int32_t>(effects.size()));
    for (const std::string& name : effects)
        buffer.WriteString(name);
    buffer.WriteUInt(actor.nameSeed);
    actor.inventory->Write(buffer, true);
    const auto& skills = actor.skillList->GetSkills();
    buffer.WriteInt(static_cast<int32_t>(skills.size()));
    for (const auto& skill : skills)
        buffer.WriteString(ActorEntryName(skill->definition));
}

bool Actor::ReadRecord(Actor& actor, MessageBuffer& buffer, int32_t version)
{
    // Everything is read and checked before the actor changes, so a cut record leaves it as it was.
    std::string typeName = buffer.ReadString();
    int32_t level = buffer.ReadInt();
    int32_t category = buffer.ReadInt();
    int32_t effectCount = 0;
    std::vector<std::string> effects;
    if (!buffer.ReadCount(effectCount, kActorMinStringBytes))
        return false;
    for (int32_t i = 0; i < effectCount; ++i)
        effects.push_back(buffer.ReadString());
    uint32_t seed = buffer.ReadUInt();
    if (buffer.Overrun())
        return false;
    const MonsterType* type = gGameData ? gGameData->FindMonsterType(typeName) : nullptr;
    if (!type || !type->definition) {
        DebugSystem::Print(2, "Actor record names unknown monster type %s\n", typeName.c_str());
        return false;
    }
    if (level < 1 || level > kMaxLevel) {
        DebugSystem::Print(2, "Actor record of %s has level %d, outside 1 to %d\n", typeName.c_str(), level, kMaxLevel);
        return false;
    }
    bool full = version >= kActorRecordFullVersion;
    Inventory items;
    std::vector<std::string> skillNames;
    if (full) {
        int32_t skillCount = 0;
        if (!items.Read(buffer, true, version) || !buffer.ReadCount(skillCount, kActorMinStringBytes))
            return false;
        for (int32_t i = 0; i < skillCount; ++i)
            skillNames.push_back(buffer.ReadString());
        if (buffer.Overrun())
            return false;
    }
    actor.SetUpFromMonsterType(type, level, full);
    actor.spawnCategory = category;
    actor.RecalculateStats(false);
    for (const std::string& name : effects)
        if (const DatabaseEntry* entry = gDatabase ? gDatabase->FindEntryByName(name) : nullptr)
            actor.AddStatusEffect(entry, &actor, 1);
    actor.nameSeed = seed;
    actor.generatedName.clear();
    if (!full)
        return true;
    actor.inventory->CopyFrom(items);
    actor.inventory->SetOwner(&actor);
    for (const std::string& name : skillNames)
        actor.LearnSkill(gGameData->FindSkillDefinition(name));
    actor.SpendSkillPoints();
    actor.RecalculateStats(false);
    return true;
}

// ---- Names ---------------------------------------------------------------------------------

void Actor::SetNameSeed(uint32_t seed)
{
    if (seed == nameSeed)
        return;
    nameSeed = seed;
    generatedName.clear();
}

const std::string& Actor::GetName()
{
    std::string nameFile = DefString("RandomNameFile");
    if (generatedName.empty() && !nameFile.empty() && gNameGenerator)
        generatedName = gNameGenerator->Generate(nameFile, nameSeed);
    if (generatedName.empty() && monsterType)
        displayName = monsterType->name;
    return generatedName.empty() ? displayName : generatedName;
}
