// The tools of the key-map window: marking sheets with the mouse, drawing and editing user
// map spaces, the bounding rectangle of marked sheets, the user-map-space form and the
// two small dialogs of the window.
#pragma once
#include <cstdint>
#include <string>

#include "kernel/recursor.h"
#include "pelvar/geometry.h"
#include "platform/controls.h"
#include "workbench/interactive_tools.h"
#include "workbench/rect_editors.h"

class TGuide;
class TGuideFormTool;
class TMapSpace;
class TRectEntity;
class TUserMapSpace;

// Message numbers of the key-map window.
namespace guide_msg {
constexpr int32_t StartSheetSelection = 16, ImportVectors = 84, RectToForm = 111, SelectedToForm = 117,
                  ShowUMSForm = 118, HideUMSForm = 119, NewUserSpace = 121, EditUserSpace = 122,
                  ToggleGuide = 139, NewGuideAuto = 141, NewGuideManual = 142, Apply = 143, Cancel = 144,
                  Finished = 145, ZoomToSelection = 148, ZoomToVectors = 149, SeriesChanged = 159,
                  ShowViewer = 160, ShowSheetSelector = 161, RemoveSelected = 162, InvertSelection = 163,
                  SelectionStored = 164, Cancelled = 165;
}

// The key map the tool works on: its input when that is a TGuide, else the input's
// TGuide child; nil when none.
TGuide* GuideOf(TElement* input);

// Marks and unmarks sheets: base-map sheets, user map spaces or the sheets of the finest
// series shown; in detail mode fills a sheet with all its sub-sheets.
class TGuideSelector : public TInteractiveTool {
    ZARIX_CLASS(TGuideSelector, TInteractiveTool)

public:
    bool Show_50 = false, Show_25 = false, Show_10 = false, Show_5 = false, Show_2 = false, Show_U = false,
         Show_ZM = false;
    bool Detail = false;
    // The last click in model units, its cell inside the last sheet, and whether a sheet
    // had to be made for it.
    double X = 0, Y = 0;
    int32_t Column = 0, Row = 0;
    bool Created = false;

    std::string GetName() override { return Cz(" Výběr listů průvodce "); }
    int32_t GetCursorIndex() override { return 2; }
    void MouseUp(TZarixMessage*& message, bool& handled) override;

    // The sheet of the finest series shown at the point, made when missing; nil outside
    // every 1:50000 sheet or with no series shown.
    TMapSpace* SheetAt(TGuide* guide, double x, double y);

private:
    void Redraw(TMapSpace* space);
    void ToggleZM(TGuide* guide);
};

// Draws a new user map space: the button shows a Width x Height box centred on the
// pointer as the rubber rectangle, a drag moves its far corner; Esc ends the drag.
class TNewUserMapSpace : public TDrawRectTool {
    ZARIX_CLASS(TNewUserMapSpace, TDrawRectTool)
    static void Publish(PropertyTable& t);

public:
    double Width = 1000, Height = 1000, Scale = 0;

    std::string GetName() override { return Cz("Vkládat uživatelský mapový prostor"); }
    int32_t GetCursorIndex() override { return 6; }
    void MouseDown(TZarixMessage*& message, bool& handled) override;
    // Adds the user map space of the rectangle to the key map.
    void RectDrawn(double minX, double minY, double maxX, double maxY) override;
};

// The rectangle editor on the user map spaces of the key map: selects one (posting 117 to
// its owners), moves it, resizes it at its grips (posting 111 while it goes), deletes it
// with the Delete key; the user-map-space form locks its aspect to the page.
class TUserMapSpaceEditor : public TRectEntityEditor {
    ZARIX_CLASS(TUserMapSpaceEditor, TRectEntityEditor)

public:
    std::string GetName() override { return Cz("Editor uživatelského mapového prostoru"); }
    int32_t GetCursorIndex() override { return 7; }
    int32_t NoSelectionCursor() override { return 8; }
    const TClassInfo* SelectClass() override;
    void Select(TElement* element) override;
    // A selected text is not edited here.
    void EditSelected() override {}
    TEntity* HolderOf(TRectEntity* element) override;
    void SetInput(TElement* element) override;

    // The selected user map space; nil when none.
    TUserMapSpace* Selected() const;
    // The rectangle being dragged, in pixels.
    TPixelRect DragRect() const { return Band(); }
};

// The bounding rectangle of the marked sheets of the finest series switched on (only user
// map spaces with U), or with Vectors of the vector drawing's rectangles.
class TRecGuideSelect : public TRecursor {
    ZARIX_CLASS(TRecGuideSelect, TRecursor)

public:
    bool S50 = false, S25 = false, S10 = false, S5 = false, S2 = false, SU = false, Vectors = false;
    TRectangle Result;

    bool QGoInside(TElement* element) override;
    bool QProcessBefore(TElement* element) override;
    void Process(TElement* element) override;
    void DoIt() override;

private:
    bool Counts(TMapSpace* space) const;
    bool FInVectors = false;
};

// "Uživatelský mapový prostor ": one user map space in numbers.
class TF_UMSedForm : public TForm {
public:
    explicit TF_UMSedForm(TGuideFormTool* tool);

    double X = 0, Y = 0, RectWidth = 0, RectHeight = 0, Xmin = 0, Xmax = 0, Ymin = 0, Ymax = 0, Scale = 10000;
    // Held in metres, shown in the page unit.
    double PageWidth = 0.297, PageHeight = 0.210;
    double UnitFactor = 1000;
    int UnitDecimals = 2;
    int UndoCountdown = 0;

    // The edits from the values.
    void ShowValues();
    // One edit left by the user: applies its rule.
    void EditLeft(const std::string& name);
    // The min/max edits from a rectangle (after a drag or a selection).
    void TakeRect(double minX, double minY, double maxX, double maxY);
    void SetUnit(double factor, int decimals);
    // The key-map window's user-map-space editor; nil when none.
    TUserMapSpaceEditor* Editor() const;

private:
    // "FixPage" locks the editor's rubber rectangle to the page's aspect, or releases it.
    void LockAspect();
    double Number(const char* name);
    void FromMinMax();
    void FromCentreSize();
    void AfterSize();
    void Changed();
    void Apply();
    void Undo();
    TGuideFormTool* FTool;
    uint64_t FToolSerial;
    std::string FUndoName;
    TRectangle FUndoRect;
    double FUndoScale = 0;
};

// "Načtení vektorů do průvodce": replace, add or drop the new drawing.
class TGuideVectorsDlg : public TForm {
public:
    TGuideVectorsDlg();
    // 0 replace, 1 add, 2 drop.
    int Choice() const;
};

// "Měřítko ZM": base-map scale, frame colour and pen width.
class TZMDialog : public TForm {
public:
    TZMDialog();
};

void RegisterKeyMapToolsUnit();
