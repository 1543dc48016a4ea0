// Pictures of the installer's window, read by Cairo (PNG) and libjpeg (JPEG).
#include "platform/files.h"
#include "raster/picture_codecs.h"
#include "setup/installer.h"

namespace setup {

namespace {
constexpr int kMaxJpegSide = 8192;
}  // namespace

bool LoadPicture(const std::string& path, TPicture& picture) {
    std::string os = MapPath(path);
    pictures::TPixels px;
    bool ok = false;
    switch (pictures::KindOfFile(os)) {
        case pictures::TPictureKind::PNG: ok = pictures::DecodePNG(os, px); break;
        case pictures::TPictureKind::JPEG: ok = pictures::DecodeJPEG(os, px, kMaxJpegSide); break;
        default: break;
    }
    if (!ok) return false;
    TPicture loaded;
    loaded.width = px.width;
    loaded.height = px.height;
    loaded.pixels = std::move(px.argb);
    picture = std::move(loaded);
    return true;
}

}  // namespace setup
