#include "kernel/class_registry.h"

#include <cstdlib>
#include <memory>

#include <array>

#include "platform/sysutils.h"

TZarixClasses* ZarixClasses = nullptr;

namespace {

// A property table holds at most this many entries.
constexpr int32_t kMaxProps = 16380;

const TTypeInfo* TypeKindType() {
    static const TTypeInfo* t = MakeEnumType(
        "TTypeKind", {"tkUnknown", "tkInteger", "tkChar", "tkEnumeration", "tkFloat", "tkString", "tkSet", "tkClass",
                      "tkMethod", "tkWChar", "tkLString", "tkWString", "tkVariant", "tkArray", "tkRecord",
                      "tkInterface", "tkInt64", "tkDynArray"});
    return t;
}

bool IsOrdinalKind(TTypeKind k) {
    return k == tkInteger || k == tkChar || k == tkEnumeration || k == tkSet || k == tkWChar || k == tkInt64;
}

bool IsStringKind(TTypeKind k) { return k == tkString || k == tkLString || k == tkWString; }

// Records of the classes made at run time; freed when the process ends.
std::vector<std::unique_ptr<TClassInfo>>*& RunTimeClasses() {
    static std::vector<std::unique_ptr<TClassInfo>>* store = nullptr;
    return store;
}

void FreeRunTimeClasses() {
    delete RunTimeClasses();
    RunTimeClasses() = nullptr;
}

}  // namespace

// ---- TZarixClassProperty -----------------------------------------------------------------

void TZarixClassProperty::Publish(PropertyTable& t) {
    t.Field("PropIndex", &TZarixClassProperty::PropIndex);
    t.Enum<TZarixClassProperty, TTypeKind>("TypeKind", TypeKindType(), &TZarixClassProperty::GetTypeKind, nullptr);
}

void TZarixClassProperty::SetPropInfo(const TPropInfo* info) {
    FPropInfo = info;
    SetName(info ? info->Name : std::string());
}

TTypeKind TZarixClassProperty::GetTypeKind() const { return FPropInfo ? FPropInfo->Kind() : tkUnknown; }

// ---- TZarixClass -----------------------------------------------------------------------------

void TZarixClass::Publish(PropertyTable& t) {
    t.Str<TZarixClass>("ElementClassName", &TZarixClass::GetElementClassName, nullptr);
    t.Str<TZarixClass>("AncestorClassName", &TZarixClass::GetAncestorClassName, nullptr);
    t.Int<TZarixClass>("PropCount", &TZarixClass::PropCount, nullptr);
}

void TZarixClass::SetElementClass(TElementClass cls) {
    FPropTable.clear();
    FPropCount = 0;
    FElementClass = cls;
    if (!cls) return;
    SetName(cls->Name);
    int32_t count = std::min<int32_t>(cls->PropCount(), kMaxProps);
    if (count <= 0) return;
    try {
        FPropTable.reserve(static_cast<size_t>(count));
        for (int32_t i = 0; i < count; ++i) FPropTable.push_back(&cls->Props[static_cast<size_t>(i)]);
        FPropCount = count;
    } catch (...) {
        FPropTable.clear();
        FPropCount = 0;
    }
}

std::string TZarixClass::GetElementClassName() const { return FElementClass ? FElementClass->Name : std::string(); }

std::string TZarixClass::GetAncestorClassName() const {
    return FElementClass && FElementClass->Parent ? FElementClass->Parent->Name : std::string();
}

const TPropInfo* TZarixClass::CheckedProp(int32_t index) {
    if (index < 0 || index >= FPropCount) throw ERangeError("Range check error");
    return FPropTable[static_cast<size_t>(index)];
}

bool TZarixClass::GetPropertyStored(int32_t index) {
    if (FPropTable.empty()) return true;
    return CheckedProp(index)->StoredOnClass();
}

void TZarixClass::ShowProperties() {
    FreeAll();
    for (int32_t i = 0; i < FPropCount; ++i) {
        TZarixClassProperty* p = TZarixClassProperty::New();
        p->SetPropInfo(FPropTable[static_cast<size_t>(i)]);
        AddElement(p);
    }
}

int32_t TZarixClass::PropertyIndex(const std::string& name) {
    for (int32_t i = 0; i < FPropCount; ++i)
        if (AnsiSameText(FPropTable[static_cast<size_t>(i)]->Name, name)) return i;
    return -1;
}

std::string TZarixClass::GetPropertyName(int32_t index) { return CheckedProp(index)->Name; }
TTypeKind TZarixClass::GetPropertyTypeKind(int32_t index) { return CheckedProp(index)->Kind(); }
const TPropInfo* TZarixClass::GetPropInfo(int32_t index) { return CheckedProp(index); }
bool TZarixClass::IsClassName(const std::string& name) { return AnsiSameText(name, GetName()); }

void TZarixClass::Destroy() {
    FPropTable.clear();
    FPropCount = 0;
    inherited::Destroy();
}

// ---- TZarixInstance ------------------------------------------------------------------------

bool TZarixInstance::GetPropertyStored(int32_t index) {
    if (FPropTable.empty() || !FInstance) return false;
    return IsStoredProp(FInstance, *CheckedProp(index));
}

void TZarixInstance::SetInstance(TPersistent* instance) {
    FInstance = instance;
    TElementClass cls = instance ? instance->ClassType() : nullptr;
    // Another object of the bound class keeps the table.
    if (!cls || cls != FElementClass || FPropCount != std::min<int32_t>(cls->PropCount(), kMaxProps))
        SetElementClass(cls);
}

void TZarixInstance::GetPropertyValue(int32_t index, TZarixPropValue& value) {
    const TPropInfo* p = CheckedProp(index);
    value.Kind = p->Kind();
    if (!FInstance) return;
    TTypeKind k = value.Kind;
    if (IsOrdinalKind(k)) value.Ord = GetOrdProp(FInstance, *p);
    else if (k == tkClass) value.Obj = GetObjectProp(FInstance, *p);
    else if (k == tkFloat) value.Float = GetFloatProp(FInstance, *p);
    else if (IsStringKind(k)) value.Str = GetStrProp(FInstance, *p);
    else if (k == tkMethod) value.Method = GetMethodProp(FInstance, *p);
}

void TZarixInstance::SetPropertyValue(int32_t index, TZarixPropValue& value) {
    const TPropInfo* p = CheckedProp(index);
    if (!FInstance) return;
    TTypeKind k = p->Kind();
    if (IsOrdinalKind(k)) SetOrdProp(FInstance, *p, value.Ord);
    else if (k == tkClass) SetObjectProp(FInstance, *p, value.Obj);
    else if (k == tkFloat) SetFloatProp(FInstance, *p, value.Float);
    else if (IsStringKind(k)) SetStrProp(FInstance, *p, value.Str);
    else if (k == tkMethod) SetMethodProp(FInstance, *p, value.Method);
}

TPersistent* TZarixInstance::CreateInstanceCopy() {
    if (!FInstance || !FElementClass) return nullptr;
    TPersistent* copy = FElementClass->CreateInstance();
    TZarixInstance* target = TZarixInstance::New();
    try {
        target->SetInstance(copy);
        for (int32_t i = 0; i < FPropCount; ++i) {
            const TPropInfo* p = FPropTable[static_cast<size_t>(i)];
            // Only what a file would carry: readable, writable and stored.
            if (!p->HasReader() || !p->HasWriter() || !GetPropertyStored(i)) continue;
            TZarixPropValue value;
            GetPropertyValue(i, value);
            target->SetPropertyValue(i, value);
        }
    } catch (...) {
        Free(target);
        Free(copy);
        throw;
    }
    Free(target);
    return copy;
}

// ---- TZarixClasses ---------------------------------------------------------------------------

void TZarixClasses::Publish(PropertyTable& t) {
    t.Bool<TZarixClasses>("ShowProperties", &TZarixClasses::GetShowProperties, &TZarixClasses::SetShowProperties);
    t.Bool<TZarixClasses>("SortByName", &TZarixClasses::GetSortByName, &TZarixClasses::SetSortByName);
}

int32_t TZarixClasses::FindIndex(const std::string& name, int32_t& insertPos) {
    insertPos = -1;
    int32_t count = FList ? FList->Count() : 0;
    if (count == 0) return -1;
    auto compare = [&](int32_t i) {
        TElement* entry = FList->Item(i);
        if (entry && entry->ClassType() == TZarixClass::StaticClass())
            return AnsiCompareText(name, static_cast<TZarixClass*>(entry)->NameView());
        return AnsiCompareText(name, entry ? entry->GetName() : std::string());
    };
    int32_t last = count - 1;
    int c = compare(last);
    if (c > 0) return -1;
    if (c == 0) return last;
    if (count == 1) {
        insertPos = 0;
        return -1;
    }
    c = compare(0);
    if (c < 0) {
        insertPos = 0;
        return -1;
    }
    if (c == 0) {
        insertPos = 1;
        return 0;
    }
    int32_t low = 0, high = last;
    for (;;) {
        insertPos = high;
        if (high - low <= 1) return -1;
        int32_t middle = low + (high - low) / 2;
        c = compare(middle);
        if (c < 0) high = middle;
        else if (c > 0) low = middle;
        else {
            insertPos = middle + 1;
            return middle;
        }
    }
}

namespace {

// The Windows-1250 upper-casing as a table.
const unsigned char* UpperTable() {
    static const auto table = [] {
        std::array<unsigned char, 256> t{};
        for (int c = 0; c < 256; ++c) t[static_cast<size_t>(c)] = AnsiUpperChar(static_cast<unsigned char>(c));
        return t;
    }();
    return table.data();
}

constexpr size_t kMaxMissing = 1024;

}  // namespace

size_t TZarixClasses::FoldedHash::operator()(std::string_view s) const {
    const unsigned char* up = UpperTable();
    uint64_t h = 0xcbf29ce484222325ULL;
    for (unsigned char c : s) h = (h ^ up[c]) * 0x100000001b3ULL;
    return static_cast<size_t>(h ^ (h >> 29));
}

bool TZarixClasses::FoldedEqual::operator()(std::string_view a, std::string_view b) const {
    if (a.size() != b.size()) return false;
    const unsigned char* up = UpperTable();
    for (size_t i = 0; i < a.size(); ++i)
        if (up[static_cast<unsigned char>(a[i])] != up[static_cast<unsigned char>(b[i])]) return false;
    return true;
}

void TZarixClasses::InsertByName(TZarixClass* entry) {
    FMissing.clear();
    int32_t insertPos;
    FindIndex(entry->GetName(), insertPos);
    if (insertPos < 0) AddElement(entry);
    else InsertElement(insertPos, entry);
    FLast = entry;
}

void TZarixClasses::AddZarixClass(TZarixClass* entry) {
    if (!entry) return;
    InsertByName(entry);
    entry->ID = FCounter++;
}

void TZarixClasses::AddClass(TElementClass cls) {
    TZarixClass* entry = TZarixClass::New();
    entry->SetElementClass(cls);
    entry->SetName(cls ? cls->Name : std::string());
    entry->ID = FCounter++;
    if (FShowProperties) entry->ShowProperties();
    InsertByName(entry);
}

TZarixClass* TZarixClasses::GetZarixClassByName(const std::string& name) {
    auto known = FFound.find(std::string_view(name));
    if (known != FFound.end()) {
        auto [entry, serial] = known->second;
        if (IsLive(entry, serial) && entry->IsMyOwner(this) && FoldedEqual()(entry->NameView(), name)) {
            FLast = entry;
            return entry;
        }
        FFound.erase(known);
    }
    if (FMissing.count(std::string_view(name))) return nullptr;
    int32_t insertPos;
    int32_t found = FindIndex(name, insertPos);
    auto* entry = found < 0 ? nullptr : As<TZarixClass>(FList->Item(found));
    if (!entry) {
        if (FMissing.size() >= kMaxMissing) FMissing.clear();
        FMissing.insert(name);
        return nullptr;
    }
    FFound.emplace(name, std::make_pair(entry, entry->Serial()));
    FLast = entry;
    return entry;
}

TElementClass TZarixClasses::GetClass(const std::string& name) {
    TZarixClass* entry = GetZarixClassByName(name);
    return entry ? entry->ElementClass() : nullptr;
}

TElementClass TZarixClasses::FindClass(const std::string& name) {
    TElementClass cls = GetClass(name);
    if (!cls) throw EClassNotFound(Cz("Zarix nenašel třídu ") + name);
    return cls;
}

void TZarixClasses::Destroy() {
    if (ZarixClasses == this) ZarixClasses = nullptr;
    FLast = nullptr;
    inherited::Destroy();
}

// ---- unit routines ----------------------------------------------------------------------------

void RegisterZarixClass(TElementClass cls) {
    if (!ZarixClasses) {
        ZarixClasses = TZarixClasses::New();
        ZarixClasses->SetShowProperties(true);
    }
    ZarixClasses->AddClass(cls);
}

void RegisterRunTimeClass(TClassInfo* cls) {
    if (!cls) return;
    if (GetZarixClass(cls->Name)) throw Exception(Cz("Třída ") + cls->Name + Cz(" je již registrována"));
    auto*& store = RunTimeClasses();
    if (!store) {
        store = new std::vector<std::unique_ptr<TClassInfo>>();
        std::atexit(FreeRunTimeClasses);
    }
    store->emplace_back(cls);
    RegisterZarixClass(cls);
}

TElementClass GetZarixClass(const std::string& name) { return ZarixClasses ? ZarixClasses->GetClass(name) : nullptr; }

TElementClass FindZarixClass(const std::string& name) {
    if (!ZarixClasses) throw EClassNotFound(Cz("Zarix nenašel třídu ") + name);
    return ZarixClasses->FindClass(name);
}

TElement* CreateElementCopy(TElement* element) {
    if (!element) return nullptr;
    TZarixInstance* instance = TZarixInstance::New();
    TPersistent* copy = nullptr;
    try {
        instance->SetInstance(element);
        copy = instance->CreateInstanceCopy();
    } catch (...) {
        Free(instance);
        throw;
    }
    Free(instance);
    return static_cast<TElement*>(copy);
}

void RegisterEClassUnit() {
    RegisterZarixClass<TZarixClass>();
    RegisterZarixClass<TZarixClassProperty>();
}
