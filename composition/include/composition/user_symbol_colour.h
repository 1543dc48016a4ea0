// Recolouring a line or area symbol for one element before it is drawn.
#pragma once
#include <cstdint>
#include <string>

#include "kernel/tools.h"
#include "kernel/value_elements.h"
#include "pelvar/pelvar.h"

// Input: the symbol (TLiniovaZnacka or TPlosnaZnacka); anything else is left alone. Each
// part gets the user-colour mark and the colour resolved from its colour index.
class TSetUserSymbolColor : public TTool {
    ZARIX_CLASS(TSetUserSymbolColor, TTool)
    static void Publish(PropertyTable& t);

public:
    TColor Color = 0;
    bool UseColor = false;
    std::string PropColor;
    bool ColorByPalette = false;
    bool ColorByGravo = false;
    bool FillBackground = false;

    // The element being drawn; not owned, nil once it is gone.
    TElement* GetElem() const { return IsLive(FElem, FElemSerial) ? FElem : nullptr; }
    void SetElem(TElement* e);
    // Not owned; nil once gone.
    TResultTool* GetToolColor() const { return IsLive(FToolColor, FToolSerial) ? FToolColor : nullptr; }
    void SetToolColor(TResultTool* tool);
    TColorPalette* GetPalette() const { return IsLive(FPalette, FPaletteSerial) ? FPalette : nullptr; }
    void SetPalette(TColorPalette* palette);

    void DoIt() override;
    // The colour value for a colour index; -1 stays -1.
    TColor Resolve(int32_t index);

private:
    TIntegerElement* SavedIndex();
    TElement* FElem = nullptr;
    uint64_t FElemSerial = 0;
    TResultTool* FToolColor = nullptr;
    uint64_t FToolSerial = 0;
    TColorPalette* FPalette = nullptr;
    uint64_t FPaletteSerial = 0;
    TIntegerElement* FSaved = nullptr;  // a child
};

// Registers TSetUserSymbolColor.
void RegisterUserSymbolColorUnit();
