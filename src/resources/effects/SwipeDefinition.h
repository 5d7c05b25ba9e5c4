// SwipeDefinition -- a trail file (".swp"): how often two moving points are sampled and how fast the samples fade.
#pragma once

#include "core/ColorSystem.h"
#include "resources/Resource.h"
#include "resources/ResourceHandle.h"

#include <cstdint>
#include <string>

class TextParser;

class SwipeDefinition : public Resource {
public:
    // The "swp" factory: always a definition, with defaults where the file says nothing usable.
    static Resource* Create(const std::string& name, uint8_t* bytes, uint32_t byteCount, int32_t loadArgument);
    // Unknown words are reported with the beams' message, "Unknown beam parm %s in %s".
    void Parse(TextParser& parser, const std::string& resourceName);

    ResourceHandle texture;
    bool additive = false;
    // Seconds a sample takes to fade out.
    float maxAge = 1.0f;
    float alpha = 1.0f;
    Color color{1.0f, 1.0f, 1.0f};
    // Seconds between samples; at most one is taken a frame.
    float updateTime = 0.05f;
    std::string textureName;
};
