// AreaFileTest -- the area file grammar, its edge cases and mended faults, edge fitting, block choice and the writer's round trip.
#include "world/AreaResource.h"

#include "core/RandomSystem.h"
#include "core/TextParser.h"
#include "world/AreaFileWriter.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int32_t kAreaTestWidth = 4;
constexpr int32_t kAreaTestHeight = 8;

std::unique_ptr<AreaResource> AreaTestParse(const std::string& text, int32_t width = kAreaTestWidth,
                                        int32_t height = kAreaTestHeight)
{
    auto area = std::make_unique<AreaResource>(width, height);
    TextParser parser(text.data(), text.size());
    area->Parse(parser);
    return area;
}

// Two textures, the nine role words plus "lava", one model; blocks follow.
const std::string kAreaHeader = "2 grass.tga \"dark rock.tga\"\n"
                                "10 levelEdgeClosed levelEdgeOpen levelBottleneck closed door wall bottomOpen "
                                "leftOpen cornerOnly lava\n"
                                "1 Models/Props/crate.mdl\n";

std::string AreaTestBlockText(const std::string& head, const std::string& edges = "4 4 4 4", const std::string& objects = "")
{
    std::string text = "block " + head + "\n{\n";
    for (int32_t row = 0; row < kAreaTestHeight; ++row)
        text += "0 1 0 1\n";
    return text + edges + "\n" + objects + "}\n";
}

TEST(AreaFileParse, HeaderListsAndRoles)
{
    auto area = AreaTestParse(kAreaHeader);
    ASSERT_EQ(area->GetTileTextures().size(), 2u);
    EXPECT_EQ(area->GetTileTextures()[1].name, "dark rock.tga");
    EXPECT_EQ(area->GetEdgeTypeNames().size(), 10u);
    ASSERT_EQ(area->GetObjectTypes().size(), 1u);
    EXPECT_EQ(area->GetObjectTypes()[0].name, "Models/Props/crate.mdl");
    EXPECT_EQ(area->GetEdgeRoles().Get(AreaEdgeRole::CornerOnly), 8);
    EXPECT_EQ(area->GetBlockCount(), 0);
}

TEST(AreaFileParse, OptionalValuesOnTheNameLine)
{
    auto area = AreaTestParse(kAreaHeader + AreaTestBlockText("Hall 2.5 9") + AreaTestBlockText("Alone") +
                          AreaTestBlockText("Full 0.5 6 3 1 1"));
    ASSERT_EQ(area->GetBlockCount(), 3);
    const AreaBlock& hall = *area->GetBlock(0);
    EXPECT_EQ(hall.name, "Hall");
    EXPECT_FLOAT_EQ(hall.weight, 2.5f);
    EXPECT_EQ(hall.edgeMask, 9);
    EXPECT_TRUE(area->IsSideOpen(0, 0));
    EXPECT_FALSE(area->IsSideOpen(0, 1));
    EXPECT_TRUE(area->IsSideOpen(0, 3));
    EXPECT_EQ(hall.maxUses, 0);
    EXPECT_FALSE(hall.forceMonsters);
    EXPECT_FALSE(hall.forceChests);
    const AreaBlock& alone = *area->GetBlock(1);
    EXPECT_FLOAT_EQ(alone.weight, 1.0f);
    EXPECT_EQ(alone.edgeMask, 15);
    const AreaBlock& full = *area->GetBlock(2);
    EXPECT_EQ(full.maxUses, 3);
    EXPECT_TRUE(full.forceMonsters);
    EXPECT_TRUE(full.forceChests);
}

TEST(AreaFileParse, TilesTopRowFirstAndObjectRowsFromTheTop)
{
    std::string text = kAreaHeader + "block Mixed\n{\n";
    for (int32_t row = 0; row < kAreaTestHeight; ++row)
        text += row == 0 ? "1 0 0 0\n" : "0 0 0 -1\n";
    text += "3 5 6 9\n3 0 0 1\n0 7 0 6\n}\n";
    auto area = AreaTestParse(text);
    ASSERT_EQ(area->GetBlockCount(), 1);
    const AreaBlock& block = *area->GetBlock(0);
    // The first row written is the top one: tile (0, 7).
    EXPECT_EQ(block.tiles[0], 1);
    EXPECT_EQ(block.tiles[static_cast<size_t>((kAreaTestHeight - 7 - 1) * kAreaTestWidth)], 1);
    EXPECT_EQ(block.tiles[static_cast<size_t>(kAreaTestWidth + 3)], -1);
    EXPECT_EQ(area->GetEdge(0, 0), 3);
    EXPECT_EQ(area->GetEdge(0, 3), 9);

    ResourceHandle model;
    int32_t value = -1;
    EXPECT_EQ(area->GetTileObject(0, 3, 7, model, value), 0);
    EXPECT_EQ(value, 1);
    EXPECT_EQ(area->GetTileObject(0, 0, 0, model, value), 0);
    EXPECT_EQ(value, 6);
    EXPECT_EQ(area->GetTileObject(0, 3, 6, model, value), -1);
    EXPECT_FALSE(model.IsValid());
}

TEST(AreaFileParse, MendedCountsIndicesFacingsAndWeights)
{
    std::string text = "2 a.tga b.tga\n1 door\n1 m.mdl\nblock Odd -3 15\n{\n";
    for (int32_t row = 0; row < kAreaTestHeight; ++row)
        text += "7 -2 1 x\n";
    text += "0 0 0 0\n1 0 5 2\n2 0 0 11\n9 0 0 0\n1 -1 0 0\n}\n";
    text += "block Nan nan\n{\n}\n";
    auto area = AreaTestParse(text);
    ASSERT_EQ(area->GetBlockCount(), 2);
    const AreaBlock& odd = *area->GetBlock(0);
    EXPECT_FLOAT_EQ(odd.weight, 0.0f);
    EXPECT_EQ(odd.tiles[0], -1);   // past the two textures
    EXPECT_EQ(odd.tiles[1], -1);   // negative
    EXPECT_EQ(odd.tiles[2], 1);
    EXPECT_EQ(odd.tiles[3], 0);    // not a number reads 0
    EXPECT_EQ(odd.cells[1].objectIndex, -1);  // object 5 of 1
    EXPECT_EQ(odd.cells[2].objectIndex, 0);
    EXPECT_EQ(odd.cells[2].objectValue, 4);   // facing 11
    EXPECT_FLOAT_EQ(area->GetBlock(1)->weight, 0.0f);

    auto huge = AreaTestParse("2147483647 a b\n-5 c\n99999999999 m\nblock B\n");
    EXPECT_EQ(huge->GetTileTextures().size(), 8u);  // every token that was left
    EXPECT_TRUE(huge->GetEdgeTypeNames().empty());
    EXPECT_EQ(huge->GetBlockCount(), 0);
}

TEST(AreaFileParse, BlockLimitAndEndInsideABlock)
{
    std::string text = "0\n0\n0\n";
    for (int32_t i = 0; i < AreaResource::kMaxBlocks + 3; ++i)
        text += "block b\n{\n0\n0 0 0 0\n}\n";
    auto many = AreaTestParse(text, 1, 1);
    EXPECT_EQ(many->GetBlockCount(), AreaResource::kMaxBlocks);

    auto cut = AreaTestParse(kAreaHeader + "block Cut 3\n{\n0 1");
    ASSERT_EQ(cut->GetBlockCount(), 1);
    EXPECT_FLOAT_EQ(cut->GetBlock(0)->weight, 3.0f);
    EXPECT_EQ(cut->GetBlock(0)->tiles[1], 1);
    EXPECT_EQ(cut->GetEdge(0, 2), 0);
}

TEST(AreaFileParse, OnlyTheExactKeywordStartsABlock)
{
    auto area = AreaTestParse(kAreaHeader + "Block Skipped\nBLOCK Also\n// block InComment\n" + AreaTestBlockText("Kept"));
    ASSERT_EQ(area->GetBlockCount(), 1);
    EXPECT_EQ(area->GetBlock(0)->name, "Kept");
}

TEST(AreaFileAccess, OutsideTheFileAnswersNothing)
{
    auto area = AreaTestParse(kAreaHeader + AreaTestBlockText("One"));
    ResourceHandle model;
    int32_t value = 77;
    for (int32_t block : {-1, 1, 1000}) {
        EXPECT_FALSE(area->GetTileTexture(block, 0, 0).IsValid());
        EXPECT_EQ(area->GetTileObject(block, 0, 0, model, value), -1);
        EXPECT_FALSE(area->IsSideOpen(block, 0));
        EXPECT_EQ(area->GetEdge(block, 0), -1);
        EXPECT_EQ(area->GetBlock(block), nullptr);
    }
    EXPECT_EQ(area->GetTileObject(0, kAreaTestWidth, 0, model, value), -1);
    EXPECT_EQ(area->GetTileObject(0, 0, -1, model, value), -1);
    EXPECT_FALSE(area->IsSideOpen(0, 4));
    EXPECT_EQ(area->GetEdge(0, -1), -1);
    EXPECT_FALSE(area->GetObjectTypeModel(-1).IsValid());
    EXPECT_FALSE(area->GetObjectTypeModel(1).IsValid());
    EXPECT_EQ(value, 77);
}

// Rows: requirement (the nine roles in order, then "lava"); columns: the edge, the same order.
TEST(AreaEdgeFitting, TheRoleTable)
{
    auto area = AreaTestParse(kAreaHeader);
    const char* expected[] = {
        "1000110000", "0100110000", "0010110000", "0001110000", "0001111111",
        "0001111111", "0000111010", "0000110110", "0000001100", "0000110001",
    };
    for (int32_t requirement = 0; requirement < 10; ++requirement) {
        std::string row;
        for (int32_t edge = 0; edge < 10; ++edge)
            row += area->EdgeFits(edge, requirement) ? '1' : '0';
        EXPECT_EQ(row, expected[requirement]) << "requirement " << requirement;
    }
}

TEST(AreaEdgeFitting, NegativeCodes)
{
    auto area = AreaTestParse(kAreaHeader);
    struct Row {
        int32_t code;
        const char* fits;
    };
    for (Row row : {Row{-1, "0001111111"}, Row{-2, "0100000000"}, Row{-3, "1001000000"}, Row{-4, "0010000000"}}) {
        std::string got;
        for (int32_t edge = 0; edge < 10; ++edge)
            got += area->EdgeFits(edge, row.code) ? '1' : '0';
        EXPECT_EQ(got, row.fits) << row.code;
    }
}

TEST(AreaEdgeFitting, MissingRolesMatchNothing)
{
    auto area = AreaTestParse("0\n3 levelEdgeClosed open door\n0\n");
    EXPECT_TRUE(area->EdgeFits(0, EdgeRequirement::kClosedLevelBorder));
    EXPECT_FALSE(area->EdgeFits(1, EdgeRequirement::kClosedLevelBorder));
    EXPECT_FALSE(area->EdgeFits(-1, EdgeRequirement::kClosedLevelBorder));
    EXPECT_FALSE(area->EdgeFits(-1, EdgeRequirement::kOpenLevelBorder));
    // "open" is no role: it fits itself and the door.
    EXPECT_TRUE(area->EdgeFits(1, 1));
    EXPECT_TRUE(area->EdgeFits(2, 1));
    EXPECT_FALSE(area->EdgeFits(0, 1));
}

TEST(AreaEdgeTypes, AddAndRemoveKeepRolesAndEdgesTrue)
{
    auto area = AreaTestParse("0\n3 wall lava door\n0\n" + AreaTestBlockText("B", "0 1 2 1"));
    EXPECT_EQ(area->GetEdgeRoles().Get(AreaEdgeRole::Door), 2);
    area->RemoveEdgeType("lava");
    EXPECT_EQ(area->GetEdgeTypeNames(), (std::vector<std::string>{"wall", "door"}));
    EXPECT_EQ(area->GetEdgeRoles().Get(AreaEdgeRole::Door), 1);
    EXPECT_EQ(area->GetEdge(0, 0), 0);
    EXPECT_EQ(area->GetEdge(0, 1), 0);
    EXPECT_EQ(area->GetEdge(0, 2), 1);
    area->AddEdgeType("cornerOnly");
    area->AddEdgeType("wall");
    EXPECT_EQ(area->GetEdgeTypeNames().size(), 3u);
    EXPECT_EQ(area->GetEdgeRoles().Get(AreaEdgeRole::CornerOnly), 2);
    EXPECT_EQ(area->FindEdgeType("door"), 1);
    EXPECT_EQ(area->FindEdgeType("missing"), -1);
}

class AreaChooseBlock : public ::testing::Test {
protected:
    AreaChooseBlock() { gRandomSystem = &random; }
    ~AreaChooseBlock() override { gRandomSystem = nullptr; }

    // The draw the next choice will make from stream 2.
    float NextDraw() const
    {
        RandomSystem copy;
        copy.SetState(RandomStream::BlockPlacement, random.GetState(RandomStream::BlockPlacement));
        return copy.RandomFloat(RandomStream::BlockPlacement);
    }

    RandomSystem random{12345};
};

TEST_F(AreaChooseBlock, WeightWalkOverFittingBlocks)
{
    // Blocks 0 and 2 fit an all-door requirement; block 1 has a level border edge.
    auto area = AreaTestParse(kAreaHeader + AreaTestBlockText("A 1") + AreaTestBlockText("Border 50", "0 4 4 4") + AreaTestBlockText("B 3"));
    std::vector<int32_t> uses;
    int counts[3] = {};
    for (int i = 0; i < 200; ++i) {
        float draw = NextDraw();
        int32_t chosen = area->ChooseBlock({4, 4, 4, 4}, uses);
        EXPECT_EQ(chosen, draw * 4.0f <= 1.0f ? 0 : 2) << draw;
        ++counts[chosen];
    }
    EXPECT_EQ(counts[1], 0);
    EXPECT_EQ(uses, (std::vector<int32_t>{counts[0], 0, counts[2]}));
    EXPECT_GT(counts[2], counts[0]);
}

TEST_F(AreaChooseBlock, MaxUsesTakeABlockOutAndNoneLeftGivesMinusOne)
{
    auto area = AreaTestParse(kAreaHeader + AreaTestBlockText("Once 1 15 1") + AreaTestBlockText("Twice 1 15 2"));
    std::vector<int32_t> uses;
    std::vector<int32_t> chosen;
    for (int i = 0; i < 4; ++i)
        chosen.push_back(area->ChooseBlock({-1, -1, -1, -1}, uses));
    EXPECT_EQ(chosen[3], -1);
    EXPECT_EQ(uses, (std::vector<int32_t>{1, 2}));
    EXPECT_EQ(area->ChooseBlock({EdgeRequirement::kLevelExit, -1, -1, -1}, uses), -1);
}

TEST_F(AreaChooseBlock, AllWeightsZeroTakeTheFirstCandidate)
{
    auto area = AreaTestParse(kAreaHeader + AreaTestBlockText("Border 0", "0 4 4 4") + AreaTestBlockText("Z1 0") + AreaTestBlockText("Z2 0"));
    std::vector<int32_t> uses{5};
    for (int i = 0; i < 20; ++i)
        EXPECT_EQ(area->ChooseBlock({4, 4, 4, 4}, uses), 1);
    EXPECT_EQ(uses.size(), 3u);
}

TEST(AreaEditing, SettersFindersAndMaskText)
{
    auto area = AreaTestParse(kAreaHeader);
    AreaBlock* block = area->NewBlock();
    EXPECT_EQ(area->GetBlockCount(), 1);
    EXPECT_EQ(block->tiles.size(), static_cast<size_t>(kAreaTestWidth * kAreaTestHeight));
    EXPECT_EQ(block->cells[0].objectValue, 4);
    EXPECT_EQ(area->FindTileByName("DARK ROCK.TGA"), 1);
    EXPECT_EQ(area->FindTileByName("none"), -1);
    EXPECT_EQ(area->FindTileByTexture(-1), -1);
    EXPECT_EQ(area->FindObjectByModel(3), -1);

    EXPECT_EQ(AreaResource::EdgeMaskToText(15), "1111");
    EXPECT_EQ(AreaResource::EdgeMaskToText(9), "1001");
    int32_t mask = 7;
    AreaResource::EdgeMaskFromText("101", mask);
    EXPECT_EQ(mask, 7);
    AreaResource::EdgeMaskFromText("0110", mask);
    EXPECT_EQ(mask, 6);
    AreaResource::EdgeMaskFromText("1x01", mask);
    EXPECT_EQ(mask, 9);
}

TEST(AreaFileWriter, ParseWriteParseIsByteStable)
{
    std::string text = kAreaHeader + AreaTestBlockText("\"Big Hall\" 2.25 9 2 1 0", "4 5 6 7", "3 0 0 1\n0 7 0 6\n") +
                       AreaTestBlockText("\"Say \\\"hi\\\"\"") + "block Cut 0.1 3\n{\n1";
    auto first = AreaTestParse(text);
    std::string written = WriteAreaFile(*first);
    auto second = AreaTestParse(written);
    EXPECT_EQ(WriteAreaFile(*second), written);
    ASSERT_EQ(second->GetBlockCount(), 3);
    const AreaBlock& hall = *second->GetBlock(0);
    EXPECT_EQ(hall.name, "Big Hall");
    EXPECT_FLOAT_EQ(hall.weight, 2.25f);
    EXPECT_EQ(hall.edgeMask, 9);
    EXPECT_EQ(hall.maxUses, 2);
    EXPECT_TRUE(hall.forceMonsters);
    EXPECT_EQ(hall.tiles, first->GetBlock(0)->tiles);
    EXPECT_EQ(hall.edges, first->GetBlock(0)->edges);
    EXPECT_EQ(hall.cells[3].objectIndex, 0);
    EXPECT_EQ(hall.cells[3].objectValue, 1);
    EXPECT_EQ(second->GetBlock(1)->name, "Say \"hi\"");
    EXPECT_FLOAT_EQ(second->GetBlock(2)->weight, 0.1f);
    EXPECT_EQ(second->GetTileTextures()[1].name, "dark rock.tga");
}

} // namespace
