// WorldSaveTest -- the world save through the file system: a filled world saved, loaded into a fresh game and saved to the same bytes; old versions; cut, flipped and lying files refused with the game as constructed; hostile names; a failed commit; a resumed world that is missing or unreadable.
#include "server/WorldSaveWorld.h"

#include "core/DatabaseEntry.h"
#include "rules/monsters/MonsterType.h"
#include "rules/quests/QuestDefinition.h"
#include "rules/GameData.h"
#include "server/WorldSaveVersion.h"
#include "support/LogLines.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <map>
#include <string>
#include <vector>

namespace {

std::string WorldSaveQuestLine(const Quest& quest)
{
    std::string line = std::string(quest.definition ? quest.definition->GetEntry()->GetName() : "?") + " level " +
                       std::to_string(quest.level) + " seed " + std::to_string(quest.seed) + " progress " +
                       std::to_string(quest.progress) + " number " + std::to_string(quest.questId) +
                       (quest.failed ? " failed" : "") + " success " + std::to_string(quest.success) + " multiplier " +
                       std::to_string(quest.multiplier) + (quest.met ? " met" : "") + " spawn " +
                       std::to_string(quest.spawnPosition.level) + "," + std::to_string(quest.spawnPosition.x) +
                       " goals " + std::to_string(quest.goals.size());
    for (const QuestVictim& member : quest.members)
        line += " victim " + std::to_string(member.covenantIndex) + "/" + std::to_string(member.memberIndex);
    if (const auto* candidate = quest.target.GetAs<Actor>())
        line += " candidate " + std::string(candidate->GetMonsterType() ? candidate->GetMonsterType()->GetEntry()->GetName() : "?");
    return line;
}

} // namespace

class WorldSave : public WorldSaveWorld {
protected:
    // What a loaded world must give back, one line a field, read from the game and the world.
    std::string Facts() const
    {
        std::string facts = gWorld->GetAdventureName() + " difficulty " + std::to_string(gWorld->GetDifficulty()) +
                            " seed " + std::to_string(gWorld->GetLayoutSeed()) + "\nexplored";
        for (int32_t level = 0; level < game->GetLevelRecordCount(); ++level)
            facts += " " + std::to_string(game->GetExploredCount(level));
        facts += "\nclock " + std::to_string(game->GetElapsed().days) + " " +
                 std::to_string(game->GetElapsed().seconds) + " " + std::to_string(game->GetTimeOfDay()) +
                 (game->IsGameOver() ? " over" : "") + (game->HasLeftStartLevel() ? " started" : "") + "\n";
        for (const auto& quest : game->GetQuests().GetList())
            facts += (quest ? WorldSaveQuestLine(*quest) : "empty") + "\n";
        int32_t wilds = gFactionSystem->GetFactionIndex("Wilds");
        int32_t testers = gFactionSystem->GetFactionIndex("Testers");
        facts += "reputation " + std::to_string(gFactionSystem->GetReputation(wilds, testers)) +
                 (gFactionSystem->IsAtWar(testers, wilds) ? " war" : "") + "\nfronts " +
                 std::to_string(game->GetWeather().GetLiveFrontCount()) + "\n";
        for (const std::string& unlock : game->GetUnlocks())
            facts += "unlock " + unlock + "\n";
        std::vector<std::string> entities;
        for (int32_t number = 0; number < Game::kMaxEntities; ++number) {
            const Entity* entity = game->GetEntity(number);
            if (!entity || entity->IsPlayer())
                continue;
            entities.push_back(entity->modelName + " " + std::to_string(entity->position.level) + " " +
                               std::to_string(entity->position.x) + " " + std::to_string(entity->position.y) + " " +
                               std::to_string(entity->facing) + (dynamic_cast<const Actor*>(entity) ? " actor" : "") +
                               (dynamic_cast<const Chest*>(entity) ? " chest" : "") +
                               (dynamic_cast<const Door*>(entity) ? " door" : "") +
                               (dynamic_cast<const Torch*>(entity) ? " torch" : "") +
                               (dynamic_cast<const Trigger*>(entity) ? " trigger" : ""));
        }
        std::sort(entities.begin(), entities.end());
        for (const std::string& line : entities)
            facts += line + "\n";
        return facts;
    }

    // A filled world saved under "Ada"; its facts.
    std::string SaveFilledWorld()
    {
        StartSavedWorld();
        Frame(500);
        Frame(500);
        game->SetTimeOfDay(7.25);
        FillEverything();
        EXPECT_TRUE(game->SaveWorld("Ada"));
        return Facts();
    }

    // A fresh game as the program has it before a resumed world is read into it.
    void FreshGame()
    {
        RemakeGame();
        game->SetCurrentLevel(0);
    }

    // The bytes as the file, then a load into a fresh game.
    Game::WorldLoadResult LoadBytes(const std::string& bytes)
    {
        folder.Write("User/chars/ada.wld", bytes);
        FreshGame();
        return game->LoadWorld("Ada");
    }

    // The facts of a game that holds no world.
    void ExpectConstructed(const std::string& context)
    {
        EXPECT_FALSE(game->IsWorldRunning()) << context;
        EXPECT_EQ(game->CountEntities(), 0) << context;
        EXPECT_EQ(game->GetLevelRecordCount(), 0) << context;
        EXPECT_TRUE(game->GetQuests().GetList().empty()) << context;
        EXPECT_EQ(game->GetWeather().GetLiveFrontCount(), 0) << context;
        EXPECT_TRUE(game->GetUnlocks().empty()) << context;
        EXPECT_EQ(game->GetElapsed().days, 0) << context;
        EXPECT_EQ(game->GetTimeOfDay(), 12.0) << context;
        EXPECT_EQ(gWorld->GetLevelCount(), 0) << context;
    }
};

// ---- A filled world comes back whole ------------------------------------------------------------

TEST_F(WorldSave, AFilledWorldLoadsIntoAFreshGameFieldByFieldAndSavesToTheSameBytes)
{
    std::string saved = SaveFilledWorld();
    std::string bytes = SavedBytes();
    ASSERT_FALSE(bytes.empty());
    ASSERT_EQ(game->GetQuests().GetList().size(), 10u);
    EXPECT_EQ(game->GetWeather().GetLiveFrontCount(), 3);
    EXPECT_EQ(game->CountEntities(), 10) << "six objects, the recruit's candidate, the town's two NPCs and the player";

    // Only the plague's victims still there are saved.
    const std::string goneVictim = " victim 2/5";
    ASSERT_NE(saved.find(goneVictim), std::string::npos);
    saved.erase(saved.find(goneVictim), goneVictim.size());

    uint32_t candidateName = game->GetQuests().GetList()[9]->target.GetAs<Actor>()->GetNameSeed();

    FreshGame();
    ASSERT_EQ(game->LoadWorld("Ada"), Game::WorldLoadResult::Loaded);
    EXPECT_EQ(Facts(), saved);
    Quest& plague = *game->GetQuests().GetList()[1];
    ASSERT_EQ(plague.members.size(), 2u);
    EXPECT_EQ(plague.members[0].victim.Get(), nullptr) << "a victim comes back as its two words alone";
    game->SetWorldRunning();
    auto* again = new Player();
    ASSERT_NE(game->AddEntity(again), -1);
    // The plague's own step finds its victims again; until it does they are not saved.
    for (QuestVictim& member : plague.members)
        member.victim.Set(again);
    // Placing the candidate in the town names it anew; the rest of its record is as it was saved.
    auto* candidate = game->GetQuests().GetList()[9]->target.GetAs<Actor>();
    ASSERT_NE(candidate, nullptr);
    candidate->SetNameSeed(candidateName);
    ASSERT_TRUE(game->SaveWorld("Ada"));
    std::string resaved = SavedBytes();
    ASSERT_EQ(resaved.size(), bytes.size());
    auto differ = std::mismatch(bytes.begin(), bytes.end(), resaved.begin());
    EXPECT_EQ(differ.first, bytes.end()) << "the second save differs at byte " << (differ.first - bytes.begin());
}

TEST_F(WorldSave, TheFileIsTheVersionThenTheWorldThenTheEndWord)
{
    SaveFilledWorld();
    std::string bytes = SavedBytes();
    MessageBuffer buffer;
    buffer.WriteBytes(bytes.data(), bytes.size());
    EXPECT_EQ(buffer.ReadInt(), WorldSaveVersion::kCurrent);
    EXPECT_EQ(buffer.ReadString(), gWorld->GetAdventureName());
    EXPECT_EQ(buffer.ReadInt(), gWorld->GetDifficulty());
    EXPECT_EQ(buffer.ReadUInt(), gWorld->GetLayoutSeed());
    std::vector<bool> firstLevel;
    ASSERT_TRUE(buffer.ReadBoolVector(firstLevel));
    EXPECT_EQ(static_cast<int32_t>(firstLevel.size()), Tuning().cellsPerLevelX * Tuning().cellsPerLevelY)
        << "a level nobody explored still writes one flag per cell";
    EXPECT_EQ(bytes.substr(bytes.size() - 4), std::string(4, '\0'));
}

TEST_F(WorldSave, PlayersAndAttachedEntitiesStayOutOfTheFile)
{
    StartSavedWorld();
    Entity* tree = spawn.GetLevelFiller().RestoreLevelObject(At(100, 100, 0), 2, "models/props/tree.mdl");
    ASSERT_NE(tree, nullptr);
    // Attached for real: the player deletes it with itself, so nothing here touches it after.
    tree->AttachTo(player, "");
    ASSERT_EQ(tree->parentNumber, player->entityNumber);
    ASSERT_TRUE(game->SaveWorld("Ada"));
    FreshGame();
    ASSERT_EQ(game->LoadWorld("Ada"), Game::WorldLoadResult::Loaded);
    EXPECT_EQ(game->CountEntities(), 2) << "only the town's two NPCs, made again by the load";
}

// A record the load cannot make stops every record after it: such an entity is not written.
TEST_F(WorldSave, AMonsterNoObjectRecordShowsStaysOutAndTheObjectsAfterItComeBack)
{
    StartSavedWorld();
    auto* wolf = new Actor();
    wolf->modelName = "models/monsters/wolf.mdl";
    wolf->SetPosition(At(400, 400, 0));
    ASSERT_NE(game->AddEntity(wolf), -1);
    FillEntities();
    ASSERT_TRUE(game->SaveWorld("Ada"));
    FreshGame();
    ASSERT_EQ(game->LoadWorld("Ada"), Game::WorldLoadResult::Loaded);
    EXPECT_EQ(game->CountEntities(), 8) << "the six objects and the town's two NPCs, no monster";
    EXPECT_EQ(CountLinesHolding(debug, "the entity records end at"), 0);
}

TEST_F(WorldSave, NothingIsSavedWithoutARunningWorldAndAFirstPlayer)
{
    StartSavedWorld();
    game->RemoveEntity(player);
    EXPECT_FALSE(game->SaveWorld("Ada"));
    EXPECT_FALSE(folder.Path().empty());
    EXPECT_FALSE(std::filesystem::exists(folder.Path() / "User/chars/ada.wld"));
    delete player;
}

// ---- Hostile files --------------------------------------------------------------------------------

TEST_F(WorldSave, AFileCutAnywhereBeforeTheRivalsIsRefusedAndLeavesTheGameAsConstructed)
{
    SaveFilledWorld();
    std::string bytes = SavedBytes();
    std::vector<size_t> cuts = CutPoints(bytes);
    uint32_t stream = random.GetState(RandomStream::GameData);
    // The entity records start after the town block, which follows the last unlock string.
    size_t entitiesAt = EntityRecordsAt(bytes, bytes.find("AwardSecond") + std::strlen("AwardSecond") + 1);
    // The end word, then no rivals and no player covenant.
    size_t endWordAt = bytes.size() - 12;
    ASSERT_GT(endWordAt, entitiesAt);
    for (size_t cut = entitiesAt; cut < bytes.size(); ++cut)
        if (std::find(cuts.begin(), cuts.end(), cut) == cuts.end())
            cuts.push_back(cut);
    for (size_t cut : cuts) {
        random.SetState(RandomStream::GameData, stream);
        Game::WorldLoadResult result = LoadBytes(bytes.substr(0, cut));
        // Up to the end word nothing after the cut can be found; after it only the rivals'
        // block and the player covenant's word are lost, and the load says so.
        if (cut < endWordAt + 4) {
            ASSERT_EQ(result, Game::WorldLoadResult::Refused) << cut;
            ExpectConstructed("cut at " + std::to_string(cut));
            ASSERT_EQ(random.GetState(RandomStream::GameData), stream) << cut;
        } else {
            ASSERT_EQ(result, Game::WorldLoadResult::PartlyRead) << cut;
            EXPECT_EQ(game->CountEntities(), 9) << "the six objects, the town's two NPCs and the recruit " << cut;
            EXPECT_EQ(game->GetQuests().GetList().size(), 10u) << cut;
        }
    }
}

TEST_F(WorldSave, FlippedBitsNeverCrashAndARefusalLeavesTheGameAsConstructed)
{
    SaveFilledWorld();
    std::string bytes = SavedBytes();
    for (size_t at : CutPoints(bytes)) {
        std::string flipped = bytes;
        flipped[at] = static_cast<char>(flipped[at] ^ (1 << (at % 8)));
        if (LoadBytes(flipped) == Game::WorldLoadResult::Refused)
            ExpectConstructed("bit flipped at " + std::to_string(at));
    }
}

TEST_F(WorldSave, TheRefusalNamesTheFileTheFieldAndItsByteOffset)
{
    SaveFilledWorld();
    std::string bytes = SavedBytes();
    std::string name = gWorld->GetAdventureName();
    bytes.replace(4, name.size(), std::string(name.size(), 'Q'));
    ASSERT_EQ(LoadBytes(bytes), Game::WorldLoadResult::Refused);
    EXPECT_EQ(CountLinesHolding(debug, "World save chars/ada.wld refused: its world name at byte 4 does not read"), 1);
}

// Each count of the file, found by where it is, set to -1, 2^31 and the largest int.
TEST_F(WorldSave, HugeAndNegativeCountsAreRefusedWithNothingChanged)
{
    SaveFilledWorld();
    std::string bytes = SavedBytes();
    size_t header = 4 + gWorld->GetAdventureName().size() + 1 + 8;
    size_t cells = static_cast<size_t>(Tuning().cellsPerLevelX * Tuning().cellsPerLevelY);
    size_t levels = static_cast<size_t>(gWorld->GetLevelCount());
    // Each level record: the explored vector, its count, the filled word, no used blocks and
    // the monster level.
    size_t questCount = header + levels * (8 + 4 * cells + 4 + 4 + 4) + 16 + 8 + 8;
    size_t unlockCount = bytes.find("AwardFirst") - 4;
    for (size_t at : {header, questCount, unlockCount}) {
        for (uint32_t lie : {0xFFFFFFFFu, 0x80000000u, 0x7FFFFFFFu}) {
            std::string lying = bytes;
            std::memcpy(lying.data() + at, &lie, 4);
            EXPECT_EQ(LoadBytes(lying), Game::WorldLoadResult::Refused) << at << " " << lie;
            ExpectConstructed("count at " + std::to_string(at));
        }
    }
}

TEST_F(WorldSave, ALevelFilledOnceAWorldStaysFilledAfterALoadAndAStrangeFilledWordIsRefused)
{
    SaveFilledWorld();
    ASSERT_GE(gWorld->GetLevelCount(), 3);
    game->MarkLevelPopulated(1);
    std::vector<bool> filled;
    for (int32_t level = 0; level < gWorld->GetLevelCount(); ++level)
        filled.push_back(game->IsLevelPopulated(level));
    ASSERT_TRUE(game->SaveWorld("Ada"));
    std::string bytes = SavedBytes();

    ASSERT_EQ(LoadBytes(bytes), Game::WorldLoadResult::Loaded);
    for (int32_t level = 0; level < gWorld->GetLevelCount(); ++level)
        EXPECT_EQ(game->IsLevelPopulated(level), filled[static_cast<size_t>(level)]) << level;
    EXPECT_TRUE(game->IsLevelPopulated(1)) << "the level filler does not lay its objects twice";

    size_t header = 4 + gWorld->GetAdventureName().size() + 1 + 8;
    size_t cells = static_cast<size_t>(Tuning().cellsPerLevelX * Tuning().cellsPerLevelY);
    for (uint32_t strange : {4u, 0xFFFFFFFFu}) {
        std::string lying = bytes;
        std::memcpy(lying.data() + header + 8 + 4 * cells, &strange, 4);
        EXPECT_EQ(LoadBytes(lying), Game::WorldLoadResult::Refused) << strange;
        ExpectConstructed("filled word " + std::to_string(strange));
    }
}

// The filled world as our writer wrote it once: a change to any block's bytes shows here, and
// the kept file itself reads whole.
TEST_F(WorldSave, TheFilledWorldIsWrittenByteForByteAsTheKeptFile)
{
    SaveFilledWorld();
    std::string bytes = SavedBytes();
    std::ifstream kept(EMBERLODE_WORLD_SAVE_GOLDEN, std::ios::binary);
    ASSERT_TRUE(kept) << EMBERLODE_WORLD_SAVE_GOLDEN;
    std::string golden((std::istreambuf_iterator<char>(kept)), std::istreambuf_iterator<char>());
    int32_t version = 0;
    ASSERT_GE(golden.size(), 4u);
    std::memcpy(&version, golden.data(), 4);
    EXPECT_EQ(version, WorldSaveVersion::kCurrent) << "a new version keeps a new file";
    auto differ = std::mismatch(golden.begin(), golden.end(), bytes.begin(), bytes.end());
    EXPECT_TRUE(differ.first == golden.end() && differ.second == bytes.end())
        << "written " << bytes.size() << " bytes, kept " << golden.size() << "; they part at byte "
        << (differ.first - golden.begin());

    ASSERT_EQ(LoadBytes(golden), Game::WorldLoadResult::Loaded);
    EXPECT_EQ(CountLinesHolding(debug, "World save"), 0) << "the kept file reads whole";
}

// The filled world as our writer wrote it at the version before the town's people were kept:
// every field it has comes back as the current file's do, the town as new.
TEST_F(WorldSave, TheKeptFileOfTheVersionBeforeReadsWhole)
{
    SaveFilledWorld();
    ASSERT_EQ(LoadBytes(SavedBytes()), Game::WorldLoadResult::Loaded);
    std::string facts = Facts();
    std::ifstream kept(EMBERLODE_WORLD_SAVE_GOLDEN_52, std::ios::binary);
    ASSERT_TRUE(kept) << EMBERLODE_WORLD_SAVE_GOLDEN_52;
    std::string older((std::istreambuf_iterator<char>(kept)), std::istreambuf_iterator<char>());
    int32_t version = 0;
    ASSERT_GE(older.size(), 4u);
    std::memcpy(&version, older.data(), 4);
    ASSERT_EQ(version, WorldSaveVersion::kTownPeople - 1);

    ASSERT_EQ(LoadBytes(older), Game::WorldLoadResult::Loaded);
    EXPECT_EQ(Facts(), facts);
    EXPECT_EQ(CountLinesHolding(debug, "World save"), 0);
}

// The filled world as our writer wrote it before the gates opened during play, the levels'
// monster levels, the rivals' work and the player covenant's side were kept (53), before the
// town's people kept their names (54), before the entity records were measured (55), and before
// they named their object records (56).
TEST_F(WorldSave, TheKeptFilesOfVersions53To56ReadWhole)
{
    SaveFilledWorld();
    ASSERT_EQ(LoadBytes(SavedBytes()), Game::WorldLoadResult::Loaded);
    std::string facts = Facts();
    const std::pair<const char*, int32_t> kept[] = {
        {EMBERLODE_WORLD_SAVE_GOLDEN_53, WorldSaveVersion::kOpenedGates - 1},
        {EMBERLODE_WORLD_SAVE_GOLDEN_54, WorldSaveVersion::kTownNames - 1},
        {EMBERLODE_WORLD_SAVE_GOLDEN_55, WorldSaveVersion::kEntityLengths - 1},
        {EMBERLODE_WORLD_SAVE_GOLDEN_56, WorldSaveVersion::kEntityRecordNames - 1}};
    for (const auto& [path, expected] : kept) {
        std::ifstream file(path, std::ios::binary);
        ASSERT_TRUE(file) << path;
        std::string older((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        int32_t version = 0;
        ASSERT_GE(older.size(), 4u);
        std::memcpy(&version, older.data(), 4);
        ASSERT_EQ(version, expected);

        ASSERT_EQ(LoadBytes(older), Game::WorldLoadResult::Loaded) << path;
        EXPECT_EQ(Facts(), facts) << path;
        EXPECT_EQ(CountLinesHolding(debug, "World save"), 0) << path;
    }
}

TEST_F(WorldSave, VersionsOutsideOneToTheCurrentAreRefused)
{
    SaveFilledWorld();
    std::string bytes = SavedBytes();
    for (int32_t version : {0, -1, WorldSaveVersion::kCurrent + 1, INT_MAX}) {
        std::string other = bytes;
        std::memcpy(other.data(), &version, 4);
        EXPECT_EQ(LoadBytes(other), Game::WorldLoadResult::Refused) << version;
        ExpectConstructed("version " + std::to_string(version));
    }
}

// Each measured record changed in one way, the records after it kept in step.
TEST_F(WorldSave, AnEntityRecordThatDoesNotReadIsPassedOverAloneNamedAndTheRestLoads)
{
    SaveFilledWorld();
    std::string bytes = SavedBytes();
    ASSERT_EQ(LoadBytes(bytes), Game::WorldLoadResult::Loaded);
    std::string facts = Facts();
    std::vector<EntityRecord> records = EntityRecords(bytes);
    ASSERT_EQ(records.size(), 6u);
    auto recordOf = [&](const std::string& model) {
        size_t at = bytes.find(model);
        auto found = std::find_if(records.begin(), records.end(), [at](const EntityRecord& record) {
            return at > record.at && at < record.at + 8 + record.length;
        });
        EXPECT_NE(found, records.end()) << model;
        return *found;
    };
    // The record's bytes replaced by others, its length word saying how many.
    auto withRecord = [&](const EntityRecord& record, std::string body) {
        std::string changed = bytes;
        uint32_t length = static_cast<uint32_t>(body.size());
        changed.replace(record.at + 8, record.length, body);
        std::memcpy(changed.data() + record.at + 4, &length, 4);
        return changed;
    };
    auto body = [&](const EntityRecord& record) { return bytes.substr(record.at + 8, record.length); };
    EntityRecord torch = recordOf("models/props/torch.mdl");
    EntityRecord door = recordOf("models/props/door.mdl");
    EntityRecord coffer = recordOf("models/props/coffer.mdl");
    EntityRecord lever = recordOf("models/props/lever.mdl");
    std::string renamed = body(torch);
    renamed.replace(renamed.find("models"), 6, "nodels");
    std::string turned = body(lever);
    uint32_t facing = 8;
    std::memcpy(turned.data() + 12, &facing, 4);
    struct Case {
        const char* what;
        std::string file;
        std::string named;
        // Whose line of the facts goes.
        std::string gone;
        // The warning gives where the record's length word stands.
        size_t at;
    };
    const std::string torchModel = "models/props/torch.mdl";
    const std::string doorModel = "models/props/door.mdl";
    const std::string cofferModel = "models/props/coffer.mdl";
    const std::string leverModel = "models/props/lever.mdl";
    const Case cases[] = {
        {"a model renamed in newer data", withRecord(torch, renamed), "nodels/props/torch.mdl", torchModel, torch.at + 4},
        {"a state cut short", withRecord(door, body(door).substr(0, door.length - 4)), doorModel, doorModel,
         door.at + 4},
        {"a state with a byte over", withRecord(coffer, body(coffer) + "x"), cofferModel, cofferModel, coffer.at + 4},
        {"a ninth facing", withRecord(lever, turned), leverModel, leverModel, lever.at + 4},
        {"an empty record", withRecord(door, std::string()), "", doorModel, door.at + 4},
    };
    for (const Case& test : cases) {
        std::string named = "its entity record of \"" + test.named + "\" at byte " + std::to_string(test.at);
        int said = CountLinesHolding(debug, "cannot be made again; it is passed over");
        ASSERT_EQ(LoadBytes(test.file), Game::WorldLoadResult::PartlyRead) << test.what;
        EXPECT_EQ(CountLinesHolding(debug, "cannot be made again; it is passed over"), said + 1) << test.what;
        EXPECT_EQ(CountLinesHolding(debug, named), 1) << test.what << ": " << named;
        // Everything but the one entity, the records after it among it.
        std::string expected = facts;
        size_t line = expected.find("\n" + test.gone + " ");
        ASSERT_NE(line, std::string::npos) << test.what;
        expected.erase(line, expected.find('\n', line + 1) - line);
        EXPECT_EQ(Facts(), expected) << test.what;
    }
}

// A length that points past the file leaves the rest unfindable; one that lies within it never
// passes for a whole load.
TEST_F(WorldSave, EntityLengthsThatLieAreRefusedOrNeverLoadWhole)
{
    SaveFilledWorld();
    std::string bytes = SavedBytes();
    std::vector<EntityRecord> records = EntityRecords(bytes);
    ASSERT_FALSE(records.empty());
    for (const EntityRecord& record : records) {
        uint32_t left = static_cast<uint32_t>(bytes.size() - record.at - 8);
        for (uint32_t lie : {left + 1, 0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFFu}) {
            std::string lying = bytes;
            std::memcpy(lying.data() + record.at + 4, &lie, 4);
            ASSERT_EQ(LoadBytes(lying), Game::WorldLoadResult::Refused) << record.at << " " << lie;
            ExpectConstructed("length " + std::to_string(lie) + " at " + std::to_string(record.at));
        }
        for (uint32_t lie : {0u, record.length - 1, record.length + 1, left}) {
            std::string lying = bytes;
            std::memcpy(lying.data() + record.at + 4, &lie, 4);
            Game::WorldLoadResult result = LoadBytes(lying);
            EXPECT_NE(result, Game::WorldLoadResult::Loaded) << record.at << " " << lie;
            if (result == Game::WorldLoadResult::Refused)
                ExpectConstructed("length " + std::to_string(lie) + " at " + std::to_string(record.at));
        }
    }
    EXPECT_GE(CountLinesHolding(debug, "refused: its entity record at byte"), 1);
}

// Before records were measured a bad one leaves nothing after it to be found: the file is
// refused as damaged, not half loaded.
TEST_F(WorldSave, AnUnmeasuredEntityRecordThatDoesNotReadRefusesTheFile)
{
    SaveFilledWorld();
    std::ifstream kept(EMBERLODE_WORLD_SAVE_GOLDEN_55, std::ios::binary);
    ASSERT_TRUE(kept) << EMBERLODE_WORLD_SAVE_GOLDEN_55;
    std::string older((std::istreambuf_iterator<char>(kept)), std::istreambuf_iterator<char>());
    size_t lamp = older.find("models/props/torch.mdl");
    ASSERT_NE(lamp, std::string::npos);
    older.replace(lamp, 6, "nodels");
    ASSERT_EQ(LoadBytes(older), Game::WorldLoadResult::Refused);
    ExpectConstructed("an older file with a bad record");
    EXPECT_EQ(CountLinesHolding(debug, "refused: its entity record at byte"), 1);
}

TEST_F(WorldSave, AMissingEndWordRefusesTheFile)
{
    SaveFilledWorld();
    std::string bytes = SavedBytes();
    // The end word, and the empty list of rivals and the absent player covenant after it, cut away.
    ASSERT_EQ(LoadBytes(bytes.substr(0, bytes.size() - 12)), Game::WorldLoadResult::Refused);
    EXPECT_EQ(CountLinesHolding(debug, "World save chars/ada.wld has no end word after its entity records"), 1);
    ExpectConstructed("no end word");
}

TEST_F(WorldSave, ALoadIntoARunningWorldIsRefused)
{
    SaveFilledWorld();
    EXPECT_EQ(game->LoadWorld("Ada"), Game::WorldLoadResult::Refused);
    EXPECT_TRUE(game->IsWorldRunning());
}

// ---- Older files -------------------------------------------------------------------------------

TEST_F(WorldSave, OlderVersionsLoadWithTheFieldsTheirVersionHas)
{
    StartSavedWorld();
    Quest& hunt = PutQuest(0, "Hunt", 0x1000u);
    hunt.multiplier = 1.5f;
    hunt.goals.push_back({2, 0, gameData.FindMonsterType("MonsterGrunt"), 0});
    PutQuest(1, "Parley", 0x5000u).met = true;
    Quest& recruit = PutQuest(2, "Enlist", 0x6000u);
    Actor* candidate = spawn.SpawnMonster(gameData.FindMonsterType("MonsterGrunt"), 0, 3, 0, true);
    ASSERT_NE(candidate, nullptr);
    recruit.target.Set(candidate);
    FillWeather();
    int32_t wilds = game->GetOrAddFaction("Wilds");
    int32_t testers = game->GetOrAddFaction("Testers");
    gFactionSystem->SetReputation(wilds, testers, 12.5f);
    game->AddUnlock("AwardFirst");
    std::map<int32_t, std::string> files;
    for (int32_t version : {4, 5, 9, 10, 23, 24, 27, 28, 37, 38}) {
        MessageBuffer buffer;
        WorldSaveOldWriter(buffer, version).Write(*game);
        files[version].assign(reinterpret_cast<const char*>(buffer.Data()), buffer.Size());
    }
    delete candidate;
    for (const auto& [version, bytes] : files) {
        ASSERT_EQ(LoadBytes(bytes), Game::WorldLoadResult::Loaded) << version;
        const auto& list = game->GetQuests().GetList();
        ASSERT_EQ(list.size(), 3u) << version;
        EXPECT_EQ(list[0]->multiplier, version >= 6 ? 1.5f : 1.0f) << version;
        ASSERT_EQ(list[0]->goals.size(), 1u) << version;
        EXPECT_EQ(list[0]->goals[0].target, gameData.FindMonsterType("MonsterGrunt"))
            << "by index before 38, by name from it: " << version;
        EXPECT_EQ(list[1]->met, version >= 24) << version;
        const Actor* back = list[2]->target.GetAs<Actor>();
        ASSERT_NE(back, nullptr) << "the candidate, with or without its presence word: " << version;
        EXPECT_EQ(back->GetMonsterType(), gameData.FindMonsterType("MonsterGrunt")) << version;
        EXPECT_EQ(gFactionSystem->GetReputation(gFactionSystem->GetFactionIndex("Wilds"),
                                                gFactionSystem->GetFactionIndex("Testers")) == 12.5f,
                  version >= 5)
            << version;
        EXPECT_EQ(game->GetWeather().GetLiveFrontCount(), version >= 10 ? 3 : 0) << version;
        EXPECT_EQ(game->GetUnlocks(), std::vector<std::string>{"AwardFirst"}) << version;
    }
}

// ---- Gates opened during play ---------------------------------------------------------------------

TEST_F(WorldSave, AGateBlockThatLiesIsRefusedAndAStrangeMonsterLevelKeepsTheWorldsOwn)
{
    SaveFilledWorld();
    LinkedGates pair = game->CreateLinkedGates(database.FindEntryByName("ObjectSecretGate"), At(400, 420, 0),
                                               At(800, 300, 2), GateKind::Secret);
    ASSERT_NE(pair.second, nullptr);
    ASSERT_TRUE(game->SaveWorld("Ada"));
    std::string bytes = SavedBytes();
    size_t gatesAt = OpenedGatesAt(bytes, bytes.find("AwardSecond") + std::strlen("AwardSecond") + 1);
    size_t pairAt = gatesAt + 8;
    size_t kindAt = pairAt + std::strlen("ObjectSecretGate") + 1;
    ASSERT_EQ(bytes.substr(pairAt, std::strlen("ObjectSecretGate")), "ObjectSecretGate");
    auto withWord = [&bytes](size_t at, uint32_t word) {
        std::string changed = bytes;
        std::memcpy(changed.data() + at, &word, 4);
        return changed;
    };
    std::string unknown = bytes;
    unknown.replace(pairAt, 6, "Nobody");
    std::vector<std::pair<std::string, std::string>> lies = {
        {"last secret level 999", withWord(gatesAt, 999)},
        {"pair count -1", withWord(gatesAt + 4, 0xFFFFFFFFu)},
        {"pair count 2^31", withWord(gatesAt + 4, 0x80000000u)},
        {"an unknown record", unknown},
        {"a world gate's kind", withWord(kindAt, GateKind::World)},
        {"an end on level 99", withWord(kindAt + 4, 99)},
        {"an end at NaN", withWord(kindAt + 8, 0x7FC00000u)},
        {"facing 8", withWord(kindAt + 16, 8)},
    };
    for (const auto& [what, file] : lies) {
        EXPECT_EQ(LoadBytes(file), Game::WorldLoadResult::Refused) << what;
        ExpectConstructed(what);
    }

    // Level 0's monster level follows its explored vector, count, filled word and used blocks.
    size_t cells = static_cast<size_t>(Tuning().cellsPerLevelX * Tuning().cellsPerLevelY);
    size_t usedAt = 4 + gWorld->GetAdventureName().size() + 1 + 8 + 4 + 4 * cells + 4 + 4;
    size_t monsterAt = usedAt + 4 + 4 * WordAt(bytes, usedAt);
    ASSERT_EQ(LoadBytes(withWord(monsterAt, 0)), Game::WorldLoadResult::Loaded);
    EXPECT_EQ(CountLinesHolding(debug, "level 0's monster level 0 is no level"), 1);
    EXPECT_GE(gWorld->GetLevelMonsterLevel(0), 1);
}
