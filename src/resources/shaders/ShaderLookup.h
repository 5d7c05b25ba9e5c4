// ShaderLookup -- how drawing code gets a shader: by texture or shader name and usage, and the "sdr" factory behind it.
#pragma once

#include "resources/ResourceHandle.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class Resource;

// The small integer given with every texture request; it shapes only generated shaders.
namespace TextureUsage {
enum Value : int32_t {
    Plain = 0,
    TwoSidedVertexColor = 1, // model files, level tiles and area pieces
    BlendedTiles = 2,        // level generation: several ground textures in one shader
    SphereLit = 3,           // surfaces of model skins
    Additive = 4,            // effects
    AlphaBlended = 5,        // effects and icons
    Overlay = 6,             // widgets, fonts and maps
    OverlayRepeat = 7,
    OverlayUncompressed = 8, // mouse cursors: always the Targa file
};
} // namespace TextureUsage

// The shader resource of the name with its extension replaced by "sdr" (Textures/Items/Sword.tga
// asks for Textures/Items/Sword.sdr), loaded into out with the usage. An empty name leaves out
// as it is.
void LoadTextureByName(std::string_view name, ResourceHandle& out, int32_t usage);
// "BT" followed by " %d" for each tile shader handle, ".sdr", loaded as blended tiles.
void MakeBlendedTileShaderName(const std::vector<int32_t>& handles, ResourceHandle& out);

// The "sdr" factory: reads no file; the load argument is the usage. A shader with more stages
// than a draw batch holds is refused (null) with a warning naming it.
Resource* CreateShaderResource(const std::string& name, uint8_t* bytes, uint32_t byteCount, int32_t usage);
// For blended tiles, the first named tile shader that is referenced and not loaded yet, so
// the loader builds it first; -1 otherwise.
int32_t ShaderPrerequisite(const std::string& name, int32_t usage);

// What colour data a stage sends with its vertices (a ColorArrayKind value).
int32_t ChooseColorArrayKind(int32_t colorGen, int32_t alphaGen);
// "tga" for OverlayUncompressed; else "ctx" when compressed textures are wanted and the device
// takes them, else "rtx".
std::string ShaderTextureExtension(int32_t usage);
// The name without the text from its last "." after its last "/".
std::string WithoutLastExtension(std::string_view name);
// The tile shader handles named after the "BT" of a blended-tile name, in order; words that are
// no integer are left out.
std::vector<int32_t> ParseBlendedTileHandles(std::string_view name);
