// The quad tree of map elements: an index of their rectangles that grows while it is
// queried. It refers to the elements (not owned); an element freed meanwhile is skipped.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "space/space.h"

class TSpaceEntityQTree : public TOwnerEntity {
    ZARIX_CLASS(TSpaceEntityQTree, TOwnerEntity)

public:
    void Create() override;
    void Destroy() override;

    // Adds a non-empty element with a finite rectangle; answers whether it was added.
    bool AddSpaceEntity(TSpaceEntity* element);
    // Number of elements added.
    int32_t Count() const;
    // The element added as the index-th, nil once freed.
    TSpaceEntity* Entry(int32_t index) const;
    // Whether the point lies in the rectangle of all elements (edges included).
    bool ContainsXY(double x, double y) const;
    const TRectangle& Bounds() const { return FBounds; }
    // Live elements whose rectangles meet the rectangle grown by the margin, in the order
    // they were added.
    std::vector<TSpaceEntity*> Query(double minX, double minY, double maxX, double maxY, double margin = 0) const;
    // Hands the live elements whose rectangles meet the rectangle grown by the margin to
    // the visitor, in no set order, until it answers false.
    void Visit(double minX, double minY, double maxX, double maxY, double margin,
               const std::function<bool(TSpaceEntity*)>& visit) const;
    // Indexes of those elements (live or not), in the order they were added.
    std::vector<int32_t> QueryIndexes(double minX, double minY, double maxX, double maxY, double margin = 0) const;
    // The elements whose rectangles hold the point: the leaf a descent from the root
    // into the first child holding the point ends in.
    std::vector<TSpaceEntity*> LeafAt(double x, double y) const { return Query(x, y, x, y); }
    // Drops every element (the elements stay).
    void ClearEntries();

private:
    struct Index;
    struct Item {
        TSpaceEntity* Element;
        uint64_t Serial;
    };
    Index* FIndex = nullptr;  // made on first use
    std::vector<Item> FItems;
    TRectangle FBounds;
};
