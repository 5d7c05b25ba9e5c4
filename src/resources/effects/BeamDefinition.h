// BeamDefinition -- a beam file (".bem"): a jittered strip of segments from a point, its widths, colour and fade-out.
#pragma once

#include "core/ColorSystem.h"
#include "resources/Resource.h"
#include "resources/ResourceHandle.h"

#include <cstdint>
#include <string>

class TextParser;

class BeamDefinition : public Resource {
public:
    // The "bem" factory: always a definition, with defaults where the file says nothing usable.
    static Resource* Create(const std::string& name, uint8_t* bytes, uint32_t byteCount, int32_t loadArgument);
    // Unknown words are reported with "Unknown beam parm %s in %s" and skipped.
    void Parse(TextParser& parser, const std::string& resourceName);

    ResourceHandle texture;
    // linked, fade and alpha are kept from the file; no beam behaviour reads them.
    bool linked = false;
    bool additive = false;
    bool fade = false;
    float size = 1.0f;
    // The fade-out after the beam is stopped; 0 or less removes it at once.
    float maxAge = 1.0f;
    float alpha = 1.0f;
    Color color{1.0f, 1.0f, 1.0f};
    // How far the far end lies along the start tag's first axis, without endPointsFromEntity.
    float length = 100.0f;
    int32_t numSegments = 0;
    float segmentLength = 0.0f;
    float minOffset = 0.0f;
    float maxOffset = 0.0f;
    // -1 after parsing becomes size.
    float startSize = -1.0f;
    float endSize = -1.0f;
    // Seconds between new jitter patterns.
    float changeTime = 0.1f;
    bool endPointsFromEntity = false;
    std::string textureName;
};
