#include "checker/folder_structure_checks.h"

#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "kernel/file_elements.h"
#include "platform/sysutils.h"
#include "platform/scope_exit.h"
#include "kernel/element_holder.h"

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
    // A folder listed on demand is read only where the template reaches.
    if (auto* folder = As<TDirectoryElement>(element)) folder->ListOnce();
    auto* entity = As<TEntity>(element);
    if (!entity) return;
    const int32_t n = entity->ElementsCount();
    if (n == 0) return;
    // The nodes not matched yet in this run, by name and by name with letter case folded;
    // a node takes one child only, so of two children that differ in case one is extra.
    using Nodes = std::unordered_map<std::string, std::vector<THierarchyTemplate*>>;  // in template order
    Nodes byName, byFolded;
    for (int32_t i = 0; i < ElementsCount(); ++i) {
        THierarchyTemplate* node = TemplateChild(this, i);
        if (!node || node->Status != THierarchyTemplateStatus::htsClear) continue;
        std::string name = node->GetName();
        byFolded[AnsiUpperCase(name)].push_back(node);
        byName[std::move(name)].push_back(node);
    }
    std::vector<THierarchyTemplate*> matched(static_cast<size_t>(n), nullptr);
    std::unordered_set<THierarchyTemplate*> taken;
    auto take = [&](Nodes& nodes, int32_t i, const std::string& key) {
        auto found = nodes.find(key);
        if (found == nodes.end()) return;
        for (THierarchyTemplate* node : found->second)
            if (taken.insert(node).second) {
                matched[static_cast<size_t>(i)] = node;
                return;
            }
    };
    // The exact name first, so that "Alfa" goes to its own node even after "ALFA".
    for (int32_t i = 0; i < n; ++i)
        if (TElement* child = entity->Get(i)) take(byName, i, child->GetName());
    for (int32_t i = 0; i < n; ++i)
        if (TElement* child = entity->Get(i); child && !matched[static_cast<size_t>(i)])
            take(byFolded, i, AnsiUpperCase(child->GetName()));
    for (int32_t i = 0; i < n; ++i) {
        TElement* child = entity->Get(i);
        if (!child) continue;
        if (THierarchyTemplate* node = matched[static_cast<size_t>(i)]) {
            node->SetHierarchyElement(child);
        } else {
            THierarchyTemplate* added = THierarchyTemplate::New();
            added->SetName(child->GetName());
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
    auto reset = MakeScopeExit([root] { root->SetDoReset(true); });
    {
        TElementHolder<TDirectoryElement> folder(TDirectoryElement::New());
        folder->DirOnly = true;
        folder->ListSubFolders = false;  // the matching enters only the folders it names
        folder->SetFileName(Directory);
        root->SetHierarchyElement(folder.Get());
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
