// ShaderSystem -- reads the ".sdr" shader files into definitions, keeps the shader tables and rebuilds all on "reloadShaders".
#pragma once

#include "core/BaseClass.h"
#include "core/UserVarRef.h"
#include "resources/shaders/ShaderDefinition.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class CriticalSection;
class TextParser;

// Lock order: the reload lock before the resource manager's lock. Shader resources are built
// on the loader thread while holding the reload lock; a reload holds it on the main thread
// while the definitions are replaced, and asks the manager to rebuild only after leaving it.
class ShaderSystem : public BaseClass {
public:
    static constexpr const char* kFolder = "Shaders";

    // Fills the five shader enumeration tables.
    ShaderSystem();
    ~ShaderSystem() override;
    ShaderSystem(const ShaderSystem&) = delete;
    ShaderSystem& operator=(const ShaderSystem&) = delete;

    // Creates the reload lock; registers "sdr" with the resource manager, "reloadShaders"
    // and the vars the shader build reads; loads every shader file.
    void Start();
    // Every ".sdr" file of "Shaders" in listing order; the index restarts at 0.
    void LoadShaderFiles();
    // Appends the shaders of one file's text; a file may hold any number.
    void ParseShaderText(const void* bytes, size_t byteCount);
    // The first definition of the name (case-blind), or null. Callers off the main thread
    // hold the reload lock while they use the result.
    const ShaderDefinition* FindDefinition(std::string_view name) const;
    // "reloadShaders": new definitions, then every loaded shader resource rebuilt, blended
    // tiles after the tile shaders they take their textures from.
    void ReloadShaders();

    // The load-order number of the next shader made, definition or generated.
    int32_t TakeNextIndex() { return nextIndex++; }
    CriticalSection* GetReloadLock() const { return reloadLock; }
    size_t GetDefinitionCount() const { return definitions.size(); }
    const ShaderDefinition& GetDefinition(size_t position) const { return *definitions[position]; }

    // Copies "compressedTextures" and "r_betterLighting" for the loader thread, which must not
    // read the var table while the main thread may grow it. Main thread; Start and a reload
    // call it, the frame should too.
    void ApplyVars();
    bool UsesCompressedTextures() const { return compressedTextures.load(); }
    bool UsesBetterLighting() const { return betterLighting.load(); }

private:
    static void ParseShader(TextParser& parser, ShaderDefinition& shader);
    static void ParseShaderKeyword(TextParser& parser, const std::string& keyword, ShaderDefinition& shader);
    static bool ParseShaderFlag(TextParser& parser, const std::string& keyword, ShaderDefinition& shader);
    static void ParseDeformVerts(TextParser& parser, ShaderDefinition& shader);
    static void ParseStencil(TextParser& parser, const std::string& keyword, ShaderDefinition& shader);
    static void ParseStage(TextParser& parser, ShaderStageDefinition& stage);
    static void ParseStageKeyword(TextParser& parser, const std::string& keyword, ShaderStageDefinition& stage);
    static bool ParseAnim(TextParser& parser, ShaderStageDefinition& stage);
    static void ParseColorGen(TextParser& parser, ShaderStageDefinition& stage);
    static void ParseAlphaGen(TextParser& parser, ShaderStageDefinition& stage);
    static void ParseUVMod(TextParser& parser, ShaderStageDefinition& stage);
    static void FinishShader(ShaderDefinition& shader);

    std::vector<std::unique_ptr<ShaderDefinition>> definitions;
    int32_t nextIndex = 0;
    CriticalSection* reloadLock = nullptr;
    UserVarRef compressedTexturesVar;
    UserVarRef betterLightingVar;
    std::atomic<bool> compressedTextures{true};
    std::atomic<bool> betterLighting{false};
};

// For every definition whose folder (the lower-cased text before its last "/") equals the
// directory without regard to case: its name with ".tga", reduced to the bare lower-case file name.
void ListShaderTextures(std::string_view directory, std::vector<std::string>& out);

// Four floats from the parser's current line; each one missing is 0.
void ParseFloat4(TextParser& parser, WaveParameters& out);

extern ShaderSystem* gShaderSystem;
