#include "yesk/yesk.h"

#include "kernel/class_registry.h"
#include "yesk/command_line.h"
#include "yesk/condition.h"

void RegisterYeskClasses() {
    static bool done = false;
    if (done) return;
    done = true;
    RegisterZarixClass<TCondition>();
    RegisterZarixClass<TCondCreator>();
    RegisterZarixClass<TCommandLine>();
    RegisterZarixClass<TCommandLineDlg>();
}
