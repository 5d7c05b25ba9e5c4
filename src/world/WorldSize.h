// WorldSize -- one size an adventure can be played at: the level grid's width and height and the depth of a section.
#pragma once

#include <cstdint>
#include <string>

class DatabaseEntry;

struct WorldSize {
    // Reads "Name", "Width", "Height", "SectionLevelDepth" and "SectionMinLevelsMult".
    static WorldSize FromEntry(const DatabaseEntry& entry);

    std::string name;
    int32_t sectionLevelDepth = 0;
    float sectionMinLevelsMult = 0.0f;
    // In levels.
    int32_t width = 0;
    int32_t height = 0;
    int32_t entryIndex = -1;
};
