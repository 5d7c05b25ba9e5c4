// StatusEffect -- the effect in its carrier's fights: absorption, bonus damage, breaking events, leech, burn, life steal, its skills and explosions.
#include "entities/StatusEffect.h"

#include "core/Event.h"
#include "core/RandomSystem.h"
#include "entities/CombatSystem.h"
#include "entities/GameServices.h"
#include "entities/Sentient.h"
#include "entities/Skill.h"
#include "rules/StatPairList.h"

#include <cmath>

namespace {

// By elemental type 1 Fire, 2 Cold, 3 Poison, 4 Lightning.
constexpr const char* kStatusEffectExplosions[] = {
    "Models/Effects/fireExplosion.mdl",
    "Models/Effects/iceExplosion.mdl",
    "Models/Effects/poisonExplosion.mdl",
    "Models/Effects/lightningExplosion.mdl",
};

// The elemental damage types in the order of their draw.
constexpr int32_t kStatusEffectElements[] = {DamageType::Fire, DamageType::Cold, DamageType::Poison,
                                             DamageType::Lightning};

int32_t StatusEffectRandomRound(float x)
{
    return gRandomSystem ? gRandomSystem->RandomRound(x) : static_cast<int32_t>(x);
}

float StatusEffectDraw()
{
    return gRandomSystem ? gRandomSystem->RandomFloat(RandomStream::GameData) : 1.0f;
}

int32_t StatusEffectPercentOf(int32_t percent, int32_t total)
{
    return static_cast<int32_t>(std::floor(static_cast<double>(percent) * total * 0.01));
}

} // namespace

// ---- Incoming and outgoing damage -------------------------------------------------------------

void StatusEffect::AbsorbDamage(int32_t& damage, Entity* attacker)
{
    if (absorbTrapDamageOnly && !(attacker && attacker->IsTrap()))
        return;
    if (absorbAllDamage) {
        damage = 0;
        return;
    }
    if (absorbDamagePercent > 0.0f) {
        damage -= StatusEffectRandomRound(static_cast<float>(damage) * absorbDamagePercent);
        if (damage < 0) {
            damage = 0;
            return;
        }
    }
    if (absorbDamageAwayFromPlayer > 0.0f && owner && gGameServices && !gGameServices->GetPlayers().empty()) {
        const Sentient* first = gGameServices->GetPlayers().front();
        if (first && owner->position.Distance2D(first->position) > absorbDamageAwayFromPlayer)
            damage /= 10;
    }
    if (absorbDamage <= 0 || damage <= 0)
        return;
    if (damage < absorbDamage) {
        absorbDamage -= damage;
        damage = 0;
        return;
    }
    damage -= absorbDamage;
    absorbDamage = 0;
    Expire();
}

void StatusEffect::AddDamage(int32_t kind, StatPairList& damage)
{
    if (kind == 1) {
        damage.Add(DamageType::Physical, static_cast<float>(statChange.Get(CharacterStat::MinDamage)),
                   static_cast<float>(statChange.Get(CharacterStat::MaxDamage)));
        return;
    }
    if (kind != 3 || !owner)
        return;
    int32_t low = 0;
    int32_t high = 0;
    owner->GetDamageList().SumRange(low, high);
    for (int32_t type = 0; type < DamageType::kCount; ++type) {
        int32_t minPercent = extraMinDamagePercent[static_cast<size_t>(type)];
        int32_t maxPercent = extraMaxDamagePercent[static_cast<size_t>(type)];
        if (minPercent > 0 || maxPercent > 0)
            damage.Add(type, static_cast<float>(StatusEffectPercentOf(minPercent, low)),
                       static_cast<float>(StatusEffectPercentOf(maxPercent, high)));
    }
    if (extraMinDamagePercentElemental <= 0 && extraMaxDamagePercentElemental <= 0)
        return;
    auto draw = static_cast<int32_t>(StatusEffectDraw() * 4.0f);
    if (draw > 3)
        draw = 3;
    elementalType = draw + 1;
    damage.Add(kStatusEffectElements[draw], static_cast<float>(StatusEffectPercentOf(extraMinDamagePercentElemental, low)),
               static_cast<float>(StatusEffectPercentOf(extraMaxDamagePercentElemental, high)));
}

// ---- The carrier's events ------------------------------------------------------------------------

void StatusEffect::OnSimpleEvent(int32_t event, Entity* other)
{
    if (!owner)
        return;
    bool breaks = (event == removeOnEvent && event != SimpleEvent::None) ||
                  (mustFocus && (event == SimpleEvent::Move || event == SimpleEvent::UseSkill)) ||
                  (mustPartiallyFocus && event == SimpleEvent::UseSkill) ||
                  (event == SimpleEvent::SkillFinished && skillUseBreaks) ||
                  (event == SimpleEvent::DamageOverTime && damageBreaks) ||
                  (event == SimpleEvent::Attacked && attackedBreaks);
    if (event == SimpleEvent::Hit) {
        // Thorns: whoever hit the carrier takes the effect's damage back.
        if (auto* hitter = dynamic_cast<Sentient*>(other)) {
            if (damageOnHit != 0) {
                StatPairList back;
                back.Add(damageType, static_cast<float>(damageOnHit), static_cast<float>(damageOnHit));
                DealDamage(owner, hitter, back, false, false);
            }
            if (damageOnHitPercent > 0.0f) {
                StatPairList share = owner->GetDamageList();
                share.Multiply(damageOnHitPercent);
                DealDamage(owner, hitter, share, false, false);
            }
        }
        breaks = breaks || damageBreaks;
    }
    if (breaks)
        Expire();
}

void StatusEffect::OnOwnerEvent(Event& event)
{
    if (!owner)
        return;
    event.params.SetReadPos(0);
    if (event.id == Sentient::GetEventId(SentientEvent::SuccessfulHit)) {
        OnSuccessfulHit(event);
    } else if (event.id == Sentient::GetEventId(SentientEvent::WhenHit)) {
        auto* attacker = dynamic_cast<Entity*>(event.ReadEntity());
        bool flag = event.params.ReadBool();
        if (flag)
            return;
        FireSkillAt(kWhenHitSkill, attacker);
        if (attacker && gGameServices && !whenHitEffectModelName.empty())
            gGameServices->SpawnModelEntity(whenHitEffectModelName, attacker->position, effectTime);
    } else if (event.id == Sentient::GetEventId(SentientEvent::WhenMissed)) {
        FireSkillAt(kWhenMissedSkill, dynamic_cast<Entity*>(event.ReadEntity()));
    } else if (event.id == Sentient::GetEventId(SentientEvent::WhenKilled)) {
        FireSkillAt(kWhenKilledSkill, dynamic_cast<Entity*>(event.ReadEntity()));
    }
    event.params.SetReadPos(0);
}

void StatusEffect::OnSuccessfulHit(Event& event)
{
    auto* victim = dynamic_cast<Sentient*>(event.ReadEntity());
    int32_t damage = event.params.ReadInt();
    bool first = event.params.ReadBool();
    bool second = event.params.ReadBool();
    if (!victim)
        return;
    if (!second) {
        if (powerLeechPerHit > 0)
            owner->AddPower(powerLeechPerHit);
        int32_t victimPower = victim->GetStat(CharacterStat::Power);
        if (powerBurnPerHitPercent > 0.0f && victimPower > 0) {
            auto burnt = static_cast<int32_t>(std::floor(static_cast<float>(victimPower) * powerBurnPerHitPercent));
            if (burnt > 0)
                victim->stats.SubtractFloored(CharacterStat::Power, burnt);
            victim->QueueWorldEvent(kPowerBurnSound, kHitSoundRadius, 0.0f);
        }
        if (lifeSteal > 0.0f && victim->CanLifeBeStolen()) {
            owner->Heal(StatusEffectRandomRound(static_cast<float>(damage) * lifeSteal), nullptr, true);
            owner->QueueWorldEvent(kLifeStealSound, kHitSoundRadius, 0.0f);
        }
        if (first) {
            FireSkillAt(kOnHitSkill, victim);
            if (gGameServices && !onHitEffectModelName.empty())
                if (Entity* shown = gGameServices->SpawnModelEntity(onHitEffectModelName, victim->position, effectTime))
                    shown->FaceEntity(owner, false);
        }
    }
    if (extraMaxDamagePercentElemental > 0 && first)
        SpawnExplosion(*victim);
}

void StatusEffect::SpawnExplosion(const Entity& victim) const
{
    if (elementalType < 1 || elementalType > 4 || !gGameServices)
        return;
    gGameServices->SpawnModelEntity(kStatusEffectExplosions[elementalType - 1], victim.position, effectTime);
}

void StatusEffect::FireSkillAt(int32_t which, Entity* target)
{
    Skill* skill = ownSkills[which].get();
    if (!skill || !target || !(skillChance > StatusEffectDraw()))
        return;
    skill->Use(owner, target, SkillStage::Marker, true);
}
