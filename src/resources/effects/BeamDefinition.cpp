// BeamDefinition -- a beam file (".bem"): a jittered strip of segments from a point, its widths, colour and fade-out.
#include "resources/effects/BeamDefinition.h"

#include "core/DebugSystem.h"
#include "core/TextParser.h"
#include "resources/effects/DefinitionFile.h"

namespace {

using BeamKeyword = DefinitionKeyword<BeamDefinition>;

constexpr BeamKeyword kBeamKeywords[] = {
    {"texture", [](TextParser& p, BeamDefinition& d) { d.textureName = ReadLineName(p); }},
    {"linked", [](TextParser&, BeamDefinition& d) { d.linked = true; }},
    {"additive", [](TextParser&, BeamDefinition& d) { d.additive = true; }},
    {"fade", [](TextParser&, BeamDefinition& d) { d.fade = true; }},
    {"size", [](TextParser& p, BeamDefinition& d) { d.size = ReadLineFloat(p); }},
    {"maxAge", [](TextParser& p, BeamDefinition& d) { d.maxAge = ReadLineFloat(p); }},
    {"alpha", [](TextParser& p, BeamDefinition& d) { d.alpha = ReadLineFloat(p); }},
    {"color", [](TextParser& p, BeamDefinition& d) { d.color = ReadLineColor(p); }},
    {"length", [](TextParser& p, BeamDefinition& d) { d.length = ReadLineFloat(p); }},
    {"numSegments", [](TextParser& p, BeamDefinition& d) { d.numSegments = ReadLineInt(p); }},
    {"segmentLength", [](TextParser& p, BeamDefinition& d) { d.segmentLength = ReadLineFloat(p); }},
    {"minOffset", [](TextParser& p, BeamDefinition& d) { d.minOffset = ReadLineFloat(p); }},
    {"maxOffset", [](TextParser& p, BeamDefinition& d) { d.maxOffset = ReadLineFloat(p); }},
    {"startSize", [](TextParser& p, BeamDefinition& d) { d.startSize = ReadLineFloat(p); }},
    {"endSize", [](TextParser& p, BeamDefinition& d) { d.endSize = ReadLineFloat(p); }},
    {"changeTime", [](TextParser& p, BeamDefinition& d) { d.changeTime = ReadLineFloat(p); }},
    {"endPointsFromEntity", [](TextParser& p, BeamDefinition& d) { d.endPointsFromEntity = ReadLineFlag(p); }},
};

} // namespace

Resource* BeamDefinition::Create(const std::string& name, uint8_t* bytes, uint32_t byteCount, int32_t)
{
    auto* definition = new BeamDefinition();
    TextParser parser(bytes, byteCount);
    definition->Parse(parser, name);
    return definition;
}

void BeamDefinition::Parse(TextParser& parser, const std::string& resourceName)
{
    std::string token;
    while (parser.NextToken(token, true)) {
        if (!ApplyKeyword(parser, *this, token, kBeamKeywords))
            DebugSystem::Print(kPrintError, "Unknown beam parm %s in %s\n", token.c_str(), resourceName.c_str());
    }
    // Only the exact default stands for "not given": a file may set "size" after "startSize".
    if (startSize == -1.0f)
        startSize = size;
    if (endSize == -1.0f)
        endSize = size;
    LoadDefinitionTexture(textureName, additive, texture);
}
