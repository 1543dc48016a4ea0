#include "composition/input_events.h"

void TZarixShiftEvent::InitShift(int32_t msg, TElement* sender, TElement* receiver, TShiftState shift) {
    Init(msg, sender, receiver, nullptr);
    Shift = shift;
}

TZarixShiftEvent* TZarixShiftEvent::Create(int32_t msg, TElement* sender, TElement* receiver, TShiftState shift) {
    TZarixShiftEvent* e = New();
    e->InitShift(msg, sender, receiver, shift);
    return e;
}

TZarixMouseEvent* TZarixMouseEvent::Create(int32_t msg, TElement* sender, TElement* receiver, TShiftState shift,
                                           TMouseButton button, int32_t x, int32_t y, bool wasActive) {
    TZarixMouseEvent* e = New();
    e->InitShift(msg, sender, receiver, shift);
    e->Button = button;
    e->X = x;
    e->Y = y;
    e->WasActive = wasActive;
    return e;
}

TZarixKeyEvent* TZarixKeyEvent::Create(int32_t msg, TElement* sender, TElement* receiver, TShiftState shift,
                                       uint16_t key) {
    TZarixKeyEvent* e = New();
    e->InitShift(msg, sender, receiver, shift);
    e->Key = key;
    return e;
}
