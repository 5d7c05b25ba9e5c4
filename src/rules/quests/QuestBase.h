// QuestBase -- the state of one quest or world event in play: identity, what is generated from it, progress, texts and saved record.
#pragma once

#include "core/TimeStamp.h"

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

class DatabaseEntry;
class MessageBuffer;
class MonsterType;
class QuestDefinition;
class QuestWorld;

// One sub-goal of a multi-goal quest.
struct QuestGoal {
    int32_t progress = 0;
    int32_t required = 0;
    const MonsterType* target = nullptr;
    int32_t rarity = 0;  // MonsterRarity of the goal's reward
};

// Shared by the server's quest and the client's mirror, which derive from it. Generation is
// deterministic: every draw comes from random stream 3 set to the quest's seed first, so a
// quest is saved as its identity and progress and rebuilt from them. Goals, counts, rewards,
// levels, names and the deadline are generated, never stored.
//
// Life: empty (level -1) -> Setup -> RollParameters and Generate (the caller's duty; CopyFrom
// and Read do it) -> kills, quest items and the server raise progress -> complete or failed ->
// Reset. A quest built before its world was ready sets regenerate, so that the next Setup
// with the same identity builds it again.
class QuestBase {
public:
    // Records saved from this version on name their monster types; older ones give indices.
    static constexpr int32_t kNamedReferencesVersion = 38;
    // More goals than any quest kind has; a saved count above it is corrupt.
    static constexpr int32_t kMaxGoals = 64;

    QuestBase();
    virtual ~QuestBase() = default;
    QuestBase(const QuestBase&) = delete;
    QuestBase& operator=(const QuestBase&) = delete;

    // ---- What the server's and the client's quest classes provide ----
    virtual void OnReset() {}
    // Runs after the parameters are rolled: from Read (fromSave set) or CopyFrom (the source).
    virtual void OnParametersRolled(bool fromSave, const QuestBase* source);
    virtual void SetFailed() { failed = true; }
    // The world difficulty whose "DifficultyTimeMult" scales a time limit.
    virtual int32_t GetDifficulty() const = 0;
    // The NPC kind this quest is handed back to; never None.
    virtual bool IsReturnNpcType(int32_t npcType) const;
    // The number of town NPCs a DeadlyPoison, Petrify or Kidnapping quest draws its NPC from.
    virtual int32_t CountTownNpcs() const = 0;
    // That NPC's display name (empty when there is none) and NpcType (None when there is none).
    virtual std::string GetTownNpcName(int32_t npcId) const = 0;
    virtual int32_t GetTownNpcType(int32_t npcId) const = 0;
    // Null while there is no world.
    virtual const QuestWorld* GetWorld() const = 0;

    // ---- Identity and generation ----
    void Reset();
    // Takes a new identity: false, changing nothing, when it equals the current one (unless
    // regenerate is set); false with the quest left empty for level -1 or an entry that is no
    // loaded quest definition; true otherwise. A definition's "ForceLevel" replaces the level.
    bool Setup(const DatabaseEntry* definitionEntry, int32_t questLevel, uint32_t questSeed, int32_t questProgress,
               const TimeStamp& questStart);
    // The draws that come before Generate: the level roll, the NPC name, the recruit's level,
    // the NPC, the text index; count = 1 unless keepCount.
    void RollParameters(bool keepCount);
    // Counts, goal requirements, rewards and the deadline. Nothing for an empty quest or
    // while generationLocked is set.
    void Generate();
    // Rewards for every goal (or the count) at that MonsterRarity, from nothing.
    void ComputeRewards(int32_t rarity);
    void AddReward(int32_t units, int32_t rarity);
    // A player's copy of a world quest: same identity, target, goals, and completion.
    void CopyFrom(const QuestBase* source);
    // Picks targetLevel and destLevel from the world; -1 for what cannot be picked.
    void AssignTargetLevels();

    // ---- Progress ----
    bool IsMultiGoal() const;
    // A lesson of the tutorial: its kinds are a run of the kind table plus the quest-taking one.
    bool IsTutorialStep() const;
    // The monster type of goal i for the multi-goal kinds (null for i outside the goals), the
    // single target otherwise.
    const MonsterType* GetTarget(int32_t i) const;
    bool IsComplete() const;
    void SetComplete();
    bool HasProgress() const;
    // Counts a kill of that monster type on the level.
    void OnKill(const MonsterType* monsterType, int32_t placeLevel);
    // Whether the quest may take one more quest item: not failed, and "CanPickupExtra" or the
    // progress still below the count.
    bool CanTakeMoreItems() const;
    // Whether picking up an item of that record advances the quest.
    bool IsQuestItem(const DatabaseEntry* itemEntry);
    // Whether the quest concerns that level while it can still be solved.
    bool IsTargetLevel(int32_t levelIndex);
    // Seconds until the deadline; 0 at or after it.
    float GetTimeRemaining(const TimeStamp& now) const;

    // ---- The quest's NPC ----
    // Sets random stream 3 to nameSeed (except for StoryQuorrinRescue); gives the character
    // class index of the NPC, always 0.
    int32_t SeedNameStream() const;
    bool IsNpcMale() const;
    std::string MakeNpcName() const;

    // ---- Saved record ----
    void Write(MessageBuffer& buffer, bool byName) const;
    // True when the record gave a new identity and generate was set, so that the quest was
    // rebuilt. A record cut short or holding a goal count outside 0..kMaxGoals logs, changes
    // nothing and gives false. A progress outside 0..count is taken into that range with a
    // warning (only below 0 while a new identity waits for its count to be generated).
    bool Read(MessageBuffer& buffer, bool generate, bool byName, int32_t version);
    // The record of a quest that was never set up: what a slot without a quest object sends.
    static void WriteEmpty(MessageBuffer& buffer);
    // Reads past one record, keeping nothing; false when it is cut short or corrupt.
    static bool Skip(MessageBuffer& buffer, bool byName, int32_t version);

    // ---- Texts (QuestBaseText.cpp): localisation tokens, translated when shown ----
    // The name of the quest's item for the count: the definition's "DefaultItem", else the
    // quest item of the target level's area.
    std::string GetTargetName(int32_t units);
    // The target of goal i, optionally coloured by rarity, with its title, in the plural.
    std::string GetGoalText(int32_t i, bool colour, bool withTitle, bool plural, int32_t units) const;
    // The coloured name of the first (or second) target level.
    std::string GetLocationText(bool plainName, bool secondLevel);
    // npcName, built on first use for the poisoned, petrified or kidnapped NPC.
    const std::string& GetNpcText();
    std::string GetKillLine(const QuestGoal& goal) const;
    std::string GetProgressText(bool longForm);
    // The heading form heads the body text and announcements; without it, the quest log's form.
    std::string BuildTitle(int32_t viewerLevel, bool heading);
    std::string BuildText(int32_t viewerCharacterLevel, const TimeStamp& now, const std::string& playerName);

    // ---- State ----
    const QuestDefinition* definition = nullptr;
    std::vector<QuestGoal> goals;
    int32_t level = -1;  // -1: the quest (or slot) is empty
    uint32_t seed = 0;
    int32_t type = 0;    // QuestType, from the definition
    int32_t questId = 0; // the world quest this one belongs to
    // The NPC among CountTownNpcs's (DeadlyPoison, Petrify, Kidnapping), or a TextList index
    // (PoisonedSupply, Revenge).
    int32_t npcId = 0;
    int32_t textIndex = -1;  // into the definition's TextList
    bool generationLocked = false;
    int32_t progress = 0;
    int32_t count = 0;
    bool resetFlag = true;  // for the server's quest system
    const MonsterType* target = nullptr;
    int32_t xpReward = 0;
    int32_t moneyReward = 0;  // copper
    float levelRoll = 0.0f;
    int32_t targetLevel = -1;
    int32_t destLevel = -1;
    uint32_t nameSeed = 0;
    std::string npcName;
    int32_t recruitLevel = 0;
    bool failed = false;
    TimeStamp startTime;
    TimeStamp deadline;
    bool regenerate = false;

protected:
    // The target levels worked out from the quest's draws, where none are yet: each half works
    // them out alike from the same world.
    void EnsureTargetLevels();

private:
    void HoldSavedProgress(bool countKnown);
    // Toward zero, held within the int range; NaN gives 0.
    static int32_t TruncToInt(double value);
    bool IsType(std::initializer_list<int32_t> types) const;
    int32_t ScaledCount(const MonsterType* monsterType) const;
    void DirectRewards();
    void CountKill();
    std::string GetTitlePart(bool heading);
    void AppendBodyPart(std::string& text, const std::string& playerName);
    bool AppendStoryBody(std::string& text, const std::string& playerName);
    bool AppendTutorialBody(std::string& text) const;
    void AppendKillParagraph(std::string& text, const std::string& playerName) const;
    void AppendTail(std::string& text, int32_t rememberedLevel, int32_t viewerCharacterLevel, const TimeStamp& now);
    void AppendRewardLine(std::string& text, int32_t viewerCharacterLevel) const;
    // The definition's TextList entry at textIndex; empty when there is none.
    const std::string& GetTextListEntry(int32_t index) const;
};
