// LevelCells -- movement and sight on a level's fine cell grid, built block by block; tile object instances, ground textures and tile drawing records.
#include "world/LevelCells.h"

#include "core/RandomSystem.h"
#include "core/StringUtil.h"
#include "resources/ResourceManager.h"
#include "resources/models/ModelResource.h"
#include "resources/shaders/Shader.h"
#include "world/AreaDefinition.h"
#include "world/AreaResource.h"
#include "world/Level.h"
#include "world/LevelData.h"
#include "world/LevelGenerator.h"
#include "world/LevelQueries.h"
#include "world/World.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

template <class T>
T* CellsResolve(int32_t handle)
{
    return handle >= 0 && gResourceManager ? dynamic_cast<T*>(gResourceManager->Get(handle)) : nullptr;
}

// The seed of one tile's instance draws. Both inputs are mixed through every bit, so the
// first draws of neighbouring tiles, and of one tile in neighbouring levels, are unrelated.
uint32_t CellsTileSeed(uint32_t levelSeed, int32_t tileIndex)
{
    uint32_t h = levelSeed ^ (static_cast<uint32_t>(tileIndex) * 0x9E3779B9u);
    h ^= h >> 16;
    h *= 0x85EBCA6Bu;
    h ^= h >> 13;
    h *= 0xC2B2AE35u;
    h ^= h >> 16;
    return h;
}

// The data of a generated level; null before.
LevelData* CellsData(Level& level)
{
    LevelGenerator::EnsureGenerated(level);
    LevelData* data = level.data.get();
    return data && data->generated ? data : nullptr;
}

// Whether the level walls the border block at a position along a side: every side but one
// open to a level of its area, except at the side's opening.
bool CellsBorderStays(const Level& level, int32_t side, int32_t position)
{
    size_t s = static_cast<size_t>(side);
    return level.sideKinds[s] != kLevelSideOpen && level.sideOpenings[s] != position;
}

struct CellsRect {
    int32_t x0, y0, x1, y1;  // x1 and y1 past the end
    bool Holds(int32_t x, int32_t y) const { return x >= x0 && y >= y0 && x < x1 && y < y1; }
};

class CellsBlockBuilder {
public:
    CellsBlockBuilder(Level& level, LevelData& data, AreaResource* area, int32_t bx, int32_t by)
        : level(level), data(data), g(data.geometry), area(area), bx(bx), by(by),
          rect{bx * g.CellsPerBlockX(), by * g.CellsPerBlockY(), (bx + 1) * g.CellsPerBlockX(), (by + 1) * g.CellsPerBlockY()}
    {
    }

    void Build()
    {
        if (!data.boundArea)
            BuildBorders();
        BuildTileShaders();
        for (int32_t ny = by - 1; ny <= by + 1; ++ny)
            for (int32_t nx = bx - 1; nx <= bx + 1; ++nx)
                ApplyFootprints(nx, ny);
        data.blockBuilt[static_cast<size_t>(by * g.blocksPerRow + bx)] = true;
    }

private:
    void Set(int32_t cx, int32_t cy, bool movement, bool sight)
    {
        size_t index = static_cast<size_t>(cy) * static_cast<size_t>(g.CellsAcross()) + static_cast<size_t>(cx);
        if (movement)
            data.movementBits[index] = true;
        if (sight)
            data.sightBits[index] = true;
    }

    void BuildBorders()
    {
        if (bx == 0 && CellsBorderStays(level, 1, by))
            for (int32_t cy = rect.y0; cy < rect.y1; ++cy)
                Set(rect.x0, cy, true, true);
        if (bx == g.blocksPerRow - 1 && CellsBorderStays(level, 2, by))
            for (int32_t cy = rect.y0; cy < rect.y1; ++cy)
                Set(rect.x1 - 1, cy, true, true);
        if (by == 0 && CellsBorderStays(level, 3, bx))
            for (int32_t cx = rect.x0; cx < rect.x1; ++cx)
                Set(cx, rect.y0, true, true);
        if (by == g.blocksPerColumn - 1 && CellsBorderStays(level, 0, bx))
            for (int32_t cx = rect.x0; cx < rect.x1; ++cx)
                Set(cx, rect.y1 - 1, true, true);
    }

    int32_t BlockAt(int32_t x, int32_t y) const
    {
        if (x < 0 || y < 0 || x >= g.blocksPerRow || y >= g.blocksPerColumn)
            return -1;
        return data.blockGrid[static_cast<size_t>(y * g.blocksPerRow + x)];
    }

    void BuildTileShaders()
    {
        int32_t block = BlockAt(bx, by);
        if (!area || block < 0)
            return;
        int32_t cpt = g.cellsPerTile;
        for (int32_t ty = 0; ty < g.blockTileHeight; ++ty) {
            for (int32_t tx = 0; tx < g.blockTileWidth; ++tx) {
                ResourceHandle texture = area->GetTileTexture(block, tx, ty);
                const Shader* shader = CellsResolve<Shader>(texture);
                if (!shader || (!shader->blocksCollision && !shader->blocksSight))
                    continue;
                int32_t cx0 = rect.x0 + tx * cpt;
                int32_t cy0 = rect.y0 + ty * cpt;
                for (int32_t cy = cy0; cy < cy0 + cpt; ++cy)
                    for (int32_t cx = cx0; cx < cx0 + cpt; ++cx)
                        Set(cx, cy, shader->blocksCollision, shader->blocksSight);
            }
        }
    }

    // The footprints of the objects of block (nx, ny), where they fall inside this block.
    void ApplyFootprints(int32_t nx, int32_t ny)
    {
        int32_t block = BlockAt(nx, ny);
        if (!area || block < 0)
            return;
        for (int32_t ty = 0; ty < g.blockTileHeight; ++ty) {
            for (int32_t tx = 0; tx < g.blockTileWidth; ++tx) {
                ResourceHandle model;
                int32_t facing = 0;
                int32_t object = area->GetTileObject(block, tx, ty, model, facing);
                const ModelResource* resource = object >= 0 ? CellsResolve<ModelResource>(model) : nullptr;
                if (resource && resource->collisionWidth > 0 && resource->collisionHeight > 0)
                    ApplyFootprint(*resource, object, facing, nx * g.blockTileWidth + tx, ny * g.blockTileHeight + ty);
            }
        }
    }

    void ApplyFootprint(const ModelResource& model, int32_t object, int32_t facing, int32_t tileX, int32_t tileY)
    {
        int32_t cpt = g.cellsPerTile;
        int32_t width = model.collisionWidth < 1 ? cpt : model.collisionWidth;
        int32_t height = model.collisionHeight < 1 ? cpt : model.collisionHeight;
        int32_t offsetX = model.collisionGridOffset[0];
        int32_t offsetY = model.collisionGridOffset[1];
        if (facing == 2 || facing == 6) {
            std::swap(width, height);
            std::swap(offsetX, offsetY);
        }
        bool occupies = !data.boundArea && (model.mapShader.IsValid() || model.useDefaultMapShader);
        for (int32_t fy = 0; fy < height; ++fy) {
            for (int32_t fx = 0; fx < width; ++fx) {
                int32_t cx = tileX * cpt + offsetX + fx;
                int32_t cy = tileY * cpt + offsetY + fy;
                if (!rect.Holds(cx, cy) || !model.IsCollisionCellBlocked(fx, fy, facing))
                    continue;
                Set(cx, cy, true, model.blocksSight);
                // Divided by the cells a tile has, whatever that number is.
                if (occupies)
                    data.tileOccupants[static_cast<size_t>((cy / cpt) * g.levelTileWidth + cx / cpt)] = object;
            }
        }
    }

    Level& level;
    LevelData& data;
    const LevelGeometry& g;
    AreaResource* area;
    int32_t bx;
    int32_t by;
    CellsRect rect;
};

// The bit of a cell, building its block first; true for every cell nobody can stand on.
bool CellsBit(Level& level, int32_t cx, int32_t cy, bool sight)
{
    LevelData* data = CellsData(level);
    if (!data)
        return true;
    const LevelGeometry& g = data->geometry;
    if (cx < 0 || cy < 0 || cx >= g.CellsAcross() || cy >= g.CellsDown())
        return true;
    int32_t bx = cx / g.CellsPerBlockX();
    int32_t by = cy / g.CellsPerBlockY();
    if (bx >= g.blocksPerRow || by >= g.blocksPerColumn || !LevelQueries::IsBlockInBounds(level, bx, by))
        return true;
    size_t block = static_cast<size_t>(by * g.blocksPerRow + bx);
    if (!data->visited[block])
        return true;
    if (!data->blockBuilt[block])
        LevelCells::BuildBlockCells(level, static_cast<int32_t>(block), bx, by);
    size_t index = static_cast<size_t>(cy) * static_cast<size_t>(g.CellsAcross()) + static_cast<size_t>(cx);
    return sight ? data->sightBits[index] : data->movementBits[index];
}

bool CellsTileInside(const LevelGeometry& g, int32_t x, int32_t y)
{
    return x >= 0 && y >= 0 && x < g.levelTileWidth && y < g.levelTileHeight;
}

// Neighbours drawn over a tile rank above it; the order is the textures' names. The variants of
// one ground share a blend group and lie side by side as they are: faded into each other they
// would cost a layer over most of a meadow for a smear of their own colours.
bool CellsRanksAbove(int32_t texture, int32_t own)
{
    if (texture < 0 || texture == own)
        return false;
    if (own < 0)
        return true;
    const Shader* over = CellsResolve<Shader>(texture);
    const Shader* under = CellsResolve<Shader>(own);
    if (over && under && over->blendGroup == under->blendGroup)
        return false;
    return StringCompareNoCase(gResourceManager->GetName(texture), gResourceManager->GetName(own)) > 0;
}

void CellsBuildTileCell(Level& level, LevelData& data, int32_t x, int32_t y, LevelTileCell& cell)
{
    const LevelGeometry& g = data.geometry;
    int32_t around[3][3];
    for (int32_t dy = -1; dy <= 1; ++dy)
        for (int32_t dx = -1; dx <= 1; ++dx)
            around[dy + 1][dx + 1] = CellsTileInside(g, x + dx, y + dy)
                                         ? LevelQueries::GetTileTexture(level, x + dx, y + dy).GetValue()
                                         : -1;
    int32_t own = around[1][1];
    cell.textures.clear();
    if (own >= 0)
        cell.textures.push_back(own);
    for (auto& row : around)
        for (int32_t texture : row)
            if (CellsRanksAbove(texture, own) &&
                std::find(cell.textures.begin(), cell.textures.end(), texture) == cell.textures.end())
                cell.textures.push_back(texture);
    // Corners: up-left, up-right, down-right, down-left; each covers a 2 x 2 of tiles.
    constexpr int32_t kCornerDx[4] = {-1, 0, 0, -1};
    constexpr int32_t kCornerDy[4] = {0, 0, -1, -1};
    for (int32_t corner = 0; corner < 4; ++corner) {
        std::vector<int32_t> counts(cell.textures.size(), 0);
        for (int32_t dy = 0; dy < 2; ++dy)
            for (int32_t dx = 0; dx < 2; ++dx) {
                int32_t texture = around[kCornerDy[corner] + dy + 1][kCornerDx[corner] + dx + 1];
                auto found = std::find(cell.textures.begin(), cell.textures.end(), texture);
                size_t slot = found == cell.textures.end() || !CellsRanksAbove(texture, own) ? 0 : found - cell.textures.begin();
                if (!counts.empty())
                    ++counts[slot];
            }
        std::vector<uint8_t>& weights = cell.corners[static_cast<size_t>(corner)];
        weights.assign(counts.size(), 0);
        int32_t before = 0;
        for (size_t i = 0; i < counts.size(); ++i) {
            int32_t c = counts[i];
            if (c != 0) {
                float share = i == 0 ? 1.0f : static_cast<float>(c) / static_cast<float>(c + before);
                weights[i] = static_cast<uint8_t>(std::clamp(static_cast<int32_t>(std::floor(share * 255.0f + 0.5f)), 0, 255));
            }
            before += c;
        }
    }
    cell.texture.Reset();
    if (!cell.textures.empty() && gWorld)
        gWorld->MakeBlendedTexture(cell.textures, cell.texture);
    cell.built = true;
}

} // namespace

namespace LevelCells {

void BuildBlockCells(Level& level, int32_t blockIndex, int32_t blockX, int32_t blockY)
{
    LevelData* data = CellsData(level);
    if (!data)
        return;
    const LevelGeometry& g = data->geometry;
    if (blockX < 0 || blockY < 0 || blockX >= g.blocksPerRow || blockY >= g.blocksPerColumn ||
        blockIndex != blockY * g.blocksPerRow + blockX)
        return;
    CellsBlockBuilder(level, *data, LevelGenerator::GetArea(level), blockX, blockY).Build();
}

bool IsCellBlocked(Level& level, int32_t cellX, int32_t cellY)
{
    return CellsBit(level, cellX, cellY, false);
}

bool IsCellSightBlocked(Level& level, int32_t cellX, int32_t cellY)
{
    return CellsBit(level, cellX, cellY, true);
}

int32_t GetTileOccupant(Level& level, int32_t tileX, int32_t tileY)
{
    LevelData* data = CellsData(level);
    if (!data || !CellsTileInside(data->geometry, tileX, tileY))
        return -1;
    const LevelGeometry& g = data->geometry;
    // Occupants are recorded as the cells of their tiles are built.
    IsCellBlocked(level, tileX * g.cellsPerTile, tileY * g.cellsPerTile);
    return data->tileOccupants[static_cast<size_t>(tileY * g.levelTileWidth + tileX)];
}

void GetTileObjectInstance(Level& level, int32_t tileX, int32_t tileY, ResourceHandle& model, TileObjectInstance& out)
{
    out = {};
    int32_t value = 0;
    int32_t object = LevelQueries::GetTileObject(level, tileX, tileY, model, value);
    LevelData* data = level.data.get();
    if (object < 0 || !data)
        return;
    int32_t tileIndex = tileY * data->geometry.levelTileWidth + tileX;
    TileObjectInstance& record = data->objectInstances[static_cast<size_t>(tileIndex)];
    if (!record.initialised) {
        record.initialised = true;
        record.facing = value;
        // Drawn from the tile's own stream, never the shared one: the host and every client, and
        // one client before and after the level is let go, must see the same facing and scale
        // whatever else the process drew, and in whatever order the tiles are asked.
        RandomSystem tileRandom(CellsTileSeed(level.seed, tileIndex));
        const ModelResource* resource = CellsResolve<ModelResource>(model);
        if (resource && resource->randomRotation)
            record.facing = RandomSystem::IndexFromFraction(tileRandom.RandomFloat(RandomStream::GameData), 0, 7);
        if (resource && resource->randomScaleMin != resource->randomScaleMax)
            record.scale = tileRandom.RandomRange(RandomStream::GameData, resource->randomScaleMin, resource->randomScaleMax);
        record.opacity = 1.0f;
    }
    out = record;
}

void SetTileObjectOpacity(Level& level, int32_t tileX, int32_t tileY, float opacity)
{
    LevelData* data = level.data.get();
    if (!data || !CellsTileInside(data->geometry, tileX, tileY))
        return;
    size_t tileIndex = static_cast<size_t>(tileY * data->geometry.levelTileWidth + tileX);
    if (tileIndex < data->objectInstances.size() && data->objectInstances[tileIndex].initialised)
        data->objectInstances[tileIndex].opacity = opacity;
}

const LevelTileCell* GetTileCell(Level& level, int32_t tileX, int32_t tileY)
{
    LevelData* data = CellsData(level);
    if (!data || !CellsTileInside(data->geometry, tileX, tileY))
        return nullptr;
    if (data->tileCells.empty())
        data->tileCells.resize(static_cast<size_t>(data->geometry.TileCount()));
    LevelTileCell& cell = data->tileCells[static_cast<size_t>(tileY * data->geometry.levelTileWidth + tileX)];
    if (!cell.built)
        CellsBuildTileCell(level, *data, tileX, tileY, cell);
    return &cell;
}

ResourceHandle GetGroundTexture(Level& level, int32_t tileX, int32_t tileY)
{
    LevelData* data = CellsData(level);
    if (!data || !CellsTileInside(data->geometry, tileX, tileY))
        return {};
    const LevelGeometry& g = data->geometry;
    // The tile's inner cell: its middle one, for any number of cells per tile.
    int32_t cx = tileX * g.cellsPerTile + g.cellsPerTile / 2;
    int32_t cy = tileY * g.cellsPerTile + g.cellsPerTile / 2;
    if (IsCellBlocked(level, cx, cy)) {
        bool reachable = LevelQueries::IsBlockReachable(level, cx / g.CellsPerBlockX(), cy / g.CellsPerBlockY());
        if (!reachable)
            return level.area ? level.area->defaultShader : ResourceHandle();
        int32_t occupant = data->tileOccupants[static_cast<size_t>(tileY * g.levelTileWidth + tileX)];
        AreaResource* area = LevelGenerator::GetArea(level);
        if (occupant >= 0 && area) {
            ResourceHandle modelHandle = area->GetObjectTypeModel(occupant);
            if (const ModelResource* model = CellsResolve<ModelResource>(modelHandle)) {
                ResourceHandle candidate =
                    model->useDefaultMapShader && level.area ? level.area->defaultMapShader : model->mapShader;
                if (candidate.IsValid())
                    return candidate;
            }
        }
    }
    return LevelQueries::GetTileTexture(level, tileX, tileY);
}

ResourceHandle GetBorderWallTexture(Level& level, const AreaResource& area, int32_t tileX, int32_t tileY,
                                    const ResourceHandle& own)
{
    // Asked for every tile drawn: the edge test comes first, so a tile off the ring costs no
    // resource look-up.
    const LevelData* data = level.data.get();
    if (!data || !data->generated || data->boundArea)
        return {};
    const LevelGeometry& g = data->geometry;
    int32_t lastX = g.blocksPerRow * g.blockTileWidth - 1;
    int32_t lastY = g.blocksPerColumn * g.blockTileHeight - 1;
    if (tileX < 0 || tileY < 0 || tileX > lastX || tileY > lastY)
        return {};
    int32_t bx = tileX / g.blockTileWidth;
    int32_t by = tileY / g.blockTileHeight;
    bool walled = (tileX == 0 && CellsBorderStays(level, 1, by)) || (tileX == lastX && CellsBorderStays(level, 2, by)) ||
                  (tileY == 0 && CellsBorderStays(level, 3, bx)) || (tileY == lastY && CellsBorderStays(level, 0, bx));
    // An empty grid place is the void beyond the level: no wall is drawn into it.
    if (!walled || !own.IsValid())
        return {};
    const Shader* shown = CellsResolve<Shader>(own.GetValue());
    if (shown && shown->blocksCollision)
        return {};
    for (const AreaTileTexture& tile : area.GetTileTextures()) {
        const Shader* shader = CellsResolve<Shader>(tile.shownTexture.GetValue());
        if (shader && shader->blocksCollision && shader->blocksSight)
            return tile.shownTexture;
    }
    return {};
}

} // namespace LevelCells
