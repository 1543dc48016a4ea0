#include "checker/geometry_checks.h"

#include <cmath>
#include <memory>

#include "gravo/topology.h"
#include "platform/sysutils.h"

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
        TLinComparator* comparator = TLinComparator::New();
        comparator->SetInput(line);
        comparator->OwnPieces = true;
        comparator->QTree = FQTree;
        comparator->Tolerance = Tolerance;
        std::unique_ptr<TLinesAbscEntity, void (*)(TPersistent*)> result(nullptr, &Free);
        try {
            comparator->DoIt();
            result.reset(As<TLinesAbscEntity>(comparator->Output));
        } catch (...) {
            Free(comparator);
            throw;
        }
        Free(comparator);
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

std::string TCheckPointPointDistance::GetErrorMsg() { return Error > 0 ? " sour:" + PositionText() : std::string(); }

bool TCheckPointPointDistance::Test() {
    Error = 0;
    TSpaceEntity* point = SpaceInput(this);
    if (!point) return true;
    double x = point->GetRefX(), y = point->GetRefY();
    if (FQTree) {
        TQTreeWalker(FQTree).Walk(x, y, x, y, Tolerance, [&](TSpaceEntity* other) {
            if (other == point || !(Mathlib::Distance(x, y, other->GetRefX(), other->GetRefY()) < Tolerance)) return true;
            State = 1;
            return false;
        });
    }
    if (State == 1) PlaceAt(point);
    if (!FQTree) FQTree = TSpaceEntityQTree::New();
    FQTree->AddSpaceEntity(point);
    return State != 1;
}

void TCheckPointPointDistance::Destroy() {
    if (FQTree) Free(FQTree);
    FQTree = nullptr;
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
