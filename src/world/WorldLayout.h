// WorldLayout -- lays an adventure's sections out on the layout grid: start, path and end areas, extra areas, holes, linked areas and dungeons.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class AreaDefinition;
class LayoutGrid;
class World;
class WorldSection;
struct Level;
struct WorldSize;

// Every draw is on random stream 1, so the layout depends on the layout seed alone. Each area
// is a rectangle of grid cells, one level a cell; a section takes a band of rows below the one
// before. No placement leaves the grid or covers a level already there.
class WorldLayout {
public:
    // Link chains ("AreaDown", "AreaNorth", ...) are followed this many links deep at most;
    // content may name an area from itself or from its own neighbour.
    static constexpr int32_t kMaxLinkDepth = 16;
    // No level hangs deeper than this below the grid, whatever "MaxDepth" asks.
    static constexpr int32_t kMaxSubLevelDepth = 16;

    WorldLayout(World& world, LayoutGrid& grid, const WorldSize& size);

    void LayOutSection(WorldSection& section);

private:
    enum class LinkStep { Follow, DungeonChance };
    struct LinkWork {
        LinkStep step;
        Level* level;
        int32_t depth;
    };

    void PlacePathAreas(WorldSection& section, int32_t startHeight, int32_t endHeight);
    void PlaceExtraAreas(WorldSection& section);
    void FillHoles(WorldSection& section);
    // False (nothing placed) when a cell is outside the grid or taken.
    bool PlaceArea(WorldSection& section, AreaDefinition* area, int32_t column, int32_t row, int32_t width,
                   int32_t height, bool path);
    bool PlaceBelow(WorldSection& section, AreaDefinition* area, int32_t width, int32_t height);
    bool PlaceExtraStart(WorldSection& section, AreaDefinition* area, int32_t width, int32_t height);
    bool FindPlaceBeside(const WorldSection& section, int32_t width, int32_t height, int32_t& column, int32_t& row);
    bool FindHole(const WorldSection& section, int32_t& column, int32_t& row, int32_t& width, int32_t& height) const;
    int32_t CountHoles(const WorldSection& section) const;

    bool IsFree(int32_t column, int32_t row) const;
    bool RectFree(int32_t column, int32_t row, int32_t width, int32_t height) const;
    bool RectInSection(const WorldSection& section, int32_t row, int32_t height) const;
    bool RectInSpans(int32_t column, int32_t row, int32_t width, int32_t height) const;
    void Claim(int32_t column, int32_t row);

    // The worklist that stands in for following links recursively.
    void RunLinks(WorldSection& section, Level* level, bool dungeonChance);
    void FollowLinks(WorldSection& section, const LinkWork& work, std::vector<LinkWork>& pending);
    void FollowSideLink(WorldSection& section, const LinkWork& work, int32_t direction, std::vector<LinkWork>& pending);
    void GiveDungeonChance(WorldSection& section, const LinkWork& work, std::vector<LinkWork>& pending);
    // n levels of the area, each below the one before, the first below the parent; the last.
    Level* HangChain(WorldSection& section, Level* parent, AreaDefinition* area, bool detached);
    AreaDefinition* MakeLinkedArea(WorldSection& section, const std::string& name);
    void WarnDepth(const Level& level);

    int32_t RandomBelow(int32_t n) const;
    int32_t RandomIn(int32_t low, int32_t high) const;
    float Draw() const;

    World& world;
    LayoutGrid& grid;
    const WorldSize& size;
    // Cells of the grid taken by a level, also those of linked levels the grid does not hold.
    std::vector<bool> claimed;
    bool warnedDepth = false;
};
