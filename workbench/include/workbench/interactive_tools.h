// Window tools: the base that turns the posted key, mouse, drag and redraw messages of a
// map window into virtual operations, and the zoom and pan tool.
#pragma once
#include <cstdint>

#include "composition/input_events.h"
#include "device/device_tool.h"
#include "interpret/interpret.h"

class TFormToolManager;

// Message numbers of the map windows.
constexpr int32_t tm_ActivateTool = 4;
constexpr int32_t tm_BreakDrawing = 9;
constexpr int32_t tm_QuitWhenDone = 17;
constexpr int32_t tm_OpenFile = 23;
constexpr int32_t tm_SaveFileAs = 24;
constexpr int32_t tm_ReView = 31;
constexpr int32_t tm_RequestReView = 33;
constexpr int32_t tm_Explore = 36;
constexpr int32_t tm_PrintView = 40;
constexpr int32_t tm_ScaleDialog = 45;
constexpr int32_t tm_ShowWholeModel = 46;
constexpr int32_t tm_ResizeView = 47;
constexpr int32_t tm_RefreshImage = 49;
constexpr int32_t tm_ToggleQuickView = 50;

class TInteractiveTool : public TDeviceTool {
    ZARIX_CLASS(TInteractiveTool, TDeviceTool)

public:
    // The manager holding the tool; nil once it is gone.
    TFormToolManager* GetManager() const;
    void SetManager(TFormToolManager* manager);
    // The tool's own interpret (a child of the tool); nil when it has none.
    TInterpret* GetInterpret() const;

    virtual void PostMouseEvent(int32_t msg, TElement* receiver, bool wasActive, int32_t y, int32_t x,
                                TShiftState shift, TMouseButton button);
    virtual void PostKeyEvent(int32_t msg, TElement* receiver, TShiftState shift, uint16_t key);
    // The new interpret takes over the old one's device and input (the old one is freed),
    // or gets the tool's; it becomes a child of the tool.
    virtual void SetInterpret(TInterpret* interpret);
    virtual int32_t GetCursorIndex() { return 0; }
    virtual void KeyDown(TZarixMessage*& message, bool& handled);
    virtual void MouseDown(TZarixMessage*& message, bool& handled);
    virtual void MouseUp(TZarixMessage*& message, bool& handled);
    virtual void MouseMove(TZarixMessage*& message, bool& handled);
    virtual void StartDrag(TZarixMessage*& message, bool& handled);
    virtual void DragOver(TZarixMessage*& message, bool& handled);
    virtual void DragDrop(TZarixMessage*& message, bool& handled);
    virtual void EndDrag(TZarixMessage*& message, bool& handled);
    virtual void ReView(TZarixMessage*& message, bool& handled);
    virtual void ResizeView(TZarixMessage*& message, bool& handled);
    virtual void BreakDrawing(TZarixMessage*& message, bool& handled);
    virtual void RequestReView(TZarixMessage*& message, bool& handled);
    virtual void Activate() {}
    virtual void Deactivate() {}

    void SetInput(TElement* element) override;
    void HandleMessage(TZarixMessage*& message, bool& handled) override;

    // Whether the interpret is drawing.
    bool InterpretBusy() const;

protected:
    TInterpret* FInterpret = nullptr;
    TFormToolManager* FManager = nullptr;
};

// Zoom and pan: a drag zooms to the dragged rectangle, a click centres on its point,
// F5 and F6 halve and double the scale, Esc stops a drawing.
class TViewer : public TInteractiveTool {
    ZARIX_CLASS(TViewer, TInteractiveTool)

public:
    void Create() override;  // named "Prohlížeč"
    int32_t GetCursorIndex() override { return 16; }
    // The keys are the viewer's alone: it posts 9 or 33 to its manager and marks the key
    // handled, so that the scale changes once.
    void KeyDown(TZarixMessage*& message, bool& handled) override;
    void MouseDown(TZarixMessage*& message, bool& handled) override;
    void MouseMove(TZarixMessage*& message, bool& handled) override;
    void MouseUp(TZarixMessage*& message, bool& handled) override;

    // The rubber band in pixels.
    TPixelRect Band() const { return FBand; }
    bool Dragging() const { return FDragging; }

private:
    void DrawBand();
    TPixelRect FBand;
    bool FDragging = false;
};

// Registers TInteractiveTool and TViewer.
// A rubber band: the rectangle's outline in the device's pen, nothing filled; drawn again
// in an inverting pen mode it is erased.
void DrawRubberBand(TDevice* d, const TPixelRect& r);
// The pen of rubber bands (solid, inverting) and the plain pen after them (copy, black, 1).
void XorPen(TDevice* d, TColor color, int width);
void CopyPen(TDevice* d);

void RegisterInteractiveToolsUnit();
