// The topology a model script asks for: @TOPOLOGY=1 on a layer (or for every layer)
// gives its elements topology properties; a line layer gets its links, @AREAS=layer
// names the areas its closed regions are matched with; @FATHER=layer gives each area the
// index of the area of that layer holding its reference point, or with @FATHERKEY=field
// (or field=father field) of the area whose field has the element's value; a point
// layer with @FATHER gets fathers too.
#include <memory>
#include <unordered_map>

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

// The father of each element: with a key (field=father field, or one name for both) the
// first father area whose value equals the element's, else the first father area that
// holds the element's reference point.
void SetFathers(TSpaceEntityString* children, TSpaceEntityString* fathers, const std::string& key) {
    std::string own = key, theirs = key;
    if (size_t eq = key.find('='); eq != std::string::npos) {
        own = Trim(key.substr(0, eq));
        theirs = Trim(key.substr(eq + 1));
    }
    std::unordered_map<std::string, int32_t> byKey;
    TSpaceEntityQTree* tree = TSpaceEntityQTree::New();
    for (int32_t i = 0; i < fathers->ElementsCount(); ++i) {
        auto* father = As<TAreaElement>(fathers->Get(i));
        if (!father) continue;
        tree->AddSpaceEntity(father);
        if (!key.empty()) byKey.try_emplace(father->GetPropertyStringByName(theirs), i);
    }
    for (int32_t i = 0; i < children->ElementsCount(); ++i) {
        auto* child = As<TSpaceEntity>(children->Get(i));
        auto* props = child ? As<TGravoAreaProps>(child->GetPropertyObject()) : nullptr;
        if (!props) continue;
        props->FatherIndex = -1;
        if (!key.empty()) {
            auto it = byKey.find(child->GetPropertyStringByName(own));
            if (it != byKey.end()) props->FatherIndex = it->second;
            continue;
        }
        double x = child->GetRefX(), y = child->GetRefY();
        for (int32_t k : tree->QueryIndexes(x, y, x, y)) {
            auto* father = As<TAreaElement>(tree->Entry(k));
            if (father && father != child && father->IsPointInside(x, y)) {
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
        std::string fatherName = layer->Parameter("@FATHER");
        auto* fathers = As<TPolyLineString>(string) ? nullptr : As<TAreaString>(StringNamed(model, fatherName));
        if (!fatherName.empty() && !fathers && !As<TPolyLineString>(string))
            notes.push_back(Cz("Vrstva ") + layer->GetName() + Cz(": otcovská vrstva ") + fatherName +
                            Cz(" není načtená plošná vrstva"));
        if (As<TPolyLineString>(string)) {
            topology->SetLayer('L', string);
            topology->SetLayer('P', As<TAreaString>(StringNamed(model, layer->Parameter("@AREAS"))));
        } else {
            topology->SetLayer('P', fathers);
            if (As<TPointString>(string)) topology->SetLayer('B', string);
        }
        AttachTopologyProps(string, topology, fathers != nullptr);
        if (auto* lines = As<TPolyLineString>(string)) {
            for (std::string& m : BuildLineTopology(lines))
                notes.push_back(Cz("Vrstva ") + layer->GetName() + Cz(": topologie: ") + m);
        }
        if (fathers) SetFathers(string, fathers, layer->Parameter("@FATHERKEY"));
    }
}
