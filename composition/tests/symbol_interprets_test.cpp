#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "../../kernel/tests/test_support.h"
#include "composition/composition.h"
#include "composition/symbol_interprets.h"
#include "gravo/gravo.h"
#include "kernel/kernel.h"

namespace {

class SymbolInterprets : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        RegisterCompositionClasses();
    }
    void SetUp() override {
        std::ofstream(tmp.Path("Srafy.txt"), std::ios::binary) << "AREA 1001 14 1\r\nAREA 1002 -1 0\r\nHATCH 0 5\r\nLINE 0 1 2\r\n";
        std::ofstream(tmp.Path("linzn.txt"), std::ios::binary) << "LINE 2001\r\nSTROKE 2 0.5 4\r\nSTROKE -2 0.5 4\r\n";
        std::ofstream(tmp.Path("Fonty.txt"), std::ios::binary) << "POINT 3001\r\nCIRCLE 0 0 3 0.5 12 1\r\n";
        PathOfLibraries = tmp.Path();
        // One pixel per model metre; symbol millimetres are virtual scale / 1000 pixels.
        dev = TBitmapDevice::New();
        dev->SetPageSize(200, 100);
        dev->GetPage()->SetResolution(1000, 1000);
        dev->GetProjection()->ChangeProjectionByRect(0, 0, 200, 100, dev->GetPage());
        dev->GetProjection()->SetVirtualScale(1000);
        dev->Clear();
    }
    void TearDown() override {
        Free(dev);
        PathOfLibraries.clear();
        DropQueue();
    }
    // One element drawn the way a walk draws it.
    void Draw(TInterpret* in, TElement* e) {
        dev->Clear();
        in->Reset(dev);
        if (in->QProcessBefore(e)) in->Process(e);
        in->Close();
    }
    TColor Pixel(int x, int y) { return dev->GetBitmap()->Pixel(x, y); }
    int ColumnInk(int x) {
        int n = 0;
        for (int y = 0; y < 100; ++y) n += Pixel(x, y) != clWhite;
        return n;
    }
    int Ink(int left, int top, int right, int bottom) {
        int n = 0;
        for (int y = top; y < bottom; ++y)
            for (int x = left; x < right; ++x) n += Pixel(x, y) != clWhite;
        return n;
    }
    TempDir tmp{"symint"};
    TBitmapDevice* dev = nullptr;
};

TEST_F(SymbolInterprets, AreasByCodeAndSize) {
    auto* in = TGeneralAreaInterpret::New();
    in->PropCode = "Code";
    auto* a = TAreaElement::New();
    a->SetPoints({{20, 20}, {80, 20}, {80, 80}, {20, 80}});

    Draw(in, a);  // code 0: plain white inside a black outline
    EXPECT_EQ(Pixel(50, 50), clWhite);
    EXPECT_EQ(Pixel(20, 50), clBlack);
    in->UseColor = true;
    in->Color = clRed;
    Draw(in, a);
    EXPECT_EQ(Pixel(50, 50), clRed);

    a->SetCode(1001);  // yellow symbol, and the colour tool recolours it
    in->UseColor = false;
    Draw(in, a);
    EXPECT_EQ(Pixel(50, 50), DejBarvicku(14));
    EXPECT_EQ(Pixel(20, 50), DejBarvicku(14));
    in->SetSymbolColorTool(TSetUserSymbolColor::New());
    in->UseColor = true;
    in->FillBackground = true;
    Draw(in, a);
    EXPECT_EQ(Pixel(50, 50), clRed);
    a->SetCode(1999);  // no such symbol: nothing
    Draw(in, a);
    EXPECT_EQ(Pixel(50, 50), clWhite);

    a->SetCode(0);
    a->SetPoints({{20, 20}, {22.5, 20}, {22.5, 22.5}});  // under 3 pixels
    EXPECT_FALSE(in->QProcessBefore(a));
    a->SetPoints({{20, 20}, {23, 20}, {23, 23}});
    EXPECT_TRUE(in->QProcessBefore(a));
    a->SetPoints({{400, 20}, {480, 20}, {480, 80}});  // outside the region
    EXPECT_FALSE(in->QProcessBefore(a));
    Free(a);
    Free(in);
}

TEST_F(SymbolInterprets, LineWidthsAndSymbolsByCode) {
    struct Case {
        int32_t code;
        double virtualScale;
        int ink;  // pixels across the line in column 100
        bool doubleLine;
    };
    const Case cases[] = {
        {0, 10000, 1, false},  {3, 10000, 1, false},   {4, 10000, 4, false},  // thick never beyond 4
        {999, 4000, 3, false}, {2999, 4000, 3, false},                        // missing symbol: thick
        {2001, 2000, 2, true},                                                // two strokes 8 pixels apart
    };
    auto* in = TGeneralLineInterpret::New();
    in->PropCode = "Code";
    auto* line = TPolyLineElement::New();
    line->SetPoints({{20, 50}, {180, 50}});
    for (const Case& c : cases) {
        dev->GetProjection()->SetVirtualScale(c.virtualScale);
        line->SetCode(c.code);
        Draw(in, line);
        EXPECT_EQ(ColumnInk(100), c.ink) << c.code;
        EXPECT_EQ(Pixel(100, 50) != clWhite, !c.doubleLine) << c.code;
    }
    in->ColorByGravo = true;  // colour 0 through the colour table draws nothing
    line->SetCode(0);
    Draw(in, line);
    EXPECT_EQ(ColumnInk(100), 0);
    // Only the value 0 is left out, not the values that the table makes black.
    in->UseColor = true;
    for (TColor value : {0, 16, 32}) {
        in->Color = value;
        Draw(in, line);
        EXPECT_EQ(ColumnInk(100), value == 0 ? 0 : 1) << value;
    }
    Free(line);
    Free(in);
}

TEST_F(SymbolInterprets, PointsAreCrossesWithoutSymbols) {
    auto* in = TGeneralPointInterpret::New();
    auto* p = TPointElement::New(100, 50);
    p->SetCode(3001);
    Draw(in, p);
    EXPECT_EQ(Pixel(100, 50), clRed);
    EXPECT_GT(Ink(90, 40, 110, 60), 20);

    PathOfLibraries = tmp.Path("none");
    Draw(in, p);
    EXPECT_EQ(Ink(0, 0, 200, 100), 7);  // 4 pixels each way, crossing
    EXPECT_EQ(Pixel(98, 50), clBlack);
    EXPECT_EQ(Pixel(100, 48), clBlack);
    EXPECT_EQ(Pixel(102, 50), clWhite);
    Free(p);
    Free(in);
}

TEST_F(SymbolInterprets, TextsNeedAHeight) {
    auto* in = TGeneralTextInterpret::New();
    in->PropX = "X";
    in->PropY = "Y";
    in->PropText = "Text";
    auto* t = TTextElement::New(60, 70, "Ostrava");
    Draw(in, t);
    EXPECT_EQ(Ink(0, 0, 200, 100), 0);
    in->Height = 0.015;  // 15 pixels at the virtual scale
    Draw(in, t);
    EXPECT_GT(Ink(58, 28, 140, 50), 30);
    EXPECT_EQ(Ink(0, 50, 200, 100), 0);
    Free(t);
    Free(in);
}

TEST_F(SymbolInterprets, FormattedBlocksNeedATextSize) {
    auto* in = TGeneralFormatedTextBlockInterpret::New();
    TFormatedTextBlock* block = in->GetTextBlock();
    block->SetNextParagraphName("P1");
    block->GetActualParagraph()->SetText("Legenda");
    auto* var = TVariableText::New();
    var->SetName("Text");
    block->GetActualParagraph()->SetNextText(var);
    auto* t = TTextElement::New(0, 0, "Ostrava");
    in->X = 10;
    in->Y = 10;
    Draw(in, t);
    EXPECT_EQ(Ink(0, 0, 200, 100), 0);
    block->SetNewStyle(true);
    Draw(in, t);  // a style without height or size
    EXPECT_EQ(Ink(0, 0, 200, 100), 0);
    block->GetParagraphStyle()->TextSize = 14;
    Draw(in, t);
    EXPECT_GT(Ink(10, 10, 200, 30), 30);
    EXPECT_EQ(var->GetText(), "Ostrava");
    Free(t);
    Free(in);
}

}  // namespace
