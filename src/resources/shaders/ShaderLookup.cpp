// ShaderLookup -- how drawing code gets a shader: by texture or shader name and usage, and the "sdr" factory behind it.
#include "resources/shaders/ShaderLookup.h"

#include "core/DebugSystem.h"
#include "core/StringUtil.h"
#include "core/system/CriticalSection.h"
#include "resources/GraphicsDevice.h"
#include "resources/ResourceManager.h"
#include "resources/shaders/Shader.h"
#include "resources/shaders/ShaderBatch.h"
#include "resources/shaders/ShaderSystem.h"

namespace {

// Loaded and not loaded are told apart without a lock of our own: a row whose extension the
// manager reports is loaded.
bool IsLoaded(int32_t row)
{
    std::string name = gResourceManager->GetName(row);
    return !name.empty() && gResourceManager->IsOfExtension(row, FileExtension(name));
}

bool IsRow(int32_t row)
{
    return row >= 0 && row < gResourceManager->GetResourceCount();
}

} // namespace

std::string WithoutLastExtension(std::string_view name)
{
    size_t slash = name.rfind('/');
    size_t dot = name.rfind('.');
    if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash))
        return std::string(name);
    return std::string(name.substr(0, dot));
}

void LoadTextureByName(std::string_view name, ResourceHandle& out, int32_t usage)
{
    if (name.empty())
        return;
    std::string shaderName = WithoutLastExtension(name);
    EnsureExtension(shaderName, "sdr");
    gResourceManager->Load(shaderName, out, usage);
}

void MakeBlendedTileShaderName(const std::vector<int32_t>& handles, ResourceHandle& out)
{
    std::string name = "BT";
    for (int32_t handle : handles)
        StringAppendFormat(name, " %d", handle);
    name += ".sdr";
    gResourceManager->Load(name, out, TextureUsage::BlendedTiles);
}

std::vector<int32_t> ParseBlendedTileHandles(std::string_view name)
{
    std::vector<int32_t> handles;
    bool first = true;
    size_t position = 0;
    while (position < name.size()) {
        size_t start = name.find_first_not_of(" \t", position);
        if (start == std::string_view::npos)
            break;
        size_t end = name.find_first_of(" \t", start);
        std::string_view word = name.substr(start, end == std::string_view::npos ? name.size() - start : end - start);
        // The first word is "BT".
        if (!first && IsIntegerText(word))
            handles.push_back(ParseInt(word));
        first = false;
        position = start + word.size();
    }
    return handles;
}

Resource* CreateShaderResource(const std::string& name, uint8_t*, uint32_t, int32_t usage)
{
    auto* shader = new Shader();
    CriticalSectionGuard guard(gShaderSystem ? gShaderSystem->GetReloadLock() : nullptr);
    if (shader->Build(name, usage) && gShaderSystem)
        shader->index = gShaderSystem->TakeNextIndex();
    int32_t stageCount = static_cast<int32_t>(shader->stages.size());
    if (stageCount > ShaderBatch::kMaxStages) {
        // A batch draws at most that many stages; drawing a part of a shader would show a
        // different surface than the one written.
        DebugSystem::Print(kPrintWarning, "Shader %s has %d stages, more than the %d a draw batch holds: refused\n",
                           name.c_str(), stageCount, ShaderBatch::kMaxStages);
        delete shader;
        return nullptr;
    }
    return shader;
}

int32_t ShaderPrerequisite(const std::string& name, int32_t usage)
{
    if (usage != TextureUsage::BlendedTiles)
        return -1;
    for (int32_t handle : ParseBlendedTileHandles(WithoutLastExtension(name))) {
        if (handle == -1)
            return -1;
        // A row nobody holds is never loaded: naming it would keep the loader waiting for it.
        if (IsRow(handle) && gResourceManager->GetReferenceCount(handle) > 0 && !IsLoaded(handle))
            return handle;
    }
    return -1;
}

int32_t ChooseColorArrayKind(int32_t colorGen, int32_t alphaGen)
{
    bool perVertex = colorGen == ColorGen::Vertex || colorGen == ColorGen::VertexAndConstant ||
                     colorGen == ColorGen::CodeGenerated || colorGen == ColorGen::Saved ||
                     colorGen == ColorGen::SavedAndConstant;
    bool sphere = colorGen == ColorGen::Sphere || colorGen == ColorGen::SphereAndConstant;
    if (sphere && gShaderSystem && gShaderSystem->UsesBetterLighting())
        perVertex = true;
    bool hasAlpha = alphaGen == AlphaGen::Constant || alphaGen == AlphaGen::Wave;
    if (alphaGen == AlphaGen::CodeGenerated || alphaGen == AlphaGen::StageGenerated) {
        hasAlpha = true;
        perVertex = true;
    }
    if (hasAlpha)
        return perVertex ? ColorArrayKind::PerVertexWithAlpha : ColorArrayKind::AlphaOnly;
    return perVertex ? ColorArrayKind::PerVertex : ColorArrayKind::None;
}

std::string ShaderTextureExtension(int32_t usage)
{
    if (usage == TextureUsage::OverlayUncompressed)
        return "tga";
    bool wanted = !gShaderSystem || gShaderSystem->UsesCompressedTextures();
    bool supported = gGraphicsDevice && gGraphicsDevice->SupportsCompressedTextures();
    return wanted && supported ? "ctx" : "rtx";
}
