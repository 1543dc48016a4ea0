#include "composition/default_interpret_script.h"

#include "composition/map_spaces.h"
#include "composition/page_interprets.h"
#include "composition/pages.h"
#include "interpret/interpret.h"
#include "kernel/class_registry.h"
#include "raster/raster.h"
#include "space/space.h"

namespace {

// An interpret of the drawing package by its class name; nil while that package has not
// registered it.
TInterpret* DrawingInterpret(const char* name) {
    TElementClass cls = GetZarixClass(name);
    if (!cls) return nullptr;
    TPersistent* object = cls->CreateInstance();
    if (auto* interpret = As<TInterpret>(object)) return interpret;
    Free(object);
    return nullptr;
}

// One interpret for the element class and the string class of its kind.
void AddKind(TISClass* node, const char* interpretName, TElementClass element, TElementClass string) {
    TInterpret* interpret = DrawingInterpret(interpretName);
    if (!interpret) return;
    node->CreateAndAddClass(element, interpret);
    node->CreateAndAddClass(string, interpret);
}

}  // namespace

void TUniversalGravoScriptCreator::DoIt() {
    inherited::DoIt();
    TInterpretScript* script = TInterpretScript::New();
    script->SetIClass(TElement::StaticClass());
    Output = script;
    TISClass* rects = script->CreateAndAddClass(TRectEntity::StaticClass(), nullptr);
    script->CreateAndAddClass(TCross::StaticClass(), TInterpretKrizku::New());
    script->CreateAndAddClass(TLines::StaticClass(), TLinesInterpret::New());
    if (UseRasters) rects->CreateAndAddClass(TRaster::StaticClass(), TRasterInterpret::New());
    AddKind(rects, "TInterpretTopTextu", TTextElement::StaticClass(), TTextString::StaticClass());
    AddKind(rects, "TInterpretTopBodu", TPointElement::StaticClass(), TPointString::StaticClass());
    AddKind(rects, "TInterpretTopPloch", TAreaElement::StaticClass(), TAreaString::StaticClass());
    AddKind(rects, "TInterpretTopLinii", TPolyLineElement::StaticClass(), TPolyLineString::StaticClass());
    rects->CreateAndAddClass(TDesktop::StaticClass(), TDesktopInterpret::New());
    rects->CreateAndAddClass(TSMO_5::StaticClass(), TSMO_Interpret::New());
}
