// Elements and entities: the element tree with shared ownership, visit marks for
// whole-tree walks, streaming of each class's own part, envelopes and aliases.
#pragma once
#include <cstdint>
#include <string>
#include <type_traits>
#include <vector>

#include "platform/classes.h"
#include "platform/rtti.h"

class TElement;
class TEntity;
class TZarixMessage;
struct TQueueLinks;
struct TQueueIndex;

// A class reference of the element tree.
using TElementClass = const TClassInfo*;

// A short name of at most 20 characters.
using TName = std::string;

// The pointer list of children and owners. The items are elements; each is kept with
// its serial number, so that an item freed elsewhere is told from a later object at the
// same address (LiveItem).
class TSuperList : public TList {
public:
    // Each item from the last to the first is freed when it agrees to be freed
    // (IsPossibleToFree); the list is not emptied. An item listed twice is freed once.
    void FreeAll();
    void FreeItem(int index);
    // Each item from the last to the first: an entity has its own children freed the
    // same way first, then the item is freed; no owner is asked. The list is emptied.
    void FastFreeAll();
    void FastFreeItem(int index);

    TElement* Item(int index) const { return static_cast<TElement*>(Get(index)); }
    // The item at the index while the object listed there lives; nil once it was freed.
    TElement* LiveItem(int index) const {
        if (static_cast<unsigned>(index) >= static_cast<unsigned>(Count())) [[unlikely]]
            return Item(index);  // the list's index error
        void* p = Items()[index];
        return IsLive(p, serials_[static_cast<size_t>(index)]) ? static_cast<TElement*>(p) : nullptr;
    }

    int Add(TPersistent* item) {
        serials_.push_back(item ? item->Serial() : 0);
        Taken(item);
        return TList::Add(item);
    }
    void Insert(int index, TPersistent* item);
    void Put(int index, TPersistent* item);
    void Delete(int index);
    int Remove(TPersistent* item);
    void Clear();
    void Exchange(int i, int j);

private:
    // Notes that the item was a child, and that a list took one.
    static void Taken(TPersistent* item);
    std::vector<uint64_t> serials_;
};

class TEntity;

// The owners an element knows, each with its serial number as TSuperList keeps items;
// a single owner is kept in place, so an element with one owner allocates nothing.
class TOwnerList {
public:
    int Count() const { return count_; }
    // As listed (EListError out of range).
    TEntity* Get(int index) const {
        if (static_cast<unsigned>(index) >= static_cast<unsigned>(count_)) [[unlikely]] IndexError(index);
        return Data()[index].owner;
    }
    inline TElement* LiveItem(int index) const;  // nil once the owner listed there was freed
    void Add(TEntity* owner) { Insert(count_, owner); }
    inline void Insert(int index, TEntity* owner);  // 0..Count
    void Delete(int index) {
        if (count_ == 1 && index == 0) {
            one_ = Entry{};
            count_ = 0;
        } else {
            DeleteAmongMore(index);
        }
    }
    // The first occurrence.
    void Remove(TEntity* owner) {
        int i = IndexOf(owner);
        if (i >= 0) Delete(i);
    }
    int IndexOf(const TEntity* owner) const {
        const Entry* d = Data();
        for (int i = 0; i < count_; ++i)
            if (d[i].owner == owner) return i;
        return -1;
    }

private:
    struct Entry {
        TEntity* owner = nullptr;
        uint64_t serial = 0;
    };
    [[noreturn]] static void IndexError(int index);
    void InsertAmongMore(int index, const Entry& e);
    void DeleteAmongMore(int index);
    const Entry* Data() const { return count_ <= 1 ? &one_ : more_.data(); }
    Entry one_;
    std::vector<Entry> more_;  // every entry while there are two or more
    int count_ = 0;
};

// The root of every persistent object of the document, tool and model trees.
class TElement : public TPersistent {
    ZARIX_CLASS(TElement, TPersistent)
    static void Publish(PropertyTable& t);

public:
    int32_t ID = 0;  // -1 after Create; the visit mark during walks

    ~TElement() override;

    virtual int32_t GetInstanceSize();
    virtual int32_t GetWholeSize();
    virtual int32_t GetWholeSizes();
    virtual std::string GetName();
    virtual void SetName(const std::string& value);
    virtual TEntity* GetOwnerEntity(int32_t index);
    virtual void PutOwner(int32_t index, TEntity* owner);
    virtual int32_t GetOwnersCount();
    void Create() override;
    virtual bool StoreName();
    virtual void Load(TReader& reader, TEntity* dictionary);
    virtual void Save(TWriter& writer);
    virtual bool NoElements();
    virtual TElement* CreateEnvelope();
    virtual void HandleMessage(TZarixMessage*& message, bool& handled);
    virtual void OwnersHandleMessage(TZarixMessage*& message, bool& handled);
    virtual void SendMsg(int32_t msg, TElement* receiver, TElement* data, bool killData);
    virtual void PostMsg(int32_t msg, TElement* receiver, TElement* data, bool killData);
    virtual void SendMsgToOwners(int32_t msg, TElement* data, bool killData);
    virtual void PostMsgToOwners(int32_t msg, TElement* data, bool killData);
    virtual void OnTimer();
    virtual void AddOwner(TEntity* owner);
    virtual void RemoveOwner(TEntity* owner);
    virtual bool IsMyOwner(TEntity* owner);
    virtual bool NoOwners();
    virtual TEntity* FindOwnerClass(TElementClass cls);
    virtual TEntity* FindOwnerName(const std::string& name);
    virtual TElement* FindClassInOwners(TElementClass cls);
    virtual bool IsPossibleToFree();
    virtual void ResetID();
    virtual void ResetIDs();
    // Property access by name and command-line paths (implemented with the property unit).
    virtual bool ExecuteCommandLine(const std::string& command, std::string& result);
    virtual TStringList* ExecuteCommandLineToList(const std::string& command);
    virtual TElement* ExecuteCommandLineToElement(const std::string& command);
    virtual bool HasPropertyByName(const std::string& name);
    virtual std::string GetPropertyStringByName(const std::string& name);
    virtual void SetPropertyStringByName(const std::string& name, const std::string& value);
    virtual int32_t GetPropertyLongIntByName(const std::string& name);
    virtual void SetPropertyLongIntByName(const std::string& name, int32_t value);
    virtual bool GetPropertyBooleanByName(const std::string& name);
    virtual void SetPropertyBooleanByName(const std::string& name, bool value);

    // A queued message naming this element as receiver is dropped, one naming it as
    // sender or data forgets it: before Destroy begins, and again for messages posted
    // while it runs.
    void BeforeDestruction() override;
    void Destroy() override;

    void PostTextMsg(int32_t msg, const std::string& text, TElement* receiver);
    void PostTextMsgToOwners(int32_t msg, const std::string& text);

    // A reference to another element as its ID (-1 for nil), resolved through the
    // dictionary entity whose children stand in the order of their IDs.
    static TElement* LoadElement(TReader& reader, TEntity* dictionary);
    static void SaveElement(TElement* element, TWriter& writer);
    int32_t GetLastPropertyIndex();

private:
    friend struct TQueueIndex;
    TQueueLinks* FQueueLinks = nullptr;  // the queued messages naming this element

private:
    friend class TSuperList;
    bool FListed = false;  // was a child of an entity at some time
    bool FNoMessage = false;  // known not to be a message (from BeforeDestruction on)
};

// The own name of TNameElement and TNameEntity; the class name stands for an empty one.
// The size counts the name and its terminator, an empty name too when countEmpty is set.
template <class Base, bool countEmpty> class TNamed : public Base {
public:
    int32_t GetInstanceSize() override {
        int32_t size = Base::GetInstanceSize();
        return FName.empty() && !countEmpty ? size : size + static_cast<int32_t>(FName.size()) + 1;
    }
    std::string GetName() override { return FName.empty() ? this->ClassName() : FName; }
    void SetName(const std::string& value) override { FName = value; }
    bool StoreName() override { return !FName.empty(); }
    void Load(TReader& reader, TEntity* dictionary) override {
        Base::Load(reader, dictionary);
        SetName(reader.ReadString());
    }
    void Save(TWriter& writer) override {
        Base::Save(writer);
        writer.WriteString(GetName());
    }
    void Destroy() override {
        FName.clear();
        Base::Destroy();
    }
    // What GetName answers, without a copy (for classes that keep this GetName).
    std::string_view NameView() const {
        return FName.empty() ? std::string_view(this->ClassType()->Name) : std::string_view(FName);
    }

protected:
    std::string FName;
};

// An element with a name.
class TNameElement : public TNamed<TElement, true> {
    ZARIX_CLASS(TNameElement, TElement)
};

// A named element that knows the entities holding it.
class TOwnerElement : public TNameElement {
    ZARIX_CLASS(TOwnerElement, TNameElement)

public:
    TEntity* GetOwnerEntity(int32_t index) override;
    void PutOwner(int32_t index, TEntity* owner) override;
    int32_t GetOwnersCount() override;
    void AddOwner(TEntity* owner) override;
    void RemoveOwner(TEntity* owner) override;
    bool IsMyOwner(TEntity* owner) override;
    bool NoOwners() override;
    TEntity* FindOwnerClass(TElementClass cls) override;
    TEntity* FindOwnerName(const std::string& name) override;
    void Destroy() override;

protected:
    TOwnerList FOwners;
};

// A named link to another element (not owned).
class TAliasElement : public TOwnerElement {
    ZARIX_CLASS(TAliasElement, TOwnerElement)

public:
    TElement* Target() const { return FTarget; }
    // The target while the element it was set to lives; nil once that one was freed.
    TElement* LiveTarget() const { return IsLive(FTarget, FTargetSerial) ? FTarget : nullptr; }
    void SetTarget(TElement* target) {
        FTarget = target;
        FTargetSerial = target ? target->Serial() : 0;
    }

private:
    TElement* FTarget = nullptr;
    uint64_t FTargetSerial = 0;
};

// An element holding an ordered list of child elements.
class TEntity : public TElement {
    ZARIX_CLASS(TEntity, TElement)
    static void Publish(PropertyTable& t);

public:
    int32_t GetWholeSizes() override;
    void Load(TReader& reader, TEntity* dictionary) override;
    void Save(TWriter& writer) override;
    bool NoElements() override;
    TElement* CreateEnvelope() override;
    void HandleMessage(TZarixMessage*& message, bool& handled) override;
    void OnTimer() override;
    void ResetIDs() override;
    void Destroy() override;

    virtual int32_t ElementsCount();
    virtual int32_t GetLastIndex();
    virtual TElement* Get(int32_t index);
    virtual void Put(int32_t index, TElement* element);
    virtual int32_t IndexOf(TElement* element);
    virtual void FreeAll();
    virtual TElement* CreateElement(const std::string& className, const std::string& name);
    virtual void AddElement(TElement* element);
    virtual void InsertElement(int32_t index, TElement* element);
    virtual void RemoveElement(TElement* element);
    virtual void FreeElement(TElement* element);
    virtual TElement* FindElementClass(TElementClass cls);
    virtual TElement* FindElementName(const std::string& name);
    virtual bool CanFreeElement(TElement* element);

    int32_t GetWholeCount();
    int32_t GetWholeCounts();
    void FastFreeAll();
    void HardFreeAll();
    void Clear();
    void PAddAllFrom(TElement* element);
    void GetElements(TEntity* source, int32_t first, int32_t last);
    int32_t GetClassCount(TElementClass cls);
    TElement* FindOrCreateElementName(TElementClass cls, const std::string& name);
    // Replaces the element held in a field that is also a child: the previous one is
    // released with FreeElement, the new one added. Setting the held element again
    // changes nothing.
    void ExchangeFieldElement(TElement*& field, TElement* element);
    template <class T> void ExchangeFieldElement(T*& field, std::type_identity_t<T>* element) {
        TElement* f = field;
        ExchangeFieldElement(f, static_cast<TElement*>(element));
        field = static_cast<T*>(f);
    }
    void SetElementToFree(TElement* element) { FreeElement(element); }
    void ExchangeElements(int32_t a, int32_t b);
    // Named access through the TAliases child.
    TElement* GetElement(const std::string& name);
    void SetElement(const std::string& name, TElement* element);

    TSuperList* List() const { return FList; }

protected:
    TSuperList* NeedList();
    // An entity never holds itself nor any entity that holds it, directly or further up.
    bool MayHold(TElement* element) {
        if (element == this) return false;
        return !element->Is<TEntity>() || MayHoldEntity(element);
    }
    // An envelope has one holder: another that still lists it keeps it.
    bool HeldElsewhere(TElement* envelope);
    bool MayHoldEntity(TElement* element);
    TSuperList* FList = nullptr;
    TElement* FTakenOut = nullptr;  // the child a freeing loop has taken out and is freeing
};

// A list of named links (TAliasElement children).
class TAliases : public TEntity {
    ZARIX_CLASS(TAliases, TEntity)

public:
    TElement* GetAlias(const std::string& name);
    void SetAlias(const std::string& name, TElement* element);
};

// An entity that never registers itself as owner of its children.
class TQuickEntity : public TEntity {
    ZARIX_CLASS(TQuickEntity, TEntity)

public:
    void AddElement(TElement* element) override;
    void InsertElement(int32_t index, TElement* element) override;
};

// An entity with one owner, to which it passes its messages.
class TEnvelopeEntity : public TEntity {
    ZARIX_CLASS(TEnvelopeEntity, TEntity)

public:
    void HandleMessage(TZarixMessage*& message, bool& handled) override;
    void AddOwner(TEntity* owner) override { SetOwner(owner); }
    TEntity* FindOwnerClass(TElementClass cls) override;
    TElement* FindClassInOwners(TElementClass cls) override;

    void SetOwner(TEntity* owner) { FOwner = owner; }
    TEntity* Owner() const { return FOwner; }

private:
    TEntity* FOwner = nullptr;
};

// An entity with a name.
class TNameEntity : public TNamed<TEntity, false> {
    ZARIX_CLASS(TNameEntity, TEntity)
};

// A named entity that knows the entities holding it.
class TOwnerEntity : public TNameEntity {
    ZARIX_CLASS(TOwnerEntity, TNameEntity)

public:
    TEntity* GetOwnerEntity(int32_t index) override;
    void PutOwner(int32_t index, TEntity* owner) override;
    int32_t GetOwnersCount() override;
    void AddOwner(TEntity* owner) override;
    void RemoveOwner(TEntity* owner) override;
    bool IsMyOwner(TEntity* owner) override;
    bool NoOwners() override;
    TEntity* FindOwnerClass(TElementClass cls) override;
    TEntity* FindOwnerName(const std::string& name) override;
    void Destroy() override;

    // Inserts by name in byte order; equal names go after the existing ones. Both
    // search the children by bisection, so they expect the children in that order (as
    // these two keep them).
    void InsertNameSortedEntity(TElement* entity);
    // The child of that name (any letter case), or a new one of the class inserted in
    // name order.
    TElement* CreateSubEntity(TElementClass cls, const std::string& name);

protected:
    TOwnerList FOwners;
};

TElement* TOwnerList::LiveItem(int index) const {
    Get(index);
    const Entry& e = Data()[index];
    return IsLive(e.owner, e.serial) ? static_cast<TElement*>(e.owner) : nullptr;
}

void TOwnerList::Insert(int index, TEntity* owner) {
    const Entry e{owner, owner ? owner->Serial() : 0};
    if (count_ == 0 && index == 0) {
        one_ = e;
        count_ = 1;
    } else {
        InsertAmongMore(index, e);
    }
}

// The visit mark of whole-tree walks, in -31999..-2 after ResetBaseID.
extern int32_t BaseID;
// The element checked by CheckTestedElement.
extern TElement* TestedElement;

// Draws a fresh visit mark, never the previous one.
void ResetBaseID();
namespace kernel_detail {
extern uint64_t gFreedChildren;
extern uint64_t gTakenChildren;
}  // namespace kernel_detail
// How many elements that were once children of an entity have been destroyed: while it
// stays the same, every element a walk found in a list of children still lives.
inline uint64_t FreedChildrenCount() { return kernel_detail::gFreedChildren; }
// How many times a list of children took an element (added, inserted or put in place):
// while it stays the same, no entity gained a child.
inline uint64_t TakenChildrenCount() { return kernel_detail::gTakenChildren; }
// Shows "Test ... chyba !!!" when the first owner of TestedElement is broken.
void CheckTestedElement();
// Creates a registered element class by name; retries with a leading "T".
TElement* CreateElementByName(const std::string& name);

// Registers the element and message classes of this unit.
void RegisterElementsUnit();
