#include "checker/checking_program.h"

#include "checker/check_set_editor.h"
#include "composition/text_devices.h"
#include "kernel/file_routines.h"
#include "kernel/string_routines.h"
#include "kernel/world.h"
#include "platform/files.h"
#include "platform/forms.h"
#include "platform/host.h"
#include "workbench/folder_dialogs.h"

namespace tarvine {

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

}  // namespace tarvine
