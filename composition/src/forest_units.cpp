#include "composition/forest_units.h"

#include "kernel/class_registry.h"

void TGeometryElement::Publish(PropertyTable& t) {
    using C = TGeometryElement;
    t.Obj<C, TRectEntity>("Geometry", &C::GetGeometry, &C::SetGeometry);
    t.Bool<C>("NoGeometry", &C::GetNoGeometry, nullptr);
}

TRectEntity* TGeometryElement::FindGeometry() {
    for (int32_t i = 0; i < ElementsCount(); ++i) {
        auto* g = As<TRectEntity>(Get(i));
        if (g && g->GetName() == "GEOMETRY") return g;
    }
    return nullptr;
}

TRectEntity* TGeometryElement::GetGeometry() {
    if (TRectEntity* g = FindGeometry()) return g;
    TRectEntity* g = TRectEntity::New();
    g->SetName("GEOMETRY");
    AddElement(g);
    return g;
}

void TGeometryElement::SetGeometry(TRectEntity* geometry) {
    TRectEntity* present = FindGeometry();
    if (present == geometry && geometry) return;
    if (present) FreeElement(present);
    if (!geometry) return;
    geometry->SetName("GEOMETRY");
    if (IndexOf(geometry) < 0) AddElement(geometry);
}

bool TGeometryElement::GetNoGeometry() { return FindGeometry() == nullptr; }

namespace {
template <class T> T* OwnerOfClass(TElement* e) { return static_cast<T*>(e->FindOwnerClass(T::StaticClass())); }
}  // namespace

TLHC* TOddeleni::GetLHC() { return OwnerOfClass<TLHC>(this); }

TOddeleni* TDilec::GetOddeleni() { return OwnerOfClass<TOddeleni>(this); }
TLHC* TDilec::GetLHC() {
    TOddeleni* o = GetOddeleni();
    return o ? o->GetLHC() : nullptr;
}

TDilec* TPorost::GetDilec() { return OwnerOfClass<TDilec>(this); }
TOddeleni* TPorost::GetOddeleni() {
    TDilec* d = GetDilec();
    return d ? d->GetOddeleni() : nullptr;
}
TLHC* TPorost::GetLHC() {
    TDilec* d = GetDilec();
    return d ? d->GetLHC() : nullptr;
}

TPorost* TPorostniSkupina::GetPorost() { return OwnerOfClass<TPorost>(this); }
TDilec* TPorostniSkupina::GetDilec() {
    TPorost* p = GetPorost();
    return p ? p->GetDilec() : nullptr;
}
TOddeleni* TPorostniSkupina::GetOddeleni() {
    TPorost* p = GetPorost();
    return p ? p->GetOddeleni() : nullptr;
}
TLHC* TPorostniSkupina::GetLHC() {
    TPorost* p = GetPorost();
    return p ? p->GetLHC() : nullptr;
}

void TOddeleni::Publish(PropertyTable& t) {
    t.Obj<TOddeleni, TLHC>("LHC", [](TOddeleni* o) { return o->GetLHC(); }, nullptr);
}

void TDilec::Publish(PropertyTable& t) {
    t.Obj<TDilec, TLHC>("LHC", [](TDilec* o) { return o->GetLHC(); }, nullptr);
    t.Obj<TDilec, TOddeleni>("Oddeleni", [](TDilec* o) { return o->GetOddeleni(); }, nullptr);
}

void TPorost::Publish(PropertyTable& t) {
    t.Obj<TPorost, TLHC>("LHC", [](TPorost* o) { return o->GetLHC(); }, nullptr);
    t.Obj<TPorost, TOddeleni>("Oddeleni", [](TPorost* o) { return o->GetOddeleni(); }, nullptr);
    t.Obj<TPorost, TDilec>("Dilec", [](TPorost* o) { return o->GetDilec(); }, nullptr);
}

void TPorostniSkupina::Publish(PropertyTable& t) {
    using C = TPorostniSkupina;
    t.Obj<C, TLHC>("LHC", [](C* o) { return o->GetLHC(); }, nullptr);
    t.Obj<C, TOddeleni>("Oddeleni", [](C* o) { return o->GetOddeleni(); }, nullptr);
    t.Obj<C, TDilec>("Dilec", [](C* o) { return o->GetDilec(); }, nullptr);
    t.Obj<C, TPorost>("Porost", [](C* o) { return o->GetPorost(); }, nullptr);
}

void RegisterForestUnitsUnit() {
    RegisterZarixClass<TGeometryElement>();
    RegisterZarixClass<TForestUnit>();
    RegisterZarixClass<TLHC>();
    RegisterZarixClass<TOddeleni>();
    RegisterZarixClass<TDilec>();
    RegisterZarixClass<TPorost>();
    RegisterZarixClass<TPorostniSkupina>();
    RegisterZarixClass<TEtaz>();
}
