#include "workbench/workbench.h"

#include "composition/composition.h"
#include "workbench/desktop_template_text.h"
#include "workbench/folder_dialogs.h"
#include "workbench/print_pages.h"
#include "workbench/progress_monitor.h"

void RegisterWorkbenchClasses() {
    static bool done = false;
    if (done) return;
    done = true;
    RegisterCompositionClasses();
    // Units register here in their initialisation order.
    RegisterProgressMonitorUnit();
    RegisterFolderDialogsUnit();
    RegisterPrintPagesUnit();
    RegisterDesktopTemplateUnit();
}
