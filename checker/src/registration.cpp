#include "checker/check_tools.h"
#include "checker/folder_structure_checks.h"
#include "checker/object_envelope.h"
#include "checker/script_tools.h"
#include "kernel/class_registry.h"

void RegisterCheckerClasses() {
    static bool done = false;
    if (done) return;
    done = true;
    RegisterZarixClass<TCheckTool>();
    RegisterZarixClass<TCheckPropsTool>();
    RegisterZarixClass<TCheckPropsByFilter>();
    RegisterZarixClass<TIntegerPropertyFilter>();
    RegisterZarixClass<TPropertiesToListTool>();
    RegisterZarixClass<TPropertiesToTextTool>();
    RegisterZarixClass<TShowMessage>();
    RegisterZarixClass<TInstanceProperties>();
    RegisterZarixClass<TObjectEnvelope>();
    RegisterZarixClass<THierarchyTemplate>();
    RegisterZarixClass<TDirectoryHCheckNode>();
    RegisterZarixClass<TDirectoryHCheckTool>();
}
