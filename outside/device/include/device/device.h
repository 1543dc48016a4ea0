// Devices: what interprets draw on and tools write to. Drawing operations take model
// coordinates and go through the device's page projection onto its canvas; the
// "...Device" variants take pixels.
#pragma once
#include <string>
#include <vector>

#include "device/canvas.h"
#include "device/printer.h"
#include "device/projection.h"
#include "kernel/elements.h"
#include "pelvar/pelvar.h"

class TDevice : public TOwnerElement {
    ZARIX_CLASS(TDevice, TOwnerElement)

public:
    // Makes the page (96 dots per inch, white) and its projection.
    void Create() override;
    void Destroy() override;

    TPen* GetPen() { return &FPen; }
    TBrush* GetBrush() { return &FBrush; }
    TFont* GetFont() { return &FFont; }
    // Nil for a device built without the drawing part.
    T_Page* GetPage() const { return FPage; }
    TPageProjection* GetProjection() const { return FProjection; }
    // The drawing surface; nil for devices that only write text.
    virtual TCanvas* GetCanvas() { return nullptr; }

    // Pen width as a model length.
    void SetPenWidth(double width);
    // Direction of text in degrees, counter-clockwise; the projection's rotation is added.
    void SetTextOrientation(double degrees);

    void MoveTo(double x, double y);
    void LineTo(double x, double y);
    // The outline through the points, closed, filled with the brush.
    void Polygon(TElement* points);
    void Polygon(const std::vector<T2DPoint>& points);
    void PolyPolygon(const std::vector<std::vector<T2DPoint>>& rings);
    // Keeps the rings in pixels for a symbol fill that follows.
    void PrepareForPolyPolygon(const std::vector<std::vector<T2DPoint>>& rings);
    const std::vector<std::vector<TPixelPoint>>& GetPreparedPolygons() const { return FPrepared; }
    void Rectangle(double minX, double minY, double maxX, double maxY);
    void Rectangle(const TRectangle& r) { Rectangle(r.Min.X, r.Min.Y, r.Max.X, r.Max.Y); }
    // The text's top left corner at the point.
    void TextOut(double x, double y, const std::string& text);
    // Pixel width of the text in the current font, and the same as a model length.
    int TextWidth(const std::string& text);
    double TextModelWidth(const std::string& text);
    // The picture's top left corner at the point, in its own pixel size.
    void Draw(double x, double y, const TRasterImage& image);
    // The picture stretched over the model rectangle.
    void StretchDraw(const TRectangle& r, const TRasterImage& image);

    void MoveToDevice(int x, int y);
    void LineToDevice(int x, int y);
    void TextOutDevice(int x, int y, const std::string& text);
    void RectangleDevice(int left, int top, int right, int bottom);

    // Size of the page in metres.
    double GetRealWidth() const;
    double GetRealHeight() const;
    // New page size in pixels; the projection keeps centre and scale.
    virtual void SetPageSize(int width, int height);

    // Text output. A drawing device clears its page with the page colour and ignores the
    // rest; text devices override them.
    virtual void SetVisible(bool visible);
    virtual void Clear();
    virtual void WriteText(const std::string& text);
    virtual void WriteLine(const std::string& text);
    virtual void BeginOutput();
    virtual void EndOutput();
    virtual void FlushOutput();
    virtual void SetOutputOption(int option);

    // The canvas with the device's pen, brush, font and clip applied; nil without one.
    TCanvas* Prepared();

protected:
    TPen FPen;
    TBrush FBrush;
    TFont FFont;
    T_Page* FPage = nullptr;
    TPageProjection* FProjection = nullptr;
    std::vector<std::vector<TPixelPoint>> FPrepared;
};

// A device that draws on a canvas.
class TCanvasDevice : public TDevice {
    ZARIX_CLASS(TCanvasDevice, TDevice)
};

// A device drawing into a raster: its own, or one given with SetBitmap (not owned).
class TBitmapDevice : public TCanvasDevice {
    ZARIX_CLASS(TBitmapDevice, TCanvasDevice)

public:
    void Destroy() override;
    TRasterImage* GetBitmap();
    // Draws into the raster from now on; the page takes its size. Nil: the device's own.
    void SetBitmap(TRasterImage* bitmap);
    TCanvas* GetCanvas() override;
    // Resizes the raster with the page.
    void SetPageSize(int width, int height) override;
    // The raster as a PNG file.
    void SaveToPNG(const std::string& path);

protected:
    TRasterImage* FBitmap = nullptr;
    TRasterImage* FOwnBitmap = nullptr;
};

// The device of a map window: draws into the window image's raster and follows its size.
class TImageCanvasDevice : public TBitmapDevice {
    ZARIX_CLASS(TImageCanvasDevice, TBitmapDevice)

public:
    void SetImage(TRasterImage* image) { SetBitmap(image); }
    // The page takes the raster's present size.
    void AdaptToImage();
};

// The printer: creating one begins a print job (a PDF file, one page per sheet), freeing
// it ends the job it began unless the printer was aborted meanwhile. When the job cannot
// begin, creating raises and nothing is left behind.
class TPrintDevice : public TCanvasDevice {
    ZARIX_CLASS(TPrintDevice, TCanvasDevice)
    static void Publish(PropertyTable& t);

public:
    void Create() override;
    void Destroy() override;
    TCanvas* GetCanvas() override;
    // Starts the next sheet (the printer's NewPage).
    void NewPage();
    // Lines rasterized by the suite instead of the printer. The PDF canvas draws every
    // line as a vector path either way, so the flag is kept but changes nothing printed.
    bool GetRasterizeLines() const { return FRasterizeLines; }
    void SetRasterizeLines(bool value) { FRasterizeLines = value; }

private:
    bool FRasterizeLines = false;
    bool FJobOpen = false;  // this device began the printer's job
};

// Registers the device classes; after RegisterPelvarClasses.
void RegisterDeviceClasses();
