#include "workbench/workbench.h"

#include "composition/composition.h"
#include "workbench/desktop_template_text.h"
#include "workbench/folder_dialogs.h"
#include "workbench/form_tool_manager.h"
#include "workbench/interactive_tools.h"
#include "workbench/key_map_tools.h"
#include "workbench/key_map_window.h"
#include "workbench/print_dialog.h"
#include "workbench/print_job.h"
#include "workbench/print_pages.h"
#include "workbench/progress_monitor.h"
#include "workbench/property_editor.h"
#include "workbench/choice_interpret.h"
#include "workbench/rect_editors.h"
#include "workbench/selection_tools.h"
#include "workbench/main_tool_base.h"

void RegisterWorkbenchClasses() {
    static bool done = false;
    if (done) return;
    done = true;
    RegisterCompositionClasses();
    // Units register here in their initialisation order.
    RegisterProgressMonitorUnit();
    RegisterFolderDialogsUnit();
    RegisterInteractiveToolsUnit();
    RegisterFormToolManagerUnit();
    RegisterKeyMapToolsUnit();
    RegisterKeyMapWindowUnit();
    RegisterPrintPagesUnit();
    RegisterPrintDialogUnit();
    RegisterPrintJobUnit();
    RegisterDesktopTemplateUnit();
    RegisterMainToolBaseUnit();
    RegisterPropertyEditorUnit();
    RegisterChoiceInterpretUnit();
    RegisterSelectionToolsUnit();
    RegisterRectEditorsUnit();
}
