// Shader -- the resource every drawn surface holds: render state and texture stages, from a definition or made around a texture.
#include "resources/shaders/Shader.h"

#include "core/StringUtil.h"
#include "resources/ResourceManager.h"
#include "resources/shaders/ShaderLookup.h"
#include "resources/shaders/ShaderSystem.h"

namespace {

// Holds one reference to a row for as long as a blended-tile build uses it.
class HeldRow {
public:
    explicit HeldRow(int32_t row) : row(row) { gResourceManager->AddRef(row); }
    ~HeldRow() { gResourceManager->Release(row); }
    HeldRow(const HeldRow&) = delete;
    HeldRow& operator=(const HeldRow&) = delete;

private:
    int32_t row;
};

bool IsConstantColorGen(int32_t colorGen)
{
    return colorGen == ColorGen::Constant || colorGen == ColorGen::VertexAndConstant;
}

} // namespace

int32_t Shader::GetTypeId() const
{
    return isBlendedTiles ? kBlendedTilesTypeId : kTypeId;
}

bool Shader::Build(const std::string& name, int32_t usage)
{
    std::string baseName = WithoutLastExtension(name);
    if (usage == TextureUsage::BlendedTiles) {
        BuildBlendedTiles(baseName);
        return true;
    }
    const ShaderDefinition* definition = gShaderSystem ? gShaderSystem->FindDefinition(baseName) : nullptr;
    if (definition) {
        CopyDefinition(*definition);
        return false;
    }
    BuildGenerated(baseName, usage);
    return true;
}

void Shader::CopyDefinition(const ShaderDefinition& definition)
{
    static_cast<ShaderRenderState&>(*this) = definition;
    for (const auto& stageDefinition : definition.stages) {
        auto stage = std::make_unique<ShaderStage>();
        stage->Build(*stageDefinition);
        stages.push_back(std::move(stage));
    }
}

void Shader::BuildGenerated(const std::string& baseName, int32_t usage)
{
    std::string textureFile = baseName + "." + ShaderTextureExtension(usage);
    auto stage = std::make_unique<ShaderStage>();
    ResourceHandle texture;
    gResourceManager->Load(textureFile, texture, usage);
    stage->SetTexture(texture);
    ApplyUsage(usage, *stage);
    stage->colorArrayKind = ChooseColorArrayKind(stage->colorGen, stage->alphaGen);
    stages.push_back(std::move(stage));
    blendGroup = textureFile;
    blendGroupHash = HashString(blendGroup);
}

void Shader::ApplyUsage(int32_t usage, ShaderStage& stage)
{
    switch (usage) {
    case TextureUsage::TwoSidedVertexColor:
        cullEnabled = false;
        stage.colorGen = ColorGen::Vertex;
        stage.clampU = stage.clampV = GlConstant::kRepeat;
        break;
    case TextureUsage::SphereLit:
        stage.colorGen = ColorGen::Sphere;
        stage.clampU = stage.clampV = GlConstant::kRepeat;
        usesSphere = true;
        break;
    case TextureUsage::Additive:
    case TextureUsage::AlphaBlended: {
        bool additive = usage == TextureUsage::Additive;
        cullEnabled = false;
        writeDepth = false;
        sort = additive ? SortType::Additive : SortType::Transparent;
        stage.blendEnabled = true;
        stage.srcBlend = additive ? GlConstant::kOne : GlConstant::kSrcAlpha;
        stage.dstBlend = additive ? GlConstant::kOne : GlConstant::kOneMinusSrcAlpha;
        stage.clampU = stage.clampV = GlConstant::kClamp;
        stage.colorGen = ColorGen::CodeGenerated;
        stage.alphaGen = AlphaGen::CodeGenerated;
        break;
    }
    case TextureUsage::Overlay:
    case TextureUsage::OverlayRepeat:
    case TextureUsage::OverlayUncompressed:
        cullEnabled = false;
        testDepth = false;
        writeDepth = false;
        useMipMaps = false;
        sort = SortType::Transparent;
        stage.blendEnabled = true;
        stage.srcBlend = GlConstant::kSrcAlpha;
        stage.dstBlend = GlConstant::kOneMinusSrcAlpha;
        stage.clampU = stage.clampV = usage == TextureUsage::OverlayRepeat ? GlConstant::kRepeat : GlConstant::kClampToEdge;
        stage.colorGen = ColorGen::CodeGenerated;
        stage.alphaGen = AlphaGen::CodeGenerated;
        break;
    default:
        break;
    }
}

void Shader::BuildBlendedTiles(const std::string& name)
{
    bool constantSeen = false;
    int32_t rowCount = gResourceManager->GetResourceCount();
    for (int32_t handle : ParseBlendedTileHandles(name)) {
        // Handles come from a name: one outside the table names nothing.
        if (handle < 0 || handle >= rowCount)
            continue;
        HeldRow held(handle);
        if (gResourceManager->GetName(handle).empty())
            continue;
        AddTileStage(handle, constantSeen);
    }
    if (constantSeen) {
        stages.front()->savesColor = true;
        stages.front()->colorArrayKind = ColorArrayKind::PerVertex;
        for (size_t i = 1; i < stages.size(); ++i) {
            if (stages[i]->colorGen == ColorGen::SameAsPreviousStage)
                stages[i]->colorGen = ColorGen::Saved;
            stages[i]->colorArrayKind = ColorArrayKind::PerVertexWithAlpha;
        }
    }
    cullEnabled = false;
    isBlendedTiles = true;
}

void Shader::AddTileStage(int32_t tileHandle, bool& constantSeen)
{
    // Held as a use: a reload on the main thread may replace the tile shader meanwhile.
    ResourceRef<Resource> held = gResourceManager->GetRef(tileHandle);
    auto* tile = dynamic_cast<const Shader*>(held.Get());
    if (!tile || tile->stages.empty())
        return;
    const ShaderStage& tileStage = *tile->stages.front();
    auto stage = std::make_unique<ShaderStage>();
    // An animated tile lends the frame of time 0: the build runs on the loader thread, which
    // must not read the main thread's clock, and a clock frame would be a random one anyway.
    stage->SetTexture(tileStage.GetCurrentTexture(true, 0.0f));
    stage->colorGen = ColorGen::Vertex;
    stage->clampU = stage->clampV = GlConstant::kRepeat;
    bool first = stages.empty();
    if (!first) {
        stage->alphaGen = AlphaGen::StageGenerated;
        stage->blendEnabled = true;
        stage->srcBlend = GlConstant::kSrcAlpha;
        stage->dstBlend = GlConstant::kOneMinusSrcAlpha;
        stage->colorGen = ColorGen::SameAsPreviousStage;
    }
    if (IsConstantColorGen(tileStage.colorGen)) {
        constantSeen = true;
        stage->colorGen = first ? ColorGen::VertexAndConstant : ColorGen::SavedAndConstant;
        stage->constantColor = tileStage.constantColor;
    }
    stage->colorArrayKind = ChooseColorArrayKind(stage->colorGen, stage->alphaGen);
    stages.push_back(std::move(stage));
}
