// A print job: the picture of a map window's interpret on the printer, a desktop on a
// grid of sheets or a multi-page desktop page by page.
#pragma once
#include "composition/pages.h"
#include "interpret/interpret.h"
#include "kernel/tools.h"

class TPrintDialogTool;

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
