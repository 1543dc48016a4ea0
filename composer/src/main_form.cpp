#include "composer/main_form.h"

#include "composer/main_tool.h"
#include "composition/modelfile.h"
#include "kernel/class_registry.h"
#include "kernel/file_routines.h"
#include "kernel/value_elements.h"
#include "kernel/world.h"
#include "platform/files.h"
#include "platform/forms.h"
#include "platform/host.h"
#include "platform/inifiles.h"
#include "platform/packages.h"
#include "workbench/file_version.h"
#include "kernel/element_holder.h"

// ---- TMainForm ------------------------------------------------------------------------

TMainForm::TMainForm(TOldMainTool* tool) : TMainForm2(tool, "TMainForm") {
    Application().SetHintColor(65280);
    Add(TControlKind::Label, "l_MSpace").Hint = Cz("Vybraný mapový prostor v Průvodci");
    Add(TControlKind::Label, "l_Data").Hint = Cz("Datový adresář");
    Add(TControlKind::Label, "l_Template").Hint = Cz("Vybraná šablona v knihovně šablon");
    (*this)["Picture"].Hint = Cz("Kliknutím pravým tlačítkem myši zobrazíte nabídku, levým info o aplikaci");
    TControl& bar = Add(TControlKind::ProgressBar, "ProgressBar");
    bar.MinValue = 0;
    bar.MaxValue = 100;
    bar.Visible = false;
    struct Button {
        const char* name;
        const char* caption;
        int32_t message;
        const char* parent;
        TControlKind kind;
        const char* hint;
    };
    static const Button kButtons[] = {
        {"bb_Folders", "&Složka", msg::OptionsDialog, "", TControlKind::Button, "Nastavení adresářů (složek)"},
        {"bb_Guide", "&Průvodce", msg::ToggleGuide, "", TControlKind::Button, "Otevření (zavření) okna Průvodce"},
        {"bb_Templates", "Ša&blony", msg::ToggleTemplateLibrary, "", TControlKind::Button,
         "Otevření (zavření) knihovny šablon"},
        {"bb_Quit", "Konec", tm_QuitTask, "", TControlKind::Button, "Ukončení Oskeltu"},
        {"mi_Settings", "Nas&tavení", 0, "PopupMenu", TControlKind::MenuItem, ""},
        {"mi_Folders", "&Adresáře (Složky)", msg::OptionsDialog, "mi_Settings", TControlKind::MenuItem, ""},
        {"mi_Palette", "&Barevná paleta", msg::EditColorPalette, "PopupMenu", TControlKind::MenuItem, ""},
        {"mi_PlugIns", "Rošiřující moduly (Plug-Ins)", 0, "PopupMenu", TControlKind::MenuItem, ""},
        {"mi_Import", "&Import", msg::ImportLayers, "PopupMenu", TControlKind::MenuItem, ""},
    };
    for (const Button& b : kButtons) {
        TControl& c = Add(b.kind, b.name, Cz(b.caption), b.parent);
        c.Hint = Cz(b.hint);
        if (b.kind == TControlKind::Button) c.Tag = 22;  // help context
        int32_t message = b.message;
        if (message) c.OnClick = [this, message](TControl&) { PostToTool(message); };
    }
    (*this)["mi_PlugIns"].OnClick = [this](TControl&) { ShowPlugInDialog(); };
    Application().OnHint = [this] { (*this)["StatusBar"].Text = Application().Hint(); };
}

TMainForm::~TMainForm() { Application().OnHint = nullptr; }

void TMainForm::ShowPlugInDialog() {
    TPlugInDialog dialog;
    dialog.ShowModal();
}

// ---- TF_Options -----------------------------------------------------------------------

TF_Options::TF_Options() : TForm("TF_Options") {
    Caption = Cz("Možnosti");
    Add(TControlKind::GroupBox, "gb_Folders", Cz("Adresáře neboli složky:"));
    struct Field {
        const char* name;
        const char* caption;
        bool readOnly;
        const char* browse;
    };
    static const Field kFields[] = {
        {"ed_Work", "Pracovní:", true, nullptr},       {"ed_Service", "Značky:", false, "b_Service"},
        {"ed_Data", "Datový:", false, "b_Data"},       {"ed_EXE", "Spouštěcí:", true, nullptr},
        {"ed_Template", "Šablony:", false, "b_Template"},
    };
    for (const Field& f : kFields) {
        TControl& edit = Add(TControlKind::Edit, f.name, Cz(f.caption), "gb_Folders");
        edit.ReadOnly = f.readOnly;
        if (f.browse) {
            std::string field = f.name;
            Add(TControlKind::Button, f.browse, ". . .", "gb_Folders").OnClick =
                [this, field](TControl&) { BrowseFolder(field); };
        }
    }
    Add(TControlKind::Button, "OK", "OK").ModalResult = mrOk;
    Add(TControlKind::Button, "Storno", "Storno").ModalResult = mrCancel;
}

void TF_Options::BrowseFolder(const std::string& field) { BrowseFolderInto((*this)[field]); }

// ---- TF_Template ----------------------------------------------------------------------

TF_Template::TF_Template(TOldMainTool* tool, std::string iniFile)
    : TForm("TF_Template"), FTool(tool), FIniFile(std::move(iniFile)) {
    Caption = Cz("Knihovna šablon mapových listů");
    Add(TControlKind::ListBox, "ListBox").OnChange = [this](TControl&) { PostToTool(msg::UpdateTemplateInfo); };
    auto button = [this](const char* name, const char* caption, const char* hint, int32_t message) {
        TControl& b = Add(TControlKind::Button, name, caption);
        b.Hint = Cz(hint);
        b.OnClick = [this, message](TControl&) { PostToTool(message); };
        return &b;
    };
    button("bbNova", "+", "Přidání šablony", msg::AddTemplate);
    button("bbzrus", "-", "Odebrání šablony", msg::RemoveTemplate);
    button("bbViewTemplate", "", "Zobrazení šablony", 0)->OnClick = [this](TControl&) {
        if ((*this)["ListBox"].ItemIndex >= 0) PostToTool(msg::CreateMapComposition);
    };
    button("b_EditMS", "", "Editace šablony grafickým editorem", msg::EditTemplate);
    button("b_NewMS", "", "Vytvoření nové šablony grafickým editorem", msg::NewMapSheetEditor);
    const std::pair<const char*, int32_t> kFiles[] = {
        {"b_MSD", msg::OpenTemplateMSD}, {"b_MSC", msg::OpenTemplateMSC}, {"b_YESK", msg::OpenTemplateYESK}};
    for (const auto& [name, message] : kFiles) {
        int32_t m = message;
        Add(TControlKind::Button, name, name + 2).OnClick = [this, m](TControl&) {
            PostToTool(m);
            PostToTool(msg::UpdateTemplateInfo);
        };
    }
    OnCloseQuery = [this](TForm&) {
        if (CloseRequested) return true;
        CloseRequested = true;
        PostToTool(msg::ToggleTemplateLibrary);
        return false;
    };
    try {
        TIniFile ini(FIniFile);
        Left = ini.ReadInteger("TemplateForm", "Left", 0);
        Top = ini.ReadInteger("TemplateForm", "Top", 0);
        // Without a stored size the window takes the size of its controls.
        if (ini.ValueExists("TemplateForm", "Width") || ini.ValueExists("TemplateForm", "Height")) {
            Height = ini.ReadInteger("TemplateForm", "Height", 200);
            Width = ini.ReadInteger("TemplateForm", "Width", 200);
        }
    } catch (Exception&) {
    }
    Show();
}

TF_Template::~TF_Template() {
    try {
        TIniFile ini(FIniFile);
        ini.WriteInteger("TemplateForm", "Left", Left);
        ini.WriteInteger("TemplateForm", "Top", Top);
        ini.WriteInteger("TemplateForm", "Height", Height);
        ini.WriteInteger("TemplateForm", "Width", Width);
    } catch (Exception&) {
    }
}

void TF_Template::PostToTool(int32_t message) {
    if (TOldMainTool* tool = FTool.Get()) TZarixMessage::CreateMessage(message, nullptr, tool, nullptr, false)->Post();
}

// ---- TPlugInDialog --------------------------------------------------------------------

TPlugInDialog::TPlugInDialog() : TForm("TPlugInDialog") {
    Caption = "Plug-Ins";
    Add(TControlKind::ListBox, "List").OnChange = [this](TControl& list) {
        TStringListElement* plugins = PluginList();
        if (list.ItemIndex >= 0 && list.ItemIndex < plugins->ElementsCount())
            (*this)["StatusBar"].Text = plugins->GetString(list.ItemIndex);
    };
    Add(TControlKind::Button, "b_Add", Cz("Přidat")).OnClick = [this](TControl&) {
        std::string file;
        if (GetUserHost().SelectFile("ZARIX Plug-In (*.so)|*.so", ExecPath(), file)) AddPlugIn(file);
    };
    Add(TControlKind::Button, "b_Remove", "Odebrat").OnClick = [this](TControl&) { RemoveSelected(); };
    Add(TControlKind::Button, "b_Close", Cz("Zavřít")).ModalResult = mrOk;
    Add(TControlKind::StatusBar, "StatusBar");
    Refill();
}

TStringListElement* TPlugInDialog::PluginList() {
    if (auto* list = As<TStringListElement>(World->FindElementName("PLUGIN"))) return list;
    TStringListElement* list = TStringListElement::New();
    list->SetName("PLUGIN");
    World->AddElement(list);
    return list;
}

void TPlugInDialog::SaveList() {
    TElementHolder<TSave> saver(TSave::New(ExecPath() + "Plugin.ZRX"));
    saver->SetInput(PluginList());
    saver->DoIt();
}

void TPlugInDialog::Refill() {
    TControl& list = (*this)["List"];
    list.Items.clear();
    TStringListElement* plugins = PluginList();
    for (int32_t i = 0; i < plugins->ElementsCount(); ++i) list.Items.push_back(plugins->GetNameAtIndex(i));
    list.ItemIndex = -1;
}

void TPlugInDialog::AddPlugIn(const std::string& entry) {
    std::string fileName = TOldMainTool::PlugInPath(entry);
    if (!FileExists(fileName)) {
        ShowErrorMessage(entry + Cz(" .. ňák ho nemůžu najít nebo co"));
        return;
    }
    if (std::string why = TOldMainTool::PlugInRefusal(fileName); !why.empty()) {
        ShowErrorMessage("Plug-In file: " + fileName + " not loaded: " + why);
        return;
    }
    TFileVersion version;
    version.SetFileName(fileName);
    PluginList()->AddNameString(version.InfoString("FileDescription"), fileName);
    Refill();
    SaveList();
    LoadPackage(fileName);
}

void TPlugInDialog::RemoveSelected() {
    TControl& list = (*this)["List"];
    TStringListElement* plugins = PluginList();
    if (list.ItemIndex < 0 || list.ItemIndex >= plugins->ElementsCount()) return;
    plugins->FreeElement(plugins->Get(list.ItemIndex));
    ShowMessage(Cz("Odebrání modulu se projeví až po restartu programu"));
    Refill();
    SaveList();
}
