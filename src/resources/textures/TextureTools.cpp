// TextureTools -- console commands for texture content work: enlarging Targa images and building the cache files.
#include "resources/textures/TextureTools.h"

#include "core/CommandSystem.h"
#include "core/DebugSystem.h"
#include "core/FileSystem.h"
#include "core/StringUtil.h"
#include "core/UserVarSystem.h"
#include "resources/ResourceManager.h"
#include "resources/textures/ImageWriter.h"
#include "resources/textures/TargaImage.h"
#include "resources/textures/TextureCtx.h"
#include "resources/textures/TextureRtx.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

constexpr uint8_t kKeyColor = 0xAA;
constexpr int32_t kMaxTargaSide = 0x7FFF;

std::vector<std::string> ListAssetFiles(std::string_view extension)
{
    std::vector<std::string> names;
    gFileSystem->ListFiles("", extension, names, kLocationAssets, true, true, true);
    return names;
}

// Opaque images usually tile, so their mip filter wraps; images with alpha (sprites, fonts,
// frames) have borders that must not bleed in from the opposite side.
void PrepareChain(TextureRtx& texture)
{
    texture.SwapRedBlue();
    texture.SetEdgeMode(texture.GetBytesPerPixel() == 4);
    texture.BuildMipChain();
}

bool LoadTargaChain(std::string_view path, TextureRtx& texture)
{
    if (!texture.LoadTarga(path))
        return false;
    PrepareChain(texture);
    return true;
}

void PrintCreated(const char* format, const std::string& target)
{
    DebugSystem::Print(kPrintPlain, format, target.c_str());
}

bool CheckNewSize(int32_t oldWidth, int32_t oldHeight, int32_t newWidth, int32_t newHeight)
{
    bool ok = true;
    if (newWidth < oldWidth) {
        DebugSystem::Print(kPrintPlain, "New width (%d) smaller than old width (%d) \n", newWidth, oldWidth);
        ok = false;
    }
    if (newHeight < oldHeight) {
        DebugSystem::Print(kPrintPlain, "New height (%d) smaller than old height (%d) \n", newHeight, oldHeight);
        ok = false;
    }
    if (ok && (newWidth > kMaxTargaSide || newHeight > kMaxTargaSide)) {
        DebugSystem::Print(kPrintPlain, "New size (%d x %d) is larger than a Targa file holds\n", newWidth, newHeight);
        ok = false;
    }
    return ok;
}

std::vector<uint8_t> CenterOnCanvas(const TargaImage& image, int32_t newWidth, int32_t newHeight)
{
    std::vector<uint8_t> canvas(static_cast<size_t>(newWidth) * static_cast<size_t>(newHeight) * 4, 0);
    int32_t oldWidth = image.GetWidth();
    int32_t oldHeight = image.GetHeight();
    int32_t top = newHeight / 2 - oldHeight / 2;
    int32_t left = newWidth / 2 - oldWidth / 2;
    for (int32_t y = 0; y < oldHeight; ++y) {
        for (int32_t x = 0; x < oldWidth; ++x) {
            const uint8_t* from = image.GetPixels() + (static_cast<size_t>(y) * oldWidth + x) * 3;
            uint8_t* to = canvas.data() + (static_cast<size_t>(y + top) * newWidth + (x + left)) * 4;
            bool key = from[0] == kKeyColor && from[1] == kKeyColor && from[2] == kKeyColor;
            for (int c = 0; c < 3; ++c)
                to[c] = key ? 0 : from[c];
            to[3] = key ? 0 : 255;
        }
    }
    return canvas;
}

bool ReadRtxSource(const std::string& source, TextureRtx& texture)
{
    if (StringEqualsNoCase(FileExtension(source), "tga"))
        return LoadTargaChain(source, texture);
    TextureCtx compressed;
    if (!compressed.Load(source))
        return false;
    texture.SetSource(compressed.GetChain().data(), compressed.GetWidth(), compressed.GetHeight(),
                      compressed.GetBytesPerPixel());
    texture.SetEdgeMode(texture.GetBytesPerPixel() == 4);
    texture.BuildMipChain();
    return true;
}

bool LoadForCompression(const std::string& source, TextureRtx& texture)
{
    if (StringEqualsNoCase(FileExtension(source), "tga"))
        return LoadTargaChain(source, texture);
    return texture.Load(source);
}

float ClampVar(const char* name, float low, float high)
{
    float value = ParseFloat(gUserVarSystem->GetStringByName(name));
    value = std::isnan(value) ? low : std::clamp(value, low, high);
    gUserVarSystem->SetStringByName(name, StringFormat("%f", value));
    return value;
}

int32_t IntArgument(const std::vector<std::string>& args, size_t index)
{
    return index < args.size() ? ParseInt(args[index]) : 0;
}

const std::string& TextArgument(const std::vector<std::string>& args, size_t index)
{
    static const std::string empty;
    return index < args.size() ? args[index] : empty;
}

} // namespace

std::string TextureTools::ReplaceExtension(std::string_view path, std::string_view extension)
{
    std::string result(path);
    RemoveExtension(result);
    result += '.';
    result += extension;
    return result;
}

void TextureTools::RegisterCommands()
{
    gCommandSystem->RegisterCommand(
        "convertTexture",
        [](const std::vector<std::string>& args) {
            ResizeTexture(TextArgument(args, 0), IntArgument(args, 1), IntArgument(args, 2));
        },
        "Converts a texture", "fileName newWidth newHeight", "sii");
    gCommandSystem->RegisterCommand(
        "convertTextureDirectory",
        [](const std::vector<std::string>& args) {
            ConvertTextureDirectory(TextArgument(args, 0), TextArgument(args, 1), IntArgument(args, 2),
                                    IntArgument(args, 3), IntArgument(args, 4));
        },
        "Converts a full texture directory", "directory textureName numTextures newWidth newHeight", "ssiii");
    gCommandSystem->RegisterCommand(
        "buildRtxs", [](const std::vector<std::string>&) { BuildRtxFiles(); }, "Builds all of the rtx files", "", "");
    gCommandSystem->RegisterCommand(
        "buildCtxs", [](const std::vector<std::string>&) { BuildCtxFiles(); }, "Builds all of the ctx files", "", "");
    gCommandSystem->RegisterCommand(
        "buildTgas", [](const std::vector<std::string>&) { BuildTgaFiles(); }, "Builds all of the tga files", "", "");
    // Both show the help text of "buildRtxs", as they always have.
    gCommandSystem->RegisterCommand(
        "compressTexture", [](const std::vector<std::string>&) { CompressTestTexture(); },
        "Builds all of the rtx files", "", "");
    gCommandSystem->RegisterCommand(
        "uncompressTexture", [](const std::vector<std::string>&) { UncompressTestTexture(); },
        "Builds all of the rtx files", "", "");
    gUserVarSystem->RegisterVar("zoom", "1.0");
    gUserVarSystem->RegisterVar("zoomMin", "0.6");
    gUserVarSystem->RegisterVar("zoomMax", "1.4");
}

bool TextureTools::ResizeTexture(std::string_view path, int32_t newWidth, int32_t newHeight)
{
    std::string name(path);
    FileBuffer file = gFileSystem->LoadWholeFile(name);
    if (!file.IsValid()) {
        DebugSystem::Print(kPrintError, "Couldn't find %s\n", name.c_str());
        return false;
    }
    std::vector<uint8_t> bytes(file.Data(), file.Data() + file.Size());
    // The pixels used to be taken as 24-bit whatever the header said, reading past the end of
    // a 32-bit or short file.
    TargaImage image;
    if (!image.Parse(bytes.data(), bytes.size(), name))
        return false;
    if (image.GetBytesPerPixel() != 3) {
        DebugSystem::Print(kPrintError, "Can't convert %s: only 24-bit Targa files are converted\n", name.c_str());
        return false;
    }
    if (!CheckNewSize(image.GetWidth(), image.GetHeight(), newWidth, newHeight))
        return false;
    std::vector<uint8_t> canvas = CenterOnCanvas(image, newWidth, newHeight);
    TargaHeader header = image.GetHeader();
    header.width = static_cast<uint16_t>(newWidth);
    header.height = static_cast<uint16_t>(newHeight);
    header.pixelDepth = 32;
    std::vector<uint8_t> out(TargaHeader::kBytes);
    header.Write(out.data());
    // The image ID stays with the header it belongs to.
    out.insert(out.end(), bytes.begin() + TargaHeader::kBytes, bytes.begin() + TargaHeader::kBytes + header.idLength);
    out.insert(out.end(), canvas.begin(), canvas.end());
    return WriteImageFile(name, out);
}

void TextureTools::ConvertTextureDirectory(std::string_view directory, std::string_view name, int32_t count,
                                           int32_t newWidth, int32_t newHeight)
{
    for (int32_t i = 0; i < count; ++i) {
        std::string path = StringFormat("%.*s/%.*s/%.*s%03d.tga", static_cast<int>(directory.size()), directory.data(),
                                        static_cast<int>(name.size()), name.data(), static_cast<int>(name.size()),
                                        name.data(), i);
        ResizeTexture(path, newWidth, newHeight);
    }
}

void TextureTools::BuildRtxFiles()
{
    for (const char* extension : {"ctx", "tga"}) {
        for (const std::string& source : ListAssetFiles(extension))
            BuildRtxFrom(source, ReplaceExtension(source, "rtx"));
    }
}

void TextureTools::BuildCtxFiles()
{
    for (const char* extension : {"rtx", "tga"}) {
        for (const std::string& source : ListAssetFiles(extension))
            BuildCtxFrom(source, ReplaceExtension(source, "ctx"));
    }
}

// The sources in the batch builds' order: the first one newer than the cache is built from, and
// its cache is then newer than the later ones.
void TextureTools::BuildCacheFile(const std::string& target)
{
    std::string extension = FileExtension(target);
    if (StringEqualsNoCase(extension, "rtx")) {
        for (const char* source : {"ctx", "tga"})
            if (BuildRtxFrom(ReplaceExtension(target, source), target))
                return;
    } else if (StringEqualsNoCase(extension, "ctx")) {
        for (const char* source : {"rtx", "tga"})
            if (BuildCtxFrom(ReplaceExtension(target, source), target))
                return;
    }
}

void TextureTools::SetBuildOnLoad(ResourceManager& manager, bool on)
{
    for (const char* extension : {"rtx", "ctx"})
        manager.SetRefresh(extension, on ? ResourceRefresh(&BuildCacheFile) : ResourceRefresh());
}

bool TextureTools::BuildRtxFrom(const std::string& source, const std::string& target)
{
    if (!gFileSystem->IsNewerThan(source, target))
        return false;
    TextureRtx texture;
    if (ReadRtxSource(source, texture) && texture.WriteRtx(target))
        PrintCreated("Created compressed texture %s\n", target);
    return true;
}

bool TextureTools::BuildCtxFrom(const std::string& source, const std::string& target)
{
    if (!gFileSystem->IsNewerThan(source, target))
        return false;
    TextureRtx texture;
    if (!LoadForCompression(source, texture))
        return true;
    TextureCtx compressed;
    if (compressed.Compress(texture.GetChain(), texture.GetWidth(), texture.GetHeight(), texture.GetLevelCount(),
                            texture.GetBytesPerPixel(), target))
        PrintCreated("Created compressed texture %s\n", target);
    else
        DebugSystem::Print(kPrintWarning, "Failed to compress/save texture %s\n", target.c_str());
    return true;
}

void TextureTools::BuildTgaFiles()
{
    for (const std::string& source : ListAssetFiles("ctx")) {
        std::string target = ReplaceExtension(source, "tga");
        if (gFileSystem->FileExists(target))
            continue;
        TextureCtx compressed;
        if (!compressed.Load(source))
            continue;
        if (WriteTga(compressed.GetWidth(), compressed.GetHeight(), compressed.GetBytesPerPixel(),
                     compressed.GetChain().data(), target))
            PrintCreated("Created tga texture %s\n", target);
    }
}

// The two single-texture commands work on the copy being edited on disk, never on a packed
// copy that a mounted archive would otherwise hand out in its place.
bool TextureTools::CompressTestTexture()
{
    FileBuffer file = gFileSystem->ReadDiskFile(kCompressSource);
    if (!file.IsValid()) {
        DebugSystem::Print(kPrintError, "Couldn't find %s\n", kCompressSource);
        return false;
    }
    TextureRtx texture;
    if (!texture.DecodeTarga(file.Data(), file.Size(), kCompressSource))
        return false;
    PrepareChain(texture);
    TextureCtx compressed;
    std::string target = ReplaceExtension(kCompressSource, "ctx");
    return compressed.Compress(texture.GetChain(), texture.GetWidth(), texture.GetHeight(), texture.GetLevelCount(),
                               texture.GetBytesPerPixel(), target);
}

bool TextureTools::UncompressTestTexture()
{
    FileBuffer file = gFileSystem->ReadDiskFile(kUncompressSource);
    if (!file.IsValid()) {
        DebugSystem::Print(kPrintError, "Couldn't find %s\n", kUncompressSource);
        return false;
    }
    TextureCtx compressed;
    if (!compressed.Decode(file.Data(), file.Size(), kUncompressSource))
        return false;
    return WriteTga(compressed.GetWidth(), compressed.GetHeight(), compressed.GetBytesPerPixel(),
                    compressed.GetChain().data(), kUncompressTarget);
}

void TextureTools::SetZoom(float value)
{
    float zoomMin = ClampVar("zoomMin", 0.1f, 1.0f);
    float zoomMax = ClampVar("zoomMax", 1.0f, 3.0f);
    value = std::isnan(value) ? zoomMin : std::clamp(value, zoomMin, zoomMax);
    gUserVarSystem->SetStringByName("zoom", StringFormat("%f", value));
}
