// DefinitionFile -- what the three effect definition kinds share: the keyword loop's value reads, naming and the texture rule.
#pragma once

#include "core/ColorSystem.h"
#include "core/StringUtil.h"
#include "core/Vector.h"
#include "resources/ResourceHandle.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

class TextParser;

// Values are read from the rest of the keyword's line, one token each; a missing one reads as
// 0, false or "" and leaves the line end for the next keyword read.
float ReadLineFloat(TextParser& parser);
int32_t ReadLineInt(TextParser& parser);
// An integer; non-zero is true.
bool ReadLineFlag(TextParser& parser);
std::string ReadLineName(TextParser& parser);
// Three numbers, in order.
Vector3 ReadLineVector(TextParser& parser);
Color ReadLineColor(TextParser& parser);

// One row of a kind's keyword table: the word and what it reads into the definition.
template <class Definition>
struct DefinitionKeyword {
    const char* word;
    void (*read)(TextParser& parser, Definition& definition);
};

// Runs the first row whose word equals the token without regard to case; false when none does.
template <class Definition, size_t N>
bool ApplyKeyword(TextParser& parser, Definition& definition, std::string_view token,
                  const DefinitionKeyword<Definition> (&table)[N])
{
    for (const DefinitionKeyword<Definition>& row : table) {
        if (StringEqualsNoCase(token, row.word)) {
            row.read(parser, definition);
            return true;
        }
    }
    return false;
}

// The texture named in a file, under "Textures", as the shader for additive or blended effect
// sprites. Nothing for an empty name.
void LoadDefinitionTexture(std::string_view name, bool additive, ResourceHandle& out);

// Points the handle at the definition file of that name under "Effects"; false (handle given up)
// for an empty name or one of no effect kind, which the manager could only fail to find.
bool RequestDefinition(std::string_view name, ResourceHandle& out);
