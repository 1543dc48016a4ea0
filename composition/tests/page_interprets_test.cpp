#include <gtest/gtest.h>

#include <algorithm>

#include "composition/default_interpret_script.h"
#include "composition/map_spaces.h"
#include "composition/text_blocks.h"
#include "page_drawing_test_util.h"

namespace {

using drawtest::PageDrawing;
using drawtest::Px;
using drawtest::Py;

// The view of these tests: page (0.1, 0.05)-(0.19, 0.14), pixels 400..760 x 40..400, at
// 0.4 pixels per model metre around the centre.
TView* GridView(PageDrawing* t, TElement* content, double cx, double cy) {
    TView* v = TView::New();
    v->SetRect(0.1, 0.05, 0.19, 0.14);
    TRectEntity* model = TRectEntity::New();
    model->AddElement(content);
    v->SetModel(model);
    v->SetScale(10000);
    v->SetModelCenterX(cx);
    v->SetModelCenterY(cy);
    (void)t;
    return v;
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
    auto* lines = TLines::New();
    lines->Width = lines->Height = 100;
    lines->Color = clBlue;
    desktop->AddElement(GridView(this, lines, 1000, 2000));
    Draw();

    EXPECT_EQ(At(0, 300), clBlack);                  // the desktop's frame
    EXPECT_EQ(At(Px(0.01), Py(0.03)), clRed);        // the rectangle's left edge
    EXPECT_EQ(At(Px(0.03), Py(0.03)), clWhite);      // its clear inside
    EXPECT_TRUE(AnyNotWhite(Px(0.01), Py(0.14), Px(0.09), Py(0.12)));  // the title
    // Region x 550..1450: lines from trunc(5.5) * 100 = 500 on; 600 is pixel 420.
    EXPECT_EQ(At(420, 200), clBlue);
    EXPECT_EQ(At(425, 200), clWhite);
    EXPECT_EQ(At(380, 200), clWhite);  // 500 lies left of the view: clipped
    // y 1600 is pixel 380, y 2000 pixel 220.
    EXPECT_EQ(At(600, 380), clBlue);
    EXPECT_EQ(At(600, 221), clWhite);
    EXPECT_EQ(At(600, 220), clBlue);
    // Clip and projection are as before.
    EXPECT_FALSE(device->GetPage()->GetClipping());
    EXPECT_DOUBLE_EQ(device->GetProjection()->GetScale(), 1.0);
    EXPECT_DOUBLE_EQ(device->GetProjection()->GetCenterX(), 0.1);
}

TEST_F(PageDrawing, GridsStartAtTheTruncatedStep) {
    struct Case {
        double cx, cy;
        int column;  // pixel of the first line inside the view
    } cases[] = {
        {1000, 2000, 420},    // region from 550: lines at 600, 700, ...
        {-1000, -2000, 420},  // region from -1450: trunc(-14.5) = -14, lines at -1400, ...
        {1020, 2000, 412},    // region from 570: 600 is pixel 412
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.cx);
        auto* cross = TCross::New();
        cross->SetStep(100);
        cross->Size = 20;
        cross->Color = clGreen;
        TView* v = GridView(this, cross, c.cx, c.cy);
        desktop->AddElement(v);
        device->GetBitmap()->Fill(clWhite);
        Draw();
        // Each cross is 20 m (8 pixels) wide; first column of crosses at c.column.
        int row = 380;  // the first row inside lies 50 m above the region's bottom in each case
        EXPECT_EQ(At(c.column, row), clGreen);
        EXPECT_EQ(At(c.column - 4, row), clGreen);
        EXPECT_EQ(At(c.column - 6, row), clWhite);
        EXPECT_EQ(At(c.column, row - 6), clWhite);
        desktop->FreeElement(v);
    }
}

TEST_F(PageDrawing, UnsuitableGridStepIsReportedAndNotDrawn) {
    struct Case {
        double step;
        bool drawn;
    } cases[] = {{1, true}, {0.85, false}, {0, false}, {-100, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.step);
        ClearHostLog();
        auto* lines = TLines::New();
        lines->Width = lines->Height = c.step;
        lines->Color = clBlue;
        TView* v = GridView(this, lines, 1000, 2000);
        desktop->AddElement(v);
        device->GetBitmap()->Fill(clWhite);
        Draw();
        bool any = AnyIn(401, 41, 759, 399, [](TColor x) { return x == clBlue; });
        EXPECT_EQ(any, c.drawn);
        std::string expected = Cz("Objekt TLines:TLines má vzhledem k zobrazované ploše nevhodně nastavenou šířku či výšku");
        bool told = std::find(HostLog().begin(), HostLog().end(), expected) != HostLog().end();
        EXPECT_EQ(told, !c.drawn);
        desktop->FreeElement(v);
    }
}

TEST_F(PageDrawing, TextsNeedTwoDevicePixelsOfHeight) {
    struct Case {
        double height;
        bool drawn;
    } cases[] = {{0.0002, false}, {0.0005, true}, {0.004, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.height);
        auto* text = TText::New();
        text->SetRect(0.01, 0.06, 0.09, 0.08);
        text->SetText("WWWWWWWW");
        text->SetTextHeight(c.height);
        desktop->AddElement(text);
        device->GetBitmap()->Fill(clWhite);
        Draw();
        EXPECT_EQ(AnyNotWhite(Px(0.01), Py(0.08), Px(0.09), Py(0.06)), c.drawn);
        desktop->FreeElement(text);
    }
}

TEST_F(PageDrawing, TextBlockStopsAtItsBottomEdge) {
    auto* block = TTextBlock::New();
    block->SetRect(0.01, 0.10, 0.09, 0.14);  // room for three lines of 0.015 from 0.14 down
    block->SetTextHeight(0.004);
    for (const char* l : {"AAAA", "BBBB", "CCCC", "DDDD"}) block->GetLines()->Add(l);
    desktop->AddElement(block);
    Draw();
    // Lines begin at 0.14, 0.125, 0.11; the fourth (0.095) lies below the bottom.
    for (double top : {0.14, 0.125, 0.11}) EXPECT_TRUE(AnyNotWhite(Px(0.01), Py(top), Px(0.09), Py(top) + 14)) << top;
    EXPECT_FALSE(AnyNotWhite(Px(0.01), Py(0.095), Px(0.09), Py(0.095) + 20));
}

TEST_F(PageDrawing, ViewOutsideTheShownRegionIsNotDrawn) {
    auto* lines = TLines::New();
    lines->Width = lines->Height = 100;
    lines->Color = clBlue;
    TView* v = GridView(this, lines, 1000, 2000);
    v->SetRect(0.3, 0.05, 0.39, 0.14);
    desktop->AddElement(v);
    Draw();
    EXPECT_FALSE(AnyIn(0, 0, 800, 600, [](TColor x) { return x == clBlue; }));
}

TEST_F(PageDrawing, SheetFramesTakeTheirSeriesColourAndLabelBelowTheScale) {
    struct Case {
        std::function<TMapSpace*()> make;
        TColor colour;
        double labelBelow;
    } cases[] = {
        {[] { return TSMO_50::New(); }, 0x000000, 5000000}, {[] { return TSMO_25::New(); }, 0xFF0000, 2500000},
        {[] { return TSMO_10::New(); }, 0x0000FF, 1000000}, {[] { return TSMO_5::New(); }, 0x008000, 500000},
    };
    for (const Case& c : cases)
        for (double scale : {c.labelBelow * 0.99, c.labelBelow}) {
            SCOPED_TRACE(scale);
            TMapSpace* sheet = c.make();
            sheet->SetName("MMMM");
            double half = 0.3 * 0.09 * scale;  // the sheet spans the middle 60 % of the view
            sheet->SetRect(-half, -half, half, half);
            TView* v = GridView(this, sheet, 0, 0);
            v->SetScale(scale);
            desktop->AddElement(v);
            device->GetBitmap()->Fill(clWhite);
            Draw();
            // Sheet pixels 472..688 x 112..328.
            EXPECT_TRUE(AnyIn(471, 200, 474, 201, [&](TColor x) { return x == c.colour; }));
            EXPECT_EQ(AnyNotWhite(476, 116, 560, 150), scale < c.labelBelow);
            desktop->FreeElement(v);
        }
}

TEST_F(PageDrawing, SheetsBelowASheetAreWalkedByTheSheetInterpret) {
    TSMO_5* sheet = TSMO_5::New();
    sheet->SetRect(-100, -100, 100, 100);
    TSMO_2* detail = TSMO_2::New();
    detail->SetRect(0, 0, 100, 100);
    sheet->AddElement(detail);
    desktop->AddElement(GridView(this, sheet, 0, 0));
    Draw();
    // The 1:5000 sheet is pixels 540..620 x 180..260, the 1:2000 sheet 580..620 x 180..220.
    EXPECT_TRUE(AnyIn(539, 240, 542, 241, [](TColor x) { return x == 0x008000; }));
    EXPECT_TRUE(AnyIn(579, 200, 582, 201, [](TColor x) { return x == 0x000080; }));
}

// An interpret whose drawing fails.
class TFailingInterpret : public TInterpret {
    ZARIX_CLASS(TFailingInterpret, TInterpret)

public:
    bool QProcessBefore(TElement*) override { return true; }
    void Process(TElement*) override { throw Exception("broken"); }
};

TEST_F(PageDrawing, FailedModelDrawingLeavesClipAndProjectionAsTheyWere) {
    auto* lines = TLines::New();
    lines->Width = lines->Height = 100;
    TView* v = GridView(this, lines, 1000, 2000);
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
    EXPECT_FALSE(page->GetClipping());
    EXPECT_FALSE(page->GetSecondDrawing());
    EXPECT_EQ(page->GetClipRegion(), (TPixelRect{10, 20, 700, 500}));
    EXPECT_DOUBLE_EQ(pr->GetScale(), 1.0);
    EXPECT_DOUBLE_EQ(pr->GetCenterX(), 0.1);
    EXPECT_DOUBLE_EQ(pr->GetCenterY(), 0.075);
    EXPECT_DOUBLE_EQ(pr->GetAngle(), 0);
    EXPECT_DOUBLE_EQ(pr->GetVirtualScale(), 3);
    EXPECT_DOUBLE_EQ(pr->GetPageRegion().Min.X, region.Min.X);
    EXPECT_DOUBLE_EQ(pr->GetPageRegion().Max.Y, region.Max.Y);
}

TEST_F(PageDrawing, DefaultScriptHoldsTheRasterNodeOnlyWithRasters) {
    for (bool rasters : {true, false}) {
        UseRasters = rasters;
        Owned<TUniversalGravoScriptCreator> creator(TUniversalGravoScriptCreator::New());
        creator->DoIt();
        Owned<TInterpretScript> script(As<TInterpretScript>(creator->Output));
        ASSERT_NE(script.p, nullptr);
        Owned<TRaster> raster(TRaster::New());
        TISClass* node = script->FindNode(raster);
        ASSERT_NE(node, nullptr);
        EXPECT_EQ(node->GetIClass() == TRaster::StaticClass(), rasters);
        Owned<TSMO_50> sheet(TSMO_50::New());
        EXPECT_NE(As<TSMO_Interpret>(script->FindNode(sheet)->GetInterpret()), nullptr);
        Owned<TCross> cross(TCross::New());
        EXPECT_NE(As<TInterpretKrizku>(script->FindNode(cross)->GetInterpret()), nullptr);
    }
    UseRasters = true;
}

}  // namespace
