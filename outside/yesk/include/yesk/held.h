// A reference that is not owned and knows when its object is gone: it keeps the object's
// serial number, so a later object at the same address is never taken for it.
#pragma once
#include <cstdint>

#include "platform/rtti.h"

template <class T> class THeld {
public:
    THeld() = default;
    THeld(T* p) { Set(p); }
    void Set(T* p) {
        p_ = p;
        serial_ = p ? p->Serial() : 0;
    }
    // The object while it lives; nil once it was freed.
    T* Get() const { return p_ && IsLive(p_, serial_) ? p_ : nullptr; }
    // The pointer as set, alive or not.
    T* Raw() const { return p_; }

private:
    T* p_ = nullptr;
    uint64_t serial_ = 0;
};
