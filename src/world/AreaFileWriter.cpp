// AreaFileWriter -- writes an area in the text grammar the area file parser reads, for the area editor and the content tools.
#include "world/AreaFileWriter.h"

#include "core/StringUtil.h"
#include "world/AreaResource.h"

#include <vector>

namespace {

// A quote inside a name is escaped as the tokenizer reads it back.
std::string AreaWriterQuoted(const std::string& name)
{
    std::string quoted = name;
    StringReplaceAll(quoted, "\"", "\\\"");
    return "\"" + quoted + "\"";
}

void AreaWriterNames(std::string& out, const char* what, const std::vector<std::string>& names)
{
    StringAppendFormat(out, "// %s\n%zu\n", what, names.size());
    for (const std::string& name : names)
        out += AreaWriterQuoted(name) + "\n";
}

void AreaWriterBlock(std::string& out, const AreaResource& area, const AreaBlock& block)
{
    out += "\nblock " + AreaWriterQuoted(block.name);
    StringAppendFormat(out, " %.9g %d %d %d %d\n{\n", static_cast<double>(block.weight), block.edgeMask,
                       block.maxUses, block.forceMonsters ? 1 : 0, block.forceChests ? 1 : 0);
    int32_t width = area.GetBlockWidth();
    for (size_t element = 0; element < block.tiles.size(); ++element) {
        StringAppendFormat(out, element % static_cast<size_t>(width) == 0 ? "%d" : " %d", block.tiles[element]);
        if (element % static_cast<size_t>(width) == static_cast<size_t>(width) - 1)
            out += "\n";
    }
    StringAppendFormat(out, "%d %d %d %d\n", block.edges[0], block.edges[1], block.edges[2], block.edges[3]);
    for (size_t element = 0; element < block.cells.size(); ++element) {
        const AreaCell& cell = block.cells[element];
        if (cell.objectIndex < 0)
            continue;
        int32_t x = static_cast<int32_t>(element) % width;
        int32_t rowFromTop = static_cast<int32_t>(element) / width;
        StringAppendFormat(out, "%d %d %d %d\n", x, rowFromTop, cell.objectIndex, cell.objectValue);
    }
    out += "}\n";
}

} // namespace

std::string WriteAreaFile(const AreaResource& area)
{
    std::string out;
    std::vector<std::string> textureNames;
    for (const AreaTileTexture& tile : area.GetTileTextures())
        textureNames.push_back(tile.name);
    AreaWriterNames(out, "tile textures", textureNames);
    AreaWriterNames(out, "edge types", area.GetEdgeTypeNames());
    std::vector<std::string> modelNames;
    for (const AreaObjectType& object : area.GetObjectTypes())
        modelNames.push_back(object.name);
    AreaWriterNames(out, "object models", modelNames);
    for (int32_t number = 0; number < area.GetBlockCount(); ++number)
        AreaWriterBlock(out, area, *area.GetBlock(number));
    return out;
}
