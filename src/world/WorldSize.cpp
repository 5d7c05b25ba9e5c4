// WorldSize -- one size an adventure can be played at: the level grid's width and height and the depth of a section.
#include "world/WorldSize.h"

#include "core/DatabaseEntry.h"

WorldSize WorldSize::FromEntry(const DatabaseEntry& entry)
{
    WorldSize size;
    size.name = entry.GetString("Name");
    size.sectionLevelDepth = entry.GetInt("SectionLevelDepth");
    size.sectionMinLevelsMult = entry.GetFloat("SectionMinLevelsMult", 0.0f);
    size.width = entry.GetInt("Width");
    size.height = entry.GetInt("Height");
    size.entryIndex = entry.GetId();
    return size;
}
