#include "device/canvas.h"

#include <cairo.h>
#include <fontconfig/fontconfig.h>

#include "device/font_faces.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "platform/classes.h"
#include "platform/files.h"
#include "platform/sysutils.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

uint32_t ToArgb(TColor c) {
    return 0xFF000000u | (static_cast<uint32_t>(ColorRed(c)) << 16) |
           (static_cast<uint32_t>(ColorGreen(c)) << 8) | static_cast<uint32_t>(ColorBlue(c));
}

TColor FromArgb(uint32_t p) {
    return RGBColor((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
}

// An 8 x 8 hatch tile of the brush colour on a transparent ground.
cairo_pattern_t* HatchPattern(TBrushStyle style, TColor c) {
    cairo_surface_t* tile = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 8, 8);
    cairo_surface_flush(tile);
    unsigned char* data = cairo_image_surface_get_data(tile);
    int stride = cairo_image_surface_get_stride(tile);
    for (int y = 0; y < 8; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(data + y * stride);
        for (int x = 0; x < 8; ++x) {
            bool on = false;
            switch (style) {
                case bsHorizontal: on = y == 0; break;
                case bsVertical: on = x == 0; break;
                case bsFDiagonal: on = x == y; break;
                case bsBDiagonal: on = x == 7 - y; break;
                case bsCross: on = x == 0 || y == 0; break;
                case bsDiagCross: on = x == y || x == 7 - y; break;
                default: on = true; break;
            }
            row[x] = on ? ToArgb(c) : 0u;
        }
    }
    cairo_surface_mark_dirty(tile);
    cairo_pattern_t* pat = cairo_pattern_create_for_surface(tile);
    cairo_pattern_set_extend(pat, CAIRO_EXTEND_REPEAT);
    cairo_pattern_set_filter(pat, CAIRO_FILTER_NEAREST);
    cairo_surface_destroy(tile);
    return pat;
}

// Text drawing fills the font caches of Cairo and fontconfig; they are emptied when the
// process ends, unless a canvas still holds fonts then.
int gLiveCanvases = 0;

void ReleaseFontCaches() {
    if (gLiveCanvases > 0) return;
    ReleaseFontFaces();
    cairo_debug_reset_static_data();
    FcFini();
}

}  // namespace

void EnsureFontCleanup() {
    static std::once_flag registered;
    std::call_once(registered, [] { std::atexit(ReleaseFontCaches); });
}

// ---- TRasterImage -----------------------------------------------------------

TRasterImage::TRasterImage(int width, int height) { SetSize(width, height); }

TRasterImage::~TRasterImage() { Release(); }

void TRasterImage::Release() {
    delete canvas_;
    canvas_ = nullptr;
    if (surface_) cairo_surface_destroy(surface_);
    surface_ = nullptr;
    width_ = height_ = 0;
}

void TRasterImage::SetSize(int width, int height) {
    Release();
    if (width <= 0 || height <= 0) return;
    surface_ = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    if (cairo_surface_status(surface_) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(surface_);
        surface_ = nullptr;
        throw Exception("Raster " + IntToStr(width) + " x " + IntToStr(height) + " cannot be made");
    }
    width_ = width;
    height_ = height;
    Fill(clWhite);
}

void TRasterImage::Fill(TColor c) {
    if (!surface_) return;
    if (canvas_) canvas_->Flush();
    cairo_surface_flush(surface_);
    unsigned char* data = cairo_image_surface_get_data(surface_);
    int stride = cairo_image_surface_get_stride(surface_);
    uint32_t v = ToArgb(c);
    for (int y = 0; y < height_; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(data + y * stride);
        std::fill(row, row + width_, v);
    }
    cairo_surface_mark_dirty(surface_);
}

TColor TRasterImage::Pixel(int x, int y) const {
    if (!surface_ || x < 0 || y < 0 || x >= width_ || y >= height_) return -1;
    cairo_surface_flush(surface_);
    const unsigned char* data = cairo_image_surface_get_data(surface_);
    int stride = cairo_image_surface_get_stride(surface_);
    return FromArgb(reinterpret_cast<const uint32_t*>(data + y * stride)[x]);
}

void TRasterImage::SetPixel(int x, int y, TColor c) {
    if (!surface_ || x < 0 || y < 0 || x >= width_ || y >= height_) return;
    cairo_surface_flush(surface_);
    unsigned char* data = cairo_image_surface_get_data(surface_);
    int stride = cairo_image_surface_get_stride(surface_);
    reinterpret_cast<uint32_t*>(data + y * stride)[x] = ToArgb(c);
    cairo_surface_mark_dirty(surface_);
}

TCanvas* TRasterImage::Canvas() {
    if (!surface_) return nullptr;
    if (!canvas_) canvas_ = new TCanvas(surface_, width_, height_, 1.0, 96);
    return canvas_;
}

void TRasterImage::Assign(const TRasterImage& source) {
    if (&source == this) return;
    SetSize(source.width_, source.height_);
    if (!surface_) return;
    cairo_t* cr = cairo_create(surface_);
    cairo_set_source_surface(cr, source.surface_, 0, 0);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_paint(cr);
    cairo_destroy(cr);
}

void TRasterImage::SaveToPNG(const std::string& path) const {
    if (!surface_) throw EFCreateError("Empty raster, nothing to write to " + path);
    if (canvas_) canvas_->Flush();
    // A temporary file of its own beside the picture, on the disk before the rename.
    bool written = false;
    try {
        TReplacingFileStream file(FromOsName(path));
        auto write = [](void* closure, const unsigned char* data, unsigned int length) {
            try {
                static_cast<TReplacingFileStream*>(closure)->WriteBuffer(data, length);
                return CAIRO_STATUS_SUCCESS;
            } catch (...) {
                return CAIRO_STATUS_WRITE_ERROR;
            }
        };
        if (cairo_surface_write_to_png_stream(surface_, write, &file) == CAIRO_STATUS_SUCCESS) {
            file.Commit();
            written = true;
        }
    } catch (const Exception&) {
    }
    if (!written) throw EFCreateError("Cannot write " + path);
}

void TRasterImage::LoadFromPNG(const std::string& path) {
    cairo_surface_t* png = cairo_image_surface_create_from_png(path.c_str());
    if (cairo_surface_status(png) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(png);
        throw EFOpenError("Cannot read the picture " + path);
    }
    int w = cairo_image_surface_get_width(png);
    int h = cairo_image_surface_get_height(png);
    SetSize(w, h);
    if (surface_) {
        cairo_t* cr = cairo_create(surface_);
        cairo_set_source_surface(cr, png, 0, 0);
        cairo_paint(cr);  // over the white ground: transparent parts become white
        cairo_destroy(cr);
    }
    cairo_surface_destroy(png);
}

// ---- TCanvas -----------------------------------------------------------------

TCanvas::TCanvas(cairo_surface_t* surface, int width, int height, double unitsPerPixel, int pixelsPerInch)
    : surface_(surface), cr_(cairo_create(surface)), width_(width), height_(height), ppi_(pixelsPerInch),
      raster_(cairo_surface_get_type(surface) == CAIRO_SURFACE_TYPE_IMAGE) {
    if (unitsPerPixel != 1.0) cairo_scale(cr_, unitsPerPixel, unitsPerPixel);
    cairo_set_antialias(cr_, CAIRO_ANTIALIAS_NONE);
    cairo_set_fill_rule(cr_, CAIRO_FILL_RULE_EVEN_ODD);
    ++gLiveCanvases;
}

TCanvas::~TCanvas() {
    cairo_destroy(cr_);
    --gLiveCanvases;
}

void TCanvas::Flush() { cairo_surface_flush(surface_); }

void TCanvas::SetSourceColor(TColor c) {
    cairo_set_source_rgb(cr_, ColorRed(c) / 255.0, ColorGreen(c) / 255.0, ColorBlue(c) / 255.0);
}

double TCanvas::PenOffset() const {
    int w = std::max(1, pen_.Width());
    return (w % 2) ? 0.5 : 0.0;
}

void TCanvas::ApplyPen() {
    cairo_set_line_width(cr_, std::max(1, pen_.Width()));
    cairo_set_line_cap(cr_, CAIRO_LINE_CAP_BUTT);
    cairo_set_line_join(cr_, CAIRO_LINE_JOIN_MITER);
    static const double dash[] = {18, 6};
    static const double dot[] = {3, 3};
    static const double dashDot[] = {9, 6, 3, 6};
    static const double dashDotDot[] = {9, 3, 3, 3, 3, 3};
    switch (pen_.Style()) {
        case psDash: cairo_set_dash(cr_, dash, 2, 0); break;
        case psDot: cairo_set_dash(cr_, dot, 2, 0); break;
        case psDashDot: cairo_set_dash(cr_, dashDot, 4, 0); break;
        case psDashDotDot: cairo_set_dash(cr_, dashDotDot, 6, 0); break;
        default: cairo_set_dash(cr_, nullptr, 0, 0); break;
    }
}

bool TCanvas::XorMode() const { return raster_ && (pen_.Mode() == pmXor || pen_.Mode() == pmNotXor); }

void TCanvas::StrokePath() {
    if (pen_.Style() == psClear) {
        cairo_new_path(cr_);
        return;
    }
    ApplyPen();
    if (XorMode()) {
        XorPaint(false, pen_.Color());
        return;
    }
    SetSourceColor(pen_.Color());
    cairo_stroke(cr_);
}

void TCanvas::FillPath(TColor c) {
    if (XorMode()) {
        XorPaint(true, c);
        return;
    }
    if (brush_.Style() == bsSolid) {
        SetSourceColor(c);
        cairo_fill_preserve(cr_);
    } else {
        cairo_pattern_t* pat = HatchPattern(brush_.Style(), c);
        cairo_set_source(cr_, pat);
        cairo_fill_preserve(cr_);
        cairo_pattern_destroy(pat);
    }
}

// Renders the current path into a mask and flips the raster's colour bits under it.
void TCanvas::XorPaint(bool fill, TColor c) {
    cairo_path_t* path = cairo_copy_path(cr_);
    cairo_surface_t* mask = cairo_image_surface_create(CAIRO_FORMAT_A8, width_, height_);
    cairo_t* m = cairo_create(mask);
    cairo_set_antialias(m, CAIRO_ANTIALIAS_NONE);
    cairo_set_fill_rule(m, CAIRO_FILL_RULE_EVEN_ODD);
    if (clipped_) {
        cairo_rectangle(m, clip_.Left, clip_.Top, clip_.Width(), clip_.Height());
        cairo_clip(m);
    }
    cairo_append_path(m, path);
    double x1, y1, x2, y2;
    if (fill) {
        cairo_fill_extents(m, &x1, &y1, &x2, &y2);
        cairo_fill(m);
    } else {
        cairo_set_line_width(m, cairo_get_line_width(cr_));
        int n = cairo_get_dash_count(cr_);
        std::vector<double> dashes(n);
        double offset = 0;
        if (n) cairo_get_dash(cr_, dashes.data(), &offset);
        cairo_set_dash(m, n ? dashes.data() : nullptr, n, offset);
        cairo_stroke_extents(m, &x1, &y1, &x2, &y2);
        cairo_stroke(m);
    }
    cairo_destroy(m);
    cairo_path_destroy(path);
    cairo_new_path(cr_);
    cairo_surface_flush(mask);
    cairo_surface_flush(surface_);
    int left = std::max(0, static_cast<int>(std::floor(x1)));
    int top = std::max(0, static_cast<int>(std::floor(y1)));
    int right = std::min(width_, static_cast<int>(std::ceil(x2)) + 1);
    int bottom = std::min(height_, static_cast<int>(std::ceil(y2)) + 1);
    const unsigned char* md = cairo_image_surface_get_data(mask);
    int ms = cairo_image_surface_get_stride(mask);
    unsigned char* td = cairo_image_surface_get_data(surface_);
    int ts = cairo_image_surface_get_stride(surface_);
    uint32_t bits = ToArgb(c) & 0x00FFFFFFu;
    if (pen_.Mode() == pmNotXor) bits = ~bits & 0x00FFFFFFu;
    for (int y = top; y < bottom; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(td + y * ts);
        for (int x = left; x < right; ++x)
            if (md[y * ms + x] >= 128) row[x] ^= bits;
    }
    cairo_surface_mark_dirty(surface_);
    cairo_surface_destroy(mask);
}

void TCanvas::MoveTo(int x, int y) { pos_ = {x, y}; }

void TCanvas::LineTo(int x, int y) {
    double o = PenOffset();
    cairo_move_to(cr_, pos_.X + o, pos_.Y + o);
    cairo_line_to(cr_, x + o, y + o);
    StrokePath();
    pos_ = {x, y};
}

void TCanvas::Polyline(const std::vector<TPixelPoint>& points) {
    if (points.size() < 2) return;
    double o = PenOffset();
    cairo_move_to(cr_, points[0].X + o, points[0].Y + o);
    for (size_t i = 1; i < points.size(); ++i) cairo_line_to(cr_, points[i].X + o, points[i].Y + o);
    StrokePath();
}

void TCanvas::Segments(const std::vector<TPixelPoint>& ends) {
    if (ends.size() < 2) return;
    double o = PenOffset();
    // Only lines that may touch the clip join the path, as separate strokes outside it
    // would be left out of a page.
    double left, top, right, bottom;
    cairo_clip_extents(cr_, &left, &top, &right, &bottom);
    double margin = pen_.Width() / 2.0 + 2;
    left -= margin, top -= margin, right += margin, bottom += margin;
    bool any = false;
    for (size_t i = 0; i + 1 < ends.size(); i += 2) {
        double ax = ends[i].X + o, ay = ends[i].Y + o, bx = ends[i + 1].X + o, by = ends[i + 1].Y + o;
        if (std::max(ax, bx) < left || std::min(ax, bx) > right || std::max(ay, by) < top || std::min(ay, by) > bottom)
            continue;
        cairo_move_to(cr_, ax, ay);
        cairo_line_to(cr_, bx, by);
        any = true;
    }
    if (any) StrokePath();
    pos_ = ends[(ends.size() & ~size_t{1}) - 1];
}

void TCanvas::RectPath(double l, double t, double w, double h) {
    cairo_new_path(cr_);
    cairo_rectangle(cr_, l, t, w, h);
}

void TCanvas::Rectangle(int left, int top, int right, int bottom) {
    if (right < left) std::swap(left, right);
    if (bottom < top) std::swap(top, bottom);
    if (right == left || bottom == top) return;
    if (brush_.Style() != bsClear) {
        RectPath(left, top, right - left, bottom - top);
        FillPath(brush_.Color());
        cairo_new_path(cr_);
    }
    if (pen_.Style() == psClear) return;
    double w = std::max(1, pen_.Width());
    double inset = w / 2.0;
    double rw = std::max(0.0, right - left - w);
    double rh = std::max(0.0, bottom - top - w);
    RectPath(left + inset, top + inset, rw, rh);
    StrokePath();
}

void TCanvas::FillRect(const TPixelRect& r) {
    if (r.Width() <= 0 || r.Height() <= 0 || brush_.Style() == bsClear) return;
    RectPath(r.Left, r.Top, r.Width(), r.Height());
    FillPath(brush_.Color());
    cairo_new_path(cr_);
}

void TCanvas::PolyPath(const std::vector<std::vector<TPixelPoint>>& rings, double off) {
    cairo_new_path(cr_);
    for (const auto& ring : rings) {
        if (ring.empty()) continue;
        cairo_move_to(cr_, ring[0].X + off, ring[0].Y + off);
        for (size_t i = 1; i < ring.size(); ++i) cairo_line_to(cr_, ring[i].X + off, ring[i].Y + off);
        cairo_close_path(cr_);
    }
}

void TCanvas::Polygon(const std::vector<TPixelPoint>& points) { PolyPolygon({points}); }

void TCanvas::PolyPolygon(const std::vector<std::vector<TPixelPoint>>& rings) {
    bool any = false;
    for (const auto& r : rings) any = any || r.size() >= 2;
    if (!any) return;
    if (brush_.Style() != bsClear) {
        PolyPath(rings, 0.5);
        FillPath(brush_.Color());
        cairo_new_path(cr_);
    }
    PolyPath(rings, PenOffset());
    StrokePath();
}

void TCanvas::Ellipse(int left, int top, int right, int bottom) {
    double w = right - left, h = bottom - top;
    if (w == 0 || h == 0) return;
    auto path = [&] {
        cairo_new_path(cr_);
        cairo_save(cr_);
        cairo_translate(cr_, left + w / 2, top + h / 2);
        cairo_scale(cr_, w / 2, h / 2);
        cairo_arc(cr_, 0, 0, 1, 0, 2 * kPi);
        cairo_restore(cr_);
    };
    if (brush_.Style() != bsClear) {
        path();
        FillPath(brush_.Color());
        cairo_new_path(cr_);
    }
    path();
    StrokePath();
}

TCanvas::TFontMetrics TCanvas::SelectFont() {
    EnsureFontCleanup();
    const TFontFace& face = FontFaceFor(font_.Name(), font_.Style() & fsBold, font_.Style() & fsItalic);
    cairo_set_font_face(cr_, face.Face);
    double px = font_.Height() != 0 ? std::abs(font_.Height()) : font_.Size() * ppi_ / 72.0;
    px = std::max(1.0, px);
    cairo_set_font_size(cr_, px);
    TFontMetrics m{face.Ascent * px, face.Descent * px};
    if (m.Ascent <= 0) {
        cairo_font_extents_t fe;
        cairo_font_extents(cr_, &fe);
        m = {fe.ascent, fe.descent};
    }
    return m;
}

void TCanvas::TextOut(int x, int y, const std::string& text) {
    if (text.empty()) return;
    TFontMetrics m = SelectFont();
    std::string utf8 = ToUtf8(text);
    cairo_save(cr_);
    cairo_set_antialias(cr_, CAIRO_ANTIALIAS_DEFAULT);
    cairo_translate(cr_, x, y);
    if (font_.Orientation() != 0) cairo_rotate(cr_, -font_.Orientation() * kPi / 1800.0);
    SetSourceColor(font_.Color());
    // The base line on a whole pixel below the cell's top, as the ascent of a raster font.
    cairo_move_to(cr_, 0, std::ceil(m.Ascent));
    cairo_show_text(cr_, utf8.c_str());
    if (font_.Style() & (fsUnderline | fsStrikeOut)) {
        cairo_text_extents_t te;
        cairo_text_extents(cr_, utf8.c_str(), &te);
        double lw = std::max(1.0, (m.Ascent + m.Descent) / 16);
        cairo_set_line_width(cr_, lw);
        if (font_.Style() & fsUnderline) {
            cairo_move_to(cr_, 0, m.Ascent + lw * 1.5);
            cairo_rel_line_to(cr_, te.x_advance, 0);
        }
        if (font_.Style() & fsStrikeOut) {
            cairo_move_to(cr_, 0, m.Ascent * 0.65);
            cairo_rel_line_to(cr_, te.x_advance, 0);
        }
        cairo_stroke(cr_);
    }
    cairo_restore(cr_);
    cairo_new_path(cr_);
}

int TCanvas::TextWidth(const std::string& text) {
    if (text.empty()) return 0;
    SelectFont();
    std::string utf8 = ToUtf8(text);
    cairo_text_extents_t te;
    cairo_text_extents(cr_, utf8.c_str(), &te);
    return static_cast<int>(std::lround(te.x_advance));
}

int TCanvas::TextHeight(const std::string&) {
    TFontMetrics m = SelectFont();
    return static_cast<int>(std::lround(m.Ascent + m.Descent));
}

void TCanvas::Draw(int x, int y, const TRasterImage& image) {
    if (image.Empty()) return;
    cairo_save(cr_);
    cairo_set_source_surface(cr_, image.Surface(), x, y);
    cairo_rectangle(cr_, x, y, image.Width(), image.Height());
    cairo_fill(cr_);
    cairo_restore(cr_);
}

void TCanvas::StretchDraw(const TPixelRect& r, const TRasterImage& image) {
    if (image.Empty() || r.Width() == 0 || r.Height() == 0) return;
    cairo_save(cr_);
    cairo_rectangle(cr_, r.Left, r.Top, r.Width(), r.Height());
    cairo_clip(cr_);
    cairo_translate(cr_, r.Left, r.Top);
    cairo_scale(cr_, static_cast<double>(r.Width()) / image.Width(), static_cast<double>(r.Height()) / image.Height());
    cairo_set_source_surface(cr_, image.Surface(), 0, 0);
    cairo_paint(cr_);
    cairo_restore(cr_);
}

void TCanvas::SetClipRect(const TPixelRect& r) {
    cairo_reset_clip(cr_);
    clip_ = r;
    clipped_ = true;
    cairo_new_path(cr_);
    cairo_rectangle(cr_, r.Left, r.Top, std::max(0, r.Width()), std::max(0, r.Height()));
    cairo_clip(cr_);
}

void TCanvas::ResetClip() {
    cairo_reset_clip(cr_);
    clipped_ = false;
}
