// CharacterSetUp -- the new-character and load-character screens' side of the client: random names, the name check, deleting a character with its files, reading a saved character's level and beaten difficulties, and the lists of saved characters and covenant counts.
#pragma once

#include "core/CommandSystem.h"

#include <memory>
#include <string>
#include <vector>

class PlayerClient;
class PlayerCovenantClient;

namespace CharacterSetUp {
// The difficulties a character can beat, in order; each has its "ParsedCharacterBeat<name>" var.
inline constexpr const char* kDifficultyNames[] = {"Normal", "Champion", "Elite", "Legendary"};

// "randomPlayerName", "deleteCharacter", "parseCharacter", "updateParsedCharacter", the name
// check "verifyCharName" and the lists "getAvailableCharacters" and "getNumCovenantOptions".
void Register(CommandSystem& commands);

bool VerifyCharacterName();
void RandomPlayerName();
void DeleteCharacter();
// The files a character is saved under (its record, history, maps and world), and the resume
// var when it names them.
void DeleteCharacterFiles(const std::string& base);
// Reads the character named by "PlayerName" from its file and writes what the menus show of it.
void ParseCharacter();
// Loads the character's file into the player; in a game with covenants the covenant's block goes
// into the mirror given back (null otherwise). A file that cannot be read leaves both as made.
std::unique_ptr<PlayerCovenantClient> LoadCharacter(const std::string& name, PlayerClient& character);
// "ParsedCharacterLevel" and the beaten difficulties of the character.
void WriteParsedValues(const PlayerClient& character);
void ListAvailableCharacters(std::vector<ListEntry>& rows);
void ListCovenantOptions(std::vector<ListEntry>& rows);
} // namespace CharacterSetUp
