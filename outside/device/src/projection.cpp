#include "device/projection.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr double kMetresPerInch = 0.0254;

int RoundPixel(double v) {
    if (!std::isfinite(v)) return 0;
    v = std::clamp(v, -1e9, 1e9);
    return static_cast<int>(std::lround(v));
}
}  // namespace

// ---- T_Page ------------------------------------------------------------------------------

void T_Page::SetSize(int width, int height) {
    FWidth = std::max(0, width);
    FHeight = std::max(0, height);
}

void T_Page::SetResolution(double pixelsPerMetreX, double pixelsPerMetreY) {
    if (pixelsPerMetreX > 0) FPpmX = pixelsPerMetreX;
    if (pixelsPerMetreY > 0) FPpmY = pixelsPerMetreY;
}

void T_Page::SetDPI(int dpi) {
    if (dpi > 0) SetResolution(dpi / kMetresPerInch, dpi / kMetresPerInch);
}

void T_Page::SetClipRegion(const TPixelRect& r) {
    FClip = {std::min(r.Left, r.Right), std::min(r.Top, r.Bottom), std::max(r.Left, r.Right),
             std::max(r.Top, r.Bottom)};
}

TPixelRect T_Page::GetActiveRect() const {
    TPixelRect all{0, 0, FWidth, FHeight};
    if (!FClipping) return all;
    TPixelRect r{std::max(all.Left, FClip.Left), std::max(all.Top, FClip.Top), std::min(all.Right, FClip.Right),
                 std::min(all.Bottom, FClip.Bottom)};
    if (r.Right < r.Left) r.Right = r.Left;
    if (r.Bottom < r.Top) r.Bottom = r.Top;
    return r;
}

// ---- TProjection -------------------------------------------------------------------------

void TProjection::SetAngle(double a) {
    FAngle = std::isfinite(a) ? a : 0;
    Changed();
}

void TProjection::GetModelRect(TRectangle& r) { r.Clear(); }

void TProjection::SetCenter(const T2DPoint& p) { FCenter = p; }
void TProjection::SetCenterX(double x) { FCenter.X = x; }
void TProjection::SetCenterY(double y) { FCenter.Y = y; }

void TProjection::SetScale(double s) {
    if (s > 0 && std::isfinite(s)) FScale = s;
}

void TProjection::FitToRect(const TRectangle& r) {
    if (r.IsEmpty()) return;
    FCenter = r.GetCenter();
}

void TProjection::Assign(TPersistent* source) {
    if (auto* p = As<TProjection>(source)) {
        FCenter = p->FCenter;
        FScale = p->FScale;
        FVirtualScale = p->FVirtualScale;
        FAngle = p->FAngle;
        FRotateCenter = p->FRotateCenter;
        Changed();
    } else {
        inherited::Assign(source);
    }
}

void TProjection::Load(TReader& reader, TEntity* dictionary) {
    inherited::Load(reader, dictionary);
    FCenter.X = reader.ReadFloat();
    FCenter.Y = reader.ReadFloat();
    FScale = reader.ReadFloat();
    FVirtualScale = reader.ReadFloat();
    FAngle = reader.ReadFloat();
    FRotateCenter.X = reader.ReadFloat();
    FRotateCenter.Y = reader.ReadFloat();
    Changed();
}

void TProjection::Save(TWriter& writer) {
    inherited::Save(writer);
    writer.WriteFloat(FCenter.X);
    writer.WriteFloat(FCenter.Y);
    writer.WriteFloat(FScale);
    writer.WriteFloat(FVirtualScale);
    writer.WriteFloat(FAngle);
    writer.WriteFloat(FRotateCenter.X);
    writer.WriteFloat(FRotateCenter.Y);
}

// ---- TPageProjection ---------------------------------------------------------------------

void TPageProjection::SetPage(T_Page* page) {
    FPage = page;
    Recompute();
}

double TPageProjection::FactorX() const {
    return (FPage && FScale > 0) ? FPage->GetPixelsPerMetreX() / FScale : 0;
}

double TPageProjection::FactorY() const {
    return (FPage && FScale > 0) ? FPage->GetPixelsPerMetreY() / FScale : 0;
}

void TPageProjection::Recompute() {
    if (FPage) {
        TPixelRect a = FPage->GetActiveRect();
        FOriginX = (a.Left + a.Right) / 2.0;
        FOriginY = (a.Top + a.Bottom) / 2.0;
    } else {
        FOriginX = FOriginY = 0;
    }
    if (FPage && FactorX() > 0 && FactorY() > 0) GetModelRect(FPage->GetActiveRect(), FRegion);
    else FRegion.Clear();
}

void TPageProjection::Changed() { Recompute(); }

void TPageProjection::PageChanged() { Recompute(); }

void TPageProjection::ChangeProjection(const T2DPoint& centre, T_Page* page, double scale) {
    if (std::isfinite(centre.X) && std::isfinite(centre.Y)) FCenter = centre;
    if (page) FPage = page;
    if (scale > 0 && std::isfinite(scale)) FScale = scale;
    Recompute();
}

void TPageProjection::ChangeProjectionByRect(const TRectangle& r, T_Page* page) {
    if (page) FPage = page;
    if (r.IsEmpty()) {
        Recompute();
        return;
    }
    double w = std::fabs(r.GetWidth());
    double h = std::fabs(r.GetHeight());
    double scale = 0;
    if (FPage) {
        TPixelRect a = FPage->GetActiveRect();
        double realW = FPage->GetPixelsPerMetreX() > 0 ? a.Width() / FPage->GetPixelsPerMetreX() : 0;
        double realH = FPage->GetPixelsPerMetreY() > 0 ? a.Height() / FPage->GetPixelsPerMetreY() : 0;
        if (realW > 0) scale = std::max(scale, w / realW);
        if (realH > 0) scale = std::max(scale, h / realH);
    }
    ChangeProjection(r.GetCenter(), nullptr, scale);
}

void TPageProjection::ChangeProjectionByRect(double minX, double minY, double maxX, double maxY, T_Page* page) {
    TRectangle r;
    r.SetRect(minX, minY, maxX, maxY);
    ChangeProjectionByRect(r, page);
}

void TPageProjection::GetPagePointF(double x, double y, double& px, double& py) const {
    double dx = x - FCenter.X, dy = y - FCenter.Y;
    if (FAngle != 0) {
        double c = std::cos(FAngle), s = std::sin(FAngle);
        double rx = c * dx - s * dy;
        double ry = s * dx + c * dy;
        dx = rx;
        dy = ry;
    }
    px = FOriginX + dx * FactorX();
    py = FOriginY - dy * FactorY();
}

TPixelPoint TPageProjection::GetPagePoint(double x, double y) const {
    double px, py;
    GetPagePointF(x, y, px, py);
    return {RoundPixel(px), RoundPixel(py)};
}

int TPageProjection::GetPageX(double x) const { return RoundPixel(FOriginX + (x - FCenter.X) * FactorX()); }

int TPageProjection::GetPageY(double y) const { return RoundPixel(FOriginY - (y - FCenter.Y) * FactorY()); }

TPixelRect TPageProjection::GetPageRect(double minX, double minY, double maxX, double maxY) const {
    double l = 0, t = 0, r = 0, b = 0;
    bool first = true;
    const double xs[2] = {minX, maxX};
    const double ys[2] = {minY, maxY};
    for (double x : xs)
        for (double y : ys) {
            double px, py;
            GetPagePointF(x, y, px, py);
            if (first) {
                l = r = px;
                t = b = py;
                first = false;
            } else {
                l = std::min(l, px);
                r = std::max(r, px);
                t = std::min(t, py);
                b = std::max(b, py);
            }
        }
    return {RoundPixel(l), RoundPixel(t), RoundPixel(r), RoundPixel(b)};
}

TPixelRect TPageProjection::GetPageRect(const TRectangle& r) const {
    return GetPageRect(r.Min.X, r.Min.Y, r.Max.X, r.Max.Y);
}

int TPageProjection::GetPageLengthVert1(double length) const { return RoundPixel(length * FactorY()); }

int TPageProjection::GetPageLengthHoriz1(double length) const { return RoundPixel(length * FactorX()); }

T2DPoint TPageProjection::GetModelPoint(double px, double py) const {
    double fx = FactorX(), fy = FactorY();
    if (fx <= 0 || fy <= 0) return FCenter;
    double dx = (px - FOriginX) / fx;
    double dy = (FOriginY - py) / fy;
    if (FAngle != 0) {
        double c = std::cos(FAngle), s = std::sin(FAngle);
        double rx = c * dx + s * dy;
        double ry = -s * dx + c * dy;
        dx = rx;
        dy = ry;
    }
    return {FCenter.X + dx, FCenter.Y + dy};
}

double TPageProjection::GetModelX(double px) const {
    double fx = FactorX();
    return fx > 0 ? FCenter.X + (px - FOriginX) / fx : FCenter.X;
}

double TPageProjection::GetModelY(double py) const {
    double fy = FactorY();
    return fy > 0 ? FCenter.Y + (FOriginY - py) / fy : FCenter.Y;
}

double TPageProjection::GetModelLength(double pixels) const {
    double fx = FactorX();
    return fx > 0 ? pixels / fx : 0;
}

void TPageProjection::GetModelRect(TRectangle& r) { r.Assign(FRegion); }

void TPageProjection::GetModelRect(const TPixelRect& pixels, TRectangle& r) const {
    r.Clear();
    const double xs[2] = {static_cast<double>(pixels.Left), static_cast<double>(pixels.Right)};
    const double ys[2] = {static_cast<double>(pixels.Top), static_cast<double>(pixels.Bottom)};
    for (double x : xs)
        for (double y : ys) {
            T2DPoint p = GetModelPoint(x, y);
            r.UpdateByXY(p.X, p.Y);
        }
}

void TPageProjection::SetCenter(const T2DPoint& p) { ChangeProjection(p, nullptr, FScale); }
void TPageProjection::SetCenterX(double x) { ChangeProjection(T2DPoint{x, FCenter.Y}, nullptr, FScale); }
void TPageProjection::SetCenterY(double y) { ChangeProjection(T2DPoint{FCenter.X, y}, nullptr, FScale); }
void TPageProjection::SetScale(double s) { ChangeProjection(FCenter, nullptr, s); }
void TPageProjection::FitToRect(const TRectangle& r) { ChangeProjectionByRect(r, nullptr); }

void TPageProjection::Assign(TPersistent* source) {
    inherited::Assign(source);
    Recompute();
}
