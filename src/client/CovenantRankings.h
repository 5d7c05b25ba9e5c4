// CovenantRankings -- the covenants ranked by influence and by power each frame, the leader announcements, and the relation queries of the menus.
#pragma once

#include "rules/covenants/CovenantBase.h"

#include <cstdint>
#include <optional>
#include <vector>

class GameClient;

// Main thread only. Owned by the game client.
class CovenantRankings {
public:
    // Seconds between two checks of the leaders.
    static constexpr float kAnnouncePeriod = 30.0f;

    struct Place {
        int32_t covenant = 0;
        int32_t value = 0;
    };

    explicit CovenantRankings(GameClient& client) : client(client) {}

    // Both rankings again, one place per covenant index below the covenant count, highest
    // first; equal values keep the lower index first, so a tie never makes a new leader.
    void UpdateRankings();
    // A new leader in either ranking is announced; the first check of a game only records them.
    void UpdateAnnouncements();
    // A new game: the leaders are not known.
    void Reset();

    // The place of a covenant (0 leads); -1 when it is not ranked.
    int32_t GetInfluenceRank(int32_t covenant) const;
    int32_t GetPowerRank(int32_t covenant) const;
    // The covenant at a place of the power ranking; -1 outside it.
    int32_t GetPowerRankCovenant(int32_t place) const;
    int32_t GetLeadingPowerCovenant() const { return GetPowerRankCovenant(0); }

    // How a and b stand: the mean of both sides' values, the other side's alone when one of
    // them is the player's covenant, 0.5 when both are.
    float GetRelationValue(int32_t a, int32_t b) const;
    // a's treaty toward b; Peace (1) when a has no record for b.
    int32_t GetTreatyState(int32_t a, int32_t b) const;
    // a's relation record for b; none when there is no such record.
    std::optional<RelationRecord> GetTreatyRecord(int32_t a, int32_t b) const;

    const std::vector<Place>& GetInfluenceRanking() const { return influenceRanking; }
    const std::vector<Place>& GetPowerRanking() const { return powerRanking; }
    int32_t GetLastInfluenceLeader() const { return lastInfluenceLeader; }
    int32_t GetLastPowerLeader() const { return lastPowerLeader; }

private:
    template <class Value>
    void Rank(std::vector<Place>& ranking, Value value) const;
    // The mirror of a covenant index: the player's own covenant for its index.
    const CovenantBase* FindCovenant(int32_t index) const;
    const CovenantBase* GetPlayerCovenant() const;
    void Announce(int32_t leader, const char* key) const;

    GameClient& client;
    std::vector<Place> influenceRanking;
    std::vector<Place> powerRanking;
    int32_t lastInfluenceLeader = -1;
    int32_t lastPowerLeader = -1;
};
