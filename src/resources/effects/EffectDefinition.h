// EffectDefinition -- a particle effect file (".eff"): emission, placement, motion, bounce, look and fading of its particles.
#pragma once

#include "core/ColorSystem.h"
#include "core/Vector.h"
#include "resources/Resource.h"
#include "resources/ResourceHandle.h"
#include "resources/effects/EffectValue.h"

#include <cstdint>
#include <string>

class TextParser;

// Built once on the loader thread and never changed; what each field does to a particle is
// EffectInstance's. Three values are x, y, z.
class EffectDefinition : public Resource {
public:
    // The "eff" factory: always a definition, with defaults where the file says nothing usable.
    static Resource* Create(const std::string& name, uint8_t* bytes, uint32_t byteCount, int32_t loadArgument);
    // Unknown words are reported with "Unknown effects parm %s in %s" and skipped.
    void Parse(TextParser& parser, const std::string& resourceName);

    ResourceHandle texture;
    bool linked = false;
    bool additive = false;
    bool fadeIn = false;
    bool fadeOut = false;
    // 0: half of maxAge.
    float fadeTime = 0.0f;
    bool flicker = false;
    bool dieTouch = false;
    bool bounce = false;
    float bounceFactor = 0.9f;
    // 0: no limit.
    int32_t maxBounces = 0;
    float size = 1.0f;
    // Seconds between particles of continuous emission; 0 or less: none.
    float spawnInterval = 0.0f;
    float maxAge = 1.0f;
    float scaleRate = 0.0f;
    float alpha = 1.0f;
    float sphereRadius = 0.0f;
    float circleRadius = 0.0f;
    bool onSurface = true;
    Color color{1.0f, 1.0f, 1.0f};
    // Particles of one burst.
    int32_t spawnCount = 0;
    EffectValue scale = EffectValue::Constant(1.0f);
    EffectValue velocity[3];
    float speed = 0.0f;
    bool hasDirection = false;
    EffectValue direction[3];
    // Degrees per second: x turns the pitch, z the heading; y is kept and does nothing.
    EffectValue avelocity[3];
    EffectValue offset[3];
    Vector3 accel;
    ResourceHandle bounceSound;
    bool tagOriented = false;
    // Degrees per second.
    float spin = 0.0f;
    std::string swipeName;
    bool spawnRateMultWeather = false;
    float velocityAddWind = 0.0f;
    bool colorFromItemType = false;
    bool colorFromCovenant = false;
    bool hideWhenParentDead = false;
    bool hideWhenParentHidden = true;
    bool matchRotationToInitialVelocity = false;
    bool line = false;
    std::string lineTagName;
    // As the file gave it; loaded under "Textures" once the whole file is read.
    std::string textureName;
};
