#include <gtest/gtest.h>

#include <cmath>

#include "kernel/class_registry.h"
#include "kernel/kernel.h"
#include "platform/sysutils.h"
#include "space/layer_class.h"
#include "space/space.h"

namespace {

class Space : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        RegisterKernelClasses();
        RegisterPelvarClasses();
        RegisterSpaceClasses();
    }
};

template <class T> T* Poly(const char* vertices) {
    T* e = T::New();
    e->SetVertices(vertices);
    e->UpdateGeometry();
    return e;
}

TEST_F(Space, VertexTextRoundTripsAndRejectsDamage) {
    TPolyLineElement* line = Poly<TPolyLineElement>(" 0 0, 10 0,10 10.5 ;-1e3 2.25,3 4");
    EXPECT_EQ(line->VertexCount(), 5);
    EXPECT_EQ(line->PartCount(), 2);
    EXPECT_EQ(line->GetVertices(), "0 0,10 0,10 10.5;-1000 2.25,3 4");
    line->SetVertices("0.1 -742123.4567891");
    EXPECT_EQ(line->GetVertices(), "0.1 -742123.4567891");
    for (const char* bad : {"1", "1 2,", "1 2;;3 4", "1 x", "1 2 3", "nan 1", "1 2|3 4"}) {
        EXPECT_THROW(line->SetVertices(bad), EConvertError) << bad;
    }
    line->SetVertices("");
    EXPECT_FALSE(line->NotEmpty());
    Free(line);
}

TEST_F(Space, AreasAnswerInsideAreaAndReferencePoint) {
    // A 10 x 10 square with a 2 x 2 hole, stored clockwise.
    TAreaElement* a = Poly<TAreaElement>("0 0,0 10,10 10,10 0,0 0;4 4,6 4,6 6,4 6,4 4");
    EXPECT_DOUBLE_EQ(a->GetWholeArea(), 96);
    EXPECT_DOUBLE_EQ(a->GetLargestExtent(), 10);
    struct { double x, y; bool inside; } probes[] = {{1, 1, true}, {5, 5, false}, {11, 5, false}, {9.9, 9.9, true}};
    for (auto& p : probes) EXPECT_EQ(a->IsPointInside(p.x, p.y), p.inside) << p.x << "," << p.y;
    EXPECT_TRUE(a->IsPointInside(a->GetRefX(), a->GetRefY()));
    // The outer ring oriented counter-clockwise: (0,0) then (10,0).
    EXPECT_EQ(a->OrientedVertex(1, true), (T2DPoint{10, 0}));
    EXPECT_EQ(a->OrientedVertex(1, false), (T2DPoint{0, 10}));
    Free(a);
    // A U shape: the middle of the rectangle is outside, the reference point is not.
    TAreaElement* u = Poly<TAreaElement>("0 0,10 0,10 10,7 10,7 2,3 2,3 10,0 10,0 0");
    EXPECT_FALSE(u->IsPointInside(5, 6));
    EXPECT_TRUE(u->IsPointInside(u->GetRefX(), u->GetRefY()));
    Free(u);
}

TEST_F(Space, NearnessCountsTheToleranceBoundary) {
    TPointElement* p = TPointElement::New(3, 4);
    TPolyLineElement* l = Poly<TPolyLineElement>("0 0,10 0");
    TAreaElement* a = Poly<TAreaElement>("0 0,4 0,4 4,0 4,0 0");
    struct { TSpaceEntity* e; double x, y, tol; bool near; } cases[] = {
        {p, 0, 0, 5, true}, {p, 0, 0, 4.99, false}, {l, 5, 2, 2, true}, {l, 5, 2, 1.99, false},
        {l, 12, 0, 2, true}, {a, 2, 2, 0, true}, {a, 5, 2, 1, true}, {a, 5, 2, 0.5, false}};
    for (auto& c : cases) EXPECT_EQ(c.e->IsNearXY(c.x, c.y, c.tol), c.near) << c.e->ClassName() << " " << c.x << " " << c.tol;
    EXPECT_DOUBLE_EQ(l->GetRefX(), 5);
    EXPECT_DOUBLE_EQ(l->GetOrientation(), 0);
    Free(p);
    Free(l);
    Free(a);
}

TEST_F(Space, PolyLineAreaChainsItsLinesIntoAnArea) {
    TPolyLineAreaElement* pla = TPolyLineAreaElement::New();
    for (const char* v : {"0 0,10 0", "0 10,10 10", "10 10,10 0", "0 0,0 10"}) pla->AddElement(Poly<TPolyLineElement>(v));
    TAreaElement* area = CreateAreaElement(pla);
    EXPECT_EQ(area->ClassType(), TAreaElement::StaticClass());
    EXPECT_DOUBLE_EQ(area->GetWholeArea(), 100);
    EXPECT_EQ(area->VertexCount(), 5);
    Free(area);
    Free(pla);
}

TEST_F(Space, LayerClassesPublishFieldsAndAreReused) {
    std::vector<TLayerField> fields = {{"NAZEV", tkLString}, {"Code", tkInteger}, {"PLOCHA", tkFloat}, {"nazev", tkInteger}};
    TElementClass cls = LayerClass("SPACE_TEST_AREAS", TAreaElement::StaticClass(), fields);
    EXPECT_EQ(LayerClass("SPACE_TEST_AREAS", TAreaElement::StaticClass(), fields), cls);
    EXPECT_EQ(LayerPropertyNames(TAreaElement::StaticClass(), fields),
              (std::vector<std::string>{"NAZEV", "Code_", "PLOCHA", "nazev_"}));
    TElementClass other = LayerClass("SPACE_TEST_AREAS", TPointElement::StaticClass(), fields);
    EXPECT_EQ(other->Name, "SPACE_TEST_AREAS_2");

    auto* e = static_cast<TAreaElement*>(cls->CreateInstance());
    EXPECT_TRUE(e->Is<TAreaElement>());
    e->SetPropertyStringByName("nazev", Cz("Žďár"));
    e->SetPropertyStringByName("Code_", "12");
    e->SetPropertyStringByName("PLOCHA", "2.5");
    e->SetCode(7);
    EXPECT_EQ(e->GetPropertyStringByName("NAZEV"), Cz("Žďár"));
    EXPECT_EQ(e->GetPropertyLongIntByName("code_"), 12);
    EXPECT_EQ(e->GetPropertyLongIntByName("Code"), 7);
    TElement* copy = CreateElementCopy(e);
    EXPECT_EQ(copy->ClassType(), cls);
    EXPECT_EQ(copy->GetPropertyStringByName("NAZEV"), Cz("Žďár"));
    Free(copy);
    Free(e);
}

}  // namespace
