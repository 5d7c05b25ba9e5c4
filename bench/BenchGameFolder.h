// BenchGameFolder -- the game folder a benchmark reads: the tests' own, or the one this build staged.
#pragma once

#include <cstdlib>
#include <filesystem>

// The staged folder holds the generated archive beside the shipped files, which the source
// tree's "game" folder does not.
inline std::filesystem::path BenchGameFolder()
{
    if (const char* folder = std::getenv("EMBERLODE_GAME_DIR"))
        return folder;
    return EMBERLODE_STAGED_GAME_DIR;
}
