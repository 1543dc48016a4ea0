#include "workbench/form_tool_manager.h"

#include "kernel/class_registry.h"
#include "kernel/string_routines.h"
#include "platform/files.h"
#include "platform/forms.h"
#include "platform/host.h"
#include "platform/sysutils.h"
#include "workbench/print_job.h"
#include "workbench/selection_tools.h"
#include "platform/scope_exit.h"
#include "kernel/element_holder.h"

namespace {

TRectEntity* LiveChild(TEntity* self, TRectEntity*& field) {
    if (field && (!IsLive(field) || self->IndexOf(field) < 0)) field = nullptr;
    return field;
}

}  // namespace

void TFormToolManager::Publish(PropertyTable& t) {
    using C = TFormToolManager;
    t.Obj<C, TInteractiveTool>("NextTool", nullptr, &C::SetNextTool);
    t.Str<C>("ActiveToolName", &C::GetActiveToolName, &C::SetActiveToolName).Stored(false);
    t.Str<C>("ActiveToolClassName", &C::GetActiveToolClassName, &C::SetActiveToolClassName).Stored(false);
    t.Int<C>("PageColor", &C::GetPageColor, &C::SetPageColor);
    t.Obj<C, TPageProjection>("Projection", &C::GetProjection, nullptr);
    t.Obj<C, TInterpretScript>("InterpretScript", &C::GetInterpretScript, &C::SetInterpretScript).Stored(false);
    t.Int<C>("Left", &C::GetLeft, &C::SetLeft);
    t.Int<C>("Top", &C::GetTop, &C::SetTop);
    t.Int<C>("Width", &C::GetWidth, &C::SetWidth);
    t.Int<C>("Height", &C::GetHeight, &C::SetHeight);
    t.Str<C>("Caption", &C::GetCaption, &C::SetCaption);
    t.Int<C>("BreakReView", nullptr, &C::SetBreakReView);
    t.Obj<C, TElement>("ElementForReView", nullptr, &C::SetElementForReView);
    t.Obj<C, TElement>("ElementForKillReView", nullptr, &C::SetElementForKillReView);
    t.Bool<C>("FreeForm", nullptr, &C::SetFreeForm);
    t.Str<C>("LoadFromFile", nullptr, &C::LoadFromFile);
    t.Str<C>("SaveToFile", nullptr, &C::SaveToFile);
    t.Bool<C>("QuickView", &C::GetQuickView, &C::SetQuickView);
}

void TFormToolManager::Create() {
    inherited::Create();
    CreateForm();
    CreateDevice();
    BindDeviceToForm();
    CreateInterpret();
    BindInterpretDevice();
    CreateDefaultTools();
}

void TFormToolManager::Destroy() {
    ReleaseEnvelope();
    FreeTheForm();
    inherited::Destroy();
    FTools = nullptr;
    FInterpret = nullptr;
    Free(FOwnDevice);
    FOwnDevice = nullptr;
}

// ---- construction ------------------------------------------------------------------------

void TFormToolManager::CreateForm() {
    FForm = new TStandardImageForm(this);
    FForm->CloseFlag = false;
}

void TFormToolManager::CreateDevice() {
    FOwnDevice = TImageCanvasDevice::New();
    SetDevice(FOwnDevice);
}

void TFormToolManager::BindDeviceToForm() {
    if (auto* d = As<TImageCanvasDevice>(GetDevice()); d && FForm) d->SetImage(&FForm->Bitmap());
}

void TFormToolManager::CreateInterpret() { SetInterpret(TUniversalInterpret::New()); }

void TFormToolManager::BindInterpretDevice() {
    if (TInterpret* i = GetInterpret()) i->SetDevice(GetDevice());
}

void TFormToolManager::CreateDefaultTools() {
    TAreaSelector* selector = TAreaSelector::New();
    selector->SetName(Cz("Vybírání ploch"));
    SetNextTool(selector);
    SetNextTool(TViewer::New());
}

// ---- the form ----------------------------------------------------------------------------

void TFormToolManager::FreeTheForm() {
    TStandardImageForm* form = FForm;
    FForm = nullptr;
    if (auto* d = As<TImageCanvasDevice>(GetDevice()); d && form) d->SetImage(nullptr);
    delete form;
}

int32_t TFormToolManager::GetLeft() { return FForm ? FForm->Left : 0; }
int32_t TFormToolManager::GetTop() { return FForm ? FForm->Top : 0; }
int32_t TFormToolManager::GetWidth() { return FForm ? FForm->Width : 0; }
int32_t TFormToolManager::GetHeight() { return FForm ? FForm->Height : 0; }
void TFormToolManager::SetLeft(int32_t v) {
    if (FForm) FForm->Left = v;
}
void TFormToolManager::SetTop(int32_t v) {
    if (FForm) FForm->Top = v;
}
void TFormToolManager::SetWidth(int32_t v) {
    if (FForm) FForm->Resize(v, FForm->Height);
}
void TFormToolManager::SetHeight(int32_t v) {
    if (FForm) FForm->Resize(FForm->Width, v);
}

bool TFormToolManager::GetFormVisible() { return FForm && FForm->Visible; }

void TFormToolManager::SetFormVisible(bool visible) {
    if (!FForm) return;
    if (visible) {
        FForm->Show();
        TRasterImage& b = FForm->Bitmap();
        if (b.Width() != FForm->Width || b.Height() != FForm->Height) b.SetSize(FForm->Width, FForm->Height);
        if (auto* d = As<TImageCanvasDevice>(GetDevice())) d->AdaptToImage();
    } else {
        FForm->Hide();
    }
}

TControl* TFormToolManager::GetMainMenu() { return FForm ? FForm->Find("MainMenu1") : nullptr; }

std::string TFormToolManager::GetCaption() { return FForm ? FForm->Caption : std::string(); }

void TFormToolManager::SetCaption(const std::string& caption) {
    if (FForm) FForm->Caption = caption;
}

int32_t TFormToolManager::GetImageCursor() { return FForm ? FForm->ImageCursor : 0; }

void TFormToolManager::SetImageCursor(int32_t cursor) {
    if (FForm) FForm->ImageCursor = cursor;
}

void TFormToolManager::SetFreeForm(bool value) {
    if (value) FreeTheForm();
}

void TFormToolManager::LoadFromFile(const std::string& fileName) {
    if (!FForm) return;
    try {
        FForm->Bitmap().LoadFromPNG(MapPath(fileName));
        if (auto* d = As<TImageCanvasDevice>(GetDevice())) d->AdaptToImage();
    } catch (const Exception&) {
        ShowErrorMessage(Cz("Ze souboru ") + fileName + Cz(" nejde načíst bitmapa"));
    }
}

void TFormToolManager::SaveToFile(const std::string& fileName) {
    if (!FForm) return;
    try {
        FForm->Bitmap().SaveToPNG(MapPath(fileName));
    } catch (const Exception&) {
        ShowErrorMessage(Cz("Do souboru ") + fileName + Cz(" nejde uložit bitmapa"));
    }
}

void TFormToolManager::SetScaleText() {
    if (!FForm) return;
    double s = GetDeviceScale();
    (*FForm)["l_M"].Caption = s >= 10 ? IntToStr(Round(s)) : FloatToStrF(s, 3);
}

// ---- input -------------------------------------------------------------------------------

TRectEntity* TFormToolManager::GetEnvelope() const {
    return LiveChild(const_cast<TFormToolManager*>(this), const_cast<TFormToolManager*>(this)->FEnvelope);
}

void TFormToolManager::ReleaseEnvelope() {
    TRectEntity* envelope = GetEnvelope();
    FEnvelope = nullptr;
    TElement* kept = FKept && IsLive(FKept) ? FKept : nullptr;
    FKept = nullptr;
    if (!envelope) return;
    for (int32_t i = envelope->ElementsCount() - 1; i >= 0; --i) {
        TElement* e = envelope->Get(i);
        if (e && e != kept) envelope->RemoveElement(e);
    }
    FreeElement(envelope);
}

void TFormToolManager::AddShownElement(TElement* element) {
    TRectEntity* envelope = GetEnvelope();
    if (!envelope || !element || envelope->IndexOf(element) >= 0) return;
    envelope->AddAndUpdateRect(element);
}

void TFormToolManager::FitToInput() {
    TDevice* d = GetDevice();
    // A window without an envelope (a page editor) shows its input itself.
    TRectEntity* envelope = GetEnvelope();
    if (!envelope && Input && IsLive(Input)) envelope = As<TRectEntity>(Input);
    if (!d || !d->GetProjection() || !envelope) return;
    try {
        d->GetProjection()->ChangeProjectionByRect(envelope->Rect(), d->GetPage());
    } catch (const Exception&) {
    }
}

void TFormToolManager::SetInput(TElement* element) {
    ReleaseEnvelope();
    inherited::SetInput(nullptr);
    if (!element || !IsLive(element)) return;
    // An element no tree holds is the window's to keep; one from elsewhere stays theirs.
    FKept = element->GetOwnersCount() == 0 ? element : nullptr;
    TRectEntity* envelope = TRectEntity::New();
    envelope->SetName(Cz("Obálka"));
    envelope->AddAndUpdateRect(element);
    FEnvelope = envelope;
    AddElement(envelope);
    try {
        TDevice* d = GetDevice();
        TPageProjection* p = d ? d->GetProjection() : nullptr;
        if (p) {
            if (auto* r = As<TRectEntity>(element)) p->ChangeProjectionByRect(r->Rect(), d->GetPage());
            else if (auto* c = As<T2DCoordinate>(element)) p->ChangeProjection(c->Point(), d->GetPage(), 0);
        }
    } catch (const Exception&) {
    }
    inherited::SetInput(envelope);
}

// ---- tools -------------------------------------------------------------------------------

TTools* TFormToolManager::GetTools() {
    if (FTools && (!IsLive(FTools) || IndexOf(FTools) < 0)) FTools = nullptr;
    if (!FTools) {
        FTools = TTools::New();
        AddElement(FTools);
    }
    return FTools;
}

int32_t TFormToolManager::ToolsCount() { return GetTools()->ElementsCount(); }

TInteractiveTool* TFormToolManager::GetTool(int32_t index) {
    TTools* tools = GetTools();
    if (index < 0 || index >= tools->ElementsCount()) return nullptr;
    return As<TInteractiveTool>(tools->Get(index));
}

TTool* TFormToolManager::AddTool(TTool* tool) {
    if (!tool) return tool;
    GetTools()->AddElement(tool);
    if (FForm) {
        TControl& item = FForm->Add(TControlKind::MenuItem, tool->ClassName(), tool->GetName(), "Tools");
        uint64_t serial = tool->Serial();
        item.OnClick = [tool, serial](TControl&) {
            if (IsLive(tool, serial)) tool->PostMsgToOwners(tm_ActivateTool, tool, false);
        };
    }
    return tool;
}

TTool* TFormToolManager::InsertTool(int32_t index, TTool* tool) {
    if (tool) GetTools()->InsertElement(index, tool);
    return tool;
}

namespace {
// The menu item of the tool's class leaves the "Tools" menu.
void DropToolItem(TStandardImageForm* form, TTool* tool) {
    if (!form || !tool) return;
    for (TControl* item : form->ToolItems())
        if (SameText(item->Name, tool->ClassName())) {
            item->Visible = false;
            item->Parent.clear();
            item->Name.clear();
            item->OnClick = nullptr;
            return;
        }
}
}  // namespace

void TFormToolManager::RemoveTool(TTool* tool) {
    TInteractiveTool* active = GetActiveTool();
    DropToolItem(FForm, tool);
    GetTools()->RemoveElement(tool);
    FActiveToolIndex = active && active != tool ? GetTools()->IndexOf(active) : -1;
}

void TFormToolManager::FreeTool(TTool* tool) {
    TInteractiveTool* active = GetActiveTool();
    DropToolItem(FForm, tool);
    GetTools()->FreeElement(tool);
    FActiveToolIndex = active && active != tool ? GetTools()->IndexOf(active) : -1;
}

TInteractiveTool* TFormToolManager::GetActiveTool() { return GetTool(FActiveToolIndex); }

void TFormToolManager::SetActiveToolIndex(int32_t index) {
    if (index == FActiveToolIndex) return;
    FActiveToolIndex = index >= 0 && index < ToolsCount() ? index : -1;
}

void TFormToolManager::CheckToolItem(TInteractiveTool* tool) {
    if (!FForm) return;
    for (TControl* item : FForm->ToolItems()) item->Checked = tool && SameText(item->Name, tool->ClassName());
}

void TFormToolManager::SetNextTool(TInteractiveTool* tool) {
    if (!tool) return;
    tool->SetDevice(GetDevice());
    tool->SetManager(this);
    AddTool(tool);
    SetActiveToolIndex(GetTools()->IndexOf(tool));
    CheckToolItem(tool);
}

std::string TFormToolManager::GetActiveToolName() {
    TInteractiveTool* t = GetActiveTool();
    return t ? t->GetName() : std::string();
}

void TFormToolManager::SetActiveToolName(const std::string& name) {
    for (int32_t i = 0; i < ToolsCount(); ++i)
        if (TInteractiveTool* t = GetTool(i); t && AnsiSameText(t->GetName(), name)) {
            t->PostMsgToOwners(tm_ActivateTool, t, false);
            return;
        }
}

std::string TFormToolManager::GetActiveToolClassName() {
    TInteractiveTool* t = GetActiveTool();
    return t ? t->ClassName() : std::string();
}

void TFormToolManager::SetActiveToolClassName(const std::string& name) {
    TElementClass cls = GetZarixClass(name);
    if (!cls) return;
    for (int32_t i = 0; i < ToolsCount(); ++i)
        if (TInteractiveTool* t = GetTool(i); t && t->InheritsFrom(cls)) {
            t->PostMsgToOwners(tm_ActivateTool, t, false);
            return;
        }
}

// ---- properties --------------------------------------------------------------------------

TColor TFormToolManager::GetPageColor() {
    TDevice* d = GetDevice();
    return d && d->GetPage() ? d->GetPage()->GetColor() : 0;
}

void TFormToolManager::SetPageColor(TColor color) {
    if (TDevice* d = GetDevice(); d && d->GetPage()) d->GetPage()->SetColor(color);
}

TPageProjection* TFormToolManager::GetProjection() {
    TDevice* d = GetDevice();
    return d ? d->GetProjection() : nullptr;
}

TInterpretScript* TFormToolManager::GetInterpretScript() {
    auto* u = As<TUniversalInterpret>(GetInterpret());
    return u ? u->GetScript() : nullptr;
}

void TFormToolManager::SetInterpretScript(TInterpretScript* script) {
    auto* u = As<TUniversalInterpret>(GetInterpret());
    if (u && script && script->Is<TInterpretScript>()) u->SetScript(script);
}

void TFormToolManager::SetBreakReView(int32_t) {
    if (TInterpret* i = GetInterpret(); i && i->GetBusy()) i->SetBreak(true);
}

void TFormToolManager::SetElementForReView(TElement* element) { PostMsg(tm_ReView, this, element, false); }

void TFormToolManager::SetElementForKillReView(TElement* element) {
    TZarixMessage* m = TZarixMessage::CreateMessage(tm_ReView, this, this, element, true);
    m->KillData = true;
    m->Post();
}

void TFormToolManager::SetQuickView(bool value) {
    FQuickView = value;
    if (FForm) (*FForm)["b_QuickView"].Checked = value;
}

// ---- running -----------------------------------------------------------------------------

void TFormToolManager::DoIt() {
    inherited::DoIt();
    SetFormVisible(true);
    PostMsg(tm_ReView, this, nullptr, false);
}

void TFormToolManager::HandleMessage(TZarixMessage*& message, bool& handled) {
    handled = false;
    if (!message) return;
    if (message->Message != tm_ReView) {
        if (TInteractiveTool* active = GetActiveTool()) {
            try {
                active->HandleMessage(message, handled);
            } catch (const Exception&) {
                handled = false;
            }
            if (!message || !IsLive(this)) return;
        }
    }
    if (!handled) inherited::HandleMessage(message, handled);
    if (handled || !message) return;
    switch (message->Message) {
        case tm_ActivateTool: ActivateTool(message, handled); break;
        case tm_QuitWhenDone: QuitWhenDone(message, handled); break;
        case tm_OpenFile: OpenFile(message, handled); break;
        case tm_SaveFileAs: SaveFileAs(message, handled); break;
        case tm_PrintView: PrintView(message, handled); break;
        case tm_ScaleDialog: ScaleDialog(message, handled); break;
        case tm_ShowWholeModel: ShowWholeModel(message, handled); break;
        case tm_RefreshImage: RefreshImage(message, handled); break;
        case tm_ToggleQuickView: ToggleQuickView(message, handled); break;
        default: break;
    }
}

void TFormToolManager::ReView(TZarixMessage*& message, bool& handled) {
    handled = true;
    TInterpret* i = GetInterpret();
    if (i && i->GetBusy()) {
        Status.Include(st_BREAK_AND_DOIT);
        i->SetBreak(true);
        return;
    }
    if (TDevice* d = GetDevice()) {
        d->GetPen()->SetMode(pmCopy);
        d->Clear();
    }
    inherited::ReView(message, handled);
    handled = true;
    if (!IsLive(this)) return;
    SetScaleText();
    if (TInteractiveTool* active = GetActiveTool()) PostMsg(tm_ReView, active, nullptr, false);
    Application().ProcessMessages();
    if (!IsLive(this)) return;
    PostMsg(tm_Done, nullptr, this, false);
}

void TFormToolManager::on_tm_Done(TZarixMessage*& message, bool& handled) {
    handled = true;
    if (!message || !As<TUniversalInterpret>(message->Sender)) return;
    if (Status.Has(st_DIE)) {
        Status.Exclude(st_DIE);
        FreeTheForm();
        TTool::on_tm_QuitTask(message, handled);
    } else if (Status.Has(st_BREAK_AND_DOIT)) {
        Status.Exclude(st_BREAK_AND_DOIT);
        DoIt();
    }
}

void TFormToolManager::on_tm_QuitTask(TZarixMessage*& message, bool& handled) {
    TInterpret* i = GetInterpret();
    if (i && i->GetBusy()) {
        Status.Include(st_DIE);
        i->SetBreak(true);
        handled = true;
        return;
    }
    FreeTheForm();
    inherited::on_tm_QuitTask(message, handled);
}

void TFormToolManager::ResizeView(TZarixMessage*&, bool& handled) {
    handled = true;
    if (auto* d = As<TImageCanvasDevice>(GetDevice())) d->AdaptToImage();
    PostMsg(tm_RequestReView, this, nullptr, false);
}

void TFormToolManager::KeyDown(TZarixMessage*& message, bool&) {
    auto* key = As<TZarixKeyEvent>(message);
    if (!key) return;
    switch (key->Key) {
        case VK_ESCAPE: PostMsg(tm_BreakDrawing, this, nullptr, false); break;
        case VK_F5:
            if (GetDeviceScale() > 0) SetDeviceScale(GetDeviceScale() / 2);
            PostMsg(tm_RequestReView, this, nullptr, false);
            break;
        case VK_F6:
            if (GetDeviceScale() > 0) SetDeviceScale(GetDeviceScale() * 2);
            PostMsg(tm_RequestReView, this, nullptr, false);
            break;
        default: break;
    }
}

void TFormToolManager::MouseMove(TZarixMessage*& message, bool& handled) {
    auto* mouse = As<TZarixMouseEvent>(message);
    if (!FForm || !mouse) return;
    handled = true;
    TPageProjection* p = GetProjection();
    if (!p) return;
    ShowPointer(p->GetModelPoint(mouse->X, mouse->Y));
}

void TFormToolManager::ShowPointer(const T2DPoint& m) {
    if (!FForm) return;
    (*FForm)["l_x"].Text = FloatToStrF(m.X, 2);
    (*FForm)["l_y"].Text = FloatToStrF(m.Y, 2);
}

void TFormToolManager::MouseUp(TZarixMessage*& message, bool& handled) {
    auto* mouse = As<TZarixMouseEvent>(message);
    if (!FForm || !mouse) return;
    handled = true;
    if (mouse->Button == mbRight) FForm->Popup(FForm->Left + mouse->X, FForm->Top + mouse->Y);
}

// ---- commands ----------------------------------------------------------------------------

void TFormToolManager::OpenFile(TZarixMessage*&, bool&) {}
void TFormToolManager::SaveFileAs(TZarixMessage*&, bool&) {}

void TFormToolManager::ActivateTool(TZarixMessage*& message, bool& handled) {
    auto* tool = As<TInteractiveTool>(message->Data);
    if (!tool) return;
    int32_t index = GetTools()->IndexOf(tool);
    if (index < 0) return;
    if (TInteractiveTool* old = GetActiveTool()) old->Deactivate();
    SetActiveToolIndex(index);
    tool->SetDevice(GetDevice());
    tool->SetInput(Input);
    tool->Activate();
    CheckToolItem(tool);
    SetImageCursor(tool->GetCursorIndex());
    handled = true;
}

void TFormToolManager::QuitWhenDone(TZarixMessage*&, bool& handled) { handled = true; }

void TFormToolManager::PrintView(TZarixMessage*&, bool& handled) {
    handled = true;
    auto* universal = As<TUniversalInterpret>(GetInterpret());
    if (universal && FForm) universal->SetTile((*FForm)["TisknoutJakoBitmapu1"].Checked);
    auto untile = MakeScopeExit([universal] {
        if (universal && IsLive(universal)) universal->SetTile(false);
    });
    TElementHolder<TPrint> print(TPrint::New());
    print->SetInput(GetInterpret());
    print->DoIt();
}

void TFormToolManager::ToggleQuickView(TZarixMessage*&, bool& handled) {
    SetQuickView(!FQuickView);
    handled = true;
}

void TFormToolManager::RefreshImage(TZarixMessage*&, bool& handled) {
    handled = true;
    if (FForm) FForm->Repaint();
}

void TFormToolManager::ScaleDialog(TZarixMessage*&, bool& handled) {
    try {
        Tf_SetScale dialog;
        dialog["Combo"].Text = IntToStr(Round(GetDeviceScale()));
        if (dialog.ShowModal() != mrOk) return;
        double value = StrToExtended(dialog["Combo"].Text);
        if (value > 0) SetDeviceScale(value);
        else FitToInput();
        PostMsg(tm_RequestReView, this, nullptr, false);
        handled = true;
    } catch (const Exception&) {
    }
}

void TFormToolManager::ShowWholeModel(TZarixMessage*&, bool& handled) {
    FitToInput();
    PostMsg(tm_RequestReView, this, nullptr, false);
    handled = true;
}

void RegisterFormToolManagerUnit() { RegisterZarixClass<TFormToolManager>(); }
