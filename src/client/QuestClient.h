// QuestClient -- the client's mirror of one world quest: the shared quest record rebuilt from each game update, its NPC answered from the update's quest-actor table.
#pragma once

#include "rules/quests/QuestBase.h"

#include <cstdint>
#include <string>

class PlayerClient;

class QuestClient : public QuestBase {
public:
    // Where and how long the client shows a quest's news.
    static constexpr float kNewsX = 320.0f;
    static constexpr float kNewsY = 200.0f;
    static constexpr float kNewsSeconds = 5.0f;
    static constexpr int32_t kNewsKind = 1;

    void OnReset() override;
    // Once a frame for each of the player's quests: completes a quick-slot tutorial quest the
    // player has done (and tells the host), announces a completion or failure once, and shows
    // the progress when it changed.
    void CheckProgress(const PlayerClient& player);
    // The progress as it stands counts as shown: nothing is announced for it.
    void Acknowledge();
    void AnnounceCompleted();
    void AnnounceFailed(const PlayerClient& player);
    // The quest log's title, marked "[Here]" while the player stands on a level the quest is
    // aimed at.
    std::string BuildLogTitle(const PlayerClient& player);

    int32_t GetDifficulty() const override;
    int32_t CountTownNpcs() const override;
    std::string GetTownNpcName(int32_t npcId) const override;
    int32_t GetTownNpcType(int32_t npcId) const override;
    // The world the client draws, the one the host's quests run in: a quest's titles and texts
    // name its places as the host's do.
    const QuestWorld* GetWorld() const override;
    // The record a quest item of this quest is named by: the target monster type's, else the
    // target level's area; null for neither.
    const DatabaseEntry* GetItemRecord();

    // The slot of the update's quest list this quest came in.
    int32_t index = -1;
    bool announced = false;
    int32_t lastShownProgress = -1;

private:
    // The townsperson a poisoning, petrifying or kidnapping quest is about, drawn again when the
    // quest was read before the update named any (the quest-actor table was empty); false while
    // it is still none.
    bool ResolveNpc();
    // The player has put a skill and an item into quick slots.
    static bool HasUsedQuickSlots(const PlayerClient& player);
    int32_t GetShownProgress() const;
};
