// The topology part of the Gravo package: the link record of a line, the area properties
// with the father area, the topology container of a layer and the export of found regions.
//
// Link record (20 bytes, packed, little-endian):
//   bytes 0-3   A      the line met first turning counter-clockwise around the start node
//   byte  4     flag A A meets that node with its start
//   bytes 5-8   B      the same around the end node
//   byte  9     flag B B meets that node with its start
//   bytes 10-13 C      the face of the line network on the left (0: outside every face)
//   byte  14    unused
//   bytes 15-18 D      the face on the right
//   byte  19    unused
// Links are the 1-based numbers of the layer's lines; a free end links the line to
// itself at the same end (A = own number with flag A, B = own number without flag B);
// 0 means no link was made.
#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "gravo/gravo.h"
#include "kernel/tools.h"
#include "space/space.h"

class TSpaceEntityQTree;

struct TLineLinks {
    int32_t A = 0;
    bool FlagA = false;
    int32_t B = 0;
    bool FlagB = false;
    int32_t C = 0;
    int32_t D = 0;
};
TLineLinks ReadLinkRecord(const std::array<uint8_t, TGravoProps::kLinkRecordSize>& record);
void WriteLinkRecord(std::array<uint8_t, TGravoProps::kLinkRecordSize>& record, const TLineLinks& links);

// The properties of an area (or of another element given a father): its father, the
// index of an area in the topology's area layer ('P'); -1 without a father.
class TGravoAreaProps : public TGravoProps {
    ZARIX_CLASS(TGravoAreaProps, TGravoProps)
    static void Publish(PropertyTable& t);

public:
    int32_t FatherIndex = -1;
};

// The layers a topology refers to, by kind: 'L' (76) lines, 'P' (80) areas, 'B' (66)
// points. Shared by the property objects of a layer; the layers are not owned.
class TGravoTopology {
public:
    TGravoTopology() = default;
    TGravoTopology(const TGravoTopology&) = delete;
    TGravoTopology& operator=(const TGravoTopology&) = delete;
    ~TGravoTopology();

    void SetLayer(char kind, TSpaceEntityString* layer);
    // Nil once the layer was freed.
    TSpaceEntityString* Layer(char kind) const;
    // The index-th element of the layer of that kind; nil out of range.
    TElement* GetElement(int32_t kind, int32_t index) const;
    // The areas of the 'P' layer in a tree, made on first use; nil without the layer.
    TSpaceEntityQTree* AreaTree();

private:
    struct Entry {
        char Kind;
        TSpaceEntityString* Layer;
        uint64_t Serial;
    };
    std::array<Entry, 3> FLayers{{{'L', nullptr, 0}, {'P', nullptr, 0}, {'B', nullptr, 0}}};
    TSpaceEntityQTree* FAreaTree = nullptr;
};

// Attaches topology properties (area properties for areas, and for every element when
// withFather) to every element of the layer: numbers from 1 in layer order, the text
// "layer number" and the shared topology.
void AttachTopologyProps(TSpaceEntityString* layer, const std::shared_ptr<TGravoTopology>& topology,
                         bool withFather = false);

// Writes the regions of Input (an entity of areas) as a GeoPackage file named BlockName
// with one polygon layer named as the file without its extension: fields "cislo"
// (1-based), "plocha" (m²), "linie" (the descriptive text of the first line of the
// region) and the reference point "x", "y". An existing file is replaced. Error is 1
// when it cannot be written; the reason is sent as a text message.
class TExportAreasToGravo : public TTool {
    ZARIX_CLASS(TExportAreasToGravo, TTool)
    static void Publish(PropertyTable& t);

public:
    std::string BlockName;
    void DoIt() override;
};

// Registers the topology classes; called by RegisterGravoClasses.
void RegisterGravoTopologyClasses();
