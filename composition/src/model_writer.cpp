#include <algorithm>
#include <memory>
#include <vector>

#include "composition/modelfile.h"
#include "modelfile_scope.h"
#include "platform/forms.h"
#include "platform/sysutils.h"
#include "platform/scope_exit.h"

namespace {

TModelFileProfile gProfile = TModelFileProfile::Oskelt;

using modelfile::HourGlass;
using modelfile::Lent;

// The record list of the thread's largest write yet, kept for its next write: writing
// many files takes no new memory for each.
std::vector<TElement*>& SpareWritten() {
    thread_local std::vector<TElement*> spare;
    return spare;
}

// Marks an entity as one whose children are being written while the guard lives (the
// marks nest: the path from the top of the walk).
class Entering {
public:
    Entering(TEnteringPath& path, TElement* element) : path_(path) { path_.Push(element); }
    ~Entering() { path_.Pop(); }
    Entering(const Entering&) = delete;
    Entering& operator=(const Entering&) = delete;

private:
    TEnteringPath& path_;
};

// Whether a writer's walk may still write the element: it has no number in this file
// and its children are not being written.
inline bool Writable(TElement* element, const TEnteringPath& entering) {
    return element->ID <= BaseID && !entering.Has(element);
}

// Two integers with one check of the buffer.
inline void WriteIntegers(TWriter& writer, int32_t first, int32_t second) {
    unsigned char* b = writer.Reserve(10);
    b = TWriter::PutInteger(b, first);
    writer.Advance(TWriter::PutInteger(b, second));
}

// The most a record's list of numbers may reserve at once (the writer's buffer is larger).
constexpr size_t kNumbersRoom = 64 * 1024;
// Room taken at once for the numbers of a children list.
constexpr size_t kChildrenRoom = 4096;

std::string NothingToSave(const std::string& fileName) { return Cz("Není co uložit do souboru ") + fileName; }

}  // namespace

// ---- TEnteringPath -------------------------------------------------------------------------

void TEnteringPath::Push(TElement* entity) {
    path_.push_back(entity);
    if (path_.size() == kScanned + 1) deep_.insert(path_.begin(), path_.end());
    else if (path_.size() > kScanned + 1) deep_.insert(entity);
}

void TEnteringPath::Pop() {
    if (path_.size() > kScanned) {
        deep_.erase(path_.back());
        if (path_.size() == kScanned + 1) deep_.clear();
    }
    path_.pop_back();
}

void TEnteringPath::Clear() {
    path_.clear();
    deep_.clear();
}

void SetModelFileProfile(TModelFileProfile profile) { gProfile = profile; }
TModelFileProfile ModelFileProfile() { return gProfile; }

// ---- TZarixSaver ---------------------------------------------------------------------------

void TZarixSaver::Publish(PropertyTable& t) {
    t.Str<TZarixSaver>("FileName", &TZarixSaver::GetFileName, &TZarixSaver::SetFileName);
}

std::string TZarixSaver::NumberToPropertyName(int32_t) { return "FileName"; }

void TZarixSaver::Destroy() {
    Free(FClasses);
    FClasses = nullptr;
    FAccessor = nullptr;  // a child: freed with the children
    inherited::Destroy();
}

void TZarixSaver::WriteClasses() { WriteClassesInline(); }

void TZarixSaver::WriteClassesInline() {
    // The count of DoIt has just marked the tree as a reset does; it is marked again only
    // when a walk drew a new mark or an entity took a child since.
    if (!FMarked || Input != FMarkedInput || BaseID != FMark || TakenChildrenCount() != FMarkTaken) Input->ResetID();
    FMarked = false;
    Free(FClasses);
    FClasses = TZarixClasses::New();
    FCurrentClass = nullptr;
    FPlans.clear();
    FLastPlan = nullptr;
}

void TZarixSaver::WriteHeader() {}

bool TZarixSaver::EnsureClass() {
    TElementClass cls = FCurrentType;
    if (FCurrentClass && FCurrentClass->ElementClass() == cls) return true;
    TZarixClass* entry = FClasses->GetZarixClassByName(cls->Name);
    if (entry && entry->ElementClass() == cls) {
        FCurrentClass = entry;
        return true;
    }
    FClasses->AddClass(cls);
    FCurrentClass = FClasses->LastEntry();
    return false;
}

void TZarixSaver::WriteClassRecord(TZarixClass*) {}
void TZarixSaver::WriteElementHeader() {}

const TZarixSaver::ClassPlan& TZarixSaver::MakePlan(TElementClass cls) {
    // Plans are kept by the class index of this file; an index out of the usual range
    // gets a plan of its own.
    int32_t id = FCurrentClass && FCurrentClass->ElementClass() == cls ? FCurrentClass->ID : -1;
    size_t slot = id >= 0 && static_cast<size_t>(id) <= FPlans.size() + 1024 ? static_cast<size_t>(id) : FPlans.size();
    if (slot >= FPlans.size()) FPlans.resize(slot + 1);
    ClassPlan& plan = FPlans[slot];
    FLastPlan = &plan;
    FLastPlanEntry = FCurrentClass;
    if (plan.Class == cls && plan.PropCount == cls->Props.size()) return plan;
    plan.Class = cls;
    plan.PropCount = cls->Props.size();
    plan.Props.clear();
    for (size_t i = 0; i < cls->Props.size(); ++i) {
        const TPropInfo& p = cls->Props[i];
        if (!p.StoredFn && !p.StoredConst) continue;
        TTypeKind kind = p.Kind();
        bool kept = false;
        switch (kind) {
            case tkClass: kept = true; break;  // unreadable ones are written as nil
            case tkSet: kept = !FTarvine && p.HasReader(); break;
            case tkInteger:
            case tkEnumeration:
            case tkChar:
            case tkFloat:
            case tkString:
            case tkLString: kept = p.HasReader(); break;
            default: break;
        }
        if (kept) plan.Props.push_back(StoredProperty{&p, static_cast<int32_t>(i), kind});
    }
    plan.Bytes = 10 + 2 + 5;  // the header, the list's ends, no children
    for (const StoredProperty& entry : plan.Props) plan.Bytes += entry.Kind == tkFloat ? 16 : 10;
    FLastPlan = &plan;
    FLastPlanEntry = FCurrentClass;
    return plan;
}

bool TZarixSaver::IsEntity(const TElement* element) { return IsEntityClass(element->ClassType()); }

bool TZarixSaver::AskEntityClass(TElementClass cls) {
    FEntityClass = cls;
    FEntityAnswer = cls->InheritsFrom(TEntity::StaticClass());
    return FEntityAnswer;
}


inline bool TZarixSaver::StillLive(const TElement* element, uint64_t serial, uint64_t& seen) {
    uint64_t now = DestroyedCount();
    if (now == seen) return true;
    if (!IsLive(element, serial)) return false;
    seen = now;
    return true;
}

void TZarixSaver::WriteProperties() { WritePropertiesOf(*this); }

template <class Saver> void TZarixSaver::WritePropertiesOf(Saver& saver) {
    const ClassPlan& plan = CurrentPlan();
    for (const StoredProperty& entry : plan.Props) {
        const TPropInfo& p = *entry.Info;
        FPropIndex = entry.Index;
        if (p.StoredFn && !p.StoredFn(FCurrent)) continue;
        WriteStoredProperty(saver, entry.Kind, p);
    }
}

template <class Saver> void TZarixSaver::WriteStoredProperty(Saver& saver, TTypeKind kind, const TPropInfo& p) {
    switch (kind) {
        case tkClass: {
            TPersistent* value = nullptr;
            bool readable = p.GetObj && !p.WriteOnly;
            if (readable) {
                try {
                    value = p.GetObj(FCurrent);
                } catch (...) {
                    readable = false;
                }
                // A freed object cannot be read either.
                if (value && !IsLive(value)) readable = false;
            }
            if (!readable) saver.WriteIntegerProperty(-1);
            else if (value) saver.WriteObjectProperty(value);
            else if (FTarvine) saver.WriteIntegerProperty(-1);
            break;
        }
        case tkInteger:
        case tkEnumeration:
        case tkSet:
            saver.WriteIntegerProperty(static_cast<int32_t>(p.GetOrd(FCurrent)));
            break;
        case tkChar:
            saver.WriteCharProperty(static_cast<int32_t>(p.GetOrd(FCurrent) & 0xFF));
            break;
        case tkFloat:
            saver.WriteFloatProperty(p.GetFloat(FCurrent));
            break;
        default:  // the string kinds
            saver.WriteStringProperty(p.GetStr(FCurrent));
            break;
    }
}

void TZarixSaver::WriteChildren(bool) {}
void TZarixSaver::WriteIntegerProperty(int32_t) {}
void TZarixSaver::WriteCharProperty(int32_t) {}
void TZarixSaver::WriteFloatProperty(double) {}
void TZarixSaver::WriteStringProperty(const std::string&) {}
void TZarixSaver::WriteRawInteger(int32_t) {}
void TZarixSaver::WriteRawListBegin() {}
void TZarixSaver::WriteRawListEnd() {}

void TZarixSaver::WriteObjectProperty(TPersistent* object) {
    auto* element = As<TElement>(object);
    if (!element) return;
    WriteRawInteger(FPropIndex);
    if (MapsBack(element)) {
        WriteRawInteger(element->ID);
    } else if (FTarvine || FEntering.Has(element) || FInlineDepth >= kMaxInlineDepth) {
        // No inline records in this profile; an entity whose children are being written
        // has no number yet and cannot be written inside one of them; nesting is bounded
        // as the reader bounds it.
        WriteRawInteger(-1);
    } else {
        WriteInline(element);
    }
}

void TZarixSaver::WriteInline(TElement* element) {
    TElement* current = FCurrent;
    TElementClass currentType = FCurrentType;
    TZarixClass* currentClass = FCurrentClass;
    int32_t propIndex = FPropIndex;
    WriteRawInteger(-2);
    WriteRawListBegin();
    // An unwritten element of the tree keeps its number, so later references and its
    // parents find it; an element from outside is written afresh for every reference.
    bool inTree = element->ID == BaseID;
    if (!inTree) element->ResetIDs();
    {
        ++FInlineDepth;
        auto depth = MakeScopeExit([this] { --FInlineDepth; });
        if (QGoInside(element)) GoInside(element);
        Process(element);
    }
    WriteRawListEnd();
    if (!inTree) element->ID = -1;
    FCurrent = current;
    FCurrentType = currentType;
    FCurrentClass = currentClass;
    FPropIndex = propIndex;
    if (FAccessor) FAccessor->SetInstance(current);
}

bool TZarixSaver::QGoInside(TElement* element) {
    return element && IsEntity(element) && Writable(element, FEntering);
}

void TZarixSaver::GoInside(TElement* element) {
    if (NotInside || !element || !IsEntity(element)) return;
    auto* entity = static_cast<TEntity*>(element);
    Entering mark(FEntering, element);
    ++Level;
    // Handlers (the messages let through, property getters) may change the list or free
    // what the walk sees. The entity is asked again whenever objects were freed; a child
    // lives while no element that was a child was freed since the walk began (all were
    // alive then), otherwise the live set tells. A freed child or entity is not read.
    const uint64_t entitySerial = entity->Serial();
    uint64_t entitySeen = DestroyedCount();
    int32_t count = entity->ElementsCount();
    constexpr int32_t kAhead = 4;  // children read ahead: large trees do not fit the cache
    for (int32_t i = 0; i < count; ++i) {
        if (!StillLive(entity, entitySerial, entitySeen)) break;
        TSuperList* list = entity->List();
        if (!list || i >= list->Count()) break;
        if (i + kAhead < list->Count()) __builtin_prefetch(list->Items()[i + kAhead]);
        auto* child = static_cast<TElement*>(list->Items()[i]);
        if (!child || (!NothingFreed() && !IsLive(child))) continue;
        const uint64_t serial = child->Serial();
        auto alive = [&] { return NothingFreed() || IsLive(child, serial); };
        if (FOwnSteps) {
            // Before: nothing; after: always.
            if (alive() && TZarixSaver::QGoInside(child) && alive()) TZarixSaver::GoInside(child);
            if (alive()) TZarixSaver::Process(child);
            continue;
        }
        if (QProcessBefore(child) && alive()) Process(child);
        if (alive() && QGoInside(child) && alive()) GoInside(child);
        if (alive() && QProcessAfter(child) && alive()) Process(child);
    }
    --Level;
}

bool TZarixSaver::QProcessAfter(TElement*) { return true; }

void TZarixSaver::Process(TElement* element) {
    if (!Writable(element, FEntering)) return;
    element->ID = FCounter++;
    FWritten.push_back(element);
    if (FCounter % 500 == 0) {
        SetProgress(FCounter);
        static const std::string saved = Cz("Uloženo "), elements = Cz(" elementů");
        SetProgressText(saved + IntToStr(FCounter) + elements);
        Application().ProcessMessages();
    }
    FCurrent = element;
    FCurrentType = element->ClassType();
    if (FAccessor) FAccessor->SetInstance(element, FCurrentType);
    // The class entry of the last element serves again without a call.
    bool same = FOwnSteps && FCurrentClass && FCurrentClass->ElementClass() == FCurrentType;
    if (!same && !EnsureClass()) WriteClassRecord(FCurrentClass);
    WriteRecord();
}

void TZarixSaver::WriteRecord() {
    WriteElementHeader();
    WriteProperties();
    WriteChildren(HasChildren());
}

void TZarixSaver::DoIt() {
    if (!FAccessor || !IsLive(FAccessor) || IndexOf(FAccessor) < 0) {
        FAccessor = TZarixInstance::New();
        AddElement(FAccessor);
    }
    if (!Input) return;
    FTarvine = gProfile == TModelFileProfile::Tarvine;
    HourGlass cursor;
    int32_t count = 500;
    FMarked = false;
    if (auto* entity = As<TEntity>(Input)) {
        count = entity->GetWholeCount();
        FMarked = true;
        FMarkedInput = Input;
        FMark = BaseID;
        FMarkTaken = TakenChildrenCount();
    }
    auto finish = MakeScopeExit([this] {
        ReleaseWritten();
        FEntering.Clear();
        EndProgress();
    });
    if (count > 500)
        StartProgress(Cz("Ukládání modelu do souboru ") + FileName + Cz(" -celkem ") + IntToStr(count) +
                          Cz(" Elementů"),
                      0, count);
    WriteClasses();
    FCounter = 0;
    if (FWritten.capacity() < SpareWritten().capacity()) FWritten.swap(SpareWritten());
    FWritten.clear();
    FWritten.reserve(static_cast<size_t>(std::max(count, 0)) + 1);
    FEntering.Clear();
    FCurrent = nullptr;
    FCurrentType = nullptr;
    FInlineDepth = 0;
    WriteHeader();
    FFreedChildren = FreedChildrenCount();
    inherited::DoIt();
}

void TZarixSaver::ReleaseWritten() {
    FWritten.clear();
    if (SpareWritten().capacity() < FWritten.capacity()) FWritten.swap(SpareWritten());
    std::vector<TElement*>().swap(FWritten);
}

// ---- TStreamSaver --------------------------------------------------------------------------

TStreamSaver* TStreamSaver::New(const std::string& fileName) { return Named(New(), fileName); }

void TStreamSaver::WriteRawInteger(int32_t value) { FWriter->WriteInteger(value); }
void TStreamSaver::WriteRawListBegin() { FWriter->WriteListBegin(); }
void TStreamSaver::WriteRawListEnd() { FWriter->WriteListEnd(); }

void TStreamSaver::WriteHeader() {
    bool tarvine = gProfile == TModelFileProfile::Tarvine;
    if (FComment.empty()) FComment = "No comment";
    FWriter->Write("ZRX0", 4);
    FWriter->WriteString(tarvine ? "Tarvine" : "OSKELT32");
    FWriter->WriteString(tarvine ? "1.05" : "3.01 BETA");
    FWriter->WriteString(FComment);
    FWriter->WriteListBegin();
}

void TStreamSaver::WriteClassRecord(TZarixClass* cls) {
    FWriter->WriteInteger(-1);
    FWriter->WriteString(cls->GetName());
    FWriter->WriteInteger(cls->ID);
    FWriter->WriteListBegin();
    for (const TPropInfo& p : FCurrent->ClassType()->Props) {
        FWriter->WriteString(p.Name);
        FWriter->WriteInteger(static_cast<int32_t>(p.Kind()));
    }
    FWriter->WriteListEnd();
}

void TStreamSaver::WriteElementHeader() { WriteIntegers(*FWriter, FCurrentClass->ID, FCurrent->ID); }

void TStreamSaver::WriteProperties() {
    FWriter->WriteListBegin();
    WritePropertiesOf(*this);
    FWriter->WriteListEnd();
}

void TStreamSaver::WriteRecord() {
    const ClassPlan& plan = CurrentPlan();
    if (plan.Bytes > kNumbersRoom) {
        inherited::WriteRecord();
        return;
    }
    // The header and numbers with one check of the buffer, as the Write... functions
    // write them; strings and references through those functions.
    unsigned char* b = FWriter->Reserve(plan.Bytes);
    b = TWriter::PutInteger(b, FCurrentClass->ID);
    b = TWriter::PutInteger(b, FCurrent->ID);
    *b++ = vaList;
    for (const StoredProperty& entry : plan.Props) {
        const TPropInfo& p = *entry.Info;
        FPropIndex = entry.Index;
        if (p.StoredFn && !p.StoredFn(FCurrent)) continue;
        switch (entry.Kind) {
            case tkChar:
                b = TWriter::PutInteger(b, entry.Index);
                b = TWriter::PutInteger(b, static_cast<int32_t>(p.GetOrd(FCurrent) & 0xFF));
                break;
            case tkFloat:
                if (double value = p.GetFloat(FCurrent); value != 0.0) {
                    b = TWriter::PutInteger(b, entry.Index);
                    b = TWriter::PutFloat(b, value);
                }
                break;
            case tkInteger:
            case tkEnumeration:
            case tkSet:
                if (auto value = static_cast<int32_t>(p.GetOrd(FCurrent)); value != 0) {
                    b = TWriter::PutInteger(b, entry.Index);
                    b = TWriter::PutInteger(b, value);
                }
                break;
            default:
                FWriter->Advance(b);
                WriteStoredProperty(*this, entry.Kind, p);
                b = FWriter->Reserve(plan.Bytes);
                break;
        }
    }
    *b++ = vaNull;
    if (HasChildren()) {
        FWriter->Advance(b);
        WriteChildren(true);
    } else {
        FWriter->Advance(TWriter::PutInteger(b, 0));
    }
}

void TStreamSaver::WriteChildren(bool hasChildren) {
    if (!hasChildren) {
        FWriter->WriteInteger(0);
        return;
    }
    auto* entity = static_cast<TEntity*>(FCurrent);
    FWriter->WriteInteger(1);
    FWriter->WriteListBegin();
    TSuperList* list = entity->List();
    if (!list) {
        FWriter->WriteListEnd();
        return;
    }
    // Only the note below runs other code: the list and whether children were freed are
    // asked again after it.
    void* const* items = list->Items();
    int32_t count = list->Count();
    bool calm = NothingFreed();
    // The numbers go straight into the buffer, room checked once per kChildrenRoom bytes.
    unsigned char* b = FWriter->Reserve(kChildrenRoom);
    unsigned char* limit = b + kChildrenRoom - 5;
    for (int32_t i = 0; i < count; ++i) {
        auto* child = static_cast<TElement*>(items[i]);
        // A child freed while the file was written is not read, and not listed.
        if (!child || (!calm && !IsLive(child))) continue;
        int32_t id = child->ID;
        if (!MapsBack(child)) {
            // Not written (an entity met inside its own subtree): a number of no record.
            if (id >= 0) id = -1;
            PostTextMsg(tm_TextNote, child->GetName() + ": " + IntToStr(id) + "\r", nullptr);
            list = IsLive(entity) ? entity->List() : nullptr;
            if (!list) break;
            items = list->Items();
            count = list->Count();
            calm = NothingFreed();
        }
        if (b > limit) {
            FWriter->Advance(b);
            b = FWriter->Reserve(kChildrenRoom);
            limit = b + kChildrenRoom - 5;
        }
        b = TWriter::PutInteger(b, id);
    }
    FWriter->Advance(b);
    FWriter->WriteListEnd();
}

void TStreamSaver::WriteIntegerProperty(int32_t value) {
    if (value != 0) WriteIntegers(*FWriter, FPropIndex, value);
}

void TStreamSaver::WriteCharProperty(int32_t value) { WriteIntegers(*FWriter, FPropIndex, value); }

void TStreamSaver::WriteFloatProperty(double value) {
    if (value == 0.0) return;
    unsigned char* b = FWriter->Reserve(16);
    b = TWriter::PutInteger(b, FPropIndex);
    FWriter->Advance(TWriter::PutFloat(b, value));
}

void TStreamSaver::WriteStringProperty(const std::string& text) {
    if (text.empty()) return;
    FWriter->WriteInteger(FPropIndex);
    FWriter->WriteString(text);
}

void TStreamSaver::DoIt() {
    // Nothing to save leaves an existing file alone.
    if (!Input) throw Exception(NothingToSave(FileName));
    // Written straight to the file beside the target, renamed over it once complete.
    TReplacingFileStream file(FileName);
    {
        // The file is written by a second thread while the walk goes on.
        TWriter writer(file, 1 << 20, true);
        Lent<TStream> lentStream(FStream, &file);
        Lent lentWriter(FWriter, &writer);
        FOwnSteps = true;
        inherited::DoIt();
        writer.WriteListEnd();
        writer.FlushBuffer();
    }
    file.Commit();
}

// ---- TSave ---------------------------------------------------------------------------------

TSave* TSave::New(const std::string& fileName) { return Named(New(), fileName); }

// ---- TSaver --------------------------------------------------------------------------------

void TSaver::Create() {
    inherited::Create();
    SetName("ZARIX.ZRX");
}

TSaver* TSaver::New(const std::string& fileName) {
    TSaver* saver = New();
    saver->SetName(fileName);
    return saver;
}

void TSaver::GoInside(TElement* element) {
    Entering mark(FEntering, element);
    inherited::GoInside(element);
}

bool TSaver::QGoInside(TElement* element) {
    return element && element->Is<TEntity>() && Writable(element, FEntering);
}

bool TSaver::QProcessAfter(TElement*) { return true; }

void TSaver::Process(TElement* element) {
    if (!Writable(element, FEntering)) return;
    element->ID = FCounter++;
    element->Save(*FWriter);
}

void TSaver::DoIt() {
    std::string fileName = GetName();
    if (!Input) throw Exception(NothingToSave(fileName));
    HourGlass cursor;
    TMemoryStream stream;
    {
        TWriter writer(stream, 64000);
        Lent lentWriter(FWriter, &writer);
        Lent lentStream(FStream, &stream);
        FCounter = 0;
        FEntering.Clear();
        writer.WriteSignature();
        writer.WriteListBegin();
        inherited::DoIt();
        writer.WriteListEnd();
        writer.FlushBuffer();
    }
    stream.SaveToFile(fileName);
}

void RegisterESaverUnit() {
    RegisterZarixClass<TSaver>();
    RegisterZarixClass<TSave>();
}
