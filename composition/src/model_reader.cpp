#include <algorithm>
#include <cstring>
#include <memory>

#include "composition/modelfile.h"
#include "kernel/file_elements.h"
#include "kernel/element_holder.h"
#include "modelfile_scope.h"
#include "platform/files.h"
#include "platform/forms.h"
#include "platform/host.h"
#include "platform/scope_exit.h"
#include "platform/sysutils.h"

namespace {

bool IsStringKind(int32_t kind) { return kind == tkString || kind == tkLString; }
bool KindsMatch(int32_t a, int32_t b) { return a == b || (IsStringKind(a) && IsStringKind(b)); }

using modelfile::HourGlass;
using modelfile::Lent;

// The object list of the older form: it notes every element handed out, as a child or
// as a reference.
class TLoaderDictionary : public TQuickEntity {
    ZARIX_CLASS(TLoaderDictionary, TQuickEntity)

public:
    TElement* Get(int32_t index) override {
        TElement* element = inherited::Get(index);
        if (element) Taken.insert(element);
        return element;
    }
    std::unordered_set<TElement*> Taken;
};

// Children that one load attached twice: a duplicate in one list, or a child that cannot
// know its owners (it would be freed by each parent) held by a second parent.
void DropDoubleChildren(TEntity* parent, std::unordered_set<TElement*>& hasParent) {
    TSuperList* list = parent->List();
    if (!list) return;
    std::unordered_set<TElement*> seen;
    for (int32_t i = 0; i < list->Count();) {
        TElement* child = list->Item(i);
        bool drop = false;
        if (child) {
            if (seen.count(child)) drop = true;
            else if (hasParent.count(child) && child->GetOwnersCount() == 0) drop = true;
        }
        if (!drop) {
            if (child) {
                seen.insert(child);
                hasParent.insert(child);
            }
            ++i;
            continue;
        }
        list->Delete(i);
        if (child->GetOwnersCount() > 0) child->RemoveOwner(parent);
    }
}

// Whether the target lies in the subtree of from (from itself included).
bool Reaches(TElement* from, TElement* target) {
    std::vector<TElement*> stack{from};
    std::unordered_set<TElement*> seen;
    while (!stack.empty()) {
        TElement* e = stack.back();
        stack.pop_back();
        if (e == target) return true;
        if (!e || !seen.insert(e).second || !IsLive(e)) continue;
        auto* entity = As<TEntity>(e);
        TSuperList* list = entity ? entity->List() : nullptr;
        if (!list) continue;
        for (int32_t i = 0; i < list->Count(); ++i) stack.push_back(list->Item(i));
    }
    return false;
}

// Removes every occurrence of the child from the entity's children.
void Unlink(TEntity* entity, TElement* child) {
    for (int32_t n = entity->ElementsCount(); n > 0 && entity->IndexOf(child) >= 0; --n) {
        try {
            entity->RemoveElement(child);
        } catch (...) {
            return;
        }
    }
}

}  // namespace

void FreeLoadedElements(std::span<TElement* const> elements) {
    std::unordered_set<TElement*> made;
    for (TElement* e : elements)
        if (e && IsLive(e)) made.insert(e);
    // Links between the elements go first, so no element frees another.
    for (TElement* e : elements) {
        if (!e || !made.count(e) || !IsLive(e)) continue;
        auto* entity = As<TEntity>(e);
        TSuperList* list = entity ? entity->List() : nullptr;
        if (!list) continue;
        for (int32_t i = list->Count() - 1; i >= 0; --i) {
            if (i >= list->Count()) continue;
            TElement* child = list->Item(i);
            if (!child || !made.count(child)) continue;
            try {
                entity->RemoveElement(child);
            } catch (...) {
            }
        }
    }
    for (auto it = elements.rbegin(); it != elements.rend(); ++it) {
        TElement* e = *it;
        if (!e || !made.count(e) || !IsLive(e)) continue;
        made.erase(e);
        try {
            Free(e);
        } catch (...) {
        }
    }
}

// ---- TZarixLoader --------------------------------------------------------------------------

void TZarixLoader::Publish(PropertyTable& t) {
    t.Str<TZarixLoader>("FileName", &TZarixLoader::GetFileName, &TZarixLoader::SetFileName);
}

std::string TZarixLoader::NumberToPropertyName(int32_t) { return "FileName"; }

void TZarixLoader::Destroy() {
    FAccessor = nullptr;  // a child: freed with the children
    FClassTable.clear();
    FClassAt.clear();
    inherited::Destroy();
}

void TZarixLoader::BeginLoad() {
    Screen().SetCursor(crHourGlass);
    int64_t size = GetSourceSize();
    StartProgress(Cz("Načítání modelu ze souboru ") + FileName, 0,
                  static_cast<int32_t>(std::min<int64_t>(size, INT32_MAX)));
    Application().ProcessMessages();
}

void TZarixLoader::EndLoad() {
    Screen().SetCursor(crDefault);
    EndProgress();
}

void TZarixLoader::StepProgress() {}
int64_t TZarixLoader::GetSourceSize() { return 0; }

TZarixLoader::Tables& TZarixLoader::Spare() {
    thread_local Tables spare;
    return spare;
}

void TZarixLoader::SwapTables(Tables& other) {
    FObjects.swap(other.Objects);
    FSerials.swap(other.Serials);
    FPosState.swap(other.PosState);
    FHeldMark.swap(other.HeldMark);
    FListed.swap(other.Listed);
}

void TZarixLoader::CreateTables() {
    if (FObjects.capacity() < Spare().Objects.capacity()) SwapTables(Spare());
    FObjects.clear();
    FSerials.clear();
    FPosState.clear();
    FWatchedDestroyed = WatchedDestroyedCount();
    if (!FAccessor || !IsLive(FAccessor) || IndexOf(FAccessor) < 0) {
        FAccessor = TZarixInstance::New();
        AddElement(FAccessor);
    }
    NewClassTable();
    FCurrent = nullptr;
    FCurrentClass = nullptr;
    FCurrentPos = -1;
    FNextIndex = 0;
    FLastID = -1;
    FLastPos = -1;
    FDepth = 0;
    FSkipping = false;
    FLinked = false;
    FHeldFor = nullptr;
    FParentPos = -1;
    FParent = nullptr;
    FHeld.clear();
    FHeldMark.clear();
    FHeldRound = 0;
    FSeenMark.clear();
    FSeenRound = 0;
    FSeenTop = 0;
    FTaken.clear();
    FListed.clear();
    FListedRuns.clear();
}

void TZarixLoader::FreeTables() {
    FObjects.clear();
    FSerials.clear();
    FPosState.clear();
    FHeldMark.clear();
    FListed.clear();
    if (Spare().Objects.capacity() < FObjects.capacity()) SwapTables(Spare());
    Table<TElement*>().swap(FObjects);
    Table<uint64_t>().swap(FSerials);
    Table<uint8_t>().swap(FPosState);
    FCurrent = nullptr;
    FParent = nullptr;
    FParentPos = -1;
    FHeldFor = nullptr;
    FHeld.clear();
    Table<int32_t>().swap(FHeldMark);
    FTaken.clear();
    Table<int32_t>().swap(FListed);
    std::vector<ListedRun>().swap(FListedRuns);
    if (FAccessor) FAccessor->SetInstance(nullptr);
}

void TZarixLoader::NewClassTable() {
    FClassTable.clear();
    FClassAt.clear();
    FCurrentClass = nullptr;
}

void TZarixLoader::ReadHeader() {}
void TZarixLoader::AfterHeader() {}
void TZarixLoader::ReadClassRecord() {}
void TZarixLoader::ReadElements() {}
void TZarixLoader::ReadProperties() {}
void TZarixLoader::ReadChildren() {}

void TZarixLoader::AddClass(const std::string& name) {
    ClassRecord record;
    record.Name = name;
    TElementClass cls = GetZarixClass(name);
    if (cls && cls->NewBlank && cls->InheritsFrom(TElement::StaticClass())) record.Class = cls;
    FClassTable.push_back(std::move(record));
    FCurrentClass = &FClassTable.back();
    FClassAt.push_back(FCurrentClass);
    FNextIndex = 0;
}

void TZarixLoader::AddClassProperty(const std::string& name, int32_t kind) {
    if (!FCurrentClass) Damaged(Cz("vlastnost mimo záznam třídy"));
    ClassProperty prop;
    prop.Name = name;
    prop.Kind = kind;
    if (TElementClass cls = FCurrentClass->Class) {
        const TPropList& live = cls->Props;
        int32_t count = static_cast<int32_t>(live.size());
        if (FNextIndex >= 0 && FNextIndex < count && AnsiSameText(live[static_cast<size_t>(FNextIndex)].Name, name)) {
            if (KindsMatch(live[static_cast<size_t>(FNextIndex)].Kind(), kind)) prop.Live = FNextIndex++;
        } else {
            for (int32_t i = 0; i < count; ++i) {
                if (!AnsiSameText(live[static_cast<size_t>(i)].Name, name)) continue;
                if (KindsMatch(live[static_cast<size_t>(i)].Kind(), kind)) {
                    prop.Live = i;
                    FNextIndex = i + 1;
                }
                break;
            }
        }
    }
    if (prop.Live >= 0) {
        const TPropInfo& live = FCurrentClass->Class->Props[static_cast<size_t>(prop.Live)];
        prop.Settable = !live.WriteOnly && live.HasWriter();
        prop.LiveKind = live.Kind();
    }
    FCurrentClass->Props.push_back(std::move(prop));
}

void TZarixLoader::BeginElement(int32_t classIndex) {
    if (classIndex < 0 || classIndex >= static_cast<int32_t>(FClassAt.size()))
        Damaged(Cz("chybné číslo třídy ") + IntToStr(classIndex));
    FCurrentClass = FClassAt[static_cast<size_t>(classIndex)];
    TElement* element = nullptr;
    if (!FSkipping && FCurrentClass->Class) {
        try {
            element = static_cast<TElement*>(FCurrentClass->Class->CreateInstance());
        } catch (...) {
            element = nullptr;
        }
    }
    FCurrent = element;
    FCurrentPos = static_cast<int32_t>(FObjects.size());
    FObjects.push_back(element);
    FSerials.push_back(element ? element->Serial() : 0);
    FPosState.push_back(0);
    WatchDestruction(element);
    FHeldFor = nullptr;
    FLinked = false;
    if (element && FAccessor) FAccessor->SetInstance(element);
    FNextIndex = 0;
}

void TZarixLoader::SetPropertyValue(int32_t liveIndex, int32_t kind, TZarixPropValue& value) {
    TElement* const current = FCurrent;
    if (!current || !FCurrentClass || !FCurrentClass->Class || liveIndex < 0) return;
    const TPropList& props = FCurrentClass->Class->Props;
    if (liveIndex >= static_cast<int32_t>(props.size())) return;
    const TPropInfo& p = props[static_cast<size_t>(liveIndex)];
    if (p.Kind() != kind || p.WriteOnly) return;
    // Numbers here, the rest aside. A failing setter loses its own value only.
    switch (kind) {
        case tkInteger:
        case tkChar:
        case tkEnumeration:
        case tkSet:
            try {
                SetOrdProp(current, p, value.Ord);
            } catch (...) {
            }
            return;
        case tkFloat:
            try {
                SetFloatProp(current, p, value.Float);
            } catch (...) {
            }
            return;
        default:
            SetOtherValue(p, kind, value);
    }
}

void TZarixLoader::SetOtherValue(const TPropInfo& p, int32_t kind, TZarixPropValue& value) {
    try {
        switch (kind) {
            case tkString:
            case tkLString:
                SetStrProp(FCurrent, p, value.Str);
                break;
            case tkClass:
                SetObjectProp(FCurrent, p, value.Obj);
                break;
            default:
                break;
        }
    } catch (...) {
    }
    if (kind == tkClass && value.Obj) NoteReference(p, static_cast<TElement*>(value.Obj));
}

void TZarixLoader::NoteReference(const TPropInfo& prop, TElement* value) {
    if (!IsLive(FCurrent)) return;
    FLinked = true;
    auto* parent = As<TEntity>(FCurrent);
    // An element whose record is still being read (this one, or one enclosing an inline
    // record) may be named, but a setter must not take it as a child.
    bool open = FValuePos >= 0 && FValuePos < static_cast<int32_t>(FPosState.size()) &&
                !(FPosState[static_cast<size_t>(FValuePos)] & psComplete);
    if (open && parent && IsLive(value)) Unlink(parent, value);
    UndoCycle();
    if (!IsLive(value)) return;
    // A setter that made the element a child: the children list must not add it again,
    // nor may another parent take a child that cannot know its owners.
    if (parent && parent->IndexOf(value) >= 0 && FValuePos >= 0 && FValuePos < static_cast<int32_t>(FPosState.size()))
        FPosState[static_cast<size_t>(FValuePos)] |= psChild;
    TPersistent* held = nullptr;
    try {
        held = GetObjectProp(FCurrent, prop);
    } catch (...) {
        return;
    }
    if (held != value) return;
    std::vector<const TPropInfo*>& taken = FTaken[FCurrent];
    if (std::find(taken.begin(), taken.end(), &prop) == taken.end()) taken.push_back(&prop);
}

void TZarixLoader::UndoCycle() {
    auto* self = As<TEntity>(FCurrent);
    TSuperList* list = self ? self->List() : nullptr;
    if (!list) return;
    std::vector<TElement*> closing;
    for (int32_t i = 0; i < list->Count(); ++i) {
        TElement* child = list->Item(i);
        if (child && IsLive(child) && Reaches(child, self)) closing.push_back(child);
    }
    for (TElement* child : closing) Unlink(self, child);
    if (!closing.empty()) FHeldFor = nullptr;
}

void TZarixLoader::AddChild(int32_t id) {
    if (FParentPos != FCurrentPos || !FCurrent) {
        FParentPos = FCurrent ? FCurrentPos : -1;
        FParent = As<TEntity>(FCurrent);
    }
    TEntity* parent = FParent;
    if (!parent) return;
    // Only an element whose record is complete and came before its parent's.
    if (id < 0 || id >= FCurrentPos) return;
    TElement* child = FObjects[static_cast<size_t>(id)];
    uint8_t& state = FPosState[static_cast<size_t>(id)];
    if (!child || !(state & psComplete) || !Alive(id)) return;
    if (FHeldFor != parent) {
        FHeld.clear();
        if (TSuperList* list = parent->List())
            for (int32_t i = 0; i < list->Count(); ++i) FHeld.insert(list->Item(i));
        FHeldFor = parent;
        ++FHeldRound;
    }
    if (FHeldMark.size() < FObjects.size()) FHeldMark.resize(FObjects.size() * 2, 0);
    int32_t& mark = FHeldMark[static_cast<size_t>(id)];
    if (mark == FHeldRound || (!FHeld.empty() && FHeld.count(child))) return;
    // A child that cannot know its owners would be freed by each of its parents.
    if ((state & psChild) && child->GetOwnersCount() == 0) return;
    // Nor may the element become part of its own subtree, which only a setter that
    // placed it somewhere can have prepared.
    if ((FLinked || parent->GetOwnersCount() > 0) && Reaches(child, parent)) return;
    try {
        parent->AddElement(child);
    } catch (...) {
        return;
    }
    mark = FHeldRound;
    state |= psChild | psListed;
    if (FListedRuns.empty() || FListedRuns.back().Parent != parent ||
        FListedRuns.back().End != static_cast<int32_t>(FListed.size()))
        FListedRuns.push_back({parent, static_cast<int32_t>(FListed.size()), 0});
    FListed.push_back(id);
    FListedRuns.back().End = static_cast<int32_t>(FListed.size());
}

bool TZarixLoader::AllListedReach(TElement* root) const {
    if (!FTaken.empty() || WatchedDestroyedCount() != FWatchedDestroyed) return false;
    const int32_t count = static_cast<int32_t>(FObjects.size());
    if (FLastPos < 0 || FLastPos >= count || FObjects[static_cast<size_t>(FLastPos)] != root) return false;
    for (int32_t i = 0; i < count; ++i)
        if (FObjects[static_cast<size_t>(i)] && i != FLastPos && !(FPosState[static_cast<size_t>(i)] & psListed))
            return false;
    // Each parent holds just the children listed to it, in that order.
    for (const ListedRun& run : FListedRuns) {
        TSuperList* list = run.Parent->List();
        if (!list || list->Count() != run.End - run.Begin) return false;
        void* const* items = list->Items();
        for (int32_t k = run.Begin; k < run.End; ++k)
            if (items[k - run.Begin] != FObjects[static_cast<size_t>(FListed[static_cast<size_t>(k)])]) return false;
    }
    return true;
}

void TZarixLoader::Damaged(const std::string& what) {
    throw EModelFileError(Cz("Poškozený soubor modelu ") + FileName + " : " + what);
}

TElement* TZarixLoader::ElementAt(int32_t position) {
    if (position < 0 || position >= static_cast<int32_t>(FObjects.size())) return nullptr;
    return Alive(position) ? FObjects[static_cast<size_t>(position)] : nullptr;
}

// A reference may name any element already made, the record being read and the records
// enclosing an inline one included (a view naming itself is valid); a setter link that
// puts an element inside its own subtree is undone after the setter ran.
TElement* TZarixLoader::ReferableAt(int32_t position) { return ElementAt(position); }

void TZarixLoader::FreeMade() {
    FreeLoadedElements(FObjects);
    FObjects.clear();
}

void TZarixLoader::FreeUnreached(TElement* root) {
    // The usual tree: the walk would reach every element. They stay watched, which only
    // makes a later load ask the live set while one of them is freed during it.
    if (AllListedReach(root)) return;
    // The elements of this load are told by their serial numbers, which grow with their
    // positions, so the walk needs no lookups and changes nothing in them.
    const int32_t count = static_cast<int32_t>(FObjects.size());
    enum : uint8_t { mNone, mMade, mReached };
    Table<uint8_t> mark(static_cast<size_t>(count), mNone);
    uint64_t first = 0, last = 0;  // the serials at the first and the last position made
    for (int32_t i = 0; i < count && !first; ++i)
        if (FObjects[static_cast<size_t>(i)]) first = FSerials[static_cast<size_t>(i)];
    for (int32_t i = count - 1; i >= 0 && !last; --i)
        if (FObjects[static_cast<size_t>(i)]) last = FSerials[static_cast<size_t>(i)];
    Table<int32_t> posOfSerial(first ? static_cast<size_t>(last - first + 1) : 0, -1);
    for (int32_t i = 0; i < count; ++i) {
        if (!FObjects[static_cast<size_t>(i)]) continue;
        int32_t& pos = posOfSerial[static_cast<size_t>(FSerials[static_cast<size_t>(i)] - first)];
        if (pos >= 0) continue;  // the same element made twice counts at its first position
        pos = i;
        mark[static_cast<size_t>(i)] = mMade;
    }
    auto posOf = [&](TElement* e) {
        const uint64_t serial = e->Serial();
        if (serial < first || serial > last) return -1;
        const int32_t pos = posOfSerial[static_cast<size_t>(serial - first)];
        return pos >= 0 && FObjects[static_cast<size_t>(pos)] == e ? pos : -1;
    };
    // The walk starts at the root and at elements that an owner outside this load took.
    std::vector<TElement*> stack{root};
    for (int32_t i = 0; i < count; ++i) {
        if (mark[static_cast<size_t>(i)] == mNone || (FPosState[static_cast<size_t>(i)] & psChild)) continue;
        if (!Alive(i)) {
            mark[static_cast<size_t>(i)] = mNone;
            continue;
        }
        TElement* e = FObjects[static_cast<size_t>(i)];
        int32_t owners = e->GetOwnersCount();
        for (int32_t k = 0; k < owners; ++k) {
            TEntity* owner = e->GetOwnerEntity(k);
            if (owner && IsLive(owner) && posOf(owner) < 0) {
                stack.push_back(e);
                break;
            }
        }
    }
    std::unordered_set<TElement*> reachedOther;  // reached elements this load did not make
    auto reached = [&](TElement* e) {
        int32_t pos = posOf(e);
        return pos >= 0 ? mark[static_cast<size_t>(pos)] == mReached : reachedOther.count(e) != 0;
    };
    if (FTaken.empty()) {
        // Only children lead on, so the order of the walk does not matter: each list is
        // gone through in place and only entities wait on the stack.
        std::vector<TEntity*> entities;
        const TClassInfo* entityClass = TEntity::StaticClass();
        const TClassInfo* lastType = nullptr;  // the class last asked, and its answer
        bool lastIsEntity = false;
        auto visit = [&](TElement* e) {
            const int32_t pos = posOf(e);
            if (pos >= 0) {
                uint8_t& m = mark[static_cast<size_t>(pos)];
                if (m == mReached) return;
                m = mReached;
                UnwatchDestruction(e);
            } else if (!reachedOther.insert(e).second) {
                return;
            }
            const TClassInfo* type = e->ClassType();
            if (type != lastType) {
                lastType = type;
                lastIsEntity = type->InheritsFrom(entityClass);
            }
            if (lastIsEntity) entities.push_back(static_cast<TEntity*>(e));
        };
        for (TElement* e : stack)
            if (e) visit(e);
        stack.clear();
        while (!entities.empty()) {
            TEntity* entity = entities.back();
            entities.pop_back();
            TSuperList* list = entity->List();
            if (!list) continue;
            const int32_t n = list->Count();
            void* const* items = list->Items();
            constexpr int32_t kAhead = 24;  // the serial of a child further on is loaded meanwhile
            for (int32_t i = 0; i < n; ++i) {
                if (i + kAhead < n) __builtin_prefetch(items[i + kAhead], 1);
                if (void* child = items[i]) visit(static_cast<TElement*>(child));
            }
        }
    }
    while (!stack.empty()) {
        TElement* e = stack.back();
        stack.pop_back();
        if (!e) continue;
        int32_t pos = posOf(e);
        if (pos >= 0) {
            if (mark[static_cast<size_t>(pos)] == mReached) continue;
            mark[static_cast<size_t>(pos)] = mReached;
            UnwatchDestruction(e);
        } else if (!reachedOther.insert(e).second) {
            continue;
        }
        if (auto* entity = As<TEntity>(e))
            if (TSuperList* list = entity->List())
                for (int32_t i = 0; i < list->Count(); ++i) stack.push_back(list->Item(i));
        if (FTaken.empty()) continue;
        auto taken = FTaken.find(e);
        if (taken == FTaken.end()) continue;
        for (const TPropInfo* p : taken->second) {
            TPersistent* value = nullptr;
            try {
                value = GetObjectProp(e, *p);
            } catch (...) {
            }
            if (value && IsLive(value))
                if (auto* element = As<TElement>(value)) stack.push_back(element);
        }
    }
    std::vector<TElement*> loose;
    for (int32_t i = 0; i < count; ++i)
        if (mark[static_cast<size_t>(i)] == mMade && Alive(i)) loose.push_back(FObjects[static_cast<size_t>(i)]);
    // The loose elements, and what they hold that this load did not make, let go of the
    // elements of this load and of everything the root reaches; then each is freed once.
    std::unordered_set<TElement*> seen;
    std::vector<TElement*> walk(loose.begin(), loose.end());
    while (!walk.empty()) {
        TElement* e = walk.back();
        walk.pop_back();
        if (!seen.insert(e).second) continue;
        auto* entity = As<TEntity>(e);
        TSuperList* list = entity ? entity->List() : nullptr;
        if (!list) continue;
        std::vector<TElement*> release;
        for (int32_t i = 0; i < list->Count(); ++i) {
            TElement* child = list->Item(i);
            if (!child) continue;
            if (posOf(child) >= 0 || reached(child)) release.push_back(child);
            else walk.push_back(child);
        }
        for (TElement* child : release) Unlink(entity, child);
    }
    for (auto it = loose.rbegin(); it != loose.rend(); ++it) {
        if (!IsLive(*it)) continue;
        try {
            Free(*it);
        } catch (...) {
        }
    }
}

void TZarixLoader::DoIt() {
    ModelFileReading reading;
    BeginLoad();
    TElement* root = nullptr;
    auto finish = MakeScopeExit([this] {
        FreeTables();
        EndLoad();
    });
    try {
        CreateTables();
        ReadHeader();
        AfterHeader();
        ReadElements();
        if (FLastPos < 0) throw EListError("List index out of bounds (-1)");
        root = ElementAt(FLastPos);
        if (!root) {
            throw EClassNotFound(Cz("Neregistrovaný element: ") + (FLastClass ? FLastClass->Name : std::string()));
        }
    } catch (const EReadError& e) {
        // A failed load frees what it made; a damaged stream is named as the model file.
        FreeMade();
        if (dynamic_cast<const EModelFileError*>(&e)) throw;
        throw EModelFileError(Cz("Poškozený soubor modelu ") + FileName + " : " + e.Message());
    } catch (...) {
        // A failed load frees what it made.
        FreeMade();
        throw;
    }
    FreeUnreached(root);
    Output = root;
}

// ---- TStreamLoader -------------------------------------------------------------------------

TStreamLoader* TStreamLoader::New(const std::string& fileName) { return Named(New(), fileName); }

int64_t TStreamLoader::GetSourceSize() { return FSource ? FSourceSize : 0; }

void TStreamLoader::StepProgress() {
    const int64_t pos = FReader->Position();
    if (pos % 200 == 0) ShowProgress(pos);
}

void TStreamLoader::ShowProgress(int64_t pos) {
    SetProgress(static_cast<int32_t>(std::min<int64_t>(pos, INT32_MAX)));
    static const std::string of = Cz(" bytů z celkových ");
    SetProgressText(IntToStr(pos) + of + IntToStr(GetSourceSize()));
    Application().ProcessMessages();
}

void TStreamLoader::ReadHeader() {
    FReader->ReadString();
    FReader->ReadString();
    FReader->ReadString();
}

void TStreamLoader::ReadClassRecord() {
    std::string name = FReader->ReadString();
    FReader->ReadInteger();  // the position counts
    AddClass(name);
    FReader->ReadListBegin();
    while (!FReader->EndOfList()) {
        std::string prop = FReader->ReadString();
        int32_t kind = FReader->ReadInteger();
        AddClassProperty(prop, kind);
    }
    FReader->ReadListEnd();
}

void TStreamLoader::ReadElements() {
    FReader->ReadListBegin();
    int32_t last = -1;
    ClassRecord* lastClass = nullptr;
    while (!FReader->EndOfList()) {
        int32_t n = FReader->ReadInteger();
        if (n == -1) {
            ReadClassRecord();
        } else {
            BeginElement(n);
            int32_t pos = FCurrentPos;
            lastClass = FCurrentClass;
            FLastID = FReader->ReadInteger();
            ReadProperties();
            ReadChildren();
            FPosState[static_cast<size_t>(pos)] |= psComplete;
            last = pos;
        }
        StepProgress();
    }
    FReader->ReadListEnd();
    FLastPos = last;
    FLastClass = lastClass;
}

TElement* TStreamLoader::ReadInline(bool make, int32_t& position) {
    position = -1;
    if (FDepth >= kMaxInlineDepth) Damaged(Cz("příliš hluboko vnořené elementy"));
    TElement* current = FCurrent;
    ClassRecord* currentClass = FCurrentClass;
    int32_t currentPos = FCurrentPos;
    int32_t nextIndex = FNextIndex;
    bool skipping = FSkipping;
    bool linked = FLinked;
    ++FDepth;
    FSkipping = skipping || !make;
    ReadElements();
    int32_t pos = FLastPos;
    --FDepth;
    FSkipping = skipping;
    FCurrent = current;
    FCurrentClass = currentClass;
    FCurrentPos = currentPos;
    FNextIndex = nextIndex;
    FLinked = linked;
    FHeldFor = nullptr;
    if (FAccessor) FAccessor->SetInstance(current);
    TElement* element = ElementAt(pos);
    if (!element) return nullptr;
    element->ID = -1;
    position = pos;
    return element;
}

bool TStreamLoader::TakeNumber(const TPropInfo& live, TTypeKind kind, int32_t n, TZarixPropValue& value) {
    switch (kind) {
        case tkInteger:
        case tkEnumeration: {
            int64_t v = n;
            if (live.PropType && live.PropType->OrdType == otULong) v = static_cast<uint32_t>(n);
            if (live.PropType && (v < live.PropType->MinValue || v > live.PropType->MaxValue)) return false;
            value.Ord = v;
            return true;
        }
        case tkChar:
            if (n < 0 || n > 255) return false;
            value.Ord = n;
            return true;
        case tkSet:
            if (static_cast<uint32_t>(n) & ~SetTypeMask(live.PropType)) return false;
            value.Ord = static_cast<uint32_t>(n);
            return true;
        case tkFloat:
            value.Float = n;
            return true;
        default:
            return false;
    }
}

bool TStreamLoader::ReadValue(const ClassProperty& prop, const TPropInfo* live, TZarixPropValue& value) {
    // Numbers for a property that takes no element are read here; everything else below.
    const TTypeKind kind = live ? prop.LiveKind : tkUnknown;
    if (live && prop.Kind != tkClass && kind != tkClass) {
        const TValueType tag = FReader->NextValue();
        if (tag == vaInt8 || tag == vaInt16 || tag == vaInt32) return TakeNumber(*live, kind, FReader->ReadInteger(), value);
        if (tag == vaExtended) {
            const double v = FReader->ReadFloat();
            if (kind != tkFloat) return false;
            value.Float = v;
            return true;
        }
    }
    return ReadOtherValue(prop, live, value);
}

bool TStreamLoader::ReadOtherValue(const ClassProperty& prop, const TPropInfo* live, TZarixPropValue& value) {
    switch (FReader->NextValue()) {
        case vaInt8:
        case vaInt16:
        case vaInt32: {
            int32_t n = FReader->ReadInteger();
            TTypeKind kind = live ? live->Kind() : tkUnknown;
            if (prop.Kind == tkClass && n == -2) {
                int32_t pos = -1;
                TElement* element = ReadInline(live != nullptr && kind == tkClass, pos);
                if (!element || kind != tkClass) return false;
                const TClassInfo* want = live->PropType ? live->PropType->ClassRef() : nullptr;
                if (want && !element->InheritsFrom(want)) return false;
                FValuePos = pos;
                value.Obj = element;
                return true;
            }
            if (!live) return false;
            if (kind == tkClass) {
                if (n == -1) {
                    value.Obj = nullptr;
                    return true;
                }
                TElement* element = ReferableAt(n);
                if (!element) return false;
                const TClassInfo* want = live->PropType ? live->PropType->ClassRef() : nullptr;
                if (want && !element->InheritsFrom(want)) return false;
                FValuePos = n;
                value.Obj = element;
                return true;
            }
            return TakeNumber(*live, kind, n, value);
        }
        case vaExtended: {
            double v = FReader->ReadFloat();
            if (!live || live->Kind() != tkFloat) return false;
            value.Float = v;
            return true;
        }
        case vaString:
        case vaLString: {
            std::string s = FReader->ReadString();
            if (!live || !IsStringKind(live->Kind())) return false;
            value.Str = std::move(s);
            return true;
        }
        case vaNull:
        case vaList:
            Damaged(Cz("chybná hodnota vlastnosti ") + prop.Name);
        default:
            FReader->SkipValue();
            return false;
    }
}

void TStreamLoader::ReadProperties() {
    FReader->ReadListBegin();
    ClassRecord* record = FCurrentClass;
    // Each property's mark holds the round of the element that last set it: a new round
    // per element, so nothing is cleared between elements. Inline records read inside
    // take the marks above these.
    const size_t base = FSeenTop;
    FSeenTop += record->Props.size();
    if (FSeenMark.size() < FSeenTop) FSeenMark.resize(FSeenTop * 2, 0);
    const int32_t round = ++FSeenRound;
    const bool making = FCurrent && !FSkipping;
    TZarixPropValue value;
    while (!FReader->EndOfList()) {
        int32_t index = FReader->ReadInteger();
        if (index < 0 || index >= static_cast<int32_t>(record->Props.size()))
            Damaged(Cz("chybné číslo vlastnosti ") + IntToStr(index));
        const ClassProperty& prop = record->Props[static_cast<size_t>(index)];
        const TPropInfo* live = nullptr;
        // A value is applied once, to a live property of the same kind that can be set.
        int32_t& seen = FSeenMark[base + static_cast<size_t>(index)];
        if (prop.Settable && making && seen != round)
            live = &record->Class->Props[static_cast<size_t>(prop.Live)];
        seen = round;
        FValuePos = -1;
        if (ReadValue(prop, live, value)) {
            value.Kind = prop.LiveKind;
            SetPropertyValue(prop.Live, prop.LiveKind, value);
        }
    }
    FSeenTop = base;
    FReader->ReadListEnd();
}

void TStreamLoader::ReadChildren() {
    if (FReader->ReadInteger() == 0) return;
    FReader->ReadListBegin();
    while (!FReader->EndOfList()) AddChild(FReader->ReadInteger());
    FReader->ReadListEnd();
}

void TStreamLoader::LoadOldFormat() {
    TElementHolder<TLoader> loader(TLoader::New());
    loader->SetName(FileName);
    loader->DoIt();
    if (loader->Output) Output = loader->Output;
}

void TStreamLoader::DoIt() {
    if (FileName.empty()) throw EBadStreamName(Cz("Chybné jméno souboru : ") + FileName + " !");
    if (!FileExists(FileName)) throw EBadStream(Cz("Soubor ") + FileName + Cz(" neexistuje!"));
    // Read in pieces through one buffer: a large file takes no memory of its size.
    auto source = std::make_unique<TFileStream>(FileName, fmOpenRead);
    char signature[4];
    {
        TReader reader(*source, kReadBuffer);
        Lent lentReader(FReader, &reader);
        Lent lentSource(FSource, static_cast<TStream*>(source.get()));
        FSourceSize = source->Size();
        reader.Read(signature, 4);
        if (std::memcmp(signature, "ZRX0", 4) == 0) inherited::DoIt();
    }
    if (std::memcmp(signature, "ZRX0", 4) == 0) return;
    source.reset();
    if (std::memcmp(signature, "TPF0", 4) == 0) {
        LoadOldFormat();
        return;
    }
    throw EBadStream(FileName + Cz(" ... neznámý typ souboru"));
}

// ---- TLoad ---------------------------------------------------------------------------------

TLoad* TLoad::New(const std::string& fileName) { return Named(New(), fileName); }

// ---- TLoader -------------------------------------------------------------------------------

void TLoader::Create() {
    inherited::Create();
    SetName("ZARIX.ZRX");
}

void TLoader::DoIt() {
    HourGlass cursor;
    ModelFileReading reading;
    std::string name = GetName();
    if (name.empty()) throw EBadStreamName(Cz("Chybné jméno streamu : ") + name + " !");
    TFileStream stream(name, fmOpenRead);
    TReader reader(stream, 64000);
    auto* dictionary = TLoaderDictionary::New();
    std::vector<TElement*> made;
    std::unordered_set<TElement*> hasParent;
    auto close = [&] {
        dictionary->Clear();
        Free(dictionary);
    };
    auto fail = [&](const std::string& text) {
        MessageDlg(text, mtError, mbOK, 0);
        FreeLoadedElements(made);
    };
    auto closing = MakeScopeExit(close);
    reader.ReadSignature();
    reader.ReadListBegin();
    while (true) {
        std::string className;
        try {
            if (reader.EndOfList()) break;
            className = reader.ReadString();
        } catch (...) {
            fail(Cz("Chyba při čtení elementu: ") + className);
            return;
        }
        TElementClass cls = GetZarixClass(className);
        if (!cls || !cls->NewBlank || !cls->InheritsFrom(TElement::StaticClass())) {
            fail(Cz("Neregistrovaný element: ") + className);
            return;
        }
        try {
            auto* element = static_cast<TElement*>(cls->CreateInstance());
            made.push_back(element);
            element->Load(reader, dictionary);
            if (auto* entity = As<TEntity>(element)) DropDoubleChildren(entity, hasParent);
            dictionary->AddElement(element);
        } catch (...) {
            fail(Cz("Chyba při čtení elementu: ") + className);
            return;
        }
    }
    try {
        reader.ReadListEnd();
    } catch (...) {
        fail(Cz("Chyba při čtení elementu: "));
        return;
    }
    TElement* root = made.empty() ? nullptr : made.back();
    // Elements that no parent and no reference took are freed.
    for (auto it = made.rbegin(); it != made.rend(); ++it) {
        TElement* e = *it;
        if (e == root || dictionary->Taken.count(e) || hasParent.count(e) || !IsLive(e)) continue;
        try {
            Free(e);
        } catch (...) {
        }
    }
    if (root) Output = root;
}

void RegisterELoaderUnit() {
    RegisterZarixClass<TLoader>();
    RegisterZarixClass<TLoad>();
}
