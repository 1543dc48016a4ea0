// Window tools on the rectangle elements of a page: a rubber-band rectangle tool that
// hands the drawn rectangle (or a click) to its subclasses, and the editor that selects
// one rectangle element, moves it, resizes it at eight grips and deletes it.
#pragma once
#include <cstdint>

#include "kernel/recursor.h"
#include "pelvar/pelvar.h"
#include "workbench/interactive_tools.h"

// Posted to the owners after every drag step of the editor.
constexpr int32_t tm_RectDragged = 111;

// Draws a rubber-band rectangle (XOR, green) from the press point to the mouse; a release
// after more than 2 pixels in either direction is a drawn rectangle, else a click. Esc
// ends the drag without either.
class TDrawRectTool : public TInteractiveTool {
    ZARIX_CLASS(TDrawRectTool, TInteractiveTool)
    static void Publish(PropertyTable& t);

public:
    void Create() override;  // "Kreslítko obdélníčku"
    bool Drawn = false;      // a follow marker is on screen

    // The rubber rectangle in window pixels, from the press point, not normalised.
    TPixelRect Band() const { return FBand; }

    virtual void EraseMarker(double, double) {}
    virtual void DrawMarker(double, double) {}
    // Model point of (Left, Bottom).
    virtual void PointClicked(double, double) {}
    // The drawn rectangle in model units, min below max.
    virtual void RectDrawn(double, double, double, double) {}

    void KeyDown(TZarixMessage*& message, bool& handled) override;
    void MouseDown(TZarixMessage*& message, bool& handled) override;
    void MouseMove(TZarixMessage*& message, bool& handled) override;
    void MouseUp(TZarixMessage*& message, bool& handled) override;

protected:
    TPageProjection* Projection() const;
    // The model rectangle of a pixel rectangle (either corner order).
    void ModelRect(const TPixelRect& r, TRectangle& m) const;
    void BeginBand(const TPixelRect& r);
    void DrawBand();
    void EndBand();
    void MoveMarker(int x, int y);
    void EraseFollowMarker();
    TPixelRect FBand;
    bool FBanding = false;
    T2DPoint FMarker;
};

// The point-selection recursor: the last rectangle element in walk order (the one drawn
// on top) whose rectangle holds the point, selection markers left out.
class TSelectRectEntityByPoint : public TRecursor {
    ZARIX_CLASS(TSelectRectEntityByPoint, TRecursor)

public:
    double X = 0;
    double Y = 0;
    const TClassInfo* OnlyClass = nullptr;  // none: any class

    bool QGoInside(TElement* element) override;
    bool QProcessBefore(TElement* element) override;
    void Process(TElement* element) override;
    void DoIt() override;
};

// Drag-mode edge bits (top is the smaller pixel Y); 15 moves the whole rectangle.
enum : int32_t { edLeft = 1, edRight = 2, edTop = 4, edBottom = 8, edMove = 15 };

// Selects one rectangle element of its input (marked by a TSelectedElement child of the
// input), moves it, resizes it at its grips and deletes it with the Delete key.
class TRectEntityEditor : public TDrawRectTool {
    ZARIX_CLASS(TRectEntityEditor, TDrawRectTool)
    static void Publish(PropertyTable& t);

public:
    static constexpr int GripSize = 6;

    void Create() override;  // "Eitor mapového listu"
    void Destroy() override;
    bool Modified = false;
    int32_t GetCursorIndex() override { return 2; }

    virtual int32_t GetImageCursor();
    virtual void SetImageCursor(int32_t cursor);
    // The class selection by point is restricted to; none here.
    virtual const TClassInfo* SelectClass() { return nullptr; }
    virtual int32_t NoSelectionCursor() { return 9; }
    // Frees the old marker; an element gets a new one, added to the input.
    virtual void Select(TElement* element);
    // Applies the aspect lock to the rubber rectangle.
    virtual void KeepAspect();
    // A selected text in the text dialog.
    virtual void EditSelected();
    // The list the Delete key takes a selected element from: the input here.
    virtual TEntity* HolderOf(TRectEntity* element);

    // The selected element; nil when none.
    TRectEntity* GetSelected() const;
    TSelectedElement* GetMarker() const;
    int32_t DragMode() const { return FMode; }
    // Grip code of a window point against the selected element's window rectangle.
    static int32_t HitTest(const TPixelRect& r, int x, int y);
    // The element on top at the model point; nil when none.
    TRectEntity* ElementAt(double x, double y);
    void SetAspectLock(bool on, double ratio) {
        FAspect = on;
        FRatio = ratio;
    }

    void KeyDown(TZarixMessage*& message, bool& handled) override;
    void MouseDown(TZarixMessage*& message, bool& handled) override;
    void MouseMove(TZarixMessage*& message, bool& handled) override;
    void MouseUp(TZarixMessage*& message, bool& handled) override;

protected:
    // Lets the application run pending messages a few times, then asks for a redraw.
    void RedrawAfterDialog();
    TSelectedElement* FMarkerElement = nullptr;
    uint64_t FMarkerSerial = 0;
    int32_t FMode = 0;
    TPixelPoint FLast;
    TPixelRect FSaved;
    TSelectRectEntityByPoint* FRecursor = nullptr;
    bool FAspect = false;
    double FRatio = 0;
};

// Registers TDrawRectTool, TRectEntityEditor and TSelectRectEntityByPoint.
void RegisterRectEditorsUnit();
