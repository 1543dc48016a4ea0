#include "raster/raster.h"

#include <cairo.h>

#include <cmath>
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <vector>

#include "kernel/class_registry.h"
#include "platform/files.h"
#include "platform/host.h"
#include "platform/sysutils.h"
#include "raster/picture_codecs.h"

bool UseRasters = true;

namespace {

constexpr uint32_t kBeepError = 0x10;

// The pixels over white into the image.
void PutOverWhite(const pictures::TPixels& px, TRasterImage& image) {
    image.SetSize(px.width, px.height);
    cairo_surface_t* s = image.Surface();
    if (!s) throw EFOpenError(Cz("Obrázek je příliš velký"));
    cairo_surface_flush(s);
    unsigned char* data = cairo_image_surface_get_data(s);
    int stride = cairo_image_surface_get_stride(s);
    for (int y = 0; y < px.height; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(data + static_cast<size_t>(y) * stride);
        for (int x = 0; x < px.width; ++x) {
            uint32_t p = px.argb[static_cast<size_t>(y) * px.width + x];
            uint32_t rest = 255 - (p >> 24);
            uint32_t r = ((p >> 16) & 0xFF) + rest, g = ((p >> 8) & 0xFF) + rest, b = (p & 0xFF) + rest;
            row[x] = 0xFF000000u | (std::min(r, 255u) << 16) | (std::min(g, 255u) << 8) | std::min(b, 255u);
        }
    }
    cairo_surface_mark_dirty(s);
}

// A world file is a few lines; anything longer is not one.
bool ReadSmallFile(const std::string& path, std::string& text) {
    FILE* f = std::fopen(MapPath(path).c_str(), "rb");
    if (!f) return false;
    char buf[1024];
    size_t n = std::fread(buf, 1, sizeof buf, f);
    bool whole = std::feof(f) != 0 && !std::ferror(f);
    std::fclose(f);
    if (!whole) return false;
    text.assign(buf, n);
    return true;
}

std::string Extension(const std::string& path) {
    size_t slash = path.find_last_of("\\/");
    size_t dot = path.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
    return path.substr(dot);
}

}  // namespace

void LoadPictureFile(const std::string& path, TRasterImage& image) {
    std::string os = MapPath(path);
    pictures::TPixels px;
    bool ok = pictures::DecodePicture(os, px);
    if (!ok) throw EFOpenError(Cz("Soubor ") + path + Cz(" nelze načíst jako obrázek"));
    PutOverWhite(px, image);
}

// ---- picture elements --------------------------------------------------------------------

void TGraphicFileElement::Publish(PropertyTable& t) {
    t.Str<TGraphicFileElement>("FileName", &TGraphicFileElement::GetFileName, &TGraphicFileElement::SetFileName);
}

// ---- world files -------------------------------------------------------------------------

TWorldFile ParseWorldFile(const std::string& text) {
    double v[6];
    size_t pos = 0;
    for (int i = 0; i < 6; ++i) {
        while (pos < text.size() && std::isspace(static_cast<unsigned char>(text[pos]))) ++pos;
        size_t end = pos;
        while (end < text.size() && !std::isspace(static_cast<unsigned char>(text[end]))) ++end;
        if (end == pos) throw EConvertError(Cz("Světový soubor nemá šest čísel"));
        std::string item = text.substr(pos, end - pos);
        if (!TextToFloatC(item, v[i]) || !std::isfinite(v[i]))
            throw EConvertError(Cz("Světový soubor: ") + item + Cz(" není číslo"));
        pos = end;
    }
    while (pos < text.size() && std::isspace(static_cast<unsigned char>(text[pos]))) ++pos;
    if (pos != text.size()) throw EConvertError(Cz("Světový soubor má víc než šest čísel"));
    if (v[1] != 0 || v[2] != 0) throw EConvertError(Cz("Otočený obraz neumím zobrazit"));
    if (v[0] == 0 || v[3] == 0) throw EConvertError(Cz("Světový soubor udává nulovou velikost pixelu"));
    TWorldFile w;
    w.PixelWidth = v[0];
    w.PixelHeight = v[3];
    w.Left = v[4] - v[0] / 2;
    w.Top = v[5] - v[3] / 2;
    if (!std::isfinite(w.Left) || !std::isfinite(w.Top)) throw EConvertError(Cz("Světový soubor leží mimo rozsah čísel"));
    return w;
}

std::string FindWorldFile(const std::string& picturePath) {
    std::string ext = Extension(picturePath);
    std::string base = picturePath.substr(0, picturePath.size() - ext.size());
    std::vector<std::string> names;
    if (ext.size() >= 3) names.push_back(base + ext.substr(0, 2) + ext.substr(ext.size() - 1) + "w");
    if (ext.size() >= 2) names.push_back(base + ext + "w");
    names.push_back(base + ".wld");
    for (const std::string& n : names)
        if (FileExists(n)) return n;
    return "";
}

// ---- TRaster -----------------------------------------------------------------------------

void TRaster::Destroy() {
    delete FPicture;
    FPicture = nullptr;
    inherited::Destroy();
}

void TRaster::SetFileName(const std::string& name) {
    if (name == FFileName) return;
    inherited::SetFileName(name);
    delete FPicture;
    FPicture = nullptr;
    FTried = false;
    std::string world = FindWorldFile(name);
    if (world.empty()) return;
    std::string text;
    if (!ReadSmallFile(world, text)) return;
    TWorldFile w;
    try {
        w = ParseWorldFile(text);
    } catch (const Exception&) {
        return;
    }
    // The rectangle needs the picture's size in pixels.
    const TRasterImage* picture = GetPicture();
    if (!picture) return;
    double x1 = w.Left + w.PixelWidth * picture->Width();
    double y1 = w.Top + w.PixelHeight * picture->Height();
    if (!std::isfinite(x1) || !std::isfinite(y1)) return;
    SetRect(std::min(w.Left, x1), std::min(w.Top, y1), std::max(w.Left, x1), std::max(w.Top, y1));
}

const TRasterImage* TRaster::GetPicture() {
    if (FPicture || FTried || FFileName.empty()) return FPicture;
    FTried = true;
    auto* image = new TRasterImage();
    try {
        LoadPictureFile(FFileName, *image);
    } catch (const Exception&) {
        delete image;
        return nullptr;
    }
    FPicture = image;
    return FPicture;
}

// ---- TRasterInterpret --------------------------------------------------------------------

bool TRasterInterpret::IsItsClass(TElement* element) { return As<TRaster>(element) != nullptr; }

bool TRasterInterpret::QGoInside(TElement*) { return false; }

bool TRasterInterpret::QProcessBefore(TElement* element) { return IsItsClass(element); }

void TRasterInterpret::Process(TElement* element) {
    auto* raster = As<TRaster>(element);
    TDevice* device = GetDevice();
    if (!raster || !device || !device->GetCanvas()) return;
    if (!FRegion.IsEmpty() && !IsOverRegion(raster)) return;
    const TRasterImage* picture = raster->GetPicture();
    if (!picture) {
        MessageBeep(kBeepError);
        return;
    }
    device->StretchDraw(raster->Rect(), *picture);
}

// ---- registration ------------------------------------------------------------------------

void RegisterRasterClasses() {
    static bool done = false;
    if (done) return;
    done = true;
    RegisterZarixClass<TGraphicFileElement>();
    RegisterZarixClass<TBMPFileElement>();
    RegisterZarixClass<TRaster>();
    RegisterZarixClass<TRasterInterpret>();
}
