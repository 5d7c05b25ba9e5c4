// EntityClient -- the client's mirror of one world-host entity the player sees: its record and what the record says about showing it, its place, model, animation, light, status effects and class state.
#include "client/EntityClient.h"

#include "client/GameClient.h"
#include "client/StatusEffectClient.h"
#include "core/ColorSystem.h"
#include "core/DatabaseEntry.h"
#include "core/EngineEnums.h"
#include "core/EventClass.h"
#include "core/FileSystem.h"
#include "core/TypeRegistry.h"
#include "resources/ResourceManager.h"
#include "resources/models/Skin.h"
#include "resources/shaders/ShaderLookup.h"
#include "rules/CharacterClass.h"
#include "rules/GameData.h"
#include "rules/RulesEnums.h"
#include "rules/monsters/MonsterArchetype.h"
#include "rules/monsters/MonsterDefinition.h"
#include "rules/monsters/MonsterType.h"
#include "rules/skills/SkillDefinition.h"

#include <cmath>

namespace {

// The quest icons a creature shows over its head; texture flags 5 for every icon.
constexpr const char* kEntityClientQuestAvailableIcon = "Textures/Icons/questAvailable.tga";
constexpr const char* kEntityClientQuestCompletedIcon = "Textures/Icons/questCompleted.tga";
constexpr int32_t kEntityClientIconTextureFlags = 5;

bool EntityClientFlag(const DatabaseEntry& entry, const char* key)
{
    return entry.GetInt(key) != 0;
}

BaseClass* EntityClientCreate()
{
    return nullptr;
}

} // namespace

EventClass* EntityClient::eventClass = nullptr;

EntityClient::EntityClient()
{
    netFlag = false;
}

EntityClient::~EntityClient() = default;

void EntityClient::RegisterEventClass(TypeRegistry& types)
{
    // Client entities are made by the game client for the numbers an update names, never by name.
    eventClass = types.RegisterType("EntityClient", "Listener", &EntityClientCreate, nullptr);
}

EventClass* EntityClient::GetEventClass() const
{
    return eventClass ? eventClass : Listener::GetEventClass();
}

// ---- The record ----------------------------------------------------------------------------------

void EntityClient::Load(const DatabaseEntry* newRecord)
{
    record = newRecord;
    isItem = false;
    isChest = NetEntityStates::KindOf(record) == NetStateKind::Chest;
    if (!record)
        return;
    switch (record->GetType()) {
    case DatabaseEntryType::MonsterType:
        LoadMonsterType(gGameData ? gGameData->FindMonsterTypeBy(record) : nullptr);
        break;
    case DatabaseEntryType::Actor: LoadMonsterType(FindMonsterTypeOfDefinition(record)); break;
    case DatabaseEntryType::Class:
        if (gGameData)
            // By the record's own name: "Name" is the class's words on screen, which no class is filed under.
            SetClassIndex(gGameData->FindCharacterClassIndex(record->GetName()));
        break;
    case DatabaseEntryType::Item:
        isItem = true;
        itemType = GetItemTypeByName(record->GetString("ItemType"));
        break;
    default: LoadObjectKind(); break;
    }
    LoadCommon();
}

const MonsterType* EntityClient::FindMonsterTypeOfDefinition(const DatabaseEntry* definition)
{
    // The world host names a creature by its monster type; a bare actor record (no type known)
    // takes the first monster type made of it, which stands for its archetype.
    int32_t count = gGameData ? gGameData->GetMonsterTypeCount() : 0;
    for (int32_t i = 0; i < count; ++i) {
        const MonsterType* type = gGameData->GetMonsterType(i);
        if (type && type->definition && type->definition->GetEntry() == definition)
            return type;
    }
    return nullptr;
}

void EntityClient::LoadMonsterType(const MonsterType* type)
{
    const MonsterArchetype* found = type ? type->archetype : nullptr;
    if (type && found) {
        monsterType = type;
        archetype = found;
        SetClassIndex(found->classIndex);
        // The NPC keys are the actor definition's; the archetype may hold them as well.
        const DatabaseEntry& traits = type->definition && type->definition->GetEntry() ? *type->definition->GetEntry()
                                                                                       : *found->GetEntry();
        isNpc = type->definition ? type->definition->npc : EntityClientFlag(traits, "Npc");
        npcType = type->definition ? type->definition->npcType : 0;
        isNpcGhost = EntityClientFlag(traits, "NpcGhost");
        isNpcRenegade = EntityClientFlag(traits, "NpcRenegade");
        isNpcThief = EntityClientFlag(traits, "NpcThief");
        givesQuests = type->definition ? type->definition->givesQuests : EntityClientFlag(traits, "GivesQuests");
        canBeRescued = EntityClientFlag(traits, "CanBeRescued");
        canReceiveDelivery = EntityClientFlag(traits, "CanReceiveDelivery");
        canBeEscorted = EntityClientFlag(traits, "CanBeEscorted");
        // The archetype's list names its kind; a figure of another kind that the host names (a
        // quest's renegade, a ghost) draws from the list its actor's definition gives the host.
        nameListName = found->nameListName.empty() ? traits.GetString("RandomNameFile") : found->nameListName;
        canAttack = found->canAttack;
        isVendor = HasRecordFlag("Vendor");
        isGuardVendor = HasRecordFlag("GuardVendor");
        isGambler = HasRecordFlag("Gambler");
        talks = HasRecordFlag("Talks");
        radius = found->radius;
        selectRadius = found->selectRadius;
        hideFromMiniMap = found->hideFromMiniMap;
        displayName = type->name.empty() ? found->name : type->name;
        if (gResourceManager) {
            // Drawn as sprites, which take the texture's shader. Mended: the textures themselves
            // were loaded, which no sprite draws, so no mark ever showed over a head.
            LoadTextureByName(kEntityClientQuestAvailableIcon, questAvailableIcon, TextureUsage::AlphaBlended);
            LoadTextureByName(kEntityClientQuestCompletedIcon, questCompletedIcon, TextureUsage::AlphaBlended);
        }
        PrecacheSkills();
    }
    // Kept on purpose when the type is not found: a level is the monster type's own.
    level = 0;
}

void EntityClient::PrecacheSkills()
{
    precached.clear();
    if (!gResourceManager)
        return;
    auto keep = [this](const std::string& name) {
        if (!name.empty())
            precached.push_back(AcquireResource(name));
    };
    auto keepProjectile = [&keep](const SkillDefinition* skill) {
        const DatabaseEntry* projectile =
            skill && gDatabase ? gDatabase->FindEntryByName(skill->projectile) : nullptr;
        if (projectile) {
            keep(projectile->GetString("ModelName"));
            // The projectile's own record names its impact model "Explosion", as the host reads it.
            keep(projectile->GetString("Explosion"));
        }
    };
    for (const SkillDefinition* skill : archetype->skills)
        keepProjectile(skill);
    // The type's own "Skill" lines too: a creature of the type uses them beside its kind's.
    if (monsterType && gGameData)
        for (const std::string& name : monsterType->skills)
            keepProjectile(gGameData->FindSkillDefinition(name));
    std::vector<std::string> names;
    record->GetStringList("precache", names, true, false);
    for (const std::string& name : names)
        keep(name);
}

void EntityClient::LoadObjectKind()
{
    bool* kinds[] = {&isStash,         &isPlayerStash,        &isBookshelf,     &isPedestal,
                     &isNpcList,       &isUsableObject,       &isToggleUsableObject, &useOnlyWhenSolid,
                     &isGate,          &isTownGate,           &isLifeStone,     &hideFromMiniMap,
                     &showsAltHelp,    &canAttack};
    const char* keys[] = {"Stash", "PlayerStash", "Bookshelf", "Pedestal", "NpcList", "UsableObject",
                          "ToggleUsableObject", "UseOnlyWhenSolid", "Gate", "TownGate", "LifeStone",
                          "HideFromMiniMap", "ShowAltHelp", "CanAttack"};
    for (size_t i = 0; i < std::size(keys); ++i)
        *kinds[i] = EntityClientFlag(*record, keys[i]);
}

const DatabaseEntry* EntityClient::GetActorRecord() const
{
    bool creature = record && (record->GetType() == DatabaseEntryType::MonsterType ||
                               record->GetType() == DatabaseEntryType::Actor);
    return creature && monsterType && monsterType->definition ? monsterType->definition->GetEntry() : nullptr;
}

const DatabaseEntry* EntityClient::GetKeyRecord() const
{
    const DatabaseEntry* actorRecord = GetActorRecord();
    return actorRecord ? actorRecord : record;
}

bool EntityClient::HasRecordFlag(const char* key) const
{
    const DatabaseEntry* actorRecord = GetActorRecord();
    return (record && EntityClientFlag(*record, key)) || (actorRecord && EntityClientFlag(*actorRecord, key));
}

void EntityClient::LoadCommon()
{
    // A creature's body keys are its actor record's, whichever record named it.
    const DatabaseEntry& keys = *GetKeyRecord();
    std::string skinName = keys.GetString("SkinName");
    if (!skinName.empty() && gResourceManager)
        gResourceManager->Load(skinName, skin);
    iconHeight = keys.GetFloat("IconHeight", 0.0f);
    if (radius == 0.0f)
        radius = keys.GetFloat("Radius", 0.0f);
    if (selectRadius == 0.0f)
        selectRadius = keys.GetFloat("SelectRadius", 0.0f);
    drawsBlip = !EntityClientFlag(keys, "NoBlip");
    castsShadow = !EntityClientFlag(keys, "NoShadow");
    drawsIcons = !EntityClientFlag(keys, "DontDrawIcons");
    solidType = GetSolidTypeByName(keys.GetString("SolidType"));
    fakeAttach = EntityClientFlag(keys, "FakeAttach");
    isSecret = EntityClientFlag(keys, "Secret");
    blocksSight = EntityClientFlag(keys, "BlocksSight");
    hideWhenOutOfSight = EntityClientFlag(keys, "HideWhenOutOfSight");
    std::string shader = keys.GetString("MapShader");
    if (!shader.empty() && gResourceManager)
        gResourceManager->Load(shader, mapShader, kEntityClientIconTextureFlags);
    useMapShaderWhenSolid = EntityClientFlag(keys, "UseMapShaderWhenSolid");
    alwaysUseMapShader = EntityClientFlag(keys, "AlwaysUseMapShader");
    useDefaultMapShader = EntityClientFlag(keys, "UseDefaultMapShader");
    // Never cleared here: a record without the key leaves an earlier one's choice.
    if (EntityClientFlag(keys, "DontAnimate"))
        noAnimation = true;
    turnSpeed = keys.GetFloat("TurnSpeed", 0.0f);
    // A creature's switched-off surfaces are its type's, as the host's set-up takes them.
    if (GetActorRecord())
        HideTypeSurfaces(*monsterType);
}

void EntityClient::SetClassIndex(int32_t index)
{
    if (index == classIndex)
        return;
    classIndex = index;
    classRecord = gGameData ? gGameData->GetCharacterClass(index) : nullptr;
    if (classRecord && classRecord->GetEntry())
        radius = classRecord->GetEntry()->GetFloat("Radius", radius);
}

// ---- Questions -----------------------------------------------------------------------------------

float EntityClient::GetScale() const
{
    const EntityClient* owner = GetOwner();
    return owner ? owner->GetScale() * attachScale : attachScale * scale;
}

void EntityClient::FreeModel()
{
    // Through SetModel, so that the animation of the model let go ends with it.
    SetModel(ResourceHandle());
    modelName.clear();
}

void EntityClient::ResolveModel(const std::string& path, ResourceHandle& out)
{
    out = AcquireResource(path);
}

ResourceHandle EntityClient::AcquireResource(const std::string& name) const
{
    ResourceHandle handle;
    if (gResourceManager && !name.empty())
        gResourceManager->Load(name, handle);
    return handle;
}

float EntityClient::GetAlpha() const
{
    const EntityClient* owner = GetOwner();
    return owner ? entityAlpha * owner->GetAlpha() : entityAlpha;
}

bool EntityClient::HasDamageBreaksEffect() const
{
    for (const auto& effect : statusEffects)
        if (effect->GetRecord() && effect->GetRecord()->GetInt("DamageBreaks") != 0)
            return true;
    return false;
}

bool EntityClient::IsTargetable() const
{
    for (const auto& effect : statusEffects)
        if (effect->BlocksTargeting())
            return false;
    return !(entityState != 0 && priority == kStatePriority);
}

EntityClient* EntityClient::GetOwner() const
{
    auto find = [](int32_t number) { return gGameClient ? gGameClient->GetEntity(number) : nullptr; };
    EntityClient* owner = find(parentNumber);
    // The numbers come from the network: a chain that loops or runs on past the bound is no owner.
    const EntityClient* link = owner;
    for (int32_t depth = 1; link; ++depth) {
        if (link == this || depth > kMaxOwnerLinks)
            return nullptr;
        link = find(link->parentNumber);
    }
    return owner;
}

bool EntityClient::IsHidden() const
{
    if (flags & kFlagHidden)
        return true;
    const EntityClient* owner = GetOwner();
    return owner && owner->IsHidden();
}

bool EntityClient::GetMapColour(int32_t index, float& red, float& green, float& blue) const
{
    if (!drawsBlip || index == kNoMapColour)
        return false;
    if (index < 0 || index >= ColorType::kCount)
        index = 0;
    ColorSystem::GetColorByIndex(red, green, blue, index);
    return true;
}

bool EntityClient::IsReadyToTake() const
{
    return GetAlpha() > 0.99f && !IsPlayingAnimation("fall");
}
