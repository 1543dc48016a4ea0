#include "kernel/property_access.h"

#include "kernel/string_routines.h"
#include "platform/host.h"
#include "platform/sysutils.h"

namespace {

constexpr int kMaxPropIndex = 16379;

// The property at index, nil at or beyond the count.
const TPropInfo* PropAt(TPersistent* obj, int index) {
    if (index < 0 || index > kMaxPropIndex) throw ERangeError("Range check error");
    const TPropList& props = GetPropInfos(obj);
    if (index >= static_cast<int>(props.size())) return nullptr;
    return &props[static_cast<size_t>(index)];
}

const TPropInfo* PropByName(TPersistent* obj, const std::string& name) {
    return obj ? obj->ClassType()->FindProp(name) : nullptr;
}

bool IsOrdinalKind(TTypeKind k) { return k == tkInteger || k == tkChar || k == tkEnumeration || k == tkSet; }

// Thrown inside SetPropByString when the text does not fit the property; reported like
// a failing writer.
struct BadText {};

// A whole number: leading blanks, a sign, decimal or "$"/"0x" hex.
bool ReadNumber(const std::string& text, int64_t& v) {
    int code = 0;
    v = ValInt64(text, code);
    return code == 0;
}

int64_t OrdinalFromText(const TPropInfo& p, const std::string& text) {
    const TTypeInfo* t = p.PropType;
    int64_t v = 0;
    if (t->Kind == tkSet) {
        if (ReadNumber(text, v) && v >= 0 && v <= UINT32_MAX) return v & SetTypeMask(t);
        int id = GetEnumValue(t, text);  // a set type has no identifiers of its own
        if (id < 0) throw BadText();
        return id;
    }
    if (ReadNumber(text, v)) {
        if (v < t->MinValue || v > t->MaxValue) throw BadText();
        return v;
    }
    int id = GetEnumValue(t, text);
    if (id < 0) throw BadText();
    return id;
}

// Text naming an object: empty or "0" is nil; any other number must be the address of a
// live object of the property's class.
TPersistent* ObjectFromText(const TPropInfo& p, const std::string& text) {
    int64_t v = 0;
    if (BezVnejsichMezer(text).empty()) return nullptr;
    if (!ReadNumber(text, v)) throw BadText();
    if (v == 0) return nullptr;
    TPersistent* o = LiveObjectAt(static_cast<uintptr_t>(v));
    if (!o) throw BadText();
    const TClassInfo* cls = p.PropType->ClassRef();
    if (cls && !o->InheritsFrom(cls)) throw BadText();
    return o;
}

// Method values cannot be checked against live code, so only nil is taken from text:
// empty, "0" or a code and data that both read 0.
TMethod MethodFromText(const std::string& text) {
    std::string t = BezVnejsichMezer(text);
    if (t.empty()) return TMethod{};
    size_t semi = t.find(';');
    std::string code = t.substr(0, semi);
    std::string data = semi == std::string::npos ? std::string("0") : t.substr(semi + 1);
    int64_t c = 0, d = 0;
    if (ReadNumber(code, c) && c == 0 && ReadNumber(data, d) && d == 0) return TMethod{};
    throw BadText();
}

// An unsigned 32-bit value reads as the signed number of the same bits.
int64_t SignedText(const TPropInfo& p, int64_t v) {
    return p.PropType->OrdType == otULong ? static_cast<int32_t>(static_cast<uint32_t>(v)) : v;
}

int64_t IntegerFromText(const TPropInfo& p, const std::string& text) {
    int64_t v = 0;
    if (!ReadNumber(text, v)) return 0;
    // The signed form that an unsigned 32-bit value reads as is taken back.
    if (p.PropType->OrdType == otULong && v < 0 && v >= INT32_MIN) v += int64_t{1} << 32;
    if (v < p.PropType->MinValue || v > p.PropType->MaxValue) return 0;
    return v;
}

}  // namespace

int GetPropCount(TPersistent* obj) { return static_cast<int>(GetPropInfos(obj).size()); }

int GetPropIndex(TPersistent* obj, const std::string& name) {
    return obj ? obj->ClassType()->FindPropIndex(name) : -1;
}

std::string GetPropName(TPersistent* obj, int index) {
    const TPropInfo* p = PropAt(obj, index);
    return p ? p->Name : std::string();
}

TTypeKind GetPropType(TPersistent* obj, int index) {
    const TPropInfo* p = PropAt(obj, index);
    return p ? p->Kind() : tkUnknown;
}

std::string GetPropString(TPersistent* obj, int index) {
    std::string text;
    if (const TPropInfo* p = PropAt(obj, index)) FillWithData(obj, p, text);
    return text;
}

void SetPropString(TPersistent* obj, int index, const std::string& text) {
    if (const TPropInfo* p = PropAt(obj, index)) SetPropByString(obj, p, text);
}

std::string GetPropStringByName(TPersistent* obj, const std::string& name) {
    std::string text;
    if (!obj) return text;
    if (const TPropInfo* p = PropByName(obj, name)) FillWithData(obj, p, text);
    return text;
}

bool SetPropStringByName(TPersistent* obj, const std::string& name, const std::string& text) {
    const TPropInfo* p = PropByName(obj, name);
    if (!p) return false;
    SetPropByString(obj, p, text);
    return true;
}

TPersistent* GetObjectPropByName(TPersistent* obj, const std::string& name) {
    const TPropInfo* p = PropByName(obj, name);
    if (!p || p->Kind() != tkClass || !p->HasReader()) return nullptr;
    return GetObjectProp(obj, *p);
}

bool SetObjectPropByName(TPersistent* obj, const std::string& name, TPersistent* value) {
    const TPropInfo* p = PropByName(obj, name);
    if (!p || p->Kind() != tkClass || !p->HasWriter()) return false;
    const TClassInfo* cls = p->PropType->ClassRef();
    if (value && cls && !value->InheritsFrom(cls)) return false;
    SetObjectProp(obj, *p, value);
    return true;
}

void FillWithData(TPersistent* obj, const TPropInfo* prop, std::string& text) {
    text.clear();
    if (!obj || !prop || !prop->HasReader()) return;
    TTypeKind kind = prop->Kind();
    try {
        switch (kind) {
            case tkInteger: text = IntToStr(SignedText(*prop, GetOrdProp(obj, *prop))); break;
            case tkChar: text = std::string(1, static_cast<char>(GetOrdProp(obj, *prop))); break;
            case tkEnumeration: text = GetEnumName(prop->PropType, GetOrdProp(obj, *prop)); break;
            case tkSet: text = IntToStr(static_cast<uint32_t>(GetOrdProp(obj, *prop))); break;
            case tkFloat: text = FloatToStr(GetFloatProp(obj, *prop)); break;
            case tkString: case tkLString: text = GetStrProp(obj, *prop); break;
            case tkClass:
                text = IntToStr(static_cast<int64_t>(reinterpret_cast<uintptr_t>(GetObjectProp(obj, *prop))));
                break;
            case tkMethod: {
                TMethod m = GetMethodProp(obj, *prop);
                text = IntToStr(static_cast<int64_t>(m.Code)) + ";" + IntToStr(static_cast<int64_t>(m.Data));
                break;
            }
            default: break;
        }
    } catch (...) {
        if (IsOrdinalKind(kind)) text = "Err Ord Value";
        else if (kind == tkClass || kind == tkMethod) text.clear();
        else text = "Err Value";
    }
}

// Text accepted per kind:
//   integer: a decimal number within the type's range, anything else stores 0;
//   enumeration: a number within the range or an identifier (any case);
//   set: a non-negative number, masked to the set's members;
//   float: empty for 0, else StrToExtended (either decimal separator);
//   strings: the text; class: see ObjectFromText; method: see MethodFromText;
//   char and the rest: nothing is written.
void SetPropByString(TPersistent* obj, const TPropInfo* prop, const std::string& text) {
    if (!obj || !prop || !prop->HasWriter()) return;
    try {
        switch (prop->Kind()) {
            case tkInteger: SetOrdProp(obj, *prop, IntegerFromText(*prop, text)); break;
            case tkEnumeration: case tkSet: SetOrdProp(obj, *prop, OrdinalFromText(*prop, text)); break;
            case tkFloat: SetFloatProp(obj, *prop, text.empty() ? 0.0 : StrToExtended(text)); break;
            case tkString: case tkLString: SetStrProp(obj, *prop, text); break;
            case tkClass: SetObjectProp(obj, *prop, ObjectFromText(*prop, text)); break;
            case tkMethod: SetMethodProp(obj, *prop, MethodFromText(text)); break;
            default: break;
        }
    } catch (...) {
        ShowErrorMessage("Error filling property " + prop->Name + " by string " + text);
    }
}
