#include "checker/checking_program.h"

#include "platform/files.h"
#include "platform/forms.h"
#include "platform/host.h"
#include "symbol/symbol.h"
#include "workbench/folder_dialogs.h"

namespace tarvine {

// ---- TOptions -------------------------------------------------------------------------

void TOptions::Publish(PropertyTable& t) {
    using C = TOptions;
    t.Field("StartScript", &C::StartScript);
    t.Field("DataSetScript", &C::DataSetScript);
    t.Field("ControlSetScript", &C::ControlSetScript);
    t.Field("RunScript", &C::RunScript);
    t.Field("EndScript", &C::EndScript);
    t.Field("WorkingDirectory", &C::WorkingDirectory);
    t.Str<C>("ServiceDirectory", &C::GetServiceDirectory, &C::SetServiceDirectory);
    t.Field("DataDirectory", &C::DataDirectory);
    t.Field("ScriptDirectory", &C::ScriptDirectory);
    t.Field("INE", &C::INE);
}

void TOptions::Create() {
    inherited::Create();
    WorkingDirectory = DataDirectory = GetCurrentDir();
}

void TOptions::SetServiceDirectory(const std::string& value) {
    FServiceDirectory = value;
    PathOfLibraries = value;
}

// ---- TF_Options -----------------------------------------------------------------------

TF_Options::TF_Options() : TForm("TF_Options") {
    Caption = Cz("Možnosti");
    struct Field {
        const char* group;
        const char* name;
        const char* caption;
        bool readOnly;
        bool script;
    };
    static const Field kFields[] = {
        {"gb_Folders", "ed_Work", "Pracovní:", true, false},    {"gb_Folders", "ed_Service", "Značky:", false, false},
        {"gb_Folders", "ed_Data", "Datový:", false, false},     {"gb_Folders", "ed_EXE", "Spouštěcí:", true, false},
        {"gb_Folders", "ed_Script", "Skripty:", false, false},  {"gb_Scripts", "ed_Start", "Úvodní:", false, true},
        {"gb_Scripts", "ed_DataSet", "Nast. dat:", false, true}, {"gb_Scripts", "ed_ControlSet", "Nast. kontrol:", false, true},
        {"gb_Scripts", "ed_Run", "Spuštění:", false, true},     {"gb_Scripts", "ed_End", "Ukončení:", false, true},
    };
    Add(TControlKind::GroupBox, "gb_Folders", Cz("Adresáře neboli složky:"));
    Add(TControlKind::GroupBox, "gb_Scripts", Cz("Skripty:"));
    for (const Field& f : kFields) {
        TControl& edit = Add(TControlKind::Edit, f.name, Cz(f.caption), f.group);
        edit.ReadOnly = f.readOnly;
        if (f.readOnly) continue;
        std::string field = f.name;
        bool script = f.script;
        Add(TControlKind::Button, "b" + field.substr(2), ". . .", f.group).OnClick = [this, field, script](TControl&) {
            if (script) BrowseScript(field);
            else BrowseFolderInto((*this)[field]);
        };
    }
    // Kept from the original window; nothing reads them.
    Add(TControlKind::CheckBox, "cb_FreeRasters", Cz("Rušit dekomprimované rastry"));
    Add(TControlKind::CheckBox, "cb_Memory", Cz("Agresivně využívat paměť"));
    Add(TControlKind::Button, "OK", "OK").ModalResult = mrOk;
    Add(TControlKind::Button, "Storno", "Storno").ModalResult = mrCancel;
}

void TF_Options::BrowseScript(const std::string& field) {
    std::string file = (*this)[field].Text;
    if (GetUserHost().SelectFile("soubory YESK,TXT|*.YESK;*.txt", (*this)["ed_Script"].Text, file))
        (*this)[field].Text = file;
}

}  // namespace tarvine
