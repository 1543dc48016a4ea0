#include <gtest/gtest.h>
#include <zlib.h>

#include "device/printer.h"
#include "page_drawing_test_util.h"

namespace {

using drawtest::PageDrawing;
using drawtest::Px;
using drawtest::Py;

// The streams of a PDF file, inflated.
std::string InflatedStreams(const std::string& pdf) {
    std::string all;
    for (size_t pos = pdf.find("stream\n"); pos != std::string::npos; pos = pdf.find("stream\n", pos + 1)) {
        z_stream z{};
        if (inflateInit(&z) != Z_OK) continue;
        z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(pdf.data() + pos + 7));
        z.avail_in = static_cast<uInt>(pdf.size() - pos - 7);
        char buf[65536];
        int rc;
        do {
            z.next_out = reinterpret_cast<Bytef*>(buf);
            z.avail_out = sizeof buf;
            rc = inflate(&z, Z_NO_FLUSH);
            all.append(buf, sizeof buf - z.avail_out);
        } while (rc == Z_OK);
        inflateEnd(&z);
    }
    return all;
}

TEST_F(PageDrawing, PdfPageHoldsTheDrawingAsVectors) {
    auto* lines = TLines::New();
    lines->Width = lines->Height = 100;
    desktop->AddElement(GridView(lines, 1000, 2000));
    TempDir dir("pdf");
    TPrinter& printer = Printer();
    std::string oldFile = printer.FileName();
    double oldW = printer.PaperWidth(), oldH = printer.PaperHeight();
    printer.SetFileName(dir.Path("page.pdf"));
    printer.SetPaperSize(0.2, 0.15);
    TPrintDevice* pd = TPrintDevice::New();
    pd->GetProjection()->ChangeProjection(T2DPoint{0.1, 0.075}, pd->GetPage(), 1.0);
    DrawDesktop(desktop, pd);
    Free(pd);
    printer.SetFileName(oldFile);
    printer.SetPaperSize(oldW, oldH);

    std::string pdf = ReadFile(dir.Path("page.pdf"));
    ASSERT_FALSE(pdf.empty());
    EXPECT_EQ(pdf.find("/Image"), std::string::npos);
    std::string content = InflatedStreams(pdf);
    size_t moves = 0;  // nine vertical and nine horizontal grid lines at least
    for (size_t p = content.find(" m "); p != std::string::npos; p = content.find(" m ", p + 1)) ++moves;
    EXPECT_GE(moves, 18u);
}

TEST_F(PageDrawing, PicturesAreStretchedOverTheirRectangleOrDrawnAtTheirOwnSize) {
    TempDir dir("pic");
    TRasterImage red(10, 10);
    red.Fill(clRed);
    red.SaveToPNG(dir.Path("red.png"));
    struct Case {
        const char* file;
        double maxX, minY;  // of a picture whose top left corner is (0.01, 0.03)
        int inX, inY, outX, outY;
    } cases[] = {
        {"red.png", 0.03, 0.01, Px(0.025), Py(0.015), Px(0.035), Py(0.015)},      // over 80 x 80 pixels
        {"red.png", 0.01, 0.03, Px(0.01) + 8, Py(0.03) + 8, Px(0.01) + 12, Py(0.03) + 5},  // 10 x 10
        {"none.png", 0.03, 0.01, -1, -1, Px(0.02), Py(0.02)},  // skipped with a beep
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.maxX);
        ClearHostLog();
        auto* picture = TBMPFileElement::New();
        picture->SetRect(0.01, c.minY, c.maxX, 0.03);
        picture->SetFileName(dir.Path(c.file));
        DrawWith(picture);
        if (c.inX >= 0) {
            EXPECT_EQ(At(c.inX, c.inY), clRed);
        }
        EXPECT_EQ(At(c.outX, c.outY), clWhite);
        EXPECT_EQ(HostLog().size(), c.inX >= 0 ? 0u : 1u);
        EXPECT_EQ(At(0, 300), clBlack);  // the rest of the page is drawn
    }
}

}  // namespace
