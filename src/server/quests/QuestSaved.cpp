// Quest -- the server part of a world quest's record in the world save: the recruit's candidate, the score, the multiplier, the plague's victims, the town attack's spawn and target health, the met flag.
#include "server/quests/Quest.h"

#include "core/MessageBuffer.h"
#include "entities/Actor.h"
#include "rules/RulesEnums.h"
#include "server/WorldSaveVersion.h"

#include <algorithm>
#include <cmath>

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
    WriteMemberList(buffer);
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
    if (!ReadMemberList(buffer, savedMembers))
        return false;
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
    // Mended: the victims read are found again by their indices at the quest's next step; they
    // stayed unfound before.
    TakeMemberList(std::move(savedMembers));
    spawnPosition = savedSpawn;
    targetHealthFraction = savedFraction;
    met = savedMet;
    return true;
}
