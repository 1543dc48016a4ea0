#include "workbench/map_window_form.h"

#include <cairo.h>

#include "composition/modelfile.h"
#include "device/printer_setup_dialog.h"
#include "kernel/elements.h"
#include "kernel/tools.h"
#include "platform/forms.h"
#include "platform/host.h"
#include "platform/sysutils.h"
#include "workbench/form_tool_manager.h"
#include "workbench/print_dialog.h"

namespace {
constexpr uint16_t kF1 = 112;
constexpr const char* kMainMenu = "MainMenu1";
constexpr const char* kPopup = "PopupMenu1";
}  // namespace

TStandardImageForm::TStandardImageForm(TFormToolManager* manager)
    : TStandardImageForm(manager, "TStandardImageForm") {}

TStandardImageForm::TStandardImageForm(TFormToolManager* manager, std::string className)
    : TForm(std::move(className)), FManager(manager), FManagerSerial(manager ? manager->Serial() : 0) {
    Caption = Cz("Zobrazovač");
    Width = DefaultWidth;
    Height = DefaultHeight;
    FBitmap.SetSize(Width, Height);

    // The image shows the raster and hands the mouse on as the window's input events.
    TControl& image = Add(TControlKind::Image, "Image");
    image.Pixels = [this] {
        TControl::TPixels px;
        cairo_surface_t* s = FBitmap.Surface();
        if (!s) return px;
        cairo_surface_flush(s);
        px.Data = cairo_image_surface_get_data(s);
        px.Width = FBitmap.Width();
        px.Height = FBitmap.Height();
        px.Stride = cairo_image_surface_get_stride(s);
        return px;
    };
    image.OnMouse = [this](TControl&, TControl::TMouseAction action, int button, uint32_t shift, int x, int y) {
        auto b = static_cast<TMouseButton>(button);
        auto state = static_cast<TShiftState>(shift);
        switch (action) {
            case TControl::TMouseAction::Down: MouseDown(b, state, x, y); break;
            case TControl::TMouseAction::Move: MouseMove(state, x, y); break;
            case TControl::TMouseAction::Up: MouseUp(b, state, x, y); break;
        }
    };
    image.OnImageResize = [this](TControl&, int width, int height) { Resize(width, height); };
    // Something dragged over the image and dropped on it (not in the checking program, whose
    // image takes no drags: a drop there is one on the form).
    if (ModelFileProfile() != TModelFileProfile::Tarvine) {
        image.OnDragOver = [this](TControl&, TControl&, int x, int y) { DragOver(x, y); };
        image.OnDragDrop = [this](TControl&, TControl& source) {
            DragDrop();
            DropFrom(source);
        };
    }
    OnDragDrop = [this](TForm&, TControl* source) {
        if (source) DropFrom(*source);
    };
    Add(TControlKind::Panel, "StatusPanel");
    Add(TControlKind::Label, "l_x", "x:", "StatusPanel");
    Add(TControlKind::Label, "l_y", "y:", "StatusPanel");
    Add(TControlKind::Label, "l_M", "M 1 :", "StatusPanel");
    TControl& bar = Add(TControlKind::Panel, "ToolBar");
    bar.Visible = false;
    TControl& quick = Add(TControlKind::Button, "b_QuickView", {}, "ToolBar");
    quick.Text = Cz("Rychlé, informativní zobrazení");  // the hint
    quick.OnClick = [this](TControl&) { Post(tm_ToggleQuickView); };
    TControl& link = Add(TControlKind::Button, "btn_Link", {}, "ToolBar");
    link.Visible = false;
    link.OnDragDrop = [this](TControl&, TControl& source) { DropFrom(source); };

    Add(TControlKind::MainMenu, kMainMenu);
    Item("Soubor1", "&Soubor", kMainMenu);
    Item("Otevrit1", "&Otevřít", "Soubor1").OnClick = [this](TControl&) { Post(tm_OpenFile); };
    Item("UlozitPodNazvem1", "&Uložit pod názvem", "Soubor1").OnClick = [this](TControl&) { Post(tm_SaveFileAs); };
    Item("Tisk1", "&Tisk", kMainMenu);
    Item("Tiskni1", "&Tiskni", "Tisk1").OnClick = [this](TControl&) { Post(tm_PrintView); };
    Item("Nastaveni1", "&Nastavení", "Tisk1").OnClick = [](TControl&) {
        TPrinterSetupDialog dialog;
        dialog.Execute(PrintIniFileName());
    };
    Item("TisknoutJakoBitmapu1", "Tisknout jako bitmapu", "Tisk1").OnClick = [](TControl& c) {
        c.Checked = !c.Checked;
    };
    Item("Zobrazeni1", "&Zobrazení", kMainMenu);
    Item("Prezobraz1", "&Přezobraz", "Zobrazeni1").OnClick = [this](TControl&) { BreakThenPost(tm_ReView); };
    Item("Meritko1", "&Měřítko", "Zobrazeni1").OnClick = [this](TControl&) { BreakThenPost(tm_ScaleDialog); };
    Item("VseVeVyrezu1", "&Vše ve výřezu", "Zobrazeni1").OnClick = [this](TControl&) {
        BreakThenPost(tm_ShowWholeModel);
    };
    Item("Zvetseni1", "Zvětšení      F5", "Zobrazeni1").OnClick = [this](TControl&) { PostKey(VK_F5); };
    Item("Zmenseni1", "Zmenšení    F6", "Zobrazeni1").OnClick = [this](TControl&) { PostKey(VK_F6); };
    Item("Struktura1", "&Struktura", "Zobrazeni1").OnClick = [this](TControl&) {
        if (TFormToolManager* m = Manager()) m->PostMsg(tm_Explore, nullptr, m, false);
    };
    Item("Tools", "&Nástroje", kMainMenu);
    Item("Model1", "&Model", kMainMenu).OnClick = [this](TControl&) {
        if (TFormToolManager* m = Manager()) m->PostMsg(tm_Explore, nullptr, m->GetEnvelope(), false);
    };
    Item("Storno1", "&Storno", kMainMenu).OnClick = [this](TControl&) { PostKey(VK_ESCAPE); };

    Add(TControlKind::PopupMenu, kPopup);
    PopupMenu = kPopup;
    Item("pPrezobraz", "Přezobraz", kPopup).OnClick = [this](TControl&) { BreakThenPost(tm_ReView); };
    Item("pMeritko", "Měřítko", kPopup).OnClick = [this](TControl&) { BreakThenPost(tm_ScaleDialog); };
    Item("pVseVeVyrezu", "Vše ve výřezu", kPopup).OnClick = [this](TControl&) { BreakThenPost(tm_ShowWholeModel); };

    OnKeyDown = [this](TForm&, uint16_t key, uint32_t shift) {
        if (TFormToolManager* m = Manager())
            m->PostKeyEvent(tm_WindowKeyDown, m, static_cast<TShiftState>(shift), key);
    };
    OnCloseQuery = [this](TForm&) {
        if (CloseFlag) return true;
        CloseFlag = true;
        Post(tm_QuitTask);
        return false;
    };
}

TControl& TStandardImageForm::Item(const char* name, const char* caption, const char* parent) {
    return Add(TControlKind::MenuItem, name, Cz(caption), parent);
}

TFormToolManager* TStandardImageForm::Manager() const {
    return FManager && IsLive(FManager, FManagerSerial) ? FManager : nullptr;
}

TControl& TStandardImageForm::ToolsMenu() { return (*this)["Tools"]; }

std::vector<TControl*> TStandardImageForm::ToolItems() const { return Children("Tools"); }

void TStandardImageForm::Post(int32_t msg, TElement* data) {
    if (TFormToolManager* m = Manager()) m->PostMsg(msg, m, data, false);
}

void TStandardImageForm::PostKey(uint16_t key) {
    if (TFormToolManager* m = Manager()) m->PostKeyEvent(tm_WindowKeyDown, m, 0, key);
}

void TStandardImageForm::BreakThenPost(int32_t msg) {
    Post(tm_BreakDrawing);
    Application().ProcessMessages();
    Post(msg);
}

void TStandardImageForm::PostMouse(int32_t msg, TMouseButton button, TShiftState shift, int x, int y) {
    if (TFormToolManager* m = Manager()) m->PostMouseEvent(msg, m, WindowActive, y, x, shift, button);
}

void TStandardImageForm::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    PostMouse(tm_WindowMouseDown, button, shift, x, y);
}

void TStandardImageForm::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    PostMouse(tm_WindowMouseUp, button, shift, x, y);
    WindowActive = true;
}

void TStandardImageForm::MouseMove(TShiftState shift, int x, int y) {
    PostMouse(tm_WindowMouseMove, mbLeft, shift, x, y);
}

void TStandardImageForm::StartDrag() { PostMouse(tm_WindowStartDrag, mbLeft, 0, 0, 0); }
void TStandardImageForm::DragOver(int x, int y) { PostMouse(tm_WindowDragOver, mbLeft, 0, x, y); }
void TStandardImageForm::DragDrop() { PostMouse(tm_WindowDragDrop, mbLeft, 0, 0, 0); }
void TStandardImageForm::EndDrag() { PostMouse(tm_WindowEndDrag, mbLeft, 0, 0, 0); }

void TStandardImageForm::Resize(int width, int height) {
    Width = width;
    Height = height;
    if (!Visible) return;
    try {
        if (width > 0 && height > 0 && (FBitmap.Width() != width || FBitmap.Height() != height))
            FBitmap.SetSize(width, height);
        Post(tm_ResizeView);
    } catch (const Exception&) {
    }
}

void TStandardImageForm::DropElement(TElement* element) {
    TFormToolManager* m = Manager();
    if (!m || !element || !IsLive(element)) return;
    m->AddShownElement(element);
    m->PostMsg(tm_RequestReView, m, element, false);
}

void TStandardImageForm::DropFrom(TControl& source) {
    // A tree view's drag carries the element of its selected node.
    if (source.DragObject) DropElement(static_cast<TElement*>(source.DragObject()));
}

void TStandardImageForm::Popup(int x, int y) {
    Post(tm_BreakDrawing);
    Application().ProcessMessages();
    PopupShown = true;
    PopupPoint = TPixelPoint{x, y};
    GetUserHost().FormPopupMenu(*this);
}

// ---- Tf_SetScale -------------------------------------------------------------------------

Tf_SetScale::Tf_SetScale() : TForm("Tf_SetScale") {
    Caption = Cz("Nastavení měřítka");
    SetActiveControl(&Add(TControlKind::ComboBox, "Combo"));
    Add(TControlKind::Button, "OK", "OK").ModalResult = mrOk;
    Add(TControlKind::Button, "Storno", "Storno").ModalResult = mrCancel;
    OnKeyDown = [this](TForm&, uint16_t key, uint32_t) {
        if (key != kF1) return;
        TControl* active = ActiveControl();
        HelpTopic = ClassName() + "_" + (active ? active->Name : std::string());
    };
}
