#include "composer/composer.h"

#include "composer/condition_filter.h"
#include "composer/map_sheet_production.h"
#include "composer/main_tool.h"
#include "composer/map_sheet_editor.h"
#include "composer/sheet_job.h"
#include "composer/tiling.h"
#include "workbench/program_startup.h"
#include "workbench/workbench.h"

void RegisterComposerClasses() {
    static bool done = false;
    if (done) return;
    done = true;
    RegisterProgramClasses();
    // Units register here in their initialisation order.
    RegisterMapSheetProductionUnit();
    RegisterMainToolUnit();
    RegisterMapSheetEditorUnit();
    RegisterSheetJobUnit();
    RegisterTilingUnit();
    RegisterConditionFilterUnit();
}
