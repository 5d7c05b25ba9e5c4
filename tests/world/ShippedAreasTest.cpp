// ShippedAreasTest -- the shipped adventure reads without a warning, the shipped area files fit every border, round-trip through the writer and survive hostile edits.
#include "world/AreaResource.h"

#include "core/FileBuffer.h"
#include "core/RandomSystem.h"
#include "core/TextParser.h"
#include "rules/ShippedRulesWorld.h"
#include "support/LogLines.h"
#include "world/AreaDefinition.h"
#include "world/AreaFileWriter.h"
#include "world/World.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

namespace {

class ShippedAreas : public ShippedRulesWorld {
protected:
    ShippedAreas()
    {
        game.files.MountAssetArchives();
        gRandomSystem = &random;
        gWorld = &world;
        world.Create();
    }
    ~ShippedAreas() override
    {
        world.Destroy();
        gWorld = nullptr;
        gRandomSystem = nullptr;
    }

    std::string Text(const std::string& path) const
    {
        FileBuffer file = gFileSystem->LoadWholeFile(path);
        EXPECT_TRUE(file.IsValid()) << path;
        return std::string(file.Text());
    }

    static std::unique_ptr<AreaResource> Parse(const std::string& text)
    {
        auto area = std::make_unique<AreaResource>(8, 8);
        TextParser parser(text.data(), text.size());
        area->Parse(parser);
        return area;
    }

    // Edges that blocks of the file show on a side.
    static std::set<int32_t> EdgesOnSide(const AreaResource& area, int32_t side)
    {
        std::set<int32_t> edges;
        for (int32_t b = 0; b < area.GetBlockCount(); ++b)
            edges.insert(area.GetEdge(b, side));
        return edges;
    }

    RandomSystem random{7};
    World world;
};

const char* const kShippedAreaFiles[] = {"Levels/grasslands.ara", "Levels/caves.ara", "Levels/crypt.ara"};

TEST_F(ShippedAreas, AdventureReadsWithoutAWarning)
{
    world.SetLayoutSeed(12345);
    world.SetSecretSeed(678);
    ASSERT_TRUE(world.ReadFromDatabase("World", 1));
    world.CreateSecretLevels();
    EXPECT_EQ(world.GetSelectedSize()->name, "Standard");
    EXPECT_EQ(world.GetSections().size(), 2u);
    EXPECT_EQ(world.GetTreasureLevel() - world.GetFirstSecretLevel(), 2);
    EXPECT_EQ(world.GetLevel(world.GetTreasureLevel())->area->name, "$$WenmarrsTreasure$$");
    std::set<int32_t> generators;
    for (int32_t i = 0; i < world.GetLevelCount(); ++i) {
        const Level& level = *world.GetLevel(i);
        ASSERT_NE(level.area, nullptr);
        EXPECT_TRUE(gFileSystem->FileExists(level.area->areaFileName)) << level.area->areaFileName;
        generators.insert(level.area->levelGenerator);
    }
    EXPECT_EQ(generators.size(), 3u);
    EXPECT_EQ(CountLinesHolding(game.debug, "^c005"), 0);
    EXPECT_EQ(CountLinesHolding(game.debug, "^c001"), 0);
}

TEST_F(ShippedAreas, GrasslandsFitEveryBorderTheGridAsksFor)
{
    auto area = Parse(Text("Levels/grasslands.ara"));
    ASSERT_GT(area->GetBlockCount(), 0);
    // Rows fill from the bottom, each from the left: below and left hold a placed block's edge
    // or the level border; above and right are still empty or the border. Two borders on
    // opposite sides never meet, and openings never lie in a corner, so one exit at most.
    const int32_t closed = EdgeRequirement::kClosedLevelBorder;
    const int32_t exit = EdgeRequirement::kLevelExit;
    // A block below or to the left stands inside the level: its facing edge is no border type.
    std::set<int32_t> below;
    std::set<int32_t> left;
    for (int32_t edge : EdgesOnSide(*area, 0))
        if (area->EdgeFits(edge, EdgeRequirement::kNoNeighbourYet))
            below.insert(edge);
    for (int32_t edge : EdgesOnSide(*area, 2))
        if (area->EdgeFits(edge, EdgeRequirement::kNoNeighbourYet))
            left.insert(edge);
    below.insert({closed, exit});
    left.insert({closed, exit});
    std::vector<int32_t> open{closed, exit, EdgeRequirement::kNoNeighbourYet};
    int checked = 0;
    for (int32_t down : below)
        for (int32_t l : left)
            for (int32_t right : open)
                for (int32_t up : open) {
                    bool downBorder = down < 0;
                    bool leftBorder = l < 0;
                    if ((downBorder && up < -1) || (leftBorder && right < -1))
                        continue;
                    int exits = (down == exit) + (l == exit) + (right == exit) + (up == exit);
                    if (exits > 1)
                        continue;
                    std::vector<int32_t> uses;
                    EXPECT_NE(area->ChooseBlock({up, l, right, down}, uses), -1)
                        << "up " << up << " left " << l << " right " << right << " down " << down;
                    ++checked;
                }
    EXPECT_GT(checked, 30);
}

TEST_F(ShippedAreas, UndergroundFilesHaveEveryShapeAndFitEveryRequirement)
{
    for (const char* file : {"Levels/caves.ara", "Levels/crypt.ara"}) {
        auto area = Parse(Text(file));
        const AreaEdgeRoles& roles = area->GetEdgeRoles();
        int32_t closedType = roles.Get(AreaEdgeRole::Closed);
        ASSERT_GE(closedType, 0) << file;
        int shapes[5] = {};
        for (int32_t b = 0; b < area->GetBlockCount(); ++b) {
            int open = 0;
            for (int32_t side = 0; side < 4; ++side)
                open += area->GetEdge(b, side) != closedType;
            ++shapes[open];
        }
        EXPECT_EQ(shapes[0], 1) << file;  // the one all-closed block the closed retry needs
        EXPECT_GT(shapes[1], 0) << file;   // dead ends
        EXPECT_GT(shapes[2], 0) << file;   // corridors
        EXPECT_GT(shapes[3] + shapes[4], 0) << file;  // rooms
        std::vector<int32_t> uses;
        EXPECT_NE(area->ChooseBlock({closedType, closedType, closedType, closedType}, uses), -1);
        // Any mix of a neighbour's passage or rock, an empty neighbour, a closed border and
        // at most one exit.
        std::set<int32_t> kinds = EdgesOnSide(*area, 0);
        kinds.insert({EdgeRequirement::kNoNeighbourYet, EdgeRequirement::kClosedLevelBorder});
        kinds.erase(roles.Get(AreaEdgeRole::LevelBottleneck));
        for (int32_t a : kinds)
            for (int32_t b : kinds)
                for (int32_t c : kinds)
                    for (int32_t d : kinds) {
                        for (int32_t exitSide = -1; exitSide < 4; ++exitSide) {
                            std::array<int32_t, 4> wanted{a, b, c, d};
                            if (exitSide >= 0)
                                wanted[static_cast<size_t>(exitSide)] = EdgeRequirement::kLevelExit;
                            EXPECT_NE(area->ChooseBlock(wanted, uses), -1) << file;
                        }
                    }
    }
}

TEST_F(ShippedAreas, ShippedFilesParseCleanlyAndRoundTrip)
{
    for (const char* file : kShippedAreaFiles) {
        auto area = Parse(Text(file));
        EXPECT_EQ(area->GetParseFaults(), 0) << file;
        // A texture the file names but the generator never made is drawn as nothing.
        for (const AreaTileTexture& tile : area->GetTileTextures())
            EXPECT_TRUE(gFileSystem->FileExists(tile.name)) << file << ": " << tile.name;
        std::string written = WriteAreaFile(*area);
        EXPECT_EQ(WriteAreaFile(*Parse(written)), written) << file;
        EXPECT_EQ(Parse(written)->GetBlockCount(), area->GetBlockCount());
    }
}

// Whatever the bytes, the parse ends with bounded lists and every accessor stays in bounds.
void ProbeHostileArea(const std::string& bytes)
{
    auto area = std::make_unique<AreaResource>(8, 8);
    TextParser parser(bytes.data(), bytes.size());
    area->Parse(parser);
    ASSERT_LE(area->GetBlockCount(), AreaResource::kMaxBlocks);
    ASSERT_LE(area->GetTileTextures().size(), static_cast<size_t>(AreaResource::kMaxNamedTypes));
    ResourceHandle model;
    int32_t value = 0;
    for (int32_t b = -1; b <= area->GetBlockCount(); ++b) {
        for (int32_t x = -1; x <= 8; x += 3)
            area->GetTileObject(b, x, x, model, value);
        area->GetTileTexture(b, 0, 0);
        area->IsSideOpen(b, 2);
    }
    std::vector<int32_t> uses;
    area->ChooseBlock({-1, -3, -4, 0}, uses);
    WriteAreaFile(*area);
}

TEST_F(ShippedAreas, HostileCutsFlipsAndCountsNeverBreakTheParser)
{
    std::string text = Text("Levels/crypt.ara");
    ASSERT_FALSE(text.empty());
    // Every cut of the header and the first blocks, then every 7th byte to the end.
    for (size_t cut = 0; cut < text.size(); cut += cut < 2048 ? 1 : 7)
        ProbeHostileArea(text.substr(0, cut));
    uint32_t state = 99;
    for (int flip = 0; flip < 3000; ++flip) {
        state = state * 1103515245u + 12345u;
        std::string flipped = text;
        flipped[(state >> 8) % flipped.size()] ^= static_cast<char>(1 << ((state >> 4) % 8));
        ProbeHostileArea(flipped);
    }
    for (const char* count : {"2147483647", "-2147483648", "-1", "99999999999999", "4097"}) {
        ProbeHostileArea(std::string(count) + "\n" + count + "\n" + count + "\nblock b " + count + " " + count +
                         " " + count + "\n{\n" + count + "\n}\n");
        ProbeHostileArea(std::string("0\n0\n0\nblock b\n{\n") + "0 0 0 0 0 0 0 0\n" + count + " " + count + " " +
                         count + " " + count + "\n" + count + " " + count + " " + count + " " + count + "\n}\n");
    }
}

} // namespace
