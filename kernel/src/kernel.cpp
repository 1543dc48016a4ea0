#include "kernel/kernel.h"

#include "kernel/e_class.h"
#include "kernel/e_files.h"
#include "kernel/e_memory.h"
#include "kernel/e_time.h"
#include "kernel/elements.h"
#include "kernel/e_inhmdl.h"
#include "kernel/e_sysreg.h"
#include "kernel/e_type.h"
#include "kernel/recursor.h"
#include "kernel/tools.h"
#include "kernel/worlds.h"

void RegisterKernelClasses() {
    static bool done = false;
    if (done) return;
    done = true;
    // Units register here in their initialisation order.
    RegisterEClassUnit();
    RegisterElementsUnit();
    RegisterInhMdlUnit();
    RegisterETypeUnit();
    RegisterESysRegUnit();
    RegisterEElementModelUnit();
    RegisterEToolModelUnit();
    RegisterToolsUnit();
    RegisterRecursUnit();
    RegisterWorldsUnit();
    RegisterEFilesUnit();
    RegisterETimeUnit();
    RegisterEMemoryUnit();
}
