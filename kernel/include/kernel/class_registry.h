// The class registry: registered element classes sorted by name, looked up without
// regard to letter case, with their published-property tables.
#pragma once
#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "kernel/elements.h"

// One published property of a registered class.
class TZarixClassProperty : public TNameElement {
    ZARIX_CLASS(TZarixClassProperty, TNameElement)
    static void Publish(PropertyTable& t);

public:
    int32_t PropIndex = 0;

    // Stores the record and takes the property's name.
    void SetPropInfo(const TPropInfo* info);
    const TPropInfo* PropInfo() const { return FPropInfo; }
    TTypeKind GetTypeKind() const;

private:
    const TPropInfo* FPropInfo = nullptr;
};

// A property value in the raw form of its kind.
struct TZarixPropValue {
    TTypeKind Kind = tkUnknown;
    int64_t Ord = 0;            // integer, char, enumeration, set, wide char, 64-bit integer
    double Float = 0;
    std::string Str;            // short, long and wide strings
    TPersistent* Obj = nullptr; // class
    TMethod Method;
};

// A registry entry: the element class and its property table.
class TZarixClass : public TOwnerEntity {
    ZARIX_CLASS(TZarixClass, TOwnerEntity)
    static void Publish(PropertyTable& t);

public:
    // A property table holds at most this many entries.
    static constexpr int32_t kMaxProps = 16380;

    virtual bool GetPropertyStored(int32_t index);
    virtual void ShowProperties();
    virtual int32_t PropertyIndex(const std::string& name);

    void SetElementClass(TElementClass cls);
    TElementClass ElementClass() const { return FElementClass; }
    std::string GetElementClassName() const;
    std::string GetAncestorClassName() const;
    int32_t PropCount() const { return FPropCount; }

    // Indexes outside 0..PropCount-1 raise ERangeError.
    std::string GetPropertyName(int32_t index);
    TTypeKind GetPropertyTypeKind(int32_t index);
    const TPropInfo* GetPropInfo(int32_t index);
    bool IsClassName(const std::string& name);

    // A new name, another owner or the end of an entry makes the registries check their
    // remembered lookups again.
    void SetName(const std::string& value) override;
    void AddOwner(TEntity* owner) override;
    void RemoveOwner(TEntity* owner) override;
    void PutOwner(int32_t index, TEntity* owner) override;
    void Destroy() override;
    ~TZarixClass() override;

protected:
    const TPropInfo* CheckedProp(int32_t index);
    TElementClass FElementClass = nullptr;
    std::vector<const TPropInfo*> FPropTable;
    int32_t FPropCount = 0;
};

// The property table of one class bound to one object.
class TZarixInstance : public TZarixClass {
    ZARIX_CLASS(TZarixInstance, TZarixClass)

public:
    bool GetPropertyStored(int32_t index) override;

    // Binding nil leaves no object and no class.
    void SetInstance(TPersistent* instance) { SetInstance(instance, instance ? instance->ClassType() : nullptr); }
    // The same for an object whose class is known to be cls.
    void SetInstance(TPersistent* instance, TElementClass cls) {
        FInstance = instance;
        // Another object of the bound class keeps the table.
        if (!cls || cls != FElementClass || FPropCount != std::min<int32_t>(cls->PropCount(), kMaxProps))
            SetElementClass(cls);
    }
    TPersistent* Instance() const { return FInstance; }
    void GetPropertyValue(int32_t index, TZarixPropValue& value);
    void SetPropertyValue(int32_t index, TZarixPropValue& value);
    // A new object of the bound class with every readable, writable and stored property
    // copied; owned by the caller. Nil without an object.
    TPersistent* CreateInstanceCopy();

private:
    TPersistent* FInstance = nullptr;
};

// The registry: TZarixClass children sorted by name.
class TZarixClasses : public TOwnerEntity {
    ZARIX_CLASS(TZarixClasses, TOwnerEntity)
    static void Publish(PropertyTable& t);

public:
    virtual void AddZarixClass(TZarixClass* entry);
    virtual void AddClass(TElementClass cls);
    virtual TZarixClass* GetZarixClassByName(const std::string& name);
    virtual TElementClass GetClass(const std::string& name);
    virtual TElementClass FindClass(const std::string& name);  // EClassNotFound

    // The position of an entry of that name or -1; insertPos receives where a new
    // entry goes (-1: at the end).
    int32_t FindIndex(const std::string& name, int32_t& insertPos);
    bool GetShowProperties() const { return FShowProperties; }
    void SetShowProperties(bool value) { FShowProperties = value; }
    bool GetSortByName() const { return FSortByName; }
    void SetSortByName(bool) {}
    TZarixClass* LastEntry() const { return FLast; }
    void Destroy() override;

private:
    // Puts the entry at its place in name order; it becomes the last entry.
    void InsertByName(TZarixClass* entry);
    // Names looked up before, each with its answer (an entry or nil) and the count of
    // entry changes when it was last known right: while no entry of any registry was
    // renamed, moved to another owner or ended since, it still is; otherwise the entry is
    // checked (alive, still held here, of that name) or the name looked up again. Open
    // addressing over the case-folded hash; names not registered are bounded.
    struct TKnownName {
        uint64_t hash = 0;
        uint64_t checked = 0;  // 0: an empty slot
        std::string name;
        TZarixClass* entry = nullptr;
        uint64_t serial = 0;
    };
    TKnownName* FindKnown(uint64_t hash, const std::string& name);
    TKnownName& AddKnown(uint64_t hash, const std::string& name);
    std::vector<TKnownName> FKnown;
    size_t FKnownCount = 0;
    size_t FKnownMissing = 0;
    TZarixClass* FLast = nullptr;
    bool FShowProperties = false;
    bool FSortByName = false;
    int32_t FCounter = 0;
};

// The process-wide registry; nil until the first registration.
extern TZarixClasses* ZarixClasses;

void RegisterZarixClass(TElementClass cls);
template <class T> void RegisterZarixClass() { RegisterZarixClass(T::StaticClass()); }
// Registers a class made at run time, whose record was built like a static one
// (rtti_detail::NewClassInfo, its property table, rtti_detail::FinishClassInfo). The
// registry owns the record from then on and frees it at exit. A name that is registered
// already raises Exception and leaves the record with the caller.
void RegisterRunTimeClass(TClassInfo* cls);
// The class registered under the name, or nil.
TElementClass GetZarixClass(const std::string& name);
// The class registered under the name; EClassNotFound when there is none.
TElementClass FindZarixClass(const std::string& name);
// A property-by-property copy of the element, owned by the caller.
TElement* CreateElementCopy(TElement* element);

// Registers the registry's own element classes.
void RegisterEClassUnit();
