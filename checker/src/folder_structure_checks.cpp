#include "checker/folder_structure_checks.h"

#include <vector>

#include "kernel/file_elements.h"
#include "platform/sysutils.h"

const char kProtocolStars[] = "******************************************";

namespace {

THierarchyTemplate* TemplateChild(TEntity* entity, int32_t index) {
    return As<THierarchyTemplate>(entity->Get(index));
}

// Missing nodes (htsClear) or extra ones (htsNew): such a node is taken and not entered.
void Collect(THierarchyTemplate* node, THierarchyTemplateStatus status, std::vector<THierarchyTemplate*>& found) {
    if (node->Status == status) {
        found.push_back(node);
        return;
    }
    int32_t n = node->ElementsCount();
    for (int32_t i = 0; i < n; ++i)
        if (THierarchyTemplate* child = TemplateChild(node, i)) Collect(child, status, found);
}

// Resets the template however the check ends.
struct ResetOnExit {
    THierarchyTemplate* node;
    ~ResetOnExit() { node->SetDoReset(true); }
};

}  // namespace

// ---- THierarchyTemplate -------------------------------------------------------------

const TTypeInfo* TypeInfoTHierarchyTemplateStatus() {
    static const TTypeInfo* t = MakeEnumType("THierarchyTemplateStatus", {"htsClear", "htsFull", "htsNew"});
    return t;
}

void THierarchyTemplate::Publish(PropertyTable& t) {
    using C = THierarchyTemplate;
    t.Field<C, THierarchyTemplateStatus>("Status", TypeInfoTHierarchyTemplateStatus(), &C::Status);
    // A link into a folder listing that lives only during one check.
    t.Obj<C, TElement>("HierarchyElement", &C::GetHierarchyElement, &C::SetHierarchyElement).Stored(false);
    t.Obj<C, TElement>("TemplateElement", [](C*) -> TElement* { return nullptr; }, &C::SetTemplateElement)
        .Stored(false);
    t.Str<C>("FullPath", &C::GetFullPath, nullptr);
    t.Bool<C>("DoReset", nullptr, &C::SetDoReset);
}

TElement* THierarchyTemplate::GetHierarchyElement() const {
    return IsLive(FHierarchyElement, FHierarchySerial) ? FHierarchyElement : nullptr;
}

void THierarchyTemplate::SetHierarchyElement(TElement* element) {
    Status = THierarchyTemplateStatus::htsFull;
    FHierarchyElement = element;
    FHierarchySerial = element ? element->Serial() : 0;
    auto* entity = As<TEntity>(element);
    if (!entity) return;
    int32_t n = entity->ElementsCount();
    for (int32_t i = 0; i < n; ++i) {
        TElement* child = entity->Get(i);
        if (!child) continue;
        std::string name = child->GetName();
        if (auto* node = As<THierarchyTemplate>(FindElementName(name))) {
            node->SetHierarchyElement(child);
        } else {
            THierarchyTemplate* added = THierarchyTemplate::New();
            added->SetName(name);
            added->Status = THierarchyTemplateStatus::htsNew;
            AddElement(added);
        }
    }
}

void THierarchyTemplate::SetTemplateElement(TElement* element) {
    Status = THierarchyTemplateStatus::htsClear;
    auto* entity = As<TEntity>(element);
    if (!entity) return;
    int32_t n = entity->ElementsCount();
    for (int32_t i = 0; i < n; ++i) {
        TElement* child = entity->Get(i);
        if (!child) continue;
        THierarchyTemplate* node = THierarchyTemplate::New();
        node->SetName(child->GetName());
        AddElement(node);
        node->SetTemplateElement(child);
    }
}

std::string THierarchyTemplate::GetFullPath() {
    std::string path = GetName();
    TEntity* owner = FindOwnerClass(THierarchyTemplate::StaticClass());
    // A template cannot hold one of its holders, so the walk up ends.
    while (auto* node = As<THierarchyTemplate>(owner)) {
        path = node->GetName() + "\\" + path;
        owner = node->FindOwnerClass(THierarchyTemplate::StaticClass());
    }
    return path;
}

void THierarchyTemplate::SetDoReset(bool value) {
    if (!value) return;
    Status = THierarchyTemplateStatus::htsClear;
    FHierarchyElement = nullptr;
    FHierarchySerial = 0;
    for (int32_t i = ElementsCount() - 1; i >= 0; --i) {
        THierarchyTemplate* child = TemplateChild(this, i);
        if (!child) continue;
        if (child->Status == THierarchyTemplateStatus::htsNew) FreeElement(child);
        else child->SetDoReset(true);
    }
}

// ---- TDirectoryHCheckNode -----------------------------------------------------------

void TDirectoryHCheckNode::Publish(PropertyTable& t) {
    using C = TDirectoryHCheckNode;
    t.Field<C>("LostDirText", &C::LostDirText);
    t.Field<C>("NewDirText", &C::NewDirText);
    // The template is stored as the node's child.
    t.Obj<C, THierarchyTemplate>("Template", &C::GetTemplate, &C::SetTemplate).Stored(false);
}

THierarchyTemplate* TDirectoryHCheckNode::GetTemplate() {
    if (auto* found = As<THierarchyTemplate>(FindElementClass(THierarchyTemplate::StaticClass()))) return found;
    THierarchyTemplate* root = THierarchyTemplate::New();
    root->SetName("root");
    AddElement(root);
    return root;
}

void TDirectoryHCheckNode::SetTemplate(THierarchyTemplate* value) {
    auto* present = As<THierarchyTemplate>(FindElementClass(THierarchyTemplate::StaticClass()));
    if (present == value && value) {
        value->SetName("root");
        return;
    }
    if (present) FreeElement(present);
    if (!value) return;
    value->SetName("root");
    AddElement(value);
}

// ---- TDirectoryHCheckTool -----------------------------------------------------------

void TDirectoryHCheckTool::Publish(PropertyTable& t) {
    using C = TDirectoryHCheckTool;
    t.Obj<C, TDirectoryHCheckNode>("Node", &C::GetNode, &C::SetNode);
    t.Field<C>("Directory", &C::Directory);
}

TDirectoryHCheckNode* TDirectoryHCheckTool::GetNode() const {
    return IsLive(FNode, FNodeSerial) ? FNode : nullptr;
}

void TDirectoryHCheckTool::SetNode(TDirectoryHCheckNode* node) {
    FNode = node;
    FNodeSerial = node ? node->Serial() : 0;
}

void TDirectoryHCheckTool::DoIt() {
    TDevice* device = GetDevice();
    if (!device) return;
    device->WriteLine(" ");
    device->WriteLine(Cz("    Kontrola Adresářové struktury "));
    device->WriteLine(kProtocolStars);
    TDirectoryHCheckNode* node = GetNode();
    if (!node) return;
    THierarchyTemplate* root = node->GetTemplate();
    ResetOnExit reset{root};
    {
        TDirectoryElement* folder = TDirectoryElement::New();
        folder->DirOnly = true;
        try {
            folder->SetFileName(Directory);
            root->SetHierarchyElement(folder);
        } catch (...) {
            Free(folder);
            throw;
        }
        Free(folder);
    }
    std::vector<THierarchyTemplate*> missing, extra;
    Collect(root, THierarchyTemplateStatus::htsClear, missing);
    Collect(root, THierarchyTemplateStatus::htsNew, extra);
    if (missing.empty() && extra.empty()) {
        device->WriteLine(" O.K.");
    } else {
        for (THierarchyTemplate* n : missing) device->WriteLine(Cz("Chybí:  ") + n->GetFullPath());
        for (THierarchyTemplate* n : extra) device->WriteLine(Cz("Navíc:  ") + n->GetFullPath());
    }
    missing.clear();
    extra.clear();
    root->SetDoReset(true);
    device->WriteLine(kProtocolStars);
    device->WriteLine(" ");
}
