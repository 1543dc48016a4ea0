#include "composition/compare_model.h"

#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "kernel/class_registry.h"
#include "platform/forms.h"
#include "platform/sysutils.h"

const TTypeInfo* TypeInfoTCompareStatus() {
    static const TTypeInfo* t = MakeEnumType(
        "TCompareStatus", {"csOK", "csLeftNotFound", "csRightNotFound", "csDifference", "csClassNotFound"});
    return t;
}

const TTypeInfo* TypeInfoTCompareType() {
    static const TTypeInfo* t = MakeEnumType("TCompareType", {"ctCompareNames", "ctCompareNameAndClass", "ctCompareAll"});
    return t;
}

namespace {

// A child of the entity other than the node's compared elements, found by a test.
template <class F> TElement* OwnChild(TEntity* e, TElement* m1, TElement* m2, F test) {
    for (int32_t i = 0; i < e->ElementsCount(); ++i) {
        TElement* c = e->Get(i);
        if (c && c != m1 && c != m2 && test(c)) return c;
    }
    return nullptr;
}

// Whether the entity's children are its own list (so they can be indexed once), not
// records it makes on demand.
bool ListsItsChildren(TEntity* e) { return e->ElementsCount() == (e->List() ? e->List()->Count() : 0); }

// Finds the counterparts of the left children among the right entity's children; each
// lookup is by an index built once per node.
class Counterparts {
public:
    Counterparts(TEntity* right, TCompareType type, TCompareClassModels* script)
        : right_(right), type_(type), script_(script), indexed_(right && ListsItsChildren(right)) {}

    // Nil when there is none; a class without a class model marks the searching node.
    TElement* Find(TElement* c, TCompareNode* searching) {
        if (!right_) return nullptr;
        switch (type_) {
            case ctCompareNames:
                if (!indexed_) return right_->FindElementName(c->GetName());
                IndexNames();
                if (auto it = byName_.find(AnsiUpperCase(c->GetName())); it != byName_.end()) return it->second.front();
                return nullptr;
            case ctCompareNameAndClass: {
                if (!indexed_) {
                    for (int32_t i = 0; i < right_->ElementsCount(); ++i) {
                        TElement* d = right_->Get(i);
                        if (d && d->ClassType() == c->ClassType() && AnsiSameText(d->GetName(), c->GetName())) return d;
                    }
                    return nullptr;
                }
                IndexNames();
                auto it = byName_.find(AnsiUpperCase(c->GetName()));
                if (it == byName_.end()) return nullptr;
                for (TElement* d : it->second)
                    if (d->ClassType() == c->ClassType()) return d;
                return nullptr;
            }
            case ctCompareAll: {
                TCompareClassModel* model = script_ ? script_->ClassModelFor(c->ClassType()) : nullptr;
                if (!model) {
                    searching->Status = csClassNotFound;
                    return nullptr;
                }
                TStringListElement* keys = model->GetKeyProperties();
                auto& index = byKey_[c->ClassType()];
                if (!index.built) {
                    index.built = true;
                    for (int32_t i = 0; i < right_->ElementsCount(); ++i) {
                        TElement* d = right_->Get(i);
                        if (d && d->ClassType() == c->ClassType()) {
                            if (indexed_) index.map.emplace(Key(d, keys), d);
                            else index.all.push_back(d);
                        }
                    }
                }
                std::string key = Key(c, keys);
                if (indexed_) {
                    auto it = index.map.find(key);
                    return it == index.map.end() ? nullptr : it->second;
                }
                for (TElement* d : index.all)
                    if (Key(d, keys) == key) return d;
                return nullptr;
            }
        }
        return nullptr;
    }

private:
    // The key properties' texts upper-cased, so that equal keys ignore letter case.
    static std::string Key(TElement* e, TStringListElement* keys) {
        std::string k;
        int32_t n = keys->ElementsCount();
        for (int32_t i = 0; i < n; ++i) {
            k += AnsiUpperCase(e->GetPropertyStringByName(keys->GetString(i)));
            k += '\0';
        }
        return k;
    }
    void IndexNames() {
        if (named_) return;
        named_ = true;
        for (int32_t i = 0; i < right_->ElementsCount(); ++i)
            if (TElement* d = right_->Get(i)) byName_[AnsiUpperCase(d->GetName())].push_back(d);
    }
    struct ClassIndex {
        bool built = false;
        std::unordered_map<std::string, TElement*> map;  // the first child of each key
        std::vector<TElement*> all;
    };
    TEntity* right_;
    TCompareType type_;
    TCompareClassModels* script_;
    bool indexed_;
    bool named_ = false;
    std::unordered_map<std::string, std::vector<TElement*>> byName_;
    std::unordered_map<TElementClass, ClassIndex> byKey_;
};

}  // namespace

// ---- nodes -----------------------------------------------------------------------------

void TCompareNode::Publish(PropertyTable& t) {
    using C = TCompareNode;
    t.Field("Status", TypeInfoTCompareStatus(), &C::Status);
    t.Obj<C, TElement>("Model1", &C::GetModel1, &C::SetModel1);
    t.Obj<C, TElement>("Model2", &C::GetModel2, &C::SetModel2);
    t.Str<C>("Model1Name", &C::GetModel1Name, nullptr);
    t.Str<C>("Model2Name", &C::GetModel2Name, nullptr);
    t.Obj<C, TStringListElement>("ErrProps", &C::GetErrProps, nullptr);
    t.Obj<C, TCompareNodes>("Nodes", &C::GetNodes, nullptr);
}

TCompareNode* TCompareNode::NewNode(TCompareModel* root) {
    TCompareNode* n = TCompareNode::New();
    n->SetRoot(root);
    return n;
}

TElement* TCompareNode::GetModel1() const { return IsLive(FModel1, FModel1Serial) ? FModel1 : nullptr; }
TElement* TCompareNode::GetModel2() const { return IsLive(FModel2, FModel2Serial) ? FModel2 : nullptr; }

TCompareModel* TCompareNode::GetRoot() const { return IsLive(FRoot, FRootSerial) ? FRoot : nullptr; }

void TCompareNode::SetRoot(TCompareModel* root) {
    FRoot = root;
    FRootSerial = root ? root->Serial() : 0;
}

void TCompareNode::HoldModel(TElement*& field, uint64_t& serial, TElement* model) {
    TElement* previous = IsLive(field, serial) ? field : nullptr;
    if (previous == model) return;
    // The compared trees are not the comparison's: the previous one is only let go.
    if (previous && IndexOf(previous) >= 0) RemoveElement(previous);
    field = model;
    serial = model ? model->Serial() : 0;
    if (model) AddElement(model);
}

namespace {
enum class Role { None, Nodes, Differences, Progress, Script };
Role RoleOf(TElement* c) {
    if (c->Is<TCompareNodes>()) return Role::Nodes;
    if (c->Is<TCompareClassModels>()) return Role::Script;
    if (c->Is<TStringListElement>() && c->GetName() == "Differences") return Role::Differences;
    if (c->Is<TTool>() && c->GetName() == "Progress") return Role::Progress;
    return Role::None;
}
}  // namespace

TElement* TCompareNode::SameRole(TElement* element) {
    Role role = RoleOf(element);
    if (role == Role::None) return nullptr;
    return OwnChild(this, GetModel1(), GetModel2(), [&](TElement* c) { return c != element && RoleOf(c) == role; });
}

void TCompareNode::AddElement(TElement* element) {
    if (element && element != GetModel1() && element != GetModel2()) {
        if (TElement* present = SameRole(element)) FreeElement(present);
    }
    TOwnerEntity::AddElement(element);
}

void TCompareNode::Destroy() {
    for (TElement* model : {GetModel1(), GetModel2()})
        while (model && IndexOf(model) >= 0) RemoveElement(model);
    FModel1 = FModel2 = nullptr;
    inherited::Destroy();
}

void TCompareNode::SetModel1(TElement* model) { HoldModel(FModel1, FModel1Serial, model); }
void TCompareNode::SetModel2(TElement* model) { HoldModel(FModel2, FModel2Serial, model); }

std::string TCompareNode::GetModel1Name() {
    TElement* m = GetModel1();
    return m ? m->GetName() : std::string();
}

std::string TCompareNode::GetModel2Name() {
    TElement* m = GetModel2();
    return m ? m->GetName() : std::string();
}

TStringListElement* TCompareNode::GetErrProps() {
    TElement* found = OwnChild(this, GetModel1(), GetModel2(), [](TElement* c) {
        return c->Is<TStringListElement>() && c->GetName() == "Differences";
    });
    if (found) return static_cast<TStringListElement*>(found);
    TStringListElement* list = TStringListElement::New();
    list->SetName("Differences");
    AddElement(list);
    return list;
}

TCompareNodes* TCompareNode::GetNodes() {
    TElement* found = OwnChild(this, GetModel1(), GetModel2(), [](TElement* c) { return c->Is<TCompareNodes>(); });
    if (found) return static_cast<TCompareNodes*>(found);
    TCompareNodes* nodes = TCompareNodes::New();
    AddElement(nodes);
    return nodes;
}

void TCompareNode::CompareProperties() {
    TCompareModel* root = GetRoot();
    TElement* m1 = GetModel1();
    TElement* m2 = GetModel2();
    TCompareClassModels* script = root ? root->GetCompareScript() : nullptr;
    TCompareClassModel* model = script ? script->ClassModelFor(m1->ClassType()) : nullptr;
    if (!model) {
        Status = csClassNotFound;
        return;
    }
    TStringListElement* props = model->GetProperties();
    for (int32_t i = 0; i < props->ElementsCount(); ++i) {
        std::string p = props->GetString(i);
        int r = AnsiCompareText(m1->GetPropertyStringByName(p), m2->GetPropertyStringByName(p));
        if (r != 0) {
            Status = csDifference;
            GetErrProps()->AddNameString(p, r < 0 ? "-1" : "1");
            return;
        }
    }
    Status = csOK;
}

void TCompareNode::Compare() {
    Status = csOK;
    TCompareModel* root = GetRoot();
    TElement* m1 = GetModel1();
    TElement* m2 = GetModel2();
    if (!m1) {
        Status = csLeftNotFound;
        if (m2) SetName(m2->GetName());
        return;
    }
    if (root) ++root->FCounter;
    SetName(m1->GetName());
    if (!m2) {
        Status = csRightNotFound;
        return;
    }
    if (root) {
        TTool* progress = root->GetProgress();
        progress->SetProgressText(m1->GetName() + " ... " + m2->GetName());
        progress->SetProgress(root->FCounter);
        Application().ProcessMessages();
    }
    TCompareType type = root ? root->CompareType : ctCompareNames;
    if (type == ctCompareAll) CompareProperties();
    auto* left = As<TEntity>(m1);
    if (!(Status == csOK || (root && root->CompareThruDifference)) || !left || left->NoElements()) return;
    // The elements may have gone while messages ran.
    if (!IsLive(m2, FModel2Serial)) return;
    auto* right = As<TEntity>(m2);
    if (right && right->NoElements()) right = nullptr;
    Counterparts counterparts(right, type, root && type == ctCompareAll ? root->GetCompareScript() : nullptr);
    std::unordered_set<TElement*> matched;
    TCompareNodes* nodes = GetNodes();
    for (int32_t i = 0; i < left->ElementsCount(); ++i) {
        TElement* c = left->Get(i);
        if (!c) continue;
        TCompareNode* node = NewNode(root);
        nodes->AddElement(node);
        node->SetModel1(c);
        if (TElement* d = counterparts.Find(c, this)) {
            node->SetModel2(d);
            matched.insert(d);
        }
        node->Compare();
    }
    if (!right) return;
    for (int32_t i = 0; i < right->ElementsCount(); ++i) {
        TElement* d = right->Get(i);
        if (!d || matched.count(d)) continue;
        TCompareNode* node = NewNode(root);
        nodes->AddElement(node);
        node->SetModel2(d);
        node->Compare();
    }
}

// ---- class models ----------------------------------------------------------------------

void TCompareClassModel::Publish(PropertyTable& t) {
    using C = TCompareClassModel;
    t.Obj<C, TStringListElement>("KeyProperties", &C::GetKeyProperties, nullptr);
    t.Obj<C, TStringListElement>("Properties", &C::GetProperties, nullptr);
    t.Str<C>("NextKeyProperty", nullptr, &C::SetNextKeyProperty);
    t.Str<C>("NextProperty", nullptr, &C::SetNextProperty);
}

TStringListElement* TCompareClassModel::Named(const char* name) {
    for (int32_t i = 0; i < ElementsCount(); ++i) {
        auto* c = As<TStringListElement>(Get(i));
        if (c && c->GetName() == name) return c;
    }
    TStringListElement* list = TStringListElement::New();
    list->SetName(name);
    AddElement(list);
    return list;
}

TStringListElement* TCompareClassModel::GetKeyProperties() { return Named("Key Properties"); }
TStringListElement* TCompareClassModel::GetProperties() { return Named("Properties"); }
void TCompareClassModel::SetNextKeyProperty(const std::string& name) { GetKeyProperties()->AddString(name); }
void TCompareClassModel::SetNextProperty(const std::string& name) { GetProperties()->AddString(name); }

void TCompareClassModels::Publish(PropertyTable& t) {
    using C = TCompareClassModels;
    t.Obj<C, TCompareClassModel>("ActualClassModel", &C::GetActualClassModel, nullptr);
}

TElementClass TCompareClassModels::GetItemClass() { return TCompareClassModel::StaticClass(); }

TCompareClassModel* TCompareClassModels::GetActualClassModel() { return As<TCompareClassModel>(ActualItem()); }

TCompareClassModel* TCompareClassModels::ClassModelFor(TElementClass cls) {
    if (cls == FLastClass && (!FLastModel || IsLive(FLastModel, FLastSerial))) return FLastModel;
    FLastClass = cls;
    FLastModel = As<TCompareClassModel>(GetItemForClass(cls));
    FLastSerial = FLastModel ? FLastModel->Serial() : 0;
    return FLastModel;
}

// ---- the root --------------------------------------------------------------------------

void TCompareModel::Publish(PropertyTable& t) {
    using C = TCompareModel;
    t.Obj<C, TCompareClassModels>("CompareScript", &C::GetCompareScript, &C::SetCompareScript);
    t.Field("CompareType", TypeInfoTCompareType(), &C::CompareType);
    t.Field("CompareThruDifference", &C::CompareThruDifference);
}

void TCompareModel::Create() {
    TCompareNode::Create();
    SetRoot(this);
    CompareType = ctCompareNames;
}

TCompareClassModels* TCompareModel::GetCompareScript() {
    if (FScript && IndexOf(FScript) >= 0) return FScript;
    FScript = As<TCompareClassModels>(
        OwnChild(this, GetModel1(), GetModel2(), [](TElement* c) { return c->Is<TCompareClassModels>(); }));
    if (!FScript) {
        FScript = TCompareClassModels::New();
        FScript->SetName("Compare Script");
        AddElement(FScript);
    }
    return FScript;
}

void TCompareModel::SetCompareScript(TCompareClassModels* script) {
    TCompareClassModels* held = FScript && IndexOf(FScript) >= 0 ? FScript : nullptr;
    if (held == script) return;
    FScript = nullptr;
    if (held) FreeElement(held);
    FScript = script;
    if (script && IndexOf(script) < 0) AddElement(script);
}

TTool* TCompareModel::GetProgress() {
    TElement* found = OwnChild(this, GetModel1(), GetModel2(),
                               [](TElement* c) { return c->Is<TTool>() && c->GetName() == "Progress"; });
    if (found) return static_cast<TTool*>(found);
    TTool* tool = TTool::New();
    tool->SetName("Progress");
    AddElement(tool);
    return tool;
}

void TCompareModel::SetModel2(TElement* model) {
    TCompareNode::SetModel2(model);
    // A new comparison replaces the nodes and differences of the last one.
    if (auto* nodes = As<TCompareNodes>(OwnChild(this, GetModel1(), GetModel2(),
                                                  [](TElement* c) { return c->Is<TCompareNodes>(); })))
        FreeElement(nodes);
    if (auto* diffs = As<TStringListElement>(OwnChild(this, GetModel1(), GetModel2(), [](TElement* c) {
            return c->Is<TStringListElement>() && c->GetName() == "Differences";
        })))
        FreeElement(diffs);
    TTool* progress = GetProgress();
    TElement* m1 = GetModel1();
    auto* left = As<TEntity>(m1);
    progress->StartProgress("Comparing elements: ", 0, left ? left->GetWholeCount() : 0);
    FCounter = 0;
    Compare();
    progress->EndProgress();
    Application().ProcessMessages();
}

void RegisterCompareModelUnit() {
    RegisterZarixClass<TCompareNode>();
    RegisterZarixClass<TCompareNodes>();
    RegisterZarixClass<TCompareModel>();
    RegisterZarixClass<TCompareClassModel>();
    RegisterZarixClass<TCompareClassModels>();
}
