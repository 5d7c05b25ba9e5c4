// ShippedLevelObjectsTest -- the shipped chests, doors, gates and secret: the lock lint and a planted fault, then every record made and opened without a warning and a player sent through every gate kind.
#include "entities/Chest.h"
#include "entities/Door.h"
#include "entities/Gate.h"
#include "entities/Inventory.h"
#include "entities/Item.h"
#include "entities/LevelObjectLint.h"
#include "entities/LevelObjectWorld.h"
#include "entities/Secret.h"
#include "entities/Torch.h"

#include "core/Database.h"
#include "core/DatabaseEntry.h"
#include "core/StringUtil.h"
#include "rules/PlantedGame.h"
#include "rules/items/InventoryBase.h"
#include "support/ShippedGame.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <sstream>
#include <string>

namespace {

std::vector<std::string> LevelObjectProblems(const std::string& gameDir)
{
    GameFolderFiles game(gameDir);
    game.files.MountAssetArchives();
    return ContentLint::CheckGameContent(game.debug, "English", LevelObjectLintChecks());
}

// The shipped database over the shipped folder, with the fake game and a hand-laid world of
// shipped areas around it.
class ShippedLevelObjects : public LevelObjectWorld {
protected:
    ShippedLevelObjects() : shipped(ShippedGameFolder()) {}

    void SetUp() override
    {
        ASSERT_FALSE(ShippedGameFolder().empty()) << "EMBERLODE_GAME_DIR not set";
        gDatabase = &shippedDatabase;
        gGameData = &shippedData;
        shippedDatabase.Load();
        shippedData.Load(shippedDatabase);
        world.SetLevelSize(4096.0f, 4096.0f);
        const DatabaseEntry* areaRecord = shippedDatabase.GetNextEntryOfType(DatabaseEntryType::Area);
        ASSERT_NE(areaRecord, nullptr);
        for (int32_t i = 0; i < kLevelCount; ++i) {
            auto area = std::make_unique<AreaDefinition>();
            area->Load(areaRecord);
            auto level = std::make_unique<Level>();
            level->area = area.get();
            world.AddLevel(std::move(level));
            areas.push_back(std::move(area));
        }
        LevelGate down;
        down.targetLevel = 2;
        down.leadsDown = true;
        world.GetLevel(0)->gates.push_back(down);
        gWorld = &world;
        linesBefore = shipped.debug.GetConsoleLines().size();
    }

    void TearDown() override
    {
        game.DestroyAll();
        gGameData = nullptr;
        gDatabase = nullptr;
    }

    std::vector<const DatabaseEntry*> RecordsOfKind(const char* kind) const
    {
        std::vector<const DatabaseEntry*> records;
        for (const DatabaseEntry* entry = shippedDatabase.GetNextEntryOfType(DatabaseEntryType::Object); entry;
             entry = shippedDatabase.GetNextEntryOfType(DatabaseEntryType::Object, entry))
            if (!entry->IsBaseOnly() && StringEqualsNoCase(entry->GetString("ObjectType"), kind))
                records.push_back(entry);
        return records;
    }

    template <class T>
    T* Place(const DatabaseEntry* record, float x, float y, int32_t level = 0)
    {
        auto* entity = new T();
        entity->Load(record);
        entity->SetPosition(At(x, y, level));
        EXPECT_NE(game.AddEntity(entity), -1);
        return entity;
    }

    Player* MakeKeyBearer()
    {
        Player* player = MakePlayer(2000.0f, 2000.0f);
        auto key = std::make_unique<Item>();
        key->SetEntry(shippedDatabase.FindEntryByName("CryptKey"));
        key->SetStackCount(1);
        std::unique_ptr<ItemBase> owned(key.release());
        EXPECT_TRUE(player->inventory->PlaceItem(owned, 0, 0, kPlaceAnyGroup));
        return player;
    }

    void ExpectNoNewLogLines()
    {
        const auto& lines = shipped.debug.GetConsoleLines();
        for (size_t i = linesBefore; i < lines.size(); ++i)
            ADD_FAILURE() << lines[i];
    }

    std::string ShippedText(const std::string& path) const
    {
        FileBuffer file = gFileSystem->LoadWholeFile(path);
        EXPECT_TRUE(file.IsValid()) << path;
        return file.IsValid() ? std::string(file.Text()) : std::string();
    }

    // The record a model names on its "ObjectType" line.
    const DatabaseEntry* RecordOfModel(const std::string& path) const
    {
        std::istringstream lines(ShippedText(path));
        std::string line;
        while (std::getline(lines, line))
            if (line.rfind("ObjectType ", 0) == 0)
                return shippedDatabase.FindEntryByName(line.substr(11));
        return nullptr;
    }

    GameFolderFiles shipped;
    Database shippedDatabase;
    GameData shippedData;
    size_t linesBefore = 0;
};

} // namespace

TEST(LevelObjectContent, ShippedLocksHaveKeysAndTexts)
{
    ASSERT_FALSE(ShippedGameFolder().empty()) << "EMBERLODE_GAME_DIR not set";
    for (const std::string& problem : LevelObjectProblems(ShippedGameFolder()))
        ADD_FAILURE() << problem;
}

TEST(LevelObjectContent, ALockNoKeyOpensIsReported)
{
    TempFolder folder;
    WritePlantedGame(folder, "GameSystem\n{\n Type Info\n GameName G\n Version V\n}\n"
                             "Key\n{\n Type Item\n KeyName Known\n}\n"
                             "Vault\n{\n Type Object\n ObjectType Chest\n RequiresKey Nowhere\n}\n"
                             "Cellar\n{\n Type Object\n ObjectType Door\n RequiresKey KNOWN\n}\n");
    std::vector<std::string> problems = LevelObjectProblems(folder.Path());
    auto reported = [&](std::string_view part) {
        return std::any_of(problems.begin(), problems.end(),
                           [&](const std::string& problem) { return problem.find(part) != std::string::npos; });
    };
    EXPECT_TRUE(reported("RequiresKey Nowhere is no item's KeyName"));
    EXPECT_TRUE(reported("names the missing text Nowhere"));
    EXPECT_FALSE(reported("RequiresKey KNOWN is no item's KeyName")) << "compared case-blind";
}

TEST_F(ShippedLevelObjects, EveryChestOpensForAPlayerWithTheKey)
{
    Player* player = MakeKeyBearer();
    std::vector<const DatabaseEntry*> records = RecordsOfKind("Chest");
    EXPECT_GE(records.size(), 5u);
    float x = 100.0f;
    for (const DatabaseEntry* record : records) {
        auto* chest = Place<Chest>(record, x, 100.0f);
        x += 200.0f;
        chest->Randomize(0);
        chest->OnUsedBy(player);
        chest->Use(player);
        EXPECT_FALSE(chest->IsClosed()) << record->GetName();
        EXPECT_FALSE(chest->alwaysBlocks) << record->GetName();
    }
    game.StepFor(3.0f);
    ExpectNoNewLogLines();
}

TEST_F(ShippedLevelObjects, EveryDoorOpensForAPlayerWithTheKey)
{
    Player* player = MakeKeyBearer();
    std::vector<const DatabaseEntry*> records = RecordsOfKind("Door");
    EXPECT_GE(records.size(), 6u);
    float x = 100.0f;
    for (const DatabaseEntry* record : records) {
        auto* door = Place<Door>(record, x, 300.0f);
        x += 300.0f;
        door->facing = 4;
        door->OnPlaced();
        EXPECT_FLOAT_EQ(door->radius, 32.0f) << record->GetName() << ": half a tile";
        door->Use(player);
        EXPECT_EQ(door->GetState(), DoorState::Opening) << record->GetName();
    }
    game.StepFor(3.0f);
    ExpectNoNewLogLines();
}

TEST_F(ShippedLevelObjects, APlayerGoesThroughEveryKindOfGate)
{
    Player* player = MakePlayer(500.0f, 500.0f);
    game.covenants = {&covenant};
    player->covenantIndex = 0;
    covenant.houseGate = At(3000.0f, 3000.0f, 1);
    player->gateLists[0].Add(0, 0);
    player->gateLists[1].Add(0, 0);
    std::map<int32_t, WorldPos> arrived;
    auto travel = [&](Gate& gate) {
        player->SetPosition(At(500.0f, 500.0f));
        gate.OnUsedBy(player);
        arrived[gate.kind] = player->position;
    };
    LinkedGates linked = game.CreateLinkedGates(nullptr, At(100.0f, 100.0f), At(1000.0f, 1000.0f, 3), GateKind::Linked);
    ASSERT_NE(linked.first, nullptr);
    travel(*linked.first);
    for (int32_t kind : {GateKind::LinkedExact, GateKind::Secret}) {
        LinkedGates pair = game.CreateLinkedGates(nullptr, At(100.0f, 200.0f), At(1000.0f, 1000.0f, 3), kind);
        travel(*pair.first);
    }
    auto* town = Place<Gate>(shippedDatabase.FindEntryByName("ObjectTownGate"), 800.0f, 800.0f);
    town->kind = GateKind::World;
    travel(*town);
    EXPECT_EQ(arrived[GateKind::World].level, 0) << "the first use activates";
    travel(*town);
    auto* home = Place<Gate>(shippedDatabase.FindEntryByName("ObjectGate"), 900.0f, 800.0f);
    home->kind = GateKind::Home;
    travel(*home);
    auto* depth = Place<Gate>(shippedDatabase.FindEntryByName("Gate"), 1000.0f, 800.0f);
    depth->kind = GateKind::Depth;
    travel(*depth);
    auto* start = Place<Gate>(shippedDatabase.FindEntryByName("ObjectTeleportStart"), 1100.0f, 800.0f);
    start->kind = GateKind::Named;
    auto* end = Place<Gate>(shippedDatabase.FindEntryByName("ObjectTeleportEnd"), 1500.0f, 1500.0f, 3);
    end->kind = GateKind::NamedTarget;
    travel(*start);
    travel(*end);
    EXPECT_EQ(arrived[GateKind::Linked].level, 3);
    EXPECT_EQ(arrived[GateKind::LinkedExact].level, 3);
    EXPECT_EQ(arrived[GateKind::Secret].level, 3);
    EXPECT_EQ(arrived[GateKind::World].level, 1) << "the second use takes the player home";
    EXPECT_EQ(arrived[GateKind::Home].level, 1);
    EXPECT_EQ(arrived[GateKind::Depth].level, 2);
    EXPECT_EQ(arrived[GateKind::Named].level, 3);
    EXPECT_EQ(arrived[GateKind::NamedTarget].level, 0) << "a target leads nowhere";
    ExpectNoNewLogLines();
}

TEST_F(ShippedLevelObjects, TheShippedSecretOpensTheTreasureLevelAtNightByRedLight)
{
    world.SetSecretLevels(2, 1, 3);
    game.clock = 2.0f;
    auto* secret = Place<Secret>(shippedDatabase.FindEntryByName("SecretTreasure"), 1000.0f, 1000.0f);
    secret->OnPlaced();
    auto* torch = Place<Torch>(shippedDatabase.FindEntryByName("TorchRed"), 1050.0f, 1000.0f);
    ASSERT_TRUE(torch->IsLit());
    Player* player = MakePlayer(1000.0f, 1060.0f);
    secret->Use(player);
    EXPECT_TRUE(HasNotice("gates 3 made"));
    ExpectNoNewLogLines();
}

TEST_F(ShippedLevelObjects, TheCryptsShrineHoldsTheSecretBesideARedTorch)
{
    shipped.files.MountAssetArchives();
    const DatabaseEntry* secret = RecordOfModel("Models/Props/secretpillar.mdl");
    ASSERT_NE(secret, nullptr);
    EXPECT_TRUE(StringEqualsNoCase(secret->GetString("ObjectType"), "Secret"));
    EXPECT_EQ(secret->GetInt("SecretIndex"), 1);
    const DatabaseEntry* torch = RecordOfModel("Models/Props/torch_red.mdl");
    ASSERT_NE(torch, nullptr);
    EXPECT_TRUE(StringEqualsNoCase(torch->GetString("ObjectType"), "Torch"));
    // The crypt's model list, then the shrine's object lines: x, row, model index, facing.
    std::istringstream text(ShippedText("Levels/crypt.ara"));
    std::vector<std::string> models;
    std::string line;
    while (std::getline(text, line) && line != "// object models") {
    }
    size_t count = 0;
    text >> count;
    for (size_t i = 0; i < count; ++i) {
        std::string quoted;
        text >> quoted;
        models.push_back(quoted.substr(1, quoted.size() - 2));
    }
    while (std::getline(text, line) && line.rfind("block \"Shrine\"", 0) != 0) {
    }
    ASSERT_FALSE(text.eof()) << "the crypt has a shrine";
    std::map<std::string, std::pair<int, int>> placed;
    while (std::getline(text, line) && line != "}") {
        std::istringstream fields(line);
        int x = 0, row = 0, type = 0, facing = 0;
        std::string rest;
        if ((fields >> x >> row >> type >> facing) && !(fields >> rest) && type >= 0 && static_cast<size_t>(type) < models.size())
            placed[models[static_cast<size_t>(type)]] = {x, row};
    }
    ASSERT_TRUE(placed.count("Models/Props/secretpillar.mdl"));
    ASSERT_TRUE(placed.count("Models/Props/torch_red.mdl"));
    auto [sx, sy] = placed["Models/Props/secretpillar.mdl"];
    auto [tx, ty] = placed["Models/Props/torch_red.mdl"];
    EXPECT_EQ(std::abs(sx - tx) + std::abs(sy - ty), 1) << "the torch stands on the next tile, well within reach";
}
