// The device page and the projections between model coordinates (metres, y up) and
// device pixels (y down).
#pragma once
#include "device/canvas.h"
#include "kernel/elements.h"
#include "pelvar/geometry.h"

// The drawing area of a device: its size in pixels, its resolution, its background
// colour and its clip region. While clipping is on, drawing stays inside the clip
// region and projections centre on it.
class T_Page : public TPersistent {
    ZARIX_CLASS(T_Page, TPersistent)

public:
    int GetWidth() const { return FWidth; }
    int GetHeight() const { return FHeight; }
    void SetSize(int width, int height);
    // Pixels per metre of paper or screen.
    double GetPixelsPerMetreX() const { return FPpmX; }
    double GetPixelsPerMetreY() const { return FPpmY; }
    void SetResolution(double pixelsPerMetreX, double pixelsPerMetreY);
    void SetDPI(int dpi);
    // Size in metres.
    double GetRealWidth() const { return FPpmX > 0 ? FWidth / FPpmX : 0; }
    double GetRealHeight() const { return FPpmY > 0 ? FHeight / FPpmY : 0; }
    TColor GetColor() const { return FColor; }
    void SetColor(TColor c) { FColor = c; }
    TPixelRect GetClipRegion() const { return FClip; }
    void SetClipRegion(const TPixelRect& r);
    void SetClipRegion(int left, int top, int right, int bottom) { SetClipRegion(TPixelRect{left, top, right, bottom}); }
    bool GetClipping() const { return FClipping; }
    void SetClipping(bool on) { FClipping = on; }
    // Marks drawing of an inner part of the page (a map window) in progress.
    bool GetSecondDrawing() const { return FSecond; }
    void SetSecondDrawing(bool on) { FSecond = on; }
    // The whole page, or the part of the clip region on it while clipping is on.
    TPixelRect GetActiveRect() const;

private:
    int FWidth = 0;
    int FHeight = 0;
    double FPpmX = 0;
    double FPpmY = 0;
    TColor FColor = clWhite;
    TPixelRect FClip;
    bool FClipping = false;
    bool FSecond = false;
};

// A projection: centre, scale (model units per metre of the page), virtual scale (the
// nominal scale that symbol sizes follow), rotation angle (radians, counter-clockwise)
// and rotation centre. The map turns about the centre shown; the rotation centre is
// kept for the map windows that store it.
class TProjection : public TOwnerElement {
    ZARIX_CLASS(TProjection, TOwnerElement)

public:
    bool GetIsOK() const { return FScale > 0; }
    double GetScale() const { return FScale; }
    T2DPoint GetCenter() const { return FCenter; }
    double GetCenterX() const { return FCenter.X; }
    double GetCenterY() const { return FCenter.Y; }
    double GetVirtualScale() const { return FVirtualScale; }
    void SetVirtualScale(double s) { FVirtualScale = s; }
    double GetAngle() const { return FAngle; }
    void SetAngle(double a);
    double GetRotateCenter_X() const { return FRotateCenter.X; }
    double GetRotateCenter_Y() const { return FRotateCenter.Y; }
    void SetRotateCenter_X(double x) { FRotateCenter.X = x; }
    void SetRotateCenter_Y(double y) { FRotateCenter.Y = y; }

    // The model extent shown.
    virtual void GetModelRect(TRectangle& r);
    virtual void SetCenter(const T2DPoint& p);
    virtual void SetCenterX(double x);
    virtual void SetCenterY(double y);
    // Values of 0 or below are refused.
    virtual void SetScale(double s);
    // Centre and scale such that the rectangle is shown whole.
    virtual void FitToRect(const TRectangle& r);

    void Assign(TPersistent* source) override;
    // Own part of the old model format: the inherited part, then centre x and y, scale,
    // virtual scale, angle, rotation centre x and y.
    void Load(TReader& reader, TEntity* dictionary) override;
    void Save(TWriter& writer) override;

protected:
    // After the angle changed.
    virtual void Changed() {}
    T2DPoint FCenter;
    double FScale = 0;
    double FVirtualScale = 0;
    double FAngle = 0;
    T2DPoint FRotateCenter;
};

// The projection of a device: maps the model onto the page's pixels. The centre is shown
// at the middle of the page's active rectangle (fixed when the projection is changed);
// the scale is model units per metre of the page.
class TPageProjection : public TProjection {
    ZARIX_CLASS(TPageProjection, TProjection)

public:
    T_Page* GetPage() const { return FPage; }
    void SetPage(T_Page* page);

    // Centre, page and scale at once; a nil page keeps the page, a scale of 0 or below
    // keeps the scale.
    void ChangeProjection(const T2DPoint& centre, T_Page* page, double scale);
    // Centre on the rectangle at the smallest scale that shows it whole on the page's
    // active rectangle; an empty or zero-size rectangle only moves the centre.
    void ChangeProjectionByRect(const TRectangle& r, T_Page* page);
    void ChangeProjectionByRect(double minX, double minY, double maxX, double maxY, T_Page* page);
    void ChangeProjectionByRectangle(const TRectangle& r, T_Page* page) { ChangeProjectionByRect(r, page); }
    // After the page changed its size or clip: the same centre and scale anew.
    void PageChanged();

    // Model to pixels.
    TPixelPoint GetPagePoint(double x, double y) const;
    TPixelPoint GetPagePoint(const T2DPoint& p) const { return GetPagePoint(p.X, p.Y); }
    void GetPagePointF(double x, double y, double& px, double& py) const;
    // Along one axis, without rotation.
    int GetPageX(double x) const;
    int GetPageY(double y) const;
    // Bounding pixel rectangle (left, top, right, bottom) of a model rectangle.
    TPixelRect GetPageRect(const TRectangle& r) const;
    TPixelRect GetPageRect(double minX, double minY, double maxX, double maxY) const;
    int GetPageLengthVert1(double length) const;
    int GetPageLengthHoriz1(double length) const;
    // Pixels to model.
    T2DPoint GetModelPoint(double px, double py) const;
    T2DPoint GetModelPoint(const TPixelPoint& p) const { return GetModelPoint(p.X, p.Y); }
    double GetModelX(double px) const;
    double GetModelY(double py) const;
    double GetModelLength(double pixels) const;

    // The model region the page shows, set by every change of the projection; drawing
    // code may set it for a while and put the old one back.
    const TRectangle& GetPageRegion() const { return FRegion; }
    void SetPageRegion(const TRectangle& r) { FRegion.Assign(r); }

    void GetModelRect(TRectangle& r) override;
    // The model rectangle covering a pixel rectangle.
    void GetModelRect(const TPixelRect& pixels, TRectangle& r) const;
    void SetCenter(const T2DPoint& p) override;
    void SetCenterX(double x) override;
    void SetCenterY(double y) override;
    void SetScale(double s) override;
    void FitToRect(const TRectangle& r) override;
    void Assign(TPersistent* source) override;

protected:
    void Changed() override;

private:
    // Pixels per model unit.
    double FactorX() const;
    double FactorY() const;
    void Recompute();
    T_Page* FPage = nullptr;
    double FOriginX = 0;
    double FOriginY = 0;
    TRectangle FRegion;
};
