// Helpers shared by the kernel tests; the platform's helpers (temporary folders, file
// reading, separator scope, installed host) come with them.
#pragma once
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "../../platform/tests/test_support.h"
#include "kernel/class_registry.h"
#include "kernel/elements.h"
#include "kernel/messages.h"
#include "platform/forms.h"
#include "platform/rtti.h"

// Frees an element at the end of the scope.
template <class T> struct Owned {
    T* p;
    explicit Owned(T* e) : p(e) {}
    ~Owned() { Free(p); }
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;
    T* operator->() const { return p; }
    operator T*() const { return p; }
};

// A new element of class T with that name.
template <class T> T* NewNamed(const std::string& name) {
    T* e = T::New();
    e->SetName(name);
    return e;
}

// Frees the element messages still queued and empties the queue.
inline void DropQueue() {
    std::vector<TZarixMessage*> left;
    ForEachQueued([&](TMsg& m) {
        if (TZarixMessage* zm = ElementMessageOf(m.message, m.lParam)) left.push_back(zm);
    });
    RemoveQueuedMessages([](TMsg&) { return true; });
    for (TZarixMessage* zm : left)
        if (IsLive(zm)) Free(zm);
}

// Whether the published property of that name is stored.
inline bool Stored(TPersistent* obj, const char* name) {
    const TPropInfo* p = GetPropInfo(obj, name);
    return p && IsStoredProp(obj, *p);
}

// The names of an entity's children, in order.
inline std::vector<std::string> ChildNames(TEntity* e) {
    std::vector<std::string> names;
    for (int i = 0; i < e->ElementsCount(); ++i) names.push_back(e->Get(i)->GetName());
    return names;
}

// Each class is in the class registry, registered after the one before it.
inline void ExpectRegisteredInOrder(std::initializer_list<const char*> names) {
    int32_t last = -1;
    for (const char* name : names) {
        TZarixClass* entry = ZarixClasses->GetZarixClassByName(name);
        ASSERT_NE(entry, nullptr) << name;
        EXPECT_GT(entry->ID, last) << name;
        last = entry->ID;
    }
}
