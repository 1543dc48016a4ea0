// The yes/no question: a modal dialog with a memo and the buttons "&Ano" and "&Ne",
// shown through the user host as the form "TAnoNeDialog". Only the answer Yes is true:
// "&Ne", closing the dialog and a host that gives no answer are all false.
#pragma once
#include <string>
#include <vector>

class TYesNoQuestion {
public:
    static constexpr const char* kFormName = "TAnoNeDialog";

    TYesNoQuestion();
    TYesNoQuestion(const TYesNoQuestion&) = delete;
    TYesNoQuestion& operator=(const TYesNoQuestion&) = delete;

    const std::string& Caption() const { return caption_; }
    int ClientWidth() const { return 310; }
    int ClientHeight() const { return 175; }
    const std::string& YesCaption() const { return yes_; }
    const std::string& NoCaption() const { return no_; }
    // The memo lines; the memo starts with one empty line.
    const std::vector<std::string>& Lines() const { return lines_; }
    // Adds the text as memo lines, split at CR LF, LF and CR.
    void AddLine(const std::string& text);
    // The memo as one text, lines joined by CR LF.
    std::string Text() const;

    // Shows the dialog modally through the user host; the modal result it answered.
    int ShowModal();
    int ModalResult() const { return result_; }

private:
    std::string caption_ = "Dialog";
    std::string yes_ = "&Ano";
    std::string no_ = "&Ne";
    std::vector<std::string> lines_;
    int result_ = 0;
};

// The question being shown (for an answer given by a script), or nullptr.
const TYesNoQuestion* ActiveYesNoQuestion();

// Asks the message; true exactly when the answer is Yes.
bool ShowYesNo(const std::string& message);
