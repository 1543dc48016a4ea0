#include "composition/default_interpret_script.h"

#include "composition/map_spaces.h"
#include "composition/modelfile.h"
#include "composition/page_interprets.h"
#include "composition/pages.h"
#include "gravo/gravo.h"
#include "interpret/interpret.h"
#include "raster/raster.h"
#include "space/space.h"
#include "platform/scope_exit.h"
#include "kernel/element_holder.h"

namespace {

// One interpret for the element class and the string class of its kind.
void AddKind(TISClass* node, TInterpret* interpret, TElementClass element, TElementClass string) {
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
    // The checking program has no rasters and draws points only as elements.
    bool checking = ModelFileProfile() == TModelFileProfile::Tarvine;
    if (UseRasters && !checking) rects->CreateAndAddClass(TRaster::StaticClass(), TRasterInterpret::New());
    AddKind(rects, TInterpretTopTextu::New(), TTextElement::StaticClass(), TTextString::StaticClass());
    if (checking) rects->CreateAndAddClass(TPointElement::StaticClass(), TInterpretTopBodu::New());
    else AddKind(rects, TInterpretTopBodu::New(), TPointElement::StaticClass(), TPointString::StaticClass());
    AddKind(rects, TInterpretTopPloch::New(), TAreaElement::StaticClass(), TAreaString::StaticClass());
    AddKind(rects, TInterpretTopLinii::New(), TPolyLineElement::StaticClass(), TPolyLineString::StaticClass());
    rects->CreateAndAddClass(TDesktop::StaticClass(), TDesktopInterpret::New());
    rects->CreateAndAddClass(TSMO_5::StaticClass(), TSMO_Interpret::New());
}

TInterpretScript* NewDefaultInterpretScript() {
    TElementHolder<TUniversalGravoScriptCreator> creator(TUniversalGravoScriptCreator::New());
    // An output that is no script, or one of a failed run, is freed with the creator.
    auto dropOutput = MakeScopeExit([&creator] {
        Free(creator->Output);
        creator->Output = nullptr;
    });
    creator->DoIt();
    auto* script = As<TInterpretScript>(creator->Output);
    if (script) creator->Output = nullptr;
    return script;
}
