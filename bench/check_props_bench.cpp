// A property check with a two-term condition over a million elements, beside the same
// test written as a direct C++ comparison. Items per second are element checks.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "checker/check_tools.h"
#include "kernel/kernel.h"
#include "platform/host.h"
#include "yesk/yesk.h"

namespace {

constexpr int kElements = 1000000;

class TBenchParcel : public TOwnerElement {
    ZARIX_CLASS(TBenchParcel, TOwnerElement)
    static void Publish(PropertyTable& t) {
        using C = TBenchParcel;
        t.Int<C>("Kod", [](C* c) { return c->Kod; }, [](C* c, int32_t v) { c->Kod = v; });
        t.Str<C>("Druh", [](C* c) { return c->Druh; }, [](C* c, const std::string& v) { c->Druh = v; });
        t.Float<C>("Plocha", [](C* c) { return c->Plocha; }, [](C* c, double v) { c->Plocha = v; });
    }

public:
    int32_t Kod = 0;
    std::string Druh;
    double Plocha = 0;
};

const std::vector<TBenchParcel*>& Parcels() {
    static const std::vector<TBenchParcel*> parcels = [] {
        RegisterKernelClasses();
        RegisterYeskClasses();
        RegisterCheckerClasses();
        static const char* kinds[] = {"les", "louka", "pole", "voda"};
        std::vector<TBenchParcel*> out;
        out.reserve(kElements);
        for (int i = 0; i < kElements; ++i) {
            auto* p = TBenchParcel::New();
            p->Kod = i % 3;
            p->Druh = kinds[i % 4];
            p->Plocha = i * 0.5;
            out.push_back(p);
        }
        return out;
    }();
    return parcels;
}

void BM_CheckPropsTool(benchmark::State& state) {
    const auto& parcels = Parcels();
    TCheckPropsTool* check = TCheckPropsTool::New();
    check->TestCondition = "(Kod = 1) AND (Druh = 'les')";
    int64_t faults = 0;
    for (auto _ : state) {
        for (TBenchParcel* p : parcels) {
            check->SetInput(p);
            check->DoIt();
            faults += check->Error != 0;
        }
    }
    benchmark::DoNotOptimize(faults);
    state.SetItemsProcessed(state.iterations() * kElements);
    Free(check);
}
BENCHMARK(BM_CheckPropsTool)->Unit(benchmark::kMillisecond);

// Baseline: the same test in C++.
void BM_DirectComparison(benchmark::State& state) {
    const auto& parcels = Parcels();
    int64_t faults = 0;
    for (auto _ : state) {
        for (TBenchParcel* p : parcels) {
            bool ok = p->Kod == 1 && p->Druh == "les";
            faults += !ok;
            benchmark::DoNotOptimize(faults);
        }
    }
    state.SetItemsProcessed(state.iterations() * kElements);
}
BENCHMARK(BM_DirectComparison)->Unit(benchmark::kMillisecond);

}  // namespace
