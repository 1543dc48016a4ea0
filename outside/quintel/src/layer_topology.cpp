// The topology a model script asks for: @TOPOLOGY=1 on a layer (or for every layer)
// gives its elements topology properties; a line layer gets its links, @AREAS=layer
// names the areas its closed regions are matched with; @FATHER=layer gives each area the
// index of the area of that layer holding its reference point.
#include <memory>

#include "gravo/topology.h"
#include "platform/sysutils.h"
#include "quintel/quintel.h"
#include "space/space_tree.h"
#include "wendrik/wendrik.h"

namespace {

bool Asked(const std::string& value) {
    std::string v = AnsiUpperCase(value);
    return !v.empty() && v != "0" && v != "FALSE" && v != "NE";
}

TSpaceEntityString* StringNamed(TRectEntity* model, const std::string& name) {
    if (name.empty()) return nullptr;
    for (int32_t i = 0; i < model->ElementsCount(); ++i)
        if (auto* s = As<TSpaceEntityString>(model->Get(i)); s && AnsiSameText(s->GetName(), name)) return s;
    return nullptr;
}

void SetFathers(TSpaceEntityString* areas, TSpaceEntityString* fathers) {
    TSpaceEntityQTree* tree = TSpaceEntityQTree::New();
    for (int32_t i = 0; i < fathers->ElementsCount(); ++i) tree->AddSpaceEntity(As<TAreaElement>(fathers->Get(i)));
    for (int32_t i = 0; i < areas->ElementsCount(); ++i) {
        auto* area = As<TAreaElement>(areas->Get(i));
        auto* props = area ? As<TGravoAreaProps>(area->GetPropertyObject()) : nullptr;
        if (!props) continue;
        props->FatherIndex = -1;
        double x = area->GetRefX(), y = area->GetRefY();
        for (int32_t k : tree->QueryIndexes(x, y, x, y)) {
            auto* father = As<TAreaElement>(tree->Entry(k));
            if (father && father != area && father->IsPointInside(x, y)) {
                props->FatherIndex = fathers->IndexOf(father);
                break;
            }
        }
    }
    Free(tree);
}

}  // namespace

void BuildModelTopology(TModelScript* script, TRectEntity* model, std::vector<std::string>& notes) {
    if (!script || !model) return;
    for (TLayerScript* layer : script->Layers()) {
        if (!Asked(script->Parameter(layer, "@TOPOLOGY"))) continue;
        TSpaceEntityString* string = StringNamed(model, layer->GetName());
        if (!string) continue;
        auto topology = std::make_shared<TGravoTopology>();
        TSpaceEntityString* fathers = StringNamed(model, layer->Parameter("@FATHER"));
        if (As<TPolyLineString>(string)) {
            topology->SetLayer('L', string);
            topology->SetLayer('P', As<TAreaString>(StringNamed(model, layer->Parameter("@AREAS"))));
        } else if (As<TAreaString>(string)) {
            topology->SetLayer('P', As<TAreaString>(fathers));
        } else if (As<TPointString>(string)) {
            topology->SetLayer('B', string);
        }
        AttachTopologyProps(string, topology);
        if (auto* lines = As<TPolyLineString>(string)) {
            for (std::string& m : BuildLineTopology(lines))
                notes.push_back(Cz("Vrstva ") + layer->GetName() + Cz(": topologie: ") + m);
        } else if (As<TAreaString>(string) && As<TAreaString>(fathers)) {
            SetFathers(string, fathers);
        } else if (!layer->Parameter("@FATHER").empty() && As<TAreaString>(string)) {
            notes.push_back(Cz("Vrstva ") + layer->GetName() + Cz(": otcovská vrstva ") + layer->Parameter("@FATHER") +
                            Cz(" není plošná"));
        }
    }
}
