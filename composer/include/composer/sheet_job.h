// A map sheet for scripts: finds a 1:50000 sheet of the sheet list by name or
// abbreviation (or takes every sheet of a selection saved from the key map), fills a template with it on the data, shows it in a map window, saves the
// window raster as PNG and prints the desktop as PDF on a grid of printer sheets.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "kernel/tools.h"

class TMainTool;
class TMapSpace;
class TEntity;

class TSheetJob : public TTool {
    ZARIX_CLASS(TSheetJob, TTool)
    static void Publish(PropertyTable& t);

public:
    // Name or abbreviation of the sheet (any case).
    std::string Sheet;
    // The template; relative names are tried in the current folder, then in the options'
    // template folder.
    std::string TemplateName;
    // Where "<abbreviation>.png" and "<abbreviation>.pdf" go; empty: no files.
    std::string OutputDirectory;
    // Overlap of the printer sheets in millimetres.
    int32_t Overlap = 10;
    // A selection saved from the key map ("Select.ZRX"); with no Sheet named, every sheet
    // of it is made.
    std::string Selection;

    // Runs the job. Without an OutputDirectory each sheet stays in its map window and the
    // output is the last sheet's desktop (owned by the window); with one, a sheet's window
    // is closed once its files are written and the output is nil.
    void DoIt() override;
    // A message tm_StartTask runs the job (a start script posts it so that the job runs
    // once the program has started); while another sheet job runs, this one waits for it.
    void on_tm_StartTask(TZarixMessage*& message, bool& handled) override;

    // The files of the last run; empty when not written.
    const std::string& PngFile() const { return FPng; }
    const std::string& PdfFile() const { return FPdf; }
    // The rasters of every sheet of the last run.
    const std::vector<std::string>& PngFiles() const { return FPngs; }

private:
    void MakeSheets();
    void MakeSheet(TMainTool* main, TMapSpace* sheet);
    std::string FPng, FPdf;
    std::vector<std::string> FPngs;
};

// The 1:50000 sheet under the root (a sheet list) whose name or abbreviation is the text; nil if none.
TMapSpace* FindSheetNamed(TEntity* root, const std::string& text);

// The sheet of the sheet list under the root that covers the same cell as a sheet picked
// elsewhere (from a saved selection), so that it has its neighbours; a user map space, or a
// sheet outside the list, is the picked one.
class TSMO;
TMapSpace* SheetInList(TSMO* root, TMapSpace* picked);

void RegisterSheetJobUnit();
