// Comparison of two element trees: a tree of nodes, each naming the element of the left
// and of the right tree it compared and how they differ, driven by a per-class script of
// key properties and compared properties.
#pragma once
#include <cstdint>
#include <string>

#include "kernel/elements.h"
#include "kernel/inheritance_models.h"
#include "kernel/tools.h"
#include "kernel/value_elements.h"

enum TCompareStatus : uint8_t { csOK, csLeftNotFound, csRightNotFound, csDifference, csClassNotFound };
enum TCompareType : uint8_t { ctCompareNames, ctCompareNameAndClass, ctCompareAll };
const TTypeInfo* TypeInfoTCompareStatus();
const TTypeInfo* TypeInfoTCompareType();

class TCompareModel;
class TCompareNodes;

class TCompareNode : public TOwnerEntity {
    ZARIX_CLASS(TCompareNode, TOwnerEntity)
    static void Publish(PropertyTable& t);

public:
    TCompareStatus Status = csOK;

    // A node of the comparison whose root is root.
    static TCompareNode* NewNode(TCompareModel* root);

    TElement* GetModel1() const;
    TElement* GetModel2() const;
    // Stores the element and adds it as a child; a previous one is only removed.
    void SetModel1(TElement* model);
    virtual void SetModel2(TElement* model);
    std::string GetModel1Name();
    std::string GetModel2Name();
    // "Differences": the properties that differ, as P=result lines.
    TStringListElement* GetErrProps();
    TCompareNodes* GetNodes();
    TCompareModel* GetRoot() const;
    void SetRoot(TCompareModel* root);

    // Compares the node's elements and, as far as they agree, their children.
    void Compare();
    // A child node list, difference list, progress tool or compare script replaces the
    // node's own one (a model file read after the comparison ran again holds the stored
    // results).
    void AddElement(TElement* element) override;
    // Lets go of the compared elements, which stay their makers', then frees the node's own
    // children.
    void Destroy() override;

protected:
    // The node's own child of the same role as the element, other than the compared ones.
    TElement* SameRole(TElement* element);
    void HoldModel(TElement*& field, uint64_t& serial, TElement* model);
    void CompareProperties();
    TElement* FModel1 = nullptr;
    uint64_t FModel1Serial = 0;
    TElement* FModel2 = nullptr;
    uint64_t FModel2Serial = 0;
    TCompareModel* FRoot = nullptr;
    uint64_t FRootSerial = 0;
};

// The child nodes of a node; its name is always "NODES".
class TCompareNodes : public TEnvelopeEntity {
    ZARIX_CLASS(TCompareNodes, TEnvelopeEntity)

public:
    std::string GetName() override { return "NODES"; }
};

// What a class's elements are compared by: key properties that find the counterpart and
// properties whose texts must agree.
class TCompareClassModel : public TInheritanceModel {
    ZARIX_CLASS(TCompareClassModel, TInheritanceModel)
    static void Publish(PropertyTable& t);

public:
    TStringListElement* GetKeyProperties();
    TStringListElement* GetProperties();
    void SetNextKeyProperty(const std::string& name);
    void SetNextProperty(const std::string& name);

private:
    TStringListElement* Named(const char* name);
};

class TCompareClassModels : public TInheritanceModelEntity {
    ZARIX_CLASS(TCompareClassModels, TInheritanceModelEntity)
    static void Publish(PropertyTable& t);

public:
    TElementClass GetItemClass() override;
    TCompareClassModel* GetActualClassModel();
    // The most specific class model for the class, or nil; the last answer is kept.
    TCompareClassModel* ClassModelFor(TElementClass cls);

private:
    TElementClass FLastClass = nullptr;
    TCompareClassModel* FLastModel = nullptr;
    uint64_t FLastSerial = 0;
};

// The root of a comparison: setting Model2 compares.
class TCompareModel : public TCompareNode {
    ZARIX_CLASS(TCompareModel, TCompareNode)
    static void Publish(PropertyTable& t);

public:
    TCompareType CompareType = ctCompareNames;
    bool CompareThruDifference = false;

    void Create() override;
    void SetModel2(TElement* model) override;
    TCompareClassModels* GetCompareScript();
    void SetCompareScript(TCompareClassModels* script);
    TTool* GetProgress();
    // The nodes compared in the last comparison.
    int32_t ComparedCount() const { return FCounter; }

private:
    friend class TCompareNode;
    int32_t FCounter = 0;
    TCompareClassModels* FScript = nullptr;
};

// Registers the comparison classes.
void RegisterCompareModelUnit();
