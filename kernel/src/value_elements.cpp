#include "kernel/value_elements.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cctype>

#include "kernel/line_reader.h"
#include "kernel/class_registry.h"
#include "kernel/property_access.h"
#include "kernel/string_routines.h"
#include "platform/files.h"
#include "platform/sysutils.h"

namespace {

// An integer text: leading blanks, a sign, decimal digits or "$"/"0x" hex, nothing after.
bool IntegerText(const std::string& text, int32_t& value) {
    int code = 0;
    int32_t v = ValInt(text, code);
    if (code != 0) return false;
    value = v;
    return true;
}

// Truncates towards zero; false when the result leaves lo..hi (or x is no number).
bool TruncIn(double x, double lo, double hi, int32_t& value) {
    if (std::isnan(x)) return false;
    double t = std::trunc(x);
    if (t < lo || t > hi) return false;
    value = static_cast<int32_t>(t);
    return true;
}

// The new element, named.
template <class T> T* Named(T* element, const std::string& name) {
    element->SetName(name);
    return element;
}

// The item of that name, added when there is none.
TStringElement* ItemNamed(TStringListElement* list, const std::string& name) {
    TStringElement* item = list->GetStringElementByName(name);
    return item ? item : list->AddName(name);
}

// Each item as a "name=value" line.
void AddNameValueLines(TStringListElement* list, TStringList& lines) {
    for (int32_t i = 0, n = list->ElementsCount(); i < n; ++i)
        if (TStringElement* item = list->GetSElems(i)) lines.Add(item->OwnName() + "=" + item->GetAsString());
}

void* LiveAddress(int64_t address) {
    return LiveObjectAt(static_cast<uintptr_t>(address));
}

}  // namespace

const TTypeInfo* TypeInfoTType() {
    static const TTypeInfo* t = MakeEnumType(
        "TType", {"_Boolean", "_Char", "_Byte", "_Float", "_String", "_Integer", "_Pointer", "_Other"});
    return t;
}

// ---- TTypeElement ----------------------------------------------------------------------

void TTypeElement::Publish(PropertyTable& t) {
    using C = TTypeElement;
    t.Enum<C, TType>("Typ", TypeInfoTType(), &C::GetType, nullptr);
    t.Str<C>("TypeAsString", &C::GetTypeAsString, nullptr);
    t.Byte<C>("AsByte", &C::GetAsByte, &C::SetAsByte);
    t.Int<C>("AsInteger", &C::GetAsInteger, &C::SetAsInteger);
    t.Char<C>("AsChar", &C::GetAsChar, &C::SetAsChar);
    t.Str<C>("AsString", &C::GetAsString, &C::SetAsString);
    t.Float<C>("AsFloat", &C::GetAsFloat, &C::SetAsFloat);
    t.Bool<C>("AsBoolean", &C::GetAsBoolean, &C::SetAsBoolean);
    t.Str<C>("Text", &C::GetAsString, &C::SetAsString);
    t.Str<C>("UpperName", &C::GetUpperName, nullptr);
}

TType TTypeElement::GetType() { return _Other; }
std::string TTypeElement::GetTypeAsString() { return std::string(); }
uint8_t TTypeElement::GetAsByte() { return 0; }
void TTypeElement::SetAsByte(uint8_t) {}
int32_t TTypeElement::GetAsInteger() { return 0; }
void TTypeElement::SetAsInteger(int32_t) {}
char TTypeElement::GetAsChar() { return 0; }
void TTypeElement::SetAsChar(char) {}
std::string TTypeElement::GetAsString() { return std::string(); }
void TTypeElement::SetAsString(const std::string&) {}
double TTypeElement::GetAsFloat() { return 0; }
void TTypeElement::SetAsFloat(double) {}
bool TTypeElement::GetAsBoolean() { return false; }
void TTypeElement::SetAsBoolean(bool) {}
void* TTypeElement::GetAsPointer() { return nullptr; }
void TTypeElement::SetAsPointer(void*) {}
std::string TTypeElement::GetUpperName() { return AnsiUpperCase(GetName()); }
TTypeElement* TTypeElement::SelfCopy() { return nullptr; }

// ---- TBooleanElement ---------------------------------------------------------------------

void TBooleanElement::Publish(PropertyTable& t) {
    t.Bool<TBooleanElement>("Value", &TBooleanElement::GetAsBoolean, &TBooleanElement::SetAsBoolean);
}

TBooleanElement* TBooleanElement::New(bool value) {
    TBooleanElement* e = New();
    e->FValue = value;
    return e;
}

TBooleanElement* TBooleanElement::New(const std::string& name, bool value) { return Named(New(value), name); }

void TBooleanElement::SetAsString(const std::string& value) {
    if (value == "true") FValue = true;
    else if (value == "false") FValue = false;
}

std::string TBooleanElement::GetAsString() { return FValue ? "true" : "false"; }
void TBooleanElement::SetAsByte(uint8_t value) { FValue = value != 0; }
uint8_t TBooleanElement::GetAsByte() { return FValue ? 1 : 0; }

TTypeElement* TBooleanElement::SelfCopy() {
    auto* c = NewSameClass<TBooleanElement>();
    c->FValue = FValue;
    return c;
}

// ---- TCharElement ------------------------------------------------------------------------

void TCharElement::Publish(PropertyTable& t) {
    t.Char<TCharElement>("Value", &TCharElement::GetAsChar, &TCharElement::SetAsChar);
}

TCharElement* TCharElement::New(char value) {
    TCharElement* e = New();
    e->FValue = value;
    return e;
}

TCharElement* TCharElement::New(const std::string& name, char value) { return Named(New(value), name); }

void TCharElement::SetAsString(const std::string& value) {
    if (!value.empty()) FValue = value[0];
}

void TCharElement::SetAsInteger(int32_t value) {
    if (value > 0 && value < 256) FValue = static_cast<char>(value);
}

void TCharElement::SetAsByte(uint8_t value) { FValue = static_cast<char>(value); }
std::string TCharElement::GetAsString() { return std::string(1, FValue); }
int32_t TCharElement::GetAsInteger() { return static_cast<unsigned char>(FValue); }
uint8_t TCharElement::GetAsByte() { return static_cast<uint8_t>(FValue); }

TTypeElement* TCharElement::SelfCopy() {
    auto* c = NewSameClass<TCharElement>();
    c->FValue = FValue;
    return c;
}

// ---- TByteElement ------------------------------------------------------------------------

void TByteElement::Publish(PropertyTable& t) {
    t.Byte<TByteElement>("Value", &TByteElement::GetAsByte, &TByteElement::SetAsByte);
}

TByteElement* TByteElement::New(uint8_t value) {
    TByteElement* e = New();
    e->FValue = value;
    return e;
}

TByteElement* TByteElement::New(const std::string& name, uint8_t value) { return Named(New(value), name); }

void TByteElement::SetAsInteger(int32_t value) {
    if (value >= 0 && value <= 255) FValue = static_cast<uint8_t>(value);
}

void TByteElement::SetAsFloat(double value) {
    int32_t v;
    if (TruncIn(value, 0, 255, v)) FValue = static_cast<uint8_t>(v);
}

void TByteElement::SetAsString(const std::string& value) {
    int32_t v;
    if (IntegerText(value, v)) SetAsInteger(v);
}

void TByteElement::SetAsBoolean(bool value) { FValue = value ? 1 : 0; }
void TByteElement::SetAsChar(char value) { FValue = static_cast<uint8_t>(value); }
std::string TByteElement::GetAsString() { return IntToStr(FValue); }
double TByteElement::GetAsFloat() { return FValue; }
int32_t TByteElement::GetAsInteger() { return FValue; }
char TByteElement::GetAsChar() { return static_cast<char>(FValue); }
bool TByteElement::GetAsBoolean() { return FValue != 0; }

TTypeElement* TByteElement::SelfCopy() {
    auto* c = NewSameClass<TByteElement>();
    c->FValue = FValue;
    return c;
}

// ---- TFloatElement -----------------------------------------------------------------------

void TFloatElement::Publish(PropertyTable& t) {
    t.Float<TFloatElement>("Value", &TFloatElement::GetAsFloat, &TFloatElement::SetAsFloat);
}

TFloatElement* TFloatElement::New(double value) {
    TFloatElement* e = New();
    e->FValue = value;
    return e;
}

TFloatElement* TFloatElement::New(const std::string& name, double value) { return Named(New(value), name); }

void TFloatElement::SetAsString(const std::string& value) {
    double v;
    if (TextToFloatC(value, v)) FValue = v;
}

void TFloatElement::SetAsInteger(int32_t value) { FValue = value; }

std::string TFloatElement::GetAsString() {
    // 17 significant digits: the text reads back to the same double. Never through the
    // C locale, so the point stays a point.
    char buf[64];
    char* end = std::to_chars(buf, buf + sizeof buf, FValue, std::chars_format::scientific, 16).ptr;
    std::string s(buf, end);
    size_t e = s.find('e');
    if (e != std::string::npos) {
        int exp = 0;
        const char* from = s.c_str() + e + 1;
        if (*from == '+') ++from;
        std::from_chars(from, s.c_str() + s.size(), exp);
        char tail[16];
        std::snprintf(tail, sizeof tail, "E%c%04d", exp < 0 ? '-' : '+', std::abs(exp));
        s = s.substr(0, e) + tail;
    } else {
        for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    if (s.empty() || s[0] != '-') s.insert(s.begin(), ' ');
    return s;
}

int32_t TFloatElement::GetAsInteger() {
    int32_t v = 0;
    return TruncIn(FValue, INT32_MIN, INT32_MAX, v) ? v : 0;
}

TTypeElement* TFloatElement::SelfCopy() {
    auto* c = NewSameClass<TFloatElement>();
    c->FValue = FValue;
    return c;
}

// ---- TStringElement ----------------------------------------------------------------------

void TStringElement::Publish(PropertyTable& t) {
    using C = TStringElement;
    // Derived from Name and Value, which are stored themselves.
    t.Str<C>("NameIsValue", &C::GetNameIsValue, &C::SetNameIsValue).Stored(false);
    // Last, so that a loaded element ends with its stored value.
    t.Str<C>("Value", &C::GetAsString, &C::SetAsString);
}

TStringElement* TStringElement::New(const std::string& value) {
    TStringElement* e = New();
    e->FValue = value;
    return e;
}

TStringElement* TStringElement::New(const std::string& name, const std::string& value) {
    return Named(New(value), name);
}

TStringElement* TStringElement::New(const std::string& text, int32_t) {
    TStringElement* e = New();
    e->SetNameIsValue(text);
    return e;
}

void TStringElement::SetAsInteger(int32_t value) { FValue = IntToStr(value); }

int32_t TStringElement::GetAsInteger() {
    int32_t v = 0;
    return IntegerText(FValue, v) ? v : 0;
}

void TStringElement::SetAsFloat(double value) { FValue = FloatToStr(value); }
double TStringElement::GetAsFloat() { return StrToExtended(FValue); }
void TStringElement::SetAsBoolean(bool value) { FValue = value ? "TRUE" : "FALSE"; }

bool TStringElement::GetAsBoolean() {
    if (StringIsFloat(FValue)) return StrToExtended(FValue) != 0;
    std::string up = AnsiUpperCase(FValue);
    return up == "TRUE" || up == "ANO";
}

TTypeElement* TStringElement::SelfCopy() {
    auto* c = NewSameClass<TStringElement>();
    c->FValue = FValue;
    return c;
}

int32_t TStringElement::GetLongInt(bool& ok) {
    int code = 0;
    int32_t v = ValInt(FValue, code);
    ok = code == 0;
    return v;
}

bool TStringElement::GetBoolean(bool, bool& ok) {
    ok = true;
    return GetAsBoolean();
}

double TStringElement::GetDouble(bool& ok) {
    double v = 0;
    ok = TextToFloat(FValue, v);
    return ok ? v : 0;
}

std::string TStringElement::GetNameIsValue() { return GetName() + "=" + FValue; }

void TStringElement::SetNameIsValue(const std::string& text) {
    if (text.empty()) return;
    std::string name, value;
    StringAsParameter(text, name, value);
    if (name.empty()) return;
    if (!value.empty()) {
        SetName(name);
        FValue = value;
    } else {
        FValue = name;
    }
}

TIntegerListElement* TStringElement::CreateIntegerList() {
    TCtiRadekClass cti(FValue);
    TIntegerListElement* list = nullptr;
    // Stops at the end of the line, on an error, and when a read consumed nothing.
    while (!cti.KonecRadku()) {
        int32_t before = cti.Pozice();
        int32_t v = cti.DejLongInt();
        if (cti.DosloKChybe() || cti.Pozice() == before) break;
        if (!list) list = TIntegerListElement::New();
        list->AddInteger(v);
    }
    return list;
}

// ---- TIntegerElement ---------------------------------------------------------------------

void TIntegerElement::Publish(PropertyTable& t) {
    t.Int<TIntegerElement>("Value", &TIntegerElement::GetAsInteger, &TIntegerElement::SetAsInteger);
}

TIntegerElement* TIntegerElement::New(int32_t value) {
    TIntegerElement* e = New();
    e->FValue = value;
    return e;
}

TIntegerElement* TIntegerElement::New(const std::string& name, int32_t value) {
    return Named(New(value), name);
}

void TIntegerElement::SetAsString(const std::string& value) {
    int32_t v;
    if (IntegerText(value, v)) FValue = v;
}

void TIntegerElement::SetAsFloat(double value) {
    int32_t v;
    if (TruncIn(value, INT32_MIN, INT32_MAX, v)) FValue = v;
}

void TIntegerElement::SetAsBoolean(bool value) { FValue = value ? 1 : 0; }
void TIntegerElement::SetAsByte(uint8_t value) { FValue = value; }
void TIntegerElement::SetAsPointer(void* value) {
    FValue = static_cast<int32_t>(reinterpret_cast<intptr_t>(value));
}
std::string TIntegerElement::GetAsString() { return IntToStr(FValue); }
uint8_t TIntegerElement::GetAsByte() { return (FValue >= 0 && FValue <= 255) ? static_cast<uint8_t>(FValue) : 0; }
bool TIntegerElement::GetAsBoolean() { return FValue != 0; }
double TIntegerElement::GetAsFloat() { return FValue; }
void* TIntegerElement::GetAsPointer() { return LiveAddress(FValue); }

TTypeElement* TIntegerElement::SelfCopy() {
    auto* c = NewSameClass<TIntegerElement>();
    c->FValue = FValue;
    return c;
}

// ---- TPointerElement ---------------------------------------------------------------------

TPointerElement* TPointerElement::New(void* value) {
    TPointerElement* e = New();
    e->FValue = value;
    return e;
}

TPointerElement* TPointerElement::New(const std::string& name, void* value) {
    return Named(New(value), name);
}

void TPointerElement::SetAsInteger(int32_t value) { FValue = LiveAddress(value); }
int32_t TPointerElement::GetAsInteger() {
    return static_cast<int32_t>(reinterpret_cast<intptr_t>(FValue));
}
std::string TPointerElement::GetAsString() {
    return IntToStr(static_cast<int64_t>(reinterpret_cast<intptr_t>(FValue)));
}
void TPointerElement::SetAsString(const std::string& value) {
    int code = 0;
    FValue = LiveAddress(ValInt64(value, code));
}

TTypeElement* TPointerElement::SelfCopy() {
    auto* c = NewSameClass<TPointerElement>();
    c->FValue = FValue;
    return c;
}

// ---- TPathElement ------------------------------------------------------------------------

TPathElement* TPathElement::New(const std::string& value) {
    TPathElement* e = New();
    e->SetAsString(value);
    return e;
}

TPathElement* TPathElement::New(const std::string& name, const std::string& value) {
    return Named(New(value), name);
}

// ---- TStringListElement ------------------------------------------------------------------

void TStringListElement::Publish(PropertyTable& t) {
    using C = TStringListElement;
    t.Str<C>("NextValue", nullptr, &C::AddString);
    t.Str<C>("NextName", nullptr, &C::AddName);
    t.Str<C>("NextNameIsValue", nullptr, &C::AddNameIsValue);
    t.Obj<C, C>("NextStringList", nullptr, &C::AddStringListElement);
    t.Str<C>("LoadFromFile", nullptr, &C::AddFile);
    t.Str<C>("SaveToFile", nullptr, &C::IntoFile);
}

TStringListElement* TStringListElement::New(const TStringList* list) {
    TStringListElement* e = New();
    e->AddStringList(list);
    return e;
}

TStringElement* TStringListElement::GetSElems(int32_t index) { return As<TStringElement>(Get(index)); }

void TStringListElement::PutSElems(int32_t index, TStringElement* item) {
    TElement* old = Get(index);
    if (!item || old == item) return;
    Put(index, item);
    item->AddOwner(this);
    if (old) {
        // The replaced item leaves this list; freed when nobody else holds it.
        old->RemoveOwner(this);
        if (IndexOf(old) < 0 && old->NoOwners()) Free(old);
    }
}

std::string TStringListElement::GetString(int32_t index) {
    TStringElement* item = GetSElems(index);
    return item ? item->GetAsString() : std::string();
}

void TStringListElement::PutString(int32_t index, const std::string& text) {
    if (TStringElement* item = GetSElems(index)) item->SetAsString(text);
}

std::string TStringListElement::GetNameAtIndex(int32_t index) {
    TStringElement* item = GetSElems(index);
    return item ? item->GetName() : std::string();  // the class name for an item without one
}

void TStringListElement::PutName(int32_t index, const std::string& name) {
    if (TStringElement* item = GetSElems(index)) item->SetName(name);
}

std::string TStringListElement::GetUpperName(int32_t index) { return AnsiUpperCase(GetNameAtIndex(index)); }

TStringElement* TStringListElement::GetStringElementByName(const std::string& name) {
    // Items without a name of their own are found by index only.
    if (name.empty()) return nullptr;
    const std::string up = AnsiUpperCase(name);
    for (int32_t i = 0, n = ElementsCount(); i < n; ++i) {
        TStringElement* item = GetSElems(i);
        if (item && !item->OwnName().empty() && AnsiUpperCase(item->OwnName()) == up) return item;
    }
    return nullptr;
}

std::string TStringListElement::GetStringByName(const std::string& name) {
    TStringElement* item = GetStringElementByName(name);
    return item ? item->GetAsString() : std::string();
}

int32_t TStringListElement::GetIntegerByName(const std::string& name) {
    TStringElement* item = GetStringElementByName(name);
    bool ok;
    return item ? item->GetLongInt(ok) : 0;
}

bool TStringListElement::GetBooleanByName(const std::string& name) {
    TStringElement* item = GetStringElementByName(name);
    return item ? item->GetAsBoolean() : false;
}

double TStringListElement::GetDoubleByName(const std::string& name) {
    TStringElement* item = GetStringElementByName(name);
    bool ok;
    return item ? item->GetDouble(ok) : 0;
}

void TStringListElement::SetStringByName(const std::string& name, const std::string& text) {
    ItemNamed(this, name)->SetAsString(text);
}

void TStringListElement::SetIntegerByName(const std::string& name, int32_t value) {
    ItemNamed(this, name)->SetLongInt(value);
}

void TStringListElement::SetDoubleByName(const std::string& name, double value) {
    ItemNamed(this, name)->SetDouble(value);
}

TStringElement* TStringListElement::AddString(const std::string& text) {
    TStringElement* item = TStringElement::New(text);
    AddElement(item);
    return item;
}

TStringElement* TStringListElement::AddNameString(const std::string& name, const std::string& text) {
    TStringElement* item = TStringElement::New(name, text);
    AddElement(item);
    return item;
}

TStringElement* TStringListElement::AddName(const std::string& name) { return AddNameString(name, ""); }

void TStringListElement::AddNameIsValue(const std::string& text) {
    if (text.find('=') == std::string::npos) return;
    TStringElement* item = TStringElement::New();
    item->SetNameIsValue(text);
    AddElement(item);
}

void TStringListElement::AddLine(const std::string& line) {
    if (line.find('=') == std::string::npos) {
        AddName(BezVnejsichMezer(line));  // trimmed as the name of a name=value line
        return;
    }
    std::string name, value;
    StringAsParameter(line, name, value);
    AddNameString(name, value);
}

void TStringListElement::AddStringList(const TStringList* list) {
    if (!list) return;
    for (int i = 0; i < list->Count(); ++i)
        if (!(*list)[i].empty()) AddLine((*list)[i]);
}

void TStringListElement::AddStringListElement(TStringListElement* other) {
    if (!other) return;
    TStringList lines;
    AddNameValueLines(other, lines);
    AddStringList(&lines);
}

void TStringListElement::AddFile(const std::string& path) {
    if (!FileExists(path)) return;
    TStringList lines;
    lines.LoadFromFile(path);
    AddStringList(&lines);
}

void TStringListElement::IntoFile(const std::string& path) {
    TStringList lines;
    AddNameValueLines(this, lines);
    lines.SaveToFile(path);
}

std::unique_ptr<TStringList> TStringListElement::CreateStringList() {
    auto list = std::make_unique<TStringList>();
    for (int32_t i = 0, n = ElementsCount(); i < n; ++i)
        if (TStringElement* item = GetSElems(i)) list->Add(item->GetAsString());
    return list;
}

void TStringListElement::ParamToNames() {
    for (int32_t i = 0, n = ElementsCount(); i < n; ++i) {
        TStringElement* item = GetSElems(i);
        if (item && item->GetAsString().find('=') != std::string::npos)
            item->SetNameIsValue(item->GetAsString());
    }
}

std::string TStringListElement::GetPropertyStringByName(const std::string& name) {
    std::string s = GetPropStringByName(this, name);
    return s.empty() ? GetStringByName(name) : s;
}

void TStringListElement::SetPropertyStringByName(const std::string& name, const std::string& value) {
    if (GetPropIndex(this, name) >= 0) SetPropStringByName(this, name, value);
    else SetStringByName(name, value);
}

// ---- TPropertyList -----------------------------------------------------------------------

void TPropertyList::Publish(PropertyTable& t) {
    using C = TPropertyList;
    t.Str<C>("Delimiter", [](C* p) { return p->Delimiter; },
             [](C* p, const std::string& v) { p->Delimiter = v; });
    t.Obj<C, TElement>("Element", nullptr, &C::SetByElement);
    t.Str<C>("Catenation", &C::GetCatenation, nullptr);
}

void TPropertyList::SetByElement(TElement* element) {
    if (!element || NoElements()) return;
    for (int32_t i = 0, n = ElementsCount(); i < n; ++i) {
        TStringElement* item = GetSElems(i);
        if (!item) continue;
        std::string name = item->OwnName();
        bool negate = !name.empty() && name[0] == '-';
        if (negate) name.erase(0, 1);
        std::string value = GetPropStringByName(element, name);
        if (negate && !name.empty() && !value.empty()) {
            if (value[0] == '-') value.erase(0, 1);
            else value.insert(value.begin(), '-');
        }
        item->SetAsString(value);
    }
}

std::string TPropertyList::GetCatenation() {
    std::string out;
    for (int32_t i = 0, n = ElementsCount(); i < n; ++i) {
        if (i > 0) out += Delimiter;
        out += GetString(i);
    }
    return out;
}

// ---- TIntegerListElement -----------------------------------------------------------------

int32_t TIntegerListElement::GetInteger(int32_t index) {
    TIntegerElement* item = As<TIntegerElement>(Get(index));
    return item ? item->GetAsInteger() : 0;
}

void TIntegerListElement::PutInteger(int32_t index, int32_t value) {
    if (TIntegerElement* item = As<TIntegerElement>(Get(index))) item->SetAsInteger(value);
}

bool TIntegerListElement::ValueExists(int32_t value) {
    for (int32_t i = 0, n = ElementsCount(); i < n; ++i) {
        TIntegerElement* item = As<TIntegerElement>(Get(i));
        if (item && item->GetAsInteger() == value) return true;
    }
    return false;
}

void TIntegerListElement::AddInteger(int32_t value) {
    if (KeepSorted) {
        if (!AllowDuplicates && ValueExists(value)) return;
        for (int32_t i = 0, n = ElementsCount(); i < n; ++i) {
            if (GetInteger(i) > value) {
                InsertElement(i, TIntegerElement::New(value));
                return;
            }
        }
    }
    AddElement(TIntegerElement::New(value));
}

void TIntegerListElement::SetValuesString(const std::string& text) {
    size_t start = 0;
    for (;;) {
        size_t comma = text.find(',', start);
        std::string part = BezVnejsichMezer(text.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
        int32_t v;
        if (IntegerText(part, v)) AddInteger(v);
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
}

TIntegerListElement* CreateIntegerListElementFromString(const std::string&, const std::string& text) {
    TStringElement* s = TStringElement::New(text);
    TIntegerListElement* list = s->CreateIntegerList();
    Free(s);
    return list;
}

// ---- registration ------------------------------------------------------------------------

void RegisterETypeUnit() {
    RegisterZarixClass<TTypeElement>();
    RegisterZarixClass<TBooleanElement>();
    RegisterZarixClass<TCharElement>();
    RegisterZarixClass<TByteElement>();
    RegisterZarixClass<TFloatElement>();
    RegisterZarixClass<TIntegerListElement>();
    RegisterZarixClass<TStringElement>();
    RegisterZarixClass<TIntegerElement>();
    RegisterZarixClass<TPointerElement>();
    RegisterZarixClass<TStringListElement>();
    RegisterZarixClass<TPathElement>();
    RegisterZarixClass<TPropertyList>();
}
