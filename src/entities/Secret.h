// Secret -- the level object that, used at night in red torchlight, opens a linked pair of gates into the adventure's treasure level once per player and difficulty.
#pragma once

#include "entities/Entity.h"

#include <cstdint>

class Player;

class Secret : public Entity {
public:
    // The only secret that opens anything: the treasure level's.
    static constexpr int32_t kTreasureSecret = 1;
    // The lit torches that count stand within this of the secret.
    static constexpr float kTorchRadius = 100.0f;
    // A treasure level's monster level is this times one more than the world's difficulty.
    static constexpr int32_t kTreasureMonsterLevelStep = 25;

    void Load(const DatabaseEntry* record) override;
    // The treasure secret records its found bits in "SpecificSecrets", one per difficulty.
    void OnPlaced() override;
    // A player who may use it, at night, in red torchlight and with no quest in the way gets a
    // secret gate pair into the treasure level.
    void Use(Entity* user) override;

    int32_t GetSecretIndex() const { return secretIndex; }

private:
    bool CanUse(const Player& player) const;
    bool CanReveal() const;
    bool IsNight() const;
    bool QuestsAllowReveal() const;
    bool IsInRedTorchlight() const;
    // False, with nothing opened, when the world has no treasure level.
    bool OpenSecretLevel();
    void RecordFound(Player& player) const;

    int32_t secretIndex = 0;
    int32_t recordStat = -1;
    int32_t recordBit = -1;
};
