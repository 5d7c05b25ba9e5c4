// BenchGameFolder -- the game folder a benchmark reads: the tests' own, or the one this build staged.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

// The staged folder holds the generated archive beside the shipped files, which the source
// tree's "game" folder does not.
inline std::filesystem::path BenchGameFolder()
{
    if (const char* folder = std::getenv("EMBERLODE_GAME_DIR"))
        return folder;
    return EMBERLODE_STAGED_GAME_DIR;
}

// A fresh folder at that place whose "Assets" and "assets001.zip" are links into the game
// folder, so a benchmark can add files of its own beside the shipped ones.
inline std::string BenchLinkedGameFolder(const std::filesystem::path& folder)
{
    namespace fs = std::filesystem;
    std::error_code error;
    fs::remove_all(folder, error);
    fs::create_directories(folder);
    fs::path game = BenchGameFolder();
    fs::create_directory_symlink(game / "Assets", folder / "Assets", error);
    fs::create_symlink(game / "assets001.zip", folder / "assets001.zip", error);
    return folder.string();
}

// Makes "to" a real folder holding a link to each entry of "from", except the entry named
// "own": that one is made a real folder of links in turn, so a benchmark can add files of its
// own beside the shipped ones there (a link to the shipped folder would take them into it).
inline void BenchLinkFolderEntries(const std::filesystem::path& from, const std::filesystem::path& to,
                                   std::string_view own = {})
{
    namespace fs = std::filesystem;
    std::error_code error;
    fs::create_directories(to);
    if (!own.empty())
        fs::create_directories(to / own);
    for (const fs::directory_entry& entry : fs::directory_iterator(from, error)) {
        fs::path name = entry.path().filename();
        if (!own.empty() && name == own)
            BenchLinkFolderEntries(entry.path(), to / name);
        else if (entry.is_directory())
            fs::create_directory_symlink(fs::canonical(entry.path()), to / name, error);
        else
            fs::create_symlink(fs::canonical(entry.path()), to / name, error);
    }
}
