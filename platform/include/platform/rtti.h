// Run-time type information of persistent objects: class records, published properties
// and the live-object set. The element model and every reader and writer of properties
// by name work only through this table.
#pragma once
#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <functional>
#include <initializer_list>
#include <memory>
#include <new>
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

// A property accessor: a small callable kept in place (a member pointer, a field index),
// copied as plain bytes. Class records copy their ancestors' entries, so the thousands of
// entries made at start-up cost no allocation or type-erased copy for their accessors.
template <class Sig> class TPropFn;
template <class R, class... A> class TPropFn<R(A...)> {
public:
    TPropFn() = default;
    TPropFn(std::nullptr_t) {}
    template <class F>
        requires(!std::is_same_v<std::decay_t<F>, TPropFn> && std::is_invocable_r_v<R, const F&, A...>)
    TPropFn(F f) {
        static_assert(sizeof(F) <= sizeof(data_) && alignof(F) <= alignof(void*) &&
                          std::is_trivially_copyable_v<F> && std::is_trivially_destructible_v<F>,
                      "an accessor keeps at most two words of plain data");
        ::new (static_cast<void*>(data_)) F(f);
        call_ = [](const void* d, A... a) -> R { return std::invoke(*static_cast<const F*>(d), std::forward<A>(a)...); };
    }
    explicit operator bool() const { return call_ != nullptr; }
    R operator()(A... a) const { return call_(data_, std::forward<A>(a)...); }

private:
    R (*call_)(const void*, A...) = nullptr;
    alignas(void*) unsigned char data_[16] = {};
};

// One published property. Accessors are set according to the kind; a missing reader or
// writer is an empty accessor.
struct TPropInfo {
    std::string Name;
    const TTypeInfo* PropType = nullptr;
    int NameIndex = 0;                         // position in the class's table
    int32_t Default = INT32_MIN;               // INT32_MIN: no default
    bool StoredConst = true;                   // used when StoredFn is empty
    TPropFn<bool(TPersistent*)> StoredFn;
    bool WriteOnly = false;                    // a command: never read, stored or copied

    TPropFn<int64_t(TPersistent*)> GetOrd;       // integer, char, enumeration, set, int64
    TPropFn<void(TPersistent*, int64_t)> SetOrd;
    TPropFn<double(TPersistent*)> GetFloat;
    TPropFn<void(TPersistent*, double)> SetFloat;
    TPropFn<std::string(TPersistent*)> GetStr;
    TPropFn<void(TPersistent*, const std::string&)> SetStr;
    TPropFn<TPersistent*(TPersistent*)> GetObj;  // class kind
    TPropFn<void(TPersistent*, TPersistent*)> SetObj;
    TPropFn<TMethod(TPersistent*)> GetMeth;
    TPropFn<void(TPersistent*, const TMethod&)> SetMeth;

    TTypeKind Kind() const { return PropType ? PropType->Kind : tkUnknown; }
    bool HasReader() const;
    bool HasWriter() const;
    // The stored specifier judged on the class alone: a constant answers itself, a
    // per-object test answers True.
    bool StoredOnClass() const { return WriteOnly ? false : (StoredFn ? true : StoredConst); }
};

using TPropList = std::vector<TPropInfo>;

// ---- case-folded name hashing -------------------------------------------------------------

namespace rtti_detail {
inline uint64_t Load8(const char* p) { uint64_t w; std::memcpy(&w, p, 8); return w; }
inline uint64_t Load4(const char* p) { uint32_t w; std::memcpy(&w, p, 4); return w; }
// ASCII letters differ from their other case in bit 0x20 alone.
inline uint64_t AsciiFoldWord(uint64_t w) { return w & ~0x2020202020202020ULL; }
// Windows-1250 letters: 0x20 in every byte, 0x1E as well in bytes from 0x80 up.
inline uint64_t AnsiFoldWord(uint64_t w) {
    return w & ~(0x2020202020202020ULL | (((w >> 7) & 0x0101010101010101ULL) * 0x1EULL));
}
inline uint64_t Mix(uint64_t a, uint64_t b) {
    unsigned __int128 m = static_cast<unsigned __int128>(a) * b;
    return static_cast<uint64_t>(m) ^ static_cast<uint64_t>(m >> 64);
}
template <uint64_t (*Fold)(uint64_t)> uint64_t FoldedHashLong(std::string_view s) {
    const char* p = s.data();
    const size_t n = s.size();
    uint64_t h = 0x9E3779B97F4A7C15ULL ^ n;
    for (size_t i = 0; i + 8 < n; i += 8) h = Mix(h ^ Fold(Load8(p + i)), 0xD6E8FEB86659FD93ULL);
    return Mix(h ^ Fold(Load8(p + n - 8)), 0xA0761D6478BD642FULL);
}
// Names of up to 16 bytes cost two overlapping loads, no loop.
template <uint64_t (*Fold)(uint64_t)> inline uint64_t FoldedHash(std::string_view s) {
    const char* p = s.data();
    const size_t n = s.size();
    uint64_t a = 0, b = 0;
    if (n >= 8) {
        if (n > 16) [[unlikely]] return FoldedHashLong<Fold>(s);
        a = Load8(p);
        b = Load8(p + n - 8);
    } else if (n >= 4) {
        a = Load4(p);
        b = Load4(p + n - 4);
    } else if (n > 0) {
        a = static_cast<unsigned char>(p[0]) | static_cast<uint64_t>(static_cast<unsigned char>(p[n / 2])) << 8 |
            static_cast<uint64_t>(static_cast<unsigned char>(p[n - 1])) << 16;
    }
    return Mix(Fold(a) ^ 0x9E3779B97F4A7C15ULL, Fold(b) ^ (0xD6E8FEB86659FD93ULL + n));
}
// Whether n bytes at a and b are the same; up to 16 bytes cost two loads each.
inline bool SameBytes(const char* a, const char* b, size_t n) {
    if (n >= 8) {
        if (n > 16) [[unlikely]] return std::memcmp(a, b, n) == 0;
        return Load8(a) == Load8(b) && Load8(a + n - 8) == Load8(b + n - 8);
    }
    if (n >= 4) return Load4(a) == Load4(b) && Load4(a + n - 4) == Load4(b + n - 4);
    for (size_t i = 0; i < n; ++i)
        if (a[i] != b[i]) return false;
    return true;
}
TClassInfo* NewClassInfo(const char* name, const TClassInfo* parent, TPersistent* (*blank)(), size_t size);
}  // namespace rtti_detail

// A hash of a name that is the same for all its ASCII case variants.
inline uint64_t AsciiFoldedNameHash(std::string_view s) { return rtti_detail::FoldedHash<rtti_detail::AsciiFoldWord>(s); }
// A hash of a name that is the same for every spelling of it that the Windows-1250 case
// table takes for the same (AnsiSameText); other names may collide.
inline uint64_t AnsiFoldedNameHash(std::string_view s) { return rtti_detail::FoldedHash<rtti_detail::AnsiFoldWord>(s); }

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

    bool InheritsFrom(const TClassInfo* other) const {
        if (other && depth_ >= 0 && other->depth_ >= 0)
            return other->depth_ <= depth_ && ancestry_[static_cast<size_t>(other->depth_)] == other;
        return InheritsFromByParents(other);
    }
    // Plain construction of an object of this class, no Create().
    TPersistent* NewBlankInstance() const;
    // Plain construction followed by the virtual constructor Create().
    TPersistent* CreateInstance() const;
    // The first property of that name in table order (ASCII case-insensitive), through an
    // index of the names made on first use; nil / -1 when there is none.
    [[gnu::always_inline]] const TPropInfo* FindProp(std::string_view name) const {
        const NameSlot* slot = FindSlot(name);
        return slot ? slot->prop : nullptr;
    }
    [[gnu::always_inline]] int FindPropIndex(std::string_view name) const {
        const NameSlot* slot = FindSlot(name);
        return slot ? static_cast<int>(slot->entry) - 1 : -1;
    }
    int PropCount() const { return static_cast<int>(Props.size()); }

private:
    friend TClassInfo* rtti_detail::NewClassInfo(const char*, const TClassInfo*, TPersistent* (*)(), size_t);
    static bool SameAsciiText(std::string_view a, std::string_view b);
    bool InheritsFromByParents(const TClassInfo* other) const;
    void IndexNames() const;
    // Open addressing over Props: the entry's position + 1 (0: empty), the high half of
    // its name's hash and the name's first bytes.
    // A name's slot: its position + 1 (0: an empty slot), a key of hash bits and length
    // (up to 255), its entry and its first bytes.
    struct NameSlot {
        uint32_t entry = 0;
        uint32_t key = 0;
        const TPropInfo* prop = nullptr;
        char text[16] = {};
    };
    static uint32_t SlotKey(uint64_t hash, size_t size) {
        return (static_cast<uint32_t>(hash >> 32) & ~uint32_t(0xFF)) | static_cast<uint32_t>(std::min<size_t>(size, 255));
    }
    [[gnu::always_inline]] const NameSlot* FindSlot(std::string_view name) const {
        // A redeclared name replaces its entry in place, so only a new count needs a new index.
        if (!nameSlots_ || indexedBegin_ != Props.data() || indexedEnd_ != std::to_address(Props.cend())) [[unlikely]]
            IndexNames();
        const uint64_t h = AsciiFoldedNameHash(name);
        const uint32_t key = SlotKey(h, name.size());
        for (size_t i = h & slotMask_;; i = (i + 1) & slotMask_) {
            const NameSlot& slot = nameSlots_[i];
            if (slot.entry == 0) return nullptr;
            if (slot.key != key) continue;
            // The same bytes answer from the slot itself; another spelling compares.
            if (name.size() <= sizeof slot.text && rtti_detail::SameBytes(slot.text, name.data(), name.size()))
                return &slot;
            if (SameAsciiText(slot.prop->Name, name)) return &slot;
        }
    }
    mutable std::unique_ptr<NameSlot[]> nameSlots_;
    mutable size_t slotMask_ = 0;
    // The table as it was indexed: the same place and end means the same count.
    mutable const TPropInfo* indexedBegin_ = nullptr;
    mutable const TPropInfo* indexedEnd_ = nullptr;
    // The class's depth below its root class and its ancestors from the root down to the
    // class itself, made with the record (Parent is never assigned afterwards); -1 for a
    // record made some other way, which is tested along its parents.
    int depth_ = -1;
    std::vector<const TClassInfo*> ancestry_;
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
    uint64_t Serial() const { return word_ & kSerialMask; }

    // Objects come from per-size free lists that the process keeps (see rtti.cpp).
    static void* operator new(size_t size);
    static void* operator new(size_t size, std::align_val_t align);
    static void operator delete(void* p, size_t size) noexcept;
    static void operator delete(void* p, size_t size, std::align_val_t align) noexcept;

    static constexpr uint64_t kSerialMask = (uint64_t(1) << 62) - 1;
    static constexpr uint64_t kPooledBit = uint64_t(1) << 62;   // made in a pool slot, not in the live set
    static constexpr uint64_t kWatchedBit = uint64_t(1) << 63;

private:
    friend void WatchDestruction(TPersistent* obj);
    friend void UnwatchDestruction(TPersistent* obj);
    // The serial and the two flags; 0 once the object is destroyed. A pooled object's
    // word stays readable at its address (rtti_detail::InPlaceWord).
    uint64_t word_;
};

// Runs the object's Destroy() and deletes it; nil is ignored.
void Free(TPersistent* obj);

namespace rtti_detail {
// Pooled objects lie in one reserved stretch of address space, in chunks of 2 MB that
// each hold slots of one size. The memory stays with the pool, so the word of a pooled
// object can be read at a slot's start whether the object still lives there (its serial),
// was freed (0) or was followed by another (a new serial).
struct PoolMap {
    uintptr_t base = 0;
    uintptr_t size = 0;          // 0: no pool
    const uint8_t* chunks = nullptr;  // per chunk: slot size in 16-byte grains; kForeign; 0 unused
    uint64_t inverse[33] = {};   // ceil(2^32 / grains): the slot index without a division
};
extern PoolMap gPoolMap;
constexpr int kChunkBits = 21;
constexpr uint8_t kForeign = 0x80;  // the chunk held an object whose TPersistent was not at its start
constexpr size_t kWordOffset = 8;   // of TPersistent::word_ (checked where it is defined)
constexpr uint64_t kAskTheSet = ~uint64_t(0);
uint64_t WordInForeignChunk(const void* p);
// The word of the pooled object whose slot starts at p; kAskTheSet when p is no slot's
// start (objects elsewhere are kept in the live set).
[[gnu::always_inline]] inline uint64_t InPlaceWord(const void* p) {
    const uintptr_t off = reinterpret_cast<uintptr_t>(p) - gPoolMap.base;
    if (off >= gPoolMap.size) return kAskTheSet;
    const uint8_t grains = gPoolMap.chunks[off >> kChunkBits];
    const uint32_t unit = static_cast<uint32_t>(off & ((uintptr_t(1) << kChunkBits) - 1));
    if (grains == 0 || (unit & 15) != 0) return kAskTheSet;
    if (grains & kForeign) [[unlikely]] return WordInForeignChunk(p);
    const uint32_t u = unit >> 4;
    const uint32_t slot = static_cast<uint32_t>((u * gPoolMap.inverse[grains]) >> 32);
    if (slot * grains != u) return kAskTheSet;
    // Read as raw pool memory: the object there may have ended (the compiler is not to
    // judge the address by what it knows of p).
    uintptr_t at = reinterpret_cast<uintptr_t>(p) + kWordOffset;
    __asm__("" : "+r"(at));
    uint64_t w;
    std::memcpy(&w, reinterpret_cast<const char*>(at), sizeof w);
    return w;
}
bool IsLiveInSet(const void* obj);
bool IsLiveInSet(const void* obj, uint64_t serial);
}  // namespace rtti_detail

// Whether the pointer names an object that is still alive.
[[gnu::always_inline]] inline bool IsLive(const void* obj) {
    const uint64_t w = rtti_detail::InPlaceWord(obj);
    if (w != rtti_detail::kAskTheSet) return w != 0;
    return rtti_detail::IsLiveInSet(obj);
}
// Whether the object of that serial number still lives at the address (never a later
// object that reuses it).
[[gnu::always_inline]] inline bool IsLive(const void* obj, uint64_t serial) {
    const uint64_t w = rtti_detail::InPlaceWord(obj);
    if (w != rtti_detail::kAskTheSet) return serial != 0 && (w & TPersistent::kSerialMask) == serial;
    return rtti_detail::IsLiveInSet(obj, serial);
}
// How many objects have been destroyed so far in the process: while it stays the same,
// every object seen alive before is still alive, without asking the live set.
uint64_t DestroyedCount();
// The same for watched objects only: while WatchedDestroyedCount() stays the same, every
// watched object seen alive before is still alive, whatever else was freed meanwhile.
void WatchDestruction(TPersistent* obj);
void UnwatchDestruction(TPersistent* obj);
uint64_t WatchedDestroyedCount();
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
// The record lives in StaticClass's statics; they keep default visibility, so that a
// package built with hidden symbols shares the Kernel's records of the classes it derives
// from instead of making copies of its own (its classes would not inherit from Kernel's).
#define ZARIX_CLASS(T, P)                                                                       \
public:                                                                                         \
    using inherited = P;                                                                        \
    /* (A class of internal linkage ignores the visibility: it is the package's own.) */        \
    _Pragma("GCC diagnostic push") _Pragma("GCC diagnostic ignored \"-Wattributes\"")          \
    [[gnu::visibility("default")]] static const TClassInfo* StaticClass() {                     \
        static constinit std::atomic<const TClassInfo*> known{nullptr};                         \
        const TClassInfo* ci = known.load(std::memory_order_acquire);                           \
        if (!ci) [[unlikely]] ci = StaticClassMadeOnce_(known);                                 \
        return ci;                                                                              \
    }                                                                                           \
    /* Made once (a guarded static), out of the way of the lookups. */                          \
    [[gnu::noinline, gnu::cold, gnu::visibility("default")]] static const TClassInfo*          \
    StaticClassMadeOnce_(                                                                       \
        std::atomic<const TClassInfo*>& known) {                                                \
        static const TClassInfo* const made = [] {                                              \
            TClassInfo* c = rtti_detail::NewClassInfo(#T, P::StaticClass(),                     \
                                                      &rtti_detail::NewBlank<T>, sizeof(T));    \
            rtti_detail::Publish<T, P>(c);                                                      \
            rtti_detail::FinishClassInfo(c);                                                    \
            return c;                                                                           \
        }();                                                                                    \
        known.store(made, std::memory_order_release);                                           \
        return made;                                                                            \
    }                                                                                           \
    _Pragma("GCC diagnostic pop")                                                               \
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
[[gnu::always_inline]] inline const TPropInfo* GetPropInfo(const TPersistent* obj, std::string_view name) {
    return obj ? obj->ClassType()->FindProp(name) : nullptr;
}
// Class kind: the address. (A class property has no GetOrd or SetOrd.)
inline int64_t GetOrdProp(TPersistent* obj, const TPropInfo& p) {
    if (p.GetOrd) [[likely]]
        return p.WriteOnly ? 0 : p.GetOrd(obj);
    if (p.Kind() == tkClass) return p.GetObj ? static_cast<int64_t>(reinterpret_cast<uintptr_t>(p.GetObj(obj))) : 0;
    return 0;
}
// Class kind: ignored (references are set only through SetObjectProp).
inline void SetOrdProp(TPersistent* obj, const TPropInfo& p, int64_t v) {
    if (p.SetOrd) p.SetOrd(obj, v);
}
inline double GetFloatProp(TPersistent* obj, const TPropInfo& p) { return (p.GetFloat && !p.WriteOnly) ? p.GetFloat(obj) : 0.0; }
inline void SetFloatProp(TPersistent* obj, const TPropInfo& p, double v) { if (p.SetFloat) p.SetFloat(obj, v); }
inline std::string GetStrProp(TPersistent* obj, const TPropInfo& p) { return (p.GetStr && !p.WriteOnly) ? p.GetStr(obj) : std::string(); }
// A short string is cut to its length.
inline void SetStrProp(TPersistent* obj, const TPropInfo& p, const std::string& v) {
    if (!p.SetStr) return;
    if (p.Kind() == tkString && p.PropType && v.size() > static_cast<size_t>(p.PropType->MaxLength))
        p.SetStr(obj, v.substr(0, static_cast<size_t>(p.PropType->MaxLength)));
    else
        p.SetStr(obj, v);
}
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
