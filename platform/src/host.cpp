#include "platform/host.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>

#include "platform/controls.h"
#include "platform/files.h"
#include "platform/forms.h"
#include "platform/sysutils.h"

namespace {

struct HostState {
    ConsoleHost console;
    UserHost* current = nullptr;
    std::vector<std::string> log;
    bool errorShown = false;
};

HostState& State() {
    static HostState* s = new HostState;
    return *s;
}

const char* const kButtonNames[] = {"Yes", "No", "OK", "Cancel", "Abort", "Retry",
                                    "Ignore", "All", "NoToAll", "YesToAll", "Help"};
constexpr int kButtonCount = 11;

// Windows-1250 text for the terminal: UTF-8, one kind of line end.
std::string ForTerminal(const std::string& text) {
    std::string s = ToUtf8(text), out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\r') {
            out += '\n';
            if (i + 1 < s.size() && s[i + 1] == '\n') ++i;
        } else {
            out += s[i];
        }
    }
    return out;
}

// The result of a standard button name, mrNone for another word.
int ResultOfName(const std::string& word) {
    for (int b = 0; b < kButtonCount; ++b)
        if (b != mbHelp && SameText(word, kButtonNames[b])) return ButtonResult(static_cast<TMsgDlgBtn>(b));
    return mrNone;
}

std::string ButtonName(int result) {
    for (int b = 0; b < kButtonCount; ++b)
        if (ButtonResult(static_cast<TMsgDlgBtn>(b)) == result) return kButtonNames[b];
    return std::to_string(result);
}

}  // namespace

int ButtonResult(TMsgDlgBtn b) {
    switch (b) {
        case mbYes: return mrYes;
        case mbNo: return mrNo;
        case mbOK: return mrOk;
        case mbCancel: return mrCancel;
        case mbAbort: return mrAbort;
        case mbRetry: return mrRetry;
        case mbIgnore: return mrIgnore;
        case mbAll: return mrAll;
        case mbNoToAll: return mrNoToAll;
        case mbYesToAll: return mrYesToAll;
        case mbHelp: return mrNone;
    }
    return mrNone;
}

int DefaultResult(TMsgDlgButtons buttons) {
    if (buttons.Has(mbOK)) return mrOk;
    if (buttons.Has(mbYes)) return mrYes;
    for (int b = 0; b < kButtonCount; ++b) {
        auto btn = static_cast<TMsgDlgBtn>(b);
        if (btn != mbHelp && buttons.Has(btn)) return ButtonResult(btn);
    }
    return mrOk;
}

// ---- ConsoleHost ----------------------------------------------------------

bool ConsoleHost::ReadLine(std::string& line) {
    answered_ = false;
    if (!isatty(STDIN_FILENO)) return false;
    std::cout.flush();
    if (!std::getline(std::cin, line)) return false;
    answered_ = true;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    line = Cz(line);
    return true;
}

int ConsoleHost::MessageBox(const std::string& text, const std::string& caption, TMsgDlgType type,
                            TMsgDlgButtons buttons) {
    std::ostream& out = (type == mtError || type == mtWarning) ? std::cerr : std::cout;
    out << ForTerminal(caption) << ": " << ForTerminal(text) << std::endl;
    int def = DefaultResult(buttons);
    answered_ = true;
    std::vector<TMsgDlgBtn> choices;
    for (int b = 0; b < kButtonCount; ++b)
        if (b != mbHelp && buttons.Has(static_cast<TMsgDlgBtn>(b))) choices.push_back(static_cast<TMsgDlgBtn>(b));
    if (choices.size() < 2) return def;
    for (;;) {
        std::string prompt;
        for (TMsgDlgBtn b : choices) prompt += (prompt.empty() ? "" : "/") + std::string(kButtonNames[b]);
        std::cout << prompt << " [" << ButtonName(def) << "]: ";
        std::string line;
        if (!ReadLine(line)) {
            std::cout << std::endl;
            return def;
        }
        line = Trim(line);
        if (line.empty()) return def;
        int found = mrNone, matches = 0;
        for (TMsgDlgBtn b : choices) {
            std::string name = kButtonNames[b];
            if (SameText(line, name)) { found = ButtonResult(b); matches = 1; break; }
            if (line.size() < name.size() && SameText(line, name.substr(0, line.size()))) {
                found = ButtonResult(b);
                ++matches;
            }
        }
        if (matches == 1) return found;
    }
}

void ConsoleHost::ReadValue(std::string& value) {
    std::string line;
    if (!ReadLine(line)) {
        std::cout << std::endl;
        return;
    }
    if (!line.empty()) value = line;
}

bool ConsoleHost::InputQuery(const std::string& caption, const std::string& prompt, std::string& value) {
    std::cout << ForTerminal(caption) << ": " << ForTerminal(prompt) << " [" << ForTerminal(value) << "]: ";
    ReadValue(value);
    return true;
}

bool ConsoleHost::SelectFile(const std::string& filter, const std::string& initialDir, std::string& fileName) {
    std::cout << "File (" << ForTerminal(filter) << ") in " << ForTerminal(initialDir) << " ["
              << ForTerminal(fileName) << "]: ";
    ReadValue(fileName);
    return true;
}

bool ConsoleHost::SelectDirectory(const std::string& caption, std::string& directory) {
    std::cout << ForTerminal(caption) << " [" << ForTerminal(directory) << "]: ";
    ReadValue(directory);
    return true;
}

int ConsoleHost::ShowModal(const std::string& formName) {
    return MessageBox(formName, Application().Title(), mtCustom, mbOKCancel);
}

int ConsoleHost::ShowForm(TForm& form) {
    for (;;) {
        std::cout << ForTerminal(Application().Title()) << ": "
                  << ForTerminal(form.Caption.empty() ? form.ClassName() : form.Caption) << " (" << form.ClassName()
                  << ")\n"
                  << ForTerminal(DescribeForm(form)) << "name=value or a button [OK]: ";
        std::string line;
        if (!ReadLine(line)) {
            std::cout << std::endl;
            return mrOk;
        }
        line = Trim(line);
        if (line.empty()) return mrOk;
        std::string error;
        size_t eq = line.find('=');
        if (eq != std::string::npos && eq > 0) {
            if (!SetControlByLine(form, Trim(line.substr(0, eq)), line.substr(eq + 1), error))
                std::cerr << ForTerminal(error) << std::endl;
            continue;
        }
        if (TControl* b = FindButton(form, line)) {
            b->Click();
            if (form.ModalResult != mrNone) return form.ModalResult;
            continue;
        }
        if (int result = ResultOfName(line)) return result;
        std::cerr << "no button " << ForTerminal(line) << std::endl;
    }
}

// ---- ScriptedHost ---------------------------------------------------------

namespace {
std::string Where(const ScriptedAnswer& a) { return a.line > 0 ? "line " + IntToStr(a.line) + ": " : std::string(); }
}  // namespace

void ScriptedHost::Refuse(const std::string& why) { throw Exception(why); }

bool ScriptedHost::Next(ScriptedAnswer& a, const std::string& question) {
    answered_ = !answers_.empty();
    if (answers_.empty()) return false;
    a = std::move(answers_.front());
    answers_.pop_front();
    if (a.ForForm()) {
        Refuse(Where(a) + (a.button.empty() ? a.control + "=" + a.text + " answers a form"
                                            : "unknown answer " + a.button + " (no form is shown)") +
               ", not " + question);
        answered_ = false;
        return false;
    }
    return true;
}

int ScriptedHost::ShowForm(TForm& form) {
    while (!answers_.empty() && answers_.front().ForForm()) {
        ScriptedAnswer a = std::move(answers_.front());
        answers_.pop_front();
        answered_ = true;
        if (!a.control.empty()) {
            std::string error;
            if (!SetControlByLine(form, a.control, a.text, error)) Refuse(Where(a) + error);
            continue;
        }
        TControl* b = FindButton(form, a.button);
        if (!b || !b->Enabled || !b->Visible) {
            Refuse(Where(a) + "unknown answer " + a.button + ": no such button on " + form.ClassName());
            continue;
        }
        b->Click();
        if (form.ModalResult != mrNone) {
            records_.push_back(HostRecord{HostRecord::Modal, form.ClassName(), {}, mtCustom, {}, form.ModalResult});
            return form.ModalResult;
        }
    }
    return ShowModal(form.ClassName());
}

int ScriptedHost::MessageBox(const std::string& text, const std::string& caption, TMsgDlgType type,
                             TMsgDlgButtons buttons) {
    ScriptedAnswer a;
    int result = DefaultResult(buttons);
    if (Next(a, text)) result = a.action ? a.action() : a.result;
    records_.push_back(HostRecord{HostRecord::Box, caption, text, type, buttons, result});
    return result;
}

bool ScriptedHost::Confirm(HostRecord r, std::string& value) {
    ScriptedAnswer a;
    int result = mrOk;
    if (Next(a, r.caption)) {
        result = a.action ? a.action() : a.result;
        if ((result == mrOk || result == mrYes) && a.hasText) value = a.text;
    }
    r.result = result;
    records_.push_back(std::move(r));
    return result == mrOk || result == mrYes;
}

bool ScriptedHost::InputQuery(const std::string& caption, const std::string& prompt, std::string& value) {
    return Confirm(HostRecord{HostRecord::Query, caption, prompt, mtCustom, {}, mrNone}, value);
}

bool ScriptedHost::SelectFile(const std::string& filter, const std::string& initialDir, std::string& fileName) {
    return Confirm(HostRecord{HostRecord::File, filter, initialDir, mtCustom, {}, mrNone}, fileName);
}

bool ScriptedHost::SelectDirectory(const std::string& caption, std::string& directory) {
    return Confirm(HostRecord{HostRecord::Directory, caption, directory, mtCustom, {}, mrNone}, directory);
}

int ScriptedHost::ShowModal(const std::string& formName) {
    ScriptedAnswer a;
    int result = mrOk;
    if (Next(a, formName)) result = a.action ? a.action() : a.result;
    records_.push_back(HostRecord{HostRecord::Modal, formName, {}, mtCustom, {}, result});
    return result;
}

// ---- TAnswerFileHost -----------------------------------------------------

bool TAnswerFileHost::LoadFile(const std::string& fileName, std::string& error) {
    std::ifstream in(MapPath(fileName), std::ios::binary);
    if (!in) {
        error = "cannot read " + fileName;
        return false;
    }
    fileName_ = fileName;
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::string text = Cz(line);
        std::string word = Trim(text);
        if (word.empty() || word[0] == '#') continue;
        ScriptedAnswer a;
        a.line = number;
        size_t eq = word.find('=');
        if (eq == 0) {
            a.hasText = true;
            a.text = TrimLeft(text).substr(1);
        } else if (eq != std::string::npos) {
            a.control = Trim(word.substr(0, eq));
            a.text = TrimLeft(text).substr(TrimLeft(text).find('=') + 1);
        } else if (int result = ResultOfName(word)) {
            a.result = result;
        } else {
            a.button = word;
        }
        Push(std::move(a));
    }
    return true;
}

int TAnswerFileHost::MessageBox(const std::string& text, const std::string& caption, TMsgDlgType type,
                                TMsgDlgButtons buttons) {
    int result = ScriptedHost::MessageBox(text, caption, type, buttons);
    std::fprintf(stderr, "%s: %s [%d]\n", ToUtf8(caption).c_str(), ToUtf8(text).c_str(), result);
    return result;
}

void TAnswerFileHost::Refuse(const std::string& why) {
    std::fprintf(stderr, "%s: %s\n", ToUtf8(fileName_).c_str(), ToUtf8(why).c_str());
    std::fflush(nullptr);
    std::exit(2);
}

// ---- front end ------------------------------------------------------------

void SetUserHost(UserHost* host) { State().current = host; }

UserHost& GetUserHost() {
    auto& s = State();
    return s.current ? *s.current : static_cast<UserHost&>(s.console);
}

int HostMessageBox(const std::string& text, const std::string& caption, TMsgDlgType type, TMsgDlgButtons buttons) {
    State().log.push_back(text);
    if (type == mtError || type == mtWarning) State().errorShown = true;
    return GetUserHost().MessageBox(text, caption, type, buttons);
}

void ShowMessage(const std::string& text) { HostMessageBox(text, Application().Title(), mtCustom, mbOK); }

void ShowErrorMessage(const std::string& text) {
    NoteErrorShown();
    ShowMessage(text);
}

void NoteErrorShown() { State().errorShown = true; }

bool ErrorShown() { return State().errorShown; }

void ClearErrorShown() { State().errorShown = false; }

int BatchExitStatus(int status, bool onScreen) { return status == 0 && !onScreen && ErrorShown() ? 1 : status; }

int MessageDlg(const std::string& text, TMsgDlgType type, TMsgDlgButtons buttons, int /*helpCtx*/) {
    std::string caption;
    switch (type) {
        case mtWarning: caption = "Warning"; break;
        case mtError: caption = "Error"; break;
        case mtInformation: caption = "Information"; break;
        case mtConfirmation: caption = "Confirm"; break;
        case mtCustom: caption = Application().Title(); break;
    }
    return HostMessageBox(text, caption, type, buttons);
}

void MessageBeep(uint32_t type) { State().log.push_back("MessageBeep(" + std::to_string(type) + ")"); }

const std::vector<std::string>& HostLog() { return State().log; }

void ClearHostLog() { State().log.clear(); }
