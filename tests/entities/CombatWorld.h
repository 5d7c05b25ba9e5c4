// CombatWorld -- the entity test world for combat: tuning with plain absorption, sentient events registered, scripted fighters and a spy that writes down what happens to it.
#pragma once

#include "core/Event.h"
#include "entities/CombatSystem.h"
#include "entities/EntityWorld.h"
#include "entities/Sentient.h"
#include "entities/StatusEffect.h"
#include "rules/StatPairList.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

// An entity whose stats and damage list the test sets, which writes what it is told.
class CombatDummy : public Entity {
public:
    int32_t GetStat(int32_t stat) const override
    {
        auto it = statValues.find(stat);
        return it == statValues.end() ? 0 : it->second;
    }
    void BuildDamageList(const Skill*, StatPairList& table) override { table.Append(damage); }
    int32_t ModifyIncomingDamage(Entity*, int32_t amount, int32_t) override { return amount * incomingSign; }
    void OnMissedBy(Entity*, int32_t kind) override { told.push_back("missedBy " + std::to_string(kind)); }
    void OnMissed(Entity*, int32_t kind) override { told.push_back("missed " + std::to_string(kind)); }
    void RecordCombatEvent(int32_t bit, int32_t other) override
    {
        told.push_back("event " + std::to_string(bit) + " " + std::to_string(other));
    }
    void ReportDamageDealt(int32_t total) override { told.push_back("dealt " + std::to_string(total)); }

    std::map<int32_t, int32_t> statValues;
    StatPairList damage;
    int32_t incomingSign = 1;
    std::vector<std::string> told;
};

// A sentient that writes down the kill notifications in the order they come.
class KillSpy : public Sentient {
public:
    void OnSuccessfulKill(Entity* victim) override
    {
        if (onKill)
            onKill();
        journal->push_back("kill " + std::to_string(entityNumber));
        Sentient::OnSuccessfulKill(victim);
    }
    void OnDeath(Entity* killer) override
    {
        journal->push_back("death " + std::to_string(entityNumber));
        Sentient::OnDeath(killer);
    }
    int32_t GetScoreForKill() const override { return score; }
    float GetExperienceValue() const override { return worth; }
    // The kills it hears of through the game's queue (the first player's credit for all kills).
    void ReceiveEvent(Event& event, bool queue) override
    {
        if (queue && journal && event.id == GetEventId(SentientEvent::SuccessfulKill))
            journal->push_back("told " + std::to_string(entityNumber));
        Sentient::ReceiveEvent(event, queue);
    }

    std::vector<std::string>* journal = nullptr;
    // Called as the kill is announced to it, before it writes it down.
    std::function<void()> onKill;
    int32_t score = 0;
    float worth = 1.0f;
};

class CombatWorld : public EntityWorld {
protected:
    static constexpr const char* kCombatRecords = R"(
GameSystem
{
    GridSize 32 32
    BaseXpNeededEachLevel 100000
    DirectDamagePercentPhysical 1
    DirectDamagePercentFire 0.5
    DamageOverTimePercentFire 0.5
    PvpDamageMult 0.5
    ResistanceAbsorbMultiplier 1
    ResistanceMinAbsorbPercent 1
    ArmorAbsorbMultiplier 1
    ArmorMinAbsorbPercent 1
    ItemQualityStatMultNormal 1
    ItemQualityValueMultNormal 1
    BaseItemTimeOnGround 10
    TimeOnGroundMultNormal 1
    TimeOnGroundMultUnique 3
}
CombatSystem
{
    Type Info
    CombatEventTime 1.5
}
ClassFighter
{
    Type Class
    HealthPerVit 10
    AttackPerDex 1
    DefensePerDex 1
    MaxPower 100
    PowerGainOnHit 2.4
    PowerGainOnKill 5
    PowerName "$$Rage$$"
}
StatusEffectBasicFire
{
    Type StatusEffect
    TotalTime 5
    TickTime 1
}
StatusEffectDeepWound
{
    Type StatusEffect
    TotalTime 5
}
StatusEffectStunningBlow
{
    Type StatusEffect
    TotalTime 1
}
Certain
{
    Type StatusEffect
    Forever 1
    DynamicStatChangeCriticalHit 1000
    DynamicStatChangeCrushingBlow 1000
    DynamicStatChangeStunningBlow -1000
    DynamicStatChangeDeepWounds -1000
}
Unlucky
{
    Type StatusEffect
    Forever 1
    DynamicStatChangeCriticalHit -1000
    DynamicStatChangeCrushingBlow -1000
    DynamicStatChangeStunningBlow -1000
    DynamicStatChangeDeepWounds -1000
}
Wounding
{
    Type StatusEffect
    Forever 1
    DynamicStatChangeCriticalHit -1000
    DynamicStatChangeCrushingBlow -1000
    DynamicStatChangeStunningBlow 1000
    DynamicStatChangeDeepWounds 1000
}
)";

    CombatWorld() { Sentient::RegisterEventClass(events, types); }
    ~CombatWorld() override { CombatSystem::Destroy(); }

    void LoadCombat(const std::string& more = "") { LoadRecords(std::string(kCombatRecords) + more); }

    CombatDummy* Dummy(float x, float y, int32_t health)
    {
        auto* dummy = Spawn<CombatDummy>(x, y);
        dummy->maxHealth = health;
        dummy->health = health;
        return dummy;
    }

    // A fighter of class 0 with plain luck (no special outcomes) unless the effect says otherwise.
    template <class T = Sentient>
    T* Fighter(float x, float y, const char* luck = "Unlucky")
    {
        auto* fighter = Spawn<T>(x, y);
        fighter->SetClass(0, true);
        for (int32_t i = 0; i < 5; ++i)
            fighter->stats.Set(CharacterStat::BaseStrength + i, 10);
        fighter->AddStatusEffectByName(luck, nullptr, 1);
        fighter->RecalculateStats(true);
        return fighter;
    }

    // The lines of the fake game that begin with the prefix.
    std::vector<std::string> LinesStarting(const std::string& prefix) const
    {
        std::vector<std::string> found;
        for (const std::string& line : game.lines)
            if (line.rfind(prefix, 0) == 0)
                found.push_back(line);
        return found;
    }
};
