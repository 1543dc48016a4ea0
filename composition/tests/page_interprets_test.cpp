#include <gtest/gtest.h>

#include <algorithm>

#include "composition/map_spaces.h"
#include "composition/text_blocks.h"
#include "page_drawing_test_util.h"

namespace {

using drawtest::PageDrawing;
using drawtest::Px;
using drawtest::Py;

TLines* Grid(double width, double height) {
    auto* lines = TLines::New();
    lines->Width = width;
    lines->Height = height;
    lines->Color = clBlue;
    return lines;
}

TEST_F(PageDrawing, PageElementsLandWhereTheirRectanglesSay) {
    auto* frame = TDrawRectangle::New();
    frame->SetRect(0.01, 0.01, 0.05, 0.05);
    frame->SetPenColor(clRed);
    frame->SetBrushStyle(bsClear);
    desktop->AddElement(frame);
    auto* title = TText::New();
    title->SetRect(0.01, 0.10, 0.09, 0.14);
    title->SetText("Mapa");
    title->SetTextHeight(0.01);
    desktop->AddElement(title);
    DrawWith(GridView(Grid(100, 100), 1000, 2000));

    EXPECT_EQ(At(0, 300), clBlack);              // the desktop's frame
    EXPECT_EQ(At(Px(0.01), Py(0.03)), clRed);    // the rectangle's left edge
    EXPECT_EQ(At(Px(0.03), Py(0.03)), clWhite);  // its clear inside
    EXPECT_TRUE(AnyNotWhite(Px(0.01), Py(0.14), Px(0.09), Py(0.12)));
    // Region x 550..1450: lines from trunc(5.5) * 100 = 500; 600 is pixel 420, 500 (380) is
    // left of the view and clipped. y 1600 is pixel 380, y 2000 pixel 220.
    EXPECT_EQ(At(420, 200), clBlue);
    EXPECT_EQ(At(380, 200), clWhite);
    EXPECT_EQ(At(600, 380), clBlue);
    EXPECT_EQ(At(600, 220), clBlue);
    EXPECT_FALSE(device->GetPage()->GetClipping());
    EXPECT_DOUBLE_EQ(device->GetProjection()->GetScale(), 1.0);
    EXPECT_DOUBLE_EQ(device->GetProjection()->GetCenterX(), 0.1);
}

TEST_F(PageDrawing, GridsStartAtTheTruncatedStepAndRefuseTooManyCells) {
    struct Case {
        double cx, step;
        int column;  // pixel of the first cross column inside the view; 0: refused
    } cases[] = {
        {1000, 100, 420},    // region from 550: crosses at 600, 700, ...
        {-1000, 100, 420},   // region from -1450: trunc(-14.5) = -14, crosses at -1400, ...
        {1020, 100, 412},    // region from 570: 600 is pixel 412
        {1000, 0.85, 0}, {1000, 0, 0}, {1000, -100, 0},  // over 1000 cells, no step, a negative one
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.cx << " " << c.step);
        ClearHostLog();
        auto* cross = TCross::New();
        cross->SetStep(c.step);
        cross->Size = 20;  // 8 pixels
        cross->Color = clGreen;
        DrawWith(GridView(cross, c.cx, 2000 * (c.cx < 0 ? -1 : 1)));
        std::string told = Cz("Objekt TCross:TCross má vzhledem k zobrazované ploše nevhodně nastavenou šířku či výšku");
        EXPECT_EQ(std::count(HostLog().begin(), HostLog().end(), told), c.column ? 0 : 1);
        if (!c.column) {
            EXPECT_FALSE(AnyIn(401, 41, 759, 399, [](TColor x) { return x == clGreen; }));
            continue;
        }
        // The first row inside lies 50 m (20 pixels) above the region's bottom.
        EXPECT_EQ(At(c.column, 380), clGreen);
        EXPECT_EQ(At(c.column - 4, 380), clGreen);
        EXPECT_EQ(At(c.column - 6, 380), clWhite);
        EXPECT_EQ(At(c.column, 374), clWhite);
    }
}

TEST_F(PageDrawing, TextsNeedTwoDevicePixelsAndBlocksStopAtTheirBottom) {
    for (auto [height, drawn] : {std::pair{0.0002, false}, {0.0005, true}, {0.004, true}}) {
        SCOPED_TRACE(height);
        auto* text = TText::New();
        text->SetRect(0.01, 0.06, 0.09, 0.08);
        text->SetText("WWWWWWWW");
        text->SetTextHeight(height);
        DrawWith(text);
        EXPECT_EQ(AnyNotWhite(Px(0.01), Py(0.08), Px(0.09), Py(0.06)), drawn);
    }
    auto* block = TTextBlock::New();
    block->SetRect(0.01, 0.10, 0.09, 0.14);  // lines at 0.14, 0.125, 0.11; not at 0.095
    block->SetTextHeight(0.004);
    for (const char* l : {"AAAA", "BBBB", "CCCC", "DDDD"}) block->GetLines()->Add(l);
    DrawWith(block);
    for (double top : {0.14, 0.125, 0.11}) EXPECT_TRUE(AnyNotWhite(Px(0.01), Py(top), Px(0.09), Py(top) + 14)) << top;
    EXPECT_FALSE(AnyNotWhite(Px(0.01), Py(0.095), Px(0.09), Py(0.095) + 20));
}

TEST_F(PageDrawing, ViewsAreDrawnInTheirPlaceAtTheirRotation) {
    struct Case {
        double minX, maxX, angle;
        int x, y;  // a pixel on a line (x = 1100 upright or turned by a quarter, x = 900 at the edge)
        int offX, offY;  // a pixel on no line
    } cases[] = {
        {0.1, 0.19, 0, 620, 110, 590, 180},
        {0.1, 0.19, 3.14159265358979 / 2, 590, 180, 620, 110},
        {0.15, 0.25, 0, 760, 200, 700, 200},  // the view's middle (1000) is the page's right edge
        {0.3, 0.39, 0, -1, -1, 0, 0},              // wholly off the page: nothing drawn
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.minX + c.angle);
        TView* v = GridView(Grid(100, 100000), 1000, 2000);
        v->SetRect(c.minX, 0.05, c.maxX, 0.14);
        v->SetAngle(c.angle);
        DrawWith(v);
        auto blue = [](TColor x) { return x == clBlue; };
        if (c.x < 0) {
            EXPECT_FALSE(AnyIn(0, 0, 800, 600, blue));
        } else {
            EXPECT_EQ(At(c.x, c.y), clBlue);
        }
        EXPECT_NE(At(c.offX, c.offY), clBlue);
        EXPECT_DOUBLE_EQ(device->GetProjection()->GetAngle(), 0);
    }
}

TEST_F(PageDrawing, SheetFramesTakeTheirSeriesColourAndLabelBelowTheScale) {
    struct Case {
        TMapSpace* (*make)();
        TColor colour;
        double labelBelow;
    } cases[] = {
        {[]() -> TMapSpace* { return TSMO_50::New(); }, 0x000000, 5000000},
        {[]() -> TMapSpace* { return TSMO_25::New(); }, 0xFF0000, 2500000},
        {[]() -> TMapSpace* { return TSMO_10::New(); }, 0x0000FF, 1000000},
        {[]() -> TMapSpace* { return TSMO_5::New(); }, 0x008000, 500000},
    };
    for (const Case& c : cases)
        for (double scale : {c.labelBelow * 0.99, c.labelBelow}) {
            SCOPED_TRACE(scale);
            TMapSpace* sheet = c.make();
            sheet->SetName("MMMM");
            double half = 0.3 * 0.09 * scale;  // the middle 60 % of the view: pixels 472..688 x 112..328
            sheet->SetRect(-half, -half, half, half);
            TView* v = GridView(sheet, 0, 0);
            v->SetScale(scale);
            DrawWith(v);
            EXPECT_TRUE(AnyIn(471, 200, 474, 201, [&](TColor x) { return x == c.colour; }));
            EXPECT_EQ(AnyNotWhite(476, 116, 560, 150), scale < c.labelBelow);
        }
}

// An interpret whose drawing fails.
class TFailingInterpret : public TInterpret {
    ZARIX_CLASS(TFailingInterpret, TInterpret)

public:
    bool QProcessBefore(TElement*) override { return true; }
    void Process(TElement*) override { throw Exception("broken"); }
};

TEST_F(PageDrawing, FailedModelDrawingLeavesClipAndProjectionAsTheyWere) {
    TView* v = GridView(Grid(100, 100), 1000, 2000);
    desktop->AddElement(v);
    T_Page* page = device->GetPage();
    TPageProjection* pr = device->GetProjection();
    page->SetClipRegion(10, 20, 700, 500);
    pr->SetVirtualScale(3);
    TRectangle region;
    region.Assign(pr->GetPageRegion());
    Owned<TViewInterpret> vi(TViewInterpret::New());
    TInterpretScript* script = TInterpretScript::New();
    script->SetIClass(TElement::StaticClass());
    script->SetInterpret(TFailingInterpret::New());
    vi->SetInterpretScript(script);
    vi->Reset(device);
    EXPECT_THROW(vi->Process(v), Exception);
    EXPECT_TRUE(!page->GetClipping() && !page->GetSecondDrawing() && pr->GetAngle() == 0);
    EXPECT_EQ(page->GetClipRegion(), (TPixelRect{10, 20, 700, 500}));
    EXPECT_EQ(pr->GetCenter(), (T2DPoint{0.1, 0.075}));
    EXPECT_TRUE(pr->GetScale() == 1.0 && pr->GetVirtualScale() == 3);
    EXPECT_TRUE(pr->GetPageRegion().Min == region.Min && pr->GetPageRegion().Max == region.Max);
}

}  // namespace
