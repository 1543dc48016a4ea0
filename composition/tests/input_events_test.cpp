#include <gtest/gtest.h>

#include "composition/input_events.h"
#include "kernel/kernel.h"

namespace {

TEST(InputEventTest, EventsCarryNumberAddressesAndFields) {
    RegisterKernelClasses();
    TElement* tool = TElement::New();
    TElement* target = TElement::New();

    TZarixKeyEvent* esc = TZarixKeyEvent::Create(tm_WindowKeyDown, tool, tool, 0, VK_ESCAPE);
    EXPECT_EQ(esc->Message, 58);
    EXPECT_EQ(esc->Sender, tool);
    EXPECT_EQ(esc->Receiver, tool);
    EXPECT_EQ(esc->Shift, 0);
    EXPECT_EQ(esc->Key, 27);
    EXPECT_EQ(esc->Data, nullptr);
    EXPECT_GT(esc->Time, 0);
    Free(esc);

    struct Case {
        int32_t number;
        TShiftState shift;
        TMouseButton button;
        int32_t x, y;
        bool wasActive;
    };
    for (const Case& c : {Case{tm_WindowMouseDown, ssLeft | ssCtrl, mbLeft, 10, -20, false},
                          Case{tm_WindowMouseUp, ssRight, mbRight, INT32_MAX, INT32_MIN, true},
                          Case{tm_WindowMouseMove, ssMiddle, mbLeft, 3, 4, true},
                          Case{tm_WindowDragOver, 0, mbLeft, 7, 8, true}}) {
        TZarixMouseEvent* m = TZarixMouseEvent::Create(c.number, tool, target, c.shift, c.button, c.x, c.y, c.wasActive);
        EXPECT_EQ(m->Message, c.number);
        EXPECT_EQ(m->Receiver, target);
        EXPECT_EQ(m->Shift, c.shift);
        EXPECT_EQ(m->Button, c.button);
        EXPECT_EQ(m->X, c.x);
        EXPECT_EQ(m->Y, c.y);
        EXPECT_EQ(m->WasActive, c.wasActive);
        EXPECT_TRUE(m->Is<TZarixShiftEvent>());
        Free(m);
    }
    Free(target);
    Free(tool);
}

}  // namespace
