// Plane geometry of the graphic library: points, axis-parallel rectangles and the
// small routines of the units Analint and Mathlib. Lengths are metres, y grows up.
#pragma once
#include <array>

#include "platform/rtti.h"

struct T2DPoint {
    double X = 0;
    double Y = 0;
    bool operator==(const T2DPoint&) const = default;
};

// Min and max corners. A rectangle nothing has been put in yet is empty: the first
// UpdateByXY or UpdateByRectangle makes it exactly that point or rectangle, and it
// reads as all zeros until then.
class TRectangle : public TPersistent {
    ZARIX_CLASS(TRectangle, TPersistent)

public:
    T2DPoint Min;
    T2DPoint Max;

    static TRectangle* New(double minX, double minY, double maxX, double maxY);

    bool IsEmpty() const { return !set_; }
    void Clear();
    void SetRect(double minX, double minY, double maxX, double maxY);
    void SetMinX(double v) { Min.X = v; set_ = true; }
    void SetMinY(double v) { Min.Y = v; set_ = true; }
    void SetMaxX(double v) { Max.X = v; set_ = true; }
    void SetMaxY(double v) { Max.Y = v; set_ = true; }
    // Grow to cover the point or the rectangle (an empty one adds nothing).
    void UpdateByXY(double x, double y);
    void UpdateByRectangle(const TRectangle& r);
    // Swaps coordinates so that min lies below and left of max.
    void Sort();
    // The rectangles meet (touching edges count); empty ones meet nothing.
    bool IsOverlap(const TRectangle& r) const;
    bool IsOverlap(double minX, double minY, double maxX, double maxY) const;
    bool PointIsInside(double x, double y) const;  // edges included
    T2DPoint GetCenter() const { return {(Min.X + Max.X) / 2, (Min.Y + Max.Y) / 2}; }
    double GetWidth() const { return Max.X - Min.X; }
    double GetHeight() const { return Max.Y - Min.Y; }
    void Move(double dx, double dy);
    void Assign(TPersistent* source) override;
    void Assign(const TRectangle& r);

private:
    bool set_ = false;
};

// Corners of a quadrilateral in the order upper left, upper right, lower left, lower right.
using TCorners = std::array<T2DPoint, 4>;

namespace Analint {
// Whether (x, y) lies in the quadrilateral UL-UR-LR-LL; points on its edges count.
bool InsideCorns(const TCorners& corners, double x, double y);
}  // namespace Analint

namespace Mathlib {
// Direction of the vector (dx, dy) in radians, -pi < a <= pi, counter-clockwise from
// the x axis; 0 for the zero vector.
double ATan2M(double dy, double dx);
double Distance(double x1, double y1, double x2, double y2);
// The angle at vertex b between the segments to a and to c, in degrees 0..180;
// 0 when a segment has no length.
double AngleAtVertex(double ax, double ay, double bx, double by, double cx, double cy);
// Distance from (x, y) to the segment (x1, y1)-(x2, y2).
double DistanceToSegment(double x, double y, double x1, double y1, double x2, double y2);
}  // namespace Mathlib
