#include "checker/checking_program.h"

#include "checker/check_set_editor.h"
#include "checker/check_tools.h"
#include "composition/text_devices.h"
#include "kernel/class_registry.h"
#include "kernel/file_routines.h"
#include "kernel/string_routines.h"
#include "kernel/world.h"
#include "platform/files.h"
#include "platform/forms.h"
#include "platform/host.h"
#include "symbol/symbol.h"
#include "workbench/folder_dialogs.h"
#include "workbench/program_startup.h"
#include "yesk/command_line.h"

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

// ---- TMainTool ------------------------------------------------------------------------

void TMainTool::Publish(PropertyTable& t) {
    using C = TMainTool;
    t.Obj<C, TOptions>("Options", &C::GetOptions, &C::SetOptions);
    PublishShared(t);
}

void TMainTool::SetOptionsObject(TBaseOptions* options) { SetOptions(As<TOptions>(options)); }

void TMainTool::LoadOptions() { LoadOptionsFromIni(GetOptions(), GetIniFileName()); }

void TMainTool::SaveOptions() { SaveOptionsToIni(GetOptions(), GetIniFileName()); }

std::string TMainTool::GetIniDirectory() { return IncludeTrailingPathDelimiter(GetOptions()->WorkingDirectory); }

TForm* TMainTool::CreateMainForm() {
    auto* form = new TMainForm(this);
    form->MayClose = false;
    form->Show();
    return form;
}

void TMainTool::ShowCheckLabel() {
    if (FMainForm) (*FMainForm)["l_Control"].Caption = "Kontr: " + GetOptions()->INE;
}

void TMainTool::ShowDataLabel() {
    if (FMainForm) (*FMainForm)["l_Data"].Caption = "Data: " + GetOptions()->DataDirectory;
}

void TMainTool::DoIt() {
    TOptions* options = GetOptions();
    options->WorkingDirectory = options->DataDirectory = GetCurrentDir();
    // The cursor table before the options; no plug-ins.
    LoadCursors();
    InitOptions();
    StartMainForm();
    std::string start = FindParamByExtension(".YESK");
    RunScript(!start.empty() && FileExists(start) ? start : GetOptions()->StartScript);
    std::string folder = ExecPath();
    for (const char* name : {"SysReg.Yesk", "Model.Yesk"}) {
        std::string path = folder + name;
        if (FileExists(path)) RunScript(path);
        else ShowMessage(Cz("Nelze nalézt soubor ") + path);
    }
    ShowCheckLabel();
    ShowDataLabel();
}

void TMainTool::ShowLogText(TZarixMessage* message) {
    inherited::ShowLogText(message);
    auto* text = As<TZarixTextMessage>(message);
    if (!text) return;
    TDevice* device = FTextDevice.Get();
    if (!device) {
        device = NewRegistered<TDevice>("TMemoFormDevice");
        if (!device) return;
        FTextDevice.Set(device);
    }
    device->WriteLine(text->GetMessageText());
}

void TMainTool::ForgetFreedElement(TZarixMessage* message) {
    inherited::ForgetFreedElement(message);
    // The window stays open; the next text opens a new one.
    FTextDevice.Set(nullptr);
    SetText(Cz("Textové zařízení - ukončeno"));
}

void TMainTool::on_tm_QuitTask(TZarixMessage*&, bool&) {
    SaveOptions();
    if (MessageDlg(Cz("Opravdu ukončit aplikaci ?"), mtConfirmation, mbYesNoCancel, 0) == mrYes)
        Application().Terminate();
}

void TMainTool::Destroy() {
    FTextDevice.Set(nullptr);
    inherited::Destroy();
}

void TMainTool::HandleMessage(TZarixMessage*& message, bool& handled) {
    inherited::HandleMessage(message, handled);
    if (handled || !message) return;
    TElement* data = message->Data;
    switch (message->Message) {
        case msg::OpenComposition: OpenMapWindow(data); break;
        case msg::Explore: ExploreElement(data, false); break;
        case msg::ExploreOwners: ExploreElement(data, true); break;
        case msg::EditProperties: EditElementProperties(data); break;
        case msg::ImportLayers: ImportLayersFrom(GetOptions()->DataDirectory); break;
        case msg::ChooseDataFolder:
            ChooseDataFolder();
            handled = true;
            break;
        case msg::OptionsDialog:
            OptionsDialog();
            handled = true;
            break;
        case msg::DataSetScript:
            RunScript(GetOptions()->DataSetScript);
            // The data set-up may choose another data folder.
            ShowDataLabel();
            handled = true;
            break;
        case msg::ControlSetScript:
            RunScript(GetOptions()->ControlSetScript);
            ShowCheckLabel();
            handled = true;
            break;
        case msg::RunScript:
            RunScript(GetOptions()->RunScript);
            handled = true;
            break;
        default: break;
    }
}

void TMainTool::ChooseDataFolder() {
    Tf_SelectDir form;
    form.ReportErrors = false;
    TOptions* options = GetOptions();
    try {
        form.SetFolder(options->DataDirectory);
    } catch (Exception&) {
        form.SetFolder(GetCurrentDir());
    }
    if (form.ShowModal() == mrOk) options->DataDirectory = form.Folder();
}

void TMainTool::OptionsDialog() {
    TF_Options form;
    TOptions* options = GetOptions();
    struct Field {
        const char* name;
        std::string TOptions::*option;
    };
    static const Field kFields[] = {
        {"ed_Start", &TOptions::StartScript},       {"ed_DataSet", &TOptions::DataSetScript},
        {"ed_ControlSet", &TOptions::ControlSetScript}, {"ed_Run", &TOptions::RunScript},
        {"ed_End", &TOptions::EndScript},           {"ed_Work", &TOptions::WorkingDirectory},
        {"ed_Data", &TOptions::DataDirectory},      {"ed_Script", &TOptions::ScriptDirectory},
    };
    for (const Field& f : kFields) form[f.name].Text = options->*f.option;
    form["ed_EXE"].Text = ExecPath();
    form["ed_Service"].Text = options->GetServiceDirectory();
    if (form.ShowModal() == mrOk) {
        for (const Field& f : kFields) options->*f.option = form[f.name].Text;
        options->SetServiceDirectory(form["ed_Service"].Text);
    }
    ShowDataLabel();
}

// ---- TMainForm ------------------------------------------------------------------------

TMainForm::TMainForm(TOldMainTool* tool) : TMainForm2(tool, "TMainForm") {
    Application().SetHintColor(65280);
    // The application's hint shows in the status bar.
    Application().OnHint = [this] { (*this)["StatusBar"].Text = Application().Hint(); };
    (*this)["Picture"].Hint = Cz("Levým tlačítkem myši získáte info o aplikaci, pravým nabídku");
    Add(TControlKind::Label, "l_Data").Hint = Cz("Nastavená datová složka");
    Add(TControlKind::Label, "l_Control").Hint = Cz("Soubor aktuální kontroly");
    TControl& bar = Add(TControlKind::ProgressBar, "ProgressBar");
    bar.MinValue = 0;
    bar.MaxValue = 100;
    bar.Visible = false;
    struct Button {
        const char* name;
        const char* caption;
        const char* hint;
        int32_t message;
    };
    static const Button kButtons[] = {
        {"bb_Options", "&Nastavení", "Nastavení cest a ovládacích skriptů", msg::OptionsDialog},
        {"bb_Data", "&Data", "", msg::DataSetScript},
        {"bb_Control", "&Kontroly", "Nastavení a editace kontrol", msg::ControlSetScript},
        {"bb_Start", "&Start", "spuštění kontrolního procesu", msg::RunScript},
        {"bb_Quit", "Konec", "Ukončení Aplikace", tm_QuitTask},
    };
    for (const Button& b : kButtons) {
        TControl& c = Add(TControlKind::Button, b.name, Cz(b.caption));
        c.Hint = Cz(b.hint);
        int32_t message = b.message;
        c.OnClick = [this, message](TControl&) { PostToTool(message); };
    }
    Add(TControlKind::MenuItem, "mi_Import", "&Import", "PopupMenu").OnClick = [this](TControl&) {
        PostToTool(msg::ImportLayers);
    };
    // The script console opens on the world itself: 71 is the check set-up here.
    (*this)["mi_Yesk"].OnClick = [](TControl&) { OpenScriptConsole(World); };
}

TMainForm::~TMainForm() { Application().OnHint = nullptr; }

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

// ---- registration ---------------------------------------------------------------------

void RegisterCheckingProgramUnit() {
    RegisterZarixClass<TOptions>();
    RegisterZarixClass<TMainTool>();
}

void RegisterCheckingProgramClasses() {
    static bool done = false;
    if (done) return;
    done = true;
    RegisterProgramClasses();
    RegisterCheckerClasses();
    RegisterCheckSetEditorUnit();
    RegisterCheckingProgramUnit();
}

}  // namespace tarvine
