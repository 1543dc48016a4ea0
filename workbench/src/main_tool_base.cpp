#include "workbench/main_tool_base.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

#include "composition/modelfile.h"
#include "device/device.h"
#include "kernel/class_registry.h"
#include "kernel/file_routines.h"
#include "kernel/property_access.h"
#include "kernel/string_routines.h"
#include "kernel/value_elements.h"
#include "kernel/world.h"
#include "pelvar/map_world.h"
#include "platform/files.h"
#include "platform/controls.h"
#include "platform/forms.h"
#include "platform/host.h"
#include "platform/packages.h"
#include "platform/windows.h"
#include "yesk/command_line.h"
#include "kernel/element_holder.h"

namespace {

// The log window's device when no text window device class is registered: each line goes
// to standard output.
class TPlainLogDevice : public TDevice {
    ZARIX_CLASS(TPlainLogDevice, TDevice)

public:
    void WriteText(const std::string& text) override { FPending += text; }
    void WriteLine(const std::string& text) override {
        std::string line = ToUtf8(FPending + text);
        FPending.clear();
        std::fprintf(stdout, "%s\n", line.c_str());
        std::fflush(stdout);
    }

private:
    std::string FPending;
};

// Splits an argument text at blanks; double quotes group.
std::vector<std::string> SplitArguments(const std::string& text) {
    std::vector<std::string> words;
    std::string word;
    bool quoted = false, any = false;
    for (char c : text) {
        if (c == '"') {
            quoted = !quoted;
            any = true;
        } else if (c == ' ' && !quoted) {
            if (any) words.push_back(word);
            word.clear();
            any = false;
        } else {
            word += c;
            any = true;
        }
    }
    if (any) words.push_back(word);
    return words;
}

bool gLogEcho = false;

const char* const kProgramCursors[20] = {
    "LUPA",         "RUKA",     "NEWDRAWRECT", "NEWTEXT",    "NEWVIEW",    "NEWMS",      "EDITMS",
    "NOMS",         "NOTFORSELECT", "NEWTEXTBLOCK", "EDITTEXT", "ZOOM_IN", "ZOOM_OUT",   "MOVETEXT",
    "ROTTEXT",      "MOVECENTER", "SELECTLINE", "SELECTAREA", "SELECTPOINT", "NEWBMP"};

}  // namespace

void TOldMainTool::Publish(PropertyTable& t) {
    // For the dialogs that keep their settings in the program's ini file.
    t.Str<TOldMainTool>("IniFileName", [](TOldMainTool* c) { return c->GetIniFileName(); }, nullptr);
}

void TOldMainTool::InstallWorld(TOldMainTool* tool) {
    World = TWCSWorld::New();
    World->SetMainTool(tool);
    World->HookApplication();
}

void TOldMainTool::LoadOptions() {
    if (TBaseOptions* options = GetOptionsObject()) LoadOptionsFromIni(options, GetIniFileName());
}

void TOldMainTool::SaveOptions() {
    if (TBaseOptions* options = GetOptionsObject()) SaveOptionsToIni(options, GetIniFileName());
}

void TOldMainTool::InitOptions() {}

std::string TOldMainTool::GetIniFileName() {
    std::string name = FindParamByExtension(".INI");
    if (!name.empty() && FileExists(name)) return name;
    return GetIniDirectory() + ChangeFileExt(ExtractFileName(Application().ExeName()), ".INI");
}

std::string TOldMainTool::GetIniDirectory() {
    return IncludeTrailingPathDelimiter(ExtractFilePath(Application().ExeName()));
}

void TOldMainTool::LoadCursors() {
    TStringListElement* cursors = World ? World->GetSysReg()->GetCursors() : nullptr;
    if (!cursors) return;
    std::string folder = ExtractFilePath(Application().ExeName());
    for (int32_t i = 0; i < cursors->ElementsCount(); ++i) {
        std::string name = cursors->GetString(i);
        // A drive or a leading separator makes a name absolute; others lie beside the program.
        bool absolute = (!name.empty() && IsPathDelimiter(name[0])) || (name.size() >= 2 && name[1] == ':');
        std::string path = absolute ? name : folder + name;
        if (FileExists(path)) Screen().SetCursors(i + 1, path);
        else PostTextMsg(tm_TextNote, "Cursor file: " + name + " not found", this);
    }
}

void TOldMainTool::InitPlugins() {
    PostTextMsg(tm_StatusText, Cz("Inicializace Plug - Ins"), this);
    std::string path = ExecPath() + "Plugin.ZRX";
    if (FileExists(path)) {
        TLoad* loader = TLoad::New(path);
        try {
            loader->DoIt();
            if (loader->Output) {
                loader->Output->SetName("PLUGIN");
                World->AddElement(loader->Output);
            }
        } catch (Exception&) {
            ShowErrorMessage(Cz("Chyba inicializace Plug Ins: ") + path);
        }
        Free(loader);
    }
    auto* list = As<TStringListElement>(World->FindElementName("PLUGIN"));
    if (!list) return;
    for (int32_t i = 0; i < list->ElementsCount(); ++i) {
        std::string package = PlugInPath(list->GetString(i));
        if (!FileExists(package)) {
            PostTextMsg(tm_TextNote, "Plug-In file: " + package + " not found!", this);
            continue;
        }
        if (std::string why = PlugInRefusal(package); !why.empty()) {
            PostTextMsg(tm_TextNote, "Plug-In file: " + package + " not loaded: " + why, this);
            continue;
        }
        // One package that cannot be loaded does not keep the others out.
        try {
            LoadPackage(package);
        } catch (Exception& e) {
            PostTextMsg(tm_TextNote, "Plug-In file: " + package + " not loaded: " + e.Message(), this);
        }
    }
}

void TOldMainTool::ShowAboutPanel() {
    std::string exe = Application().ExeName();
    if (!SetCurrentDir(ExtractFileDir(exe)))
        throw EInOutError("I/O error: " + ExtractFileDir(exe));
    StartHelper("Ostalin.exe", "\"" + exe + "\" 1");
}

void TOldMainTool::ShowLogText(TZarixMessage* message) {
    TDevice* device = FLogDevice.Get();
    if (!device) {
        device = NewRegistered<TDevice>("TMemoFormDevice");
        if (!device) device = TPlainLogDevice::New();
        FLogDevice.Set(device);
    }
    auto* text = As<TZarixTextMessage>(message);
    if (!text || text->GetMessageText().empty()) return;
    if (gLogEcho && !dynamic_cast<TPlainLogDevice*>(device)) {
        std::fprintf(stdout, "%s\n", ToUtf8(text->GetMessageText()).c_str());
        std::fflush(stdout);
    }
    device->WriteLine(text->GetMessageText());
}

void TOldMainTool::SetLogEcho(bool echo) { gLogEcho = echo; }

void TOldMainTool::ForgetFreedElement(TZarixMessage* message) {
    // The sender is compared by address only: a device that reports itself done may
    // already be gone.
    TElement* sender = message ? message->Sender : nullptr;
    if ((sender && sender == static_cast<TElement*>(FLogDevice.Raw())) || !FLogDevice.Get())
        FLogDevice.Set(nullptr);
    if ((sender && sender == static_cast<TElement*>(FProgressMonitor.Raw())) || !FProgressMonitor.Get())
        FProgressMonitor.Set(nullptr);
}

void TOldMainTool::StartMainForm() {
    FMainForm = CreateMainForm();
    if (FMainForm) Application().SetMainForm(FMainForm);
    AfterMainFormCreated();
}

void TOldMainTool::DoIt() {
    InitOptions();
    StartMainForm();
    BeforePlugins();
    InitPlugins();
    LoadCursors();
}

void TOldMainTool::HandleMessage(TZarixMessage*& message, bool& handled) {
    handled = false;
    inherited::HandleMessage(message, handled);
    if (handled || !message) return;
    switch (message->Message) {
        case tm_Done: ForgetFreedElement(message); break;
        case tm_TextNote: ShowLogText(message); break;
        case tm_ProgressStart:
        case tm_ProgressValue:
        case tm_ProgressEnd:
        case tm_ProgressText:
            if (TTool* monitor = GetProgressMonitor()) monitor->HandleMessage(message, handled);
            break;
        case tm_AboutPanel: ShowAboutPanel(); break;
        default: break;
    }
}

void TOldMainTool::on_tm_QuitTask(TZarixMessage*&, bool&) {
    if (MessageDlg(Cz("Opravdu ukončit aplikaci ?"), mtConfirmation, mbYesNoCancel, 0) == mrYes)
        Application().Terminate();
}

void TOldMainTool::Destroy() {
    if (TBaseOptions* options = FOptions.Get()) {
        FOptions.Set(nullptr);
        if (IndexOf(options) < 0 && options->NoOwners()) Free(options);
    }
    if (TDevice* device = FLogDevice.Get()) {
        FLogDevice.Set(nullptr);
        if (device->NoOwners()) Free(device);
    }
    FProgressMonitor.Set(nullptr);
    FreeMainForm();
    inherited::Destroy();
}

std::string TOldMainTool::FindParamByExtension(const std::string& ext) {
    std::string wanted = AnsiUpperCase(ext);
    for (int i = 1; i <= ParamCount(); ++i)
        if (AnsiUpperCase(ExtractFileExt(ParamStr(i))) == wanted) return ParamStr(i);
    return std::string();
}

std::string TOldMainTool::GetOptionString(const std::string& name) {
    TBaseOptions* options = GetOptionsObject();
    return options ? GetPropStringByName(options, name) : std::string();
}

TTool* TOldMainTool::GetProgressMonitor() {
    if (TTool* monitor = FProgressMonitor.Get()) return monitor;
    TTool* monitor = NewRegistered<TTool>("TProgressMonitor");
    if (!monitor) return nullptr;
    AddTool(monitor);
    FProgressMonitor.Set(monitor);
    return monitor;
}

intptr_t TOldMainTool::StartProcess(const std::string& program, const std::string& arguments) {
    return StartProgram(program, SplitArguments(arguments)) ? 1 : 0;
}

intptr_t TOldMainTool::StartHelper(const std::string& name, const std::string& arguments) {
    std::string path = ExecPath() + name;
    return FileExists(path) ? StartProcess(path, arguments) : 0;
}

std::string TOldMainTool::PlugInPath(const std::string& entry) {
    bool absolute = (!entry.empty() && IsPathDelimiter(entry[0])) || (entry.size() >= 2 && entry[1] == ':');
    return absolute ? entry : ExecPath() + entry;
}

std::string TOldMainTool::PlugInRefusal(const std::string& path) {
    struct stat st {};
    if (::stat(MapPath(path).c_str(), &st) != 0) return "file not found";
    if (!S_ISREG(st.st_mode) || (st.st_uid != ::geteuid() && st.st_uid != 0))
        return "not a regular file owned by the user or root";
    return {};
}

void TOldMainTool::LoadProgramCursors() {
    for (int i = 0; i < 20; ++i) Screen().SetCursors(i + 1, kProgramCursors[i]);
}

bool TOldMainTool::ShowHelpTopic(const std::string& topic) {
    // No help viewer runs headless: every jump fails.
    (void)topic;
    return false;
}

void TOldMainTool::FreeMainForm() {
    TForm* form = FMainForm;
    FMainForm = nullptr;
    if (Application().MainForm() == form) Application().SetMainForm(nullptr);
    delete form;
}

void TOldMainTool::ReplaceOptions(TBaseOptions* options) {
    TBaseOptions* old = FOptions.Get();
    if (options == old) return;
    FOptions.Set(options);
    if (!old) return;
    if (IndexOf(old) >= 0) FreeElement(old);
    else if (old->NoOwners()) Free(old);
}

// ---- what both main tools share ---------------------------------------------------------

TCommandLine* TOldMainTool::GetCommandLine() {
    if (TCommandLine* runner = FCommandLine.Get()) return runner;
    TCommandLine* runner = TCommandLine::New();
    runner->SetName(Cz("Hlavní interpret jazyka Yesk"));
    AddTool(runner);
    FCommandLine.Set(runner);
    return runner;
}

void TOldMainTool::SetCommandLine(TCommandLine* runner) {
    TCommandLine* old = FCommandLine.Get();
    if (runner == old) return;
    if (old && !old->GetRunning()) FreeTool(old);
    FCommandLine.Set(runner);
    if (runner) AddTool(runner);
}

void TOldMainTool::RunScript(const std::string& fileName) {
    TCommandLine* runner = GetCommandLine();
    runner->FileName = fileName;
    runner->DoIt();
}

namespace {
TControl* FormControl(TForm* form, const char* name) { return form ? form->Find(name) : nullptr; }
}  // namespace

std::string TOldMainTool::GetText() {
    TControl* bar = FormControl(FMainForm, "StatusBar");
    return bar ? bar->Text : std::string();
}
void TOldMainTool::SetText(const std::string& text) {
    if (TControl* bar = FormControl(FMainForm, "StatusBar")) bar->Text = text;
}
int32_t TOldMainTool::GetMinProgress() {
    TControl* bar = FormControl(FMainForm, "ProgressBar");
    return bar ? static_cast<int32_t>(bar->MinValue) : 0;
}
void TOldMainTool::SetMinProgress(int32_t v) {
    if (TControl* bar = FormControl(FMainForm, "ProgressBar")) bar->MinValue = v;
}
int32_t TOldMainTool::GetMaxProgress() {
    TControl* bar = FormControl(FMainForm, "ProgressBar");
    return bar ? static_cast<int32_t>(bar->MaxValue) : 0;
}
void TOldMainTool::SetMaxProgress(int32_t v) {
    if (TControl* bar = FormControl(FMainForm, "ProgressBar")) bar->MaxValue = v;
}
int32_t TOldMainTool::GetBarProgress() {
    TControl* bar = FormControl(FMainForm, "ProgressBar");
    return bar ? static_cast<int32_t>(bar->Value) : 0;
}
void TOldMainTool::SetBarProgress(int32_t v) {
    if (TControl* bar = FormControl(FMainForm, "ProgressBar")) bar->Value = v;
}
bool TOldMainTool::GetProgressVisible() {
    TControl* bar = FormControl(FMainForm, "ProgressBar");
    return bar && bar->Visible;
}
void TOldMainTool::SetProgressVisible(bool v) {
    if (TControl* bar = FormControl(FMainForm, "ProgressBar")) bar->Visible = v;
}

void TOldMainTool::PublishShared(PropertyTable& t) {
    using C = TOldMainTool;
    t.Obj<C, TCommandLine>("CommandLine", &C::GetCommandLine, &C::SetCommandLine);
    t.Str<C>("ExecuteScript", nullptr, &C::RunScript);
    t.Str<C>("Text", &C::GetText, &C::SetText);
    t.Int<C>("MinProgress", &C::GetMinProgress, &C::SetMinProgress);
    t.Int<C>("MaxProgress", &C::GetMaxProgress, &C::SetMaxProgress);
    t.Int<C>("Progress", &C::GetBarProgress, &C::SetBarProgress);
    t.Bool<C>("ProgressVisible", &C::GetProgressVisible, &C::SetProgressVisible);
}

TTool* TOldMainTool::NewShellTool(const char* className, bool report) {
    if (TTool* tool = NewRegistered<TTool>(className)) return tool;
    if (report) ShowErrorMessage(Cz("Není k dispozici: ") + className);
    return nullptr;
}

void TOldMainTool::OpenMapWindow(TElement* data) {
    TTool* manager = NewShellTool("TFormToolManager");
    if (!manager) return;
    if (TElementHolder<TTool> creator{NewShellTool("TUniversalGravoScriptCreator", false)}) {
        creator->DoIt();
        if (creator->Output) SetObjectPropByName(manager, "InterpretScript", creator->Output);
    }
    manager->SetPropertyLongIntByName("PageColor", data ? 12632256 : 16777215);
    manager->SetInput(data);
    AddTool(manager);
    manager->DoIt();
}

void TOldMainTool::ExploreElement(TElement* data, bool owners) {
    TTool* explorer = NewShellTool("TExplorer");
    if (!explorer) return;
    AddTool(explorer);
    explorer->SetInput(data);
    if (owners) {
        explorer->SetPropertyBooleanByName("OwnersView", true);
        explorer->SetPropertyStringByName("Caption", Cz("Model vlastníků"));
    }
    explorer->DoIt();
}

void TOldMainTool::EditElementProperties(TElement* data) {
    TTool* editor = NewShellTool("TObjectPropertyEditor");
    if (!editor) return;
    AddTool(editor);
    editor->SetInput(data);
    editor->DoIt();
}

void TOldMainTool::ImportLayersFrom(const std::string& dataDirectory) {
    TTool* tools[3] = {NewShellTool("TLayerImportDialog", false), NewShellTool("TModelScriptCreator", false),
                       NewShellTool("TModelByScriptCreator", false)};
    try {
        if (tools[0] && tools[1] && tools[2]) {
            tools[0]->SetPropertyStringByName("DataDirectory", dataDirectory);
            tools[0]->DoIt();
            tools[1]->SetInput(tools[0]->Output);
            tools[1]->SetPropertyStringByName("DataDirectory", dataDirectory);
            tools[1]->DoIt();
            tools[2]->SetInput(tools[1]->Output);
            tools[2]->DoIt();
            if (TElement* model = tools[2]->Output) {
                model->SetName("DATA");
                World->GetObjectModel()->AddElement(model);
            }
        }
    } catch (...) {
        // The import ends silently.
    }
    for (TTool* tool : tools) Free(tool);
}

TElement* NewRegisteredElement(const std::string& className, TElementClass base) {
    TElementClass cls = GetZarixClass(className);
    if (!cls || !cls->InheritsFrom(base)) return nullptr;
    return CreateElementByName(className);
}

void RegisterMainToolBaseUnit() {
    RegisterBaseOptionsUnit();
    RegisterZarixClass<TOldMainTool>();
}
