#include "composition/view_projection.h"

#include <algorithm>
#include <cmath>

#include "composition/views.h"

void TViewProjection::SetView(TView* view) {
    FView = view;
    Recompute();
}

void TViewProjection::ChangeProjection(const T2DPoint& centre, TView* view, double scale) {
    if (!FView || !view) return;
    FCenter = centre;
    FScale = scale;
    FView = view;
    FKx = FKy = scale;
    FX0 = centre.X - (view->GetWidth() / 2) * FKx;
    FY0 = centre.Y - (view->GetHeight() / 2) * FKy;
}

void TViewProjection::GetModelRect(TRectangle& r) {
    Recompute();
    if (FScale == 0 || !FView) {
        r.SetRect(0, 0, 0, 0);
        return;
    }
    PageRectToModel(FView->GetWidth(), FView->GetHeight(), r);
}

void TViewProjection::PageRectToModel(double w, double h, TRectangle& r) const {
    T2DPoint a = PageToModel(0, 0);
    T2DPoint b = PageToModel(w, h);
    r.SetRect(a.X, a.Y, b.X, b.Y);
}

void TViewProjection::SetCenter(const T2DPoint& p) { ChangeProjection(p, FView, FScale); }
void TViewProjection::SetCenterX(double x) { ChangeProjection({x, FCenter.Y}, FView, FScale); }
void TViewProjection::SetCenterY(double y) { ChangeProjection({FCenter.X, y}, FView, FScale); }

void TViewProjection::SetScale(double s) {
    if (std::isfinite(s)) ChangeProjection(FCenter, FView, s);
}

void TViewProjection::FitToRect(const TRectangle& r) {
    if (!FView || r.IsEmpty()) return;
    double vw = FView->GetWidth();
    double vh = FView->GetHeight();
    if (vw == 0 || vh == 0) return;
    double w = r.Max.X - r.Min.X;
    double h = r.Max.Y - r.Min.Y;
    double scale = std::max(w / vw, h / vh);
    ChangeProjection({r.Min.X + w / 2, r.Min.Y + h / 2}, FView, scale);
}
