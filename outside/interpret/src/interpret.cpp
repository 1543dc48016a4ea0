#include "interpret/interpret.h"

#include <algorithm>

#include "interpret/models.h"

#include "kernel/class_registry.h"
#include "kernel/messages.h"
#include "platform/forms.h"
#include "platform/scope_exit.h"

namespace {

constexpr int32_t kReViewMsg = 31;
constexpr int32_t kDoneMsg = 3;
constexpr int32_t kPumpEvery = 500;

// Keeps the element in the field and as a child: the previous one is released, an
// element that is a child already is not added again.
template <class T> void HoldChild(TEntity* self, T*& field, T* element) {
    if (field == element) return;
    if (field && IsLive(field)) self->FreeElement(field);
    field = element;
    if (element && self->IndexOf(element) < 0) self->AddElement(element);
}

// Sets the busy bit; the guard answered clears it however the walk ends.
auto MarkBusy(TTool* tool) {
    tool->SetBusy(true);
    return MakeScopeExit([tool] {
        if (IsLive(tool)) tool->SetBusy(false);
    });
}

// Runs the interpret's walk; the finishing step follows also when the walk raises.
template <class Finish> void DoItThen(TInterpret* interpret, Finish finish) {
    try {
        interpret->DoIt();
    } catch (...) {
        // Closing writes to the device and can fail: on the normal path that failure is
        // the caller's, so it is no guard.
        finish();
        throw;
    }
    finish();
}

}  // namespace

// ---- TInterpret --------------------------------------------------------------------------

// Scripts give an interpret its device (a protocol file) by name; it is never stored.
void TInterpret::Publish(PropertyTable& t) {
    t.Obj<TInterpret, TDevice>("Device", &TInterpret::GetDevice, &TInterpret::SetDevice).Stored(false);
}

TDevice* TInterpret::GetDevice() const { return IsLive(FDevice) ? FDevice : nullptr; }

void TInterpret::SetDevice(TDevice* device) {
    FDevice = device;
    for (TInterpret* i : GetSubInterprets()) i->SetDevice(device);
}

void TInterpret::SetNextInterpret(TInterpret* interpret) {
    if (!interpret) return;
    AddTool(interpret);
    interpret->SetDevice(GetDevice());
}

std::vector<TInterpret*> TInterpret::GetSubInterprets() {
    std::vector<TInterpret*> list;
    int32_t n = ToolsCount();
    for (int32_t i = 0; i < n; ++i)
        if (auto* it = As<TInterpret>(GetTool(i))) list.push_back(it);
    return list;
}

void TInterpret::SetBreak(bool value) {
    inherited::SetBreak(value);
    for (TInterpret* i : GetSubInterprets()) i->SetBreak(value);
}

void TInterpret::EnsureSubInterprets() {
    if (FChainBuilt) return;
    FChainBuilt = true;
    SetSubInterprets();
}

void TInterpret::DoIt() {
    EnsureSubInterprets();
    auto busy = MarkBusy(this);
    BeforeDoIt();
    Level = 1;
    if (Input) {
        PrepareOutPut();
        Visit(Input);
    }
    ProcessOutput();
    AfterDoIt();
}

void TInterpret::Visit(TElement* element) {
    if (QProcessBefore(element)) Process(element);
    if (GetBreak()) return;
    if (QGoInside(element)) GoInside(element);
    if (GetBreak()) return;
    if (QProcessAfter(element)) Process(element);
}

void TInterpret::GoInside(TElement* element) {
    auto* entity = As<TEntity>(element);
    if (NotInside || !entity) return;
    ++Level;
    int32_t n = entity->ElementsCount();
    for (int32_t i = 0; i < n && i < entity->ElementsCount(); ++i) {
        if (GetBreak()) break;
        if (TElement* child = entity->Get(i)) Visit(child);
    }
    --Level;
}

void TInterpret::Process(TElement* element) {
    // Called per element: the chain is read in place.
    TTools* tools = LiveTools();
    if (!tools) return;
    for (int32_t i = 0; i < tools->ElementsCount(); ++i)
        if (auto* it = As<TInterpret>(tools->Get(i)); it && it->IsItsClass(element)) it->Process(element);
}

void TInterpret::ProcessOutput() {}

bool TInterpret::IsItsClass(TElement*) { return true; }

void TInterpret::SetSubInterprets() {}

void TInterpret::FreeSubInterprets() {
    for (TInterpret* i : GetSubInterprets()) FreeTool(i);
}

void TInterpret::Reset(TDevice* device) {
    if (device) FDevice = device;
    TTool::SetBreak(false);
    EnsureSubInterprets();
    for (TInterpret* i : GetSubInterprets()) i->Reset(GetDevice());
}

void TInterpret::Close() {
    for (TInterpret* i : GetSubInterprets()) i->Close();
}

void TInterpret::BeforeDoIt() {}

void TInterpret::AfterDoIt() {}

bool TInterpret::CanUniGoInside(TElement*) { return false; }

void TInterpret::On_tm_ReView(TZarixMessage*&, bool& handled) {
    handled = true;
    Reset(GetDevice());
    DoItThen(this, [this] { Close(); });
}

void TInterpret::On_tm_ReViewByElement(TZarixMessage*& message, bool& handled) {
    TElement* e = message ? message->Data : nullptr;
    if (!e || !IsLive(e)) {
        On_tm_ReView(message, handled);
        return;
    }
    handled = true;
    TElement* input = Input;
    Reset(GetDevice());
    Input = e;
    DoItThen(this, [this, input] {
        Input = input;
        Close();
    });
}

void TInterpret::HandleMessage(TZarixMessage*& message, bool& handled) {
    inherited::HandleMessage(message, handled);
    if (handled || !message) return;
    if (message->Message == kReViewMsg) {
        if (message->Data) On_tm_ReViewByElement(message, handled);
        else On_tm_ReView(message, handled);
    }
}

void TInterpret::Destroy() {
    FreeSubInterprets();
    inherited::Destroy();
}

// ---- TRectInterpret ----------------------------------------------------------------------

bool TRectInterpret::IsOverRegion(TElement* element) const {
    auto* r = As<TRectEntity>(element);
    return r && FRegion.IsOverlap(r->Rect());
}

void TRectInterpret::Reset(TDevice* device) {
    inherited::Reset(device);
    TDevice* d = GetDevice();
    if (d && d->GetProjection()) FRegion.Assign(d->GetProjection()->GetPageRegion());
    else FRegion.Clear();
}

// ---- general interprets ------------------------------------------------------------------

void TGeneralInterpret::Publish(PropertyTable& t) {
    using C = TGeneralInterpret;
    t.Str<C>("ElementClass", &C::ElementClass, [](C* o, const std::string& v) { o->ElementClass = v; });
    t.Int<C>("Color", &C::Color, [](C* o, int32_t v) { o->Color = v; });
    t.Bool<C>("UseColor", &C::UseColor, [](C* o, bool v) { o->UseColor = v; });
    t.Str<C>("PropColor", &C::PropColor, [](C* o, const std::string& v) { o->PropColor = v; });
    t.Obj<C, TResultTool>("ToolColor", &C::GetToolColor, [](C* o, TResultTool* v) { o->ToolColor = v; });
    t.Obj<C, TColorPalette>("Palette", &C::GetPalette, [](C* o, TColorPalette* v) { o->Palette = v; });
    t.Bool<C>("ColorByPalette", &C::ColorByPalette, [](C* o, bool v) { o->ColorByPalette = v; });
    t.Bool<C>("ColorByGravo", &C::ColorByGravo, [](C* o, bool v) { o->ColorByGravo = v; });
}

bool TGeneralInterpret::IsItsClass(TElement* element) {
    if (!element) return false;
    if (ElementClass.empty()) return true;
    TElementClass cls = GetZarixClass(ElementClass);
    return cls && element->InheritsFrom(cls);
}

bool TGeneralInterpret::QGoInside(TElement* element) { return As<TEntity>(element) != nullptr; }

bool TGeneralInterpret::QProcessBefore(TElement* element) { return IsItsClass(element); }

void TGeneralBrushInterpret::Publish(PropertyTable& t) {
    using C = TGeneralBrushInterpret;
    t.Int<C>("Code", &C::Code, [](C* o, int32_t v) { o->Code = v; });
    t.Bool<C>("UseCode", &C::UseCode, [](C* o, bool v) { o->UseCode = v; });
    t.Str<C>("PropCode", &C::PropCode, [](C* o, const std::string& v) { o->PropCode = v; });
    t.Obj<C, TResultTool>("ToolCode", &C::GetToolCode, [](C* o, TResultTool* v) { o->ToolCode = v; });
}

void TGeneralXYInterpret::Publish(PropertyTable& t) {
    using C = TGeneralXYInterpret;
    t.Float<C>("X", &C::X, [](C* o, double v) { o->X = v; });
    t.Float<C>("Y", &C::Y, [](C* o, double v) { o->Y = v; });
    t.Str<C>("PropX", &C::PropX, [](C* o, const std::string& v) { o->PropX = v; });
    t.Str<C>("PropY", &C::PropY, [](C* o, const std::string& v) { o->PropY = v; });
    t.Float<C>("Height", &C::Height, [](C* o, double v) { o->Height = v; });
    t.Str<C>("PropHeight", &C::PropHeight, [](C* o, const std::string& v) { o->PropHeight = v; });
}

// ---- TChainInterpret ---------------------------------------------------------------------

bool TChainInterpret::QProcessBefore(TElement*) { return true; }

bool TChainInterpret::CanUniGoInside(TElement* element) { return As<TEntity>(element) != nullptr; }

// ---- interpret scripts -------------------------------------------------------------------

void TISClass::Publish(PropertyTable& t) {
    t.Str<TISClass>("IClass", &TISClass::GetIClassName, &TISClass::SetIClassName);
    t.Obj<TISClass, TInterpret>("Interpret", &TISClass::GetInterpret, &TISClass::SetInterpret);
}

void TISClass::SetIClass(TElementClass cls) {
    FClass = cls;
    FClassName = cls ? cls->Name : std::string();
}

std::string TISClass::GetIClassName() const { return FClassName; }

void TISClass::SetIClassName(const std::string& name) {
    FClassName = name;
    FClass = GetZarixClass(name);
}

void TISClass::SetInterpret(TInterpret* interpret) { HoldChild<TInterpret>(this, FInterpret, interpret); }

TISClass* TISClass::CreateAndAddClass(TElementClass cls, TInterpret* interpret) {
    TISClass* node = TISClass::New();
    node->SetIClass(cls);
    AddElement(node);
    node->SetInterpret(interpret);
    return node;
}

TISClass* TISClass::FindNode(TElement* element) {
    if (!element || !FClass || !element->InheritsFrom(FClass)) return nullptr;
    int32_t n = ElementsCount();
    for (int32_t i = 0; i < n; ++i) {
        auto* sub = As<TISClass>(Get(i));
        if (!sub) continue;
        if (TISClass* found = sub->FindNode(element)) return found;
    }
    return this;
}

void TISClass::CollectInterprets(std::vector<TInterpret*>& list) {
    if (FInterpret && std::find(list.begin(), list.end(), FInterpret) == list.end()) list.push_back(FInterpret);
    int32_t n = ElementsCount();
    for (int32_t i = 0; i < n; ++i)
        if (auto* sub = As<TISClass>(Get(i))) sub->CollectInterprets(list);
}

std::vector<TInterpret*> TISClass::GetInterprets() {
    std::vector<TInterpret*> list;
    CollectInterprets(list);
    return list;
}

// ---- TUniversalInterpret -----------------------------------------------------------------

void TUniversalInterpret::Publish(PropertyTable& t) {
    t.Obj<TUniversalInterpret, TInterpretScript>("Script", &TUniversalInterpret::GetScript,
                                                 &TUniversalInterpret::SetScript);
    t.Bool<TUniversalInterpret>("Tile", &TUniversalInterpret::GetTile, &TUniversalInterpret::SetTile).Stored(false);
}

void TUniversalInterpret::SetScript(TInterpretScript* script) {
    HoldChild<TInterpretScript>(this, FScript, script);
}

void TUniversalInterpret::SetBreak(bool value) {
    inherited::SetBreak(value);
    if (FScript)
        for (TInterpret* i : FScript->GetInterprets()) i->SetBreak(value);
}

void TUniversalInterpret::DoIt() {
    EnsureSubInterprets();
    std::vector<TInterpret*> used = FScript ? FScript->GetInterprets() : std::vector<TInterpret*>{};
    TDevice* device = GetDevice();
    auto closeAll = [&] {
        for (TInterpret* i : used)
            if (IsLive(i)) i->Close();
    };
    {
        auto busy = MarkBusy(this);
        TTool::SetBreak(false);
        for (TInterpret* i : used) {
            i->SetPrinting(FPrinting);
            i->Reset(device);
        }
        try {
            BeforeDoIt();
            Level = 1;
            FVisited = 0;
            if (Input) {
                PrepareOutPut();
                UniVisit(Input);
            }
            ProcessOutput();
            AfterDoIt();
        } catch (...) {
            // Closing writes to the devices and can fail: on the normal path that failure
            // is the caller's, so it is no guard; the owners hear of the end either way.
            closeAll();
            PostMsgToOwners(kDoneMsg, nullptr, false);
            throw;
        }
        closeAll();
    }
    PostMsgToOwners(kDoneMsg, nullptr, false);
}

void TUniversalInterpret::UniVisit(TElement* element) {
    TISClass* node = FScript ? FScript->FindNode(element) : nullptr;
    TInterpret* it = node ? node->GetInterpret() : nullptr;
    if (it && it->QProcessBefore(element)) it->Process(element);
    if (GetBreak()) return;
    if (it) {
        if (it->CanUniGoInside(element)) {
            UniGoInside(element);
        } else if (it->QGoInside(element)) {
            it->Level = Level;
            it->GoInside(element);
        }
    } else if (As<TEntity>(element)) {
        UniGoInside(element);
    }
    if (GetBreak()) return;
    if (it && it->QProcessAfter(element)) it->Process(element);
}

void TUniversalInterpret::UniGoInside(TElement* element) {
    auto* entity = As<TEntity>(element);
    if (NotInside || !entity) return;
    ++Level;
    int32_t n = entity->ElementsCount();
    for (int32_t i = 0; i < n && i < entity->ElementsCount(); ++i) {
        if (GetBreak()) break;
        if (++FVisited % kPumpEvery == 0) {
            Application().ProcessMessages();
            if (!IsLive(entity) || GetBreak()) break;
        }
        if (TElement* child = entity->Get(i)) UniVisit(child);
    }
    --Level;
}

// ---- registration ------------------------------------------------------------------------

void RegisterInterpretClasses() {
    static bool done = false;
    if (done) return;
    done = true;
    RegisterZarixClass<TInterpret>();
    RegisterZarixClass<TRectInterpret>();
    RegisterZarixClass<TGeneralInterpret>();
    RegisterZarixClass<TGeneralBrushInterpret>();
    RegisterZarixClass<TGeneralXYInterpret>();
    RegisterZarixClass<TChainInterpret>();
    RegisterZarixClass<TISClass>();
    RegisterZarixClass<TInterpretScript>();
    RegisterZarixClass<TUniversalInterpret>();
    RegisterZarixClass<TInterpretModel>();
    RegisterZarixClass<TInterpretModelEntity>();
    RegisterZarixClass<TInterpretNode>();
    RegisterZarixClass<TInterpretNodeEntity>();
    RegisterZarixClass<TInterpretModelToIntrepretScript>();
}
