// EntityScene -- where an entity's draw puts its models, its shadow (a stock one under it, or its model flattened on the ground) and its overhead icon: the frame's world view, or a recording in tests and benchmarks; with the frame's facts the draw asks once.
#include "client/EntityScene.h"

#include "core/ColorSystem.h"
#include "render/Renderer.h"
#include "resources/ResourceManager.h"
#include "resources/shaders/Shader.h"


namespace {

// The renderer's standard handle of the stock shadow.
constexpr int32_t kEntitySceneShadowHandle = 4;

} // namespace

void WorldViewEntityScene::AddModel(const ModelSurfacesDesc& desc)
{
    view.AddModelSurfaces(desc);
}

void WorldViewEntityScene::AddSprite(const SpriteDesc& sprite)
{
    view.AddSprite(sprite);
}

void WorldViewEntityScene::AddShadow(const WorldPos3& position, float size)
{
    if (gRenderer)
        view.AddGroundQuad(position, size, Color{1.0f, 1.0f, 1.0f}, 1.0f,
                           gRenderer->GetStandardHandle(kEntitySceneShadowHandle).GetValue());
}

void WorldViewEntityScene::AddProjectedShadow(const ModelSurfacesDesc& model, const WorldPos3& light)
{
    int32_t shader = gRenderer ? gRenderer->GetProjectedShadowTexture().GetValue() : -1;
    if (shader == -1)
        return;
    ModelSurfacesDesc shadow = model;
    shadow.shaderOverride = shader;
    // Its shader marks the stencil where it darkens: a depth-only pass first would mark it all
    // and leave the colour pass nothing.
    shadow.singlePass = true;
    shadow.projected = true;
    shadow.shadowLight = light;
    view.AddModelSurfaces(shadow);
}

void WorldViewEntityScene::AddIcon(const WorldPos3& position, float size, float alpha, int32_t texture)
{
    const auto* shader = texture != -1 && gResourceManager ? dynamic_cast<const Shader*>(gResourceManager->Get(texture))
                                                           : nullptr;
    if (!shader)
        return;
    Color colour;
    ColorSystem::GetColorByIndex(colour.r, colour.g, colour.b, 0);
    view.GetEffects().AddParticleSurface(*shader, Renderer::ToCameraLevel(view, position), 0.0f, size * 0.5f, colour,
                                         alpha, 0.0f);
}

void WorldViewEntityScene::AddGroundMark(const WorldPos3& position, float size, const Color& colour, int32_t texture)
{
    if (texture != -1)
        view.AddGroundQuad(position, size, colour, 1.0f, texture);
}

void WorldViewEntityScene::AddTagAxes(const WorldPos3& position, const Matrix3& matrix)
{
    view.AddTagAxes(position, matrix);
}

int32_t WorldViewEntityScene::GetOutlineTexture(int32_t colourIndex) const
{
    return gRenderer ? gRenderer->GetOutlineTexture(colourIndex).GetValue() : -1;
}

int32_t WorldViewEntityScene::GetGlowTexture(int32_t glow) const
{
    return gRenderer ? gRenderer->GetGlowTexture(glow).GetValue() : -1;
}

int32_t WorldViewEntityScene::GetShadowMode() const
{
    return gRenderer ? gRenderer->GetShadowMode() : 0;
}
