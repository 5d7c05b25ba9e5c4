// Chest -- the level object that holds loot: opened through a timed action or broken, locked by a key, trapped, or the way into a secret level.
#pragma once

#include "entities/Entity.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class Sentient;
class Trap;

class Chest : public Entity {
public:
    // GetStat's index that answers the chest's level.
    static constexpr int32_t kLevelStat = 10;
    // A secret-level pair's kind: a secret gate.
    static constexpr int32_t kSecretGateKind = 3;
    static constexpr float kSoundRadius = 100.0f;
    static constexpr const char* kLockedSound = "Sounds/Objects/doorLocked.ogg";
    static constexpr const char* kSecretSound = "Sounds/secretFound.ogg";
    // A saved chest never holds more records than this, whatever its count says.
    static constexpr int32_t kMaxSavedRecords = 256;
    // The world save version from which a chest's saved state ends with its secret-link word.
    static constexpr int32_t kSavedLinkVersion = 57;

    Chest();
    ~Chest() override;

    void Load(const DatabaseEntry* record) override;
    void Update(float seconds) override;
    int32_t GetStat(int32_t stat) const override;
    // One word: 1 while closed, else 0.
    void WriteNetState(MessageBuffer& buffer) const override;
    void OnAttackedBy(Entity* attacker) override;
    // The user starts opening it: a timed action of the chest's kind, and the trap's chance.
    void OnUsedBy(Entity* user) override;
    // The opening completed: the key test, then open.
    void Use(Entity* user) override;
    void OnUseEnded(Entity* user) override;
    // An opened chest is left out of the world save.
    bool IsFree() const override;
    bool IsChest() const override { return true; }
    // The stored records: a count, then each record's name; then 1 or 0 for the secret link,
    // drawn once when the chest was placed.
    void WriteSaved(MessageBuffer& buffer) const override;
    // False, with nothing changed, when the bytes are cut or the count does not fit them;
    // names the database does not know are skipped.
    bool ReadSaved(MessageBuffer& buffer, int32_t version) override;

    // Once per placed chest, on random stream 0: the trap, the secret link, the facing and the
    // health of a breakable chest.
    void Randomize(int32_t levelIndex);
    // Takes an item or quest-item record placed within the collect distance.
    bool TryStoreRecord(const DatabaseEntry* record, const WorldPos& where);
    // Every item lying within the collect distance that TryStoreRecord takes goes into the chest
    // as its record; the item on the ground is removed from the game and destroyed.
    void CollectNearbyItems();

    Trap* GetTrap() const { return trap.get(); }
    bool IsClosed() const { return closed; }
    bool IsBroken() const { return broken; }
    const std::vector<const DatabaseEntry*>& GetStoredRecords() const { return stored; }

    float itemChance = 1.0f;
    float trapChance = 0.0f;
    int32_t minItems = 1;
    int32_t maxItems = 1;
    int32_t increasedMagicChance = 0;
    int32_t level = 1;
    float secretLevelChance = 0.0f;
    bool secretLink = false;
    // Set by the quest and tutorial code: opening tells the game.
    bool questNotify = false;
    bool tutorial = false;
    bool anyDirection = false;
    int32_t timedAction = 0;
    bool breakable = false;
    // "MinHealth" and "MaxHealth": the range a breakable chest's health is drawn from.
    int32_t healthLow = 0;
    int32_t healthHigh = 0;
    float fadeTime = 0.0f;
    float collectDistance = 0.0f;
    std::string requiredKey;

private:
    // Stays closed only when a secret link's gates could not be made, for a later try.
    void Open(Sentient* opener);
    void DropStoredItems();
    // False when the next secret level's gates could not be made: nothing is used up.
    bool OpenSecretLevel();
    void ArmTrap();
    void RollFacing();
    void RollHealth();

    bool closed = true;
    bool broken = false;
    std::unique_ptr<Trap> trap;
    std::vector<const DatabaseEntry*> stored;
};
