// The line tree, its walker and the comparison of a line with earlier lines.
#include <algorithm>
#include <cmath>

#include "wendrik/wendrik.h"

// ---- TQTreeTopLin ---------------------------------------------------------------------------

void TQTreeTopLin::Publish(PropertyTable& t) {
    t.Int<TQTreeTopLin>("Precision", [](TQTreeTopLin* o) { return o->Precision; },
                        [](TQTreeTopLin* o, int32_t v) { o->Precision = v; });
}

void TQTreeTopLin::Destroy() {
    FEdges = nullptr;  // a child, freed with the others
    FLines.clear();
    FNodes.clear();
    inherited::Destroy();
}

TPolyLineElement* TQTreeTopLin::Line(int32_t index) const {
    if (index < 0 || index >= LineCount()) return nullptr;
    const LineRef& r = FLines[static_cast<size_t>(index)];
    return IsLive(r.Line, r.Serial) ? r.Line : nullptr;
}

void TQTreeTopLin::SetLines() {
    if (FIndexesEdges) return;
    FLines.clear();
    for (int32_t i = 0; i < Count(); ++i)
        if (auto* l = As<TPolyLineElement>(Entry(i))) FLines.push_back({l, l->Serial()});
}

TEntity* TQTreeTopLin::EdgeHolder() {
    if (!FEdges) {
        FEdges = TOwnerEntity::New();
        AddElement(FEdges);
    }
    return FEdges;
}

int32_t TQTreeTopLin::EdgeCount() const { return static_cast<int32_t>(FEdgeSource.size()); }

TPolyLineElement* TQTreeTopLin::Edge(int32_t index) const {
    if (!FEdges || index < 0 || index >= FEdges->ElementsCount()) return nullptr;
    return As<TPolyLineElement>(FEdges->Get(index));
}

void TQTreeTopLin::AddEdge(TPolyLineElement* edge, int32_t source) {
    EdgeHolder()->AddElement(edge);
    FEdgeSource.push_back(source);
}

void TQTreeTopLin::IndexEdges() {
    if (FIndexesEdges) return;
    ClearEntries();
    for (int32_t i = 0; i < EdgeCount(); ++i) AddSpaceEntity(Edge(i));
    FIndexesEdges = true;
}

// ---- TQTreeWalker ---------------------------------------------------------------------------

void TQTreeWalker::Walk(double minX, double minY, double maxX, double maxY, double margin,
                        const std::function<bool(TSpaceEntity*)>& visit) const {
    if (FTree) FTree->Visit(minX, minY, maxX, maxY, margin, visit);
}

// ---- TLinComparator -------------------------------------------------------------------------

void TLinesAbscEntity::Destroy() {
    Pieces.clear();
    inherited::Destroy();
}

namespace {

struct Interval {
    double From, To;
};

// u in [lo, hi] where a + b*u lies in [min, max].
bool LinearRange(double a, double b, double min, double max, double& lo, double& hi) {
    if (b == 0) return a >= min && a <= max;
    double u1 = (min - a) / b, u2 = (max - a) / b;
    if (u1 > u2) std::swap(u1, u2);
    lo = std::max(lo, u1);
    hi = std::min(hi, u2);
    return lo <= hi;
}

// u where |p + u*d - c| <= r, into [lo, hi] (hull with what is there).
void DiskRange(const T2DPoint& p, double dx, double dy, const T2DPoint& c, double r, double& lo, double& hi) {
    double fx = p.X - c.X, fy = p.Y - c.Y;
    double a = dx * dx + dy * dy, b = 2 * (dx * fx + dy * fy), cc = fx * fx + fy * fy - r * r;
    double disc = b * b - 4 * a * cc;
    if (a == 0 || disc < 0) return;
    double s = std::sqrt(disc);
    lo = std::min(lo, (-b - s) / (2 * a));
    hi = std::max(hi, (-b + s) / (2 * a));
}

// The part [u0, u1] of segment p0-p1 lying within r of segment q0-q1; false when none.
bool CapsuleRange(const T2DPoint& p0, const T2DPoint& p1, const T2DPoint& q0, const T2DPoint& q1, double r, double& u0,
                  double& u1) {
    double dx = p1.X - p0.X, dy = p1.Y - p0.Y;
    double ex = q1.X - q0.X, ey = q1.Y - q0.Y;
    double lo = INFINITY, hi = -INFINITY;
    double el2 = ex * ex + ey * ey;
    if (el2 > 0) {
        double el = std::sqrt(el2);
        double slo = -INFINITY, shi = INFINITY;
        // Projection onto q in [0, 1] and distance from its line at most r.
        double ta = ((p0.X - q0.X) * ex + (p0.Y - q0.Y) * ey) / el2, tb = (dx * ex + dy * ey) / el2;
        double na = ((p0.Y - q0.Y) * ex - (p0.X - q0.X) * ey) / el, nb = (dy * ex - dx * ey) / el;
        if (LinearRange(ta, tb, 0, 1, slo, shi) && LinearRange(na, nb, -r, r, slo, shi)) {
            lo = slo;
            hi = shi;
        }
    }
    DiskRange(p0, dx, dy, q0, r, lo, hi);
    if (el2 > 0) DiskRange(p0, dx, dy, q1, r, lo, hi);
    u0 = std::max(lo, 0.0);
    u1 = std::min(hi, 1.0);
    return u0 <= u1;
}

bool Finite(const T2DPoint& p) { return std::isfinite(p.X) && std::isfinite(p.Y); }

// The segments of an element: pairs of consecutive vertices of each part.
template <class F> void ForSegments(TPolyElement* e, F&& f) {
    const auto& pts = e->Points();
    for (int32_t part = 0; part < e->PartCount(); ++part)
        for (int32_t i = e->Parts()[static_cast<size_t>(part)] + 1; i < e->PartEnd(part); ++i)
            f(pts[static_cast<size_t>(i - 1)], pts[static_cast<size_t>(i)]);
}

// A segment of the compared line and the abscissa of its start.
struct Segment {
    T2DPoint A, B;
    double From, Length;
};

// u on segment p0-p1 of the foot of the perpendicular from q; false outside the segment.
bool FootOn(const T2DPoint& p0, const T2DPoint& p1, const T2DPoint& q, double& u) {
    double dx = p1.X - p0.X, dy = p1.Y - p0.Y, l2 = dx * dx + dy * dy;
    if (!(l2 > 0)) return false;
    u = ((q.X - p0.X) * dx + (q.Y - p0.Y) * dy) / l2;
    return u >= 0 && u <= 1;
}

// u on segment p0-p1 where it crosses q0-q1; false when they do not cross in one point.
bool CrossingOn(const T2DPoint& p0, const T2DPoint& p1, const T2DPoint& q0, const T2DPoint& q1, double& u) {
    double dx = p1.X - p0.X, dy = p1.Y - p0.Y, ex = q1.X - q0.X, ey = q1.Y - q0.Y;
    double den = dx * ey - dy * ex;
    if (den == 0) return false;
    double fx = q0.X - p0.X, fy = q0.Y - p0.Y;
    u = (fx * ey - fy * ex) / den;
    double t = (fx * dy - fy * dx) / den;
    return u >= 0 && u <= 1 && t >= 0 && t <= 1;
}

// The distance from the compared line to an earlier line along a stretch within the
// tolerance of it, and the part of the stretch where the two run together. From an end
// where the lines part (at a junction, a crossing, the end of the earlier line) the
// distance falls towards the point where they meet, whatever their angle; that part is
// walked off while the distance falls. Every local minimum of the distance lies at a
// vertex, at the foot of a vertex of the other line or at a crossing (the marks), so the
// walk stops at marks; the shorter steps between marks only catch a rise between two.
class DistanceProfile {
public:
    DistanceProfile(const std::vector<Segment>& line, double tolerance, double magnitude)
        : line_(line), tolerance_(tolerance), eps_(tolerance * 1e-9 + magnitude * 1e-13) {}

    void Clear() {
        near_.clear();
        marks_.clear();
        ready_ = false;
    }
    // A segment of the other line and the abscissas between which it is within the
    // tolerance of the line (the only ones where it can be the nearest).
    void AddNear(const T2DPoint& q0, const T2DPoint& q1, double from, double to) {
        near_.push_back({q0, q1, from, to});
    }
    void AddMark(double abscissa) { marks_.push_back(abscissa); }

    // The length of the stretch [from, to] along which the lines run together.
    double Together(double from, double to) {
        if (!ready_) Ready();
        double step = std::max(tolerance_ / 4, (to - from) / 256);
        if (!(step > 0)) return to - from;
        double end = LineEnd(to) ? to : Walk(to, from, -1, step);
        double start = LineEnd(from) ? from : Walk(from, end, 1, step);
        return std::max(end - start, 0.0);
    }

private:
    struct Near {
        T2DPoint A, B;
        double From, To;
    };

    void Ready() {
        ready_ = true;
        for (const Segment& s : line_) marks_.push_back(s.From);
        marks_.push_back(line_.back().From + line_.back().Length);
        std::sort(marks_.begin(), marks_.end());
    }

    // The segment holding an abscissa.
    size_t SegmentAt(double x) const {
        auto it = std::upper_bound(line_.begin(), line_.end(), x, [](double v, const Segment& s) { return v < s.From; });
        return it == line_.begin() ? 0 : static_cast<size_t>(it - line_.begin()) - 1;
    }

    double DistanceAt(double x) const {
        const Segment& s = line_[SegmentAt(x)];
        double u = std::clamp((x - s.From) / s.Length, 0.0, 1.0);
        double px = s.A.X + u * (s.B.X - s.A.X), py = s.A.Y + u * (s.B.Y - s.A.Y);
        double best = INFINITY;
        for (const Near& n : near_)
            if (x >= n.From && x <= n.To)
                best = std::min(best, Mathlib::DistanceToSegment(px, py, n.A.X, n.A.Y, n.B.X, n.B.Y));
        return best;
    }

    // Whether the abscissa is an end of the line or of one of its parts.
    bool LineEnd(double x) const {
        double eps = (line_.back().From + line_.back().Length) * 1e-12;
        for (size_t i = 0; i < line_.size(); ++i) {
            const Segment& s = line_[i];
            bool startsPart = i == 0 || !(line_[i - 1].B == s.A);
            bool endsPart = i + 1 == line_.size() || !(line_[i + 1].A == s.B);
            if ((startsPart && std::fabs(x - s.From) <= eps) || (endsPart && std::fabs(x - s.From - s.Length) <= eps))
                return true;
        }
        return false;
    }

    // From an end towards limit (direction +1 or -1) while the distance falls; the
    // abscissa where it stops.
    double Walk(double at, double limit, int direction, double step) const {
        double d = DistanceAt(at);
        double minStep = step / 16;
        while (d > eps_ && direction * (limit - at) > 0) {
            double next = at + direction * step;
            if (direction > 0) {
                auto it = std::upper_bound(marks_.begin(), marks_.end(), at + minStep);
                if (it != marks_.end() && *it < next) next = *it;
                next = std::min(next, limit);
            } else {
                auto it = std::lower_bound(marks_.begin(), marks_.end(), at - minStep);
                if (it != marks_.begin() && *(it - 1) > next) next = *(it - 1);
                next = std::max(next, limit);
            }
            double dn = DistanceAt(next);
            if (!(dn < d - eps_)) break;
            at = next;
            d = dn;
        }
        return at;
    }

    const std::vector<Segment>& line_;
    double tolerance_, eps_;
    std::vector<Near> near_;
    std::vector<double> marks_;
    bool ready_ = false;
};

}  // namespace

void TLinComparator::Publish(PropertyTable& t) {
    t.Bool<TLinComparator>("OwnPieces", [](TLinComparator* o) { return o->OwnPieces; },
                           [](TLinComparator* o, bool v) { o->OwnPieces = v; });
    t.Float<TLinComparator>("Tolerance", [](TLinComparator* o) { return o->Tolerance; },
                            [](TLinComparator* o, double v) { o->Tolerance = v; });
}

void TLinComparator::DoIt() {
    SetOutput(nullptr);
    auto* line = As<TPolyElement>(Input);
    if (!line) return;
    auto* result = TLinesAbscEntity::New();
    SetOutput(result);
    double tol = std::isfinite(Tolerance) && Tolerance > 0 ? Tolerance : 0;

    // The abscissa of each segment's start; segments without length or finite ends skipped.
    std::vector<Segment> segments;
    double length = 0, magnitude = 0;
    ForSegments(line, [&](const T2DPoint& a, const T2DPoint& b) {
        if (!Finite(a) || !Finite(b)) return;
        double d = std::hypot(b.X - a.X, b.Y - a.Y);
        if (!(d > 0) || !std::isfinite(d)) return;
        segments.push_back({a, b, length, d});
        length += d;
        magnitude = std::max({magnitude, std::fabs(a.X), std::fabs(a.Y), std::fabs(b.X), std::fabs(b.Y)});
    });
    if (segments.empty()) return;

    // Per earlier line, the stretches within the tolerance, merged; those along which
    // the lines do not run together for more than the tolerance dropped.
    struct Cover {
        int32_t Order;
        TSpaceEntity* Line;
        Interval Stretch;
    };
    std::vector<Cover> covers;
    DistanceProfile profile(segments, tol, magnitude);
    if (QTree && IsLive(QTree)) {
        const TRectangle& r = line->Rect();
        for (int32_t index : QTree->QueryIndexes(r.Min.X, r.Min.Y, r.Max.X, r.Max.Y, tol)) {
            auto* other = As<TPolyElement>(QTree->Entry(index));
            if (!other || other == line) continue;
            const TRectangle& o = other->Rect();
            std::vector<Interval> found;
            profile.Clear();
            for (const Segment& s : segments) {
                double sMinX = std::min(s.A.X, s.B.X) - tol, sMaxX = std::max(s.A.X, s.B.X) + tol;
                double sMinY = std::min(s.A.Y, s.B.Y) - tol, sMaxY = std::max(s.A.Y, s.B.Y) + tol;
                if (sMaxX < o.Min.X || sMinX > o.Max.X || sMaxY < o.Min.Y || sMinY > o.Max.Y) continue;
                ForSegments(other, [&](const T2DPoint& q0, const T2DPoint& q1) {
                    if (std::max(q0.X, q1.X) < sMinX || std::min(q0.X, q1.X) > sMaxX ||
                        std::max(q0.Y, q1.Y) < sMinY || std::min(q0.Y, q1.Y) > sMaxY)
                        return;
                    double u0, u1;
                    if (!CapsuleRange(s.A, s.B, q0, q1, tol, u0, u1)) return;
                    found.push_back({s.From + u0 * s.Length, s.From + u1 * s.Length});
                    profile.AddNear(q0, q1, found.back().From, found.back().To);
                    double u;
                    for (const T2DPoint& q : {q0, q1})
                        if (FootOn(s.A, s.B, q, u)) profile.AddMark(s.From + u * s.Length);
                    if (CrossingOn(s.A, s.B, q0, q1, u)) profile.AddMark(s.From + u * s.Length);
                });
            }
            if (found.empty()) continue;
            std::sort(found.begin(), found.end(), [](const Interval& a, const Interval& b) { return a.From < b.From; });
            Interval cur = found.front();
            double eps = length * 1e-12;
            auto flush = [&] {
                if (cur.To - cur.From > tol && profile.Together(cur.From, cur.To) > tol)
                    covers.push_back({index, other, cur});
            };
            for (size_t i = 1; i < found.size(); ++i) {
                if (found[i].From <= cur.To + eps) cur.To = std::max(cur.To, found[i].To);
                else {
                    flush();
                    cur = found[i];
                }
            }
            flush();
        }
    }

    // Each elementary stretch belongs to the earliest line covering it, else to the line.
    std::vector<double> cuts{0, length};
    for (const Cover& c : covers) {
        cuts.push_back(std::clamp(c.Stretch.From, 0.0, length));
        cuts.push_back(std::clamp(c.Stretch.To, 0.0, length));
    }
    std::sort(cuts.begin(), cuts.end());
    cuts.erase(std::unique(cuts.begin(), cuts.end()), cuts.end());
    std::vector<TLinePiece> pieces;
    for (size_t i = 1; i < cuts.size(); ++i) {
        double mid = (cuts[i - 1] + cuts[i]) / 2;
        TSpaceEntity* owner = line;
        int32_t best = INT32_MAX;
        for (const Cover& c : covers)
            if (c.Stretch.From <= mid && mid <= c.Stretch.To && c.Order < best) {
                best = c.Order;
                owner = c.Line;
            }
        if (!pieces.empty() && pieces.back().Line == owner) pieces.back().To = cuts[i];
        else pieces.push_back({owner, cuts[i - 1], cuts[i]});
    }
    for (const TLinePiece& p : pieces) {
        if (p.Line != line) result->Changed = true;
        if (OwnPieces || p.Line != line) result->Pieces.push_back(p);
    }
}
