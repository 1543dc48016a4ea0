// The spatial index under every map sheet: columns ordered by x, each holding its sheets
// ordered by y, so the sheet at a point costs one pass over the columns and one over a
// column. The index is part of the element tree and is stored with it.
#pragma once
#include <cstdint>

#include "pelvar/pelvar.h"

// One column: its children are the indexed sheets ordered by their minimum y.
class TSpaces : public TRectEntity {
    ZARIX_CLASS(TSpaces, TRectEntity)

public:
    // Grows over the sheet and puts it before the first sheet lying above its centre.
    virtual void AddSpace(TRectEntity* sheet);
};

// The columns, ordered by their minimum x.
class TSpaceMatrix : public TRectEntity {
    ZARIX_CLASS(TSpaceMatrix, TRectEntity)

public:
    // Into the first column holding the sheet's centre strictly inside its x range, else
    // into a new column at its place in x order.
    virtual void AddSpace(TRectEntity* sheet);
};

// A rectangle that indexes its sub-sheets in a matrix child.
class TSpaceTree : public TRectEntity {
    ZARIX_CLASS(TSpaceTree, TRectEntity)
    static void Publish(PropertyTable& t);

public:
    // The matrix; a new one is made and added to the children when missing.
    TSpaceMatrix* GetMatrix();
    // Frees the present matrix and keeps the given one without adding it to the children
    // (the model-file readers bring it in as a child). The present one again changes
    // nothing.
    void SetMatrix(TSpaceMatrix* matrix);
    // A matrix that is still one of the children.
    bool HasMatrix();
    int32_t ColumnCount();
    TSpaces* Column(int32_t index);
    // No matrix, no columns, or no sheet in any column.
    bool IsEmpty();

    virtual void AddSpace(TRectEntity* sheet);
    // Frees sub-sheets that are empty space trees and columns left without sheets.
    virtual void Prune();
    // The sheet strictly holding the point; points on a boundary belong to none.
    TRectEntity* FindAt(double x, double y);

    // Old model format: the inherited part, then the matrix's number.
    void Load(TReader& reader, TEntity* dictionary) override;
    void Save(TWriter& writer) override;

protected:
    TSpaceMatrix* HeldMatrix();
    TSpaceMatrix* FMatrix = nullptr;
    uint64_t FMatrixSerial = 0;
};

// The sheet holding the point the given number of levels below the tree (the tree itself
// for depth 0); nil when the point is outside the tree or a level has no such sheet.
TRectEntity* FindSheetAtDepth(TSpaceTree* tree, int32_t depth, double x, double y);

void RegisterSpaceTreeUnit();
