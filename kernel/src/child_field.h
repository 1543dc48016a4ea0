// Fields that hold one child of their entity, made on first use or replaced by a setter.
#pragma once
#include "kernel/elements.h"

// The element in field while it is alive and still a child of owner; otherwise the field
// is cleared and nil answered.
template <class T> T* StillChild(TEntity* owner, T*& field) {
    if (field && (owner->IndexOf(field) < 0 || !IsLive(field))) field = nullptr;
    return field;
}

// The child in field; a new one, named when a name is given, when it is gone.
template <class T> T* ChildMadeOnUse(TEntity* owner, T*& field, const char* name = nullptr) {
    if (!StillChild(owner, field)) {
        field = T::New();
        if (name) field->SetName(name);
        owner->AddElement(field);
    }
    return field;
}

// Releases the child held in field and makes the new element the held child; setting
// the held child again changes nothing.
template <class T> void ExchangeChild(TEntity* owner, T*& field, T* element) {
    StillChild(owner, field);
    owner->ExchangeFieldElement(field, element);
}
