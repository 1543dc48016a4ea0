#include <gtest/gtest.h>

#include "composition/pages.h"
#include "composition/views.h"
#include "page_test_util.h"

namespace {

using ViewsTest = pagetest::PageModelTest;

TView* NewView(const char* name, double w, double h, double cx, double cy, double scale) {
    TView* v = TView::New();
    v->SetName(name);
    v->SetRect(0, 0, w, h);
    v->SetModelCenterX(cx);
    v->SetModelCenterY(cy);
    v->SetScale(scale);
    return v;
}

void ExpectExtent(TView* v, double minX, double minY, double maxX, double maxY) {
    EXPECT_DOUBLE_EQ(v->GetModelMinX(), minX);
    EXPECT_DOUBLE_EQ(v->GetModelMinY(), minY);
    EXPECT_DOUBLE_EQ(v->GetModelMaxX(), maxX);
    EXPECT_DOUBLE_EQ(v->GetModelMaxY(), maxY);
}

TEST_F(ViewsTest, ProjectionArithmetic) {
    TView* fresh = TView::New();
    EXPECT_EQ(fresh->GetPenColor(), clSilver);
    EXPECT_EQ(fresh->GetPenStyle(), psDot);
    EXPECT_EQ(fresh->GetBrushStyle(), bsClear);
    EXPECT_EQ(fresh->GetScale(), 0);
    ExpectExtent(fresh, 0, 0, 0, 0);
    TRectangle wide;
    wide.SetRect(0, 0, 400, 100);
    fresh->GetProjection()->FitToRect(wide);  // a view of no size
    EXPECT_EQ(fresh->GetScale(), 0);
    Free(fresh);

    TView* v = NewView("V", 200, 100, 1000, 500, 10);
    ExpectExtent(v, 0, 0, 2000, 1000);
    TViewProjection* p = v->GetProjection();
    T2DPoint m = p->PageToModel(20, 10);
    EXPECT_DOUBLE_EQ(m.X, 200);
    EXPECT_DOUBLE_EQ(m.Y, 100);
    TRectangle r;
    p->PageRectToModel(50, 25, r);
    EXPECT_DOUBLE_EQ(r.Max.X, 500);
    EXPECT_DOUBLE_EQ(r.Max.Y, 250);

    p->FitToRect(wide);
    EXPECT_DOUBLE_EQ(v->GetScale(), 2);
    EXPECT_DOUBLE_EQ(v->GetModelCenterX(), 200);
    EXPECT_DOUBLE_EQ(v->GetModelCenterY(), 50);

    // The angle and the rotation centre do not enter the mapping.
    v->SetAngle(0.5);
    v->SetRotateCenterX(3);
    v->SetRotateCenterY(4);
    EXPECT_DOUBLE_EQ(p->GetAngle(), 0.5);
    EXPECT_DOUBLE_EQ(p->GetRotateCenter_Y(), 4);
    ExpectExtent(v, 0, -50, 400, 150);
    // Without a control view the shift does not move the view.
    v->SetModelDeltaX(50);
    EXPECT_DOUBLE_EQ(v->GetModelCenterX(), 200);
    Free(v);
}

TEST_F(ViewsTest, ControlViewsOnThePage) {
    TDesktop* page = TDesktop::New();
    TView* main = NewView("Main", 200, 100, 1000, 500, 10);
    TView* follower = NewView("Inset", 100, 100, 0, 0, 5);
    TText* text = TText::New();
    text->SetName("Label");
    page->AddElement(main);
    page->AddElement(follower);
    page->AddElement(text);

    follower->SetControlViewName("Main");
    follower->SetModelDeltaX(50);
    follower->SetModelDeltaY(-20);
    EXPECT_DOUBLE_EQ(follower->GetModelCenterX(), 1050);
    EXPECT_DOUBLE_EQ(follower->GetProjection()->GetCenterX(), 1050);
    ExpectExtent(follower, 800, 230, 1300, 730);
    main->SetModelCenterX(0);
    EXPECT_DOUBLE_EQ(follower->GetModelMinX(), -200);

    follower->SetControlViewName("Label");  // not a view
    EXPECT_DOUBLE_EQ(follower->GetModelCenterX(), 50);
    // A cycle is cut at the view that starts the reading.
    follower->SetControlViewName("Main");
    main->SetControlViewName("Inset");
    main->SetModelDeltaX(1);
    EXPECT_DOUBLE_EQ(follower->GetModelCenterX(), 101);
    Free(page);
}

TEST_F(ViewsTest, ModelsAreChildrenAndSurviveAModelFile) {
    TView* v = NewView("VEKTOR", 200, 100, 1000, 500, 10);
    v->SetVirtualScale(5000);
    v->SetAngle(0.25);
    v->SetReadAfter(true);
    v->SetModelDeltaY(7);
    TElement* first = v->CreateModel();
    EXPECT_EQ(first->GetName(), Cz("Předmět zájmu"));
    TRectEntity* piece = TRectEntity::New();
    piece->SetRect(1, 2, 3, 4);
    v->AddToModel(piece);
    EXPECT_EQ(v->GetModel(), first);
    EXPECT_DOUBLE_EQ(As<TRectEntity>(first)->GetMaxY(), 4);
    v->SetModel(first);
    EXPECT_EQ(v->ElementsCount(), 2);
    TestedElement = nullptr;
    v->SetReadModel(false);
    EXPECT_EQ(TestedElement, first);
    TestedElement = nullptr;

    // A replaced model leaves the view's children and is not freed: the caller may hold it.
    TRectEntity* kept = TRectEntity::New();
    TEntity* holder = TEntity::New();
    holder->AddElement(kept);
    v->SetModel(kept);
    ASSERT_TRUE(IsLive(first));
    EXPECT_EQ(v->IndexOf(first), -1);
    Free(first);
    v->SetModel(nullptr);
    EXPECT_TRUE(IsLive(kept));
    EXPECT_EQ(v->GetModel(), nullptr);
    Free(holder);
    v->AddToModel(TRectEntity::New());
    EXPECT_EQ(v->GetModel()->GetName(), "VIEWMODEL");

    TView* back = RoundTrip(v);
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->ElementsCount(), 2);  // one projection, one model
    ASSERT_NE(back->GetModel(), nullptr);
    EXPECT_EQ(back->GetModel()->GetName(), "VIEWMODEL");
    EXPECT_DOUBLE_EQ(back->GetScale(), 10);
    EXPECT_DOUBLE_EQ(back->GetVirtualScale(), 5000);
    EXPECT_DOUBLE_EQ(back->GetAngle(), 0.25);
    EXPECT_TRUE(back->GetReadAfter());
    ExpectExtent(back, 0, 0, 2000, 1000);  // the shift did not move it
    EXPECT_EQ(back->GetProjection()->GetView(), back);
    Free(back);
}

}  // namespace
