#include "checker/checking_program.h"

#include "checker/check_set_editor.h"
#include "checker/check_tools.h"
#include "kernel/class_registry.h"
#include "workbench/program_startup.h"

namespace tarvine {

// ---- registration ---------------------------------------------------------------------

void RegisterCheckingProgramUnit() {
    RegisterZarixClass<TOptions>();
    RegisterZarixClass<TMainTool>();
}

void RegisterCheckingProgramClasses() {
    static bool done = false;
    if (done) return;
    done = true;
    RegisterProgramClasses();
    RegisterCheckerClasses();
    RegisterCheckSetEditorUnit();
    RegisterCheckingProgramUnit();
}

}  // namespace tarvine
