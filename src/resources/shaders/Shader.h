// Shader -- the resource every drawn surface holds: render state and texture stages, from a definition or made around a texture.
#pragma once

#include "resources/Resource.h"
#include "resources/shaders/ShaderDefinition.h"
#include "resources/shaders/ShaderRenderState.h"
#include "resources/shaders/ShaderStage.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// The render state means what the definition's does; the renderer reads it.
class Shader : public Resource, public ShaderRenderState {
public:
    // What GetTypeId reports: a reload rebuilds blended tiles after the shaders they draw from.
    static constexpr int32_t kTypeId = 0;
    static constexpr int32_t kBlendedTilesTypeId = 1;

    int32_t GetTypeId() const override;

    // Builds from the definition of the name (without its extension) or, when there is none,
    // around the texture of that name as the usage says. True when the shader was made here
    // (generated or blended tiles) and so still needs its index; false when it carries its
    // definition's. Callers hold the shader system's reload lock.
    bool Build(const std::string& name, int32_t usage);
    // The name is "BT" and the handles of tile shaders; one stage per tile, each later one
    // alpha-blended over the ones before.
    void BuildBlendedTiles(const std::string& name);

    std::vector<std::unique_ptr<ShaderStage>> stages;
    bool isBlendedTiles = false;

private:
    void CopyDefinition(const ShaderDefinition& definition);
    void BuildGenerated(const std::string& baseName, int32_t usage);
    void ApplyUsage(int32_t usage, ShaderStage& stage);
    // One stage drawing the current texture of the tile shader's first stage; nothing when the
    // handle names no shader with a stage.
    void AddTileStage(int32_t tileHandle, bool& constantSeen);
};
