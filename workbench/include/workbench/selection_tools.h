// Picking one element of a map window with a click: the pick-upers walk the element tree
// and stop at the first point, line or area the click hits; the selectors turn the click
// into model units, mark the hit, show its properties, post 164 and run a follow-up tool.
#pragma once
#include <cstdint>

#include "kernel/recursor.h"
#include "pelvar/pelvar.h"
#include "workbench/interactive_tools.h"

// Posted (no receiver) with the selected element.
constexpr int32_t tm_ElementSelected = 164;

class TPickUper : public TRecursor {
    ZARIX_CLASS(TPickUper, TRecursor)
    static void Publish(PropertyTable& t);

public:
    bool GetFound() const { return FFound; }
    double GetX();
    double GetY();
    void SetX(double x);
    void SetY(double y);
    double Tolerance = 0;  // model units
    // The probe point, made on first use and owned by the pick-uper.
    T2DCoordinate* Probe();

    void DoIt() override;
    // The recursor's walk, ended by the first hit. Nothing here frees elements, so only
    // a child freed before the walk is skipped.
    void GoInside(TElement* element) override;
    void Process(TElement* element) override;
    void Destroy() override;

protected:
    // Whether the element's rectangle, widened by the tolerance, holds the probe: an
    // element outside it cannot be near, so its own test is not asked.
    bool MayHit(TElement* element) const;
    bool FFound = false;
    T2DCoordinate* FProbe = nullptr;
};

class TPickUpPoint : public TPickUper {
    ZARIX_CLASS(TPickUpPoint, TPickUper)

public:
    bool QGoInside(TElement* element) override;
    bool QProcessBefore(TElement* element) override;
};

class TPickUpPolyLine : public TPickUper {
    ZARIX_CLASS(TPickUpPolyLine, TPickUper)

public:
    bool QGoInside(TElement* element) override;
    bool QProcessBefore(TElement* element) override;
};

class TPickUpArea : public TPickUper {
    ZARIX_CLASS(TPickUpArea, TPickUper)

public:
    bool QGoInside(TElement* element) override;
    bool QProcessBefore(TElement* element) override;
};

class TObjectSelector : public TInteractiveTool {
    ZARIX_CLASS(TObjectSelector, TInteractiveTool)
    static void Publish(PropertyTable& t);

public:
    void Create() override;
    bool ShowProperties = false;
    bool DontViewProps = false;
    bool DontViewDBF = false;
    int32_t PixelTolerance = 5;
    // The follow-up tool (not owned); nil once it is gone.
    TTool* GetOnSelect() const;
    void SetOnSelect(TTool* tool);
    // The tree to search; a tree freed meanwhile (the window shows another) is not walked.
    void SetInput(TElement* element) override;

protected:
    // The pick-uper of the selector's kind; nil for the base.
    virtual TPickUper* NewPickUper() { return nullptr; }
    // Whether the hit tolerance is PixelTolerance pixels (else 0: the click must be inside).
    virtual bool UsesTolerance() { return true; }
    virtual void MarkHit(TElement*) {}
    virtual const char* ErrorPrefix() { return ""; }
    // The left-button pick shared by the point, line and area selectors.
    void Select(TZarixMessage* message, bool& handled);
    // Runs the follow-up tool on the element.
    void FollowUp(TElement* element);
    // The model length of pixels, the projection's.
    double ModelLength(double pixels);
    // An X cross and a + cross of half-size pixels at the model point.
    void XCross(double x, double y, int halfSize);
    void PlusCross(double x, double y, int halfSize);

private:
    TTool* FOnSelect = nullptr;
    uint64_t FOnSelectSerial = 0;
    uint64_t FInputSerial = 0;
};

class TPointSelector : public TObjectSelector {
    ZARIX_CLASS(TPointSelector, TObjectSelector)

public:
    int32_t GetCursorIndex() override { return 19; }
    void MouseUp(TZarixMessage*& message, bool& handled) override { Select(message, handled); }

protected:
    TPickUper* NewPickUper() override { return TPickUpPoint::New(); }
    void MarkHit(TElement* element) override;
    const char* ErrorPrefix() override;
};

class TLineSelector : public TObjectSelector {
    ZARIX_CLASS(TLineSelector, TObjectSelector)

public:
    int32_t GetCursorIndex() override { return 17; }
    void MouseUp(TZarixMessage*& message, bool& handled) override { Select(message, handled); }

protected:
    TPickUper* NewPickUper() override { return TPickUpPolyLine::New(); }
    void MarkHit(TElement* element) override;
    const char* ErrorPrefix() override;
};

// Not registered: made only by the map window ("Vybírání ploch").
class TAreaSelector : public TObjectSelector {
    ZARIX_CLASS(TAreaSelector, TObjectSelector)

public:
    int32_t GetCursorIndex() override { return 18; }
    void MouseUp(TZarixMessage*& message, bool& handled) override { Select(message, handled); }

protected:
    TPickUper* NewPickUper() override { return TPickUpArea::New(); }
    bool UsesTolerance() override { return false; }
    void MarkHit(TElement* element) override;
    const char* ErrorPrefix() override;
};

// Records the model point of a left click and runs the follow-up tool on itself.
class TPointCollector : public TObjectSelector {
    ZARIX_CLASS(TPointCollector, TObjectSelector)
    static void Publish(PropertyTable& t);

public:
    double X = 0;
    double Y = 0;
    int32_t GetCursorIndex() override { return 7; }
    void MouseUp(TZarixMessage*& message, bool& handled) override;
};

// Registers the pick-upers and the selectors but TAreaSelector.
void RegisterSelectionToolsUnit();
