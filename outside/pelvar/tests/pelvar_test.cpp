#include <gtest/gtest.h>

#include <cmath>

#include "kernel/class_registry.h"
#include "kernel/kernel.h"
#include "pelvar/pelvar.h"
#include "pelvar/map_world.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

class Pelvar : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        RegisterKernelClasses();
        RegisterPelvarClasses();
    }
};

TRectEntity* Rect(double x0, double y0, double x1, double y1, const char* name = "") {
    TRectEntity* r = TRectEntity::New();
    r->SetRect(x0, y0, x1, y1);
    if (*name) r->SetName(name);
    return r;
}

}  // namespace

TEST_F(Pelvar, RectangleStartsEmptyAndGrowsExactly) {
    TRectangle r;
    EXPECT_TRUE(r.IsEmpty());
    EXPECT_FALSE(r.PointIsInside(0, 0));
    EXPECT_FALSE(r.IsOverlap(-1, -1, 1, 1));
    TRectangle other;
    r.UpdateByRectangle(other);  // an empty one adds nothing
    EXPECT_TRUE(r.IsEmpty());
    r.UpdateByXY(5, 7);
    EXPECT_EQ(r.Min, (T2DPoint{5, 7}));
    EXPECT_EQ(r.Max, (T2DPoint{5, 7}));
    other.SetRect(10, -3, 2, 1);  // unsorted corners still grow it right
    r.UpdateByRectangle(other);
    EXPECT_EQ(r.Min, (T2DPoint{2, -3}));
    EXPECT_EQ(r.Max, (T2DPoint{10, 7}));
    EXPECT_DOUBLE_EQ(r.GetWidth(), 8);
    EXPECT_EQ(r.GetCenter(), (T2DPoint{6, 2}));

    other.Sort();
    EXPECT_EQ(other.Min, (T2DPoint{2, -3}));
    // Touching edges meet; edges are inside.
    EXPECT_TRUE(r.IsOverlap(10, 7, 20, 20));
    EXPECT_FALSE(r.IsOverlap(10.001, 7, 20, 20));
    EXPECT_TRUE(r.PointIsInside(2, -3));
}

TEST_F(Pelvar, RectEntityGrowsOverChildrenAndMoves) {
    TRectEntity* parent = TRectEntity::New();
    parent->AddAndUpdateRect(Rect(0, 0, 10, 10));
    parent->AddAndUpdateRect(Rect(20, -5, 30, 5));
    parent->AddAndUpdateRect(T2DCoordinate::New(100, 100));  // no rectangle: only added
    EXPECT_EQ(parent->ElementsCount(), 3);
    EXPECT_DOUBLE_EQ(parent->GetMinX(), 0);
    EXPECT_DOUBLE_EQ(parent->GetMinY(), -5);
    EXPECT_DOUBLE_EQ(parent->GetMaxX(), 30);
    EXPECT_DOUBLE_EQ(parent->GetMaxY(), 10);
    EXPECT_TRUE(parent->IsOverRegion(30, 10, 40, 40));
    parent->Move(1, 2);
    EXPECT_DOUBLE_EQ(parent->GetCenterX(), 16);
    parent->SetRefX(0);  // moves, keeps the size
    EXPECT_DOUBLE_EQ(parent->GetMaxX(), 30);
    parent->SetWidth(5);
    EXPECT_DOUBLE_EQ(parent->GetMaxX(), 5);
    TRectEntity* copy = TRectEntity::New();
    copy->Assign(parent);
    EXPECT_DOUBLE_EQ(copy->GetMaxY(), 12);
    Free(copy);
    Free(parent);
}

TEST_F(Pelvar, SharedRectEntityLivesUntilItsLastOwnerLetsGo) {
    TRectEntity* sheet = Rect(0, 0, 1, 1, "sheet");
    TRectEntity* a = TRectEntity::New();
    TRectEntity* b = TRectEntity::New();
    a->AddElement(sheet);
    b->AddElement(sheet);
    EXPECT_EQ(sheet->GetOwnersCount(), 2);
    EXPECT_TRUE(sheet->IsMyOwner(a));
    EXPECT_EQ(sheet->GetName(), "sheet");

    a->FreeElement(sheet);  // another owner holds it: only detached
    EXPECT_TRUE(IsLive(sheet));
    EXPECT_EQ(sheet->GetOwnersCount(), 1);
    EXPECT_EQ(a->ElementsCount(), 0);

    a->AddElement(sheet);
    Free(b);  // b's end leaves it to a
    ASSERT_TRUE(IsLive(sheet));
    EXPECT_FALSE(sheet->IsMyOwner(b));
    EXPECT_EQ(sheet->GetOwnersCount(), 1);
    Free(a);  // the last owner frees it
    EXPECT_FALSE(IsLive(sheet));
}

TEST_F(Pelvar, PublishedNamesAndStoredFlags) {
    const TClassInfo* ci = TDrawRectangle::StaticClass();
    for (const char* n : {"MinX", "MinY", "MaxX", "MaxY", "PenWidth", "PenColor", "PenStyle", "BrushColor", "BrushStyle"}) {
        const TPropInfo* p = ci->FindProp(n);
        ASSERT_NE(p, nullptr) << n;
        EXPECT_TRUE(p->StoredOnClass()) << n;
    }
    EXPECT_FALSE(ci->FindProp("Width")->StoredOnClass());
    EXPECT_EQ(ci->FindProp("PenStyle")->Kind(), tkEnumeration);
    EXPECT_EQ(ci->FindProp("PenWidth")->Kind(), tkFloat);

    TDrawRectangle* d = TDrawRectangle::New();
    d->SetPropertyStringByName("PenStyle", "psDot");
    d->SetPropertyStringByName("MaxX", "2.5");
    EXPECT_EQ(d->GetPenStyle(), psDot);
    EXPECT_DOUBLE_EQ(d->GetMaxX(), 2.5);
    TDrawRectangle* copy = static_cast<TDrawRectangle*>(CreateElementCopy(d));
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->GetPenStyle(), psDot);
    EXPECT_DOUBLE_EQ(copy->GetMaxX(), 2.5);
    Free(copy);
    Free(d);
}

TEST_F(Pelvar, TextFontAndSelectionMarker) {
    TText* t = TText::New();
    EXPECT_EQ(t->GetFontName(), "Arial");
    TFont f;
    f.SetName("Times");
    f.SetColor(clRed);
    f.SetStyle(fsBold | fsItalic);
    t->SetFont(f);
    t->SetText("Mapa");
    TFont g;
    t->GetFont(g);
    EXPECT_EQ(g.Name(), "Times");
    EXPECT_EQ(g.Color(), clRed);
    EXPECT_EQ(g.Style(), fsBold | fsItalic);

    t->SetRect(1, 2, 3, 4);
    TSelectedElement* mark = TSelectedElement::New();
    mark->SetSelected(t);
    EXPECT_DOUBLE_EQ(mark->GetMaxY(), 4);
    Free(t);
    EXPECT_EQ(mark->GetSelected(), nullptr);  // the selected element is gone
    mark->UpdateFromSelected();
    EXPECT_DOUBLE_EQ(mark->GetMaxY(), 4);
    Free(mark);
}

TEST_F(Pelvar, AnalintMathlibAndColours) {
    TCorners c = {T2DPoint{0, 10}, T2DPoint{10, 12}, T2DPoint{1, 0}, T2DPoint{11, 2}};
    EXPECT_TRUE(Analint::InsideCorns(c, 5, 5));
    EXPECT_TRUE(Analint::InsideCorns(c, 0.5, 5));  // on the left edge
    EXPECT_FALSE(Analint::InsideCorns(c, 0.2, 1));
    EXPECT_FALSE(Analint::InsideCorns(c, 5, 11.5));
    EXPECT_DOUBLE_EQ(Mathlib::ATan2M(1, 1), kPi / 4);
    EXPECT_DOUBLE_EQ(Mathlib::ATan2M(0, -1), kPi);
    EXPECT_DOUBLE_EQ(Mathlib::ATan2M(0, 0), 0);
    EXPECT_NEAR(Mathlib::AngleAtVertex(1, 0, 0, 0, 0, 1), 90, 1e-9);
    EXPECT_DOUBLE_EQ(Mathlib::AngleAtVertex(0, 0, 0, 0, 1, 1), 0);

    TColorPalette* p = TColorPalette::New();
    EXPECT_EQ(p->GetColor(12), 0x0000FF);
    EXPECT_EQ(p->GetColor(99), clBlack);
    p->SetColors("1, 2,x,3");
    EXPECT_EQ(p->GetCount(), 4);
    EXPECT_EQ(p->GetColors(), "1,2,0,3");
    Free(p);
    EXPECT_EQ(DejBarvicku(14), 0x00FFFF);
    EXPECT_EQ(DejBarvicku(16), DejBarvicku(0));
}

TEST_F(Pelvar, WorldCoordinateSystemOneMirrorsBothAxes) {
    TWCSWorld* w = TWCSWorld::New();
    TWCS* cs = w->GetIDWCS(1);
    ASSERT_NE(cs, nullptr);
    EXPECT_EQ(w->GetIDWCS(1), cs);
    EXPECT_EQ(w->GetIDWCS(7), nullptr);
    double x = 300000, y = 680000;
    cs->Convert(x, y);
    EXPECT_DOUBLE_EQ(x, -300000);
    EXPECT_DOUBLE_EQ(y, -680000);
    Free(w);
}
