// Screenshot -- the frame just drawn, read from the back buffer and written under "Screenshots/" as JPEG, PNG or Targa, numbered so nothing is overwritten.
#include "render/Screenshot.h"

#include "core/DebugSystem.h"
#include "core/FileSystem.h"
#include "resources/textures/ImageWriter.h"

#include <algorithm>
#include <cmath>
#include <vector>

PixelRect Screenshot::ChooseRect(const std::array<float, 4>& view, bool fullScreen, int32_t modeWidth,
                                 int32_t modeHeight)
{
    auto pixels = [](float value) { return static_cast<int32_t>(std::floor(value + 0.5f)); };
    PixelRect rect{pixels(view[0]), pixels(view[1]), pixels(view[2]), pixels(view[3])};
    if (fullScreen) {
        rect.width = std::min(rect.width, modeWidth);
        rect.height = std::min(rect.height, modeHeight);
    } else {
        rect.width -= 2;
        rect.height -= 2;
    }
    return rect;
}

const char* Screenshot::Extension(int32_t type)
{
    switch (type) {
    case 0:
        return "jpg";
    case 1:
        return "png";
    default:
        return "tga";
    }
}

std::string Screenshot::Take(GraphicsDevice& device, const PixelRect& rect, int32_t type)
{
    std::vector<uint8_t> rgba;
    if (!device.ReadPixels(rect, rgba))
        return {};
    // The writers take three bytes a pixel; the device reads four.
    size_t pixelCount = rgba.size() / 4;
    std::vector<uint8_t> rgb(pixelCount * 3);
    for (size_t i = 0; i < pixelCount; ++i)
        std::copy_n(rgba.data() + i * 4, 3, rgb.data() + i * 3);
    const char* extension = Extension(type);
    std::string name = gFileSystem->MakeNumberedFileName("Screenshots/ss", extension, 4);
    if (name.empty()) {
        // Every number is taken: nothing is overwritten.
        DebugSystem::Print(kPrintWarning, "No free screenshot number for Screenshots/ss????.%s\n", extension);
        return {};
    }
    bool written = true;
    if (type == 0)
        WriteJpeg(rgb.data(), rect.width, rect.height, name);
    else if (type == 1)
        WritePng(rgb.data(), rect.width, rect.height, name);
    else
        written = WriteTga(rect.width, rect.height, 3, rgb.data(), name);
    if (!written || !gFileSystem->FileExists(name))
        return {};
    return name;
}
