// CharacterCovenantBlock -- the player's covenant's own block inside a character's file: written after the party list, parsed whole with the file, applied with it.
#pragma once

#include <cstdint>

class MessageBuffer;

// The player covenant mirror implements it; the character file hands it its bytes.
class CharacterCovenantBlock {
public:
    virtual ~CharacterCovenantBlock() = default;

    virtual void WriteBlock(MessageBuffer& buffer) const = 0;
    // Reads the block of a file of that version, keeping what it read aside; false for a cut
    // or corrupt block (nothing kept). A block in its own byte count must use every byte.
    virtual bool ParseBlock(MessageBuffer& buffer, int32_t version) = 0;
    // Takes what the last ParseBlock kept.
    virtual void ApplyBlock() = 0;
};
