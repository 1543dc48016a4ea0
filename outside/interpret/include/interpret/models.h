// Check-set models: a check set is a node entity whose check nodes name a data model
// (name=value settings) and an interpret model (the interprets to run, each a tool model
// whose sub-models are its check tools). All are kept in model files through their
// published properties and children.
#pragma once
#include <string>
#include <vector>

#include "interpret/interpret.h"
#include "kernel/system_register.h"
#include "kernel/value_elements.h"

// One interpret to create: ElementClassName names the interpret class, the property
// models its settings, the model tools ("TOOLS") its check tools.
class TInterpretModel : public TToolModel {
    ZARIX_CLASS(TInterpretModel, TToolModel)

public:
    std::vector<TPropertyModel*> GetPropertyModels();
    std::vector<TToolModel*> GetSubModels();
};

// The property models of a model, in order (never creates the container).
std::vector<TPropertyModel*> PropertyModelsOf(TElementModel* model);
// The model tools (sub-models) of a model, in order (never creates the container).
std::vector<TToolModel*> SubModelsOf(TToolModel* model);
// A deep copy: class, name, settings, property models and model tools.
TToolModel* CopyToolModel(TToolModel* model);

// The interpret models of a check node, or the palette of available checks.
class TInterpretModelEntity : public TOwnerEntity {
    ZARIX_CLASS(TInterpretModelEntity, TOwnerEntity)
    static void Publish(PropertyTable& t);

public:
    std::vector<TToolModel*> GetModels();
    // Adds a copy of the model.
    void SetModelToAdd(TToolModel* model);
    // Frees the model from the entity.
    void SetModelToDelete(TToolModel* model);
    // Every own model (and sub-model) takes copies of the property models that the
    // palette's model of the same name has and it lacks.
    void AddProperties(TInterpretModelEntity* palette);
};

// A check node.
class TInterpretNode : public TOwnerEntity {
    ZARIX_CLASS(TInterpretNode, TOwnerEntity)
    static void Publish(PropertyTable& t);

public:
    // Both are children; setting one releases the previous. Nil once the child is gone.
    TStringListElement* GetDataModel();
    void SetDataModel(TStringListElement* model);
    TInterpretModelEntity* GetInterpretModel();
    void SetInterpretModel(TInterpretModelEntity* model);
    // Load the data as a dynamic model.
    bool GetDynamic() const { return FDynamic; }
    void SetDynamic(bool value) { FDynamic = value; }

private:
    TStringListElement* FDataModel = nullptr;
    TInterpretModelEntity* FInterpretModel = nullptr;
    bool FDynamic = false;
};

// A check set: its children are the nodes.
class TInterpretNodeEntity : public TOwnerEntity {
    ZARIX_CLASS(TInterpretNodeEntity, TOwnerEntity)
    static void Publish(PropertyTable& t);

public:
    // Dynamic models for the whole set: also sets every check node's flag.
    bool GetDynamicModel() const { return FDynamicModel; }
    void SetDynamicModel(bool value);
    // No settings print in the protocol.
    bool GetNoSettings() const { return FNoSettings; }
    void SetNoSettings(bool value) { FNoSettings = value; }
    // The child at the index when it is a check node.
    TInterpretNode* GetInterpretNode(int32_t index);

private:
    bool FDynamicModel = false;
    bool FNoSettings = false;
};

// Turns an interpret model entity (Input) into an interpret script (Output, taken over
// by the caller): the root class TElement with one chain interpret holding an interpret
// per model. Models naming no registered interpret class, and sub-models naming no
// tool class, are skipped; no interpret at all gives no script.
class TInterpretModelToIntrepretScript : public TTool {
    ZARIX_CLASS(TInterpretModelToIntrepretScript, TTool)

public:
    void DoIt() override;
};
