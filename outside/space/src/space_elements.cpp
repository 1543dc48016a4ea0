#include "space/space.h"
#include "space/space_tree.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "kernel/class_registry.h"
#include "platform/sysutils.h"
#include "space/instance_properties.h"

namespace {

double SegmentDistance(double x, double y, const T2DPoint& a, const T2DPoint& b) {
    return Mathlib::DistanceToSegment(x, y, a.X, a.Y, b.X, b.Y);
}

// Twice the signed area of the ring (counter-clockwise positive).
double RingArea2(const T2DPoint* p, int32_t n) {
    double s = 0;
    for (int32_t i = 0, j = n - 1; i < n; j = i++) s += (p[j].X - p[i].X) * (p[j].Y + p[i].Y);
    return s;
}

// Even-odd crossing count of a horizontal ray from (x, y) over one ring.
bool RingCrosses(const T2DPoint* p, int32_t n, double x, double y) {
    bool inside = false;
    for (int32_t i = 0, j = n - 1; i < n; j = i++) {
        if ((p[i].Y > y) != (p[j].Y > y)) {
            double xc = p[j].X + (y - p[j].Y) * (p[i].X - p[j].X) / (p[i].Y - p[j].Y);
            if (x < xc) inside = !inside;
        }
    }
    return inside;
}

void AppendNumber(std::string& out, double v) {
    char buf[32];
    auto r = std::to_chars(buf, buf + sizeof buf, v);
    out.append(buf, r.ptr);
}

}  // namespace

// ---- TSpaceEntity -------------------------------------------------------------------------

void TSpaceEntity::Publish(PropertyTable& t) {
    t.Float<TSpaceEntity>("RefX", &TSpaceEntity::GetRefX, &TSpaceEntity::SetRefX);
    t.Float<TSpaceEntity>("RefY", &TSpaceEntity::GetRefY, &TSpaceEntity::SetRefY);
    t.Float<TSpaceEntity>("Orientation", &TSpaceEntity::GetOrientation, &TSpaceEntity::SetOrientation);
    t.Int<TSpaceEntity>("Code", &TSpaceEntity::GetCode, &TSpaceEntity::SetCode);
    t.Int<TSpaceEntity>("SymbolCode", &TSpaceEntity::GetSymbolCode,
                        [](TSpaceEntity* e, int32_t v) { e->SetSymbolCode(static_cast<uint16_t>(v)); });
}

bool TSpaceEntity::NotEmpty() { return !FRect.IsEmpty(); }

bool TSpaceEntity::IsNearXY(double x, double y, double tolerance) {
    return NotEmpty() && FRect.IsOverlap(x - tolerance, y - tolerance, x + tolerance, y + tolerance);
}

bool TSpaceEntity::IsNear(T2DCoordinate* point, double tolerance) {
    return point && IsNearXY(point->GetX(), point->GetY(), tolerance);
}

void TSpaceEntity::UpdateGeometry() {}

void TSpaceEntity::Assign(TPersistent* source) {
    TRectEntity::Assign(source);
    if (auto* s = As<TSpaceEntity>(source)) {
        FRefX = s->FRefX;
        FRefY = s->FRefY;
        FOrientation = s->FOrientation;
        FAttributes = s->FAttributes;
        if (s->ClassType() == ClassType()) FFields = s->FFields;
    }
}

void TSpaceEntity::Destroy() {
    FPropertyObject = nullptr;  // freed with the children
    inherited::Destroy();
}

// ---- points and texts ----------------------------------------------------------------------

void TPointElement::Publish(PropertyTable& t) {
    t.Float<TPointElement>("X", &TPointElement::GetX, &TPointElement::SetX).Stored(false);
    t.Float<TPointElement>("Y", &TPointElement::GetY, &TPointElement::SetY).Stored(false);
}

TPointElement* TPointElement::New(double x, double y) {
    TPointElement* p = New();
    p->SetXY(x, y);
    return p;
}

void TPointElement::SetX(double x) { SetXY(x, FRefY); }
void TPointElement::SetY(double y) { SetXY(FRefX, y); }

void TPointElement::SetXY(double x, double y) {
    FRefX = x;
    FRefY = y;
    UpdateGeometry();
}

bool TPointElement::IsNearXY(double x, double y, double tolerance) {
    return Mathlib::Distance(x, y, FRefX, FRefY) <= tolerance;
}

void TPointElement::UpdateGeometry() { FRect.SetRect(FRefX, FRefY, FRefX, FRefY); }

void TTextElement::Publish(PropertyTable& t) {
    t.Float<TTextElement>("X", &TTextElement::GetX, &TTextElement::SetX).Stored(false);
    t.Float<TTextElement>("Y", &TTextElement::GetY, &TTextElement::SetY).Stored(false);
    t.Str<TTextElement>("Text", &TTextElement::GetText, &TTextElement::SetText);
    t.Float<TTextElement>("Height", &TTextElement::GetHeight, &TTextElement::SetHeight);
}

TTextElement* TTextElement::New(double x, double y, const std::string& text) {
    TTextElement* e = New();
    e->FText = text;
    e->FRefX = x;
    e->FRefY = y;
    e->UpdateGeometry();
    return e;
}

void TTextElement::SetX(double x) {
    FRefX = x;
    UpdateGeometry();
}

void TTextElement::SetY(double y) {
    FRefY = y;
    UpdateGeometry();
}

bool TTextElement::IsNearXY(double x, double y, double tolerance) {
    return Mathlib::Distance(x, y, FRefX, FRefY) <= tolerance;
}

void TTextElement::UpdateGeometry() { FRect.SetRect(FRefX, FRefY, FRefX, FRefY); }

void TTextElement::Assign(TPersistent* source) {
    TSpaceEntity::Assign(source);
    if (auto* s = As<TTextElement>(source)) {
        FText = s->FText;
        FHeight = s->FHeight;
    }
}

// ---- TPolyElement --------------------------------------------------------------------------

void TPolyElement::Publish(PropertyTable& t) {
    t.Int<TPolyElement>("VertexCount", &TPolyElement::VertexCount, nullptr).Stored(false);
    t.Str<TPolyElement>("Vertices", &TPolyElement::GetVertices, &TPolyElement::SetVertices);
}

int32_t TPolyElement::PartEnd(int32_t part) const {
    size_t next = static_cast<size_t>(part) + 1;
    return next < FParts.size() ? FParts[next] : VertexCount();
}

T2DPoint TPolyElement::OrientedVertex(int32_t i, bool) { return Vertex(i); }

void TPolyElement::OrientedVertices(bool, std::vector<T2DPoint>& out) { out.assign(FPoints.begin(), FPoints.end()); }

void TPolyElement::SetPoints(std::vector<T2DPoint> points, std::vector<int32_t> parts) {
    FRefGiven = false;
    FPoints = std::move(points);
    if (FPoints.empty()) parts.clear();
    else if (parts.empty() || parts.front() != 0) parts.insert(parts.begin(), 0);
    FParts = std::move(parts);
    UpdateGeometry();
}

void TPolyElement::AddPart(const T2DPoint* points, size_t count) {
    if (count == 0) return;
    FParts.push_back(VertexCount());
    FPoints.insert(FPoints.end(), points, points + count);
}

std::string TPolyElement::GetVertices() const {
    std::string out;
    out.reserve(FPoints.size() * 24);
    for (int32_t part = 0; part < PartCount(); ++part) {
        if (part) out += ';';
        for (int32_t i = FParts[static_cast<size_t>(part)]; i < PartEnd(part); ++i) {
            if (i != FParts[static_cast<size_t>(part)]) out += ',';
            AppendNumber(out, FPoints[static_cast<size_t>(i)].X);
            out += ' ';
            AppendNumber(out, FPoints[static_cast<size_t>(i)].Y);
        }
    }
    return out;
}

void TPolyElement::SetVertices(const std::string& text) {
    std::vector<T2DPoint> points;
    std::vector<int32_t> parts;
    const char* p = text.data();
    const char* end = p + text.size();
    auto skipSpaces = [&] { while (p < end && *p == ' ') ++p; };
    auto fail = [&] {
        throw EConvertError(Cz("Chybný seznam vrcholů na pozici ") + IntToStr(static_cast<int32_t>(p - text.data()) + 1));
    };
    auto number = [&](double& v) {
        skipSpaces();
        auto r = std::from_chars(p, end, v);
        if (r.ec != std::errc() || !std::isfinite(v)) fail();
        p = r.ptr;
    };
    bool partStart = true;
    skipSpaces();
    while (p < end) {
        if (partStart) parts.push_back(static_cast<int32_t>(points.size()));
        T2DPoint v;
        number(v.X);
        number(v.Y);
        points.push_back(v);
        skipSpaces();
        if (p == end) break;
        partStart = *p == ';';
        if (*p != ',' && *p != ';') fail();
        ++p;
        skipSpaces();
        if (p == end) fail();  // a separator must be followed by a vertex
    }
    double refX = FRefX, refY = FRefY, orientation = FOrientation;
    bool keep = FRefGiven;
    SetPoints(std::move(points), std::move(parts));
    if (keep) {
        FRefX = refX;
        FRefY = refY;
        FOrientation = orientation;
    }
}

double TPolyElement::DistanceToOutline(double x, double y) const {
    double best = INFINITY;
    for (int32_t part = 0; part < PartCount(); ++part) {
        int32_t first = FParts[static_cast<size_t>(part)], last = PartEnd(part);
        if (last - first == 1) best = std::min(best, Mathlib::Distance(x, y, FPoints[first].X, FPoints[first].Y));
        for (int32_t i = first + 1; i < last; ++i)
            best = std::min(best, SegmentDistance(x, y, FPoints[static_cast<size_t>(i - 1)], FPoints[static_cast<size_t>(i)]));
    }
    return best;
}

bool TPolyElement::IsNearXY(double x, double y, double tolerance) {
    if (FPoints.empty() || !FRect.IsOverlap(x - tolerance, y - tolerance, x + tolerance, y + tolerance)) return false;
    return DistanceToOutline(x, y) <= tolerance;
}

void TPolyElement::UpdateGeometry() {
    FRect.Clear();
    for (const T2DPoint& v : FPoints) FRect.UpdateByXY(v.X, v.Y);
    if (!FPoints.empty()) {
        FRefX = FPoints.front().X;
        FRefY = FPoints.front().Y;
    }
}

void TPolyElement::Assign(TPersistent* source) {
    TSpaceEntity::Assign(source);
    if (auto* s = As<TPolyElement>(source)) {
        FPoints = s->FPoints;
        FParts = s->FParts;
    }
}

// ---- TPolyLineElement ---------------------------------------------------------------------

double TPolyLineElement::GetLength() const {
    double length = 0;
    for (int32_t part = 0; part < PartCount(); ++part)
        for (int32_t i = FParts[static_cast<size_t>(part)] + 1; i < PartEnd(part); ++i)
            length += Mathlib::Distance(FPoints[i - 1].X, FPoints[i - 1].Y, FPoints[i].X, FPoints[i].Y);
    return length;
}

void TPolyLineElement::UpdateGeometry() {
    TPolyElement::UpdateGeometry();
    FOrientation = 0;
    // The point at half the length, and the direction of its segment.
    double rest = GetLength() / 2;
    for (int32_t part = 0; part < PartCount(); ++part) {
        for (int32_t i = FParts[static_cast<size_t>(part)] + 1; i < PartEnd(part); ++i) {
            const T2DPoint& a = FPoints[static_cast<size_t>(i - 1)];
            const T2DPoint& b = FPoints[static_cast<size_t>(i)];
            double d = Mathlib::Distance(a.X, a.Y, b.X, b.Y);
            if (d <= 0) continue;
            if (rest <= d) {
                FRefX = a.X + (b.X - a.X) * rest / d;
                FRefY = a.Y + (b.Y - a.Y) * rest / d;
                FOrientation = Mathlib::ATan2M(b.Y - a.Y, b.X - a.X);
                return;
            }
            rest -= d;
        }
    }
}

// ---- TAreaElement --------------------------------------------------------------------------

void TAreaElement::Publish(PropertyTable& t) {
    t.Bool<TAreaElement>("Skip", &TAreaElement::GetSkip, &TAreaElement::SetSkip);
}

bool TAreaElement::IsPointInside(double x, double y) const {
    if (!FRect.PointIsInside(x, y)) return false;
    bool inside = false;
    for (int32_t part = 0; part < PartCount(); ++part) {
        int32_t first = FParts[static_cast<size_t>(part)];
        if (RingCrosses(&FPoints[static_cast<size_t>(first)], PartEnd(part) - first, x, y)) inside = !inside;
    }
    return inside;
}

bool TAreaElement::IsHole(int32_t part) const {
    int32_t first = FParts[static_cast<size_t>(part)];
    const T2DPoint& probe = FPoints[static_cast<size_t>(first)];
    int containing = 0;
    for (int32_t other = 0; other < PartCount(); ++other) {
        if (other == part) continue;
        int32_t o = FParts[static_cast<size_t>(other)];
        if (RingCrosses(&FPoints[static_cast<size_t>(o)], PartEnd(other) - o, probe.X, probe.Y)) ++containing;
    }
    return containing % 2 == 1;
}

double TAreaElement::GetWholeArea() const {
    double area = 0;
    for (int32_t part = 0; part < PartCount(); ++part) {
        int32_t first = FParts[static_cast<size_t>(part)];
        double a = std::fabs(RingArea2(&FPoints[static_cast<size_t>(first)], PartEnd(part) - first)) / 2;
        area += PartCount() > 1 && IsHole(part) ? -a : a;
    }
    return area;
}

T2DPoint TAreaElement::OrientedVertex(int32_t i, bool oriented) {
    if (!oriented || FParts.empty()) return Vertex(i);
    // The outer ring counter-clockwise; vertices of further parts as stored.
    int32_t end = PartEnd(0);
    if (i >= end || RingArea2(FPoints.data(), end) >= 0) return Vertex(i);
    return Vertex(end - 1 - i);
}

void TAreaElement::OrientedVertices(bool oriented, std::vector<T2DPoint>& out) {
    out.assign(FPoints.begin(), FPoints.end());
    if (!oriented || FParts.empty()) return;
    int32_t end = PartEnd(0);
    if (RingArea2(FPoints.data(), end) < 0) std::reverse(out.begin(), out.begin() + end);
}

bool TAreaElement::IsNearXY(double x, double y, double tolerance) {
    if (IsPointInside(x, y)) return true;
    return TPolyElement::IsNearXY(x, y, tolerance);
}

void TAreaElement::UpdateGeometry() {
    TPolyElement::UpdateGeometry();
    if (FPoints.empty()) return;
    // The reference point: the middle of the widest inside stretch of the horizontal line
    // through the middle of the rectangle (an inside point also for concave areas).
    double y = (FRect.Min.Y + FRect.Max.Y) / 2;
    std::vector<double> xs;
    for (int32_t part = 0; part < PartCount(); ++part) {
        int32_t first = FParts[static_cast<size_t>(part)], n = PartEnd(part) - first;
        const T2DPoint* p = &FPoints[static_cast<size_t>(first)];
        for (int32_t i = 0, j = n - 1; i < n; j = i++)
            if ((p[i].Y > y) != (p[j].Y > y)) xs.push_back(p[j].X + (y - p[j].Y) * (p[i].X - p[j].X) / (p[i].Y - p[j].Y));
    }
    std::sort(xs.begin(), xs.end());
    double best = -1;
    for (size_t i = 1; i < xs.size(); i += 2) {
        if (xs[i] - xs[i - 1] > best) {
            best = xs[i] - xs[i - 1];
            FRefX = (xs[i] + xs[i - 1]) / 2;
            FRefY = y;
        }
    }
}

void TAreaElement::Assign(TPersistent* source) {
    TPolyElement::Assign(source);
    if (auto* s = As<TAreaElement>(source)) FSkip = s->FSkip;
}

TAreaElement* TAreaElement::CreateAreaElement() {
    TAreaElement* area = TAreaElement::New();
    area->TPolyElement::Assign(this);
    area->FSkip = FSkip;
    area->SetName(GetName());
    return area;
}

TAreaElement* TPolyLineAreaElement::CreateAreaElement() {
    std::vector<TPolyLineElement*> lines;
    for (int32_t i = 0; i < ElementsCount(); ++i)
        if (auto* l = As<TPolyLineElement>(Get(i)); l && l->VertexCount() > 0) lines.push_back(l);
    if (lines.empty()) return TAreaElement::CreateAreaElement();
    // Chain the lines end to end: each ring goes on with a line that starts or ends where
    // it stands, until it closes or no line fits.
    std::vector<bool> used(lines.size(), false);
    std::vector<T2DPoint> points;
    std::vector<int32_t> parts;
    for (size_t start = 0; start < lines.size(); ++start) {
        if (used[start]) continue;
        used[start] = true;
        parts.push_back(static_cast<int32_t>(points.size()));
        const auto& first = lines[start]->Points();
        points.insert(points.end(), first.begin(), first.end());
        T2DPoint ringStart = first.front();
        for (bool grown = true; grown && !(points.back() == ringStart && points.size() - parts.back() > 1);) {
            grown = false;
            for (size_t k = 0; k < lines.size(); ++k) {
                if (used[k]) continue;
                const auto& pts = lines[k]->Points();
                if (pts.front() == points.back()) points.insert(points.end(), pts.begin() + 1, pts.end());
                else if (pts.back() == points.back()) points.insert(points.end(), pts.rbegin() + 1, pts.rend());
                else continue;
                used[k] = grown = true;
                break;
            }
        }
    }
    TAreaElement* area = TAreaElement::New();
    area->SetName(GetName());
    area->SetSkip(GetSkip());
    *area->GetAttributes() = FAttributes;
    area->SetPoints(std::move(points), std::move(parts));
    return area;
}

TAreaElement* CreateAreaElement(TAreaElement* area) { return area ? area->CreateAreaElement() : nullptr; }

// ---- registration ----------------------------------------------------------------------------

void RegisterSpaceClasses() {
    static bool done = false;
    if (done) return;
    done = true;
    RegisterZarixClass<TSpaceEntity>();
    RegisterZarixClass<TSpaceEntityString>();
    RegisterZarixClass<TPointElement>();
    RegisterZarixClass<TTextElement>();
    RegisterZarixClass<TPolyElement>();
    RegisterZarixClass<TPolyLineElement>();
    RegisterZarixClass<TAreaElement>();
    RegisterZarixClass<TPolyLineAreaElement>();
    RegisterZarixClass<TPointString>();
    RegisterZarixClass<TPolyLineString>();
    RegisterZarixClass<TAreaString>();
    RegisterZarixClass<TTextString>();
    RegisterZarixClass<TRegister>();
    RegisterInstancePropertiesUnit();
    RegisterZarixClass<TSpaceEntityQTree>();
}
