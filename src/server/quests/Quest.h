// Quest -- the server's record of one quest or world event: its run-time state, its targets, how it pays its reward, and how it leaves the game.
#pragma once

#include "core/RandomTimer.h"
#include "core/SafePointer.h"
#include "entities/Entity.h"
#include "entities/EntityQuest.h"
#include "world/WorldPos.h"

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

class Player;
class QuestDefinition;
class QuestHost;
class Sentient;

// One victim of a plague: copying re-points the pointer at the source's entity.
struct QuestVictim {
    SafePointer victim;
    int32_t covenantIndex = -1;
    int32_t memberIndex = -1;
};

// The game keeps its world quests in its list and each player's slot holds a linked copy of
// one of them (questId names it). Every game object is reached through the host. The fields
// are declared in the order they are torn down in reverse: the spawned list and the victims
// go first, then the chest, the second entity and the target. The progress kinds (what a
// carrier's step, events and talk do) derive from this.
class Quest : public EntityQuest {
public:
    // The most bits a player's solved-quest list holds.
    static constexpr int32_t kMaxSolvedBit = 4095;
    // Seconds a removed target takes to fade before it goes.
    static constexpr float kTargetFadeSeconds = 5.0f;

    explicit Quest(QuestHost* host);

    // ---- What the rules' quest asks ----
    void OnReset() override;
    void SetFailed() override;
    int32_t GetDifficulty() const override;
    int32_t GetNpcCount() const override;
    std::string GetNpcName(int32_t npcId) const override;
    int32_t GetNpcType(int32_t npcId) const override;
    const QuestWorld* GetWorld() const override;

    // ---- What a player's slot asks ----
    void PayReward(Player& carrier) override { GiveReward(&carrier); }
    bool IsFor(const Entity& npc) const override { return IsFor(npc.GetNpcType(), &npc); }
    Entity* GetTargetEntity() const override { return target.GetAs<Entity>(); }
    void Abandon() override;

    // A quest made around an entity that exists already; the ended flag tells a failure.
    void InitFromEntity(Entity* entity);
    bool IsFor(int32_t npcType, const Entity* entity) const;
    // Nothing without a player.
    void GiveReward(Player* player);
    bool HasPlayerSolved(const Player* player) const;
    // True when the player had solved it: the quest is then deleted, and the caller must not
    // touch it again.
    bool SkipIfSolved(const Player* player);
    bool IsRescueTarget(const Entity* entity) const;
    bool IsDeliveryTarget(const Entity* entity) const;
    bool IsEscortTarget(const Entity* entity) const;
    void RemoveTargets();
    void RemoveQuestItems();
    void StartNextQuest();
    // Run by the game before it deletes a world quest.
    void OnRemove();
    bool IsLate() const;

    // ---- State ----
    SafePointer target;
    SafePointer secondEntity;
    SafePointer treasureChest;
    bool linkedCopy = false;
    RandomTimer eventTimer;
    int32_t success = 0;
    float multiplier = 1.0f;
    std::vector<QuestVictim> members;
    bool eventFlag = false;
    WorldPos spawnPosition;
    float targetHealthFraction = 1.0f;
    std::vector<SafePointer> spawned;
    int32_t spawnedCount = 0;
    bool hidden = false;
    bool levelItemsPending = false;
    int32_t pendingBlock = -1;
    bool derived = false;
    int32_t statusEffect = 0;
    bool met = false;
    // Set when set-up failed or the quest has run its course: the game removes it.
    bool ended = false;

protected:
    QuestHost* GetHost() const { return host; }

private:
    // The target of the world quest a linked copy mirrors; the own target otherwise.
    Entity* GetWorldTarget() const;
    bool IsOfType(std::initializer_list<int32_t> types) const;
    bool IsItemFetchKind() const;
    bool IsNpcKind() const;
    bool IsOpen() const { return !failed && !IsComplete(); }
    void InitAroundSpottedMonster(Entity* entity);
    void GiveExperience(Sentient& gainer) const;
    void GiveScore(Player& player) const;
    void GiveItems(Player& player);
    void CheckMonsterQuestTruce(const Player& player);
    // The one road of this record's messages to every client: a key, its argument, the kind.
    static void SendQuestMessage(std::string_view key, const std::string& argument, int32_t kind);

    QuestHost* host;
    // The definitions whose follow-ups are being started right now, outermost first: a
    // "NextQuest" chain that comes back to one of them is a cycle in the data.
    static std::vector<const QuestDefinition*> nextQuestChain;
};
