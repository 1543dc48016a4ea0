#include "workbench/print_dialog.h"

#include <algorithm>
#include <unordered_set>

#include "device/printer.h"
#include "kernel/class_registry.h"
#include "kernel/string_routines.h"
#include "kernel/world.h"
#include "platform/forms.h"
#include "platform/host.h"
#include "platform/inifiles.h"
#include "platform/sysutils.h"

namespace {

constexpr uint32_t kTimerTick = 0x0113;
constexpr uint32_t kFreeTool = WM_USER + 1;

// The dialogs alive; queued ticks and frees name one by address.
std::unordered_set<TPrintDialogTool*>& LiveDialogs() {
    static std::unordered_set<TPrintDialogTool*> live;
    return live;
}

// One window of every print dialog for the timer and the deferred freeing.
void* DialogWindow() {
    static void* handle = [] {
        void* h = AllocateWindowHandle();
        RegisterWindowProc(h, [](TMsg& m) -> intptr_t {
            auto* tool = reinterpret_cast<TPrintDialogTool*>(m.lParam);
            if (!LiveDialogs().count(tool)) return 0;
            if (m.message == kTimerTick) tool->TimerTick();
            else if (m.message == kFreeTool) Free(tool);
            return 0;
        });
        return h;
    }();
    return handle;
}

TInterpretScript* DefaultInterpretScript() {
    if (!GetZarixClass("TUniversalGravoScriptCreator")) return nullptr;
    auto* creator = As<TTool>(CreateElementByName("TUniversalGravoScriptCreator"));
    if (!creator) return nullptr;
    TInterpretScript* script = nullptr;
    try {
        creator->DoIt();
        script = As<TInterpretScript>(creator->Output);
    } catch (const Exception&) {
    }
    Free(creator);
    return script;
}

}  // namespace

std::string PrintIniFileName() {
    std::string name = MainToolPropString("IniFileName");
    return name.empty() ? ChangeFileExt(Application().ExeName(), ".INI") : name;
}

// ---- TPrnDlg -----------------------------------------------------------------------------

TPrnDlg::TPrnDlg(TPrintDialogTool* tool) : TForm("TPrnDlg"), FTool(tool) {
    Caption = Cz("Tiskový dialog");
    Add(TControlKind::Label, "l_Scale", Cz("Měřítko 1 : "));
    TControl& scale = Add(TControlKind::Edit, "ed_Scale");
    scale.Text = "1";
    Add(TControlKind::Label, "l_Overlap", Cz("Přesah v mm:"));
    TControl& overlap = Add(TControlKind::Edit, "ed_Overlap");
    overlap.Text = "0";
    Add(TControlKind::CheckBox, "b_FitToPage", Cz("Zarovnat na stránku")).OnClick = [this](TControl&) {
        Post(tm_FitToPage);
    };
    Add(TControlKind::CheckBox, "b_CenterPage", Cz("Vycentrovat v rámci stránky (stránek)")).OnClick =
        [this](TControl&) { Post(tm_CentreToggled); };
    Add(TControlKind::CheckBox, "b_RasterLines", Cz("Rastrovat linie prostředky Zarixu ")).OnClick =
        [this](TControl&) { Post(tm_RasterLinesToggled); };
    Add(TControlKind::CheckBox, "b_CutMark", Cz("Značky pro ořez")).Enabled = false;
    Add(TControlKind::Image, "Image");
    FBitmap.SetSize(240, 320);
    Add(TControlKind::GroupBox, "g_Pages");
    TControl& all = Add(TControlKind::RadioButton, "r_AllPages", Cz("Všechno"), "g_Pages");
    all.Checked = true;
    TControl& some = Add(TControlKind::RadioButton, "r_Pages", Cz("Pouze stránky:"), "g_Pages");
    TControl& pages = Add(TControlKind::Edit, "ed_Pages", {}, "g_Pages");
    pages.Enabled = false;
    all.OnClick = [this](TControl&) { (*this)["ed_Pages"].Enabled = (*this)["r_Pages"].Checked; };
    some.OnClick = all.OnClick;
    Add(TControlKind::Label, "lbStart");
    Add(TControlKind::Label, "lbTime");
    Add(TControlKind::Button, "Tisk", "Tisk").OnClick = [this](TControl&) { PrintPressed(); };
    (*this)["Tisk"].ModalResult = mrOk;
    Add(TControlKind::Button, "Storno", "Storno").OnClick = [this](TControl&) {
        SetTimerEnabled(false);
        if (FPrintStarted) Close();
    };
    (*this)["Storno"].ModalResult = mrCancel;
    Add(TControlKind::Button, "Napoveda", Cz("&Nápověda"));

    scale.OnExit = [this](TControl& c) {
        if (StringIsFloat(Trim(c.Text))) Post(tm_ScaleEntered);
        else KeepFocus(c);
    };
    overlap.OnExit = [this](TControl& c) {
        int32_t mm = 0;
        if (!TryStrToInt(Trim(c.Text), mm) || (OverlapFits && !OverlapFits(mm))) KeepFocus(c);
        else Post(tm_OverlapEntered);
    };
    // Focus that was refused goes back to the edit it left.
    for (const auto& c : Controls())
        c->OnEnter = [this](TControl&) {
            if (TControl* back = FRefocus) {
                FRefocus = nullptr;
                SetActiveControl(back);
            }
        };
    FClock.Interval = TimerInterval;
    FClock.OnTimer = [this] {
        FClock.SetEnabled(false);
        ArmTimer();
    };
    OnShow = [this](TForm&) { Post(tm_ReView); };
    OnClose = [this](TForm&) {
        if (FTool && LiveDialogs().count(FTool)) FTool->FormClosed();
    };
}

TPrnDlg::~TPrnDlg() { FTimer = false; }

void TPrnDlg::Post(int32_t msg) {
    if (FTool && LiveDialogs().count(FTool)) FTool->PostMsg(msg, FTool, nullptr, false);
}

void TPrnDlg::KeepFocus(TControl& edit) { FRefocus = &edit; }

void TPrnDlg::PrintPressed() {
    if (FPrintStarted) return;
    FPrintStarted = true;
    Caption = Cz("... tiskne se");
    for (const char* name : {"Tisk", "b_FitToPage", "b_CenterPage", "b_CutMark", "b_RasterLines", "ed_Scale", "ed_Overlap"})
        (*this)[name].Enabled = false;
}

void TPrnDlg::SetTimerEnabled(bool on) {
    bool was = FTimer;
    FTimer = on;
    if (!on) FClock.SetEnabled(false);
    if (on && !was) ArmTimer();
}

void TPrnDlg::ArmTimerLater() {
    if (FTimer) FClock.SetEnabled(true);
}

void TPrnDlg::ArmTimer() {
    if (FTimer && FTool) PostMessage(DialogWindow(), kTimerTick, 0, reinterpret_cast<intptr_t>(FTool));
}

// ---- TPrintDialogTool --------------------------------------------------------------------

void TPrintDialogTool::Create() {
    inherited::Create();
    LiveDialogs().insert(this);
    CreateForm();
    CreateDevice();
    BindDeviceToForm();
    CreateInterpret();
    BindInterpretDevice();
}

void TPrintDialogTool::Destroy() {
    LiveDialogs().erase(this);
    // The print device is the job's: let go of it before anything is freed.
    FPrintDevice = nullptr;
    if (FGrid && IsLive(FGrid)) FGrid->SetDevice(nullptr);
    FreeForm();
    FreePreview();
    inherited::Destroy();
    FInterpret = nullptr;
    Free(FPreviewDevice);
    FPreviewDevice = nullptr;
}

void TPrintDialogTool::CreateForm() {
    FForm = new TPrnDlg(this);
    FForm->OverlapFits = [this](int32_t mm) {
        TDevice* d = GetPrintDevice();
        if (!d) return true;
        double overlap = mm / 1000.0;
        // Fitting subtracts the overlap twice, the grid once: both must leave a step.
        return overlap < d->GetRealWidth() / 2 && overlap < d->GetRealHeight() / 2;
    };
}

void TPrintDialogTool::CreateDevice() {
    FPreviewDevice = TImageCanvasDevice::New();
    SetDevice(FPreviewDevice);
}

void TPrintDialogTool::BindDeviceToForm() {
    if (FForm && FPreviewDevice) FPreviewDevice->SetImage(&FForm->Bitmap());
}

void TPrintDialogTool::CreateInterpret() {
    TUniversalInterpret* u = TUniversalInterpret::New();
    if (TInterpretScript* script = DefaultInterpretScript()) u->SetScript(script);
    SetInterpret(u);
}

void TPrintDialogTool::BindInterpretDevice() {
    if (TInterpret* i = GetInterpret()) i->SetDevice(GetDevice());
}

bool TPrintDialogTool::GetFormVisible() { return FForm && FForm->Visible; }

void TPrintDialogTool::SetFormVisible(bool visible) {
    if (!FForm) return;
    if (visible) FForm->Show();
    else FForm->Hide();
}

void TPrintDialogTool::FreeForm() {
    TPrnDlg* form = FForm;
    FForm = nullptr;
    if (FPreviewDevice && form) FPreviewDevice->SetImage(nullptr);
    delete form;
}

void TPrintDialogTool::FreePreview() {
    TDesktop* preview = FPreview;
    FPreview = nullptr;
    FOutline = nullptr;
    FGrid = nullptr;
    if (Output == preview) Output = nullptr;
    Output = nullptr;
    if (Input == preview) inherited::SetInput(nullptr);
    if (preview && IsLive(preview)) Free(preview);
}

TDevice* TPrintDialogTool::GetPrintDevice() const { return IsLive(FPrintDevice) ? FPrintDevice : nullptr; }

void TPrintDialogTool::SetPrintDevice(TDevice* device) {
    FPrintDevice = device;
    if (FGrid && IsLive(FGrid)) FGrid->SetDevice(device);
}

TDesktop* TPrintDialogTool::GetSource() const {
    return FSource && IsLive(FSource, FSourceSerial) ? FSource : nullptr;
}

TPrintPages* TPrintDialogTool::GetPages() {
    if (FGrid && !IsLive(FGrid)) FGrid = nullptr;
    if (!FGrid && GetPrintDevice() && FPreview) {
        FGrid = TPrintPages::New();
        FGrid->SetFitToOne(FMultiPage);
        FGrid->SetDevice(GetPrintDevice());
        FPreview->InsertElement(0, FGrid);
        FGrid->SetSource(GetSource());
    }
    return FGrid;
}

void TPrintDialogTool::ReleaseGrid() {
    TPrintPages* grid = FGrid && IsLive(FGrid) ? FGrid : nullptr;
    FGrid = nullptr;
    if (Output == grid) Output = nullptr;
    if (!grid) return;
    if (FPreview && FPreview->IndexOf(grid) >= 0) FPreview->FreeElement(grid);
    else Free(grid);
    RecomputePreview();
}

void TPrintDialogTool::RecomputePreview() {
    if (!FPreview) return;
    FPreview->GetRect()->Clear();
    if (FOutline) FPreview->UpdateRect(FOutline->Rect());
    if (FGrid && IsLive(FGrid) && !FGrid->Rect().IsEmpty()) FPreview->UpdateRect(FGrid->Rect());
}

void TPrintDialogTool::SetInput(TElement* element) {
    auto* desktop = As<TDesktop>(element);
    if (!desktop) return;
    FreePreview();
    FSource = desktop;
    FSourceSerial = desktop->Serial();
    FPreview = TDesktop::New();
    FOutline = TDrawRectangle::New();
    FOutline->SetRect(desktop->GetMinX(), desktop->GetMinY(), desktop->GetMaxX(), desktop->GetMaxY());
    FOutline->SetPenColor(0x0000FF);
    FOutline->SetPenWidth(0.002);
    FOutline->SetBrushStyle(bsClear);
    FPreview->AddElement(FOutline);
    GetPages();
    RecomputePreview();
    inherited::SetInput(FPreview);
}

bool TPrintDialogTool::AcceptGrid(double scale, double overlap) {
    TPrintPages* grid = GetPages();
    if (!grid) return false;
    if (grid->GetTooManyPages() || grid->GetNoStep()) {
        ShowErrorMessage(Cz("Tisk by měl příliš mnoho stránek (více než ") + IntToStr(TPrintPages::MaxPages) +
                         Cz("), nastavení se nemění."));
        grid->SetOverlap(overlap);
        grid->SetScale(scale);
        if (FForm) (*FForm)["ed_Scale"].Text = FloatToStr(grid->GetScale());
        RecomputePreview();
        return false;
    }
    RecomputePreview();
    return true;
}

void TPrintDialogTool::FitToPage() {
    TPrintPages* grid = GetPages();
    TDesktop* source = GetSource();
    TDevice* d = GetPrintDevice();
    if (!FForm || !grid || !source || !d || !(*FForm)["b_FitToPage"].Checked) return;
    double ov = grid->GetOverlap();
    double w = d->GetRealWidth() - 2 * ov, h = d->GetRealHeight() - 2 * ov;
    if (!(w > 0) || !(h > 0)) return;
    double sx = source->GetWidth() / w, sy = source->GetHeight() / h;
    double scale = sx > sy ? sx : sy;
    double old = grid->GetScale();
    grid->SetScale(scale);
    if (AcceptGrid(old, ov)) (*FForm)["ed_Scale"].Text = DoubleToStr(scale, 10, 2);
    PostMsg(tm_ReView, this, nullptr, false);
}

void TPrintDialogTool::ScaleEntered() {
    TPrintPages* grid = GetPages();
    if (!FForm || !grid) return;
    double old = grid->GetScale();
    (*FForm)["b_FitToPage"].Checked = false;
    grid->SetScale(StrToExtended(Trim((*FForm)["ed_Scale"].Text)));
    AcceptGrid(old, grid->GetOverlap());
    PostMsg(tm_ReView, this, nullptr, false);
}

void TPrintDialogTool::OverlapEntered() {
    TPrintPages* grid = GetPages();
    if (!FForm || !grid) return;
    double old = grid->GetOverlap();
    (*FForm)["b_FitToPage"].Checked = false;
    grid->SetOverlap(StrToIntDef(Trim((*FForm)["ed_Overlap"].Text), 0) / 1000.0);
    AcceptGrid(grid->GetScale(), old);
    PostMsg(tm_ReView, this, nullptr, false);
}

void TPrintDialogTool::CentreToggled() {
    TPrintPages* grid = GetPages();
    if (!FForm || !grid) return;
    grid->SetCenter((*FForm)["b_CenterPage"].Checked);
    RecomputePreview();
    PostMsg(tm_ReView, this, nullptr, false);
}

void TPrintDialogTool::RasterLinesToggled() {
    if (!FForm) return;
    bool on = (*FForm)["b_RasterLines"].Checked;
    try {
        TIniFile ini(PrintIniFileName());
        ini.WriteBool(kPrintSection, kRasterizeKey, on);
    } catch (const Exception& e) {
        ShowErrorMessage(e.Message());
    }
    if (auto* p = As<TPrintDevice>(GetPrintDevice())) p->SetRasterizeLines(on);
}

void TPrintDialogTool::ReView(TZarixMessage*& message, bool& handled) {
    handled = true;
    TDevice* d = GetDevice();
    if (!d || !FPreview) return;
    if (auto* image = As<TImageCanvasDevice>(d)) image->AdaptToImage();
    d->GetPage()->SetColor(0x808080);
    d->GetPen()->SetMode(pmCopy);
    d->Clear();
    d->GetProjection()->ChangeProjectionByRectangle(FPreview->Rect(), d->GetPage());
    inherited::ReView(message, handled);
}

void TPrintDialogTool::DoIt() {
    if (!Input || !FForm) return;
    inherited::DoIt();
    TDevice* printDevice = GetPrintDevice();
    bool raster = false;
    try {
        TIniFile ini(PrintIniFileName());
        raster = ini.ReadBool(kPrintSection, kRasterizeKey, false);
    } catch (const Exception&) {
    }
    (*FForm)["b_RasterLines"].Checked = raster;
    if (auto* p = As<TPrintDevice>(printDevice)) p->SetRasterizeLines(raster);
    (*FForm)["b_CenterPage"].Checked = true;
    if (TPrintPages* grid = GetPages()) grid->SetCenter(true);
    RecomputePreview();
    (*FForm)["g_Pages"].Visible = FMultiPage;
    for (TControl* c : FForm->Children("g_Pages")) c->Visible = FMultiPage;

    int result = FForm->ShowModal();
    if (!IsLive(this) || !FForm) return;
    if (result != mrOk) {
        Output = nullptr;
        FreeForm();
        FreePreview();
        inherited::SetInput(nullptr);
        return;
    }
    FForm->PrintPressed();
    FForm->Show();
    FForm->SetTimerEnabled(true);
    Output = GetPages();
}

void TPrintDialogTool::TimerTick() {
    if (!FForm || !FForm->TimerEnabled()) return;
    if (Printer().Printing()) {
        (*FForm)["lbTime"].Caption = TimeToStr(Now() - FForm->StartTime);
        // The server prints the job: look again in a while. Without a window system's loop
        // the while is spent here, or the program's loop would run out of messages.
        if (Printer().JobSent()) {
            if (Application().HasEventLoop()) {
                FForm->ArmTimerLater();
            } else {
                Printer().WaitForJob(TPrnDlg::TimerInterval);
                FForm->ArmTimer();
            }
        }
        return;
    }
    FForm->SetTimerEnabled(false);
    if (!Printer().Failure().empty() && !FAborted) {
        FAborted = true;
        ShowErrorMessage(Cz("Problémy s tiskem: ") + FromOsName(Printer().Failure()));
    }
    FForm->Close();
}

void TPrintDialogTool::FormClosed() {
    if (!FForm || !FForm->PrintStarted()) return;
    FForm->SetTimerEnabled(false);
    if (!Printer().Printing() && !FAborted && !Printer().Aborted()) {
        const std::string cr(1, '\r');
        ShowMessage(DateTimeToStr(Now()) + cr + cr + Cz("Ukončen tisk na ") + "\"" + Printer().PrinterName() + "\"" +
                    cr + cr + Cz("Trvání: ") + TimeToStr(Now() - FForm->StartTime));
    }
    // The form is still closing: the tool goes once that is over.
    PostMessage(DialogWindow(), kFreeTool, 0, reinterpret_cast<intptr_t>(this));
}

void TPrintDialogTool::HandleMessage(TZarixMessage*& message, bool& handled) {
    inherited::HandleMessage(message, handled);
    if (handled || !message) return;
    switch (message->Message) {
        case tm_FitToPage: FitToPage(); handled = true; break;
        case tm_ScaleEntered: ScaleEntered(); handled = true; break;
        case tm_OverlapEntered: OverlapEntered(); handled = true; break;
        case tm_CentreToggled: CentreToggled(); handled = true; break;
        case tm_RasterLinesToggled: RasterLinesToggled(); handled = true; break;
        default: break;
    }
}

void TPrintDialogTool::on_tm_QuitTask(TZarixMessage*& message, bool& handled) {
    if (FForm) FForm->SetTimerEnabled(false);
    FreeForm();
    FreePreview();
    inherited::on_tm_QuitTask(message, handled);
}

void RegisterPrintDialogUnit() { RegisterZarixClass<TPrintDialogTool>(); }
