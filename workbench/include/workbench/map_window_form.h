// The window of a map window ("Zobrazovač"): its image, status labels, menus and the user
// actions on it, each turned into an element message to the window's manager.
#pragma once
#include <cstdint>
#include <string>

#include "composition/input_events.h"
#include "device/canvas.h"
#include "platform/controls.h"

class TElement;
class TFormToolManager;

class TStandardImageForm : public TForm {
public:
    // Initial size of the window and its image.
    static constexpr int DefaultWidth = 800;
    static constexpr int DefaultHeight = 600;

    explicit TStandardImageForm(TFormToolManager* manager);
    // A window of its own class name built on this one.
    TStandardImageForm(TFormToolManager* manager, std::string className);

    // Nil once the manager is gone.
    TFormToolManager* Manager() const;
    // The image's bitmap: the drawing surface of the window's device.
    TRasterImage& Bitmap() { return FBitmap; }

    // False until the first close request has gone to the manager.
    bool CloseFlag = false;
    // False after the window lost activation, until the next mouse release.
    bool WindowActive = true;
    // The image cursor (an index of the program cursor table).
    int ImageCursor = 0;
    // How often the image was repainted.
    int RepaintCount = 0;
    // The context menu was opened at this point.
    bool PopupShown = false;
    TPixelPoint PopupPoint;
    // The topic the last F1 asked for.
    std::string HelpTopic;

    // The "Tools" item of the main menu.
    TControl& ToolsMenu();
    // The menu items below the "Tools" item.
    std::vector<TControl*> ToolItems() const;

    // What the user does with the window.
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y);
    void MouseMove(TShiftState shift, int x, int y);
    void StartDrag();
    void DragOver(int x, int y);
    void DragDrop();
    void EndDrag();
    // The window got a new size (the image follows it).
    void Resize(int width, int height);
    void Deactivate() { WindowActive = false; }
    // An element dragged from a tree view and dropped on the window or on btn_Link.
    void DropElement(TElement* element);
    // A drop from the source control: the element its drag carries, if any.
    void DropFrom(TControl& source);
    // Opens the context menu at the point.
    void Popup(int x, int y);
    void Repaint() { ++RepaintCount; }

private:
    void Post(int32_t msg, TElement* data = nullptr);
    void PostKey(uint16_t key);
    // 9, pending messages, then msg.
    void BreakThenPost(int32_t msg);
    void PostMouse(int32_t msg, TMouseButton button, TShiftState shift, int x, int y);
    TControl& Item(const char* name, const char* caption, const char* parent);
    TFormToolManager* FManager;
    uint64_t FManagerSerial;
    TRasterImage FBitmap;
};

// The scale dialog: the scale text in a combo box, OK and "Storno".
class Tf_SetScale : public TForm {
public:
    Tf_SetScale();
    std::string HelpTopic;  // the topic the last F1 asked for
};
