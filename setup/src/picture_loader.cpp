// Pictures of the installer's window: PNG, JPEG, BMP and GIF, refused by their header when
// they are far larger than the window.
#include "platform/files.h"
#include "raster/picture_codecs.h"
#include "setup/installer.h"

namespace setup {

namespace {
constexpr int kMaxSide = 8192;
constexpr int64_t kMaxPixels = int64_t(4096) * 4096;
}  // namespace

bool LoadPicture(const std::string& path, TPicture& picture) {
    std::string os = MapPath(path);
    pictures::TPixels px;
    if (!pictures::DecodePicture(os, px, kMaxSide, kMaxPixels)) return false;
    TPicture loaded;
    loaded.width = px.width;
    loaded.height = px.height;
    loaded.pixels = std::move(px.argb);
    picture = std::move(loaded);
    return true;
}

}  // namespace setup
