#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <random>
#include <filesystem>
#include <regex>
#include <string>

#include <cairo-pdf.h>

#include "device/device.h"
#include "device/device_tool.h"
#include "device/font_faces.h"
#include "platform/sysutils.h"

#include "../../../platform/tests/test_support.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

int CountPages(const std::string& pdf) {
    std::regex page("/Type\\s*/Page[^s]");
    return static_cast<int>(std::distance(std::sregex_iterator(pdf.begin(), pdf.end(), page), std::sregex_iterator()));
}

// A 200 x 100 pixel raster device at 96 dpi showing model (0..w, 0..h) around centre c.
struct RasterDevice {
    TBitmapDevice* dev = TBitmapDevice::New();
    RasterDevice(int w = 200, int h = 100) { dev->SetPageSize(w, h); }
    ~RasterDevice() { Free(dev); }
    TRasterImage& Bmp() { return *dev->GetBitmap(); }
};

}  // namespace

TEST(Canvas, LinesAndRectanglesLandOnTheirPixels) {
    TRasterImage img(50, 40);
    TCanvas* c = img.Canvas();
    ASSERT_NE(c, nullptr);
    c->Pen().SetColor(clRed);
    c->MoveTo(5, 10);
    c->LineTo(45, 10);
    EXPECT_EQ(img.Pixel(20, 10), clRed);
    EXPECT_EQ(img.Pixel(20, 9), clWhite);
    EXPECT_EQ(img.Pixel(20, 11), clWhite);

    c->Pen().SetColor(clBlue);
    c->Brush().SetColor(clGreen);
    c->Rectangle(10, 20, 20, 30);
    EXPECT_EQ(img.Pixel(10, 25), clBlue);   // left edge
    EXPECT_EQ(img.Pixel(19, 25), clBlue);   // right edge stays inside
    EXPECT_EQ(img.Pixel(20, 25), clWhite);  // right is outside
    EXPECT_EQ(img.Pixel(15, 25), clGreen);  // inside

    // A clear brush leaves the inside alone; a clear pen draws no frame.
    c->Brush().SetStyle(bsClear);
    c->Pen().SetStyle(psClear);
    c->Rectangle(30, 20, 40, 30);
    EXPECT_EQ(img.Pixel(30, 25), clWhite);
    EXPECT_EQ(img.Pixel(35, 25), clWhite);
}

// Segments draws what as many LineTo's draw; lines that miss the clip are left out of the
// path (on a PDF page they would each be recorded and written).
TEST(Canvas, SegmentsDrawAsManyLinesAndLeaveOutThoseOffTheClip) {
    const std::vector<TPixelPoint> ends = {{2, 3}, {40, 3}, {5, 5}, {5, 35}, {-10, 20}, {60, 25}, {30, 30}, {30, 30},
                                           {10, 38}, {48, 12}};
    for (int width : {1, 2, 3}) {
        SCOPED_TRACE(width);
        TRasterImage one(50, 40), many(50, 40);
        for (TRasterImage* img : {&one, &many}) {
            TCanvas* c = img->Canvas();
            c->SetClipRect({0, 0, 45, 40});
            c->Pen().SetColor(clRed);
            c->Pen().SetWidth(width);
            if (img == &one) {
                c->Segments(ends);
            } else {
                for (size_t i = 0; i + 1 < ends.size(); i += 2) {
                    c->MoveTo(ends[i].X, ends[i].Y);
                    c->LineTo(ends[i + 1].X, ends[i + 1].Y);
                }
            }
            EXPECT_EQ(c->PenPos(), ends.back());
        }
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < 50; ++x) ASSERT_EQ(one.Pixel(x, y), many.Pixel(x, y)) << x << "," << y;
    }
    TempDir tmp("outside_device_");
    ASSERT_FALSE(tmp.Path().empty());
    auto pdfSize = [&](int outside) {
        std::string path = tmp.Path("segments.pdf");
        cairo_surface_t* page = cairo_pdf_surface_create(path.c_str(), 200, 200);
        {
            TCanvas c(page, 200, 200, 1.0, 72);
            c.SetClipRect({0, 0, 100, 100});
            std::vector<TPixelPoint> lines = {{10, 10}, {90, 90}};
            for (int i = 0; i < outside; ++i) lines.insert(lines.end(), {{110 + i % 80, 0}, {110 + i % 80, 190}});
            c.Segments(lines);
        }
        cairo_surface_destroy(page);
        return std::filesystem::file_size(path);
    };
    EXPECT_LT(pdfSize(20000), pdfSize(0) + 200);
}

TEST(Canvas, XorDrawnTwiceRestoresThePicture) {
    TRasterImage img(30, 30);
    img.Fill(RGBColor(10, 20, 30));
    TCanvas* c = img.Canvas();
    c->Pen().SetMode(pmXor);
    c->Pen().SetColor(clGreen);
    c->Brush().SetStyle(bsClear);
    c->Rectangle(5, 5, 25, 25);
    EXPECT_EQ(img.Pixel(5, 15), RGBColor(10, 20 ^ 0x80, 30));
    EXPECT_EQ(img.Pixel(15, 15), RGBColor(10, 20, 30));
    c->Rectangle(5, 5, 25, 25);
    EXPECT_EQ(img.Pixel(5, 15), RGBColor(10, 20, 30));
}

TEST(Canvas, PngRoundTripAndClip) {
    TRasterImage img(20, 10);
    TCanvas* c = img.Canvas();
    c->SetClipRect({0, 0, 10, 10});
    c->Brush().SetColor(clRed);
    c->FillRect({0, 0, 20, 10});
    EXPECT_EQ(img.Pixel(9, 5), clRed);
    EXPECT_EQ(img.Pixel(10, 5), clWhite);
    TempDir tmp("outside_device_");
    ASSERT_FALSE(tmp.Path().empty());
    std::string path = tmp.Path("roundtrip.png");
    img.SaveToPNG(path);
    TRasterImage back;
    back.LoadFromPNG(path);
    EXPECT_EQ(back.Width(), 20);
    EXPECT_EQ(back.Height(), 10);
    EXPECT_EQ(back.Pixel(3, 3), clRed);
    EXPECT_EQ(back.Pixel(15, 3), clWhite);
    EXPECT_THROW(back.LoadFromPNG(tmp.Path("missing.png")), EFOpenError);
}

TEST(Device, DrawsInModelCoordinatesOntoTheRaster) {
    RasterDevice r;
    TDevice* d = r.dev;
    // 96 dpi: 3779.5 pixels per metre; scale 1 with the page 200 px wide shows 0.0529 m.
    // Show model x 0..200, y 0..100 (one model unit per pixel).
    double ppm = 96 / 0.0254;
    d->GetProjection()->ChangeProjection(T2DPoint{100, 50}, d->GetPage(), ppm);
    d->Clear();
    d->GetPen()->SetColor(clRed);
    d->MoveTo(20, 30);  // pixel (20, 70)
    d->LineTo(180, 30);
    EXPECT_EQ(r.Bmp().Pixel(100, 70), clRed);
    EXPECT_EQ(r.Bmp().Pixel(100, 69), clWhite);

    d->GetBrush()->SetColor(clBlue);
    d->GetPen()->SetColor(clBlack);
    d->Rectangle(150, 80, 190, 95);  // pixels left 150, top 5, right 190, bottom 20
    EXPECT_EQ(r.Bmp().Pixel(170, 12), clBlue);
    EXPECT_EQ(r.Bmp().Pixel(150, 12), clBlack);

    // The polygon of point elements: a triangle filled green.
    TEntity* pts = TEntity::New();
    pts->AddElement(T2DCoordinate::New(10, 10));
    pts->AddElement(T2DCoordinate::New(60, 10));
    pts->AddElement(T2DCoordinate::New(10, 60));
    d->GetBrush()->SetColor(clGreen);
    d->Polygon(pts);
    EXPECT_EQ(r.Bmp().Pixel(20, 80), clGreen);
    EXPECT_EQ(r.Bmp().Pixel(55, 45), clWhite);
    pts->FreeAll();
    Free(pts);

    // Page clipping keeps drawing inside the clip region.
    d->GetPage()->SetClipRegion(0, 0, 50, 100);
    d->GetPage()->SetClipping(true);
    d->GetPen()->SetColor(clRed);
    d->MoveTo(0, 2);  // pixel row 98
    d->LineTo(200, 2);
    EXPECT_EQ(r.Bmp().Pixel(40, 98), clRed);
    EXPECT_EQ(r.Bmp().Pixel(60, 98), clWhite);
}

TEST(Device, TextIsWrittenFromItsTopLeftCorner) {
    RasterDevice r;
    TDevice* d = r.dev;
    d->GetProjection()->ChangeProjection(T2DPoint{100, 50}, d->GetPage(), 96 / 0.0254);
    d->GetFont()->SetHeight(-20);
    d->GetFont()->SetColor(clBlack);
    d->TextOut(10, 90, Cz("Čára"));  // pixel (10, 10)
    int inked = 0, above = 0;
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 200; ++x)
            if (r.Bmp().Pixel(x, y) != clWhite) (y < 10 ? above : inked)++;
    EXPECT_EQ(above, 0);
    if (d->TextWidth("M") > 0) {  // a font is installed
        EXPECT_GT(inked, 20);
        EXPECT_GT(d->TextModelWidth("MM"), d->TextModelWidth("M"));
    }
}

// Whatever face a name ends on, the text's cell starts at its top left corner: the accent
// of "Č" reaches the cell's top, nothing lies above it.
TEST(Device, EveryFaceIsPlacedFromItsOwnAscent) {
    const char* names[] = {"Arial", "Times New Roman", "Courier New", "Nimbus Sans", "No Such Face"};
    for (const char* name : names)
        for (uint8_t style : {uint8_t(0), uint8_t(fsBold), uint8_t(fsItalic)}) {
            TRasterImage img(200, 60);
            TCanvas* c = img.Canvas();
            c->Font().SetName(name);
            c->Font().SetStyle(style);
            c->Font().SetHeight(-30);
            c->TextOut(10, 10, Cz("Čára"));
            int top = -1, above = 0;
            for (int y = 0; y < img.Height(); ++y)
                for (int x = 0; x < img.Width(); ++x)
                    if (img.Pixel(x, y) != clWhite) {
                        if (top < 0) top = y;
                        if (y < 10) ++above;
                    }
            SCOPED_TRACE(std::string(name) + " style " + std::to_string(style) + " drawn with " +
                         FontFaceFor(name, style & fsBold, style & fsItalic).Family);
            EXPECT_EQ(above, 0);
            EXPECT_GE(top, 10);
            EXPECT_LE(top, 10 + 30 / 4);
        }
}

// The suite's font names are drawn with the families setup installs, whatever else answers
// to those names on the machine.
TEST(Device, FontNamesMapToTheSuitesFamilies) {
    struct {
        const char* name;
        const char* family;
    } cases[] = {{"Arial", "Liberation Sans"},        {"arial ce", "Liberation Sans"},
                 {"MS Sans Serif", "Liberation Sans"}, {"Times New Roman", "Liberation Serif"},
                 {"Courier New", "Liberation Mono"},   {"", "Liberation Sans"},
                 {"No Such Face", "Liberation Sans"}};
    for (const auto& k : cases) {
        if (std::string(k.name) != "No Such Face") {
            EXPECT_EQ(MappedFontFamily(k.name), k.family) << k.name;
        }
        EXPECT_EQ(FontFaceFor(k.name, false, false).Family, k.family) << k.name;
    }
    EXPECT_EQ(MappedFontFamily("DejaVu Sans"), "DejaVu Sans");
}

TEST(Device, PenWidthAndRealSizeFollowTheProjection) {
    RasterDevice r(378, 189);  // 0.1 m x 0.05 m at 96 dpi
    TDevice* d = r.dev;
    EXPECT_NEAR(d->GetRealWidth(), 0.1, 0.001);
    EXPECT_NEAR(d->GetRealHeight(), 0.05, 0.001);
    d->GetProjection()->ChangeProjection(T2DPoint{0, 0}, nullptr, 1000);  // 1:1000
    d->SetPenWidth(2.0);  // 2 model metres = 2 mm of paper = 7.6 px
    EXPECT_EQ(d->GetPen()->Width(), 8);
    d->SetPenWidth(0);
    EXPECT_EQ(d->GetPen()->Width(), 0);
}

TEST(Device, SetBitmapDrawsIntoTheGivenRaster) {
    TRasterImage img(40, 30);
    TImageCanvasDevice* d = TImageCanvasDevice::New();
    d->SetImage(&img);
    EXPECT_EQ(d->GetPage()->GetWidth(), 40);
    d->GetPage()->SetColor(clSilver);
    d->Clear();
    EXPECT_EQ(img.Pixel(39, 29), clSilver);
    img.SetSize(60, 50);
    d->AdaptToImage();
    EXPECT_EQ(d->GetPage()->GetHeight(), 50);
    Free(d);
    EXPECT_EQ(img.Width(), 60);  // the window's raster stays
}

TEST(Projection, RoundTripsAtSeveralScalesAndRotations) {
    T_Page* page = T_Page::New();
    page->SetSize(800, 600);
    page->SetDPI(96);
    TPageProjection* p = TPageProjection::New();
    for (double scale : {1.0, 500.0, 25000.0, 2e6}) {
        for (double angle : {0.0, 0.3, kPi / 2, -2.5}) {
            p->ChangeProjection(T2DPoint{-740000, -1040000}, page, scale);
            p->SetAngle(angle);
            for (auto px : {TPixelPoint{0, 0}, TPixelPoint{400, 300}, TPixelPoint{799, 17}, TPixelPoint{123, 599}}) {
                T2DPoint m = p->GetModelPoint(px);
                EXPECT_EQ(p->GetPagePoint(m), px) << "scale " << scale << " angle " << angle;
            }
            // A model point goes to pixels and back within half a pixel.
            T2DPoint m0{-740000 + scale * 0.01, -1040000 - scale * 0.02};
            double fx, fy;
            p->GetPagePointF(m0.X, m0.Y, fx, fy);
            T2DPoint back = p->GetModelPoint(fx, fy);
            EXPECT_NEAR(back.X, m0.X, scale * 1e-9);
            EXPECT_NEAR(back.Y, m0.Y, scale * 1e-9);
            // The centre is shown at the middle of the page.
            EXPECT_EQ(p->GetPagePoint(p->GetCenter()), (TPixelPoint{400, 300}));
        }
    }
    // Lengths: one page metre is 3779.5 pixels at scale 1.
    p->ChangeProjection(T2DPoint{0, 0}, page, 1);
    p->SetAngle(0);
    EXPECT_EQ(p->GetPageLengthHoriz1(0.01), 38);
    EXPECT_NEAR(p->GetModelLength(p->GetPageLengthVert1(0.05)), 0.05, 0.0003);
    // y grows up in the model and down in pixels.
    EXPECT_LT(p->GetPageY(0.01), p->GetPageY(0));
    Free(p);
    Free(page);
}

TEST(Projection, FitsRectanglesAndCentresOnTheClipRegion) {
    T_Page* page = T_Page::New();
    page->SetSize(400, 200);
    page->SetResolution(1000, 1000);  // 0.4 m x 0.2 m
    TPageProjection* p = TPageProjection::New();
    p->ChangeProjectionByRect(0, 0, 400, 100, page);
    EXPECT_DOUBLE_EQ(p->GetScale(), 1000);  // width decides: 400 / 0.4
    EXPECT_DOUBLE_EQ(p->GetCenterX(), 200);
    TRectangle shown;
    p->GetModelRect(shown);
    EXPECT_DOUBLE_EQ(shown.Min.X, 0);
    EXPECT_DOUBLE_EQ(shown.Max.X, 400);
    EXPECT_DOUBLE_EQ(shown.Min.Y, -50);
    EXPECT_DOUBLE_EQ(shown.Max.Y, 150);
    TPixelRect pr = p->GetPageRect(shown);
    EXPECT_EQ(pr, (TPixelRect{0, 0, 400, 200}));
    TRectangle back;
    p->GetModelRect(TPixelRect{100, 50, 300, 150}, back);  // pixels to model
    EXPECT_DOUBLE_EQ(back.Min.X, 100);
    EXPECT_DOUBLE_EQ(back.Max.Y, 100);

    // A zero-size rectangle moves the centre and keeps the scale.
    TRectangle* point = TRectangle::New(10, 10, 10, 10);
    p->ChangeProjectionByRectangle(*point, nullptr);
    Free(point);
    EXPECT_DOUBLE_EQ(p->GetScale(), 1000);
    EXPECT_DOUBLE_EQ(p->GetCenterX(), 10);
    // A scale of 0 is refused.
    p->ChangeProjection(T2DPoint{0, 0}, nullptr, 0);
    EXPECT_DOUBLE_EQ(p->GetScale(), 1000);

    // With clipping on, the centre is shown in the middle of the clip region and the
    // shown region is the clip region's.
    page->SetClipRegion(100, 50, 200, 150);
    page->SetClipping(true);
    p->ChangeProjection(T2DPoint{0, 0}, page, 1000);
    EXPECT_EQ(p->GetPagePoint(0, 0), (TPixelPoint{150, 100}));
    p->GetModelRect(shown);
    EXPECT_DOUBLE_EQ(shown.GetWidth(), 100);
    page->SetClipping(false);
    p->PageChanged();
    EXPECT_EQ(p->GetPagePoint(0, 0), (TPixelPoint{200, 100}));
    Free(p);
    Free(page);
}

TEST(PrintDevice, WritesOnePdfPagePerSheet) {
    TempDir tmp("outside_device_");
    ASSERT_FALSE(tmp.Path().empty());
    std::string path = tmp.Path("print.pdf");
    Printer().SetFileName(path);
    Printer().SetPaperSize(0.21, 0.297);
    TPrintDevice* d = TPrintDevice::New();
    EXPECT_TRUE(Printer().Printing());
    EXPECT_FALSE(std::filesystem::exists(path));  // written beside it until the job ends
    EXPECT_NEAR(d->GetRealWidth(), 0.21, 0.001);
    EXPECT_NEAR(d->GetRealHeight(), 0.297, 0.001);
    d->GetProjection()->ChangeProjectionByRect(0, 0, 0.21, 0.297, d->GetPage());
    d->MoveTo(0.01, 0.01);
    d->LineTo(0.2, 0.28);
    d->NewPage();
    d->Rectangle(0.05, 0.05, 0.1, 0.1);
    d->NewPage();
    EXPECT_EQ(Printer().PageNumber(), 3);
    Free(d);
    EXPECT_FALSE(Printer().Printing());
    std::string pdf = ReadFile(path);
    ASSERT_EQ(pdf.rfind("%PDF", 0), 0u);
    EXPECT_EQ(CountPages(pdf), 3);
    // A4 in points: 595.28 x 841.89.
    std::smatch m;
    ASSERT_TRUE(std::regex_search(pdf, m, std::regex("/MediaBox\\s*\\[\\s*0\\s+0\\s+([0-9.]+)\\s+([0-9.]+)")));
    EXPECT_NEAR(std::stod(m[1]), 595.28, 0.5);
    EXPECT_NEAR(std::stod(m[2]), 841.89, 0.5);
}

TEST(PrintDevice, AFailedWriteKeepsTheOldFileAndLeavesNoTemporaryOne) {
    TempDir tmp("outside_device_");
    ASSERT_FALSE(tmp.Path().empty());
    struct Case {
        const char* name;
        std::function<void(const std::string&)> write;
    } cases[] = {
        {"print.pdf",
         [](const std::string& path) {
             Printer().SetFileName(path);
             TPrintDevice* d = TPrintDevice::New();
             d->GetProjection()->ChangeProjectionByRect(0, 0, 0.21, 0.297, d->GetPage());
             for (int i = 0; i < 40; ++i) {
                 d->Rectangle(0.01 * (i % 10), 0.01, 0.1, 0.1);
                 d->NewPage();
             }
             Free(d);
         }},
        {"window.png",
         [](const std::string& path) {
             TRasterImage image(64, 64);
             std::mt19937 noise(7);
             for (int y = 0; y < 64; ++y)
                 for (int x = 0; x < 64; ++x) image.SetPixel(x, y, static_cast<TColor>(noise() & 0xFFFFFF));
             image.SaveToPNG(path);
         }},
    };
    for (const Case& c : cases) {
        std::string path = tmp.Path(c.name);
        c.write(path);  // whole without a limit
        ASSERT_GT(std::filesystem::file_size(path), 4096u) << c.name;
        std::ofstream(path, std::ios::binary) << "the old file";
        {
            FileSizeLimit limit(2048);
            EXPECT_THROW(c.write(path), EFCreateError) << c.name;
        }
        EXPECT_FALSE(Printer().Printing());
        EXPECT_EQ(ReadFile(path), "the old file") << c.name;
        int files = 0;
        for (auto& entry : std::filesystem::directory_iterator(tmp.Path())) files += entry.is_regular_file();
        EXPECT_EQ(files, static_cast<int>(&c - cases) + 1) << c.name;  // no temporary file left
    }
}

TEST(PrintDevice, AbortLeavesNoFile) {
    TempDir tmp("outside_device_");
    ASSERT_FALSE(tmp.Path().empty());
    std::string path = tmp.Path("aborted.pdf");
    Printer().SetFileName(path);
    TPrintDevice* d = TPrintDevice::New();
    d->LineTo(1, 1);
    Printer().Abort();
    EXPECT_TRUE(Printer().Aborted());
    Free(d);  // the aborted job is not ended again
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_TRUE(std::filesystem::is_empty(tmp.Path()));
}

TEST(PrintDevice, AJobThatCannotBeginRaisesAndLeavesNothingOpen) {
    TempDir tmp("outside_device_");
    ASSERT_FALSE(tmp.Path().empty());
    Printer().SetFileName(tmp.Path("missing/print.pdf"));
    EXPECT_THROW(TPrintDevice::New(), EFCreateError);
    EXPECT_THROW(TPrintDevice::StaticClass()->CreateInstance(), EFCreateError);
    EXPECT_FALSE(Printer().Printing());

    // The line-rasterizing flag, off by default and set by name as the print dialog does.
    Printer().SetFileName(tmp.Path("flag.pdf"));
    TPrintDevice* d = TPrintDevice::New();
    EXPECT_FALSE(d->GetRasterizeLines());
    d->SetPropertyBooleanByName("RasterizeLines", true);
    EXPECT_TRUE(d->GetRasterizeLines());
    Free(d);
    EXPECT_TRUE(std::filesystem::exists(tmp.Path("flag.pdf")));
}

TEST(Projection, RecentringOnAClippedPartKeepsTheMapping) {
    // A map window's drawing: clip to the window, show the window's model centre there,
    // then narrow the clip to the visible part and centre on that part's model point.
    T_Page* page = T_Page::New();
    page->SetSize(400, 200);
    page->SetResolution(1000, 1000);
    TPageProjection* p = TPageProjection::New();
    page->SetClipRegion(100, 20, 300, 180);
    page->SetClipping(true);
    p->ChangeProjection(T2DPoint{5000, 7000}, page, 50);
    p->SetAngle(0.4);
    EXPECT_EQ(p->GetPagePoint(5000, 7000), (TPixelPoint{200, 100}));
    double before[2][2];
    p->GetPagePointF(5100, 6950, before[0][0], before[0][1]);
    p->GetPagePointF(4900, 7040, before[1][0], before[1][1]);
    TPixelRect part{150, 20, 300, 120};
    T2DPoint m = p->GetModelPoint((part.Left + part.Right) / 2.0, (part.Top + part.Bottom) / 2.0);
    page->SetClipRegion(part);
    p->ChangeProjection(m, page, 50);
    double after[2][2];
    p->GetPagePointF(5100, 6950, after[0][0], after[0][1]);
    p->GetPagePointF(4900, 7040, after[1][0], after[1][1]);
    for (int i = 0; i < 2; ++i)
        for (int j = 0; j < 2; ++j) EXPECT_NEAR(after[i][j], before[i][j], 1e-6);
    Free(p);
    Free(page);
}

TEST(DeviceTool, DeviceScaleIsTheProjectionScale) {
    TDeviceTool* tool = TDeviceTool::New();
    EXPECT_EQ(tool->GetDeviceScale(), 0);
    tool->SetDeviceScale(10);  // no device: nothing happens
    TBitmapDevice* d = TBitmapDevice::New();
    d->SetPageSize(100, 100);
    tool->SetDevice(d);
    d->GetProjection()->ChangeProjection(T2DPoint{3, 4}, nullptr, 500);
    EXPECT_DOUBLE_EQ(tool->GetDeviceScale(), 500);
    tool->SetDeviceScale(250);  // F5 halves the scale around the same centre
    EXPECT_DOUBLE_EQ(d->GetProjection()->GetScale(), 250);
    EXPECT_DOUBLE_EQ(d->GetProjection()->GetCenterY(), 4);
    tool->SetDeviceScale(-1);
    EXPECT_DOUBLE_EQ(tool->GetDeviceScale(), 250);
    Free(d);
    EXPECT_EQ(tool->GetDevice(), nullptr);  // not owned; gone with the device
    Free(tool);
}
