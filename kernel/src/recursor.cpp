#include "kernel/recursor.h"

#include "kernel/class_registry.h"

namespace {

// The tool while it is alive and a tool, else nil.
TTool* LiveTool(TTool* tool) { return IsLive(tool) ? As<TTool>(static_cast<TPersistent*>(tool)) : nullptr; }

// Whether an element read before handlers ran still lives: with no object freed since,
// it does; otherwise the live set tells by its serial number.
class Watched {
public:
    explicit Watched(const TElement* e) : e_(e), serial_(e->Serial()), destroyed_(DestroyedCount()) {}
    bool Live() const { return DestroyedCount() == destroyed_ || IsLive(e_, serial_); }

private:
    const TElement* e_;
    uint64_t serial_;
    uint64_t destroyed_;
};

// Runs the tool on the element.
void RunOn(TTool* tool, TElement* element) {
    tool->SetInput(element);
    tool->DoIt();
}

}  // namespace

// ---- TRecursor -----------------------------------------------------------------------------

void TRecursor::Publish(PropertyTable& t) {
    using C = TRecursor;
    t.Field("NotInside", &C::NotInside);
    t.Field("Level", &C::Level);
}

void TRecursor::GoInside(TElement* element) {
    auto* entity = As<TEntity>(element);
    if (NotInside || !entity) return;
    ++Level;
    int32_t count = entity->ElementsCount();
    // Handlers may change the list or free what they see: indexes are checked against the
    // present count, and a freed child or entity is not read again.
    Watched whole(entity);
    for (int32_t i = 0; i < count && whole.Live() && i < entity->ElementsCount(); ++i) {
        TElement* child = entity->Get(i);
        if (!child || !IsLive(child)) continue;
        Watched seen(child);
        if (QProcessBefore(child) && seen.Live()) Process(child);
        if (seen.Live() && QGoInside(child) && seen.Live()) GoInside(child);
        if (seen.Live() && QProcessAfter(child) && seen.Live()) Process(child);
    }
    --Level;
}

bool TRecursor::QGoInside(TElement* element) { return element && element->Is<TEntity>(); }
bool TRecursor::QProcessBefore(TElement*) { return false; }
bool TRecursor::QProcessAfter(TElement*) { return false; }
void TRecursor::Process(TElement*) {}
void TRecursor::PrepareOutPut() {}

void TRecursor::DoIt() {
    Level = 1;
    if (!Input) return;
    PrepareOutPut();
    if (!IsLive(Input)) return;
    if (QProcessBefore(Input) && IsLive(Input)) Process(Input);
    if (IsLive(Input) && QGoInside(Input) && IsLive(Input)) GoInside(Input);
    if (IsLive(Input) && QProcessAfter(Input) && IsLive(Input)) Process(Input);
}

// ---- TRecursorWithTools ------------------------------------------------------------------

void TRecursorWithTools::Publish(PropertyTable& t) {
    using C = TRecursorWithTools;
    t.Obj<C, TTool>("BeforeTool", [](C* c) { return c->BeforeTool; }, [](C* c, TTool* v) { c->BeforeTool = v; });
    t.Obj<C, TTool>("AfterTool", [](C* c) { return c->AfterTool; }, [](C* c, TTool* v) { c->AfterTool = v; });
    t.Obj<C, TTool>("QGoInsideTool", [](C* c) { return c->QGoInsideTool; },
                    [](C* c, TTool* v) { c->QGoInsideTool = v; });
}

bool TRecursorWithTools::QGoInside(TElement* element) {
    TTool* tool = LiveTool(QGoInsideTool);
    if (!element || !element->Is<TEntity>() || !tool) return true;
    RunOn(tool, element);
    return IsLive(tool) && tool->Output != nullptr;
}

bool TRecursorWithTools::QProcessBefore(TElement* element) {
    if (TTool* tool = LiveTool(BeforeTool)) RunOn(tool, element);
    return false;
}

bool TRecursorWithTools::QProcessAfter(TElement* element) {
    if (TTool* tool = LiveTool(AfterTool)) RunOn(tool, element);
    return false;
}

void RegisterRecursUnit() { RegisterZarixClass<TRecursorWithTools>(); }
