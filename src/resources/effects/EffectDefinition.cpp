// EffectDefinition -- a particle effect file (".eff"): emission, placement, motion, bounce, look and fading of its particles.
#include "resources/effects/EffectDefinition.h"

#include "core/DebugSystem.h"
#include "core/FileSystem.h"
#include "core/TextParser.h"
#include "resources/ResourceManager.h"
#include "resources/effects/DefinitionFile.h"

namespace {

using EffectKeyword = DefinitionKeyword<EffectDefinition>;

void ReadValues(TextParser& parser, EffectValue (&out)[3])
{
    for (EffectValue& value : out)
        value = EffectValue::Parse(parser);
}

// The shape's radius, then an optional flag: anywhere inside (0) or on the surface (missing or non-zero).
void ReadShape(TextParser& parser, float& radius, bool& onSurface)
{
    radius = ReadLineFloat(parser);
    int32_t flag = 1;
    onSurface = !parser.ReadInt(flag, false) || flag != 0;
}

void ReadBounceSound(TextParser& parser, EffectDefinition& d)
{
    std::string name = ReadLineName(parser);
    if (name.empty() || !gResourceManager)
        return;
    FileSystem::PrefixPath(name, PathBase("Sounds"));
    gResourceManager->Load(name, d.bounceSound);
}

// Tried in this order; the first word that matches wins.
constexpr EffectKeyword kEffectKeywords[] = {
    {"spawnRate",
     [](TextParser& p, EffectDefinition& d) {
         float rate = ReadLineFloat(p);
         d.spawnInterval = rate > 0.0f ? 1.0f / rate : 0.0f;
     }},
    {"spawnCount", [](TextParser& p, EffectDefinition& d) { d.spawnCount = ReadLineInt(p); }},
    {"texture", [](TextParser& p, EffectDefinition& d) { d.textureName = ReadLineName(p); }},
    {"linked", [](TextParser&, EffectDefinition& d) { d.linked = true; }},
    {"additive", [](TextParser&, EffectDefinition& d) { d.additive = true; }},
    {"fadeIn", [](TextParser&, EffectDefinition& d) { d.fadeIn = true; }},
    {"fadeOut", [](TextParser&, EffectDefinition& d) { d.fadeOut = true; }},
    {"fade", [](TextParser&, EffectDefinition& d) { d.fadeIn = d.fadeOut = true; }},
    {"fadeTime", [](TextParser& p, EffectDefinition& d) { d.fadeTime = ReadLineFloat(p); }},
    {"flicker", [](TextParser&, EffectDefinition& d) { d.flicker = true; }},
    {"dieTouch", [](TextParser&, EffectDefinition& d) { d.dieTouch = true; }},
    {"tagOriented", [](TextParser&, EffectDefinition& d) { d.tagOriented = true; }},
    {"bounce", [](TextParser&, EffectDefinition& d) { d.bounce = true; }},
    {"bounceFactor", [](TextParser& p, EffectDefinition& d) { d.bounceFactor = ReadLineFloat(p); }},
    {"size", [](TextParser& p, EffectDefinition& d) { d.size = ReadLineFloat(p); }},
    {"maxAge", [](TextParser& p, EffectDefinition& d) { d.maxAge = ReadLineFloat(p); }},
    {"scaleRate", [](TextParser& p, EffectDefinition& d) { d.scaleRate = ReadLineFloat(p); }},
    {"velocity", [](TextParser& p, EffectDefinition& d) { ReadValues(p, d.velocity); }},
    {"avelocity", [](TextParser& p, EffectDefinition& d) { ReadValues(p, d.avelocity); }},
    {"speed", [](TextParser& p, EffectDefinition& d) { d.speed = ReadLineFloat(p); }},
    {"direction",
     [](TextParser& p, EffectDefinition& d) {
         ReadValues(p, d.direction);
         d.hasDirection = true;
     }},
    {"alpha", [](TextParser& p, EffectDefinition& d) { d.alpha = ReadLineFloat(p); }},
    {"offset", [](TextParser& p, EffectDefinition& d) { ReadValues(p, d.offset); }},
    {"accel", [](TextParser& p, EffectDefinition& d) { d.accel = ReadLineVector(p); }},
    {"scale", [](TextParser& p, EffectDefinition& d) { d.scale = EffectValue::Parse(p); }},
    {"sphere", [](TextParser& p, EffectDefinition& d) { ReadShape(p, d.sphereRadius, d.onSurface); }},
    {"circle", [](TextParser& p, EffectDefinition& d) { ReadShape(p, d.circleRadius, d.onSurface); }},
    {"color", [](TextParser& p, EffectDefinition& d) { d.color = ReadLineColor(p); }},
    {"maxBounces", [](TextParser& p, EffectDefinition& d) { d.maxBounces = ReadLineInt(p); }},
    {"bounceSound", ReadBounceSound},
    {"spin", [](TextParser& p, EffectDefinition& d) { d.spin = ReadLineFloat(p) * 360.0f; }},
    {"swipe", [](TextParser& p, EffectDefinition& d) { d.swipeName = ReadLineName(p); }},
    {"spawnRateMultWeather", [](TextParser& p, EffectDefinition& d) { d.spawnRateMultWeather = ReadLineFlag(p); }},
    {"velocityAddWind", [](TextParser& p, EffectDefinition& d) { d.velocityAddWind = ReadLineFloat(p); }},
    {"colorFromItemType", [](TextParser& p, EffectDefinition& d) { d.colorFromItemType = ReadLineFlag(p); }},
    {"colorFromCovenant", [](TextParser& p, EffectDefinition& d) { d.colorFromCovenant = ReadLineFlag(p); }},
    {"hideWhenParentDead", [](TextParser& p, EffectDefinition& d) { d.hideWhenParentDead = ReadLineFlag(p); }},
    {"hideWhenParentHidden", [](TextParser& p, EffectDefinition& d) { d.hideWhenParentHidden = ReadLineFlag(p); }},
    {"matchRotationToInitialVelocity",
     [](TextParser& p, EffectDefinition& d) { d.matchRotationToInitialVelocity = ReadLineFlag(p); }},
    {"line",
     [](TextParser& p, EffectDefinition& d) {
         d.line = true;
         d.lineTagName = ReadLineName(p);
     }},
};

} // namespace

Resource* EffectDefinition::Create(const std::string& name, uint8_t* bytes, uint32_t byteCount, int32_t)
{
    auto* definition = new EffectDefinition();
    TextParser parser(bytes, byteCount);
    definition->Parse(parser, name);
    return definition;
}

void EffectDefinition::Parse(TextParser& parser, const std::string& resourceName)
{
    std::string token;
    while (parser.NextToken(token, true)) {
        if (!ApplyKeyword(parser, *this, token, kEffectKeywords))
            DebugSystem::Print(kPrintError, "Unknown effects parm %s in %s\n", token.c_str(), resourceName.c_str());
    }
    LoadDefinitionTexture(textureName, additive, texture);
}
