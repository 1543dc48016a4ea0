#include "workbench/key_map_window.h"

#include <cmath>

#include "composition/key_map.h"
#include "composition/key_map_interprets.h"
#include "composition/map_spaces.h"
#include "composition/modelfile.h"
#include "device/device.h"
#include "kernel/class_registry.h"
#include "kernel/real_ini_file.h"
#include "kernel/world.h"
#include "pelvar/pelvar.h"
#include "platform/files.h"
#include "platform/forms.h"
#include "platform/host.h"
#include "platform/sysutils.h"
#include "quintel/quintel.h"
#include "workbench/main_tool_base.h"

namespace {

const char* const kFilter = "soubor ZARIXu (*.ZRX)|*.ZRX";

// The ini keys of the stored switches, beside their buttons (b_ZM is not stored).
struct TSwitch {
    const char* button;
    const char* key;
    bool TGuideInterpret::*field;
    bool def;
};
const TSwitch kSwitches[] = {
    {"b_50", "50", &TGuideInterpret::Show_50, false},       {"b_25", "25", &TGuideInterpret::Show_25, false},
    {"b_10", "10", &TGuideInterpret::Show_10, false},       {"b_5", "5", &TGuideInterpret::Show_5, true},
    {"b_2", "2", &TGuideInterpret::Show_2, true},           {"b_U", "U", &TGuideInterpret::Show_U, true},
    {"b_ZM", nullptr, &TGuideInterpret::Show_ZM, false},    {"b_Texty", "Texty", &TGuideInterpret::Show_Text, true},
    {"b_Fill", "Fill", &TGuideInterpret::Fill_Page, true},
};

const TSwitch* SwitchOf(const std::string& button) {
    for (const TSwitch& s : kSwitches)
        if (button == s.button) return &s;
    return nullptr;
}

TOldMainTool* MainTool() { return World ? As<TOldMainTool>(World->GetMainTool()) : nullptr; }

std::string IniOfMainTool() {
    TOldMainTool* main = MainTool();
    return main ? main->GetIniFileName() : GetModulIniFile();
}

std::string Padded(double v, int decimals, size_t width) {
    std::string text = FloatToStrF(v, decimals);
    return std::string(text.size() < width ? width - text.size() : 0, ' ') + text;
}

// Detaches the gathered sheets (they stay with the key map) and frees the list.
void FreeList(TElement* list) {
    auto* e = As<TEntity>(list);
    if (!e) {
        Free(list);
        return;
    }
    while (e->ElementsCount() > 0) e->RemoveElement(e->Get(e->ElementsCount() - 1));
    Free(e);
}

}  // namespace

// ---- files -----------------------------------------------------------------------------------

namespace {

// The loader's output; nil and the reason when it raised. The loader is freed.
TElement* RunLoader(TTool* loader, std::string& error) {
    TElement* root = nullptr;
    try {
        loader->DoIt();
        root = loader->Output;
    } catch (const Exception& e) {
        error = e.Message();
    } catch (const std::exception& e) {
        error = e.what();
    }
    Free(loader);
    return root;
}

}  // namespace

TGuide* ReadKeyMapFile(const std::string& path, std::string& error) {
    error.clear();
    TElement* root = RunLoader(TLoad::New(path), error);
    auto* guide = As<TGuide>(root);
    if (!guide) {
        if (root && IsLive(root)) Free(root);
        if (error.empty()) error = path;
        return nullptr;
    }
    if (TElement* marker = guide->FindElementClass(TSelectedElement::StaticClass())) guide->FreeElement(marker);
    guide->EnsureStructure();
    return guide;
}

TEntity* ReadSheetSelection(const std::string& path, std::string& error) {
    error.clear();
    if (!FileExists(path)) {
        error = Cz("Soubor ") + path + Cz(" neexistuje!");
        return nullptr;
    }
    TLoader* loader = TLoader::New();
    loader->SetName(path);
    TElement* root = RunLoader(loader, error);
    auto* list = As<TEntity>(root);
    // A selection is a plain list of map spaces, nothing else.
    bool fine = list && !list->Is<TMapSpace>() && list->ElementsCount() > 0;
    for (int32_t i = 0; fine && i < list->ElementsCount(); ++i) fine = As<TMapSpace>(list->Get(i)) != nullptr;
    if (!fine) {
        if (root && IsLive(root)) Free(root);
        error = Cz("Soubor výběru listů ") + path + Cz(" je patrně poškozen, nebo není výběrem z průvodce");
        return nullptr;
    }
    return list;
}

void WriteSheetSelection(TEntity* selection, const std::string& path) {
    selection->ResetID();
    RunAndFree(TSaver::New(path), selection);
}

// ---- TGuideForm ------------------------------------------------------------------------------

const char* const TGuideForm::SeriesButtons[9] = {"b_50", "b_25", "b_10", "b_5", "b_2",
                                                  "b_U",  "b_ZM", "b_Texty", "b_Fill"};

TGuideForm::TGuideForm(TGuideFormTool* tool)
    : TStandardImageForm(tool), FTool(tool), FToolSerial(tool ? tool->Serial() : 0) {
    Caption = Cz("Zobrazovač");
    auto post = [this](int32_t msg, bool withTool = false) {
        return [this, msg, withTool](TControl&) {
            if (TGuideFormTool* t = Tool()) t->PostMsg(msg, t, withTool ? t : nullptr, false);
        };
    };
    Add(TControlKind::Panel, "GuideBar");
    for (const char* name : SeriesButtons) {
        std::string n = name;
        Add(TControlKind::Button, n, {}, "GuideBar").OnClick = [this, n](TControl&) { Toggle(n.c_str()); };
    }
    // The right mouse button on the base-map switch sets its scale, colour and width.
    (*this)["b_ZM"].OnMouse = [this](TControl&, TControl::TMouseAction action, int button, uint32_t, int, int) {
        if (action == TControl::TMouseAction::Up && button == 1) ZMDialog();
    };
    Add(TControlKind::Button, "b_Viewer", {}, "GuideBar").OnClick = post(guide_msg::ShowViewer);
    Add(TControlKind::Button, "b_GuideSelector", {}, "GuideBar").OnClick = post(guide_msg::ShowSheetSelector);
    Add(TControlKind::Button, "b_MakeDetail", {}, "GuideBar").OnClick = post(guide_msg::ShowSheetSelector, true);
    Add(TControlKind::Button, "b_NewUserSpace", {}, "GuideBar").OnClick = [this](TControl& c) {
        Toggle(c.Name.c_str());
    };
    Add(TControlKind::Button, "b_EditUserSpace", {}, "GuideBar").OnClick = [this](TControl& c) {
        Toggle(c.Name.c_str());
    };
    Add(TControlKind::Button, "b_Size", {}, "GuideBar").OnClick = [this](TControl& c) {
        c.Checked = !c.Checked;
        if (TGuideFormTool* t = Tool())
            t->PostMsg(c.Checked ? guide_msg::ShowUMSForm : guide_msg::HideUMSForm, t, nullptr, false);
    };
    Add(TControlKind::Button, "BitBtn2", {}, "GuideBar").OnClick = post(guide_msg::ImportVectors);
    Add(TControlKind::Panel, "Panel1");
    Add(TControlKind::Button, "b_Apply", Cz("Použít"), "Panel1").OnClick = post(guide_msg::Apply);
    Add(TControlKind::Button, "b_Cancel", Cz("Storno"), "Panel1").OnClick = post(guide_msg::Cancel);
    for (const char* name : {"l_50", "l_10", "l_5", "l_25"}) Add(TControlKind::Label, name, {}, "StatusPanel");

    Add(TControlKind::MenuItem, "Import1", Cz("Import &vektorové kresby"), "Soubor1").OnClick =
        post(guide_msg::ImportVectors);
    Add(TControlKind::MenuItem, "Vytvoreni1", Cz("&Vytvoření "), "Soubor1").OnClick =
        post(guide_msg::NewGuideManual);
    Add(TControlKind::MenuItem, "pVyrezVyber", Cz("Výřez dle výběru"), "PopupMenu1").OnClick =
        post(guide_msg::ZoomToSelection);
    Add(TControlKind::MenuItem, "pVyrezVektory", Cz("Výřez dle vektorové kresby"), "PopupMenu1").OnClick =
        post(guide_msg::ZoomToVectors);
    Add(TControlKind::MenuItem, "pOdstranit", Cz("Odstranit vybrané"), "PopupMenu1").OnClick =
        post(guide_msg::RemoveSelected);
    Add(TControlKind::MenuItem, "pInverze", Cz("Inverze výběru"), "PopupMenu1").OnClick =
        post(guide_msg::InvertSelection);
    // "&Tisk" prints nothing here.
    (*this)["Tiskni1"].OnClick = nullptr;

    // The first close request only asks the main tool to switch the key map off.
    OnCloseQuery = [this](TForm&) {
        if (CloseFlag) return true;
        CloseFlag = true;
        if (World && World->GetMainTool())
            World->GetMainTool()->PostMsg(guide_msg::ToggleGuide, World->GetMainTool(), nullptr, false);
        return false;
    };
}

TGuideForm::~TGuideForm() {
    try {
        TRealIniFile ini(IniOfMainTool());
        ini.WriteInteger("GuideForm", "Left", Left);
        ini.WriteInteger("GuideForm", "Top", Top);
        ini.WriteInteger("GuideForm", "Height", Height);
        ini.WriteInteger("GuideForm", "Width", Width);
        for (const TSwitch& s : kSwitches)
            if (s.key) ini.WriteBool("GuideForm", s.key, (*this)[s.button].Checked);
    } catch (const Exception&) {
    }
}

TGuideFormTool* TGuideForm::Tool() const { return FTool && IsLive(FTool, FToolSerial) ? FTool : nullptr; }

void TGuideForm::Toggle(const char* button) {
    TGuideFormTool* tool = Tool();
    TGuideInterpret* i = tool ? tool->GuideInterpret() : nullptr;
    std::string name = button;
    TControl& b = (*this)[name];
    if (name == "b_NewUserSpace" || name == "b_EditUserSpace") {
        if (!(*this)["b_U"].Checked) Toggle("b_U");
        if (tool)
            tool->PostMsg(name == "b_NewUserSpace" ? guide_msg::NewUserSpace : guide_msg::EditUserSpace, tool,
                          nullptr, false);
        return;
    }
    const TSwitch* s = SwitchOf(name);
    if (!s || !i) return;
    i->*(s->field) = !(i->*(s->field));
    b.Checked = i->*(s->field);
    tool->PostMsg(tm_ReView, tool, nullptr, false);
    if (name == "b_Texty" || name == "b_Fill") return;
    if (TGuideSelector* sel = tool->Selector()) {
        if (name == "b_10" || name == "b_5" || name == "b_2" || name == "b_U") {
            sel->Show_U = i->Show_U;
            sel->Show_10 = i->Show_10;
            sel->Show_5 = i->Show_5;
            sel->Show_2 = i->Show_2;
        } else if (name == "b_25" || name == "b_50") {
            // b_50 refreshes its copy too: without it a click with only 1:50000 shown
            // would mark nothing.
            sel->Show_50 = i->Show_50;
            sel->Show_25 = i->Show_25;
        } else if (name == "b_ZM") {
            sel->Show_ZM = i->Show_ZM;
        }
    }
    if (World && World->GetMainTool())
        World->GetMainTool()->PostMsg(guide_msg::SeriesChanged, World->GetMainTool(), nullptr, false);
}

void TGuideForm::ZMDialog() {
    TGuideFormTool* tool = Tool();
    TGuide* guide = tool ? tool->GetGuide() : nullptr;
    if (!guide) return;
    TZMSpace* space = guide->GetZMSpace();
    TMapsZM* zm = space->GetZM();
    TZMDialog dialog;
    std::string level = IntToStr(zm->GetScale());
    TControl& scales = dialog["rg_Scale"];
    scales.ItemIndex = 4;
    for (size_t k = 0; k < scales.Items.size(); ++k)
        if (scales.Items[k] == level) scales.ItemIndex = static_cast<int>(k);
    dialog["p_Color"].Tag = static_cast<int>(zm->GetColor());
    dialog["e_Width"].Text = FloatToStrF(zm->GetPenWidth(), 2);
    if (dialog.ShowModal() != mrOk) return;
    int index = std::clamp(scales.ItemIndex, 0, 4);
    zm->SetScale(StrToInt(scales.Items[static_cast<size_t>(index)]));
    zm->SetColor(static_cast<TColor>(dialog["p_Color"].Tag));
    double width = 0;
    zm->SetPenWidth(TextToFloat(dialog["e_Width"].Text, width) && std::isfinite(width) ? width : 0);
    tool->PostMsg(tm_ReView, tool, nullptr, false);
}

// ---- TGuideFormTool --------------------------------------------------------------------------

void TGuideFormTool::Publish(PropertyTable& t) {
    using C = TGuideFormTool;
    t.Obj<C, TEntity>("SelectedMapSpaces", &C::GetSelectedMapSpaces, nullptr).Stored(false);
    t.Obj<C, TGuide>("Guide", &C::GetGuide, &C::SetGuide).Stored(false);
}

std::string TGuideFormTool::IniFileName() { return IniOfMainTool(); }

std::string TGuideFormTool::GuideFileName() {
    TOldMainTool* main = MainTool();
    std::string folder = main ? main->GetIniDirectory() : GetCurrentDir();
    return IncludeTrailingPathDelimiter(folder) + "Guide.ZRX";
}

std::string TGuideFormTool::SelectionFileName() { return IncludeTrailingPathDelimiter(GetCurrentDir()) + "Select.ZRX"; }

void TGuideFormTool::CreateForm() {
    FForm = new TGuideForm(this);
    FForm->CloseFlag = false;
}

void TGuideFormTool::CreateInterpret() {
    TGuideInterpret* i = TGuideInterpret::New();
    i->Show_5 = i->Show_Text = i->Fill_Page = true;
    SetInterpret(i);
}

void TGuideFormTool::CreateDefaultTools() {
    SetNextTool(TGuideSelector::New());
    SetNextTool(TNewUserMapSpace::New());
    SetNextTool(TUserMapSpaceEditor::New());
    SetNextTool(TViewer::New());
}

TGuideForm* TGuideFormTool::GuideForm() const { return static_cast<TGuideForm*>(FForm); }

TGuideInterpret* TGuideFormTool::GuideInterpret() { return As<TGuideInterpret>(GetInterpret()); }

TGuideSelector* TGuideFormTool::Selector() {
    for (int32_t k = 0; k < ToolsCount(); ++k)
        if (auto* s = As<TGuideSelector>(GetTool(k))) return s;
    return nullptr;
}

void TGuideFormTool::Create() {
    inherited::Create();
    SetPageColor(0xC0C0C0);
    ShowApplyPanel(false);
    std::string file = GuideFileName();
    if (FileExists(file)) {
        std::string error;
        if (TGuide* guide = ReadKeyMapFile(file, error)) {
            SetGuide(guide);
        } else {
            ShowErrorMessage(Cz("Soubor průvodce byl patrně poškozen, bude vytvořen nový .. "));
            PostMsg(guide_msg::NewGuideManual, this, nullptr, false);
        }
    } else {
        PostMsg(guide_msg::NewGuideManual, this, nullptr, false);
    }
    TRealIniFile ini(IniFileName());
    if (TPageProjection* p = GetProjection()) {
        double x = ini.ReadDouble("Guide", "X", p->GetCenterX());
        double y = ini.ReadDouble("Guide", "y", p->GetCenterY());
        double s = ini.ReadDouble("Guide", "Scale", p->GetScale());
        if (std::isfinite(x) && std::isfinite(y) && std::isfinite(s))
            p->ChangeProjection(T2DPoint{x, y}, GetDevice()->GetPage(), s);
    }
    if (TGuideInterpret* i = GuideInterpret())
        for (const TSwitch& s : kSwitches)
            if (s.key) i->*(s.field) = ini.ReadBool("GuideForm", s.key, s.def);
    SelectorFromInterpret();
    ButtonsFromInterpret();
    FNormal = true;
    ShowApplyPanel(false);
    if (FForm) {
        FForm->Left = ini.ReadInteger("GuideForm", "Left", 0);
        FForm->Top = ini.ReadInteger("GuideForm", "Top", 0);
        // Without a stored size the window shows its map at the default size.
        if (ini.ValueExists("GuideForm", "Width") || ini.ValueExists("GuideForm", "Height"))
            FForm->Resize(std::max(1, ini.ReadInteger("GuideForm", "Width", 200)),
                          std::max(1, ini.ReadInteger("GuideForm", "Height", 200)));
    }
}

void TGuideFormTool::Destroy() {
    delete FUMSForm;
    FUMSForm = nullptr;
    SaveGuide();
    inherited::Destroy();
}

void TGuideFormTool::SaveGuide() {
    TGuide* guide = GetGuide();
    if (!guide) return;
    try {
        guide->ResetIDs();
        RunAndFree(TSave::New(GuideFileName()), guide);
    } catch (const Exception& e) {
        ShowErrorMessage(e.Message());
    }
}

void TGuideFormTool::SaveView() {
    TPageProjection* p = GetProjection();
    if (!p) return;
    std::string x = Format("%.3f", p->GetCenterX()), y = Format("%.3f", p->GetCenterY()),
                s = Format("%.3f", p->GetScale());
    // The ini file is written (and synced) only when the view moved since.
    if (x + " " + y + " " + s == FViewWritten) return;
    FViewWritten = x + " " + y + " " + s;
    TRealIniFile ini(IniFileName());
    ini.WriteString("Guide", "X", x);
    ini.WriteString("Guide", "y", y);
    ini.WriteString("Guide", "Scale", s);
}

void TGuideFormTool::ButtonsFromInterpret() {
    TGuideInterpret* i = GuideInterpret();
    if (!FForm || !i) return;
    for (const TSwitch& s : kSwitches) (*FForm)[s.button].Checked = i->*(s.field);
}

void TGuideFormTool::SelectorFromInterpret() {
    TGuideInterpret* i = GuideInterpret();
    TGuideSelector* sel = Selector();
    if (!i || !sel) return;
    sel->Show_50 = i->Show_50;
    sel->Show_25 = i->Show_25;
    sel->Show_10 = i->Show_10;
    sel->Show_5 = i->Show_5;
    sel->Show_2 = i->Show_2;
    sel->Show_U = i->Show_U;
}

void TGuideFormTool::ShowApplyPanel(bool visible) {
    if (FForm) (*FForm)["Panel1"].Visible = visible;
}

void TGuideFormTool::PostToMain(int32_t msg, TElement* data) {
    if (World && World->GetMainTool()) World->GetMainTool()->PostMsg(msg, World->GetMainTool(), data, false);
}

TF_UMSedForm* TGuideFormTool::GetUMSEditForm() {
    if (!FUMSForm) FUMSForm = new TF_UMSedForm(this);
    return FUMSForm;
}

TGuide* TGuideFormTool::GetGuide() {
    if (FGuide && (!IsLive(FGuide, FGuideSerial) || IndexOf(FGuide) < 0)) FGuide = nullptr;
    return FGuide;
}

TGuide* TGuideFormTool::GetBackupGuide() {
    if (FBackup && (!IsLive(FBackup, FBackupSerial) || IndexOf(FBackup) < 0)) FBackup = nullptr;
    return FBackup;
}

void TGuideFormTool::SetBackupGuide(TGuide* guide) {
    TGuide* kept = GetBackupGuide();
    if (kept && kept != GetGuide() && kept != guide) FreeElement(kept);
    FBackup = guide;
    FBackupSerial = guide ? guide->Serial() : 0;
}

void TGuideFormTool::SetGuide(TGuide* guide) {
    TGuide* current = GetGuide();
    if (guide == current) return;
    if (current) SetBackupGuide(current);
    FGuide = guide;
    FGuideSerial = guide ? guide->Serial() : 0;
    if (guide) {
        if (IndexOf(guide) < 0) AddElement(guide);
        TDevice* d = GetDevice();
        if (d && d->GetProjection() && !guide->Rect().IsEmpty()) {
            try {
                d->GetProjection()->ChangeProjectionByRectangle(guide->Rect(), d->GetPage());
            } catch (const Exception&) {
            }
        }
    }
    TInteractiveTool::SetInput(guide);
    for (int32_t k = 0; k < ToolsCount(); ++k)
        if (TInteractiveTool* t = GetTool(k)) t->SetInput(guide);
}

void TGuideFormTool::SetInput(TElement* element) {
    if (auto* guide = As<TGuide>(element)) SetGuide(guide);
}

TSelectGuide* TGuideFormTool::NewSelectGuide(bool withZM) {
    TSelectGuide* s = TSelectGuide::New();
    if (FForm) {
        auto down = [this](const char* b) { return (*FForm)[b].Checked; };
        s->Sel_ZM = withZM && down("b_ZM");
        s->Sel_U = down("b_U");
        s->Sel_10 = down("b_10");
        s->Sel_5 = down("b_5");
        s->Sel_2 = down("b_2");
        s->Sel_25 = down("b_25");
        s->Sel_50 = down("b_50");
    }
    return s;
}

TEntity* TGuideFormTool::GetSelectedMapSpaces() {
    TGuide* guide = GetGuide();
    if (!guide) return nullptr;
    guide->ResetIDs();
    TElement* out = RunAndFree(NewSelectGuide(true), guide);
    auto* list = As<TEntity>(out);
    if (!list && out) Free(out);
    return list;
}

// ---- handlers --------------------------------------------------------------------------------

void TGuideFormTool::StartSheetSelection() {
    SetBackupGuide(GetGuide());
    FNormal = true;
    ShowApplyPanel(true);
    if (GetFormVisible()) PostMsg(tm_ResizeView, this, nullptr, false);
}

void TGuideFormTool::NewGuide(bool automatic) {
    if (FForm && (*FForm)["Panel1"].Visible) return;
    FNormal = false;
    FAuto = automatic;
    ShowApplyPanel(true);
    if (!automatic) {
        if (TGuideInterpret* i = GuideInterpret()) i->Show_50 = true;
        if (FForm) (*FForm)["b_50"].Checked = true;
        if (TGuideSelector* sel = Selector()) sel->Show_50 = true;
    }
    TGuide* guide = TGuide::New();
    try {
        guide->Reload();
    } catch (const Exception& e) {
        ShowErrorMessage(e.Message());
    }
    guide->EnsureStructure();
    SetGuide(guide);
    PostMsg(tm_ReView, this, nullptr, false);
}

void TGuideFormTool::Apply() {
    SetBackupGuide(nullptr);
    TGuide* guide = GetGuide();
    if (FNormal && guide) {
        // The sheets marked in the series the buttons show, as the main tool sees them.
        guide->ResetIDs();
        TSelectGuide* s = NewSelectGuide(true);
        try {
            s->SetInput(guide);
            s->DoIt();
            if (auto* list = As<TEntity>(s->Output)) {
                try {
                    WriteSheetSelection(list, SelectionFileName());
                } catch (const Exception& e) {
                    ShowErrorMessage(e.Message());
                }
            }
        } catch (const Exception&) {
        }
        FreeList(s->Output);
        Free(s);
        PostToMain(guide_msg::SelectionStored);
    }
    FAuto = false;
    FNormal = true;
    ShowApplyPanel(false);
    PostMsg(tm_ResizeView, this, nullptr, false);
    SaveGuide();
    PostToMain(guide_msg::Finished);
}

void TGuideFormTool::Cancel() {
    TGuide* kept = GetBackupGuide();
    FBackup = nullptr;
    if (kept && kept != GetGuide()) {
        SetGuide(kept);
        SetBackupGuide(nullptr);
    }
    FNormal = true;
    ShowApplyPanel(false);
    FAuto = false;
    PostMsg(tm_ResizeView, this, nullptr, false);
    PostToMain(guide_msg::Cancelled);
    PostToMain(guide_msg::Finished);
}

void TGuideFormTool::ImportVectors() {
    TGuide* guide = GetGuide();
    if (!guide) return;
    std::string data = MainTool() ? MainTool()->GetOptionString("DataDirectory") : std::string();
    try {
        TLayerImportDialog* dialog = TLayerImportDialog::New();
        dialog->SetDataDirectory(data);
        TElement* lines = RunAndFree(dialog, nullptr);
        TElement* script = nullptr;
        if (lines) {
            TModelScriptCreator* creator = TModelScriptCreator::New();
            creator->SetDataDirectory(data);
            script = RunAndFree(creator, lines);
            Free(lines);
        }
        TElement* model = nullptr;
        if (script) {
            model = RunAndFree(TModelByScriptCreator::New(), script);
            Free(script);
        }
        if (model) {
            model->SetName("DATA");
            TVectors* vectors = guide->GetVectors();
            int choice = 0;
            if (vectors->ElementsCount() > 0) {
                TGuideVectorsDlg ask;
                choice = ask.ShowModal() == mrOk ? ask.Choice() : 2;
            }
            if (choice == 0) {
                while (vectors->ElementsCount() > 0) vectors->FreeElement(vectors->Get(vectors->ElementsCount() - 1));
            }
            if (choice == 2) Free(model);
            else vectors->AddElement(model);
        }
    } catch (const Exception&) {
    }
    PostMsg(tm_ReView, this, nullptr, false);
}

void TGuideFormTool::ZoomTo(bool vectors) {
    TGuide* guide = GetGuide();
    TGuideInterpret* i = GuideInterpret();
    if (guide && i) {
        TRecGuideSelect* r = TRecGuideSelect::New();
        if (vectors) {
            r->Vectors = true;
        } else {
            r->S50 = i->Show_50;
            r->S25 = i->Show_25;
            r->S10 = i->Show_10;
            r->S5 = i->Show_5;
            r->S2 = i->Show_2;
            r->SU = i->Show_U;
        }
        r->SetInput(guide);
        r->DoIt();
        TDevice* d = GetDevice();
        if (!r->Result.IsEmpty() && d && d->GetProjection())
            d->GetProjection()->ChangeProjectionByRectangle(r->Result, d->GetPage());
        Free(r);
    }
    PostMsg(tm_ReView, this, nullptr, false);
}

void TGuideFormTool::RemoveSelected() {
    TGuide* guide = GetGuide();
    if (!guide) return;
    try {
        TSelectGuide* s = NewSelectGuide(false);
        s->SetInput(guide);
        s->DoIt();
        if (auto* list = As<TEntity>(s->Output)) {
            for (int32_t k = list->ElementsCount() - 1; k >= 0; --k) {
                TElement* sheet = list->Get(k);
                list->RemoveElement(sheet);
                if (IsLive(sheet)) Free(sheet);
            }
        }
        FreeList(s->Output);
        Free(s);
    } catch (const Exception&) {
    }
    PostMsg(tm_ReView, this, nullptr, false);
}

void TGuideFormTool::InvertSelection() {
    TGuide* guide = GetGuide();
    if (!guide || !FForm) return;
    try {
        TInvertGuide* s = TInvertGuide::New();
        auto down = [this](const char* b) { return (*FForm)[b].Checked; };
        s->Sel_U = down("b_U");
        s->Sel_10 = down("b_10");
        s->Sel_5 = down("b_5");
        s->Sel_2 = down("b_2");
        s->Sel_25 = down("b_25");
        s->Sel_50 = down("b_50");
        s->SetInput(guide);
        s->DoIt();
        FreeList(s->Output);
        Free(s);
    } catch (const Exception&) {
    }
    PostMsg(tm_ReView, this, nullptr, false);
}

void TGuideFormTool::ShowTool(const char* className) {
    if (!FForm) return;
    for (TControl* item : FForm->ToolItems())
        if (SameText(item->Name, className)) {
            item->Click();
            return;
        }
}

void TGuideFormTool::RectToForm() {
    auto* editor = As<TUserMapSpaceEditor>(GetActiveTool());
    TPageProjection* p = GetProjection();
    if (!editor || !p) return;
    TRectangle r;
    p->GetModelRect(editor->DragRect(), r);
    r.Sort();
    GetUMSEditForm()->TakeRect(r.Min.X, r.Min.Y, r.Max.X, r.Max.Y);
}

void TGuideFormTool::SelectedToForm() {
    auto* editor = As<TUserMapSpaceEditor>(GetActiveTool());
    TUserMapSpace* space = editor ? editor->Selected() : nullptr;
    if (!space) return;
    TF_UMSedForm* form = GetUMSEditForm();
    (*form)["e_Name"].Text = space->GetName();
    if (space->GetScale() > 0) form->Scale = space->GetScale();
    form->TakeRect(space->GetMinX(), space->GetMinY(), space->GetMaxX(), space->GetMaxY());
}

void TGuideFormTool::HandleMessage(TZarixMessage*& message, bool& handled) {
    inherited::HandleMessage(message, handled);
    if (handled || !message || !IsLive(this)) return;
    int32_t m = message->Message;
    handled = true;
    try {
        switch (m) {
            case guide_msg::StartSheetSelection: StartSheetSelection(); break;
            case guide_msg::ImportVectors: ImportVectors(); break;
            case guide_msg::RectToForm: RectToForm(); break;
            case guide_msg::SelectedToForm: SelectedToForm(); break;
            case guide_msg::ShowUMSForm: GetUMSEditForm()->Show(); break;
            case guide_msg::HideUMSForm:
                if (FUMSForm) FUMSForm->Hide();
                if (FForm) (*FForm)["b_Size"].Checked = false;
                break;
            case guide_msg::NewUserSpace: ShowTool("TNewUserMapSpace"); break;
            case guide_msg::EditUserSpace: ShowTool("TUserMapSpaceEditor"); break;
            case guide_msg::NewGuideAuto: NewGuide(true); break;
            case guide_msg::NewGuideManual: NewGuide(false); break;
            case guide_msg::Apply: Apply(); break;
            case guide_msg::Cancel: Cancel(); break;
            case guide_msg::ZoomToSelection: ZoomTo(false); break;
            case guide_msg::ZoomToVectors: ZoomTo(true); break;
            case guide_msg::ShowViewer: ShowTool("TViewer"); break;
            case guide_msg::ShowSheetSelector: {
                bool detail = message->Data != nullptr;
                ShowTool("TGuideSelector");
                Application().ProcessMessages();
                if (!IsLive(this)) return;
                if (TGuideSelector* sel = Selector()) sel->Detail = detail;
                if (FForm) (*FForm)["b_MakeDetail"].Checked = detail;
                break;
            }
            case guide_msg::RemoveSelected: RemoveSelected(); break;
            case guide_msg::InvertSelection: InvertSelection(); break;
            default: handled = false; break;
        }
    } catch (const Exception&) {
        PostMsg(tm_ReView, this, nullptr, false);
    }
}

void TGuideFormTool::ActivateTool(TZarixMessage*& message, bool& handled) {
    inherited::ActivateTool(message, handled);
    if (!FForm) return;
    TInteractiveTool* active = GetActiveTool();
    (*FForm)["b_Viewer"].Checked = active && active->Is<TViewer>();
    (*FForm)["b_GuideSelector"].Checked = active && active->Is<TGuideSelector>();
}

void TGuideFormTool::MouseMove(TZarixMessage*& message, bool& handled) {
    auto* mouse = As<TZarixMouseEvent>(message);
    TPageProjection* p = GetProjection();
    if (!FForm || !mouse || !p) return;
    handled = true;
    try {
        T2DPoint m = p->GetModelPoint(mouse->X, mouse->Y);
        (*FForm)["l_x"].Text = Padded(m.X, 2, 12);
        (*FForm)["l_y"].Text = Padded(m.Y, 2, 12);
        TGuide* guide = GuideOf(Input);
        if (!guide) return;
        auto put = [this](const char* label, const std::string& text) {
            TControl& l = (*FForm)[label];
            if (l.Text != text) l.Text = text;
        };
        if ((*FForm)["b_ZM"].Checked) {
            TMapsZM* zm = TMapsZM::New();
            zm->SetScale(guide->GetZM()->GetScale());
            put("l_50", zm->FindMapNameAt(m.X, m.Y));
            Free(zm);
            put("l_10", "");
            put("l_5", "");
            put("l_25", "");
            return;
        }
        TSheetNames names = SheetNamesAt(guide, m.X, m.Y);
        put("l_50", names.Name50);
        put("l_10", names.Name10);
        put("l_5", names.Name5 + names.Suffix2);
        put("l_25", names.Quadrant25);
    } catch (const Exception&) {
    }
}

void TGuideFormTool::ReView(TZarixMessage*& message, bool& handled) {
    try {
        Application().ProcessMessages();
        if (!IsLive(this)) return;
        inherited::ReView(message, handled);
        if (!IsLive(this)) return;
        SaveView();
    } catch (const Exception&) {
    }
    handled = true;
}

void TGuideFormTool::OpenFile(TZarixMessage*&, bool& handled) {
    handled = true;
    std::string name = FOpenName;
    if (!GetUserHost().SelectFile(Cz(kFilter), FOpenFolder, name) || name.empty()) return;
    FOpenFolder = ExtractFilePath(name);
    FOpenName = name;
    std::string error;
    TGuide* guide = ReadKeyMapFile(name, error);
    if (!guide) {
        ShowErrorMessage(Cz("Vybraný soubor byl patrně poškozen, nebo není souborem průvodce ... ponechávám původní."));
        return;
    }
    SetGuide(guide);
    PostMsg(tm_ReView, this, nullptr, false);
}

void TGuideFormTool::SaveFileAs(TZarixMessage*&, bool& handled) {
    handled = true;
    std::string name = FOpenName;
    if (!GetUserHost().SelectFile(Cz(kFilter), FOpenFolder, name) || name.empty()) return;
    FOpenFolder = ExtractFilePath(name);
    FOpenName = name;
    TGuide* guide = GetGuide();
    if (!guide) return;
    guide->ResetIDs();
    TSave* save = TSave::New(name);
    try {
        save->SetInput(guide);
        save->DoIt();
    } catch (const Exception& e) {
        ShowErrorMessage(e.Message());
    }
    Free(save);
}

void TGuideFormTool::on_tm_QuitTask(TZarixMessage*& message, bool& handled) {
    delete FUMSForm;
    FUMSForm = nullptr;
    inherited::on_tm_QuitTask(message, handled);
}

void RegisterKeyMapWindowUnit() { RegisterZarixClass<TGuideFormTool>(); }
