// The run of a check set: node by node the map data is loaded into the working area, the
// node's interpret model becomes an interpret script, and a universal interpret runs it
// over the data; folder-structure nodes compare the data folder with their template. Every
// node writes into the one protocol device.
#pragma once
#include <cstdint>
#include <string>

#include "interpret/models.h"

// Runs a check set (a TInterpretNodeEntity given as Input).
class TInterpretNodeEntityInterpret : public TInterpret {
    ZARIX_CLASS(TInterpretNodeEntityInterpret, TInterpret)
    static void Publish(PropertyTable& t);

public:
    std::string DataDirectory;     // the map data's folder, also compared by folder nodes
    bool InterpretIModel = false;  // print each node's settings; set anew by every run

    // "WORK" in the world's object model, made there when missing.
    TOwnerEntity* GetWorkingArea();
    void SetWorkingArea(TOwnerEntity* area);
    // The universal interpret of the working area, made there as "UI" when missing.
    TUniversalInterpret* GetUI();
    // The check node being run.
    TInterpretNode* GetCurrentNode() const;

    bool QGoInside(TElement* element) override;
    bool QProcessBefore(TElement* element) override;
    bool IsItsClass(TElement* element) override;
    // The run of the node entity's children, in order.
    void Process(TElement* element) override;

private:
    void RunNodes(TInterpretNodeEntity* entity, TDevice* device);
    void RunCheckNode(TInterpretNode* node, int32_t index, int32_t count, TDevice* device);
    // The node's data model loaded as "DATA" into the working area; false when none.
    bool LoadData(TInterpretNode* node);
    // The node's interpret script added to the working area; false when none.
    bool CreateScript(TInterpretNode* node);
    void PrintDataModel(TInterpretNode* node, TDevice* device);
    void ClearWorkingArea();

    TOwnerEntity* FWorkingArea = nullptr;
    uint64_t FWorkingAreaSerial = 0;
    TInterpretNode* FCurrentNode = nullptr;
    uint64_t FCurrentNodeSerial = 0;
};

// Prints an interpret model entity (Input): its interpret models with their settings and
// their check tools with theirs.
class TInterpretIModel : public TInterpret {
    ZARIX_CLASS(TInterpretIModel, TInterpret)
    static void Publish(PropertyTable& t);

public:
    std::string Header;

    void DoIt() override;

private:
    void WriteProperties(TElementModel* model, TDevice* device);
    std::string FIndent;
};
