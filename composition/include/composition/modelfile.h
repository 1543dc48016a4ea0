// Model files: element trees with their classes, published property values, children
// and references. The current form ("ZRX0") names each class and property, so files stay
// readable when classes change; the older form ("TPF0") holds each element's own part.
#pragma once
#include <cstdint>
#include <deque>
#include <span>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "kernel/class_registry.h"
#include "kernel/recursor.h"
#include "kernel/tools.h"

SUITE_EXCEPTION(EBadStream, Exception)
SUITE_EXCEPTION(EBadStreamName, EBadStream)
// A model file whose structure is damaged.
SUITE_EXCEPTION(EModelFileError, EReadError)

// Whose rules the writers follow. The reader accepts the files of both programs.
enum class TModelFileProfile : uint8_t {
    Oskelt,   // "OSKELT32" / "3.01 BETA"; sets written, elements outside the tree inline
    Tarvine,  // "Tarvine" / "1.05"; no sets, nil written as -1, no inline elements
};
void SetModelFileProfile(TModelFileProfile profile);
TModelFileProfile ModelFileProfile();

// Inline records nest at most this deep.
constexpr int32_t kMaxInlineDepth = 256;

// ---- writers ---------------------------------------------------------------------------

// The entities whose children a writer's walk is writing, from the top of the walk; a
// deep path is also kept hashed, so asking stays cheap at any depth.
class TEnteringPath {
public:
    void Push(TElement* entity);
    void Pop();
    bool Has(const TElement* entity) const {
        if (path_.size() > kScanned) return deep_.count(entity) != 0;
        for (const TElement* e : path_)
            if (e == entity) return true;
        return false;
    }
    void Clear();

private:
    static constexpr size_t kScanned = 16;  // a path up to this long is searched in order
    std::vector<TElement*> path_;
    std::unordered_set<const TElement*> deep_;
};

// The writer of the current form: a tree walk that writes every element after its
// children, the root last. Elements are numbered from 0 in writing order.
class TZarixSaver : public TRecursor {
    ZARIX_CLASS(TZarixSaver, TRecursor)
    static void Publish(PropertyTable& t);

public:
    std::string FileName;

    virtual void WriteClasses();
    virtual void WriteClassesInline();
    virtual void WriteHeader();
    virtual bool EnsureClass();
    virtual void WriteClassRecord(TZarixClass* cls);
    virtual void WriteElementHeader();
    virtual void WriteProperties();
    virtual void WriteChildren(bool hasChildren);
    // The current element's record: its header, properties and children.
    virtual void WriteRecord();
    bool HasChildren() const {
        return const_cast<TZarixSaver*>(this)->IsEntityClass(FCurrentType) && !static_cast<TEntity*>(FCurrent)->NoElements();
    }
    virtual void WriteIntegerProperty(int32_t value);
    virtual void WriteCharProperty(int32_t value);
    virtual void WriteFloatProperty(double value);
    virtual void WriteStringProperty(const std::string& text);
    virtual void WriteObjectProperty(TPersistent* object);

    // Enters an entity only while it is unwritten and not already being entered.
    void GoInside(TElement* element) override;
    bool QGoInside(TElement* element) override;
    bool QProcessAfter(TElement* element) override;
    void Process(TElement* element) override;
    void DoIt() override;
    std::string NumberToPropertyName(int32_t number) override;
    void Destroy() override;

    const std::string& GetFileName() const { return FileName; }
    void SetFileName(const std::string& value) { FileName = value; }

protected:
    // Whether the element's ID is its record number in this file.
    bool MapsBack(const TElement* element) const {
        int32_t id = element->ID;
        return id >= 0 && id < static_cast<int32_t>(FWritten.size()) && FWritten[static_cast<size_t>(id)] == element;
    }
    // Whether no element that was a child was freed since the walk began.
    bool NothingFreed() const { return FreedChildrenCount() == FFreedChildren; }
    // Writes the referenced element's records inside the current record.
    void WriteInline(TElement* element);
    // The current element's stored properties through the saver's Write...Property.
    template <class Saver> void WritePropertiesOf(Saver& saver);
    template <class Saver> void WriteStoredProperty(Saver& saver, TTypeKind kind, const TPropInfo& p);
    // Nothing is written below a record; the stream writers override these.
    virtual void WriteRawInteger(int32_t value);
    virtual void WriteRawListBegin();
    virtual void WriteRawListEnd();

    int32_t FCounter = 0;                 // the next ID
    TZarixClasses* FClasses = nullptr;    // classes met so far, owned
    TZarixInstance* FAccessor = nullptr;  // bound to the element being written; a child
    TElement* FCurrent = nullptr;
    TElementClass FCurrentType = nullptr; // its class
    int32_t FPropIndex = 0;
    std::string FComment;
    TZarixClass* FCurrentClass = nullptr; // the class entry of the current element
    std::vector<TElement*> FWritten;      // element of each record number
    void ReleaseWritten();                // empties FWritten, its memory kept for the next write
    TEnteringPath FEntering;
    int32_t FInlineDepth = 0;
    bool FTarvine = false;
    // The walk's steps are this class's own (a writer whose steps are final sets it).
    bool FOwnSteps = false;

    // The properties of a class that a record may hold, in table order: those never
    // stored and those that cannot be read (other than references) are left out.
    struct StoredProperty {
        const TPropInfo* Info;
        int32_t Index;
        TTypeKind Kind;
    };
    struct ClassPlan {
        TElementClass Class = nullptr;
        size_t PropCount = 0;
        std::vector<StoredProperty> Props;
        // The most bytes the numbers of a record take, with the list's begin and end.
        size_t Bytes = 0;
    };
    // The plan of the class for the current class entry, made when not made yet.
    const ClassPlan& MakePlan(TElementClass cls);
    const ClassPlan& CurrentPlan() {
        return FLastPlan && FLastPlan->Class == FCurrentType && FLastPlanEntry == FCurrentClass ? *FLastPlan
                                                                                                 : MakePlan(FCurrentType);
    }

private:
    bool IsEntity(const TElement* element);
    bool IsEntityClass(TElementClass cls) { return cls == FEntityClass ? FEntityAnswer : AskEntityClass(cls); }
    bool AskEntityClass(TElementClass cls);
    // Whether an element that lived when seen objects had been freed lives still; seen
    // moves on when it does.
    static bool StillLive(const TElement* element, uint64_t serial, uint64_t& seen);

    std::deque<ClassPlan> FPlans;         // by class index in this file; kept in place
    const ClassPlan* FLastPlan = nullptr; // the plan last answered, for that class entry
    const TZarixClass* FLastPlanEntry = nullptr;
    TElementClass FEntityClass = nullptr; // the last class asked whether it is an entity
    bool FEntityAnswer = false;
    uint64_t FFreedChildren = 0;          // children freed before the walk
    // The mark the count of DoIt left on the tree.
    bool FMarked = false;
    TElement* FMarkedInput = nullptr;
    int32_t FMark = 0;
    uint64_t FMarkTaken = 0;
};

// The current form written to a file through the stream writer. The file is written
// beside the target and renamed over it once complete.
class TStreamSaver : public TZarixSaver {
    ZARIX_CLASS(TStreamSaver, TZarixSaver)

public:
    static TStreamSaver* New(const std::string& fileName);
    void WriteHeader() override;
    void WriteClassRecord(TZarixClass* cls) override;
    void WriteElementHeader() override;
    void WriteProperties() override;
    void WriteChildren(bool hasChildren) override;
    void WriteRecord() override;
    // The walk's steps stay those of TZarixSaver: the walk calls them directly.
    void GoInside(TElement* element) final { TZarixSaver::GoInside(element); }
    bool QGoInside(TElement* element) final { return TZarixSaver::QGoInside(element); }
    bool QProcessBefore(TElement* element) final { return TZarixSaver::QProcessBefore(element); }
    bool QProcessAfter(TElement* element) final { return TZarixSaver::QProcessAfter(element); }
    void Process(TElement* element) final { TZarixSaver::Process(element); }
    bool EnsureClass() final { return TZarixSaver::EnsureClass(); }
    void WriteIntegerProperty(int32_t value) final;
    void WriteCharProperty(int32_t value) final;
    void WriteFloatProperty(double value) final;
    void WriteStringProperty(const std::string& text) final;
    void DoIt() override;

protected:
    // The new writer with the file name.
    template <class T> static T* Named(T* saver, const std::string& fileName) {
        saver->FileName = fileName;
        return saver;
    }
    void WriteRawInteger(int32_t value) override;
    void WriteRawListBegin() override;
    void WriteRawListEnd() override;

    TWriter* FWriter = nullptr;      // during DoIt only
    TStream* FStream = nullptr;
};

// The writer created by name ("TSave").
class TSave : public TStreamSaver {
    ZARIX_CLASS(TSave, TStreamSaver)

public:
    static TSave* New(const std::string& fileName);
};

// The writer of the older form: each element writes its own part. It does not reset
// the tree's identities; the caller calls ResetID on the input first. The file name
// is the element's name.
class TSaver : public TRecursor {
    ZARIX_CLASS(TSaver, TRecursor)

public:
    static TSaver* New(const std::string& fileName);

    void Create() override;  // name "ZARIX.ZRX"
    void GoInside(TElement* element) override;
    bool QGoInside(TElement* element) override;
    bool QProcessAfter(TElement* element) override;
    void Process(TElement* element) override;
    void DoIt() override;

protected:
    int32_t FCounter = 0;
    TWriter* FWriter = nullptr;      // during DoIt only
    TMemoryStream* FStream = nullptr;
    TEnteringPath FEntering;
};

// ---- readers ---------------------------------------------------------------------------

// The reader of the current form. Each record takes one position in the object list
// (an element ID in the file is its position); classes and properties are matched to
// the live classes by name and kind.
class TZarixLoader : public TTool {
    ZARIX_CLASS(TZarixLoader, TTool)
    static void Publish(PropertyTable& t);

public:
    std::string FileName;

    virtual void BeginLoad();
    virtual void EndLoad();
    virtual void StepProgress();
    virtual int64_t GetSourceSize();
    virtual void CreateTables();
    virtual void FreeTables();
    virtual void NewClassTable();
    virtual void ReadHeader();
    virtual void AfterHeader();
    virtual void ReadClassRecord();
    virtual void AddClass(const std::string& name);
    virtual void AddClassProperty(const std::string& name, int32_t kind);
    virtual void ReadElements();
    virtual void BeginElement(int32_t classIndex);
    virtual void ReadProperties();
    virtual void SetPropertyValue(int32_t liveIndex, int32_t kind, TZarixPropValue& value);
    virtual void ReadChildren();
    virtual void AddChild(int32_t id);

    void DoIt() override;
    std::string NumberToPropertyName(int32_t number) override;
    void Destroy() override;

    const std::string& GetFileName() const { return FileName; }
    void SetFileName(const std::string& value) { FileName = value; }

    // The element of the record being read (nil for a record of an unknown class).
    TElement* CurrentElement() const { return FCurrent; }

protected:
    struct ClassProperty {
        std::string Name;
        int32_t Kind = 0;
        int32_t Live = -1;                  // index of the matching live property, or -1
        bool Settable = false;              // and a value can be set to it
        TTypeKind LiveKind = tkUnknown;     // the kind of the live property
    };
    struct ClassRecord {
        std::string Name;
        TElementClass Class = nullptr;  // the registered class, nil when none
        std::vector<ClassProperty> Props;
    };
    // psListed: the children list of a record added it to its element.
    enum : uint8_t { psComplete = 1, psChild = 2, psListed = 4 };
    // Per-position tables grow in large blocks (see platform/large_blocks.h).
    template <class T> using Table = std::vector<T, platform_detail::UninitAllocator<T>>;

    // Ends the load: the file is damaged.
    [[noreturn]] void Damaged(const std::string& what);
    // The element made at a position, or nil.
    TElement* ElementAt(int32_t position);
    // Whether the element made at a position still lives: without asking the live set
    // while no element this load made has been freed.
    bool Alive(int32_t position) const {
        TElement* element = FObjects[static_cast<size_t>(position)];
        if (!element) return false;
        return WatchedDestroyedCount() == FWatchedDestroyed || IsLive(element, FSerials[static_cast<size_t>(position)]);
    }
    // The element at a position that a reference may name: its record is complete, so
    // it is neither the element being read nor one of the records enclosing it.
    TElement* ReferableAt(int32_t position);
    // After the setter of an element-valued property ran: a link that put the current
    // element inside its own subtree is undone, and a value that the property now holds
    // is noted as taken.
    void NoteReference(const TPropInfo& prop, TElement* value);
    // SetPropertyValue of the kinds other than numbers.
    [[gnu::noinline]] void SetOtherValue(const TPropInfo& p, int32_t kind, TZarixPropValue& value);
    // Drops the children of the current element whose subtree holds the element itself.
    void UndoCycle();
    // Frees the elements made so far (the load failed).
    void FreeMade();
    // Frees the elements that the root does not reach through children and the
    // references taken by properties; they let go of one another first.
    void FreeUnreached(TElement* root);
    // Whether the root reaches every element of this load through the children that the
    // children lists added, all still in place; no element was freed and no property took one.
    bool AllListedReach(TElement* root) const;

    std::deque<ClassRecord> FClassTable;   // stable while records are added
    std::vector<ClassRecord*> FClassAt;    // its records by class index
    Table<TElement*> FObjects;             // element of each position, nil for none
    Table<uint64_t> FSerials;              // and its serial number
    Table<uint8_t> FPosState;              // ps* flags of each position
    uint64_t FWatchedDestroyed = 0;        // WatchedDestroyedCount when the load began
    TZarixInstance* FAccessor = nullptr;   // a child of the loader
    ClassRecord* FCurrentClass = nullptr;
    TElement* FCurrent = nullptr;
    int32_t FCurrentPos = -1;
    int32_t FNextIndex = 0;
    int32_t FLastID = -1;
    int32_t FLastPos = -1;                 // position of the last element record of a list
    ClassRecord* FLastClass = nullptr;     // and its class record
    int32_t FDepth = 0;                    // nesting of inline records
    int32_t FValuePos = -1;                // position of the element value being set
    bool FSkipping = false;                // records read without making elements
    bool FLinked = false;                  // the current element took an element value
    int32_t FParentPos = -1;               // the position whose entity FParent is
    TEntity* FParent = nullptr;
    TEntity* FHeldFor = nullptr;           // the entity whose children FHeld holds
    std::unordered_set<TElement*> FHeld;   // its children when it came to the list
    Table<int32_t> FHeldMark;              // per position: the FHeldRound that added it
    int32_t FHeldRound = 0;
    Table<int32_t> FSeenMark;              // per property of a class record: last element
    int32_t FSeenRound = 0;
    size_t FSeenTop = 0;
    // The element-valued properties of each element that took their value.
    std::unordered_map<TElement*, std::vector<const TPropInfo*>> FTaken;
    // The positions the children lists added, in order, in runs of one parent each.
    struct ListedRun {
        TEntity* Parent;
        int32_t Begin, End;
    };
    Table<int32_t> FListed;
    std::vector<ListedRun> FListedRuns;

private:
    // The per-position tables of the largest load this thread has finished, kept for the
    // next load: one of that size neither grows them nor touches new memory.
    struct Tables {
        Table<TElement*> Objects;
        Table<uint64_t> Serials;
        Table<uint8_t> PosState;
        Table<int32_t> HeldMark;
        Table<int32_t> Listed;
    };
    static Tables& Spare();
    void SwapTables(Tables& other);
};

// The current form read through the stream reader; an older-form file is handed to
// TLoader.
class TStreamLoader : public TZarixLoader {
    ZARIX_CLASS(TStreamLoader, TZarixLoader)

public:
    static TStreamLoader* New(const std::string& fileName);
    void StepProgress() override;
    int64_t GetSourceSize() override;
    void ReadHeader() override;
    void ReadClassRecord() override;
    void ReadElements() override;
    void ReadProperties() override;
    void ReadChildren() override;
    void DoIt() override;
    virtual void LoadOldFormat();

protected:
    // The new reader with the file name.
    template <class T> static T* Named(T* loader, const std::string& fileName) {
        loader->FileName = fileName;
        return loader;
    }
    // One value of a property of the declared kind; true with the value when it can be
    // applied to the live kind.
    inline bool ReadValue(const ClassProperty& prop, const TPropInfo* live, TZarixPropValue& value);
    // The same for the values that are not plain numbers of a property that takes them.
    bool ReadOtherValue(const ClassProperty& prop, const TPropInfo* live, TZarixPropValue& value);
    // A number applied to a live property of a kind other than an element: true with the
    // value when it is valid there.
    static bool TakeNumber(const TPropInfo& live, TTypeKind kind, int32_t n, TZarixPropValue& value);
    // The records of an inline element; answers its element and position (nil and -1
    // when none was made).
    TElement* ReadInline(bool make, int32_t& position);
    // The progress at a step that shows it.
    [[gnu::noinline]] void ShowProgress(int64_t pos);
    static constexpr int kReadBuffer = 64 * 1024;
    TReader* FReader = nullptr;   // during DoIt only
    TStream* FSource = nullptr;
    int64_t FSourceSize = 0;      // of FSource, asked once
};

// The reader created by name ("TLoad").
class TLoad : public TStreamLoader {
    ZARIX_CLASS(TLoad, TStreamLoader)

public:
    static TLoad* New(const std::string& fileName);
};

// The reader of the older form. The file name is the element's name.
class TLoader : public TTool {
    ZARIX_CLASS(TLoader, TTool)

public:
    void Create() override;  // name "ZARIX.ZRX"
    void DoIt() override;
};

// Frees elements made by one load: they are detached from one another first, so each
// is freed once whatever links the file made between them.
void FreeLoadedElements(std::span<TElement* const> elements);

// Registers TSaver and TSave, and TLoader and TLoad.
void RegisterESaverUnit();
void RegisterELoaderUnit();
