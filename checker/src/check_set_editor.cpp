#include "checker/check_set_editor.h"

#include <algorithm>

#include "composition/modelfile.h"
#include "kernel/class_registry.h"
#include "kernel/file_elements.h"
#include "kernel/string_routines.h"
#include "kernel/value_elements.h"
#include "kernel/world.h"
#include "platform/files.h"
#include "platform/forms.h"
#include "platform/host.h"
#include "platform/sysutils.h"
#include "workbench/main_tool_base.h"
#include "workbench/name_dialog.h"
#include "kernel/element_holder.h"

namespace {

const char kOpenFilter[] = "soubro ZARIXu|*.ZRX";
const char kSaveFilter[] = "soubor ZARIXu|*.ZRX";

// An option of the program's main tool ("" without one).
std::string MainToolOption(const std::string& name) {
    auto* tool = World ? As<TOldMainTool>(World->GetMainTool()) : nullptr;
    return tool ? tool->GetOptionString(name) : std::string();
}

// The name form captioned "Název uzlu"; false when cancelled.
bool AskNodeName(std::string& name) {
    Tf_Name form;
    form.Caption = Cz("Název uzlu");
    form.NameEdit().Text = name;
    if (form.ShowModal() != mrOk) return false;
    name = form.NameEdit().Text;
    return true;
}

// Does the file hold what an empty set would lose: a set with nodes, or anything that is
// no check set at all?
bool FileHoldsChecks(const std::string& fileName) {
    if (!FileExists(fileName) || FileSize(fileName) <= 0) return false;
    TLoad* loader = TLoad::New(fileName);
    TElement* root = nullptr;
    try {
        loader->DoIt();
        root = loader->Output;
    } catch (const Exception&) {
    }
    Free(loader);
    auto* set = As<TInterpretNodeEntity>(root);
    bool holds = !set || set->ElementsCount() > 0;
    if (root) Free(root);
    return holds;
}

template <class T> T* FirstChildOf(TEntity* entity) {
    if (!entity) return nullptr;
    for (int32_t i = 0; i < entity->ElementsCount(); ++i)
        if (auto* child = As<T>(entity->Get(i))) return child;
    return nullptr;
}

int LineIndex(const TControl& c) {
    return c.ItemIndex >= 0 && c.ItemIndex < static_cast<int>(c.Items.size()) ? c.ItemIndex : -1;
}

template <class T> T* LineAt(const std::vector<THeld<T>>& lines, int index) {
    return index >= 0 && index < static_cast<int>(lines.size()) ? lines[static_cast<size_t>(index)].Get() : nullptr;
}

}  // namespace

// ---- the form ---------------------------------------------------------------------------

TINESetupDialogForm::TINESetupDialogForm() : TForm("TINESetupDialogForm") {
    struct Button {
        const char* name;
        const char* caption;
        const char* hint;
        void (TINESetupDialogForm::*action)();
    };
    static const Button kButtons[] = {
        {"b_New", "", "Vytvoření nové kontroly", &TINESetupDialogForm::New},
        {"b_Open", "", "Načtení existující kontroly ze souboru", &TINESetupDialogForm::Open},
        {"b_OpenAdd", "", "Přidání všech kontrolních uzlů z jiného souboru kontrol", &TINESetupDialogForm::OpenAdd},
        {"b_Save", "", "Uložení aktuální kontroly do aktuálního souboru", &TINESetupDialogForm::Save},
        {"b_SaveAs", "", "Uložení kontroly pod novým názvem", &TINESetupDialogForm::SaveAs},
        {"BitBtn8", "+", "Přidání nového uzlu", &TINESetupDialogForm::AddNode},
        {"b_DeleteNode", "", "Zrušení vybraného uzlu", &TINESetupDialogForm::DeleteNode},
        {"b_AddFromPalette", "", "", &TINESetupDialogForm::AddFromPalette},
        {"BitBtn3", "", "", &TINESetupDialogForm::RemoveCheck},
        {"ModelSetting", "", "Editace datového modelu", &TINESetupDialogForm::EditDataModel},
        {"BitBtn1", "", "Přidání kontroly adresářové struktury", &TINESetupDialogForm::AddFolderNode},
    };
    for (const Button& b : kButtons) {
        TControl& c = Add(TControlKind::Button, b.name, Cz(b.caption));
        c.Hint = Cz(b.hint);
        auto action = b.action;
        c.OnClick = [this, action](TControl&) { (this->*action)(); };
    }
    TControl& up = Add(TControlKind::Button, "BitBtn4");
    up.Hint = Cz("Posunutí uzlu o jeden nahoru");
    up.OnClick = [this](TControl&) { MoveNode(-1); };
    TControl& down = Add(TControlKind::Button, "BitBtn2");
    down.Hint = Cz("Posunutí uzlu o jeden dolů");
    down.OnClick = [this](TControl&) { MoveNode(1); };

    Add(TControlKind::Edit, "ed_Name").OnChange = [this](TControl& c) {
        if (!FEnabled) return;
        try {
            if (TInterpretNodeEntity* set = CheckSet()) set->SetName(c.Text);
        } catch (...) {
        }
        SetModified(true);
    };
    TControl& hDynamic = Add(TControlKind::CheckBox, "cb_HDynamic", "Dyn. modely");
    hDynamic.Hint = Cz("Pomalejší, ale úsporné načtení datového modelů celé kontroly");
    hDynamic.OnClick = [this](TControl& c) {
        TControl& node = (*this)["cb_Dynamic"];
        node.Checked = c.Checked;
        node.Enabled = !c.Checked;
        if (TInterpretNodeEntity* set = CheckSet()) set->SetDynamicModel(c.Checked);
    };
    TControl& noSettings = Add(TControlKind::CheckBox, "cb_DontInterpretModels", Cz("Bez nastavení"));
    noSettings.Hint = Cz("Vypnutí výpisu nastavení kontrol do protokolu");
    noSettings.OnClick = [this](TControl& c) {
        TInterpretNodeEntity* set = CheckSet();
        if (!set || set->GetNoSettings() == c.Checked) return;
        set->SetNoSettings(c.Checked);
        SetModified(true);
    };

    Add(TControlKind::Label, "l_Nodes", Cz("Kontrolní uzly"));
    TControl& nodes = Add(TControlKind::Tree, "o_1");
    nodes.OnChange = [this](TControl& c) { SelectNode(LineIndex(c)); };
    nodes.PopupMenu = "pm_Nodes";
    nodes.ReadOnly = true;  // outlines: no node is renamed in place
    Add(TControlKind::Label, "l_Checks", Cz("Kontroly uzlu"));
    TControl& checks = Add(TControlKind::Tree, "o_2");
    checks.OnChange = [this](TControl&) { RefreshGrid(); };
    checks.ReadOnly = true;
    checks.OnDragDrop = [this](TControl& target, TControl& source) { DragDrop(source.Name, target.Name); };
    Add(TControlKind::Label, "l_Palette", Cz("Nabídka kontrol"));
    Add(TControlKind::Tree, "o_3").ReadOnly = true;
    struct Item {
        const char* name;
        const char* caption;
        void (TINESetupDialogForm::*action)();
    };
    static const Item kNodeMenu[] = {
        {"mi_Rename", "Přejmenovat", &TINESetupDialogForm::RenameNode},
        {"mi_Delete", "Vyhodit", &TINESetupDialogForm::DeleteNode},
        {"mi_DataModel", "Nastavení datového modelu", &TINESetupDialogForm::EditDataModel},
        {"mi_AddProperties", "Přidání nových vlastností z kontrolního modelu",
         &TINESetupDialogForm::AddPropertiesFromPalette},
    };
    Add(TControlKind::PopupMenu, "pm_Nodes");
    for (const Item& item : kNodeMenu) {
        auto action = item.action;
        Add(TControlKind::MenuItem, item.name, Cz(item.caption), "pm_Nodes").OnClick =
            [this, action](TControl&) { (this->*action)(); };
    }

    Add(TControlKind::Label, "l_Properties", Cz("Vlastnosti vybrané kontroly"));
    TControl& header = Add(TControlKind::Other, "Header1");
    header.Items = {"vlastnost", "hodnota"};
    TControl& grid = Add(TControlKind::Grid, "SG");
    grid.OnCellChange = [this](TControl& g, int col, int row) {
        if (col != 1) return;
        if (TPropertyModel* p = LineAt(FGridRows, row)) {
            p->Value = g.Cell(1, row);
            SetModified(true);
        }
    };
    grid.OnCellDblClick = [this](TControl& g, int col, int row) {
        TPropertyModel* p = col == 1 ? LineAt(FGridRows, row) : nullptr;
        if (!p) return;
        std::string value = AnsiUpperCase(Trim(g.Cell(1, row)));
        if (value != "TRUE" && value != "FALSE") return;
        g.SetCell(1, row, value == "TRUE" ? "FALSE" : "TRUE");
        p->Value = g.Cell(1, row);
        SetModified(true);
    };
    Add(TControlKind::ListBox, "LB");
    TControl& dynamic = Add(TControlKind::CheckBox, "cb_Dynamic", "Dyn.Model");
    dynamic.Hint = Cz("Pomalejší, ale úsporné načtení datového modelu");
    dynamic.OnClick = [this](TControl& c) {
        if (auto* node = As<TInterpretNode>(SelectedNode())) node->SetDynamic(c.Checked);
    };

    Add(TControlKind::Panel, "PanelDH").Visible = false;
    Add(TControlKind::Panel, "Panel").Visible = false;
    TControl& tree = Add(TControlKind::Tree, "TreeView", "", "PanelDH");
    tree.PopupMenu = "pm_Dirs";
    // A folder's name edited in the tree renames it.
    tree.OnEdited = [this](TControl& c) { RenameSelectedFolder(c.Text); };
    Add(TControlKind::PopupMenu, "pm_Dirs");
    struct Action {
        const char* name;
        const char* caption;
        const char* hint;
        void (TINESetupDialogForm::*action)();
    };
    static const Action kActions[] = {
        {"NewDir", "Nová složka", "Vytvoření nové složky", &TINESetupDialogForm::NewDir},
        {"DeleteDir", "Smazat složku", "Zrušení vybrané složky (ne na disku, pochopitelně, jenom v modelu)",
         &TINESetupDialogForm::DeleteDir},
        {"RenameDir", "Přejmenovat složku", "Přejmenování složky", &TINESetupDialogForm::RenameDir},
        {"ClearDirs", "Smazat všechny složky", "Zrušení celé struktury adresářů", &TINESetupDialogForm::ClearDirs},
        {"CreateDirsByDisk", "Vytvořit podle struktury na disku",
         "Vytvoření struktury podle existujícího adresáře na disku", &TINESetupDialogForm::CreateDirsByDisk},
    };
    for (const Action& a : kActions) {
        TControl& c = Add(TControlKind::MenuItem, a.name, Cz(a.caption), "pm_Dirs");
        c.Hint = Cz(a.hint);
        auto action = a.action;
        c.OnClick = [this, action](TControl&) { (this->*action)(); };
    }
    Add(TControlKind::CheckBox, "SortTV", Cz("Třídit adresáře dle abecedy"), "Panel").OnClick = [this](TControl&) {
        RefreshFolders();
    };
    OnShow = [this](TForm&) { OnShowForm(); };
}

void TINESetupDialogForm::SetModified(bool value) {
    if (FEnabled) FModified = value;
}

TInterpretNodeEntity* TINESetupDialogForm::CheckSet() const { return FirstChildOf<TInterpretNodeEntity>(Container()); }

TInterpretModelEntity* TINESetupDialogForm::Palette() const { return FirstChildOf<TInterpretModelEntity>(Container()); }

TElement* TINESetupDialogForm::SelectedNode() const {
    TInterpretNodeEntity* set = CheckSet();
    int index = LineIndex((*this)["o_1"]);
    return set && index >= 0 && index < set->ElementsCount() ? set->Get(index) : nullptr;
}

TToolModel* TINESetupDialogForm::SelectedCheck() const { return LineAt(FCheckLines, LineIndex((*this)["o_2"])); }

TToolModel* TINESetupDialogForm::SelectedPaletteModel() const { return LineAt(FPaletteLines, LineIndex((*this)["o_3"])); }

THierarchyTemplate* TINESetupDialogForm::SelectedFolder() const {
    return LineAt(FFolderLines, LineIndex((*this)["TreeView"]));
}

void TINESetupDialogForm::OnShowForm() {
    TControl& palette = (*this)["o_3"];
    palette.Items.clear();
    palette.ItemIndex = -1;
    FPaletteLines.clear();
    if (TInterpretModelEntity* models = Palette())
        for (TToolModel* model : models->GetModels()) {
            palette.Items.push_back(model->GetName());
            FPaletteLines.emplace_back(model);
        }
    Refresh();
    Caption = FileName;
    FEnabled = true;
}

// ---- refreshing -------------------------------------------------------------------------

void TINESetupDialogForm::Refresh() {
    TControl& nodes = (*this)["o_1"];
    int selected = nodes.ItemIndex;
    nodes.Items.clear();
    TInterpretNodeEntity* set = CheckSet();
    if (!set && Container()) {
        set = TInterpretNodeEntity::New();
        set->SetName(Cz("Beze jména"));
        Container()->AddElement(set);
        SetModified(true);
    }
    if (set)
        for (int32_t i = 0; i < set->ElementsCount(); ++i) nodes.Items.push_back(set->Get(i)->GetName());
    nodes.ItemIndex = selected >= 0 && selected < static_cast<int>(nodes.Items.size()) ? selected : -1;
    (*this)["ed_Name"].Text = set ? set->GetName() : std::string();
    (*this)["cb_HDynamic"].Checked = set && set->GetDynamicModel();
    (*this)["cb_Dynamic"].Enabled = !(set && set->GetDynamicModel());
    (*this)["cb_DontInterpretModels"].Checked = set && set->GetNoSettings();
    SelectNode(nodes.ItemIndex);
}

void TINESetupDialogForm::SelectNode(int index) {
    (*this)["o_1"].ItemIndex = index;
    TElement* node = SelectedNode();
    bool folder = node && node->Is<TDirectoryHCheckNode>();
    for (const char* name : {"o_2", "SG", "LB"}) (*this)[name].Visible = !folder;
    (*this)["PanelDH"].Visible = folder;
    (*this)["Panel"].Visible = folder;
    FTemplate.Set(folder ? static_cast<TDirectoryHCheckNode*>(node)->GetTemplate() : nullptr);
    if (folder) RefreshFolders();
    RefreshChecks();
    RefreshDataModel();
}

void TINESetupDialogForm::RefreshChecks() {
    TControl& checks = (*this)["o_2"];
    checks.Items.clear();
    checks.ItemIndex = -1;
    FCheckLines.clear();
    auto* node = As<TInterpretNode>(SelectedNode());
    if (TInterpretModelEntity* models = node ? node->GetInterpretModel() : nullptr)
        for (TToolModel* model : models->GetModels()) {
            checks.Items.push_back(model->GetName());
            FCheckLines.emplace_back(model);
            for (TToolModel* sub : SubModelsOf(model)) {
                checks.Items.push_back("  " + sub->GetName());
                FCheckLines.emplace_back(sub);
            }
        }
    RefreshGrid();
}

void TINESetupDialogForm::RefreshGrid() {
    TControl& grid = (*this)["SG"];
    grid.ClearCells();
    grid.ColCount = 2;
    grid.SetCell(0, 0, Cz("Docela ňic"));
    grid.SetCell(1, 0, "");
    grid.Visible = !(*this)["PanelDH"].Visible;
    FGridRows.clear();
    TToolModel* check = SelectedCheck();
    if (!check) return;
    int row = 0;
    for (TPropertyModel* p : PropertyModelsOf(check)) {
        if (p->GetName() == "HIDE PROPERTY") continue;
        grid.SetCell(0, row, p->GetName());
        grid.SetCell(1, row, p->Value);
        FGridRows.emplace_back(p);
        ++row;
    }
    grid.Visible = row > 0;
}

void TINESetupDialogForm::RefreshDataModel() {
    TControl& list = (*this)["LB"];
    list.Items.clear();
    list.ItemIndex = -1;
    auto* node = As<TInterpretNode>(SelectedNode());
    if (!node) return;
    (*this)["cb_Dynamic"].Checked = node->GetDynamic();
    if (TStringListElement* model = node->GetDataModel())
        for (int32_t i = 0; i < model->ElementsCount(); ++i)
            if (TStringElement* item = model->GetSElems(i)) list.Items.push_back(item->GetNameIsValue());
}

void TINESetupDialogForm::RefreshFolders() {
    TControl& tree = (*this)["TreeView"];
    tree.Items.clear();
    FFolderLines.clear();
    if (THierarchyTemplate* root = FTemplate.Get()) AddFolderLines(root, 0);
    tree.ItemIndex = tree.Items.empty() ? -1 : 0;
}

void TINESetupDialogForm::AddFolderLines(THierarchyTemplate* folder, int depth) {
    TControl& tree = (*this)["TreeView"];
    tree.Items.push_back(std::string(static_cast<size_t>(depth) * 2, ' ') + folder->GetName());
    FFolderLines.emplace_back(folder);
    std::vector<THierarchyTemplate*> children;
    for (int32_t i = 0; i < folder->ElementsCount(); ++i)
        if (auto* child = As<THierarchyTemplate>(folder->Get(i))) children.push_back(child);
    if ((*this)["SortTV"].Checked)
        std::stable_sort(children.begin(), children.end(), [](THierarchyTemplate* a, THierarchyTemplate* b) {
            return AnsiCompareText(a->GetName(), b->GetName()) < 0;
        });
    for (THierarchyTemplate* child : children) AddFolderLines(child, depth + 1);
}

// ---- files ------------------------------------------------------------------------------

bool TINESetupDialogForm::AskToSave() {
    if (!FModified) return true;
    TInterpretNodeEntity* set = CheckSet();
    int answer = MessageDlg(Cz("Uložit změny v ") + (set ? set->GetName() : std::string()) + " ?", mtConfirmation,
                            mbYesNoCancel, 0);
    if (answer == mrCancel) return false;
    if (answer == mrYes) Save();
    return true;
}

bool TINESetupDialogForm::ChooseFile(bool save, std::string& fileName) {
    std::string folder = InitialDir;
    if (!save) {
        std::string scripts = MainToolOption("ScriptDirectory");
        if (!scripts.empty()) folder = scripts;
    }
    return GetUserHost().SelectFile(Cz(save ? kSaveFilter : kOpenFilter), folder, fileName);
}

TElement* TINESetupDialogForm::LoadFile(const std::string& fileName) {
    TLoad* loader = TLoad::New(fileName);
    TElement* root = nullptr;
    try {
        loader->DoIt();
        root = loader->Output;
    } catch (Exception& e) {
        // The set in the editor stays as it was.
        ShowErrorMessage(e.Message());
    }
    Free(loader);
    return root;
}

void TINESetupDialogForm::New() {
    if (!AskToSave()) return;
    if (TInterpretNodeEntity* set = CheckSet()) Container()->FreeElement(set);
    FModified = false;
    FileName.clear();
    Caption = "NoName";
    (*this)["o_1"].ItemIndex = -1;
    Refresh();
}

void TINESetupDialogForm::Open() {
    if (!AskToSave()) return;
    std::string file;
    if (ChooseFile(false, file) && Container()) {
        if (TElement* loaded = LoadFile(file)) {
            if (!loaded->Is<TInterpretNodeEntity>()) {
                ShowErrorMessage(Cz("Soubor neobsahuje kontrolu: ") + file);
                Free(loaded);
            } else {
                if (TInterpretNodeEntity* set = CheckSet()) Container()->FreeElement(set);
                Container()->AddElement(loaded);
                FileName = file;
                Caption = file;
                FModified = false;
                (*this)["o_1"].ItemIndex = -1;
            }
        }
    }
    Refresh();
}

void TINESetupDialogForm::OpenAdd() {
    TInterpretNodeEntity* set = CheckSet();
    if (!set) {
        Open();
        return;
    }
    std::string file;
    if (!ChooseFile(false, file)) return;
    TElement* loaded = LoadFile(file);
    auto* from = As<TInterpretNodeEntity>(loaded);
    if (from) {
        while (from->ElementsCount() > 0) {
            TElement* node = from->Get(0);
            from->RemoveElement(node);
            set->AddElement(node);
        }
        FileName = file;
        SetModified(true);
    } else if (loaded) {
        ShowErrorMessage(Cz("Soubor neobsahuje kontrolu: ") + file);
    }
    if (loaded) Free(loaded);
    Refresh();
}

void TINESetupDialogForm::Save() {
    if (FileName.empty()) {
        std::string file;
        if (!ChooseFile(true, file)) return;
        FileName = ChangeFileExt(file, ".ZRX");
    }
    TInterpretNodeEntity* set = CheckSet();
    if (!set) return;
    // A set without nodes replaces checks kept in the file only when the user says so.
    if (set->ElementsCount() == 0 && FileHoldsChecks(FileName) &&
        MessageDlg(Cz("Kontrola \"") + set->GetName() + Cz("\" neobsahuje žádný uzel. Přepsat soubor ") + FileName +
                       Cz(" prázdnou kontrolou ?"),
                   mtConfirmation, TMsgDlgButtons{mbYes, mbNo}, 0) != mrYes)
        return;
    FModified = false;
    TElementHolder<TSave> saver(TSave::New(FileName));
    Caption = FileName;
    try {
        saver->SetInput(set);
        saver->DoIt();
    } catch (...) {
        // The file was not written: the set is still to be saved.
        FModified = true;
        throw;
    }
}

void TINESetupDialogForm::SaveAs() {
    std::string file = FileName;
    if (!ChooseFile(true, file)) return;
    FileName = ChangeFileExt(file, ".ZRX");
    Save();
}

// ---- nodes ------------------------------------------------------------------------------

void TINESetupDialogForm::AddNode() {
    TInterpretNodeEntity* set = CheckSet();
    std::string name = Cz("Nový uzel");
    if (!set || !AskNodeName(name)) return;
    TElement* node = CreateElementByName("TInterpretNode");
    if (!node) return;
    node->SetName(name);
    set->AddElement(node);
    TControl& nodes = (*this)["o_1"];
    nodes.Items.push_back(name);
    SelectNode(static_cast<int>(nodes.Items.size()) - 1);
    SetModified(true);
}

void TINESetupDialogForm::AddFolderNode() {
    TInterpretNodeEntity* set = CheckSet();
    if (!set) return;
    TElement* node = CreateElementByName("TDirectoryHCheckNode");
    if (!node) return;
    node->SetName(Cz("Adresářová struktura"));
    set->AddElement(node);
    TControl& nodes = (*this)["o_1"];
    nodes.Items.push_back(node->GetName());
    SelectNode(static_cast<int>(nodes.Items.size()) - 1);
    SetModified(true);
}

void TINESetupDialogForm::RenameNode() {
    auto* node = As<TInterpretNode>(SelectedNode());
    if (!node) return;
    std::string name = node->GetName();
    if (!AskNodeName(name)) return;
    node->SetName(name);
    TControl& nodes = (*this)["o_1"];
    nodes.Items[static_cast<size_t>(nodes.ItemIndex)] = name;
    SetModified(true);
}

void TINESetupDialogForm::DeleteNode() {
    TElement* node = SelectedNode();
    if (!node) return;
    std::string question = Cz("Opravdu smazat uzel  \"") + node->GetName() + "\" ?";
    if (MessageDlg(question, mtConfirmation, TMsgDlgButtons{mbYes, mbNo}, 0) != mrYes) return;
    CheckSet()->FreeElement(node);
    SetModified(true);
    (*this)["o_1"].ItemIndex = -1;
    Refresh();
}

void TINESetupDialogForm::MoveNode(int step) {
    TInterpretNodeEntity* set = CheckSet();
    TControl& nodes = (*this)["o_1"];
    int from = LineIndex(nodes);
    int to = from + step;
    if (!set || from < 0 || to < 0 || to >= set->ElementsCount() || to >= static_cast<int>(nodes.Items.size())) return;
    set->ExchangeElements(from, to);
    std::swap(nodes.Items[static_cast<size_t>(from)], nodes.Items[static_cast<size_t>(to)]);
    SelectNode(to);
    SetModified(true);
}

// ---- checks -----------------------------------------------------------------------------

void TINESetupDialogForm::AddFromPalette() {
    auto* node = As<TInterpretNode>(SelectedNode());
    TToolModel* model = SelectedPaletteModel();
    if (!node || !model) return;
    TInterpretModelEntity* models = node->GetInterpretModel();
    if (!models) {
        models = TInterpretModelEntity::New();
        node->SetInterpretModel(models);
    }
    models->SetModelToAdd(model);
    SetModified(true);
    RefreshChecks();
}

void TINESetupDialogForm::RemoveCheck() {
    auto* node = As<TInterpretNode>(SelectedNode());
    TToolModel* check = SelectedCheck();
    TInterpretModelEntity* models = node ? node->GetInterpretModel() : nullptr;
    if (!models || !check) return;
    models->SetModelToDelete(check);
    SetModified(true);
    RefreshChecks();
}

void TINESetupDialogForm::DragDrop(const std::string& source, const std::string& target) {
    if (AnsiSameText(source, "o_3") && AnsiSameText(target, "o_2")) AddFromPalette();
}

void TINESetupDialogForm::AddPropertiesFromPalette() {
    TInterpretNodeEntity* set = CheckSet();
    if (!set) return;
    for (int32_t i = 0; i < set->ElementsCount(); ++i)
        if (TInterpretNode* node = set->GetInterpretNode(i))
            if (TInterpretModelEntity* models = node->GetInterpretModel()) models->AddProperties(Palette());
    SetModified(true);
    Refresh();
}

void TINESetupDialogForm::EditDataModel() {
    auto* node = As<TInterpretNode>(SelectedNode());
    if (!node) return;
    {
        TElementHolder<TStringListElement> input;
        TElementHolder<TTool> dialog(NewRegistered<TTool>("TLayerImportDialog"));
        if (!dialog) return;
        dialog->SetPropertyStringByName("DataDirectory", MainToolOption("DataDirectory"));
        if (TStringListElement* model = node->GetDataModel()) {
            input.Reset(TStringListElement::New());
            for (int32_t i = 0; i < model->ElementsCount(); ++i)
                if (TStringElement* item = model->GetSElems(i)) input->AddNameIsValue(item->GetNameIsValue());
            dialog->SetInput(input.Get());
        }
        dialog->DoIt();
        // A cancelled dialog gives nothing: the data model stays.
        if (auto* output = As<TStringListElement>(dialog->Output)) node->SetDataModel(output);
    }
    SetModified(true);
    RefreshDataModel();
}

// ---- folder templates -------------------------------------------------------------------

void TINESetupDialogForm::NewDir() {
    THierarchyTemplate* parent = SelectedFolder();
    if (!parent) parent = FTemplate.Get();
    if (!parent) return;
    THierarchyTemplate* folder = THierarchyTemplate::New();
    folder->SetName(Cz("Nová složka"));
    parent->AddElement(folder);
    RefreshFolders();
    TControl& tree = (*this)["TreeView"];
    for (size_t i = 0; i < FFolderLines.size(); ++i)
        if (FFolderLines[i].Get() == folder) tree.ItemIndex = static_cast<int>(i);
    tree.Text = folder->GetName();
    SetModified(true);
}

// The name is edited in the tree itself (its edited label comes to RenameSelectedFolder).
void TINESetupDialogForm::RenameDir() {
    if (THierarchyTemplate* folder = SelectedFolder()) (*this)["TreeView"].Text = folder->GetName();
}

void TINESetupDialogForm::RenameSelectedFolder(const std::string& name) {
    THierarchyTemplate* folder = SelectedFolder();
    if (folder && !name.empty()) {
        folder->SetName(name);
        SetModified(true);
    }
    // The lines again (an empty name shows the old one), the folder still selected.
    RefreshFolders();
    TControl& tree = (*this)["TreeView"];
    for (size_t i = 0; i < FFolderLines.size(); ++i)
        if (folder && FFolderLines[i].Get() == folder) tree.ItemIndex = static_cast<int>(i);
    tree.Text = tree.ItemIndex >= 0 ? tree.Items[static_cast<size_t>(tree.ItemIndex)] : std::string();
}

void TINESetupDialogForm::DeleteDir() {
    THierarchyTemplate* folder = SelectedFolder();
    if (!folder || folder == FTemplate.Get()) return;
    if (auto* parent = As<TEntity>(folder->FindOwnerClass(THierarchyTemplate::StaticClass()))) parent->FreeElement(folder);
    RefreshFolders();
    SetModified(true);
}

void TINESetupDialogForm::ClearDirs() {
    THierarchyTemplate* root = FTemplate.Get();
    if (!root) return;
    while (root->ElementsCount() > 0) root->FreeElement(root->Get(root->ElementsCount() - 1));
    RefreshFolders();
    SetModified(true);
}

void TINESetupDialogForm::CreateDirsByDisk() {
    THierarchyTemplate* root = FTemplate.Get();
    if (!root) return;
    std::string folder = InitialDir;
    if (!GetUserHost().SelectDirectory(Cz("Výběr adresáře pro šablonu"), folder)) return;
    {
        TElementHolder<TDirectoryElement> disk(TDirectoryElement::New());
        disk->DirOnly = true;
        disk->SetFileName(folder);
        while (root->ElementsCount() > 0) root->FreeElement(root->Get(root->ElementsCount() - 1));
        root->SetTemplateElement(disk.Get());
    }
    RefreshFolders();
    SetModified(true);
}

// ---- the tool ---------------------------------------------------------------------------

void TINESetupDialog::Publish(PropertyTable& t) {
    using C = TINESetupDialog;
    t.Field("FileName", &C::FileName);
    t.Field("initialDir", &C::initialDir);
}

void TINESetupDialog::DoIt() {
    TINESetupDialogForm form;
    form.FileName = FileName;
    form.InitialDir = initialDir;
    form.SetContainer(As<TEntity>(Input));
    form.ShowModal();
    FileName = form.FileName;
}

void RegisterCheckSetEditorUnit() { RegisterZarixClass<TINESetupDialog>(); }
