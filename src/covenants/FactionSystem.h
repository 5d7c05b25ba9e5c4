// FactionSystem -- the factions of monsters and townsfolk, their reputations toward each other, wars, and how two entities stand.
#pragma once

#include "entities/GameSystem.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class Entity;
class MessageBuffer;

// One faction's standing toward the others it has met.
struct Faction {
    struct Reputation {
        int32_t faction = -1;
        float reputation = 0.0f;
        bool atWar = false;
    };

    std::string name;
    int32_t index = -1;
    // In the order they were made.
    std::vector<Reputation> reputations;
    bool canGoToWar = true;
    float defaultReputation = 50.0f;

    const Reputation* Find(int32_t other) const;
    Reputation* Find(int32_t other);
};

// Reputations are plain floats: only the quests' change keeps them within 0..100.
// Unknown names and indices give the neutral answers (reputation 50, relationship 2, index -1),
// never a log line.
class FactionSystem : public GameSystem {
public:
    // Relationship codes, from hostile to friend.
    static constexpr int32_t kHostile = 0;
    static constexpr int32_t kDisliked = 1;
    static constexpr int32_t kNeutral = 2;
    static constexpr int32_t kLiked = 3;
    static constexpr int32_t kFriend = 4;
    static constexpr float kNeutralReputation = 50.0f;
    static constexpr float kOwnReputation = 100.0f;

    // Reads its settings and factions.
    FactionSystem();

    // The "FactionSystem" record; zeros and empty names without it.
    void ReadSettings();
    // Every "Faction" entry of the database, then the player and NPC factions by name.
    void ReadFactions();
    // Empties the list and reads the entries again, as a new world starts.
    void ResetFactions();

    int32_t GetOrAddFaction(std::string_view name);
    // Exact and case-sensitive; null when missing.
    Faction* FindFactionByName(std::string_view name) const;
    int32_t GetFactionIndex(std::string_view name) const;
    Faction* GetFaction(int32_t index) const;
    int32_t GetFactionCount() const { return static_cast<int32_t>(factions.size()); }

    // a's reputation toward b: its entry, 100 toward itself, else its default.
    float GetReputation(int32_t a, int32_t b) const;
    void SetReputation(int32_t a, int32_t b, float value);
    void ChangeReputation(int32_t a, int32_t b, float delta);
    void ChangeReputationClamped(int32_t a, int32_t b, float delta);
    // Both ways, entries made at the neutral reputation where missing.
    void DeclareWar(int32_t a, int32_t b);
    void MakePeace(int32_t a, int32_t b);
    bool IsAtWar(int32_t a, int32_t b) const;
    // Both factions exist and may go to war.
    bool CanBothGoToWar(int32_t a, int32_t b) const;
    // For two quest figures: x's faction (its own name, else its definition's) toward y's.
    float GetReputationOfNamed(const Entity& x, const Entity& y) const;

    void OnKill(Entity* killer, Entity* victim, int32_t flag) override;
    // 0 hostile .. 4 friend: covenant members by their covenants' treaty, everyone else by faction.
    int32_t GetRelationship(const Entity* a, const Entity* b) const;

    // The world save's faction block.
    void WriteFactions(MessageBuffer& buffer) const;
    // The whole block is read before anything changes: a cut or oversized block reads false
    // and leaves every reputation as it was.
    bool ReadFactionsState(MessageBuffer& buffer);

    float changePerKill = 0.0f;
    float maxHateReputation = 0.0f;
    float maxDislikeReputation = 0.0f;
    float minLikeReputation = 0.0f;
    float minLoveReputation = 0.0f;
    std::string playerFactionName;
    int32_t playerFaction = -1;
    std::string npcFactionName;
    int32_t npcFaction = -1;

private:
    Faction::Reputation* EntryFor(int32_t a, int32_t b);
    // The faction an entity counts as: an actor's own; -1 for any other.
    static int32_t FactionOf(const Entity* entity);
    static int32_t CodeForReputation(const FactionSystem& system, float reputation);

    std::vector<std::unique_ptr<Faction>> factions;
};

extern FactionSystem* gFactionSystem;
