#include "composition/composition.h"

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

void RegisterCompositionClasses() {
    static bool done = false;
    if (done) return;
    done = true;
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
}
