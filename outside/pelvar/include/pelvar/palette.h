// The graphic package's current colour palette: the colours of the map data's colour
// numbers (DejBarvicku), its palette file and the dialog that edits it.
//
// A palette file is Windows-1250 text, one colour a line: "index=red,green,blue" with
// the index from 0 and each part 0 to 255. Blank lines and lines starting with ";" are
// skipped; any other line that is not of this form is reported and skipped.
#pragma once
#include <string>
#include <vector>

#include "kernel/tools.h"
#include "pelvar/pelvar.h"

// The current palette (sixteen basic colours until a file is loaded). The graphic
// package owns it.
TColorPalette* CurrentPalette();
// Makes the map data's colour numbers follow the current palette after it was changed.
void ApplyCurrentPalette();

// The current palette file's name ("" until one is set).
const std::string& GetPaletteFile();
// Stores the name and loads the current palette from the file when it exists; a missing
// file, or an empty name, keeps the palette. Bad lines are posted as text messages (8).
void SetPaletteFile(const std::string& fileName);

// Reads a palette file into the palette (colours it does not name stay); the bad lines
// come back as "file: line N: text". EFOpenError when it cannot be read.
std::vector<std::string> LoadPaletteFile(const std::string& fileName, TColorPalette& palette);
// Writes every colour of the palette; the old file stays when writing fails.
void SavePaletteFile(const std::string& fileName, const TColorPalette& palette);

// "Barevná paleta": the current palette's colours in the grid "Colors" (index, then
// "red,green,blue"), its file in "ed_File", the buttons "b_Load" ("Načíst"), "b_Save"
// ("Uložit"), "OK" and "Storno". It edits a copy; OK gives the colours to the current
// palette and makes the file the palette file.
class TColorPaletteDialog : public TTool {
    ZARIX_CLASS(TColorPaletteDialog, TTool)

public:
    void DoIt() override;
};

void RegisterPaletteUnit();
