#include "workbench/key_map_tools.h"

#include <cmath>

#include "composition/key_map.h"
#include "composition/key_map_interprets.h"
#include "composition/map_spaces.h"
#include "device/device.h"
#include "kernel/class_registry.h"
#include "kernel/world.h"
#include "platform/forms.h"
#include "platform/host.h"
#include "platform/sysutils.h"
#include "workbench/key_map_window.h"

namespace {

T2DPoint ModelPoint(TDevice* d, const TZarixMouseEvent* mouse) {
    return d->GetProjection()->GetModelPoint(mouse->X, mouse->Y);
}

void PostToMainTool(int32_t msg) {
    if (World && World->GetMainTool()) World->GetMainTool()->PostMsg(msg, World->GetMainTool(), nullptr, false);
}

void PostToManager(TInteractiveTool* tool, int32_t msg, TElement* data = nullptr) {
    if (TFormToolManager* m = tool->GetManager()) m->PostMsg(msg, m, data, false);
}

const char* const kRefused = "Uživatelský mapový prostor musí mít kladné měřítko a nenulovou plochu";

}  // namespace

TGuide* GuideOf(TElement* input) {
    if (!input || !IsLive(input)) return nullptr;
    if (auto* g = As<TGuide>(input)) return g;
    auto* e = As<TEntity>(input);
    return e ? As<TGuide>(e->FindElementClass(TGuide::StaticClass())) : nullptr;
}

// ---- TGuideSelector --------------------------------------------------------------------------

TMapSpace* TGuideSelector::SheetAt(TGuide* guide, double x, double y) {
    Created = false;
    TSMO_50* s50 = FindSheetAt(guide, x, y);
    if (!s50) return nullptr;
    Column = SheetCellIndex(s50->GetMaxX() - x, 2500, 9);
    Row = SheetCellIndex(s50->GetMaxY() - y, 2000, 9);
    if (Show_2 || Show_5 || Show_10) {
        TSMO_10* s10 = s50->FindDetail10(Column, Row);
        if (!s10) {
            s10 = s50->GetDetail10(Column, Row);
            Created = true;
        }
        if (!Show_2 && !Show_5) return s10;
        TSMO_5* s5 = s10->FindDetail(Column, Row);
        if (!s5) {
            s5 = s10->GetDetail(Column, Row);
            Created = true;
        }
        if (!Show_2) return s5;
        Column = SheetCellIndex(s5->GetMaxX() - x, 1250, 1);
        Row = SheetCellIndex(s5->GetMaxY() - y, 1000, 1);
        TSMO_2* s2 = s5->FindDetail(Column, Row);
        if (!s2) {
            s2 = s5->GetDetail(Column, Row);
            Created = true;
        }
        return s2;
    }
    if (Show_25) {
        TSMO_25* q = s50->FindDetail25(Column, Row);
        if (!q) {
            q = s50->GetDetail25(Column, Row);
            Created = true;
        }
        return q;
    }
    return Show_50 ? s50 : nullptr;
}

void TGuideSelector::Redraw(TMapSpace* space) {
    TDevice* d = GetDevice();
    if (!d || !space) return;
    TGuideInterpret* i = TGuideInterpret::New();
    i->Show_50 = i->Show_Text = i->Fill_Page = true;
    i->Show_25 = Show_25;
    i->Show_10 = Show_10;
    i->Show_5 = Show_5;
    i->Show_2 = Show_2;
    i->Show_U = Show_U;
    i->Show_ZM = Show_ZM;
    try {
        i->SetDevice(d);
        i->Reset(d);  // the page region: without it no sheet is over the region and nothing is drawn
        i->SetInput(space);
        i->DoIt();
    } catch (const Exception&) {
    }
    Free(i);
    d->FlushOutput();
}

void TGuideSelector::ToggleZM(TGuide* guide) {
    TZMSpace* space = guide->GetZMSpace();
    TMapsZM* zm = guide->GetZM();
    std::string name = zm->FindMapNameAt(X, Y);
    if (name.empty()) return;
    if (name != space->GetName()) {
        if (space->GetSelected()) {
            space->SetSelected(false);
            Redraw(space);
        }
        int32_t level = zm->GetScale();
        if (level != 25000 && level != 50000 && level != 100000 && level != 200000) level = 10000;
        TRectangle* r = CornersToRect(zm->Corners(level));
        space->SetRect(r->Min.X, r->Min.Y, r->Max.X, r->Max.Y);
        Free(r);
        space->SetSelected(true);
        space->SetName(name);
        space->AssignZM(zm);
    } else {
        space->SetSelected(!space->GetSelected());
    }
    Redraw(space);
    PostToMainTool(guide_msg::SeriesChanged);
}

void TGuideSelector::MouseUp(TZarixMessage*& message, bool& handled) {
    auto* mouse = As<TZarixMouseEvent>(message);
    if (!mouse || mouse->Button != mbLeft) return;
    TGuide* guide = GuideOf(Input);
    TDevice* d = GetDevice();
    if (!guide || !d || !d->GetProjection()) return;
    handled = true;
    T2DPoint m = ModelPoint(d, mouse);
    X = m.X;
    Y = m.Y;
    if (Show_ZM) {
        if (!Detail) ToggleZM(guide);
        return;
    }
    if (Show_U) {
        if (Detail) return;
        if (TUserMapSpace* s = guide->FindUserMapSpaceAt(X, Y)) {
            s->SetSelected(!s->GetSelected());
            Redraw(s);
            PostToMainTool(guide_msg::SeriesChanged);
        }
        return;
    }
    if (!Detail) {
        TMapSpace* sheet = SheetAt(guide, X, Y);
        if (!sheet) return;
        if (!Created) sheet->SetSelected(!sheet->GetSelected());
        Redraw(sheet);
        PostToMainTool(guide_msg::SeriesChanged);
        return;
    }
    // Detail mode: the sheet one series coarser than the finest shown gets all its sub-sheets.
    bool s2 = Show_2, s5 = Show_5, s10 = Show_10 || Show_25;
    if (!s2 && !s5 && !s10) return;
    TSMO_50* s50 = FindSheetAt(guide, X, Y);
    if (!s50) return;
    Column = SheetCellIndex(s50->GetMaxX() - X, 2500, 9);
    Row = SheetCellIndex(s50->GetMaxY() - Y, 2000, 9);
    TMapSpace* sheet = s50;
    if (s2) sheet = s50->GetDetail10(Column, Row)->GetDetail(Column, Row);
    else if (s5) sheet = s50->GetDetail10(Column, Row);
    sheet->CreateDetail();
    Redraw(sheet);
}

// ---- TNewUserMapSpace ------------------------------------------------------------------------

void TNewUserMapSpace::Publish(PropertyTable& t) {
    using C = TNewUserMapSpace;
    t.Field("Width", &C::Width);
    t.Field("Height", &C::Height);
    t.Field("Scale", &C::Scale);
}

void TNewUserMapSpace::MouseDown(TZarixMessage*& message, bool& handled) {
    auto* mouse = As<TZarixMouseEvent>(message);
    TPageProjection* p = Projection();
    if (!mouse || mouse->Button != mbLeft || !p) {
        inherited::MouseDown(message, handled);
        return;
    }
    handled = true;
    EraseFollowMarker();
    EndBand();
    // The box of Width x Height around the pointer; a drag moves its far corner.
    int w = p->GetPageLengthHoriz1(Width) / 2, h = p->GetPageLengthVert1(Height) / 2;
    BeginBand(TPixelRect{mouse->X - w, mouse->Y - h, mouse->X + w, mouse->Y + h});
}

void TNewUserMapSpace::RectDrawn(double minX, double minY, double maxX, double maxY) {
    TGuide* guide = GuideOf(Input);
    if (!guide) return;
    if (!(maxX - minX > 0) || !(maxY - minY > 0)) {
        ShowMessage(Cz(kRefused));
        return;
    }
    double scale = Scale == 0 ? 10000 : Scale;
    if (!(scale > 0)) {
        ShowMessage(Cz(kRefused));
        return;
    }
    TUserMapSpace* space = TUserMapSpace::New();
    space->SetName(Cz("Mapa 1:") + IntToStr(static_cast<int32_t>(std::trunc(scale))));
    space->SetRect(minX, minY, maxX, maxY);
    space->SetScale(scale);
    guide->AddUserMapSpace(space);
    PostToManager(this, tm_ReView);
}

// ---- TUserMapSpaceEditor ---------------------------------------------------------------------

const TClassInfo* TUserMapSpaceEditor::SelectClass() { return TUserMapSpace::StaticClass(); }

TUserMapSpace* TUserMapSpaceEditor::Selected() const { return As<TUserMapSpace>(GetSelected()); }

void TUserMapSpaceEditor::Select(TElement* element) {
    inherited::Select(element);
    PostMsgToOwners(guide_msg::SelectedToForm, nullptr, false);
}

TEntity* TUserMapSpaceEditor::HolderOf(TRectEntity* element) {
    TGuide* guide = GuideOf(Input);
    TEntity* spaces = guide ? guide->GetUserMapSpaces() : nullptr;
    return spaces && element && spaces->IndexOf(element) >= 0 ? spaces : nullptr;
}

void TUserMapSpaceEditor::SetInput(TElement* element) {
    // The marker stays with no key map it does not belong to.
    if (element != Input) inherited::Select(nullptr);
    inherited::SetInput(element);
}

// ---- TRecGuideSelect -------------------------------------------------------------------------

bool TRecGuideSelect::Counts(TMapSpace* space) const {
    if (SU) return space->Is<TUserMapSpace>();
    if (space->Is<TGuidePage_2>()) return S2;
    if (space->Is<TGuidePage_5>()) return S5 && !S2;
    if (space->Is<TGuidePage_10>()) return S10 && !S5 && !S2;
    if (space->Is<TGuidePage_25>()) return S25 && !S10 && !S5 && !S2;
    if (space->Is<TGuidePage_50>()) return S50 && !S25 && !S10 && !S5 && !S2;
    return false;
}

bool TRecGuideSelect::QGoInside(TElement* element) {
    if (!element || !element->Is<TEntity>()) return false;
    if (Vectors) return element->Is<TGuide>() || element->Is<TVectors>();
    return !element->Is<TVectors>();
}

bool TRecGuideSelect::QProcessBefore(TElement* element) {
    if (Vectors) return FInVectors && element->Is<TRectEntity>();
    return element->Is<TMapSpace>();
}

void TRecGuideSelect::Process(TElement* element) {
    if (Vectors) {
        if (auto* r = As<TRectEntity>(element)) Result.UpdateByRectangle(r->Rect());
        return;
    }
    auto* space = As<TMapSpace>(element);
    if (space && space->GetSelected() && Counts(space)) Result.UpdateByRectangle(space->Rect());
}

void TRecGuideSelect::DoIt() {
    Result.Clear();
    auto visit = [&](auto& self, TElement* e) -> void {
        if (QProcessBefore(e)) Process(e);
        auto* entity = As<TEntity>(e);
        if (!entity || !QGoInside(e)) return;
        bool was = FInVectors;
        FInVectors = e->Is<TVectors>();
        for (int32_t i = 0; i < entity->ElementsCount(); ++i)
            if (TElement* child = entity->Get(i)) self(self, child);
        FInVectors = was;
    };
    if (Input && IsLive(Input)) visit(visit, Input);
}

// ---- TF_UMSedForm ----------------------------------------------------------------------------

namespace {
const char* const kEdits[] = {"e_X",    "e_Y",    "e_Width", "e_Height", "e_Xmin",      "e_Xmax",
                              "e_Ymin", "e_Ymax", "e_Scale", "e_PageWidth", "e_PageHeight"};
}

TF_UMSedForm::TF_UMSedForm(TGuideFormTool* tool)
    : TForm("TF_UMSedForm"), FTool(tool), FToolSerial(tool ? tool->Serial() : 0) {
    Caption = Cz("Uživatelský mapový prostor ");
    Add(TControlKind::Edit, "e_Name");
    for (const char* name : kEdits) {
        std::string n = name;
        Add(TControlKind::Edit, n).OnExit = [this, n](TControl&) { EditLeft(n); };
    }
    Add(TControlKind::CheckBox, "FixPage", Cz("Pevná stránka")).OnClick = [this](TControl&) {
        LockAspect();
        Changed();
    };
    Add(TControlKind::Button, "b_Page").OnClick = [](TControl& c) { c.Checked = !c.Checked; };
    Add(TControlKind::RadioButton, "rb_m", "[m]").OnClick = [this](TControl&) { SetUnit(1, 3); };
    Add(TControlKind::RadioButton, "rb_cm", "[cm]").OnClick = [this](TControl&) { SetUnit(100, 2); };
    Add(TControlKind::RadioButton, "rb_mm", "[mm]").OnClick = [this](TControl&) { SetUnit(1000, 2); };
    (*this)["rb_mm"].Checked = true;
    Add(TControlKind::Button, "b_Apply", Cz("Použít")).OnClick = [this](TControl&) { Apply(); };
    TControl& undo = Add(TControlKind::Button, "b_Undo", Cz("Vrátit"));
    undo.Visible = false;
    undo.OnClick = [this](TControl&) { Undo(); };
    Add(TControlKind::Button, "b_Close", Cz("Zavřít")).OnClick = [this](TControl&) { Close(); };
    OnClose = [this](TForm&) {
        if (FTool && IsLive(FTool, FToolSerial)) FTool->PostMsg(guide_msg::HideUMSForm, FTool, nullptr, false);
    };
    ShowValues();
}

double TF_UMSedForm::Number(const char* name) {
    double v = 0;
    return TextToFloat((*this)[name].Text, v) && std::isfinite(v) ? v : 0;
}

TUserMapSpaceEditor* TF_UMSedForm::Editor() const {
    if (!FTool || !IsLive(FTool, FToolSerial)) return nullptr;
    for (int32_t k = 0; k < FTool->ToolsCount(); ++k)
        if (auto* editor = As<TUserMapSpaceEditor>(FTool->GetTool(k))) return editor;
    return nullptr;
}

void TF_UMSedForm::LockAspect() {
    if (TUserMapSpaceEditor* editor = Editor())
        editor->SetAspectLock((*this)["FixPage"].Checked, PageHeight > 0 ? PageWidth / PageHeight : 0);
}

void TF_UMSedForm::ShowValues() {
    auto put = [this](const char* name, double v, int decimals) {
        std::string text = FloatToStrF(v, decimals);
        (*this)[name].Text = std::string(text.size() < 15 ? 15 - text.size() : 0, ' ') + text;
    };
    put("e_X", X, 3);
    put("e_Y", Y, 3);
    put("e_Width", RectWidth, 3);
    put("e_Height", RectHeight, 3);
    put("e_Xmin", Xmin, 3);
    put("e_Xmax", Xmax, 3);
    put("e_Ymin", Ymin, 3);
    put("e_Ymax", Ymax, 3);
    put("e_Scale", Scale, 3);
    put("e_PageWidth", PageWidth * UnitFactor, UnitDecimals);
    put("e_PageHeight", PageHeight * UnitFactor, UnitDecimals);
}

void TF_UMSedForm::SetUnit(double factor, int decimals) {
    UnitFactor = factor;
    UnitDecimals = decimals;
    ShowValues();
}

void TF_UMSedForm::Changed() {
    if (UndoCountdown > 0) {
        --UndoCountdown;
        return;
    }
    (*this)["b_Undo"].Visible = false;
}

void TF_UMSedForm::FromCentreSize() {
    Xmin = X - RectWidth / 2;
    Xmax = X + RectWidth / 2;
    Ymin = Y - RectHeight / 2;
    Ymax = Y + RectHeight / 2;
}

void TF_UMSedForm::FromMinMax() {
    RectWidth = std::fabs(Xmax - Xmin);
    RectHeight = std::fabs(Ymax - Ymin);
    X = (Xmin + Xmax) / 2;
    Y = (Ymin + Ymax) / 2;
}

void TF_UMSedForm::AfterSize() {
    if ((*this)["FixPage"].Checked) {
        if (PageWidth > 0 && PageHeight > 0) Scale = std::max(RectWidth / PageWidth, RectHeight / PageHeight);
    } else if (Scale > 0) {
        PageWidth = RectWidth / Scale;
        PageHeight = RectHeight / Scale;
    }
}

void TF_UMSedForm::EditLeft(const std::string& name) {
    double v = Number(name.c_str());
    if (name == "e_X" || name == "e_Y") {
        (name == "e_X" ? X : Y) = v;
        FromCentreSize();
    } else if (name == "e_Width" || name == "e_Height") {
        (name == "e_Width" ? RectWidth : RectHeight) = std::fabs(v);
        FromCentreSize();
        AfterSize();
    } else if (name == "e_Xmin" || name == "e_Xmax" || name == "e_Ymin" || name == "e_Ymax") {
        (name == "e_Xmin" ? Xmin : name == "e_Xmax" ? Xmax : name == "e_Ymin" ? Ymin : Ymax) = v;
        FromMinMax();
        AfterSize();
    } else if (name == "e_Scale") {
        if (v < 0.01) {
            // A scale of 0 (or text that is no number) is refused; the old one stays.
            ShowMessage(Cz(kRefused));
            ShowValues();
            return;
        }
        Scale = v;
        if ((*this)["b_Page"].Checked) {
            PageWidth = RectWidth / Scale;
            PageHeight = RectHeight / Scale;
        } else {
            RectWidth = PageWidth * Scale;
            RectHeight = PageHeight * Scale;
            FromCentreSize();
        }
    } else if (name == "e_PageWidth" || name == "e_PageHeight") {
        (name == "e_PageWidth" ? PageWidth : PageHeight) = std::fabs(v) / UnitFactor;
        if ((*this)["FixPage"].Checked) LockAspect();
        if ((*this)["b_Page"].Checked) {
            if (PageWidth > 0 && PageHeight > 0) Scale = std::max(RectWidth / PageWidth, RectHeight / PageHeight);
        } else {
            RectWidth = PageWidth * Scale;
            RectHeight = PageHeight * Scale;
            FromCentreSize();
        }
    }
    Changed();
    ShowValues();
}

void TF_UMSedForm::TakeRect(double minX, double minY, double maxX, double maxY) {
    Xmin = minX;
    Ymin = minY;
    Xmax = maxX;
    Ymax = maxY;
    FromMinMax();
    AfterSize();
    // The four updates of the min/max edits.
    for (int i = 0; i < 4; ++i) Changed();
    ShowValues();
}

void TF_UMSedForm::Apply() {
    if (!FTool || !IsLive(FTool, FToolSerial)) return;
    auto* editor = As<TUserMapSpaceEditor>(FTool->GetActiveTool());
    TUserMapSpace* space = editor ? editor->Selected() : nullptr;
    if (!space) return;
    if (!(Scale >= 0.01) || !(std::fabs(Xmax - Xmin) > 0) || !(std::fabs(Ymax - Ymin) > 0)) {
        ShowMessage(Cz(kRefused));
        return;
    }
    FUndoName = space->GetName();
    FUndoRect.Assign(space->Rect());
    FUndoScale = space->GetScale();
    space->SetName((*this)["e_Name"].Text);
    space->SetRect(std::min(Xmin, Xmax), std::min(Ymin, Ymax), std::max(Xmin, Xmax), std::max(Ymin, Ymax));
    space->SetScale(Scale);
    (*this)["b_Undo"].Visible = true;
    UndoCountdown = 4;
    editor->Select(space);
    FTool->PostMsg(tm_ReView, FTool, nullptr, false);
}

void TF_UMSedForm::Undo() {
    if (!FTool || !IsLive(FTool, FToolSerial)) return;
    auto* editor = As<TUserMapSpaceEditor>(FTool->GetActiveTool());
    TUserMapSpace* space = editor ? editor->Selected() : nullptr;
    (*this)["b_Undo"].Visible = false;
    if (!space) return;
    space->SetName(FUndoName);
    space->SetRect(FUndoRect.Min.X, FUndoRect.Min.Y, FUndoRect.Max.X, FUndoRect.Max.Y);
    space->SetScale(FUndoScale);
    editor->Select(space);
    FTool->PostMsg(tm_ReView, FTool, nullptr, false);
}

// ---- dialogs ---------------------------------------------------------------------------------

TGuideVectorsDlg::TGuideVectorsDlg() : TForm("TGuideVectorsDlg") {
    Caption = Cz("Načtení vektorů do průvodce");
    Add(TControlKind::Label, "Label1", Cz("Průvodce již obsahuje vektorovou kresbu"));
    Add(TControlKind::Label, "Label2", Cz(" ... nyní můžete :"));
    Add(TControlKind::RadioButton, "rb_Replace", Cz("Přepsat staré vektory novými")).Checked = true;
    Add(TControlKind::RadioButton, "rb_Add", Cz("Přidat novou kresbu "));
    Add(TControlKind::RadioButton, "rb_Drop", Cz("Zrušit úplně všechno"));
    Add(TControlKind::Button, "OKBtn", "OK").ModalResult = mrOk;
    Add(TControlKind::Button, "CancelBtn", "Storno").ModalResult = mrCancel;
}

int TGuideVectorsDlg::Choice() const {
    if ((*this)["rb_Add"].Checked) return 1;
    if ((*this)["rb_Drop"].Checked) return 2;
    return 0;
}

TZMDialog::TZMDialog() : TForm("TZMDialog") {
    Caption = Cz("Měřítko ZM");
    TControl& scales = Add(TControlKind::RadioButton, "rg_Scale", Cz("Měřítko ZM"));
    scales.Items = {"200000", "100000", "50000", "25000", "10000"};
    Add(TControlKind::Label, "l_Color", Cz("Barva rámů ZM:"));
    Add(TControlKind::Panel, "p_Color").OnClick = [](TControl& panel) {
        // The colour dialog starts with the panel's colour and gives the chosen one.
        std::string value = IntToStr(panel.Tag);
        if (GetUserHost().InputQuery(Cz("Barva"), Cz("Barva rámů ZM:"), value)) panel.Tag = StrToIntDef(value, panel.Tag);
    };
    Add(TControlKind::Label, "l_Width", Cz("Síla rámů ZM:"));
    Add(TControlKind::Edit, "e_Width");
    Add(TControlKind::Button, "OKBtn", "OK").ModalResult = mrOk;
    Add(TControlKind::Button, "CancelBtn", "Storno").ModalResult = mrCancel;
}

void RegisterKeyMapToolsUnit() {
    RegisterZarixClass<TGuideSelector>();
    RegisterZarixClass<TNewUserMapSpace>();
    RegisterZarixClass<TUserMapSpaceEditor>();
    RegisterZarixClass<TRecGuideSelect>();
}
