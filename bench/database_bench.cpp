// Walking the records of a GeoPackage table as virtual elements, beside a plain OGR loop
// reading the same fields; comparing two trees by names, beside indexing and looking up
// the same names.
#include <benchmark/benchmark.h>

#include <gdal.h>
#include <ogr_api.h>
#include <unistd.h>

#include <string>
#include <unordered_map>

#include "composition/compare_model.h"
#include "composition/composition.h"
#include "composition/database_classes.h"
#include "kernel/kernel.h"
#include "platform/files.h"
#include "platform/sysutils.h"

namespace {

void Register() {
    static bool done = [] {
        RegisterCompositionClasses();
        GDALAllRegister();
        return true;
    }();
    (void)done;
}

// A table of n records ID, KOD, NAZEV in a GeoPackage of its own, made once per n.
std::string Table(int64_t n) {
    static std::unordered_map<int64_t, std::string> made;
    if (auto it = made.find(n); it != made.end()) return it->second;
    std::string path = "/tmp/database_bench_" + std::to_string(getpid()) + "_" + std::to_string(n) + ".gpkg";
    unlink(path.c_str());
    GDALDatasetH ds = GDALCreate(GDALGetDriverByName("GPKG"), path.c_str(), 0, 0, 0, GDT_Unknown, nullptr);
    OGRLayerH l = GDALDatasetCreateLayer(ds, "records", nullptr, wkbNone, nullptr);
    OGRFieldDefnH f = OGR_Fld_Create("ID", OFTInteger);
    OGR_L_CreateField(l, f, TRUE);
    OGR_Fld_Destroy(f);
    for (const char* name : {"KOD", "NAZEV"}) {
        f = OGR_Fld_Create(name, OFTString);
        OGR_L_CreateField(l, f, TRUE);
        OGR_Fld_Destroy(f);
    }
    if (OGR_L_StartTransaction(l) != OGRERR_NONE) return {};
    for (int64_t i = 0; i < n; ++i) {
        OGRFeatureH feat = OGR_F_Create(OGR_L_GetLayerDefn(l));
        OGR_F_SetFieldInteger(feat, 0, static_cast<int>(i));
        OGR_F_SetFieldString(feat, 1, ("K" + std::to_string(i % 97)).c_str());
        OGR_F_SetFieldString(feat, 2, ("Record " + std::to_string(i)).c_str());
        if (OGR_L_CreateFeature(l, feat) != OGRERR_NONE) return {};
        OGR_F_Destroy(feat);
    }
    if (OGR_L_CommitTransaction(l) != OGRERR_NONE) return {};
    GDALClose(ds);
    std::atexit([] {
        for (auto& [k, p] : made) unlink(p.c_str());
    });
    return made[n] = path;
}

void BM_DatabaseClassGet(benchmark::State& state) {
    Register();
    const int32_t n = static_cast<int32_t>(state.range(0));
    TDatabaseClass* c = TDatabaseClass::New();
    c->DataSourcePath = Table(n);
    c->DataSource = "records";
    c->AdressField = "ID;KOD";
    c->NameField = "NAZEV";
    if (c->ElementsCount() != n) state.SkipWithError("table not readable");
    for (auto _ : state) {
        for (int32_t i = 0; i < n; ++i) {
            auto* e = static_cast<TVirtualElement*>(c->Get(i));
            benchmark::DoNotOptimize(e->ElementAdress.data());
        }
    }
    state.SetItemsProcessed(state.iterations() * n);
    Free(c);
}

// The same records and fields (address ID;KOD; and name NAZEV as Windows-1250 text).
void BM_PlainOgrLoop(benchmark::State& state) {
    Register();
    const int64_t n = state.range(0);
    GDALDatasetH ds = GDALOpenEx(Table(n).c_str(), GDAL_OF_VECTOR | GDAL_OF_READONLY, nullptr, nullptr, nullptr);
    OGRLayerH l = GDALDatasetGetLayerByName(ds, "records");
    for (auto _ : state) {
        OGR_L_ResetReading(l);
        for (OGRFeatureH f; (f = OGR_L_GetNextFeature(l));) {
            std::string address = FromOsName(OGR_F_GetFieldAsString(f, 0)) + ";" +
                                  FromOsName(OGR_F_GetFieldAsString(f, 1)) + ";";
            std::string name = FromOsName(OGR_F_GetFieldAsString(f, 2));
            benchmark::DoNotOptimize(address.data());
            benchmark::DoNotOptimize(name.data());
            OGR_F_Destroy(f);
        }
    }
    state.SetItemsProcessed(state.iterations() * n);
    GDALClose(ds);
}

TOwnerEntity* NamedTree(int64_t n) {
    TOwnerEntity* root = TOwnerEntity::New();
    root->SetName("root");
    for (int64_t i = 0; i < n; ++i) {
        TOwnerElement* e = TOwnerElement::New();
        e->SetName("element " + std::to_string(i * 7919 % n));
        root->AddElement(e);
    }
    return root;
}

void BM_CompareByNames(benchmark::State& state) {
    Register();
    const int64_t n = state.range(0);
    TOwnerEntity* holder = TOwnerEntity::New();
    TOwnerEntity* left = NamedTree(n);
    TOwnerEntity* right = NamedTree(n);
    holder->AddElement(left);
    holder->AddElement(right);
    for (auto _ : state) {
        TCompareModel* m = TCompareModel::New();
        m->SetModel1(left);
        m->SetModel2(right);
        state.PauseTiming();
        Free(m);
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * n);
    Free(holder);
}

// The least a comparison by names does: index the right names, look up each left one.
void BM_NameIndexAndLookup(benchmark::State& state) {
    Register();
    const int64_t n = state.range(0);
    TOwnerEntity* left = NamedTree(n);
    TOwnerEntity* right = NamedTree(n);
    for (auto _ : state) {
        std::unordered_map<std::string, TElement*> names;
        for (int32_t i = 0; i < right->ElementsCount(); ++i)
            names.emplace(AnsiUpperCase(right->Get(i)->GetName()), right->Get(i));
        int64_t found = 0;
        for (int32_t i = 0; i < left->ElementsCount(); ++i) found += names.count(AnsiUpperCase(left->Get(i)->GetName()));
        benchmark::DoNotOptimize(found);
    }
    state.SetItemsProcessed(state.iterations() * n);
    Free(left);
    Free(right);
}

}  // namespace

BENCHMARK(BM_DatabaseClassGet)->Arg(1000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainOgrLoop)->Arg(1000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CompareByNames)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NameIndexAndLookup)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
