// The installer's dialogs as headless forms: named controls with their text, state and
// place, shown modally through the user host, which answers with a modal result (a
// scripted host acts on the controls of ActiveSetupDialog() before it answers).
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "platform/classes.h"

class TForm;
class TControl;

namespace setup {

// The modal result of "Zpět".
constexpr int mrBack = 4;

struct TSetupControl {
    std::string name;
    std::string text;  // caption or edit text
    int left = 0, top = 0, width = 0, height = 0;
    bool checked = false;
};

class TSetupDialog {
public:
    virtual ~TSetupDialog() = default;
    virtual const char* ClassName() const = 0;

    const std::string& Caption() const { return caption_; }
    int ClientHeight() const { return clientHeight_; }
    int PanelHeight() const { return panelHeight_; }
    // The controls on the upper panel, in creation order.
    const std::vector<TSetupControl>& Panel() const { return panel_; }
    // A panel control by name (compared upper-cased); nullptr when there is none.
    const TSetupControl* Find(const std::string& name) const;

    // Shown as a form of its panel's controls and the buttons "OK", "Konec" and "Zpět";
    // what the user does on the form's controls reaches the dialog's handlers.
    int ShowModal();

protected:
    // A control of the shown form was changed or clicked.
    virtual void ControlUsed(TForm& form, TControl& control) = 0;
    TSetupControl* FindControl(const std::string& name);
    // The row number at the end of a control's name; -1 without one.
    static int RowOf(const std::string& name);
    // Adds the rows' height to the panel (and the form when the panel is too low).
    void GrowTo(int bottom);

    std::string caption_;
    std::vector<TSetupControl> panel_;
    int panelHeight_ = 41;
    int clientHeight_ = 82;
};

// "Nastavení adresářů pro instalaci": one row (label L, edit E, button S) per "VarDirs" line.
class TDirDlg : public TSetupDialog {
public:
    explicit TDirDlg(TStringList& varDirs);
    const char* ClassName() const override { return "TDirDlg"; }
    // The user types into an edit: the folder of the row's name takes the text.
    void SetEditText(const std::string& editName, const std::string& text);
    // The "..." button of a row: a folder chosen in the browser replaces the edit's text.
    void ClickBrowse(const std::string& buttonName);

private:
    void ControlUsed(TForm& form, TControl& control) override;
    TStringList& varDirs_;
};

// "Podmínky instalace": one check box C per "Options" line.
class TOptDlg : public TSetupDialog {
public:
    explicit TOptDlg(TStringList& options);
    const char* ClassName() const override { return "TOptDlg"; }
    // The user clicks a check box: it toggles and its option becomes "TRUE" or "FALSE".
    void ClickCheckBox(const std::string& boxName);

private:
    void ControlUsed(TForm& form, TControl& control) override;
    TStringList& options_;
};

// The dialog being shown, or nullptr.
TSetupDialog* ActiveSetupDialog();

}  // namespace setup
