// LayoutGrid -- the grid of level cells that an adventure's sections are laid out on while the world is read.
#pragma once

#include <cstdint>
#include <vector>

struct Level;

// W x H cells, row-major. Per row, the bounds are the columns just outside its leftmost and
// rightmost level (-1 while the row is empty, -2 when there is no room on that side) and the
// path bounds the leftmost and rightmost path levels (-1 for none).
class LayoutGrid {
public:
    LayoutGrid(int32_t width, int32_t height);

    int32_t GetWidth() const { return width; }
    int32_t GetHeight() const { return height; }
    int32_t GetRowCount() const { return rowCount; }
    // Null outside 0 <= column < W, 0 <= row < H.
    Level* GetCell(int32_t column, int32_t row) const;
    // Stores the level and updates the row's bounds; a cell outside the grid changes nothing
    // and answers false.
    bool Place(int32_t row, int32_t column, Level* level, bool path);

    // -1 (empty row) or -2 (no room) as stored; -1 for a row outside the grid.
    int32_t GetLeftBound(int32_t row) const;
    int32_t GetRightBound(int32_t row) const;
    int32_t GetPathLeft(int32_t row) const;
    int32_t GetPathRight(int32_t row) const;
    // The row's span: from the column after its left bound to the one before its right bound,
    // an empty bound counting as W / 2 and a full one as the grid's edge. Empty when first > last.
    void GetSpan(int32_t row, int32_t& first, int32_t& last) const;

private:
    bool IsRow(int32_t row) const { return row >= 0 && row < height; }

    int32_t width;
    int32_t height;
    int32_t rowCount = 0;
    std::vector<Level*> cells;
    std::vector<int32_t> leftBounds;
    std::vector<int32_t> rightBounds;
    std::vector<int32_t> pathLefts;
    std::vector<int32_t> pathRights;
};
