// Input of a map window as element messages: the window tool wraps each key, mouse and
// drag event of its form in one of these and posts it to the window's active tool.
#pragma once
#include <cstdint>

#include "kernel/messages.h"

// The shift state: a set of these bits in one byte.
using TShiftState = uint8_t;
constexpr TShiftState ssShift = 1, ssAlt = 2, ssCtrl = 4, ssLeft = 8, ssRight = 16, ssMiddle = 32;

enum TMouseButton : uint8_t { mbLeft = 0, mbRight = 1, mbMiddle = 2 };

// Message numbers of the window input.
constexpr int32_t tm_WindowKeyDown = 58;    // TZarixKeyEvent
constexpr int32_t tm_WindowMouseDown = 59;  // TZarixMouseEvent from here on
constexpr int32_t tm_WindowMouseUp = 60;
constexpr int32_t tm_WindowMouseMove = 61;  // Button 0; held buttons are in Shift
constexpr int32_t tm_WindowStartDrag = 62;  // WasActive only
constexpr int32_t tm_WindowDragOver = 63;   // X, Y and WasActive
constexpr int32_t tm_WindowDragDrop = 64;   // WasActive only
constexpr int32_t tm_WindowEndDrag = 65;    // WasActive only

// Virtual key codes the window's own commands send.
constexpr uint16_t VK_ESCAPE = 27, VK_F5 = 116, VK_F6 = 117;

class TZarixShiftEvent : public TZarixMessage {
    ZARIX_CLASS(TZarixShiftEvent, TZarixMessage)

public:
    // A new event stamped with the current time; Data stays empty.
    static TZarixShiftEvent* Create(int32_t msg, TElement* sender, TElement* receiver, TShiftState shift);

    TShiftState Shift = 0;

protected:
    void InitShift(int32_t msg, TElement* sender, TElement* receiver, TShiftState shift);
};

class TZarixMouseEvent : public TZarixShiftEvent {
    ZARIX_CLASS(TZarixMouseEvent, TZarixShiftEvent)

public:
    static TZarixMouseEvent* Create(int32_t msg, TElement* sender, TElement* receiver, TShiftState shift,
                                    TMouseButton button, int32_t x, int32_t y, bool wasActive);

    TMouseButton Button = mbLeft;
    int32_t X = 0;  // pixels in the window
    int32_t Y = 0;
    // False for the first click into a window that had lost the focus.
    bool WasActive = false;
};

class TZarixKeyEvent : public TZarixShiftEvent {
    ZARIX_CLASS(TZarixKeyEvent, TZarixShiftEvent)

public:
    static TZarixKeyEvent* Create(int32_t msg, TElement* sender, TElement* receiver, TShiftState shift,
                                  uint16_t key);

    uint16_t Key = 0;  // virtual key code
};
