#include "explorer/explorer.h"

#include <algorithm>
#include <unordered_set>

#include "kernel/class_registry.h"
#include "kernel/elements.h"
#include "kernel/world.h"

TExplorerForm::TExplorerForm() : TForm("TExplorerForm") { Add(TControlKind::Tree, "TreeView").ReadOnly = true; }

void TExplorer::Publish(PropertyTable& t) {
    using C = TExplorer;
    t.Field("OwnersView", &C::OwnersView);
    t.Field("Caption", &C::Caption);
}

std::string ExplorerLine(TElement* element) {
    std::string name = element->GetName();
    std::string cls = element->ClassName();
    return name.empty() || name == cls ? cls : name + " : " + cls;
}

void TExplorer::DoIt() {
    TElement* root = Input ? Input : World;
    FRoot.Set(root);
    if (!FForm) {
        FForm = std::make_unique<TExplorerForm>();
        THeld<TExplorer> self(this);
        FForm->OnCloseQuery = [self](TForm&) {
            // The tool frees the window when it ends.
            if (TExplorer* tool = self.Get()) tool->PostMsg(tm_QuitTask, tool, nullptr, false);
            return false;
        };
        // A node dragged out of the window carries its element (to a map window).
        (*FForm)["TreeView"].DragObject = [self]() -> void* {
            TExplorer* tool = self.Get();
            return tool ? static_cast<void*>(tool->SelectedElement()) : nullptr;
        };
    }
    FForm->Caption = !Caption.empty() ? Caption : root ? ExplorerLine(root) : std::string();
    Refresh();
    FForm->Show();
}

void TExplorer::Refresh() {
    if (!FForm) return;
    TControl& tree = (*FForm)["TreeView"];
    tree.Items.clear();
    tree.ItemIndex = -1;
    FLines.clear();
    std::vector<TElement*> path;
    if (TElement* root = FRoot.Get()) AddNode(root, 0, path);
}

void TExplorer::AddNode(TElement* element, int depth, std::vector<TElement*>& path) {
    TControl& tree = (*FForm)["TreeView"];
    tree.Items.push_back(std::string(static_cast<size_t>(depth) * 2, ' ') + ExplorerLine(element));
    FLines.emplace_back(element);
    // An element met again on its own path is shown but not opened again.
    if (std::find(path.begin(), path.end(), element) != path.end()) return;
    path.push_back(element);
    if (OwnersView) {
        for (int32_t i = 0; i < element->GetOwnersCount(); ++i)
            if (TElement* owner = element->GetOwnerEntity(i)) AddNode(owner, depth + 1, path);
    } else if (auto* entity = As<TEntity>(element)) {
        for (int32_t i = 0; i < entity->ElementsCount(); ++i)
            if (TElement* child = entity->Get(i)) AddNode(child, depth + 1, path);
    }
    path.pop_back();
}

TElement* TExplorer::ElementAt(int index) const {
    if (index < 0 || index >= static_cast<int>(FLines.size())) return nullptr;
    return FLines[static_cast<size_t>(index)].Get();
}

TElement* TExplorer::SelectedElement() const { return FForm ? ElementAt((*FForm)["TreeView"].ItemIndex) : nullptr; }

void TExplorer::Destroy() {
    FForm.reset();
    inherited::Destroy();
}

void RegisterExplorerClasses() {
    static bool done = false;
    if (done) return;
    done = true;
    RegisterZarixClass<TExplorer>();
}
