// Actor -- the computer-run creature built from a monster type: it senses, hates, walks its paths, drives its behaviours, dies as a corpse and is saved.
#include "entities/Actor.h"

#include "core/Database.h"
#include "core/DatabaseEntry.h"
#include "core/DebugSystem.h"
#include "core/ColorSystem.h"
#include "core/EnumTable.h"
#include "core/Event.h"
#include "core/EventSystem.h"
#include "core/MathUtil.h"
#include "core/RandomSystem.h"
#include "core/TypeRegistry.h"
#include "entities/BehaviorBase.h"
#include "entities/EntityCovenant.h"
#include "entities/EntityQuest.h"
#include "entities/Inventory.h"
#include "entities/Item.h"
#include "entities/Skill.h"
#include "entities/ai/BehaviorStack.h"
#include "entities/SkillList.h"
#include "rules/CharacterClass.h"
#include "rules/GameData.h"
#include "rules/RulesEnums.h"
#include "rules/items/InventoryBag.h"
#include "rules/monsters/MonsterDefinition.h"
#include "rules/monsters/MonsterType.h"
#include "rules/skills/SkillBase.h"
#include "rules/skills/SkillDefinition.h"

#include <algorithm>
#include <array>
#include <cmath>

EventClass* Actor::eventClass = nullptr;

namespace {

// The difficulty tables of the game data, in the order DifficultyFactor takes them.
enum ActorFactorTable { kActorDefense, kActorAttack, kActorHealth, kActorDamage, kActorResistance, kActorSpeed };

const std::array<float, WorldDifficultyLevel::kCount>& ActorFactorTableOf(int32_t which)
{
    const GameSystemTuning& tuning = gGameData->GetTuning();
    switch (which) {
    case kActorDefense: return tuning.monsterDefenseMult;
    case kActorAttack: return tuning.monsterAttackMult;
    case kActorHealth: return tuning.monsterHealthMult;
    case kActorDamage: return tuning.monsterDamageMult;
    case kActorResistance: return tuning.monsterResistanceMult;
    default: return tuning.monsterSpeedMult;
    }
}

float ActorDifficultyFactor(int32_t which)
{
    if (!gGameData)
        return 1.0f;
    int32_t difficulty = std::clamp(gGameData->GetWorldDifficulty(), 0, WorldDifficultyLevel::kCount - 1);
    return ActorFactorTableOf(which)[static_cast<size_t>(difficulty)];
}

// The damage table is built at every hit.
const std::string& ActorDamagePercentKey(int32_t type)
{
    static const DamageTypeKeys kKeys("DamagePercent");
    return kKeys[type];
}

int32_t ActorRound(float value)
{
    return FloorToInt(value + 0.5f);
}

// An action kind every actor accepts; a summoned one accepts all.
bool ActorAcceptsKind(int32_t kind)
{
    return kind == 4 || kind == 12 || kind == 13 || kind == 14 || kind == 19;
}

} // namespace

Actor::Actor()
{
    homePosition.level = -1;
    moveDestination.level = -1;
    currentWaypoint.level = -1;
    skillList->fixed = true;
    // Room for every usual foe at once: sensing a new one then never grows the list.
    hateList.reserve(kReservedHateEntries);
    if (gGameData) {
        int32_t generic = gGameData->FindCharacterClassIndex("ClassMonsterGeneric");
        if (generic >= 0)
            SetClass(generic, true);
    }
    SetGridPosition(position);
    inventory->SetOwner(this);
    inventory->ResizeBag(InventoryGroupIndex::Equipment, kMainBagSlots);
    inventory->ResizeBag(InventoryGroupIndex::Loot, kTradeBagSlots);
    activityTimer.minimum = kActivityMinSeconds;
    activityTimer.maximum = kActivityMaxSeconds;
    activityTimer.running = 1;
    for (RandomTimer* timer : {&deathTimer, &activityTimer, &sensingTimer, &hearingTimer}) {
        timer->listed = 1;
        timers.push_back(timer);
    }
    stanceWord = 0;
    RecalculateStats(false);
    AddStatusEffectByName("StatusEffectBasicRegen", this, 1);
}

Actor::~Actor()
{
    ClearHateList();
    for (RandomTimer* timer : {&deathTimer, &activityTimer, &sensingTimer, &hearingTimer})
        timers.erase(std::remove(timers.begin(), timers.end(), timer), timers.end());
}

void Actor::RegisterEventClass(EventSystem& events, TypeRegistry& types)
{
    int healed = events.RegisterEvent("EnemyHealed");
    int buffed = events.RegisterEvent("EnemyBuffed");
    int pass = events.RegisterEvent(kPassToBehaviorEvent);
    int heard = events.RegisterEvent("HeardSound");
    int killed = events.RegisterEvent("EnemyKilled");
    int offer = events.RegisterEvent(kOfferQuestEvent);
    // The sentient table is the base, so actors keep the sentients' handlers.
    Sentient::RegisterEventClass(events, types);
    eventClass = types.RegisterType("Actor", "Sentient", nullptr, nullptr);
    Listener::Subscribe(eventClass, healed, &Actor::OnEnemyHealed);
    Listener::Subscribe(eventClass, buffed, &Actor::OnEnemyBuffed);
    Listener::Subscribe(eventClass, pass, &Actor::OnPassToBehavior);
    Listener::Subscribe(eventClass, heard, &Actor::OnHeardSound);
    Listener::Subscribe(eventClass, killed, &Actor::OnEnemyKilled);
    Listener::Subscribe(eventClass, offer, &Actor::OnOfferQuest);
}

EventClass* Actor::GetEventClass() const
{
    return eventClass ? eventClass : Sentient::GetEventClass();
}

// ---- Definition keys -----------------------------------------------------------------------

int32_t Actor::DefInt(std::string_view key) const
{
    return definition ? definition->GetInt(key) : 0;
}

float Actor::DefFloat(std::string_view key, float fallback) const
{
    const DatabaseEntry* entry = definition ? definition->GetEntry() : nullptr;
    return entry ? entry->GetFloat(key, fallback) : fallback;
}

std::string Actor::DefString(std::string_view key) const
{
    const DatabaseEntry* entry = definition ? definition->GetEntry() : nullptr;
    return entry ? entry->GetString(key) : std::string();
}

const DatabaseField* Actor::DefField(std::string_view key) const
{
    const DatabaseEntry* entry = definition ? definition->GetEntry() : nullptr;
    return entry ? entry->FindField(key) : nullptr;
}

// ---- Set-up ----------------------------------------------------------------------------------

void Actor::SetUpFromMonsterType(const MonsterType* type, int32_t level, bool loading)
{
    if (!type || !type->definition || !gGameData) {
        DebugSystem::Print(2, "Actor set up without a monster type or its definition\n");
        return;
    }
    monsterType = type;
    definition = type->definition;
    int32_t classIndex = gGameData->FindCharacterClassIndex(definition->className);
    if (classIndex >= 0)
        SetClass(classIndex, true);
    stats.Set(CharacterStat::Level, level);
    if (definition->GetEntry() && GetEntry() != definition->GetEntry())
        SetEntry(definition->GetEntry());
    if (const CharacterClass* chosen = GetClass())
        for (int32_t attribute = 0; attribute < 5; ++attribute)
            stats.Set(CharacterStat::BaseStrength + attribute, chosen->GetAttributeAtLevel(attribute, level));
    stats.Set(CharacterStat::MinDamage, MinDamageRule());
    stats.Set(CharacterStat::MaxDamage, MaxDamageRule());
    stats.Set(CharacterStat::Armor, ComputeArmor());
    baseSpeed = ActorRound(ActorDifficultyFactor(kActorSpeed) * DefFloat("BaseSpeed"));
    int32_t minSprint = DefInt("MinSprintSpeed");
    int32_t maxSprint = std::max(minSprint, DefInt("MaxSprintSpeed"));
    sprintSpeed = DrawRandomIndex(RandomStream::GameData, minSprint, maxSprint);
    idleDistance = DefFloat("IdleDistance");
    LoadModels(definition->modelName);
    std::string factionName = type->GetFactionName().empty() ? definition->factionName : type->GetFactionName();
    if (gGameServices)
        factionIndex = gGameServices->GetOrAddFaction(factionName);
    npc = definition->npc;
    alpha = DefFloat("Alpha", 1.0f);
    for (int32_t k = 0; k < DamageType::kCount; ++k) {
        std::string key = "BaseResistance" + GetDamageTypeName(k);
        resistanceBonus[static_cast<size_t>(k)] = DefInt(key) + type->GetInt(key);
    }
    ApplyEnhancements(definition->enhancements);
    LearnSkills(definition->skills);
    if (!loading)
        UseSkillPoints();
    ApplyEnhancements(type->enhancements);
    LearnSkills(type->skills);
    std::string deathName = type->GetEntry() ? type->GetEntry()->GetString("DeathSkill") : std::string();
    if (deathName.empty())
        deathName = DefString("DeathSkill");
    deathSkill = deathName.empty() ? nullptr : dynamic_cast<Skill*>(LearnSkill(gGameData->FindSkillDefinition(deathName)));
    std::string typeModel = type->GetEntry() ? type->GetEntry()->GetString("ModelName") : std::string();
    LoadModels(typeModel.empty() ? definition->modelName : typeModel);
    HideTypeSurfaces(*type);
    radius = DefFloat("Radius");
    if (gRandomSystem)
        nameSeed = gRandomSystem->Next(RandomStream::GameData);
    ApplyLight();
    RollHiding();
    if (!DefBool("CanBeHurt"))
        flags |= EntityFlag::Invulnerable;
    stats.Set(CharacterStat::Skill1, std::max(1, level));
    RecalculateStats(true);
    if (!loading)
        GiveStartingItems();
    if (gGameServices)
        AssignBehaviors(gGameServices->GetBehaviorStacks(), type->archetype, *this);
}

void Actor::ApplyEnhancements(const std::vector<std::string>& names)
{
    for (const std::string& name : names) {
        maxHealth = 0;
        health = std::min(health, 0);
        const DatabaseEntry* entry = gDatabase ? gDatabase->FindEntryByName(name) : nullptr;
        if (entry)
            AddStatusEffect(entry, this, 1);
    }
}

void Actor::LearnSkills(const std::vector<std::string>& names)
{
    for (const std::string& name : names)
        LearnSkill(gGameData->FindSkillDefinition(name));
}

SkillBase* Actor::LearnSkill(const SkillDefinition* skillDefinition)
{
    if (!skillDefinition)
        return nullptr;
    if (SkillBase* known = skillList->FindSkillByDefinition(skillDefinition))
        return known;
    // The list's position is the skill's level stat: Skill1 for the first, on through the trees.
    int32_t position = static_cast<int32_t>(skillList->GetSkills().size());
    if (position >= kSkillsPerTree * kMaxSkillTrees) {
        DebugSystem::Print(2, "Actor knows too many skills to learn %s\n", skillDefinition->name.c_str());
        return nullptr;
    }
    SkillBase* skill = skillList->AddSkill(skillDefinition, this, position / kSkillsPerTree, position % kSkillsPerTree);
    if (skill) {
        skill->reuseTimer.remaining = 0.0f;
        skill->reuseTimer.total = 0.0f;
        skill->OnPlaced();
    }
    return skill;
}

void Actor::UseSkillPoints()
{
    if (!DefBool("UseSkillPoints") || !definition)
        return;
    std::vector<std::string> required;
    std::vector<std::string> randomSkills;
    const DatabaseEntry* entry = definition->GetEntry();
    entry->GetStringList("RequiredSkill", required, true, false);
    entry->GetStringList("RandomSkill", randomSkills, true, false);
    LearnSkills(required);
    int32_t wanted = DefInt("NumRandomSkills");
    if (wanted > 0 && !randomSkills.empty() && gRandomSystem) {
        std::vector<int32_t> picked;
        int32_t count = static_cast<int32_t>(randomSkills.size());
        gRandomSystem->PickDistinctIndices(count, std::min(wanted, count), picked);
        for (int32_t index : picked)
            if (index >= 0 && index < count)
                LearnSkill(gGameData->FindSkillDefinition(randomSkills[static_cast<size_t>(index)]));
    }
    SpendSkillPoints();
}

void Actor::SpendSkillPoints()
{
    if (!DefBool("UseSkillPoints") || !gGameData)
        return;
    int32_t level = stats.Get(CharacterStat::Level);
    int32_t points = DefInt("StartingSkillPoints") +
                     FloorToInt(static_cast<float>(level) * gGameData->GetTuning().monsterSkillPointsPerLevel);
    const auto& skills = skillList->GetSkills();
    for (const auto& skill : skills)
        if (int32_t slot = skill->GetSlotNumber(); slot > 0)
            stats.Set(slot, 0);
    // Each pass raises one skill; a pass in which nothing can rise ends the spending.
    while (points >= 1) {
        SkillBase* chosen = nullptr;
        int32_t chosenCost = 0;
        int32_t chosenWeight = 0;
        for (const auto& skill : skills) {
            const SkillDefinition* def = skill->definition;
            int32_t slot = skill->GetSlotNumber();
            if (!def || slot <= 0)
                continue;
            int32_t current = stats.Get(slot);
            int32_t cap = def->GetMaxLevel() > 0 ? def->GetMaxLevel() : kMaxSpentSkillLevel;
            if (current >= std::min(cap, kMaxSpentSkillLevel))
                continue;
            int32_t cost = skill->GetCostForLevel(current);
            int32_t weight = ActorRound(def->comparePointsMult * static_cast<float>(cost));
            if (!chosen || weight < chosenWeight) {
                chosen = skill.get();
                chosenCost = cost;
                chosenWeight = weight;
            }
        }
        if (!chosen || points < chosenCost)
            break;
        points -= chosenCost;
        stats.Add(chosen->GetSlotNumber(), 1);
    }
}

void Actor::ApplyLight()
{
    float typeLight = monsterType->GetFloat("LightIntensity");
    if (typeLight > 0.0f) {
        lightIntensity = typeLight;
        sentientLightColor = ParseColor(monsterType->GetEntry()->GetString("LightColor"));
    } else if (float own = DefFloat("LightIntensity"); own > 0.0f) {
        lightIntensity = own;
        sentientLightColor = ParseColor(DefString("LightColor"));
    }
}

void Actor::RollHiding()
{
    if (!gGameServices)
        return;
    bool groupHid = gGameServices->GetLastActorHid();
    gGameServices->SetLastActorHid(false);
    float chance = DefFloat("HideChance");
    if (chance <= 0.0f || !gRandomSystem)
        return;
    if (groupHid)
        chance += DefFloat("GroupExtraHideChance");
    if (gRandomSystem->RandomFloat(RandomStream::GameData) < chance) {
        flags |= EntityFlag::Hidden;
        gGameServices->SetLastActorHid(true);
    }
}

void Actor::GiveStartingItems()
{
    if (!gGameServices || !gDatabase)
        return;
    int32_t given = 0;
    for (const std::string& name : definition->startingItems) {
        std::unique_ptr<Item> item = gGameServices->GenerateItem(gDatabase->FindEntryByName(name),
                                                                 stats.Get(CharacterStat::Level));
        if (!item)
            continue;
        // Mended: every item went to the bag row, which holds only bags, and was made for nothing.
        // What it can wear it wears; anything else it carries.
        std::unique_ptr<ItemBase> held = std::move(item);
        bool wearable = inventory->HasRoom(*held, InventoryGroupIndex::Equipment);
        if (GiveItem(held, wearable ? InventoryGroupIndex::Equipment : InventoryGroupIndex::Loot) != kGiveRefused)
            ++given;
    }
    if (!DefBool("RandomItems") && given > 0)
        RecalculateStats(false);
}

void Actor::SetHome(const WorldPos& where)
{
    homePosition = where;
    homeSet = true;
}

bool Actor::IsPlainSkillTarget() const
{
    int32_t type = GetNpcType();
    if (type != 0 && type != 4)
        return false;
    if (DefBool("CanBeRescued") || DefBool("CanReceiveDelivery") || DefBool("CanBeEscorted"))
        return false;
    return type != 4 || GetCovenant() != nullptr;
}

// ---- Stat rules ------------------------------------------------------------------------------

float Actor::DifficultyFactor(int32_t which) const
{
    if (npc && GetNpcType() != 0)
        return 1.0f;
    return ActorDifficultyFactor(which);
}

int32_t Actor::ClassValueAtLevel(const ClassLevelValue& value) const
{
    return value.At(stats.Get(CharacterStat::Level));
}

int32_t Actor::MinDamageRule() const
{
    const CharacterClass* chosen = GetClass();
    return chosen ? ActorRound(static_cast<float>(ClassValueAtLevel(chosen->minDamage)) * DifficultyFactor(kActorDamage))
                  : 0;
}

int32_t Actor::MaxDamageRule() const
{
    const CharacterClass* chosen = GetClass();
    return chosen ? ActorRound(static_cast<float>(ClassValueAtLevel(chosen->maxDamage)) * DifficultyFactor(kActorDamage))
                  : 0;
}

int32_t Actor::ComputeArmor() const
{
    const CharacterClass* chosen = GetClass();
    return chosen ? ClassValueAtLevel(chosen->armor) : 0;
}

int32_t Actor::ComputeDefense() const
{
    if (!definition)
        return 0;
    return ActorRound(static_cast<float>(Sentient::ComputeDefense()) * DefFloat("DefenseMult", 1.0f) *
                      DifficultyFactor(kActorDefense));
}

int32_t Actor::ComputeAttack() const
{
    if (!definition)
        return 0;
    return ActorRound(static_cast<float>(Sentient::ComputeAttack()) * DefFloat("AttackMult", 1.0f) *
                      DifficultyFactor(kActorAttack));
}

int32_t Actor::ComputeMaxHealth() const
{
    if (!definition)
        return Sentient::ComputeMaxHealth();
    return ActorRound(static_cast<float>(Sentient::ComputeMaxHealth()) * DefFloat("HealthMult", 1.0f) *
                      DifficultyFactor(kActorHealth));
}

int32_t Actor::ComputeResistance(int32_t stat) const
{
    const CharacterClass* chosen = GetClass();
    if (!chosen || stat == CharacterStat::ResistancePhysical)
        return Sentient::ComputeResistance(stat);
    return ActorRound(static_cast<float>(ClassValueAtLevel(chosen->resistance)) * DifficultyFactor(kActorResistance));
}

void Actor::ClassStatBonus(int32_t stat, int32_t& value, int32_t pass) const
{
    if (pass != 1)
        return;
    if (stat == CharacterStat::MinDamage)
        value += MinDamageRule();
    else if (stat == CharacterStat::MaxDamage)
        value += MaxDamageRule();
    else if (stat == CharacterStat::Movement)
        value = sprinting ? sprintSpeed : baseSpeed;
    else if (stat >= CharacterStat::ResistancePhysical && stat <= CharacterStat::ResistanceMagic)
        value += resistanceBonus[static_cast<size_t>(stat - CharacterStat::ResistancePhysical)];
}

void Actor::GetUnarmedDamage(StatPairList& table) const
{
    int32_t low = MinDamageRule();
    int32_t high = MaxDamageRule();
    if (high > 0) {
        StatPair* physical = table.Find(DamageType::Physical, true);
        physical->a += static_cast<float>(low);
        physical->b += static_cast<float>(high);
    }
    // The weapon in the primary hand adds its own damage.
    const InventoryBag* equipment = GetBag(InventoryGroupIndex::Equipment);
    if (equipment && equipment->GetSlotCount() > EquipedLocation::HandPrimary)
        if (const auto* weapon = dynamic_cast<const Item*>(equipment->GetItem(EquipedLocation::HandPrimary)))
            weapon->AddItemDamage(table);
}

void Actor::AddExtraDamage(StatPairList& table) const
{
    StatPair* physical = table.Find(DamageType::Physical, false);
    if (!physical || !monsterType)
        return;
    float low = physical->a;
    float high = physical->b;
    const std::string& physicalKey = ActorDamagePercentKey(DamageType::Physical);
    for (float percent : {DefFloat(physicalKey, 1.0f), monsterType->GetEntry()->GetFloat(physicalKey, 1.0f)})
        if (percent != 1.0f) {
            physical->a *= percent;
            physical->b *= percent;
        }
    for (int32_t k = DamageType::Physical + 1; k < DamageType::kCount; ++k) {
        const std::string& key = ActorDamagePercentKey(k);
        float share = DefFloat(key) + monsterType->GetEntry()->GetFloat(key, 0.0f);
        if (share <= 0.0f)
            continue;
        StatPair* typed = table.Find(k, true);
        typed->a += std::trunc(low * share);
        typed->b += std::trunc(high * share);
        typed->b = std::max(typed->b, typed->a);
    }
}

// A townsperson learns, and so does a covenant's recruit of any kind: the rivals hire the
// creatures that stand guard, which are no townsfolk, and without their fights' experience a
// rival never gained influence, a level or an income.
bool Actor::CanGainExperience() const
{
    if (npc)
        return true;
    const EntityCovenant* covenant = GetCovenant();
    return covenant && covenant->IsMember(*this);
}

float Actor::GetExperienceShare() const
{
    const EntityCovenant* covenant = GetCovenant();
    const auto* leader = covenant ? dynamic_cast<const Sentient*>(covenant->GetLeader()) : nullptr;
    if (!leader || leader == this || !gGameData)
        return 1.0f;
    int32_t leaderLevel = leader->GetStat(CharacterStat::Level);
    int32_t ownLevel = stats.Get(CharacterStat::Level);
    bool stronger = leaderLevel > ownLevel ||
                    (leaderLevel == ownLevel && leader->GetStat(CharacterStat::Xp) > stats.Get(CharacterStat::Xp));
    return stronger ? gGameData->GetTuning().leaderXpShare : 1.0f;
}

float Actor::GetExperienceValue() const
{
    if (deathHandled || !gGameData)
        return 0.0f;
    int32_t category = std::clamp(spawnCategory, 0, kSpawnCategoryCount - 1);
    return gGameData->GetTuning().spawnCategoryXpMult[static_cast<size_t>(category)] * DefFloat("XpMult");
}

int32_t Actor::GetScoreForKill() const
{
    if (deathHandled || !gGameData)
        return 0;
    int32_t category = std::clamp(spawnCategory, 0, kSpawnCategoryCount - 1);
    float factor = gGameData->GetTuning().spawnCategoryScoreMult[static_cast<size_t>(category)];
    return FloorToInt(factor * static_cast<float>(DefInt("ScoreForKill")) + 0.5f);
}

float Actor::GetSizeScale() const
{
    if (monsterType && monsterType->size > 0.0f)
        return monsterType->size;
    float own = DefFloat("Scale");
    return own > 0.0f ? own : 1.0f;
}

void Actor::LevelUp()
{
    Sentient::LevelUp();
    SpendSkillPoints();
}

// ---- Other Entity operations -------------------------------------------------------------------

bool Actor::AcceptsAction(int32_t kind) const
{
    return summoned || ActorAcceptsKind(kind);
}

bool Actor::CanTurn() const
{
    return DefBool("CanTurn") && stats.Get(CharacterStat::Movement) > 0;
}

int32_t Actor::GetNpcType() const
{
    return definition ? definition->npcType : 0;
}

bool Actor::TraitS() const
{
    return monsterType ? monsterType->traitS : Sentient::TraitS();
}

bool Actor::HasClearLineFrom(const WorldPos& from) const
{
    return gGameServices && gGameServices->HasClearLine(from, this, 0);
}

void Actor::Notify(int32_t code, Entity* other)
{
    Sentient::Notify(code, other);
    for (const auto& behavior : behaviors) {
        if (behavior.get() == currentBehavior)
            behavior->OnNotifyCurrent(code, other);
        else
            behavior->OnNotifyOther(code, other);
    }
}

void Actor::ObserveEvent(Event& event)
{
    for (const auto& behavior : behaviors) {
        event.params.SetReadPos(0);
        behavior->HandleEvent(event);
    }
    event.params.SetReadPos(0);
}

void Actor::ReceiveEvent(Event& event, bool queue)
{
    ObserveEvent(event);
    // A rival house's member counts its kills for the quest the house pursues.
    EntityCovenant* covenant = GetCovenant();
    EntityQuest* quest = covenant && covenant->IsActorCovenant() ? covenant->GetActiveQuest() : nullptr;
    if (quest) {
        quest->CountKill(event);
        event.params.SetReadPos(0);
    }
    Sentient::ReceiveEvent(event, queue);
}

void Actor::PrintInfo() const
{
    Entity::PrintInfo();
    if (currentBehavior)
        currentBehavior->DebugPrint();
    else
        DebugSystem::Print(0, "Current behavior: None\n");
}

// Both copy into the caller's string, which keeps its room from hit to hit.
void Actor::GetAttackSound(int32_t kind, std::string& out) const
{
    const DatabaseField* field = DefField(AttackSoundKey(false, kind));
    out.assign(field ? field->value : std::string_view());
    if (out.empty())
        Sentient::GetAttackSound(kind, out);
}

void Actor::GetCombatEffect(int32_t kind, std::string& out) const
{
    const DatabaseField* field = DefField(AttackSoundKey(true, kind));
    out.assign(field ? field->value : std::string_view());
}

void Actor::GetAnchorPosition(WorldPos& out) const
{
    const Entity* target = GetCurrentTarget();
    out = target ? target->position : position;
    out.wrap = true;
}

const DatabaseEntry* Actor::GetMusic() const
{
    std::string name = monsterType && monsterType->GetEntry() ? monsterType->GetEntry()->GetString("Music") : "";
    if (name.empty())
        name = DefString("Music");
    return name.empty() || !gDatabase ? nullptr : gDatabase->FindEntryByName(name);
}

float Actor::GetLootMoneyFactor() const
{
    const EntityCovenant* covenant = GetCovenant();
    if (!covenant || !covenant->IsActorCovenant())
        return 1.0f;
    return covenant->GetMemberSlotWord() == -1 ? 0.0f : 0.5f;
}

void Actor::OnVictimLooted(Entity* victim)
{
    EntityCovenant* covenant = GetCovenant();
    if (covenant && covenant->IsActorCovenant() && victim)
        covenant->OnVictimLooted(*this, *victim);
}

void Actor::OnNamedSignal(Entity* entity, std::string_view name)
{
    std::string hateName = monsterType && monsterType->GetEntry() ? monsterType->GetEntry()->GetString("HateName") : "";
    if (!hateName.empty() && hateName == name)
        AddHate(entity, 1.0f, 0);
}

void Actor::CollectPartyInRange(std::vector<Sentient*>& out, float range) const
{
    Sentient::CollectPartyInRange(out, range);
    if (!out.empty() || !gGameServices)
        return;
    gGameServices->FindEntitiesInRadius(position, this, range, RadiusFilter::FactionAlly | RadiusFilter::NotSource,
                                        partyScratch, false);
    for (Entity* entity : partyScratch)
        if (auto* sentient = dynamic_cast<Sentient*>(entity))
            out.push_back(sentient);
}
