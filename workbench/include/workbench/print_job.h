// A print job: the picture of a map window's interpret on the printer, a desktop on a
// grid of sheets or a multi-page desktop page by page.
#pragma once
#include <functional>

#include "composition/pages.h"
#include "interpret/interpret.h"
#include "kernel/tools.h"

class TPrintDialogTool;
class TPrintPages;

// One whole drawing of the interpret on its present device.
void RunInterpret(TInterpret* interpret);
// Draws each sheet of the grid with the interpret on the print device, one printer page a
// sheet, centred on the sheet at the grid's scale; beforeSheet(i, count) runs first for
// each sheet. Answers the number of sheets of the grid.
int32_t PrintSheetGrid(TInterpret* interpret, TPrintDevice* device, TPrintPages* grid,
                       const std::function<void(int32_t, int32_t)>& beforeSheet = {});

class TPrint : public TTool {
    ZARIX_CLASS(TPrint, TTool)

public:
    // The input is the window's interpret.
    void DoIt() override;

protected:
    virtual void PrintDesktop(TInterpret* interpret, TPrintDevice* device, TDesktop* desktop);
    virtual void PrintMultiPageDesktop(TInterpret* interpret, TPrintDevice* device, TMultiPageDesktop* pages);

private:
    // The dialog of the job while it lives.
    TPrintDialogTool* Dialog() const;
    TPrintDialogTool* FDialog = nullptr;
};

// Registers TPrint.
void RegisterPrintJobUnit();
