#include "composer/sheet_job.h"

#include <algorithm>
#include <deque>

#include "composer/main_tool.h"
#include "composer/map_sheet_production.h"
#include "composition/default_interpret_script.h"
#include "composition/map_spaces.h"
#include "composition/pages.h"
#include "device/device.h"
#include "device/printer.h"
#include "kernel/class_registry.h"
#include "kernel/world.h"
#include "platform/files.h"
#include "platform/forms.h"
#include "platform/host.h"
#include "platform/sysutils.h"
#include "workbench/form_tool_manager.h"
#include "workbench/key_map_window.h"
#include "workbench/print_job.h"
#include "workbench/print_pages.h"
#include "yesk/held.h"
#include "platform/scope_exit.h"

namespace {

std::string Joined(const std::string& folder, const std::string& name) {
    return folder.empty() ? name : IncludeTrailingPathDelimiter(folder) + name;
}


// The desktop on a grid of printer sheets, one PDF page each; answers the page count.
int32_t PrintOnSheets(TInterpret* interpret, TDesktop* desktop, double overlap, const std::string& pdf) {
    Printer().SetJobFile(MapPath(pdf));
    TDevice* own = interpret->GetDevice();
    TPrintDevice* device = TPrintDevice::New();
    TPrintPages* grid = TPrintPages::New();
    int32_t count = 0;
    try {
        grid->SetDevice(device);
        grid->SetSource(desktop);
        grid->SetOverlap(overlap);
        grid->SetCenter(true);
        interpret->SetPrinting(true);
        interpret->SetDevice(device);
        count = PrintSheetGrid(interpret, device, grid);
    } catch (...) {
        interpret->SetDevice(own);
        interpret->SetPrinting(false);
        Free(grid);
        Printer().Abort();
        Free(device);
        throw;
    }
    interpret->SetDevice(own);
    interpret->SetPrinting(false);
    Free(grid);
    Free(device);  // ends the printer's job
    return count;
}

// Whether the text names one file of a folder: not empty, no folder, no drive, no "..".
bool IsPlainFileName(const std::string& name) {
    if (name.empty() || name == "." || name == "..") return false;
    for (char c : name)
        if (IsPathDelimiter(c) || c == ':' || static_cast<unsigned char>(c) < ' ') return false;
    return true;
}

// Sheet jobs run one after another. A script posts the starts of many jobs at once, and a
// running job lets pending messages run while its window draws: a job started meanwhile
// waits here instead of running inside the running one, which would hold every unfinished
// sheet (its data, desktop, window and print job) until the last one is done.
struct SheetJobs {
    int running = 0;
    std::deque<THeld<TSheetJob>> waiting;
};

SheetJobs& Jobs() {
    static SheetJobs jobs;
    return jobs;
}

// Once no job runs, the first waiting job that still lives is started through the queue.
void StartNextWaitingJob() {
    SheetJobs& jobs = Jobs();
    while (jobs.running == 0 && !jobs.waiting.empty()) {
        TSheetJob* next = jobs.waiting.front().Get();
        jobs.waiting.pop_front();
        if (next) {
            next->PostMsg(tm_StartTask, next, nullptr, false);
            return;
        }
    }
}

}  // namespace

TMapSpace* FindSheetNamed(TEntity* root, const std::string& text) {
    // The space tree nests the sheets in its nodes.
    for (int32_t i = 0; root && i < root->ElementsCount(); ++i) {
        TElement* e = root->Get(i);
        if (auto* sheet = As<TSMO_50>(e); sheet && !sheet->Is<TSMO>()) {
            if (AnsiSameText(sheet->GetName(), text) || AnsiSameText(sheet->GetZkratka(), text)) return sheet;
        } else if (auto* node = As<TEntity>(e)) {
            if (TMapSpace* found = FindSheetNamed(node, text)) return found;
        }
    }
    return nullptr;
}

TMapSpace* SheetInList(TSMO* root, TMapSpace* picked) {
    if (!picked->Is<TSMO_2>()) return picked;
    double x = picked->GetCenterX(), y = picked->GetCenterY();
    TSMO_50* s50 = FindSheetAt(root, x, y);
    if (!s50) return picked;
    TSheetCell cell = SheetCellAt(s50, x, y);
    if (picked->Is<TSMO_50>()) return s50;
    if (picked->Is<TSMO_25>()) return s50->GetDetail25(cell.Col, cell.Row);
    TSMO_10* s10 = s50->GetDetail10(cell.Col, cell.Row);
    if (picked->Is<TSMO_10>()) return s10;
    TSMO_5* s5 = s10->GetDetail(cell.Col, cell.Row);
    if (picked->Is<TSMO_5>()) return s5;
    auto* s2 = static_cast<TSMO_2*>(picked);
    return s5->GetDetail(std::clamp(s2->GetCol(), 0, 1), std::clamp(s2->GetRow(), 0, 1));
}

void TSheetJob::Publish(PropertyTable& t) {
    using C = TSheetJob;
    t.Field("Sheet", &C::Sheet);
    t.Field("TemplateName", &C::TemplateName);
    t.Field("OutputDirectory", &C::OutputDirectory);
    t.Field("Overlap", &C::Overlap);
    t.Field("Selection", &C::Selection);
}

void TSheetJob::on_tm_StartTask(TZarixMessage*&, bool& handled) {
    handled = true;
    if (Jobs().running > 0) {
        Jobs().waiting.emplace_back(this);
        return;
    }
    DoIt();
}

void TSheetJob::DoIt() {
    ++Jobs().running;
    auto next = MakeScopeExit([this] {
        --Jobs().running;
        StartNextWaitingJob();
    });
    MakeSheets();
}

void TSheetJob::MakeSheets() {
    inherited::DoIt();
    Output = nullptr;
    FPng.clear();
    FPdf.clear();
    FPngs.clear();
    auto* main = World ? As<TMainTool>(World->GetMainTool()) : nullptr;
    if (!main) return;
    TOptions* options = main->GetOptions();
    std::vector<TMapSpace*> sheets;
    TSMO* root = TSMO::New();
    AddElement(root);
    try {
        root->ReadSheetList(Joined(options->GetServiceDirectory(), "MAPLSMO.txt"));
    } catch (const Exception& e) {
        ShowErrorMessage(e.Message());
        return;
    }
    if (!Sheet.empty() || Selection.empty()) {
        TMapSpace* sheet = FindSheetNamed(root, Sheet);
        if (!sheet) {
            ShowErrorMessage(Cz("Mapový list nenalezen: ") + Sheet);
            return;
        }
        sheets.push_back(sheet);
    } else {
        std::string error;
        TEntity* list = ReadSheetSelection(Selection, error);
        if (!list) {
            ShowErrorMessage(error);
            return;
        }
        AddElement(list);
        for (int32_t i = 0; i < list->ElementsCount(); ++i)
            if (auto* sheet = As<TMapSpace>(list->Get(i))) sheets.push_back(SheetInList(root, sheet));
    }
    for (TMapSpace* sheet : sheets) {
        MakeSheet(main, sheet);
        if (!FPng.empty()) FPngs.push_back(FPng);
    }
}

void TSheetJob::MakeSheet(TMainTool* main, TMapSpace* sheet) {
    FPng.clear();
    FPdf.clear();
    TOptions* options = main->GetOptions();
    // The abbreviation names the output files: it must stay in the output folder.
    if (!OutputDirectory.empty() && !IsPlainFileName(sheet->GetZkratka())) {
        ShowErrorMessage(Cz("Zkratka mapového listu ") + sheet->GetName() + Cz(" není název souboru: ") +
                         sheet->GetZkratka());
        return;
    }
    std::string path = TemplateName;
    if (!FileExists(path)) path = Joined(options->TemplateDirectory, TemplateName);
    TMapSheetFiller* filler = TMapSheetFiller::New();
    AddElement(filler);
    filler->SetInput(sheet);
    filler->SetInput(TStringElement::New("TEMPLATE", path));
    filler->SetInput(TStringElement::New("DATADIR", options->DataDirectory));
    filler->FillGraphics = true;
    filler->DoIt();
    auto* desktop = As<TDesktop>(filler->Output);
    if (!desktop) return;

    // The map window shows the desktop and keeps it.
    TFormToolManager* window = TFormToolManager::New();
    if (TInterpretScript* script = NewDefaultInterpretScript()) window->SetInterpretScript(script);
    window->SetPageColor(clWhite);
    window->SetInput(desktop);
    main->AddTool(window);
    window->DoIt();
    Application().ProcessMessages();
    Output = desktop;
    if (OutputDirectory.empty()) return;
    ForceDirectories(MapPath(OutputDirectory));
    std::string base = Joined(OutputDirectory, sheet->GetZkratka());
    window->SaveToFile(base + ".png");
    if (FileExists(base + ".png")) FPng = base + ".png";
    if (TInterpret* interpret = window->GetInterpret()) {
        if (PrintOnSheets(interpret, desktop, Overlap / 1000.0, base + ".pdf") > 0 && FileExists(base + ".pdf"))
            FPdf = base + ".pdf";
    }
    // The files are the sheet: its window goes, and the desktop and data with it.
    Output = nullptr;
    main->FreeTool(window);
}

void RegisterSheetJobUnit() { RegisterZarixClass<TSheetJob>(); }
