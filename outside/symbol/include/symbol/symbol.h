// Map symbols: area fills, line symbols and point symbols read from the text tables of
// the library folder, and their drawing on a device. Sizes in the tables are millimetres
// of paper at the projection's virtual scale; colours are colour numbers of the map data
// (DejBarvicku), -1 for none (a line part of colour -1 takes the device pen's colour).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "device/device.h"
#include "kernel/elements.h"
#include "pelvar/pelvar.h"
#include "platform/files.h"
#include "space/space.h"

// The folder of the symbol tables; the tables are PathOfLibraries + "\Srafy.txt",
// "\linzn.txt" and "\Fonty.txt".
extern std::string PathOfLibraries;

// A coloured part of a symbol: its colour number from the table and, once a user colour
// was set, the colour value to draw with instead (-1: the part is not drawn).
struct TSymbolColor {
    int32_t ColorIndex = -1;
    bool UserColored = false;
    TColor Color = -1;
    // The colour to draw with; -1 for nothing. Index -1 gives the fallback.
    TColor Effective(TColor fallback = -1) const;
};

// The base of the symbols: the code the elements name it by and its title.
class TZnacka : public TElement {
    ZARIX_CLASS(TZnacka, TElement)
    static void Publish(PropertyTable& t);

public:
    int32_t Code = 0;
    std::string Title;
    bool UserColored = false;
};

// One line of a line symbol: offset to the left of the line's direction, width and dash
// pattern (dash, gap, ...; empty: solid), all in millimetres.
struct TLineComponent : TSymbolColor {
    double Offset = 0;
    double Width = 0.25;
    std::vector<double> Dashes;
};

class TLiniovaZnacka : public TZnacka {
    ZARIX_CLASS(TLiniovaZnacka, TZnacka)

public:
    std::vector<TLineComponent> Components;
};

// A hatch line of a pattern group: its offset across the group's period and its width.
struct TPatternItem : TSymbolColor {
    double Offset = 0;
    double Width = 0.25;
};

// Parallel hatching at an angle (degrees, counter-clockwise from the x axis) repeated
// every Spacing millimetres.
struct TPatternGroup {
    double Angle = 0;
    double Spacing = 2;
    std::vector<TPatternItem> Items;
};

class TPlosnaZnacka : public TZnacka {
    ZARIX_CLASS(TPlosnaZnacka, TZnacka)

public:
    TSymbolColor Fill;            // the background colour
    bool FillBackground = false;  // paint the background under the hatching
    std::vector<TPatternGroup> Groups;
};

// A shape of a point symbol, in millimetres about the point (y up): a circle (centre and
// radius), or a line or polygon through its points.
struct TPointShape : TSymbolColor {
    enum TKind : uint8_t { Circle, Line, Polygon } Kind = Circle;
    std::vector<T2DPoint> Points;
    double Radius = 0;
    double Width = 0.25;
    bool Filled = false;
};

class TBodovaZnacka : public TZnacka {
    ZARIX_CLASS(TBodovaZnacka, TZnacka)

public:
    std::vector<TPointShape> Shapes;
};

// A symbol table: the symbols of one file by code, the codes given to the elements of
// layer classes whose own code is 0, and the device it draws on. A line that cannot be
// read is skipped and reported as a text message (8) naming the file and line; the
// reports are kept in Messages().
class TSymbolTable : public TOwnerElement {
    ZARIX_CLASS(TSymbolTable, TOwnerElement)

public:
    // Reads the file (EFOpenError when it cannot be read) after clearing the table.
    void LoadFromFile(const std::string& path);
    // The same from text, reporting lines under the file name.
    void LoadFromText(const std::string& text, const std::string& fileName);
    void Clear();
    const std::vector<std::string>& Messages() const { return FMessages; }
    int32_t Count() const { return static_cast<int32_t>(FSymbols.size()); }
    // The symbols in the order of their codes.
    TZnacka* SymbolAt(int32_t i) const { return FSymbols.at(static_cast<size_t>(i)); }
    // The symbol of the code; nil when the table has none.
    TZnacka* Find(int32_t code) const;
    // The code for elements of the class (by name, any letter case) whose code is 0; 0
    // when the table names none.
    int32_t LayerCode(const std::string& className) const;
    int32_t LayerCode(TElement* element) const;

    TDevice* GetDevice() const { return IsLive(FDevice, FDeviceSerial) ? FDevice : nullptr; }
    void SetDevice(TDevice* device);
    // The model region drawn; elements outside it are not drawn (empty: no limit).
    const TRectangle& GetRegion() const { return FRegion; }
    void SetRegion(const TRectangle& r) { FRegion.Assign(r); }

    void Destroy() override;

protected:
    // Reads one line's words (the keyword upper-cased first); false with the reason when
    // the line is bad.
    virtual bool ReadLine(const std::vector<std::string>& words, std::string& error);
    // The symbol that the lines after its header line fill in; nil before the first.
    TZnacka* Current() const { return FCurrent; }
    bool AddSymbol(TZnacka* symbol, std::string& error);
    // Pixels per millimetre of paper at the virtual scale; 0 without a projection.
    double PixelsPerMillimetre() const;
    bool Outside(TRectEntity* element) const;

private:
    void LoadLines(const TStringList& lines, const std::string& fileName);
    bool ReadCommonLine(const std::vector<std::string>& words, std::string& error);
    std::vector<TZnacka*> FSymbols;  // sorted by code
    std::vector<std::pair<std::string, int32_t>> FLayerCodes;
    std::vector<std::string> FMessages;
    TZnacka* FCurrent = nullptr;
    TDevice* FDevice = nullptr;
    uint64_t FDeviceSerial = 0;
    TRectangle FRegion;
};

// Area symbols ("Srafy.txt").
class TAreaSymbols : public TSymbolTable {
    ZARIX_CLASS(TAreaSymbols, TSymbolTable)

public:
    TPlosnaZnacka* VratZnackuDleKodu(int32_t code) const;
    // Fills the polygons the device prepared (PrepareForPolyPolygon) with the symbol; an
    // area whose skip flag is set is left out.
    void VyplnPlochu(TPlosnaZnacka* symbol, TAreaElement* area = nullptr);

protected:
    bool ReadLine(const std::vector<std::string>& words, std::string& error) override;
};

// Line symbols ("linzn.txt").
class TLineSymbols : public TSymbolTable {
    ZARIX_CLASS(TLineSymbols, TSymbolTable)

public:
    TLiniovaZnacka* VratZnackuDleKodu(int32_t code) const;
    bool Exists(int32_t code) const { return VratZnackuDleKodu(code) != nullptr; }
    // Draws the line with the symbol: each component offset, dashed and coloured.
    void ZobrazLinii(TPolyElement* line, TLiniovaZnacka* symbol);
    void ZobrazLinii(TPolyElement* line, int32_t code) { ZobrazLinii(line, VratZnackuDleKodu(code)); }

protected:
    bool ReadLine(const std::vector<std::string>& words, std::string& error) override;
};

// Point symbols ("Fonty.txt").
class TPointSymbols : public TSymbolTable {
    ZARIX_CLASS(TPointSymbols, TSymbolTable)

public:
    // What PaintSymbol draws: outlines, fills, and whether the angle turns the symbol.
    enum : int32_t { psOutline = 1, psFill = 4, psTurn = 8 };
    TBodovaZnacka* VratZnackuDleKodu(int32_t code) const;
    // The symbol of the code at the element's reference point, turned by its orientation.
    void InterpretSymbol(TSpaceEntity* element, int32_t code);
    // The symbol of the code at the model point, turned by the angle (radians,
    // counter-clockwise) when the mode says so. Unknown codes draw nothing.
    void PaintSymbol(int32_t mode, int32_t code, double x, double y, double angle);

protected:
    bool ReadLine(const std::vector<std::string>& words, std::string& error) override;
};

// A new table of the kind read from the file and bound to the device; nil when the file
// does not exist or cannot be read.
template <class T>
T* LoadSymbolTable(const std::string& path, TDevice* device) {
    if (!FileExists(path)) return nullptr;
    T* table = T::New();
    try {
        table->LoadFromFile(path);
        table->SetDevice(device);
    } catch (...) {
        Free(table);
        return nullptr;
    }
    return table;
}

// The parts of an element's vertices, one vector each (the rings of an area).
std::vector<std::vector<T2DPoint>> RingsOf(TPolyElement* element);

// Registers the symbol classes; after RegisterSpaceClasses.
void RegisterSymbolClasses();
