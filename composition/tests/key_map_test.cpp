// The key map: its structure, the name rule, selecting, inverting, pruning, the older
// model form and the drawing over the bundled sheet list and sample data.
#include <cstdlib>
#include <string>
#include <vector>

#include "composition/key_map.h"
#include "composition/key_map_interprets.h"
#include "composition/modelfile.h"
#include "kernel/property_access.h"
#include "quintel/quintel.h"
#include "sheets_test_util.h"
#include "space/space.h"

namespace sheets {
namespace {

std::string SamplesDir() {
    const char* data = std::getenv("SUITE_TEST_DATA");
    return std::string(data ? data : ".") + "/../../../samples";
}

class KeyMapTest : public SheetsTest {
protected:
    static void SetUpTestSuite() {
        SheetsTest::SetUpTestSuite();
        RegisterSpaceClasses();
        RegisterQuintelClasses();
    }
    // A key map with the bundled sheet list.
    TGuide* SampleGuide() {
        TGuide* g = TGuide::New();
        g->ReadSheetList(SamplesDir() + "/service/MAPLSMO.txt");
        return g;
    }
    static TGuidePage_50* Sheet(TGuide* g, const char* name) {
        for (int32_t c = 0; c < g->ColumnCount(); ++c)
            for (int32_t i = 0; i < g->Column(c)->ElementsCount(); ++i)
                if (auto* s = As<TGuidePage_50>(g->Column(c)->Get(i)); s && s->GetName() == Cz(name)) return s;
        return nullptr;
    }
};

TEST_F(KeyMapTest, NewKeyMapGetsItsStructureInOrder) {
    TGuide* g = TGuide::New();
    TVectors* v = g->GetVectors();
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(v->GetName(), Cz("Vektorová kresba průvodce"));
    EXPECT_EQ(g->GetUserMapSpaces()->GetName(), Cz("Uživatelské mapové prostory"));
    EXPECT_EQ(g->GetZM()->GetName(), "ZM");
    int32_t space = g->IndexOf(g->GetZMSpace()), zm = g->IndexOf(g->GetZM()), vec = g->IndexOf(v);
    EXPECT_GE(space, 0);
    EXPECT_LT(space, zm);
    EXPECT_LT(zm, vec);
    EXPECT_EQ(g->ElementsCount(), 4);
    // A second read makes nothing more; a tree in the wrong order is mended.
    g->EnsureStructure();
    EXPECT_EQ(g->ElementsCount(), 4);
    TZMSpace* zs = g->GetZMSpace();
    TMapsZM* z = g->GetZM();
    g->RemoveElement(zs);
    g->RemoveElement(z);
    g->AddElement(z);
    g->AddElement(zs);  // now: ..., vectors, ZM, ZM space
    g->EnsureStructure();
    EXPECT_LT(g->IndexOf(zs), g->IndexOf(z));
    EXPECT_LT(g->IndexOf(z), g->IndexOf(v));
    EXPECT_EQ(g->ElementsCount(), 4);
    // The name rule.
    SetPropStringByName(g, "Jmeno", "X");
    EXPECT_EQ(GetPropStringByName(g, "Jmeno"), Cz("Průvodce "));
    Free(g);
}

TEST_F(KeyMapTest, SheetsComeInKeyMapClassesAndUserSpacesAreFoundLastFirst) {
    TGuide* g = SampleGuide();
    TGuidePage_50* s = Sheet(g, "Ostrava");
    ASSERT_NE(s, nullptr);
    s->CreateDetail();
    EXPECT_TRUE(s->GetDetail10(0, 0)->Is<TGuidePage_10>());
    EXPECT_TRUE(s->GetDetail25(0, 0)->Is<TGuidePage_25>());
    EXPECT_TRUE(s->GetDetail10(0, 0)->GetDetail(0, 0)->Is<TGuidePage_5>());
    EXPECT_TRUE(s->GetDetail10(0, 0)->GetDetail(0, 0)->GetDetail(0, 0)->Is<TGuidePage_2>());

    TUserMapSpace* a = TUserMapSpace::New();
    a->SetRect(0, 0, 100, 100);
    TUserMapSpace* b = TUserMapSpace::New();
    b->SetRect(50, 50, 200, 200);
    g->AddUserMapSpace(a);
    g->AddUserMapSpace(b);
    EXPECT_EQ(g->FindUserMapSpaceAt(75, 75), b);
    EXPECT_EQ(g->FindUserMapSpaceAt(25, 25), a);
    EXPECT_EQ(g->FindUserMapSpaceAt(300, 300), nullptr);
    EXPECT_DOUBLE_EQ(g->GetUserMapSpaces()->GetMaxX(), 200);
    Free(g);
}

// Names of the sheets in a result list.
std::vector<std::string> Names(TElement* output) {
    std::vector<std::string> names;
    if (auto* e = As<TEntity>(output))
        for (int32_t i = 0; i < e->ElementsCount(); ++i) names.push_back(e->Get(i)->GetName());
    return names;
}

TEST_F(KeyMapTest, SelectTakesSelectedSheetsOfTheFinestSeriesFlagged) {
    TGuide* g = SampleGuide();
    TGuidePage_50* s = Sheet(g, "Ostrava");
    s->SetSelected(true);
    TSMO_10* ten = s->GetDetail10(2, 2);
    ten->SetSelected(true);
    ten->GetDetail(2, 2)->SetSelected(true);
    ten->GetDetail(3, 3);
    TUserMapSpace* u = TUserMapSpace::New();
    u->SetRect(0, 0, 10, 10);
    u->SetName("u");
    u->SetSelected(true);
    g->AddUserMapSpace(u);
    g->GetZMSpace()->SetSelected(true);
    g->GetZMSpace()->SetName("zm");

    struct Case {
        bool s50, s10, s5, su, szm;
        std::vector<std::string> expected;
    } cases[] = {
        {true, false, true, false, false, {"OSTR 2-2"}},
        {true, false, false, false, false, {"Ostrava"}},
        {true, true, false, false, false, {"OSTR 2-2"}},
        {true, false, true, true, false, {"u"}},
        {false, false, false, false, true, {"zm"}},
    };
    for (const Case& c : cases) {
        TSelectGuide* sel = TSelectGuide::New();
        sel->Sel_50 = c.s50;
        sel->Sel_10 = c.s10;
        sel->Sel_5 = c.s5;
        sel->Sel_U = c.su;
        sel->Sel_ZM = c.szm;
        sel->SetInput(g);
        sel->DoIt();
        EXPECT_EQ(Names(sel->Output), c.expected) << c.s50 << c.s10 << c.s5 << c.su << c.szm;
        Free(sel->Output);
        Free(sel);
    }
    Free(g);
}

TEST_F(KeyMapTest, InvertTwiceLeavesEverySheetAsItWas) {
    TGuide* g = SampleGuide();
    TGuidePage_50* s = Sheet(g, "Ostrava");
    TSMO_10* ten = s->GetDetail10(0, 0);
    ten->CreateDetail();
    TSMO_5* first = ten->GetDetail(0, 0);
    first->SetSelected(true);
    auto run = [&] {
        TInvertGuide* inv = TInvertGuide::New();
        inv->Sel_5 = true;
        inv->SetInput(g);
        inv->DoIt();
        std::vector<std::string> names = Names(inv->Output);
        Free(inv->Output);
        Free(inv);
        return names;
    };
    std::vector<std::string> once = run();
    EXPECT_EQ(once.size(), 3u);  // the three that were not selected
    EXPECT_FALSE(first->GetSelected());
    EXPECT_TRUE(ten->GetDetail(1, 1)->GetSelected());
    EXPECT_FALSE(ten->GetSelected());  // not the series flagged
    std::vector<std::string> twice = run();
    EXPECT_EQ(twice, std::vector<std::string>{"OSTR 0-0"});  // the one the first run deselected
    EXPECT_TRUE(first->GetSelected());
    EXPECT_FALSE(ten->GetDetail(1, 1)->GetSelected());
    Free(g);
}

// A 1:10000 or 1:5000 sheet keeps only its selected sheets; a 1:50000 sheet prunes each of
// its sheets, then frees those left without sub-sheets, selected or not.
TEST_F(KeyMapTest, PruningKeepsSelectedSheetsAndWhatHoldsThem) {
    TGuide* g = SampleGuide();
    TGuidePage_50* s = Sheet(g, "Ostrava");
    s->CreateDetail10();
    TSMO_10* kept10 = s->GetDetail10(4, 4);
    kept10->CreateDetail();
    kept10->GetDetail(5, 5)->SetSelected(true);
    TSMO_10* selected10 = s->GetDetail10(6, 6);
    selected10->SetSelected(true);
    TSMO_10* holder = s->GetDetail10(8, 8);
    holder->CreateDetail();
    TSMO_5* five = holder->GetDetail(8, 9);
    five->CreateDetail();
    five->GetDetail(1, 0)->SetSelected(true);

    kept10->Prune();
    EXPECT_EQ(kept10->FindDetail(4, 4), nullptr);
    ASSERT_NE(kept10->FindDetail(5, 5), nullptr);
    EXPECT_EQ(kept10->ColumnCount(), 1);

    five->Prune();
    EXPECT_EQ(five->FindDetail(0, 0), nullptr);
    EXPECT_NE(five->FindDetail(1, 0), nullptr);

    s->Prune();
    EXPECT_EQ(s->FindDetail10(0, 0), nullptr);
    EXPECT_EQ(s->FindDetail10(4, 4), kept10);
    EXPECT_NE(kept10->FindDetail(5, 5), nullptr);
    EXPECT_EQ(s->FindDetail10(6, 6), nullptr);  // selected, but without sub-sheets
    EXPECT_EQ(s->FindDetail10(8, 8), nullptr);  // its 1:5000 sheets were not selected
    int32_t left = 0;
    for (int32_t c = 0; c < s->ColumnCount(); ++c) left += s->Column(c)->ElementsCount();
    EXPECT_EQ(left, 1);
    Free(g);
}

TEST_F(KeyMapTest, ModelFilesKeepTheStructureAndAnOldBareKeyMapGetsEmptyVectors) {
    std::string dir = ::testing::TempDir();
    // The older form of a key map saved before it had a structure: no vector drawing.
    {
        TGuide* g = TGuide::New();
        g->ResetID();
        TSaver* saver = TSaver::New(dir + "/bare_guide.zrx");
        saver->SetInput(g);
        saver->DoIt();
        Free(saver);
        Free(g);
        TLoad* load = TLoad::New(dir + "/bare_guide.zrx");
        load->DoIt();
        auto* back = As<TGuide>(load->Output);
        Free(load);
        ASSERT_NE(back, nullptr);
        ASSERT_TRUE(back->HasVectors());
        EXPECT_EQ(back->GetVectors()->ElementsCount(), 0);
        EXPECT_EQ(back->GetClassCount(TVectors::StaticClass()), 1);
        Free(back);
    }
    // The current form: the vector drawing and user spaces come back once, as children.
    {
        TGuide* g = SampleGuide();
        TPolyLineElement* line = TPolyLineElement::New();
        line->SetVertices("-470000 -1100000,-460000 -1090000");
        g->GetVectors()->AddElement(line);
        TSave* save = TSave::New(dir + "/guide.zrx");
        save->SetInput(g);
        save->DoIt();
        Free(save);
        Free(g);
        TLoad* load = TLoad::New(dir + "/guide.zrx");
        load->DoIt();
        auto* back = As<TGuide>(load->Output);
        Free(load);
        ASSERT_NE(back, nullptr);
        EXPECT_TRUE(back->HasVectors());
        EXPECT_EQ(back->GetClassCount(TVectors::StaticClass()), 1);
        EXPECT_EQ(back->GetClassCount(TUserMapSpaces::StaticClass()), 1);
        EXPECT_EQ(back->GetVectors()->ElementsCount(), 1);
        EXPECT_NE(Sheet(back, "Ostrava"), nullptr);
        Free(back);
    }
}

// ---- drawing --------------------------------------------------------------------------------

class KeyMapDrawing : public KeyMapTest {
protected:
    // A raster device showing the point at the scale, 100 m a pixel whatever the scale.
    TBitmapDevice* Device(const T2DPoint& centre, double scale) {
        TBitmapDevice* dev = TBitmapDevice::New();
        dev->SetPageSize(400, 400);
        dev->GetPage()->SetResolution(scale / 100, scale / 100);
        dev->GetProjection()->ChangeProjection(centre, dev->GetPage(), scale);
        dev->Clear();
        return dev;
    }
    void Draw(TGuideInterpret* in, TGuide* g, TDevice* dev) {
        in->SetDevice(dev);
        in->Reset(dev);
        in->SetInput(g);
        in->DoIt();
        in->Close();
    }
    static TColor At(TBitmapDevice* dev, double x, double y) {
        TPixelPoint p = dev->GetProjection()->GetPagePoint(x, y);
        return dev->GetBitmap()->Pixel(p.X, p.Y);
    }
    // Dark pixels in a pixel box below and right of a model point (where a label stands).
    static int DarkBelowRight(TBitmapDevice* dev, double x, double y) {
        TPixelPoint p = dev->GetProjection()->GetPagePoint(x, y);
        int dark = 0;
        for (int px = p.X + 3; px < p.X + 40; ++px)
            for (int py = p.Y + 3; py < p.Y + 12; ++py)
                if (TColor c = dev->GetBitmap()->Pixel(px, py); c != -1 && ColorRed(c) < 0x60) ++dark;
        return dark;
    }
};

TEST_F(KeyMapDrawing, SelectionOfTheFinestSeriesShownIsFilledYellow) {
    TGuide* g = SampleGuide();
    TGuidePage_50* s = Sheet(g, "Ostrava");
    TSMO_10* ten = s->GetDetail10(0, 0);
    ten->SetSelected(true);
    TSMO_10* other = s->GetDetail10(4, 4);
    other->CreateDetail();
    TSMO_5* five = other->GetDetail(5, 5);
    five->SetSelected(true);
    TSMO_5* plain = other->GetDetail(4, 4);

    struct Case {
        bool show10, show5, fill;
        TColor ten, five, plain;
    } cases[] = {
        {true, true, true, clWhite, 0x00FFFF, clWhite},
        {true, false, true, 0x00FFFF, clWhite, clWhite},
        {true, true, false, clWhite, clWhite, clWhite},
    };
    for (const Case& c : cases) {
        TBitmapDevice* dev = Device({s->GetCenterX(), s->GetCenterY()}, 1000000);
        TGuideInterpret* in = TGuideInterpret::New();
        in->Show_50 = true;
        in->Show_10 = c.show10;
        in->Show_5 = c.show5;
        in->Fill_Page = c.fill;
        Draw(in, g, dev);
        EXPECT_EQ(At(dev, ten->GetCenterX(), ten->GetCenterY()), c.ten) << c.show5 << c.fill;
        EXPECT_EQ(At(dev, five->GetCenterX(), five->GetCenterY()), c.five) << c.show5 << c.fill;
        EXPECT_EQ(At(dev, plain->GetCenterX(), plain->GetCenterY()), c.plain) << c.show5 << c.fill;
        // The frame of the 1:50000 sheet is black, that of the 1:10000 sheets red.
        EXPECT_EQ(At(dev, s->GetMinX() + 600, s->GetMaxY()), clBlack);
        Free(in);
        Free(dev);
    }
    Free(g);
}

TEST_F(KeyMapDrawing, SheetsAreLabelledOnlyBelowTheirThresholds) {
    TGuide* g = SampleGuide();
    TGuidePage_50* s = Sheet(g, "Ostrava");
    s->CreateDetail25();
    TSMO_25* lower = s->GetDetail25(9, 9);  // the lower quadrant at the larger x
    struct Case {
        double scale;
        bool label50, label25;
    } cases[] = {{6000000, false, false}, {3000000, true, false}, {2000000, true, true}};
    for (const Case& c : cases) {
        TBitmapDevice* dev = Device({s->GetCenterX(), s->GetCenterY()}, c.scale);
        TGuideInterpret* in = TGuideInterpret::New();
        in->Show_50 = in->Show_25 = in->Show_Text = true;
        Draw(in, g, dev);
        EXPECT_EQ(DarkBelowRight(dev, s->GetMinX(), s->GetMaxY()) > 3, c.label50) << c.scale;
        EXPECT_EQ(DarkBelowRight(dev, lower->GetMinX(), lower->GetMaxY()) > 3, c.label25) << c.scale;
        Free(in);
        Free(dev);
    }
    Free(g);
}

TEST_F(KeyMapDrawing, SampleVectorsAndSelectionHandlesAreDrawnOverTheFill) {
    TGuide* g = SampleGuide();
    auto* sc = TModelScriptCreator::New();
    sc->SetDataDirectory(SamplesDir() + "/data");
    sc->AddLayerItem("HRANICE=ostravsko.gpkg|hranice");
    sc->DoIt();
    TElement* script = sc->Output;
    Free(sc);
    auto* mc = TModelByScriptCreator::New();
    mc->SetInput(script);
    mc->DoIt();
    auto* model = As<TRectEntity>(mc->Output);
    Free(mc);
    Free(script);
    ASSERT_NE(model, nullptr);
    auto* border = As<TEntity>(model->Get(0));
    ASSERT_NE(border, nullptr);
    model->RemoveElement(border);
    Free(model);
    g->GetVectors()->AddElement(border);
    auto* piece = As<TPolyLineElement>(border->Get(0));
    ASSERT_NE(piece, nullptr);
    T2DPoint v = piece->Vertex(piece->VertexCount() / 2);

    TSelectedElement* marker = TSelectedElement::New();
    marker->SetRect(v.X - 12000, v.Y - 12000, v.X - 4000, v.Y - 4000);
    g->GetVectors()->AddElement(marker);

    TBitmapDevice* dev = Device(v, 1000000);
    TGuideInterpret* in = TGuideInterpret::New();
    in->Show_50 = in->Fill_Page = true;
    Draw(in, g, dev);
    EXPECT_NE(in->GetLineInterpret(), nullptr);
    bool inked = false;
    TPixelPoint p = dev->GetProjection()->GetPagePoint(v);
    for (int dx = -1; dx <= 1; ++dx)
        for (int dy = -1; dy <= 1; ++dy) inked |= ColorRed(dev->GetBitmap()->Pixel(p.X + dx, p.Y + dy)) < 0x80;
    EXPECT_TRUE(inked);
    // A handle at a corner of the marker: grey outline, black inside.
    TPixelRect r = dev->GetProjection()->GetPageRect(marker->Rect());
    EXPECT_EQ(dev->GetBitmap()->Pixel(r.Left, r.Top), clBlack);
    EXPECT_EQ(dev->GetBitmap()->Pixel(r.Left - 5, r.Top - 5), clGray);
    EXPECT_EQ(dev->GetBitmap()->Pixel(r.Left + r.Width() / 2, r.Top + r.Height() / 2), clWhite);
    Free(in);
    Free(dev);
    Free(g);
}

}  // namespace
}  // namespace sheets
