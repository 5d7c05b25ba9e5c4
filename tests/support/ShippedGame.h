// ShippedGame -- the game folder the build writes, for tests over the files we ship.
#pragma once

#include <filesystem>
#include <string>

// The folder EMBERLODE_GAME_DIR names; empty when the variable is not set.
std::string ShippedGameFolder();

// Links the shipped "Assets" folder and archive into folder, so a file system over it reads the
// files we ship while whatever a test writes stays in its own folder. False, linking nothing,
// when the shipped folder is not known.
bool LinkShippedGame(const std::filesystem::path& folder);
