// AreaGen -- the area files: the pieces that grassland, cave and crypt levels are fitted together from.
#include "gen/ArchiveWriter.h"
#include "gen/ContentFamilies.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

// Blocks are 8 x 8 tiles, as the shipped "GameSystem" record has them. Sides: 0 up (the first
// row written), 1 left, 2 right, 3 down. Passages between blocks are the two middle tiles of a
// side, so any two blocks that both open a side meet.
constexpr int kAreaSide = 8;
constexpr int kPassageLow = 3;
constexpr int kPassageHigh = 4;

// What a side of a generated block is: closed to its neighbour, passable, or the level's exit.
enum class SideKind { Closed, Open, Exit };

struct GenBlock {
    std::string name;
    float weight = 1.0f;
    int mask = 15;
    int maxUses = 0;
    bool forceMonsters = false;
    bool forceChests = false;
    std::array<std::array<int, kAreaSide>, kAreaSide> tiles{};  // [row from the top][column]
    std::array<int, 4> edges{};
    struct Object {
        int x, rowFromTop, type, facing;
    };
    std::vector<Object> objects;
};

struct GenArea {
    std::vector<std::string> textures;
    std::vector<std::string> edgeTypes;
    std::vector<std::string> models;
    std::vector<GenBlock> blocks;
};

uint32_t AreaHash(uint32_t a, uint32_t b, uint32_t c)
{
    uint32_t h = a * 0x9E3779B1u ^ b * 0x85EBCA77u ^ c * 0xC2B2AE3Du;
    h ^= h >> 15;
    h *= 0x2C1B3C6Du;
    h ^= h >> 12;
    return h;
}

// The tiles of a side, from the block's edge inwards: depth 0 is the edge row or column.
void SetSideTile(GenBlock& block, int side, int along, int depth, int tile)
{
    int row = 0;
    int column = 0;
    switch (side) {
    case 0: row = depth; column = along; break;
    case 3: row = kAreaSide - 1 - depth; column = along; break;
    case 1: row = along; column = depth; break;
    default: row = along; column = kAreaSide - 1 - depth; break;
    }
    block.tiles[static_cast<size_t>(row)][static_cast<size_t>(column)] = tile;
}

void AppendLine(std::string& out, const char* format, auto... values)
{
    char line[256];
    std::snprintf(line, sizeof line, format, values...);
    out += line;
}

std::string WriteGenArea(const GenArea& area, const char* title)
{
    std::string out = std::string("// ") + title + " -- written by the content generator.\n";
    auto names = [&out](const char* what, const std::vector<std::string>& list) {
        AppendLine(out, "// %s\n%zu\n", what, list.size());
        for (const std::string& name : list)
            out += "\"" + name + "\"\n";
    };
    names("tile textures", area.textures);
    names("edge types", area.edgeTypes);
    names("object models", area.models);
    for (const GenBlock& block : area.blocks) {
        AppendLine(out, "\nblock \"%s\" %g %d %d %d %d\n{\n", block.name.c_str(), static_cast<double>(block.weight),
                   block.mask, block.maxUses, block.forceMonsters ? 1 : 0, block.forceChests ? 1 : 0);
        for (const auto& row : block.tiles) {
            for (int x = 0; x < kAreaSide; ++x)
                AppendLine(out, x == 0 ? "%d" : " %d", row[static_cast<size_t>(x)]);
            out += "\n";
        }
        AppendLine(out, "%d %d %d %d\n", block.edges[0], block.edges[1], block.edges[2], block.edges[3]);
        for (const GenBlock::Object& object : block.objects)
            AppendLine(out, "%d %d %d %d\n", object.x, object.rowFromTop, object.type, object.facing);
        out += "}\n";
    }
    return out;
}

// Every way the four sides can be closed or open, and each of those with one side made the
// level's exit instead: the level generator asks for any of these at a border.
template <class Build>
void ForEachSideCombination(Build build)
{
    for (int bits = 0; bits < 16; ++bits) {
        std::array<SideKind, 4> sides{};
        for (int side = 0; side < 4; ++side)
            sides[static_cast<size_t>(side)] = (bits & (1 << side)) ? SideKind::Open : SideKind::Closed;
        build(sides, bits);
        for (int exit = 0; exit < 4; ++exit) {
            std::array<SideKind, 4> withExit = sides;
            withExit[static_cast<size_t>(exit)] = SideKind::Exit;
            // The exit replaces the side's own kind: skip the copies that would repeat a block.
            if ((bits & (1 << exit)) == 0)
                build(withExit, bits | (16 << exit));
        }
    }
}

std::string SideCode(const std::array<SideKind, 4>& sides)
{
    std::string code;
    for (SideKind kind : sides)
        code += kind == SideKind::Closed ? 'c' : kind == SideKind::Open ? 'o' : 'x';
    return code;
}

// ---- Grasslands ("Normal"): meadow everywhere, a palisade hedge here and there ----

// The hedge is listed before the palisade though no block lays it: the file's first wall is
// what a level draws along its walled edges, and dark leafy clumps read as a barrier there where
// the brown planks beside the earth paths read as a boardwalk and flat grey stone as a road.
enum GrassTile { kGrass1, kGrass2, kGrass3, kEarth1, kEarth2, kHedge, kPalisade };
enum GrassEdge { kGrassOpen, kGrassBorder, kGrassExit, kGrassClosed, kGrassDoor, kGrassWall };

void FillMeadow(GenBlock& block, uint32_t seed)
{
    for (int row = 0; row < kAreaSide; ++row) {
        for (int x = 0; x < kAreaSide; ++x) {
            uint32_t h = AreaHash(seed, static_cast<uint32_t>(row), static_cast<uint32_t>(x)) % 16;
            block.tiles[static_cast<size_t>(row)][static_cast<size_t>(x)] =
                h < 7 ? kGrass1 : h < 12 ? kGrass2 : h < 15 ? kGrass3 : kEarth2;
        }
    }
}

// A level's own border cells are walled by the level itself (closed sides, and the sides
// between levels of one area are left open), and drawn there with the file's first wall, the
// hedge: border blocks are meadow to their edge, and the way out is a trodden path through
// the middle of its side.
GenBlock GrassBorderBlock(const std::array<SideKind, 4>& sides, int seed)
{
    GenBlock block;
    block.name = "Meadow " + SideCode(sides);
    FillMeadow(block, static_cast<uint32_t>(seed));
    for (int side = 0; side < 4; ++side) {
        SideKind kind = sides[static_cast<size_t>(side)];
        block.edges[static_cast<size_t>(side)] =
            kind == SideKind::Open ? kGrassOpen : kind == SideKind::Exit ? kGrassExit : kGrassBorder;
        if (kind != SideKind::Exit)
            continue;
        for (int depth = 0; depth < 4; ++depth) {
            SetSideTile(block, side, kPassageLow, depth, kEarth1);
            SetSideTile(block, side, kPassageHigh, depth, kEarth1);
        }
    }
    return block;
}

GenArea MakeGrasslands()
{
    GenArea area;
    area.textures = {"Textures/areas/grasslands/floor_grass_01.tga", "Textures/areas/grasslands/floor_grass_02.tga",
                     "Textures/areas/grasslands/floor_grass_03.tga", "Textures/areas/grasslands/floor_earth_01.tga",
                     "Textures/areas/grasslands/floor_earth_02.tga", "Textures/areas/grasslands/wall_hedge_01.tga",
                     "Textures/areas/dungeon/wall_wood_01.tga"};
    area.edgeTypes = {"open", "levelEdgeClosed", "levelBottleneck", "closed", "door", "wall"};
    area.models = {"Models/Props/torch.mdl", "Models/Props/tree.mdl", "Models/Props/boulder.mdl",
                   "Models/Props/door.mdl"};
    ForEachSideCombination([&area](const std::array<SideKind, 4>& sides, int code) {
        GenBlock block = GrassBorderBlock(sides, code);
        // A tree or a boulder off the paths through the middle.
        uint32_t h = AreaHash(static_cast<uint32_t>(code), 7, 11);
        block.objects.push_back({static_cast<int>(h % 3), static_cast<int>((h >> 4) % 3), h % 4 == 0 ? 2 : 1,
                                 static_cast<int>((h >> 8) % 4) * 2});
        // The open middle of a level is mostly plain meadow: the other inner blocks add to it.
        if (SideCode(sides) == "oooo")
            block.weight = 4.0f;
        area.blocks.push_back(block);
    });

    GenBlock path = GrassBorderBlock({SideKind::Open, SideKind::Open, SideKind::Open, SideKind::Open}, 101);
    path.name = "Crossing path";
    for (int along = 0; along < kAreaSide; ++along) {
        path.tiles[static_cast<size_t>(along)][kPassageLow] = kEarth1;
        path.tiles[kPassageHigh][static_cast<size_t>(along)] = kEarth1;
    }
    area.blocks.push_back(path);

    // A hedge along the right side with a two-tile gap in it: its right edge is a wall. A door
    // stands in one tile of the gap against the hedge, so the first levels show a player a door
    // to open, while the open tile beside it keeps the way through for whoever does not.
    GenBlock hedge = GrassBorderBlock({SideKind::Open, SideKind::Open, SideKind::Open, SideKind::Open}, 202);
    hedge.name = "Hedge";
    hedge.edges[2] = kGrassWall;
    for (int along = 0; along < kAreaSide; ++along) {
        if (along != kPassageLow && along != kPassageHigh)
            hedge.tiles[static_cast<size_t>(along)][kAreaSide - 1] = kPalisade;
    }
    hedge.objects.push_back({kAreaSide - 1, kPassageLow, 3, 0});
    area.blocks.push_back(hedge);

    // A lit clearing, once a level, that always holds a chest.
    GenBlock camp = GrassBorderBlock({SideKind::Open, SideKind::Open, SideKind::Open, SideKind::Open}, 303);
    camp.name = "Camp";
    camp.maxUses = 1;
    camp.forceChests = true;
    camp.weight = 0.5f;
    for (int row = 2; row < 6; ++row) {
        for (int x = 2; x < 6; ++x)
            camp.tiles[static_cast<size_t>(row)][static_cast<size_t>(x)] = kEarth1;
    }
    camp.objects = {{2, 2, 0, 3}, {5, 2, 0, 5}, {2, 5, 0, 1}, {5, 5, 0, 7}};
    area.blocks.push_back(camp);
    return area;
}

// ---- Caves and crypts: rock or walls, with passages through the middle of open sides ----

struct UnderTiles {
    int floor;
    int floorAlt;
    int wall;
};

// Edge types of both underground files: index 0 is the closed rock or wall.
enum UnderEdge { kUnderClosed, kUnderPassage, kUnderExit, kUnderBorder, kUnderDoor, kUnderWall };

GenBlock UnderBlock(const std::array<SideKind, 4>& sides, int code, const UnderTiles& tiles, bool caves)
{
    GenBlock block;
    int openCount = 0;
    block.mask = 0;
    for (int side = 0; side < 4; ++side) {
        SideKind kind = sides[static_cast<size_t>(side)];
        block.edges[static_cast<size_t>(side)] =
            kind == SideKind::Open ? kUnderPassage : kind == SideKind::Exit ? kUnderExit : kUnderClosed;
        if (kind != SideKind::Closed) {
            block.mask |= 1 << side;
            ++openCount;
        }
    }
    for (auto& row : block.tiles)
        row.fill(tiles.wall);
    // The middle: a room where three or four ways meet, a chamber at a dead end, a cross-piece
    // where a corridor bends or runs through.
    int inset = openCount >= 3 ? 1 : openCount == 1 ? 2 : 3;
    for (int row = inset; row < kAreaSide - inset; ++row) {
        for (int x = inset; x < kAreaSide - inset; ++x) {
            uint32_t h = AreaHash(static_cast<uint32_t>(code), static_cast<uint32_t>(row), static_cast<uint32_t>(x));
            // Caves are ragged: a few wall tiles stay inside a room.
            bool rock = caves && openCount >= 3 && (h % 11) == 0 && row != 3 && row != 4 && x != 3 && x != 4;
            block.tiles[static_cast<size_t>(row)][static_cast<size_t>(x)] =
                rock ? tiles.wall : (h % 5 == 0 ? tiles.floorAlt : tiles.floor);
        }
    }
    if (openCount == 0) {
        for (auto& row : block.tiles)
            row.fill(tiles.wall);
    }
    for (int side = 0; side < 4; ++side) {
        if (sides[static_cast<size_t>(side)] == SideKind::Closed)
            continue;
        for (int depth = 0; depth < 4; ++depth) {
            SetSideTile(block, side, kPassageLow, depth, tiles.floor);
            SetSideTile(block, side, kPassageHigh, depth, tiles.floor);
        }
    }
    const char* shape = openCount == 0 ? "Solid" : openCount == 1 ? "Dead end" : openCount == 2 ? "Passage" : "Room";
    block.name = std::string(shape) + " " + SideCode(sides);
    if (openCount >= 3) {
        block.objects.push_back({1, 1, 0, 3});
        // Pillars hold up a crypt's rooms; boulders lie in a cave's, clear of the passages.
        if (caves)
            block.objects.push_back({5, 2, 2, (code % 2) * 2});
        else
            block.objects.insert(block.objects.end(), {{2, 5, 1, 0}, {5, 5, 1, 0}});
    }
    if (openCount == 1)
        block.forceMonsters = true;
    return block;
}

// A crypt's shrine: a dead-end chamber where the treasure secret's pillar stands with a red
// torch beside it, once per level at most.
GenBlock ShrineBlock(const UnderTiles& tiles, int secretModel, int redTorchModel)
{
    GenBlock block = UnderBlock({SideKind::Open, SideKind::Closed, SideKind::Closed, SideKind::Closed}, 303, tiles, false);
    block.name = "Shrine";
    block.weight = 0.25f;
    block.maxUses = 1;
    block.objects.push_back({3, 3, secretModel, 4});
    block.objects.push_back({4, 3, redTorchModel, 4});
    return block;
}

GenArea MakeUnderground(const UnderTiles& tiles, std::vector<std::string> textures, bool caves)
{
    GenArea area;
    area.textures = std::move(textures);
    area.edgeTypes = {"closed", caves ? "tunnel" : "corridor", "levelBottleneck", "levelEdgeClosed", "door", "wall"};
    area.models = {"Models/Props/torch.mdl", "Models/Props/pillar.mdl", "Models/Props/boulder.mdl"};
    ForEachSideCombination([&](const std::array<SideKind, 4>& sides, int code) {
        area.blocks.push_back(UnderBlock(sides, code, tiles, caves));
    });
    if (!caves) {
        area.models.insert(area.models.end(), {"Models/Props/secretpillar.mdl", "Models/Props/torch_red.mdl"});
        area.blocks.push_back(ShrineBlock(tiles, 3, 4));
    }
    return area;
}

bool AddText(ArchiveWriter& archive, const std::string& path, const std::string& text)
{
    return archive.Add(path, std::vector<uint8_t>(text.begin(), text.end()));
}

} // namespace

bool GenerateAreas(ArchiveWriter& archive)
{
    GenArea caves = MakeUnderground({0, 1, 2},
                                    {"Textures/areas/dungeon/floor_stone_02.tga", "Textures/areas/dungeon/floor_stone_01.tga",
                                     "Textures/areas/dungeon/wall_stone_01.tga"},
                                    true);
    GenArea crypt = MakeUnderground({0, 1, 2},
                                    {"Textures/areas/dungeon/floor_stone_01.tga", "Textures/areas/dungeon/floor_stone_02.tga",
                                     "Textures/areas/dungeon/wall_brick_01.tga"},
                                    false);
    return AddText(archive, "Levels/grasslands.ara", WriteGenArea(MakeGrasslands(), "grasslands.ara")) &&
           AddText(archive, "Levels/caves.ara", WriteGenArea(caves, "caves.ara")) &&
           AddText(archive, "Levels/crypt.ara", WriteGenArea(crypt, "crypt.ara"));
}
