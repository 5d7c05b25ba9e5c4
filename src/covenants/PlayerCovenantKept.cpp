// PlayerCovenant -- the side of the player's covenant the world save keeps: its relations, its raid and its adventure partner.
#include "covenants/PlayerCovenant.h"

#include "core/MessageBuffer.h"

#include <cmath>

namespace {

bool PlayerCovenantKeptIsIndexOrNone(int32_t value)
{
    return value >= -1 && value < kMaxCovenants;
}

} // namespace

void PlayerCovenantKept::Write(MessageBuffer& buffer) const
{
    buffer.WriteInt(index);
    buffer.WriteInt(static_cast<int32_t>(relations.size()));
    for (float relation : relations)
        buffer.WriteFloat(relation);
    buffer.WriteInt(raidTarget);
    buffer.WriteBool(raidUnderway);
    buffer.WriteInt(adventurePartner);
}

bool PlayerCovenantKept::Read(MessageBuffer& buffer)
{
    PlayerCovenantKept read;
    read.index = buffer.ReadInt();
    int32_t count = 0;
    if (buffer.Overrun() || read.index < 0 || read.index >= kMaxCovenants || !buffer.ReadCount(count, sizeof(float)) ||
        count > kMaxCovenants)
        return false;
    for (int32_t other = 0; other < count; ++other) {
        float relation = buffer.ReadFloat();
        if (!std::isfinite(relation))
            return false;
        read.relations.push_back(relation);
    }
    read.raidTarget = buffer.ReadInt();
    read.raidUnderway = buffer.ReadBool();
    read.adventurePartner = buffer.ReadInt();
    if (buffer.Overrun() || !PlayerCovenantKeptIsIndexOrNone(read.raidTarget) ||
        !PlayerCovenantKeptIsIndexOrNone(read.adventurePartner))
        return false;
    *this = std::move(read);
    return true;
}

PlayerCovenantKept PlayerCovenant::Keep() const
{
    PlayerCovenantKept kept;
    kept.index = index;
    for (int32_t other = 0; other < kMaxCovenants && HasRelation(other); ++other)
        kept.relations.push_back(GetRelation(other));
    kept.raidTarget = targetCovenant;
    kept.raidUnderway = raidUnderway;
    kept.adventurePartner = adventurePartner;
    return kept;
}

void PlayerCovenant::TakeKept(const PlayerCovenantKept& kept)
{
    // Mended: the client sends none of this, so a resumed covenant stood at relation 0 toward
    // every rival, out of the raid it was on and apart from the partner it adventured with.
    for (size_t other = 0; other < kept.relations.size(); ++other)
        SetRelation(static_cast<int32_t>(other), kept.relations[other]);
    targetCovenant = kept.raidTarget;
    raidUnderway = kept.raidUnderway;
    adventurePartner = kept.adventurePartner;
}
