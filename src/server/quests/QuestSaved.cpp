// Quest -- the server part of a world quest's record in the world save: the recruit's candidate, the score, the multiplier, the plague's victims, the town attack's spawn and target health, the met flag.
#include "server/quests/Quest.h"

#include "core/MessageBuffer.h"
#include "entities/Actor.h"
#include "rules/RulesEnums.h"
#include "server/WorldSaveVersion.h"

#include <algorithm>
#include <cmath>

namespace {

// A plague victim is saved as the two words that name it: its list and its index there.
constexpr size_t kQuestSavedVictimBytes = 8;

} // namespace

void Quest::WriteSavedPart(MessageBuffer& buffer) const
{
    if (type == QuestType::Recruit && !failed) {
        const Actor* candidate = target.GetAs<Actor>();
        buffer.WriteInt(candidate ? 1 : 0);
        if (candidate)
            Actor::WriteRecord(*candidate, buffer);
    }
    buffer.WriteInt(success);
    buffer.WriteFloat(multiplier);
    if (type == QuestType::Plague) {
        int32_t held = 0;
        for (const QuestVictim& member : members)
            held += member.victim.Get() ? 1 : 0;
        buffer.WriteInt(held);
        for (const QuestVictim& member : members) {
            if (!member.victim.Get())
                continue;
            buffer.WriteInt(member.covenantIndex);
            buffer.WriteInt(member.memberIndex);
        }
    }
    if (type == QuestType::TownAttack) {
        WriteWorldPos(buffer, spawnPosition);
        const Entity* attacked = target.GetAs<Entity>();
        bool measurable = attacked && attacked->maxHealth > 0;
        buffer.WriteFloat(measurable ? static_cast<float>(attacked->health) / static_cast<float>(attacked->maxHealth)
                                     : 0.0f);
    }
    buffer.WriteBool(met);
}

bool Quest::ReadSavedPart(MessageBuffer& buffer, int32_t version, std::unique_ptr<Actor>& candidate)
{
    candidate.reset();
    if (type == QuestType::Recruit && !failed) {
        bool present = version < WorldSaveVersion::kCandidatePresence || buffer.ReadInt() != 0;
        if (present) {
            candidate = std::make_unique<Actor>();
            if (!Actor::ReadRecord(*candidate, buffer, version)) {
                candidate.reset();
                return false;
            }
        }
    }
    int32_t savedSuccess = buffer.ReadInt();
    float savedMultiplier = version >= WorldSaveVersion::kQuestMultiplier ? buffer.ReadFloat() : 1.0f;
    std::vector<QuestVictim> savedMembers;
    if (type == QuestType::Plague) {
        int32_t held = 0;
        if (!buffer.ReadCount(held, kQuestSavedVictimBytes))
            return false;
        savedMembers.resize(static_cast<size_t>(held));
        for (QuestVictim& member : savedMembers) {
            member.covenantIndex = buffer.ReadInt();
            member.memberIndex = buffer.ReadInt();
        }
    }
    WorldPos savedSpawn = spawnPosition;
    float savedFraction = targetHealthFraction;
    if (type == QuestType::TownAttack) {
        bool placed = ReadWorldPos(buffer, savedSpawn);
        savedFraction = buffer.ReadFloat();
        if (!placed || !std::isfinite(savedFraction))
            return false;
        savedFraction = std::clamp(savedFraction, 0.0f, 1.0f);
    }
    bool savedMet = version >= WorldSaveVersion::kQuestMet && buffer.ReadBool();
    if (buffer.Overrun() || !std::isfinite(savedMultiplier)) {
        candidate.reset();
        return false;
    }
    success = savedSuccess;
    multiplier = savedMultiplier;
    if (type == QuestType::Plague)
        members = std::move(savedMembers);
    spawnPosition = savedSpawn;
    targetHealthFraction = savedFraction;
    met = savedMet;
    return true;
}
