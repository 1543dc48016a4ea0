// Spatial operation tools for scripts: finding an element at a point in a tree, trees of
// strings and of areas, the elements of a string lying in those of another, an area with
// its parts.
#pragma once
#include "space/space_tree.h"
#include "wendrik/wendrik.h"

// Output: the first element of the tree's leaf at (X, Y) that lies at the point; nil.
class TFindFirstSpaceEntityForXY : public TTool {
    ZARIX_CLASS(TFindFirstSpaceEntityForXY, TTool)
    static void Publish(PropertyTable& t);

public:
    double X = 0;
    double Y = 0;
    void DoIt() override;
};

// Output: a new tree of the non-empty elements of Input (an entity), owned by the caller.
class TSpaceStringToQTree : public TTool {
    ZARIX_CLASS(TSpaceStringToQTree, TTool)

public:
    void DoIt() override;
};

// Output: a new string of the elements of Input whose reference points lie on an element
// of Operand (or of OperandQTree); nil when none does. Owned by the caller.
class TSpOperInside : public TTool {
    ZARIX_CLASS(TSpOperInside, TTool)
    static void Publish(PropertyTable& t);

public:
    TEntity* GetOperand() const;
    void SetOperand(TEntity* e) { FOperand.Set(e); }
    TSpaceEntityQTree* GetOperandQTree() const;
    void SetOperandQTree(TSpaceEntityQTree* t) { FOperandQTree.Set(t); }
    void DoIt() override;

private:
    template <class T> struct Ref {
        T* P = nullptr;
        uint64_t Serial = 0;
        void Set(T* p) {
            P = p;
            Serial = p ? p->Serial() : 0;
        }
        T* Get() const { return P && IsLive(P, Serial) ? P : nullptr; }
    };
    Ref<TEntity> FOperand;
    Ref<TSpaceEntityQTree> FOperandQTree;
};

// Output: a new tree of the areas of Input whose skip flag is not set, owned by the caller.
class TAreasToQTree : public TProchazecPlochGauge {
    ZARIX_CLASS(TAreasToQTree, TProchazecPlochGauge)

public:
    void DoIt() override;

protected:
    void ProcessArea(TAreaElement* area) override;
};

// Output: a new rectangle entity holding the area of Input and then its children.
class TAreaToAreaAndLines : public TTool {
    ZARIX_CLASS(TAreaToAreaAndLines, TTool)

public:
    void DoIt() override;
};
