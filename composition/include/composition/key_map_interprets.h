// Drawing the key map: sheet frames in one colour per series, the selection of the finest
// series shown as a yellow fill, sheet names while the drawing scale allows, the vector
// drawing through a line interpret, selection handles and the base-map frames.
#pragma once
#include <cstdint>

#include "interpret/interpret.h"

class TMapSpace;
class TZMSpace;

class TGuideInterpret : public TRectInterpret {
    ZARIX_CLASS(TGuideInterpret, TRectInterpret)
    static void Publish(PropertyTable& t);

public:
    bool Show_50 = false;
    bool Show_25 = false;
    bool Show_10 = false;
    bool Show_5 = false;
    bool Show_2 = false;
    bool Show_U = false;
    bool Show_ZM = false;
    bool Show_Text = false;
    bool Fill_Page = false;

    // The line interpret of the chain (made with the chain).
    TInterpret* GetLineInterpret();

    // Chained in this order: the line interpret, a TSelectedElementInterpret, a
    // TInterpretZM.
    void SetSubInterprets() override;
    void FreeSubInterprets() override;
    bool IsItsClass(TElement* element) override;
    bool QProcessBefore(TElement* element) override;
    bool QGoInside(TElement* element) override;
    bool CanUniGoInside(TElement* element) override;
    // Lets pending messages through first.
    void DoIt() override;
    // Stops at a child or entity that a handler freed meanwhile.
    void GoInside(TElement* element) override;
    void Process(TElement* element) override;

private:
    bool IsFinest(TMapSpace* space);
    void DrawZMSpace(TZMSpace* space);
    TInterpret* FLineInterpret = nullptr;
    int32_t FCounter = 0;
};

// Eight handles around each selection marker.
class TSelectedElementInterpret : public TRectInterpret {
    ZARIX_CLASS(TSelectedElementInterpret, TRectInterpret)

public:
    bool IsItsClass(TElement* element) override;
    bool QProcessBefore(TElement* element) override;
    bool QGoInside(TElement*) override { return false; }
    void Process(TElement* element) override;
};

void RegisterKeyMapInterpretsUnit();
