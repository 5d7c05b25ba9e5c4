// RecordingEntityScene -- an entity scene that keeps the models an entity's draw hands it and the icons over their heads, and draws nothing else; every map colour has the one hover tint a test gives it, none by default.
#pragma once

#include "client/EntityScene.h"

#include <vector>

class RecordingEntityScene : public EntityScene {
public:
    void AddModel(const ModelSurfacesDesc& desc) override { models.push_back(desc); }
    void AddSprite(const SpriteDesc&) override {}
    void AddShadow(const WorldPos3&, float) override {}
    void AddProjectedShadow(const ModelSurfacesDesc&, const WorldPos3&) override {}
    void AddIcon(const WorldPos3&, float, float, int32_t texture) override { icons.push_back(texture); }
    void AddGroundMark(const WorldPos3&, float, const Color&, int32_t) override {}
    void AddTagAxes(const WorldPos3&, const Matrix3&) override {}
    int32_t GetOutlineTexture(int32_t) const override { return tint; }
    int32_t GetGlowTexture(int32_t) const override { return -1; }
    int32_t GetShadowMode() const override { return 0; }

    int32_t tint = -1;
    std::vector<ModelSurfacesDesc> models;
    std::vector<int32_t> icons;
};
