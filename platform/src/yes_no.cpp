#include "platform/yes_no.h"

#include "platform/host.h"

namespace {
const TYesNoQuestion* g_active = nullptr;
}

TYesNoQuestion::TYesNoQuestion() : lines_{std::string()} {}

void TYesNoQuestion::AddLine(const std::string& text) {
    std::string line;
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '\r' || c == '\n') {
            lines_.push_back(line);
            line.clear();
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else {
            line += c;
        }
    }
    lines_.push_back(line);
}

std::string TYesNoQuestion::Text() const {
    std::string s;
    for (size_t i = 0; i < lines_.size(); ++i) s += (i ? "\r\n" : "") + lines_[i];
    return s;
}

int TYesNoQuestion::ShowModal() {
    const TYesNoQuestion* outer = g_active;
    g_active = this;
    try {
        result_ = GetUserHost().ShowModal(kFormName);
    } catch (...) {
        g_active = outer;
        throw;
    }
    g_active = outer;
    return result_;
}

const TYesNoQuestion* ActiveYesNoQuestion() { return g_active; }

bool ShowYesNo(const std::string& message) {
    TYesNoQuestion dialog;
    dialog.AddLine(message);
    return dialog.ShowModal() == mrYes;
}
