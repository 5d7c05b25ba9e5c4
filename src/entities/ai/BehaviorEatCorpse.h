// BehaviorEatCorpse -- walks to an edible corpse, eats it and grows from the meal, a limited number of times in its life.
#pragma once

#include "core/SafePointer.h"
#include "entities/ai/BehaviorKind.h"

#include <string>
#include <vector>

class BehaviorEatCorpse : public BehaviorKind<BehaviorEatCorpse, BehaviorType::kEatCorpse> {
public:
    static constexpr int32_t kEatPriority = 9;
    static constexpr float kEffectSeconds = 5.0f;
    static constexpr float kDoneSoundRadius = 400.0f;
    static constexpr float kBesideReach = 0.1f;

    // The steps of one meal.
    enum Phase : int32_t { Walking = 0, Eating = 1, Finishing = 2, Over = 3 };

    struct Tuning {
        float maxRange = 0.0f;                       // "MaxRange"
        float senseTime = 0.0f;                      // "SenseTime": searches every 0.9 to 1.1 times it
        std::string animName;                        // "AnimName"
        int32_t maxCorpsesToEat = 0;                 // "MaxCorpsesToEat": meals in a life
        const DatabaseEntry* statusEffect = nullptr; // "StatusEffect": null when it names no record
        float healthRegen = 0.0f;                    // "HealthRegen": share of the maximum health shown
        std::vector<int32_t> showSurface;            // "ShowSurface": the surface each meal switches on
        bool canMove = false;                        // "CanMove": walks to the corpse first
        std::string eatEffect;                       // "EatEffect"
        std::string victimEffect;                    // "VictimEffect"
        std::string doneSoundName;                   // "DoneSoundName"
    };

    BehaviorEatCorpse();
    void LoadData(const DatabaseEntry& entry) override;
    bool WantsToRun() override;
    bool ContinueRunning() override;
    void Start() override;
    void Stop() override;
    void Think(float) override;
    void OnNotifyCurrent(int32_t code, Entity* other) override;

    Tuning tuning;
    RandomTimer searchTimer;
    int32_t phase = Walking;
    int32_t corpsesEaten = 0;

private:
    void RestartSearch();
    Entity* FindCorpse();
    void BeginEating(Entity& corpse);
    void FinishMeal(Entity& corpse);

    SafePointer corpse;
};
