#include "checker/geometry_checks.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "gravo/topology.h"
#include "platform/sysutils.h"
#include "kernel/element_holder.h"

namespace {

TSpaceEntity* SpaceInput(TTool* tool) { return As<TSpaceEntity>(LiveInput(tool)); }

std::string ValueMsg(const char* label, double value, const std::string& position) {
    return Cz(label) + FloatToStr(value) + " sour:" + position;
}

}  // namespace

// ---- the bases ------------------------------------------------------------------------------

void TCheckSpaceEntity::Publish(PropertyTable& t) {
    using C = TCheckSpaceEntity;
    t.Field<C>("X", &C::X);
    t.Field<C>("Y", &C::Y);
    t.Field<C>("State", &C::State);
}

void TCheckSpaceEntity::Reset() {
    TCheckTool::Reset();
    X = Y = 0;
    State = 0;
}

std::string TCheckSpaceEntity::PositionText() { return "[" + FloatToStr(X) + "," + FloatToStr(Y) + "]"; }

void TCheckSpaceEntity::DoIt() {
    try {
        TCheckTool::DoIt();
    } catch (const std::exception& e) {
        // Not tested is not correct: the element counts as faulty, with the check's base
        // number (State 0, which no test gives) at its reference point.
        TElement* input = LiveInput(this);
        PostTextMsgToOwners(tm_TextNote, GetName() + ": " + (input ? input->GetName() : std::string()) + ": " + e.what());
        State = 0;
        X = Y = 0;
        if (auto* element = As<TSpaceEntity>(input)) PlaceAt(element);
        MarkUntested();
        Error = CheckNumber();
    }
}

void TCheckSpaceEntity::MarkUntested() {}

void TCheckSpaceEntity::PlaceAt(TSpaceEntity* element) {
    X = element->GetRefX();
    Y = element->GetRefY();
}

void TCheckSpaceEntitySingleValue::Publish(PropertyTable& t) {
    using C = TCheckSpaceEntitySingleValue;
    t.Field<C>("MinValue", &C::MinValue);
    t.Field<C>("MaxValue", &C::MaxValue);
    t.Float<C>("Value", &C::GetValue, nullptr).Stored(false);
    t.Field<C>("OutSide", &C::OutSide);
}

void TCheckSpaceEntitySingleValue::MarkUntested() { FValue = NAN; }

void TCheckSpaceEntitySingleValue::Classify(double v) {
    FValue = v;
    if (!OutSide) State = v < MinValue ? 1 : v > MaxValue ? 2 : 0;
    else State = MinValue <= v && v <= MaxValue ? 3 : 0;
}

// ---- angles and segment lengths ---------------------------------------------------------------

std::string TCheckPolyAngle::GetErrorMsg() {
    return Error > 0 ? ValueMsg("Hodnota:", FValue, PositionText()) : std::string();
}

bool TCheckPolyAngle::Test() {
    auto* poly = As<TPolyElement>(LiveInput(this));
    if (!poly || poly->VertexCount() < 3) return true;
    poly->OrientedVertices(true, FVertices);
    for (size_t i = 2; i < FVertices.size(); ++i) {
        const T2DPoint &a = FVertices[i - 2], &b = FVertices[i - 1], &c = FVertices[i];
        Classify(Mathlib::AngleAtVertex(a.X, a.Y, b.X, b.Y, c.X, c.Y));
        if (State > 0) {
            X = b.X;
            Y = b.Y;
            return false;
        }
    }
    return true;
}

void TCheckPolyAngle::Destroy() {
    FVertices = {};
    inherited::Destroy();
}

std::string TCheckPolyDistance::GetErrorMsg() {
    return Error > 0 ? ValueMsg("Hodnota: ", FValue, PositionText()) : std::string();
}

bool TCheckPolyDistance::Test() {
    auto* poly = As<TPolyElement>(LiveInput(this));
    if (!poly || poly->VertexCount() < 2) return true;
    for (int32_t i = 0; i + 1 < poly->VertexCount(); ++i) {
        Classify(Mathlib::Distance(poly->X(i), poly->Y(i), poly->X(i + 1), poly->Y(i + 1)));
        if (State > 0) {
            X = poly->X(i);
            Y = poly->Y(i);
            return false;
        }
    }
    return true;
}

// ---- overlay and distances ---------------------------------------------------------------------

void TCheckPolyLineOverlay::Publish(PropertyTable& t) {
    using C = TCheckPolyLineOverlay;
    t.Field<C>("Tolerance", &C::Tolerance);
    t.Obj<C, TQTreeTopLin>("QTree", &C::GetQTree, nullptr).Stored(false);
}

std::string TCheckPolyLineOverlay::GetErrorMsg() { return Error > 0 ? " sour:" + PositionText() : std::string(); }

bool TCheckPolyLineOverlay::Test() {
    Error = 0;
    auto* line = As<TPolyElement>(LiveInput(this));
    if (!line) return true;
    if (FQTree) {
        TElementHolder<TLinesAbscEntity> result;
        {
            TElementHolder<TLinComparator> comparator(TLinComparator::New());
            comparator->SetInput(line);
            comparator->OwnPieces = true;
            comparator->QTree = FQTree;
            comparator->Tolerance = Tolerance;
            comparator->DoIt();
            result.Reset(As<TLinesAbscEntity>(comparator->Output));
        }
        if (!result || result->Pieces.empty()) State = 3;
        else if (result->Pieces.front().Line != line) State = 2;
        else if (result->Changed) State = 1;
        else State = 0;
        if (State > 0) PlaceAt(line);
    }
    if (!FQTree) FQTree = TQTreeTopLin::New();
    FQTree->AddSpaceEntity(line);
    return State == 0;
}

void TCheckPolyLineOverlay::Destroy() {
    if (FQTree) Free(FQTree);
    FQTree = nullptr;
    inherited::Destroy();
}

void TCheckPointPointDistance::Publish(PropertyTable& t) {
    using C = TCheckPointPointDistance;
    t.Field<C>("Tolerance", &C::Tolerance);
    t.Obj<C, TSpaceEntityQTree>("QTree", &C::GetQTree, nullptr).Stored(false);
}

// The points tested so far, in the order tested, each also kept in a square cell of the
// tolerance's side by its reference point: a point nearer than the tolerance to (x, y)
// lies in a cell met by the square reaching the tolerance around (x, y) on every side. The
// cells hold only points whose reference point lies in their rectangle, the one the tree
// finds them by; after any other point the tree serves the check.
struct TCheckPointPointDistance::PointCells {
    struct Item {
        TSpaceEntity* Element;
        uint64_t Serial;
        double X, Y;   // the reference point when added
        int32_t Next;  // the item added before it to the same cell, -1: none
    };
    struct Slot {
        uint64_t Cell;  // the column in the high half, the row in the low half
        int32_t Head;   // -1: an empty slot
    };
    std::vector<Item> Items;
    std::vector<Slot> Slots;  // open addressing, at most half full
    size_t Filled = 0;
    double Side = 0;    // the cells' side; 0: the items are not in cells
    bool Cells = true;  // false once a reference point lay outside its rectangle

    // The column or row of a coordinate. Monotonic, so that no point is lost to rounding
    // or to the clamp (beyond it the cells only grow crowded).
    static int32_t CellOf(double v, double side) {
        constexpr double kLimit = 2147483647.0;
        return static_cast<int32_t>(std::clamp(std::floor(v / side), -kLimit, kLimit));
    }
    static uint64_t CellKey(int32_t cx, int32_t cy) {
        return static_cast<uint64_t>(static_cast<uint32_t>(cx)) << 32 | static_cast<uint32_t>(cy);
    }
    // Four cells of a column share a hash, so the cells around a point lie in few stretches
    // of the table.
    size_t SlotOf(uint64_t key) const {
        uint64_t h = (key >> 2) * 0x9E3779B97F4A7C15ULL;
        const size_t mask = Slots.size() - 1;
        size_t i = (static_cast<size_t>(h >> 29) + static_cast<size_t>(key & 3)) & mask;
        while (Slots[i].Head >= 0 && Slots[i].Cell != key) i = (i + 1) & mask;
        return i;
    }
    void Place(int32_t index) {
        Item& item = Items[static_cast<size_t>(index)];
        const uint64_t key = CellKey(CellOf(item.X, Side), CellOf(item.Y, Side));
        Slot& slot = Slots[SlotOf(key)];
        if (slot.Head < 0) {
            slot.Cell = key;
            ++Filled;
        }
        item.Next = slot.Head;
        slot.Head = index;
    }
    // Puts every item into cells of the side, in a table at most half full.
    void Arrange(double side) {
        Side = side;
        size_t size = 1024;
        while (size < Items.size() * 2 + 2) size *= 2;
        Slots.assign(size, Slot{0, -1});
        Filled = 0;
        for (size_t i = 0; i < Items.size(); ++i) Place(static_cast<int32_t>(i));
    }
    // An empty set of cells, with the memory of an earlier check's when there is one.
    static PointCells* Take();
    // Frees the cells or keeps their memory for the next check of the thread.
    static void Give(PointCells* cells);
    // Adds a point the tree would take: a non-empty one with a finite rectangle.
    void Add(TSpaceEntity* point, double tolerance) {
        if (!point->NotEmpty()) return;
        const TRectangle& r = point->Rect();
        if (r.IsEmpty() || !std::isfinite(r.Min.X) || !std::isfinite(r.Min.Y) || !std::isfinite(r.Max.X) ||
            !std::isfinite(r.Max.Y))
            return;
        const double x = point->GetRefX(), y = point->GetRefY();
        Items.push_back({point, point->Serial(), x, y, -1});
        if (!(r.Min.X <= x && x <= r.Max.X && r.Min.Y <= y && y <= r.Max.Y)) Cells = false;
        if (!Cells) return;
        if (Side != tolerance || Side == 0) {
            Side = 0;  // arranged again by the next search
            return;
        }
        if ((Filled + 1) * 2 > Slots.size()) Arrange(Side);
        else Place(static_cast<int32_t>(Items.size() - 1));
    }
    // Whether another live point lies nearer than the tolerance (finite, above 0) to the
    // point's reference point (x, y), finite.
    bool AnyNear(const TSpaceEntity* point, double x, double y, double tolerance) {
        if (Side != tolerance) Arrange(tolerance);
        const int64_t x0 = CellOf(x - tolerance, Side), x1 = CellOf(x + tolerance, Side);
        const int64_t y0 = CellOf(y - tolerance, Side), y1 = CellOf(y + tolerance, Side);
        for (int64_t cx = x0; cx <= x1; ++cx)
            for (int64_t cy = y0; cy <= y1; ++cy)
                for (int32_t i = Slots[SlotOf(CellKey(static_cast<int32_t>(cx), static_cast<int32_t>(cy)))].Head; i >= 0;
                     i = Items[static_cast<size_t>(i)].Next) {
                    const Item& other = Items[static_cast<size_t>(i)];
                    if (other.Element == point || !IsLive(other.Element, other.Serial)) continue;
                    if (Mathlib::Distance(x, y, other.Element->GetRefX(), other.Element->GetRefY()) < tolerance)
                        return true;
                }
        return false;
    }
};

namespace {
// The cells of the last check of this thread that held the most points, emptied: the
// next check takes their memory instead of fresh pages.
thread_local std::unique_ptr<TCheckPointPointDistance::PointCells> gSpareCells;
}  // namespace

TCheckPointPointDistance::PointCells* TCheckPointPointDistance::PointCells::Take() {
    if (gSpareCells) return gSpareCells.release();
    return new PointCells;
}

void TCheckPointPointDistance::PointCells::Give(PointCells* cells) {
    if (!cells) return;
    if (gSpareCells && gSpareCells->Items.capacity() >= cells->Items.capacity()) {
        delete cells;
        return;
    }
    cells->Items.clear();
    cells->Slots.clear();
    cells->Filled = 0;
    cells->Side = 0;
    cells->Cells = true;
    gSpareCells.reset(cells);
}

TSpaceEntityQTree* TCheckPointPointDistance::GetQTree() const {
    if (!FPoints) return nullptr;
    if (!FQTree) FQTree = TSpaceEntityQTree::New();
    for (; FInTree < FPoints->Items.size(); ++FInTree) {
        const PointCells::Item& item = FPoints->Items[FInTree];
        if (IsLive(item.Element, item.Serial)) FQTree->AddSpaceEntity(item.Element);
    }
    return FQTree;
}

std::string TCheckPointPointDistance::GetErrorMsg() { return Error > 0 ? " sour:" + PositionText() : std::string(); }

bool TCheckPointPointDistance::Test() {
    Error = 0;
    TSpaceEntity* point = SpaceInput(this);
    if (!point) return true;
    double x = point->GetRefX(), y = point->GetRefY();
    // Nothing is nearer than no tolerance; the cells serve a finite one.
    if (FPoints && !FPoints->Items.empty() && Tolerance > 0) {
        if (FPoints->Cells && std::isfinite(Tolerance)) {
            if (std::isfinite(x) && std::isfinite(y) && FPoints->AnyNear(point, x, y, Tolerance)) State = 1;
        } else {
            TQTreeWalker(GetQTree()).Walk(x, y, x, y, Tolerance, [&](TSpaceEntity* other) {
                if (other == point || !(Mathlib::Distance(x, y, other->GetRefX(), other->GetRefY()) < Tolerance)) return true;
                State = 1;
                return false;
            });
        }
    }
    if (State == 1) PlaceAt(point);
    if (!FPoints) FPoints = PointCells::Take();
    FPoints->Add(point, Tolerance);
    return State != 1;
}

void TCheckPointPointDistance::Destroy() {
    if (FQTree) Free(FQTree);
    FQTree = nullptr;
    PointCells::Give(FPoints);
    FPoints = nullptr;
    FInTree = 0;
    inherited::Destroy();
}

void TCheckPointLineDistance::Publish(PropertyTable& t) {
    using C = TCheckPointLineDistance;
    t.Field<C>("Tolerance", &C::Tolerance);
    t.Field<C>("InTolerance", &C::InTolerance);
    t.Obj<C, TQTreeTopLin>("QTree", &C::GetQTree, nullptr).Stored(false);
    t.Bool<C>("Exclude", [](C* c) { return c->GetFilter()->Exclude; }, [](C* c, bool v) { c->GetFilter()->Exclude = v; })
        .Stored(false);
    t.Str<C>("PropertyName", [](C* c) { return c->GetFilter()->PropertyName; },
             [](C* c, const std::string& v) { c->GetFilter()->PropertyName = v; })
        .Stored(false);
    t.Str<C>("ValuesString", [](C* c) { return c->GetFilter()->GetValuesString(); },
             [](C* c, const std::string& v) { c->GetFilter()->SetValuesString(v); })
        .Stored(false);
}

TIntegerPropertyFilter* TCheckPointLineDistance::GetFilter() { return ChildOnFirstUse(this, FFilter); }

std::string TCheckPointLineDistance::GetErrorMsg() { return Error > 0 ? " sour:" + PositionText() : std::string(); }

bool TCheckPointLineDistance::Test() {
    Error = 0;
    TSpaceEntity* point = SpaceInput(this);
    if (!point) return true;
    // The filter set by a script or brought by a model file; none is made here.
    if (TIntegerPropertyFilter* filter = ChildIfAny(this, FFilter); filter && filter->GetValues()->ElementsCount() > 0) {
        filter->SetInput(point);
        filter->DoIt();
        if (!filter->Result) return true;
    }
    if (!FQTree) {
        TEntity* points = point->FindOwnerClass(TPointString::StaticClass());
        TEntity* model = points ? points->FindOwnerClass(TRectEntity::StaticClass()) : nullptr;
        auto* lines = model ? As<TPolyLineString>(model->FindElementClass(TPolyLineString::StaticClass())) : nullptr;
        if (!lines) return true;
        FQTree = TQTreeTopLin::New();
        for (int32_t i = 0; i < lines->ElementsCount(); ++i) FQTree->AddSpaceEntity(As<TSpaceEntity>(lines->Get(i)));
    }
    if (FQTree->Count() == 0) return true;
    State = InTolerance ? 1 : 0;
    double x = point->GetRefX(), y = point->GetRefY();
    TQTreeWalker(FQTree).Walk(x, y, x, y, Tolerance, [&](TSpaceEntity* line) {
        if (!line->IsNearXY(point->GetMinX(), point->GetMinY(), Tolerance)) return true;
        State = InTolerance ? 0 : 1;
        return false;
    });
    if (State >= 1) {
        PlaceAt(point);
        return false;
    }
    return true;
}

void TCheckPointLineDistance::Destroy() {
    if (FQTree) Free(FQTree);
    FQTree = nullptr;
    FFilter = nullptr;  // a child
    inherited::Destroy();
}

// ---- areas and topology -----------------------------------------------------------------------

namespace {
std::string XYMsg(double x, double y) { return " X: " + FloatToStr(x) + " Y: " + FloatToStr(y); }
}  // namespace

std::string TCheckAreaPointInside::GetErrorMsg() { return Error > 0 ? XYMsg(X, Y) : std::string(); }

bool TCheckAreaPointInside::Test() {
    State = 0;
    auto* area = As<TAreaElement>(LiveInput(this));
    if (!area) return true;
    PlaceAt(area);
    if (area->IsPointInside(X, Y)) return true;
    State = 1;
    return false;
}

std::string TCheckGravoAreaInFather::GetErrorMsg() { return Error > 0 ? XYMsg(X, Y) : std::string(); }

bool TCheckGravoAreaInFather::Test() {
    State = 0;
    TSpaceEntity* element = SpaceInput(this);
    if (!element) return true;
    auto* props = As<TGravoAreaProps>(element->GetPropertyObject());
    if (!props || props->FatherIndex < 0) return true;
    TGravoTopology* topology = props->GetTopology();
    if (!topology) return true;
    PlaceAt(element);
    auto* father = As<TAreaElement>(topology->GetElement('P', props->FatherIndex));
    if (!father) State = 1;
    else if (!father->IsPointInside(X, Y)) State = 2;
    return State == 0;
}

std::string TCheckLineConnection::GetErrorMsg() { return Error > 0 ? XYMsg(X, Y) : std::string(); }

bool TCheckLineConnection::Test() {
    State = 0;
    TSpaceEntity* line = SpaceInput(this);
    if (!line) return true;
    auto* props = As<TGravoProps>(line->GetPropertyObject());
    if (!props) return true;
    PlaceAt(line);
    TLineLinks l = ReadLinkRecord(props->LinkRecord);
    int32_t own = props->Number;
    if (l.A < 1) State = 1;
    if (l.B < 1) State = 2;
    if (l.C < 1) State = 3;
    if (l.D < 1) State = 4;
    if (own == l.A && l.FlagA) State = 5;
    if (own == l.B && !l.FlagB) State = 6;
    return State == 0;
}
