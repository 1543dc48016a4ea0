// Scoped state of the model file writers and readers: each guard undoes its change on
// every path out, an exception included.
#pragma once
#include "platform/forms.h"

namespace modelfile {

// Temporarily sets the hourglass; the default cursor comes back on every path.
class HourGlass {
public:
    HourGlass() { Screen().SetCursor(crHourGlass); }
    ~HourGlass() { Screen().SetCursor(crDefault); }
    HourGlass(const HourGlass&) = delete;
    HourGlass& operator=(const HourGlass&) = delete;
};

// Points a member at a local object (a stream, its reader or writer) while the guard
// lives; the member is nil again afterwards.
template <class T> class Lent {
public:
    Lent(T*& member, T* object) : member_(member) { member_ = object; }
    ~Lent() { member_ = nullptr; }
    Lent(const Lent&) = delete;
    Lent& operator=(const Lent&) = delete;

private:
    T*& member_;
};

}  // namespace modelfile
