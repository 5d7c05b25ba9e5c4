// ImageWriter -- writes captured frames and decoded textures as JPEG, PNG or Targa files through the file system.
#include "resources/textures/ImageWriter.h"

#include "core/FileSystem.h"
#include "resources/textures/TargaImage.h"

#include <csetjmp>
#include <cstdio>
#include <jpeglib.h>
#include <png.h>

namespace {

constexpr int kJpegQuality = 75;

// The library's standard error manager ends the process on an error; this one returns to
// the writer, which then abandons the file.
struct JpegErrorManager {
    jpeg_error_mgr standard;
    jmp_buf escape;
};

void JpegErrorExit(j_common_ptr info)
{
    auto* manager = reinterpret_cast<JpegErrorManager*>(info->err);
    longjmp(manager->escape, 1);
}

// Kept free of C++ objects with destructors: the library leaves through longjmp.
bool EncodeJpeg(FILE* stream, const uint8_t* pixels, int32_t width, int32_t height)
{
    jpeg_compress_struct info;
    JpegErrorManager errors;
    info.err = jpeg_std_error(&errors.standard);
    errors.standard.error_exit = JpegErrorExit;
    if (setjmp(errors.escape)) {
        jpeg_destroy_compress(&info);
        return false;
    }
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, stream);
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, kJpegQuality, TRUE);
    jpeg_start_compress(&info, TRUE);
    size_t stride = static_cast<size_t>(width) * 3;
    while (info.next_scanline < info.image_height) {
        size_t row = static_cast<size_t>(height) - 1 - info.next_scanline;
        JSAMPROW line = const_cast<JSAMPROW>(pixels + row * stride);
        jpeg_write_scanlines(&info, &line, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return true;
}

bool EncodePng(FILE* stream, png_bytep* rows, int32_t width, int32_t height)
{
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (!png)
        return false;
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, stream);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8, PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_color_8 significant{};
    significant.red = 8;
    significant.green = 8;
    significant.blue = 8;
    png_set_sBIT(png, info, &significant);
    png_write_info(png, info);
    png_write_image(png, rows);
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return true;
}

// Opens the path for writing, runs the encoder on its stream and keeps the file only when
// the encoder finished.
template <typename Encoder>
void WriteThrough(std::string_view path, Encoder encode)
{
    File* file = gFileSystem->Open(path, kFileWrite | kFileBinary);
    if (!file)
        return;
    FILE* stream = file->GetStream();
    if (stream && encode(stream) && fflush(stream) == 0)
        gFileSystem->Close(file);
    else
        gFileSystem->Abandon(file);
}

} // namespace

void WriteJpeg(const uint8_t* pixels, int32_t width, int32_t height, std::string_view path)
{
    if (!pixels || width <= 0 || height <= 0)
        return;
    WriteThrough(path, [&](FILE* stream) { return EncodeJpeg(stream, pixels, width, height); });
}

void WritePng(const uint8_t* pixels, int32_t width, int32_t height, std::string_view path)
{
    if (!pixels || width <= 0 || height <= 0)
        return;
    std::vector<png_bytep> rows(static_cast<size_t>(height));
    size_t stride = static_cast<size_t>(width) * 3;
    for (size_t i = 0; i < rows.size(); ++i)
        rows[i] = const_cast<png_bytep>(pixels + (rows.size() - 1 - i) * stride);
    WriteThrough(path, [&](FILE* stream) { return EncodePng(stream, rows.data(), width, height); });
}

bool WriteImageFile(std::string_view path, const std::vector<uint8_t>& bytes)
{
    File* file = gFileSystem->Open(path, kFileWrite | kFileBinary);
    if (!file)
        return false;
    if (file->Write(bytes.data(), bytes.size()) != bytes.size()) {
        gFileSystem->Abandon(file);
        return false;
    }
    gFileSystem->Close(file);
    return true;
}

std::vector<uint8_t> EncodeTga(int32_t width, int32_t height, int32_t bytesPerPixel, const uint8_t* pixels)
{
    TargaHeader header;
    header.imageType = TargaImage::kTrueColor;
    header.width = static_cast<uint16_t>(width);
    header.height = static_cast<uint16_t>(height);
    header.pixelDepth = static_cast<uint8_t>(bytesPerPixel * 8);
    size_t pixelBytes = static_cast<size_t>(width) * static_cast<size_t>(height) * static_cast<size_t>(bytesPerPixel);
    std::vector<uint8_t> out(TargaHeader::kBytes + pixelBytes);
    header.Write(out.data());
    uint8_t* to = out.data() + TargaHeader::kBytes;
    for (size_t i = 0; i < pixelBytes; i += static_cast<size_t>(bytesPerPixel)) {
        to[i] = pixels[i + 2];
        to[i + 1] = pixels[i + 1];
        to[i + 2] = pixels[i];
        if (bytesPerPixel == 4)
            to[i + 3] = pixels[i + 3];
    }
    return out;
}

bool WriteTga(int32_t width, int32_t height, int32_t bytesPerPixel, const uint8_t* pixels, std::string_view path)
{
    if (!pixels || width <= 0 || height <= 0 || width > 0x7FFF || height > 0x7FFF ||
        (bytesPerPixel != 3 && bytesPerPixel != 4))
        return false;
    return WriteImageFile(path, EncodeTga(width, height, bytesPerPixel, pixels));
}
