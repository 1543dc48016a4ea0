#include "workbench/print_job.h"

#include "device/printer.h"
#include "device/printer_setup_dialog.h"
#include "kernel/class_registry.h"
#include "kernel/messages.h"
#include "kernel/value_elements.h"
#include "kernel/world.h"
#include "platform/files.h"
#include "platform/host.h"
#include "platform/sysutils.h"
#include "workbench/interactive_tools.h"
#include "workbench/main_tool_base.h"
#include "workbench/print_dialog.h"
#include "platform/scope_exit.h"
#include "kernel/element_holder.h"

void RunInterpret(TInterpret* interpret) {
    TZarixMessage* none = nullptr;
    bool handled = false;
    interpret->On_tm_ReView(none, handled);
}

int32_t PrintSheetGrid(TInterpret* interpret, TPrintDevice* device, TPrintPages* grid,
                       const std::function<void(int32_t, int32_t)>& beforeSheet) {
    int32_t count = grid->PageCount();
    double scale = grid->GetScale();
    for (int32_t i = 0; i < count; ++i) {
        TDrawRectangle* sheet = grid->GetPage(i);
        if (!sheet) continue;
        if (beforeSheet) beforeSheet(i, count);
        T2DPoint centre{sheet->GetCenterX(), sheet->GetCenterY()};
        device->GetProjection()->ChangeProjection(centre, device->GetPage(), scale);
        RunInterpret(interpret);
        if (i < count - 1) device->NewPage();
    }
    return count;
}

namespace {

// A line in the main tool's log at once, not queued: a script may have asked the program
// to quit before the job ends.
void LogNow(TElement* sender, const std::string& text) {
    auto* main = World ? As<TOldMainTool>(World->GetMainTool()) : nullptr;
    if (!main || text.empty()) return;
    TElementHolder<TZarixTextMessage> m(TZarixTextMessage::CreateMessage(tm_TextNote, sender, main, nullptr, false));
    m->SetMessageText(text);
    main->ShowLogText(m.Get());
}

std::string SheetCaption(int32_t number, int32_t count) {
    return Cz("Tisk strany č. ") + IntToStr(number) + " (" + IntToStr(count) + ")";
}

}  // namespace

TPrintDialogTool* TPrint::Dialog() const {
    return FDialog && IsLive(FDialog) && FDialog->Is<TPrintDialogTool>() ? FDialog : nullptr;
}

void TPrint::DoIt() {
    inherited::DoIt();
    auto* interpret = As<TInterpret>(Input);
    if (!interpret) return;
    TDevice* own = interpret->GetDevice();
    if (!own) {
        ShowErrorMessage(Cz("Není nastaveno zařízení interpretru"));
        return;
    }
    if (Printer().Printing()) {
        ShowErrorMessage(Cz("Dosud se tiskne"));
        return;
    }
    TPrintDevice* device = nullptr;
    bool printing = false;
    LoadPrinterChoice(PrintIniFileName());
    try {
        device = TPrintDevice::New();
        interpret->SetPrinting(true);
        if (TPageProjection* from = own->GetProjection()) {
            TPageProjection* to = device->GetProjection();
            to->ChangeProjection(from->GetCenter(), device->GetPage(), from->GetScale());
            to->SetVirtualScale(from->GetVirtualScale());
        }
        interpret->SetDevice(device);
        printing = true;
        try {
            auto* entity = As<TEntity>(interpret->Input);
            if (entity) {
                if (auto* desktop = As<TDesktop>(entity->FindElementClass(TDesktop::StaticClass())))
                    PrintDesktop(interpret, device, desktop);
                else if (auto* pages =
                             As<TMultiPageDesktop>(entity->FindElementClass(TMultiPageDesktop::StaticClass())))
                    PrintMultiPageDesktop(interpret, device, pages);
            } else {
                RunInterpret(interpret);
            }
        } catch (const Exception& e) {
            Printer().Abort();
            if (TPrintDialogTool* dialog = Dialog()) dialog->MarkAborted();
            ShowErrorMessage(Cz("Problémy s tiskem: ") + e.Message());
        }
        printing = false;
        if (IsLive(interpret)) {
            interpret->SetDevice(own);
            interpret->SetPrinting(false);
        }
        TPrintDevice* done = device;
        device = nullptr;
        // Ending the job writes the file: a failed write is a printing problem.
        try {
            Free(done);
        } catch (const Exception& e) {
            if (TPrintDialogTool* dialog = Dialog()) dialog->MarkAborted();
            ShowErrorMessage(Cz("Problémy s tiskem: ") + e.Message());
        }
        if (IsLive(interpret)) interpret->PostMsgToOwners(tm_QuitWhenDone, nullptr, false);
        LogNow(this, Printer().TargetNote());
    } catch (const Exception& e) {
        if (device) {
            if (IsLive(interpret)) {
                interpret->SetDevice(own);
                interpret->SetPrinting(false);
            }
            Printer().Abort();
            Free(device);
        }
        if (printing) ShowErrorMessage(Cz("Problémy s tiskem: ") + e.Message());
        else ShowErrorMessage(Cz("Problémy s přípravou tisku: ") + e.Message());
    }
    // The dialog's timer sees the printer idle now and closes the dialog.
    if (TPrintDialogTool* dialog = Dialog(); dialog && dialog->GetForm()) dialog->GetForm()->ArmTimer();
    FDialog = nullptr;
}

void TPrint::PrintDesktop(TInterpret* interpret, TPrintDevice* device, TDesktop* desktop) {
    TPrintDialogTool* dialog = TPrintDialogTool::New();
    FDialog = dialog;
    dialog->SetPrintDevice(device);
    dialog->SetInput(desktop);
    dialog->DoIt();
    auto* grid = IsLive(dialog) ? As<TPrintPages>(dialog->Output) : nullptr;
    if (!grid) {
        if (IsLive(dialog)) Free(dialog);
        FDialog = nullptr;
        Printer().Abort();
        return;
    }
    TPrnDlg* form = dialog->GetForm();
    if (form) {
        form->StartTime = Now();
        (*form)["lbStart"].Caption = TimeToStr(form->StartTime);
    }
    PrintSheetGrid(interpret, device, grid, [&](int32_t, int32_t count) {
        if (count > 1 && form && IsLive(dialog) && dialog->GetForm() == form)
            form->Caption = SheetCaption(Printer().PageNumber(), count);
    });
    if (IsLive(dialog)) dialog->ReleaseGrid();
}

void TPrint::PrintMultiPageDesktop(TInterpret* interpret, TPrintDevice* device, TMultiPageDesktop* pages) {
    TDesktop* first = pages->GetPage(0);
    if (!first) return;
    TPrintDialogTool* dialog = TPrintDialogTool::New();
    FDialog = dialog;
    dialog->SetMultiPage(true);
    dialog->SetPrintDevice(device);
    dialog->SetInput(first);
    dialog->DoIt();
    TIntegerListElement* list = nullptr;
    TPrnDlg* form = IsLive(dialog) ? dialog->GetForm() : nullptr;
    if (form && (*form)["r_Pages"].Checked) {
        list = TIntegerListElement::New();
        list->SetValuesString((*form)["ed_Pages"].Text);
    }
    auto* grid = IsLive(dialog) ? As<TPrintPages>(dialog->Output) : nullptr;
    if (!grid || !grid->GetPage(0)) {
        Free(list);
        if (IsLive(dialog)) Free(dialog);
        FDialog = nullptr;
        Printer().Abort();
        return;
    }
    TDrawRectangle* sheet = grid->GetPage(0);
    double dx = sheet->GetCenterX() - first->GetCenterX();
    double dy = sheet->GetCenterY() - first->GetCenterY();
    double scale = grid->GetScale();
    if (form) {
        form->StartTime = Now();
        (*form)["lbStart"].Caption = TimeToStr(form->StartTime);
    }
    TElement* input = interpret->Input;
    auto finish = MakeScopeExit([&] {
        if (IsLive(dialog)) dialog->ReleaseGrid();
        Free(list);
        list = nullptr;
        if (IsLive(interpret)) interpret->SetInput(input);
    });
    bool printed = false;
    int32_t count = pages->PageCount();
    for (int32_t r = 0; r < count; ++r) {
        TDesktop* page = pages->GetPage(r);
        if (!page) continue;
        pages->SetActualPage(page);
        int32_t number = pages->GetActualNumber();
        if (list && !list->ValueExists(number)) continue;
        if (form && IsLive(dialog) && dialog->GetForm() == form) form->Caption = SheetCaption(number, count);
        if (printed) device->NewPage();
        printed = true;
        T2DPoint centre{page->GetCenterX() + dx, page->GetCenterY() + dy};
        device->GetProjection()->ChangeProjection(centre, device->GetPage(), scale);
        interpret->SetInput(page);
        RunInterpret(interpret);
    }
}

void RegisterPrintJobUnit() { RegisterZarixClass<TPrint>(); }
