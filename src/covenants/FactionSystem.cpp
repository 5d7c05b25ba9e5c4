// FactionSystem -- the factions of monsters and townsfolk, their reputations toward each other, wars, and how two entities stand.
#include "covenants/FactionSystem.h"

#include "core/Database.h"
#include "core/DatabaseEntry.h"
#include "core/MessageBuffer.h"
#include "covenants/Covenant.h"
#include "covenants/CovenantHost.h"
#include "entities/Actor.h"

#include <algorithm>
#include <cmath>

FactionSystem* gFactionSystem = nullptr;

namespace {

// The smallest stored faction (an empty name and a count) and entry (an empty name, a float
// and a word): a count that could not fit in the bytes left is refused before anything grows.
constexpr size_t kFactionStoredFactionBytes = 5;
constexpr size_t kFactionStoredEntryBytes = 9;

} // namespace

const Faction::Reputation* Faction::Find(int32_t other) const
{
    auto found = std::find_if(reputations.begin(), reputations.end(),
                              [other](const Reputation& entry) { return entry.faction == other; });
    return found == reputations.end() ? nullptr : &*found;
}

Faction::Reputation* Faction::Find(int32_t other)
{
    return const_cast<Reputation*>(static_cast<const Faction*>(this)->Find(other));
}

FactionSystem::FactionSystem()
{
    ReadSettings();
    ReadFactions();
}

void FactionSystem::ReadSettings()
{
    const DatabaseEntry* record = gDatabase ? gDatabase->FindEntryByName("FactionSystem") : nullptr;
    changePerKill = record ? record->GetFloat("ChangePerKill", 0.0f) : 0.0f;
    maxHateReputation = record ? record->GetFloat("MaxHateReputation", 0.0f) : 0.0f;
    maxDislikeReputation = record ? record->GetFloat("MaxDislikeReputation", 0.0f) : 0.0f;
    minLikeReputation = record ? record->GetFloat("MinLikeReputation", 0.0f) : 0.0f;
    minLoveReputation = record ? record->GetFloat("MinLoveReputation", 0.0f) : 0.0f;
    playerFactionName = record ? record->GetString("PlayerFactionName") : std::string();
    npcFactionName = record ? record->GetString("NpcFactionName") : std::string();
}

void FactionSystem::ReadFactions()
{
    for (const DatabaseEntry* entry = gDatabase ? gDatabase->GetNextEntryOfType(DatabaseEntryType::Faction) : nullptr;
         entry; entry = gDatabase->GetNextEntryOfType(DatabaseEntryType::Faction, entry)) {
        int32_t own = GetOrAddFaction(entry->GetString("Name"));
        Faction* faction = GetFaction(own);
        if (!faction)
            continue;
        faction->canGoToWar = entry->GetInt("CanGoToWar") != 0;
        faction->defaultReputation = entry->GetFloat("DefaultReputation", 0.0f);
        std::vector<std::string> others;
        entry->GetStringList("ReputationWith", others, true, false);
        for (const std::string& otherName : others) {
            std::string name = gDatabase->GetEntryFieldString(otherName, "Name");
            if (name.empty())
                continue;
            int32_t otherIndex = GetOrAddFaction(name);
            SetReputation(own, otherIndex, entry->GetFloat("Reputation" + otherName, 0.0f));
        }
    }
    playerFaction = GetFactionIndex(playerFactionName);
    npcFaction = GetFactionIndex(npcFactionName);
}

void FactionSystem::ResetFactions()
{
    factions.clear();
    ReadFactions();
}

int32_t FactionSystem::GetOrAddFaction(std::string_view name)
{
    if (name.empty())
        return -1;
    int32_t found = GetFactionIndex(name);
    if (found >= 0)
        return found;
    auto faction = std::make_unique<Faction>();
    faction->name = std::string(name);
    faction->index = GetFactionCount();
    factions.push_back(std::move(faction));
    return GetFactionCount() - 1;
}

Faction* FactionSystem::FindFactionByName(std::string_view name) const
{
    return GetFaction(GetFactionIndex(name));
}

int32_t FactionSystem::GetFactionIndex(std::string_view name) const
{
    for (const auto& faction : factions)
        if (faction->name == name)
            return faction->index;
    return -1;
}

Faction* FactionSystem::GetFaction(int32_t index) const
{
    return index >= 0 && index < GetFactionCount() ? factions[static_cast<size_t>(index)].get() : nullptr;
}

// ---- Reputations and wars -------------------------------------------------------------------------

float FactionSystem::GetReputation(int32_t a, int32_t b) const
{
    const Faction* faction = GetFaction(a);
    if (!faction || b < 0)
        return kNeutralReputation;
    if (const Faction::Reputation* entry = faction->Find(b))
        return entry->reputation;
    return a == b ? kOwnReputation : faction->defaultReputation;
}

Faction::Reputation* FactionSystem::EntryFor(int32_t a, int32_t b)
{
    Faction* faction = GetFaction(a);
    if (!faction || !GetFaction(b))
        return nullptr;
    if (Faction::Reputation* entry = faction->Find(b))
        return entry;
    faction->reputations.push_back({b, kNeutralReputation, false});
    return &faction->reputations.back();
}

void FactionSystem::SetReputation(int32_t a, int32_t b, float value)
{
    if (Faction::Reputation* entry = EntryFor(a, b))
        entry->reputation = value;
}

void FactionSystem::ChangeReputation(int32_t a, int32_t b, float delta)
{
    if (GetFaction(a) && GetFaction(b))
        SetReputation(a, b, GetReputation(a, b) + delta);
}

void FactionSystem::ChangeReputationClamped(int32_t a, int32_t b, float delta)
{
    if (GetFaction(a) && GetFaction(b))
        SetReputation(a, b, std::clamp(GetReputation(a, b) + delta, 0.0f, kOwnReputation));
}

void FactionSystem::DeclareWar(int32_t a, int32_t b)
{
    if (!GetFaction(a) || !GetFaction(b))
        return;
    EntryFor(a, b)->atWar = true;
    EntryFor(b, a)->atWar = true;
}

void FactionSystem::MakePeace(int32_t a, int32_t b)
{
    for (auto [from, to] : {std::pair{a, b}, std::pair{b, a}})
        if (Faction* faction = GetFaction(from))
            if (Faction::Reputation* entry = faction->Find(to))
                entry->atWar = false;
}

bool FactionSystem::IsAtWar(int32_t a, int32_t b) const
{
    const Faction* faction = GetFaction(a);
    const Faction::Reputation* entry = faction ? faction->Find(b) : nullptr;
    return entry && entry->atWar;
}

bool FactionSystem::CanBothGoToWar(int32_t a, int32_t b) const
{
    const Faction* first = GetFaction(a);
    const Faction* second = GetFaction(b);
    return first && second && first->canGoToWar && second->canGoToWar;
}

float FactionSystem::GetReputationOfNamed(const Entity& x, const Entity& y) const
{
    return GetReputation(FactionOf(&x), FactionOf(&y));
}

int32_t FactionSystem::FactionOf(const Entity* entity)
{
    const auto* actor = dynamic_cast<const Actor*>(entity);
    return actor ? actor->factionIndex : -1;
}

// ---- Kills and relationships ----------------------------------------------------------------------

void FactionSystem::OnKill(Entity* killer, Entity* victim, int32_t flag)
{
    if (flag != 0 || !killer || !victim || (killer->covenantIndex >= 0 && victim->covenantIndex >= 0))
        return;
    int32_t k = FactionOf(killer);
    int32_t v = FactionOf(victim);
    if (!GetFaction(k) || !GetFaction(v))
        return;
    for (int32_t r = 0; r < GetFactionCount(); ++r) {
        if (r == v) {
            ChangeReputation(r, k, changePerKill);
            continue;
        }
        float rv = GetReputation(r, v);
        float rk = GetReputation(r, k);
        // The friends of the victim take the kill to heart in proportion to their friendship.
        if (rv >= minLikeReputation && rk < rv)
            ChangeReputation(r, k, rv * changePerKill * 0.01f);
    }
}

int32_t FactionSystem::CodeForReputation(const FactionSystem& system, float reputation)
{
    if (reputation < system.maxHateReputation)
        return kHostile;
    if (reputation < system.maxDislikeReputation)
        return kDisliked;
    if (reputation < system.minLikeReputation)
        return kNeutral;
    return reputation < system.minLoveReputation ? kLiked : kFriend;
}

int32_t FactionSystem::GetRelationship(const Entity* a, const Entity* b) const
{
    if (!a || !b)
        return kNeutral;
    bool aMember = a->covenantIndex >= 0;
    bool bMember = b->covenantIndex >= 0;
    if (aMember && bMember) {
        const Covenant* covenant = gCovenantHost ? gCovenantHost->GetCovenant(a->covenantIndex) : nullptr;
        return covenant ? covenant->GetRelationshipCode(b) : kNeutral;
    }
    int32_t own = FactionOf(a);
    if (aMember) {
        int32_t other = FactionOf(b);
        if (other >= 0 && (other == playerFaction || other == npcFaction))
            return kLiked;
        own = playerFaction;
    }
    int32_t their = bMember ? playerFaction : FactionOf(b);
    const Faction* faction = GetFaction(own);
    if (!faction || their < 0)
        return kNeutral;
    if (IsAtWar(own, their))
        return kHostile;
    return CodeForReputation(*this, GetReputation(own, their));
}

// ---- The world save's block -----------------------------------------------------------------------

void FactionSystem::WriteFactions(MessageBuffer& buffer) const
{
    buffer.WriteUInt(static_cast<uint32_t>(factions.size()));
    for (const auto& faction : factions) {
        buffer.WriteString(faction->name);
        buffer.WriteUInt(static_cast<uint32_t>(faction->reputations.size()));
        for (const Faction::Reputation& entry : faction->reputations) {
            const Faction* other = GetFaction(entry.faction);
            buffer.WriteString(other ? other->name : std::string());
            buffer.WriteFloat(entry.reputation);
            buffer.WriteInt(entry.atWar ? 1 : 0);
        }
    }
}

bool FactionSystem::ReadFactionsState(MessageBuffer& buffer)
{
    struct StoredEntry {
        int32_t faction;
        int32_t other;
        float reputation;
        bool atWar;
    };
    std::vector<StoredEntry> stored;
    int32_t count = 0;
    if (!buffer.ReadCount(count, kFactionStoredFactionBytes))
        return false;
    for (int32_t i = 0; i < count; ++i) {
        int32_t own = GetFactionIndex(buffer.ReadString());
        int32_t entries = 0;
        if (buffer.Overrun() || !buffer.ReadCount(entries, kFactionStoredEntryBytes))
            return false;
        for (int32_t e = 0; e < entries; ++e) {
            int32_t other = GetFactionIndex(buffer.ReadString());
            float reputation = buffer.ReadFloat();
            bool atWar = buffer.ReadInt() != 0;
            if (buffer.Overrun())
                return false;
            // A faction or an entry this world does not know is read and dropped.
            if (own >= 0 && other >= 0 && !std::isnan(reputation))
                stored.push_back({own, other, reputation, atWar});
        }
    }
    for (const StoredEntry& entry : stored) {
        SetReputation(entry.faction, entry.other, entry.reputation);
        if (entry.atWar)
            DeclareWar(entry.faction, entry.other);
    }
    return true;
}
