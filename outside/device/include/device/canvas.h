// The drawing surface of every device: pen, brush and font, a raster image and one
// canvas interface over Cairo. Coordinates here are device pixels (y grows down).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "pelvar/graphics.h"

typedef struct _cairo cairo_t;
typedef struct _cairo_surface cairo_surface_t;

struct TPixelPoint {
    int X = 0;
    int Y = 0;
    bool operator==(const TPixelPoint&) const = default;
};

// Left and top are inside, right and bottom just outside.
struct TPixelRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
    int Width() const { return Right - Left; }
    int Height() const { return Bottom - Top; }
    bool operator==(const TPixelRect&) const = default;
};

class TCanvas;

// An opaque 32-bit raster. Its canvas draws into it; it is saved and loaded as PNG.
class TRasterImage {
public:
    TRasterImage() = default;
    TRasterImage(int width, int height);
    ~TRasterImage();
    TRasterImage(const TRasterImage&) = delete;
    TRasterImage& operator=(const TRasterImage&) = delete;

    int Width() const { return width_; }
    int Height() const { return height_; }
    bool Empty() const { return width_ <= 0 || height_ <= 0; }
    // New size, filled white; the old picture and canvas are dropped.
    void SetSize(int width, int height);
    void Fill(TColor c);
    // Colour of a pixel; -1 outside the raster.
    TColor Pixel(int x, int y) const;
    void SetPixel(int x, int y, TColor c);
    // The canvas drawing into this raster (nil for an empty raster); it lives until the
    // next SetSize, LoadFromPNG or the raster's end.
    TCanvas* Canvas();
    void Assign(const TRasterImage& source);

    // Written beside the target and renamed; EFCreateError on failure.
    void SaveToPNG(const std::string& path) const;
    // EFOpenError when the file is missing or no PNG.
    void LoadFromPNG(const std::string& path);

    cairo_surface_t* Surface() const { return surface_; }

private:
    void Release();
    int width_ = 0;
    int height_ = 0;
    cairo_surface_t* surface_ = nullptr;
    TCanvas* canvas_ = nullptr;
};

// Drawing on a Cairo surface in device pixels. The drawing attributes are the canvas's
// own pen, brush and font. Exclusive-or pen mode works on raster surfaces; elsewhere
// it draws as copy.
class TCanvas {
public:
    // Draws on the surface; unitsPerPixel scales device pixels to surface units (a PDF page
    // has points); pixelsPerInch is used for font sizes given in points.
    TCanvas(cairo_surface_t* surface, int width, int height, double unitsPerPixel, int pixelsPerInch);
    ~TCanvas();
    TCanvas(const TCanvas&) = delete;
    TCanvas& operator=(const TCanvas&) = delete;

    TPen& Pen() { return pen_; }
    TBrush& Brush() { return brush_; }
    TFont& Font() { return font_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    int PixelsPerInch() const { return ppi_; }

    void MoveTo(int x, int y);
    void LineTo(int x, int y);
    TPixelPoint PenPos() const { return pos_; }
    void Polyline(const std::vector<TPixelPoint>& points);
    // Lines from each even point to the point after it, drawn with the pen as one path: as
    // many LineTo's, but one drawing operation (on a PDF page, one to record and replay).
    void Segments(const std::vector<TPixelPoint>& ends);
    // Outline with the pen, inside with the brush; right and bottom are just outside.
    void Rectangle(int left, int top, int right, int bottom);
    void FillRect(const TPixelRect& r);
    void Polygon(const std::vector<TPixelPoint>& points);
    // Several rings filled together, alternate filling (holes stay open).
    void PolyPolygon(const std::vector<std::vector<TPixelPoint>>& rings);
    void Ellipse(int left, int top, int right, int bottom);
    // The text's top left corner at (x, y), turned by the font's orientation.
    void TextOut(int x, int y, const std::string& text);
    int TextWidth(const std::string& text);
    int TextHeight(const std::string& text);
    void Draw(int x, int y, const TRasterImage& image);
    void StretchDraw(const TPixelRect& r, const TRasterImage& image);
    // Drawing stays inside the rectangle until ResetClip.
    void SetClipRect(const TPixelRect& r);
    void ResetClip();
    // Hands the drawing to the surface.
    void Flush();

private:
    void ApplyPen();
    void SetSourceColor(TColor c);
    // Base line to the cell's top and to its bottom, in pixels.
    struct TFontMetrics {
        double Ascent;
        double Descent;
    };
    // The font's face and size on the Cairo context.
    TFontMetrics SelectFont();
    void StrokePath();
    void FillPath(TColor c);
    bool XorMode() const;
    void XorPaint(bool fill, TColor c);
    void RectPath(double l, double t, double w, double h);
    void PolyPath(const std::vector<std::vector<TPixelPoint>>& rings, double off);
    double PenOffset() const;

    cairo_surface_t* surface_;
    cairo_t* cr_;
    int width_;
    int height_;
    int ppi_;
    bool raster_;
    TPen pen_;
    TBrush brush_;
    TFont font_;
    TPixelPoint pos_;
    bool clipped_ = false;
    TPixelRect clip_;
};
