// ImageWriterTest -- JPEG and PNG frames read back with libjpeg and libpng, and the Targa writer's bytes.
#include "resources/textures/ImageWriter.h"
#include "resources/textures/TargaImage.h"
#include "resources/textures/TextureWorld.h"

#include <cstdio>
#include <jpeglib.h>
#include <png.h>

namespace {

// Buffer rows bottom first: the lower half red, the upper half blue.
std::vector<uint8_t> RedBelowBlue(int width, int height)
{
    std::vector<uint8_t> pixels(static_cast<size_t>(width) * height * 3, 0);
    for (int row = 0; row < height; ++row) {
        for (int x = 0; x < width; ++x)
            pixels[(static_cast<size_t>(row) * width + x) * 3 + (row < height / 2 ? 0 : 2)] = 255;
    }
    return pixels;
}

struct PngRead {
    png_uint_32 width = 0;
    png_uint_32 height = 0;
    int bitDepth = 0;
    int colorType = 0;
    png_color_8 significant{};
    bool hasSignificant = false;
    std::vector<std::vector<uint8_t>> rows;
};

bool ReadPng(const std::string& path, PngRead& out)
{
    FILE* stream = std::fopen(path.c_str(), "rb");
    if (!stream)
        return false;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        std::fclose(stream);
        return false;
    }
    png_init_io(png, stream);
    png_read_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
    png_get_IHDR(png, info, &out.width, &out.height, &out.bitDepth, &out.colorType, nullptr, nullptr, nullptr);
    png_color_8p significant = nullptr;
    if (png_get_sBIT(png, info, &significant) && significant) {
        out.hasSignificant = true;
        out.significant = *significant;
    }
    png_bytepp rows = png_get_rows(png, info);
    for (png_uint_32 y = 0; y < out.height; ++y)
        out.rows.emplace_back(rows[y], rows[y] + out.width * 3);
    png_destroy_read_struct(&png, &info, nullptr);
    std::fclose(stream);
    return true;
}

struct JpegRead {
    int width = 0;
    int height = 0;
    int components = 0;
    J_COLOR_SPACE colorSpace = JCS_UNKNOWN;
    int sampling[3][2] = {};
    unsigned quant[2][64] = {};
    std::vector<std::vector<uint8_t>> rows;
};

bool ReadJpeg(const std::string& path, JpegRead& out)
{
    FILE* stream = std::fopen(path.c_str(), "rb");
    if (!stream)
        return false;
    jpeg_decompress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&info);
    jpeg_stdio_src(&info, stream);
    jpeg_read_header(&info, TRUE);
    out.width = static_cast<int>(info.image_width);
    out.height = static_cast<int>(info.image_height);
    out.components = info.num_components;
    out.colorSpace = info.jpeg_color_space;
    for (int c = 0; c < 3 && c < info.num_components; ++c) {
        out.sampling[c][0] = info.comp_info[c].h_samp_factor;
        out.sampling[c][1] = info.comp_info[c].v_samp_factor;
    }
    for (int t = 0; t < 2; ++t) {
        for (int i = 0; i < 64 && info.quant_tbl_ptrs[t]; ++i)
            out.quant[t][i] = info.quant_tbl_ptrs[t]->quantval[i];
    }
    jpeg_start_decompress(&info);
    std::vector<uint8_t> line(static_cast<size_t>(out.width) * 3);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = line.data();
        jpeg_read_scanlines(&info, &row, 1);
        out.rows.push_back(line);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    std::fclose(stream);
    return true;
}

} // namespace

class ImageWriterWorld : public TextureWorld {
protected:
    std::string UserPath(const std::string& relative) const { return (folder.Path() / "User" / relative).string(); }
};

TEST_F(ImageWriterWorld, PngIsTopRowFirstRgbWithSignificantBits)
{
    std::vector<uint8_t> pixels = RedBelowBlue(2, 2);
    WritePng(pixels.data(), 2, 2, "Screenshots/shot0000.png");
    PngRead png;
    ASSERT_TRUE(ReadPng(UserPath("Screenshots/shot0000.png"), png));
    EXPECT_EQ(png.width, 2u);
    EXPECT_EQ(png.height, 2u);
    EXPECT_EQ(png.bitDepth, 8);
    EXPECT_EQ(png.colorType, PNG_COLOR_TYPE_RGB);
    ASSERT_TRUE(png.hasSignificant);
    EXPECT_EQ(png.significant.red, 8);
    EXPECT_EQ(png.significant.green, 8);
    EXPECT_EQ(png.significant.blue, 8);
    EXPECT_EQ(png.rows[0], (std::vector<uint8_t>{0, 0, 255, 0, 0, 255}));
    EXPECT_EQ(png.rows[1], (std::vector<uint8_t>{255, 0, 0, 255, 0, 0}));
}

TEST_F(ImageWriterWorld, JpegUsesTheLibraryDefaultsAtQualitySeventyFiveTopRowFirst)
{
    std::vector<uint8_t> pixels = RedBelowBlue(16, 16);
    WriteJpeg(pixels.data(), 16, 16, "Screenshots/shot0001.jpg");
    JpegRead jpeg;
    ASSERT_TRUE(ReadJpeg(UserPath("Screenshots/shot0001.jpg"), jpeg));
    EXPECT_EQ(jpeg.width, 16);
    EXPECT_EQ(jpeg.height, 16);
    EXPECT_EQ(jpeg.components, 3);
    EXPECT_EQ(jpeg.colorSpace, JCS_YCbCr);
    // The library's defaults: the luma plane sampled at 2 x 2, and the tables of quality 75, which
    // halve the first entries of the standard tables (16 and 17).
    EXPECT_EQ(jpeg.sampling[0][0], 2);
    EXPECT_EQ(jpeg.sampling[0][1], 2);
    EXPECT_EQ(jpeg.sampling[1][0], 1);
    EXPECT_EQ(jpeg.quant[0][0], 8u);
    EXPECT_EQ(jpeg.quant[1][0], 9u);
    const std::vector<uint8_t>& top = jpeg.rows.front();
    const std::vector<uint8_t>& bottom = jpeg.rows.back();
    EXPECT_GT(top[2], 200);
    EXPECT_LT(top[0], 60);
    EXPECT_GT(bottom[0], 200);
    EXPECT_LT(bottom[2], 60);
}

TEST_F(ImageWriterWorld, WritersLeaveNothingWhereTheyCannotWrite)
{
    std::vector<uint8_t> pixels = RedBelowBlue(2, 2);
    WritePng(pixels.data(), 2, 2, "../outside.png");
    WriteJpeg(pixels.data(), 2, 2, "../outside.jpg");
    WritePng(pixels.data(), 0, 2, "zero.png");
    EXPECT_FALSE(std::filesystem::exists(folder.Path() / "outside.png"));
    EXPECT_FALSE(std::filesystem::exists(folder.Path() / "outside.jpg"));
    EXPECT_FALSE(UserFileExists("zero.png"));
    // Sizes the libraries refuse end in their error handlers: the writer abandons the file and
    // the program goes on (the JPEG library's own handler would have ended the process).
    std::vector<uint8_t> wide(70000u * 3u, 128);
    WriteJpeg(wide.data(), 70000, 1, "wide.jpg");
    EXPECT_FALSE(UserFileExists("wide.jpg"));
    std::vector<uint8_t> wider(1000001u * 3u, 128);
    WritePng(wider.data(), 1000001, 1, "wide.png");
    EXPECT_FALSE(UserFileExists("wide.png"));
}

TEST_F(ImageWriterWorld, TargaHasTheTrueColourHeaderAndBlueFirstPixels)
{
    std::vector<uint8_t> rgba = {1, 2, 3, 4, 5, 6, 7, 8};
    std::vector<uint8_t> bytes = EncodeTga(2, 1, 4, rgba.data());
    std::vector<uint8_t> expected = MakeTarga(2, 1, 32, {3, 2, 1, 4, 7, 6, 5, 8});
    EXPECT_EQ(bytes, expected);
    std::vector<uint8_t> rgb = {10, 20, 30};
    ASSERT_TRUE(WriteTga(1, 1, 3, rgb.data(), "Textures/out.tga"));
    std::vector<uint8_t> written = ReadUser("Textures/out.tga");
    TargaImage image;
    ASSERT_TRUE(image.Parse(written.data(), written.size(), "out.tga"));
    EXPECT_EQ(std::vector<uint8_t>(image.GetPixels(), image.GetPixels() + 3), (std::vector<uint8_t>{30, 20, 10}));
    EXPECT_FALSE(WriteTga(1, 1, 2, rgb.data(), "Textures/bad.tga"));
}
