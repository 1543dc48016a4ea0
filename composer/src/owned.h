// An element held for the length of a scope and freed at its end unless released.
#pragma once
#include <memory>

#include "kernel/elements.h"

template <class T> using Owned = std::unique_ptr<T, void (*)(TPersistent*)>;
template <class T> Owned<T> Own(T* p) { return Owned<T>(p, Free); }
