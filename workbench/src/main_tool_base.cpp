#include "workbench/main_tool_base.h"

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
        std::string path = name.find(':') == std::string::npos ? folder + name : name;
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
            ShowMessage(Cz("Chyba inicializace Plug Ins: ") + path);
        }
        Free(loader);
    }
    auto* list = As<TStringListElement>(World->FindElementName("PLUGIN"));
    if (!list) return;
    for (int32_t i = 0; i < list->ElementsCount(); ++i) {
        std::string package = list->GetString(i);
        if (!FileExists(package)) {
            PostTextMsg(tm_TextNote, "Plug-In file: " + package + " not found!", this);
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
    StartProcess("Ostalin.exe", "\"" + exe + "\" 1");
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

void TOldMainTool::DoIt() {
    InitOptions();
    FMainForm = CreateMainForm();
    if (FMainForm) Application().SetMainForm(FMainForm);
    AfterMainFormCreated();
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

TElement* NewRegisteredElement(const std::string& className, TElementClass base) {
    TElementClass cls = GetZarixClass(className);
    if (!cls || !cls->InheritsFrom(base)) return nullptr;
    return CreateElementByName(className);
}

void RegisterMainToolBaseUnit() {
    RegisterBaseOptionsUnit();
    RegisterZarixClass<TOldMainTool>();
}
