// The key map: the fixed sheet system with key-map page classes, the user map spaces, the
// base-map sheet and a vector drawing of the territory. Sheets are marked Selected and
// gathered (or inverted) by TSelectGuide and TInvertGuide.
#pragma once
#include <cstdint>
#include <string>

#include "composition/map_spaces.h"
#include "kernel/recursor.h"

// Holds the user map spaces.
class TUserMapSpaces : public TRectEntity {
    ZARIX_CLASS(TUserMapSpaces, TRectEntity)
};

// Holds the polylines of the vector drawing.
class TVectors : public TOwnerEntity {
    ZARIX_CLASS(TVectors, TOwnerEntity)
};

// Key-map pages keep a sheet only while it is Selected or still holds sub-sheets; the
// pruning goes from the finest sheets up, so no selection below a sheet is lost.
// Frees the unselected sheets of the tree's index and the columns left empty (1:5000 and
// 1:10000 key-map sheets).
void PruneUnselectedSheets(TSpaceTree* tree);
// Prunes each indexed sheet in order, then frees the sheets left without sub-sheets
// (1:25000 and 1:50000 key-map sheets).
void PruneEachSheet(TSpaceTree* tree);

class TGuidePage_2 : public TSMO_2 {
    ZARIX_CLASS(TGuidePage_2, TSMO_2)
};

class TGuidePage_5 : public TSMO_5 {
    ZARIX_CLASS(TGuidePage_5, TSMO_5)
    static void Publish(PropertyTable& t);

public:
    TSMO_2* NewDetail() override;
    void Prune() override { PruneUnselectedSheets(this); }
};

class TGuidePage_10 : public TSMO_10 {
    ZARIX_CLASS(TGuidePage_10, TSMO_10)

public:
    TSMO_5* NewDetail() override;
    void Prune() override { PruneUnselectedSheets(this); }
};

class TGuidePage_25 : public TSMO_25 {
    ZARIX_CLASS(TGuidePage_25, TSMO_25)

public:
    void Prune() override { PruneEachSheet(this); }
};

class TGuidePage_50 : public TSMO_50 {
    ZARIX_CLASS(TGuidePage_50, TSMO_50)

public:
    TSMO_10* NewDetail10() override;
    TSMO_25* NewDetail25() override;
    void Prune() override { PruneEachSheet(this); }
};

class TGuide : public TSMO {
    ZARIX_CLASS(TGuide, TSMO)
    static void Publish(PropertyTable& t);

public:
    // Always "Průvodce ".
    std::string GetName() override;

    // Both run EnsureStructure first.
    TVectors* GetVectors();
    TUserMapSpaces* GetUserMapSpaces();
    // Free the one held before and keep the new one without adding it to the children
    // (the model-file reader brings it in as a child).
    void SetVectors(TVectors* vectors);
    void SetUserMapSpaces(TUserMapSpaces* spaces);
    bool HasVectors();
    bool HasUserMapSpaces();

    // The child TMapsZM named "ZM", made when missing.
    TMapsZM* GetZM();
    // The first TZMSpace child, made when missing.
    TZMSpace* GetZMSpace();

    // Makes what is missing and puts the base-map space, the base-map element and the
    // vector drawing in this order.
    void EnsureStructure();
    // The sheet list "MAPLSMO.txt" in the running program's folder.
    void LoadSheetList();
    void Reload();
    // Adds the space and grows the user map spaces over it.
    void AddUserMapSpace(TUserMapSpace* space);
    // The last user map space holding the point, or nil.
    TUserMapSpace* FindUserMapSpaceAt(double x, double y);

    TSMO_50* NewSheet50() override;

    // Old model format: the sheet system's part, then the vector drawing and the user map
    // spaces as nested elements.
    void Load(TReader& reader, TEntity* dictionary) override;
    void Save(TWriter& writer) override;

private:
    TVectors* HeldVectors();
    TUserMapSpaces* HeldUserMapSpaces();
    void MoveChild(TElement* element, int32_t to);
    TVectors* FVectors = nullptr;
    uint64_t FVectorsSerial = 0;
    TUserMapSpaces* FUserMapSpaces = nullptr;
    uint64_t FUserMapSpacesSerial = 0;
    TMapsZM* FZM = nullptr;
    TZMSpace* FZMSpace = nullptr;
};

// Gathers the selected sheets of the finest series flagged (or the selected user or
// base-map spaces) into a new entity, handed on as Output (the caller's).
class TSelectGuide : public TRecursor {
    ZARIX_CLASS(TSelectGuide, TRecursor)

public:
    bool Sel_50 = false;
    bool Sel_25 = false;
    bool Sel_10 = false;
    bool Sel_5 = false;
    bool Sel_2 = false;
    bool Sel_U = false;
    bool Sel_ZM = false;
    TEntity* Result = nullptr;

    bool QGoInside(TElement* element) override;
    bool QProcessBefore(TElement* element) override;
    void Process(TElement* element) override;
    void DoIt() override;

protected:
    // Whether a fixed-series sheet belongs to the finest series flagged.
    bool Qualifies(TMapSpace* sheet);
    virtual void Take(TMapSpace* sheet);
};

// The same qualification; a qualifying sheet that was not selected goes to the result,
// and every qualifying sheet's Selected is inverted.
class TInvertGuide : public TSelectGuide {
    ZARIX_CLASS(TInvertGuide, TSelectGuide)

public:
    void Process(TElement* element) override;

protected:
    void Take(TMapSpace* sheet) override;
};

void RegisterKeyMapUnit();
