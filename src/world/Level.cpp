// Level -- one level of the world: its place on the layout grid, its neighbours and sides, its seed, monster level and gates.
#include "world/Level.h"

#include "world/LevelData.h"

Level::Level() = default;
Level::~Level() = default;
