#include "composer/main_tool.h"

#include "composer/main_form.h"
#include "composer/map_sheet_production.h"
#include "composition/map_spaces.h"
#include "composition/pages.h"
#include "kernel/class_registry.h"
#include "kernel/element_holder.h"
#include "kernel/file_routines.h"
#include "kernel/property_access.h"
#include "kernel/real_ini_file.h"
#include "kernel/string_routines.h"
#include "kernel/value_elements.h"
#include "kernel/world.h"
#include "platform/files.h"
#include "platform/forms.h"
#include "platform/host.h"
#include "pelvar/palette.h"
#include "platform/inifiles.h"
#include "platform/scope_exit.h"
#include "symbol/symbol.h"
#include "workbench/program_startup.h"
#include "yesk/command_line.h"

namespace {

std::string& FillerClassName() {
    static std::string name = "TMapSheetFiller";
    return name;
}

}  // namespace

// ---- TOptions -------------------------------------------------------------------------

void TOptions::Publish(PropertyTable& t) {
    using C = TOptions;
    t.Field("StartScript", &C::StartScript);
    t.Field("EndScript", &C::EndScript);
    t.Field("WorkingDirectory", &C::WorkingDirectory);
    t.Str<C>("ServiceDirectory", &C::GetServiceDirectory, &C::SetServiceDirectory);
    t.Field("DataDirectory", &C::DataDirectory);
    t.Field("ScriptDirectory", &C::ScriptDirectory);
    t.Field("TemplateDirectory", &C::TemplateDirectory);
    t.Str<C>("PaletteFile", &C::GetPaletteFile, &C::SetPaletteFile);
}

void TOptions::Create() {
    inherited::Create();
    WorkingDirectory = DataDirectory = GetCurrentDir();
}

void TOptions::SetServiceDirectory(const std::string& value) {
    FServiceDirectory = value;
    std::string path = value, result;
    RemoveBackSlash(path, result);
    if (result.size() > 1 && result.back() == '/') result.pop_back();
    PathOfLibraries = result;
}

std::string TOptions::GetPaletteFile() const { return ::GetPaletteFile(); }

void TOptions::SetPaletteFile(const std::string& value) { ::SetPaletteFile(value); }

// ---- TMainTool: properties ------------------------------------------------------------

void TMainTool::Publish(PropertyTable& t) {
    using C = TMainTool;
    t.Obj<C, TOptions>("Options", &C::GetOptions, &C::SetOptions);
    t.Str<C>("SelectedTemplate", &C::GetSelectedTemplate, nullptr);
    t.Obj<C, TEntity>("SelectedMapSpaces", &C::GetSelectedMapSpaces, nullptr);
    t.Obj<C, TElement>("SelectedMapSpace", &C::GetSelectedMapSpace, nullptr);
    PublishShared(t);
}

void TMainTool::Create() {
    inherited::Create();
    GetOptions()->WorkingDirectory = GetOptions()->DataDirectory = GetCurrentDir();
}

void TMainTool::FreeTemplateForm() {
    TF_Template* form = FTemplateForm;
    FTemplateForm = nullptr;
    delete form;
}

void TMainTool::Destroy() {
    FreeTemplateForm();
    FTemplates.reset();
    inherited::Destroy();
}

TOptions* TMainTool::GetOptions() { return HeldOptions<TOptions>(); }

void TMainTool::SetOptions(TOptions* options) { ReplaceOptions(options); }

void TMainTool::SetOptionsObject(TBaseOptions* options) { SetOptions(As<TOptions>(options)); }

TMainForm* TMainTool::Form() const { return dynamic_cast<TMainForm*>(FMainForm); }

void TMainTool::SetLabel(const char* name, const std::string& text) {
    if (TMainForm* form = Form()) (*form)[name].Caption = text;
}

TStringList& TMainTool::Templates() {
    if (!FTemplates) FTemplates = std::make_unique<TStringList>();
    return *FTemplates;
}

// ---- start-up, options, quit ----------------------------------------------------------

TForm* TMainTool::CreateMainForm() {
    auto* form = new TMainForm(this);
    form->MayClose = false;
    form->Show();
    return form;
}

void TMainTool::DoIt() {
    TOptions* options = GetOptions();
    options->WorkingDirectory = options->DataDirectory = GetCurrentDir();
    inherited::DoIt();
    LoadProgramCursors();
    std::string folder = ExecPath();
    PostTextMsg(tm_StatusText, Cz("Kontrola Parametrů"), this);
    std::string start = FindParamByExtension(".YESK");
    RunScript(!start.empty() && FileExists(start) ? start : GetOptions()->StartScript);
    PostTextMsg(tm_StatusText, Cz("Inicializace registru ZARIX"), this);
    std::string sysReg = folder + "SysReg.Yesk";
    if (FileExists(sysReg)) RunScript(sysReg);
    else ShowMessage(Cz("Nelze nalézt soubor ") + sysReg);
    std::string model = folder + "Model.Yesk";
    if (FileExists(model)) RunScript(model);
    PostTextMsg(tm_StatusText, Cz("Inicializace Plug - Ins"), this);
    SetLabel("l_Data", GetOptions()->DataDirectory);
}

void TMainTool::LoadOptions() {
    std::string iniFile = GetIniFileName();
    LoadOptionsFromIni(GetOptions(), iniFile);
    TIniFile ini(iniFile);
    TStringList keys;
    ini.ReadSection("TemplateLibrary", keys);
    TStringList& templates = Templates();
    templates.Clear();
    for (int i = 0; i < keys.Count(); ++i)
        templates.Add(keys[i] + "=" + ini.ReadString("TemplateLibrary", keys[i], ""));
    PostMsg(ini.ReadBool("GUIDE", "Visible", false) ? msg::ToggleGuide : msg::UpdateMapSpaceInfo, this, nullptr,
            false);
    PostMsg(ini.ReadBool("TEMPLATE", "Visible", false) ? msg::ToggleTemplateLibrary : msg::UpdateTemplateInfo,
            this, nullptr, false);
}

void TMainTool::SaveOptions() {
    std::string iniFile = GetIniFileName();
    TRealIniFile ini(iniFile);
    ini.BeginUpdate();  // the quit writes the file once
    ini.WriteBool("GUIDE", "Visible", FGuideTool.Get() != nullptr);
    ini.WriteBool("TEMPLATE", "Visible", FTemplateForm != nullptr);
    ini.WriteSection("TemplateLibrary", Templates());
    SaveOptionsToIni(GetOptions(), ini);
    ini.UpdateFile();
}

std::string TMainTool::GetIniDirectory() {
    return IncludeTrailingPathDelimiter(GetOptions()->WorkingDirectory);
}

void TMainTool::on_tm_QuitTask(TZarixMessage*&, bool&) {
    SaveOptions();
    if (MessageDlg(Cz("Opravdu ukončit aplikaci ?"), mtConfirmation, mbYesNoCancel, 0) != mrYes) return;
    if (TTool* guide = FGuideTool.Get()) {
        FGuideTool.Set(nullptr);
        try {
            FreeTool(guide);
        } catch (Exception&) {
        }
    }
    Application().Terminate();
}

// ---- messages -------------------------------------------------------------------------

void TMainTool::HandleMessage(TZarixMessage*& message, bool& handled) {
    inherited::HandleMessage(message, handled);
    if (handled || !message) return;
    TElement* data = message->Data;
    switch (message->Message) {
        case msg::StartSheetSelection:
            if (!FGuideTool.Get()) ToggleGuide();
            if (TTool* guide = FGuideTool.Get()) PostMsg(msg::StartSheetSelection, guide, nullptr, false);
            handled = true;
            break;
        case msg::OpenComposition: OpenComposition(data); break;
        case msg::Explore: Explore(data, false); break;
        case msg::ExploreOwners: Explore(data, true); break;
        case tm_StatusText:
            ShowStatusText(message);
            handled = true;
            break;
        case msg::EditProperties: EditProperties(data); break;
        case msg::CommandLineDialog: CommandLineDialog(data); break;
        case msg::ImportLayers: ImportLayers(); break;
        case msg::OptionsDialog:
            OptionsDialog();
            handled = true;
            break;
        case msg::EditColorPalette: EditColorPalette(); break;
        case msg::NewMapSheetEditor: NewMapSheetEditor(); break;
        case msg::ExploreMapSheets:
            if (World) PostMsg(msg::Explore, this, World->GetObjectModel()->FindElementClass(TMapSheets::StaticClass()), false);
            break;
        case msg::ToggleGuide:
            ToggleGuide();
            handled = true;
            break;
        case msg::GuideButton1:
        case msg::GuideButton2:
            if (TTool* guide = FGuideTool.Get()) {
                try {
                    PostMsg(message->Message, guide, nullptr, false);
                } catch (Exception&) {
                }
            }
            handled = true;
            break;
        case msg::RedrawGuide:
            if (TTool* guide = FGuideTool.Get()) PostMsg(31, guide, nullptr, false);
            break;
        case msg::ToggleTemplateLibrary:
            ToggleTemplateLibrary();
            handled = true;
            break;
        case msg::CreateMapComposition: CreateMapComposition(); break;
        case msg::AddTemplate:
            AddTemplate();
            handled = true;
            break;
        case msg::RemoveTemplate:
            RemoveTemplate();
            handled = true;
            break;
        case msg::OpenTemplateMSD:
            OpenTemplateFile("");
            handled = true;
            break;
        case msg::OpenTemplateMSC:
            OpenTemplateFile(".MSC");
            handled = true;
            break;
        case msg::OpenTemplateYESK:
            OpenTemplateFile(".YESK");
            handled = true;
            break;
        case msg::EditTemplate: EditTemplate(); break;
        case msg::UpdateTemplateInfo: UpdateTemplateInfo(); break;
        case msg::UpdateMapSpaceInfo: UpdateMapSpaceInfo(); break;
        default: break;  // 17, 81, 82, 87, 145: nothing
    }
}

void TMainTool::OpenComposition(TElement* data) { OpenMapWindow(data); }

void TMainTool::NewMapSheetEditor() {
    TTool* editor = NewShellTool("TMSEditorFormTool");
    if (!editor) return;
    editor->SetPropertyLongIntByName("PageColor", 12632256);
    AddTool(editor);
    editor->DoIt();
}

void TMainTool::Explore(TElement* data, bool owners) { ExploreElement(data, owners); }

void TMainTool::EditProperties(TElement* data) { EditElementProperties(data); }

void TMainTool::CommandLineDialog(TElement* data) {
    OpenScriptConsole(data);
}

void TMainTool::ShowStatusText(TZarixMessage* message) {
    if (auto* text = As<TZarixTextMessage>(message)) SetText(text->GetMessageText());
}

void TMainTool::EditColorPalette() {
    TElementHolder<TTool> dialog(NewShellTool("TColorPaletteDialog"));
    if (dialog) dialog->DoIt();
}

void TMainTool::ImportLayers() { ImportLayersFrom(GetOptions()->DataDirectory); }

void TMainTool::OptionsDialog() {
    TF_Options form;
    TOptions* options = GetOptions();
    form["ed_Work"].Text = options->WorkingDirectory;
    form["ed_EXE"].Text = ExecPath();
    form["ed_Service"].Text = options->GetServiceDirectory();
    form["ed_Data"].Text = options->DataDirectory;
    form["ed_Template"].Text = options->TemplateDirectory;
    if (form.ShowModal() == mrOk) {
        options->WorkingDirectory = form["ed_Work"].Text;
        options->SetServiceDirectory(form["ed_Service"].Text);
        options->DataDirectory = form["ed_Data"].Text;
        options->TemplateDirectory = form["ed_Template"].Text;
    }
    SetLabel("l_Data", options->DataDirectory);
}

// ---- key map --------------------------------------------------------------------------

void TMainTool::ToggleGuide() {
    if (TTool* guide = FGuideTool.Get()) {
        FGuideTool.Set(nullptr);
        PostMsg(tm_QuitTask, guide, nullptr, false);
    } else if (TTool* made = NewShellTool("TGuideFormTool")) {
        FGuideTool.Set(made);
        AddTool(made);
        made->DoIt();
    }
    PostMsg(msg::UpdateMapSpaceInfo, this, nullptr, false);
}

TEntity* TMainTool::GetSelectedMapSpaces() {
    TTool* guide = FGuideTool.Get();
    if (!guide) return nullptr;
    return As<TEntity>(GetObjectPropByName(guide, "SelectedMapSpaces"));
}

TElement* TMainTool::GetSelectedMapSpace() {
    TEntity* spaces = GetSelectedMapSpaces();
    if (!spaces) return nullptr;
    TElement* first = spaces->ElementsCount() > 0 ? spaces->Get(0) : nullptr;
    // The temporary entity goes; the map spaces stay with the key map.
    while (spaces->ElementsCount() > 0) spaces->RemoveElement(spaces->Get(spaces->ElementsCount() - 1));
    Free(spaces);
    return first;
}

void TMainTool::UpdateMapSpaceInfo() {
    if (!FGuideTool.Get()) {
        SetLabel("l_MSpace", Cz("Není otevřen průvodce !"));
        return;
    }
    std::string text = Cz("Nic vybráno !");
    try {
        if (TElement* space = GetSelectedMapSpace()) text = space->GetName();
    } catch (Exception&) {
    }
    SetLabel("l_MSpace", text);
}

// ---- template library -----------------------------------------------------------------

void TMainTool::WriteTemplateSection() { TRealIniFile(GetIniFileName()).WriteSection("TemplateLibrary", Templates()); }

void TMainTool::FillTemplateForm(bool selectFirst) {
    TControl& list = (*FTemplateForm)["ListBox"];
    list.Items.clear();
    TStringList keys;
    TIniFile(GetIniFileName()).ReadSection("TemplateLibrary", keys);
    for (int i = 0; i < keys.Count(); ++i) list.Items.push_back(keys[i]);
    list.ItemIndex = selectFirst && !list.Items.empty() ? 0 : -1;
}

void TMainTool::ToggleTemplateLibrary() {
    if (FTemplateForm) {
        FreeTemplateForm();
    } else {
        FTemplateForm = new TF_Template(this, GetIniFileName());
        FillTemplateForm(true);
    }
    UpdateTemplateInfo();
}

std::string TMainTool::GetSelectedTemplate() {
    try {
        if (FTemplateForm) {
            TControl& list = (*FTemplateForm)["ListBox"];
            if (list.ItemIndex >= 0 && list.ItemIndex < static_cast<int>(list.Items.size()))
                return Templates().Values(list.Items[static_cast<size_t>(list.ItemIndex)]);
        }
        // The ini file and the start script are named on the command line too.
        for (int i = 1; i <= ParamCount(); ++i) {
            std::string arg = ParamStr(i);
            std::string ext = AnsiUpperCase(ExtractFileExt(arg));
            if (ext == ".INI" || ext == ".YESK") continue;
            return FileExists(arg) ? arg : std::string();
        }
    } catch (Exception&) {
        SetLabel("l_Template", Cz("Není vybrána žádná šablona"));
    }
    return std::string();
}

void TMainTool::UpdateTemplateInfo() {
    if (!FTemplateForm) {
        SetLabel("l_Template", Cz("Není otevřena knihovna šablon !"));
        return;
    }
    std::string path = GetSelectedTemplate();
    SetLabel("l_Template", path);
    const std::pair<const char*, const char*> kFiles[] = {{"b_MSD", ".MSD"}, {"b_MSC", ".MSC"}, {"b_YESK", ".YESK"}};
    for (const auto& [button, ext] : kFiles)
        (*FTemplateForm)[button].Checked = !path.empty() && FileExists(ChangeFileExt(path, ext));
}

void TMainTool::AddTemplate() {
    if (!FTemplateForm) return;
    std::string file;
    if (!GetUserHost().SelectFile(Cz("Šablona map.listu|*.MSD"), GetOptions()->TemplateDirectory, file)) return;
    std::string base = ChangeFileExt(ExtractFileName(file), "");
    if (file.empty() || base.empty()) return;
    std::string name = TIniFile(file).ReadString("TDESKTOP", "NAME", base);
    if (AnsiSameText(name, "TDesktop")) name = base;
    TStringList& templates = Templates();
    // Two entries of one name would share one key of the ini section.
    if (templates.IndexOfName(name) >= 0) {
        ShowMessage(Cz("Šablona tohoto jména už v knihovně je: ") + name);
        return;
    }
    TControl& list = (*FTemplateForm)["ListBox"];
    list.Items.push_back(name);
    list.ItemIndex = static_cast<int>(list.Items.size()) - 1;
    templates.Add(name + "=" + file);
    WriteTemplateSection();
    PostMsg(msg::UpdateTemplateInfo, this, nullptr, false);
}

void TMainTool::RemoveTemplate() {
    if (FTemplateForm) {
        TControl& list = (*FTemplateForm)["ListBox"];
        int i = list.ItemIndex;
        if (i >= 0 && i < static_cast<int>(list.Items.size())) {
            std::string name = list.Items[static_cast<size_t>(i)];
            list.Items.erase(list.Items.begin() + i);
            TStringList& templates = Templates();
            int at = templates.IndexOf(name + "=" + templates.Values(name));
            if (at >= 0) templates.Delete(at);
            if (i > 0) list.ItemIndex = i - 1;
            else list.ItemIndex = list.Items.size() > 1 ? 0 : -1;
            WriteTemplateSection();
        }
    }
    PostMsg(msg::UpdateTemplateInfo, this, nullptr, false);
}

void TMainTool::OpenTemplateFile(const std::string& ext) {
    std::string path = GetSelectedTemplate();
    if (path.empty()) return;
    UseNotePadFor(ext.empty() ? path : ChangeFileExt(path, ext));
}

// ---- map compositions -----------------------------------------------------------------

TTool* TMainTool::Filler() {
    if (TTool* filler = FFiller.Get()) return filler;
    TTool* filler = FillerClassName() == "TMapSheetFiller" ? TMapSheetFiller::New()
                                                           : NewShellTool(FillerClassName().c_str(), false);
    if (!filler) return nullptr;
    AddTool(filler);
    FFiller.Set(filler);
    return filler;
}

namespace {

// Shows the step of a progress at once.
void ProgressText(TTool* tool, const std::string& text) {
    tool->SetProgressText(text);
    Application().ProcessMessages();
}

void FeedFiller(TTool* filler, TElement* mapSpace, const std::string& templatePath, const std::string& data,
                bool graphics) {
    filler->SetInput(mapSpace);
    filler->SetInput(TStringElement::New("TEMPLATE", templatePath));
    filler->SetInput(TStringElement::New("DATADIR", data));
    filler->SetPropertyBooleanByName("FillGraphics", graphics);
}

}  // namespace

void TMainTool::CreateMapComposition() {
    std::string path = GetSelectedTemplate();
    StartProgress(Cz("Vytváření mapové kompozice"), 0, 0);
    auto endProgress = MakeScopeExit([this] { EndProgress(); });
    {
        ProgressText(this, path);
        std::string script = ChangeFileExt(path, ".YESK");
        if (!path.empty() && FileExists(script)) {
            ProgressText(this, Cz("Byl nalezen Yesk soubor, nyní přebírá řízení tvorby mapy..."));
            TCommandLine* runner = GetCommandLine();
            THeld<TCommandLine> alive(runner);
            runner->FileName = script;
            runner->DoIt();
            if (alive.Get()) runner->FileName.clear();
            return;
        }
        TElement* space = GetSelectedMapSpace();
        if (!space && MessageDlg(Cz("Není vybrán žádný mapový prostor. Pokračovat ?"), mtConfirmation,
                                 TMsgDlgButtons{mbYes, mbNo}, 0) != mrYes)
            return;
        TTool* filler = Filler();
        if (!filler) {
            ShowMessage(Cz("Tvorba mapových listů není k dispozici"));
            return;
        }
        ProgressText(this, Cz("Automatická tvorba mapy ..."));
        FeedFiller(filler, space, path, GetOptions()->DataDirectory, true);
        ProgressText(this, Cz("Analýza vrstev ..."));
        ProgressText(this, Cz("Import vrstev ..."));
        filler->DoIt();
        ProgressText(this, Cz("Zobrazení ..."));
        PostMsg(msg::OpenComposition, this, filler->Output, false);
    }
}

TElement* TMainTool::ReadTemplate(const std::string& path) {
    TTool* filler = Filler();
    if (!filler) {
        ShowMessage(Cz("Tvorba mapových listů není k dispozici"));
        return nullptr;
    }
    filler->SetInput(TStringElement::New("TEMPLATE", path));
    filler->SetInput(TStringElement::New("DATADIR", GetOptions()->DataDirectory));
    filler->SetPropertyBooleanByName("FillGraphics", false);
    filler->DoIt();
    return filler->Output;
}

void TMainTool::EditTemplate() {
    TTool* filler = Filler();
    if (!filler) {
        ShowMessage(Cz("Tvorba mapových listů není k dispozici"));
        return;
    }
    std::string path = GetSelectedTemplate();
    filler->SetInput(GetSelectedMapSpace());
    TElement* desktop = ReadTemplate(path);
    TTool* editor = NewShellTool("TMSEditorFormTool");
    if (!editor) return;
    AddTool(editor);
    editor->SetInput(desktop);
    editor->SetPropertyStringByName("FileName", path);
    editor->DoIt();
}

void TMainTool::RegisterTemplate(const std::string& name, const std::string& file) {
    TStringList& templates = Templates();
    const int at = templates.IndexOfName(name);
    if (at >= 0) templates.Put(at, name + "=" + file);
    else templates.Add(name + "=" + file);
    WriteTemplateSection();
    if (FTemplateForm) {
        FillTemplateForm(false);
        TControl& list = (*FTemplateForm)["ListBox"];
        for (size_t i = 0; i < list.Items.size(); ++i)
            if (AnsiSameText(list.Items[i], name)) list.ItemIndex = static_cast<int>(i);
    }
    PostMsg(msg::UpdateTemplateInfo, this, nullptr, false);
}

void TMainTool::SetFillerClassName(const std::string& name) { FillerClassName() = name; }

void RegisterMainToolUnit() {
    RegisterZarixClass<TOptions>();
    RegisterZarixClass<TMainTool>();
}
