// ImageWriter -- writes captured frames and decoded textures as JPEG, PNG or Targa files through the file system.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

// The frame writers take tightly packed RGB rows, the bottom row first (as the graphics library
// returns a frame), and write the top row first. Files go to the user folder through the file
// system and replace an older file only once complete. A file that cannot be opened, or a
// size the library refuses, writes nothing.

// Baseline JPEG at quality 75.
void WriteJpeg(const uint8_t* pixels, int32_t width, int32_t height, std::string_view path);
// 8-bit RGB PNG with an sBIT chunk of 8, 8, 8.
void WritePng(const uint8_t* pixels, int32_t width, int32_t height, std::string_view path);

// An uncompressed true-colour Targa (image type 2, 24 or 32 bits, descriptor 0) of pixels in
// RGB or RGBA order, rows in the order given; red and blue are swapped into the file's order.
std::vector<uint8_t> EncodeTga(int32_t width, int32_t height, int32_t bytesPerPixel, const uint8_t* pixels);
// Encoded bytes as the whole file at path, through the file system, which replaces an older
// file only once the new one is complete; false when the file cannot be written whole.
bool WriteImageFile(std::string_view path, const std::vector<uint8_t>& bytes);
// EncodeTga through the file system; false when the file cannot be written.
bool WriteTga(int32_t width, int32_t height, int32_t bytesPerPixel, const uint8_t* pixels, std::string_view path);
