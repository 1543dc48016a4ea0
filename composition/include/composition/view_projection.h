// The projection of a map window: page coordinates inside the window's rectangle to
// model coordinates around the model centre at the window's scale.
#pragma once
#include "device/projection.h"

class TView;

class TViewProjection : public TProjection {
    ZARIX_CLASS(TViewProjection, TProjection)

public:
    // The model extent of the bound view's rectangle; all zeros at scale 0.
    void GetModelRect(TRectangle& r) override;
    void SetCenter(const T2DPoint& p) override;
    void SetCenterX(double x) override;
    void SetCenterY(double y) override;
    void SetScale(double s) override;
    // Centre and scale at which the model rectangle fits the view. A view without width
    // or height, or an empty rectangle, leaves the projection unchanged.
    void FitToRect(const TRectangle& r) override;

    TView* GetView() const { return FView; }
    // Binds the projection to the view and computes it for the view's rectangle.
    void SetView(TView* view);
    // Computes the mapping; nothing while no view is bound.
    void ChangeProjection(const T2DPoint& centre, TView* view, double scale);
    // The model point of the page offset from the view's lower left corner.
    T2DPoint PageToModel(double dx, double dy) const { return {FKx * dx + FX0, FKy * dy + FY0}; }
    // The model rectangle from offset (0, 0) to (w, h).
    void PageRectToModel(double w, double h, TRectangle& r) const;
    double GetKx() const { return FKx; }
    double GetKy() const { return FKy; }
    double GetX0() const { return FX0; }
    double GetY0() const { return FY0; }

private:
    // The mapping again, for the view's present rectangle.
    void Recompute() { ChangeProjection(FCenter, FView, FScale); }

    double FKx = 0;
    double FKy = 0;
    double FX0 = 0;  // model point of the view's lower left corner
    double FY0 = 0;
    TView* FView = nullptr;  // the view owns the projection
};
