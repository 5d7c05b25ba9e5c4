// LayoutGrid -- the grid of level cells that an adventure's sections are laid out on while the world is read.
#include "world/LayoutGrid.h"

#include <algorithm>

namespace {

// A hostile size record cannot make the grid take gigabytes.
constexpr int32_t kLayoutGridMaxSide = 1024;

} // namespace

LayoutGrid::LayoutGrid(int32_t width, int32_t height)
    : width(std::clamp(width, 0, kLayoutGridMaxSide)), height(std::clamp(height, 0, kLayoutGridMaxSide)),
      cells(static_cast<size_t>(this->width) * static_cast<size_t>(this->height), nullptr),
      leftBounds(static_cast<size_t>(this->height), -1), rightBounds(static_cast<size_t>(this->height), -1),
      pathLefts(static_cast<size_t>(this->height), -1), pathRights(static_cast<size_t>(this->height), -1)
{
}

Level* LayoutGrid::GetCell(int32_t column, int32_t row) const
{
    if (column < 0 || column >= width || !IsRow(row))
        return nullptr;
    return cells[static_cast<size_t>(row * width + column)];
}

bool LayoutGrid::Place(int32_t row, int32_t column, Level* level, bool path)
{
    if (column < 0 || column >= width || !IsRow(row))
        return false;
    size_t r = static_cast<size_t>(row);
    rowCount = std::max(rowCount, row + 1);
    if (leftBounds[r] != -2 && (leftBounds[r] == -1 || column <= leftBounds[r]))
        leftBounds[r] = column - 1 < 0 ? -2 : column - 1;
    if (rightBounds[r] != -2 && (rightBounds[r] == -1 || column >= rightBounds[r]))
        rightBounds[r] = column + 1 >= width ? -2 : column + 1;
    if (path) {
        if (pathLefts[r] == -1 || column < pathLefts[r])
            pathLefts[r] = column;
        if (pathRights[r] == -1 || column > pathRights[r])
            pathRights[r] = column;
    }
    cells[static_cast<size_t>(row * width + column)] = level;
    return true;
}

int32_t LayoutGrid::GetLeftBound(int32_t row) const
{
    return IsRow(row) ? leftBounds[static_cast<size_t>(row)] : -1;
}

int32_t LayoutGrid::GetRightBound(int32_t row) const
{
    return IsRow(row) ? rightBounds[static_cast<size_t>(row)] : -1;
}

int32_t LayoutGrid::GetPathLeft(int32_t row) const
{
    return IsRow(row) ? pathLefts[static_cast<size_t>(row)] : -1;
}

int32_t LayoutGrid::GetPathRight(int32_t row) const
{
    return IsRow(row) ? pathRights[static_cast<size_t>(row)] : -1;
}

void LayoutGrid::GetSpan(int32_t row, int32_t& first, int32_t& last) const
{
    int32_t left = GetLeftBound(row);
    int32_t right = GetRightBound(row);
    first = left == -2 ? 0 : (left == -1 ? width / 2 : left) + 1;
    last = right == -2 ? width - 1 : (right == -1 ? width / 2 : right) - 1;
}
