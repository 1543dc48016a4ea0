// The two shared layers of the programs' main windows: the base window (caption from the
// version block, position in the ini file, dropped scripts, about) and the context menu.
// Every control only posts a message to the main tool.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/controls.h"
#include "yesk/held.h"

class TElement;
class TOldMainTool;

class TMainForm1 : public TForm {
public:
    TMainForm1(TOldMainTool* tool, std::string className);
    // Writes the position to section "MainForm" of the ini file read at creation.
    ~TMainForm1() override;

    // False: a close request only asks the main tool to quit (message 2).
    bool MayClose = false;
    TOldMainTool* Tool() const { return FTool.Get(); }
    const std::string& IniFileName() const { return FIniFile; }

    // Posts an element message to the main tool.
    void PostToTool(int32_t message, TElement* data = nullptr);
    // A click on the form itself: the animation toggles and the about panel is asked for.
    void ClickForm();
    // Files dropped from the file manager: each ".YESK" or ".TXT" file runs as a script,
    // in drop order; others are ignored.
    void DropFiles(const std::vector<std::string>& files);

private:
    THeld<TOldMainTool> FTool;
    std::string FIniFile;
};

// Adds the context menu "PopupMenu" on the picture: quit, the script console and the
// structure explorers of the world, the tools and the object model.
class TMainForm2 : public TMainForm1 {
public:
    TMainForm2(TOldMainTool* tool, std::string className);
};

// ". . ." beside a folder field of an options form: the folder form starts at the field's
// folder (a field that names no folder is cleared first); OK writes the chosen folder
// into the field.
void BrowseFolderInto(TControl& edit);
