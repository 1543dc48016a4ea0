// The yes/no question: the modal form "TAnoNeDialog" with a memo and the buttons "&Ano"
// and "&Ne", shown through the user host. Only the answer Yes is true: "&Ne", closing the
// dialog and a host that gives no answer are all false.
#pragma once
#include <string>
#include <vector>

#include "platform/controls.h"

class TYesNoQuestion : public TForm {
public:
    static constexpr const char* kFormName = "TAnoNeDialog";

    // Title "Dialog", 310 x 175; the memo "Memo1" starts with one empty line; the buttons
    // "Ano" and "Ne" close the dialog with mrYes and mrNo.
    TYesNoQuestion();

    int ClientWidth() const { return 310; }
    int ClientHeight() const { return 175; }
    TControl& Memo() { return memo_; }
    // The memo lines.
    const std::vector<std::string>& Lines() const { return memo_.Items; }
    // Adds the text as memo lines, split at CR LF, LF and CR.
    void AddLine(const std::string& text);
    // The memo as one text, lines joined by CR LF.
    std::string Text() const;

private:
    TControl& memo_;
};

// The question being shown (for an answer given by a script), or nullptr.
TYesNoQuestion* ActiveYesNoQuestion();

// Asks the message; true exactly when the answer is Yes.
bool ShowYesNo(const std::string& message);
