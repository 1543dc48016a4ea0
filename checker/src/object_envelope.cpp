#include "checker/object_envelope.h"

#include "kernel/class_registry.h"
#include "kernel/property_access.h"
#include "kernel/string_routines.h"
#include "platform/host.h"

// ---- TObjectEnvelope ----------------------------------------------------------------

void TObjectEnvelope::Publish(PropertyTable& t) {
    using C = TObjectEnvelope;
    t.Str<C>("CreateClass", nullptr, &C::SetCreateClass);
    t.Bool<C>("Life", nullptr, &C::SetLife);
}

void TObjectEnvelope::SetCreateClass(const std::string& name) {
    TElementClass cls = GetZarixClass(name);
    std::string prefixed = "T" + name;
    if (!cls) cls = GetZarixClass(prefixed);
    if (!cls) {
        MessageDlg(Cz("Neregistrovaná třída TPersistent: ") + prefixed, mtError, {mbOK}, 0);
        return;
    }
    FClass = cls;
    CreateInstance();
}

// Only an object the envelope made is freed; one given to it is only forgotten.
void TObjectEnvelope::FreeInstance() {
    TPersistent* made = FMade.Get();
    FMade.Set(nullptr);
    SetInstance(nullptr);
    if (made) Free(made);
}

void TObjectEnvelope::CreateInstance() {
    if (!FClass) return;
    TPersistent* made = FClass->CreateInstance();
    FreeInstance();
    SetInstance(made);
    FMade.Set(made);
}

void TObjectEnvelope::SetLife(bool alive) {
    if (alive && !GetInstance()) CreateInstance();
    else if (!alive) FreeInstance();
}

void TObjectEnvelope::SetName(const std::string& value) {
    inherited::SetName(value);
    if (GetInstance()) GiveUniqueName(value);
    else if (!FClass) FClass = GetZarixClass(value);
}

void TObjectEnvelope::GiveUniqueName(const std::string& name) {
    TPersistent* o = GetInstance();
    if (!o || GetPropIndex(o, "NAME") < 0) return;
    SetPropStringByName(o, "NAME", name);
    if (GetPropStringByName(o, "NAME") == name) return;
    std::string text = GetNameWithoutNumber(name);
    int64_t number = GetNameEndNumber(name);
    for (int attempt = 0; attempt < 999; ++attempt) {
        std::string tried = text + IntToStr(++number);
        SetPropStringByName(o, "NAME", tried);
        if (GetPropStringByName(o, "NAME") == tried) return;
    }
    ShowErrorMessage("Not possible to set correct component name: " + text);
}

void TObjectEnvelope::Destroy() {
    FreeInstance();
    inherited::Destroy();
}
