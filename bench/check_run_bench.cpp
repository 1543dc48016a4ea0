// One check node with four attribute checks over 100,000 generated areas: the whole
// check-set run (interpret script, universal interpret walk, protocol, progress) beside
// the bare loop of the same four checks. Items per second are element checks.
// BM_NodesRun loads the layer from a file in one or five nodes and reports the peak resident
// memory of the process (run each alone, --benchmark_filter=NodesRun/5, for a meaningful figure).
#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "../checker/tests/check_set_builder.h"
#include "checker/check_interprets.h"
#include "checker/check_set_run.h"
#include "composition/text_devices.h"
#include "kernel/world.h"
#include "platform/files.h"
#include "platform/forms.h"
#include "platform/sysutils.h"
#include "quintel/quintel.h"
#include "space/space.h"

namespace {

constexpr int kAreas = 100000;
constexpr int kChecks = 4;

std::string ScratchDir() {
    static const std::string dir = [] {
        std::string base = DirectoryExists("/dev/shm") ? "/dev/shm" : "/tmp";
        std::string d = base + "/check_run_bench_" + std::to_string(getpid());
        ForceDirectories(d);
        return d;
    }();
    return dir;
}

void Setup() {
    static bool done = [] {
        RegisterCheckerClasses();
        World = TWorld::New();
        return true;
    }();
    (void)done;
}

// Squares of 10 m in rows of 1000, codes 0..99.
TRectEntity* GeneratedData() {
    TRectEntity* data = TRectEntity::New();
    data->SetName("DATA");
    TAreaString* areas = TAreaString::New();
    areas->SetName("PLOCHY");
    for (int i = 0; i < kAreas; ++i) {
        TAreaElement* a = TAreaElement::New();
        double x = -470000 + (i % 1000) * 10, y = -1100000 + (i / 1000) * 10;
        a->SetVertices(FloatToStr(x) + " " + FloatToStr(y) + "," + FloatToStr(x + 10) + " " + FloatToStr(y) + "," +
                       FloatToStr(x + 10) + " " + FloatToStr(y + 10) + "," + FloatToStr(x) + " " + FloatToStr(y + 10));
        a->SetCode(i % 100);
        areas->AddAndUpdateRect(a);
    }
    data->AddAndUpdateRect(areas);
    return data;
}

// The four checks: two conditions and two value lists; about one area in thirty fails one.
void AddFourChecks(TInterpretModel* model) {
    AddCheckModel(model, "TCheckPropsTool", "KodNeni99", {{"TestCondition", "Code <> 99"}, {"MsgProp", "Code"}, {"ErrorTxt", "K99"}});
    AddCheckModel(model, "TCheckPropsTool", "Poloha", {{"TestCondition", "(RefX < -465000) OR (Code <> 50)"},
                                                      {"MsgProp", "RefX,RefY"}, {"ErrorTxt", "P"}});
    AddCheckModel(model, "TCheckPropsByFilter", "Bez98", {{"PropertyName", "Code"}, {"ValuesString", "98"},
                                                          {"Exclude", "TRUE"}, {"ErrorTxt", "K98"}});
    AddCheckModel(model, "TCheckPropsByFilter", "Bez97", {{"PropertyName", "Code"}, {"ValuesString", "97"},
                                                          {"Exclude", "TRUE"}, {"ErrorTxt", "K97"}});
}

TInterpretNodeEntity* CheckSet(int nodes, const std::vector<std::string>& layers) {
    TInterpretNodeEntity* set = TInterpretNodeEntity::New();
    set->SetName("Bench");
    set->SetNoSettings(true);
    for (int i = 0; i < nodes; ++i) {
        TInterpretNode* node = AddCheckNode(set, "Uzel " + std::to_string(i + 1), layers);
        AddFourChecks(AddInterpretModel(node, "TTestAreaInterpret", "Plochy"));
    }
    return set;
}

// The bare checks: each check on each area, as the interpret calls them.
void BM_BareChecks(benchmark::State& state) {
    Setup();
    TRectEntity* data = GeneratedData();
    TInterpretNodeEntity* set = CheckSet(1, {});
    TInterpretModelToIntrepretScript* conv = TInterpretModelToIntrepretScript::New();
    conv->SetInput(set->GetInterpretNode(0)->GetInterpretModel());
    conv->DoIt();
    auto* script = As<TInterpretScript>(conv->Output);
    TInterpret* areas = script->GetInterpret()->GetSubInterprets().at(0);
    std::vector<TCheckTool*> checks;
    for (int i = 0; i < areas->ToolsCount(); ++i) checks.push_back(As<TCheckTool>(areas->GetTool(i)));
    TEntity* layer = As<TEntity>(data->Get(0));
    int64_t faults = 0;
    for (auto _ : state) {
        for (int32_t i = 0; i < layer->ElementsCount(); ++i) {
            TElement* e = layer->Get(i);
            for (TCheckTool* c : checks) {
                c->Reset();
                c->SetInput(e);
                c->DoIt();
                faults += c->Error > 0;
            }
        }
    }
    benchmark::DoNotOptimize(faults);
    state.SetItemsProcessed(state.iterations() * kAreas * kChecks);
    Free(script);
    Free(conv);
    Free(set);
    Free(data);
}
BENCHMARK(BM_BareChecks)->Unit(benchmark::kMillisecond);

// The node run over the data already loaded: script, walk, protocol file, progress.
void BM_CheckNodeRun(benchmark::State& state) {
    Setup();
    TInterpretNodeEntity* set = CheckSet(1, {});
    TInterpretModelToIntrepretScript* conv = TInterpretModelToIntrepretScript::New();
    TUniversalInterpret* ui = TUniversalInterpret::New();
    TTextFileDevice* device = TTextFileDevice::New();
    TRectEntity* data = GeneratedData();
    for (auto _ : state) {
        device->SetFileName(ScratchDir() + "/protokol.txt");
        conv->SetInput(set->GetInterpretNode(0)->GetInterpretModel());
        conv->DoIt();
        ui->SetScript(As<TInterpretScript>(conv->Output));
        ui->SetInput(data);
        ui->SetDevice(device);
        ui->DoIt();
        device->EndOutput();
        Application().ProcessMessages();
    }
    state.SetItemsProcessed(state.iterations() * kAreas * kChecks);
    Free(data);
    Free(device);
    Free(ui);
    Free(conv);
    Free(set);
}
BENCHMARK(BM_CheckNodeRun)->Unit(benchmark::kMillisecond);

// The layer as a GeoJSON file in the national grid.
std::string WriteLayerFile() {
    std::string path = ScratchDir() + "/plochy.geojson";
    std::ofstream out(path);
    out << R"({"type":"FeatureCollection","crs":{"type":"name","properties":{"name":"EPSG:5514"}},"features":[)";
    for (int i = 0; i < kAreas; ++i) {
        int x = -470000 + (i % 1000) * 10, y = -1100000 + (i / 1000) * 10;
        out << (i ? "," : "") << R"({"type":"Feature","properties":{"kod":)" << i % 100
            << R"(},"geometry":{"type":"Polygon","coordinates":[[[)" << x << "," << y << "],[" << x + 10 << "," << y
            << "],[" << x + 10 << "," << y + 10 << "],[" << x << "," << y + 10 << "],[" << x << "," << y << "]]]}}";
    }
    out << "]}";
    return path;
}

long PeakRssKb() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}

// N check nodes, each loading the 100,000 areas from the file.
void BM_NodesRun(benchmark::State& state) {
    Setup();
    WriteLayerFile();
    const int nodes = static_cast<int>(state.range(0));
    TInterpretNodeEntity* set = CheckSet(nodes, {"PLOCHY=plochy.geojson|CODE=kod"});
    TTextFileDevice* device = TTextFileDevice::New();
    TInterpretNodeEntityInterpret* run = TInterpretNodeEntityInterpret::New();
    run->DataDirectory = ScratchDir();
    const long before = PeakRssKb();
    for (auto _ : state) {
        device->SetFileName(ScratchDir() + "/protokol5.txt");
        run->SetDevice(device);
        run->SetInput(set);
        run->DoIt();
        Application().ProcessMessages();
    }
    state.counters["peak_rss_MB"] = PeakRssKb() / 1024.0;
    state.counters["rss_before_MB"] = before / 1024.0;
    state.SetItemsProcessed(state.iterations() * nodes * kAreas * kChecks);
    Free(run);
    Free(device);
    Free(set);
}
BENCHMARK(BM_NodesRun)->Unit(benchmark::kMillisecond)->Iterations(1)->Arg(1)->Arg(5);

}  // namespace
