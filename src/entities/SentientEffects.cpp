// Sentient -- the status effects a sentient carries: their stacking, their update and the questions asked of them.
#include "entities/Sentient.h"

#include "core/Database.h"
#include "core/DatabaseEntry.h"
#include "entities/GameServices.h"
#include "entities/StatusEffect.h"

#include <algorithm>

void Sentient::AddStatusEffectByName(std::string_view name, Entity* source, int32_t level)
{
    if (name.empty() || !gDatabase)
        return;
    // Only a status-effect record makes an effect; any other entry of the name is refused.
    const DatabaseEntry* record = gDatabase->FindEntryByName(name);
    if (record && record->GetType() == DatabaseEntryType::StatusEffect)
        AddStatusEffect(record, source, level);
}

void Sentient::AddStatusEffect(const DatabaseEntry* record, Entity* source, int32_t level)
{
    if (!record)
        return;
    std::unique_ptr<StatusEffect> effect = TakeSpareEffect();
    effect->SetDefinition(record, level, dynamic_cast<Sentient*>(source));
    AttachStatusEffect(std::move(effect), source);
}

std::unique_ptr<StatusEffect> Sentient::TakeSpareEffect()
{
    return gGameServices ? gGameServices->TakeSpareEffect() : std::make_unique<StatusEffect>();
}

void Sentient::DiscardEffect(std::unique_ptr<StatusEffect> effect)
{
    if (gGameServices)
        gGameServices->KeepSpareEffect(std::move(effect));
}

void Sentient::AttachStatusEffect(std::unique_ptr<StatusEffect> effect, Entity* source)
{
    if (!effect)
        return;
    if (maxHealth > 0 && health <= 0) {
        DiscardEffect(std::move(effect));
        return;
    }
    effect->source.Set(source);
    int32_t type = effect->effectType;
    StatusEffect* same = type == StatusEffectType::Normal ? nullptr : FindSameGroup(*effect, source);
    if (same) {
        switch (type) {
        case StatusEffectType::Combine:
            same->CombineWith(*effect);
            DiscardEffect(std::move(effect));
            RecalculateStats(false);
            return;
        case StatusEffectType::OnlyOneKeepOld:
            DiscardEffect(std::move(effect));
            RecalculateStats(false);
            return;
        case StatusEffectType::Cancel:
            same->Expire();
            DiscardEffect(std::move(effect));
            RecalculateStats(false);
            return;
        default:
            same->Expire();
            break;
        }
    }
    effect->instanceId = nextEffectInstance++;
    effect->SetOwner(this);
    effect->Start();
    statusEffects.push_back(std::move(effect));
    RecalculateStats(false);
}

StatusEffect* Sentient::FindSameGroup(const StatusEffect& effect, const Entity* source) const
{
    for (const std::unique_ptr<StatusEffect>& carried : statusEffects) {
        if (carried->effectType == StatusEffectType::OnePerInflicter && carried->source.Get() != source)
            continue;
        if (carried->IsInSameGroup(&effect))
            return carried.get();
    }
    return nullptr;
}

bool Sentient::CanAddStatusEffect(const DatabaseEntry* record, const Entity* source) const
{
    if (!record)
        return false;
    // The probe is one of the game's spares, as an actor weighing its skills asks this often.
    std::unique_ptr<StatusEffect> probe = TakeSpareEffect();
    probe->SetDefinition(record, 1, nullptr);
    bool single = probe->effectType == StatusEffectType::OnlyOne ||
                  probe->effectType == StatusEffectType::OnePerInflicter ||
                  probe->effectType == StatusEffectType::OnlyOneExact;
    bool refused = single && FindSameGroup(*probe, source);
    DiscardEffect(std::move(probe));
    return !refused;
}

void Sentient::UpdateStatusEffects(float seconds)
{
    bool removed = false;
    // By index: a tick may add effects to the end of the list.
    for (size_t i = 0; i < statusEffects.size();) {
        if (!statusEffects[i]->Update(*this, seconds)) {
            ++i;
            continue;
        }
        statusEffects[i]->End();
        std::unique_ptr<StatusEffect> ended = std::move(statusEffects[i]);
        statusEffects.erase(statusEffects.begin() + static_cast<std::ptrdiff_t>(i));
        DiscardEffect(std::move(ended));
        removed = true;
    }
    if (removed)
        RecalculateStats(false);
}

bool Sentient::HasStatusType(int32_t type) const
{
    return std::any_of(statusEffects.begin(), statusEffects.end(),
                       [type](const std::unique_ptr<StatusEffect>& effect) { return effect->statusType == type; });
}

bool Sentient::HasStatusEffect(int32_t id) const
{
    return std::any_of(statusEffects.begin(), statusEffects.end(), [id](const std::unique_ptr<StatusEffect>& effect) {
        return !effect->IsExpired() && effect->GetEntry() && effect->GetEntry()->GetId() == id;
    });
}

void Sentient::Notify(int32_t code, Entity* other)
{
    // By index: an effect's reaction may add effects to the end of the list.
    for (size_t i = 0; i < statusEffects.size(); ++i)
        statusEffects[i]->OnSimpleEvent(code, other);
}

int32_t Sentient::ModifyIncomingDamage(Entity* attacker, int32_t damage, int32_t)
{
    bool emptied = false;
    for (const std::unique_ptr<StatusEffect>& effect : statusEffects) {
        if (damage <= 0)
            break;
        if (effect->IsExpired())
            continue;
        effect->AbsorbDamage(damage, attacker);
        emptied = emptied || effect->IsExpired();
    }
    if (emptied)
        RecalculateStats(false);
    return damage;
}

bool Sentient::IsDamageable() const
{
    return std::none_of(statusEffects.begin(), statusEffects.end(), [](const std::unique_ptr<StatusEffect>& effect) {
        return !effect->IsExpired() && effect->absorbAllDamage;
    });
}

bool Sentient::CanAttack() const
{
    return std::none_of(statusEffects.begin(), statusEffects.end(),
                        [](const std::unique_ptr<StatusEffect>& effect) { return effect->cantAttack; });
}

bool Sentient::CanUseSkills(bool spell) const
{
    return FindSkillBlocker(spell) == nullptr;
}

const StatusEffect* Sentient::FindSkillBlocker(bool spell) const
{
    auto found = std::find_if(statusEffects.begin(), statusEffects.end(), [spell](const std::unique_ptr<StatusEffect>& effect) {
        return effect->cantUseSkills || (spell && effect->cantUseSpells);
    });
    return found != statusEffects.end() ? found->get() : nullptr;
}

bool Sentient::HasDamageBreakEffect() const
{
    return std::any_of(statusEffects.begin(), statusEffects.end(),
                       [](const std::unique_ptr<StatusEffect>& effect) { return effect->damageBreaks; });
}

void Sentient::CollectNetObjects(std::vector<NetObject>& out) const
{
    for (const std::unique_ptr<StatusEffect>& effect : statusEffects) {
        if (!effect->isPublic || effect->IsExpired() || !effect->IsActiveNow())
            continue;
        const DatabaseEntry* record = effect->GetEntry();
        out.push_back({record ? record->GetId() : -1, effect->instanceId});
    }
}

void Sentient::WeakenEffectsByGroup(std::string_view group, int32_t amount)
{
    for (const std::unique_ptr<StatusEffect>& effect : statusEffects) {
        if (effect->groupName != group)
            continue;
        int32_t left = std::max(0, effect->strength - amount);
        if (left == 0)
            effect->Expire();
        if (left < effect->currentStrength) {
            effect->currentStrength = left;
            RecalculateStats(false);
            return;
        }
    }
}

void Sentient::CureDamageOverTimeByGroup(std::string_view group, float amount)
{
    for (const std::unique_ptr<StatusEffect>& effect : statusEffects)
        if (effect->groupName == group)
            effect->ReduceHealthChange(amount);
}

void Sentient::ExpireEffectsOfDefinition(const DatabaseEntry* record)
{
    for (const std::unique_ptr<StatusEffect>& effect : statusEffects)
        if (effect->GetEntry() == record)
            effect->Expire();
    RecalculateStats(false);
}

void Sentient::ExpireAllEffects()
{
    for (const std::unique_ptr<StatusEffect>& effect : statusEffects)
        effect->Expire();
    RecalculateStats(false);
}
