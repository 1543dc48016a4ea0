// Decoders of picture files into plain pixel rows, shared by the suite's pictures and the
// installer's window. Paths here are operating-system paths (already mapped).
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace pictures {

// Premultiplied ARGB, 0xAARRGGBB, row by row from the top.
struct TPixels {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> argb;
};

enum class TPictureKind { None, PNG, JPEG, BMP, GIF };

// The kind of picture a file starts with (the first eight bytes suffice).
TPictureKind KindOf(const unsigned char* head, size_t count);
// The kind of the file at the path; None when it cannot be read.
TPictureKind KindOfFile(const std::string& osPath);

// Pictures larger than this in either direction, or of more pixels, are refused by their
// header, before anything is decoded.
constexpr int kMaxPictureSide = 16384;
constexpr int64_t kMaxPicturePixels = int64_t(8192) * 8192;

// The size the file's header gives (PNG, JPEG, BMP, GIF); false when it cannot be read.
bool PictureSize(const std::string& osPath, int& width, int& height);

// False when the file cannot be read or decoded, or is too large (pixels unchanged).
bool DecodePNG(const std::string& osPath, TPixels& pixels, int maxSide = kMaxPictureSide,
               int64_t maxPixels = kMaxPicturePixels);
bool DecodeJPEG(const std::string& osPath, TPixels& pixels, int maxSide = kMaxPictureSide,
                int64_t maxPixels = kMaxPicturePixels);
// BMP and GIF, through gdk-pixbuf's loaders.
bool DecodeWithPixbuf(const std::string& osPath, TPixels& pixels, int maxSide = kMaxPictureSide,
                      int64_t maxPixels = kMaxPicturePixels);
// Any of the four kinds, by the file's first bytes.
bool DecodePicture(const std::string& osPath, TPixels& pixels, int maxSide = kMaxPictureSide,
                   int64_t maxPixels = kMaxPicturePixels);

}  // namespace pictures
