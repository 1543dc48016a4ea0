#include <gdk-pixbuf/gdk-pixbuf.h>
#include <gtest/gtest.h>

#include <fstream>
#include <functional>

#include "../../../kernel/tests/test_support.h"
#include "kernel/kernel.h"
#include "raster/raster.h"

namespace {

void WriteBytes(const std::string& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

// A solid w x h picture saved by gdk-pixbuf in the kind ("png", "jpeg", "bmp").
void WritePicture(const std::string& path, const char* kind, int w, int h, TColor c) {
    GdkPixbuf* pb = gdk_pixbuf_new(GDK_COLORSPACE_RGB, FALSE, 8, w, h);
    gdk_pixbuf_fill(pb, (uint32_t(ColorRed(c)) << 24) | (ColorGreen(c) << 16) | (ColorBlue(c) << 8) | 0xFF);
    ASSERT_TRUE(gdk_pixbuf_save(pb, path.c_str(), kind, nullptr, nullptr));
    g_object_unref(pb);
}

bool Near(TColor a, TColor b) {
    return std::abs(ColorRed(a) - ColorRed(b)) < 8 && std::abs(ColorGreen(a) - ColorGreen(b)) < 8 &&
           std::abs(ColorBlue(a) - ColorBlue(b)) < 8;
}

class RasterTest : public ::testing::Test {
protected:
    void SetUp() override {
        static bool done = (RegisterKernelClasses(), RegisterPelvarClasses(), RegisterDeviceClasses(),
                            RegisterInterpretClasses(), RegisterRasterClasses(), true);
        (void)done;
    }
    TempDir dir{"raster"};
    InstalledHost host;
};

TEST_F(RasterTest, PicturesOfEveryKindAreReadAndOthersRefused) {
    const TColor c = 0x3080C0;
    struct Case {
        const char* name;
        std::function<void(const std::string&)> write;
        int w, h;  // 0: refused
        TColor colour;
    } cases[] = {
        {"a.png", [&](const std::string& p) { WritePicture(p, "png", 5, 3, c); }, 5, 3, c},
        {"a.jpg", [&](const std::string& p) { WritePicture(p, "jpeg", 16, 8, c); }, 16, 8, c},
        {"a.bmp", [&](const std::string& p) { WritePicture(p, "bmp", 3, 2, c); }, 3, 2, c},
        {"a.gif", [](const std::string& p) {  // one red pixel
             WriteBytes(p, std::string("GIF89a\1\0\1\0\x80\0\0\xff\0\0\0\0\0,\0\0\0\0\1\0\1\0\0\2\2\x44\1\0;", 35));
         }, 1, 1, clRed},
        {"text.png", [](const std::string& p) { WriteBytes(p, "no picture"); }, 0, 0, 0},
        {"cut.png", [](const std::string& p) { WriteBytes(p, std::string("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR", 16)); }, 0, 0, 0},
        {"cut.jpg", [](const std::string& p) { WriteBytes(p, std::string("\xFF\xD8\xFF\xE0\0\x10JFIF", 10)); }, 0, 0, 0},
        {"cut.gif", [](const std::string& p) { WriteBytes(p, "GIF89a\x01"); }, 0, 0, 0},
        {"missing.png", [](const std::string&) {}, 0, 0, 0},
        // Bombs: a small file whose header promises a huge picture is refused before decoding.
        {"bomb.gif", [](const std::string& p) {
             WriteBytes(p, std::string("GIF89a\xff\xff\xff\xff\x80\0\0\xff\0\0\0\0\0,\0\0\0\0\1\0\1\0\0\2\2\x44\1\0;", 35));
         }, 0, 0, 0},
        {"bomb.bmp", [](const std::string& p) {
             WriteBytes(p, std::string("BM\x3e\0\0\0\0\0\0\0\x36\0\0\0\x28\0\0\0\x30\x75\0\0\x30\x75\0\0\1\0\x18\0", 30) +
                               std::string(32, '\0'));
         }, 0, 0, 0},
        {"bomb.jpg", [](const std::string& p) {  // progressive, 30000 x 30000
             WriteBytes(p, std::string("\xff\xd8\xff\xe0\0\x04\0\0\xff\xc2\0\x0b\x08\x75\x30\x75\x30\x01\x01\x11\0", 21));
         }, 0, 0, 0},
        {"bomb.png", [](const std::string& p) {  // 12000 x 12000
             WriteBytes(p, std::string("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR\0\0\x2e\xe0\0\0\x2e\xe0\x01\0\0\0\0", 29));
         }, 0, 0, 0},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        k.write(dir.Path(k.name));
        TRasterImage image;
        if (!k.w) {
            EXPECT_THROW(LoadPictureFile(dir.Path(k.name), image), EFOpenError);
            continue;
        }
        LoadPictureFile(dir.Path(k.name), image);
        EXPECT_EQ(image.Width(), k.w);
        EXPECT_EQ(image.Height(), k.h);
        EXPECT_TRUE(Near(image.Pixel(k.w - 1, k.h - 1), k.colour)) << std::hex << image.Pixel(k.w - 1, k.h - 1);
    }
}

TEST_F(RasterTest, WorldFilesGiveTheOuterCornerAndPixelSize) {
    TWorldFile w = ParseWorldFile("10\n0\n0\n-10\n1005\n1995\n");
    EXPECT_TRUE(w.PixelWidth == 10 && w.PixelHeight == -10 && w.Left == 1000 && w.Top == 2000);
    EXPECT_DOUBLE_EQ(ParseWorldFile("  2.5\r\n0\r\n0\r\n-2.5\r\n-1.25e5\r\n7\r\n").Left, -125001.25);
    for (const char* bad : {"", "1\n0\n0\n-1\n5", "1\n0.1\n0\n-1\n5\n5", "0\n0\n0\n-1\n5\n5", "1\n0\n0\n0\n5\n5",
                            "1\n0\n0\n-1\n5\n5\n6", "1\n0\n0\n-1\nx\n5", "1\n0\n0\n-1\nnan\n5", "1\n0\n0\n-1\n1e999\n5",
                            "-1e308\n0\n0\n-1\n1.7e308\n5"})
        EXPECT_THROW(ParseWorldFile(bad), EConvertError) << bad;
}

TEST_F(RasterTest, RasterTakesItsRectangleFromTheWorldFileAndIsDrawnThere) {
    WritePicture(dir.Path("map.png"), "png", 10, 10, clRed);
    WriteBytes(dir.Path("map.pgw"), "10\n0\n0\n-10\n1005\n1995\n");
    Owned<TRaster> raster(TRaster::New());
    raster->SetFileName(dir.Path("map.png"));
    EXPECT_EQ(raster->Rect().Min, (T2DPoint{1000, 1900}));
    EXPECT_EQ(raster->Rect().Max, (T2DPoint{1100, 2000}));

    // 100 pixels show 400 m around (1000, 2000): the raster covers pixels 50..75 x 50..75.
    Owned<TBitmapDevice> device(TBitmapDevice::New());
    device->GetPage()->SetResolution(1000, 1000);
    device->SetPageSize(100, 100);
    device->GetProjection()->ChangeProjection(T2DPoint{1000, 2000}, device->GetPage(), 4000);
    Owned<TRasterInterpret> interpret(TRasterInterpret::New());
    Owned<TRaster> broken(TRaster::New());
    broken->SetRect(1000, 1900, 1100, 2000);
    broken->SetFileName(dir.Path("map.pgw"));  // no picture: a beep, nothing drawn
    for (TRaster* r : {broken.p, raster.p}) {
        ClearHostLog();
        interpret->Input = r;
        interpret->Reset(device);
        interpret->DoIt();
        EXPECT_EQ(device->GetBitmap()->Pixel(60, 60), r == raster ? clRed : clWhite);
        EXPECT_EQ(HostLog().size(), r == raster ? 0u : 1u);
    }
    EXPECT_EQ(device->GetBitmap()->Pixel(45, 60), clWhite);
    EXPECT_EQ(device->GetBitmap()->Pixel(60, 45), clWhite);
}

}  // namespace
