// The element classes the model-file fuzz targets read: only classes whose properties
// touch nothing outside the element tree (no desktop files: naming one renames its
// file; no text blocks or map views: they read files), and the model-file tests' own,
// so that the tests' files seed the corpora.
#pragma once
#include "../composition/tests/modelfile_test_classes.h"
#include "composition/modelfile.h"
#include "composition/pages.h"
#include "composition/views.h"
#include "kernel/class_registry.h"
#include "kernel/elements.h"
#include "kernel/value_elements.h"

namespace fuzz {

inline void RegisterModelFileClasses() {
    RegisterEClassUnit();
    RegisterElementsUnit();
    RegisterETypeUnit();
    RegisterESaverUnit();
    RegisterELoaderUnit();
    RegisterZarixClass<TDesktop>();
    RegisterZarixClass<TMultiPageDesktop>();
    RegisterMapSheetUnit();
    RegisterViewUnit();
    mft::RegisterProbeClasses();
}

}  // namespace fuzz
