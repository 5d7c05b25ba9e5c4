// MiniMapTest -- the mini-map's ring buffer on the processor: the zoom steps, which cells a move redraws, the wrap, the brightness of explored ground, black cells, the cells exploration marks, and the icons near the camera (explored openings to the next level among them) with the one under the mouse.
#include "render/MapWorld.h"

#include <cmath>
#include <tuple>

// A named namespace: the fixture shares the class's name, and the unity build shares the file.
namespace minimap_test {

// Tiles of 64 units; every tile's ground is one colour except column 7, which has none.
class MiniMap : public MapWorld {
protected:
    MiniMap()
    {
        Build(64.0f, 64, 2, 2);
        ground.assign(4 * 4 * 4, 0);
        for (size_t i = 0; i < ground.size(); i += 4) {
            ground[i] = 201;
            ground[i + 1] = 3;
            ground[i + 2] = 255;
            ground[i + 3] = 77;
        }
        miniMap->SetCellImageLookup([this](int32_t, int32_t tileX, int32_t, int32_t) {
            return tileX == 7 ? nullptr : ground.data();
        });
        miniMap->Setup();
        StandAt(0, 20.5f * 64.0f, 20.5f * 64.0f);
        worldMap->UpdateExploration();
    }

    int64_t RedrawnBy(float x, float y, int32_t level = 0)
    {
        int64_t before = miniMap->GetCellsRedrawn();
        miniMap->UpdateWindow(WorldPos{level, x, y, true});
        return miniMap->GetCellsRedrawn() - before;
    }

    // The first pixel of the cell holding a world tile.
    std::array<int, 4> CellPixel(const ::MiniMap& map, int32_t tileX, int32_t tileY) const
    {
        std::array<int32_t, 2> ring = map.RingCellOf(tileX, tileY);
        EXPECT_GE(ring[0], 0) << tileX << " " << tileY;
        size_t at = static_cast<size_t>(((ring[1] * map.GetCellPixels()) * ::MiniMap::kSide +
                                         ring[0] * map.GetCellPixels()) *
                                        4);
        const std::vector<uint8_t>& pixels = map.GetPixels();
        return {pixels[at], pixels[at + 1], pixels[at + 2], pixels[at + 3]};
    }

    std::vector<uint8_t> ground;
};

TEST_F(MiniMap, TheZoomIsEightSixteenOrThirtyTwoAndAnythingElseActsAsEight)
{
    for (auto [zoom, across, pixels] : {std::tuple{"12", 32, 4}, {"16", 64, 2}, {"32", 128, 1}, {"8", 32, 4}}) {
        vars.SetStringByName("miniMapZoom", zoom);
        EXPECT_EQ(RedrawnBy(1300.0f, 1300.0f), across * across) << zoom;  // a new zoom draws it all
        EXPECT_EQ(miniMap->GetCellsAcross(), across);
        EXPECT_EQ(miniMap->GetCellPixels(), pixels);
        EXPECT_EQ(miniMap->GetWindowCell(), (std::array<int32_t, 2>{20 - across / 2 - 1, 20 - across / 2 - 1}));
    }
}

TEST_F(MiniMap, AMoveRedrawsOnlyTheCellsThatCameInAndALevelChangeOrAJumpRedrawsAll)
{
    EXPECT_EQ(RedrawnBy(1300.0f, 1300.0f), 32 * 32);
    EXPECT_EQ(RedrawnBy(1310.0f, 1300.0f), 0);  // the same cell
    EXPECT_EQ(RedrawnBy(1364.0f, 1300.0f), 32);
    EXPECT_EQ(RedrawnBy(1364.0f, 1236.0f), 32);
    EXPECT_EQ(RedrawnBy(1300.0f, 1300.0f), 32 + 31);  // diagonal: a column and a row
    EXPECT_EQ(RedrawnBy(1300.0f - 3 * 64.0f, 1300.0f), 3 * 32);
    EXPECT_EQ(RedrawnBy(1300.0f, 1300.0f, 1), 32 * 32);
    EXPECT_EQ(RedrawnBy(1300.0f + 32 * 64.0f, 1300.0f, 1), 32 * 32);
}

TEST_F(MiniMap, AfterWrappingTheRingHoldsWhatAFullRedrawDraws)
{
    miniMap->UpdateWindow(WorldPos{0, 1300.0f, 1300.0f, true});
    for (int step = 1; step <= 40; ++step)
        miniMap->UpdateWindow(WorldPos{0, 1300.0f + 64.0f * static_cast<float>(step), 1300.0f - 32.0f * static_cast<float>(step), true});
    EXPECT_EQ(miniMap->GetScroll(), (std::array<int32_t, 2>{(40 * 4) % 128, 128 - (20 * 4) % 128}));

    ::MiniMap fresh(*worldMap);
    fresh.RegisterCommands();
    fresh.SetCellImageLookup([this](int32_t, int32_t tileX, int32_t, int32_t) {
        return tileX == 7 ? nullptr : ground.data();
    });
    fresh.Setup();
    fresh.UpdateWindow(WorldPos{0, 1300.0f + 64.0f * 40.0f, 1300.0f - 32.0f * 40.0f, true});
    std::array<int32_t, 2> window = fresh.GetWindowCell();
    ASSERT_EQ(miniMap->GetWindowCell(), window);
    for (int32_t y = window[1]; y < window[1] + 32; ++y) {
        for (int32_t x = window[0]; x < window[0] + 32; ++x)
            ASSERT_EQ(CellPixel(*miniMap, x, y), CellPixel(fresh, x, y)) << x << " " << y;
    }
}

TEST_F(MiniMap, ExploredGroundIsScaledAndRoundedUnexploredAndBareGroundIsBlack)
{
    worldMap->SetExploredPixel(0, 30, 30, 255);  // even: its neighbours up and left stay unseen
    worldMap->SetExploredPixel(0, 7, 20, 255);
    miniMap->UpdateWindow(WorldPos{0, 1300.0f, 1300.0f, true});
    EXPECT_EQ(CellPixel(*miniMap, 20, 20), (std::array<int, 4>{201, 3, 255, 77}));
    EXPECT_EQ(CellPixel(*miniMap, 30, 30), (std::array<int, 4>{101, 2, 128, 77}));  // half: 100.5, 1.5, 127.5
    EXPECT_EQ(CellPixel(*miniMap, 33, 33), (std::array<int, 4>{0, 0, 0, 255}));
    EXPECT_EQ(CellPixel(*miniMap, 7, 20), (std::array<int, 4>{0, 0, 0, 255}));
}

TEST_F(MiniMap, GroundExploredInsideTheWindowIsRedrawnWithoutAMove)
{
    miniMap->UpdateWindow(WorldPos{0, 1300.0f, 1300.0f, true});
    ASSERT_EQ(CellPixel(*miniMap, 31, 31)[0], 0);
    worldMap->SetExploredPixel(0, 31, 31, 255);
    worldMap->SetExploredPixel(0, 31, 31, 255);  // unchanged bytes mark nothing more
    EXPECT_EQ(RedrawnBy(1300.0f, 1300.0f), 9);
    EXPECT_GT(CellPixel(*miniMap, 31, 31)[0], 0);
    worldMap->SetExploredPixel(3, 5, 5, 255);  // out of the window
    EXPECT_EQ(RedrawnBy(1300.0f, 1300.0f), 0);
}

TEST_F(MiniMap, IconsNearTheCameraAreKeptAndTheFirstNearestToTheMouseIsHovered)
{
    WorldPos camera{0, 1300.0f, 1300.0f, true};
    auto pin = [](float x, float y, const char* text) {
        MapPin made;
        made.position = WorldPos{0, x, y, true};
        made.text = text;
        return made;
    };
    source.entities = {pin(1300.0f + 75.0f * 8.0f, 1300.0f, "edge"), pin(1300.0f + 75.5f * 8.0f, 1300.0f, "out"),
                       pin(1340.0f, 1300.0f, "near"), pin(1340.0f, 1300.0f, "twin")};
    miniMap->UpdateWindow(camera);
    miniMap->BuildIcons(camera, -1000.0f, -1000.0f);
    ASSERT_EQ(miniMap->GetIcons().size(), 3u);
    EXPECT_EQ(miniMap->GetIcons()[0].text, "edge");
    EXPECT_TRUE(miniMap->GetTooltip().empty());

    // The window's cells over the 128-unit frame: 4 units a cell, cell 20 + 40 / 64 at 17 cells in.
    float x = (1340.0f / 64.0f - 3.0f) * 4.0f;
    float y = (1300.0f / 64.0f - 3.0f) * 4.0f;
    miniMap->BuildIcons(camera, x + 6.0f, y + 7.0f);
    EXPECT_EQ(miniMap->GetTooltip(), "near");
    EXPECT_EQ(miniMap->GetIcons()[1].size, 16.0f);
    EXPECT_EQ(miniMap->GetIcons()[2].size, 4.0f);
    miniMap->BuildIcons(camera, x + 6.0f, y + 8.0f);
    EXPECT_TRUE(miniMap->GetTooltip().empty());
}

// Building an entity's hover text is dear: a source that leaves the texts out is asked for the
// hovered icon's text alone, and a frame with nothing hovered asks for none.
TEST_F(MiniMap, OnlyTheHoveredIconsTextIsAskedFor)
{
    source.textless = true;
    WorldPos camera{0, 1300.0f, 1300.0f, true};
    auto pin = [](float x, float y, int32_t id, const char* text) {
        MapPin made;
        made.position = WorldPos{0, x, y, true};
        made.id = id;
        made.text = text;
        return made;
    };
    source.entities = {pin(1340.0f, 1300.0f, 4, "four"), pin(1300.0f, 1380.0f, 9, "nine")};
    miniMap->UpdateWindow(camera);
    miniMap->BuildIcons(camera, -1000.0f, -1000.0f);
    ASSERT_EQ(miniMap->GetIcons().size(), 2u);
    EXPECT_TRUE(miniMap->GetIcons()[0].text.empty());
    EXPECT_TRUE(source.textsAsked.empty());
    EXPECT_TRUE(miniMap->GetTooltip().empty());

    float x = (1340.0f / 64.0f - 3.0f) * 4.0f;
    float y = (1300.0f / 64.0f - 3.0f) * 4.0f;
    miniMap->BuildIcons(camera, x, y);
    EXPECT_EQ(miniMap->GetTooltip(), "four");
    EXPECT_EQ(source.textsAsked, std::vector<int32_t>{4});
}

// Level 0's east side opens at block 5 (tile row 22), beside the camera: its icon comes once the
// opening's tile is more than half explored, after the entities, with the passage's text.
TEST_F(MiniMap, AnExploredOpeningToTheNextLevelGetsAnIconAfterTheEntities)
{
    world.GetLevel(0)->sideOpenings[2] = 5;
    WorldPos camera{0, 60.5f * 64.0f, 22.5f * 64.0f, true};
    MapPin entity;
    entity.position = camera;
    entity.text = "player";
    source.entities = {entity};
    miniMap->UpdateWindow(camera);
    miniMap->BuildIcons(camera, -1000.0f, -1000.0f);
    EXPECT_EQ(miniMap->GetIcons().size(), 1u);

    for (auto [level, x, y] : {std::tuple{0, 63, 22}, {0, 63, 21}, {1, 0, 22}, {1, 0, 21}})
        worldMap->SetExploredPixel(level, x, y, 255);
    miniMap->BuildIcons(camera, -1000.0f, -1000.0f);
    ASSERT_EQ(miniMap->GetIcons().size(), 2u);
    EXPECT_EQ(miniMap->GetIcons()[0].text, "player");
    const auto& opening = miniMap->GetIcons()[1];
    EXPECT_FLOAT_EQ(opening.position.x, 63.5f * 64.0f);
    EXPECT_FLOAT_EQ(opening.position.y, 22.5f * 64.0f);
    // Its text is built only under the mouse: tile 63.5 of the window from cell 43, row 22.5 from 5.
    EXPECT_TRUE(opening.text.empty());
    miniMap->BuildIcons(camera, (63.5f - 43.0f) * 4.0f, (22.5f - 5.0f) * 4.0f);
    EXPECT_NE(miniMap->GetTooltip().find("WorldMapConnectionFromXToY"), std::string::npos);

    // Beyond 75 zoom units of the camera the opening is left off like any icon.
    WorldPos far{0, 63.5f * 64.0f - 76.0f * 8.0f, 22.5f * 64.0f, true};
    miniMap->UpdateWindow(far);
    miniMap->BuildIcons(far, -1000.0f, -1000.0f);
    EXPECT_EQ(miniMap->GetIcons().size(), 1u);
}

} // namespace minimap_test
