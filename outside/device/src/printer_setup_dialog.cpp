#include "device/printer_setup_dialog.h"

#include <algorithm>

#include "device/printer.h"
#include "platform/files.h"
#include "platform/host.h"
#include "platform/inifiles.h"
#include "platform/sysutils.h"

namespace {

const TPrintQueue* QueueAt(const std::vector<TPrintQueue>& queues, int index) {
    return index >= 0 && index < static_cast<int>(queues.size()) ? &queues[static_cast<size_t>(index)] : nullptr;
}

}  // namespace

TPrinterSetupDialog::TPrinterSetupDialog() : TForm("TPrinterSetupDialog") {
    Caption = Cz("Nastavení tisku");
    Add(TControlKind::Label, "l_Printer", Cz("Tiskárna:"));
    Add(TControlKind::ComboBox, "cb_Printer").OnChange = [this](TControl&) { ShowPapers(); };
    Add(TControlKind::Label, "l_Paper", Cz("Papír:"));
    Add(TControlKind::ComboBox, "cb_Paper");
    Add(TControlKind::RadioButton, "r_Portrait", Cz("Na výšku")).Checked = true;
    Add(TControlKind::RadioButton, "r_Landscape", Cz("Na šířku"));
    Add(TControlKind::Label, "l_Target");
    Add(TControlKind::Button, "OK", "OK").ModalResult = mrOk;
    Add(TControlKind::Button, "Storno", "Storno").ModalResult = mrCancel;
}

// The paper sizes and orientation of the chosen queue, the printer's choice where it fits.
void TPrinterSetupDialog::ShowPapers() {
    TControl& paper = (*this)["cb_Paper"];
    paper.Items.clear();
    paper.ItemIndex = -1;
    paper.Text.clear();
    const TPrintQueue* q = QueueAt(Queues, (*this)["cb_Printer"].ItemIndex);
    if (!q) return;
    bool chosen = q->name == Printer().Queue();
    std::string media = chosen && !Printer().Media().empty() ? Printer().Media() : q->defaultMedia;
    for (const TPaperSize& p : q->papers) {
        paper.Items.push_back(FromOsName(p.name));
        if (p.media == media) paper.ItemIndex = static_cast<int>(paper.Items.size()) - 1;
    }
    if (paper.ItemIndex < 0 && !paper.Items.empty()) paper.ItemIndex = 0;
    if (paper.ItemIndex >= 0) paper.Text = paper.Items[static_cast<size_t>(paper.ItemIndex)];
    bool landscape = chosen ? Printer().Landscape().value_or(q->landscapeDefault) : q->landscapeDefault;
    (*this)["r_Landscape"].Checked = landscape;
    (*this)["r_Portrait"].Checked = !landscape;
}

bool TPrinterSetupDialog::Execute(const std::string& iniFileName) {
    if (!QueuesKnown) Queues = Printer().Queues();
    TControl& printer = (*this)["cb_Printer"];
    printer.Items.clear();
    printer.ItemIndex = Queues.empty() ? -1 : 0;
    for (const TPrintQueue& q : Queues) {
        printer.Items.push_back(FromOsName(q.name));
        if (q.name == Printer().Queue()) printer.ItemIndex = static_cast<int>(printer.Items.size()) - 1;
    }
    printer.Text = printer.ItemIndex >= 0 ? printer.Items[static_cast<size_t>(printer.ItemIndex)] : std::string();
    ShowPapers();
    (*this)["l_Target"].Caption =
        Queues.empty() ? Cz("Tisk do souboru \"") + FromOsName(Printer().FileName()) + Cz("\": žádná tiskárna") : "";
    ModalResult = mrNone;
    if (ShowModal() != mrOk) return false;
    const TPrintQueue* q = QueueAt(Queues, printer.ItemIndex);
    if (!q) return false;
    std::string media;
    int paper = (*this)["cb_Paper"].ItemIndex;
    if (paper >= 0 && paper < static_cast<int>(q->papers.size())) media = q->papers[static_cast<size_t>(paper)].media;
    bool landscape = (*this)["r_Landscape"].Checked;
    Printer().SetQueue(q->name, media, landscape);
    try {
        TIniFile ini(iniFileName);
        ini.WriteString(kPrinterSection, kPrinterKey, FromOsName(q->name));
        ini.WriteString(kPrinterSection, kPaperKey, media);
        ini.WriteBool(kPrinterSection, kLandscapeKey, landscape);
    } catch (const Exception& e) {
        ShowErrorMessage(e.Message());
    }
    return true;
}

void LoadPrinterChoice(const std::string& iniFileName) {
    try {
        TIniFile ini(iniFileName);
        if (!ini.ValueExists(kPrinterSection, kPrinterKey)) return;
        std::optional<bool> landscape;
        if (ini.ValueExists(kPrinterSection, kLandscapeKey)) landscape = ini.ReadBool(kPrinterSection, kLandscapeKey, false);
        Printer().SetQueue(ToUtf8(ini.ReadString(kPrinterSection, kPrinterKey, "")),
                           ini.ReadString(kPrinterSection, kPaperKey, ""), landscape);
    } catch (const Exception&) {
    }
}
