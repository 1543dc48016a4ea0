// The print set-up: the dialog form with scale, overlap, fitting, centring, the page list
// of a multi-page desktop and a preview of the sheet grid over the desktop, and the tool
// behind it.
#pragma once
#include <cstdint>
#include <functional>
#include <string>

#include "composition/pages.h"
#include "device/canvas.h"
#include "platform/controls.h"
#include "platform/files.h"
#include "platform/forms.h"
#include "workbench/interactive_tools.h"
#include "workbench/print_pages.h"

// Messages of the print set-up.
constexpr int32_t tm_FitToPage = 175;
constexpr int32_t tm_ScaleEntered = 176;
constexpr int32_t tm_OverlapEntered = 177;
constexpr int32_t tm_CentreToggled = 178;
constexpr int32_t tm_RasterLinesToggled = 179;

class TPrintDialogTool;

class TPrnDlg : public TForm {
public:
    static constexpr int HelpContext = 27;
    static constexpr int TimerInterval = 500;

    explicit TPrnDlg(TPrintDialogTool* tool);
    ~TPrnDlg() override;

    TRasterImage& Bitmap() { return FBitmap; }
    // Whether an overlap in millimetres leaves sheets to print; set by the tool.
    std::function<bool(int32_t)> OverlapFits;
    // The OK handler: the caption tells that it prints, the settings are disabled.
    void PrintPressed();
    bool PrintStarted() const { return FPrintStarted; }

    bool TimerEnabled() const { return FTimer; }
    // Ticks while the printer prints; a tick that finds the printer idle closes the form.
    void SetTimerEnabled(bool on);
    // Asks for the next tick (the job asks when it ends).
    void ArmTimer();
    // Asks for the next tick in TimerInterval milliseconds, on a loop with a clock.
    void ArmTimerLater();
    TDateTime StartTime = 0;

private:
    void Post(int32_t msg);
    void KeepFocus(TControl& edit);
    TPrintDialogTool* FTool;
    TRasterImage FBitmap;
    TControl* FRefocus = nullptr;
    TTimer FClock;
    bool FTimer = false;
    bool FPrintStarted = false;
};

class TPrintDialogTool : public TInteractiveTool {
    ZARIX_CLASS(TPrintDialogTool, TInteractiveTool)

public:
    void Create() override;
    void Destroy() override;

    TPrnDlg* GetForm() const { return FForm; }
    // The printer's device; not owned. The grid is made once it is known.
    TDevice* GetPrintDevice() const;
    void SetPrintDevice(TDevice* device);
    bool GetMultiPage() const { return FMultiPage; }
    void SetMultiPage(bool value) { FMultiPage = value; }
    // The grid (created on first use while a print device is known); the tool's output.
    TPrintPages* GetPages();
    TDesktop* GetSource() const;
    TDesktop* GetPreview() const { return FPreview; }
    // The job frees the grid when its sheets are printed.
    void ReleaseGrid();
    // Printing failed: the summary is not shown.
    void MarkAborted() { FAborted = true; }
    bool Aborted() const { return FAborted; }

    virtual void CreateForm();
    virtual void CreateDevice();
    virtual void BindDeviceToForm();
    virtual void CreateInterpret();
    virtual void BindInterpretDevice();
    virtual bool GetFormVisible();
    virtual void SetFormVisible(bool visible);
    virtual void FitToPage();
    virtual void ScaleEntered();
    virtual void OverlapEntered();
    virtual void CentreToggled();
    virtual void RasterLinesToggled();

    // The 500 ms timer.
    void TimerTick();
    // The form closed: the summary after a finished job, then the tool goes.
    void FormClosed();

    void DoIt() override;
    void SetInput(TElement* element) override;
    void ReView(TZarixMessage*& message, bool& handled) override;
    void HandleMessage(TZarixMessage*& message, bool& handled) override;
    void on_tm_QuitTask(TZarixMessage*& message, bool& handled) override;

private:
    void FreeForm();
    void FreePreview();
    void RecomputePreview();
    // After a change of the grid: a refused grid takes the previous values back.
    bool AcceptGrid(double scale, double overlap);
    TPrnDlg* FForm = nullptr;
    TImageCanvasDevice* FPreviewDevice = nullptr;
    TDevice* FPrintDevice = nullptr;
    TDesktop* FSource = nullptr;
    uint64_t FSourceSerial = 0;
    TDesktop* FPreview = nullptr;
    TDrawRectangle* FOutline = nullptr;
    TPrintPages* FGrid = nullptr;
    bool FMultiPage = false;
    bool FAborted = false;
};

// The ini file of the print settings: the main tool's.
std::string PrintIniFileName();
// Section and key of the line-rasterizing setting.
inline constexpr const char* kPrintSection = "PRINT";
inline constexpr const char* kRasterizeKey = "RasterizeLinesByZarix";

// Registers TPrintDialogTool.
void RegisterPrintDialogUnit();
