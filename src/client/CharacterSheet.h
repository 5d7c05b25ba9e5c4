// CharacterSheet -- the local character as its exports show it: name and title, then the stats, attributes, resistances, skills, worn equipment and the character's statistics, section by section, each line localised.
#pragma once

#include <string>
#include <vector>

class PlayerClient;

struct CharacterSheetSection {
    std::string heading;
    // "" is an empty line; an item's description holds line feeds of its own.
    std::vector<std::string> lines;
};

// Every text but the name is localised; colour codes are kept for the export to translate.
struct CharacterSheet {
    std::string name;
    std::string title;
    std::vector<CharacterSheetSection> sections;
};

// False, the sheet untouched, without the player's body, its class or its covenant mirror.
bool BuildCharacterSheet(const PlayerClient& player, CharacterSheet& out);
