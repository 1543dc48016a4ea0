// Loading the largest sample layer through the model-by-script creator, beside a plain
// OGR loop that reads the same features, vertices and fields.
#include <benchmark/benchmark.h>

#include <gdal.h>
#include <ogr_api.h>

#include <string>
#include <vector>

#include "kernel/kernel.h"
#include "quintel/quintel.h"
#include "space/space.h"
#include "yesk/yesk.h"

namespace {

const std::string kFile = std::string(SAMPLE_DATA_DIR) + "/ostravsko.gpkg";
const char* kLayer = "okoli";

void Register() {
    static bool done = [] {
        RegisterKernelClasses();
        RegisterPelvarClasses();
        RegisterSpaceClasses();
        RegisterYeskClasses();
        RegisterQuintelClasses();
        GDALAllRegister();
        return true;
    }();
    (void)done;
}

void BM_ModelByScriptCreator(benchmark::State& state) {
    Register();
    TModelScript* script = TModelScript::New();
    script->AddLayerOrParameter("OKOLI", kFile + "|" + kLayer);
    int64_t elements = 0;
    for (auto _ : state) {
        TModelByScriptCreator* creator = TModelByScriptCreator::New();
        creator->SetInput(script);
        creator->DoIt();
        auto* model = As<TRectEntity>(creator->Output);
        elements = model ? As<TEntity>(model->Get(0))->ElementsCount() : 0;
        Free(model);
        Free(creator);
    }
    Free(script);
    state.counters["features"] = static_cast<double>(elements);
}

// What a loaded layer holds per vertex: each element's instance, its vertex and part arrays
// as allocated, over the vertices of the layer (the coordinates alone are 16 bytes).
void BM_BytesPerVertex(benchmark::State& state) {
    Register();
    TModelScript* script = TModelScript::New();
    script->AddLayerOrParameter("OKOLI", kFile + "|" + kLayer);
    double bytes = 0, vertices = 0;
    for (auto _ : state) {
        TModelByScriptCreator* creator = TModelByScriptCreator::New();
        creator->SetInput(script);
        creator->DoIt();
        auto* model = As<TRectEntity>(creator->Output);
        auto* layer = model ? As<TEntity>(model->Get(0)) : nullptr;
        bytes = vertices = 0;
        for (int32_t i = 0; layer && i < layer->ElementsCount(); ++i) {
            TElement* e = layer->Get(i);
            bytes += e->GetInstanceSize();
            if (auto* poly = As<TPolyElement>(e)) {
                bytes += static_cast<double>(poly->Points().capacity() * sizeof(T2DPoint) +
                                             poly->Parts().capacity() * sizeof(int32_t));
                vertices += poly->VertexCount();
            }
        }
        Free(model);
        Free(creator);
    }
    Free(script);
    state.counters["vertices"] = vertices;
    state.counters["bytes_per_vertex"] = vertices > 0 ? bytes / vertices : 0;
}
BENCHMARK(BM_BytesPerVertex)->Unit(benchmark::kMillisecond)->Iterations(1);

// Every vertex of a geometry, part by part.
void ReadVertices(OGRGeometryH g, std::vector<double>& xy) {
    if (int parts = OGR_G_GetGeometryCount(g); parts > 0) {
        for (int p = 0; p < parts; ++p) ReadVertices(OGR_G_GetGeometryRef(g, p), xy);
        return;
    }
    int n = OGR_G_GetPointCount(g);
    xy.resize(2 * static_cast<size_t>(n));
    if (n) OGR_G_GetPoints(g, xy.data(), 2 * sizeof(double), xy.data() + 1, 2 * sizeof(double), nullptr, 0);
    benchmark::DoNotOptimize(xy.data());
}

// A feature's fields by their type and the vertices of its geometry, as a loader reads them.
void ReadFeature(OGRFeatureH f, OGRFeatureDefnH defn, std::vector<std::string>& texts, std::vector<double>& xy) {
    texts.clear();
    for (int i = 0; i < OGR_FD_GetFieldCount(defn); ++i) {
        OGRFieldType t = OGR_Fld_GetType(OGR_FD_GetFieldDefn(defn, i));
        if (t == OFTInteger || t == OFTInteger64) benchmark::DoNotOptimize(OGR_F_GetFieldAsInteger64(f, i));
        else if (t == OFTReal) benchmark::DoNotOptimize(OGR_F_GetFieldAsDouble(f, i));
        else texts.emplace_back(OGR_F_GetFieldAsString(f, i));
    }
    ReadVertices(OGR_F_GetGeometryRef(f), xy);
}

void BM_PlainOgrLoop(benchmark::State& state) {
    Register();
    int64_t features = 0;
    for (auto _ : state) {
        GDALDatasetH ds = GDALOpenEx(kFile.c_str(), GDAL_OF_VECTOR | GDAL_OF_READONLY, nullptr, nullptr, nullptr);
        OGRLayerH layer = GDALDatasetGetLayerByName(ds, kLayer);
        OGRFeatureDefnH defn = OGR_L_GetLayerDefn(layer);
        std::vector<double> xy;
        std::vector<std::string> texts;
        features = 0;
        for (OGRFeatureH f; (f = OGR_L_GetNextFeature(layer)); OGR_F_Destroy(f)) {
            ++features;
            ReadFeature(f, defn, texts, xy);
        }
        benchmark::DoNotOptimize(texts.data());
        GDALClose(ds);
    }
    state.counters["features"] = static_cast<double>(features);
}

// The layer lines of the sample's 1:50000 template and the area of its sheet Ostrava.
const std::vector<std::pair<std::string, std::string>> kSheetLines = {
    {"ZEME_CZ", "zeme"}, {"@CONDITION", "a3='CZE'"}, {"ZEME_PL", "zeme"}, {"@CONDITION", "a3='POL'"},
    {"VODA", "voda"}, {"CESTY_4", "cesty"}, {"@CONDITION", "delka<4000"}, {"CESTY_8", "cesty"},
    {"@CONDITION", "(delka>=4000)AND(delka<8000)"}, {"CESTY_12", "cesty"}, {"@CONDITION", "delka>=8000"},
    {"MISTA_BOD", "mista"}, {"MISTA", "mista|TEXT=nazev"}, {"HRANICE", "hranice"}};
const double kSheet[4] = {-475000, -1120000, -450000, -1105000};

void BM_SheetLayers(benchmark::State& state) {
    Register();
    TModelScript* script = TModelScript::New();
    for (const auto& [name, value] : kSheetLines)
        script->AddLayerOrParameter(name, name[0] == '@' ? value : kFile + "|" + value);
    int64_t elements = 0;
    for (auto _ : state) {
        TModelByScriptCreator* creator = TModelByScriptCreator::New();
        creator->SetArea(kSheet[0], kSheet[1], kSheet[2], kSheet[3]);
        creator->UseArea = true;
        creator->SetInput(script);
        creator->DoIt();
        auto* model = As<TRectEntity>(creator->Output);
        elements = 0;
        for (int32_t i = 0; model && i < model->ElementsCount(); ++i) elements += As<TEntity>(model->Get(i))->ElementsCount();
        Free(model);
        Free(creator);
    }
    Free(script);
    state.counters["elements"] = static_cast<double>(elements);
}

// The same source layers, each read once with the sheet's filter.
void BM_PlainOgrSheet(benchmark::State& state) {
    Register();
    int64_t features = 0;
    for (auto _ : state) {
        GDALDatasetH ds = GDALOpenEx(kFile.c_str(), GDAL_OF_VECTOR | GDAL_OF_READONLY, nullptr, nullptr, nullptr);
        std::vector<double> xy;
        std::vector<std::string> texts;
        features = 0;
        for (const char* name : {"zeme", "voda", "cesty", "mista", "hranice"}) {
            OGRLayerH layer = GDALDatasetGetLayerByName(ds, name);
            OGR_L_SetSpatialFilterRect(layer, kSheet[0], kSheet[1], kSheet[2], kSheet[3]);
            OGRFeatureDefnH defn = OGR_L_GetLayerDefn(layer);
            for (OGRFeatureH f; (f = OGR_L_GetNextFeature(layer)); OGR_F_Destroy(f)) {
                ++features;
                ReadFeature(f, defn, texts, xy);
            }
        }
        benchmark::DoNotOptimize(texts.data());
        GDALClose(ds);
    }
    state.counters["features"] = static_cast<double>(features);
}

}  // namespace

BENCHMARK(BM_PlainOgrLoop)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ModelByScriptCreator)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainOgrSheet)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SheetLayers)->Unit(benchmark::kMillisecond);
