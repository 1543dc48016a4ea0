#include "kernel/kernel.h"

#include "kernel/class_registry.h"
#include "kernel/file_elements.h"
#include "kernel/memory_elements.h"
#include "kernel/time_elements.h"
#include "kernel/elements.h"
#include "kernel/inheritance_models.h"
#include "kernel/system_register.h"
#include "kernel/value_elements.h"
#include "kernel/recursor.h"
#include "kernel/tools.h"
#include "kernel/world.h"

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
