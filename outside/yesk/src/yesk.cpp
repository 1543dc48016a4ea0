#include "yesk/yesk.h"

#include "kernel/class_registry.h"
#include "yesk/condition.h"

void RegisterYeskClasses() {
    static bool done = false;
    if (done) return;
    done = true;
    RegisterZarixClass<TCondition>();
    RegisterZarixClass<TCondCreator>();
}
