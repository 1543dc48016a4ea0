#include "space/instance_properties.h"

#include "kernel/class_registry.h"
#include "kernel/property_access.h"
#include "kernel/string_routines.h"
#include "platform/sysutils.h"

namespace {

[[noreturn]] void Refuse(const std::string& text, const std::string& what) {
    throw EConvertError("'" + text + "' " + what);
}

bool WholeNumber(const std::string& text, int64_t& v) {
    int code = 0;
    v = ValInt64(text, code);
    return code == 0 && !BezVnejsichMezer(text).empty();
}

// The object that text names for a class property: nil for "nil" or empty, else a live
// object of the property's class at the address the text gives.
TPersistent* ObjectOfText(const TPropInfo& p, const std::string& text) {
    std::string t = BezVnejsichMezer(text);
    if (t.empty() || AnsiSameText(t, "nil")) return nullptr;
    int64_t v = 0;
    TPersistent* o = WholeNumber(t, v) && v != 0 ? LiveObjectAt(static_cast<uintptr_t>(v)) : nullptr;
    const TClassInfo* cls = p.PropType ? p.PropType->ClassRef() : nullptr;
    if (!o || (cls && !o->InheritsFrom(cls)))
        Refuse(text, "is not an object of class " + (cls ? cls->Name : std::string("TObject")));
    return o;
}

// Raises when the text does not fit the property's kind.
void CheckText(const TPropInfo& p, const std::string& text) {
    const TTypeInfo* t = p.PropType;
    int64_t v = 0;
    double f = 0;
    switch (p.Kind()) {
        case tkInteger: case tkInt64: {
            bool ok = WholeNumber(text, v);
            // The signed form of an unsigned 32-bit value reads back.
            if (ok && t->OrdType == otULong && v < 0 && v >= INT32_MIN) v += int64_t{1} << 32;
            if (!ok || v < t->MinValue || v > t->MaxValue) Refuse(text, "is not a valid integer value");
            break;
        }
        case tkChar:
            if (text.size() != 1) Refuse(text, "is not a valid character");
            break;
        case tkEnumeration:
            if (WholeNumber(text, v) ? v < t->MinValue || v > t->MaxValue : GetEnumValue(t, BezVnejsichMezer(text)) < 0)
                Refuse(text, "is not a valid value of " + t->Name);
            break;
        case tkSet:
            if (!WholeNumber(text, v) || v < 0 || v > UINT32_MAX) Refuse(text, "is not a valid set value");
            break;
        case tkFloat:
            if (!BezVnejsichMezer(text).empty() && !TextToFloat(text, f) && !StringIsFloat(text))
                Refuse(text, "is not a valid floating point value");
            break;
        case tkString:
            if (static_cast<int>(text.size()) > t->MaxLength) Refuse(text, "is too long");
            break;
        default: break;
    }
}

}  // namespace

void TInstanceProperties::Publish(PropertyTable& t) {
    using C = TInstanceProperties;
    t.Str<C>("PropertyName", &C::GetPropertyName, &C::SetPropertyName);
    t.Int<C>("PropertyIndex", &C::GetPropertyIndex, nullptr).Stored(false);
    t.Str<C>("PropertyText", &C::GetPropertyText, &C::SetPropertyText).Stored(false);
    t.Obj<C, TPersistent>("Instance", &C::GetInstance, &C::SetInstance).Stored(false);
}

TPersistent* TInstanceProperties::GetInstance() const {
    return FInstance && IsLive(FInstance, FInstanceSerial) ? FInstance : nullptr;
}

void TInstanceProperties::SetInstance(TPersistent* instance) {
    FInstance = instance;
    FInstanceSerial = instance ? instance->Serial() : 0;
    FSelected = -1;
}

int32_t TInstanceProperties::GetPropertyIndex() {
    TPersistent* o = GetInstance();
    return o ? GetPropIndex(o, FPropertyName) : -1;
}

std::string TInstanceProperties::GetPropertyText() { return GetPropStringByName(GetInstance(), FPropertyName); }

void TInstanceProperties::SetPropertyText(const std::string& text) {
    if (TPersistent* o = GetInstance()) SetPropStringByName(o, FPropertyName, text);
}

int32_t TInstanceProperties::Count() const {
    TPersistent* o = GetInstance();
    return o ? GetPropCount(o) : 0;
}

bool TInstanceProperties::SelectIndex(int32_t index) {
    FSelected = index >= 0 && index < Count() ? index : -1;
    return FSelected >= 0;
}

bool TInstanceProperties::SelectName(const std::string& name) {
    TPersistent* o = GetInstance();
    FSelected = o ? GetPropIndex(o, name) : -1;
    return FSelected >= 0;
}

const TPropInfo* TInstanceProperties::SelectedProp() const {
    TPersistent* o = GetInstance();
    if (!o || FSelected < 0) return nullptr;
    const TPropList& props = GetPropInfos(o);
    return FSelected < static_cast<int32_t>(props.size()) ? &props[static_cast<size_t>(FSelected)] : nullptr;
}

std::string TInstanceProperties::SelectedName() const {
    const TPropInfo* p = SelectedProp();
    return p ? p->Name : std::string();
}

TTypeKind TInstanceProperties::SelectedKind() const {
    const TPropInfo* p = SelectedProp();
    return p ? p->Kind() : tkUnknown;
}

std::string TInstanceProperties::GetPropString() const {
    const TPropInfo* p = SelectedProp();
    if (!p) return std::string();
    std::string text;
    FillWithData(GetInstance(), p, text);
    return text;
}

void TInstanceProperties::SetPropString(const std::string& text) {
    const TPropInfo* p = SelectedProp();
    if (!p) return;
    TPersistent* o = GetInstance();
    if (p->Kind() == tkClass) {
        TPersistent* value = ObjectOfText(*p, text);
        SetPropByString(o, p, value ? IntToStr(static_cast<int64_t>(reinterpret_cast<uintptr_t>(value))) : "");
        return;
    }
    CheckText(*p, text);
    SetPropByString(o, p, text);
}

TPersistent* TInstanceProperties::GetObjectValue() const {
    const TPropInfo* p = SelectedProp();
    if (!p || p->Kind() != tkClass || !p->HasReader()) return nullptr;
    return GetObjectPropByName(GetInstance(), p->Name);
}

int32_t TInstanceProperties::ClassPropCount(const TClassInfo* cls) { return cls ? cls->PropCount() : 0; }

void RegisterInstancePropertiesUnit() { RegisterZarixClass<TInstanceProperties>(); }
