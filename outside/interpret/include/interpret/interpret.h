// Interprets: recursors that walk an element tree and draw or test each element on a
// device. An interpret owns a chain of further interprets (its tools); its Process hands
// an element to every chained interpret that claims it, in chain order.
#pragma once
#include <string>
#include <vector>

#include "device/device.h"
#include "kernel/recursor.h"
#include "pelvar/pelvar.h"

class TInterpret : public TRecursor {
    ZARIX_CLASS(TInterpret, TRecursor)
    static void Publish(PropertyTable& t);

public:
    // The device is not owned; nil once it is gone. Setting it sets the chain's too.
    TDevice* GetDevice() const;
    void SetDevice(TDevice* device);
    // Appends to the chain, which owns it.
    void SetNextInterpret(TInterpret* interpret);
    // The chained interprets in order.
    std::vector<TInterpret*> GetSubInterprets();
    // Set while the drawing goes to a printer.
    bool GetPrinting() const { return FPrinting; }
    void SetPrinting(bool value) { FPrinting = value; }

    // Also for the chain.
    void SetBreak(bool value) override;
    // The walk from Input with the recursor's steps; busy meanwhile. It stops at a break.
    void DoIt() override;
    // The recursor's walk over the children, stopped by a break.
    void GoInside(TElement* element) override;
    // Hands the element to every chained interpret whose IsItsClass claims it.
    void Process(TElement* element) override;
    // After the walk.
    virtual void ProcessOutput();
    // True in the base.
    virtual bool IsItsClass(TElement* element);
    // Builds the chain; called once, before the first Reset or walk.
    virtual void SetSubInterprets();
    // Frees the chained interprets; called when the interpret ends.
    virtual void FreeSubInterprets();
    // Before a drawing: takes the device (nil keeps it), clears the break, resets the chain.
    virtual void Reset(TDevice* device);
    // After a drawing: closes the chain.
    virtual void Close();
    virtual void BeforeDoIt();
    virtual void AfterDoIt();
    // Whether a universal interpret walks the element's children itself (true) or leaves
    // them to this interpret's own walk; false in the base.
    virtual bool CanUniGoInside(TElement* element);
    // A whole drawing: Reset with the present device, DoIt, Close.
    virtual void On_tm_ReView(TZarixMessage*& message, bool& handled);
    // The same for the message's data element only (a whole drawing without one).
    virtual void On_tm_ReViewByElement(TZarixMessage*& message, bool& handled);

    // 31 (redraw) goes to On_tm_ReView or, with a data element, On_tm_ReViewByElement.
    void HandleMessage(TZarixMessage*& message, bool& handled) override;
    void Destroy() override;

protected:
    void EnsureSubInterprets();
    // One element with the before, inside and after steps.
    void Visit(TElement* element);
    TDevice* FDevice = nullptr;
    bool FPrinting = false;
    bool FChainBuilt = false;
};

// An interpret of a model region: Reset takes the region the device's projection shows.
class TRectInterpret : public TInterpret {
    ZARIX_CLASS(TRectInterpret, TInterpret)

public:
    double GetMinX() const { return FRegion.Min.X; }
    double GetMinY() const { return FRegion.Min.Y; }
    double GetMaxX() const { return FRegion.Max.X; }
    double GetMaxY() const { return FRegion.Max.Y; }
    const TRectangle& GetRegion() const { return FRegion; }
    void SetRegion(const TRectangle& r) { FRegion.Assign(r); }
    bool IsInsideRegion(double x, double y) const { return FRegion.PointIsInside(x, y); }
    // Whether a rectangle entity's rectangle meets the region.
    bool IsOverRegion(TElement* element) const;
    void Reset(TDevice* device) override;

protected:
    TRectangle FRegion;
};

// Interprets configured by published settings: the element class claimed (empty: every
// element) and how the colour of an element is found.
class TGeneralInterpret : public TRectInterpret {
    ZARIX_CLASS(TGeneralInterpret, TRectInterpret)
    static void Publish(PropertyTable& t);

public:
    std::string ElementClass;   // the class claimed, with its descendants
    TColor Color = 0;           // fixed colour
    bool UseColor = false;      // take the fixed colour
    std::string PropColor;      // colour expression: a property name or a command line
    TResultTool* ToolColor = nullptr;    // not owned: its result text is the colour
    TColorPalette* Palette = nullptr;    // not owned
    bool ColorByPalette = false;
    bool ColorByGravo = false;  // through the colour-number table (DejBarvicku)

    // The colour expression.
    std::string GetCommandLine() const { return PropColor; }
    bool IsItsClass(TElement* element) override;
    // Entities.
    bool QGoInside(TElement* element) override;
    // Claimed elements.
    bool QProcessBefore(TElement* element) override;

    TResultTool* GetToolColor() const { return IsLive(ToolColor) ? ToolColor : nullptr; }
    TColorPalette* GetPalette() const { return IsLive(Palette) ? Palette : nullptr; }
};

// ... with the symbol code of an element. This and TGeneralXYInterpret derive from
// TGeneralInterpret rather than being its bases: each is a general interpret with more
// settings, so the class claim and colour settings are written once and come first in
// the property order; callers and files name the concrete classes only.
class TGeneralBrushInterpret : public TGeneralInterpret {
    ZARIX_CLASS(TGeneralBrushInterpret, TGeneralInterpret)
    static void Publish(PropertyTable& t);

public:
    int32_t Code = 0;           // fixed code
    bool UseCode = false;
    std::string PropCode;       // property holding the code
    TResultTool* ToolCode = nullptr;  // not owned: its result text is the code

    TResultTool* GetToolCode() const { return IsLive(ToolCode) ? ToolCode : nullptr; }
};

// ... with the position and height of an element (derived as TGeneralBrushInterpret is).
class TGeneralXYInterpret : public TGeneralInterpret {
    ZARIX_CLASS(TGeneralXYInterpret, TGeneralInterpret)
    static void Publish(PropertyTable& t);

public:
    double X = 0;               // fixed position
    double Y = 0;
    std::string PropX;          // properties holding the position
    std::string PropY;
    double Height = 0;          // fixed height
    std::string PropHeight;
};

// An interpret that gives every element to its chain and lets the universal interpret
// walk on; the interpret scripts made from check sets put their interprets in one.
class TChainInterpret : public TInterpret {
    ZARIX_CLASS(TChainInterpret, TInterpret)

public:
    bool QProcessBefore(TElement* element) override;
    bool CanUniGoInside(TElement* element) override;
};

// A node of an interpret script: a class, the interpret for it (or none), and nodes of
// its subclasses as children. The interpret is owned with the node; one interpret may
// serve several nodes.
class TISClass : public TOwnerEntity {
    ZARIX_CLASS(TISClass, TOwnerEntity)
    static void Publish(PropertyTable& t);

public:
    TElementClass GetIClass() const { return FClass; }
    void SetIClass(TElementClass cls);
    // The class by its registered name (unknown names leave no class).
    std::string GetIClassName() const;
    void SetIClassName(const std::string& name);
    TInterpret* GetInterpret() const { return FInterpret; }
    void SetInterpret(TInterpret* interpret);
    // A new node for the class under this one; answers it.
    TISClass* CreateAndAddClass(TElementClass cls, TInterpret* interpret);
    // The deepest node whose class the element has, starting here (nil when not even
    // this node's class fits); among sibling nodes the first that fits wins.
    TISClass* FindNode(TElement* element);
    // Every interpret of the tree once, in tree order.
    std::vector<TInterpret*> GetInterprets();

private:
    void CollectInterprets(std::vector<TInterpret*>& list);
    TElementClass FClass = nullptr;
    std::string FClassName;
    TInterpret* FInterpret = nullptr;
};

// The root node of an interpret script.
class TInterpretScript : public TISClass {
    ZARIX_CLASS(TInterpretScript, TISClass)
};

// Draws a model: each element goes to the interpret that the script gives for its
// nearest class. Every interpret of the script is reset and closed once per drawing;
// after every drawing, a broken one too, "done" (3) is posted to the owners.
class TUniversalInterpret : public TInterpret {
    ZARIX_CLASS(TUniversalInterpret, TInterpret)
    static void Publish(PropertyTable& t);

public:
    TInterpretScript* GetScript() const { return FScript; }
    // The script becomes a child (released when replaced).
    void SetScript(TInterpretScript* script);
    bool GetTile() const { return FTile; }
    void SetTile(bool value) { FTile = value; }

    void SetBreak(bool value) override;
    void DoIt() override;

private:
    void UniVisit(TElement* element);
    void UniGoInside(TElement* element);
    TInterpretScript* FScript = nullptr;
    bool FTile = false;
    int32_t FVisited = 0;
};

// Registers the interpret classes and the check-set models; after RegisterDeviceClasses.
void RegisterInterpretClasses();
