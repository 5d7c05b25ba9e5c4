// ShaderSystem -- reads the ".sdr" shader files into definitions, keeps the shader tables and rebuilds all on "reloadShaders".
#include "resources/shaders/ShaderSystem.h"

#include "core/CommandSystem.h"
#include "core/DebugSystem.h"
#include "core/FileSystem.h"
#include "core/StringUtil.h"
#include "core/TextParser.h"
#include "core/UserVarSystem.h"
#include "core/system/CriticalSection.h"
#include "core/system/PlatformSystem.h"
#include "resources/ResourceManager.h"
#include "resources/shaders/Shader.h"
#include "resources/shaders/ShaderLookup.h"

ShaderSystem* gShaderSystem = nullptr;

namespace {

bool IsShaderKeyword(const std::string& token, const char* keyword)
{
    return StringEqualsNoCase(token, keyword);
}

// A keyword's values stand on its own line.
std::string LineValue(TextParser& parser)
{
    return parser.ReadString(false);
}

} // namespace

void ParseFloat4(TextParser& parser, WaveParameters& out)
{
    for (float& value : out)
        value = parser.GetFloat(false);
}

ShaderSystem::ShaderSystem()
{
    RegisterShaderEnumTables();
}

ShaderSystem::~ShaderSystem()
{
    definitions.clear();
    delete reloadLock;
}

void ShaderSystem::Start()
{
    reloadLock = gPlatformSystem->CreateCriticalSection();
    gResourceManager->RegisterType("sdr", kMemGraphics, false, "", false, CreateShaderResource, {}, ShaderPrerequisite);
    gCommandSystem->RegisterCommand(
        "reloadShaders", [this](const std::vector<std::string>&) { ReloadShaders(); }, "Reloads the shader files", "",
        "");
    compressedTexturesVar = gUserVarSystem->RegisterVar("compressedTextures", "1");
    betterLightingVar = gUserVarSystem->RegisterVar("r_betterLighting", "0");
    ApplyVars();
    LoadShaderFiles();
}

void ShaderSystem::ApplyVars()
{
    if (compressedTexturesVar.IsValid())
        compressedTextures.store(compressedTexturesVar.GetInt() != 0);
    if (betterLightingVar.IsValid())
        betterLighting.store(betterLightingVar.GetBool());
}

void ShaderSystem::LoadShaderFiles()
{
    CriticalSectionGuard guard(reloadLock);
    std::vector<std::string> names;
    gFileSystem->ListFiles(kFolder, "sdr", names, kLocationAssets, false, false, true);
    nextIndex = 0;
    for (const std::string& name : names) {
        FileBuffer file = gFileSystem->LoadWholeFile(StringFormat("Shaders/%s", name.c_str()));
        if (file.IsValid())
            ParseShaderText(file.Data(), file.Size());
    }
}

void ShaderSystem::ParseShaderText(const void* bytes, size_t byteCount)
{
    CriticalSectionGuard guard(reloadLock);
    TextParser parser(bytes, byteCount);
    std::string token;
    while (parser.NextToken(token, true)) {
        auto shader = std::make_unique<ShaderDefinition>();
        shader->index = TakeNextIndex();
        shader->name = token;
        ParseShader(parser, *shader);
        definitions.push_back(std::move(shader));
    }
}

const ShaderDefinition* ShaderSystem::FindDefinition(std::string_view name) const
{
    for (const auto& definition : definitions) {
        if (StringEqualsNoCase(definition->name, name))
            return definition.get();
    }
    return nullptr;
}

void ShaderSystem::ReloadShaders()
{
    ApplyVars();
    {
        CriticalSectionGuard guard(reloadLock);
        definitions.clear();
        LoadShaderFiles();
    }
    if (!gResourceManager)
        return;
    gResourceManager->ReloadExtension("sdr", true, Shader::kTypeId);
    gResourceManager->WaitForLoadQueue();
    gResourceManager->ReloadExtension("sdr", true, Shader::kBlendedTilesTypeId);
}

// ---- Shader blocks ---------------------------------------------------------------------------

void ShaderSystem::ParseShader(TextParser& parser, ShaderDefinition& shader)
{
    std::string token;
    // The opening brace, whatever it is.
    parser.NextToken(token, true);
    while (parser.NextToken(token, true) && token != "}") {
        if (token == "{") {
            auto stage = std::make_unique<ShaderStageDefinition>();
            ParseStage(parser, *stage);
            shader.usesSphere = shader.usesSphere || stage->usesSphere;
            shader.stages.push_back(std::move(stage));
        } else {
            // Unknown keywords and stray values are passed over one token at a time.
            ParseShaderKeyword(parser, token, shader);
        }
    }
    FinishShader(shader);
}

void ShaderSystem::FinishShader(ShaderDefinition& shader)
{
    if (shader.blendGroup.empty() && !shader.stages.empty())
        shader.blendGroup = shader.name + ".sdr";
    shader.blendGroupHash = HashString(shader.blendGroup);
}

void ShaderSystem::ParseShaderKeyword(TextParser& parser, const std::string& keyword, ShaderDefinition& shader)
{
    if (IsShaderKeyword(keyword, "cull")) {
        std::string face = LineValue(parser);
        if (IsShaderKeyword(face, "None"))
            shader.cullEnabled = false;
        else if (IsShaderKeyword(face, "Back"))
            shader.cullFace = GlConstant::kBack;
        else if (IsShaderKeyword(face, "Front"))
            shader.cullFace = GlConstant::kFront;
        else
            DebugSystem::Print(kPrintDeveloper, "Unknown cull type %s\n", face.c_str());
    } else if (IsShaderKeyword(keyword, "deformVerts")) {
        ParseDeformVerts(parser, shader);
    } else if (IsShaderKeyword(keyword, "sort")) {
        shader.sort = SortTypeFromName(LineValue(parser));
    } else if (IsShaderKeyword(keyword, "depthFunc")) {
        shader.depthFunc = ParseCompareFunc(LineValue(parser));
    } else if (IsShaderKeyword(keyword, "blendGroup")) {
        shader.blendGroup = LineValue(parser);
    } else if (IsShaderKeyword(keyword, "stencilFunc") || IsShaderKeyword(keyword, "stencilOp")) {
        ParseStencil(parser, keyword, shader);
    } else {
        ParseShaderFlag(parser, keyword, shader);
    }
}

bool ShaderSystem::ParseShaderFlag(TextParser& parser, const std::string& keyword, ShaderDefinition& shader)
{
    struct ValuedFlag {
        const char* keyword;
        bool ShaderDefinition::*field;
    };
    static constexpr ValuedFlag kValued[] = {
        {"testDepth", &ShaderDefinition::testDepth},         {"writeDepth", &ShaderDefinition::writeDepth},
        {"writeColor", &ShaderDefinition::writeColor},       {"useMipMaps", &ShaderDefinition::useMipMaps},
        {"useFiltering", &ShaderDefinition::useFiltering},   {"useShaderTime", &ShaderDefinition::useShaderTime},
        {"highlightsSurface", &ShaderDefinition::highlightsSurface},
    };
    for (const ValuedFlag& flag : kValued) {
        if (IsShaderKeyword(keyword, flag.keyword)) {
            shader.*flag.field = parser.GetBool(false);
            return true;
        }
    }
    if (IsShaderKeyword(keyword, "dontBlend"))
        shader.blend = false;
    else if (IsShaderKeyword(keyword, "BlocksCollision"))
        shader.blocksCollision = true;
    else if (IsShaderKeyword(keyword, "BlocksSight"))
        shader.blocksSight = true;
    else
        return false;
    return true;
}

void ShaderSystem::ParseDeformVerts(TextParser& parser, ShaderDefinition& shader)
{
    DeformVertsEntry entry;
    entry.type = DeformVertsTypeFromName(LineValue(parser));
    switch (entry.type) {
    case DeformVertsType::Offset:
        entry.offset = parser.GetFloat(false);
        break;
    case DeformVertsType::Wave:
        entry.waveValue = parser.GetFloat(false);
        ParseFloat4(parser, entry.wave);
        break;
    case DeformVertsType::MinZ:
        entry.minZ = parser.GetFloat(false);
        break;
    default:
        break;
    }
    shader.deformVerts.push_back(entry);
    shader.hasDeforms = true;
}

void ShaderSystem::ParseStencil(TextParser& parser, const std::string& keyword, ShaderDefinition& shader)
{
    if (IsShaderKeyword(keyword, "stencilFunc")) {
        shader.stencilEnabled = true;
        shader.stencilFunc = ParseCompareFunc(LineValue(parser));
        shader.stencilRef = parser.GetInt(false);
        return;
    }
    shader.stencilFail = ParseStencilAction(LineValue(parser));
    shader.stencilDepthFail = ParseStencilAction(LineValue(parser));
    shader.stencilPass = ParseStencilAction(LineValue(parser));
}

// ---- Stage blocks ----------------------------------------------------------------------------

void ShaderSystem::ParseStage(TextParser& parser, ShaderStageDefinition& stage)
{
    std::string token;
    while (parser.NextToken(token, true) && token != "}") {
        if (!IsShaderKeyword(token, "anim"))
            ParseStageKeyword(parser, token, stage);
        else if (ParseAnim(parser, stage))
            break;
    }
    stage.colorArrayKind = ChooseColorArrayKind(stage.colorGen, stage.alphaGen);
}

void ShaderSystem::ParseStageKeyword(TextParser& parser, const std::string& keyword, ShaderStageDefinition& stage)
{
    if (IsShaderKeyword(keyword, "texture")) {
        stage.textureFile = LineValue(parser);
    } else if (IsShaderKeyword(keyword, "clamp")) {
        stage.clampU = stage.clampV = ParseClampMode(LineValue(parser));
    } else if (IsShaderKeyword(keyword, "clampU")) {
        stage.clampU = ParseClampMode(LineValue(parser));
    } else if (IsShaderKeyword(keyword, "clampV")) {
        stage.clampV = ParseClampMode(LineValue(parser));
    } else if (IsShaderKeyword(keyword, "blendFunc")) {
        stage.blendEnabled = true;
        stage.srcBlend = ParseSourceBlend(LineValue(parser));
        stage.dstBlend = ParseDestBlend(LineValue(parser));
    } else if (IsShaderKeyword(keyword, "colorGen")) {
        ParseColorGen(parser, stage);
    } else if (IsShaderKeyword(keyword, "alphaGen")) {
        ParseAlphaGen(parser, stage);
    } else if (IsShaderKeyword(keyword, "uvMod")) {
        ParseUVMod(parser, stage);
    } else if (IsShaderKeyword(keyword, "alphaTest")) {
        stage.alphaTestEnabled = true;
        stage.alphaTestFunc = ParseCompareFunc(LineValue(parser));
        stage.alphaTestRef = parser.GetFloat(false);
    }
}

// The frames run to the end of the line, or to a "}" that closes a stage written on one line
// ("{ anim 4 a.tga b.tga }"); true when that brace was met.
bool ShaderSystem::ParseAnim(TextParser& parser, ShaderStageDefinition& stage)
{
    stage.animRate = parser.GetFloat(false);
    std::string frame;
    while (parser.NextToken(frame, false)) {
        if (frame == "}")
            return true;
        stage.animFrames.push_back(frame);
    }
    return false;
}

void ShaderSystem::ParseColorGen(TextParser& parser, ShaderStageDefinition& stage)
{
    stage.colorGen = ColorGenFromName(LineValue(parser));
    switch (stage.colorGen) {
    case ColorGen::Constant:
    case ColorGen::OriginAndConstant:
    case ColorGen::VertexAndConstant:
    case ColorGen::SavedAndConstant:
    case ColorGen::SphereAndConstant:
        stage.constantColor = ParseColor(LineValue(parser));
        break;
    case ColorGen::Wave:
        ParseFloat4(parser, stage.colorWave);
        break;
    default:
        break;
    }
    stage.usesSphere = stage.colorGen == ColorGen::Sphere || stage.colorGen == ColorGen::SphereAndConstant;
}

void ShaderSystem::ParseAlphaGen(TextParser& parser, ShaderStageDefinition& stage)
{
    stage.alphaGen = AlphaGenFromName(LineValue(parser));
    if (stage.alphaGen == AlphaGen::Constant)
        stage.constantAlpha = parser.GetFloat(false);
    else if (stage.alphaGen == AlphaGen::Wave)
        ParseFloat4(parser, stage.alphaWave);
}

void ShaderSystem::ParseUVMod(TextParser& parser, ShaderStageDefinition& stage)
{
    UVModEntry entry;
    entry.type = UVModFromName(LineValue(parser));
    switch (entry.type) {
    case UVMod::Scroll:
        entry.scrollU = parser.GetFloat(false);
        entry.scrollV = parser.GetFloat(false);
        break;
    case UVMod::Scale:
        entry.scale = parser.GetFloat(false);
        break;
    case UVMod::Offset:
        entry.offsetU = parser.GetFloat(false);
        entry.offsetV = parser.GetFloat(false);
        break;
    default:
        break;
    }
    stage.uvMods.push_back(entry);
}

// ---- Texture lists -------------------------------------------------------------------------

void ListShaderTextures(std::string_view directory, std::vector<std::string>& out)
{
    if (!gShaderSystem)
        return;
    for (size_t i = 0; i < gShaderSystem->GetDefinitionCount(); ++i) {
        const ShaderDefinition& definition = gShaderSystem->GetDefinition(i);
        if (!StringEqualsNoCase(PathDirectory(definition.name), directory))
            continue;
        std::string name = definition.name + ".tga";
        StripDirectories(name);
        out.push_back(name);
    }
}
