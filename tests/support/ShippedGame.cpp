// ShippedGame -- the game folder the build writes, for tests over the files we ship.
#include "support/ShippedGame.h"

#include <cstdlib>

std::string ShippedGameFolder()
{
    const char* gameDir = std::getenv("EMBERLODE_GAME_DIR");
    return gameDir ? gameDir : "";
}

bool LinkShippedGame(const std::filesystem::path& folder)
{
    std::string gameDir = ShippedGameFolder();
    if (gameDir.empty())
        return false;
    std::filesystem::path game(gameDir);
    std::filesystem::create_directory_symlink(game / "Assets", folder / "Assets");
    std::filesystem::create_symlink(game / "assets001.zip", folder / "assets001.zip");
    return true;
}
