#include "platform/yes_no.h"

#include <unistd.h>

#include "platform/host.h"

TYesNoQuestion::TYesNoQuestion() : TForm(kFormName), memo_(Add(TControlKind::Memo, "Memo1")) {
    Caption = "Dialog";
    Width = ClientWidth();
    Height = ClientHeight();
    Add(TControlKind::Other, "Bevel1");
    memo_.ReadOnly = true;
    memo_.Items.push_back(std::string());
    Add(TControlKind::Button, "Ano", "&Ano").ModalResult = mrYes;
    Add(TControlKind::Button, "Ne", "&Ne").ModalResult = mrNo;
}

void TYesNoQuestion::AddLine(const std::string& text) {
    std::string line;
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '\r' || c == '\n') {
            memo_.Items.push_back(line);
            line.clear();
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else {
            line += c;
        }
    }
    memo_.Items.push_back(line);
}

std::string TYesNoQuestion::Text() const {
    std::string s;
    for (size_t i = 0; i < memo_.Items.size(); ++i) s += (i ? "\r\n" : "") + memo_.Items[i];
    return s;
}

TYesNoQuestion* ActiveYesNoQuestion() { return dynamic_cast<TYesNoQuestion*>(ActiveModalForm()); }

bool ShowYesNo(const std::string& message) {
    TYesNoQuestion dialog;
    dialog.AddLine(message);
    // A user at a terminal is asked the question itself with its two answers; without a
    // terminal nobody answers, which is no.
    if (dynamic_cast<ConsoleHost*>(&GetUserHost()) && ::isatty(STDIN_FILENO))
        return HostMessageBox(message, dialog.Caption, mtConfirmation, {mbYes, mbNo}) == mrYes;
    return dialog.ShowModal() == mrYes;
}
