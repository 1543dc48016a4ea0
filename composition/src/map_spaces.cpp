#include "composition/map_spaces.h"

#include <algorithm>
#include <cmath>

#include "kernel/class_registry.h"
#include "pelvar/map_world.h"
#include "platform/sysutils.h"
#include "kernel/element_holder.h"

namespace {

enum TSide { sdTop, sdBottom, sdLeft, sdRight };

constexpr double kCell5X = 2500, kCell5Y = 2000;
constexpr double kHalf2X = 1250, kHalf2Y = 1000;

int32_t Even(int32_t n) { return (n > 0 && n % 2 == 1) ? n - 1 : n; }

std::string ColRow(int32_t c, int32_t r) { return IntToStr(c) + "-" + IntToStr(r); }

// The first indexed sub-sheet of class T that the test accepts.
template <class T, class P> T* FindIndexed(TSpaceTree* tree, P accept) {
    if (!tree->HasMatrix()) return nullptr;
    TSpaceMatrix* m = tree->GetMatrix();
    for (int32_t i = 0; i < m->ElementsCount(); ++i) {
        auto* column = As<TEntity>(m->Get(i));
        if (!column) continue;
        for (int32_t j = 0; j < column->ElementsCount(); ++j)
            if (auto* s = As<T>(column->Get(j)); s && accept(s)) return s;
    }
    return nullptr;
}

// The sub-sheet of class T at a grid column and row.
template <class T> T* FindColRow(TSpaceTree* tree, int32_t c, int32_t r) {
    return FindIndexed<T>(tree, [&](T* d) { return d->GetCol() == c && d->GetRow() == r; });
}

// A new sub-sheet put in place: its rectangle below and left of (maxX, maxY), its grid
// numbers, name and abbreviation; then indexed in the parent.
template <class T>
T* PlaceDetail(TSpaceTree* parent, T* d, double maxX, double maxY, double w, double h, int32_t c, int32_t r,
               const std::string& name, const std::string& abbreviation) {
    d->SetRect(maxX - w, maxY - h, maxX, maxY);
    d->SetCol(c);
    d->SetRow(r);
    d->SetName(name);
    d->SetZkratka(abbreviation);
    parent->AddSpace(d);
    return d;
}

// The prefix of a neighbour's name in the 1:50000 sheet S: its abbreviation and a blank,
// or its full name and two blanks.
std::string Prefix(TSMO_50* s, bool full) { return full ? s->GetFullName() + "  " : s->GetZkratka() + " "; }

}  // namespace

int32_t QuadrantOf(int32_t col, int32_t row) {
    if (row < 5) return col >= 5 ? 1 : 2;
    return col >= 5 ? 3 : 4;
}

int32_t Number2Of(int32_t s, int32_t t) {
    if (t == 0) return s == 1 ? 1 : 2;
    return s == 1 ? 3 : 4;
}

// A point within half a metre of the far edge would otherwise fall into a cell beyond the
// sheet.
int32_t SheetCellIndex(double v, int64_t size, int32_t last) {
    if (!std::isfinite(v) || std::fabs(v) > 1e15) return 0;
    int64_t i = Round(v) / size;
    return static_cast<int32_t>(std::clamp<int64_t>(i, 0, last));
}

TSheetCell SheetCellAt(TRectEntity* sheet50, double x, double y) {
    TSheetCell cell;
    double maxX = sheet50->GetMaxX(), maxY = sheet50->GetMaxY();
    cell.Col = SheetCellIndex(maxX - x, 2500, 9);
    cell.Row = SheetCellIndex(maxY - y, 2000, 9);
    int32_t s = SheetCellIndex(maxX - cell.Col * kCell5X - x, 1250, 1);
    int32_t t = SheetCellIndex(maxY - cell.Row * kCell5Y - y, 1000, 1);
    cell.Quadrant = QuadrantOf(cell.Col, cell.Row);
    cell.Number2 = Number2Of(s, t);
    return cell;
}

TSMO_50* FindSheetAt(TSpaceTree* root, double x, double y) {
    return root ? As<TSMO_50>(root->FindAt(x, y)) : nullptr;
}

TSheetNames SheetNamesAt(TSpaceTree* root, double x, double y) {
    TSheetNames names;
    TSMO_50* s = FindSheetAt(root, x, y);
    if (!s) return names;
    TSheetCell cell = SheetCellAt(s, x, y);
    names.Name50 = s->GetName();
    names.Quadrant25 = IntToStr(cell.Quadrant);
    names.Name5 = s->GetZkratka() + " " + ColRow(cell.Col, cell.Row);
    names.Name10 = s->GetZkratka() + " " + ColRow(Even(cell.Col), Even(cell.Row));
    names.Suffix2 = " / " + IntToStr(cell.Number2);
    return names;
}

// ---- TMapSpace -----------------------------------------------------------------------------

void TMapSpace::Publish(PropertyTable& t) {
    t.Str<TMapSpace>("Jmeno", &TMapSpace::GetJmeno, &TMapSpace::SetJmeno).Stored(false);
    t.Str<TMapSpace>("Zkratka", &TMapSpace::GetZkratka, &TMapSpace::SetZkratka);
    t.Str<TMapSpace>("FullName", &TMapSpace::GetFullName, nullptr).Stored(false);
    t.Str<TMapSpace>("ColRowText", &TMapSpace::GetColRowText, nullptr).Stored(false);
    t.Int<TMapSpace>("Cislo", &TMapSpace::GetCislo, &TMapSpace::SetCislo);
    t.Bool<TMapSpace>("Selected", &TMapSpace::GetSelected, &TMapSpace::SetSelected);
    t.Float<TMapSpace>("Scale", &TMapSpace::GetScale, &TMapSpace::SetScale);
    t.Str<TMapSpace>("TopMSName", &TMapSpace::GetTopMSName, nullptr).Stored(false);
    t.Str<TMapSpace>("BottomMSName", &TMapSpace::GetBottomMSName, nullptr).Stored(false);
    t.Str<TMapSpace>("LeftMSName", &TMapSpace::GetLeftMSName, nullptr).Stored(false);
    t.Str<TMapSpace>("RightMSName", &TMapSpace::GetRightMSName, nullptr).Stored(false);
    t.Str<TMapSpace>("TopMSFullName", &TMapSpace::GetTopMSFullName, nullptr).Stored(false);
    t.Str<TMapSpace>("BottomMSFullName", &TMapSpace::GetBottomMSFullName, nullptr).Stored(false);
    t.Str<TMapSpace>("LeftMSFullName", &TMapSpace::GetLeftMSFullName, nullptr).Stored(false);
    t.Str<TMapSpace>("RightMSFullName", &TMapSpace::GetRightMSFullName, nullptr).Stored(false);
    t.Obj<TMapSpace, TMapSpace>("SelfCopyWithDetail", &TMapSpace::GetSelfCopyWithDetail, nullptr).Stored(false);
    t.Float<TMapSpace>("PageWidth", &TMapSpace::GetPageWidth, nullptr).Stored(false);
    t.Float<TMapSpace>("PageHeight", &TMapSpace::GetPageHeight, nullptr).Stored(false);
}

double TMapSpace::GetPageWidth() {
    double s = GetScale();
    return s == 0 ? 0 : GetWidth() / s;
}

double TMapSpace::GetPageHeight() {
    double s = GetScale();
    return s == 0 ? 0 : GetHeight() / s;
}

double TMapSpace::GetScale() { return 0; }
void TMapSpace::SetScale(double) {}

void TMapSpace::SheetSize(double& w, double& h) { w = h = 0; }
TMapSpace* TMapSpace::SheetAt(TSMO*, double, double) { return nullptr; }
std::string TMapSpace::NameAt(TSMO*, double, double, bool) { return ""; }

// The neighbour point lies one sheet size of the series beyond the centre.
static void NeighbourPoint(TMapSpace* sheet, int side, double w, double h, double& x, double& y) {
    x = sheet->GetCenterX();
    y = sheet->GetCenterY();
    switch (side) {
        case sdTop: y += h; break;
        case sdBottom: y -= h; break;
        case sdLeft: x -= w; break;
        default: x += w; break;
    }
}

TMapSpace* TMapSpace::Neighbour(int side) {
    TSMO* root = GetRoot();
    if (!root) return nullptr;
    double w, h, x, y;
    SheetSize(w, h);
    NeighbourPoint(this, side, w, h, x, y);
    return SheetAt(root, x, y);
}

std::string TMapSpace::NeighbourName(int side, bool full) {
    double w, h, x, y;
    SheetSize(w, h);
    NeighbourPoint(this, side, w, h, x, y);
    return NameAt(GetRoot(), x, y, full);
}

TMapSpace* TMapSpace::TopSheet() { return Neighbour(sdTop); }
TMapSpace* TMapSpace::BottomSheet() { return Neighbour(sdBottom); }
TMapSpace* TMapSpace::LeftSheet() { return Neighbour(sdLeft); }
TMapSpace* TMapSpace::RightSheet() { return Neighbour(sdRight); }
std::string TMapSpace::GetTopMSName() { return NeighbourName(sdTop, false); }
std::string TMapSpace::GetBottomMSName() { return NeighbourName(sdBottom, false); }
std::string TMapSpace::GetLeftMSName() { return NeighbourName(sdLeft, false); }
std::string TMapSpace::GetRightMSName() { return NeighbourName(sdRight, false); }
std::string TMapSpace::GetTopMSFullName() { return NeighbourName(sdTop, true); }
std::string TMapSpace::GetBottomMSFullName() { return NeighbourName(sdBottom, true); }
std::string TMapSpace::GetLeftMSFullName() { return NeighbourName(sdLeft, true); }
std::string TMapSpace::GetRightMSFullName() { return NeighbourName(sdRight, true); }

TSMO* TMapSpace::GetRoot() { return As<TSMO>(FindClassInOwners(TSMO::StaticClass())); }

std::string TMapSpace::GetFullName() {
    auto* s = As<TSMO_50>(FindClassInOwners(TSMO_50::StaticClass()));
    return s ? s->GetName() + "  " + GetColRowText() : "";
}

std::string TMapSpace::GetColRowText() { return ""; }

void TMapSpace::CreateDetail() {}

TMapSpace* TMapSpace::NewCopy() {
    auto* copy = static_cast<TMapSpace*>(ClassType()->CreateInstance());
    copy->Assign(this);
    copy->FName = FName;
    copy->FZkratka = FZkratka;
    copy->FCislo = FCislo;
    return copy;
}

TMapSpace* TMapSpace::GetSelfCopyWithDetail() {
    TMapSpace* copy = NewCopy();
    copy->CreateDetail();
    return copy;
}

void TMapSpace::Load(TReader& reader, TEntity* dictionary) {
    inherited::Load(reader, dictionary);
    FCislo = reader.ReadInteger();
    SetZkratka(reader.ReadString());
    FSelected = reader.ReadBoolean();
    SetScale(reader.ReadFloat());
}

void TMapSpace::Save(TWriter& writer) {
    inherited::Save(writer);
    writer.WriteInteger(FCislo);
    writer.WriteString(FZkratka);
    writer.WriteBoolean(FSelected);
    writer.WriteFloat(GetScale());
}

// ---- TZMSpace ------------------------------------------------------------------------------

void TZMSpace::Publish(PropertyTable& t) {
    t.Float<TZMSpace>("Scale", &TZMSpace::GetScale, &TZMSpace::SetScale).Stored(false);
    t.Float<TZMSpace>("Angle", &TZMSpace::GetAngle, [](TZMSpace*, double) {}).Stored(false);
    t.Float<TZMSpace>("RAngle", &TZMSpace::GetRAngle, nullptr).Stored(false);
}

TMapsZM* ZMChildOf(TEntity* owner, TMapsZM*& held) {
    if (held && owner->IndexOf(held) >= 0) return held;
    held = nullptr;
    for (int32_t i = 0; i < owner->ElementsCount() && !held; ++i) {
        TElement* e = owner->Get(i);
        if (e && AnsiSameText(e->GetName(), "ZM")) held = As<TMapsZM>(e);
    }
    if (!held) {
        held = TMapsZM::New();
        held->SetName("ZM");
        owner->AddElement(held);
    }
    return held;
}

TMapsZM* TZMSpace::GetZM() { return ZMChildOf(this, FZM); }

void TZMSpace::AssignZM(TMapsZM* zm) {
    if (!zm) return;
    TMapsZM* own = GetZM();
    own->SetScale(zm->GetScale());
    own->SetMap200(zm->GetMap200());
    own->SetMap100(zm->GetMap100());
    own->SetMap50(zm->GetMap50());
    own->SetMap25(zm->GetMap25());
    own->SetMap10(zm->GetMap10());
    own->SetColor(zm->GetColor());
    own->SetPenWidth(zm->GetPenWidth());
    own->SetPenStyle(zm->GetPenStyle());
}

double TZMSpace::GetScale() { return GetZM()->GetScale(); }

void TZMSpace::SetScale(double s) {
    if (!std::isfinite(s) || std::fabs(s) > INT32_MAX) return;
    GetZM()->SetScale(static_cast<int32_t>(Round(s)));
}

// ---- TSMO_2 --------------------------------------------------------------------------------

void TSMO_2::Publish(PropertyTable& t) {
    t.Int<TSMO_2>("Col", &TSMO_2::GetCol, &TSMO_2::SetCol);
    t.Int<TSMO_2>("Row", &TSMO_2::GetRow, &TSMO_2::SetRow);
}

std::string TSMO_2::GetColRowText() {
    auto* parent = As<TSMO_5>(FindClassInOwners(TSMO_5::StaticClass()));
    return parent ? parent->GetColRowText() + " / " + IntToStr(FCislo) : "";
}

void TSMO_2::SheetSize(double& w, double& h) {
    w = kHalf2X;
    h = kHalf2Y;
}

TMapSpace* TSMO_2::SheetAt(TSMO*, double, double) { return nullptr; }

std::string TSMO_2::NameAt(TSMO* root, double x, double y, bool full) {
    TSMO_50* s = FindSheetAt(root, x, y);
    if (!s) return "";
    TSheetCell cell = SheetCellAt(s, x, y);
    return Prefix(s, full) + ColRow(cell.Col, cell.Row) + " / " + IntToStr(cell.Number2);
}

void TSMO_2::LoadColRow(TReader& reader) {
    unsigned char b[8];
    reader.Read(b, 8);
    auto word = [&](int at) {
        return static_cast<int32_t>(static_cast<uint32_t>(b[at]) | static_cast<uint32_t>(b[at + 1]) << 8 |
                                    static_cast<uint32_t>(b[at + 2]) << 16 | static_cast<uint32_t>(b[at + 3]) << 24);
    };
    FCol = word(0);
    FRow = word(4);
}

void TSMO_2::SaveColRow(TWriter& writer) {
    unsigned char b[8];
    for (int i = 0; i < 4; ++i) {
        b[i] = static_cast<unsigned char>(static_cast<uint32_t>(FCol) >> (8 * i));
        b[4 + i] = static_cast<unsigned char>(static_cast<uint32_t>(FRow) >> (8 * i));
    }
    writer.Write(b, 8);
}

void TSMO_2::Load(TReader& reader, TEntity* dictionary) {
    inherited::Load(reader, dictionary);
    LoadColRow(reader);
}

void TSMO_2::Save(TWriter& writer) {
    inherited::Save(writer);
    SaveColRow(writer);
}

// ---- TSMO_5 --------------------------------------------------------------------------------

std::string TSMO_5::GetColRowText() { return ColRow(FCol, FRow); }

void TSMO_5::SheetSize(double& w, double& h) {
    w = kCell5X;
    h = kCell5Y;
}

TMapSpace* TSMO_5::SheetAt(TSMO* root, double x, double y) {
    return As<TMapSpace>(FindSheetAtDepth(root, 3, x, y));
}

std::string TSMO_5::NameAt(TSMO* root, double x, double y, bool full) {
    TSMO_50* s = FindSheetAt(root, x, y);
    if (!s) return "";
    TSheetCell cell = SheetCellAt(s, x, y);
    return Prefix(s, full) + ColRow(cell.Col, cell.Row);
}

TMapSpace* TSMO_5::NewCopy() {
    auto* copy = static_cast<TSMO_5*>(inherited::NewCopy());
    copy->FCol = FCol;
    copy->FRow = FRow;
    return copy;
}

void TSMO_5::CreateDetail() {
    for (int32_t s = 0; s <= 1; ++s)
        for (int32_t t = 0; t <= 1; ++t) GetDetail(s, t);
}

TMapSpace* TSMO_5::GetSelfCopyWithDetail() {
    TMapSpace* copy = NewCopy();
    copy->CreateDetail();
    copy->SetName(" ");
    return copy;
}

TSMO_2* TSMO_5::FindDetail(int32_t s, int32_t t) { return FindColRow<TSMO_2>(this, s, t); }

TSMO_2* TSMO_5::NewDetail() { return TSMO_2::New(); }

TSMO_2* TSMO_5::GetDetail(int32_t s, int32_t t) {
    if (TSMO_2* d = FindDetail(s, t)) return d;
    TSMO_2* d = NewDetail();
    d->SetCislo(Number2Of(s, t));
    return PlaceDetail(this, d, GetMaxX() - s * kHalf2X, GetMaxY() - t * kHalf2Y, kHalf2X, kHalf2Y, s, t,
                       GetName() + " / " + IntToStr(d->GetCislo()), FZkratka);
}

void TSMO_5::Load(TReader& reader, TEntity* dictionary) {
    inherited::Load(reader, dictionary);
    LoadColRow(reader);
}

void TSMO_5::Save(TWriter& writer) {
    inherited::Save(writer);
    SaveColRow(writer);
}

// ---- TSMO_25 -------------------------------------------------------------------------------

std::string TSMO_25::GetColRowText() { return "25-" + IntToStr(FCislo); }

void TSMO_25::SheetSize(double& w, double& h) {
    w = 12500;
    h = 10000;
}

TMapSpace* TSMO_25::SheetAt(TSMO* root, double x, double y) {
    TSMO_50* s = FindSheetAt(root, x, y);
    if (!s) return nullptr;
    TSheetCell cell = SheetCellAt(s, x, y);
    return s->FindDetail25(cell.Col, cell.Row);
}

std::string TSMO_25::NameAt(TSMO* root, double x, double y, bool full) {
    TSMO_50* s = FindSheetAt(root, x, y);
    if (!s) return "";
    TSheetCell cell = SheetCellAt(s, x, y);
    return (full ? s->GetFullName() : s->GetZkratka()) + "25-" + IntToStr(cell.Quadrant);
}

void TSMO_25::CollectDetail5() {
    TSMO* root = GetRoot();
    if (!root) return;
    TSMO_50* s = FindSheetAt(root, GetMinX() + 10, GetMinY() + 10);
    if (!s) return;
    for (int32_t i = 0; i <= 4; ++i)
        for (int32_t j = 0; j <= 4; ++j)
            if (TSMO_5* d = s->FindDetail5(FCol + i, FRow + j); d && IndexOf(d) < 0) AddElement(d);
}

TMapSpace* TSMO_25::GetSelfCopyWithDetail() {
    auto* copy = static_cast<TSMO_25*>(NewCopy());
    // The copy stays among the root's children: it finds its sheets, neighbours and full
    // name through the root.
    if (TSMO* root = GetRoot()) root->AddElement(copy);
    TElementHolder<TSMO_25> held(copy);
    copy->CollectDetail5();
    held.Release();
    copy->SetName(" ");
    return copy;
}

// ---- TSMO_10 -------------------------------------------------------------------------------

void TSMO_10::SheetSize(double& w, double& h) {
    w = 5000;
    h = 4000;
}

TMapSpace* TSMO_10::SheetAt(TSMO* root, double x, double y) {
    return As<TMapSpace>(FindSheetAtDepth(root, 2, x, y));
}

std::string TSMO_10::NameAt(TSMO* root, double x, double y, bool full) {
    TSMO_50* s = FindSheetAt(root, x, y);
    if (!s) return "";
    TSheetCell cell = SheetCellAt(s, x, y);
    return Prefix(s, full) + ColRow(Even(cell.Col), Even(cell.Row));
}

void TSMO_10::CreateDetail() {
    for (int32_t i = 0; i <= 1; ++i)
        for (int32_t j = 0; j <= 1; ++j) GetDetail(FCol + i, FRow + j);
}

TSMO_5* TSMO_10::FindDetail(int32_t c, int32_t r) { return FindColRow<TSMO_5>(this, c, r); }

TSMO_5* TSMO_10::NewDetail() { return TSMO_5::New(); }

TSMO_5* TSMO_10::GetDetail(int32_t c, int32_t r) {
    if (TSMO_5* d = FindDetail(c, r)) return d;
    double maxX = c % 2 != 0 ? GetMaxX() - kCell5X : GetMaxX();
    double maxY = r % 2 != 0 ? GetMaxY() - kCell5Y : GetMaxY();
    return PlaceDetail(this, NewDetail(), maxX, maxY, kCell5X, kCell5Y, c, r, FZkratka + " " + ColRow(c, r), FZkratka);
}

// ---- TSMO_50 -------------------------------------------------------------------------------

void TSMO_50::Publish(PropertyTable& t) {
    t.Obj<TSMO_50, TMapSpace>("SelfCopyWithDetail10", &TSMO_50::GetSelfCopyWithDetail10, nullptr).Stored(false);
    t.Obj<TSMO_50, TMapSpace>("SelfCopyWithDetail25", &TSMO_50::GetSelfCopyWithDetail25, nullptr).Stored(false);
}

void TSMO_50::SheetSize(double& w, double& h) {
    w = 25000;
    h = 20000;
}

TMapSpace* TSMO_50::SheetAt(TSMO* root, double x, double y) { return FindSheetAt(root, x, y); }

std::string TSMO_50::NameAt(TSMO* root, double x, double y, bool full) {
    TSMO_50* s = FindSheetAt(root, x, y);
    if (!s) return full ? Cz("Není") : "";
    return full ? s->GetFullName() : s->GetName();
}

void TSMO_50::CreateDetail() {
    CreateDetail10();
    CreateDetail25();
}

TSMO_10* TSMO_50::NewDetail10() { return TSMO_10::New(); }
TSMO_25* TSMO_50::NewDetail25() { return TSMO_25::New(); }

void TSMO_50::CreateDetail10() {
    for (int32_t i = 0; i <= 9; ++i)
        for (int32_t j = 0; j <= 9; ++j) GetDetail10(i, j);
}

// Always four new quadrants, whatever the sheet holds already.
void TSMO_50::CreateDetail25() {
    for (int32_t n = 1; n <= 4; ++n) NewQuadrant(n);
}

TMapSpace* TSMO_50::GetSelfCopyWithDetail10() {
    auto* copy = static_cast<TSMO_50*>(NewCopy());
    copy->CreateDetail10();
    copy->SetName(" ");
    return copy;
}

TMapSpace* TSMO_50::GetSelfCopyWithDetail25() {
    auto* copy = static_cast<TSMO_50*>(NewCopy());
    copy->CreateDetail25();
    copy->SetName(" ");
    return copy;
}

TSMO_10* TSMO_50::FindDetail10(int32_t c, int32_t r) {
    c = Even(c);
    r = Even(r);
    return FindColRow<TSMO_10>(this, c, r);
}

TSMO_10* TSMO_50::GetDetail10(int32_t c, int32_t r) {
    c = Even(c);
    r = Even(r);
    if (TSMO_10* d = FindDetail10(c, r)) return d;
    return PlaceDetail(this, NewDetail10(), GetMaxX() - (c / 2) * 5000.0, GetMaxY() - (r / 2) * 4000.0, 5000, 4000, c,
                       r, FZkratka + " " + ColRow(c, r), FZkratka);
}

TSMO_5* TSMO_50::FindDetail5(int32_t c, int32_t r) {
    TSMO_10* d = FindDetail10(c, r);
    return d ? d->FindDetail(c, r) : nullptr;
}

TSMO_25* TSMO_50::FindQuadrant(int32_t n) {
    for (int32_t i = 0; i < ElementsCount(); ++i)
        if (auto* q = As<TSMO_25>(Get(i)); q && q->GetCislo() == n) return q;
    return nullptr;
}

TSMO_25* TSMO_50::FindDetail25(int32_t c, int32_t r) { return FindQuadrant(QuadrantOf(c, r)); }

TSMO_25* TSMO_50::GetDetail25(int32_t c, int32_t r) {
    if (TSMO_25* q = FindDetail25(c, r)) return q;
    return NewQuadrant(QuadrantOf(c, r));
}

TSMO_25* TSMO_50::NewQuadrant(int32_t n) {
    TSMO_25* q = NewDetail25();
    double minX = GetMinX(), minY = GetMinY(), maxX = GetMaxX(), maxY = GetMaxY();
    bool left = n == 1 || n == 3;  // quadrants 1 and 3 take the smaller x
    bool top = n == 1 || n == 2;
    q->SetRect(left ? minX : minX + 12500, top ? minY + 10000 : minY, left ? minX + 12500 : maxX,
               top ? maxY : minY + 10000);
    q->SetCol(left ? 5 : 0);
    q->SetRow(top ? 0 : 5);
    q->SetCislo(n);
    q->SetName(FZkratka + "25-" + IntToStr(n));
    q->SetZkratka(FZkratka);
    InsertElement(0, q);
    return q;
}

// ---- TSMO ----------------------------------------------------------------------------------

void TSMO::Create() {
    inherited::Create();
    FWCS = WorldWCS(1);
}

TWCS* TSMO::CoordinateSystem() {
    if (!FWCS || !IsLive(FWCS)) FWCS = WorldWCS(1);
    return FWCS;
}

TSMO_50* TSMO::NewSheet50() { return TSMO_50::New(); }

void TSMO::AddSheet(TMapSpace* sheet) { AddSpace(sheet); }
void TSMO::AddExtraSheet(TMapSpace* sheet) { AddSpace(sheet); }

TSMO_50* TSMO::AddSheetFromList(int32_t col, int32_t row, const std::string& name, const std::string& abbreviation) {
    TSMO_50* s = NewSheet50();
    double x1 = col * 25000.0, y1 = row * 20000.0;
    double x2 = x1 + 25000, y2 = y1 + 20000;
    if (TWCS* cs = CoordinateSystem()) {
        cs->Convert(x1, y1);
        cs->Convert(x2, y2);
    }
    s->SetRect(x1, y1, x2, y2);
    s->GetRect()->Sort();
    s->SetName(name);
    s->SetZkratka(abbreviation);
    AddSheet(s);
    return s;
}

void RegisterMapSpacesUnit() {
    RegisterZarixClass<TMapSpace>();
    RegisterZarixClass<TUserMapSpace>();
    RegisterZarixClass<TZMSpace>();
    RegisterZarixClass<TSMO_2>();
    RegisterZarixClass<TSMO_5>();
    RegisterZarixClass<TSMO_10>();
    RegisterZarixClass<TSMO_25>();
    RegisterZarixClass<TSMO_50>();
    RegisterZarixClass<TSMO>();
}
