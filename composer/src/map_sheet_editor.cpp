#include "composer/map_sheet_editor.h"

#include "composer/main_tool.h"
#include "composer/map_sheet_production.h"
#include "composition/page_interprets.h"
#include "composition/pages.h"
#include "composition/text_blocks.h"
#include "composition/views.h"
#include "kernel/class_registry.h"
#include "kernel/world.h"
#include "platform/files.h"
#include "platform/forms.h"
#include "platform/host.h"
#include "platform/inifiles.h"
#include "platform/sysutils.h"
#include "raster/raster.h"
#include "workbench/desktop_template_text.h"
#include "workbench/element_dialogs.h"
#include "workbench/length_units.h"
#include "workbench/position_dialog.h"
#include "workbench/text_dialogs.h"

namespace {

constexpr const char* kIniSection = "MSEditForm";

std::string MainIniFile() {
    auto* main = World ? As<TOldMainTool>(World->GetMainTool()) : nullptr;
    return main ? main->GetIniFileName() : std::string();
}

TMainTool* MainTool() { return World ? As<TMainTool>(World->GetMainTool()) : nullptr; }

std::string OptionsFolder(bool data) {
    TMainTool* main = MainTool();
    if (!main || !main->GetOptions()) return std::string();
    return data ? main->GetOptions()->DataDirectory : main->GetOptions()->TemplateDirectory;
}

// Whether the file holds a picture that can be read; a message names the file otherwise.
bool PictureReadable(const std::string& path) {
    try {
        TRasterImage image;
        LoadPictureFile(path, image);
        return true;
    } catch (const Exception&) {
        ShowErrorMessage(Cz("Soubor není čitelný obrázek: ") + path);
        return false;
    }
}

}  // namespace

TDesktop* NewTemplatePage() {
    TDesktop* d = TDesktop::New();
    d->SetRect(0, 0, 0.297, 0.21);
    d->SetBrushColor(clWhite);
    d->SetBrushStyle(bsSolid);
    d->SetPenStyle(psClear);
    return d;
}

// ---- TMSEditorForm ----------------------------------------------------------------------------

TMSEditorForm::TMSEditorForm(TMSEditorFormTool* tool) : TStandardImageForm(tool, "TMSEditorForm") {
    Caption = Cz("Editor mapového listu");
    Font.SetName("System");
    auto item = [this](const char* name, const char* caption, const char* parent, int32_t msg) {
        Add(TControlKind::MenuItem, name, Cz(caption), parent).OnClick = [this, msg](TControl&) { PostToTool(msg); };
    };
    item("Novy1", "&Nový", "Soubor1", msed::NewTemplate);
    item("Ulozit1", "U&ložit", "Soubor1", msed::SaveTemplate);
    (*this)["UlozitPodNazvem1"].Caption = Cz("Uložit jako");
    (*this)["Tiskni1"].OnClick = nullptr;  // "&Tisk" does nothing here
    item("pVlastnosti", "Vlastnosti", "PopupMenu1", msed::EditSelected);
    item("pNavrch", "Na&vrch", "PopupMenu1", msed::BringToFront);
    item("pDospod", "Do&spod", "PopupMenu1", msed::SendToBack);
    item("pNahoru", "&Nahoru", "PopupMenu1", msed::MoveUp);
    item("pDolu", "&Dolů", "PopupMenu1", msed::MoveDown);
    item("pOdstranit", "Odstranit", "PopupMenu1", msed::DeleteSelected);
    item("pVyrez", "Výřez dle výběru", "PopupMenu1", msed::ZoomToSelection);
    (*this)["pVyrez"].Visible = false;

    auto button = [this](const char* name, const char* hint, int32_t msg) {
        TControl& b = Add(TControlKind::Button, name, {}, "ToolBar");
        b.Hint = Cz(hint);
        if (msg) b.OnClick = [this, msg](TControl&) { PostToTool(msg); };
        return &b;
    };
    (*this)["ToolBar"].Visible = true;
    button("b_Select", "Výběr objektů pro editaci", msed::UseMapSheetEditor);
    button("b_Frame", "Vložení nového objektu rámeček", msed::UseNewDrawRect);
    button("b_View", "Vložení nového objektu View", msed::UseNewView);
    button("b_Text", "Vložení nového objektu Text", msed::UseNewText);
    button("b_TextBlock", "Vložení nového objektu Textový blok", msed::UseNewTextBlock);
    button("b_BMP", "Vložení nového objektu Obrázek", msed::UseNewBMP);
    button("b_Viewer", "Změna a přesun výřezu", msed::UseViewer);
    button("b_RectForm", "Poloha a rozměry objektu", 0)->OnClick = [this](TControl& b) {
        b.Checked = !b.Checked;
        PostToTool(b.Checked ? msed::ShowRectForm : msed::HideRectForm);
    };
    button("b_PenWidth", "Parametry čar", 0)->OnClick = [this](TControl&) {
        TPenWidthDialog dialog;
        dialog.SetWidth(PenWidth * 1000);
        if (dialog.ShowModal() != mrOk) return;
        PenWidth = dialog.GetWidth() / 1000;
        PostToTool(msed::ApplyPenWidth);
    };
    Add(TControlKind::Panel, "ColorPanel", {}, "ToolBar").OnClick = [this](TControl&) {
        if (!ExecuteColorDialog(LineColour)) return;
        PostToTool(msed::ApplyLineColour);
    };
    Add(TControlKind::Panel, "BrushColorPanel", {}, "ToolBar").OnClick = [this](TControl&) {
        if (!ExecuteColorDialog(FillColour)) return;
        PostToTool(msed::ApplyFillColour);
    };
    button("b_fill", "Výplň", 0)->OnClick = [this](TControl& b) {
        b.Checked = !b.Checked;
        PostToTool(msed::ApplyFill);
    };
    auto chooseFont = [this](TControl&) {
        TFont font = Font;
        font.SetColor(LineColour);
        if (!ExecuteFontDialog(font)) return;
        Font = font;
        LineColour = font.Color();
        ShowFont();
        PostToTool(msed::ApplyFont);
    };
    Add(TControlKind::Panel, "FontPanel", {}, "ToolBar").OnClick = chooseFont;
    Add(TControlKind::Button, "b_Font", {}, "ToolBar").OnClick = chooseFont;
    Add(TControlKind::Button, "b_VarTexts", {}, "ToolBar").OnClick = [tool](TControl&) {
        TDesktop* page = tool->GetDocument();
        if (!page) return;
        RunAndFree(TVarTextDialog::New(), page);
    };
    (*this)["Model1"].OnClick = [tool](TControl&) { tool->PostMsg(tm_Explore, nullptr, tool->GetDocument(), false); };
    Add(TControlKind::Label, "l_Comment", {}, "StatusPanel");
    ShowFont();
    FIniFile = MainIniFile();
    if (!FIniFile.empty()) {
        try {
            TIniFile ini(FIniFile);
            Left = ini.ReadInteger(kIniSection, "Left", 0);
            Top = ini.ReadInteger(kIniSection, "Top", 0);
            Resize(ini.ReadInteger(kIniSection, "Width", 200), ini.ReadInteger(kIniSection, "Height", 200));
        } catch (const Exception&) {
        }
    }
}

TMSEditorForm::~TMSEditorForm() {
    if (FIniFile.empty()) return;
    try {
        TIniFile ini(FIniFile);
        ini.WriteInteger(kIniSection, "Left", Left);
        ini.WriteInteger(kIniSection, "Top", Top);
        ini.WriteInteger(kIniSection, "Height", Height);
        ini.WriteInteger(kIniSection, "Width", Width);
    } catch (const Exception&) {
    }
}

void TMSEditorForm::ShowFont() { (*this)["FontPanel"].Caption = Font.Name(); }

void TMSEditorForm::PostToTool(int32_t msg) {
    if (TFormToolManager* m = Manager()) m->PostMsg(msg, m, nullptr, false);
}

// ---- TMapSheetEditor ----------------------------------------------------------------------------

void TMapSheetEditor::Create() {
    inherited::Create();
    SetName(Cz("Editor šablony mapového listu"));
}

void TMapSheetEditor::Select(TElement* element) {
    inherited::Select(element);
    PostMsgToOwners(msed::ShowSelected, nullptr, false);
}

void TMapSheetEditor::EditSelected() {
    TRectEntity* e = GetSelected();
    if (!e) return;
    if (As<TTextBlock>(e)) EditTextBlock();
    else if (As<TText>(e)) EditText();
    else if (As<TGraphicFileElement>(e)) EditPicture();
    else if (As<TView>(e)) EditView();
    else if (As<TDesktop>(e)) EditDesktop();
    else if (As<TDrawRectangle>(e)) EditFrame();
}

void TMapSheetEditor::EditFrame() { ShowMessage(Cz("Použijte nástroje pro obecné nastavení na horní liště editoru")); }

void TMapSheetEditor::EditText() {
    auto* text = As<TText>(GetSelected());
    if (!text) return;
    TText* copy = TText::New();
    copy->Assign(text);
    copy->SetName(text->GetName());
    TEditTextDialog dialog;
    dialog.SetElement(copy);
    if (dialog.ShowModal() == mrOk) {
        CopyBackText(dialog.Element(), text);
        Modified = true;
    }
    RedrawAfterDialog();
}

void TMapSheetEditor::EditTextBlock() {
    auto* block = As<TTextBlock>(GetSelected());
    if (!block) return;
    TTextBlock* copy = TTextBlock::New();
    copy->Assign(block);
    copy->SetName(block->GetName());
    TEditTextBlockDialog dialog;
    dialog.InitialDir = OptionsFolder(true);
    dialog.SetElement(copy);
    if (dialog.ShowModal() == mrOk) {
        CopyBackTextBlock(dialog.Block(), block);
        Modified = true;
    }
    RedrawAfterDialog();
}

void TMapSheetEditor::EditPicture() {
    auto* picture = As<TGraphicFileElement>(GetSelected());
    if (!picture) return;
    TNewBMPDlg dialog;
    dialog.Caption = Cz("Změna bitmapy");
    dialog.SetFileName(picture->GetFileName());
    if (dialog.ShowModal() != mrOk || !PictureReadable(dialog.FileName())) return;
    picture->SetFileName(dialog.FileName());
    Modified = true;
    PostMsgToOwners(tm_ReView, nullptr, false);
}

void TMapSheetEditor::EditView() {
    auto* view = As<TView>(GetSelected());
    if (!view) return;
    Modified = true;  // whatever the dialog ends with
    TViewDialog* dialog = TViewDialog::New();
    dialog->DataDirectory = OptionsFolder(true);
    RunAndFree(dialog, view);
    PostMsgToOwners(tm_ReView, nullptr, false);
}

TRectEntity* TMapSheetEditor::SelectedChild(int32_t& index) {
    index = -1;
    auto* page = As<TEntity>(Input);
    TRectEntity* e = GetSelected();
    if (!page || !e) return nullptr;
    index = page->IndexOf(e);
    return index >= 0 ? e : nullptr;
}

void TMapSheetEditor::Reorder(int32_t index) {
    int32_t at = -1;
    TRectEntity* e = SelectedChild(at);
    if (!e) return;
    auto* page = As<TEntity>(Input);
    Select(nullptr);  // the marker leaves the page first
    page->RemoveElement(e);
    page->InsertElement(std::min(index, page->ElementsCount()), e);
    Modified = true;
    Select(e);
    PostMsgToOwners(tm_ReView, nullptr, false);
}

void TMapSheetEditor::BringToFront() {
    int32_t at;
    if (SelectedChild(at)) Reorder(INT32_MAX);
}

void TMapSheetEditor::SendToBack() {
    int32_t at;
    if (SelectedChild(at)) Reorder(0);
}

void TMapSheetEditor::MoveUp() {
    int32_t at;
    // The topmost element goes back on top: only the marker lay above it.
    if (SelectedChild(at)) Reorder(at + 1);
}

void TMapSheetEditor::MoveDown() {
    int32_t at;
    if (SelectedChild(at) && at > 0) Reorder(at - 1);
}

void TMapSheetEditor::HandleMessage(TZarixMessage*& message, bool& handled) {
    inherited::HandleMessage(message, handled);
    if (handled || !message) return;
    switch (message->Message) {
        case msed::BringToFront: BringToFront(); break;
        case msed::SendToBack: SendToBack(); break;
        case msed::MoveUp: MoveUp(); break;
        case msed::MoveDown: MoveDown(); break;
        default: return;
    }
    handled = true;
}

// ---- new-object tools ----------------------------------------------------------------------------

TMapSheetEditor* TEditorIATool::GetEditor() const {
    return FEditor && IsLive(FEditor, FEditorSerial) ? FEditor : nullptr;
}

void TEditorIATool::SetEditor(TMapSheetEditor* editor) {
    FEditor = editor;
    FEditorSerial = editor ? editor->Serial() : 0;
}

TMSEditorForm* TEditorIATool::Form() const {
    auto* tool = As<TMSEditorFormTool>(GetManager());
    return tool ? tool->EditorForm() : nullptr;
}

void TEditorIATool::Place(TRectEntity* element, double minX, double minY, double maxX, double maxY, bool modified) {
    auto* page = As<TEntity>(Input);
    element->SetRect(minX, minY, maxX, maxY);
    page->AddElement(element);
    if (TMapSheetEditor* editor = GetEditor()) {
        editor->Select(element);
        if (modified) editor->Modified = true;
    }
    PostMsgToOwners(tm_ReView, nullptr, false);
}

void TNewDrawRect::Create() {
    inherited::Create();
    SetName(Cz("Nový rámeček"));
}

void TNewDrawRect::RectDrawn(double minX, double minY, double maxX, double maxY) {
    if (!As<TEntity>(Input)) return;
    TDrawRectangle* frame = TDrawRectangle::New();
    if (TMSEditorForm* f = Form()) {
        frame->SetPenColor(f->LineColour);
        frame->SetPenWidth(f->PenWidth);
        frame->SetBrushColor(f->FillColour);
        frame->SetBrushStyle(f->Fill() ? bsSolid : bsClear);
    }
    Place(frame, minX, minY, maxX, maxY, true);
}

void TNewView::Create() {
    inherited::Create();
    SetName(Cz("Nové View"));
}

void TNewView::RectDrawn(double minX, double minY, double maxX, double maxY) {
    if (As<TEntity>(Input)) Place(TView::New(), minX, minY, maxX, maxY, true);
}

namespace {
void TextDefaults(TText* text, TMSEditorForm* form, double minY, double maxY) {
    text->SetTextHeight(maxY - minY);
    if (!form) return;
    text->SetFont(form->Font);
    text->SetColor(form->LineColour);
}
}  // namespace

void TNewTextBlock::Create() {
    inherited::Create();
    SetName(Cz("Nový Text Blok"));
}

void TNewTextBlock::RectDrawn(double minX, double minY, double maxX, double maxY) {
    if (!As<TEntity>(Input)) return;
    TTextBlock* block = TTextBlock::New();
    TextDefaults(block, Form(), minY, maxY);
    Place(block, minX, minY, maxX, maxY, true);
}

void TNewText::Create() {
    inherited::Create();
    SetName(Cz("Nový Text"));
}

void TNewText::RectDrawn(double minX, double minY, double maxX, double maxY) {
    if (!As<TEntity>(Input)) return;
    TText* text = TText::New();
    TMSEditorForm* form = Form();
    TextDefaults(text, form, minY, maxY);
    text->SetText("Text");
    text->SetRect(minX, minY, maxX, maxY);
    TText* copy = TText::New();
    copy->Assign(text);
    copy->SetName(text->GetName());
    TEditTextDialog dialog;
    dialog.SetElement(copy);
    const bool ok = dialog.ShowModal() == mrOk;
    if (ok) {
        CopyBackText(dialog.Element(), text);
        if (form) {
            dialog.Element()->GetFont(form->Font);
            form->ShowFont();
        }
    }
    if (!IsLive(this) || !As<TEntity>(Input)) {
        Free(text);
        return;
    }
    Place(text, minX, minY, maxX, maxY, ok);
}

void TNewBMP::Create() {
    inherited::Create();
    SetName(Cz("Nový obrázek"));
}

void TNewBMP::RectDrawn(double minX, double minY, double maxX, double maxY) {
    if (!As<TEntity>(Input)) return;
    TNewBMPDlg dialog;
    if (dialog.ShowModal() != mrOk || dialog.FileName().empty() || !PictureReadable(dialog.FileName())) return;
    if (!IsLive(this) || !As<TEntity>(Input)) return;
    TGraphicFileElement* picture = TGraphicFileElement::New();
    picture->SetFileName(dialog.FileName());
    Place(picture, minX, minY, maxX, maxY, true);
}

// ---- TMSEditorFormTool ----------------------------------------------------------------------------

void TMSEditorFormTool::Publish(PropertyTable& t) {
    using C = TMSEditorFormTool;
    t.Bool<C>("Modified", &C::GetModified, &C::SetModified).Stored(false);
    t.Str<C>("FileName", &C::GetFileName, &C::SetFileName).Stored(false);
}

void TMSEditorFormTool::Create() {
    inherited::Create();
    SetPageColor(RGBColor(192, 192, 192));
}

void TMSEditorFormTool::Destroy() {
    if (FRectForm) {
        FRectForm->ToolDestroying = true;
        FRectForm.reset();
    }
    FreeTheForm();
    FFileName.clear();
    inherited::Destroy();
    FreeDocument();
}

void TMSEditorFormTool::FreeDocument() {
    TDesktop* doc = GetDocument();
    FDocument = nullptr;
    if (doc && doc->GetOwnersCount() == 0) Free(doc);
}

TMSEditorForm* TMSEditorFormTool::EditorForm() const { return static_cast<TMSEditorForm*>(FForm); }

TMapSheetEditor* TMSEditorFormTool::GetEditor() const {
    return FEditor && IsLive(FEditor) && const_cast<TMSEditorFormTool*>(this)->GetTools()->IndexOf(FEditor) >= 0
               ? FEditor
               : nullptr;
}

bool TMSEditorFormTool::GetModified() const {
    TMapSheetEditor* e = GetEditor();
    return e && e->Modified;
}

void TMSEditorFormTool::SetModified(bool value) {
    if (TMapSheetEditor* e = GetEditor()) e->Modified = value;
}

void TMSEditorFormTool::SetFileName(const std::string& name) {
    FFileName = name.empty() ? std::string(NoName) : name;
    SetCaption(FFileName);
}

TDesktop* TMSEditorFormTool::GetDocument() const {
    return FDocument && IsLive(FDocument, FDocumentSerial) ? FDocument : nullptr;
}

void TMSEditorFormTool::SetDocument(TDesktop* desktop) { SetInput(desktop); }

void TMSEditorFormTool::SetInput(TElement* element) {
    auto* desktop = As<TDesktop>(element);
    if (desktop == GetDocument() && desktop) return;
    if (TMapSheetEditor* e = GetEditor()) e->Select(nullptr);
    FreeDocument();
    FDocument = desktop;
    FDocumentSerial = desktop ? desktop->Serial() : 0;
    if (TDevice* d = GetDevice(); d && d->GetProjection() && desktop) {
        try {
            d->GetProjection()->ChangeProjectionByRect(desktop->Rect(), d->GetPage());
        } catch (const Exception&) {
        }
    }
    TInteractiveTool::SetInput(desktop);
    for (int32_t i = 0; i < ToolsCount(); ++i) {
        try {
            if (TInteractiveTool* t = GetTool(i)) t->SetInput(desktop);
        } catch (const Exception&) {
        }
    }
}

void TMSEditorFormTool::CreateForm() {
    FForm = new TMSEditorForm(this);
    FForm->CloseFlag = false;
}

void TMSEditorFormTool::CreateInterpret() { SetInterpret(TDesktopInterpret::New()); }

void TMSEditorFormTool::CreateDefaultTools() {
    FEditor = TMapSheetEditor::New();
    SetNextTool(FEditor);
    TEditorIATool* tools[] = {TNewBMP::New(), TNewDrawRect::New(), TNewView::New(), TNewText::New(),
                              TNewTextBlock::New()};
    for (TEditorIATool* t : tools) {
        t->SetEditor(FEditor);
        SetNextTool(t);
    }
    SetNextTool(TViewer::New());
    // The window opens with the editor in hand.
    SetActiveToolIndex(GetTools()->IndexOf(FEditor));
    CheckToolItem(FEditor);
}

void TMSEditorFormTool::SetScaleText() {
    if (FForm) (*FForm)["l_M"].Text = IntToStr(Round(GetDeviceScale()));
}

void TMSEditorFormTool::ShowPointer(const T2DPoint& m) {
    if (!FForm) return;
    (*FForm)["l_x"].Text = FixedText(m.X * 1000, 5, 0);
    (*FForm)["l_y"].Text = FixedText(m.Y * 1000, 5, 0);
}

void TMSEditorFormTool::ActivateTool(TZarixMessage*& message, bool& handled) {
    inherited::ActivateTool(message, handled);
    handled = true;
    if (!FForm || !message) return;
    TElement* tool = message->Data;
    if (tool && tool->ClassType() == TViewer::StaticClass()) (*FForm)["b_Viewer"].Checked = true;
    if (tool && tool->ClassType() == TDrawRectTool::StaticClass()) (*FForm)["b_Frame"].Checked = true;
}

void TMSEditorFormTool::UseTool(const TClassInfo* cls) {
    if (!FForm) return;
    for (TControl* item : FForm->ToolItems())
        if (SameText(item->Name, cls->Name)) {
            item->Click();
            return;
        }
}

void TMSEditorFormTool::UseViewer() { UseTool(TViewer::StaticClass()); }
void TMSEditorFormTool::UseMapSheetEditor() { UseTool(TMapSheetEditor::StaticClass()); }
void TMSEditorFormTool::UseNewDrawRect() { UseTool(TNewDrawRect::StaticClass()); }
void TMSEditorFormTool::UseNewView() { UseTool(TNewView::StaticClass()); }
void TMSEditorFormTool::UseNewText() { UseTool(TNewText::StaticClass()); }
void TMSEditorFormTool::UseNewTextBlock() { UseTool(TNewTextBlock::StaticClass()); }
void TMSEditorFormTool::UseNewBMP() { UseTool(TNewBMP::StaticClass()); }

TF_rectedForm* TMSEditorFormTool::GetRectForm() {
    if (!FRectForm) {
        FRectForm = std::make_unique<TF_rectedForm>();
        FRectForm->SetTool(this);
        uint64_t serial = Serial();
        FRectForm->SelectedElement = [this, serial]() -> TRectEntity* {
            if (!IsLive(this, serial)) return nullptr;
            TMapSheetEditor* e = GetEditor();
            return e ? e->GetSelected() : nullptr;
        };
        FRectForm->SelectAgain = [this, serial](TRectEntity* element) {
            if (!IsLive(this, serial)) return;
            if (TMapSheetEditor* e = GetEditor()) {
                e->Select(element);
                e->Modified = true;
            }
        };
    }
    return FRectForm.get();
}

void TMSEditorFormTool::RectToForm() {
    TMapSheetEditor* e = GetEditor();
    TPageProjection* p = GetProjection();
    if (!e || !p) return;
    TPixelRect band = e->Band();
    T2DPoint a = p->GetModelPoint(band.Left, band.Top), b = p->GetModelPoint(band.Right, band.Bottom);
    TF_rectedForm* f = GetRectForm();
    f->SetXmin(std::min(a.X, b.X));
    f->SetYmin(std::min(a.Y, b.Y));
    f->SetXmax(std::max(a.X, b.X));
    f->SetYmax(std::max(a.Y, b.Y));
}

void TMSEditorFormTool::ShowSelected() {
    TMapSheetEditor* e = GetEditor();
    TRectEntity* selected = e ? e->GetSelected() : nullptr;
    if (!selected) return;
    TF_rectedForm* f = GetRectForm();
    f->SetXmin(selected->GetMinX());
    f->SetYmin(selected->GetMinY());
    f->SetXmax(selected->GetMaxX());
    f->SetYmax(selected->GetMaxY());
    f->SetObjectName(selected->GetName());
    TMSEditorForm* form = EditorForm();
    if (!form) return;
    (*form)["l_Comment"].Caption =
        Cz("Vybraný objekt: ") + selected->GetName() + Cz(" (třída ") + selected->ClassName() + ")";
    if (auto* frame = As<TDrawRectangle>(selected)) {
        form->LineColour = frame->GetPenColor();
        form->PenWidth = frame->GetPenWidth();
        form->FillColour = frame->GetBrushColor();
        (*form)["b_fill"].Checked = frame->GetBrushStyle() != bsClear;
    } else if (auto* text = As<TText>(selected)) {
        form->LineColour = text->GetColor();
        text->GetFont(form->Font);
        form->ShowFont();
    }
}

void TMSEditorFormTool::ShowRectForm() {
    GetRectForm()->Show();
    if (FForm) (*FForm)["b_RectForm"].Checked = true;
}

void TMSEditorFormTool::HideRectForm() {
    if (FRectForm && FRectForm->Visible) {
        FRectForm->Hide();
        PostMsg(tm_ReView, this, nullptr, false);  // the page behind the dialog
    }
    if (FForm) (*FForm)["b_RectForm"].Checked = false;
}

// A change the tool bar applied to the selected element: it is part of the template, so
// the template counts as modified.
void TMSEditorFormTool::ApplyToSelected(const std::function<bool(TRectEntity*, TMSEditorForm&)>& apply) {
    TMapSheetEditor* e = GetEditor();
    TRectEntity* selected = e ? e->GetSelected() : nullptr;
    if (selected && EditorForm() && apply(selected, *EditorForm())) e->Modified = true;
    PostMsg(tm_ReView, this, nullptr, false);
}

void TMSEditorFormTool::ApplyPenWidth() {
    ApplyToSelected([](TRectEntity* e, TMSEditorForm& form) {
        auto* frame = As<TDrawRectangle>(e);
        if (frame) frame->SetPenWidth(form.PenWidth);
        return frame != nullptr;
    });
}

void TMSEditorFormTool::ApplyLineColour() {
    ApplyToSelected([](TRectEntity* e, TMSEditorForm& form) {
        if (auto* frame = As<TDrawRectangle>(e)) frame->SetPenColor(form.LineColour);
        else if (auto* text = As<TText>(e)) text->SetColor(form.LineColour);
        else return false;
        return true;
    });
}

void TMSEditorFormTool::ApplyFillColour() {
    ApplyToSelected([](TRectEntity* e, TMSEditorForm& form) {
        auto* frame = As<TDrawRectangle>(e);
        if (frame) frame->SetBrushColor(form.FillColour);
        return frame != nullptr;
    });
}

void TMSEditorFormTool::ApplyFill() {
    ApplyToSelected([](TRectEntity* e, TMSEditorForm& form) {
        auto* frame = As<TDrawRectangle>(e);
        if (frame) frame->SetBrushStyle(form.Fill() ? bsSolid : bsClear);
        return frame != nullptr;
    });
}

void TMSEditorFormTool::ApplyFont() {
    ApplyToSelected([](TRectEntity* e, TMSEditorForm& form) {
        auto* text = As<TText>(e);
        if (!text) return false;
        text->SetFont(form.Font);
        text->SetColor(form.LineColour);
        return true;
    });
}

void TMSEditorFormTool::EditSelected() {
    if (TMapSheetEditor* e = GetEditor()) e->EditSelected();
}

void TMSEditorFormTool::NewTemplate() {
    if (AskToSave() == mrCancel) return;
    SetDocument(NewTemplatePage());
    SetFileName(NoName);
    SetModified(true);
    PostMsg(tm_ReView, this, nullptr, false);
}

int TMSEditorFormTool::AskToSave() {
    if (!GetDocument() || !GetModified()) return mrYes;
    int answer = MessageDlg(Cz("Uložit otevřenou šablonu ?"), mtConfirmation, TMsgDlgButtons{mbYes, mbNo, mbCancel}, 0);
    if (answer == mrYes) WriteTemplate();
    return answer;
}

bool TMSEditorFormTool::WriteTemplate() {
    TDesktop* doc = GetDocument();
    if (!doc) return false;
    TDeskTopSaveToText* writer = TDeskTopSaveToText::New();
    writer->MSDFileName = FFileName.empty() ? std::string(NoName) : FFileName;
    writer->SetInput(doc);
    try {
        writer->DoIt();
    } catch (const Exception& e) {
        Free(writer);
        ShowErrorMessage(Cz("Šablonu nelze uložit do souboru ") + FFileName + "\r" + e.Message());
        return false;
    }
    Free(writer);
    SetModified(false);
    return true;
}

bool TMSEditorFormTool::SaveAs() {
    std::string file = FFileName;
    if (!GetUserHost().SelectFile(Cz("Šablony ML (*.MSD)|*.MSD"), OptionsFolder(false), file)) return false;
    // An existing file is replaced only when the user says so, as the save dialog asks.
    if (FileExists(file) && MessageDlg(file + Cz(" již existuje.") + "\r" + Cz("Chcete jej nahradit?"), mtWarning,
                                       TMsgDlgButtons{mbYes, mbNo}, 0) != mrYes)
        return false;
    SetFileName(file);
    RegisterTemplate();
    return true;
}

void TMSEditorFormTool::SaveTemplate() {
    if (FFileName.empty() || FFileName == NoName) SaveAs();
    WriteTemplate();
}

void TMSEditorFormTool::RegisterTemplate() {
    TDesktop* doc = GetDocument();
    std::string name = doc ? doc->GetName() : std::string();
    if (name.empty() || name == doc->ClassName()) name = ChangeFileExt(ExtractFileName(FFileName), "");
    if (name.empty() || FFileName.empty()) return;
    if (TMainTool* main = MainTool()) main->RegisterTemplate(name, FFileName);
}

void TMSEditorFormTool::OpenFile(TZarixMessage*&, bool& handled) {
    handled = true;
    if (AskToSave() == mrCancel) return;
    std::string file;
    if (!GetUserHost().SelectFile(Cz("šablony mapových listů (*.MSD)|*.MSD"), OptionsFolder(false), file) ||
        !FileExists(file))
        return;
    TDesktop* desktop = nullptr;
    if (TMainTool* main = MainTool()) {
        desktop = As<TDesktop>(main->ReadTemplate(file));
    } else {
        TMSTemplateGenerator* generator = TMSTemplateGenerator::New();
        generator->SetTemplatePath(file);
        desktop = As<TDesktop>(RunAndFree(generator, nullptr));
    }
    if (!desktop) return;
    SetDocument(desktop);
    SetFileName(file);
    SetModified(false);
    PostMsg(tm_ReView, this, nullptr, false);
}

void TMSEditorFormTool::SaveFileAs(TZarixMessage*&, bool& handled) {
    handled = true;
    if (SaveAs()) WriteTemplate();
}

void TMSEditorFormTool::DoIt() {
    if (FFileName.empty()) SetFileName(NoName);
    inherited::DoIt();
    if (!GetDocument()) {
        SetDocument(NewTemplatePage());
        if (TMapSheetEditor* e = GetEditor()) e->Select(GetDocument());
        PostMsg(msed::ShowRectForm, this, nullptr, false);
    }
}

void TMSEditorFormTool::HandleMessage(TZarixMessage*& message, bool& handled) {
    inherited::HandleMessage(message, handled);
    if (handled || !message) return;
    handled = true;
    switch (message->Message) {
        case msed::NewTemplate: NewTemplate(); break;
        case msed::SaveTemplate: SaveTemplate(); break;
        case msed::UseMapSheetEditor: UseMapSheetEditor(); break;
        case msed::UseNewDrawRect: UseNewDrawRect(); break;
        case msed::UseNewView: UseNewView(); break;
        case msed::UseNewText: UseNewText(); break;
        case msed::UseNewTextBlock: UseNewTextBlock(); break;
        case msed::UseNewBMP: UseNewBMP(); break;
        case msed::EditSelected: EditSelected(); break;
        case msed::DeleteSelected: DeleteSelected(); break;
        case msed::RectToForm: RectToForm(); break;
        case msed::ApplyPenWidth: ApplyPenWidth(); break;
        case msed::ApplyLineColour: ApplyLineColour(); break;
        case msed::ApplyFillColour: ApplyFillColour(); break;
        case msed::ApplyFill: ApplyFill(); break;
        case msed::ApplyFont: ApplyFont(); break;
        case msed::ShowSelected: ShowSelected(); break;
        case msed::ShowRectForm: ShowRectForm(); break;
        case msed::HideRectForm: HideRectForm(); break;
        case msed::ZoomToSelection: ZoomToSelection(); break;
        case msed::UseViewer: UseViewer(); break;
        default: handled = false; break;
    }
}

void TMSEditorFormTool::on_tm_QuitTask(TZarixMessage*& message, bool& handled) {
    if (FFileName.empty() || FFileName == NoName) SaveTemplate();
    if (!IsLive(this)) return;
    if (AskToSave() == mrCancel) {
        if (FForm) FForm->CloseFlag = false;
        handled = true;
        return;
    }
    if (FRectForm) {
        FRectForm->ToolDestroying = true;
        FRectForm.reset();
    }
    inherited::on_tm_QuitTask(message, handled);
}

void RegisterMapSheetEditorUnit() {
    RegisterZarixClass<TMapSheetEditor>();
    RegisterZarixClass<TEditorIATool>();
    RegisterZarixClass<TNewDrawRect>();
    RegisterZarixClass<TNewView>();
    RegisterZarixClass<TNewText>();
    RegisterZarixClass<TNewTextBlock>();
    RegisterZarixClass<TNewBMP>();
    RegisterZarixClass<TMSEditorFormTool>();
}
