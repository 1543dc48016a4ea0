#include <gtest/gtest.h>
#include <zlib.h>

#include <string>

#include "composition/page_interprets.h"
#include "device/printer.h"
#include "page_drawing_test_util.h"

namespace {

using drawtest::PageDrawing;
using drawtest::Px;
using drawtest::Py;

// The streams of a PDF file, inflated where they are compressed.
std::string InflatedStreams(const std::string& pdf) {
    std::string all;
    size_t pos = 0;
    while ((pos = pdf.find("stream", pos)) != std::string::npos) {
        size_t start = pos + 6;
        if (start < pdf.size() && pdf[start] == '\r') ++start;
        if (start < pdf.size() && pdf[start] == '\n') ++start;
        size_t end = pdf.find("endstream", start);
        if (end == std::string::npos) break;
        z_stream z{};
        if (inflateInit(&z) == Z_OK) {
            z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(pdf.data() + start));
            z.avail_in = static_cast<uInt>(end - start);
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
        pos = end + 9;
    }
    return all;
}

size_t Count(const std::string& s, const std::string& what) {
    size_t n = 0;
    for (size_t p = s.find(what); p != std::string::npos; p = s.find(what, p + 1)) ++n;
    return n;
}

TEST_F(PageDrawing, PdfPageHoldsTheDrawingAsVectors) {
    auto* lines = TLines::New();
    lines->Width = lines->Height = 100;
    lines->Color = clBlue;
    TView* v = TView::New();
    v->SetRect(0.1, 0.05, 0.19, 0.14);
    TRectEntity* model = TRectEntity::New();
    model->AddElement(lines);
    v->SetModel(model);
    v->SetScale(10000);
    v->SetModelCenterX(1000);
    v->SetModelCenterY(2000);
    desktop->AddElement(v);
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
    // Nine vertical and nine horizontal grid lines at least, each a move and a line.
    EXPECT_GE(Count(content, " m "), 18u);
    EXPECT_GE(Count(content, " l "), 18u);
}

TEST_F(PageDrawing, PicturesAreStretchedOverTheirRectangleOrDrawnAtTheirOwnSize) {
    TempDir dir("pic");
    TRasterImage red(10, 10);
    red.Fill(clRed);
    red.SaveToPNG(dir.Path("red.png"));
    struct Case {
        double maxX, minY;  // of a picture whose top left corner is (0.01, 0.03)
        int insideX, insideY, outsideX, outsideY;
    } cases[] = {
        {0.03, 0.01, Px(0.025), Py(0.015), Px(0.035), Py(0.015)},  // stretched over 80 x 80 pixels
        {0.01, 0.03, Px(0.01) + 8, Py(0.03) + 8, Px(0.01) + 12, Py(0.03) + 5},  // 10 x 10 pixels
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.maxX);
        auto* picture = TBMPFileElement::New();
        picture->SetRect(0.01, c.minY, c.maxX, 0.03);
        picture->SetFileName(dir.Path("red.png"));
        desktop->AddElement(picture);
        device->GetBitmap()->Fill(clWhite);
        Draw();
        EXPECT_EQ(At(c.insideX, c.insideY), clRed);
        EXPECT_EQ(At(c.outsideX, c.outsideY), clWhite);
        desktop->FreeElement(picture);
    }
    // A picture that cannot be read is skipped with a beep; the rest of the page is drawn.
    auto* missing = TGraphicFileElement::New();
    missing->SetRect(0.01, 0.01, 0.03, 0.03);
    missing->SetFileName(dir.Path("none.png"));
    desktop->AddElement(missing);
    auto* frame = TDrawRectangle::New();
    frame->SetRect(0.1, 0.1, 0.15, 0.12);
    frame->SetPenColor(clRed);
    desktop->AddElement(frame);
    ClearHostLog();
    device->GetBitmap()->Fill(clWhite);
    Draw();
    EXPECT_EQ(At(Px(0.02), Py(0.02)), clWhite);
    EXPECT_EQ(At(Px(0.1), Py(0.11)), clRed);
    EXPECT_EQ(HostLog().size(), 1u);
}

}  // namespace
