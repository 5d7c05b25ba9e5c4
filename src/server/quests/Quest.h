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

class MonsterDefinition;
class MonsterType;
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

    // ---- What a carrier's step, events and talk do: the kinds give these their behaviour ----
    void Advance(Player&, float) override {}
    void SeeEvent(Player&, Event&) override {}
    void TalkStep(Player&, Entity&) override {}
    // "QuestAccepted" with the title as news; the items of a fetch quest are laid then.
    void AnnounceAccepted(Player& carrier) override;
    // The world quest's own step, run by the game's quest list.
    virtual void Update(float) {}
    // What the kind puts into the world once its choices stand; false ends the quest.
    virtual bool SetUpKind(Quest*) { return true; }
    // The item-fetch kinds' items laid on their level.
    virtual void SpawnLevelItems() { levelItemsPending = false; }
    // A thief shown in the town; false when it could not be.
    virtual bool ShowThief() { return false; }
    // A death in the world, for the kill goals.
    virtual void OnEntityKilled(Entity&, Entity*) {}
    // A figure of a meeting was killed.
    virtual void OnMeetingKill(Entity&) {}
    // The escorted NPC keeps up with a player who holds the quest.
    virtual void KeepEscortNear(Player&) {}
    // A treasure-map quest whose chest a player opened is that player's to hand in.
    void OnTreasureOpened(const Entity& chest, Sentient* opener);

    // ---- Generation (QuestGeneration.cpp) ----
    using QuestBase::Generate;
    // Chooses the level, target and goals by kind (not when restoring: the saved choices
    // stand), checks them and sets the kind up; a failure sets the ended flag. With an origin
    // (the quest this one follows from) the derived flag is set.
    void Generate(bool restore, Quest* origin);
    // The definition's start conditions against the game.
    bool CanStart() const;
    // Seeds drawn until the target lands on the level, at most "MaxSyncTries" times.
    bool PlaceAtLevel(int32_t levelIndex);
    // Another running quest of the same definition and kind asks the same thing.
    bool IsDuplicateOf(const Quest& other) const;

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
    // The one road of this record's messages to every client: a key, its argument, the kind;
    // without a key the argument is the whole text.
    static void SendQuestMessage(std::string_view key, const std::string& argument, int32_t kind);

    // ---- Generation's choices by kind (QuestGeneration.cpp) ----
    bool Choose(Quest* origin);
    const MonsterType* PickEligibleType() const;
    const MonsterType* DefaultMonsterType() const;
    const MonsterType* DefaultMonsterRule() const;
    int32_t RollMonsterKind() const;
    // The kind's free candidates within the level window; empty when none.
    void CollectKindCandidates(int32_t kind, std::vector<MonsterType*>& out) const;
    bool ChooseFromKind();
    bool ChooseRevenge(Quest* origin);
    bool ChooseGroup(Quest* origin);
    bool ChooseMeeting();
    bool ChooseStoryGoals();
    bool ChooseTownNpcTarget(bool kidnapping);
    bool AreHostile(const MonsterType& first, const MonsterType& second) const;
    const MonsterType* PickOriginSideType(const Quest& origin) const;
    const MonsterType* PickWarSide() const;
    bool ChooseWar(Quest* origin);
    bool ChooseMonsterQuest(Quest* origin);
    void ChooseAttackPosition();
    void CopyPlacement(const Quest* origin);
    bool PassesCommonChecks();
    void CloseSetUp();
    // The type's definition has the flag.
    static bool TypeHas(const MonsterType* monsterType, bool MonsterDefinition::*flag);
    bool IsDuplicateRunning() const;

    QuestHost* host;
    // The definitions whose follow-ups are being started right now, outermost first: a
    // "NextQuest" chain that comes back to one of them is a cycle in the data.
    static std::vector<const QuestDefinition*> nextQuestChain;
};
