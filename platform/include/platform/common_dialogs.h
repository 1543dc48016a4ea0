// The platform's save and font dialogs as headless forms, answered by the user host like
// any modal form (a scripted action fills their controls and returns mrOk).
#pragma once
#include <functional>
#include <string>

#include "platform/controls.h"

// "TSaveDialog": the edit "FileName", the list "FileType" (the filter's descriptions) and the
// buttons "OK" and "Cancel".
class TSaveDialog : public TForm {
public:
    TSaveDialog();

    std::string Title;
    // Pairs "description|mask|description|mask...".
    std::string Filter;
    int FilterIndex = 1;  // counted from 1
    // Added with a dot to a chosen name without an extension.
    std::string DefaultExt;
    // A relative name is taken in this folder.
    std::string InitialDir;
    std::string FileName;
    // An existing file is replaced only when the user says so.
    bool OverwritePrompt = false;
    // Runs when the user picks another file type (FilterIndex already set).
    std::function<void(TSaveDialog&)> OnTypeChange;

    // True when a name was chosen (and an existing file may be replaced); FileName holds it.
    bool Execute();
};

// "TFontDialog": the edit "FontName", the spin edit "FontSize" and the buttons "OK" and
// "Cancel".
class TFontDialog : public TForm {
public:
    TFontDialog();

    std::string FontName;
    int FontSize = 10;

    // True on OK with a font name; FontName and FontSize hold the chosen font.
    bool Execute();
};
