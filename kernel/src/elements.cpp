#include "kernel/elements.h"

#include <algorithm>
#include <array>
#include <vector>

#include "kernel/class_registry.h"
#include "kernel/messages.h"
#include "platform/forms.h"
#include "platform/host.h"
#include "platform/scope_exit.h"
#include "platform/windows.h"

int32_t BaseID = 0;
TElement* TestedElement = nullptr;

namespace {

// Entities of more than this many children let pending messages through before freeing.
constexpr int kPumpAbove = 200;

const std::string kCrLf = "\r\n";

// The index to look at next when walking a list from its end while items may vanish.
int Clamp(int index, const TList* list) {
    if (!list) return -1;
    return index < list->Count() ? index : list->Count() - 1;
}

// Marks the child an entity's freeing loop has already taken out of its list, so that
// the child's own detaching (RemoveElement from its Destroy) does not search the list.
class TakenOut {
public:
    TakenOut(TElement*& slot, TElement* child) : slot_(slot), saved_(slot) { slot_ = child; }
    ~TakenOut() { slot_ = saved_; }
    TakenOut(const TakenOut&) = delete;
    TakenOut& operator=(const TakenOut&) = delete;
private:
    TElement*& slot_;
    TElement* saved_;
};

}  // namespace

// ---- TSuperList ------------------------------------------------------------------------

namespace kernel_detail {
uint64_t gFreedChildren = 0;
uint64_t gTakenChildren = 0;
}  // namespace kernel_detail

namespace {
uint64_t SerialOf(const TPersistent* item) { return item ? item->Serial() : 0; }
}  // namespace

void TSuperList::Taken(TPersistent* item) {
    if (item) static_cast<TElement*>(item)->FListed = true;
    ++kernel_detail::gTakenChildren;
}

void TSuperList::Insert(int index, TPersistent* item) {
    TList::Insert(index, item);
    serials_.insert(serials_.begin() + index, SerialOf(item));
    Taken(item);
}

void TSuperList::Put(int index, TPersistent* item) {
    TList::Put(index, item);
    serials_[static_cast<size_t>(index)] = SerialOf(item);
    Taken(item);
}

void TSuperList::Delete(int index) {
    TList::Delete(index);
    serials_.erase(serials_.begin() + index);
}

int TSuperList::Remove(TPersistent* item) {
    int i = IndexOf(item);
    if (i >= 0) Delete(i);
    return i;
}

void TSuperList::Clear() {
    TList::Clear();
    serials_.clear();
}

void TSuperList::Exchange(int i, int j) {
    TList::Exchange(i, j);
    std::swap(serials_[static_cast<size_t>(i)], serials_[static_cast<size_t>(j)]);
}

void TSuperList::FreeAll() {
    for (int i = Count() - 1; i >= 0; i = Clamp(i - 1, this)) {
        TElement* e = LiveItem(i);
        if (e && e->IsPossibleToFree()) Free(e);
    }
}

void TSuperList::FreeItem(int index) {
    TElement* e = LiveItem(index);
    if (!e || !e->IsPossibleToFree()) return;
    Delete(index);
    Free(e);
}

void TSuperList::FastFreeAll() {
    for (int i = Count() - 1; i >= 0; i = Clamp(i - 1, this)) {
        TElement* e = LiveItem(i);
        if (!e) continue;
        if (auto* entity = As<TEntity>(e)) entity->FastFreeAll();
        Free(e);
    }
    Clear();
}

void TSuperList::FastFreeItem(int index) {
    TElement* e = LiveItem(index);
    Delete(index);
    if (!e) return;
    if (auto* entity = As<TEntity>(e)) entity->FastFreeAll();
    Free(e);
}

// ---- TElement ------------------------------------------------------------------------

void TElement::Publish(PropertyTable& t) {
    t.Field("ID", &TElement::ID).Stored(false);
    t.Str<TElement>("Name", &TElement::GetName, &TElement::SetName).StoredIf<TElement>(&TElement::StoreName);
    t.Int<TElement>("OwnersCount", &TElement::GetOwnersCount, nullptr).Stored(false);
    t.Int<TElement>("Size", &TElement::GetInstanceSize, nullptr).Stored(false);
    t.Int<TElement>("WholeSize", &TElement::GetWholeSize, nullptr).Stored(false);
}

int32_t TElement::GetInstanceSize() { return static_cast<int32_t>(ClassType()->InstanceSize); }

int32_t TElement::GetWholeSize() {
    ResetBaseID();
    return GetWholeSizes();
}

int32_t TElement::GetWholeSizes() {
    ID = BaseID;
    return GetInstanceSize();
}

std::string TElement::GetName() { return ClassName(); }
void TElement::SetName(const std::string&) {}
TEntity* TElement::GetOwnerEntity(int32_t) { return nullptr; }
void TElement::PutOwner(int32_t, TEntity*) {}
int32_t TElement::GetOwnersCount() { return 0; }

TElement::~TElement() {
    if (FListed) ++kernel_detail::gFreedChildren;
}

void TElement::Create() {
    inherited::Create();
    ID = -1;
}

bool TElement::StoreName() { return false; }

void TElement::Load(TReader& reader, TEntity*) { ID = reader.ReadInteger(); }

void TElement::Save(TWriter& writer) {
    writer.WriteString(ClassName());
    writer.WriteInteger(ID);
}

bool TElement::NoElements() { return true; }

TElement* TElement::CreateEnvelope() {
    auto* envelope = static_cast<TElement*>(ClassType()->NewBlankInstance());
    envelope->SetName(Cz("Obálka: ") + GetName());
    return envelope;
}

void TElement::OnTimer() {}
void TElement::AddOwner(TEntity*) {}
void TElement::RemoveOwner(TEntity*) {}
bool TElement::IsMyOwner(TEntity*) { return false; }
bool TElement::NoOwners() { return GetOwnersCount() < 1; }
TEntity* TElement::FindOwnerClass(TElementClass) { return nullptr; }
TEntity* TElement::FindOwnerName(const std::string&) { return nullptr; }

TElement* TElement::FindClassInOwners(TElementClass cls) {
    if (InheritsFrom(cls)) return this;
    for (int32_t i = 0; i < GetOwnersCount(); ++i) {
        TEntity* owner = GetOwnerEntity(i);
        if (!owner) continue;
        if (TElement* found = owner->FindClassInOwners(cls)) return found;
    }
    return nullptr;
}

bool TElement::IsPossibleToFree() {
    int32_t count = GetOwnersCount();
    if (count <= 1) return true;
    for (int32_t i = 0; i < count; ++i) {
        TEntity* owner = GetOwnerEntity(i);
        if (!owner || !owner->CanFreeElement(this)) return false;
    }
    return true;
}

void TElement::ResetID() {
    ResetBaseID();
    ResetIDs();
}

void TElement::ResetIDs() { ID = BaseID; }

// Only a message, or an element that a queued message names, has messages to forget.
void TElement::BeforeDestruction() {
    FNoMessage = !InheritsFrom(TZarixMessage::StaticClass());
    if (FQueueLinks || !FNoMessage) ForgetQueuedMessagesOf(this);
    inherited::BeforeDestruction();
}

void TElement::Destroy() {
    if (FQueueLinks || !FNoMessage) ForgetQueuedMessagesOf(this);
    inherited::Destroy();
}

TElement* TElement::LoadElement(TReader& reader, TEntity* dictionary) {
    int32_t index = reader.ReadInteger();
    if (index < 0 || !dictionary) return nullptr;
    return dictionary->Get(index);
}

void TElement::SaveElement(TElement* element, TWriter& writer) {
    writer.WriteInteger(element ? element->ID : -1);
}

int32_t TElement::GetLastPropertyIndex() { return ClassType()->PropCount() - 1; }

// ---- owner lists ----------------------------------------------------------------------------
// TOwnerElement and TOwnerEntity keep their owners alike: a list made on first use, its
// items untyped until checked.

namespace {
}  // namespace

// ---- TOwnerList ---------------------------------------------------------------------------

void TOwnerList::IndexError(int index) {
    throw EListError("List index out of bounds (" + std::to_string(index) + ")");
}

void TOwnerList::InsertAmongMore(int index, const Entry& e) {
    if (index < 0 || index > count_) IndexError(index);
    if (count_ == 0) {
        one_ = e;
    } else {
        if (count_ == 1) more_.assign(1, one_);
        more_.insert(more_.begin() + index, e);
    }
    ++count_;
}

void TOwnerList::DeleteAmongMore(int index) {
    Get(index);
    if (count_ == 1) {
        one_ = Entry{};
    } else {
        more_.erase(more_.begin() + index);
        if (count_ == 2) {
            one_ = more_[0];
            more_.clear();
        }
    }
    --count_;
}

// ---- TOwnerElement ------------------------------------------------------------------------

TEntity* TOwnerElement::GetOwnerEntity(int32_t index) {
    if (index < 0 || index >= FOwners.Count()) return nullptr;
    return FOwners.Get(index);
}

void TOwnerElement::PutOwner(int32_t index, TEntity* owner) { FOwners.Insert(index, owner); }
int32_t TOwnerElement::GetOwnersCount() { return FOwners.Count(); }
void TOwnerElement::AddOwner(TEntity* owner) { FOwners.Add(owner); }
void TOwnerElement::RemoveOwner(TEntity* owner) { FOwners.Remove(owner); }
bool TOwnerElement::IsMyOwner(TEntity* owner) { return FOwners.IndexOf(owner) >= 0; }

bool TOwnerElement::NoOwners() { return GetOwnersCount() == 0; }

TEntity* TOwnerElement::FindOwnerClass(TElementClass cls) {
    for (int32_t i = 0; i < GetOwnersCount(); ++i) {
        TEntity* owner = GetOwnerEntity(i);
        if (owner && owner->InheritsFrom(cls)) return owner;
    }
    return nullptr;
}

TEntity* TOwnerElement::FindOwnerName(const std::string& name) {
    for (int32_t i = 0; i < GetOwnersCount(); ++i) {
        TEntity* owner = GetOwnerEntity(i);
        if (owner && owner->GetName() == name) return owner;
    }
    return nullptr;
}

void TOwnerElement::Destroy() {
    // Each owner drops this element from its list (and from our owner list).
    for (int i = FOwners.Count() - 1; i >= 0; i = std::min(i - 1, FOwners.Count() - 1)) {
        if (auto* entity = As<TEntity>(FOwners.LiveItem(i))) entity->RemoveElement(this);
    }
    FOwners = TOwnerList();
    inherited::Destroy();
}

// ---- TEntity ------------------------------------------------------------------------------

void TEntity::Publish(PropertyTable& t) {
    t.Obj<TEntity, TElement>("NextElement", nullptr, &TEntity::AddElement);
    t.Obj<TEntity, TElement>("ElementToFree", nullptr, &TEntity::SetElementToFree);
    t.Obj<TEntity, TElement>("ElementToRemove", nullptr, &TEntity::RemoveElement);
    t.Obj<TEntity, TElement>("AddAllFrom", nullptr, &TEntity::PAddAllFrom);
    t.Int<TEntity>("WholeCount", &TEntity::GetWholeCount, nullptr).Stored(false);
    t.Int<TEntity>("Count", &TEntity::ElementsCount, nullptr).Stored(false);
    t.Int<TEntity>("LastIndex", &TEntity::GetLastIndex, nullptr).Stored(false);
}

TSuperList* TEntity::NeedList() {
    if (!FList) FList = new TSuperList();
    return FList;
}

int32_t TEntity::GetWholeSizes() {
    ID = BaseID;
    int32_t size = 0;
    if (FList) {
        for (int i = 0; i < FList->Count(); ++i) {
            TElement* child = FList->Item(i);
            if (child && child->ID != BaseID) size += child->GetWholeSizes();
        }
    }
    return size + GetInstanceSize();
}

void TEntity::Load(TReader& reader, TEntity* dictionary) {
    TElement::Load(reader, dictionary);
    reader.ReadListBegin();
    while (!reader.EndOfList()) {
        int32_t index = reader.ReadInteger();
        if (index >= 0 && dictionary) AddElement(dictionary->Get(index));  // negative: a nil child
    }
    reader.ReadListEnd();
}

void TEntity::Save(TWriter& writer) {
    TElement::Save(writer);
    writer.WriteListBegin();
    if (FList) {
        for (int i = 0; i < FList->Count(); ++i) {
            TElement* child = FList->Item(i);
            writer.WriteInteger(child ? child->ID : -1);
        }
    }
    writer.WriteListEnd();
}

bool TEntity::NoElements() { return !FList || FList->Count() == 0; }

TElement* TEntity::CreateEnvelope() {
    auto* envelope = static_cast<TEntity*>(TElement::CreateEnvelope());
    if (FList) {
        int count = FList->Count();
        for (int i = 0; i < count && i < FList->Count(); ++i) {
            TElement* child = FList->Item(i);
            if (!child) continue;
            envelope->AddElement(child->NoOwners() ? child->CreateEnvelope() : child);
        }
    }
    return envelope;
}

void TEntity::HandleMessage(TZarixMessage*&, bool&) {}

void TEntity::OnTimer() {
    if (!FList) return;
    for (int i = 0; i < FList->Count(); ++i)
        if (TElement* child = FList->Item(i)) child->OnTimer();
}

void TEntity::ResetIDs() {
    ID = BaseID;
    if (!FList) return;
    for (int i = 0; i < FList->Count(); ++i) {
        TElement* child = FList->Item(i);
        if (child && child->ID != BaseID) child->ResetIDs();
    }
}

void TEntity::Destroy() {
    FreeAll();
    delete FList;
    FList = nullptr;
    inherited::Destroy();
}

int32_t TEntity::ElementsCount() { return NeedList()->Count(); }
int32_t TEntity::GetLastIndex() { return ElementsCount() - 1; }

TElement* TEntity::Get(int32_t index) {
    if (!FList) {
        NeedList();
        return nullptr;
    }
    return FList->Item(index);
}

void TEntity::Put(int32_t index, TElement* element) {
    if (element && !MayHold(element)) return;
    TSuperList* list = NeedList();
    if (list->Count() == 0 && index == 0) list->Add(element);
    else list->Put(index, element);
}

int32_t TEntity::IndexOf(TElement* element) { return FList ? FList->IndexOf(element) : -1; }

void TEntity::FreeAll() {
    if (NoElements()) return;
    TCursor saved = Screen().Cursor();
    Screen().SetCursor(crHourGlass);
    auto restore = MakeScopeExit([saved] { Screen().SetCursor(saved); });
    try {
        if (FList->Count() > kPumpAbove) Application().ProcessMessages();
        for (int i = Clamp(FList->Count() - 1, FList); i >= 0; i = Clamp(i - 1, FList)) {
            TElement* child = FList->LiveItem(i);
            if (!child) continue;
            if (child->IsPossibleToFree()) {
                FList->Delete(i);
                TakenOut taken(FTakenOut, child);
                Free(child);
            } else {
                child->RemoveOwner(this);
            }
        }
        if (FList) FList->Clear();
    } catch (const Exception& e) {
        ShowErrorMessage("TEntity.FreeAll" + kCrLf + e.Message());
    }
}

namespace {

// A new element of the class, named and added to the entity; nil when the class makes
// objects that are not elements.
TElement* AddNewElement(TEntity* entity, TElementClass cls, const std::string& name) {
    TPersistent* object = cls->CreateInstance();
    auto* element = As<TElement>(object);
    if (!element) {
        Free(object);
        return nullptr;
    }
    element->SetName(name);
    entity->AddElement(element);
    return element;
}

}  // namespace

TElement* TEntity::CreateElement(const std::string& className, const std::string& name) {
    TElementClass cls = GetZarixClass(className);
    return cls ? AddNewElement(this, cls, name) : nullptr;
}

namespace {

// The entities that hold the element, as far as it knows them: its owners, or the one
// owner of an envelope.
template <class F> void ForEachHolder(TElement* element, F f) {
    if (auto* envelope = As<TEnvelopeEntity>(element)) {
        if (envelope->Owner()) f(static_cast<TElement*>(envelope->Owner()));
        return;
    }
    int32_t count = element->GetOwnersCount();
    for (int32_t i = 0; i < count; ++i)
        if (TEntity* owner = element->GetOwnerEntity(i)) f(static_cast<TElement*>(owner));
}

// The elements met so far on a walk up the holders; the first few without allocating.
class Seen {
public:
    explicit Seen(TElement* first) { Add(first); }
    size_t Size() const { return size_; }
    TElement* At(size_t i) const { return i < kInPlace ? inPlace_[i] : more_[i - kInPlace]; }
    bool Contains(const TElement* e) const {
        for (size_t i = 0; i < size_; ++i)
            if (At(i) == e) return true;
        return false;
    }
    void Add(TElement* e) {
        if (size_ < kInPlace) inPlace_[size_] = e;
        else more_.push_back(e);
        ++size_;
    }

private:
    static constexpr size_t kInPlace = 16;
    TElement* inPlace_[kInPlace];
    std::vector<TElement*> more_;
    size_t size_ = 0;
};

}  // namespace

bool TEntity::HeldElsewhere(TElement* element) {
    auto* envelope = As<TEnvelopeEntity>(element);
    TEntity* holder = envelope ? envelope->Owner() : nullptr;
    return holder && holder != this && IsLive(holder) && holder->IndexOf(envelope) >= 0;
}

bool TEntity::MayHoldEntity(TElement* element) {
    if (HeldElsewhere(element)) return false;
    // The element must not be this entity's owner, nor an owner of an owner.
    Seen seen(this);
    for (size_t next = 0; next < seen.Size(); ++next) {
        bool found = false;
        ForEachHolder(seen.At(next), [&](TElement* holder) {
            if (holder == element) found = true;
            else if (!seen.Contains(holder)) seen.Add(holder);
        });
        if (found) return false;
    }
    return true;
}

void TEntity::AddElement(TElement* element) {
    if (!element || !MayHold(element)) return;
    NeedList();
    element->AddOwner(this);
    FList->Add(element);
}

void TEntity::InsertElement(int32_t index, TElement* element) {
    if (!element || !MayHold(element)) return;
    if (FList) {
        FList->Insert(index, element);
        element->AddOwner(this);
    } else if (index == 0) {
        NeedList()->Add(element);
        element->AddOwner(this);
    }
}

void TEntity::RemoveElement(TElement* element) {
    if (!element || !FList) return;
    try {
        element->RemoveOwner(this);
    } catch (...) {
        MessageBeep(0xFFFF);
    }
    // A child being freed by this entity's own loop is no longer listed.
    if (element != FTakenOut) FList->Remove(element);
}

void TEntity::FreeElement(TElement* element) {
    // Only a child is ours to free: another holder may still list the element.
    if (!element || !FList || FList->IndexOf(element) < 0) return;
    try {
        FList->Remove(element);
        if (element->IsPossibleToFree()) {
            // No entry may be left pointing at the freed element.
            while (FList->Remove(element) >= 0) {
            }
            Free(element);
        } else {
            element->RemoveOwner(this);
        }
    } catch (const Exception& e) {
        ShowErrorMessage("TEntity.FreeElement" + kCrLf + e.Message());
        Screen().SetCursor(crDefault);
    }
}

TElement* TEntity::FindElementClass(TElementClass cls) {
    if (!FList) return nullptr;
    for (int i = 0; i < FList->Count(); ++i) {
        TElement* child = FList->Item(i);
        if (child && child->InheritsFrom(cls)) return child;
    }
    return nullptr;
}

TElement* TEntity::FindElementName(const std::string& name) {
    if (!FList || FList->Count() == 0) return nullptr;
    for (int i = 0; i < FList->Count(); ++i) {
        TElement* child = FList->Item(i);
        if (child && AnsiSameText(child->GetName(), name)) return child;
    }
    return nullptr;
}

bool TEntity::CanFreeElement(TElement*) { return false; }

int32_t TEntity::GetWholeCount() {
    ResetBaseID();
    return GetWholeCounts();
}

int32_t TEntity::GetWholeCounts() {
    ID = BaseID;
    int32_t count = 0;
    if (FList) {
        // Children are read ahead of the loop (large trees do not fit the cache), and the
        // class of the last child that was not an entity answers for the next one.
        constexpr int kAhead = 16;
        const TClassInfo* plain = nullptr;
        // Nothing here changes the list.
        void* const* items = FList->Items();
        const int n = FList->Count();
        for (int i = 0; i < n; ++i) {
            if (i + kAhead < n) __builtin_prefetch(items[i + kAhead]);
            auto* child = static_cast<TElement*>(items[i]);
            if (!child || child->ID == BaseID) continue;
            const TClassInfo* cls = child->ClassType();
            if (cls != plain && cls->InheritsFrom(TEntity::StaticClass())) {
                count += static_cast<TEntity*>(child)->GetWholeCounts();
            } else {
                plain = cls;
                child->ID = BaseID;
            }
        }
    }
    return count + ElementsCount();
}

void TEntity::FastFreeAll() {
    if (!FList) return;
    for (int i = FList->Count() - 1; i >= 0; i = Clamp(i - 1, FList)) {
        TElement* child = FList->LiveItem(i);
        FList->Delete(i);
        if (!child) continue;
        if (auto* entity = As<TEntity>(child)) entity->FastFreeAll();
        TakenOut taken(FTakenOut, child);
        Free(child);
    }
    if (FList) FList->Clear();
}

void TEntity::HardFreeAll() {
    try {
        if (!FList) return;
        if (FList->Count() > kPumpAbove) Application().ProcessMessages();
        for (int i = Clamp(FList->Count() - 1, FList); i >= 0; i = Clamp(i - 1, FList)) {
            TElement* child = FList->LiveItem(i);
            FList->Delete(i);
            if (!child) continue;
            TakenOut taken(FTakenOut, child);
            try {
                Free(child);
            } catch (...) {
            }
        }
        FList->Clear();
    } catch (const Exception& e) {
        ShowErrorMessage("TEntity.HardFreeAll" + kCrLf + e.Message());
        Screen().SetCursor(crDefault);
    }
}

void TEntity::Clear() {
    if (FList) FList->Clear();
}

void TEntity::PAddAllFrom(TElement* element) {
    auto* source = As<TEntity>(element);
    if (!source) return;
    int32_t count = source->ElementsCount();  // read once: the source may be this entity
    for (int32_t i = 0; i < count; ++i) AddElement(source->Get(i));
}

void TEntity::GetElements(TEntity* source, int32_t first, int32_t last) {
    if (!source) return;
    for (int32_t i = first; i <= last; ++i) AddElement(source->Get(i));
}

int32_t TEntity::GetClassCount(TElementClass cls) {
    if (!FList) return 0;
    int32_t count = 0;
    for (int i = 0; i < FList->Count(); ++i) {
        TElement* child = FList->Item(i);
        if (child && child->InheritsFrom(cls)) ++count;
    }
    return count;
}

TElement* TEntity::FindOrCreateElementName(TElementClass cls, const std::string& name) {
    if (TElement* found = FindElementName(name)) return found;
    return cls ? AddNewElement(this, cls, name) : nullptr;
}

void TEntity::ExchangeFieldElement(TElement*& field, TElement* element) {
    if (field == element) return;
    if (field) {
        TElement* previous = field;
        field = nullptr;
        FreeElement(previous);
    }
    field = element;
    AddElement(element);
}

void TEntity::ExchangeElements(int32_t a, int32_t b) { NeedList()->Exchange(a, b); }

TElement* TEntity::GetElement(const std::string& name) {
    if (auto* aliases = As<TAliases>(FindElementClass(TAliases::StaticClass())))
        if (TElement* target = aliases->GetAlias(name)) return target;
    return FindElementName(name);
}

void TEntity::SetElement(const std::string& name, TElement* element) {
    auto* aliases = As<TAliases>(FindElementClass(TAliases::StaticClass()));
    if (!aliases) {
        aliases = TAliases::New();
        AddElement(aliases);
    }
    TElement* previous = aliases->GetAlias(name);
    if (previous == element) return;
    if (previous) {
        // The alias must not keep pointing at a freed element.
        if (auto* link = As<TAliasElement>(aliases->FindElementName(name))) link->SetTarget(nullptr);
        FreeElement(previous);
    }
    aliases->SetAlias(name, element);
    AddElement(element);
}

// ---- TAliases ------------------------------------------------------------------------------

TElement* TAliases::GetAlias(const std::string& name) {
    auto* link = As<TAliasElement>(FindElementName(name));
    if (!link) return nullptr;
    // A target freed elsewhere is forgotten.
    if (link->Target() && !link->LiveTarget()) link->SetTarget(nullptr);
    return link->Target();
}

void TAliases::SetAlias(const std::string& name, TElement* element) {
    if (!element) return;
    TElement* child = FindElementName(name);
    if (!child) {
        child = TAliasElement::New();
        child->SetName(name);
        AddElement(child);
    }
    if (auto* link = As<TAliasElement>(child)) link->SetTarget(element);
}

// ---- TQuickEntity ----------------------------------------------------------------------------

void TQuickEntity::AddElement(TElement* element) {
    if (!element || !MayHold(element)) return;
    NeedList()->Add(element);
}

void TQuickEntity::InsertElement(int32_t index, TElement* element) {
    if (!element || !MayHold(element)) return;
    if (FList) FList->Insert(index, element);
    else if (index == 0) NeedList()->Add(element);
}

// ---- TEnvelopeEntity -------------------------------------------------------------------------

void TEnvelopeEntity::HandleMessage(TZarixMessage*& message, bool& handled) {
    if (!FOwner) return;
    if (message) message->Receiver = FOwner;
    FOwner->HandleMessage(message, handled);
}

TEntity* TEnvelopeEntity::FindOwnerClass(TElementClass cls) {
    if (InheritsFrom(cls)) return this;
    if (FOwner && FOwner->InheritsFrom(cls)) return FOwner;
    return nullptr;
}

TElement* TEnvelopeEntity::FindClassInOwners(TElementClass cls) {
    if (InheritsFrom(cls)) return this;
    return FOwner ? FOwner->FindClassInOwners(cls) : nullptr;
}

// ---- TOwnerEntity ----------------------------------------------------------------------------

namespace {

// The owner to test: an envelope stands for its own owner.
TEntity* ThroughEnvelope(TElement* owner) {
    if (auto* envelope = As<TEnvelopeEntity>(owner)) return envelope->Owner();
    return As<TEntity>(owner);
}

}  // namespace

TEntity* TOwnerEntity::GetOwnerEntity(int32_t index) {
    if (index < 0 || index >= FOwners.Count()) return nullptr;
    TElement* owner = FOwners.LiveItem(index);
    if (owner && owner->Is<TEntity>()) return static_cast<TEntity*>(owner);
    std::string prefix = "TOwnerEntity(" + GetName() + ").GetOwner: ";
    if (!FOwners.Get(index)) ShowErrorMessage(prefix + Cz("Objekt vlastníka je prázdný"));
    else if (!owner) ShowErrorMessage(prefix + Cz("Chybný objekt vlastníka"));
    else ShowErrorMessage(prefix + Cz("Objekt vlastníka není TEntity"));
    return nullptr;
}

void TOwnerEntity::PutOwner(int32_t index, TEntity* owner) { FOwners.Insert(index, owner); }
int32_t TOwnerEntity::GetOwnersCount() { return FOwners.Count(); }
void TOwnerEntity::AddOwner(TEntity* owner) { FOwners.Add(owner); }
void TOwnerEntity::RemoveOwner(TEntity* owner) { FOwners.Remove(owner); }
bool TOwnerEntity::IsMyOwner(TEntity* owner) { return FOwners.IndexOf(owner) >= 0; }

bool TOwnerEntity::NoOwners() { return GetOwnersCount() == 0; }

TEntity* TOwnerEntity::FindOwnerClass(TElementClass cls) {
    for (int i = 0; i < FOwners.Count(); ++i) {
        TEntity* owner = ThroughEnvelope(FOwners.LiveItem(i));
        if (owner && owner->InheritsFrom(cls)) return owner;
    }
    return nullptr;
}

TEntity* TOwnerEntity::FindOwnerName(const std::string& name) {
    for (int i = 0; i < FOwners.Count(); ++i) {
        TEntity* owner = ThroughEnvelope(FOwners.LiveItem(i));
        if (owner && owner->GetName() == name) return owner;
    }
    return nullptr;
}

void TOwnerEntity::Destroy() {
    for (int i = FOwners.Count() - 1; i >= 0; i = std::min(i - 1, FOwners.Count() - 1)) {
        void* raw = FOwners.Get(i);
        TElement* owner = FOwners.LiveItem(i);
        if (raw && !owner) {
            // A link to an object that no longer exists.
            ShowErrorMessage(Cz("TOwnerEntity.Destroy: chybný vlastník objektu ") + GetName() + Cz(" č.") +
                             IntToStr(i));
            continue;
        }
        auto* entity = As<TEntity>(owner);
        if (!entity) {
            ShowErrorMessage(Cz("TOwnerEntity.Destroy: Špatný vlastník"));
            continue;
        }
        try {
            if (entity->ElementsCount() > 0) entity->RemoveElement(this);
        } catch (const Exception&) {
            // Report and go on: the other owners must still drop this entity.
            std::string text = Cz("TOwnerEntity.Destroy: chyba cyklu uvolňování , ");
            try {
                text += entity->ClassName() + " : " + entity->GetName();
            } catch (...) {
            }
            ShowErrorMessage(text);
        }
    }
    FOwners = TOwnerList();
    inherited::Destroy();
}

namespace {

// The bytes that upper-case to the same letter as a byte (Windows-1250 table), the byte
// itself first.
class CaseVariants {
public:
    CaseVariants() {
        for (int c = 0; c < 256; ++c) {
            count_[c] = 0;
            variants_[c][count_[c]++] = static_cast<unsigned char>(c);
            for (int d = 0; d < 256; ++d)
                if (d != c && AnsiUpperChar(static_cast<unsigned char>(d)) == AnsiUpperChar(static_cast<unsigned char>(c)) &&
                    count_[c] < kMax)
                    variants_[c][count_[c]++] = static_cast<unsigned char>(d);
        }
    }
    int Count(unsigned char c) const { return count_[c]; }
    unsigned char Get(unsigned char c, int i) const { return variants_[c][i]; }

private:
    static constexpr int kMax = 4;
    unsigned char variants_[256][kMax];
    int count_[256];
};

const CaseVariants& Variants() {
    static const CaseVariants table;
    return table;
}

// Children in byte order of their names, searched by bisection.
class SortedNames {
public:
    explicit SortedNames(TEntity* entity) : entity_(entity) {}

    // The first child (in list order) whose name equals the text under the Windows-1250
    // upper-casing; -1 when none.
    int32_t FindText(const std::string& text) { return Find(text, 0, Count(), 0); }

    // The position of the first child whose name is greater than the text in byte order.
    int32_t UpperBound(const std::string& text) {
        int32_t lo = 0, hi = Count();
        while (lo < hi) {
            int32_t mid = lo + (hi - lo) / 2;
            if (CompareStr(KeptName(mid), text) <= 0) lo = mid + 1;
            else hi = mid;
        }
        return lo;
    }

    int32_t Count() { return entity_->ElementsCount(); }

    std::string Name(int32_t i) {
        TElement* child = entity_->Get(i);
        return child ? child->GetName() : std::string();
    }

private:
    // The bisections of one search visit the same middles again at each depth and for each
    // case variant, so the names last read are kept by position.
    static constexpr int32_t kKept = 64;
    struct Kept {
        int32_t at = -1;
        std::string name;
    };
    const std::string& KeptName(int32_t i) {
        Kept& k = kept_[static_cast<size_t>(i) % kKept];
        if (k.at != i) {
            k.name = Name(i);
            k.at = i;
        }
        return k.name;
    }
    // The byte at depth of the name at i, -1 when the name is no longer.
    int Key(int32_t i, size_t depth) {
        const std::string& n = KeptName(i);
        return n.size() > depth ? static_cast<unsigned char>(n[depth]) : -1;
    }
    // [lo, hi) are names sharing the same first depth bytes, which match the text there.
    int32_t Find(const std::string& text, int32_t lo, int32_t hi, size_t depth) {
        if (lo >= hi) return -1;
        if (depth == text.size()) return KeptName(lo).size() == depth ? lo : -1;
        unsigned char c = static_cast<unsigned char>(text[depth]);
        // Keys rise over the range: when the first and the last agree, all do.
        const int first = Key(lo, depth);
        if (first == Key(hi - 1, depth)) {
            for (int v = 0; v < Variants().Count(c); ++v)
                if (Variants().Get(c, v) == first) return Find(text, lo, hi, depth + 1);
            return -1;
        }
        int32_t best = -1;
        for (int v = 0; v < Variants().Count(c); ++v) {
            int byte = Variants().Get(c, v);
            int32_t a = lo, b = hi;
            while (a < b) {  // first key >= byte
                int32_t mid = a + (b - a) / 2;
                if (Key(mid, depth) < byte) a = mid + 1;
                else b = mid;
            }
            int32_t end = a, top = hi;
            while (end < top) {  // first key > byte
                int32_t mid = end + (top - end) / 2;
                if (Key(mid, depth) <= byte) end = mid + 1;
                else top = mid;
            }
            int32_t found = Find(text, a, end, depth + 1);
            if (found >= 0 && (best < 0 || found < best)) best = found;
        }
        return best;
    }

    TEntity* entity_;
    std::array<Kept, kKept> kept_;
};

}  // namespace

void TOwnerEntity::InsertNameSortedEntity(TElement* entity) {
    if (!entity) return;
    if (NoElements()) {
        AddElement(entity);
        return;
    }
    SortedNames names(this);
    int32_t at = names.UpperBound(entity->GetName());
    if (at >= names.Count()) AddElement(entity);
    else InsertElement(at, entity);
}

TElement* TOwnerEntity::CreateSubEntity(TElementClass cls, const std::string& name) {
    std::string wanted = name.empty() ? std::string("no name") : name;
    if (!NoElements()) {
        int32_t found = SortedNames(this).FindText(wanted);
        if (found >= 0) return Get(found);
    }
    if (!cls) return nullptr;
    TPersistent* object = cls->CreateInstance();
    if (!object) return nullptr;
    auto* element = As<TElement>(object);
    if (!element) {
        Free(object);
        return nullptr;
    }
    element->SetName(wanted);
    InsertNameSortedEntity(element);
    return element;
}

// ---- unit routines -----------------------------------------------------------------------------

void ResetBaseID() {
    static bool seeded = false;
    if (!seeded) {
        Randomize();
        seeded = true;
    }
    // -1 also means "not numbered", so it is never a mark.
    int32_t previous = BaseID;
    int32_t next;
    do {
        next = -Random(32000);
    } while (next == previous || next == 0 || next == -1);
    BaseID = next;
}

void CheckTestedElement() {
    if (!TestedElement) return;
    bool broken = false;
    try {
        if (!IsLive(TestedElement)) {
            broken = true;
        } else if (TestedElement->GetOwnersCount() >= 1) {
            TEntity* owner = TestedElement->GetOwnerEntity(0);
            if (owner && !IsLive(owner)) broken = true;
            else if (owner) (void)owner->GetName();
        }
    } catch (...) {
        broken = true;
    }
    if (broken) ShowErrorMessage(Cz("Test ... chyba !!!"));
}

TElement* CreateElementByName(const std::string& name) {
    try {
        TElementClass cls = GetZarixClass(name);
        if (!cls) cls = GetZarixClass("T" + name);
        if (!cls) {
            MessageDlg(Cz("Neregistrovaný element: ") + "T" + name, mtError, {mbOK}, 0);
            return nullptr;
        }
        TPersistent* object = cls->CreateInstance();
        if (auto* element = As<TElement>(object)) return element;
        Free(object);
    } catch (...) {
    }
    return nullptr;
}

void RegisterElementsUnit() {
    RegisterZarixClass<TElement>();
    RegisterZarixClass<TNameElement>();
    RegisterZarixClass<TOwnerElement>();
    RegisterZarixClass<TEntity>();
    RegisterZarixClass<TNameEntity>();
    RegisterZarixClass<TOwnerEntity>();
    RegisterZarixClass<TEnvelopeEntity>();
    RegisterZarixClass<TZarixMessage>();
}
