// LevelPopulationTest -- when a level is filled and only once, the objects placed by kind, items kept from sentients, saved objects rebuilt from hostile places.
#include "SpawnWorld.h"

#include "core/Database.h"
#include "core/TextParser.h"
#include "core/StringUtil.h"
#include "entities/Chest.h"
#include "entities/Door.h"
#include "entities/Gate.h"
#include "entities/ItemGround.h"
#include "entities/Torch.h"
#include "entities/TrapGround.h"
#include "entities/Trigger.h"
#include "world/AreaResource.h"
#include "world/Level.h"
#include "world/LevelData.h"

#include <cmath>
#include <limits>
#include <map>

namespace {

constexpr const char* kLevelPopulationRecords = R"(
ObjectTree
{
    Type Object
    ObjectType SimpleAnimating
    ModelName "Models/Props/tree.mdl"
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
ObjectGreatDoor
{
    Type Object
    ObjectType Door
    ModelName "models/props/greatdoor.mdl"
    DoubleWide 1
    TrapChance 1
}
ObjectCollector
{
    Type Chest
    ObjectType Chest
    CollectDist 96
}
ObjectOddity
{
    Type Object
    ObjectType Windmill
    ModelName "models/props/mill.mdl"
}
ObjectCoins
{
    Type Item
    ObjectType Item
    SpawnChance 0
    ModelName "models/props/coins.mdl"
}
ObjectPassage
{
    Type Object
    ObjectType Gate
    ModelName "props/gate.mdl"
}
ObjectPassageStart
{
    Type Object
    ObjectType Gate
    ModelName "props/gatestart.mdl"
    TeleportStart 1
    TeleportEnd 1
}
ObjectPassageEnd
{
    Type Object
    ObjectType Gate
    ModelName "props/gateend.mdl"
    TeleportEnd 1
}
ObjectPlate
{
    Type Trap
    ObjectType Trap
    ModelName "props/plate.mdl"
}
ObjectCoffer
{
    Type Chest
    ObjectType Chest
}
ObjectLever
{
    Type Object
    ObjectType Trigger
    ModelName "props/lever.mdl"
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
)";

} // namespace

class LevelPopulation : public SpawnWorld {
protected:
    LevelPopulation()
    {
        Player::RegisterEventClass(events, types);
        LoadSpawn(kLevelPopulationRecords);
        // The model files' "ObjectType" lines, as the resource manager would read them.
        Filler().SetModelObjectTypeLookup([](std::string_view model) {
            static const std::map<std::string, std::string> kNames = {
                {"models/props/tree.mdl", "ObjectTree"}, {"models/props/gate.mdl", "ObjectPassage"},
                {"models/props/torch.mdl", "ObjectLamp"}, {"models/props/mill.mdl", "NoSuchRecord"},
                {"models/props/greatdoor.mdl", "ObjectGreatDoor"}, {"models/props/coffer.mdl", "ObjectCollector"},
                {"models/props/coins.mdl", "ObjectCoins"}};
            auto found = kNames.find(StringToLower(model));
            return found == kNames.end() ? std::string() : found->second;
        });
    }

    LevelFiller& Filler() { return spawn.GetLevelFiller(); }

    // Level 0 valid (its area has a name) and generated.
    void MakeLevelReady()
    {
        AreaDefinition& area = GiveArea("MonsterGrunt", 1.0f);
        area.name = "Testlands";
        game->generated.insert(0);
    }

    Entity* Place(const char* record, int32_t cellX, int32_t cellY, int32_t facing = 3)
    {
        const DatabaseEntry* entry = database.FindEntryByName(record);
        return Filler().PlaceLevelObject(0, cellX, cellY, entry, entry ? entry->GetString("ModelName") : "", facing);
    }

    // Level 0 generated with the piece in its first block and nothing in the others; the
    // piece's objects are "x row object facing" lines over the great door, the collecting chest
    // and the coins. Its area allows traps and rolls no monsters.
    void LayPiece(const std::string& objectLines)
    {
        std::string text = "1 Textures/floor.tga\n1 closed\n"
                           "3 models/props/greatdoor.mdl models/props/coffer.mdl models/props/coins.mdl\n"
                           "block Piece\n{\n";
        for (int32_t tile = 0; tile < 64; ++tile)
            text += "0 ";
        text += "\n0 0 0 0\n" + objectLines + "}\n";
        piece = std::make_unique<AreaResource>(8, 8);
        TextParser parser(text.data(), text.size());
        piece->Parse(parser);
        Level& level = *row.world.GetLevel(0);
        level.data = std::make_unique<LevelData>(LevelGeometry::Current());
        level.data->generated = true;
        level.data->boundArea = piece.get();
        level.data->blockGrid.assign(static_cast<size_t>(level.data->geometry.BlockCount()), -1);
        level.data->blockGrid[0] = 0;
        AreaDefinition& area = GiveArea("MonsterGrunt", 0.0f);
        area.name = "Testlands";
        area.trapsAllowed = true;
        game->generated.insert(0);
    }

    template <class T>
    std::vector<T*> All() const
    {
        std::vector<T*> found;
        for (int32_t i = 0; i < GameServices::kMaxEntities; ++i)
            if (auto* entity = dynamic_cast<T*>(game->GetEntity(i)))
                found.push_back(entity);
        return found;
    }

    ~LevelPopulation() override
    {
        if (Level* level = row.world.GetLevel(0))
            level->data.reset();
    }

    std::unique_ptr<AreaResource> piece;
};

TEST_F(LevelPopulation, NoPlayerNoPopulation)
{
    MakeLevelReady();
    EXPECT_FALSE(Filler().PopulateLevel(0));
    EXPECT_FALSE(game->IsLevelPopulated(0));
    AddPlayer(100.0f, 100.0f);
    EXPECT_TRUE(Filler().PopulateLevel(0));
    EXPECT_TRUE(game->IsLevelPopulated(0));
}

TEST_F(LevelPopulation, UnknownInvalidOrUngeneratedLevelsWait)
{
    AddPlayer(100.0f, 100.0f);
    EXPECT_FALSE(Filler().PopulateLevel(7));
    EXPECT_FALSE(Filler().PopulateLevel(-1));
    EXPECT_FALSE(Filler().PopulateLevel(0));  // no area name yet
    GiveArea("MonsterGrunt", 1.0f).name = "Testlands";
    EXPECT_FALSE(Filler().PopulateLevel(0));  // not generated yet
    game->generated.insert(0);
    EXPECT_TRUE(Filler().PopulateLevel(0));
}

TEST_F(LevelPopulation, SecondCallCreatesNothingMore)
{
    MakeLevelReady();
    AddPlayer(100.0f, 100.0f);
    ASSERT_TRUE(Filler().PopulateLevel(0));
    int32_t count = game->CountEntities();
    uint32_t state = random.GetState(RandomStream::GameData);
    EXPECT_TRUE(Filler().PopulateLevel(0));
    EXPECT_EQ(game->CountEntities(), count);
    EXPECT_EQ(random.GetState(RandomStream::GameData), state);
    // A new world forgets it.
    game->ResetLevels();
    EXPECT_FALSE(game->IsLevelPopulated(0));
}

TEST_F(LevelPopulation, PlainObjectsStandOnTheirCell)
{
    Entity* tree = Place("ObjectTree", 3, 5, 6);
    ASSERT_NE(tree, nullptr);
    EXPECT_EQ(game->GetEntity(tree->entityNumber), tree);
    EXPECT_FLOAT_EQ(tree->position.x, 3 * 64.0f + 32.0f);
    EXPECT_FLOAT_EQ(tree->position.y, 5 * 64.0f + 32.0f);
    EXPECT_EQ(tree->facing, 6);
    EXPECT_EQ(tree->spawnTag, 5 * gameData.GetTuning().levelTileWidth + 3);
    EXPECT_FALSE(tree->netFlag);
    Entity* lamp = Place("ObjectLamp", 8, 8);
    EXPECT_NE(dynamic_cast<Torch*>(lamp), nullptr);
    EXPECT_NE(dynamic_cast<Door*>(Place("ObjectDoorway", 12, 8)), nullptr);
    // A door is placed whole: its second half one tile over on the same level, and the trap
    // its level allows.
    GiveArea("MonsterGrunt", 0.0f).trapsAllowed = true;
    auto* great = dynamic_cast<Door*>(Place("ObjectGreatDoor", 14, 8, 4));
    ASSERT_NE(great, nullptr);
    ASSERT_NE(great->GetPartner(), nullptr);
    EXPECT_EQ(great->GetPartner()->position.level, 0);
    EXPECT_FLOAT_EQ(great->GetPartner()->position.x, 15 * 64.0f + 32.0f);
    EXPECT_FLOAT_EQ(great->GetPartner()->position.y, 8 * 64.0f + 32.0f);
    EXPECT_EQ(game->GetEntity(great->GetPartner()->entityNumber), great->GetPartner());
    EXPECT_NE(great->GetTrap(), nullptr);
}

TEST_F(LevelPopulation, ADoorTheTableRefusesLeavesNoHalfBehind)
{
    GiveArea("MonsterGrunt", 0.0f);
    for (int32_t i = 0; i < GameServices::kMaxEntities - 1; ++i)
        Spawn(10.0f + static_cast<float>(i % 40) * 90.0f, 10.0f + static_cast<float>(i / 40) * 90.0f);
    // One slot left: the door itself takes it and stays single.
    auto* door = dynamic_cast<Door*>(Place("ObjectGreatDoor", 20, 20, 4));
    ASSERT_NE(door, nullptr);
    EXPECT_TRUE(door->IsPrimary());
    EXPECT_EQ(door->GetPartner(), nullptr);
    EXPECT_EQ(All<Door>().size(), 1u);
    // None left: nothing at all.
    game->RemoveEntity(door);
    delete door;
    Spawn(3000.0f, 3000.0f);
    EXPECT_EQ(Place("ObjectGreatDoor", 22, 20, 4), nullptr);
    EXPECT_TRUE(All<Door>().empty());
}

TEST_F(LevelPopulation, ThePiecesDoorsStandWholeAndTheirCollectingChestTakesTheLaidCoins)
{
    // Within reach of the chest one coin comes after it in tile order and one before it (a
    // piece counts its rows from the bottom); one lies out of reach; the door faces south.
    LayPiece("2 2 1 4\n3 2 2 0\n1 3 2 0\n2 6 2 0\n5 4 0 4\n");
    AddPlayer(3000.0f, 3000.0f);
    ASSERT_TRUE(Filler().PopulateLevel(0));
    std::vector<Chest*> chests = All<Chest>();
    ASSERT_EQ(chests.size(), 1u);
    std::vector<std::string> stored;
    for (const DatabaseEntry* record : chests[0]->GetStoredRecords())
        stored.emplace_back(record->GetName());
    EXPECT_EQ(stored, (std::vector<std::string>{"ObjectCoins", "ObjectCoins"}));
    std::vector<ItemGround*> left = All<ItemGround>();
    ASSERT_EQ(left.size(), 1u);
    // Row 6 of the piece is the level's tile row 1.
    EXPECT_FLOAT_EQ(left[0]->position.y, 1 * 64.0f + 32.0f);
    std::vector<Door*> doors = All<Door>();
    ASSERT_EQ(doors.size(), 2u);
    Door* first = doors[0]->IsPrimary() ? doors[0] : doors[1];
    EXPECT_EQ(first->GetPartner(), first == doors[0] ? doors[1] : doors[0]);
    EXPECT_FLOAT_EQ(first->GetPartner()->position.x, first->position.x + 64.0f);
    EXPECT_EQ(first->GetPartner()->position.level, 0);
    EXPECT_NE(first->GetTrap(), nullptr);
}

TEST_F(LevelPopulation, UnknownKindsAndMissingRecordsMakeNothing)
{
    EXPECT_EQ(Place("ObjectOddity", 2, 2), nullptr);
    EXPECT_EQ(LevelFiller::GetObjectKind(*database.FindEntryByName("ObjectOddity")), LevelObjectKind::Normal);
    EXPECT_EQ(Place("NoSuchRecord", 2, 2), nullptr);
    EXPECT_EQ(Filler().PlaceLevelObject(0, 2, 2, database.FindEntryByName("ObjectTree"), "", 0), nullptr);
    EXPECT_EQ(game->CountEntities(), 0);
}

TEST_F(LevelPopulation, AnItemBesideASentientIsNotLaid)
{
    Spawn<Sentient>(4 * 64.0f + 32.0f + 250.0f, 4 * 64.0f + 32.0f);
    EXPECT_EQ(Place("ObjectCoins", 4, 4), nullptr);
    Entity* far = Place("ObjectCoins", 40, 40);
    ASSERT_NE(far, nullptr);
    EXPECT_TRUE(far->IsGroundItem());
    EXPECT_EQ(far->spawnTag, 40 * gameData.GetTuning().levelTileWidth + 40);
    // Laid for good: it never times out.
    EXPECT_FALSE(dynamic_cast<ItemGround*>(far)->timeOnGround > 0.0f);
}

TEST_F(LevelPopulation, MonsterObjectsAtTheirOwnLevelJoinTheLevelsList)
{
    GiveArea("MonsterGrunt", 1.0f);
    ASSERT_FALSE(row.world.IsMonsterTypeListed(0, Type("MonsterStatue")));
    Entity* statue = Place("MonsterStatue", 10, 10);
    auto* actor = dynamic_cast<Actor*>(statue);
    ASSERT_NE(actor, nullptr);
    EXPECT_EQ(actor->stats.Get(CharacterStat::Level), 4);
    EXPECT_EQ(actor->GetMonsterType(), Type("MonsterStatue"));
    EXPECT_TRUE(row.world.IsMonsterTypeListed(0, Type("MonsterStatue")));
}

TEST_F(LevelPopulation, RestoreRefusesHostilePlaces)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    EXPECT_EQ(Filler().RestoreLevelObject(At(nan, 100.0f), 0, "models/props/tree.mdl"), nullptr);
    EXPECT_EQ(Filler().RestoreLevelObject(At(100.0f, 1e30f), 0, "models/props/tree.mdl"), nullptr);
    EXPECT_EQ(Filler().RestoreLevelObject(At(-5.0f, 100.0f), 0, "models/props/tree.mdl"), nullptr);
    EXPECT_EQ(Filler().RestoreLevelObject(At(100.0f, 100.0f, -1), 0, "models/props/tree.mdl"), nullptr);
    EXPECT_EQ(Filler().RestoreLevelObject(At(100.0f, 100.0f, 3), 0, "models/props/tree.mdl"), nullptr);
    EXPECT_EQ(Filler().RestoreLevelObject(At(100.0f, 100.0f), 0, "models/props/unknown.mdl"), nullptr);
    EXPECT_EQ(game->CountEntities(), 0);
    Entity* tree = Filler().RestoreLevelObject(At(200.0f, 330.0f, 1), 2, "MODELS/PROPS/TREE.MDL");
    ASSERT_NE(tree, nullptr);
    EXPECT_EQ(tree->position.level, 1);
    EXPECT_FLOAT_EQ(tree->position.x, 3 * 64.0f + 32.0f);
    EXPECT_FLOAT_EQ(tree->position.y, 5 * 64.0f + 32.0f);
    EXPECT_EQ(tree->facing, 2);
}

TEST_F(LevelPopulation, RandomPointsLieOnTheLevelInCellMiddles)
{
    for (int i = 0; i < 200; ++i) {
        WorldPos point = Filler().RandomPointInLevel(1);
        ASSERT_EQ(point.level, 1);
        EXPECT_GE(point.x, 0.0f);
        EXPECT_LT(point.x, RowWorld::kLevelSize);
        EXPECT_FLOAT_EQ(std::fmod(point.x, 32.0f), 16.0f);
    }
    EXPECT_EQ(Filler().RandomPointInLevel(9).level, -1);
}

TEST_F(LevelPopulation, GatesTakeTheirKindFromTheTeleportFlags)
{
    AreaDefinition& area = GiveArea("MonsterGrunt", 0.0f);
    area.levels.push_back(row.world.GetLevel(0));
    area.downGateName = "Stair";
    auto* plain = dynamic_cast<Gate*>(Place("ObjectPassage", 2, 2));
    auto* start = dynamic_cast<Gate*>(Place("ObjectPassageStart", 4, 2));
    auto* end = dynamic_cast<Gate*>(Place("ObjectPassageEnd", 6, 2));
    ASSERT_TRUE(plain && start && end);
    EXPECT_EQ(plain->kind, GateKind::Depth);
    EXPECT_EQ(start->kind, GateKind::Named);  // both flags: the start wins
    EXPECT_EQ(end->kind, GateKind::NamedTarget);
    // The way down is named by its area, and a named gate keeps its record's name.
    EXPECT_EQ(plain->gateName, "Stair");
    EXPECT_EQ(start->gateName, "");
    // A model names its record; one naming no record, or no model, finds none.
    EXPECT_EQ(Filler().FindObjectRecord("Models/Props/Gate.mdl"), database.FindEntryByName("ObjectPassage"));
    EXPECT_EQ(Filler().FindObjectRecord("models/props/mill.mdl"), nullptr);
    EXPECT_EQ(Filler().FindObjectRecord(""), nullptr);
}

TEST_F(LevelPopulation, PlatesTakeTheLevelsMonsterLevelAndTriggersStandReady)
{
    GiveArea("MonsterGrunt", 1.0f);
    row.world.GetLevel(0)->monsterLevel = 9;
    auto* plate = dynamic_cast<TrapGround*>(Place("ObjectPlate", 12, 12));
    ASSERT_NE(plate, nullptr);
    EXPECT_EQ(plate->GetStat(TrapGround::kLevelStat), 9);
    EXPECT_NE(plate->GetTrap(), nullptr);
    auto* lever = dynamic_cast<Trigger*>(Place("ObjectLever", 14, 12));
    ASSERT_NE(lever, nullptr);
    EXPECT_FALSE(lever->IsTriggered());
    EXPECT_EQ(lever->spawnTag, 12 * gameData.GetTuning().levelTileWidth + 14);
}

TEST_F(LevelPopulation, AFullTableDeletesTheObjectAndGivesNothing)
{
    for (int32_t i = 0; i < GameServices::kMaxEntities; ++i)
        Spawn(10.0f + static_cast<float>(i % 40) * 90.0f, 10.0f + static_cast<float>(i / 40) * 90.0f);
    EXPECT_EQ(Place("ObjectTree", 3, 3), nullptr);
    EXPECT_EQ(Place("ObjectPassage", 3, 3), nullptr);
    EXPECT_EQ(game->CountEntities(), GameServices::kMaxEntities);
}

TEST_F(LevelPopulation, TheGamesTrapPicksComeFromTheTrapTable)
{
    EXPECT_EQ(game->PickTrapRecord(5), database.FindEntryByName("TrapPlate"));
    EXPECT_EQ(game->PickTrapRecord(80), nullptr);
}

TEST_F(LevelPopulation, ChestsOfTheAreaAtADropLevelNearTheirLevel)
{
    EXPECT_EQ(Filler().SpawnChestAt(At(600.0f, 600.0f)), nullptr);  // no area: no chest record
    AreaDefinition& area = GiveArea("MonsterGrunt", 1.0f);
    area.chestKinds.push_back({1.0f, database.FindEntryByName("ObjectCoffer")});
    area.chestKindTotal = 1.0f;
    for (int i = 0; i < 20; ++i) {
        auto* chest = dynamic_cast<Chest*>(Filler().SpawnChestAt(At(600.0f + 90.0f * i, 600.0f)));
        ASSERT_NE(chest, nullptr);
        // Level 12 with the record's drop spread: 12 - 3 .. 12 (nothing above).
        EXPECT_GE(chest->level, 9);
        EXPECT_LE(chest->level, 12);
        EXPECT_EQ(game->GetEntity(chest->entityNumber), chest);
    }
    std::unique_ptr<Chest> given(Filler().CreateChest(database.FindEntryByName("ObjectCoffer"), 2, 7));
    ASSERT_NE(given, nullptr);
    EXPECT_EQ(given->level, 7);
    EXPECT_EQ(given->entityNumber, -1);
}
