#include "kernel/class_registry.h"
#include "quintel/quintel.h"

// ---- TModelByScriptCreator -------------------------------------------------------------------

void TModelByScriptCreator::Publish(PropertyTable& t) {
    t.Float<TModelByScriptCreator>("MinX", &TModelByScriptCreator::MinX, [](TModelByScriptCreator* c, double v) { c->MinX = v; });
    t.Float<TModelByScriptCreator>("MinY", &TModelByScriptCreator::MinY, [](TModelByScriptCreator* c, double v) { c->MinY = v; });
    t.Float<TModelByScriptCreator>("MaxX", &TModelByScriptCreator::MaxX, [](TModelByScriptCreator* c, double v) { c->MaxX = v; });
    t.Float<TModelByScriptCreator>("MaxY", &TModelByScriptCreator::MaxY, [](TModelByScriptCreator* c, double v) { c->MaxY = v; });
    t.Bool<TModelByScriptCreator>("UseArea", &TModelByScriptCreator::UseArea,
                                  [](TModelByScriptCreator* c, bool v) { c->UseArea = v; });
}

void TModelByScriptCreator::SetArea(double minX, double minY, double maxX, double maxY) {
    MinX = std::min(minX, maxX);
    MaxX = std::max(minX, maxX);
    MinY = std::min(minY, maxY);
    MaxY = std::max(minY, maxY);
}

TRectEntity* TModelByScriptCreator::NewModel() { return TRectEntity::New(); }

void TModelByScriptCreator::Note(const std::string& text) {
    FMessages.push_back(text);
    PostTextMsg(tm_TextNote, text, nullptr);
}

// ---- dynamic models --------------------------------------------------------------------------

void TDynamicModel::Publish(PropertyTable& t) {
    t.Bool<TDynamicModel>("Active", &TDynamicModel::GetActive, &TDynamicModel::SetActive);
}

TRectEntity* TModelScriptToDynamicModel::NewModel() { return TDynamicModel::New(); }

// ---- registration ----------------------------------------------------------------------------

void RegisterQuintelClasses() {
    static bool done = false;
    if (done) return;
    done = true;
    RegisterZarixClass<TLayerScript>();
    RegisterZarixClass<TModelScript>();
    RegisterZarixClass<TModelScriptCreator>();
    RegisterZarixClass<TStringListFromModelScript>();
    RegisterZarixClass<TModelByScriptCreator>();
    RegisterZarixClass<TDynamicModel>();
    RegisterZarixClass<TModelScriptToDynamicModel>();
    RegisterZarixClass<TLayerImportDialog>();
}
