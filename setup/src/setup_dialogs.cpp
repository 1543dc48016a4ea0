#include "setup/setup_dialogs.h"

#include "platform/controls.h"
#include "platform/files.h"
#include "platform/host.h"
#include "platform/sysutils.h"
#include "setup/string_routines.h"
#include "platform/scope_exit.h"

namespace setup {

namespace {
TSetupDialog* g_active = nullptr;
}

TSetupDialog* ActiveSetupDialog() { return g_active; }

const TSetupControl* TSetupDialog::Find(const std::string& name) const {
    std::string upper = AnsiUpperCase(name);
    for (const TSetupControl& c : panel_)
        if (AnsiUpperCase(c.name) == upper) return &c;
    return nullptr;
}

TSetupControl* TSetupDialog::FindControl(const std::string& name) {
    return const_cast<TSetupControl*>(Find(name));
}

int TSetupDialog::RowOf(const std::string& name) {
    size_t i = name.size();
    while (i > 0 && name[i - 1] >= '0' && name[i - 1] <= '9') --i;
    if (i == name.size() || name.size() - i > 6) return -1;
    return std::stoi(name.substr(i));
}

void TSetupDialog::GrowTo(int bottom) {
    if (panelHeight_ < bottom) {
        clientHeight_ += bottom - panelHeight_;
        panelHeight_ = bottom;
    }
}

int TSetupDialog::ShowModal() {
    TSetupDialog* outer = g_active;
    g_active = this;
    TForm form(ClassName());
    form.Caption = caption_;
    form.Add(TControlKind::Panel, "Panel");
    for (const TSetupControl& c : panel_) {
        char prefix = AnsiUpperCase(c.name).front();
        TControlKind kind = prefix == 'E'   ? TControlKind::Edit
                            : prefix == 'S' ? TControlKind::Button
                            : prefix == 'C' ? TControlKind::CheckBox
                                            : TControlKind::Label;
        TControl& w = form.Add(kind, c.name, kind == TControlKind::Edit ? std::string() : c.text, "Panel");
        if (kind == TControlKind::Edit) w.Text = c.text;
        w.Checked = c.checked;
        w.Left = c.left, w.Top = c.top, w.Width = c.width, w.Height = c.height;
        auto used = [this, &form](TControl& control) { ControlUsed(form, control); };
        if (kind == TControlKind::Edit) w.OnChange = used;
        else w.OnClick = used;
    }
    form.Add(TControlKind::Button, "OK", "OK").ModalResult = mrOk;
    form.Add(TControlKind::Button, "Konec", "Konec").ModalResult = mrCancel;
    form.Add(TControlKind::Button, "Zpet", Cz("Zpět")).ModalResult = mrBack;
    // Esc is "Konec", Enter the default "OK".
    form.OnKeyDown = [](TForm& f, uint16_t key, uint32_t) {
        if (key == 27) f["Konec"].Click();
        else if (key == 13) f["OK"].Click();
    };
    auto restore = MakeScopeExit([outer] { g_active = outer; });
    return form.ShowModal();
}

TDirDlg::TDirDlg(TStringList& varDirs) : varDirs_(varDirs) {
    caption_ = Cz("Nastavení adresářů pro instalaci");
    TSetupControl label{"L0", "", 8, 12, 150, 13, false};
    TSetupControl edit{"E0", "", 160, 8, 300, 21, false};
    TSetupControl button{"S0", "...", 464, 8, 23, 21, false};
    int bottom = 0;
    for (int i = 0; i < varDirs.Count(); ++i) {
        std::string name, value;
        StringAsParameter(varDirs[i], name, value);
        if (i > 0) {
            edit.top += edit.height + 5;
            label.top = edit.top;  // the whole row at the edit's top
            button.top = edit.top;
        }
        std::string n = std::to_string(i);
        panel_.push_back(TSetupControl{"E" + n, value, edit.left, edit.top, edit.width, edit.height, false});
        panel_.push_back(TSetupControl{"L" + n, name, label.left, label.top, label.width, label.height, false});
        panel_.push_back(TSetupControl{"S" + n, "...", button.left, button.top, button.width, edit.height, false});
        bottom = edit.top + edit.height;
    }
    if (varDirs.Count() > 1) GrowTo(bottom + 10);
}

void TDirDlg::SetEditText(const std::string& editName, const std::string& text) {
    TSetupControl* edit = FindControl(editName);
    if (!edit || AnsiUpperCase(editName).front() != 'E') return;
    edit->text = text;
    const TSetupControl* label = Find("L" + std::to_string(RowOf(editName)));
    if (label) varDirs_.SetValue(label->text, text);
}

void TDirDlg::ClickBrowse(const std::string& buttonName) {
    if (AnsiUpperCase(buttonName).front() != 'S') return;
    std::string editName = "E" + std::to_string(RowOf(buttonName));
    const TSetupControl* edit = Find(editName);
    if (!edit) return;
    std::string folder = DirectoryExists(edit->text) ? edit->text : "c:\\";
    if (GetUserHost().SelectDirectory(Cz("Výběr složky"), folder)) SetEditText(editName, folder);
}

void TDirDlg::ControlUsed(TForm& form, TControl& control) {
    if (control.Kind == TControlKind::Edit) {
        SetEditText(control.Name, control.Text);
        return;
    }
    ClickBrowse(control.Name);
    std::string editName = "E" + std::to_string(RowOf(control.Name));
    if (TControl* edit = form.Find(editName); edit && Find(editName)) edit->Text = Find(editName)->text;
}

TOptDlg::TOptDlg(TStringList& options) : options_(options) {
    caption_ = Cz("Podmínky instalace");
    TSetupControl box{"C0", "", 16, 8, 300, 17, false};
    int bottom = 0;
    for (int i = 0; i < options.Count(); ++i) {
        std::string name, value;
        StringAsParameter(options[i], name, value);
        if (i > 0) box.top += box.height + 10;
        panel_.push_back(TSetupControl{"C" + std::to_string(i), name, box.left, box.top, box.width, box.height,
                                       AnsiUpperCase(value) == "TRUE"});
        bottom = box.top + box.height;
    }
    if (options.Count() > 1) GrowTo(bottom + 10);
}

void TOptDlg::ClickCheckBox(const std::string& boxName) {
    TSetupControl* box = FindControl(boxName);
    if (!box || AnsiUpperCase(boxName).front() != 'C') return;
    box->checked = !box->checked;
    options_.SetValue(box->text, box->checked ? "TRUE" : "FALSE");
}

}  // namespace setup

namespace setup {

void TOptDlg::ControlUsed(TForm&, TControl& control) {
    const TSetupControl* box = Find(control.Name);
    if (box && box->checked != control.Checked) ClickCheckBox(control.Name);
}

}  // namespace setup
