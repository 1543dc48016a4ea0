// Folder and file choosers for scripts and tools: TSelectDirDialog on the form
// Tf_SelectDir (which can also make a new folder) and TSelectFileDialog.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "kernel/tools.h"
#include "platform/controls.h"

// The folder form: the drive box "Drive", the folder list "Directory" (its text is the
// folder, its items the subfolders, ".." first below a root), the buttons "OK"
// ("Použít"), "Storno" and "NewDir" ("Nový adr.").
class Tf_SelectDir : public TForm {
public:
    Tf_SelectDir();

    // The folder shown; EInOutError for one that does not exist.
    void SetFolder(const std::string& folder);
    const std::string& Folder() const { return FFolder; }
    // The subfolders again.
    void Refresh();
    // "Nový adr.": asks for a name and makes that folder in the one shown.
    void NewFolder();

    // Errors are shown in a message box and the cursor is reset; off, they pass silently
    // (the checking program's form starts with it off).
    bool ReportErrors = true;

private:
    void Show(const std::string& folder);
    std::string FFolder;
};

class TSelectDirDialog : public TTool {
    ZARIX_CLASS(TSelectDirDialog, TTool)
    static void Publish(PropertyTable& t);

public:
    std::string Directory;  // the starting folder; after DoIt the chosen one
    std::string Caption;    // the window title; empty keeps "Výběr složky"
    int32_t Left = 0;       // placed there when both are above 0; after DoIt the form's
    int32_t Top = 0;

    void DoIt() override;
};

class TSelectFileDialog : public TTool {
    ZARIX_CLASS(TSelectFileDialog, TTool)
    static void Publish(PropertyTable& t);

public:
    std::string Filter;
    std::string InitialDir;
    std::string FileName;  // the chosen file; a cancel keeps it

    void DoIt() override;
};

// Registers TSelectDirDialog and TSelectFileDialog.
void RegisterFolderDialogsUnit();
