#include "kernel/tools.h"

#include "kernel/class_registry.h"
#include "kernel/element_holder.h"
#include "kernel/property_access.h"
#include "platform/files.h"
#include "platform/forms.h"
#include "platform/sysutils.h"

#include "child_field.h"

// ---- TProgressMessage ------------------------------------------------------------------

void TProgressMessage::Publish(PropertyTable& t) {
    using C = TProgressMessage;
    t.Str<C>("ProcessName", [](C* c) { return c->ProcessName; }, &C::SetProcessName);
    t.Int<C>("MinProgress", [](C* c) { return c->MinProgress; }, &C::SetMinProgress);
    t.Int<C>("MaxProgress", [](C* c) { return c->MaxProgress; }, &C::SetMaxProgress);
    t.Int<C>("Progress", [](C* c) { return c->Progress; }, &C::SetProgress);
}

// ---- TTool -------------------------------------------------------------------------------

void TTool::Publish(PropertyTable& t) {
    using C = TTool;
    t.Field("Error", &C::Error);
    t.Field("DynamicTool", &C::DynamicTool);
    t.Obj<C, TElement>("Input", [](C* c) { return c->Input; }, &C::SetInput);
    t.Obj<C, TElement>("Output", [](C* c) { return c->Output; }, &C::SetOutput);
    t.Obj<C, TToolModel>("SelfModel", &C::GetSelfModel, &C::SetSelfModel);
    t.Obj<C, TElement>("NextParameter", nullptr, &C::AddNamedParameter);
}

void TTool::SetInput(TElement* element) { Input = element; }
void TTool::SetOutput(TElement* element) { Output = element; }

TParameters* TTool::GetParameters() { return ChildMadeOnUse(this, FParameters); }
void TTool::SetParameters(TParameters* parameters) { ExchangeChild(this, FParameters, parameters); }

TElement* TTool::GetNameParameter(const std::string& name) { return GetParameters()->GetElement(name); }

void TTool::SetNameParameter(const std::string& name, TElement* element) {
    GetParameters()->SetElement(name, element);
}

void TTool::SetBreak(bool value) {
    if (value) {
        Status.Include(st_BREAK);
    } else {
        Status.Exclude(st_BREAK);
        Status.Exclude(st_BREAK_AND_DOIT);
    }
}

void TTool::DoIt() { Status.Include(st_FOCUSED); }

bool TTool::IsPossibleToQuit() { return true; }

void TTool::CreateSelfByModel() {
    TToolModel* model = GetSelfModel();
    if (!model) {
        PostTextMsg(tm_TextNote, "Tool: " + GetName() + " class: " + ClassName() + " Has no model!", nullptr);
        return;
    }
    DynamicTool = model->DynamicTool;
    if (model->GetNoModelProperties()) return;
    TOwnerEntity* properties = model->GetModelProperties();
    for (int32_t i = 0; i < properties->ElementsCount(); ++i)
        if (auto* p = As<TPropertyModel>(properties->Get(i))) SetPropertyStringByName(p->GetName(), p->Value);
}

void TTool::CreateDynamicPart() {}
void TTool::DestroyDynamicPart() {}

void TTool::UpdateModel() {
    TToolModel* model = GetSelfModel();
    if (!model || model->GetNoModelProperties()) return;
    TOwnerEntity* properties = model->GetModelProperties();
    for (int32_t i = 0; i < properties->ElementsCount(); ++i)
        if (auto* p = As<TPropertyModel>(properties->Get(i))) p->Value = GetPropertyStringByName(p->GetName());
}

void TTool::on_tm_StartTask(TZarixMessage*&, bool&) {}

void TTool::on_tm_QuitTask(TZarixMessage*&, bool&) {
    if (!IsPossibleToQuit()) return;
    Status.Exclude(st_FOCUSED);
    PostMsgToOwners(tm_EndTask, nullptr, false);
}

void TTool::on_tm_EndTask(TZarixMessage*&, bool&) {}
void TTool::on_tm_Done(TZarixMessage*&, bool&) {}

std::string TTool::NumberToPropertyName(int32_t) { return std::string(); }

void TTool::HandleMessage(TZarixMessage*& message, bool& handled) {
    handled = false;
    inherited::HandleMessage(message, handled);
    if (handled || !message) return;
    switch (message->Message) {
        case tm_StartTask: on_tm_StartTask(message, handled); break;
        case tm_EndTask: on_tm_EndTask(message, handled); break;
        case tm_QuitTask: on_tm_QuitTask(message, handled); break;
        case tm_Done: on_tm_Done(message, handled); break;
        default: break;
    }
}

void TTool::Destroy() {
    // The progress end goes out without pumping: handlers must not reach a dying tool.
    if (Status.Has(st_Progress)) {
        PostMsg(tm_ProgressEnd, nullptr, nullptr, false);
        Status.Exclude(st_Progress);
    }
    inherited::Destroy();
    FParameters = nullptr;
}

void TTool::SetBusy(bool value) {
    if (value) Status.Include(st_BUSY);
    else Status.Exclude(st_BUSY);
}

void TTool::SetInProgress(bool value) {
    if (value) Status.Include(st_Progress);
    else Status.Exclude(st_Progress);
}

void TTool::StartProgress(const std::string& processName, int32_t minProgress, int32_t maxProgress) {
    TProgressMessage* m = TProgressMessage::New();
    m->Message = tm_ProgressStart;
    m->Sender = this;
    m->Time = Now();
    m->ProcessName = processName;
    m->MinProgress = minProgress;
    m->MaxProgress = maxProgress;
    m->Post();
    Status.Include(st_Progress);
    Application().ProcessMessages();
}

void TTool::SetProgress(int32_t value) {
    if (!Status.Has(st_Progress)) return;
    TProgressMessage* m = TProgressMessage::New();
    m->Message = tm_ProgressValue;
    m->Sender = this;
    m->Time = Now();
    m->Progress = value;
    m->Post();
}

void TTool::SetProgressText(const std::string& text) {
    if (!Status.Has(st_Progress)) return;
    PostTextMsg(tm_ProgressText, text, nullptr);
}

void TTool::EndProgress() {
    if (!Status.Has(st_Progress)) return;
    PostMsg(tm_ProgressEnd, nullptr, nullptr, false);
    Status.Exclude(st_Progress);
    Application().ProcessMessages();
}

bool TTool::GetNoParameters() {
    TParameters* p = StillChild(this, FParameters);
    return !p || p->NoElements();
}

void TTool::AddParameter(TElement* element) { GetParameters()->AddElement(element); }

void TTool::AddNamedParameter(TElement* element) {
    if (element) SetNameParameter(element->GetName(), element);
}

TElement* TTool::GetParameter(int32_t index) { return GetParameters()->Get(index); }
void TTool::PutParameter(int32_t index, TElement* element) { GetParameters()->Put(index, element); }
void TTool::FreeParameter(TElement* element) { GetParameters()->FreeElement(element); }
void TTool::FreeParameters() { GetParameters()->FreeAll(); }

std::string TTool::GetPropertyNumber(int32_t number) {
    std::string name = NumberToPropertyName(number);
    return name.empty() ? std::string() : GetPropertyStringByName(name);
}

void TTool::SetPropertyNumber(int32_t number, const std::string& text) {
    std::string name = NumberToPropertyName(number);
    if (!name.empty()) SetPropertyStringByName(name, text);
}

TToolModel* TTool::GetSelfModel() { return As<TToolModel>(FindElementClass(TToolModel::StaticClass())); }

void TTool::SetSelfModel(TToolModel* model) {
    TToolModel* present = GetSelfModel();
    if (present == model) return;
    if (present) FreeElement(present);
    AddElement(model);
}

// ---- TTechnology -------------------------------------------------------------------------

void TTechnology::Publish(PropertyTable& t) {
    using C = TTechnology;
    t.Obj<C, TTool>("ActiveTool", &C::GetActiveTool, &C::SetActiveTool);
    t.Obj<C, TTool>("ToolToAdd", nullptr, &C::AddToolProc);
    t.Obj<C, TToolModel>("NewToolByModel", nullptr, &C::SetNewToolByModel);
    t.Obj<C, TTool>("ToolToFree", nullptr, &C::SetToolToFree);
    t.Obj<C, TTool>("ToolToRemove", nullptr, &C::RemoveTool);
}

TTools* TTechnology::LiveTools() { return StillChild(this, FTools); }

TTools* TTechnology::GetTools() { return ChildMadeOnUse(this, FTools); }

// An envelope takes its adder as its one owner.
void TTechnology::SetTools(TTools* tools) { ExchangeChild(this, FTools, tools); }

int32_t TTechnology::ToolsCount() {
    TTools* tools = LiveTools();
    return tools ? tools->ElementsCount() : 0;
}

TTool* TTechnology::GetTool(int32_t index) { return As<TTool>(GetTools()->Get(index)); }
void TTechnology::PutTool(int32_t index, TTool* tool) { GetTools()->Put(index, tool); }

TTool* TTechnology::GetToolByName(const std::string& name) {
    return As<TTool>(GetTools()->FindElementName(name));
}

void TTechnology::ExchangeFieldTool(TTool*& field, TTool* tool) {
    if (field == tool) return;
    if (field) {
        TTool* previous = field;
        field = nullptr;
        if (IsLive(previous)) FreeTool(previous);
    }
    field = tool;
    AddTool(tool);
}

TTool* TTechnology::GetActiveTool() {
    int32_t count = ToolsCount();
    if (FActiveToolIndex < 0 || FActiveToolIndex >= count) return nullptr;
    return As<TTool>(FTools->Get(FActiveToolIndex));
}

int32_t TTechnology::GetActiveToolIndex() { return FActiveToolIndex; }

void TTechnology::SetActiveTool(TTool* tool) {
    TTools* tools = LiveTools();
    SetActiveToolIndex(tools && tool ? tools->IndexOf(tool) : -1);
}

void TTechnology::SetActiveToolIndex(int32_t index) {
    FActiveToolIndex = (index >= 0 && index < ToolsCount()) ? index : -1;
}

void TTechnology::AddToolProc(TTool* tool) { AddTool(tool); }

TTool* TTechnology::AddTool(TTool* tool) {
    GetTools()->AddElement(tool);
    return tool;
}

TTool* TTechnology::CreateToolByModel(TToolModel* model) {
    if (!model || model->ElementClassName.empty()) return nullptr;
    const std::string& className = model->ElementClassName;
    TElementClass cls = GetZarixClass(className);
    if (!cls) {
        PostTextMsg(tm_TextNote, "Unknown class: " + className, nullptr);
        return nullptr;
    }
    if (!cls->InheritsFrom(TTool::StaticClass())) {
        PostTextMsg(tm_TextNote, "Class: " + className + " is not a Tool", nullptr);
        return nullptr;
    }
    auto* tool = static_cast<TTool*>(cls->CreateInstance());
    tool->SetName(model->GetName());
    AddTool(tool);
    // The tool goes into the named object property as a reference, not as a number.
    if (!model->AttachToPropertyName.empty()) SetObjectPropByName(this, model->AttachToPropertyName, tool);
    tool->SetSelfModel(model);
    tool->CreateSelfByModel();
    return tool;
}

TTool* TTechnology::CreateTool(const std::string& className, const std::string& name) {
    TElementClass cls = GetZarixClass(className);
    if (!cls || !cls->InheritsFrom(TTool::StaticClass())) return nullptr;
    return As<TTool>(GetTools()->CreateElement(className, name));
}

TTool* TTechnology::InsertTool(int32_t index, TTool* tool) {
    GetTools()->InsertElement(index, tool);
    return tool;
}

void TTechnology::RemoveTool(TTool* tool) { GetTools()->RemoveElement(tool); }

void TTechnology::FreeTool(TTool* tool) { GetTools()->FreeElement(tool); }

bool TTechnology::IsPossibleToQuit() {
    int32_t count = ToolsCount();
    if (count == 0) return true;
    bool answer = true;
    for (int32_t i = 0; i < count && i < ToolsCount(); ++i) {
        TTool* tool = As<TTool>(FTools->Get(i));
        if (!tool) continue;
        answer = tool->IsPossibleToQuit();
        if (!answer) break;
    }
    return answer;
}

void TTechnology::CreateSelfByModel() {
    inherited::CreateSelfByModel();
    if (!DynamicTool) CreateDynamicPart();
}

void TTechnology::CreateDynamicPart() {
    TToolModel* model = GetSelfModel();
    if (!model || model->GetNoModelTools()) return;
    TOwnerEntity* tools = model->GetModelTools();
    int32_t count = tools->ElementsCount();
    for (int32_t i = 0; i < count && i < tools->ElementsCount(); ++i)
        if (auto* m = As<TToolModel>(tools->Get(i))) CreateToolByModel(m);
}

void TTechnology::DestroyDynamicPart() {
    PostTextMsg(tm_TextNote, GetName() + ": DestroyDynamic", nullptr);
    UpdateModel();
    GetTools()->FreeAll();
}

void TTechnology::UpdateModel() {
    inherited::UpdateModel();
    int32_t count = ToolsCount();
    for (int32_t i = 0; i < count && i < ToolsCount(); ++i)
        if (TTool* tool = As<TTool>(FTools->Get(i))) tool->UpdateModel();
}

void TTechnology::on_tm_EndTask(TZarixMessage*& message, bool& handled) {
    TElement* sender = message ? message->Sender : nullptr;
    TTools* tools = LiveTools();
    if (sender && tools && IsLive(sender) && tools->IndexOf(sender) >= 0) {
        if (TTool* tool = As<TTool>(sender)) FreeTool(tool);
        else tools->FreeElement(sender);
    }
    handled = true;
}

// ---- TSeqTechnology ----------------------------------------------------------------------

void TSeqTechnology::HandleMessage(TZarixMessage*& message, bool& handled) {
    inherited::HandleMessage(message, handled);
}

void TSeqTechnology::DoIt() {
    TTool::DoIt();
    if (NoElements()) return;
    int32_t count = ToolsCount();
    for (int32_t i = 0; i < count && i < ToolsCount(); ++i) {
        FActiveToolIndex = i;
        TTool* tool = As<TTool>(FTools->Get(i));
        if (!tool) continue;
        tool->SetParameters(GetParameters());
        tool->SetInput(Input);
        tool->DoIt();
        if (!IsLive(tool)) continue;  // freed while it ran
        SetOutput(tool->Output);
        SetInput(Output);
    }
}

// ---- TIterateTechnology ------------------------------------------------------------------

void TIterateTechnology::TestIterace(bool&) {}
void TIterateTechnology::Iterate() {}

void TIterateTechnology::DoIt() {
    TTool::DoIt();
    bool again = false;
    TestIterace(again);
}

// ---- TSelectTechnology -------------------------------------------------------------------

void TSelectTechnology::Publish(PropertyTable& t) {
    using C = TSelectTechnology;
    t.Obj<C, TTool>("ElseTool", &C::GetElseTool, &C::SetElseTool);
    t.Field("SelIndex", &C::SelIndex);
}

TTool* TSelectTechnology::GetElseTool() { return StillChild(this, FElseTool); }

void TSelectTechnology::SetElseTool(TTool* tool) {
    if (!tool || tool == GetElseTool()) return;
    FElseTool = tool;
    AddElement(tool);
}

void TSelectTechnology::DoIt() {
    TTool* tool = nullptr;
    if (SelIndex >= 0 && SelIndex < ToolsCount()) tool = As<TTool>(FTools->Get(SelIndex));
    if (!tool) tool = GetElseTool();
    if (!tool) return;
    tool->SetInput(Input);
    tool->DoIt();
    if (IsLive(tool)) SetOutput(tool->Output);
}

// ---- TResultTool, TBooleanTool -------------------------------------------------------------

void TResultTool::Publish(PropertyTable& t) {
    using C = TResultTool;
    t.Str<C>("Result", [](C* c) { return c->Result; }, [](C* c, const std::string& v) { c->Result = v; });
}

void TBooleanTool::Publish(PropertyTable& t) {
    using C = TBooleanTool;
    t.Field("Result", &C::Result);
}

// ---- unit routines -------------------------------------------------------------------------

bool CreateAndExecuteTool(const std::string& className, TElement* input) {
    TElement* element = CreateElementByName(className);
    if (!element) return false;
    TTool* tool = As<TTool>(element);
    if (!tool) {
        Free(element);
        return false;
    }
    auto release = MakeScopeExit([tool] {
        if (IsLive(tool)) Free(tool);
    });
    tool->SetInput(input);
    tool->DoIt();
    return true;
}

TElement* RunAndFree(TTool* tool, TElement* input) {
    tool->SetInput(input);
    TElementHolder<TTool> held(tool);
    tool->DoIt();
    return tool->Output;
}

void RegisterToolsUnit() {
    RegisterZarixClass<TProgressMessage>();
    RegisterZarixClass<TToolProperties>();
    RegisterZarixClass<TTool>();
    RegisterZarixClass<TResultTool>();
    RegisterZarixClass<TBooleanTool>();
    RegisterZarixClass<TTechnology>();
    RegisterZarixClass<TSeqTechnology>();
    RegisterZarixClass<TSelectTechnology>();
}
