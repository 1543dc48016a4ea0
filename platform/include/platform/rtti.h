// Run-time type information of persistent objects: class records, published properties
// and the live-object set. The element model and every reader and writer of properties
// by name work only through this table.
#pragma once
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

class TPersistent;
class PropertyTable;
struct TClassInfo;

// Type kinds keep the class library's numbering.
enum TTypeKind : uint8_t {
    tkUnknown = 0, tkInteger = 1, tkChar = 2, tkEnumeration = 3, tkFloat = 4, tkString = 5,
    tkSet = 6, tkClass = 7, tkMethod = 8, tkWChar = 9, tkLString = 10, tkWString = 11,
    tkVariant = 12, tkArray = 13, tkRecord = 14, tkInterface = 15, tkInt64 = 16, tkDynArray = 17
};

enum TOrdType : uint8_t { otSByte, otUByte, otSWord, otUWord, otSLong, otULong };

struct TTypeInfo {
    TTypeKind Kind = tkUnknown;
    std::string Name;
    TOrdType OrdType = otSLong;
    int64_t MinValue = INT32_MIN;
    int64_t MaxValue = INT32_MAX;
    std::vector<std::string> Names;          // enumeration identifiers
    const TTypeInfo* CompType = nullptr;     // member type of a set
    int MaxLength = 255;                     // short strings
    const TClassInfo* ClassType = nullptr;   // class properties (read it through ClassRef)
    const TClassInfo* (*ClassTypeFn)() = nullptr;  // supplies ClassType on first use

    // The class of a class-kind type. A type made before its class record existed (a
    // property of the declaring class's own type) resolves it, and its Name, here.
    const TClassInfo* ClassRef() const;
};

// Shared type records.
const TTypeInfo* TypeInfoInteger();
const TTypeInfo* TypeInfoCardinal();
const TTypeInfo* TypeInfoSmallInt();
const TTypeInfo* TypeInfoByte();
const TTypeInfo* TypeInfoChar();
const TTypeInfo* TypeInfoBoolean();   // enumeration False, True
const TTypeInfo* TypeInfoFloat();
const TTypeInfo* TypeInfoLString();
const TTypeInfo* TypeInfoMethod();
const TTypeInfo* TypeInfoInt64();
const TTypeInfo* TypeInfoShortString(int maxLength);
// A new enumeration or set type; the record lives for the whole process.
const TTypeInfo* MakeEnumType(std::string name, std::initializer_list<const char*> identifiers);
const TTypeInfo* MakeSetType(std::string name, const TTypeInfo* members);
const TTypeInfo* MakeClassType(const TClassInfo* cls);
// The same, with the class record taken from cls() on first use.
const TTypeInfo* MakeLazyClassType(const TClassInfo* (*cls)());

// A method value: code and data addresses.
struct TMethod {
    uintptr_t Code = 0;
    uintptr_t Data = 0;
    bool operator==(const TMethod&) const = default;
};

// One published property. Accessors are set according to the kind; a missing reader or
// writer is an empty function.
struct TPropInfo {
    std::string Name;
    const TTypeInfo* PropType = nullptr;
    int NameIndex = 0;                         // position in the class's table
    int32_t Default = INT32_MIN;               // INT32_MIN: no default
    bool StoredConst = true;                   // used when StoredFn is empty
    std::function<bool(TPersistent*)> StoredFn;
    bool WriteOnly = false;                    // a command: never read, stored or copied

    std::function<int64_t(TPersistent*)> GetOrd;       // integer, char, enumeration, set, int64
    std::function<void(TPersistent*, int64_t)> SetOrd;
    std::function<double(TPersistent*)> GetFloat;
    std::function<void(TPersistent*, double)> SetFloat;
    std::function<std::string(TPersistent*)> GetStr;
    std::function<void(TPersistent*, const std::string&)> SetStr;
    std::function<TPersistent*(TPersistent*)> GetObj;  // class kind
    std::function<void(TPersistent*, TPersistent*)> SetObj;
    std::function<TMethod(TPersistent*)> GetMeth;
    std::function<void(TPersistent*, const TMethod&)> SetMeth;

    TTypeKind Kind() const { return PropType ? PropType->Kind : tkUnknown; }
    bool HasReader() const;
    bool HasWriter() const;
    // The stored specifier judged on the class alone: a constant answers itself, a
    // per-object test answers True.
    bool StoredOnClass() const { return WriteOnly ? false : (StoredFn ? true : StoredConst); }
};

using TPropList = std::vector<TPropInfo>;

// A class record: name, parent, factory and the published-property table (the
// ancestors' properties first, then the class's own in declaration order; a redeclared
// name replaces the inherited entry in place).
struct TClassInfo {
    std::string Name;
    const TClassInfo* Parent = nullptr;
    TPersistent* (*NewBlank)() = nullptr;  // plain construction, no Create()
    // A class made at run time: plain construction of an object of this very class
    // (NewBlank then makes the static class it derives from).
    TPersistent* (*NewBlankOf)(const TClassInfo* cls) = nullptr;
    size_t InstanceSize = 0;
    TPropList Props;

    bool InheritsFrom(const TClassInfo* other) const;
    // Plain construction of an object of this class, no Create().
    TPersistent* NewBlankInstance() const;
    // Plain construction followed by the virtual constructor Create().
    TPersistent* CreateInstance() const;
    // The first property of that name in table order (ASCII case-insensitive), through an
    // index of the names made on first use; nil / -1 when there is none.
    const TPropInfo* FindProp(std::string_view name) const;
    int FindPropIndex(std::string_view name) const;
    int PropCount() const { return static_cast<int>(Props.size()); }

private:
    void IndexNames() const;
    mutable std::vector<int32_t> nameSlots_;  // open addressing over Props; -1 empty
    mutable size_t indexedCount_ = 0;
};

// The root of every persistent object. C++ constructors only zero-initialise; the
// virtual Create() sets defaults; Free() runs the virtual Destroy() and deletes.
class TPersistent {
public:
    TPersistent();
    TPersistent(const TPersistent&) = delete;
    TPersistent& operator=(const TPersistent&) = delete;
    virtual ~TPersistent();

    static const TClassInfo* StaticClass();
    static void Publish(PropertyTable&) {}
    virtual const TClassInfo* ClassType() const { return StaticClass(); }
    std::string ClassName() const { return ClassType()->Name; }
    bool InheritsFrom(const TClassInfo* c) const { return ClassType()->InheritsFrom(c); }
    template <class T> bool Is() const { return InheritsFrom(T::StaticClass()); }

    virtual void Create() {}
    // Run by Free before Destroy, while the whole object is still intact.
    virtual void BeforeDestruction() {}
    virtual void Destroy() {}
    virtual void AssignTo(TPersistent* dest);
    virtual void Assign(TPersistent* source);

    // A number no other object of the process has had: a reference kept with it tells
    // this object from a later one at the same address.
    uint64_t Serial() const { return serial_; }

private:
    uint64_t serial_;
};

// Runs the object's Destroy() and deletes it; nil is ignored.
void Free(TPersistent* obj);
// Whether the pointer names an object that is still alive.
bool IsLive(const void* obj);
// Whether the object of that serial number still lives at the address (never a later
// object that reuses it).
bool IsLive(const void* obj, uint64_t serial);
// How many objects have been destroyed so far in the process: while it stays the same,
// every object seen alive before is still alive, without asking the live set.
uint64_t DestroyedCount();
// The object at an address given as a number, when a live object sits there.
TPersistent* LiveObjectAt(uintptr_t address);

// Checked cast along the class records; nil when the object is not of the class.
template <class T> T* As(TPersistent* obj) {
    return (obj && obj->Is<T>()) ? static_cast<T*>(obj) : nullptr;
}
template <class T> const T* As(const TPersistent* obj) {
    return (obj && obj->Is<T>()) ? static_cast<const T*>(obj) : nullptr;
}

// ---- declaring classes and their published properties --------------------------------

class PropertyTable;

// Fluent options of one property entry.
class PropRef {
public:
    PropRef(TPropList& list, size_t index) : list_(list), index_(index) {}
    PropRef& Stored(bool value);
    template <class C, class F> PropRef& StoredIf(F f) {
        P().StoredFn = [f](TPersistent* o) { return static_cast<bool>(std::invoke(f, static_cast<C*>(o))); };
        return *this;
    }
    PropRef& Default(int32_t value);
    TPropInfo& P() { return list_[index_]; }
private:
    TPropList& list_;
    size_t index_;
};

namespace rtti_detail {
template <class T> struct MemberClass { using type = void; };
template <class V, class C> struct MemberClass<V C::*> { using type = C; };
// The class a getter or setter belongs to, when one of them is a member pointer.
template <class C, class G, class S> struct Owner {
    using fromG = typename MemberClass<G>::type;
    using fromS = typename MemberClass<S>::type;
    using type = std::conditional_t<!std::is_void_v<C>, C, std::conditional_t<!std::is_void_v<fromG>, fromG, fromS>>;
    static_assert(!std::is_void_v<type>, "name the class: neither accessor is a member pointer");
};
}  // namespace rtti_detail

class PropertyTable {
    template <class C, class G, class S> using OwnerOf = typename rtti_detail::Owner<C, G, S>::type;

public:
    explicit PropertyTable(TPropList& list) : list_(list) {}

    // Adds or, for a redeclared name, replaces an entry. An entry with a writer and no
    // reader is a write-only command: never read, stored or copied.
    PropRef Add(TPropInfo info);

    // Getter: callable as g(C*) -> value, a member (function or field) pointer, or nullptr.
    // Setter: callable as s(C*, value), a member function pointer, or nullptr. C may be
    // left out when the getter or the setter is a member pointer.
    template <class C = void, class G, class S> PropRef Int(const char* n, G g, S s) { return Ord<OwnerOf<C, G, S>, int32_t>(n, TypeInfoInteger(), g, s); }
    template <class C = void, class G, class S> PropRef Card(const char* n, G g, S s) { return Ord<OwnerOf<C, G, S>, uint32_t>(n, TypeInfoCardinal(), g, s); }
    template <class C = void, class G, class S> PropRef Byte(const char* n, G g, S s) { return Ord<OwnerOf<C, G, S>, uint8_t>(n, TypeInfoByte(), g, s); }
    template <class C = void, class G, class S> PropRef SmallInt(const char* n, G g, S s) { return Ord<OwnerOf<C, G, S>, int16_t>(n, TypeInfoSmallInt(), g, s); }
    template <class C = void, class G, class S> PropRef Char(const char* n, G g, S s) { return Ord<OwnerOf<C, G, S>, char>(n, TypeInfoChar(), g, s); }
    template <class C = void, class G, class S> PropRef Bool(const char* n, G g, S s) { return Ord<OwnerOf<C, G, S>, bool>(n, TypeInfoBoolean(), g, s); }
    template <class C = void, class G, class S> PropRef Int64(const char* n, G g, S s) { return Ord<OwnerOf<C, G, S>, int64_t>(n, TypeInfoInt64(), g, s); }
    // Enumerations and sets: values are converted through int.
    template <class C, class V, class G, class S> PropRef Enum(const char* n, const TTypeInfo* t, G g, S s) { return Ord<C, V>(n, t, g, s); }
    template <class C, class V, class G, class S> PropRef Set(const char* n, const TTypeInfo* t, G g, S s) { return Ord<C, V>(n, t, g, s); }

    template <class C = void, class G, class S> PropRef Float(const char* n, G g, S s) {
        using K = OwnerOf<C, G, S>;
        TPropInfo p = Base(n, TypeInfoFloat());
        if constexpr (!std::is_null_pointer_v<G>) p.GetFloat = [g](TPersistent* o) { return static_cast<double>(std::invoke(g, static_cast<K*>(o))); };
        if constexpr (!std::is_null_pointer_v<S>) p.SetFloat = [s](TPersistent* o, double v) { std::invoke(s, static_cast<K*>(o), v); };
        return Add(std::move(p));
    }
    template <class C = void, class G, class S> PropRef Str(const char* n, G g, S s) { return Text<OwnerOf<C, G, S>>(n, TypeInfoLString(), g, s); }
    template <class C = void, class G, class S> PropRef ShortStr(const char* n, int maxLen, G g, S s) { return Text<OwnerOf<C, G, S>>(n, TypeInfoShortString(maxLen), g, s); }

    // Object property of class V (a TPersistent descendant).
    template <class C, class V, class G, class S> PropRef Obj(const char* n, G g, S s) {
        TPropInfo p = Base(n, MakeLazyClassType(&V::StaticClass));
        if constexpr (!std::is_null_pointer_v<G>) p.GetObj = [g](TPersistent* o) -> TPersistent* { return std::invoke(g, static_cast<C*>(o)); };
        if constexpr (!std::is_null_pointer_v<S>) p.SetObj = [s](TPersistent* o, TPersistent* v) { std::invoke(s, static_cast<C*>(o), static_cast<V*>(v)); };
        return Add(std::move(p));
    }

    // A plain field, read and written in place; the kind follows the field's type:
    // int32_t, uint32_t, uint8_t, int16_t, char, bool, int64_t, double, std::string, or a
    // pointer to a TPersistent descendant.
    template <class C, class V> PropRef Field(const char* n, V C::*field) {
        auto set = [field](C* c, V v) { c->*field = v; };
        if constexpr (std::is_same_v<V, int32_t>) return Int<C>(n, field, set);
        else if constexpr (std::is_same_v<V, uint32_t>) return Card<C>(n, field, set);
        else if constexpr (std::is_same_v<V, uint8_t>) return Byte<C>(n, field, set);
        else if constexpr (std::is_same_v<V, int16_t>) return SmallInt<C>(n, field, set);
        else if constexpr (std::is_same_v<V, char>) return Char<C>(n, field, set);
        else if constexpr (std::is_same_v<V, bool>) return Bool<C>(n, field, set);
        else if constexpr (std::is_same_v<V, int64_t>) return Int64<C>(n, field, set);
        else if constexpr (std::is_same_v<V, double>) return Float<C>(n, field, set);
        else if constexpr (std::is_same_v<V, std::string>)
            return Str<C>(n, field, [field](C* c, const std::string& v) { c->*field = v; });
        else if constexpr (std::is_pointer_v<V> && std::is_base_of_v<TPersistent, std::remove_pointer_t<V>>)
            return Obj<C, std::remove_pointer_t<V>>(n, field, set);
        else static_assert(sizeof(V) == 0, "no property kind for this field type");
    }
    // A plain enumeration or set field of the given type.
    template <class C, class V> PropRef Field(const char* n, const TTypeInfo* t, V C::*field) {
        return Ord<C, V>(n, t, field, [field](C* c, V v) { c->*field = v; });
    }
    // A plain short-string field of at most maxLen characters.
    template <class C> PropRef ShortField(const char* n, int maxLen, std::string C::*field) {
        return ShortStr<C>(n, maxLen, field, [field](C* c, const std::string& v) { c->*field = v; });
    }

    template <class C, class G, class S> PropRef Method(const char* n, G g, S s) {
        TPropInfo p = Base(n, TypeInfoMethod());
        if constexpr (!std::is_null_pointer_v<G>) p.GetMeth = [g](TPersistent* o) { return std::invoke(g, static_cast<C*>(o)); };
        if constexpr (!std::is_null_pointer_v<S>) p.SetMeth = [s](TPersistent* o, const TMethod& v) { std::invoke(s, static_cast<C*>(o), v); };
        return Add(std::move(p));
    }

private:
    static TPropInfo Base(const char* n, const TTypeInfo* t) {
        TPropInfo p;
        p.Name = n;
        p.PropType = t;
        return p;
    }
    template <class C, class V, class G, class S> PropRef Ord(const char* n, const TTypeInfo* t, G g, S s) {
        TPropInfo p = Base(n, t);
        if constexpr (!std::is_null_pointer_v<G>)
            p.GetOrd = [g](TPersistent* o) { return static_cast<int64_t>(std::invoke(g, static_cast<C*>(o))); };
        if constexpr (!std::is_null_pointer_v<S>)
            p.SetOrd = [s](TPersistent* o, int64_t v) { std::invoke(s, static_cast<C*>(o), static_cast<V>(v)); };
        return Add(std::move(p));
    }
    template <class C, class G, class S> PropRef Text(const char* n, const TTypeInfo* t, G g, S s) {
        TPropInfo p = Base(n, t);
        if constexpr (!std::is_null_pointer_v<G>)
            p.GetStr = [g](TPersistent* o) { return std::string(std::invoke(g, static_cast<C*>(o))); };
        if constexpr (!std::is_null_pointer_v<S>)
            p.SetStr = [s](TPersistent* o, const std::string& v) { std::invoke(s, static_cast<C*>(o), v); };
        return Add(std::move(p));
    }
    TPropList& list_;
};

namespace rtti_detail {
template <class T> TPersistent* NewBlank() { return new T(); }
TClassInfo* NewClassInfo(const char* name, const TClassInfo* parent, TPersistent* (*blank)(), size_t size);
// Publish functions are static members; an inherited one is not run again.
template <class T, class P> void Publish(TClassInfo* ci) {
    if constexpr (!std::is_same_v<T, P>) {
        if (&T::Publish != &P::Publish) {
            PropertyTable table(ci->Props);
            T::Publish(table);
        }
    }
}
void FinishClassInfo(TClassInfo* ci);
// Runs the virtual constructor; when it raises, the object's Destroy() releases what
// was made so far, the object is deleted and the exception goes on.
void CreateOrRelease(TPersistent* obj);
}  // namespace rtti_detail

// Declares a class record for T with parent P, a factory and T::New().
// A class may declare `static void Publish(PropertyTable& t)` to add its properties.
#define ZARIX_CLASS(T, P)                                                                       \
public:                                                                                         \
    using inherited = P;                                                                        \
    static const TClassInfo* StaticClass() {                                                    \
        static const TClassInfo* ci = [] {                                                      \
            TClassInfo* c = rtti_detail::NewClassInfo(#T, P::StaticClass(),                     \
                                                      &rtti_detail::NewBlank<T>, sizeof(T));    \
            rtti_detail::Publish<T, P>(c);                                                      \
            rtti_detail::FinishClassInfo(c);                                                    \
            return c;                                                                           \
        }();                                                                                    \
        return ci;                                                                              \
    }                                                                                           \
    const TClassInfo* ClassType() const override { return T::StaticClass(); }                   \
    static T* New() {                                                                           \
        T* o = new T();                                                                         \
        rtti_detail::CreateOrRelease(o);                                                        \
        return o;                                                                               \
    }                                                                                           \
                                                                                                \
public:

// ---- property access (the class library's type-information routines) -----------------

const TPropList& GetPropInfos(const TPersistent* obj);
const TPropInfo* GetPropInfo(const TPersistent* obj, std::string_view name);
int64_t GetOrdProp(TPersistent* obj, const TPropInfo& p);         // class kind: the address
void SetOrdProp(TPersistent* obj, const TPropInfo& p, int64_t v); // class kind: ignored
double GetFloatProp(TPersistent* obj, const TPropInfo& p);
void SetFloatProp(TPersistent* obj, const TPropInfo& p, double v);
std::string GetStrProp(TPersistent* obj, const TPropInfo& p);
void SetStrProp(TPersistent* obj, const TPropInfo& p, const std::string& v); // short strings cut
TPersistent* GetObjectProp(TPersistent* obj, const TPropInfo& p);
void SetObjectProp(TPersistent* obj, const TPropInfo& p, TPersistent* v);
TMethod GetMethodProp(TPersistent* obj, const TPropInfo& p);
void SetMethodProp(TPersistent* obj, const TPropInfo& p, const TMethod& v);
bool IsStoredProp(TPersistent* obj, const TPropInfo& p);
// Identifier of an enumeration value ("" outside the range) and value of an identifier
// (case-insensitive; -1 when absent).
std::string GetEnumName(const TTypeInfo* t, int64_t value);
int GetEnumValue(const TTypeInfo* t, std::string_view name);
// The bit mask of all members of a set type.
uint32_t SetTypeMask(const TTypeInfo* t);
