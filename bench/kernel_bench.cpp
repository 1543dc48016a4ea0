// Creation by name and property lookup by name over a registry of a few hundred classes.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "kernel/class_registry.h"
#include "kernel/kernel.h"
#include "platform/host.h"

namespace {

constexpr int kClasses = 400;

class TBenchView : public TOwnerEntity {
    ZARIX_CLASS(TBenchView, TOwnerEntity)
    static void Publish(PropertyTable& t) {
        t.Int<TBenchView>("Scale", &TBenchView::scale, [](TBenchView* v, int32_t x) { v->scale = x; });
        t.Float<TBenchView>("Rotation", &TBenchView::rotation, [](TBenchView* v, double x) { v->rotation = x; });
        t.Str<TBenchView>("Caption", &TBenchView::caption, [](TBenchView* v, const std::string& x) { v->caption = x; });
        t.Bool<TBenchView>("Visible", &TBenchView::visible, [](TBenchView* v, bool x) { v->visible = x; });
    }
    int32_t scale = 0;
    double rotation = 0;
    std::string caption;
    bool visible = false;
};

// Class names of the filled registry, made once.
const std::vector<std::string>& BenchNames() {
    static const std::vector<std::string> names = [] {
        RegisterKernelClasses();
        RegisterZarixClass<TBenchView>();
        std::vector<std::string> out;
        for (int i = 0; i < kClasses; ++i) {
            // Spread over the alphabet so that lookups bisect a mixed registry.
            std::string name = "T";
            name += static_cast<char>('A' + (i * 7) % 26);
            name += "Bench" + std::to_string(i);
            TClassInfo* ci = rtti_detail::NewClassInfo(name.c_str(), TBenchView::StaticClass(),
                                                       TBenchView::StaticClass()->NewBlank, sizeof(TBenchView));
            RegisterZarixClass(ci);
            out.push_back(name);
        }
        return out;
    }();
    return names;
}

void BM_CreateElementByName(benchmark::State& state) {
    const std::vector<std::string>& names = BenchNames();
    size_t i = 0;
    for (auto _ : state) {
        TElement* e = CreateElementByName(names[i++ % names.size()]);
        benchmark::DoNotOptimize(e);
        Free(e);
    }
}
BENCHMARK(BM_CreateElementByName);

void BM_CreateElementByNameWithoutT(benchmark::State& state) {
    const std::vector<std::string>& names = BenchNames();
    std::vector<std::string> bare;
    for (const std::string& n : names) bare.push_back(n.substr(1));
    size_t i = 0;
    for (auto _ : state) {
        TElement* e = CreateElementByName(bare[i++ % bare.size()]);
        benchmark::DoNotOptimize(e);
        Free(e);
    }
}
BENCHMARK(BM_CreateElementByNameWithoutT);

void BM_GetZarixClass(benchmark::State& state) {
    const std::vector<std::string>& names = BenchNames();
    size_t i = 0;
    for (auto _ : state) benchmark::DoNotOptimize(GetZarixClass(names[i++ % names.size()]));
}
BENCHMARK(BM_GetZarixClass);

void BM_RegistryPropertyIndex(benchmark::State& state) {
    BenchNames();
    TZarixClass* entry = ZarixClasses->GetZarixClassByName("TBenchView");
    const char* props[] = {"ID", "Count", "Scale", "visible", "Missing"};
    size_t i = 0;
    for (auto _ : state) benchmark::DoNotOptimize(entry->PropertyIndex(props[i++ % 5]));
}
BENCHMARK(BM_RegistryPropertyIndex);

void BM_PropertyStringByName(benchmark::State& state) {
    BenchNames();
    TElement* e = CreateElementByName("BenchView");
    const char* props[] = {"Name", "Scale", "Caption", "Visible"};
    size_t i = 0;
    for (auto _ : state) benchmark::DoNotOptimize(e->GetPropertyStringByName(props[i++ % 4]));
    Free(e);
}
BENCHMARK(BM_PropertyStringByName);

}  // namespace
