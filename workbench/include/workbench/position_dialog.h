// The position dialog "Poloha objektu": the bounds of the selected page element in
// metres, shown in "[m]", "[cm]" or "[mm]"; "Použít" applies them, "Vrátit" takes them back.
#pragma once
#include <cstdint>
#include <functional>
#include <string>

#include "kernel/tools.h"
#include "pelvar/pelvar.h"
#include "platform/controls.h"
#include "platform/forms.h"

// Messages the dialog posts to its tool.
constexpr int32_t tm_Redraw = 31;
constexpr int32_t tm_HideRectForm = 119;

class TF_rectedForm : public TForm, public TPersistent {
    ZARIX_CLASS(TF_rectedForm, TPersistent)
    static void Publish(PropertyTable& t);

public:
    TF_rectedForm();

    // Read and written as the edit fields; dX and dY write only.
    double GetX() const { return FValue[kX]; }
    double GetY() const { return FValue[kY]; }
    double GetRectWidth() const { return FValue[kWidth]; }
    double GetRectHeight() const { return FValue[kHeight]; }
    double GetXmin() const { return FValue[kXmin]; }
    double GetXmax() const { return FValue[kXmax]; }
    double GetYmin() const { return FValue[kYmin]; }
    double GetYmax() const { return FValue[kYmax]; }
    void SetX(double v);
    void SetY(double v);
    void SetRectWidth(double v);
    void SetRectHeight(double v);
    void SetXmin(double v);
    void SetXmax(double v);
    void SetYmin(double v);
    void SetYmax(double v);
    void SetdX(double v);
    void SetdY(double v);
    void SetObjectName(const std::string& name) { (*this)["ed_Name"].Text = name; }

    // The unit shown: "[m]", "[cm]" or "[mm]".
    void SetUnit(const std::string& item);

    // The tool the dialog posts to (redraw 31, hide 119); not owned.
    void SetTool(TTool* tool);
    // The element "Použít" applies to, and the reselection that refreshes the dialog.
    std::function<TRectEntity*()> SelectedElement;
    std::function<void(TRectEntity*)> SelectAgain;
    // Set while the tool is being destroyed: closing then posts nothing.
    bool ToolDestroying = false;

    // The window was resized, or has perhaps moved (the 10 ms timer, running while the form
    // is shown): redraw the map behind. A drop and a mouse release redraw it too.
    void Resized();
    void Tick();
    const TTimer& Timer() const { return FTimer; }

private:
    enum Field { kX, kY, kWidth, kHeight, kXmin, kXmax, kYmin, kYmax, kDX, kDY, kFields };
    static const char* const kEdits[kFields];
    void Put(Field f, double v);
    void BoundChanged();
    void Apply(Field f, double v);
    void LeaveEdit(Field f);
    void PostToTool(int32_t msg);
    void Use();
    void Undo();

    double FValue[kFields] = {};
    std::string FShown[kFields];
    double FFactor = 1000;
    int FDecimals = 2;
    int FUpdates = 0;
    TRectEntity* FUndoElement = nullptr;
    uint64_t FUndoSerial = 0;
    double FUndo[4] = {};
    std::string FUndoName;
    TTool* FTool = nullptr;
    uint64_t FToolSerial = 0;
    TTimer FTimer;
    int FLastLeft = 0, FLastTop = 0;
};
