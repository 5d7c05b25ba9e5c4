// PlayerCovenantClient -- the client's mirror of the local player's own covenant: the block it joins with, its part of every game update, its block in the character file, its recruits, alarms, lifestone news and the history of every covenant's standing.
#pragma once

#include "client/CharacterCovenantBlock.h"
#include "client/RecruitClient.h"
#include "core/EngineEnums.h"
#include "core/TimeStamp.h"
#include "resources/ResourceHandle.h"
#include "rules/IntArray.h"
#include "rules/covenants/CovenantBase.h"
#include "world/TradeOfferEntry.h"

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class InventoryClient;
class MessageBuffer;
struct ListEntry;

// Main thread only. Made by the client application with a character; the player mirror reads
// the update's covenant part through it and the character file carries its block.
class PlayerCovenantClient : public CovenantBase, public CharacterCovenantBlock {
public:
    static constexpr int32_t kTrackedValues = 4;
    static constexpr int32_t kAlertFlags = 3;
    // The nine statistics a history sample keeps of each covenant.
    static constexpr int32_t kSampledStats = 9;
    // Two game weeks of minutes: older samples go, so that a clock far ahead cannot make the
    // history grow without end.
    static constexpr int32_t kMaxHistorySamples = 20160;
    // The alarms sound at most once in this many seconds.
    static constexpr float kAlarmPeriod = 5.0f;
    static constexpr const char* kGlobalInventoryPath = "Chars/global.sav";
    // The character file versions where the block changed its form.
    static constexpr int32_t kSavedSlotsVersion = 2;
    static constexpr int32_t kSavedIndicesVersion = 19;
    static constexpr int32_t kSavedNameVersion = 30;
    static constexpr int32_t kSavedSlotCountVersion = 47;
    static constexpr int32_t kSavedCountedListsVersion = 50;
    // Before the slot count was saved every file held this many slots.
    static constexpr int32_t kOldSavedSlots = 5;

    // One entry of a per-covenant record: three words the client game fills.
    using CovenantRecordEntry = std::array<int32_t, 3>;
    // The kind of the entry an offer put to the player leaves: {kind, trade type, entry count}.
    static constexpr int32_t kOfferRecordKind = 1;

    PlayerCovenantClient();
    ~PlayerCovenantClient() override;

    // The history, the per-covenant records, the lifestone fraction, the alerts and the two
    // stored indices back to a fresh world's.
    void Reset();

    // ---- Joining ----------------------------------------------------------------------------
    // The covenant's block of the join settings; the recruits, statistics and lifestone only
    // for a covenant read from a character file.
    void WriteSettings(MessageBuffer& buffer) const;
    // "Chars/global.sav": a version and the covenant's inventory. False, nothing changed, for a
    // missing, cut or corrupt file.
    bool LoadGlobalInventory();

    // ---- The covenant part of the game update ----------------------------------------------------
    // Reads the part whole into the staging; false, nothing staged, for a cut part, a refused
    // count, or a recruit slot outside the slots or named twice.
    bool ParseUpdate(MessageBuffer& buffer);
    // Takes what ParseUpdate staged: the recruits not named again go.
    void ApplyUpdate();
    // Both; false when refused.
    bool ReadUpdate(MessageBuffer& buffer);
    // The index only counts when it names a covenant the client game holds.
    void AfterUpdate();

    // ---- The frame ------------------------------------------------------------------------------
    // The alarms, the relations brought into line with the other covenants', the lifestone news.
    void Update(float seconds);
    // One sample of every covenant's statistics per game minute, while a game runs.
    void SampleHistory();

    // ---- The character file ---------------------------------------------------------------------
    void WriteBlock(MessageBuffer& buffer) const override { WriteSaved(buffer); }
    bool ParseBlock(MessageBuffer& buffer, int32_t version) override;
    void ApplyBlock() override;
    // The newest form: every slot a recruit's saved record (an empty slot one naming no creature).
    void WriteSaved(MessageBuffer& buffer) const;
    // Parse and apply; false, nothing changed, for a cut or corrupt block.
    bool ReadSaved(MessageBuffer& buffer, int32_t version);

    // ---- Questions ------------------------------------------------------------------------------
    int32_t GetRecruitSlots() const { return static_cast<int32_t>(recruits.size()); }
    // Null for a slot outside the slots or an empty one.
    RecruitClient* GetRecruit(int32_t slot) const;
    // The slot of the recruit standing as that entity; -1 for -1 or none.
    int32_t FindRecruitSlot(int32_t entityNumber) const;
    bool IsHero(int32_t entityNumber) const;
    const RecruitClient& GetHero() const { return *hero; }
    int32_t GetRecruitCount() const { return recruitCount; }
    // One row per recruit: its name, and its slot as the row's value; a recruit that is not
    // standing in the world (fallen, or not back yet) is a disabled row.
    void ListRecruits(std::vector<ListEntry>& rows) const;
    // While this covenant stands: some covenant of the client game that fell is bound to it by a
    // mutual protection pact or an alliance (treaty 5 or 6) on its own record.
    bool HasWarWith() const;
    // The first covenant not hidden whose record holds an entry; -1 for none.
    int32_t FindCovenantRecord() const;
    // Record i after the records are sized to the client game's covenants; null outside them.
    std::vector<CovenantRecordEntry>* GetCovenantRecord(int32_t i);
    void ClearCovenantRecord(int32_t i);
    // Every record hidden from FindCovenantRecord shown again.
    void ShowAllCovenantRecords() { hiddenRecords.clear(); }
    bool HasInventory() const { return hasInventory; }
    bool IsLoaded() const { return loaded; }
    bool GetAlertFlag(int32_t i) const { return i >= 0 && i < kAlertFlags && alertFlags[static_cast<size_t>(i)]; }
    int32_t GetTrackedValue(int32_t i) const { return trackedValues.Get(i); }
    int32_t GetTrackedTotal(int32_t i) const { return trackedTotals.Get(i); }
    int32_t GetStoredIndex(int32_t i) const { return i == 0 || i == 1 ? storedIndices[static_cast<size_t>(i)] : -1; }
    InventoryClient& GetInventory() const;
    // The history: samples from the first kept minute on, each kSampledStats words per covenant.
    int32_t GetFirstSampleMinute() const { return firstSampleMinute; }
    const std::deque<std::vector<int32_t>>& GetHistory() const { return history; }

    // ---- Offers made to the player (PlayerCovenantClientOffers.cpp) --------------------------------
    struct PendingOffer {
        int32_t type = 0;
        std::vector<TradeOfferEntry> entries;
    };
    // Kept as that covenant's pending offer, in place of an earlier one, and noted in its record;
    // an index outside 0..kMaxCovenants-1 is dropped.
    void ReceiveOffer(int32_t covenantIndex, int32_t type, const std::vector<TradeOfferEntry>& entries);
    // The offer and its record go: it expired, or the player answered it.
    void ExpireOffer(int32_t covenantIndex);
    // Null when that covenant has no pending offer.
    const PendingOffer* GetPendingOffer(int32_t covenantIndex) const;
    // The player chose to ignore the covenant's offers; the flags grow to cover the index.
    void SetIgnored(int32_t covenantIndex);
    bool IsIgnored(int32_t covenantIndex) const;

    // The client game's town-attack test, which sounds the second alarm; none until it is given.
    std::function<bool()> townUnderAttack;

private:
    struct AlarmTimer {
        bool running = false;
        float remaining = 0.0f;
    };
    // The update's part as read, before it applies.
    struct UpdateStaging {
        std::string name;
        int32_t homeLevel = -1;
        float homeX = 0.0f;
        float homeY = 0.0f;
        int32_t index = -1;
        std::unique_ptr<InventoryClient> inventory;
        int32_t recruitCount = 0;
        // By slot: the objects the records are read into, kept from update to update; named
        // says which slots this update named.
        std::vector<std::unique_ptr<RecruitClient>> recruits;
        std::vector<bool> named;
        std::array<int32_t, kTrackedValues> tracked{};
        std::array<int32_t, 3> stats{};
        bool eliminated = false;
        std::array<bool, kAlertFlags> alerts{};
        int32_t targetCovenant = -1;
        int32_t health = 0;
        int32_t maxHealth = 0;
        std::unique_ptr<RecruitClient> hero;  // kept from update to update, as the recruits
        bool heroNamed = false;
    };
    // The character file's block as read, before it applies.
    struct SavedStaging {
        std::vector<std::unique_ptr<RecruitClient>> recruits;
        int32_t health = 0;
        int32_t maxHealth = 0;
        int32_t money = 0;
        std::string name;
        std::array<int32_t, 2> indices{-1, -1};
        bool hasLists = false;
        IntArray totals{kTrackedValues};
        IntArray statistics{CovenantStat::kCount};
    };

    bool ParseSavedRecruits(MessageBuffer& buffer, int32_t version, SavedStaging& out) const;
    bool ParseSavedRecruit(MessageBuffer& buffer, int32_t version, int32_t slot, SavedStaging& out) const;
    void TakeRecruits(std::vector<std::unique_ptr<RecruitClient>>& staged, const std::vector<bool>& named);
    void AlignRelations();
    void SoundAlarm(AlarmTimer& timer, const ResourceHandle& sound);
    void AnnounceLifestone();
    void ResizeCovenantRecords();
    // The sample of that game minute, made (with empty ones before it) when past the last.
    std::vector<int32_t>* SampleAt(int64_t minute);

    int32_t recruitCount = 0;
    IntArray trackedValues{kTrackedValues};
    IntArray trackedTotals{kTrackedValues};
    bool hasInventory = false;
    bool loaded = false;
    std::array<bool, kAlertFlags> alertFlags{};
    std::vector<std::unique_ptr<RecruitClient>> recruits;
    std::unique_ptr<RecruitClient> hero;
    std::vector<std::vector<CovenantRecordEntry>> covenantRecords;
    // Read by FindCovenantRecord and emptied when the relations screen hides; nothing in the game
    // sets a bit today.
    std::vector<bool> hiddenRecords;
    std::deque<std::vector<int32_t>> history;
    int32_t firstSampleMinute = 0;
    bool sampled = false;
    TimeStamp lastSampleTime;
    std::array<int32_t, kSampledStats> lowestSampled{};
    std::array<int32_t, kSampledStats> highestSampled{};
    std::array<AlarmTimer, 2> alarms{};
    float lastLifestoneFraction = 1.0f;
    std::array<int32_t, 2> storedIndices{-1, -1};
    ResourceHandle alarmSound;
    ResourceHandle townAttackedSound;
    ResourceHandle treatyRequestSound;
    ResourceHandle declaredWarSound;
    ResourceHandle startedRaidSound;
    UpdateStaging staging;
    SavedStaging savedStaging;
    std::vector<std::unique_ptr<PendingOffer>> pendingOffers;
    std::vector<bool> ignoredCovenants;
};
