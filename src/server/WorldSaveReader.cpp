// WorldSaveReader -- reads a world save back into a game with no running world: all of it up to the entity records or none of it, then the entities until one cannot be made.
#include "server/WorldSaveReader.h"

#include "core/Database.h"
#include "core/DatabaseEntry.h"
#include "core/FileSystem.h"
#include "core/StringUtil.h"
#include "core/DebugSystem.h"
#include "core/EngineEnums.h"
#include "core/MessageBuffer.h"
#include "core/RandomSystem.h"
#include "covenants/ActorCovenant.h"
#include "covenants/FactionSystem.h"
#include "covenants/PlayerCovenant.h"
#include "entities/Actor.h"
#include "entities/Gate.h"
#include "rules/GameData.h"
#include "server/Game.h"
#include "server/Weather.h"
#include "server/WorldSaveVersion.h"
#include "server/quests/GameQuests.h"
#include "server/quests/Quest.h"
#include "server/spawn/SpawnSystem.h"
#include "server/spawn/SpawnTable.h"
#include "world/Level.h"
#include "world/World.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

// A quest slot holds at least its presence word.
constexpr size_t kWorldSaveSlotBytes = 4;
constexpr double kWorldSaveHoursPerDay = 24.0;
constexpr int32_t kWorldSaveFacings = 8;
// An opened gate pair holds at least its record's NUL, its kind and two ends of five words.
constexpr size_t kWorldSaveGatePairBytes = 1 + 4 + 2 * 4 * 5;
// World units within which a loose gate stands on the house gate's spot.
constexpr float kWorldSaveSameSpot = 1.0f;
constexpr int32_t kWorldSaveLevelGiven = WorldSaveVersion::kLevelFilledBit | WorldSaveVersion::kLevelBonusChestBit;

} // namespace

WorldSaveReader::WorldSaveReader(Game& game, MessageBuffer& buffer, std::string fileName)
    : game(game), buffer(buffer), fileName(std::move(fileName))
{
    savedStream = gRandomSystem ? gRandomSystem->GetState(RandomStream::GameData) : 0;
    savedGameDifficulty = game.difficulty;
    if (gWorld) {
        savedLayoutSeed = gWorld->GetLayoutSeed();
        savedSecretSeed = gWorld->GetSecretSeed();
        savedWorldDifficulty = gWorld->GetDifficulty();
        savedAdventure = gWorld->GetAdventureName();
    }
}

void WorldSaveReader::Mark(const char* name)
{
    field = name;
    fieldOffset = buffer.GetReadPos();
}

bool WorldSaveReader::Refuse()
{
    DebugSystem::Print(kPrintWarning, "World save %s refused: its %s at byte %zu does not read\n", fileName.c_str(),
                       field, fieldOffset);
    RollBack();
    return false;
}

void WorldSaveReader::RollBack()
{
    game.Reset();
    game.factionSystem->ResetFactions();
    game.difficulty = savedGameDifficulty;
    if (gWorld) {
        gWorld->Reset();
        gWorld->SetLayoutSeed(savedLayoutSeed);
        gWorld->SetSecretSeed(savedSecretSeed);
        gWorld->SetDifficulty(savedWorldDifficulty);
        gWorld->SetAdventureName(savedAdventure);
    }
    if (gRandomSystem)
        gRandomSystem->SetState(RandomStream::GameData, savedStream);
}

bool WorldSaveReader::ReadWorld()
{
    if (!gWorld || !gDatabase)
        return Refuse();
    if (!(ReadHeader() && ReadLevels() && ReadClock() && ReadQuests() && ReadBlocks()))
        return false;
    // The world's gates are not in the file: laid again from the world's layout, as a new world
    // lays them.
    game.CreateWorldGates();
    // Mended: the pay step's clock is not in the file, so a resumed world paid every covenant's
    // taxes and upkeep at its first step: each resume gave a period's crystals (or sold guards
    // and ended trade routes) at once. The period begins afresh with the resume.
    game.RestartUpkeepPeriod();
    return true;
}

bool WorldSaveReader::ReadHeader()
{
    Mark("version");
    version = buffer.ReadInt();
    if (buffer.Overrun() || version < WorldSaveVersion::kOldest || version > WorldSaveVersion::kCurrent)
        return Refuse();
    Mark("world name");
    std::string worldName = buffer.ReadString();
    if (buffer.Overrun() || !gDatabase->FindEntryByName(worldName))
        return Refuse();
    Mark("difficulty");
    int32_t difficulty = buffer.ReadInt();
    if (buffer.Overrun() || difficulty < 0 || difficulty >= WorldDifficultyLevel::kCount)
        return Refuse();
    Mark("world seed");
    uint32_t seed = buffer.ReadUInt();
    if (buffer.Overrun())
        return Refuse();
    // A seed of 0 has the world draw a fresh one, as a new world does.
    gWorld->SetLayoutSeed(seed);
    Mark("world name");
    if (!gWorld->ReadFromDatabase(worldName, difficulty))
        return Refuse();
    game.DrawSecretSeed();
    gWorld->CreateStartAnchor();
    game.ResetLevels();
    game.factionSystem->ResetFactions();
    game.difficulty = difficulty;
    return true;
}

bool WorldSaveReader::ReadLevels()
{
    Mark("level records");
    for (int32_t level = 0; level < game.GetLevelRecordCount(); ++level) {
        Mark("level record");
        if (!game.ReadLevelExplored(level, buffer))
            return Refuse();
        // Mended: no file said which levels were filled, so each was filled (and given its bonus
        // chest) again over the objects read back. In an older file a level with explored cells
        // was loaded, and so filled, before any of them was marked.
        GameLevelRecord& record = *game.FindLevel(level);
        int32_t given = game.GetExploredCount(level) > 0 ? kWorldSaveLevelGiven : 0;
        if (version >= WorldSaveVersion::kLevelPopulated) {
            Mark("level's filled word");
            given = buffer.ReadInt();
            if (buffer.Overrun() || (given & ~kWorldSaveLevelGiven) != 0)
                return Refuse();
        }
        record.populated = (given & WorldSaveVersion::kLevelFilledBit) != 0;
        record.bonusChestLaid = (given & WorldSaveVersion::kLevelBonusChestBit) != 0;
        if (version >= WorldSaveVersion::kLevelUsedBlocks && !ReadUsedBlocks(level, record))
            return Refuse();
        if (version >= WorldSaveVersion::kOpenedGates && !ReadMonsterLevel(level))
            return Refuse();
    }
    return true;
}

bool WorldSaveReader::ReadMonsterLevel(int32_t level)
{
    Mark("level's monster level");
    int32_t monsterLevel = buffer.ReadInt();
    if (buffer.Overrun())
        return false;
    Level* found = gWorld->GetLevel(level);
    if (monsterLevel >= 1 && monsterLevel <= SpawnTable::kMaxLevel) {
        found->monsterLevel = monsterLevel;
        return true;
    }
    DebugSystem::Print(kPrintWarning, "World save %s: level %d's monster level %d is no level; it keeps %d\n",
                       fileName.c_str(), level, monsterLevel, found->monsterLevel);
    return true;
}

bool WorldSaveReader::ReadUsedBlocks(int32_t level, GameLevelRecord& record)
{
    Mark("level's used blocks");
    std::vector<bool> used;
    if (!buffer.ReadBoolVector(used))
        return false;
    // The flags are sized on first use; a count that fits no grid of these rules is dropped.
    size_t blocks = gGameData ? static_cast<size_t>(std::max(1, gGameData->GetTuning().blocksPerRow *
                                                                    gGameData->GetTuning().blocksPerColumn))
                              : 0;
    if (!used.empty() && used.size() != blocks) {
        DebugSystem::Print(kPrintWarning,
                           "World save %s: level %d's %zu used-block flags fit no grid of %zu blocks; none is used\n",
                           fileName.c_str(), level, used.size(), blocks);
        used.clear();
    }
    record.usedBlocks = std::move(used);
    return true;
}

bool WorldSaveReader::ReadClock()
{
    Mark("game time");
    TimeStamp elapsed;
    buffer.ReadTimeStamp(elapsed);
    if (buffer.Overrun() || !std::isfinite(elapsed.seconds) || elapsed.days < 0)
        return Refuse();
    elapsed.Normalize();
    game.elapsed = elapsed;
    Mark("time of day");
    double hours = buffer.ReadDouble();
    if (buffer.Overrun() || !(hours >= 0.0 && hours <= kWorldSaveHoursPerDay))
        return Refuse();
    game.timeOfDay = hours;
    Mark("flags");
    game.leftStartLevel = buffer.ReadBool();
    game.gameOver = buffer.ReadBool();
    return buffer.Overrun() ? Refuse() : true;
}

bool WorldSaveReader::ReadQuests()
{
    Mark("quest count");
    int32_t count = 0;
    if (!buffer.ReadCount(count, kWorldSaveSlotBytes))
        return Refuse();
    // The town's NPCs are not in the save: the town is filled as a new world fills it, before
    // the quests laid on its people are set up again. Mended: they came after, so a restored
    // poisoning failed at once and a petrifying held no one.
    game.CreateTownNpcs();
    auto& list = game.GetWorldQuests();
    list.clear();
    list.resize(static_cast<size_t>(count));
    for (int32_t slot = 0; slot < count; ++slot) {
        Mark("quest slot");
        bool present = buffer.ReadBool();
        if (buffer.Overrun())
            return Refuse();
        if (present && !ReadQuest(slot))
            return false;
    }
    // The quests of the saved world stand: no initial quests are drawn for it.
    game.GetQuests().initialQuestsPending = false;
    return true;
}

bool WorldSaveReader::ReadQuest(int32_t slot)
{
    auto quest = std::make_unique<Quest>(&game.GetQuests());
    Mark("quest record");
    quest->Read(buffer, false, true, version);
    if (buffer.Overrun())
        return Refuse();
    Mark("quest definition");
    if (!quest->definition)
        return Refuse();
    Mark("quest number");
    if (quest->questId != slot)
        return Refuse();
    Mark("quest state");
    std::unique_ptr<Actor> candidate;
    if (!quest->ReadSavedPart(buffer, version, candidate))
        return Refuse();
    // The seeded draws again, then the kind's set-up with the saved choices standing.
    quest->RollParameters(false);
    quest->AssignTargetLevels();
    quest->Generate(true, nullptr);
    quest->Generate();
    Quest& placed = *quest;
    game.GetWorldQuests()[static_cast<size_t>(slot)] = std::move(quest);
    PlaceCandidate(placed, std::move(candidate));
    return true;
}

void WorldSaveReader::PlaceCandidate(Quest& quest, std::unique_ptr<Actor> candidate)
{
    if (!candidate)
        return;
    quest.target.Set(candidate.release());
    quest.PlaceRecruit();
}

bool WorldSaveReader::ReadBlocks()
{
    if (version >= WorldSaveVersion::kFactions) {
        Mark("faction block");
        if (!game.factionSystem->ReadFactionsState(buffer))
            return Refuse();
    }
    if (version >= WorldSaveVersion::kWeather) {
        Mark("weather block");
        if (!game.weather->Read(buffer))
            return Refuse();
    }
    Mark("string list");
    if (!buffer.ReadStringList(game.unlocks))
        return Refuse();
    if (version >= WorldSaveVersion::kTownPeople && !ReadTown())
        return false;
    return version < WorldSaveVersion::kOpenedGates || ReadOpenedGates();
}

bool WorldSaveReader::ReadOpenedGates()
{
    Mark("last secret level");
    int32_t lastSecret = buffer.ReadInt();
    if (buffer.Overrun() || (lastSecret != -1 && !gWorld->GetLevel(lastSecret)))
        return Refuse();
    game.lastSecretLevel = lastSecret;
    Mark("opened gate count");
    int32_t count = 0;
    if (!buffer.ReadCount(count, kWorldSaveGatePairBytes))
        return Refuse();
    for (int32_t pair = 0; pair < count; ++pair) {
        Mark("opened gate pair");
        std::string recordName = buffer.ReadString();
        int32_t kind = buffer.ReadInt();
        WorldPos ends[2];
        int32_t facings[2] = {0, 0};
        bool travelled[2] = {false, false};
        bool placed = true;
        for (int32_t end = 0; end < 2; ++end) {
            placed = ReadWorldPos(buffer, ends[end]) && placed;
            facings[end] = buffer.ReadInt();
            travelled[end] = buffer.ReadBool();
        }
        const DatabaseEntry* record = gDatabase->FindEntryByName(recordName);
        if (buffer.Overrun() || !placed || !record || kind != GateKind::Secret || !gWorld->GetLevel(ends[0].level) ||
            !gWorld->GetLevel(ends[1].level) || facings[0] < 0 || facings[0] >= kWorldSaveFacings || facings[1] < 0 ||
            facings[1] >= kWorldSaveFacings)
            return Refuse();
        LinkedGates gates = game.CreateLinkedGates(record, ends[0], ends[1], kind);
        if (!gates.first || !gates.second) {
            DebugSystem::Print(kPrintWarning, "World save %s: its gate pair at byte %zu could not be opened again\n",
                               fileName.c_str(), fieldOffset);
            continue;
        }
        int32_t end = 0;
        for (Entity* made : {gates.first, gates.second}) {
            auto* gate = static_cast<Gate*>(made);
            gate->facing = facings[end];
            gate->travelled = travelled[end];
            ++end;
        }
    }
    return true;
}

bool WorldSaveReader::ReadTown()
{
    Mark("town slot count");
    int32_t count = 0;
    if (!buffer.ReadCount(count, kWorldSaveSlotBytes))
        return Refuse();
    for (int32_t slot = 0; slot < count; ++slot) {
        Mark("town slot");
        bool present = buffer.ReadBool();
        if (buffer.Overrun())
            return Refuse();
        if (!present)
            continue;
        std::string npcType = buffer.ReadString();
        uint32_t length = buffer.ReadUInt();
        if (buffer.Overrun() || length > buffer.BytesLeft())
            return Refuse();
        // Read from its own bytes: a state that does not read cannot take the next slot's.
        MessageBuffer state;
        state.WriteBytes(buffer.Data() + buffer.GetReadPos(), length);
        buffer.SetReadPos(buffer.GetReadPos() + length);
        if (!ReadTownNpc(slot, npcType, state))
            DebugSystem::Print(kPrintWarning,
                               "World save %s: its town NPC %s of slot %d at byte %zu does not read; it stands as new\n",
                               fileName.c_str(), npcType.c_str(), slot, fieldOffset);
    }
    return true;
}

bool WorldSaveReader::ReadTownNpc(int32_t slot, const std::string& npcType, MessageBuffer& state)
{
    // A slot that names another type than the rules' (or one they no longer have) keeps its new NPC.
    if (slot >= game.GetTownNpcSlotCount() || game.townNpcTypeNames[static_cast<size_t>(slot)] != npcType)
        return false;
    auto* npc = game.townNpcs[static_cast<size_t>(slot)].GetAs<Sentient>();
    int32_t level = state.ReadInt();
    if (!npc || state.Overrun() || level < 1 || level > Sentient::kMaxLevel)
        return false;
    // Risen first, so the saved health fits the risen maximum.
    Game::LevelTownNpc(*npc, level);
    if (!npc->ReadSaved(state, version) || state.Overrun())
        return false;
    if (version < WorldSaveVersion::kTownNames)
        return true;
    // Mended: the town's people were given new names on every resume.
    uint32_t nameSeed = state.ReadUInt();
    if (state.Overrun())
        return false;
    if (auto* actor = dynamic_cast<Actor*>(npc))
        actor->SetNameSeed(nameSeed);
    return true;
}

WorldSaveReader::EntitiesRead WorldSaveReader::ReadEntities()
{
    bool measured = version >= WorldSaveVersion::kEntityLengths;
    bool passedOver = false;
    for (;;) {
        Mark("end word");
        if (buffer.BytesLeft() < kWorldSaveSlotBytes) {
            DebugSystem::Print(kPrintWarning, "World save %s has no end word after its entity records\n",
                               fileName.c_str());
            RollBack();
            return EntitiesRead::Damaged;
        }
        if (!buffer.ReadBool())
            return passedOver ? EntitiesRead::PartlyRead : EntitiesRead::Whole;
        Mark("entity record");
        std::string modelName;
        if (!measured) {
            // Nothing after an unmeasured record that does not read can be found.
            if (!ReadEntity(buffer, modelName)) {
                Refuse();
                return EntitiesRead::Damaged;
            }
            continue;
        }
        uint32_t length = buffer.ReadUInt();
        if (buffer.Overrun() || length > buffer.BytesLeft()) {
            Refuse();
            return EntitiesRead::Damaged;
        }
        // Read from its own bytes: a record that does not read cannot take the next one's.
        MessageBuffer record;
        record.WriteBytes(buffer.Data() + buffer.GetReadPos(), length);
        buffer.SetReadPos(buffer.GetReadPos() + length);
        if (!ReadEntity(record, modelName)) {
            DebugSystem::Print(kPrintWarning,
                               "World save %s: its entity record of \"%s\" at byte %zu cannot be made again; it is "
                               "passed over\n",
                               fileName.c_str(), modelName.c_str(), fieldOffset);
            passedOver = true;
        }
    }
}

bool WorldSaveReader::ReadEntity(MessageBuffer& record, std::string& modelName)
{
    WorldPos position;
    int32_t facing = -1;
    if (!Entity::ReadEntityPlacement(record, position, facing, modelName) || facing < 0 ||
        facing >= kWorldSaveFacings)
        return false;
    std::string recordName;
    if (version >= WorldSaveVersion::kEntityRecordNames) {
        recordName = record.ReadString();
        if (record.Overrun())
            return false;
    }
    // A house object carries no state of its class: passed over, the records stay in step.
    if (IsOldCovenantHouse(modelName, position))
        return true;
    LevelFiller* filler = gSpawnSystem ? &gSpawnSystem->GetLevelFiller() : nullptr;
    Entity* entity = filler ? filler->RestoreLevelObject(position, facing, modelName, recordName) : nullptr;
    if (!entity)
        return false;
    // Placing may turn an object a way of its own; the saved facing stands.
    entity->facing = facing;
    // A measured record is read to its last byte: a state read shorter or longer than it was
    // written is not the state that was saved.
    bool whole = entity->ReadSaved(record, version) && !record.Overrun() &&
                 (&record == &buffer || record.BytesLeft() == 0);
    if (!whole) {
        game.RemoveEntity(entity);
        delete entity;
    }
    return whole;
}

bool WorldSaveReader::IsOldCovenantHouse(const std::string& modelName, const WorldPos& position)
{
    // Mended: files from before the rivals were kept hold the covenants' lifestones, pedestals
    // and house gate as loose objects (the stashes have no model, so none was written), and a
    // resumed world stood them beside the houses the covenants build again.
    if (version >= WorldSaveVersion::kCovenants)
        return false;
    if (houseModels.empty())
        for (const char* record : {PlayerCovenant::kHouseGateRecord, PlayerCovenant::kLifestoneRecord,
                                   ActorCovenant::kHomeRecord, Covenant::kPedestalRecord})
            houseModels.push_back(ModelOfRecord(record));
    auto same = [&modelName](const std::string& model) {
        return !model.empty() && StringEqualsNoCase(model, modelName);
    };
    if (std::any_of(houseModels.begin() + 1, houseModels.end(), same))
        return true;
    // The house gate shares its model with the levels' gates: known by where it stands.
    WorldPos spot = PlayerCovenant::GetHouseGateSpot();
    return same(houseModels.front()) && position.level == spot.level &&
           std::fabs(position.x - spot.x) < kWorldSaveSameSpot && std::fabs(position.y - spot.y) < kWorldSaveSameSpot;
}

std::string WorldSaveReader::ModelOfRecord(const char* record)
{
    std::string model = gDatabase ? gDatabase->GetEntryFieldString(record, "ModelName") : "";
    // The path as an entity of the record keeps it.
    if (!model.empty())
        FileSystem::PrefixPath(model, PathBase("Models"));
    return model;
}

bool WorldSaveReader::ReadRivals(int32_t startingLevel, int32_t numAiCovenants)
{
    if (version >= WorldSaveVersion::kCovenants && ReadRivalBlock())
        // Its relations and raid name the rivals as they were read.
        return version < WorldSaveVersion::kPlayerCovenant || ReadPlayerCovenant();
    game.MakeRivals(startingLevel, game.difficulty, gWorld ? gWorld->GetDifficulty() : 0, numAiCovenants);
    return version < WorldSaveVersion::kCovenants;
}

bool WorldSaveReader::ReadRivalBlock()
{
    Mark("rival count");
    int32_t count = 0;
    if (!buffer.ReadCount(count, kWorldSaveSlotBytes) || count > kMaxCovenants)
        return RefuseRivals();
    // Read whole before any of them stands in the world: a bad record leaves none behind.
    std::vector<std::unique_ptr<ActorCovenant>> rivals;
    for (int32_t i = 0; i < count; ++i) {
        Mark("rival record");
        std::unique_ptr<Covenant> made = game.covenantMaker ? game.covenantMaker() : nullptr;
        auto* rival = dynamic_cast<ActorCovenant*>(made.get());
        if (!rival || !rival->ReadSaved(buffer, version >= WorldSaveVersion::kRivalsAtWork))
            return RefuseRivals();
        made.release();
        rivals.emplace_back(rival);
    }
    for (auto& rival : rivals)
        game.AddCovenant(std::move(rival));
    game.covenantCount = count;
    for (int32_t i = 0; i < count; ++i)
        static_cast<ActorCovenant*>(game.GetCovenant(i))->PlaceSaved();
    for (int32_t i = 0; i < count; ++i)
        static_cast<ActorCovenant*>(game.GetCovenant(i))->TakeBackPendingOffers();
    return true;
}

bool WorldSaveReader::ReadPlayerCovenant()
{
    Mark("player covenant");
    bool present = buffer.ReadBool();
    auto kept = std::make_unique<PlayerCovenantKept>();
    if (buffer.Overrun() || (present && !kept->Read(buffer))) {
        DebugSystem::Print(kPrintWarning, "World save %s: its %s at byte %zu does not read; it joins as new\n",
                           fileName.c_str(), field, fieldOffset);
        return false;
    }
    if (present)
        game.keptPlayerCovenant = std::move(kept);
    return true;
}

bool WorldSaveReader::RefuseRivals()
{
    DebugSystem::Print(kPrintWarning, "World save %s: its %s at byte %zu does not read; the rivals are made anew\n",
                       fileName.c_str(), field, fieldOffset);
    return false;
}
