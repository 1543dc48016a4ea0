// The printer set-up: the queues of the CUPS server with their paper sizes and the
// orientation; the choice goes to the printer and to the program's ini file.
#pragma once
#include <string>
#include <vector>

#include "device/print_queues.h"
#include "platform/controls.h"

// "TPrinterSetupDialog": the combo boxes "cb_Printer" (the queues, the default first) and
// "cb_Paper" (the chosen queue's paper sizes), the radio buttons "r_Portrait" and
// "r_Landscape", the label "l_Target" (where a job goes now) and "OK", "Storno".
class TPrinterSetupDialog : public TForm {
public:
    TPrinterSetupDialog();

    // Shows the queues of the server (or, without one, where a job goes); on OK the choice
    // is given to the printer and written to the ini file. True on OK with a queue.
    bool Execute(const std::string& iniFileName);
    // The queues shown; set before Execute to show others than the server's.
    std::vector<TPrintQueue> Queues;
    bool QueuesKnown = false;

private:
    void ShowPapers();
};

// Gives the printer the queue, paper and orientation kept in the ini file, when it keeps one.
void LoadPrinterChoice(const std::string& iniFileName);

// Section and keys of the choice.
inline constexpr const char* kPrinterSection = "PRINT";
inline constexpr const char* kPrinterKey = "Printer";
inline constexpr const char* kPaperKey = "Paper";
inline constexpr const char* kLandscapeKey = "Landscape";
