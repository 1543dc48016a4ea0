#include "composer/composer.h"

#include "composer/map_sheet_production.h"
#include "workbench/workbench.h"

void RegisterComposerClasses() {
    static bool done = false;
    if (done) return;
    done = true;
    RegisterWorkbenchClasses();
    // Units register here in their initialisation order.
    RegisterMapSheetProductionUnit();
}
