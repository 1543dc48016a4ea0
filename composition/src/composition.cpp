#include "composition/composition.h"

#include "composition/compare_model.h"
#include "composition/database_classes.h"
#include "composition/forest_units.h"
#include "composition/task_groups.h"
#include "composition/key_map.h"
#include "composition/key_map_interprets.h"
#include "composition/map_spaces.h"
#include "composition/modelfile.h"
#include "composition/page_interprets.h"
#include "composition/pages.h"
#include "composition/symbol_interprets.h"
#include "composition/text_blocks.h"
#include "composition/text_devices.h"
#include "composition/texts.h"
#include "composition/views.h"
#include "device/device.h"
#include "explorer/explorer.h"
#include "gravo/gravo.h"
#include "interpret/interpret.h"
#include "pelvar/pelvar.h"
#include "quintel/quintel.h"
#include "raster/raster.h"
#include "space/space.h"
#include "symbol/symbol.h"
#include "yesk/yesk.h"
#include "kernel/kernel.h"

void RegisterCompositionClasses() {
    static bool done = false;
    if (done) return;
    done = true;
    // The kernel and the outside packages in the order they build on each other.
    RegisterKernelClasses();
    RegisterPelvarClasses();
    RegisterDeviceClasses();
    RegisterInterpretClasses();
    RegisterSpaceClasses();
    RegisterYeskClasses();
    RegisterQuintelClasses();
    RegisterSymbolClasses();
    RegisterRasterClasses();
    RegisterGravoClasses();
    RegisterExplorerClasses();
    // Units register here in their initialisation order.
    RegisterESaverUnit();
    RegisterELoaderUnit();
    RegisterSpaceTreeUnit();
    RegisterBaseMapUnit();
    RegisterMapSpacesUnit();
    RegisterKeyMapUnit();
    RegisterKeyMapInterpretsUnit();
    RegisterTextDevicesUnit();
    RegisterPagesUnit();
    RegisterMapSheetUnit();
    RegisterViewUnit();
    RegisterGravoViewUnit();
    RegisterTextBlockUnit();
    RegisterTextsUnit();
    RegisterUserSymbolColorUnit();
    RegisterSymbolInterpretsUnit();
    RegisterPageInterpretsUnit();
    RegisterDatabaseClassUnit();
    RegisterCompareModelUnit();
    RegisterForestUnitsUnit();
    RegisterTaskGroupsUnit();
}
