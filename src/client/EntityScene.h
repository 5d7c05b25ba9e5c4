// EntityScene -- where an entity's draw puts its models, its shadow (a stock one under it, or its model flattened on the ground) and its overhead icon: the frame's world view, or a recording in tests and benchmarks; with the frame's facts the draw asks once.
#pragma once

#include "core/Matrix.h"
#include "render/WorldView.h"
#include "world/WorldPos3.h"

#include <cstdint>

class EntityClient;

// What every entity's draw reads the same way in one frame, gathered once.
struct EntityDrawFrame {
    int32_t playerNumber = -1;
    const EntityClient* hovered = nullptr;
    bool drawPlayerHelmet = true;
    bool showTags = false;
    float iconSize = 0.0f;
    float iconAlpha = 0.0f;
};

class EntityScene {
public:
    virtual ~EntityScene() = default;
    virtual void AddModel(const ModelSurfacesDesc& desc) = 0;
    // An entity whose model is a sprite model: one frame of its animation, upright.
    virtual void AddSprite(const SpriteDesc& sprite) = 0;
    // The stock shadow, size wide, under the point.
    virtual void AddShadow(const WorldPos3& position, float size) = 0;
    // The model flattened onto the ground as cast from the light: a complex shadow.
    virtual void AddProjectedShadow(const ModelSurfacesDesc& model, const WorldPos3& light) = 0;
    // A camera-facing square of the texture, size wide, centred on the point.
    virtual void AddIcon(const WorldPos3& position, float size, float alpha, int32_t texture) = 0;
    // A flat square of the texture, size wide and tinted, on the ground under the point.
    virtual void AddGroundMark(const WorldPos3& position, float size, const Color& colour, int32_t texture) = 0;
    // The three axes of a tag, a developer's aid.
    virtual void AddTagAxes(const WorldPos3& position, const Matrix3& matrix) = 0;
    // The stock textures of the hover outline by map colour and of the glow by item kind; -1
    // for none.
    virtual int32_t GetOutlineTexture(int32_t colourIndex) const = 0;
    virtual int32_t GetGlowTexture(int32_t glow) const = 0;
    // 0 none, 1 the stock shadow under an entity, 2 its model flattened on the ground.
    virtual int32_t GetShadowMode() const = 0;
};

// The frame's world view, with the renderer's stock textures.
class WorldViewEntityScene : public EntityScene {
public:
    explicit WorldViewEntityScene(WorldView& view) : view(view) {}
    void AddModel(const ModelSurfacesDesc& desc) override;
    void AddSprite(const SpriteDesc& sprite) override;
    void AddShadow(const WorldPos3& position, float size) override;
    void AddProjectedShadow(const ModelSurfacesDesc& model, const WorldPos3& light) override;
    void AddIcon(const WorldPos3& position, float size, float alpha, int32_t texture) override;
    void AddGroundMark(const WorldPos3& position, float size, const Color& colour, int32_t texture) override;
    void AddTagAxes(const WorldPos3& position, const Matrix3& matrix) override;
    int32_t GetOutlineTexture(int32_t colourIndex) const override;
    int32_t GetGlowTexture(int32_t glow) const override;
    int32_t GetShadowMode() const override;

private:
    WorldView& view;
};
