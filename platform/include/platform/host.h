// The user host: whoever answers message boxes, queries, file dialogs and modal forms.
// ConsoleHost talks to a terminal; ScriptedHost answers from a queue filled by tests and
// batch runs. Texts passed in are Windows-1250.
#pragma once
#include <cstdint>
#include <deque>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

enum TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };

enum TMsgDlgBtn { mbYes, mbNo, mbOK, mbCancel, mbAbort, mbRetry, mbIgnore, mbAll, mbNoToAll, mbYesToAll, mbHelp };

// A set of buttons: MessageDlg(text, mtConfirmation, {mbYes, mbNo}, 0).
class TMsgDlgButtons {
public:
    constexpr TMsgDlgButtons() = default;
    constexpr TMsgDlgButtons(TMsgDlgBtn b) : bits_(1u << b) {}
    constexpr TMsgDlgButtons(std::initializer_list<TMsgDlgBtn> bs) {
        for (TMsgDlgBtn b : bs) bits_ |= 1u << b;
    }
    constexpr bool Has(TMsgDlgBtn b) const { return (bits_ >> b) & 1u; }
    constexpr bool Empty() const { return bits_ == 0; }
    constexpr TMsgDlgButtons operator|(TMsgDlgButtons o) const { return FromBits(bits_ | o.bits_); }
    constexpr bool operator==(const TMsgDlgButtons&) const = default;
    constexpr uint32_t Bits() const { return bits_; }
    static constexpr TMsgDlgButtons FromBits(uint32_t b) { TMsgDlgButtons s; s.bits_ = b; return s; }
private:
    uint32_t bits_ = 0;
};

constexpr TMsgDlgButtons operator|(TMsgDlgBtn a, TMsgDlgBtn b) { return TMsgDlgButtons(a) | TMsgDlgButtons(b); }

inline constexpr TMsgDlgButtons mbYesNoCancel{mbYes, mbNo, mbCancel};
inline constexpr TMsgDlgButtons mbOKCancel{mbOK, mbCancel};
inline constexpr TMsgDlgButtons mbAbortRetryIgnore{mbAbort, mbRetry, mbIgnore};

// Modal results.
constexpr int mrNone = 0, mrOk = 1, mrCancel = 2, mrAbort = 3, mrRetry = 4, mrIgnore = 5,
              mrYes = 6, mrNo = 7, mrAll = 8, mrNoToAll = 9, mrYesToAll = 10;

// The modal result of a button (mrNone for mbHelp, which closes nothing).
int ButtonResult(TMsgDlgBtn b);
// The button a box answers when nobody chooses: OK when present, else Yes, else the first
// present button in the order of TMsgDlgBtn; OK for an empty set.
int DefaultResult(TMsgDlgButtons buttons);

class TForm;

class UserHost {
public:
    virtual ~UserHost() = default;
    // A message box; answers the modal result of the chosen button.
    virtual int MessageBox(const std::string& text, const std::string& caption, TMsgDlgType type,
                           TMsgDlgButtons buttons) = 0;
    // A one-line query; true on OK with the (possibly edited) value.
    virtual bool InputQuery(const std::string& caption, const std::string& prompt, std::string& value) = 0;
    // The open-file dialog: true when a file was chosen into fileName.
    virtual bool SelectFile(const std::string& filter, const std::string& initialDir, std::string& fileName) = 0;
    // A folder chooser: true when a folder was chosen into directory.
    virtual bool SelectDirectory(const std::string& caption, std::string& directory) = 0;
    // A modal form, named by its class or caption; answers its modal result.
    virtual int ShowModal(const std::string& formName) = 0;
    // A headless form shown modally (platform/controls.h). By default answered like
    // ShowModal(the form's class name); a scripted action may drive the form meanwhile.
    virtual int ShowForm(TForm& form);
    // A form shown or hidden without waiting for it (a main window, a map window), and a
    // form being destroyed. Headless hosts keep no windows and ignore them.
    virtual void FormShown(TForm&) {}
    virtual void FormHidden(TForm&) {}
    virtual void FormDestroyed(TForm&) {}
    // The form's pop-up menu (TForm::PopupMenu) opened where the mouse is.
    virtual void FormPopupMenu(TForm&) {}
    // Whether the last question had an answer (the user's or a prepared one), not the
    // default given for want of any: asking again would then get the same default.
    virtual bool LastAnswered() const { return true; }
};

// Prints UTF-8 (errors and warnings to stderr, the rest to stdout) and reads answers from
// stdin when it is a terminal; otherwise, and at the end of input, the default is answered
// (OK or Yes; queries and dialogs keep their value and answer OK).
class ConsoleHost : public UserHost {
public:
    int MessageBox(const std::string& text, const std::string& caption, TMsgDlgType type,
                   TMsgDlgButtons buttons) override;
    bool InputQuery(const std::string& caption, const std::string& prompt, std::string& value) override;
    bool SelectFile(const std::string& filter, const std::string& initialDir, std::string& fileName) override;
    bool SelectDirectory(const std::string& caption, std::string& directory) override;
    int ShowModal(const std::string& formName) override;
    // Lists the form's controls and takes "name=value" lines and button captions (see
    // SetControlByLine) until a button ends the form; a blank line or the end of input
    // answers OK.
    int ShowForm(TForm& form) override;
    bool LastAnswered() const override { return answered_; }

private:
    bool ReadLine(std::string& line);  // false without a terminal or at end of input
    void ReadValue(std::string& value);  // a blank line or the end of input keeps the value
    bool answered_ = true;
};

// One prepared answer. For a box or form the result is returned as it is; for a query or a
// dialog, mrOk/mrYes means confirmed (the value replaced by text when it is set) and anything
// else cancelled. An action, when set, runs first and its answer is used as the result.
// A form answer instead sets a control (control "name" or "name[col,row]", the value in text)
// or presses a button by its caption or name (button); line is where it was read from.
struct ScriptedAnswer {
    ScriptedAnswer() = default;
    ScriptedAnswer(int r, bool t, std::string s, std::function<int()> act)
        : result(r), hasText(t), text(std::move(s)), action(std::move(act)) {}
    int result = mrOk;
    bool hasText = false;
    std::string text;
    std::function<int()> action;
    std::string control;
    std::string button;
    int line = 0;
    bool ForForm() const { return !control.empty() || !button.empty(); }
};

// What a ScriptedHost was asked, in order.
struct HostRecord {
    enum Kind { Box, Query, File, Directory, Modal } kind;
    std::string caption;  // box caption, query caption, filter, directory caption, form name
    std::string text;     // box text, query prompt, initial folder
    TMsgDlgType type = mtCustom;
    TMsgDlgButtons buttons;
    int result = mrNone;  // what was answered
};

// Answers from a queue; when it is empty, boxes answer DefaultResult and queries, dialogs and
// forms answer OK keeping their values.
class ScriptedHost : public UserHost {
public:
    void Push(ScriptedAnswer a) { answers_.push_back(std::move(a)); }
    void PushResult(int modalResult) { Push(ScriptedAnswer{modalResult, false, {}, {}}); }
    void PushText(std::string text) { Push(ScriptedAnswer{mrOk, true, std::move(text), {}}); }
    void PushCancel() { PushResult(mrCancel); }
    void PushAction(std::function<int()> action) { Push(ScriptedAnswer{mrOk, false, {}, std::move(action)}); }
    size_t Pending() const { return answers_.size(); }

    const std::vector<HostRecord>& Records() const { return records_; }
    void ClearRecords() { records_.clear(); }

    int MessageBox(const std::string& text, const std::string& caption, TMsgDlgType type,
                   TMsgDlgButtons buttons) override;
    bool InputQuery(const std::string& caption, const std::string& prompt, std::string& value) override;
    bool SelectFile(const std::string& filter, const std::string& initialDir, std::string& fileName) override;
    bool SelectDirectory(const std::string& caption, std::string& directory) override;
    int ShowModal(const std::string& formName) override;
    // Form answers at the head of the queue set controls and press buttons until a button
    // ends the form; then, or without them, the form is answered like ShowModal.
    int ShowForm(TForm& form) override;
    bool LastAnswered() const override { return answered_; }

protected:
    // An answer that does not fit the question: throws Exception with the reason.
    virtual void Refuse(const std::string& why);

private:
    bool Next(ScriptedAnswer& a, const std::string& question);
    bool Confirm(HostRecord r, std::string& value);
    std::deque<ScriptedAnswer> answers_;
    std::vector<HostRecord> records_;
    bool answered_ = true;
};

// The user host of a batch run ("--answers FILE"): answers from a file, and every box shown
// on standard error with its answer.
class TAnswerFileHost : public ScriptedHost {
public:
    // One answer a line: a button (OK, Cancel, Yes, No, Abort, Retry, Ignore, All,
    // NoToAll, YesToAll; any letter case), "=text" (a query or file dialog confirmed with
    // the text), "name=value" (a control of the form being shown, see SetControlByLine) or
    // any other word: a form's button pressed by its caption ("Zpět"). Blank lines and
    // lines starting with "#" are skipped. False with the reason when the file cannot be read.
    bool LoadFile(const std::string& fileName, std::string& error);
    int MessageBox(const std::string& text, const std::string& caption, TMsgDlgType type,
                   TMsgDlgButtons buttons) override;

protected:
    // Stops the program: the reason and the answers file's line on standard error, status 2.
    void Refuse(const std::string& why) override;

private:
    std::string fileName_;
};

// The host in use (a ConsoleHost until another is set; nullptr restores it). The host is
// not owned.
void SetUserHost(UserHost* host);
UserHost& GetUserHost();

// A message box through the host; its text is appended to the host log first.
int HostMessageBox(const std::string& text, const std::string& caption, TMsgDlgType type, TMsgDlgButtons buttons);
// The plain message box: OK, captioned with the application title.
void ShowMessage(const std::string& text);
// A box captioned by its type ("Warning", "Error", "Information", "Confirm"; the title for
// mtCustom). helpCtx is not used.
int MessageDlg(const std::string& text, TMsgDlgType type, TMsgDlgButtons buttons, int helpCtx);
// The plain message box of a failure: shown as ShowMessage, and it counts as an error shown.
void ShowErrorMessage(const std::string& text);
// Whether the program showed an error: an error or warning box (MessageDlg, HostMessageBox),
// a ShowErrorMessage box, or a failure a text message reported (NoteErrorShown, called by
// whoever sends the text). Other boxes, questions and notes count not.
bool ErrorShown();
void NoteErrorShown();
void ClearErrorShown();
// The exit status of a program that ends with status: 1 instead of 0 when it ran off screen
// (an answers file, --headless, a terminal) and showed an error, so scripts can rely on it.
int BatchExitStatus(int status, bool onScreen);
// Logged as "MessageBeep(<decimal type>)".
void MessageBeep(uint32_t type);

// Every box text and beep, in order.
const std::vector<std::string>& HostLog();
void ClearHostLog();
