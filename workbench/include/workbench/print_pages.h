// The sheet grid of a print job: the printer sheets that cover one desktop at a given
// scale, with an overlap, optionally fitted to one sheet and centred on the desktop.
#pragma once
#include <cstdint>

#include "device/device.h"
#include "pelvar/pelvar.h"

class TPrintPages : public TRectEntity {
    ZARIX_CLASS(TPrintPages, TRectEntity)
    static void Publish(PropertyTable& t);

public:
    // A grid of more sheets than this is refused (TooManyPages tells so).
    static constexpr int64_t MaxPages = 10000;

    void Create() override;

    // The desktop to print; not owned; nil once it is gone.
    TRectEntity* GetSource() const;
    void SetSource(TRectEntity* source);
    // 1.0 whenever the stored value is not greater than 0.
    double GetScale() const { return FScale > 0 ? FScale : 1.0; }
    void SetScale(double scale);
    // The print device, which gives the real page size; not owned.
    TDevice* GetDevice() const;
    void SetDevice(TDevice* device) { FDevice = device; }
    // In the device's real units (metres of paper).
    double GetOverlap() const { return FOverlap; }
    void SetOverlap(double overlap);
    bool GetCenter() const { return FCenter; }
    void SetCenter(bool center);
    // Takes effect with the next build.
    bool GetFitToOne() const { return FFitToOne; }
    void SetFitToOne(bool fit) { FFitToOne = fit; }
    int32_t GetColCount() const { return FColCount; }
    int32_t GetRowCount() const { return FRowCount; }
    // The last build was refused: the overlap left no step, or the grid would have had
    // more than MaxPages sheets.
    bool GetTooManyPages() const { return FTooMany; }
    bool GetNoStep() const { return FNoStep; }

    // The sheet rectangles in grid order (row by row from the bottom, left to right);
    // created on first use.
    TRectEntity* GetPages();
    int32_t PageCount();
    TDrawRectangle* GetPage(int32_t index);

    virtual void ClearPages();
    virtual void CenterPages();
    void BuildPages();

private:
    // The container while it is still a child.
    TRectEntity* LivePages();
    TRectEntity* FSource = nullptr;
    uint64_t FSourceSerial = 0;
    double FScale = 1.0;
    TDevice* FDevice = nullptr;
    TRectEntity* FPages = nullptr;
    int32_t FColCount = 0;
    int32_t FRowCount = 0;
    double FOverlap = 0;
    bool FCenter = false;
    bool FFitToOne = false;
    bool FTooMany = false;
    bool FNoStep = false;
};

// Sheet count along one side: whole steps, and one more when the rest exceeds 0.1 % of
// a step. -1 when the step is not positive or the count is beyond MaxPages.
int64_t PrintSheetCount(double length, double step);

// Registers TPrintPages.
void RegisterPrintPagesUnit();
