// Quest -- the server's record of one quest or world event: its run-time state, its targets, how it pays its reward, and how it leaves the game.
#pragma once

#include "core/RandomTimer.h"
#include "core/SafePointer.h"
#include "entities/Entity.h"
#include "entities/EntityQuest.h"
#include "world/WorldPos.h"

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class Actor;
struct Level;
class DatabaseEntry;
class Event;
class MessageBuffer;
class MonsterDefinition;
class MonsterType;
class Player;
class QuestDefinition;
class QuestHost;
class Sentient;

// A boss tier's level window and the centre of the level its boss waits on.
struct QuestBossTier {
    int32_t minLevel = 0;
    int32_t maxLevel = 0;
    WorldPos centre;
};

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
    // The viewer's level index the server builds titles for: it has no viewer, so no title it
    // sends says the player stands on the quest's level.
    static constexpr int32_t kNoViewerLevel = -1;

    explicit Quest(QuestHost* host);

    // ---- What the rules' quest asks ----
    void OnReset() override;
    void SetFailed() override;
    int32_t GetDifficulty() const override;
    int32_t CountTownNpcs() const override;
    std::string GetTownNpcName(int32_t npcId) const override;
    int32_t GetTownNpcType(int32_t npcId) const override;
    const QuestWorld* GetWorld() const override;

    // ---- What a carrier's step, events and talk do ----
    // A slot's copy runs the progress step with its carrier.
    void Advance(Player& carrier, float seconds) override { UpdateWithPlayer(&carrier, seconds); }
    // A "SuccessfulKill" reaching the carrier counts for the kill goals.
    void SeeEvent(Player&, Event& event) override { CountKill(event); }
    void CountKill(Event& event) override { OnSuccessfulKill(&event); }
    // Talking to the NPC of an escort starts the escort.
    void TalkStep(Player& carrier, Entity& npc) override;
    // "QuestAccepted" with the title as news; the items of a fetch quest are laid then.
    void OnAccepted(Player& carrier) override;
    // The world quest's own step, run by the game's quest list.
    void Update(float seconds) { UpdateWithPlayer(nullptr, seconds); }

    // ---- Set-up by kind (QuestSetUp.cpp) ----
    // What the kind puts into the world once its choices stand; false ends the quest (the
    // kinds that fail instead set the failed flag). With restore nothing is chosen again.
    bool SetUpKind(Quest* origin, bool restore);
    // A boss quest without a target type draws one of its tier's bosses.
    void PickBossMonsterType();
    // The boss of the target type at its tier's highest level, near the tier level's centre;
    // false without the tier's level or when the spawn failed.
    bool SpawnBoss();
    // The potential recruit, remade from the quest's seed; the target afterwards or none.
    void CreateRecruit();
    // The recruit at the recruit's town spot, named anew, with its enhancement, in the game.
    void PlaceRecruit();

    // ---- Progress and expiry (QuestProgress.cpp) ----
    // The world quest runs it without a player, each slot's copy with its carrier.
    void UpdateWithPlayer(Player* player, float seconds);
    void Rescue(Entity* npc, bool unlock);
    bool Deliver(Player& player, Entity& npc);
    void JoinEscort(Player* player, Entity& npc);
    // The escorted NPC keeps up with a player who holds the quest: standing within 400 units of
    // where the player stood (before a gate trip; where it stands, each step), it is moved
    // beside the player.
    void KeepEscortNear(Player& player, const WorldPos& from);
    // Failed, every player's copy failed and the quest dropped unless a player holds it. The
    // quest may be deleted: the caller must not touch it afterwards.
    void EndEverywhere();
    // Every goal reached and every holder hands the quest in.
    void CompleteEverywhere();

    // ---- Kills (QuestKills.cpp) ----
    // A death in the world, told to every world quest while the victim still holds its slot.
    void OnEntityKilled(Entity& victim, Entity* killer);
    void OnSuccessfulKill(Event* event);
    // A figure of a meeting was killed by a player: the meeting counts as met.
    void OnMeetingKill(Entity& victim, Entity* killer);
    // A rival covenant's member made the kill: the news, the killer's experience and the end of
    // the quest (which may be deleted). False when the kill is not such a one.
    bool OnKilledByOtherCovenant(Entity* killer);

    // ---- Acceptance, solving and completion (QuestCompletion.cpp) ----
    void OnSolved(Player& player);
    // A recruit quest whose recruit the covenant of the index took: the news, every rival's
    // recruit quest reset, the recruit let go of (it stays in the world).
    void OnSolvedByOtherCovenant(int32_t covenantIndex);
    bool IsAboutMonsterType(const MonsterType* monsterType) const;
    bool CanTakeItemThroughLinks() override;
    void CheckMeetingFailed();
    // May delete the quest.
    void ResolveMeeting();
    // A treasure-map quest whose chest a player opened is that player's to hand in.
    void OnTreasureOpened(const Entity& chest, Sentient* opener);
    // The title, the kind's news line and the announcement sound, when the definition says so.
    void Announce();
    // The kind's news line; empty for kinds without one.
    std::string BuildAnnouncement();

    // ---- World events (QuestWorldEvents.cpp) ----
    void UpdateWorldEvents(float seconds);
    void ResolveSpreadVictims();
    // The next plague victim; its pointer is empty when there is none.
    QuestVictim CarrierPick() const;
    void ChooseGateInPosition();
    void AddSpawnedMonster(Actor* monster);
    void AddGroupMember(Entity* member);
    bool HasMatchingRevenge() const;
    bool IsReturnNpcAlive() const;
    // The game's trade value of the supply taken back from the old multiplier and put on by
    // the new one (capped at "MaxMult").
    void SetSupplyMultiplier(float oldValue, float newValue);
    void FireSiegeProjectiles();

    // ---- Thieves and quest items (QuestThieves.cpp) ----
    // Null unless the town NPC of the type is a vendor with goods a thief can take.
    Entity* GetVendorOfType(int32_t npcType) const;
    // True when the thief won (the quest then is over and may be deleted).
    bool ShowThief(bool mayWin);
    void ThiefStealsItems();
    void ThiefDisappears();
    // May delete the quest.
    void ThiefWins();
    // The item-fetch kinds' items laid on their level.
    void SpawnLevelItems();
    void SpawnPendingBlock();
    void OnLevelLoaded();
    int32_t FindSpawnedIndex(const Entity* entity) const;
    bool RemoveFromSpawnedList(const Entity* entity);
    void GenerateRewardItem(Player& player, float classSkewChance) const;
    // A plague's victims as two words each; nothing for the other kinds.
    void WriteMemberList(MessageBuffer& buffer) const;
    // A plague's victims into read (left empty for the other kinds); false when the bytes run
    // short. The quest changes only when TakeMemberList hands them over.
    bool ReadMemberList(MessageBuffer& buffer, std::vector<QuestVictim>& read) const;
    // The victims read become the quest's, to be found again by their indices at its next step.
    void TakeMemberList(std::vector<QuestVictim>&& read);

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

    // ---- The world save's server part of the record (QuestSaved.cpp) ----
    // Follows QuestBase::Write: the recruit's candidate, the score, the multiplier, the plague's
    // victims, the town attack's spawn and target health, the met flag.
    void WriteSavedPart(MessageBuffer& buffer) const;
    // The fields the file's version holds, read whole before any is kept: false, the quest
    // unchanged, for a record cut short or holding an unusable value. A candidate read is
    // handed out, not yet in the game.
    bool ReadSavedPart(MessageBuffer& buffer, int32_t version, std::unique_ptr<Actor>& candidate);

    // ---- What a player's slot asks ----
    void PayReward(Player& carrier) override { GiveReward(&carrier); }
    bool IsFor(const Entity& npc) const override { return IsFor(npc.GetNpcType(), &npc); }
    // A slot's copy answers with the world quest's target.
    Entity* GetTargetEntity() const override { return GetWorldTarget(); }
    void Abandon() override;

    // A quest made around an entity that exists already; the ended flag tells a failure.
    void InitFromEntity(Entity* entity);
    bool IsFor(int32_t npcType, const Entity* entity) const;
    // Nothing without a player.
    void GiveReward(Player* player);
    bool HasPlayerSolved(const Player* player) const;
    // The player solved the quest: its "QuestSolvedBit" is set in the player's solved bits, which
    // the story reads. Nothing for a quest without one.
    void SetSolvedBit(Player& player) const;
    // True when the player had solved it: the quest is then deleted, and the caller must not
    // touch it again.
    bool SkipIfSolved(const Player* player);
    bool IsRescueTarget(const Entity* entity) const;
    bool IsDeliveryTarget(const Entity* entity) const;
    bool IsEscortTarget(const Entity* entity) const;
    void RemoveTargets();
    void RemoveQuestItems();
    void StartNextQuest();
    // Run by the game before it deletes a world quest. An ended quest starts its follow-up
    // unless told not to (a failed try that is tried again).
    void OnRemove(bool startFollowUp = true);
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
    const DatabaseEntry* statusEffect = nullptr;
    bool met = false;
    // Set when set-up failed or the quest has run its course: the game removes it.
    bool ended = false;

private:
    static constexpr int32_t kNewsKind = 3;

    // ---- Shared pieces of the kinds (QuestSetUp.cpp) ----
    // A stream-0 draw; 1 (no chance passes) without the random system.
    static float Roll();
    // A uniform index below count from stream 0, a draw that reaches count taken as count - 1.
    static int32_t DrawIndex(int32_t count);
    static void SendNews(const std::string& text, int32_t kind);
    std::string GoalText(int32_t goal) const;
    std::string DefinitionName() const;
    // The type of the name the format makes with the quest NPC's class name; logged when none.
    const MonsterType* FindClassNpcType(const char* format) const;
    // A monster of the type in a block of the level (-1: one drawn and written back).
    Actor* SpawnAtLevel(const MonsterType* monsterType, int32_t levelIndex, int32_t& block,
                        int32_t levelOverride) const;
    static Actor* SpawnAtPoint(const MonsterType* monsterType, const WorldPos& where, int32_t monsterLevel);
    // The monster type of the name, at the level, placed near the point; null on no level.
    static Actor* SpawnNamedAtPoint(std::string_view name, const WorldPos& where, int32_t monsterLevel);
    // A random point of the target level; level -1 in a world without levels.
    WorldPos PointInLevel() const;
    int32_t TargetMonsterLevel();
    void ApplyHealthFraction(Actor& actor) const;
    // The actor becomes the target with the quest-target mark; false for none.
    bool TakeTarget(Actor* actor);
    void NameAfterQuest(Actor& actor) const;
    int32_t BossTier() const;
    bool FindBossTier(QuestBossTier& tier) const;

    // The NPC types 6, 7, 8 and 10 in that order, each when its vendor has goods to take.
    std::vector<int32_t> CollectThiefVendors() const;

    // The players' copies failed and the quest dropped unless held (it may be deleted).
    void EndForPlayersAndDrop();
    // The target level once it exists and has been built; null before.
    Level* BuiltTargetLevel();
    bool TryRewardItems(Player& player, float classSkewChance) const;

    static const MonsterType* MonsterTypeOf(const Entity& entity);

    // ---- Progress steps (QuestProgress.cpp) ----
    // False when the step ended the quest.
    bool StepKind(Player* player);
    void StepProgress();
    void StepEscort();
    void StepHouseTour(const Player& player);
    void StepTalkTour(const Player& player);
    // A player stands within "PlayerNearDistance" of either figure of the meeting.
    bool IsMeetingWatched() const;
    void ExpireLate();

    // ---- Kill rules (QuestKills.cpp) ----
    void KillSingleTarget(Entity* killer);
    void KillInRevenge(Entity& victim, Entity* killer, bool isTarget);
    void KillGroupMember(Entity& victim);
    void KillTownAttacker(Entity& victim, bool isTarget);
    void KillQuestNpc(Entity& victim, Entity* killer);

    // The "TitleList" entry at the choice index; empty outside the list.
    std::string TitleListEntry() const;

    // ---- World events (QuestWorldEvents.cpp) ----
    static constexpr int32_t kWorldEventCount = 33;
    bool PassesEventGate();
    bool IsPlayerNearTarget() const;
    static bool Rolls(float chance);
    float ChanceOf(int32_t key) const;
    // True when the event ended the quest: the rest are not tried.
    bool RunWorldEvent(int32_t event);
    // A quest of the type started with this one as its origin.
    bool StartsChild(int32_t questType);
    // Ends the quest everywhere; true, to stop the step.
    bool EndedHere();
    bool IsThiefTarget() const;
    bool EventUprising();
    bool EventFormGroup();
    bool EventSpread();
    bool EventSpawn();
    bool EventGateIn();
    bool EventGateOut();
    bool EventTownAttack();
    bool EventScoutChild(int32_t questType, const char* scoutKey);
    bool EventSiege();
    bool EventEnd();
    // An escort whose NPC walks alone, further than "PlayerNearDistance" from every player.
    bool IsEscortAdrift() const;
    bool EventRescue();
    void AnnounceGather(const char* levelKey, const char* monsterKey, const std::string& name);
    bool EventGatherSuccess();
    bool EventGatherRescue();
    bool EventRecruitTurns();
    bool IsVictim(const Entity* entity) const;

    // ---- Set-up rows (QuestSetUp.cpp) ----
    bool SetUpTownNpcEffect();
    bool SetUpRecruit();
    bool SetUpAtLevel();
    bool SetUpScout(bool scout);
    bool SetUpRenegade();
    bool SetUpRevenge();
    bool SetUpGroup(Quest* origin);
    bool SetUpRescue(Quest* origin);
    bool SetUpStoryRescue();
    bool SetUpKidnapping();
    bool SetUpTravellingNpc();
    bool SetUpTreasure();
    bool SetUpMonsterQuestGiver();
    bool SetUpTownAttack();
    bool SetUpThief();
    bool SetUpTownTraps();
    bool SetUpSiege();
    bool SetUpWanderingVendor();
    bool SetUpNewNpc();
    // A living covenant's crystals or influence move by a share of the covenants' average.
    bool SetUpCovenantShare();
    bool SetUpGuardBreaksFree();

    // The target of the world quest a linked copy mirrors; the own target otherwise.
    Entity* GetWorldTarget() const;
    bool IsOfType(std::initializer_list<int32_t> types) const;
    bool IsItemFetchKind() const;
    bool IsNpcKind() const;
    void InitAroundSpottedMonster(Entity* entity);
    bool IsOpen() const { return !failed && !IsComplete(); }
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
    // The plague's type and its first carrier, with the news of both.
    bool ChoosePlague();
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
