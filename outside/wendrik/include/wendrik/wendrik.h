// The line topology package: the quad tree of lines with nodes, edges and faces, the
// tools that build them step by step, the comparison of a line with earlier lines, the
// search for closed regions and the matching of regions with areas. Geometry through
// GEOS (one context per thread), the tree on an R-tree that grows while it is queried.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "gravo/topology.h"
#include "kernel/tools.h"
#include "space/space.h"
#include "space/space_tree.h"

// A line end at a node.
struct TLineEnd {
    int32_t Line;  // index in Lines()
    bool Start;    // the line's first vertex
};

// A node: where line ends meet (ends on the same step of the node grid).
struct TTopNode {
    T2DPoint At;
    std::vector<TLineEnd> Ends;
};

// The quad tree of a line layer and, once the tools ran, its topology: nodes, the noded
// edges (polylines owned by the tree, each of the class and the property object of the
// line it comes from), the links of every line and the faces of the edges.
class TQTreeTopLin : public TSpaceEntityQTree {
    ZARIX_CLASS(TQTreeTopLin, TSpaceEntityQTree)
    static void Publish(PropertyTable& t);

public:
    // The node grid: its step is this share of a typical line (the median of the lines'
    // larger sides), so that the same lines in any unit meet alike; a line whose end lies
    // within one step of another line passes through that end.
    int32_t Precision = 10000000;

    void Destroy() override;
    // The lines read into the tree (fixed by TPutNodesIntoQTree); nil once freed.
    int32_t LineCount() const { return static_cast<int32_t>(FLines.size()); }
    TPolyLineElement* Line(int32_t index) const;
    const std::vector<TTopNode>& Nodes() const { return FNodes; }
    // The noded edges and the line each comes from.
    int32_t EdgeCount() const;
    TPolyLineElement* Edge(int32_t index) const;
    int32_t EdgeSource(int32_t index) const { return FEdgeSource.at(static_cast<size_t>(index)); }
    // The links of each line (numbers are 1-based line indexes); C and D once faces exist.
    const std::vector<TLineLinks>& Links() const { return FLinks; }
    // Whether the tree indexes the edges instead of the lines.
    bool IndexesEdges() const { return FIndexesEdges; }

    // Used by the tools.
    void SetLines();
    void SetNodes(std::vector<TTopNode> nodes) { FNodes = std::move(nodes); }
    void AddEdge(TPolyLineElement* edge, int32_t source);
    void SetLinks(std::vector<TLineLinks> links) { FLinks = std::move(links); }
    std::vector<TLineLinks>& MutableLinks() { return FLinks; }
    void IndexEdges();
    TEntity* EdgeHolder();

private:
    struct LineRef {
        TPolyLineElement* Line;
        uint64_t Serial;
    };
    std::vector<LineRef> FLines;
    std::vector<TTopNode> FNodes;
    TEntity* FEdges = nullptr;
    std::vector<int32_t> FEdgeSource;
    std::vector<TLineLinks> FLinks;
    bool FIndexesEdges = false;
};

// Walks the elements of a tree whose rectangles meet a rectangle grown by a margin, in
// no set order, until the visitor answers false.
class TQTreeWalker {
public:
    explicit TQTreeWalker(const TSpaceEntityQTree* tree) : FTree(tree) {}
    void Walk(double minX, double minY, double maxX, double maxY, double margin,
              const std::function<bool(TSpaceEntity*)>& visit) const;

private:
    const TSpaceEntityQTree* FTree;
};

// A stretch of the compared line lying on a line (abscissas along the compared line).
struct TLinePiece {
    TSpaceEntity* Line;
    double From;
    double To;
};

// The comparator's result: pieces in order along the line, and whether a piece lies on
// another line.
class TLinesAbscEntity : public TOwnerEntity {
    ZARIX_CLASS(TLinesAbscEntity, TOwnerEntity)

public:
    std::vector<TLinePiece> Pieces;
    bool Changed = false;
    void Destroy() override;
};

// Compares Input (a polyline or area outline) with the lines of QTree: a stretch of it
// whose every point lies within Tolerance of an earlier line is a piece of that line (of
// the earliest, where several cover it) when the two run together along it for more than
// Tolerance; lines that meet at a node and part there, or cross, do not, whatever their
// angle. With OwnPieces the
// rest is listed as pieces of Input itself, so that the pieces cover the line. Output: a
// new TLinesAbscEntity owned by the caller (no pieces for a line without length).
class TLinComparator : public TTool {
    ZARIX_CLASS(TLinComparator, TTool)
    static void Publish(PropertyTable& t);

public:
    bool OwnPieces = false;
    TSpaceEntityQTree* QTree = nullptr;
    double Tolerance = 0;
    void DoIt() override;
};

// Input a polyline string; Output a new TQTreeTopLin of its non-empty lines, owned by
// the caller (nil for other input).
class TReadLinesIntoQTree : public TTool {
    ZARIX_CLASS(TReadLinesIntoQTree, TTool)

public:
    void DoIt() override;
};

// Input a TQTreeTopLin: fixes its lines, puts a node at every line end and nodes the
// lines into edges (GEOS). A GEOS failure is sent as a text message; Error := 1.
class TPutNodesIntoQTree : public TTool {
    ZARIX_CLASS(TPutNodesIntoQTree, TTool)

public:
    std::string FailureText;  // the GEOS failure of the last run
    void DoIt() override;
};

// Input a TQTreeTopLin with nodes: links each line end to the line met first turning
// counter-clockwise around it (a line passing through the end counts too). With
// JoinNearEnds a free end within 1/NearPrecision units of the data of a line joins it; with
// KeepFreeEnds false a free end links to nothing (0) instead of to the line itself.
class TNodesConector : public TTool {
    ZARIX_CLASS(TNodesConector, TTool)
    static void Publish(PropertyTable& t);

public:
    bool JoinNearEnds = false;
    bool FreeEndsUnlinked = false;
    int32_t NearPrecision = 1000;
    void DoIt() override;
};

// Input a TQTreeTopLin: the tree stops indexing the lines and indexes the edges.
class TDeleteDirectRelationsToLinesInQTree : public TTool {
    ZARIX_CLASS(TDeleteDirectRelationsToLinesInQTree, TTool)

public:
    void DoIt() override;
};

// Input a TQTreeTopLin with edges: the faces the edges close (GEOS polygonize). Output a
// new rectangle entity of TPolyLineAreaElement (outer ring, then holes; the edges of its
// boundary as children), owned by the caller; also sets the links C and D of each line.
class TCreateAreasForQTree : public TTool {
    ZARIX_CLASS(TCreateAreasForQTree, TTool)

public:
    std::string FailureText;  // the GEOS failure of the last run
    void DoIt() override;
};

// Input the built areas: frees those smaller than MinArea (slivers between lines drawn
// nearly twice).
class TSubAreaMakerInQTree : public TTool {
    ZARIX_CLASS(TSubAreaMakerInQTree, TTool)
    static void Publish(PropertyTable& t);

public:
    double MinArea = 0.01;
    void DoIt() override;
};

// Input the built areas: Output a new entity of regions (TPolyLineAreaElement copies of
// the areas with their boundary edges), owned by the caller; nil when there is none.
class THledacPloch : public TTool {
    ZARIX_CLASS(THledacPloch, TTool)

public:
    void DoIt() override;
};

// Input a region: a clear finding when an area of the topology of its lines (the 'P'
// layer) holds the region's reference point and its own reference point lies in the
// region. Output: that area.
class TFindAreaThroughLines : public TTool {
    ZARIX_CLASS(TFindAreaThroughLines, TTool)

public:
    bool ClearFinding = false;
    void DoIt() override;
};

// Input an entity: every area in it gets a reference point inside it (GEOS point on
// surface); areas GEOS cannot handle keep theirs.
class TMultiAreaPointPlacer : public TTool {
    ZARIX_CLASS(TMultiAreaPointPlacer, TTool)

public:
    void DoIt() override;
};

// Walks the areas of Input (descending into entities that are not areas), with progress
// messages captioned with the tool's name, and hands each to ProcessArea.
class TProchazecPlochGauge : public TTool {
    ZARIX_CLASS(TProchazecPlochGauge, TTool)

public:
    void DoIt() override;

protected:
    virtual void ProcessArea(TAreaElement* area);
};

// Builds the topology of a line layer with the tools above and writes it into the
// property objects of its lines (links A-D). Answers the messages of GEOS failures.
std::vector<std::string> BuildLineTopology(TPolyLineString* lines);

void RegisterWendrikClasses();
