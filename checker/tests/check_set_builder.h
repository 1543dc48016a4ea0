// Check sets built as the editor builds them: nodes with a data model (layer lines) and an
// interpret model (interprets with their settings and check tools with theirs).
#pragma once
#include <string>
#include <utility>
#include <vector>

#include "interpret/models.h"

using TSettings = std::vector<std::pair<std::string, std::string>>;

inline void AddPropertyModels(TElementModel* model, const TSettings& settings) {
    for (const auto& [name, value] : settings) {
        TPropertyModel* p = TPropertyModel::New();
        p->SetName(name);
        p->Value = value;
        model->GetModelProperties()->AddElement(p);
    }
}

// An interpret model of the class, named, with its settings.
inline TInterpretModel* AddInterpretModel(TInterpretNode* node, const std::string& cls, const std::string& name,
                                          const TSettings& settings = {}) {
    TInterpretModelEntity* models = node->GetInterpretModel();
    if (!models) {
        models = TInterpretModelEntity::New();
        models->SetName("Interpretační model");
        node->SetInterpretModel(models);
    }
    TInterpretModel* m = TInterpretModel::New();
    m->SetName(name);
    m->ElementClassName = cls;
    AddPropertyModels(m, settings);
    models->AddElement(m);
    return m;
}

// A check tool model of the class under the interpret model.
inline TToolModel* AddCheckModel(TInterpretModel* interpret, const std::string& cls, const std::string& name,
                                 const TSettings& settings) {
    TToolModel* m = TToolModel::New();
    m->SetName(name);
    m->ElementClassName = cls;
    AddPropertyModels(m, settings);
    interpret->GetModelTools()->AddElement(m);
    return m;
}

// A check node reading the layer lines.
inline TInterpretNode* AddCheckNode(TInterpretNodeEntity* set, const std::string& name,
                                    const std::vector<std::string>& layers) {
    TInterpretNode* node = TInterpretNode::New();
    node->SetName(name);
    TStringListElement* data = TStringListElement::New();
    data->SetName("Data");
    for (const std::string& line : layers) {
        size_t eq = line.find('=');
        data->AddNameString(line.substr(0, eq), eq == std::string::npos ? "" : line.substr(eq + 1));
    }
    node->SetDataModel(data);
    set->AddElement(node);
    return node;
}
