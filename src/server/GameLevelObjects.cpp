// Game -- the game's side of the level objects: linked gate pairs and the world's gates, secret levels and secrets found, relocation of blocked objects.
#include "server/Game.h"

#include "core/Database.h"
#include "core/DatabaseEntry.h"
#include "core/DebugSystem.h"
#include "core/EngineEnums.h"
#include "core/StringUtil.h"
#include "entities/Gate.h"
#include "entities/Sentient.h"
#include "rules/GameData.h"
#include "rules/quests/QuestBase.h"
#include "server/quests/GameQuests.h"
#include "server/quests/Quest.h"
#include "world/Level.h"
#include "world/LevelGenerator.h"
#include "world/LevelQueries.h"
#include "world/World.h"
#include "world/WorldGateRecords.h"

namespace {

constexpr const char* kGameSecretSound = "Sounds/secretFound.ogg";
constexpr float kGameSecretSoundRadius = 100.0f;
// Solid kinds that keep a relocated object off a spot: Normal, Gate and Transparent.
constexpr uint32_t kGameRelocateMask = 7;

const GameSystemTuning& GameObjectTuning()
{
    static const GameSystemTuning kGameObjectDefaults;
    return gGameData ? gGameData->GetTuning() : kGameObjectDefaults;
}

} // namespace

LinkedGates Game::CreateLinkedGates(const DatabaseEntry* record, const WorldPos& a, const WorldPos& b, int32_t kind)
{
    return Gate::CreateLinkedPair(record, a, b, kind);
}

int32_t Game::PeekSecretLevel() const
{
    if (!gWorld)
        return -1;
    int32_t first = gWorld->GetFirstSecretLevel();
    int32_t next = lastSecretLevel < first ? first : lastSecretLevel + 1;
    if (next >= first + gWorld->GetSecretLevelCount() || !gWorld->GetLevel(next))
        return -1;
    return next;
}

int32_t Game::NextLevelInRange()
{
    int32_t next = PeekSecretLevel();
    if (next != -1)
        lastSecretLevel = next;
    return next;
}

void Game::OnSecretFound(Sentient& player, int32_t level)
{
    player.SendMessage("$$SecretFound$$", 2);
    player.QueueWorldEvent(kGameSecretSound, kGameSecretSoundRadius, 0.0f);
    player.stats.Add(CharacterStat::SecretsFound, 1);
    int32_t base = gWorld && gWorld->GetLevel(level) ? gWorld->GetLevelMonsterLevel(level) : 1;
    int32_t gained = player.GainExperience(base, 1, 1.0f);
    if (gained > 0)
        QueueClientCommand(StringFormat("dmg %d +%d$$xp$$", player.entityNumber, gained));
    int32_t score = GameObjectTuning().scoreForSecret;
    if (score <= 0)
        return;
    player.stats.Add(CharacterStat::Score, score);
    std::string colour = StringFormat("%c%c%03d", '^', 'f', 6);
    QueueClientCommand(StringFormat("dmg %d %s+%d$$ScorePrint$$", player.entityNumber, colour.c_str(), score));
}

void Game::CollectQuests(std::vector<const QuestBase*>& out) const
{
    out.clear();
    for (const auto& quest : quests->GetList())
        if (quest)
            out.push_back(quest.get());
}

void Game::RelocateBlockedEntities(int32_t level)
{
    std::vector<int32_t> numbers;
    CollectLevelEntities(level, numbers);
    int32_t rings = GameObjectTuning().relocateRings;
    for (int32_t number : numbers) {
        Entity* entity = GetEntity(number);
        if (!entity || !entity->relocatable || entity->position.level != level ||
            IsSpotFreeForBody(entity->position, entity, kGameRelocateMask))
            continue;
        SpawnSearch search;
        search.entity = entity;
        search.solidMask = kGameRelocateMask;
        for (int32_t ring = 0; ring <= rings; ++ring) {
            WorldPos spot;
            if (FindSpawnPositionInRing(entity->position, ring, search, spot)) {
                entity->SetPosition(spot);
                entity->SetMoveTarget(spot);
                break;
            }
        }
    }
}

void Game::CreateWorldGates()
{
    // The clients size their gate lists by the same rule, town gate or not.
    FillWorldGateRecords(gateRecords);
    if (!gWorld || !gDatabase)
        return;
    const DatabaseEntry* townRecord = gDatabase->FindEntryByName(Gate::kTownRecord);
    if (townRecord && gWorld->GetLevel(0)) {
        auto* town = new Gate();
        town->Load(townRecord);
        town->kind = GateKind::World;
        FloatPair spot = GameObjectTuning().townGatePosition;
        WorldPos where{0, spot.x, spot.y, true};
        town->SetPosition(where);
        town->SetMoveTarget(where);
        if (AddEntity(town) == -1)
            delete town;
    }
    const DatabaseEntry* pairRecord = gDatabase->FindEntryByName(Gate::kDefaultRecord);
    if (!townRecord || !pairRecord)
        DebugSystem::Print(2, "Couldn't find the world gate records %s and %s\n", Gate::kTownRecord, Gate::kDefaultRecord);
    for (int32_t index = 0; index < gWorld->GetLevelCount(); ++index) {
        const Level* level = gWorld->GetLevel(index);
        for (int32_t i = 0; level && i < LevelQueries::GetGateCount(*level); ++i) {
            LevelGate gate = LevelQueries::GetGate(*level, i);
            // Each pair once: from the end with the lower level (or the lower gate on one level).
            bool first = gate.targetLevel > index || (gate.targetLevel == index && gate.partnerGate > i);
            if (!first || !gWorld->GetLevel(gate.targetLevel))
                continue;
            WorldPos here = LevelGenerator::FindGate(index, i);
            WorldPos there = LevelGenerator::FindGate(gate.targetLevel, gate.partnerGate);
            if (here.level >= 0 && there.level >= 0)
                CreateLinkedGates(pairRecord, here, there, GateKind::Linked);
        }
    }
}
