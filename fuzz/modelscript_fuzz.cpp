// Feeds arbitrary text as the name=value lines of a model script: the script is built,
// every layer's value text, file, parameters and condition are read, the script is turned
// back into lines (which must give the same script) and each value is tried as a vertex
// list. No file is opened.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "kernel/class_registry.h"
#include "kernel/kernel.h"
#include "platform/classes.h"
#include "quintel/quintel.h"
#include "space/space.h"
#include "yesk/condition.h"
#include "yesk/yesk.h"

namespace {

TModelScript* Build(TStringListElement* lines, const std::string& dir) {
    TModelScriptCreator* creator = TModelScriptCreator::New();
    creator->SetDataDirectory(dir);
    creator->SetInput(lines);
    creator->DoIt();
    auto* script = As<TModelScript>(creator->Output);
    Free(creator);
    return script;
}

std::vector<std::string> Lines(TModelScript* script) {
    TStringListFromModelScript* back = TStringListFromModelScript::New();
    back->SetInput(script);
    back->DoIt();
    auto* list = As<TStringListElement>(back->Output);
    std::vector<std::string> out;
    for (int32_t i = 0; i < list->ElementsCount(); ++i) out.push_back(list->GetSElems(i)->GetNameIsValue());
    Free(list);
    Free(back);
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static bool init = [] {
        RegisterKernelClasses();
        RegisterPelvarClasses();
        RegisterSpaceClasses();
        RegisterYeskClasses();
        RegisterQuintelClasses();
        return true;
    }();
    (void)init;
    std::string text(reinterpret_cast<const char*>(data), size);
    TStringList raw;
    raw.SetText(text);
    TStringListElement* input = TStringListElement::New(&raw);
    TModelScript* script = Build(input, "D:\\data");
    Free(input);

    TPolyLineElement* probe = TPolyLineElement::New();
    for (TLayerScript* layer : script->Layers()) {
        TLayerSource source = ParseLayerValue(layer->GetValue());
        (void)source;
        (void)script->LayerFile(layer);
        try {
            (void)CompileCondition(script->Parameter(layer, "@CONDITION"));
        } catch (const ECondError&) {
        }
        try {
            probe->SetVertices(layer->GetValue());
            if (probe->GetVertices().size() > 4 * layer->GetValue().size() + 64) __builtin_trap();
        } catch (const EConvertError&) {
        }
    }
    Free(probe);

    // The lines of the script make the same script again.
    std::vector<std::string> first = Lines(script);
    TStringListElement* again = TStringListElement::New();
    for (const std::string& l : first) again->AddString(l);
    TModelScript* second = Build(again, "D:\\data");
    if (Lines(second) != first) __builtin_trap();
    Free(second);
    Free(again);
    Free(script);
    return 0;
}
