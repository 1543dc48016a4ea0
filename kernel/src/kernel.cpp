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
#include "platform/version_info.h"

SUITE_VERSION_BLOCK(3, 1, 0, 0,
                    "CompanyName\0ZARIX\0"
                    "FileDescription\0J\xe1" "dro\0"
                    "FileVersion\0" "3.01\0"
                    "InternalName\0Kernel\0"
                    "OriginalFilename\0libKernel.so\0"
                    "ProductName\0Kernel\0"
                    "ProductVersion\0" "3.01 BETA\0");

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
