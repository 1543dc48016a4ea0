// Drawing with symbols: line symbols along polylines, area symbols over the polygons the
// device prepared, point symbols at a point. Everything is computed in pixels and only
// the part of the page that is seen is walked, so a zoomed-in map costs no more.
#include <algorithm>
#include <cmath>

#include "symbol/symbol.h"

namespace {

constexpr double kPi = 3.14159265358979323846;
// More hatch lines than this per item is no hatching any more.
constexpr int kMaxHatchLines = 20000;

struct TPF {
    double X = 0;
    double Y = 0;
};

TPixelPoint Px(const TPF& p) { return {static_cast<int>(std::lround(p.X)), static_cast<int>(std::lround(p.Y))}; }

int PenPixels(double millimetres, double ppm) {
    return std::max(1, static_cast<int>(std::lround(millimetres * ppm)));
}

// The path moved sideways by the offset (pixels, positive to the left of its direction),
// joined with mitres no longer than four offsets.
std::vector<TPF> OffsetPath(const std::vector<TPF>& path, double offset) {
    size_t n = path.size();
    std::vector<TPF> normals(n > 1 ? n - 1 : 0);
    for (size_t i = 0; i + 1 < n; ++i) {
        double dx = path[i + 1].X - path[i].X, dy = path[i + 1].Y - path[i].Y;
        double len = std::hypot(dx, dy);
        normals[i] = len > 0 ? TPF{dy / len, -dx / len} : (i ? normals[i - 1] : TPF{});
    }
    std::vector<TPF> out(n);
    for (size_t i = 0; i < n; ++i) {
        TPF a = normals[i ? i - 1 : 0], b = normals[i < n - 1 ? i : n - 2];
        TPF m{a.X + b.X, a.Y + b.Y};
        double len = std::hypot(m.X, m.Y);
        double scale = offset;
        if (len > 1e-9) {
            m = {m.X / len, m.Y / len};
            double c = m.X * a.X + m.Y * a.Y;
            scale = c > 0.25 ? offset / c : offset * 4;
        } else {
            m = a;
        }
        out[i] = {path[i].X + m.X * scale, path[i].Y + m.Y * scale};
    }
    return out;
}

// The part t0..t1 (0..1) of the segment inside the rectangle; false when none.
bool ClipSegment(const TPF& a, const TPF& b, double left, double top, double right, double bottom, double& t0,
                 double& t1) {
    t0 = 0;
    t1 = 1;
    double dx = b.X - a.X, dy = b.Y - a.Y;
    auto edge = [&](double p, double q) {
        if (p == 0) return q >= 0;
        double r = q / p;
        if (p < 0) {
            if (r > t1) return false;
            t0 = std::max(t0, r);
        } else {
            if (r < t0) return false;
            t1 = std::min(t1, r);
        }
        return true;
    };
    return edge(-dx, a.X - left) && edge(dx, right - a.X) && edge(-dy, a.Y - top) && edge(dy, bottom - a.Y) &&
           t0 <= t1;
}

// One line more for TCanvas::Segments.
void Segment(std::vector<TPixelPoint>& ends, const TPF& a, const TPF& b) {
    ends.push_back(Px(a));
    ends.push_back(Px(b));
}

// The path dashed: the dash pattern (pixels, on and off in turn) runs on over the whole
// path; only the pieces on the page are drawn.
void DashedPath(TCanvas* c, const std::vector<TPF>& path, const std::vector<double>& dashes, double margin) {
    double period = 0;
    for (double d : dashes) period += d;
    double left = -margin, top = -margin, right = c->Width() + margin, bottom = c->Height() + margin;
    double along = 0;  // distance from the path's start
    std::vector<TPixelPoint> ends;
    for (size_t i = 0; i + 1 < path.size(); ++i) {
        const TPF &a = path[i], &b = path[i + 1];
        double len = std::hypot(b.X - a.X, b.Y - a.Y);
        double t0, t1;
        if (len > 0 && ClipSegment(a, b, left, top, right, bottom, t0, t1)) {
            double d = along + t0 * len, end = along + t1 * len;
            double pos = std::fmod(d, period);
            size_t k = 0;
            while (pos >= dashes[k]) pos -= dashes[k], k = (k + 1) % dashes.size();
            while (d < end) {
                double step = std::min(dashes[k] - pos, end - d);
                if (k % 2 == 0 && step > 0) {
                    double u = (d - along) / len, v = (d + step - along) / len;
                    Segment(ends, {a.X + (b.X - a.X) * u, a.Y + (b.Y - a.Y) * u},
                            {a.X + (b.X - a.X) * v, a.Y + (b.Y - a.Y) * v});
                }
                d += step;
                pos = 0;
                k = (k + 1) % dashes.size();
            }
        }
        along += len;
    }
    c->Segments(ends);
}

void SolidPath(TCanvas* c, const std::vector<TPF>& path) {
    std::vector<TPixelPoint> px;
    px.reserve(path.size());
    for (const TPF& p : path) px.push_back(Px(p));
    c->Polyline(px);
}

}  // namespace

std::vector<std::vector<T2DPoint>> RingsOf(TPolyElement* element) {
    std::vector<std::vector<T2DPoint>> rings;
    if (!element) return rings;
    const auto& pts = element->Points();
    for (int32_t part = 0; part < element->PartCount(); ++part)
        rings.emplace_back(pts.begin() + element->Parts()[static_cast<size_t>(part)], pts.begin() + element->PartEnd(part));
    return rings;
}

// ---- line symbols ------------------------------------------------------------------------

void TLineSymbols::ZobrazLinii(TPolyElement* line, TLiniovaZnacka* symbol) {
    TDevice* d = GetDevice();
    if (!line || !symbol || !d || Outside(line)) return;
    TPageProjection* proj = d->GetProjection();
    double ppm = PixelsPerMillimetre();
    TCanvas* c = d->Prepared();
    if (!c || ppm <= 0) return;
    TColor pen = d->GetPen()->Color();
    for (int32_t part = 0; part < line->PartCount(); ++part) {
        std::vector<TPF> path;
        for (int32_t i = line->Parts()[static_cast<size_t>(part)]; i < line->PartEnd(part); ++i) {
            TPF p;
            proj->GetPagePointF(line->X(i), line->Y(i), p.X, p.Y);
            path.push_back(p);
        }
        if (path.size() < 2) continue;
        for (const TLineComponent& comp : symbol->Components) {
            TColor color = comp.Effective(pen);
            if (color < 0) continue;
            int width = PenPixels(comp.Width, ppm);
            c->Pen().SetColor(color);
            c->Pen().SetWidth(width);
            c->Pen().SetStyle(psSolid);
            std::vector<TPF> shifted = comp.Offset != 0 ? OffsetPath(path, comp.Offset * ppm) : path;
            std::vector<double> dashes;
            double period = 0;
            for (double v : comp.Dashes) dashes.push_back(v * ppm), period += v * ppm;
            if (dashes.empty() || period < 2) SolidPath(c, shifted);
            else DashedPath(c, shifted, dashes, width + 2);
        }
    }
}

// ---- area symbols ------------------------------------------------------------------------

void TAreaSymbols::VyplnPlochu(TPlosnaZnacka* symbol, TAreaElement* area) {
    TDevice* d = GetDevice();
    if (!symbol || !d || (area && (area->GetSkip() || Outside(area)))) return;
    double ppm = PixelsPerMillimetre();
    TCanvas* c = d->Prepared();
    const auto& rings = d->GetPreparedPolygons();
    if (!c || ppm <= 0 || rings.empty()) return;
    if (symbol->FillBackground) {
        TColor fill = symbol->Fill.Effective();
        if (fill >= 0) {
            c->Brush().SetColor(fill);
            c->Brush().SetStyle(bsSolid);
            c->Pen().SetStyle(psClear);
            c->PolyPolygon(rings);
        }
    }
    double angleOfMap = d->GetProjection()->GetAngle();
    for (const TPatternGroup& g : symbol->Groups) {
        double a = g.Angle * kPi / 180 + angleOfMap;
        TPF dir{std::cos(a), -std::sin(a)}, nor{std::sin(a), std::cos(a)};
        double spacing = std::max(2.0, g.Spacing * ppm);
        // The stretch of lines across the area, limited to the page.
        double lo = 1e300, hi = -1e300;
        for (const auto& ring : rings)
            for (const TPixelPoint& p : ring) {
                double s = p.X * nor.X + p.Y * nor.Y;
                lo = std::min(lo, s), hi = std::max(hi, s);
            }
        double plo = 1e300, phi = -1e300;
        for (TPF corner : {TPF{0, 0}, TPF{double(c->Width()), 0}, TPF{0, double(c->Height())},
                           TPF{double(c->Width()), double(c->Height())}}) {
            double s = corner.X * nor.X + corner.Y * nor.Y;
            plo = std::min(plo, s), phi = std::max(phi, s);
        }
        lo = std::max(lo, plo), hi = std::min(hi, phi);
        if (lo > hi) continue;
        for (const TPatternItem& item : g.Items) {
            TColor color = item.Effective();
            if (color < 0) continue;
            double off = item.Offset * ppm;
            double first = std::ceil((lo - off) / spacing), last = std::floor((hi - off) / spacing);
            if (last < first) continue;
            int count = static_cast<int>(std::min<double>(last - first + 1, kMaxHatchLines));
            std::vector<std::vector<double>> cuts(static_cast<size_t>(count));
            for (const auto& ring : rings) {
                size_t n = ring.size();
                for (size_t i = 0; i < n; ++i) {
                    const TPixelPoint &p = ring[i], &q = ring[(i + 1) % n];
                    double sp = p.X * nor.X + p.Y * nor.Y, sq = q.X * nor.X + q.Y * nor.Y;
                    if (sp == sq) continue;
                    double smin = std::min(sp, sq), smax = std::max(sp, sq);
                    // Lines at s with smin <= s < smax cross the edge once.
                    int k0 = std::max(0, static_cast<int>(std::ceil((smin - off) / spacing - first)));
                    int k1 = std::min(count - 1, static_cast<int>(std::ceil((smax - off) / spacing - first)) - 1);
                    double tp = p.X * dir.X + p.Y * dir.Y, tq = q.X * dir.X + q.Y * dir.Y;
                    for (int k = k0; k <= k1; ++k) {
                        double s = (first + k) * spacing + off;
                        if (s < smin || s >= smax) continue;
                        cuts[static_cast<size_t>(k)].push_back(tp + (tq - tp) * (s - sp) / (sq - sp));
                    }
                }
            }
            c->Pen().SetColor(color);
            c->Pen().SetWidth(PenPixels(item.Width, ppm));
            c->Pen().SetStyle(psSolid);
            std::vector<TPixelPoint> ends;
            for (int k = 0; k < count; ++k) {
                auto& ts = cuts[static_cast<size_t>(k)];
                if (ts.size() < 2) continue;
                std::sort(ts.begin(), ts.end());
                double s = (first + k) * spacing + off;
                for (size_t i = 0; i + 1 < ts.size(); i += 2)
                    Segment(ends, {s * nor.X + ts[i] * dir.X, s * nor.Y + ts[i] * dir.Y},
                            {s * nor.X + ts[i + 1] * dir.X, s * nor.Y + ts[i + 1] * dir.Y});
            }
            c->Segments(ends);
        }
    }
}

// ---- point symbols -----------------------------------------------------------------------

void TPointSymbols::InterpretSymbol(TSpaceEntity* element, int32_t code) {
    if (!element) return;
    PaintSymbol(psOutline | psFill | psTurn, code, element->GetRefX(), element->GetRefY(),
                element->GetOrientation());
}

void TPointSymbols::PaintSymbol(int32_t mode, int32_t code, double x, double y, double angle) {
    TBodovaZnacka* symbol = VratZnackuDleKodu(code);
    TDevice* d = GetDevice();
    if (!symbol || !d) return;
    double ppm = PixelsPerMillimetre();
    TCanvas* c = d->Prepared();
    if (!c || ppm <= 0) return;
    TPageProjection* proj = d->GetProjection();
    TPF at;
    proj->GetPagePointF(x, y, at.X, at.Y);
    double a = ((mode & psTurn) ? angle : 0) + proj->GetAngle();
    double ca = std::cos(a), sa = std::sin(a);
    auto place = [&](const T2DPoint& m) {
        return TPixelPoint{static_cast<int>(std::lround(at.X + (m.X * ca - m.Y * sa) * ppm)),
                           static_cast<int>(std::lround(at.Y - (m.X * sa + m.Y * ca) * ppm))};
    };
    TColor pen = d->GetPen()->Color();
    for (const TPointShape& s : symbol->Shapes) {
        TColor color = s.Effective(pen);
        if (color < 0) continue;
        bool fill = s.Filled && (mode & psFill) && s.Kind != TPointShape::Line;
        bool outline = (mode & psOutline) != 0;
        if (!fill && !outline) continue;
        c->Pen().SetColor(color);
        c->Pen().SetWidth(PenPixels(s.Width, ppm));
        c->Pen().SetStyle(outline ? psSolid : psClear);
        c->Brush().SetColor(color);
        c->Brush().SetStyle(fill ? bsSolid : bsClear);
        std::vector<TPixelPoint> pts;
        for (const T2DPoint& m : s.Points) pts.push_back(place(m));
        switch (s.Kind) {
            case TPointShape::Circle: {
                int r = std::max(1, static_cast<int>(std::lround(s.Radius * ppm)));
                c->Ellipse(pts[0].X - r, pts[0].Y - r, pts[0].X + r + 1, pts[0].Y + r + 1);
                break;
            }
            case TPointShape::Line: c->Polyline(pts); break;
            case TPointShape::Polygon: c->Polygon(pts); break;
        }
    }
}
