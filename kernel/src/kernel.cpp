#include "kernel/kernel.h"

#include "kernel/e_inhmdl.h"

void RegisterKernelClasses() {
    static bool done = false;
    if (done) return;
    done = true;
    // Units register here in their initialisation order.
    RegisterInhMdlUnit();
}
