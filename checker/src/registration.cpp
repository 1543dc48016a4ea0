#include "checker/check_interprets.h"
#include "checker/check_set_run.h"
#include "checker/check_tools.h"
#include "checker/folder_structure_checks.h"
#include "checker/geometry_checks.h"
#include "checker/spatial_operations.h"
#include "checker/object_envelope.h"
#include "checker/script_tools.h"
#include "composition/composition.h"
#include "kernel/class_registry.h"

void RegisterCheckerClasses() {
    static bool done = false;
    if (done) return;
    done = true;
    RegisterCompositionClasses();
    RegisterZarixClass<TCheckTool>();
    RegisterZarixClass<TCheckPropsTool>();
    RegisterZarixClass<TCheckPropsByFilter>();
    RegisterZarixClass<TIntegerPropertyFilter>();
    RegisterZarixClass<TPropertiesToListTool>();
    RegisterZarixClass<TPropertiesToTextTool>();
    RegisterZarixClass<TShowMessage>();
    RegisterZarixClass<TObjectEnvelope>();
    RegisterZarixClass<THierarchyTemplate>();
    RegisterZarixClass<TDirectoryHCheckNode>();
    RegisterZarixClass<TDirectoryHCheckTool>();
    RegisterZarixClass<TCheckInterpret>();
    RegisterZarixClass<TTestInterpret>();
    RegisterZarixClass<TTestAreaInterpret>();
    RegisterZarixClass<TTestLineInterpret>();
    RegisterZarixClass<TTestPointInterpret>();
    RegisterZarixClass<TTestTextInterpret>();
    RegisterZarixClass<TTextDeviceInterpret>();
    RegisterZarixClass<TCheckLineStringInterpret>();
    RegisterZarixClass<TInterpretNodeEntityInterpret>();
    RegisterWendrikClasses();
    RegisterZarixClass<TCheckPolyAngle>();
    RegisterZarixClass<TCheckPolyDistance>();
    RegisterZarixClass<TCheckPolyLineOverlay>();
    RegisterZarixClass<TCheckAreaPointInside>();
    RegisterZarixClass<TCheckPointPointDistance>();
    RegisterZarixClass<TCheckPointLineDistance>();
    RegisterZarixClass<TCheckLineConnection>();
    RegisterZarixClass<TCheckGravoAreaInFather>();
    RegisterZarixClass<TFindFirstSpaceEntityForXY>();
    RegisterZarixClass<TSpaceStringToQTree>();
    RegisterZarixClass<TSpOperInside>();
    RegisterZarixClass<TAreasToQTree>();
    RegisterZarixClass<TAreaToAreaAndLines>();
}
