// GeneratedTextures -- "generateTextures": the four grey-scale Targa files that effect shaders draw with, computed and written.
#pragma once

#include <cstdint>
#include <vector>

class GeneratedTextures {
public:
    // Registers "generateTextures".
    static void RegisterCommands();
    // Writes "whiteSwipe.tga", "swipeSquare.tga", "whiteStar.tga" and "noise.tga" (the noise from
    // random stream 0) into the user folder; a file that cannot be written is skipped.
    static void Generate();

    // One image as RGB rows, top row first (R = G = B), for the tests and Generate.
    static void FillSwipe(std::vector<uint8_t>& rgb);
    static void FillSwipeSquare(std::vector<uint8_t>& rgb);
    static void FillStar(std::vector<uint8_t>& rgb);
    static void FillNoise(std::vector<uint8_t>& rgb);
};
