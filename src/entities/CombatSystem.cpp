// CombatSystem -- resolves attacks into hits, damage, floating lines, effects and kills; holds the combat tuning of the "CombatSystem" record.
#include "entities/CombatSystem.h"

#include "core/Database.h"
#include "core/DatabaseEntry.h"
#include "core/DebugSystem.h"
#include "core/Event.h"
#include "core/EventSystem.h"
#include "core/LocSystem.h"
#include "core/RandomSystem.h"
#include "core/SafePointer.h"
#include "core/StringUtil.h"
#include "core/UserVarSystem.h"
#include "entities/EntityCovenant.h"
#include "entities/GameServices.h"
#include "entities/Sentient.h"
#include "entities/Skill.h"
#include "rules/GameData.h"
#include "rules/RulesEnums.h"
#include "rules/StatPairList.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <vector>

CombatSystem* gCombatSystem = nullptr;

namespace {

constexpr float kCombatReachCells = 1.9f;
// Room for the longest floating line a hit or a miss writes.
constexpr size_t kCombatLineBytes = 96;
constexpr const char* kCombatMissNames[DefenceResult::kCount] = {"Miss", "Block", "Parry", "Deflection", "Dodge",
                                                                 "Evade"};

// A damage table of the combat system's for one hit, given back when the hit is dealt.
class CombatDamageTable {
public:
    CombatDamageTable() : table(CombatSystem::Instance()->TakeDamageTable()) {}
    ~CombatDamageTable() { CombatSystem::Instance()->GiveDamageTable(); }
    CombatDamageTable(const CombatDamageTable&) = delete;
    CombatDamageTable& operator=(const CombatDamageTable&) = delete;
    StatPairList& operator*() const { return table; }

private:
    StatPairList& table;
};

// Over-time damage names its type's basic effect at every hit.
const std::string& CombatBasicEffectName(int32_t type)
{
    static const DamageTypeKeys kNames("StatusEffectBasic");
    return kNames[type];
}

// The special outcomes of one attack.
struct CombatRolls {
    bool critical = false;
    bool crushing = false;
    bool stunning = false;
    bool deep = false;
};

int32_t CombatSaturate(int64_t value)
{
    return static_cast<int32_t>(
        std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

const GameSystemTuning& CombatTuning()
{
    static const GameSystemTuning defaults;
    return gGameData ? gGameData->GetTuning() : defaults;
}

bool CombatIsDead(const Entity* entity)
{
    return entity->maxHealth > 0 && entity->health <= 0;
}

bool CombatReaches(const Entity* attacker, const Entity* target, const Skill* attack)
{
    if (attack && attack->definition)
        return attack->IsTargetInReach(attacker, target);
    return EntityDistance2D(attacker, target, true) < kCombatReachCells * CombatTuning().gridSize.x;
}

// The attacker's chance of a kind against a roll of 0..100, adjusted by a sentient target's defence.
bool CombatRollKind(const Sentient& attacker, const Entity* target, int32_t kind, const Skill* attack)
{
    float roll = DrawRandomScaled(RandomStream::GameData, 100.0f);
    float chance = attacker.GetDynamicStat(kind, attack);
    if (const auto* defender = dynamic_cast<const Sentient*>(target))
        defender->GetDefendingDynamicStat(kind, chance);
    return chance > roll;
}

bool CombatHits(Entity* attacker, Entity* target, const Skill* attack)
{
    int32_t attackValue = attacker->GetStat(CharacterStat::Attack);
    if (const auto* sentient = dynamic_cast<const Sentient*>(attacker); sentient && attack)
        sentient->ApplyDynamicStatToInt(DynamicStat::Attack, attackValue);
    int32_t defense = target->GetStat(CharacterStat::Defense);
    if (attackValue == 0)
        return false;
    int32_t scaled = static_cast<int32_t>(static_cast<float>(attackValue) * 1.5f);
    float chance = scaled >= defense ? 1.0f - 0.5f * static_cast<float>(defense) / static_cast<float>(scaled)
                                     : 0.5f * static_cast<float>(scaled) / static_cast<float>(defense);
    return chance > DrawRandomFloat();
}

// Which defence stopped a miss: 0 (a plain miss) or 1..5.
int32_t CombatDefenceRoll(const Entity* target)
{
    int32_t defense = target->GetStat(CharacterStat::Defense);
    int64_t roll = static_cast<int64_t>(DrawRandomScaled(RandomStream::GameData, static_cast<float>(defense)));
    if (roll == defense)
        roll = defense - 1;
    const int32_t stats[] = {CharacterStat::Block, CharacterStat::Parry, CharacterStat::Deflection,
                             CharacterStat::Evade, CharacterStat::Dodge};
    for (int32_t i = 0; i < 5; ++i) {
        roll -= target->GetStat(stats[i]);
        if (roll < 0)
            return i + 1;
    }
    return DefenceResult::Miss;
}

int32_t CombatResistanceStat(int32_t type)
{
    if (type >= DamageType::Physical && type < DamageType::kCount)
        return CharacterStat::ResistancePhysical + type;
    DebugSystem::Print(3, "Can't convert DamageType %d to a stat\n", type);
    return CharacterStat::ResistancePhysical;
}

// lo + r (hi - lo) of a resistance value, rounded by chance, at most the amount.
int32_t CombatAbsorb(int32_t amount, int32_t resistance, float multiplier, float minPercent)
{
    if (resistance < 0)
        return amount;
    float high = multiplier * static_cast<float>(resistance);
    float low = minPercent * high;
    int32_t absorbed = std::min(amount, DrawRandomRound(DrawRandomRange(RandomStream::GameData, low, high)));
    return amount - absorbed;
}

int32_t CombatAbsorbResistance(const Entity* target, int32_t amount, int32_t type, bool overTime)
{
    const GameSystemTuning& tuning = CombatTuning();
    float multiplier = tuning.resistanceAbsorbMultiplier * (overTime ? tuning.resistanceDotMultiplier : 1.0f);
    return CombatAbsorb(amount, target->GetStat(CombatResistanceStat(type)), multiplier,
                        tuning.resistanceMinAbsorbPercent);
}

int32_t CombatAbsorbArmor(const Entity* attacker, const Entity* target, int32_t amount)
{
    const GameSystemTuning& tuning = CombatTuning();
    int32_t armor = target->GetStat(CharacterStat::Armor) - attacker->GetStat(CharacterStat::ArmorPiercing);
    return CombatAbsorb(amount, armor, tuning.armorAbsorbMultiplier, tuning.armorMinAbsorbPercent);
}

int32_t CombatScaleForCovenants(const Entity* attacker, const Entity* target, int32_t amount)
{
    EntityCovenant* own = target->GetCovenant();
    if (!own || !attacker->GetCovenant() || own->GetHomeEntity() == target)
        return amount;
    return CombatSaturate(static_cast<int64_t>(std::floor(static_cast<double>(amount) * CombatTuning().pvpDamageMult + 0.5)));
}

// The immediate part of the amount; the over-time part becomes the type's basic effect.
int32_t CombatTypeDamage(Entity* attacker, Entity* target, int32_t amount, int32_t type)
{
    if (type < 0 || type >= DamageType::kCount)
        return 0;
    const GameSystemTuning& tuning = CombatTuning();
    float whole = static_cast<float>(amount);
    int32_t direct = DrawRandomRound(whole * tuning.directDamagePercent[static_cast<size_t>(type)]);
    int32_t overTime = DrawRandomRound(whole * tuning.damageOverTimePercent[static_cast<size_t>(type)]);
    if (overTime > 0)
        target->AddStatusEffectByName(CombatBasicEffectName(type), attacker, overTime);
    return direct;
}

// One entry of a damage list against the target, absorption and covenant scaling included.
int32_t CombatEntryDamage(Entity* attacker, Entity* target, int64_t rolled, int32_t type, bool armor, bool overTime)
{
    int32_t amount = target->ModifyIncomingDamage(attacker, CombatSaturate(rolled), type);
    if (amount >= 0)
        amount = CombatAbsorbResistance(target, amount, type, overTime);
    if (armor && type == DamageType::Physical && amount >= 0)
        amount = CombatAbsorbArmor(attacker, target, amount);
    if (amount >= 0)
        amount = CombatScaleForCovenants(attacker, target, amount);
    return overTime ? amount : CombatTypeDamage(attacker, target, amount, type);
}

// The entries in order, rolled (or at their maximum when crushing), doubled when critical.
int32_t CombatDealEntries(Entity* attacker, Entity* target, const StatPairList& damage, const CombatRolls& rolls,
                          bool armor, bool overTime)
{
    int64_t total = 0;
    for (int32_t i = 0; i < damage.GetCount(); ++i) {
        int32_t type = 0;
        int64_t amount = damage.RollAt(i, type);
        if (rolls.crushing) {
            int32_t low = 0;
            int32_t high = 0;
            damage.GetIntRange(i, low, high);
            amount = high;
        }
        if (rolls.critical) {
            target->RecordCombatEvent(EntityState::CriticalHit, attacker->entityNumber);
            attacker->RecordCombatEvent(EntityState::EnemyCriticalHit, target->entityNumber);
            amount *= 2;
        }
        int32_t dealt = CombatEntryDamage(attacker, target, amount, type, armor, overTime);
        total += dealt;
        target->OnDamagePart(dealt, type);
    }
    return CombatSaturate(total);
}

void CombatShowEffect(int32_t code, Entity* target, Entity* attacker)
{
    if (!target || !attacker || !gGameServices || !CombatSystem::Instance()->ShowsCombatEffects())
        return;
    std::string& name = CombatSystem::Instance()->effectName;
    target->GetCombatEffect(code, name);
    if (name.empty() && code >= 0 && code < AttackSoundType::kCount)
        name = CombatTuning().combatEffect[static_cast<size_t>(code)];
    if (!name.empty())
        gGameServices->SpawnModelEntity(name, target->position, CombatSystem::kShownEffectSeconds);
}

void CombatPlaySound(int32_t code, Entity* attacker, Entity* target)
{
    std::string& sound = CombatSystem::Instance()->soundName;
    attacker->GetAttackSound(code, sound);
    target->QueueWorldEvent(sound, CombatSystem::kHitSoundRadius, 0.0f);
    CombatShowEffect(code, target, attacker);
}

int32_t CombatHitCode(const CombatRolls& rolls)
{
    if (rolls.critical && rolls.crushing)
        return AttackSoundType::DeadlyHit;
    if (rolls.critical)
        return AttackSoundType::CriticalHit;
    if (rolls.crushing)
        return AttackSoundType::CrushingBlow;
    return rolls.deep ? AttackSoundType::DeepWounds : AttackSoundType::NormalHit;
}

void CombatQueueLine(std::string_view line)
{
    if (gGameServices)
        gGameServices->QueueClientCommand(line);
}

int32_t CombatOnHit(Entity* attacker, Entity* target, const Skill* attack, float multiplier, const CombatRolls& rolls)
{
    CombatPlaySound(CombatHitCode(rolls), attacker, target);
    target->RecordCombatEvent(EntityState::Hit, attacker->entityNumber);
    attacker->RecordCombatEvent(EntityState::EnemyHit, target->entityNumber);
    CombatDamageTable table;
    StatPairList& damage = *table;
    attacker->BuildDamageList(attack, damage);
    damage.Multiply(multiplier);
    int32_t total = CombatDealEntries(attacker, target, damage, rolls, true, false);
    auto* sentient = dynamic_cast<Sentient*>(attacker);
    if (sentient)
        sentient->OnSuccessfulHit(total, target, true, rolls.critical, rolls.crushing, rolls.deep, false);
    if (total < 0) {
        target->Heal(-total, nullptr, false);
        return total;
    }
    ApplyHit(target, attacker, total, target->RelativeDirectionTo(*attacker), rolls.critical, rolls.crushing,
             rolls.stunning, rolls.deep, false, false);
    // A corpse reacts to nothing more and carries no new effect.
    if (total <= 0 || CombatIsDead(target))
        return total;
    target->RaiseWhenHit(attacker, false);
    if (sentient) {
        if (rolls.deep)
            target->AddStatusEffectByName("StatusEffectDeepWound", attacker, total);
        if (rolls.stunning)
            target->AddStatusEffectByName("StatusEffectStunningBlow", attacker, 1);
    }
    return total;
}

void CombatOnMiss(Entity* attacker, Entity* target)
{
    int32_t result = CombatDefenceRoll(target);
    if (result != DefenceResult::Miss) {
        // Codes 0..4 on the target, 11..15 on the attacker, in the order of the defences.
        target->RecordCombatEvent(EntityState::Block + result - 1, attacker->entityNumber);
        attacker->RecordCombatEvent(EntityState::EnemyBlock + result - 1, target->entityNumber);
        // The fifth defence has no name of its own: it prints as Evade, the event it records.
        char line[kCombatLineBytes];
        std::snprintf(line, sizeof line, "dmg %d $$%s$$", target->entityNumber, kCombatMissNames[result]);
        CombatQueueLine(line);
    }
    int32_t code = result == DefenceResult::Block                                         ? AttackSoundType::Block
                   : result == DefenceResult::Parry || result == DefenceResult::Deflection ? AttackSoundType::Parry
                                                                                          : AttackSoundType::NormalMiss;
    CombatPlaySound(code, attacker, target);
    target->OnMissedBy(attacker, result);
    attacker->OnMissed(target, result);
}

std::string CombatGainPrefix()
{
    return StringFormat("%c%c%03d", '^', 'f', 6);
}

void CombatAwardKill(Sentient& credited, Entity& victim)
{
    auto* dying = dynamic_cast<Sentient*>(&victim);
    float worth = dying ? dying->GetExperienceValue() : 1.0f;
    int32_t score = dying ? dying->GetScoreForKill() : 0;
    int32_t level = victim.GetStat(CharacterStat::Level);
    std::vector<Sentient*> party;
    credited.CollectParty(party);
    for (Sentient* member : party) {
        if (!member->CanGainExperience())
            continue;
        float factor = member->GetExperienceShare() * member->GetPartyShare() * worth;
        int32_t xp = member->GainExperience(level, 0, factor);
        if (xp > 0)
            CombatQueueLine(StringFormat("dmg %d %s+%d$$xp$$", member->entityNumber, CombatGainPrefix().c_str(), xp));
        if (score <= 0)
            continue;
        float multiplier = 1.0f;
        credited.ApplyDynamicStat(DynamicStat::ScoreKillMult, nullptr, multiplier);
        int32_t gained = CombatSaturate(std::llround(static_cast<double>(score) * multiplier));
        member->stats.Add(CharacterStat::Score, gained);
        CombatQueueLine(StringFormat("dmg %d %s+%d$$ScorePrint$$", member->entityNumber, CombatGainPrefix().c_str(), gained));
    }
}

// With "PlayerGetsCreditForAllKills" the first player hears of every kill it did not make.
void CombatTellFirstPlayer(Entity& victim, const Entity* credited)
{
    const DatabaseEntry* system = gDatabase ? gDatabase->FindEntryByName("GameSystem") : nullptr;
    if (!system || system->GetInt("PlayerGetsCreditForAllKills") == 0 || !gGameServices ||
        gGameServices->GetPlayers().empty() || !gEventSystem)
        return;
    Sentient* first = gGameServices->GetPlayers().front();
    if (!first || first == credited)
        return;
    Event* event = gEventSystem->MakeEvent(Sentient::GetEventId(SentientEvent::SuccessfulKill));
    event->WriteEntity(&victim);
    first->ReceiveEvent(*event, true);
}

const char* CombatHitPrintKey(bool critical, bool crushing, bool stunning, bool deep)
{
    if (critical)
        return "CritHitPrint";
    if (crushing)
        return "CrushHitPrint";
    if (stunning)
        return "StunHitPrint";
    return deep ? "DeepHitPrint" : nullptr;
}

} // namespace

// ---- The combat object -------------------------------------------------------------------

CombatSystem::CombatSystem()
{
    const DatabaseEntry* record = gDatabase ? gDatabase->FindEntryByName("CombatSystem") : nullptr;
    if (record)
        combatEventTime = record->GetFloat("CombatEventTime", 0.0f);
    else
        DebugSystem::Print(3, "CombatSystem database entry no found!\n");
    if (gUserVarSystem)
        showCombatEffects = gUserVarSystem->RegisterVar("ShowCombatEffects", "1");
}

CombatSystem* CombatSystem::Instance()
{
    if (!gCombatSystem)
        gCombatSystem = new CombatSystem();
    return gCombatSystem;
}

void CombatSystem::Destroy()
{
    delete gCombatSystem;
    gCombatSystem = nullptr;
}

bool CombatSystem::ShowsCombatEffects() const
{
    // Without the user-var system (a test's world) the var's default holds.
    return !showCombatEffects.IsValid() || showCombatEffects.GetBool();
}

bool CombatSystem::NoteSafetyLife(std::string_view recordName)
{
    if (std::find(safetyLifeRecords.begin(), safetyLifeRecords.end(), recordName) != safetyLifeRecords.end())
        return false;
    safetyLifeRecords.emplace_back(recordName);
    return true;
}

StatPairList& CombatSystem::TakeDamageTable()
{
    if (damageDepth == damageTables.size())
        damageTables.emplace_back();
    StatPairList& table = damageTables[damageDepth++];
    table.Clear();
    return table;
}

void CombatSystem::GiveDamageTable()
{
    if (damageDepth > 0)
        --damageDepth;
}

// ---- Attacks -------------------------------------------------------------------------------

int32_t ResolveAttack(Entity* attacker, Entity* target, const Skill* attack, bool force, float multiplier)
{
    if (!attacker || !target || CombatIsDead(target) || (!force && !CombatReaches(attacker, target, attack)))
        return 0;
    CombatRolls rolls;
    auto* sentient = dynamic_cast<Sentient*>(attacker);
    if (sentient && target->TakesCriticalHits()) {
        rolls.critical = CombatRollKind(*sentient, target, DynamicStat::CriticalHit, attack);
        rolls.crushing = CombatRollKind(*sentient, target, DynamicStat::CrushingBlow, attack);
        rolls.stunning = CombatRollKind(*sentient, target, DynamicStat::StunningBlow, attack);
        if (target->TakesDeepWounds())
            rolls.deep = CombatRollKind(*sentient, target, DynamicStat::DeepWounds, attack);
    }
    target->OnAttackedBy(attacker);
    if (CombatHits(attacker, target, attack))
        return CombatOnHit(attacker, target, attack, multiplier, rolls);
    CombatOnMiss(attacker, target);
    return 0;
}

int32_t DealDamage(Entity* attacker, Entity* target, StatPairList& damage, bool overTime, bool quiet)
{
    if (!attacker || !target || CombatIsDead(target))
        return 0;
    target->OnAttackedBy(attacker);
    CombatRolls rolls;
    auto* sentient = dynamic_cast<Sentient*>(attacker);
    if (sentient && target->TakesCriticalHits() && !overTime) {
        rolls.critical = CombatRollKind(*sentient, target, DynamicStat::MagicCriticalHit, nullptr);
        rolls.crushing = CombatRollKind(*sentient, target, DynamicStat::MagicCrushingBlow, nullptr);
    }
    int32_t total = CombatDealEntries(attacker, target, damage, rolls, false, overTime);
    if (sentient)
        sentient->OnSuccessfulHit(total, target, false, rolls.critical, rolls.crushing, false, overTime);
    if (total > 0) {
        ApplyHit(target, attacker, total, target->RelativeDirectionTo(*attacker), rolls.critical, rolls.crushing,
                 false, false, overTime, quiet);
        if (!overTime && !CombatIsDead(target))
            target->RaiseWhenHit(attacker, quiet);
    }
    return total;
}

int32_t DealSkillDamage(Entity* attacker, Entity* target, const Skill* attack, float multiplier)
{
    if (!attacker)
        return 0;
    CombatDamageTable table;
    StatPairList& damage = *table;
    attacker->BuildDamageList(attack, damage);
    damage.Multiply(multiplier);
    return DealDamage(attacker, target, damage, false, false);
}

int32_t DealDamageList(const StatPairList& damage, Entity* attacker, Entity* target, bool overTime, bool quiet)
{
    CombatDamageTable table;
    StatPairList& copy = *table;
    copy = damage;
    return DealDamage(attacker, target, copy, overTime, quiet);
}

int32_t DealAreaDamage(Entity* attacker, const WorldPos& position, float radius, const StatPairList& damage,
                       bool everyone)
{
    if (!attacker || !gGameServices)
        return 0;
    std::vector<Entity*> victims;
    uint32_t filter = RadiusFilter::Living | (everyone ? RadiusFilter::Every : RadiusFilter::Hostile);
    gGameServices->FindEntitiesInRadius(position, attacker, radius, filter, victims, true);
    int64_t total = 0;
    // A victim may die and be deleted by a later one's hit: each is looked up again by number.
    std::vector<int32_t> numbers;
    for (const Entity* victim : victims)
        if (victim != attacker)
            numbers.push_back(victim->entityNumber);
    for (int32_t number : numbers)
        if (Entity* victim = gGameServices->GetEntity(number))
            total += DealDamageList(damage, attacker, victim, false, false);
    return CombatSaturate(total);
}

void ApplyHit(Entity* target, Entity* attacker, int32_t damage, int32_t direction, bool critical, bool crushing,
              bool stunning, bool deep, bool overTime, bool quiet)
{
    if (!target || CombatIsDead(target))
        return;
    if (target->ShowsDamage()) {
        // Written in place at every hit: a special hit's text is its key's token with the damage.
        const char* key = CombatHitPrintKey(critical, crushing, stunning, deep);
        char line[kCombatLineBytes];
        int head = std::snprintf(line, sizeof line, "dmg %d ", target->entityNumber);
        if (key)
            WriteLocToken(line + head, sizeof line - static_cast<size_t>(head), key, "%d", damage);
        else
            std::snprintf(line + head, sizeof line - static_cast<size_t>(head), "%d", damage);
        CombatQueueLine(line);
    }
    if (damage == 0)
        return;
    target->TakeDamage(damage, attacker, overTime, quiet);
    target->OnAttackedBy(attacker);
    if (CombatIsDead(target)) {
        // The death notices said it all: no "damaged" after "died", no hamstring on a corpse. A
        // covenant's home has no death notice of its own: the covenant hears of the blow that
        // felled it, as that fall is what ends the covenant.
        EntityCovenant* covenant = target->GetCovenant();
        SafePointer home(covenant && covenant->GetHomeEntity() == target ? target : nullptr);
        HandleKill(target, attacker);
        if (home.Get())
            covenant->OnMemberDamaged(*target, attacker, damage);
        return;
    }
    if (EntityCovenant* covenant = target->GetCovenant())
        covenant->OnMemberDamaged(*target, attacker, damage);
    float hamstring = attacker ? attacker->GetHamstringChance() : 0.0f;
    bool behind = direction == Direction::SouthEast || direction == Direction::South || direction == Direction::SouthWest;
    if (damage > 0 && hamstring > 0.0f && behind && DrawRandomFloat() < hamstring)
        target->AddStatusEffectByName("StatusEffectHamstring", attacker, 1);
}

// ---- Kills -------------------------------------------------------------------------------

void HandleKill(Entity* victim, Entity* killer)
{
    if (!victim)
        return;
    auto* dying = dynamic_cast<Sentient*>(victim);
    Entity* credited = dying && dying->GetKillerCredit() ? dying->GetKillerCredit() : killer;
    // Only a living thing's death is a kill, and none is its own killer's: a broken chest or door
    // and a suicide earn no experience, score or credit. A broken chest still counts towards its
    // breaker's object killing spree.
    bool aKill = dying && credited != victim;
    auto* creditedSentient = dynamic_cast<Sentient*>(credited);
    if (creditedSentient && aKill)
        CombatAwardKill(*creditedSentient, *victim);
    if (creditedSentient && (aKill || victim->IsChest()))
        creditedSentient->OnSuccessfulKill(victim);
    if (aKill)
        CombatTellFirstPlayer(*victim, credited);
    if (gGameServices) {
        if (creditedSentient && aKill)
            gGameServices->OnKillCredit(*creditedSentient, *victim);
        gGameServices->OnEntityDied(*victim, killer);
    }
    if (dying)
        dying->OnDeath(credited);
}

bool PracticeRoll(PracticeTrainer& trainer, const Sentient& learner)
{
    int32_t asked = trainer.level;
    int32_t gap = asked - learner.GetStat(CharacterStat::Level);
    float chance = gap > 0 ? 0.99f : gap == 0 ? 0.98f : gap == -1 ? 0.75f : gap == -2 ? 0.5f : gap == -3 ? 0.25f : 0.0f;
    if (DrawRandomFloat() < chance) {
        trainer.failures = 0;
        if (++trainer.successes > 9) {
            trainer.successes = 0;
            ++trainer.level;
        }
        if (trainer.linked)
            trainer.linked->GainExperience(asked, 0, 1.0f);
        return true;
    }
    trainer.successes = 0;
    if (++trainer.failures > 2) {
        trainer.failures = 0;
        // A trainer never asks for less than the first level.
        trainer.level = std::max(1, trainer.level - 1);
    }
    return false;
}
