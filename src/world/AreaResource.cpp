// AreaResource -- a loaded area file ("ara"): tile textures, object models, edge types and the blocks levels are built from.
#include "world/AreaResource.h"

#include "core/Database.h"
#include "core/DatabaseEntry.h"
#include "core/DebugSystem.h"
#include "core/RandomSystem.h"
#include "core/StringUtil.h"
#include "core/TextParser.h"
#include "core/UserVarSystem.h"
#include "resources/ResourceManager.h"
#include "resources/shaders/ShaderLookup.h"
#include "rules/GameData.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr const char* kAreaGroundDetailSuffixes[] = {"Low", "Normal", "High"};
// The renderer's default when it has not registered its var (a world host without a window).
constexpr int32_t kAreaDefaultGroundDetail = 2;

int32_t AreaCappedCount(int32_t count, int32_t maximum)
{
    return std::clamp(count, 0, maximum);
}

int32_t AreaFacingOrDefault(int32_t facing)
{
    return facing >= 0 && facing < 8 ? facing : kAreaDefaultFacing;
}

int32_t AreaCurrentGroundDetail()
{
    if (!gUserVarSystem || !gUserVarSystem->FindVar("r_groundDetail"))
        return kAreaDefaultGroundDetail;
    return gUserVarSystem->GetIntByName("r_groundDetail");
}

} // namespace

AreaResource::AreaResource(int32_t blockWidth, int32_t blockHeight)
    : blockWidth(std::max(blockWidth, 1)), blockHeight(std::max(blockHeight, 1))
{
}

AreaResource::~AreaResource() = default;

Resource* AreaResource::Create(const std::string&, uint8_t* bytes, uint32_t byteCount, int32_t)
{
    GameSystemTuning defaults;
    const GameSystemTuning& tuning = gGameData ? gGameData->GetTuning() : defaults;
    auto* area = new AreaResource(tuning.blockTileWidth, tuning.blockTileHeight);
    TextParser parser(bytes, byteCount);
    area->Parse(parser);
    return area;
}

Resource* AreaResource::CreateMissing(const std::string&)
{
    GameSystemTuning defaults;
    const GameSystemTuning& tuning = gGameData ? gGameData->GetTuning() : defaults;
    return new AreaResource(tuning.blockTileWidth, tuning.blockTileHeight);
}

void AreaResource::ParseNames(TextParser& parser, std::vector<std::string>& names)
{
    int32_t count = 0;
    parser.ReadInt(count, true);
    int32_t capped = AreaCappedCount(count, kMaxNamedTypes);
    std::string name;
    // A count larger than the names left stops at the end of the text.
    for (int32_t i = 0; i < capped && parser.NextToken(name, true); ++i)
        names.push_back(name);
    if (static_cast<int32_t>(names.size()) != count)
        ++parseFaults;
}

void AreaResource::Parse(TextParser& parser)
{
    std::vector<std::string> textureNames;
    ParseNames(parser, textureNames);
    for (const std::string& name : textureNames)
        tileTextures.push_back({name, {}, {}});
    ParseNames(parser, edgeTypeNames);
    edgeRoles.Resolve(edgeTypeNames);
    std::vector<std::string> modelNames;
    ParseNames(parser, modelNames);
    for (const std::string& name : modelNames)
        objectTypes.push_back({name, {}});

    std::string token;
    while (parser.NextToken(token, true)) {
        // Case matters: only the exact word starts a block; everything else between blocks is skipped.
        if (token != "block")
            continue;
        if (GetBlockCount() < kMaxBlocks)
            ParseBlock(parser);
        else
            ++parseFaults;
    }
}

void AreaResource::ParseBlock(TextParser& parser)
{
    auto block = std::make_unique<AreaBlock>(blockWidth, blockHeight);
    parser.NextToken(block->name, true);
    float weight = 0.0f;
    int32_t mask = 0;
    if (parser.ReadFloat(weight, false)) {
        // A weight that is negative or not a number would spoil the weighted draw.
        bool usable = std::isfinite(weight) && weight >= 0.0f;
        block->weight = usable ? weight : 0.0f;
        parseFaults += usable ? 0 : 1;
        if (parser.ReadInt(mask, false)) {
            block->edgeMask = mask & kAreaAllSidesOpen;
            if (parser.ReadInt(block->maxUses, false) && parser.ReadBool(block->forceMonsters, false))
                parser.ReadBool(block->forceChests, false);
        }
    }
    std::string brace;
    parser.NextToken(brace, true);

    int32_t textureCount = static_cast<int32_t>(tileTextures.size());
    for (int32_t& tile : block->tiles) {
        int32_t value = 0;
        parser.ReadInt(value, true);
        tile = value >= -1 && value < textureCount ? value : -1;
        parseFaults += value >= -1 && value < textureCount ? 0 : 1;
    }
    std::string token;
    for (int32_t& edge : block->edges)
        edge = parser.NextToken(token, true) ? ParseInt(token) : 0;

    int32_t objectCount = static_cast<int32_t>(objectTypes.size());
    while (parser.NextToken(token, true) && token != "}") {
        int32_t x = ParseInt(token);
        int32_t row = 0;
        int32_t object = 0;
        int32_t value = 0;
        if (parser.ReadInt(row, false) && parser.ReadInt(object, false))
            parser.ReadInt(value, false);
        if (x < 0 || x >= blockWidth || row < 0 || row >= blockHeight) {
            ++parseFaults;
            continue;
        }
        AreaCell& cell = block->cells[static_cast<size_t>(row * blockWidth + x)];
        if (object >= 0 && object < objectCount)
            cell = {object, AreaFacingOrDefault(value)};
        else
            cell = {};
        parseFaults += object >= 0 && object < objectCount && AreaFacingOrDefault(value) == value ? 0 : 1;
    }
    blocks.push_back(std::move(block));
}

void AreaResource::Acquire()
{
    ++acquireCount;
    if (texturesLoaded)
        return;
    LoadHandles();
    ApplyGroundDetail();
    texturesLoaded = true;
}

void AreaResource::Release()
{
    --acquireCount;
    if (!texturesLoaded || acquireCount > 0)
        return;
    ReleaseHandles();
    texturesLoaded = false;
}

void AreaResource::LoadHandles()
{
    if (!gResourceManager)
        return;
    for (AreaTileTexture& tile : tileTextures)
        LoadTextureByName(tile.name, tile.baseTexture, TextureUsage::TwoSidedVertexColor);
    for (AreaObjectType& object : objectTypes)
        gResourceManager->Load(object.name, object.model);
}

void AreaResource::ReleaseHandles()
{
    for (AreaTileTexture& tile : tileTextures) {
        tile.baseTexture.Reset();
        tile.shownTexture.Reset();
    }
    for (AreaObjectType& object : objectTypes)
        object.model.Reset();
}

std::string AreaResource::GroundDetailRecordName(int32_t detail) const
{
    std::string fileName = GetName();
    StripDirectories(fileName);
    RemoveExtension(fileName);
    std::string name = "GroundDetail" + fileName;
    if (detail >= 0 && detail < 3)
        name += kAreaGroundDetailSuffixes[detail];
    return name;
}

void AreaResource::ReapplyGroundDetail()
{
    if (texturesLoaded)
        ApplyGroundDetail();
}

void AreaResource::ApplyGroundDetail()
{
    for (AreaTileTexture& tile : tileTextures)
        tile.shownTexture = tile.baseTexture;
    const DatabaseEntry* record = gDatabase ? gDatabase->FindEntryByName(GroundDetailRecordName(AreaCurrentGroundDetail())) : nullptr;
    if (!record)
        return;
    std::vector<std::string> replaced;
    std::vector<std::string> with;
    record->GetStringList("Replace", replaced, true, false);
    record->GetStringList("With", with, true, false);
    for (size_t pair = 0; pair < std::min(replaced.size(), with.size()); ++pair) {
        int32_t from = FindTileByName(replaced[pair]);
        int32_t to = FindTileByName(with[pair]);
        if (from < 0 || to < 0)
            continue;
        int32_t fromTexture = tileTextures[static_cast<size_t>(from)].baseTexture;
        // A texture that failed to load is -1 like every other failed one: replacing it would
        // replace them all.
        if (fromTexture == -1)
            continue;
        ResourceHandle toTexture = tileTextures[static_cast<size_t>(to)].baseTexture;
        for (AreaTileTexture& tile : tileTextures) {
            if (tile.shownTexture == fromTexture)
                tile.shownTexture = toTexture;
        }
    }
}

AreaBlock* AreaResource::GetBlock(int32_t block) const
{
    if (block < 0 || block >= GetBlockCount())
        return nullptr;
    return blocks[static_cast<size_t>(block)].get();
}

int32_t AreaResource::TileElement(int32_t x, int32_t y) const
{
    if (x < 0 || x >= blockWidth || y < 0 || y >= blockHeight)
        return -1;
    return (blockHeight - y - 1) * blockWidth + x;
}

AreaBlock* AreaResource::BlockAt(int32_t block, int32_t x, int32_t y, int32_t& element) const
{
    element = TileElement(x, y);
    return element < 0 ? nullptr : GetBlock(block);
}

ResourceHandle AreaResource::GetTileTexture(int32_t block, int32_t x, int32_t y) const
{
    int32_t element = -1;
    const AreaBlock* found = BlockAt(block, x, y, element);
    if (!found)
        return {};
    int32_t tile = found->tiles[static_cast<size_t>(element)];
    if (tile < 0 || tile >= static_cast<int32_t>(tileTextures.size()))
        return {};
    return tileTextures[static_cast<size_t>(tile)].shownTexture;
}

int32_t AreaResource::GetTileObject(int32_t block, int32_t x, int32_t y, ResourceHandle& model, int32_t& value) const
{
    int32_t element = -1;
    const AreaBlock* found = BlockAt(block, x, y, element);
    int32_t object = found ? found->cells[static_cast<size_t>(element)].objectIndex : -1;
    if (object < 0 || object >= static_cast<int32_t>(objectTypes.size())) {
        model.Reset();
        return -1;
    }
    model = objectTypes[static_cast<size_t>(object)].model;
    value = found->cells[static_cast<size_t>(element)].objectValue;
    return object;
}

ResourceHandle AreaResource::GetObjectTypeModel(int32_t objectIndex) const
{
    if (objectIndex < 0 || objectIndex >= static_cast<int32_t>(objectTypes.size()))
        return {};
    return objectTypes[static_cast<size_t>(objectIndex)].model;
}

int32_t AreaResource::ChooseBlock(const std::array<int32_t, kAreaBlockSideCount>& requirements,
                                  std::vector<int32_t>& useCounts) const
{
    useCounts.resize(blocks.size(), 0);
    std::vector<int32_t> candidates;
    float total = 0.0f;
    for (int32_t number = 0; number < GetBlockCount(); ++number) {
        const AreaBlock& block = *blocks[static_cast<size_t>(number)];
        if (block.maxUses >= 1 && useCounts[static_cast<size_t>(number)] >= block.maxUses)
            continue;
        bool fits = true;
        for (int32_t side = 0; side < kAreaBlockSideCount && fits; ++side)
            fits = EdgeFits(block.edges[static_cast<size_t>(side)], requirements[static_cast<size_t>(side)]);
        if (!fits)
            continue;
        candidates.push_back(number);
        total += block.weight;
    }
    if (candidates.empty())
        return -1;
    float draw = DrawRandomFloat(RandomStream::BlockPlacement);
    float target = draw * total;
    float sum = 0.0f;
    int32_t chosen = candidates.back();
    for (int32_t number : candidates) {
        sum += blocks[static_cast<size_t>(number)]->weight;
        if (sum >= target) {
            chosen = number;
            break;
        }
    }
    ++useCounts[static_cast<size_t>(chosen)];
    return chosen;
}

bool AreaResource::IsSideOpen(int32_t block, int32_t side) const
{
    const AreaBlock* found = GetBlock(block);
    if (!found || side < 0 || side >= kAreaBlockSideCount)
        return false;
    return (found->edgeMask & (1 << side)) != 0;
}

int32_t AreaResource::GetEdge(int32_t block, int32_t side) const
{
    const AreaBlock* found = GetBlock(block);
    if (!found || side < 0 || side >= kAreaBlockSideCount)
        return -1;
    return found->edges[static_cast<size_t>(side)];
}

int32_t AreaResource::FindEdgeType(std::string_view name) const
{
    for (size_t i = 0; i < edgeTypeNames.size(); ++i) {
        if (edgeTypeNames[i] == name)
            return static_cast<int32_t>(i);
    }
    return -1;
}

void AreaResource::AddEdgeType(std::string_view name)
{
    if (FindEdgeType(name) < 0)
        edgeTypeNames.emplace_back(name);
    edgeRoles.Resolve(edgeTypeNames);
}

void AreaResource::RemoveEdgeType(std::string_view name)
{
    int32_t removed = FindEdgeType(name);
    if (removed < 0)
        return;
    edgeTypeNames.erase(edgeTypeNames.begin() + removed);
    for (auto& block : blocks) {
        for (int32_t& edge : block->edges) {
            if (edge == removed)
                edge = 0;
            else if (edge > removed)
                --edge;
        }
    }
    // The roles hold indices too: left as they were they would name the wrong types.
    edgeRoles.Resolve(edgeTypeNames);
}

AreaBlock* AreaResource::NewBlock()
{
    blocks.push_back(std::make_unique<AreaBlock>(blockWidth, blockHeight));
    return blocks.back().get();
}

void AreaResource::RemoveBlock(int32_t block)
{
    if (block >= 0 && block < GetBlockCount())
        blocks.erase(blocks.begin() + block);
}

void AreaResource::SetTile(int32_t block, int32_t x, int32_t y, const ResourceHandle& texture)
{
    int32_t element = -1;
    AreaBlock* found = BlockAt(block, x, y, element);
    if (!found)
        return;
    int32_t tile = FindTileByTexture(texture);
    if (tile < 0) {
        tile = static_cast<int32_t>(tileTextures.size());
        tileTextures.push_back({texture.GetName(), texture, texture});
    }
    found->tiles[static_cast<size_t>(element)] = tile;
}

void AreaResource::SetCell(int32_t block, int32_t x, int32_t y, const ResourceHandle& model, int32_t objectValue)
{
    int32_t element = -1;
    AreaBlock* found = BlockAt(block, x, y, element);
    if (!found)
        return;
    int32_t object = FindObjectByModel(model);
    if (object < 0) {
        object = static_cast<int32_t>(objectTypes.size());
        objectTypes.push_back({model.GetName(), model});
    }
    found->cells[static_cast<size_t>(element)] = {object, AreaFacingOrDefault(objectValue)};
}

void AreaResource::ClearCell(int32_t block, int32_t x, int32_t y)
{
    int32_t element = -1;
    if (AreaBlock* found = BlockAt(block, x, y, element))
        found->cells[static_cast<size_t>(element)].objectIndex = -1;
}

int32_t AreaResource::FindTileByName(std::string_view name) const
{
    for (size_t i = 0; i < tileTextures.size(); ++i) {
        if (StringEqualsNoCase(tileTextures[i].name, name))
            return static_cast<int32_t>(i);
    }
    return -1;
}

int32_t AreaResource::FindTileByTexture(int32_t texture) const
{
    for (size_t i = 0; i < tileTextures.size(); ++i) {
        if (texture != -1 && tileTextures[i].baseTexture == texture)
            return static_cast<int32_t>(i);
    }
    return -1;
}

int32_t AreaResource::FindObjectByModel(int32_t model) const
{
    for (size_t i = 0; i < objectTypes.size(); ++i) {
        if (model != -1 && objectTypes[i].model == model)
            return static_cast<int32_t>(i);
    }
    return -1;
}

std::string AreaResource::EdgeMaskToText(int32_t mask)
{
    std::string text;
    for (int32_t side = 0; side < kAreaBlockSideCount; ++side)
        text += (mask & (1 << side)) ? '1' : '0';
    return text;
}

void AreaResource::EdgeMaskFromText(std::string_view text, int32_t& mask)
{
    if (text.size() != kAreaBlockSideCount)
        return;
    mask = 0;
    for (int32_t side = 0; side < kAreaBlockSideCount; ++side) {
        if (text[static_cast<size_t>(side)] == '1')
            mask |= 1 << side;
    }
}
