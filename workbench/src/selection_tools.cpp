#include "workbench/selection_tools.h"

#include "composition/modelfile.h"
#include "device/device.h"
#include "kernel/class_registry.h"
#include "platform/host.h"
#include "platform/sysutils.h"
#include "space/space.h"
#include "workbench/choice_interpret.h"
#include "workbench/form_tool_manager.h"
#include "kernel/element_holder.h"

namespace {

constexpr TColor kRed = 0x0000FF, kWhite = 0xFFFFFF, kBlack = 0x000000;

bool IsAny(TElement* e, std::initializer_list<const TClassInfo*> classes) {
    for (const TClassInfo* c : classes)
        if (e->InheritsFrom(c)) return true;
    return false;
}

}  // namespace

// ---- TPickUper -----------------------------------------------------------------------------

void TPickUper::Publish(PropertyTable& t) {
    using C = TPickUper;
    t.Bool<C>("Found", &C::GetFound, nullptr).Stored(false);
    t.Float<C>("X", &C::GetX, &C::SetX);
    t.Float<C>("Y", &C::GetY, &C::SetY);
    t.Field("Tolerance", &C::Tolerance);
}

T2DCoordinate* TPickUper::Probe() {
    if (!FProbe) FProbe = T2DCoordinate::New(0, 0);
    return FProbe;
}

double TPickUper::GetX() { return Probe()->GetX(); }
double TPickUper::GetY() { return Probe()->GetY(); }
void TPickUper::SetX(double x) { Probe()->SetX(x); }
void TPickUper::SetY(double y) { Probe()->SetY(y); }

void TPickUper::DoIt() {
    FFound = false;
    inherited::DoIt();
}

void TPickUper::GoInside(TElement* element) {
    auto* entity = As<TEntity>(element);
    if (NotInside || !entity || FFound) return;
    ++Level;
    int32_t count = entity->ElementsCount();
    for (int32_t i = 0; i < count && !FFound; ++i) {
        TElement* child = entity->Get(i);
        if (!child || !IsLive(child)) continue;
        if (QProcessBefore(child)) Process(child);
        if (QGoInside(child)) GoInside(child);
    }
    --Level;
}

bool TPickUper::MayHit(TElement* element) const {
    auto* r = As<TRectEntity>(element);
    if (!r || !FProbe) return false;
    double x = FProbe->GetX(), y = FProbe->GetY();
    return x >= r->GetMinX() - Tolerance && x <= r->GetMaxX() + Tolerance && y >= r->GetMinY() - Tolerance &&
           y <= r->GetMaxY() + Tolerance;
}

void TPickUper::Process(TElement* element) {
    auto* e = As<TSpaceEntity>(element);
    if (FFound || !e || !FProbe) return;
    FFound = e->IsNear(FProbe, Tolerance);
    if (FFound) SetOutput(e);
}

void TPickUper::Destroy() {
    if (FProbe) Free(FProbe);
    FProbe = nullptr;
    inherited::Destroy();
}

bool TPickUpPoint::QGoInside(TElement* e) {
    return !FFound && e->Is<TRectEntity>() &&
           !IsAny(e, {TAreaString::StaticClass(), TPolyLineString::StaticClass(), TPolyLineElement::StaticClass(),
                      TAreaElement::StaticClass()});
}
bool TPickUpPoint::QProcessBefore(TElement* e) { return !FFound && e->Is<TPointElement>() && MayHit(e); }

bool TPickUpPolyLine::QGoInside(TElement* e) {
    return !FFound && e->Is<TRectEntity>() &&
           !IsAny(e, {TPolyLineElement::StaticClass(), TAreaElement::StaticClass(), TAreaString::StaticClass(),
                      TPointString::StaticClass()});
}
bool TPickUpPolyLine::QProcessBefore(TElement* e) { return !FFound && e->Is<TPolyLineElement>() && MayHit(e); }

bool TPickUpArea::QGoInside(TElement* e) {
    return !FFound && e->Is<TRectEntity>() &&
           !IsAny(e, {TAreaElement::StaticClass(), TPolyLineElement::StaticClass(), TPolyLineString::StaticClass(),
                      TPointString::StaticClass()});
}
bool TPickUpArea::QProcessBefore(TElement* e) { return !FFound && e->Is<TAreaElement>() && MayHit(e); }

// ---- TObjectSelector ---------------------------------------------------------------------

void TObjectSelector::Publish(PropertyTable& t) {
    using C = TObjectSelector;
    t.Field("ShowProperties", &C::ShowProperties);
    t.Field("DontViewProps", &C::DontViewProps);
    t.Field("DontViewDBF", &C::DontViewDBF);
    t.Obj<C, TTool>("onSelect", &C::GetOnSelect, &C::SetOnSelect).Stored(false);
    t.Field("PixelTolerance", &C::PixelTolerance);
}

void TObjectSelector::Create() {
    inherited::Create();
    PixelTolerance = 5;
}

TTool* TObjectSelector::GetOnSelect() const {
    return FOnSelect && IsLive(FOnSelect, FOnSelectSerial) ? FOnSelect : nullptr;
}

void TObjectSelector::SetOnSelect(TTool* tool) {
    FOnSelect = tool;
    FOnSelectSerial = tool ? tool->Serial() : 0;
}

void TObjectSelector::SetInput(TElement* element) {
    inherited::SetInput(element);
    FInputSerial = element ? element->Serial() : 0;
}

double TObjectSelector::ModelLength(double pixels) {
    TDevice* d = GetDevice();
    TPageProjection* p = d ? d->GetProjection() : nullptr;
    if (!p) throw Exception("No projection");
    return p->GetModelLength(pixels);
}

void TObjectSelector::XCross(double x, double y, int halfSize) {
    TDevice* d = GetDevice();
    double h = ModelLength(halfSize);
    d->MoveTo(x - h, y - h);
    d->LineTo(x + h, y + h);
    d->MoveTo(x - h, y + h);
    d->LineTo(x + h, y - h);
}

void TObjectSelector::PlusCross(double x, double y, int halfSize) {
    TDevice* d = GetDevice();
    double h = ModelLength(halfSize);
    d->MoveTo(x - h, y);
    d->LineTo(x + h, y);
    d->MoveTo(x, y - h);
    d->LineTo(x, y + h);
}

void TObjectSelector::FollowUp(TElement* element) {
    TTool* tool = GetOnSelect();
    if (!tool) return;
    tool->SetInput(element);
    tool->SetNameParameter("FTM", GetManager());
    tool->DoIt();
}

void TObjectSelector::Select(TZarixMessage* message, bool& handled) {
    handled = true;
    auto* event = As<TZarixMouseEvent>(message);
    if (!event || event->Button != mbLeft) return;
    try {
        TDevice* device = GetDevice();
        TPageProjection* projection = device ? device->GetProjection() : nullptr;
        if (!projection) throw Exception("No projection");
        TElement* hit = nullptr;
        {
            TElementHolder<TPickUper> pick(NewPickUper());
            if (!pick) return;
            if (UsesTolerance()) pick->Tolerance = projection->GetModelLength(PixelTolerance);
            T2DPoint m = projection->GetModelPoint(event->X, event->Y);
            pick->SetX(m.X);
            pick->SetY(m.Y);
            pick->SetInput(Input && IsLive(Input, FInputSerial) ? Input : nullptr);
            pick->DoIt();
            hit = pick->Output;
        }
        if (!hit) return;
        uint64_t serial = hit->Serial();
        try {
            MarkHit(hit);
        } catch (const Exception&) {
        }
        if (ShowProperties) {
            int32_t left = 10, top = 10;
            TFormToolManager* manager = GetManager();
            if (TStandardImageForm* form = manager ? manager->GetForm() : nullptr) {
                left = form->Left + event->X + 10;
                top = form->Top + event->Y + 10;
            }
            TElementHolder<TChoicedElementInterpret> view(TChoicedElementInterpret::New());
            view->DontViewProps = DontViewProps;
            view->DontViewDBF = DontViewDBF;
            view->Left = left;
            view->Top = top;
            view->SetInput(hit);
            view->DoIt();
        }
        if (!IsLive(hit, serial)) return;
        SetOutput(hit);
        if (ModelFileProfile() != TModelFileProfile::Tarvine) PostMsg(tm_ElementSelected, nullptr, hit, false);
        FollowUp(hit);
    } catch (const Exception& e) {
        ShowErrorMessage(Cz(ErrorPrefix()) + e.Message());
    }
}

// ---- the marks ---------------------------------------------------------------------------

void TPointSelector::MarkHit(TElement* element) {
    auto* p = As<TSpaceEntity>(element);
    TDevice* d = GetDevice();
    if (!p || !d) return;
    d->GetPen()->SetColor(kRed);
    d->GetPen()->SetStyle(psSolid);
    XCross(p->GetRefX(), p->GetRefY(), 5);
    PlusCross(p->GetRefX(), p->GetRefY(), 5);
}

void TLineSelector::MarkHit(TElement* element) {
    auto* l = As<TPolyElement>(element);
    TDevice* d = GetDevice();
    if (!l || !d || l->VertexCount() == 0) return;
    d->GetPen()->SetColor(kRed);
    d->GetPen()->SetStyle(psSolid);
    XCross(l->X(0), l->Y(0), 5);
    PlusCross(l->X(0), l->Y(0), 5);
    for (int32_t i = 1; i < l->VertexCount(); ++i) XCross(l->X(i), l->Y(i), 3);
    d->GetPen()->SetColor(kWhite);
    d->GetPen()->SetStyle(psSolid);
    XCross(l->GetRefX(), l->GetRefY(), 6);
    d->GetPen()->SetColor(kBlack);
    PlusCross(l->GetRefX(), l->GetRefY(), 6);
}

void TAreaSelector::MarkHit(TElement* element) {
    auto* area = As<TAreaElement>(element);
    TDevice* d = GetDevice();
    if (!area || !d) return;
    TAreaElement* shape = area;
    TElementHolder<TAreaElement> made;
    if (area->Is<TPolyLineAreaElement>()) {
        made.Reset(CreateAreaElement(area));
        shape = made.Get();
    }
    std::vector<std::vector<T2DPoint>> rings;
    if (shape)
        for (int32_t part = 0; part < shape->PartCount(); ++part)
            rings.emplace_back(shape->Points().begin() + shape->Parts()[static_cast<size_t>(part)],
                               shape->Points().begin() + shape->PartEnd(part));
    d->GetBrush()->SetColor(kWhite);
    d->GetBrush()->SetStyle(bsBDiagonal);
    d->GetPen()->SetStyle(psClear);
    d->PolyPolygon(rings);
    d->GetBrush()->SetColor(kBlack);
    d->GetBrush()->SetStyle(bsFDiagonal);
    d->GetPen()->SetColor(kRed);
    d->GetPen()->SetStyle(psSolid);
    d->PolyPolygon(rings);
    XCross(area->GetRefX(), area->GetRefY(), 5);
    d->GetPen()->SetColor(kWhite);
    PlusCross(area->GetRefX(), area->GetRefY(), 5);
}

const char* TPointSelector::ErrorPrefix() { return "Hledač Bodu: "; }
const char* TLineSelector::ErrorPrefix() { return "Hledač linie: "; }
const char* TAreaSelector::ErrorPrefix() { return "Hledač plochy: "; }

// ---- TPointCollector ---------------------------------------------------------------------

void TPointCollector::Publish(PropertyTable& t) {
    using C = TPointCollector;
    t.Field("X", &C::X);
    t.Field("Y", &C::Y);
}

void TPointCollector::MouseUp(TZarixMessage*& message, bool& handled) {
    handled = true;
    auto* event = As<TZarixMouseEvent>(message);
    if (!event || event->Button != mbLeft) return;
    try {
        TDevice* device = GetDevice();
        TPageProjection* projection = device ? device->GetProjection() : nullptr;
        if (!projection) throw Exception("No projection");
        T2DPoint m = projection->GetModelPoint(event->X, event->Y);
        X = m.X;
        Y = m.Y;
        SetOutput(this);
        FollowUp(this);
    } catch (const Exception& e) {
        ShowErrorMessage(Cz("Snímač Bodu: ") + e.Message());
    }
}

void RegisterSelectionToolsUnit() {
    RegisterZarixClass<TPickUper>();
    RegisterZarixClass<TPickUpPoint>();
    RegisterZarixClass<TPickUpPolyLine>();
    RegisterZarixClass<TPickUpArea>();
    RegisterZarixClass<TObjectSelector>();
    RegisterZarixClass<TPointSelector>();
    RegisterZarixClass<TLineSelector>();
    RegisterZarixClass<TPointCollector>();
}
