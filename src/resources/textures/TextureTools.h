// TextureTools -- console commands for texture content work: enlarging Targa images and building the cache files.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

class ResourceManager;

// Paths are relative to the asset folder and read through the file system; everything is
// written through its write path, which lands in the user folder, never in the shipped assets.
class TextureTools {
public:
    // Fixed files of the two single-texture commands.
    static constexpr const char* kCompressSource = "Textures/areas/grasslands/floor_earth_05.tga";
    static constexpr const char* kUncompressSource = "Textures/areas/grasslands/floor_earth_01.ctx";
    static constexpr const char* kUncompressTarget = "Textures/areas/grasslands/floor_earth_01-test.tga";

    // "convertTexture", "convertTextureDirectory", "buildRtxs", "buildCtxs", "buildTgas",
    // "compressTexture", "uncompressTexture", and the zoom user vars ("zoom", "zoomMin", "zoomMax").
    static void RegisterCommands();

    // Puts a 24-bit Targa centred on a larger 32-bit canvas of the new size; the key colour
    // (170, 170, 170) becomes transparent black. Refuses to shrink and leaves the file alone.
    static bool ResizeTexture(std::string_view path, int32_t newWidth, int32_t newHeight);
    // Resizes directory/name/name000.tga .. name(count - 1).tga.
    static void ConvertTextureDirectory(std::string_view directory, std::string_view name, int32_t count,
                                        int32_t newWidth, int32_t newHeight);
    // Each builds the target of every source that is newer than it (or whose target is missing).
    static void BuildRtxFiles();
    static void BuildCtxFiles();
    // The one cache file (".rtx" or ".ctx") built as the batch builds would build it.
    static void BuildCacheFile(const std::string& target);
    // With on, a cache file the manager is asked for is first built that way, on the thread
    // that loads it: only the caches the game uses are built, each when it is first needed.
    static void SetBuildOnLoad(ResourceManager& manager, bool on);
    // Writes the Targa of every ".ctx" whose Targa does not exist.
    static void BuildTgaFiles();
    static bool CompressTestTexture();
    static bool UncompressTestTexture();

    // Clamps "zoomMin" to 0.1 .. 1.0 and "zoomMax" to 1.0 .. 3.0, storing both back, then
    // stores the value clamped between them into "zoom".
    static void SetZoom(float value);

    // The path with its extension replaced ("ctx", no dot).
    static std::string ReplaceExtension(std::string_view path, std::string_view extension);

private:
    // Each builds the target when the source is newer than it (or the target is missing); false
    // when it is not, or there is no such source.
    static bool BuildRtxFrom(const std::string& source, const std::string& target);
    static bool BuildCtxFrom(const std::string& source, const std::string& target);
};
