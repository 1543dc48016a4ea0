#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <string>
#include <vector>

#include "../../../kernel/tests/test_support.h"
#include "device/device.h"
#include "kernel/kernel.h"
#include "platform/sysutils.h"
#include "symbol/symbol.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

class Symbols : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        RegisterKernelClasses();
        RegisterPelvarClasses();
        RegisterDeviceClasses();
        RegisterSpaceClasses();
        RegisterSymbolClasses();
    }
    void SetUp() override {
        // One pixel per model metre and per millimetre of symbol: 200 x 100 pixels show
        // the model from (0, 0) to (200, 100).
        dev = TBitmapDevice::New();
        dev->SetPageSize(200, 100);
        dev->GetPage()->SetResolution(1000, 1000);
        dev->GetProjection()->ChangeProjectionByRect(0, 0, 200, 100, dev->GetPage());
        dev->Clear();
    }
    void TearDown() override {
        Free(dev);
        DropQueue();
    }
    TColor Pixel(int x, int y) { return dev->GetBitmap()->Pixel(x, y); }
    // Pixels of the colour along a row or a column.
    int CountRow(int y, TColor c) {
        int n = 0;
        for (int x = 0; x < 200; ++x) n += Pixel(x, y) == c;
        return n;
    }
    int CountColumn(int x, TColor c) {
        int n = 0;
        for (int y = 0; y < 100; ++y) n += Pixel(x, y) == c;
        return n;
    }
    template <class T>
    T* Table(const std::string& text) {
        T* t = T::New();
        t->LoadFromText(text, "test.txt");
        t->SetDevice(dev);
        return t;
    }
    TBitmapDevice* dev = nullptr;
};

TEST_F(Symbols, BadLinesAreReportedWithFileAndLineAndSkipped) {
    struct Case {
        const char* kind;
        const char* text;
        int symbols;
        std::vector<std::string> lines;  // line numbers reported, in order
    };
    const Case cases[] = {
        {"area", "AREA 1001 7 1 plná\r\nHATCH 45 3\r\nLINE 0 0.1 2\r\n", 1, {}},
        {"area", "# note\r\n\r\nAREA x 7 1\r\nHATCH 45 3\r\nAREA 1002 7 1\r\nHATCH 0 0\r\nLINE 0 0.1 99999\r\n", 1,
         {"3", "4", "6", "7"}},
        {"area", "AREA 1001 7 1\r\nAREA 1001 8 0\r\nLINE 0 1 1\r\nLAYER OKOLI\r\nFOO\r\n", 1, {"2", "3", "4", "5"}},
        {"line", "LINE 2001\r\nSTROKE 0 0.3 1 3 1\r\nSTROKE 0 0.3 1 3\r\nSTROKE 0 nan 1\r\nSTROKE 0 0.3 -2\r\n", 1,
         {"3", "4", "5"}},
        {"line", "STROKE 0 1 1\r\nLINE 0\r\nLINE 2002 dvojitá čára\r\nSTROKE 1e9 1 1\r\n", 1, {"1", "2", "4"}},
        {"point", "POINT 3001\r\nCIRCLE 0 0 1 0.2 4 1\r\nCIRCLE 0 0 1 0.2 4 2\r\nPOLYLINE 0.2 1 0 0 1\r\n"
                  "POLYGON 0.2 1 1 0 0 1 1 2 0\r\nPOLYGON 0.2 1 0 0 0\r\n", 1, {"3", "4", "6"}},
    };
    for (const Case& c : cases) {
        std::string kind = c.kind;
        TSymbolTable* t = kind == "area"   ? static_cast<TSymbolTable*>(TAreaSymbols::New())
                          : kind == "line" ? static_cast<TSymbolTable*>(TLineSymbols::New())
                                           : static_cast<TSymbolTable*>(TPointSymbols::New());
        t->LoadFromText(Cz(c.text), "Srafy.txt");
        EXPECT_EQ(t->Count(), c.symbols) << c.text;
        ASSERT_EQ(t->Messages().size(), c.lines.size()) << c.text;
        for (size_t i = 0; i < c.lines.size(); ++i)
            EXPECT_EQ(t->Messages()[i].rfind(Cz("Soubor Srafy.txt, řádek ") + c.lines[i] + ": ", 0), 0u)
                << t->Messages()[i];
        Free(t);
    }
}

TEST_F(Symbols, TablesReadFilesAndLayerCodes) {
    TempDir tmp("symbols");
    std::string dir = tmp.Path();
    std::ofstream(dir + "/Fonty.txt", std::ios::binary) << "POINT 3001\r\nCIRCLE 0 0 1 0.2 4 1\r\nLAYER mista 3001\r\n";
    TPointSymbols* t = LoadSymbolTable<TPointSymbols>(dir + "/Fonty.txt", dev);
    ASSERT_NE(t, nullptr);
    EXPECT_NE(t->VratZnackuDleKodu(3001), nullptr);
    EXPECT_EQ(t->VratZnackuDleKodu(3002), nullptr);
    EXPECT_EQ(t->LayerCode("MISTA"), 3001);
    EXPECT_EQ(t->LayerCode("CESTY"), 0);
    EXPECT_EQ(t->GetDevice(), dev);
    Free(t);
    EXPECT_EQ(LoadSymbolTable<TPointSymbols>(dir + "/missing.txt", dev), nullptr);
}

TEST_F(Symbols, LineSymbolsOffsetAndDash) {
    TLineSymbols* t = Table<TLineSymbols>(
        "LINE 2001\nSTROKE 8 1 4\nSTROKE -8 1 4\n"  // double line 16 px apart
        "LINE 2002\nSTROKE 0 1 -1 10 10\n");      // dashed in the pen's colour
    auto* line = TPolyLineElement::New();
    line->SetPoints({{20, 50}, {180, 50}});
    t->ZobrazLinii(line, 2001);
    const TColor red = DejBarvicku(4);
    EXPECT_GT(CountRow(42, red) + CountRow(41, red), 150);
    EXPECT_GT(CountRow(58, red) + CountRow(57, red), 150);
    EXPECT_EQ(CountRow(50, red), 0);

    dev->Clear();
    dev->GetPen()->SetColor(clBlue);
    line->SetPoints({{20, 20}, {20, 90}});  // upwards, from pixel row 80 to row 10
    t->ZobrazLinii(line, 2002);
    EXPECT_EQ(Pixel(20, 75), clBlue);
    EXPECT_EQ(Pixel(20, 65), clWhite);
    EXPECT_EQ(Pixel(20, 55), clBlue);
    EXPECT_GT(CountColumn(20, clBlue), 30);
    EXPECT_LT(CountColumn(20, clBlue), 45);
    Free(line);
    Free(t);
}

TEST_F(Symbols, AreaSymbolsHatchInsideTheRingsOnly) {
    TAreaSymbols* t = Table<TAreaSymbols>(
        "AREA 1001 -1 0\nHATCH 0 10\nLINE 0 1 2\n"
        "AREA 1002 14 1\n");
    auto* area = TAreaElement::New();
    // A square with a square hole.
    area->SetPoints({{20, 10}, {180, 10}, {180, 90}, {20, 90}, {80, 30}, {120, 30}, {120, 70}, {80, 70}}, {0, 4});
    dev->PrepareForPolyPolygon(RingsOf(area));
    t->VyplnPlochu(t->VratZnackuDleKodu(1001), area);
    const TColor green = DejBarvicku(2);
    int rows = 0;
    for (int y = 0; y < 100; ++y) rows += CountRow(y, green) > 0;
    EXPECT_GE(rows, 7);
    EXPECT_LE(rows, 9);
    EXPECT_EQ(CountColumn(10, green), 0);   // left of the area
    EXPECT_EQ(CountColumn(100, green), 4);  // the hole
    EXPECT_GE(CountColumn(50, green), 7);

    dev->Clear();
    t->VyplnPlochu(t->VratZnackuDleKodu(1002), area);
    EXPECT_EQ(Pixel(50, 50), DejBarvicku(14));
    EXPECT_EQ(Pixel(100, 50), clWhite);
    area->SetSkip(true);
    dev->Clear();
    t->VyplnPlochu(t->VratZnackuDleKodu(1002), area);
    EXPECT_EQ(Pixel(50, 50), clWhite);
    Free(area);
    Free(t);
}

TEST_F(Symbols, PointSymbolsTurnWithTheAngle) {
    TPointSymbols* t = Table<TPointSymbols>(
        "POINT 3001\nCIRCLE 0 0 5 1 12 1\n"
        "POINT 3002\nPOLYLINE 1 0 0 0 20 0\n");
    t->PaintSymbol(TPointSymbols::psOutline | TPointSymbols::psFill, 3001, 100, 50, 0);
    EXPECT_EQ(Pixel(100, 50), clRed);
    EXPECT_EQ(Pixel(100, 40), clWhite);
    dev->Clear();
    t->PaintSymbol(TPointSymbols::psOutline, 3001, 100, 50, 0);  // outline only
    EXPECT_EQ(Pixel(100, 50), clWhite);
    dev->Clear();
    t->PaintSymbol(TPointSymbols::psOutline | TPointSymbols::psTurn, 3002, 100, 50, kPi / 2);  // turned up
    EXPECT_EQ(Pixel(100, 40), clBlack);
    EXPECT_EQ(Pixel(110, 50), clWhite);
    dev->Clear();
    t->PaintSymbol(TPointSymbols::psOutline, 3002, 100, 50, kPi / 2);  // not turned
    EXPECT_EQ(Pixel(110, 50), clBlack);
    Free(t);
}

}  // namespace
