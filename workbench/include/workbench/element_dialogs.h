// The view dialog, the pen width dialog and the picture dialog.
#pragma once
#include <string>

#include "composition/views.h"
#include "kernel/tools.h"
#include "platform/controls.h"

// The form of the view dialog, "Nastavení vlastností View".
class TSetupViewDialog : public TForm {
public:
    TSetupViewDialog();
};

// Edits a view (its Input) in TSetupViewDialog; every field is checked before any is
// applied, and OK is refused while a scale is no number above 0.
class TViewDialog : public TTool {
    ZARIX_CLASS(TViewDialog, TTool)

public:
    std::string DataDirectory;  // for "Editace vrstev"
    void DoIt() override;
    // "Editace vrstev": the view's model script through the layer import dialog.
    void EditLayers(TView* view);
};

// "Síla pera": a width in millimetres; below 0.1 it is 0.
class TPenWidthDialog : public TForm {
public:
    TPenWidthDialog();
    double GetWidth() const { return FWidth; }
    void SetWidth(double mm);

private:
    void Show();
    double FWidth = 0;
    bool FFilling = false;
};

// "Otevření souboru BMP": drive, folder and file lists and a preview of the file clicked.
class TNewBMPDlg : public TForm {
public:
    TNewBMPDlg();
    // The folder shown; a missing one keeps the present.
    void SetFolder(const std::string& folder);
    const std::string& Folder() const { return FFolder; }
    // The chosen file (folder and name); setting one shows its folder and selects it.
    std::string FileName() const;
    void SetFileName(const std::string& path);
    // The files shown: every picture format that can be read.
    static const char* FileMask() { return "*.bmp;*.png;*.jpg;*.jpeg;*.gif"; }
    // The file list's height follows the panel's.
    void SetPanelHeight(int height);

private:
    void ShowFolder(const std::string& folder);
    void Preview(const std::string& name);
    std::string FFolder;
};
