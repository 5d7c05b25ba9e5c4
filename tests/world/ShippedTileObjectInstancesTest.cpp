// ShippedTileObjectInstancesTest -- the props of every shipped level stand at the same facing and scale in any world, any order of asking and any process.
#include "world/LevelCells.h"

#include "core/Database.h"
#include "core/RandomSystem.h"
#include "resources/models/ModelResourceTypes.h"
#include "resources/shaders/ShaderWorld.h"
#include "rules/GameData.h"
#include "support/ShippedGame.h"
#include "world/Level.h"
#include "world/LevelData.h"
#include "world/LevelGenerator.h"
#include "world/World.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <memory>
#include <string>

namespace {

// A child run of this binary writes its hash here when the variable names a file.
constexpr const char* kInstanceHashFileVar = "EMBERLODE_TILE_INSTANCE_HASH_FILE";
constexpr uint32_t kInstanceLayoutSeeds[] = {11, 4242, 90001};

// Order-blind: each prop's record is hashed alone and the hashes summed, so levels and tiles
// may be asked in any order.
struct InstanceSurvey {
    uint64_t hash = 0;
    int32_t props = 0;
    int32_t drawn = 0;  // props whose model draws a scale

    void Add(std::initializer_list<uint32_t> values)
    {
        uint64_t one = 1469598103934665603ull;
        for (uint32_t value : values)
            for (int i = 0; i < 4; ++i) {
                one ^= (value >> (8 * i)) & 0xFFu;
                one *= 1099511628211ull;
            }
        hash += one;
    }
};

class ShippedTileObjectInstances : public ShaderWorld {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(LinkShippedGame(folder.Path())) << "EMBERLODE_GAME_DIR not set";
        ASSERT_TRUE(files.MountArchive("assets001.zip")) << "the build writes game/assets001.zip";
        gDatabase = &database;
        gGameData = &gameData;
        gRandomSystem = &random;
        World::RegisterResourceTypes();
        RegisterModelResourceTypes(*manager, [this] {
            return ModelGrid{gameData.GetTuning().tileSize, gameData.GetTuning().cellsPerTile};
        });
        database.Load();
        gameData.Load(database);
        StartShaders();
    }

    void TearDown() override
    {
        gRandomSystem = nullptr;
        gGameData = nullptr;
        gDatabase = nullptr;
        ShaderWorld::TearDown();
    }

    // A fresh world of the shipped adventure at each seed; its levels are generated, every tile
    // asked and the level let go, levels and tiles forwards or backwards, with a draw of the
    // shared stream before each ask.
    InstanceSurvey Survey(bool backwards)
    {
        InstanceSurvey survey;
        for (uint32_t seed : kInstanceLayoutSeeds) {
            auto world = std::make_unique<World>();
            gWorld = world.get();
            world->Create();
            world->SetLayoutSeed(seed);
            world->SetSecretSeed(seed + 1);
            EXPECT_TRUE(world->ReadFromDatabase("World", 1));
            world->CreateSecretLevels();
            const int32_t levels = world->GetLevelCount();
            for (int32_t i = 0; i < levels; ++i)
                SurveyLevel(*world->GetLevel(backwards ? levels - 1 - i : i), backwards, survey);
            world->Destroy();
            gWorld = nullptr;
        }
        return survey;
    }

    void SurveyLevel(Level& level, bool backwards, InstanceSurvey& survey)
    {
        LevelGenerator::AddReference(level, kLevelReferenceActive);
        LevelGenerator::EnsureGenerated(level);
        const LevelGeometry& g = level.data->geometry;
        const int32_t tiles = g.TileCount();
        for (int32_t i = 0; i < tiles; ++i) {
            int32_t tile = backwards ? tiles - 1 - i : i;
            random.Next(RandomStream::GameData);
            ResourceHandle model;
            TileObjectInstance instance;
            LevelCells::GetTileObjectInstance(level, tile % g.levelTileWidth, tile / g.levelTileWidth, model, instance);
            if (!instance.initialised)
                continue;
            uint32_t scaleBits = 0;
            std::memcpy(&scaleBits, &instance.scale, sizeof scaleBits);
            survey.Add({static_cast<uint32_t>(level.index), static_cast<uint32_t>(tile),
                        static_cast<uint32_t>(instance.facing), scaleBits});
            ++survey.props;
            survey.drawn += instance.scale != 1.0f;
        }
        LevelGenerator::DropAllReferences(level);
    }

    Database database;
    GameData gameData;
    RandomSystem random{0x7117};
};

TEST_F(ShippedTileObjectInstances, SameInTwoFreshWorlds)
{
    const InstanceSurvey forwards = Survey(false);
    random.Seed(0xBAD5EED);
    const InstanceSurvey backwards = Survey(true);
    EXPECT_GT(forwards.props, 1000);
    EXPECT_GT(forwards.drawn, 100);
    EXPECT_EQ(backwards.props, forwards.props);
    EXPECT_EQ(backwards.hash, forwards.hash);
    if (const char* file = std::getenv(kInstanceHashFileVar))
        std::ofstream(file) << forwards.hash << "\n";
}

// This binary, run again for the test above alone and after another suite that draws from the
// shared stream, writes the hash this process finds.
uint64_t InstanceHashOfAChildRun(const std::string& filter, const std::string& hashFile)
{
    // Read here: in the shell's command line the link would name the shell.
    const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
    std::string command = std::string(kInstanceHashFileVar) + "='" + hashFile + "' '" + self + "' --gtest_filter='" +
                          filter + "' > /dev/null 2>&1";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    uint64_t hash = 0;
    std::ifstream(hashFile) >> hash;
    return hash;
}

TEST_F(ShippedTileObjectInstances, SameInOtherProcesses)
{
    const std::string alone = (folder.Path() / "alone.hash").string();
    const std::string after = (folder.Path() / "after.hash").string();
    uint64_t first = InstanceHashOfAChildRun("ShippedTileObjectInstances.SameInTwoFreshWorlds", alone);
    uint64_t second =
        InstanceHashOfAChildRun("LevelCellBits.*:ShippedTileObjectInstances.SameInTwoFreshWorlds", after);
    EXPECT_NE(first, 0u);
    EXPECT_EQ(second, first);
    random.Seed(31337);
    EXPECT_EQ(Survey(false).hash, first);
}

} // namespace
