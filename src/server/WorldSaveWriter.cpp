// WorldSaveWriter -- builds the world save in memory: the world's identity, the level records, the clock, the world quests, the faction and weather blocks, the unlock list, the town's people, the gates opened during play, the entities kept with the world, the rivals and the player covenant's own side.
#include "server/WorldSaveWriter.h"

#include "core/MessageBuffer.h"
#include "covenants/ActorCovenant.h"
#include "entities/Actor.h"
#include "covenants/FactionSystem.h"
#include "covenants/PlayerCovenant.h"
#include "core/DatabaseEntry.h"
#include "entities/Entity.h"
#include "entities/Gate.h"
#include "entities/Sentient.h"
#include "rules/RulesEnums.h"
#include "server/Game.h"
#include "server/Weather.h"
#include "server/WorldSaveVersion.h"
#include "server/quests/GameQuests.h"
#include "server/quests/Quest.h"
#include "server/spawn/SpawnSystem.h"
#include "world/World.h"

#include <algorithm>
#include <string>
#include <vector>

void WorldSaveWriter::Write(const Game& game)
{
    buffer.WriteInt(WorldSaveVersion::kCurrent);
    WriteWorld();
    WriteLevels(game);
    buffer.WriteTimeStamp(game.elapsed);
    buffer.WriteDouble(game.timeOfDay);
    buffer.WriteBool(game.leftStartLevel);
    buffer.WriteBool(game.gameOver);
    WriteQuests(game);
    game.factionSystem->WriteFactions(buffer);
    game.weather->Write(buffer);
    buffer.WriteStringList(game.unlocks);
    WriteTown(game);
    WriteOpenedGates(game);
    WriteEntities(game);
    WriteRivals(game);
    WritePlayerCovenant(game);
}

void WorldSaveWriter::WriteWorld()
{
    buffer.WriteString(gWorld ? gWorld->GetAdventureName() : std::string());
    buffer.WriteInt(gWorld ? gWorld->GetDifficulty() : 0);
    buffer.WriteUInt(gWorld ? gWorld->GetLayoutSeed() : 0u);
}

void WorldSaveWriter::WriteLevels(const Game& game)
{
    size_t cells = Game::ExploredCellCount();
    const std::vector<bool> unexplored(cells, false);
    int32_t levelCount = gWorld ? gWorld->GetLevelCount() : 0;
    for (int32_t level = 0; level < levelCount; ++level) {
        const GameLevelRecord* record = game.FindLevel(level);
        bool sized = record && record->explored.size() == cells;
        buffer.WriteBoolVector(sized ? record->explored : unexplored);
        buffer.WriteInt(sized ? record->exploredCount : 0);
        int32_t given = 0;
        if (record && record->populated)
            given |= WorldSaveVersion::kLevelFilledBit;
        if (record && record->bonusChestLaid)
            given |= WorldSaveVersion::kLevelBonusChestBit;
        buffer.WriteInt(given);
        buffer.WriteBoolVector(record ? record->usedBlocks : std::vector<bool>());
        // A secret opened during play raises the level it leads to.
        buffer.WriteInt(gWorld->GetLevelMonsterLevel(level));
    }
}

void WorldSaveWriter::WriteQuests(const Game& game)
{
    const auto& list = game.GetQuests().GetList();
    buffer.WriteUInt(static_cast<uint32_t>(list.size()));
    for (const auto& quest : list) {
        buffer.WriteBool(quest != nullptr);
        if (!quest)
            continue;
        quest->Write(buffer, true);
        quest->WriteSavedPart(buffer);
    }
}

void WorldSaveWriter::WriteTown(const Game& game)
{
    // Mended: the town was made anew on every resume, so a trader's stock was drawn again and
    // what a player had sold to it, to buy back, was gone.
    buffer.WriteInt(game.GetTownNpcSlotCount());
    for (int32_t slot = 0; slot < game.GetTownNpcSlotCount(); ++slot) {
        const auto* npc = game.townNpcs[static_cast<size_t>(slot)].GetAs<Sentient>();
        buffer.WriteBool(npc != nullptr);
        if (!npc)
            continue;
        buffer.WriteString(game.townNpcTypeNames[static_cast<size_t>(slot)]);
        // Each NPC's state is measured, so one that does not read is passed over alone.
        MessageBuffer state;
        state.WriteInt(npc->stats.Get(CharacterStat::Level));
        npc->WriteSaved(state);
        const auto* actor = dynamic_cast<const Actor*>(npc);
        state.WriteUInt(actor ? actor->GetNameSeed() : 0u);
        buffer.WriteUInt(static_cast<uint32_t>(state.Size()));
        buffer.WriteBytes(state.Data(), state.Size());
    }
}

bool WorldSaveWriter::IsOpenedGate(const Entity& entity)
{
    const auto* gate = dynamic_cast<const Gate*>(&entity);
    return gate && gate->kind == GateKind::Secret && gate->GetLinked() && gate->covenantIndex < 0;
}

void WorldSaveWriter::WriteOpenedGates(const Game& game)
{
    // Mended: a secret's or a chest's pair of gates was left out with the world's own, so a
    // resumed world lost the way into the secret level it had opened.
    buffer.WriteInt(game.lastSecretLevel);
    std::vector<const Gate*> pairs;
    for (int32_t number = 0; number < Game::kMaxEntities; ++number) {
        const Entity* entity = game.GetEntity(number);
        // Each pair once, from its end of the lower number.
        if (entity && IsOpenedGate(*entity) && static_cast<const Gate*>(entity)->GetLinked()->entityNumber > number)
            pairs.push_back(static_cast<const Gate*>(entity));
    }
    buffer.WriteInt(static_cast<int32_t>(pairs.size()));
    for (const Gate* gate : pairs) {
        buffer.WriteString(gate->GetEntry() ? gate->GetEntry()->GetName() : std::string());
        buffer.WriteInt(gate->kind);
        for (const Gate* end : {gate, static_cast<const Gate*>(gate->GetLinked())}) {
            WriteWorldPos(buffer, end->position);
            buffer.WriteInt(end->facing);
            buffer.WriteBool(end->travelled);
        }
    }
}

bool WorldSaveWriter::IsRemadeByWorld(const Entity& entity)
{
    // The world's gates (the town gate and the linked pairs between levels) are laid again from
    // the world's layout when it loads. They carry no model to be rebuilt from, and a gate made
    // again alone would lose its partner: written, each stopped every record after it.
    const auto* gate = dynamic_cast<const Gate*>(&entity);
    return gate && (gate->kind == GateKind::World || gate->GetLinked());
}

bool WorldSaveWriter::IsRemadeByCovenant(const Entity& entity)
{
    // Mended: the houses were written as loose objects, so a resumed world stood a second
    // lifestone and stash beside the ones the player's covenant builds when it joins.
    return entity.covenantIndex >= 0;
}

bool WorldSaveWriter::IsRebuiltOnLoad(const Entity& entity)
{
    // The load makes each entity from the record its model shows; one it cannot make would be
    // passed over with a word to the player on every load.
    return gSpawnSystem && gSpawnSystem->GetLevelFiller().FindObjectRecord(entity.modelName);
}

void WorldSaveWriter::WriteEntities(const Game& game)
{
    // Mended: a recruit's candidate was written with its quest and again here, and came back twice;
    // so did a treasure map's chest, which its quest buries again when it is read.
    std::vector<const Entity*> written;
    for (const auto& quest : game.GetQuests().GetList()) {
        if (quest && quest->type == QuestType::Recruit && !quest->failed && quest->target.Get())
            written.push_back(quest->target.GetAs<Entity>());
        if (quest && quest->type == QuestType::TreasureMap && quest->treasureChest.Get())
            written.push_back(quest->treasureChest.GetAs<Entity>());
    }
    for (int32_t number = 0; number < Game::kMaxEntities; ++number) {
        const Entity* entity = game.GetEntity(number);
        if (!entity || !entity->IsFree() || IsRemadeByWorld(*entity) || IsRemadeByCovenant(*entity) ||
            game.IsTownNpc(*entity) || !IsRebuiltOnLoad(*entity) ||
            std::find(written.begin(), written.end(), entity) != written.end())
            continue;
        // Measured, so a record the load cannot make again is passed over alone.
        MessageBuffer record;
        WriteWorldPos(record, entity->position);
        record.WriteInt(entity->facing);
        record.WriteString(entity->modelName);
        record.WriteString(entity->GetEntry() ? entity->GetEntry()->GetName() : "");
        entity->WriteSaved(record);
        buffer.WriteBool(true);
        buffer.WriteUInt(static_cast<uint32_t>(record.Size()));
        buffer.WriteBytes(record.Data(), record.Size());
    }
    buffer.WriteBool(false);
}

void WorldSaveWriter::WriteRivals(const Game& game)
{
    // Mended: without them a resumed covenant game stood won at once, every rival gone.
    std::vector<ActorCovenant*> rivals;
    for (int32_t i = 0; i < game.GetCovenantCount(); ++i) {
        auto* rival = dynamic_cast<ActorCovenant*>(game.GetCovenant(i));
        if (!rival)
            break;
        rivals.push_back(rival);
    }
    buffer.WriteInt(static_cast<int32_t>(rivals.size()));
    for (ActorCovenant* rival : rivals)
        rival->WriteSaved(buffer);
}

void WorldSaveWriter::WritePlayerCovenant(const Game& game)
{
    const auto* own = dynamic_cast<const PlayerCovenant*>(game.GetFirstPlayerCovenant());
    buffer.WriteBool(own != nullptr);
    if (own)
        own->Keep().Write(buffer);
}
