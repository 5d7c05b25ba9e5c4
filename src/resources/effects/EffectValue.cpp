// EffectValue -- a number of a particle effect file that may be drawn anew each time it is used.
#include "resources/effects/EffectValue.h"

#include "core/RandomSystem.h"
#include "core/StringUtil.h"
#include "core/TextParser.h"
#include "resources/effects/DefinitionFile.h"

EffectValue EffectValue::Parse(TextParser& parser)
{
    std::string token = ReadLineName(parser);
    if (StringEqualsNoCase(token, "rand"))
        return {kUniform, 0.0f, ReadLineFloat(parser)};
    if (StringEqualsNoCase(token, "crand")) {
        float extent = ReadLineFloat(parser);
        return {kUniform, -extent, extent};
    }
    if (StringEqualsNoCase(token, "randRange")) {
        float low = ReadLineFloat(parser);
        return {kUniform, low, ReadLineFloat(parser)};
    }
    return Constant(ParseFloat(token));
}

float EffectValue::Evaluate() const
{
    if (kind == kConstant)
        return min;
    if (kind == kUniform)
        return gRandomSystem->RandomRange(RandomStream::GameData, min, max);
    return 0.0f;
}
