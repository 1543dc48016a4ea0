#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "../../../kernel/tests/test_support.h"
#include "device/device.h"
#include "interpret/interpret.h"
#include "kernel/kernel.h"
#include "raster/raster.h"

namespace {

void RegisterAll() {
    static bool done = [] {
        RegisterKernelClasses();
        RegisterPelvarClasses();
        RegisterDeviceClasses();
        RegisterInterpretClasses();
        RegisterRasterClasses();
        return true;
    }();
    (void)done;
}

void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

// A solid picture of w x h pixels in the colour, in each kind.
void WritePNG(const std::string& path, int w, int h, TColor c) {
    TRasterImage image(w, h);
    image.Fill(c);
    image.SaveToPNG(path);
}

void WriteJPEG(const std::string& path, int w, int h, TColor c) {
    FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    jpeg_compress_struct info;
    jpeg_error_mgr err;
    info.err = jpeg_std_error(&err);
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, f);
    info.image_width = w;
    info.image_height = h;
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 95, TRUE);
    jpeg_start_compress(&info, TRUE);
    std::vector<unsigned char> row(static_cast<size_t>(w) * 3);
    for (int x = 0; x < w; ++x) {
        row[x * 3] = static_cast<unsigned char>(ColorRed(c));
        row[x * 3 + 1] = static_cast<unsigned char>(ColorGreen(c));
        row[x * 3 + 2] = static_cast<unsigned char>(ColorBlue(c));
    }
    while (info.next_scanline < info.image_height) {
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::fclose(f);
}

std::string Le32(uint32_t v) { return {char(v), char(v >> 8), char(v >> 16), char(v >> 24)}; }
std::string Le16(uint32_t v) { return {char(v), char(v >> 8)}; }

void WriteBMP(const std::string& path, int w, int h, TColor c) {
    int stride = (w * 3 + 3) / 4 * 4;
    std::string pixels;
    for (int y = 0; y < h; ++y) {
        std::string row;
        for (int x = 0; x < w; ++x) row += {char(ColorBlue(c)), char(ColorGreen(c)), char(ColorRed(c))};
        row.resize(stride, '\0');
        pixels += row;
    }
    std::string bmp = "BM" + Le32(54 + pixels.size()) + Le32(0) + Le32(54) + Le32(40) + Le32(w) + Le32(h) + Le16(1) +
                      Le16(24) + Le32(0) + Le32(pixels.size()) + Le32(2835) + Le32(2835) + Le32(0) + Le32(0);
    WriteBytes(path, bmp + pixels);
}

// One red pixel.
void WriteGIF(const std::string& path) {
    WriteBytes(path, std::string("GIF89a\x01\x00\x01\x00\x80\x00\x00\xff\x00\x00\x00\x00\x00"
                                 ",\x00\x00\x00\x00\x01\x00\x01\x00\x00\x02\x02\x44\x01\x00;",
                                 35));
}

bool Near(TColor a, TColor b) {
    return std::abs(ColorRed(a) - ColorRed(b)) < 8 && std::abs(ColorGreen(a) - ColorGreen(b)) < 8 &&
           std::abs(ColorBlue(a) - ColorBlue(b)) < 8;
}

class RasterTest : public ::testing::Test {
protected:
    void SetUp() override { RegisterAll(); }
    TempDir dir{"raster"};
    InstalledHost host;
};

TEST_F(RasterTest, PicturesOfEveryKindAreReadByTheirLibraries) {
    struct Case {
        const char* name;
        std::function<void(const std::string&)> write;
        int w, h;
        TColor colour;
    } cases[] = {
        {"a.png", [](const std::string& p) { WritePNG(p, 5, 3, 0x3080C0); }, 5, 3, 0x3080C0},
        {"a.jpg", [](const std::string& p) { WriteJPEG(p, 16, 8, 0x3080C0); }, 16, 8, 0x3080C0},
        {"a.bmp", [](const std::string& p) { WriteBMP(p, 3, 2, 0x3080C0); }, 3, 2, 0x3080C0},
        {"a.gif", [](const std::string& p) { WriteGIF(p); }, 1, 1, clRed},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string path = dir.Path(c.name);
        c.write(path);
        TRasterImage image;
        LoadPictureFile(path, image);
        EXPECT_EQ(image.Width(), c.w);
        EXPECT_EQ(image.Height(), c.h);
        EXPECT_TRUE(Near(image.Pixel(c.w - 1, c.h - 1), c.colour)) << std::hex << image.Pixel(c.w - 1, c.h - 1);
    }
}

TEST_F(RasterTest, FilesThatHoldNoPictureAreRefused) {
    struct Case {
        const char* name;
        std::string bytes;
    } cases[] = {
        {"text.png", "no picture"},
        {"cut.png", std::string("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR", 16)},
        {"cut.jpg", std::string("\xFF\xD8\xFF\xE0\0\x10JFIF", 10)},
        {"cut.bmp", "BM\x10\0\0\0"},
        {"cut.gif", "GIF89a\x01"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteBytes(dir.Path(c.name), c.bytes);
        TRasterImage image;
        EXPECT_THROW(LoadPictureFile(dir.Path(c.name), image), EFOpenError);
    }
    TRasterImage image;
    EXPECT_THROW(LoadPictureFile(dir.Path("missing.png"), image), EFOpenError);
}

TEST_F(RasterTest, WorldFilesGiveTheOuterCornerAndPixelSize) {
    TWorldFile w = ParseWorldFile("10\n0\n0\n-10\n1005\n1995\n");
    EXPECT_DOUBLE_EQ(w.PixelWidth, 10);
    EXPECT_DOUBLE_EQ(w.PixelHeight, -10);
    EXPECT_DOUBLE_EQ(w.Left, 1000);
    EXPECT_DOUBLE_EQ(w.Top, 2000);
    EXPECT_DOUBLE_EQ(ParseWorldFile("  2.5\r\n0\r\n0\r\n-2.5\r\n-1.25e5\r\n7\r\n").Left, -125001.25);
    for (const char* bad : {"", "1\n0\n0\n-1\n5", "1\n0.1\n0\n-1\n5\n5", "0\n0\n0\n-1\n5\n5", "1\n0\n0\n0\n5\n5",
                            "1\n0\n0\n-1\n5\n5\n6", "1\n0\n0\n-1\nx\n5", "1\n0\n0\n-1\nnan\n5", "1\n0\n0\n-1\n1e999\n5"})
        EXPECT_THROW(ParseWorldFile(bad), EConvertError) << bad;
}

TEST_F(RasterTest, RasterTakesItsRectangleFromTheWorldFileAndIsDrawnThere) {
    WritePNG(dir.Path("map.png"), 10, 10, clRed);
    WriteBytes(dir.Path("map.pgw"), "10\n0\n0\n-10\n1005\n1995\n");
    Owned<TRaster> raster(TRaster::New());
    raster->SetFileName(dir.Path("map.png"));
    EXPECT_DOUBLE_EQ(raster->GetMinX(), 1000);
    EXPECT_DOUBLE_EQ(raster->GetMaxX(), 1100);
    EXPECT_DOUBLE_EQ(raster->GetMinY(), 1900);
    EXPECT_DOUBLE_EQ(raster->GetMaxY(), 2000);

    // 100 pixels show 400 m around (1000, 2000): the raster covers pixels 50..75 x 50..75.
    Owned<TBitmapDevice> device(TBitmapDevice::New());
    device->GetPage()->SetResolution(1000, 1000);
    device->SetPageSize(100, 100);
    device->GetProjection()->ChangeProjection(T2DPoint{1000, 2000}, device->GetPage(), 4000);
    Owned<TRasterInterpret> interpret(TRasterInterpret::New());
    interpret->Input = raster;
    interpret->Reset(device);
    interpret->DoIt();
    EXPECT_EQ(device->GetBitmap()->Pixel(60, 60), clRed);
    EXPECT_EQ(device->GetBitmap()->Pixel(45, 60), clWhite);
    EXPECT_EQ(device->GetBitmap()->Pixel(60, 45), clWhite);

    // Without a picture: a beep, nothing drawn.
    WriteBytes(dir.Path("map.png"), "gone");
    Owned<TRaster> broken(TRaster::New());
    broken->SetRect(1000, 1900, 1100, 2000);
    broken->SetFileName(dir.Path("map.png"));
    device->GetBitmap()->Fill(clWhite);
    ClearHostLog();
    interpret->Input = broken;
    interpret->DoIt();
    EXPECT_EQ(device->GetBitmap()->Pixel(60, 60), clWhite);
    EXPECT_EQ(HostLog().size(), 1u);
}

}  // namespace
