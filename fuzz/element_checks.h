// Shared by the fuzz targets that build element trees: the check that no entity holds
// itself or one of its owners, and a message hook that frees queued element messages.
#pragma once
#include <unordered_set>
#include <vector>

#include "kernel/elements.h"
#include "kernel/messages.h"
#include "platform/forms.h"

namespace fuzz {

// An entity below root (root included) holding one of its owners or itself; holder and
// held receive the entity and the child.
inline bool HoldsItself(TElement* root, TEntity** holder = nullptr, TElement** held = nullptr) {
    std::unordered_set<TElement*> onPath, done;
    struct Step {
        TElement* e;
        int next;
    };
    std::vector<Step> path{{root, 0}};
    onPath.insert(root);
    while (!path.empty()) {
        Step& top = path.back();
        auto* entity = As<TEntity>(top.e);
        if (!entity || top.next >= entity->ElementsCount()) {
            onPath.erase(top.e);
            done.insert(top.e);
            path.pop_back();
            continue;
        }
        TElement* child = entity->Get(top.next++);
        if (!child || done.count(child)) continue;
        if (onPath.count(child)) {
            if (holder) *holder = entity;
            if (held) *held = child;
            return true;
        }
        (void)child->GetName();  // a dangling child shows here
        onPath.insert(child);
        path.push_back({child, 0});
    }
    return false;
}

// Element messages posted during a run are freed when the queue is processed.
inline void FreeElementMessagesOnDelivery() {
    Application().OnMessage = [](TMsg& m, bool& handled) {
        if (TZarixMessage* zm = ElementMessageOf(m.message, m.lParam)) {
            handled = true;
            Free(zm);
        }
    };
}

}  // namespace fuzz
