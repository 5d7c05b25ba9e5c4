// PlantedGame -- small game folders that tests write to plant faults in, and the content lint's report on a game folder.
#pragma once

#include "rules/ContentLint.h"
#include "support/GameFolderFiles.h"
#include "support/TempFolder.h"

#include <string>
#include <vector>

// The content lint's problems with the game folder, in English, with its archives mounted as
// the game mounts them.
inline std::vector<std::string> LintGameFolder(const std::string& gameDir)
{
    GameFolderFiles game(gameDir);
    game.files.MountAssetArchives();
    return ContentLint::CheckGameContent(game.debug, "English");
}

// A game folder of one database file, "game.dbr", holding the records, beside the English texts.
inline void WritePlantedGame(const TempFolder& folder, const std::string& records,
                             const std::string& english = "Known \"known\"\n")
{
    folder.Write("Assets/Loc/English.loc", english);
    folder.Write("Assets/Database/database.dbl", "game.dbr\n");
    folder.Write("Assets/Database/game.dbr", records);
}
