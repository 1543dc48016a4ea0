#include "pelvar/geometry.h"

#include <algorithm>
#include <cmath>

TRectangle* TRectangle::New(double minX, double minY, double maxX, double maxY) {
    TRectangle* r = New();
    r->SetRect(minX, minY, maxX, maxY);
    return r;
}

void TRectangle::Clear() {
    Min = Max = T2DPoint{};
    set_ = false;
}

void TRectangle::SetRect(double minX, double minY, double maxX, double maxY) {
    Min = {minX, minY};
    Max = {maxX, maxY};
    set_ = true;
}

void TRectangle::UpdateByXY(double x, double y) {
    if (!set_) {
        SetRect(x, y, x, y);
        return;
    }
    Min.X = std::min(Min.X, x);
    Min.Y = std::min(Min.Y, y);
    Max.X = std::max(Max.X, x);
    Max.Y = std::max(Max.Y, y);
}

void TRectangle::UpdateByRectangle(const TRectangle& r) {
    if (r.IsEmpty()) return;
    UpdateByXY(std::min(r.Min.X, r.Max.X), std::min(r.Min.Y, r.Max.Y));
    UpdateByXY(std::max(r.Min.X, r.Max.X), std::max(r.Min.Y, r.Max.Y));
}

void TRectangle::Sort() {
    if (Min.X > Max.X) std::swap(Min.X, Max.X);
    if (Min.Y > Max.Y) std::swap(Min.Y, Max.Y);
}

bool TRectangle::IsOverlap(double minX, double minY, double maxX, double maxY) const {
    if (!set_) return false;
    return Min.X <= maxX && minX <= Max.X && Min.Y <= maxY && minY <= Max.Y;
}

bool TRectangle::IsOverlap(const TRectangle& r) const {
    return !r.IsEmpty() && IsOverlap(r.Min.X, r.Min.Y, r.Max.X, r.Max.Y);
}

bool TRectangle::PointIsInside(double x, double y) const {
    return set_ && x >= Min.X && x <= Max.X && y >= Min.Y && y <= Max.Y;
}

void TRectangle::Move(double dx, double dy) {
    Min.X += dx;
    Max.X += dx;
    Min.Y += dy;
    Max.Y += dy;
}

void TRectangle::Assign(const TRectangle& r) {
    Min = r.Min;
    Max = r.Max;
    set_ = r.set_;
}

void TRectangle::Assign(TPersistent* source) {
    if (auto* r = As<TRectangle>(source)) Assign(*r);
    else TPersistent::Assign(source);
}

namespace Analint {

bool InsideCorns(const TCorners& c, double x, double y) {
    // The ring UL, UR, LR, LL; crossings test, with edges counted as inside.
    const T2DPoint ring[4] = {c[0], c[1], c[3], c[2]};
    bool inside = false;
    for (int i = 0, j = 3; i < 4; j = i++) {
        const T2DPoint& a = ring[i];
        const T2DPoint& b = ring[j];
        if (Mathlib::DistanceToSegment(x, y, a.X, a.Y, b.X, b.Y) <= 1e-9 * (1 + std::fabs(x) + std::fabs(y)))
            return true;
        if ((a.Y > y) != (b.Y > y)) {
            double xc = a.X + (y - a.Y) * (b.X - a.X) / (b.Y - a.Y);
            if (x < xc) inside = !inside;
        }
    }
    return inside;
}

}  // namespace Analint

namespace Mathlib {

double ATan2M(double dy, double dx) {
    if (dx == 0 && dy == 0) return 0;
    return std::atan2(dy, dx);
}

double Distance(double x1, double y1, double x2, double y2) { return std::hypot(x2 - x1, y2 - y1); }

double AngleAtVertex(double ax, double ay, double bx, double by, double cx, double cy) {
    double ux = ax - bx, uy = ay - by, vx = cx - bx, vy = cy - by;
    double lu = std::hypot(ux, uy), lv = std::hypot(vx, vy);
    if (lu == 0 || lv == 0) return 0;
    double cosA = std::clamp((ux * vx + uy * vy) / (lu * lv), -1.0, 1.0);
    return std::acos(cosA) * 180.0 / 3.14159265358979323846;
}

double DistanceToSegment(double x, double y, double x1, double y1, double x2, double y2) {
    double dx = x2 - x1, dy = y2 - y1;
    double len2 = dx * dx + dy * dy;
    double t = len2 > 0 ? std::clamp(((x - x1) * dx + (y - y1) * dy) / len2, 0.0, 1.0) : 0.0;
    return std::hypot(x - (x1 + t * dx), y - (y1 + t * dy));
}

}  // namespace Mathlib
