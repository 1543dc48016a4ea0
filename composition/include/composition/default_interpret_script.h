// The interpret script of a view that has none: rectangles, grids, map rasters, map data
// (texts, points, areas, lines), desktops and sheet frames.
#pragma once
#include "kernel/tools.h"

// Output: a new TInterpretScript, taken over by the caller.
class TUniversalGravoScriptCreator : public TTool {
    ZARIX_CLASS(TUniversalGravoScriptCreator, TTool)

public:
    void DoIt() override;
};

class TInterpretScript;

// A new default script made by TUniversalGravoScriptCreator, taken over by the caller.
TInterpretScript* NewDefaultInterpretScript();
