// ShaderStage -- one texture stage of a built shader: its texture or animation frames, blending, colour and alpha.
#include "resources/shaders/ShaderStage.h"

#include "core/system/TimerSystem.h"
#include "resources/ResourceManager.h"
#include "resources/shaders/ShaderLookup.h"

#include <cmath>

namespace {

// A texture named in a shader file is always loaded from its cache file; a missing cache
// falls back to the Targa of the same base name.
std::string CacheFileName(const std::string& textureFile)
{
    return WithoutLastExtension(textureFile) + "." + ShaderTextureExtension(TextureUsage::Plain);
}

} // namespace

void ShaderStage::Build(const ShaderStageDefinition& definition)
{
    if (definition.animFrames.empty()) {
        // A stage written without a texture draws untextured rather than asking for ".ctx".
        if (!definition.textureFile.empty())
            gResourceManager->Load(CacheFileName(definition.textureFile), texture, 0);
    } else {
        animRate = definition.animRate;
        animTextures.resize(definition.animFrames.size());
        for (size_t i = 0; i < definition.animFrames.size(); ++i)
            gResourceManager->Load(CacheFileName(definition.animFrames[i]), animTextures[i], 0);
    }
    static_cast<StageRenderState&>(*this) = definition;
}

size_t ShaderStage::FrameAt(float rate, float time, size_t count)
{
    double frame = std::floor(static_cast<double>(rate) * static_cast<double>(time));
    if (!std::isfinite(frame))
        return 0;
    // Wrapped over all the frames: a wrap over one fewer would never show the last frame again.
    double wrapped = std::fmod(frame, static_cast<double>(count));
    if (wrapped < 0.0)
        wrapped += static_cast<double>(count);
    return static_cast<size_t>(wrapped);
}

const ResourceHandle& ShaderStage::GetCurrentTexture(bool useGivenTime, float time) const
{
    if (animTextures.empty())
        return texture;
    if (!useGivenTime)
        time = gTimerSystem ? gTimerSystem->GetRunningTime() : 0.0f;
    return animTextures[FrameAt(animRate, time, animTextures.size())];
}
