#include "interpret/models.h"

#include "kernel/class_registry.h"
#include "platform/sysutils.h"

namespace {

// The field while it is still a live child of the entity.
template <class T> T* LiveChild(TEntity* self, T*& field) {
    if (field && (!IsLive(field) || self->IndexOf(field) < 0)) field = nullptr;
    return field;
}

// The children of the entity that are of class T, in child order.
template <class T> std::vector<T*> ChildrenOf(TEntity* entity) {
    std::vector<T*> list;
    int32_t n = entity->ElementsCount();
    for (int32_t i = 0; i < n; ++i)
        if (auto* child = As<T>(entity->Get(i))) list.push_back(child);
    return list;
}

template <class T> void HoldChild(TEntity* self, T*& field, T* element) {
    LiveChild(self, field);
    if (field == element) return;
    if (field) self->FreeElement(field);
    field = element;
    if (element && self->IndexOf(element) < 0) self->AddElement(element);
}

TPropertyModel* FindPropertyModel(TElementModel* model, const std::string& name) {
    for (TPropertyModel* p : PropertyModelsOf(model))
        if (AnsiSameText(p->GetName(), name)) return p;
    return nullptr;
}

std::vector<TToolModel*> ToolModelsOf(TToolModel* model) {
    if (!model || model->GetNoModelTools()) return {};
    return ChildrenOf<TToolModel>(model->GetModelTools());
}

TToolModel* FindByName(const std::vector<TToolModel*>& models, const std::string& name) {
    for (TToolModel* m : models)
        if (AnsiSameText(m->GetName(), name)) return m;
    return nullptr;
}

void AddMissingProperties(TToolModel* own, TToolModel* from) {
    for (TPropertyModel* p : PropertyModelsOf(from)) {
        if (FindPropertyModel(own, p->GetName())) continue;
        TPropertyModel* copy = TPropertyModel::New();
        copy->SetName(p->GetName());
        copy->Alias = p->Alias;
        copy->Value = p->Value;
        own->GetModelProperties()->AddElement(copy);
    }
    std::vector<TToolModel*> fromSubs = ToolModelsOf(from);
    for (TToolModel* sub : ToolModelsOf(own))
        if (TToolModel* match = FindByName(fromSubs, sub->GetName())) AddMissingProperties(sub, match);
}

// A registered class of the name that descends from the base; nil otherwise.
TElementClass ClassOf(const std::string& name, TElementClass base) {
    TElementClass cls = GetZarixClass(name);
    return (cls && cls->InheritsFrom(base)) ? cls : nullptr;
}

void ApplyProperties(TElement* target, TElementModel* model) {
    for (TPropertyModel* p : PropertyModelsOf(model)) target->SetPropertyStringByName(p->GetName(), p->Value);
}

}  // namespace

// ---- models ------------------------------------------------------------------------------

std::vector<TPropertyModel*> PropertyModelsOf(TElementModel* model) {
    if (!model || model->GetNoModelProperties()) return {};
    return ChildrenOf<TPropertyModel>(model->GetModelProperties());
}

TToolModel* CopyToolModel(TToolModel* model) {
    if (!model) return nullptr;
    auto* copy = static_cast<TToolModel*>(model->ClassType()->CreateInstance());
    copy->SetName(model->GetName());
    copy->ImageIndex = model->ImageIndex;
    copy->ElementClassName = model->ElementClassName;
    copy->Comment = model->Comment;
    copy->Alias = model->Alias;
    copy->AttachToPropertyName = model->AttachToPropertyName;
    copy->DynamicTool = model->DynamicTool;
    AddMissingProperties(copy, model);
    for (TToolModel* sub : ToolModelsOf(model)) copy->GetModelTools()->AddElement(CopyToolModel(sub));
    return copy;
}

std::vector<TPropertyModel*> TInterpretModel::GetPropertyModels() { return PropertyModelsOf(this); }

std::vector<TToolModel*> TInterpretModel::GetSubModels() { return ToolModelsOf(this); }

std::vector<TToolModel*> SubModelsOf(TToolModel* model) { return ToolModelsOf(model); }

// ---- TInterpretModelEntity ---------------------------------------------------------------

void TInterpretModelEntity::Publish(PropertyTable& t) {
    t.Obj<TInterpretModelEntity, TToolModel>("ModelToAdd", nullptr, &TInterpretModelEntity::SetModelToAdd);
    t.Obj<TInterpretModelEntity, TToolModel>("ModelToDelete", nullptr, &TInterpretModelEntity::SetModelToDelete);
}

std::vector<TToolModel*> TInterpretModelEntity::GetModels() { return ChildrenOf<TToolModel>(this); }

void TInterpretModelEntity::SetModelToAdd(TToolModel* model) {
    if (model) AddElement(CopyToolModel(model));
}

void TInterpretModelEntity::SetModelToDelete(TToolModel* model) {
    if (model && IndexOf(model) >= 0) FreeElement(model);
}

void TInterpretModelEntity::AddProperties(TInterpretModelEntity* palette) {
    if (!palette) return;
    std::vector<TToolModel*> available = palette->GetModels();
    for (TToolModel* own : GetModels())
        if (TToolModel* match = FindByName(available, own->GetName())) AddMissingProperties(own, match);
}

// ---- TInterpretNode ----------------------------------------------------------------------

void TInterpretNode::Publish(PropertyTable& t) {
    t.Obj<TInterpretNode, TStringListElement>("DataModel", &TInterpretNode::GetDataModel,
                                              &TInterpretNode::SetDataModel);
    t.Obj<TInterpretNode, TInterpretModelEntity>("InterpretModel", &TInterpretNode::GetInterpretModel,
                                                 &TInterpretNode::SetInterpretModel);
    t.Bool<TInterpretNode>("Dynamic", &TInterpretNode::GetDynamic, &TInterpretNode::SetDynamic);
}

TStringListElement* TInterpretNode::GetDataModel() { return LiveChild(this, FDataModel); }

void TInterpretNode::SetDataModel(TStringListElement* model) { HoldChild(this, FDataModel, model); }

TInterpretModelEntity* TInterpretNode::GetInterpretModel() { return LiveChild(this, FInterpretModel); }

void TInterpretNode::SetInterpretModel(TInterpretModelEntity* model) { HoldChild(this, FInterpretModel, model); }

// ---- TInterpretNodeEntity ----------------------------------------------------------------

void TInterpretNodeEntity::Publish(PropertyTable& t) {
    t.Bool<TInterpretNodeEntity>("DynamicModel", &TInterpretNodeEntity::GetDynamicModel,
                                 &TInterpretNodeEntity::SetDynamicModel);
    t.Bool<TInterpretNodeEntity>("NoSettings", &TInterpretNodeEntity::GetNoSettings,
                                 &TInterpretNodeEntity::SetNoSettings);
}

void TInterpretNodeEntity::SetDynamicModel(bool value) {
    FDynamicModel = value;
    int32_t n = ElementsCount();
    for (int32_t i = 0; i < n; ++i)
        if (TInterpretNode* node = GetInterpretNode(i)) node->SetDynamic(value);
}

TInterpretNode* TInterpretNodeEntity::GetInterpretNode(int32_t index) {
    if (index < 0 || index >= ElementsCount()) return nullptr;
    return As<TInterpretNode>(Get(index));
}

// ---- TInterpretModelToIntrepretScript ----------------------------------------------------

void TInterpretModelToIntrepretScript::DoIt() {
    inherited::DoIt();
    SetOutput(nullptr);
    auto* entity = As<TInterpretModelEntity>(Input);
    if (!entity) return;
    TChainInterpret* chain = TChainInterpret::New();
    int made = 0;
    for (TToolModel* model : entity->GetModels()) {
        TElementClass cls = ClassOf(model->ElementClassName, TInterpret::StaticClass());
        if (!cls) continue;
        auto* it = static_cast<TInterpret*>(cls->CreateInstance());
        it->SetName(model->GetName());
        ApplyProperties(it, model);
        for (TToolModel* sub : ToolModelsOf(model)) {
            TElementClass toolCls = ClassOf(sub->ElementClassName, TTool::StaticClass());
            if (!toolCls) continue;
            auto* tool = static_cast<TTool*>(toolCls->CreateInstance());
            tool->SetName(sub->GetName());
            ApplyProperties(tool, sub);
            it->AddTool(tool);
        }
        chain->SetNextInterpret(it);
        ++made;
    }
    if (made == 0) {
        Free(chain);
        return;
    }
    TInterpretScript* script = TInterpretScript::New();
    script->SetName("Interpret Script");
    script->SetIClass(TElement::StaticClass());
    script->SetInterpret(chain);
    SetOutput(script);
}
