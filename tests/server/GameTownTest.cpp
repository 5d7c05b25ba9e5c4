// GameTownTest -- the town's NPC slots: one NPC per named type at its spot, vendors for vendor records, the living ones counted and drawn; monsters sent into unused blocks.
#include "spawn/SpawnWorld.h"

#include "core/Database.h"
#include "core/TextParser.h"
#include "entities/Chest.h"
#include "entities/Player.h"
#include "entities/StatusEffect.h"
#include "entities/Vendor.h"
#include "rules/RulesEnums.h"
#include "world/AreaResource.h"
#include "world/Level.h"
#include "world/LevelData.h"
#include "world/LevelQueries.h"

#include <cmath>
#include <map>
#include <memory>
#include <string>
#include <vector>

class GameTown : public SpawnWorld {
protected:
    GameTown() { LoadSpawn(); }

    static bool HasEffect(const Actor& actor, std::string_view name)
    {
        for (const auto& effect : actor.GetStatusEffects())
            if (effect && effect->GetEntry() && effect->GetEntry()->GetName() == name)
                return true;
        return false;
    }
};

TEST_F(GameTown, EveryNamedTypeGetsASlotAndItsNpcAtItsSpot)
{
    game->CreateTownNpcs();
    ASSERT_EQ(game->GetTownNpcSlotCount(), 3);
    EXPECT_EQ(game->GetTownNpcType(0), NpcType::Warmaster);
    EXPECT_EQ(game->GetTownNpcType(2), NpcType::Tutor);
    EXPECT_EQ(game->GetTownNpcType(3), NpcType::None);
    EXPECT_EQ(game->FindTownNpcSlot(NpcType::VendorBasic), 1);
    EXPECT_EQ(game->FindTownNpcSlot(NpcType::Gambler), -1);

    auto* warmaster = dynamic_cast<Actor*>(game->GetTownNpc(NpcType::Warmaster));
    ASSERT_NE(warmaster, nullptr);
    EXPECT_EQ(dynamic_cast<Vendor*>(warmaster), nullptr);
    EXPECT_EQ(warmaster->position.level, 0);
    EXPECT_LE(warmaster->position.Distance2D(At(500.0f, 500.0f)), 4 * 64.0f);
    EXPECT_EQ(warmaster->facing, 3);
    EXPECT_EQ(warmaster->stats.Get(CharacterStat::Level), 3);
    EXPECT_TRUE(HasEffect(*warmaster, "EnhancementTownNpc"));
    EXPECT_EQ(game->GetEntity(warmaster->entityNumber), warmaster);

    EXPECT_NE(dynamic_cast<Vendor*>(game->GetTownNpc(NpcType::VendorBasic)), nullptr);
    // No monster type and no spot for the tutor: its slot stays empty.
    EXPECT_EQ(game->GetTownNpc(NpcType::Tutor), nullptr);
}

TEST_F(GameTown, AJoiningPlayerRaisesTheTownNpcsBelowItsLevelKeepingTheirShareOfHealth)
{
    game->CreateTownNpcs();
    auto* warmaster = dynamic_cast<Sentient*>(game->GetTownNpc(NpcType::Warmaster));
    auto* vendor = dynamic_cast<Sentient*>(game->GetTownNpc(NpcType::VendorBasic));
    ASSERT_NE(warmaster, nullptr);
    ASSERT_NE(vendor, nullptr);
    int32_t vendorLevel = vendor->stats.Get(CharacterStat::Level);
    warmaster->health = warmaster->maxHealth / 3;
    double share = static_cast<double>(warmaster->health) / warmaster->maxHealth;
    Player::RegisterEventClass(events, types);
    auto* player = Spawn<Player>(100.0f, 100.0f);
    player->stats.Set(CharacterStat::Level, 2);
    game->OnPlayerJoined(*player);
    EXPECT_EQ(warmaster->stats.Get(CharacterStat::Level), 3) << "an NPC above the player stays";

    player->stats.Set(CharacterStat::Level, vendorLevel + 4);
    int32_t before = warmaster->maxHealth;
    game->OnPlayerJoined(*player);
    EXPECT_EQ(warmaster->stats.Get(CharacterStat::Level), vendorLevel + 4 > 3 ? vendorLevel + 4 : 3);
    EXPECT_EQ(vendor->stats.Get(CharacterStat::Level), vendorLevel + 4);
    EXPECT_GT(warmaster->maxHealth, before);
    EXPECT_EQ(warmaster->health, static_cast<int32_t>(std::ceil(share * warmaster->maxHealth)))
        << "not healed to full by the levels";
    EXPECT_EQ(vendor->health, vendor->maxHealth);
    // A level past the cap stops at the cap.
    player->stats.Set(CharacterStat::Level, 1000);
    game->OnPlayerJoined(*player);
    EXPECT_EQ(vendor->stats.Get(CharacterStat::Level), Sentient::kMaxLevel);
}

TEST_F(GameTown, LivingNpcsAreCountedAndDrawnEvenly)
{
    game->CreateTownNpcs();
    EXPECT_EQ(game->CountLivingTownNpcs(), 2);
    std::map<Entity*, int> draws;
    for (int i = 0; i < 2000; ++i)
        ++draws[game->PickLivingTownNpc()];
    ASSERT_EQ(draws.size(), 2u);
    for (const auto& [npc, count] : draws)
        EXPECT_NEAR(count, 1000, 120);
    game->GetTownNpc(NpcType::Warmaster)->health = 0;
    EXPECT_EQ(game->CountLivingTownNpcs(), 1);
    for (int i = 0; i < 20; ++i)
        EXPECT_EQ(game->PickLivingTownNpc(), game->GetTownNpc(NpcType::VendorBasic));
    game->GetTownNpc(NpcType::VendorBasic)->health = 0;
    EXPECT_EQ(game->PickLivingTownNpc(), nullptr);
}

TEST_F(GameTown, ANewWorldForgetsTheSlotsAndTheirNpcs)
{
    game->CreateTownNpcs();
    game->Reset();
    EXPECT_EQ(game->GetTownNpcSlotCount(), 0);
    EXPECT_EQ(game->GetTownNpc(NpcType::Warmaster), nullptr);
    EXPECT_EQ(game->CountLivingTownNpcs(), 0);
}

TEST_F(GameTown, TheNamedActorsAreTheTownNpcsSlotForSlot)
{
    game->CreateTownNpcs();
    ASSERT_EQ(game->CountNamedActors(), 3);
    EXPECT_EQ(static_cast<Entity*>(game->GetNamedActor(0)), game->GetTownNpc(NpcType::Warmaster));
    EXPECT_EQ(static_cast<Entity*>(game->GetNamedActor(1)), game->GetTownNpc(NpcType::VendorBasic));
    EXPECT_EQ(game->GetNamedActor(2), nullptr) << "the tutor's empty slot is an empty entry";
    // A slot made again names its new NPC; the list is made anew, never added to.
    Entity* old = game->GetTownNpc(NpcType::Warmaster);
    game->RemoveEntity(old);
    delete old;
    game->CreateTownNpc(0);
    ASSERT_NE(game->GetTownNpc(NpcType::Warmaster), nullptr);
    EXPECT_EQ(static_cast<Entity*>(game->GetNamedActor(0)), game->GetTownNpc(NpcType::Warmaster));
    game->CreateTownNpcs();
    EXPECT_EQ(game->CountNamedActors(), 3);
    EXPECT_EQ(static_cast<Entity*>(game->GetNamedActor(1)), game->GetTownNpc(NpcType::VendorBasic));
}

TEST_F(GameTown, MonstersGoToAnUnusedBlockWrittenBackForTheNextCall)
{
    const GameSystemTuning& tuning = gameData.GetTuning();
    int32_t block = -1;
    Actor* first = game->SpawnMonsterInRandomFreeBlock(0, block, Type("MonsterGrunt"), 8);
    ASSERT_NE(first, nullptr);
    ASSERT_GE(block, 0);
    EXPECT_EQ(first->stats.Get(CharacterStat::Level), 8);
    // The chosen block is written back and used again.
    int32_t again = block;
    Actor* second = game->SpawnMonsterInRandomFreeBlock(0, again, Type("MonsterGrunt"), 8);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(again, block);
    int32_t bx = block % tuning.blocksPerRow;
    int32_t by = block / tuning.blocksPerRow;
    EXPECT_GE(second->position.x, bx * tuning.blockWidth - 4 * 64.0f);
    EXPECT_LE(second->position.y, (by + 1) * tuning.blockHeight + 4 * 64.0f);
    int32_t none = -1;
    EXPECT_EQ(game->SpawnMonsterInRandomFreeBlock(-1, none, Type("MonsterGrunt"), 8), nullptr);
    EXPECT_EQ(game->SpawnMonsterInRandomFreeBlock(9, none, Type("MonsterGrunt"), 8), nullptr);
}

// ---- Bonus chests ---------------------------------------------------------------------------------

namespace {

constexpr const char* kGameTownBonusTuning = R"(    BonusChestGoodDepth 4
    BonusChestGreatDepth 8
    BonusChestNormalName BonusPlain
    BonusChestDecentName BonusDecent
    BonusChestGoodName BonusGood
    BonusChestGreatName BonusGreat
    BonusChestRings 2
)";

constexpr const char* kGameTownBonusRecords = R"(
BonusPlain
{
    Type Chest
    ObjectType Chest
    Radius 20
    Solid 1
}
BonusDecent
{
    Type Chest
    Base BonusPlain
}
BonusGood
{
    Type Chest
    Base BonusPlain
}
BonusGreat
{
    Type Chest
    Base BonusPlain
}
AreaPlainField
{
    Type Area
}
AreaCellar
{
    Type Area
    DecentBonusChest 1
}
AreaHoard
{
    Type Area
    NoBonusChest 1
}
)";

} // namespace

class GameBonusChest : public SpawnWorld {
protected:
    GameBonusChest()
    {
        std::string base = kSpawnBaseRecords;
        base.insert(base.find("    NpcType Warmaster"), kGameTownBonusTuning);
        LoadRecords(base + kGameTownBonusRecords + kSpawnRecord);
        spawn.Load();
        gSpawnSystem = &spawn;
        // One open floor block, laid wherever a level places blocks.
        std::string text = "1 Textures/floor.tga\n1 closed\n0\nblock Open\n{\n";
        for (int32_t tile = 0; tile < 64; ++tile)
            text += "0 ";
        text += "\n0 0 0 0\n}\n";
        piece = std::make_unique<AreaResource>(8, 8);
        TextParser parser(text.data(), text.size());
        piece->Parse(parser);
    }

    ~GameBonusChest() override
    {
        for (int32_t i = 0; i < row.world.GetLevelCount(); ++i)
            row.world.GetLevel(i)->data.reset();
    }

    // The level generated with the open block at the reachable grid indices, the rest empty;
    // its area has the record and its monsters the depth.
    void LayLevel(int32_t index, const std::vector<int32_t>& blocks, const char* areaRecord, int32_t depth)
    {
        Level& level = *row.world.GetLevel(index);
        level.data = std::make_unique<LevelData>(LevelGeometry::Current());
        level.data->generated = true;
        level.data->boundArea = piece.get();
        level.data->blockGrid.assign(static_cast<size_t>(level.data->geometry.BlockCount()), -1);
        level.data->visited.assign(static_cast<size_t>(level.data->geometry.BlockCount()), false);
        for (int32_t block : blocks) {
            level.data->blockGrid[static_cast<size_t>(block)] = 0;
            level.data->visited[static_cast<size_t>(block)] = true;
        }
        AreaDefinition& area = GiveArea("MonsterGrunt", 0.0f, index);
        area.record = database.FindEntryByName(areaRecord);
        level.monsterLevel = depth;
    }

    // The name of the bonus chest laid on a freshly laid level 1 of the area at the depth;
    // empty when none is laid.
    std::string ChestFor(const char* areaRecord, int32_t depth)
    {
        game->ResetLevels();
        LayLevel(1, {9}, areaRecord, depth);
        auto* chest = dynamic_cast<Chest*>(game->SpawnBlockChest(1));
        return chest ? std::string(chest->GetEntry()->GetName()) : std::string();
    }

    int32_t CountChests() const
    {
        int32_t count = 0;
        for (int32_t number = 0; number < GameServices::kMaxEntities; ++number)
            count += dynamic_cast<const Chest*>(game->GetEntity(number)) != nullptr;
        return count;
    }

    std::unique_ptr<AreaResource> piece;
};

TEST_F(GameBonusChest, TheRecordFollowsTheLevelsDepthAndTheAreasFlags)
{
    EXPECT_EQ(ChestFor("AreaPlainField", 1), "BonusPlain");
    EXPECT_EQ(ChestFor("AreaPlainField", 3), "BonusPlain");
    EXPECT_EQ(ChestFor("AreaCellar", 3), "BonusDecent");
    EXPECT_EQ(ChestFor("AreaPlainField", 4), "BonusGood");
    EXPECT_EQ(ChestFor("AreaCellar", 7), "BonusGood") << "the decent chest only stands in for the plain one";
    EXPECT_EQ(ChestFor("AreaPlainField", 8), "BonusGreat");
    EXPECT_EQ(ChestFor("AreaHoard", 8), "");
    EXPECT_EQ(ChestFor("NoSuchArea", 8), "") << "an area without a record has none";
}

TEST_F(GameBonusChest, OneChestALevelInAReachableBlockNeverInTown)
{
    LayLevel(0, {9}, "AreaPlainField", 5);
    EXPECT_EQ(game->SpawnBlockChest(0), nullptr) << "the town has none";
    // Blocks 3 and 20 placed, 3 cut off from the rest.
    LayLevel(1, {3, 20}, "AreaPlainField", 5);
    row.world.GetLevel(1)->data->visited[3] = false;
    Entity* chest = game->SpawnBlockChest(1);
    ASSERT_NE(chest, nullptr);
    EXPECT_EQ(game->GetEntity(chest->entityNumber), chest);
    EXPECT_EQ(chest->position.level, 1);
    EXPECT_EQ(LevelQueries::WorldToBlock(*row.world.GetLevel(1), chest->position.x, chest->position.y), 20);
    EXPECT_EQ(game->SpawnBlockChest(1), nullptr) << "once a world";
    EXPECT_EQ(CountChests(), 1);
    // No reachable block: none; nor for a level the world lacks.
    LayLevel(2, {}, "AreaPlainField", 5);
    EXPECT_EQ(game->SpawnBlockChest(2), nullptr);
    EXPECT_EQ(game->SpawnBlockChest(3), nullptr);
    EXPECT_EQ(game->SpawnBlockChest(-1), nullptr);
    EXPECT_EQ(CountChests(), 1);
    // A new world's level records forget the chest laid.
    game->ResetLevels();
    LayLevel(1, {3, 20}, "AreaPlainField", 5);
    EXPECT_NE(game->SpawnBlockChest(1), nullptr);
    EXPECT_EQ(CountChests(), 2);
}
