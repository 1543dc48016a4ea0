#include "workbench/progress_monitor.h"

#include <unistd.h>

#include "kernel/class_registry.h"
#include "platform/forms.h"
#include "platform/host.h"
#include "workbench/terminal_progress_bar.h"
#include "yesk/command_line.h"

namespace {
constexpr int kPanelHeight = 105;
}

// ---- forms --------------------------------------------------------------------------------

TProgressMonitorForm::TProgressMonitorForm() : TForm("TProgressMonitorForm") {
    Caption = "Progress";
    Visible = false;
}

TProcessMonitorForm::TProcessMonitorForm() : TForm("TProcessMonitorForm") {
    Height = kPanelHeight;
    Add(TControlKind::Image, "Image");
    Add(TControlKind::Label, "l_ProcessName", "Process");
    Add(TControlKind::Label, "l_Text", "...");
    Add(TControlKind::ProgressBar, "ProgressBar");
    Add(TControlKind::Button, "b_Break", Cz("Přerušit"));
    OnCloseQuery = [](TForm& f) { return static_cast<TProcessMonitorForm&>(f).MayClose; };
}

// ---- TProcessMonitor ----------------------------------------------------------------------

void TProcessMonitor::Publish(PropertyTable& t) {
    using C = TProcessMonitor;
    t.Obj<C, TElement>("Process", &C::GetProcess, &C::SetProcess);
    t.Str<C>("ProcessName", &C::GetProcessName, &C::SetProcessName);
    t.Str<C>("Text", &C::GetText, &C::SetText);
    t.Int<C>("MinProgress", &C::GetMinProgress, &C::SetMinProgress);
    t.Int<C>("MaxProgress", &C::GetMaxProgress, &C::SetMaxProgress);
    t.Int<C>("Progress", &C::GetProgress, &C::SetProgress);
}

void TProcessMonitor::Create() {
    TTool::Create();
    FForm = std::make_unique<TProcessMonitorForm>();
    // The break: the process, when it is a tool, and every running script.
    FForm->BreakButton().OnClick = [this](TControl&) {
        if (auto* tool = As<TTool>(GetProcess())) tool->SetBreak(true);
        TCommandLine::Break();
    };
}

void TProcessMonitor::Destroy() {
    if (FForm) {
        FForm->MayClose = true;
        FForm->Close();
        FForm.reset();
    }
    TTool::Destroy();
}

TElement* TProcessMonitor::GetProcess() const {
    return FProcess && IsLive(FProcess, FProcessSerial) ? FProcess : nullptr;
}

void TProcessMonitor::SetProcess(TElement* process) {
    FProcess = process;
    FProcessSerial = process ? process->Serial() : 0;
}

bool TProcessMonitor::ProcessGone() const { return FProcess && !GetProcess(); }

std::string TProcessMonitor::GetProcessName() { return FForm ? FForm->ProcessNameLabel().Caption : std::string(); }
void TProcessMonitor::SetProcessName(const std::string& name) {
    if (FForm) FForm->ProcessNameLabel().Caption = name;
}
std::string TProcessMonitor::GetText() { return FForm ? FForm->TextLabel().Caption : std::string(); }
void TProcessMonitor::SetText(const std::string& text) {
    if (FForm) FForm->TextLabel().Caption = text;
}
int32_t TProcessMonitor::GetMinProgress() { return FForm ? static_cast<int32_t>(FForm->Bar().MinValue) : 0; }
void TProcessMonitor::SetMinProgress(int32_t v) {
    if (FForm) FForm->Bar().MinValue = v;
}
int32_t TProcessMonitor::GetMaxProgress() { return FForm ? static_cast<int32_t>(FForm->Bar().MaxValue) : 0; }
void TProcessMonitor::SetMaxProgress(int32_t v) {
    if (FForm) FForm->Bar().MaxValue = v;
}
int32_t TProcessMonitor::GetProgress() { return FForm ? static_cast<int32_t>(FForm->Bar().Value) : 0; }
void TProcessMonitor::SetProgress(int32_t v) {
    if (FForm) FForm->Bar().Value = v;
}

// ---- TProgressMonitor ---------------------------------------------------------------------

void TProgressMonitor::Create() {
    TTechnology::Create();
    FForm = std::make_unique<TProgressMonitorForm>();
    if (dynamic_cast<ConsoleHost*>(&GetUserHost()) && ::isatty(STDERR_FILENO))
        FTerminal = std::make_unique<TTerminalProgressBar>(STDERR_FILENO);
}

void TProgressMonitor::Destroy() {
    if (FTerminal) FTerminal->Draw({}, true);
    FTerminal.reset();
    TTechnology::Destroy();
    FForm.reset();
}

void TProgressMonitor::DrawOnTerminal(int fd) {
    if (FTerminal) FTerminal->Draw({}, true);
    FTerminal.reset();
    if (fd >= 0) FTerminal = std::make_unique<TTerminalProgressBar>(fd);
}

TProcessMonitor* TProgressMonitor::Panel(int32_t index) { return As<TProcessMonitor>(GetTool(index)); }

TProcessMonitor* TProgressMonitor::PanelOf(TElement* process) {
    if (!process) return nullptr;
    for (int32_t i = 0; i < ToolsCount(); ++i)
        if (TProcessMonitor* p = Panel(i); p && p->GetProcess() == process) return p;
    return nullptr;
}

void TProgressMonitor::FitContainer() { FForm->ClientHeight = kPanelHeight * ToolsCount(); }

void TProgressMonitor::Redraw(bool force) {
    if (!FTerminal) return;
    std::vector<TProgressLine> lines;
    for (int32_t i = 0; i < ToolsCount(); ++i) {
        TProcessMonitor* p = Panel(i);
        if (!p || !p->Form()) continue;
        lines.push_back({p->GetProcessName(), p->GetText(), p->Form()->Bar().Visible, p->GetMinProgress(),
                         p->GetMaxProgress(), p->GetProgress()});
    }
    FTerminal->Draw(lines, force);
}

void TProgressMonitor::StartPanel(TZarixMessage* message) {
    TProgressMessage* pm = As<TProgressMessage>(message);
    TProcessMonitor* panel = TProcessMonitor::New();
    AddTool(panel);
    uint64_t serial = panel->Serial();
    // The panel knows its process before the loop runs again, so that an end or a value
    // handled meanwhile finds it.
    panel->SetProcess(message->Sender);
    if (pm) {
        panel->SetProcessName(pm->ProcessName);
        panel->SetMinProgress(pm->MinProgress);
        panel->SetMaxProgress(pm->MaxProgress);
        panel->SetProgress(pm->MinProgress);
    }
    FitContainer();
    if (!FForm->Visible) FForm->Show();
    TProcessMonitorForm* form = panel->Form();
    form->Left = FForm->Left;
    form->Top = FForm->Top + FForm->ClientHeight - form->Height;
    Redraw(true);
    Application().ProcessMessages();
    if (!IsLive(panel, serial)) return;
    if (!pm || (pm->MinProgress == 0 && pm->MaxProgress == 0)) panel->Form()->Bar().Visible = false;
    panel->Form()->Show();
    panel->Form()->Docked = true;
    Redraw(true);
    Application().ProcessMessages();
}

void TProgressMonitor::EndPanel(TElement* process) {
    TProcessMonitor* panel = PanelOf(process);
    if (panel) {
        FreeTool(panel);
    } else {
        // A process freed while its end was queued no longer names itself as sender:
        // the panels of processes that are gone end instead.
        for (int32_t i = ToolsCount() - 1; i >= 0; --i)
            if (TProcessMonitor* p = Panel(i); p && p->ProcessGone()) FreeTool(p);
    }
    if (ToolsCount() > 0) {
        FitContainer();
        Redraw(true);
        return;
    }
    Redraw(true);
    FForm->Hide();
    uint64_t serial = Serial();
    PostMsgToOwners(tm_Done, nullptr, false);
    Application().ProcessMessages();
    if (IsLive(this, serial)) PostMsg(tm_QuitTask, this, nullptr, false);
}

void TProgressMonitor::HandleMessage(TZarixMessage*& message, bool& handled) {
    TTechnology::HandleMessage(message, handled);
    if (handled || !message) return;
    switch (message->Message) {
    case tm_ProgressStart:
        handled = true;
        StartPanel(message);
        break;
    case tm_ProgressValue:
        handled = true;
        if (TProcessMonitor* p = PanelOf(message->Sender)) {
            if (TProgressMessage* pm = As<TProgressMessage>(message)) p->SetProgress(pm->Progress);
            Redraw(false);
        }
        break;
    case tm_ProgressText:
        handled = true;
        if (TProcessMonitor* p = PanelOf(message->Sender)) {
            if (TZarixTextMessage* tm = As<TZarixTextMessage>(message)) p->SetText(tm->GetMessageText());
            Redraw(false);
        }
        break;
    case tm_ProgressEnd:
        handled = true;
        EndPanel(message->Sender);
        break;
    default:
        break;
    }
}

void RegisterProgressMonitorUnit() {
    RegisterZarixClass<TProgressMonitor>();
    RegisterZarixClass<TProcessMonitor>();
}
