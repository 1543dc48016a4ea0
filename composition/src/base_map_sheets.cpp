#include "composition/base_map_sheets.h"

#include "kernel/class_registry.h"
#include "platform/host.h"
#include "platform/sysutils.h"
#include "platform/scope_exit.h"

namespace {

// Corner nodes of the 1:200000 sheets: (A, B); the node's point is (-B, -A).
struct TNode {
    int32_t Number;
    double A;
    double B;
};

constexpr TNode kNodes[] = {
    {1, 909652.431, 898025.984},   {2, 924005.96, 805128.319},    {3, 936890.985, 712015.612},
    {4, 948304.295, 618711.076},   {5, 958243.045, 525237.972},   {11, 984669.564, 910223.928},
    {12, 999206.329, 816140.335},  {13, 1012255.843, 721838.956}, {14, 1023814.856, 627343.298},
    {15, 1033880.484, 532676.92},  {16, 1042450.217, 437863.421}, {21, 1059686.696, 922421.873},
    {22, 1074406.698, 827152.352}, {23, 1087620.702, 731662.299}, {24, 1099325.417, 635975.52},
    {25, 1109517.92, 540115.869},  {26, 1118195.676, 444107.241}, {31, 1134703.829, 934619.816},
    {32, 1149607.067, 838164.368}, {33, 1162985.561, 741485.642}, {34, 1174835.977, 644607.742},
    {35, 1185155.36, 547554.817},  {36, 1193941.137, 450351.061}, {42, 1224807.436, 849176.384},
    {43, 1238350.418, 751308.986}, {44, 1250346.538, 653239.964}, {45, 1260792.797, 554993.765},
    {46, 1269686.596, 456594.881},
};

constexpr int32_t kValid200[] = {1, 2, 3, 4, 11, 12, 13, 14, 15, 21, 22, 23, 24, 25, 32, 33, 34, 35};

T2DPoint NodePoint(int32_t n) {
    for (const TNode& node : kNodes)
        if (node.Number == n) return {-node.B, -node.A};
    return {};
}

TCorners Sheet200(int32_t n) { return {NodePoint(n), NodePoint(n + 1), NodePoint(n + 10), NodePoint(n + 11)}; }

T2DPoint Mid(const T2DPoint& a, const T2DPoint& b) { return {(a.X + b.X) / 2, (a.Y + b.Y) / 2}; }

T2DPoint Lerp(const T2DPoint& a, const T2DPoint& b, double k) {
    return {a.X + k * (b.X - a.X), a.Y + k * (b.Y - a.Y)};
}

void Bound(const TCorners& c, TRectangle& r) {
    r.Clear();
    for (const T2DPoint& p : c) r.UpdateByXY(p.X, p.Y);
}

bool InLevel(int32_t n, int32_t last) { return n >= 1 && n <= last; }

}  // namespace

TCorners CornersQuadrant(const TCorners& p, int32_t n) {
    T2DPoint top = Mid(p[0], p[1]), left = Mid(p[0], p[2]), right = Mid(p[1], p[3]), bottom = Mid(p[3], p[2]);
    T2DPoint c = Mid(top, bottom);
    switch (n) {
        case 1: return {p[0], top, left, c};
        case 2: return {top, p[1], c, right};
        case 3: return {left, c, p[2], bottom};
        default: return {c, right, bottom, p[3]};
    }
}

TCorners CornersCell(const TCorners& p, int32_t n) {
    int32_t b = ((n - 1) % 5) + 1;
    int32_t g = (n - 1) / 5;
    auto top = [&](int32_t k) { return Lerp(p[0], p[1], k / 5.0); };
    auto bottom = [&](int32_t k) { return Lerp(p[2], p[3], k / 5.0); };
    // Row g of column k: along the column from its top point towards its bottom point.
    auto at = [&](int32_t k, int32_t row) {
        T2DPoint t = top(k), d = bottom(k);
        return T2DPoint{t.X + row * (d.X - t.X) / 5, t.Y + row * (d.Y - t.Y) / 5};
    };
    return {at(b - 1, g), at(b, g), at(b - 1, g + 1), at(b, g + 1)};
}

TRectangle* CornersToRect(const TCorners& c) {
    TRectangle* r = TRectangle::New(0, 0, 0, 0);
    Bound(c, *r);
    return r;
}

// ---- TMapsZM -------------------------------------------------------------------------------

void TMapsZM::Publish(PropertyTable& t) {
    t.Int<TMapsZM>("Color", &TMapsZM::GetColor, &TMapsZM::SetColor);
    t.Float<TMapsZM>("PenWidth", &TMapsZM::GetPenWidth, &TMapsZM::SetPenWidth);
    t.Enum<TMapsZM, TPenStyle>("PenStyle", TypeInfoPenStyle(), &TMapsZM::GetPenStyle, &TMapsZM::SetPenStyle);
    t.Int<TMapsZM>("Scale", &TMapsZM::GetScale, &TMapsZM::SetScale);
    t.Int<TMapsZM>("Map200", &TMapsZM::GetMap200, &TMapsZM::SetMap200);
    t.Int<TMapsZM>("Map100", &TMapsZM::GetMap100, &TMapsZM::SetMap100);
    t.Int<TMapsZM>("Map50", &TMapsZM::GetMap50, &TMapsZM::SetMap50);
    t.Int<TMapsZM>("Map25", &TMapsZM::GetMap25, &TMapsZM::SetMap25);
    t.Int<TMapsZM>("Map10", &TMapsZM::GetMap10, &TMapsZM::SetMap10);
    t.Float<TMapsZM>("ZMCenterX", &TMapsZM::GetZMCenterX, nullptr).Stored(false);
    t.Float<TMapsZM>("ZMCenterY", &TMapsZM::GetZMCenterY, nullptr).Stored(false);
    t.Str<TMapsZM>("MapName", &TMapsZM::GetMapName, &TMapsZM::SetMapName).Stored(false);
    t.Float<TMapsZM>("Angle", &TMapsZM::GetAngle, nullptr).Stored(false);
}

void TMapsZM::Create() {
    inherited::Create();
    FScale = 200000;
    for (int32_t n : kValid200)
        for (const T2DPoint& p : Sheet200(n)) UpdateByXY(p.X, p.Y);
    FMap200 = 0;
}

bool TMapsZM::IsValidMap200(int32_t n) {
    for (int32_t v : kValid200)
        if (v == n) return true;
    return false;
}

const int32_t* TMapsZM::ValidMap200(int32_t& count) {
    count = static_cast<int32_t>(std::size(kValid200));
    return kValid200;
}

void TMapsZM::SetMap200(int32_t n) {
    FMap200 = 0;
    if (!IsValidMap200(n)) return;
    FMap200 = n;
    FC200 = Sheet200(n);
}

void TMapsZM::SetMap100(int32_t n) {
    FMap100 = 0;
    if (!IsValidMap200(FMap200) || !InLevel(n, 4)) return;
    FMap100 = n;
    FC100 = CornersQuadrant(FC200, n);
}

void TMapsZM::SetMap50(int32_t n) {
    FMap50 = 0;
    if (!InLevel(FMap100, 4) || !InLevel(n, 4)) return;
    FMap50 = n;
    FC50 = CornersQuadrant(FC100, n);
}

void TMapsZM::SetMap25(int32_t n) {
    FMap25 = 0;
    if (!InLevel(FMap50, 4) || !InLevel(n, 4)) return;
    FMap25 = n;
    FC25 = CornersQuadrant(FC50, n);
}

void TMapsZM::SetMap10(int32_t n) {
    FMap10 = 0;
    if (!InLevel(FMap50, 4) || !InLevel(n, 25)) return;
    FMap10 = n;
    FC10 = CornersCell(FC50, n);
}

const TCorners& TMapsZM::Corners(int32_t level) const {
    switch (level) {
        case 10000: return FC10;
        case 25000: return FC25;
        case 100000: return FC100;
        case 200000: return FC200;
        default: return FC50;
    }
}

double TMapsZM::GetZMCenterX() const {
    const TCorners& c = Corners(FScale);
    return (c[0].X + c[1].X + c[2].X + c[3].X) / 4;
}

double TMapsZM::GetZMCenterY() const {
    const TCorners& c = Corners(FScale);
    return (c[0].Y + c[1].Y + c[2].Y + c[3].Y) / 4;
}

double TMapsZM::GetAngle() const {
    const TCorners& c = Corners(FScale);
    return Mathlib::ATan2M(c[3].Y - c[2].Y, c[3].X - c[2].X);
}

std::string TMapsZM::GetMapName() const {
    if (!IsValidMap200(FMap200)) return "";
    std::string name = Format("%.2d", FMap200);
    if (FScale < 200000) name += "-" + IntToStr(FMap100);
    if (FScale < 100000) name += IntToStr(FMap50);
    if (FScale == 25000) name += IntToStr(FMap25);
    if (FScale == 10000) name += "-" + Format("%.2d", FMap10);
    return name;
}

void TMapsZM::SetMapName(const std::string& name) {
    FScale = 10000;
    // Characters 1-2, 4, 5 and 7-8 (1-based), as far as the text reaches; each part is
    // set before the next is read.
    auto set = [&](size_t from, size_t count, void (TMapsZM::*setter)(int32_t)) {
        int32_t v;
        if (!TryStrToInt(from < name.size() ? name.substr(from, count) : "", v)) {
            ShowErrorMessage(Cz("Špatné jméno mapy ZM: ") + name);
            return false;
        }
        (this->*setter)(v);
        return true;
    };
    if (set(0, 2, &TMapsZM::SetMap200) && set(3, 1, &TMapsZM::SetMap100) && set(4, 1, &TMapsZM::SetMap50))
        set(6, 2, &TMapsZM::SetMap10);
}

std::string TMapsZM::FindMapNameAt(double x, double y) {
    for (int32_t n200 : kValid200) {
        SetMap200(n200);
        if (!Analint::InsideCorns(FC200, x, y)) continue;
        if (FScale > 100000) return GetMapName();
        for (int32_t n100 = 1; n100 <= 4; ++n100) {
            SetMap100(n100);
            if (!Analint::InsideCorns(FC100, x, y)) continue;
            if (FScale > 50000) return GetMapName();
            for (int32_t n50 = 1; n50 <= 4; ++n50) {
                SetMap50(n50);
                if (!Analint::InsideCorns(FC50, x, y)) continue;
                if (FScale == 25000) {
                    for (int32_t n25 = 1; n25 <= 4; ++n25) {
                        SetMap25(n25);
                        if (Analint::InsideCorns(FC25, x, y)) return GetMapName();
                    }
                } else if (FScale == 10000) {
                    for (int32_t n10 = 1; n10 <= 25; ++n10) {
                        SetMap10(n10);
                        if (Analint::InsideCorns(FC10, x, y)) return GetMapName();
                    }
                } else {
                    return GetMapName();
                }
            }
        }
    }
    return "";
}

// ---- TInterpretZM --------------------------------------------------------------------------

bool TInterpretZM::IsItsClass(TElement* element) { return As<TMapsZM>(element) != nullptr; }

bool TInterpretZM::QProcessBefore(TElement* element) {
    return element && element->ClassType() == TMapsZM::StaticClass();
}

void TInterpretZM::DoIt() {
    Free(FRegion);
    FRegion = TRectangle::New(0, 0, 0, 0);
    if (TDevice* d = GetDevice()) d->GetProjection()->GetModelRect(*FRegion);
    auto dropRegion = MakeScopeExit([this] {
        Free(FRegion);
        FRegion = nullptr;
    });
    inherited::DoIt();
}

void TInterpretZM::Destroy() {
    Free(FRegion);
    FRegion = nullptr;
    inherited::Destroy();
}

bool TInterpretZM::Over(const TCorners& c, const TRectangle& region) const {
    TRectangle r;
    Bound(c, r);
    return r.IsOverlap(region);
}

void TInterpretZM::Frame(const TCorners& c) {
    TDevice* d = GetDevice();
    d->MoveTo(c[0].X, c[0].Y);
    d->LineTo(c[1].X, c[1].Y);
    d->LineTo(c[3].X, c[3].Y);
    d->LineTo(c[2].X, c[2].Y);
    d->LineTo(c[0].X, c[0].Y);
}

void TInterpretZM::Process(TElement* element) {
    TDevice* d = GetDevice();
    auto* zm = As<TMapsZM>(element);
    if (!d || !zm) return;
    double s = d->GetProjection()->GetScale();
    if (s > 8000000) return;
    // Called from another interpret's chain, the walk has not taken the region.
    TRectangle region;
    if (FRegion) region.Assign(*FRegion);
    else d->GetProjection()->GetModelRect(region);

    d->GetPen()->SetStyle(zm->GetPenStyle());
    d->GetPen()->SetColor(zm->GetColor());
    d->SetPenWidth(zm->GetPenWidth());
    d->GetPen()->SetMode(pmCopy);
    zm->SetMap100(0);
    zm->SetMap50(0);
    zm->SetMap25(0);
    zm->SetMap10(0);
    int32_t scale = zm->GetScale();
    for (int32_t n200 : kValid200) {
        zm->SetMap200(n200);
        if (Over(zm->Corners(200000), region)) {
            Frame(zm->Corners(200000));
            if (scale <= 100000 && s < 4000000) {
                for (int32_t n100 = 1; n100 <= 4; ++n100) {
                    zm->SetMap100(n100);
                    if (!Over(zm->Corners(100000), region)) continue;
                    Frame(zm->Corners(100000));
                    if (scale > 50000 || s >= 2000000) continue;
                    for (int32_t n50 = 1; n50 <= 4; ++n50) {
                        zm->SetMap50(n50);
                        if (!Over(zm->Corners(50000), region)) continue;
                        Frame(zm->Corners(50000));
                        if (scale == 25000 && s < 1000000) {
                            for (int32_t n25 = 1; n25 <= 4; ++n25) {
                                zm->SetMap25(n25);
                                if (Over(zm->Corners(25000), region)) Frame(zm->Corners(25000));
                            }
                        } else if (scale == 10000 && s < 400000) {
                            for (int32_t n10 = 1; n10 <= 25; ++n10) {
                                zm->SetMap10(n10);
                                if (Over(zm->Corners(10000), region)) Frame(zm->Corners(10000));
                            }
                        }
                    }
                }
            }
        }
        zm->SetMap100(0);
    }
}

void RegisterBaseMapUnit() {
    RegisterZarixClass<TMapsZM>();
    RegisterZarixClass<TInterpretZM>();
}
