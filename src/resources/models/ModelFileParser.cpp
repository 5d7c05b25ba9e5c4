// ModelFileParser -- reads a ".mdl" model file into a ModelResource: keywords, animation entries, events and the collision block.
#include "resources/models/ModelFileParser.h"

#include "core/DebugSystem.h"
#include "core/EngineEnums.h"
#include "core/EnumTable.h"
#include "core/StringUtil.h"
#include "resources/ResourceManager.h"
#include "resources/shaders/ShaderLookup.h"

#include <algorithm>
#include <iterator>
#include <memory>

namespace {

const char* const kDirectionSuffixes[] = {"_u_", "_ur_", "_r_", "_dr_", "_d_", "_dl_", "_l_", "_ul_"};

bool IsModelKeyword(const std::string& word, const char* keyword)
{
    return StringEqualsNoCase(word, keyword);
}

int32_t EventKindOf(const std::string& word)
{
    static const char* const kNames[] = {"entry", "exit", "first", "last", "every"};
    for (int32_t i = 0; i < static_cast<int32_t>(std::size(kNames)); ++i) {
        if (IsModelKeyword(word, kNames[i]))
            return AnimationEventKind::Entry + i;
    }
    return AnimationEventKind::Frame;
}

// Enough digits for the highest frame number: "%01d" below 10 frames up to "%04d".
int32_t FrameDigits(int32_t frames)
{
    return frames < 10 ? 1 : frames < 100 ? 2 : frames < 1000 ? 3 : 4;
}

} // namespace

ModelResource* ModelFileParser::Read(const std::string& fileName, const uint8_t* bytes, uint32_t byteCount,
                                     const ModelGrid& grid)
{
    auto* model = new ModelResource();
    ModelFileParser(fileName, bytes, byteCount, grid, *model).Parse();
    return model;
}

ModelFileParser::ModelFileParser(const std::string& fileName, const uint8_t* bytes, uint32_t byteCount,
                                 const ModelGrid& grid, ModelResource& model)
    : fileName(fileName), parser(bytes, bytes ? byteCount : 0), grid(grid), model(model)
{
    model.cellsPerTile = grid.cellsPerTile;
}

std::string ModelFileParser::MakeDirectoryPrefix(std::string value)
{
    StringBackslashesToSlashes(value);
    if (!value.empty() && value.back() != '/')
        value.push_back('/');
    return value;
}

void ModelFileParser::Parse()
{
    std::string keyword;
    while (parser.NextToken(keyword, true))
        ReadKeyword(keyword);
}

Vector2 ModelFileParser::LineVector2()
{
    Vector2 value;
    value.x = LineFloat();
    value.y = LineFloat();
    return value;
}

std::string ModelFileParser::LoadFile(ResourceHandle& handle)
{
    std::string name = Line();
    std::string path = name.empty() ? std::string() : prefix + name;
    gResourceManager->Load(path, handle);
    return path;
}

void ModelFileParser::ReadKeyword(const std::string& keyword)
{
    using Reader = void (*)(ModelFileParser&, ModelResource&);
    struct Keyword {
        const char* name;
        Reader read;
    };
    static const Keyword kKeywords[] = {
        {"dir", [](ModelFileParser& p, ModelResource&) { p.prefix = MakeDirectoryPrefix(p.Line()); }},
        {"type", [](ModelFileParser& p, ModelResource& m) { m.type = GetModelTypeByName(p.Line()); }},
        {"skeleton", [](ModelFileParser& p, ModelResource& m) { p.LoadFile(m.skeleton); }},
        {"mesh", [](ModelFileParser& p, ModelResource& m) { p.LoadFile(m.mesh); }},
        {"tags", [](ModelFileParser& p, ModelResource& m) { m.tagsFileName = p.LoadFile(m.tags); }},
        {"skin", [](ModelFileParser& p, ModelResource& m) { p.LoadFile(m.skin); }},
        {"mapShader",
         [](ModelFileParser& p, ModelResource& m) {
             LoadTextureByName(p.Line(), m.mapShader, TextureUsage::TwoSidedVertexColor);
         }},
        {"useDefaultMapShader", [](ModelFileParser& p, ModelResource& m) { m.useDefaultMapShader = p.LineBool(); }},
        {"animations", [](ModelFileParser& p, ModelResource&) { p.ReadAnimations(); }},
        {"collision", [](ModelFileParser& p, ModelResource&) { p.ReadCollision(); }},
        {"lightColor", [](ModelFileParser& p, ModelResource& m) { m.lightColor = ParseColor(p.Line()); }},
        {"lightIntensity", [](ModelFileParser& p, ModelResource& m) { m.lightIntensity = p.LineFloat(); }},
        {"InWayAlphaType",
         [](ModelFileParser& p, ModelResource& m) { m.inWayAlphaType = EnumTable::LookupIn("InWayAlphaType", p.Line()); }},
        {"InWayMinFade", [](ModelFileParser& p, ModelResource& m) { m.inWayMinFade = p.LineFloat(); }},
        {"InWayScale", [](ModelFileParser& p, ModelResource& m) { m.inWayScale = p.LineVector2(); }},
        {"ObjectType", [](ModelFileParser& p, ModelResource& m) { m.objectType = p.Line(); }},
        {"offset",
         [](ModelFileParser& p, ModelResource& m) {
             float half = p.grid.tileSize * 0.5f;
             m.offset = p.LineVector2() - Vector2{half, half};
             m.offsetSet = true;
         }},
        {"randomRotation", [](ModelFileParser& p, ModelResource& m) { m.randomRotation = p.LineBool(); }},
        {"randomScale",
         [](ModelFileParser& p, ModelResource& m) {
             m.randomScaleMin = p.LineFloat();
             m.randomScaleMax = p.LineFloat();
         }},
        {"collisionGridOffset",
         [](ModelFileParser& p, ModelResource& m) {
             m.collisionGridOffset[0] = p.LineInt();
             m.collisionGridOffset[1] = p.LineInt();
         }},
        {"DetailModel", [](ModelFileParser& p, ModelResource& m) { m.detailModel = p.LineBool(); }},
        {"BlocksSight", [](ModelFileParser& p, ModelResource& m) { m.blocksSight = p.LineBool(); }},
        {"Cull", [](ModelFileParser& p, ModelResource& m) { m.cull = p.LineBool(); }},
        {"InWayMinOffset", [](ModelFileParser& p, ModelResource& m) { m.inWayMinOffset = p.LineVector2(); }},
        {"InWayMaxOffset", [](ModelFileParser& p, ModelResource& m) { m.inWayMaxOffset = p.LineVector2(); }},
    };
    for (const Keyword& entry : kKeywords) {
        if (IsModelKeyword(keyword, entry.name)) {
            entry.read(*this, model);
            return;
        }
    }
}

// A text that ends inside the block ends the block.
void ModelFileParser::ReadAnimations()
{
    parser.ReadString(true); // the "{", whatever it holds
    std::string name;
    while (parser.NextToken(name, true) && name != "}") {
        auto entry = std::make_unique<Animation>();
        entry->name = name;
        bool accepted = model.type == ModelResource::kSkeletal ? ReadSkeletalEntry(*entry)
                        : model.type == ModelResource::kSprite ? ReadSpriteEntry(*entry)
                                                               : false;
        if (accepted)
            model.animations.push_back(std::move(entry));
    }
}

bool ModelFileParser::ReadSkeletalEntry(Animation& entry)
{
    entry.kind = Animation::kSkeletal;
    std::string file = Line();
    std::string word;
    while (parser.NextToken(word, false)) {
        if (IsModelKeyword(word, "matchMoveSpeed"))
            entry.matchMoveSpeed = true;
        else if (IsModelKeyword(word, "matchAttackSpeed"))
            entry.matchAttackSpeed = true;
        else if (IsModelKeyword(word, "fps"))
            entry.frameRate = LineFloat();
    }
    if (!file.empty()) {
        file = prefix + file;
        EnsureExtension(file, "mda");
        gResourceManager->Load(file, entry.animation);
    }
    parser.ReadString(true); // the "{", whatever it holds
    while (parser.NextToken(word, true) && word != "}") {
        if (IsModelKeyword(word, "client"))
            ReadEvents(entry.clientEvents);
        else if (IsModelKeyword(word, "server"))
            ReadEvents(entry.serverEvents);
    }
    return true;
}

void ModelFileParser::ReadEvents(std::vector<AnimationEvent>& events)
{
    parser.ReadString(true); // the "{", whatever it holds
    std::string first;
    while (parser.NextToken(first, true) && first != "}") {
        AnimationEvent& event = events.emplace_back();
        event.kind = EventKindOf(first);
        if (event.kind == AnimationEventKind::Frame)
            event.frame = ParseInt(first);
        event.command = Line();
        std::string argument;
        while (parser.NextToken(argument, false))
            event.arguments.push_back(argument);
    }
}

// Sprite keywords are compared with case, as they always were.
bool ModelFileParser::ReadSpriteEntry(Animation& entry)
{
    entry.kind = Animation::kSprite;
    parser.ReadString(true); // the "{", whatever it holds
    std::string word;
    while (parser.NextToken(word, true) && word != "}") {
        if (word == "baseTexture")
            entry.baseTexture = Line();
        else if (word == "frames")
            entry.frameCount = LineInt();
        else if (word == "fps")
            entry.frameRate = LineFloat();
        else if (word == "directions")
            entry.directions = LineInt();
        else if (word == "additive")
            entry.additive = true;
    }
    if (entry.baseTexture.empty() || entry.frameCount <= 0)
        return false;
    // Each frame and direction is a texture request; counts past these name no texture anyway.
    if (entry.frameCount > kMaxSpriteFrames || entry.directions < 0 || entry.directions > kMaxSpriteDirections) {
        DebugSystem::Print(kPrintWarning, "Sprite animation %s in %s has %d frames in %d directions; dropped\n",
                           entry.name.c_str(), fileName.c_str(), entry.frameCount, entry.directions);
        return false;
    }
    BuildFrameTextures(entry);
    return true;
}

void ModelFileParser::BuildFrameTextures(Animation& entry)
{
    std::string base = entry.baseTexture;
    RemoveExtension(base);
    std::string stem = "Textures/" + base;
    int32_t digits = FrameDigits(entry.frameCount);
    entry.frameTextures.assign(static_cast<size_t>(entry.directions) * entry.frameCount, ResourceHandle());
    for (int32_t d = 0; d < entry.directions; ++d) {
        std::string directionStem = entry.directions > 1 ? stem + kDirectionSuffixes[d] : stem;
        for (int32_t f = 0; f < entry.frameCount; ++f) {
            std::string name = directionStem + StringFormat("%0*d", digits, f + 1) + ".tga";
            ResourceHandle texture;
            gResourceManager->Load(name, texture);
            entry.SetFrameTexture(f, d, texture);
        }
    }
}

// One row a line; rows are counted as their line ends. The cells are collected here, in the
// parse's own array, and replace the model's only when they make a whole grid.
void ModelFileParser::ReadCollision()
{
    parser.ReadString(true); // the "{", whatever it holds
    std::vector<bool> cells;
    int64_t width = 0;
    int64_t height = 0;
    int64_t rowLength = 0;
    std::string value;
    while (true) {
        if (!parser.NextToken(value, false)) {
            if (rowLength > 0) {
                ++height;
                width = std::max(width, rowLength);
                rowLength = 0;
            }
            if (!parser.NextToken(value, true))
                break;
        }
        if (value == "}")
            break;
        cells.push_back(ParseInt(value) != 0);
        ++rowLength;
    }
    if (static_cast<int64_t>(cells.size()) != width * height) {
        DebugSystem::Print(kPrintError, "Collision data inconsistent in model %s\n", fileName.c_str());
        return;
    }
    model.collisionCells = std::move(cells);
    model.collisionWidth = static_cast<int32_t>(width);
    model.collisionHeight = static_cast<int32_t>(height);
}
