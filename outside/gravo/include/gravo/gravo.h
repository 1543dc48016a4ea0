// The map-data interprets: points, lines, areas and texts of the space package drawn with
// the symbols of the library folder. An element's symbol code is its attribute record's
// code, or (when that is 0) the code its table gives its layer class; its colour is the
// colour number of its Gravo properties.
#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "interpret/interpret.h"
#include "space/space.h"
#include "symbol/symbol.h"

class TGravoTopology;

// The properties of a map element, linked to it as its property object: the colour it is
// drawn in and, when its layer was read with topology, its number in the layer, its
// descriptive text, the packed link record of a line and the layer's topology.
class TGravoProps : public TOwnerElement {
    ZARIX_CLASS(TGravoProps, TOwnerElement)
    static void Publish(PropertyTable& t);

public:
    static constexpr size_t kLinkRecordSize = 20;

    int32_t ColorIndex = 0;  // colour number (DejBarvicku)
    std::string Table;       // the attribute table of the element's record
    int32_t Number = 0;      // 1-based in its layer; 0 without topology
    std::string Text;        // layer name and number
    std::array<uint8_t, kLinkRecordSize> LinkRecord{};

    virtual std::string GetText() { return Text; }
    // The layer's topology container; nil without one.
    TGravoTopology* GetTopology() const { return FTopology.get(); }
    void SetTopology(std::shared_ptr<TGravoTopology> topology) { FTopology = std::move(topology); }
    void Destroy() override;

private:
    std::shared_ptr<TGravoTopology> FTopology;
};

// The element's Gravo properties; nil for elements without them.
TGravoProps* GravoPropsOf(TElement* element);
// Attaches new Gravo properties with the colour number to a map element; answers them.
TGravoProps* AttachGravoProps(TSpaceEntity* element, int32_t colorIndex);
// The mark of a point without a symbol: a small cross in the present pen.
void DrawPlainPointMark(TDevice* device, TPointElement* point);

// The common part: the colour and code of an element and the strings it walks into.
class TGravoInterpret : public TRectInterpret {
    ZARIX_CLASS(TGravoInterpret, TRectInterpret)

public:
    // The universal interpret walks the strings' elements.
    bool CanUniGoInside(TElement* element) override;
    bool QGoInside(TElement* element) override;

protected:
    // DejBarvicku of the Gravo colour number, else the fallback.
    static TColor ColorOf(TElement* element, TColor fallback);
    // The attribute record's code, else the table's code for the element's layer.
    static int32_t CodeOf(TSpaceEntity* element, const TSymbolTable* table);
};

// Areas: a symbol code of the area table fills with the symbol, any other code fills
// plainly with the element's colour (white without one) inside a black outline. Areas
// smaller than 3 pixels are left out.
class TInterpretTopPloch : public TGravoInterpret {
    ZARIX_CLASS(TInterpretTopPloch, TGravoInterpret)

public:
    bool IsItsClass(TElement* element) override;
    bool QProcessBefore(TElement* element) override;
    void Process(TElement* element) override;
    void Reset(TDevice* device) override;
    void Close() override;
    void Destroy() override;
    TAreaSymbols* GetSymbols() const { return FSymbols; }

private:
    TAreaSymbols* FSymbols = nullptr;
};

// Polylines: with their line symbol, else plainly one pixel wide in the element's colour;
// a point-symbol code of the record puts that symbol at the line's reference point.
class TInterpretTopLinii : public TGravoInterpret {
    ZARIX_CLASS(TInterpretTopLinii, TGravoInterpret)

public:
    bool IsItsClass(TElement* element) override;
    bool QProcessBefore(TElement* element) override;
    void Process(TElement* element) override;
    void Reset(TDevice* device) override;
    void Close() override;
    void Destroy() override;

private:
    TLineSymbols* FSymbols = nullptr;
    TPointSymbols* FPointSymbols = nullptr;
};

// Points: with their point symbol, else a cross 4 pixels wide.
class TInterpretTopBodu : public TGravoInterpret {
    ZARIX_CLASS(TInterpretTopBodu, TGravoInterpret)

public:
    bool IsItsClass(TElement* element) override;
    bool QProcessBefore(TElement* element) override;
    void Process(TElement* element) override;
    void Reset(TDevice* device) override;
    void Close() override;
    void Destroy() override;

private:
    TPointSymbols* FSymbols = nullptr;
};

// Texts at their reference point in their height (model metres; 0: the device's font),
// turned by their orientation, in the element's colour (black without one).
class TInterpretTopTextu : public TGravoInterpret {
    ZARIX_CLASS(TInterpretTopTextu, TGravoInterpret)

public:
    bool IsItsClass(TElement* element) override;
    bool QProcessBefore(TElement* element) override;
    void Process(TElement* element) override;
};

// Registers the Gravo classes; after RegisterSymbolClasses and RegisterInterpretClasses.
void RegisterGravoClasses();
