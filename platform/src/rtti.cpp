#include "platform/rtti.h"

#include <algorithm>
#include <cstddef>
#include <deque>
#include <memory>
#include <cstdint>
#include <cstring>
#include <vector>

#include <sys/mman.h>

#include <unordered_set>

#include "platform/large_blocks.h"
#include "platform/scope_exit.h"
#include "platform/sysutils.h"

// Present when a leak checker is linked in.
extern "C" void __lsan_register_root_region(const void* begin, size_t size) __attribute__((weak));

namespace {

// The addresses of live objects with their serial numbers: an open-addressing table
// with linear probing, at most half full, without tombstones (an erased entry pulls the
// entries after it back). Queried on every access through a stored reference, so it is
// kept flat and local: the addresses of one 4 KB stretch of memory share one group of
// slots in address order (a group lies at a hashed place), so objects made one after
// another are found in the same few cache lines.
class PointerSet {
public:
    void Insert(const void* p, uint64_t serial) {
        if ((live_ + 1) * 2 > slots_.size()) Grow();
        uintptr_t key = reinterpret_cast<uintptr_t>(p);
        for (size_t i = Home(key);; i = (i + 1) & mask_) {
            uintptr_t s = slots_[i].key;
            if (s == key) {
                slots_[i].serial = serial;
                return;
            }
            if (s == kEmpty) {
                slots_[i] = Slot{key, serial};
                ++live_;
                return;
            }
        }
    }
    void Erase(const void* p) {
        size_t i = Find(reinterpret_cast<uintptr_t>(p));
        if (i == SIZE_MAX) return;
        // Each later entry of the run that may stand at the hole moves into it.
        for (size_t j = (i + 1) & mask_; slots_[j].key != kEmpty; j = (j + 1) & mask_) {
            size_t home = Home(slots_[j].key);
            if (((j - home) & mask_) >= ((j - i) & mask_)) {
                slots_[i] = slots_[j];
                i = j;
            }
        }
        slots_[i] = Slot{kEmpty, 0};
        --live_;
    }
    bool Contains(const void* p) const { return Find(reinterpret_cast<uintptr_t>(p)) != SIZE_MAX; }
    // The serial of the object at the address; 0 when none lives there.
    uint64_t SerialAt(const void* p) const {
        size_t i = Find(reinterpret_cast<uintptr_t>(p));
        return i == SIZE_MAX ? 0 : slots_[i].serial;
    }

private:
    static constexpr uintptr_t kEmpty = 0;
    static constexpr int kGroupBits = 8;  // 256 slots of 16 bytes of address: 4 KB
    struct Slot {
        uintptr_t key;
        uint64_t serial;
    };

    size_t Home(uintptr_t key) const {
        uint64_t unit = static_cast<uint64_t>(key >> 4);
        uint64_t group = (unit >> kGroupBits) * 0x9E3779B97F4A7C15ULL;
        // The run starts anywhere: runs aligned to their size would stack the objects of
        // pages at the same offsets onto the same slots.
        return static_cast<size_t>((group >> 20) + (unit & ((1u << kGroupBits) - 1))) & mask_;
    }
    size_t Find(uintptr_t key) const {
        if (slots_.empty() || key == kEmpty) return SIZE_MAX;
        for (size_t i = Home(key);; i = (i + 1) & mask_) {
            if (slots_[i].key == key) return i;
            if (slots_[i].key == kEmpty) return SIZE_MAX;
        }
    }
    void Grow() {
        size_t cap = std::max<size_t>(slots_.size() * 2, size_t(1) << (kGroupBits + 2));
        Slots old(cap, Slot{kEmpty, 0});
        old.swap(slots_);
        mask_ = cap - 1;
        live_ = 0;
        for (const Slot& s : old)
            if (s.key != kEmpty) Insert(reinterpret_cast<const void*>(s.key), s.serial);
    }

    using Slots = std::vector<Slot, platform_detail::UninitAllocator<Slot>>;
    Slots slots_;
    size_t mask_ = 0;
    size_t live_ = 0;
};

uint64_t g_lastSerial = 0;
uint64_t g_destroyed = 0;
uint64_t g_watchedDestroyed = 0;

#if defined(__SANITIZE_ADDRESS__)
#define SUITE_POOL_OBJECTS 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define SUITE_POOL_OBJECTS 0
#endif
#endif
#ifndef SUITE_POOL_OBJECTS
#define SUITE_POOL_OBJECTS 1
#endif

// Objects of up to 512 bytes, by size in steps of 16 bytes: each size takes freed objects
// back first (the last freed first) and carves new ones out of chunks of 2 MB of one
// reserved stretch of address space, which the process keeps (from a size's second chunk
// on in huge pages). A tree that is freed and made again reuses the same memory in the
// same order, without the general allocator's bookkeeping or fresh pages; and since a
// slot's memory never goes back, the live set need not know the objects made in slots
// (see rtti_detail::InPlaceWord). Sanitizer builds use the general allocator, so that a
// use after free is still caught.
class ObjectPool {
public:
    static constexpr size_t kGrain = 16;
    static constexpr size_t kSizes = 32;
    static constexpr size_t kChunk = size_t(1) << rtti_detail::kChunkBits;
    // Address space only; less where less is granted (as under valgrind).
    static constexpr size_t kMostReserved = size_t(32) << 30;
    static constexpr size_t kLeastReserved = size_t(1) << 30;

    static bool Pooled(size_t size) { return SUITE_POOL_OBJECTS && size != 0 && size <= kGrain * kSizes; }

    // nil when no slot can be had
    void* Take(size_t size) {
        const size_t c = (size - 1) / kGrain;
        if (FreeObject* f = free_[c]) [[likely]] {
            free_[c] = f->next;
            return f;
        }
        const size_t bytes = (c + 1) * kGrain;
        if (static_cast<size_t>(end_[c] - next_[c]) < bytes) [[unlikely]]
            return TakeFromNewChunk(c);
        void* p = next_[c];
        next_[c] += bytes;
        return p;
    }
    bool Holds(const void* p) const {
        return reinterpret_cast<uintptr_t>(p) - rtti_detail::gPoolMap.base < rtti_detail::gPoolMap.size;
    }
    void Give(void* p, size_t size) {
        const size_t c = (size - 1) / kGrain;
        auto* f = static_cast<FreeObject*>(p);
        f->next = free_[c];
        f->word = 0;
        free_[c] = f;
    }
    uint8_t& ChunkOf(const void* p) {
        return chunks_[(reinterpret_cast<uintptr_t>(p) - rtti_detail::gPoolMap.base) >> rtti_detail::kChunkBits];
    }

private:
    struct FreeObject {
        FreeObject* next;
        uint64_t word;  // where an object's word lies: 0, not live
    };
    // The stretch is reserved with the first chunk.
    void Reserve() {
        tried_ = true;
        if (!SUITE_POOL_OBJECTS) return;
        void* p = MAP_FAILED;
        for (reserved_ = kMostReserved; reserved_ >= kLeastReserved; reserved_ /= 2) {
            p = ::mmap(nullptr, reserved_ + kChunk, PROT_READ | PROT_WRITE,
                       MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
            if (p != MAP_FAILED) break;
        }
        if (p == MAP_FAILED) {  // then every object comes from the general allocator
            reserved_ = 0;
            return;
        }
        const uintptr_t base = (reinterpret_cast<uintptr_t>(p) + kChunk - 1) & ~(kChunk - 1);
        chunks_ = new uint8_t[reserved_ / kChunk]();
        rtti_detail::PoolMap& map = rtti_detail::gPoolMap;
        for (uint32_t g = 1; g <= kSizes; ++g)
            map.inverse[g] = ((uint64_t(1) << 32) + g - 1) / g;
        map.base = base;
        map.chunks = chunks_;
        map.size = reserved_;
    }
    [[gnu::noinline]] void* TakeFromNewChunk(size_t c) {
        if (!NewChunk(c)) return nullptr;
        void* p = next_[c];
        next_[c] += (c + 1) * kGrain;
        return p;
    }
    bool NewChunk(size_t c) {
        if (!tried_) Reserve();
        if (!chunks_ || used_ == reserved_ / kChunk) return false;
        char* start = reinterpret_cast<char*>(rtti_detail::gPoolMap.base + used_ * kChunk);
        chunks_[used_++] = static_cast<uint8_t>(c + 1);
        if (chunksOf_[c]++ > 0) ::madvise(start, kChunk, MADV_HUGEPAGE);
        // A leak checker does not look into mappings of its own accord: what pooled
        // objects hold would pass for leaked.
        if (__lsan_register_root_region) __lsan_register_root_region(start, kChunk);
        const size_t bytes = (c + 1) * kGrain;
        next_[c] = start;
        end_[c] = start + kChunk / bytes * bytes;
        return true;
    }
    FreeObject* free_[kSizes] = {};
    char* next_[kSizes] = {};
    char* end_[kSizes] = {};
    size_t chunksOf_[kSizes] = {};
    size_t used_ = 0;
    size_t reserved_ = 0;
    uint8_t* chunks_ = nullptr;
    bool tried_ = false;
};

// Constant-initialised with a trivial destructor: there from the start to the end.
constinit ObjectPool g_pool;
ObjectPool& Pool() { return g_pool; }

// Slot starts of pooled allocations whose TPersistent lies further in (several bases):
// their word is not at the slot's start, so the live set answers for them.
std::unordered_set<uintptr_t>& ForeignSlots() {
    static auto* set = new std::unordered_set<uintptr_t>();
    return *set;
}

// The slot handed out by the last pooled allocation, until its TPersistent is made.
void* g_newPooled = nullptr;

PointerSet& LiveSet() {
    static auto* set = new PointerSet();  // outlives every static object
    return *set;
}

std::deque<std::unique_ptr<TTypeInfo>>& TypeStore() {
    static auto* store = new std::deque<std::unique_ptr<TTypeInfo>>();
    return *store;
}

const TTypeInfo* Keep(TTypeInfo t) {
    TypeStore().push_back(std::make_unique<TTypeInfo>(std::move(t)));
    return TypeStore().back().get();
}

const TTypeInfo* Ordinal(TTypeKind kind, const char* name, TOrdType ot, int64_t lo, int64_t hi) {
    TTypeInfo t;
    t.Kind = kind;
    t.Name = name;
    t.OrdType = ot;
    t.MinValue = lo;
    t.MaxValue = hi;
    return Keep(std::move(t));
}

}  // namespace

const TTypeInfo* TypeInfoInteger() { static auto t = Ordinal(tkInteger, "Integer", otSLong, INT32_MIN, INT32_MAX); return t; }
const TTypeInfo* TypeInfoCardinal() { static auto t = Ordinal(tkInteger, "Cardinal", otULong, 0, UINT32_MAX); return t; }
const TTypeInfo* TypeInfoSmallInt() { static auto t = Ordinal(tkInteger, "SmallInt", otSWord, INT16_MIN, INT16_MAX); return t; }
const TTypeInfo* TypeInfoByte() { static auto t = Ordinal(tkInteger, "Byte", otUByte, 0, 255); return t; }
const TTypeInfo* TypeInfoChar() { static auto t = Ordinal(tkChar, "Char", otUByte, 0, 255); return t; }
const TTypeInfo* TypeInfoBoolean() { static auto t = MakeEnumType("Boolean", {"False", "True"}); return t; }
const TTypeInfo* TypeInfoInt64() { static auto t = Ordinal(tkInt64, "Int64", otSLong, INT64_MIN, INT64_MAX); return t; }

const TTypeInfo* TypeInfoFloat() {
    static const TTypeInfo* t = [] { TTypeInfo i; i.Kind = tkFloat; i.Name = "Extended"; return Keep(std::move(i)); }();
    return t;
}
const TTypeInfo* TypeInfoLString() {
    static const TTypeInfo* t = [] { TTypeInfo i; i.Kind = tkLString; i.Name = "String"; return Keep(std::move(i)); }();
    return t;
}
const TTypeInfo* TypeInfoMethod() {
    static const TTypeInfo* t = [] { TTypeInfo i; i.Kind = tkMethod; i.Name = "TMethod"; return Keep(std::move(i)); }();
    return t;
}

const TTypeInfo* TypeInfoShortString(int maxLength) {
    static const TTypeInfo* cache[256] = {};
    if (maxLength < 1 || maxLength > 255) maxLength = 255;
    if (!cache[maxLength]) {
        TTypeInfo i;
        i.Kind = tkString;
        i.Name = "String[" + std::to_string(maxLength) + "]";
        i.MaxLength = maxLength;
        cache[maxLength] = Keep(std::move(i));
    }
    return cache[maxLength];
}

const TTypeInfo* MakeEnumType(std::string name, std::initializer_list<const char*> identifiers) {
    TTypeInfo t;
    t.Kind = tkEnumeration;
    t.Name = std::move(name);
    for (const char* id : identifiers) t.Names.emplace_back(id);
    t.OrdType = t.Names.size() <= 256 ? otUByte : otUWord;
    t.MinValue = 0;
    t.MaxValue = static_cast<int64_t>(t.Names.size()) - 1;
    return Keep(std::move(t));
}

const TTypeInfo* MakeSetType(std::string name, const TTypeInfo* members) {
    TTypeInfo t;
    t.Kind = tkSet;
    t.Name = std::move(name);
    t.CompType = members;
    t.OrdType = otULong;
    t.MinValue = 0;
    t.MaxValue = SetTypeMask(&t);
    return Keep(std::move(t));
}

const TTypeInfo* MakeClassType(const TClassInfo* cls) {
    TTypeInfo t;
    t.Kind = tkClass;
    t.Name = cls ? cls->Name : "TObject";
    t.ClassType = cls;
    return Keep(std::move(t));
}

const TTypeInfo* MakeLazyClassType(const TClassInfo* (*cls)()) {
    TTypeInfo t;
    t.Kind = tkClass;
    t.ClassTypeFn = cls;
    return Keep(std::move(t));
}

const TClassInfo* TTypeInfo::ClassRef() const {
    if (!ClassType && ClassTypeFn) {
        // Type records are made non-const in the store and live for the whole process.
        auto* self = const_cast<TTypeInfo*>(this);
        self->ClassType = ClassTypeFn();
        if (ClassType) self->Name = ClassType->Name;
    }
    return ClassType;
}

uint32_t SetTypeMask(const TTypeInfo* t) {
    if (!t || !t->CompType) return 0;
    int64_t hi = std::min<int64_t>(t->CompType->MaxValue, 31);
    int64_t lo = std::max<int64_t>(t->CompType->MinValue, 0);
    uint32_t mask = 0;
    for (int64_t i = lo; i <= hi; ++i) mask |= 1u << i;
    return mask;
}

bool TPropInfo::HasReader() const {
    if (WriteOnly) return false;
    switch (Kind()) {
        case tkFloat: return static_cast<bool>(GetFloat);
        case tkString: case tkLString: case tkWString: return static_cast<bool>(GetStr);
        case tkClass: return static_cast<bool>(GetObj);
        case tkMethod: return static_cast<bool>(GetMeth);
        default: return static_cast<bool>(GetOrd);
    }
}

bool TPropInfo::HasWriter() const {
    switch (Kind()) {
        case tkFloat: return static_cast<bool>(SetFloat);
        case tkString: case tkLString: case tkWString: return static_cast<bool>(SetStr);
        case tkClass: return static_cast<bool>(SetObj);
        case tkMethod: return static_cast<bool>(SetMeth);
        default: return static_cast<bool>(SetOrd);
    }
}

// ---- class records --------------------------------------------------------------------

bool TClassInfo::InheritsFromByParents(const TClassInfo* other) const {
    for (const TClassInfo* c = this; c; c = c->Parent)
        if (c == other) return true;
    return false;
}

TPersistent* TClassInfo::NewBlankInstance() const { return NewBlankOf ? NewBlankOf(this) : NewBlank(); }

TPersistent* TClassInfo::CreateInstance() const {
    TPersistent* o = NewBlankInstance();
    rtti_detail::CreateOrRelease(o);
    return o;
}

bool TClassInfo::SameAsciiText(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
        if (x == y) continue;
        if ((x ^ y) != 0x20) return false;
        unsigned char up = x & 0xDFu;
        if (up < 'A' || up > 'Z') return false;
    }
    return true;
}

void TClassInfo::IndexNames() const {
    size_t slots = 8;
    while (slots < Props.size() * 2) slots *= 2;
    nameSlots_ = std::make_unique<NameSlot[]>(slots);
    slotMask_ = slots - 1;
    for (size_t k = 0; k < Props.size(); ++k) {
        const std::string& name = Props[k].Name;
        const uint64_t h = AsciiFoldedNameHash(name);
        const uint32_t key = SlotKey(h, name.size());
        for (size_t i = h & (slots - 1);; i = (i + 1) & (slots - 1)) {
            NameSlot& slot = nameSlots_[i];
            if (slot.entry == 0) {
                slot.entry = static_cast<uint32_t>(k + 1);
                slot.key = key;
                slot.prop = &Props[k];
                std::memcpy(slot.text, name.data(), std::min(name.size(), sizeof slot.text));
                break;
            }
            if (slot.key == key && SameAsciiText(slot.prop->Name, name)) break;  // the first one wins
        }
    }
    indexedBegin_ = Props.data();
    indexedEnd_ = std::to_address(Props.cend());
}

namespace rtti_detail {

TClassInfo* NewClassInfo(const char* name, const TClassInfo* parent, TPersistent* (*blank)(), size_t size) {
    auto* ci = new TClassInfo();  // class records live for the whole process
    ci->Name = name;
    ci->Parent = parent;
    ci->NewBlank = blank;
    ci->InstanceSize = size;
    if (parent) {
        // Room for the class's own entries: no second copy of the inherited ones.
        ci->Props.reserve(parent->Props.size() + 8);
        ci->Props.insert(ci->Props.end(), parent->Props.begin(), parent->Props.end());
    }
    // A parent made some other way has no ancestry: then this one is left without it too.
    if (!parent || parent->depth_ >= 0) {
        if (parent) ci->ancestry_ = parent->ancestry_;
        ci->ancestry_.push_back(ci);
        ci->depth_ = static_cast<int>(ci->ancestry_.size()) - 1;
    }
    return ci;
}

void CreateOrRelease(TPersistent* obj) {
    try {
        obj->Create();
    } catch (...) {
        // Only a failed creation releases the object, and its first failure is reported.
        try {
            obj->Destroy();
        } catch (...) {
        }
        delete obj;
        throw;
    }
}

void FinishClassInfo(TClassInfo* ci) {
    for (size_t i = 0; i < ci->Props.size(); ++i) ci->Props[i].NameIndex = static_cast<int>(i);
}

}  // namespace rtti_detail

PropRef PropertyTable::Add(TPropInfo info) {
    if (!info.HasReader() && info.HasWriter()) info.WriteOnly = true;
    for (size_t i = 0; i < list_.size(); ++i) {
        if (SameText(list_[i].Name, info.Name)) {
            list_[i] = std::move(info);
            return PropRef(list_, i);
        }
    }
    list_.push_back(std::move(info));
    return PropRef(list_, list_.size() - 1);
}

PropRef& PropRef::Stored(bool value) {
    P().StoredFn = nullptr;
    P().StoredConst = value;
    return *this;
}

PropRef& PropRef::Default(int32_t value) {
    P().Default = value;
    return *this;
}

// ---- objects ----------------------------------------------------------------------------

rtti_detail::PoolMap rtti_detail::gPoolMap;

namespace {

[[gnu::noinline]] void EnterLiveSet(const TPersistent* obj, uint64_t serial) {
    if (g_newPooled) {
        // A pooled allocation that begins with something else than this object.
        Pool().ChunkOf(g_newPooled) |= rtti_detail::kForeign;
        ForeignSlots().insert(reinterpret_cast<uintptr_t>(g_newPooled));
        g_newPooled = nullptr;
    }
    LiveSet().Insert(obj, serial);
}

[[gnu::noinline]] void LeaveLiveSet(const TPersistent* obj) { LiveSet().Erase(obj); }

[[gnu::noinline]] void ForgetSlot(void* p) {
    if (p == g_newPooled) g_newPooled = nullptr;  // never constructed
    ForeignSlots().erase(reinterpret_cast<uintptr_t>(p));
}

}  // namespace

TPersistent::TPersistent() {
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
    static_assert(offsetof(TPersistent, word_) == rtti_detail::kWordOffset);
#pragma GCC diagnostic pop
    const uint64_t serial = ++g_lastSerial;
    if (this == g_newPooled) [[likely]] {
        g_newPooled = nullptr;
        word_ = serial | kPooledBit;
        return;
    }
    word_ = serial;
    EnterLiveSet(this, serial);
}
TPersistent::~TPersistent() {
    const uint64_t w = word_;
    if (!(w & kPooledBit)) [[unlikely]] LeaveLiveSet(this);
    ++g_destroyed;
    if (w & kWatchedBit) ++g_watchedDestroyed;
    // Read at this address after the object's end: the store must stay.
    *static_cast<volatile uint64_t*>(&word_) = 0;
}

void* TPersistent::operator new(size_t size) {
    if (ObjectPool::Pooled(size)) {
        if (void* p = Pool().Take(size)) {
            g_newPooled = p;
            return p;
        }
    }
    return ::operator new(size);
}
void* TPersistent::operator new(size_t size, std::align_val_t align) { return ::operator new(size, align); }
void TPersistent::operator delete(void* p, size_t size) noexcept {
    if (!p) return;
    ObjectPool& pool = Pool();
    if (!pool.Holds(p)) {
        ::operator delete(p);
        return;
    }
    if (p == g_newPooled || (pool.ChunkOf(p) & rtti_detail::kForeign)) [[unlikely]] ForgetSlot(p);
    pool.Give(p, size);
}
void TPersistent::operator delete(void* p, size_t, std::align_val_t align) noexcept { ::operator delete(p, align); }

uint64_t rtti_detail::WordInForeignChunk(const void* p) {
    if (ForeignSlots().count(reinterpret_cast<uintptr_t>(p))) return kAskTheSet;
    const uintptr_t off = reinterpret_cast<uintptr_t>(p) - gPoolMap.base;
    const uint32_t grains = gPoolMap.chunks[off >> kChunkBits] & ~kForeign;
    const uint32_t u = static_cast<uint32_t>(off & ((uintptr_t(1) << kChunkBits) - 1)) >> 4;
    if (u % grains != 0) return kAskTheSet;
    uint64_t w;
    std::memcpy(&w, static_cast<const char*>(p) + kWordOffset, sizeof w);
    return w;
}

uint64_t DestroyedCount() { return g_destroyed; }

void WatchDestruction(TPersistent* obj) {
    if (obj) obj->word_ |= TPersistent::kWatchedBit;
}
void UnwatchDestruction(TPersistent* obj) {
    if (obj) obj->word_ &= ~TPersistent::kWatchedBit;
}
uint64_t WatchedDestroyedCount() { return g_watchedDestroyed; }

const TClassInfo* TPersistent::StaticClass() {
    static const TClassInfo* ci = rtti_detail::NewClassInfo("TPersistent", nullptr, nullptr, sizeof(TPersistent));
    return ci;
}

void TPersistent::AssignTo(TPersistent* dest) {
    throw EConvertError("Cannot assign a " + ClassName() + " to a " + (dest ? dest->ClassName() : "nil"));
}

void TPersistent::Assign(TPersistent* source) {
    if (source) source->AssignTo(this);
    else AssignTo(this);
}

void Free(TPersistent* obj) {
    if (!obj) return;
    auto release = MakeScopeExit([obj] { delete obj; });
    obj->BeforeDestruction();
    obj->Destroy();
}

bool rtti_detail::IsLiveInSet(const void* obj) { return obj && LiveSet().Contains(obj); }
bool rtti_detail::IsLiveInSet(const void* obj, uint64_t serial) {
    return obj && serial != 0 && LiveSet().SerialAt(obj) == serial;
}

TPersistent* LiveObjectAt(uintptr_t address) {
    const void* p = reinterpret_cast<const void*>(address);
    if (!IsLive(p)) return nullptr;
    return const_cast<TPersistent*>(static_cast<const TPersistent*>(p));
}

// ---- property access ---------------------------------------------------------------------

const TPropList& GetPropInfos(const TPersistent* obj) {
    static const TPropList empty;
    return obj ? obj->ClassType()->Props : empty;
}

TPersistent* GetObjectProp(TPersistent* obj, const TPropInfo& p) { return (p.GetObj && !p.WriteOnly) ? p.GetObj(obj) : nullptr; }
void SetObjectProp(TPersistent* obj, const TPropInfo& p, TPersistent* v) { if (p.SetObj) p.SetObj(obj, v); }
TMethod GetMethodProp(TPersistent* obj, const TPropInfo& p) { return (p.GetMeth && !p.WriteOnly) ? p.GetMeth(obj) : TMethod{}; }
void SetMethodProp(TPersistent* obj, const TPropInfo& p, const TMethod& v) { if (p.SetMeth) p.SetMeth(obj, v); }

bool IsStoredProp(TPersistent* obj, const TPropInfo& p) {
    if (p.WriteOnly) return false;
    if (p.StoredFn) return p.StoredFn(obj);
    return p.StoredConst;
}

std::string GetEnumName(const TTypeInfo* t, int64_t value) {
    if (!t || value < 0 || value >= static_cast<int64_t>(t->Names.size())) return std::string();
    return t->Names[static_cast<size_t>(value)];
}

int GetEnumValue(const TTypeInfo* t, std::string_view name) {
    if (!t) return -1;
    for (size_t i = 0; i < t->Names.size(); ++i)
        if (SameText(t->Names[i], name)) return static_cast<int>(i);
    return -1;
}
