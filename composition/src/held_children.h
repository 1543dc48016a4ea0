// Fields that hold one of the entity's children.
#pragma once
#include "kernel/elements.h"

namespace composition_detail {

// The held child, or nil once it is no longer a child of the entity (freed or removed
// by other means).
template <class T> T* StillHeld(TEntity* entity, T*& field) {
    if (field && entity->IndexOf(field) < 0) field = nullptr;
    return field;
}

// Frees the held child (FreeElement: only when no other owner keeps it) and holds the
// new element as a child, adding it unless it is one already. The held element itself
// changes nothing.
template <class T> void ExchangeHeldChild(TEntity* entity, T*& field, T* element) {
    StillHeld(entity, field);
    if (element == field) return;
    if (T* previous = field) {
        field = nullptr;
        entity->FreeElement(previous);
    }
    field = element;
    if (element && entity->IndexOf(element) < 0) entity->AddElement(element);
}

// An element handed to a setter that nothing holds yet: the model-file reader makes it a
// child after setting the property and reads the property back meanwhile. Such an
// element is kept and answered, but neither used as held nor freed.
template <class T> bool AwaitsLinking(T* field, uint64_t serial) {
    return field && IsLive(field, serial) && field->GetOwnersCount() == 0;
}

// The held child, or nil; a field awaiting its linking is kept.
template <class T> T* HeldOrLinking(TEntity* entity, T*& field, uint64_t serial) {
    if (!field) return nullptr;
    if (entity->IndexOf(field) >= 0) return field;
    if (!AwaitsLinking(field, serial)) field = nullptr;
    return nullptr;
}

}  // namespace composition_detail
