#include "kernel/class_registry.h"

#include <cstdlib>
#include <memory>


#include "platform/sysutils.h"
#include "kernel/element_holder.h"

TZarixClasses* ZarixClasses = nullptr;

namespace {

// Counts renames, owner changes and ends of registry entries (never 0).
uint64_t g_entryChanges = 1;

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

void TZarixClass::SetName(const std::string& value) {
    ++g_entryChanges;
    inherited::SetName(value);
}

void TZarixClass::AddOwner(TEntity* owner) {
    ++g_entryChanges;
    inherited::AddOwner(owner);
}

void TZarixClass::RemoveOwner(TEntity* owner) {
    ++g_entryChanges;
    inherited::RemoveOwner(owner);
}

void TZarixClass::PutOwner(int32_t index, TEntity* owner) {
    ++g_entryChanges;
    inherited::PutOwner(index, owner);
}

void TZarixClass::Destroy() {
    ++g_entryChanges;
    FPropTable.clear();
    FPropCount = 0;
    inherited::Destroy();
}

TZarixClass::~TZarixClass() { ++g_entryChanges; }

// ---- TZarixInstance ------------------------------------------------------------------------

bool TZarixInstance::GetPropertyStored(int32_t index) {
    if (FPropTable.empty() || !FInstance) return false;
    return IsStoredProp(FInstance, *CheckedProp(index));
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
    TElementHolder<TPersistent> copy(FElementClass->CreateInstance());
    TElementHolder<TZarixInstance> target(TZarixInstance::New());
    target->SetInstance(copy.Get());
    for (int32_t i = 0; i < FPropCount; ++i) {
        const TPropInfo* p = FPropTable[static_cast<size_t>(i)];
        // Only what a file would carry: readable, writable and stored.
        if (!p->HasReader() || !p->HasWriter() || !GetPropertyStored(i)) continue;
        TZarixPropValue value;
        GetPropertyValue(i, value);
        target->SetPropertyValue(i, value);
    }
    return copy.Release();
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

constexpr size_t kMaxMissing = 1024;

// The same name in the same or another letter case; the same bytes compare first.
inline bool SameFolded(std::string_view a, std::string_view b) {
    return a.size() == b.size() && (rtti_detail::SameBytes(a.data(), b.data(), a.size()) || AnsiSameText(a, b));
}

}  // namespace

void TZarixClasses::InsertByName(TZarixClass* entry) {
    ++g_entryChanges;  // a name not found before may be found now
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

inline TZarixClasses::TKnownName* TZarixClasses::FindKnown(uint64_t hash, const std::string& name) {
    if (FKnown.empty()) return nullptr;
    const size_t mask = FKnown.size() - 1;
    for (size_t i = hash & mask;; i = (i + 1) & mask) {
        TKnownName& known = FKnown[i];
        if (known.checked == 0) return nullptr;
        if (known.hash == hash && SameFolded(known.name, name)) return &known;
    }
}

TZarixClasses::TKnownName& TZarixClasses::AddKnown(uint64_t hash, const std::string& name) {
    if ((FKnownCount + 1) * 2 > FKnown.size()) {
        std::vector<TKnownName> old(std::max<size_t>(64, FKnown.size() * 2));
        old.swap(FKnown);
        FKnownCount = 0;
        for (TKnownName& known : old)
            if (known.checked != 0) {
                TKnownName& moved = AddKnown(known.hash, known.name);
                moved = std::move(known);
            }
    }
    const size_t mask = FKnown.size() - 1;
    size_t i = hash & mask;
    while (FKnown[i].checked != 0) i = (i + 1) & mask;
    ++FKnownCount;
    FKnown[i].hash = hash;
    FKnown[i].name = name;
    FKnown[i].checked = g_entryChanges;
    return FKnown[i];
}

TZarixClass* TZarixClasses::GetZarixClassByName(const std::string& name) {
    const uint64_t hash = AnsiFoldedNameHash(name);
    TKnownName* known = FindKnown(hash, name);
    if (known && known->checked != g_entryChanges) {
        TZarixClass* entry = known->entry;
        if (entry && IsLive(entry, known->serial) && entry->IsMyOwner(this) && SameFolded(entry->NameView(), name))
            known->checked = g_entryChanges;
    }
    if (known && known->checked == g_entryChanges) {
        if (known->entry) FLast = known->entry;
        return known->entry;
    }
    int32_t insertPos;
    int32_t found = FindIndex(name, insertPos);
    auto* entry = found < 0 ? nullptr : As<TZarixClass>(FList->Item(found));
    if (!known) {
        if (!entry && FKnownMissing >= kMaxMissing) {
            FKnown.clear();
            FKnownCount = FKnownMissing = 0;
        }
        known = &AddKnown(hash, name);
        if (!entry) ++FKnownMissing;
    } else if (!known->entry != !entry) {
        if (entry) --FKnownMissing;
        else ++FKnownMissing;
    }
    known->entry = entry;
    known->serial = entry ? entry->Serial() : 0;
    known->checked = g_entryChanges;
    if (entry) FLast = entry;
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
    TElementHolder<TZarixInstance> instance(TZarixInstance::New());
    instance->SetInstance(element);
    return static_cast<TElement*>(instance->CreateInstanceCopy());
}

void RegisterEClassUnit() {
    RegisterZarixClass<TZarixClass>();
    RegisterZarixClass<TZarixClassProperty>();
}
