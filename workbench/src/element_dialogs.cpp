#include "workbench/element_dialogs.h"

#include <cmath>
#include <memory>

#include "composition/pages.h"
#include "drive_lists.h"
#include "kernel/element_holder.h"
#include "kernel/value_elements.h"
#include "platform/files.h"
#include "platform/host.h"
#include "platform/sysutils.h"
#include "quintel/quintel.h"
#include "raster/raster.h"
#include "workbench/length_units.h"

// ---- view dialog --------------------------------------------------------------------------

TSetupViewDialog::TSetupViewDialog() : TForm("TSetupViewDialog") {
    Caption = Cz("Nastavení vlastností View");
    Add(TControlKind::Edit, "edName");
    const std::vector<std::string> scales = {"1000", "5000", "10000", "50000", "100000", "1000000"};
    Add(TControlKind::ComboBox, "edScale").Items = scales;
    Add(TControlKind::ComboBox, "edVirtualScale").Items = scales;
    Add(TControlKind::ComboBox, "edControlView");
    Add(TControlKind::CheckBox, "cbReadAfter", Cz("Opožděné načtení modelu "));
    Add(TControlKind::Button, "b_Layers", "Editace vrstev");
    Add(TControlKind::Button, "OK", "OK");
    Add(TControlKind::Button, "Cancel", "Cancel").ModalResult = mrCancel;
}

namespace {

std::string ScaleText(double scale) {
    if (!std::isfinite(scale) || std::fabs(scale) >= 9.2e18) return FloatToStr(scale);
    return IntToStr(static_cast<int64_t>(std::trunc(scale)));
}

bool ScaleOk(const std::string& text, double& v) { return ParseNumber(text, v) && v > 0; }

}  // namespace

void TViewDialog::EditLayers(TView* view) {
    auto toList = Hold(TStringListFromModelScript::New());
    toList->SetInput(view->GetModelScript());
    toList->DoIt();
    TElement* lines = toList->Output;
    auto dialog = Hold(TLayerImportDialog::New());
    dialog->SetDataDirectory(DataDirectory);
    dialog->SetInput(lines);
    dialog->DoIt();
    TElement* edited = dialog->Output;
    if (lines) Free(lines);
    if (!edited) return;  // cancelled: the script stays
    auto creator = Hold(TModelScriptCreator::New());
    creator->SetDataDirectory(DataDirectory);
    creator->SetInput(edited);
    creator->DoIt();
    Free(edited);
    TModelScript* script = As<TModelScript>(creator->Output);
    if (!script) {
        if (creator->Output) Free(creator->Output);
        return;
    }
    view->FreeElement(view->GetModelScript());
    view->AddElement(script);
}

void TViewDialog::DoIt() {
    TTool::DoIt();
    TView* view = As<TView>(Input);
    if (!view) return;
    auto form = std::make_unique<TSetupViewDialog>();
    TForm& f = *form;
    f["edName"].Text = view->GetName();
    f["edScale"].Text = ScaleText(view->GetScale());
    f["edVirtualScale"].Text = ScaleText(view->GetVirtualScale());
    f["cbReadAfter"].Checked = view->GetReadAfter();
    TControl& control = f["edControlView"];
    if (TEntity* desk = view->FindOwnerClass(TDesktop::StaticClass())) {
        for (int i = 0; i < desk->ElementsCount(); ++i)
            if (As<TView>(desk->Get(i))) control.Items.push_back(desk->Get(i)->GetName());
    }
    if (control.Items.empty()) control.Items.push_back(view->GetName());
    control.Text = view->GetControlViewName();
    f["b_Layers"].OnClick = [this, view](TControl&) { EditLayers(view); };
    f["OK"].OnClick = [view](TControl& c) {
        TForm& form = c.Form();
        double scale = 0, virtualScale = 0;
        bool ok = true;
        if (!ScaleOk(form["edScale"].Text, scale)) {
            form["edScale"].Text = ScaleText(view->GetScale());
            ok = false;
        }
        if (!ScaleOk(form["edVirtualScale"].Text, virtualScale)) {
            form["edVirtualScale"].Text = ScaleText(view->GetVirtualScale());
            ok = false;
        }
        if (ok) form.ModalResult = mrOk;  // a refused field keeps the form open
    };
    if (f.ShowModal() != mrOk) return;
    double scale = 0, virtualScale = 0;
    if (!ScaleOk(f["edScale"].Text, scale) || !ScaleOk(f["edVirtualScale"].Text, virtualScale)) return;
    view->SetName(f["edName"].Text);
    view->SetScale(scale);
    view->SetVirtualScale(virtualScale);
    view->SetControlViewName(f["edControlView"].Text);
    view->SetReadAfter(f["cbReadAfter"].Checked);
}

// ---- pen width dialog ---------------------------------------------------------------------

TPenWidthDialog::TPenWidthDialog() : TForm("TPenWidthDialog") {
    Caption = Cz("Síla pera");
    Add(TControlKind::Edit, "ed_Width").OnChange = [this](TControl& c) {
        if (FFilling) return;
        double v = 0;
        if (ParseNumber(c.Text, v))
            FWidth = v < 0.1 ? 0 : v;
        else
            Show();
    };
    for (int step : {1, -1})
        Add(TControlKind::Button, step > 0 ? "ed_WidthUp" : "ed_WidthDown").OnClick = [this, step](TControl&) {
            SetWidth(FWidth + step * 0.1);
        };
    Add(TControlKind::Button, "OK", "OK").ModalResult = mrOk;
    Add(TControlKind::Button, "Storno", "Storno").ModalResult = mrCancel;
    Show();
}

void TPenWidthDialog::SetWidth(double mm) {
    FWidth = mm < 0.1 - 1e-9 ? 0 : mm;
    Show();
}

void TPenWidthDialog::Show() {
    FFilling = true;
    (*this)["ed_Width"].Text = FixedText(FWidth, 7, 1);
    FFilling = false;
}

// ---- picture dialog -----------------------------------------------------------------------

TNewBMPDlg::TNewBMPDlg() : TForm("TNewBMPDlg") {
    Caption = Cz("Otevření souboru BMP");
    TControl& drive = Add(TControlKind::ComboBox, "Drive");
    drive.Items = DriveItems();
    drive.OnChange = [this](TControl& c) { SetFolder(c.Text + "\\"); };
    Add(TControlKind::ListBox, "Directory").OnChange = [this](TControl& c) {
        if (c.ItemIndex >= 0 && c.ItemIndex < static_cast<int>(c.Items.size()) && c.Text == c.Items[c.ItemIndex])
            SetFolder(FolderOfItem(FFolder, c.Text));
        else
            SetFolder(c.Text);
    };
    Add(TControlKind::ListBox, "FileList").OnChange = [this](TControl& c) { Preview(c.Text); };
    Add(TControlKind::Panel, "Panel");
    Add(TControlKind::Image, "Image");
    Add(TControlKind::Button, "OK", "OK").ModalResult = mrOk;
    Add(TControlKind::Button, "Storno", "Storno").ModalResult = mrCancel;
    ShowFolder(GetCurrentDir());
}

void TNewBMPDlg::SetFolder(const std::string& folder) {
    if (!folder.empty() && DirectoryExists(folder)) ShowFolder(folder);
    else ShowFolder(FFolder);
}

void TNewBMPDlg::ShowFolder(const std::string& folder) {
    FFolder = folder;
    TControl& dirs = (*this)["Directory"];
    dirs.Text = folder;
    dirs.ItemIndex = -1;
    dirs.Items.clear();
    TControl& files = (*this)["FileList"];
    files.Items.clear();
    files.ItemIndex = -1;
    files.Text.clear();
    TSearchRec rec;
    std::vector<std::string> masks;
    for (std::string m = FileMask(); !m.empty();) {
        size_t p = m.find(';');
        masks.push_back(m.substr(0, p));
        m = p == std::string::npos ? std::string() : m.substr(p + 1);
    }
    for (int r = FindFirst(IncludeTrailingPathDelimiter(folder) + "*.*", faDirectory, rec); r == 0; r = FindNext(rec)) {
        if (rec.Attr & faDirectory) {
            if (rec.Name != ".") dirs.Items.push_back(rec.Name);
            continue;
        }
        for (const std::string& m : masks)
            if (MatchesMask(rec.Name, m)) {
                files.Items.push_back(rec.Name);
                break;
            }
    }
    FindClose(rec);
    (*this)["Drive"].Text = DriveOf(folder);
}

void TNewBMPDlg::Preview(const std::string& name) {
    TControl& image = (*this)["Image"];
    image.Caption.clear();
    image.Value = image.MaxValue = 0;
    if (name.empty()) return;
    try {
        TRasterImage picture;
        LoadPictureFile(IncludeTrailingPathDelimiter(FFolder) + name, picture);
        image.Caption = name;  // the picture shown, and its size
        image.Value = picture.Width();
        image.MaxValue = picture.Height();
    } catch (Exception&) {
        // a file that is no picture shows nothing
    }
}

std::string TNewBMPDlg::FileName() const {
    const std::string& name = (*this)["FileList"].Text;
    return name.empty() ? std::string() : IncludeTrailingPathDelimiter(FFolder) + name;
}

void TNewBMPDlg::SetFileName(const std::string& path) {
    SetFolder(ExtractFileDir(path));
    (*this)["FileList"].Pick(ExtractFileName(path));
}

void TNewBMPDlg::SetPanelHeight(int height) {
    (*this)["Panel"].Value = height;
    (*this)["FileList"].Value = height - 133;
}
