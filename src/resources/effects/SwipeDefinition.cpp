// SwipeDefinition -- a trail file (".swp"): how often two moving points are sampled and how fast the samples fade.
#include "resources/effects/SwipeDefinition.h"

#include "core/DebugSystem.h"
#include "core/TextParser.h"
#include "resources/effects/DefinitionFile.h"

namespace {

using SwipeKeyword = DefinitionKeyword<SwipeDefinition>;

constexpr SwipeKeyword kSwipeKeywords[] = {
    {"texture", [](TextParser& p, SwipeDefinition& d) { d.textureName = ReadLineName(p); }},
    {"additive", [](TextParser&, SwipeDefinition& d) { d.additive = true; }},
    {"maxAge", [](TextParser& p, SwipeDefinition& d) { d.maxAge = ReadLineFloat(p); }},
    {"alpha", [](TextParser& p, SwipeDefinition& d) { d.alpha = ReadLineFloat(p); }},
    {"color", [](TextParser& p, SwipeDefinition& d) { d.color = ReadLineColor(p); }},
    {"updateTime", [](TextParser& p, SwipeDefinition& d) { d.updateTime = ReadLineFloat(p); }},
};

} // namespace

Resource* SwipeDefinition::Create(const std::string& name, uint8_t* bytes, uint32_t byteCount, int32_t)
{
    auto* definition = new SwipeDefinition();
    TextParser parser(bytes, byteCount);
    definition->Parse(parser, name);
    return definition;
}

void SwipeDefinition::Parse(TextParser& parser, const std::string& resourceName)
{
    std::string token;
    while (parser.NextToken(token, true)) {
        if (!ApplyKeyword(parser, *this, token, kSwipeKeywords))
            DebugSystem::Print(kPrintError, "Unknown beam parm %s in %s\n", token.c_str(), resourceName.c_str());
    }
    LoadDefinitionTexture(textureName, additive, texture);
}
