#include "device/device.h"

#include <cmath>

#include "device/device_tool.h"
#include "kernel/class_registry.h"

namespace {
constexpr double kPi = 3.14159265358979323846;
constexpr int kScreenDPI = 96;
}  // namespace

// ---- TDevice -----------------------------------------------------------------------------

void TDevice::Create() {
    inherited::Create();
    FPage = T_Page::New();
    FPage->SetDPI(kScreenDPI);
    FPage->SetColor(clWhite);
    FProjection = TPageProjection::New();
    FProjection->SetPage(FPage);
}

void TDevice::Destroy() {
    Free(FProjection);
    FProjection = nullptr;
    Free(FPage);
    FPage = nullptr;
    inherited::Destroy();
}

TCanvas* TDevice::Prepared() {
    TCanvas* c = GetCanvas();
    if (!c) return nullptr;
    c->Pen().Assign(FPen);
    c->Brush().Assign(FBrush);
    c->Font().Assign(FFont);
    if (FPage && FPage->GetClipping()) c->SetClipRect(FPage->GetClipRegion());
    else c->ResetClip();
    return c;
}

void TDevice::SetPenWidth(double width) {
    int w = FProjection ? FProjection->GetPageLengthHoriz1(std::fabs(width)) : 0;
    FPen.SetWidth(w);
}

void TDevice::SetTextOrientation(double degrees) {
    double total = degrees + (FProjection ? FProjection->GetAngle() * 180.0 / kPi : 0);
    FFont.SetOrientation(static_cast<int>(std::lround(total * 10)));
}

void TDevice::MoveTo(double x, double y) {
    if (!FProjection) return;
    TPixelPoint p = FProjection->GetPagePoint(x, y);
    MoveToDevice(p.X, p.Y);
}

void TDevice::LineTo(double x, double y) {
    if (!FProjection) return;
    TPixelPoint p = FProjection->GetPagePoint(x, y);
    LineToDevice(p.X, p.Y);
}

void TDevice::Polygon(TElement* points) { Polygon(PointsOf(points)); }

void TDevice::Polygon(const std::vector<T2DPoint>& points) { PolyPolygon({points}); }

void TDevice::PolyPolygon(const std::vector<std::vector<T2DPoint>>& rings) {
    PrepareForPolyPolygon(rings);
    if (TCanvas* c = Prepared()) c->PolyPolygon(FPrepared);
}

void TDevice::PrepareForPolyPolygon(const std::vector<std::vector<T2DPoint>>& rings) {
    FPrepared.clear();
    if (!FProjection) return;
    for (const auto& ring : rings) {
        std::vector<TPixelPoint> px;
        px.reserve(ring.size());
        for (const auto& p : ring) px.push_back(FProjection->GetPagePoint(p));
        FPrepared.push_back(std::move(px));
    }
}

void TDevice::Rectangle(double minX, double minY, double maxX, double maxY) {
    if (!FProjection) return;
    if (FProjection->GetAngle() != 0) {
        Polygon(std::vector<T2DPoint>{{minX, minY}, {maxX, minY}, {maxX, maxY}, {minX, maxY}});
        return;
    }
    TPixelRect r = FProjection->GetPageRect(minX, minY, maxX, maxY);
    RectangleDevice(r.Left, r.Top, r.Right, r.Bottom);
}

void TDevice::TextOut(double x, double y, const std::string& text) {
    if (!FProjection) return;
    TPixelPoint p = FProjection->GetPagePoint(x, y);
    TextOutDevice(p.X, p.Y, text);
}

int TDevice::TextWidth(const std::string& text) {
    TCanvas* c = Prepared();
    return c ? c->TextWidth(text) : 0;
}

double TDevice::TextModelWidth(const std::string& text) {
    return FProjection ? FProjection->GetModelLength(TextWidth(text)) : 0;
}

void TDevice::Draw(double x, double y, const TRasterImage& image) {
    if (!FProjection) return;
    TPixelPoint p = FProjection->GetPagePoint(x, y);
    if (TCanvas* c = Prepared()) c->Draw(p.X, p.Y, image);
}

void TDevice::StretchDraw(const TRectangle& r, const TRasterImage& image) {
    if (!FProjection) return;
    if (TCanvas* c = Prepared()) c->StretchDraw(FProjection->GetPageRect(r), image);
}

void TDevice::MoveToDevice(int x, int y) {
    if (TCanvas* c = GetCanvas()) c->MoveTo(x, y);
}

void TDevice::LineToDevice(int x, int y) {
    if (TCanvas* c = Prepared()) c->LineTo(x, y);
}

void TDevice::TextOutDevice(int x, int y, const std::string& text) {
    if (TCanvas* c = Prepared()) c->TextOut(x, y, text);
}

void TDevice::RectangleDevice(int left, int top, int right, int bottom) {
    if (TCanvas* c = Prepared()) c->Rectangle(left, top, right, bottom);
}

double TDevice::GetRealWidth() const { return FPage ? FPage->GetRealWidth() : 0; }

double TDevice::GetRealHeight() const { return FPage ? FPage->GetRealHeight() : 0; }

void TDevice::SetPageSize(int width, int height) {
    if (!FPage) return;
    FPage->SetSize(width, height);
    if (FProjection) FProjection->PageChanged();
}

void TDevice::SetVisible(bool) {}

void TDevice::Clear() {
    TCanvas* c = GetCanvas();
    if (!c || !FPage) return;
    c->ResetClip();
    c->Pen().SetMode(pmCopy);
    c->Brush().SetStyle(bsSolid);
    c->Brush().SetColor(FPage->GetColor());
    c->FillRect(TPixelRect{0, 0, FPage->GetWidth(), FPage->GetHeight()});
}

void TDevice::WriteText(const std::string&) {}
void TDevice::WriteLine(const std::string&) {}
void TDevice::BeginOutput() {}
void TDevice::EndOutput() {}
void TDevice::FlushOutput() {}
void TDevice::SetOutputOption(int) {}

// ---- TBitmapDevice -----------------------------------------------------------------------

void TBitmapDevice::Destroy() {
    delete FOwnBitmap;
    FOwnBitmap = nullptr;
    FBitmap = nullptr;
    inherited::Destroy();
}

TRasterImage* TBitmapDevice::GetBitmap() {
    if (FBitmap) return FBitmap;
    if (!FOwnBitmap) {
        FOwnBitmap = new TRasterImage();
        if (FPage) FOwnBitmap->SetSize(FPage->GetWidth(), FPage->GetHeight());
    }
    return FOwnBitmap;
}

void TBitmapDevice::SetBitmap(TRasterImage* bitmap) {
    FBitmap = bitmap;
    // Letting go of a bitmap keeps the page's size; an own raster is made when drawn on.
    TRasterImage* b = bitmap ? bitmap : FOwnBitmap;
    if (b) TDevice::SetPageSize(b->Width(), b->Height());
}

TCanvas* TBitmapDevice::GetCanvas() { return GetBitmap()->Canvas(); }

void TBitmapDevice::SetPageSize(int width, int height) {
    TRasterImage* b = GetBitmap();
    if (b->Width() != width || b->Height() != height) b->SetSize(width, height);
    TDevice::SetPageSize(b->Width(), b->Height());
}

void TBitmapDevice::SaveToPNG(const std::string& path) { GetBitmap()->SaveToPNG(path); }

// ---- TImageCanvasDevice ------------------------------------------------------------------

void TImageCanvasDevice::AdaptToImage() {
    TRasterImage* b = GetBitmap();
    TDevice::SetPageSize(b->Width(), b->Height());
}

// ---- TPrintDevice ------------------------------------------------------------------------

void TPrintDevice::Publish(PropertyTable& t) {
    t.Bool<TPrintDevice>("RasterizeLines", &TPrintDevice::GetRasterizeLines, &TPrintDevice::SetRasterizeLines);
}

void TPrintDevice::Create() {
    inherited::Create();
    TPrinter& p = Printer();
    p.BeginDoc();
    FJobOpen = true;
    FPage->SetDPI(p.Resolution());
    TDevice::SetPageSize(p.PageWidth(), p.PageHeight());
}

// Also releases a device whose Create raised: the job is ended only when it began.
void TPrintDevice::Destroy() {
    bool failed = false;
    std::string message;
    if (FJobOpen) {
        FJobOpen = false;
        try {
            Printer().EndDoc();
        } catch (const Exception& e) {
            failed = true;
            message = e.Message();
        }
    }
    inherited::Destroy();
    if (failed) throw EFCreateError(message);
}

TCanvas* TPrintDevice::GetCanvas() { return Printer().Canvas(); }

void TPrintDevice::NewPage() { Printer().NewPage(); }

// ---- registration ------------------------------------------------------------------------

void RegisterDeviceClasses() {
    static bool done = false;
    if (done) return;
    done = true;
    RegisterZarixClass<TProjection>();
    RegisterZarixClass<TPageProjection>();
    RegisterZarixClass<TDevice>();
    RegisterZarixClass<TCanvasDevice>();
    RegisterZarixClass<TBitmapDevice>();
    RegisterZarixClass<TImageCanvasDevice>();
    RegisterZarixClass<TDeviceTool>();
}
