// main -- the content generator: writes the game's procedural binary assets into one zip archive.
#include "gen/ArchiveWriter.h"
#include "gen/ContentFamilies.h"

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: emberlode_contentgen <archive.zip>\n");
        return 2;
    }
    ArchiveWriter archive;
    bool (*const families[])(ArchiveWriter&) = {GenerateTextures, GenerateModels, GenerateSounds, GenerateAreas,
                                                GenerateIcons, GenerateItemIcons, GenerateCursors};
    for (auto family : families) {
        if (!family(archive))
            return 1;
    }
    if (!archive.Write(argv[1])) {
        std::fprintf(stderr, "emberlode_contentgen: couldn't write %s\n", argv[1]);
        return 1;
    }
    std::printf("emberlode_contentgen: %zu files in %s\n", archive.GetEntryCount(), argv[1]);
    return 0;
}
