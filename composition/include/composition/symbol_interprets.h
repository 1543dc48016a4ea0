// Interprets that draw map data with symbols, colours and texts chosen per element by
// their published settings (colour, code and position), as interpret scripts set them.
#pragma once
#include <cstdint>
#include <string>

#include "composition/texts.h"
#include "composition/user_symbol_colour.h"
#include "interpret/interpret.h"
#include "symbol/symbol.h"

// The colour of an element by the interpret's colour settings: the fixed colour, the
// colour tool's result, the colour expression or the default, then through the palette
// or the colour-number table.
TColor ResolveSymbolColor(TGeneralInterpret* interpret, TElement* element, TColor defaultValue);
// The same in two steps: the resolved value V, then the colour it stands for.
TColor ResolveSymbolColorValue(TGeneralInterpret* interpret, TElement* element, TColor defaultValue);
TColor SymbolColorOfValue(TGeneralInterpret* interpret, TColor value);

// The symbol-colour tool, a child, handed the colour settings before each symbol.
class TGeneralSymbolColorInterpret : public TGeneralBrushInterpret {
    ZARIX_CLASS(TGeneralSymbolColorInterpret, TGeneralBrushInterpret)
    static void Publish(PropertyTable& t);

public:
    // Nil until one is set; setting frees the held one.
    TSetUserSymbolColor* GetSymbolColorTool();
    void SetSymbolColorTool(TSetUserSymbolColor* tool);

protected:
    // The code: the fixed code when useFixed and its switch are on, the code tool's result,
    // the code property, else 0.
    int32_t ResolveCode(TElement* element, bool useFixed);
    // Runs the symbol-colour tool, when there is one, on the symbol for the element.
    void ColourSymbol(TZnacka* symbol, TElement* element, bool fillBackground);

private:
    TSetUserSymbolColor* FSymbolColorTool = nullptr;
};

class TGeneralAreaInterpret : public TGeneralSymbolColorInterpret {
    ZARIX_CLASS(TGeneralAreaInterpret, TGeneralSymbolColorInterpret)
    static void Publish(PropertyTable& t);

public:
    bool FillBackground = false;
    // The area-symbol file; empty: PathOfLibraries + "\Srafy.txt".
    std::string SymbolFile;

    bool IsItsClass(TElement* element) override;
    bool QGoInside(TElement* element) override;
    bool QProcessBefore(TElement* element) override;
    bool CanUniGoInside(TElement* element) override;
    void Process(TElement* element) override;
    void Reset(TDevice* device) override;
    void Close() override;
    void Destroy() override;
    TAreaSymbols* GetSymbols() const { return FSymbols; }

private:
    TAreaSymbols* FSymbols = nullptr;
};

class TGeneralLineInterpret : public TGeneralSymbolColorInterpret {
    ZARIX_CLASS(TGeneralLineInterpret, TGeneralSymbolColorInterpret)
    static void Publish(PropertyTable& t);

public:
    std::string PropSymbol;  // kept, not used in drawing

    bool IsItsClass(TElement* element) override;
    bool QGoInside(TElement* element) override;
    bool QProcessBefore(TElement* element) override;
    bool CanUniGoInside(TElement* element) override;
    void Process(TElement* element) override;
    void Reset(TDevice* device) override;
    void Close() override;
    void Destroy() override;
    int32_t GetThinWidth() const { return FThin; }
    int32_t GetThickWidth() const { return FThick; }

private:
    TLineSymbols* FSymbols = nullptr;
    TPointSymbols* FPointSymbols = nullptr;
    int32_t FThin = 1;
    int32_t FThick = 1;
};

class TGeneralPointInterpret : public TGeneralXYInterpret {
    ZARIX_CLASS(TGeneralPointInterpret, TGeneralXYInterpret)

public:
    // The point-symbol file; empty: PathOfLibraries + "\Fonty.txt".
    std::string SymbolFile;

    bool IsItsClass(TElement* element) override;
    bool QGoInside(TElement* element) override;
    bool QProcessBefore(TElement* element) override;
    void Process(TElement* element) override;
    void Reset(TDevice* device) override;
    void Close() override;
    void Destroy() override;

private:
    TPointSymbols* FSymbols = nullptr;
};

class TGeneralTextInterpret : public TGeneralXYInterpret {
    ZARIX_CLASS(TGeneralTextInterpret, TGeneralXYInterpret)
    static void Publish(PropertyTable& t);

public:
    std::string PropText;
    std::string PropFont;
    std::string ValFont;
    bool AbsSize = false;  // heights at the projection's scale, else at the virtual scale

    void Process(TElement* element) override;
};

class TGeneralFormatedTextBlockInterpret : public TGeneralXYInterpret {
    ZARIX_CLASS(TGeneralFormatedTextBlockInterpret, TGeneralXYInterpret)
    static void Publish(PropertyTable& t);

public:
    bool AbsSize = false;

    // Created as a child on first read; setting frees the held block and takes the new one.
    TFormatedTextBlock* GetTextBlock();
    void SetTextBlock(TFormatedTextBlock* block);
    void Process(TElement* element) override;

private:
    TFormatedTextBlock* FTextBlock = nullptr;
};

// Registers the symbol-drawing interprets and the user symbol colour.
void RegisterSymbolInterpretsUnit();
