// WorldSaveWorld -- a world host over a laid-out adventure with a spawn system, quest, object, faction and weather records, a joined player, and a world filled with every saved kind of thing; and the file an older writer made.
#pragma once

#include "server/WorldHostWorld.h"
#include "server/spawn/SpawnWorld.h"

#include "core/RandomTimer.h"
#include "covenants/ActorCovenant.h"
#include "covenants/FactionSystem.h"
#include "entities/Actor.h"
#include "entities/Chest.h"
#include "entities/Door.h"
#include "entities/Gate.h"
#include "entities/Torch.h"
#include "entities/Trigger.h"
#include "rules/GameData.h"
#include "rules/RulesEnums.h"
#include "server/Weather.h"
#include "server/WorldSaveVersion.h"
#include "server/quests/GameQuests.h"
#include "server/quests/Quest.h"
#include "server/spawn/SpawnSystem.h"
#include "support/ShippedGame.h"

#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

class WorldSaveWorld : public WorldHostWorld {
protected:
    static constexpr const char* kWorldSaveRecords = R"(
FactionWilds
{
    Type Faction
    Name "Wilds"
    CanGoToWar 1
}
FactionTesters
{
    Type Faction
    Name "Testers"
    CanGoToWar 1
}
Weather
{
    MaxFronts 4
}
ObjectTree
{
    Type Object
    ObjectType SimpleAnimating
    ModelName "models/props/tree.mdl"
}
ObjectLamp
{
    Type Object
    ObjectType torch
    ModelName "models/props/torch.mdl"
}
ObjectDoorway
{
    Type Object
    ObjectType Door
    ModelName "models/props/door.mdl"
}
ObjectCoffer
{
    Type Chest
    ObjectType Chest
    ModelName "models/props/coffer.mdl"
}
ObjectLever
{
    Type Object
    ObjectType Trigger
    ModelName "models/props/lever.mdl"
}
MonsterStatue
{
    Type MonsterType
    Archetype ArchetypeSpawnTest
    Definition ActorSpawnBase
    ObjectType Monster
    ModelName "models/props/statue.mdl"
    MinLevel 4
    MaxLevel 4
}
Hunt
{
    Type Quest
    QuestType KillMonsters
    DefaultMonster MonsterGrunt
    DuplicatesAllowed 1
}
Sickness
{
    Type Quest
    QuestType Plague
    DuplicatesAllowed 1
}
Onslaught
{
    Type Quest
    QuestType TownAttack
    DuplicatesAllowed 1
}
Parley
{
    Type Quest
    QuestType Meeting
    DuplicatesAllowed 1
}
Enlist
{
    Type Quest
    QuestType Recruit
    DefaultMonster MonsterGrunt
    DuplicatesAllowed 1
}
ObjectSecretGate
{
    Type Object
    ObjectType Gate
    ModelName "models/props/gate.mdl"
}
)";

    WorldSaveWorld()
    {
        Sentient::RegisterEventClass(events, types);
        Actor::RegisterEventClass(events, types);
        Player::RegisterEventClass(events, types);
    }

    ~WorldSaveWorld() override
    {
        game->Reset();
        gSpawnSystem = nullptr;
        CombatSystem::Destroy();
    }

    // The records, a game made over them, the spawn system, a new world and a joined player.
    void StartSavedWorld()
    {
        // The recruit's town spot beside the spawn test's own.
        std::string base = SpawnWorld::kSpawnBaseRecords;
        const std::string vendorSpot = "TownSpotVendorBasic \"0 900 500\"";
        base.replace(base.find(vendorSpot), vendorSpot.size(),
                     vendorSpot + "\n    TownSpotRecruit \"0 260 260\"\n    TownFacingRecruit 6");
        LoadRecords(base + kAdventure + kWorldSaveRecords + SpawnWorld::kSpawnRecord);
        RemakeGame();
        StartSpawnSystem();
        spawn.GetLevelFiller().SetModelObjectTypeLookup([](std::string_view model) {
            static const std::map<std::string, std::string, std::less<>> kNames = {
                {"models/props/tree.mdl", "ObjectTree"},     {"models/props/torch.mdl", "ObjectLamp"},
                {"models/props/door.mdl", "ObjectDoorway"},  {"models/props/coffer.mdl", "ObjectCoffer"},
                {"models/props/lever.mdl", "ObjectLever"},   {"models/props/statue.mdl", "MonsterStatue"}};
            auto found = kNames.find(model);
            return found == kNames.end() ? std::string() : found->second;
        });
        host->SetUpServer(false, 0, 1, 1, 0, "Ada");
        player = Join(client, "Ada");
        ASSERT_NE(player, nullptr);
    }

    // The shipped game's records, read from the staged game folder's archive.
    void LoadShippedRecords()
    {
        ASSERT_TRUE(LinkShippedGame(folder.Path())) << "EMBERLODE_GAME_DIR names the staged game folder";
        ASSERT_TRUE(gFileSystem->MountArchive("assets001.zip"));
        database.Load();
        gameData.Load(database);
    }

    // The spawn system over the records, in its slot.
    void StartSpawnSystem()
    {
        spawn.Load();
        gSpawnSystem = &spawn;
    }

    // The shipped world as its host makes it, spawning, and a player standing in it; answers the
    // index of its first secret level.
    void StartShippedWorldWithAPlayer(int32_t& firstSecret)
    {
        ASSERT_NO_FATAL_FAILURE(LoadShippedRecords());
        RemakeGame();
        StartSpawnSystem();
        host->SetUpServer(false, 0, 1, 1, 0, "Ada");
        player = new Player();
        ASSERT_NE(game->AddEntity(player), -1);
        firstSecret = gWorld->GetFirstSecretLevel();
        ASSERT_GT(gWorld->GetSecretLevelCount(), 0) << "the shipped world has secret levels";
    }

    // A game as the program makes it when covenants are in use.
    void RemakeGameWithRivals()
    {
        RemakeGame();
        game->SetCovenantMaker([] { return std::make_unique<ActorCovenant>(); });
        game->SetCurrentLevel(0);
    }

    // The bytes as the save file, then a load into a game made anew with rivals.
    Game::WorldLoadResult LoadBytesWithRivals(const std::string& bytes, int32_t level, int32_t rivals)
    {
        folder.Write("User/chars/ada.wld", bytes);
        RemakeGameWithRivals();
        return game->LoadWorld("Ada", level, rivals);
    }

    // A game made after the records, as the program makes it; the old one goes first.
    void RemakeGame()
    {
        game->Reset();
        game.reset();
        game = std::make_unique<ScriptedGame>();
        gGame = game.get();
        gGameServices = game.get();
    }

    // One object of each saved class and a plain one, on levels 0 and 1.
    void FillEntities()
    {
        LevelFiller& filler = spawn.GetLevelFiller();
        ASSERT_NE(filler.RestoreLevelObject(At(100, 100, 0), 2, "models/props/tree.mdl"), nullptr);
        ASSERT_NE(filler.RestoreLevelObject(At(300, 140, 0), 4, "models/props/torch.mdl"), nullptr);
        ASSERT_NE(filler.RestoreLevelObject(At(500, 200, 1), 1, "models/props/door.mdl"), nullptr);
        ASSERT_NE(filler.RestoreLevelObject(At(700, 260, 1), 0, "models/props/coffer.mdl"), nullptr);
        ASSERT_NE(filler.RestoreLevelObject(At(900, 320, 0), 7, "models/props/lever.mdl"), nullptr);
        ASSERT_NE(filler.RestoreLevelObject(At(1100, 380, 2), 3, "models/props/statue.mdl"), nullptr);
    }

    // A quest of the definition in its own slot, set up from the seed without any kind's draws.
    Quest& PutQuest(int32_t slot, const char* definition, uint32_t seed)
    {
        auto& list = game->GetQuests().GetList();
        if (list.size() <= static_cast<size_t>(slot))
            list.resize(static_cast<size_t>(slot) + 1);
        auto quest = std::make_unique<Quest>(&game->GetQuests());
        EXPECT_TRUE(quest->Setup(database.FindEntryByName(definition), 3, seed, 1, game->GetElapsed()));
        quest->RollParameters(false);
        quest->Generate();
        quest->questId = slot;
        list[static_cast<size_t>(slot)] = std::move(quest);
        return *list[static_cast<size_t>(slot)];
    }

    // Ten quest slots, two empty: plain hunts, a failed one, a plague with members, a town
    // attack, a met meeting and a recruit with its candidate.
    void FillQuests()
    {
        for (int32_t slot : {0, 2, 5})
            PutQuest(slot, "Hunt", 0x1000u + static_cast<uint32_t>(slot)).success = slot * 10;
        PutQuest(6, "Hunt", 0x2000u).failed = true;
        Quest& plague = PutQuest(1, "Sickness", 0x3000u);
        auto* victim = game->GetEntity(player->entityNumber);
        plague.members.push_back({SafePointer(victim), 1, 4});
        plague.members.push_back({SafePointer(), 2, 5});
        plague.members.push_back({SafePointer(victim), 3, 6});
        Quest& attack = PutQuest(3, "Onslaught", 0x4000u);
        attack.spawnPosition = At(640, 320, 0);
        attack.multiplier = 1.5f;
        Quest& meeting = PutQuest(7, "Parley", 0x5000u);
        meeting.met = true;
        Quest& recruit = PutQuest(9, "Enlist", 0x6000u);
        Actor* candidate = spawn.SpawnMonster(gameData.FindMonsterType("MonsterGrunt"), 0, 3, 0, true);
        ASSERT_NE(candidate, nullptr);
        // In the town, as a recruit quest places its candidate.
        candidate->SetPosition(At(260, 260, 0));
        candidate->facing = 6;
        ASSERT_NE(game->AddEntity(candidate), -1);
        recruit.target.Set(candidate);
    }

    // A chest of the shipped record that opens the way into the next secret level, in the world.
    void AddSecretLinkChest(const WorldPos& at, Chest*& chest)
    {
        chest = new Chest();
        chest->SetEntry(database.FindEntryByName("ChestSecretLink"));
        ASSERT_NE(chest->GetEntry(), nullptr);
        chest->secretLink = true;
        chest->SetPosition(at);
        ASSERT_NE(game->AddEntity(chest), -1);
    }

    // Three fronts through the weather's own block reader.
    void FillWeather()
    {
        MessageBuffer block;
        block.WriteInt(3);
        for (int32_t i = 0; i < 3; ++i) {
            RandomTimer timer;
            timer.running = 1;
            timer.minimum = 1.0f;
            timer.maximum = 9.0f;
            timer.total = 5.0f + static_cast<float>(i);
            timer.remaining = 2.5f;
            for (int32_t t = 0; t < 4; ++t)
                timer.Write(block);
            for (float value : {0.5f, 1.0f, -2.0f, 3.0f, 60.0f, 4.0f})
                block.WriteFloat(value + static_cast<float>(i));
            WriteWorldPos(block, At(200.0f * static_cast<float>(i + 1), 300.0f, i));
            for (float value : {100.0f, 400.0f, 1.5f, -0.5f})
                block.WriteFloat(value);
        }
        ASSERT_TRUE(game->GetWeather().Read(block));
    }

    void FillEverything()
    {
        FillEntities();
        FillQuests();
        FillWeather();
        for (int32_t cell : {0, 17, 40})
            game->SetCellExplored(1, cell);
        game->SetCellExplored(2, 5);
        int32_t wilds = game->GetOrAddFaction("Wilds");
        int32_t testers = game->GetOrAddFaction("Testers");
        gFactionSystem->SetReputation(wilds, testers, 12.5f);
        gFactionSystem->DeclareWar(testers, wilds);
        game->AddUnlock("AwardFirst");
        game->AddUnlock("AwardSecond");
    }

    // The level records are most of the file: every offset outside them, a spread inside them.
    std::vector<size_t> CutPoints(const std::string& bytes) const
    {
        size_t records = 4 + gWorld->GetAdventureName().size() + 1 + 8;
        size_t cells = static_cast<size_t>(Tuning().cellsPerLevelX * Tuning().cellsPerLevelY);
        size_t end = records + static_cast<size_t>(gWorld->GetLevelCount()) * (8 + 4 * cells);
        std::vector<size_t> points;
        for (size_t at = 0; at < bytes.size(); at += (at < records + 16 || at + 16 >= end) ? 1 : 509)
            points.push_back(at);
        return points;
    }

    static uint32_t WordAt(const std::string& bytes, size_t at)
    {
        uint32_t value = 0;
        std::memcpy(&value, bytes.data() + at, 4);
        return value;
    }

    // Where the opened gates begin: after the town block that follows the unlock list, whose
    // last string ends at the offset given.
    static size_t OpenedGatesAt(const std::string& bytes, size_t townAt)
    {
        uint32_t slots = WordAt(bytes, townAt);
        size_t at = townAt + 4;
        for (uint32_t slot = 0; slot < slots; ++slot) {
            bool present = WordAt(bytes, at) != 0;
            at += 4;
            if (!present)
                continue;
            at = bytes.find('\0', at) + 1;
            at += 4 + WordAt(bytes, at);
        }
        return at;
    }

    // Where the entity records begin: after the opened gates' last secret level, count and pairs.
    static size_t EntityRecordsAt(const std::string& bytes, size_t townAt)
    {
        size_t at = OpenedGatesAt(bytes, townAt);
        uint32_t pairs = WordAt(bytes, at + 4);
        at += 8;
        for (uint32_t pair = 0; pair < pairs; ++pair)
            at = bytes.find('\0', at) + 1 + 4 + 2 * 20;
        return at;
    }

    // A measured entity record: where its presence word stands and the length its word gives.
    struct EntityRecord {
        size_t at = 0;
        uint32_t length = 0;
    };

    // The measured entity records of a file of the filled world, found by their lengths.
    static std::vector<EntityRecord> EntityRecords(const std::string& bytes)
    {
        std::vector<EntityRecord> records;
        size_t at = EntityRecordsAt(bytes, bytes.find("AwardSecond") + std::strlen("AwardSecond") + 1);
        while (at + 8 <= bytes.size() && WordAt(bytes, at) != 0) {
            records.push_back({at, WordAt(bytes, at + 4)});
            at += 8 + records.back().length;
        }
        return records;
    }

    std::string SavedBytes(const std::string& name = "ada") const
    {
        return folder.Read("User/chars/" + name + ".wld");
    }

    TestClient client{6391};
    Player* player = nullptr;
    SpawnSystem spawn;
};

// The file an older writer made of the game: each field only from the version that has it.
class WorldSaveOldWriter {
public:
    WorldSaveOldWriter(MessageBuffer& buffer, int32_t version) : buffer(buffer), version(version) {}

    void Write(const Game& game)
    {
        buffer.WriteInt(version);
        buffer.WriteString(gWorld->GetAdventureName());
        buffer.WriteInt(gWorld->GetDifficulty());
        buffer.WriteUInt(gWorld->GetLayoutSeed());
        size_t cells = static_cast<size_t>(gGameData->GetTuning().cellsPerLevelX * gGameData->GetTuning().cellsPerLevelY);
        for (int32_t level = 0; level < gWorld->GetLevelCount(); ++level) {
            buffer.WriteBoolVector(std::vector<bool>(cells, false));
            buffer.WriteInt(0);
        }
        buffer.WriteTimeStamp(game.GetElapsed());
        buffer.WriteDouble(game.GetTimeOfDay());
        buffer.WriteBool(false);
        buffer.WriteBool(false);
        const auto& list = game.GetQuests().GetList();
        buffer.WriteUInt(static_cast<uint32_t>(list.size()));
        for (const auto& quest : list) {
            buffer.WriteBool(quest != nullptr);
            if (quest)
                WriteQuest(*quest);
        }
        if (version >= WorldSaveVersion::kFactions)
            gFactionSystem->WriteFactions(buffer);
        if (version >= WorldSaveVersion::kWeather)
            game.GetWeather().Write(buffer);
        buffer.WriteStringList(game.GetUnlocks());
        for (const Entity* entity : entities) {
            buffer.WriteBool(true);
            WriteWorldPos(buffer, entity->position);
            buffer.WriteInt(entity->facing);
            buffer.WriteString(entity->modelName);
            entity->WriteSaved(buffer);
        }
        buffer.WriteBool(false);
    }

    // The entity records, in this order, as the older writer wrote whatever it kept.
    std::vector<const Entity*> entities;

private:
    void WriteQuest(const Quest& quest)
    {
        quest.Write(buffer, version >= WorldSaveVersion::kNamedMonsterTypes);
        if (quest.type == QuestType::Recruit && !quest.failed) {
            const Actor* candidate = quest.target.GetAs<Actor>();
            if (version >= WorldSaveVersion::kCandidatePresence)
                buffer.WriteBool(candidate != nullptr);
            if (candidate)
                WriteCandidate(*candidate);
        }
        buffer.WriteInt(quest.success);
        if (version >= WorldSaveVersion::kQuestMultiplier)
            buffer.WriteFloat(quest.multiplier);
        if (version >= WorldSaveVersion::kQuestMet)
            buffer.WriteBool(quest.met);
    }

    // Before the actor record's full form it ends with the name seed.
    void WriteCandidate(const Actor& candidate)
    {
        MessageBuffer full;
        Actor::WriteRecord(candidate, full);
        if (version >= kWorldSaveFullActorVersion) {
            buffer.WriteBytes(full.Data(), full.Size());
            return;
        }
        full.ReadString();
        full.ReadInt();
        full.ReadInt();
        for (int32_t effects = full.ReadInt(); effects > 0; --effects)
            full.ReadString();
        full.ReadUInt();
        buffer.WriteBytes(full.Data(), full.GetReadPos());
    }

    static constexpr int32_t kWorldSaveFullActorVersion = 40;
    MessageBuffer& buffer;
    int32_t version;
};
