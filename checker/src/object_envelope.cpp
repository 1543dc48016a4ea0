#include "checker/object_envelope.h"

#include "kernel/class_registry.h"
#include "kernel/property_access.h"
#include "kernel/string_routines.h"
#include "platform/host.h"

// ---- TInstanceProperties ------------------------------------------------------------

void TInstanceProperties::Publish(PropertyTable& t) {
    using C = TInstanceProperties;
    t.Str<C>("PropertyName", &C::GetPropertyName, &C::SetPropertyName);
    t.Int<C>("PropertyIndex", &C::GetPropertyIndex, nullptr).Stored(false);
    t.Str<C>("PropertyText", &C::GetPropertyText, &C::SetPropertyText).Stored(false);
    t.Obj<C, TPersistent>("Instance", &C::GetInstance, &C::SetInstance).Stored(false);
}

TPersistent* TInstanceProperties::GetInstance() const { return FInstance.Get(); }

int32_t TInstanceProperties::GetPropertyIndex() {
    TPersistent* o = GetInstance();
    return o ? GetPropIndex(o, FPropertyName) : -1;
}

std::string TInstanceProperties::GetPropertyText() { return GetPropStringByName(GetInstance(), FPropertyName); }

void TInstanceProperties::SetPropertyText(const std::string& text) {
    if (TPersistent* o = GetInstance()) SetPropStringByName(o, FPropertyName, text);
}

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
    FInstance.Set(nullptr);
    if (made) Free(made);
}

void TObjectEnvelope::CreateInstance() {
    if (!FClass) return;
    TPersistent* made = FClass->CreateInstance();
    FreeInstance();
    FInstance.Set(made);
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
    ShowMessage("Not possible to set correct component name: " + text);
}

void TObjectEnvelope::Destroy() {
    FreeInstance();
    inherited::Destroy();
}
