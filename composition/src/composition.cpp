#include "composition/composition.h"

#include "composition/modelfile.h"

void RegisterCompositionClasses() {
    static bool done = false;
    if (done) return;
    done = true;
    // Units register here in their initialisation order.
    RegisterESaverUnit();
    RegisterELoaderUnit();
}
