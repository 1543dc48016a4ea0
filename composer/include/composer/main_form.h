// The main window of the map composition program, its options form, the template library
// window and the plug-in dialog. Controls post messages to the main tool.
#pragma once
#include <string>

#include "workbench/main_forms.h"

class TMainTool;
class TStringListElement;

class TMainForm : public TMainForm2 {
public:
    // Shows the application's hint in the status bar while it lives.
    explicit TMainForm(TOldMainTool* tool);
    ~TMainForm() override;
    // Opens the plug-in dialog modally (menu "Rošiřující moduly (Plug-Ins)").
    void ShowPlugInDialog();
};

// "Možnosti": the folders of the options.
class TF_Options : public TForm {
public:
    TF_Options();
    // ". . ." beside a field: the folder form starting at the field's folder; OK takes the
    // chosen folder into the field.
    void BrowseFolder(const std::string& field);
};

// "Knihovna šablon mapových listů": the display names of the library.
class TF_Template : public TForm {
public:
    // Place and size from section "TemplateForm" of the ini file.
    TF_Template(TOldMainTool* tool, std::string iniFile);
    // Writes place and size back.
    ~TF_Template() override;
    bool CloseRequested = false;

private:
    void PostToTool(int32_t message);
    THeld<TOldMainTool> FTool;
    std::string FIniFile;
};

// "Plug-Ins": adds and removes the packages of the world's list "PLUGIN".
class TPlugInDialog : public TForm {
public:
    TPlugInDialog();
    // The world's "PLUGIN" list, made and added to the world when missing.
    static TStringListElement* PluginList();
    // Writes the list to "Plugin.ZRX" in the program's folder.
    static void SaveList();
    void Refill();
    void AddPlugIn(const std::string& fileName);
    void RemoveSelected();
};
