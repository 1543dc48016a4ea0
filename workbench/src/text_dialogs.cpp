#include "workbench/text_dialogs.h"

#include <cmath>

#include "platform/files.h"
#include "platform/host.h"
#include "platform/sysutils.h"
#include "workbench/length_units.h"

// ---- font and colour dialogs --------------------------------------------------------------

bool ExecuteFontDialog(TFont& font) {
    TForm f("TFontDialog");
    f.Caption = "Font";
    f.Add(TControlKind::Edit, "Name").Text = font.Name();
    f.Add(TControlKind::Edit, "Height").Text = IntToStr(font.Height());
    f.Add(TControlKind::Edit, "Color").Text = IntToStr(font.Color());
    const char* styles[] = {"Bold", "Italic", "Underline", "StrikeOut"};
    for (int i = 0; i < 4; ++i) f.Add(TControlKind::CheckBox, styles[i]).Checked = font.Style() & (1 << i);
    f.Add(TControlKind::Edit, "Charset").Text = IntToStr(font.Charset());
    f.Add(TControlKind::Button, "OK", "OK").ModalResult = mrOk;
    f.Add(TControlKind::Button, "Cancel", "Cancel").ModalResult = mrCancel;
    if (f.ShowModal() != mrOk) return false;
    font.SetName(f["Name"].Text);
    int32_t v = 0;
    if (TryStrToInt(Trim(f["Height"].Text), v)) font.SetHeight(v);
    if (TryStrToInt(Trim(f["Color"].Text), v)) font.SetColor(v);
    uint8_t style = 0;
    for (int i = 0; i < 4; ++i)
        if (f[styles[i]].Checked) style |= static_cast<uint8_t>(1 << i);
    font.SetStyle(style);
    if (TryStrToInt(Trim(f["Charset"].Text), v)) font.SetCharset(v);
    return true;
}

bool ExecuteColorDialog(TColor& color) {
    TForm f("TColorDialog");
    f.Caption = "Color";
    f.Add(TControlKind::Edit, "Color").Text = IntToStr(color);
    f.Add(TControlKind::Button, "OK", "OK").ModalResult = mrOk;
    f.Add(TControlKind::Button, "Cancel", "Cancel").ModalResult = mrCancel;
    if (f.ShowModal() != mrOk) return false;
    int32_t v = 0;
    if (!TryStrToInt(Trim(f["Color"].Text), v)) return false;
    color = v;
    return true;
}

// ---- shared part --------------------------------------------------------------------------

TTextDialogBase::~TTextDialogBase() {
    if (FCopy) Free(FCopy);
}

void TTextDialogBase::SetElement(TText* copy) {
    if (FCopy && FCopy != copy) Free(FCopy);
    FCopy = copy;
    if (FCopy) Fill();
}

std::string TTextDialogBase::Unit() { return (*this)["Combo_Units"].Text; }

void TTextDialogBase::AddCommon() {
    Add(TControlKind::Edit, "ed_Name").OnChange = [this](TControl& c) {
        if (!FFilling && FCopy) FCopy->SetName(c.Text);
    };
    Add(TControlKind::Panel, "FontPanel");
    auto chooseFont = [this](TControl&) {
        if (!FCopy) return;
        TFont font;
        FCopy->GetFont(font);
        font.SetHeight(10);
        if (!ExecuteFontDialog(font)) return;
        FCopy->SetFont(font);
        ShowFont();
    };
    (*this)["FontPanel"].OnClick = chooseFont;
    Add(TControlKind::Button, "b_Font", "...").OnClick = chooseFont;
    Add(TControlKind::Panel, "ColorPanel").OnClick = [this](TControl&) {
        if (!FCopy) return;
        TColor c = FCopy->GetColor();
        if (!ExecuteColorDialog(c)) return;
        FCopy->SetColor(c);
        ShowFont();
    };
    TControl& units = Add(TControlKind::ComboBox, "Combo_Units");
    units.Items = {"mm", "cm", "m"};
    units.ItemIndex = 0;
    units.Text = "mm";
    // A unit switch shows the copy's heights again: nothing rounded goes back into it.
    units.OnChange = [this](TControl&) { FillHeights(); };
}

void TTextDialogBase::AddHeight(const std::string& edit, double (*get)(TText*), void (*set)(TText*, double)) {
    FHeights.push_back({edit, get, set});
    Add(TControlKind::Edit, edit).OnChange = [this, get, set](TControl& c) {
        if (FFilling || !FCopy) return;
        double v = 0;
        if (ParseNumber(c.Text, v)) {
            set(FCopy, v / HeightUnit(Unit()).Factor);
        } else {
            bool was = FFilling;
            FFilling = true;
            c.Text = HeightText(get(FCopy), Unit());
            FFilling = was;
        }
    };
    for (int step : {1, -1}) {
        Add(TControlKind::Button, edit + (step > 0 ? "Up" : "Down")).OnClick = [this, get, set, step](TControl&) {
            if (!FCopy) return;
            set(FCopy, get(FCopy) + step * 0.001);
            FillHeights();
        };
    }
}

void TTextDialogBase::FillHeights() {
    if (!FCopy) return;
    bool was = FFilling;
    FFilling = true;
    for (const Height& h : FHeights) (*this)[h.Edit].Text = HeightText(h.Get(FCopy), Unit());
    FFilling = was;
}

void TTextDialogBase::ShowFont() {
    (*this)["FontPanel"].Caption = FCopy->GetFontName();
    (*this)["ColorPanel"].Tag = FCopy->GetColor();
    if (TControl* sample = Find("Sample")) sample->Tag = FCopy->GetColor();
}

void TTextDialogBase::Fill() {
    bool was = FFilling;
    FFilling = true;
    (*this)["ed_Name"].Text = FCopy->GetName();
    ShowFont();
    FillHeights();
    FFilling = was;
}

// ---- text dialog --------------------------------------------------------------------------

namespace {
double TextHeightOf(TText* t) { return t->GetTextHeight(); }
void SetTextHeightOf(TText* t, double v) { t->SetTextHeight(v); }
double LineHeightOf(TText* t) { return As<TTextBlock>(t) ? As<TTextBlock>(t)->GetLineHeight() : 0; }
void SetLineHeightOf(TText* t, double v) {
    if (TTextBlock* b = As<TTextBlock>(t)) b->SetLineHeight(v);
}
}  // namespace

TEditTextDialog::TEditTextDialog() : TTextDialogBase("TEditTextDialog") {
    Caption = Cz("Nastavení parametrů textu");
    AddCommon();
    Add(TControlKind::Edit, "ed_Text").OnChange = [this](TControl& c) {
        if (!FFilling && FCopy) FCopy->SetText(c.Text);
    };
    AddHeight("ed_Height", TextHeightOf, SetTextHeightOf);
    TControl& orient = Add(TControlKind::ComboBox, "ed_Orientation");
    orient.Items = {"   0", "  90", "180", "270"};
    orient.OnChange = [this](TControl& c) {
        if (FFilling || !FCopy) return;
        double v = 0;
        if (ParseNumber(c.Text, v) && std::fabs(v) < 1e9)
            FCopy->SetOrientation(static_cast<int32_t>(Round(v)));
        else
            FillOrientation();
    };
    for (int step : {1, -1}) {
        Add(TControlKind::Button, step > 0 ? "ed_OrientationUp" : "ed_OrientationDown").OnClick =
            [this, step](TControl&) {
                if (!FCopy) return;
                FCopy->SetOrientation(FCopy->GetOrientation() + step);
                FillOrientation();
            };
    }
    Add(TControlKind::Panel, "Sample", Cz("AaÁáBbCcČč"));
    Add(TControlKind::Button, "OK", "OK").ModalResult = mrOk;
    Add(TControlKind::Button, "Storno", "Storno").ModalResult = mrCancel;
}

void TEditTextDialog::FillOrientation() {
    bool was = FFilling;
    FFilling = true;
    (*this)["ed_Orientation"].Text = FixedText(FCopy->GetOrientation(), 7, 2);
    FFilling = was;
}

void TEditTextDialog::Fill() {
    TTextDialogBase::Fill();
    bool was = FFilling;
    FFilling = true;
    (*this)["ed_Text"].Text = FCopy->GetText();
    FFilling = was;
    FillOrientation();
}

// ---- text block dialog --------------------------------------------------------------------

TEditTextBlockDialog::TEditTextBlockDialog() : TTextDialogBase("TEditTextBlockDialog") {
    AddCommon();
    AddHeight("ed_FHeight", TextHeightOf, SetTextHeightOf);
    AddHeight("ed_LHeight", LineHeightOf, SetLineHeightOf);
    Add(TControlKind::Edit, "ed_File").OnChange = [this](TControl& c) {
        if (!FFilling && Block()) Block()->SetFileName(c.Text);
    };
    Add(TControlKind::Button, "b_Browse", "...").OnClick = [this](TControl&) {
        std::string chosen = (*this)["ed_File"].Text;
        if (!GetUserHost().SelectFile(Cz("textové soubory *.txt|*.txt|všechny soubory|*.*"), InitialDir, chosen))
            return;
        InitialDir = ExtractFileDir(chosen);
        (*this)["ed_File"].Type(chosen);
    };
    Add(TControlKind::Button, "OK", "OK").ModalResult = mrOk;
    Add(TControlKind::Button, "Storno", "Storno").ModalResult = mrCancel;
}

void TEditTextBlockDialog::Fill() {
    TTextDialogBase::Fill();
    bool was = FFilling;
    FFilling = true;
    if (Block()) (*this)["ed_File"].Text = Block()->GetFileName();
    FFilling = was;
}

// ---- copy-back ----------------------------------------------------------------------------

void CopyBackText(TText* edited, TText* element) {
    element->SetName(edited->GetName());
    element->SetText(edited->GetText());
    element->SetFontName(edited->GetFontName());
    element->SetFontStyle(edited->GetFontStyle());
    element->SetCharset(edited->GetCharset());
    element->SetColor(edited->GetColor());
    element->SetTextHeight(edited->GetTextHeight());
    element->SetOrientation(edited->GetOrientation());
}

void CopyBackTextFromRectEditor(TText* edited, TText* element) {
    element->SetText(edited->GetText());
    element->SetFontName(edited->GetFontName());
    element->SetColor(edited->GetColor());
    element->SetTextHeight(edited->GetTextHeight());
    element->SetOrientation(edited->GetOrientation());
}

void CopyBackTextBlock(TTextBlock* edited, TTextBlock* element) {
    element->SetName(edited->GetName());
    element->SetFontName(edited->GetFontName());
    element->SetFontStyle(edited->GetFontStyle());
    element->SetCharset(edited->GetCharset());
    element->SetColor(edited->GetColor());
    element->SetTextHeight(edited->GetTextHeight());
    element->SetLineHeight(edited->GetLineHeight());
    element->SetFileName(edited->GetFileName());
}
