// The interprets that draw a page: the desktop interpret walks the page and hands each
// element to its chain (frames, views, texts, text blocks, pictures); the view interpret
// draws a map window's model through the view's projection with a universal interpret.
// Beside them the sheet-frame interpret and the cross and line grids with their
// parameter elements.
#pragma once
#include <string>

#include "interpret/interpret.h"
#include "pelvar/pelvar.h"

class TDesktop;
class TView;

// Draws the desktop on the device with a desktop interpret. A device whose projection
// has no scale yet is first fitted to the desktop.
void DrawDesktop(TDesktop* desktop, TDevice* device);

class TDesktopInterpret : public TInterpret {
    ZARIX_CLASS(TDesktopInterpret, TInterpret)

public:
    bool IsItsClass(TElement* element) override;
    bool QGoInside(TElement* element) override;
    bool QProcessBefore(TElement* element) override;
    bool QProcessAfter(TElement* element) override;
    // The desktop's own rectangle; any other element goes to the chain.
    void Process(TElement* element) override;
    void SetSubInterprets() override;
    // Lets pending window messages run first.
    void DoIt() override;
};

class TDrawRectInterpret : public TRectInterpret {
    ZARIX_CLASS(TDrawRectInterpret, TRectInterpret)

public:
    bool IsItsClass(TElement* element) override;
    bool QGoInside(TElement* element) override;
    bool QProcessBefore(TElement* element) override;
    void Process(TElement* element) override;
};

class TInterpretScript;
class TUniversalInterpret;

// Draws a view's model inside the view's rectangle at the view's scale and rotation.
// Clip, projection and page region are restored however the drawing ends.
class TViewInterpret : public TInterpret {
    ZARIX_CLASS(TViewInterpret, TInterpret)
    static void Publish(PropertyTable& t);

public:
    bool IsItsClass(TElement* element) override;
    bool QGoInside(TElement* element) override;
    bool QProcessBefore(TElement* element) override;
    void Process(TElement* element) override;

    // The universal interpret, made on first use as the last of the chain.
    TUniversalInterpret* GetInterpret();
    // The universal interpret's script; the default script is made when it has none.
    TInterpretScript* GetInterpretScript();
    // Only an interpret script is taken.
    void SetInterpretScript(TInterpretScript* script);

private:
    void DrawView(TView* view);
    TUniversalInterpret* FUniversal = nullptr;
};

class TTextInterpret : public TInterpret {
    ZARIX_CLASS(TTextInterpret, TInterpret)

public:
    bool IsItsClass(TElement* element) override;
    bool QGoInside(TElement* element) override;
    bool QProcessBefore(TElement* element) override;
    void Process(TElement* element) override;
};

class TTextBlockInterpret : public TInterpret {
    ZARIX_CLASS(TTextBlockInterpret, TInterpret)

public:
    bool IsItsClass(TElement* element) override;
    bool QGoInside(TElement* element) override;
    bool QProcessBefore(TElement* element) override;
    void Process(TElement* element) override;
};

class TFileInterpret : public TInterpret {
    ZARIX_CLASS(TFileInterpret, TInterpret)
};

// Pictures of the page (elements of exactly the picture-file classes), on canvas devices.
class TBMPFileInterpret : public TFileInterpret {
    ZARIX_CLASS(TBMPFileInterpret, TFileInterpret)

public:
    bool IsItsClass(TElement* element) override;
    bool QGoInside(TElement* element) override;
    bool QProcessBefore(TElement* element) override;
    // A picture that cannot be read is skipped with a beep.
    void Process(TElement* element) override;
};

// Frames and labels of the fixed sheet series; walks the sheets below a sheet itself.
class TSMO_Interpret : public TRectInterpret {
    ZARIX_CLASS(TSMO_Interpret, TRectInterpret)

public:
    bool IsItsClass(TElement* element) override;
    bool QGoInside(TElement* element) override;
    bool QProcessBefore(TElement* element) override;
    void Process(TElement* element) override;
    bool CanUniGoInside(TElement* element) override;
};

// A cross grid over the shown model region.
class TCross : public TElement {
    ZARIX_CLASS(TCross, TElement)
    static void Publish(PropertyTable& t);

public:
    double Width = 0;
    double Height = 0;
    TColor Color = 0;
    double Size = 0;
    double PenWidth = 0;
    void SetStep(double step) { Width = step; Height = step; }
};

// A line grid over the shown model region.
class TLines : public TElement {
    ZARIX_CLASS(TLines, TElement)
    static void Publish(PropertyTable& t);

public:
    double Width = 0;
    double Height = 0;
    TColor Color = 0;
    int32_t PenWidth = 0;
};

// The model region being drawn, taken from the device's projection by DoIt and Reset.
class TGridInterpret : public TInterpret {
    ZARIX_CLASS(TGridInterpret, TInterpret)

public:
    void DoIt() override;
    void Reset(TDevice* device) override;

protected:
    void TakeRegion();
    // Whether the steps give at most 1000 cells across the region; else the message.
    bool ValidSteps(TElement* element, double width, double height);
    double FMinX = 0, FMinY = 0, FMaxX = 0, FMaxY = 0;
};

class TInterpretKrizku : public TGridInterpret {
    ZARIX_CLASS(TInterpretKrizku, TGridInterpret)

public:
    bool IsItsClass(TElement* element) override;
    bool QProcessBefore(TElement* element) override;
    void Process(TElement* element) override;

private:
    double FHalf = 0;
};

class TLinesInterpret : public TGridInterpret {
    ZARIX_CLASS(TLinesInterpret, TGridInterpret)

public:
    bool IsItsClass(TElement* element) override;
    bool QProcessBefore(TElement* element) override;
    void Process(TElement* element) override;
};

// Registers the page interprets and the grid elements.
void RegisterPageInterpretsUnit();
